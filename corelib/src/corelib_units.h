// Initialisation and finalisation entries of the corelib units.
#pragma once

namespace nuv::units {

void Nuv_univconst_Init();
void Nuv_univconst_Finalize();
void Nuv_nuvbase_Init();
void Nuv_nuvbase_Finalize();
void Nuv_stringl_Init();
void Nuv_stringl_Finalize();
void Nuv_dstruct_Init();
void Nuv_dstruct_Finalize();
void Nuv_nuvcolors_Init();
void Nuv_nuvcolors_Finalize();
void Nuv_streams_Init();
void Nuv_streams_Finalize();
void Nuv_htmlsupport_Init();
void Nuv_htmlsupport_Finalize();
void Nuv_filesys_Init();
void Nuv_filesys_Finalize();
void Nuv_cpuid_Init();
void Nuv_cpuid_Finalize();

}  // namespace nuv::units
