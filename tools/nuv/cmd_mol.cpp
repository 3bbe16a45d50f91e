// nuv mol draw: a molfile, or one record of an SD file, drawn headless by
// the structure drawing control into a PNG, with the molecule's name,
// formula and weight.
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "cli.h"
#include "nuv/Nuv_cform.h"
#include "nuv/Nuv_chemgrph.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/TextFile.h"
#include "plot.h"

namespace nuv::tool {

namespace {

constexpr const char* kDrawDescription =
    "Reads FILE as a molfile or, for .sdf/.sd files or with --record, the\n"
    "record N (from 1) of an SD file, fits the structure into --size and\n"
    "writes the PNG. --mode: skeleton (labels only at charged and lone\n"
    "atoms), hetero (every atom but carbon), all, or numbers (atom numbers).\n"
    "--optimize L first improves the layout for bonds of L units by the\n"
    "control's random search, seeded so that the result is repeatable.\n"
    "The y axis grows downwards, so the drawing is a molfile's picture\n"
    "mirrored top to bottom. Prints name, formula and weight.";

// The layout search's seed: the same picture on every run.
constexpr uint32_t kOptimizeSeed = 1;

struct TMolArgs {
  std::string File, Mode = "skeleton", Size = "300x200", Output;
  int32_t Record = 0, Optimize = 0;
  TOutputMode Out;
};

TCGDispMode ModeOf(const std::string& mode) {
  if (mode == "hetero") return dmHeteroOnly;
  if (mode == "all") return dmAllAtoms;
  if (mode == "numbers") return dmNumbers;
  return dmSkeleton;
}

bool IsSdFile(const std::string& file) {
  const std::string ext = std::filesystem::path(file).extension().string();
  return ext == ".sdf" || ext == ".sd" || ext == ".SDF" || ext == ".SD";
}

void Read(const TMolArgs& a, TCTab& t) {
  if (!std::filesystem::is_regular_file(a.File)) throw TJobError(a.File + ": no such file");
  TextFile f(Ansi(a.File));
  f.Reset();
  const bool sd = a.Record > 0 || IsSdFile(a.File);
  if (!sd) {
    if (!t.ReadFromMDLMolFile(f)) throw TJobError(a.File + ": not a readable molfile");
    return;
  }
  const int32_t record = a.Record > 0 ? a.Record : 1;
  for (int32_t i = 1; i <= record; ++i) {
    if (f.SeekEof())
      throw TJobError(a.File + ": has " + std::to_string(i - 1) + " records, not " +
                      std::to_string(record));
    const bool ok = t.ReadFromMDLSDFile(f, nullptr);
    if (i == record && !ok)
      throw TJobError(a.File + ": record " + std::to_string(record) + " is not readable");
  }
}

std::string FormulaText(const TCTab& t) {
  TFormulaRec rec;
  if (!t.CalcMolecularFormula(rec)) return {};
  TMolForm f(nullptr);
  if (!f.SetFormulaRec(rec)) return {};
  return Utf8(StripLTBlanks(f.AsString(0)));
}

void Run(const TMolArgs& a) {
  int32_t w = 0, h = 0;
  ParseImageSize(a.Size, 16, 4000, w, h);
  Application().Initialize();
  TChemGraph g(nullptr);
  g.SetSuppressPaint(true);
  g.SetBounds(0, 0, w, h);
  g.SetColorBakG(clWhite);
  g.SetDisplayMode(ModeOf(a.Mode));
  TCTab& t = *g.Structure();
  Read(a, t);
  if (a.Optimize > 0) {
    uint32_t seed = kOptimizeSeed;
    g.OptimizeMolShape(a.Optimize, seed);
  }
  TBitmap png;
  png.SetSize(w, h);
  g.PaintOn(*png.Canvas());
  WritePng(png, a.Output);

  const std::string name = Utf8(t.StrucName()), formula = FormulaText(t);
  const double weight = static_cast<double>(t.CalcChemMolWeight());
  if (a.Out.Json) {
    PrintJson({{"name", name},
               {"formula", formula},
               {"weight", weight},
               {"atoms", t.NAtoms()},
               {"file", a.Output},
               {"size", {w, h}}});
    return;
  }
  std::cout << "name     " << name << "\n"
            << "formula  " << formula << "\n"
            << "weight   " << Number(weight, 8) << "\n"
            << "written: " << a.Output << " (" << w << " x " << h << ")\n";
}

}  // namespace

void AddMolCommand(CLI::App& app) {
  CLI::App* mol = app.add_subcommand("mol", "molecular structures");
  mol->require_subcommand(1);
  auto a = std::make_shared<TMolArgs>();
  CLI::App* cmd = mol->add_subcommand("draw", "draw a molfile or SD record into a PNG");
  cmd->footer(kDrawDescription);
  cmd->add_option("FILE", a->File, "molfile or SD file")->required();
  cmd->add_option("--record", a->Record, "record number N (from 1) of an SD file")
      ->check(CLI::Range(1, 1000000));
  cmd->add_option("--mode", a->Mode, "skeleton, hetero, all or numbers")
      ->check(CLI::IsMember({"skeleton", "hetero", "all", "numbers"}))
      ->capture_default_str();
  cmd->add_option("--size", a->Size, "size WxH of the PNG in pixels")->capture_default_str();
  cmd->add_option("--optimize", a->Optimize, "improve the layout for bond length L first")
      ->check(CLI::Range(1, 1000000));
  cmd->add_option("-o,--output", a->Output, "PNG file to write")->required();
  AddJsonFlag(*cmd, a->Out);
  cmd->callback([a] { Run(*a); });
}

}  // namespace nuv::tool
