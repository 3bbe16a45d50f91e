#include "nuv/Nuv_geobasics.h"

#include "maplib_units.h"

namespace nuv::units {

void Nuv_geobasics_Init() {}
void Nuv_geobasics_Finalize() {}

}  // namespace nuv::units
