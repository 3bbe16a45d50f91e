// The map view's files and copies: saving (and failing to save) a map,
// renaming its image, the generated empty map checked through its reloaded
// calibration, resizing, clearing, the clipboard and printing to PDF.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ExpectThrow.h"
#include "Nuv_geomap_view_testutil.h"
#include "TempDir.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/Clipbrd.h"
#include "nuv/platform/FileUtils.h"
#include "nuv/platform/Printers.h"

namespace nuv {
namespace {

using namespace nuv::testing;

std::string Slurp(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Files may grow to Bytes only while it lives (writes beyond fail with
// EFBIG instead of a signal).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t Bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit r = old_;
    r.rlim_cur = Bytes;
    setrlimit(RLIMIT_FSIZE, &r);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  sighandler_t oldHandler_;
};

TEST(GeoMapViewFiles, SaveMapAndLoadItBack) {
  TempDir dir;
  TGeoMap m(nullptr);
  m.SetMapBitMap(*Blocks(200, 100, 50));
  CalibrateEquiRect(m);
  m.SaveMap(dir.File("Alps.map"), "alps");
  EXPECT_EQ(m.MapImgName(), "Alps.jpg");
  ASSERT_TRUE(FileExists(dir.File("Alps.jpg")));
  ASSERT_TRUE(FileExists(dir.File("Alps.xml")));
  TGeoMap back(nullptr);
  ASSERT_TRUE(back.LoadCalDataFromXML(dir.File("Alps.xml"), "alps"));
  EXPECT_EQ(back.ImageWidth(), 200);
  EXPECT_EQ(back.ImageHeight(), 100);
  EXPECT_EQ(back.CalibModel(), cmEquiRect);
  bool valid = false;
  EXPECT_NEAR(back.CalcLatitude(100, 50, valid), 48.0, 1e-9);
  // JPEG keeps the blocks' colours closely.
  const TColor c = back.MapBitMap().Image().pixel(25, 50) & 0xFFFFFF;
  EXPECT_GT((c >> 16) & 0xFF, 0xE0);  // Qt's 0xRRGGBB: red
  int32_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 2);  // no temporary file left
}

TEST(GeoMapViewFiles, FailedSaveKeepsTheOldFiles) {
  TempDir dir;
  TGeoMap m(nullptr);
  m.SetMapBitMap(*Blocks(40, 20, 10));
  CalibrateEquiRect(m);
  m.SaveMap(dir.File("Map.xml"), "m");
  const std::string oldJpg = Slurp(dir.File("Map.jpg")), oldXml = Slurp(dir.File("Map.xml"));
  m.SetMapBitMap(*MakeNoise(600, 400));
  m.SetName("Map1");
  {
    FileSizeLimit limit(4096);
    EXPECT_ANY_THROW(m.SaveMap(dir.File("Map.xml"), "m"));
  }
  EXPECT_EQ(Slurp(dir.File("Map.jpg")), oldJpg);
  EXPECT_EQ(Slurp(dir.File("Map.xml")), oldXml);
  EXPECT_EQ(m.MapImgName(), "$unknown$");
  int32_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 2);
  TGeoMap empty(nullptr);
  empty.SetName("Empty");
  ExpectThrowMessage<ENUVGeoMapError>([&] { empty.SaveMap(dir.File("E.xml"), "e"); },
                                      "Component \"Empty\": SaveMap: no map image");
  EXPECT_FALSE(FileExists(dir.File("E.jpg")));
}

TEST(GeoMapViewFiles, RenameMapImg) {
  TempDir dir;
  Blocks(20, 10, 5)->SaveToFile(dir.File("Old.bmp"));
  Blocks(20, 10, 10)->SaveToFile(dir.File("Taken.bmp"));
  const std::string taken = Slurp(dir.File("Taken.bmp"));
  TGeoMap m(nullptr);
  EXPECT_FALSE(m.RenameMapImg("New"));  // no image
  m.SetMapImgName(dir.File("Old.bmp"));
  const struct {
    const char* name;
    bool ok;
    const char* file;  // the image afterwards
  } cases[] = {{"", false, "Old.bmp"},
               {"Taken", false, "Old.bmp"},
               {"New.jpg", true, "New.bmp"},
               {"no/dirs here", true, "no_dirs_here.bmp"}};
  for (const auto& c : cases) {
    EXPECT_EQ(m.RenameMapImg(c.name), c.ok) << c.name;
    EXPECT_EQ(StripPath(m.MapImgName()), c.file) << c.name;
    EXPECT_TRUE(FileExists(m.MapImgName())) << c.name;
  }
  EXPECT_EQ(Slurp(dir.File("Taken.bmp")), taken);
  std::filesystem::remove(m.MapImgName());
  EXPECT_FALSE(m.RenameMapImg("Again"));  // the file is gone
}

TEST(GeoMapViewFiles, EmptyMapThroughItsReloadedCalibration) {
  TempDir dir;
  TGeoMap m(nullptr);
  double bounds[4] = {};
  int32_t size[2] = {};
  // Latitude bounds given high to low; 460 × 360 leaves 400 × 300 inside the
  // margin: 50 pixels per degree of latitude, 40 per degree of longitude.
  m.CreateAndLoadEmptyMap(
      dir.File("Blank.xml"), 46, 10, 40, 20, 1.5, 2.5, 460, 360,
      [&](TCanvas& c, double a, double b, double e, double d, int32_t w, int32_t h) {
        bounds[0] = a, bounds[1] = b, bounds[2] = e, bounds[3] = d;
        size[0] = w, size[1] = h;
      });
  EXPECT_EQ((std::vector<double>(bounds, bounds + 4)), (std::vector<double>{40, 10, 46, 20}));
  EXPECT_EQ(size[0], 460);
  EXPECT_EQ(m.MapImgName(), dir.File("Blank.bmp"));
  EXPECT_EQ(m.ImageWidth(), 460);
  EXPECT_EQ(m.MapCaption(), "Map generated by TGeoMap");
  EXPECT_EQ(m.CalibModel(), cmBiquadraticPn);
  EXPECT_EQ(m.CalibData().NumCalPoints, 9);
  // The image corners lie 30 pixels outside the bounds.
  const TLatLong topLeft = m.CalibData().Corners[gcoTopLeft];
  EXPECT_NEAR(topLeft.Lat, 46.6, 1e-9);
  EXPECT_NEAR(topLeft.Long, 9.25, 1e-9);
  EXPECT_NEAR(m.CalibData().Corners[gcoBottomRight].Lat, 39.4, 1e-9);
  EXPECT_GT(m.CalibData().Resolution, 0);
  // Parallels at multiples of 1.5 strictly inside: 40.5 .. 45; meridians
  // 12.5 .. 17.5.
  for (double lat : {40.5, 42.0, 43.5, 45.0}) {
    const int32_t y = 330 - static_cast<int32_t>(std::lrint((lat - 40) * 50));
    bool valid = false;
    EXPECT_NEAR(m.CalcLatitude(200, y, valid), lat, 1e-6) << lat;
    int32_t silver = 0;
    for (int32_t x = 120; x < 340; ++x) silver += ImagePixel(m.MapBitMap(), x, y) == clSilver;
    EXPECT_GT(silver, 100) << lat;
    EXPECT_EQ(ImagePixel(m.MapBitMap(), 200, y + 2), clWhite) << lat;
  }
  for (double lon : {12.5, 15.0, 17.5}) {
    const int32_t x = 30 + static_cast<int32_t>(std::lrint((lon - 10) * 40));
    bool valid = false;
    EXPECT_NEAR(m.CalcLongitude(x, 100, valid), lon, 1e-6) << lon;
  }
  // The labels are black text in the margins.
  int32_t ink = 0;
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 100; x < 360; ++x) ink += ImagePixel(m.MapBitMap(), x, y) == clBlack;
  EXPECT_GT(ink, 20);
}

