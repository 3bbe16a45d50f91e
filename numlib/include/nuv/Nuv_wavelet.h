// Discrete wavelet transform of the Daubechies family: TWavelet1D holds a
// signal of Size values, Size a power of two from 1 to 2^23, in 80-bit
// extended precision and transforms it in place with the D2 (Haar), D4 or
// D6 filters over one or several levels, forwards or backwards.
//
// One level maps the Len values x of a range to Len/2 approximation
// coefficients followed by Len/2 detail coefficients:
//   a_l = Σ_m h_m·x_(2l + m − 2N + 2),  d_l = Σ_m g_m·x_(2l + m − 2N + 2),
// l = 0..Len/2 − 1, m = 0..2N − 1, N = Order, g_m = (−1)^m·h_(2N−1−m).
// Source indices fall below 0 only, never beyond the range; the extension
// mode decides what they read: wseWrap the range taken periodically,
// wseZeroPad nothing, wseSymmetric the range mirrored with its edge value
// repeated (period 2·Len). The inverse step is the exact transpose of the
// forward one: with wseWrap it restores the values, with the other modes
// only away from the left end of the range.
//
// Transform(L) processes the lengths Size, Size/2, …, Size/2^(L−1) and
// InverseTransform(L) undoes it, processing Size/2^(L−1), …, Size; L below
// 1 counts as 1 and L beyond log2(Size) as log2(Size), so both cover the
// whole decomposition then. Errors are ENUVWaveletError with the
// component's name; the state before a failing call stays.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

static_assert(std::numeric_limits<long double>::digits == 64,
              "TWavelet1D stores its values in the 80-bit extended format");

class ENUVWaveletError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

enum TWaveletFamily : uint8_t { wlfDaubechies };

enum TWLSigExtMode : uint8_t { wseWrap, wseZeroPad, wseSymmetric };

class TWavelet1D : public TComponent {
 public:
  // 256 zero values, Daubechies order 2 (D4), wseWrap.
  explicit TWavelet1D(TComponent* AOwner);

  int32_t Size() const { return static_cast<int32_t>(data_.size()); }
  // n a power of two in 1..2^23, else "data length must be power of 2".
  // The values become 0.
  void SetNumData(int32_t n);

  TWaveletFamily WaveletFamily() const { return family_; }
  void SetWaveletFam(TWaveletFamily f) { family_ = f; }
  // 1..3 (2, 4 or 6 coefficients), else "invalid order of Daubechies
  // wavelet family".
  int32_t Order() const { return order_; }
  void SetOrder(int32_t n);
  TWLSigExtMode SignalExtMode() const { return extMode_; }
  void SetSigExtMode(TWLSigExtMode m) { extMode_ = m; }

  // Value i in 1..Size, rounded to double; 0 outside.
  double GetDataVal(int32_t i) const;
  // Ignored outside 1..Size.
  void SetDataVal(int32_t i, double x);
  void Clear();

  // Low-pass h_0..h_(2N−1) and high-pass g_0..g_(2N−1) of the order.
  const std::vector<long double>& LowPass() const { return lowPass_; }
  const std::vector<long double>& HighPass() const { return highPass_; }

  // One level on values Offset + 1 .. Offset + Len. Nothing happens unless
  // Len is a power of two above 1, Offset ≥ 0 and Offset + Len ≤ Size.
  void PartialWLT(int32_t Len, int32_t Offset, bool Inverse);
  // One level on the whole signal.
  void SingleStep(bool Inverse);
  void Transform(int32_t Levels);
  void InverseTransform(int32_t Levels);
  void DoWLT(int32_t Levels, bool Inverse);

 private:
  [[noreturn]] void Raise(const char* text) const;
  // Index into a range of len values for a source index t < 0, or −1 when
  // the term is left out.
  int64_t Extend(int64_t t, int64_t len) const;

  TWaveletFamily family_ = wlfDaubechies;
  int32_t order_ = 2;
  TWLSigExtMode extMode_ = wseWrap;
  std::vector<long double> data_;
  // Scratch of one level, as long as the signal.
  std::vector<long double> work_;
  std::vector<long double> lowPass_, highPass_;
};

}  // namespace nuv
