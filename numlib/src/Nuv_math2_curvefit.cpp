#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "Nuv_math2_parts.h"
#include "Nuv_vector_stats.h"
#include "numlib_textfile.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_statis.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/Nuv_univconst.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

namespace {

constexpr int32_t kGrowRows = 1000;
constexpr double kSmall = 1e-30;
constexpr long double kMaxReal = uc_MaxReal;

[[noreturn]] void Raise(const std::string& text) { throw ENUVMath2Error(text); }

void NeedPoints(int32_t n, int32_t least, const char* fit) {
  if (n < least) Raise(std::string(fit) + ": not enough data points");
}

// r² between fitted and observed values from their sums; 0 when either
// has no variance.
double CorrelationSquared(long double n, long double Sf, long double Sy, long double Sff,
                          long double Syy, long double Sfy) {
  const long double r = stats::CorrelationOfSums(n, Sf, Sy, Sff, Syy, Sfy);
  return static_cast<double>(r * r);
}

}  // namespace

// Running sums of the points, each over all points entered (see
// AddToSums for the terms that stand in for impossible ones).
struct TCurveFit::TSums {
  long double x = 0, y = 0, x2 = 0, y2 = 0, xmy = 0, xmy2 = 0, xy = 0, x2y = 0, xy2 = 0, x3 = 0,
              y3 = 0, x4 = 0, y4 = 0, riy = 0, riy2 = 0, xdy = 0, rixy = 0, rix = 0, rix2 = 0,
              ydx = 0, lnx = 0, lnx2 = 0, ylnx = 0, xlnx = 0, lnxdy = 0, lnxlny = 0, lny = 0,
              lny2 = 0, xlny = 0, x2lny = 0;
};

// Knots, values and second derivatives of a cubic spline.
struct TCurveFit::TSpline {
  std::vector<double> x, y, m;
};

TCurveFit::TCurveFit(TComponent* AOwner)
    : TComponent(AOwner),
      data_(std::make_unique<TMatrix>(nullptr)),
      sums_(std::make_unique<TSums>()) {
  data_->Resize(2, kGrowRows);
  Init();
}

TCurveFit::~TCurveFit() = default;

void TCurveFit::Changed() {
  if (OnChange) OnChange(this);
}

void TCurveFit::Invalidate() {
  spline_.reset();
  smoothed_.reset();
  rankValid_ = false;
}

bool TCurveFit::Init() {
  *sums_ = TSums{};
  count_ = 0;
  data_->Fill(0);
  minX_ = minY_ = static_cast<double>(uc_MaxDouble);
  maxX_ = maxY_ = -static_cast<double>(uc_MaxDouble);
  errors_.reset();
  Invalidate();
  Changed();
  return false;
}

void TCurveFit::AddToSums(double x, double y) {
  TSums& s = *sums_;
  const long double X = x, Y = y;
  s.x += X;
  s.y += Y;
  s.x2 += X * X;
  s.y2 += Y * Y;
  s.xmy += X - Y;
  s.xmy2 += (X - Y) * (X - Y);
  s.xy += X * Y;
  s.x2y += X * X * Y;
  s.xy2 += X * Y * Y;
  s.x3 += X * X * X;
  s.y3 += Y * Y * Y;
  s.x4 += X * X * X * X;
  s.y4 += Y * Y * Y * Y;
  // Reciprocals: MaxReal stands in for 1/0.
  const bool xZero = std::fabs(x) <= kSmall, yZero = std::fabs(y) <= kSmall;
  if (yZero) {
    errors_.set(cfeYEQ0);
    s.riy += kMaxReal;
    s.riy2 += kMaxReal * kMaxReal;
    s.xdy += X * kMaxReal;
  } else {
    s.riy += 1 / Y;
    s.riy2 += 1 / (Y * Y);
    s.xdy += X / Y;
  }
  if (xZero) {
    errors_.set(cfeXEQ0);
    s.rix += kMaxReal;
    s.rix2 += kMaxReal * kMaxReal;
    s.ydx += Y * kMaxReal;
  } else {
    s.rix += 1 / X;
    s.rix2 += 1 / (X * X);
    s.ydx += Y / X;
  }
  s.rixy += xZero ? (yZero ? kMaxReal : kMaxReal / Y) : (yZero ? kMaxReal / X : 1 / X / Y);
  const long double lx = x > 0 ? std::log(X) : 0, ly = y > 0 ? std::log(Y) : 0;
  if (x > 0) {
    s.lnx += lx;
    s.lnx2 += lx * lx;
    s.ylnx += Y * lx;
    s.xlnx += X * lx;
    if (y != 0)
      s.lnxdy += lx / Y;
    else
      errors_.set(cfeYEQ0);
  } else {
    errors_.set(cfeXLE0);
  }
  if (y > 0) {
    if (x > 0) s.lnxlny += lx * ly;
    s.lny += ly;
    s.lny2 += ly * ly;
    s.xlny += X * ly;
    s.x2lny += X * X * ly;
  } else {
    errors_.set(cfeYLE0);
  }
  minX_ = std::min(minX_, x);
  maxX_ = std::max(maxX_, x);
  minY_ = std::min(minY_, y);
  maxY_ = std::max(maxY_, y);
}

