// Cubic splines shared by the curve fit and the penalised spline.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "Nuv_math2_parts.h"

namespace nuv::math2 {

double EvalSpline(const std::vector<double>& x, const std::vector<double>& y,
                  const std::vector<double>& m, double t) {
  const auto n = static_cast<int32_t>(x.size());
  int32_t i = static_cast<int32_t>(std::upper_bound(x.begin(), x.end(), t) - x.begin()) - 1;
  i = std::clamp(i, 0, n - 2);
  const double h = x[i + 1] - x[i], a = x[i + 1] - t, b = t - x[i];
  return m[i] * a * a * a / (6 * h) + m[i + 1] * b * b * b / (6 * h) +
         (y[i] / h - m[i] * h / 6) * a + (y[i + 1] / h - m[i + 1] * h / 6) * b;
}

void ReinschSmooth(const std::vector<double>& x, const std::vector<double>& y, double alpha,
                   std::vector<double>& g, std::vector<double>& gamma) {
  const auto n = static_cast<int32_t>(x.size()), m = n - 2;
  std::vector<double> h(n - 1);
  for (int32_t i = 0; i < n - 1; ++i) h[i] = x[i + 1] - x[i];
  // Q (n × m) has column j non-zero in rows j, j+1, j+2.
  auto q = [&](int32_t j, int32_t r) {  // r = 0, 1, 2
    return r == 0 ? 1 / h[j] : (r == 1 ? -1 / h[j] - 1 / h[j + 1] : 1 / h[j + 1]);
  };
  // Symmetric band (diagonal, first and second off-diagonal) of R + αQᵀQ.
  std::vector<double> d0(m), d1(m, 0), d2(m, 0), rhs(m);
  for (int32_t j = 0; j < m; ++j) {
    d0[j] =
        (h[j] + h[j + 1]) / 3 + alpha * (q(j, 0) * q(j, 0) + q(j, 1) * q(j, 1) + q(j, 2) * q(j, 2));
    if (j + 1 < m) d1[j] = h[j + 1] / 6 + alpha * (q(j, 1) * q(j + 1, 0) + q(j, 2) * q(j + 1, 1));
    if (j + 2 < m) d2[j] = alpha * q(j, 2) * q(j + 2, 0);
    rhs[j] = q(j, 0) * y[j] + q(j, 1) * y[j + 1] + q(j, 2) * y[j + 2];
  }
  // Banded LDLᵀ of the positive definite pentadiagonal matrix.
  std::vector<double> D(m), L1(m, 0), L2(m, 0);
  for (int32_t j = 0; j < m; ++j) {
    double dj = d0[j];
    if (j >= 1) dj -= L1[j - 1] * L1[j - 1] * D[j - 1];
    if (j >= 2) dj -= L2[j - 2] * L2[j - 2] * D[j - 2];
    D[j] = dj;
    if (j + 1 < m) {
      double v = d1[j];
      if (j >= 1) v -= L1[j - 1] * L2[j - 1] * D[j - 1];
      L1[j] = v / dj;
    }
    if (j + 2 < m) L2[j] = d2[j] / dj;
  }
  std::vector<double> c(m);
  for (int32_t j = 0; j < m; ++j) {
    c[j] = rhs[j] - (j >= 1 ? L1[j - 1] * c[j - 1] : 0) - (j >= 2 ? L2[j - 2] * c[j - 2] : 0);
  }
  for (int32_t j = 0; j < m; ++j) c[j] /= D[j];
  for (int32_t j = m - 1; j >= 0; --j) {
    if (j + 1 < m) c[j] -= L1[j] * c[j + 1];
    if (j + 2 < m) c[j] -= L2[j] * c[j + 2];
  }
  g = y;
  for (int32_t j = 0; j < m; ++j)
    for (int32_t r = 0; r < 3; ++r) g[j + r] -= alpha * q(j, r) * c[j];
  gamma.assign(n, 0);
  for (int32_t j = 0; j < m; ++j) gamma[j + 1] = c[j];
}

}  // namespace nuv::math2
