#include "nuv/Nuv_datatable.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_datatable_Init() {}
void Nuv_datatable_Finalize() {}

}  // namespace nuv::units
