// The structure drawing control: pixels of its surface, call sequences on
// a recording canvas, and the atom labels.
#include "nuv/Nuv_chemgrph.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Nuv_cstruct_test_util.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/RecordingCanvas.h"

namespace nuv {
namespace {

using testing::BuildTable;

constexpr TColor kPaper = clYellow;
constexpr TColor kInk = clBlue;

// Builds the molecule (see BuildTable) and gives atom i the coordinates
// xy[2i], xy[2i + 1].
void Build(TChemGraph& g, const std::string& atoms, const std::string& bonds,
           const std::vector<double>& xy) {
  TCTab& t = *g.Structure();
  BuildTable(t, atoms, bonds);
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
    t.SetCoords(static_cast<int32_t>(i / 2 + 1), 1, xy[i]);
    t.SetCoords(static_cast<int32_t>(i / 2 + 1), 2, xy[i + 1]);
  }
}

std::unique_ptr<TChemGraph> Control(TFrameStyle frame = fsNone) {
  auto g = std::make_unique<TChemGraph>(nullptr);
  g->SetColorBakG(kPaper);
  g->SetMolColor(kInk);
  g->SetFrameStyle(frame);
  return g;
}

TColor Pixel(TChemGraph& g, int32_t x, int32_t y) { return g.Canvas()->Pixels(x, y); }

std::string Label(TChemGraph& g, int32_t atom) {
  std::string s;
  g.ConstructElemSymb(atom, s);
  return s;
}

// The calls of one kind, as text.
std::vector<std::string> CallsOf(const TRecordingCanvas& c, const std::string& op) {
  std::vector<std::string> out;
  for (const TCanvasCall& call : c.Calls())
    if (call.Op == op) out.push_back(call.ToString());
  return out;
}

TEST(ChemGraphControl, StartsAsDocumented) {
  TChemGraph g(nullptr);
  EXPECT_EQ(g.Width(), 300);
  EXPECT_EQ(g.Height(), 200);
  EXPECT_EQ(g.Font()->Name(), "Courier New");
  EXPECT_EQ(g.Font()->Size(), 14);
  EXPECT_EQ(g.Font()->Style(), 0);
  EXPECT_EQ(g.ColorStructure(), 0x000080);
  EXPECT_EQ(g.ColorBkg(), clBtnFace);
  EXPECT_EQ(g.ColorScheme(), csBWG);
  EXPECT_EQ(g.FrameStyle(), fsRaised);
  EXPECT_EQ(g.MaxBondLeng(), 30);
  EXPECT_EQ(g.DisplayMode(), dmSkeleton);
  EXPECT_EQ(g.Scale(), 1.0);
  EXPECT_EQ(g.GetClipBoundary(TChemGraph::diRight), 800);
  EXPECT_EQ(g.GetClipBoundary(TChemGraph::diBottom), 600);
  EXPECT_EQ(g.Structure()->NAtoms(), 0);
  EXPECT_EQ(QFontInfo(g.Font()->QtFont()).family(), "DejaVu Sans Mono")
      << "Courier New through the platform's alias table";
}

// In a Qt layout the control takes the size it is given, and the next
// drawing fits the molecule to it.
TEST(ChemGraphControl, WorksInAQtLayout) {
  QWidget host;
  auto* layout = new QVBoxLayout(&host);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* g = new TChemGraph(nullptr);
  layout->addWidget(g);
  Build(*g, "C C", "1-2", {0, 0, 1, 0});
  g->SetMaxbondleng(0);
  host.resize(516, 116);
  host.show();
  Application().ProcessMessages();
  g->Repaint();
  EXPECT_EQ(g->Width(), 516);
  EXPECT_EQ(g->Height(), 116);
  EXPECT_DOUBLE_EQ(g->Scale(), 100) << "min((516 - 16) / 1 unit, 116 - 16 for no height)";
  EXPECT_EQ(Pixel(*g, 258, 58), g->ColorStructure()) << "the bond through the centre";
}

// Probes of every frame style: the outer rectangle, the inner top-left and
// the outer bottom-right lines, whose end pixels stay out.
TEST(ChemGraphControl, FramePixelsOfEveryStyle) {
  constexpr TColor S = 0x808080, H = 0xFFFFFF, D = 0x000000, B = kPaper;
  const int32_t w = 300, h = 200;
  struct TProbe {
    int32_t x, y;
  };
  const TProbe probes[] = {{0, 100},   {150, 0},     {1, 1},       {1, 100},
                           {150, 1},   {150, h - 1}, {w - 1, 100}, {w - 1, h - 1},
                           {1, h - 2}, {w - 2, 1},   {w - 1, 0},   {2, 2}};
  const struct {
    TFrameStyle style;
    std::vector<TColor> expected;
  } cases[] = {
      {fsNone, {B, B, B, B, B, B, B, B, B, B, B, B}},
      {fsSimple, {S, S, B, B, B, S, S, S, B, B, S, B}},
      {fsLowered, {S, S, D, D, D, H, H, H, B, B, S, B}},
      {fsRaised, {S, S, H, H, H, D, D, D, B, B, S, B}},
      {fsEmbossed, {H, H, S, S, S, S, S, S, B, B, H, B}},
      {fsEngraved, {S, S, H, H, H, H, H, H, B, B, S, B}},
  };
  for (const auto& c : cases) {
    auto g = Control(c.style);
    g->Repaint();
    for (std::size_t i = 0; i < std::size(probes); ++i)
      EXPECT_EQ(Pixel(*g, probes[i].x, probes[i].y), c.expected[i])
          << "style " << xmlFrameStyle[c.style] << " at " << probes[i].x << "," << probes[i].y;
  }
}

TEST(ChemGraphControl, SystemSchemeTakesTheButtonColours) {
  auto g = Control(fsSimple);
  g->SetColorScheme(csSystem);
  EXPECT_EQ(g->ShadowColor(), clBtnShadow);
  EXPECT_EQ(g->HighlightColor(), clBtnHighlight);
  EXPECT_EQ(Pixel(*g, 0, 50), ColorToRGB(clBtnShadow));
  g->SetColorScheme(csBWG);
  EXPECT_EQ(Pixel(*g, 0, 50), 0x808080);
}

// Two carbons one unit apart in a 300 x 200 control: the scale is limited
// to 30 pixels per bond and the pair is centred on (150, 100), so a
// horizontal bond runs from (135, 100) to (165, 100), a vertical one from
// (150, 85) to (150, 115). Double bonds are displaced by round(1.65) = 2
// pixels, triple bonds by 3. The diagonal bond (1, 1) is limited to
// 30 / sqrt(2) per unit: ends round(150 -+ 10.61) = 139 / 161 and 89 / 111,
// displaced by round(+-1.65 / sqrt(2)) = 1 and round(3 / sqrt(2)) = 2.
TEST(ChemGraphControl, BondPixelsByDirectionAndType) {
  struct TCase {
    const char* name;
    std::string bond;
    std::vector<double> xy;
    std::vector<std::array<int32_t, 2>> ink, paper;
  };
  const TCase cases[] = {
      {"horizontal single",
       "1-2",
       {0, 0, 1, 0},
       {{135, 100}, {150, 100}, {164, 100}},
       {{165, 100}, {150, 99}, {150, 101}}},
      {"horizontal double",
       "1=2",
       {0, 0, 1, 0},
       {{150, 98}, {150, 102}, {136, 98}},
       {{150, 100}, {150, 99}, {150, 101}}},
      {"horizontal triple",
       "1#2",
       {0, 0, 1, 0},
       {{150, 97}, {150, 100}, {150, 103}},
       {{150, 98}, {150, 102}, {150, 104}}},
      {"vertical single", "1-2", {0, 0, 0, 1}, {{150, 85}, {150, 114}}, {{150, 115}, {149, 100}}},
      {"vertical double", "1=2", {0, 0, 0, 1}, {{148, 100}, {152, 100}}, {{150, 100}}},
      {"vertical triple",
       "1#2",
       {0, 0, 0, 1},
       {{147, 100}, {150, 100}, {153, 100}},
       {{148, 100}, {152, 100}}},
      {"diagonal single",
       "1-2",
       {0, 0, 1, 1},
       {{139, 89}, {150, 100}, {160, 110}},
       {{161, 111}, {151, 100}}},
      {"diagonal double", "1=2", {0, 0, 1, 1}, {{149, 101}, {151, 99}}, {{150, 100}}},
      {"diagonal triple",
       "1#2",
       {0, 0, 1, 1},
       {{148, 102}, {150, 100}, {152, 98}},
       {{149, 101}, {151, 99}}},
  };
  for (const TCase& c : cases) {
    auto g = Control();
    Build(*g, "C C", c.bond, c.xy);
    for (const auto& p : c.ink)
      EXPECT_EQ(Pixel(*g, p[0], p[1]), kInk) << c.name << " ink at " << p[0] << "," << p[1];
    for (const auto& p : c.paper)
      EXPECT_EQ(Pixel(*g, p[0], p[1]), kPaper) << c.name << " paper at " << p[0] << "," << p[1];
  }
}

// The ink of a drawn control (within r): its bounding box and how many
// pixels of a colour it holds.
struct TInk {
  int32_t left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
};
TInk InkOf(TChemGraph& g, TColor colour, TRect r = {0, 0, 1 << 20, 1 << 20}) {
  TInk ink;
  for (int32_t y = std::max(r.Top, 0); y < std::min(g.Height(), r.Bottom); ++y)
    for (int32_t x = std::max(r.Left, 0); x < std::min(g.Width(), r.Right); ++x)
      if (Pixel(g, x, y) == colour) {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
        ++ink.count;
      }
  return ink;
}

// A lone atom is centred (not near the top-left corner), labelled in every
// mode, and its label in 8 points (a fit without bonds) is whole.
TEST(ChemGraphControl, LoneAtomIsCentredInEveryMode) {
  for (TCGDispMode mode : {dmSkeleton, dmHeteroOnly, dmAllAtoms, dmNumbers}) {
    auto g = Control();
    g->SetDisplayMode(mode);
    Build(*g, "Na+", "", {3, 4});
    const TInk ink = InkOf(*g, kInk);
    ASSERT_GT(ink.count, 0) << "mode " << int(mode);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 150, 4) << "mode " << int(mode);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 100, 6) << "mode " << int(mode);
    EXPECT_EQ(g->OffsetX() + 3 * g->Scale(), 150) << "mode " << int(mode);
    EXPECT_EQ(g->OffsetY() + 4 * g->Scale(), 100) << "mode " << int(mode);
  }
}

