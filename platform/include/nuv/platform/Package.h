// The loading frame shared by every library: a library is a list of units,
// each with an initialisation and a finalisation. Units initialise in list
// order when the library loads and finalise in reverse when it unloads;
// a per-unit counter makes repeated Initialize/Finalize act once (the first
// entry initialises, the matching last exit finalises).
//
// Unit state that a finalisation touches must be created by the unit's
// initialisation or be constant-initialised, since the order of dynamic
// initialisation between a library's source files is not fixed.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace nuv {

struct TUnitInfo {
  const char* Name;
  void (*Init)();
  void (*Finalize)();
};

struct TPackageInfoTable {
  const char* LibraryName;
  int32_t UnitCount;
  const TUnitInfo* Units;
  int32_t* InitCounts;  // one counter per unit, owned by the library
};

// Run the unit initialisations in order / finalisations in reverse order,
// each guarded by its counter.
void InitializePackage(const TPackageInfoTable& table);
void FinalizePackage(const TPackageInfoTable& table);

// The runtime's module list: every loaded library registers its table when
// it is loaded and unregisters it when it is unloaded.
void RegisterModule(const TPackageInfoTable* table);
void UnregisterModule(const TPackageInfoTable* table);
// Registered libraries in load order.
std::vector<const TPackageInfoTable*> ModuleList();
const TPackageInfoTable* FindModule(std::string_view libraryName);

// Registers the table and initialises the library when constructed (at
// library load), finalises and unregisters when destroyed (at unload).
class TPackageLoader {
 public:
  explicit TPackageLoader(const TPackageInfoTable& table);
  ~TPackageLoader();
  TPackageLoader(const TPackageLoader&) = delete;
  TPackageLoader& operator=(const TPackageLoader&) = delete;

 private:
  const TPackageInfoTable& table_;
};

}  // namespace nuv
