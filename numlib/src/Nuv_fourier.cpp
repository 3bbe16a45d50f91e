#include "nuv/Nuv_fourier.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_fourier_Init() {}
void Nuv_fourier_Finalize() {}

}  // namespace nuv::units
