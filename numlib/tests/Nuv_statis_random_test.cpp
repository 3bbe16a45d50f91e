// Draws are judged statistically: Kolmogorov-Smirnov against the
// distribution the table describes, means and tail frequencies. The
// machinery (that distribution, the statistic and its p-value) is checked
// against scipy first (tools/ref/randgen_ks.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "RelativeError.h"
#include "nuv/Nuv_statis.h"
#include "nuv/platform/Random.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;
using testing::Rel;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// ∫₀^f min(1, a + b·t) dt: the acceptance probability over part of a cell.
double ClippedIntegral(double a, double b, double f) {
  if (a <= 1 && a + b * f <= 1) return a * f + b * f * f / 2;
  if (a >= 1 && a + b * f >= 1) return f;
  const double s = (1 - a) / b;
  if (a < 1) return a * s + b * s * s / 2 + (f - s);
  return s + ClippedIntegral(1, b, f - s);
}

// The distribution function of a generator's draws: the density is the
// acceptance probability, linear in each cell from its value towards the
// next cell's, flat in the last cell (or tapering to 0, as a check that the
// tests can tell the difference).
class TTableCdf {
 public:
  explicit TTableCdf(const TRandGen& g, bool taperLastCell = false)
      : lo_(g.LowBorder()), hi_(g.HighBorder()), cum_(1, 0.0) {
    for (int32_t i = 1; i <= g.Resolution(); ++i) p_.push_back(g.GetProbability(i));
    p_.push_back(taperLastCell ? 0 : p_.back());
    for (std::size_t k = 0; k + 1 < p_.size(); ++k) cum_.push_back(cum_.back() + Mass(k, 1));
  }

  double operator()(double x) const {
    const double u = (x - lo_) / (hi_ - lo_) * Cells();
    if (u <= 0) return 0;
    if (u >= Cells()) return 1;
    const auto k = static_cast<std::size_t>(u);
    return (cum_[k] + Mass(k, u - k)) / cum_.back();
  }

 private:
  double Cells() const { return static_cast<double>(p_.size() - 1); }
  double Mass(std::size_t k, double f) const {
    return ClippedIntegral(p_[k], p_[k + 1] - p_[k], f);
  }

  double lo_, hi_;
  std::vector<double> p_, cum_;
};

double KSStatistic(std::vector<double> sample, const std::function<double(double)>& cdf) {
  std::sort(sample.begin(), sample.end());
  const double n = static_cast<double>(sample.size());
  double d = 0;
  for (std::size_t i = 0; i < sample.size(); ++i) {
    const double F = cdf(sample[i]);
    d = std::max({d, (i + 1) / n - F, F - i / n});
  }
  return d;
}

// P(D_n >= d) for large n from Kolmogorov's limiting distribution; the
// exact KSPValue takes too long under the sanitizers at these sizes.
double KSTail(std::size_t n, double d) {
  const double lambda = std::sqrt(static_cast<double>(n)) * d;
  if (lambda < 0.2) return 1;
  double sum = 0;
  for (int32_t k = 1; k <= 100; ++k)
    sum += (k % 2 ? 2 : -2) * std::exp(-2.0 * k * k * lambda * lambda);
  return sum;
}

// The p-value of the draws against a distribution function.
double KSPValueOf(const std::vector<double>& x, const std::function<double(double)>& cdf) {
  return KSTail(x.size(), KSStatistic(x, cdf));
}

std::vector<double> Draw(TRandGen& g, uint32_t seed, int32_t n) {
  RandSeed = seed;
  std::vector<double> x(n);
  for (double& v : x) v = g.GetRandNum();
  return x;
}

void Configure(TRandGen& g, double lo, double hi, int32_t resolution) {
  g.SetLowBorder(lo);
  g.SetHighBorder(hi);
  g.SetResolution(resolution);
}

// ---------------------------------------------------------------------------
// Table geometry

