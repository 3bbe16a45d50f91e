#include "nuv/Nuv_math2.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_math2_Init() {}
void Nuv_math2_Finalize() {}

}  // namespace nuv::units
