// The atlas: several calibrated maps switched by position and resolution.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

}  // namespace nuv
