#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "Nuv_cform_odometer.h"
#include "nuv/Nuv_cdata.h"
#include "nuv/Nuv_cform.h"

namespace nuv {
namespace {

using testing::Rec;

TFormulaRec LowOf(const TFormulaRec& high, std::initializer_list<int> counts) {
  TFormulaRec r = high;
  int i = 0;
  for (int c : counts) r.AtCnt[i++] = static_cast<uint16_t>(c);
  return r;
}

std::string Counts(const TFormulaRec& r) {
  std::string s;
  for (int32_t i = 0; i < r.NumAtoms; ++i) s += (i ? " " : "") + std::to_string(r.AtCnt[i]);
  return s;
}

// The counts of the candidates the literal odometer finds, in its order.
std::vector<std::string> LiteralOdometer(double mass, double tolerance, const TFormulaRec& low,
                                         const TFormulaRec& high, bool exact, bool valence) {
  std::vector<std::string> found;
  testing::LiteralOdometer(mass, tolerance, low, high, exact, valence,
                           [&](const TFormulaRec& r) { found.push_back(Counts(r)); });
  return found;
}

std::vector<std::string> Enumerate(TFormulaSearch& s, bool exact, bool valence) {
  std::vector<std::string> found;
  TFormulaRec r;
  while (exact ? s.FindExact(valence, r) : s.FindNominal(valence, r)) {
    EXPECT_EQ(r.NumAtoms, s.HighLimit().NumAtoms);
    EXPECT_EQ(r.AtNum, s.HighLimit().AtNum);
    EXPECT_EQ(r.AtWgt, s.HighLimit().AtWgt);
    found.push_back(Counts(r));
    if (found.size() > 100000) break;
  }
  return found;
}

TEST(FormulaSearch, CountsDownWithTheLastEntryFastest) {
  TMolForm f(nullptr);
  const TFormulaRec high = Rec({{6, 12, 2}, {7, 14, 2}, {1, 1, 4}});
  ASSERT_TRUE(f.InitFindFormula(28, 0.05, TFormulaRec{}, high));
  const char* expected[] = {"C2 N0 H4", "C1 N1 H2", "C0 N2 H0"};
  for (const char* e : expected) {
    ASSERT_TRUE(f.FindFormulaNominalMass(false)) << e;
    EXPECT_EQ("C" + std::to_string(f.AtCnt(1)) + " N" + std::to_string(f.AtCnt(2)) + " H" +
                  std::to_string(f.AtCnt(3)),
              e);
    EXPECT_EQ(f.NumAtoms(), 3) << "entries with count 0 stay";
  }
  EXPECT_FALSE(f.FindFormulaNominalMass(false));
  EXPECT_FALSE(f.FindFormulaNominalMass(false)) << "no restart after exhaustion";
  EXPECT_EQ(f.AsString(0), "N2 ") << "the last find stays";
  ASSERT_TRUE(f.InitFindFormula(28, 0.05, TFormulaRec{}, high));
  EXPECT_TRUE(f.FindFormulaNominalMass(false)) << "a new Init starts again";
  EXPECT_EQ(f.AtCnt(3), 4);
}

TEST(FormulaSearch, NominalAndExactSearchesAgreeForEveryElement) {
  // The nominal and the exact mass of an element describe one isotope, so
  // a target found by one search is found by the other (E2 O).
  for (int32_t z = 1; z <= MaxChemElem; ++z) {
    SCOPED_TRACE("Z=" + std::to_string(z));
    const TFormulaRec high = Rec({{z, IntAtWeight(z), 2}, {8, 16, 1}});
    const double target = static_cast<double>(2 * ExactAtWeight(z) + ExactAtWeight(8));
    TMolForm f(nullptr);
    ASSERT_TRUE(f.InitFindFormula(target, 0.05, TFormulaRec{}, high));
    ASSERT_TRUE(f.FindFormulaNominalMass(false));
    EXPECT_EQ(Counts(f.FormulaRec()), "2 1");
    ASSERT_TRUE(f.InitFindFormula(target, 0.05, TFormulaRec{}, high));
    ASSERT_TRUE(f.FindFormulaExactMass(false));
    EXPECT_EQ(Counts(f.FormulaRec()), "2 1");
  }
}

TEST(FormulaSearch, InvalidSearchesFindNothing) {
  const TFormulaRec high = Rec({{6, 12, 2}, {1, 1, 4}});
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* what;
    double mass, tolerance;
    TFormulaRec low, high;
    bool init, nominalFinds, exactFinds;
  } cases[] = {
      {"low above high", 26, 0.05, LowOf(high, {3, 0}), high, false, false, false},
      {"no entries", 0, 0.05, TFormulaRec{}, TFormulaRec{}, false, false, false},
      {"21 entries", 0, 0.05, TFormulaRec{},
       [] {
         TFormulaRec r;
         r.NumAtoms = 21;
         return r;
       }(),
       false, false, false},
      {"atomic number 0", 12, 0.05, TFormulaRec{}, Rec({{0, 12, 2}}), false, false, false},
      {"mass number 0", 0, 0.05, TFormulaRec{}, Rec({{6, 0, 2}}), false, false, false},
      {"mass number 1000", 1000, 0.05, TFormulaRec{}, Rec({{6, 1000, 2}}), false, false, false},
      {"NaN mass", nan, 0.05, TFormulaRec{}, high, true, false, false},
      {"NaN tolerance", 26, nan, TFormulaRec{}, high, true, true, false},
      {"infinite mass", inf, 0.05, TFormulaRec{}, high, true, false, false},
      {"huge mass", 1e300, 0.05, TFormulaRec{}, high, true, false, false},
      {"negative mass", -26, 0.05, TFormulaRec{}, high, true, false, false},
      {"negative tolerance", 26.0313, -1, TFormulaRec{}, high, true, true, false},
  };
  for (const auto& c : cases) {
    TFormulaSearch s;
    TFormulaRec r;
    EXPECT_EQ(s.Init(c.mass, c.tolerance, c.low, c.high), c.init) << c.what;
    EXPECT_EQ(s.FindNominal(false, r), c.nominalFinds) << c.what;
    s.Init(c.mass, c.tolerance, c.low, c.high);
    EXPECT_EQ(s.FindExact(true, r), c.exactFinds) << c.what;
  }
  TFormulaSearch s;
  TFormulaRec r;
  EXPECT_FALSE(s.FindExact(false, r)) << "never initialised";
}

TEST(FormulaSearch, InfiniteToleranceFitsEveryCandidate) {
  const TFormulaRec high = Rec({{6, 12, 2}, {1, 1, 3}});
  TFormulaSearch s;
  ASSERT_TRUE(s.Init(0, std::numeric_limits<double>::infinity(), TFormulaRec{}, high));
  EXPECT_EQ(Enumerate(s, true, false).size(), 12u);
}

TEST(FormulaSearch, FindsCaffeineByExactMass) {
  // C8 H10 N4 O2, 194.080376 by RDKit (Descriptors.ExactMolWt of caffeine).
  const TFormulaRec high = Rec({{6, 12, 12}, {1, 1, 24}, {7, 14, 6}, {8, 16, 6}});
  TFormulaSearch s;
  ASSERT_TRUE(s.Init(194.080376, 0.0005, TFormulaRec{}, high));
  const auto found = Enumerate(s, true, true);
  EXPECT_NE(std::find(found.begin(), found.end(), "8 10 4 2"), found.end());
  for (const auto& f : found) EXPECT_NE(f, "9 14 1 3") << "194.0943, outside the window";
}

TEST(FormulaSearch, MatchesTheLiteralOdometer) {
  // Small ranges with every kind of entry: valence-taking elements, others,
  // a repeated element with another mass, fixed counts.
  std::mt19937 rng(20240613);
  const std::array<int, 3> pool[] = {{6, 12, 0},  {1, 1, 0},   {7, 14, 0},  {8, 16, 0},
                                     {16, 32, 0}, {17, 35, 0}, {35, 79, 0}, {6, 13, 0},
                                     {1, 2, 0},   {15, 31, 0}, {9, 19, 0},  {26, 56, 0}};
  int compared = 0, nonEmpty = 0;
  for (int round = 0; round < 120; ++round) {
    TFormulaRec high, low;
    const int n = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < n; ++i) {
      const auto& e = pool[rng() % std::size(pool)];
      high.AtNum[i] = static_cast<uint8_t>(e[0]);
      high.AtWgt[i] = static_cast<uint16_t>(e[1]);
      high.AtCnt[i] = static_cast<uint16_t>(rng() % 9);
      low.AtCnt[i] = static_cast<uint16_t>(rng() % 3 == 0 ? rng() % (high.AtCnt[i] + 1) : 0);
    }
    high.NumAtoms = low.NumAtoms = n;
    // A target near the mass of a random candidate, so that windows hit.
    double mass = 0;
    for (int i = 0; i < n; ++i)
      mass += static_cast<double>(ExactAtWeight(high.AtNum[i])) *
              (low.AtCnt[i] + rng() % (high.AtCnt[i] - low.AtCnt[i] + 1));
    const double tolerance = (rng() % 4) * 0.02;
    for (bool exact : {false, true})
      for (bool valence : {false, true}) {
        const auto expected = LiteralOdometer(mass, tolerance, low, high, exact, valence);
        TFormulaSearch s;
        ASSERT_TRUE(s.Init(mass, tolerance, low, high));
        const auto got = Enumerate(s, exact, valence);
        EXPECT_EQ(got, expected) << "round=" << round << " exact=" << exact
                                 << " valence=" << valence << " mass=" << mass
                                 << " high=" << Counts(high) << " low=" << Counts(low);
        ++compared;
        nonEmpty += !expected.empty();
      }
  }
  EXPECT_EQ(compared, 480);
  EXPECT_GT(nonEmpty, 200) << "the windows must hit often enough to test the order";
}

