// Tests of the statistical tests and rank distributions. "scipy" marks
// values computed offline with scipy 1.10.1 (stats.kstwo, stats.shapiro,
// stats.ttest_ind/ttest_rel, stats.mannwhitneyu, stats.t).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "Nuv_statis_parts.h"
#include "RelativeError.h"
#include "TempDir.h"
#include "nuv/Nuv_statis.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;
using testing::Rel;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------------------
// Outlier tests

TEST(StatisDeanDixon, TableRowsAndRange) {
  const struct {
    int32_t n;
    double row[9];
  } told[] = {{3, {0.999, 0.998, 0.994, 0.988, 0.976, 0.941, 0.886, 0.782, 0.501}},
              {4, {0.964, 0.949, 0.921, 0.889, 0.847, 0.766, 0.679, 0.561, 0.324}},
              {7, {0.763, 0.731, 0.681, 0.636, 0.587, 0.507, 0.433, 0.344, 0.184}},
              {8, {0.799, 0.769, 0.724, 0.682, 0.633, 0.554, 0.48, 0.386, 0.211}},
              {10, {0.713, 0.683, 0.637, 0.597, 0.551, 0.477, 0.409, 0.325, 0.174}},
              {11, {0.77, 0.746, 0.708, 0.674, 0.636, 0.575, 0.518, 0.445, 0.304}},
              {14, {0.732, 0.708, 0.672, 0.64, 0.603, 0.546, 0.491, 0.422, 0.287}},
              {20, {0.627, 0.604, 0.568, 0.538, 0.503, 0.45, 0.401, 0.339, 0.224}},
              {50, {0.46, 0.439, 0.41, 0.384, 0.355, 0.312, 0.272, 0.226, 0.143}},
              {100, {0.387, 0.368, 0.341, 0.317, 0.292, 0.253, 0.219, 0.179, 0.111}}};
  for (const auto& t : told)
    for (int l = 0; l < 9; ++l)
      EXPECT_EQ(DeanDixonCriticalValues(t.n, static_cast<TSignifLevelEx>(l)), t.row[l])
          << "n=" << t.n << " level=" << l;
  // Within a ratio the critical values fall with n and with the level.
  for (int32_t n = 3; n <= 100; ++n)
    for (int l = 1; l < 9; ++l)
      EXPECT_LT(DeanDixonCriticalValues(n, static_cast<TSignifLevelEx>(l)),
                DeanDixonCriticalValues(n, static_cast<TSignifLevelEx>(l - 1)))
          << "n=" << n << " level=" << l;
  for (int32_t n : {4, 5, 6, 7, 9, 10, 12, 13})
    EXPECT_LT(DeanDixonCriticalValues(n, Dot050), DeanDixonCriticalValues(n - 1, Dot050))
        << "n=" << n;
  for (int32_t n = 15; n <= 100; ++n)
    EXPECT_LE(DeanDixonCriticalValues(n, Dot050), DeanDixonCriticalValues(n - 1, Dot050))
        << "n=" << n;
  EXPECT_EQ(DeanDixonCriticalValues(101, Dot050), -1);
  EXPECT_EQ(DeanDixonCriticalValues(2, Dot050), -1);
}

TEST(StatisDeanDixon, FindsTheOutlierAndRejectsBadSizes) {
  double Q = -1;
  const double five[] = {1, 2, 3, 4, 10};
  EXPECT_EQ(statis::DeanDixonTest(five, Dot050, Q), 5);
  EXPECT_NEAR(Q, 6.0 / 9, 1e-15);
  const double low[] = {10, 11, 11.5, 12, -5, 10.5};  // the low end, found at its unsorted place
  EXPECT_EQ(statis::DeanDixonTest(low, Dot050, Q), 5);
  const double none[] = {1, 2, 3, 4, 5};
  EXPECT_EQ(statis::DeanDixonTest(none, Dot050, Q), 0);
  const double flat[] = {3, 3, 3, 3};
  EXPECT_EQ(statis::DeanDixonTest(flat, Dot001, Q), 0);
  EXPECT_EQ(Q, 0);
  const std::vector<double> two{1, 2}, many(101, 1.0);
  ExpectThrowMessage<ENUVStatisError>([&] { statis::DeanDixonTest(two, Dot050, Q); },
                                      "DeanDixonTest: number of data points is too low");
  ExpectThrowMessage<ENUVStatisError>([&] { statis::DeanDixonTest(many, Dot050, Q); },
                                      "DeanDixonTest: number of data points is too high");
}

