// File-system utilities beside the standard tools on the same file system:
// FileCopyFeedBk of 1 GiB (with its callback per 8 KiB block) against
// libstdc++'s std::filesystem::copy_file and coreutils' cp, the recursive
// ScanFilesToStrList over 100,000 files against findutils' find, and
// CountLinesInTextFile of 100 MB against wc -l. The tools run as child
// processes, so every row measures wall-clock time. The files live in a
// temporary directory that is removed at the end; the program stops with an
// error when a result differs from the peer's.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_filesys.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int64_t kCopyBytes = int64_t{1} << 30;
constexpr int kTreeDirs = 100, kFilesPerDir = 1000;
constexpr int64_t kTextBytes = 100'000'000;

class TWorkDir {
 public:
  TWorkDir() {
    std::string pattern = (fs::temp_directory_path() / "nuv-filesys-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) bench::Fail("cannot create a temporary directory", pattern);
    path_ = pattern;
  }
  ~TWorkDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

const TWorkDir& Work() {
  static const TWorkDir dir;
  return dir;
}

void WriteBigFile(const std::string& name) {
  std::vector<uint64_t> block(1 << 17);  // 1 MiB
  std::mt19937_64 rng(23);
  std::ofstream out(name, std::ios::binary);
  for (int64_t done = 0; done < kCopyBytes; done += 1 << 20) {
    for (auto& w : block) w = rng();
    out.write(reinterpret_cast<const char*>(block.data()), 1 << 20);
  }
  if (!out) bench::Fail("cannot write the copy source", name);
}

void WriteTree(const std::string& root) {
  for (int d = 0; d < kTreeDirs; ++d) {
    const fs::path dir = fs::path(root) / ("dir" + std::to_string(d));
    fs::create_directories(dir);
    for (int f = 0; f < kFilesPerDir; ++f) std::ofstream(dir / ("file_" + std::to_string(f) + ".dat"));
  }
}

void WriteText(const std::string& name) {
  std::ofstream out(name, std::ios::binary);
  std::mt19937 rng(5);
  std::string line;
  for (int64_t bytes = 0; bytes < kTextBytes; bytes += static_cast<int64_t>(line.size())) {
    line.assign(20 + rng() % 100, 'x');
    line += '\n';
    out << line;
  }
}

// A file or tree of the work directory, written on first use.
template <void (*Write)(const std::string&)>
const std::string& Fixture(const char* name) {
  static const std::string path = [name] {
    std::string p = Work().File(name);
    Write(p);
    return p;
  }();
  return path;
}

const std::string& Source() { return Fixture<WriteBigFile>("source.bin"); }
const std::string& Tree() { return Fixture<WriteTree>("tree"); }
const std::string& Text() { return Fixture<WriteText>("text.txt"); }

// Runs a tool with its output discarded; false unless it exits with 0.
bool Run(std::vector<std::string> args) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return rc == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// The first number a tool's command line prints.
int64_t NumberFrom(const std::string& command) {
  FILE* p = ::popen(command.c_str(), "r");
  long long n = -1;
  if (p == nullptr || std::fscanf(p, "%lld", &n) != 1) n = -1;
  if (p != nullptr) ::pclose(p);
  return n;
}

bool SameContent(const std::string& a, const std::string& b) {
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  std::vector<char> ba(1 << 20), bb(1 << 20);
  while (fa && fb) {
    fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
    fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
    if (fa.gcount() != fb.gcount() || !std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin()))
      return false;
  }
  return fa.eof() && fb.eof();
}

int64_t g_blocks = 0;

int32_t CopyWithFeedback(const std::string& dest) {
  g_blocks = 0;
  return nuv::FileCopyFeedBk(Source(), dest, false, [](int32_t, int32_t) { ++g_blocks; });
}

void CheckSameResults() {
  const std::string ours = Work().File("ours.bin"), theirs = Work().File("theirs.bin");
  if (CopyWithFeedback(ours) != nuv::fcOk) bench::Fail("FileCopyFeedBk failed", ours);
  if (g_blocks != kCopyBytes / 8192 + 3) bench::Fail("one callback per block", std::to_string(g_blocks));
  if (!Run({"cp", Source(), theirs}) || !SameContent(ours, theirs) || !SameContent(ours, Source()))
    bench::Fail("FileCopyFeedBk differs from cp", ours);
  fs::remove(ours);
  fs::remove(theirs);

  std::vector<std::string> list;
  nuv::ScanFilesToStrList(Tree() + "/*", true, list, nullptr);
  if (static_cast<int64_t>(list.size()) != NumberFrom("find '" + Tree() + "' -type f | wc -l") ||
      list.size() != static_cast<std::size_t>(kTreeDirs) * kFilesPerDir)
    bench::Fail("ScanFilesToStrList differs from find", std::to_string(list.size()));

  if (nuv::CountLinesInTextFile(Text()) != NumberFrom("wc -l < '" + Text() + "'"))
    bench::Fail("CountLinesInTextFile differs from wc -l", Text());
}

// Every copy starts alike, into a new file with no dirty pages waiting: the
// kernel's write-back of earlier copies would otherwise land on whichever
// side runs next.
void FreshTarget(benchmark::State& state, const std::string& dest) {
  state.PauseTiming();
  fs::remove(dest);
  ::sync();
  state.ResumeTiming();
}

void FileCopyNuv(benchmark::State& state) {
  const std::string dest = Work().File("dest.bin");
  for (auto _ : state) {
    FreshTarget(state, dest);
    if (CopyWithFeedback(dest) != nuv::fcOk) state.SkipWithError("FileCopyFeedBk failed");
  }
  fs::remove(dest);
  state.SetBytesProcessed(state.iterations() * kCopyBytes);
  bench::SetTarget(state, 1.5);
}

void FileCopyStd(benchmark::State& state) {
  const std::string dest = Work().File("dest.bin");
  for (auto _ : state) {
    FreshTarget(state, dest);
    if (!fs::copy_file(Source(), dest, fs::copy_options::overwrite_existing))
      state.SkipWithError("copy_file failed");
  }
  fs::remove(dest);
  state.SetBytesProcessed(state.iterations() * kCopyBytes);
}

void FileCopyCp(benchmark::State& state) {
  const std::string dest = Work().File("dest.bin");
  for (auto _ : state) {
    FreshTarget(state, dest);
    if (!Run({"cp", Source(), dest})) state.SkipWithError("cp failed");
  }
  fs::remove(dest);
  state.SetBytesProcessed(state.iterations() * kCopyBytes);
}

void ScanNuv(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::string> list;
    nuv::ScanFilesToStrList(Tree() + "/*", true, list, nullptr);
    benchmark::DoNotOptimize(list.data());
  }
  bench::SetTarget(state, 1.5);
}

void ScanFind(benchmark::State& state) {
  for (auto _ : state)
    if (!Run({"find", Tree(), "-type", "f"})) state.SkipWithError("find failed");
}

void CountLinesNuv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(nuv::CountLinesInTextFile(Text()));
  state.SetBytesProcessed(state.iterations() * kTextBytes);
  bench::SetTarget(state, 1.2);
}

void CountLinesWc(benchmark::State& state) {
  for (auto _ : state)
    if (!Run({"wc", "-l", Text()})) state.SkipWithError("wc failed");
  state.SetBytesProcessed(state.iterations() * kTextBytes);
}

BENCHMARK(FileCopyNuv)->Name("FileCopy1GiB/nuv")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FileCopyStd)->Name("FileCopy1GiB/copy_file")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FileCopyNuv)->Name("FileCopy1GiBvsCp/nuv")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FileCopyCp)->Name("FileCopy1GiBvsCp/cp")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ScanNuv)->Name("ScanFiles100k/nuv")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ScanFind)->Name("ScanFiles100k/find")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(CountLinesNuv)->Name("CountLines100MB/nuv")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(CountLinesWc)->Name("CountLines100MB/wc")->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
