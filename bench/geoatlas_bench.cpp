// The atlas's registry and map switch: registering 200 calibration files
// beside reading the same files raw into memory, and SelectMap of a map
// with a 3-megapixel JPEG beside QImageReader decoding that file alone.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QImageReader>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_geoatlas.h"

namespace {

using namespace nuv;
namespace fs = std::filesystem;

constexpr int32_t kMaps = 200;
constexpr int32_t kJpegW = 2000, kJpegH = 1500;

struct TFiles {
  fs::path Dir;
  std::vector<std::string> Calibrations;  // small maps
  std::string Big;                        // the calibration of the large JPEG
  ~TFiles() { fs::remove_all(Dir); }
};

// An equirectangular map of W × H noisy pixels saved as Name.jpg/.xml.
std::string SaveMap(const fs::path& Dir, const std::string& Name, int32_t W, int32_t H) {
  TGeoMap m(nullptr);
  TBitmap b;
  b.SetSize(W, H);
  uint32_t s = 12345;
  for (int32_t y = 0; y < H; ++y) {
    uint32_t* row = b.ScanLine(y);
    for (int32_t x = 0; x < W; ++x) row[x] = 0xFF000000u | ((s = s * 1664525u + 1013904223u) >> 8);
  }
  m.SetMapBitMap(b);
  m.SetCalibModel(cmEquiRect);
  for (TPoint p : {TPoint{0, 0}, TPoint{W, 0}, TPoint{0, H}, TPoint{W, H}})
    m.AddCalibPoint(50 - p.Y / 1000.0, 10 + p.X / 1000.0, p.X, p.Y);
  const std::string xml = (Dir / (Name + ".xml")).string();
  m.SaveMap(xml, "");
  return xml;
}

TFiles& Files() {
  static TFiles f = [] {
    TFiles t;
    t.Dir = fs::temp_directory_path() / "nuv_geoatlas_bench";
    fs::remove_all(t.Dir);
    fs::create_directories(t.Dir);
    const std::string first = SaveMap(t.Dir, "Map1", 64, 48);
    t.Calibrations.push_back(first);
    for (int32_t i = 2; i <= kMaps; ++i) {
      t.Calibrations.push_back((t.Dir / ("Map" + std::to_string(i) + ".xml")).string());
      fs::copy_file(first, t.Calibrations.back());
    }
    t.Big = SaveMap(t.Dir, "Big", kJpegW, kJpegH);
    return t;
  }();
  return f;
}

void RegisterNuv(benchmark::State& state) {
  for (auto _ : state) {
    // The control's widgets, glyphs and cursors are not part of it.
    state.PauseTiming();
    auto a = std::make_unique<TGeoAtlas>(nullptr);
    state.ResumeTiming();
    for (const std::string& f : Files().Calibrations) a->RegisterMap(f);
    benchmark::DoNotOptimize(a->MapCount());
    state.PauseTiming();
    a.reset();
    state.ResumeTiming();
  }
  bench::SetTarget(state, 3.0);
}

// The calibration reader alone, to show what the atlas adds.
void RegisterParseOnly(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::string& f : Files().Calibrations) {
      TCalibData data;
      TCalibModel model = cmUndefined;
      benchmark::DoNotOptimize(ParseCalibData(f, "", data, model));
    }
  }
}

void RegisterRaw(benchmark::State& state) {
  for (auto _ : state) {
    std::size_t bytes = 0;
    for (const std::string& f : Files().Calibrations) {
      std::ifstream in(f, std::ios::binary);
      const std::string text{std::istreambuf_iterator<char>(in), {}};
      bytes += text.size();
    }
    benchmark::DoNotOptimize(bytes);
  }
}

void SelectNuv(benchmark::State& state) {
  TGeoAtlas a(nullptr);
  a.RegisterMap(Files().Big);
  for (auto _ : state) benchmark::DoNotOptimize(a.SelectMap(1));
  bench::SetTarget(state, 1.2);
}

void SelectQt(benchmark::State& state) {
  const std::string jpeg = (Files().Dir / "Big.jpg").string();
  for (auto _ : state) {
    QImageReader reader(QString::fromStdString(jpeg));
    QImage image = reader.read();
    benchmark::DoNotOptimize(image.width());
  }
}

void Check() {
  TGeoAtlas a(nullptr);
  for (const std::string& f : Files().Calibrations) a.RegisterMap(f);
  if (a.MapCount() != kMaps) bench::Fail("RegisterMap", "not every file registered");
  TGeoAtlas big(nullptr);
  big.RegisterMap(Files().Big);
  if (!big.SelectMap(1) || big.GeoMap().ImageWidth() != kJpegW)
    bench::Fail("SelectMap", "the large map did not load");
}

}  // namespace

BENCHMARK(RegisterNuv)->Name("GeoAtlas RegisterMap 200 files/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(RegisterRaw)
    ->Name("GeoAtlas RegisterMap 200 files/raw read")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RegisterParseOnly)
    ->Name("GeoAtlas RegisterMap 200 files/ParseCalibData only")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SelectNuv)->Name("GeoAtlas SelectMap 3 MP JPEG/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(SelectQt)
    ->Name("GeoAtlas SelectMap 3 MP JPEG/QImageReader")
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::Main(argc, argv, Check); }
