// Complex numbers and their arithmetic.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVComplexError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
