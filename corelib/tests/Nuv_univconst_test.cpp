#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "nuv/Nuv_univconst.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {
namespace {

TEST(Constants, AgreeWithTheQuantitiesTheyName) {
  const struct {
    const char* name;
    long double value, exact;
  } cases[] = {
      {"uc_e", uc_e, std::exp(1.0L)},          {"uc_etom1", uc_etom1, std::exp(-1.0L)},
      {"uc_lg2", uc_lg2, std::log10(2.0L)},    {"uc_lg5", uc_lg5, std::log10(5.0L)},
      {"uc_lge", uc_lge, 1 / std::log(10.0L)}, {"uc_lgPi", uc_lgPi, std::log10(M_PIl)},
      {"uc_ln10", uc_ln10, std::log(10.0L)},   {"uc_ln2", uc_ln2, std::log(2.0L)},
      {"uc_lnPi", uc_lnPi, std::log(M_PIl)},   {"uc_PiH", uc_PiH, M_PIl / 2},
      {"uc_PiSqr", uc_PiSqr, M_PIl * M_PIl},   {"uc_Pitom1", uc_Pitom1, 1 / M_PIl},
      {"uc_sqrt2", uc_sqrt2, std::sqrt(2.0L)}, {"uc_sqrt2pi", uc_sqrt2pi, std::sqrt(2 * M_PIl)},
      {"uc_sqrt2pitom1", uc_sqrt2pitom1, 1 / std::sqrt(2 * M_PIl)},
      {"uc_GoldenR", uc_GoldenR, (1 + std::sqrt(5.0L)) / 2},
      {"uc_lnMinDouble", uc_lnMinDouble, std::log(uc_MinDouble)},
      {"uc_lnMaxDouble", uc_lnMaxDouble, std::log(uc_MaxDouble)},
      {"uc_lnMaxExtended", uc_lnMaxExtended, std::log(uc_MaxExtended)},
      {"uc_lnMinReal", uc_lnMinReal, std::log(uc_MinReal)},
      {"uc_lnMaxReal", uc_lnMaxReal, std::log(uc_MaxReal)},
      {"uc_lnMinSingle", uc_lnMinSingle, std::log(uc_MinSingle)},
      {"uc_lnMaxSingle", uc_lnMaxSingle, std::log(uc_MaxSingle)},
  };
  // 16-17 digit literals: agreement to a few 1e-16 relative, no better.
  for (const auto& c : cases)
    EXPECT_NEAR(static_cast<double>(c.value / c.exact - 1), 0.0, 4e-16) << c.name;
  // The literal of ln uc_MinExtended is itself only a rounded figure.
  EXPECT_NEAR(static_cast<double>(uc_lnMinExtended / std::log(uc_MinExtended) - 1), 0.0, 2e-6);
}

TEST(Constants, LimitsAreTheLiteralsNotTheMachineExtremes) {
  EXPECT_EQ(static_cast<double>(uc_MinDouble), 4.9406564584124654e-324)
      << "5.0E-324 is the smallest denormal double";
  EXPECT_NE(static_cast<double>(uc_MaxDouble), DBL_MAX);
  EXPECT_EQ(uc_MaxDouble, 1.7E308L);
  EXPECT_GT(uc_MinExtended, 0.0L);
  EXPECT_EQ(uc_MinExtended / 2, 0.0L) << "the denormal minimum has nothing below it";
  EXPECT_NEAR(static_cast<double>(uc_lnMinDouble), -744.428, 1e-3)
      << "ln of the denormal minimum, not of the smallest normal double";
}

TEST(LnFactorial, GivenEntriesAndBounds) {
  EXPECT_EQ(uc_LnFactorial[0], 0.0);
  EXPECT_EQ(uc_LnFactorial[1], 0.0);
  EXPECT_EQ(uc_LnFactorial[2], 0.693147180559945);
  EXPECT_EQ(uc_LnFactorial[10], 15.1044125730755);
  EXPECT_EQ(uc_LnFactorial[100], 363.739375555563);
  EXPECT_EQ(uc_LnFactorial[1000], 5912.12817848816);
  EXPECT_EQ(uc_LnFactorial.Count, 1001u);
  EXPECT_EQ(uc_LnFactorial[1001], 0.0) << "no element beyond 1000";
  EXPECT_EQ(uc_LnFactorial[-1], 0.0);
}

// Every entry is ln(n!) correctly rounded to 15 significant digits, checked
// against an independent extended-precision sum of logarithms. Entries whose
// true value lies too close to a rounding tie for that sum to decide are
// only checked to be one of the two neighbours.
TEST(LnFactorial, EveryEntryCorrectlyRoundedTo15Digits) {
  long double sum = 0;
  int undecided = 0;
  for (int n = 2; n <= 1000; ++n) {
    sum += std::log(static_cast<long double>(n));
    const int exp10 = static_cast<int>(std::floor(std::log10(sum)));
    const long double unit = std::pow(10.0L, exp10 - 14);  // one unit in the 15th digit
    const long double scaled = sum / unit;
    const long double distanceToTie = std::fabs(scaled - std::floor(scaled) - 0.5L);
    const long double expected = std::round(scaled) * unit;
    const long double tolerance = unit * 1e-3L;
    if (distanceToTie < 1e-4L) {
      ++undecided;
      EXPECT_NEAR(static_cast<double>(uc_LnFactorial[n] / unit), static_cast<double>(scaled), 0.5)
          << "n=" << n;
      continue;
    }
    EXPECT_NEAR(static_cast<double>(uc_LnFactorial[n]), static_cast<double>(expected),
                static_cast<double>(tolerance))
        << "n=" << n << " ln(n!)=" << FormatFixed(sum, 0, 18);
  }
  EXPECT_LT(undecided, 5);
}

}  // namespace
}  // namespace nuv
