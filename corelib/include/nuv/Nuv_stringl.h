// Text utilities: fixed-width number text, character classes, stripping and
// padding, searching and counting, words and tokens, line reading, case and
// character-set conversion and a substitution scrambler.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVStringlError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
