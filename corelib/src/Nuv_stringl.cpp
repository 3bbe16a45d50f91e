// Number text: strff and the formatters built on it.
#include "nuv/Nuv_stringl.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "corelib_units.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace {

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// A number text composed on the stack. One slot in front of the text is
// kept free so that a sign can be prefixed without moving the digits.
class TNumText {
 public:
  // strff's text.
  void Strff(long double x, int32_t fieldWidth, int32_t decimals);
  void Fixed(long double x, int32_t width, int32_t decimals) {
    len_ = FormatFixedTo(Text(), kCap, x, width, decimals);
  }
  void Scientific(long double x, int32_t width) {
    len_ = FormatScientificTo(Text(), kCap, x, width);
  }
  void ForcePlus();
  std::string Str() const { return std::string(buf_ + first_, len_); }

 private:
  static constexpr std::size_t kCap = kMaxNumberTextLength;
  char* Text() {
    first_ = 1;
    return buf_ + 1;
  }
  void ZeroPad();

  char buf_[kCap + 1];
  std::size_t first_ = 1;
  std::size_t len_ = 0;
};

void TNumText::Strff(long double x, int32_t fieldWidth, int32_t decimals) {
  const int64_t w = std::min<int64_t>(std::abs(static_cast<int64_t>(fieldWidth)), kMaxFieldWidth);
  if (!std::isfinite(x)) {
    Fixed(x, static_cast<int32_t>(w), 0);
    return;
  }
  if (decimals == -2) {
    Scientific(x, static_cast<int32_t>(w + 2));
    // The text ends in "E", sign and four exponent digits; the first two go.
    char* p = Text();
    const bool twoDigitExponent = p[len_ - 4] == '0' && p[len_ - 3] == '0';
    std::memmove(p + len_ - 4, p + len_ - 2, 2);
    len_ -= 2;
    if (!twoDigitExponent) std::memset(p, '*', len_);
  } else if (decimals >= 0) {
    Fixed(x, static_cast<int32_t>(w), decimals);
  } else {
    Scientific(x, static_cast<int32_t>(w));
  }
  if (fieldWidth < 0) ZeroPad();
}

void TNumText::ZeroPad() {
  char* p = buf_ + first_;
  std::size_t i = 0;
  for (; i < len_ && p[i] == ' '; ++i) p[i] = '0';
  if (i < len_ && p[i] == '-') {
    p[i] = '0';
    p[0] = '-';
  }
}

void TNumText::ForcePlus() {
  char* p = buf_ + first_;
  std::size_t blanks = 0;
  while (blanks < len_ && p[blanks] == ' ') ++blanks;
  if (blanks > 0) {
    p[blanks - 1] = '+';
  } else if (len_ >= 2 && p[0] == '0' && p[1] != '.') {
    p[0] = '+';
  } else {
    --first_;
    buf_[first_] = '+';
    ++len_;
  }
}

// Fixed-column limits of FormatData by decimals: the largest magnitude
// whose text fits, and the smallest one that still shows a digit.
constexpr double kDataUpper[9] = {999999999,  9999999.9,  999999.99,  99999.999, 9999.9999,
                                  999.99999,  99.999999,  9.9999999,  0.99999999};
constexpr double kDataLower[9] = {1, 0.1, 0.01, 0.001, 0.0001, 0.00001, 0.000001, 0.0000001,
                                  0.00000001};

// Digit i of a decimal image (0 beyond its digits).
int ImageDigit(const TDecimalImage& im, int64_t i) {
  return (i >= 0 && i < im.Count) ? im.Digits[i] - '0' : 0;
}

void AppendTwoDigits(std::string& s, int v) {
  s += static_cast<char>('0' + v / 10);
  s += static_cast<char>('0' + v % 10);
}

// Hours in at least two characters, padded with `pad`; larger counts in full.
void AppendHours(std::string& s, double hours, char pad) {
  if (hours < 100) {
    const int h = static_cast<int>(hours);
    s += h < 10 ? pad : static_cast<char>('0' + h / 10);
    s += static_cast<char>('0' + h % 10);
  } else {
    s += FormatFixed(hours, 0, 0);
  }
}

}  // namespace

std::string strff(long double X, int32_t FieldWidth, int32_t Decimals) {
  TNumText t;
  t.Strff(X, FieldWidth, Decimals);
  return t.Str();
}

std::string strffForcePlus(long double X, int32_t FieldWidth, int32_t Decimals) {
  TNumText t;
  t.Strff(X, FieldWidth, Decimals);
  if (X >= 0) t.ForcePlus();
  return t.Str();
}

