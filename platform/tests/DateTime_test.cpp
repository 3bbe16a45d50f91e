#include "nuv/platform/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

#include "nuv/platform/SysUtils.h"

namespace nuv {
namespace {

struct DateCase {
  uint16_t y, m, d;
  double serial;
};

TEST(DateTime, EncodeDecodeKnownDates) {
  const DateCase cases[] = {
      {1899, 12, 30, 0},        {1899, 12, 31, 1},       {1900, 1, 1, 2},
      {1899, 12, 29, -1},       {1800, 1, 1, -36522},    {1, 1, 1, -693593},
      {9999, 12, 31, 2958465},  {1970, 1, 1, 25569},     {2000, 2, 29, 36585},
      {1900, 3, 1, 61},         {1600, 2, 29, -109512},  {2024, 3, 1, 45352},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
    uint16_t y = 0, m = 0, d = 0;
    DecodeDate(c.serial, y, m, d);
    EXPECT_TRUE(y == c.y && m == c.m && d == c.d) << "serial=" << c.serial << " gave " << y << "-" << m << "-" << d;
  }
}

TEST(DateTime, EveryDayRoundTripsAndWeekdaysCycle) {
  for (int32_t day = -693593; day <= 2958465; day += (day > -2000 && day < 80000) ? 1 : 97) {
    uint16_t y = 0, m = 0, d = 0;
    DecodeDate(day, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), day) << "day=" << day;
  }
  for (int32_t day = -1000; day < 1000; ++day)
    ASSERT_EQ(DayOfWeek(day + 1), DayOfWeek(day) % 7 + 1) << "day=" << day;
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2) << "a Monday";
  EXPECT_EQ(DayOfWeek(1.75), 1) << "1899-12-31 was a Sunday";
}

TEST(DateTime, InvalidArgumentsRaise) {
  const struct {
    uint16_t y, m, d;
  } bad[] = {{2023, 2, 29}, {1900, 2, 29}, {0, 1, 1}, {10000, 1, 1}, {2000, 13, 1},
             {2000, 0, 1},  {2000, 1, 0},  {2000, 4, 31}, {2000, 1, 257}, {2000, 257, 1}};
  for (const auto& b : bad) {
    EXPECT_THROW(EncodeDate(b.y, b.m, b.d), EConvertError) << b.y << "-" << b.m << "-" << b.d;
    TDateTime dt = 123;
    EXPECT_FALSE(TryEncodeDate(b.y, b.m, b.d, dt));
    EXPECT_EQ(dt, 123) << "unchanged on failure";
  }
  try {
    EncodeTime(24, 0, 0, 0);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Invalid argument to time encode");
  }
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  EXPECT_EQ(EncodeTime(23, 59, 59, 999), (MSecsPerDay - 1.0) / MSecsPerDay);
}

TEST(DateTime, LeapYearsAndMonthLengths) {
  const struct {
    int32_t y;
    bool leap;
  } cases[] = {{1900, false}, {2000, true}, {2023, false}, {2024, true}, {1600, true}, {1, false}, {4, true}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsLeapYear(c.y), c.leap) << "year=" << c.y;
    EXPECT_EQ(DaysInAMonth(c.y, 2), c.leap ? 29 : 28) << "year=" << c.y;
  }
  EXPECT_EQ(DaysInAMonth(2023, 4), 30);
  EXPECT_EQ(DaysInAMonth(2023, 13), 0);
}

TEST(DateTime, NegativeDatesKeepTheTimeOfDayUnsigned) {
  uint16_t y, m, d, h, n, s, ms;
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_TRUE(y == 1899 && m == 12 && d == 29) << y << "-" << m << "-" << d;
  EXPECT_EQ(h, 6);
  EXPECT_EQ(ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0)), -1.25);
  EXPECT_EQ(ComposeDateTime(EncodeDate(1899, 12, 31), EncodeTime(6, 0, 0, 0)), 1.25);

  DecodeDate(-0.5, y, m, d);
  DecodeTime(-0.5, h, n, s, ms);
  EXPECT_TRUE(y == 1899 && m == 12 && d == 30 && h == 12) << "-0.5 is noon of day 0";
  EXPECT_EQ(DayOfWeek(-0.5), 7) << "1899-12-30 was a Saturday";
}

TEST(DateTime, TimeRoundsToMillisecondsAndCarriesIntoTheNextDay) {
  uint16_t y, m, d, h, n, s, ms;
  const TDateTime t = EncodeDate(2020, 12, 31) + EncodeTime(13, 14, 15, 678);
  DecodeTime(t, h, n, s, ms);
  EXPECT_TRUE(h == 13 && n == 14 && s == 15 && ms == 678) << h << ":" << n << ":" << s << "." << ms;
  const TDateTime almost = EncodeDate(2020, 12, 31) + (MSecsPerDay - 0.2) / MSecsPerDay;
  DecodeDate(almost, y, m, d);
  DecodeTime(almost, h, n, s, ms);
  EXPECT_TRUE(y == 2021 && m == 1 && d == 1 && h == 0 && ms == 0) << y << "-" << m << "-" << d << " " << h;
  // 1899-12-28 23:59:59.99999 (day -2, its time unsigned) rounds to the 29th.
  DecodeDate(-2.9999999999, y, m, d);
  DecodeTime(-2.9999999999, h, n, s, ms);
  EXPECT_TRUE(d == 29 && h == 0 && ms == 0) << d << " " << h;
}

TEST(DateTime, OutOfRangeDecodesToZeros) {
  for (double bad : {std::nan(""), 1e300, -1e300, -693594.0, 2958466.0}) {
    uint16_t y = 9, m = 9, d = 9, h = 9, n = 9, s = 9, ms = 9;
    DecodeDate(bad, y, m, d);
    DecodeTime(bad, h, n, s, ms);
    EXPECT_TRUE(y == 0 && m == 0 && d == 0 && h == 0 && ms == 0) << "x=" << bad;
    EXPECT_EQ(DayOfWeek(bad), 0) << "x=" << bad;
  }
  EXPECT_THROW(DateTimeToUnix(std::nan("")), EConvertError);
}

TEST(DateTime, UnixAndTimeTConversions) {
  EXPECT_EQ(UnixToDateTime(0), 25569);
  EXPECT_EQ(UnixToDateTime(86400 + 43200), 25570.5);
  for (int64_t u : {int64_t{0}, int64_t{-1}, int64_t{1700000000}, int64_t{-2209161600},
                    int64_t{-2209161600 - 86400 + 21600}, int64_t{-62135596800}}) {
    EXPECT_EQ(DateTimeToUnix(UnixToDateTime(u)), u) << "unix=" << u;
  }
  const TDateTime beforeDayZero = UnixToDateTime(-2209161600 - 86400 + 21600);
  EXPECT_EQ(beforeDayZero, -1.25) << "1899-12-29 06:00";

  const std::time_t now = std::time(nullptr);
  std::time_t back = 0;
  int32_t ns = -1;
  ASSERT_TRUE(DateTimeToTimeT(TimeTToDateTime(now, 250000000), back, ns));
  EXPECT_EQ(back, now);
  EXPECT_EQ(ns, 250000000);
  EXPECT_NEAR(Now(), TimeTToDateTime(std::time(nullptr)), 5.0 / SecsPerDay);
  const TDateTime today = Date();
  EXPECT_EQ(today, std::trunc(today));
  EXPECT_GE(Time(), 0.0);
  EXPECT_LT(Time(), 1.0);
}

}  // namespace
}  // namespace nuv
