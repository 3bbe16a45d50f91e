#include "nuv/Nuv_matrix.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_matrix_Init() {}
void Nuv_matrix_Finalize() {}

}  // namespace nuv::units
