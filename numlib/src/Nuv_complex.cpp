#include "nuv/Nuv_complex.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_complex_Init() {}
void Nuv_complex_Finalize() {}

}  // namespace nuv::units
