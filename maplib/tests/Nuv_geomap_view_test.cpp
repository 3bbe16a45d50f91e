// The map view: initial state, coordinate conversion, image loading and its
// limit, placement of the image under magnification and pan, the cache,
// graticule, UTM grid, markers, frame and the empty message, drawing order,
// zoom history and the corner test.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "Nuv_geomap_view_testutil.h"
#include "TempDir.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/FileUtils.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/Jpeg.h"
#include "nuv/platform/RecordingCanvas.h"

namespace nuv {
namespace {

using namespace nuv::testing;

TEST(GeoMapView, InitialState) {
  TGeoMap m(nullptr);
  EXPECT_EQ(m.Width(), 500);
  EXPECT_EQ(m.Height(), 400);
  EXPECT_EQ(m.Magnification(), 1.0);
  EXPECT_EQ(m.TopLeft(), (TPoint{0, 0}));
  EXPECT_EQ(m.CalibModel(), cmUndefined);
  EXPECT_EQ(m.CacheMagLimit(), 2.0 / 3.0);
  EXPECT_EQ(m.ColorBackGnd(), 0xC0C0C0);
  EXPECT_EQ(m.ColorGraticule(), 0xFF0000);
  EXPECT_EQ(m.ColorCalibPoints(), 0x0000FF);
  EXPECT_EQ(m.ColorFrame(), 0x000000);
  EXPECT_TRUE(m.ConfinePanToMapImage());
  EXPECT_EQ(m.EmptyMsg(), "GeoMap: empty");
  EXPECT_EQ(m.FrameStyle(), fsSimple);
  EXPECT_EQ(m.GratLineDist(), 0.0);
  EXPECT_EQ(m.UTMGridDist(), 0);
  EXPECT_EQ(m.UTMZone(), 0);
  EXPECT_EQ(m.UTMHemisphere(), hemiNorth);
  EXPECT_EQ(m.MouseAction(), maPan);
  EXPECT_TRUE(m.AllowPan());
  EXPECT_EQ(m.ShowGraticule(), sgNone);
  EXPECT_EQ(m.RandSampleLimit(), 20000);
  EXPECT_EQ(m.HighLM(), 0);
  EXPECT_EQ(m.HighLightColor1(), 0xFF0000);
  EXPECT_EQ(m.HighLightColor2(), 0x00FFFF);
  EXPECT_FALSE(m.HighLightFlag());
  for (int32_t c : {0, 128, 255}) EXPECT_TRUE(m.GetClassVisibility(c)) << c;
  EXPECT_EQ(m.ImageWidth(), 0);
  // The initial state is the last entry of the history.
  EXPECT_EQ(m.GetZoomStackEntry(0), (TZoomStackEntry{0, 0, 1.0}));
  m.SetAllowPan(false);
  EXPECT_EQ(m.MouseAction(), maNone);
}

TEST(GeoMapView, SettersClamp) {
  TGeoMap m(nullptr);
  const struct { double set, expect; } grat[] = {{75, 60}, {-1, 0}, {0.25, 0.25}, {NAN, 0}};
  for (const auto& c : grat) {
    m.SetGratLineDist(c.set);
    EXPECT_EQ(m.GratLineDist(), c.expect) << c.set;
  }
  const struct { int32_t set, expect; } utm[] = {{-5, 0}, {20000000, 10000000}, {250, 250}};
  for (const auto& c : utm) {
    m.SetUTMGridDist(c.set);
    EXPECT_EQ(m.UTMGridDist(), c.expect) << c.set;
  }
  m.SetCacheMagLimit(5);
  EXPECT_EQ(m.CacheMagLimit(), 2.0 / 3.0);
  m.SetCacheMagLimit(-1);
  EXPECT_EQ(m.CacheMagLimit(), 0.0);
  m.SetRandSampleLimit(1000);
  EXPECT_EQ(m.RandSampleLimit(), 20000);
  m.SetRandSampleLimit(1001);
  EXPECT_EQ(m.RandSampleLimit(), 1001);
  m.SetHighLM(3);  // there are no landmarks
  EXPECT_EQ(m.HighLM(), 0);
  m.SetClassVisibility(7, false);
  m.SetClassVisibility(256, false);
  EXPECT_FALSE(m.GetClassVisibility(7));
  EXPECT_FALSE(m.GetClassVisibility(256));
  m.SetName("Map1");
  for (double bad : {0.0, 1.0 / 65, 65.0, -1.0, std::nan("")})
    ExpectThrowMessage<ENUVError>([&] { m.SetMagnification(bad); },
                                  "Component \"Map1\": Magnification out of range (1/64 to 64)",
                                  std::to_string(bad));
  EXPECT_EQ(m.Magnification(), 1.0);
}

TEST(GeoMapView, ConversionRoundsHalfToEven) {
  TGeoMap m(nullptr);
  const struct {
    double mag;
    TPoint topLeft, control, image;
  } cases[] = {
      {2, {0, 0}, {1, 0}, {0, 0}},       // 0.5 -> 0
      {2, {0, 0}, {3, 5}, {2, 2}},       // 1.5 -> 2, 2.5 -> 2
      {2, {10, -4}, {7, -3}, {14, -6}},  // 3.5 -> 4, -1.5 -> -2
      {0.5, {0, 0}, {3, 1}, {6, 2}},    {0.25, {100, 100}, {-2, 2}, {92, 108}},
  };
  for (const auto& c : cases) {
    m.SetMagnification(c.mag);
    m.SetTopLeft(c.topLeft);
    EXPECT_EQ(m.ControlToMapImage(c.control), c.image) << c.mag << " " << c.control.X;
  }
  m.SetMagnification(0.5);
  m.SetTopLeft({0, 0});
  const struct {
    TPoint image, control;
  } back[] = {{{1, 3}, {0, 2}}, {{5, 7}, {2, 4}}, {{-1, -3}, {0, -2}}};
  for (const auto& c : back)
    EXPECT_EQ(m.MapImageToControl(c.image), c.control) << c.image.X << "," << c.image.Y;
}

TEST(GeoMapViewImage, LoadsByExtensionInAnyCase) {
  TempDir dir;
  const auto blocks = Blocks(40, 30, 10);
  blocks->SaveToFile(dir.File("Map.BMP"));
  TJPEGImage jpeg;
  jpeg.Assign(*blocks);
  jpeg.SaveToFile(dir.File("Photo.JpEg"));
  std::ofstream(dir.File("map.png")) << "not loaded";
  const struct {
    std::string file;
    int32_t w, h;
  } cases[] = {{"Map.BMP", 40, 30}, {"Photo.JpEg", 40, 30}, {"map.png", 0, 0}, {"none.bmp", 0, 0}};
  for (const auto& c : cases) {
    TGeoMap m(nullptr);
    m.SetTopLeft({5, 5});
    int progress = 0;
    m.OnDataLoading = [&](TObject*, TProgressStage, uint8_t, bool, const TRect&,
                          const std::string&) { ++progress; };
    m.SetMapImgName(dir.File(c.file));
    EXPECT_EQ(m.MapImgName(), dir.File(c.file)) << c.file;
    EXPECT_EQ(m.ImageWidth(), c.w) << c.file;
    EXPECT_EQ(m.ImageHeight(), c.h) << c.file;
    EXPECT_EQ(m.MapBitMap().Width(), c.w) << c.file;
    EXPECT_EQ(m.TopLeft(), (TPoint{0, 0})) << c.file;
    EXPECT_EQ(progress > 0, c.file == "Photo.JpEg") << c.file;
  }
}

TEST(GeoMapViewImage, RequestEventMayRedirectTheFile) {
  TempDir dir;
  Blocks(20, 10, 5)->SaveToFile(dir.File("real.bmp"));
  TGeoMap m(nullptr);
  m.OnMapImageRequest = [&](TObject*, std::string& name) { name = dir.File("real.bmp"); };
  m.SetMapImgName("asked.bmp");
  EXPECT_EQ(m.MapImgName(), "asked.bmp");
  EXPECT_EQ(m.ImageWidth(), 20);
}

TEST(GeoMapViewImage, SizeLimitKeepsThePreviousMap) {
  TempDir dir;
  TBitmap limit, over;
  limit.SetSize(2000, 1500);
  over.SetSize(2001, 1500);
  limit.SaveToFile(dir.File("limit.bmp"));
  over.SaveToFile(dir.File("over.bmp"));
  // A header that claims 20000 × 10000 pixels before a few bytes of data:
  // refused by its header, before any decoding.
  {
    std::string h = "BM";
    const auto put32 = [&](uint32_t v) {
      for (int i = 0; i < 4; ++i) h += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const auto put16 = [&](uint16_t v) {
      h += static_cast<char>(v & 0xFF);
      h += static_cast<char>(v >> 8);
    };
    put32(70), put32(0), put32(54), put32(40), put32(20000), put32(10000);
    put16(1), put16(24), put32(0), put32(0), put32(0), put32(0), put32(0), put32(0);
    h += std::string(16, '\0');
    std::ofstream(dir.File("crafted.bmp"), std::ios::binary) << h;
  }
  TGeoMap m(nullptr);
  m.SetName("Map1");
  m.SetMapImgName(dir.File("limit.bmp"));
  ASSERT_EQ(m.ImageWidth(), 2000);
  CalibrateEquiRect(m);
  const struct {
    std::string file, size;
  } cases[] = {{"over.bmp", "2001 x 1500"}, {"crafted.bmp", "20000 x 10000"}};
  for (const auto& c : cases) {
    ExpectThrowMessage<ENUVGeoMapError>(
        [&] { m.SetMapImgName(dir.File(c.file)); },
        "Component \"Map1\": Cannot use map image, maximum of 3000000 pixels exceeded (size of "
        "map is " +
            c.size + ")",
        c.file);
    EXPECT_EQ(m.MapImgName(), dir.File("limit.bmp")) << c.file;
    EXPECT_EQ(m.ImageWidth(), 2000) << c.file;
    EXPECT_EQ(m.CalibData().NumCalPoints, 4) << c.file;
  }
  ExpectThrowMessage<ENUVGeoMapError>(
      [&] { m.SetMapBitMap(over); },
      "Component \"Map1\": Cannot use map image, maximum of 3000000 pixels exceeded (size of map "
      "is 2001 x 1500)");
  EXPECT_EQ(m.MapImgName(), dir.File("limit.bmp"));
}

TEST(GeoMapViewImage, DamagedFilesRaiseAndKeepThePreviousMap) {
  TempDir dir;
  std::ofstream(dir.File("garbage.jpg"), std::ios::binary) << "no jpeg at all";
  std::ofstream(dir.File("empty.bmp"), std::ios::binary) << "";
  TGeoMap m(nullptr);
  m.SetMapBitMap(*Blocks(30, 20, 10));
  for (const char* file : {"garbage.jpg", "empty.bmp"}) {
    EXPECT_ANY_THROW(m.SetMapImgName(dir.File(file))) << file;
    EXPECT_EQ(m.MapImgName(), "$unknown$") << file;
    EXPECT_EQ(m.ImageWidth(), 30) << file;
  }
}

// ---------------------------------------------------------------------------
// Pixels on the control

TEST(GeoMapViewPaint, ImagePlacementUnderMagnificationAndPan) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 200, 100);
  m.SetFrameStyle(fsNone);
  m.SetConfinePanToMapImage(false);
  m.SetMapBitMap(*Blocks(400, 200, 50));  // columns of 50 pixels
  const struct {
    double mag;
    TPoint topLeft;
    int32_t x;  // control column probed at row 10
    int32_t imageX;
  } cases[] = {
      {1, {0, 0}, 10, 10},     {1, {0, 0}, 60, 60},   {1, {50, 0}, 10, 60},
      {2, {0, 0}, 98, 49},     {2, {0, 0}, 100, 50},  {2, {75, 0}, 48, 99},
      {0.5, {0, 0}, 24, 48},   {0.5, {0, 0}, 26, 52}, {0.5, {100, 0}, 26, 152},
      {0.25, {0, 0}, 60, 240}, {1, {-20, 0}, 30, 10},
  };
  for (const auto& c : cases) {
    m.SetMagnification(c.mag);
    m.SetTopLeft(c.topLeft);
    m.Repaint();
    EXPECT_EQ(ControlPixel(m, c.x, 10), BlockColor(c.imageX, 50))
        << "mag " << c.mag << " topleft " << c.topLeft.X << " x " << c.x;
  }
  // Left of a negative pan offset and right of the image: background.
  m.SetMagnification(1);
  m.SetTopLeft({-20, 0});
  m.Repaint();
  EXPECT_EQ(ControlPixel(m, 5, 10), clSilver);
  m.SetTopLeft({300, 0});
  m.Repaint();
  EXPECT_EQ(ControlPixel(m, 150, 10), clSilver);
}

TEST(GeoMapViewPaint, CachedViewEqualsDirectStretching) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 160, 120);
  m.SetMapBitMap(*Blocks(640, 480, 40));
  for (bool anti : {false, true})
    for (double mag : {0.5, 0.25}) {
      m.SetAntiAlias(anti);
      m.SetMagnification(mag);
      m.SetTopLeft({80, 40});
      m.Repaint();
      TBitmap direct;
      m.CopyToBMP(direct, {80, 40}, mag, 160, 120);
      int32_t differ = 0;
      for (int32_t y = 0; y < 120; ++y)
        for (int32_t x = 0; x < 160; ++x)
          differ += ControlPixel(m, x, y) != ImagePixel(direct, x, y);
      // Smoothing may blend the block edges slightly differently.
      EXPECT_LE(differ, anti ? 160 * 120 / 10 : 0) << "mag " << mag << " anti " << anti;
    }
}

