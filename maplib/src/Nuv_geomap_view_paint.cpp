// Rendering of the map view: background, image (from the scaled cache or
// stretched directly), graticule, UTM grid, calibration points, landmarks
// and frame,
// on the control, into bitmaps, to the clipboard and to the printer.
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "Nuv_geomap_view_parts.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_math2_curvefit.h"
#include "nuv/Nuv_sline.h"
#include "nuv/platform/Clipbrd.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/Printers.h"

namespace nuv {

using geomap::RoundSat;

namespace {

// The largest power of ten up to 1 that fits into the range once; 0 for a
// range that is empty, negative or not finite.
double AutoSpacing(double range) {
  if (!(range > 0 && std::isfinite(range))) return 0;
  double d = 1;
  for (int32_t i = 0; i < 400 && d > range; ++i) d /= 10;
  return d > range ? 0 : d;
}

// Calls Line(value) for the multiples of Step from the first at or above
// Low (found by truncation) up to before High, at most
// MaxGridLinesPerAxis of them.
template <class F>
void ForEachGridValue(double Low, double High, double Step, F Line) {
  if (!(Step > 0 && std::isfinite(Step) && std::isfinite(Low) && std::isfinite(High))) return;
  double first = std::trunc(Low / Step) * Step;
  if (first < Low) first += Step;
  for (int32_t k = 0; k < MaxGridLinesPerAxis; ++k) {
    const double v = first + k * Step;
    if (!(v < High)) return;
    Line(v);
  }
}

void Diamond(TCanvas& c, TPoint p, int32_t r) {
  c.Polyline({{p.X - r, p.Y}, {p.X, p.Y - r}, {p.X + r, p.Y}, {p.X, p.Y + r}, {p.X - r, p.Y}});
}

void CalibMarker(TCanvas& c, TPoint p, TColor color) {
  c.Pen()->SetColor(color);
  c.MoveTo(p.X - 8, p.Y);
  c.LineTo(p.X + 8, p.Y);
  c.MoveTo(p.X, p.Y - 8);
  c.LineTo(p.X, p.Y + 8);
  Diamond(c, p, 8);
  c.Pen()->SetColor(clWhite);
  Diamond(c, p, 9);
  c.Pen()->SetColor(color);
  Diamond(c, p, 10);
}

// Source's pixels from (SourceX, SourceY) one to one into Dest of Target,
// row by row.
void CopyPixels(TBitmap& Target, const TRect& Dest, const TBitmap& Source, int32_t SourceX,
                int32_t SourceY) {
  const QImage& from = Source.Image();
  const std::size_t bytes = static_cast<std::size_t>(Dest.Width()) * sizeof(uint32_t);
  for (int32_t y = Dest.Top; y < Dest.Bottom; ++y)
    std::memcpy(
        Target.ScanLine(y) + Dest.Left,
        reinterpret_cast<const uint32_t*>(from.constScanLine(SourceY + y - Dest.Top)) + SourceX,
        bytes);
}

}  // namespace

void TGeoMap::Paint() {
  if (suppressPaint_) return;
  if (view_->Width() != Width() || view_->Height() != Height()) view_->SetSize(Width(), Height());
  Render(*view_->Canvas(), CurrentView(), true, view_.get());
  DrawMouseFeedback();
}

void TGeoMap::paintEvent(QPaintEvent* event) {
  // Runs Paint when invalidated. An exception (of a raising OnDataRendered
  // handler, say) must not unwind through Qt's event dispatch: the view
  // shows what was drawn.
  try {
    TCustomControl::paintEvent(event);
  } catch (...) {
  }
  QPainter(this).drawImage(0, 0, view_->Image());
}

void TGeoMap::Render(TCanvas& Canvas, const TView& View, bool UseCache, TBitmap* Target) {
  if (View.Width < 1 || View.Height < 1) return;
  // Put back on every exit: a handler may raise, or render again.
  struct TRestore {
    const TView*& Slot;
    const TView* Old;
    ~TRestore() { Slot = Old; }
  } restore{rendering_, std::exchange(rendering_, &View)};
  TCanvas& c = Canvas;
  c.Pen()->SetMode(pmCopy);
  c.Pen()->SetStyle(psSolid);
  c.Pen()->SetWidth(1);
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(colorBackGnd_);
  if (mapImgName_.empty()) {
    c.FillRect(Rect(0, 0, View.Width, View.Height));
    c.Font()->SetColor(colorFrame_);
    c.TextOut(10, 10, emptyMsg_);
  } else {
    // The background only where the image leaves it.
    const TRect r = DrawImage(c, View, UseCache, Target);
    const TRect strips[] = {
        Rect(0, 0, View.Width, r.Top), Rect(0, r.Bottom, View.Width, View.Height),
        Rect(0, r.Top, r.Left, r.Bottom), Rect(r.Right, r.Top, View.Width, r.Bottom)};
    for (const TRect& strip : strips)
      if (strip.Width() > 0 && strip.Height() > 0) c.FillRect(strip);
    if (OnBeforeRenderData) OnBeforeRenderData(this, c);
    DrawGraticule(c, View);
    DrawLandMarks(c, View);
    if (OnDataRendered) OnDataRendered(this, c);
    DrawHighLight(c, View);
  }
  DrawFrame(c, frameStyle_, 0, 0, View.Width - 1, View.Height - 1, 0xFFFFFF, 0xC0C0C0, 0x808080,
            0x000000, 0x000000);
}

TRect TGeoMap::DrawImage(TCanvas& Canvas, const TView& View, bool UseCache, TBitmap* Target) {
  // Covered: nothing (a rectangle at the view's middle that covers no
  // pixel), or the target rectangle of the copy within the view.
  const TRect none{View.Width / 2, View.Height / 2, View.Width / 2, View.Height / 2};
  if (image_->Empty()) return none;
  Canvas.SetCopyMode(cmSrcCopy);
  Canvas.SetStretchBltMode(antiAlias_ ? sbmHalftone : sbmColorOnColor);
  if (UseCache && View.Mag < cacheMagLimit_) {
    if (!cache_ || cacheMag_ != View.Mag || cacheAntiAlias_ != antiAlias_) {
      cache_ = std::make_unique<TBitmap>();
      cache_->SetSize(std::max(RoundSat(ImageWidth() * View.Mag), 1),
                      std::max(RoundSat(ImageHeight() * View.Mag), 1));
      cache_->Canvas()->SetStretchBltMode(Canvas.StretchBltMode());
      cache_->Canvas()->CopyRect(Rect(0, 0, cache_->Width(), cache_->Height()), *image_->Canvas(),
                                 Rect(0, 0, ImageWidth(), ImageHeight()));
      cacheMag_ = View.Mag;
      cacheAntiAlias_ = antiAlias_;
    }
    // Cache pixel c shows image pixel c / Mag.
    const int32_t ox = RoundSat(View.TopLeft.X * View.Mag);
    const int32_t oy = RoundSat(View.TopLeft.Y * View.Mag);
    const int32_t x0 = std::max(ox, 0), y0 = std::max(oy, 0);
    const int32_t x1 = std::min(geomap::AddSat(ox, View.Width), cache_->Width());
    const int32_t y1 = std::min(geomap::AddSat(oy, View.Height), cache_->Height());
    if (x0 >= x1 || y0 >= y1) return none;
    const TRect dest = Rect(x0 - ox, y0 - oy, x1 - ox, y1 - oy);
    if (Target)
      CopyPixels(*Target, dest, *cache_, x0, y0);
    else
      Canvas.CopyRect(dest, *cache_->Canvas(), Rect(x0, y0, x1, y1));
    return dest;
  }
  // The image pixels at least partly visible.
  const auto span = [](int32_t first, int32_t count, double mag, int32_t size, int64_t& lo,
                       int64_t& hi) {
    lo = std::max<int64_t>(first, 0);
    hi = std::min<int64_t>(int64_t{first} + static_cast<int64_t>(std::ceil(count / mag)) + 1, size);
    return lo < hi;
  };
  int64_t x0, x1, y0, y1;
  if (!span(View.TopLeft.X, View.Width, View.Mag, ImageWidth(), x0, x1) ||
      !span(View.TopLeft.Y, View.Height, View.Mag, ImageHeight(), y0, y1))
    return none;
  const TPoint a = View.ToControl(static_cast<double>(x0), static_cast<double>(y0));
  const TPoint b = View.ToControl(static_cast<double>(x1), static_cast<double>(y1));
  const TRect covered{std::clamp(a.X, 0, View.Width), std::clamp(a.Y, 0, View.Height),
                      std::clamp(b.X, 0, View.Width), std::clamp(b.Y, 0, View.Height)};
  if (Target && View.Mag == 1) {
    CopyPixels(*Target, covered, *image_, static_cast<int32_t>(x0), static_cast<int32_t>(y0));
    return covered;
  }
  Canvas.CopyRect(Rect(a.X, a.Y, b.X, b.Y), *image_->Canvas(),
                  Rect(static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1),
                       static_cast<int32_t>(y1)));
  return covered;
}

