// Numeric helpers, angles, primes, fractions, bits and the random
// generators of Nuv_math1, with the unit's initialisation.
#include "nuv/Nuv_math1.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

#include "Nuv_math1_parts.h"
#include "numlib_units.h"
#include "nuv/platform/Random.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

using math1::DecimalTimesPow10;
using math1::Pow10Exact;

namespace math1 {

long double Pow10Exact(int k) {
  static constexpr auto kTable = [] {
    std::array<long double, 28> t{};
    long double p = 1;
    for (auto& v : t) {
      v = p;
      p *= 10;
    }
    return t;
  }();
  return kTable[static_cast<std::size_t>(k)];
}

long double DecimalToExtended(std::string_view digits, int32_t exponent) {
  char text[64];
  std::string_view mantissa = digits.substr(0, 40);
  exponent += static_cast<int32_t>(digits.size() - mantissa.size());
  std::memcpy(text, mantissa.data(), mantissa.size());
  text[mantissa.size()] = 'e';
  const auto r = std::to_chars(text + mantissa.size() + 1, text + sizeof text, exponent);
  long double v;
  int32_t code;
  Val(std::string_view(text, static_cast<std::size_t>(r.ptr - text)), v, code);
  if (code == 0) return v;
  const int64_t magnitude = int64_t{exponent} + static_cast<int64_t>(mantissa.size());
  return magnitude > 0 ? std::numeric_limits<long double>::infinity() : 0.0L;
}

long double DecimalTimesPow10(int32_t q, int32_t e) {
  char digits[12];
  const auto r = std::to_chars(digits, digits + sizeof digits, q);
  return DecimalToExtended(std::string_view(digits, static_cast<std::size_t>(r.ptr - digits)), e);
}

double ExtendedToDouble(long double x) {
  constexpr long double kMax = std::numeric_limits<double>::max();
  if (x > kMax) return std::numeric_limits<double>::infinity();
  if (x < -kMax) return -std::numeric_limits<double>::infinity();
  return static_cast<double>(x);
}

}  // namespace math1

