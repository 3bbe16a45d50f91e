// Kernels shared by the parts of Nuv_math2 (not exported).
#pragma once

#include <cstdint>
#include <vector>

namespace nuv::math2 {

// Linear least squares min |A·b - y| over rows (a, y) fed one at a time
// (k unknowns, k small). The rows are folded block by block into the
// triangular factor R and Qᵀy by Householder reflections, so that no n × k
// design is ever stored; Solve then takes the singular value decomposition
// of R (one-sided Jacobi), whose singular values are those of the design.
class TLeastSquares {
 public:
  explicit TLeastSquares(int32_t k);
  void AddRow(const double* a, double y);
  // The columns are scaled to unit length first; singular values below
  // RelTol times the largest count as zero (Singular is then true). False
  // when the decomposition does not converge within 30 sweeps.
  bool Solve(double RelTol, std::vector<double>& b, bool& Singular);

 private:
  void Flush();

  static constexpr int32_t kBlock = 256;
  int32_t k_, rows_ = 0;
  // Column-major (k + kBlock) × k: R on top, the buffered rows below.
  std::vector<double> block_, rhs_;
};

}  // namespace nuv::math2