void TGeoMap::DrawGraticule(TCanvas& Canvas, const TView& View) {
  if (showGrat_ == sgNone) return;
  const bool lines = showGrat_ == sgLines || showGrat_ == sgPointsAndLines;
  const bool grid = showGrat_ == sgUTMGrid || showGrat_ == sgPointsAndUTMGrid;
  const bool points =
      showGrat_ == sgPoints || showGrat_ == sgPointsAndLines || showGrat_ == sgPointsAndUTMGrid;
  Canvas.Pen()->SetColor(colorGraticule_);
  if (lines && CalibModel() == cmParabolicIp) DrawParabolicLines(Canvas, View);
  if (lines && CalibModel() != cmParabolicIp) DrawGeoGraticule(Canvas, View);
  if (grid && CalibModel() == cmUTM) DrawUTMGrid(Canvas, View);
  if (points) DrawCalibPoints(Canvas, View);
}

void TGeoMap::DrawParabolicLines(TCanvas& Canvas, const TView& View) {
  const TCalibData& d = calib_.Data();
  TCurveFit fit(nullptr);
  std::vector<TPoint> poly;
  for (int32_t l = 1; l <= d.NumCalLines; ++l) {
    const TCalLine& line = d.CalLines[l];
    // The parabola fit needs three points.
    if (line.NumPoints < 3) continue;
    const bool parallel = line.Kind == gtlParallel;
    fit.Init();
    for (int32_t k = 1; k <= line.NumPoints; ++k) {
      const TPoint p = line.Points[k];
      if (parallel)
        fit.EnterStatValue(p.X, p.Y);
      else
        fit.EnterStatValue(p.Y, p.X);
    }
    double k0, k1, k2, q;
    fit.CalcParabolFit(k0, k1, k2, q);
    if (!(std::isfinite(k0) && std::isfinite(k1) && std::isfinite(k2))) continue;
    const int32_t first = parallel ? View.TopLeft.X : View.TopLeft.Y;
    const int64_t steps = static_cast<int64_t>((parallel ? View.Width : View.Height) / View.Mag);
    poly.clear();
    for (int64_t i = 0; i <= steps; ++i) {
      const double u = static_cast<double>(first + i);
      const double v = std::nearbyint(k0 + k1 * u + k2 * u * u);
      poly.push_back(parallel ? View.ToControl(u, v) : View.ToControl(v, u));
    }
    Canvas.Polyline(poly);
  }
}

