#include "nuv/platform/DateTime.h"

#include <chrono>
#include <cmath>

#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr int64_t kMinDay = -693593;  // 0001-01-01
constexpr int64_t kMaxDay = 2958465;  // 9999-12-31

sys_days DayToSysDays(int64_t day) { return sys_days{days{day - UnixDateDelta}}; }

// The day count (integral part, toward zero) and the milliseconds into that
// day; a time of day that rounds to 24:00 carries into the next day.
bool SplitDateTime(TDateTime dt, int64_t& day, int64_t& msOfDay) {
  if (!(dt > static_cast<double>(kMinDay - 1) && dt < static_cast<double>(kMaxDay + 1))) return false;
  const double whole = std::trunc(dt);
  day = static_cast<int64_t>(whole);
  msOfDay = Round(static_cast<long double>(std::fabs(dt - whole)) * MSecsPerDay);
  if (msOfDay >= MSecsPerDay) {
    msOfDay = 0;
    ++day;
  }
  return day >= kMinDay && day <= kMaxDay;
}

TDateTime DayAndSecondsToDateTime(int64_t day, double secondsOfDay) {
  return ComposeDateTime(static_cast<TDateTime>(day), secondsOfDay / SecsPerDay);
}

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

bool IsLeapYear(int32_t Year) { return std::chrono::year{Year}.is_leap(); }

int32_t DaysInAMonth(int32_t Year, int32_t Month) {
  if (Month < 1 || Month > 12) return 0;
  const auto last = std::chrono::year{Year} / std::chrono::month{static_cast<unsigned>(Month)} /
                    std::chrono::last;
  return static_cast<int32_t>(static_cast<unsigned>(last.day()));
}

bool TryEncodeDate(uint16_t Year, uint16_t Month, uint16_t Day, TDateTime& Date) {
  // chrono's month and day hold one byte, so large values must not reach them.
  if (Year < 1 || Year > 9999 || Month > 12 || Day > 31) return false;
  const year_month_day ymd{std::chrono::year{Year}, std::chrono::month{Month},
                           std::chrono::day{Day}};
  if (!ymd.ok()) return false;
  Date = static_cast<TDateTime>(sys_days{ymd}.time_since_epoch().count() + UnixDateDelta);
  return true;
}

TDateTime EncodeDate(uint16_t Year, uint16_t Month, uint16_t Day) {
  TDateTime result = 0;
  if (!TryEncodeDate(Year, Month, Day, result)) throw EConvertError("Invalid argument to date encode");
  return result;
}

bool TryEncodeTime(uint16_t Hour, uint16_t Min, uint16_t Sec, uint16_t MSec, TDateTime& Time) {
  if (Hour >= 24 || Min >= 60 || Sec >= 60 || MSec >= 1000) return false;
  const int32_t ms = ((Hour * 60 + Min) * 60 + Sec) * 1000 + MSec;
  Time = static_cast<TDateTime>(ms) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(uint16_t Hour, uint16_t Min, uint16_t Sec, uint16_t MSec) {
  TDateTime result = 0;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, result)) throw EConvertError("Invalid argument to time encode");
  return result;
}

TDateTime ComposeDateTime(TDateTime Date, TDateTime Time) {
  const double time = std::fabs(Time - std::trunc(Time));
  return Date < 0 ? Date - time : Date + time;
}

void DecodeDate(TDateTime DateTime, uint16_t& Year, uint16_t& Month, uint16_t& Day) {
  int64_t day = 0, ms = 0;
  Year = Month = Day = 0;
  if (!SplitDateTime(DateTime, day, ms)) return;
  const year_month_day ymd{DayToSysDays(day)};
  Year = static_cast<uint16_t>(static_cast<int>(ymd.year()));
  Month = static_cast<uint16_t>(static_cast<unsigned>(ymd.month()));
  Day = static_cast<uint16_t>(static_cast<unsigned>(ymd.day()));
}

void DecodeTime(TDateTime DateTime, uint16_t& Hour, uint16_t& Min, uint16_t& Sec, uint16_t& MSec) {
  int64_t day = 0, ms = 0;
  Hour = Min = Sec = MSec = 0;
  if (!SplitDateTime(DateTime, day, ms)) return;
  MSec = static_cast<uint16_t>(ms % 1000);
  Sec = static_cast<uint16_t>(ms / 1000 % 60);
  Min = static_cast<uint16_t>(ms / 60000 % 60);
  Hour = static_cast<uint16_t>(ms / 3600000);
}

int32_t DayOfWeek(TDateTime DateTime) {
  int64_t day = 0, ms = 0;
  if (!SplitDateTime(DateTime, day, ms)) return 0;
  return static_cast<int32_t>(std::chrono::weekday{DayToSysDays(day)}.c_encoding()) + 1;
}

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return TimeTToDateTime(ts.tv_sec, static_cast<int32_t>(ts.tv_nsec));
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  const TDateTime now = Now();
  return now - std::trunc(now);
}

TDateTime UnixToDateTime(int64_t UnixTime) {
  const int64_t day = FloorDiv(UnixTime, SecsPerDay);
  return DayAndSecondsToDateTime(day + UnixDateDelta,
                                 static_cast<double>(UnixTime - day * SecsPerDay));
}

int64_t DateTimeToUnix(TDateTime DateTime) {
  int64_t day = 0, ms = 0;
  if (!SplitDateTime(DateTime, day, ms)) throw EConvertError("Invalid date and time");
  return (day - UnixDateDelta) * SecsPerDay + ms / 1000;
}

TDateTime TimeTToDateTime(std::time_t Time, int32_t NanoSeconds) {
  tm local{};
  if (!localtime_r(&Time, &local)) return 0;
  const year_month_day ymd{std::chrono::year{local.tm_year + 1900},
                           std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                           std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
  const int64_t day = sys_days{ymd}.time_since_epoch().count() + UnixDateDelta;
  const double seconds = (local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec + NanoSeconds * 1e-9;
  return DayAndSecondsToDateTime(day, seconds);
}

bool DateTimeToTimeT(TDateTime DateTime, std::time_t& Time, int32_t& NanoSeconds) {
  int64_t day = 0, ms = 0;
  if (!SplitDateTime(DateTime, day, ms)) return false;
  const year_month_day ymd{DayToSysDays(day)};
  tm local{};
  local.tm_year = static_cast<int>(ymd.year()) - 1900;
  local.tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
  local.tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
  local.tm_hour = static_cast<int>(ms / 3600000);
  local.tm_min = static_cast<int>(ms / 60000 % 60);
  local.tm_sec = static_cast<int>(ms / 1000 % 60);
  local.tm_isdst = -1;
  Time = mktime(&local);
  NanoSeconds = static_cast<int32_t>(ms % 1000) * 1000000;
  return true;
}

}  // namespace nuv
