// Index ranges, statistics, searching, histogram and comb-sort helpers
// shared by the vectors and the matrix windows (not installed).
//
// The values of a statistic come as a block: a number of equally long
// contiguous segments a fixed stride apart. A vector range is one segment,
// a matrix window one segment per column. Running sums are extended
// precision; ordered statistics work on a sorted copy.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace nuv {
class TIntVector;
}

namespace nuv::stats {

// Index ranges from 1, as the vectors, matrices and tables take them:
// ClampRange clamps both bounds into 1..count and orders them;
// MakeValidRange reads lo = hi = 0 as the whole extent 1..count first.
inline void ClampRange(int32_t& lo, int32_t& hi, int32_t count) {
  lo = std::clamp(lo, 1, std::max(count, 1));
  hi = std::clamp(hi, 1, std::max(count, 1));
  if (lo > hi) std::swap(lo, hi);
}

inline void MakeValidRange(int32_t& lo, int32_t& hi, int32_t count) {
  if (lo == 0 && hi == 0) {
    lo = 1;
    hi = count;
  } else {
    ClampRange(lo, hi, count);
  }
}

template <class T>
struct TBlock {
  const T* First = nullptr;  // first value of the first segment
  int64_t SegLength = 0;     // values per segment
  int64_t Stride = 0;        // distance between the starts of two segments
  int64_t Segments = 0;

  int64_t Size() const { return SegLength * Segments; }

