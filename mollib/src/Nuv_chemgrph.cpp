#include "nuv/Nuv_chemgrph.h"

#include "mollib_units.h"

namespace nuv::units {

void Nuv_chemgrph_Init() {}
void Nuv_chemgrph_Finalize() {}

}  // namespace nuv::units
