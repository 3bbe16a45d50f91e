#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "ExpectCases.h"
#include "Nuv_datatable_test.h"
#include "Nuv_matrix_test.h"
#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_univconst.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;
using testing::TEventLog;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Columns of values; NaN marks an empty cell.
TDataTable* MakeTable(TDataTable& t, const std::vector<std::vector<double>>& columns) {
  t.Resize(static_cast<int32_t>(columns.size()), static_cast<int32_t>(columns[0].size()));
  for (int32_t c = 1; c <= t.NrOfColumns(); ++c)
    for (int32_t r = 1; r <= t.NrOfRows(); ++r) {
      const double x = columns[c - 1][r - 1];
      t.SetElem(c, r, std::isnan(x) ? 0 : x);
      t.SetCellState(c, r, std::isnan(x) ? cellEmpty : 0);
    }
  return &t;
}

// The progress callback is process-wide; each test that sets it restores it.
struct TFeedBack {
  explicit TFeedBack(TMathFeedBackProc proc) { MathFeedBackProc = std::move(proc); }
  ~TFeedBack() {
    MathFeedBackProc = nullptr;
    AbortMathProc = false;
  }
};

// ---------------------------------------------------------------------------
// Range statistics

// Column 1 interval 1, 2, empty, 4 (imputed); column 2 nominal 5..8;
// column 3 ratio 10, 20, 30 and a cell that is not a number. Marks: (1, 1)
// and (2, 1) the first, (3, 2) the second.
struct TMixed {
  TDataTable t{nullptr};
  TMixed() {
    t.SetName("T");
    MakeTable(t, {{1, 2, kNaN, 4}, {5, 6, 7, 8}, {10, 20, 30, 99}});
    t.SetMScaleType(2, stNominal);
    t.SetMScaleType(3, stRatio);
    t.SetCellState(3, 4, cellNotANumber);
    t.SetIsImputed(1, 4, true);
    t.SetCellState(1, 1, cellMark1);
    t.SetCellState(2, 1, cellMark1);
    t.SetCellState(3, 2, cellMark2);
  }
};

TEST(TDataTableStats, CountsAndSums) {
  TMixed m;
  testing::ExpectAll({
      {"CountNumCells", m.t.CountNumCells(0, 0, 0, 0), 6},
      {"CountValidCells", m.t.CountValidCells(0, 0, 0, 0), 10},
      {"CountEmptyCells", m.t.CountEmptyCells(0, 0, 0, 0), 1},
      {"CountImputedCells", m.t.CountImputedCells(0, 0, 0, 0), 1},
      {"CountNumCells rows 2..3", m.t.CountNumCells(0, 3, 0, 2), 3},
      {"CountNumCells column 2", m.t.CountNumCells(2, 0, 2, 0), 0},
      {"CountValidCells clamped", m.t.CountValidCells(-5, 9, 1, -3), 3},
  });
  struct TCase {
    const char* what;
    std::function<double(int64_t&)> sum;
    double want;
    int64_t count;
  };
  const TCase cases[] = {
      {"Num", [&](int64_t& n) { return m.t.SumOfNumCells(0, 0, 0, 0, n); }, 67, 6},
      {"first mark", [&](int64_t& n) { return m.t.SumOfMarkedCells(0, 0, 0, 0, cellMark1, n); }, 1,
       1},
      {"both marks",
       [&](int64_t& n) { return m.t.SumOfMarkedCells(0, 0, 0, 0, cellMark1 | cellMark2, n); }, 21,
       2},
      {"bits 1 and 2 do not mark",
       [&](int64_t& n) { return m.t.SumOfMarkedCells(0, 0, 0, 0, 3, n); }, 0, 0},
      {"imputed bit marks",
       [&](int64_t& n) { return m.t.SumOfMarkedCells(0, 0, 0, 0, cellImputed, n); }, 4, 1},
  };
  for (const TCase& c : cases) {
    int64_t n = -1;
    EXPECT_EQ(c.sum(n), c.want) << c.what;
    EXPECT_EQ(n, c.count) << c.what;
  }
}

