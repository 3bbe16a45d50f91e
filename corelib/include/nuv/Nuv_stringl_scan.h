// Number scanners on text (part of Nuv_stringl; include "nuv/Nuv_stringl.h"):
// the one reading of integer and floating-point text that the parsers of
// every library share. They never depend on the C locale, never raise and
// never read outside the text.
//
// Unlike the 1-based positions of the text routines, the scanners take and
// report 0-based indices into a string_view, so that callers with either
// convention convert once. Blanks are space and tab.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

// Where a scan ended and whether the value had to be clamped.
struct TNumScan {
  std::size_t End = 0;    // index after the last character read
  bool Overflow = false;  // beyond the range; the value is clamped to it
};

// The value of a digit of Base (2..16, letters of either case); -1 for any
// other character.
constexpr int DigitValue(char Ch, int Base) {
  int v = 99;
  if (Ch >= '0' && Ch <= '9')
    v = Ch - '0';
  else if (Ch >= 'A' && Ch <= 'F')
    v = Ch - 'A' + 10;
  else if (Ch >= 'a' && Ch <= 'f')
    v = Ch - 'a' + 10;
  return v < Base ? v : -1;
}

constexpr bool IsBlankChar(char Ch) { return Ch == ' ' || Ch == '\t'; }
// The index of the first non-blank at or after Start (S.size() when none).
std::size_t SkipBlanksAt(std::string_view S, std::size_t Start);

// Digits of Base from Start, with no sign and no blanks before them. The
// magnitude saturates at Limit (Overflow set). False, with Scan.End =
// Start, when no digit is there.
bool ScanDigitsAt(std::string_view S, std::size_t Start, int Base, uint64_t Limit,
                  uint64_t& Magnitude, TNumScan& Scan);

// Blanks, an optional "+" or "-", and decimal digits: a 32-bit integer,
// clamped to its range (Overflow set). False when no digit follows; Value
// is then 0.
bool ScanInt32At(std::string_view S, std::size_t Start, int32_t& Value, TNumScan& Scan);

// Characters taken as decimal separator by the float scanner.
struct TDecSeparators {
  bool Dot = true;
  bool Comma = false;
  constexpr bool Accepts(char Ch) const { return (Ch == '.' && Dot) || (Ch == ',' && Comma); }
};
// dsDot, dsComma, dsBoth; dsSystem takes the runtime's DecimalSeparator().
TDecSeparators DecSeparatorsOf(TDecPSep DecPSep);

struct TFloatSyntax {
  TDecSeparators Separators;
  bool AllowExp = true;   // "E" or "e", an optional sign and digits
  bool AllowSign = true;  // a "+" or "-" before the digits
};

// Blanks, then the number: an optional sign, digits with at most one
// separator (".5" and "5." count; "." alone does not), and an exponent. An
// "E" without digits ends the number before the "E". False when there is
// no digit, or when a second separator follows the fraction ("1.2.3").
// Beyond the double range Value is +-the largest double (Overflow set);
// below it, 0. The result is the correctly rounded double of the text.
bool ScanDoubleAt(std::string_view S, std::size_t Start, const TFloatSyntax& Syntax,
                  double& Value, TNumScan& Scan);

}  // namespace nuv