void TCurveFit::EnterStatValue(double x, double y) {
  if (count_ >= std::numeric_limits<int32_t>::max() - kGrowRows)
    Raise("TCurveFit: too many data points");
  AddToSums(x, y);
  // Growing by a fixed step would copy the points again and again; half the
  // current size (at least the step) keeps entering linear.
  if (count_ >= data_->NrOfRows()) {
    const int32_t rows = data_->NrOfRows();
    data_->Resize(
        2,
        rows + std::max(kGrowRows, std::min(rows / 2, std::numeric_limits<int32_t>::max() - rows)));
  }
  data_->Column(1)[count_] = x;
  data_->Column(2)[count_] = y;
  ++count_;
  Invalidate();
  Changed();
}

// Removing by subtraction would leave the rounding of large terms in the
// sums (1e30 + 1 - 1e30 = 0), so they are rebuilt from the points.
void TCurveFit::RecomputeSums() {
  *sums_ = TSums{};
  errors_.reset();
  minX_ = minY_ = static_cast<double>(uc_MaxDouble);
  maxX_ = maxY_ = -static_cast<double>(uc_MaxDouble);
  const double *x = data_->Column(1), *y = data_->Column(2);
  for (int32_t i = 0; i < count_; ++i) AddToSums(x[i], y[i]);
}

void TCurveFit::RemoveStatValue(int32_t i) {
  Invalidate();
  if (i < 1 || i > count_) return;
  for (int32_t c = 1; c <= 2; ++c) {
    double* col = data_->Column(c);
    std::copy(col + i, col + count_, col + i - 1);
    col[count_ - 1] = 0;
  }
  --count_;
  RecomputeSums();
  Changed();
}

double TCurveFit::GetDataX(int32_t i) const {
  return i >= 1 && i <= count_ ? data_->Column(1)[i - 1] : 0;
}
double TCurveFit::GetDataY(int32_t i) const {
  return i >= 1 && i <= count_ ? data_->Column(2)[i - 1] : 0;
}

std::span<const double> TCurveFit::XData() const {
  return {data_->Column(1), static_cast<std::size_t>(count_)};
}
std::span<const double> TCurveFit::YData() const {
  return {data_->Column(2), static_cast<std::size_t>(count_)};
}

// ---------------------------------------------------------------------------
// Spline settings

void TCurveFit::SetNatural1(bool v) {
  natural1_ = v;
  spline_.reset();
}
void TCurveFit::SetNaturalN(bool v) {
  naturalN_ = v;
  spline_.reset();
}
void TCurveFit::SetY1Dash(double v) {
  y1Dash_ = v;
  spline_.reset();
}
void TCurveFit::SetYNDash(double v) {
  ynDash_ = v;
  spline_.reset();
}
void TCurveFit::SetSplineSmoothing(double v) {
  smoothing_ = v;
  smoothed_.reset();
}

// ---------------------------------------------------------------------------
// Descriptive statistics

namespace {

double MeanOf(long double sum, int32_t n) { return n > 0 ? static_cast<double>(sum / n) : 0; }

double StdDevOf(long double s1, long double s2, int32_t n) {
  if (n < 3) return 0;
  return static_cast<double>(std::sqrt(std::fabs((s2 - s1 * s1 / n) / (n - 1))));
}

}  // namespace

double TCurveFit::GetMeanX() const { return MeanOf(sums_->x, count_); }
double TCurveFit::GetMeanY() const { return MeanOf(sums_->y, count_); }
double TCurveFit::GetMeanDiff() const { return MeanOf(sums_->xmy, count_); }
double TCurveFit::GetStdDevX() const { return StdDevOf(sums_->x, sums_->x2, count_); }
double TCurveFit::GetStdDevY() const { return StdDevOf(sums_->y, sums_->y2, count_); }
double TCurveFit::GetStdDevDiff() const { return StdDevOf(sums_->xmy, sums_->xmy2, count_); }

double TCurveFit::GetRxy() const {
  const TSums& s = *sums_;
  if (count_ <= 2) return 0;
  return static_cast<double>(stats::CorrelationOfSums(count_, s.x, s.y, s.x2, s.y2, s.xy));
}

double TCurveFit::GetSkewnessX() const {
  double skew = 0, kurt = 0;
  if (count_ > 0) data_->SkewKurtSample(1, 1, 1, count_, skew, kurt);
  return skew;
}
double TCurveFit::GetSkewnessY() const {
  double skew = 0, kurt = 0;
  if (count_ > 0) data_->SkewKurtSample(2, 1, 2, count_, skew, kurt);
  return skew;
}
double TCurveFit::GetKurtosisX() const {
  double skew = 0, kurt = 0;
  if (count_ > 0) data_->SkewKurtSample(1, 1, 1, count_, skew, kurt);
  return kurt;
}
double TCurveFit::GetKurtosisY() const {
  double skew = 0, kurt = 0;
  if (count_ > 0) data_->SkewKurtSample(2, 1, 2, count_, skew, kurt);
  return kurt;
}

bool TCurveFit::QuartilesX(double& Q1, double& Median, double& Q3) const {
  Q1 = Median = Q3 = 0;
  return count_ > 0 && data_->Quartiles(1, 1, 1, count_, Q1, Median, Q3);
}
bool TCurveFit::QuartilesY(double& Q1, double& Median, double& Q3) const {
  Q1 = Median = Q3 = 0;
  return count_ > 0 && data_->Quartiles(2, 1, 2, count_, Q1, Median, Q3);
}

double TCurveFit::CalcMeanDegrees(int32_t Column) const {
  if (Column < 1 || Column > 2 || count_ == 0) return 0;
  long double sinSum = 0, cosSum = 0;
  for (double v : Column == 1 ? XData() : YData()) {
    const double rad = v * std::numbers::pi / 180;
    sinSum += std::sin(rad);
    cosSum += std::cos(rad);
  }
  if (sinSum == 0 && cosSum == 0) return 0;
  const double m = std::atan(static_cast<double>(sinSum / cosSum)) * 180 / std::numbers::pi;
  if (cosSum < 0) return m + 180;
  return sinSum < 0 ? m + 360 : m;
}

