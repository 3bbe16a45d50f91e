#include "nuv/Nuv_statis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "Nuv_statis_parts.h"
#include "numlib_units.h"
#include "nuv/Nuv_univconst.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// e^(-x²/2) with x² split so that its rounding does not reach the result:
// the high part has few enough bits to square exactly.
double ExpMinusHalfSquare(double x) {
  x = std::fabs(x);
  if (!(x < 64)) return x == x ? 0 : x;
  const double hi = std::floor(x * 65536) / 65536, lo = x - hi;
  return std::exp(-0.5 * hi * hi) * std::exp(-(hi + 0.5 * lo) * lo);
}

// Wichura's rational approximations (AS 241) of the normal quantile,
// relative error about 1e-16.
double NormalQuantile(double p) {
  const double q = p - 0.5;
  if (std::fabs(q) <= 0.425) {
    const double r = 0.180625 - q * q;
    return q *
           (((((((r * 2509.0809287301226727 + 33430.575583588128105) * r + 67265.770927008700853) *
                    r +
                45921.953931549871457) *
                   r +
               13731.693765509461125) *
                  r +
              1971.5909503065514427) *
                 r +
             133.14166789178437745) *
                r +
            3.387132872796366608) /
           (((((((r * 5226.495278852545925 + 28729.085735721942674) * r + 39307.89580009271061) *
                    r +
                21213.794301586595867) *
                   r +
               5394.1960214247511077) *
                  r +
              687.1870074920579083) *
                 r +
             42.313330701600911252) *
                r +
            1.0);
  }
  double r = std::sqrt(-std::log(q < 0 ? p : 1 - p)), val;
  if (r <= 5) {
    r -= 1.6;
    val = (((((((r * 7.7454501427834140764e-4 + 0.0227238449892691845833) * r +
                0.24178072517745061177) *
                   r +
               1.27045825245236838258) *
                  r +
              3.64784832476320460504) *
                 r +
             5.7694972214606914055) *
                r +
            4.6303378461565452959) *
               r +
           1.42343711074968357734) /
          (((((((r * 1.05075007164441684324e-9 + 5.475938084995344946e-4) * r +
                0.0151986665636164571966) *
                   r +
               0.14810397642748007459) *
                  r +
              0.68976733498510000455) *
                 r +
             1.6763848301838038494) *
                r +
            2.05319162663775882187) *
               r +
           1.0);
  } else {
    r -= 5;
    val = (((((((r * 2.01033439929228813265e-7 + 2.71155556874348757815e-5) * r +
                0.0012426609473880784386) *
                   r +
               0.026532189526576123093) *
                  r +
              0.29656057182850489123) *
                 r +
             1.7848265399172913358) *
                r +
            5.4637849111641143699) *
               r +
           6.6579046435011037772) /
          (((((((r * 2.04426310338993978564e-15 + 1.4215117583164458887e-7) * r +
                1.8463183175100546818e-5) *
                   r +
               7.868691311456132591e-4) *
                  r +
              0.0148753612908506148525) *
                 r +
             0.13692988092273580531) *
                r +
            0.59983220655588793769) *
               r +
           1.0);
  }
  return q < 0 ? -val : val;
}

// ln n! from the constants table where it has it.
double LnFactorial(int32_t n) { return n <= 1000 ? uc_LnFactorial[n] : std::lgamma(n + 1.0); }

}  // namespace

// ---------------------------------------------------------------------------
// Special functions

double LnGamma(double x) {
  if (std::isnan(x)) return x;
  if (!(x > 0)) return 0;
  static constexpr double g[6] = {76.18009173,  -86.50532033,  24.01409822,
                                  -1.231739516, 0.00120858003, -0.00000536382};
  double ser = 1;
  for (int i = 0; i < 6; ++i) ser += g[i] / (x + i);
  return (x - 0.5) * std::log(x + 4.5) - (x + 4.5) + std::log(2.5066282746310005 * ser);
}

double LnBeta(double a, double b) {
  if (a < 0 || b < 0) return 0;
  return LnGamma(a) + LnGamma(b) - LnGamma(a + b);
}

int64_t BinomCoeff(int32_t n, int32_t k) {
  if (n < 0 || k < 0 || k > n) return 0;
  k = std::min(k, n - k);
  // C(m+i, i) = C(m+i-1, i-1)·(m+i)/i is exact at every step.
  __int128 r = 1;
  for (int32_t i = 1; i <= k; ++i) {
    r = r * (n - k + i) / i;
    if (r > std::numeric_limits<int64_t>::max()) throw EOverflow("BinomCoeff: result too large");
  }
  return static_cast<int64_t>(r);
}

