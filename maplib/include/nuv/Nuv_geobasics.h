// Geodetic basics: reference ellipsoids, datums, geographic, geocentric,
// transverse Mercator, UTM and UPS conversions and the country table.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVGeoBasicsError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
