#include "nuv/Nuv_wavelet.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_wavelet_Init() {}
void Nuv_wavelet_Finalize() {}

}  // namespace nuv::units
