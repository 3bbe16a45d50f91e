// Numerical kernels shared by the parts of Nuv_statis (not exported).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace nuv::statis {

// ln(1 + t) - t, accurate for small |t|; t > -1.
double Log1pmx(double t);
// ln Γ(z) - ((z - 0.5)·ln z - z + 0.5·ln 2π), the Stirling correction; z > 0.
double StirlingCorrection(double z);
// ln Γ(z + a) - ln Γ(z) without cancellation for large z; z > 0, z + a > 0.
double LnGammaRatio(double z, double a);

// x^a·e^-x / Γ(a), the common factor of P(a, x) and Q(a, x).
double GammaPrefactor(double a, double x);
// Regularised incomplete gamma P and Q = 1 - P, each to full relative
// precision; a > 0, x >= 0.
void IncGamma(double a, double x, double& P, double& Q);
// x with P(a, x) = p (Q(a, x) = q); p + q = 1, both given so that the
// smaller tail keeps its precision.
double IncGammaInv(double a, double p, double q);

// x^a·y^b / B(a, b) for x + y = 1, both given to full precision.
double BetaPrefactor(double a, double b, double x, double y);
// I_x(a, b) and 1 - I_x(a, b) for x + y = 1; a, b > 0.
void IncBeta(double a, double b, double x, double y, double& I, double& J);
// Below this value of x·(a + b), I_x(a, b) is x^a/(a·B(a, b)) to double
// precision.
inline constexpr double kIncBetaSmallX = 1e-17;
// I_x(a, b) from ln x for x·(a + b) < kIncBetaSmallX, so that x may lie
// beyond the double range; a, b > 0.
double IncBetaSmallX(double a, double b, long double lnx);
// x and y = 1 - x with I_x(a, b) = p (and 1 - I_x(a, b) = q).
void IncBetaInv(double a, double b, double p, double q, double& x, double& y);

// Constant tables (the critical values in Nuv_statis_tables.cpp).
inline constexpr double kSignifLevel[5] = {0.20, 0.15, 0.10, 0.05, 0.01};
// Dean-Dixon critical values, n = 3..100, levels in TSignifLevelEx order.
extern const double kDeanDixon[98][9];
// One-sample Kolmogorov-Smirnov critical values, n = 1..20, TSignifLevel
// order; beyond n = 20 the coefficients over √n.
extern const double kKolmogSmir[20][5];
inline constexpr double kKolmogSmirCoeff[5] = {1.073, 1.138, 1.224, 1.358, 1.628};
// Wilcoxon signed-rank critical values T, n = 8..100, at the two-sided
// levels below: the largest T with P(W <= T) <= level/2, -1 where none.
inline constexpr double kWilcoxonLevels[5] = {0.1, 0.05, 0.02, 0.01, 0.001};
extern const int32_t kWilcoxonT[93][5];
// Lilliefors quantile polynomials in 1 - Alpha, constant term first.
inline constexpr double kLillieforsP1[7] = {
    6.32207539843126, -17.1398870006148, 38.42812675101057, -45.93241384693391,
    7.88697700041829, 29.79317711037858, -18.48090137098585};
inline constexpr double kLillieforsP2[7] = {12.940399038404,   -53.458334259532, 186.923866119699,
                                            -410.582178349305, 517.377862566267, -343.581476222384,
                                            92.123451358715};

// Checks shared by the distribution families.
void CheckDF(double df, std::string_view Func);
void CheckProbability(double p, std::string_view Func);

// Probabilities P(W = t), t = 0 .. n(n+1)/2, of the Wilcoxon signed-rank
// statistic for n values.
std::vector<double> SignedRankDistribution(int32_t n);

// The test statistics on plain arrays; the TVector forms hand over their
// storage.
int32_t DeanDixonTest(std::span<const double> Data, int32_t Level, double& Q);
int32_t GrubbsTest(std::span<const double> Data, double Alpha, double& MaxDev);
double KSNormalityStatistic(std::span<double> Data, bool IsSorted);
double LillieforsStatistic(std::span<double> Data, bool IsSorted);
// W and its p-value for the N1 smallest of Data (all when N1 <= 0 or
// N1 >= the count); false for fewer than 3 values or more than 5000.
bool ShapiroWilk(std::span<const double> Data, int32_t N1, double& W, double& PValue);
// Two-sample t-test: the p-value, with the means, standard deviations, t,
// degrees of freedom and number of values (pairs) used.
struct TTTestResult {
  double Mean1 = 0, Mean2 = 0, StdDev1 = 0, StdDev2 = 0, t = 0, DF = 0, PValue = 1;
  int32_t NumData = 0;
};
TTTestResult TwoSampleTTest(std::span<const double> Data1, std::span<const double> Data2,
                            int32_t Version, bool TwoSided);
// Mann-Whitney U test: the p-value; U counts the pairs in which Data1 holds
// the larger value (ties one half).
double MannWhitneyUTest(std::span<const double> Data1, std::span<const double> Data2, bool TwoSided,
                        double& U);
// Kernel density estimate; sorts Data, fills Density (NumSteps + 1 values)
// and sets the 1-based positions of its first minimum and maximum.
void ProbDensity(std::span<double> Data, std::vector<double>& Density, double RangeLow,
                 double RangeHigh, double WidthFactor, double Radius, int32_t NumSteps,
                 int32_t& IdxMin, int32_t& IdxMax,
                 const std::function<void(int32_t Count, double PercentDone)>& Feedback);

}  // namespace nuv::statis
