// The integer matrix, TIntMatrix: the 32-bit signed counterpart of TMatrix,
// addressed (column, row) from 1, whose elements are held either densely
// or sparsely.
//
// Dense mode stores every element in one column-major block, as TMatrix
// does. Sparse mode stores (column, row, value) entries sorted by column,
// then row, in one contiguous array, with the bounding box of the stored
// entries and an allocation step; an element that is not stored reads 0,
// a stored entry may hold 0. In sparse mode SetVal accepts any column and
// row from 1 on, and an insert sets NrOfColumns and NrOfRows to the
// bounding box's maximum column and row. Inserts in any order cost
// amortised logarithmic time: new entries gather behind the sorted ones
// and are merged in bulk, so even reading may reorganise a sparse matrix
// (one thread at a time, as for every matrix).
//
// Element arithmetic (SAdd, SMult, Add, Subtract, the products) wraps
// modulo 2^32; Sum and Trace are exact 64-bit sums. Windows follow
// MakeValidColRange/MakeValidRowRange as in TMatrix.
//
// On a sparse matrix every operation gives what a dense matrix holding the
// same elements would give, in time that depends on the stored entries and
// never on the extent, except where the modes are meant to differ: Resize
// returns false without OnChange, Fill leaves unstored elements 0, MinMax
// looks only at stored entries, and ArrayToSparse and SparseToArray fire
// no OnChange. An operation that would have to write
// every element of a sparse matrix (SAdd of a non-zero value, SortRows,
// SortCols) raises ENUVMatrixError "... not available for a sparse matrix"
// instead; Add, Subtract and the products return false for a sparse
// target. A sparse matrix never changes its mode by itself:
// SparseToArray and ArrayToSparse convert explicitly.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_matrix_core.h"

namespace nuv {

// One stored element of a sparse TIntMatrix.
struct TIntMatEntry {
  int32_t Col;
  int32_t Row;
  int32_t Value;
  friend bool operator==(const TIntMatEntry&, const TIntMatEntry&) = default;
};

// Bounding box of the stored entries of a sparse TIntMatrix;
// (2147483647, 1, 2147483647, 1) when it holds none.
struct TIntMatBox {
  int32_t MinCol;
  int32_t MaxCol;
  int32_t MinRow;
  int32_t MaxRow;
  friend bool operator==(const TIntMatBox&, const TIntMatBox&) = default;
};

namespace matrix {
class TIntSparse;
struct TMatrixIO;
}
namespace stats {
struct TShape;
}

class TIntMatrix : public TComponent {
 public:
  // Dense, one column and one row holding 0.
  explicit TIntMatrix(TComponent* AOwner);
  // Sparse and empty (0 columns, 0 rows), allocation step max(1, allocStep),
  // capacity equal to it.
  TIntMatrix(TComponent* AOwner, int32_t allocStep);
  ~TIntMatrix() override;

  int32_t NrOfColumns() const { return ncols_; }
  int32_t NrOfRows() const { return nrows_; }
  // Resize to max(0, n) columns resp. rows, keeping the other count.
  void SetNrOfColumns(int32_t n) { SetNCols(n); }
  void SetNrOfRows(int32_t n) { SetNRows(n); }
  void SetNCols(int32_t n);
  void SetNRows(int32_t n);

  const std::string& DataID() const { return data_id_; }
  void SetDataID(std::string_view id);

  TNotifyEvent OnChange;
  // Fired by SortRows (ExchgWhat 2) and SortCols (ExchgWhat 1) for every
  // exchange.
  TSortExchgEvent OnSortExchange;

