// Statistical distributions and tests: special functions, densities,
// integrals and quantiles, outlier and normality tests, and kernel density
// estimates.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVStatisError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
