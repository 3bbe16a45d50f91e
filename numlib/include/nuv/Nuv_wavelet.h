// Daubechies wavelet transforms of power-of-two lengths.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVWaveletError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
