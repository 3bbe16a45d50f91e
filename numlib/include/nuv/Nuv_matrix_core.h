// The matrix of doubles, TMatrix: a component holding a dense table of
// 64-bit values addressed (column, row), both from 1. It offers element
// access, resizing, copying between matrices and vectors, arithmetic and
// products, LU decomposition, determinant, inversion, norms (the spectral
// norm through a singular value decomposition), distance matrices between
// rows, statistics over rectangular windows, sorting of rows and columns
// and a data fingerprint.
//
// Storage is one contiguous column-major block: element (c, r) lies at
// (c - 1)·rows + (r - 1), so a column's values are adjacent. A matrix of 0
// columns or rows keeps storage for one and reports the counts it was
// given. Out-of-range reads give 0 and out-of-range writes are ignored.
//
// Windows are given as corners (loCol, loRow, hiCol, hiRow); lo = hi = 0
// means the whole extent, other bounds are clamped and ordered
// (MakeValidColRange, MakeValidRowRange). Every modifying operation ends
// with Changed(), which fires OnChange. Shape mismatches and numerical
// failure (a singular matrix, an abort) are a false result; misuse raises
// ENUVMatrixError with the component's name.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/Nuv_vector.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

class ENUVMatrixError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

namespace stats {
template <class T>
struct TBlock;
}
namespace matrix {
struct TMatrixIO;
}

class TIntMatrix;

enum TDistMode : uint8_t { dmJaccard, dmManhattan, dmEuclid, dmEuclidSqr, dmDice, dmUserDef };
inline constexpr std::array<std::string_view, 6> DistModeId{
    "Jaccard coefficient", "Manhattan",        "Euclidean",
    "squared Euclidean",   "Dice coefficient", "user defined"};

enum TNormType : uint8_t { ntColwise, ntRowwise, ntSpectral, ntFrobenius };

// Distance between rows Row1 and Row2 for CalcDistMat(dmUserDef, ...):
// the handler sets Distance (preset to 0).
using TOnCalcDistanceEvent =
    std::function<void(TObject* Sender, int32_t Row1, int32_t Row2, double& Distance)>;

class TMatrix : public TComponent {
 public:
  // One column and one row holding 0.
  explicit TMatrix(TComponent* AOwner);

  int32_t NrOfColumns() const { return ncols_; }
  int32_t NrOfRows() const { return nrows_; }
  // Resize to max(0, n) columns resp. rows, keeping the other count.
  void SetNrOfColumns(int32_t n) { SetNCols(n); }
  void SetNrOfRows(int32_t n) { SetNRows(n); }
  void SetNCols(int32_t n);
  void SetNRows(int32_t n);

  // Free identifier of the data, empty at creation.
  const std::string& DataID() const { return data_id_; }
  void SetDataID(std::string_view id);

  TNotifyEvent OnChange;
  // Fired by SortRows (ExchgWhat 2) and SortCols (ExchgWhat 1) for every
  // exchange, with the exchanged indices and the range of the other
  // dimension that moved.
  TSortExchgEvent OnSortExchange;
  TOnCalcDistanceEvent OnCalcDistance;

  // The two formatting precisions the matrix files use: index <= 1 the
  // first (default 15), any other the second (default -1); values are
  // clamped to [-1, 25].
  int32_t GetFPrecis(int32_t index) const;
  void SetFPrecis(int32_t index, int32_t value);

  // Negative counts become 0. Values at surviving positions stay, new ones
  // are 0. Always true; raises "not enough memory on heap" when the
  // storage cannot be allocated.
  bool Resize(int32_t columns, int32_t rows);
  double GetVal(int32_t col, int32_t row) const;
  void SetVal(int32_t col, int32_t row, double v);
  // The values of column col (rows 1..NrOfRows adjacent), nullptr outside
  // 1..NrOfColumns; for loops that write many values, which then call
  // Changed.
  double* Column(int32_t col);
  const double* Column(int32_t col) const;

  void Changed();
  void SortExchange(uint8_t what, int32_t index1, int32_t index2, int32_t first, int32_t last);
  void MakeValidColRange(int32_t& lo, int32_t& hi) const;
  void MakeValidRowRange(int32_t& lo, int32_t& hi) const;

  void Fill(double v);
  // low + U·(high - low) with U uniform in [0, 1) from the runtime's
  // generator, column by column.
  void FillRandomUniform(double low, double high);
  // mean + stddev·GRandom(), column by column.
  void FillRandomGauss(double mean, double stddev);

