#include "nuv/mollib.h"

#include "mollib_units.h"

namespace nuv::mollib {

namespace {

const TUnitInfo kUnits[] = {
    {"Nuv_cdata", units::Nuv_cdata_Init, units::Nuv_cdata_Finalize},
    {"Nuv_cform", units::Nuv_cform_Init, units::Nuv_cform_Finalize},
    {"Nuv_cstruct", units::Nuv_cstruct_Init, units::Nuv_cstruct_Finalize},
    {"Nuv_chemgrph", units::Nuv_chemgrph_Init, units::Nuv_chemgrph_Finalize},
};

int32_t g_initCounts[std::size(kUnits)] = {};

const TPackageInfoTable kTable{"mollib", static_cast<int32_t>(std::size(kUnits)), kUnits, g_initCounts};

// Initialises the units when the library is loaded and finalises them when
// it is unloaded.
const TPackageLoader g_loader(kTable);

}  // namespace

void Initialize() { InitializePackage(kTable); }
void Finalize() { FinalizePackage(kTable); }
const TPackageInfoTable& GetPackageInfoTable() { return kTable; }

}  // namespace nuv::mollib
