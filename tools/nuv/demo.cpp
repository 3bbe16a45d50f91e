// nuv demo: shows the libraries at work on small, self-contained examples.
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "nuv/corelib.h"
#include "nuv/platform/CodePage.h"

namespace nuv::tool {

namespace {

constexpr const char* kDemoUsage =
    "usage: nuv demo [--help]\n"
    "\n"
    "Runs the demonstration: the loaded libraries with their units, the\n"
    "number text of the fixed and scientific forms, and the language tables.\n";

void ShowFrame() {
  std::cout << "Loaded libraries:\n";
  for (const TPackageInfoTable* t : ModuleList()) {
    int32_t initialised = 0;
    for (int32_t i = 0; i < t->UnitCount; ++i) initialised += t->InitCounts[i] > 0;
    std::cout << "  " << t->LibraryName << ": " << initialised << " of " << t->UnitCount
              << " units initialised\n";
  }
}

void ShowNumberText() {
  std::cout << "\nNumber text (value, fixed 10.3, scientific 12):\n";
  for (double x : {0.125, 2.5, -1234.5678, 6.02214076e23, 1.602176634e-19}) {
    std::cout << "  " << FloatToStr(x) << std::string(18 - FloatToStr(x).size(), ' ') << '['
              << FormatFixed(x, 10, 3) << "]  [" << FormatScientific(x, 12) << "]\n";
  }
}

void ShowLanguages() {
  std::cout << "\nMonth 2 in each language:\n";
  for (int lang = lgEnglish; lang <= lgSpanish; ++lang) {
    std::cout << "  " << AnsiToUtf8(LanguageID[lang][lgEnglish].View()) << ": "
              << AnsiToUtf8(MonthLong[lang][2].View()) << " ("
              << AnsiToUtf8(MonthShort[lang][2].View()) << ")\n";
  }
}

}  // namespace

int RunDemo(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::cout << kDemoUsage;
      return 0;
    }
    std::cerr << "nuv demo: unknown option '" << a << "'\n" << kDemoUsage;
    return 2;
  }
  ShowFrame();
  ShowNumberText();
  ShowLanguages();
  return 0;
}

}  // namespace nuv::tool
