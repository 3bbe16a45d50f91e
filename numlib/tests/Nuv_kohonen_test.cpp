#include "Nuv_kohonen_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "TempDir.h"
#include "nuv/Nuv_kohonen.h"
#include "nuv/Nuv_univconst.h"
#include "nuv/platform/Random.h"

namespace nuv {
namespace {

using testing::AllWeights;
using testing::LoadBlock;
using testing::MakeData;
using testing::MapText;
using testing::OnePattern;
using testing::SetCell;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------------------
// Properties

TEST(TKohonen, SettersIgnoreOrClampBadValues) {
  TKohonen k(nullptr);
  EXPECT_EQ(k.SizeX(), 1);
  EXPECT_EQ(k.NrOfTrnSteps(), 200);
  EXPECT_EQ(k.InitialNeighbors(), 2);
  EXPECT_EQ(k.InitialAlpha(), 1.0);
  EXPECT_EQ(k.CurrentStep(), 1);
  const double w = k.GetWeight(1, 1, 1);
  EXPECT_TRUE(w >= -0.1 && w < 0.1) << w;

  k.SetSizeX(0);
  k.SetSizeY(-3);
  k.SetNumInsens(0);
  EXPECT_EQ(k.GetWeight(1, 1, 1), w) << "ignored sizes keep the weights";
  EXPECT_EQ(k.SizeX() * 100 + k.SizeY() * 10 + k.NrOfInSens(), 111);

  k.SetNrOfTrnSteps(0);
  EXPECT_EQ(k.NrOfTrnSteps(), 1);
  k.SetNrOfTrnSteps(-5);
  EXPECT_EQ(k.NrOfTrnSteps(), 1);
  k.SetInitialNeighbors(0);
  EXPECT_EQ(k.InitialNeighbors(), 1);
  k.SetInitialAlpha(kNaN);
  k.SetInitialAlpha(std::numeric_limits<double>::infinity());
  EXPECT_EQ(k.InitialAlpha(), 1.0);

  k.SetSizeX(3);
  k.SetSizeY(2);
  k.SetNumInsens(4);
  EXPECT_EQ(
      k.Weights().NrOfColumns() * 100 + k.Weights().NrOfRows() * 10 + k.Weights().NrOfLayers(),
      324);
  EXPECT_EQ(k.DataMat().NrOfColumns(), 4);
  EXPECT_EQ(k.Means().NrOfElem(), 4);
  for (const double v : AllWeights(k)) EXPECT_EQ(v, 0.0) << "a new size zeroes the weights";
  EXPECT_EQ(k.GetWeight(4, 1, 1), 0.0);
  EXPECT_EQ(k.GetWeight(1, 1, 5), 0.0);
}

TEST(TKohonen, SetDataMatRejectsEmptyAndNonFiniteData) {
  TKohonen k(nullptr);
  TMatrix good(nullptr);
  MakeData(good, 3, 5, 1);
  ASSERT_TRUE(k.SetDataMat(good));
  EXPECT_EQ(k.NrOfInSens(), 3);
  EXPECT_EQ(k.DataMat().NrOfRows(), 5);
  EXPECT_EQ(k.DataMat().GetVal(2, 4), good.GetVal(2, 4));

  TMatrix bad(nullptr);
  const struct {
    const char* what;
    int32_t cols, rows;
    double poison;
  } cases[] = {{"no rows", 2, 0, 0},
               {"no columns", 0, 4, 0},
               {"NaN", 2, 3, kNaN},
               {"infinity", 2, 3, -std::numeric_limits<double>::infinity()}};
  for (const auto& c : cases) {
    MakeData(bad, c.cols, c.rows, 2);
    if (c.poison != 0 || std::isnan(c.poison)) bad.SetVal(2, 3, c.poison);
    EXPECT_FALSE(k.SetDataMat(bad)) << c.what;
    EXPECT_EQ(k.NrOfInSens(), 3) << c.what;
    EXPECT_EQ(k.DataMat().GetVal(2, 4), good.GetVal(2, 4)) << c.what;
  }
}

// ---------------------------------------------------------------------------
// The schedule

// The radius, rate and reported percentage of every step run.
struct TStepLog {
  std::vector<int32_t> Radius, Percent;
  std::vector<double> Alpha;
};

TEST(TKohonen, ScheduleRoundsTheRadiusHalfToEvenAndNeverReachesRateZero) {
  TKohonen k(nullptr);
  TStepLog log;
  k.OnFeedback = [&](TObject*, int32_t percent) {
    log.Radius.push_back(k.CurrentNeighbors());
    log.Alpha.push_back(k.CurrentAlpha());
    log.Percent.push_back(percent);
  };
  k.SetNrOfTrnSteps(10);
  k.SetInitialNeighbors(5);
  k.SetInitialAlpha(0.5);
  k.Trainit();
  EXPECT_EQ(log.Radius, (std::vector<int32_t>{4, 4, 3, 2, 2, 2, 1, 1, 1}));
  EXPECT_EQ(log.Percent, (std::vector<int32_t>{10, 20, 30, 40, 50, 60, 70, 80, 90}));
  ASSERT_EQ(log.Alpha.size(), 9u);
  EXPECT_DOUBLE_EQ(log.Alpha.front(), 0.81 * 0.5);
  EXPECT_DOUBLE_EQ(log.Alpha.back(), 0.5 / 100) << "the last rate is InitialAlpha / T²";
  EXPECT_EQ(k.CurrentStep(), 10);

  // f² (N - 1) + 1 = 1.5, 2.5 and 3.5 round to the even neighbour.
  const struct { int32_t neighbors, radius; } halves[] = {{3, 2}, {7, 2}, {11, 4}};
  for (const auto& h : halves) {
    log = {};
    k.SetNrOfTrnSteps(2);
    k.SetInitialNeighbors(h.neighbors);
    k.Trainit();
    ASSERT_EQ(log.Radius.size(), 1u) << h.neighbors;
    EXPECT_EQ(log.Radius[0], h.radius) << h.neighbors;
  }

  log = {};
  k.SetNrOfTrnSteps(200);
  k.SetInitialAlpha(1.0);
  k.Trainit();
  EXPECT_EQ(log.Alpha.size(), 199u) << "steps 1..199";
  EXPECT_DOUBLE_EQ(log.Alpha.back(), 1.0 / 40000) << "1/200², not 0";
  EXPECT_EQ(log.Percent.back(), 100) << "Round(199·100/200) = Round(99.5)";
  EXPECT_EQ(log.Percent[0], 0) << "Round(0.5) = 0";
}

TEST(TKohonen, OneStepTrainingChangesNothing) {
  TKohonen k(nullptr);
  TMatrix data(nullptr);
  MakeData(data, 2, 6, 3);
  ASSERT_TRUE(k.SetDataMat(data));
  k.SetSizeX(3);
  k.SetSizeY(2);
  k.SetNrOfTrnSteps(1);
  std::vector<std::vector<double>> seen;
  k.OnFeedback = [&](TObject*, int32_t percent) {
    seen.push_back(AllWeights(k));
    EXPECT_EQ(percent, 100);
    EXPECT_EQ(k.CurrentAlpha(), 0.0);
    EXPECT_EQ(k.CurrentNeighbors(), 1);
  };
  RandSeed = 77;
  k.Trainit();
  ASSERT_EQ(seen.size(), 1u);
  TKohonen fresh(nullptr);
  fresh.SetSizeX(3);
  fresh.SetSizeY(2);
  fresh.SetNumInsens(2);
  RandSeed = 77;
  fresh.SetWeigtsToRandom();
  EXPECT_EQ(AllWeights(k), AllWeights(fresh)) << "the weights stay as randomised";
}

TEST(TKohonen, StepsBeyondTheScheduleHaveRateZero) {
  // Lowering NrOfTrnSteps below the step reached, or loading a larger
  // step, must not raise the rate past InitialAlpha.
  TKohonen k(nullptr);
  TMatrix data(nullptr);
  MakeData(data, 2, 6, 3);
  ASSERT_TRUE(k.SetDataMat(data));
  k.SetSizeX(2);
  k.SetSizeY(2);
  k.SetNrOfTrnSteps(8);
  k.OnFeedback = [&](TObject*, int32_t) {
    if (k.CurrentStep() == 6) k.AbortTraining();
  };
  k.Trainit();
  ASSERT_EQ(k.CurrentStep(), 6);
  const std::vector<double> before = AllWeights(k);
  k.SetNrOfTrnSteps(3);
  std::vector<int32_t> percents;
  k.OnFeedback = [&](TObject*, int32_t percent) {
    percents.push_back(percent);
    EXPECT_EQ(k.CurrentAlpha(), 0.0);
  };
  k.ContinueTraining();
  EXPECT_EQ(AllWeights(k), before);
  EXPECT_EQ(percents, std::vector<int32_t>{100}) << "one step, reported as complete";
  EXPECT_EQ(k.CurrentStep(), 7);
}

// ---------------------------------------------------------------------------
// Updates

TEST(TKohonen, SingleNeuronMovesByTheRateOfEveryStep) {
  // 1 × 1 map, one pattern: each step leaves (1 - α) of the gap.
  TKohonen k(nullptr);
  OnePattern(k, 1.0);
  k.SetNrOfTrnSteps(3);
  RandSeed = 5;
  k.Trainit();
  TKohonen start(nullptr);
  RandSeed = 5;
  start.SetWeigtsToRandom();
  const double gap = 1.0 - start.GetWeight(1, 1, 1);
  EXPECT_NEAR(1.0 - k.GetWeight(1, 1, 1), gap * (5.0 / 9) * (8.0 / 9), 1e-15);
}

// The weights of a 4 × 4 map of one feature after one step of rate 1/4
// and radius 3 on the pattern 1, from zero weights but 0.5 at (1, 1).
std::vector<double> OneWideStep(bool cyclic) {
  TKohonen k(nullptr);
  OnePattern(k, 1.0);
  k.SetSizeX(4);
  k.SetSizeY(4);
  k.SetNrOfTrnSteps(2);
  k.SetInitialNeighbors(9);
  k.SetCyclic(cyclic);
  std::string text = MapText(k);
  SetCell(text, 1, 1, "0.5");
  EXPECT_TRUE(LoadBlock(k, text));
  k.ContinueTraining();
  EXPECT_EQ(k.CurrentNeighbors(), 3);
  EXPECT_EQ(k.CurrentAlpha(), 0.25);
  return AllWeights(k);
}

TEST(TKohonen, WindowIsClippedOrWrappedAndStepFallsWithInputDistance) {
  const double winner = 0.5 + 0.5 * 0.25;
  const double other = 0.25 / (1 + std::sqrt(1.0 - 0.25));  // d = 1, g = 0.25
  // Storage order: x outer, y inner.
  const std::vector<double> clipped = OneWideStep(false);
  const std::vector<double> wrapped = OneWideStep(true);
  for (int32_t x = 1; x <= 4; ++x)
    for (int32_t y = 1; y <= 4; ++y) {
      const double got = clipped[(x - 1) * 4 + (y - 1)];
      EXPECT_EQ(got, x == 1 && y == 1 ? winner : other) << "clipped " << x << "," << y;
      // Half-width 4 div 2 - 1 = 1 around (1, 1): x and y in {4, 1, 2}.
      const bool inside = x != 3 && y != 3;
      const double want = x == 1 && y == 1 ? winner : inside ? other : 0.0;
      EXPECT_EQ(wrapped[(x - 1) * 4 + (y - 1)], want) << "cyclic " << x << "," << y;
    }
}

TEST(TKohonen, CyclicHalfWidthsOfSmallGrids) {
  // R = 3 on grids of 1..5 columns: the window covers size div 2 - 1 on
  // each side (at least 0), so a cyclic window never visits a neuron twice.
  for (int32_t size = 1; size <= 5; ++size) {
    TKohonen k(nullptr);
    OnePattern(k, 1.0);
    k.SetSizeX(size);
    k.SetNrOfTrnSteps(2);
    k.SetInitialNeighbors(9);
    k.SetCyclic(true);
    k.ContinueTraining();  // all weights 0: the winner is x = 1
    const int32_t half = std::max(size / 2 - 1, 0);
    for (int32_t x = 1; x <= size; ++x) {
      const int32_t gap = std::min(x - 1, size - (x - 1));
      const double want = gap <= half ? 0.25 : 0.0;  // d = g: every step is α
      EXPECT_EQ(k.GetWeight(x, 1, 1), want) << "size " << size << " x " << x;
    }
  }
}

// ---------------------------------------------------------------------------
// Abort and resume

TEST(TKohonen, AbortedAndResumedTrainingEqualsAnUninterruptedOne) {
  TMatrix data(nullptr);
  MakeData(data, 3, 9, 4);
  auto setUp = [&](TKohonen& k) {
    ASSERT_TRUE(k.SetDataMat(data));
    k.SetSizeX(4);
    k.SetSizeY(3);
    k.SetNrOfTrnSteps(7);
    k.SetInitialNeighbors(3);
    k.SetCyclic(true);
  };
  TKohonen whole(nullptr), parts(nullptr);
  setUp(whole);
  setUp(parts);
  std::vector<int32_t> percents;
  whole.OnFeedback = [&](TObject*, int32_t p) { percents.push_back(p); };
  whole.AbortTraining();  // before any training: no effect
  RandSeed = 99;
  whole.Trainit();
  EXPECT_EQ(percents.size(), 6u);

  int32_t runs = 0;
  parts.OnFeedback = [&](TObject*, int32_t) {
    ++runs;
    if (parts.CurrentStep() == 3 || parts.CurrentStep() == 5) parts.AbortTraining();
  };
  RandSeed = 99;
  parts.Trainit();
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(parts.CurrentStep(), 3);
  parts.ContinueTraining();
  EXPECT_EQ(parts.CurrentStep(), 5);
  parts.ContinueTraining();
  EXPECT_EQ(runs, 6);
  EXPECT_EQ(parts.CurrentStep(), 7);
  const std::vector<double> a = AllWeights(whole), b = AllWeights(parts);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i)
    EXPECT_EQ(std::bit_cast<uint64_t>(a[i]), std::bit_cast<uint64_t>(b[i])) << "weight " << i;
}

// ---------------------------------------------------------------------------
// ApplyIt and GetWeight

TEST(TKohonen, ApplyItRejectsVectorsOfAnotherLengthAndNaN) {
  TKohonen k(nullptr);
  k.SetNumInsens(3);
  k.SetSizeX(2);
  TVector v(nullptr);
  int32_t x = 7, y = 7;
  double d = 1;
  for (const int32_t n : {2, 4}) {
    v.Resize(n);
    EXPECT_FALSE(k.ApplyIt(v, x, y, d)) << n;
    EXPECT_EQ(x + y, 0) << n;
    EXPECT_EQ(d, static_cast<double>(uc_MaxDouble)) << n;
  }
  v.Resize(3);
  v.Fill(0.0);
  EXPECT_TRUE(k.ApplyIt(v, x, y, d));
  EXPECT_EQ(x * 10 + y, 11) << "all weights 0: the first neuron keeps the tie";
  EXPECT_EQ(d, 0.0);
  v.SetVal(2, kNaN);
  EXPECT_FALSE(k.ApplyIt(v, x, y, d));
  EXPECT_EQ(x + y, 0);
}

TEST(TKohonen, GetWeightAndApplyItWorkInDataUnits) {
  TKohonen k(nullptr);
  TMatrix data(nullptr);
  data.Resize(2, 4);
  const double rows[4][2] = {{1, 5}, {3, 5}, {5, 5}, {7, 5}};  // feature 2 constant
  for (int32_t r = 0; r < 4; ++r)
    for (int32_t c = 0; c < 2; ++c) data.SetVal(c + 1, r + 1, rows[r][c]);
  ASSERT_TRUE(k.SetDataMat(data));
  k.SetSizeX(3);
  k.StandardizeData();
  const double sd = std::sqrt(20.0 / 3);  // sample deviation of 1, 3, 5, 7
  EXPECT_DOUBLE_EQ(k.Means().GetVal(1), 4.0);
  EXPECT_DOUBLE_EQ(k.StdDevs().GetVal(1), sd);
  EXPECT_EQ(k.StdDevs().GetVal(2), 0.0);
  EXPECT_DOUBLE_EQ(k.DataMat().GetVal(1, 4), 3 / sd);

  // Neurons at -1, 0, 1 (standardised) on feature 1 and 0.5 on feature 2.
  std::string text = MapText(k);
  SetCell(text, 1, 1, "-1 0.5");
  SetCell(text, 2, 1, "0 0.5");
  SetCell(text, 3, 1, "1 0.5");
  ASSERT_TRUE(LoadBlock(k, text));
  EXPECT_DOUBLE_EQ(k.GetWeight(1, 1, 1), 4.0 - sd);
  EXPECT_DOUBLE_EQ(k.GetWeight(3, 1, 1), 4.0 + sd);
  EXPECT_EQ(k.GetWeight(2, 1, 2), 5.5) << "deviation 0: weight + mean";

  TVector v(nullptr);
  v.Resize(2);
  const struct {
    double v1, v2;
    int32_t x;
    double d;
  } cases[] = {{4.0 + sd, 5.5, 3, 0.0},
               {4.0 - 0.9 * sd, 5.0, 1, 0.01 + 0.25},
               {4.2, 5.5, 2, 0.04 / (20.0 / 3)}};
  for (const auto& c : cases) {
    v.SetVal(1, c.v1);
    v.SetVal(2, c.v2);
    int32_t x = 0, y = 0;
    double d = 0;
    ASSERT_TRUE(k.ApplyIt(v, x, y, d)) << c.v1;
    EXPECT_EQ(x, c.x) << c.v1;
    EXPECT_EQ(y, 1) << c.v1;
    EXPECT_NEAR(d, c.d, 1e-14) << c.v1;
  }
}

// ---------------------------------------------------------------------------
// XML

// A trained 3 × 2 map of two features with standardised data, a comment
// and the cyclic flag.
void MakeTrainedMap(TKohonen& k) {
  TMatrix data(nullptr);
  MakeData(data, 2, 7, 8);
  ASSERT_TRUE(k.SetDataMat(data));
  k.SetSizeX(3);
  k.SetSizeY(2);
  k.SetNrOfTrnSteps(5);
  k.SetInitialNeighbors(3);
  k.SetInitialAlpha(0.7);
  k.SetCyclic(true);
  k.SetComment("trained on seed 8");
  k.StandardizeData();
  RandSeed = 3;
  k.Trainit();
}

// Two maps are the same when their blocks are: the writer gives every
// double its shortest exact text, so equal texts mean equal bits.
void ExpectSameMap(const TKohonen& a, const TKohonen& b, const std::string& what) {
  EXPECT_EQ(MapText(a), MapText(b)) << what;
  EXPECT_EQ(a.Comment(), "trained on seed 8") << what;
}

TEST(TKohonenXML, RoundTripsEveryValueBitExactly) {
  TKohonen k(nullptr);
  MakeTrainedMap(k);
  const std::string text = MapText(k);
  EXPECT_NE(text.find("<cyclic val=TRUE />"), std::string::npos) << text;
  EXPECT_NE(text.find("<!-- TKohonen / Nuvkit -->"), std::string::npos);

  TKohonen stream(nullptr);
  ASSERT_TRUE(LoadBlock(stream, text));
  ExpectSameMap(k, stream, "stream");
  EXPECT_EQ(AllWeights(k), AllWeights(stream));
  EXPECT_EQ(k.StdDevs().GetVal(2), stream.StdDevs().GetVal(2));

  testing::TempDir dir;
  const std::string file = dir.File("map.xml");
  k.SaveAsXMLFile(file, "som");
  TKohonen loaded(nullptr);
  ASSERT_TRUE(loaded.LoadFromXMLFile(file, "som"));
  ExpectSameMap(k, loaded, "file");
  EXPECT_FALSE(loaded.LoadFromXMLFile(file, "other id"));
  EXPECT_FALSE(loaded.LoadFromXMLFile(dir.File("missing.xml"), "som"));

  // Values that a decimal image must keep: a negative zero, the largest
  // and smallest doubles, a value of 17 significant digits.
  std::string edited = text;
  SetCell(edited, 2, 1, "-0 1.7976931348623157E+308");
  SetCell(edited, 3, 2, "4.9406564584124654E-324 0.10000000000000001");
  ASSERT_TRUE(LoadBlock(stream, edited));
  TKohonen again(nullptr);
  ASSERT_TRUE(LoadBlock(again, MapText(stream)));
  ExpectSameMap(stream, again, "edited");
  EXPECT_TRUE(std::signbit(again.Weights().GetVal(2, 1, 1)));
  EXPECT_EQ(again.Weights().GetVal(3, 2, 1), std::numeric_limits<double>::denorm_min());
}

TEST(TKohonenXML, FeatureCountDecidesWhetherTheDataStay) {
  TKohonen k(nullptr);
  MakeTrainedMap(k);
  const std::string text = MapText(k);
  TKohonen same(nullptr), other(nullptr);
  TMatrix data(nullptr);
  MakeData(data, 2, 4, 1);
  ASSERT_TRUE(same.SetDataMat(data));
  MakeData(data, 5, 4, 1);
  ASSERT_TRUE(other.SetDataMat(data));
  ASSERT_TRUE(LoadBlock(same, text));
  ASSERT_TRUE(LoadBlock(other, text));
  MakeData(data, 2, 4, 1);
  EXPECT_EQ(same.DataMat().GetVal(2, 4), data.GetVal(2, 4)) << "same feature count: data kept";
  EXPECT_EQ(other.DataMat().NrOfColumns(), 2);
  EXPECT_EQ(other.DataMat().NrOfRows(), 4);
  EXPECT_EQ(other.DataMat().GetVal(1, 1), 0.0) << "another feature count: data recreated";
}

TEST(TKohonenXML, MalformedBlocksChangeNothing) {
  TKohonen k(nullptr);
  MakeTrainedMap(k);
  const std::string good = MapText(k);
  auto without = [&](const std::string& line) {
    std::string t = good;
    const std::size_t at = t.find(line);
    EXPECT_NE(at, std::string::npos) << line;
    t.erase(at, t.find('\n', at) + 1 - at);
    return t;
  };
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string t = good;
    const std::size_t at = t.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    t.replace(at, from.size(), to);
    return t;
  };
  auto cell = [&](int32_t x, int32_t y, const std::string& values) {
    std::string t = good;
    SetCell(t, x, y, values);
    return t;
  };
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"no sizex", without("<sizex ")},
      {"no comment", without("<comment>")},
      {"no cyclic", without("<cyclic ")},
      {"no currentstep", without("<currentstep ")},
      {"a missing cell", without("<cell x=2 y=2>")},
      {"a missing statistic", without("<meanstddev i=2 ")},
      {"sizex twice", replaced("<sizey val=2 />", "<sizex val=3 />\r\n  <sizey val=2 />")},
      {"a cell twice", replaced("<cell x=1 y=2>", "<cell x=1 y=1>")},
      {"a statistic twice", replaced("<meanstddev i=2 ", "<meanstddev i=1 ")},
      {"sizex 0", replaced("<sizex val=3 />", "<sizex val=0 />")},
      {"sizey negative", replaced("<sizey val=2 />", "<sizey val=-2 />")},
      {"sizex not a number", replaced("<sizex val=3 />", "<sizex val=three />")},
      {"sizex too large for the cells", replaced("<sizex val=3 />", "<sizex val=4 />")},
      {"huge map", replaced("<sizex val=3 />", "<sizex val=2000000000 />")},
      {"nrinsens 3", replaced("<nrinsens val=2 />", "<nrinsens val=3 />")},
      {"maxsteps 0", replaced("<maxsteps val=5 />", "<maxsteps val=0 />")},
      {"maxneighb 0", replaced("<maxneighb val=3 />", "<maxneighb val=0 />")},
      {"currentstep negative", replaced("<currentstep val=5 />", "<currentstep val=-1 />")},
      {"maxalpha NaN", replaced("<maxalpha val= 7.000E-0001 />", "<maxalpha val=NAN />")},
      {"cyclic YES", replaced("<cyclic val=TRUE />", "<cyclic val=YES />")},
      {"cell x 0", replaced("<cell x=1 y=1>", "<cell x=0 y=1>")},
      {"cell y beyond", replaced("<cell x=3 y=2>", "<cell x=3 y=3>")},
      {"cell without y", replaced("<cell x=3 y=2>", "<cell x=3>")},
      {"a value short", cell(2, 1, "0.5")},
      {"a value too many", cell(2, 1, "0.5 0.25 1")},
      {"a value unreadable", cell(2, 1, "0.5 x")},
      {"statistic 3", replaced("<meanstddev i=2 ", "<meanstddev i=3 ")},
      {"negative deviation", replaced(" stddev=", " stddev=-")},
      {"no end tag", without("</kohonen>")},
      {"an unclosed comment", replaced("</comment>", "")},
  };
  const std::string before = MapText(k);
  for (const auto& c : cases) {
    EXPECT_FALSE(LoadBlock(k, c.text)) << c.what;
    EXPECT_EQ(MapText(k), before) << c.what;
  }
  // Unknown elements are passed over.
  EXPECT_TRUE(LoadBlock(k, replaced("<comment>", "<extra val=1 />\r\n  <comment>")));
}

}  // namespace
}  // namespace nuv