namespace {

constexpr long double kPi = 3.1415926535897932385L;
constexpr long double kTwoPi = 6.283185307179586477L;
constexpr long double kLog10Of2 = 0.30102999566398119521L;
constexpr long double kLog10Of5 = 0.69897000433601880479L;

// Degree, minute and second steps that grids look good with.
constexpr std::array<int32_t, 12> kNiceSteps{1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360};

// Checked narrowing for results that were computed in 64 bits.
int32_t ToInt32(int64_t v) { return Round32(static_cast<long double>(v)); }

int32_t SaturateToInt32(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

}  // namespace

// ---------------------------------------------------------------------------
// Numeric helpers

double Min(double a, double b) { return b > a ? a : b; }
double Max(double a, double b) { return b >= a ? b : a; }
int32_t Signum(double x) { return x >= 0 ? 1 : -1; }

int32_t IntPos(double x) {
  int64_t r = Round(x);
  if (x > static_cast<long double>(r)) ++r;
  return ToInt32(r);
}

int32_t IntNeg(double x) {
  int64_t r = Round(x);
  if (x < static_cast<long double>(r)) --r;
  return ToInt32(r);
}

bool WithinBounds(double value, double bound1, double bound2) {
  if (bound1 > bound2) std::swap(bound1, bound2);
  return value >= bound1 && value <= bound2;
}

double EuclideanDistance(double x1, double y1, double x2, double y2) {
  return std::hypot(x1 - x2, y1 - y2);
}

int32_t DistFromRect(int32_t X, int32_t Y, int32_t Left, int32_t Top, int32_t Right,
                     int32_t Bottom) {
  // 64-bit differences: screen coordinates near the int32 limits must not
  // overflow.
  const int64_t x = X, y = Y, l = Left, t = Top, r = Right, b = Bottom;
  if (l < x && x < r) {
    if (y < t) return SaturateToInt32(t - y);
    if (y > b) return SaturateToInt32(y - b);
    return 0;
  }
  if (t < y && y < b) return SaturateToInt32(x <= l ? l - x : x - r);
  auto corner = [&](int64_t cx, int64_t cy) {
    const double dx = static_cast<double>(x - cx), dy = static_cast<double>(y - cy);
    return std::nearbyint(std::sqrt(dx * dx + dy * dy));
  };
  const double d = std::min({corner(l, t), corner(r, t), corner(l, b), corner(r, b)});
  return d >= 2147483647.0 ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(d);
}

double InterpolZofXYRect(double z00, double z01, double z10, double z11, double rx, double ry) {
  const double t0 = z00 + (z10 - z00) * rx;
  const double t1 = z01 + (z11 - z01) * rx;
  return t0 + (t1 - t0) * ry;
}

double AngleToXAxis(double dx, double dy) {
  long double a;
  if (dx != 0) {
    a = std::atan(static_cast<long double>(dy) / dx);
    if (dx < 0) a += kPi;
  } else {
    a = dy > 0 ? kPi / 2 : 3 * kPi / 2;
  }
  if (a < 0) a += kTwoPi;
  if (a > kTwoPi) a -= kTwoPi;
  return static_cast<double>(a);
}

namespace {

// fmod is exact, so huge angles fold without the drift of x/turn.
long double CanonicalAngle(long double x, long double fullTurn) {
  if (x > fullTurn || x < -fullTurn) x = std::fmod(x, fullTurn);
  const long double half = fullTurn / 2;
  if (x > half) x -= fullTurn;
  if (x < -half) x += fullTurn;
  return x;
}

}  // namespace

double CanonicalAngleRadians(double angle) {
  return static_cast<double>(CanonicalAngle(angle, kTwoPi));
}

double CanonicalAngleDegrees(double angle) {
  return static_cast<double>(CanonicalAngle(angle, 360.0L));
}

double Polynomial(std::span<const double> Coeffs, int32_t Order, double x) {
  if (Order < 0 || static_cast<std::size_t>(Order) >= Coeffs.size())
    throw ENUVMath1Error("Polynomial: invalid order of polynomial");
  double sum = 0;
  double power = 1;
  for (int32_t i = 0; i <= Order; ++i) {
    sum += Coeffs[i] * power;
    power *= x;
  }
  return sum;
}

long double Factorial(int32_t n) {
  if (n < 0) throw ENUVMath1Error("Factorial: negative argument");
  if (n > 1000) throw ENUVMath1Error("Factorial: argument too big");
  long double f = 1;
  for (int32_t i = 2; i <= n; ++i) f *= i;
  return f;
}

// ---------------------------------------------------------------------------
// Primes: trial division by the small primes, then a Miller-Rabin test with
// bases that are deterministic over the whole 64-bit range.

namespace {

constexpr std::array<uint32_t, 12> kSmallPrimes{2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37};

uint64_t MulMod(uint64_t a, uint64_t b, uint64_t m) {
  return static_cast<uint64_t>(static_cast<unsigned __int128>(a) * b % m);
}

uint64_t PowMod(uint64_t base, uint64_t e, uint64_t m) {
  uint64_t result = 1;
  base %= m;
  while (e) {
    if (e & 1) result = MulMod(result, base, m);
    base = MulMod(base, base, m);
    e >>= 1;
  }
  return result;
}

// n odd and > 37: false when base a proves n composite.
bool PassesMillerRabin(uint64_t n, uint64_t a, uint64_t d, int s) {
  uint64_t x = PowMod(a, d, n);
  if (x == 1 || x == n - 1) return true;
  for (int r = 1; r < s; ++r) {
    x = MulMod(x, x, n);
    if (x == n - 1) return true;
  }
  return false;
}

}  // namespace

bool IsPrime(int64_t n) {
  const uint64_t u = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  if (u < 4) return true;  // 0, 1, 2, 3: no divisor in 2..sqrt(u)
  for (uint32_t p : kSmallPrimes) {
    if (u == p) return true;
    if (u % p == 0) return false;
  }
  if (u < 41 * 41) return true;
  uint64_t d = u - 1;
  int s = 0;
  while ((d & 1) == 0) {
    d >>= 1;
    ++s;
  }
  // Bases 2, 7, 61 decide every n below 2^32; the first twelve primes every
  // 64-bit n.
  if (u < (uint64_t{1} << 32)) {
    for (uint64_t a : {2u, 7u, 61u})
      if (a % u != 0 && !PassesMillerRabin(u, a, d, s)) return false;
    return true;
  }
  for (uint32_t a : kSmallPrimes)
    if (!PassesMillerRabin(u, a, d, s)) return false;
  return true;
}

void CancelFraction(int32_t& Numerator, int32_t& Denominator) {
  if (Numerator == 0 || Denominator == 0) return;
  const int64_t num = Numerator, den = Denominator;
  const int64_t g = std::gcd(num, den);  // of the magnitudes; 64 bits hold |INT32_MIN|
  if (g < 2) return;
  Numerator = static_cast<int32_t>(num / g);
  Denominator = static_cast<int32_t>(den / g);
}

namespace {

void CheckLogArgument(double x) {
  if (x == 0) throw EZeroDivide("logarithm: invalid argument");
  if (!(x > 0)) throw EInvalidOp("logarithm: invalid argument");
}

}  // namespace

double lg(double x) {
  CheckLogArgument(x);
  return std::log10(x);
}

double ld(double x) {
  CheckLogArgument(x);
  return std::log2(x);
}

// The standard functions compute these without the cancellation that
// e^x - e^-x suffers near zero.
double sinh(double x) { return std::sinh(x); }
double cosh(double x) { return std::cosh(x); }
double tgh(double x) { return std::tanh(x); }

double tg(double x) {
  const double c = std::cos(x);
  if (c == 0) throw EOverflow("tangens overflow");
  return std::sin(x) / c;
}

double cot(double x) {
  const double s = std::sin(x);
  if (s == 0) throw EOverflow("cotangens overflow");
  return std::cos(x) / s;
}

bool CheckPowerOfTwo(uint32_t x) { return (x & (x - 1)) == 0; }

// ---------------------------------------------------------------------------
// 1-2-5 rounding and axis scales

namespace {

// |x| = m × 10^E with m in [1, 10). Values within 1e-14 of a power of ten
// in the logarithm count as that power; otherwise the mantissa comes from
// the decimal digits of x, so that 1.5 × 10^k is exactly 1.5 however the
// binary value lies.
void DecimalMantissa(double x, int32_t& E, long double& m) {
  const long double L = std::log10(std::fabs(static_cast<long double>(x)));
  const long double rounded = std::nearbyint(L);
  if (std::fabs(L - rounded) < 1e-14L) {
    E = static_cast<int32_t>(rounded);
    m = 1;
    return;
  }
  TDecimalImage im;
  ShortestDecimalImage(x, im);
  E = im.Exponent - 1;
  uint64_t digits = 0;
  for (int i = 0; i < im.Count; ++i)
    digits = digits * 10 + static_cast<uint64_t>(im.Digits[i] - '0');
  m = static_cast<long double>(digits) / Pow10Exact(im.Count - 1);
}

enum class T125Mode { Nearest, Up, Down };

double Round125Mode(double x, T125Mode mode) {
  if (x == 0 || !std::isfinite(x)) return x;
  const bool positive = x >= 0;
  int32_t E;
  long double m;
  DecimalMantissa(x, E, m);
  auto upward = [&] { return m > 5 ? 10 : m > 2 ? 5 : m > 1 ? 2 : 1; };
  auto downward = [&] { return m < 2 ? 1 : m < 5 ? 2 : m < 10 ? 5 : 10; };
  int32_t q;
  switch (mode) {
    case T125Mode::Nearest:
      q = m < 1.5L ? 1 : m < 3 ? 2 : m < 8 ? 5 : 10;
      break;
    case T125Mode::Up:
      q = positive ? upward() : downward();
      break;
    case T125Mode::Down:
      q = positive ? downward() : upward();
      break;
  }
  const double r = math1::ExtendedToDouble(DecimalTimesPow10(q, E));
  return positive ? r : -r;
}

}  // namespace

double Round125(double x) { return Round125Mode(x, T125Mode::Nearest); }
double RoundPos125(double x) { return Round125Mode(x, T125Mode::Up); }
double RoundNeg125(double x) { return Round125Mode(x, T125Mode::Down); }

namespace {

// Moves FirstTick forward by whole steps until it reaches Low (within a
// thousandth of a step). A step below the resolution of FirstTick cannot
// move it, so the loop stops there instead of spinning.
void AdvanceFirstTick(long double Low, long double Step, int dir, long double& FirstTick) {
  while (dir * (Low - FirstTick) > 0.001L * std::fabs(Step)) {
    const long double next = FirstTick + Step;
    if (next == FirstTick) break;
    FirstTick = next;
  }
}

}  // namespace

void CalcScalePars(int32_t NrIntervals, long double Low, long double High, long double& FirstTick,
                   long double& Step, uint16_t& SubTicks) {
  if (Low == High) {
    FirstTick = Low;
    Step = 0;
    SubTicks = 1;
    return;
  }
  const int dir = Low < High ? 1 : -1;
  const long double range = std::fabs(High - Low);
  if (NrIntervals == 0) {
    Step = 1;
    FirstTick = Int(Low) - 1;
    AdvanceFirstTick(Low, Step, dir, FirstTick);
    SubTicks = range > 10 ? 1 : 5;
    return;
  }
  // The count of intervals is a magnitude; a negative one would make the
  // logarithm undefined.
  long double L = std::log10(range / std::fabs(static_cast<long double>(NrIntervals)));
  long double F = L - Int(L);
  if (std::fabs(F) < 1e-10L || std::fabs(F) > 0.9999999999L) {
    F = 0;
    L = std::nearbyint(L);
  }
  if (L < 0 && F != 0) L -= 1;
  if (F < 0) F += 1;
  const long double K = Int(L);
  const long double eps = 1e-10L;
  int32_t q;
  if (F < kLog10Of2 + eps) {
    q = 1;
    SubTicks = 5;
  } else if (F < kLog10Of5 + eps) {
    q = 2;
    SubTicks = 4;
  } else {
    q = 5;
    SubTicks = 5;
  }
  Step = std::isfinite(K) ? dir * DecimalTimesPow10(q, static_cast<int32_t>(K))
                          : std::numeric_limits<long double>::quiet_NaN();
  FirstTick = (Int(Low / Step) - 1) * Step;
  AdvanceFirstTick(Low, Step, dir, FirstTick);
}

// ---------------------------------------------------------------------------
// Degrees

void RoundDegrees(int32_t& Degrees, int32_t& Minutes, int32_t& Seconds, bool RoundUp) {
  if (Degrees < 0 || Minutes < 0 || Seconds < 0) {
    Degrees = Minutes = Seconds = 0;
    return;
  }
  Minutes = std::min(Minutes, 59);
  Seconds = std::min(Seconds, 59);
  const double v = Degrees + Minutes / 60.0 + Seconds / 3600.0;
  // Index (0-based) into the first `count` nice steps, each divided by unit.
  auto pick = [&](int count, double unit) {
    if (RoundUp) {
      for (int i = 0; i < count; ++i)
        if (kNiceSteps[i] / unit >= v) return i;
      return count - 1;
    }
    for (int i = count - 1; i >= 0; --i)
      if (kNiceSteps[i] / unit <= v) return i;
    return 0;
  };
  constexpr int kSixty = 8;  // index of 60 in the step table
  if (Degrees > 0) {
    Degrees = kNiceSteps[pick(12, 1)];
    Minutes = Seconds = 0;
  } else if (Minutes > 0) {
    Seconds = 0;
    const int i = pick(9, 60);
    if (RoundUp && i == kSixty) {
      Degrees = 1;
      Minutes = 0;
    } else {
      Minutes = kNiceSteps[i];
    }
  } else if (Seconds > 0) {
    const int i = pick(9, 3600);
    if (RoundUp && i == kSixty) {
      Minutes = 1;
      Seconds = 0;
    } else {
      Seconds = kNiceSteps[i];
    }
  }
}

void ConvertDegrees(double& Degrees, double& Minutes, double& Seconds, TDegreeFormat SourceFormat,
                    TDegreeFormat TargetFormat) {
  if (!(Minutes >= 0 && Minutes <= 60))
    throw ENUVMath1Error("ConvertDegrees: invalid range of minutes");
  if (!(Seconds >= 0 && Seconds <= 60))
    throw ENUVMath1Error("ConvertDegrees: invalid range of seconds");
  if (SourceFormat == dfNumeric || TargetFormat == dfNumeric) return;
  // Minutes and seconds are magnitudes: they take the sign of the degrees
  // (including that of -0.0), so -10° 30' is -10.5 and not -9.5.
  const double sign = std::signbit(Degrees) ? -1.0 : 1.0;
  const double d = Degrees;
  const double wholeDeg = std::trunc(d);  // keeps the sign of -0.5 as -0.0
  switch (TargetFormat) {
    case dfDeg:
      if (SourceFormat == dfDegMin)
        Degrees = wholeDeg + sign * (Minutes / 60);
      else if (SourceFormat == dfDegMinSec)
        Degrees = wholeDeg + sign * (std::trunc(Minutes) / 60 + Seconds / 3600);
      Minutes = Seconds = 0;
      break;
    case dfDegMin:
      if (SourceFormat == dfDeg) {
        Minutes = (std::fabs(d) - std::trunc(std::fabs(d))) * 60;
        Degrees = wholeDeg;
      } else if (SourceFormat == dfDegMinSec) {
        Minutes = Minutes + Seconds / 60;
      }
      Seconds = 0;
      break;
    case dfDegMinSec:
      if (SourceFormat == dfDeg) {
        const double t = (std::fabs(d) - std::trunc(std::fabs(d))) * 60;
        Degrees = wholeDeg;
        Minutes = std::trunc(t);
        Seconds = (t - std::trunc(t)) * 60;
      } else if (SourceFormat == dfDegMin) {
        const double m = Minutes;
        Seconds = (m - std::trunc(m)) * 60;
        Minutes = std::trunc(m);
      }
      break;
    case dfNumeric:
      break;
  }
}

// ---------------------------------------------------------------------------
// Bits and byte order

double ConvertEndian(double x) {
  return std::bit_cast<double>(__builtin_bswap64(std::bit_cast<uint64_t>(x)));
}
float ConvertEndian(float x) {
  return std::bit_cast<float>(__builtin_bswap32(std::bit_cast<uint32_t>(x)));
}
uint16_t ConvertEndian(uint16_t x) { return __builtin_bswap16(x); }
int32_t ConvertEndian(int32_t x) {
  return static_cast<int32_t>(__builtin_bswap32(static_cast<uint32_t>(x)));
}

namespace {

constexpr std::array<uint8_t, 256> MakeBitReversalTable() {
  std::array<uint8_t, 256> t{};
  for (int b = 0; b < 256; ++b) {
    int r = 0;
    for (int i = 0; i < 8; ++i)
      if (b & (1 << i)) r |= 0x80 >> i;
    t[b] = static_cast<uint8_t>(r);
  }
  return t;
}

constexpr std::array<uint8_t, 256> kBitReversal = MakeBitReversalTable();

}  // namespace

uint8_t BitReversal(uint8_t b) { return kBitReversal[b]; }
int32_t CountBits(uint8_t b) { return std::popcount(b); }
uint8_t DecodeBit(int32_t i) { return i >= 0 && i <= 7 ? static_cast<uint8_t>(1u << i) : 0; }
int32_t DecodeLong(int32_t i) { return i >= 0 && i <= 31 ? static_cast<int32_t>(1u << i) : 0; }
int32_t EncodeLong(int32_t x) { return std::min(std::countr_zero(static_cast<uint32_t>(x)), 31); }
uint16_t GrayCode(uint16_t x) { return static_cast<uint16_t>(x ^ (x >> 1)); }

// ---------------------------------------------------------------------------
// Random numbers

namespace {

constexpr int32_t kM1 = 1001003, kM2 = 990923, kM3 = 1400423;

struct TLongRandState {
  int32_t S1 = 1, S2 = 1, S3 = 1;
};
TLongRandState gLongRand;

bool gGaussCached = false;
double gGaussCache = 0;

// The three moduli are prime, so a state is stuck at zero once it gets
// there; any seed that would zero one gets 1 instead.
int32_t NonZeroState(int64_t s) { return s == 0 ? 1 : static_cast<int32_t>(s); }

void SeedLongRand(int32_t seed) {
  const int32_t r = seed % kM2;
  const uint32_t u = static_cast<uint32_t>(r);
  const int64_t x8 = static_cast<int32_t>(u ^ (u << 8));
  const int64_t x16 = static_cast<int32_t>(u ^ (u << 16));
  gLongRand.S1 = NonZeroState(r < 0 ? -int64_t{r} : r);
  gLongRand.S2 = NonZeroState((x8 < 0 ? -x8 : x8) % kM2);
  gLongRand.S3 = NonZeroState((x16 < 0 ? -x16 : x16) % kM2);
}

}  // namespace

bool BRandom(double p) {
  if (p >= 1) return true;
  return p > Random();
}

double CRandom(double Location, double Scale) {
  return Location + Scale * std::tan(kPi * (static_cast<long double>(Random()) - 0.5L));
}

double GRandom() {
  if (gGaussCached) {
    gGaussCached = false;
    return gGaussCache;
  }
  double a, b, s;
  // s = 0 would take the logarithm of zero; it is rejected like s >= 1.
  do {
    a = 2 * Random() - 1;
    b = 2 * Random() - 1;
    s = a * a + b * b;
  } while (!(s > 0 && s < 1));
  const double f = std::sqrt(-2 * std::log(s) / s);
  gGaussCache = a * f;
  gGaussCached = true;
  return b * f;
}

double LongRand(int32_t Seed) {
  if (Seed != 0) SeedLongRand(Seed);
  auto& st = gLongRand;
  st.S1 = static_cast<int32_t>(int64_t{st.S1} * 1187 % kM1);
  st.S2 = static_cast<int32_t>(int64_t{st.S2} * 983 % kM2);
  st.S3 = static_cast<int32_t>(int64_t{st.S3} * 1283 % kM3);
  const double sum = static_cast<double>(st.S1) / kM1 + static_cast<double>(st.S2) / kM2 +
                     static_cast<double>(st.S3) / kM3;
  return sum - std::trunc(sum);
}

// ---------------------------------------------------------------------------
// Untyped swap

void ExChange(void* a, void* b, uint16_t Size) {
  auto* pa = static_cast<unsigned char*>(a);
  auto* pb = static_cast<unsigned char*>(b);
  for (uint16_t i = 0; i < Size; ++i) std::swap(pa[i], pb[i]);
}

}  // namespace nuv

namespace nuv::units {

void Nuv_math1_Init() {
  gGaussCached = false;
  gLongRand.S1 = NonZeroState(Round(Random() * 990000.0));
  gLongRand.S2 = NonZeroState(Round(Random() * 990000.0));
  gLongRand.S3 = NonZeroState(Round(Random() * 990000.0));
  MathFeedBackProc = nullptr;
}

void Nuv_math1_Finalize() {}

}  // namespace nuv::units
