// Connection tables of molecules: atoms and bonds, molfile and SD files,
// rings, attributes and substructure search.
#pragma once

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

}  // namespace nuv
