#include "Nuv_vector_stats.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_vector.h"

namespace nuv::stats {

template <class T>
long double Sum(const TBlock<T>& b) {
  long double s = 0;
  b.ForEach([&](T x) { s += x; });
  return s;
}

template <class T>
void MeanVar(const TBlock<T>& b, double& mean, double& variance) {
  MeanVarOf(
      b.Size(), [&](auto&& f) { b.ForEach(f); }, mean, variance);
}

template <class T>
bool GeometricMean(const TBlock<T>& b, double& result) {
  bool negative = false, zero = false;
  long double sumLn = 0;
  b.ForEach([&](T x) {
    if (x < 0)
      negative = true;
    else if (x == 0)
      zero = true;
    else
      sumLn += std::log(static_cast<long double>(x));
  });
  if (negative) return false;
  const int64_t n = b.Size();
  result = zero || n == 0 ? 0.0 : static_cast<double>(std::exp(sumLn / n));
  return true;
}

template <class T>
bool HarmonicMean(const TBlock<T>& b, double& result) {
  bool notPositive = false;
  long double sumInv = 0;
  b.ForEach([&](T x) {
    if (!(x > 0))
      notPositive = true;
    else
      sumInv += 1.0L / x;
  });
  if (notPositive) return false;
  const int64_t n = b.Size();
  result = n == 0 ? 0.0 : static_cast<double>(n / sumInv);
  return true;
}

template <class T>
TShape SkewKurt(const TBlock<T>& b) {
  TShape shape;
  const int64_t n = b.Size();
  shape.Count = static_cast<int32_t>(n);
  if (n < 4) return shape;
  const long double m = Sum(b) / n;
  long double s1 = 0, s2 = 0, s3 = 0, s4 = 0;
  b.ForEach([&](T x) {
    const long double d = x - m, d2 = d * d;
    s1 += d;
    s2 += d2;
    s3 += d2 * d;
    s4 += d2 * d2;
  });
  const long double var = (s2 - s1 * s1 / n) / (n - 1);
  if (!(var > 0)) return shape;
  const long double s = std::sqrt(var);
  shape.Spread = true;
  shape.Skewness = static_cast<double>(s3 / n / (s * s * s));
  shape.Kurtosis = static_cast<double>(s4 / n / (var * var) - 3);
  return shape;
}

TShape SampleShape(const TShape& moments) {
  TShape sample;
  sample.Count = moments.Count;
  sample.Spread = moments.Spread;
  if (moments.Count < 4 || !moments.Spread) return sample;
  const long double n = moments.Count;
  sample.Skewness = static_cast<double>(n * n * moments.Skewness / ((n - 1) * (n - 2)));
  sample.Kurtosis = static_cast<double>((moments.Kurtosis + 3.0L) * n * n * (n + 1) /
                                            ((n - 1) * (n - 2) * (n - 3)) -
                                        3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)));
  return sample;
}

long double CorrelationOfSums(long double n, long double sa, long double sb, long double saa,
                              long double sbb, long double sab) {
  if (!(saa > 0 && sbb > 0)) return 0;
  const long double ca = saa - sa * sa / n, cb = sbb - sb * sb / n;
  if (ca == 0 || cb == 0) return 0;
  return (sab - sa * sb / n) / std::sqrt(std::fabs(ca * cb));
}

template <class T>
std::vector<T> SortedCopy(const TBlock<T>& b) {
  std::vector<T> values;
  values.reserve(static_cast<std::size_t>(b.Size()));
  b.ForEach([&](T x) { values.push_back(x); });
  SortArray(std::span<T>(values), true);
  return values;
}

namespace {

// The value at the 1-based position pos >= 0 of the sorted values.
template <class T>
double QuantileAt(std::span<const T> s, long double pos) {
  const auto n = static_cast<int64_t>(s.size());
  if (n == 0) return 0;
  const auto k = static_cast<int64_t>(pos);
  if (k < 1) return static_cast<double>(s[0]);
  if (k >= n) return static_cast<double>(s[n - 1]);
  const long double lower = s[k - 1], upper = s[k];
  return static_cast<double>(lower + (upper - lower) * (pos - k));
}

}  // namespace

template <class T>
void Quartiles(std::span<const T> sorted, double& q1, double& q2, double& q3) {
  const long double n1 = static_cast<long double>(sorted.size()) + 1;
  q1 = QuantileAt(sorted, n1 * 0.25L);
  q2 = QuantileAt(sorted, n1 * 0.5L);
  q3 = QuantileAt(sorted, n1 * 0.75L);
}

template <class T>
double Percentile(std::span<const T> sorted, double p) {
  if (!(p > 0)) p = 0;
  if (p > 100) p = 100;
  if (sorted.empty()) return 0;
  if (p == 100) return static_cast<double>(sorted.back());
  return QuantileAt(sorted, p * (static_cast<long double>(sorted.size()) + 1) / 100);
}

