// The corelib library: its load frame and all its units.
#pragma once

#include "nuv/platform/Package.h"
#include "nuv/Nuv_univconst.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_nuvcolors.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_htmlsupport.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/Nuv_cpuid.h"

namespace nuv::corelib {

// Run the unit initialisations in order (Initialize) or the finalisations
// in reverse order (Finalize); each unit acts on the first Initialize and
// on the matching last Finalize only. The library calls both itself when it
// is loaded and unloaded.
void Initialize();
void Finalize();
// The unit count and the initialisation/finalisation entry of each unit.
const TPackageInfoTable& GetPackageInfoTable();

}  // namespace nuv::corelib