double TCurveFit::GetMeanXDegrees() const { return CalcMeanDegrees(1); }
double TCurveFit::GetMeanYDegrees() const { return CalcMeanDegrees(2); }

void TCurveFit::CalcStatistics(int32_t& NumData, double& MeanX, double& MeanY, double& StdDevX,
                               double& StdDevY, double& MeanDiff, double& StdDevDiff,
                               double& r) const {
  MeanX = GetMeanX();
  MeanY = GetMeanY();
  MeanDiff = GetMeanDiff();
  StdDevX = GetStdDevX();
  StdDevY = GetStdDevY();
  StdDevDiff = GetStdDevDiff();
  r = GetRxy();
  NumData = count_;
}

void TCurveFit::CalcAnovaReg(int32_t NumVars, bool WithIntercept, int32_t& DFReg, int32_t& DFRes,
                             int32_t& DFTot, double& SSRes, double& SSReg, double& SSTot,
                             double& MSRes, double& MSReg, double& FValue) const {
  const TSums& s = *sums_;
  const long double n = count_;
  DFReg = NumVars;
  DFTot = WithIntercept ? count_ - 1 : count_;
  DFRes = DFTot - DFReg;
  const long double a = WithIntercept ? s.x / std::max(n, 1.0L) : 0;
  SSRes = static_cast<double>(s.xmy2);
  SSReg = static_cast<double>(n * a * a + s.y2 - 2 * a * s.y);
  SSTot = static_cast<double>(n * a * a + s.x2 - 2 * a * s.x);
  // A mean square over no degrees of freedom is undefined: 0.
  MSRes = DFRes > 0 ? SSRes / DFRes : 0;
  MSReg = DFReg > 0 ? SSReg / DFReg : 0;
  FValue = MSReg == 0 ? 0 : (MSRes != 0 ? MSReg / MSRes : 1e10);
}

// ---------------------------------------------------------------------------
// Rank correlation

void TCurveFit::BasicRankCounts(int64_t& Concordant, int64_t& Discordant, int64_t& TiedYOnly,
                                int64_t& TiedXOnly) {
  CountRankPairs();
  Concordant = concordant_;
  Discordant = discordant_;
  TiedYOnly = tiedYOnly_;
  TiedXOnly = tiedXOnly_;
}

void TCurveFit::CountRankPairs() {
  if (rankValid_) return;
  concordant_ = discordant_ = tiedYOnly_ = tiedXOnly_ = 0;
  if (count_ > 2) {
    const auto x = XData(), y = YData();
    for (int32_t i = 0; i < count_; ++i)
      for (int32_t j = i + 1; j < count_; ++j) {
        const double dx = x[i] - x[j], dy = y[i] - y[j], p = dx * dy;
        if (p > 0)
          ++concordant_;
        else if (p < 0)
          ++discordant_;
        else if (dx != 0)
          ++tiedYOnly_;
        else if (dy != 0)
          ++tiedXOnly_;
      }
  }
  rankValid_ = true;
}

double TCurveFit::GetKruskalGamma() {
  CountRankPairs();
  const double den = static_cast<double>(concordant_ + discordant_);
  return den > 0 ? (concordant_ - discordant_) / den : 0;
}

double TCurveFit::KendallsTau(double& Prob) {
  CountRankPairs();
  Prob = 1;
  const double nc = static_cast<double>(concordant_), nd = static_cast<double>(discordant_);
  const double den = (nc + nd + tiedYOnly_) * (nc + nd + tiedXOnly_);
  if (count_ < 3 || !(den > 0)) return 0;
  const double tau = (nc - nd) / std::sqrt(den), n = count_;
  const double z = std::fabs(tau) / std::sqrt((4 * n + 10) / (9 * n * (n - 1)));
  Prob = 1 - ErfApprox(z / std::numbers::sqrt2);
  return tau;
}

namespace {

// Ranks 1..n with mid-ranks for ties; adds t(t²-1)/12 per tie group to ties.
std::vector<double> MidRanks(std::span<const double> v, double& ties) {
  const auto n = static_cast<int32_t>(v.size());
  std::vector<int32_t> order(n);
  for (int32_t i = 0; i < n; ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return v[a] < v[b]; });
  std::vector<double> rank(n);
  ties = 0;
  for (int32_t i = 0; i < n;) {
    int32_t j = i;
    while (j < n && v[order[j]] == v[order[i]]) ++j;
    const double t = j - i;
    ties += t * (t * t - 1) / 12;
    for (int32_t k = i; k < j; ++k) rank[order[k]] = (i + 1 + j) / 2.0;
    i = j;
  }
  return rank;
}

}  // namespace

double TCurveFit::GetSpearman() const {
  if (count_ < 3) return 0;
  const auto x = XData(), y = YData();
  if (std::any_of(x.begin(), x.end(), [](double v) { return std::isnan(v); }) ||
      std::any_of(y.begin(), y.end(), [](double v) { return std::isnan(v); }))
    return 0;
  double tx, ty;
  const auto rx = MidRanks(x, tx), ry = MidRanks(y, ty);
  long double D = 0;
  for (int32_t i = 0; i < count_; ++i) D += (rx[i] - ry[i]) * (rx[i] - ry[i]);
  const double n = count_, F = n * (n * n - 1);
  if (tx == 0 && ty == 0) return static_cast<double>(1 - 6 * D / F);
  const double den = (F - 12 * tx) * (F - 12 * ty);
  if (!(den > 0)) return 0;  // every value of a coordinate tied
  return static_cast<double>((F - 6 * (D + tx + ty)) / std::sqrt(den));
}

