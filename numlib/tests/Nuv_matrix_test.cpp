#include "Nuv_matrix_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_univconst.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;
using testing::Rows;
using testing::SetRows;
using testing::TRows;
using testing::TTestMatrix;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();

// The 3 × 4 matrix whose element (c, r) is 3(r - 1) + c.
TRows OneToTwelve() { return {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}}; }

std::vector<double> Values(const TVector& v) { return {v.Data(), v.Data() + v.NrOfElem()}; }

// ---------------------------------------------------------------------------
// Shape and access

TEST(TMatrix, ShapeAndColumnMajorStorage) {
  TMatrix m(nullptr);
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.GetVal(1, 1), 0);
  EXPECT_EQ(m.GetFPrecis(1), 15);
  EXPECT_EQ(m.GetFPrecis(2), -1);
  EXPECT_EQ(m.DataID(), "");

  SetRows(m, OneToTwelve());
  EXPECT_EQ(m.Column(2) - m.Column(1), 4) << "columns lie NrOfRows apart";
  EXPECT_EQ(m.Column(3)[1], 6);
  EXPECT_EQ(m.Column(0), nullptr);
  EXPECT_EQ(m.Column(4), nullptr);
  for (auto [c, r] : {std::pair{0, 1}, {1, 0}, {4, 1}, {1, 5}, {kIntMin, kIntMax}}) {
    EXPECT_EQ(m.GetVal(c, r), 0) << "c=" << c << " r=" << r;
    m.SetVal(c, r, 99);
  }
  EXPECT_EQ(Rows(m), OneToTwelve());
}

TEST(TMatrix, ResizeKeepsWhatBothShapesHold) {
  TTestMatrix t(OneToTwelve());
  EXPECT_TRUE(t.m.Resize(2, 5));
  EXPECT_EQ(t.Rows(), (TRows{{1, 2}, {4, 5}, {7, 8}, {10, 11}, {0, 0}}));
  t.m.SetNCols(3);
  t.m.SetNRows(2);
  EXPECT_EQ(t.Rows(), (TRows{{1, 2, 0}, {4, 5, 0}}));
  EXPECT_EQ(t.changes, 3);

  // Zero extents are reported as given; nothing stored shows through later.
  EXPECT_TRUE(t.m.Resize(0, 5));
  EXPECT_EQ(t.m.NrOfColumns(), 0);
  EXPECT_EQ(t.m.NrOfRows(), 5);
  EXPECT_EQ(t.m.GetVal(1, 1), 0);
  t.m.Fill(7);
  t.m.SAdd(1);
  t.m.Resize(1, 5);
  EXPECT_EQ(t.Rows(), (TRows{{0}, {0}, {0}, {0}, {0}}));
  t.m.Resize(-3, -1);
  EXPECT_EQ(t.m.NrOfColumns(), 0);
  EXPECT_EQ(t.m.NrOfRows(), 0);
  t.m.SetNrOfRows(2);
  t.m.SetNrOfColumns(-5);
  EXPECT_EQ(t.m.NrOfRows(), 2);
  EXPECT_EQ(t.m.NrOfColumns(), 0);

  SetRows(t.m, {{1, 2}});
  ExpectThrowMessage<ENUVMatrixError>([&] { t.m.Resize(kIntMax, kIntMax); },
                                      "Component \"M\": not enough memory on heap");
  EXPECT_EQ(t.Rows(), (TRows{{1, 2}})) << "unchanged";
}

TEST(TMatrix, PropertiesAndEvents) {
  TTestMatrix t;
  t.m.SetFPrecis(0, 40);
  t.m.SetFPrecis(7, -9);
  EXPECT_EQ(t.m.GetFPrecis(1), 25);
  EXPECT_EQ(t.m.GetFPrecis(2), -1);
  t.m.SetDataID("run 1");
  t.m.SetDataID("run 1");
  EXPECT_EQ(t.m.DataID(), "run 1");
  EXPECT_EQ(t.changes, 3);
  t.m.SetVal(1, 1, 2);
  t.m.SetVal(2, 1, 2);  // outside
  EXPECT_EQ(t.changes, 4);
}