double LnBinomCoeff(int32_t n, int32_t k) {
  if (n < 0 || k < 0 || k > n) return -1;
  return LnFactorial(n) - LnFactorial(k) - LnFactorial(n - k);
}

double IncompleteGamma(double x, double a) {
  if (std::isnan(x) || std::isnan(a)) return kNaN;
  if (x <= 0 || a <= 0) return 0;
  double P, Q;
  statis::IncGamma(a, x, P, Q);
  return P;
}

double IncompleteBeta(double x, double a, double b) {
  if (std::isnan(x)) return x;
  if (!(a > 0 && b > 0)) throw EInvalidOp("IncompleteBeta: parameters must be positive");
  if (x < 0) return 0;
  if (x > 1) return 1;
  double I, J;
  statis::IncBeta(a, b, x, 1 - x, I, J);
  return I;
}

double Erf(double x) { return std::erf(x); }

double ErfApprox(double x) {
  const double t = 1 / (1 + 0.5 * std::fabs(x));
  double erfc =
      t *
      std::exp(
          -x * x - 1.26551223 +
          t * (1.00002368 +
               t * (0.37409196 +
                    t * (0.09678418 +
                         t * (-0.18628806 +
                              t * (0.27886807 + t * (-1.13520398 +
                                                     t * (1.48851587 + t * (-0.82215223 +
                                                                            t * 0.17087277)))))))));
  if (x < 0) erfc = 2 - erfc;
  return 1 - erfc;
}

// ---------------------------------------------------------------------------
// Normal and other distributions

double nDistriDensity(double x) {
  return static_cast<double>(uc_sqrt2pitom1) * ExpMinusHalfSquare(x);
}

double nDistriIntegral(double x) { return 0.5 * std::erfc(-x * std::numbers::sqrt2 * 0.5); }

double nDistriQuantile(double p) {
  if (std::isnan(p)) return p;
  if (p <= 0 || p >= 1) return 0;
  return NormalQuantile(p);
}

double ConfidenceInterval(double Alpha, double StdDev, int32_t n) {
  if (!(Alpha > 0 && Alpha < 1))
    throw ENUVStatisError("ConfidenceInterval: invalid level of significance");
  if (n < 1) throw ENUVStatisError("ConfidenceInterval: number of data points is too low");
  return -NormalQuantile(Alpha / 2) * StdDev / std::sqrt(static_cast<double>(n));
}

double WeibullDensity(double x, double Shape, double Scale) {
  if (std::isnan(x) || std::isnan(Shape) || std::isnan(Scale)) return kNaN;
  if (!(x > 0 && Scale > 0 && Shape > 0)) return 0;
  const double r = x / Scale;
  return Shape / Scale * std::pow(r, Shape - 1) * std::exp(-std::pow(r, Shape));
}

double HyperGeoDistriDensity(double p, int32_t NPop, int32_t k, int32_t NSample) {
  if (!(p >= 0 && p <= 1))
    throw ENUVStatisError("HyperGeoDistriDensity: probability p must be between 0.0 and 1.0");
  if (NPop < 1) throw ENUVStatisError("HyperGeoDistriDensity: npop must be greater than 0");
  if (NSample > NPop)
    throw ENUVStatisError("HyperGeoDistriDensity: nsample must not be greater than npop");
  if (NSample < 1) throw ENUVStatisError("HyperGeoDistriDensity: nsample must not be less than 1");
  const int32_t h = Round32(static_cast<long double>(p) * NPop);
  if (k < 0 || k > h || k > NSample || k < NSample + h - NPop) return 0;
  return std::exp(LnBinomCoeff(h, k) + LnBinomCoeff(NPop - h, NSample - k) -
                  LnBinomCoeff(NPop, NSample));
}

// ---------------------------------------------------------------------------
// Fisher's transformation

double FisherTransform(double r) {
  if (!(r > -1 && r < 1)) throw ENUVStatisError("FisherTransform: argument out of range");
  return std::atanh(r);
}

double FisherTransformInv(double z) { return std::tanh(z); }

double CalcFishQ(double Mean1, double Mean2, double StdDev1, double StdDev2) {
  const double d = Mean1 - Mean2;
  return d * d / std::max(StdDev1 * StdDev1 + StdDev2 * StdDev2, 1e-6);
}

// ---------------------------------------------------------------------------
// Model files

bool LoadPLSModelComment(const std::string& FileName, std::string& Comment) {
  Comment.clear();
  TextFile f(FileName);
  f.Reset();
  if (f.Eof()) return false;
  f.ReadLn(Comment);
  return true;
}

}  // namespace nuv

namespace nuv::units {

void Nuv_statis_Init() {}
void Nuv_statis_Finalize() {}

}  // namespace nuv::units