// ---------------------------------------------------------------------------
// Fits on the stored points

void TCurveFit::CalcLinFit(double& k, double& d, double& FitQual) const {
  NeedPoints(count_, 2, "CalcLinFit");
  k = d = FitQual = 0;
  const int32_t n = count_;
  // The running sums hold the points' sums in entry order, so these are the
  // column means without another pass over the points.
  const double xm = GetMeanX(), ym = GetMeanY();
  const auto x = XData(), y = YData();
  long double Su = 0, Sv = 0, Suu = 0, Svv = 0, Suv = 0;
  for (int32_t i = 0; i < n; ++i) {
    const long double u = x[i] - static_cast<long double>(xm),
                      v = y[i] - static_cast<long double>(ym);
    Su += u;
    Sv += v;
    Suu += u * u;
    Svv += v * v;
    Suv += u * v;
  }
  const long double den = n * Suu - Su * Su;
  if (den == 0) return;
  const long double slope = (n * Suv - Su * Sv) / den, d0 = (Suu * Sv - Su * Suv) / den;
  k = static_cast<double>(slope);
  d = static_cast<double>(d0 - slope * xm + ym);
  const long double qden = Svv - Sv * Sv / n;
  FitQual = qden == 0 ? 1.0 : static_cast<double>((Sv * d0 + slope * Suv - Sv * Sv / n) / qden);
}

void TCurveFit::CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual) const {
  NeedPoints(count_, 3, "CalcParabolFit");
  k0 = k1 = k2 = FitQual = 0;
  const int32_t n = count_;
  double xm, ym, var;
  data_->MeanVar(1, 1, 1, n, xm, var);
  data_->MeanVar(2, 1, 2, n, ym, var);
  const auto x = XData(), y = YData();
  long double S1 = 0, S2 = 0, S3 = 0, S4 = 0, Sv = 0, Svv = 0, Suv = 0, Su2v = 0;
  for (int32_t i = 0; i < n; ++i) {
    const long double u = x[i] - static_cast<long double>(xm),
                      v = y[i] - static_cast<long double>(ym), u2 = u * u;
    S1 += u;
    S2 += u2;
    S3 += u2 * u;
    S4 += u2 * u2;
    Sv += v;
    Svv += v * v;
    Suv += u * v;
    Su2v += u2 * v;
  }
  const long double D = n * S2 - S1 * S1, E = n * Su2v - S2 * Sv, F = n * S3 - S2 * S1,
                    G = n * Suv - S1 * Sv, H = n * S4 - S2 * S2;
  const long double q2 = D * H == F * F ? 0 : (D * E - F * G) / (D * H - F * F);
  const long double q1 = D == 0 ? 0 : (G - F * q2) / D;
  const long double q0 = (Sv - q1 * S1 - q2 * S2) / n;
  k2 = static_cast<double>(q2);
  k1 = static_cast<double>(q1 - 2 * q2 * xm);
  k0 = static_cast<double>(static_cast<long double>(xm) * xm * q2 + q0 - xm * q1 + ym);
  const long double qden = Svv - Sv * Sv / n;
  FitQual =
      qden == 0 ? 1.0 : static_cast<double>((Sv * q0 + q1 * Suv + q2 * Su2v - Sv * Sv / n) / qden);
}

