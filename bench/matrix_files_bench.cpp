// TMat4D beside the plain operations it should cost no more than: the
// blocked binary file of 128 MiB (256 × 256 × 16 × 16) on tmpfs against one
// write(2) / read(2) of the same bytes; the per-pixel mean of 512 × 512 × 8
// × 8 against Eigen's rowwise().mean() over the same block seen as a
// 262144 × 64 column-major matrix; Cut and the four mirrors against a
// memcpy of the bytes they move. Results are checked before timing.
#include <Eigen/Dense>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_matrix.h"

namespace {

constexpr int32_t kFile[4] = {256, 256, 16, 16};
constexpr int32_t kMean[4] = {512, 512, 8, 8};
constexpr int64_t kFileValues = int64_t{256} * 256 * 16 * 16;
constexpr int64_t kFileBytes = kFileValues * 8;

// A directory on tmpfs for the files, removed at exit.
const std::string& Dir() {
  static const std::string dir = [] {
    char pattern[] = "/dev/shm/nuv-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) bench::Fail("no directory on /dev/shm", "mkdtemp");
    std::atexit([] { std::filesystem::remove_all(Dir()); });
    return std::string(pattern);
  }();
  return dir;
}

void Fill(nuv::TMat4D& m, const int32_t (&n)[4]) {
  m.Resize(n[0], n[1], n[2], n[3]);
  const int64_t count = int64_t{n[0]} * n[1] * n[2] * n[3];
  for (int64_t i = 0; i < count; ++i) m.Data()[i] = static_cast<double>((i * 7919) % 10007) / 16;
}

nuv::TMat4D& FileMatrix() {
  static nuv::TMat4D m(nullptr);
  static bool filled = (Fill(m, kFile), true);
  (void)filled;
  return m;
}

// ---- raw file input and output

void RawWrite(const std::string& name, const void* data, int64_t bytes) {
  const int fd = ::open(name.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  if (fd < 0 || ::write(fd, data, static_cast<size_t>(bytes)) != bytes) bench::Fail("write", name);
  ::close(fd);
}

void RawRead(const std::string& name, void* data, int64_t bytes) {
  const int fd = ::open(name.c_str(), O_RDONLY);
  if (fd < 0 || ::read(fd, data, static_cast<size_t>(bytes)) != bytes) bench::Fail("read", name);
  ::close(fd);
}

// ---- the statistics and the copies

Eigen::Map<const Eigen::MatrixXd> MeanInput(const nuv::TMat4D& m) {
  return {m.Data(), int64_t{kMean[0]} * kMean[1], int64_t{kMean[2]} * kMean[3]};
}

// Two cuts of the file matrix to the middle half of rows, layers and
// slots: of the middle columns (runs of 1 KiB) and of whole rows (runs of
// 256 KiB); and the bytes they move.
void CutWindow(nuv::TMat4D& m) { m.Cut(65, 192, 65, 192, 5, 12, 5, 12); }
void CutRows(nuv::TMat4D& m) { m.Cut(0, 0, 65, 192, 5, 12, 5, 12); }
constexpr int64_t kCutWindowBytes = int64_t{128} * 128 * 8 * 8 * 8;
constexpr int64_t kCutRowsBytes = int64_t{256} * 128 * 8 * 8 * 8;

void CheckSameResults() {
  nuv::TMat4D& m = FileMatrix();
  const std::string file = Dir() + "/check.bin";
  m.SaveBinary(file, 0, 0);
  nuv::TMat4D back(nullptr);
  if (!back.LoadBinary(file, 0, 0) || std::memcmp(back.Data(), m.Data(), kFileBytes) != 0)
    bench::Fail("LoadBinary does not restore SaveBinary", file);
  std::vector<char> raw(kFileBytes + 4096);
  RawRead(file, raw.data(), kFileBytes + 4096);
  if (std::memcmp(raw.data() + 4096, m.Data(), kFileBytes) != 0)
    bench::Fail("the file does not hold the block after its header", file);

  nuv::TMat4D s(nullptr);
  Fill(s, kMean);
  nuv::TMatrix mean(nullptr);
  s.MeanOfLayersToMatrix(mean, 0, 0, 0, 0, 0, 0, 0, 0);
  const Eigen::VectorXd want = MeanInput(s).rowwise().mean();
  for (int32_t r = 1; r <= kMean[1]; ++r)
    for (int32_t c = 1; c <= kMean[0]; ++c) {
      const double e = want((r - 1) * int64_t{kMean[0]} + (c - 1));
      if (std::abs(mean.GetVal(c, r) - e) > 1e-12 * std::abs(e))
        bench::Fail("MeanOfLayersToMatrix differs from Eigen", std::to_string(c));
    }

  nuv::TMat4D cut(nullptr);
  Fill(cut, kFile);
  CutWindow(cut);
  for (int32_t t = 1; t <= 8; ++t)
    for (int32_t l = 1; l <= 8; ++l)
      for (int32_t r = 1; r <= 128; ++r)
        if (std::memcmp(cut.Data() + cut.Addr4D(1, r, l, t),
                        m.Data() + m.Addr4D(65, 64 + r, 4 + l, 4 + t), 128 * 8) != 0)
          bench::Fail("Cut keeps other values", "window");
}

void SaveBinaryNuv(benchmark::State& state) {
  const nuv::TMat4D& m = FileMatrix();
  for (auto _ : state) m.SaveBinary(Dir() + "/nuv.bin", 0, 0);
  bench::SetTarget(state, 1.3);
}

void SaveBinaryRaw(benchmark::State& state) {
  // The same bytes as the file: a header record, then the block.
  std::vector<char> image(kFileBytes + 4096);
  std::memcpy(image.data() + 4096, FileMatrix().Data(), kFileBytes);
  for (auto _ : state) RawWrite(Dir() + "/raw.bin", image.data(), kFileBytes + 4096);
}

void LoadBinaryNuv(benchmark::State& state) {
  const std::string file = Dir() + "/load.bin";
  FileMatrix().SaveBinary(file, 0, 0);
  nuv::TMat4D m(nullptr);
  m.LoadBinary(file, 0, 0);
  for (auto _ : state) benchmark::DoNotOptimize(m.LoadBinary(file, 0, 0));
  bench::SetTarget(state, 1.3);
}

void LoadBinaryRaw(benchmark::State& state) {
  const std::string file = Dir() + "/load.bin";
  FileMatrix().SaveBinary(file, 0, 0);
  std::vector<double> buffer(kFileValues + 512, 1.0);
  for (auto _ : state) {
    RawRead(file, buffer.data(), kFileBytes + 4096);
    benchmark::DoNotOptimize(buffer.data());
  }
}

void MeanNuv(benchmark::State& state) {
  nuv::TMat4D m(nullptr);
  Fill(m, kMean);
  nuv::TMatrix mean(nullptr);
  for (auto _ : state) m.MeanOfLayersToMatrix(mean, 0, 0, 0, 0, 0, 0, 0, 0);
  bench::SetTarget(state, 0.6);
}

void MeanEigen(benchmark::State& state) {
  nuv::TMat4D m(nullptr);
  Fill(m, kMean);
  Eigen::VectorXd mean(int64_t{kMean[0]} * kMean[1]);
  for (auto _ : state) {
    mean.noalias() = MeanInput(m).rowwise().mean();
    benchmark::DoNotOptimize(mean.data());
  }
}

template <void (*Cut)(nuv::TMat4D&)>
void CutNuv(benchmark::State& state) {
  nuv::TMat4D m(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    m.Resize(1, 1, 1, 1);
    m.Resize(kFile[0], kFile[1], kFile[2], kFile[3]);
    std::memcpy(m.Data(), FileMatrix().Data(), kFileBytes);
    state.ResumeTiming();
    Cut(m);
  }
  bench::SetTarget(state, 1.5);
}

// memcpy of the bytes a cut moves, out of a block as large as the
// matrix: from another part each time, so that, as for the cut, they come
// from memory and not from the cache.
template <int64_t Bytes>
void MemcpyFromMemory(benchmark::State& state) {
  std::vector<char> block(kFileBytes, 1);
  const int64_t parts = kFileBytes / Bytes;
  int64_t k = 1;
  for (auto _ : state) {
    std::memcpy(block.data(), block.data() + k * Bytes, Bytes);
    benchmark::DoNotOptimize(block.data());
    k = k % (parts - 1) + 1;
  }
}

// memcpy of the whole matrix into another block.
void Memcpy(benchmark::State& state) {
  std::vector<char> from(kFileBytes, 1), to(kFileBytes, 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), kFileBytes);
    benchmark::DoNotOptimize(to.data());
  }
}

