// Incomplete gamma and beta functions and their inverses, to close to double
// precision. The prefactors x^a e^-x/Γ(a) and x^a y^b/B(a, b) are formed
// from Stirling's series with ln(1+t)-t, so that large shape parameters do
// not cancel digits; the integrals themselves are power series or continued
// fractions (modified Lentz), each used where it converges quickly and
// delivers the smaller tail directly.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "Nuv_statis_parts.h"
#include "nuv/Nuv_statis.h"

namespace nuv::statis {

namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();
constexpr double kLnSqrt2Pi = 0.91893853320467274178;  // ln √(2π)
constexpr int kMaxIter = 1000000;

constexpr long double kEpsL = 2 * std::numeric_limits<long double>::epsilon();
constexpr long double kTinyL = 1e-300L;

// Keeps a Lentz denominator off zero.
long double NonzeroL(long double v) { return std::fabs(v) < kTinyL ? kTinyL : v; }

// a·ln(r) - a·t where r = 1 + t is given directly: near r = 1 from t, far
// from it from r, which then carries the precision t has lost.
double ScaledLog1pmx(double a, double r, double t) {
  return std::fabs(t) <= 0.5 ? a * Log1pmx(t) : a * (std::log(r) - t);
}

// Midpoint of a bracket, geometric when it spans orders of magnitude.
double Bisect(double lo, double hi) {
  return lo > 0 && hi > 4 * lo ? std::sqrt(lo) * std::sqrt(hi) : 0.5 * (lo + hi);
}

}  // namespace

double Log1pmx(double t) {
  if (!(std::fabs(t) <= 0.5)) return std::log1p(t) - t;
  // ln(1+t) = 2·atanh(s) with s = t/(2+t); the leading 2s - t is -s·t.
  const double s = t / (2 + t), s2 = s * s;
  double term = s2, sum = 0;
  for (int k = 3; term > 1e-18 * s2 || k == 3; k += 2) {
    sum += term / k;
    term *= s2;
  }
  return -s * t + 2 * s * sum;
}

double StirlingCorrection(double z) {
  if (z >= 10) {
    const double r = 1 / z, r2 = r * r;
    return r *
           (1.0 / 12 -
            r2 * (1.0 / 360 -
                  r2 * (1.0 / 1260 -
                        r2 * (1.0 / 1680 - r2 * (1.0 / 1188 - r2 * (691.0 / 360360 - r2 / 156))))));
  }
  return std::lgamma(z) - ((z - 0.5) * std::log(z) - z + kLnSqrt2Pi);
}

double LnGammaRatio(double z, double a) {
  if (z < 10 || z + a < 10) return std::lgamma(z + a) - std::lgamma(z);
  // (z+a-0.5)·ln(z+a) - (z-0.5)·ln z - a, rearranged around ln z.
  return a * std::log(z) + (z + a - 0.5) * std::log1p(a / z) - a + StirlingCorrection(z + a) -
         StirlingCorrection(z);
}

// ---------------------------------------------------------------------------
// Incomplete gamma function

namespace {

// ln Γ(a) for small a, the Stirling correction for large: the part of the
// gamma prefactor that depends on a alone.
double GammaNorm(double a) { return a < 10 ? std::lgamma(a) : StirlingCorrection(a); }

double GammaPrefactor(double a, double x, double norm) {
  if (x <= 0) return 0;
  if (a < 10) return std::exp(a * std::log(x) - x - norm);
  return std::sqrt(a / (2 * std::numbers::pi)) *
         std::exp(ScaledLog1pmx(a, x / a, (x - a) / a) - norm);
}

}  // namespace

double GammaPrefactor(double a, double x) { return GammaPrefactor(a, x, GammaNorm(a)); }

