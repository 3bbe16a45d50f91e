// The matrix core: a small linear system A·x = b solved by inverting A,
// with the determinant telling first whether A can be inverted. Matrices
// are addressed (column, row), both from 1.
#include <iostream>

#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_stringl.h"

int main() {
  using namespace nuv;
  constexpr double kA[3][3] = {{4, -2, 1}, {-2, 4, -2}, {1, -2, 4}};  // [row][column]
  constexpr double kB[3] = {11, -16, 17};

  TMatrix a(nullptr);
  a.Resize(3, 3);
  for (int32_t r = 1; r <= 3; ++r)
    for (int32_t c = 1; c <= 3; ++c) a.SetVal(c, r, kA[r - 1][c - 1]);
  TMatrix b(nullptr);
  b.Resize(1, 3);
  for (int32_t r = 1; r <= 3; ++r) b.SetVal(1, r, kB[r - 1]);

  std::cout << "det A = " << strff(a.Determinant(), 1, 3) << '\n';
  // Invert works in place and is false for a singular matrix.
  TMatrix inverse(nullptr);
  inverse.Clone(a);
  if (!inverse.Invert()) {
    std::cout << "A is singular\n";
    return 1;
  }
  // Multiply writes the product into a matrix the caller passes, shaped
  // for it: b's columns and the inverse's rows.
  TMatrix x(nullptr);
  x.Resize(1, 3);
  if (!inverse.Multiply(b, x)) return 1;
  std::cout << "x =";
  for (int32_t r = 1; r <= x.NrOfRows(); ++r) std::cout << ' ' << strff(x.GetVal(1, r), 1, 4);
  std::cout << '\n';
  return 0;
}
