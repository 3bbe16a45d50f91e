// Linear least squares by blocked Householder QR and a one-sided Jacobi SVD
// of the small triangular factor.
#include <algorithm>
#include <cmath>
#include <limits>

#include "Nuv_math2_parts.h"

namespace nuv::math2 {

TLeastSquares::TLeastSquares(int32_t k)
    : k_(k), block_(static_cast<std::size_t>(k + kBlock) * k, 0.0), rhs_(k + kBlock, 0.0) {}

void TLeastSquares::AddRow(const double* a, double y) {
  const int32_t ld = k_ + kBlock, row = k_ + rows_;
  for (int32_t j = 0; j < k_; ++j) block_[static_cast<std::size_t>(j) * ld + row] = a[j];
  rhs_[row] = y;
  if (++rows_ == kBlock) Flush();
}

// Householder QR of [R; buffered rows]; R and the first k of Qᵀy stay on
// top, the buffer is emptied.
void TLeastSquares::Flush() {
  const int32_t ld = k_ + kBlock, len0 = k_ + rows_;
  for (int32_t j = 0; j < k_; ++j) {
    double* v = block_.data() + static_cast<std::size_t>(j) * ld + j;
    const int32_t len = len0 - j;
    double norm2 = 0;
    for (int32_t i = 0; i < len; ++i) norm2 += v[i] * v[i];
    if (norm2 == 0) continue;
    const double norm = std::sqrt(norm2), alpha = v[0] > 0 ? -norm : norm;
    const double vv = 2 * (norm2 - v[0] * alpha);  // |v - alpha·e1|²
    v[0] -= alpha;
    auto reflect = [&](double* c) {
      double s = 0;
      for (int32_t i = 0; i < len; ++i) s += v[i] * c[i];
      const double f = 2 * s / vv;
      for (int32_t i = 0; i < len; ++i) c[i] -= f * v[i];
    };
    for (int32_t c = j + 1; c < k_; ++c)
      reflect(block_.data() + static_cast<std::size_t>(c) * ld + j);
    reflect(rhs_.data() + j);
    v[0] = alpha;
    std::fill(v + 1, v + len, 0.0);
  }
  rows_ = 0;
}

bool TLeastSquares::Solve(double RelTol, std::vector<double>& b, bool& Singular) {
  Flush();
  const int32_t k = k_, ld = k_ + kBlock;
  Singular = false;
  b.assign(k, 0.0);
  // Columns scaled to unit length (those of R have the lengths of the
  // design's), so that the cut-off does not depend on the units of the
  // unknowns.
  std::vector<double> W(static_cast<std::size_t>(k) * k), scale(k, 1.0);
  for (int32_t j = 0; j < k; ++j) {
    const double* r = block_.data() + static_cast<std::size_t>(j) * ld;
    double length2 = 0;
    for (int32_t i = 0; i < k; ++i) length2 += r[i] * r[i];
    if (length2 > 0) scale[j] = 1 / std::sqrt(length2);
    for (int32_t i = 0; i < k; ++i) W[static_cast<std::size_t>(j) * k + i] = r[i] * scale[j];
  }
  const double* c = rhs_.data();  // Qᵀy
  // One-sided Jacobi: rotate the columns of W = R·V until they are
  // orthogonal; then W = U·S.
  std::vector<double> V(static_cast<std::size_t>(k) * k, 0.0);
  for (int32_t i = 0; i < k; ++i) V[static_cast<std::size_t>(i) * k + i] = 1;
  const double eps = std::numeric_limits<double>::epsilon();
  // Columns that rank deficiency reduces to rounding noise take no part.
  double norm2 = 0;
  for (double w : W) norm2 += w * w;
  const double negligible = eps * eps * norm2;
  bool converged = false;
  for (int sweep = 0; sweep < 30 && !converged; ++sweep) {
    converged = true;
    for (int32_t p = 0; p < k; ++p)
      for (int32_t q = p + 1; q < k; ++q) {
        double* wp = &W[static_cast<std::size_t>(p) * k];
        double* wq = &W[static_cast<std::size_t>(q) * k];
        double alpha = 0, beta = 0, gamma = 0;
        for (int32_t i = 0; i < k; ++i) {
          alpha += wp[i] * wp[i];
          beta += wq[i] * wq[i];
          gamma += wp[i] * wq[i];
        }
        if (alpha <= negligible || beta <= negligible ||
            std::fabs(gamma) <= eps * std::sqrt(alpha * beta))
          continue;
        converged = false;
        const double zeta = (beta - alpha) / (2 * gamma);
        const double t = std::copysign(1.0, zeta) / (std::fabs(zeta) + std::sqrt(1 + zeta * zeta));
        const double c = 1 / std::sqrt(1 + t * t), s = c * t;
        auto rotate = [&](double* a, double* bcol) {
          for (int32_t i = 0; i < k; ++i) {
            const double u = a[i], w = bcol[i];
            a[i] = c * u - s * w;
            bcol[i] = s * u + c * w;
          }
        };
        rotate(wp, wq);
        rotate(&V[static_cast<std::size_t>(p) * k], &V[static_cast<std::size_t>(q) * k]);
      }
  }
  if (!converged) return false;
  std::vector<double> sigma(k);
  for (int32_t j = 0; j < k; ++j) {
    double s = 0;
    for (int32_t i = 0; i < k; ++i)
      s += W[static_cast<std::size_t>(j) * k + i] * W[static_cast<std::size_t>(j) * k + i];
    sigma[j] = std::sqrt(s);
  }
  const double limit = RelTol * *std::max_element(sigma.begin(), sigma.end());
  // b = Σ V_j (U_jᵀ c)/σ_j over the kept values, c = the first k of Qᵀy.
  for (int32_t j = 0; j < k; ++j) {
    if (!(sigma[j] > limit) || sigma[j] == 0) {
      Singular = true;
      continue;
    }
    double uc = 0;
    for (int32_t i = 0; i < k; ++i) uc += W[static_cast<std::size_t>(j) * k + i] * c[i];
    const double f = uc / (sigma[j] * sigma[j]);  // W_j = σ_j·U_j
    for (int32_t i = 0; i < k; ++i) b[i] += f * V[static_cast<std::size_t>(j) * k + i];
  }
  for (int32_t i = 0; i < k; ++i) b[i] *= scale[i];
  return true;
}

}  // namespace nuv::math2
