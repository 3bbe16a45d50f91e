// Feeds arbitrary bytes, as a file, to the symbol repository's reader.
// Besides crashes, undefined behaviour and hangs it traps on a repository
// that does not store and load back to the same entries and the same file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "nuv/Nuv_geomap.h"

namespace {

using namespace nuv;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

std::string TempName(const char* what) {
  return "/tmp/nuv_symbols_fuzz_" + std::to_string(getpid()) + what;
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = TempName(".in"), first = TempName(".1"), second = TempName(".2");
  std::ofstream(input, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  TSymbolRepository r(nullptr);
  if (r.LoadFromFile(input, "")) {
    Check(r.NumEntries() >= 0 && r.NumEntries() <= MaxSymbolEntries);
    r.StoreOnFile(first, "f");
    TSymbolRepository back(nullptr);
    Check(back.LoadFromFile(first, "f"));
    Check(back.NumEntries() == r.NumEntries());
    for (int32_t i = 1; i <= r.NumEntries(); ++i) {
      TSymbol a = r.GetValues(i);
      if (a.Element > lmSpade) a.Element = lmCross;
      Check(a == back.GetValues(i));
    }
    back.StoreOnFile(second, "f");
    Check(ReadFile(first) == ReadFile(second));
  }
  std::remove(input.c_str());
  std::remove(first.c_str());
  std::remove(second.c_str());
  return 0;
}
