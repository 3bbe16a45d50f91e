// The atlas on calibration files the tests write: equirectangular maps
// (lat = Lat0 - y·Deg, long = Long0 + x·Deg), so corners, pixels and
// coverage are analytic. Layout and buttons, the registry and the list,
// zoom choices and zoom clicks by posted Qt events, and the outlines.
#include "nuv/Nuv_geoatlas.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QMouseEvent>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Nuv_geomap_view_testutil.h"
#include "TempDir.h"
#include "nuv/platform/FileUtils.h"
#include "nuv/platform/Forms.h"

namespace nuv {
namespace {

using namespace nuv::testing;
namespace fs = std::filesystem;

struct MapFile {
  std::string Name;  // file name without extension
  double Lat0, Long0, Deg;
  int32_t W, H;
  std::string Caption;
};

// Writes Name.jpg and Name.xml into Dir and returns the calibration file.
std::string WriteMap(const fs::path& Dir, const MapFile& s) {
  fs::create_directories(Dir);
  TGeoMap m(nullptr);
  m.SetMapBitMap(*Blocks(s.W, s.H, s.W, {clWhite}));
  m.SetCalibModel(cmEquiRect);
  for (TPoint p : {TPoint{0, 0}, TPoint{s.W, 0}, TPoint{0, s.H}, TPoint{s.W, s.H}})
    m.AddCalibPoint(s.Lat0 - p.Y * s.Deg, s.Long0 + p.X * s.Deg, p.X, p.Y);
  m.SetMapCaption(s.Caption);
  const std::string xml = (Dir / (s.Name + ".xml")).string();
  m.SaveMap(xml, "");
  return xml;
}

std::string Slurp(const std::string& f) {
  std::ifstream in(f, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Spit(const std::string& f, const std::string& text) {
  std::ofstream(f, std::ios::binary) << text;
}

void Post(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
  QCoreApplication::postEvent(
      w, new QMouseEvent(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier));
  Application().ProcessMessages();
}

void ClickAt(QWidget* w, QPointF p, Qt::MouseButton b = Qt::LeftButton) {
  Post(w, QEvent::MouseButtonPress, p, b, b);
  Post(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
}

std::vector<std::string> ListItems(TGeoAtlas& a) {
  std::vector<std::string> out;
  for (int32_t i = 0; i < a.MapList().Items().Count(); ++i)
    out.push_back(a.MapList().Items().Strings(i));
  return out;
}

// The world (coarse), a region inside it and a detail inside the region;
// a sheet beside the region, outside the detail.
const MapFile kWorld{"World", 60, 0, 0.2, 300, 200, "World"};
const MapFile kRegion{"Region", 50, 10, 0.05, 200, 160, "Region"};
const MapFile kDetail{"Detail", 48, 12, 0.01, 200, 100, "Detail"};
const MapFile kSheet{"Sheet", 50, 30, 0.04, 150, 100, ""};

struct AtlasFixture : ::testing::Test {
  TempDir dir;
  fs::path maps = dir.Path() / "Atlas" / "Alps";
  TGeoAtlas a{nullptr};
  std::vector<std::string> files;
  void RegisterAll(const std::vector<MapFile>& wanted) {
    for (const MapFile& s : wanted) {
      files.push_back(WriteMap(maps, s));
      ASSERT_TRUE(a.RegisterMap(files.back())) << s.Name;
    }
  }
};

// ---- layout and buttons

TEST(GeoAtlasLayout, ChildGeometryAndInitialValues) {
  TGeoAtlas a(nullptr);
  EXPECT_EQ(a.BoundsRect(), Bounds(100, 50, 480, 320));
  EXPECT_EQ(a.CmdPanel().BoundsRect(), Bounds(0, 0, 480, 33));
  EXPECT_EQ(a.CmdPanel().Align(), alTop);
  const TRect p = a.PointerButton().BoundsRect(), z = a.ZoomButton().BoundsRect();
  EXPECT_EQ(z.Left, p.Right + 3);
  EXPECT_EQ(a.MapList().Left(), z.Right + 10);
  EXPECT_EQ(a.MapList().Top(), 5);
  EXPECT_EQ(a.MapList().Width(), 300);
  EXPECT_EQ(a.MapList().Style(), csDropDownList);
  EXPECT_EQ(a.GeoMap().BoundsRect(), Bounds(0, 33, 480, 287));
  EXPECT_EQ(a.GeoMap().EmptyMsg(), "TGeoAtlas: Empty");
  EXPECT_TRUE(a.PointerButton().Down());
  EXPECT_FALSE(a.ZoomButton().Down());
  EXPECT_EQ(a.PointerButton().Glyph()->Width(), 16);
  EXPECT_EQ(a.ZoomButton().Glyph()->Width(), 16);
  EXPECT_EQ(a.MinResDiff(), 10.0);
  EXPECT_EQ(a.MapOutlineColor(), TColor(0xFF0000));
  EXPECT_TRUE(a.MapOutlineVisible());
  EXPECT_EQ(a.CurrentMap(), 0);
  EXPECT_EQ(a.MapCount(), 0);

  a.SetCmdPanelVisible(false);
  EXPECT_FALSE(a.CmdPanelVisible());
  EXPECT_EQ(a.GeoMap().BoundsRect(), Bounds(0, 0, 480, 320));
  a.SetCmdPanelVisible(true);
  EXPECT_EQ(a.GeoMap().BoundsRect(), Bounds(0, 33, 480, 287));
}

TEST(GeoAtlasLayout, ResourcesAndCursorsAreRegistered) {
  TGeoAtlas a(nullptr);
  for (const char* name : {"POINTR", "ZOOMIN", "ZOOM11", "POINTR@2x", "ZOOM11@2x"}) {
    TBitmap b;
    b.LoadFromResourceName("maplib", name);
    EXPECT_GE(b.Width(), 16) << name;
  }
  const QCursor zoom = Screen().Cursors(crGeoZoom), hand = Screen().Cursors(crGeoHand);
  EXPECT_EQ(zoom.pixmap().width(), 32);
  EXPECT_EQ(zoom.hotSpot(), QPoint(12, 12));
  EXPECT_EQ(hand.pixmap().width(), 32);
  EXPECT_EQ(hand.hotSpot(), QPoint(16, 16));
}

TEST(GeoAtlasLayout, ButtonsSwitchCursorAndPanning) {
  TGeoAtlas a(nullptr);
  std::vector<std::string> fired;
  a.OnClick = [&](TObject* s) { fired.push_back(s == &a ? "click" : "click?"); };
  a.OnZoomButClick = [&](TObject*) { fired.push_back("zoom"); };
  a.OnPointerButClick = [&](TObject*) { fired.push_back("pointer"); };
  ClickAt(&a.ZoomButton(), {5, 5});
  EXPECT_TRUE(a.ZoomButton().Down());
  EXPECT_FALSE(a.PointerButton().Down());
  EXPECT_EQ(a.Cursor(), crGeoZoom);
  EXPECT_FALSE(a.GeoMap().AllowPan());
  ClickAt(&a.PointerButton(), {5, 5});
  EXPECT_TRUE(a.PointerButton().Down());
  EXPECT_EQ(a.Cursor(), crHandPoint);
  EXPECT_TRUE(a.GeoMap().AllowPan());
  EXPECT_EQ(fired, (std::vector<std::string>{"click", "zoom", "click", "pointer"}));
}

// ---- registry

TEST_F(AtlasFixture, RegisterKeepsCaseAndFindsDuplicatesInAnyCase) {
  RegisterAll({kWorld, kRegion, kSheet});
  EXPECT_EQ(ListItems(a), (std::vector<std::string>{"World", "Region", files[2]}));
  const TMapDefinition d = a.GetMapDef(2);
  EXPECT_EQ(d.FileName, files[1]);
  EXPECT_EQ(d.Caption, "Region");
  EXPECT_GT(d.Resolution, 0);
  EXPECT_NEAR(d.Corners[gcoTopLeft].Lat, 50, 1e-9);
  EXPECT_NEAR(d.Corners[gcoBottomRight].Long, 20, 1e-9);

  // The same file in other letters updates the definition in its place.
  MapFile renamed = kRegion;
  renamed.Caption = "Region 2";
  WriteMap(maps, renamed);
  std::string upper = files[1];
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ASSERT_TRUE(a.RegisterMap(upper));
  EXPECT_EQ(a.MapCount(), 3);
  EXPECT_EQ(a.GetMapDef(2).Caption, "Region 2");
  EXPECT_EQ(ListItems(a)[1], "Region 2");
}

TEST_F(AtlasFixture, BadFilesAreRefusedAndNothingChanges) {
  RegisterAll({kWorld});
  ASSERT_TRUE(a.SelectMap(1));
  const std::string broken = (maps / "broken.xml").string();
  const std::string empty = (maps / "empty.xml").string();
  const std::string bad = (maps / "bad.xml").string();
  Spit(broken, Slurp(files[0]).substr(0, Slurp(files[0]).size() / 2));
  Spit(empty, "");
  Spit(bad, "<calibration><nothing/>\x01\xff");
  for (const std::string& f :
       {broken, empty, bad, (maps / "missing.xml").string(), maps.string(), std::string()}) {
    EXPECT_FALSE(a.RegisterMap(f)) << f;
    EXPECT_EQ(a.MapCount(), 1) << f;
  }
  EXPECT_EQ(ListItems(a).size(), 1u);
  EXPECT_EQ(a.CurrentMap(), 1);
  for (int32_t i : {-1, 0, 2, 201}) {
    EXPECT_EQ(a.GetMapDef(i).FileName, "") << i;
    EXPECT_EQ(a.GetMapDef(i).Resolution, 0) << i;
    EXPECT_FALSE(a.SelectMap(i)) << i;
    EXPECT_EQ(a.CurrentMap(), 1) << i;
  }
}

TEST_F(AtlasFixture, TableHoldsAtMostTwoHundredMaps) {
  RegisterAll({kSheet});
  for (int32_t i = 2; i <= MaxAtlasMaps; ++i) {
    const std::string copy = (maps / ("S" + std::to_string(i) + ".xml")).string();
    fs::copy_file(files[0], copy);
    ASSERT_TRUE(a.RegisterMap(copy)) << i;
  }
  const std::string extra = (maps / "extra.xml").string();
  fs::copy_file(files[0], extra);
  EXPECT_FALSE(a.RegisterMap(extra));
  EXPECT_EQ(a.MapCount(), MaxAtlasMaps);
  EXPECT_TRUE(a.RegisterMap(files[0]));  // an update still fits
  EXPECT_EQ(a.MapList().Items().Count(), MaxAtlasMaps);
}

TEST_F(AtlasFixture, UnregisterKeepsCurrentMapAndListInStep) {
  struct Case {
    const char* name;
    int32_t select, remove;
    int32_t current;    // afterwards
    std::string shown;  // caption of the map in the view
  };
  const Case cases[] = {
      {"current first", 1, 1, 1, "Region"}, {"current middle", 2, 2, 2, "Detail"},
      {"current last", 3, 3, 2, "Region"},  {"before current", 3, 1, 2, "Detail"},
      {"after current", 1, 3, 1, "World"},  {"out of range", 2, 4, 2, "Region"},
  };
  RegisterAll({kWorld, kRegion, kDetail});
  for (const Case& c : cases) {
    TGeoAtlas b(nullptr);
    for (const std::string& f : files) ASSERT_TRUE(b.RegisterMap(f));
    ASSERT_TRUE(b.SelectMap(c.select)) << c.name;
    b.UnregisterMap(c.remove);
    EXPECT_EQ(b.CurrentMap(), c.current) << c.name;
    EXPECT_EQ(b.MapList().ItemIndex(), c.current - 1) << c.name;
    EXPECT_EQ(b.GeoMap().MapCaption(), c.shown) << c.name;
    EXPECT_EQ(b.MapList().Text(), c.shown) << c.name;
  }
  // Removing every map leaves none shown.
  a.SelectMap(2);
  for (int32_t i = 0; i < 3; ++i) a.UnregisterMap(1);
  EXPECT_EQ(a.CurrentMap(), 0);
  EXPECT_EQ(a.MapList().Items().Count(), 0);
  EXPECT_EQ(a.GeoMap().ImageWidth(), 0);
}

TEST_F(AtlasFixture, ImagesAreTakenFromTheCalibrationFilesDirectory) {
  RegisterAll({kWorld, kRegion});
  // A stale absolute image path in other letters: the bare name is used,
  // beside the calibration file.
  std::string text = Slurp(files[1]);
  const std::string stored = "map=\"Region.jpg\"";
  ASSERT_NE(text.find(stored), std::string::npos);
  text.replace(text.find(stored), stored.size(), "map=\"D:\\Old\\Maps\\REGION.JPG\"");
  Spit(files[1], text);
  const std::string elsewhere = (dir.Path() / "Other").string();
  fs::create_directories(elsewhere);
  const std::string cwd = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(elsewhere));
  std::vector<std::string> requested;
  a.OnMapImageRequest = [&](TObject* s, std::string& f) {
    if (s == &a) requested.push_back(f);
  };
  EXPECT_TRUE(a.SelectMap(2));
  EXPECT_EQ(requested, std::vector<std::string>{(maps / "REGION.JPG").string()});
  EXPECT_EQ(a.GeoMap().ImageWidth(), 200);
  EXPECT_EQ(a.GeoMap().MapBitMap().Width(), 200);
  SetCurrentDir(cwd);
}

TEST_F(AtlasFixture, VanishedFilesNeverLeaveAStaleMap) {
  RegisterAll({kWorld, kRegion, kDetail});
  ASSERT_TRUE(a.SelectMap(1));
  fs::remove(files[1]);
  EXPECT_FALSE(a.SelectMap(2));
  EXPECT_EQ(a.CurrentMap(), 1);
  EXPECT_EQ(a.GeoMap().MapCaption(), "World");
  EXPECT_EQ(a.MapList().ItemIndex(), 0);
  // A calibration whose image is gone is no map to show.
  fs::remove(maps / "Detail.jpg");
  EXPECT_FALSE(a.SelectMap(3));
  EXPECT_EQ(a.CurrentMap(), 1);
  EXPECT_EQ(a.GeoMap().ImageWidth(), 300);
  // The current map's own files vanish: selecting it again shows nothing.
  fs::remove(files[0]);
  EXPECT_FALSE(a.SelectMap(1));
  EXPECT_EQ(a.CurrentMap(), 0);
  EXPECT_EQ(a.MapList().ItemIndex(), -1);
}

TEST_F(AtlasFixture, ListChoiceLoadsTheMapAndFiresOnlyForTheUser) {
  RegisterAll({kWorld, kRegion});
  int32_t changes = 0;
  a.OnCBoxMapsChange = [&](TObject*) { ++changes; };
  a.SelectMap(1);
  a.RegisterMap(files[1]);
  a.UnregisterMap(2);
  a.RegisterMap(files[1]);
  EXPECT_EQ(changes, 0);
  a.MapList().ComboWidget()->setCurrentIndex(1);
  emit a.MapList().ComboWidget()->activated(1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(a.CurrentMap(), 2);
  EXPECT_EQ(a.GeoMap().MapCaption(), "Region");
}

// ---- zoom

TEST_F(AtlasFixture, ZoomChoosesByResolutionCoverageAndOrder) {
  // Twin has the region's resolution exactly: ties go to the earlier map.
  MapFile twin = kRegion;
  twin.Name = "Twin";
  twin.Caption = "Twin";
  RegisterAll({kWorld, kRegion, twin, kDetail, kSheet});
  const double world = a.GetMapDef(1).Resolution, region = a.GetMapDef(2).Resolution;
  const double detail = a.GetMapDef(4).Resolution, sheet = a.GetMapDef(5).Resolution;
  ASSERT_EQ(region, a.GetMapDef(3).Resolution);
  ASSERT_LT(detail, region);
  ASSERT_LT(region, world);
  struct Case {
    const char* name;
    bool in;
    double res, lat, lon;
    int32_t chosen;  // 0: none
  };
  const Case cases[] = {
      {"in: finest below the margin, earlier twin", true, world, 47.5, 12.5, 2},
      {"in: below the region only detail", true, region, 47.5, 12.5, 4},
      {"in: outside the detail", true, region, 45.0, 18.0, 0},
      {"in: margin not reached", true, region / 0.95, 45.0, 18.0, 0},
      {"in: margin passed", true, region / 0.89, 45.0, 18.0, 2},
      {"in: sheet", true, world, 48.0, 33.0, 5},
      {"in: outside every map", true, world, 10.0, 100.0, 0},
      {"in: resolution 0", true, 0, 47.5, 12.5, 0},
      {"in: NaN position", true, world, NAN, 12.5, 0},
      {"out: next coarser", false, detail, 47.5, 12.5, 2},
      {"out: from the region", false, region, 47.5, 12.5, 1},
      {"out: sheet to world", false, sheet, 48.0, 33.0, 1},
      {"out: nothing coarser", false, world, 47.5, 12.5, 0},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(a.SelectMap(1));
    const bool found = c.in ? a.ZoomIn(c.res, c.lat, c.lon) : a.ZoomOut(c.res, c.lat, c.lon);
    EXPECT_EQ(found, c.chosen != 0) << c.name;
    EXPECT_EQ(a.CurrentMap(), c.chosen ? c.chosen : 1) << c.name;
  }
}

TEST_F(AtlasFixture, ZoomCentresTheViewAndKeepsAnUnchangedMap) {
  RegisterAll({kWorld, kRegion});
  ASSERT_TRUE(a.SelectMap(2));
  a.GeoMap().SetTopLeft({7, 9});
  const TPoint before = a.GeoMap().TopLeft();
  // Only the current map is as fine: nothing changes.
  EXPECT_FALSE(a.ZoomIn(a.GetMapDef(2).Resolution, 45.0, 15.0));
  EXPECT_EQ(a.CurrentMap(), 2);
  EXPECT_EQ(a.GeoMap().TopLeft(), before);
  a.GeoMap().SetMagnification(4);
  ASSERT_TRUE(a.ZoomOut(a.GetMapDef(2).Resolution, 45.0, 15.0));
  EXPECT_EQ(a.CurrentMap(), 1);
  // (45, 15) is world pixel (75, 75), now at the view's centre (to the
  // view's whole-pixel pan).
  const TPoint centre = a.GeoMap().MapImageToControl({75, 75});
  EXPECT_NEAR(centre.X, a.GeoMap().Width() / 2, 4);
  EXPECT_NEAR(centre.Y, a.GeoMap().Height() / 2, 4);
}

TEST_F(AtlasFixture, ZoomClicksOnTheMap) {
  RegisterAll({kWorld, kRegion, kDetail});
  TGeoMap& m = a.GeoMap();
  std::vector<int32_t> downs;
  a.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t X, int32_t) {
    downs.push_back(X);
  };
  // No map yet, then in pointer mode: clicks change nothing.
  ClickAt(&a.ZoomButton(), {5, 5});
  ClickAt(&m, {50, 50});
  EXPECT_EQ(a.CurrentMap(), 0);
  ClickAt(&a.PointerButton(), {5, 5});
  ASSERT_TRUE(a.SelectMap(1));
  m.SetMagnification(1);
  m.SetTopLeft({0, 0});
  ClickAt(&m, {62, 62});
  EXPECT_EQ(a.CurrentMap(), 1);

  ClickAt(&a.ZoomButton(), {5, 5});
  // World pixel (62, 62) is 47.6° N 12.4° E, inside the detail; the region
  // is the next finer map.
  m.SetTopLeft({0, 0});
  ClickAt(&m, {62, 62});
  EXPECT_EQ(a.CurrentMap(), 2);
  const TPoint detailSpot = m.MapImageToControl({48, 48});  // 47.6° N 12.4° E
  ClickAt(&m, {double(detailSpot.X), double(detailSpot.Y)});
  EXPECT_EQ(a.CurrentMap(), 3);
  const TPoint back = m.MapImageToControl({40, 60});
  ClickAt(&m, {double(back.X), double(back.Y)}, Qt::RightButton);
  EXPECT_EQ(a.CurrentMap(), 2);
  EXPECT_EQ(downs.size(), 5u);  // the atlas saw every press
}

TEST_F(AtlasFixture, ZoomClicksWithoutAPositionAreIgnored) {
  // A map around 0° N 0° E, and a map without a calibration model, whose
  // pixels have no position: a click on it must not zoom to (0, 0).
  RegisterAll({{"Gulf", 5, -5, 0.05, 200, 200, "Gulf"}});
  fs::create_directories(maps);
  TGeoMap blank(nullptr);
  blank.SetMapBitMap(*Blocks(100, 100, 100, {clWhite}));
  blank.SetCalibModel(cmUndefined);
  blank.SetMapCaption("Blank");
  const std::string xml = (maps / "Blank.xml").string();
  blank.SaveMap(xml, "");
  ASSERT_TRUE(a.RegisterMap(xml));
  ASSERT_TRUE(a.SelectMap(2));
  ClickAt(&a.ZoomButton(), {5, 5});
  for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton}) {
    ClickAt(&a.GeoMap(), {50, 50}, b);
    EXPECT_EQ(a.CurrentMap(), 2) << b;
  }
}

// ---- outlines

TEST_F(AtlasFixture, OutlinesFollowMagnificationAndPan) {
  RegisterAll({kWorld, kRegion, kDetail});
  TGeoMap& m = a.GeoMap();
  int32_t rendered = 0;
  a.OnDataRendered = [&](TObject* s, TCanvas&) { rendered += s == &a; };
  ASSERT_TRUE(a.SelectMap(1));
  m.SetMagnification(2);
  m.SetTopLeft({30, 40});
  const TPoint pan = m.TopLeft();
  m.Repaint();
  EXPECT_EQ(rendered, 1);
  // World pixel of a position, then the control pixel, from the model.
  auto control = [&](double lat, double lon) {
    const double x = (lon - kWorld.Long0) / kWorld.Deg, y = (kWorld.Lat0 - lat) / kWorld.Deg;
    return TPoint{static_cast<int32_t>(std::lround((x - pan.X) * 2)),
                  static_cast<int32_t>(std::lround((y - pan.Y) * 2))};
  };
  const TColor blue = clBlue;
  struct Probe {
    const char* name;
    double lat, lon;
    bool outlined;
  };
  const Probe probes[] = {
      {"region top edge", 50, 15, true},     {"region left edge", 46, 10, true},
      {"region inside", 46, 15, false},      {"detail bottom edge", 47, 13, true},
      {"detail right edge", 47.5, 14, true},
  };
  for (const Probe& p : probes) {
    const TPoint q = control(p.lat, p.lon);
    ASSERT_TRUE(PtInRect(m.ClientRect(), q)) << p.name;
    EXPECT_EQ(ControlPixel(m, q.X, q.Y) == blue, p.outlined) << p.name;
  }
  a.SetMapOutlineColor(clRed);
  m.Repaint();
  EXPECT_EQ(ControlPixel(m, control(50, 15).X, control(50, 15).Y), clRed);
  a.SetMapOutlineVisible(false);
  m.Repaint();
  EXPECT_EQ(ControlPixel(m, control(50, 15).X, control(50, 15).Y), clWhite);
  // The map shown is not outlined: its frame from the region's view.
  a.SetMapOutlineVisible(true);
  ASSERT_TRUE(a.SelectMap(2));
  m.SetMagnification(1);
  m.SetTopLeft({0, 0});
  m.Repaint();
  EXPECT_NE(ControlPixel(m, 100, 160), clRed);  // below its bottom row
  EXPECT_EQ(ControlPixel(m, 40, 40), clRed);    // the detail's top-left corner
}

TEST_F(AtlasFixture, OutlinesOfACopyFollowItsOwnOriginAndScale) {
  RegisterAll({kWorld, kRegion, kDetail});
  TGeoMap& m = a.GeoMap();
  ASSERT_TRUE(a.SelectMap(1));
  m.SetMagnification(1);
  m.SetTopLeft({0, 0});
  // A copy at three target pixels per image pixel from image pixel (35, 45),
  // away from what the control shows.
  const TPoint at{35, 45};
  const double scale = 3;
  TBitmap copy;
  m.CopyToBMP(copy, at, scale, 200, 150);
  auto target = [&](double lat, double lon) {
    const double x = (lon - kWorld.Long0) / kWorld.Deg, y = (kWorld.Lat0 - lat) / kWorld.Deg;
    return TPoint{static_cast<int32_t>(std::lround((x - at.X) * scale)),
                  static_cast<int32_t>(std::lround((y - at.Y) * scale))};
  };
  const struct {
    const char* name;
    double lat, lon;
    bool outlined;
  } probes[] = {
      {"region top edge", 50, 15, true},
      {"region left edge", 46, 10, true},
      {"region inside", 46, 15, false},
  };
  for (const auto& p : probes) {
    const TPoint q = target(p.lat, p.lon);
    ASSERT_TRUE(q.X >= 0 && q.X < 200 && q.Y >= 0 && q.Y < 150) << p.name;
    EXPECT_EQ(copy.Canvas()->Pixels(q.X, q.Y) == TColor(clBlue), p.outlined) << p.name;
  }
  // The control's own view is not disturbed by the copy.
  EXPECT_EQ(m.MapImageToCanvas({10, 10}), m.MapImageToControl({10, 10}));
}

}  // namespace
}  // namespace nuv
