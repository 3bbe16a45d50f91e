// XML blocks of the four matrix classes: one "matrix" block with the
// extents and one "cell" element per stored element.
//
//   <matrix sig="Nuvkit" vers="1.0" id="m1" dataid="Run 7">
//     <numcols val=2 />
//     <numrows val=1 />
//     <cell c=1 r=1 v= 1.500E+0000 />
//     <cell c=2 r=1 v=-2.000E+0000 />
//   </matrix>
//
// TMat3D and TMat4D add numplanes and numtimeslots and the cell indices l
// and t; a sparse TIntMatrix marks its root with sparse=1 and allocstep.
// Readers collect the whole block before they change the matrix.
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <span>

#include "Nuv_matrix_3d4d_parts.h"
#include "Nuv_matrix_files_parts.h"
#include "Nuv_matrix_int_parts.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace matrix {

namespace {

const std::string_view kRoot = xmlMatrixTags[0];
// The extents (element indices 0..3) and the cell (4).
const std::string kChildren[5] = {std::string(xmlMatrixTags[1]), std::string(xmlMatrixTags[2]),
                                  std::string(xmlMatrixTags[3]), std::string(xmlMatrixTags[4]),
                                  std::string(xmlMatrixTags[5])};
constexpr int32_t kCellElement = 4;
const char* const kIndexNames[4] = {"c", "r", "l", "t"};

// ---- writing

// Every double reads back with the same bits: the shortest exact decimal,
// the sign of a negative zero, and the image of a NaN other than the
// default one.
std::string CellValueText(double x) {
  if (std::isnan(x)) {
    const auto bits = std::bit_cast<uint64_t>(x);
    if (bits == std::bit_cast<uint64_t>(std::numeric_limits<double>::quiet_NaN())) return "NAN";
    return "NAN:" + IntToHex(bits, 16);
  }
  if (x == 0 && std::signbit(x)) return "-0.000E+0000";
  return XMLFloatStr(x);
}
std::string CellValueText(int32_t x) { return XMLIntStr(x); }

// One cell element; at holds the indices the class has.
template <class T>
void WriteCell(TXMLBlockWriter& w, std::span<const int32_t> at, T value, std::string& text) {
  text.clear();
  for (std::size_t k = 0; k < at.size(); ++k) {
    ((text += kIndexNames[k]) += '=') += XMLIntStr(at[k]);
    text += ' ';
  }
  (text += "v=") += CellValueText(value);
  w.EmptyElement(kChildren[kCellElement], text);
}

void WriteExtents(TXMLBlockWriter& w, std::span<const int32_t> counts) {
  for (std::size_t k = 0; k < counts.size(); ++k)
    w.EmptyElement(kChildren[k], "val=" + XMLIntStr(counts[k]));
}

std::string DataIDAttribute(const std::string& id) { return "dataid=\"" + id + "\""; }

// ---- reading

struct TCell {
  int32_t At[4];
  double Value;
};

// What a block holds, before anything is checked against a class.
struct TBlockImage {
  int64_t Extent[4] = {-1, -1, -1, -1};  // -1: not given
  std::vector<TCell> Cells;
  bool Bad = false;  // a value that cannot be read, an extent given twice
};

// A decimal integer in 0..2147483647.
bool ParseCount(const std::string& text, int64_t& n) {
  int32_t code = 0;
  int64_t v = 0;
  Val(text, v, code);
  if (code != 0 || text.empty() || v < 0 || v > std::numeric_limits<int32_t>::max()) return false;
  n = v;
  return true;
}

void TakeElement(TBlockImage& b, int32_t index, const std::string& attributes) {
  if (index < kCellElement) {
    int64_t n = 0;
    if (b.Extent[index] >= 0 || !ParseCount(ScanForXMLAttrib(attributes, "val"), n))
      b.Bad = true;
    else
      b.Extent[index] = n;
    return;
  }
  TCell cell{{1, 1, 1, 1}, 0};
  for (int k = 0; k < 4; ++k) {
    const std::string text = ScanForXMLAttrib(attributes, kIndexNames[k]);
    int64_t n = 0;
    if (text.empty() && k >= 2) continue;  // layer and slot default to 1
    if (!ParseCount(text, n) || n < 1) {
      b.Bad = true;
      return;
    }
    cell.At[k] = static_cast<int32_t>(n);
  }
  if (!ParseNumber(ScanForXMLAttrib(attributes, "v"), cell.Value)) {
    b.Bad = true;
    return;
  }
  b.Cells.push_back(cell);
}

// The counts of a class of `dims` dimensions, each at least `least`: its
// extents must be given, the others may only be 1.
bool Shape(const TBlockImage& b, int dims, int64_t least, int32_t (&counts)[4]) {
  for (int k = 0; k < 4; ++k) {
    const int64_t e = b.Extent[k];
    if (k < dims ? e < least : e >= 0 && e != 1) return false;
    counts[k] = k < dims ? static_cast<int32_t>(e) : 1;
  }
  return true;
}

bool Inside(const TCell& cell, const int32_t (&counts)[4]) {
  for (int k = 0; k < 4; ++k)
    if (cell.At[k] > counts[k]) return false;
  return true;
}

// The values of a dense block at position(cell) of an array of the
// counts' product: every element exactly once. False otherwise.
template <class T, class Position>
bool DenseValues(const TBlockImage& b, const int32_t (&counts)[4], Position position,
                 std::vector<T>& values) {
  int64_t total = 1;
  for (const int32_t n : counts) total *= n;
  if (total > kMaxElements || static_cast<int64_t>(b.Cells.size()) != total) return false;
  values.assign(static_cast<std::size_t>(total), T{});
  std::vector<bool> seen(static_cast<std::size_t>(total));
  for (const TCell& cell : b.Cells) {
    if (!Inside(cell, counts)) return false;
    const auto p = static_cast<std::size_t>(position(cell));
    if (seen[p] || !ToElement(cell.Value, values[p])) return false;
    seen[p] = true;
  }
  return true;
}

// Position of (c, r) in a column-major block of `rows` rows.
auto ColumnMajor(int32_t rows) {
  return [rows](const TCell& cell) {
    return (int64_t{cell.At[0]} - 1) * std::max(rows, 1) + (cell.At[1] - 1);
  };
}

}  // namespace