TEST(GeoMapViewPaint, RaisingRenderHandlerStaysOutOfQt) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 120, 80);
  m.SetMapBitMap(*Blocks(120, 80, 40));
  m.OnDataRendered = [](TObject*, TCanvas&) { throw std::runtime_error("handler"); };
  // A paint event of the shown control, then a direct call.
  m.show();
  Application().ProcessMessages();
  m.repaint();
  EXPECT_EQ(ControlPixel(m, 50, 40), BlockColor(50, 40));
  EXPECT_THROW(m.Paint(), std::runtime_error);
  m.hide();
}

TEST(GeoMapViewPaint, EmptyMessageAndFrames) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 200, 100);
  m.Repaint();
  EXPECT_EQ(ControlPixel(m, 100, 70), clSilver);
  int32_t ink = 0;
  for (int32_t y = 10; y < 30; ++y)
    for (int32_t x = 10; x < 120; ++x) ink += ControlPixel(m, x, y) == clBlack;
  EXPECT_GT(ink, 20);
  for (TPoint p : {TPoint{0, 50}, TPoint{199, 50}, TPoint{100, 0}, TPoint{100, 99}})
    EXPECT_EQ(ControlPixel(m, p.X, p.Y), clBlack) << p.X << "," << p.Y;
  m.SetEmptyMsg("");
  m.SetColorFrame(clRed);
  m.SetFrameStyle(fsRaised);
  m.Repaint();
  EXPECT_EQ(ControlPixel(m, 0, 50), clWhite);
  EXPECT_EQ(ControlPixel(m, 199, 50), 0x000000);
  EXPECT_EQ(ControlPixel(m, 1, 50), 0xC0C0C0);
  EXPECT_EQ(ControlPixel(m, 198, 50), 0x808080);
  m.SetFrameStyle(fsNone);
  m.Repaint();
  EXPECT_EQ(ControlPixel(m, 0, 50), clSilver);
}