template <void (nuv::TMat4D::*Mirror)()>
void MirrorNuv(benchmark::State& state) {
  nuv::TMat4D& m = FileMatrix();
  for (auto _ : state) (m.*Mirror)();
  bench::SetTarget(state, 1.5);
}

BENCHMARK(SaveBinaryNuv)->Name("TMat4D::SaveBinary 128 MiB, tmpfs/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(SaveBinaryRaw)->Name("TMat4D::SaveBinary 128 MiB, tmpfs/write(2)")->Unit(benchmark::kMillisecond);
BENCHMARK(LoadBinaryNuv)->Name("TMat4D::LoadBinary 128 MiB, tmpfs/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(LoadBinaryRaw)->Name("TMat4D::LoadBinary 128 MiB, tmpfs/read(2)")->Unit(benchmark::kMillisecond);
BENCHMARK(MeanNuv)
    ->Name("TMat4D::MeanOfLayersToMatrix 512 x 512 x 8 x 8/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MeanEigen)
    ->Name("TMat4D::MeanOfLayersToMatrix 512 x 512 x 8 x 8/Eigen rowwise().mean()")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CutNuv<CutWindow>)
    ->Name("TMat4D::Cut to 1/16, runs of 1 KiB/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MemcpyFromMemory<kCutWindowBytes>)
    ->Name("TMat4D::Cut to 1/16, runs of 1 KiB/memcpy")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CutNuv<CutRows>)
    ->Name("TMat4D::Cut to 1/8, whole rows/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MemcpyFromMemory<kCutRowsBytes>)
    ->Name("TMat4D::Cut to 1/8, whole rows/memcpy")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MirrorNuv<&nuv::TMat4D::MirrorColumns>)
    ->Name("TMat4D::MirrorColumns 128 MiB/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Memcpy)->Name("TMat4D::MirrorColumns 128 MiB/memcpy")->Unit(benchmark::kMillisecond);
BENCHMARK(MirrorNuv<&nuv::TMat4D::MirrorRows>)
    ->Name("TMat4D::MirrorRows 128 MiB/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Memcpy)->Name("TMat4D::MirrorRows 128 MiB/memcpy")->Unit(benchmark::kMillisecond);
BENCHMARK(MirrorNuv<&nuv::TMat4D::MirrorLayers>)
    ->Name("TMat4D::MirrorLayers 128 MiB/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Memcpy)->Name("TMat4D::MirrorLayers 128 MiB/memcpy")->Unit(benchmark::kMillisecond);
BENCHMARK(MirrorNuv<&nuv::TMat4D::MirrorTimeSlots>)
    ->Name("TMat4D::MirrorTimeSlots 128 MiB/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Memcpy)
    ->Name("TMat4D::MirrorTimeSlots 128 MiB/memcpy")
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
