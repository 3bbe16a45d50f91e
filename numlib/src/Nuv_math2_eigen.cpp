// Covariance matrices, the Jacobi eigen-decomposition and its storage,
// principal components, the pseudo-inverse and the singular value
// decomposition.
#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>
#include <vector>

#include "Nuv_math2_parts.h"
#include "Nuv_matrix_kernels.h"
#include "Nuv_matrix_parts.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_matrix.h"

namespace nuv {

namespace math2 {

std::vector<double> ColumnBlock(const TMatrix& m, int32_t loCol, int32_t hiCol, int32_t loRow,
                                int32_t hiRow) {
  const int64_t rows = int64_t{hiRow} - loRow + 1;
  std::vector<double> block(static_cast<std::size_t>(rows * (hiCol - loCol + 1)));
  for (int32_t c = loCol; c <= hiCol; ++c)
    std::copy_n(m.Column(c) + loRow - 1, rows, block.data() + (c - loCol) * rows);
  return block;
}

void StoreColumns(const std::vector<double>& block, int32_t rows, int32_t cols, TMatrix& m) {
  m.Resize(cols, rows);
  for (int32_t c = 0; c < cols; ++c)
    std::copy_n(block.data() + static_cast<std::size_t>(c) * rows, rows, m.Column(c + 1));
  m.Changed();
}

bool AllFinite(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

bool ThinSvd(std::vector<double> a, int32_t m, int32_t n, TSvd& svd) {
  // The decomposition is taken of the taller orientation.
  const bool transposed = m < n;
  if (transposed) {
    std::vector<double> t(a.size());
    for (int64_t j = 0; j < n; ++j)
      for (int64_t i = 0; i < m; ++i) t[i * n + j] = a[j * m + i];
    a.swap(t);
    std::swap(m, n);
  }
  std::vector<double> w(n), v(static_cast<std::size_t>(n) * n);
  if (!matrix::SingularValueDecomposition(a.data(), m, n, w.data(), v.data())) return false;
  // Descending order of the values.
  std::vector<int32_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int32_t x, int32_t y) { return w[x] > w[y]; });
  svd.Rows = transposed ? n : m;
  svd.Cols = transposed ? m : n;
  svd.K = n;
  svd.W.resize(n);
  svd.U.resize(static_cast<std::size_t>(svd.Rows) * n);
  svd.V.resize(static_cast<std::size_t>(svd.Cols) * n);
  std::vector<double>& left = transposed ? svd.V : svd.U;
  std::vector<double>& right = transposed ? svd.U : svd.V;
  for (int32_t k = 0; k < n; ++k) {
    const int32_t j = order[k];
    svd.W[k] = w[j];
    std::copy_n(a.data() + static_cast<std::size_t>(j) * m, m,
                left.data() + static_cast<std::size_t>(k) * m);
    std::copy_n(v.data() + static_cast<std::size_t>(j) * n, n,
                right.data() + static_cast<std::size_t>(k) * n);
  }
  return true;
}

}  // namespace math2

namespace {

using math2::AllFinite;
using math2::ColumnBlock;

// ---------------------------------------------------------------------------
// Eigen storage: eigenvalue i at values[i - 1], eigenvector j in column
// j - 1 of vectors (N × N, column-major).
struct TEigenStorage {
  int32_t N = 0;
  std::vector<double> values, vectors;
};

// Created on first use and deleted by RemoveEigenMatrix, which the unit's
// finalisation calls; a pointer, so that nothing depends on the order of
// static destruction.
TEigenStorage* gEigen = nullptr;

TEigenStorage& Eigen() {
  if (gEigen == nullptr) gEigen = new TEigenStorage;
  return *gEigen;
}

// Σ/(n - 1) of modes 0, 1 and 4; 0 for a single row.
double PerDegreeOfFreedom(int64_t n, long double sum) {
  return n < 2 ? 0.0 : static_cast<double>(sum / (n - 1));
}

}  // namespace

