#include "nuv/Nuv_fourier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "Nuv_fourier_kernels.h"
#include "data/fourier_fftw_ref.inc"
#include "data/fourier_ref.inc"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;
using TLongCpx = std::complex<long double>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = std::numbers::pi;

// The generator of tools/ref/fourier_fftw_ref.c: splitmix64 mapped to
// [-1, 1).
class TSplitMix {
 public:
  explicit TSplitMix(uint64_t seed) : state_(seed) {}
  double Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-52 - 1.0;
  }

 private:
  uint64_t state_;
};

// A transform named "F" of n random samples.
struct TRandomBlock {
  TFastFourier f{nullptr};
  std::vector<double> input;
  TRandomBlock(int32_t n, uint64_t seed) {
    f.SetName("F");
    f.SetNumData(n);
    TSplitMix rng(seed);
    input.resize(2 * static_cast<size_t>(n));
    for (double& v : input) v = rng.Next();
    std::copy(input.begin(), input.end(), f.Data());
  }
  std::vector<double> Values() const {
    return {f.Data(), f.Data() + 2 * static_cast<size_t>(f.SpectrumSize())};
  }
};

// √(Σ|got − want|² / Σ|want|²) over interleaved values.
double RelativeRms(const double* got, const std::vector<double>& want) {
  long double err = 0, norm = 0;
  for (size_t i = 0; i < want.size(); ++i) {
    err += static_cast<long double>(got[i] - want[i]) * (got[i] - want[i]);
    norm += static_cast<long double>(want[i]) * want[i];
  }
  return static_cast<double>(std::sqrt(err / (norm > 0 ? norm : 1)));
}

// The transform in extended precision with every twiddle taken from sin
// and cos directly: exact as far as double results can tell.
std::vector<double> ExactTransform(const std::vector<double>& x, int sign) {
  const size_t n = x.size() / 2;
  std::vector<TLongCpx> a(n);
  for (size_t i = 0; i < n; ++i) a[i] = {x[2 * i], x[2 * i + 1]};
  for (size_t i = 0, j = 0; i < n; ++i) {
    if (i < j) std::swap(a[i], a[j]);
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j |= bit;
  }
  for (size_t m = 2; m <= n; m *= 2)
    for (size_t k = 0; k < m / 2; ++k) {
      const long double t = sign * 2 * std::numbers::pi_v<long double> * k / m;
      const TLongCpx w(std::cos(t), std::sin(t));
      for (size_t b = 0; b < n; b += m) {
        const TLongCpx u = a[b + k], v = w * a[b + k + m / 2];
        a[b + k] = u + v;
        a[b + k + m / 2] = u - v;
      }
    }
  std::vector<double> out(2 * n);
  for (size_t i = 0; i < n; ++i) {
    out[2 * i] = static_cast<double>(a[i].real());
    out[2 * i + 1] = static_cast<double>(a[i].imag());
  }
  return out;
}

// The trigonometric recurrence the transform is defined by, in double.
std::vector<double> RecurrenceTransform(std::vector<double> x, int sign) {
  const size_t n = x.size() / 2;
  for (size_t i = 0, j = 0; i < n; ++i) {
    if (i < j) {
      std::swap(x[2 * i], x[2 * j]);
      std::swap(x[2 * i + 1], x[2 * j + 1]);
    }
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j |= bit;
  }
  for (size_t m = 2; m <= n; m *= 2) {
    const double theta = sign * 2 * kPi / m, s = std::sin(theta / 2);
    const double wpr = -2 * s * s, wpi = std::sin(theta);
    double wr = 1, wi = 0;
    for (size_t k = 0; k < m / 2; ++k) {
      for (size_t b = k; b < n; b += m) {
        double* a = &x[2 * b];
        double* c = &x[2 * (b + m / 2)];
        const double tr = wr * c[0] - wi * c[1], ti = wr * c[1] + wi * c[0];
        c[0] = a[0] - tr;
        c[1] = a[1] - ti;
        a[0] += tr;
        a[1] += ti;
      }
      const double t = wr;
      wr += wr * wpr - wi * wpi;
      wi += wi * wpr + t * wpi;
    }
  }
  return x;
}