TEST(RandGen, ResolutionIsClampedAndEverySetResolutionResetsTheTable) {
  TRandGen g(nullptr);
  EXPECT_EQ(g.Resolution(), 500);
  EXPECT_EQ(g.GetProbability(500), 1);
  const struct {
    int32_t set, want;
  } cases[] = {{5, 10}, {10000, 4000}, {-3, 10}, {10, 10}, {4000, 4000}, {777, 777}};
  for (const auto& c : cases) {
    g.SetProbability(3, 0.25);
    g.SetResolution(c.set);
    EXPECT_EQ(g.Resolution(), c.want) << c.set;
    EXPECT_EQ(g.GetProbability(3), 1) << c.set;
    EXPECT_EQ(g.GetProbability(c.want), 1) << c.set;
  }
}

TEST(RandGen, LambdaAndIndexOfLambdaOnOrdinaryEqualAndReversedBorders) {
  TRandGen g(nullptr);
  Configure(g, 0, 10, 10);
  const struct {
    const char* what;
    int64_t got, want;
  } index[] = {{"10.5", g.IndexOfLambda(10.5), 11}, {"-1", g.IndexOfLambda(-1), 0},
               {"0", g.IndexOfLambda(0), 1},        {"9.99", g.IndexOfLambda(9.99), 10},
               {"high", g.IndexOfLambda(10), 10},   {"3", g.IndexOfLambda(3), 4},
               {"NaN", g.IndexOfLambda(kNaN), 0},   {"inf", g.IndexOfLambda(kInf), 11},
               {"-inf", g.IndexOfLambda(-kInf), 0}, {"1e308", g.IndexOfLambda(1e308), 11}};
  for (const auto& c : index) EXPECT_EQ(c.got, c.want) << c.what;
  EXPECT_EQ(g.GetLambda(1), 0);
  EXPECT_EQ(g.GetLambda(10), 9);
  EXPECT_EQ(g.GetLambda(0), 0);
  EXPECT_EQ(g.GetLambda(11), 10);

  // Every cell's midpoint maps back to the cell on an uneven interval.
  Configure(g, -3.7, 12.1, 997);
  for (int32_t i = 1; i <= 997; ++i)
    ASSERT_EQ(g.IndexOfLambda((g.GetLambda(i) + g.GetLambda(i + 1)) / 2), i) << i;
  EXPECT_EQ(g.IndexOfLambda(std::nextafter(12.1, 0.0)), 997);

  // The default borders coincide: no division by their difference.
  TRandGen flat(nullptr);
  EXPECT_EQ(flat.IndexOfLambda(0), 500);
  EXPECT_EQ(flat.IndexOfLambda(-1), 0);
  EXPECT_EQ(flat.IndexOfLambda(1), 501);
  EXPECT_EQ(flat.IndexOfLambda(kNaN), 0);
  EXPECT_EQ(flat.GetLambda(250), 0);

  // Reversed borders count their cells from LowBorder downwards.
  Configure(g, 10, 0, 10);
  EXPECT_EQ(g.GetLambda(2), 9);
  const struct {
    double x;
    int32_t want;
  } reversed[] = {{9.5, 1}, {10, 1}, {0.5, 10}, {0, 10}, {-1, 11}, {11, 0}};
  for (const auto& c : reversed) EXPECT_EQ(g.IndexOfLambda(c.x), c.want) << c.x;
}

TEST(RandGen, ProbabilitiesAreClampedAndIndexedFromOne) {
  TRandGen g(nullptr);
  g.SetResolution(10);
  const struct {
    double set, want;
  } cases[] = {{0.3, 0.3}, {1.5, 1}, {-0.5, 0}, {kNaN, 0}, {kInf, 1}, {-kInf, 0}, {0, 0}, {1, 1}};
  for (const auto& c : cases) {
    g.SetProbability(4, c.set);
    EXPECT_EQ(g.GetProbability(4), c.want) << c.set;
  }
  g.SetProbability(0, 0.5);
  g.SetProbability(11, 0.5);
  EXPECT_EQ(g.GetProbability(0), 0);
  EXPECT_EQ(g.GetProbability(11), 0);
  EXPECT_EQ(g.GetProbability(1), 1);
  EXPECT_EQ(g.GetProbability(10), 1);
}

