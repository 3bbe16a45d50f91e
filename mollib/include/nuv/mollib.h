// The mollib library: its load frame and all its units.
#pragma once

#include "nuv/platform/Package.h"
#include "nuv/Nuv_cdata.h"
#include "nuv/Nuv_cform.h"
#include "nuv/Nuv_cstruct.h"
#include "nuv/Nuv_chemgrph.h"

namespace nuv::mollib {

// Run the unit initialisations in order (Initialize) or the finalisations
// in reverse order (Finalize); each unit acts on the first Initialize and
// on the matching last Finalize only. The library calls both itself when it
// is loaded and unloaded.
void Initialize();
void Finalize();
// The unit count and the initialisation/finalisation entry of each unit.
const TPackageInfoTable& GetPackageInfoTable();

}  // namespace nuv::mollib