// ---- the classes

struct TXMLClass {
  static constexpr std::string_view Comment(const TMatrix&) { return "TMatrix"; }
  static constexpr std::string_view Comment(const TIntMatrix&) { return "TIntMatrix"; }
  static constexpr std::string_view Comment(const TMat3D&) { return "TMat3D"; }
  static constexpr std::string_view Comment(const TMat4D&) { return "TMat4D"; }
};

template <class M>
void TMatrixIO::WriteXML(const M& m, TXMLBlockWriter& w, bool createHeader, std::string_view id) {
  std::string text;
  if constexpr (std::is_same_v<M, TMatrix> || std::is_same_v<M, TIntMatrix>) {
    std::string root = DataIDAttribute(m.data_id_);
    if constexpr (std::is_same_v<M, TIntMatrix>) {
      if (m.sparse_) root += " sparse=1 allocstep=" + XMLIntStr(m.sparse_->AllocStep());
    }
    w.BeginBlock(createHeader, TXMLClass::Comment(m), kRoot, id, root);
    const int32_t counts[2] = {m.ncols_, m.nrows_};
    WriteExtents(w, counts);
    if constexpr (std::is_same_v<M, TIntMatrix>) {
      if (m.sparse_) {
        for (const TIntMatEntry& e : m.sparse_->Entries()) {
          const int32_t at[2] = {e.Col, e.Row};
          WriteCell(w, at, e.Value, text);
        }
        w.EndBlock();
        return;
      }
    }
    for (int32_t c = 1; c <= m.ncols_; ++c)
      for (int32_t r = 1; r <= m.nrows_; ++r) {
        const int32_t at[2] = {c, r};
        WriteCell(w, at, *m.At(c, r), text);
      }
  } else if constexpr (std::is_same_v<M, TMat3D>) {
    w.BeginBlock(createHeader, TXMLClass::Comment(m), kRoot, id, DataIDAttribute(m.data_id_));
    const int32_t counts[3] = {m.ncols_, m.nrows_, m.nlayers_};
    WriteExtents(w, counts);
    const double* x = m.data_.data();
    for (int32_t c = 1; c <= m.ncols_; ++c)
      for (int32_t r = 1; r <= m.nrows_; ++r)
        for (int32_t l = 1; l <= m.nlayers_; ++l) {
          const int32_t at[3] = {c, r, l};
          WriteCell(w, at, *x++, text);
        }
  } else {
    w.BeginBlock(createHeader, TXMLClass::Comment(m), kRoot, id, DataIDAttribute(m.data_id_));
    WriteExtents(w, m.n_);
    const double* x = m.data_.get();
    for (int32_t t = 1; t <= m.n_[3]; ++t)
      for (int32_t l = 1; l <= m.n_[2]; ++l)
        for (int32_t r = 1; r <= m.n_[1]; ++r)
          for (int32_t c = 1; c <= m.n_[0]; ++c) {
            const int32_t at[4] = {c, r, l, t};
            WriteCell(w, at, *x++, text);
          }
  }
  w.EndBlock();
}