  // Same shape and elements as source.
  void Clone(const TMatrix& source);
  // The source rectangle, clamped into the source (no whole-extent rule)
  // and ordered, goes to (destCol, destRow) on; destinations outside this
  // matrix are skipped. The source may be this matrix.
  void CopyFrom(const TMatrix& source, int32_t srcLoCol, int32_t srcLoRow, int32_t srcHiCol,
                int32_t srcHiRow, int32_t destCol, int32_t destRow);
  // The same from an integer matrix of either storage mode.
  void CopyFrom(const TIntMatrix& source, int32_t srcLoCol, int32_t srcLoRow, int32_t srcHiCol,
                int32_t srcHiRow, int32_t destCol, int32_t destRow);
  // Vector elements srcLo..srcHi (clamped, ordered) go down column destCol
  // from destRow; positions outside are skipped.
  void CopyFromVec(const TVector& vector, int32_t srcLo, int32_t srcHi, int32_t destCol,
                   int32_t destRow);
  // The vector is cleared, then element k receives (loCol + k - 1, row) for
  // the columns of MakeValidColRange that fit the vector; row is clamped
  // into 1..NrOfRows.
  void CopyRowToVec(TVector& vector, int32_t row, int32_t loCol, int32_t hiCol) const;
  void CopyColToVec(TVector& vector, int32_t col, int32_t loRow, int32_t hiRow) const;

  // Exchange two columns resp. rows; nothing happens unless both indices
  // are valid.
  void ExchangeColumns(int32_t c1, int32_t c2);
  void ExchangeRows(int32_t r1, int32_t r2);
  void MirrorColumns();
  void MirrorRows();

  // 64 upper-case hex digits: one CRC-32 per byte position of the 8-byte
  // element images, elements column by column.
  std::string CRCofData() const;

  // ---- arithmetic
  void SMult(double factor);
  void SAdd(double value);
  // Element-wise in place; false (nothing changed) when other is missing
  // or of another shape.
  bool Add(const TMatrix* other);
  bool Subtract(const TMatrix* other);
  // c = this × b. Needs this.columns = b.rows and c of b.columns × this.rows;
  // false otherwise (c untouched). c may be this or b.
  bool Multiply(const TMatrix& b, TMatrix& c) const;
  // c = thisᵀ × b. Needs this.rows = b.rows and c of b.columns × this.columns.
  bool TransposeAndMultiply(const TMatrix& b, TMatrix& c) const;
  // w = thisᵀ × v. Needs v of this.rows and w of this.columns elements.
  bool TransposeAndMultiply(const TVector& v, TVector& w) const;
  bool Transpose();
  // Sum of the diagonal; 0 unless square and not empty.
  double Trace() const;

  // ---- decompositions
  // Crout LU with implicit (row-scaled) partial pivoting of this square
  // matrix: L unit lower and U upper triangular, L·U = P·A for the row
  // exchanges made (on ties of the scaled pivot the last row wins). False
  // when not square or empty or an output is missing (L and U untouched),
  // and when a row is zero or a pivot is below 1e-100 in magnitude (or
  // NaN): the pivot is then taken as 1e-100, L is zero and U holds the
  // whole decomposition. This matrix is not changed.
  bool LUdecomposition(TMatrix* L, TMatrix* U) const;
  // Product of U's diagonal with the sign of the row exchanges; 0 when the
  // decomposition fails.
  double Determinant() const;
  // Inverse in place by the same decomposition. False (nothing changed)
  // for a non-square, empty or singular matrix.
  bool Invert();
  // Largest column resp. row sum of magnitudes, largest singular value,
  // square root of the sum of squares. The spectral norm raises "near
  // singular covariance matrix" when the decomposition does not converge.
  double Norm(TNormType kind) const;

  // Pearson correlation of all element pairs of two matrices of equal
  // shape (else "matrices do not match"); 0 for fewer than three pairs or
  // constant data.
  double Correlate(const TMatrix& other) const;
  // Distances between the rows into the square distMat of side NrOfRows
  // (-1 when not square, -2 for another side; 0 on success). The diagonal
  // is 0. Jaccard and Dice store similarity coefficients: 1 for identical
  // rows, also for two zero rows.
  int32_t CalcDistMat(TDistMode mode, TMatrix& distMat);

