#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "ExpectCases.h"
#include "nuv/Nuv_stringl.h"

namespace nuv {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int32_t kMinI = std::numeric_limits<int32_t>::min();
constexpr int32_t kMaxI = std::numeric_limits<int32_t>::max();

using testing::ExpectAll;

double Below(double x) { return std::nextafter(x, 0.0); }

TEST(StringlStrff, FixedAndExponentialForms) {
  ExpectAll({
      {"short exponent", strff(123.4567, 10, -2), " 1.235E+02"},
      {"short exponent negative", strff(-123.4567, 10, -2), "-1.235E+02"},
      {"short exponent zero", strff(0, 10, -2), " 0.000E+00"},
      {"short exponent, width below 10", strff(123.4567, 3, -2), " 1.2E+02"},
      {"exponent >= 100 gives stars", strff(1e150, 10, -2), "**********"},
      {"negative exponent <= -100 gives stars", strff(1e-100, 10, -2), "**********"},
      {"rounding carries the exponent to 100", strff(9.9996e99, 10, -2), "**********"},
      {"rounding carries the exponent to 10", strff(9.9996e9, 10, -2), " 1.000E+10"},
      {"other negative decimals: E(X, W)", strff(123.4567, 12, -5), " 1.235E+0002"},
      {"decimals INT_MIN is E(X, W)", strff(1.5, 10, kMinI), " 1.5E+0000"},
      {"fixed", strff(2.5, 6, 1), "   2.5"},
      {"tie away from zero", strff(2.5, 6, 0), "     3"},
      {"tie of the typed number", strff(0.125, 1, 2), "0.13"},
      {"negative tie", strff(-0.125, 1, 2), "-0.13"},
      {"width smaller than the text", strff(12345.678, 3, 2), "12345.68"},
      {"zero width", strff(-7.25, 0, 1), "-7.3"},
      {"tiny rounds to an unsigned zero", strff(-1e-300, 1, 2), "0.00"},
  });
}

TEST(StringlStrff, ZeroPadding) {
  ExpectAll({
      {"minus moves to the front", strff(-12.5, -8, 2), "-0012.50"},
      {"positive", strff(12.5, -8, 2), "00012.50"},
      {"no room: unchanged", strff(-12.5, -3, 2), "-12.50"},
      {"exponential sign position", strff(12.5, -12, -2), "01.25000E+01"},
      {"exponential negative", strff(-12.5, -8, -2), "-1.3E+01"},
      {"NaN is not padded", strff(kNaN, -6, 2), "   NAN"},
      {"-INF is not padded", strff(-kInf, -6, -2), "  -INF"},
  });
  const std::string wide = strff(1.5, kMinI, 1);
  EXPECT_EQ(wide.size(), static_cast<std::size_t>(kMaxFieldWidth)) << "|INT_MIN| is clamped";
  EXPECT_EQ(wide.substr(wide.size() - 4), "01.5");
}

TEST(StringlStrff, NonFiniteAndHugeMagnitudes) {
  ExpectAll({
      {"NaN fixed", strff(kNaN, 6, 2), "   NAN"},
      {"INF short exponent", strff(kInf, 4, -2), " INF"},
      {"-INF E form", strff(-kInf, 3, -1), "-INF"},
  });
  const std::string big = strff(1e300, 1, 0);
  EXPECT_EQ(big.size(), 301u);
  EXPECT_EQ(big.substr(0, 17), "10000000000000000");
  EXPECT_EQ(strff(1e4000L, 1, 0).size(), 4001u) << "extended magnitudes are written in full";
  EXPECT_EQ(strff(1e4000L, 12, -1), " 1.000E+4000");
}

TEST(StringlStrff, ForcePlus) {
  ExpectAll({
      {"last leading blank", strffForcePlus(2.5, 6, 1), "  +2.5"},
      {"no blank: grows", strffForcePlus(0.5, 3, 1), "+0.5"},
      {"the text \"0\" alone", strffForcePlus(0, 1, 0), "+0"},
      {"zero-padded zero", strffForcePlus(0, -4, 0), "+000"},
      {"zero-padded number", strffForcePlus(12.5, -6, 1), "+012.5"},
      {"zero-padded 0.5 keeps its zero", strffForcePlus(0.5, -3, 1), "+0.5"},
      {"negative unchanged", strffForcePlus(-2.5, 6, 1), "  -2.5"},
      {"negative zero is >= 0", strffForcePlus(-0.0, 4, 1), "+0.0"},
      {"exponential sign position", strffForcePlus(123.4567, 10, -2), "+1.235E+02"},
      {"NaN has no sign", strffForcePlus(kNaN, 4, 1), " NAN"},
      {"infinity", strffForcePlus(kInf, 4, 1), "+INF"},
  });
}

TEST(StringlFormatData, FixedWhileTheColumnHoldsTheValue) {
  ExpectAll({
      {"zero", FormatData(0, 8, 3), "   0.000"},
      {"zero, decimals beyond 8", FormatData(0, 4, 12), "0.000000000000"},
      {"zero, negative decimals", FormatData(0, 4, -1), "   0"},
      {"too small", FormatData(0.0001, 8, 3), " 1.0000000E-04"},
      {"too large", FormatData(123456.7, 8, 3), " 1.2345670E+05"},
      {"upper bound", FormatData(99999.999, 9, 3), "99999.999"},
      {"lower bound", FormatData(0.001, 8, 3), "   0.001"},
      {"just below the lower bound", FormatData(0.00099, 8, 3), " 9.9000000E-04"},
      {"decimals 0 upper bound", FormatData(999999999, 9, 0), "999999999"},
      {"decimals 0 beyond", FormatData(1e9, 9, 0), " 1.00000000E+09"},
      {"decimals 0 below 1", FormatData(0.5, 5, 0), " 5.0000E-01"},
      {"decimals 8", FormatData(0.5, 10, 8), "0.50000000"},
      {"decimals 8 at 1", FormatData(1, 10, 8), " 1.000000000E+00"},
      {"negative fixed", FormatData(-0.5, 8, 2), "   -0.50"},
      {"decimals 9 always exponential", FormatData(1.5, 4, 9), " 1.500E+00"},
      {"negative decimals exponential", FormatData(1.5, 4, -1), " 1.500E+00"},
      {"NaN", FormatData(kNaN, 8, 3), "           NAN"},
      {"exponent beyond 99", FormatData(1e200, 4, 2), "**********"},
  });
  const std::string wide = FormatData(1e20, kMaxI, 2);  // FieldWidth + 6 must not overflow
  EXPECT_EQ(wide.size(), static_cast<std::size_t>(kMaxFieldWidth - 2));
  EXPECT_EQ(wide.substr(wide.size() - 4), "E+20");
}

TEST(StringlSigDigStr, DigitsAndForms) {
  ExpectAll({
      {"one decimal", SigDigStr(123.456, 10, 4), "     123.5"},
      {"six decimals", SigDigStr(0.00012345, 10, 3), "  0.000123"},
      {"too small for the field", SigDigStr(0.0000012345, 10, 3), " 1.235E-06"},
      {"integer digits fit", SigDigStr(123456, 10, 3), "    123456"},
      {"integer digits exceed", SigDigStr(-1.5e20, 12, 4), "-1.50000E+20"},
      {"exponent beyond 99", SigDigStr(1e300, 10, 3), "**********"},
      {"zero", SigDigStr(0, 8, 3), "    0.00"},
      {"zero with no digits", SigDigStr(0, 12, 0), " 0.000E+0000"},
      {"NaN", SigDigStr(kNaN, 6, 3), "   NAN"},
      {"-INF", SigDigStr(-kInf, 6, 3), "  -INF"},
      {"stripped", SigDigStr(123.456, 10, 4, true), "123.5"},
      {"not stripped", SigDigStr(123.456, 10, 4, false), "     123.5"},
  });
  EXPECT_LE(SigDigStr(1.5, kMinI, kMaxI).size(), 20000u);
  EXPECT_LE(SigDigStr(1.5, kMaxI, kMinI).size(), 20000u);
}

TEST(StringlSigDigStr, PowersOfTenCountTheirDigitsExactly) {
  ExpectAll({
      {"1e3", SigDigStr(1e3, 10, 5), "    1000.0"},
      {"999.9", SigDigStr(999.9, 10, 5), "    999.90"},
      {"below 1e3", SigDigStr(Below(1e3), 20, 16), "   999.9999999999999"},
      {"1e6", SigDigStr(1e6, 12, 7), "     1000000"},
      {"below 1e6", SigDigStr(Below(1e6), 20, 16), "   999999.9999999999"},
      {"1e9", SigDigStr(1e9, 14, 10), "    1000000000"},
      {"below 1e9", SigDigStr(Below(1e9), 20, 16), "   999999999.9999999"},
      {"1e-3", SigDigStr(1e-3, 10, 3), "   0.00100"},
      {"below 1e-3", SigDigStr(Below(1e-3), 10, 3), "  0.001000"},
  });
}

TEST(StringlTimeString, Formats) {
  const double t = 3725.5;  // 1 h 2 min 5.5 s
  ExpectAll({
      {"0", TimeString(t, 0), "01:02:05.50"},
      {"1", TimeString(t, 1), "01:02:05"},
      {"2", TimeString(t, 2), " 1h02"},
      {"3", TimeString(t, 3), " 1h02'05\""},
      {"4", TimeString(t, 4), "01:02"},
      {"5 pm", TimeString(13 * 3600 + 5 * 60, 5), " 1:05p"},
      {"5 midnight", TimeString(0, 5), "12:00a"},
      {"5 noon", TimeString(12 * 3600, 5), "12:00p"},
      {"5 before noon", TimeString(11 * 3600 + 59 * 60, 5), "11:59a"},
      {"5 late", TimeString(23 * 3600, 5), "11:00p"},
      {"unknown format", TimeString(t, 6), ""},
      {"negative", TimeString(-5, 1), "00:00:00"},
      {"NaN", TimeString(kNaN, 0), "00:00:00.00"},
      {"infinite", TimeString(kInf, 1), "INF:00:00"},
  });
}

TEST(StringlTimeString, HundredthsAndLargeHours) {
  ExpectAll({
      {"0.29 s is not .28", TimeString(0.29, 0), "00:00:00.29"},
      {"hundredths cut, not rounded", TimeString(59.999, 0), "00:00:59.99"},
      {"1.005", TimeString(1.005, 0), "00:00:01.00"},
      {"hour 65536 keeps its remainder", TimeString(65536.0 * 3600 + 61, 1), "65536:01:01"},
      {"three-digit hours", TimeString(100 * 3600, 0), "100:00:00.00"},
      {"three-digit hours, blank form", TimeString(100 * 3600 + 60, 2), "100h01"},
  });
  const std::string huge = TimeString(1e300, 1);
  EXPECT_GT(huge.size(), 290u);
  EXPECT_EQ(huge.find_first_not_of("0123456789:"), std::string::npos) << huge.substr(0, 20);
}

TEST(StringlBoolText, Modes) {
  const struct {
    int32_t mode;
    const char *t, *f;
  } cases[] = {{0, "TRUE", "FALSE"}, {1, "T", "F"}, {2, ".T.", ".F."}, {3, "1", "0"},
               {4, "-1", "0"},       {5, "FF", "00"}, {6, "TRUE", "FALSE"}, {-1, "TRUE", "FALSE"}};
  for (const auto& c : cases) {
    EXPECT_EQ(BoolToStr(true, c.mode), c.t) << "mode=" << c.mode;
    EXPECT_EQ(BoolToStr(false, c.mode), c.f) << "mode=" << c.mode;
  }
  EXPECT_EQ(BinString(true, "on", "off"), "on");
  EXPECT_EQ(BinString(false, "on", "off"), "off");
}

}  // namespace
}  // namespace nuv