template <class M, class Block>
bool TMatrixIO::ApplyXML(M& m, const Block& b, const std::string& root) {
  int32_t n[4];
  if constexpr (std::is_same_v<M, TMatrix>) {
    std::vector<double> values;
    if (!Shape(b, 2, 0, n) || !DenseValues(b, n, ColumnMajor(n[1]), values)) return false;
    m.Reshape(n[0], n[1]);
    std::copy(values.begin(), values.end(), m.data_.begin());
  } else if constexpr (std::is_same_v<M, TIntMatrix>) {
    if (!Shape(b, 2, 0, n)) return false;
    if (ScanForXMLAttrib(root, "sparse") == "1") {
      int64_t step = 0;
      if (!ParseCount(ScanForXMLAttrib(root, "allocstep"), step) || step < 1) return false;
      std::vector<TIntMatEntry> entries;
      entries.reserve(b.Cells.size());
      for (const TCell& cell : b.Cells) {
        int32_t v = 0;
        if (!Inside(cell, n) || !ToElement(cell.Value, v)) return false;
        entries.push_back({cell.At[0], cell.At[1], v});
      }
      std::sort(entries.begin(), entries.end(), KeyLess);
      for (std::size_t i = 1; i < entries.size(); ++i)
        if (!KeyLess(entries[i - 1], entries[i])) return false;
      AdoptSparse(m, n[0], n[1], static_cast<int32_t>(step), std::move(entries));
    } else {
      std::vector<int32_t> values;
      if (!DenseValues(b, n, ColumnMajor(n[1]), values)) return false;
      if (values.empty()) values.assign(1, 0);  // storage for one element stays
      AdoptDense(m, n[0], n[1], std::move(values));
    }
  } else if constexpr (std::is_same_v<M, TMat3D>) {
    std::vector<double> values;
    auto position = [&](const TCell& cell) {
      return ((int64_t{cell.At[0]} - 1) * n[1] + (cell.At[1] - 1)) * n[2] + (cell.At[2] - 1);
    };
    if (!Shape(b, 3, 1, n) || !DenseValues(b, n, position, values)) return false;
    m.data_.swap(values);
    m.ncols_ = n[0];
    m.nrows_ = n[1];
    m.nlayers_ = n[2];
  } else {
    std::vector<double> values;
    auto position = [&](const TCell& cell) {
      return (int64_t{cell.At[0]} - 1) +
             int64_t{n[0]} * ((int64_t{cell.At[1]} - 1) +
                              int64_t{n[1]} * ((int64_t{cell.At[2]} - 1) +
                                               int64_t{n[2]} * (int64_t{cell.At[3]} - 1)));
    };
    if (!Shape(b, 4, 1, n) || !DenseValues(b, n, position, values)) return false;
    TMat4D::TStorage block = m.NewBlock(n, false);
    std::copy(values.begin(), values.end(), block.get());
    m.data_ = std::move(block);
    std::copy_n(n, 4, m.n_);
  }
  return true;
}

template <class M, class Source>
bool TMatrixIO::ReadXML(M& m, Source& in, std::string_view id) {
  std::string root;
  if (!FindXMLBlock(in, kRoot, id, root)) return false;
  TBlockImage block;
  const bool complete = ReadXMLBlockElements(
      in, kRoot, kChildren,
      [&](int32_t index, const std::string&, const std::string& attributes) {
        if (!block.Bad) TakeElement(block, index, attributes);
      });
  if (!complete || block.Bad || !ApplyXML(m, block, root)) return false;
  m.data_id_ = ScanForXMLAttrib(root, "dataid");
  m.Changed();
  return true;
}

}  // namespace matrix

// ---------------------------------------------------------------------------
// The members

