#include "nuv/Nuv_streams.h"

#include "corelib_units.h"

namespace nuv::units {

void Nuv_streams_Init() {}
void Nuv_streams_Finalize() {}

}  // namespace nuv::units