TEST(GeoMapViewPaint, GraticuleWhereTheCalibrationPutsIt) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 200, 100);
  m.SetFrameStyle(fsNone);
  m.SetMapBitMap(*Blocks(200, 100, 200, {clWhite}));
  CalibrateEquiRect(m);  // lat 48.5 at the top to 47.5, long 10.5 to 12.5
  m.SetShowGraticule(sgLines);
  const struct {
    double dist;
    std::vector<int32_t> columns, rows;
  } cases[] = {
      {0, {50, 150}, {50}},         // automatic: whole degrees
      {0.5, {50, 100, 150}, {50}},  // 47.5 lies below the control
      {0.25, {25, 50, 75, 100, 125, 150, 175}, {25, 50, 75}},
  };
  for (const auto& c : cases) {
    m.SetGratLineDist(c.dist);
    m.Repaint();
    const std::vector<int32_t> columns = BlueColumns(m, 10), rows = BlueRows(m, 10);
    EXPECT_EQ(columns, c.columns) << c.dist;
    EXPECT_EQ(rows, c.rows) << c.dist;
  }
  // The 101 vertices of the parallel 48 across the longitude range.
  m.SetGratLineDist(0);
  TRecordingCanvas rec(200, 100);
  m.PaintTo(rec, {0, 0}, 1, 200, 100);
  std::vector<const TCanvasCall*> lines;
  for (const TCanvasCall& call : rec.Calls())
    if (call.Op == "Polyline") lines.push_back(&call);
  ASSERT_EQ(lines.size(), 3u);  // meridians 11 and 12, then the parallel
  const TCanvasCall& parallel = *lines[2];
  ASSERT_EQ(parallel.Args.size(), 202u);
  EXPECT_EQ(parallel.PenColor, clBlue);
  for (int32_t i = 0; i <= 100; ++i) {
    EXPECT_EQ(parallel.Args[2 * i], 2 * i) << i;
    EXPECT_EQ(parallel.Args[2 * i + 1], 50) << i;
  }
}

