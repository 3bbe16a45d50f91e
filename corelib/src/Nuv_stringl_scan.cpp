// Number scanners shared by the text parsers of every library (Nuv_stringl).
#include <algorithm>
#include <limits>
#include <string>

#include "nuv/Nuv_stringl.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace {

// Exponents are read up to this magnitude; beyond it every double has long
// over- or underflowed, and the text stays short.
constexpr int32_t kMaxExponentRead = 99999;

}  // namespace

std::size_t SkipBlanksAt(std::string_view S, std::size_t Start) {
  while (Start < S.size() && IsBlankChar(S[Start])) ++Start;
  return Start;
}

bool ScanDigitsAt(std::string_view S, std::size_t Start, int Base, uint64_t Limit,
                  uint64_t& Magnitude, TNumScan& Scan) {
  Magnitude = 0;
  Scan = {};
  std::size_t i = Start;
  const auto base = static_cast<uint64_t>(Base);
  for (int d; i < S.size() && (d = DigitValue(S[i], Base)) >= 0; ++i) {
    const auto digit = static_cast<uint64_t>(d);
    if (Magnitude > (Limit - digit) / base) {
      Magnitude = Limit;
      Scan.Overflow = true;
    } else {
      Magnitude = Magnitude * base + digit;
    }
  }
  Scan.End = i;
  return i > Start;
}

bool ScanInt32At(std::string_view S, std::size_t Start, int32_t& Value, TNumScan& Scan) {
  std::size_t i = SkipBlanksAt(S, Start);
  bool negative = false;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) negative = S[i++] == '-';
  const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
  uint64_t magnitude;
  const bool found = ScanDigitsAt(S, i, 10, limit, magnitude, Scan);
  const auto v = static_cast<int64_t>(magnitude);
  Value = static_cast<int32_t>(negative ? -v : v);
  return found;
}

TDecSeparators DecSeparatorsOf(TDecPSep DecPSep) {
  switch (DecPSep) {
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

bool ScanDoubleAt(std::string_view S, std::size_t Start, const TFloatSyntax& Syntax,
                  double& Value, TNumScan& Scan) {
  Value = 0;
  Scan = {};
  std::size_t i = SkipBlanksAt(S, Start);
  std::string mantissa;
  if (Syntax.AllowSign && i < S.size() && (S[i] == '+' || S[i] == '-')) {
    if (S[i] == '-') mantissa += '-';
    ++i;
  }
  // Significant integer digits and zeros after the separator before the
  // first significant digit: they place the number's magnitude.
  int intDigits = 0, fractionZeros = 0, digits = 0;
  bool nonZeroSeen = false, inFraction = false;
  for (; i < S.size(); ++i) {
    const char c = S[i];
    if (c >= '0' && c <= '9') {
      ++digits;
      nonZeroSeen |= c != '0';
      if (!inFraction && nonZeroSeen) ++intDigits;
      if (inFraction && !nonZeroSeen) ++fractionZeros;
      mantissa += c;
    } else if (Syntax.Separators.Accepts(c)) {
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
  if (Syntax.AllowExp && i < S.size() && (S[i] == 'E' || S[i] == 'e')) {
    std::size_t j = i + 1;
    bool negative = false;
    if (j < S.size() && (S[j] == '+' || S[j] == '-')) negative = S[j++] == '-';
    if (j < S.size() && S[j] >= '0' && S[j] <= '9') {
      for (; j < S.size() && S[j] >= '0' && S[j] <= '9'; ++j)
        exponent = std::min(exponent * 10 + (S[j] - '0'), kMaxExponentRead);
      if (negative) exponent = -exponent;
      i = j;
    }
  }
  Scan.End = i;
  if (mantissa.back() == '.') mantissa += '0';
  mantissa += 'e';
  mantissa += std::to_string(exponent);

  int32_t code;
  Val(mantissa, Value, code);
  if (code != 0) {
    // Out of the double range: the position of the first significant digit
    // tells an overflow from an underflow.
    const int64_t magnitude = int64_t{exponent} + (intDigits > 0 ? intDigits : -fractionZeros);
    Scan.Overflow = magnitude > 0;
    Value = Scan.Overflow ? std::numeric_limits<double>::max() : 0.0;
    if (mantissa[0] == '-') Value = -Value;
  }
  return true;
}

}  // namespace nuv
