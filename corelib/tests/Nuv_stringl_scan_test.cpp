#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <string>
#include <string_view>

#include "nuv/Nuv_stringl.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {
namespace {

TEST(StringlScan, Int32EndsAndClamps) {
  const struct {
    const char* text;
    std::size_t start;
    bool found;
    int32_t value;
    std::size_t end;
    bool overflow;
  } cases[] = {
      {"x=-12;", 2, true, -12, 5, false},
      {" \t+7", 0, true, 7, 4, false},
      {"2147483647", 0, true, 2147483647, 10, false},
      {"2147483648", 0, true, 2147483647, 10, true},
      {"-2147483648", 0, true, INT32_MIN, 11, false},
      {"-99999999999999999999999", 0, true, INT32_MIN, 24, true},
      {"-", 0, false, 0, 0, false},
      {"abc", 0, false, 0, 0, false},
      {"12", 5, false, 0, 0, false},  // start beyond the text
  };
  for (const auto& c : cases) {
    int32_t value = 99;
    TNumScan scan;
    EXPECT_EQ(ScanInt32At(c.text, c.start, value, scan), c.found) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
    if (c.found) {
      EXPECT_EQ(scan.End, c.end) << c.text;
      EXPECT_EQ(scan.Overflow, c.overflow) << c.text;
    }
  }
}

TEST(StringlScan, DigitsOfOtherBasesSaturate) {
  uint64_t v;
  TNumScan scan;
  EXPECT_TRUE(ScanDigitsAt("fFz", 0, 16, 0xFFFFFFFF, v, scan));
  EXPECT_EQ(v, 255u);
  EXPECT_EQ(scan.End, 2u);
  EXPECT_TRUE(ScanDigitsAt("1FFFFFFFF", 0, 16, 0xFFFFFFFF, v, scan));
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_TRUE(scan.Overflow);
  EXPECT_FALSE(ScanDigitsAt("2", 0, 2, 1, v, scan)) << "2 is no binary digit";
  EXPECT_EQ(DigitValue('7', 8), 7);
  EXPECT_EQ(DigitValue('8', 8), -1);
}

TEST(StringlScan, DoubleSyntaxSeparatorsAndRange) {
  const TFloatSyntax dot{{true, false}, true, true}, both{{true, true}, true, true};
  const TFloatSyntax plain{{true, false}, false, false};
  const struct {
    const char* text;
    TFloatSyntax syntax;
    bool found;
    double value;
    std::size_t end;
    bool overflow;
  } cases[] = {
      {"1,5", both, true, 1.5, 3, false},
      {"1,5", dot, true, 1, 1, false},
      {" -.5e1x", dot, true, -5, 6, false},
      {"2.5e", dot, true, 2.5, 3, false},
      {"2.5e3", plain, true, 2.5, 3, false},
      {"-2", plain, false, 0, 0, false},
      {"1.2.3", dot, false, 0, 0, false},
      {".", dot, false, 0, 0, false},
      {"1e400", dot, true, DBL_MAX, 5, true},
      {"-1e400", dot, true, -DBL_MAX, 6, true},
      {"1e-400", dot, true, 0, 6, false},
      {"0.1", dot, true, 0.1, 3, false},
  };
  for (const auto& c : cases) {
    double value = 99;
    TNumScan scan;
    EXPECT_EQ(ScanDoubleAt(c.text, 0, c.syntax, value, scan), c.found) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
    if (c.found) {
      EXPECT_EQ(scan.End, c.end) << c.text;
      EXPECT_EQ(scan.Overflow, c.overflow) << c.text;
    }
  }
}

TEST(StringlScan, StopsAtTheEndOfAView) {
  const std::string text = "12345";
  const std::string_view head(text.data(), 2);
  int32_t i;
  double d;
  TNumScan scan;
  ASSERT_TRUE(ScanInt32At(head, 0, i, scan));
  EXPECT_EQ(i, 12);
  ASSERT_TRUE(ScanDoubleAt(head, 0, {}, d, scan));
  EXPECT_EQ(d, 12);
}

TEST(StringlScan, SystemSeparatorFollowsTheRuntime) {
  const char saved = DecimalSeparator();
  SetDecimalSeparator(',');
  const TDecSeparators comma = DecSeparatorsOf(dsSystem);
  SetDecimalSeparator(saved);
  EXPECT_TRUE(comma.Accepts(','));
  EXPECT_FALSE(comma.Accepts('.'));
  EXPECT_TRUE(DecSeparatorsOf(dsBoth).Accepts(','));
  EXPECT_FALSE(DecSeparatorsOf(dsDot).Accepts(','));
}

}  // namespace
}  // namespace nuv
