// nuv demo: shows the libraries at work on small, self-contained examples.
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "nuv/corelib.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/Forms.h"
#include "testcard.h"

namespace nuv::tool {

namespace {

constexpr const char* kDemoUsage =
    "usage: nuv demo [--png FILE] [--help]\n"
    "\n"
    "Runs the demonstration: the loaded libraries with their units, the\n"
    "number text of the fixed and scientific forms, and the language tables.\n"
    "\n"
    "  --png FILE  also draw the test card of the graphical layer (lines,\n"
    "              shapes, pen modes, brushes, fonts and text) into FILE\n"
    "              as a PNG picture; works without a display\n";

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

void WriteTestCard(const std::string& file) {
  Application().Initialize();
  TBitmap card;
  DrawTestCard(card);
  card.SaveToPngFile(Utf8ToAnsi(file));
  std::cout << "\nTest card written to " << file << " (" << card.Width() << " x " << card.Height()
            << " pixels)\n";
}

}  // namespace

int RunDemo(const std::vector<std::string>& args) {
  std::string png;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::cout << kDemoUsage;
      return 0;
    }
    if (a == "--png" && i + 1 < args.size()) {
      png = args[++i];
      continue;
    }
    std::cerr << "nuv demo: " << (a == "--png" ? "--png needs a file name" : "unknown option '" + a + "'")
              << "\n" << kDemoUsage;
    return 2;
  }
  ShowFrame();
  ShowNumberText();
  ShowLanguages();
  if (!png.empty()) WriteTestCard(png);
  return 0;
}

}  // namespace nuv::tool
