// Element data: symbols, names, masses, isotopes, electron configurations,
// radii and CAS numbers of elements 1 to 103.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

}  // namespace nuv
