// Text files and stream records of TMatrix and TIntMatrix windows, and
// what every matrix file reader shares: numbers, windows, storing a
// window into a matrix.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include "Nuv_matrix_3d4d_parts.h"
#include "Nuv_matrix_files_parts.h"
#include "Nuv_matrix_int_parts.h"
#include "numlib_textfile.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/BinaryFile.h"

namespace nuv {

namespace matrix {

namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The blank-separated words of a text.
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  for (std::size_t i = 0; i < text.size();) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// A window bound as written: a whole number in 0..2147483647.
bool ToBound(double x, int64_t& bound) {
  if (!(x >= 0 && x <= kInt32Max && x == std::floor(x))) return false;
  bound = static_cast<int64_t>(x);
  return true;
}

// ---- what differs between the element types: the text of a value and
// the stream record (indices and values as 10-byte extended values for
// doubles, 4-byte integers for integers)

template <class M>
using TElem = std::conditional_t<std::is_same_v<M, TMatrix>, double, int32_t>;

void WriteValue(TextFile& f, const TMatrix& m, double x) {
  f.Write(strff(x, m.GetFPrecis(1), m.GetFPrecis(2)));
}
void WriteValue(TextFile& f, const TIntMatrix&, int32_t x) { f.Write(x); }

constexpr int64_t RecordSize(double) { return 10; }
constexpr int64_t RecordSize(int32_t) { return 4; }

// Every double converts to the extended format and back unchanged, except
// that the floating-point unit quiets a signalling NaN on the way; NaNs
// are therefore moved bit by bit (sign, payload under the integer bit).
constexpr uint64_t kMantissa = (uint64_t{1} << 52) - 1;

void WriteRecord(TStream& s, double x) {
  if (!std::isnan(x)) return WriteExtendedToStream(s, x);
  const auto bits = std::bit_cast<uint64_t>(x);
  const uint64_t significand = uint64_t{1} << 63 | (bits & kMantissa) << 11;
  const auto signAndExponent = static_cast<uint16_t>((bits >> 48 & 0x8000) | 0x7FFF);
  s.WriteBuffer(&significand, 8);
  s.WriteBuffer(&signAndExponent, 2);
}
void WriteRecord(TStream& s, int32_t x) { WriteLongintToStream(s, x); }

double DecodeRecord(const uint8_t* p, double) {
  uint64_t significand;
  uint16_t signAndExponent;
  std::memcpy(&significand, p, 8);
  std::memcpy(&signAndExponent, p + 8, 2);
  if ((signAndExponent & 0x7FFF) != 0x7FFF || (significand << 1) == 0)
    return static_cast<double>(BytesToExtended(p));
  uint64_t payload = significand >> 11 & kMantissa;
  if (payload == 0) payload = uint64_t{1} << 51;  // only low bits: a quiet NaN
  return std::bit_cast<double>(uint64_t{signAndExponent & 0x8000u} << 48 | uint64_t{0x7FF} << 52 |
                               payload);
}
int32_t DecodeRecord(const uint8_t* p, int32_t) {
  int32_t x;
  std::memcpy(&x, p, sizeof x);
  return x;
}

}  // namespace

bool ValidWindow(const TFileWindow& w) {
  auto valid = [](int64_t lo, int64_t hi) {
    return (lo >= 1 && lo <= hi && hi <= kInt32Max) || (lo == 1 && hi == 0);
  };
  return valid(w.C0, w.C1) && valid(w.R0, w.R1);
}

bool ParseNumber(std::string_view text, double& x) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  // ASCII comparison ignoring case, against an upper-case word.
  auto is = [](std::string_view s, std::string_view word) {
    return s.size() == word.size() &&
           std::equal(s.begin(), s.end(), word.begin(),
                      [](char a, char b) { return (a >= 'a' && a <= 'z' ? a - 32 : a) == b; });
  };
  constexpr double kInf = std::numeric_limits<double>::infinity();
  if (is(text, "NAN")) return x = std::numeric_limits<double>::quiet_NaN(), true;
  if (is(text, "INF") || is(text, "+INF")) return x = kInf, true;
  if (is(text, "-INF")) return x = -kInf, true;
  if (text.size() == 20 && is(text.substr(0, 4), "NAN:")) {
    uint64_t bits = 0;
    for (const char c : text.substr(4)) {
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                               : -1;
      if (digit < 0) return false;
      bits = bits << 4 | static_cast<uint64_t>(digit);
    }
    x = std::bit_cast<double>(bits);
    return std::isnan(x);
  }
  int32_t code = 0;
  double value = 0;
  Val(text, value, code);
  if (code != 0 || text.empty()) return false;
  x = value;
  return true;
}