void TGeoMap::DrawGeoGraticule(TCanvas& Canvas, const TView& View) {
  const auto& k = calib_.Data().Corners;
  double latLow = k[0].Lat, latHigh = k[0].Lat, longLow = k[0].Long, longHigh = k[0].Long;
  for (const TLatLong& c : k) {
    latLow = std::min(latLow, c.Lat);
    latHigh = std::max(latHigh, c.Lat);
    longLow = std::min(longLow, c.Long);
    longHigh = std::max(longHigh, c.Long);
  }
  std::vector<TPoint> poly;
  // One polyline of 101 points, broken where a position has no pixel.
  const auto drawLine = [&](bool meridian, double value, double low, double high) {
    poly.clear();
    for (int32_t i = 0; i <= 100; ++i) {
      const double other = low + i * (high - low) / 100;
      int32_t x = 0, y = 0;
      if (CalcPixelCoords(meridian ? other : value, meridian ? value : other, x, y)) {
        poly.push_back(View.ToControl(x, y));
        continue;
      }
      if (poly.size() > 1) Canvas.Polyline(poly);
      poly.clear();
    }
    if (poly.size() > 1) Canvas.Polyline(poly);
  };
  const double latStep = gratLineDist_ > 0 ? gratLineDist_ : AutoSpacing(latHigh - latLow);
  const double longStep = gratLineDist_ > 0 ? gratLineDist_ : AutoSpacing(longHigh - longLow);
  if (!(latHigh > latLow && longHigh > longLow)) return;
  ForEachGridValue(longLow, longHigh, longStep,
                   [&](double lon) { drawLine(true, lon, latLow, latHigh); });
  ForEachGridValue(latLow, latHigh, latStep,
                   [&](double lat) { drawLine(false, lat, longLow, longHigh); });
}

