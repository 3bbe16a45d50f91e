#include "nuv/Nuv_wavelet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "data/wavelet_ref.inc"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();

// A transform named "W" of the given order and mode holding the values.
struct TSignal {
  TWavelet1D w{nullptr};
  TSignal(const std::vector<double>& values, int32_t order, TWLSigExtMode mode = wseWrap) {
    w.SetName("W");
    w.SetNumData(static_cast<int32_t>(values.size()));
    w.SetOrder(order);
    w.SetSigExtMode(mode);
    for (size_t i = 0; i < values.size(); ++i) w.SetDataVal(static_cast<int32_t>(i + 1), values[i]);
  }
  std::vector<double> Values() const {
    std::vector<double> v(static_cast<size_t>(w.Size()));
    for (int32_t i = 1; i <= w.Size(); ++i) v[i - 1] = w.GetDataVal(i);
    return v;
  }
};

std::vector<double> Random(int32_t n, uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> v(static_cast<size_t>(n));
  for (double& x : v) x = u(rng);
  return v;
}

double MaxDiff(const std::vector<double>& a, const std::vector<double>& b) {
  double d = 0;
  for (size_t i = 0; i < a.size(); ++i) d = std::max(d, std::fabs(a[i] - b[i]));
  return d;
}

TWLSigExtMode ModeNamed(const std::string& name) {
  return name == "wrap" ? wseWrap : name == "zero" ? wseZeroPad : wseSymmetric;
}

// ---------------------------------------------------------------------------
// Properties and errors

TEST(Wavelet1D, StartsWith256ZerosAndD4Wrapped) {
  TWavelet1D w(nullptr);
  EXPECT_EQ(w.Size(), 256);
  EXPECT_EQ(w.Order(), 2);
  EXPECT_EQ(w.WaveletFamily(), wlfDaubechies);
  EXPECT_EQ(w.SignalExtMode(), wseWrap);
  for (int32_t i = 1; i <= 256; ++i) ASSERT_EQ(w.GetDataVal(i), 0) << i;
  // The family has one member.
  w.SetWaveletFam(wlfDaubechies);
  EXPECT_EQ(w.WaveletFamily(), wlfDaubechies);
}