TEST(FormulaSearch, MatchesTheLiteralOdometerForLargeTargets) {
  // Heavy isotope labels and counts take sums far beyond 65535.
  const TFormulaRec high = Rec({{92, 999, 70}, {92, 997, 70}, {1, 1, 40}});
  std::size_t found = 0;
  for (double mass : {65536.0, 65862.0, 69897.0, 119853.0}) {
    TFormulaSearch s;
    ASSERT_TRUE(s.Init(mass, 0.05, TFormulaRec{}, high));
    const auto got = Enumerate(s, false, false);
    EXPECT_EQ(got, LiteralOdometer(mass, 0.05, TFormulaRec{}, high, false, false))
        << "mass=" << mass;
    found += got.size();
  }
  EXPECT_GT(found, 10u);
}

TEST(FormulaSearch, ResumesFromAnyStateAndLargeCounts) {
  const TFormulaRec high = Rec({{6, 12, 30}, {1, 1, 60}, {7, 14, 5}, {8, 16, 10}, {16, 32, 2}});
  const TFormulaRec low = LowOf(high, {0, 0, 0, 0, 0});
  for (bool exact : {false, true}) {
    TFormulaSearch s;
    ASSERT_TRUE(s.Init(exact ? 300.0 : 300, 0.002, low, high));
    const auto got = Enumerate(s, exact, true);
    EXPECT_EQ(got, LiteralOdometer(300, 0.002, low, high, exact, true)) << "exact=" << exact;
    EXPECT_FALSE(got.empty());
  }
  TFormulaSearch s;
  ASSERT_TRUE(s.Init(1000, 0.05, TFormulaRec{}, Rec({{6, 12, 5000}, {1, 1, 60000}})));
  TFormulaRec r;
  ASSERT_TRUE(s.FindNominal(false, r));
  EXPECT_EQ(Counts(r), "83 4");
}

}  // namespace
}  // namespace nuv
