// Helpers of the tests of TMat3D, TMat4D and their files: blocks filled
// with the values of tools/ref/mat4d_ref.py and the reference data it
// wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nuv/Nuv_matrix.h"

namespace nuv::testing {

// Element i of a block with this seed, as the reference script computes it.
inline double RefValue(int64_t i, int32_t seed) {
  return static_cast<double>((37 * i + 101 * seed) % 257 - 128) / 4.0 + seed;
}

// The matrix takes the counts and the reference values of the seed in its
// storage order, from element `first` of the sequence on.
inline void FillRef(TMat4D& m, const int32_t (&n)[4], int32_t seed, int64_t first = 0) {
  m.Resize(n[0], n[1], n[2], n[3]);
  const int64_t count = int64_t{n[0]} * n[1] * n[2] * n[3];
  for (int64_t i = 0; i < count; ++i) m.Data()[i] = RefValue(first + i, seed);
}

inline void FillRef(TMat3D& m, const int32_t (&n)[3], int32_t seed) {
  m.Resize(n[0], n[1], n[2]);
  const int64_t count = int64_t{n[0]} * n[1] * n[2];
  for (int64_t i = 0; i < count; ++i) m.Data()[i] = RefValue(i, seed);
}

inline std::vector<double> Values(const TMat4D& m) {
  const int64_t count =
      int64_t{m.NrOfColumns()} * m.NrOfRows() * m.NrOfLayers() * m.NrOfTimeSlots();
  return {m.Data(), m.Data() + count};
}

inline std::vector<int32_t> Counts(const TMat4D& m) {
  return {m.NrOfColumns(), m.NrOfRows(), m.NrOfLayers(), m.NrOfTimeSlots()};
}

// The directory of the checked-in reference files.
inline std::string RefFile(const std::string& name) {
  return std::string(NUV_NUMLIB_TEST_DATA) + "/" + name;
}

}  // namespace nuv::testing
