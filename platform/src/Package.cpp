#include "nuv/platform/Package.h"

#include <algorithm>
#include <cstring>

namespace nuv {

namespace {

// Function-local so that it exists before any library's loader runs.
std::vector<const TPackageInfoTable*>& Modules() {
  static std::vector<const TPackageInfoTable*> modules;
  return modules;
}

}  // namespace

void InitializePackage(const TPackageInfoTable& table) {
  for (int32_t i = 0; i < table.UnitCount; ++i) {
    if (table.InitCounts[i]++ == 0 && table.Units[i].Init) table.Units[i].Init();
  }
}

void FinalizePackage(const TPackageInfoTable& table) {
  for (int32_t i = table.UnitCount - 1; i >= 0; --i) {
    if (table.InitCounts[i] <= 0) continue;
    if (--table.InitCounts[i] == 0 && table.Units[i].Finalize) table.Units[i].Finalize();
  }
}

void RegisterModule(const TPackageInfoTable* table) {
  auto& m = Modules();
  if (table && std::find(m.begin(), m.end(), table) == m.end()) m.push_back(table);
}

void UnregisterModule(const TPackageInfoTable* table) {
  auto& m = Modules();
  m.erase(std::remove(m.begin(), m.end(), table), m.end());
}

std::vector<const TPackageInfoTable*> ModuleList() { return Modules(); }

const TPackageInfoTable* FindModule(std::string_view libraryName) {
  for (const TPackageInfoTable* t : Modules())
    if (libraryName == t->LibraryName) return t;
  return nullptr;
}

TPackageLoader::TPackageLoader(const TPackageInfoTable& table) : table_(table) {
  RegisterModule(&table_);
  InitializePackage(table_);
}

TPackageLoader::~TPackageLoader() {
  FinalizePackage(table_);
  UnregisterModule(&table_);
}

}  // namespace nuv
