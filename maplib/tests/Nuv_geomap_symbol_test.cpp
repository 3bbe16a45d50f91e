// Landmark symbols and captions: pixel probes of every kind, filled and
// transparent, at points worked out from the geometry; the recorded calls
// of arrows, triangles and rotated captions; limits of the pixel
// arithmetic.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "nuv/Nuv_geomap.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/RecordingCanvas.h"

namespace nuv {
namespace {

constexpr TColor kFg = clRed, kBg = clBlue, kPaper = clWhite;

struct TProbe {
  int32_t dx, dy;
  TColor color;
};

struct TSymbolCase {
  const char* what;
  TLandMarkElement element;
  bool transparent;
  std::vector<TProbe> probes;
};

// Symbols of size 5 at (20, 20) on white paper.
TEST(LandMarkSymbol, PixelProbesOfEveryKind) {
  const std::vector<TSymbolCase> cases{
      // The plus runs -5..+5; the halo is the plus shifted by one pixel
      // each way, so it covers rows and columns 19..21 up to 26.
      {"cross filled",
       lmCross,
       false,
       {{0, 0, kFg},
        {5, 0, kFg},
        {-5, 0, kFg},
        {0, 5, kFg},
        {6, 0, kBg},
        {-6, 0, kBg},
        {0, -6, kBg},
        {1, 1, kBg},
        {3, -1, kBg},
        {7, 0, kPaper},
        {2, 2, kPaper}}},
      {"cross transparent",
       lmCross,
       true,
       {{0, 0, kFg}, {5, 0, kFg}, {0, -5, kFg}, {6, 0, kPaper}, {1, 1, kPaper}, {3, -1, kPaper}}},
      // Outline at ±5 in the background colour, the framed square inside
      // at ±4 in the foreground, its inside filled.
      {"square filled",
       lmSquare,
       false,
       {{5, 0, kBg},
        {-5, -5, kBg},
        {5, 5, kBg},
        {4, 0, kFg},
        {-4, -4, kFg},
        {4, 4, kFg},
        {0, 0, kBg},
        {3, 3, kBg},
        {6, 0, kPaper}}},
      {"square transparent",
       lmSquare,
       true,
       {{5, 0, kFg}, {-5, -5, kFg}, {5, 5, kFg}, {0, -5, kFg}, {4, 0, kPaper}, {0, 0, kPaper}}},
      {"crossbox filled",
       lmCrossBox,
       false,
       {{0, 0, kFg},
        {3, 3, kFg},
        {-3, 3, kFg},
        {3, -3, kFg},
        {4, 4, kFg},
        {5, 0, kBg},
        {1, 0, kBg},
        {4, 0, kFg}}},
      {"crossbox transparent",
       lmCrossBox,
       true,
       {{0, 0, kFg}, {-4, -4, kFg}, {4, -4, kFg}, {5, 0, kFg}, {1, 0, kPaper}, {3, 0, kPaper}}},
      // Corners (20, 15), (25, 20), (20, 25), (15, 20).
      {"spade filled",
       lmSpade,
       false,
       {{0, -5, kFg},
        {5, 0, kFg},
        {0, 5, kFg},
        {-5, 0, kFg},
        {0, 0, kBg},
        {2, 0, kBg},
        {4, 4, kPaper},
        {-4, -4, kPaper},
        {6, 0, kPaper}}},
      {"spade transparent",
       lmSpade,
       true,
       {{0, -5, kFg}, {5, 0, kFg}, {-5, 0, kFg}, {0, 0, kPaper}, {4, 4, kPaper}}},
      {"circle filled", lmCircle, false, {{0, 0, kBg}, {3, 0, kBg}, {0, -5, kFg}, {7, 0, kPaper}}},
      {"circle transparent",
       lmCircle,
       true,
       {{0, 0, kPaper}, {0, -5, kFg}, {-5, 0, kFg}, {7, 0, kPaper}}},
      {"user-defined", lmUserDef, false, {{0, 0, kPaper}, {5, 0, kPaper}, {1, 1, kPaper}}},
      // Outside the enumeration: a plus from -4 to +4.
      {"unknown",
       static_cast<TLandMarkElement>(42),
       false,
       {{0, 0, kFg}, {-4, 0, kFg}, {4, 0, kFg}, {0, 4, kFg}, {5, 0, kPaper}, {0, -5, kPaper}}},
  };
  for (const TSymbolCase& c : cases) {
    TBitmap b;
    b.SetSize(41, 41);
    b.Canvas()->Brush()->SetColor(kPaper);
    b.Canvas()->FillRect(Rect(0, 0, 41, 41));
    DrawLandMarkSymbolOnCanvas(*b.Canvas(), 20, 20, c.element, kFg, kBg, 5, 0, 10, c.transparent);
    for (const TProbe& p : c.probes)
      EXPECT_EQ(b.Canvas()->Pixels(20 + p.dx, 20 + p.dy), p.color)
          << c.what << " at " << p.dx << "," << p.dy;
  }
}

TEST(LandMarkSymbol, ArrowsAndTrianglesByTheirVertices) {
  // Direction 0 up, clockwise; heads of size 6 with barbs at 30° from the
  // shaft: 6·sin 60° = 5.196, 6·cos 60° = 3.
  const struct {
    const char* what;
    TLandMarkElement element;
    int32_t dir;
    bool transparent;
    std::vector<std::string> calls;
  } cases[] = {
      {"arrow from, east, filled",
       lmArrowFrom,
       90,
       false,
       {"MoveTo(50,50)", "LineTo(70,50)", "Polygon(70,50,65,53,65,47)"}},
      {"arrow from, east, strokes",
       lmArrowFrom,
       90,
       true,
       {"MoveTo(50,50)", "LineTo(70,50)", "MoveTo(65,53)", "LineTo(70,50)", "MoveTo(65,47)",
        "LineTo(70,50)"}},
      {"arrow to, east, filled",
       lmArrowTo,
       90,
       false,
       {"MoveTo(50,50)", "LineTo(70,50)", "Polygon(50,50,55,47,55,53)"}},
      {"arrow from, up",
       lmArrowFrom,
       0,
       false,
       {"MoveTo(50,50)", "LineTo(50,30)", "Polygon(50,30,53,35,47,35)"}},
      {"arrow to, south-west, one turn more",
       lmArrowTo,
       225 + 360,
       false,
       // End (50 - 14.142, 50 + 14.142); the head points north-east, its
       // barbs at 195° and 255°: 6·sin 15° = 1.553, 6·cos 15° = 5.796.
       {"MoveTo(50,50)", "LineTo(36,64)", "Polygon(50,50,48,56,44,52)"}},
      // Corners at 0°, 120°, 240° from the direction, 10 pixels out:
      // 10·sin 120° = 8.660, 10·cos 120° = -5.
      {"triangle up", lmTriangle, 0, false, {"Polygon(50,40,59,55,41,55)"}},
      {"triangle east", lmTriangle, 90, true, {"Polygon(60,50,45,59,45,41)"}},
  };
  for (const auto& c : cases) {
    TRecordingCanvas rec(100, 100);
    const int32_t size = c.element == lmTriangle ? 10 : 6;
    DrawLandMarkSymbolOnCanvas(rec, 50, 50, c.element, kFg, kBg, size, c.dir, 20, c.transparent);
    EXPECT_EQ(rec.CallStrings(), c.calls) << c.what;
    for (const TCanvasCall& call : rec.Calls()) {
      EXPECT_EQ(call.PenColor, kFg) << c.what;
      if (call.Op == "Polygon") {
        EXPECT_EQ(call.BrushStyle, c.transparent ? bsClear : bsSolid) << c.what;
      }
    }
  }
}

TEST(LandMarkSymbol, HugeSizesAndPositionsAreClamped) {
  TRecordingCanvas rec(100, 100);
  DrawLandMarkSymbolOnCanvas(rec, INT32_MAX, INT32_MIN, lmSquare, kFg, kBg, INT32_MAX, 0, 0, true);
  DrawLandMarkSymbolOnCanvas(rec, 10, 10, lmArrowFrom, kFg, kBg, INT32_MIN, INT32_MAX, INT32_MAX,
                             false);
  DrawLandMarkSymbolOnCanvas(rec, 10, 10, lmCross, kFg, kBg, INT32_MIN, 0, 0, false);
  const std::vector<std::string> calls = rec.CallStrings();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0], "Rectangle(2147473647,-2147483648,2147483647,-2147473647)");
  // The arrow is MaxSymbolExtent long in direction INT32_MAX mod 360 = 127°.
  const double a = 127 * std::numbers::pi / 180;
  const int32_t ex = 10 + static_cast<int32_t>(std::lround(10000 * std::sin(a)));
  const int32_t ey = 10 - static_cast<int32_t>(std::lround(10000 * std::cos(a)));
  EXPECT_EQ(calls[2], "LineTo(" + std::to_string(ex) + "," + std::to_string(ey) + ")");
  EXPECT_EQ(calls.back(), "LineTo(10,10011)");
  // The halo's last row and column reach one pixel further.
  EXPECT_EQ(calls[calls.size() - 7], "LineTo(10012,11)");
  EXPECT_EQ(calls[calls.size() - 6], "MoveTo(11,-9991)");
}

