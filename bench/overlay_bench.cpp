// Chart marks and frames on a 2000 x 2000 bitmap beside QPainter drawing the
// same primitives with the same pens and brushes: the peer is a canvas whose
// primitives are QPainter calls on a QImage, so DrawMarkOnCanvas and
// DrawFrame issue exactly the same sequence of lines, rectangles, ellipses,
// polygons and pixels to both. Before timing, every mark and frame style is
// drawn both ways and the pixels compared: they may differ only where Qt's
// aliased rasterisation covers other pixels than the classic raster rules
// (end pixels of lines, one more row of a rectangle).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Bitmap.h"

namespace {

using nuv::TColor;
using nuv::TPoint;
using nuv::TRect;

constexpr int32_t kSide = 2000;
constexpr int32_t kMarks = 1000000;
constexpr int32_t kFrames = 100000;
constexpr TColor kPenColors[] = {nuv::clBlack, nuv::clRed, nuv::clBlue, nuv::clGreen};

QColor QtColor(TColor c) {
  const TColor rgb = nuv::ColorToRGB(c);
  return QColor(nuv::GetRValue(rgb), nuv::GetGValue(rgb), nuv::GetBValue(rgb));
}

// A canvas that draws each primitive with one QPainter call, aliased, with
// a pen and brush made from the canvas's own.
class TQPainterCanvas : public nuv::TCanvas {
 public:
  explicit TQPainterCanvas(QImage& image) : TCanvas(false), image_(image), painter_(&image) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
  }

