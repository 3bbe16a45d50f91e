#include "nuv/Nuv_univconst.h"

#include "corelib_units.h"

namespace nuv::units {

void Nuv_univconst_Init() {}
void Nuv_univconst_Finalize() {}

}  // namespace nuv::units