bool CalcCovar(const TMatrix& DataMat, TMatrix& CovarMat, int32_t LowCol, int32_t HighCol,
               int32_t LowRow, int32_t HighRow, int32_t Mode) {
  DataMat.MakeValidColRange(LowCol, HighCol);
  DataMat.MakeValidRowRange(LowRow, HighRow);
  const int32_t m = HighCol - LowCol + 1;
  if (Mode < 0 || Mode > 4 || CovarMat.NrOfColumns() < m || CovarMat.NrOfRows() < m) return false;
  AbortMathProc = false;
  const int64_t n = int64_t{HighRow} - LowRow + 1;
  std::vector<double> x, gram, result;
  std::vector<bool> constant(m, false);
  try {
    x = ColumnBlock(DataMat, LowCol, HighCol, LowRow, HighRow);
    gram.assign(static_cast<std::size_t>(m) * m, 0.0);
    result.assign(gram.size(), 0.0);
  } catch (const std::bad_alloc&) {
    throw ENUVMath2Error("CalcCovar: not enough memory");
  }
  // Centred columns for modes 1..3; a constant column is marked exactly,
  // as its centred values may keep rounding noise.
  for (int32_t j = 0; j < m; ++j) {
    double* c = x.data() + j * n;
    const auto [lo, hi] = std::minmax_element(c, c + n);
    constant[j] = *lo == *hi;
    if (Mode < 1 || Mode > 3) continue;
    long double s = 0;
    for (int64_t i = 0; i < n; ++i) s += c[i];
    const auto mean = static_cast<double>(s / n);
    for (int64_t i = 0; i < n; ++i) c[i] -= mean;
  }
  if (Mode != 4) matrix::GemmAcc(m, m, n, x.data(), n, 1, x.data(), 1, n, gram.data(), m, false);
  for (int32_t i = 0; i < m; ++i) {
    if (AbortMathProc) return false;
    for (int32_t j = i; j < m; ++j) {
      double v = 0;
      if (Mode == 4) {
        long double s = 0;
        const double *a = x.data() + i * n, *b = x.data() + j * n;
        for (int64_t k = 0; k < n; ++k) s += (a[k] - b[k]) * (a[k] - b[k]);
        v = PerDegreeOfFreedom(n, s);
      } else if (Mode <= 1) {
        v = PerDegreeOfFreedom(n, gram[static_cast<std::size_t>(j) * m + i]);
      } else if (n > 2 && !constant[i] && !constant[j]) {
        const double sij = gram[static_cast<std::size_t>(j) * m + i];
        const double sii = gram[static_cast<std::size_t>(i) * m + i];
        const double sjj = gram[static_cast<std::size_t>(j) * m + j];
        v = sij / std::sqrt(sii * sjj);
        if (Mode == 3) v *= v;
      }
      result[static_cast<std::size_t>(j) * m + i] = result[static_cast<std::size_t>(i) * m + j] = v;
    }
    if (Mode == 2 || Mode == 3) result[static_cast<std::size_t>(i) * m + i] = 1.0;
    IncProcStat();
  }
  for (int32_t j = 0; j < m; ++j)
    std::copy_n(result.data() + static_cast<std::size_t>(j) * m, m, CovarMat.Column(j + 1));
  CovarMat.Changed();
  return true;
}

// ---------------------------------------------------------------------------
// Jacobi