// With bit 29 the label's cell is filled with the atom colour and the
// text is drawn in the background colour; bits 28 and 30 make it bold and
// italic. The cell is where the canvas's own metrics put it.
TEST(ChemGraphControl, InverseLabelBox) {
  auto g = Control();
  Build(*g, "N+", "", {0, 0});
  g->SetAtColor(1, clRed);
  g->SetVisAttrib(1, 2);
  TBitmap probe;
  probe.SetSize(1, 1);
  probe.Canvas()->SetFont(g->Font());
  probe.Canvas()->Font()->SetSize(8);
  const TSize cell = probe.Canvas()->TextExtent("NH4+");
  const int32_t left = 150 - cell.cx / 2, top = 100 - cell.cy / 2;
  const TInk red = InkOf(*g, clRed);
  EXPECT_EQ(red.left, left);
  EXPECT_EQ(red.top, top);
  EXPECT_EQ(red.right, left + cell.cx - 1);
  EXPECT_EQ(red.bottom, top + cell.cy - 1);
  EXPECT_GT(InkOf(*g, kPaper, Bounds(left, top, cell.cx, cell.cy)).count, 0)
      << "the text in the background colour";
  EXPECT_LT(red.count, cell.cx * cell.cy) << "the text cuts into the box";
  g->SetVisAttrib(1, 0);
  const TInk plain = InkOf(*g, clRed);
  EXPECT_LT(plain.count, red.count / 2) << "only the glyphs without the box";
}