// ---------------------------------------------------------------------------
// Copying, exchanging, mirroring

TEST(TMatrix, CopyFromClampsTheSourceAndSkipsOutsideTargets) {
  const struct {
    const char* what;
    int32_t loCol, loRow, hiCol, hiRow, destCol, destRow;
    TRows want;
  } cases[] = {
      {"inside", 1, 1, 2, 2, 2, 2, {{0, 0, 0}, {0, 1, 2}, {0, 4, 5}}},
      {"bounds ordered", 2, 2, 1, 1, 1, 1, {{1, 2, 0}, {4, 5, 0}, {0, 0, 0}}},
      {"zero bounds are 1, not the whole", 0, 0, 0, 0, 3, 3, {{0, 0, 0}, {0, 0, 0}, {0, 0, 1}}},
      {"clamped and clipped", -5, 3, 99, 99, 2, 2, {{0, 0, 0}, {0, 7, 8}, {0, 10, 11}}},
      {"before the start", 1, 1, 3, 4, -1, -1, {{9, 0, 0}, {12, 0, 0}, {0, 0, 0}}},
      {"far away", 1, 1, 3, 4, kIntMax, kIntMin, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
  };
  TMatrix source(nullptr);
  SetRows(source, OneToTwelve());
  for (const auto& c : cases) {
    TTestMatrix dest({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}});
    dest.m.CopyFrom(source, c.loCol, c.loRow, c.hiCol, c.hiRow, c.destCol, c.destRow);
    EXPECT_EQ(dest.Rows(), c.want) << c.what;
    EXPECT_EQ(dest.changes, 1) << c.what;
  }
  TTestMatrix self({{1, 2, 3}, {4, 5, 6}});
  self.m.CopyFrom(self.m, 1, 1, 2, 2, 2, 1);
  EXPECT_EQ(self.Rows(), (TRows{{1, 1, 2}, {4, 4, 5}})) << "overlapping copy in one matrix";
}

TEST(TMatrix, CopiesBetweenMatricesAndVectors) {
  TMatrix m(nullptr);
  SetRows(m, OneToTwelve());
  TVector v(nullptr);
  v.Resize(2);
  m.CopyRowToVec(v, 3, 0, 0);
  EXPECT_EQ(Values(v), (std::vector<double>{7, 8})) << "shortened to the vector";
  v.Resize(5);
  m.CopyRowToVec(v, 99, 3, 2);
  EXPECT_EQ(Values(v), (std::vector<double>{11, 12, 0, 0, 0})) << "row clamped, vector cleared";
  m.CopyColToVec(v, 2, -4, 3);
  EXPECT_EQ(Values(v), (std::vector<double>{2, 5, 8, 0, 0}));
  m.CopyColToVec(v, 0, 0, 0);
  EXPECT_EQ(Values(v), (std::vector<double>{1, 4, 7, 10, 0})) << "column clamped to 1";

  TTestMatrix t({{0, 0}, {0, 0}, {0, 0}});
  TVector src(nullptr);
  src.Resize(4);
  for (int i = 0; i < 4; ++i) src.Data()[i] = i + 1;
  t.m.CopyFromVec(src, 4, 1, 2, 2);
  EXPECT_EQ(t.Rows(), (TRows{{0, 0}, {0, 1}, {0, 2}}));
  t.m.CopyFromVec(src, 2, 3, 1, -0);
  EXPECT_EQ(t.Rows(), (TRows{{3, 0}, {0, 1}, {0, 2}})) << "row 0 skipped";
  t.m.CopyFromVec(src, 1, 4, 3, 1);
  t.m.CopyFromVec(src, 1, 4, 1, kIntMin);
  EXPECT_EQ(t.Rows(), (TRows{{3, 0}, {0, 1}, {0, 2}}));

  TMatrix empty(nullptr);
  empty.Resize(0, 0);
  empty.CopyRowToVec(v, 1, 0, 0);
  EXPECT_EQ(Values(v), (std::vector<double>(5, 0.0)));
}