  // ---- storage
  bool IsSparse() const { return sparse_ != nullptr; }
  // Sparse mode: the allocation step, the capacity (starting at the step
  // and growing by it whenever the entries fill it), the number of stored
  // entries, the entries in (column, row) order and their bounding box.
  // Dense mode: 0, 0, 0, none and the empty box.
  int32_t AllocStep() const;
  int32_t Capacity() const;
  int32_t NrOfEntries() const;
  std::span<const TIntMatEntry> Entries() const;
  TIntMatBox BoundingBox() const;
  // Dense: every non-zero element becomes an entry (column by column), the
  // dense block is released, the counts stay. No effect in sparse mode.
  void ArrayToSparse(int32_t allocStep);
  // Sparse: a dense block of the bounding box's maximum column × maximum
  // row receives the entries, which are released; the counts become that
  // size. No effect in dense mode. Raises "not enough memory on heap" when
  // the block cannot be allocated (the matrix stays sparse).
  void SparseToArray();

  // ---- life cycle and access
  // Negative counts become 0. Dense: values at surviving positions stay,
  // new ones are 0; true and OnChange. Sparse: the counts are set, the
  // bounding box is lowered to them, entries outside are removed; false,
  // no OnChange. Raises "not enough memory on heap" when the dense block
  // cannot be allocated.
  bool Resize(int32_t columns, int32_t rows);
  int32_t GetVal(int32_t col, int32_t row) const;
  // Dense: stored when in range. Sparse: stored for any col, row >= 1; an
  // existing entry is overwritten (also with 0), otherwise inserted.
  void SetVal(int32_t col, int32_t row, int32_t v);
  // Dense mode: the values of column col (rows 1..NrOfRows adjacent),
  // nullptr outside 1..NrOfColumns and in sparse mode; for loops that
  // write many values, which then call Changed.
  int32_t* Column(int32_t col);
  const int32_t* Column(int32_t col) const;

  void Changed();
  void SortExchange(uint8_t what, int32_t index1, int32_t index2, int32_t first, int32_t last);
  void MakeValidColRange(int32_t& lo, int32_t& hi) const;
  void MakeValidRowRange(int32_t& lo, int32_t& hi) const;

  // Dense: every element. Sparse: every stored entry for v != 0 (elements
  // not stored stay 0); v = 0 removes all entries (capacity back to the
  // allocation step, box reset, counts kept).
  void Fill(int32_t v);
  // Copies shape and elements from a matrix of the same mode (sparse:
  // with allocation step, capacity and box); nothing happens across modes.
  void Clone(const TIntMatrix& source);
  // The source rectangle, clamped into the source (no whole-extent rule)
  // and ordered, goes to (destCol, destRow) on, element by element as
  // GetVal/SetVal would copy it; destinations outside a dense matrix are
  // skipped. Into a sparse matrix an entry is created only for a non-zero
  // source element; entries already there take the source value, 0
  // included. The source may be this matrix and of either mode.
  void CopyFrom(const TIntMatrix& source, int32_t srcLoCol, int32_t srcLoRow, int32_t srcHiCol,
                int32_t srcHiRow, int32_t destCol, int32_t destRow);
  // The vector is cleared, then element k receives (loCol + k - 1, row) for
  // the columns of MakeValidColRange that fit the vector; row is clamped
  // into 1..NrOfRows.
  void CopyRowToVec(TIntVector& vector, int32_t row, int32_t loCol, int32_t hiCol) const;
  void CopyColToVec(TIntVector& vector, int32_t col, int32_t loRow, int32_t hiRow) const;

  // Exchange two columns resp. rows (nothing unless both indices are
  // valid), reverse the order of the columns resp. rows.
  void ExchangeColumns(int32_t c1, int32_t c2);
  void ExchangeRows(int32_t r1, int32_t r2);
  void MirrorColumns();
  void MirrorRows();

  // 32 upper-case hex digits: one CRC-32 per byte position of the 4-byte
  // element images, elements column by column (in sparse mode the
  // elements not stored count as 0).
  std::string CRCofData() const;

