#include "nuv/Nuv_matrix.h"

#include <algorithm>
#include <new>

#include "Nuv_vector_stats.h"
#include "numlib_units.h"
#include "nuv/Nuv_math1.h"
#include "nuv/platform/Random.h"

namespace nuv {

using stats::ClampRange;
using stats::MakeValidRange;

TMatrix::TMatrix(TComponent* AOwner) : TComponent(AOwner) {
  try {
    data_.assign(1, 0.0);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
}

void TMatrix::Raise(std::string_view text) const {
  RaiseComponentError<ENUVMatrixError>(*this, text);
}

void TMatrix::SetNCols(int32_t n) { Resize(std::max(n, 0), nrows_); }

void TMatrix::SetNRows(int32_t n) { Resize(ncols_, std::max(n, 0)); }

void TMatrix::SetDataID(std::string_view id) {
  if (id == data_id_) return;
  data_id_ = id;
  Changed();
}

int32_t TMatrix::GetFPrecis(int32_t index) const { return fprecis_[index <= 1 ? 0 : 1]; }

void TMatrix::SetFPrecis(int32_t index, int32_t value) {
  fprecis_[index <= 1 ? 0 : 1] = std::clamp(value, -1, 25);
  Changed();
}

void TMatrix::Reshape(int32_t columns, int32_t rows) {
  columns = std::max(columns, 0);
  rows = std::max(rows, 0);
  const int64_t storedCols = std::max(columns, 1), storedRows = std::max(rows, 1);
  try {
    if (storedRows == ld_ && rows == nrows_ && columns >= ncols_) {
      // Rows unchanged and no column lost: the columns stay where they are.
      data_.resize(static_cast<std::size_t>(storedCols * storedRows), 0.0);
    } else {
      std::vector<double> fresh(static_cast<std::size_t>(storedCols * storedRows), 0.0);
      const int64_t keepCols = std::min(columns, ncols_), keepRows = std::min(rows, nrows_);
      for (int64_t c = 0; c < keepCols; ++c)
        std::copy_n(data_.data() + c * ld_, keepRows, fresh.data() + c * storedRows);
      data_.swap(fresh);
    }
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
  if (ncols_ == 0 && columns > 0) std::fill_n(data_.data(), storedRows, 0.0);
  ld_ = storedRows;
  ncols_ = columns;
  nrows_ = rows;
}

bool TMatrix::Resize(int32_t columns, int32_t rows) {
  Reshape(columns, rows);
  Changed();
  return true;
}

double TMatrix::GetVal(int32_t col, int32_t row) const {
  return InRange(col, row) ? *At(col, row) : 0.0;
}

void TMatrix::SetVal(int32_t col, int32_t row, double v) {
  if (!InRange(col, row)) return;
  *At(col, row) = v;
  Changed();
}

double* TMatrix::Column(int32_t col) { return col >= 1 && col <= ncols_ ? At(col, 1) : nullptr; }

const double* TMatrix::Column(int32_t col) const {
  return col >= 1 && col <= ncols_ ? At(col, 1) : nullptr;
}

void TMatrix::Changed() {
  if (OnChange) OnChange(this);
}

void TMatrix::SortExchange(uint8_t what, int32_t index1, int32_t index2, int32_t first,
                           int32_t last) {
  if (OnSortExchange) OnSortExchange(this, what, index1, index2, first, last);
}

void TMatrix::MakeValidColRange(int32_t& lo, int32_t& hi) const { MakeValidRange(lo, hi, ncols_); }

void TMatrix::MakeValidRowRange(int32_t& lo, int32_t& hi) const { MakeValidRange(lo, hi, nrows_); }

stats::TBlock<double> TMatrix::Window(int32_t loCol, int32_t loRow, int32_t hiCol,
                                      int32_t hiRow) const {
  MakeValidColRange(loCol, hiCol);
  MakeValidRowRange(loRow, hiRow);
  if (ncols_ == 0 || nrows_ == 0) return {};
  return {At(loCol, loRow), int64_t{hiRow} - loRow + 1, ld_, int64_t{hiCol} - loCol + 1};
}

void TMatrix::Fill(double v) {
  std::fill(data_.begin(), data_.end(), v);
  Changed();
}

void TMatrix::FillRandomUniform(double low, double high) {
  for (int32_t c = 1; c <= ncols_; ++c) {
    double* col = Column(c);
    for (int32_t r = 0; r < nrows_; ++r) col[r] = low + Random() * (high - low);
  }
  Changed();
}

void TMatrix::FillRandomGauss(double mean, double stddev) {
  for (int32_t c = 1; c <= ncols_; ++c) {
    double* col = Column(c);
    for (int32_t r = 0; r < nrows_; ++r) col[r] = mean + stddev * GRandom();
  }
  Changed();
}

void TMatrix::Clone(const TMatrix& source) {
  if (&source == this) return;
  try {
    data_ = source.data_;
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  ld_ = source.ld_;
  ncols_ = source.ncols_;
  nrows_ = source.nrows_;
  Changed();
}

void TMatrix::CopyFrom(const TMatrix& source, int32_t srcLoCol, int32_t srcLoRow, int32_t srcHiCol,
                       int32_t srcHiRow, int32_t destCol, int32_t destRow) {
  if (&source == this) {
    // Overlapping rectangles of one matrix: copy from a snapshot.
    TMatrix snapshot(nullptr);
    snapshot.Clone(*this);
    CopyFrom(snapshot, srcLoCol, srcLoRow, srcHiCol, srcHiRow, destCol, destRow);
    return;
  }
  if (source.ncols_ > 0 && source.nrows_ > 0) {
    ClampRange(srcLoCol, srcHiCol, source.ncols_);
    ClampRange(srcLoRow, srcHiRow, source.nrows_);
    // Source rows whose destination lies inside this matrix (int64: the
    // destination offsets may leave the int32 range).
    const int64_t dRow = int64_t{destRow} - srcLoRow, dCol = int64_t{destCol} - srcLoCol;
    const int64_t r0 = std::max<int64_t>(srcLoRow, 1 - dRow);
    const int64_t r1 = std::min<int64_t>(srcHiRow, nrows_ - dRow);
    if (r0 <= r1) {
      for (int64_t c = srcLoCol; c <= srcHiCol; ++c) {
        const int64_t dc = c + dCol;
        if (dc < 1 || dc > ncols_) continue;
        std::copy_n(source.At(static_cast<int32_t>(c), static_cast<int32_t>(r0)), r1 - r0 + 1,
                    At(static_cast<int32_t>(dc), static_cast<int32_t>(r0 + dRow)));
      }
    }
  }
  Changed();
}

void TMatrix::CopyFromVec(const TVector& vector, int32_t srcLo, int32_t srcHi, int32_t destCol,
                          int32_t destRow) {
  ClampRange(srcLo, srcHi, vector.NrOfElem());
  if (destCol >= 1 && destCol <= ncols_) {
    const int64_t shift = int64_t{destRow} - srcLo;
    const int64_t first = std::max<int64_t>(srcLo, 1 - shift);
    const int64_t last = std::min<int64_t>(srcHi, nrows_ - shift);
    if (first <= last)
      std::copy_n(vector.Data() + (first - 1), last - first + 1,
                  At(destCol, static_cast<int32_t>(first + shift)));
  }
  Changed();
}

void TMatrix::CopyRowToVec(TVector& vector, int32_t row, int32_t loCol, int32_t hiCol) const {
  MakeValidColRange(loCol, hiCol);
  hiCol = static_cast<int32_t>(std::min<int64_t>(hiCol, int64_t{loCol} + vector.NrOfElem() - 1));
  row = std::min(std::max(row, 1), nrows_);
  double* out = vector.Data();
  std::fill_n(out, vector.NrOfElem(), 0.0);
  for (int32_t c = loCol; c <= hiCol; ++c) out[c - loCol] = GetVal(c, row);
  vector.Changed();
}

void TMatrix::CopyColToVec(TVector& vector, int32_t col, int32_t loRow, int32_t hiRow) const {
  MakeValidRowRange(loRow, hiRow);
  hiRow = static_cast<int32_t>(std::min<int64_t>(hiRow, int64_t{loRow} + vector.NrOfElem() - 1));
  col = std::min(std::max(col, 1), ncols_);
  double* out = vector.Data();
  std::fill_n(out, vector.NrOfElem(), 0.0);
  for (int32_t r = loRow; r <= hiRow; ++r) out[r - loRow] = GetVal(col, r);
  vector.Changed();
}

void TMatrix::ExchangeColumns(int32_t c1, int32_t c2) {
  if (c1 < 1 || c1 > ncols_ || c2 < 1 || c2 > ncols_) return;
  std::swap_ranges(At(c1, 1), At(c1, 1) + nrows_, At(c2, 1));
  Changed();
}

void TMatrix::ExchangeRows(int32_t r1, int32_t r2) {
  if (r1 < 1 || r1 > nrows_ || r2 < 1 || r2 > nrows_) return;
  for (int32_t c = 1; c <= ncols_; ++c) std::swap(*At(c, r1), *At(c, r2));
  Changed();
}

void TMatrix::MirrorColumns() {
  for (int32_t c = 1, d = ncols_; c < d; ++c, --d)
    std::swap_ranges(At(c, 1), At(c, 1) + nrows_, At(d, 1));
  Changed();
}

void TMatrix::MirrorRows() {
  for (int32_t c = 1; c <= ncols_; ++c) std::reverse(At(c, 1), At(c, 1) + nrows_);
  Changed();
}

std::string TMatrix::CRCofData() const {
  const int64_t rows = ncols_ == 0 ? 0 : nrows_;
  return stats::Fingerprint(stats::TBlock<double>{data_.data(), rows, ld_, ncols_});
}

void TMatrix::SMult(double factor) {
  for (double& x : data_) x *= factor;
  Changed();
}

void TMatrix::SAdd(double value) {
  for (double& x : data_) x += value;
  Changed();
}

bool TMatrix::Add(const TMatrix* other) {
  if (other == nullptr || other->ncols_ != ncols_ || other->nrows_ != nrows_) return false;
  for (std::size_t i = 0; i < data_.size(); ++i) data_[i] += other->data_[i];
  Changed();
  return true;
}

bool TMatrix::Subtract(const TMatrix* other) {
  if (other == nullptr || other->ncols_ != ncols_ || other->nrows_ != nrows_) return false;
  for (std::size_t i = 0; i < data_.size(); ++i) data_[i] -= other->data_[i];
  Changed();
  return true;
}

bool TMatrix::Transpose() {
  std::vector<double> fresh;
  const int64_t newLd = std::max(ncols_, 1);
  try {
    fresh.assign(data_.size(), 0.0);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  // In tiles, so that both the reads and the writes stay in cache.
  constexpr int32_t kTile = 32;
  for (int32_t c0 = 0; c0 < ncols_; c0 += kTile)
    for (int32_t r0 = 0; r0 < nrows_; r0 += kTile)
      for (int32_t c = c0; c < std::min(ncols_, c0 + kTile); ++c)
        for (int32_t r = r0; r < std::min(nrows_, r0 + kTile); ++r)
          fresh[r * newLd + c] = data_[c * ld_ + r];
  data_.swap(fresh);
  std::swap(ncols_, nrows_);
  ld_ = newLd;
  Changed();
  return true;
}

double TMatrix::Trace() const {
  if (ncols_ != nrows_ || ncols_ == 0) return 0;
  long double sum = 0;
  for (int32_t i = 1; i <= ncols_; ++i) sum += *At(i, i);
  return static_cast<double>(sum);
}

}  // namespace nuv

namespace nuv::units {

void Nuv_matrix_Init() {}
void Nuv_matrix_Finalize() {}

}  // namespace nuv::units
