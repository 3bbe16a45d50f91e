// Comparison of computed values with references by relative error.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

namespace nuv::testing {

// got equals want to within the relative tolerance tol; equal values pass
// (also infinities and zero), NaN never does.
inline ::testing::AssertionResult Rel(double got, double want, double tol) {
  if (got == want) return ::testing::AssertionSuccess();
  const double err = std::fabs(got - want) / std::fabs(want);
  if (err <= tol) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << got << " want " << want << " rel.err " << err;
}

}  // namespace nuv::testing
