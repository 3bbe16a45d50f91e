// Statistical distributions and tests: special functions, the normal, t,
// chi-squared, F, Mann-Whitney U and Shapiro-Wilk distributions with their
// densities, integrals and quantiles, outlier tests (Dean-Dixon, Grubbs),
// normality tests (Kolmogorov-Smirnov, Lilliefors, Shapiro-Wilk), critical
// values of the Wilcoxon signed-rank test, Fisher's z-transformation,
// hypergeometric probabilities and kernel density estimates; and, in the
// part Nuv_statis_random.h, random numbers from tabulated distributions
// (TRandGen) and cross-validation of models (TCrossValidator).
//
// The distributions and tests are stateless free functions. Their errors are
// ENUVStatisError with a bare text naming the function, except two platform exceptions: BinomCoeff
// raises EOverflow and IncompleteBeta raises EInvalidOp (see there). The
// table functions answer arguments outside their range with -1 or 0 as
// documented, without raising.
//
// Accuracy. The t, chi-squared and F functions, the incomplete gamma and beta
// functions, Erf and the normal integral and quantile are computed to close
// to double precision: relative error below about 1e-13 for densities and
// integrals (upper and lower tails separately, down to the underflow limit)
// and below 1e-12 for quantiles, for degrees of freedom up to 10^6 and
// beyond. Three functions are fixed approximations of stated accuracy:
// LnGamma (absolute error below 2.2e-10 up to x = 1000, relative below
// 1e-14 beyond), ErfApprox (absolute error
// below 1.2e-7) and LillieforsPValue/LillieforsQuantile (fitted formulas, a
// few percent). The Shapiro-Wilk p-value follows Royston's normalising
// approximation (about two significant digits in the tail).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class TVector;

class ENUVStatisError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

// Significance levels 0.20, 0.15, 0.10, 0.05, 0.01.
enum TSignifLevel : uint8_t { Dot20, Dot15, Dot10, Dot05, Dot01 };
// Significance levels 0.001 .. 0.5, their values in NumericSigLevel.
enum TSignifLevelEx : uint8_t {
  Dot001,
  Dot002,
  Dot005,
  Dot010,
  Dot020,
  Dot050,
  Dot100,
  Dot200,
  Dot500
};
inline constexpr std::array<double, 9> NumericSigLevel{0.001, 0.002, 0.005, 0.01, 0.02,
                                                       0.05,  0.1,   0.2,   0.5};

enum TtTestVersion : uint8_t { ttPaired, ttHomoScedastic, ttHeteroScedastic };
enum TPLSSclMode : uint8_t { scmCenter, scmStandardize };

// ---------------------------------------------------------------------------
// Special functions

// ln Γ(x) by the six-term Lanczos series (see above); 0 for x <= 0.
double LnGamma(double x);
// ln B(a, b); 0 when a or b is negative.
double LnBeta(double a, double b);
// The binomial coefficient, exact. 0 when n < 0, k < 0 or k > n; a result
// beyond the 64-bit range raises EOverflow "BinomCoeff: result too large".
int64_t BinomCoeff(int32_t n, int32_t k);
// ln of the binomial coefficient; -1 when n < 0, k < 0 or k > n.
double LnBinomCoeff(int32_t n, int32_t k);
// The regularised lower incomplete gamma function P(a, x), argument first.
// 0 when x <= 0 or a <= 0.
double IncompleteGamma(double x, double a);
// The regularised incomplete beta function I_x(a, b): 0 for x < 0, 1 for
// x > 1. a or b not > 0 raises EInvalidOp "IncompleteBeta: parameters must
// be positive".
double IncompleteBeta(double x, double a, double b);
// The error function (P(0.5, x²) with the sign of x).
double Erf(double x);
// A rational approximation of the error function, absolute error < 1.2e-7.
double ErfApprox(double x);

// ---------------------------------------------------------------------------
// Normal and other distributions
//
// NaN arguments give NaN.