TEST(GeoMapViewFiles, EmptyMapRefusesDegenerateBounds) {
  TempDir dir;
  TGeoMap m(nullptr);
  m.SetName("Map1");
  const struct {
    const char* what;
    double latLow, latHigh, latStep, longStep;
    const char* message;
  } cases[] = {
      {"equal", 45, 45, 1, 1, "the bounds must be finite and different"},
      {"nan", NAN, 45, 1, 1, "the bounds must be finite and different"},
      {"tiny step", 40, 45, 1e-9, 1, "the steps give more than 1000 lines"},
  };
  for (const auto& c : cases) {
    ExpectThrowMessage<ENUVGeoMapError>(
        [&] {
          m.CreateAndLoadEmptyMap(dir.File("E.xml"), c.latLow, 10, c.latHigh, 20, c.latStep,
                                  c.longStep, 200, 200, nullptr);
        },
        std::string("Component \"Map1\": CreateAndLoadEmptyMap: ") + c.message, c.what);
    EXPECT_FALSE(FileExists(dir.File("E.bmp"))) << c.what;
  }
  // A step that is not positive becomes 30 degrees; sizes grow to 100.
  m.CreateAndLoadEmptyMap(dir.File("E.xml"), -90, -180, 90, 180, 0, -1, 10, 10, nullptr);
  EXPECT_EQ(m.ImageWidth(), 100);
  EXPECT_EQ(m.ImageHeight(), 100);
}