// ---------------------------------------------------------------------------
// Recording canvas: sequences and arithmetic

struct TRecorded {
  TChemGraph g{nullptr};
  TRecordingCanvas c{400, 300};
  TRecorded() {
    g.SetMolColor(kInk);
    c.Font()->SetSize(10);  // boxes: half-height 10 div 2 + 1 = 6
  }
};

// Half-height 6; "OH" is 2 characters (half-width 12), "NH2" 3 (18).
TEST(ChemGraphCanvas, BondEndsLeaveTheLabelBoxes) {
  const struct {
    const char* name;
    std::string atoms, bonds;
    std::vector<double> xy;
    TCGDispMode mode;
    std::vector<std::string> lines;
  } cases[] = {
      // From O (30, 40) towards C (0, 0): 30 * 6 < 40 * 12, so the top
      // edge: y 34, x = 30 - 30 * 6 / 40 = 25.5, rounded to even 26.
      {"top edge", "C O", "1-2", {0, 0, 3, 4}, dmHeteroOnly, {"MoveTo(0,0)", "LineTo(26,34)"}},
      // From N (50, 10) towards C: 50 * 6 > 10 * 18, so the left edge:
      // x 32, y = 10 - 10 * 18 / 50 = 6.4 -> 6.
      {"left edge", "C N", "1-2", {0, 0, 5, 1}, dmHeteroOnly, {"MoveTo(0,0)", "LineTo(32,6)"}},
      // Both ends boxed ("C", "O": half-width 6) on a horizontal double
      // bond, displaced by 2 up and down.
      {"both ends",
       "C O",
       "1=2",
       {10, 10, 14, 10},
       dmAllAtoms,
       {"MoveTo(106,102)", "LineTo(134,102)", "MoveTo(106,98)", "LineTo(134,98)"}},
      // A vertical bond is shortened by the half-height only.
      {"vertical",
       "C O",
       "1-2",
       {10, 10, 10, 14},
       dmHeteroOnly,
       {"MoveTo(100,100)", "LineTo(100,134)"}},
      // dmNumbers: boxes of one character below atom 10.
      {"numbers",
       "C C",
       "1-2",
       {10, 10, 14, 10},
       dmNumbers,
       {"MoveTo(106,100)", "LineTo(134,100)"}},
      // In skeleton mode only a charged or unbonded atom has a box: "O-"
      // at (50, 0), half-width 12.
      {"skeleton",
       "C O- C",
       "1-2 2-3",
       {0, 0, 5, 0, 10, 0},
       dmSkeleton,
       {"MoveTo(0,0)", "LineTo(38,0)", "MoveTo(62,0)", "LineTo(100,0)"}},
  };
  for (const auto& k : cases) {
    TRecorded r;
    Build(r.g, k.atoms, k.bonds, k.xy);
    r.g.DrawMolRaw(k.mode, 10, 0, 0, false, r.c);
    std::vector<std::string> lines;
    for (const TCanvasCall& call : r.c.Calls())
      if (call.Op == "MoveTo" || call.Op == "LineTo") lines.push_back(call.ToString());
    EXPECT_EQ(lines, k.lines) << k.name;
  }
}

