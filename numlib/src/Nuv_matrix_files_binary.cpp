// The binary file of TMatrix and the sparse file of TIntMatrix: a magic
// word, a version and little-endian fields, then the data; a reader
// accepts a file only when its size is exactly what the header describes.
#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "Nuv_matrix_3d4d_parts.h"
#include "Nuv_matrix_files_parts.h"
#include "Nuv_matrix_int_parts.h"
#include "nuv/platform/BinaryFile.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {

namespace matrix {

namespace {

constexpr char kDoubleMagic[4] = {'N', 'V', 'M', 'D'};
constexpr char kSparseMagic[4] = {'N', 'V', 'M', 'S'};
constexpr uint16_t kVersion = 1;
constexpr uint16_t kSparseMode = 1;  // flag of the sparse file: saved from sparse mode
constexpr std::size_t kHeaderBytes = 28;

// Reads exactly n bytes at the file's position; false when it ends first.
bool ReadExactly(BinaryFile& f, void* buffer, int64_t n) {
  auto* p = static_cast<uint8_t*>(buffer);
  while (n > 0) {
    const auto chunk = static_cast<int32_t>(std::min<int64_t>(n, int64_t{1} << 30));
    int32_t got = 0;
    f.BlockRead(p, chunk, got);
    if (got != chunk) return false;
    p += chunk;
    n -= chunk;
  }
  return true;
}

// The fixed header of both files: the magic word and version, the second
// 16-bit field, then five int32 fields.
struct THeader {
  uint16_t Flags = 0;
  int32_t Fields[5] = {0, 0, 0, 0, 0};
};

std::string EncodeHeader(const char (&magic)[4], const THeader& h, std::string_view dataID) {
  uint8_t bytes[kHeaderBytes];
  ByteWriter w(bytes, sizeof bytes);
  w.WriteBytes(magic, 4);
  w.WriteU16(kVersion);
  w.WriteU16(h.Flags);
  for (const int32_t v : h.Fields) w.WriteI32(v);
  std::string image(reinterpret_cast<const char*>(bytes), sizeof bytes);
  image.append(dataID);
  return image;
}

// Opens the file and reads the header and the DataID; its last field is
// the length of the DataID. False for another kind of file, a newer
// version, a negative field or a file that ends early. bodyBytes receives
// the bytes after the DataID.
bool ReadHeader(BinaryFile& f, const char (&magic)[4], THeader& h, std::string& dataID,
                int64_t& bodyBytes) {
  f.SetFileMode(fmOpenRead);
  f.Reset();
  uint8_t bytes[kHeaderBytes];
  if (!ReadExactly(f, bytes, sizeof bytes)) return false;
  ByteReader r(bytes, sizeof bytes);
  char found[4];
  r.ReadBytes(found, 4);
  if (!std::equal(found, found + 4, magic) || r.ReadU16() != kVersion) return false;
  h.Flags = r.ReadU16();
  for (int32_t& v : h.Fields) v = r.ReadI32();
  const int32_t idLength = h.Fields[4];
  const int64_t rest = f.FileSize() - static_cast<int64_t>(kHeaderBytes);
  if (idLength < 0 || idLength > rest) return false;
  dataID.resize(static_cast<std::size_t>(idLength));
  if (!ReadExactly(f, dataID.data(), idLength)) return false;
  bodyBytes = rest - idLength;
  return true;
}

// The header of a TMatrix file: columns, rows, the two precisions, the
// DataID's length; true when it describes exactly the bytes that follow.
bool ReadDoubleHeader(BinaryFile& f, THeader& h, std::string& dataID) {
  int64_t body = 0;
  if (!ReadHeader(f, kDoubleMagic, h, dataID, body)) return false;
  const int64_t cols = h.Fields[0], rows = h.Fields[1];
  return cols >= 0 && rows >= 0 && (cols == 0 || rows <= body / 8 / cols) &&
         cols * rows * 8 == body && cols * rows <= kMaxElements;
}

}  // namespace

void TMatrixIO::SaveBinary(const TMatrix& m, std::string_view fileName) {
  THeader h;
  h.Fields[0] = m.ncols_;
  h.Fields[1] = m.nrows_;
  h.Fields[2] = m.fprecis_[0];
  h.Fields[3] = m.fprecis_[1];
  h.Fields[4] = static_cast<int32_t>(m.data_id_.size());
  const std::string header = EncodeHeader(kDoubleMagic, h, m.data_id_);
  // Without rows or columns nothing is stored; otherwise the block holds
  // exactly the elements, column by column.
  const int64_t count = int64_t{m.ncols_} * m.nrows_;
  SaveFileReplacing(fileName, [&](TextFile& f) {
    f.Write(header);
    f.Write(std::string_view(reinterpret_cast<const char*>(m.data_.data()),
                             static_cast<std::size_t>(count) * sizeof(double)));
  });
}

bool TMatrixIO::LoadBinary(TMatrix& m, std::string_view fileName) {
  BinaryFile f(fileName, 1);
  THeader h;
  std::string dataID;
  if (!ReadDoubleHeader(f, h, dataID)) return false;
  const int32_t cols = h.Fields[0], rows = h.Fields[1];
  std::vector<double> block = WithHeap(m, [&] {
    return std::vector<double>(static_cast<std::size_t>(std::max(cols, 1)) *
                               static_cast<std::size_t>(std::max(rows, 1)));
  });
  if (!ReadExactly(f, block.data(), int64_t{cols} * rows * 8)) return false;
  f.Close();
  m.data_.swap(block);
  m.ld_ = std::max(rows, 1);
  m.ncols_ = cols;
  m.nrows_ = rows;
  m.fprecis_[0] = std::clamp(h.Fields[2], -1, 25);
  m.fprecis_[1] = std::clamp(h.Fields[3], -1, 25);
  m.data_id_ = dataID;
  m.Changed();
  return true;
}

// ---------------------------------------------------------------------------
// The sparse file: columns, rows, allocation step, entry count and the
// DataID's length, then the entries (column, row, value) in order.

void TMatrixIO::StoreSparse(const TIntMatrix& m, std::string_view fileName) {
  std::vector<TIntMatEntry> dense;
  if (!m.sparse_) {
    for (int32_t c = 1; c <= m.ncols_; ++c)
      for (int32_t r = 1; r <= m.nrows_; ++r)
        if (const int32_t v = *m.At(c, r); v != 0) dense.push_back({c, r, v});
  }
  const std::span<const TIntMatEntry> entries = m.sparse_ ? m.sparse_->Entries() : dense;
  THeader h;
  h.Flags = m.sparse_ ? kSparseMode : 0;
  h.Fields[0] = m.ncols_;
  h.Fields[1] = m.nrows_;
  h.Fields[2] = m.sparse_ ? m.sparse_->AllocStep() : 1;
  h.Fields[3] = static_cast<int32_t>(entries.size());
  h.Fields[4] = static_cast<int32_t>(m.data_id_.size());
  const std::string header = EncodeHeader(kSparseMagic, h, m.data_id_);
  static_assert(sizeof(TIntMatEntry) == 12, "entries are stored as three int32 values");
  SaveFileReplacing(fileName, [&](TextFile& f) {
    f.Write(header);
    f.Write(std::string_view(reinterpret_cast<const char*>(entries.data()), entries.size_bytes()));
  });
}

bool TMatrixIO::LoadSparse(TIntMatrix& m, std::string_view fileName) {
  BinaryFile f(fileName, 1);
  THeader h;
  std::string dataID;
  int64_t body = 0;
  if (!ReadHeader(f, kSparseMagic, h, dataID, body)) return false;
  const int32_t cols = h.Fields[0], rows = h.Fields[1], step = h.Fields[2], count = h.Fields[3];
  const bool sparse = (h.Flags & kSparseMode) != 0;
  if (cols < 0 || rows < 0 || step < 1 || count < 0 || int64_t{count} * 12 != body) return false;
  if (!sparse && int64_t{cols} * rows > kMaxElements) return false;
  std::vector<TIntMatEntry> entries =
      WithHeap(m, [&] { return std::vector<TIntMatEntry>(static_cast<std::size_t>(count)); });
  if (!ReadExactly(f, entries.data(), body)) return false;
  f.Close();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TIntMatEntry& e = entries[i];
    if (e.Col < 1 || e.Col > cols || e.Row < 1 || e.Row > rows) return false;
    if (i > 0 && !KeyLess(entries[i - 1], e)) return false;
  }
  if (sparse) {
    AdoptSparse(m, cols, rows, step, std::move(entries));
  } else {
    std::vector<int32_t> block = DenseBlock(m, cols, rows);
    for (const TIntMatEntry& e : entries)
      block[(int64_t{e.Col} - 1) * std::max(rows, 1) + (e.Row - 1)] = e.Value;
    AdoptDense(m, cols, rows, std::move(block));
  }
  m.data_id_ = dataID;
  m.Changed();
  return true;
}

