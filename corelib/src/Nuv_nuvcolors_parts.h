// Shared by the source parts of Nuv_nuvcolors (not installed).
#pragma once

#include <cstdint>

#include "nuv/platform/Graphics.h"

namespace nuv::colors {

// Channel 0 (red), 1 (green) or 2 (blue) of a colour.
inline int32_t Channel(TColor c, int k) { return (c >> (8 * k)) & 0xFF; }

// x clamped into 0..1; NaN counts as 0.
inline double Clamp01(double x) { return x > 1 ? 1.0 : x > 0 ? x : 0.0; }

// p / q rounded to the nearest integer, halves to even (q > 0).
inline uint64_t RoundRatio(unsigned __int128 p, unsigned __int128 q) {
  const auto quotient = static_cast<uint64_t>(p / q);
  const unsigned __int128 twice = 2 * (p % q);
  return quotient + (twice > q || (twice == q && (quotient & 1)) ? 1 : 0);
}

// ΔR² + ΔG² + ΔB², at most 195075.
inline int32_t SquaredDistance(TColor c1, TColor c2) {
  int32_t sum = 0;
  for (int k = 0; k < 3; ++k) {
    const int32_t d = Channel(c1, k) - Channel(c2, k);
    sum += d * d;
  }
  return sum;
}

}  // namespace nuv::colors
