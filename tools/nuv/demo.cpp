// nuv demo: shows the libraries at work on small, self-contained examples.
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "evaluation.h"
#include "nuv/corelib.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/Forms.h"
#include "testcard.h"

namespace nuv::tool {

namespace {

constexpr const char* kDemoUsage =
    "usage: nuv demo [--png FILE] [--help]\n"
    "\n"
    "Runs the demonstration: the loaded libraries, then the typical\n"
    "evaluation of a measurement series on Fisher's iris data (150 flowers,\n"
    "four measurements and the species). It builds a data table, names the\n"
    "columns, marks the species column nominal, prints column statistics and\n"
    "the covariance and correlation matrices, fits a line through petal\n"
    "length and width and writes the points as an ASC file into a temporary\n"
    "directory, whose header it reads back.\n"
    "\n"
    "  --png FILE  also draw the test card of the graphical layer (lines,\n"
    "              shapes, pen modes, brushes, fonts and text) into FILE\n"
    "              as a PNG picture; works without a display\n";

void ShowFrame() {
  std::cout << "Libraries (units initialised):";
  const char* separator = " ";
  for (const TPackageInfoTable* t : ModuleList()) {
    int32_t initialised = 0;
    for (int32_t i = 0; i < t->UnitCount; ++i) initialised += t->InitCounts[i] > 0;
    std::cout << separator << t->LibraryName << ' ' << initialised << '/' << t->UnitCount;
    separator = ", ";
  }
  std::cout << '\n';
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
  ShowEvaluation(std::cout);
  if (!png.empty()) WriteTestCard(png);
  return 0;
}

}  // namespace nuv::tool