TEST(StatisGrubbs, CriticalValuesAndTest) {
  // mpmath: ((n-1)/√n)·√(t²/(n-2+t²)), t the upper α/(2n) point of t(n-2)
  // by findroot on betainc.
  const struct {
    int32_t n;
    double alpha, want;
  } cases[] = {{3, 0.05, 1.1543048513440384},
               {10, 0.05, 2.2899540844796005},
               {20, 0.01, 3.0008041573404598},
               {100, 0.05, 3.384082901154891}};
  for (const auto& c : cases)
    EXPECT_TRUE(Rel(GrubbsCriticalValues(c.n, c.alpha, true), c.want, 1e-12)) << "n=" << c.n;
  EXPECT_LT(GrubbsCriticalValues(10, 0.05, false), GrubbsCriticalValues(10, 0.05, true));
  for (double a : {0.0, 1.0, kNaN})
    EXPECT_EQ(GrubbsCriticalValues(10, a, true), -1) << "alpha=" << a;
  EXPECT_EQ(GrubbsCriticalValues(2, 0.05, true), -1);

  double MaxDev = -1;
  const double data[] = {2.1, 2.3, 1.9, 2.0, 2.2, 2.1, 5.0, 2.0, 1.8, 2.2};
  EXPECT_EQ(statis::GrubbsTest(data, 0.05, MaxDev), 7);
  EXPECT_GT(MaxDev, 2.29);
  const double flat[] = {1, 1, 1, 1, 1};
  EXPECT_EQ(statis::GrubbsTest(flat, 0.05, MaxDev), 0);
  const double three[] = {1, 2, 3};
  ExpectThrowMessage<ENUVStatisError>([&] { statis::GrubbsTest(three, 1, MaxDev); },
                                      "GrubbsTest: invalid level of significance");
  ExpectThrowMessage<ENUVStatisError>([&] { statis::GrubbsTest(three, 0.05, MaxDev); },
                                      "GrubbsTest: number of data points is too low");
}

// ---------------------------------------------------------------------------
// Kolmogorov-Smirnov and Lilliefors

TEST(StatisKS, CriticalValueTable) {
  const struct {
    int32_t n;
    double row[5];
  } told[] = {{1, {0.900, 0.925, 0.950, 0.975, 0.995}},
              {2, {0.684, 0.726, 0.776, 0.842, 0.929}},
              {5, {0.446, 0.474, 0.510, 0.565, 0.669}},
              {10, {0.322, 0.342, 0.368, 0.410, 0.490}},
              {20, {0.231, 0.246, 0.264, 0.294, 0.356}}};
  for (const auto& t : told)
    for (int l = 0; l < 5; ++l)
      EXPECT_EQ(KolmogSmir1SampleTestStat(t.n, static_cast<TSignifLevel>(l)), t.row[l])
          << "n=" << t.n;
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(21, Dot05), 1.358 / std::sqrt(21.0));
  EXPECT_EQ(KolmogSmir1SampleTestStat(0, Dot05), -1);
  // The classical table stays within 0.007 of the exact critical values.
  for (int32_t n = 1; n <= 20; ++n)
    for (int l = 0; l < 5; ++l) {
      const double d = KolmogSmir1SampleTestStat(n, static_cast<TSignifLevel>(l));
      EXPECT_NEAR(KSPValue(n, d), statis::kSignifLevel[l], 0.012) << "n=" << n << " level=" << l;
    }
}

