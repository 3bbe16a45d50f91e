#include "nuv/Nuv_geodb.h"

#include "maplib_units.h"

namespace nuv::units {

void Nuv_geodb_Init() {}
void Nuv_geodb_Finalize() {}

}  // namespace nuv::units
