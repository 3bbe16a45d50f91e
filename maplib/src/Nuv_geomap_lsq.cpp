// The least-squares solver of the polynomial calibration models: the
// singular value decomposition of the matrix unit, truncated and
// back-substituted.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "Nuv_geomap_parts.h"
#include "Nuv_matrix_parts.h"

namespace nuv::geomap {

namespace {

// The decomposition counts each column in each of its phases; a fit counts
// each column once, reported when the decomposition is done.
class TColumnProgress {
 public:
  explicit TColumnProgress(int32_t columns)
      : columns_(columns), start_(ProcStat), feedback_(std::exchange(MathFeedBackProc, nullptr)) {}
  ~TColumnProgress() {
    ProcStat = start_;
    MathFeedBackProc = std::move(feedback_);
    for (int32_t j = 0; j < columns_; ++j) IncProcStat();
  }
  TColumnProgress(const TColumnProgress&) = delete;
  TColumnProgress& operator=(const TColumnProgress&) = delete;

 private:
  int32_t columns_;
  int32_t start_;
  TMathFeedBackProc feedback_;
};

bool AllFinite(std::span<const double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

bool SolveLeastSquares(std::span<const double> A, int32_t n, int32_t p,
                       std::span<const std::span<const double>> Rhs,
                       std::span<const std::span<double>> Coeffs) {
  for (const std::span<double>& c : Coeffs) std::fill(c.begin(), c.end(), 0.0);
  if (n < 1 || p < 1 || !AllFinite(A)) return false;
  for (const std::span<const double>& y : Rhs)
    if (!AllFinite(y)) return false;
  // Rows of zeros below a short design change neither the least-squares
  // nor the minimum-norm solution; they give the decomposition a tall
  // matrix.
  const int32_t m = std::max(n, p);
  std::vector<double> u(static_cast<std::size_t>(m) * p, 0.0), w(p), v(static_cast<std::size_t>(p) * p);
  for (int32_t j = 0; j < p; ++j)
    std::copy_n(A.data() + static_cast<std::size_t>(j) * n, n, u.data() + static_cast<std::size_t>(j) * m);
  bool converged;
  {
    TColumnProgress progress(p);
    converged = matrix::SingularValueDecomposition(u.data(), m, p, w.data(), v.data());
  }
  if (!converged) return false;
  const double limit = 1e-14 * *std::max_element(w.begin(), w.end());
  for (double& s : w)
    if (s < limit) s = 0;
  std::vector<double> t(p);
  for (std::size_t k = 0; k < Rhs.size() && k < Coeffs.size(); ++k) {
    const std::span<const double> y = Rhs[k];
    for (int32_t j = 0; j < p; ++j) {
      double s = 0;
      if (w[j] != 0) {
        const double* uj = u.data() + static_cast<std::size_t>(j) * m;
        for (int32_t i = 0; i < n; ++i) s += uj[i] * y[i];
        s /= w[j];
      }
      t[j] = s;
    }
    for (int32_t i = 0; i < p; ++i) {
      double s = 0;
      for (int32_t j = 0; j < p; ++j) s += v[static_cast<std::size_t>(j) * p + i] * t[j];
      Coeffs[k][i] = s;
    }
  }
  return true;
}

}  // namespace nuv::geomap