std::string FormatData(double X, int32_t FieldWidth, int32_t Decimals) {
  TNumText t;
  const double a = std::fabs(X);
  const bool fixed = X == 0 || (Decimals >= 0 && Decimals <= 8 && a <= kDataUpper[Decimals] &&
                                a >= kDataLower[Decimals]);
  if (fixed) {
    t.Fixed(X, FieldWidth, Decimals);
  } else {
    t.Strff(X, ClampToInt32(int64_t{FieldWidth} + 6), -2);
  }
  return t.Str();
}

std::string SigDigStr(double X, int32_t FieldWidth, int32_t SigDigits) {
  TNumText t;
  TDecimalImage im;
  if (!ShortestDecimalImage(X, im)) {
    t.Fixed(X, FieldWidth, 0);
  } else if (X == 0) {
    if (SigDigits >= 1) {
      t.Fixed(0, FieldWidth, SigDigits - 1);
    } else {
      t.Scientific(0, FieldWidth);
    }
  } else {
    // The image's exponent is floor(log10 |X|) + 1 without the rounding
    // error of a logarithm, so 1000 has four integer digits.
    const int64_t d = im.Exponent;
    const int64_t fw = FieldWidth;
    const int64_t sig = SigDigits;
    const int32_t we = ClampToInt32(std::max(fw, sig + 6));
    const bool exponential = sig < d ? d > fw - 1 : d < sig - fw + 3;
    if (exponential) {
      t.Strff(X, we, -2);
    } else {
      t.Fixed(X, FieldWidth, sig < d ? 0 : ClampToInt32(sig - d));
    }
  }
  return t.Str();
}

std::string SigDigStr(double X, int32_t FieldWidth, int32_t SigDigits, bool Strip) {
  std::string s = SigDigStr(X, FieldWidth, SigDigits);
  return Strip ? StripLTBlanks(s) : s;
}

std::string TimeString(double Secs, uint8_t Format) {
  if (!(Secs > 0)) Secs = 0;
  double hours = Secs;  // infinite stays infinite, shown as "INF"
  int minutes = 0, seconds = 0, hundredths = 0;
  if (std::isfinite(Secs)) {
    // The whole seconds are split exactly (fmod is exact); the hundredths
    // are cut from the decimal image, since frac(0.29) * 100 is 28.999...
    const double whole = std::floor(Secs);
    const double rest = std::fmod(whole, 3600.0);
    hours = std::floor((whole - rest) / 3600.0);
    const int r = static_cast<int>(rest);
    minutes = r / 60;
    seconds = r % 60;
    TDecimalImage im;
    ShortestDecimalImage(Secs, im);
    hundredths = 10 * ImageDigit(im, im.Exponent) + ImageDigit(im, int64_t{im.Exponent} + 1);
  }
  std::string s;
  switch (Format) {
    case 0:
    case 1:
    case 4:
      AppendHours(s, hours, '0');
      s += ':';
      AppendTwoDigits(s, minutes);
      if (Format == 4) break;
      s += ':';
      AppendTwoDigits(s, seconds);
      if (Format == 0) {
        s += '.';
        AppendTwoDigits(s, hundredths);
      }
      break;
    case 2:
    case 3:
      AppendHours(s, hours, ' ');
      s += 'h';
      AppendTwoDigits(s, minutes);
      if (Format == 3) {
        s += '\'';
        AppendTwoDigits(s, seconds);
        s += '"';
      }
      break;
    case 5: {
      const double clock = hours == 0 ? 12 : (hours >= 13 ? hours - 12 : hours);
      AppendHours(s, clock, ' ');
      s += ':';
      AppendTwoDigits(s, minutes);
      s += hours < 12 ? 'a' : 'p';
      break;
    }
    default:
      break;
  }
  return s;
}

std::string BoolToStr(bool B, int32_t Mode) {
  switch (Mode) {
    case 1: return B ? "T" : "F";
    case 2: return B ? ".T." : ".F.";
    case 3: return B ? "1" : "0";
    case 4: return B ? "-1" : "0";
    case 5: return B ? "FF" : "00";
    default: return B ? "TRUE" : "FALSE";
  }
}

std::string BinString(bool B, std::string_view TrueText, std::string_view FalseText) {
  return std::string(B ? TrueText : FalseText);
}

}  // namespace nuv

namespace nuv::units {

void Nuv_stringl_Init() {}
void Nuv_stringl_Finalize() {}

}  // namespace nuv::units
