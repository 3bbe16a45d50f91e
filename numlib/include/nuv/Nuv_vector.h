// Vectors of doubles (TVector) and of 32-bit integers (TIntVector): the
// one-dimensional containers that matrices, data tables, statistics and
// fitting take and return. Both are components holding elements 1..NrOfElem
// with descriptive statistics, simple vector algebra, searching, comb
// sorting with exchange events, a data fingerprint, and text and binary
// stream files.
//
// Indices are 1-based. Out-of-range reads give 0, out-of-range writes are
// ignored and ranges (lo, hi) are clamped into 1..NrOfElem and ordered.
// Find and SaveToStream also take lo = hi = 0 as the whole vector; Sum and
// the other statistics do not (Sum(0, 0) is the first element). Every
// modifying operation ends with Changed(), which fires OnChange. Errors are
// ENUVVectorError with the component's name in the message.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Streams.h"

namespace nuv {

class ENUVVectorError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

// What TVector and TIntVector share; T is double or int32_t.
template <class T>
class TVectorBase : public TComponent {
 public:
  // Sums and products: extended-precision sums rounded to double for
  // TVector; exact 64-bit sums (wrapping only beyond the int64 range) for
  // TIntVector.
  using TAccum = std::conditional_t<std::is_same_v<T, double>, double, int64_t>;

  // One element of value 0.
  explicit TVectorBase(TComponent* AOwner);

  int32_t NrOfElem() const { return static_cast<int32_t>(data_.size()); }
  // Resizes when n is positive and differs from the count.
  void SetNrOfElem(int32_t n);

  // Fired by Changed after every modification.
  TNotifyEvent OnChange;
  // Fired by SortElems for every exchange (ExchgWhat 0, the two indices,
  // first and last 0).
  TSortExchgEvent OnSortExchange;

  // n elements, keeping the values that survive and adding zeros. False
  // (nothing changed) for n <= 0; true without change for the current
  // count. Raises "not enough memory" when the storage cannot grow.
  bool Resize(int32_t n);
  T GetVal(int32_t i) const;
  void SetVal(int32_t i, T v);
  // The elements, 1..NrOfElem at 0..NrOfElem-1, for loops that write many;
  // call Changed afterwards.
  T* Data() { return data_.data(); }
  const T* Data() const { return data_.data(); }

  void Changed();
  void SortExchange(uint8_t what, int32_t index1, int32_t index2, int32_t first, int32_t last);
  // lo = hi = 0 becomes 1..NrOfElem; otherwise both are clamped into
  // 1..NrOfElem and ordered.
  void MakeValidElemRange(int32_t& lo, int32_t& hi) const;

  void Fill(T v);
  void Clear();
  void Clone(const TVectorBase& source);
  // Source elements srcLo..srcHi (clamped into the source) go to destLo
  // on; destinations beyond this vector are skipped.
  void CopyFrom(const TVectorBase& source, int32_t srcLo, int32_t srcHi, int32_t destLo);
  // Reverses the order of the elements.
  void Mirror();
  // Reseeds the runtime's random generator from the clock, then makes
  // NrOfElem exchanges of two uniformly drawn positions.
  void ShuffleElems();
  // Every element times factor (integers wrap on overflow).
  void SMult(T factor);

  // Euclidean norm.
  double CalcVecLeng() const;
  // Element-wise, in place; the counts must be equal, else "vectors have
  // different dimensions".
  void Add(const TVectorBase& other);
  void Subtract(const TVectorBase& other);
  TAccum DotProduct(const TVectorBase& other) const;
  // Sum over i of self[i]·other[i + lag], other's elements outside its
  // range counting 0; 0 without other.
  TAccum Correlate(const TVectorBase* other, int32_t lag) const;

  // Index of the element nearest to value in the range (MakeValidElemRange),
  // the first on ties; 0 when none compares (NaN).
  int32_t Find(int32_t lo, int32_t hi, double value) const;
  // Nearest element of a vector sorted in that order (binary search; the
  // upper index on ties).
  int32_t FindInSortedVector(bool ascending, double value) const;
  // Smallest and largest element of the range; NaN elements take no part.
  // When none does, min and max are the largest value of the type and its
  // negative.
  void MinMax(int32_t lo, int32_t hi, T& min, T& max) const;

