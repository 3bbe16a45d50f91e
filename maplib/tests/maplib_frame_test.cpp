#include <gtest/gtest.h>

#include "FrameCheck.h"
#include "nuv/maplib.h"

namespace nuv {
namespace {

TEST(MaplibFrame, UnitsLoadedInOrderAfterTheirDependencies) {
  testing::ExpectLibraryLoaded(maplib::GetPackageInfoTable(),
                               {"Nuv_geobasics", "Nuv_geodb", "Nuv_geomap", "Nuv_geoatlas"},
                               {"corelib", "numlib"});
}

TEST(MaplibFrame, ExceptionHierarchy) {
  EXPECT_THROW(throw ENUVGeoBasicsError("x"), ENUVError);
  EXPECT_THROW(throw ENUVGeoDBError("x"), ENUVError);
  EXPECT_THROW(throw ENUVGeoMapError("x"), ENUVError);
}

}  // namespace
}  // namespace nuv
