// The geographic database beside raw file I/O, since no library reads this
// format: 10^4 polygon adds with LazyWrite (the baseline appends the same
// payload and summary bytes through kept-open descriptors), 10^6
// GetClosestLatLowIx calls on 10^5 entries (std::lower_bound over a plain
// float array of the same keys), RetrievePolygon of 10^6 points (one read
// of the same bytes into a buffer) and opening a 10^5-entry database (reads
// of its header, summary and five index files). Before timing, every pair
// is checked to give the same result.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_geodb.h"

namespace {

namespace fs = std::filesystem;
using namespace nuv;

constexpr int kAdds = 10'000;
constexpr int kPointsPerAdd = 10;
constexpr int kEntries = 100'000;
constexpr int kQueries = 1'000'000;
constexpr int kBigPolygon = 1'000'000;

class TWorkDir {
 public:
  TWorkDir() {
    std::string pattern = (fs::temp_directory_path() / "nuv-geodb-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) bench::Fail("cannot create a temporary directory", pattern);
    path_ = pattern;
  }
  ~TWorkDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

TWorkDir& Work() {
  static TWorkDir dir;
  return dir;
}

TgdbPolygon Polygon(int n, int seed) {
  TgdbPolygon p(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    p[i] = {static_cast<float>((seed * 7 + i) % 170) - 85.0f,
            static_cast<float>((seed * 13 + i) % 350) - 175.0f};
  return p;
}

// 10^5 - 1 towns with distinct latitudes and a 10^6-point river, whose
// southern edge (-85) lies below them all; built once.
struct TLargeDB {
  std::string base = Work().File("large");
  std::vector<float> lats;
  TLargeDB() {
    TGeoDB db(nullptr);
    db.SetDBName(base);
    db.SetLazyWrite(true);
    lats.resize(kEntries);
    for (int i = 0; i < kEntries; ++i) lats[i] = -84.5f + 0.0017f * static_cast<float>(i);
    std::vector<float> shuffled = lats;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(3));
    for (int i = 0; i < kEntries - 1; ++i) db.AddTown("town", 0, i, {shuffled[i], 10.0f}, 0, 0, 0);
    db.AddRiver("big", Polygon(kBigPolygon, 1), 0, 0, 0, 0, 0, 0, 0, 0, 0);
    lats.erase(std::find(lats.begin(), lats.end(), shuffled.back()));
    const TgdbData river = db.GetSumdata(kEntries);
    lats.insert(std::lower_bound(lats.begin(), lats.end(), river.LatLow), river.LatLow);
  }
};

TLargeDB& Large() {
  static TLargeDB db;
  return db;
}

std::vector<double> Queries() {
  std::vector<double> q(kQueries);
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(-90, 90);
  for (double& v : q) v = u(rng);
  return q;
}

// ---------------------------------------------------------------------------

void RawAppend(const std::string& base, const std::vector<TgdbPolygon>& polys) {
  const int data = ::open((base + ".nuvgdd").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int sum = ::open((base + ".nuvgds").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  char header[GdbHeaderSize] = {};
  if (::write(data, header, sizeof header) < 0) bench::Fail("raw write", base);
  char record[GdbDataSize] = {};
  for (const TgdbPolygon& p : polys) {
    if (::write(data, p.data(), p.size() * sizeof(TSCoords)) < 0 ||
        ::write(sum, record, sizeof record) < 0)
      bench::Fail("raw write", base);
  }
  ::close(data);
  ::close(sum);
}

void AddNuv(const std::string& base, const std::vector<TgdbPolygon>& polys) {
  TGeoDB db(nullptr);
  db.SetDBName(base);
  db.SetLazyWrite(true);
  for (const TgdbPolygon& p : polys) db.AddRoad("road", p, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

std::vector<TgdbPolygon> AddInput() {
  std::vector<TgdbPolygon> polys;
  for (int i = 0; i < kAdds; ++i) polys.push_back(Polygon(kPointsPerAdd, i));
  return polys;
}

template <void (*Add)(const std::string&, const std::vector<TgdbPolygon>&)>
void BM_Adds(benchmark::State& state) {
  const std::vector<TgdbPolygon> polys = AddInput();
  const std::string base = Work().File("adds");
  for (auto _ : state) {
    state.PauseTiming();
    for (const char* ext :
         {".nuvgdd", ".nuvgds", ".nuvgi0", ".nuvgi1", ".nuvgi2", ".nuvgi3", ".nuvgi4"})
      fs::remove(base + ext);
    state.ResumeTiming();
    Add(base, polys);
  }
}

// The goal is absolute (under 0.5 s), so the row carries no ratio target.
void AddsNuv(benchmark::State& state) { BM_Adds<AddNuv>(state); }

// ---------------------------------------------------------------------------

void ClosestNuv(benchmark::State& state) {
  TGeoDB db(nullptr);
  db.SetDBName(Large().base);
  const std::vector<double> q = Queries();
  for (auto _ : state) {
    int64_t sum = 0;
    for (double v : q) sum += db.GetClosestLatLowIx(v);
    benchmark::DoNotOptimize(sum);
  }
  bench::SetTarget(state, 1.2);
}

void ClosestLowerBound(benchmark::State& state) {
  const std::vector<float>& keys = Large().lats;
  const std::vector<double> q = Queries();
  for (auto _ : state) {
    int64_t sum = 0;
    for (double v : q)
      sum +=
          std::lower_bound(keys.begin(), keys.end(), v, [](float k, double x) { return k < x; }) -
          keys.begin() + 1;
    benchmark::DoNotOptimize(sum);
  }
}

// ---------------------------------------------------------------------------

void RetrieveNuv(benchmark::State& state) {
  TGeoDB db(nullptr);
  db.SetDBName(Large().base);
  TgdbPolygon p;
  for (auto _ : state) {
    db.RetrievePolygon(kEntries, p);
    benchmark::DoNotOptimize(p.data());
  }
  bench::SetTarget(state, 1.5);
}

void RetrieveRaw(benchmark::State& state) {
  TGeoDB db(nullptr);
  db.SetDBName(Large().base);
  const TgdbData river = db.GetSumdata(kEntries);
  const std::string name = Large().base + ".nuvgdd";
  std::vector<char> buf;
  for (auto _ : state) {
    buf.resize(static_cast<std::size_t>(river.Size) * 8);
    const int fd = ::open(name.c_str(), O_RDONLY);
    if (::pread(fd, buf.data(), buf.size(), river.DataPos) != static_cast<ssize_t>(buf.size()))
      bench::Fail("raw read", name);
    ::close(fd);
    benchmark::DoNotOptimize(buf.data());
    buf.clear();
    buf.shrink_to_fit();
  }
}

// ---------------------------------------------------------------------------

void OpenNuv(benchmark::State& state) {
  TGeoDB db(nullptr);
  for (auto _ : state) {
    db.SetDBName(Large().base);
    benchmark::DoNotOptimize(db.NumEntries());
    db.SetDBName("");
  }
  bench::SetTarget(state, 1.5);
}

void OpenRaw(benchmark::State& state) {
  const std::string base = Large().base;
  const std::vector<std::string> names{base + ".nuvgdd", base + ".nuvgds", base + ".nuvgi0",
                                       base + ".nuvgi1", base + ".nuvgi2", base + ".nuvgi3",
                                       base + ".nuvgi4"};
  for (auto _ : state) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      const int fd = ::open(names[i].c_str(), O_RDONLY);
      const auto size = i == 0 ? GdbHeaderSize : static_cast<std::size_t>(::lseek(fd, 0, SEEK_END));
      std::vector<char> buf(size);
      if (::pread(fd, buf.data(), size, 0) != static_cast<ssize_t>(size))
        bench::Fail("raw read", names[i]);
      ::close(fd);
      benchmark::DoNotOptimize(buf.data());
    }
  }
}

// ---------------------------------------------------------------------------

void Check() {
  TGeoDB db(nullptr);
  db.SetDBName(Large().base);
  if (db.NumEntries() != kEntries) bench::Fail("entries", std::to_string(db.NumEntries()));
  const std::vector<float>& keys = Large().lats;
  for (double v : Queries()) {
    const auto lb =
        std::lower_bound(keys.begin(), keys.end(), v, [](float k, double x) { return k < x; });
    if (db.GetClosestLatLowIx(v) != lb - keys.begin() + 1)
      bench::Fail("GetClosestLatLowIx", std::to_string(v));
  }
  TgdbPolygon p;
  if (!db.RetrievePolygon(kEntries, p) || p != Polygon(kBigPolygon, 1))
    bench::Fail("RetrievePolygon", "points");
  const std::string base = Work().File("check");
  AddNuv(base, AddInput());
  if (fs::file_size(base + ".nuvgdd") != GdbHeaderSize + std::uintmax_t{kAdds} * kPointsPerAdd * 8)
    bench::Fail("adds", "data file size");
}

}  // namespace

BENCHMARK(AddsNuv)
    ->Name("10^4 polygon adds, LazyWrite/nuv")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Adds<RawAppend>)
    ->Name("10^4 polygon adds, LazyWrite/raw write")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ClosestNuv)->Name("10^6 GetClosestLatLowIx on 10^5/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(ClosestLowerBound)
    ->Name("10^6 GetClosestLatLowIx on 10^5/lower_bound")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RetrieveNuv)
    ->Name("RetrievePolygon 10^6 points/nuv")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RetrieveRaw)
    ->Name("RetrievePolygon 10^6 points/raw read")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(OpenNuv)->Name("open 10^5 entries/nuv")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(OpenRaw)
    ->Name("open 10^5 entries/raw read")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::Main(argc, argv, Check); }
