// Dates and times as the library stores them: a TDateTime is a double
// counting days since 1899-12-30 00:00, its fraction being the time of day.
//
// Dates before 1899-12-30 are negative and keep the classic convention: the
// integral part is the day and the fraction, taken without its sign, is the
// time of day (-1.25 is 1899-12-29 06:00, not 1899-12-28 18:00). Valid dates
// run from 0001-01-01 to 9999-12-31 in the proleptic Gregorian calendar.
// Decoding rounds to the nearest millisecond, so a value a hair below
// midnight decodes as the next day at 00:00:00.000.
//
// Date, Time and Now read the local wall clock.
#pragma once

#include <cstdint>
#include <ctime>

namespace nuv {

using TDateTime = double;

inline constexpr int32_t HoursPerDay = 24;
inline constexpr int32_t MinsPerDay = HoursPerDay * 60;
inline constexpr int32_t SecsPerDay = MinsPerDay * 60;
inline constexpr int32_t MSecsPerDay = SecsPerDay * 1000;
// Days from 0001-01-01 to 1899-12-30, and from 1899-12-30 to 1970-01-01.
inline constexpr int32_t DateDelta = 693594;
inline constexpr int32_t UnixDateDelta = 25569;
// 0001-01-01 00:00 and 9999-12-31 23:59:59.999.
inline constexpr TDateTime MinDateTime = -693593.0;
inline constexpr TDateTime MaxDateTime = 2958465.99999999;

bool IsLeapYear(int32_t Year);
// 28..31; 0 for a month outside 1..12.
int32_t DaysInAMonth(int32_t Year, int32_t Month);

// Year 1..9999, Month 1..12, Day within the month; anything else raises
// EConvertError "Invalid argument to date encode".
TDateTime EncodeDate(uint16_t Year, uint16_t Month, uint16_t Day);
bool TryEncodeDate(uint16_t Year, uint16_t Month, uint16_t Day, TDateTime& Date);
// Hour < 24, Min < 60, Sec < 60, MSec < 1000; anything else raises
// EConvertError "Invalid argument to time encode". The result is the
// fraction of a day in [0, 1).
TDateTime EncodeTime(uint16_t Hour, uint16_t Min, uint16_t Sec, uint16_t MSec);
bool TryEncodeTime(uint16_t Hour, uint16_t Min, uint16_t Sec, uint16_t MSec, TDateTime& Time);
// A date plus a time of day, following the negative-date convention.
TDateTime ComposeDateTime(TDateTime Date, TDateTime Time);

// Values outside the valid range (and NaN) decode to all zeros.
void DecodeDate(TDateTime DateTime, uint16_t& Year, uint16_t& Month, uint16_t& Day);
void DecodeTime(TDateTime DateTime, uint16_t& Hour, uint16_t& Min, uint16_t& Sec,
                uint16_t& MSec);
// 1 = Sunday .. 7 = Saturday; 0 outside the valid range.
int32_t DayOfWeek(TDateTime DateTime);

// The local date (integral), time of day (fraction) and both.
TDateTime Date();
TDateTime Time();
TDateTime Now();

// Seconds since 1970-01-01 00:00 without a time zone: plain arithmetic on
// the day count. DateTimeToUnix floors to whole seconds; outside the valid
// range it raises EConvertError.
TDateTime UnixToDateTime(int64_t UnixTime);
int64_t DateTimeToUnix(TDateTime DateTime);

// A system time stamp as local wall-clock time (file dates), and back.
// DateTimeToTimeT returns false for values outside the valid range.
TDateTime TimeTToDateTime(std::time_t Time, int32_t NanoSeconds = 0);
bool DateTimeToTimeT(TDateTime DateTime, std::time_t& Time, int32_t& NanoSeconds);

}  // namespace nuv
