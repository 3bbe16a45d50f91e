// Window statistics, searching, the fingerprint and sorting of TIntMatrix.
//
// The moments run over the non-zero elements in column-major order and add
// the zeros as one term at the end, so that a sparse matrix (whose zeros
// are mostly not stored) and a dense one give the same result, bit for
// bit, in time that follows the stored entries.
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "Nuv_matrix_int_parts.h"
#include "Nuv_vector_stats.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_math1.h"

namespace nuv {

namespace {

constexpr int32_t kIntMax = matrix::kIntMax;

// Deviations from a mean: their sums of first to fourth powers.
struct TDeviations {
  long double s1 = 0, s2 = 0, s3 = 0, s4 = 0;
  void Add(long double d, long double times = 1) {
    const long double d2 = d * d;
    s1 += times * d;
    s2 += times * d2;
    s3 += times * d2 * d;
    s4 += times * d2 * d2;
  }
};

// The deviations from m of the values that forEach(f) passes to f, zeros
// last: cells values in all, those not passed being 0.
template <class ForEach>
TDeviations DeviationsOf(ForEach&& forEach, int64_t cells, long double m) {
  TDeviations dev;
  int64_t nonZero = 0;
  forEach([&](int32_t, int32_t, int32_t v) {
    if (v == 0) return;
    dev.Add(v - m);
    ++nonZero;
  });
  dev.Add(-m, static_cast<long double>(cells - nonZero));
  return dev;
}

// Skewness and excess kurtosis of n values from their deviations, with
// the sample standard deviation; 0 without spread.
stats::TShape ShapeOf(const TDeviations& dev, int64_t cells) {
  stats::TShape shape;
  shape.Count = static_cast<int32_t>(std::min<int64_t>(cells, kIntMax));
  const long double n = static_cast<long double>(cells);
  const long double var = (dev.s2 - dev.s1 * dev.s1 / n) / (n - 1);
  if (!(var > 0)) return shape;
  const long double s = std::sqrt(var);
  shape.Spread = true;
  shape.Skewness = static_cast<double>(dev.s3 / n / (s * s * s));
  shape.Kurtosis = static_cast<double>(dev.s4 / n / (var * var) - 3);
  return shape;
}

// The window's values in ascending order, with the zeros that a sparse
// matrix does not store counted in.
class TSortedValues {
 public:
  TSortedValues(std::vector<int32_t> stored, int64_t unstoredZeros)
      : values_(std::move(stored)), zeros_(unstoredZeros) {
    std::sort(values_.begin(), values_.end());
    firstPositive_ = std::upper_bound(values_.begin(), values_.end(), 0) - values_.begin();
  }
  int64_t Size() const { return static_cast<int64_t>(values_.size()) + zeros_; }
  // Element i (from 0).
  int32_t operator[](int64_t i) const {
    if (i < firstPositive_) return values_[static_cast<std::size_t>(i)];
    if (i < firstPositive_ + zeros_) return 0;
    return values_[static_cast<std::size_t>(i - zeros_)];
  }
  // The (n + 1)-based quantile position pos of TVector::Quartiles.
  double At(long double pos) const {
    const int64_t n = Size();
    if (n == 0) return 0;
    const auto k = static_cast<int64_t>(pos);
    if (k < 1) return (*this)[0];
    if (k >= n) return (*this)[n - 1];
    const long double lower = (*this)[k - 1], upper = (*this)[k];
    return static_cast<double>(lower + (upper - lower) * (pos - k));
  }

