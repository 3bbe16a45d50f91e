// The overlay settings objects: their setters' events and value rules, and
// the text label's XML block.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/Nuv_streams.h"

namespace nuv {
namespace {

using testing::ReadRawFile;
using testing::TempDir;
using testing::WriteRawFile;

// Counts the events of an object whose OnChange it is given.
struct TEventCount {
  int32_t n = 0;
  TObject* sender = nullptr;
  TNotifyEvent Handler() {
    return [this](TObject* s) {
      ++n;
      sender = s;
    };
  }
  // Events since the last call.
  int32_t Take() { return std::exchange(n, 0); }
};

TEST(TCrossHair, EverySetterFiresEvenWhenTheValueIsUnchanged) {
  TCrossHair h;
  TEventCount events;
  h.OnChange = events.Handler();
  for (int pass = 0; pass < 2; ++pass) {
    h.SetCrossHPosX(1.5);
    h.SetCrossHPosY(-2.5);
    h.SetCrossHColor(clRed);
    h.SetCrossHLayer(2);
    h.SetCrossHMode(chBox);
    h.SetCrossHLineType(psDot);
    h.SetCrossHLineWid(3);
    EXPECT_EQ(events.Take(), 7) << "pass " << pass;
  }
  EXPECT_EQ(events.sender, &h);
  EXPECT_EQ(h.PosX(), 1.5);
  EXPECT_EQ(h.PosY(), -2.5);
  EXPECT_EQ(h.Color(), clRed);
  EXPECT_EQ(h.Mode(), chBox);
  EXPECT_EQ(h.LineType(), psDot);
  EXPECT_EQ(h.LineWid(), 3);
}

TEST(TCrossHair, LayerIsClampedToOneAndTwo) {
  struct Case {
    int32_t set, stored;
  };
  TCrossHair h;
  TEventCount events;
  h.OnChange = events.Handler();
  for (const Case c : {Case{0, 1}, Case{7, 2}, Case{1, 1}, Case{2, 2}, Case{3, 2}, Case{-5, 1},
                       Case{INT32_MIN, 1}, Case{INT32_MAX, 2}}) {
    h.SetCrossHLayer(c.set);
    EXPECT_EQ(h.Layer(), c.stored) << "set " << c.set;
    EXPECT_EQ(events.Take(), 1) << "set " << c.set;
  }
}

TEST(TCrossHair, AssignCopiesEverythingWithOneEvent) {
  TCrossHair a, b;
  a.SetCrossHPosX(3);
  a.SetCrossHPosY(4);
  a.SetCrossHColor(clAqua);
  a.SetCrossHLayer(2);
  a.SetCrossHMode(chVert);
  a.SetCrossHLineType(psDashDot);
  a.SetCrossHLineWid(5);
  TEventCount events;
  b.OnChange = events.Handler();
  b.Assign(a);
  EXPECT_EQ(events.Take(), 1);
  EXPECT_EQ(std::tuple(b.PosX(), b.PosY(), b.Color(), b.Layer(), b.Mode(), b.LineType(), b.LineWid()),
            std::tuple(3.0, 4.0, clAqua, 2, chVert, psDashDot, 5));
  TDTLabel other;
  EXPECT_THROW(b.Assign(other), EConvertError);
}

TEST(TDTLabel, OrderAndTimeFormatAlwaysFireTheOthersOnlyOnChange) {
  TDTLabel l;
  TEventCount events;
  l.OnChange = events.Handler();
  struct Step {
    const char* what;
    std::function<void()> set;
    int32_t events;
  };
  const Step steps[] = {
      {"DateOrder new", [&] { l.SetDAteOrder(doYYMMDD); }, 1},
      {"DateOrder same", [&] { l.SetDAteOrder(doYYMMDD); }, 1},
      {"TimeFormat new", [&] { l.SetTimeFormat(tfAMPM); }, 1},
      {"TimeFormat same", [&] { l.SetTimeFormat(tfAMPM); }, 1},
      {"DateSeparator new", [&] { l.SetDateSeparator('-'); }, 1},
      {"DateSeparator same", [&] { l.SetDateSeparator('-'); }, 0},
      {"TimeSeparator new", [&] { l.SetTimeSeparator('h'); }, 1},
      {"TimeSeparator same", [&] { l.SetTimeSeparator('h'); }, 0},
      {"YearLength new", [&] { l.SetYearLength(ylYY); }, 1},
      {"YearLength same", [&] { l.SetYearLength(ylYY); }, 0},
      {"MonthName new", [&] { l.SetMonthName(true); }, 1},
      {"MonthName same", [&] { l.SetMonthName(true); }, 0},
      {"DateForTime new", [&] { l.SetDateForTime(dtAllTicks); }, 1},
      {"DateForTime same", [&] { l.SetDateForTime(dtAllTicks); }, 0},
  };
  for (const Step& s : steps) {
    s.set();
    EXPECT_EQ(events.Take(), s.events) << s.what;
  }
  EXPECT_EQ(l.DateOrder(), doYYMMDD);
  EXPECT_EQ(l.TimeFormat(), tfAMPM);
  EXPECT_EQ(l.DateSeparator(), '-');
  EXPECT_EQ(l.TimeSeparator(), 'h');
  EXPECT_EQ(l.YearLength(), ylYY);
  EXPECT_TRUE(l.MonthName());
  EXPECT_EQ(l.DateForTime(), dtAllTicks);
  TDTLabel copy;
  copy.OnChange = events.Handler();
  copy.Assign(l);
  EXPECT_EQ(events.Take(), 1);
  EXPECT_EQ(std::tuple(copy.DateOrder(), copy.TimeFormat(), copy.DateSeparator(), copy.TimeSeparator(),
                       copy.YearLength(), copy.MonthName(), copy.DateForTime()),
            std::tuple(doYYMMDD, tfAMPM, '-', 'h', ylYY, true, dtAllTicks));
}

// ---------------------------------------------------------------------------
// TCustomTextLabel

// Every property, for comparing two labels.
auto State(const TCustomTextLabel& l) {
  const TFont& f = l.Font();
  return std::tuple(l.PosX(), l.PosY(), l.Layer(), l.ShadowDx(), l.ShadowDy(), l.ColorShadow(),
                    l.Alignment(), l.VertAlignment(), l.AttachMode(), l.ColorBkg(), l.ColorBrd(),
                    l.Transparent(), f.Name(), f.Size(), f.Height(), f.Color(), f.Style(),
                    l.Caption(), l.Mode(), l.Visible());
}

// The same, with NaN positions comparing equal.
void ExpectSame(const TCustomTextLabel& got, const TCustomTextLabel& want, const std::string& what) {
  auto g = State(got), w = State(want);
  for (double* p : {&std::get<0>(g), &std::get<1>(g), &std::get<0>(w), &std::get<1>(w)})
    if (std::isnan(*p)) *p = 0.125;
  EXPECT_EQ(g, w) << what;
}

TEST(TCustomTextLabel, StartsWithTheDocumentedValues) {
  TCustomTextLabel l;
  EXPECT_EQ(l.PosX(), 100.0);
  EXPECT_EQ(l.PosY(), 10.0);
  EXPECT_EQ(l.Layer(), 1);
  EXPECT_EQ(l.ShadowDx(), 0);
  EXPECT_EQ(l.ShadowDy(), 0);
  EXPECT_EQ(l.ColorShadow(), 0x808080);
  EXPECT_EQ(l.Alignment(), taCenter);
  EXPECT_EQ(l.VertAlignment(), vaBottom);
  EXPECT_EQ(l.AttachMode(), tlamNone);
  EXPECT_EQ(l.ColorBkg(), 0xC0C0C0);
  EXPECT_EQ(l.ColorBrd(), 0x000000);
  EXPECT_FALSE(l.Transparent());
  EXPECT_EQ(l.Caption(), "");
  EXPECT_EQ(l.Mode(), tlsimple);
  EXPECT_TRUE(l.Visible());
  TFont plain;
  EXPECT_EQ(std::tuple(l.Font().Name(), l.Font().Height(), l.Font().Style()),
            std::tuple(plain.Name(), plain.Height(), plain.Style()));
}

TEST(TCustomTextLabel, EverySetterFiresOnceAlsoForTheSameValue) {
  TCustomTextLabel l;
  TEventCount events;
  l.OnChange = events.Handler();
  TFont font;
  const std::vector<std::pair<const char*, std::function<void()>>> setters{
      {"PosX", [&] { l.SetTxtLblPosX(1); }},
      {"PosY", [&] { l.SetTxtLblPosY(2); }},
      {"Layer", [&] { l.SetTxtLblLayer(3); }},
      {"ShadowDx", [&] { l.SetTxtLblShadowDx(4); }},
      {"ShadowDy", [&] { l.SetTxtLblShadowDy(-5); }},
      {"ColorShadow", [&] { l.SetTxtLblColorShadow(clRed); }},
      {"Alignment", [&] { l.SetTxtLblAlignment(taRightJustify); }},
      {"VertAlignment", [&] { l.SetTxtLblVertAlignment(vaTop); }},
      {"AttachMode", [&] { l.SetTxtLblScreenPos(tlamBoth); }},
      {"ColorBkg", [&] { l.SetTxtLblColorBkg(clYellow); }},
      {"ColorBrd", [&] { l.SetTxtLblColorBrd(clBlue); }},
      {"Transparent", [&] { l.SetTxtLblTranspar(true); }},
      {"Font", [&] { l.SetTxtLblFont(font); }},
      {"Font itself", [&] { l.SetTxtLblFont(l.Font()); }},
      {"Caption", [&] { l.SetTxtLblCaption("x"); }},
      {"Mode", [&] { l.SetTxtLblMode(tlShadow); }},
      {"Visible", [&] { l.SetTxtLblVisible(false); }},
  };
  for (int pass = 0; pass < 2; ++pass)
    for (const auto& [what, set] : setters) {
      set();
      EXPECT_EQ(events.Take(), 1) << what << ", pass " << pass;
      EXPECT_EQ(events.sender, &l) << what;
    }
}

TEST(TCustomTextLabel, LayerOutsideOneToSixteenIsIgnoredWithoutEvent) {
  TCustomTextLabel l;
  TEventCount events;
  l.OnChange = events.Handler();
  l.SetTxtLblLayer(16);
  EXPECT_EQ(events.Take(), 1);
  for (const int32_t bad : {17, 0, -1, INT32_MIN, INT32_MAX}) {
    l.SetTxtLblLayer(bad);
    EXPECT_EQ(l.Layer(), 16) << bad;
    EXPECT_EQ(events.Take(), 0) << bad;
  }
  l.SetTxtLblLayer(1);
  EXPECT_EQ(l.Layer(), 1);
}

TEST(TCustomTextLabel, CaptionKeepsLineFeedsAndBlanksOtherControlCharacters) {
  struct Case {
    std::string set, stored;
  };
  const Case cases[] = {
      {"A\tB\r\nC", "A B \nC"},
      {std::string("a\0b", 3), "a b"},
      {"\x01\x1F \x7F", "   \x7F"},
      {"\xE4\x80\xFF\xA0", "\xE4\x80\xFF\xA0"},  // Windows-1252 letters stay
      {"\n\n", "\n\n"},
      {"", ""},
  };
  for (const Case& c : cases) {
    TCustomTextLabel l;
    l.SetTxtLblCaption(c.set);
    EXPECT_EQ(l.Caption(), c.stored) << "from '" << c.set << "'";
  }
}

TEST(TCustomTextLabel, OwnsACopyOfItsFont) {
  TCustomTextLabel l;
  {
    TFont f;
    f.SetName("Courier New");
    f.SetSize(14);
    f.SetStyle(FontStyleBit(fsItalic));
    f.SetColor(clGreen);
    l.SetTxtLblFont(f);
    f.SetName("Arial");
    f.SetSize(30);
  }
  EXPECT_EQ(l.Font().Name(), "Courier New");
  EXPECT_EQ(l.Font().Size(), 14);
  EXPECT_EQ(l.Font().Style(), FontStyleBit(fsItalic));
  EXPECT_EQ(l.Font().Color(), clGreen);
  TCustomTextLabel copy;
  copy.Assign(l);
  EXPECT_NE(&copy.Font(), &l.Font());
  ExpectSame(copy, l, "assigned");
}

// ---------------------------------------------------------------------------
// The XML block

// The label of the worked example of the block format.
void MakeExample(TCustomTextLabel& l) {
  l.SetTxtLblPosX(15);
  l.SetTxtLblPosY(-2);
  l.SetTxtLblCaption("Peak A");
  l.SetTxtLblColorBrd(0x000000);
  l.SetTxtLblColorBkg(0xFFFFFF);
  l.SetTxtLblColorShadow(0x808080);
  l.SetTxtLblShadowDx(3);
  l.SetTxtLblShadowDy(3);
  l.SetTxtLblTranspar(false);
  l.SetTxtLblVisible(true);
  l.SetTxtLblAlignment(taCenter);
  l.SetTxtLblVertAlignment(vaCenter);
  l.SetTxtLblScreenPos(tlamNone);
  TFont f;
  f.SetName("Arial");
  f.SetSize(10);
  f.SetColor(0);
  f.SetStyle(FontStyleBit(fsBold));
  l.SetTxtLblFont(f);
  l.SetTxtLblMode(tlBox);
}

// The example as the format documents it; its layer 0 is no layer a label
// can have.
const std::string kExampleBlock =
    "\r\n"
    "  <!-- TCustomTextLabel / Nuvkit -->\r\n"
    "  <custtextlbl sig=\"Nuvkit\" vers=\"1.0\" id=\"lbl1\">\r\n"
    "    <posxy x= 1.500E+0001 y=-2.000E+0000 />\r\n"
    "    <caption>Peak A</caption>\r\n"
    "    <colors brd=$000000 bg=$FFFFFF shdw=$808080 />\r\n"
    "    <shadowofs dx=3 dy=3 />\r\n"
    "    <layer val=0 />\r\n"
    "    <transparent val=0 />\r\n"
    "    <visible val=1 />\r\n"
    "    <alignment horiz=taCenter vert=vaCenter />\r\n"
    "    <attachmode val=tlamNone />\r\n"
    "    <font name=\"Arial\" size=10 color=$000000 style=\"fsBold\" />\r\n"
    "    <style val=tlBox />\r\n"
    "  </custtextlbl>\r\n";

std::string Replace(std::string s, std::string_view from, std::string_view to) {
  s.replace(s.find(from), from.size(), to);
  return s;
}

std::string BlockText(const TCustomTextLabel& l, bool header, std::string_view id, int32_t indent) {
  TStringStream s;
  l.WriteToOpenXMLFile(s, header, id, indent);
  return s.DataString();
}

TEST(TCustomTextLabelXml, WritesTheDocumentedBlock) {
  TCustomTextLabel l;
  MakeExample(l);
  l.SetTxtLblLayer(3);
  EXPECT_EQ(BlockText(l, false, "lbl1", 2), Replace(kExampleBlock, "val=0 />\r\n    <tr", "val=3 />\r\n    <tr"));
  const std::string headed = BlockText(l, true, "", 0);
  EXPECT_TRUE(headed.starts_with(" <?xml version=\"1.0\"?>\r\n\r\n <!-- TCustomTextLabel")) << headed;
  EXPECT_NE(headed.find(" <custtextlbl sig=\"Nuvkit\" vers=\"1.0\" id=\"\">\r\n   <posxy"), std::string::npos);
  // The font style set in its fixed order, quoted even when empty.
  TFont f;
  f.SetStyle(FontStyleBit(fsStrikeOut) | FontStyleBit(fsBold) | FontStyleBit(fsUnderline) | FontStyleBit(fsItalic));
  l.SetTxtLblFont(f);
  EXPECT_NE(BlockText(l, false, "", 2).find("style=\"fsBold fsItalic fsUnderline fsStrikeOut\" />"), std::string::npos);
  f.SetStyle(0);
  l.SetTxtLblFont(f);
  EXPECT_NE(BlockText(l, false, "", 2).find("style=\"\" />"), std::string::npos);
}

TEST(TCustomTextLabelXml, ReadsTheDocumentedBlockAndKeepsALayerOutsideTheRange) {
  TCustomTextLabel want;
  MakeExample(want);
  want.SetTxtLblLayer(9);
  TCustomTextLabel l;
  l.SetTxtLblLayer(9);
  TEventCount events;
  l.OnChange = events.Handler();
  TStringStream s(kExampleBlock);
  ASSERT_TRUE(l.ReadFromOpenXMLFile(s, "LBL1"));
  EXPECT_EQ(events.Take(), 1);
  ExpectSame(l, want, "example block");
  for (const char* layer : {"17", "-3", "x", ""}) {
    TStringStream t(Replace(kExampleBlock, "val=0", std::string("val=") + layer));
    ASSERT_TRUE(l.ReadFromOpenXMLFile(t, "lbl1"));
    EXPECT_EQ(l.Layer(), 9) << layer;
  }
  TStringStream t(Replace(kExampleBlock, "val=0", "val=16"));
  ASSERT_TRUE(l.ReadFromOpenXMLFile(t, "lbl1"));
  EXPECT_EQ(l.Layer(), 16);
}

// Labels with every kind of value, for round trips.
std::vector<std::unique_ptr<TCustomTextLabel>> VariedLabels() {
  std::vector<std::unique_ptr<TCustomTextLabel>> labels;
  std::mt19937 rng(24);
  const double positions[] = {0.0, -0.0, 1.0 / 3, -2.5e-300, 1e308, 4.9e-324, 123456.789,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN()};
  const char* captions[] = {"", "Peak A", "two\nlines", "\xE4\xF6\xFC \x80 \xFF", "a < b & c > d",
                            "  padded  ", "quote \" inside"};
  const char* fonts[] = {"Arial", "Courier New", "DejaVu Sans Mono", "MS Sans Serif"};
  for (int i = 0; i < 40; ++i) {
    auto l = std::make_unique<TCustomTextLabel>();
    l->SetTxtLblPosX(positions[i % 10]);
    l->SetTxtLblPosY(positions[(i * 3 + 1) % 10]);
    l->SetTxtLblLayer(1 + i % 16);
    l->SetTxtLblShadowDx(static_cast<int32_t>(rng() % 41) - 20);
    l->SetTxtLblShadowDy(i == 5 ? INT32_MIN : i == 6 ? INT32_MAX : static_cast<int32_t>(rng() % 9) - 4);
    l->SetTxtLblColorShadow(static_cast<TColor>(rng() & 0xFFFFFF));
    l->SetTxtLblAlignment(static_cast<TAlignment>(i % 3));
    l->SetTxtLblVertAlignment(static_cast<TVerticalAlignment>((i / 3) % 3));
    l->SetTxtLblScreenPos(static_cast<TTxtLblAttachMode>(i % 4));
    l->SetTxtLblColorBkg(static_cast<TColor>(rng() & 0xFFFFFF));
    l->SetTxtLblColorBrd(static_cast<TColor>(rng() & 0xFFFFFF));
    l->SetTxtLblTranspar(i % 2 == 0);
    l->SetTxtLblVisible(i % 5 != 0);
    TFont f;
    f.SetName(fonts[i % 4]);
    f.SetSize(6 + i % 30);
    f.SetColor(static_cast<TColor>(rng() & 0xFFFFFF));
    f.SetStyle(static_cast<TFontStyles>(i % 16));
    l->SetTxtLblFont(f);
    // A quote in a caption is content, not an attribute: it survives.
    l->SetTxtLblCaption(captions[i % 7]);
    l->SetTxtLblMode(static_cast<TTxtLblMode>(i % 5));
    labels.push_back(std::move(l));
  }
  return labels;
}

TEST(TCustomTextLabelXml, RoundTripsEveryPropertyThroughStreamsAndFiles) {
  const auto labels = VariedLabels();
  std::string text;
  for (std::size_t i = 0; i < labels.size(); ++i)
    text += BlockText(*labels[i], i == 0, "L" + std::to_string(i), static_cast<int32_t>(i % 4));
  TempDir dir;
  WriteRawFile(dir.File("all.xml"), text);
  TStringStream stream(text);
  TextFile file(dir.File("all.xml"));
  file.Reset();
  for (std::size_t i = 0; i < labels.size(); ++i) {
    TCustomTextLabel fromStream, fromFile;
    const std::string id = (i % 2 ? "l" : " L") + std::to_string(i);
    ASSERT_TRUE(fromStream.ReadFromOpenXMLFile(stream, id)) << i;
    ASSERT_TRUE(fromFile.ReadFromOpenXMLFile(file, id)) << i;
    ExpectSame(fromStream, *labels[i], "stream, label " + std::to_string(i));
    ExpectSame(fromFile, *labels[i], "text file, label " + std::to_string(i));
  }
  TCustomTextLabel none;
  EXPECT_FALSE(none.ReadFromOpenXMLFile(stream, "")) << "only forward";
  file.Close();

  // Written into an open text file, read back by id from the start.
  TextFile out(dir.File("open.xml"));
  out.Rewrite();
  for (std::size_t i = 0; i < labels.size(); i += 3)
    labels[i]->WriteToOpenXMLFile(out, i == 0, "id" + std::to_string(i), 2);
  out.Close();
  for (std::size_t i = 0; i < labels.size(); i += 3) {
    TextFile in(dir.File("open.xml"));
    in.Reset();
    TCustomTextLabel l;
    ASSERT_TRUE(l.ReadFromOpenXMLFile(in, "ID" + std::to_string(i))) << i;
    ExpectSame(l, *labels[i], "open file, label " + std::to_string(i));
  }
}

TEST(TCustomTextLabelXml, SaveAndLoadWholeFiles) {
  TempDir dir;
  const std::string name = dir.File("label.xml");
  const auto labels = VariedLabels();
  labels[3]->SaveAsXMLFile(name, "Three");
  const std::string text = ReadRawFile(name);
  EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\"?>\r\n\r\n<!-- TCustomTextLabel / Nuvkit -->\r\n"
                               "<custtextlbl sig=\"Nuvkit\" vers=\"1.0\" id=\"Three\">\r\n  <posxy "))
      << text;
  EXPECT_TRUE(text.ends_with("\r\n</custtextlbl>\r\n"));
  TCustomTextLabel l;
  EXPECT_TRUE(l.LoadFromXMLFile(name, "three"));
  ExpectSame(l, *labels[3], "loaded");
  EXPECT_TRUE(l.LoadFromXMLFile(name, ""));
  TEventCount events;
  l.OnChange = events.Handler();
  EXPECT_FALSE(l.LoadFromXMLFile(name, "four"));
  EXPECT_FALSE(l.LoadFromXMLFile(dir.File("missing.xml"), ""));
  EXPECT_EQ(events.Take(), 0) << "nothing read, nothing changed";
  ExpectSame(l, *labels[3], "after failed loads");

