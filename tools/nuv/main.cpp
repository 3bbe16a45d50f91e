// nuv: command-line companion of the library. It lists the libraries and
// their units and runs the demonstration of the libraries at work.
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "nuv/corelib.h"
#include "nuv/maplib.h"
#include "nuv/mollib.h"
#include "nuv/numlib.h"

namespace {

constexpr const char* kUsage =
    "usage: nuv <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  version   print the library version\n"
    "  units     list every library with its units in initialisation order\n"
    "  demo      run the demonstration (nuv demo --help for its options)\n"
    "  --help    show this text\n";

int ListUnits() {
  // The libraries in their dependency order; each table is the one the
  // library registered when it was loaded.
  const nuv::TPackageInfoTable* tables[] = {
      &nuv::corelib::GetPackageInfoTable(), &nuv::numlib::GetPackageInfoTable(),
      &nuv::maplib::GetPackageInfoTable(), &nuv::mollib::GetPackageInfoTable()};
  for (const nuv::TPackageInfoTable* t : tables) {
    if (nuv::FindModule(t->LibraryName) != t) {
      std::cerr << "nuv: library " << t->LibraryName << " is not registered\n";
      return 1;
    }
    std::cout << t->LibraryName << " (" << t->UnitCount << " units)\n";
    for (int32_t i = 0; i < t->UnitCount; ++i) std::cout << "  " << t->Units[i].Name << '\n';
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  try {
    if (command == "--help" || command == "-h" || command == "help") {
      std::cout << kUsage;
      return 0;
    }
    if (command == "version") {
      std::cout << "nuv " << NUV_VERSION << '\n';
      return 0;
    }
    if (command == "units") return ListUnits();
    if (command == "demo") return nuv::tool::RunDemo(rest);
  } catch (const std::exception& e) {
    std::cerr << "nuv: " << e.what() << '\n';
    return 1;
  }
  std::cerr << "nuv: unknown command '" << command << "'\n" << kUsage;
  return 2;
}
