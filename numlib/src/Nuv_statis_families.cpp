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

// The two-sided tail P(|T| >= |x|) of the t distribution.
double tTwoSidedTail(double x, double df) {
  const double x2 = x * x;
  double z, w;  // t²/(df+t²) and df/(df+t²)
  if (std::isinf(x2)) {
    w = df / std::fabs(x) / std::fabs(x);
    z = 1 - w;
  } else {
    z = x2 / (df + x2);
    w = df / (df + x2);
  }
  double I, J;
  statis::IncBeta(0.5, df / 2, z, w, I, J);
  return J;
}

// u = df1·x/(df1·x + df2) and v = 1 - u, each without cancellation.
void FRatioToBeta(double x, double df1, double df2, double& u, double& v) {
  const double s = df1 * x + df2;
  if (std::isinf(s)) {
    v = df2 / df1 / x;
    u = 1 - v;
  } else {
    u = df1 * x / s;
    v = df2 / s;
  }
}

// P(X <= x) and P(X > x) of the F distribution for x > 0.
void FTails(double x, double df1, double df2, double& lower, double& upper) {
  double u, v;
  FRatioToBeta(x, df1, df2, u, v);
  statis::IncBeta(df1 / 2, df2 / 2, u, v, lower, upper);
}

}  // namespace

// ---------------------------------------------------------------------------
// t distribution

double tDistriDensity(double x, double df) {
  statis::CheckDF(df, "tDistriDensity");
  if (std::isnan(x)) return x;
  return std::exp(statis::LnGammaRatio(df / 2, 0.5) - 0.5 * std::log(df * std::numbers::pi) -
                  (df + 1) / 2 * std::log1p(x * x / df));
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