namespace {

// The map t = (x - centre)·scale that takes the points' x onto [-1, 1]
// (scale 1 when they do not spread), so that powers of t stay apart however
// far from 0 the points lie and whatever their units.
struct TUnitMap {
  double centre = 0, scale = 1;
  explicit TUnitMap(std::span<const double> x) {
    const auto [lo, hi] = std::minmax_element(x.begin(), x.end());
    centre = 0.5 * *lo + 0.5 * *hi;
    const double half = 0.5 * *hi - 0.5 * *lo;
    if (half > 0 && std::isfinite(half)) scale = 1 / half;
  }
  double operator()(double x) const { return (x - centre) * scale; }
};

// Sums of fitted values f and observed values v, for r² between them.
template <class T>
struct TFitSums {
  T Sf = 0, Sv = 0, Sff = 0, Svv = 0, Sfv = 0;
  void Add(T f, T v) {
    Sf += f;
    Sv += v;
    Sff += f * f;
    Svv += v * v;
    Sfv += f * v;
  }
  double Qual(int32_t n) const { return CorrelationSquared(n, Sf, Sv, Sff, Svv, Sfv); }
};

// Least squares v = c[0] + Σ c[j]·r_j over n points for k regressors r_1..r_k,
// where row(i, r, v) gives point i's regressors r[0..k-1] and response v.
// The regressors and the response are taken about their means (and the
// decomposition scales the columns), so that the cut-off judges how the
// data lie and not where. FitQual is r² between fitted and observed values.
template <class Row>
bool CentredLeastSquares(int32_t n, int32_t k, Row&& row, std::vector<double>& c, double& FitQual,
                         bool& Singular) {
  std::vector<double> r(k), a(k + 1);
  std::vector<long double> mean(k + 1, 0.0L);  // the regressors', then the response's
  double v = 0;
  for (int32_t i = 0; i < n; ++i) {
    row(i, r.data(), v);
    for (int32_t j = 0; j < k; ++j) mean[j] += r[j];
    mean[k] += v;
  }
  for (long double& m : mean) m /= n;
  math2::TLeastSquares lsq(k + 1);
  a[k] = 1;
  for (int32_t i = 0; i < n; ++i) {
    row(i, r.data(), v);
    for (int32_t j = 0; j < k; ++j) a[j] = static_cast<double>(r[j] - mean[j]);
    lsq.AddRow(a.data(), static_cast<double>(v - mean[k]));
  }
  std::vector<double> b;
  if (!lsq.Solve(1e-14, b, Singular)) return false;
  TFitSums<long double> sums;
  for (int32_t i = 0; i < n; ++i) {
    row(i, r.data(), v);
    long double f = b[k];
    for (int32_t j = 0; j < k; ++j) f += b[j] * (r[j] - mean[j]);
    sums.Add(f, v - mean[k]);
  }
  FitQual = sums.Qual(n);
  c.assign(k + 1, 0.0);
  long double c0 = mean[k] + b[k];
  for (int32_t j = 0; j < k; ++j) {
    c[j + 1] = b[j];
    c0 -= b[j] * mean[j];
  }
  c[0] = static_cast<double>(c0);
  return true;
}

// Least squares v = Σ a[j]·t^j, j = 0..Order, in t of the unit map of x;
// the decomposition scales the columns, so the cut-off judges how the
// points lie and not where. FitQual is r² between fitted and observed v.
template <class Response>
bool PolyInUnitX(std::span<const double> x, Response&& response, int32_t Order, const TUnitMap& map,
                 std::vector<double>& a, double& FitQual, bool& Singular) {
  const auto n = static_cast<int32_t>(x.size());
  math2::TLeastSquares lsq(Order + 1);
  std::vector<double> row(Order + 1);
  row[Order] = 1;
  for (int32_t i = 0; i < n; ++i) {
    const double t = map(x[i]);
    double p = 1;
    for (int32_t j = 0; j < Order; ++j) row[j] = p *= t;
    lsq.AddRow(row.data(), response(i));
  }
  std::vector<double> b;  // the powers 1..Order, then the constant
  if (!lsq.Solve(1e-14, b, Singular)) return false;
  a.assign(Order + 1, 0.0);
  a[0] = b[Order];
  std::copy_n(b.begin(), Order, a.begin() + 1);
  TFitSums<double> sums;
  for (int32_t i = 0; i < n; ++i) {
    const double t = map(x[i]);
    double f = 0;
    for (int32_t j = Order; j >= 0; --j) f = f * t + a[j];
    sums.Add(f, response(i));
  }
  FitQual = sums.Qual(n);
  return true;
}

// The polynomial Σ a[j]·t^j, t = alpha·u + beta, rewritten in powers of u.
void ComposeLinear(const std::vector<double>& a, long double alpha, long double beta,
                   std::span<double> coeffs) {
  const auto degree = static_cast<int32_t>(a.size()) - 1;
  std::vector<long double> q(degree + 1, 0.0L);  // Horner's scheme on polynomials
  q[0] = a[degree];
  for (int32_t j = degree - 1; j >= 0; --j) {
    for (int32_t i = degree - j; i >= 1; --i) q[i] = q[i] * beta + q[i - 1] * alpha;
    q[0] = q[0] * beta + a[j];
  }
  for (int32_t i = 0; i <= degree; ++i) coeffs[i] = static_cast<double>(q[i]);
}

// The polynomial fit in powers of (x - origin).
bool PolyAbout(std::span<const double> x, std::span<const double> y, int32_t Order, double origin,
               std::span<double> Coeffs, double& FitQual, bool& Singular) {
  const TUnitMap map(x);
  std::vector<double> a;
  if (!PolyInUnitX(
          x, [&](int32_t i) { return y[i]; }, Order, map, a, FitQual, Singular))
    return false;
  const long double scale = map.scale;
  ComposeLinear(a, scale, (origin - static_cast<long double>(map.centre)) * scale, Coeffs);
  return true;
}

void CheckCoeffs(std::span<double> Coeffs, uint8_t Order, const char* fit) {
  if (Coeffs.size() < static_cast<std::size_t>(Order) + 1)
    Raise(std::string(fit) + ": coefficient array too short");
}

}  // namespace

bool TCurveFit::CalcPolyFit(uint8_t Order, std::span<double> Coeffs, double& FitQual,
                            bool& Singular) const {
  CheckCoeffs(Coeffs, Order, "CalcPolyFit");
  FitQual = 0;
  Singular = false;
  std::fill(Coeffs.begin(), Coeffs.begin() + Order + 1, 0.0);
  if (count_ < 1) return false;
  return PolyAbout(XData(), YData(), Order, 0, Coeffs, FitQual, Singular);
}

bool TCurveFit::CalcCenteredPolyFit(uint8_t Order, std::span<double> Coeffs, double& XCenter,
                                    double& FitQual, bool& Singular) const {
  CheckCoeffs(Coeffs, Order, "CalcCenteredPolyFit");
  FitQual = 0;
  Singular = false;
  std::fill(Coeffs.begin(), Coeffs.begin() + Order + 1, 0.0);
  if (count_ < 1) return false;
  double xm, xvar;
  data_->MeanVar(1, 1, 1, count_, xm, xvar);
  if (XCenter == 0) XCenter = xm;
  return PolyAbout(XData(), YData(), Order, XCenter, Coeffs, FitQual, Singular);
}