// ---------------------------------------------------------------------------
// Captions

// The text origin worked out independently: shift s along the text (W or
// W/2), v across it (0, H/2, H), rotated by the caption's direction, which
// counts counter-clockwise on the screen.
TPoint ExpectedOrigin(int32_t x, int32_t y, const TLMTextProperties& c, int32_t w, int32_t h) {
  if (c.HorAlign != 1 && c.HorAlign != 2) return {x + c.Dx, y + c.Dy};
  const double s = c.HorAlign == 1 ? w : std::floor(w / 2.0);
  const double v = c.VertAlign == 1 ? std::floor(h / 2.0) : c.VertAlign == 2 ? h : 0;
  const double t = c.Dir * std::numbers::pi / 180;
  // The text runs along (cos t, -sin t) and its "down" is (sin t, cos t).
  const double px = x + c.Dx - s * std::cos(t) - v * std::sin(t);
  const double py = y + c.Dy + s * std::sin(t) - v * std::cos(t);
  return {static_cast<int32_t>(std::nearbyint(px)), static_cast<int32_t>(std::nearbyint(py))};
}

TLMTextProperties Caption(uint8_t hal, uint8_t val, int32_t dir) {
  TLMTextProperties c = DefaultLandMarkTemplate().Caption;
  c.Text = "Abcde";
  c.HorAlign = hal;
  c.VertAlign = val;
  c.Dir = dir;
  return c;
}