TEST(Wavelet1D, RefusesBadSizesAndOrdersKeepingItsState) {
  TSignal s({1, 2, 3, 4}, 3, wseSymmetric);
  for (int32_t n : {0, -1, -4, 3, 1000, (1 << 23) + 1, 1 << 24, kIntMin, kIntMax})
    ExpectThrowMessage<ENUVWaveletError>([&] { s.w.SetNumData(n); },
                                         "Component \"W\": data length must be power of 2",
                                         "SetNumData(" + std::to_string(n) + ")");
  for (int32_t n : {0, 4, -1, kIntMin, kIntMax})
    ExpectThrowMessage<ENUVWaveletError>(
        [&] { s.w.SetOrder(n); }, "Component \"W\": invalid order of Daubechies wavelet family",
        "SetOrder(" + std::to_string(n) + ")");
  EXPECT_EQ(s.Values(), (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(s.w.Order(), 3);
  EXPECT_EQ(s.w.LowPass().size(), 6u);
  EXPECT_EQ(s.w.SignalExtMode(), wseSymmetric);
}

TEST(Wavelet1D, NewSizeZeroesAndOrderKeepsTheValues) {
  TSignal s({1, 2}, 1);
  s.w.SetOrder(3);
  EXPECT_EQ(s.Values(), (std::vector<double>{1, 2}));
  for (int32_t n : {1, 8, 1 << 23}) {
    s.w.SetDataVal(1, 5);
    s.w.SetNumData(n);
    EXPECT_EQ(s.w.Size(), n);
    EXPECT_EQ(s.w.GetDataVal(1), 0) << n;
    EXPECT_EQ(s.w.GetDataVal(n), 0) << n;
  }
  s.w.SetNumData(4);
  s.w.SetDataVal(2, 7);
  s.w.Clear();
  EXPECT_EQ(s.Values(), (std::vector<double>(4, 0.0)));
}

TEST(Wavelet1D, OutOfRangeIndicesReadZeroAndWriteNothing) {
  TSignal s({1, 2, 3, 4}, 2);
  for (int32_t i : {0, -1, 5, kIntMin, kIntMax}) {
    s.w.SetDataVal(i, 9);
    EXPECT_EQ(s.w.GetDataVal(i), 0) << i;
  }
  EXPECT_EQ(s.Values(), (std::vector<double>{1, 2, 3, 4}));
}

TEST(Wavelet1D, StoresExtendedValues) {
  // 1.5e308·√2 exceeds the double range but not the extended one.
  TSignal s({1.5e308, 1.5e308}, 1);
  s.w.SingleStep(false);
  EXPECT_TRUE(std::isinf(s.w.GetDataVal(1)));
  s.w.SingleStep(true);
  EXPECT_NEAR(s.w.GetDataVal(1) / 1.5e308, 1, 1e-18);
  EXPECT_NEAR(s.w.GetDataVal(2) / 1.5e308, 1, 1e-18);
}

// ---------------------------------------------------------------------------
// Filters

TEST(Wavelet1D, FiltersMatchThePublishedCoefficientsAndScipy) {
  const std::vector<std::vector<double>> published = {
      {0.7071067811865476, 0.7071067811865476},
      {0.48296291314453416, 0.8365163037378079, 0.2241438680420134, -0.12940952255126037},
      {0.33267055295008263, 0.8068915093110925, 0.45987750211849154, -0.13501102001025458,
       -0.08544127388202666, 0.03522629188570953}};
  TWavelet1D w(nullptr);
  for (int32_t order = 1; order <= 3; ++order) {
    SCOPED_TRACE(::testing::Message() << "order " << order);
    w.SetOrder(order);
    const auto& h = w.LowPass();
    const auto& g = w.HighPass();
    ASSERT_EQ(h.size(), published[order - 1].size());
    long double sum = 0, squares = 0, shifted = 0;
    for (size_t j = 0; j < h.size(); ++j) {
      EXPECT_EQ(static_cast<double>(h[j]), published[order - 1][j]) << "tap " << j;
      EXPECT_NEAR(static_cast<double>(h[j]), ref::kDaubFilters[order - 1][j], 4e-16) << j;
      EXPECT_EQ(g[j], (j % 2 ? -1 : 1) * h[h.size() - 1 - j]) << "tap " << j;
      sum += h[j];
      squares += h[j] * h[j];
      if (j + 2 < h.size()) shifted += h[j] * h[j + 2];
    }
    // Full extended precision: orthonormal to the last bits.
    EXPECT_NEAR(sum, std::sqrt(2.0L), 4e-19L);
    EXPECT_NEAR(squares, 1.0L, 4e-19L);
    EXPECT_NEAR(shifted, 0.0L, 4e-19L);
  }
}

// ---------------------------------------------------------------------------
// Single steps against references

TEST(Wavelet1D, WrappedStepMatchesPywt) {
  for (const auto& c : ref::kPywtSteps) {
    SCOPED_TRACE(::testing::Message() << "order " << c.order << ", N = " << c.input.size());
    TSignal s(c.input, c.order);
    s.w.SingleStep(false);
    EXPECT_LE(MaxDiff(s.Values(), c.output), 1e-15);
  }
}

TEST(Wavelet1D, StepsOfEveryModeMatchTheConvolutionModel) {
  for (const auto& c : ref::kModelSteps) {
    SCOPED_TRACE(::testing::Message() << "order " << c.order << ", " << c.mode << ", N = "
                                      << c.input.size() << (c.inverse ? ", inverse" : ""));
    TSignal s(c.input, c.order, ModeNamed(c.mode));
    s.w.SingleStep(c.inverse);
    EXPECT_LE(MaxDiff(s.Values(), c.output), 1e-15);
  }
}

TEST(Wavelet1D, LevelsMatchTheConvolutionModel) {
  for (const auto& c : ref::kModelLevels) {
    SCOPED_TRACE(::testing::Message() << "order " << c.order << ", levels " << c.levels);
    TSignal s(c.input, c.order);
    s.w.Transform(c.levels);
    EXPECT_LE(MaxDiff(s.Values(), c.output), 1e-15);
  }
}

TEST(Wavelet1D, HaarStepOfTwoValues) {
  TSignal s({1, 3}, 1);
  s.w.SingleStep(false);
  EXPECT_NEAR(s.w.GetDataVal(1), 4 / std::sqrt(2.0), 1e-15);
  EXPECT_NEAR(s.w.GetDataVal(2), -2 / std::sqrt(2.0), 1e-15);
  s.w.SingleStep(true);
  EXPECT_NEAR(s.w.GetDataVal(1), 1, 1e-15);
  EXPECT_NEAR(s.w.GetDataVal(2), 3, 1e-15);
}

TEST(Wavelet1D, ConstantSignalHasNoDetail) {
  for (int32_t order = 1; order <= 3; ++order) {
    TSignal s(std::vector<double>(16, 2.5), order);
    s.w.SingleStep(false);
    for (int32_t i = 1; i <= 8; ++i) EXPECT_NEAR(s.w.GetDataVal(i), 2.5 * std::sqrt(2.0), 1e-14);
    for (int32_t i = 9; i <= 16; ++i) EXPECT_NEAR(s.w.GetDataVal(i), 0, 1e-15) << order;
  }
}

TEST(Wavelet1D, ZeroPaddingUsesOnlyExistingSamples) {
  TSignal s({1, 2, 3, 4, 5, 6, 7, 8}, 2, wseZeroPad);
  const auto& h = s.w.LowPass();
  const auto& g = s.w.HighPass();
  s.w.SingleStep(false);
  // The first outputs take x_0 and x_1 through taps 2 and 3 only.
  EXPECT_NEAR(s.w.GetDataVal(1), static_cast<double>(h[2] * 1 + h[3] * 2), 1e-15);
  EXPECT_NEAR(s.w.GetDataVal(5), static_cast<double>(g[2] * 1 + g[3] * 2), 1e-15);
}

// Folding with period 2·Len keeps the six taps of D6 inside a range of
// two values, and the transposed step writes nowhere else.
TEST(Wavelet1D, SymmetricExtensionStaysInsideShortRanges) {
  TSignal s({1, 2, 5, 7}, 3, wseSymmetric);
  s.w.PartialWLT(2, 2, false);
  const auto& h = s.w.LowPass();
  // Sources t = −4..1 read x_0, x_1, x_1, x_0, x_0, x_1.
  const long double a = h[0] * 5 + h[1] * 7 + h[2] * 7 + h[3] * 5 + h[4] * 5 + h[5] * 7;
  EXPECT_NEAR(s.w.GetDataVal(3), static_cast<double>(a), 1e-15);
  EXPECT_EQ(s.w.GetDataVal(1), 1);
  EXPECT_EQ(s.w.GetDataVal(2), 2);
  s.w.PartialWLT(2, 2, true);
  EXPECT_EQ(s.w.GetDataVal(1), 1);
  EXPECT_EQ(s.w.GetDataVal(2), 2);
  for (TWLSigExtMode mode : {wseZeroPad, wseSymmetric}) {
    TSignal full(Random(64, 5), 3, mode);
    full.w.Transform(100);
    full.w.InverseTransform(100);
    for (double v : full.Values()) EXPECT_TRUE(std::isfinite(v)) << mode;
  }
}

// The transposed step is no inverse where the extension acted: only the
// values away from both ends come back.
TEST(Wavelet1D, PaddedInverseStepRestoresTheMiddleOnly) {
  const std::vector<double> x = Random(32, 9);
  for (TWLSigExtMode mode : {wseZeroPad, wseSymmetric})
    for (int32_t order = 2; order <= 3; ++order) {
      SCOPED_TRACE(::testing::Message() << "mode " << mode << ", order " << order);
      TSignal s(x, order, mode);
      s.w.SingleStep(false);
      s.w.SingleStep(true);
      const std::vector<double> back = s.Values();
      for (int32_t i = 2 * order; i < 32 - 2 * order; ++i) EXPECT_NEAR(back[i], x[i], 1e-15) << i;
      EXPECT_GT(std::fabs(back[0] - x[0]) + std::fabs(back[31] - x[31]), 1e-6);
    }
}

// ---------------------------------------------------------------------------
// Levels, ranges and round trips

TEST(Wavelet1D, LevelsAreClampedToTheDepth) {
  const std::vector<double> x = Random(8, 3);
  TSignal a(x, 2), b(x, 2), c(x, 2), d(x, 2), e(x, 2);
  a.w.Transform(20);
  b.w.Transform(3);
  EXPECT_EQ(a.Values(), b.Values());
  c.w.Transform(0);
  d.w.Transform(kIntMin);
  e.w.SingleStep(false);
  EXPECT_EQ(c.Values(), e.Values()) << "Levels 0 counts as 1";
  EXPECT_EQ(d.Values(), e.Values()) << "negative Levels count as 1";
  a.w.InverseTransform(kIntMax);
  EXPECT_LE(MaxDiff(a.Values(), x), 1e-15);

  TSignal one({4}, 3);
  one.w.Transform(5);
  one.w.InverseTransform(5);
  EXPECT_EQ(one.w.GetDataVal(1), 4);
}

TEST(Wavelet1D, PartialInverseUndoesTheSameLevels) {
  const std::vector<double> x = Random(64, 4);
  for (int32_t order = 1; order <= 3; ++order)
    for (int32_t levels = 1; levels <= 6; ++levels) {
      SCOPED_TRACE(::testing::Message() << "order " << order << ", levels " << levels);
      TSignal s(x, order);
      s.w.Transform(levels);
      // The coarsest approximations: the first Size/2^levels values.
      TSignal steps(x, order);
      for (int32_t k = 0, len = 64; k < levels; ++k, len /= 2) steps.w.PartialWLT(len, 0, false);
      EXPECT_EQ(s.Values(), steps.Values());
      s.w.InverseTransform(levels);
      EXPECT_LE(MaxDiff(s.Values(), x), 1e-15);
    }
  TSignal a(x, 2), b(x, 2);
  a.w.InverseTransform(1);
  b.w.SingleStep(true);
  EXPECT_EQ(a.Values(), b.Values()) << "one inverse level is the full-length step";
}

TEST(Wavelet1D, FullDepthRoundTripsKeepTheEnergy) {
  for (int32_t order = 1; order <= 3; ++order)
    for (int32_t log = 0; log <= 20; log += (log < 12 ? 1 : 4)) {
      const int32_t n = 1 << log;
      SCOPED_TRACE(::testing::Message() << "order " << order << ", N = " << n);
      const std::vector<double> x = Random(n, 10 * order + log);
      TSignal s(x, order);
      s.w.Transform(log);
      long double before = 0, after = 0;
      for (int32_t i = 1; i <= n; ++i) {
        before += static_cast<long double>(x[i - 1]) * x[i - 1];
        after += static_cast<long double>(s.w.GetDataVal(i)) * s.w.GetDataVal(i);
      }
      EXPECT_NEAR(static_cast<double>(after / before), 1, 1e-15);
      s.w.InverseTransform(log);
      EXPECT_LE(MaxDiff(s.Values(), x), 1e-17 * (log + 1));
    }
}

TEST(Wavelet1D, PartialStepTransformsOnlyItsRange) {
  const std::vector<double> x = Random(16, 6);
  TSignal s(x, 2);
  s.w.PartialWLT(8, 4, false);
  TSignal alone(std::vector<double>(x.begin() + 4, x.begin() + 12), 2);
  alone.w.SingleStep(false);
  const std::vector<double> v = s.Values();
  for (int32_t i = 0; i < 16; ++i) {
    if (i >= 4 && i < 12)
      EXPECT_EQ(v[i], alone.w.GetDataVal(i - 3)) << i;
    else
      EXPECT_EQ(v[i], x[i]) << i;
  }
}

TEST(Wavelet1D, PartialStepRefusesRangesOutsideTheSignal) {
  const std::vector<double> x = Random(16, 8);
  TSignal s(x, 3);
  const struct {
    const char* what;
    int32_t len, offset;
  } cases[] = {
      {"negative offset", 8, -1},     {"beyond the end", 8, 9},    {"far beyond", 16, kIntMax},
      {"Len not a power of two", 6, 0}, {"odd Len", 3, 0},        {"Len 1", 1, 0},
      {"Len 0", 0, 0},                {"negative Len", -8, 0},     {"Len above Size", 32, 0},
      {"most negative offset", 8, kIntMin},
  };
  for (const auto& c : cases) {
    s.w.PartialWLT(c.len, c.offset, false);
    s.w.PartialWLT(c.len, c.offset, true);
    EXPECT_EQ(s.Values(), x) << c.what;
  }
}

TEST(Wavelet1D, NonFiniteSamplesStayLocal) {
  std::vector<double> x(32, 1.0);
  x[20] = kNaN;
  x[5] = std::numeric_limits<double>::infinity();
  TSignal s(x, 2);
  s.w.SingleStep(false);
  // D4 outputs l read x_(2l−2) .. x_(2l+1): l = 2, 3 see x_5, l = 10, 11 x_20.
  for (int32_t l = 0; l < 16; ++l) {
    const bool touched = l == 2 || l == 3 || l == 10 || l == 11;
    EXPECT_EQ(std::isfinite(s.w.GetDataVal(l + 1)), !touched) << "approximation " << l;
    EXPECT_EQ(std::isfinite(s.w.GetDataVal(l + 17)), !touched) << "detail " << l;
  }
  s.w.Transform(5);
  s.w.InverseTransform(5);
}

}  // namespace
}  // namespace nuv
