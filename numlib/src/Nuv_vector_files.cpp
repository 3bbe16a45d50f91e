// Text files and binary stream records of vectors (Nuv_vector).
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_vector.h"
#include "nuv/platform/FileUtils.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

namespace {

// A number read from a file as an element: doubles as they are, integers
// rounded; false for a value no integer element can take.
bool ToElem(double x, double& elem) {
  elem = x;
  return true;
}
bool ToElem(double x, int32_t& elem) {
  if (!(std::fabs(x) <= std::numeric_limits<int32_t>::max())) return false;
  elem = Round32(x);
  return true;
}

// Stream records: doubles as 10-byte extended values (the indices too),
// integers as 4-byte integers.
constexpr int64_t RecordSize(double) { return 10; }
constexpr int64_t RecordSize(int32_t) { return 4; }

void WriteRecord(TStream& stream, double x) { WriteExtendedToStream(stream, x); }
void WriteRecord(TStream& stream, int32_t x) { WriteLongintToStream(stream, x); }

bool ReadRecord(TStream& stream, double& x) {
  bool err = false;
  const long double value = ReadExtendedFromStream(stream, err);
  if (!err) x = static_cast<double>(value);
  return !err;
}
bool ReadRecord(TStream& stream, int32_t& x) {
  bool err = false;
  const int32_t value = ReadLongintFromStream(stream, err);
  if (!err) x = value;
  return !err;
}

// An index stored as a record: whole and within 1..int32 max.
template <class T>
bool ReadIndex(TStream& stream, int64_t& index) {
  T x{};
  if (!ReadRecord(stream, x)) return false;
  if (!(x >= 1 && x <= std::numeric_limits<int32_t>::max())) return false;
  index = static_cast<int64_t>(Round(x));
  return true;
}

// Stores the values a loader read for lo..hi, only once all were read, so
// that a failed load leaves the vector as it was.
template <class T>
void Commit(TVectorBase<T>& vector, const std::vector<T>& values, int64_t lo, int64_t hi,
            bool adjustSize) {
  if (adjustSize) vector.Resize(static_cast<int32_t>(hi));
  std::copy(values.begin(), values.end(), vector.Data() + (lo - 1));
  vector.Changed();
}

}  // namespace

template <class T>
bool TVectorBase<T>::WriteTextFile(int32_t lo, int32_t hi, const std::string& fileName,
                                   int32_t width, int32_t decimals) const {
  ClampRange(lo, hi);
  try {
    TextFile f(fileName);
    f.Rewrite();
    f.Write(lo);
    f.Write(' ');
    f.Write(hi);
    f.WriteLn();
    for (int64_t i = lo; i <= hi; ++i) {
      const T x = data_[i - 1];
      if constexpr (std::is_same_v<T, double>) {
        if (decimals >= 0)
          f.Write(x, width, decimals);
        else
          f.Write(x, width);
      } else {
        f.Write(x);
      }
      f.WriteLn();
    }
    f.Close();  // reports what the last flush could not write
  } catch (const EInOutError&) {
    return false;
  }
  return true;
}

template <class T>
bool TVectorBase<T>::LoadFromFile(const std::string& fileName, bool adjustSize) {
  TextFile f(fileName);
  int64_t lo = 0, hi = 0;
  try {
    f.Reset();
    f.Read(lo);
    f.Read(hi);
  } catch (const EInOutError&) {
    return false;
  }
  if (!(lo >= 1 && lo <= hi && hi <= std::numeric_limits<int32_t>::max())) return false;
  // Each number takes at least one character and a separator, so a
  // damaged header cannot make us allocate far beyond what the file holds.
  if (hi - lo + 1 > (FileSizeOf(fileName) + 1) / 2) return false;
  if (!adjustSize && NrOfElem() < hi) return false;
  std::vector<T> values(static_cast<std::size_t>(hi - lo + 1));
  try {
    for (T& v : values) {
      double x = 0;
      f.Read(x);
      if (!ToElem(x, v)) return false;
    }
  } catch (const EInOutError&) {
    return false;
  }
  Commit(*this, values, lo, hi, adjustSize);
  return true;
}

template <class T>
void TVectorBase<T>::SaveToStream(TStream& stream, int32_t lo, int32_t hi) const {
  MakeValidElemRange(lo, hi);
  WriteRecord(stream, static_cast<T>(lo));
  WriteRecord(stream, static_cast<T>(hi));
  for (int64_t i = lo; i <= hi; ++i) WriteRecord(stream, data_[i - 1]);
}

template <class T>
void TVectorBase<T>::SaveToStream(std::unique_ptr<TMemoryStream>& stream, int32_t lo,
                                  int32_t hi) const {
  if (!stream) stream = std::make_unique<TMemoryStream>();
  SaveToStream(*stream, lo, hi);
}

template <class T>
bool TVectorBase<T>::LoadFromStream(TStream* stream, bool adjustSize) {
  int64_t lo = 0, hi = 0;
  if (stream == nullptr || !ReadIndex<T>(*stream, lo) || !ReadIndex<T>(*stream, hi) || lo > hi)
    return false;
  if (!adjustSize && NrOfElem() < hi) return false;
  // A damaged record must not make us allocate beyond what the stream holds.
  if ((hi - lo + 1) * RecordSize(T{}) > stream->Size() - stream->Position()) return false;
  std::vector<T> values(static_cast<std::size_t>(hi - lo + 1));
  for (T& v : values)
    if (!ReadRecord(*stream, v)) return false;
  Commit(*this, values, lo, hi, adjustSize);
  return true;
}

template bool TVectorBase<double>::WriteTextFile(int32_t, int32_t, const std::string&, int32_t,
                                                 int32_t) const;
template bool TVectorBase<int32_t>::WriteTextFile(int32_t, int32_t, const std::string&, int32_t,
                                                  int32_t) const;
template bool TVectorBase<double>::LoadFromFile(const std::string&, bool);
template bool TVectorBase<int32_t>::LoadFromFile(const std::string&, bool);
template void TVectorBase<double>::SaveToStream(TStream&, int32_t, int32_t) const;
template void TVectorBase<int32_t>::SaveToStream(TStream&, int32_t, int32_t) const;
template void TVectorBase<double>::SaveToStream(std::unique_ptr<TMemoryStream>&, int32_t,
                                                int32_t) const;
template void TVectorBase<int32_t>::SaveToStream(std::unique_ptr<TMemoryStream>&, int32_t,
                                                 int32_t) const;
template bool TVectorBase<double>::LoadFromStream(TStream*, bool);
template bool TVectorBase<int32_t>::LoadFromStream(TStream*, bool);

bool TIntVector::StoreOnFile(int32_t lo, int32_t hi, const std::string& fileName) const {
  return WriteTextFile(lo, hi, fileName, 0, 0);
}

bool TVector::StoreOnFile(int32_t lo, int32_t hi, int32_t precision,
                          const std::string& fileName) const {
  if (precision > 20) precision = 20;
  if (precision < -2) precision = 2;
  const int32_t width = precision >= 0 ? 1 : precision == -1 ? 13 : 26;
  return WriteTextFile(lo, hi, fileName, width, precision);
}

}  // namespace nuv
