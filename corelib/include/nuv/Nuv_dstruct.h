// Small containers, checksums and encoders: run-length coding, byte
// matrices, bit fields, a byte FIFO, combinations and permutations, CRC-16,
// CRC-32, ASCII85 and SHA-1.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVDStructError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