TEST(TMatrix, ExchangeAndMirrorCheckTheirIndices) {
  TTestMatrix t({{1, 2, 3}, {4, 5, 6}});
  t.m.ExchangeColumns(1, 3);
  t.m.ExchangeRows(2, 1);
  EXPECT_EQ(t.Rows(), (TRows{{6, 5, 4}, {3, 2, 1}}));
  for (auto [a, b] : {std::pair{0, 1}, {1, 4}, {kIntMin, 2}, {2, kIntMax}}) {
    t.m.ExchangeColumns(a, b);
    t.m.ExchangeRows(a, b);
  }
  EXPECT_EQ(t.Rows(), (TRows{{6, 5, 4}, {3, 2, 1}}));
  EXPECT_EQ(t.changes, 2);
  t.m.MirrorColumns();
  t.m.MirrorRows();
  EXPECT_EQ(t.Rows(), (TRows{{1, 2, 3}, {4, 5, 6}}));
}

// ---------------------------------------------------------------------------
// Arithmetic

TEST(TMatrix, ElementwiseArithmeticNeedsEqualShapes) {
  TTestMatrix a({{1, 2}, {3, 4}});
  TMatrix b(nullptr), c(nullptr);
  SetRows(b, {{10, 20}, {30, 40}});
  SetRows(c, {{1, 2, 3}});
  EXPECT_TRUE(a.m.Add(&b));
  EXPECT_EQ(a.Rows(), (TRows{{11, 22}, {33, 44}}));
  EXPECT_TRUE(a.m.Subtract(&b));
  EXPECT_FALSE(a.m.Add(&c));
  EXPECT_FALSE(a.m.Subtract(nullptr));
  a.m.SMult(2);
  a.m.SAdd(-1);
  EXPECT_EQ(a.Rows(), (TRows{{1, 3}, {5, 7}}));
  EXPECT_EQ(a.changes, 4);
  EXPECT_EQ(a.m.Trace(), 8);
  EXPECT_EQ(c.Trace(), 0) << "not square";
}

TRows Product(const TRows& a, const TRows& b) {
  TRows c(a.size(), std::vector<double>(b[0].size(), 0.0));
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < b[0].size(); ++j)
      for (std::size_t k = 0; k < b.size(); ++k) c[i][j] += a[i][k] * b[k][j];
  return c;
}

TRows Transposed(const TRows& a) {
  TRows t(a[0].size(), std::vector<double>(a.size()));
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < a[0].size(); ++j) t[j][i] = a[i][j];
  return t;
}

TRows RandomRows(std::mt19937& gen, int rows, int cols) {
  std::uniform_real_distribution<double> u(-1, 1);
  TRows a(rows, std::vector<double>(cols));
  for (auto& row : a)
    for (double& x : row) x = u(gen);
  return a;
}

TEST(TMatrix, ProductsEqualThePlainSums) {
  std::mt19937 gen(3);
  const struct {
    int m, k, n;
  } shapes[] = {{1, 1, 1}, {3, 2, 4}, {1, 17, 1}, {9, 7, 13}, {33, 70, 29}, {130, 260, 7}};
  for (const auto& s : shapes) {
    const TRows a = RandomRows(gen, s.m, s.k), b = RandomRows(gen, s.k, s.n);
    TMatrix ma(nullptr), mb(nullptr), mc(nullptr), mat(nullptr);
    SetRows(ma, a);
    SetRows(mb, b);
    mc.Resize(s.n, s.m);
    ASSERT_TRUE(ma.Multiply(mb, mc)) << s.m << "x" << s.k << "x" << s.n;
    EXPECT_EQ(Rows(mc), Product(a, b)) << s.m << "x" << s.k << "x" << s.n;
    SetRows(mat, Transposed(a));
    mc.Fill(5);
    ASSERT_TRUE(mat.TransposeAndMultiply(mb, mc)) << s.m << "x" << s.k << "x" << s.n;
    EXPECT_EQ(Rows(mc), Product(a, b)) << "transposed " << s.m << "x" << s.k << "x" << s.n;
  }
}

