// Initialisation and finalisation entries of the mollib units.
#pragma once

namespace nuv::units {

void Nuv_cdata_Init();
void Nuv_cdata_Finalize();
void Nuv_cform_Init();
void Nuv_cform_Finalize();
void Nuv_cstruct_Init();
void Nuv_cstruct_Finalize();
void Nuv_chemgrph_Init();
void Nuv_chemgrph_Finalize();

}  // namespace nuv::units
