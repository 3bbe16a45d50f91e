#include "nuv/Nuv_stringl.h"

#include "corelib_units.h"

namespace nuv::units {

void Nuv_stringl_Init() {}
void Nuv_stringl_Finalize() {}

}  // namespace nuv::units
