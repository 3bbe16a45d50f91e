// The landmark list of the map view: the template and the adding
// overloads, vetoes, removals with the hole filling worked out by hand,
// storage blocks, the search, and the landmark passes of the rendering
// (visibility, the strictly-inside test, captions, the highlight and the
// random thinning).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "Nuv_geomap_view_testutil.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/RecordingCanvas.h"

namespace nuv {
namespace {

using namespace nuv::testing;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Landmark i (1-based) at latitude i, longitude 0, class Classes[i-1],
// carrying i as its user tag.
void Fill(TGeoMap& m, const std::vector<int32_t>& Classes) {
  for (std::size_t i = 0; i < Classes.size(); ++i)
    m.AddLandMark(static_cast<double>(i + 1), 0, 0, lmCross, static_cast<uint8_t>(Classes[i]), "",
                  0, static_cast<int32_t>(i + 1), clRed, clWhite, 5, false, 0, 10);
}

std::vector<int32_t> Tags(const TGeoMap& m) {
  std::vector<int32_t> t;
  for (int32_t i = 1; i <= m.NumLandMarks(); ++i) t.push_back(m.GetLandMarkData(i).UserTag);
  return t;
}

TEST(LandMarkList, TemplateAndAddingOverloads) {
  TGeoMap m(nullptr);
  const TLandMark t = m.LandMarkTemplate();
  EXPECT_EQ(t, DefaultLandMarkTemplate());
  EXPECT_EQ(t.Class, 0);
  EXPECT_EQ(t.UserTag, 0);
  EXPECT_EQ(t.Element, lmCross);
  EXPECT_EQ(t.Size, 7);
  EXPECT_EQ(t.ColorFg, 0xFF0000);
  EXPECT_EQ(t.ColorBg, 0xFFFFFF);
  EXPECT_FALSE(t.Transparent);
  EXPECT_EQ(t.Dir, 0);
  EXPECT_EQ(t.Leng, 10);
  EXPECT_TRUE(t.Caption.Text.Empty());
  EXPECT_EQ(t.Caption.FontName, "MS Sans Serif");
  EXPECT_EQ(t.Caption.FontSize, 8);
  EXPECT_EQ(t.Caption.FontStyle, 0);
  EXPECT_EQ(t.Caption.FgColor, 0x000000);
  EXPECT_EQ(t.Caption.BgColor, 0xFFFFFF);
  EXPECT_TRUE(t.Caption.Transparent);
  EXPECT_EQ(t.Caption.Dx, 0);
  EXPECT_EQ(t.Caption.Dy, 8);
  EXPECT_EQ(t.Caption.Dir, 0);
  EXPECT_EQ(t.Caption.HorAlign, 2);
  EXPECT_EQ(t.Caption.VertAlign, 0);
  EXPECT_TRUE(t.Ident.Empty());
  EXPECT_EQ(t.Date, 0);
  EXPECT_EQ(m.NumLandMarks(), 0);
  EXPECT_EQ(m.LandMarkCapacity(), 1000);

  TLandMark own = t;
  own.Size = 3;
  own.Caption.Text = "from the template";
  m.SetLandMarkTemplate(own);
  m.AddLandMark(1, 2, 3);
  m.AddLandMark(4, 5, 6, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 45000.5);
  m.AddLandMark(7, 8, 9, "Peak", 300, clLime);
  m.AddLandMark(1, 1, 1, "Id", 2.0, "Hut", -4, clAqua);
  m.AddLandMark(2, 2, 2, lmSpade, 200, "Full", 3.0, -9, clGray, clNavy, 11, true, 33, 44);
  ASSERT_EQ(m.NumLandMarks(), 5);
  const TLandMark a = m.GetLandMarkData(1), b = m.GetLandMarkData(2), c = m.GetLandMarkData(3),
                  d = m.GetLandMarkData(4), e = m.GetLandMarkData(5);
  EXPECT_EQ(a.Latitude, 1);
  EXPECT_EQ(a.Longitude, 2);
  EXPECT_EQ(a.Altitude, 3);
  EXPECT_EQ(a.Size, 3);
  EXPECT_EQ(a.Caption.Text, "from the template");
  EXPECT_EQ(b.Ident, "ABCDEFGHIJKLMNO");  // cut to 15
  EXPECT_EQ(b.Date, 45000.5);
  EXPECT_EQ(b.Caption.Text, "from the template");
  EXPECT_EQ(c.Caption.Text, "Peak");
  EXPECT_EQ(c.Class, 255);  // clamped
  EXPECT_EQ(c.ColorFg, clLime);
  EXPECT_EQ(d.Class, 0);
  EXPECT_EQ(d.Ident, "Id");
  EXPECT_EQ(d.ColorFg, clAqua);
  EXPECT_EQ(e.Element, lmSpade);
  EXPECT_EQ(e.Class, 200);
  EXPECT_EQ(e.UserTag, -9);
  EXPECT_EQ(e.ColorFg, clGray);
  EXPECT_EQ(e.ColorBg, clNavy);
  EXPECT_EQ(e.Size, 11);
  EXPECT_TRUE(e.Transparent);
  EXPECT_EQ(e.Dir, 33);
  EXPECT_EQ(e.Leng, 44);
  EXPECT_EQ(e.Caption, own.Caption);
  // Out of range: an empty record, and nothing stored.
  EXPECT_EQ(m.GetLandMarkData(0), TLandMark{});
  EXPECT_EQ(m.GetLandMarkData(6), TLandMark{});
  m.SetLandMarkData(6, a);
  m.SetLandMarkData(0, a);
  EXPECT_EQ(m.NumLandMarks(), 5);
  // A replaced position is found.
  TLandMark moved = a;
  moved.Latitude = 60;
  m.SetLandMarkData(1, moved);
  EXPECT_EQ(m.FindLandMark(60, 2, -1), 1);
}

TEST(LandMarkList, VetoesOnAddingAndRemoving) {
  TGeoMap m(nullptr);
  std::vector<std::pair<TLandMarkAction, int32_t>> offered;
  m.OnLandMarkAction = [&](TObject* sender, bool& allowed, TLandMarkAction action,
                           const TLandMark& l) {
    EXPECT_EQ(sender, &m);
    EXPECT_TRUE(allowed);
    offered.emplace_back(action, l.UserTag);
    allowed = l.UserTag % 3 != 0;  // refuses tags 3, 6, ...
  };
  Fill(m, {1, 1, 1, 1, 1, 1, 1});
  EXPECT_EQ(Tags(m), (std::vector<int32_t>{1, 2, 4, 5, 7}));
  EXPECT_EQ(offered.size(), 7u);
  EXPECT_EQ(offered[2], std::make_pair(lmaAdd, 3));
  offered.clear();
  m.AddLandMark(0, 0, 0, lmCross, 1, "", 0, 9, 0, 0, 1, false, 0, 0);  // refused
  EXPECT_EQ(m.NumLandMarks(), 5);
  // A landmark refused on removal stays, the others go.
  m.OnLandMarkAction = [&](TObject*, bool& allowed, TLandMarkAction action, const TLandMark& l) {
    EXPECT_EQ(action, lmaRemove);
    allowed = l.UserTag != 4;
  };
  EXPECT_EQ(m.RemoveLandMark(4.1, 0, -1), 0);  // the nearest is 4
  m.RemoveAllLandMarks(1);
  EXPECT_EQ(Tags(m), (std::vector<int32_t>{4}));
  m.RemoveLastLandMark();
  EXPECT_EQ(m.NumLandMarks(), 1);
  m.OnLandMarkAction = nullptr;
  m.RemoveLastLandMark();
  EXPECT_EQ(m.NumLandMarks(), 0);
  m.RemoveLastLandMark();  // nothing to remove
  EXPECT_EQ(m.NumLandMarks(), 0);
}

TEST(LandMarkList, HandlersThatChangeTheListAreSafe) {
  TGeoMap m(nullptr);
  Fill(m, {0, 0, 0, 0});
  bool inside = false;
  m.OnLandMarkAction = [&](TObject*, bool&, TLandMarkAction, const TLandMark&) {
    if (inside) return;
    inside = true;
    m.RemoveAllLandMarks();
    m.AddLandMark(50, 50, 0);
    m.AddLandMark(51, 51, 0);
    inside = false;
  };
  // The numbers changed under the removal: nothing more is removed.
  EXPECT_EQ(m.RemoveLandMark(2, 0, -1, 10), 0);
  EXPECT_EQ(m.NumLandMarks(), 2);
  EXPECT_EQ(m.RemoveLandMark(51, 51, -1), 1);
  m.RemoveLastLandMark();
  EXPECT_GE(m.NumLandMarks(), 0);
}

TEST(LandMarkList, HoleFillingOrder) {
  // Worked by hand: the first marked slot takes the last unmarked
  // landmark, until no marked slot is left below the end.
  const struct {
    const char* what;
    std::vector<int32_t> classes;
    std::vector<int32_t> remaining;
  } cases[] = {
      {"2, 3, 5 of 6", {0, 1, 1, 0, 1, 0}, {1, 6, 4}},
      {"1, 2 of 5", {1, 1, 0, 0, 0}, {5, 4, 3}},
      {"the tail", {0, 0, 0, 1, 1}, {1, 2, 3}},
      {"1, 3, 4, 7 of 7", {1, 0, 1, 1, 0, 0, 1}, {6, 2, 5}},
      {"none", {0, 0, 0}, {1, 2, 3}},
      {"all", {1, 1, 1}, {}},
      {"the last only", {0, 0, 1}, {1, 2}},
  };
  for (const auto& c : cases) {
    TGeoMap m(nullptr);
    Fill(m, c.classes);
    m.RemoveAllLandMarks(1);
    EXPECT_EQ(Tags(m), c.remaining) << c.what;
  }
  // With refusals: tags 2 and 5 stay, 1, 3, 4, 6 go.
  TGeoMap m(nullptr);
  Fill(m, {1, 1, 1, 1, 1, 1});
  m.OnLandMarkAction = [](TObject*, bool& allowed, TLandMarkAction, const TLandMark& l) {
    allowed = l.UserTag != 2 && l.UserTag != 5;
  };
  m.RemoveAllLandMarks(-1);
  EXPECT_EQ(Tags(m), (std::vector<int32_t>{5, 2}));
}

TEST(LandMarkList, RadiusAndRectangleAreStrict) {
  // Latitudes 1..6 on longitude 0.
  const struct {
    const char* what;
    int32_t removed;
    std::vector<int32_t> remaining;
    std::function<int32_t(TGeoMap&)> remove;
  } cases[] = {
      {"radius 1 around 3: 2 and 4 lie on the circle",
       1,
       {1, 2, 6, 4, 5},
       [](TGeoMap& m) { return m.RemoveLandMark(3, 0, -1, 1); }},
      {"radius 1.5 around 3",
       3,
       {1, 6, 5},
       [](TGeoMap& m) { return m.RemoveLandMark(3, 0, -1, 1.5); }},
      {"radius of class 1 only",
       0,
       {1, 2, 3, 4, 5, 6},
       [](TGeoMap& m) { return m.RemoveLandMark(3, 0, 1, 100); }},
      {"class 999 means every class",
       6,
       {},
       [](TGeoMap& m) { return m.RemoveLandMark(3, 0, 999, 100); }},
      {"NaN radius",
       0,
       {1, 2, 3, 4, 5, 6},
       [](TGeoMap& m) { return m.RemoveLandMark(3, 0, -1, kNaN); }},
      {"rectangle 2..5 open",
       2,
       {1, 2, 6, 5},
       [](TGeoMap& m) {
         return m.RemoveLandMark(TRectDouble{-1, 5, 1, 2}, -1);
       }},
      {"rectangle with the longitude on its edge",
       0,
       {1, 2, 3, 4, 5, 6},
       [](TGeoMap& m) {
         return m.RemoveLandMark(TRectDouble{0, 5, 1, 2}, -1);
       }},
      {"rectangle upside down",
       0,
       {1, 2, 3, 4, 5, 6},
       [](TGeoMap& m) {
         return m.RemoveLandMark(TRectDouble{-1, 2, 1, 5}, -1);
       }},
      {"nearest", 1, {1, 2, 3, 6, 5}, [](TGeoMap& m) { return m.RemoveLandMark(4.2, 0.1, -7); }},
      {"nearest of an absent class",
       0,
       {1, 2, 3, 4, 5, 6},
       [](TGeoMap& m) { return m.RemoveLandMark(4.2, 0.1, 3); }},
  };
  for (const auto& c : cases) {
    TGeoMap m(nullptr);
    Fill(m, {0, 0, 0, 0, 0, 0});
    m.SetHighLM(2);
    EXPECT_EQ(c.remove(m), c.removed) << c.what;
    EXPECT_EQ(Tags(m), c.remaining) << c.what;
    // Reset by every removal; the nearest-landmark overload removes or
    // leaves everything as it was.
    const bool nearest = std::string(c.what).starts_with("nearest");
    EXPECT_EQ(m.HighLM(), nearest && c.removed == 0 ? 2 : 0) << c.what;
  }
}

TEST(LandMarkList, StorageGrowsAndShrinksInBlocks) {
  TGeoMap m(nullptr);
  m.SetSuppressPaint(true);
  const struct {
    int32_t count, capacity;
  } steps[] = {{1, 1000}, {1000, 1000}, {1001, 2000}, {2000, 2000}, {2001, 3000}};
  int32_t n = 0;
  for (const auto& s : steps) {
    while (n < s.count) m.AddLandMark(++n, 0, 0);
    EXPECT_EQ(m.LandMarkCapacity(), s.capacity) << s.count;
  }
  m.RemoveLandMark(1, 0, -1, 0.5);
  EXPECT_EQ(m.NumLandMarks(), 2000);
  EXPECT_EQ(m.LandMarkCapacity(), 3000);  // only an empty list shrinks
  m.RemoveAllLandMarks(-1);
  EXPECT_EQ(m.LandMarkCapacity(), 1000);
  const struct {
    const char* what;
    std::function<void(TGeoMap&)> empty;
  } emptying[] = {
      {"without argument", [](TGeoMap& m) { m.RemoveAllLandMarks(); }},
      {"last one",
       [](TGeoMap& m) {
         while (m.NumLandMarks() > 0) m.RemoveLastLandMark();
       }},
      {"nearest",
       [](TGeoMap& m) {
         while (m.RemoveLandMark(0, 0, -1) > 0) {
         }
       }},
  };
  for (const auto& e : emptying) {
    for (int32_t i = 0; i < 1500; ++i) m.AddLandMark(i, 0, 0);
    EXPECT_EQ(m.LandMarkCapacity(), 2000) << e.what;
    e.empty(m);
    EXPECT_EQ(m.NumLandMarks(), 0) << e.what;
    EXPECT_EQ(m.LandMarkCapacity(), 1000) << e.what;
  }
}

TEST(LandMarkList, FindTheNearest) {
  TGeoMap m(nullptr);
  // 1 NaN, 2 (10, 10) class 4, 3 (10, 12) class 5, 4 (10, 8) class 5,
  // 5 (10, 10) class 4 again, 6 far beyond 1E5 degrees.
  m.AddLandMark(kNaN, 10, 0, lmCross, 4, "", 0, 1, 0, 0, 1, false, 0, 0);
  m.AddLandMark(10, 10, 0, lmCross, 4, "", 0, 2, 0, 0, 1, false, 0, 0);
  m.AddLandMark(10, 12, 0, lmCross, 5, "", 0, 3, 0, 0, 1, false, 0, 0);
  m.AddLandMark(10, 8, 0, lmCross, 5, "", 0, 4, 0, 0, 1, false, 0, 0);
  m.AddLandMark(10, 10, 0, lmCross, 4, "", 0, 5, 0, 0, 1, false, 0, 0);
  m.AddLandMark(2e5, 0, 0, lmCross, 6, "", 0, 6, 0, 0, 1, false, 0, 0);
  const struct {
    const char* what;
    double lat, lon;
    int32_t cls, want;
  } cases[] = {
      {"exact, the first of two equal", 10, 10, -1, 2},
      {"tie between 3 and 4: the first", 10, 10, 5, 3},
      {"class 300 is every class", 10, 11.9, 300, 3},
      {"class -2 is every class", 10, 8.1, -2, 4},
      {"class filter", 10, 11.9, 4, 2},
      {"absent class", 10, 10, 7, 0},
      {"beyond 1E10 in d²", 0, 0, 6, 0},
      {"NaN query", kNaN, 10, -1, 0},
      {"NaN landmark is never nearest", 1e3, 10, -1, 2},
      {"infinite query", std::numeric_limits<double>::infinity(), 0, -1, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(m.FindLandMark(c.lat, c.lon, c.cls), c.want) << c.what;
}

// ---------------------------------------------------------------------------
// Rendering

// A white 200 × 100 map in a control of that size, calibrated so that
// lat = 48.5 - y/100, long = 10.5 + x/100.
struct TMapFixture {
  TGeoMap m{nullptr};
  TMapFixture() {
    m.SetBounds(0, 0, 200, 100);
    m.SetMapBitMap(*Blocks(200, 100, 200, {clWhite}));
    CalibrateEquiRect(m);
  }
  static double Lat(int32_t y) { return 48.5 - y / 100.0; }
  static double Long(int32_t x) { return 10.5 + x / 100.0; }
  void Add(int32_t x, int32_t y, TLandMarkElement e, uint8_t cls = 0, int32_t tag = 0) {
    m.AddLandMark(Lat(y), Long(x), 0, e, cls, "", 0, tag, clRed, clBlue, 3, false, 0, 10);
  }
  std::vector<TCanvasCall> Record() {
    TRecordingCanvas rec(200, 100);
    m.PaintTo(rec, {0, 0}, 1, 200, 100);
    return rec.Calls();
  }
};

int32_t CountOps(const std::vector<TCanvasCall>& calls, const std::string& op) {
  int32_t n = 0;
  for (const TCanvasCall& c : calls) n += c.Op == op;
  return n;
}

TEST(LandMarkPaint, SymbolsWhereTheCalibrationPutsThem) {
  TMapFixture f;
  f.Add(50, 50, lmSquare);
  f.m.Repaint();
  EXPECT_EQ(ControlPixel(f.m, 50 + 3, 50), clBlue);  // the halo ring
  EXPECT_EQ(ControlPixel(f.m, 50 + 2, 50), clRed);   // the square
  EXPECT_EQ(ControlPixel(f.m, 50, 50), clBlue);      // its inside
  EXPECT_EQ(ControlPixel(f.m, 50 + 4, 50), clWhite);
  // Under magnification and pan the point moves with the image.
  std::vector<TPoint> points;
  f.m.OnDrawLandmark = [&](TObject*, bool&, const TLandMark&, TPoint p, TCanvas&) {
    points.push_back(p);
  };
  f.m.SetMagnification(2);
  f.m.SetTopLeft({25, 30});
  f.m.Repaint();
  ASSERT_FALSE(points.empty());
  EXPECT_EQ(points.back(), (TPoint{50, 40}));
  EXPECT_EQ(ControlPixel(f.m, 50, 40), clBlue);
  EXPECT_EQ(ControlPixel(f.m, 52, 40), clRed);
}

TEST(LandMarkPaint, VisibilityHandlersAndTheStrictlyInsideTest) {
  const struct {
    const char* what;
    int32_t x, y;
    bool hidden, handled;
    int32_t events, drawn;
  } cases[] = {
      {"inside", 50, 50, false, false, 1, 1},
      {"left edge", 0, 50, false, false, 1, 0},
      {"one in from the left", 1, 50, false, false, 1, 1},
      {"top edge", 50, 0, false, false, 1, 0},
      {"last column", 199, 50, false, false, 1, 1},
      {"beyond the right edge", 200, 50, false, false, 1, 0},
      {"far outside", -500, 50, false, false, 1, 0},
      {"class hidden", 50, 50, true, false, 0, 0},
      {"handled", 50, 50, false, true, 1, 0},
  };
  for (const auto& c : cases) {
    TMapFixture f;
    f.Add(c.x, c.y, lmCircle, 9);
    f.m.SetClassVisibility(9, !c.hidden);
    int32_t events = 0;
    f.m.OnDrawLandmark = [&](TObject*, bool& handled, const TLandMark& l, TPoint p, TCanvas&) {
      ++events;
      EXPECT_EQ(l.Class, 9);
      EXPECT_EQ(p, (TPoint{c.x, c.y})) << c.what;
      handled = c.handled;
    };
    const auto calls = f.Record();
    EXPECT_EQ(events, c.events) << c.what;
    EXPECT_EQ(CountOps(calls, "Ellipse"), c.drawn) << c.what;
  }
  // Without a calibration no landmark has a pixel.
  TGeoMap bare(nullptr);
  bare.SetMapBitMap(*Blocks(20, 20, 20, {clWhite}));
  bare.AddLandMark(48, 11, 0);
  int32_t events = 0;
  bare.OnDrawLandmark = [&](TObject*, bool&, const TLandMark&, TPoint, TCanvas&) { ++events; };
  bare.Repaint();
  EXPECT_EQ(events, 0);
}

TEST(LandMarkPaint, CaptionsFollowTheirSymbols) {
  TMapFixture f;
  TLandMark t = f.m.LandMarkTemplate();
  t.Element = lmSpade;
  f.m.SetLandMarkTemplate(t);
  f.m.AddLandMark(TMapFixture::Lat(60), TMapFixture::Long(40), 0, "Hut", 0, clGreen);
  f.m.AddLandMark(TMapFixture::Lat(20), TMapFixture::Long(20), 0, "", 0, clGreen);
  TRecordingCanvas rec(200, 100);
  f.m.PaintTo(rec, {0, 0}, 1, 200, 100);
  std::vector<std::string> ops;
  for (const TCanvasCall& c : rec.Calls())
    if (c.Op == "Polygon" || c.Op == "TextOut") ops.push_back(c.ToString());
  // Centred below the point: W = 21, so 40 - 10, and 60 + 8.
  EXPECT_EQ(ops,
            (std::vector<std::string>{"Polygon(40,53,47,60,40,67,33,60)", "TextOut(30,68,'Hut')",
                                      "Polygon(20,13,27,20,20,27,13,20)"}));
}

TEST(LandMarkPaint, HighlightComesLastInItsColours) {
  TMapFixture f;
  f.Add(30, 30, lmCircle, 0, 1);
  f.Add(60, 60, lmCircle, 2, 2);
  f.m.SetHighLightProperties(clYellow, clFuchsia, true);
  f.m.OnDataRendered = [](TObject*, TCanvas& c) { c.TextOut(0, 0, "after"); };
  const struct {
    const char* what;
    int32_t high;
    bool classVisible;
    int32_t highlights;
  } cases[] = {{"none", 0, true, 0},
               {"first", 1, true, 1},
               {"second", 2, true, 1},
               {"second, class hidden", 2, false, 0}};
  for (const auto& c : cases) {
    f.m.SetHighLM(c.high);
    f.m.SetClassVisibility(2, c.classVisible);
    const auto calls = f.Record();
    std::size_t after = 0;
    for (std::size_t i = 0; i < calls.size(); ++i)
      if (calls[i].Op == "TextOut" && calls[i].Text == "after") after = i;
    int32_t highlights = 0;
    for (std::size_t i = after; i < calls.size(); ++i) {
      if (calls[i].Op != "Ellipse") continue;
      ++highlights;
      EXPECT_EQ(calls[i].PenColor, clYellow) << c.what;
      EXPECT_EQ(calls[i].BrushStyle, bsClear) << c.what;  // the flag is the transparency
      const int32_t x = c.high == 1 ? 30 : 60;
      EXPECT_EQ(calls[i].Args, (std::vector<int32_t>{x - 3, x - 3, x + 4, x + 4})) << c.what;
    }
    EXPECT_EQ(highlights, c.highlights) << c.what;
  }
  // Over whatever the application drew: a filled highlight shows both colours.
  f.m.SetClassVisibility(2, true);
  f.m.SetHighLM(2);
  f.m.SetHighLightProperties(clYellow, clFuchsia, false);
  f.m.OnDataRendered = [](TObject*, TCanvas& c) {
    c.Brush()->SetColor(clBlack);
    c.FillRect(Rect(0, 0, 200, 100));
  };
  f.m.Repaint();
  EXPECT_EQ(ControlPixel(f.m, 60, 60), clFuchsia);
  EXPECT_EQ(ControlPixel(f.m, 60, 57), clYellow);
  EXPECT_EQ(ControlPixel(f.m, 30, 30), clBlack);  // the plain landmark is covered
}

TEST(LandMarkPaint, RandomThinningAboveTheSampleLimit) {
  const int32_t limit = 20000;
  const struct {
    const char* what;
    int32_t inView, outside, hidden;
    double expected, sigma;
  } cases[] = {
      // 30000 in view: each drawn with p = 2/3; sigma = sqrt(n p (1 - p)).
      {"30000 in view", 30000, 0, 0, 20000, std::sqrt(30000 * 2.0 / 9)},
      {"20000 in view, 10000 hidden", 20000, 0, 10000, 20000, 0},
      {"19999 in view, 10001 outside", 19999, 10001, 0, 30000, 0},
  };
  for (const auto& c : cases) {
    TMapFixture f;
    f.m.SetSuppressPaint(true);
    for (int32_t i = 0; i < c.inView; ++i) f.Add(1 + i % 198, 1 + i / 198 % 98, lmCross);
    for (int32_t i = 0; i < c.outside; ++i) f.Add(-10 - i % 50, 50, lmCross);
    for (int32_t i = 0; i < c.hidden; ++i) f.Add(50, 50, lmCross, 3);
    f.m.SetClassVisibility(3, false);
    int32_t events = 0;
    f.m.OnDrawLandmark = [&](TObject*, bool& handled, const TLandMark&, TPoint, TCanvas&) {
      ++events;
      handled = true;
    };
    f.m.SetSuppressPaint(false);
    events = 0;
    f.m.Repaint();
    EXPECT_EQ(f.m.RandSampleLimit(), limit);
    EXPECT_LE(std::abs(events - c.expected), 3 * c.sigma) << c.what << ": " << events;
  }
}

}  // namespace
}  // namespace nuv
