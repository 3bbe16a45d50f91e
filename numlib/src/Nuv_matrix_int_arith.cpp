// Element arithmetic and products of TIntMatrix, modulo 2^32, and the copy
// of an integer matrix into a TMatrix.
#include <algorithm>
#include <new>

#include "Nuv_matrix_int_parts.h"
#include "Nuv_vector_stats.h"

namespace nuv {

using matrix::WrapAdd;
using matrix::WrapMul;

namespace {

// c(j, i) += Σk A(i, k)·B(k, j) over the stored elements when A or B is
// sparse, into the column-major block c (column distance ldc). A(i, k) is
// this(k, i) for a product and this(i, k) for the transposed product;
// B(k, j) is b(j, k).
class TProduct {
 public:
  TProduct(const TIntMatrix& a, bool transposed, const TIntMatrix& b, int32_t* c, int64_t ldc)
      : a_(a), transposed_(transposed), b_(b), c_(c), ldc_(ldc) {}

  void Run() const {
    if (!a_.IsSparse() && !b_.IsSparse()) return Dense();
    if (!a_.IsSparse()) return DenseTimesSparse();
    // A's elements as (k, i, value), sorted by k.
    std::vector<TIntMatEntry> lhs(a_.Entries().begin(), a_.Entries().end());
    if (transposed_) {
      for (TIntMatEntry& e : lhs) std::swap(e.Col, e.Row);
      std::sort(lhs.begin(), lhs.end(), matrix::KeyLess);
    }
    if (b_.IsSparse())
      SparseTimesSparse(lhs);
    else
      SparseTimesDense(lhs);
  }

 private:
  int32_t& C(int32_t i, int32_t j) const { return c_[(j - 1) * ldc_ + (i - 1)]; }
  int32_t Rows() const { return transposed_ ? a_.NrOfColumns() : a_.NrOfRows(); }
  int32_t Depth() const { return transposed_ ? a_.NrOfRows() : a_.NrOfColumns(); }

  void Dense() const {
    const int64_t ld = a_.NrOfRows() > 0 ? a_.NrOfRows() : 1;
    const int64_t bld = b_.NrOfRows() > 0 ? b_.NrOfRows() : 1;
    const int32_t* a = a_.Column(1);
    const int32_t* b = b_.Column(1);
    if (a == nullptr || b == nullptr) return;
    matrix::IntGemmAcc(Rows(), b_.NrOfColumns(), Depth(), a, transposed_ ? ld : 1,
                       transposed_ ? 1 : ld, b, bld, c_, ldc_);
  }

  void DenseTimesSparse() const {
    const int32_t rows = Rows();
    for (const TIntMatEntry& f : b_.Entries()) {
      int32_t* cj = &C(1, f.Col);
      if (transposed_) {
        for (int32_t i = 1; i <= rows; ++i)
          cj[i - 1] = WrapAdd(cj[i - 1], WrapMul(a_.Column(i)[f.Row - 1], f.Value));
      } else {
        const int32_t* ak = a_.Column(f.Row);
        for (int32_t i = 0; i < rows; ++i) cj[i] = WrapAdd(cj[i], WrapMul(ak[i], f.Value));
      }
    }
  }

  void SparseTimesDense(const std::vector<TIntMatEntry>& lhs) const {
    for (int32_t j = 1; j <= b_.NrOfColumns(); ++j) {
      const int32_t* bj = b_.Column(j);
      for (const TIntMatEntry& e : lhs)
        C(e.Row, j) = WrapAdd(C(e.Row, j), WrapMul(e.Value, bj[e.Col - 1]));
    }
  }

  void SparseTimesSparse(const std::vector<TIntMatEntry>& lhs) const {
    for (const TIntMatEntry& f : b_.Entries()) {
      // The elements A(i, k) with k = f.Row.
      auto it = std::lower_bound(lhs.begin(), lhs.end(), f.Row,
                                 [](const TIntMatEntry& e, int32_t k) { return e.Col < k; });
      for (; it != lhs.end() && it->Col == f.Row; ++it)
        C(it->Row, f.Col) = WrapAdd(C(it->Row, f.Col), WrapMul(it->Value, f.Value));
    }
  }

