#include "nuv/platform/SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "nuv/platform/CodePage.h"

namespace nuv {

// ---------------------------------------------------------------------------
// I/O errors

std::string InOutErrorText(int32_t errorCode) {
  switch (errorCode) {
    case ioFileNotFound: return "File not found";
    case ioPathNotFound: return "Path not found";
    case 4: return "Too many open files";
    case ioAccessDenied: return "Access denied";
    case ioReadPastEof: return "Read beyond end of file";
    case ioDiskFull: return "Disk full";
    case ioFileNotAssigned: return "File not assigned";
    case ioFileNotOpen: return "File not open";
    case ioFileNotOpenForInput: return "File not open for input";
    case ioFileNotOpenForOutput: return "File not open for output";
    case ioInvalidInput: return "Invalid numeric input";
    default: return "I/O error " + std::to_string(errorCode);
  }
}

EInOutError::EInOutError(int32_t errorCode)
    : Exception(InOutErrorText(errorCode)), error_code_(errorCode) {}

int32_t InOutCodeFromErrno(int errnoValue) {
  switch (errnoValue) {
    case ENOENT: return ioFileNotFound;
    case ENOTDIR: return ioPathNotFound;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ioAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ioDiskFull;
    default: return errnoValue > 0 ? 1000 + errnoValue : 1000;
  }
}

void RaiseInOutErrorFromErrno(int errnoValue, std::string_view fileName) {
  const int32_t code = InOutCodeFromErrno(errnoValue);
  std::string msg = InOutErrorText(code);
  if (code >= 1000) msg = std::strerror(errnoValue);
  if (!fileName.empty()) msg += " (" + std::string(fileName) + ")";
  throw EInOutError(code, msg);
}

// ---------------------------------------------------------------------------
// Decimal images

namespace {

// Digits and exponent from to_chars' scientific text "d.ddde±x".
void ParseScientific(const char* first, const char* last, TDecimalImage& image) {
  image.Count = 0;
  const char* p = first;
  if (*p == '-') ++p;
  for (; p < last && *p != 'e'; ++p) {
    if (*p != '.') image.Digits[image.Count++] = *p;
  }
  int exp10 = 0;
  std::from_chars(p + 1 + (p[1] == '+'), last, exp10);
  while (image.Count > 1 && image.Digits[image.Count - 1] == '0') --image.Count;
  image.Exponent = exp10 + 1;
}

// Rounds the image in place to `keep` digits (keep may be ≤ 0), halves
// away from zero. The image may become zero (Count 0).
void RoundImage(TDecimalImage& im, int keep) {
  if (keep >= im.Count) return;
  if (keep < 0) {
    im.Count = 0;
    return;
  }
  const bool up = im.Digits[keep] >= '5';
  im.Count = keep;
  if (!up) {
    while (im.Count > 0 && im.Digits[im.Count - 1] == '0') --im.Count;
    return;
  }
  int i = keep - 1;
  while (i >= 0 && im.Digits[i] == '9') --i;
  if (i < 0) {
    im.Digits[0] = '1';
    im.Count = 1;
    ++im.Exponent;
    return;
  }
  ++im.Digits[i];
  im.Count = i + 1;
}

int ClampInt(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Copies text right-justified into a field of `width`, as much of it as
// fits in cap, and returns the length of the whole field.
std::size_t Justify(char* buf, std::size_t cap, const char* text, std::size_t len, int width) {
  const std::size_t pad = width > 0 && static_cast<std::size_t>(width) > len ? width - len : 0;
  const std::size_t padWritten = std::min(pad, cap);
  std::memset(buf, ' ', padWritten);
  std::memmove(buf + padWritten, text, std::min(len, cap - padWritten));
  return pad + len;
}

std::size_t NonFiniteText(char* buf, std::size_t cap, long double x, int width) {
  const char* text = std::isnan(x) ? "NAN" : (x < 0 ? "-INF" : "INF");
  return Justify(buf, cap, text, std::strlen(text), width);
}

}  // namespace

bool ShortestDecimalImage(long double x, TDecimalImage& image) {
  image.Negative = std::signbit(x);
  image.Count = 0;
  image.Exponent = 0;
  if (!std::isfinite(x)) return false;
  if (x == 0) return true;
  char text[64];
  std::to_chars_result r;
  const double asDouble = static_cast<double>(x);
  if (static_cast<long double>(asDouble) == x) {
    r = std::to_chars(text, text + sizeof text, asDouble, std::chars_format::scientific);
  } else {
    r = std::to_chars(text, text + sizeof text, x, std::chars_format::scientific);
  }
  ParseScientific(text, r.ptr, image);
  return true;
}

std::size_t FormatFixedTo(char* buf, std::size_t cap, long double x, int32_t width,
                          int32_t decimals) {
  const int w = ClampInt(width, 0, kMaxFieldWidth);
  const int d = ClampInt(decimals, 0, kMaxDecimals);
  TDecimalImage im;
  if (!ShortestDecimalImage(x, im)) return NonFiniteText(buf, cap, x, w);
  RoundImage(im, im.Exponent + d);

  // Text is composed at the end of a local buffer large enough for any
  // finite long double, then justified into the caller's buffer.
  static thread_local char text[kMaxNumberTextLength];
  char* p = text;
  if (im.Negative && im.Count > 0) *p++ = '-';
  const int intDigits = im.Exponent > 0 ? im.Exponent : 0;
  if (intDigits == 0) {
    *p++ = '0';
  } else {
    for (int i = 0; i < intDigits; ++i) *p++ = i < im.Count ? im.Digits[i] : '0';
  }
  if (d > 0) {
    *p++ = '.';
    for (int k = 1; k <= d; ++k) {
      const int i = im.Exponent + k - 1;  // digit index of the k-th decimal
      *p++ = (i >= 0 && i < im.Count) ? im.Digits[i] : '0';
    }
  }
  return Justify(buf, cap, text, static_cast<std::size_t>(p - text), w);
}

std::size_t FormatScientificTo(char* buf, std::size_t cap, long double x, int32_t width) {
  const int w = ClampInt(width, 0, kMaxFieldWidth);
  const int decimals = w - 9 > 1 ? w - 9 : 1;
  TDecimalImage im;
  if (!ShortestDecimalImage(x, im)) return NonFiniteText(buf, cap, x, w);
  RoundImage(im, decimals + 1);

  static thread_local char text[kMaxNumberTextLength];
  char* p = text;
  *p++ = (im.Negative && im.Count > 0) ? '-' : ' ';
  *p++ = im.Count > 0 ? im.Digits[0] : '0';
  *p++ = '.';
  for (int i = 1; i <= decimals; ++i) *p++ = i < im.Count ? im.Digits[i] : '0';
  int exp10 = im.Count > 0 ? im.Exponent - 1 : 0;
  *p++ = 'E';
  *p++ = exp10 < 0 ? '-' : '+';
  if (exp10 < 0) exp10 = -exp10;
  for (int div = 1000; div >= 1; div /= 10) *p++ = static_cast<char>('0' + (exp10 / div) % 10);
  return Justify(buf, cap, text, static_cast<std::size_t>(p - text), w);
}

std::string FormatFixed(long double x, int32_t width, int32_t decimals) {
  static thread_local char buf[kMaxNumberTextLength];
  return std::string(buf, FormatFixedTo(buf, sizeof buf, x, width, decimals));
}

std::string FormatScientific(long double x, int32_t width) {
  static thread_local char buf[kMaxNumberTextLength];
  return std::string(buf, FormatScientificTo(buf, sizeof buf, x, width));
}

std::string FloatToStr(double x) {
  char text[64];
  auto r = std::to_chars(text, text + sizeof text, x);
  return std::string(text, r.ptr);
}

// ---------------------------------------------------------------------------
// Text to numbers

namespace {

char g_decimalSeparator = '.';

std::size_t SkipBlanks(std::string_view s, std::size_t i = 0) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return i;
}

std::string_view TrimBlanks(std::string_view s) {
  const std::size_t b = SkipBlanks(s);
  std::size_t e = s.size();
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// Integer Val: sign, decimal digits or "$"/"0x" hexadecimal, overflow is an
// error at the digit that overflows.
void ValInteger(std::string_view s, int64_t& value, int32_t& code, int64_t lo, int64_t hi) {
  value = 0;
  std::size_t i = SkipBlanks(s);
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) {
    code = static_cast<int32_t>(i + 1);
    return;
  }
  uint64_t acc = 0;
  const uint64_t limit = negative ? static_cast<uint64_t>(-(lo + 1)) + 1 : static_cast<uint64_t>(hi);
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else {
      code = static_cast<int32_t>(i + 1);
      return;
    }
    if (acc > (limit - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base)) {
      code = static_cast<int32_t>(i + 1);
      return;
    }
    acc = acc * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  value = negative ? static_cast<int64_t>(0 - acc) : static_cast<int64_t>(acc);
  code = 0;
}

template <class F>
void ValFloat(std::string_view s, F& value, int32_t& code) {
  value = 0;
  const std::size_t start = SkipBlanks(s);
  std::size_t i = start;
  if (i < s.size() && s[i] == '+') {  // from_chars rejects a leading '+'
    ++i;
    if (i < s.size() && s[i] == '-') {
      code = static_cast<int32_t>(i + 1);
      return;
    }
  }
  if (i >= s.size()) {
    code = static_cast<int32_t>(s.size() + 1);
    return;
  }
  F result{};
  const char* first = s.data() + i;
  const char* last = s.data() + s.size();
  auto r = std::from_chars(first, last, result, std::chars_format::general);
  if (r.ec == std::errc::invalid_argument) {
    code = static_cast<int32_t>(i + 1 + (i < s.size() && s[i] == '-'));
    return;
  }
  if (r.ec == std::errc::result_out_of_range) {
    code = static_cast<int32_t>(r.ptr - s.data() + 1);
    return;
  }
  // from_chars accepts "inf" and "nan", Val does not.
  if (!std::isfinite(result)) {
    code = static_cast<int32_t>(i + 1);
    return;
  }
  if (r.ptr != last) {
    code = static_cast<int32_t>(r.ptr - s.data() + 1);
    return;
  }
  value = result;
  code = 0;
}

[[noreturn]] void RaiseNotInteger(std::string_view s) {
  throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

}  // namespace

char DecimalSeparator() { return g_decimalSeparator; }
void SetDecimalSeparator(char separator) { g_decimalSeparator = separator; }

void Val(std::string_view s, int64_t& value, int32_t& code) {
  ValInteger(s, value, code, std::numeric_limits<int64_t>::min(),
             std::numeric_limits<int64_t>::max());
}

void Val(std::string_view s, int32_t& value, int32_t& code) {
  int64_t v = 0;
  ValInteger(s, v, code, std::numeric_limits<int32_t>::min(),
             std::numeric_limits<int32_t>::max());
  value = static_cast<int32_t>(v);
}

void Val(std::string_view s, double& value, int32_t& code) { ValFloat(s, value, code); }
void Val(std::string_view s, long double& value, int32_t& code) { ValFloat(s, value, code); }

int64_t StrToInt64(std::string_view s) {
  int64_t v;
  int32_t code;
  Val(TrimBlanks(s), v, code);
  if (code != 0) RaiseNotInteger(s);
  return v;
}

int32_t StrToInt(std::string_view s) {
  int32_t v;
  if (!TryStrToInt(s, v)) RaiseNotInteger(s);
  return v;
}

bool TryStrToInt(std::string_view s, int32_t& value) {
  int32_t code;
  Val(TrimBlanks(s), value, code);
  return code == 0;
}

bool TryStrToFloat(std::string_view s, double& value) {
  std::string_view t = TrimBlanks(s);
  std::string local;
  if (g_decimalSeparator != '.' && t.find(g_decimalSeparator) != std::string_view::npos) {
    local.assign(t);
    for (char& c : local)
      if (c == g_decimalSeparator) c = '.';
    t = local;
  }
  int32_t code;
  Val(t, value, code);
  return code == 0 && !t.empty();
}

double StrToFloat(std::string_view s) {
  double v;
  if (!TryStrToFloat(s, v))
    throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
  return v;
}

std::string IntToStr(int64_t value) {
  char text[24];
  auto r = std::to_chars(text, text + sizeof text, value);
  return std::string(text, r.ptr);
}

std::string IntToHex(uint64_t value, int32_t digits) {
  char text[17];
  auto r = std::to_chars(text, text + sizeof text, value, 16);
  std::string out(text, r.ptr);
  for (char& c : out) c = UpCase(c);
  const int32_t pad = ClampInt(digits, 0, 64) - static_cast<int32_t>(out.size());
  if (pad > 0) out.insert(0, static_cast<std::size_t>(pad), '0');
  return out;
}

// ---------------------------------------------------------------------------
// Rounding

namespace {

[[noreturn]] void RaiseInvalidOp() { throw EInvalidOp("Invalid floating point operation"); }

template <class I>
I CheckedToInt(long double r) {
  // The bounds are powers of two and exact in long double; written so that
  // NaN fails the test.
  constexpr long double lo = static_cast<long double>(std::numeric_limits<I>::min());
  constexpr long double hi = -lo;
  if (!(r >= lo && r < hi)) RaiseInvalidOp();
  return static_cast<I>(r);
}

}  // namespace

int64_t Round(long double x) { return CheckedToInt<int64_t>(std::nearbyint(x)); }
int64_t Trunc(long double x) { return CheckedToInt<int64_t>(std::trunc(x)); }
int32_t Round32(long double x) { return CheckedToInt<int32_t>(std::nearbyint(x)); }
int32_t Trunc32(long double x) { return CheckedToInt<int32_t>(std::trunc(x)); }
long double Frac(long double x) { return x - std::trunc(x); }
long double Int(long double x) { return std::trunc(x); }

}  // namespace nuv
