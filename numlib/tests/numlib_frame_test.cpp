#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nuv/corelib.h"
#include "nuv/numlib.h"

namespace nuv {
namespace {

TEST(NumlibFrame, UnitsLoadedInOrderAfterTheirDependencies) {
  const auto& t = numlib::GetPackageInfoTable();
  const std::vector<std::string> expected{"Nuv_math1", "Nuv_complex", "Nuv_vector", "Nuv_matrix", "Nuv_datatable", "Nuv_statis", "Nuv_math2", "Nuv_fourier", "Nuv_wavelet", "Nuv_sline", "Nuv_kohonen"};
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
  EXPECT_LT(position("corelib"), position("numlib")) << "a dependency loads first";
}

TEST(NumlibFrame, ExceptionHierarchy) {
  EXPECT_THROW(throw ENUVMath1Error("x"), ENUVError);
  EXPECT_THROW(throw ENUVComplexError("x"), ENUVError);
  EXPECT_THROW(throw ENUVVectorError("x"), ENUVError);
  EXPECT_THROW(throw ENUVMatrixError("x"), ENUVError);
  EXPECT_THROW(throw ENUVDataTableError("x"), ENUVError);
  EXPECT_THROW(throw ENUVStatisError("x"), ENUVError);
  EXPECT_THROW(throw ENUVMath2Error("x"), ENUVError);
  EXPECT_THROW(throw ENUVFourierError("x"), ENUVError);
  EXPECT_THROW(throw ENUVWaveletError("x"), ENUVError);
  // The straight-line errors derive from the general exception only.
  bool caughtAsNuvError = false;
  try {
    throw ENUVSLineError("x");
  } catch (const ENUVError&) {
    caughtAsNuvError = true;
  } catch (const Exception&) {
  }
  EXPECT_FALSE(caughtAsNuvError);
}

}  // namespace
}  // namespace nuv
