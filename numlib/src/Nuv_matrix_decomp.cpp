// LU decomposition and singular value decomposition of the matrix unit.
//
// Both are rearranged for the column-major layout (column sweeps instead
// of row sweeps, blocked updates) without changing the arithmetic: every
// element sees the same operations in the same order as in the textbook
// row-oriented formulation, so pivot choices and results are those of the
// plain algorithms.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "Nuv_matrix_kernels.h"
#include "Nuv_matrix_parts.h"
#include "nuv/Nuv_nuvbase.h"

namespace nuv::matrix {

namespace {

// Columns per panel of the blocked LU: the panel is factored column by
// column, the rest of the matrix updated once per panel by the product
// kernel.
constexpr int64_t kPanel = 48;

}  // namespace

bool CroutLU(double* a, int64_t n, int32_t* pivots, int32_t& sign) {
  bool ok = true;
  sign = 1;
  // Implicit pivoting: each row is weighed by the inverse of its largest
  // magnitude. A zero row fails the decomposition; its weight 0 (rather
  // than 1/0) keeps NaN out of the pivot search.
  std::vector<double> scale(static_cast<std::size_t>(n), 0.0);
  for (int64_t j = 0; j < n; ++j) {
    const double* col = a + j * n;
    for (int64_t i = 0; i < n; ++i) scale[i] = std::max(scale[i], std::fabs(col[i]));
  }
  for (double& s : scale) {
    if (s > 0)
      s = 1.0 / s;
    else
      ok = false;
  }

  for (int64_t j0 = 0; j0 < n; j0 += kPanel) {
    const int64_t j1 = std::min(n, j0 + kPanel);
    for (int64_t j = j0; j < j1; ++j) {
      double* col = a + j * n;
      // Column j receives the updates of the panel's earlier columns, in
      // ascending order as Crout's sums take them.
      for (int64_t k = j0; k < j; ++k) AxpySub(n - k - 1, col[k], a + k * n + k + 1, col + k + 1);
      double big = 0;
      int64_t imax = j;
      for (int64_t i = j; i < n; ++i) {
        const double weighed = scale[i] * std::fabs(col[i]);
        if (weighed >= big) {
          big = weighed;
          imax = i;
        }
      }
      if (imax != j) {
        for (int64_t c = 0; c < n; ++c) std::swap(a[c * n + j], a[c * n + imax]);
        sign = -sign;
        scale[imax] = scale[j];
      }
      pivots[j] = static_cast<int32_t>(imax);
      if (!(std::fabs(col[j]) >= 1e-100)) {
        ok = false;
        col[j] = 1e-100;
      }
      const double pivot = col[j];
      for (int64_t i = j + 1; i < n; ++i) col[i] /= pivot;
    }
    if (j1 == n) break;
    // The panel's rows of the columns to the right (unit lower triangular
    // solve), then the rank-(j1 - j0) update of the trailing block.
    for (int64_t j = j1; j < n; ++j) {
      double* col = a + j * n;
      for (int64_t k = j0; k < j1; ++k) AxpySub(j1 - k - 1, col[k], a + k * n + k + 1, col + k + 1);
    }
    GemmAcc(n - j1, n - j1, j1 - j0, a + j0 * n + j1, 1, n, a + j1 * n + j0, 1, n, a + j1 * n + j1,
            n, true);
  }
  return ok;
}

double Pythag(double a, double b) {
  const double s = a * a + b * b;
  if (s >= DBL_MIN && s <= DBL_MAX) return std::sqrt(s);
  if (s != s) return s;
  const double p = std::max(std::fabs(a), std::fabs(b)), q = std::min(std::fabs(a), std::fabs(b));
  if (p == 0 || std::isinf(p)) return p;
  const double r = q / p;
  return p * std::sqrt(1 + r * r);
}

namespace {

// |b| with the sign of a, a zero a counting as positive.
double WithSignOf(double b, double a) { return a >= 0 ? std::fabs(b) : -std::fabs(b); }

// Column j of an m-row matrix.
inline double* Col(double* a, int64_t m, int64_t j) { return a + j * m; }

// s[j - first] = Σ_k x[k]·col_j[k] over k in [lo, hi) for the columns
// j in [first, last), each sum in ascending k; four columns at a time so
// the independent sums overlap.
void ColumnDots(const double* x, double* a, int64_t m, int64_t lo, int64_t hi, int64_t first,
                int64_t last, double* s) {
  int64_t j = first;
  for (; j + 4 <= last; j += 4) {
    const double *c0 = Col(a, m, j), *c1 = Col(a, m, j + 1), *c2 = Col(a, m, j + 2),
                 *c3 = Col(a, m, j + 3);
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    for (int64_t k = lo; k < hi; ++k) {
      s0 += x[k] * c0[k];
      s1 += x[k] * c1[k];
      s2 += x[k] * c2[k];
      s3 += x[k] * c3[k];
    }
    s[j - first] = s0;
    s[j - first + 1] = s1;
    s[j - first + 2] = s2;
    s[j - first + 3] = s3;
  }
  for (; j < last; ++j) {
    const double* c = Col(a, m, j);
    double sum = 0;
    for (int64_t k = lo; k < hi; ++k) sum += x[k] * c[k];
    s[j - first] = sum;
  }
}

// Plane rotation of columns p and q (length len): (y, z) -> (y·c + z·s, z·c - y·s).
void Rotate(double* p, double* q, int64_t len, double c, double s) {
  for (int64_t k = 0; k < len; ++k) {
    const double y = p[k], z = q[k];
    p[k] = y * c + z * s;
    q[k] = z * c - y * s;
  }
}

}  // namespace

bool SingularValueDecomposition(double* a, int64_t m, int64_t n, double* w, double* v) {
  const bool wantUV = v != nullptr;
  // Values far from 1 are first brought near it by a power of two. That
  // is exact, and every step below is homogeneous in the scale, so the
  // results are those of the unscaled matrix; but the squares in the
  // shifts and rotations can no longer overflow or underflow.
  double maxAbs = 0;
  for (int64_t i = 0; i < m * n; ++i) maxAbs = std::max(maxAbs, std::fabs(a[i]));
  int shift = 0;
  if (maxAbs > 0x1p400 || (maxAbs > 0 && maxAbs < 0x1p-400)) {
    shift = -std::ilogb(maxAbs);
    for (int64_t i = 0; i < m * n; ++i) a[i] = std::ldexp(a[i], shift);
  }
  std::vector<double> rv1(static_cast<std::size_t>(n), 0.0);
  std::vector<double> dots(static_cast<std::size_t>(std::max(m, n)), 0.0);
  std::vector<double> rowI(static_cast<std::size_t>(n), 0.0);
  auto at = [&](int64_t i, int64_t j) -> double& { return a[j * m + i]; };

  // Householder reduction to upper bidiagonal form.
  double g = 0, scale = 0, anorm = 0;
  for (int64_t i = 0; i < n; ++i) {
    const int64_t l = i + 1;
    rv1[i] = scale * g;
    g = scale = 0;
    if (i < m) {
      double* ci = Col(a, m, i);
      for (int64_t k = i; k < m; ++k) scale += std::fabs(ci[k]);
      if (scale != 0) {
        double s = 0;
        for (int64_t k = i; k < m; ++k) {
          ci[k] /= scale;
          s += ci[k] * ci[k];
        }
        const double f = ci[i];
        g = -WithSignOf(std::sqrt(s), f);
        const double h = f * g - s;
        ci[i] = f - g;
        ColumnDots(ci, a, m, i, m, l, n, dots.data());
        for (int64_t j = l; j < n; ++j) {
          const double fj = dots[j - l] / h;
          double* cj = Col(a, m, j);
          for (int64_t k = i; k < m; ++k) cj[k] += fj * ci[k];
        }
        for (int64_t k = i; k < m; ++k) ci[k] *= scale;
      }
    }
    w[i] = scale * g;
    g = scale = 0;
    if (i < m && i != n - 1) {
      for (int64_t k = l; k < n; ++k) scale += std::fabs(at(i, k));
      if (scale != 0) {
        double s = 0;
        for (int64_t k = l; k < n; ++k) {
          at(i, k) /= scale;
          s += at(i, k) * at(i, k);
        }
        const double f = at(i, l);
        g = -WithSignOf(std::sqrt(s), f);
        const double h = f * g - s;
        at(i, l) = f - g;
        for (int64_t k = l; k < n; ++k) rv1[k] = at(i, k) / h;
        // Row j's sum over k of a(j,k)·a(i,k), gathered column by column.
        std::fill(dots.begin() + l, dots.begin() + m, 0.0);
        for (int64_t k = l; k < n; ++k) {
          const double aik = at(i, k);
          const double* ck = Col(a, m, k);
          for (int64_t j = l; j < m; ++j) dots[j] += ck[j] * aik;
        }
        for (int64_t k = l; k < n; ++k) {
          const double r = rv1[k];
          double* ck = Col(a, m, k);
          for (int64_t j = l; j < m; ++j) ck[j] += dots[j] * r;
        }
        for (int64_t k = l; k < n; ++k) at(i, k) *= scale;
      }
    }
    anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(rv1[i]));
    IncProcStat();
  }