namespace {

// Symmetric within 1e-10 of the largest magnitude, and finite.
bool IsFiniteSymmetric(const std::vector<double>& a, int32_t n) {
  double big = 0;
  for (double v : a) {
    if (!std::isfinite(v)) return false;
    big = std::max(big, std::fabs(v));
  }
  for (int64_t j = 0; j < n; ++j)
    for (int64_t i = j + 1; i < n; ++i)
      if (std::fabs(a[j * n + i] - a[i * n + j]) > 1e-10 * big) return false;
  return true;
}

// Plane rotation of two columns: (x, y) -> (c·x - s·y, s·x + c·y). AVX2
// where the processor has it; without fused multiply-adds the results are
// the same either way.
__attribute__((target_clones("avx2", "default"))) void RotateColumns(double* __restrict x,
                                                                     double* __restrict y,
                                                                     int64_t n, double c,
                                                                     double s) {
  for (int64_t k = 0; k < n; ++k) {
    const double u = x[k], w = y[k];
    x[k] = c * u - s * w;
    y[k] = s * u + c * w;
  }
}

// The classic cyclic Jacobi method on the full symmetric n × n matrix a
// (column-major): eigenvalues to d, vectors to the columns of v (initially
// the identity); the diagonal of a is left stale (d holds it).
//
// A rotation (p, q) changes rows and columns p and q. The columns are
// rotated in place; of the rows, which lie across the columns, only what
// the rest of the sweep reads is written: row q in the columns after p at
// once, row p after the last q, and the lower triangle is refreshed from
// the upper one (always current) when the sweep ends. Column p, the
// columns q and the upper triangle hold the current values throughout.
bool Jacobi(std::vector<double>& a, int64_t n, std::vector<double>& d, std::vector<double>& v) {
  std::vector<double> b(n), z(n, 0.0);
  for (int64_t i = 0; i < n; ++i) b[i] = d[i] = a[i * n + i];
  for (int sweep = 1; sweep <= 100; ++sweep) {
    IncProcStat();
    if (AbortMathProc) return false;
    double sm = 0;
    for (int64_t q = 1; q < n; ++q)
      for (int64_t p = 0; p < q; ++p) sm += std::fabs(a[q * n + p]);
    if (sm == 0) return true;
    const double tresh = sweep < 4 ? 0.2 * sm / (static_cast<double>(n) * n) : 0.0;
    for (int64_t p = 0; p < n - 1; ++p) {
      double* ap = a.data() + p * n;
      for (int64_t q = p + 1; q < n; ++q) {
        double* aq = a.data() + q * n;
        const double apq = ap[q];
        const double g = 100.0 * std::fabs(apq);
        if (sweep > 4 && std::fabs(d[p]) + g == std::fabs(d[p]) &&
            std::fabs(d[q]) + g == std::fabs(d[q])) {
          ap[q] = 0;
          continue;
        }
        if (!(std::fabs(apq) > tresh)) continue;
        const double h = d[q] - d[p];
        double t;
        if (std::fabs(h) + g == std::fabs(h)) {
          t = apq / h;
        } else {
          // sign(0) counts as +1, so that equal diagonal elements rotate
          // by 45°.
          const double theta = 0.5 * h / apq;
          t = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
          if (theta < 0) t = -t;
        }
        const double c = 1.0 / std::sqrt(1 + t * t), s = t * c;
        const double th = t * apq;
        z[p] -= th;
        z[q] += th;
        d[p] -= th;
        d[q] += th;
        // Rows p and q of the two columns are the diagonal and the deferred
        // row p: they come out meaningless and are not read.
        RotateColumns(ap, aq, n, c, s);
        ap[q] = 0;
        for (int64_t k = p + 1; k < n; ++k) a[k * n + q] = aq[k];  // k = q: itself
        RotateColumns(v.data() + p * n, v.data() + q * n, n, c, s);
      }
      for (int64_t k = p + 1; k < n; ++k) a[k * n + p] = ap[k];
    }
    for (int64_t j = 0; j < n; ++j)
      for (int64_t i = j + 1; i < n; ++i) a[j * n + i] = a[i * n + j];
    for (int64_t i = 0; i < n; ++i) {
      b[i] += z[i];
      d[i] = b[i];
      z[i] = 0;
    }
  }
  return false;
}

}  // namespace

bool CalcEigVec(TMatrix& Mat) {
  const int32_t n = Mat.NrOfColumns();
  RemoveEigenMatrix();
  if (n != Mat.NrOfRows() || n < 1 || n > 10000) return false;
  std::vector<double> a;
  try {
    a = ColumnBlock(Mat, 1, n, 1, n);
  } catch (const std::bad_alloc&) {
    throw ENUVMath2Error("CalcEigVec: not enough memory");
  }
  if (!IsFiniteSymmetric(a, n)) return false;
  TEigenStorage& e = Eigen();
  try {
    e.values.assign(n, 0.0);
    e.vectors.assign(static_cast<std::size_t>(n) * n, 0.0);
  } catch (const std::bad_alloc&) {
    RemoveEigenMatrix();
    throw ENUVMath2Error("CalcEigVec: not enough memory");
  }
  e.N = n;
  // The upper triangle rules where rounding made the halves differ.
  for (int64_t j = 0; j < n; ++j)
    for (int64_t i = j + 1; i < n; ++i) a[j * n + i] = a[i * n + j];
  for (int64_t i = 0; i < n; ++i) e.vectors[i * n + i] = 1;
  AbortMathProc = false;
  const bool ok = Jacobi(a, n, e.values, e.vectors);
  for (int64_t i = 0; i < n; ++i) a[i * n + i] = e.values[i];
  math2::StoreColumns(a, n, n, Mat);
  if (!ok) RemoveEigenMatrix();
  return ok;
}

double GetEigenResult(int32_t i, int32_t j) {
  if (gEigen == nullptr) return 0;
  const TEigenStorage& e = *gEigen;
  if (i < 1 || i > e.N || j < 0 || j > e.N) return 0;
  if (j == 0) return e.values[i - 1];
  return e.vectors[static_cast<std::size_t>(j - 1) * e.N + (i - 1)];
}

int32_t GetEigenSize() { return gEigen ? gEigen->N : 0; }

void RemoveEigenMatrix() {
  delete gEigen;
  gEigen = nullptr;
}

