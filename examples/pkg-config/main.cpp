// Statistics of a few numbers with numlib, built by a plain Makefile.
#include <iostream>

#include "nuv/Nuv_stringl.h"
#include "nuv/Nuv_vector.h"
#include "nuv/version.h"

int main() {
  nuv::TVector v(nullptr);
  v.SetNrOfElem(5);
  const double values[] = {2.5, 3.5, 1.0, 4.0, 3.0};
  for (int32_t i = 1; i <= 5; ++i) v.SetVal(i, values[i - 1]);
  double mean = 0, variance = 0;
  v.MeanVar(1, 5, mean, variance);  // elements 1..5
  std::cout << "nuv " << NUV_VERSION << ": mean " << nuv::strff(mean, 1, 2) << ", variance "
            << nuv::strff(variance, 1, 3) << '\n';
  return 0;
}