TEST(TMatrix, ProductsCheckShapesAndMayOverwriteAnOperand) {
  TMatrix a(nullptr), b(nullptr);
  SetRows(a, {{1, 2}, {3, 4}});
  SetRows(b, {{1, 0, 2}, {0, 1, 3}});
  TTestMatrix c({{7, 7}, {7, 7}});
  EXPECT_FALSE(a.Multiply(b, c.m)) << "c must be 3 × 2";
  EXPECT_FALSE(b.Multiply(a, c.m)) << "inner dimensions differ";
  EXPECT_FALSE(a.TransposeAndMultiply(b, c.m));
  EXPECT_EQ(c.Rows(), (TRows{{7, 7}, {7, 7}}));
  EXPECT_EQ(c.changes, 0);

  ASSERT_TRUE(a.Multiply(a, a));
  EXPECT_EQ(Rows(a), (TRows{{7, 10}, {15, 22}}));
  ASSERT_TRUE(a.TransposeAndMultiply(b, b));
  EXPECT_EQ(Rows(b), (TRows{{7, 15, 59}, {10, 22, 86}}));

  TVector v(nullptr), w(nullptr);
  v.Resize(2);
  v.Data()[0] = 1;
  v.Data()[1] = -1;
  w.Resize(3);
  EXPECT_TRUE(b.TransposeAndMultiply(v, w));
  EXPECT_EQ(Values(w), (std::vector<double>{-3, -7, -27}));
  EXPECT_FALSE(b.TransposeAndMultiply(w, v));
  ASSERT_TRUE(a.TransposeAndMultiply(v, v));
  EXPECT_EQ(Values(v), (std::vector<double>{-8, -12}));
}

TEST(TMatrix, TransposeExchangesTheCounts) {
  TTestMatrix t(OneToTwelve());
  EXPECT_TRUE(t.m.Transpose());
  EXPECT_EQ(t.Rows(), Transposed(OneToTwelve()));
  std::mt19937 gen(5);
  const TRows big = RandomRows(gen, 70, 45);
  SetRows(t.m, big);
  t.m.Transpose();
  EXPECT_EQ(t.Rows(), Transposed(big));
  t.m.Resize(0, 3);
  t.m.Transpose();
  EXPECT_EQ(t.m.NrOfColumns(), 3);
  EXPECT_EQ(t.m.NrOfRows(), 0);
}

// ---------------------------------------------------------------------------
// Window statistics

TEST(TMatrix, WindowStatisticsAgainstHandValues) {
  TTestMatrix t(OneToTwelve());
  TMatrix& m = t.m;
  // Columns 2..3 of rows 2..4 hold 5, 8, 11, 6, 9, 12.
  const struct {
    int32_t loCol, loRow, hiCol, hiRow;
    double sum, mean, variance;
  } cases[] = {
      {2, 2, 3, 4, 51, 8.5, 7.5},    {3, 4, 2, 2, 51, 8.5, 7.5}, {0, 0, 0, 0, 78, 6.5, 13},
      {-1, -1, 99, 99, 78, 6.5, 13}, {1, 1, 2, 1, 3, 1.5, 1},    {3, 0, 3, 0, 30, 7.5, 15},
  };
  for (const auto& c : cases) {
    double mean = 0, variance = 0;
    m.MeanVar(c.loCol, c.loRow, c.hiCol, c.hiRow, mean, variance);
    EXPECT_EQ(m.Sum(c.loCol, c.loRow, c.hiCol, c.hiRow), c.sum) << "loCol=" << c.loCol;
    EXPECT_DOUBLE_EQ(mean, c.mean) << "loCol=" << c.loCol;
    EXPECT_DOUBLE_EQ(variance, c.variance) << "loCol=" << c.loCol;
  }
  double q1 = 0, q2 = 0, q3 = 0;
  EXPECT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(std::vector<double>({q1, q2, q3}), (std::vector<double>{3.25, 6.5, 9.75}));
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0), 6.5);
  EXPECT_EQ(m.Percentile(100, 2, 2, 3, 4), 12);
  double mn = 0, mx = 0;
  m.MinMax(2, 2, 3, 4, mn, mx);
  EXPECT_EQ(mn, 5);
  EXPECT_EQ(mx, 12);
  int32_t col = 0, row = 0;
  m.Find(0, 0, 0, 0, 7.5, col, row);
  EXPECT_EQ(std::pair(col, row), std::pair(1, 3)) << "7 and 8 tie; column 1 comes first";
  m.Find(2, 2, 3, 4, 8.4, col, row);
  EXPECT_EQ(std::pair(col, row), std::pair(2, 3));
  EXPECT_DOUBLE_EQ(m.GeometricMean(1, 1, 2, 1), std::sqrt(2.0));
  EXPECT_DOUBLE_EQ(m.HarmonicMean(1, 1, 2, 1), 4.0 / 3);
  EXPECT_EQ(m.FindInSortedColumn(2, true, 6), 2);
  EXPECT_EQ(m.FindInSortedColumn(4, true, 6), 0);
  EXPECT_EQ(t.changes, 0) << "statistics change nothing";

  m.SetVal(1, 1, -1);
  ExpectThrowMessage<ENUVMatrixError>([&] { m.GeometricMean(0, 0, 0, 0); },
                                      "Component \"M\": negative argument passed to GeometricMean");
  ExpectThrowMessage<ENUVMatrixError>(
      [&] { m.HarmonicMean(0, 0, 0, 0); },
      "Component \"M\": negative or zero argument passed to HarmonicMean");
}

