// nuv demo and nuv units: the loaded libraries, and the demonstration of the
// libraries at work on small, self-contained examples.
#include <iostream>
#include <memory>
#include <string>

#include "cli.h"
#include "evaluation.h"
#include "nuv/corelib.h"
#include "nuv/maplib.h"
#include "nuv/mollib.h"
#include "nuv/numlib.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/Forms.h"
#include "testcard.h"

namespace nuv::tool {

namespace {

constexpr const char* kDemoDescription =
    "Runs the demonstration: the loaded libraries, then the typical\n"
    "evaluation of a measurement series on Fisher's iris data (150 flowers,\n"
    "four measurements and the species). It builds a data table, names the\n"
    "columns, marks the species column nominal, prints column statistics and\n"
    "the covariance and correlation matrices and the principal components\n"
    "(explained variance, loadings and a line through the first two score\n"
    "columns), fits a line through petal length and width and writes the\n"
    "points as an ASC file into a temporary directory, whose header it reads\n"
    "back.";

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
  card.SaveToPngFile(Ansi(file));
  std::cout << "\nTest card written to " << file << " (" << card.Width() << " x " << card.Height()
            << " pixels)\n";
}

void ListUnits() {
  // The libraries in their dependency order; each table is the one the
  // library registered when it was loaded.
  const TPackageInfoTable* tables[] = {
      &corelib::GetPackageInfoTable(), &numlib::GetPackageInfoTable(),
      &maplib::GetPackageInfoTable(), &mollib::GetPackageInfoTable()};
  for (const TPackageInfoTable* t : tables) {
    if (FindModule(t->LibraryName) != t)
      throw TJobError(std::string("library ") + t->LibraryName + " is not registered");
    std::cout << t->LibraryName << " (" << t->UnitCount << " units)\n";
    for (int32_t i = 0; i < t->UnitCount; ++i) std::cout << "  " << t->Units[i].Name << '\n';
  }
}

}  // namespace

void AddDemoCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("demo", "run the demonstration of the libraries at work");
  cmd->footer(kDemoDescription);
  auto png = std::make_shared<std::string>();
  cmd->add_option("--png", *png,
                  "also draw the test card of the graphical layer (lines, shapes, pen modes,\n"
                  "brushes, fonts and text) into this PNG file; works without a display");
  cmd->callback([png] {
    ShowFrame();
    ShowEvaluation(std::cout);
    if (!png->empty()) WriteTestCard(*png);
  });
}

void AddUnitsCommand(CLI::App& app) {
  app.add_subcommand("units", "list every library with its units in initialisation order")
      ->callback(ListUnits);
}

}  // namespace nuv::tool
