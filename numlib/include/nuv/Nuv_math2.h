// Data analysis: curve fitting, smoothing and derivatives, principal
// components, clustering, random numbers from tables, cross-validation and
// plane geometry. CalcFishQ is the statistics unit's (Nuv_statis.h).
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVMath2Error : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv

#include "nuv/Nuv_math2_curvefit.h"
#include "nuv/Nuv_math2_smooth.h"
#include "nuv/Nuv_math2_cluster.h"
