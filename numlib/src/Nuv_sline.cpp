#include "nuv/Nuv_sline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "numlib_units.h"

namespace nuv {

namespace {

// What CalcX and CalcY divide by instead of a zero coefficient.
constexpr double kInfSubstitute = 1e-100;

// a*b - c*d with one rounding (Kahan's algorithm): exactly 0 when the
// products are equal, so that parallel lines are recognised as such.
double DiffOfProducts(double a, double b, double c, double d) {
  const double cd = c * d;
  const double err = std::fma(-c, d, cd);
  return std::fma(a, b, -cd) + err;
}

double SumOfProducts(double a, double b, double c, double d) {
  return DiffOfProducts(a, b, -c, d);
}

}  // namespace

TSLine::TSLine(TComponent* AOwner) : TComponent(AOwner) {}

void TSLine::SetParA(double value) {
  if (value == 0 && parB_ == 0) throw ENUVSLineError("parameter A and B must not both be zero");
  parA_ = value;
}

void TSLine::SetParB(double value) {
  if (value == 0 && parA_ == 0) throw ENUVSLineError("parameter A and B must not both be zero");
  parB_ = value;
}

double TSLine::CalcY(double x) const {
  if (parB_ == 0 && !substituteInf_) throw ENUVSLineError("cannot calculate y");
  return (-x * parA_ - parC_) / (parB_ == 0 ? kInfSubstitute : parB_);
}

double TSLine::CalcX(double y) const {
  if (parA_ == 0 && !substituteInf_) throw ENUVSLineError("cannot calculate x");
  return (-y * parB_ - parC_) / (parA_ == 0 ? kInfSubstitute : parA_);
}

double TSLine::GetSlope() const {
  if (parB_ == 0) throw ENUVSLineError("slope is infinite");
  return -parA_ / parB_;
}

double TSLine::GetIntercept() const {
  if (parB_ == 0)
    throw ENUVSLineError("cannot calculate intercept (line is parallel to y axis)");
  return -parC_ / parB_;
}

void TSLine::CalcKDForm(double& k, double& d) const {
  if (parB_ == 0) throw ENUVSLineError("cannot convert to k-d-form if ParB is zero");
  k = -parA_ / parB_;
  d = -parC_ / parB_;
}

double TSLine::GetDirect() const {
  constexpr double pi = std::numbers::pi;
  if (parB_ == 0) return parA_ > 0 ? 1.5 * pi : 0.5 * pi;
  double angle = std::atan(-parA_ / parB_);
  if (parB_ < 0) angle += pi;
  if (parB_ > 0 && parA_ > 0) angle += 2 * pi;
  // atan(-0) is -0; the direction of the x axis is +0.
  return angle + 0.0;
}

double TSLine::Distance(double x, double y) const {
  return std::fabs(parA_ * x + parB_ * y + parC_) / std::hypot(parA_, parB_);
}

bool TSLine::InterSection(const TSLine& line, double& x, double& y) const {
  const double det = DiffOfProducts(parA_, line.parB_, line.parA_, parB_);
  if (det == 0) return false;
  x = DiffOfProducts(parB_, line.parC_, line.parB_, parC_) / det;
  y = DiffOfProducts(parC_, line.parA_, line.parC_, parA_) / det;
  return true;
}

double TSLine::AngleBetweenLines(const TSLine& line) const {
  const double s = SumOfProducts(parA_, line.parA_, parB_, line.parB_);
  if (s == 0) return 0.5 * std::numbers::pi;
  return std::fabs(std::atan(DiffOfProducts(parA_, line.parB_, line.parA_, parB_) / s));
}

bool TSLine::LineFrom2Points(double x1, double y1, double x2, double y2) {
  if (x1 == x2 && y1 == y2) return false;
  // Infinite or NaN points give no line, only NaN coefficients.
  if (!(std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2)))
    return false;
  parA_ = y1 - y2;
  parB_ = x2 - x1;
  parC_ = DiffOfProducts(x1, y2, y1, x2);
  return true;
}

void TSLine::LineFromSlopeIcpt(double k, double d) {
  parA_ = k;
  parB_ = -1;
  parC_ = d;
}

void TSLine::LineThroughPoint(double x, double y, double phi) {
  parA_ = -std::sin(phi);
  parB_ = std::cos(phi);
  parC_ = -parA_ * x - parB_ * y;
}

void TSLine::ParallelLine(double x, double y, const TSLine& line) {
  parA_ = line.parA_;
  parB_ = line.parB_;
  parC_ = -parA_ * x - parB_ * y;
}

void TSLine::NormalLine(double x, double y, const TSLine& line) {
  const double a = -line.parB_, b = line.parA_;
  parA_ = a;
  parB_ = b;
  parC_ = -parA_ * x - parB_ * y;
}

bool TSLine::ClipBox(double xLow, double yLow, double xHigh, double yHigh, double& x1,
                     double& y1, double& x2, double& y2) const {
  // An edge parallel to the line has no single crossing: the line either
  // misses it or runs along it, and then the perpendicular edges give the
  // ends. Skipping it also keeps the divisions away from zero, which
  // SubstituteInf would otherwise have to cover.
  if (!(xLow <= xHigh && yLow <= yHigh)) return false;
  struct TCandidate {
    double X, Y;
  };
  std::array<TCandidate, 4> found;
  std::size_t n = 0;
  // Bounds are inclusive, widened by a few units of rounding (and the value
  // put back on the edge), so that a line through a corner keeps that end
  // when its crossing comes out a hair beyond the corner.
  auto onEdge = [](double& v, double lo, double hi) {
    const double slack = 4 * std::numeric_limits<double>::epsilon() *
                         std::max(std::fabs(lo), std::fabs(hi));
    if (!(lo - slack <= v && v <= hi + slack)) return false;
    v = std::clamp(v, lo, hi);
    return true;
  };
  if (parB_ != 0) {
    for (const double x : {xLow, xHigh}) {
      double y = CalcY(x);
      if (onEdge(y, yLow, yHigh)) found[n++] = {x, y};
    }
  }
  if (parA_ != 0) {
    for (const double y : {yLow, yHigh}) {
      double x = CalcX(y);
      if (onEdge(x, xLow, xHigh)) found[n++] = {x, y};
    }
  }
  if (n == 0) return false;
  // A line through a corner finds that corner twice; the other end of the
  // chord is the candidate farthest from the first.
  x1 = x2 = found[0].X;
  y1 = y2 = found[0].Y;
  double farthest = 0;
  for (std::size_t i = 1; i < n; ++i) {
    const double d = std::hypot(found[i].X - x1, found[i].Y - y1);
    if (d > farthest) {
      farthest = d;
      x2 = found[i].X;
      y2 = found[i].Y;
    }
  }
  return true;
}

namespace units {

void Nuv_sline_Init() {}
void Nuv_sline_Finalize() {}

}  // namespace units

}  // namespace nuv
