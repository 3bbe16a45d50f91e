// Numerical kernels shared by the parts of Nuv_statis (not exported).
#pragma once

#include <cstdint>
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
// x and y = 1 - x with I_x(a, b) = p (and 1 - I_x(a, b) = q).
void IncBetaInv(double a, double b, double p, double q, double& x, double& y);

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

}  // namespace nuv::statis
