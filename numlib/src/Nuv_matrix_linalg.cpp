// Products, LU decomposition, determinant, inversion and norms of TMatrix.
#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>

#include "Nuv_matrix_kernels.h"
#include "Nuv_matrix_parts.h"
#include "nuv/Nuv_matrix.h"

namespace nuv {

namespace {

using matrix::GemmAcc;

// Runs f, turning an allocation failure into the component's error.
template <class F>
auto WithHeap(const TMatrix& m, F&& f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVMatrixError>(m, "not enough memory on heap");
  }
}

}  // namespace

bool TMatrix::Multiply(const TMatrix& b, TMatrix& c) const {
  if (ncols_ != b.nrows_ || c.ncols_ != b.ncols_ || c.nrows_ != nrows_) return false;
  WithHeap(*this, [&] {
    // c(j, i) = Σk this(k, i)·b(j, k): rows of this times columns of b.
    std::vector<double> product(static_cast<std::size_t>(c.ld_) * std::max(c.ncols_, 1), 0.0);
    GemmAcc(nrows_, b.ncols_, ncols_, data_.data(), 1, ld_, b.data_.data(), 1, b.ld_,
            product.data(), c.ld_, false);
    c.data_.swap(product);  // c may be this or b
  });
  c.Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TMatrix& b, TMatrix& c) const {
  if (nrows_ != b.nrows_ || c.ncols_ != b.ncols_ || c.nrows_ != ncols_) return false;
  WithHeap(*this, [&] {
    // c(j, i) = Σk this(i, k)·b(j, k): columns of this times columns of b.
    std::vector<double> product(static_cast<std::size_t>(c.ld_) * std::max(c.ncols_, 1), 0.0);
    GemmAcc(ncols_, b.ncols_, nrows_, data_.data(), ld_, 1, b.data_.data(), 1, b.ld_,
            product.data(), c.ld_, false);
    c.data_.swap(product);
  });
  c.Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TVector& v, TVector& w) const {
  if (v.NrOfElem() != nrows_ || w.NrOfElem() != ncols_) return false;
  std::vector<double> result = WithHeap(*this, [&] { return std::vector<double>(ncols_); });
  const double* x = v.Data();
  for (int32_t i = 1; i <= ncols_; ++i) {
    const double* col = At(i, 1);
    double sum = 0;
    for (int32_t j = 0; j < nrows_; ++j) sum += col[j] * x[j];
    result[i - 1] = sum;
  }
  std::copy(result.begin(), result.end(), w.Data());  // w may be v
  w.Changed();
  return true;
}

bool TMatrix::LUdecomposition(TMatrix* L, TMatrix* U) const {
  const int32_t n = ncols_;
  if (L == nullptr || U == nullptr || n != nrows_ || n == 0) return false;
  bool ok = false;
  std::vector<double> lu = WithHeap(*this, [&] {
    std::vector<double> a(data_);
    std::vector<int32_t> pivots(static_cast<std::size_t>(n));
    int32_t sign = 1;
    ok = matrix::CroutLU(a.data(), n, pivots.data(), sign);
    return a;
  });
  L->Reshape(n, n);
  U->Reshape(n, n);
  std::fill(L->data_.begin(), L->data_.end(), 0.0);
  if (ok) {
    for (int32_t c = 0; c < n; ++c) {
      const double* src = lu.data() + int64_t{c} * n;
      double* l = L->data_.data() + int64_t{c} * n;
      double* u = U->data_.data() + int64_t{c} * n;
      std::copy(src, src + c + 1, u);
      std::fill(u + c + 1, u + n, 0.0);
      l[c] = 1;
      std::copy(src + c + 1, src + n, l + c + 1);
    }
  } else {
    U->data_ = std::move(lu);
  }
  L->Changed();
  U->Changed();
  return ok;
}

double TMatrix::Determinant() const {
  const int32_t n = ncols_;
  if (n != nrows_ || n == 0) return 0;
  return WithHeap(*this, [&] {
    std::vector<double> a(data_);
    std::vector<int32_t> pivots(static_cast<std::size_t>(n));
    int32_t sign = 1;
    if (!matrix::CroutLU(a.data(), n, pivots.data(), sign)) return 0.0;
    double det = sign;
    for (int64_t j = 0; j < n; ++j) det *= a[j * n + j];
    return det;
  });
}

