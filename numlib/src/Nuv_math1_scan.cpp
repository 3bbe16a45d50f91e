// Scanners and validators of number and angle text (Nuv_math1).
#include <string_view>

#include "Nuv_math1_parts.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/DateTime.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace {

constexpr char kDegreeSign = '\xB0';
constexpr uint64_t kAllBits = 0xFFFFFFFFu;

// 0-based index of the 1-based CurPos, false when it lies outside s.
bool StartIndex(const std::string& s, int32_t curPos, std::size_t& i) {
  if (curPos < 1 || static_cast<std::size_t>(curPos) > s.size()) return false;
  i = static_cast<std::size_t>(curPos) - 1;
  return true;
}

// True when only blanks follow position i.
bool OnlyBlanksFrom(std::string_view s, std::size_t i) { return SkipBlanksAt(s, i) == s.size(); }

// A number of 32 unsigned bits in base 2, 8 or 16 (hex with an optional
// "$", "#" or "0x" prefix).
bool ScanBits(std::string_view s, std::size_t i, int base, uint64_t& value, TNumScan& r) {
  i = SkipBlanksAt(s, i);
  if (base == 16 && i < s.size()) {
    if (s[i] == '$' || s[i] == '#')
      ++i;
    else if (s[i] == '0' && i + 2 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X') &&
             DigitValue(s[i + 2], 16) >= 0)
      i += 2;
  }
  return ScanDigitsAt(s, i, base, kAllBits, value, r);
}

int32_t ScanBitsAt(const std::string& s, int32_t& CurPos, int base) {
  std::size_t i;
  uint64_t value;
  TNumScan r;
  if (!StartIndex(s, CurPos, i) || !ScanBits(s, i, base, value, r)) return 0;
  CurPos = static_cast<int32_t>(r.End + 1);
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

bool IsWholeBits(const std::string& s, int base) {
  uint64_t value;
  TNumScan r;
  return ScanBits(s, 0, base, value, r) && !r.Overflow && OnlyBlanksFrom(s, r.End);
}

// The float syntax of the separator code of ScanFPNum: 1 dot, 2 comma, 3
// both.
TFloatSyntax FPNumSyntax(bool allowExp, int32_t decPSep) {
  return {{decPSep == 1 || decPSep == 3, decPSep == 2 || decPSep == 3}, allowExp, true};
}

// A whole text that is one float, blanks around it allowed.
bool IsWholeFloat(const std::string& s, bool allowExp, TDecPSep decPSep, bool rangeChecked) {
  double value;
  TNumScan r;
  return ScanDoubleAt(s, 0, {DecSeparatorsOf(decPSep), allowExp, true}, value, r) &&
         !(rangeChecked && r.Overflow) && OnlyBlanksFrom(s, r.End);
}

// Minute mark: apostrophe, or the typographic quote or acute accent of
// Windows-1252.
bool IsMinuteMark(char c) { return c == '\'' || c == '\x92' || c == '\xB4'; }

// Length of a second mark at i (", the typographic double quote, or two
// apostrophes), 0 when there is none.
std::size_t SecondMarkLength(std::string_view s, std::size_t i) {
  if (i >= s.size()) return 0;
  if (s[i] == '"' || s[i] == '\x94') return 1;
  if (i + 1 < s.size() && s[i] == '\'' && s[i + 1] == '\'') return 2;
  return 0;
}

}  // namespace

int32_t ScanHex(const std::string& Instring, int32_t& CurPos) {
  return ScanBitsAt(Instring, CurPos, 16);
}
int32_t ScanOctal(const std::string& Instring, int32_t& CurPos) {
  return ScanBitsAt(Instring, CurPos, 8);
}
int32_t ScanBin(const std::string& Instring, int32_t& CurPos) {
  return ScanBitsAt(Instring, CurPos, 2);
}

int32_t ScanDecimal(const std::string& Instring, int32_t& CurPos) {
  std::size_t i;
  int32_t value;
  TNumScan r;
  if (!StartIndex(Instring, CurPos, i) || !ScanInt32At(Instring, i, value, r)) return 0;
  CurPos = static_cast<int32_t>(r.End + 1);
  return value;
}

double ScanFPNum(const std::string& Instring, bool AllowExp, int32_t DecPSep, int32_t& CurPos) {
  std::size_t i;
  double value;
  TNumScan r;
  if (!StartIndex(Instring, CurPos, i) ||
      !ScanDoubleAt(Instring, i, FPNumSyntax(AllowExp, DecPSep), value, r))
    return 0;
  CurPos = static_cast<int32_t>(r.End + 1);
  return value;
}

double ScanDegrees(const std::string& Instring, int32_t& CurPos, bool AcceptComma,
                   int32_t& Format) {
  Format = -1;
  std::size_t i;
  if (!StartIndex(Instring, CurPos, i)) return 0;
  const std::string_view s = Instring;
  const TFloatSyntax unsignedPlain{{true, AcceptComma}, false, false};
  i = SkipBlanksAt(s, i);
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

  double deg, min = 0, sec = 0;
  TNumScan degEnd, minEnd, secEnd;
  if (!ScanDoubleAt(s, i, unsignedPlain, deg, degEnd)) return 0;
  i = degEnd.End;
  TDegreeFormat found = dfNumeric;
  auto next = [&](std::size_t from, double& part, TNumScan& end) {
    return ScanDoubleAt(s, from, unsignedPlain, part, end);
  };
  if (i < s.size() && s[i] == kDegreeSign) {
    ++i;
    found = dfDeg;
    if (next(i, min, minEnd) && minEnd.End < s.size() && IsMinuteMark(s[minEnd.End])) {
      i = minEnd.End + 1;
      found = dfDegMin;
      if (next(i, sec, secEnd) && SecondMarkLength(s, secEnd.End) > 0) {
        i = secEnd.End + SecondMarkLength(s, secEnd.End);
        found = dfDegMinSec;
      }
    }
  } else if (i < s.size() && s[i] == ':' && next(i + 1, min, minEnd)) {
    i = minEnd.End;
    found = dfDegMin;
    if (i < s.size() && s[i] == ':' && next(i + 1, sec, secEnd)) {
      i = secEnd.End;
      found = dfDegMinSec;
    }
  }
  if (found >= dfDegMin && min > 60) return 0;
  if (found == dfDegMinSec && sec > 60) return 0;
  const long double magnitude =
      deg + static_cast<long double>(min) / 60 + static_cast<long double>(sec) / 3600;
  CurPos = static_cast<int32_t>(i + 1);
  Format = found;
  return math1::ExtendedToDouble(negative ? -magnitude : magnitude);
}

