#include "Nuv_fourier_kernels.h"

#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <utility>

namespace nuv::fourier {

namespace {

// Blocks of this many complex values (256 KiB, well inside L2) run all
// their small stages before the next block is touched.
constexpr int64_t kCacheBlock = int64_t{1} << 14;

// One pass over len complex values of x: every group of span 4h.
using TStage = void (*)(double* x, int64_t len, int64_t h, const double* twiddles);

void BitReverse(double* x, int64_t n) {
  for (int64_t i = 0, j = 0; i < n; ++i) {
    if (i < j) {
      std::swap(x[2 * i], x[2 * j]);
      std::swap(x[2 * i + 1], x[2 * j + 1]);
    }
    int64_t bit = n >> 1;
    while (j & bit) {
      j ^= bit;
      bit >>= 1;
    }
    j |= bit;
  }
}

// The first stage when log2 n is odd: pairs with twiddle 1.
void Radix2First(double* x, int64_t len) {
  for (int64_t i = 0; i < 2 * len; i += 4) {
    const double ar = x[i], ai = x[i + 1], br = x[i + 2], bi = x[i + 3];
    x[i] = ar + br;
    x[i + 1] = ai + bi;
    x[i + 2] = ar - br;
    x[i + 3] = ai - bi;
  }
}

// The second stage of a radix-4 group: a0, a2 = y0 ± v and a1, a3 = y1 ± q,
// v and q being the twiddled y2 and y3.
inline void Combine(double* a0, double* a1, double* a2, double* a3, const double (&y0)[2],
                    const double (&y1)[2], const double (&v)[2], const double (&q)[2]) {
  for (int c = 0; c < 2; ++c) {
    a0[c] = y0[c] + v[c];
    a2[c] = y0[c] - v[c];
    a1[c] = y1[c] + q[c];
    a3[c] = y1[c] - q[c];
  }
}

// The first two stages fused when log2 n is even: twiddles 1 and ±i.
template <bool Inverse>
void Radix4First(double* x, int64_t len) {
  for (int64_t i = 0; i < 2 * len; i += 8) {
    double* p = x + i;
    const double y0r = p[0] + p[2], y0i = p[1] + p[3];
    const double y1r = p[0] - p[2], y1i = p[1] - p[3];
    const double y2r = p[4] + p[6], y2i = p[5] + p[7];
    const double y3r = p[4] - p[6], y3i = p[5] - p[7];
    // q = ±i·y3
    const double q[2] = {Inverse ? y3i : -y3i, Inverse ? -y3r : y3r};
    Combine(p, p + 2, p + 4, p + 6, {y0r, y0i}, {y1r, y1i}, {y2r, y2i}, q);
  }
}

// Stages h and 2h of a group x[0..4h): w1 = exp(±πi·j/h) joins the pairs
// at distance h, w2 = exp(±πi·j/(2h)) and ±i·w2 those at distance 2h.
template <bool Inverse>
void Radix4Portable(double* x, int64_t len, int64_t h, const double* twiddles) {
  const double* t1 = twiddles + 2 * h;
  const double* t2 = twiddles + 4 * h;
  const double sign = Inverse ? -1.0 : 1.0;
  for (int64_t base = 0; base < len; base += 4 * h) {
    double* p = x + 2 * base;
    for (int64_t j = 0; j < h; ++j) {
      double* a0 = p + 2 * j;
      double* a1 = a0 + 2 * h;
      double* a2 = a0 + 4 * h;
      double* a3 = a0 + 6 * h;
      const double w1r = t1[2 * j], w1i = sign * t1[2 * j + 1];
      const double w2r = t2[2 * j], w2i = sign * t2[2 * j + 1];
      const double tr = w1r * a1[0] - w1i * a1[1], ti = w1r * a1[1] + w1i * a1[0];
      const double ur = w1r * a3[0] - w1i * a3[1], ui = w1r * a3[1] + w1i * a3[0];
      const double y0r = a0[0] + tr, y0i = a0[1] + ti, y1r = a0[0] - tr, y1i = a0[1] - ti;
      const double y2r = a2[0] + ur, y2i = a2[1] + ui, y3r = a2[0] - ur, y3i = a2[1] - ui;
      const double vr = w2r * y2r - w2i * y2i, vi = w2r * y2i + w2i * y2r;
      const double sr = w2r * y3r - w2i * y3i, si = w2r * y3i + w2i * y3r;
      Combine(a0, a1, a2, a3, {y0r, y0i}, {y1r, y1i}, {vr, vi}, {-sign * si, sign * sr});
    }
  }
}

#define NUV_AVX2 __attribute__((target("avx2,fma")))

// w·x (conj(w)·x for the inverse) for two complex values per register.
template <bool Inverse>
NUV_AVX2 inline __m256d MulTwiddle(__m256d w, __m256d x) {
  const __m256d wr = _mm256_movedup_pd(w);
  const __m256d wi = _mm256_permute_pd(w, 0xF);
  const __m256d cross = _mm256_mul_pd(wi, _mm256_permute_pd(x, 0x5));
  if constexpr (Inverse) return _mm256_fmsubadd_pd(wr, x, cross);
  return _mm256_fmaddsub_pd(wr, x, cross);
}

// ·i forward, ·(−i) inverse.
template <bool Inverse>
NUV_AVX2 inline __m256d RotateQuarter(__m256d x) {
  const __m256d sign = Inverse ? _mm256_setr_pd(0.0, -0.0, 0.0, -0.0)
                               : _mm256_setr_pd(-0.0, 0.0, -0.0, 0.0);
  return _mm256_xor_pd(_mm256_permute_pd(x, 0x5), sign);
}

// As Radix4Portable, two values of j at a time; needs h ≥ 2.
template <bool Inverse>
NUV_AVX2 void Radix4Avx2(double* x, int64_t len, int64_t h, const double* twiddles) {
  const double* t1 = twiddles + 2 * h;
  const double* t2 = twiddles + 4 * h;
  for (int64_t base = 0; base < len; base += 4 * h) {
    double* p = x + 2 * base;
    for (int64_t j = 0; j < h; j += 2) {
      double* a0 = p + 2 * j;
      const __m256d w1 = _mm256_loadu_pd(t1 + 2 * j);
      const __m256d w2 = _mm256_loadu_pd(t2 + 2 * j);
      const __m256d x0 = _mm256_loadu_pd(a0), x1 = _mm256_loadu_pd(a0 + 2 * h);
      const __m256d x2 = _mm256_loadu_pd(a0 + 4 * h), x3 = _mm256_loadu_pd(a0 + 6 * h);
      const __m256d t = MulTwiddle<Inverse>(w1, x1), u = MulTwiddle<Inverse>(w1, x3);
      const __m256d y0 = _mm256_add_pd(x0, t), y1 = _mm256_sub_pd(x0, t);
      const __m256d y2 = _mm256_add_pd(x2, u), y3 = _mm256_sub_pd(x2, u);
      const __m256d v = MulTwiddle<Inverse>(w2, y2);
      const __m256d q = RotateQuarter<Inverse>(MulTwiddle<Inverse>(w2, y3));
      _mm256_storeu_pd(a0, _mm256_add_pd(y0, v));
      _mm256_storeu_pd(a0 + 4 * h, _mm256_sub_pd(y0, v));
      _mm256_storeu_pd(a0 + 2 * h, _mm256_add_pd(y1, q));
      _mm256_storeu_pd(a0 + 6 * h, _mm256_sub_pd(y1, q));
    }
  }
}

bool HasAvx2Fma() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

struct TKernels {
  TStage forward, inverse;
};

TKernels Best() {
  if (HasAvx2Fma()) return {Radix4Avx2<false>, Radix4Avx2<true>};
  return {Radix4Portable<false>, Radix4Portable<true>};
}

TKernels g_kernels = Best();

template <bool Inverse>
void Run(double* data, int64_t n, const double* twiddles, TStage stage) {
  BitReverse(data, n);
  const bool oddLog = std::countr_zero(static_cast<uint64_t>(n)) % 2 == 1;
  const int64_t block = std::min(n, kCacheBlock);
  int64_t firstWide = 0;
  for (int64_t b = 0; b < n; b += block) {
    double* x = data + 2 * b;
    int64_t h = oddLog ? 2 : 4;
    if (oddLog)
      Radix2First(x, block);
    else
      Radix4First<Inverse>(x, block);
    for (; 4 * h <= block; h *= 4) stage(x, block, h, twiddles);
    firstWide = h;
  }
  for (int64_t h = firstWide; h < n; h *= 4) stage(data, n, h, twiddles);
}

}  // namespace

int64_t TwiddleDoubles(int32_t n) { return 2 * static_cast<int64_t>(std::max(n, 1)); }

void BuildTwiddles(int32_t n, double* twiddles) {
  if (n < 2) return;
  constexpr long double pi = std::numbers::pi_v<long double>;
  const int64_t top = n / 2;
  double* w = twiddles + 2 * top;
  // exp(+πi·j/top) from angles of at most π/4, by the symmetries of the
  // circle, each value rounded once from extended precision.
  for (int64_t j = 0; j < top; ++j) {
    if (4 * j <= top) {
      const long double a = pi * static_cast<long double>(j) / static_cast<long double>(top);
      w[2 * j] = static_cast<double>(std::cos(a));
      w[2 * j + 1] = static_cast<double>(std::sin(a));
    } else if (2 * j <= top) {
      const long double a =
          pi * static_cast<long double>(top - 2 * j) / static_cast<long double>(2 * top);
      w[2 * j] = static_cast<double>(std::sin(a));
      w[2 * j + 1] = static_cast<double>(std::cos(a));
    } else {
      w[2 * j] = -w[2 * (top - j)];
      w[2 * j + 1] = w[2 * (top - j) + 1];
    }
  }
  for (int64_t h = top / 2; h >= 1; h /= 2) {
    const int64_t stride = top / h;
    for (int64_t j = 0; j < h; ++j) {
      twiddles[2 * (h + j)] = w[2 * j * stride];
      twiddles[2 * (h + j) + 1] = w[2 * j * stride + 1];
    }
  }
}

void Transform(double* data, int32_t n, const double* twiddles, bool inverse) {
  if (n < 2) return;
  if (inverse)
    Run<true>(data, n, twiddles, g_kernels.inverse);
  else
    Run<false>(data, n, twiddles, g_kernels.forward);
}

void UsePortableKernels(bool portable) {
  g_kernels = portable ? TKernels{Radix4Portable<false>, Radix4Portable<true>} : Best();
}

}  // namespace nuv::fourier
