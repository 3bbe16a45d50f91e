// nuv stats: column statistics, the covariance or correlation matrix and
// means per class of a table, through the data table's importers and range
// statistics.
#include <cmath>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cli.h"
#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_stringl.h"

namespace nuv::tool {

namespace {

constexpr const char* kStatsDescription =
    "Reads FILE, a CSV file whose first line names the columns (delimiter\n"
    "guessed from tab, semicolon, comma, colon; empty fields are missing\n"
    "values) or an ASC table (extension .asc), and prints per numeric column\n"
    "the count of values, mean, standard deviation, minimum, quartiles and\n"
    "maximum. --cov or --corr adds the covariance or correlation matrix over\n"
    "the rows where both columns hold values. --by COLUMN treats that column\n"
    "as a nominal class code (numbers) and prints the means per class.";

struct TStatsArgs {
  std::string File;
  bool Cov = false;
  bool Corr = false;
  std::string By;
  TOutputMode Output{false, 6};
};

struct TColumnStats {
  int32_t Col = 0;
  int64_t Count = 0;
  double Mean = 0, StdDev = 0, Min = 0, Q1 = 0, Median = 0, Q3 = 0, Max = 0;
};

TColumnStats StatsOf(const TDataTable& t, int32_t c) {
  TColumnStats s;
  s.Col = c;
  double variance = 0;
  s.Count = t.MeanVarOfNumCells(c, 0, c, 0, s.Mean, variance);
  t.QuartilesOfNumCells(c, 0, c, 0, s.Q1, s.Median, s.Q3, s.Count);
  t.MinMaxOfNumCells(c, 0, c, 0, s.Min, s.Max);
  s.StdDev = std::sqrt(variance);
  return s;
}

std::string Name(const TDataTable& t, int32_t c) { return Utf8(t.GetColName(c).View()); }

std::string Cell(double x, int32_t digits) {
  return SigDigStr(x, std::max(12, digits + 2), digits);
}

std::string Padded(std::string s, std::size_t width) {
  if (s.size() < width) s.resize(width, ' ');
  return s;
}

std::size_t NameWidth(const TDataTable& t, const std::vector<int32_t>& cols) {
  std::size_t w = 8;
  for (int32_t c : cols) w = std::max(w, Name(t, c).size() + 2);
  return w;
}

// The class codes found in column by, ascending.
std::set<double> ClassesOf(const TDataTable& t, int32_t by) {
  std::set<double> codes;
  for (int32_t r = 1; r <= t.NrOfRows(); ++r)
    if (t.GetIsNumber(by, r)) codes.insert(t.GetElem(by, r));
  return codes;
}

// Means of the numeric columns over the rows of one class, through the
// cells marked for it.
std::vector<std::pair<int64_t, double>> ClassMeans(TDataTable& t, int32_t by, double code,
                                                   const std::vector<int32_t>& cols) {
  t.UnmarkAllCells();
  for (int32_t r = 1; r <= t.NrOfRows(); ++r) {
    if (!t.GetIsNumber(by, r) || t.GetElem(by, r) != code) continue;
    for (int32_t c : cols) t.SetCellState(c, r, t.GetCellState(c, r) | cellMark1);
  }
  std::vector<std::pair<int64_t, double>> means;
  for (int32_t c : cols) {
    double mean = 0, variance = 0;
    const int64_t n = t.MeanVarOfMarkedCells(c, 0, c, 0, cellMark1, mean, variance);
    means.emplace_back(n, mean);
  }
  t.UnmarkAllCells();
  return means;
}

void PrintColumns(const TDataTable& t, const std::vector<TColumnStats>& stats,
                  const std::vector<int32_t>& cols, int32_t digits) {
  const std::size_t w = NameWidth(t, cols);
  std::cout << Padded("column", w) << "       count        mean    std.dev.         min"
            << "          Q1      median          Q3         max\n";
  for (const TColumnStats& s : stats)
    std::cout << Padded(Name(t, s.Col), w) << std::string(12 - std::to_string(s.Count).size(), ' ')
              << s.Count << Cell(s.Mean, digits) << Cell(s.StdDev, digits) << Cell(s.Min, digits)
              << Cell(s.Q1, digits) << Cell(s.Median, digits) << Cell(s.Q3, digits)
              << Cell(s.Max, digits) << '\n';
}

// The matrix of the numeric columns, taken from the first column to the
// last so that the data table's own ranges are used.
void ComputeMatrix(TDataTable& t, const std::vector<int32_t>& cols, int32_t mode, TMatrix& m) {
  const int32_t lo = cols.front(), hi = cols.back();
  m.Resize(hi - lo + 1, hi - lo + 1);
  TLongJob job("covariance");
  if (!t.CalcCovar(m, lo, hi, 0, 0, mode)) throw TJobError("the matrix was not computed (aborted)");
}

ordered_json StatsJson(const TDataTable& t, const std::vector<TColumnStats>& stats) {
  ordered_json columns = ordered_json::array();
  for (const TColumnStats& s : stats)
    columns.push_back({{"name", Name(t, s.Col)},
                       {"count", s.Count},
                       {"mean", s.Mean},
                       {"stddev", s.StdDev},
                       {"min", s.Min},
                       {"q1", s.Q1},
                       {"median", s.Median},
                       {"q3", s.Q3},
                       {"max", s.Max}});
  return columns;
}

void Run(const TStatsArgs& a) {
  TDataTable t(nullptr);
  ReadTable(a.File, t);
  const int32_t by = a.By.empty() ? 0 : ColumnOf(t, a.By);
  if (by > 0) t.SetMScaleType(by, stNominal);
  std::vector<int32_t> cols;
  for (int32_t c = 1; c <= t.NrOfColumns(); ++c)
    if (c != by) cols.push_back(c);
  if (cols.empty()) throw TJobError(a.File + ": no numeric column");

  std::vector<TColumnStats> stats;
  for (int32_t c : cols) stats.push_back(StatsOf(t, c));
  const int64_t empty = t.CountEmptyCells(0, 0, 0, 0);
  if (empty > 0)
    std::cerr << "nuv stats: " << a.File << ": " << empty
              << " empty cells (missing values or short rows) are left out\n";

  ordered_json doc;
  if (a.Output.Json)
    doc = {{"file", a.File},
           {"columns", t.NrOfColumns()},
           {"rows", t.NrOfRows()},
           {"statistics", StatsJson(t, stats)}};
  else {
    std::cout << a.File << ": " << t.NrOfColumns() << " columns, " << t.NrOfRows() << " rows\n\n";
    PrintColumns(t, stats, cols, a.Output.Digits);
  }

  if (a.Cov || a.Corr) {
    TMatrix m(nullptr);
    ComputeMatrix(t, cols, a.Corr ? 2 : 1, m);
    const int32_t lo = cols.front();
    const char* title = a.Corr ? "correlation" : "covariance";
    if (a.Output.Json) {
      ordered_json rows = ordered_json::array();
      for (int32_t r : cols) {
        ordered_json row = ordered_json::array();
        for (int32_t c : cols) row.push_back(m.GetVal(c - lo + 1, r - lo + 1));
        rows.push_back(row);
      }
      doc[title] = rows;
    } else {
      const std::size_t w = NameWidth(t, cols);
      std::cout << '\n' << title << " matrix\n" << Padded("", w);
      for (int32_t c : cols)
        std::cout << std::string(12 - std::min<std::size_t>(11, Name(t, c).size()), ' ')
                  << Name(t, c).substr(0, 11);
      std::cout << '\n';
      for (int32_t r : cols) {
        std::cout << Padded(Name(t, r), w);
        for (int32_t c : cols) std::cout << Cell(m.GetVal(c - lo + 1, r - lo + 1), a.Output.Digits);
        std::cout << '\n';
      }
    }
  }

  if (by > 0) {
    ordered_json classes = ordered_json::array();
    if (!a.Output.Json) {
      const std::size_t w = NameWidth(t, cols);
      std::cout << "\nmeans by " << Name(t, by) << '\n' << Padded("class", 12);
      for (int32_t c : cols) std::cout << Padded(Name(t, c), std::max<std::size_t>(w, 14));
      std::cout << '\n';
    }
    for (double code : ClassesOf(t, by)) {
      const auto means = ClassMeans(t, by, code, cols);
      if (a.Output.Json) {
        ordered_json m = ordered_json::object();
        for (std::size_t i = 0; i < cols.size(); ++i)
          m[Name(t, cols[i])] = {{"count", means[i].first}, {"mean", means[i].second}};
        classes.push_back({{"class", code}, {"means", m}});
        continue;
      }
      std::cout << Padded(Number(code, 10), 12);
      for (std::size_t i = 0; i < cols.size(); ++i)
        std::cout << Padded(
            Number(means[i].second, a.Output.Digits) + " (" + std::to_string(means[i].first) + ")",
            std::max<std::size_t>(NameWidth(t, cols), 14));
      std::cout << '\n';
    }
    if (a.Output.Json) doc["by"] = {{"column", Name(t, by)}, {"classes", classes}};
  }
  if (a.Output.Json) PrintJson(doc);
}

}  // namespace

void AddStatsCommand(CLI::App& app) {
  auto a = std::make_shared<TStatsArgs>();
  CLI::App* cmd = app.add_subcommand("stats", "descriptive statistics of the columns of a table");
  cmd->footer(kStatsDescription);
  cmd->add_option("FILE", a->File, "CSV file or ASC table (.asc)")->required();
  auto* cov = cmd->add_flag("--cov", a->Cov, "print the covariance matrix");
  cmd->add_flag("--corr", a->Corr, "print the correlation matrix")->excludes(cov);
  cmd->add_option("--by", a->By, "column (name or number) of class codes: means per class");
  AddOutputOptions(*cmd, a->Output);
  cmd->callback([a] { Run(*a); });
}

}  // namespace nuv::tool