TEST(StatisKS, PValueAgainstScipyAndClosedForms) {
  // scipy stats.kstwo.sf(d, n); for n = 300 and 1000 the method of
  // Marsaglia, Tsang and Wang in mpmath at 60 digits (scipy approximates there).
  const struct {
    int32_t n;
    double d, want, tol;
  } cases[] = {{10, 0.9, 2e-10, 1e-12},
               {10, 0.3, 0.27053557479999946, 1e-12},
               {50, 0.1, 0.6623112704658186, 1e-12},
               {100, 0.2, 0.0005551927327988775, 1e-10},
               {5, 0.6, 0.03008000000000001, 1e-12},
               {1000, 0.03, 0.32269024641329994, 1e-10},
               {20, 0.45, 0.00032446411409554644, 1e-10},
               {300, 0.06, 0.22127579339376717, 1e-10}};
  for (const auto& c : cases)
    EXPECT_TRUE(Rel(KSPValue(c.n, c.d), c.want, c.tol)) << "n=" << c.n << " d=" << c.d;
  // From d = 1 - 1/n on, P(D >= d) = 2(1 - d)^n.
  for (int32_t n : {3, 10, 40})
    for (double d : {1 - 1.0 / n, 1 - 0.5 / n})
      EXPECT_TRUE(Rel(KSPValue(n, d), 2 * std::pow(1 - d, n), 1e-12)) << "n=" << n << " d=" << d;
  // n = 1: D = max(U, 1 - U) ≥ d with probability 2(1 - d) for d >= 1/2.
  EXPECT_TRUE(Rel(KSPValue(1, 0.7), 0.6, 1e-14));
  EXPECT_EQ(KSPValue(10, 0), 1);
  EXPECT_EQ(KSPValue(10, 1.2), 0);
  EXPECT_EQ(KSPValue(0, 0.5), -1);
  EXPECT_EQ(KSPValue(10, kNaN), -1);
  // Large n, beyond the exact matrix method (mpmath, 60 digits).
  EXPECT_TRUE(Rel(KSPValue(1600, 0.05), 0.0006467517677354828, 1e-9));
  EXPECT_TRUE(Rel(KSPValue(3000, 0.03), 0.008848227038130995, 1e-8));
  const double big = KSPValue(100000, 0.003);
  EXPECT_GT(big, 0.3);
  EXPECT_LT(big, 0.35);
}

TEST(StatisKS, QuantileAndNormalityStatistics) {
  for (int32_t n : {5, 12, 40})
    for (int l = 0; l < 5; ++l) {
      const auto level = static_cast<TSignifLevel>(l);
      EXPECT_NEAR(KSPValue(n, KSQuantile(n, level)), statis::kSignifLevel[l], 1e-4)
          << "n=" << n << " level=" << l;
    }
  EXPECT_EQ(KSQuantile(0, Dot05), -1);

  // Standard normal quantiles at (i - 0.5)/n lie 1/(2n) off either step.
  std::vector<double> x;
  for (int i = 5; i >= 1; --i) x.push_back(nDistriQuantile((i - 0.5) / 5));
  EXPECT_NEAR(statis::KSNormalityStatistic(x, false), 0.1, 1e-14);
  EXPECT_TRUE(std::is_sorted(x.begin(), x.end()));
  std::vector<double> shifted{11, 12, 13, 14, 15};
  const double D = statis::LillieforsStatistic(shifted, true);
  EXPECT_NEAR(shifted[2], 0, 1e-15);  // standardised in place
  EXPECT_GT(D, 0);
  EXPECT_LT(D, 0.2);
}

TEST(StatisLilliefors, PValueAndQuantile) {
  EXPECT_EQ(LillieforsPValue(5, 0.3), -1);
  EXPECT_DOUBLE_EQ(LillieforsPValue(200, 0.1), LillieforsPValue(100, 0.1 * std::pow(2.0, 0.49)));
  EXPECT_EQ(LillieforsPValue(30, 0.0), 1);  // the exponent is capped at 0
  EXPECT_LT(LillieforsPValue(30, 0.3), 0.001);
  // Lilliefors' published critical values at 0.05 (n = 10, 20, 30: 0.258,
  // 0.190, 0.161), met by the fitted polynomials within 3 %.
  const struct {
    int32_t n;
    double want;
  } cases[] = {{10, 0.258}, {20, 0.190}, {30, 0.161}};
  for (const auto& c : cases)
    EXPECT_NEAR(LillieforsQuantile(c.n, 0.05), c.want, 0.03 * c.want) << "n=" << c.n;
  EXPECT_EQ(LillieforsQuantile(0, 0.05), -1);
  EXPECT_EQ(LillieforsQuantile(10, 1.0), -1);
}

// ---------------------------------------------------------------------------
// Rank distributions