TEST(GeoMapViewPaint, UTMGridAndCentralMeridian) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 200, 100);
  m.SetFrameStyle(fsNone);
  m.SetMapBitMap(*Blocks(200, 100, 200, {clWhite}));
  // 10 m per pixel; the central meridian of zone 32 (9° E, easting 500000)
  // runs down column 100.
  m.SetCalibModel(cmUTM);
  m.SetUTMZone(32);
  for (TPoint p : {TPoint{0, 0}, TPoint{200, 0}, TPoint{0, 100}, TPoint{200, 100}})
    m.AddCalibPoint(5300000.0 - 10 * p.Y, 499000.0 + 10 * p.X, 32, hemiNorth, p.X, p.Y);
  m.SetShowGraticule(sgUTMGrid);
  m.Repaint();
  // Automatic spacing: Round125 of a tenth of the 2000 m span is 200 m.
  EXPECT_EQ(BlueColumns(m, 50), (std::vector<int32_t>{20, 40, 60, 80, 100, 120, 140, 160, 180}));
  EXPECT_EQ(BlueRows(m, 50), (std::vector<int32_t>{20, 40, 60, 80}));
  m.SetUTMGridDist(500);
  m.SetTopLeft({0, 0});
  m.SetMagnification(2);
  m.Repaint();
  // 499500, 500000 and 500500 m at image columns 50, 100, 150.
  EXPECT_EQ(BlueColumns(m, 30), (std::vector<int32_t>{100}));
  m.SetMagnification(1);
  m.SetShowGraticule(sgLines);
  m.Repaint();
  EXPECT_GE(BlueRows(m, 100).size(), 97u);
}

