#include "nuv/platform/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace nuv {
namespace {

TEST(Variant, KindsOfTheConstructors) {
  const struct {
    const char* what;
    Variant v;
    TVarType want;
  } cases[] = {
      {"default", Variant(), varEmpty},
      {"Null", Variant::Null(), varNull},
      {"int8", Variant(int8_t{-5}), varShortInt},
      {"uint8", Variant(uint8_t{200}), varByte},
      {"int16", Variant(int16_t{-300}), varSmallint},
      {"uint16", Variant(uint16_t{60000}), varWord},
      {"int32", Variant(int32_t{-70000}), varInteger},
      {"uint32", Variant(uint32_t{4000000000u}), varLongWord},
      {"int64", Variant(int64_t{1} << 40), varInt64},
      {"float", Variant(0.5f), varSingle},
      {"double", Variant(0.5), varDouble},
      {"bool", Variant(true), varBoolean},
      {"currency", Variant(Currency{15000}), varCurrency},
      {"date", Variant::FromDate(45000.5), varDate},
      {"literal", Variant("abc"), varString},
      {"string", Variant(std::string("abc")), varString},
  };
  for (const auto& c : cases) EXPECT_EQ(c.v.VarType(), c.want) << c.what;
}

TEST(Variant, NumericValueCoversIntegersFloatsAndCurrencyOnly) {
  const struct {
    const char* what;
    Variant v;
    bool numeric;
    long double want;
  } cases[] = {
      {"int8", Variant(int8_t{-128}), true, -128},
      {"uint32 max", Variant(uint32_t{4294967295u}), true, 4294967295.0L},
      {"int64 min", Variant(std::numeric_limits<int64_t>::min()), true, -9223372036854775808.0L},
      {"single", Variant(0.1f), true, static_cast<long double>(0.1f)},
      {"double", Variant(-2.5), true, -2.5},
      {"currency", Variant(Currency{-12345}), true, -1.2345L},
      {"Boolean", Variant(true), false, 0},
      {"date", Variant::FromDate(3.0), false, 0},
      {"string", Variant("12"), false, 0},
      {"Null", Variant::Null(), false, 0},
      {"Empty", Variant(), false, 0},
  };
  for (const auto& c : cases) {
    long double x = 99;
    EXPECT_EQ(c.v.NumericValue(x), c.numeric) << c.what;
    EXPECT_EQ(x, c.want) << c.what;
  }
}

TEST(Variant, VarToStrOfEveryKind) {
  const struct {
    const char* what;
    Variant v;
    const char* want;
  } cases[] = {
      {"Empty", Variant(), ""},
      {"Null", Variant::Null(), ""},
      {"int8", Variant(int8_t{-128}), "-128"},
      {"uint32", Variant(uint32_t{4294967295u}), "4294967295"},
      {"int64", Variant(std::numeric_limits<int64_t>::min()), "-9223372036854775808"},
      {"single keeps its own digits", Variant(0.1f), "0.1"},
      {"double", Variant(0.1), "0.1"},
      {"double large", Variant(1e300), "1e+300"},
      {"currency whole", Variant(Currency{30000}), "3"},
      {"currency trailing zeros", Variant(Currency{-125000}), "-12.5"},
      {"currency smallest", Variant(Currency{1}), "0.0001"},
      {"currency most negative", Variant(Currency{std::numeric_limits<int64_t>::min()}),
       "-922337203685477.5808"},
      {"true", Variant(true), "True"},
      {"false", Variant(false), "False"},
      {"date midnight", Variant::FromDate(0.0), "1899-12-30"},
      {"date and time", Variant::FromDate(45000.75), "2023-03-15 18:00:00"},
      {"date before 1899 keeps its time", Variant::FromDate(-1.25), "1899-12-29 06:00:00"},
      {"date outside the calendar", Variant::FromDate(1e9), "1e+09"},
      {"string", Variant("a\"b"), "a\"b"},
  };
  for (const auto& c : cases) EXPECT_EQ(VarToStr(c.v), c.want) << c.what;
}

TEST(Variant, EqualityNeedsKindAndValue) {
  EXPECT_EQ(Variant(int32_t{1}), Variant(int32_t{1}));
  EXPECT_FALSE(Variant(int32_t{1}) == Variant(int64_t{1})) << "kinds differ";
  EXPECT_FALSE(Variant(1.0) == Variant::FromDate(1.0)) << "double against date";
  EXPECT_FALSE(Variant(std::nan("")) == Variant(std::nan(""))) << "NaN";
  EXPECT_EQ(Variant::Null(), Variant::Null());
  EXPECT_FALSE(Variant() == Variant::Null());
  EXPECT_EQ(Variant("x"), Variant(std::string("x")));
}

}  // namespace
}  // namespace nuv
