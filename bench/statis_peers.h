// The least-squares polynomial as an Eigen program fitting many data sets
// would write it, shared by the baseline and the native build of
// statis_bench: the design matrix is kept between calls and decomposed in
// place by Householder QR.
#pragma once

#include <Eigen/Dense>
#include <cstddef>

namespace bench::peers {

// Coefficients (constant first) into coeffs[0..degree]; returns the
// coefficient of determination 1 - SSres/SStot.
inline double PolyFitQR(const double* xs, const double* ys, std::size_t count, int degree,
                        double* coeffs) {
  const auto n = static_cast<Eigen::Index>(count);
  static Eigen::MatrixXd a;
  a.resize(n, degree + 1);
  const Eigen::Map<const Eigen::VectorXd> x(xs, n), y(ys, n);
  a.col(0).setOnes();
  for (int j = 1; j <= degree; ++j) a.col(j) = a.col(j - 1).cwiseProduct(x);
  const double ssTot = (y.array() - y.mean()).square().sum();
  Eigen::HouseholderQR<Eigen::Ref<Eigen::MatrixXd>> qr(a);
  Eigen::Map<Eigen::VectorXd>(coeffs, degree + 1) = qr.solve(y);
  // The residual norm is that of the part of Qᵀy beyond the coefficients.
  Eigen::VectorXd qty = y;
  qty.applyOnTheLeft(qr.householderQ().adjoint());
  const double ssRes = qty.tail(n - degree - 1).squaredNorm();
  return 1 - ssRes / ssTot;
}

}  // namespace bench::peers
