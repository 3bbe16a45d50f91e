// Scanners and validators of number and angle text (Nuv_math1).
#include <limits>
#include <string_view>

#include "Nuv_math1_parts.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/DateTime.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

using math1::DigitValue;
using math1::IsBlank;

namespace {

constexpr char kDegreeSign = '\xB0';
constexpr uint64_t kAllBits = 0xFFFFFFFFu;
// Exponents are read up to this magnitude; beyond it every double has long
// over- or underflowed, and the text stays short.
constexpr int32_t kMaxExponentRead = 99999;

// 0-based index of the 1-based CurPos, false when it lies outside s.
bool StartIndex(const std::string& s, int32_t curPos, std::size_t& i) {
  if (curPos < 1 || static_cast<std::size_t>(curPos) > s.size()) return false;
  i = static_cast<std::size_t>(curPos) - 1;
  return true;
}

std::size_t SkipBlanks(std::string_view s, std::size_t i) {
  while (i < s.size() && IsBlank(s[i])) ++i;
  return i;
}

// True when only blanks follow position i.
bool OnlyBlanksFrom(std::string_view s, std::size_t i) { return SkipBlanks(s, i) == s.size(); }

struct TIntScan {
  uint64_t Magnitude = 0;
  bool Negative = false;
  bool Overflow = false;  // Magnitude exceeded the limit and was clamped to it
  std::size_t End = 0;    // index after the last character read
};

// Reads the digits of base at i, saturating at limit.
bool ScanDigits(std::string_view s, std::size_t i, int base, uint64_t limit, TIntScan& r) {
  const std::size_t first = i;
  for (int d; i < s.size() && (d = DigitValue(s[i], base)) >= 0; ++i) {
    if (r.Magnitude > (limit - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base)) {
      r.Magnitude = limit;
      r.Overflow = true;
    } else {
      r.Magnitude = r.Magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
  }
  r.End = i;
  return i > first;
}

// A number of 32 unsigned bits in base 2, 8 or 16 (hex with an optional
// "$", "#" or "0x" prefix).
bool ScanBits(std::string_view s, std::size_t i, int base, TIntScan& r) {
  i = SkipBlanks(s, i);
  if (base == 16 && i < s.size()) {
    if (s[i] == '$' || s[i] == '#')
      ++i;
    else if (s[i] == '0' && i + 2 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X') &&
             DigitValue(s[i + 2], 16) >= 0)
      i += 2;
  }
  return ScanDigits(s, i, base, kAllBits, r);
}

// A signed decimal integer within the int32 range.
bool ScanSignedDecimal(std::string_view s, std::size_t i, TIntScan& r) {
  i = SkipBlanks(s, i);
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) r.Negative = s[i++] == '-';
  const uint64_t limit = r.Negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
  return ScanDigits(s, i, 10, limit, r);
}

int32_t ScanBitsAt(const std::string& s, int32_t& CurPos, int base) {
  std::size_t i;
  TIntScan r;
  if (!StartIndex(s, CurPos, i) || !ScanBits(s, i, base, r)) return 0;
  CurPos = static_cast<int32_t>(r.End + 1);
  return static_cast<int32_t>(static_cast<uint32_t>(r.Magnitude));
}

bool IsWholeBits(const std::string& s, int base) {
  TIntScan r;
  return ScanBits(s, 0, base, r) && !r.Overflow && OnlyBlanksFrom(s, r.End);
}

// ---------------------------------------------------------------------------
// Floating-point text

struct TSeparators {
  bool Dot = false;
  bool Comma = false;
  bool Accepts(char c) const { return (c == '.' && Dot) || (c == ',' && Comma); }
};

TSeparators SeparatorsOf(TDecPSep sep) {
  switch (sep) {
    case dsDot:
      return {true, false};
    case dsComma:
      return {false, true};
    case dsBoth:
      return {true, true};
    case dsSystem:
      break;
  }
  const char c = DecimalSeparator();
  return {c == '.', c == ','};
}

struct TFloatScan {
  double Value = 0;
  bool Overflow = false;  // beyond the double range; Value is clamped
  std::size_t End = 0;
};

// Optional sign (when allowSign), digits with at most one separator (at
// least one digit), and with allowExp an exponent; an "E" without digits
// after it ends the number before the "E". A second separator right after
// the fraction makes the text malformed.
bool ScanFloat(std::string_view s, std::size_t i, bool allowExp, bool allowSign, TSeparators sep,
               TFloatScan& r) {
  i = SkipBlanks(s, i);
  std::string mantissa;
  if (allowSign && i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') mantissa += '-';
    ++i;
  }
  // Significant integer digits and zeros after the separator before the
  // first significant digit: they place the number's magnitude.
  int intDigits = 0, fractionZeros = 0, digits = 0;
  bool nonZeroSeen = false, inFraction = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (IsDigit(c)) {
      ++digits;
      nonZeroSeen |= c != '0';
      if (!inFraction && nonZeroSeen) ++intDigits;
      if (inFraction && !nonZeroSeen) ++fractionZeros;
      mantissa += c;
    } else if (sep.Accepts(c)) {
      if (inFraction) return false;
      inFraction = true;
      if (digits == 0) mantissa += '0';
      mantissa += '.';
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  int32_t exponent = 0;
  if (allowExp && i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    std::size_t j = i + 1;
    bool negative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) negative = s[j++] == '-';
    if (j < s.size() && IsDigit(s[j])) {
      for (; j < s.size() && IsDigit(s[j]); ++j)
        exponent = std::min(exponent * 10 + (s[j] - '0'), kMaxExponentRead);
      if (negative) exponent = -exponent;
      i = j;
    }
  }
  r.End = i;
  if (mantissa.back() == '.') mantissa += '0';
  mantissa += 'e';
  mantissa += std::to_string(exponent);

  int32_t code;
  Val(mantissa, r.Value, code);
  if (code != 0) {
    // Out of the double range: the position of the first significant digit
    // tells an overflow from an underflow.
    const int64_t magnitude = int64_t{exponent} + (intDigits > 0 ? intDigits : -fractionZeros);
    r.Overflow = magnitude > 0;
    r.Value = r.Overflow ? std::numeric_limits<double>::max() : 0.0;
    if (mantissa[0] == '-') r.Value = -r.Value;
  }
  return true;
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
  TIntScan r;
  if (!StartIndex(Instring, CurPos, i) || !ScanSignedDecimal(Instring, i, r)) return 0;
  CurPos = static_cast<int32_t>(r.End + 1);
  const int64_t v = static_cast<int64_t>(r.Magnitude);
  return static_cast<int32_t>(r.Negative ? -v : v);
}

double ScanFPNum(const std::string& Instring, bool AllowExp, int32_t DecPSep, int32_t& CurPos) {
  std::size_t i;
  TFloatScan r;
  const TSeparators sep{DecPSep == 1 || DecPSep == 3, DecPSep == 2 || DecPSep == 3};
  if (!StartIndex(Instring, CurPos, i) || !ScanFloat(Instring, i, AllowExp, true, sep, r)) return 0;
  CurPos = static_cast<int32_t>(r.End + 1);
  return r.Value;
}

double ScanDegrees(const std::string& Instring, int32_t& CurPos, bool AcceptComma,
                   int32_t& Format) {
  Format = -1;
  std::size_t i;
  if (!StartIndex(Instring, CurPos, i)) return 0;
  const std::string_view s = Instring;
  const TSeparators sep{true, AcceptComma};
  i = SkipBlanks(s, i);
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

  TFloatScan deg, min, sec;
  if (!ScanFloat(s, i, false, false, sep, deg)) return 0;
  i = deg.End;
  TDegreeFormat found = dfNumeric;
  auto next = [&](std::size_t from, TFloatScan& part) {
    return ScanFloat(s, from, false, false, sep, part);
  };
  if (i < s.size() && s[i] == kDegreeSign) {
    ++i;
    found = dfDeg;
    if (next(i, min) && min.End < s.size() && IsMinuteMark(s[min.End])) {
      i = min.End + 1;
      found = dfDegMin;
      if (next(i, sec) && SecondMarkLength(s, sec.End) > 0) {
        i = sec.End + SecondMarkLength(s, sec.End);
        found = dfDegMinSec;
      }
    }
  } else if (i < s.size() && s[i] == ':' && next(i + 1, min)) {
    i = min.End;
    found = dfDegMin;
    if (i < s.size() && s[i] == ':' && next(i + 1, sec)) {
      i = sec.End;
      found = dfDegMinSec;
    }
  }
  if (found >= dfDegMin && min.Value > 60) return 0;
  if (found == dfDegMinSec && sec.Value > 60) return 0;
  const long double magnitude = deg.Value + static_cast<long double>(min.Value) / 60 +
                                static_cast<long double>(sec.Value) / 3600;
  CurPos = static_cast<int32_t>(i + 1);
  Format = found;
  return math1::ExtendedToDouble(negative ? -magnitude : magnitude);
}

bool IsValidDouble(const std::string& Instring, bool AllowExp, TDecPSep DecPSep) {
  TFloatScan r;
  return ScanFloat(Instring, 0, AllowExp, true, SeparatorsOf(DecPSep), r) && !r.Overflow &&
         OnlyBlanksFrom(Instring, r.End);
}

bool IsValidFPNum(const std::string& Instring, TDecPSep DecPSep) {
  TFloatScan r;
  return ScanFloat(Instring, 0, true, true, SeparatorsOf(DecPSep), r) &&
         OnlyBlanksFrom(Instring, r.End);
}

bool IsValidHex(const std::string& Instring) { return IsWholeBits(Instring, 16); }
bool IsValidOct(const std::string& Instring) { return IsWholeBits(Instring, 8); }
bool IsValidBin(const std::string& Instring) { return IsWholeBits(Instring, 2); }

bool IsValidDecInt(const std::string& Instring) {
  TIntScan r;
  return ScanSignedDecimal(Instring, 0, r) && !r.Overflow && OnlyBlanksFrom(Instring, r.End);
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
        i = SkipBlanks(s, i);
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
