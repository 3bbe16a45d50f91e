// Scalar mathematics and number text: nice step values, angles, bits,
// factorials, primes, fractions, polynomials, random generators, array
// sorting and the number formats of engineering notation, Roman numerals and
// hexadecimal float images.
//
// Everything here is a free function. The only state is that of the random
// generators (the seed triple of LongRand, the cached deviate of GRandom) and
// the shared progress counter that the sorts advance; none of it is locked.
// Errors are ENUVMath1Error unless a function says otherwise; the logarithm
// and tangent helpers raise the runtime's math errors (EMathError family).
//
// Note that this unit declares nuv::sinh, nuv::cosh, nuv::Min and nuv::Max:
// code inside namespace nuv that wants the long double overloads of the
// standard library must qualify them with std::.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVMath1Error : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

// ---------------------------------------------------------------------------
// Numeric helpers

// a when b > a, else b (so Min(x, NaN) is NaN).
double Min(double a, double b);
// b when b >= a, else a.
double Max(double a, double b);
// 1 for x >= 0 (zero included), -1 otherwise.
int32_t Signum(double x);
// Smallest integer >= x; largest integer <= x. Values outside the 32-bit
// range (and NaN) raise EInvalidOp.
int32_t IntPos(double x);
int32_t IntNeg(double x);
// True when value lies in the closed interval between the two bounds,
// whichever is larger.
bool WithinBounds(double value, double bound1, double bound2);
double EuclideanDistance(double x1, double y1, double x2, double y2);
// Distance in pixels of the point (X, Y) from the rectangle (screen
// coordinates, y downwards): 0 inside, the distance to the nearest edge
// beside it, else to the nearest corner. Saturates at the int32 range.
int32_t DistFromRect(int32_t X, int32_t Y, int32_t Left, int32_t Top, int32_t Right,
                     int32_t Bottom);
// Bilinear interpolation in the unit square: z00 at (0,0), z01 at (0,1),
// z10 at (1,0), z11 at (1,1); (rx, ry) the relative position.
double InterpolZofXYRect(double z00, double z01, double z10, double z11, double rx, double ry);
// Angle of (dx, dy) against the positive x axis in radians, in [0, 2pi];
// (0, 0) gives 3pi/2.
double AngleToXAxis(double dx, double dy);
// Folds an angle into [-pi, pi] resp. [-180, 180] by an exact remainder
// (so 1e18 degrees gives -80), against 2pi in extended precision.
double CanonicalAngleRadians(double angle);
double CanonicalAngleDegrees(double angle);
// Sum of Coeffs[i] * x^i for i = 0..Order. Order < 0 or beyond the last
// coefficient raises "Polynomial: invalid order of polynomial".
double Polynomial(std::span<const double> Coeffs, int32_t Order, double x);
// n! in extended precision for 0 <= n <= 1000; raises "Factorial: negative
// argument" or "Factorial: argument too big" otherwise.
long double Factorial(int32_t n);
// True when no integer from 2 to sqrt(|n|) divides n; so 0, 1 and -1 count
// as prime and negative numbers are judged by their absolute value.
bool IsPrime(int64_t n);
// Divides numerator and denominator by their greatest common divisor;
// signs stay where they are, a zero numerator or denominator is left alone.
void CancelFraction(int32_t& Numerator, int32_t& Denominator);
// Logarithms to base 10 and 2. x = 0 raises EZeroDivide, x < 0 or NaN
// EInvalidOp, both with "logarithm: invalid argument".
double lg(double x);
double ld(double x);
double sinh(double x);
double cosh(double x);
double tgh(double x);
// sin/cos resp. cos/sin; a zero denominator raises EOverflow "tangens
// overflow" resp. "cotangens overflow".
double tg(double x);
double cot(double x);
// True for a power of two, and for zero.
bool CheckPowerOfTwo(uint32_t x);

// Rounding to the 1-2-5 sequence (…, 0.1, 0.2, 0.5, 1, 2, 5, 10, …): to the
// nearest step, towards plus infinity, towards minus infinity. The mantissa
// is taken from the decimal digits of x, so 0.15 counts as 1.5 × 10^-1.
double Round125(double x);
double RoundPos125(double x);
double RoundNeg125(double x);
// Tick spacing of an axis from Low to High with about NrIntervals
// intervals: the first tick at or after Low, the signed Step (1, 2 or 5
// times a power of ten) and the number of minor intervals per step.
// NrIntervals = 0 asks for unit steps from Int(Low); a negative count is
// taken by its magnitude.
void CalcScalePars(int32_t NrIntervals, long double Low, long double High, long double& FirstTick,
                   long double& Step, uint16_t& SubTicks);
// Rounds a degree/minute/second step to the nice values 1, 2, 3, 5, 10, 15,
// 20, 30, 60 (90, 180, 360 for degrees), up or down.
void RoundDegrees(int32_t& Degrees, int32_t& Minutes, int32_t& Seconds, bool RoundUp);
// Converts an angle between degree notations. The sign lives in Degrees
// (use -0.0 for angles between -1° and 0°); minutes and seconds are the
// magnitudes. Minutes or seconds outside [0, 60] raise ENUVMath1Error.
void ConvertDegrees(double& Degrees, double& Minutes, double& Seconds, TDegreeFormat SourceFormat,
                    TDegreeFormat TargetFormat);