// P(U = u) by enumerating which ranks the first sample takes.
std::vector<double> EnumerateU(int32_t m, int32_t n) {
  std::vector<double> count(m * n + 1, 0);
  double total = 0;
  for (uint32_t mask = 0; mask < (1u << (m + n)); ++mask) {
    if (std::popcount(mask) != m) continue;
    int32_t rankSum = 0;
    for (int32_t r = 0; r < m + n; ++r)
      if (mask >> r & 1) rankSum += r + 1;
    count[rankSum - m * (m + 1) / 2] += 1;
    total += 1;
  }
  for (auto& c : count) c /= total;
  return count;
}

TEST(StatisU, ExactDistributionAgainstEnumeration) {
  const struct { int32_t m, n; } sizes[] = {{1, 1}, {3, 4}, {4, 3}, {7, 9}, {2, 11}};
  for (const auto& s : sizes) {
    const auto want = EnumerateU(s.m, s.n);
    double cum = 0;
    for (int32_t u = 0; u <= s.m * s.n; ++u) {
      cum += want[u];
      EXPECT_TRUE(Rel(UDistriDensity(s.m, s.n, u), want[u], 1e-13))
          << s.m << "," << s.n << " u=" << u;
      EXPECT_TRUE(Rel(UDistriIntegral(s.m, s.n, u), cum, 1e-13)) << s.m << "," << s.n << " u=" << u;
    }
  }
  EXPECT_EQ(UDistriDensity(3, 4, -1), 0);
  EXPECT_EQ(UDistriDensity(3, 4, 13), 0);
  EXPECT_EQ(UDistriIntegral(3, 4, -1), 0);
  EXPECT_EQ(UDistriIntegral(3, 4, 12), 1);
  // 1/C(20, 10) for the most extreme value.
  EXPECT_TRUE(Rel(UDistriDensity(10, 10, 0), 1 / 184756.0, 1e-13));
}

TEST(StatisU, QuantilesAndLargeSamples) {
  const auto dist = EnumerateU(7, 9);
  for (double p : {0.0, 0.001, 0.025, 0.3, 0.5, 0.9, 0.999, 1.0}) {
    int32_t want = 0;
    double cum = dist[0];
    while (cum < p * (1 - 1e-12)) cum += dist[++want];
    EXPECT_EQ(UDistriQuantile(7, 9, p), want) << "p=" << p;
  }
  // Beyond the exact range: the normal approximation, symmetric about mn/2.
  EXPECT_NEAR(UDistriIntegral(600, 500, 150000), 0.5 + UDistriDensity(600, 500, 150000) / 2, 1e-12);
  const int32_t q = UDistriQuantile(600, 500, 0.05);
  EXPECT_NEAR(q, 150000 - 1.6448536 * std::sqrt(600.0 * 500 * 1101 / 12), 2);
  ExpectThrowMessage<ENUVStatisError>([] { UDistriDensity(0, 5, 1); },
                                      "UDistriDensity: sample sizes must be positive");
  ExpectThrowMessage<ENUVStatisError>([] { UDistriIntegral(100000, 100000, 1); },
                                      "UDistriIntegral: sample sizes too large");
  ExpectThrowMessage<ENUVStatisError>([] { UDistriQuantile(3, 4, 1.5); },
                                      "UDistriQuantile: probability out of range");
}

