// Reference values marked "mpmath" were computed offline with mpmath 1.3
// (mp.dps = 40): betainc/gammainc (regularized), loggamma, ncdf, and
// findroot on those for the quantiles; "scipy" with scipy 1.10.1.
#include "nuv/Nuv_statis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>

#include "ExpectThrow.h"
#include "RelativeError.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;
using testing::Rel;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------------------
// Special functions

TEST(StatisSpecial, LnGammaIsTheLanczosApproximation) {
  // mpmath loggamma; the six-term series is good to 2.2e-10 absolute up to
  // x = 1000, to 1e-14 relative beyond.
  const struct {
    double x, want;
  } cases[] = {{0.1, 2.252712651734206},    {0.5, 0.57236494292470008}, {1, 0},
               {1.5, -0.12078223763524522}, {3, 0.69314718055994529},   {10, 12.801827480081469},
               {100, 359.1342053695754},    {1e5, 1051287.7089736569}};
  for (const auto& c : cases)
    EXPECT_NEAR(LnGamma(c.x), c.want, c.x <= 1000 ? 2.2e-10 : 1e-14 * c.want) << "x=" << c.x;
  EXPECT_EQ(LnGamma(0), 0);
  EXPECT_EQ(LnGamma(-2.5), 0);
  EXPECT_NEAR(LnBeta(2, 3), std::log(1.0 / 12), 1e-9);
  EXPECT_EQ(LnBeta(-1, 3), 0);
}

TEST(StatisSpecial, BinomCoeffIsExactAcrossThe32BitLimit) {
  const struct {
    int32_t n, k;
    int64_t want;
  } cases[] = {{5, 2, 10},
               {2, 5, 0},
               {-1, 0, 0},
               {5, -1, 0},
               {0, 0, 1},
               {34, 17, 2333606220},
               {60, 30, 118264581564861424},
               {66, 33, 7219428434016265740},
               {1000, 1, 1000},
               {1000, 999, 1000}};
  for (const auto& c : cases)
    EXPECT_EQ(BinomCoeff(c.n, c.k), c.want) << "n=" << c.n << " k=" << c.k;
  EXPECT_THROW(BinomCoeff(67, 33), EOverflow);
  EXPECT_EQ(LnBinomCoeff(2, 5), -1);
  EXPECT_NEAR(LnBinomCoeff(34, 17), std::log(2333606220.0), 1e-13);
  EXPECT_NEAR(LnBinomCoeff(5000, 2500), 3461.2514648513740343, 1e-9);  // mpmath log(binomial)
}

TEST(StatisSpecial, IncompleteGammaAndBetaAgainstMpmath) {
  const struct {
    double x, a, want;
  } gammaCases[] = {{0.5, 0.5, 0.68268949213708585},  {3, 2.5, 0.69378108158672158},
                    {1e-5, 0.1, 0.33239840504050328}, {50, 40, 0.93542963107886701},
                    {10, 20, 0.0034543419758568078},  {1000, 990, 0.62829554350723171}};
  for (const auto& c : gammaCases)
    EXPECT_TRUE(Rel(IncompleteGamma(c.x, c.a), c.want, 1e-13)) << "x=" << c.x << " a=" << c.a;
  EXPECT_EQ(IncompleteGamma(0, 2), 0);
  EXPECT_EQ(IncompleteGamma(2, 0), 0);
  EXPECT_EQ(IncompleteGamma(-1, 2), 0);
  const struct {
    double x, a, b, want;
  } betaCases[] = {{0.3, 2, 3, 0.3483},
                   {0.9, 0.5, 0.5, 0.79516723530086653},
                   {1e-4, 0.2, 5, 0.2342949901441454},
                   {0.5, 50, 60, 0.8309072939016694},
                   {0.999, 200, 0.5, 0.52724410702523516},
                   {0.01, 1, 1e4, 1}};
  for (const auto& c : betaCases)
    EXPECT_TRUE(Rel(IncompleteBeta(c.x, c.a, c.b), c.want, 1e-13))
        << "x=" << c.x << " a=" << c.a << " b=" << c.b;
  EXPECT_EQ(IncompleteBeta(-0.5, 2, 3), 0);
  EXPECT_EQ(IncompleteBeta(1.5, 2, 3), 1);
  ExpectThrowMessage<EInvalidOp>([] { IncompleteBeta(0.5, 0, 3); },
                                 "IncompleteBeta: parameters must be positive");
  ExpectThrowMessage<EInvalidOp>([] { IncompleteBeta(0.5, 2, -1); },
                                 "IncompleteBeta: parameters must be positive");
  EXPECT_THROW(IncompleteBeta(0.5, kNaN, 1), EInvalidOp);
}