TEST(TMatrix, ShapeStatisticsOverAWindow) {
  TMatrix m(nullptr);
  SetRows(m, {{2, 4, 7}, {4, 5, 9}, {4, 5, 0}});  // columns 1..2 hold 2, 4, 4, 4, 5, 5
  double skew = 0, kurt = 0;
  int32_t count = 0;
  m.SkewKurtIntern(1, 1, 2, 3, skew, kurt, count);
  EXPECT_EQ(count, 6);
  // Deviations from 4: -2, 0, 0, 0, 1, 1; s² = 6/5.
  EXPECT_NEAR(skew, (-8.0 + 2) / 6 / std::pow(1.2, 1.5), 1e-14);
  EXPECT_NEAR(kurt, (16.0 + 2) / 6 / 1.44 - 3, 1e-14);
  m.SkewKurtSample(1, 1, 2, 3, skew, kurt);
  EXPECT_NEAR(skew, -1.0 / std::pow(1.2, 1.5) * 36 / 20, 1e-13);
  m.SkewKurt(1, 1, 1, 3, skew, kurt);
  EXPECT_EQ(skew, 0) << "three values";
  SetRows(m, {{3, 3}, {3, 3}});
  m.SkewKurtSample(0, 0, 0, 0, skew, kurt);
  EXPECT_EQ(std::pair(skew, kurt), std::pair(0.0, 0.0)) << "constant data";
}

TEST(TMatrix, EmptyWindowsAndExtremeValues) {
  TMatrix m(nullptr);
  m.Resize(0, 3);
  double mean = -1, variance = -1, q = -1, mn = 0, mx = 0;
  m.MeanVar(0, 0, 0, 0, mean, variance);
  EXPECT_EQ(mean, 0);
  EXPECT_EQ(variance, 1);
  EXPECT_EQ(m.Sum(1, 1, 5, 5), 0);
  EXPECT_EQ(m.GeometricMean(0, 0, 0, 0), 0);
  EXPECT_EQ(m.HarmonicMean(0, 0, 0, 0), 0);
  EXPECT_FALSE(m.Quartiles(0, 0, 0, 0, q, q, q));
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0), 0);
  m.MinMax(0, 0, 0, 0, mn, mx);
  EXPECT_EQ(mn, static_cast<double>(uc_MaxReal));
  EXPECT_EQ(mx, -static_cast<double>(uc_MaxReal));
  int32_t col = -1, row = -1;
  m.Find(0, 0, 0, 0, 1, col, row);
  EXPECT_EQ(std::pair(col, row), std::pair(0, 0));
  m.MeanCenterColumns(nullptr);
  m.StandardizeRows(nullptr, nullptr);
  int32_t count = -1;
  m.SkewKurtIntern(0, 0, 0, 0, mean, variance, count);
  EXPECT_EQ(count, 0);

  SetRows(m, {{2e38, -3e300}, {kNaN, 1}});
  m.MinMax(0, 0, 0, 0, mn, mx);
  EXPECT_EQ(mn, -3e300);
  EXPECT_EQ(mx, 2e38);
}

