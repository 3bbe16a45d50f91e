// Fast Fourier transform of one block of N complex samples, N a power of
// two from 1 to 2^23: TFastFourier holds the block, applies one of nine
// weighting windows, transforms it in place and answers spectral questions
// (power, magnitude, phase, Fourier-series coefficients, band RMS,
// frequency and line conversion, extremes).
//
// Sign convention: the forward transform is
//   X_k = Σ_j x_j·exp(+2πi·jk/N)      (unscaled),
// the inverse uses exp(−2πi·jk/N) and divides by N. Most FFT libraries use
// the opposite sign for "forward": X_k here is N times their inverse.
//
// Element i (1..N) holds sample x_(i−1) before a transform and line
// X_(i−1) after it. Line queries take k in 0..N/2; the Nyquist line N/2 is
// its own mirror and is counted once, like line 0. Out-of-range indices
// read 0 and are ignored when written. Errors are ENUVFourierError with the
// component's name in the message.
#pragma once

#include <cstdint>
#include <memory>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVFourierError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

enum TFastFourierWgtWin : uint8_t {
  fwRectangle,
  fwTriangle,
  fwCos2,
  fwGauss,
  fwHamming,
  fwBlackman,
  fwBlkmHarris,
  fwBlkmNuttall,
  fwUserDef
};

class TFastFourier : public TComponent {
 public:
  // 256 zero samples, weights 1, fwRectangle.
  explicit TFastFourier(TComponent* AOwner);
  ~TFastFourier() override;

  int32_t SpectrumSize() const { return n_; }
  // n a power of two in 1..2^23, else "data length must be power of 2"
  // with the data kept. Data and weights become 0.
  void SetNumData(int32_t n);

  TFastFourierWgtWin WeightingWindow() const { return window_; }
  void SetWgtWin(TFastFourierWgtWin w);

  // Element i in 1..N.
  double GetRealVal(int32_t i) const;
  double GetImagVal(int32_t i) const;
  void SetRealVal(int32_t i, double v);
  void SetImagVal(int32_t i, double v);
  // Weight of element i for fwUserDef.
  double GetWgtVal(int32_t i) const;
  void SetWgtVal(int32_t i, double v);

  // The block as 2·N interleaved doubles (real, imaginary), for loops that
  // fill or read many values. Taking the writable pointer drops the cached
  // extremes; take it again after a query before writing more.
  double* Data();
  const double* Data() const { return data_.get(); }

  void Clear();
  void ClearReal();
  void ClearImag();

  // Window (replacing the data), then the forward transform.
  void Transform();
  // Inverse transform, divided by N; no window.
  void InverseTransform();
  // The transform alone: Sign > 0 forward, otherwise inverse (scaled).
  void DoFFT(int32_t Sign);

  // Spectrum of line k in 0..N/2 (0 outside), with X the lines and the
  // mirror N − k. Power: (|X_k|² + |X_(N−k)|²)/N. Magnitude:
  // |X_k + conj(X_(N−k))|/N. Lines 0 and N/2 count once: |X_k|²/N, |X_k|/N.
  double GetPowerSpec(int32_t k) const;
  double GetMagnitude(int32_t k) const;
  // Cosine and sine coefficients: Re(X_k + X_(N−k))/N, Im(X_k − X_(N−k))/N;
  // lines 0 and N/2 give Re X_k/N and 0.
  double GetFSerCos(int32_t k) const;
  double GetFSerSin(int32_t k) const;
  // arctan(Im X_k/Re X_k) in [−π/2, π/2] for k in 1..N/2 (±π/2 when
  // Re X_k = 0): the quadrant is not recovered. 0 for k = 0.
  double GetPhase(int32_t k) const;
  // √(Σ power numerators over k1..k2)/N, the bounds clamped into 0..N/2
  // and ordered.
  double RMS(int32_t k1, int32_t k2) const;
  // k/(dt·N) in the unit of 1/dt for k in 1..N/2; 0 otherwise and for
  // dt ≤ 0 or NaN.
  double FreqOfLine(int32_t k, double dt) const;
  // N·f·dt rounded to the nearest line (halves to even) when that lies in
  // 1..N/2, else 0 (NaN, huge or negative values included).
  int32_t LineOfFreq(double f, double dt) const;

  // Largest power over k = 1..N/2 − 1 (without the Nyquist line), 0 when
  // none is positive.
  double GetMaxPower() const;
  // Largest magnitude over k = 1..N/2 (with the Nyquist line).
  double GetMaxMagni() const;
  // Extremes of the real and imaginary parts of all N elements; ∓1.7e308
  // when every value is NaN.
  double GetMaxReal() const;
  double GetMinReal() const;
  double GetMaxImag() const;
  double GetMinImag() const;
  // Computes the six extremes into the cache; the queries call it after
  // every change.
  void CalcMaxValues() const;

 private:
  struct TExtremes {
    double maxPower, maxMagni, maxReal, minReal, maxImag, minImag;
  };
  [[noreturn]] void Raise(const char* text) const;
  const TExtremes& Extremes() const;
  void ApplyWindow();
  // |X_k|² + |X_(N−k)|², once for lines 0 and N/2.
  double PowerNumerator(int32_t k) const;
  double MagnitudeNumerator(int32_t k) const;
  bool IsLine(int32_t k) const { return k >= 0 && k <= n_ / 2; }

  // Cache-line aligned storage, which the vector kernels prefer.
  struct TAlignedFree {
    void operator()(double* p) const;
  };
  using TArray = std::unique_ptr<double[], TAlignedFree>;
  static TArray Allocate(int64_t count);

  int32_t n_ = 0;
  TFastFourierWgtWin window_ = fwRectangle;
  TArray data_;
  TArray weights_;
  // Twiddle factors of every stage, built with the size.
  TArray twiddles_;
  mutable TExtremes extremes_{};
  mutable bool extremesValid_ = false;
};

}  // namespace nuv