TEST(GeoMapViewPaint, CalibrationMarkers) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 200, 100);
  m.SetMapBitMap(*Blocks(200, 100, 200, {clBlack}));
  CalibrateEquiRect(m);
  m.AddCalibPoint(48.0, 11.5, 100, 50);
  m.SetShowGraticule(sgPoints);
  m.Repaint();
  const struct {
    int32_t dx, dy;
    TColor color;
  } probes[] = {{0, 0, clRed},  {-8, 0, clRed},  {7, 0, clRed},    {0, -8, clRed},
                {4, 4, clRed},  {9, 0, clWhite}, {0, -9, clWhite}, {5, 5, clRed},
                {10, 0, clRed}, {3, 3, clBlack}, {11, 0, clBlack}, {6, 6, clBlack}};
  for (const auto& p : probes)
    EXPECT_EQ(ControlPixel(m, 100 + p.dx, 50 + p.dy), p.color) << p.dx << "," << p.dy;
  // Moved with the view.
  m.SetMagnification(2);
  m.SetTopLeft({60, 30});
  m.Repaint();
  EXPECT_EQ(ControlPixel(m, 80, 40), clRed);
  EXPECT_EQ(ControlPixel(m, 89, 40), clWhite);
}

TEST(GeoMapViewPaint, ParabolicLinesAndDrawingOrder) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 200, 100);
  m.SetMapBitMap(*Blocks(200, 100, 200, {clWhite}));
  m.SetCalibModel(cmParabolicIp);
  // y = 20 + 0.001·(x - 100)²: three points fit it exactly.
  for (int32_t x : {0, 100, 200})
    m.AddCalibPoint(gtlParallel, 48.0, x, 20 + (x - 100) * (x - 100) / 1000);
  // Two points only: no parabola, so no line.
  m.AddCalibPoint(gtlMeridian, 11.0, 50, 0);
  m.AddCalibPoint(gtlMeridian, 11.0, 50, 100);
  m.SetShowGraticule(sgPointsAndLines);
  std::vector<std::string> order;
  TRecordingCanvas rec(200, 100);
  m.OnBeforeRenderData = [&](TObject*, TCanvas& c) { c.TextOut(0, 0, "before"); };
  m.OnDataRendered = [&](TObject*, TCanvas& c) { c.TextOut(0, 0, "after"); };
  m.PaintTo(rec, {0, 0}, 1, 200, 100);
  for (const TCanvasCall& c : rec.Calls())
    if (order.empty() || order.back() != c.Op + c.Text) order.push_back(c.Op + c.Text);
  const std::vector<std::string> expected{
      "CopyRect", "TextOutbefore", "Polyline", "MoveTo", "LineTo", "MoveTo",  "LineTo",
      "Polyline", "MoveTo",        "LineTo",   "MoveTo", "LineTo", "Polyline"};
  ASSERT_GE(order.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 13), expected);
  EXPECT_EQ(order[order.size() - 3], "TextOutafter");
  EXPECT_EQ(order[order.size() - 2], "MoveTo");  // the frame
  EXPECT_EQ(order.back(), "LineTo");
  // One vertex per image pixel across the view.
  const TCanvasCall* line = nullptr;
  for (const TCanvasCall& c : rec.Calls())
    if (c.Op == "Polyline" && c.PenColor == clBlue) line = &c;
  ASSERT_NE(line, nullptr);
  ASSERT_EQ(line->Args.size(), 2u * 201);
  for (int32_t x : {0, 37, 100, 163, 200}) {
    EXPECT_EQ(line->Args[2 * x], x);
    EXPECT_EQ(line->Args[2 * x + 1], std::lrint(20 + (x - 100) * (x - 100) / 1000.0)) << x;
  }
}