void TGeoMap::DrawUTMGrid(TCanvas& Canvas, const TView& View) {
  const int32_t w = ImageWidth(), h = ImageHeight();
  double nLow = 0, nHigh = 0, eLow = 0, eHigh = 0;
  const std::array<TPoint, 4> corners{TPoint{0, 0}, TPoint{0, h}, TPoint{w, h}, TPoint{w, 0}};
  for (std::size_t i = 0; i < corners.size(); ++i) {
    double n, e;
    if (!calib_.CalcUTMCoords(corners[i].X, corners[i].Y, n, e)) return;
    nLow = i == 0 ? n : std::min(nLow, n);
    nHigh = i == 0 ? n : std::max(nHigh, n);
    eLow = i == 0 ? e : std::min(eLow, e);
    eHigh = i == 0 ? e : std::max(eHigh, e);
  }
  double step = utmGridDist_;
  if (step <= 0) {
    const double span = std::max(nHigh - nLow, eHigh - eLow);
    if (!std::isfinite(span)) return;
    step = std::max(Round125(span / 10), 1.0);
  }
  // The visible part of the image, in control pixels.
  const double left = std::max(View.ControlX(0), 0.0);
  const double top = std::max(View.ControlY(0), 0.0);
  const double right = std::min(View.ControlX(w), View.Width - 1.0);
  const double bottom = std::min(View.ControlY(h), View.Height - 1.0);
  if (!(left <= right && top <= bottom)) return;
  TSLine line(nullptr);
  const auto drawClipped = [&](TPoint a, TPoint b) {
    double x1, y1, x2, y2;
    if (!line.LineFrom2Points(View.ControlX(a.X), View.ControlY(a.Y), View.ControlX(b.X),
                              View.ControlY(b.Y)) ||
        !line.ClipBox(left, top, right, bottom, x1, y1, x2, y2))
      return;
    Canvas.MoveTo(RoundSat(x1), RoundSat(y1));
    Canvas.LineTo(RoundSat(x2), RoundSat(y2));
  };
  ForEachGridValue(nLow, nHigh, step, [&](double n) {
    drawClipped({0, calib_.CalcUTMyFromNorthingX(n, 0)}, {w, calib_.CalcUTMyFromNorthingX(n, w)});
  });
  ForEachGridValue(eLow, eHigh, step, [&](double e) {
    drawClipped({calib_.CalcUTMxFromEastingY(e, 0), 0}, {calib_.CalcUTMxFromEastingY(e, h), h});
  });
}

void TGeoMap::DrawCalibPoints(TCanvas& Canvas, const TView& View) {
  const TCalibData& d = calib_.Data();
  if (CalibModel() == cmParabolicIp) {
    for (int32_t l = 1; l <= d.NumCalLines; ++l)
      for (int32_t k = 1; k <= d.CalLines[l].NumPoints; ++k) {
        const TPoint p = d.CalLines[l].Points[k];
        CalibMarker(Canvas, View.ToControl(p.X, p.Y), colorCalibPoints_);
      }
    return;
  }
  for (int32_t i = 1; i <= d.NumCalPoints; ++i)
    CalibMarker(Canvas, View.ToControl(d.CalPoints[i].X, d.CalPoints[i].Y), colorCalibPoints_);
}

// ---------------------------------------------------------------------------
// Copies

void TGeoMap::PaintTo(TCanvas& Canvas, TPoint At, double Scale, int32_t Width, int32_t Height) {
  if (!(Scale >= MinMagnification && Scale <= MaxMagnification))
    RaiseComponentError<ENUVGeoMapError>(*this, "PaintTo: scale out of range (1/64 to 64)");
  Render(Canvas, {At, Scale, Width, Height}, false);
}

