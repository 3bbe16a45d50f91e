#include <gtest/gtest.h>

#include "FrameCheck.h"
#include "nuv/numlib.h"

namespace nuv {
namespace {

TEST(NumlibFrame, UnitsLoadedInOrderAfterTheirDependencies) {
  testing::ExpectLibraryLoaded(
      numlib::GetPackageInfoTable(),
      {"Nuv_math1", "Nuv_complex", "Nuv_vector", "Nuv_matrix", "Nuv_datatable", "Nuv_statis",
       "Nuv_math2", "Nuv_fourier", "Nuv_wavelet", "Nuv_sline", "Nuv_kohonen"},
      {"corelib"});
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
