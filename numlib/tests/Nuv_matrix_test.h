// Helpers of the matrix tests: matrices written row by row as people read
// them.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "ExpectThrow.h"
#include "nuv/Nuv_matrix.h"

namespace nuv::testing {

using TRows = std::vector<std::vector<double>>;

// rows[r][c] becomes element (c + 1, r + 1).
inline void SetRows(TMatrix& m, const TRows& rows) {
  const auto nr = static_cast<int32_t>(rows.size());
  const auto nc = nr == 0 ? 0 : static_cast<int32_t>(rows[0].size());
  m.Resize(nc, nr);
  for (int32_t r = 0; r < nr; ++r)
    for (int32_t c = 0; c < nc; ++c) m.Column(c + 1)[r] = rows[r][c];
}

inline TRows Rows(const TMatrix& m) {
  TRows rows(m.NrOfRows(), std::vector<double>(m.NrOfColumns()));
  for (int32_t r = 0; r < m.NrOfRows(); ++r)
    for (int32_t c = 0; c < m.NrOfColumns(); ++c) rows[r][c] = m.GetVal(c + 1, r + 1);
  return rows;
}

// A matrix named "M" that counts its OnChange events.
struct TTestMatrix {
  TMatrix m{nullptr};
  int changes = 0;
  explicit TTestMatrix(const TRows& rows = {{0}}) {
    m.SetName("M");
    SetRows(m, rows);
    m.OnChange = [this](TObject*) { ++changes; };
  }
  TRows Rows() const { return testing::Rows(m); }
};

}  // namespace nuv::testing
