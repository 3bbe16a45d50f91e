// Decompositions shared by the source parts of Nuv_matrix (not installed).
// Matrices are column-major blocks of doubles: element (row i, column j),
// both from 0, at a[j·rows + i].
#pragma once

#include <cstdint>

namespace nuv::matrix {

// Crout LU decomposition with implicit partial pivoting of the n × n
// matrix a, in place: the strict lower triangle holds L (unit diagonal),
// the rest U, with L·U = P·A. Rows are scaled by the inverse of their
// largest magnitude; the pivot of column j is the row i >= j of the
// largest scaled magnitude, the last one on ties. pivots[j] receives the
// row exchanged with row j, sign the sign of the permutation. False when a
// row is zero or a pivot is below 1e-100 in magnitude (or NaN; it is then
// taken as 1e-100); the decomposition still completes.
bool CroutLU(double* a, int64_t n, int32_t* pivots, int32_t& sign);

// Singular value decomposition A = U·diag(w)·Vᵀ of the m × n matrix a by
// Householder bidiagonalisation and implicit shifted QR (Golub–Reinsch).
// w receives the n singular values (not sorted, not negative). With v
// given (n × n), a is overwritten by U (m × n) and v receives V; without
// it only w is computed, with the same values. ProcStat advances by one per
// column in each of the four phases. False when a singular value did not
// converge within 30 sweeps (the computation still completes). Matrices
// with elements beyond about 1e120 or below 1e-120 are decomposed scaled by
// a power of two, so that no square overflows or underflows.
bool SingularValueDecomposition(double* a, int64_t m, int64_t n, double* w, double* v);

// √(a² + b²), directly where the squares neither overflow nor underflow,
// scaled otherwise.
double Pythag(double a, double b);

}  // namespace nuv::matrix
