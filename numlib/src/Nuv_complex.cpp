#include "nuv/Nuv_complex.h"

#include "numlib_units.h"

namespace nuv {

long double CpxNearZero = 1e-15L;

}  // namespace nuv

namespace nuv::units {

void Nuv_complex_Init() { CpxNearZero = 1e-15L; }
void Nuv_complex_Finalize() {}

}  // namespace nuv::units
