// Shared by the file and stream code of the matrix classes (not
// installed): windows as files store them, number text, whole-file saves
// and the friend through which loaders fill a matrix without firing an
// event for every step.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_streams.h"
#include "nuv/platform/TextFile.h"

namespace nuv::matrix {

// Writes a whole file, text or bytes (TextFile passes bytes through
// unchanged), into a temporary file beside fileName that replaces it only
// when complete; on failure fileName keeps its old content and the error
// propagates (EInOutError).
inline void SaveFileReplacing(std::string_view fileName,
                              const std::function<void(TextFile& f)>& write) {
  SaveXMLFile(fileName, write);
}

// A window as the text and stream files store it: columns C0..C1 and rows
// R0..R1, where an empty dimension is 1..0.
struct TFileWindow {
  int64_t C0 = 1, R0 = 1, C1 = 0, R1 = 0;
  int64_t Width() const { return C1 - C0 + 1; }
  int64_t Height() const { return R1 - R0 + 1; }
  int64_t Cells() const { return Width() * Height(); }
};

// The window of a matrix to save: normalised as MakeValidColRange and
// MakeValidRowRange do, a dimension of count 0 empty.
template <class M>
TFileWindow SaveWindow(const M& m, int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) {
  m.MakeValidColRange(loCol, hiCol);
  m.MakeValidRowRange(loRow, hiRow);
  TFileWindow w{loCol, loRow, hiCol, hiRow};
  if (m.NrOfColumns() == 0) w.C0 = 1, w.C1 = 0;
  if (m.NrOfRows() == 0) w.R0 = 1, w.R1 = 0;
  return w;
}

// A stored window is valid when each dimension is lo..hi with 1 <= lo <= hi
// <= 2147483647, or the empty 1..0.
bool ValidWindow(const TFileWindow& w);

// A number as the matrix files write it: a decimal (any of the forms the
// runtime's Val reads), "NAN", "INF", "-INF" in any case, and "NAN:" with
// the 16 hex digits of a NaN's bit image. False for anything else.
bool ParseNumber(std::string_view text, double& x);
// The element a number read from a file gives: doubles as they are,
// integers rounded; false for a value no int32 element can take.
inline bool ToElement(double x, double& e) {
  e = x;
  return true;
}
bool ToElement(double x, int32_t& e);

// Fills a matrix from files (all formats), writes the XML blocks; the
// members of the matrix classes delegate here.
struct TMatrixIO {
  // Stores window values (column by column) into the matrix: with
  // adjustSize the matrix takes the shape C1 × R1 first; otherwise it must
  // hold the window. False, with nothing changed, when it does not or the
  // shape would pass 2147483647 elements of a dense block. One OnChange.
  static bool StoreWindow(TMatrix& m, const TFileWindow& w, const std::vector<double>& values,
                          bool adjustSize);
  static bool StoreWindow(TIntMatrix& m, const TFileWindow& w, const std::vector<int32_t>& values,
                          bool adjustSize);

  template <class M>
  static bool StoreText(const M& m, int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                        const std::string& fileName);
  template <class M>
  static bool LoadText(M& m, const std::string& fileName, bool adjustSize);
  template <class M>
  static void SaveStream(const M& m, TStream& stream, int32_t loCol, int32_t loRow, int32_t hiCol,
                         int32_t hiRow);
  template <class M>
  static bool LoadStream(M& m, TStream* stream, bool adjustSize);

  static void SaveBinary(const TMatrix& m, std::string_view fileName);
  static bool LoadBinary(TMatrix& m, std::string_view fileName);
  static void StoreSparse(const TIntMatrix& m, std::string_view fileName);
  static bool LoadSparse(TIntMatrix& m, std::string_view fileName);
  // A zeroed dense block of an integer matrix for cols × rows (one column
  // and one row at least); then the matrix takes it, or sorted entries in
  // sparse mode, with those counts (no OnChange). Allocation failures
  // raise "not enough memory on heap" before anything changes.
  static std::vector<int32_t> DenseBlock(const TIntMatrix& m, int32_t cols, int32_t rows);
  static void AdoptDense(TIntMatrix& m, int32_t cols, int32_t rows, std::vector<int32_t> block);
  static void AdoptSparse(TIntMatrix& m, int32_t cols, int32_t rows, int32_t step,
                          std::vector<TIntMatEntry> sorted);

  template <class M>
  static void WriteXML(const M& m, TXMLBlockWriter& w, bool createHeader, std::string_view id);
  template <class M, class Source>
  static bool ReadXML(M& m, Source& in, std::string_view id);
  // Fills the matrix from a block read whole; false, nothing changed, when
  // the block does not describe one of this class.
  template <class M, class Block>
  static bool ApplyXML(M& m, const Block& block, const std::string& rootAttributes);
};

}  // namespace nuv::matrix
