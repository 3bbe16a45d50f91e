// Boost.Math and Eigen's fit of statis_bench, built for this processor.
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>

#include "native_peers.h"
#include "statis_peers.h"

namespace bench::native {

namespace bm = boost::math;

double BoostNormalCdf(double x) { return bm::cdf(bm::normal(), x); }
double BoostStudentsTCdf(double x, double df) { return bm::cdf(bm::students_t(df), x); }
double BoostChiSquaredQuantile(double p, double df) { return bm::quantile(bm::chi_squared(df), p); }
double BoostFisherFQuantile(double p, double df1, double df2) {
  return bm::quantile(bm::fisher_f(df1, df2), p);
}

double EigenPolyFit(const double* x, const double* y, std::size_t n, int degree, double* coeffs) {
  return peers::PolyFitQR(x, y, n, degree, coeffs);
}

}  // namespace bench::native
