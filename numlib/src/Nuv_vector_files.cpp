// Text files of vectors (Nuv_vector).
#include <cmath>
#include <limits>

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
  if (adjustSize) Resize(static_cast<int32_t>(hi));
  if (NrOfElem() < hi) return false;

  bool complete = true;
  for (int64_t i = lo; i <= hi; ++i) {
    try {
      double x = 0;
      f.Read(x);
      if (!ToElem(x, data_[i - 1])) complete = false;
    } catch (const EInOutError& e) {
      complete = false;
      if (e.ErrorCode() != ioInvalidInput) break;  // end of file or a read failure
    }
  }
  Changed();
  return complete;
}

template bool TVectorBase<double>::WriteTextFile(int32_t, int32_t, const std::string&, int32_t,
                                                 int32_t) const;
template bool TVectorBase<int32_t>::WriteTextFile(int32_t, int32_t, const std::string&, int32_t,
                                                  int32_t) const;
template bool TVectorBase<double>::LoadFromFile(const std::string&, bool);
template bool TVectorBase<int32_t>::LoadFromFile(const std::string&, bool);

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
