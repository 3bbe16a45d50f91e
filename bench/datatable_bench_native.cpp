// Eigen's covariance idiom of datatable_bench, built for this processor.
#include <Eigen/Dense>

#include "native_peers.h"

namespace bench::native {

void EigenCovariance(const double* values, int rows, int cols, double* covariance) {
  const Eigen::Map<const Eigen::MatrixXd> v(values, rows, cols);
  static Eigen::MatrixXd centred;
  centred = v.rowwise() - v.colwise().mean();
  Eigen::Map<Eigen::MatrixXd>(covariance, cols, cols) =
      (centred.adjoint() * centred) / double(rows - 1);
}

}  // namespace bench::native
