#include "nuv/Nuv_math2.h"

#include "numlib_units.h"

namespace nuv::units {

void Nuv_math2_Init() { AbortMathProc = false; }
void Nuv_math2_Finalize() { RemoveEigenMatrix(); }

}  // namespace nuv::units
