#include "nuv/Nuv_statis.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_statis_Init() {}
void Nuv_statis_Finalize() {}

}  // namespace nuv::units