  // Calls f(value) for every value, segment by segment.
  template <class F>
  void ForEach(F&& f) const {
    for (int64_t s = 0; s < Segments; ++s) {
      const T* p = First + s * Stride;
      for (int64_t i = 0; i < SegLength; ++i) f(p[i]);
    }
  }
};

template <class T>
TBlock<T> Contiguous(const T* first, int64_t count) {
  return {first, count, count, count > 0 ? 1 : 0};
}

template <class T>
long double Sum(const TBlock<T>& b);

// Mean and sample variance. The variance is 1 unless there are at least
// three values; no values give mean 0.
template <class T>
void MeanVar(const TBlock<T>& b, double& mean, double& variance);

// The same for any n values: forEach(f) calls f(x) for each of them (it
// is called twice).
template <class ForEach>
void MeanVarOf(int64_t n, ForEach&& forEach, double& mean, double& variance) {
  variance = 1.0;
  if (n == 0) {
    mean = 0;
    return;
  }
  long double sum = 0;
  forEach([&](auto x) { sum += x; });
  const long double m = sum / n;
  mean = static_cast<double>(m);
  if (n < 3) return;
  // Deviations from the mean, so that large offsets cancel before squaring;
  // the correction term removes what rounding left in the mean.
  long double sd = 0, sd2 = 0;
  forEach([&](auto x) {
    const long double d = x - m;
    sd += d;
    sd2 += d * d;
  });
  const long double v = (sd2 - sd * sd / n) / (n - 1);
  variance = v < 0 ? 0.0 : static_cast<double>(v);
}

// exp(mean of ln x), 0 when a value is 0 or there are none. False (result
// untouched) when a value is negative.
template <class T>
bool GeometricMean(const TBlock<T>& b, double& result);

// n / sum(1/x), 0 without values. False (result untouched) when a value is
// not positive.
template <class T>
bool HarmonicMean(const TBlock<T>& b, double& result);

// Third and fourth standardised moments (kurtosis as excess over 3),
// computed with the sample standard deviation. Both 0 for fewer than four
// values and when the values do not spread (Spread false).
struct TShape {
  double Skewness = 0;
  double Kurtosis = 0;
  int32_t Count = 0;
  bool Spread = false;
};
template <class T>
TShape SkewKurt(const TBlock<T>& b);
// The bias-corrected sample form of the moments of SkewKurt; 0 for both
// when they are undefined (fewer than four values, no spread).
TShape SampleShape(const TShape& moments);

// Pearson's correlation from the sums of a, b, a², b² and a·b over n pairs;
// 0 unless both sums of squares are positive and both values vary.
long double CorrelationOfSums(long double n, long double sa, long double sb, long double saa,
                              long double sbb, long double sab);

// The values, sorted ascending with SortArray (which advances ProcStat).
// Raises std::bad_alloc when no copy can be made.
template <class T>
std::vector<T> SortedCopy(const TBlock<T>& b);

// Quantiles of sorted values at position (n + 1)·q, interpolated between
// neighbours; positions before the first value give the first, positions
// at or beyond the last give the last. Empty input gives 0.
template <class T>
void Quartiles(std::span<const T> sorted, double& q1, double& q2, double& q3);
// p in percent, clamped to [0, 100] (NaN counts as 0).
template <class T>
double Percentile(std::span<const T> sorted, double p);
// The value of the longest run of equal values, the smallest on equal runs;
// 0 for empty input.
template <class T>
T Mode(std::span<const T> sorted);

// Smallest and largest value; NaN values take no part. False (min and max
// untouched) when no value takes part.
template <class T>
bool MinMax(const TBlock<T>& b, T& min, T& max);

// Position (0-based, in ForEach order) of the value nearest to value, the
// first one on ties; -1 when no value compares.
template <class T>
int64_t FindNearest(const TBlock<T>& b, double value);

// Binary search in values sorted ascending or descending: the exact hit, or
// the nearer of the two neighbours that enclose value (the upper on ties).
// count >= 1; the result is 0-based.
template <class T>
int64_t FindInSorted(const T* first, int64_t stride, int64_t count, bool ascending, double value);

// Fingerprint of the values: one CRC-32 register per byte position of the
// element image (8 for doubles, 4 for integers), each fed with that byte
// of every value in order, then complemented and written as 8 upper-case
// hex digits, register 0 first.
template <class T>
std::string Fingerprint(const TBlock<T>& b);

// A histogram of Count bins of BinWidth from FirstBin on, with underflow
// and overflow counts.
class THistogram {
 public:
  // Round(|lastBin - firstBin| / binWidth) bins, all counts 0. False for a
  // width that is not positive (or NaN), for no bins and for more than 500.
  bool Setup(double firstBin, double lastBin, double binWidth);
  int32_t Count() const { return count_; }
  // 1..Count for a value inside a bin, 0 below the first bin, Count + 1 at
  // or beyond the end of the last bin (NaN included).
  int32_t BinOf(double x) const;
  void Add(double x, uint64_t times = 1) { counts_[BinOf(x)] += times; }
  // Resizes histo to the bins and stores the counts, each saturating at
  // the int32 range; maxCount is the largest bin count.
  void Store(TIntVector& histo, int32_t& underflow, int32_t& overflow, int32_t& maxCount) const;

 private:
  double first_ = 0;
  double width_ = 1;
  int32_t count_ = 0;
  std::vector<uint64_t> counts_;
};

// Comb sort of the positions lo..hi (shrink factor 1.3, the first gap
// Trunc(firstGap / 1.3), ending with a clean gap-1 pass). outOfOrder(i, j)
// tells whether positions i < j must be exchanged; exchange(i, j) does it.
template <class OutOfOrder, class Exchange>
void CombSort(int32_t lo, int32_t hi, int64_t firstGap, OutOfOrder&& outOfOrder,
              Exchange&& exchange) {
  if (hi - lo < 1) return;
  int64_t gap = firstGap;
  for (;;) {
    gap = static_cast<int64_t>(static_cast<double>(gap) / 1.3);
    if (gap < 1) gap = 1;
    bool exchanged = false;
    for (int64_t i = lo; i + gap <= hi; ++i) {
      const auto a = static_cast<int32_t>(i), b = static_cast<int32_t>(i + gap);
      if (outOfOrder(a, b)) {
        exchange(a, b);
        exchanged = true;
      }
    }
    if (gap == 1 && !exchanged) return;
  }
}

}  // namespace nuv::stats