TEST(TDataTableStats, Extremes) {
  TMixed m;
  double lo = 0, hi = 0;
  EXPECT_EQ(m.t.MinMaxOfNumCells(0, 0, 0, 0, lo, hi), 6);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 30);
  m.t.SetElem(2, 2, 6.6);
  EXPECT_EQ(m.t.MinMaxOfValidCells(2, 0, 2, 0, lo, hi), 4);
  EXPECT_EQ(lo, 5);
  EXPECT_EQ(hi, 8) << "nominal cells count as GetElem reads them";
  EXPECT_EQ(m.t.MinMaxOfMarkedCells(0, 0, 0, 0, cellMark2, lo, hi), 1);
  EXPECT_EQ(lo, 20);
  EXPECT_EQ(hi, 20);
  EXPECT_EQ(m.t.MinMaxOfNumCells(2, 0, 2, 0, lo, hi), 0);
  EXPECT_EQ(lo, static_cast<double>(uc_MaxReal));
  EXPECT_EQ(hi, -static_cast<double>(uc_MaxReal));
  // Values beyond the start values are found all the same.
  m.t.SetElem(3, 1, 1e300);
  m.t.SetElem(3, 2, -1e300);
  EXPECT_EQ(m.t.MinMaxOfNumCells(3, 0, 3, 0, lo, hi), 3);
  EXPECT_EQ(lo, -1e300);
  EXPECT_EQ(hi, 1e300);
}

TEST(TDataTableStats, MeansAndVariances) {
  TMixed m;
  double mean = 0, variance = 0;
  EXPECT_EQ(m.t.MeanVarOfNumCells(0, 0, 0, 0, mean, variance), 6);
  EXPECT_DOUBLE_EQ(mean, 67.0 / 6);
  EXPECT_DOUBLE_EQ(variance, (1421 - 67.0 * 67 / 6) / 5);
  EXPECT_EQ(m.t.MeanVarOfNumCells(3, 1, 3, 2, mean, variance), 2);
  EXPECT_EQ(mean, 15);
  EXPECT_EQ(variance, 1.0) << "two cells report 1";
  EXPECT_EQ(m.t.MeanVarOfNumCells(3, 0, 3, 0, mean, variance), 3);
  EXPECT_EQ(variance, 100) << "three cells give the sample variance";
  EXPECT_EQ(m.t.MeanVarOfNumCells(2, 0, 2, 0, mean, variance), 0);
  EXPECT_EQ(mean, 0);
  EXPECT_EQ(m.t.MeanVarOfMarkedCells(0, 0, 0, 0, cellMark1 | cellMark2, mean, variance), 2);
  EXPECT_EQ(mean, 10.5);

  int64_t n = 0;
  EXPECT_DOUBLE_EQ(m.t.GeometricMeanOfNumCells(0, 0, 0, 0, n), std::pow(48000.0, 1.0 / 6));
  EXPECT_EQ(n, 6);
  EXPECT_DOUBLE_EQ(m.t.HarmonicMeanOfNumCells(0, 0, 0, 0, n),
                   6 / (1 + 0.5 + 0.25 + 0.1 + 0.05 + 1.0 / 30));
  EXPECT_EQ(n, 6);
  // No Num cells: 0 and no count, not exp(0/0).
  n = 9;
  EXPECT_EQ(m.t.GeometricMeanOfNumCells(2, 0, 2, 0, n), 0);
  EXPECT_EQ(n, 0);
  n = 9;
  EXPECT_EQ(m.t.HarmonicMeanOfNumCells(2, 0, 2, 0, n), 0);
  EXPECT_EQ(n, 0);

  m.t.SetElem(1, 2, 0);
  EXPECT_EQ(m.t.GeometricMeanOfNumCells(0, 0, 0, 0, n), 0) << "a zero";
  EXPECT_EQ(n, 5) << "positive cells";
  ExpectThrowMessage<ENUVMatrixError>(
      [&] { m.t.HarmonicMeanOfNumCells(0, 0, 0, 0, n); },
      "Component \"T\": negative or zero argument passed to HarmonicMean");
  m.t.SetElem(1, 2, -2);
  ExpectThrowMessage<ENUVMatrixError>([&] { m.t.GeometricMeanOfNumCells(0, 0, 0, 0, n); },
                                      "Component \"T\": negative argument passed to GeometricMean");
}