bool CalcPrincComp(const TMatrix& DataMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                   int32_t HighRow, int32_t Mode, bool ScaleEigVals) {
  DataMat.MakeValidColRange(LowCol, HighCol);
  const int32_t m = HighCol - LowCol + 1;
  TMatrix covar(nullptr);
  covar.Resize(m, m);
  if (!CalcCovar(DataMat, covar, LowCol, HighCol, LowRow, HighRow, Mode)) return false;
  if (!CalcEigVec(covar)) return false;
  TEigenStorage& e = Eigen();
  if (ScaleEigVals) {
    double sum = 0;
    for (double v : e.values) sum += std::fabs(v);
    if (sum != 0)
      for (double& v : e.values) v /= sum;
  }
  const int64_t n = e.N;
  for (int64_t i = 0; i < n; ++i) {
    int64_t best = i;
    for (int64_t k = i + 1; k < n; ++k)
      if (e.values[k] > e.values[best]) best = k;
    if (best == i) continue;
    std::swap(e.values[i], e.values[best]);
    std::swap_ranges(e.vectors.begin() + i * n, e.vectors.begin() + (i + 1) * n,
                     e.vectors.begin() + best * n);
  }
  return true;
}

// ---------------------------------------------------------------------------
// Singular value decomposition

bool PseudoInverse(const TMatrix& Mat, TMatrix& PInv, double Threshold) {
  const int32_t cols = Mat.NrOfColumns(), rows = Mat.NrOfRows();
  if (cols < 1 || rows < 1 || std::isnan(Threshold)) return false;
  std::vector<double> a = ColumnBlock(Mat, 1, cols, 1, rows);
  if (!AllFinite(a)) return false;
  math2::TSvd svd;
  if (!math2::ThinSvd(std::move(a), rows, cols, svd)) return false;
  if (Threshold == 0) Threshold = std::max(rows, cols) * svd.W[0] * 1.2e-16;
  // V·W⁺ into vs (cols × K), then times Uᵀ.
  const int64_t k = svd.K;
  std::vector<double> vs(static_cast<std::size_t>(cols) * k, 0.0);
  for (int64_t j = 0; j < k; ++j) {
    const double w = svd.W[j];
    if (!(w > Threshold) || w == 0) continue;
    for (int64_t i = 0; i < cols; ++i) vs[j * cols + i] = svd.V[j * cols + i] / w;
  }
  std::vector<double> p(static_cast<std::size_t>(cols) * rows, 0.0);
  matrix::GemmAcc(cols, rows, k, vs.data(), 1, cols, svd.U.data(), rows, 1, p.data(), cols, false);
  math2::StoreColumns(p, cols, rows, PInv);
  return true;
}

bool SingValDecomp(const TMatrix& Mat, TMatrix& U, TVector& W, TMatrix& V) {
  const int32_t cols = Mat.NrOfColumns(), rows = Mat.NrOfRows();
  if (cols < 1 || rows < 1) return false;
  std::vector<double> a = ColumnBlock(Mat, 1, cols, 1, rows);
  if (!AllFinite(a)) return false;
  math2::TSvd svd;
  if (!math2::ThinSvd(std::move(a), rows, cols, svd)) return false;
  math2::StoreColumns(svd.U, rows, svd.K, U);
  math2::StoreColumns(svd.V, cols, svd.K, V);
  W.Resize(svd.K);
  std::copy(svd.W.begin(), svd.W.end(), W.Data());
  W.Changed();
  return true;
}

void SingValEquSolve(const TMatrix& U, const TVector& W, const TMatrix& V, const TVector& b,
                     double Threshold, TVector& x) {
  const int32_t k = U.NrOfColumns(), m = U.NrOfRows(), n = V.NrOfRows();
  if (W.NrOfElem() != k || V.NrOfColumns() != k || b.NrOfElem() != m)
    throw ENUVMath2Error("SingValEquSolve: dimensions do not match");
  std::vector<double> result(n, 0.0);
  for (int32_t j = 1; j <= k; ++j) {
    const double w = W.GetVal(j);
    if (!(w > Threshold) || w == 0) continue;
    const double* u = U.Column(j);
    double s = 0;
    for (int32_t i = 0; i < m; ++i) s += u[i] * b.Data()[i];
    s /= w;
    const double* v = V.Column(j);
    for (int32_t i = 0; i < n; ++i) result[i] += s * v[i];
  }
  x.Resize(n);
  std::copy(result.begin(), result.end(), x.Data());
  x.Changed();
}

}  // namespace nuv
