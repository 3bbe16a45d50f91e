#include <gtest/gtest.h>

#include "FrameCheck.h"
#include "nuv/mollib.h"

namespace nuv {
namespace {

TEST(MollibFrame, UnitsLoadedInOrderAfterTheirDependencies) {
  testing::ExpectLibraryLoaded(mollib::GetPackageInfoTable(),
                               {"Nuv_cdata", "Nuv_cform", "Nuv_cstruct", "Nuv_chemgrph"},
                               {"corelib", "numlib"});
}

}  // namespace
}  // namespace nuv
