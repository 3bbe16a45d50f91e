#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "ExpectCases.h"
#include "nuv/Nuv_math1.h"
#include "nuv/platform/DateTime.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {
namespace {

constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

TEST(EEngStr, PrefixesDigitsAndPowersOfTen) {
  const struct {
    double x;
    int32_t p;
    const char* expected;
  } cases[] = {
      {4700, -2, "4k7"},
      {0.0047, 3, "4.70m"},
      {-4700, 3, "-4.70k"},
      {1e3, 3, "1.00k"},
      {1e6, 3, "1.00M"},
      {1e9, 3, "1.00G"},
      {1e-3, 3, "1.00m"},
      {1e12, 3, "1.00T"},
      {1e-18, 3, "1.00a"},
      {1e-20, 3, "0.0100a"},
      {1e15, 3, "1000T"},
      {4.7, 3, "4.70"},
      {47, 2, "47"},
      {470, 2, "470"},
      {4700, 1, "5k"},
      {4700, 0, "5k"},
      {4700, -3, "4k70"},
      {0.5, 3, "500m"},
      {12345, 9, "12.3450000k"},
      {12345, 20, "12.3450000k"},
      {0.00047, -2, "470u"},
      {2.5, 1, "3"},
      {0.125, 2, "125m"},
      {0, 3, "0.00"},
      {0, -2, "0.0"},
      {-0.0, 3, "0.00"},
      {4.7e-7, -4, "470n0"},
      // Rounding that carries moves to the next exponent or group.
      {999.96, 3, "1.00k"},
      {0.99996, 3, "1.00"},
      {9.9996e14, 3, "1000T"},
      {99.96, 3, "100"},
      {-999999, 2, "-1.0M"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EEngStr(c.x, c.p), c.expected) << "x=" << c.x << " p=" << c.p;
  EXPECT_EQ(EEngStr(NAN, 3), "NAN");
  EXPECT_EQ(EEngStr(-INFINITY, 3), "-INF");
}

TEST(Strf, FixedScientificAndShortExponent) {
  const struct {
    double x;
    int32_t w, d;
    const char* expected;
  } cases[] = {
      {123.4567, 10, -2, " 1.235E+02"},
      {-123.4567, 10, -2, "-1.235E+02"},
      {1e200, 10, -2, "**********"},
      {-1e-150, 10, -2, "**********"},
      {1.5, 6, 2, "  1.50"},
      {0.125, 1, 2, "0.13"},
      {2.5, 1, 0, "3"},
      {1.5, 12, -1, " 1.500E+0000"},
      {1e99, 9, -2, " 1.00E+99"},
      {0, 10, -2, " 0.000E+00"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(strf(c.x, c.w, c.d), c.expected) << "x=" << c.x << " w=" << c.w << " d=" << c.d;
}

TEST(MakeEFormat, MantissaBelowOneAndClamps) {
  const struct {
    double x;
    int32_t w, k;
    std::string expected;
  } cases[] = {
      {123.45, 12, 5, " 0.12345E+03"},
      {123.45, 14, 5, "   0.12345E+03"},
      {-0.5, 8, 2, "-0.50E+00"},
      {0, 10, 3, " 0.000E+00"},
      {9.9999, 8, 2, " 0.10E+02"},
      {1e-120, 10, 2, " 0.10E-119"},
      {1, 1, 1, " 0.10E+01"},
      {1, 100, 2, std::string(31, ' ') + " 0.10E+01"},
      {0.1, 8, 20, " 0.100000000000000E+00"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MakeEFormat(c.x, c.w, c.k), c.expected)
        << "x=" << c.x << " w=" << c.w << " k=" << c.k;
}

TEST(IntegerText, DecimalHexOctalBin) {
  testing::ExpectAll({
      {"Decimal(-5, 3)", Decimal(-5, 3), "-005"},
      {"Decimal(123456, 3)", Decimal(123456, 3), "456"},
      {"Decimal(0, 0)", Decimal(0, 0), "0"},
      {"Decimal(kIntMin, 10)", Decimal(kIntMin, 10), "-2147483648"},
      {"Decimal(7, 12)", Decimal(7, 12), "000000000007"},
      {"Hex(255, 0)", Hex(255, 0), "F"},
      {"Hex(255, 4)", Hex(255, 4), "00FF"},
      {"Hex(-1, 8)", Hex(-1, 8), "FFFFFFFF"},
      {"Hex(-1, 20)", Hex(-1, 20), "FFFFFFFF"},
      {"Hex(kIntMin, 8)", Hex(kIntMin, 8), "80000000"},
      {"Bin(5, 4)", Bin(5, 4), "0101"},
      {"Bin(-1, 40)", Bin(-1, 40), std::string(32, '1')},
      {"Octal(-1, 11)", Octal(-1, 11), "37777777777"},
      {"Octal(8, 0)", Octal(8, 0), "0"},
      {"Octal(8, 3)", Octal(8, 3), "010"},
  });
}

TEST(Roman, BothWaysOverTheWholeRange) {
  const struct {
    int32_t v;
    const char* expected;
  } cases[] = {{1994, "MCMXCIV"}, {4, "IV"},     {9, "IX"},    {3888, "MMMDCCCLXXXVIII"},
               {1, "I"},          {40, "XL"},    {0, ""},      {-5, ""},
               {30000, ""},       {kIntMax, ""}, {kIntMin, ""}};
  for (const auto& c : cases) EXPECT_EQ(Roman(c.v), c.expected) << "v=" << c.v;
  EXPECT_EQ(Roman(29999), std::string(29, 'M') + "CMXCIX");

  // Reading the numerals back (a small reference parser) gives the number.
  auto value = [](const std::string& r) {
    auto digit = [](char c) {
      switch (c) {
        case 'I':
          return 1;
        case 'V':
          return 5;
        case 'X':
          return 10;
        case 'L':
          return 50;
        case 'C':
          return 100;
        case 'D':
          return 500;
        default:
          return 1000;
      }
    };
    int sum = 0;
    for (std::size_t i = 0; i < r.size(); ++i) {
      const int d = digit(r[i]);
      sum += i + 1 < r.size() && digit(r[i + 1]) > d ? -d : d;
    }
    return sum;
  };
  for (int32_t v = 1; v <= 29999; ++v) ASSERT_EQ(value(Roman(v)), v) << "v=" << v;
}

TEST(FloatHexImages, KnownImagesAndRoundTrips) {
  EXPECT_EQ(FPNumToHex(1.0), "3FF0000000000000");
  EXPECT_EQ(FPNumToHex(-2.0), "C000000000000000");
  EXPECT_EQ(FPNumToHex(1.0L), "3FFF8000000000000000");
  EXPECT_EQ(FPNumToHex(1.0f), "3F800000");
  EXPECT_EQ(HexToDouble("3ff0000000000000"), 1.0);
  EXPECT_EQ(HexToExtended("3FFF8000000000000000"), 1.0L);
  EXPECT_EQ(HexToSingle("3f800000"), 1.0f);

  const double doubles[] = {0.0,     -0.0,     3.141592653589793, DBL_MIN,
                            DBL_MAX, 4.9e-324, -1e-300,           INFINITY};
  for (double x : doubles) {
    const double back = HexToDouble(FPNumToHex(x));
    EXPECT_EQ(std::memcmp(&back, &x, sizeof x), 0) << "x=" << x;
  }
  for (long double x : {3.14159265358979323846L, -1e4000L, LDBL_MIN, 0.1L}) {
    const std::string text = FPNumToHex(x);
    EXPECT_EQ(text.size(), 20u);
    EXPECT_EQ(HexToExtended(text), x) << text;
  }
  for (float x : {0.1f, -FLT_MAX, FLT_MIN}) EXPECT_EQ(HexToSingle(FPNumToHex(x)), x) << "x=" << x;
  const double nan = HexToDouble("7FF8000000000001");
  EXPECT_TRUE(std::isnan(nan));
  EXPECT_EQ(FPNumToHex(nan), "7FF8000000000001");
}

TEST(FloatHexImages, MalformedTextRaisesWithTheText) {
  const struct {
    std::function<void()> call;
    const char* message;
  } cases[] = {
      {[] { HexToDouble("3FF000000000000"); },
       "HexToDouble: invalid hex string \"3FF000000000000\""},
      {[] { HexToDouble("3FF000000000000G"); },
       "HexToDouble: invalid hex string \"3FF000000000000G\""},
      {[] { HexToDouble(""); }, "HexToDouble: invalid hex string \"\""},
      {[] { HexToExtended("3FFF800000000000000"); },
       "HexToExtended: invalid hex string \"3FFF800000000000000\""},
      {[] { HexToSingle("3F80 000"); }, "HexToSingle: invalid hex string \"3F80 000\""},
      {[] { HexToSingle("3F8000000"); }, "HexToSingle: invalid hex string \"3F8000000\""},
  };
  for (const auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.message << ": no exception";
    } catch (const ENUVError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(DegreeToStr, NotationsCarriesAndSigns) {
  const struct {
    double angle;
    TDegreeFormat f;
    int32_t n;
    const char* expected;
  } cases[] = {
      {12.5, dfDegMin, 1, "12\xB0 30.0'"},
      {-0.5, dfDegMin, 1, "-0\xB0 30.0'"},
      {-10.5, dfDegMin, 1, "-10\xB0 30.0'"},
      {12.999999, dfDegMin, 2, "13\xB0  0.00'"},
      {10 + 59.9999 / 60, dfDegMin, 2, "11\xB0  0.00'"},
      {10 + 59.9999 / 60, dfDegMin, 4, "10\xB0 59.9999'"},
      {10 + 5.3 / 60, dfDegMin, 1, "10\xB0  5.3'"},
      {12.5125, dfDegMinSec, 1, "12\xB0 30' 45.0\""},
      {10 + 59.0 / 60 + 59.99 / 3600, dfDegMinSec, 1, "11\xB0  0'  0.0\""},
      {-10.5, dfDegMinSec, 0, "-10\xB0 30'   0\""},
      {-0.0001, dfDegMinSec, 1, "-0\xB0  0'  0.4\""},
      {-0.00001, dfDegMinSec, 1, "0\xB0  0'  0.0\""},
      {12.5, dfDeg, 2, "12.50\xB0"},
      {-0.5, dfDeg, 1, "-0.5\xB0"},
      {1, dfDeg, 20, "1.00000000\xB0"},
      {1.6, dfDeg, -3, "2\xB0"},
      {12.5, dfNumeric, 2, "12.50"},
      {NAN, dfDegMin, 1, "NAN\xB0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DegreeToStr(c.angle, c.f, c.n), c.expected)
        << "angle=" << c.angle << " format=" << c.f << " n=" << c.n;
}

TEST(DegreeToStr, ScanDegreesReadsItBack) {
  for (double angle : {12.5, -0.5, 47.123456, -179.999, 0.0, 359.5}) {
    for (TDegreeFormat f : {dfDeg, dfDegMin, dfDegMinSec, dfNumeric}) {
      const std::string text = DegreeToStr(angle, f, 6);
      int32_t pos = 1, format = -2;
      const double back = ScanDegrees(text, pos, false, format);
      EXPECT_NEAR(back, angle, 1e-6) << text;
      EXPECT_EQ(format, f) << text;
      EXPECT_EQ(pos, static_cast<int32_t>(text.size()) + 1) << text;
    }
  }
}

TEST(ScanDegrees, OtherNotationsAndMalformedText) {
  const struct {
    const char* text;
    bool comma;
    double value;
    int32_t format, pos;
  } cases[] = {
      {"12:30:36", false, 12.51, dfDegMinSec, 9},
      {"-12:30 N", false, -12.5, dfDegMin, 7},
      {"12,5\xB0", true, 12.5, dfDeg, 6},
      {"12,5\xB0", false, 12, dfNumeric, 3},
      {"  7.25;", false, 7.25, dfNumeric, 7},
      {"12\xB0 30' 15''", false, 12 + 30 / 60.0 + 15 / 3600.0, dfDegMinSec, 13},
      {"12\xB0 75'", false, 0, -1, 1},
      {"12:30:61", false, 0, -1, 1},
      {"abc", false, 0, -1, 1},
      {"", false, 0, -1, 1},
  };
  for (const auto& c : cases) {
    int32_t pos = 1, format = -2;
    const double v = ScanDegrees(c.text, pos, c.comma, format);
    EXPECT_NEAR(v, c.value, 1e-12) << c.text;
    EXPECT_EQ(format, c.format) << c.text;
    EXPECT_EQ(pos, c.pos) << c.text;
  }
}

TEST(ScanDateTime, MasksLanguagesAndMalformedDates) {
  const TDateTime march15 = EncodeDate(2024, 3, 15);
  const struct {
    const char* text;
    const char* mask;
    TLanguage language;
    int32_t start;
    TDateTime value;
    int32_t pos;
  } cases[] = {
      {"20240315123045", "yyyymmddHHMMSS", lgUnknown, 1, march15 + EncodeTime(12, 30, 45, 0), 15},
      {"date=\"19991231235959\"", "yyyymmddHHMMSS", lgUnknown, 7,
       EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 0), 21},
      {"18000101060000", "yyyymmddHHMMSS", lgUnknown, 1,
       ComposeDateTime(EncodeDate(1800, 1, 1), EncodeTime(6, 0, 0, 0)), 15},
      {"15. M\xE4rz 2024", "d. mmmm yyyy", lgGerman, 1, march15, 14},
      {"15 mar 24!", "dd mmm yy", lgEnglish, 1, march15, 10},
      {"3/15/2024 7:05:09.250", "m/d/yyyy H:MM:SS.zzz", lgUnknown, 1,
       march15 + EncodeTime(7, 5, 9, 250), 22},
      {"12:05", "H:MM", lgUnknown, 1, EncodeTime(12, 5, 0, 0), 6},
      {"2024", "yyyy", lgUnknown, 1, EncodeDate(2024, 1, 1), 5},
      // Malformed: nothing is read and the position stays.
      {"20240230000000", "yyyymmddHHMMSS", lgUnknown, 1, 0, 1},
      {"20241315000000", "yyyymmddHHMMSS", lgUnknown, 1, 0, 1},
      {"20240315250000", "yyyymmddHHMMSS", lgUnknown, 1, 0, 1},
      {"2024031512304", "yyyymmddHHMMSS", lgUnknown, 1, 0, 1},
      {"2024-03-15", "yyyymmdd", lgUnknown, 1, 0, 1},
      {"15 Mrz 2024", "dd mmm yyyy", lgEnglish, 1, 0, 1},
      {"0315", "mmdd", lgUnknown, 1, 0, 1},
      {"", "yyyy", lgUnknown, 1, 0, 1},
      {"2024", "yyyy", lgUnknown, 9, 0, 9},
  };
  for (const auto& c : cases) {
    int32_t pos = c.start;
    EXPECT_EQ(ScanDateTime(c.text, c.mask, c.language, pos), c.value)
        << "'" << c.text << "' mask " << c.mask;
    EXPECT_EQ(pos, c.pos) << "'" << c.text << "' mask " << c.mask;
  }
}

// ---------------------------------------------------------------------------
// Integer scanners

TEST(IntegerScanners, ValuesPositionsAndSaturation) {
  const struct {
    int32_t (*scan)(const std::string&, int32_t&);
    const char* name;
    const char* text;
    int32_t start, value, pos;
  } cases[] = {
      {ScanHex, "hex", "color=FF00A0;", 7, 0xFF00A0, 13},
      {ScanHex, "hex", "$1F", 1, 31, 4},
      {ScanHex, "hex", "#1f", 1, 31, 4},
      {ScanHex, "hex", " 0x1fz", 1, 31, 6},
      {ScanHex, "hex", "0xZ", 1, 0, 2},
      {ScanHex, "hex", "  zz", 1, 0, 1},
      {ScanHex, "hex", "FFFFFFFF", 1, -1, 9},
      {ScanHex, "hex", "123456789", 1, -1, 10},
      {ScanHex, "hex", "ab", 3, 0, 3},
      {ScanHex, "hex", "ab", 0, 0, 0},
      {ScanHex, "hex", "ab", -5, 0, -5},
      {ScanDecimal, "dec", "(CH3)2", 6, 2, 7},
      {ScanDecimal, "dec", "(CH3)", 6, 0, 6},
      {ScanDecimal, "dec", "x", 1, 0, 1},
      {ScanDecimal, "dec", "-12ab", 1, -12, 4},
      {ScanDecimal, "dec", "+7", 1, 7, 3},
      {ScanDecimal, "dec", "-", 1, 0, 1},
      {ScanDecimal, "dec", "99999999999", 1, kIntMax, 12},
      {ScanDecimal, "dec", "-2147483648", 1, kIntMin, 12},
      {ScanDecimal, "dec", "-2147483649", 1, kIntMin, 12},
      {ScanOctal, "oct", "7778", 1, 511, 4},
      {ScanOctal, "oct", "77777777777", 1, -1, 12},
      {ScanBin, "bin", "1012", 1, 5, 4},
      {ScanBin, "bin", "2", 1, 0, 1},
  };
  for (const auto& c : cases) {
    int32_t pos = c.start;
    EXPECT_EQ(c.scan(c.text, pos), c.value) << c.name << " '" << c.text << "' at " << c.start;
    EXPECT_EQ(pos, c.pos) << c.name << " '" << c.text << "' at " << c.start;
  }
}

TEST(IntegerScanners, HexRoundTrip) {
  for (int32_t v : {0, 1, 255, 0xABCDEF, kIntMax, kIntMin, -1, -123456}) {
    const std::string text = "x" + Hex(v, 8) + "y";
    int32_t pos = 2;
    EXPECT_EQ(ScanHex(text, pos), v) << text;
    EXPECT_EQ(pos, 10) << text;
  }
  for (int32_t v : {0, 5, kIntMax}) {
    int32_t pos = 1;
    EXPECT_EQ(ScanBin(Bin(v, 32), pos), v) << "v=" << v;
    pos = 1;
    EXPECT_EQ(ScanOctal(Octal(v, 11), pos), v) << "v=" << v;
  }
}

// ---------------------------------------------------------------------------
// Floating-point scanner and validators

TEST(ScanFPNum, SyntaxSeparatorsAndRange) {
  const struct {
    const char* text;
    bool exp;
    int32_t sep, start;
    double value;
    int32_t pos;
  } cases[] = {
      {"x=1.5e3;", true, 1, 3, 1500, 8},
      {"1,5", false, 2, 1, 1.5, 4},
      {"1.5", true, 2, 1, 1, 2},
      {"1.5", true, 0, 1, 1, 2},
      {"1,5.5", true, 3, 1, 0, 1},
      {"1.5E", true, 1, 1, 1.5, 4},
      {"1.5E+", true, 1, 1, 1.5, 4},
      {"1.5e-2x", true, 1, 1, 0.015, 7},
      {"1.5e3", false, 1, 1, 1.5, 4},
      {"1.2.3", true, 1, 1, 0, 1},
      {"  -.5 ", true, 1, 1, -0.5, 6},
      {"5.", true, 1, 1, 5, 3},
      {".", true, 1, 1, 0, 1},
      {"-", true, 1, 1, 0, 1},
      {"abc", true, 1, 1, 0, 1},
      {"1e400", true, 1, 1, DBL_MAX, 6},
      {"-1e400", true, 1, 1, -DBL_MAX, 7},
      {"1e-400", true, 1, 1, 0, 7},
      {"1e99999999999", true, 1, 1, DBL_MAX, 14},
      {"0.0000000001e-99999999", true, 1, 1, 0, 23},
      {"123456789012345678901234567890", true, 1, 1, 1.2345678901234568e29, 31},
      {"0.1", true, 1, 1, 0.1, 4},
  };
  for (const auto& c : cases) {
    int32_t pos = c.start;
    EXPECT_EQ(ScanFPNum(c.text, c.exp, c.sep, pos), c.value) << "'" << c.text << "' sep=" << c.sep;
    EXPECT_EQ(pos, c.pos) << "'" << c.text << "' sep=" << c.sep;
  }
}

TEST(Validators, NumbersOfEachKind) {
  const struct {
    bool actual, expected;
    const char* label;
  } cases[] = {
      {IsValidDouble(" 1.5e3 ", true, dsDot), true, "double with exponent"},
      {IsValidDouble("1.5e3", false, dsDot), false, "exponent not allowed"},
      {IsValidDouble("1e400", true, dsDot), false, "beyond the double range"},
      {IsValidDouble("1e-400", true, dsDot), true, "underflows to zero"},
      {IsValidDouble("1,5", true, dsComma), true, "comma"},
      {IsValidDouble("1,5", true, dsDot), false, "comma not accepted"},
      {IsValidDouble("1.5", true, dsBoth), true, "both"},
      {IsValidDouble("", true, dsDot), false, "empty"},
      {IsValidDouble("-", true, dsDot), false, "sign only"},
      {IsValidDouble("1.2.3", true, dsBoth), false, "two separators"},
      {IsValidDouble("1 2", true, dsDot), false, "two numbers"},
      {IsValidDouble("nan", true, dsDot), false, "nan"},
      {IsValidFPNum("1e400", dsDot), true, "syntax only"},
      {IsValidFPNum("1.5e", dsDot), false, "cut-off exponent"},
      {IsValidHex("$FF"), true, "hex"},
      {IsValidHex("FFFFFFFF"), true, "hex 32 bits"},
      {IsValidHex("FFFFFFFFF"), false, "hex overflow"},
      {IsValidHex("GG"), false, "not hex"},
      {IsValidOct("777"), true, "octal"},
      {IsValidOct("778"), false, "not octal"},
      {IsValidBin(" 1010 "), true, "binary"},
      {IsValidBin("102"), false, "not binary"},
      {IsValidDecInt("-2147483648"), true, "int32 minimum"},
      {IsValidDecInt("2147483648"), false, "int32 overflow"},
      {IsValidDecInt(" 42 "), true, "blanks around"},
      {IsValidDecInt("4 2"), false, "blank inside"},
      {IsValidDecInt("4.2"), false, "decimal point"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.label;

  const char saved = DecimalSeparator();
  SetDecimalSeparator(',');
  EXPECT_TRUE(IsValidDouble("1,5", true, dsSystem));
  EXPECT_FALSE(IsValidDouble("1.5", true, dsSystem));
  SetDecimalSeparator(saved);
}

TEST(StrToIntDefault, DefaultOnFailure) {
  EXPECT_EQ(StrToIntDefault("42", 7), 42);
  EXPECT_EQ(StrToIntDefault(" -3 ", 7), -3);
  EXPECT_EQ(StrToIntDefault("", 7), 7);
  EXPECT_EQ(StrToIntDefault("x", 7), 7);
  EXPECT_EQ(StrToIntDefault("99999999999", 7), 7);
}

}  // namespace
}  // namespace nuv