namespace {

// Σ x^n / ((a+1)···(a+n)), so that P = prefactor·sum/a; extended
// precision keeps the thousands of terms of large a from adding up their
// rounding.
double GammaSeries(double a, double x) {
  long double term = 1, sum = 1;
  for (int n = 1; n < kMaxIter; ++n) {
    term *= x / (a + n);
    sum += term;
    if (term < sum * kEpsL) break;
  }
  return static_cast<double>(sum);
}

// Continued fraction of Q(a, x)/prefactor, modified Lentz.
double GammaContinuedFraction(double a, double x) {
  long double b = x + 1.0L - a, c = 1 / kTinyL, d = 1 / NonzeroL(b), h = d;
  for (int i = 1; i < kMaxIter; ++i) {
    const long double an = -i * (i - static_cast<long double>(a));
    b += 2;
    d = 1 / NonzeroL(an * d + b);
    c = NonzeroL(b + an / c);
    const long double del = d * c;
    h *= del;
    if (std::fabs(del - 1) < kEpsL) break;
  }
  return static_cast<double>(h);
}

// P and Q, and the prefactor through pre.
void IncGamma(double a, double x, double norm, double& P, double& Q, double& pre) {
  pre = 0;
  if (x <= 0) {
    P = 0;
    Q = 1;
    return;
  }
  if (std::isinf(x)) {
    P = 1;
    Q = 0;
    return;
  }
  pre = GammaPrefactor(a, x, norm);
  if (x < a + 1) {
    P = pre * GammaSeries(a, x) / a;
    Q = 1 - P;
  } else {
    Q = pre * GammaContinuedFraction(a, x);
    P = 1 - Q;
  }
}

}  // namespace

void IncGamma(double a, double x, double& P, double& Q) {
  double pre;
  IncGamma(a, x, GammaNorm(a), P, Q, pre);
}

namespace {

// Start of the inverse: the leading term of the lower tail for small x,
// else Wilson-Hilferty from the normal deviate of the smaller tail, with the
// leading term of the upper tail for small a.
double GammaInvStart(double a, double p, double q) {
  const double lnga1 = std::lgamma(a + 1);
  if (p < 0.5) {
    const double xs = std::exp((std::log(p) + lnga1) / a);  // P ≈ x^a/Γ(a+1)
    if (xs < 0.1 * (a + 1)) return std::max(xs, std::numeric_limits<double>::min());
  }
  const double t = std::sqrt(-2 * std::log(std::min(p, q)));
  double z = t - (2.515517 + 0.802853 * t + 0.010328 * t * t) /
                     (1 + 1.432788 * t + 0.189269 * t * t + 0.001308 * t * t * t);
  if (p < q) z = -z;
  const double c = 1 / (9 * a), w = 1 - c + z * std::sqrt(c);
  double x = a * w * w * w;
  if (q < p && a < 1) {
    const double x0 = -std::log(q) - std::lgamma(a);  // Q ≈ x^(a-1)·e^-x/Γ(a)
    x = x0 + (a - 1) * std::log(std::max(x0, 1.0));
  }
  if (!(x > 0)) x = std::exp((std::log(p) + lnga1) / a);
  return std::max(x, std::numeric_limits<double>::min());
}

}  // namespace

double IncGammaInv(double a, double p, double q) {
  if (p <= 0) return 0;
  if (q <= 0) return std::numeric_limits<double>::infinity();
  // Newton steps on the smaller tail, inside a bracket.
  const bool lower = p <= q;
  const double lnTarget = std::log(lower ? p : q);
  double x = GammaInvStart(a, p, q);
  double lo = 0, hi = std::numeric_limits<double>::infinity();
  const double norm = GammaNorm(a);
  for (int it = 0; it < 300; ++it) {
    double P, Q, pre;
    IncGamma(a, x, norm, P, Q, pre);
    const double f = lower ? P : Q, g = std::log(f) - lnTarget;
    if (g == 0) break;
    if ((g < 0) == lower)
      lo = x;
    else
      hi = x;
    const double dens = pre / x;
    double xn;
    if (std::fabs(g) < 0.05) {
      // Close in: Halley's step, with P'' = P'·((a-1)/x - 1).
      const double u = (lower ? f - std::exp(lnTarget) : std::exp(lnTarget) - f) / dens;
      xn = x - u / (1 - 0.5 * u * ((a - 1) / x - 1));
    } else {
      // Far out the lower tail is nearly a power of x: step in ln x there.
      xn = lower ? x * std::exp(-g * f / (x * dens)) : x + g * f / dens;
    }
    if (std::fabs(xn - x) <= 4 * kEps * x) {
      x = xn;
      break;
    }
    if (!(xn > lo && xn < hi)) xn = std::isinf(hi) ? 2 * std::max(x, lo) + 1 : Bisect(lo, hi);
    x = xn;
  }
  return x;
}

