// Frames and marks against pixel sets of an independent model of the
// canvas rules (tools/ref/overlay_marks.py), on bitmaps and on the
// printer's page, and their use of pen, brush and font.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/Printers.h"
#include "nuv/platform/RecordingCanvas.h"

namespace nuv {
namespace {

struct TMarkRef {
  int32_t Code;
  bool Printer;
  const char* Pixels;  // "dx,dy dx,dy ..." of everything but an ellipse
  bool HasEllipse;
  TRect Ellipse;
  bool Filled;
  int32_t Total;  // pixels of the whole mark
};

struct TFrameRef {
  int32_t Style;
  int32_t Left, Top, Right, Bottom;
  std::vector<std::string> Rows;  // colour digits 1..5, '.' untouched
};

#include "data/overlay_marks.inc"

using TPixelSet = std::set<std::pair<int32_t, int32_t>>;

TPixelSet ParsePixels(const char* text) {
  TPixelSet s;
  std::istringstream in(text);
  int32_t x, y;
  char comma;
  while (in >> x >> comma >> y) s.insert({x, y});
  return s;
}

std::string Show(const TPixelSet& s) {
  std::string t;
  for (const auto& [x, y] : s) t += std::to_string(x) + "," + std::to_string(y) + " ";
  return t;
}

// Pixels of area that differ from background, relative to origin.
TPixelSet Ink(TCanvas& c, const TRect& area, TPoint origin, TColor background = clWhite) {
  TPixelSet s;
  for (int32_t y = area.Top; y < area.Bottom; ++y)
    for (int32_t x = area.Left; x < area.Right; ++x)
      if (c.Pixels(x, y) != background) s.insert({x - origin.X, y - origin.Y});
  return s;
}

TRect Box(const TPixelSet& s) {
  TRect b{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (const auto& [x, y] : s) {
    b.Left = std::min(b.Left, x);
    b.Top = std::min(b.Top, y);
    b.Right = std::max(b.Right, x + 1);
    b.Bottom = std::max(b.Bottom, y + 1);
  }
  return b;
}

std::unique_ptr<TBitmap> WhiteBitmap(int32_t w, int32_t h) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(w, h);
  return b;
}

// The printer's canvas with a page to draw on; the document is dropped at
// the end.
class TPrinterPage {
 public:
  TPrinterPage() {
    Printer().SetOutputFileName(dir_.File("page.pdf"));
    Printer().BeginDoc();
  }
  ~TPrinterPage() { Printer().Abort(); }
  TCanvas& Canvas() { return *Printer().Canvas(); }