TEST(RandGen, NormalizeMapsOntoTheUnitIntervalAndStandardizeDividesByTheMaximum) {
  TRandGen g(nullptr);
  g.SetResolution(10);
  EXPECT_FALSE(g.Normalize());  // all equal
  EXPECT_EQ(g.GetProbability(5), 1);
  for (int32_t i = 1; i <= 10; ++i) g.SetProbability(i, 0.2 + 0.05 * i);
  EXPECT_TRUE(g.Normalize());
  EXPECT_EQ(g.GetProbability(1), 0);
  EXPECT_EQ(g.GetProbability(10), 1);
  EXPECT_NEAR(g.GetProbability(4), 1.0 / 3, 1e-15);

  for (int32_t i = 1; i <= 10; ++i) g.SetProbability(i, 0);
  EXPECT_FALSE(g.Standardize());
  EXPECT_EQ(g.GetProbability(3), 0);
  g.SetProbability(3, 0.4);
  g.SetProbability(7, 0.1);
  EXPECT_TRUE(g.Standardize());
  EXPECT_EQ(g.GetProbability(3), 1);
  EXPECT_EQ(g.GetProbability(7), 0.25);
  EXPECT_EQ(g.GetProbability(1), 0);

  // A filler's densities above 1 come down to a peak of 1.
  Configure(g, 0, 2, 100);
  g.WeibullDistri(5, 1);
  EXPECT_GT(g.GetProbability(50), 1.5);
  EXPECT_TRUE(g.Standardize());
  double peak = 0;
  for (int32_t i = 1; i <= 100; ++i) peak = std::max(peak, g.GetProbability(i));
  EXPECT_EQ(peak, 1);
}

// ---------------------------------------------------------------------------
// Shape fillers

// Densities from scipy (tools/ref/randgen_ks.py).
TEST(RandGen, FillersTakeTheDensityAtEachLeftEdge) {
  TRandGen g(nullptr);
  Configure(g, -2, 2, 40);
  g.NormalDistri(0, 1);
  EXPECT_EQ(g.GetProbability(21), 1);  // left edge at the mean: peak 1
  EXPECT_NEAR(g.GetProbability(1), std::exp(-2.0), 1e-15);

  // Below 0 the one-sided shapes are 0; F is 0 at 0 itself. Left edges
  // -1, -0.5, 0, 0.5, 1, ...
  Configure(g, -1, 4, 10);
  g.Chi2Distri(3);
  EXPECT_EQ(g.GetProbability(2), 0);
  EXPECT_EQ(g.GetProbability(3), 0);                            // x = 0, df > 2
  EXPECT_NEAR(g.GetProbability(5), 0.2419707245191434, 1e-14);  // chi2.pdf(1, 3)
  g.FDistri(1, 5);
  EXPECT_EQ(g.GetProbability(3), 0);
  EXPECT_NEAR(g.GetProbability(7), 0.09782159787072314, 1e-14);  // f.pdf(2, 1, 5)
  g.Chi2Distri(2);
  EXPECT_EQ(g.GetProbability(3), 0.5);

  // The χ² pole at 0 (df < 2) becomes the first cell's mean density.
  Configure(g, 0, 8, 40);
  g.Chi2Distri(1);
  EXPECT_NEAR(g.GetProbability(1), 1.7263957699071157, 1e-14);  // chi2.cdf(0.2, 1)/0.2
  EXPECT_TRUE(std::isfinite(g.GetProbability(1)));
  EXPECT_TRUE(g.Standardize());
  EXPECT_EQ(g.GetProbability(1), 1);

  g.UniformDistri();
  EXPECT_EQ(g.GetProbability(1), 1);
  EXPECT_EQ(g.GetProbability(40), 1);
}

