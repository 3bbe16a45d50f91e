// Initialisation and finalisation entries of the numlib units.
#pragma once

namespace nuv::units {

void Nuv_math1_Init();
void Nuv_math1_Finalize();
void Nuv_complex_Init();
void Nuv_complex_Finalize();
void Nuv_vector_Init();
void Nuv_vector_Finalize();
void Nuv_matrix_Init();
void Nuv_matrix_Finalize();
void Nuv_datatable_Init();
void Nuv_datatable_Finalize();
void Nuv_statis_Init();
void Nuv_statis_Finalize();
void Nuv_math2_Init();
void Nuv_math2_Finalize();
void Nuv_fourier_Init();
void Nuv_fourier_Finalize();
void Nuv_wavelet_Init();
void Nuv_wavelet_Finalize();
void Nuv_sline_Init();
void Nuv_sline_Finalize();
void Nuv_kohonen_Init();
void Nuv_kohonen_Finalize();

}  // namespace nuv::units