TEST(TMatrix, HistogramOverAWindowReadsZeroOutside) {
  TMatrix m(nullptr);
  SetRows(m, OneToTwelve());
  TIntVector histo(nullptr);
  int32_t under = -1, over = -1, maxCount = -1;
  ASSERT_TRUE(m.Histogram(0, 0, 1, 1, 0, 2, 1, histo, under, over, maxCount));
  EXPECT_EQ(histo.GetVal(1), 3) << "(0, 0), (0, 1) and (1, 0) read 0";
  EXPECT_EQ(histo.GetVal(2), 1);
  ASSERT_TRUE(m.Histogram(1, 1, 3, 4, 2, 10, 2, histo, under, over, maxCount));
  EXPECT_EQ(std::vector<int32_t>(histo.Data(), histo.Data() + 4),
            (std::vector<int32_t>{2, 2, 2, 2}));
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 3);
  EXPECT_EQ(maxCount, 2);
  EXPECT_FALSE(m.Histogram(1, 1, 3, 4, 0, 10, 0, histo, under, over, maxCount));
  ASSERT_TRUE(
      m.Histogram(kIntMin, kIntMin, kIntMax, kIntMax, 0, 1, 1, histo, under, over, maxCount));
  EXPECT_EQ(histo.GetVal(1), kIntMax) << "saturated";
}

TEST(TMatrix, CentringAndStandardisingLines) {
  TTestMatrix t({{1, 2}, {2, 4}, {3, 6}});
  TVector means(nullptr), sds(nullptr);  // fresh vectors of one element
  sds.Resize(5);
  t.m.StandardizeColumns(&means, &sds);
  EXPECT_EQ(t.Rows(), (TRows{{-1, -1}, {0, 0}, {1, 1}}));
  EXPECT_EQ(Values(means), (std::vector<double>{2, 4})) << "sized to the columns";
  EXPECT_EQ(Values(sds), (std::vector<double>{1, 2}));
  EXPECT_EQ(t.changes, 1);

  SetRows(t.m, {{1, 3}, {5, 5}});
  t.m.MeanCenterRows(&means);
  EXPECT_EQ(t.Rows(), (TRows{{-1, 1}, {0, 0}}));
  EXPECT_EQ(Values(means), (std::vector<double>{2, 5}));
  SetRows(t.m, {{1, 3}, {5, 5}});
  t.m.StandardizeRows(nullptr, &sds);
  EXPECT_EQ(t.Rows(), (TRows{{-1, 1}, {0, 0}})) << "two values: variance 1";
  SetRows(t.m, {{1, 4, 7}, {2, 4, 7}, {3, 4, 7}});
  t.m.StandardizeColumns(nullptr, &sds);
  EXPECT_EQ(t.Rows(), (TRows{{-1, 0, 0}, {0, 0, 0}, {1, 0, 0}})) << "constant columns centred only";
  t.m.MeanCenterColumns(&means);
  EXPECT_EQ(Values(means), (std::vector<double>{0, 0, 0}));
  TVector rowMeans(nullptr);
  t.m.MeanCenterRows(&rowMeans);
  EXPECT_EQ(rowMeans.NrOfElem(), 3) << "sized to the rows";
}

// ---------------------------------------------------------------------------
// Correlation and distances

