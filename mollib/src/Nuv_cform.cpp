#include "nuv/Nuv_cform.h"

#include "mollib_units.h"

namespace nuv::units {

void Nuv_cform_Init() {}
void Nuv_cform_Finalize() {}

}  // namespace nuv::units
