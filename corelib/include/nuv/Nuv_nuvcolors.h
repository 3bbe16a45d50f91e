// Colours: interpolation, colour-space conversions, wavelength colours and
// colour arrays with their palette files.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVColArrayError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
