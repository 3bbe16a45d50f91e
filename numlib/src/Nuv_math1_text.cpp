// Number and angle text of Nuv_math1: engineering notation, fixed and
// exponent formats, integer digits in several bases, Roman numerals,
// hexadecimal images of floats and degree notation.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "Nuv_math1_parts.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

using math1::DecimalToExtended;
using math1::Pow10Exact;

namespace {

constexpr char kDegreeSign = '\xB0';
constexpr std::array<const char*, 11> kEngPrefix{"a", "f", "p", "n", "u", "m",
                                                 "",  "k", "M", "G", "T"};
constexpr int kMinEngGroup = -6, kMaxEngGroup = 4;

int FloorDiv3(int r) { return r >= 0 ? r / 3 : -((-r + 2) / 3); }

// True when rounding the digits to `keep` significant digits, halves away
// from zero, carries into a new leading digit (9.996 kept to 3 is 10.0).
bool RoundingCarries(const TDecimalImage& im, int keep) {
  if (keep >= im.Count) return false;
  for (int i = 0; i < keep; ++i)
    if (im.Digits[i] != '9') return false;
  return im.Digits[keep] >= '5';
}

}  // namespace

std::string EEngStr(double x, int32_t Precision) {
  const int p = std::clamp(Precision, -9, 9);
  const int e = p > 1 ? p - 1 : (p >= -1 ? 0 : -(-p - 1));
  const int ae = std::abs(e);
  if (x == 0) return FormatFixed(0, 1, ae);
  TDecimalImage im;
  if (!ShortestDecimalImage(x, im)) return FormatFixed(x, 1, 0);

  // The decimal exponent comes from the digits, so that powers of ten are
  // exact, and moves up when rounding carries (999.96 is "1.00k").
  int r = im.Exponent - 1;
  int g = 0, d = 0;
  auto layout = [&] {
    g = std::clamp(FloorDiv3(r), kMinEngGroup, kMaxEngGroup);
    d = std::max(0, ae + 3 * g - r);
  };
  layout();
  if (RoundingCarries(im, r - 3 * g + d + 1)) {
    ++r;
    layout();
  }
  const long double scaled =
      DecimalToExtended(std::string_view(im.Digits, static_cast<std::size_t>(im.Count)),
                        im.Exponent - im.Count - 3 * g);
  std::string text = FormatFixed(scaled, 1, d);
  if (g != 0) {
    const char* letter = kEngPrefix[static_cast<std::size_t>(g - kMinEngGroup)];
    const auto point = text.find('.');
    if (e < 0 && point != std::string::npos)
      text.replace(point, 1, letter);
    else
      text += letter;
  }
  if (im.Negative) text.insert(text.begin(), '-');
  return text;
}

std::string strf(double x, int32_t FieldWidth, int32_t Decimals) {
  const int32_t w = std::clamp(FieldWidth, -kMaxFieldWidth, kMaxFieldWidth);
  if (Decimals >= 0) return FormatFixed(x, w, Decimals);
  if (Decimals != -2) return FormatScientific(x, w);
  std::string text = FormatScientific(x, w + 2);
  const auto ePos = text.rfind('E');
  if (ePos == std::string::npos || ePos + 4 > text.size()) return text;  // NAN, INF
  const bool fits = text[ePos + 2] == '0' && text[ePos + 3] == '0';
  text.erase(ePos + 2, 2);
  if (!fits) std::fill(text.begin(), text.end(), '*');
  return text;
}

std::string MakeEFormat(double x, int32_t Width, int32_t Digits) {
  const int w = std::clamp(Width, 8, 40);
  const int k = std::clamp(Digits, 2, 15);
  if (!std::isfinite(x)) return FormatFixed(x, w, 0);
  // " d.ddddE+xxxx": sign place, k digits, four exponent digits.
  const std::string sci = FormatScientific(x, k + 8);
  const auto ePos = sci.rfind('E');
  int exponent = 0;
  std::from_chars(sci.data() + ePos + 2, sci.data() + sci.size(), exponent);
  if (sci[ePos + 1] == '-') exponent = -exponent;
  if (x != 0) ++exponent;

  std::string text;
  text += x < 0 ? '-' : ' ';
  text += "0.";
  text += sci[1];
  text.append(sci, 3, static_cast<std::size_t>(k - 1));
  text += 'E';
  text += exponent >= 0 ? '+' : '-';
  const int ax = std::abs(exponent);
  if (ax < 10) text += '0';
  text += std::to_string(ax);
  if (text.size() < static_cast<std::size_t>(w)) text.insert(0, w - text.size(), ' ');
  return text;
}

std::string Decimal(int32_t Value, uint8_t Digits) {
  const int n = Digits == 0 ? 1 : Digits;
  uint64_t u = Value < 0 ? 0 - static_cast<uint64_t>(int64_t{Value}) : static_cast<uint64_t>(Value);
  std::string text(static_cast<std::size_t>(n), '0');
  for (int i = n - 1; i >= 0 && u != 0; --i, u /= 10) text[i] = static_cast<char>('0' + u % 10);
  if (Value < 0) text.insert(text.begin(), '-');
  return text;
}

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The lowest n digits (0 counts as 1, at most maxDigits) of the 32 bits of
// value in the base 2^bitsPerDigit.
std::string DigitsOfBits(int32_t value, uint8_t n, int bitsPerDigit, int maxDigits) {
  const int count = std::min(n == 0 ? 1 : static_cast<int>(n), maxDigits);
  const uint64_t bits = static_cast<uint32_t>(value);
  const uint64_t mask = (uint64_t{1} << bitsPerDigit) - 1;
  std::string text(static_cast<std::size_t>(count), '0');
  for (int i = 0; i < count; ++i)
    text[count - 1 - i] = kHexDigits[(bits >> (i * bitsPerDigit)) & mask];
  return text;
}

}  // namespace