  // A save that cannot complete leaves the old file as it was.
  EXPECT_ANY_THROW(labels[4]->SaveAsXMLFile(dir.File("no/such/dir/label.xml"), "x"));
  std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (::access(dir.Path().c_str(), W_OK) != 0) {  // not as root
    EXPECT_ANY_THROW(labels[4]->SaveAsXMLFile(name, "x"));
    EXPECT_EQ(ReadRawFile(name), text);
  }
  std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
}

TEST(TCustomTextLabelXml, HandWrittenBlocksWithUnknownMissingAndBrokenElements) {
  struct Case {
    const char* what;
    std::string block;
    bool complete;
    std::function<void(TCustomTextLabel&)> expect;  // changes from the default label
  };
  const std::string head = "<custtextlbl sig=\"Nuvkit\" vers=\"1.0\" id=\"h\">\r\n";
  const Case cases[] = {
      {"only a caption", head + "<caption>just this</caption>\r\n</custtextlbl>\r\n", true,
       [](TCustomTextLabel& l) { l.SetTxtLblCaption("just this"); }},
      {"unknown elements are skipped",
       head + "<extra a=1 />\r\n<note>x <b>y</b></note>\r\n<layer val=5 />\r\n<posxy x=1,5 y=-3E2 />\r\n</custtextlbl>\r\n",
       true,
       [](TCustomTextLabel& l) {
         l.SetTxtLblLayer(5);
         l.SetTxtLblPosX(1.5);
         l.SetTxtLblPosY(-300);
       }},
      {"any order, names in other case",
       head + "<STYLE val=tlShadow />\r\n<Visible val=0 />\r\n<alignment horiz=taLeftJustify />\r\n</custtextlbl>\r\n",
       true,
       [](TCustomTextLabel& l) {
         l.SetTxtLblMode(tlShadow);
         l.SetTxtLblVisible(false);
         l.SetTxtLblAlignment(taLeftJustify);
       }},
      {"unknown names leave the enumerations",
       head + "<style val=tlbox />\r\n<attachmode val=both />\r\n<alignment horiz=center vert=vaTop />\r\n</custtextlbl>\r\n",
       true, [](TCustomTextLabel& l) { l.SetTxtLblVertAlignment(vaTop); }},
      {"missing attributes read as zero",
       head + "<colors bg=$0000FF />\r\n<shadowofs />\r\n<transparent val=2 />\r\n</custtextlbl>\r\n", true,
       [](TCustomTextLabel& l) {
         l.SetTxtLblColorBkg(0x0000FF);
         l.SetTxtLblColorBrd(0);
         l.SetTxtLblColorShadow(0);
       }},
      {"control characters in a caption",
       head + "<caption>a\tb\r\nc</caption>\r\n</custtextlbl>\r\n", true,
       [](TCustomTextLabel& l) { l.SetTxtLblCaption("a b \nc"); }},
      {"cut inside the block", head + "<layer val=4 />\r\n<caption>never closed", false,
       [](TCustomTextLabel& l) { l.SetTxtLblLayer(4); }},
      {"cut before the end tag", head + "<layer val=7 />\r\n", false,
       [](TCustomTextLabel& l) { l.SetTxtLblLayer(7); }},
  };
  for (const Case& c : cases) {
    TCustomTextLabel got, want;
    c.expect(want);
    TEventCount events;
    got.OnChange = events.Handler();
    TStringStream s(c.block);
    EXPECT_EQ(got.ReadFromOpenXMLFile(s, "H"), c.complete) << c.what;
    EXPECT_EQ(events.Take(), 1) << c.what;
    ExpectSame(got, want, c.what);
  }
  TCustomTextLabel l;
  TEventCount events;
  l.OnChange = events.Handler();
  TStringStream other(head + "</custtextlbl>\r\n");
  EXPECT_FALSE(l.ReadFromOpenXMLFile(other, "not-h"));
  EXPECT_EQ(events.Take(), 0);
}

}  // namespace
}  // namespace nuv