  // Statistics over the clamped range.
  TAccum Sum(int32_t lo, int32_t hi) const;
  // Mean and sample variance; the variance is 1 unless the range holds at
  // least three elements.
  void MeanVar(int32_t lo, int32_t hi, double& mean, double& variance) const;
  // Raises "negative argument passed to GeometricMean"; 0 when an element
  // is 0.
  double GeometricMean(int32_t lo, int32_t hi) const;
  // Raises "negative or zero argument passed to HarmonicMean".
  double HarmonicMean(int32_t lo, int32_t hi) const;
  // Skewness and excess kurtosis from the sample standard deviation; both
  // 0 for fewer than four elements or constant data.
  void SkewKurt(int32_t lo, int32_t hi, double& skewness, double& kurtosis) const;
  // The bias-corrected sample skewness and kurtosis; 0 where SkewKurt is.
  void SkewKurtSample(int32_t lo, int32_t hi, double& skewness, double& kurtosis) const;
  // SkewKurt with the number of elements used.
  void SkewKurtIntern(int32_t lo, int32_t hi, double& skewness, double& kurtosis,
                      int32_t& count) const;
  // Quartiles at positions (n + 1)/4, (n + 1)/2 and 3(n + 1)/4 of the sorted
  // range, interpolated; positions beyond the last element give the
  // largest. True (there is always storage).
  bool Quartiles(int32_t lo, int32_t hi, double& q1, double& q2, double& q3) const;
  // p in percent (clamped to [0, 100]) by the same rule at p(n + 1)/100;
  // 100 gives the largest element.
  double Percentile(double p, int32_t lo, int32_t hi) const;
  // The most frequent value, the smallest of equally frequent ones.
  T Mode(int32_t lo, int32_t hi) const;

  // Comb sort of the clamped range, reporting every exchange.
  void SortElems(bool ascending, int32_t lo, int32_t hi);

  // 64 (TVector) resp. 32 (TIntVector) upper-case hex digits: one CRC-32
  // per byte position of the element images.
  std::string CRCofData() const;

  // Text file as StoreOnFile writes it: "lo hi", then one number per
  // element (integers are rounded). adjustSize resizes the vector to hi.
  // False when the file cannot be opened, the header is not two integers
  // 1 <= lo <= hi, the vector is shorter than hi without adjustSize, or a
  // number is missing or unreadable; the vector is then left as it was.
  bool LoadFromFile(const std::string& fileName, bool adjustSize);

  // Binary record of the range (MakeValidElemRange): lo, hi and the
  // elements, as 10-byte extended values (TVector) or 4-byte integers
  // (TIntVector), little-endian, without header. The first form creates
  // the memory stream when the pointer is empty.
  void SaveToStream(std::unique_ptr<TMemoryStream>& stream, int32_t lo, int32_t hi) const;
  void SaveToStream(TStream& stream, int32_t lo, int32_t hi) const;
  // Reads such a record from the stream's position; adjustSize resizes the
  // vector to hi. False for a missing stream, an unreadable lo/hi or one
  // that is not 1 <= lo <= hi, a vector shorter than hi without
  // adjustSize, and a record cut short; the vector is then left as it was.
  bool LoadFromStream(TStream* stream, bool adjustSize);

 protected:
  // The range clamped into 1..NrOfElem and ordered (no whole-vector rule).
  void ClampRange(int32_t& lo, int32_t& hi) const;
  [[noreturn]] void Raise(std::string_view text) const;
  bool WriteTextFile(int32_t lo, int32_t hi, const std::string& fileName, int32_t width,
                     int32_t decimals) const;

  std::vector<T> data_;
};

extern template class TVectorBase<double>;
extern template class TVectorBase<int32_t>;

class TIntVector : public TVectorBase<int32_t> {
 public:
  using TVectorBase::TVectorBase;
  void SetIntVecSize(int32_t n) { SetNrOfElem(n); }

  // Text file of the clamped range: "lo hi", then one integer per line.
  // False when the file cannot be created or written.
  bool StoreOnFile(int32_t lo, int32_t hi, const std::string& fileName) const;
};

class TVector : public TVectorBase<double> {
 public:
  using TVectorBase::TVectorBase;
  void SetVecSize(int32_t n) { SetNrOfElem(n); }

  // Scales to the Euclidean length len; raises "vector has zero length"
  // for a zero vector.
  void SetVecLeng(double len);
  // Subtracts the mean from every element and returns it.
  double MeanCenter();
  // Mean and standard deviation (square root of MeanVar's variance) of
  // the whole vector; when stddev > 0 every x becomes (x - mean)/stddev.
  void Standardize(double& mean, double& stddev);

  // Counts the elements at positions lo..hi (not clamped: positions
  // outside read 0; lo > hi counts nothing) into the bins of width
  // binWidth from firstBin: Round(|lastBin - firstBin| / binWidth) bins.
  // Values below firstBin count as underflow, values beyond the last bin
  // as overflow; maxCount is the largest bin count. False (nothing
  // changed) for a width that is not positive, no bins or more than 500.
  bool Histogram(int32_t lo, int32_t hi, double firstBin, double lastBin, double binWidth,
                 TIntVector& histo, int32_t& underflow, int32_t& overflow, int32_t& maxCount) const;

  // Text file of the clamped range: "lo hi", then one number per line.
  // precision >= 0 gives that many decimals (at most 20), -1 the 13-column
  // and -2 the 26-column scientific form; below -2 counts as 2. False when
  // the file cannot be created or written.
  bool StoreOnFile(int32_t lo, int32_t hi, int32_t precision, const std::string& fileName) const;
};

}  // namespace nuv