std::string Hex(int32_t Value, uint8_t Digits) { return DigitsOfBits(Value, Digits, 4, 8); }
std::string Octal(int32_t Value, uint8_t Digits) { return DigitsOfBits(Value, Digits, 3, 11); }
std::string Bin(int32_t Value, uint8_t Digits) { return DigitsOfBits(Value, Digits, 1, 32); }

std::string Roman(int32_t Value) {
  static constexpr struct {
    int32_t value;
    const char* text;
  } kRoman[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"},
                {90, "XC"},  {50, "L"},   {40, "XL"}, {10, "X"},   {9, "IX"},
                {5, "V"},    {4, "IV"},   {1, "I"}};
  std::string text;
  if (Value <= 0 || Value > 29999) return text;
  for (const auto& r : kRoman)
    for (; Value >= r.value; Value -= r.value) text += r.text;
  return text;
}

// ---------------------------------------------------------------------------
// Hexadecimal images of floats, most significant byte first

namespace {

constexpr std::size_t kExtendedBytes = 10;  // x87 extended: 64-bit mantissa, 16-bit sign/exponent

std::string BytesToHex(const unsigned char* bytes, std::size_t n) {
  std::string text(2 * n, '0');
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char b = bytes[n - 1 - i];
    text[2 * i] = kHexDigits[b >> 4];
    text[2 * i + 1] = kHexDigits[b & 15];
  }
  return text;
}

// Fills bytes (least significant first) from exactly 2n hex digits, or
// raises the invalid-hex-string error of the named function.
void HexToBytes(const std::string& text, unsigned char* bytes, std::size_t n,
                const char* function) {
  auto fail = [&] {
    throw ENUVError(std::string(function) + ": invalid hex string \"" + text + "\"");
  };
  if (text.size() != 2 * n) fail();
  for (std::size_t i = 0; i < n; ++i) {
    const int hi = DigitValue(text[2 * i], 16), lo = DigitValue(text[2 * i + 1], 16);
    if (hi < 0 || lo < 0) fail();
    bytes[n - 1 - i] = static_cast<unsigned char>(hi * 16 + lo);
  }
}

}  // namespace

std::string FPNumToHex(double x) {
  const auto bytes = std::bit_cast<std::array<unsigned char, sizeof x>>(x);
  return BytesToHex(bytes.data(), bytes.size());
}

std::string FPNumToHex(long double x) {
  unsigned char bytes[sizeof x];
  std::memcpy(bytes, &x, sizeof x);
  return BytesToHex(bytes, kExtendedBytes);
}

std::string FPNumToHex(float x) {
  const auto bytes = std::bit_cast<std::array<unsigned char, sizeof x>>(x);
  return BytesToHex(bytes.data(), bytes.size());
}

double HexToDouble(const std::string& Text) {
  std::array<unsigned char, sizeof(double)> bytes;
  HexToBytes(Text, bytes.data(), bytes.size(), "HexToDouble");
  return std::bit_cast<double>(bytes);
}

long double HexToExtended(const std::string& Text) {
  unsigned char bytes[sizeof(long double)] = {};
  HexToBytes(Text, bytes, kExtendedBytes, "HexToExtended");
  long double x;
  std::memcpy(&x, bytes, sizeof x);
  return x;
}

float HexToSingle(const std::string& Text) {
  std::array<unsigned char, sizeof(float)> bytes;
  HexToBytes(Text, bytes.data(), bytes.size(), "HexToSingle");
  return std::bit_cast<float>(bytes);
}

// ---------------------------------------------------------------------------
// Degree notation

std::string DegreeToStr(double Angle, TDegreeFormat Format, int32_t Decimals) {
  const int n = std::clamp(Decimals, 0, 8);
  if (Format == dfNumeric) return FormatFixed(Angle, 1, n);
  if (Format == dfDeg || !std::isfinite(Angle)) return FormatFixed(Angle, 1, n) + kDegreeSign;

  // The angle is counted in whole units of the last part shown (tenths of a
  // minute, say), so that carries from 59.99 minutes into the degrees are
  // exact. The sign is written once, in front, also for angles above -1°.
  const long double scale = Pow10Exact(n);
  const long double partsPerDegree = (Format == dfDegMin ? 60 : 3600) * scale;
  const long double units =
      std::nearbyint(std::fabs(static_cast<long double>(Angle)) * partsPerDegree);
  const long double rest = std::fmod(units, partsPerDegree);
  const long double degrees = (units - rest) / partsPerDegree;

  std::string text;
  if (Angle < 0 && units != 0) text += '-';
  text += FormatFixed(degrees, 1, 0);
  text += kDegreeSign;
  text += ' ';
  if (Format == dfDegMin) {
    text += FormatFixed(rest / scale, n + 3, n);
    text += '\'';
  } else {
    const long double minutes = std::trunc(rest / (60 * scale));
    const long double seconds = (rest - minutes * 60 * scale) / scale;
    text += FormatFixed(minutes, 2, 0);
    text += "' ";
    text += FormatFixed(seconds, n + 3, n);
    text += '"';
  }
  return text;
}

int32_t StrToIntDefault(const std::string& Text, int32_t Default) {
  int32_t v;
  return !Text.empty() && TryStrToInt(Text, v) ? v : Default;
}

}  // namespace nuv