TEST(TDataTableStats, QuartilesAndPercentiles) {
  TMixed m;
  double q1 = 0, q2 = 0, q3 = 0;
  int64_t n = 0;
  EXPECT_TRUE(m.t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n));
  EXPECT_EQ(n, 6);
  EXPECT_EQ(q1, 1.75);
  EXPECT_EQ(q2, 7);
  EXPECT_EQ(q3, 22.5);
  EXPECT_TRUE(m.t.QuartilesOfNumCells(2, 0, 2, 0, q1, q2, q3, n));
  EXPECT_EQ(n, 0);
  EXPECT_EQ(q1 + q2 + q3, 0);
  EXPECT_TRUE(m.t.QuartilesOfNumCells(3, 1, 3, 1, q1, q2, q3, n));
  EXPECT_EQ(q1, 10);
  EXPECT_EQ(q3, 10);
  // Two cells: the upper quartile is the larger one, not the smaller.
  EXPECT_TRUE(m.t.QuartilesOfNumCells(3, 1, 3, 2, q1, q2, q3, n));
  EXPECT_EQ(q1, 10);
  EXPECT_EQ(q2, 15);
  EXPECT_EQ(q3, 20);

  struct TCase {
    double p, want;
  };
  const TCase cases[] = {{150, 30}, {100, 30}, {-5, 1}, {kNaN, 1}, {50, 7}, {0, 1}, {99, 30}};
  for (const TCase& c : cases) {
    EXPECT_EQ(m.t.PercentileOfNumCells(c.p, 0, 0, 0, 0, n), c.want) << "p=" << c.p;
    EXPECT_EQ(n, 6) << "p=" << c.p;
  }
  EXPECT_EQ(m.t.PercentileOfMarkedCells(100, 0, 0, 0, 0, cellMark1 | cellMark2, n), 20);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(m.t.PercentileOfMarkedCells(50, 0, 0, 0, 0, 4, n), 0);
  EXPECT_EQ(n, 0);
}

// ---------------------------------------------------------------------------
// Covariance and correlation

// Column 1: 1 2 3 4 5; column 2: 2 4 - 8 9; column 3: 5 3 4 x 1, where - is
// an empty cell and x a cell that is not a number.
struct TMissing {
  TDataTable t{nullptr};
  TMissing() {
    MakeTable(t, {{1, 2, 3, 4, 5}, {2, 4, kNaN, 8, 9}, {5, 3, 4, 77, 1}});
    t.SetCellState(3, 4, cellNotANumber);
  }
};

void ExpectMatrixNear(const TMatrix& m, const std::vector<std::vector<double>>& want,
                      const std::string& what) {
  for (std::size_t i = 0; i < want.size(); ++i)
    for (std::size_t j = 0; j < want.size(); ++j)
      EXPECT_NEAR(m.GetVal(static_cast<int32_t>(j + 1), static_cast<int32_t>(i + 1)), want[i][j],
                  1e-12 * (1 + std::fabs(want[i][j])))
          << what << " (" << i + 1 << ", " << j + 1 << ")";
}

TEST(TDataTableCovar, HandComputedWithMissingCells) {
  TMissing d;
  // Means over each column's numbers: 3, 23/4, 13/4. Shared rows: 1-2
  // rows 1 2 4 5, 1-3 rows 1 2 3 5, 2-3 rows 1 2 5.
  const double r12 = 18 / std::sqrt(10 * 32.75), r13 = -7.75 / 8.75,
               r23 = -14 / std::sqrt(26.0 * 8);
  struct TCase {
    int32_t mode;
    std::vector<std::vector<double>> want;
  };
  const TCase cases[] = {
      {0,
       {{55.0 / 4, 87.0 / 3, 28.0 / 3},
        {87.0 / 3, 165.0 / 3, 31.0 / 2},
        {28.0 / 3, 31.0 / 2, 51.0 / 3}}},
      {1, {{2.5, 6, -7.75 / 3}, {6, 32.75 / 3, -13.4375 / 2}, {-7.75 / 3, -13.4375 / 2, 8.75 / 3}}},
      {2, {{1, r12, r13}, {r12, 1, r23}, {r13, r23, 1}}},
      {3, {{1, r12 * r12, r13 * r13}, {r12 * r12, 1, r23 * r23}, {r13 * r13, r23 * r23, 1}}},
      {4, {{0, 37.0 / 3, 34.0 / 3}, {37.0 / 3, 0, 74.0 / 2}, {34.0 / 3, 74.0 / 2, 0}}},
  };
  for (const TCase& c : cases) {
    TMatrix cov(nullptr);
    cov.Resize(3, 3);
    EXPECT_TRUE(d.t.CalcCovar(cov, 0, 0, 0, 0, c.mode)) << "mode " << c.mode;
    ExpectMatrixNear(cov, c.want, "mode " + std::to_string(c.mode));
  }
}