// Labels at (X - width div 2, Y - height div 2) by the canvas's metrics
// (7 pixels a character, 13 a line): "OH" at (30, 40) -> (23, 34).
TEST(ChemGraphCanvas, LabelsByTheCanvasMetrics) {
  TRecorded r;
  Build(r.g, "C O", "1-2", {0, 0, 3, 4});
  r.g.DrawMolRaw(dmHeteroOnly, 10, 0, 0, false, r.c);
  EXPECT_EQ(CallsOf(r.c, "TextOut"), std::vector<std::string>{"TextOut(23,34,'OH')"});
  r.c.Clear();
  r.g.DrawMolRaw(dmNumbers, 10, 0, 0, false, r.c);
  EXPECT_EQ(CallsOf(r.c, "TextOut"),
            (std::vector<std::string>{"TextOut(-3,-6,'1')", "TextOut(27,34,'2')"}));
}

TEST(ChemGraphCanvas, AromaticBondIsDashedAndThePenReturnsToSolid) {
  TRecorded r;
  r.c.Pen()->SetStyle(psDot);
  r.c.Pen()->SetWidth(3);
  Build(r.g, "C C C", "1:2 2-3", {0, 0, 5, 0, 10, 0});
  r.g.DrawMolRaw(dmSkeleton, 10, 0, 0, false, r.c);
  std::vector<std::pair<TPenStyle, int32_t>> pens;
  for (const TCanvasCall& call : r.c.Calls())
    if (call.Op == "LineTo") pens.emplace_back(call.PenStyle, call.PenWidth);
  const std::vector<std::pair<TPenStyle, int32_t>> expected{{psDash, 1}, {psSolid, 1}};
  EXPECT_EQ(pens, expected);
  EXPECT_EQ(r.c.Pen()->Style(), psSolid);
  EXPECT_EQ(r.c.Pen()->Width(), 1);
}

