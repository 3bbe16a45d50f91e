// The structure drawing control: mouse tracking, ring and chain picking on
// molfiles written by RDKit (tools/ref/chemgrph_fixtures.py), labels
// against RDKit's hydrogen counts, and the layout search.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Nuv_cstruct_test_util.h"
#include "nuv/Nuv_cdata.h"
#include "nuv/Nuv_chemgrph.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/Random.h"
#include "nuv/platform/RecordingCanvas.h"
#include "nuv/platform/TextFile.h"

namespace nuv {
namespace {

const std::string kData = std::string(NUV_MOLLIB_TEST_DATA) + "/chemgrph/";

bool Load(TChemGraph& g, const std::string& file) {
  TextFile f(kData + file);
  f.Reset();
  return g.Structure()->ReadFromMDLMolFile(f);
}

// Rows of a fixture table, split at tabs; comment lines left out.
std::vector<std::vector<std::string>> Rows(const std::string& file) {
  std::ifstream in(kData + file);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::stringstream ss(line);
    for (std::string cell; std::getline(ss, cell, '\t');) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

std::vector<int32_t> Numbers(const std::string& s) {
  std::vector<int32_t> v;
  std::istringstream in(s);
  for (int32_t n; in >> n;) v.push_back(n);
  return v;
}

// ---------------------------------------------------------------------------
// Mouse tracking

struct TSeen {
  int32_t atom = -1;
  double dist = 0, x = 0, y = 0;
  TShiftState shift = 0;
  int32_t events = 0;
};

void Track(TChemGraph& g, TSeen& seen) {
  g.OnMoveOverStruct = [&seen](TObject*, int32_t atom, double dist, TShiftState shift, double x,
                               double y) { seen = {atom, dist, x, y, shift, seen.events + 1}; };
}

void PostMove(QWidget* w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QCoreApplication::postEvent(
      w, new QMouseEvent(QEvent::MouseMove, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::NoButton,
                         Qt::NoButton, mods));
  Application().ProcessMessages();
}

// Posted moves arrive as structure coordinates by the inverse of the
// transformation the last drawing used, with the nearest atom.
TEST(ChemGraphMouse, MovesMapThroughTheStoredTransformation) {
  TChemGraph g(nullptr);
  ASSERT_TRUE(Load(g, "butylnaphthalene.mol"));
  g.Repaint();
  const double scale = g.Scale(), ox = g.OffsetX(), oy = g.OffsetY();
  ASSERT_GT(scale, 0);
  TSeen seen;
  Track(g, seen);
  int32_t mouse = 0;
  g.OnMouseMove = [&](TObject*, TShiftState, int32_t, int32_t) { ++mouse; };
  const TCTab& t = *g.Structure();
  for (int32_t atom : {1, 5, 9, 14}) {
    const double ax = t.GetCoords(atom, 1), ay = t.GetCoords(atom, 2);
    const QPoint p(static_cast<int>(std::lround(ax * scale + ox)),
                   static_cast<int>(std::lround(ay * scale + oy)));
    PostMove(&g, p, Qt::ShiftModifier);
    EXPECT_EQ(seen.atom, atom);
    EXPECT_NEAR(seen.x, (p.x() - ox) / scale, 1e-12) << atom;
    EXPECT_NEAR(seen.y, (p.y() - oy) / scale, 1e-12) << atom;
    EXPECT_NEAR(seen.dist, std::hypot(seen.x - ax, seen.y - ay), 1e-6) << atom;
    EXPECT_TRUE(seen.shift & ShiftBit(ssShift)) << atom;
  }
  EXPECT_EQ(mouse, 4) << "the control's own mouse-move event fires too";
}

TEST(ChemGraphMouse, PopupMenuOnAContextMenuRequest) {
  TChemGraph g(nullptr);
  g.show();
  auto request = [&] {
    QCoreApplication::postEvent(&g, new QContextMenuEvent(QContextMenuEvent::Mouse, QPoint(20, 30),
                                                          g.mapToGlobal(QPoint(20, 30))));
    Application().ProcessMessages();
  };
  request();  // no menu: nothing happens
  {
    QMenu menu;
    menu.addAction("Copy");
    g.SetPopupMenu(&menu);
    EXPECT_EQ(g.PopupMenu(), &menu);
    request();
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
  }
  EXPECT_EQ(g.PopupMenu(), nullptr) << "a deleted menu is forgotten";
  request();
}

TEST(ChemGraphMouse, DegenerateTransformations) {
  TChemGraph g(nullptr);
  TSeen seen;
  Track(g, seen);
  // No atoms: atom 0 at the largest distance.
  g.MoveOverStruct(0, 10, 10);
  EXPECT_EQ(seen.atom, 0);
  EXPECT_GT(seen.dist, 1e300);
  // A drawing at scale 0 leaves no position to report.
  testing::BuildTable(*g.Structure(), "C C", "1-2");
  TRecordingCanvas c;
  g.DrawMolRaw(dmSkeleton, 0, 5, 5, false, c);
  seen = {};
  g.MoveOverStruct(0, 10, 10);
  EXPECT_EQ(seen.events, 0);
  // A control 16 pixels wide still maps finitely.
  g.SetWidth(16);
  g.Repaint();
  g.MoveOverStruct(0, 3, 3);
  EXPECT_EQ(seen.events, 1);
  EXPECT_TRUE(std::isfinite(seen.x) && std::isfinite(seen.y));
}

// Molfile y grows upwards, the control's downwards: the atom highest in
// the file is where the drawing reaches lowest, and the lowest atom where
// it reaches highest (single bonds in skeleton mode: no offsets, no labels
// that shorten the bonds).
TEST(ChemGraphMouse, MolfileYIsDrawnDownwards) {
  TChemGraph g(nullptr);
  ASSERT_TRUE(Load(g, "propylcyclopentane.mol"));
  TRecordingCanvas c(300, 200);
  g.SetFrameStyle(fsNone);
  g.PaintOn(c);
  const TCTab& t = *g.Structure();
  double top = -1e30, bottom = 1e30;
  for (int32_t a = 1; a <= t.NAtoms(); ++a) {
    top = std::max(top, t.GetCoords(a, 2));
    bottom = std::min(bottom, t.GetCoords(a, 2));
  }
  int32_t lowest = -1, highest = 1 << 30;
  for (const TCanvasCall& call : c.Calls())
    if (call.Op == "MoveTo" || call.Op == "LineTo") {
      lowest = std::max(lowest, call.Args[1]);
      highest = std::min(highest, call.Args[1]);
    }
  EXPECT_EQ(lowest, static_cast<int32_t>(std::nearbyint(top * g.Scale() + g.OffsetY())));
  EXPECT_EQ(highest, static_cast<int32_t>(std::nearbyint(bottom * g.Scale() + g.OffsetY())));
  EXPECT_GT(lowest, highest);
}

// ---------------------------------------------------------------------------
// Picking

// The reader rescales coordinates, so query points come from the table.
TEST(ChemGraphPick, RingAtItsCentroid) {
  const auto rows = Rows("rings.tsv");
  ASSERT_GE(rows.size(), 5u);
  for (const auto& r : rows) {
    TChemGraph g(nullptr);
    ASSERT_TRUE(Load(g, r[0])) << r[0];
    const std::vector<int32_t> expected = Numbers(r[1]);
    double x = 0, y = 0;
    for (int32_t a : expected) {
      x += g.Structure()->GetCoords(a, 1) / static_cast<double>(expected.size());
      y += g.Structure()->GetCoords(a, 2) / static_cast<double>(expected.size());
    }
    RingType ring;
    g.FindRingNextToCursor(static_cast<float>(x), static_cast<float>(y), ring);
    std::vector<int32_t> got(ring.begin() + 1, ring.begin() + 1 + ring[0]);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected) << r[0] << " ring " << r[1];
  }
}

// The chain as RDKit's graph gives it, in either direction; the table's
// order puts the end with the smaller x first.
TEST(ChemGraphPick, ChainThroughTheNearestAtom) {
  const auto rows = Rows("chains.tsv");
  ASSERT_GE(rows.size(), 20u);
  for (const auto& r : rows) {
    TChemGraph g(nullptr);
    ASSERT_TRUE(Load(g, r[0])) << r[0];
    const TCTab& t = *g.Structure();
    const int32_t atom = std::stoi(r[1]);
    AtListType list;
    const int32_t n = g.FindChainNexttoCursor(static_cast<float>(t.GetCoords(atom, 1)),
                                              static_cast<float>(t.GetCoords(atom, 2)), list);
    ASSERT_EQ(n, list[0]);
    std::vector<int32_t> got(list.begin() + 1, list.begin() + 1 + n);
    ASSERT_FALSE(got.empty()) << r[0] << " atom " << atom;
    EXPECT_LE(t.GetCoords(got.front(), 1), t.GetCoords(got.back(), 1)) << r[0] << " atom " << atom;
    std::vector<int32_t> expected = Numbers(r[2]);
    if (expected != got) std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(got, expected) << r[0] << " atom " << atom;
  }
}

// Small, far-off and ring-only structures: real atoms only, no endless
// walk round a ring of two-bonded atoms.
TEST(ChemGraphPick, EdgeCases) {
  TChemGraph g(nullptr);
  RingType ring;
  AtListType list;
  g.FindRingNextToCursor(0, 0, ring);
  EXPECT_EQ(ring[0], 0) << "empty";
  EXPECT_EQ(g.FindChainNexttoCursor(0, 0, list), 0) << "empty";
  // Cyclopropane 100,000 units away, fewer than five atoms.
  testing::BuildTable(*g.Structure(), "C C C", "1-2 2-3 3-1");
  for (int32_t a = 1; a <= 3; ++a) g.Structure()->SetCoords(a, 1, 1e5 + a);
  g.FindRingNextToCursor(0, 0, ring);
  EXPECT_EQ(ring[0], 3);
  EXPECT_EQ(g.FindChainNexttoCursor(0, 0, list), 3) << "the ring once round";
  EXPECT_EQ(std::vector<int32_t>(list.begin() + 1, list.begin() + 4),
            (std::vector<int32_t>{1, 2, 3}));
  // A branched atom is not a start, but ends the chain it meets; a lone
  // atom is a chain of one.
  testing::BuildTable(*g.Structure(), "C C C C O", "1-2 1-3 1-4");
  EXPECT_EQ(g.FindChainNexttoCursor(0, 0, list), 2);
  EXPECT_EQ(std::vector<int32_t>(list.begin() + 1, list.begin() + 3), (std::vector<int32_t>{2, 1}));
  g.Structure()->SetCoords(5, 1, 0.5f);
  g.Structure()->SetCoords(1, 1, 0.25f);
  EXPECT_EQ(g.FindChainNexttoCursor(0.6f, 0, list), 1);
  EXPECT_EQ(list[1], 5);
}

// ---------------------------------------------------------------------------
// Labels against RDKit

struct TParsedLabel {
  std::string symbol;
  int32_t hydrogens = 0, charge = 0;
};

// "NH3+" -> N, 3, +1; "Fe3+" -> Fe, 0, +3; "O-" -> O, 0, -1: hydrogen
// digits follow the "H", charge digits stand before the sign.
TParsedLabel Parse(const std::string& label, const std::string& symbol) {
  TParsedLabel p{symbol};
  std::size_t i = symbol.size();
  auto digits = [&](int32_t fallback) {
    std::size_t j = i;
    while (j < label.size() && std::isdigit(static_cast<unsigned char>(label[j]))) ++j;
    const int32_t n = j > i ? std::stoi(label.substr(i, j - i)) : fallback;
    i = j;
    return n;
  };
  if (i < label.size() && label[i] == 'H') {
    ++i;
    p.hydrogens = digits(1);
  }
  if (i < label.size()) {
    const int32_t n = digits(1);
    p.charge = (i < label.size() && label[i] == '-') ? -n : n;
  }
  return p;
}

TEST(ChemGraphLabels, HydrogensAndChargesAsRdkitCountsThem) {
  const auto rows = Rows("labels.tsv");
  ASSERT_GE(rows.size(), 25u);
  for (const auto& r : rows) {
    TChemGraph g(nullptr);
    ASSERT_TRUE(Load(g, r[0])) << r[0];
    const int32_t atom = std::stoi(r[1]);
    ASSERT_EQ(CElemSymb(g.Structure()->GetAtNum(atom)), r[2]) << r[0];
    std::string label;
    g.ConstructElemSymb(atom, label);
    const TParsedLabel p = Parse(label, r[2]);
    EXPECT_EQ(p.charge, std::stoi(r[3])) << r[0] << " atom " << atom << " label " << label;
    EXPECT_EQ(p.hydrogens, std::stoi(r[4])) << r[0] << " atom " << atom << " label " << label;
  }
}

// ---------------------------------------------------------------------------
// Layout search

std::vector<float> Coords(const TCTab& t) {
  std::vector<float> v;
  for (int32_t a = 1; a <= t.NAtoms(); ++a)
    for (int32_t axis = 1; axis <= 3; ++axis) v.push_back(static_cast<float>(t.GetCoords(a, axis)));
  return v;
}

TEST(ChemGraphLayout, SeededIncrementalAndFullAgree) {
  for (const char* file : {"butylnaphthalene.mol", "biphenyl_ether.mol", "cyclohexane.mol"}) {
    TChemGraph a(nullptr), b(nullptr), c(nullptr);
    ASSERT_TRUE(Load(a, file));
    Load(b, file);
    Load(c, file);
    const long double before = a.MolShapeScore(30);
    uint32_t sa = 42, sb = 42, sc = 42;
    a.OptimizeMolShape(30, sa);
    b.OptimizeMolShape(30, sb);
    c.OptimizeMolShape(30, sc, true);
    EXPECT_EQ(Coords(*a.Structure()), Coords(*b.Structure())) << file << ": same seed";
    EXPECT_EQ(Coords(*a.Structure()), Coords(*c.Structure())) << file << ": full rescore";
    EXPECT_EQ(sa, sc) << file;
    TChemGraph fresh(nullptr);
    Load(fresh, file);
    EXPECT_NE(Coords(*a.Structure()), Coords(*fresh.Structure())) << file << ": the layout changed";
    EXPECT_GE(a.MolShapeScore(30), before) << file << ": the score never falls";
  }
}

TEST(ChemGraphLayout, ScoreNeverFallsStepByStep) {
  TChemGraph g(nullptr);
  ASSERT_TRUE(Load(g, "propylcyclopentane.mol"));
  // Runs of growing length from the same seed end on scores that never
  // fall below the start; each run's best only rises.
  long double previous = g.MolShapeScore(20);
  for (int32_t round = 0; round < 4; ++round) {
    uint32_t seed = 7u + static_cast<uint32_t>(round);
    g.OptimizeMolShape(20, seed);
    const long double now = g.MolShapeScore(20);
    EXPECT_GE(now, previous) << "round " << round;
    previous = now;
  }
}

// The runtime generator: RandSeed makes the layout reproducible and is
// advanced as by the same number of Random calls.
TEST(ChemGraphLayout, RuntimeGeneratorAndBadInput) {
  TChemGraph a(nullptr), b(nullptr);
  Load(a, "cyclohexane.mol");
  Load(b, "cyclohexane.mol");
  RandSeed = 99;
  a.OptimizeMolShape(25);
  const uint32_t after = RandSeed;
  uint32_t seed = 99;
  b.OptimizeMolShape(25, seed);
  EXPECT_EQ(after, seed);
  EXPECT_EQ(Coords(*a.Structure()), Coords(*b.Structure()));
  // 100 steps per atom, 3 draws on odd and 6 on even steps.
  uint32_t count = 99;
  for (int32_t i = 1; i <= 600 * 9 / 2; ++i) count = NextRandSeed(count);
  EXPECT_EQ(seed, count);
  const auto kept = Coords(*a.Structure());
  for (int32_t bad : {0, -5, 2000000000}) {
    uint32_t s = 1;
    a.OptimizeMolShape(bad, s);
    EXPECT_EQ(s, 1u) << bad;
    EXPECT_EQ(Coords(*a.Structure()), kept) << bad;
  }
  TChemGraph empty(nullptr);
  empty.OptimizeMolShape(30, seed);
  EXPECT_EQ(empty.Structure()->NAtoms(), 0);
}

// The step factor (110 - i) / 100 passes 0 at step 110 and grows negative
// after it. Two atoms without a bond score their distance, so a replay of
// the generator that keeps the moves which do not shorten it gives the
// layout after 200 steps, 90 of them with negative factors.
TEST(ChemGraphLayout, StepFactorTurnsNegative) {
  for (bool full : {false, true}) {
    TChemGraph g(nullptr);
    testing::BuildTable(*g.Structure(), "C C", "");
    g.Structure()->SetCoords(2, 1, 10);
    uint32_t seed = 5, replay = 5;
    g.OptimizeMolShape(10, seed, full);
    std::array<std::array<float, 2>, 2> p{{{0, 0}, {10, 0}}};
    auto draw = [&](int32_t range) {
      replay = NextRandSeed(replay);
      return static_cast<int32_t>((static_cast<uint64_t>(replay) * range) >> 32);
    };
    auto dist = [&] { return std::hypot(double{p[0][0]} - p[1][0], double{p[0][1]} - p[1][1]); };
    double best = dist();
    for (int32_t i = 1; i <= 200; ++i) {
      const double f = (110 - i) / 100.0;
      const auto was = p;
      for (int32_t k = 0; k < (i % 2 == 0 ? 2 : 1); ++k) {
        auto& q = p[static_cast<std::size_t>(draw(2))];
        const int32_t rx = draw(20), ry = draw(20);
        q[0] = static_cast<float>(q[0] + (rx - 10) * f);
        q[1] = static_cast<float>(q[1] + (ry - 10) * f);
      }
      if (dist() >= best)
        best = dist();
      else
        p = was;
    }
    for (int32_t a = 0; a < 2; ++a) {
      EXPECT_EQ(g.Structure()->GetCoords(a + 1, 1), p[static_cast<std::size_t>(a)][0]) << full;
      EXPECT_EQ(g.Structure()->GetCoords(a + 1, 2), p[static_cast<std::size_t>(a)][1]) << full;
    }
    EXPECT_EQ(seed, replay);
  }
}

TEST(ChemGraphLayout, SixtyThreeAtoms) {
  TChemGraph g(nullptr);
  ASSERT_TRUE(Load(g, "layout63.mol"));
  ASSERT_EQ(g.Structure()->NAtoms(), 63);
  // Molfile units; the search works on bond length 30, so scale first.
  for (int32_t a = 1; a <= 63; ++a)
    for (int32_t axis = 1; axis <= 2; ++axis)
      g.Structure()->SetCoords(a, axis, g.Structure()->GetCoords(a, axis) * 20);
  const long double before = g.MolShapeScore(30);
  uint32_t seed = 3;
  g.OptimizeMolShape(30, seed);
  EXPECT_GE(g.MolShapeScore(30), before);
}

}  // namespace
}  // namespace nuv
