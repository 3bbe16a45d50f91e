// Matrices of doubles and integers in two to four dimensions: element
// access, arithmetic and products, LU decomposition, inversion, norms,
// statistics, sorting and files (text, stream, binary, sparse and XML,
// described in docs/MATRIX_FILES.md); the integer matrix also in sparse
// form.
//
// The unit is split into part headers included here; each part states its
// own contract.
#pragma once

#include "nuv/Nuv_matrix_core.h"
#include "nuv/Nuv_matrix_int.h"
#include "nuv/Nuv_matrix_3d4d.h"
