#include "nuv/Nuv_nuvcolors.h"

#include "corelib_units.h"

namespace nuv::units {

void Nuv_nuvcolors_Init() {}
void Nuv_nuvcolors_Finalize() {}

}  // namespace nuv::units
