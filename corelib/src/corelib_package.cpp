#include "nuv/corelib.h"

#include "corelib_units.h"

namespace nuv::corelib {

namespace {

const TUnitInfo kUnits[] = {
    {"Nuv_univconst", units::Nuv_univconst_Init, units::Nuv_univconst_Finalize},
    {"Nuv_nuvbase", units::Nuv_nuvbase_Init, units::Nuv_nuvbase_Finalize},
    {"Nuv_stringl", units::Nuv_stringl_Init, units::Nuv_stringl_Finalize},
    {"Nuv_dstruct", units::Nuv_dstruct_Init, units::Nuv_dstruct_Finalize},
    {"Nuv_nuvcolors", units::Nuv_nuvcolors_Init, units::Nuv_nuvcolors_Finalize},
    {"Nuv_streams", units::Nuv_streams_Init, units::Nuv_streams_Finalize},
    {"Nuv_htmlsupport", units::Nuv_htmlsupport_Init, units::Nuv_htmlsupport_Finalize},
    {"Nuv_filesys", units::Nuv_filesys_Init, units::Nuv_filesys_Finalize},
    {"Nuv_cpuid", units::Nuv_cpuid_Init, units::Nuv_cpuid_Finalize},
};

int32_t g_initCounts[std::size(kUnits)] = {};

const TPackageInfoTable kTable{"corelib", static_cast<int32_t>(std::size(kUnits)), kUnits, g_initCounts};

// Initialises the units when the library is loaded and finalises them when
// it is unloaded.
const TPackageLoader g_loader(kTable);

}  // namespace

void Initialize() { InitializePackage(kTable); }
void Finalize() { FinalizePackage(kTable); }
const TPackageInfoTable& GetPackageInfoTable() { return kTable; }

}  // namespace nuv::corelib
