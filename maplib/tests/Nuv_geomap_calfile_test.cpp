// The calibration block: the bytes written, reading back under every model,
// block selection, decimal separators, malformed blocks and saving over an
// existing file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ExpectThrow.h"
#include "TempDir.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {
namespace {

using nuv::testing::ExpectThrowMessage;
using nuv::testing::TempDir;

TCalibData SampleData() {
  TCalibData d;
  d.MapName = "Alps.jpg";
  d.Caption = "Ostalpen 1:200000";
  d.Corners = {{{47.5, 11.0}, {47.0, 11.0}, {47.0, 12.25}, {47.5, 12.25}}};
  d.Resolution = 12.3456;
  d.NumCalLines = 1;
  d.CalLines[1].Kind = gtlParallel;
  d.CalLines[1].Value = 47.25;
  d.CalLines[1].NumPoints = 3;
  d.CalLines[1].Points[1] = {0, 100};
  d.CalLines[1].Points[2] = {400, 102};
  d.CalLines[1].Points[3] = {800, 101};
  d.NumCalPoints = 2;
  d.CalPoints[1] = {47.123456, -11.5, 10, 20};
  d.CalPoints[2] = {-0.000001, 0.0, 790, 590};
  d.UTMZone = 60;
  d.UTMSouth = true;
  d.Ellipsoid = gelBess41;
  return d;
}

const std::string kSampleBlock =
    "\r\n"
    "<!-- TGeoMap Calibration / Nuvkit -->\r\n"
    "<geomap sig=\"Nuvkit\" vers=\"1.0\" id=\"Tirol\" model=\"equirect\" map=\"Alps.jpg\" "
    "caption=\"Ostalpen 1:200000\">\r\n"
    "<corners>\r\n"
    "[47.50000,11.00000] [47.00000,11.00000] [47.00000,12.25000] [47.50000,12.25000] \r\n"
    "</corners>\r\n"
    "<resolution>12.346</resolution>\r\n"
    "<utmzone>60</utmzone>\r\n"
    "<utmsouth>TRUE</utmsouth>\r\n"
    "<ellipsoid>gelBess41</ellipsoid>\r\n"
    "<calline type=\"parallel\" value=\"47.25\" npoints=\"3\">\r\n"
    "[0,100] [400,102] [800,101] \r\n"
    "</calline>\r\n"
    "<calquads npoints=\"2\">\r\n"
    "[47.12346,-11.50000,10,20] [0.00000,0.00000,790,590] \r\n"
    "</calquads>\r\n"
    "</geomap>\r\n";

std::string Written(const TCalibData& d, TCalibModel m, bool header, const std::string& id) {
  TStringStream s;
  WriteRawCalDataToStream(s, header, id, d, m);
  return s.DataString();
}

bool Parse(const std::string& text, const std::string& id, TCalibData& d, TCalibModel& m,
           TCalibReadIssues* issues = nullptr) {
  TStringStream s(text);
  TCalibReadIssues local;
  return ParseCalibData(s, id, d, m, issues ? *issues : local);
}

// A block around the given lines, as a hand-written file would hold it.
std::string Block(const std::string& rootAttributes, const std::string& body,
                  bool endTag = true) {
  return "<?xml version=\"1.0\"?>\r\n\r\n<!-- TGeoMap Calibration / Nuvkit -->\r\n"
         "<geomap sig=\"Nuvkit\" vers=\"1.0\" id=\"x\"" +
         rootAttributes + ">\r\n" + body + (endTag ? "</geomap>\r\n" : "");
}

// ---------------------------------------------------------------------------
// Writing

TEST(GeoMapCalFileWrite, BlockByteForByte) {
  EXPECT_EQ(Written(SampleData(), cmEquiRect, false, "Tirol"), kSampleBlock);
  EXPECT_EQ(Written(SampleData(), cmEquiRect, true, "Tirol"), "<?xml version=\"1.0\"?>\r\n" + kSampleBlock);
}

TEST(GeoMapCalFileWrite, OptionalElementsAndModelNames) {
  TCalibData d;
  const std::string empty = Written(d, cmParabolicIp, false, "");
  EXPECT_EQ(empty.find("<resolution>"), std::string::npos);
  EXPECT_EQ(empty.find("<utmzone>"), std::string::npos);
  EXPECT_EQ(empty.find("<calquads"), std::string::npos);
  EXPECT_NE(empty.find("model=\"parabolicip\" map=\"\" caption=\"\">"), std::string::npos);
  for (int32_t zone : {0, 61, -1}) {
    d.UTMZone = zone;
    EXPECT_EQ(Written(d, cmUTM, false, "").find("<utmzone>"), std::string::npos) << zone;
  }
  for (int m = cmParabolicIp; m <= cmUndefined; ++m)
    EXPECT_NE(Written(d, static_cast<TCalibModel>(m), false, "").find("model=\"" + std::string(CalibModelNames[m]) + "\""),
              std::string::npos)
        << m;
}

TEST(GeoMapCalFileWrite, QuotesInNamesSurvive) {
  TCalibData d;
  d.MapName = "Karte \"Nord\".jpg";
  d.Caption = "A & B &quot; C";
  const std::string text = Written(d, cmEquiRect, true, "q");
  EXPECT_NE(text.find("map=\"Karte &quot;Nord&quot;.jpg\" caption=\"A & B &amp;quot; C\""), std::string::npos);
  TCalibData back;
  TCalibModel m;
  ASSERT_TRUE(Parse(text, "q", back, m));
  EXPECT_EQ(back.MapName, d.MapName);
  EXPECT_EQ(back.Caption, d.Caption);
}

// ---------------------------------------------------------------------------
// Reading

TEST(GeoMapCalFileRead, HandWrittenBlock) {
  TCalibData d;
  TCalibModel m = cmUndefined;
  ASSERT_TRUE(Parse(kSampleBlock, "tirol", d, m));
  EXPECT_EQ(m, cmEquiRect);
  EXPECT_EQ(d.MapName, "Alps.jpg");
  EXPECT_EQ(d.Caption, "Ostalpen 1:200000");
  EXPECT_EQ(d.Corners[gcoBottomRight].Long, 12.25);
  EXPECT_EQ(d.Resolution, 12.346);
  EXPECT_EQ(d.UTMZone, 60);
  EXPECT_TRUE(d.UTMSouth);
  EXPECT_EQ(d.Ellipsoid, gelBess41);
  ASSERT_EQ(d.NumCalLines, 1);
  EXPECT_EQ(d.CalLines[1].Kind, gtlParallel);
  EXPECT_EQ(d.CalLines[1].Value, 47.25);
  EXPECT_EQ(d.CalLines[1].Points[3], (TPoint{800, 101}));
  ASSERT_EQ(d.NumCalPoints, 2);
  EXPECT_EQ(d.CalPoints[1].Lat, 47.12346);
  EXPECT_EQ(d.CalPoints[2].Y, 590);
}

TEST(GeoMapCalFileRead, SelectsTheBlockOfItsID) {
  TCalibData a = SampleData(), b = SampleData();
  b.Caption = "second";
  const std::string text = Written(a, cmEquiRect, true, "North") + Written(b, cmUTM, false, "South");
  TCalibData d;
  TCalibModel m;
  ASSERT_TRUE(Parse(text, "SOUTH", d, m));
  EXPECT_EQ(d.Caption, "second");
  EXPECT_EQ(m, cmUTM);
  ASSERT_TRUE(Parse(text, "", d, m));
  EXPECT_EQ(d.Caption, a.Caption);
  d.Caption = "untouched";
  EXPECT_FALSE(Parse(text, "west", d, m));
  EXPECT_EQ(d.Caption, "untouched");
}

TEST(GeoMapCalFileRead, CommaDecimalsWhereAllowed) {
  const std::string body =
      "<corners>\r\n[47,5,11,25] [47,0,11,0] [47.,12,5] [47,5,12,5] \r\n</corners>\r\n"
      "<resolution>12,5</resolution>\r\n"
      "<calline type=\"MERIDIAN\" value=\"11,5\" npoints=\"3\">\r\n[1,2] [3,4] [5,6] \r\n</calline>\r\n";
  TCalibData d;
  TCalibModel m;
  ASSERT_TRUE(Parse(Block("", body), "x", d, m));
  EXPECT_EQ(d.Corners[gcoTopLeft].Lat, 47.5);
  EXPECT_EQ(d.Corners[gcoTopLeft].Long, 11.25);
  // A trailing separator reads as ".0".
  EXPECT_EQ(d.Corners[gcoBottomRight].Lat, 47.0);
  EXPECT_EQ(d.Corners[gcoBottomRight].Long, 12.5);
  EXPECT_EQ(d.Resolution, 12.5);
  EXPECT_EQ(d.CalLines[1].Value, 11.5);
  // The point list takes only the point.
  ExpectThrowMessage<ENUVGeoMapError>(
      [&] { Parse(Block("", "<calquads npoints=\"1\">\r\n[47,5,11.0,1,2] \r\n</calquads>\r\n"), "x", d, m); },
      "ParseCalibData: specified number of calibration points and actual number does not match");
}

TEST(GeoMapCalFileRead, ModelAttribute) {
  struct {
    const char* attribute;
    TCalibModel parsed, map;
    bool unknown;
  } cases[] = {{"", cmBiquadraticPn, cmUndefined, false},
               {" model=\"UTM\"", cmUTM, cmUTM, false},
               {" model=\"conicconformal\"", cmConicConformal, cmConicConformal, false},
               {" model=\"mercator\"", cmUndefined, cmUndefined, true}};
  for (const auto& c : cases) {
    TCalibData d;
    TCalibModel m = cmEquiRect;
    TCalibReadIssues issues;
    ASSERT_TRUE(Parse(Block(c.attribute, ""), "x", d, m, &issues)) << c.attribute;
    EXPECT_EQ(m, c.parsed) << c.attribute;
    EXPECT_EQ(issues.test(criUnknownModel), c.unknown) << c.attribute;
    TGeoMapCalibration cal;
    TStringStream s(Block(c.attribute, ""));
    ASSERT_TRUE(cal.ReadCalDataFromStream(s, "x"));
    EXPECT_EQ(cal.CalibModel(), c.map) << c.attribute;
  }
}

TEST(GeoMapCalFileRead, KeepsWhatFitsAndSaysSo) {
  std::string lines;
  for (int l = 0; l < 27; ++l)
    lines += "<calline type=\"parallel\" value=\"" + std::to_string(l) +
             "\" npoints=\"12\">\r\n[0,0] [1,1] [2,2] [3,3] [4,4] [5,5] [6,6] [7,7] [8,8] [9,9] [10,10] [11,11] \r\n</calline>\r\n";
  std::string quads = "<calquads npoints=\"205\">\r\n";
  for (int k = 0; k < 205; ++k) quads += "[47.0,11.0," + std::to_string(k) + ",1] ";
  quads += "\r\n</calquads>\r\n";
  TCalibData d;
  TCalibModel m;
  TCalibReadIssues issues;
  ASSERT_TRUE(Parse(Block("", lines + quads + "<ellipsoid>gelMoon</ellipsoid>\r\n"), "x", d, m, &issues));
  EXPECT_EQ(d.NumCalLines, 25);
  EXPECT_EQ(d.CalLines[25].Value, 24);
  EXPECT_EQ(d.CalLines[25].NumPoints, 10);
  EXPECT_EQ(d.NumCalPoints, 200);
  EXPECT_EQ(d.CalPoints[200].X, 199);
  EXPECT_EQ(d.Ellipsoid, gelWGS84);
  EXPECT_EQ(issues.to_string(), "01111");
}

TEST(GeoMapCalFileRead, LinesOfFewerThanThreePointsAreDropped) {
  const std::string body =
      "<calline type=\"meridian\" value=\"10\" npoints=\"2\">\r\n[1,2] [3,4] \r\n</calline>\r\n"
      "<calline type=\"meridian\" value=\"11\" npoints=\"3\">\r\n[1,2] [3,4] [5,6] \r\n</calline>\r\n";
  TCalibData d;
  TCalibModel m;
  ASSERT_TRUE(Parse(Block("", body), "x", d, m));
  ASSERT_EQ(d.NumCalLines, 1);
  EXPECT_EQ(d.CalLines[1].Value, 11);
}

TEST(GeoMapCalFileRead, MalformedBlocks) {
  const std::string count = "specified number of calibration points and actual number does not match";
  struct {
    const char* what;
    std::string body;
    std::string message;
  } cases[] = {
      {"unknown line type", "<calline type=\"equator\" value=\"0\" npoints=\"0\">\r\n\r\n</calline>\r\n",
       "invalid type of graticule line: type=\"equator\""},
      {"wrong npoints", "<calquads npoints=\"3\">\r\n[1.0,2.0,3,4] [1.0,2.0,3,4] \r\n</calquads>\r\n", count},
      {"short group", "<calquads npoints=\"2\">\r\n[1.0,2.0,3,4] [1.0,2.0,3] \r\n</calquads>\r\n", count},
      {"NaN", "<calquads npoints=\"1\">\r\n[NAN,2.0,3,4] \r\n</calquads>\r\n", count},
      {"no npoints", "<calline type=\"meridian\" value=\"1\">\r\n[1,2] [3,4] [5,6] \r\n</calline>\r\n", count},
  };
  for (const auto& c : cases) {
    TCalibData d;
    d.Caption = "kept";
    TCalibModel m = cmEquiRect;
    ExpectThrowMessage<ENUVGeoMapError>([&] { Parse(Block("", c.body), "x", d, m); },
                                        "ParseCalibData: " + c.message, c.what);
    EXPECT_EQ(d.Caption, "kept") << c.what;
    EXPECT_EQ(m, cmEquiRect) << c.what;
    TComponent owner(nullptr);
    TGeoMap map(&owner);
    map.SetName("Map1");
    map.SetCalibModel(cmEquiRect);
    map.AddCalibPoint(47.0, 11.0, 5, 5);
    TStringStream s(Block("", c.body));
    ExpectThrowMessage<ENUVGeoMapError>([&] { map.LoadCalDataFromXML(s, "x"); },
                                        "Component \"Map1\": " + c.message, c.what);
    EXPECT_EQ(map.CalibData().NumCalPoints, 1) << c.what;
  }
}

TEST(GeoMapCalFileRead, ValuesOutOfRange) {
  const std::string body =
      "<calquads npoints=\"1\">\r\n[1e999,-1e999,99999999999,-99999999999] \r\n</calquads>\r\n"
      "<utmzone>75</utmzone>\r\n";
  TCalibData d;
  TCalibModel m;
  ASSERT_TRUE(Parse(Block("", body), "x", d, m));
  EXPECT_EQ(d.CalPoints[1].Lat, 1.7e308);
  EXPECT_EQ(d.CalPoints[1].Long, -1.7e308);
  EXPECT_EQ(d.CalPoints[1].X, 2147483647);
  EXPECT_EQ(d.CalPoints[1].Y, -2147483647 - 1);
  EXPECT_EQ(d.UTMZone, -1);
  // Such a point makes a fit without finite pixels, never garbage.
  for (TCalibModel model : {cmBiquadraticPn, cmConicConformal, cmMillerCylindrical, cmEquiRect, cmUTM}) {
    TGeoMapCalibration cal;
    TStringStream s(Block(" model=\"" + std::string(CalibModelNames[model]) + "\"", body));
    ASSERT_TRUE(cal.ReadCalDataFromStream(s, "x"));
    int32_t x = 1, y = 1;
    if (!cal.CalcPixelCoords(47, 11, x, y)) {
      EXPECT_TRUE(x == 0 && y == 0) << model;
    }
    double qx, qy;
    cal.CalibQuality(qx, qy);
    EXPECT_TRUE(std::isfinite(qx) && std::isfinite(qy)) << model;
  }
}

TEST(GeoMapCalFileRead, MissingEndTagKeepsWhatWasRead) {
  TCalibData d;
  TCalibModel m;
  const std::string truncated = Block(" model=\"utm\"", "<utmzone>33</utmzone>\r\n<calquads npoints=\"1\">\r\n[1", false);
  EXPECT_FALSE(Parse(truncated, "x", d, m));
  EXPECT_EQ(d.UTMZone, 33);
  EXPECT_EQ(d.NumCalPoints, 0);
  EXPECT_EQ(m, cmUTM);
  EXPECT_FALSE(Parse(Block("", "<utmzone>33</utmzone>\r\n", false), "x", d, m));
}

// ---------------------------------------------------------------------------
// Round trips through the map

void FillUnderModel(TGeoMap& map, TCalibModel model) {
  map.SetCalibModel(model);
  map.SetUTMZone(60);
  map.SetUTMHemisphere(hemiSouth);
  if (model == cmParabolicIp) {
    for (int k = 0; k < 3; ++k) {
      map.AddCalibPoint(gtlMeridian, 10.5, 100 + k, 200 * k);
      map.AddCalibPoint(gtlMeridian, 11.5, 600 + k, 200 * k);
      map.AddCalibPoint(gtlParallel, 47.25, 300 * k, 100 + k);
      map.AddCalibPoint(gtlParallel, 46.75, 300 * k, 500 - k);
    }
    return;
  }
  for (int k = 0; k < 5; ++k) {
    const int32_t x = 50 + 170 * k, y = 40 + 97 * (k * 3 % 5);
    if (model == cmUTM)
      map.AddCalibPoint(5.3e6 - 12.5 * y, 4e5 + 12.5 * x + 0.25 * k, 60, hemiSouth, x, y);
    else
      map.AddCalibPoint(47.5 - 0.001 * y + 1e-5 * k, 11 + 0.0015 * x, x, y);
  }
}

TEST(GeoMapCalFileRoundTrip, EveryModelReadsBackAsWritten) {
  TempDir dir;
  for (int model = cmParabolicIp; model <= cmUTM; ++model) {
    SCOPED_TRACE(CalibModelNames[model]);
    TGeoMap map(nullptr);
    FillUnderModel(map, static_cast<TCalibModel>(model));
    map.SetMapCaption("Caption \"quoted\"");
    const std::string file = dir.File("cal" + std::to_string(model) + ".xml");
    map.SaveCalDataAsXML(file, "ID7");
    TGeoMap back(nullptr);
    ASSERT_TRUE(back.LoadCalDataFromXML(file, "id7"));
    const TCalibData& a = map.CalibData();
    const TCalibData& b = back.CalibData();
    EXPECT_EQ(back.CalibModel(), model);
    EXPECT_EQ(b.Caption, a.Caption);
    EXPECT_EQ(b.UTMZone, a.UTMZone);
    EXPECT_EQ(b.UTMSouth, a.UTMSouth);
    EXPECT_EQ(b.Ellipsoid, a.Ellipsoid);
    ASSERT_EQ(b.NumCalLines, a.NumCalLines);
    for (int32_t l = 1; l <= a.NumCalLines; ++l) {
      EXPECT_EQ(b.CalLines[l].Value, a.CalLines[l].Value);
      EXPECT_EQ(b.CalLines[l].Points[2], a.CalLines[l].Points[2]);
    }
    ASSERT_EQ(b.NumCalPoints, a.NumCalPoints);
    for (int32_t i = 1; i <= a.NumCalPoints; ++i) {
      EXPECT_NEAR(b.CalPoints[i].Lat, a.CalPoints[i].Lat, 5e-6);
      EXPECT_NEAR(b.CalPoints[i].Long, a.CalPoints[i].Long, 5e-6);
      EXPECT_EQ(b.CalPoints[i].X, a.CalPoints[i].X);
    }
    // Saved and loaded again, the file is the same.
    const std::string again = dir.File("again.xml");
    back.SaveCalDataAsXML(again, "ID7");
    std::ifstream f1(file, std::ios::binary), f2(again, std::ios::binary);
    std::stringstream s1, s2;
    s1 << f1.rdbuf();
    s2 << f2.rdbuf();
    EXPECT_EQ(s1.str(), s2.str());
  }
}

TEST(GeoMapCalFileRoundTrip, SaveToAStreamWritesTheHeaderedBlock) {
  TGeoMap map(nullptr);
  FillUnderModel(map, cmEquiRect);
  TMemoryStream s;
  map.SaveCalDataAsXML(s, "m");
  TGeoMap back(nullptr);
  ASSERT_TRUE(back.LoadCalDataFromXML(s, "m"));
  EXPECT_EQ(back.CalibData().NumCalPoints, 5);
  EXPECT_EQ(std::string(s.Memory(), 21), "<?xml version=\"1.0\"?>");
}

TEST(GeoMapCalFileRoundTrip, FailedSaveKeepsTheOldFile) {
  TempDir dir;
  const std::string file = dir.File("cal.xml");
  TGeoMap map(nullptr);
  FillUnderModel(map, cmEquiRect);
  map.SaveCalDataAsXML(file, "old");
  ASSERT_EQ(FileSetAttr(file, faReadOnly), 0);
  map.SetMapCaption("new");
  EXPECT_THROW(map.SaveCalDataAsXML(file, "new"), EInOutError);
  TCalibData d;
  TCalibModel m;
  EXPECT_TRUE(ParseCalibData(file, "old", d, m));
  EXPECT_FALSE(ParseCalibData(dir.File("missing.xml"), "", d, m));
  EXPECT_FALSE(map.LoadCalDataFromXML(dir.File("missing.xml"), ""));
}

TEST(GeoMapCalFileRoundTrip, MapTakesItsImageFromTheBlock) {
  TempDir dir;
  TBitmap bmp;
  bmp.SetSize(640, 480);
  bmp.SaveToFile(dir.File("Alps.bmp"));
  TGeoMap map(nullptr);
  std::string requested;
  map.OnMapImageRequest = [&](TObject*, std::string& name) {
    requested = name;
    name = dir.File(name);
  };
  map.SetCalibModel(cmConicConformal);
  TCalibData d;
  d.MapName = "Alps.bmp";
  d.NumCalPoints = 3;
  d.CalPoints[1] = {47.0, 10.0, 100, 300};
  d.CalPoints[2] = {47.0, 11.0, 500, 300};
  d.CalPoints[3] = {47.5, 10.5, 300, 100};
  TStringStream s(Written(d, cmMillerCylindrical, true, ""));
  TMemoryStream ms;
  ms.LoadFromStream(s);
  ASSERT_TRUE(map.LoadCalDataFromXML(ms, ""));
  EXPECT_EQ(requested, "Alps.bmp");
  EXPECT_EQ(map.MapImgName(), "Alps.bmp");
  EXPECT_EQ(map.ImageWidth(), 640);
  EXPECT_EQ(map.ImageHeight(), 480);
  EXPECT_EQ(map.CalibModel(), cmMillerCylindrical);
  bool valid;
  EXPECT_NEAR(map.CalcLongitude(300, 200, valid), 10.5, 1e-9);
  // The writer records the image's corners.
  TStringStream out;
  map.SaveCalDataAsXML(out, "");
  TCalibData back;
  TCalibModel m;
  ASSERT_TRUE(ParseCalibData(out, "", back, m));
  EXPECT_NEAR(back.Corners[gcoBottomRight].Long, map.CalcLongitude(640, 480, valid), 1e-5);
  EXPECT_GT(back.Resolution, 0);

  map.SetCalDatName(dir.File("none.xml"));
  EXPECT_EQ(map.ImageWidth(), 0);
}

}  // namespace
}  // namespace nuv