  // Accumulation of the right-hand transformations into V.
  if (wantUV) {
    auto vat = [&](int64_t i, int64_t j) -> double& { return v[j * n + i]; };
    int64_t l = n;
    for (int64_t i = n - 1; i >= 0; --i) {
      if (i < n - 1) {
        if (g != 0) {
          // Division twice, so that a tiny a(i,l) cannot underflow.
          for (int64_t j = l; j < n; ++j) vat(j, i) = (at(i, j) / at(i, l)) / g;
          for (int64_t k = l; k < n; ++k) rowI[k] = at(i, k);
          ColumnDots(rowI.data(), v, n, l, n, l, n, dots.data());
          const double* vi = Col(v, n, i);
          for (int64_t j = l; j < n; ++j) {
            const double s = dots[j - l];
            double* vj = Col(v, n, j);
            for (int64_t k = l; k < n; ++k) vj[k] += s * vi[k];
          }
        }
        for (int64_t j = l; j < n; ++j) vat(i, j) = vat(j, i) = 0;
      }
      vat(i, i) = 1;
      g = rv1[i];
      l = i;
      IncProcStat();
    }
  } else {
    for (int64_t i = 0; i < n; ++i) IncProcStat();
  }

  // Accumulation of the left-hand transformations into U (over a).
  const int64_t mn = std::min(m, n);
  if (wantUV) {
    for (int64_t i = mn - 1; i >= 0; --i) {
      const int64_t l = i + 1;
      double gi = w[i];
      for (int64_t j = l; j < n; ++j) at(i, j) = 0;
      double* ci = Col(a, m, i);
      if (gi != 0) {
        gi = 1.0 / gi;
        ColumnDots(ci, a, m, l, m, l, n, dots.data());
        for (int64_t j = l; j < n; ++j) {
          const double f = (dots[j - l] / ci[i]) * gi;
          double* cj = Col(a, m, j);
          for (int64_t k = i; k < m; ++k) cj[k] += f * ci[k];
        }
        for (int64_t j = i; j < m; ++j) ci[j] *= gi;
      } else {
        for (int64_t j = i; j < m; ++j) ci[j] = 0;
      }
      ++ci[i];
      IncProcStat();
    }
  } else {
    for (int64_t i = 0; i < mn; ++i) IncProcStat();
  }

