// TMat4D: windows, statistics, searching, the fingerprint and the
// per-pixel mean and standard deviation over layers and time slots.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "Nuv_matrix_3d4d_parts.h"
#include "Nuv_vector_stats.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_math1.h"

namespace nuv {

using stats::MeanVarOf;

namespace {

// Adds the values x[k][i] of K planes, in order, to s[i] + c[i] without
// rounding error: c collects what each sum of s rounds away (Knuth's
// two-sum), so the result is as exact as the final division allows,
// whatever the order and magnitude of the values. With Squares the values
// added are (x[k][i] - m[i])². Each pixel is a lane of its own, which lets
// the compiler vectorise the loop; s and c are read and written once per
// K planes.
template <int K, bool Squares>
[[gnu::always_inline]] inline void Accumulate(double* __restrict s, double* __restrict c,
                                              const double* const* x, const double* m,
                                              int64_t n) {
  for (int64_t i = 0; i < n; ++i) {
    double a = s[i], e = c[i];
    for (int k = 0; k < K; ++k) {
      double b = x[k][i];
      if constexpr (Squares) b = (b - m[i]) * (b - m[i]);
      const double t = a + b, bv = t - a;
      e += (a - (t - bv)) + (b - bv);
      a = t;
    }
    s[i] = a;
    c[i] = e;
  }
}

#define NUV_ACCUMULATE(name, K, Squares)                                                      \
  __attribute__((target_clones("avx2", "default"))) void name(                                 \
      double* s, double* c, const double* const* x, const double* m, int64_t n) {             \
    Accumulate<K, Squares>(s, c, x, m, n);                                                    \
  }
NUV_ACCUMULATE(AddPlanes8, 8, false)
NUV_ACCUMULATE(AddPlane, 1, false)
NUV_ACCUMULATE(AddSquares8, 8, true)
NUV_ACCUMULATE(AddSquare, 1, true)
#undef NUV_ACCUMULATE

// (sum + carry) / n, rounded once.
double Combine(double sum, double carry, long double n) {
  return static_cast<double>((static_cast<long double>(sum) + carry) / n);
}

// Pixels of one pass: the sums of a tile stay in cache while the planes
// of the window stream through it, eight at a time.
constexpr int64_t kTilePixels = 4096;

}  // namespace

TMat4D::TWindow TMat4D::Window(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh,
                               int32_t layerLow, int32_t layerHigh, int32_t slotLow,
                               int32_t slotHigh) const {
  MakeValidColRange(colLow, colHigh);
  MakeValidRowRange(rowLow, rowHigh);
  MakeValidLayerRange(layerLow, layerHigh);
  MakeValidTSlotRange(slotLow, slotHigh);
  return {{colLow, rowLow, layerLow, slotLow}, {colHigh, rowHigh, layerHigh, slotHigh}};
}

template <class F>
void TMat4D::ForEachPlane(const TWindow& w, F&& f) const {
  for (int32_t t = w.Lo[3]; t <= w.Hi[3]; ++t)
    for (int32_t l = w.Lo[2]; l <= w.Hi[2]; ++l)
      f(stats::TBlock<double>{data_.get() + Addr4D(w.Lo[0], w.Lo[1], l, t), w.Extent(0), n_[0],
                              w.Extent(1)});
}

double TMat4D::Sum(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh,
                   int32_t layerLow, int32_t layerHigh, int32_t slotLow, int32_t slotHigh) const {
  long double sum = 0;
  ForEachPlane(Window(colLow, colHigh, rowLow, rowHigh, layerLow, layerHigh, slotLow, slotHigh),
               [&](const stats::TBlock<double>& b) { sum += stats::Sum(b); });
  return static_cast<double>(sum);
}

void TMat4D::MeanVar(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh,
                     int32_t layerLow, int32_t layerHigh, int32_t slotLow, int32_t slotHigh,
                     double& mean, double& variance) const {
  const TWindow w =
      Window(colLow, colHigh, rowLow, rowHigh, layerLow, layerHigh, slotLow, slotHigh);
  MeanVarOf(
      w.Extent(0) * w.Extent(1) * w.Planes(),
      [&](auto&& f) { ForEachPlane(w, [&](const stats::TBlock<double>& b) { b.ForEach(f); }); },
      mean, variance);
}

void TMat4D::MinMax(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh,
                    int32_t layerLow, int32_t layerHigh, int32_t slotLow, int32_t slotHigh,
                    double& min, double& max) const {
  min = std::numeric_limits<double>::infinity();
  max = -std::numeric_limits<double>::infinity();
  ForEachPlane(Window(colLow, colHigh, rowLow, rowHigh, layerLow, layerHigh, slotLow, slotHigh),
               [&](const stats::TBlock<double>& b) {
                 double lo = 0, hi = 0;
                 if (!stats::MinMax(b, lo, hi)) return;
                 min = std::min(min, lo);
                 max = std::max(max, hi);
               });
}

void TMat4D::Find(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh,
                  int32_t layerLow, int32_t layerHigh, int32_t slotLow, int32_t slotHigh,
                  double value, int32_t& col, int32_t& row, int32_t& layer, int32_t& slot) const {
  const TWindow w =
      Window(colLow, colHigh, rowLow, rowHigh, layerLow, layerHigh, slotLow, slotHigh);
  // In storage order; TNearest resolves ties in the scan order.
  matrix::TNearest nearest(value);
  for (int32_t t = w.Lo[3]; t <= w.Hi[3]; ++t)
    for (int32_t l = w.Lo[2]; l <= w.Hi[2]; ++l)
      for (int32_t r = w.Lo[1]; r <= w.Hi[1]; ++r) {
        const double* run = data_.get() + Addr4D(1, r, l, t);
        for (int32_t c = w.Lo[0]; c <= w.Hi[0]; ++c) nearest.Offer(run[c - 1], {c, r, l, t});
      }
  col = nearest.Where[0];
  row = nearest.Where[1];
  layer = nearest.Where[2];
  slot = nearest.Where[3];
}

std::string TMat4D::CRCofData() const {
  uint32_t registers[8];
  std::fill_n(registers, 8, 0xFFFFFFFFu);
  const int64_t layerStride = int64_t{n_[0]} * n_[1], slotStride = layerStride * n_[2];
  for (int32_t c = 1; c <= n_[0]; ++c)
    for (int32_t r = 1; r <= n_[1]; ++r) {
      const double* cell = data_.get() + Addr4D(c, r, 1, 1);
      for (int32_t l = 0; l < n_[2]; ++l)
        for (int32_t t = 0; t < n_[3]; ++t) {
          const auto image = std::bit_cast<uint64_t>(cell[l * layerStride + t * slotStride]);
          for (int k = 0; k < 8; ++k)
            registers[k] = CalcNextCRC32(static_cast<uint8_t>(image >> (8 * k)), registers[k]);
        }
    }
  std::string text;
  for (const uint32_t reg : registers) text += Hex(static_cast<int32_t>(~reg), 8);
  return text;
}

double TMat4D::PixelInExtended(const TWindow& w, int64_t pixel, bool deviation) const {
  const int64_t width = w.Extent(0);
  const double* first = data_.get() + Addr4D(w.Lo[0] + static_cast<int32_t>(pixel % width),
                                               w.Lo[1] + static_cast<int32_t>(pixel / width), 1, 1);
  const int64_t layerStride = int64_t{n_[0]} * n_[1], slotStride = layerStride * n_[2];
  auto forEachValue = [&](auto&& f) {
    for (int32_t t = w.Lo[3]; t <= w.Hi[3]; ++t)
      for (int32_t l = w.Lo[2]; l <= w.Hi[2]; ++l)
        f(first[(l - 1) * layerStride + (t - 1) * slotStride]);
  };
  const auto n = static_cast<long double>(w.Planes());
  long double sum = 0;
  forEachValue([&](double x) { sum += x; });
  const long double mean = sum / n;
  if (!deviation) return static_cast<double>(mean);
  long double squares = 0;
  forEachValue([&](double x) { squares += (x - mean) * (x - mean); });
  return static_cast<double>(std::sqrt(squares / n));
}

void TMat4D::PixelStatistics(TMatrix& matrix, const TWindow& w, bool deviation) const {
  const int64_t width = w.Extent(0), height = w.Extent(1), pixels = width * height;
  const auto planes = static_cast<long double>(w.Planes());
  std::vector<double> result, sum, carry, mean;
  std::vector<const double*> bases, at;
  try {
    result.resize(static_cast<std::size_t>(pixels));
    sum.resize(kTilePixels);
    carry.resize(kTilePixels);
    mean.resize(kTilePixels);
    for (int32_t t = w.Lo[3]; t <= w.Hi[3]; ++t)
      for (int32_t l = w.Lo[2]; l <= w.Hi[2]; ++l)
        bases.push_back(data_.get() + Addr4D(w.Lo[0], w.Lo[1], l, t));
    at.resize(bases.size());
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  // Adds the pixels p0..p0 + n - 1 of every plane (values or squared
  // deviations from mean) into sum and carry, row piece by row piece.
  auto accumulate = [&](int64_t p0, int64_t n, bool squares) {
    std::fill_n(sum.data(), n, 0.0);
    std::fill_n(carry.data(), n, 0.0);
    for (int64_t p = p0; p < p0 + n;) {
      // Rows of whole planes follow each other: one piece.
      const int64_t row = p / width, col = p % width;
      const int64_t len = width == n_[0] ? p0 + n - p : std::min(width - col, p0 + n - p);
      const int64_t offset = row * n_[0] + col, i = p - p0;
      for (std::size_t k = 0; k < bases.size(); ++k) at[k] = bases[k] + offset;
      std::size_t k = 0;
      for (; k + 8 <= at.size(); k += 8)
        (squares ? AddSquares8 : AddPlanes8)(sum.data() + i, carry.data() + i, &at[k],
                                              mean.data() + i, len);
      for (; k < at.size(); ++k)
        (squares ? AddSquare : AddPlane)(sum.data() + i, carry.data() + i, &at[k], mean.data() + i,
                                         len);
      p += len;
    }
  };
  const int64_t every = static_cast<int64_t>(w.Planes() / 100) + 1;
  for (int64_t p0 = 0; p0 < pixels; p0 += kTilePixels) {
    const int64_t n = std::min(kTilePixels, pixels - p0);
    accumulate(p0, n, false);
    // The sum and its carry are joined in extended precision, so that
    // the mean is rounded once.
    for (int64_t i = 0; i < n; ++i) mean[i] = Combine(sum[i], carry[i], planes);
    if (deviation) {
      accumulate(p0, n, true);
      for (int64_t i = 0; i < n; ++i) mean[i] = std::sqrt(Combine(sum[i], carry[i], planes));
    }
    for (int64_t i = 0; i < n; ++i) {
      // A sum beyond the double range (values near 1e308) is taken again
      // in extended precision, whose range holds it.
      result[p0 + i] = std::isfinite(mean[i]) ? mean[i] : PixelInExtended(w, p0 + i, deviation);
      if ((p0 + i + 1) % every == 0) IncProcStat();
    }
  }
  if (matrix.NrOfColumns() != width || matrix.NrOfRows() != height)
    matrix.Resize(static_cast<int32_t>(width), static_cast<int32_t>(height));
  for (int64_t c = 0; c < width; ++c) {
    double* out = matrix.Column(static_cast<int32_t>(c + 1));
    for (int64_t r = 0; r < height; ++r) out[r] = result[r * width + c];
  }
  matrix.Changed();
}

void TMat4D::MeanOfLayersToMatrix(TMatrix& matrix, int32_t colLow, int32_t colHigh,
                                  int32_t rowLow, int32_t rowHigh, int32_t layerLow,
                                  int32_t layerHigh, int32_t slotLow, int32_t slotHigh) const {
  PixelStatistics(
      matrix, Window(colLow, colHigh, rowLow, rowHigh, layerLow, layerHigh, slotLow, slotHigh),
      false);
}

void TMat4D::StdDevOfLayersToMatrix(TMatrix& matrix, int32_t colLow, int32_t colHigh,
                                    int32_t rowLow, int32_t rowHigh, int32_t layerLow,
                                    int32_t layerHigh, int32_t slotLow, int32_t slotHigh) const {
  PixelStatistics(
      matrix, Window(colLow, colHigh, rowLow, rowHigh, layerLow, layerHigh, slotLow, slotHigh),
      true);
}

}  // namespace nuv
