// Shared by the source parts of TMat3D and TMat4D (not installed).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>

namespace nuv::matrix {

inline constexpr int64_t kMaxElements = std::numeric_limits<int32_t>::max();

// The product of counts that are all >= 1, or -1 when it passes
// kMaxElements (or a count is below 1).
inline int64_t CheckedCount(std::initializer_list<int64_t> counts) {
  int64_t product = 1;
  for (const int64_t n : counts) {
    if (n < 1 || n > kMaxElements) return -1;
    product *= n;
    if (product > kMaxElements) return -1;
  }
  return product;
}

// The element nearest to a value among those offered, with its indices;
// on equal distance the lexicographically smaller indices win, which is
// the scan order column, row, layer, slot whatever order they come in.
// NaN distances take no part; an element equal to the value (also an
// infinite one) is at distance 0.
struct TNearest {
  explicit TNearest(double value) : Value(value) {}

  void Offer(double x, const std::array<int32_t, 4>& where) {
    const double d = x == Value ? 0.0 : std::fabs(x - Value);
    if (std::isnan(d)) return;
    if (!Found || d < Best || (d == Best && where < Where)) {
      Best = d;
      Where = where;
      Found = true;
    }
  }

  double Value;
  double Best = 0;
  bool Found = false;
  std::array<int32_t, 4> Where{0, 0, 0, 0};
};

}  // namespace nuv::matrix

#include "nuv/Nuv_matrix.h"

namespace nuv {

template <class F>
void TMat4D::ForEachRun(const TWindow& w, F&& f) const {
  const int64_t width = w.Extent(0);
  const double* pending = nullptr;
  int64_t length = 0;
  for (int32_t t = w.Lo[3]; t <= w.Hi[3]; ++t)
    for (int32_t l = w.Lo[2]; l <= w.Hi[2]; ++l)
      for (int32_t r = w.Lo[1]; r <= w.Hi[1]; ++r) {
        const double* run = data_.get() + Addr4D(w.Lo[0], r, l, t);
        if (pending != nullptr && run == pending + length) {
          length += width;
          continue;
        }
        if (pending != nullptr) f(pending, length);
        pending = run;
        length = width;
      }
  f(pending, length);
}

}  // namespace nuv