TEST(StatisSpecial, ErfAndItsApproximation) {
  // erf(x) = P(0.5, x²) with the sign of x; erf(1) from mpmath.
  EXPECT_TRUE(Rel(Erf(1), 0.84270079294971487, 1e-15));
  EXPECT_TRUE(Rel(Erf(-0.5), -IncompleteGamma(0.25, 0.5), 1e-14));
  for (double x : {-3.0, -1.0, -0.2, 0.0, 0.4, 1.0, 2.5})
    EXPECT_NEAR(ErfApprox(x), Erf(x), 1.2e-7) << "x=" << x;
}

// ---------------------------------------------------------------------------
// Normal distribution

TEST(StatisNormal, IntegralKeepsItsLowerTail) {
  // mpmath ncdf: the tail stays exact far below -8.5.
  const struct {
    double x, want;
  } cases[] = {{-37.5, 4.6053530095819552e-308}, {-20, 2.7536241186062337e-89},
               {-8.5, 9.4795348222033177e-18},   {-3, 0.0013498980316300946},
               {-0.5, 0.30853753872598688},      {0, 0.5},
               {1.25, 0.89435022633314476},      {6, 0.9999999990134123}};
  for (const auto& c : cases) {
    EXPECT_TRUE(Rel(nDistriIntegral(c.x), c.want, 1e-13)) << "x=" << c.x;
    EXPECT_TRUE(
        Rel(nDistriDensity(c.x), std::exp(-c.x * c.x / 2) / std::sqrt(2 * std::numbers::pi), 1e-13))
        << "x=" << c.x;
  }
  EXPECT_TRUE(std::isnan(nDistriIntegral(kNaN)));
}

TEST(StatisNormal, QuantileTerminatesDownToTheUnderflowLimit) {
  // mpmath: sqrt(2)·erfinv(2p-1), findroot on log ncdf for the far tail.
  const struct {
    double p, want;
  } cases[] = {{1e-300, -37.047096299361201}, {1e-100, -21.273453560965326},
               {1e-12, -7.0344838253011321},  {0.001, -3.0902323061678136},
               {0.025, -1.9599639845400543},  {0.3, -0.52440051270804078},
               {0.8, 0.84162123357291418}};
  for (const auto& c : cases) {
    EXPECT_TRUE(Rel(nDistriQuantile(c.p), c.want, 1e-13)) << "p=" << c.p;
    const double p2 = 1 - c.p;  // its tail 1 - p2 is exact
    EXPECT_TRUE(Rel(nDistriQuantile(p2), -nDistriQuantile(1 - p2), 1e-14)) << "p=" << p2;
  }
  for (double p : {0.0, 1.0, -0.5, 2.0}) EXPECT_EQ(nDistriQuantile(p), 0) << "p=" << p;
  EXPECT_EQ(nDistriQuantile(0.5), 0);
  EXPECT_TRUE(std::isnan(nDistriQuantile(kNaN)));
}

