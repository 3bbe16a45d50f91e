// Dense kernels of the matrix unit (not installed): the blocked product
// behind Multiply and the LU update, and the vector update of the
// substitutions.
//
// Each element is computed as the plain loop would: its products are
// added in ascending order of the summation index, every product and
// every sum rounded once (no fused multiply-add). Results therefore do not
// depend on the blocking or on the instruction set chosen at run time
// (AVX-512 or AVX2 where the processor has it, SSE2 otherwise).
#pragma once

#include <cstdint>

namespace nuv::matrix {

// C += A·B (or C -= A·B with subtract) for the m × n block C, column-major
// with column distance ldc; A(i, p) = a[i·ars + p·acs] and
// B(p, j) = b[p·brs + j·bcs] for p < k. Raises std::bad_alloc when the
// packing buffers cannot be allocated.
void GemmAcc(int64_t m, int64_t n, int64_t k, const double* a, int64_t ars, int64_t acs,
             const double* b, int64_t brs, int64_t bcs, double* c, int64_t ldc, bool subtract);

// y[i] -= alpha·x[i] for i < n.
void AxpySub(int64_t n, double alpha, const double* x, double* y);

// For tests: true makes the kernels use the portable code even where AVX2
// is available; false returns to the best available.
void UsePortableKernels(bool portable);

}  // namespace nuv::matrix