// ---------------------------------------------------------------------------
// Incomplete beta function

double BetaPrefactor(double a, double b, double x, double y) {
  if (x <= 0 || y <= 0) return 0;
  if (a >= 10 && b >= 10) {
    // x^a y^b/B(a,b) around the mode x0 = a/(a+b): the linear terms of
    // a·ln(x/x0) + b·ln(y/y0) cancel exactly, leaving ln(1+t)-t parts.
    const double s = a + b, x0 = a / s, y0 = b / s;
    const double d = x <= y ? x - x0 : y0 - y;
    return std::sqrt(a * b / (2 * std::numbers::pi * s)) *
           std::exp(ScaledLog1pmx(a, x / x0, d / x0) + ScaledLog1pmx(b, y / y0, -d / y0) +
                    StirlingCorrection(s) - StirlingCorrection(a) - StirlingCorrection(b));
  }
  const double lnx = x <= 0.5 ? std::log(x) : std::log1p(-y);
  const double lny = y <= 0.5 ? std::log(y) : std::log1p(-x);
  if (a < 10 && b < 10)
    return std::exp(a * lnx + b * lny + std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b));
  // One large parameter: Γ(a+b)/Γ(large) without cancellation.
  if (b >= 10) return std::exp(a * lnx + b * lny - std::lgamma(a) + LnGammaRatio(b, a));
  return std::exp(a * lnx + b * lny - std::lgamma(b) + LnGammaRatio(a, b));
}

namespace {

// Continued fraction of I_x(a,b)·a/prefactor, modified Lentz. Near x = 1
// its terms cancel about ln(1/(1-x)) digits, so it runs in extended
// precision and takes its first term from y = 1 - x.
double BetaContinuedFraction(double a, double b, double x, double y) {
  const long double qab = static_cast<long double>(a) + b, qap = a + 1.0L, qam = a - 1.0L;
  const long double X = x;
  long double c = 1, d = 1 / NonzeroL(x <= 0.5 ? 1 - qab * X / qap : (1 - b + qab * y) / qap),
              h = d;
  for (int m = 1; m < kMaxIter; ++m) {
    const long double m2 = 2.0L * m;
    long double aa = m * (b - m) * X / ((qam + m2) * (a + m2));
    d = 1 / NonzeroL(1 + aa * d);
    c = NonzeroL(1 + aa / c);
    h *= d * c;
    aa = -(a + m) * (qab + m) * X / ((a + m2) * (qap + m2));
    d = 1 / NonzeroL(1 + aa * d);
    c = NonzeroL(1 + aa / c);
    const long double del = d * c;
    h *= del;
    if (std::fabs(del - 1) < kEpsL) break;
  }
  return static_cast<double>(h);
}

void IncBeta(double a, double b, double x, double y, double& I, double& J, double& pre) {
  pre = 0;
  if (x <= 0) {
    I = 0;
    J = 1;
    return;
  }
  if (y <= 0) {
    I = 1;
    J = 0;
    return;
  }
  pre = BetaPrefactor(a, b, x, y);
  if (x < (a + 1) / (a + b + 2)) {
    I = pre * BetaContinuedFraction(a, b, x, y) / a;
    J = 1 - I;
  } else {
    J = pre * BetaContinuedFraction(b, a, y, x) / b;
    I = 1 - J;
  }
}

}  // namespace

void IncBeta(double a, double b, double x, double y, double& I, double& J) {
  double pre;
  IncBeta(a, b, x, y, I, J, pre);
}

double IncBetaSmallX(double a, double b, long double lnx) {
  // I_x(a, b) = x^a (1-x)^b/(a·B(a, b))·(1 + O((a+b)·x)); ln B(a, b) from
  // the ratio of the larger parameter, which does not cancel.
  const double lnB =
      a >= b ? std::lgamma(b) - LnGammaRatio(a, b) : std::lgamma(a) - LnGammaRatio(b, a);
  return static_cast<double>(std::exp(a * lnx - std::log(static_cast<long double>(a)) - lnB));
}

