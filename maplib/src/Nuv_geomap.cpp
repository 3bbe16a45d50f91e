#include "nuv/Nuv_geomap.h"

#include "maplib_units.h"

namespace nuv::units {

void Nuv_geomap_Init() {}
void Nuv_geomap_Finalize() {}

}  // namespace nuv::units
