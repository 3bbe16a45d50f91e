// File-system utilities: paths and file names, directories and disks,
// copying with feedback, deletion and the recycle bin, text-file helpers and
// the save dialog.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVFileSysError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