TEST(LandMarkCaption, OriginForEveryAlignmentAndAngle) {
  for (int32_t dir : {0, 90, 30, -45})
    for (uint8_t hal : {0, 1, 2, 7})
      for (uint8_t val : {0, 1, 2, 9}) {
        TRecordingCanvas rec(300, 300);
        const TLMTextProperties c = Caption(hal, val, dir);
        DrawLandMarkCaption(rec, 100, 100, c);
        ASSERT_EQ(rec.Calls().size(), 1u);
        const TCanvasCall& t = rec.Calls()[0];
        const TPoint want =
            ExpectedOrigin(100, 100, c, rec.TextWidth("Abcde"), rec.TextHeight("Abcde"));
        const std::string what = "hal " + std::to_string(hal) + " val " + std::to_string(val) +
                                 " dir " + std::to_string(dir);
        EXPECT_EQ(t.Op, "TextOut") << what;
        EXPECT_EQ(t.Args, (std::vector<int32_t>{want.X, want.Y})) << what;
        EXPECT_EQ(t.FontEscapement, dir * 10) << what;
      }
}

TEST(LandMarkCaption, HandWorkedOrigins) {
  // The recording canvas: 5 characters of 7 pixels, 13 high, so W = 35,
  // W/2 = 17, H/2 = 6; the template's offset is (0, 8).
  const struct {
    uint8_t hal, val;
    int32_t dir;
    TPoint want;
  } cases[] = {
      {0, 2, 0, {100, 108}}, {1, 0, 0, {65, 108}},  {2, 1, 0, {83, 102}},  {2, 2, 90, {87, 125}},
      {1, 2, 90, {87, 143}}, {2, 1, 30, {82, 111}}, {1, 1, 30, {67, 120}}, {2, 0, -45, {88, 96}},
  };
  for (const auto& c : cases) {
    TRecordingCanvas rec(300, 300);
    DrawLandMarkCaption(rec, 100, 100, Caption(c.hal, c.val, c.dir));
    EXPECT_EQ(rec.Calls().at(0).Args, (std::vector<int32_t>{c.want.X, c.want.Y}))
        << int(c.hal) << "/" << int(c.val) << "/" << c.dir;
  }
}