TEST(StatisNormal, ConfidenceIntervalAndOtherDensities) {
  EXPECT_TRUE(Rel(ConfidenceInterval(0.05, 2, 16), 1.9599639845400543 * 2 / 4, 1e-14));
  ExpectThrowMessage<ENUVStatisError>([] { ConfidenceInterval(0, 1, 5); },
                                      "ConfidenceInterval: invalid level of significance");
  ExpectThrowMessage<ENUVStatisError>([] { ConfidenceInterval(0.05, 1, 0); },
                                      "ConfidenceInterval: number of data points is too low");
  EXPECT_TRUE(
      Rel(WeibullDensity(1.3, 2.5, 1.7), 0.5897217415825098, 1e-13));  // scipy weibull_min.pdf
  EXPECT_EQ(WeibullDensity(0, 2.5, 1.7), 0);
  EXPECT_EQ(WeibullDensity(1, 2.5, 0), 0);
  EXPECT_EQ(WeibullDensity(1, -1, 1), 0);
}

TEST(StatisNormal, HypergeometricProbabilities) {
  // scipy hypergeom.pmf(3, 20, 8, 6)
  EXPECT_TRUE(Rel(HyperGeoDistriDensity(0.4, 20, 3, 6), 0.31785345717234265, 1e-13));
  EXPECT_EQ(HyperGeoDistriDensity(0.5, 10, 6, 5), 0);
  EXPECT_EQ(HyperGeoDistriDensity(0.5, 10, -1, 5), 0);
  double sum = 0;
  for (int32_t k = 0; k <= 6; ++k) sum += HyperGeoDistriDensity(0.4, 20, k, 6);
  EXPECT_NEAR(sum, 1, 1e-13);
  ExpectThrowMessage<ENUVStatisError>(
      [] { HyperGeoDistriDensity(1.5, 0, 1, 5); },
      "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0");
  ExpectThrowMessage<ENUVStatisError>(
      [] { HyperGeoDistriDensity(kNaN, 10, 1, 5); },
      "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0");
  ExpectThrowMessage<ENUVStatisError>([] { HyperGeoDistriDensity(0.5, 0, 1, 5); },
                                      "HyperGeoDistriDensity: npop must be greater than 0");
  ExpectThrowMessage<ENUVStatisError>(
      [] { HyperGeoDistriDensity(0.5, 10, 1, 11); },
      "HyperGeoDistriDensity: nsample must not be greater than npop");
  ExpectThrowMessage<ENUVStatisError>([] { HyperGeoDistriDensity(0.5, 10, 1, 0); },
                                      "HyperGeoDistriDensity: nsample must not be less than 1");
}

TEST(StatisNormal, FisherTransformation) {
  EXPECT_TRUE(Rel(FisherTransform(0.5), 0.5 * std::log(3.0), 1e-15));
  for (double r : {1.0, -1.0, 2.0, kNaN})
    ExpectThrowMessage<ENUVStatisError>([r] { FisherTransform(r); },
                                        "FisherTransform: argument out of range");
  EXPECT_EQ(FisherTransformInv(1000), 1);
  EXPECT_EQ(FisherTransformInv(-1000), -1);
  EXPECT_TRUE(Rel(FisherTransformInv(FisherTransform(0.8)), 0.8, 1e-15));
  EXPECT_TRUE(std::isnan(FisherTransformInv(kNaN)));
  EXPECT_DOUBLE_EQ(CalcFishQ(3, 1, 1, 1), 2);
  EXPECT_DOUBLE_EQ(CalcFishQ(3, 1, 0, 0), 4e6);
}

// ---------------------------------------------------------------------------
// t, chi-squared and F