bool ToElement(double x, int32_t& e) {
  // The numbers that round (half to even) into the int32 range.
  if (!(x >= -2147483648.5 && x < 2147483647.5)) return false;
  e = Round32(x);
  return true;
}

// ---------------------------------------------------------------------------
// Storing a window

bool TMatrixIO::StoreWindow(TMatrix& m, const TFileWindow& w, const std::vector<double>& values,
                            bool adjustSize) {
  if (adjustSize) {
    if (w.C1 * w.R1 > kMaxElements) return false;
    m.Reshape(static_cast<int32_t>(w.C1), static_cast<int32_t>(w.R1));
  } else if (m.ncols_ < w.C1 || m.nrows_ < w.R1) {
    return false;
  }
  for (int64_t c = 0; c < w.Width(); ++c)
    std::copy_n(values.data() + c * w.Height(), w.Height(),
                m.At(static_cast<int32_t>(w.C0 + c), static_cast<int32_t>(w.R0)));
  m.Changed();
  return true;
}

bool TMatrixIO::StoreWindow(TIntMatrix& m, const TFileWindow& w,
                            const std::vector<int32_t>& values, bool adjustSize) {
  const auto c1 = static_cast<int32_t>(w.C1), r1 = static_cast<int32_t>(w.R1);
  if (m.sparse_) {
    if (adjustSize)
      m.Resize(c1, r1);
    else if (m.ncols_ < c1 || m.nrows_ < r1)
      return false;
    // Inserts move the counts to the entries' bounding box; the matrix
    // keeps its shape instead.
    const int32_t cols = m.ncols_, rows = m.nrows_;
    for (int64_t c = 0; c < w.Width(); ++c)
      for (int64_t r = 0; r < w.Height(); ++r) {
        const int32_t v = values[c * w.Height() + r];
        const auto col = static_cast<int32_t>(w.C0 + c), row = static_cast<int32_t>(w.R0 + r);
        if (v != 0 || m.sparse_->Find(col, row) != nullptr) m.Store(col, row, v);
      }
    m.ncols_ = std::max(cols, m.ncols_);
    m.nrows_ = std::max(rows, m.nrows_);
  } else {
    if (adjustSize) {
      if (w.C1 * w.R1 > kMaxElements) return false;
      m.Reshape(c1, r1);
    } else if (m.ncols_ < c1 || m.nrows_ < r1) {
      return false;
    }
    for (int64_t c = 0; c < w.Width(); ++c)
      std::copy_n(values.data() + c * w.Height(), w.Height(),
                  m.At(static_cast<int32_t>(w.C0 + c), static_cast<int32_t>(w.R0)));
  }
  m.Changed();
  return true;
}

// ---------------------------------------------------------------------------
// Text: "loCol loRow hiCol hiRow", then one line per row of the window,
// the values of its columns separated by blanks.

template <class M>
bool TMatrixIO::StoreText(const M& m, int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                          const std::string& fileName) {
  const TFileWindow w = SaveWindow(m, loCol, loRow, hiCol, hiRow);
  try {
    SaveFileReplacing(fileName, [&](TextFile& f) {
      f.Write(w.C0);
      f.Write(' ');
      f.Write(w.R0);
      f.Write(' ');
      f.Write(w.C1);
      f.Write(' ');
      f.Write(w.R1);
      f.WriteLn();
      if (w.Width() == 0) return;
      for (int64_t r = w.R0; r <= w.R1; ++r) {
        for (int64_t c = w.C0; c <= w.C1; ++c) {
          if (c > w.C0) f.Write(' ');
          WriteValue(f, m, m.GetVal(static_cast<int32_t>(c), static_cast<int32_t>(r)));
        }
        f.WriteLn();
      }
    });
  } catch (const EInOutError&) {
    return false;
  }
  return true;
}

template <class M>
bool TMatrixIO::LoadText(M& m, const std::string& fileName, bool adjustSize) {
  std::string text;
  try {
    text = numlib::ReadTextFile(fileName);
  } catch (const EInOutError&) {
    return false;
  }
  const std::vector<std::string_view> words = Words(text);
  if (words.size() < 4) return false;
  int64_t bounds[4];
  for (int k = 0; k < 4; ++k) {
    double x = 0;
    if (!ParseNumber(words[k], x) || !ToBound(x, bounds[k])) return false;
  }
  const TFileWindow w{bounds[0], bounds[1], bounds[2], bounds[3]};
  if (!ValidWindow(w) || w.Cells() > static_cast<int64_t>(words.size()) - 4) return false;
  std::vector<TElem<M>> values(static_cast<std::size_t>(w.Cells()));
  // The file lists rows; the window is stored column by column.
  for (int64_t r = 0, k = 4; r < w.Height(); ++r)
    for (int64_t c = 0; c < w.Width(); ++c, ++k) {
      double x = 0;
      if (!ParseNumber(words[k], x) || !ToElement(x, values[c * w.Height() + r])) return false;
    }
  return StoreWindow(m, w, values, adjustSize);
}

