#include "nuv/Nuv_cstruct.h"

#include "mollib_units.h"

namespace nuv::units {

void Nuv_cstruct_Init() {}
void Nuv_cstruct_Finalize() {}

}  // namespace nuv::units
