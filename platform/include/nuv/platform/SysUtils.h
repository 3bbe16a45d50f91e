// The runtime's exception family and its number text.
//
// Exceptions: `Exception` is the root of every error the library raises; it
// is a std::exception whose message is Windows-1252 text. File errors are
// `EInOutError` with the classic numeric codes (2 file not found, 3 path not
// found, 5 access denied, 100 read past end of file, 101 disk full or write
// failure, 103 file not open, 106 invalid numeric input).
//
// Number text: the fixed form F(X, W, D) and the scientific form E(X, W)
// that every formatter of the library builds on. Both round the value's
// shortest round-trip decimal image (the digits std::to_chars gives without
// a precision) at the requested digit, halves away from zero, so that the
// text matches the number as a person typed it: 0.125 with two decimals is
// "0.13" and 2.5 with none is "3". A long double that holds a double exactly
// is imaged as that double. Neither form depends on the C locale.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace nuv {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Raised by conversions of text to numbers and by failed persistent
// assignments.
class EConvertError : public Exception {
  using Exception::Exception;
};

// Floating-point failures raised explicitly by library code (the hardware
// traps stay masked, so plain arithmetic gives IEEE results instead).
class EMathError : public Exception {
  using Exception::Exception;
};
class EInvalidOp : public EMathError {
  using EMathError::EMathError;
};
class EZeroDivide : public EMathError {
  using EMathError::EMathError;
};
class EOverflow : public EMathError {
  using EMathError::EMathError;
};
class EUnderflow : public EMathError {
  using EMathError::EMathError;
};

// Integer failures: a result outside its type, a division by zero.
class EIntError : public Exception {
  using Exception::Exception;
};
class EDivByZero : public EIntError {
  using EIntError::EIntError;
};
class ERangeError : public EIntError {
  using EIntError::EIntError;
};
class EIntOverflow : public EIntError {
  using EIntError::EIntError;
};

class EOutOfMemory : public Exception {
  using Exception::Exception;
};

// File input/output failure; ErrorCode is one of the codes listed above or
// another errno-derived code.
class EInOutError : public Exception {
 public:
  EInOutError(int32_t errorCode, std::string message)
      : Exception(std::move(message)), error_code_(errorCode) {}
  explicit EInOutError(int32_t errorCode);
  int32_t ErrorCode() const noexcept { return error_code_; }

 private:
  int32_t error_code_;
};

// I/O error codes.
enum : int32_t {
  ioFileNotFound = 2,
  ioPathNotFound = 3,
  ioAccessDenied = 5,
  ioReadPastEof = 100,
  ioDiskFull = 101,
  ioFileNotAssigned = 102,
  ioFileNotOpen = 103,
  ioFileNotOpenForInput = 104,
  ioFileNotOpenForOutput = 105,
  ioInvalidInput = 106,
};

// The text of an I/O error code ("File not found" ...).
std::string InOutErrorText(int32_t errorCode);
// Maps an errno value to the I/O error code of the same meaning.
int32_t InOutCodeFromErrno(int errnoValue);
// Raises EInOutError for errno, naming the file when one is given.
[[noreturn]] void RaiseInOutErrorFromErrno(int errnoValue, std::string_view fileName = {});

// ---------------------------------------------------------------------------
// Number text

// Limits that keep a caller's mistake from allocating gigabytes: widths and
// decimals beyond these are clamped.
inline constexpr int32_t kMaxFieldWidth = 8192;
inline constexpr int32_t kMaxDecimals = 4950;

// Longest text FormatFixedTo/FormatScientificTo can produce.
inline constexpr std::size_t kMaxNumberTextLength = kMaxFieldWidth + 4960 + 8;

// F(X, W, D): X rounded to D decimals (D < 0 counts as 0), "-" only for a
// negative result, "." as separator, right-justified in W characters and
// never truncated. NaN and infinities give "NAN", "INF", "-INF".
std::string FormatFixed(long double x, int32_t width, int32_t decimals);
// E(X, W): sign position (blank or "-"), one digit, ".", max(W - 9, 1)
// decimals, "E", exponent sign and four exponent digits.
std::string FormatScientific(long double x, int32_t width);

// Allocation-free forms for writers of long number columns: write into buf
// (capacity cap; kMaxNumberTextLength is always enough) and return the
// length of the whole text, which is never above kMaxNumberTextLength. As
// with snprintf, a result above cap means that only the first cap
// characters were written. No terminating zero is written.
std::size_t FormatFixedTo(char* buf, std::size_t cap, long double x, int32_t width,
                          int32_t decimals);
std::size_t FormatScientificTo(char* buf, std::size_t cap, long double x, int32_t width);

// The shortest round-trip decimal image of a finite value:
// |x| = 0.Digits × 10^Exponent, no leading zero digit; zero has Count 0.
struct TDecimalImage {
  char Digits[40];
  int Count;
  int Exponent;
  bool Negative;
};
// False for NaN and infinities.
bool ShortestDecimalImage(long double x, TDecimalImage& image);

// Shortest text that reads back as the same double ("0.1", "1e+300").
std::string FloatToStr(double x);

// ---------------------------------------------------------------------------
// Text to numbers (locale-independent)

// The decimal separator that the runtime's locale-aware conversions accept
// besides "." (default "."). Library formats never use it.
char DecimalSeparator();
void SetDecimalSeparator(char separator);

// Val semantics: leading blanks are skipped, then an optional sign and the
// number ("$" introduces hexadecimal for integers). code is 0 on success,
// otherwise the 1-based position of the first offending character (the
// length plus one for an empty or cut-off text).
void Val(std::string_view s, int64_t& value, int32_t& code);
void Val(std::string_view s, int32_t& value, int32_t& code);
void Val(std::string_view s, double& value, int32_t& code);
void Val(std::string_view s, long double& value, int32_t& code);

// Raise EConvertError "'<s>' is not a valid integer value" /
// "'<s>' is not a valid floating point value"; blanks around the number are
// allowed.
int32_t StrToInt(std::string_view s);
int64_t StrToInt64(std::string_view s);
double StrToFloat(std::string_view s);
bool TryStrToInt(std::string_view s, int32_t& value);
bool TryStrToFloat(std::string_view s, double& value);
std::string IntToStr(int64_t value);
// Upper-case hexadecimal, zero-padded to at least `digits` characters.
std::string IntToHex(uint64_t value, int32_t digits);

// ---------------------------------------------------------------------------
// Rounding to integers

// Round half to even, as the runtime's Round does. Values outside the
// int64 range (and NaN) raise EInvalidOp instead of invoking undefined
// behaviour.
int64_t Round(long double x);
// Toward zero; same range check.
int64_t Trunc(long double x);
// Round/Trunc checked against the int32 range.
int32_t Round32(long double x);
int32_t Trunc32(long double x);
// Fractional and integral part, keeping the sign.
long double Frac(long double x);
long double Int(long double x);

}  // namespace nuv
