// Tables of measurements: typed columns, nominal identifiers, cell states,
// names and attributes, range statistics, covariance and correlation,
// structure editing and sorting.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVDataTableError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