  // ---- statistics over a window, as those of TVector
  double Sum(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const;
  void MeanVar(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& mean,
               double& variance) const;
  double GeometricMean(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const;
  double HarmonicMean(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const;
  void SkewKurt(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& skewness,
                double& kurtosis) const;
  void SkewKurtSample(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& skewness,
                      double& kurtosis) const;
  void SkewKurtIntern(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& skewness,
                      double& kurtosis, int32_t& count) const;
  // False for an empty window.
  bool Quartiles(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& q1, double& q2,
                 double& q3) const;
  double Percentile(double p, int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const;
  // NaN elements take no part; without any, min = uc_MaxReal and
  // max = -uc_MaxReal.
  void MinMax(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& min,
              double& max) const;
  // Position of the element nearest to value, first in column-major order
  // on ties; (0, 0) for an empty window.
  void Find(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double value, int32_t& col,
            int32_t& row) const;
  // As TVector::Histogram over the window, whose bounds are taken as they
  // are (positions outside read 0).
  bool Histogram(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double firstBin,
                 double lastBin, double binWidth, TIntVector& histo, int32_t& underflow,
                 int32_t& overflow, int32_t& maxCount) const;

  // Per column (row) k: subtract the mean m of MeanVar; the standardising
  // forms then divide by √variance when it is positive. m goes to
  // means[k], √variance to stddevs[k] when the vectors are given; they are
  // resized to the number of columns (rows).
  void MeanCenterColumns(TVector* means);
  void MeanCenterRows(TVector* means);
  void StandardizeColumns(TVector* means, TVector* stddevs);
  void StandardizeRows(TVector* means, TVector* stddevs);
  // Row nearest to value in a column sorted in that order (the vector's
  // binary search); 0 for a column outside the matrix or no rows.
  int32_t FindInSortedColumn(int32_t col, bool ascending, double value) const;

  // Comb sort of the rows loRow..hiRow by column keyCol (columns loCol..hiCol
  // and the key column move), resp. of the columns by row keyRow.
  void SortRows(int32_t keyCol, bool ascending, int32_t loCol, int32_t loRow, int32_t hiCol,
                int32_t hiRow);
  void SortCols(int32_t keyRow, bool ascending, int32_t loCol, int32_t loRow, int32_t hiCol,
                int32_t hiRow);

  // ---- files, described in docs/MATRIX_FILES.md. Text and stream hold a
  // window (the whole matrix for 0, 0, 0, 0) with its position, the text
  // in strff(x, GetFPrecis(1), GetFPrecis(2)); loading with adjustSize
  // gives the matrix the shape hiCol × hiRow, otherwise the window must
  // fit. Loaders return false, nothing changed, for a missing, malformed
  // or short file. Saves go through a temporary file that replaces the
  // old one when complete: StoreOnFile returns false on failure, the
  // others raise EInOutError. The memory-stream form creates the stream
  // when the pointer is empty.
  bool StoreOnFile(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                   const std::string& fileName) const;
  bool LoadFromFile(const std::string& fileName, bool adjustSize);
  void SaveToStream(std::unique_ptr<TMemoryStream>& stream, int32_t loCol, int32_t loRow,
                    int32_t hiCol, int32_t hiRow) const;
  void SaveToStream(TStream& stream, int32_t loCol, int32_t loRow, int32_t hiCol,
                    int32_t hiRow) const;
  bool LoadFromStream(TStream* stream, bool adjustSize);
  // XML blocks "matrix" (comment "TMatrix") of the whole matrix.
  void WriteToXMLStream(TStream& stream, bool createHeader, std::string_view id) const;
  bool ReadFromXMLStream(TStream& stream, std::string_view id);
  void WriteToOpenXMLFile(TextFile& f, bool createHeader, std::string_view id) const;
  bool ReadFromOpenXMLFile(TextFile& f, std::string_view id);
  void SaveAsXMLFile(std::string_view fileName, std::string_view id) const;
  bool LoadFromXMLFile(std::string_view fileName, std::string_view id);
  // The binary file of the whole matrix with DataID and the precisions.
  void SaveBinary(std::string_view fileName) const;
  bool LoadBinary(std::string_view fileName);
  // The shape and DataID of a binary file; false for a file that is not
  // one (EInOutError when it cannot be opened).
  static bool ReadBinaryHeader(std::string_view fileName, int32_t& columns, int32_t& rows,
                               std::string& dataID);

 private:
  friend struct matrix::TMatrixIO;
  double* At(int32_t col, int32_t row) { return data_.data() + Offset(col, row); }
  const double* At(int32_t col, int32_t row) const { return data_.data() + Offset(col, row); }
  int64_t Offset(int32_t col, int32_t row) const { return (col - 1) * ld_ + (row - 1); }
  bool InRange(int32_t col, int32_t row) const {
    return col >= 1 && col <= ncols_ && row >= 1 && row <= nrows_;
  }
  [[noreturn]] void Raise(std::string_view text) const;
  // Storage for columns × rows (negative counts 0), keeping the values
  // present in both shapes, without Changed.
  void Reshape(int32_t columns, int32_t rows);
  // The values of the normalised window.
  stats::TBlock<double> Window(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const;
  // Mean (and with standardize the standard deviation) of every column or
  // row, applied and reported.
  void CenterLines(bool columns, bool standardize, TVector* means, TVector* stddevs);

  std::vector<double> data_;
  int64_t ld_ = 1;  // stored rows: the distance between two columns
  int32_t ncols_ = 1;
  int32_t nrows_ = 1;
  std::string data_id_;
  int32_t fprecis_[2] = {15, -1};
};

}  // namespace nuv
