// Landmarks of the map view: reading 10^5 landmarks from their XML block
// beside a raw line read of the same file; FindLandMark over 10^5
// landmarks beside a plain loop over the same coordinates; and the
// landmark pass of Paint with 20,000 visible crosses with captions beside
// a bare QPainter that draws the same image, lines and texts (taken from a
// recording of the view) on a QImage of the control's size. Before timing,
// the reader's list is compared with the one written and both searches
// are checked to find the same landmark.
#include <benchmark/benchmark.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/RecordingCanvas.h"

namespace {

using namespace nuv;

constexpr int32_t kFileCount = 100000, kPaintCount = 20000;
constexpr int32_t kViewW = 1000, kViewH = 800;

// lat = 50 - y/1000, long = 10 + x/1000 over a kViewW × kViewH image.
std::unique_ptr<TGeoMap> MakeMap() {
  auto m = std::make_unique<TGeoMap>(nullptr);
  m->SetBounds(0, 0, kViewW, kViewH);
  m->SetFrameStyle(fsNone);
  auto image = std::make_unique<TBitmap>();
  image->SetSize(kViewW, kViewH);
  image->Canvas()->Brush()->SetColor(clWhite);
  image->Canvas()->FillRect(Rect(0, 0, kViewW, kViewH));
  m->SetMapBitMap(*image);
  m->SetCalibModel(cmEquiRect);
  for (TPoint p : {TPoint{0, 0}, TPoint{kViewW, 0}, TPoint{0, kViewH}, TPoint{kViewW, kViewH}})
    m->AddCalibPoint(50 - p.Y / 1000.0, 10 + p.X / 1000.0, p.X, p.Y);
  m->SetSuppressPaint(true);
  return m;
}

// Count landmarks spread over the view, with captions "LM <i>".
void AddLandMarks(TGeoMap& m, int32_t Count) {
  uint32_t s = 12345;
  for (int32_t i = 0; i < Count; ++i) {
    s = s * 1664525u + 1013904223u;
    const double x = 5 + (s >> 8) % (kViewW - 10);
    s = s * 1664525u + 1013904223u;
    const double y = 5 + (s >> 8) % (kViewH - 10);
    m.AddLandMark(50 - y / 1000, 10 + x / 1000, i, "LM " + std::to_string(i), i % 7, clRed);
  }
}

const std::string& LandMarkFile() {
  static const std::string file = [] {
    const std::string name =
        (std::filesystem::temp_directory_path() / "nuv_landmarks_bench.xml").string();
    auto m = MakeMap();
    AddLandMarks(*m, kFileCount);
    m->SaveLandmarks(name, "bench");
    return name;
  }();
  return file;
}

void ReadNuv(benchmark::State& state) {
  auto m = MakeMap();
  for (auto _ : state) {
    if (!m->LoadLandMarks(LandMarkFile(), "bench")) state.SkipWithError("not read");
    benchmark::DoNotOptimize(m->NumLandMarks());
  }
  state.counters["landmarks"] = m->NumLandMarks();
}

void ReadRawLines(benchmark::State& state) {
  for (auto _ : state) {
    std::ifstream in(LandMarkFile(), std::ios::binary);
    std::string line;
    std::size_t lines = 0, bytes = 0;
    while (std::getline(in, line)) {
      ++lines;
      bytes += line.size();
    }
    benchmark::DoNotOptimize(lines + bytes);
  }
}

struct TCoordinates {
  std::vector<double> Lat, Long;
  std::vector<uint8_t> Class;
};

// The plain loop: the nearest of the class, first of equals.
int32_t PlainNearest(const TCoordinates& c, double lat, double lon, int32_t cls) {
  double best = 1E10;
  int32_t found = 0;
  for (std::size_t i = 0; i < c.Lat.size(); ++i) {
    if (cls >= 0 && c.Class[i] != cls) continue;
    const double d = (lat - c.Lat[i]) * (lat - c.Lat[i]) + (lon - c.Long[i]) * (lon - c.Long[i]);
    if (d < best) {
      best = d;
      found = static_cast<int32_t>(i + 1);
    }
  }
  return found;
}

TCoordinates CoordinatesOf(const TGeoMap& m) {
  TCoordinates c;
  for (int32_t i = 1; i <= m.NumLandMarks(); ++i) {
    const TLandMark l = m.GetLandMarkData(i);
    c.Lat.push_back(l.Latitude);
    c.Long.push_back(l.Longitude);
    c.Class.push_back(l.Class);
  }
  return c;
}

void FindNuv(benchmark::State& state) {
  auto m = MakeMap();
  AddLandMarks(*m, kFileCount);
  double lat = 49.7;
  for (auto _ : state) {
    benchmark::DoNotOptimize(m->FindLandMark(lat, 10.4, -1));
    lat += 1e-9;
  }
  bench::SetTarget(state, 1.5);
}

void FindPlain(benchmark::State& state) {
  auto m = MakeMap();
  AddLandMarks(*m, kFileCount);
  const TCoordinates c = CoordinatesOf(*m);
  double lat = 49.7;
  for (auto _ : state) {
    benchmark::DoNotOptimize(PlainNearest(c, lat, 10.4, -1));
    lat += 1e-9;
  }
}

std::unique_ptr<TGeoMap> PaintMap() {
  auto m = MakeMap();
  AddLandMarks(*m, kPaintCount);
  m->SetSuppressPaint(false);
  return m;
}

// The view shown once, then painted again as on every pan and zoom.
void PaintNuv(benchmark::State& state) {
  auto m = PaintMap();
  m->Paint();
  for (auto _ : state) {
    m->Paint();
    benchmark::DoNotOptimize(m->ViewBitmap().Image().pixel(kViewW / 2, kViewH / 2));
  }
  bench::SetTarget(state, 2);
}

// The first paint of a new view, which lays out every caption once.
void FirstPaintNuv(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto m = PaintMap();
    state.ResumeTiming();
    m->Paint();
    benchmark::DoNotOptimize(m->ViewBitmap().Image().pixel(kViewW / 2, kViewH / 2));
    state.PauseTiming();
    m.reset();
    state.ResumeTiming();
  }
}

