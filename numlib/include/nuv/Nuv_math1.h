// Scalar mathematics and number text: nice step values, angles, bits,
// factorials, primes, fractions, polynomials, random generators, array
// sorting and the number formats of engineering notation, Roman numerals and
// hexadecimal float images.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVMath1Error : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