  // ---- arithmetic, wrapping modulo 2^32
  void SMult(int32_t factor);
  // Raises "SAdd not available for a sparse matrix" for a non-zero value
  // in sparse mode.
  void SAdd(int32_t value);
  // Element-wise in place; false (nothing changed) when other is missing
  // or this matrix is sparse. A dense other must have this shape; a sparse
  // other must fit: this matrix needs at least its bounding box's maximum
  // column and row, and its stored entries are added resp. subtracted.
  bool Add(const TIntMatrix* other);
  bool Subtract(const TIntMatrix* other);
  // c = this × b. Needs this.columns = b.rows and a dense c of
  // b.columns × this.rows; false otherwise (c untouched). this and b may be
  // sparse; c may be this or b.
  bool Multiply(const TIntMatrix& b, TIntMatrix& c) const;
  // c = thisᵀ × b. Needs this.rows = b.rows and a dense c of
  // b.columns × this.columns.
  bool TransposeAndMultiply(const TIntMatrix& b, TIntMatrix& c) const;
  // w = thisᵀ × v. Needs v of this.rows and w of this.columns elements.
  bool TransposeAndMultiply(const TIntVector& v, TIntVector& w) const;
  // Rows become columns; sparse entries are exchanged and re-sorted. True.
  bool Transpose();
  // Sum of the diagonal; 0 unless square and not empty (in both modes).
  int64_t Trace() const;