TEST(TDataTableCovar, WithoutMissingCells) {
  TDataTable t(nullptr);
  MakeTable(t, {{1, 2, 3, 4}, {2, 4, 6, 9}, {7, 7, 7, 7}});
  const double r = 11.5 / std::sqrt(5 * 26.75);
  TMatrix cov(nullptr);
  cov.Resize(4, 5);
  cov.Fill(-1);
  EXPECT_TRUE(t.CalcCovar(cov, 0, 0, 0, 0, 1));
  ExpectMatrixNear(cov, {{5.0 / 3, 11.5 / 3, 0}, {11.5 / 3, 26.75 / 3, 0}, {0, 0, 0}},
                   "covariance");
  EXPECT_EQ(cov.GetVal(4, 1), -1) << "outside the result";
  EXPECT_TRUE(t.CalcCovar(cov, 0, 0, 0, 0, 2));
  ExpectMatrixNear(cov, {{1, r, 0}, {r, 1, 0}, {0, 0, 1}}, "correlation, constant column");
  // A window: columns 2..1 (ordered), rows 2..3.
  EXPECT_TRUE(t.CalcCovar(cov, 2, 1, 3, 2, 1));
  ExpectMatrixNear(cov, {{0.5, 1}, {1, 2}}, "window");
}

TEST(TDataTableCovar, DenseAndMissingPathsAgree) {
  // The same data once without missing cells and once with an extra row of
  // empty cells, which counts the shared rows; with a large offset, where
  // uncentred sums would lose every digit.
  std::mt19937 gen(7);
  std::normal_distribution<double> noise(0, 1);
  const int32_t cols = 6, rows = 300;
  TDataTable dense(nullptr), gappy(nullptr);
  dense.Resize(cols, rows);
  gappy.Resize(cols, rows + 1);
  for (int32_t r = 1; r <= rows; ++r) {
    const double base = noise(gen);
    for (int32_t c = 1; c <= cols; ++c) {
      const double x = 1e8 + c * base + noise(gen);
      dense.SetElem(c, r, x);
      gappy.SetElem(c, r, x);
    }
  }
  for (int32_t c = 1; c <= cols; ++c) gappy.SetIsEmpty(c, rows + 1, true);
  for (int32_t mode = 0; mode <= 4; ++mode) {
    TMatrix a(nullptr), b(nullptr);
    a.Resize(cols, cols);
    b.Resize(cols, cols);
    ASSERT_TRUE(dense.CalcCovar(a, 0, 0, 0, 0, mode));
    ASSERT_TRUE(gappy.CalcCovar(b, 0, 0, 0, 0, mode));
    for (int32_t i = 1; i <= cols; ++i)
      for (int32_t j = 1; j <= cols; ++j)
        EXPECT_NEAR(a.GetVal(i, j), b.GetVal(i, j), 1e-9 * std::fabs(b.GetVal(i, j)) + 1e-12)
            << "mode " << mode << " (" << i << ", " << j << ")";
  }
  TMatrix corr(nullptr);
  corr.Resize(cols, cols);
  ASSERT_TRUE(dense.CalcCovar(corr, 0, 0, 0, 0, 2));
  EXPECT_GT(corr.GetVal(6, 5), 0.9) << "the columns share their base";
  EXPECT_LT(corr.GetVal(6, 5), 1);
}