TEST(TMatrix, CorrelationOfAllElementPairs) {
  TMatrix a(nullptr), b(nullptr);
  a.SetName("M");
  SetRows(a, {{1, 2}, {3, 5}});
  SetRows(b, {{-2, -4}, {-6, -10}});
  EXPECT_DOUBLE_EQ(a.Correlate(a), 1);
  EXPECT_DOUBLE_EQ(b.Correlate(a), -1);
  SetRows(b, {{1, 1}, {1, 1}});
  EXPECT_EQ(a.Correlate(b), 0) << "constant";
  TMatrix c(nullptr), d(nullptr);
  SetRows(c, {{1}, {2}});
  SetRows(d, {{2}, {1}});
  EXPECT_EQ(c.Correlate(d), 0) << "two pairs";
  ExpectThrowMessage<ENUVMatrixError>([&] { a.Correlate(c); },
                                      "Component \"M\": matrices do not match");
}

TEST(TMatrix, DistanceMatrixModes) {
  const TRows objects{{1, 2}, {3, 4}, {0, 0}, {0, 0}};
  const struct {
    TDistMode mode;
    double d12, d13, d34;
  } cases[] = {
      {dmManhattan, 4, 3, 0},    {dmEuclid, std::sqrt(8.0), std::sqrt(5.0), 0},
      {dmEuclidSqr, 8, 5, 0},    {dmJaccard, 11.0 / 19, 0, 1},  // two zero rows are identical
      {dmDice, 22.0 / 30, 0, 1},
  };
  for (const auto& c : cases) {
    TMatrix m(nullptr);
    SetRows(m, objects);
    TTestMatrix d({{9, 9, 9, 9}, {9, 9, 9, 9}, {9, 9, 9, 9}, {9, 9, 9, 9}});
    ASSERT_EQ(m.CalcDistMat(c.mode, d.m), 0) << DistModeId[c.mode];
    const TRows got = d.Rows();
    EXPECT_DOUBLE_EQ(got[0][1], c.d12) << DistModeId[c.mode];
    EXPECT_DOUBLE_EQ(got[0][2], c.d13) << DistModeId[c.mode];
    EXPECT_DOUBLE_EQ(got[2][3], c.d34) << DistModeId[c.mode];
    EXPECT_EQ(got, Transposed(got)) << DistModeId[c.mode];
    for (int i = 0; i < 4; ++i) EXPECT_EQ(got[i][i], 0) << DistModeId[c.mode] << " i=" << i;
    EXPECT_EQ(d.changes, 1);
  }
}

