// The landmark block: round trips of every field, hand-written files from
// the attribute table, several blocks in one file, and malformed input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/DateTime.h"
#include "nuv/platform/TextFile.h"

namespace nuv {
namespace {

using namespace nuv::testing;

TLandMark Odd(int32_t i) {
  TLandMark l;
  l.Latitude = 47.123456789012345 + i;
  l.Longitude = -0.1 * i;
  l.Altitude = i == 2 ? 1e-300 : -1234.5678;
  l.Class = static_cast<uint8_t>(250 + i);
  l.UserTag = i == 1 ? INT32_MIN : 77;
  l.Element = static_cast<TLandMarkElement>(lmSquare + i);
  l.Size = INT32_MAX - i;
  l.ColorFg = static_cast<TColor>(0x8000000F);  // a system colour
  l.ColorBg = 0x00ABCDEF;
  l.Transparent = i % 2 == 0;
  l.Dir = -45 * i;
  l.Leng = 123456;
  l.Caption.Text = i == 1 ? "Say \"hi\" <b> &quot; & a > b" : "Caf\xE9 " + std::to_string(i);
  l.Caption.FontSize = 14;
  l.Caption.FontName = "DejaVu \"Sans\"";
  l.Caption.FontStyle = static_cast<TFontStyles>(i % 16);
  l.Caption.FgColor = 0x010203;
  l.Caption.BgColor = static_cast<TColor>(0xFFFFFFFF);
  l.Caption.Transparent = i % 2 == 1;
  l.Caption.Dx = -5;
  l.Caption.Dy = INT32_MAX;
  l.Caption.Dir = 30 * i;
  l.Caption.HorAlign = static_cast<uint8_t>(i);
  l.Caption.VertAlign = 255;
  l.Ident = "ID-" + std::to_string(i) + "-0123456789";
  l.Date =
      ComposeDateTime(EncodeDate(2024, 2, 29), EncodeTime(23, 59, static_cast<uint16_t>(i), 0));
  return l;
}

TEST(LandMarkFile, EveryFieldRoundTrips) {
  TempDir dir;
  TGeoMap m(nullptr);
  for (int32_t i = 0; i < 7; ++i) {
    const TLandMark l = Odd(i);
    m.AddLandMark(0, 0, 0);
    m.SetLandMarkData(i + 1, l);
  }
  m.SaveLandmarks(dir.File("lm.xml"), "Trip 1");
  TGeoMap back(nullptr);
  int32_t offered = 0;
  back.OnLandMarkAction = [&](TObject*, bool& allowed, TLandMarkAction, const TLandMark&) {
    ++offered;
    allowed = false;
  };
  back.AddLandMark(1, 1, 1);
  ASSERT_TRUE(back.LoadLandMarks(dir.File("lm.xml"), "TRIP 1"));
  EXPECT_EQ(offered, 1);  // the reader adds without asking
  ASSERT_EQ(back.NumLandMarks(), 7);
  for (int32_t i = 1; i <= 7; ++i)
    EXPECT_EQ(back.GetLandMarkData(i), m.GetLandMarkData(i)) << "landmark " << i;
  // The text was written quoted and escaped, the rest bare.
  const std::string text = ReadRawFile(dir.File("lm.xml"));
  EXPECT_NE(text.find("captext=\"Say &quot;hi&quot; &lt;b&gt; &amp;quot; & a &gt; b\""),
            std::string::npos);
  EXPECT_NE(text.find("colorfg=\"8000000F\""), std::string::npos);
  EXPECT_NE(text.find("capfst=\"1000\""), std::string::npos);  // landmark 1: bold
  EXPECT_NE(text.find("date=\"20240229235900\""), std::string::npos);
}

TEST(LandMarkFile, ValuesThatDoNotRoundTripExactly) {
  TempDir dir;
  TGeoMap m(nullptr);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  m.AddLandMark(nan, std::numeric_limits<double>::infinity(), -0.0, lmUserDef, 1, "", 45000.75001,
                0, 0, 0, 1, false, 0, 0);
  m.SaveLandmarks(dir.File("lm.xml"), "");
  TGeoMap back(nullptr);
  ASSERT_TRUE(back.LoadLandMarks(dir.File("lm.xml"), ""));
  const TLandMark l = back.GetLandMarkData(1);
  EXPECT_TRUE(std::isnan(l.Latitude));
  EXPECT_EQ(l.Longitude, std::numeric_limits<double>::infinity());
  EXPECT_EQ(l.Altitude, 0);
  // Kept as the reader has it: lmUserDef reads back as a cross, dates to
  // the whole second.
  EXPECT_EQ(l.Element, lmCross);
  EXPECT_EQ(l.Date, ComposeDateTime(EncodeDate(2023, 3, 15), EncodeTime(18, 0, 0, 0)));
}

constexpr std::string_view kHandWritten =
    "<?xml version=\"1.0\"?>\r\n"
    "<!-- an earlier block -->\r\n"
    "<gmlandmarks sig=\"Nuvkit\" vers=\"1.0\" id=\"other\">\r\n"
    "<landmark lat=\"1\" long=\"1\" />\r\n"
    "</gmlandmarks>\r\n"
    "\r\n"
    "<!-- TGeoMap Landmarks / Nuvkit -->\r\n"
    "<gmlandmarks sig=\"NuvKit\" vers=\"1.0\" id=\"Trip\">\r\n"
    "  <landmark lat=\"47,5\" long=\"8.25\" alti=\"4.1E+0002\" class=\"3\" usertag=\"-7\"\r\n"
    "    element=\"SPADE\" size=\"9\" colorfg=\"$00FF00\" colorbg=\"ff\" transp=\"True\"\r\n"
    "    dir=\"45\" leng=\"30\" captext=\"Hut\" capsize=\"10\" capfnm=\"Arial\" capfst=\"1010\"\r\n"
    "    capfgcol=\"0000FF\" capbgcol=\"FFFFFF\" captransp=\"false\" capdx=\"3\" capdy=\"-4\"\r\n"
    "    capdir=\"90\" caphal=\"1\" capval=\"2\" id=\"HUT-0123456789ABCDEF\"\r\n"
    "    date=\"20240229123456\" />\r\n"
    "  <unknown foo=\"1\" />\r\n"
    "  <landmark lat=\"NaN\" element=\"user-defined\" class=\"300\" date=\"20230230000000\"\r\n"
    "    colorfg=\"xyz\" capfst=\"01\" transp=\"untrue\" caphal=\"-3\" />\r\n"
    "  <landmark element=\"Star\" class=\"-1\" date=\"2023\" size=\"99999999999\" />\r\n"
    "</gmlandmarks>\r\n";

TEST(LandMarkFile, HandWrittenBlockFromTheAttributeTable) {
  TempDir dir;
  WriteRawFile(dir.File("hand.xml"), kHandWritten);
  TGeoMap m(nullptr);
  ASSERT_TRUE(m.LoadLandMarks(dir.File("hand.xml"), "trip"));
  ASSERT_EQ(m.NumLandMarks(), 3);
  const TLandMark a = m.GetLandMarkData(1);
  EXPECT_EQ(a.Latitude, 47.5);
  EXPECT_EQ(a.Longitude, 8.25);
  EXPECT_EQ(a.Altitude, 410);
  EXPECT_EQ(a.Class, 3);
  EXPECT_EQ(a.UserTag, -7);
  EXPECT_EQ(a.Element, lmSpade);
  EXPECT_EQ(a.Size, 9);
  EXPECT_EQ(a.ColorFg, 0x00FF00);
  EXPECT_EQ(a.ColorBg, 0xFF);
  EXPECT_TRUE(a.Transparent);
  EXPECT_EQ(a.Dir, 45);
  EXPECT_EQ(a.Leng, 30);
  EXPECT_EQ(a.Caption.Text, "Hut");
  EXPECT_EQ(a.Caption.FontSize, 10);
  EXPECT_EQ(a.Caption.FontName, "Arial");
  EXPECT_EQ(a.Caption.FontStyle, FontStyleBit(fsBold) | FontStyleBit(fsUnderline));
  EXPECT_EQ(a.Caption.FgColor, 0x0000FF);
  EXPECT_EQ(a.Caption.BgColor, 0xFFFFFF);
  EXPECT_FALSE(a.Caption.Transparent);
  EXPECT_EQ(a.Caption.Dx, 3);
  EXPECT_EQ(a.Caption.Dy, -4);
  EXPECT_EQ(a.Caption.Dir, 90);
  EXPECT_EQ(a.Caption.HorAlign, 1);
  EXPECT_EQ(a.Caption.VertAlign, 2);
  EXPECT_EQ(a.Ident, "HUT-0123456789A");
  EXPECT_EQ(a.Date, ComposeDateTime(EncodeDate(2024, 2, 29), EncodeTime(12, 34, 56, 0)));

  const TLandMark b = m.GetLandMarkData(2);
  EXPECT_TRUE(std::isnan(b.Latitude));
  EXPECT_EQ(b.Longitude, 0);  // absent
  EXPECT_EQ(b.Element, lmCross);
  EXPECT_EQ(b.Class, 255);
  EXPECT_EQ(b.Date, 0);  // 30 February
  EXPECT_EQ(b.ColorFg, 0);
  EXPECT_EQ(b.Caption.FontStyle, FontStyleBit(fsItalic));
  EXPECT_TRUE(b.Transparent);  // "untrue" contains "true"
  EXPECT_EQ(b.Caption.HorAlign, 0);
  EXPECT_TRUE(b.Caption.FontName.empty());

  const TLandMark c = m.GetLandMarkData(3);
  EXPECT_EQ(c.Element, lmCross);
  EXPECT_EQ(c.Class, 0);
  EXPECT_EQ(c.Date, 0);
  EXPECT_EQ(c.Size, INT32_MAX);

  // The first block for an empty ID, and a block by its ID.
  ASSERT_TRUE(m.LoadLandMarks(dir.File("hand.xml"), ""));
  EXPECT_EQ(m.NumLandMarks(), 1);
  EXPECT_EQ(m.GetLandMarkData(1).Latitude, 1);
}

TEST(LandMarkFile, MissingBlocksAndBrokenFiles) {
  TempDir dir;
  TGeoMap m(nullptr);
  m.AddLandMark(5, 5, 5);
  m.SetHighLM(1);
  const struct {
    const char* what;
    std::string text, id;
    bool found;
    int32_t count;
  } cases[] = {
      {"no such id", std::string(kHandWritten), "nope", false, 1},
      {"not nuvkit", "<gmlandmarks sig=\"other\" id=\"a\">\r\n</gmlandmarks>\r\n", "", false, 1},
      {"empty file", "", "", false, 1},
      {"truncated inside a tag",
       "<gmlandmarks sig=\"Nuvkit\">\r\n<landmark lat=\"3\" />\r\n<landmark lat=\"4\"", "", true,
       1},
      {"no end tag", "<gmlandmarks sig=\"Nuvkit\">\r\n<landmark lat=\"3\" />\r\n", "", true, 1},
      {"unclosed element",
       "<gmlandmarks sig=\"Nuvkit\">\r\n<landmark lat=\"3\" />\r\n<landmark lat=\"4\">\r\n", "",
       true, 1},
      {"empty block", "<gmlandmarks sig=\"Nuvkit\">\r\n</gmlandmarks>\r\n", "", true, 0},
  };
  for (const auto& c : cases) {
    WriteRawFile(dir.File("f.xml"), c.text);
    EXPECT_EQ(m.LoadLandMarks(dir.File("f.xml"), c.id), c.found) << c.what;
    EXPECT_EQ(m.NumLandMarks(), c.count) << c.what;
    if (!c.found) {
      EXPECT_EQ(m.GetLandMarkData(1).Latitude, 5) << c.what;
      EXPECT_EQ(m.HighLM(), 1) << c.what;
    } else {
      EXPECT_EQ(m.HighLM(), 0) << c.what;
      if (c.count > 0) {
        EXPECT_EQ(m.GetLandMarkData(1).Latitude, 3) << c.what;
      }
      m.RemoveAllLandMarks();
      m.AddLandMark(5, 5, 5);
      m.SetHighLM(1);
    }
  }
  EXPECT_FALSE(m.LoadLandMarks(dir.File("missing.xml"), ""));
  EXPECT_EQ(m.NumLandMarks(), 1);
}

TEST(LandMarkFile, BlockAmongOthersInAnOpenFile) {
  TempDir dir;
  TGeoMap m(nullptr);
  m.AddLandMark(1, 2, 3, "Peak", 4, clRed);
  TextFile f(dir.File("two.xml"));
  f.Rewrite();
  m.WriteLandMarksToOpenXMLFile(f, true, "first");
  m.AddLandMark(7, 8, 9);
  m.WriteLandMarksToOpenXMLFile(f, false, "second");
  f.Close();
  const std::string text = ReadRawFile(dir.File("two.xml"));
  EXPECT_TRUE(text.starts_with(
      "<?xml version=\"1.0\"?>\r\n\r\n<!-- TGeoMap Landmarks / Nuvkit -->\r\n"
      "<gmlandmarks sig=\"Nuvkit\" vers=\"1.0\" id=\"first\">\r\n  <landmark lat="));
  TGeoMap back(nullptr);
  TextFile in(dir.File("two.xml"));
  in.Reset();
  ASSERT_TRUE(back.ReadLandMarksFromOpenXMLFile(in, "second"));
  EXPECT_EQ(back.NumLandMarks(), 2);
  EXPECT_FALSE(back.ReadLandMarksFromOpenXMLFile(in, "first"));  // behind it now
  EXPECT_EQ(back.NumLandMarks(), 2);
  in.Close();
}

}  // namespace
}  // namespace nuv
