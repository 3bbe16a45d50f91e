// Window filters: moving and weighted averages, Savitzky–Golay smoothing
// and derivatives.
#include <algorithm>
#include <string>
#include <vector>

#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_vector.h"

namespace nuv {

const TGolayTable GolayPoly{{
    {35, 17, 12, -3},
    {21, 7, 6, 3, -2},
    {231, 59, 54, 39, 14, -21},
    {429, 89, 84, 69, 44, 9, -36},
    {143, 25, 24, 21, 16, 9, 0, -11},
    {1105, 167, 162, 147, 122, 87, 42, -13, -78},
    {323, 43, 42, 39, 34, 27, 18, 7, -6, -21},
    {2261, 269, 264, 249, 224, 189, 144, 89, 24, -51, -136},
    {3059, 329, 324, 309, 284, 249, 204, 149, 84, 9, -76, -171},
    {805, 79, 78, 75, 70, 63, 54, 43, 30, 15, -2, -21, -42},
    {5175, 467, 462, 447, 422, 387, 342, 287, 222, 147, 62, -33, -138, -253},
}};

const TGolayTable Golay2ndDeriv{{
    {7, -2, -1, 2},
    {42, -4, -3, 0, 5},
    {462, -20, -17, -8, 7, 28},
    {429, -10, -9, -6, -1, 6, 15},
    {1001, -14, -13, -10, -5, 2, 11, 22},
    {6188, -56, -53, -44, -29, -8, 19, 52, 91},
    {3876, -24, -23, -20, -15, -8, 1, 12, 25, 40},
    {6783, -30, -29, -26, -21, -14, -5, 6, 19, 34, 51},
    {33649, -110, -107, -98, -83, -62, -35, -2, 37, 82, 133, 190},
    {17710, -44, -43, -40, -35, -28, -19, -8, 5, 20, 37, 56, 77},
    {26910, -52, -51, -48, -43, -36, -27, -16, -3, 12, 29, 48, 69, 92},
}};

namespace {

// Averages take any odd window from 3 on, the Savitzky–Golay filters the
// tabulated 5..25; a length of 4 passes the range check (half-length 2)
// and fails as even.
enum class TWindowKind { Average, Polynomial };

struct TWindow {
  std::vector<double> y;  // the source range, so that Dest may be Source
  int32_t m = 0;
};

[[noreturn]] void Raise(std::string_view name, std::string_view text) {
  throw ENUVMath2Error(std::string(name) + ": " + std::string(text));
}

TWindow PrepareWindow(std::string_view name, TWindowKind kind, const TVector* source, int32_t lo,
                      int32_t hi, TVector* dest, int32_t length) {
  if (source == nullptr || dest == nullptr) Raise(name, "either SourceVec or DestVec is undefined");
  const int32_t n = source->NrOfElem();
  lo = std::clamp(lo, 1, n);
  hi = std::clamp(hi, 1, n);
  if (lo > hi) std::swap(lo, hi);
  const bool average = kind == TWindowKind::Average;
  if (hi - lo < length) {
    if (average)
      Raise(name,
            "specified range for smoothing is smaller than the length of the smoothing windows");
    if (name == "FirstDeriv")
      Raise(name, "specified range for calculation is smaller than the length of the polynomial");
    Raise(name, "specified range for smoothing is smaller than the length of the polynomial");
  }
  if (average ? length < 3 : length < 4 || length > 25)
    Raise(name, average ? "length of smoothing window is out of range"
                        : "length of polynomial is out of range");
  if (length % 2 == 0)
    Raise(name,
          average ? "length of smoothing window must be odd" : "length of polynomial must be odd");
  const int32_t count = hi - lo + 1;
  if (dest->NrOfElem() < count) dest->Resize(count);
  return {std::vector<double>(source->Data() + lo - 1, source->Data() + hi), (length - 1) / 2};
}

// Writes value(centre) for the full windows, copies the nearest full
// window's output into both ends and notifies Dest.
template <class F>
void ApplyWindow(const TWindow& w, TVector& dest, F value) {
  const int32_t count = static_cast<int32_t>(w.y.size()), m = w.m;
  double* out = dest.Data();
  for (int32_t d = m; d < count - m; ++d) out[d] = value(w.y.data() + d);
  std::fill(out, out + m, out[m]);
  std::fill(out + count - m, out + count, out[count - m - 1]);
  dest.Changed();
}

// Symmetric weights w0..wm of a table row over the divisor.
void SymmetricFilter(std::string_view name, const TGolayTable& table, const TVector* source,
                     int32_t lo, int32_t hi, TVector* dest, int32_t length) {
  const TWindow w = PrepareWindow(name, TWindowKind::Polynomial, source, lo, hi, dest, length);
  const auto& row = table[static_cast<std::size_t>((length - 5) / 2)];
  ApplyWindow(w, *dest, [&](const double* y) {
    double s = row[1] * y[0];
    for (int32_t i = 1; i <= w.m; ++i) s += row[i + 1] * (y[i] + y[-i]);
    return s / row[0];
  });
}

}  // namespace

void MovingAverageSmooth(const TVector* SourceVec, int32_t LoIndex, int32_t HiIndex,
                         TVector* DestVec, int32_t WindowLength) {
  const TWindow w = PrepareWindow("MovingAverageSmooth", TWindowKind::Average, SourceVec, LoIndex,
                                  HiIndex, DestVec, WindowLength);
  ApplyWindow(w, *DestVec, [&](const double* y) {
    double s = 0;
    for (int32_t i = -w.m; i <= w.m; ++i) s += y[i];
    return s / WindowLength;
  });
}

void WeightedAverageSmooth(const TVector* SourceVec, int32_t LoIndex, int32_t HiIndex,
                           TVector* DestVec, int32_t WindowLength) {
  const TWindow w = PrepareWindow("WeightedAverageSmooth", TWindowKind::Average, SourceVec, LoIndex,
                                  HiIndex, DestVec, WindowLength);
  const double scale = 4.0 / ((WindowLength + 1.0) * (WindowLength + 1.0));
  ApplyWindow(w, *DestVec, [&](const double* y) {
    double s = 0;
    for (int32_t i = -w.m; i <= w.m; ++i) s += (w.m + 1 - std::abs(i)) * y[i];
    return s * scale;
  });
}

void PolynomialSmooth(const TVector* SourceVec, int32_t LoIndex, int32_t HiIndex, TVector* DestVec,
                      int32_t WindowLength) {
  SymmetricFilter("PolynomialSmooth", GolayPoly, SourceVec, LoIndex, HiIndex, DestVec,
                  WindowLength);
}

void SecondDeriv(const TVector* SourceVec, int32_t LoIndex, int32_t HiIndex, TVector* DestVec,
                 int32_t WindowLength) {
  SymmetricFilter("SecondDeriv", Golay2ndDeriv, SourceVec, LoIndex, HiIndex, DestVec, WindowLength);
}

void FirstDeriv(const TVector* SourceVec, int32_t LoIndex, int32_t HiIndex, TVector* DestVec,
                int32_t WindowLength) {
  const TWindow w = PrepareWindow("FirstDeriv", TWindowKind::Polynomial, SourceVec, LoIndex,
                                  HiIndex, DestVec, WindowLength);
  const double divisor = w.m * (w.m + 1.0) * (2.0 * w.m + 1.0) / 3.0;
  ApplyWindow(w, *DestVec, [&](const double* y) {
    double s = 0;
    for (int32_t i = 1; i <= w.m; ++i) s += i * (y[i] - y[-i]);
    return s / divisor;
  });
}

}  // namespace nuv
