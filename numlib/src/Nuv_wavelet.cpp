#include "nuv/Nuv_wavelet.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>
#include <stdexcept>

#include "numlib_units.h"

namespace nuv {

namespace {

constexpr int32_t kMaxSize = int32_t{1} << 23;

// Low-pass Daubechies coefficients of order 1..3 from their closed forms,
// normalised to sum √2.
std::vector<long double> DaubechiesLowPass(int32_t order) {
  const long double sqrt2 = std::sqrt(2.0L);
  switch (order) {
    case 1: return {1 / sqrt2, 1 / sqrt2};
    case 2: {
      const long double s3 = std::sqrt(3.0L), d = 4 * sqrt2;
      return {(1 + s3) / d, (3 + s3) / d, (3 - s3) / d, (1 - s3) / d};
    }
    default: {
      const long double s10 = std::sqrt(10.0L), r = std::sqrt(5 + 2 * s10), d = 16 * sqrt2;
      return {(1 + s10 + r) / d,          (5 + s10 + 3 * r) / d, (10 - 2 * s10 + 2 * r) / d,
              (10 - 2 * s10 - 2 * r) / d, (5 + s10 - 3 * r) / d, (1 + s10 - r) / d};
    }
  }
}

// Forward step of the outputs l in [from, to), whose sources 2l − (taps − 2)
// onwards all lie inside the range. The high-pass taps are the low-pass
// ones reversed with alternating sign, so taps m and taps − 1 − m share
// their four 80-bit loads (slow on x87) between both sums.
template <int Taps>
void ForwardInterior(const long double* x, int64_t from, int64_t to, int64_t half,
                     const long double* h, const long double*, long double* w) {
  for (int64_t l = from; l < to; ++l) {
    const long double* s = x + 2 * l - (Taps - 2);
    long double a = 0, d = 0;
    for (int m = 0; m < Taps / 2; ++m) {
      const int r = Taps - 1 - m;
      const long double hm = h[m], hr = h[r], xm = s[m], xr = s[r];
      // g_m = ±h_r and g_r = ∓h_m, + for even m.
      a += hm * xm + hr * xr;
      d += m % 2 ? xr * hm - xm * hr : xm * hr - xr * hm;
    }
    w[l] = a;
    w[half + l] = d;
  }
}

// Inverse step gathered by output: value 2p + r collects approximation and
// detail l = p + N − 1 − q through taps 2q + r, for the l below half.
template <int Taps>
void BackwardDirect(const long double* a, const long double* d, int64_t half,
                    const long double* h, const long double* g, long double* w) {
  constexpr int n = Taps / 2;
  const int64_t full = std::max<int64_t>(half - n + 1, 0);
  for (int64_t p = 0; p < full; ++p) {
    const long double* ap = a + p + n - 1;
    const long double* dp = d + p + n - 1;
    long double even = 0, odd = 0;
    for (int q = 0; q < n; ++q) {
      // g_2q = h_(taps−1−2q) and g_(2q+1) = −h_(taps−2−2q).
      const long double aq = ap[-q], dq = dp[-q];
      even += h[2 * q] * aq + h[Taps - 1 - 2 * q] * dq;
      odd += h[2 * q + 1] * aq - h[Taps - 2 - 2 * q] * dq;
    }
    w[2 * p] = even;
    w[2 * p + 1] = odd;
  }
  for (int64_t p = full; p < half; ++p) {
    long double even = 0, odd = 0;
    for (int64_t q = p + n - half; q < n; ++q) {
      const int64_t l = p + n - 1 - q;
      even += h[2 * q] * a[l] + g[2 * q] * d[l];
      odd += h[2 * q + 1] * a[l] + g[2 * q + 1] * d[l];
    }
    w[2 * p] = even;
    w[2 * p + 1] = odd;
  }
}

using TForward = void (*)(const long double*, int64_t, int64_t, int64_t, const long double*,
                          const long double*, long double*);
using TBackward = void (*)(const long double*, const long double*, int64_t, const long double*,
                           const long double*, long double*);

TForward ForwardFor(int taps) {
  return taps == 2 ? ForwardInterior<2> : taps == 4 ? ForwardInterior<4> : ForwardInterior<6>;
}

TBackward BackwardFor(int taps) {
  return taps == 2 ? BackwardDirect<2> : taps == 4 ? BackwardDirect<4> : BackwardDirect<6>;
}

}  // namespace

TWavelet1D::TWavelet1D(TComponent* AOwner) : TComponent(AOwner) {
  SetNumData(256);
  SetOrder(2);
}

void TWavelet1D::Raise(const char* text) const {
  RaiseComponentError<ENUVWaveletError>(*this, text);
}

void TWavelet1D::SetNumData(int32_t n) {
  if (!(n >= 1 && n <= kMaxSize && std::has_single_bit(static_cast<uint32_t>(n))))
    Raise("data length must be power of 2");
  try {
    std::vector<long double> data(static_cast<size_t>(n), 0.0L), work(static_cast<size_t>(n));
    data_.swap(data);
    work_.swap(work);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
}

void TWavelet1D::SetOrder(int32_t n) {
  if (!(n >= 1 && n <= 3)) Raise("invalid order of Daubechies wavelet family");
  std::vector<long double> h = DaubechiesLowPass(n), g(h.size());
  const size_t last = h.size() - 1;
  for (size_t j = 0; j <= last; ++j) g[j] = (j % 2 ? -1 : 1) * h[last - j];
  lowPass_.swap(h);
  highPass_.swap(g);
  order_ = n;
}

double TWavelet1D::GetDataVal(int32_t i) const {
  return i >= 1 && i <= Size() ? static_cast<double>(data_[i - 1]) : 0.0;
}

void TWavelet1D::SetDataVal(int32_t i, double x) {
  if (i >= 1 && i <= Size()) data_[i - 1] = x;
}

void TWavelet1D::Clear() { std::fill(data_.begin(), data_.end(), 0.0L); }

int64_t TWavelet1D::Extend(int64_t t, int64_t len) const {
  switch (extMode_) {
    case wseWrap: return (t % len + len) % len;
    case wseSymmetric: {
      // Mirrored with the edge repeated, period 2·len: short ranges reach
      // past their own mirror image.
      const int64_t period = 2 * len, u = (t % period + period) % period;
      return u < len ? u : period - 1 - u;
    }
    case wseZeroPad: break;
  }
  return -1;
}

void TWavelet1D::PartialWLT(int32_t Len, int32_t Offset, bool Inverse) {
  if (!(Len > 1 && std::has_single_bit(static_cast<uint32_t>(Len)) && Offset >= 0 &&
        Offset <= Size() - Len))
    return;
  long double* x = data_.data() + Offset;
  long double* w = work_.data();
  const long double* h = lowPass_.data();
  const long double* g = highPass_.data();
  const int taps = static_cast<int>(lowPass_.size());
  const int64_t len = Len, half = len / 2, shift = taps - 2;
  // Outputs l < edge have sources below 0, which the extension resolves.
  const int64_t edge = std::min<int64_t>(taps / 2 - 1, half);
  if (!Inverse) {
    for (int64_t l = 0; l < edge; ++l) {
      long double a = 0, d = 0;
      for (int m = 0; m < taps; ++m) {
        const int64_t t = 2 * l + m - shift, s = t >= 0 ? t : Extend(t, len);
        if (s < 0) continue;
        a += h[m] * x[s];
        d += g[m] * x[s];
      }
      w[l] = a;
      w[half + l] = d;
    }
    ForwardFor(taps)(x, edge, half, half, h, g, w);
  } else {
    BackwardFor(taps)(x, x + half, half, h, g, w);
    for (int64_t l = 0; l < edge; ++l)
      for (int m = 0; m < taps; ++m) {
        const int64_t t = 2 * l + m - shift;
        if (t >= 0) break;
        const int64_t s = Extend(t, len);
        if (s >= 0) w[s] += h[m] * x[l] + g[m] * x[half + l];
      }
  }
  // A step over the whole signal trades buffers instead of copying.
  if (len == Size())
    data_.swap(work_);
  else
    std::copy_n(w, len, x);
}

void TWavelet1D::SingleStep(bool Inverse) { PartialWLT(Size(), 0, Inverse); }

void TWavelet1D::Transform(int32_t Levels) { DoWLT(Levels, false); }

void TWavelet1D::InverseTransform(int32_t Levels) { DoWLT(Levels, true); }

void TWavelet1D::DoWLT(int32_t Levels, bool Inverse) {
  const int32_t n = Size();
  if (n <= 1) return;
  const int32_t steps = std::clamp(Levels, 1, std::countr_zero(static_cast<uint32_t>(n)));
  if (Inverse) {
    for (int32_t len = n >> (steps - 1); len <= n; len *= 2) PartialWLT(len, 0, true);
  } else {
    for (int32_t k = 0, len = n; k < steps; ++k, len /= 2) PartialWLT(len, 0, false);
  }
}

}  // namespace nuv

namespace nuv::units {

void Nuv_wavelet_Init() {}
void Nuv_wavelet_Finalize() {}

}  // namespace nuv::units