TEST(RandGen, FillersRejectParametersThatAreNotPositiveAndKeepTheTable) {
  TRandGen g(nullptr);
  g.SetName("RG");
  Configure(g, 0, 5, 10);
  g.SetProbability(2, 0.5);
  const std::string prefix = "Component \"RG\": ";
  const struct {
    std::function<void()> call;
    std::string message;
  } cases[] = {
      {[&] { g.NormalDistri(0, 0); }, "NormalDistri: standard deviation must be positive"},
      {[&] { g.NormalDistri(0, -1); }, "NormalDistri: standard deviation must be positive"},
      {[&] { g.NormalDistri(0, kNaN); }, "NormalDistri: standard deviation must be positive"},
      {[&] { g.NormalDistri(kNaN, 1); }, "NormalDistri: mean must be finite"},
      {[&] { g.tDistri(0); }, "tDistri: degrees of freedom must be positive"},
      {[&] { g.tDistri(kNaN); }, "tDistri: degrees of freedom must be positive"},
      {[&] { g.Chi2Distri(-1); }, "Chi2Distri: degrees of freedom must be positive"},
      {[&] { g.FDistri(1, 0); }, "FDistri: degrees of freedom must be positive"},
      {[&] { g.FDistri(-2, 3); }, "FDistri: degrees of freedom must be positive"},
      {[&] { g.WeibullDistri(0, 1); }, "WeibullDistri: shape and scale must be positive"},
      {[&] { g.WeibullDistri(2, kNaN); }, "WeibullDistri: shape and scale must be positive"},
  };
  for (const auto& c : cases) {
    ExpectThrowMessage<ENUVStatisError>(c.call, prefix + c.message);
    EXPECT_EQ(g.GetProbability(2), 0.5) << c.message;
  }
}

// ---------------------------------------------------------------------------
// Draws

struct TShape {
  const char* name;
  double lo, hi;
  int32_t resolution;
  std::function<void(TRandGen&)> fill;
  bool standardize;
};

const std::vector<TShape>& Shapes() {
  static const std::vector<TShape> shapes = {
      {"uniform", 0, 1, 10, [](TRandGen& g) { g.UniformDistri(); }, false},
      {"tilted", 0, 1, 10,
       [](TRandGen& g) {
         for (int32_t i = 1; i <= 10; ++i) g.SetProbability(i, 0.5 + 0.05 * (i - 1));
       },
       false},
      {"normal", -5, 5, 50, [](TRandGen& g) { g.NormalDistri(0.5, 1.2); }, false},
      {"t3", -6, 6, 60, [](TRandGen& g) { g.tDistri(3); }, true},
      {"chi2_4", 0, 20, 100, [](TRandGen& g) { g.Chi2Distri(4); }, true},
      {"chi2_1", 0, 8, 40, [](TRandGen& g) { g.Chi2Distri(1); }, true},
      {"F5_10", 0, 6, 120, [](TRandGen& g) { g.FDistri(5, 10); }, true},
      {"weibull", 0, 4, 80, [](TRandGen& g) { g.WeibullDistri(2, 1.5); }, true},
  };
  return shapes;
}

void Prepare(TRandGen& g, const TShape& s) {
  Configure(g, s.lo, s.hi, s.resolution);
  s.fill(g);
  if (s.standardize) {
    ASSERT_TRUE(g.Standardize()) << s.name;
  }
}

