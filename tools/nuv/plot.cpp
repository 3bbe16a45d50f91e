#include "plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "cli.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/Graphics.h"

namespace nuv::tool {

void AxisRange(double lo, double hi, double& first, double& last, double& step) {
  if (!(hi > lo)) {
    lo -= 0.5;
    hi += 0.5;
  }
  long double firstTick = 0, s = 0;
  uint16_t subTicks = 0;
  CalcScalePars(5, lo, hi, firstTick, s, subTicks);
  step = static_cast<double>(std::fabs(s));
  first = step * std::floor(lo / step);
  last = step * std::ceil(hi / step);
}

namespace {

struct TAxes {
  double X0, X1, XStep, Y0, Y1, YStep;
  int32_t Left, Top, Right, Bottom;  // the plot area in pixels

  TPoint Pixel(TPointDouble p) const {
    const double fx = (p.X - X0) / (X1 - X0), fy = (p.Y - Y0) / (Y1 - Y0);
    // Far-away curve points are clamped so that pixel arithmetic stays in
    // range; the canvas clips what lies outside the picture.
    const auto clamp = [](double v) {
      return static_cast<int32_t>(std::clamp(std::round(v), -1e6, 1e6));
    };
    return {clamp(Left + fx * (Right - Left)), clamp(Bottom - fy * (Bottom - Top))};
  }
};

TAxes AxesOf(const TPlot& plot) {
  double xlo = HUGE_VAL, xhi = -HUGE_VAL, ylo = HUGE_VAL, yhi = -HUGE_VAL;
  for (const TPointDouble& p : plot.Points) {
    xlo = std::min(xlo, p.X), xhi = std::max(xhi, p.X);
    ylo = std::min(ylo, p.Y), yhi = std::max(yhi, p.Y);
  }
  TAxes a{};
  AxisRange(xlo, xhi, a.X0, a.X1, a.XStep);
  AxisRange(ylo, yhi, a.Y0, a.Y1, a.YStep);
  a.Left = kPlotLeft;
  a.Top = kPlotTop;
  a.Right = plot.Width - kPlotRight;
  a.Bottom = plot.Height - kPlotBottom;
  return a;
}

std::string TickText(double v, double step) {
  // Enough decimals to tell neighbouring ticks apart.
  const int32_t decimals = std::clamp(static_cast<int32_t>(-std::floor(std::log10(step))), 0, 10);
  return strff(std::fabs(v) < step * 1e-9 ? 0.0 : v, 1, decimals);
}

void DrawAxes(TCanvas& c, const TAxes& a, const TPlot& plot) {
  c.Pen()->SetColor(clBlack);
  c.MoveTo(a.Left, a.Top);
  c.LineTo(a.Left, a.Bottom);
  c.LineTo(a.Right + 1, a.Bottom);
  c.Font()->SetName("Arial");
  c.Font()->SetSize(9);
  c.Font()->SetColor(clBlack);
  c.Brush()->SetStyle(bsClear);
  const int32_t xticks = static_cast<int32_t>(std::lround((a.X1 - a.X0) / a.XStep));
  for (int32_t i = 0; i <= xticks; ++i) {
    const double v = a.X0 + i * a.XStep;
    const int32_t x = a.Pixel({v, a.Y0}).X;
    c.MoveTo(x, a.Bottom);
    c.LineTo(x, a.Bottom + 6);
    const std::string t = TickText(v, a.XStep);
    c.TextOut(x - c.TextWidth(t) / 2, a.Bottom + 8, t);
  }
  const int32_t yticks = static_cast<int32_t>(std::lround((a.Y1 - a.Y0) / a.YStep));
  for (int32_t i = 0; i <= yticks; ++i) {
    const double v = a.Y0 + i * a.YStep;
    const int32_t y = a.Pixel({a.X0, v}).Y;
    c.MoveTo(a.Left - 6, y);
    c.LineTo(a.Left, y);
    const std::string t = TickText(v, a.YStep);
    c.TextOut(a.Left - 8 - c.TextWidth(t), y - c.TextHeight(t) / 2, t);
  }
  c.TextOut((a.Left + a.Right - c.TextWidth(plot.XLabel)) / 2, plot.Height - 22, plot.XLabel);
  c.TextOut(4, 4, plot.YLabel);
  c.Brush()->SetStyle(bsSolid);
}

void DrawCurve(TCanvas& c, const TAxes& a, const std::vector<TPointDouble>& curve) {
  std::vector<TPoint> pixels;
  pixels.reserve(curve.size());
  for (const TPointDouble& p : curve)
    if (std::isfinite(p.X) && std::isfinite(p.Y)) pixels.push_back(a.Pixel(p));
  if (pixels.size() < 2) return;
  c.Pen()->SetColor(clRed);
  c.Polyline(pixels);
}

void DrawPoints(TCanvas& c, const TAxes& a, const std::vector<TPointDouble>& points) {
  c.Pen()->SetColor(clBlue);
  c.Brush()->SetColor(clBlue);
  for (const TPointDouble& p : points) {
    const TPoint q = a.Pixel(p);
    c.Rectangle(q.X - 2, q.Y - 2, q.X + 3, q.Y + 3);
  }
}

}  // namespace

void WritePng(const TBitmap& b, const std::string& fileName) {
  const std::string temporary = fileName + ".part";
  try {
    b.SaveToPngFile(Ansi(temporary));
  } catch (const Exception& e) {
    std::remove(temporary.c_str());
    throw TJobError(fileName + ": cannot be written (" + Utf8(e.Message()) + ")");
  }
  std::error_code ec;
  std::filesystem::rename(temporary, fileName, ec);
  if (ec) {
    std::remove(temporary.c_str());
    throw TJobError(fileName + ": cannot be written (" + ec.message() + ")");
  }
}

void WritePlot(const TPlot& plot, const std::string& fileName) {
  Application().Initialize();
  TBitmap b;
  b.SetSize(plot.Width, plot.Height);
  TCanvas& c = *b.Canvas();
  c.Brush()->SetColor(clWhite);
  c.FillRect({0, 0, plot.Width, plot.Height});
  const TAxes a = AxesOf(plot);
  DrawAxes(c, a, plot);
  DrawCurve(c, a, plot.Curve);
  DrawPoints(c, a, plot.Points);
  WritePng(b, fileName);
}

}  // namespace nuv::tool
