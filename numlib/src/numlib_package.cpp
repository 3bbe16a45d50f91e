#include "nuv/numlib.h"

#include "numlib_units.h"

namespace nuv::numlib {

namespace {

const TUnitInfo kUnits[] = {
    {"Nuv_math1", units::Nuv_math1_Init, units::Nuv_math1_Finalize},
    {"Nuv_complex", units::Nuv_complex_Init, units::Nuv_complex_Finalize},
    {"Nuv_vector", units::Nuv_vector_Init, units::Nuv_vector_Finalize},
    {"Nuv_matrix", units::Nuv_matrix_Init, units::Nuv_matrix_Finalize},
    {"Nuv_datatable", units::Nuv_datatable_Init, units::Nuv_datatable_Finalize},
    {"Nuv_statis", units::Nuv_statis_Init, units::Nuv_statis_Finalize},
    {"Nuv_math2", units::Nuv_math2_Init, units::Nuv_math2_Finalize},
    {"Nuv_fourier", units::Nuv_fourier_Init, units::Nuv_fourier_Finalize},
    {"Nuv_wavelet", units::Nuv_wavelet_Init, units::Nuv_wavelet_Finalize},
    {"Nuv_sline", units::Nuv_sline_Init, units::Nuv_sline_Finalize},
    {"Nuv_kohonen", units::Nuv_kohonen_Init, units::Nuv_kohonen_Finalize},
};

int32_t g_initCounts[std::size(kUnits)] = {};

const TPackageInfoTable kTable{"numlib", static_cast<int32_t>(std::size(kUnits)), kUnits, g_initCounts};

// Initialises the units when the library is loaded and finalises them when
// it is unloaded.
const TPackageLoader g_loader(kTable);

}  // namespace

void Initialize() { InitializePackage(kTable); }
void Finalize() { FinalizePackage(kTable); }
const TPackageInfoTable& GetPackageInfoTable() { return kTable; }

}  // namespace nuv::numlib
