// An application outside the tree, built against the installed package.
#include <iostream>

#include "nuv/numlib.h"

int main() {
  std::cout << nuv::numlib::GetPackageInfoTable().UnitCount << " numlib units, "
            << nuv::FormatFixed(3.14159, 0, 2) << '\n';
  return 0;
}
