#include "nuv/Nuv_dstruct.h"

#include "corelib_units.h"

namespace nuv::units {

void Nuv_dstruct_Init() {}
void Nuv_dstruct_Finalize() {}

}  // namespace nuv::units