// ---------------------------------------------------------------------------
// Stream: loCol, loRow, hiCol, hiRow, then the values column by column,
// each a record of the element type.

template <class M>
void TMatrixIO::SaveStream(const M& m, TStream& stream, int32_t loCol, int32_t loRow,
                           int32_t hiCol, int32_t hiRow) {
  using T = TElem<M>;
  const TFileWindow w = SaveWindow(m, loCol, loRow, hiCol, hiRow);
  for (const int64_t bound : {w.C0, w.R0, w.C1, w.R1}) WriteRecord(stream, static_cast<T>(bound));
  for (int64_t c = w.C0; c <= w.C1; ++c)
    for (int64_t r = w.R0; r <= w.R1; ++r)
      WriteRecord(stream, m.GetVal(static_cast<int32_t>(c), static_cast<int32_t>(r)));
}

template <class M>
bool TMatrixIO::LoadStream(M& m, TStream* stream, bool adjustSize) {
  using T = TElem<M>;
  constexpr int64_t size = RecordSize(T{});
  if (stream == nullptr) return false;
  int64_t bounds[4];
  for (int64_t& bound : bounds) {
    uint8_t record[size];
    if (stream->Read(record, size) != size) return false;
    if (!ToBound(static_cast<double>(DecodeRecord(record, T{})), bound)) return false;
  }
  const TFileWindow w{bounds[0], bounds[1], bounds[2], bounds[3]};
  if (!ValidWindow(w) || w.Cells() > (stream->Size() - stream->Position()) / size) return false;
  std::vector<uint8_t> bytes(static_cast<std::size_t>(w.Cells() * size));
  stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  std::vector<T> values(static_cast<std::size_t>(w.Cells()));
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = DecodeRecord(&bytes[i * size], T{});
  return StoreWindow(m, w, values, adjustSize);
}

}  // namespace matrix

using matrix::TMatrixIO;

// ---------------------------------------------------------------------------
// The members

bool TMatrix::StoreOnFile(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                          const std::string& fileName) const {
  return TMatrixIO::StoreText(*this, loCol, loRow, hiCol, hiRow, fileName);
}
bool TMatrix::LoadFromFile(const std::string& fileName, bool adjustSize) {
  return TMatrixIO::LoadText(*this, fileName, adjustSize);
}
void TMatrix::SaveToStream(TStream& stream, int32_t loCol, int32_t loRow, int32_t hiCol,
                           int32_t hiRow) const {
  TMatrixIO::SaveStream(*this, stream, loCol, loRow, hiCol, hiRow);
}
void TMatrix::SaveToStream(std::unique_ptr<TMemoryStream>& stream, int32_t loCol, int32_t loRow,
                           int32_t hiCol, int32_t hiRow) const {
  if (!stream) stream = std::make_unique<TMemoryStream>();
  SaveToStream(*stream, loCol, loRow, hiCol, hiRow);
}
bool TMatrix::LoadFromStream(TStream* stream, bool adjustSize) {
  return TMatrixIO::LoadStream(*this, stream, adjustSize);
}

bool TIntMatrix::StoreOnFile(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                             const std::string& fileName) const {
  return TMatrixIO::StoreText(*this, loCol, loRow, hiCol, hiRow, fileName);
}
bool TIntMatrix::LoadFromFile(const std::string& fileName, bool adjustSize) {
  return TMatrixIO::LoadText(*this, fileName, adjustSize);
}
void TIntMatrix::SaveToStream(TStream& stream, int32_t loCol, int32_t loRow, int32_t hiCol,
                              int32_t hiRow) const {
  TMatrixIO::SaveStream(*this, stream, loCol, loRow, hiCol, hiRow);
}
void TIntMatrix::SaveToStream(std::unique_ptr<TMemoryStream>& stream, int32_t loCol,
                              int32_t loRow, int32_t hiCol, int32_t hiRow) const {
  if (!stream) stream = std::make_unique<TMemoryStream>();
  SaveToStream(*stream, loCol, loRow, hiCol, hiRow);
}
bool TIntMatrix::LoadFromStream(TStream* stream, bool adjustSize) {
  return TMatrixIO::LoadStream(*this, stream, adjustSize);
}

}  // namespace nuv
