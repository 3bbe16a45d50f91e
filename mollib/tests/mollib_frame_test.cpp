#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nuv/corelib.h"
#include "nuv/mollib.h"

namespace nuv {
namespace {

TEST(MollibFrame, UnitsLoadedInOrderAfterTheirDependencies) {
  const auto& t = mollib::GetPackageInfoTable();
  const std::vector<std::string> expected{"Nuv_cdata", "Nuv_cform", "Nuv_cstruct", "Nuv_chemgrph"};
  std::vector<std::string> names;
  for (int32_t i = 0; i < t.UnitCount; ++i) {
    names.emplace_back(t.Units[i].Name);
    EXPECT_EQ(t.InitCounts[i], 1) << t.Units[i].Name;
  }
  EXPECT_EQ(names, expected);
  const auto modules = ModuleList();
  auto position = [&](std::string_view lib) {
    for (std::size_t i = 0; i < modules.size(); ++i)
      if (lib == modules[i]->LibraryName) return static_cast<int>(i);
    return -1;
  };
  EXPECT_GE(position("corelib"), 0);
  EXPECT_LT(position("corelib"), position("mollib")) << "a dependency loads first";
}

}  // namespace
}  // namespace nuv
