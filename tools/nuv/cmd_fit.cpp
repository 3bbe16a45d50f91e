// nuv fit: a line, polynomial, circle or spline through two columns of a
// table by the curve fit, optionally drawn into a PNG.
#include <cmath>
#include <iostream>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "cli.h"
#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_stringl.h"
#include "plot.h"

namespace nuv::tool {

namespace {

constexpr const char* kFitDescription =
    "Reads FILE as 'nuv stats' does and fits y against x over the rows where\n"
    "both hold values:\n"
    "  --line      y = k*x + d, with R^2\n"
    "  --poly N    y = c0 + c1*x + ... + cN*x^N (N = 1..10) by singular value\n"
    "              decomposition, with R^2\n"
    "  --circle    the least-squares circle (centre and radius)\n"
    "  --spline    the interpolating cubic spline with natural ends, or with\n"
    "              --smooth P the smoothing spline (P = 1 interpolates,\n"
    "              0 gives the regression line); --at X evaluates it\n"
    "--plot OUT.png draws the points and the fitted curve with axes.";

constexpr int32_t kCurveSamples = 400;

struct TFitArgs {
  std::string File, X, Y, Plot, Size = "800x600";
  bool Line = false, Circle = false, Spline = false;
  int32_t Poly = 0;
  double Smooth = -1;
  std::vector<double> At;
  TOutputMode Output{false, 8};
};

// The curve sampled across the x range of the points.
template <class F>
std::vector<TPointDouble> Sampled(const TCurveFit& fit, F&& y) {
  std::vector<TPointDouble> curve;
  const double lo = fit.MinX(), hi = fit.MaxX();
  for (int32_t i = 0; i <= kCurveSamples; ++i) {
    const double x = lo + (hi - lo) * i / kCurveSamples;
    curve.push_back({x, y(x)});
  }
  return curve;
}

double Polynomial(const std::vector<double>& c, double x) {
  double y = 0;
  for (auto it = c.rbegin(); it != c.rend(); ++it) y = y * x + *it;
  return y;
}

void ParseSize(const std::string& text, int32_t& w, int32_t& h) {
  const std::size_t x = text.find('x');
  int32_t code1 = 1, code2 = 1;
  if (x != std::string::npos) {
    Val(text.substr(0, x), w, code1);
    Val(text.substr(x + 1), h, code2);
  }
  if (code1 != 0 || code2 != 0 || !(w >= 200 && w <= 10000 && h >= 150 && h <= 10000))
    throw TUsageError("--size: '" + text + "' is not WxH with W in 200..10000, H in 150..10000");
}

struct TFitResult {
  ordered_json Json;
  std::string Text;
  std::vector<TPointDouble> Curve;
};

TFitResult FitLine(const TCurveFit& fit, int32_t digits) {
  double k = 0, d = 0, r2 = 0;
  fit.CalcLinFit(k, d, r2);
  return {{{"model", "line"}, {"slope", k}, {"intercept", d}, {"r2", r2}},
          "y = k*x + d\n  k (slope)     " + Number(k, digits) + "\n  d (intercept) " +
              Number(d, digits) + "\n  R^2           " + Number(r2, digits) + '\n',
          Sampled(fit, [&](double x) { return k * x + d; })};
}

TFitResult FitPoly(const TCurveFit& fit, int32_t order, int32_t digits) {
  std::vector<double> c(static_cast<std::size_t>(order) + 1);
  double r2 = 0;
  bool singular = false;
  if (!fit.CalcPolyFit(static_cast<uint8_t>(order), c, r2, singular))
    throw TJobError("the polynomial fit failed (singular value decomposition)");
  if (singular)
    std::cerr << "nuv fit: the design is singular: a direction was dropped (too few distinct x)\n";
  TFitResult r{
      {{"model", "polynomial"},
       {"order", order},
       {"coefficients", c},
       {"r2", r2},
       {"singular", singular}},
      "y = c0 + c1*x + ... + c" + std::to_string(order) + "*x^" + std::to_string(order) + '\n',
      Sampled(fit, [&](double x) { return Polynomial(c, x); })};
  for (int32_t j = 0; j <= order; ++j)
    r.Text += "  c" + std::to_string(j) + std::string(j < 10 ? 12 : 11, ' ') +
              Number(c[j], digits) + '\n';
  r.Text += "  R^2           " + Number(r2, digits) + '\n';
  return r;
}

TFitResult FitCircle(const TCurveFit& fit, int32_t digits) {
  double radius = 0, cx = 0, cy = 0;
  fit.CalcCircleFit(radius, cx, cy);
  TFitResult r{{{"model", "circle"}, {"radius", radius}, {"center_x", cx}, {"center_y", cy}},
               "(x - cx)^2 + (y - cy)^2 = r^2\n  cx (centre x) " + Number(cx, digits) +
                   "\n  cy (centre y) " + Number(cy, digits) + "\n  r (radius)    " +
                   Number(radius, digits) + '\n',
               {}};
  for (int32_t i = 0; i <= kCurveSamples; ++i) {
    const double phi = 2 * std::numbers::pi * i / kCurveSamples;
    r.Curve.push_back({cx + radius * std::cos(phi), cy + radius * std::sin(phi)});
  }
  return r;
}

TFitResult FitSpline(TCurveFit& fit, const TFitArgs& a) {
  const bool smoothed = a.Smooth >= 0;
  if (smoothed) fit.SetSplineSmoothing(a.Smooth);
  const auto value = [&](double x) {
    if (!smoothed) return fit.CubicSpline(x);
    double y = 0;
    bool ok = false;
    fit.SmoothedSpline(x, y, ok);
    if (!ok) throw TJobError("the smoothing spline needs three points with distinct x");
    return y;
  };
  TFitResult r{{{"model", smoothed ? "smoothing spline" : "cubic spline"}},
               smoothed ? "smoothing spline, weight " + Number(a.Smooth, 6) + '\n'
                        : std::string("interpolating cubic spline, natural ends\n"),
               Sampled(fit, value)};
  if (smoothed) r.Json["smoothing"] = a.Smooth;
  ordered_json at = ordered_json::array();
  for (double x : a.At) {
    const double y = value(x);
    at.push_back({{"x", x}, {"y", y}});
    r.Text += "  y(" + Number(x, a.Output.Digits) + ") = " + Number(y, a.Output.Digits) + '\n';
  }
  r.Json["values"] = at;
  return r;
}

void Run(const TFitArgs& a) {
  if (static_cast<int>(a.Line) + a.Circle + a.Spline + (a.Poly > 0) != 1)
    throw TUsageError("fit: give exactly one of --line, --poly N, --circle, --spline");
  if (!a.At.empty() && !a.Spline) throw TUsageError("fit: --at goes with --spline");
  int32_t w = 0, h = 0;
  ParseSize(a.Size, w, h);
  TDataTable t(nullptr);
  ReadTable(a.File, t);
  const int32_t cx = ColumnOf(t, a.X), cy = ColumnOf(t, a.Y);
  TCurveFit fit(nullptr);
  for (int32_t r = 1; r <= t.NrOfRows(); ++r)
    if (t.GetIsNumber(cx, r) && t.GetIsNumber(cy, r))
      fit.EnterStatValue(t.GetElem(cx, r), t.GetElem(cy, r));
  if (fit.NumData() < t.NrOfRows())
    std::cerr << "nuv fit: " << t.NrOfRows() - fit.NumData()
              << " rows without both values are left out\n";

  TFitResult result;
  try {
    result = a.Line       ? FitLine(fit, a.Output.Digits)
             : a.Poly > 0 ? FitPoly(fit, a.Poly, a.Output.Digits)
             : a.Circle   ? FitCircle(fit, a.Output.Digits)
                          : FitSpline(fit, a);
  } catch (const ENUVError& e) {
    throw TJobError(a.File + ": " + Utf8(e.Message()));
  }
  result.Json["x"] = Utf8(t.GetColName(cx).View());
  result.Json["y"] = Utf8(t.GetColName(cy).View());
  result.Json["points"] = fit.NumData();
  if (!a.Plot.empty()) {
    TPlot plot;
    for (int32_t i = 1; i <= fit.NumData(); ++i)
      plot.Points.push_back({fit.GetDataX(i), fit.GetDataY(i)});
    plot.Curve = std::move(result.Curve);
    plot.XLabel = t.GetColName(cx).Str();
    plot.YLabel = t.GetColName(cy).Str();
    plot.Width = w;
    plot.Height = h;
    WritePlot(plot, a.Plot);
    result.Json["plot"] = a.Plot;
  }
  if (a.Output.Json) {
    PrintJson(result.Json);
    return;
  }
  std::cout << Utf8(t.GetColName(cy).View()) << " against " << Utf8(t.GetColName(cx).View()) << ", "
            << fit.NumData() << " points: " << result.Text;
  if (!a.Plot.empty()) std::cout << "plot written to " << a.Plot << '\n';
}

}  // namespace

void AddFitCommand(CLI::App& app) {
  auto a = std::make_shared<TFitArgs>();
  CLI::App* cmd =
      app.add_subcommand("fit", "fit a line, polynomial, circle or spline to two columns");
  cmd->footer(kFitDescription);
  cmd->add_option("FILE", a->File, "CSV file or ASC table (.asc)")->required();
  cmd->add_option("--x", a->X, "column of x (name or number)")->required();
  cmd->add_option("--y", a->Y, "column of y (name or number)")->required();
  cmd->add_flag("--line", a->Line, "straight line");
  cmd->add_option("--poly", a->Poly, "polynomial of this order")->check(CLI::Range(1, 10));
  cmd->add_flag("--circle", a->Circle, "circle");
  cmd->add_flag("--spline", a->Spline, "cubic spline");
  cmd->add_option("--smooth", a->Smooth, "smoothing weight 0..1 of the spline")
      ->check(Finite() & CLI::Range(0.0, 1.0));
  cmd->add_option("--at", a->At, "x values at which to evaluate the spline")->check(Finite());
  cmd->add_option("--plot", a->Plot, "draw points and curve into this PNG file");
  cmd->add_option("--size", a->Size, "size WxH of the plot in pixels")->capture_default_str();
  AddOutputOptions(*cmd, a->Output);
  cmd->callback([a] { Run(*a); });
}

}  // namespace nuv::tool