// ---------------------------------------------------------------------------
// Bits and byte order

double ConvertEndian(double x);
float ConvertEndian(float x);
uint16_t ConvertEndian(uint16_t x);
int32_t ConvertEndian(int32_t x);
// The byte with its bits in reverse order.
uint8_t BitReversal(uint8_t b);
int32_t CountBits(uint8_t b);
// 1 shl i for 0 <= i <= 7 (resp. 31), else 0.
uint8_t DecodeBit(int32_t i);
int32_t DecodeLong(int32_t i);
// Index of the lowest set bit; 0 gives 31.
int32_t EncodeLong(int32_t x);
// Binary-reflected Gray code.
uint16_t GrayCode(uint16_t x);

// ---------------------------------------------------------------------------
// Random numbers (all but LongRand draw from the runtime's Random)

// True with probability p (always for p >= 1, never for p <= 0 or NaN).
bool BRandom(double p);
// Cauchy deviate.
double CRandom(double Location, double Scale);
// Standard normal deviate (polar method; every second call returns the
// deviate cached by the previous one).
double GRandom();
// Uniform in [0, 1) from the unit's own combined generator, independent of
// the runtime's. A non-zero Seed restarts it; 0 continues the sequence.
double LongRand(int32_t Seed);

// ---------------------------------------------------------------------------
// Sorting and sorted insertion
//
// The sorts are comb sorts (shrink factor 1.3, ending with a clean gap-1
// pass); each pass adds one to ProcStat through IncProcStat(). Ties keep no
// particular order. The untyped forms take the element kind: rnum and dnum
// are doubles, snum floats, inum and lnum 32-bit integers; other kinds
// leave the array unchanged.

void SortArray(std::span<double> Data, bool Ascending);
void SortArray(std::span<int32_t> Data, bool Ascending);
void SortArray(std::span<float> Data, bool Ascending);
void SortArray(void* Data, int32_t NrElems, TVarKind Kind, bool Ascending);

// Inserts Value into the sorted Data at its place, keeping the length (the
// last element falls out). Returns the 0-based position, or -1 when the
// value was not taken: it lies beyond the last element, duplicates are not
// allowed and it is already there, or Data is empty.
int32_t SortIntoArray(std::span<double> Data, double Value, bool Ascending, bool DupsAllowed);
int32_t SortIntoArray(std::span<float> Data, float Value, bool Ascending, bool DupsAllowed);
int32_t SortIntoArray(std::span<int32_t> Data, int32_t Value, bool Ascending, bool DupsAllowed);
// Untyped form: Value points to one element of the kind; returns the
// 1-based position or 0.
int32_t SortIntoArray(void* Data, int32_t NrElems, TVarKind Kind, const void* Value, bool Ascending,
                      bool DupsAllowed);

// Stores Value at the 0-based position, moving the elements from there up
// by one (the last is lost). Positions outside the array do nothing.
void InsertIntoArray(std::span<double> Data, double Value, int32_t Position);
void InsertIntoArray(std::span<float> Data, float Value, int32_t Position);
void InsertIntoArray(std::span<int32_t> Data, int32_t Value, int32_t Position);
// Untyped form with a 1-based position.
void InsertIntoArray(void* Data, int32_t NrElems, TVarKind Kind, const void* Value,
                     int32_t Position);

// ---------------------------------------------------------------------------
// Number and angle text

// Engineering notation with a prefix letter (a f p n u m k M G T):
// EEngStr(4700, 3) = "4.70k". Precision is clamped to [-9, 9]; |Precision|
// >= 2 gives that many significant digits; a negative precision puts the
// letter in place of the decimal point (EEngStr(4700, -2) = "4k7").
std::string EEngStr(double x, int32_t Precision);
// Fixed text of x in FieldWidth characters: Decimals >= 0 fixed point,
// -2 scientific with a two-digit exponent (all "*" when it needs more),
// other negative values the runtime's scientific form.
std::string strf(double x, int32_t FieldWidth, int32_t Decimals);
// " 0.12345E+03": the mantissa in [0.1, 1) with Digits digits (2..15),
// left-padded to Width (8..40). Exponents beyond two digits are written in
// full.
std::string MakeEFormat(double x, int32_t Width, int32_t Digits);
// Exactly Digits (0 counts as 1) lowest decimal digits of |Value| with
// leading zeros, "-" in front for negative values.
std::string Decimal(int32_t Value, uint8_t Digits);
// The lowest Digits digits of Value read as 32 unsigned bits; Digits 0
// counts as 1 and is clamped to 8, 11 resp. 32.
std::string Hex(int32_t Value, uint8_t Digits);
std::string Octal(int32_t Value, uint8_t Digits);
std::string Bin(int32_t Value, uint8_t Digits);
// Roman numeral of 1..29999 (thousands as repeated "M"); empty otherwise.
std::string Roman(int32_t Value);
// The bytes of the IEEE value, most significant first, as 16, 20 or 8
// upper-case hex digits.
std::string FPNumToHex(double x);
std::string FPNumToHex(long double x);
std::string FPNumToHex(float x);
// Inverses of FPNumToHex: exactly 16, 20 resp. 8 hex digits of either case,
// else ENUVError "HexToDouble: invalid hex string \"<text>\"" (and
// likewise).
double HexToDouble(const std::string& Text);
long double HexToExtended(const std::string& Text);
float HexToSingle(const std::string& Text);
// The angle as decimal degrees, degrees and minutes or degrees, minutes and
// seconds with Decimals (0..8) decimals of the last part and the degree
// sign (byte 0xB0): DegreeToStr(12.5, dfDegMin, 1) = "12\xB0 30.0'".
std::string DegreeToStr(double Angle, TDegreeFormat Format, int32_t Decimals);
// The integer of Text, or Default when Text is empty or no integer.
int32_t StrToIntDefault(const std::string& Text, int32_t Default);