namespace {

using matrix::TMatrixIO;

template <class M, class Target>
void WriteBlock(const M& m, Target& target, bool createHeader, std::string_view id) {
  TXMLBlockWriter w(target);
  TMatrixIO::WriteXML(m, w, createHeader, id);
}

template <class M>
void SaveBlock(const M& m, std::string_view fileName, std::string_view id) {
  SaveXMLFile(fileName, [&](TextFile& f) { WriteBlock(m, f, true, id); });
}

template <class M>
bool LoadBlock(M& m, std::string_view fileName, std::string_view id) {
  return LoadXMLFile(fileName, [&](TextFile& f) { return TMatrixIO::ReadXML(m, f, id); });
}

}  // namespace

void TMatrix::WriteToXMLStream(TStream& stream, bool createHeader, std::string_view id) const {
  WriteBlock(*this, stream, createHeader, id);
}
bool TMatrix::ReadFromXMLStream(TStream& stream, std::string_view id) {
  return TMatrixIO::ReadXML(*this, stream, id);
}
void TMatrix::WriteToOpenXMLFile(TextFile& f, bool createHeader, std::string_view id) const {
  WriteBlock(*this, f, createHeader, id);
}
bool TMatrix::ReadFromOpenXMLFile(TextFile& f, std::string_view id) {
  return TMatrixIO::ReadXML(*this, f, id);
}
void TMatrix::SaveAsXMLFile(std::string_view fileName, std::string_view id) const {
  SaveBlock(*this, fileName, id);
}
bool TMatrix::LoadFromXMLFile(std::string_view fileName, std::string_view id) {
  return LoadBlock(*this, fileName, id);
}

void TIntMatrix::WriteToXMLStream(TStream& stream, bool createHeader, std::string_view id) const {
  WriteBlock(*this, stream, createHeader, id);
}
bool TIntMatrix::ReadFromXMLStream(TStream& stream, std::string_view id) {
  return TMatrixIO::ReadXML(*this, stream, id);
}
void TIntMatrix::WriteToOpenXMLFile(TextFile& f, bool createHeader, std::string_view id) const {
  WriteBlock(*this, f, createHeader, id);
}
bool TIntMatrix::ReadFromOpenXMLFile(TextFile& f, std::string_view id) {
  return TMatrixIO::ReadXML(*this, f, id);
}
void TIntMatrix::SaveAsXMLFile(std::string_view fileName, std::string_view id) const {
  SaveBlock(*this, fileName, id);
}
bool TIntMatrix::LoadFromXMLFile(std::string_view fileName, std::string_view id) {
  return LoadBlock(*this, fileName, id);
}

void TMat3D::WriteToXMLStream(TStream& stream, bool createHeader, std::string_view id) const {
  WriteBlock(*this, stream, createHeader, id);
}
bool TMat3D::ReadFromXMLStream(TStream& stream, std::string_view id) {
  return TMatrixIO::ReadXML(*this, stream, id);
}
void TMat3D::WriteToOpenXMLFile(TextFile& f, bool createHeader, std::string_view id) const {
  WriteBlock(*this, f, createHeader, id);
}
bool TMat3D::ReadFromOpenXMLFile(TextFile& f, std::string_view id) {
  return TMatrixIO::ReadXML(*this, f, id);
}
void TMat3D::SaveAsXMLFile(std::string_view fileName, std::string_view id) const {
  SaveBlock(*this, fileName, id);
}
bool TMat3D::LoadFromXMLFile(std::string_view fileName, std::string_view id) {
  return LoadBlock(*this, fileName, id);
}

void TMat4D::WriteToXMLStream(TStream& stream, bool createHeader, std::string_view id) const {
  WriteBlock(*this, stream, createHeader, id);
}
bool TMat4D::ReadFromXMLStream(TStream& stream, std::string_view id) {
  return TMatrixIO::ReadXML(*this, stream, id);
}
void TMat4D::WriteToOpenXMLFile(TextFile& f, bool createHeader, std::string_view id) const {
  WriteBlock(*this, f, createHeader, id);
}
bool TMat4D::ReadFromOpenXMLFile(TextFile& f, std::string_view id) {
  return TMatrixIO::ReadXML(*this, f, id);
}
void TMat4D::SaveAsXMLFile(std::string_view fileName, std::string_view id) const {
  SaveBlock(*this, fileName, id);
}
bool TMat4D::LoadFromXMLFile(std::string_view fileName, std::string_view id) {
  return LoadBlock(*this, fileName, id);
}

}  // namespace nuv