// Runs a test body once with the best kernels and once with the portable
// ones.
class FourierKernels : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { fourier::UsePortableKernels(GetParam()); }
  void TearDown() override { fourier::UsePortableKernels(false); }
};
INSTANTIATE_TEST_SUITE_P(Kernels, FourierKernels, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "portable" : "best"; });

// ---------------------------------------------------------------------------
// Sizes, storage and indices

TEST(FastFourier, StartsWith256ZeroSamplesAndUnitWeights) {
  TFastFourier f(nullptr);
  EXPECT_EQ(f.SpectrumSize(), 256);
  EXPECT_EQ(f.WeightingWindow(), fwRectangle);
  for (int32_t i = 1; i <= 256; ++i) {
    ASSERT_EQ(f.GetRealVal(i), 0) << i;
    ASSERT_EQ(f.GetImagVal(i), 0) << i;
    ASSERT_EQ(f.GetWgtVal(i), 1) << i;
  }
}

TEST(FastFourier, RefusesSizesThatAreNoPowerOfTwoAndKeepsItsData) {
  TFastFourier f(nullptr);
  f.SetName("F");
  f.SetRealVal(3, 7);
  for (int32_t n : {0, -1, -256, 3, 1000, 1 << 24, (1 << 23) + 1,
                    std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
    ExpectThrowMessage<ENUVFourierError>([&] { f.SetNumData(n); },
                                         "Component \"F\": data length must be power of 2",
                                         "SetNumData(" + std::to_string(n) + ")");
    EXPECT_EQ(f.SpectrumSize(), 256) << n;
    EXPECT_EQ(f.GetRealVal(3), 7) << n;
  }
}

TEST(FastFourier, NewSizeZeroesDataAndWeights) {
  TFastFourier f(nullptr);
  for (int32_t n : {1, 2, 1024, 4096, 1 << 23}) {
    f.SetRealVal(1, 5);
    f.SetImagVal(1, 5);
    f.SetNumData(n);
    EXPECT_EQ(f.SpectrumSize(), n);
    EXPECT_EQ(f.GetRealVal(1), 0) << n;
    EXPECT_EQ(f.GetImagVal(n), 0) << n;
    EXPECT_EQ(f.GetWgtVal(1), 0) << n;
    EXPECT_EQ(f.GetWgtVal(n), 0) << n;
  }
}

TEST(FastFourier, OutOfRangeIndicesReadZeroAndWriteNothing) {
  TFastFourier f(nullptr);
  f.SetNumData(8);
  for (int32_t i : {0, -1, 9, std::numeric_limits<int32_t>::min(),
                    std::numeric_limits<int32_t>::max()}) {
    f.SetRealVal(i, 1);
    f.SetImagVal(i, 1);
    f.SetWgtVal(i, 1);
    EXPECT_EQ(f.GetRealVal(i), 0) << i;
    EXPECT_EQ(f.GetImagVal(i), 0) << i;
    EXPECT_EQ(f.GetWgtVal(i), 0) << i;
  }
  for (int32_t k : {-1, 5, 8, std::numeric_limits<int32_t>::max()}) {
    EXPECT_EQ(f.GetPowerSpec(k), 0) << k;
    EXPECT_EQ(f.GetMagnitude(k), 0) << k;
    EXPECT_EQ(f.GetFSerCos(k), 0) << k;
    EXPECT_EQ(f.GetFSerSin(k), 0) << k;
    EXPECT_EQ(f.GetPhase(k), 0) << k;
    EXPECT_EQ(f.FreqOfLine(k, 0.1), 0) << k;
  }
  for (int32_t i = 1; i <= 8; ++i) EXPECT_EQ(f.GetRealVal(i), 0) << i;
}

TEST(FastFourier, ClearsEachPartAlone) {
  TFastFourier f(nullptr);
  f.SetNumData(4);
  auto fill = [&] {
    for (int32_t i = 1; i <= 4; ++i) {
      f.SetRealVal(i, i);
      f.SetImagVal(i, -i);
    }
  };
  fill();
  f.ClearReal();
  EXPECT_EQ(f.GetRealVal(2), 0);
  EXPECT_EQ(f.GetImagVal(2), -2);
  fill();
  f.ClearImag();
  EXPECT_EQ(f.GetRealVal(4), 4);
  EXPECT_EQ(f.GetImagVal(4), 0);
  fill();
  f.Clear();
  EXPECT_EQ(f.GetRealVal(3), 0);
  EXPECT_EQ(f.GetImagVal(3), 0);
}

// ---------------------------------------------------------------------------
// The transform against references

TEST_P(FourierKernels, MatchesNumpyBothWays) {
  for (const auto& c : ref::kFourierCases) {
    SCOPED_TRACE(::testing::Message() << "N = " << c.n);
    TFastFourier f(nullptr);
    f.SetNumData(c.n);
    std::copy(c.input.begin(), c.input.end(), f.Data());
    f.Transform();
    EXPECT_LE(RelativeRms(f.Data(), c.forward), 1e-15);
    std::copy(c.input.begin(), c.input.end(), f.Data());
    f.InverseTransform();
    EXPECT_LE(RelativeRms(f.Data(), c.inverse), 1e-15);
  }
}

TEST_P(FourierKernels, MatchesFftwAtOneMillionPoints) {
  const int32_t n = 1 << ref::kFftwLog;
  TFastFourier f(nullptr);
  f.SetNumData(n);
  TSplitMix rng(ref::kFftwSeed);
  double* x = f.Data();
  for (int64_t i = 0; i < 2 * int64_t{n}; ++i) x[i] = rng.Next();
  f.Transform();
  std::vector<double> got, want;
  for (const auto& line : ref::kFftwLines) {
    got.push_back(f.GetRealVal(line.k + 1));
    got.push_back(f.GetImagVal(line.k + 1));
    want.push_back(line.re);
    want.push_back(line.im);
  }
  EXPECT_LE(RelativeRms(got.data(), want), 1e-15);
}

// Table twiddles must be at least as accurate as the recurrence that
// defines the result, in both directions.
TEST_P(FourierKernels, ErrorIsNoLargerThanTheRecurrences) {
  for (int32_t log = 6; log <= 16; log += 2) {
    for (int sign : {1, -1}) {
      SCOPED_TRACE(::testing::Message() << "N = 2^" << log << ", sign " << sign);
      TRandomBlock b(1 << log, 100 + log);
      const std::vector<double> exact = ExactTransform(b.input, sign);
      b.f.DoFFT(sign);
      if (sign < 0)
        for (int64_t i = 0; i < 2 * int64_t{b.f.SpectrumSize()}; ++i)
          b.f.Data()[i] *= b.f.SpectrumSize();
      const double ours = RelativeRms(b.f.Data(), exact);
      const double recurrence = RelativeRms(RecurrenceTransform(b.input, sign).data(), exact);
      EXPECT_LE(ours, recurrence);
      EXPECT_LE(ours, 3e-16);
    }
  }
}

TEST_P(FourierKernels, RoundTripsAndKeepsEnergyUpToTheLargestSize) {
  // The portable kernels share all but the butterflies: smaller sizes do.
  for (int32_t log = 0; log <= (GetParam() ? 18 : 23); ++log) {
    const int32_t n = 1 << log;
    SCOPED_TRACE(::testing::Message() << "N = " << n);
    TRandomBlock b(n, log);
    long double energy = 0;
    for (double v : b.input) energy += static_cast<long double>(v) * v;
    b.f.Transform();
    long double power = 0;
    for (int32_t k = 0; k <= n / 2; ++k) power += b.f.GetPowerSpec(k);
    EXPECT_NEAR(static_cast<double>(power / energy), 1.0, 1e-13);
    b.f.InverseTransform();
    EXPECT_LE(RelativeRms(b.f.Data(), b.input), 2e-16 * (log + 1));
  }
}

TEST_P(FourierKernels, IsLinear) {
  const int32_t n = 2048;
  TRandomBlock x(n, 1), y(n, 2), sum(n, 3);
  for (int64_t i = 0; i < 2 * n; ++i) sum.f.Data()[i] = 2.5 * x.input[i] - 0.75 * y.input[i];
  x.f.Transform();
  y.f.Transform();
  sum.f.Transform();
  std::vector<double> want(2 * n);
  for (int64_t i = 0; i < 2 * n; ++i) want[i] = 2.5 * x.f.Data()[i] - 0.75 * y.f.Data()[i];
  EXPECT_LE(RelativeRms(sum.f.Data(), want), 1e-15);
}

TEST(FastFourier, DoFftTakesTheSignOfItsArgument) {
  TRandomBlock a(64, 7), b(64, 7);
  a.f.DoFFT(1);
  b.f.Transform();
  EXPECT_EQ(a.Values(), b.Values());
  a.f.DoFFT(-1);
  b.f.InverseTransform();
  EXPECT_EQ(a.Values(), b.Values());
}

TEST(FastFourier, NanSamplesSpreadWithoutHarm) {
  TFastFourier f(nullptr);
  f.SetNumData(16);
  f.SetRealVal(5, kNaN);
  f.Transform();
  for (int32_t i = 1; i <= 16; ++i)
    EXPECT_TRUE(std::isnan(f.GetRealVal(i)) || std::isnan(f.GetImagVal(i))) << i;
  EXPECT_TRUE(std::isnan(f.GetPowerSpec(3)));
  EXPECT_TRUE(std::isnan(f.RMS(0, 8)));
  // NaN never wins a comparison: the extremes keep their start values.
  for (int32_t i = 1; i <= 16; ++i) {
    f.SetRealVal(i, kNaN);
    f.SetImagVal(i, kNaN);
  }
  EXPECT_EQ(f.GetMaxReal(), -1.7e308);
  EXPECT_EQ(f.GetMinImag(), 1.7e308);
  EXPECT_EQ(f.GetMinReal(), 1.7e308);
  EXPECT_EQ(f.GetMaxPower(), 0);
}

// ---------------------------------------------------------------------------
// Windows

TFastFourierWgtWin WindowNamed(const std::string& name) {
  static const std::pair<const char*, TFastFourierWgtWin> names[] = {
      {"triangle", fwTriangle},     {"cos2", fwCos2},
      {"gauss", fwGauss},           {"hamming", fwHamming},
      {"blackman", fwBlackman},     {"blkmharris", fwBlkmHarris},
      {"blkmnuttall", fwBlkmNuttall}};
  for (const auto& [n, w] : names)
    if (name == n) return w;
  ADD_FAILURE() << "unknown window " << name;
  return fwRectangle;
}

// The windowed data, recovered by the inverse transform.
std::vector<double> Windowed(TFastFourier& f, const std::vector<double>& data) {
  std::copy(data.begin(), data.end(), f.Data());
  f.Transform();
  f.InverseTransform();
  return {f.Data(), f.Data() + data.size()};
}

TEST(FastFourier, WindowsMatchScipysPeriodicWindows) {
  for (const auto& c : ref::kWindowCases) {
    SCOPED_TRACE(::testing::Message() << c.name << ", N = " << c.n);
    TFastFourier f(nullptr);
    f.SetNumData(c.n);
    f.SetWgtWin(WindowNamed(c.name));
    std::vector<double> data(2 * c.n);
    for (int32_t i = 0; i < c.n; ++i) {
      data[2 * i] = 1 + i;
      data[2 * i + 1] = -2;
    }
    const std::vector<double> got = Windowed(f, data);
    for (int32_t i = 0; i < c.n; ++i) {
      ASSERT_NEAR(got[2 * i], c.factor[i] * (1 + i), 1e-13 * c.n) << "element " << i + 1;
      ASSERT_NEAR(got[2 * i + 1], -2 * c.factor[i], 1e-13) << "element " << i + 1;
    }
  }
}

TEST(FastFourier, UserWindowUsesTheWeightsAndRectangleNone) {
  TFastFourier f(nullptr);
  f.SetNumData(8);
  const std::vector<double> ones(16, 1.0);
  f.SetWgtWin(fwUserDef);
  // SetNumData left the weights 0: the window zeroes the data.
  for (double v : Windowed(f, ones)) EXPECT_NEAR(v, 0, 1e-15);
  for (int32_t i = 1; i <= 8; ++i) f.SetWgtVal(i, 0.5 * i);
  const std::vector<double> got = Windowed(f, ones);
  for (int32_t i = 1; i <= 8; ++i) {
    EXPECT_NEAR(got[2 * (i - 1)], 0.5 * i, 1e-14) << i;
    EXPECT_NEAR(got[2 * (i - 1) + 1], 0.5 * i, 1e-14) << i;
  }
  f.SetWgtWin(fwRectangle);
  for (double v : Windowed(f, ones)) EXPECT_NEAR(v, 1, 1e-15);
}

// ---------------------------------------------------------------------------
// Spectrum queries

TEST(FastFourier, ConstantAndCosineOfEightSamples) {
  TFastFourier f(nullptr);
  f.SetNumData(8);
  for (int32_t i = 1; i <= 8; ++i) f.SetRealVal(i, 1);
  f.Transform();
  EXPECT_NEAR(f.GetRealVal(1), 8, 1e-15);
  for (int32_t i = 2; i <= 8; ++i) EXPECT_NEAR(std::hypot(f.GetRealVal(i), f.GetImagVal(i)), 0, 1e-15);
  EXPECT_NEAR(f.GetPowerSpec(0), 8, 1e-14);
  EXPECT_NEAR(f.GetMagnitude(0), 1, 1e-15);
  EXPECT_NEAR(f.GetFSerCos(0), 1, 1e-15);
  EXPECT_EQ(f.GetPhase(0), 0);

  for (int32_t j = 0; j < 8; ++j) {
    f.SetRealVal(j + 1, std::cos(2 * kPi * j / 8));
    f.SetImagVal(j + 1, 0);
  }
  f.Transform();
  EXPECT_NEAR(f.GetRealVal(2), 4, 1e-14);
  EXPECT_NEAR(f.GetRealVal(8), 4, 1e-14);
  EXPECT_NEAR(f.GetMagnitude(1), 1, 1e-15);
  EXPECT_NEAR(f.GetFSerCos(1), 1, 1e-15);
  EXPECT_NEAR(f.GetFSerSin(1), 0, 1e-15);
  EXPECT_NEAR(f.GetPowerSpec(1), 4, 1e-14);
}

// x_j = a0 + a3·cos(2π·3j/N + φ) + b5·sin(2π·5j/N) + c·(−1)^j, N = 64.
struct TKnownLines {
  static constexpr int32_t n = 64;
  static constexpr double a0 = 0.5, a3 = 2, phi = 2.5, b5 = -1.5, c = 0.75;
  TFastFourier f{nullptr};
  TKnownLines() {
    f.SetNumData(n);
    for (int32_t j = 0; j < n; ++j) {
      const double t = 2 * kPi * j / n;
      f.SetRealVal(j + 1, a0 + a3 * std::cos(3 * t + phi) + b5 * std::sin(5 * t) +
                              (j % 2 ? -c : c));
    }
    f.Transform();
  }
};

TEST(FastFourier, QueriesFindEveryLineOfAKnownSignal) {
  TKnownLines s;
  const TFastFourier& f = s.f;
  const double n = TKnownLines::n;
  struct TCase {
    const char* what;
    double got, want;
  } cases[] = {
      {"power 0", f.GetPowerSpec(0), n * s.a0 * s.a0},
      {"power 3", f.GetPowerSpec(3), n * s.a3 * s.a3 / 2},
      {"power 5", f.GetPowerSpec(5), n * s.b5 * s.b5 / 2},
      {"power 4", f.GetPowerSpec(4), 0},
      {"magnitude 0", f.GetMagnitude(0), s.a0},
      {"magnitude 3", f.GetMagnitude(3), s.a3},
      {"magnitude 5", f.GetMagnitude(5), std::fabs(s.b5)},
      {"cos 3", f.GetFSerCos(3), s.a3 * std::cos(s.phi)},
      {"sin 3", f.GetFSerSin(3), -s.a3 * std::sin(s.phi)},
      {"cos 5", f.GetFSerCos(5), 0},
      {"sin 5", f.GetFSerSin(5), s.b5},
      {"sin 0", f.GetFSerSin(0), 0},
      // The Nyquist line is its own mirror and counts once.
      {"power N/2", f.GetPowerSpec(32), n * s.c * s.c},
      {"magnitude N/2", f.GetMagnitude(32), s.c},
      {"cos N/2", f.GetFSerCos(32), s.c},
      {"sin N/2", f.GetFSerSin(32), 0},
      {"RMS of all lines",
       f.RMS(0, 32), std::sqrt(s.a0 * s.a0 + s.a3 * s.a3 / 2 + s.b5 * s.b5 / 2 + s.c * s.c)},
      {"RMS of line 3", f.RMS(3, 3), s.a3 / std::sqrt(2)},
      {"RMS of the Nyquist line", f.RMS(32, 40), s.c},
      {"RMS clamps and orders", f.RMS(100, -5), f.RMS(0, 32)},
      {"max power leaves out the Nyquist line", f.GetMaxPower(), n * s.a3 * s.a3 / 2},
      {"max magnitude", f.GetMaxMagni(), s.a3},
  };
  for (const auto& c : cases) EXPECT_NEAR(c.got, c.want, 1e-12) << c.what;
  EXPECT_EQ(f.RMS(10, 2), f.RMS(2, 10));
}

TEST(FastFourier, MaxMagnitudeIncludesTheNyquistLineButMaxPowerDoesNot) {
  TFastFourier f(nullptr);
  f.SetNumData(16);
  for (int32_t j = 0; j < 16; ++j) f.SetRealVal(j + 1, (j % 2 ? -3 : 3) + std::cos(2 * kPi * j / 16));
  f.Transform();
  EXPECT_NEAR(f.GetMaxMagni(), 3, 1e-14);
  EXPECT_NEAR(f.GetMaxPower(), 16.0 / 2, 1e-13);
}

TEST(FastFourier, PhaseIsAnArcTangentThatLosesTheQuadrant) {
  TKnownLines s;
  // Line 3 holds a3·exp(−iφ)·N/2 with φ = 2.5 in the second quadrant.
  EXPECT_NEAR(s.f.GetPhase(3), -s.phi + kPi, 1e-12);
  // A sine has a purely imaginary line of positive imaginary part.
  EXPECT_NEAR(s.f.GetPhase(5), -kPi / 2, 1e-12) << "b5 < 0";
  TFastFourier f(nullptr);
  f.SetNumData(4);
  f.SetImagVal(2, 1);
  f.Transform();
  f.SetRealVal(2, 0);
  f.SetImagVal(2, 3);
  EXPECT_EQ(f.GetPhase(1), kPi / 2);
  f.SetImagVal(2, 0);
  EXPECT_EQ(f.GetPhase(1), -kPi / 2) << "Re = Im = 0";
  f.SetRealVal(3, -1);
  f.SetImagVal(3, 1);
  EXPECT_NEAR(f.GetPhase(2), -kPi / 4, 1e-15) << "the Nyquist line";
}

TEST(FastFourier, SmallestBlocks) {
  TFastFourier f(nullptr);
  f.SetNumData(1);
  f.SetRealVal(1, 3);
  f.SetImagVal(1, -4);
  f.Transform();
  EXPECT_EQ(f.GetRealVal(1), 3);
  EXPECT_EQ(f.GetPowerSpec(0), 25);
  EXPECT_EQ(f.GetMagnitude(0), 5);
  EXPECT_EQ(f.RMS(0, 5), 5);
  EXPECT_EQ(f.GetMaxPower(), 0);
  EXPECT_EQ(f.GetMaxMagni(), 0);
  EXPECT_EQ(f.LineOfFreq(0.5, 1), 0);

  f.SetNumData(2);
  f.SetRealVal(1, 1);
  f.SetRealVal(2, -1);
  f.Transform();
  EXPECT_EQ(f.GetRealVal(2), 2);
  EXPECT_EQ(f.GetPowerSpec(1), 2) << "line 1 is the Nyquist line";
  EXPECT_EQ(f.GetMagnitude(1), 1);
  EXPECT_EQ(f.GetFSerCos(1), 1);
}

TEST(FastFourier, ConvertsBetweenFrequenciesAndLines) {
  TFastFourier f(nullptr);
  struct TLine {
    const char* what;
    double fr, dt;
    int32_t want;
  } lines[] = {
      {"25.6 rounds to 26", 100, 0.001, 26},
      {"2.5 rounds to even", 2.5 / 0.256, 0.001, 2},
      {"3.5 rounds to even", 3.5 / 0.256, 0.001, 4},
      {"0.4 is below line 1", 0.4 / 256, 1, 0},
      {"0.6 is line 1", 0.6 / 256, 1, 1},
      {"128.4 is line 128", 128.4 / 256, 1, 128},
      {"128.6 is beyond N/2", 128.6 / 256, 1, 0},
      {"negative", -10, 0.001, 0},
      {"NaN frequency", kNaN, 0.001, 0},
      {"NaN interval", 10, kNaN, 0},
      {"infinite", kInf, 0.001, 0},
      {"huge", 1e300, 1e10, 0},
      {"beyond int32", 1e10, 1, 0},
  };
  for (const auto& c : lines) EXPECT_EQ(f.LineOfFreq(c.fr, c.dt), c.want) << c.what;

  struct TFreq {
    const char* what;
    int32_t k;
    double dt, want;
  } freqs[] = {
      {"line 26", 26, 0.001, 26 / 0.256},
      {"line 128", 128, 0.5, 1.0 / 1},
      {"line 0", 0, 0.001, 0},
      {"beyond N/2", 129, 0.001, 0},
      {"dt = 0", 5, 0, 0},
      {"negative dt", 5, -0.001, 0},
      {"NaN dt", 5, kNaN, 0},
  };
  for (const auto& c : freqs) EXPECT_DOUBLE_EQ(f.FreqOfLine(c.k, c.dt), c.want) << c.what;
}

TEST(FastFourier, ExtremesFollowEveryChange) {
  TFastFourier f(nullptr);
  f.SetNumData(8);
  f.SetRealVal(2, 5);
  f.SetImagVal(3, -4);
  EXPECT_EQ(f.GetMaxReal(), 5);
  EXPECT_EQ(f.GetMinReal(), 0);
  EXPECT_EQ(f.GetMaxImag(), 0);
  EXPECT_EQ(f.GetMinImag(), -4);

  const std::pair<const char*, std::function<void()>> changes[] = {
      {"SetRealVal", [&] { f.SetRealVal(1, 9); }},
      {"SetImagVal", [&] { f.SetImagVal(1, 9); }},
      {"Data", [&] { f.Data()[4] = 9; }},
      {"Clear", [&] { f.Clear(); }},
      {"ClearReal", [&] { f.ClearReal(); }},
      {"ClearImag", [&] { f.ClearImag(); }},
      {"Transform", [&] { f.Transform(); }},
      {"InverseTransform", [&] { f.InverseTransform(); }},
      {"DoFFT", [&] { f.DoFFT(1); }},
      {"SetNumData", [&] { f.SetNumData(4); }},
  };
  for (const auto& [what, change] : changes) {
    f.SetNumData(8);
    f.SetRealVal(2, 5);
    f.SetImagVal(2, 1);
    f.SetRealVal(4, -1);
    (void)f.GetMaxReal();
    change();
    double maxRe = -1.7e308, minRe = 1.7e308, maxIm = -1.7e308, minIm = 1.7e308;
    for (int32_t i = 1; i <= f.SpectrumSize(); ++i) {
      maxRe = std::max(maxRe, f.GetRealVal(i));
      minRe = std::min(minRe, f.GetRealVal(i));
      maxIm = std::max(maxIm, f.GetImagVal(i));
      minIm = std::min(minIm, f.GetImagVal(i));
    }
    EXPECT_EQ(f.GetMaxReal(), maxRe) << what;
    EXPECT_EQ(f.GetMinReal(), minRe) << what;
    EXPECT_EQ(f.GetMaxImag(), maxIm) << what;
    EXPECT_EQ(f.GetMinImag(), minIm) << what;
  }
}

}  // namespace
}  // namespace nuv
