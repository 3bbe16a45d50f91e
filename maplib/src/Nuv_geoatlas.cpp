#include "nuv/Nuv_geoatlas.h"

#include "maplib_units.h"

namespace nuv::units {

void Nuv_geoatlas_Init() {}
void Nuv_geoatlas_Finalize() {}

}  // namespace nuv::units