bool TMatrix::Invert() {
  const int64_t n = ncols_;
  if (n != nrows_ || n == 0) return false;
  const bool ok = WithHeap(*this, [&] {
    // The decomposition works on a copy, so a singular matrix stays as it
    // was.
    std::vector<double> lu(data_);
    std::vector<int32_t> pivots(static_cast<std::size_t>(n));
    int32_t sign = 1;
    if (!matrix::CroutLU(lu.data(), n, pivots.data(), sign)) return false;
    auto L = [&](int64_t i, int64_t j) { return lu[j * n + i]; };

    // Solution row i (over all right-hand sides) at x + i·n. The right-hand
    // sides are the unit vectors; their row exchanges are applied at the
    // end. Forward: row i of L⁻¹ has nothing beyond column i, which keeps
    // the leading zeros of each right-hand side out of the sums.
    std::vector<double> x(static_cast<std::size_t>(n * n), 0.0);
    for (int64_t i = 0; i < n; ++i) {
      double* row = x.data() + i * n;
      row[i] = 1;
      for (int64_t j = 0; j < i; ++j) matrix::AxpySub(j + 1, L(i, j), x.data() + j * n, row);
    }
    // Back substitution, each sum in ascending column order.
    for (int64_t i = n - 1; i >= 0; --i) {
      double* row = x.data() + i * n;
      for (int64_t j = i + 1; j < n; ++j) matrix::AxpySub(n, L(i, j), x.data() + j * n, row);
      const double pivot = L(i, i);
      for (int64_t c = 0; c < n; ++c) row[c] /= pivot;
    }
    // Column order[k] of the inverse is the solution for unit vector k.
    std::vector<int32_t> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    for (int64_t j = 0; j < n; ++j) std::swap(order[j], order[pivots[j]]);
    for (int64_t r = 0; r < n; ++r) {
      const double* row = x.data() + r * n;
      for (int64_t k = 0; k < n; ++k) data_[order[k] * n + r] = row[k];
    }
    return true;
  });
  if (ok) Changed();
  return ok;
}

double TMatrix::Norm(TNormType kind) const {
  if (ncols_ == 0 || nrows_ == 0) return 0;
  switch (kind) {
    case ntColwise: {
      long double best = 0;
      for (int32_t c = 1; c <= ncols_; ++c) {
        long double sum = 0;
        for (const double* p = At(c, 1); p != At(c, 1) + nrows_; ++p) sum += std::fabs(*p);
        best = std::max(best, sum);
      }
      return static_cast<double>(best);
    }
    case ntRowwise: {
      std::vector<long double> sums =
          WithHeap(*this, [&] { return std::vector<long double>(nrows_, 0.0L); });
      for (int32_t c = 1; c <= ncols_; ++c) {
        const double* col = At(c, 1);
        for (int32_t r = 0; r < nrows_; ++r) sums[r] += std::fabs(col[r]);
      }
      return static_cast<double>(*std::max_element(sums.begin(), sums.end()));
    }
    case ntFrobenius: {
      long double sum = 0;
      for (int32_t c = 1; c <= ncols_; ++c)
        for (const double* p = At(c, 1); p != At(c, 1) + nrows_; ++p)
          sum += static_cast<long double>(*p) * *p;
      return static_cast<double>(std::sqrt(sum));
    }
    case ntSpectral: {
      // Only the singular values are needed; they come out the same
      // without accumulating U and V.
      bool converged = false;
      const double largest = WithHeap(*this, [&] {
        std::vector<double> a(data_);
        std::vector<double> w(static_cast<std::size_t>(ncols_));
        converged = matrix::SingularValueDecomposition(a.data(), nrows_, ncols_, w.data(), nullptr);
        return *std::max_element(w.begin(), w.end());
      });
      if (!converged) throw ENUVMatrixError("near singular covariance matrix");
      return largest;
    }
  }
  return 0;
}

}  // namespace nuv
