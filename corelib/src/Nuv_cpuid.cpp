#include "nuv/Nuv_cpuid.h"

#include "corelib_units.h"

namespace nuv::units {

void Nuv_cpuid_Init() {}
void Nuv_cpuid_Finalize() {}

}  // namespace nuv::units
