#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nuv/corelib.h"
#include "nuv/maplib.h"

namespace nuv {
namespace {

TEST(MaplibFrame, UnitsLoadedInOrderAfterTheirDependencies) {
  const auto& t = maplib::GetPackageInfoTable();
  const std::vector<std::string> expected{"Nuv_geobasics", "Nuv_geodb", "Nuv_geomap", "Nuv_geoatlas"};
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
  EXPECT_LT(position("corelib"), position("maplib")) << "a dependency loads first";
}

TEST(MaplibFrame, ExceptionHierarchy) {
  EXPECT_THROW(throw ENUVGeoBasicsError("x"), ENUVError);
  EXPECT_THROW(throw ENUVGeoDBError("x"), ENUVError);
  EXPECT_THROW(throw ENUVGeoMapError("x"), ENUVError);
}

}  // namespace
}  // namespace nuv
