// The peers built for this processor (-O3 -march=native): each benchmark
// program links a shared library of its own, <program>_native, that
// defines its part of these functions. Only they are exported; the
// peer's template instances inside stay hidden, so the baseline build of
// the same templates in the program is untouched. Matrices are square,
// column-major, n × n.
#pragma once

#include <cstddef>

#define BENCH_NATIVE_API __attribute__((visibility("default")))

namespace bench::native {

// matrix_bench: Eigen's product, PartialPivLU inverse and determinant,
// and the largest singular value by JacobiSVD.
BENCH_NATIVE_API void EigenMultiply(const double* a, const double* b, double* c, int n);
BENCH_NATIVE_API void EigenInverse(const double* a, double* inverse, int n);
BENCH_NATIVE_API double EigenDeterminant(const double* a, int n);
BENCH_NATIVE_API double EigenSpectralNorm(const double* a, int n);

// statis_bench: Boost.Math with the default policy, and the least-squares
// polynomial of the given degree by Householder QR (coefficients constant
// first, fit quality 1 - SSres/SStot returned), as the baseline program
// computes them.
BENCH_NATIVE_API double BoostNormalCdf(double x);
BENCH_NATIVE_API double BoostStudentsTCdf(double x, double df);
BENCH_NATIVE_API double BoostChiSquaredQuantile(double p, double df);
BENCH_NATIVE_API double BoostFisherFQuantile(double p, double df1, double df2);
BENCH_NATIVE_API double EigenPolyFit(const double* x, const double* y, std::size_t n, int degree,
                                     double* coeffs);

// datatable_bench: the covariance of the columns of a rows × cols matrix
// into cols × cols, by the centred product.
BENCH_NATIVE_API void EigenCovariance(const double* values, int rows, int cols, double* covariance);

}  // namespace bench::native
