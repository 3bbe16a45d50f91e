#include "nuv/Nuv_sline.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_sline_Init() {}
void Nuv_sline_Finalize() {}

}  // namespace nuv::units