void TGeoMap::CopyToBMP(TBitmap& Bitmap, TPoint At, double Scale, int32_t Width, int32_t Height) {
  if (!(Scale >= MinMagnification && Scale <= MaxMagnification))
    RaiseComponentError<ENUVGeoMapError>(*this, "CopyToBMP: scale out of range (1/64 to 64)");
  Bitmap.SetSize(std::max(Width, 1), std::max(Height, 1));
  Render(*Bitmap.Canvas(), {At, Scale, Bitmap.Width(), Bitmap.Height()}, false, &Bitmap);
}

void TGeoMap::CopyToClipboard() {
  const int32_t w = Width(), h = Height();
  if (w < 1 || h < 1) return;
  TBitmap view, bitmap;
  view.SetSize(w, h);
  Render(*view.Canvas(), CurrentView(), true, &view);
  bitmap.SetSize(w, h);
  TCanvas& c = *bitmap.Canvas();
  c.CopyRect(Rect(2, 2, w - 2, h - 2), *view.Canvas(), Rect(2, 2, w - 2, h - 2));
  c.Pen()->SetColor(clBlack);
  DrawRectangle(c, 1, 1, w - 2, h - 2);
  Clipboard().Assign(bitmap);
}

void TGeoMap::CopyEntireMapToClipboard() {
  if (image_->Empty())
    RaiseComponentError<ENUVGeoMapError>(*this, "CopyEntireMapToClipboard: no map image");
  TBitmap bitmap;
  CopyToBMP(bitmap, {0, 0}, 1.0, ImageWidth(), ImageHeight());
  Clipboard().Assign(bitmap);
}

// ---------------------------------------------------------------------------
// Printing

TRect TGeoMap::CalcExtentsOfPrint(int32_t X, int32_t Y, double Scale) const {
  return Bounds(X, Y, RoundSat(Width() * Scale), RoundSat(Height() * Scale));
}

void TGeoMap::RenderToPrinter(const TRect& PrinterRect) {
  if (!Printer().Printing() || PrinterRect.Width() < 1 || PrinterRect.Height() < 1 || Width() < 1)
    return;
  const double scale = static_cast<double>(PrinterRect.Width()) / Width();
  TBitmap page;
  page.SetSize(PrinterRect.Width(), PrinterRect.Height());
  Render(*page.Canvas(), {topLeft_, mag_ * scale, page.Width(), page.Height()}, false);
  PrintBitmap(page, PrinterRect.Left, PrinterRect.Top);
}

void TGeoMap::CopyToOpenPrinter(int32_t X, int32_t Y, double Scale) {
  if (!(Scale > 0 && std::isfinite(Scale)))
    RaiseComponentError<ENUVGeoMapError>(*this, "CopyToOpenPrinter: the scale must be positive");
  RenderToPrinter(CalcExtentsOfPrint(X, Y, Scale));
}

void TGeoMap::CopyToOpenPrinter(const TRect& PrinterRect) {
  if (Width() < 1 || Height() < 1) return;
  const double scale = std::min(static_cast<double>(PrinterRect.Width()) / Width(),
                                static_cast<double>(PrinterRect.Height()) / Height());
  if (scale > 0) RenderToPrinter(CalcExtentsOfPrint(PrinterRect.Left, PrinterRect.Top, scale));
}

void TGeoMap::CopyToOpenPrinter(TPoint At) {
  CopyToOpenPrinter(At.X, At.Y,
                    static_cast<double>(TPrinter::kResolution) / Screen().PixelsPerInch());
}

void TGeoMap::PrintIt(double Scale) {
  if (!(Scale > 0 && std::isfinite(Scale)))
    RaiseComponentError<ENUVGeoMapError>(*this, "PrintIt: the scale must be positive");
  TPrinter& p = Printer();
  p.BeginDoc();
  try {
    const TRect r = CalcExtentsOfPrint(0, 0, Scale);
    CopyToOpenPrinter((p.PageWidth() - r.Width()) / 2, (p.PageHeight() - r.Height()) / 2, Scale);
  } catch (...) {
    p.Abort();
    throw;
  }
  p.EndDoc();
}

}  // namespace nuv
