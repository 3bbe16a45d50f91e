#include "Nuv_matrix_kernels.h"

#include <immintrin.h>

#include <algorithm>
#include <vector>

namespace nuv::matrix {

namespace {

// Register tile of the portable and AVX2 products (MR rows by NR columns
// of C), of the AVX-512 product (MR512 by NR512), and the cache blocks: a
// KC × NR slice of B stays in L1, an MC × KC block of A in L2.
constexpr int64_t MR = 8;
constexpr int64_t NR = 6;
constexpr int64_t MR512 = 16;
constexpr int64_t NR512 = 8;
constexpr int64_t KC = 256;
constexpr int64_t MC = 128;
constexpr int64_t NC = 1536;

// ap: kc steps of MR values of A; bp: kc steps of NR values of B; c: the
// MR × NR tile with column distance ldc.
using TKernel = void (*)(int64_t kc, const double* ap, const double* bp, double* c, int64_t ldc);
using TAxpy = void (*)(int64_t n, double alpha, const double* x, double* y);

void KernelGeneric(int64_t kc, const double* ap, const double* bp, double* c, int64_t ldc) {
  double acc[NR][MR];
  for (int64_t j = 0; j < NR; ++j)
    for (int64_t i = 0; i < MR; ++i) acc[j][i] = c[j * ldc + i];
  for (int64_t p = 0; p < kc; ++p, ap += MR, bp += NR)
    for (int64_t j = 0; j < NR; ++j)
      for (int64_t i = 0; i < MR; ++i) acc[j][i] += ap[i] * bp[j];
  for (int64_t j = 0; j < NR; ++j)
    for (int64_t i = 0; i < MR; ++i) c[j * ldc + i] = acc[j][i];
}

// Multiply and add stay separate instructions: the target enables AVX2
// but not FMA, so the compiler cannot fuse them.
__attribute__((target("avx2"))) void KernelAvx2(int64_t kc, const double* ap, const double* bp,
                                                double* c, int64_t ldc) {
  __m256d lo[NR], hi[NR];
  for (int64_t j = 0; j < NR; ++j) {
    lo[j] = _mm256_loadu_pd(c + j * ldc);
    hi[j] = _mm256_loadu_pd(c + j * ldc + 4);
  }
  for (int64_t p = 0; p < kc; ++p, ap += MR, bp += NR) {
    const __m256d a0 = _mm256_loadu_pd(ap), a1 = _mm256_loadu_pd(ap + 4);
    for (int64_t j = 0; j < NR; ++j) {
      const __m256d b = _mm256_broadcast_sd(bp + j);
      lo[j] = _mm256_add_pd(lo[j], _mm256_mul_pd(a0, b));
      hi[j] = _mm256_add_pd(hi[j], _mm256_mul_pd(a1, b));
    }
  }
  for (int64_t j = 0; j < NR; ++j) {
    _mm256_storeu_pd(c + j * ldc, lo[j]);
    _mm256_storeu_pd(c + j * ldc + 4, hi[j]);
  }
}

// Sixteen rows in two 512-bit vectors; the 32 registers hold all sixteen
// accumulators besides the products. No FMA here either.
__attribute__((target("avx512f"))) void KernelAvx512(int64_t kc, const double* ap, const double* bp,
                                                     double* c, int64_t ldc) {
  __m512d lo[NR512], hi[NR512];
  for (int64_t j = 0; j < NR512; ++j) {
    lo[j] = _mm512_loadu_pd(c + j * ldc);
    hi[j] = _mm512_loadu_pd(c + j * ldc + 8);
  }
  for (int64_t p = 0; p < kc; ++p, ap += MR512, bp += NR512) {
    const __m512d a0 = _mm512_loadu_pd(ap), a1 = _mm512_loadu_pd(ap + 8);
    for (int64_t j = 0; j < NR512; ++j) {
      const __m512d b = _mm512_set1_pd(bp[j]);
      lo[j] = _mm512_add_pd(lo[j], _mm512_mul_pd(a0, b));
      hi[j] = _mm512_add_pd(hi[j], _mm512_mul_pd(a1, b));
    }
  }
  for (int64_t j = 0; j < NR512; ++j) {
    _mm512_storeu_pd(c + j * ldc, lo[j]);
    _mm512_storeu_pd(c + j * ldc + 8, hi[j]);
  }
}

void AxpyGeneric(int64_t n, double alpha, const double* x, double* y) {
  for (int64_t i = 0; i < n; ++i) y[i] -= alpha * x[i];
}

__attribute__((target("avx2"))) void AxpyAvx2(int64_t n, double alpha, const double* x, double* y) {
  const __m256d a = _mm256_set1_pd(alpha);
  int64_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256d y0 =
        _mm256_sub_pd(_mm256_loadu_pd(y + i), _mm256_mul_pd(a, _mm256_loadu_pd(x + i)));
    const __m256d y1 =
        _mm256_sub_pd(_mm256_loadu_pd(y + i + 4), _mm256_mul_pd(a, _mm256_loadu_pd(x + i + 4)));
    _mm256_storeu_pd(y + i, y0);
    _mm256_storeu_pd(y + i + 4, y1);
  }
  for (; i < n; ++i) y[i] -= alpha * x[i];
}

// The product kernel with its register tile.
struct TKernels {
  TKernel product;
  int64_t mr, nr;
  TAxpy axpy;
};

TKernels Select(bool portable) {
  __builtin_cpu_init();
  if (portable) return {KernelGeneric, MR, NR, AxpyGeneric};
  if (__builtin_cpu_supports("avx512f")) return {KernelAvx512, MR512, NR512, AxpyAvx2};
  if (__builtin_cpu_supports("avx2")) return {KernelAvx2, MR, NR, AxpyAvx2};
  return {KernelGeneric, MR, NR, AxpyGeneric};
}

TKernels& Kernels() {
  static TKernels kernels = Select(false);
  return kernels;
}

// mr-row panels of the mc × kc block of A, zero-padded, negated for a
// subtraction (exact, so c + (-a)·b equals c - a·b).
void PackA(int64_t mr, int64_t mc, int64_t kc, const double* a, int64_t ars, int64_t acs,
           bool negate, double* ap) {
  const double sign = negate ? -1.0 : 1.0;
  for (int64_t ir = 0; ir < mc; ir += mr) {
    const int64_t rows = std::min(mr, mc - ir);
    for (int64_t p = 0; p < kc; ++p, ap += mr) {
      const double* col = a + ir * ars + p * acs;
      int64_t i = 0;
      for (; i < rows; ++i) ap[i] = sign * col[i * ars];
      for (; i < mr; ++i) ap[i] = 0;
    }
  }
}

// nr-column panels of the kc × nc block of B, zero-padded.
void PackB(int64_t nr, int64_t kc, int64_t nc, const double* b, int64_t brs, int64_t bcs,
           double* bp) {
  for (int64_t jr = 0; jr < nc; jr += nr) {
    const int64_t cols = std::min(nr, nc - jr);
    for (int64_t p = 0; p < kc; ++p, bp += nr) {
      const double* row = b + p * brs + jr * bcs;
      int64_t j = 0;
      for (; j < cols; ++j) bp[j] = row[j * bcs];
      for (; j < nr; ++j) bp[j] = 0;
    }
  }
}

void MacroKernel(const TKernels& k, int64_t mc, int64_t nc, int64_t kc, const double* ap,
                 const double* bp, double* c, int64_t ldc) {
  for (int64_t jr = 0; jr < nc; jr += k.nr) {
    const int64_t cols = std::min(k.nr, nc - jr);
    for (int64_t ir = 0; ir < mc; ir += k.mr) {
      const int64_t rows = std::min(k.mr, mc - ir);
      double* tile = c + jr * ldc + ir;
      const double* a = ap + ir * kc;
      const double* b = bp + jr * kc;
      if (rows == k.mr && cols == k.nr) {
        k.product(kc, a, b, tile, ldc);
        continue;
      }
      // An edge tile goes through a full-size copy.
      double edge[std::max(NR * MR, NR512 * MR512)] = {};
      for (int64_t j = 0; j < cols; ++j) std::copy_n(tile + j * ldc, rows, edge + j * k.mr);
      k.product(kc, a, b, edge, k.mr);
      for (int64_t j = 0; j < cols; ++j) std::copy_n(edge + j * k.mr, rows, tile + j * ldc);
    }
  }
}

}  // namespace

