// The map view's Paint on the offscreen platform: a 2000 x 1500 image in a
// 1000 x 800 control, beside a bare QPainter that draws the same image
// region (and the same graticule polylines and grid lines) on a QImage of
// the control's size. Before timing, the image-only views are compared
// pixel for pixel. The cache rebuild at magnification 0.5 is timed beside
// QImage::scaled to the same size.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/RecordingCanvas.h"

namespace {

using namespace nuv;

constexpr int32_t kImageW = 2000, kImageH = 1500, kViewW = 1000, kViewH = 800;
constexpr TPoint kTopLeft{500, 300};

std::unique_ptr<TBitmap> MakeImage() {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(kImageW, kImageH);
  for (int32_t y = 0; y < kImageH; ++y) {
    uint32_t* row = b->ScanLine(y);
    for (int32_t x = 0; x < kImageW; ++x)
      row[x] = 0xFF000000u | static_cast<uint32_t>((x * 37 + y * 101) * 2654435761u >> 8);
  }
  return b;
}

// A map view over the image: equirectangular (lat 50 - y/1000, long
// 10 + x/1000) or UTM (5 m per pixel in zone 32) calibration.
std::unique_ptr<TGeoMap> MakeMap(TCalibModel model, TShowGrat show) {
  auto m = std::make_unique<TGeoMap>(nullptr);
  m->SetBounds(0, 0, kViewW, kViewH);
  m->SetFrameStyle(fsNone);
  m->SetMapBitMap(*MakeImage());
  m->SetCalibModel(model);
  if (model == cmUTM) m->SetUTMZone(32);
  for (TPoint p :
       {TPoint{0, 0}, TPoint{kImageW, 0}, TPoint{0, kImageH}, TPoint{kImageW, kImageH}}) {
    if (model == cmUTM)
      m->AddCalibPoint(5400000.0 - 5 * p.Y, 480000.0 + 5 * p.X, 32, hemiNorth, p.X, p.Y);
    else
      m->AddCalibPoint(50 - p.Y / 1000.0, 10 + p.X / 1000.0, p.X, p.Y);
  }
  m->SetTopLeft(kTopLeft);
  m->SetShowGraticule(show);
  return m;
}

// What the view draws over the image, as QPainter calls.
struct TOverlay {
  std::vector<QPolygon> Polylines;
  std::vector<QLine> Lines;
};

TOverlay OverlayOf(TGeoMap& m) {
  TRecordingCanvas rec(kViewW, kViewH);
  m.PaintTo(rec, m.TopLeft(), m.Magnification(), kViewW, kViewH);
  TOverlay o;
  QPoint pen;
  for (const TCanvasCall& c : rec.Calls()) {
    if (c.Op == "Polyline") {
      QPolygon poly;
      for (std::size_t i = 0; i + 1 < c.Args.size(); i += 2)
        poly << QPoint(c.Args[i], c.Args[i + 1]);
      o.Polylines.push_back(poly);
    } else if (c.Op == "MoveTo") {
      pen = QPoint(c.Args[0], c.Args[1]);
    } else if (c.Op == "LineTo") {
      o.Lines.emplace_back(pen, QPoint(c.Args[0], c.Args[1]));
      pen = QPoint(c.Args[0], c.Args[1]);
    }
  }
  return o;
}

void PaintNuv(benchmark::State& state, TCalibModel model, TShowGrat show, double target) {
  auto m = MakeMap(model, show);
  for (auto _ : state) {
    m->Paint();
    benchmark::DoNotOptimize(m->ViewBitmap().Image().pixel(kViewW / 2, kViewH / 2));
  }
  if (target > 0) bench::SetTarget(state, target);
}

void PaintQPainter(benchmark::State& state, TCalibModel model, TShowGrat show) {
  auto m = MakeMap(model, show);
  const QImage image = m->MapBitMap().Image();
  const TOverlay overlay = OverlayOf(*m);
  QImage surface(kViewW, kViewH, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&surface);
    p.drawImage(QPoint(0, 0), image, QRect(kTopLeft.X, kTopLeft.Y, kViewW, kViewH));
    p.setPen(QColor(0, 0, 255));
    for (const QPolygon& poly : overlay.Polylines) p.drawPolyline(poly);
    for (const QLine& line : overlay.Lines) p.drawLine(line);
    p.end();
    benchmark::DoNotOptimize(surface.pixel(kViewW / 2, kViewH / 2));
  }
}

void CacheRebuildNuv(benchmark::State& state) {
  auto m = MakeMap(cmEquiRect, sgNone);
  m->SetTopLeft({0, 0});
  bool odd = false;
  for (auto _ : state) {
    // A magnification the cache was not built for rebuilds it.
    m->SetMagnification(odd ? 0.5 : 0.5 + 1e-9);
    odd = !odd;
    m->Paint();
  }
}

void CacheRebuildQt(benchmark::State& state) {
  const QImage image = MakeImage()->Image();
  for (auto _ : state) {
    QImage scaled = image.scaled(kImageW / 2, kImageH / 2);
    benchmark::DoNotOptimize(scaled.bits());
  }
}

void Check() {
  auto m = MakeMap(cmEquiRect, sgNone);
  m->Paint();
  const QImage image = m->MapBitMap().Image();
  const QImage view = m->ViewBitmap().Image();
  for (int32_t y = 0; y < kViewH; y += 7)
    for (int32_t x = 0; x < kViewW; x += 13) {
      if (view.pixel(x, y) != image.pixel(kTopLeft.X + x, kTopLeft.Y + y))
        bench::Fail("image-only view", std::to_string(x) + "," + std::to_string(y));
    }
  if (OverlayOf(*MakeMap(cmEquiRect, sgLines)).Polylines.empty())
    bench::Fail("graticule", "no polylines");
  if (OverlayOf(*MakeMap(cmUTM, sgUTMGrid)).Lines.empty()) bench::Fail("UTM grid", "no lines");
}

void ImageNuv(benchmark::State& s) { PaintNuv(s, cmEquiRect, sgNone, 1.3); }
void ImageQt(benchmark::State& s) { PaintQPainter(s, cmEquiRect, sgNone); }
void GraticuleNuv(benchmark::State& s) { PaintNuv(s, cmEquiRect, sgLines, 0); }
void GraticuleQt(benchmark::State& s) { PaintQPainter(s, cmEquiRect, sgLines); }
void GridNuv(benchmark::State& s) { PaintNuv(s, cmUTM, sgUTMGrid, 0); }
void GridQt(benchmark::State& s) { PaintQPainter(s, cmUTM, sgUTMGrid); }

}  // namespace

BENCHMARK(ImageNuv)->Name("GeoMap Paint image only 1000x800/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(ImageQt)
    ->Name("GeoMap Paint image only 1000x800/QPainter")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(GraticuleNuv)->Name("GeoMap Paint image + graticule/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(GraticuleQt)
    ->Name("GeoMap Paint image + graticule/QPainter")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(GridNuv)->Name("GeoMap Paint image + UTM grid/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(GridQt)->Name("GeoMap Paint image + UTM grid/QPainter")->Unit(benchmark::kMillisecond);
BENCHMARK(CacheRebuildNuv)
    ->Name("GeoMap cache rebuild at 0.5 and paint/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CacheRebuildQt)
    ->Name("GeoMap cache rebuild at 0.5 and paint/QImage::scaled")
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  // The control needs a GUI application; no display is needed.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  return bench::Main(argc, argv, Check);
}
