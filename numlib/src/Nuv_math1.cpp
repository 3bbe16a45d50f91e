#include "nuv/Nuv_math1.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_math1_Init() {}
void Nuv_math1_Finalize() {}

}  // namespace nuv::units