TEST(ChemGraphCanvas, DrawingRestoresFiveAttributes) {
  TRecorded r;
  TCanvas& c = r.c;
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clAqua);
  c.Pen()->SetColor(clLime);
  c.Pen()->SetMode(pmXor);
  c.Font()->SetColor(clFuchsia);
  Build(r.g, "N+ C", "1-2", {0, 0, 5, 0});
  r.g.SetVisAttrib(1, 2);
  r.g.DrawMolRaw(dmAllAtoms, 10, 20, 20, false, c);
  EXPECT_EQ(c.Brush()->Style(), bsSolid);
  EXPECT_EQ(c.Brush()->Color(), clAqua);
  EXPECT_EQ(c.Pen()->Color(), clLime);
  EXPECT_EQ(c.Pen()->Mode(), pmXor);
  EXPECT_EQ(c.Font()->Color(), clFuchsia);
  for (const TCanvasCall& call : r.c.Calls()) {
    if (call.Op == "LineTo") {
      EXPECT_EQ(call.PenColor, kInk);
      EXPECT_EQ(call.PenMode, pmCopy);
    }
    if (call.Op == "TextOut" && call.Text == "NH3+") {
      EXPECT_EQ(call.BrushStyle, bsSolid) << "inverse";
      EXPECT_EQ(call.BrushColor, kInk) << "box in the atom's (structure) colour";
      EXPECT_EQ(call.FontColor, r.g.ColorBkg());
    }
    if (call.Op == "TextOut" && call.Text == "C") {
      EXPECT_EQ(call.BrushStyle, bsClear);
    }
  }
}

// (300 - 19 * 7) div 2 + 2 = 85, (200 - 13) div 2 = 93.
TEST(ChemGraphCanvas, EmptyStructureText) {
  TChemGraph g(nullptr);
  TRecordingCanvas c(300, 200);
  g.PaintOn(c);
  EXPECT_EQ(CallsOf(c, "TextOut"),
            std::vector<std::string>{"TextOut(85,93,'no structure loaded')"});
}

// 4 units wide, 5 high, mean bond 1.0, 300 x 200: sx = 284 / 4 = 71,
// sy = 184 / 5 = 36.8, the bond limit 30 wins; offsets 150 - 30 * 2 = 90
// and 100 - 30 * 2.5 = 25; font round(30 / 5) = 6 -> 10 points.
TEST(ChemGraphCanvas, FitExample) {
  TChemGraph g(nullptr);
  Build(g, "C C C", "1-2", {0, 0, 1, 0, 4, 5});
  TRecordingCanvas c(300, 200);
  g.PaintOn(c);
  EXPECT_DOUBLE_EQ(g.Scale(), 30);
  EXPECT_DOUBLE_EQ(g.OffsetX(), 90);
  EXPECT_DOUBLE_EQ(g.OffsetY(), 25);
  const auto texts = CallsOf(c, "TextOut");
  ASSERT_EQ(texts, std::vector<std::string>{"TextOut(207,169,'C')"});
  for (const TCanvasCall& call : c.Calls()) {
    if (call.Op == "TextOut") {
      EXPECT_EQ(call.FontHeight, -13) << "10 points at 96 dpi";
    }
  }
  const auto lines = CallsOf(c, "LineTo");
  EXPECT_EQ(lines.back(), "LineTo(120,25)");
}

TEST(ChemGraphCanvas, FitFallbacks) {
  const struct {
    const char* name;
    std::string atoms;
    std::vector<double> xy;
    int32_t width, maxBond;
    double scale;
  } cases[] = {
      // Extents 0 both ways: scale min(284, 184), font 8 points.
      {"coincident", "C C", {2, 2, 2, 2}, 300, 0, 184},
      {"coincident, limited", "C C", {2, 2, 2, 2}, 300, 30, 30},
      // Horizontal: sx = 284 / 2, sy falls back to 184.
      {"collinear", "C C C", {0, 0, 1, 0, 2, 0}, 300, 0, 142},
      // A control 16 or fewer pixels wide keeps a positive scale.
      {"width 16", "C C", {0, 0, 1, 0}, 16, 0, 1},
      {"width 5", "C C", {0, 0, 1, 0}, 5, 0, 1},
      // 50,000 units: tiny, but finite and positive.
      {"huge", "C C", {0, 0, 50000, 0}, 300, 30, 284.0 / 50000},
  };
  for (const auto& k : cases) {
    TChemGraph g(nullptr);
    g.SetWidth(k.width);
    g.SetMaxbondleng(k.maxBond);
    Build(g, k.atoms, "", k.xy);
    TRecordingCanvas c(k.width, 200);
    g.PaintOn(c);
    EXPECT_DOUBLE_EQ(g.Scale(), k.scale) << k.name;
  }
}

