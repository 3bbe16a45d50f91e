// Straight lines in the plane: construction, distances, intersections,
// angles and clipping.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVSLineError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace nuv
