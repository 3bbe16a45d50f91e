// The typical evaluation of a measurement series, end to end, on Fisher's
// iris data.
#include "evaluation.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/FileUtils.h"

namespace nuv::tool {

namespace {

// The iris data as published by R. A. Fisher, "The use of multiple
// measurements in taxonomic problems", Annals of Eugenics 7 (1936) 179-188,
// from the measurements of Edgar Anderson (1935); in the public domain.
// Sepal length, sepal width, petal length and petal width of 150 flowers,
// in tenths of a centimetre, 50 of each species in the order below.
// clang-format off
constexpr uint8_t kIris[150][4] = {
    // setosa, flowers 1 to 50
    {51, 35, 14,  2}, {49, 30, 14,  2}, {47, 32, 13,  2}, {46, 31, 15,  2}, {50, 36, 14,  2},
    {54, 39, 17,  4}, {46, 34, 14,  3}, {50, 34, 15,  2}, {44, 29, 14,  2}, {49, 31, 15,  1},
    {54, 37, 15,  2}, {48, 34, 16,  2}, {48, 30, 14,  1}, {43, 30, 11,  1}, {58, 40, 12,  2},
    {57, 44, 15,  4}, {54, 39, 13,  4}, {51, 35, 14,  3}, {57, 38, 17,  3}, {51, 38, 15,  3},
    {54, 34, 17,  2}, {51, 37, 15,  4}, {46, 36, 10,  2}, {51, 33, 17,  5}, {48, 34, 19,  2},
    {50, 30, 16,  2}, {50, 34, 16,  4}, {52, 35, 15,  2}, {52, 34, 14,  2}, {47, 32, 16,  2},
    {48, 31, 16,  2}, {54, 34, 15,  4}, {52, 41, 15,  1}, {55, 42, 14,  2}, {49, 31, 15,  2},
    {50, 32, 12,  2}, {55, 35, 13,  2}, {49, 36, 14,  1}, {44, 30, 13,  2}, {51, 34, 15,  2},
    {50, 35, 13,  3}, {45, 23, 13,  3}, {44, 32, 13,  2}, {50, 35, 16,  6}, {51, 38, 19,  4},
    {48, 30, 14,  3}, {51, 38, 16,  2}, {46, 32, 14,  2}, {53, 37, 15,  2}, {50, 33, 14,  2},
    // versicolor, flowers 51 to 100
    {70, 32, 47, 14}, {64, 32, 45, 15}, {69, 31, 49, 15}, {55, 23, 40, 13}, {65, 28, 46, 15},
    {57, 28, 45, 13}, {63, 33, 47, 16}, {49, 24, 33, 10}, {66, 29, 46, 13}, {52, 27, 39, 14},
    {50, 20, 35, 10}, {59, 30, 42, 15}, {60, 22, 40, 10}, {61, 29, 47, 14}, {56, 29, 36, 13},
    {67, 31, 44, 14}, {56, 30, 45, 15}, {58, 27, 41, 10}, {62, 22, 45, 15}, {56, 25, 39, 11},
    {59, 32, 48, 18}, {61, 28, 40, 13}, {63, 25, 49, 15}, {61, 28, 47, 12}, {64, 29, 43, 13},
    {66, 30, 44, 14}, {68, 28, 48, 14}, {67, 30, 50, 17}, {60, 29, 45, 15}, {57, 26, 35, 10},
    {55, 24, 38, 11}, {55, 24, 37, 10}, {58, 27, 39, 12}, {60, 27, 51, 16}, {54, 30, 45, 15},
    {60, 34, 45, 16}, {67, 31, 47, 15}, {63, 23, 44, 13}, {56, 30, 41, 13}, {55, 25, 40, 13},
    {55, 26, 44, 12}, {61, 30, 46, 14}, {58, 26, 40, 12}, {50, 23, 33, 10}, {56, 27, 42, 13},
    {57, 30, 42, 12}, {57, 29, 42, 13}, {62, 29, 43, 13}, {51, 25, 30, 11}, {57, 28, 41, 13},
    // virginica, flowers 101 to 150
    {63, 33, 60, 25}, {58, 27, 51, 19}, {71, 30, 59, 21}, {63, 29, 56, 18}, {65, 30, 58, 22},
    {76, 30, 66, 21}, {49, 25, 45, 17}, {73, 29, 63, 18}, {67, 25, 58, 18}, {72, 36, 61, 25},
    {65, 32, 51, 20}, {64, 27, 53, 19}, {68, 30, 55, 21}, {57, 25, 50, 20}, {58, 28, 51, 24},
    {64, 32, 53, 23}, {65, 30, 55, 18}, {77, 38, 67, 22}, {77, 26, 69, 23}, {60, 22, 50, 15},
    {69, 32, 57, 23}, {56, 28, 49, 20}, {77, 28, 67, 20}, {63, 27, 49, 18}, {67, 33, 57, 21},
    {72, 32, 60, 18}, {62, 28, 48, 18}, {61, 30, 49, 18}, {64, 28, 56, 21}, {72, 30, 58, 16},
    {74, 28, 61, 19}, {79, 38, 64, 20}, {64, 28, 56, 22}, {63, 28, 51, 15}, {61, 26, 56, 14},
    {77, 30, 61, 23}, {63, 34, 56, 24}, {64, 31, 55, 18}, {60, 30, 48, 18}, {69, 31, 54, 21},
    {67, 31, 56, 24}, {69, 31, 51, 23}, {58, 27, 51, 19}, {68, 32, 59, 23}, {67, 33, 57, 25},
    {67, 30, 52, 23}, {63, 25, 50, 19}, {65, 30, 52, 20}, {62, 34, 54, 23}, {59, 30, 51, 18},
};
// clang-format on
constexpr const char* kSpecies[] = {"setosa", "versicolor", "virginica"};
constexpr const char* kColumns[] = {"sepal length", "sepal width", "petal length", "petal width",
                                    "species"};
constexpr int32_t kMeasures = 4, kSpeciesCol = 5, kFlowers = 150;

const char* YesNo(bool b) { return b ? "yes" : "no"; }

std::string Fixed(double x, int32_t width, int32_t decimals) { return strff(x, width, decimals); }

std::string Padded(std::string s, std::size_t width) {
  s.resize(std::max(s.size(), width), ' ');
  return s;
}

void FillTable(TDataTable& t) {
  t.SetName("Iris");
  t.SetComment("Fisher's iris data: sepal and petal dimensions in cm, and the species");
  t.Resize(kSpeciesCol, kFlowers);
  for (int32_t c = 1; c <= kSpeciesCol; ++c) t.SetColName(c, kColumns[c - 1]);
  t.SetMScaleType(kSpeciesCol, stNominal);
  for (int32_t r = 1; r <= kFlowers; ++r) {
    t.SetRowName(r, "flower " + IntToStr(r));
    for (int32_t c = 1; c <= kMeasures; ++c) t.SetElem(c, r, kIris[r - 1][c - 1] / 10.0);
    t.SetElemNominal(kSpeciesCol, r, kSpecies[(r - 1) / 50]);
  }
  for (int32_t c = 1; c <= kMeasures; ++c) t.SetMScaleType(c, stRatio);
}

void ShowColumns(std::ostream& out, const TDataTable& t) {
  out << "\n  " << Padded("variable", 14) << "      mean  std.dev.       Q1   median       Q3\n";
  for (int32_t c = 1; c <= kMeasures; ++c) {
    double mean = 0, variance = 0, q1 = 0, median = 0, q3 = 0;
    int64_t n = 0;
    t.MeanVarOfNumCells(c, 0, c, 0, mean, variance);
    t.QuartilesOfNumCells(c, 0, c, 0, q1, median, q3, n);
    out << "  " << Padded(t.GetColName(c).Str(), 14) << Fixed(mean, 10, 3)
        << Fixed(std::sqrt(variance), 10, 3) << Fixed(q1, 9, 2) << Fixed(median, 9, 2)
        << Fixed(q3, 9, 2) << '\n';
  }
}

// Mean petal length per species, through the cells marked as belonging to it.
void ShowSpeciesMeans(std::ostream& out, TDataTable& t) {
  out << "\n  mean petal length by species:\n ";
  for (const char* species : kSpecies) {
    t.UnmarkAllCells();
    for (int32_t r = 1; r <= kFlowers; ++r)
      if (t.GetElemNominal(kSpeciesCol, r) == species)
        t.SetCellState(3, r, t.GetCellState(3, r) | cellMark1);
    double mean = 0, variance = 0;
    const int64_t n = t.MeanVarOfMarkedCells(3, 0, 3, 0, cellMark1, mean, variance);
    out << "  " << species << " " << Fixed(mean, 1, 3) << " cm (" << n << ")";
  }
  t.UnmarkAllCells();
  out << '\n';
}

void ShowMatrix(std::ostream& out, const TDataTable& t, const TMatrix& m, int32_t decimals) {
  out << "  " << Padded("", 14);
  for (int32_t c = 1; c <= kMeasures; ++c)
    out << std::string(14 - t.GetColName(c).Length(), ' ') << t.GetColName(c).View();
  out << '\n';
  for (int32_t r = 1; r <= kMeasures; ++r) {
    out << "  " << Padded(t.GetColName(r).Str(), 14);
    for (int32_t c = 1; c <= kMeasures; ++c) out << Fixed(m.GetVal(c, r), 14, decimals);
    out << '\n';
  }
}

bool ShowCovariances(std::ostream& out, TDataTable& t) {
  TMatrix m(nullptr);
  m.Resize(kMeasures, kMeasures);
  const int32_t start = ProcStat;
  if (!t.CalcCovar(m, 1, kMeasures, 0, 0, 1)) return false;
  out << "\nCovariance matrix (CalcCovar mode 1; ProcStat advanced by " << ProcStat - start
      << ", one step per row):\n";
  ShowMatrix(out, t, m, 4);
  if (!t.CalcCovar(m, 1, kMeasures, 0, 0, 2)) return false;
  out << "\nCorrelation matrix (CalcCovar mode 2):\n";
  ShowMatrix(out, t, m, 4);
  return true;
}

// Petal width against petal length, fitted and written as an ASC table
// whose header is read back.
void ShowLineFit(std::ostream& out, const TDataTable& t) {
  TCurveFit fit(nullptr);
  for (int32_t r = 1; r <= kFlowers; ++r) fit.EnterStatValue(t.GetElem(3, r), t.GetElem(4, r));
  double k = 0, d = 0, quality = 0;
  fit.CalcLinFit(k, d, quality);
  out << "\nLine fit (TCurveFit.CalcLinFit) through " << fit.NumData() << " points:\n"
      << "  petal width = " << Fixed(k, 1, 4) << " * petal length " << (d < 0 ? "- " : "+ ")
      << Fixed(std::fabs(d), 1, 4) << " cm   (R^2 = " << Fixed(quality, 1, 4)
      << ", r = " << Fixed(fit.GetRxy(), 1, 4) << ")\n";

  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("nuv-demo-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string file = AnsiFileName((dir / "petals.asc").string());
  try {
    fit.ExportAsASC(file, "Iris petals: length (x) and width (y) in cm", 1);
    std::string comment;
    int32_t cols = 0, rows = 0;
    bool attribs = false, colNames = false, rowNames = false, fourth = false;
    const int16_t code =
        ReadHeaderOfASC(file, comment, cols, rows, attribs, colNames, rowNames, fourth);
    out << "\nASC file written by TCurveFit.ExportAsASC:\n  " << file << '\n'
        << "Its header read back by ReadHeaderOfASC: result " << code << ",\n  comment \""
        << comment << "\",\n  " << cols << " columns, " << rows << " rows; row attributes "
        << YesNo(attribs) << ", column names " << YesNo(colNames) << ", row names "
        << YesNo(rowNames) << '\n';
  } catch (...) {
    fs::remove_all(dir);
    throw;
  }
  fs::remove_all(dir);
}

// Principal components of the four measurements in correlation mode: the
// shares of explained variance, the loadings, and the line through the
// first two score columns, which are uncorrelated by construction.
void ShowPrincipalComponents(std::ostream& out, const TDataTable& t) {
  const TMatrix& data = t.DataMatrix();
  if (!CalcPrincComp(data, 1, kMeasures, 1, kFlowers, 2, true)) {
    out << "\nThe principal component analysis failed.\n";
    return;
  }
  out << "\nPrincipal components (CalcPrincComp, correlation mode):\n  " << Padded("", 14);
  for (int32_t j = 1; j <= kMeasures; ++j) out << "           PC" << j;
  out << "\n  " << Padded("explained", 14);
  for (int32_t j = 1; j <= kMeasures; ++j) out << Fixed(100 * GetEigenResult(j, 0), 13, 2) << '%';
  out << '\n';
  for (int32_t i = 1; i <= kMeasures; ++i) {
    out << "  " << Padded(t.GetColName(i).Str(), 14);
    for (int32_t j = 1; j <= kMeasures; ++j) out << Fixed(GetEigenResult(i, j), 14, 4);
    out << '\n';
  }
  // Scores: the standardised measurements projected on the first two
  // loadings.
  double mean[kMeasures], sd[kMeasures];
  for (int32_t c = 0; c < kMeasures; ++c) {
    double variance = 0;
    t.MeanVarOfNumCells(c + 1, 0, c + 1, 0, mean[c], variance);
    sd[c] = std::sqrt(variance);
  }
  TCurveFit fit(nullptr);
  for (int32_t r = 1; r <= kFlowers; ++r) {
    double score[2] = {0, 0};
    for (int32_t j = 0; j < 2; ++j)
      for (int32_t c = 0; c < kMeasures; ++c)
        score[j] += (data.GetVal(c + 1, r) - mean[c]) / sd[c] * GetEigenResult(c + 1, j + 1);
    fit.EnterStatValue(score[0], score[1]);
  }
  double k = 0, d = 0, quality = 0;
  fit.CalcLinFit(k, d, quality);
  out << "  line through the scores of PC1 (x) and PC2 (y): y = " << Fixed(k, 1, 4) << " * x "
      << (d < 0 ? "- " : "+ ") << Fixed(std::fabs(d), 1, 4)
      << "   (r = " << Fixed(fit.GetRxy(), 1, 4) << ")\n";
  RemoveEigenMatrix();
}

}  // namespace

void ShowEvaluation(std::ostream& out) {
  TDataTable t(nullptr);
  FillTable(t);
  const int32_t nominal = t.ListOfCategorialVars().front();
  out << "\nEvaluation of a measurement series\n"
      << "  data     " << t.Comment() << '\n'
      << "  table    \"" << t.Name() << "\", " << t.NrOfColumns() << " columns x " << t.NrOfRows()
      << " rows, " << t.CountNumCells(0, 0, 0, 0) << " numeric cells\n"
      << "  " << Padded(AnsiLowerCase(MScaleTypeNames[t.GetMScaleType(nominal)]), 9) << "column "
      << nominal << " \"" << t.GetColName(nominal).View() << "\":";
  for (int32_t k = 1; !t.GetNominalID(nominal, k).Empty(); ++k)
    out << (k > 1 ? ", " : " ") << t.GetNominalID(nominal, k).View();
  out << '\n';
  ShowColumns(out, t);
  ShowSpeciesMeans(out, t);
  if (!ShowCovariances(out, t)) out << "\nThe covariance computation was aborted.\n";
  ShowPrincipalComponents(out, t);
  ShowLineFit(out, t);
}

}  // namespace nuv::tool