void GemmAcc(int64_t m, int64_t n, int64_t k, const double* a, int64_t ars, int64_t acs,
             const double* b, int64_t brs, int64_t bcs, double* c, int64_t ldc, bool subtract) {
  if (m <= 0 || n <= 0 || k <= 0) return;
  const TKernels kernels = Kernels();
  const int64_t kcMax = std::min(KC, k);
  const int64_t mcMax = std::min(MC, (m + kernels.mr - 1) / kernels.mr * kernels.mr);
  const int64_t ncMax = std::min(NC, (n + kernels.nr - 1) / kernels.nr * kernels.nr);
  std::vector<double> apack(static_cast<std::size_t>(mcMax * kcMax));
  std::vector<double> bpack(static_cast<std::size_t>(kcMax * ncMax));
  for (int64_t jc = 0; jc < n; jc += NC) {
    const int64_t nc = std::min(NC, n - jc);
    // Ascending blocks of the summation index keep each element's order.
    for (int64_t pc = 0; pc < k; pc += KC) {
      const int64_t kc = std::min(KC, k - pc);
      PackB(kernels.nr, kc, nc, b + pc * brs + jc * bcs, brs, bcs, bpack.data());
      for (int64_t ic = 0; ic < m; ic += MC) {
        const int64_t mc = std::min(MC, m - ic);
        PackA(kernels.mr, mc, kc, a + ic * ars + pc * acs, ars, acs, subtract, apack.data());
        MacroKernel(kernels, mc, nc, kc, apack.data(), bpack.data(), c + jc * ldc + ic, ldc);
      }
    }
  }
}

void AxpySub(int64_t n, double alpha, const double* x, double* y) {
  if (n > 0) Kernels().axpy(n, alpha, x, y);
}

void UsePortableKernels(bool portable) { Kernels() = Select(portable); }

}  // namespace nuv::matrix