TEST(StatisWilcoxon, TableMatchesTheExactDistribution) {
  // Brute force for n = 10: all 1024 sign patterns.
  std::vector<int> count(56, 0);
  for (int mask = 0; mask < 1024; ++mask) {
    int w = 0;
    for (int r = 0; r < 10; ++r)
      if (mask >> r & 1) w += r + 1;
    ++count[w];
  }
  const double levels[] = {0.1, 0.05, 0.02, 0.01, 0.001};
  for (int l = 0; l < 5; ++l) {
    int64_t want = -1, cum = 0;
    for (int t = 0; t < 56; ++t) {
      cum += count[t];
      if (cum / 1024.0 > levels[l] / 2) break;
      want = t;
    }
    EXPECT_EQ(WilcoxonSRQuantile(10, levels[l], true), want) << "level=" << levels[l];
  }
  // Telling rows; between the levels the exact distribution decides.
  const struct {
    int32_t n;
    double alpha;
    bool twoSided;
    int64_t want;
  } cases[] = {{8, 0.1, true, 5},        {8, 0.05, true, 3},      {8, 0.02, true, 1},
               {9, 0.01, true, 1},       {10, 0.02, true, 5},     {100, 0.1, true, 2045},
               {100, 0.05, true, 1955},  {100, 0.02, true, 1850}, {100, 0.01, true, 1779},
               {100, 0.001, true, 1578}, {50, 0.05, true, 434},   {50, 0.025, false, 434},
               {9, 0.001, true, -1},     {7, 0.05, true, -1},     {8, 0.3, true, -1},
               {8, 0.0001, true, -1}};
  for (const auto& c : cases)
    EXPECT_EQ(WilcoxonSRQuantile(c.n, c.alpha, c.twoSided), c.want)
        << "n=" << c.n << " alpha=" << c.alpha;
  for (int32_t n = 8; n <= 100; ++n) {
    const auto dist = statis::SignedRankDistribution(n);
    for (int l = 0; l < 5; ++l) {
      const int64_t T = WilcoxonSRQuantile(n, levels[l], true);
      // Off the table's levels the exact search must give the same answer.
      EXPECT_EQ(WilcoxonSRQuantile(n, levels[l] * (1 + 1e-7), true), T)
          << "n=" << n << " level=" << levels[l];
      if (T < 0) continue;
      double cum = 0;
      for (int64_t t = 0; t <= T; ++t) cum += dist[t];
      EXPECT_LE(cum, levels[l] / 2 * (1 + 1e-12)) << "n=" << n << " level=" << levels[l];
      EXPECT_GT(cum + dist[T + 1], levels[l] / 2) << "n=" << n << " level=" << levels[l];
    }
  }
}