TEST(StatisT, IntegralAndDensityAgainstMpmath) {
  const struct {
    double x, df, cdf, pdf;
  } cases[] = {{-3, 3, 0.028834442811218653, 0.022972037309241335},
               {0.5, 3, 0.67427601757592448, 0.31318091100882861},
               {2, 10, 0.96330598261462985, 0.061145766321218174},
               {-8, 10, 5.8874713948330799e-06, 6.4460865140508423e-06},
               {-40, 5, 9.2059810858864771e-08, 1.1476745739098755e-08},
               {1.5, 30, 0.92796703543567705, 0.12896160173967175},
               {-2, 1000, 0.022885173246625819, 0.054085174009755932},
               {3, 1e6, 0.99865006872928908, 0.0044319171056720419},
               {-10, 1e6, 7.6393053840891254e-24, 7.7134703110593339e-23},
               {-1e5, 2.5, 2.2747519231756219e-13, 5.6868798068332732e-18},
               {0.1, 0.5, 0.52683418943569682, 0.26570067217740528}};
  for (const auto& c : cases) {
    EXPECT_TRUE(Rel(tDistriIntegral(c.x, c.df), c.cdf, 1e-12)) << "x=" << c.x << " df=" << c.df;
    EXPECT_TRUE(Rel(tDistriUpperTail(-c.x, c.df), c.cdf, 1e-12)) << "x=" << c.x << " df=" << c.df;
    EXPECT_TRUE(Rel(tDistriDensity(c.x, c.df), c.pdf, 1e-12)) << "x=" << c.x << " df=" << c.df;
  }
}

