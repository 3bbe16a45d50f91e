// The numlib library: its load frame and all its units.
#pragma once

#include "nuv/platform/Package.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_complex.h"
#include "nuv/Nuv_vector.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_statis.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_fourier.h"
#include "nuv/Nuv_wavelet.h"
#include "nuv/Nuv_sline.h"
#include "nuv/Nuv_kohonen.h"

namespace nuv::numlib {

// Run the unit initialisations in order (Initialize) or the finalisations
// in reverse order (Finalize); each unit acts on the first Initialize and
// on the matching last Finalize only. The library calls both itself when it
// is loaded and unloaded.
void Initialize();
void Finalize();
// The unit count and the initialisation/finalisation entry of each unit.
const TPackageInfoTable& GetPackageInfoTable();

}  // namespace nuv::numlib