TEST(RandGen, DistributionAndStatisticAgreeWithScipy) {
  // tools/ref/randgen_ks.py, scipy 1.10.1: kstest of 400 uniform points
  // (std::minstd_rand, seed 1) against each table's distribution.
  const struct {
    const char* name;
    double d, p;
  } reference[] = {
      {"uniform", 0.028965523845500107, 0.8805455696069755},
      {"tilted", 0.10517119811269604, 0.00026311752656999073},
      {"normal", 0.3179579411955649, 1.8495008638205712e-36},
      {"t3", 0.287593645807657, 8.770489316409255e-30},
      {"chi2_4", 0.5150623121152675, 4.401526308282968e-99},
      {"chi2_1", 0.5752832610969284, 6.114990948150983e-126},
      {"F5_10", 0.5072980682599482, 6.482329057640349e-96},
      {"weibull", 0.34645529487530513, 2.130511185594406e-43},
  };
  ASSERT_EQ(std::size(reference), Shapes().size());
  TRandGen g(nullptr);
  for (std::size_t c = 0; c < Shapes().size(); ++c) {
    const TShape& s = Shapes()[c];
    ASSERT_STREQ(s.name, reference[c].name);
    Prepare(g, s);
    std::minstd_rand rng(1);
    std::vector<double> sample(400);
    for (double& x : sample) x = s.lo + (s.hi - s.lo) * (rng() / 2147483647.0);
    const double d = KSStatistic(sample, TTableCdf(g));
    EXPECT_NEAR(d, reference[c].d, 1e-12) << s.name;
    EXPECT_TRUE(Rel(KSPValue(400, d), reference[c].p, 1e-6)) << s.name;
  }
  // kstwobign.sf, for the large samples below.
  const struct {
    double lambda, p;
  } limit[] = {{0.5, 0.9639452436648751}, {1.2, 0.11224966667072497}, {2.5, 7.453306344157342e-06}};
  for (const auto& c : limit) EXPECT_TRUE(Rel(KSTail(1, c.lambda), c.p, 1e-12)) << c.lambda;
}

TEST(RandGen, DrawsFollowTheTableForEveryShapeAndSeed) {
  TRandGen g(nullptr);
  for (const TShape& s : Shapes()) {
    Prepare(g, s);
    const TTableCdf cdf(g);
    for (uint32_t seed : {1u, 4711u, 0xDEADBEEFu}) {
      const std::vector<double> x = Draw(g, seed, 4000);
      EXPECT_GT(KSPValueOf(x, cdf), 1e-3) << s.name << " seed " << seed;
      EXPECT_TRUE(std::all_of(x.begin(), x.end(), [&](double v) { return v >= s.lo && v < s.hi; }))
          << s.name;
    }
  }
}

TEST(RandGen, AUniformTableGivesUniformNumbersUpToHighBorder) {
  TRandGen g(nullptr);
  Configure(g, 2, 3, 10);
  g.UniformDistri();
  const std::vector<double> x = Draw(g, 99, 20000);
  const auto last = std::count_if(x.begin(), x.end(), [](double v) { return v >= 2.9; });
  EXPECT_NEAR(last / 20000.0, 0.1, 5 * std::sqrt(0.1 * 0.9 / 20000));
  // A last cell tapering to 0 would show plainly.
  EXPECT_LT(KSPValueOf(x, TTableCdf(g, true)), 1e-9);
  EXPECT_GT(KSPValueOf(x, [](double v) { return std::clamp(v - 2, 0.0, 1.0); }), 1e-3);
}

TEST(RandGen, FillerMeansAndTailFrequenciesMatchTheirDistributions) {
  constexpr int32_t kN = 100000;
  // Tails at 5 % above and 1 % below, from the quantile functions; borders
  // far enough out that the cut-off mass is negligible.
  const struct {
    const char* name;
    double lo, hi;
    std::function<void(TRandGen&)> fill;
    double mean, upper5, lower1;
  } cases[] = {
      {"normal", -1, 5, [](TRandGen& g) { g.NormalDistri(2, 0.5); }, 2,
       2 + 0.5 * nDistriQuantile(0.95), 2 + 0.5 * nDistriQuantile(0.01)},
      {"t5", -40, 40, [](TRandGen& g) { g.tDistri(5); }, 0, tDistriQuantile(0.95, 5),
       tDistriQuantile(0.01, 5)},
      {"chi2_3", 0, 40, [](TRandGen& g) { g.Chi2Distri(3); }, 3, chi2DistriQuantile(0.95, 3),
       chi2DistriQuantile(0.01, 3)},
      {"F5_10", 0, 40, [](TRandGen& g) { g.FDistri(5, 10); }, 10.0 / 8,
       FDistriQuantile(0.95, 5, 10), FDistriQuantile(0.01, 5, 10)},
      {"weibull", 0, 12, [](TRandGen& g) { g.WeibullDistri(1.5, 2); }, 2 * std::tgamma(1 + 1 / 1.5),
       2 * std::pow(-std::log(0.05), 1 / 1.5), 2 * std::pow(-std::log(0.99), 1 / 1.5)},
  };
  TRandGen g(nullptr);
  for (const auto& c : cases) {
    Configure(g, c.lo, c.hi, 4000);
    c.fill(g);
    g.Standardize();
    const std::vector<double> x = Draw(g, 2024, kN);
    double sum = 0, sum2 = 0;
    for (double v : x) sum += v, sum2 += v * v;
    const double mean = sum / kN, sd = std::sqrt(sum2 / kN - mean * mean);
    EXPECT_NEAR(mean, c.mean, 5 * sd / std::sqrt(kN)) << c.name;
    const double upper = std::count_if(x.begin(), x.end(), [&](double v) { return v > c.upper5; });
    const double lower = std::count_if(x.begin(), x.end(), [&](double v) { return v < c.lower1; });
    EXPECT_NEAR(upper / kN, 0.05, 5 * std::sqrt(0.05 * 0.95 / kN)) << c.name;
    EXPECT_NEAR(lower / kN, 0.01, 5 * std::sqrt(0.01 * 0.99 / kN)) << c.name;
  }
}