TEST(StatisT, FarTailsKeepTheirPrecisionToUnderflow) {
  // mpmath (tools/ref/t_far_tails.py): beyond 1.3e154 x² leaves the double
  // range, yet the tails and densities are representable far beyond.
  const struct {
    double x, df, tail, pdf;
  } cases[] = {
      {10000000000.0, 1.0, 3.1830988618379065e-11, 3.1830988618379067e-21},
      {1e+150, 1.0, 3.183098861837907e-151, 3.183098861837907e-301},
      {1e+154, 1.0, 3.1830988618379068e-155, 3.183098861837906e-309},
      {2e+154, 1.0, 1.5915494309189534e-155, 7.95774715459477e-310},
      {1e+160, 1.0, 3.1830988618379067e-161, 3.18e-321},
      {1e+200, 0.5, 3.207009754142229e-101, 1.6035048770711147e-301},
      {1e+300, 1.0, 3.1830988618379065e-301, 0.0},
      {1.7e+308, 0.5, 2.459664200319103e-155, 0.0},
      {1e+120, 2.5, 7.193397190831723e-301, 0.0},
      {1e+101, 3.0, 1.1026577908435841e-303, 0.0},
      {2e+61, 5.0, 2.965677264238238e-306, 0.0},
      {10000000000.0, 30.0, 1.0364534652562067e-279, 3.10936039576862e-288},
      {1e+300, 0.1, 4.1738031371732015e-31, 0.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("x=" + std::to_string(c.x) + " df=" + std::to_string(c.df));
    EXPECT_TRUE(Rel(tDistriUpperTail(c.x, c.df), c.tail, 1e-13));
    EXPECT_TRUE(Rel(tDistriIntegral(-c.x, c.df), c.tail, 1e-13));
    EXPECT_DOUBLE_EQ(tDistriIntegral(c.x, c.df), 1 - c.tail);
    for (double x : {c.x, -c.x}) {
      if (c.pdf >= 1e-300)
        EXPECT_TRUE(Rel(tDistriDensity(x, c.df), c.pdf, 1e-13));
      else  // subnormal or zero: to the spacing of the subnormals
        EXPECT_NEAR(tDistriDensity(x, c.df), c.pdf, 1e-323);
    }
  }
  EXPECT_EQ(tDistriUpperTail(kInf, 1), 0);
  EXPECT_EQ(tDistriUpperTail(-kInf, 1), 1);
  EXPECT_EQ(tDistriDensity(kInf, 1), 0);
}

TEST(StatisT, ClosedFormsForOneAndTwoDegrees) {
  for (double x : {-1e12, -300.0, -7.0, -1.0, -0.01, 0.0, 0.3, 2.0, 50.0}) {
    const double cauchy =
        x < 0 ? std::atan(-1 / x) / std::numbers::pi : 0.5 + std::atan(x) / std::numbers::pi;
    EXPECT_TRUE(Rel(tDistriIntegral(x, 1), cauchy, 1e-13)) << "df=1 x=" << x;
    EXPECT_TRUE(Rel(tDistriDensity(x, 1), 1 / (std::numbers::pi * (1 + x * x)), 1e-13))
        << "df=1 x=" << x;
    const double s = std::sqrt(2 + x * x);
    const double two =
        x < 0 ? 1 / (s * (s - x)) : 0.5 + x / (2 * s);  // 0.5 - |x|/(2s) without cancelling
    EXPECT_TRUE(Rel(tDistriIntegral(x, 2), two, 1e-13)) << "df=2 x=" << x;
  }
  for (double p : {1e-300, 1e-12, 0.01, 0.3, 0.75, 1 - 1e-12}) {
    // Written with the smaller tail, which 1 - p gives exactly for p >= 0.5.
    const double tail = std::min(p, 1 - p), cauchy = 1 / std::tan(std::numbers::pi * tail);
    EXPECT_TRUE(Rel(tDistriQuantile(p, 1), p < 0.5 ? -cauchy : cauchy, 1e-11)) << "df=1 p=" << p;
    EXPECT_TRUE(Rel(tDistriQuantile(p, 2), (2 * p - 1) / std::sqrt(2 * p * (1 - p)), 1e-11))
        << "df=2 p=" << p;
  }
}

TEST(StatisT, QuantileAgainstMpmath) {
  const struct {
    double p, df, want;
  } cases[] = {{1e-12, 3, -10331.108244292485},  {0.05, 10, -1.8124611228116765},
               {0.975, 30, 2.0422724563012382},  {0.6, 7.5, 0.2625018988042947},
               {1e-6, 1e6, -4.7534523482796809}, {0.999, 1000, 3.0984021639129229},
               {0.2, 0.4, -3.5182666335722512}};
  for (const auto& c : cases) {
    EXPECT_TRUE(Rel(tDistriQuantile(c.p, c.df), c.want, 1e-11)) << "p=" << c.p << " df=" << c.df;
    const double p2 = 1 - c.p;  // its tail 1 - p2 is exact
    EXPECT_TRUE(Rel(tDistriQuantile(p2, c.df), -tDistriQuantile(1 - p2, c.df), 1e-13))
        << "p=" << p2 << " df=" << c.df;
  }
  EXPECT_EQ(tDistriQuantile(0, 5), -kInf);
  EXPECT_EQ(tDistriQuantile(1, 5), kInf);
  // Far beyond the double range of df/(df+t²) the quantile keeps its tail.
  EXPECT_TRUE(Rel(tDistriQuantile(1e-300, 1), -1 / (std::numbers::pi * 1e-300), 1e-12));
}

TEST(StatisChi2, IntegralUpperTailAndDensityAgainstMpmath) {
  const struct {
    double x, df, cdf, sf, pdf;
  } cases[] = {{0.5, 3, 0.08110858834532414, 0.9188914116546758, 0.21969564473386119},
               {3, 3, 0.60837482372891105, 0.39162517627108895, 0.15418032980376928},
               {10, 5, 0.92476475385348778, 0.075235246146512183, 0.028334555341734471},
               {100, 5, 1, 5.28514836094324e-20, 2.5648662089021399e-20},
               {0.001, 10, 2.6030818297031987e-19, 1, 1.3014324543999601e-15},
               {200, 100, 0.99999998821549929, 1.1784500720979422e-08, 3.0578554087971835e-09},
               {80, 100, 0.070335066659394957, 0.92966493334060507, 0.011066885970397655},
               {1200, 1000, 0.99998774405766933, 1.2255942330622905e-05, 1.0772494301496201e-06},
               {900, 1000, 0.010717238091289742, 0.98928276190871023, 0.00067929589628741528},
               {1000, 30, 1, 5.131435321572533e-191, 2.494024763589986e-191},
               {0.3, 0.7, 0.55614075248578743, 0.44385924751421257, 0.58007352424835545}};
  for (const auto& c : cases) {
    EXPECT_TRUE(Rel(chi2DistriIntegral(c.x, c.df), c.cdf, 1e-12)) << "x=" << c.x << " df=" << c.df;
    EXPECT_TRUE(Rel(chi2DistriUpperTail(c.x, c.df), c.sf, 1e-12)) << "x=" << c.x << " df=" << c.df;
    EXPECT_TRUE(Rel(Chi2DistriDensity(c.x, c.df), c.pdf, 1e-12)) << "x=" << c.x << " df=" << c.df;
  }
}

TEST(StatisChi2, IdentitiesWithTheExponentialAndTheNormal) {
  for (double x : {1e-8, 0.1, 1.0, 7.5, 60.0, 700.0, 1380.0}) {
    // Two degrees: the exponential distribution with mean 2, upper tail down to 1e-300.
    EXPECT_TRUE(Rel(chi2DistriUpperTail(x, 2), std::exp(-x / 2), 1e-13)) << "x=" << x;
    EXPECT_TRUE(Rel(chi2DistriIntegral(x, 2), -std::expm1(-x / 2), 1e-13)) << "x=" << x;
    EXPECT_TRUE(Rel(Chi2DistriDensity(x, 2), std::exp(-x / 2) / 2, 1e-13)) << "x=" << x;
    // One degree: the square of a standard normal.
    EXPECT_TRUE(Rel(chi2DistriUpperTail(x, 1), 2 * nDistriIntegral(-std::sqrt(x)), 1e-12))
        << "x=" << x;
  }
  for (double p : {1e-12, 1e-5, 0.2, 0.5, 0.9, 1 - 1e-12}) {
    EXPECT_TRUE(Rel(chi2DistriQuantile(p, 2), -2 * std::log1p(-p), 1e-12)) << "p=" << p;
    // x = 2·erfinv(p)², from the series of erfinv for small p.
    const double z = nDistriQuantile((1 - p) / 2);
    const double want =
        p <= 1e-5 ? std::numbers::pi / 2 * p * p * (1 + std::numbers::pi * p * p / 6) : z * z;
    EXPECT_TRUE(Rel(chi2DistriQuantile(p, 1), want, 1e-11)) << "p=" << p;
  }
  EXPECT_EQ(chi2DistriIntegral(-1, 3), 0);
  EXPECT_EQ(Chi2DistriDensity(-1, 3), 0);
  EXPECT_EQ(Chi2DistriDensity(0, 1), kInf);
  EXPECT_EQ(Chi2DistriDensity(0, 2), 0.5);
  EXPECT_EQ(Chi2DistriDensity(0, 3), 0);
  EXPECT_EQ(chi2DistriQuantile(0, 3), 0);
  EXPECT_EQ(chi2DistriQuantile(1, 3), kInf);
}

TEST(StatisChi2, QuantileAgainstMpmath) {
  const struct {
    double p, df, want;
  } cases[] = {{1e-12, 3, 2.4179879427180358e-08},  {0.05, 10, 3.94029913611906},
               {0.975, 30, 46.979242243671159},     {0.5, 5000, 4999.33334913811},
               {0.999999, 100, 182.12677711954757}, {0.3, 0.6, 0.025453315539897405}};
  for (const auto& c : cases)
    EXPECT_TRUE(Rel(chi2DistriQuantile(c.p, c.df), c.want, 1e-11)) << "p=" << c.p << " df=" << c.df;
}

TEST(StatisF, IntegralUpperTailAndDensityAgainstMpmath) {
  const struct {
    double x, df1, df2, cdf, sf, pdf;
  } cases[] = {{0.5, 3, 7, 0.30596361243118625, 0.6940363875688137, 0.61235813027721286},
               {2.5, 3, 7, 0.85649054372106082, 0.14350945627893921, 0.094786198964367047},
               {4, 10, 20, 0.99596045886979401, 0.0040395411302059456, 0.0055809128876506062},
               {50, 5, 5, 0.99971365606834206, 0.0002863439316579049, 1.391691479272213e-05},
               {0.001, 8, 12, 2.4756552819532452e-11, 0.99999999997524347, 9.8894278956585927e-08},
               {1.2, 100, 100, 0.81824698038748978, 0.1817530196125102, 1.0949817794544396},
               {3, 2, 1000, 0.94976462598425715, 0.050235374015742823, 0.049935759458988892},
               {0.9, 30, 60, 0.38438472646484795, 0.615615273535152, 1.3183698778133615},
               {1e4, 4, 6, 0.99999999998650757, 1.3492408982952861e-11, 4.0469638663967373e-15}};
  for (const auto& c : cases) {
    const std::string what =
        "x=" + std::to_string(c.x) + " df=" + std::to_string(c.df1) + "," + std::to_string(c.df2);
    EXPECT_TRUE(Rel(FDistriIntegral(c.x, c.df1, c.df2), c.cdf, 1e-12)) << what;
    EXPECT_TRUE(Rel(FDistriUpperTail(c.x, c.df1, c.df2), c.sf, 1e-12)) << what;
    EXPECT_TRUE(Rel(FDistriDensity(c.x, c.df1, c.df2), c.pdf, 1e-12)) << what;
  }
}

TEST(StatisF, FarUpperTailsWhereTheBetaArgumentLeavesTheDoubleRange) {
  // mpmath (tools/ref/t_far_tails.py).
  const struct {
    double x, df1, df2, sf;
  } cases[] = {
      {1e+300, 1.0, 1.0, 6.366197723675813e-151},  {1.7e+308, 100.0, 1.0, 6.1042158565028274e-155},
      {1.7e+308, 4.0, 0.5, 6.509165080308402e-78}, {1e+307, 1000.0, 2.0, 1.0000000000000001e-307},
      {1e+305, 10.0, 0.2, 2.6160695649334297e-31},
  };
  for (const auto& c : cases) {
    const std::string what =
        "x=" + std::to_string(c.x) + " df=" + std::to_string(c.df1) + "," + std::to_string(c.df2);
    EXPECT_TRUE(Rel(FDistriUpperTail(c.x, c.df1, c.df2), c.sf, 1e-13)) << what;
    EXPECT_DOUBLE_EQ(FDistriIntegral(c.x, c.df1, c.df2), 1 - c.sf) << what;
  }
  EXPECT_EQ(FDistriUpperTail(kInf, 3, 4), 0);
  EXPECT_EQ(FDistriIntegral(kInf, 3, 4), 1);
  EXPECT_EQ(FDistriDensity(kInf, 3, 4), 0);
}

TEST(StatisF, IdentitiesWithTAndBetweenTails) {
  // F(1, n) is the square of t(n); the quantile of F(a, b) at p is the
  // reciprocal of that of F(b, a) at 1 - p.
  for (double df : {1.0, 4.0, 25.0, 1e5})
    for (double t : {0.2, 1.0, 3.0, 30.0})
      EXPECT_TRUE(Rel(FDistriUpperTail(t * t, 1, df), 2 * tDistriUpperTail(t, df), 1e-12))
          << "df=" << df << " t=" << t;
  for (double p : {1e-9, 0.01, 0.3, 0.9, 0.999999}) {
    const double p2 = 1 - p;  // its tail 1 - p2 is exact
    EXPECT_TRUE(Rel(FDistriQuantile(1 - p2, 6, 11), 1 / FDistriQuantile(p2, 11, 6), 1e-12))
        << "p=" << p;
  }
  const struct {
    double p, df1, df2, want;
  } cases[] = {{0.95, 3, 7, 4.3468313999078179},
               {0.01, 10, 20, 0.22699441321991304},
               {0.999999, 5, 5, 492.88110184486925},
               {0.5, 100, 100, 1},
               {1e-9, 8, 3, 0.0016920247622528542}};
  for (const auto& c : cases)
    EXPECT_TRUE(Rel(FDistriQuantile(c.p, c.df1, c.df2), c.want, 1e-10))
        << "p=" << c.p << " df=" << c.df1 << "," << c.df2;
  EXPECT_EQ(FDistriQuantile(1, 3, 4), kInf);
  EXPECT_EQ(FDistriQuantile(0, 3, 4), 0);
  EXPECT_EQ(FDistriDensity(0, 2, 9), 1);
}

TEST(StatisFamilies, RoundTripsOverTheParameterRange) {
  for (double df : {1.0, 2.0, 3.0, 10.0, 100.0, 1e4, 1e6})
    for (double p : {1e-12, 1e-6, 0.01, 0.3, 0.5, 0.8, 0.999, 1 - 1e-9}) {
      const double t = tDistriQuantile(p, df), c = chi2DistriQuantile(p, df),
                   f = FDistriQuantile(p, df, 7);
      const double tail = std::min(p, 1 - p);
      EXPECT_TRUE(Rel(p < 0.5 ? tDistriIntegral(t, df) : tDistriUpperTail(t, df), tail, 1e-9))
          << "t df=" << df << " p=" << p;
      EXPECT_TRUE(Rel(p < 0.5 ? chi2DistriIntegral(c, df) : chi2DistriUpperTail(c, df), tail, 1e-9))
          << "chi2 df=" << df << " p=" << p;
      EXPECT_TRUE(Rel(p < 0.5 ? FDistriIntegral(f, df, 7) : FDistriUpperTail(f, df, 7), tail, 1e-9))
          << "F df=" << df << " p=" << p;
    }
}

TEST(StatisFamilies, BadArgumentsRaiseOrPropagate) {
  const std::function<void()> dfCalls[] = {
      [] { tDistriIntegral(1, 0); },      [] { tDistriDensity(1, -2); },
      [] { tDistriQuantile(0.5, kNaN); }, [] { chi2DistriIntegral(1, 0); },
      [] { Chi2DistriDensity(1, -1); },   [] { chi2DistriQuantile(0.5, 0); },
      [] { FDistriIntegral(1, 0, 3); },   [] { FDistriDensity(1, 3, 0); },
      [] { FDistriQuantile(0.5, 3, -1); }};
  for (const auto& call : dfCalls) EXPECT_THROW(call(), ENUVStatisError);
  ExpectThrowMessage<ENUVStatisError>([] { tDistriIntegral(1, 0); },
                                      "tDistriIntegral: degrees of freedom must be positive");
  ExpectThrowMessage<ENUVStatisError>([] { chi2DistriQuantile(1.5, 3); },
                                      "chi2DistriQuantile: probability out of range");
  ExpectThrowMessage<ENUVStatisError>([] { FDistriQuantile(kNaN, 3, 4); },
                                      "FDistriQuantile: probability out of range");
  ExpectThrowMessage<ENUVStatisError>([] { tDistriQuantile(-0.1, 3); },
                                      "tDistriQuantile: probability out of range");
  EXPECT_TRUE(std::isnan(tDistriIntegral(kNaN, 3)));
  EXPECT_TRUE(std::isnan(chi2DistriIntegral(kNaN, 3)));
  EXPECT_TRUE(std::isnan(FDistriIntegral(kNaN, 3, 4)));
}

}  // namespace
}  // namespace nuv
