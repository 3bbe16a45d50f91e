#include "nuv/Nuv_cdata.h"

#include "mollib_units.h"

namespace nuv::units {

void Nuv_cdata_Init() {}
void Nuv_cdata_Finalize() {}

}  // namespace nuv::units