 private:
  std::vector<int32_t> values_;
  int64_t zeros_;
  int64_t firstPositive_;
};

// Binary search of TMatrix::FindInSortedColumn over rows 1..count read
// through at(row): the exact hit, or the nearer of the two enclosing rows
// (the upper on ties).
template <class At>
int32_t FindInSortedRows(At&& at, int32_t count, bool ascending, double value) {
  int32_t lo = 1, hi = count;
  if (count <= 1) return 1;
  while (hi - lo > 1) {
    const int32_t mid = lo + (hi - lo) / 2;
    const double a = at(mid);
    if (a == value) return mid;
    if (ascending ? value > a : value < a)
      lo = mid;
    else
      hi = mid;
  }
  return std::fabs(at(lo) - value) < std::fabs(at(hi) - value) ? lo : hi;
}

}  // namespace

// ---------------------------------------------------------------------------
// Sums and moments

int64_t TIntMatrix::Sum(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const {
  int64_t sum = 0;
  ForEachStored(Window(loCol, loRow, hiCol, hiRow), [&](int32_t, int32_t, int32_t v) { sum += v; });
  return sum;
}

int64_t TIntMatrix::Trace() const {
  if (ncols_ != nrows_ || ncols_ == 0) return 0;
  int64_t sum = 0;
  if (sparse_) {
    for (const TIntMatEntry& e : sparse_->Entries())
      if (e.Col == e.Row) sum += e.Value;
  } else {
    for (int32_t i = 1; i <= ncols_; ++i) sum += *At(i, i);
  }
  return sum;
}

void TIntMatrix::MeanVar(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& mean,
                         double& variance) const {
  const TWindow w = Window(loCol, loRow, hiCol, hiRow);
  variance = 1.0;
  if (w.Cells == 0) {
    mean = 0;
    return;
  }
  const long double n = static_cast<long double>(w.Cells);
  const long double m = Sum(loCol, loRow, hiCol, hiRow) / n;
  mean = static_cast<double>(m);
  if (w.Cells < 3) return;
  // Deviations from the mean, so that large offsets cancel before squaring;
  // the correction term removes what rounding left in the mean.
  const TDeviations dev = DeviationsOf([&](auto f) { ForEachStored(w, f); }, w.Cells, m);
  const long double v = (dev.s2 - dev.s1 * dev.s1 / n) / (n - 1);
  variance = v < 0 ? 0.0 : static_cast<double>(v);
}

void TIntMatrix::SkewKurtIntern(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                                double& skewness, double& kurtosis, int32_t& count) const {
  const stats::TShape shape = Shape(Window(loCol, loRow, hiCol, hiRow));
  skewness = shape.Skewness;
  kurtosis = shape.Kurtosis;
  count = shape.Count;
}

void TIntMatrix::SkewKurt(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                          double& skewness, double& kurtosis) const {
  int32_t count = 0;
  SkewKurtIntern(loCol, loRow, hiCol, hiRow, skewness, kurtosis, count);
}

void TIntMatrix::SkewKurtSample(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                                double& skewness, double& kurtosis) const {
  const stats::TShape sample = stats::SampleShape(Shape(Window(loCol, loRow, hiCol, hiRow)));
  skewness = sample.Skewness;
  kurtosis = sample.Kurtosis;
}

stats::TShape TIntMatrix::Shape(const TWindow& w) const {
  if (w.Cells < 4) {
    stats::TShape shape;
    shape.Count = static_cast<int32_t>(w.Cells);
    return shape;
  }
  const long double m = Sum(w.C0, w.R0, w.C1, w.R1) / static_cast<long double>(w.Cells);
  return ShapeOf(DeviationsOf([&](auto f) { ForEachStored(w, f); }, w.Cells, m), w.Cells);
}

std::vector<int32_t> TIntMatrix::StoredValues(const TWindow& w) const {
  std::vector<int32_t> values;
  try {
    values.reserve(static_cast<std::size_t>(sparse_ ? 0 : w.Cells));
    ForEachStored(w, [&](int32_t, int32_t, int32_t v) { values.push_back(v); });
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  return values;
}

// ---------------------------------------------------------------------------
// Means and ordered statistics

stats::TBlock<int32_t> TIntMatrix::Block(const TWindow& w, std::vector<int32_t>& values) const {
  if (w.Cells == 0) return {};
  if (!sparse_) return {At(w.C0, w.R0), int64_t{w.R1} - w.R0 + 1, ld_, int64_t{w.C1} - w.C0 + 1};
  values = StoredValues(w);
  return stats::Contiguous(values.data(), static_cast<int64_t>(values.size()));
}

double TIntMatrix::GeometricMean(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const {
  const TWindow w = Window(loCol, loRow, hiCol, hiRow);
  std::vector<int32_t> values;
  const stats::TBlock<int32_t> block = Block(w, values);
  double result = 0;
  if (!stats::GeometricMean(block, result)) Raise("negative argument passed to GeometricMean");
  // Elements a sparse matrix does not store are zeros.
  return block.Size() < w.Cells ? 0.0 : result;
}

double TIntMatrix::HarmonicMean(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const {
  const TWindow w = Window(loCol, loRow, hiCol, hiRow);
  std::vector<int32_t> values;
  const stats::TBlock<int32_t> block = Block(w, values);
  double result = 0;
  if (block.Size() < w.Cells || !stats::HarmonicMean(block, result))
    Raise("negative or zero argument passed to HarmonicMean");
  return result;
}

bool TIntMatrix::Quartiles(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& q1,
                           double& q2, double& q3) const {
  const TWindow w = Window(loCol, loRow, hiCol, hiRow);
  if (w.Cells == 0) return false;
  std::vector<int32_t> stored = StoredValues(w);
  const int64_t unstored = w.Cells - static_cast<int64_t>(stored.size());
  const TSortedValues sorted(std::move(stored), unstored);
  const long double n1 = static_cast<long double>(w.Cells) + 1;
  q1 = sorted.At(n1 * 0.25L);
  q2 = sorted.At(n1 * 0.5L);
  q3 = sorted.At(n1 * 0.75L);
  return true;
}

double TIntMatrix::Percentile(double p, int32_t loCol, int32_t loRow, int32_t hiCol,
                              int32_t hiRow) const {
  if (!(p > 0)) p = 0;
  if (p > 100) p = 100;
  const TWindow w = Window(loCol, loRow, hiCol, hiRow);
  if (w.Cells == 0) return 0;
  std::vector<int32_t> stored = StoredValues(w);
  const int64_t unstored = w.Cells - static_cast<int64_t>(stored.size());
  const TSortedValues sorted(std::move(stored), unstored);
  if (p == 100) return sorted[w.Cells - 1];
  return sorted.At(p * (static_cast<long double>(w.Cells) + 1) / 100);
}

void TIntMatrix::MinMax(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, int32_t& min,
                        int32_t& max) const {
  // The first element sets both bounds, so that a window holding only
  // -2147483648 reports it as its maximum too.
  std::vector<int32_t> values;
  if (!stats::MinMax(Block(Window(loCol, loRow, hiCol, hiRow), values), min, max)) {
    min = kIntMax;
    max = -kIntMax;
  }
}

void TIntMatrix::Find(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double value,
                      int32_t& col, int32_t& row) const {
  const TWindow w = Window(loCol, loRow, hiCol, hiRow);
  col = row = 0;
  if (w.Cells == 0 || value != value) return;
  const int64_t height = int64_t{w.R1} - w.R0 + 1;
  // Positions count column-major from the window's first element.
  int64_t best = -1, next = 0, firstGap = -1;
  double bestDist = 0;
  ForEachStored(w, [&](int32_t c, int32_t r, int32_t v) {
    const int64_t pos = (int64_t{c} - w.C0) * height + (r - w.R0);
    if (pos > next && firstGap < 0) firstGap = next;
    next = pos + 1;
    const double d = std::fabs(v - value);
    if (best < 0 || d < bestDist) {
      best = pos;
      bestDist = d;
    }
  });
  if (firstGap < 0 && next < w.Cells) firstGap = next;
  // An element not stored reads 0.
  if (firstGap >= 0) {
    const double d = std::fabs(value);
    if (best < 0 || d < bestDist || (d == bestDist && firstGap < best)) best = firstGap;
  }
  col = static_cast<int32_t>(w.C0 + best / height);
  row = static_cast<int32_t>(w.R0 + best % height);
}

int32_t TIntMatrix::FindInSortedColumn(int32_t col, bool ascending, double value) const {
  if (col < 1 || col > ncols_ || nrows_ == 0) return 0;
  return FindInSortedRows([&](int32_t r) { return static_cast<double>(GetVal(col, r)); }, nrows_,
                          ascending, value);
}

// ---------------------------------------------------------------------------
// Fingerprint

std::string TIntMatrix::CRCofData() const {
  if (!sparse_) {
    const int64_t rows = ncols_ == 0 ? 0 : nrows_;
    return stats::Fingerprint(stats::TBlock<int32_t>{dense_.data(), rows, ld_, ncols_});
  }
  // The elements column by column, runs of unstored zeros in one step.
  uint32_t registers[4] = {~0u, ~0u, ~0u, ~0u};
  auto feed = [&](int32_t v) {
    const auto image = static_cast<uint32_t>(v);
    for (int k = 0; k < 4; ++k)
      registers[k] = CalcNextCRC32(static_cast<uint8_t>(image >> (8 * k)), registers[k]);
  };
  auto skip = [&](int64_t zeros) {
    if (zeros > 0)
      for (uint32_t& r : registers) r = matrix::CRC32AfterZeros(r, static_cast<uint64_t>(zeros));
  };
  int64_t next = 0;
  for (const TIntMatEntry& e : sparse_->Entries()) {
    const int64_t pos = (int64_t{e.Col} - 1) * nrows_ + (e.Row - 1);
    skip(pos - next);
    feed(e.Value);
    next = pos + 1;
  }
  skip(int64_t{ncols_} * nrows_ - next);
  std::string text;
  for (uint32_t r : registers) text += Hex(static_cast<int32_t>(~r), 8);
  return text;
}

namespace matrix {

namespace {

constexpr uint32_t kPoly = 0xEDB88320u;

// a·b modulo the CRC polynomial, bit-reflected (x^0 is the top bit).
uint32_t MultModP(uint32_t a, uint32_t b) {
  uint32_t product = 0;
  for (uint32_t m = 1u << 31; m != 0; m >>= 1) {
    if (a & m) product ^= b;
    b = (b & 1) ? (b >> 1) ^ kPoly : b >> 1;
  }
  return product;
}

}  // namespace

uint32_t CRC32AfterZeros(uint32_t crc, uint64_t n) {
  // A zero byte multiplies the register by x^8: n of them by x^(8n), built
  // from the squares x^(8·2^k).
  uint32_t power = 1u << 23;  // x^8
  for (; n != 0; n >>= 1) {
    if (n & 1) crc = MultModP(power, crc);
    power = MultModP(power, power);
  }
  return crc;
}

}  // namespace matrix

// ---------------------------------------------------------------------------
// Sorting

void TIntMatrix::SortRows(int32_t keyCol, bool ascending, int32_t loCol, int32_t loRow,
                          int32_t hiCol, int32_t hiRow) {
  RequireDense("SortRows");
  MakeValidColRange(loCol, hiCol);
  MakeValidRowRange(loRow, hiRow);
  if (nrows_ == 0 || hiRow - loRow < 1) return;
  const bool keyOutside = keyCol >= 1 && keyCol <= ncols_ && (keyCol < loCol || keyCol > hiCol);
  const int32_t firstCol = std::max(loCol, 1), lastCol = std::min(hiCol, ncols_);
  auto before = [&](int32_t i, int32_t j) {
    const int32_t a = GetVal(keyCol, i), b = GetVal(keyCol, j);
    return ascending ? a > b : a < b;
  };
  stats::CombSort(loRow, hiRow, int64_t{hiRow} - loRow + 1, before, [&](int32_t i, int32_t j) {
    for (int32_t c = firstCol; c <= lastCol; ++c) std::swap(*At(c, i), *At(c, j));
    if (keyOutside) std::swap(*At(keyCol, i), *At(keyCol, j));
    SortExchange(2, i, j, loCol, hiCol);
  });
  Changed();
}

void TIntMatrix::SortCols(int32_t keyRow, bool ascending, int32_t loCol, int32_t loRow,
                          int32_t hiCol, int32_t hiRow) {
  RequireDense("SortCols");
  MakeValidColRange(loCol, hiCol);
  MakeValidRowRange(loRow, hiRow);
  if (ncols_ == 0 || hiCol - loCol < 1) return;
  const bool keyOutside = keyRow >= 1 && keyRow <= nrows_ && (keyRow < loRow || keyRow > hiRow);
  const int32_t firstRow = std::max(loRow, 1), lastRow = std::min(hiRow, nrows_);
  auto before = [&](int32_t i, int32_t j) {
    const int32_t a = GetVal(i, keyRow), b = GetVal(j, keyRow);
    return ascending ? a > b : a < b;
  };
  stats::CombSort(loCol, hiCol, int64_t{hiCol} - loCol + 1, before, [&](int32_t i, int32_t j) {
    if (firstRow <= lastRow) std::swap_ranges(At(i, firstRow), At(i, lastRow) + 1, At(j, firstRow));
    if (keyOutside) std::swap(*At(i, keyRow), *At(j, keyRow));
    SortExchange(1, i, j, loRow, hiRow);
  });
  Changed();
}

}  // namespace nuv