// Scales the fit never makes: nothing is rounded from infinity or NaN, and
// every coordinate stays within the saturation bound.
TEST(ChemGraphCanvas, DegenerateScalesAreSafe) {
  TChemGraph g(nullptr);
  Build(g, "C O C", "1=2 2-3", {0, 0, 1, 0, 1e30, 0});
  for (double scale : {0.0, -2.0, 1e300, double{HUGE_VAL}, double{-HUGE_VAL}, double{NAN}}) {
    TRecordingCanvas c;
    g.DrawMolRaw(dmAllAtoms, scale, 10, 10, false, c);
    for (const TCanvasCall& call : c.Calls())
      for (int32_t v : call.Args)
        EXPECT_LE(std::abs(v), (1 << 20) + 40) << scale << " " << call.ToString();
    g.MoveOverStruct(0, 1, 1);
  }
}

// The box fit centres on the box; an extent of 0 falls back to the box
// size instead of an infinite scale.
TEST(ChemGraphCanvas, ShowMoleculeInABox) {
  TChemGraph g(nullptr);
  TRecordingCanvas c(400, 300);
  Build(g, "O", "", {7, 7});
  g.ShowMoleculeInABox(c, dmAllAtoms, 10, 10, 110, 60, 0);
  EXPECT_DOUBLE_EQ(g.Scale(), 50);
  EXPECT_EQ(c.Font()->Name(), "Courier New");
  EXPECT_EQ(c.Font()->Size(), 8);
  // The lone oxygen's label "OH2" centred on (60, 35).
  EXPECT_EQ(CallsOf(c, "TextOut"), std::vector<std::string>{"TextOut(50,29,'OH2')"});
  c.Clear();
  Build(g, "C C C", "1-2 2-3", {0, 0, 1, 0, 2, 0});
  g.ShowMoleculeInABox(c, dmSkeleton, 0, 0, 200, 100, 30);
  EXPECT_DOUBLE_EQ(g.Scale(), 30);
  EXPECT_EQ(CallsOf(c, "MoveTo").front(), "MoveTo(70,50)");
}

TEST(ChemGraphCanvas, ClippedDrawing) {
  TRecorded r;
  Build(r.g, "C O", "1-2", {1, 1, 30, 1});
  r.g.SetClipBoundary(TChemGraph::diRight, 200);
  r.g.DrawMolRaw(dmHeteroOnly, 10, 0, 0, true, r.c);
  // The start (10, 10) moves into 4 .. 196; the oxygen at 300 lies outside
  // the label band (40 .. 160) and gets no label.
  const auto lines = CallsOf(r.c, "LineTo");
  EXPECT_EQ(CallsOf(r.c, "MoveTo"), std::vector<std::string>{"MoveTo(10,10)"});
  EXPECT_EQ(lines, std::vector<std::string>{"LineTo(196,10)"});
  EXPECT_TRUE(CallsOf(r.c, "TextOut").empty());
}

// ---------------------------------------------------------------------------
// Labels

struct TLabelCase {
  std::string atoms, bonds;
  int32_t atom;
  const char* label;
};

void ExpectLabels(std::initializer_list<TLabelCase> cases) {
  for (const TLabelCase& c : cases) {
    TChemGraph g(nullptr);
    Build(g, c.atoms, c.bonds, {});
    EXPECT_EQ(Label(g, c.atom), c.label) << c.atoms << " / " << c.bonds;
  }
}

TEST(ChemGraphLabels, TableRows) {
  ExpectLabels({
      {"N", "", 1, "NH3"},
      {"N C", "1-2", 1, "NH2"},
      {"N C C", "1-2 1-3", 1, "NH"},
      {"N C C C", "1-2 1-3 1-4", 1, "N"},
      {"N C", "1#2", 1, "N"},
      {"N+", "", 1, "NH4+"},
      {"N+ C", "1-2", 1, "NH3+"},
      {"N+ C C", "1-2 1-3", 1, "NH2+"},
      {"N+ C C C", "1-2 1-3 1-4", 1, "NH+"},
      {"N+ C C C C", "1-2 1-3 1-4 1-5", 1, "N+"},
      {"N- C", "1-2", 1, "NH-"},
      {"N- C C", "1-2 1-3", 1, "N-"},
      {"N- C C C", "1-2 1-3 1-4", 1, "N-"},
      {"P", "", 1, "PH3"},
      {"P+ C C C C", "1-2 1-3 1-4 1-5", 1, "P+"},
      {"O C", "1-2", 1, "OH"},
      {"O C C", "1-2 1-3", 1, "O"},
      {"O C", "1=2", 1, "O"},
      {"O+ C", "1-2", 1, "OH2+"},
      {"O+ C C", "1-2 1-3", 1, "OH+"},
      {"O- C", "1-2", 1, "O-"},
      {"O- C C", "1-2 1-3", 1, "O-"},
      {"S C", "1-2", 1, "SH"},
      {"C", "", 1, "C"},
      {"C C", "1-2", 1, "C"},
      {"Na+", "", 1, "Na+"},
      {"Cl-", "", 1, "Cl-"},
      {"13C C", "1-2", 1, "C"},
  });
}