void TCurveFit::CalcCircleFit(double& Radius, double& CenterX, double& CenterY) const {
  NeedPoints(count_, 3, "CalcCircleFit");
  Radius = CenterX = CenterY = 0;
  // The sums of the formulas, taken about the centroid so that distant
  // circles do not cancel their digits.
  const long double n = count_, xm = sums_->x / n, ym = sums_->y / n;
  long double Su = 0, Sv = 0, Suu = 0, Svv = 0, Suv = 0, Suuu = 0, Svvv = 0, Suuv = 0, Suvv = 0;
  const auto x = XData(), y = YData();
  for (int32_t i = 0; i < count_; ++i) {
    const long double u = x[i] - xm, v = y[i] - ym;
    Su += u;
    Sv += v;
    Suu += u * u;
    Svv += v * v;
    Suv += u * v;
    Suuu += u * u * u;
    Svvv += v * v * v;
    Suuv += u * u * v;
    Suvv += u * v * v;
  }
  const long double A = Sv * Sv - n * Svv, B = Su * Su - n * Suu, E = n * Suv - Su * Sv;
  const long double T = A * B - E * E;
  // T vanishes for collinear points (Cauchy-Schwarz on the centred sums);
  // rounding leaves a residue that an exact test for 0 would take for a huge
  // circle.
  if (!(T > 1e-15L * A * B)) Raise("CalcCircleFit: radius is infinite");
  const long double P = (Suu + Svv) * Sv - (Suuv + Svvv) * n,
                    Q = (Suu + Svv) * Su - (Suvv + Suuu) * n;
  const long double cx = (E * P + A * Q) / (2 * T), cy = (E * Q + B * P) / (2 * T);
  Radius = static_cast<double>(
      std::sqrt(((cx * cx + cy * cy) * n + Suu + Svv - 2 * (Su * cx + Sv * cy)) / n));
  CenterX = static_cast<double>(cx + xm);
  CenterY = static_cast<double>(cy + ym);
}

// ---------------------------------------------------------------------------
// Linearised fits

namespace {

// How a linearised fit transforms a coordinate.
enum TTransform : uint8_t { tfNone, tfReciprocal, tfLog };

long double Transformed(double v, TTransform t) {
  switch (t) {
    case tfReciprocal:
      return 1 / static_cast<long double>(v);
    case tfLog:
      return std::log(static_cast<long double>(v));
    default:
      return v;
  }
}

// The line v = slope·u + intercept through the transformed points, from
// sums about the means (two passes), so that points far from 0 keep their
// digits; r2 is 1 when v does not vary, everything 0 when u does not.
void LineOfTransformed(std::span<const double> x, std::span<const double> y, TTransform tu,
                       TTransform tv, double& slope, double& intercept, double& r2) {
  slope = intercept = r2 = 0;
  const auto n = static_cast<long double>(x.size());
  long double mu = 0, mv = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    mu += Transformed(x[i], tu);
    mv += Transformed(y[i], tv);
  }
  mu /= n;
  mv /= n;
  long double Suu = 0, Svv = 0, Suv = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const long double du = Transformed(x[i], tu) - mu, dv = Transformed(y[i], tv) - mv;
    Suu += du * du;
    Svv += dv * dv;
    Suv += du * dv;
  }
  if (Suu == 0) return;
  const long double b = Suv / Suu;
  slope = static_cast<double>(b);
  intercept = static_cast<double>(mv - b * mu);
  r2 = Svv == 0 ? 1.0 : static_cast<double>(Suv / Suu * (Suv / Svv));
}

void NeedNo(const TCurveFitErrors& e, TCurveFitError flag, const char* fit, const char* what) {
  if (e.test(flag)) Raise(std::string(fit) + ": " + what);
}

}  // namespace

void TCurveFit::CalcReciLinFit(double& k, double& d, double& FitQual) const {
  NeedPoints(count_, 2, "CalcReciLinFit");
  NeedNo(errors_, cfeYEQ0, "CalcReciLinFit", "y values must not be 0");
  LineOfTransformed(XData(), YData(), tfNone, tfReciprocal, k, d, FitQual);
}

void TCurveFit::CalcHyperbolFit(double& k, double& d, double& FitQual) const {
  NeedPoints(count_, 2, "CalcHyperbolFit");
  NeedNo(errors_, cfeXEQ0, "CalcHyperbolFit", "x values must not be 0");
  LineOfTransformed(XData(), YData(), tfReciprocal, tfNone, k, d, FitQual);
}

void TCurveFit::CalcReciHyperbolFit(double& k, double& d, double& FitQual) const {
  NeedPoints(count_, 2, "CalcReciHyperbolFit");
  NeedNo(errors_, cfeXEQ0, "CalcReciHyperbolFit", "x values must not be 0");
  NeedNo(errors_, cfeYEQ0, "CalcReciHyperbolFit", "y values must not be 0");
  LineOfTransformed(XData(), YData(), tfReciprocal, tfReciprocal, k, d, FitQual);
}

void TCurveFit::CalcLogFit(double& k, double& d, double& FitQual) const {
  NeedPoints(count_, 2, "CalcLogFit");
  NeedNo(errors_, cfeXLE0, "CalcLogFit", "x values must be positive");
  LineOfTransformed(XData(), YData(), tfLog, tfNone, k, d, FitQual);
}

void TCurveFit::CalcReciLogFit(double& k, double& d, double& FitQual) const {
  NeedPoints(count_, 2, "CalcReciLogFit");
  NeedNo(errors_, cfeXLE0, "CalcReciLogFit", "x values must be positive");
  NeedNo(errors_, cfeYEQ0, "CalcReciLogFit", "y values must not be 0");
  LineOfTransformed(XData(), YData(), tfLog, tfReciprocal, k, d, FitQual);
}

