#include "nuv/Nuv_filesys.h"

#include "corelib_units.h"

namespace nuv::units {

void Nuv_filesys_Init() {}
void Nuv_filesys_Finalize() {}

}  // namespace nuv::units