// Beyond the table the hydrogens come from the hydrogen count and the
// charge is appended; aromatic bonds count one each plus one for the atom.
TEST(ChemGraphLabels, OutsideTheTableAndAromatic) {
  ExpectLabels({
      {"O", "", 1, "OH2"},
      {"O-", "", 1, "OH-"},
      {"S", "", 1, "SH2"},
      {"Fe+++", "", 1, "Fe3+"},
      {"Ca++", "", 1, "Ca2+"},
      {"O+ C C C", "1-2 1-3 1-4", 1, "O+"},
      {"S C O O", "1-2 1=3 1=4", 1, "S"},
      {"N C O O", "1-2 1=3 1=4", 1, "N"},
      {"N- ", "", 1, "NH2-"},
      // pyridine, pyridinium, N-methylpyridinium
      {"N C C C C C", "1:2 2:3 3:4 4:5 5:6 6:1", 1, "N"},
      {"N+ C C C C C", "1:2 2:3 3:4 4:5 5:6 6:1", 1, "NH+"},
      {"N+ C C C C C C", "1:2 2:3 3:4 4:5 5:6 6:1 1-7", 1, "N+"},
      {"O C C C C", "1:2 2:3 3:4 4:5 5:1", 1, "O"},
  });
  TChemGraph g(nullptr);
  std::string s = "x";
  EXPECT_EQ(g.ConstructElemSymb(1, s), 0);
  EXPECT_EQ(s, "");
}

TEST(ChemGraphLabels, ColourAndStyleBits) {
  auto g = Control();
  Build(*g, "O C", "1-2", {0, 0, 1, 0});
  EXPECT_EQ(g->Structure()->GetAtomEntries(1).Reserved, 0x80000000u);
  EXPECT_EQ(g->GetAtColor(1), 0);
  g->SetVisAttrib(1, 5);
  EXPECT_EQ(g->GetVisAttrib(1), 5);
  g->SetAtColor(1, clRed);
  EXPECT_EQ(g->Structure()->GetAtomEntries(1).Reserved, 0x50000000u | clRed)
      << "style kept, bit 31 cleared";
  g->SetAtColor(1, clBtnFace);
  EXPECT_EQ(g->GetAtColor(1), ColorToRGB(clBtnFace)) << "a system colour stored as its RGB";
  for (int32_t bad : {-1, 8, 1 << 29}) {
    g->SetVisAttrib(1, bad);
    EXPECT_EQ(g->GetVisAttrib(1), 5) << bad;
  }
  for (int32_t atom : {0, 3, -5}) {
    g->SetAtColor(atom, clRed);
    g->SetVisAttrib(atom, 1);
    EXPECT_EQ(g->GetAtColor(atom), 0) << atom;
    EXPECT_EQ(g->GetVisAttrib(atom), 0) << atom;
  }
  // Bold italic red "OH" on the canvas.
  TRecordingCanvas c(400, 300);
  g->SetAtColor(1, clRed);
  g->DrawMolRaw(dmHeteroOnly, 10, 50, 50, false, c);
  bool seen = false;
  for (const TCanvasCall& call : c.Calls()) {
    if (call.Op != "TextOut") continue;
    seen = true;
    EXPECT_EQ(call.FontColor, clRed);
    EXPECT_EQ(call.FontStyle, FontStyleBit(fsBold) | FontStyleBit(fsItalic));
    EXPECT_EQ(call.BrushStyle, bsClear);
  }
  EXPECT_TRUE(seen);
  EXPECT_EQ(c.Font()->Style(), 0) << "the canvas font's style is left as it was";
}

}  // namespace
}  // namespace nuv