TEST(GeoMapViewPaint, DegenerateCalibrationsCostBoundedWork) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 200, 100);
  m.SetMapBitMap(*Blocks(200, 100, 50));
  const struct {
    const char* what;
    TCalibModel model;
    TShowGrat show;
    double dist;
    int32_t utm;
  } cases[] = {
      {"undefined model", cmUndefined, sgLines, 0, 0},
      {"no points", cmEquiRect, sgPointsAndLines, 0, 0},
      {"tiny spacing", cmEquiRect, sgLines, 1e-12, 0},
      {"utm without fit", cmUTM, sgPointsAndUTMGrid, 0, 0},
      {"tiny utm spacing", cmUTM, sgUTMGrid, 0, 1},
  };
  for (const auto& c : cases) {
    m.ClearCalibData();
    m.SetCalibModel(c.model);
    if (std::string(c.what).starts_with("tiny")) {
      if (c.model == cmUTM) {
        m.SetUTMZone(32);
        for (TPoint p : {TPoint{0, 0}, TPoint{200, 0}, TPoint{0, 100}})
          m.AddCalibPoint(5e6 - 1e5 * p.Y, 5e5 + 1e5 * p.X, 32, hemiNorth, p.X, p.Y);
      } else {
        CalibrateEquiRect(m);
      }
    }
    m.SetGratLineDist(c.dist);
    m.SetUTMGridDist(c.utm);
    m.SetShowGraticule(c.show);
    TRecordingCanvas rec(200, 100);
    m.PaintTo(rec, {0, 0}, 1, 200, 100);
    EXPECT_LE(rec.Calls().size(), 4u * MaxGridLinesPerAxis + 100) << c.what;
  }
}

