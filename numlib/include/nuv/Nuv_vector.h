// Vectors of doubles and integers with their statistics, distances, sorting,
// histograms, fingerprints and files.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVVectorError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
