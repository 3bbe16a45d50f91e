#include "nuv/Nuv_complex.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <numbers>

#include "data/fourier_ref.inc"

namespace nuv {
namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// |got − want| relative to |want| (absolute near 0).
long double RelErr(long double got, long double want) {
  const long double scale = std::fabs(want);
  return std::fabs(got - want) / (scale > 0 ? scale : 1);
}

TEST(Complex, ToleranceComparisonsAreStrictAndPerPart) {
  struct TCase {
    const char* what;
    bool got, want;
  } cases[] = {
      {"IsZero 1e-16 + 1e-16i", CpxIsZero(Cpx(1e-16L, 1e-16L)), true},
      {"IsZero 1e-15 + 0i (strict)", CpxIsZero(Cpx(1e-15L, 0)), false},
      {"IsZero -1e-16 - 0i", CpxIsZero(Cpx(-1e-16L, -0.0L)), true},
      {"IsZero NaN", CpxIsZero(Cpx(NAN, 0)), false},
      {"NearEqual 1 and 1 + 1e-16", CpxIsNearEqual(Cpx(1, 0), Cpx(1 + 1e-16L, 0)), true},
      {"Equal 1 and 1 + 1e-16", CpxIsEqual(Cpx(1, 0), Cpx(1 + 1e-16L, 0)), false},
      // 1 + 1e-16 is a distinct long double, not a distinct double.
      {"Equal keeps the extended bits", CpxIsEqual(Cpx(1 + 1e-16L, 0), Cpx(1, 0)), false},
      {"NearEqual needs both parts", CpxIsNearEqual(Cpx(1, 0), Cpx(1, 2e-15L)), false},
      {"NearEqual NaN", CpxIsNearEqual(Cpx(NAN, 0), Cpx(NAN, 0)), false},
      {"Equal -0 and +0", CpxIsEqual(Cpx(-0.0L, 0), COMPLEX_0), true},
      {"Equal of the constants", CpxIsEqual(COMPLEX_1, Cpx(1, 0)), true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(Complex, ToleranceIsOneProcessWideVariable) {
  EXPECT_EQ(CpxNearZero, 1e-15L);
  const long double saved = CpxNearZero;
  CpxNearZero = 1e-3L;
  EXPECT_TRUE(CpxIsZero(Cpx(5e-4L, -5e-4L)));
  EXPECT_TRUE(CpxIsNearEqual(Cpx(1, 1), Cpx(1.0005L, 0.9995L)));
  CpxNearZero = saved;
  EXPECT_FALSE(CpxIsZero(Cpx(5e-4L, 0)));
}

TEST(Complex, ArithmeticOfSmallCases) {
  struct TCase {
    const char* what;
    TComplex got, want;
  } cases[] = {
      {"i·i", CpxMult(Cpx(0, 1), Cpx(0, 1)), Cpx(-1, 0)},
      {"1/i", CpxDiv(Cpx(1, 0), Cpx(0, 1)), Cpx(0, -1)},
      {"(1+2i)(3-4i)", CpxMult(Cpx(1, 2), Cpx(3, -4)), Cpx(11, 2)},
      {"(11+2i)/(3-4i)", CpxDiv(Cpx(11, 2), Cpx(3, -4)), Cpx(1, 2)},
      {"add", CpxAdd(Cpx(1, 2), Cpx(-3, 0.5L)), Cpx(-2, 2.5L)},
      {"sub", CpxSub(Cpx(1, 2), Cpx(-3, 0.5L)), Cpx(4, 1.5L)},
      {"neg", CpxNeg(Cpx(1, -2)), Cpx(-1, 2)},
      {"conj", CpxConj(Cpx(1, -2)), Cpx(1, 2)},
      {"polar to rect of (2, π/2)", ConvertPolarToRect({2, kPi / 2}), Cpx(0, 2)},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(c.got.real, c.want.real, 1e-18L) << c.what;
    EXPECT_NEAR(c.got.imag, c.want.imag, 1e-18L) << c.what;
  }
  EXPECT_EQ(CpxAbs(Cpx(3, 4)), 5);
  EXPECT_EQ(CpxAbsSqr(Cpx(3, -4)), 25);
}

TEST(Complex, PolarAngleLiesInHalfOpenRange) {
  struct TCase {
    const char* what;
    TComplex z;
    long double angle;
  } cases[] = {
      {"i", Cpx(0, 1), kPi / 2},
      {"-1 + 0i", Cpx(-1, 0), kPi},
      // The negative real axis approached from below is +π as well.
      {"-1 - 0i", Cpx(-1, -0.0L), kPi},
      {"-1 - tiny i", Cpx(-1, -1e-4000L), kPi},
      {"-i", Cpx(0, -1), -kPi / 2},
      {"-1 - i", Cpx(-1, -1), -3 * kPi / 4},
      {"origin", Cpx(0, 0), 0},
  };
  for (const auto& c : cases) {
    const TComplexPolar p = ConvertRectToPolar(c.z);
    EXPECT_NEAR(p.angle, c.angle, 1e-18L) << c.what;
    EXPECT_TRUE(p.angle > -kPi && p.angle <= kPi) << c.what;
    EXPECT_EQ(p.magnitude, CpxAbs(c.z)) << c.what;
  }
}

TEST(Complex, AgreesWithCmath) {
  // cmath rounds each part to double, with an error relative to the
  // operands' magnitudes rather than to a part that cancels.
  auto close = [](TComplex got, double re, double im, long double tol) {
    const long double scale = std::hypot(static_cast<long double>(re), im);
    return std::hypot(got.real - re, got.imag - im) <= tol * scale;
  };
  for (const auto& c : ref::kCmathCases) {
    const TComplex a = Cpx(c.ar, c.ai), b = Cpx(c.br, c.bi);
    const TComplexPolar p = ConvertRectToPolar(a);
    SCOPED_TRACE(::testing::Message() << "a = " << c.ar << " + " << c.ai << "i");
    EXPECT_TRUE(close(CpxMult(a, b), c.mulr, c.muli, 4e-16L)) << "mult";
    EXPECT_TRUE(close(CpxDiv(a, b), c.divr, c.divi, 4e-16L)) << "div";
    EXPECT_LE(RelErr(p.magnitude, c.abs_a), 2.3e-16L);
    EXPECT_LE(RelErr(p.angle, c.arg_a), 2.3e-16L);
    EXPECT_TRUE(close(ConvertPolarToRect(p), c.ar, c.ai, 2e-18L)) << "polar round trip";
  }
}

TEST(Complex, KeepsExtendedPrecisionAndRange) {
  // A few units of the 64-bit mantissa; squares of 1e±300 stay finite and
  // normal in the extended exponent range.
  constexpr long double tol = 8 * std::numeric_limits<long double>::epsilon();
  for (const auto& c : ref::kPreciseCases) {
    const TComplex a = Cpx(c.ar, c.ai), b = Cpx(c.br, c.bi);
    const TComplex m = CpxMult(a, b), q = CpxDiv(a, b);
    EXPECT_LE(RelErr(m.real, c.mulr), tol) << c.what << " mult re";
    EXPECT_LE(RelErr(m.imag, c.muli), tol) << c.what << " mult im";
    EXPECT_LE(RelErr(q.real, c.divr), tol) << c.what << " div re";
    EXPECT_LE(RelErr(q.imag, c.divi), tol) << c.what << " div im";
    EXPECT_LE(RelErr(CpxAbs(a), c.abs_a), tol) << c.what << " abs";
  }
}

TEST(Complex, DivisionByZeroGivesIeeeValuesWithoutTrap) {
  std::feclearexcept(FE_ALL_EXCEPT);
  const TComplex zero = CpxDiv(Cpx(1, -2), COMPLEX_0);
  EXPECT_TRUE(std::isnan(zero.real) && std::isnan(zero.imag));
  EXPECT_TRUE(std::fetestexcept(FE_INVALID));
  // |b|² underflows to 0 while the numerators do not.
  const TComplex inf = CpxDiv(Cpx(1, -2), Cpx(1e-3000L, 0));
  EXPECT_TRUE(std::isinf(inf.real) && inf.real > 0);
  EXPECT_TRUE(std::isinf(inf.imag) && inf.imag < 0);
  EXPECT_TRUE(std::fetestexcept(FE_DIVBYZERO));
}

}  // namespace
}  // namespace nuv
