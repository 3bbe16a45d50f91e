#include "nuv/Nuv_htmlsupport.h"

#include "corelib_units.h"

namespace nuv::units {

void Nuv_htmlsupport_Init() {}
void Nuv_htmlsupport_Finalize() {}

}  // namespace nuv::units