TEST(TMatrix, DistanceMatrixShapeCodesAndUserDistances) {
  TMatrix m(nullptr);
  SetRows(m, {{1, 2}, {3, 4}, {5, 6}});
  TTestMatrix wide({{9, 9, 9}, {9, 9, 9}}), small({{9, 9}, {9, 9}});
  EXPECT_EQ(m.CalcDistMat(dmEuclid, wide.m), -1);
  EXPECT_EQ(m.CalcDistMat(dmEuclid, small.m), -2);
  EXPECT_EQ(wide.changes + small.changes, 0);

  std::vector<std::pair<int32_t, int32_t>> calls;
  m.OnCalcDistance = [&](TObject* sender, int32_t r1, int32_t r2, double& d) {
    EXPECT_EQ(sender, &m);
    EXPECT_EQ(d, 0);
    calls.emplace_back(r1, r2);
    d = 10 * r1 + r2;
  };
  TMatrix d(nullptr);
  d.Resize(3, 3);
  ASSERT_EQ(m.CalcDistMat(dmUserDef, d), 0);
  EXPECT_EQ(calls, (std::vector<std::pair<int32_t, int32_t>>{{1, 2}, {1, 3}, {2, 3}}));
  EXPECT_EQ(Rows(d), (TRows{{0, 12, 13}, {12, 0, 23}, {13, 23, 0}}));
  m.OnCalcDistance = nullptr;
  ASSERT_EQ(m.CalcDistMat(dmUserDef, d), 0);
  EXPECT_EQ(Rows(d), (TRows{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));

  TMatrix square(nullptr);
  SetRows(square, {{0, 0, 0}, {3, 4, 0}, {6, 8, 0}});
  ASSERT_EQ(square.CalcDistMat(dmEuclid, square), 0) << "into itself";
  EXPECT_EQ(Rows(square), (TRows{{0, 5, 10}, {5, 0, 5}, {10, 5, 0}}));
}

// ---------------------------------------------------------------------------
// Sorting

using TExchanges = std::vector<std::tuple<int, int32_t, int32_t, int32_t, int32_t>>;

TEST(TMatrix, SortRowsKeepsRowsTogetherAndReportsExchanges) {
  TTestMatrix t({{3, 30, 300}, {2, 20, 200}, {1, 10, 100}});
  TExchanges events;
  t.m.OnSortExchange = [&](TObject*, uint8_t what, int32_t i, int32_t j, int32_t first,
                           int32_t last) { events.emplace_back(what, i, j, first, last); };
  t.m.SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(t.Rows(), (TRows{{1, 10, 100}, {2, 20, 200}, {3, 30, 300}}));
  EXPECT_EQ(events, (TExchanges{{2, 1, 3, 1, 3}})) << "first gap Trunc(3 / 1.3) = 2";
  EXPECT_EQ(t.changes, 1);

  // The key column moves although it lies outside the columns asked for;
  // column 2 stays.
  events.clear();
  SetRows(t.m, {{3, 30, 300}, {2, 20, 200}, {1, 10, 100}});
  t.m.SortRows(1, true, 3, 1, 3, 3);
  EXPECT_EQ(t.Rows(), (TRows{{1, 30, 100}, {2, 20, 200}, {3, 10, 300}}));
  EXPECT_EQ(events, (TExchanges{{2, 1, 3, 3, 3}}));

  events.clear();
  t.changes = 0;
  t.m.SortRows(1, true, 0, 2, 0, 2);  // one row
  t.m.SortRows(9, true, 0, 0, 0, 0);  // no such key: all keys read 0
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(t.changes, 1);
}

TEST(TMatrix, SortingWithTiesMatchesTheReplayedExchanges) {
  std::mt19937 gen(11);
  for (bool ascending : {true, false}) {
    TRows rows(40, std::vector<double>(3));
    for (int r = 0; r < 40; ++r) rows[r] = {static_cast<double>(gen() % 4), double(r), -double(r)};
    TMatrix m(nullptr);
    SetRows(m, rows);
    TRows replay = rows;
    m.OnSortExchange = [&](TObject*, uint8_t what, int32_t i, int32_t j, int32_t, int32_t) {
      EXPECT_EQ(what, 2);
      std::swap(replay[i - 1], replay[j - 1]);
    };
    m.SortRows(1, ascending, 1, 5, 3, 36);
    const TRows got = Rows(m);
    EXPECT_EQ(got, replay) << "asc=" << ascending;
    for (int r = 5; r < 36; ++r)
      EXPECT_TRUE(ascending ? got[r - 1][0] <= got[r][0] : got[r - 1][0] >= got[r][0])
          << "asc=" << ascending << " r=" << r;
    for (int r = 0; r < 40; ++r)
      EXPECT_EQ(got[r][1], -got[r][2]) << "row " << r << " kept together";
    EXPECT_EQ(got[0], rows[0]);
    EXPECT_EQ(got[39], rows[39]);
  }
}

TEST(TMatrix, SortColsOrdersColumnsByAKeyRow) {
  TTestMatrix t({{5, 1, 3, 4}, {50, 10, 30, 40}, {0, 0, 0, 0}});
  TExchanges events;
  t.m.OnSortExchange = [&](TObject*, uint8_t what, int32_t i, int32_t j, int32_t first,
                           int32_t last) { events.emplace_back(what, i, j, first, last); };
  t.m.SortCols(1, false, 2, 2, 4, 2);
  EXPECT_EQ(t.Rows(), (TRows{{5, 4, 3, 1}, {50, 40, 30, 10}, {0, 0, 0, 0}}));
  for (const auto& e : events) {
    EXPECT_EQ(std::get<0>(e), 1);
    EXPECT_EQ(std::get<3>(e), 2);
    EXPECT_EQ(std::get<4>(e), 2);
  }
  EXPECT_FALSE(events.empty());
}

}  // namespace
}  // namespace nuv
