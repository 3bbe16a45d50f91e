#include "nuv/maplib.h"

#include "maplib_units.h"

namespace nuv::maplib {

namespace {

const TUnitInfo kUnits[] = {
    {"Nuv_geobasics", units::Nuv_geobasics_Init, units::Nuv_geobasics_Finalize},
    {"Nuv_geodb", units::Nuv_geodb_Init, units::Nuv_geodb_Finalize},
    {"Nuv_geomap", units::Nuv_geomap_Init, units::Nuv_geomap_Finalize},
    {"Nuv_geoatlas", units::Nuv_geoatlas_Init, units::Nuv_geoatlas_Finalize},
};

int32_t g_initCounts[std::size(kUnits)] = {};

const TPackageInfoTable kTable{"maplib", static_cast<int32_t>(std::size(kUnits)), kUnits, g_initCounts};

// Initialises the units when the library is loaded and finalises them when
// it is unloaded.
const TPackageLoader g_loader(kTable);

}  // namespace

void Initialize() { InitializePackage(kTable); }
void Finalize() { FinalizePackage(kTable); }
const TPackageInfoTable& GetPackageInfoTable() { return kTable; }

}  // namespace nuv::maplib
