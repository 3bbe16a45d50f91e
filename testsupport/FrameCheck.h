// Checks that a library is loaded with its units in order, each initialised
// once, after the libraries it depends on.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "nuv/platform/Package.h"

namespace nuv::testing {

inline void ExpectLibraryLoaded(const TPackageInfoTable& table,
                                const std::vector<std::string>& expectedUnits,
                                const std::vector<std::string_view>& dependencies) {
  std::vector<std::string> names;
  for (int32_t i = 0; i < table.UnitCount; ++i) {
    names.emplace_back(table.Units[i].Name);
    EXPECT_EQ(table.InitCounts[i], 1) << table.Units[i].Name;
  }
  EXPECT_EQ(names, expectedUnits);
  const auto modules = ModuleList();
  auto position = [&](std::string_view lib) {
    for (std::size_t i = 0; i < modules.size(); ++i)
      if (lib == modules[i]->LibraryName) return static_cast<int>(i);
    return -1;
  };
  const int self = position(table.LibraryName);
  EXPECT_GE(self, 0) << table.LibraryName << " is not registered";
  for (std::string_view dep : dependencies) {
    EXPECT_GE(position(dep), 0) << dep;
    EXPECT_LT(position(dep), self) << dep << " loads before " << table.LibraryName;
  }
}

}  // namespace nuv::testing
