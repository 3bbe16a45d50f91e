#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nuv/platform/Package.h"

namespace nuv {
namespace {

std::vector<std::string> g_log;

void InitA() { g_log.push_back("init A"); }
void FinA() { g_log.push_back("fin A"); }
void InitB() { g_log.push_back("init B"); }
void FinB() { g_log.push_back("fin B"); }

TEST(Package, UnitsInitialiseInOrderOnceAndFinaliseInReverse) {
  g_log.clear();
  const TUnitInfo units[] = {{"A", InitA, FinA}, {"B", InitB, FinB}};
  int32_t counts[2] = {};
  const TPackageInfoTable table{"test", 2, units, counts};
  InitializePackage(table);
  InitializePackage(table);
  FinalizePackage(table);
  EXPECT_EQ(g_log, (std::vector<std::string>{"init A", "init B"}));
  FinalizePackage(table);
  FinalizePackage(table);  // one exit too many does nothing
  EXPECT_EQ(g_log, (std::vector<std::string>{"init A", "init B", "fin B", "fin A"}));
  InitializePackage(table);
  EXPECT_EQ(g_log.back(), "init B") << "a library may be initialised again after unloading";
  FinalizePackage(table);
}

TEST(Package, LoaderRegistersWhileAlive) {
  const TUnitInfo units[] = {{"A", nullptr, nullptr}};
  int32_t counts[1] = {};
  const TPackageInfoTable table{"loader-test", 1, units, counts};
  {
    TPackageLoader loader(table);
    EXPECT_EQ(FindModule("loader-test"), &table);
    EXPECT_EQ(counts[0], 1);
  }
  EXPECT_EQ(FindModule("loader-test"), nullptr);
  EXPECT_EQ(counts[0], 0);
}

}  // namespace
}  // namespace nuv
