// Calibrated maps: calibration models and the map view control with
// graticules, zoom, pan and landmarks.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVGeoMapError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
