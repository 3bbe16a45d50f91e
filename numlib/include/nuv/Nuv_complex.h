// Complex numbers in 80-bit extended precision: the rectangular value
// TComplex, its polar form TComplexPolar, the constants COMPLEX_0 and
// COMPLEX_1, and free functions for arithmetic, comparison and conversion.
//
// The formulas are the plain textbook ones, without scaling or special
// cases: CpxAbs squares directly (the extended exponent range keeps that
// safe for every double input), and CpxDiv divides by |b|² unguarded, so a
// zero divisor yields IEEE infinities or NaN, never a trap. Every function
// is inline and allocates nothing; none raises.
#pragma once

#include <cmath>
#include <limits>
#include <numbers>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

static_assert(std::numeric_limits<long double>::digits == 64 &&
                  std::numeric_limits<long double>::max_exponent == 16384,
              "TComplex needs long double to be the 80-bit extended format");

class ENUVComplexError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

struct TComplex {
  long double real;
  long double imag;
};

// angle in radians.
struct TComplexPolar {
  long double magnitude;
  long double angle;
};

inline constexpr TComplex COMPLEX_0{0.0L, 0.0L};
inline constexpr TComplex COMPLEX_1{1.0L, 0.0L};

// Tolerance of CpxIsNearEqual and CpxIsZero, 1e-15 after the unit's
// initialisation. One process-wide variable without locking: a change
// applies to every later comparison on every thread.
extern long double CpxNearZero;

inline TComplex Cpx(long double re, long double im) { return {re, im}; }

inline long double CpxAbsSqr(const TComplex& z) { return z.real * z.real + z.imag * z.imag; }
inline long double CpxAbs(const TComplex& z) { return std::sqrt(CpxAbsSqr(z)); }

inline TComplex CpxAdd(const TComplex& a, const TComplex& b) {
  return {a.real + b.real, a.imag + b.imag};
}
inline TComplex CpxSub(const TComplex& a, const TComplex& b) {
  return {a.real - b.real, a.imag - b.imag};
}
inline TComplex CpxNeg(const TComplex& z) { return {-z.real, -z.imag}; }
inline TComplex CpxConj(const TComplex& z) { return {z.real, -z.imag}; }

inline TComplex CpxMult(const TComplex& a, const TComplex& b) {
  return {a.real * b.real - a.imag * b.imag, a.real * b.imag + a.imag * b.real};
}

// a/b through d = |b|²; b = 0 gives ±inf or NaN parts.
inline TComplex CpxDiv(const TComplex& a, const TComplex& b) {
  const long double d = CpxAbsSqr(b);
  return {(a.real * b.real + a.imag * b.imag) / d, (a.imag * b.real - a.real * b.imag) / d};
}

// Both parts exactly equal (NaN equals nothing).
inline bool CpxIsEqual(const TComplex& a, const TComplex& b) {
  return a.real == b.real && a.imag == b.imag;
}

// Each part differs by less than CpxNearZero.
inline bool CpxIsNearEqual(const TComplex& a, const TComplex& b) {
  return std::fabs(a.real - b.real) < CpxNearZero && std::fabs(a.imag - b.imag) < CpxNearZero;
}

// Both parts below CpxNearZero in magnitude.
inline bool CpxIsZero(const TComplex& z) {
  return std::fabs(z.real) < CpxNearZero && std::fabs(z.imag) < CpxNearZero;
}

// Magnitude CpxAbs(z) and angle in (−π, π]: the negative real axis, also
// approached from below (imag −0), gives +π.
inline TComplexPolar ConvertRectToPolar(const TComplex& z) {
  constexpr long double pi = std::numbers::pi_v<long double>;
  long double angle = std::atan2(z.imag, z.real);
  if (angle <= -pi) angle = pi;
  return {CpxAbs(z), angle};
}

inline TComplex ConvertPolarToRect(const TComplexPolar& p) {
  return {p.magnitude * std::cos(p.angle), p.magnitude * std::sin(p.angle)};
}

}  // namespace nuv