double nDistriDensity(double x);
// Φ(x), the standard normal integral from -∞ to x (full relative precision
// in the lower tail down to x = -38).
double nDistriIntegral(double x);
// Inverse of Φ; 0 for p <= 0 or p >= 1.
double nDistriQuantile(double p);
// Half-width of the two-sided (1 - Alpha) confidence interval of a mean of n
// values with standard deviation StdDev. Alpha not in (0, 1) or n < 1
// raises ENUVStatisError.
double ConfidenceInterval(double Alpha, double StdDev, int32_t n);
double WeibullDensity(double x, double Shape, double Scale);
// Probability of k successes in NSample objects drawn without replacement
// from NPop objects of which a fraction p are successes.
double HyperGeoDistriDensity(double p, int32_t NPop, int32_t k, int32_t NSample);

// The t, chi-squared and F families take real degrees of freedom, which must
// be positive (else ENUVStatisError "<function>: degrees of freedom must be
// positive"). Quantiles take p in [0, 1] (else ENUVStatisError
// "<function>: probability out of range"); p = 0 and p = 1 give the ends of
// the support (±infinity, 0). Integrals are P(X <= x); the upper tails
// P(X > x) keep their precision where 1 - integral would round to 0.
double tDistriDensity(double x, double df);
double tDistriIntegral(double x, double df);
double tDistriUpperTail(double x, double df);
double tDistriQuantile(double p, double df);
double Chi2DistriDensity(double x, double df);
double chi2DistriIntegral(double x, double df);
double chi2DistriUpperTail(double x, double df);
double chi2DistriQuantile(double p, double df);
double FDistriDensity(double x, double df1, double df2);
double FDistriIntegral(double x, double df1, double df2);
double FDistriUpperTail(double x, double df1, double df2);
double FDistriQuantile(double p, double df1, double df2);

// Mann-Whitney U of two samples of Size1 and Size2 values without ties,
// U = 0 .. Size1·Size2: P(U = u), P(U <= u) and the smallest u with
// P(U <= u) >= p. Exact for Size1·Size2 <= 250000, beyond that the normal
// approximation with continuity and kurtosis corrections. Sizes < 1 or a
// product beyond 2^31 raise ENUVStatisError.
double UDistriDensity(int32_t Size1, int32_t Size2, int32_t U);
double UDistriIntegral(int32_t Size1, int32_t Size2, int32_t U);
int32_t UDistriQuantile(int32_t Size1, int32_t Size2, double p);

// P(W <= w) for the Shapiro-Wilk statistic of n values (3..5000) of which
// only the k smallest are observed (k = n, or k <= 0, for a complete sample;
// at most 80 % censored), by Royston's approximation. Invalid n or k give -1.
double ShapiroWilkIntegral(double w, int32_t n, int32_t k);

// ---------------------------------------------------------------------------
// Critical values and p-values of tests

// Dean-Dixon critical value for n = 3..100; -1 otherwise.
double DeanDixonCriticalValues(int32_t n, TSignifLevelEx Level);
// Grubbs critical value; -1 unless 0 < Alpha < 1 and n > 2.
double GrubbsCriticalValues(int32_t n, double Alpha, bool TwoSided);
// Critical value of the one-sample Kolmogorov-Smirnov statistic (n >= 1;
// -1 otherwise).
double KolmogSmir1SampleTestStat(int32_t n, TSignifLevel Level);
// P(D_n >= d) of the one-sample two-sided Kolmogorov-Smirnov statistic;
// -1 for n < 1 or NaN d. Exact (Marsaglia, Tsang and Wang) while n·d < 75;
// from d = 0.5 on, and in the far tail, twice the exact one-sided tail
// (Birnbaum-Tingey); otherwise that less the limiting overlap of both
// tails (relative error about 1e-8 in the tail, 1e-3 near p = 1).
double KSPValue(int32_t n, double d);
// The d with KSPValue(n, d) = the level (to within 1e-4); -1 for n < 1.
double KSQuantile(int32_t n, TSignifLevel Level);
// Approximate p-value of the Lilliefors statistic D; -1 for n <= 5.
double LillieforsPValue(int32_t n, double D);
// Approximate critical value at level Alpha; -1 for n < 1 or Alpha outside
// (0, 1).
double LillieforsQuantile(int32_t n, double Alpha);
// Critical value T of the Wilcoxon signed-rank statistic: the largest T
// with P(W <= T) <= Alpha (one-sided) resp. Alpha/2 (two-sided), exact for
// n <= 100, from the normal approximation beyond. -1 unless
// 8 <= n <= 1000000 and 0.0005 <= Alpha <= 0.2; 0 when even T = 0 is too
// likely.
int64_t WilcoxonSRQuantile(int32_t n, double Alpha, bool TwoSided);

