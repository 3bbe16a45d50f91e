// Eigen's dense operations of matrix_bench, built for this processor.
#include <Eigen/Dense>
#include <Eigen/SVD>

#include "native_peers.h"

namespace bench::native {

namespace {

using Eigen::MatrixXd;
using TConstMap = Eigen::Map<const MatrixXd>;

}  // namespace

void EigenMultiply(const double* a, const double* b, double* c, int n) {
  Eigen::Map<MatrixXd>(c, n, n).noalias() = TConstMap(a, n, n) * TConstMap(b, n, n);
}

void EigenInverse(const double* a, double* inverse, int n) {
  Eigen::Map<MatrixXd>(inverse, n, n) = TConstMap(a, n, n).partialPivLu().inverse();
}

double EigenDeterminant(const double* a, int n) { return TConstMap(a, n, n).determinant(); }

double EigenSpectralNorm(const double* a, int n) {
  return Eigen::JacobiSVD<MatrixXd>(TConstMap(a, n, n)).singularValues()(0);
}

}  // namespace bench::native