  // ---- statistics over a window; in sparse mode the elements not stored
  // count as 0 except for MinMax
  int64_t Sum(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const;
  // Mean and sample variance; the variance is 1 unless the window holds at
  // least three elements.
  void MeanVar(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& mean,
               double& variance) const;
  // Raises "negative argument passed to GeometricMean"; 0 when an element
  // is 0.
  double GeometricMean(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const;
  // Raises "negative or zero argument passed to HarmonicMean".
  double HarmonicMean(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const;
  // Skewness and excess kurtosis from the sample standard deviation (0 for
  // fewer than four elements or no spread); the sample form; and the
  // moments with the number of elements (saturated at 2147483647).
  void SkewKurt(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& skewness,
                double& kurtosis) const;
  void SkewKurtSample(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& skewness,
                      double& kurtosis) const;
  void SkewKurtIntern(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& skewness,
                      double& kurtosis, int32_t& count) const;
  // Quartiles and percentiles (p in percent) of the window's values by the
  // (n + 1)-based interpolation of TMatrix. Quartiles is false for an
  // empty window.
  bool Quartiles(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& q1, double& q2,
                 double& q3) const;
  double Percentile(double p, int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const;
  // Smallest and largest element; 2147483647 and -2147483647 when no
  // element takes part. In sparse mode only stored entries take part.
  void MinMax(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, int32_t& min,
              int32_t& max) const;
  // Position of the element nearest to value, first in column-major order
  // on ties; (0, 0) for an empty window or a NaN value.
  void Find(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double value, int32_t& col,
            int32_t& row) const;
  // Row nearest to value in a column sorted in that order (binary search,
  // the upper row on ties); 0 for a column outside the matrix or no rows.
  int32_t FindInSortedColumn(int32_t col, bool ascending, double value) const;

  // Comb sort of the rows loRow..hiRow by column keyCol (columns
  // loCol..hiCol and the key column move), resp. of the columns by row
  // keyRow, as TMatrix sorts. Dense mode only.
  void SortRows(int32_t keyCol, bool ascending, int32_t loCol, int32_t loRow, int32_t hiCol,
                int32_t hiRow);
  void SortCols(int32_t keyRow, bool ascending, int32_t loCol, int32_t loRow, int32_t hiCol,
                int32_t hiRow);

  // ---- files, as those of TMatrix (integers in decimal, stream records
  // of 4-byte integers). Loading into a sparse matrix stores the non-zero
  // values and overwrites the entries already there, keeping its counts.
  bool StoreOnFile(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                   const std::string& fileName) const;
  bool LoadFromFile(const std::string& fileName, bool adjustSize);
  void SaveToStream(std::unique_ptr<TMemoryStream>& stream, int32_t loCol, int32_t loRow,
                    int32_t hiCol, int32_t hiRow) const;
  void SaveToStream(TStream& stream, int32_t loCol, int32_t loRow, int32_t hiCol,
                    int32_t hiRow) const;
  bool LoadFromStream(TStream* stream, bool adjustSize);
  // XML blocks "matrix" (comment "TIntMatrix"): every element of a dense
  // matrix, the entries of a sparse one; a reader takes the block's mode.
  void WriteToXMLStream(TStream& stream, bool createHeader, std::string_view id) const;
  bool ReadFromXMLStream(TStream& stream, std::string_view id);
  void WriteToOpenXMLFile(TextFile& f, bool createHeader, std::string_view id) const;
  bool ReadFromOpenXMLFile(TextFile& f, std::string_view id);
  void SaveAsXMLFile(std::string_view fileName, std::string_view id) const;
  bool LoadFromXMLFile(std::string_view fileName, std::string_view id);
  // The sparse file: counts, mode, allocation step, DataID and the stored
  // entries (of a dense matrix its non-zero elements). Loading restores
  // the mode; false, nothing changed, for a file that is not one.
  void StoreSparseMat(std::string_view fileName) const;
  bool LoadSparseMat(std::string_view fileName);

 private:
  friend struct matrix::TMatrixIO;
  // A normalised window: columns C0..C1, rows R0..R1, Cells elements (0
  // for an empty one).
  struct TWindow {
    int32_t C0 = 1, R0 = 1, C1 = 0, R1 = 0;
    int64_t Cells = 0;
  };
  // Calls f(col, row, value) for the window's elements in column-major
  // order: every element of a dense matrix, the stored entries of a sparse
  // one.
  template <class F>
  void ForEachStored(const TWindow& w, F&& f) const;
  // What ForEachStored passes, in its order.
  std::vector<int32_t> StoredValues(const TWindow& w) const;
  // The window's elements for the statistics helpers: the dense block in
  // place, or the stored values of a sparse matrix, kept in values.
  stats::TBlock<int32_t> Block(const TWindow& w, std::vector<int32_t>& values) const;
  // Skewness and kurtosis of the window's elements.
  stats::TShape Shape(const TWindow& w) const;
  // Sparse: stores v at (col, row) >= (1, 1); an insert sets the counts to
  // the bounding box's maxima.
  void Store(int32_t col, int32_t row, int32_t v);

  int32_t* At(int32_t col, int32_t row) { return dense_.data() + Offset(col, row); }
  const int32_t* At(int32_t col, int32_t row) const { return dense_.data() + Offset(col, row); }
  int64_t Offset(int32_t col, int32_t row) const { return (col - 1) * ld_ + (row - 1); }
  bool InRange(int32_t col, int32_t row) const {
    return col >= 1 && col <= ncols_ && row >= 1 && row <= nrows_;
  }
  [[noreturn]] void Raise(std::string_view text) const;
  // Elements lo..hi of a column (or row) into the vector, as CopyColToVec
  // (CopyRowToVec) after normalising the range.
  void CopyLineToVec(TIntVector& vector, int32_t line, int32_t lo, int32_t hi, bool column) const;
  void RequireDense(std::string_view operation) const;
  // Dense storage for columns × rows (negative counts 0) keeping the
  // values present in both shapes, without Changed.
  void Reshape(int32_t columns, int32_t rows);
  TWindow Window(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const;
  // c = this × b, or thisᵀ × b when transposed, for shapes already checked.
  void Product(const TIntMatrix& b, TIntMatrix& c, bool transposed) const;
  // Adds (sign 1) or subtracts (sign -1) other element-wise.
  bool Accumulate(const TIntMatrix* other, uint32_t sign);
  // Sparse: applies f to the position of every entry and re-sorts.
  template <class F>
  void MoveEntries(F&& f);

  std::vector<int32_t> dense_;
  int64_t ld_ = 1;  // stored rows of the dense block
  std::unique_ptr<matrix::TIntSparse> sparse_;
  int32_t ncols_ = 1;
  int32_t nrows_ = 1;
  std::string data_id_;
};

}  // namespace nuv