bool IsValidDouble(const std::string& Instring, bool AllowExp, TDecPSep DecPSep) {
  return IsWholeFloat(Instring, AllowExp, DecPSep, true);
}

bool IsValidFPNum(const std::string& Instring, TDecPSep DecPSep) {
  return IsWholeFloat(Instring, true, DecPSep, false);
}

bool IsValidHex(const std::string& Instring) { return IsWholeBits(Instring, 16); }
bool IsValidOct(const std::string& Instring) { return IsWholeBits(Instring, 8); }
bool IsValidBin(const std::string& Instring) { return IsWholeBits(Instring, 2); }

bool IsValidDecInt(const std::string& Instring) {
  int32_t value;
  TNumScan r;
  return ScanInt32At(Instring, 0, value, r) && !r.Overflow && OnlyBlanksFrom(Instring, r.End);
}

// ---------------------------------------------------------------------------
// Date and time

namespace {

// Reads between minDigits and maxDigits decimal digits at i.
bool ReadNumber(std::string_view s, std::size_t& i, int minDigits, int maxDigits, int32_t& value) {
  value = 0;
  int n = 0;
  for (; n < maxDigits && i < s.size() && IsDigit(s[i]); ++n, ++i)
    value = value * 10 + (s[i] - '0');
  return n >= minDigits;
}

// The month whose name in the language starts the text at i (the longest
// such name, ignoring case and the names' trailing blanks).
bool ReadMonthName(std::string_view s, std::size_t& i, TLanguage language, bool longNames,
                   int32_t& month) {
  std::size_t best = 0;
  for (int32_t m = 1; m <= 12; ++m) {
    std::string_view name =
        longNames ? MonthLong[language][m].View() : MonthShort[language][m].View();
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name.size() > best && !name.empty() && s.size() - i >= name.size() &&
        AnsiSameText(s.substr(i, name.size()), name)) {
      best = name.size();
      month = m;
    }
  }
  i += best;
  return best > 0;
}

}  // namespace

double ScanDateTime(const std::string& Instring, const std::string& FormatMask, TLanguage Language,
                    int32_t& CurPos) {
  std::size_t i;
  if (!StartIndex(Instring, CurPos, i)) return 0;
  const std::string_view s = Instring, mask = FormatMask;
  int32_t year = -1, month = -1, day = -1, hour = 0, minute = 0, second = 0, msec = 0;
  bool ok = true;
  for (std::size_t m = 0; ok && m < mask.size();) {
    const char c = mask[m];
    std::size_t run = 1;
    while (m + run < mask.size() && mask[m + run] == c) ++run;
    // Fields of one letter take one or two digits, longer ones a fixed count.
    auto field = [&](int32_t& v, int fixed) {
      return run == 1 ? ReadNumber(s, i, 1, 2, v) : ReadNumber(s, i, fixed, fixed, v);
    };
    switch (c) {
      case 'y':
        ok = ReadNumber(s, i, run >= 3 ? 4 : 2, run >= 3 ? 4 : 2, year);
        if (ok && run < 3) year += year < 50 ? 2000 : 1900;
        break;
      case 'm':
        ok = run >= 3 ? ReadMonthName(s, i, Language, run >= 4, month) : field(month, 2);
        break;
      case 'd':
        ok = field(day, 2);
        break;
      case 'H':
        ok = field(hour, 2);
        break;
      case 'M':
        ok = field(minute, 2);
        break;
      case 'S':
        ok = field(second, 2);
        break;
      case 'z':
        ok = run >= 3 ? ReadNumber(s, i, 3, 3, msec) : ReadNumber(s, i, 1, 3, msec);
        break;
      case ' ':
        i = SkipBlanksAt(s, i);
        break;
      default:
        ok = s.size() - i >= run && s.substr(i, run) == mask.substr(m, run);
        if (ok) i += run;
        break;
    }
    m += run;
  }
  if (!ok) return 0;
  TDateTime date = 0, time = 0;
  const bool hasDate = year >= 0 || month >= 0 || day >= 0;
  if (hasDate && (year < 0 || !TryEncodeDate(static_cast<uint16_t>(year),
                                             static_cast<uint16_t>(month < 0 ? 1 : month),
                                             static_cast<uint16_t>(day < 0 ? 1 : day), date)))
    return 0;
  if (!TryEncodeTime(static_cast<uint16_t>(hour), static_cast<uint16_t>(minute),
                     static_cast<uint16_t>(second), static_cast<uint16_t>(msec), time))
    return 0;
  CurPos = static_cast<int32_t>(i + 1);
  return ComposeDateTime(date, time);
}

}  // namespace nuv