// ---------------------------------------------------------------------------
// View control and history

TEST(GeoMapViewZoom, FitPanAndCentre) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 200, 100);
  m.ZoomFitPage();  // no image: nothing to fit
  EXPECT_EQ(m.Magnification(), 1.0);
  m.SetMapBitMap(*Blocks(800, 200, 50));
  m.ZoomFitPage();
  EXPECT_EQ(m.Magnification(), 0.25);
  m.SetMagnification(1);
  m.SetTopLeft({700, -50});
  m.PanMapToFillWindow();
  EXPECT_EQ(m.TopLeft(), (TPoint{600, 0}));
  m.BringMapPixelToCenter({300, 100});
  EXPECT_EQ(m.TopLeft(), (TPoint{200, 50}));
  m.BringMapPixelToCenter({10, 10});
  EXPECT_EQ(m.TopLeft(), (TPoint{0, 0}));
  CalibrateEquiRect(m);
  m.BringLocationToCenter(48.0, 12.0);  // pixel (150, 50)
  EXPECT_EQ(m.TopLeft(), (TPoint{50, 0}));
  m.BringLocationToCenter(NAN, 12.0);
  EXPECT_EQ(m.TopLeft(), (TPoint{50, 0}));
}

TEST(GeoMapViewZoom, HistoryRing) {
  TGeoMap m(nullptr);
  for (int32_t i = 1; i <= 17; ++i) {
    m.SetTopLeft({i, 0});
    m.ZoomStateOnStack();
  }
  // 18 states written into 16 slots: the initial state and state 1 are gone.
  EXPECT_EQ(m.GetZoomStackEntry(0).PanX, 17);
  EXPECT_EQ(m.GetZoomStackEntry(-15).PanX, 2);
  EXPECT_EQ(m.GetZoomStackEntry(-16), TZoomStackEntry{});
  EXPECT_EQ(m.GetZoomStackEntry(1), TZoomStackEntry{});
  m.SetTopLeft({99, 99});
  for (int32_t bad : {-16, 1}) {
    m.ZoomHistory(bad);
    EXPECT_EQ(m.TopLeft(), (TPoint{99, 99})) << bad;
  }
  m.ZoomHistory(-3);
  EXPECT_EQ(m.TopLeft(), (TPoint{14, 0}));
  m.ClearZoomHistory();
  EXPECT_EQ(m.GetZoomStackEntry(0), (TZoomStackEntry{14, 0, 1.0}));
  m.SetTopLeft({1, 1});
  m.ZoomHistory(-1);  // unused entry
  EXPECT_EQ(m.TopLeft(), (TPoint{1, 1}));
}

TEST(GeoMapView, PositionInMap) {
  // A rotated quadrilateral and a degenerate one.
  const std::array<TLatLong, 4> quad{{{48, 10}, {46, 11}, {47, 14}, {49, 13}}};
  const std::array<TLatLong, 4> flat{{{47, 10}, {47, 11}, {47, 12}, {47, 13}}};
  const struct {
    double lat, lon;
    bool in, inFlat;
  } cases[] = {{47.5, 12, true, false},    {48, 10, false, false},  {46, 10, false, false},
               {46.5, 10.2, false, false}, {NAN, 12, false, false}, {47.5, 12.5, true, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(PositionInMap(c.lat, c.lon, quad), c.in) << c.lat << " " << c.lon;
    EXPECT_EQ(PositionInMap(c.lat, c.lon, flat), c.inFlat) << c.lat << " " << c.lon;
  }
  TGeoMap m(nullptr);
  m.SetMapBitMap(*Blocks(200, 100, 50));
  CalibrateEquiRect(m);
  EXPECT_TRUE(m.IsPositionWithinMap(48, 11));
  EXPECT_FALSE(m.IsPositionWithinMap(49, 11));
}

}  // namespace
}  // namespace nuv