void TCurveFit::CalcPowerFit(double& k, double& d, double& FitQual) const {
  NeedPoints(count_, 2, "CalcPowerFit");
  NeedNo(errors_, cfeXLE0, "CalcPowerFit", "x values must be positive");
  NeedNo(errors_, cfeYLE0, "CalcPowerFit", "y values must be positive");
  double lnd;
  LineOfTransformed(XData(), YData(), tfLog, tfLog, k, lnd, FitQual);
  d = std::exp(lnd);
}

void TCurveFit::CalcExponentialFit(double& k, double& d, double& FitQual) const {
  NeedPoints(count_, 2, "CalcExponentialFit");
  NeedNo(errors_, cfeYLE0, "CalcExponentialFit", "y values must be positive");
  double lnd;
  LineOfTransformed(XData(), YData(), tfNone, tfLog, k, lnd, FitQual);
  d = std::exp(lnd);
}

void TCurveFit::CalcGaussFit(double& p1, double& p2, double& p3, double& FitQual) const {
  NeedPoints(count_, 3, "CalcGaussFit");
  NeedNo(errors_, cfeYLE0, "CalcGaussFit", "y values must be positive");
  p1 = p2 = p3 = FitQual = 0;
  // ln y = a0 + a1·t + a2·t² in t = (x - centre)·scale; a bell needs
  // a2 < 0.
  const auto x = XData(), y = YData();
  const TUnitMap map(x);
  std::vector<double> a;
  bool singular;
  if (!PolyInUnitX(
          x, [&](int32_t i) { return std::log(y[i]); }, 2, map, a, FitQual, singular) ||
      singular) {
    FitQual = 0;
    return;
  }
  if (!(a[2] < 0)) Raise("CalcGaussFit: data do not describe a bell curve");
  p2 = map.centre - a[1] / (2 * a[2]) / map.scale;
  p3 = std::sqrt(-1 / (2 * a[2])) / map.scale;
  p1 = std::exp(a[0] - a[1] * a[1] / (4 * a[2]));
}

void TCurveFit::CalcHoerlFit(double& p1, double& p2, double& p3, double& FitQual) const {
  NeedPoints(count_, 3, "CalcHoerlFit");
  NeedNo(errors_, cfeXLE0, "CalcHoerlFit", "x values must be positive");
  NeedNo(errors_, cfeYLE0, "CalcHoerlFit", "y values must be positive");
  p1 = p2 = p3 = FitQual = 0;
  // ln y = ln p1 + x·ln p2 + p3·ln x.
  const auto x = XData(), y = YData();
  const auto row = [&](int32_t i, double* r, double& v) {
    r[0] = x[i];
    r[1] = std::log(x[i]);
    v = std::log(y[i]);
  };
  std::vector<double> c;
  bool singular;
  if (!CentredLeastSquares(count_, 2, row, c, FitQual, singular) || singular) {
    FitQual = 0;
    return;
  }
  p1 = std::exp(c[0]);
  p2 = std::exp(c[1]);
  p3 = c[2];
}

// ---------------------------------------------------------------------------
// Splines