 protected:
  void DoLine(TPoint from, TPoint to) override {
    UsePen();
    painter_.drawLine(from.X, from.Y, to.X, to.Y);
  }
  // Qt's outlined rectangle covers one pixel more each way than its size.
  void DoRectangle(const TRect& r) override {
    UsePen();
    UseBrush();
    painter_.drawRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
  }
  void DoEllipse(const TRect& r) override {
    UsePen();
    UseBrush();
    painter_.drawEllipse(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
  }
  void DoPolygon(std::span<const TPoint> points) override {
    UsePen();
    UseBrush();
    polygon_.resize(static_cast<qsizetype>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i)
      polygon_[static_cast<qsizetype>(i)] = QPoint(points[i].X, points[i].Y);
    painter_.drawPolygon(polygon_, Qt::OddEvenFill);
  }
  void DoPolyline(std::span<const TPoint>) override {}
  void DoFillRect(const TRect&) override {}
  void DoFrameRect(const TRect&) override {}
  void DoTextOut(int32_t, int32_t, std::string_view, const TRect*) override {}
  nuv::TSize DoTextExtent(std::string_view) override { return {}; }
  void DoGetTextMetrics(nuv::TTextMetric&) override {}
  void DoCopyRect(const TRect&, TCanvas&, const TRect&) override {}
  void DoStretchDraw(const TRect&, const nuv::TGraphic&, bool) override {}
  TColor DoGetPixel(int32_t, int32_t) override { return -1; }
  void DoSetPixel(int32_t X, int32_t Y, TColor Color) override {
    UsePen(Color);
    painter_.drawPoint(X, Y);
  }
  TRect DoClipRect() const override { return {0, 0, image_.width(), image_.height()}; }

 private:
  void UsePen() { UsePen(Pen()->Color()); }
  void UsePen(TColor c) {
    if (c == pen_) return;
    pen_ = c;
    painter_.setPen(QPen(QtColor(c), 1));
  }
  void UseBrush() {
    const bool solid = Brush()->Style() != nuv::bsClear;
    const TColor c = solid ? Brush()->Color() : nuv::clNone;
    if (c == brush_) return;
    brush_ = c;
    painter_.setBrush(solid ? QBrush(QtColor(c)) : QBrush(Qt::NoBrush));
  }

  QImage& image_;
  QPainter painter_;
  QPolygon polygon_;
  TColor pen_ = nuv::clNone;
  TColor brush_ = -2;
};

struct TMarkAt {
  uint8_t Code;
  int32_t X, Y;
  TColor Color;
};

const std::vector<TMarkAt>& Marks() {
  static const std::vector<TMarkAt> marks = [] {
    std::vector<TMarkAt> m(kMarks);
    std::mt19937 rng(24);
    for (TMarkAt& a : m)
      a = {static_cast<uint8_t>(rng() % 52), static_cast<int32_t>(rng() % kSide),
           static_cast<int32_t>(rng() % kSide), kPenColors[rng() % 4]};
    return m;
  }();
  return marks;
}

struct TFrameAt {
  int32_t Style;
  TRect R;
};

const std::vector<TFrameAt>& Frames() {
  static const std::vector<TFrameAt> frames = [] {
    std::vector<TFrameAt> f(kFrames);
    std::mt19937 rng(1313);
    for (TFrameAt& a : f) {
      const int32_t w = 10 + static_cast<int32_t>(rng() % 290), h = 10 + static_cast<int32_t>(rng() % 290);
      const int32_t x = static_cast<int32_t>(rng() % (kSide - w)), y = static_cast<int32_t>(rng() % (kSide - h));
      a = {1 + static_cast<int32_t>(rng() % 5), {x, y, x + w, y + h}};
    }
    return f;
  }();
  return frames;
}

void DrawMarks(nuv::TCanvas& c) {
  for (const TMarkAt& m : Marks()) {
    c.Pen()->SetColor(m.Color);
    nuv::DrawMarkOnCanvas(c, m.Code, m.X, m.Y);
  }
}

void DrawFrames(nuv::TCanvas& c) {
  for (const TFrameAt& f : Frames())
    nuv::DrawFrame(c, f.Style, f.R.Left, f.R.Top, f.R.Right, f.R.Bottom, nuv::clWhite,
                   nuv::clSilver, nuv::clGray, nuv::clBlack, nuv::clBlack);
}

std::unique_ptr<nuv::TBitmap> NuvBitmap(int32_t side) {
  auto b = std::make_unique<nuv::TBitmap>();
  b->SetSize(side, side);
  return b;
}

QImage QtImage(int32_t side) {
  QImage image(side, side, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

// Pixels that differ between the two pictures, and those painted in either.
void Compare(const QImage& a, const QImage& b, int32_t& differ, int32_t& painted) {
  differ = painted = 0;
  for (int32_t y = 0; y < a.height(); ++y)
    for (int32_t x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      differ += p != q;
      painted += p != 0xFFFFFFFFu || q != 0xFFFFFFFFu;
    }
}

template <class Draw>
void CheckOne(const std::string& what, int32_t side, Draw draw) {
  auto bitmap = NuvBitmap(side);
  QImage image = QtImage(side);
  draw(*bitmap->Canvas());
  {
    TQPainterCanvas qt(image);
    draw(qt);
  }
  int32_t differ = 0, painted = 0;
  Compare(bitmap->Image(), image, differ, painted);
  // Qt adds end pixels of lines and the extra row and column of outlines.
  if (painted == 0 || differ > std::max(4, painted / 2))
    bench::Fail("marks and frames differ from QPainter's",
                what + ": " + std::to_string(differ) + " of " + std::to_string(painted) + " pixels");
}

void CheckSameResults() {
  for (int32_t code = 0; code <= 51; ++code)
    CheckOne("mark " + std::to_string(code), 21, [code](nuv::TCanvas& c) {
      c.Pen()->SetColor(nuv::clRed);
      nuv::DrawMarkOnCanvas(c, static_cast<uint8_t>(code), 10, 10);
    });
  for (int32_t style = 1; style <= 5; ++style)
    CheckOne("frame style " + std::to_string(style), 40, [style](nuv::TCanvas& c) {
      nuv::DrawFrame(c, style, 5, 6, 30, 33, nuv::clRed, nuv::clLime, nuv::clBlue,
                     nuv::clFuchsia, nuv::clTeal);
    });
}

// Draws the whole set once per iteration on a fresh canvas of each kind.
template <void (*Draw)(nuv::TCanvas&), int32_t Items>
void OnNuv(benchmark::State& state) {
  auto b = NuvBitmap(kSide);
  for (auto _ : state) Draw(*b->Canvas());
  benchmark::DoNotOptimize(b->Image().constBits());
  state.SetItemsProcessed(state.iterations() * Items);
  bench::SetTarget(state, 1.0);
}

template <void (*Draw)(nuv::TCanvas&), int32_t Items>
void OnQPainter(benchmark::State& state) {
  QImage image = QtImage(kSide);
  for (auto _ : state) {
    TQPainterCanvas qt(image);
    Draw(qt);
  }
  benchmark::DoNotOptimize(image.constBits());
  state.SetItemsProcessed(state.iterations() * Items);
}

BENCHMARK(OnNuv<DrawMarks, kMarks>)->Name("DrawMarkOnCanvas 10^6 marks 0-51/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(OnQPainter<DrawMarks, kMarks>)->Name("DrawMarkOnCanvas 10^6 marks 0-51/QPainter")->Unit(benchmark::kMillisecond);
BENCHMARK(OnNuv<DrawFrames, kFrames>)->Name("DrawFrame 10^5 frames/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(OnQPainter<DrawFrames, kFrames>)->Name("DrawFrame 10^5 frames/QPainter")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Headless: no display is needed to paint into images.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  return bench::Main(argc, argv, CheckSameResults);
}
