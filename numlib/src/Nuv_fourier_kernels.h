// Kernels of the Fourier unit (not installed): the twiddle table and the
// in-place transform of n interleaved complex doubles, n a power of two.
//
// The transform is the radix-2 decimation in time after a bit-reversal
// permutation, with pairs of stages fused into radix-4 passes and the
// small stages run block by block while the block stays in cache. The
// twiddle factors are correctly rounded table values, not a recurrence,
// so the error against the exact transform grows only with log n.
#pragma once

#include <cstdint>

namespace nuv::fourier {

// Doubles the twiddle table of n points takes (2·n).
int64_t TwiddleDoubles(int32_t n);
// Fills the table: stage h (1, 2, 4, …, n/2) keeps exp(+πi·j/h) for j < h
// at complex index h + j.
void BuildTwiddles(int32_t n, double* twiddles);

// X_k = Σ x_j·exp(±2πi·jk/n) in place, + for forward, − for inverse;
// unscaled both ways.
void Transform(double* data, int32_t n, const double* twiddles, bool inverse);

// For tests and benchmarks: true makes the transform use the portable
// code even where AVX2 and FMA are available; false returns to the best.
void UsePortableKernels(bool portable);

}  // namespace nuv::fourier
