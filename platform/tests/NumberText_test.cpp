#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "nuv/platform/SysUtils.h"

namespace nuv {
namespace {

struct FixedCase {
  long double x;
  int width, decimals;
  const char* expected;
};

TEST(FormatFixed, RoundsTheTypedNumberHalfAwayFromZero) {
  const FixedCase cases[] = {
      {0.125, 0, 2, "0.13"},     {0.15, 0, 1, "0.2"},       {2.5, 0, 0, "3"},
      {-2.5, 0, 0, "-3"},        {0.5, 0, 0, "1"},          {1.005, 0, 2, "1.01"},
      {123.4567, 10, 2, "    123.46"}, {-12.5, 8, 2, "  -12.50"}, {9.995, 0, 2, "10.00"},
      {99.96, 5, 1, "100.0"},    {0, 6, 2, "  0.00"},       {-0.0, 0, 1, "0.0"},
      {-0.004, 0, 2, "0.00"},    {-0.005, 0, 2, "-0.01"},   {1e-30, 0, 3, "0.000"},
      {1e20, 0, 0, "100000000000000000000"}, {12345.678, 3, 1, "12345.7"},
      {0.1, 0, 20, "0.10000000000000000000"}, {7, 4, -3, "   7"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFixed(c.x, c.width, c.decimals), c.expected)
        << "x=" << static_cast<double>(c.x) << " w=" << c.width << " d=" << c.decimals;
}

TEST(FormatFixed, NeverTruncatesAndClampsAbsurdWidths) {
  EXPECT_EQ(FormatFixed(123456.0, 2, 0), "123456");
  EXPECT_EQ(FormatFixed(1.0, -5, 0), "1");
  EXPECT_EQ(FormatFixed(1.0, 1 << 30, 0).size(), static_cast<std::size_t>(kMaxFieldWidth));
  EXPECT_EQ(FormatFixed(1e308, 0, 0).size(), 309u);
  EXPECT_EQ(FormatFixed(std::numeric_limits<long double>::max(), 0, 0).size(), 4933u);
}

TEST(FormatFixed, NonFiniteValues) {
  EXPECT_EQ(FormatFixed(std::nan(""), 5, 2), "  NAN");
  EXPECT_EQ(FormatFixed(HUGE_VALL, 5, 2), "  INF");
  EXPECT_EQ(FormatFixed(-HUGE_VALL, 0, 2), "-INF");
}

TEST(FormatFixed, LongDoubleThatIsNotADoubleKeepsItsOwnDigits) {
  const long double third = 1.0L / 3.0L;
  EXPECT_EQ(FormatFixed(third, 0, 19), "0.3333333333333333333");
}

struct SciCase {
  long double x;
  int width;
  const char* expected;
};

TEST(FormatScientific, WidthGivesTheDecimals) {
  const SciCase cases[] = {
      {123.4567, 12, " 1.235E+0002"},  {-123.4567, 12, "-1.235E+0002"},
      {0, 12, " 0.000E+0000"},         {1e-300, 11, " 1.00E-0300"},
      {9.9996, 12, " 1.000E+0001"},    {0.00012345, 13, " 1.2345E-0004"},
      {1.5, 5, " 1.5E+0000"},          {2.25, 10, " 2.3E+0000"},
      {-1e4932L, 12, "-1.000E+4932"},  {1e3, 10, " 1.0E+0003"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatScientific(c.x, c.width), c.expected)
        << "x=" << static_cast<double>(c.x) << " w=" << c.width;
}

TEST(FormatTo, ShortBufferGetsThePrefixAndTheNeededLength) {
  // Like snprintf: the result is the whole text's length, the buffer holds
  // what fits, and nothing is written beyond cap.
  const struct {
    bool scientific;
    long double x;
    int32_t width, decimals;
    std::size_t cap;
    const char* whole;
  } cases[] = {
      {false, 3.14159, 8, 3, 32, "   3.142"},
      {false, 3.14159, 8, 3, 4, "   3.142"},
      {false, 123456.789, 1, 3, 4, "123456.789"},
      {false, -2.5, 0, 1, 0, "-2.5"},
      {true, 1.5, 10, 0, 5, " 1.5E+0000"},
      {true, 1.5, 10, 0, 10, " 1.5E+0000"},
      {false, NAN, 6, 0, 2, "   NAN"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.whole) + " cap " + std::to_string(c.cap));
    char buf[40];
    std::memset(buf, '#', sizeof buf);
    const std::size_t n = c.scientific ? FormatScientificTo(buf, c.cap, c.x, c.width)
                                       : FormatFixedTo(buf, c.cap, c.x, c.width, c.decimals);
    EXPECT_EQ(n, std::strlen(c.whole));
    const std::size_t written = std::min(n, c.cap);
    EXPECT_EQ(std::string(buf, written), std::string(c.whole, written));
    EXPECT_EQ(buf[written], '#');
  }
}

TEST(ShortestDecimalImage, DigitsAndExponent) {
  TDecimalImage im;
  ASSERT_TRUE(ShortestDecimalImage(-0.015625, im));
  EXPECT_EQ(std::string(im.Digits, im.Count), "15625");
  EXPECT_EQ(im.Exponent, -1);
  EXPECT_TRUE(im.Negative);
  ASSERT_TRUE(ShortestDecimalImage(1000.0, im));
  EXPECT_EQ(std::string(im.Digits, im.Count), "1");
  EXPECT_EQ(im.Exponent, 4);
  EXPECT_FALSE(ShortestDecimalImage(std::nan(""), im));
}

TEST(Val, IntegersWithPositionOfTheFault) {
  struct Case {
    const char* text;
    int64_t value;
    int32_t code;
  } cases[] = {
      {"42", 42, 0},     {"  -17", -17, 0}, {"+5", 5, 0},   {"$FF", 255, 0},  {"0x1f", 31, 0},
      {"12a", 0, 3},     {"", 0, 1},        {"-", 0, 2},    {"1 ", 0, 2},     {"9223372036854775807", INT64_MAX, 0},
      {"9223372036854775808", 0, 19}, {"-9223372036854775808", INT64_MIN, 0},
  };
  for (const auto& c : cases) {
    int64_t v = -1;
    int32_t code = -1;
    Val(c.text, v, code);
    EXPECT_EQ(code, c.code) << '"' << c.text << '"';
    if (c.code == 0) {
      EXPECT_EQ(v, c.value) << '"' << c.text << '"';
    }
  }
  int32_t v32;
  int32_t code;
  Val("2147483648", v32, code);
  EXPECT_EQ(code, 10) << "int32 overflow is reported, not wrapped";
}

TEST(Val, Floats) {
  struct Case {
    const char* text;
    double value;
    int32_t code;
  } cases[] = {
      {"1.5", 1.5, 0},  {" -2e3", -2000, 0}, {"+.5", 0.5, 0}, {"1,5", 0, 2},
      {"abc", 0, 1},    {"inf", 0, 1},       {"nan", 0, 1},   {"1e999", 0, 6}, {"", 0, 1},
  };
  for (const auto& c : cases) {
    double v = -1;
    int32_t code = -1;
    Val(c.text, v, code);
    EXPECT_EQ(code, c.code) << '"' << c.text << '"';
    if (c.code == 0) {
      EXPECT_EQ(v, c.value) << '"' << c.text << '"';
    }
  }
}

TEST(StrToNumber, ConversionErrorsCarryTheText) {
  EXPECT_EQ(StrToInt(" 12 "), 12);
  EXPECT_THROW(StrToInt("12x"), EConvertError);
  try {
    StrToFloat("x1");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'x1' is not a valid floating point value");
  }
  SetDecimalSeparator(',');
  EXPECT_DOUBLE_EQ(StrToFloat("1,25"), 1.25);
  EXPECT_DOUBLE_EQ(StrToFloat("1.25"), 1.25);
  SetDecimalSeparator('.');
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToStr(-9), "-9");
}

TEST(Round, HalfToEvenAndCheckedRange) {
  const struct {
    long double x;
    int64_t r;
  } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {0.5, 0}, {1.5, 2}};
  for (const auto& c : cases) EXPECT_EQ(Round(c.x), c.r) << static_cast<double>(c.x);
  EXPECT_EQ(Trunc(-2.7L), -2);
  EXPECT_THROW(Round(1e19L), EInvalidOp);
  EXPECT_THROW(Round(std::nanl("")), EInvalidOp);
  EXPECT_THROW(Round32(2147483647.5L), EInvalidOp);
  EXPECT_EQ(Round32(-2147483648.0L), INT32_MIN);
  EXPECT_DOUBLE_EQ(static_cast<double>(Frac(-2.75L)), -0.75);
}

TEST(InOutError, CodesAndTexts) {
  EInOutError e(ioFileNotFound);
  EXPECT_EQ(e.ErrorCode(), 2);
  EXPECT_EQ(e.Message(), "File not found");
  EXPECT_EQ(InOutCodeFromErrno(ENOENT), ioFileNotFound);
  EXPECT_EQ(InOutCodeFromErrno(EACCES), ioAccessDenied);
  EXPECT_THROW(RaiseInOutErrorFromErrno(ENOSPC, "x.dat"), EInOutError);
}

}  // namespace
}  // namespace nuv
