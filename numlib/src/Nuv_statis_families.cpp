// The t, chi-squared and F distributions: densities, integrals, upper tails
// and quantiles, all reduced to the incomplete gamma and beta kernels.
#include <cmath>
#include <limits>
#include <numbers>

#include "Nuv_statis_parts.h"
#include "nuv/Nuv_statis.h"

namespace nuv {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// lower = I_x(p, q) and upper = I_y(q, p) = 1 - lower for x + y = 1, both
// given in extended precision. A tiny y, which may lie beyond the double
// range, enters through its logarithm.
void BetaTails(double p, double q, long double x, long double y, double& lower, double& upper) {
  if (y * (static_cast<long double>(p) + q) < statis::kIncBetaSmallX) {
    upper = statis::IncBetaSmallX(q, p, std::log(y));
    lower = 1 - upper;
    return;
  }
  statis::IncBeta(p, q, static_cast<double>(x), static_cast<double>(y), lower, upper);
}

// The two-sided tail P(|T| >= |x|) of the t distribution, I_w(df/2, 1/2)
// with w = df/(df + x²). x² is formed in extended precision, whose range
// holds it for every double x.
double tTwoSidedTail(double x, double df) {
  const long double x2 = static_cast<long double>(x) * x, s = df + x2;
  double lower, upper;
  BetaTails(0.5, df / 2, x2 / s, df / s, lower, upper);
  return upper;
}

// P(X <= x) and P(X > x) of the F distribution for x > 0, from
// u = df1·x/(df1·x + df2) and v = 1 - u in extended precision.
void FTails(double x, double df1, double df2, double& lower, double& upper) {
  const long double p = static_cast<long double>(df1) * x, s = p + df2;
  BetaTails(df1 / 2, df2 / 2, p / s, df2 / s, lower, upper);
}

// u and v of FTails as doubles, each without cancellation.
void FRatioToBeta(double x, double df1, double df2, double& u, double& v) {
  const long double p = static_cast<long double>(df1) * x, s = p + df2;
  u = std::isinf(p) ? 1 : static_cast<double>(p / s);
  v = static_cast<double>(df2 / s);
}

}  // namespace

// ---------------------------------------------------------------------------
// t distribution

double tDistriDensity(double x, double df) {
  statis::CheckDF(df, "tDistriDensity");
  if (std::isnan(x)) return x;
  // x² in extended precision, where it cannot overflow.
  const long double x2 = static_cast<long double>(x) * x;
  return static_cast<double>(std::exp(statis::LnGammaRatio(df / 2, 0.5) -
                                      0.5 * std::log(df * std::numbers::pi) -
                                      (df + 1) / 2 * std::log1p(x2 / df)));
}

double tDistriIntegral(double x, double df) {
  statis::CheckDF(df, "tDistriIntegral");
  if (std::isnan(x)) return x;
  const double half = 0.5 * tTwoSidedTail(x, df);
  return x < 0 ? half : 1 - half;
}

double tDistriUpperTail(double x, double df) {
  statis::CheckDF(df, "tDistriUpperTail");
  if (std::isnan(x)) return x;
  const double half = 0.5 * tTwoSidedTail(x, df);
  return x > 0 ? half : 1 - half;
}

double tDistriQuantile(double p, double df) {
  statis::CheckDF(df, "tDistriQuantile");
  statis::CheckProbability(p, "tDistriQuantile");
  if (p == 0) return -kInf;
  if (p == 1) return kInf;
  if (p == 0.5) return 0;
  // P(|T| >= t) = I_w(df/2, 1/2) with w = df/(df+t²); 2·tail and 1 - 2·tail
  // are exact for the smaller tail.
  const double tail = std::min(p, 1 - p);
  // Far out I_w(a, 1/2) = w^a/(a·B(a, 1/2))·(1 + O(w)); there w would
  // underflow while t is still representable.
  const double a = df / 2;
  const double lnw =
      (std::log(2 * tail) + std::log(a) + std::lgamma(0.5) - statis::LnGammaRatio(a, 0.5)) / a;
  if (lnw < -80) {
    const double t = std::exp(0.5 * (std::log(df) - lnw));
    return p < 0.5 ? -t : t;
  }
  double w, z;
  statis::IncBetaInv(a, 0.5, 2 * tail, 1 - 2 * tail, w, z);
  const double t = std::sqrt(df * z) / std::sqrt(w);
  return p < 0.5 ? -t : t;
}

// ---------------------------------------------------------------------------
// Chi-squared distribution

double Chi2DistriDensity(double x, double df) {
  statis::CheckDF(df, "Chi2DistriDensity");
  if (std::isnan(x)) return x;
  if (x < 0) return 0;
  if (x == 0) return df < 2 ? kInf : (df == 2 ? 0.5 : 0);
  return statis::GammaPrefactor(df / 2, x / 2) / x;
}

double chi2DistriIntegral(double x, double df) {
  statis::CheckDF(df, "chi2DistriIntegral");
  if (std::isnan(x)) return x;
  double P, Q;
  statis::IncGamma(df / 2, x / 2, P, Q);
  return P;
}

double chi2DistriUpperTail(double x, double df) {
  statis::CheckDF(df, "chi2DistriUpperTail");
  if (std::isnan(x)) return x;
  double P, Q;
  statis::IncGamma(df / 2, x / 2, P, Q);
  return Q;
}

double chi2DistriQuantile(double p, double df) {
  statis::CheckDF(df, "chi2DistriQuantile");
  statis::CheckProbability(p, "chi2DistriQuantile");
  return 2 * statis::IncGammaInv(df / 2, p, 1 - p);
}

// ---------------------------------------------------------------------------
// F distribution

double FDistriDensity(double x, double df1, double df2) {
  statis::CheckDF(df1, "FDistriDensity");
  statis::CheckDF(df2, "FDistriDensity");
  if (std::isnan(x)) return x;
  if (x < 0) return 0;
  if (x == 0) return df1 < 2 ? kInf : (df1 == 2 ? 1 : 0);
  double u, v;
  FRatioToBeta(x, df1, df2, u, v);
  return statis::BetaPrefactor(df1 / 2, df2 / 2, u, v) / x;
}

double FDistriIntegral(double x, double df1, double df2) {
  statis::CheckDF(df1, "FDistriIntegral");
  statis::CheckDF(df2, "FDistriIntegral");
  if (std::isnan(x)) return x;
  if (x <= 0) return 0;
  double lower, upper;
  FTails(x, df1, df2, lower, upper);
  return lower;
}

double FDistriUpperTail(double x, double df1, double df2) {
  statis::CheckDF(df1, "FDistriUpperTail");
  statis::CheckDF(df2, "FDistriUpperTail");
  if (std::isnan(x)) return x;
  if (x <= 0) return 1;
  double lower, upper;
  FTails(x, df1, df2, lower, upper);
  return upper;
}

double FDistriQuantile(double p, double df1, double df2) {
  statis::CheckDF(df1, "FDistriQuantile");
  statis::CheckDF(df2, "FDistriQuantile");
  statis::CheckProbability(p, "FDistriQuantile");
  if (p == 1) return kInf;
  double u, v;
  statis::IncBetaInv(df1 / 2, df2 / 2, p, 1 - p, u, v);
  return df2 / df1 * (u / v);
}

}  // namespace nuv
