// Processor information: vendor, signature, feature flags, brand name,
// processor count and clock speed.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVCpuIdError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
