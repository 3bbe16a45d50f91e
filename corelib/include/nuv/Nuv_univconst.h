// Mathematical and physical constants, the limits of the number formats and
// the table of ln(n!).
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

}  // namespace nuv