TEST(StatisWilcoxon, NormalApproximationForLargeSamples) {
  const double n = 1000000;
  const double want =
      n * (n + 1) / 4 - 1.959963984540054 * std::sqrt(n * (n + 1) * (2 * n + 1) / 24);
  EXPECT_NEAR(static_cast<double>(WilcoxonSRQuantile(1000000, 0.05, true)), want, 1);
  EXPECT_GT(WilcoxonSRQuantile(1000000, 0.05, true), int64_t{1} << 32);
  EXPECT_EQ(WilcoxonSRQuantile(1000001, 0.05, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(500, kNaN, true), -1);
}

// ---------------------------------------------------------------------------
// Shapiro-Wilk, t and Mann-Whitney tests

TEST(StatisShapiroWilk, AgainstScipy) {
  // scipy stats.shapiro (W in single precision there).
  const struct {
    std::vector<double> data;
    double w, p;
  } cases[] = {{{2.1, 3.4, 1.9, 5.6, 4.4, 3.3, 2.8, 3.9, 4.1, 2.2, 3.0, 6.8},
                0.9244135618209839,
                0.3246295154094696},
               {{1.0, 1.5, 2.1, 2.2, 9.0}, 0.6907399892807007, 0.007643087301403284},
               {{1.0, 2.0, 4.0}, 0.9642857313156128, 0.6368856430053711},
               {{0.7075, 1.0252, 0.5685, 0.8951, 0.2065, 3.3836, 0.0098, 2.8092, 0.5753, 0.3005,
                 0.5411, 0.3121, 0.8998, 1.0737, 1.8843, 0.2221, 3.1447, 0.7359, 0.3484, 0.8836,
                 0.0751, 0.06,   1.2236, 0.7729, 2.196,  0.4752, 0.5213, 1.1808, 0.5265, 0.0222,
                 0.2933, 1.0143, 0.6347, 1.3966, 0.0083, 0.9038, 0.2503, 0.3556, 3.0749, 1.4044,
                 3.7954, 1.7481, 2.243,  0.1449, 0.3026, 0.2388, 1.1482, 1.2233, 0.1272, 0.3839,
                 1.0679, 0.0687, 0.0982, 0.8714, 1.874,  2.6964, 0.7061, 1.3061, 0.7635, 0.9371},
                0.8472280502319336,
                2.525877789594233e-06}};
  for (const auto& c : cases) {
    double W, P;
    ASSERT_TRUE(statis::ShapiroWilk(c.data, 0, W, P)) << "n=" << c.data.size();
    EXPECT_NEAR(W, c.w, 1e-6) << "n=" << c.data.size();
    EXPECT_TRUE(Rel(P, c.p, 1e-4)) << "n=" << c.data.size();
    EXPECT_TRUE(Rel(ShapiroWilkIntegral(W, static_cast<int32_t>(c.data.size()), 0), P, 1e-12))
        << "n=" << c.data.size();
  }
  // n = 3 is exact: W has the density of (3/π)/√(w(1-w)) on [3/4, 1].
  EXPECT_NEAR(ShapiroWilkIntegral(0.75, 3, 0), 0, 1e-15);
  EXPECT_NEAR(ShapiroWilkIntegral(1, 3, 0), 1, 1e-15);
}

TEST(StatisShapiroWilk, CensoringAndBadInput) {
  std::vector<double> x;
  for (int i = 1; i <= 40; ++i) x.push_back(nDistriQuantile((i - 0.375) / 40.25));
  double W, P, Wc, Pc;
  ASSERT_TRUE(statis::ShapiroWilk(x, 0, W, P));
  EXPECT_GT(W, 0.99);
  EXPECT_GT(P, 0.9);
  ASSERT_TRUE(statis::ShapiroWilk(x, 30, Wc, Pc));  // the 10 largest censored
  EXPECT_GT(Wc, 0.98);
  EXPECT_GT(Pc, 0.5);
  EXPECT_FALSE(statis::ShapiroWilk(x, 5, Wc, Pc));  // more than 80 % censored
  const std::vector<double> two{1, 2}, flat{2, 2, 2, 2}, withNaN{1, kNaN, 3, 4};
  EXPECT_FALSE(statis::ShapiroWilk(two, 0, W, P));
  EXPECT_FALSE(statis::ShapiroWilk(flat, 0, W, P));
  EXPECT_FALSE(statis::ShapiroWilk(withNaN, 0, W, P));
  EXPECT_EQ(ShapiroWilkIntegral(0.9, 2, 0), -1);
  EXPECT_EQ(ShapiroWilkIntegral(0.9, 5001, 0), -1);
  EXPECT_EQ(ShapiroWilkIntegral(0.9, 10, 8), -1);  // censoring needs n >= 20
}

TEST(StatisTTest, AgainstScipy) {
  const std::vector<double> x1{5.1, 4.9, 6.2, 5.8, 6.0, 5.5, 5.3, 6.1},
      x2{4.2, 4.8, 5.0, 4.6, 5.1, 4.4, 4.9};
  const std::vector<double> y1{5.1, 4.9, 6.2, 5.8, 6.0, 5.5, 5.3};
  const struct {
    const char* what;
    const std::vector<double>& a;
    int32_t version;
    bool twoSided;
    double t, p;
  } cases[] = {
      {"welch", x1, ttHeteroScedastic, true, 4.239684098952441, 0.0010850415249069767},
      {"pooled", x1, ttHomoScedastic, true, 4.128470031517734, 0.001188099060231958},
      {"pooled one-sided", x1, ttHomoScedastic, false, 4.128470031517734, 0.000594049530115979},
      {"paired", y1, ttPaired, true, 5.180774607326098, 0.002052793327507195}};
  for (const auto& c : cases) {
    const auto r = statis::TwoSampleTTest(c.a, x2, c.version, c.twoSided);
    EXPECT_TRUE(Rel(r.t, c.t, 1e-12)) << c.what;
    EXPECT_TRUE(Rel(r.PValue, c.p, 1e-10)) << c.what;
  }
  const auto paired = statis::TwoSampleTTest(y1, x2, ttPaired, true);
  EXPECT_EQ(paired.DF, 6);
  EXPECT_EQ(paired.NumData, 7);
  const std::vector<double> c1{2, 2, 2}, c2{2, 2, 2}, c3{3, 3, 3};
  EXPECT_EQ(statis::TwoSampleTTest(c1, c2, ttHeteroScedastic, true).PValue, 1);
  EXPECT_EQ(statis::TwoSampleTTest(c3, c1, ttHeteroScedastic, true).PValue, 0);
  const std::vector<double> one{1};
  ExpectThrowMessage<ENUVStatisError>([&] { statis::TwoSampleTTest(x1, x2, ttPaired, true); },
                                      "Perform2SampleTTest: paired samples must be of equal size");
  ExpectThrowMessage<ENUVStatisError>(
      [&] { statis::TwoSampleTTest(one, x2, ttHomoScedastic, true); },
      "Perform2SampleTTest: number of data points is too low");
}

TEST(StatisMannWhitney, AgainstScipy) {
  const std::vector<double> a{1.1, 2.3, 0.4, 3.3, 2.9, 1.7}, b{3.8, 4.1, 2.5, 5.0, 3.6, 4.4, 2.8};
  double U;
  EXPECT_TRUE(Rel(statis::MannWhitneyUTest(a, b, true, U), 0.013986013986013986, 1e-12));
  EXPECT_EQ(U, 4);
  EXPECT_TRUE(Rel(statis::MannWhitneyUTest(a, b, false, U), 0.995920745920746, 1e-12));
  const std::vector<double> c{1, 2, 2, 3, 3, 3, 4}, d{2, 3, 4, 4, 5, 5, 6, 6};
  EXPECT_TRUE(Rel(statis::MannWhitneyUTest(c, d, true, U), 0.025144761173357368, 1e-12));
  EXPECT_EQ(U, 8.5);
  EXPECT_TRUE(Rel(statis::MannWhitneyUTest(c, d, false, U), 0.9907889372729505, 1e-12));
  const std::vector<double> same{7, 7, 7}, same2{7, 7};
  EXPECT_EQ(statis::MannWhitneyUTest(same, same2, true, U), 1);
  const std::vector<double> empty, withNaN{1, kNaN};
  ExpectThrowMessage<ENUVStatisError>([&] { statis::MannWhitneyUTest(empty, b, true, U); },
                                      "PerformMannWhitneyUTest: number of data points is too low");
  ExpectThrowMessage<ENUVStatisError>([&] { statis::MannWhitneyUTest(withNaN, b, true, U); },
                                      "PerformMannWhitneyUTest: invalid data value");
}

// ---------------------------------------------------------------------------
// Kernel density estimate

TEST(StatisDensity, IntegratesToOneAndPeaksAtTheCluster) {
  std::vector<double> data{5.2, 1.0, 1.1, 0.9, 1.05, 0.95, 5.0, 4.8};
  std::vector<double> density;
  int32_t idxMin = 0, idxMax = 0, calls = 0, lastCount = 0;
  double lastPercent = 0;
  statis::ProbDensity(data, density, -5, 11, 1.0, 0.5, 1600, idxMin, idxMax,
                      [&](int32_t count, double percent) {
                        ++calls;
                        lastCount = count;
                        lastPercent = percent;
                      });
  EXPECT_TRUE(std::is_sorted(data.begin(), data.end()));
  ASSERT_EQ(density.size(), 1601u);
  const double h = 16.0 / 1600;
  double integral = 0;
  for (std::size_t i = 0; i + 1 < density.size(); ++i)
    integral += (density[i] + density[i + 1]) / 2 * h;
  EXPECT_NEAR(integral, 1, 1e-3);
  EXPECT_NEAR(-5 + (idxMax - 1) * h, 1.0, 0.15);
  EXPECT_EQ(idxMin, 1);
  EXPECT_EQ(calls, 8 + 1601);
  EXPECT_EQ(lastCount, calls);
  EXPECT_NEAR(lastPercent, 1609.0 / 1608 * 100, 1e-12);
  // Steps clamp to 10..10000; a zero width factor counts as 1.
  statis::ProbDensity(data, density, 0, 1, 0, 0.5, 3, idxMin, idxMax, nullptr);
  EXPECT_EQ(density.size(), 11u);
  std::vector<double> none;
  EXPECT_THROW(statis::ProbDensity(none, density, 0, 1, 1, 1, 10, idxMin, idxMax, nullptr),
               ENUVStatisError);
}

TEST(StatisFiles, PLSModelComment) {
  testing::TempDir dir;
  const std::string name = dir.File("model.pls");
  {
    std::ofstream f(name, std::ios::binary);
    f << "calibration of lot 7\r\n2\t;nr. of components\r\n";
  }
  std::string comment = "x";
  EXPECT_TRUE(LoadPLSModelComment(name, comment));
  EXPECT_EQ(comment, "calibration of lot 7");
  const std::string empty = dir.File("empty.pls");
  std::ofstream(empty, std::ios::binary).close();
  EXPECT_FALSE(LoadPLSModelComment(empty, comment));
  EXPECT_EQ(comment, "");
  EXPECT_THROW(LoadPLSModelComment(dir.File("missing.pls"), comment), EInOutError);
}

}  // namespace
}  // namespace nuv