// ---------------------------------------------------------------------------
// Tests on data vectors

// Dean-Dixon outlier test (3..100 values, else ENUVStatisError "DeanDixonTest:
// number of data points is too low" / "... too high"): the 1-based position
// of the outlier, or 0; Q receives the larger of the two end ratios.
int32_t DeanDixonTest(const TVector& Data, TSignifLevelEx Level, double& Q);
// Grubbs outlier test (two-sided): the position of the value farthest from
// the mean when its distance in standard deviations, MaxDev, exceeds the
// critical value, else 0. Raises "GrubbsTest: invalid level of
// significance" and "GrubbsTest: number of data points is too low" (n <= 3).
int32_t GrubbsTest(const TVector& Data, double Alpha, double& MaxDev);
// Kolmogorov-Smirnov statistic D of Data against the standard normal; sorts
// Data ascending unless IsSorted.
double PerformKSNormalityTest(TVector& Data, bool IsSorted);
// The same after standardising Data in place (Lilliefors).
double PerformLillieforsTest(TVector& Data, bool IsSorted);
// Two-sample t-test: the p-value, two-sided or for the alternative
// mean1 > mean2. The longer form also returns both means and standard
// deviations, t, the degrees of freedom (Welch-Satterthwaite for
// ttHeteroScedastic) and the number of values (pairs) used. Paired samples
// of different sizes or fewer than two values raise ENUVStatisError.
double Perform2SampleTTest(const TVector& Data1, const TVector& Data2, TtTestVersion Version,
                           bool TwoSided);
double Perform2SampleTTest(const TVector& Data1, const TVector& Data2, TtTestVersion Version,
                           bool TwoSided, double& Mean1, double& Mean2, double& StdDev1,
                           double& StdDev2, double& t, double& DF, int32_t& NumData);
// Mann-Whitney U test: the p-value, two-sided or for the alternative that
// Data1 tends to be larger; U counts the pairs in which Data1 holds the
// larger value (ties one half). Exact without ties for Size1·Size2 <=
// 250000, else normal with tie and continuity corrections; all values tied
// give 1.
double PerformMannWhitneyUTest(const TVector& Data1, const TVector& Data2, bool TwoSided,
                               double& U);
// Shapiro-Wilk test of the n smallest values of Data (all for n <= 0 or
// n >= the count, which must be 3..5000): W and its p-value. False for too
// few or too many values, all values equal, or more than 80 % censored.
bool ShapiroWilkTest(const TVector& Data, int32_t n, double& W, double& PValue);

// Kernel density estimate of Data (sorted in place) on NumSteps + 1
// (clamped to 10..10000) points from RangeLow to RangeHigh into Density;
// each point gets a Gaussian kernel as wide as WidthFactor (<= 0 counts as
// 1) times the mean gap between its neighbours within Radius. IdxMin and
// IdxMax receive the first positions of the smallest and largest density.
// Feedback, when given, hears of each data and grid point (Sender nil).
using TProbDensityFeedback =
    std::function<void(TObject* Sender, int32_t Count, double PercentDone)>;
void EstimateProbDensity(TVector& Data, TVector& Density, double RangeLow, double RangeHigh,
                         double WidthFactor, double Radius, int32_t NumSteps, int32_t& IdxMin,
                         int32_t& IdxMax, const TProbDensityFeedback& Feedback);

// ---------------------------------------------------------------------------
// Further functions

// 0.5·ln((1 + r)/(1 - r)) for -1 < r < 1; other r raise ENUVStatisError
// "FisherTransform: argument out of range".
double FisherTransform(double r);
// tanh(z); ±1 for large |z|.
double FisherTransformInv(double z);
// Fisher's separation quality (Mean1 - Mean2)²/max(StdDev1² + StdDev2², 1e-6).
double CalcFishQ(double Mean1, double Mean2, double StdDev1, double StdDev2);

// The comment of a PLS model file: its first line. False for an empty file;
// a file that cannot be opened raises EInOutError.
bool LoadPLSModelComment(const std::string& FileName, std::string& Comment);

}  // namespace nuv

// The components of the unit: TRandGen and TCrossValidator.
#include "nuv/Nuv_statis_random.h"
