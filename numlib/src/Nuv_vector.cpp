#include "nuv/Nuv_vector.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_vector_Init() {}
void Nuv_vector_Finalize() {}

}  // namespace nuv::units