TEST(RandGen, TableValuesOfOneAndMoreAreAcceptedAlikeUntilStandardized) {
  TRandGen g(nullptr);
  Configure(g, 0, 2, 100);
  g.WeibullDistri(5, 1);  // peak density about 1.9
  const TTableCdf clipped(g);
  const std::vector<double> raw = Draw(g, 5, 5000);
  ASSERT_TRUE(g.Standardize());
  const TTableCdf shaped(g);
  EXPECT_GT(KSPValueOf(raw, clipped), 1e-3);
  EXPECT_LT(KSPValueOf(raw, shaped), 1e-9);
  EXPECT_GT(KSPValueOf(Draw(g, 5, 5000), shaped), 1e-3);
}

// A candidate as GetRandNum forms it from the runtime's generator: one
// draw for its place in the interval, in cells, one to accept it.
double NextCandidate(int32_t resolution) {
  const double t = Random() * resolution;
  Random();
  return t;
}

TEST(RandGen, AUniformTableAcceptsTheFirstCandidateAndZerosGiveUpWithTheLast) {
  // Following RandSeed also holds the draws to the runtime's generator.
  TRandGen g(nullptr);
  Configure(g, -1, 4, 20);
  RandSeed = 31;
  const double x = g.GetRandNum();
  const uint32_t after = RandSeed;
  RandSeed = 31;
  const double first = NextCandidate(20);
  EXPECT_EQ(RandSeed, after);
  EXPECT_EQ(x, -1 + first * 5 / 20);

  for (int32_t i = 1; i <= 20; ++i) g.SetProbability(i, 0);
  RandSeed = 8;
  const double y = g.GetRandNum();
  const uint32_t afterZeros = RandSeed;
  RandSeed = 8;
  double last = 0;
  for (int32_t i = 0; i < TRandGen::kMaxAttempts; ++i) last = NextCandidate(20);
  EXPECT_EQ(RandSeed, afterZeros);
  EXPECT_EQ(y, -1 + last * 5 / 20);
}

TEST(RandGen, DegenerateBordersAndSeedsReproduceRuns) {
  TRandGen g(nullptr);
  g.SetResolution(10);
  for (double v : Draw(g, 3, 100)) ASSERT_EQ(v, 0);  // equal default borders

  Configure(g, 10, 0, 10);
  for (double v : Draw(g, 3, 2000)) ASSERT_TRUE(v > 0 && v <= 10) << v;

  Configure(g, -5, 5, 500);
  g.NormalDistri(0, 1);
  EXPECT_EQ(Draw(g, 77, 50), Draw(g, 77, 50));
  EXPECT_NE(Draw(g, 77, 50), Draw(g, 78, 50));
}

}  // namespace
}  // namespace nuv
