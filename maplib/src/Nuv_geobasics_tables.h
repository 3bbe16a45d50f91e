// The datum table of Nuv_geobasics, which only HelmertTransform reads.
#pragma once

#include <array>

#include "nuv/Nuv_geobasics.h"

namespace nuv {

// Datum number n is DatumData[n - 1].
extern const std::array<TDatumRecord, DatumCount> DatumData;

}  // namespace nuv