// Scanners. Each starts at the 1-based position CurPos, skips blanks and
// tabs, reads the longest number there and sets CurPos after it. When no
// number is found the result is 0 and CurPos is left unchanged, so a caller
// can tell. Values beyond the 32-bit range saturate (at the int32 limits for
// decimals, at all bits set for the other bases).
//
// ScanHex accepts an optional "$", "#" or "0x" prefix; ScanDecimal an
// optional sign.
int32_t ScanHex(const std::string& Instring, int32_t& CurPos);
int32_t ScanOctal(const std::string& Instring, int32_t& CurPos);
int32_t ScanBin(const std::string& Instring, int32_t& CurPos);
int32_t ScanDecimal(const std::string& Instring, int32_t& CurPos);
// A floating-point number: optional sign, digits with an optional decimal
// separator and, when AllowExp, an exponent ("E" or "e", optional sign,
// digits). DecPSep selects the separator: 1 ".", 2 ",", 3 both, anything
// else none. Values beyond the double range are clamped to ±max double.
double ScanFPNum(const std::string& Instring, bool AllowExp, int32_t DecPSep, int32_t& CurPos);
// An angle in one of the notations DegreeToStr writes ("12.5°",
// "-12° 30.5'", "12° 30' 15.2\"") or as "12:30" / "12:30:15.2" or a plain
// number, in decimal degrees. AcceptComma also takes "," as the decimal
// separator. Format receives the notation found (a TDegreeFormat value), or
// -1 when no angle was found.
double ScanDegrees(const std::string& Instring, int32_t& CurPos, bool AcceptComma, int32_t& Format);

// A date and time read by the mask: "yyyy" a four-digit year, "yy" a
// two-digit one (00..49 in this century, 50..99 in the last), "mm", "dd",
// "HH", "MM", "SS" two-digit month, day, hour, minute and second (one
// letter: one or two digits), "zzz" milliseconds, "mmm"/"mmmm" the short
// or long month name in Language (any case); a blank skips blanks, any other
// character must be there as written. A mask with a month or day needs a
// year; a missing month or day counts as 1, a missing time as 00:00.
// Malformed text or an invalid date gives 0 and leaves CurPos unchanged.
double ScanDateTime(const std::string& Instring, const std::string& FormatMask, TLanguage Language,
                    int32_t& CurPos);

// Validators: the whole text, blanks around it allowed, is one number of
// the kind. IsValidDouble also asks that the value lies within the double
// range; AllowExp admits an exponent. dsSystem means the runtime's
// DecimalSeparator().
bool IsValidDouble(const std::string& Instring, bool AllowExp, TDecPSep DecPSep);
bool IsValidFPNum(const std::string& Instring, TDecPSep DecPSep);
bool IsValidHex(const std::string& Instring);
bool IsValidOct(const std::string& Instring);
bool IsValidBin(const std::string& Instring);
bool IsValidDecInt(const std::string& Instring);

// ---------------------------------------------------------------------------
// Swaps

inline void ExChange(int32_t& a, int32_t& b) { std::swap(a, b); }
inline void ExChange(uint8_t& a, uint8_t& b) { std::swap(a, b); }
inline void ExChange(float& a, float& b) { std::swap(a, b); }
inline void ExChange(double& a, double& b) { std::swap(a, b); }
inline void ExChange(long double& a, long double& b) { std::swap(a, b); }
inline void ExChange(std::string& a, std::string& b) { a.swap(b); }
inline void ExChange(bool& a, bool& b) { std::swap(a, b); }
inline void ExChange(char& a, char& b) { std::swap(a, b); }
inline void ExChange(uint16_t& a, uint16_t& b) { std::swap(a, b); }
inline void ExChange(int8_t& a, int8_t& b) { std::swap(a, b); }
inline void ExChange(uint32_t& a, uint32_t& b) { std::swap(a, b); }
inline void ExChange(int64_t& a, int64_t& b) { std::swap(a, b); }
// Swaps Size bytes one by one.
void ExChange(void* a, void* b, uint16_t Size);

}  // namespace nuv
