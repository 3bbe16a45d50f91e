// Dense matrices of doubles and integers in two to four dimensions: element
// access, arithmetic and products, LU decomposition, inversion, norms,
// statistics, sorting and files.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVMatrixError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
