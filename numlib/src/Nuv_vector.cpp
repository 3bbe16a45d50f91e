#include "nuv/Nuv_vector.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "Nuv_vector_stats.h"
#include "numlib_units.h"
#include "nuv/platform/Random.h"

namespace nuv {

namespace {

template <class T>
stats::TBlock<T> Block(const std::vector<T>& data, int32_t lo, int32_t hi) {
  return stats::Contiguous(data.data() + (lo - 1), int64_t{hi} - lo + 1);
}

// Integer element arithmetic wraps instead of overflowing.
inline double AddElem(double a, double b) { return a + b; }
inline int32_t AddElem(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline double SubElem(double a, double b) { return a - b; }
inline int32_t SubElem(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline double MulElem(double a, double b) { return a * b; }
inline int32_t MulElem(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// Sums of products: extended precision for doubles, exact modulo 2^64 for
// integers (so exact whenever the result fits).
struct TDoubleDot {
  long double sum = 0;
  void Add(double a, double b) { sum += static_cast<long double>(a) * b; }
  double Result() const { return static_cast<double>(sum); }
};
struct TIntDot {
  uint64_t sum = 0;
  void Add(int32_t a, int32_t b) { sum += static_cast<uint64_t>(static_cast<int64_t>(a) * b); }
  int64_t Result() const { return static_cast<int64_t>(sum); }
};
template <class T>
using TDot = std::conditional_t<std::is_same_v<T, double>, TDoubleDot, TIntDot>;

// What MinMax reports when no element takes part.
template <class T>
constexpr T kNoMin = std::is_same_v<T, double> ? T(1.7e308) : T(2147483647);

}  // namespace

template <class T>
TVectorBase<T>::TVectorBase(TComponent* AOwner) : TComponent(AOwner) {
  try {
    data_.assign(1, T(0));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
}

template <class T>
void TVectorBase<T>::Raise(std::string_view text) const {
  RaiseComponentError<ENUVVectorError>(*this, text);
}

template <class T>
void TVectorBase<T>::SetNrOfElem(int32_t n) {
  if (n > 0 && n != NrOfElem()) Resize(n);
}

template <class T>
bool TVectorBase<T>::Resize(int32_t n) {
  if (n == NrOfElem()) return true;
  if (n <= 0) return false;
  try {
    data_.resize(static_cast<std::size_t>(n), T(0));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory");
  }
  Changed();
  return true;
}

template <class T>
T TVectorBase<T>::GetVal(int32_t i) const {
  return i >= 1 && i <= NrOfElem() ? data_[i - 1] : T(0);
}

template <class T>
void TVectorBase<T>::SetVal(int32_t i, T v) {
  if (i < 1 || i > NrOfElem()) return;
  data_[i - 1] = v;
  Changed();
}

template <class T>
void TVectorBase<T>::Changed() {
  if (OnChange) OnChange(this);
}

template <class T>
void TVectorBase<T>::SortExchange(uint8_t what, int32_t index1, int32_t index2, int32_t first,
                                  int32_t last) {
  if (OnSortExchange) OnSortExchange(this, what, index1, index2, first, last);
}

template <class T>
void TVectorBase<T>::ClampRange(int32_t& lo, int32_t& hi) const {
  stats::ClampRange(lo, hi, NrOfElem());
}

template <class T>
void TVectorBase<T>::MakeValidElemRange(int32_t& lo, int32_t& hi) const {
  stats::MakeValidRange(lo, hi, NrOfElem());
}

template <class T>
void TVectorBase<T>::Fill(T v) {
  std::fill(data_.begin(), data_.end(), v);
  Changed();
}

template <class T>
void TVectorBase<T>::Clear() {
  Fill(T(0));
}

template <class T>
void TVectorBase<T>::Clone(const TVectorBase& source) {
  if (&source == this) return;
  try {
    data_ = source.data_;
  } catch (const std::bad_alloc&) {
    Raise("not enough memory");
  }
  Changed();
}

template <class T>
void TVectorBase<T>::CopyFrom(const TVectorBase& source, int32_t srcLo, int32_t srcHi,
                              int32_t destLo) {
  source.ClampRange(srcLo, srcHi);
  // Destinations 1..n only; int64 so that destLo + k cannot overflow.
  const int64_t first = std::max<int64_t>(srcLo, int64_t{srcLo} + 1 - destLo);
  const int64_t last = std::min<int64_t>(srcHi, int64_t{srcLo} + NrOfElem() - destLo);
  if (first <= last) {
    const T* from = source.data_.data() + (first - 1);
    T* to = data_.data() + (destLo + (first - srcLo) - 1);
    const int64_t count = last - first + 1;
    if (&source == this && to > from)
      std::copy_backward(from, from + count, to + count);  // overlapping shift up
    else
      std::copy_n(from, count, to);
  }
  Changed();
}

template <class T>
void TVectorBase<T>::Mirror() {
  std::reverse(data_.begin(), data_.end());
  Changed();
}

template <class T>
void TVectorBase<T>::ShuffleElems() {
  Randomize();
  const int32_t n = NrOfElem();
  for (int32_t k = 0; k < n; ++k) {
    const int32_t i = Random(n), j = Random(n);
    std::swap(data_[i], data_[j]);
  }
  Changed();
}

template <class T>
void TVectorBase<T>::SMult(T factor) {
  for (T& x : data_) x = MulElem(x, factor);
  Changed();
}

template <class T>
double TVectorBase<T>::CalcVecLeng() const {
  long double s = 0;
  for (T x : data_) s += static_cast<long double>(x) * x;
  return static_cast<double>(std::sqrt(s));
}

template <class T>
void TVectorBase<T>::Add(const TVectorBase& other) {
  if (other.NrOfElem() != NrOfElem()) Raise("vectors have different dimensions");
  for (std::size_t i = 0; i < data_.size(); ++i) data_[i] = AddElem(data_[i], other.data_[i]);
  Changed();
}

template <class T>
void TVectorBase<T>::Subtract(const TVectorBase& other) {
  if (other.NrOfElem() != NrOfElem()) Raise("vectors have different dimensions");
  for (std::size_t i = 0; i < data_.size(); ++i) data_[i] = SubElem(data_[i], other.data_[i]);
  Changed();
}

template <class T>
typename TVectorBase<T>::TAccum TVectorBase<T>::DotProduct(const TVectorBase& other) const {
  if (other.NrOfElem() != NrOfElem()) Raise("vectors have different dimensions");
  TDot<T> dot;
  for (std::size_t i = 0; i < data_.size(); ++i) dot.Add(data_[i], other.data_[i]);
  return dot.Result();
}

template <class T>
typename TVectorBase<T>::TAccum TVectorBase<T>::Correlate(const TVectorBase* other,
                                                          int32_t lag) const {
  TDot<T> dot;
  if (other == nullptr) return dot.Result();
  // Pairs (i, i + lag) with both indices in range.
  const int64_t first = std::max<int64_t>(1, int64_t{1} - lag);
  const int64_t last = std::min<int64_t>(NrOfElem(), int64_t{other->NrOfElem()} - lag);
  for (int64_t i = first; i <= last; ++i) dot.Add(data_[i - 1], other->data_[i + lag - 1]);
  return dot.Result();
}

template <class T>
int32_t TVectorBase<T>::Find(int32_t lo, int32_t hi, double value) const {
  MakeValidElemRange(lo, hi);
  const int64_t pos = stats::FindNearest(Block(data_, lo, hi), value);
  return pos < 0 ? 0 : static_cast<int32_t>(lo + pos);
}

template <class T>
int32_t TVectorBase<T>::FindInSortedVector(bool ascending, double value) const {
  return static_cast<int32_t>(stats::FindInSorted(data_.data(), 1, NrOfElem(), ascending, value) +
                              1);
}

template <class T>
void TVectorBase<T>::MinMax(int32_t lo, int32_t hi, T& min, T& max) const {
  ClampRange(lo, hi);
  if (!stats::MinMax(Block(data_, lo, hi), min, max)) {
    min = kNoMin<T>;
    max = -kNoMin<T>;
  }
}

template <class T>
typename TVectorBase<T>::TAccum TVectorBase<T>::Sum(int32_t lo, int32_t hi) const {
  ClampRange(lo, hi);
  return static_cast<TAccum>(stats::Sum(Block(data_, lo, hi)));
}

template <class T>
void TVectorBase<T>::MeanVar(int32_t lo, int32_t hi, double& mean, double& variance) const {
  ClampRange(lo, hi);
  stats::MeanVar(Block(data_, lo, hi), mean, variance);
}

template <class T>
double TVectorBase<T>::GeometricMean(int32_t lo, int32_t hi) const {
  ClampRange(lo, hi);
  double result = 0;
  if (!stats::GeometricMean(Block(data_, lo, hi), result))
    Raise("negative argument passed to GeometricMean");
  return result;
}

template <class T>
double TVectorBase<T>::HarmonicMean(int32_t lo, int32_t hi) const {
  ClampRange(lo, hi);
  double result = 0;
  if (!stats::HarmonicMean(Block(data_, lo, hi), result))
    Raise("negative or zero argument passed to HarmonicMean");
  return result;
}

template <class T>
void TVectorBase<T>::SkewKurtIntern(int32_t lo, int32_t hi, double& skewness, double& kurtosis,
                                    int32_t& count) const {
  ClampRange(lo, hi);
  const stats::TShape shape = stats::SkewKurt(Block(data_, lo, hi));
  skewness = shape.Skewness;
  kurtosis = shape.Kurtosis;
  count = shape.Count;
}

template <class T>
void TVectorBase<T>::SkewKurt(int32_t lo, int32_t hi, double& skewness, double& kurtosis) const {
  int32_t count = 0;
  SkewKurtIntern(lo, hi, skewness, kurtosis, count);
}

template <class T>
void TVectorBase<T>::SkewKurtSample(int32_t lo, int32_t hi, double& skewness,
                                    double& kurtosis) const {
  ClampRange(lo, hi);
  const stats::TShape shape = stats::SampleShape(stats::SkewKurt(Block(data_, lo, hi)));
  skewness = shape.Skewness;
  kurtosis = shape.Kurtosis;
}

namespace {

template <class T>
std::vector<T> SortedRange(const TVectorBase<T>& v, const std::vector<T>& data, int32_t lo,
                           int32_t hi) {
  try {
    return stats::SortedCopy(Block(data, lo, hi));
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVVectorError>(v, "not enough memory on heap");
  }
}

}  // namespace

template <class T>
bool TVectorBase<T>::Quartiles(int32_t lo, int32_t hi, double& q1, double& q2, double& q3) const {
  ClampRange(lo, hi);
  const std::vector<T> sorted = SortedRange(*this, data_, lo, hi);
  stats::Quartiles(std::span<const T>(sorted), q1, q2, q3);
  return true;
}

template <class T>
double TVectorBase<T>::Percentile(double p, int32_t lo, int32_t hi) const {
  ClampRange(lo, hi);
  const std::vector<T> sorted = SortedRange(*this, data_, lo, hi);
  return stats::Percentile(std::span<const T>(sorted), p);
}

template <class T>
T TVectorBase<T>::Mode(int32_t lo, int32_t hi) const {
  ClampRange(lo, hi);
  const std::vector<T> sorted = SortedRange(*this, data_, lo, hi);
  return stats::Mode(std::span<const T>(sorted));
}

template <class T>
void TVectorBase<T>::SortElems(bool ascending, int32_t lo, int32_t hi) {
  ClampRange(lo, hi);
  T* a = data_.data() - 1;  // 1-based view
  stats::CombSort(
      lo, hi, int64_t{hi} - lo,
      [&](int32_t i, int32_t j) { return ascending ? a[i] > a[j] : a[i] < a[j]; },
      [&](int32_t i, int32_t j) {
        std::swap(a[i], a[j]);
        SortExchange(0, i, j, 0, 0);
      });
  Changed();
}

template <class T>
std::string TVectorBase<T>::CRCofData() const {
  return stats::Fingerprint(stats::Contiguous(data_.data(), NrOfElem()));
}

template class TVectorBase<double>;
template class TVectorBase<int32_t>;

// ---------------------------------------------------------------------------
// TVector

void TVector::SetVecLeng(double len) {
  const double norm = CalcVecLeng();
  if (norm == 0) throw ENUVVectorError("vector has zero length");
  const double factor = len / norm;
  for (double& x : data_) x *= factor;
  Changed();
}

double TVector::MeanCenter() {
  double mean = 0, variance = 0;
  MeanVar(1, NrOfElem(), mean, variance);
  for (double& x : data_) x -= mean;
  Changed();
  return mean;
}

void TVector::Standardize(double& mean, double& stddev) {
  double variance = 0;
  MeanVar(1, NrOfElem(), mean, variance);
  stddev = std::sqrt(variance);
  if (stddev > 0)
    for (double& x : data_) x = (x - mean) / stddev;
  Changed();
}

bool TVector::Histogram(int32_t lo, int32_t hi, double firstBin, double lastBin, double binWidth,
                        TIntVector& histo, int32_t& underflow, int32_t& overflow,
                        int32_t& maxCount) const {
  stats::THistogram histogram;
  if (!histogram.Setup(firstBin, lastBin, binWidth)) return false;
  if (lo <= hi) {
    const int32_t inLo = std::max(lo, 1), inHi = std::min(hi, NrOfElem());
    uint64_t inside = 0;
    for (int64_t i = inLo; i <= inHi; ++i, ++inside) histogram.Add(data_[i - 1]);
    histogram.Add(0.0, static_cast<uint64_t>(int64_t{hi} - lo + 1) - inside);  // outside read 0
  }
  histogram.Store(histo, underflow, overflow, maxCount);
  return true;
}

}  // namespace nuv

namespace nuv::units {

void Nuv_vector_Init() {}
void Nuv_vector_Finalize() {}

}  // namespace nuv::units