std::vector<int32_t> TMatrixIO::DenseBlock(const TIntMatrix& m, int32_t cols, int32_t rows) {
  return WithHeap(m, [&] {
    return std::vector<int32_t>(static_cast<std::size_t>(std::max(cols, 1)) *
                                static_cast<std::size_t>(std::max(rows, 1)));
  });
}

void TMatrixIO::AdoptSparse(TIntMatrix& m, int32_t cols, int32_t rows, int32_t step,
                            std::vector<TIntMatEntry> sorted) {
  auto store = WithHeap(m, [&] {
    auto s = std::make_unique<TIntSparse>(step);
    s->Assign(std::move(sorted));
    return s;
  });
  m.sparse_ = std::move(store);
  std::vector<int32_t>().swap(m.dense_);
  m.ld_ = 1;
  m.ncols_ = cols;
  m.nrows_ = rows;
}

void TMatrixIO::AdoptDense(TIntMatrix& m, int32_t cols, int32_t rows, std::vector<int32_t> block) {
  m.dense_.swap(block);
  m.sparse_.reset();
  m.ld_ = std::max(rows, 1);
  m.ncols_ = cols;
  m.nrows_ = rows;
}

}  // namespace matrix

using matrix::TMatrixIO;

void TMatrix::SaveBinary(std::string_view fileName) const { TMatrixIO::SaveBinary(*this, fileName); }
bool TMatrix::LoadBinary(std::string_view fileName) { return TMatrixIO::LoadBinary(*this, fileName); }

bool TMatrix::ReadBinaryHeader(std::string_view fileName, int32_t& columns, int32_t& rows,
                               std::string& dataID) {
  BinaryFile f(fileName, 1);
  matrix::THeader h;
  std::string id;
  if (!matrix::ReadDoubleHeader(f, h, id)) return false;
  columns = h.Fields[0];
  rows = h.Fields[1];
  dataID = id;
  return true;
}

void TIntMatrix::StoreSparseMat(std::string_view fileName) const {
  TMatrixIO::StoreSparse(*this, fileName);
}
bool TIntMatrix::LoadSparseMat(std::string_view fileName) {
  return TMatrixIO::LoadSparse(*this, fileName);
}

}  // namespace nuv
