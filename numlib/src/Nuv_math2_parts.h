// Kernels shared by the parts of Nuv_math2 (not exported).
#pragma once

#include <cstdint>
#include <vector>

namespace nuv::math2 {

// Least squares min |A·b - y| for a column-major n × k design (k small,
// n >= 1), by Householder QR and the singular value decomposition of R.
// Singular values below RelTol times the largest count as zero (Singular is
// then true). A and y are overwritten. False when the decomposition does not
// converge within 30 sweeps.
bool SolveLeastSquares(std::vector<double>& A, std::vector<double>& y, int32_t n, int32_t k,
                       double RelTol, std::vector<double>& b, bool& Singular);

}  // namespace nuv::math2