template <class T>
T Mode(std::span<const T> sorted) {
  if (sorted.empty()) return 0;
  T best = sorted[0];
  std::size_t bestRun = 0;
  for (std::size_t i = 0; i < sorted.size();) {
    std::size_t j = i + 1;
    while (j < sorted.size() && sorted[j] == sorted[i]) ++j;
    if (j - i > bestRun) {
      bestRun = j - i;
      best = sorted[i];
    }
    i = j;
  }
  return best;
}

template <class T>
bool MinMax(const TBlock<T>& b, T& min, T& max) {
  bool found = false;
  T lo{}, hi{};
  b.ForEach([&](T x) {
    if (x != x) return;  // NaN
    if (!found) {
      lo = hi = x;
      found = true;
    } else if (x < lo) {
      lo = x;
    } else if (x > hi) {
      hi = x;
    }
  });
  if (found) {
    min = lo;
    max = hi;
  }
  return found;
}

template <class T>
int64_t FindNearest(const TBlock<T>& b, double value) {
  int64_t best = -1, pos = 0;
  double bestDist = 0;
  b.ForEach([&](T x) {
    const double d = std::fabs(static_cast<double>(x) - value);
    if (best < 0 ? d == d : d < bestDist) {
      best = pos;
      bestDist = d;
    }
    ++pos;
  });
  return best;
}

template <class T>
int64_t FindInSorted(const T* first, int64_t stride, int64_t count, bool ascending, double value) {
  auto at = [&](int64_t k) { return static_cast<double>(first[(k - 1) * stride]); };
  int64_t lo = 1, hi = count;
  if (count <= 1) return 0;
  while (hi - lo > 1) {
    const int64_t mid = (lo + hi) / 2;
    const double a = at(mid);
    if (a == value) return mid - 1;
    if (ascending ? value > a : value < a)
      lo = mid;
    else
      hi = mid;
  }
  return (std::fabs(at(lo) - value) < std::fabs(at(hi) - value) ? lo : hi) - 1;
}

template <class T>
std::string Fingerprint(const TBlock<T>& b) {
  using TImage = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;
  constexpr int kBytes = sizeof(T);
  uint32_t registers[kBytes];
  std::fill_n(registers, kBytes, 0xFFFFFFFFu);
  b.ForEach([&](T x) {
    const auto image = std::bit_cast<TImage>(x);
    for (int k = 0; k < kBytes; ++k)
      registers[k] = CalcNextCRC32(static_cast<uint8_t>(image >> (8 * k)), registers[k]);
  });
  std::string text;
  for (uint32_t r : registers) text += Hex(static_cast<int32_t>(~r), 8);
  return text;
}

bool THistogram::Setup(double firstBin, double lastBin, double binWidth) {
  if (!(binWidth > 0)) return false;
  const double ratio = std::fabs(lastBin - firstBin) / binWidth;
  if (!(ratio < 501)) return false;
  const int32_t count = Round32(ratio);
  if (count < 1 || count > 500) return false;
  first_ = firstBin;
  width_ = binWidth;
  count_ = count;
  counts_.assign(static_cast<std::size_t>(count) + 2, 0);
  return true;
}

int32_t THistogram::BinOf(double x) const {
  if (x < first_) return 0;
  const double q = (x - first_) / width_;
  if (q < count_) return static_cast<int32_t>(q) + 1;
  return count_ + 1;
}

void THistogram::Store(TIntVector& histo, int32_t& underflow, int32_t& overflow,
                       int32_t& maxCount) const {
  auto saturated = [](uint64_t c) {
    return static_cast<int32_t>(std::min<uint64_t>(c, std::numeric_limits<int32_t>::max()));
  };
  histo.Resize(count_);
  int32_t* h = histo.Data();
  maxCount = 0;
  for (int32_t b = 1; b <= count_; ++b) {
    h[b - 1] = saturated(counts_[b]);
    maxCount = std::max(maxCount, h[b - 1]);
  }
  underflow = saturated(counts_[0]);
  overflow = saturated(counts_[count_ + 1]);
  histo.Changed();
}

#define NUV_STATS_INSTANTIATE(T)                                           \
  template long double Sum(const TBlock<T>&);                              \
  template void MeanVar(const TBlock<T>&, double&, double&);               \
  template bool GeometricMean(const TBlock<T>&, double&);                  \
  template bool HarmonicMean(const TBlock<T>&, double&);                   \
  template TShape SkewKurt(const TBlock<T>&);                              \
  template std::vector<T> SortedCopy(const TBlock<T>&);                    \
  template void Quartiles(std::span<const T>, double&, double&, double&);  \
  template double Percentile(std::span<const T>, double);                  \
  template T Mode(std::span<const T>);                                     \
  template bool MinMax(const TBlock<T>&, T&, T&);                          \
  template int64_t FindNearest(const TBlock<T>&, double);                  \
  template int64_t FindInSorted(const T*, int64_t, int64_t, bool, double); \
  template std::string Fingerprint(const TBlock<T>&);

NUV_STATS_INSTANTIATE(double)
NUV_STATS_INSTANTIATE(int32_t)

}  // namespace nuv::stats
