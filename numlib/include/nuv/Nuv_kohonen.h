// Self-organising (Kohonen) maps: training and application.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

}  // namespace nuv
