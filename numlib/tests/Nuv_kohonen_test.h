// Helpers of the TKohonen tests: data matrices, the weights in storage
// order, and maps edited as XML text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nuv/Nuv_kohonen.h"
#include "nuv/platform/Streams.h"

namespace nuv::testing {

// columns × rows of values in [-2, 2), different for each seed.
inline void MakeData(TMatrix& m, int32_t columns, int32_t rows, int32_t seed) {
  m.Resize(columns, rows);
  for (int32_t c = 1; c <= columns; ++c)
    for (int32_t r = 1; r <= rows; ++r) {
      const int64_t i = (int64_t{c} - 1) * rows + (r - 1);
      m.SetVal(c, r, static_cast<double>((37 * i + 101 * seed) % 257 - 128) / 64.0);
    }
}

// The map's data become the single pattern value (one feature).
inline void OnePattern(TKohonen& k, double value) {
  TMatrix data(nullptr);
  data.Resize(1, 1);
  data.SetVal(1, 1, value);
  k.SetDataMat(data);
}

inline std::vector<double> AllWeights(const TKohonen& k) {
  const TMat3D& w = k.Weights();
  const int64_t count = int64_t{w.NrOfColumns()} * w.NrOfRows() * w.NrOfLayers();
  return {w.Data(), w.Data() + count};
}

inline std::string MapText(const TKohonen& k, const std::string& id = "som") {
  TStringStream s;
  k.WriteToXMLStream(s, true, id);
  return s.DataString();
}

inline bool LoadBlock(TKohonen& k, const std::string& text, const std::string& id = "som") {
  TStringStream s(text);
  return k.ReadFromXMLStream(s, id);
}

// The content of the cell element of neuron (x, y) becomes values.
inline void SetCell(std::string& text, int32_t x, int32_t y, const std::string& values) {
  const std::string tag = "<cell x=" + std::to_string(x) + " y=" + std::to_string(y) + ">";
  const std::size_t from = text.find(tag) + tag.size();
  text.replace(from, text.find("</cell>", from) - from, values);
}

}  // namespace nuv::testing