TEST(GeoMapViewFiles, ResizeMapScalesTheCalibration) {
  TGeoMap m(nullptr);
  m.SetName("Map1");
  for (auto resize : {+[](TGeoMap& g) { g.ResizeMap(0.5); }, +[](TGeoMap& g) { g.ResizeMap(10); }})
    ExpectThrowMessage<ENUVGeoMapError>([&] { resize(m); },
                                        "Component \"Map1\": ResizeMap: no map image");
  m.SetMapBitMap(*Blocks(200, 100, 50));
  CalibrateEquiRect(m);
  for (double bad : {0.0, -1.0, std::nan(""), HUGE_VAL}) {
    EXPECT_THROW(m.ResizeMap(bad), ENUVGeoMapError) << bad;
    EXPECT_EQ(m.CalibData().CalPoints[2].X, 200) << bad;
    EXPECT_EQ(m.ImageWidth(), 200) << bad;
  }
  EXPECT_THROW(m.ResizeMap(int32_t{0}), ENUVGeoMapError);
  EXPECT_THROW(m.ResizeMap(1e-9), ENUVGeoMapError);  // no pixel left
  m.ResizeMap(0.5);
  EXPECT_EQ(m.ImageWidth(), 100);
  EXPECT_EQ(m.ImageHeight(), 50);
  EXPECT_EQ(ImagePixel(m.MapBitMap(), 30, 10), BlockColor(60, 50));
  EXPECT_EQ(m.CalibData().CalPoints[2].X, 100);
  bool valid = false;
  EXPECT_NEAR(m.CalcLatitude(50, 25, valid), 48.0, 1e-9);
  EXPECT_NEAR(m.CalibData().Corners[gcoBottomRight].Long, 12.5, 1e-9);
  m.ResizeMap(int32_t{400});  // the longer side becomes 400
  EXPECT_EQ(m.ImageWidth(), 400);
  EXPECT_EQ(m.ImageHeight(), 200);
  EXPECT_EQ(m.CalibData().CalPoints[4].Y, 200);
}

TEST(GeoMapViewFiles, ClearShowsTheEmptyMessage) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 200, 100);
  m.SetMapBitMap(*Blocks(200, 100, 50, {clRed}));
  CalibrateEquiRect(m);
  m.Clear();
  EXPECT_EQ(m.MapImgName(), "");
  EXPECT_EQ(m.ImageWidth(), 0);
  EXPECT_EQ(m.CalibModel(), cmUndefined);
  EXPECT_EQ(m.CalibData().NumCalPoints, 0);
  m.Repaint();
  EXPECT_EQ(ControlPixel(m, 100, 70), clSilver);
}

TEST(GeoMapViewFiles, Clipboard) {
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 200, 100);
  m.SetMapBitMap(*Blocks(300, 150, 50));
  m.SetMagnification(2);
  m.CopyToClipboard();
  ASSERT_TRUE(Clipboard().HasFormat(CF_BITMAP));
  TBitmap b;
  b.Assign(Clipboard());
  ASSERT_EQ(b.Width(), 200);
  ASSERT_EQ(b.Height(), 100);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clWhite);
  EXPECT_EQ(b.Canvas()->Pixels(1, 50), clBlack);
  EXPECT_EQ(b.Canvas()->Pixels(198, 50), clBlack);
  EXPECT_EQ(b.Canvas()->Pixels(110, 50), BlockColor(55, 50));
  m.CopyEntireMapToClipboard();
  b.Assign(Clipboard());
  EXPECT_EQ(b.Width(), 300);
  EXPECT_EQ(b.Height(), 150);
  EXPECT_EQ(b.Canvas()->Pixels(275, 75), BlockColor(275, 50));
  TGeoMap empty(nullptr);
  EXPECT_THROW(empty.CopyEntireMapToClipboard(), ENUVGeoMapError);
}

TEST(GeoMapViewFiles, PrintsToPDF) {
  TempDir dir;
  TGeoMap m(nullptr);
  m.SetBounds(0, 0, 200, 100);
  m.SetMapBitMap(*Blocks(300, 150, 50));
  EXPECT_EQ(m.CalcExtentsOfPrint(10, 20, 2.5), Rect(10, 20, 510, 270));
  m.CopyToOpenPrinter(0, 0, 2);  // no document: nothing happens
  EXPECT_THROW(m.CopyToOpenPrinter(0, 0, -1), ENUVGeoMapError);
  EXPECT_THROW(m.PrintIt(0), ENUVGeoMapError);
  Printer().SetOutputFileName(dir.File("map.pdf"));
  m.PrintIt(5);
  EXPECT_FALSE(Printer().Printing());
  const std::string pdf = Slurp(dir.File("map.pdf"));
  EXPECT_TRUE(pdf.starts_with("%PDF")) << pdf.substr(0, 8);
  Printer().SetOutputFileName(dir.File("three.pdf"));
  Printer().BeginDoc();
  m.CopyToOpenPrinter(Rect(0, 0, 1000, 1000));
  m.CopyToOpenPrinter(TPoint{0, 1200});
  m.CopyToOpenPrinter(100, 2000, 3.0);
  Printer().EndDoc();
  EXPECT_GT(Slurp(dir.File("three.pdf")).size(), 1000u);
  Printer().SetOutputFileName("");
}

}  // namespace
}  // namespace nuv
