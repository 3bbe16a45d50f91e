// Fast Fourier transforms of power-of-two lengths with windows and spectrum
// queries.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVFourierError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
