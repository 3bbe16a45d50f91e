// The dense integer product behind TIntMatrix::Multiply and
// TransposeAndMultiply. Arithmetic modulo 2^32 is associative, so the
// blocking and the instruction set (AVX2 where the processor has it, the
// portable loops otherwise) never change a result.
#include <immintrin.h>

#include <algorithm>
#include <vector>

#include "Nuv_matrix_int_parts.h"

namespace nuv::matrix {

namespace {

// Register tile of C (TileRows × TileCols) and the depth of one pass.
constexpr int64_t TileRows = 24;
constexpr int64_t TileCols = 4;
constexpr int64_t Depth = 256;

// ap: kc steps of TileRows values of A; B(p, j) = b[p + j·ldb]; c: the
// tile with column distance ldc, of which rows × cols are written.
using TTile = void (*)(int64_t kc, const uint32_t* ap, const uint32_t* b, int64_t ldb, uint32_t* c,
                       int64_t ldc, int64_t rows, int64_t cols);

void TilePortable(int64_t kc, const uint32_t* ap, const uint32_t* b, int64_t ldb, uint32_t* c,
                  int64_t ldc, int64_t rows, int64_t cols) {
  for (int64_t j = 0; j < cols; ++j) {
    uint32_t acc[TileRows] = {};
    const uint32_t* bj = b + j * ldb;
    for (int64_t p = 0; p < kc; ++p)
      for (int64_t i = 0; i < TileRows; ++i) acc[i] += ap[p * TileRows + i] * bj[p];
    for (int64_t i = 0; i < rows; ++i) c[j * ldc + i] += acc[i];
  }
}

__attribute__((target("avx2"))) void TileAvx2(int64_t kc, const uint32_t* ap, const uint32_t* b,
                                              int64_t ldb, uint32_t* c, int64_t ldc, int64_t rows,
                                              int64_t cols) {
  if (rows != TileRows || cols != TileCols) {
    TilePortable(kc, ap, b, ldb, c, ldc, rows, cols);
    return;
  }
  __m256i acc[3][TileCols];
  for (auto& column : acc)
    for (__m256i& v : column) v = _mm256_setzero_si256();
  for (int64_t p = 0; p < kc; ++p, ap += TileRows) {
    const __m256i a0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ap));
    const __m256i a1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ap + 8));
    const __m256i a2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ap + 16));
    for (int64_t j = 0; j < TileCols; ++j) {
      const __m256i bj = _mm256_set1_epi32(static_cast<int>(b[j * ldb + p]));
      acc[0][j] = _mm256_add_epi32(acc[0][j], _mm256_mullo_epi32(a0, bj));
      acc[1][j] = _mm256_add_epi32(acc[1][j], _mm256_mullo_epi32(a1, bj));
      acc[2][j] = _mm256_add_epi32(acc[2][j], _mm256_mullo_epi32(a2, bj));
    }
  }
  for (int64_t j = 0; j < TileCols; ++j)
    for (int64_t s = 0; s < 3; ++s) {
      auto* out = reinterpret_cast<__m256i*>(c + j * ldc + 8 * s);
      _mm256_storeu_si256(out, _mm256_add_epi32(_mm256_loadu_si256(out), acc[s][j]));
    }
}

TTile Select(bool portable) {
  __builtin_cpu_init();
  return !portable && __builtin_cpu_supports("avx2") ? TileAvx2 : TilePortable;
}

TTile& Tile() {
  static TTile tile = Select(false);
  return tile;
}

}  // namespace

void IntGemmAcc(int64_t m, int64_t n, int64_t k, const int32_t* a, int64_t ars, int64_t acs,
                const int32_t* b, int64_t ldb, int32_t* c, int64_t ldc) {
  if (m <= 0 || n <= 0 || k <= 0) return;
  const TTile tile = Tile();
  const int64_t panels = (m + TileRows - 1) / TileRows;
  const int64_t depth = std::min(Depth, k);
  std::vector<uint32_t> packed(static_cast<std::size_t>(panels * TileRows * depth));
  const auto* bu = reinterpret_cast<const uint32_t*>(b);
  auto* cu = reinterpret_cast<uint32_t*>(c);
  for (int64_t p0 = 0; p0 < k; p0 += Depth) {
    const int64_t kc = std::min(Depth, k - p0);
    // A's rows in panels of TileRows, each step of p adjacent, zero-padded.
    uint32_t* out = packed.data();
    for (int64_t i0 = 0; i0 < m; i0 += TileRows)
      for (int64_t p = p0; p < p0 + kc; ++p)
        for (int64_t i = i0; i < i0 + TileRows; ++i)
          *out++ = i < m ? static_cast<uint32_t>(a[i * ars + p * acs]) : 0;
    for (int64_t j0 = 0; j0 < n; j0 += TileCols)
      for (int64_t i0 = 0; i0 < m; i0 += TileRows)
        tile(kc, packed.data() + i0 * kc, bu + p0 + j0 * ldb, ldb, cu + j0 * ldc + i0, ldc,
             std::min(TileRows, m - i0), std::min(TileCols, n - j0));
  }
}

void UsePortableIntKernels(bool portable) { Tile() = Select(portable); }

}  // namespace nuv::matrix