// What the view draws over the image, as QPainter calls in their order.
struct TStroke {
  bool Text;
  QColor Color;
  QLine Line;
  QPoint At;
  QString String;
};

std::vector<TStroke> StrokesOf(TGeoMap& m) {
  TRecordingCanvas rec(kViewW, kViewH);
  m.PaintTo(rec, m.TopLeft(), m.Magnification(), kViewW, kViewH);
  std::vector<TStroke> strokes;
  QPoint pen;
  for (const TCanvasCall& c : rec.Calls()) {
    const QColor color(GetRValue(c.PenColor), GetGValue(c.PenColor), GetBValue(c.PenColor));
    if (c.Op == "MoveTo") {
      pen = QPoint(c.Args[0], c.Args[1]);
    } else if (c.Op == "LineTo") {
      strokes.push_back({false, color, QLine(pen, QPoint(c.Args[0], c.Args[1])), {}, {}});
      pen = QPoint(c.Args[0], c.Args[1]);
    } else if (c.Op == "TextOut") {
      strokes.push_back({true,
                         Qt::black,
                         {},
                         QPoint(c.Args[0], c.Args[1]),
                         QString::fromStdString(AnsiToUtf8(c.Text))});
    }
  }
  return strokes;
}

void PaintQPainter(benchmark::State& state) {
  auto m = PaintMap();
  const QImage image = m->MapBitMap().Image();
  const std::vector<TStroke> strokes = StrokesOf(*m);
  TFont font;
  font.SetSize(8);
  const QFont qfont = font.QtFont();
  const int ascent = QFontMetrics(qfont).ascent();
  QImage surface(kViewW, kViewH, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&surface);
    p.drawImage(QPoint(0, 0), image);
    p.setFont(qfont);
    for (const TStroke& s : strokes) {
      p.setPen(s.Color);
      if (s.Text)
        p.drawText(s.At.x(), s.At.y() + ascent, s.String);
      else
        p.drawLine(s.Line);
    }
    p.end();
    benchmark::DoNotOptimize(surface.pixel(kViewW / 2, kViewH / 2));
  }
}

void Check() {
  const std::string& file = LandMarkFile();
  auto written = MakeMap();
  AddLandMarks(*written, kFileCount);
  auto read = MakeMap();
  if (!read->LoadLandMarks(file, "bench") || read->NumLandMarks() != kFileCount)
    bench::Fail("landmark file", "count");
  for (int32_t i = 1; i <= kFileCount; i += 997)
    if (!(read->GetLandMarkData(i) == written->GetLandMarkData(i)))
      bench::Fail("landmark file", std::to_string(i));
  const TCoordinates c = CoordinatesOf(*written);
  for (double lat : {49.7, 49.21, 50.3})
    if (written->FindLandMark(lat, 10.4, -1) != PlainNearest(c, lat, 10.4, -1))
      bench::Fail("FindLandMark", std::to_string(lat));
  auto m = PaintMap();
  int32_t texts = 0;
  for (const TStroke& s : StrokesOf(*m)) texts += s.Text;
  if (texts != kPaintCount) bench::Fail("paint", std::to_string(texts) + " captions");
}

}  // namespace

BENCHMARK(ReadNuv)->Name("Landmarks read 10^5 from XML/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(ReadRawLines)
    ->Name("Landmarks read 10^5 from XML/raw getline")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FindNuv)->Name("Landmarks FindLandMark over 10^5/nuv")->Unit(benchmark::kMicrosecond);
BENCHMARK(FindPlain)
    ->Name("Landmarks FindLandMark over 10^5/plain loop")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(PaintNuv)
    ->Name("Landmarks Paint 20000 crosses with captions/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PaintQPainter)
    ->Name("Landmarks Paint 20000 crosses with captions/QPainter")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FirstPaintNuv)
    ->Name("Landmarks first Paint of a new view, 20000 crosses with captions/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PaintQPainter)
    ->Name("Landmarks first Paint of a new view, 20000 crosses with captions/QPainter")
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  // The control needs a GUI application; no display is needed.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const int rc = bench::Main(argc, argv, Check);
  std::remove(LandMarkFile().c_str());
  return rc;
}
