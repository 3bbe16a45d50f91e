#include "nuv/Nuv_univconst.h"

#include "corelib_units.h"

namespace nuv {

const TRangeArray<double, 0, 1000> uc_LnFactorial{{
#include "Nuv_univconst_lnfact.inc"
}};

namespace units {

void Nuv_univconst_Init() {}
void Nuv_univconst_Finalize() {}

}  // namespace units

}  // namespace nuv