namespace {

// The points sorted by x; false when an x is NaN or repeated.
bool SortedKnots(std::span<const double> x, std::span<const double> y, std::vector<double>& kx,
                 std::vector<double>& ky) {
  std::vector<std::pair<double, double>> p;
  p.reserve(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (std::isnan(x[i])) return false;
    p.emplace_back(x[i], y[i]);
  }
  std::sort(p.begin(), p.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  kx.resize(p.size());
  ky.resize(p.size());
  for (std::size_t i = 0; i < p.size(); ++i) {
    kx[i] = p[i].first;
    ky[i] = p[i].second;
    if (i > 0 && kx[i] == kx[i - 1]) return false;
  }
  return true;
}

}  // namespace

const TCurveFit::TSpline& TCurveFit::Spline() {
  if (spline_) return *spline_;
  NeedPoints(count_, 2, "CubicSpline");
  auto s = std::make_unique<TSpline>();
  if (!SortedKnots(XData(), YData(), s->x, s->y)) Raise("CubicSpline: x values must be distinct");
  const auto n = static_cast<int32_t>(s->x.size());
  const auto& x = s->x;
  const auto& y = s->y;
  // Tridiagonal system for the second derivatives (Thomas algorithm).
  std::vector<double> sub(n, 0), diag(n, 1), sup(n, 0), rhs(n, 0);
  for (int32_t i = 1; i < n - 1; ++i) {
    const double h0 = x[i] - x[i - 1], h1 = x[i + 1] - x[i];
    sub[i] = h0;
    diag[i] = 2 * (h0 + h1);
    sup[i] = h1;
    rhs[i] = 6 * ((y[i + 1] - y[i]) / h1 - (y[i] - y[i - 1]) / h0);
  }
  const double hFirst = x[1] - x[0], hLast = x[n - 1] - x[n - 2];
  if (!natural1_) {
    diag[0] = 2 * hFirst;
    sup[0] = hFirst;
    rhs[0] = 6 * ((y[1] - y[0]) / hFirst - y1Dash_);
  }
  if (!naturalN_) {
    sub[n - 1] = hLast;
    diag[n - 1] = 2 * hLast;
    rhs[n - 1] = 6 * (ynDash_ - (y[n - 1] - y[n - 2]) / hLast);
  }
  for (int32_t i = 1; i < n; ++i) {
    const double w = sub[i] / diag[i - 1];
    diag[i] -= w * sup[i - 1];
    rhs[i] -= w * rhs[i - 1];
  }
  s->m.assign(n, 0);
  s->m[n - 1] = rhs[n - 1] / diag[n - 1];
  for (int32_t i = n - 2; i >= 0; --i) s->m[i] = (rhs[i] - sup[i] * s->m[i + 1]) / diag[i];
  spline_ = std::move(s);
  return *spline_;
}

double TCurveFit::CubicSpline(double x) {
  const TSpline& s = Spline();
  return math2::EvalSpline(s.x, s.y, s.m, x);
}

// Reinsch's smoothing spline: minimises p·Σ(y - g)² + (1 - p)·∫g''², which
// gives (R + αQᵀQ)γ = Qᵀy and g = y - αQγ with α = (1 - p)/p, γ the second
// derivatives at the inner knots (natural ends).
void TCurveFit::SmoothedSpline(double x, double& y, bool& Ok) {
  y = 0;
  Ok = false;
  if (count_ < 3 || !(smoothing_ >= 0 && smoothing_ <= 1)) return;
  if (!smoothed_) {
    auto s = std::make_unique<TSpline>();
    std::vector<double> ky;
    if (!SortedKnots(XData(), YData(), s->x, ky)) return;
    const auto n = static_cast<int32_t>(s->x.size());
    const auto& kx = s->x;
    if (smoothing_ == 0) {
      // All weight on the curvature: the regression line.
      double k, d, q;
      CalcLinFit(k, d, q);
      s->y.resize(n);
      for (int32_t i = 0; i < n; ++i) s->y[i] = k * kx[i] + d;
      s->m.assign(n, 0);
    } else {
      math2::ReinschSmooth(s->x, ky, (1 - smoothing_) / smoothing_, s->y, s->m);
    }
    smoothed_ = std::move(s);
  }
  y = math2::EvalSpline(smoothed_->x, smoothed_->y, smoothed_->m, x);
  Ok = true;
}

// ---------------------------------------------------------------------------
// ASC files

void TCurveFit::ExportAsASC(const std::string& FileName, const std::string& Comment,
                            int32_t Precision) const {
  std::string comment = Comment;
  // A line break inside the comment would end the header line early.
  std::replace(comment.begin(), comment.end(), '\n', ' ');
  std::replace(comment.begin(), comment.end(), '\r', ' ');
  if (comment.empty()) comment = "Exported by NUV TCurveFit component: " + FileName;
  TextFile f(FileName);
  f.Rewrite();
  f.WriteLn(comment);
  f.WriteLn("2\t;nr. of columns");
  f.WriteLn(std::to_string(count_) + "\t;nr. of rows");
  f.WriteLn("FALSE TRUE FALSE\t;row attributes, column names, row names");
  f.WriteLn("x   y");
  const auto x = XData(), y = YData();
  std::string line;
  for (int32_t i = 0; i < count_; ++i) {
    line = strff(x[i], 1, Precision);
    line += '\t';
    line += strff(y[i], 1, Precision);
    f.WriteLn(line);
  }
  f.Close();
}

namespace {

// Reads the body of an ASC table after its header from text.
class TAscBody {
 public:
  explicit TAscBody(std::string text) : text_(std::move(text)) {}

  bool Number(double& v) {
    SkipBlanks();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) > ' ') ++pos_;
    if (pos_ == start) return false;
    int32_t code;
    Val(std::string_view(text_).substr(start, pos_ - start), v, code);
    return code == 0;
  }

  void QuotedName() {
    std::string name;
    TQuotedStrState state = vsStart;
    while (state != vsEnd)
      ParseQuotedName(pos_ < text_.size() ? text_[pos_++] : ' ', '"', name, state);
  }

  // Skips the rest of the current line.
  void SkipLine() {
    while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    if (pos_ < text_.size()) ++pos_;
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ') ++pos_;
  }

  std::string text_;
  std::size_t pos_ = 0;
};

}  // namespace

int32_t TCurveFit::ImportASC(const std::string& FileName) {
  Invalidate();
  std::string comment;
  int32_t nrCols = 0, nrRows = 0;
  bool rowAttribs = false, colNames = false, rowNames = false, flag4 = false;
  const int16_t rc =
      ReadHeaderOfASC(FileName, comment, nrCols, nrRows, rowAttribs, colNames, rowNames, flag4);
  if (rc != 0) return rc;
  if (flag4) return -7;
  if (nrCols != 2)
    Raise("TCurveFit.ImportASC: number of columns must be 2 (is actually " +
          std::to_string(nrCols) + ").");
  TAscBody body(numlib::ReadTextFile(FileName));
  for (int i = 0; i < 4; ++i) body.SkipLine();
  if (colNames)
    for (int32_t c = 0; c < nrCols; ++c) body.QuotedName();
  // Read into a copy, so that a failure leaves the points as they were;
  // the copy grows with what the file really holds, not with its claim.
  std::vector<double> xs, ys;
  for (int32_t r = 0; r < nrRows; ++r) {
    double v;
    if (rowAttribs && !body.Number(v)) return -5;
    if (rowNames) body.QuotedName();
    double x = 0, y = 0;
    for (int32_t c = 0; c < nrCols; ++c) {
      if (!body.Number(v)) return -6;
      (c == 0 ? x : y) = v;
    }
    xs.push_back(x);
    ys.push_back(y);
  }
  data_->Resize(2, std::max(nrRows, 1));
  count_ = nrRows;
  std::copy(xs.begin(), xs.end(), data_->Column(1));
  std::copy(ys.begin(), ys.end(), data_->Column(2));
  RecomputeSums();
  Changed();
  return 0;
}

}  // namespace nuv