  // Diagonalisation of the bidiagonal form by implicit shifted QR.
  auto negligible = [&](double x) { return std::fabs(x) + anorm == anorm; };
  bool converged = true;
  for (int64_t k = n - 1; k >= 0; --k) {
    for (int its = 1; its <= 30; ++its) {
      // Split point: l with rv1[l] negligible (rv1[0] is 0), or w[l - 1]
      // negligible, in which case rv1[l] is cancelled first.
      bool cancel = true;
      int64_t l = k;
      for (; l > 0; --l) {
        if (negligible(rv1[l])) {
          cancel = false;
          break;
        }
        if (negligible(w[l - 1])) break;
      }
      if (l == 0) cancel = false;
      if (cancel) {
        const int64_t nm = l - 1;
        double c = 0, s = 1;
        for (int64_t i = l; i <= k; ++i) {
          const double f = s * rv1[i];
          rv1[i] = c * rv1[i];
          if (negligible(f)) break;
          const double gi = w[i];
          double h = Pythag(f, gi);
          w[i] = h;
          h = 1.0 / h;
          c = gi * h;
          s = -f * h;
          if (wantUV) Rotate(Col(a, m, nm), Col(a, m, i), m, c, s);
        }
      }
      double z = w[k];
      if (l == k) {
        if (z < 0) {
          w[k] = -z;
          if (wantUV)
            for (int64_t j = 0; j < n; ++j) v[k * n + j] = -v[k * n + j];
        }
        break;
      }
      if (its == 30) converged = false;
      double x = w[l];
      const int64_t nm = k - 1;
      double y = w[nm];
      double gg = rv1[nm];
      double h = rv1[k];
      double f = ((y - z) * (y + z) + (gg - h) * (gg + h)) / (2.0 * h * y);
      gg = Pythag(f, 1.0);
      f = ((x - z) * (x + z) + h * ((y / (f + WithSignOf(gg, f))) - h)) / x;
      double c = 1, s = 1;
      for (int64_t j = l; j <= nm; ++j) {
        const int64_t i = j + 1;
        gg = rv1[i];
        y = w[i];
        h = s * gg;
        gg = c * gg;
        z = Pythag(f, h);
        rv1[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + gg * s;
        gg = gg * c - x * s;
        h = y * s;
        y *= c;
        if (wantUV) Rotate(Col(v, n, j), Col(v, n, i), n, c, s);
        z = Pythag(f, h);
        w[j] = z;
        if (z != 0) {
          z = 1.0 / z;
          c = f * z;
          s = h * z;
        }
        f = c * gg + s * y;
        x = c * y - s * gg;
        if (wantUV) Rotate(Col(a, m, j), Col(a, m, i), m, c, s);
      }
      rv1[l] = 0;
      rv1[k] = f;
      w[k] = x;
    }
    IncProcStat();
  }
  if (shift != 0)
    for (int64_t i = 0; i < n; ++i) w[i] = std::ldexp(w[i], -shift);
  return converged;
}

}  // namespace nuv::matrix
