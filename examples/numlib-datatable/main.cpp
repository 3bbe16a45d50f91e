// A data table with statistics and a straight-line fit: the calibration of
// a photometer, absorbance measured for standards of known concentration.
// The table keeps named columns; the fit gives the line through the
// standards and an unknown sample is read off it.
#include <cmath>
#include <iostream>

#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_stringl.h"

int main() {
  using namespace nuv;
  constexpr double kStandards[][2] = {{0.0, 0.002}, {1.0, 0.121}, {2.0, 0.238},
                                      {4.0, 0.482}, {6.0, 0.719}, {8.0, 0.955}};
  constexpr int32_t kRows = std::size(kStandards);

  // Columns and rows count from 1; column 1 the concentration, 2 the
  // absorbance.
  TDataTable table(nullptr);
  table.Resize(2, kRows);
  table.SetColName(1, "concentration mg/l");
  table.SetColName(2, "absorbance");
  for (int32_t r = 1; r <= kRows; ++r) {
    table.SetElem(1, r, kStandards[r - 1][0]);
    table.SetElem(2, r, kStandards[r - 1][1]);
  }

  // Statistics over a block of cells: column c, all rows (0 means the
  // whole extent).
  for (int32_t c = 1; c <= 2; ++c) {
    double mean = 0, variance = 0;
    table.MeanVarOfNumCells(c, 0, c, 0, mean, variance);
    std::cout << table.GetColName(c).Str() << ": mean " << strff(mean, 1, 4) << ", std.dev. "
              << strff(std::sqrt(variance), 1, 4) << '\n';
  }

  // The fit collects (x, y) pairs and fits y = k·x + d.
  TCurveFit fit(nullptr);
  for (int32_t r = 1; r <= kRows; ++r) fit.EnterStatValue(table.GetElem(1, r), table.GetElem(2, r));
  double k = 0, d = 0, quality = 0;
  fit.CalcLinFit(k, d, quality);
  std::cout << "absorbance = " << strff(k, 1, 5) << " * concentration + " << strff(d, 1, 5)
            << " (R^2 = " << strff(quality, 1, 5) << ")\n";

  const double sample = 0.350;
  std::cout << "sample of absorbance " << strff(sample, 1, 3) << ": "
            << strff((sample - d) / k, 1, 3) << " mg/l\n";
  return 0;
}