namespace {

// Start of the inverse for the lower tail p (Abramowitz and Stegun 26.5.22
// for a, b >= 1, the tail power laws otherwise).
double BetaInvStart(double a, double b, double p) {
  if (a >= 1 && b >= 1) {
    const double t = std::sqrt(-2 * std::log(p));
    // The upper-tail normal deviate of p (p <= 0.5, so z >= 0).
    const double z = t - (2.30753 + 0.27061 * t) / (1 + t * (0.99229 + 0.04481 * t));
    const double lam = (z * z - 3) / 6;
    const double h = 2 / (1 / (2 * a - 1) + 1 / (2 * b - 1));
    const double w = z * std::sqrt(h + lam) / h -
                     (1 / (2 * b - 1) - 1 / (2 * a - 1)) * (lam + 5.0 / 6 - 2 / (3 * h));
    return a / (a + b * std::exp(2 * w));
  }
  const double s = a + b;
  const double lt = a * std::log(a / s) - std::log(a), lu = b * std::log(b / s) - std::log(b);
  const double lw = std::max(lt, lu) + std::log1p(std::exp(-std::fabs(lt - lu)));
  if (std::log(p) < lt - lw) return std::exp((std::log(a * p) + lw) / a);
  return -std::expm1((std::log(b * (1 - p)) + lw) / b);
}

// Solves I_x(a, b) = p for the lower tail p <= 0.5, keeping x and y = 1 - x
// as a pair so that neither loses digits near its end of the interval.
void SolveLowerTail(double a, double b, double p, double& x, double& y) {
  x = BetaInvStart(a, b, p);
  if (!(x > 0 && x < 1)) x = 0.5;
  y = 1 - x;
  // Bracket [lo, hi] of x, each end kept with its complement.
  double loX = 0, loY = 1, hiX = 1, hiY = 0;
  const double lnp = std::log(p);
  for (int it = 0; it < 300; ++it) {
    double I, J, pre;
    IncBeta(a, b, x, y, I, J, pre);
    if (I == p) break;
    if (I < p) {
      loX = x;
      loY = y;
    } else {
      hiX = x;
      hiY = y;
    }
    const double g = std::log(I) - lnp;
    double dx;
    if (std::fabs(g) < 0.05) {
      // Close in: Halley's step, with I'' = I'·((a-1)/x - (b-1)/y).
      const double u = (I - p) * x * y / pre;
      dx = -u / (1 - 0.5 * u * ((a - 1) / x - (b - 1) / y));
    } else {
      // Far out the lower tail is nearly a power of x: Newton on ln I over
      // ln x.
      dx = x * std::expm1(-g * y * I / pre);
    }
    const bool done = std::fabs(dx) <= 4 * kEps * std::min(x, y);
    // The smaller of the pair carries the step; the other follows. A step
    // that no longer moves it ends the search as well.
    const double before = std::min(x, y);
    if (x <= 0.5) {
      if (!done && (!(x + dx > loX && x + dx < hiX) || !std::isfinite(dx)))
        dx = Bisect(loX, hiX) - x;
      x += dx;
      y = 1 - x;
    } else {
      if (!done && (!(y - dx > hiY && y - dx < loY) || !std::isfinite(dx)))
        dx = y - Bisect(hiY, loY);
      y -= dx;
      x = 1 - y;
    }
    if (done || std::min(x, y) == before || !(x > 0 && y > 0)) break;
  }
}

}  // namespace

void IncBetaInv(double a, double b, double p, double q, double& x, double& y) {
  if (p <= 0) {
    x = 0;
    y = 1;
    return;
  }
  if (q <= 0) {
    x = 1;
    y = 0;
    return;
  }
  if (p <= q)
    SolveLowerTail(a, b, p, x, y);
  else
    SolveLowerTail(b, a, q, y, x);
}

// ---------------------------------------------------------------------------
// Argument checks

void CheckDF(double df, std::string_view Func) {
  if (!(df > 0)) throw ENUVStatisError(std::string(Func) + ": degrees of freedom must be positive");
}

void CheckProbability(double p, std::string_view Func) {
  if (!(p >= 0 && p <= 1)) throw ENUVStatisError(std::string(Func) + ": probability out of range");
}

}  // namespace nuv::statis
