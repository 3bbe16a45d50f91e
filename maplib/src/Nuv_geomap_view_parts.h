// Pieces shared by the view parts of Nuv_geomap (not installed).
#pragma once

#include <cmath>
#include <cstdint>

#include "nuv/Nuv_geomap.h"

namespace nuv::geomap {

// v rounded half to even and saturated to the int32 range; NaN gives 0.
inline int32_t RoundSat(double v) {
  if (!(v == v)) return 0;
  if (v <= -2147483648.0) return INT32_MIN;
  if (v >= 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(std::nearbyint(v));
}

inline int32_t AddSat(int32_t a, int32_t b) {
  const int64_t s = int64_t{a} + b;
  return s < INT32_MIN ? INT32_MIN : s > INT32_MAX ? INT32_MAX : static_cast<int32_t>(s);
}

}  // namespace nuv::geomap

namespace nuv {

// Where a rendering goes: the image pixel at the target's top-left corner,
// target pixels per image pixel, and the target's size.
struct TGeoMap::TView {
  TPoint TopLeft;
  double Mag = 1;
  int32_t Width = 0;
  int32_t Height = 0;

  TPoint ToImage(TPoint P) const {
    return {geomap::AddSat(geomap::RoundSat(P.X / Mag), TopLeft.X),
            geomap::AddSat(geomap::RoundSat(P.Y / Mag), TopLeft.Y)};
  }
  double ControlX(double ImageX) const { return (ImageX - TopLeft.X) * Mag; }
  double ControlY(double ImageY) const { return (ImageY - TopLeft.Y) * Mag; }
  TPoint ToControl(double ImageX, double ImageY) const {
    return {geomap::RoundSat(ControlX(ImageX)), geomap::RoundSat(ControlY(ImageY))};
  }
};

}  // namespace nuv