 private:
  testing::TempDir dir_;
};

// Draws every reference mark of one kind and checks its pixels.
void ExpectMarksAsModelled(TCanvas& canvas, bool printer) {
  constexpr int32_t kCell = 24;
  int32_t i = 0;
  for (const TMarkRef& ref : kMarkRefs) {
    if (ref.Printer != printer) continue;
    SCOPED_TRACE("mark " + std::to_string(ref.Code) + (printer ? " on the printer" : " on a bitmap"));
    const TPoint at{kCell / 2 + kCell * (i % 20), kCell / 2 + kCell * (i / 20)};
    ++i;
    canvas.Pen()->SetColor(clRed);
    canvas.Brush()->SetColor(clYellow);
    DrawMarkOnCanvas(canvas, static_cast<uint8_t>(ref.Code), at.X, at.Y);
    const TPixelSet got =
        Ink(canvas, Bounds(at.X - kCell / 2, at.Y - kCell / 2, kCell, kCell), at);
    for (const auto& [x, y] : got)
      ASSERT_EQ(canvas.Pixels(at.X + x, at.Y + y), clRed) << "pixel " << x << "," << y;
    const TPixelSet fixed = ParsePixels(ref.Pixels);
    if (!ref.HasEllipse) {
      EXPECT_EQ(Show(got), Show(fixed));
      continue;
    }
    // Ellipses: inside their box, mirror-symmetric, as many pixels as
    // modelled, and the lines drawn with them present.
    EXPECT_EQ(static_cast<int32_t>(got.size()), ref.Total) << Show(got);
    for (const auto& p : fixed) EXPECT_TRUE(got.count(p)) << "line pixel " << p.first << "," << p.second;
    TPixelSet round;
    std::set_difference(got.begin(), got.end(), fixed.begin(), fixed.end(),
                        std::inserter(round, round.end()));
    EXPECT_EQ(Box(round), ref.Ellipse) << Show(round);
    const TRect& e = ref.Ellipse;
    for (const auto& [x, y] : round) {
      EXPECT_TRUE(got.count({e.Left + e.Right - 1 - x, y})) << "x mirror of " << x << "," << y;
      EXPECT_TRUE(got.count({x, e.Top + e.Bottom - 1 - y})) << "y mirror of " << x << "," << y;
    }
    if (ref.Filled) {
      for (int32_t y = e.Top; y < e.Bottom; ++y) {
        int32_t n = 0, lo = INT32_MAX, hi = INT32_MIN;
        for (const auto& p : got)
          if (p.second == y) ++n, lo = std::min(lo, p.first), hi = std::max(hi, p.first);
        EXPECT_EQ(n, hi - lo + 1) << "row " << y << " has a gap";
      }
    } else {
      EXPECT_FALSE(round.count({(e.Left + e.Right - 1) / 2, (e.Top + e.Bottom - 1) / 2}))
          << "open circle is filled";
    }
  }
}

TEST(Marks, ShapesOnABitmapAreTheModelledPixels) {
  auto b = WhiteBitmap(24 * 20, 24 * 3);
  ExpectMarksAsModelled(*b->Canvas(), false);
}

TEST(Marks, ShapesOnThePrinterAreTheModelledPixels) {
  TPrinterPage page;
  ExpectMarksAsModelled(page.Canvas(), true);
}

TEST(Marks, PatternMarksAreLinesOnThePrinterAndPixelsElsewhere) {
  for (const bool printer : {false, true}) {
    for (const uint8_t code : {1, 2, 3, 4, 5, 6, 18, 25}) {
      TRecordingCanvas c(100, 100, printer);
      DrawMarkOnCanvas(c, code, 50, 50);
      std::set<std::string> ops;
      for (const TCanvasCall& call : c.Calls()) ops.insert(call.Op);
      const std::set<std::string> want =
          printer ? std::set<std::string>{"MoveTo", "LineTo"} : std::set<std::string>{"SetPixels"};
      EXPECT_EQ(ops, want) << "code " << int{code} << (printer ? " printer" : " screen");
    }
  }
}

TEST(Marks, FilledShapesTakeThePenColourAndTheBrushIsPutBack) {
  // Codes whose primitive is an outline: the brush is cleared for it and
  // left solid; 50 and 51 set it solid themselves.
  const std::set<int32_t> leavesSolid{16, 17, 27, 31, 32, 33, 35, 39, 40, 42, 44, 46, 48, 49, 50, 51};
  for (int32_t code = 0; code <= 255; ++code) {
    SCOPED_TRACE("code " + std::to_string(code));
    TRecordingCanvas c;
    c.Pen()->SetColor(clBlue);
    c.Brush()->SetColor(clLime);
    c.Brush()->SetStyle(bsCross);
    DrawMarkOnCanvas(c, static_cast<uint8_t>(code), 100, 100);
    EXPECT_EQ(c.Brush()->Color(), clLime);
    EXPECT_EQ(c.Brush()->Style(), leavesSolid.count(code) ? bsSolid : bsCross);
    EXPECT_EQ(c.Pen()->Color(), clBlue);
    for (const TCanvasCall& call : c.Calls()) {
      if (call.Op == "Rectangle" || call.Op == "Ellipse" || call.Op == "Polygon") {
        if (leavesSolid.count(code)) {
          EXPECT_EQ(call.BrushStyle, bsClear) << call.ToString();
        } else {
          EXPECT_EQ(call.BrushColor, clBlue) << call.ToString();
        }
      }
      if (call.Op == "SetPixels") EXPECT_EQ(call.Args[2], clBlue);
    }
  }
}

TEST(Marks, AreClippedAtTheEdgesOfTheCanvas) {
  // Drawn next to and across every edge of a small bitmap, a mark shows the
  // part of its full drawing that falls inside.
  constexpr int32_t kSide = 7, kPad = 12;
  for (int32_t code = 0; code <= 51; ++code) {
    for (const TPoint at : {TPoint{0, 0}, TPoint{6, 6}, TPoint{-2, 3}, TPoint{3, 9}, TPoint{-4, -4},
                            TPoint{10, -1}, TPoint{3, 3}}) {
      auto small = WhiteBitmap(kSide, kSide);
      auto big = WhiteBitmap(kSide + 2 * kPad, kSide + 2 * kPad);
      DrawMarkOnCanvas(*small->Canvas(), static_cast<uint8_t>(code), at.X, at.Y);
      DrawMarkOnCanvas(*big->Canvas(), static_cast<uint8_t>(code), at.X + kPad, at.Y + kPad);
      EXPECT_EQ(Show(Ink(*small->Canvas(), {0, 0, kSide, kSide}, {0, 0})),
                Show(Ink(*big->Canvas(), {kPad, kPad, kPad + kSide, kPad + kSide}, {kPad, kPad})))
          << "code " << code << " at " << at.X << "," << at.Y;
    }
  }
}

TEST(Marks, FarOutsideTheCanvasDrawNothing) {
  auto b = WhiteBitmap(20, 20);
  const int32_t far[] = {INT32_MIN, INT32_MIN + 3, -1000000000, 1000000000, INT32_MAX - 3, INT32_MAX};
  for (int32_t code = 0; code <= 255; ++code)
    for (const int32_t x : far)
      for (const int32_t y : {far[0], 10, far[5]}) {
        DrawMarkOnCanvas(*b->Canvas(), static_cast<uint8_t>(code), x, y);
        DrawMarkOnCanvas(*b->Canvas(), static_cast<uint8_t>(code), y, x);
      }
  EXPECT_TRUE(Ink(*b->Canvas(), {0, 0, 20, 20}, {0, 0}).empty());
}

// What a character mark must show: the character centred on the point.
void DrawCentredText(TCanvas& c, std::string_view text, int32_t x, int32_t y) {
  const TSize e = c.TextExtent(text);
  c.TextOut(x - e.cx / 2, y - e.cy / 2, text);
}

TEST(Marks, CharacterMarksAreCentredCharactersOfTheFont) {
  struct Case {
    int32_t code;
    std::string text;
  };
  const Case cases[] = {{65, "A"},     {52, "4"},     {200, "0"},    {205, "5"},
                        {209, "9"},    {199, "\xC7"}, {210, "\xD2"}, {0x80, "\x80"},
                        {0xE4, "\xE4"}, {255, "\xFF"}, {127, "\x7F"}};
  for (const Case& c : cases) {
    auto got = WhiteBitmap(60, 60), want = WhiteBitmap(60, 60);
    for (TBitmap* b : {got.get(), want.get()}) {
      b->Canvas()->Font()->SetSize(20);
      b->Canvas()->Font()->SetColor(clNavy);
      b->Canvas()->Brush()->SetColor(clAqua);
    }
    DrawMarkOnCanvas(*got->Canvas(), static_cast<uint8_t>(c.code), 30, 30);
    DrawCentredText(*want->Canvas(), c.text, 30, 30);
    EXPECT_EQ(got->Image(), want->Image()) << "code " << c.code;
    EXPECT_EQ(got->Canvas()->Brush()->Color(), clAqua) << "code " << c.code;
  }
  // Windows-1252 reaches the font: the euro sign and a-umlaut have glyphs.
  for (const uint8_t code : {0x80, 0xE4}) {
    auto b = WhiteBitmap(60, 60);
    b->Canvas()->Font()->SetSize(20);
    b->Canvas()->Brush()->SetStyle(bsClear);
    DrawMarkOnCanvas(*b->Canvas(), code, 30, 30);
    const TPixelSet ink = Ink(*b->Canvas(), {0, 0, 60, 60}, {30, 30});
    EXPECT_GT(ink.size(), 20u) << "code " << int{code};
  }
}

TEST(Marks, CharacterMarksUseTheTextPathOnThePrinterToo) {
  TRecordingCanvas c(200, 200, true);
  DrawMarkOnCanvas(c, 200, 100, 100);
  DrawMarkOnCanvas(c, 'Q', 100, 100);
  // The recording canvas's characters are 7 x 13.
  EXPECT_EQ(c.CallStrings(), (std::vector<std::string>{"TextOut(97,94,'0')", "TextOut(97,94,'Q')"}));
}

TEST(CreateMarkAsBitmap, HasSideTwiceSizePlusSevenAndTheMarkInTheCentre) {
  struct Case {
    int32_t size, side;
  };
  for (const Case c : {Case{-5, 7}, Case{INT32_MIN, 7}, Case{0, 7}, Case{1, 9}, Case{10, 27},
                       Case{255, 517}, Case{256, 517}, Case{1000, 517}, Case{INT32_MAX, 517}}) {
    auto b = CreateMarkAsBitmap(0, clRed, clGreen, c.size);
    ASSERT_EQ(b->Width(), c.side) << "size " << c.size;
    ASSERT_EQ(b->Height(), c.side) << "size " << c.size;
    const TPixelSet ink = Ink(*b->Canvas(), {0, 0, c.side, c.side}, {c.side / 2, c.side / 2}, clGreen);
    EXPECT_EQ(Show(ink), "0,0 ") << "size " << c.size;
  }
}

TEST(CreateMarkAsBitmap, DrawsTheSameFixedSizeShapeWhateverTheMargin) {
  for (const TMarkRef& ref : kMarkRefs) {
    if (ref.Printer || ref.HasEllipse) continue;
    SCOPED_TRACE("code " + std::to_string(ref.Code));
    const TPixelSet full = ParsePixels(ref.Pixels);
    for (const int32_t size : {0, 1, 9}) {
      auto b = CreateMarkAsBitmap(static_cast<uint8_t>(ref.Code), clBlack, clWhite, size);
      const int32_t side = 2 * size + 7, c = size + 3;
      TPixelSet want;
      for (const auto& [x, y] : full)
        if (std::abs(x) <= c && std::abs(y) <= c) want.insert({x, y});
      EXPECT_EQ(Show(Ink(*b->Canvas(), {0, 0, side, side}, {c, c})), Show(want)) << "size " << size;
    }
  }
  // Everything else (ellipses, characters) as drawn on a plain bitmap.
  for (const int32_t code : {16, 17, 24, 26, 27, 28, 39, 65, 200}) {
    auto made = CreateMarkAsBitmap(static_cast<uint8_t>(code), clMaroon, clSilver, 4);
    auto want = WhiteBitmap(15, 15);
    want->Canvas()->Brush()->SetColor(clSilver);
    want->Canvas()->FillRect({0, 0, 15, 15});
    want->Canvas()->Pen()->SetColor(clMaroon);
    DrawMarkOnCanvas(*want->Canvas(), static_cast<uint8_t>(code), 7, 7);
    EXPECT_EQ(made->Image(), want->Image()) << "code " << code;
  }
}

// ---------------------------------------------------------------------------
// Frames

constexpr TColor kFrameColors[] = {clRed, clLime, clBlue, clFuchsia, clTeal};

std::vector<std::string> FrameGrid(TCanvas& c, TPoint origin) {
  std::vector<std::string> rows;
  for (int32_t y = 0; y < kFrameHeight; ++y) {
    std::string row;
    for (int32_t x = 0; x < kFrameWidth; ++x) {
      const TColor p = c.Pixels(origin.X + x, origin.Y + y);
      const auto* hit = std::find(std::begin(kFrameColors), std::end(kFrameColors), p);
      row += hit == std::end(kFrameColors) ? (p == clWhite ? '.' : '?')
                                           : static_cast<char>('1' + (hit - kFrameColors));
    }
    rows.push_back(row);
  }
  return rows;
}

void Frame(TCanvas& c, int32_t style, const TFrameRef& f, TPoint origin) {
  DrawFrame(c, style, origin.X + f.Left, origin.Y + f.Top, origin.X + f.Right,
            origin.Y + f.Bottom, kFrameColors[0], kFrameColors[1], kFrameColors[2],
            kFrameColors[3], kFrameColors[4]);
}

TEST(DrawFrame, EveryStyleIsTheModelledBevel) {
  TPrinterPage page;
  int32_t i = 0;
  for (const TFrameRef& f : kFrameRefs) {
    auto b = WhiteBitmap(kFrameWidth, kFrameHeight);
    Frame(*b->Canvas(), f.Style, f, {0, 0});
    EXPECT_EQ(FrameGrid(*b->Canvas(), {0, 0}), f.Rows)
        << "style " << f.Style << " rect " << f.Left << "," << f.Top << "," << f.Right << "," << f.Bottom;
    const TPoint at{50 + 20 * (i % 10), 50 + 20 * (i / 10)};
    ++i;
    Frame(page.Canvas(), f.Style, f, at);
    EXPECT_EQ(FrameGrid(page.Canvas(), at), f.Rows) << "printer, style " << f.Style;
  }
}

TEST(DrawFrame, StyleIsTakenModulo128AndUnknownStylesDrawNothing) {
  struct Case {
    int32_t value;
    int32_t drawnAs;  // -1: nothing
  };
  const Case cases[] = {{130, fsLowered}, {128, fsNone},   {133, fsEngraved}, {129, fsSimple},
                        {6, -1},          {127, -1},       {255, -1},         {-126, fsLowered},
                        {-1, -1},         {-128, fsNone},  {INT32_MIN, fsNone}, {INT32_MAX, -1},
                        {-123, fsEngraved}, {1000000003, fsRaised}};
  const TFrameRef& rect = kFrameRefs[0];
  for (const Case& c : cases) {
    auto b = WhiteBitmap(kFrameWidth, kFrameHeight);
    b->Canvas()->Pen()->SetColor(clOlive);
    Frame(*b->Canvas(), c.value, rect, {0, 0});
    const std::vector<std::string> want =
        c.drawnAs < 0 ? kFrameRefs[fsNone].Rows : kFrameRefs[c.drawnAs].Rows;
    EXPECT_EQ(FrameGrid(*b->Canvas(), {0, 0}), want) << "style value " << c.value;
    // The pen keeps the last colour used: D of the bevel, Colour5 of the
    // simple frame.
    const TColor pen = c.drawnAs < 0 || c.drawnAs == fsNone ? clOlive
                       : c.drawnAs == fsSimple             ? kFrameColors[4]
                       : c.drawnAs == fsLowered            ? kFrameColors[1]
                       : c.drawnAs == fsRaised || c.drawnAs == fsEngraved ? kFrameColors[2]
                                                                         : kFrameColors[0];
    EXPECT_EQ(b->Canvas()->Pen()->Color(), pen) << "style value " << c.value;
  }
}

TEST(DrawFrame, ExtremeCoordinatesDoNotOverflow) {
  auto b = WhiteBitmap(10, 10);
  const int32_t v[] = {INT32_MIN, INT32_MIN + 1, 0, 5, INT32_MAX - 1, INT32_MAX};
  for (int32_t style = 0; style <= 5; ++style)
    for (const int32_t l : v)
      for (const int32_t r : v)
        DrawFrame(*b->Canvas(), style, l, r, r, l, clRed, clRed, clRed, clRed, clRed);
  SUCCEED();
}

TEST(DrawRectangle, IsAClosedPathOfLinesThatLeavesTheBrushAlone) {
  TRecordingCanvas c;
  c.Brush()->SetStyle(bsDiagCross);
  DrawRectangle(c, 10, 20, 30, 5);
  EXPECT_EQ(c.CallStrings(), (std::vector<std::string>{"MoveTo(10,20)", "LineTo(10,5)",
                                                       "LineTo(30,5)", "LineTo(30,20)",
                                                       "LineTo(10,20)"}));
  EXPECT_EQ(c.Brush()->Style(), bsDiagCross);
}

}  // namespace
}  // namespace nuv
