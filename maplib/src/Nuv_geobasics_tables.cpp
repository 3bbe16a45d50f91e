// The generated country and datum tables; tools/gen/geobasics_tables.py
// rebuilds them from their named sources.
#include "Nuv_geobasics_tables.h"

namespace nuv {

constinit const std::array<TCountryRecord, CountryCount> CountryData{{
#include "Nuv_geobasics_countries.inc"
}};

constinit const std::array<TDatumRecord, DatumCount> DatumData{{
#include "Nuv_geobasics_datums.inc"
}};

}  // namespace nuv
