// Molecular formulae with isotope labels: parsing, text, masses and the
// search for formulae of a given mass.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

}  // namespace nuv