// On a bitmap: counter-clockwise rotation about the text origin. At 90°
// the text runs upwards from the origin and its cell lies to the right.
TEST(LandMarkCaption, RotationOnTheScreen) {
  const struct {
    int32_t dir;
    int32_t sx, sy;  // the quadrant of the ink: 1 right or down, -1 left or up
  } cases[] = {{0, 1, 1}, {90, 1, -1}, {180, -1, -1}, {-90, -1, 1}};
  for (const auto& c : cases) {
    TBitmap b;
    b.SetSize(200, 200);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(Rect(0, 0, 200, 200));
    TLMTextProperties t = Caption(0, 0, c.dir);
    t.Text = "WWWW";
    t.Dy = 0;
    t.FontSize = 12;
    DrawLandMarkCaption(*b.Canvas(), 100, 100, t);
    int32_t ink = 0, stray = 0;
    for (int32_t y = 0; y < 200; ++y)
      for (int32_t x = 0; x < 200; ++x) {
        if (b.Canvas()->Pixels(x, y) == clWhite) continue;
        // Within a pixel of the quadrant the rotated cell lies in.
        const bool inX = c.sx < 0 ? x <= 101 : x >= 99;
        const bool inY = c.sy < 0 ? y <= 101 : y >= 99;
        (inX && inY ? ink : stray)++;
      }
    EXPECT_GT(ink, 20) << c.dir;
    EXPECT_EQ(stray, 0) << c.dir;
  }
}

TEST(LandMarkCaption, FontColoursAndTransparency) {
  TLMTextProperties c = Caption(2, 0, 0);
  c.FontStyle = FontStyleBit(fsBold) | FontStyleBit(fsStrikeOut);
  c.FgColor = clMaroon;
  c.BgColor = clAqua;
  const struct {
    bool transparent;
    TBrushStyle brush;
  } cases[] = {{true, bsClear}, {false, bsSolid}};
  for (const auto& k : cases) {
    c.Transparent = k.transparent;
    TRecordingCanvas rec(300, 300);
    DrawLandMarkCaption(rec, 100, 100, c);
    const TCanvasCall& t = rec.Calls().at(0);
    EXPECT_EQ(t.FontName, "MS Sans Serif");
    EXPECT_EQ(t.FontHeight, -MulDiv(8, rec.Font()->PixelsPerInch(), 72));
    EXPECT_EQ(t.FontStyle, c.FontStyle);
    EXPECT_EQ(t.FontColor, clMaroon);
    EXPECT_EQ(t.BrushColor, clAqua);
    EXPECT_EQ(t.BrushStyle, k.brush) << k.transparent;
    EXPECT_EQ(t.FontEscapement, 0);
  }
  // No text, no call; font sizes and offsets far out stay drawable.
  TRecordingCanvas rec(300, 300);
  c.Text = "";
  DrawLandMarkCaption(rec, 100, 100, c);
  EXPECT_TRUE(rec.Calls().empty());
  c.Text = "x";
  c.FontSize = INT32_MAX;
  c.Dx = INT32_MAX;
  c.Dy = INT32_MIN;
  c.Dir = INT32_MIN;
  DrawLandMarkCaption(rec, INT32_MAX, INT32_MIN, c);
  ASSERT_EQ(rec.Calls().size(), 1u);
  EXPECT_EQ(rec.Calls()[0].Args[0], INT32_MAX);
  EXPECT_EQ(rec.Calls()[0].Args[1], INT32_MIN);
  EXPECT_EQ(rec.Calls()[0].FontHeight,
            -MulDiv(MaxCaptionFontSize, rec.Font()->PixelsPerInch(), 72));
}

}  // namespace
}  // namespace nuv
