// Life cycle, storage modes, access, copying and rearranging of TIntMatrix.
#include <algorithm>
#include <new>
#include <stdexcept>

#include "Nuv_matrix_int_parts.h"
#include "Nuv_vector_stats.h"

namespace nuv {

using matrix::TIntSparse;
using matrix::WithHeap;

namespace {

// A zeroed column-major block for columns × rows, one column and one row
// at least.
std::vector<int32_t> ZeroBlock(int64_t columns, int64_t rows) {
  return std::vector<int32_t>(static_cast<std::size_t>(std::max<int64_t>(columns, 1)) *
                                  static_cast<std::size_t>(std::max<int64_t>(rows, 1)),
                              0);
}

}  // namespace

TIntMatrix::TIntMatrix(TComponent* AOwner) : TComponent(AOwner) {
  WithHeap(*this, [&] { dense_.assign(1, 0); });
}

TIntMatrix::TIntMatrix(TComponent* AOwner, int32_t allocStep)
    : TComponent(AOwner), ncols_(0), nrows_(0) {
  WithHeap(*this, [&] { sparse_ = std::make_unique<TIntSparse>(allocStep); });
}

TIntMatrix::~TIntMatrix() = default;

void TIntMatrix::Raise(std::string_view text) const {
  RaiseComponentError<ENUVMatrixError>(*this, text);
}

void TIntMatrix::RequireDense(std::string_view operation) const {
  if (sparse_) Raise(std::string(operation) + " not available for a sparse matrix");
}

void TIntMatrix::SetNCols(int32_t n) { Resize(std::max(n, 0), nrows_); }

void TIntMatrix::SetNRows(int32_t n) { Resize(ncols_, std::max(n, 0)); }

void TIntMatrix::SetDataID(std::string_view id) {
  if (id == data_id_) return;
  data_id_ = id;
  Changed();
}

// ---------------------------------------------------------------------------
// Storage modes

int32_t TIntMatrix::AllocStep() const { return sparse_ ? sparse_->AllocStep() : 0; }

int32_t TIntMatrix::Capacity() const { return sparse_ ? sparse_->Capacity() : 0; }

int32_t TIntMatrix::NrOfEntries() const { return sparse_ ? sparse_->Count() : 0; }

std::span<const TIntMatEntry> TIntMatrix::Entries() const {
  return sparse_ ? sparse_->Entries() : std::span<const TIntMatEntry>();
}

TIntMatBox TIntMatrix::BoundingBox() const { return sparse_ ? sparse_->Box() : matrix::kEmptyBox; }

void TIntMatrix::ArrayToSparse(int32_t allocStep) {
  if (sparse_) return;
  WithHeap(*this, [&] {
    std::vector<TIntMatEntry> entries;
    for (int32_t c = 1; c <= ncols_; ++c) {
      const int32_t* col = At(c, 1);
      for (int32_t r = 1; r <= nrows_; ++r)
        if (col[r - 1] != 0) entries.push_back({c, r, col[r - 1]});
    }
    auto sparse = std::make_unique<TIntSparse>(allocStep);
    sparse->Assign(std::move(entries));
    sparse_ = std::move(sparse);
  });
  std::vector<int32_t>().swap(dense_);
  ld_ = 1;
}

void TIntMatrix::SparseToArray() {
  if (!sparse_) return;
  const int32_t columns = sparse_->Box().MaxCol, rows = sparse_->Box().MaxRow;
  std::vector<int32_t> block = WithHeap(*this, [&] { return ZeroBlock(columns, rows); });
  const int64_t ld = std::max(rows, 1);
  for (const TIntMatEntry& e : sparse_->Entries()) block[(e.Col - 1) * ld + (e.Row - 1)] = e.Value;
  dense_.swap(block);
  ld_ = ld;
  ncols_ = columns;
  nrows_ = rows;
  sparse_.reset();
}

// ---------------------------------------------------------------------------
// Shape and access

void TIntMatrix::Reshape(int32_t columns, int32_t rows) {
  columns = std::max(columns, 0);
  rows = std::max(rows, 0);
  std::vector<int32_t> block = WithHeap(*this, [&] { return ZeroBlock(columns, rows); });
  const int64_t ld = std::max(rows, 1);
  for (int32_t c = 1; c <= std::min(columns, ncols_); ++c)
    std::copy_n(At(c, 1), std::min(rows, nrows_), block.data() + (c - 1) * ld);
  dense_.swap(block);
  ld_ = ld;
  ncols_ = columns;
  nrows_ = rows;
}

bool TIntMatrix::Resize(int32_t columns, int32_t rows) {
  if (!sparse_) {
    Reshape(columns, rows);
    Changed();
    return true;
  }
  ncols_ = std::max(columns, 0);
  nrows_ = std::max(rows, 0);
  TIntMatBox& box = sparse_->Box();
  box.MaxCol = std::min(box.MaxCol, ncols_);
  box.MaxRow = std::min(box.MaxRow, nrows_);
  box.MinCol = std::min(box.MinCol, box.MaxCol);
  box.MinRow = std::min(box.MinRow, box.MaxRow);
  sparse_->RemoveIf([&](const TIntMatEntry& e) { return e.Col > ncols_ || e.Row > nrows_; });
  return false;
}

int32_t TIntMatrix::GetVal(int32_t col, int32_t row) const {
  if (!sparse_) return InRange(col, row) ? *At(col, row) : 0;
  if (!sparse_->InBox(col, row)) return 0;
  const int32_t* v = sparse_->Find(col, row);
  return v == nullptr ? 0 : *v;
}

void TIntMatrix::SetVal(int32_t col, int32_t row, int32_t v) {
  if (!sparse_) {
    if (!InRange(col, row)) return;
    *At(col, row) = v;
  } else {
    if (col < 1 || row < 1) return;
    Store(col, row, v);
  }
  Changed();
}

void TIntMatrix::Store(int32_t col, int32_t row, int32_t v) {
  if (WithHeap(*this, [&] { return sparse_->Set(col, row, v); })) {
    ncols_ = sparse_->Box().MaxCol;
    nrows_ = sparse_->Box().MaxRow;
  }
}

int32_t* TIntMatrix::Column(int32_t col) {
  return !sparse_ && col >= 1 && col <= ncols_ ? At(col, 1) : nullptr;
}

const int32_t* TIntMatrix::Column(int32_t col) const {
  return !sparse_ && col >= 1 && col <= ncols_ ? At(col, 1) : nullptr;
}

void TIntMatrix::Changed() {
  if (OnChange) OnChange(this);
}

void TIntMatrix::SortExchange(uint8_t what, int32_t index1, int32_t index2, int32_t first,
                              int32_t last) {
  if (OnSortExchange) OnSortExchange(this, what, index1, index2, first, last);
}

void TIntMatrix::MakeValidColRange(int32_t& lo, int32_t& hi) const {
  stats::MakeValidRange(lo, hi, ncols_);
}

void TIntMatrix::MakeValidRowRange(int32_t& lo, int32_t& hi) const {
  stats::MakeValidRange(lo, hi, nrows_);
}

TIntMatrix::TWindow TIntMatrix::Window(int32_t loCol, int32_t loRow, int32_t hiCol,
                                       int32_t hiRow) const {
  if (ncols_ == 0 || nrows_ == 0) return {};
  MakeValidColRange(loCol, hiCol);
  MakeValidRowRange(loRow, hiRow);
  return {loCol, loRow, hiCol, hiRow, (int64_t{hiCol} - loCol + 1) * (int64_t{hiRow} - loRow + 1)};
}

// ---------------------------------------------------------------------------
// Filling and copying

void TIntMatrix::Fill(int32_t v) {
  if (!sparse_)
    std::fill(dense_.begin(), dense_.end(), v);
  else if (v == 0)
    sparse_->Clear();
  else
    for (TIntMatEntry& e : sparse_->Values()) e.Value = v;
  Changed();
}

void TIntMatrix::Clone(const TIntMatrix& source) {
  if (&source == this || IsSparse() != source.IsSparse()) return;
  WithHeap(*this, [&] {
    if (sparse_) {
      source.sparse_->Entries();  // copy the merged form
      *sparse_ = *source.sparse_;
    } else {
      dense_ = source.dense_;
    }
  });
  ld_ = source.ld_;
  ncols_ = source.ncols_;
  nrows_ = source.nrows_;
  Changed();
}

void TIntMatrix::CopyFrom(const TIntMatrix& source, int32_t srcLoCol, int32_t srcLoRow,
                          int32_t srcHiCol, int32_t srcHiRow, int32_t destCol, int32_t destRow) {
  if (&source == this) {
    // Overlapping rectangles of one matrix: copy from a snapshot.
    auto snapshot = sparse_ ? std::make_unique<TIntMatrix>(nullptr, sparse_->AllocStep())
                            : std::make_unique<TIntMatrix>(nullptr);
    snapshot->Clone(*this);
    CopyFrom(*snapshot, srcLoCol, srcLoRow, srcHiCol, srcHiRow, destCol, destRow);
    return;
  }
  if (source.ncols_ > 0 && source.nrows_ > 0) {
    stats::ClampRange(srcLoCol, srcHiCol, source.ncols_);
    stats::ClampRange(srcLoRow, srcHiRow, source.nrows_);
    // The part of the source rectangle whose destination exists (int64: the
    // offsets may leave the int32 range).
    const int64_t dCol = int64_t{destCol} - srcLoCol, dRow = int64_t{destRow} - srcLoRow;
    const int64_t colLimit = sparse_ ? matrix::kIntMax : ncols_;
    const int64_t rowLimit = sparse_ ? matrix::kIntMax : nrows_;
    const int64_t c0 = std::max<int64_t>(srcLoCol, 1 - dCol);
    const int64_t r0 = std::max<int64_t>(srcLoRow, 1 - dRow);
    const int64_t c1 = std::min<int64_t>(srcHiCol, colLimit - dCol);
    const int64_t r1 = std::min<int64_t>(srcHiRow, rowLimit - dRow);
    if (c0 <= c1 && r0 <= r1) {
      // Inside the source, so within the int32 range.
      const TWindow w{static_cast<int32_t>(c0), static_cast<int32_t>(r0), static_cast<int32_t>(c1),
                      static_cast<int32_t>(r1), (c1 - c0 + 1) * (r1 - r0 + 1)};
      const auto dc = static_cast<int32_t>(dCol), dr = static_cast<int32_t>(dRow);
      // What the source does not store reads 0 at the destination.
      if (!sparse_) {
        for (int32_t c = w.C0; c <= w.C1; ++c)
          std::fill_n(At(c + dc, w.R0 + dr), w.R1 - w.R0 + 1, 0);
      } else {
        matrix::ForEachEntryIn(sparse_->Values(), w.C0 + dc, w.R0 + dr, w.C1 + dc, w.R1 + dr,
                               [](TIntMatEntry& e) { e.Value = 0; });
      }
      source.ForEachStored(w, [&](int32_t c, int32_t r, int32_t v) {
        if (!sparse_)
          *At(c + dc, r + dr) = v;
        else if (v != 0)
          Store(c + dc, r + dr, v);
      });
    }
  }
  Changed();
}

void TIntMatrix::CopyRowToVec(TIntVector& vector, int32_t row, int32_t loCol, int32_t hiCol) const {
  MakeValidColRange(loCol, hiCol);
  CopyLineToVec(vector, std::min(std::max(row, 1), nrows_), loCol, hiCol, false);
}

void TIntMatrix::CopyColToVec(TIntVector& vector, int32_t col, int32_t loRow, int32_t hiRow) const {
  MakeValidRowRange(loRow, hiRow);
  CopyLineToVec(vector, std::min(std::max(col, 1), ncols_), loRow, hiRow, true);
}

void TIntMatrix::CopyLineToVec(TIntVector& vector, int32_t line, int32_t lo, int32_t hi,
                               bool column) const {
  hi = static_cast<int32_t>(std::min<int64_t>(hi, int64_t{lo} + vector.NrOfElem() - 1));
  int32_t* out = vector.Data();
  std::fill_n(out, vector.NrOfElem(), 0);
  for (int32_t k = lo; k <= hi; ++k) out[k - lo] = column ? GetVal(line, k) : GetVal(k, line);
  vector.Changed();
}

// ---------------------------------------------------------------------------
// Rearranging

template <class F>
void TIntMatrix::MoveEntries(F&& f) {
  sparse_->MoveAll(f);
  sparse_->Box() = sparse_->ExactBox();
}

void TIntMatrix::ExchangeColumns(int32_t c1, int32_t c2) {
  if (c1 < 1 || c1 > ncols_ || c2 < 1 || c2 > ncols_) return;
  if (sparse_)
    MoveEntries([&](TIntMatEntry& e) { e.Col = e.Col == c1 ? c2 : e.Col == c2 ? c1 : e.Col; });
  else
    std::swap_ranges(At(c1, 1), At(c1, 1) + nrows_, At(c2, 1));
  Changed();
}

void TIntMatrix::ExchangeRows(int32_t r1, int32_t r2) {
  if (r1 < 1 || r1 > nrows_ || r2 < 1 || r2 > nrows_) return;
  if (sparse_)
    MoveEntries([&](TIntMatEntry& e) { e.Row = e.Row == r1 ? r2 : e.Row == r2 ? r1 : e.Row; });
  else
    for (int32_t c = 1; c <= ncols_; ++c) std::swap(*At(c, r1), *At(c, r2));
  Changed();
}

void TIntMatrix::MirrorColumns() {
  if (sparse_) {
    MoveEntries([&](TIntMatEntry& e) { e.Col = ncols_ - e.Col + 1; });
  } else {
    for (int32_t c = 1, d = ncols_; c < d; ++c, --d)
      std::swap_ranges(At(c, 1), At(c, 1) + nrows_, At(d, 1));
  }
  Changed();
}

void TIntMatrix::MirrorRows() {
  if (sparse_) {
    MoveEntries([&](TIntMatEntry& e) { e.Row = nrows_ - e.Row + 1; });
  } else {
    for (int32_t c = 1; c <= ncols_; ++c) std::reverse(At(c, 1), At(c, 1) + nrows_);
  }
  Changed();
}

bool TIntMatrix::Transpose() {
  if (sparse_) {
    const TIntMatBox box = sparse_->Box();
    sparse_->MoveAll([](TIntMatEntry& e) { std::swap(e.Col, e.Row); });
    sparse_->Box() = {box.MinRow, box.MaxRow, box.MinCol, box.MaxCol};
  } else {
    std::vector<int32_t> block = WithHeap(*this, [&] { return ZeroBlock(nrows_, ncols_); });
    const int64_t ld = std::max(ncols_, 1);
    for (int32_t c = 0; c < ncols_; ++c)
      for (int32_t r = 0; r < nrows_; ++r) block[r * ld + c] = dense_[c * ld_ + r];
    dense_.swap(block);
    ld_ = ld;
  }
  std::swap(ncols_, nrows_);
  Changed();
  return true;
}

}  // namespace nuv
