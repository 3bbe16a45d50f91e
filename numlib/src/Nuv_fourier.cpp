#include "nuv/Nuv_fourier.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>
#include <numbers>

#include "Nuv_fourier_kernels.h"
#include "numlib_units.h"
#include "nuv/Nuv_univconst.h"

namespace nuv {

namespace {

constexpr int32_t kMaxSize = int32_t{1} << 23;
constexpr std::align_val_t kAlignment{64};
constexpr double kTwoPi = 2 * std::numbers::pi;

// Factor of element i (1..n) for the cosine-sum windows, u = i − n/2.
double CosineSum(const double* a, int terms, int32_t i, int32_t n) {
  const double x = kTwoPi * (i - n / 2) / n;
  double f = a[0];
  for (int t = 1; t < terms; ++t) f += a[t] * std::cos(t * x);
  return f;
}

double WindowFactor(TFastFourierWgtWin w, int32_t i, int32_t n, const double* weights) {
  static constexpr double hamming[] = {0.543478261, 0.456521739};
  static constexpr double blackman[] = {0.42659, 0.49656, 0.076848};
  static constexpr double harris[] = {0.35875, 0.48829, 0.14128, 0.01168};
  static constexpr double nuttall[] = {0.3635819, 0.4891775, 0.1365995, 0.0106411};
  const double u = i - n / 2;
  switch (w) {
    case fwTriangle:
      // Elements k + 1 and n − k share 2(k + 1)/n.
      return 2.0 * std::min(i, n + 1 - i) / n;
    case fwCos2: {
      const double c = std::cos(std::numbers::pi * u / n);
      return c * c;
    }
    case fwGauss: {
      const double z = 6 * u / n;
      return std::exp(-0.5 * z * z);
    }
    case fwHamming: return CosineSum(hamming, 2, i, n);
    case fwBlackman: return CosineSum(blackman, 3, i, n);
    case fwBlkmHarris: return CosineSum(harris, 4, i, n);
    case fwBlkmNuttall: return CosineSum(nuttall, 4, i, n);
    case fwUserDef: return weights[i - 1];
    case fwRectangle: break;
  }
  return 1.0;
}

}  // namespace

void TFastFourier::TAlignedFree::operator()(double* p) const { operator delete[](p, kAlignment); }

TFastFourier::TArray TFastFourier::Allocate(int64_t count) {
  auto* p = static_cast<double*>(operator new[](sizeof(double) * count, kAlignment));
  std::fill_n(p, count, 0.0);
  return TArray(p);
}

TFastFourier::TFastFourier(TComponent* AOwner) : TComponent(AOwner) {
  SetNumData(256);
  std::fill_n(weights_.get(), n_, 1.0);
}

TFastFourier::~TFastFourier() = default;

void TFastFourier::Raise(const char* text) const {
  RaiseComponentError<ENUVFourierError>(*this, text);
}

void TFastFourier::SetNumData(int32_t n) {
  if (!(n >= 1 && n <= kMaxSize && std::has_single_bit(static_cast<uint32_t>(n))))
    Raise("data length must be power of 2");
  TArray data, weights, twiddles;
  try {
    data = Allocate(2 * int64_t{n});
    weights = Allocate(n);
    twiddles = Allocate(fourier::TwiddleDoubles(n));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  fourier::BuildTwiddles(n, twiddles.get());
  data_ = std::move(data);
  weights_ = std::move(weights);
  twiddles_ = std::move(twiddles);
  n_ = n;
  extremesValid_ = false;
}

void TFastFourier::SetWgtWin(TFastFourierWgtWin w) {
  window_ = w;
  extremesValid_ = false;
}

double TFastFourier::GetRealVal(int32_t i) const {
  return i >= 1 && i <= n_ ? data_[2 * (i - 1)] : 0.0;
}

double TFastFourier::GetImagVal(int32_t i) const {
  return i >= 1 && i <= n_ ? data_[2 * (i - 1) + 1] : 0.0;
}

void TFastFourier::SetRealVal(int32_t i, double v) {
  extremesValid_ = false;
  if (i >= 1 && i <= n_) data_[2 * (i - 1)] = v;
}

void TFastFourier::SetImagVal(int32_t i, double v) {
  extremesValid_ = false;
  if (i >= 1 && i <= n_) data_[2 * (i - 1) + 1] = v;
}

double TFastFourier::GetWgtVal(int32_t i) const {
  return i >= 1 && i <= n_ ? weights_[i - 1] : 0.0;
}

void TFastFourier::SetWgtVal(int32_t i, double v) {
  extremesValid_ = false;
  if (i >= 1 && i <= n_) weights_[i - 1] = v;
}

double* TFastFourier::Data() {
  extremesValid_ = false;
  return data_.get();
}

void TFastFourier::Clear() {
  std::fill_n(data_.get(), 2 * int64_t{n_}, 0.0);
  extremesValid_ = false;
}

void TFastFourier::ClearReal() {
  for (int64_t i = 0; i < n_; ++i) data_[2 * i] = 0;
  extremesValid_ = false;
}

void TFastFourier::ClearImag() {
  for (int64_t i = 0; i < n_; ++i) data_[2 * i + 1] = 0;
  extremesValid_ = false;
}

void TFastFourier::ApplyWindow() {
  if (window_ == fwRectangle) return;
  for (int32_t i = 1; i <= n_; ++i) {
    const double f = WindowFactor(window_, i, n_, weights_.get());
    data_[2 * (i - 1)] *= f;
    data_[2 * (i - 1) + 1] *= f;
  }
}

void TFastFourier::Transform() {
  ApplyWindow();
  DoFFT(1);
}

void TFastFourier::InverseTransform() { DoFFT(-1); }

void TFastFourier::DoFFT(int32_t Sign) {
  const bool inverse = Sign <= 0;
  fourier::Transform(data_.get(), n_, twiddles_.get(), inverse);
  if (inverse) {
    // 1/N is exact for a power of two.
    const double scale = 1.0 / n_;
    for (int64_t i = 0; i < 2 * int64_t{n_}; ++i) data_[i] *= scale;
  }
  extremesValid_ = false;
}

double TFastFourier::PowerNumerator(int32_t k) const {
  const double* x = data_.get();
  const double re = x[2 * k], im = x[2 * k + 1];
  if (k == 0 || 2 * k == n_) return re * re + im * im;
  const double mr = x[2 * (n_ - k)], mi = x[2 * (n_ - k) + 1];
  return re * re + im * im + mr * mr + mi * mi;
}

double TFastFourier::MagnitudeNumerator(int32_t k) const {
  const double* x = data_.get();
  const double re = x[2 * k], im = x[2 * k + 1];
  if (k == 0 || 2 * k == n_) return std::hypot(re, im);
  return std::hypot(re + x[2 * (n_ - k)], im - x[2 * (n_ - k) + 1]);
}

double TFastFourier::GetPowerSpec(int32_t k) const {
  return IsLine(k) ? PowerNumerator(k) / n_ : 0.0;
}

double TFastFourier::GetMagnitude(int32_t k) const {
  return IsLine(k) ? MagnitudeNumerator(k) / n_ : 0.0;
}

double TFastFourier::GetFSerCos(int32_t k) const {
  if (!IsLine(k)) return 0.0;
  const double re = data_[2 * k];
  if (k == 0 || 2 * k == n_) return re / n_;
  return (re + data_[2 * (n_ - k)]) / n_;
}

double TFastFourier::GetFSerSin(int32_t k) const {
  if (!IsLine(k) || k == 0 || 2 * k == n_) return 0.0;
  return (data_[2 * k + 1] - data_[2 * (n_ - k) + 1]) / n_;
}

double TFastFourier::GetPhase(int32_t k) const {
  if (!IsLine(k) || k == 0) return 0.0;
  const double re = data_[2 * k], im = data_[2 * k + 1];
  if (re == 0) return im > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
  return std::atan(im / re);
}

double TFastFourier::RMS(int32_t k1, int32_t k2) const {
  k1 = std::clamp(k1, 0, n_ / 2);
  k2 = std::clamp(k2, 0, n_ / 2);
  if (k1 > k2) std::swap(k1, k2);
  long double sum = 0;
  for (int32_t k = k1; k <= k2; ++k) sum += PowerNumerator(k);
  return static_cast<double>(std::sqrt(sum)) / n_;
}

double TFastFourier::FreqOfLine(int32_t k, double dt) const {
  if (!(k >= 1 && k <= n_ / 2 && dt > 0)) return 0.0;
  return k / (dt * n_);
}

int32_t TFastFourier::LineOfFreq(double f, double dt) const {
  // Checked in floating point first: N·f·dt may be far beyond any integer.
  const double line = std::nearbyint(n_ * f * dt);
  if (!(line >= 1 && line <= n_ / 2)) return 0;
  return static_cast<int32_t>(line);
}

void TFastFourier::CalcMaxValues() const {
  TExtremes e{0, 0, -static_cast<double>(uc_MaxDouble), static_cast<double>(uc_MaxDouble),
              -static_cast<double>(uc_MaxDouble), static_cast<double>(uc_MaxDouble)};
  for (int32_t k = 1; k < n_ / 2; ++k) e.maxPower = std::max(e.maxPower, PowerNumerator(k));
  for (int32_t k = 1; k <= n_ / 2; ++k) e.maxMagni = std::max(e.maxMagni, MagnitudeNumerator(k));
  e.maxPower /= n_;
  e.maxMagni /= n_;
  for (int64_t i = 0; i < n_; ++i) {
    const double re = data_[2 * i], im = data_[2 * i + 1];
    if (re > e.maxReal) e.maxReal = re;
    if (re < e.minReal) e.minReal = re;
    if (im > e.maxImag) e.maxImag = im;
    if (im < e.minImag) e.minImag = im;
  }
  extremes_ = e;
  extremesValid_ = true;
}

const TFastFourier::TExtremes& TFastFourier::Extremes() const {
  if (!extremesValid_) CalcMaxValues();
  return extremes_;
}

double TFastFourier::GetMaxPower() const { return Extremes().maxPower; }
double TFastFourier::GetMaxMagni() const { return Extremes().maxMagni; }
double TFastFourier::GetMaxReal() const { return Extremes().maxReal; }
double TFastFourier::GetMinReal() const { return Extremes().minReal; }
double TFastFourier::GetMaxImag() const { return Extremes().maxImag; }
double TFastFourier::GetMinImag() const { return Extremes().minImag; }

}  // namespace nuv

namespace nuv::units {

void Nuv_fourier_Init() {}
void Nuv_fourier_Finalize() {}

}  // namespace nuv::units