  const TIntMatrix& a_;
  bool transposed_;
  const TIntMatrix& b_;
  int32_t* c_;
  int64_t ldc_;
};

}  // namespace

void TIntMatrix::SMult(int32_t factor) {
  if (sparse_) {
    for (TIntMatEntry& e : sparse_->Values()) e.Value = WrapMul(e.Value, factor);
  } else {
    for (int32_t& x : dense_) x = WrapMul(x, factor);
  }
  Changed();
}

void TIntMatrix::SAdd(int32_t value) {
  if (value != 0) RequireDense("SAdd");
  for (int32_t& x : dense_) x = WrapAdd(x, value);
  Changed();
}

bool TIntMatrix::Accumulate(const TIntMatrix* other, uint32_t sign) {
  if (other == nullptr || sparse_) return false;
  if (other->sparse_) {
    const TIntMatBox& box = other->sparse_->Box();
    if (ncols_ < box.MaxCol || nrows_ < box.MaxRow) return false;
    for (const TIntMatEntry& e : other->sparse_->Entries()) {
      int32_t& x = *At(e.Col, e.Row);
      x = WrapAdd(x, static_cast<int32_t>(sign * static_cast<uint32_t>(e.Value)));
    }
  } else {
    if (other->ncols_ != ncols_ || other->nrows_ != nrows_) return false;
    for (std::size_t i = 0; i < dense_.size(); ++i)
      dense_[i] =
          WrapAdd(dense_[i], static_cast<int32_t>(sign * static_cast<uint32_t>(other->dense_[i])));
  }
  Changed();
  return true;
}

bool TIntMatrix::Add(const TIntMatrix* other) { return Accumulate(other, 1u); }

bool TIntMatrix::Subtract(const TIntMatrix* other) { return Accumulate(other, ~0u); }

bool TIntMatrix::Multiply(const TIntMatrix& b, TIntMatrix& c) const {
  if (ncols_ != b.nrows_ || c.sparse_ || c.ncols_ != b.ncols_ || c.nrows_ != nrows_) return false;
  Product(b, c, false);
  return true;
}

bool TIntMatrix::TransposeAndMultiply(const TIntMatrix& b, TIntMatrix& c) const {
  if (nrows_ != b.nrows_ || c.sparse_ || c.ncols_ != b.ncols_ || c.nrows_ != ncols_) return false;
  Product(b, c, true);
  return true;
}

void TIntMatrix::Product(const TIntMatrix& b, TIntMatrix& c, bool transposed) const {
  std::vector<int32_t> block;
  try {
    block.assign(c.dense_.size(), 0);
    TProduct(*this, transposed, b, block.data(), c.ld_).Run();
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  c.dense_.swap(block);  // c may be this or b
  c.Changed();
}

bool TIntMatrix::TransposeAndMultiply(const TIntVector& v, TIntVector& w) const {
  if (v.NrOfElem() != nrows_ || w.NrOfElem() != ncols_) return false;
  std::vector<uint32_t> result;
  try {
    result.assign(static_cast<std::size_t>(ncols_), 0);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  const int32_t* x = v.Data();
  if (sparse_) {
    for (const TIntMatEntry& e : sparse_->Entries())
      result[e.Col - 1] += static_cast<uint32_t>(e.Value) * static_cast<uint32_t>(x[e.Row - 1]);
  } else {
    for (int32_t i = 1; i <= ncols_; ++i) {
      const int32_t* col = At(i, 1);
      for (int32_t j = 0; j < nrows_; ++j)
        result[i - 1] += static_cast<uint32_t>(col[j]) * static_cast<uint32_t>(x[j]);
    }
  }
  std::copy(result.begin(), result.end(), reinterpret_cast<uint32_t*>(w.Data()));  // w may be v
  w.Changed();
  return true;
}

}  // namespace nuv

// ---------------------------------------------------------------------------
// TMatrix from TIntMatrix

namespace nuv {

void TMatrix::CopyFrom(const TIntMatrix& source, int32_t srcLoCol, int32_t srcLoRow,
                       int32_t srcHiCol, int32_t srcHiRow, int32_t destCol, int32_t destRow) {
  if (source.NrOfColumns() > 0 && source.NrOfRows() > 0) {
    stats::ClampRange(srcLoCol, srcHiCol, source.NrOfColumns());
    stats::ClampRange(srcLoRow, srcHiRow, source.NrOfRows());
    // The source rows and columns whose destination lies inside this
    // matrix (int64: the offsets may leave the int32 range).
    const int64_t dCol = int64_t{destCol} - srcLoCol, dRow = int64_t{destRow} - srcLoRow;
    const int64_t c0 = std::max<int64_t>(srcLoCol, 1 - dCol);
    const int64_t c1 = std::min<int64_t>(srcHiCol, NrOfColumns() - dCol);
    const int64_t r0 = std::max<int64_t>(srcLoRow, 1 - dRow);
    const int64_t r1 = std::min<int64_t>(srcHiRow, NrOfRows() - dRow);
    for (int64_t c = c0; c <= c1 && r0 <= r1; ++c) {
      double* out = Column(static_cast<int32_t>(c + dCol)) + (r0 + dRow - 1);
      const int32_t* in = source.Column(static_cast<int32_t>(c));
      for (int64_t r = r0; r <= r1; ++r, ++out)
        *out = in != nullptr ? in[r - 1]
                             : source.GetVal(static_cast<int32_t>(c), static_cast<int32_t>(r));
    }
  }
  Changed();
}

}  // namespace nuv
