#include <gtest/gtest.h>

#include "TempDir.h"
#include "nuv/Nuv_geodb.h"

namespace nuv {
namespace {
TEST(GeoDBSmoke, Opens) {
  testing::TempDir dir;
  TGeoDB db(nullptr);
  db.SetDBName(dir.File("a.x"));
  EXPECT_EQ(db.NumEntries(), 0);
}
}  // namespace
}  // namespace nuv