TEST(TDataTableCovar, ManyColumnsAgainstTextbookSums) {
  // Enough columns for the products to be taken in several panels.
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> value(-5, 5);
  const int32_t cols = 31, rows = 40;
  std::vector<std::vector<double>> x(cols, std::vector<double>(rows));
  for (auto& column : x)
    for (double& v : column) v = value(gen);
  for (bool gaps : {false, true}) {
    TDataTable t(nullptr);
    MakeTable(t, x);
    if (gaps) t.SetIsEmpty(7, 3, true);
    TMatrix cov(nullptr), corr(nullptr);
    cov.Resize(cols, cols);
    corr.Resize(cols, cols);
    ASSERT_TRUE(t.CalcCovar(cov, 0, 0, 0, 0, 1));
    ASSERT_TRUE(t.CalcCovar(corr, 0, 0, 0, 0, 2));
    const auto num = [&](int32_t c, int32_t r) { return !(gaps && c == 6 && r == 2); };
    std::vector<long double> mean(cols, 0);
    for (int32_t c = 0; c < cols; ++c) {
      int32_t n = 0;
      for (int32_t r = 0; r < rows; ++r)
        if (num(c, r)) mean[c] += x[c][r], ++n;
      mean[c] /= n;
    }
    for (int32_t i = 0; i < cols; ++i)
      for (int32_t j = 0; j < cols; ++j) {
        long double sxy = 0, sxx = 0, syy = 0, sx = 0, sy = 0;
        int32_t n = 0;
        for (int32_t r = 0; r < rows; ++r) {
          if (!num(i, r) || !num(j, r)) continue;
          const long double a = x[i][r], b = x[j][r];
          sxy += (a - mean[i]) * (b - mean[j]);
          sx += a, sy += b, sxx += a * a, syy += b * b, ++n;
        }
        const long double r = (sxy - (sx - n * mean[i]) * (sy - n * mean[j]) / n) /
                              std::sqrt((sxx - sx * sx / n) * (syy - sy * sy / n));
        EXPECT_NEAR(cov.GetVal(j + 1, i + 1), static_cast<double>(sxy / (n - 1)), 1e-12)
            << "gaps " << gaps << " (" << i + 1 << ", " << j + 1 << ")";
        EXPECT_NEAR(corr.GetVal(j + 1, i + 1), static_cast<double>(r), 1e-12)
            << "gaps " << gaps << " (" << i + 1 << ", " << j + 1 << ")";
      }
  }
}

TEST(TDataTableCovar, DegenerateInput) {
  struct TCase {
    const char* what;
    std::vector<std::vector<double>> columns;
    TMScaleType type2;
    int32_t mode;
    std::vector<std::vector<double>> want;
  };
  const TCase cases[] = {
      {"one shared row", {{1, kNaN, 3}, {kNaN, 5, 6}}, stInterval, 1, {{2, 0}, {0, 0.5}}},
      {"one shared row, products", {{1, kNaN, 3}, {kNaN, 5, 6}}, stInterval, 0, {{10, 0}, {0, 61}}},
      {"one shared row, correlation",
       {{1, kNaN, 3}, {kNaN, 5, 6}},
       stInterval,
       2,
       {{1, 0}, {0, 1}}},
      {"no shared row", {{1, kNaN}, {kNaN, 5}}, stInterval, 4, {{0, 0}, {0, 0}}},
      {"nominal column", {{1, 2, 4}, {1, 2, 3}}, stNominal, 1, {{7.0 / 3, 0}, {0, 0}}},
      {"nominal column, correlation", {{1, 2, 4}, {1, 2, 3}}, stNominal, 3, {{1, 0}, {0, 1}}},
      {"two rows", {{1, 2}, {2, 1}}, stInterval, 2, {{1, 0}, {0, 1}}},
  };
  for (const TCase& c : cases) {
    TDataTable t(nullptr);
    MakeTable(t, c.columns);
    t.SetMScaleType(2, c.type2);
    TMatrix cov(nullptr);
    cov.Resize(2, 2);
    EXPECT_TRUE(t.CalcCovar(cov, 0, 0, 0, 0, c.mode)) << c.what;
    ExpectMatrixNear(cov, c.want, c.what);
  }
}

TEST(TDataTableCovar, RefusedRequestsLeaveTheTarget) {
  TMissing d;
  testing::TTestMatrix small({{9, 9}, {9, 9}});
  for (int32_t mode : {1, -1, 5}) EXPECT_FALSE(d.t.CalcCovar(small.m, 0, 0, 0, 0, mode)) << mode;
  EXPECT_EQ(small.changes, 0);
  EXPECT_EQ(small.Rows(), (testing::TRows{{9, 9}, {9, 9}}));
  EXPECT_TRUE(d.t.CalcCovar(small.m, 1, 2, 0, 0, 1)) << "two columns fit";
  EXPECT_EQ(small.changes, 1) << "the target changes once";
}

TEST(TDataTableCovar, AbortBeforeARowOfTheResult) {
  TMissing d;
  TMatrix cov(nullptr);
  cov.Resize(3, 3);
  cov.Fill(-1);
  for (bool dense : {false, true}) {
    TDataTable& t = d.t;
    if (dense) t.SetAllCellStates(0);
    int32_t calls = 0;
    const int32_t start = ProcStat;
    TFeedBack feedback([&](int32_t) {
      if (++calls == 2) AbortMathProc = true;
    });
    AbortMathProc = true;  // left over from before: cleared at the start
    EXPECT_FALSE(t.CalcCovar(cov, 0, 0, 0, 0, 1)) << "dense " << dense;
    EXPECT_EQ(calls, 2) << "dense " << dense << ": stopped before the third row";
    EXPECT_EQ(ProcStat - start, 2) << "dense " << dense;
    EXPECT_EQ(cov.GetVal(1, 1), -1) << "dense " << dense << ": target untouched";
  }
  TFeedBack none(nullptr);
  EXPECT_TRUE(d.t.CalcCovar(cov, 0, 0, 0, 0, 1));
  EXPECT_EQ(cov.GetVal(1, 1), 2.5);
}

