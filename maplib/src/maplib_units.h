// Initialisation and finalisation entries of the maplib units.
#pragma once

namespace nuv::units {

void Nuv_geobasics_Init();
void Nuv_geobasics_Finalize();
void Nuv_geodb_Init();
void Nuv_geodb_Finalize();
void Nuv_geomap_Init();
void Nuv_geomap_Finalize();
void Nuv_geoatlas_Init();
void Nuv_geoatlas_Finalize();

}  // namespace nuv::units
