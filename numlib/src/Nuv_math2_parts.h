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

namespace nuv {
class TMatrix;
}

namespace nuv::math2 {

// Thin singular value decomposition A = U·diag(W)·Vᵀ of a Rows × Cols
// matrix, K = min(Rows, Cols) values in descending order; U (Rows × K) and
// V (Cols × K) column-major.
struct TSvd {
  int32_t Rows = 0, Cols = 0, K = 0;
  std::vector<double> U, W, V;
};
// a is the column-major Rows m × Cols n matrix. False without convergence.
bool ThinSvd(std::vector<double> a, int32_t m, int32_t n, TSvd& svd);

// The window of m (loCol..hiCol, loRow..hiRow, valid) as a column-major
// block, and a block stored into m (resized to cols × rows, Changed).
std::vector<double> ColumnBlock(const TMatrix& m, int32_t loCol, int32_t hiCol, int32_t loRow,
                                int32_t hiRow);
void StoreColumns(const std::vector<double>& block, int32_t rows, int32_t cols, TMatrix& m);
bool AllFinite(const std::vector<double>& v);

// Reinsch's smoothing spline through the knots x (strictly ascending, at
// least three): minimises Σ(y - g)² + alpha·∫g''²; g receives the values
// at the knots, gamma the second derivatives (0 at both ends).
void ReinschSmooth(const std::vector<double>& x, const std::vector<double>& y, double alpha,
                   std::vector<double>& g, std::vector<double>& gamma);
// Value at t of the cubic spline with values y and second derivatives m
// at the knots x; beyond the ends the end pieces continue.
double EvalSpline(const std::vector<double>& x, const std::vector<double>& y,
                  const std::vector<double>& m, double t);

}  // namespace nuv::math2
