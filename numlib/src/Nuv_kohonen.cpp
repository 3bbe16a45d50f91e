#include "nuv/Nuv_kohonen.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_kohonen_Init() {}
void Nuv_kohonen_Finalize() {}

}  // namespace nuv::units