// ---------------------------------------------------------------------------
// Standardisation

TEST(TDataTableStats, StandardizeAndCenterColumns) {
  TDataTable t(nullptr);
  MakeTable(t, {{1, 2, kNaN, 6}, {5, 6, 7, 8}, {4, 4, 4, 4}});
  t.SetElem(1, 3, 100);  // empty: untouched and left out
  t.SetMScaleType(2, stOrdinal);
  TVector means(nullptr), sds(nullptr);
  means.Resize(3);  // sds is fresh, one element: it grows to the columns
  means.Fill(-1);
  TEventLog log(t);
  t.StandardizeNumCellColumns(&means, &sds);
  EXPECT_EQ(log.Take(), "Change");
  const double sd = std::sqrt(7.0);
  EXPECT_DOUBLE_EQ(t.GetElem(1, 1), -2 / sd);
  EXPECT_DOUBLE_EQ(t.GetElem(1, 4), 3 / sd);
  EXPECT_EQ(t.GetElem(1, 3), 100);
  EXPECT_EQ(t.GetElem(2, 1), 5) << "ordinal column untouched";
  EXPECT_EQ(t.GetElem(3, 1), 4) << "no spread: untouched";
  EXPECT_EQ(means.GetVal(1), 3);
  EXPECT_EQ(means.GetVal(2), -1) << "not written for an ordinal column";
  EXPECT_EQ(means.GetVal(3), 4);
  EXPECT_DOUBLE_EQ(sds.GetVal(1), sd);
  EXPECT_EQ(sds.NrOfElem(), 3);
  EXPECT_EQ(sds.GetVal(3), 0);

  TDataTable flat(nullptr);
  MakeTable(flat, {{2, 2, 2}});
  TEventLog flatLog(flat);
  flat.StandardizeNumCellColumns(nullptr, nullptr);
  EXPECT_EQ(flatLog.Take(), "") << "nothing had spread";
  flat.MeanCenterNumCellColumns(nullptr);
  EXPECT_EQ(flatLog.Take(), "Change");
  EXPECT_EQ(flat.GetElem(1, 2), 0);

  t.MeanCenterNumCellColumns(&means);
  EXPECT_NEAR(means.GetVal(1), 0, 1e-15);
  EXPECT_EQ(t.GetElem(3, 4), 0);
}

TEST(TDataTableStats, StandardizeAndCenterRows) {
  TDataTable t(nullptr);
  MakeTable(t, {{1, 10}, {3, kNaN}, {5, 30}});
  t.SetMScaleType(3, stUnknown);  // transformed, but not part of the mean
  TVector means(nullptr), sds(nullptr);  // one element each: they grow to the rows
  sds.Resize(7);
  t.StandardizeNumCellRows(&means, &sds);
  EXPECT_EQ(means.NrOfElem(), 2);
  EXPECT_EQ(sds.NrOfElem(), 2);
  EXPECT_EQ(means.GetVal(1), 2);
  EXPECT_EQ(sds.GetVal(1), 1) << "two cells: variance 1";
  EXPECT_EQ(t.GetElem(1, 1), -1);
  EXPECT_EQ(t.GetElem(3, 1), 3);
  EXPECT_EQ(means.GetVal(2), 10);
  EXPECT_EQ(t.GetElem(3, 2), 20);
  t.MeanCenterNumCellRows(&means);
  EXPECT_EQ(means.GetVal(1), 0);

  t.SetMScaleType(2, stNominal);
  ExpectThrowMessage<ENUVDataTableError>(
      [&] { t.StandardizeNumCellRows(nullptr, nullptr); },
      "standardization of rows is not possible with nominal or ordinal variables");
  ExpectThrowMessage<ENUVDataTableError>(
      [&] { t.MeanCenterNumCellRows(nullptr); },
      "mean centering of rows is not possible with nominal or ordinal variables");
}

}  // namespace
}  // namespace nuv
