#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "ExpectCases.h"
#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {
namespace {

using testing::ReadRawFile;
using testing::WriteRawFile;

using testing::ExpectAll;
using testing::TempDir;

// Both readers take the same input: a text file open for input and a stream.
int32_t ReadTag(TextFile& F, std::span<const std::string> L, std::string& C, std::string& A) {
  return ReadNextTagInTextFile(F, L, C, A);
}
int32_t ReadTag(TStream& S, std::span<const std::string> L, std::string& C, std::string& A) {
  return ReadNextTagInStream(S, L, C, A);
}

// Calls f(input, kind) with the text as an open text file and as a stream.
template <class F>
void ForBothInputs(const std::string& text, F f) {
  TempDir dir;
  WriteRawFile(dir.File("in.xml"), text);
  TextFile file(dir.File("in.xml"));
  file.Reset();
  f(file, "text file");
  TStringStream stream(text);
  f(stream, "stream");
}

TEST(XmlAttrib, ScanForXMLAttrib) {
  ExpectAll({
      {"quoted, name in other case", ScanForXMLAttrib("x=1 y=\"2 3\"", "Y"), "2 3"},
      {"absent", ScanForXMLAttrib("x=1", "z"), ""},
      {"quoted keeps = and blanks", ScanForXMLAttrib("a=\"p = q\" b=2", "a"), "p = q"},
      {"blanks around names", ScanForXMLAttrib("  x = 5   Name = 7 ", "name"), "7"},
      {"unquoted ends at a quote", ScanForXMLAttrib("x=1\"y=2", "y"), "2"},
      {"tabs and line ends separate", ScanForXMLAttrib("x=1\ty=2\r\nz=3", "z"), "3"},
      {"first of duplicates", ScanForXMLAttrib("x=1 x=2", "x"), "1"},
      {"missing value", ScanForXMLAttrib("x= ", "x"), ""},
      {"name only", ScanForXMLAttrib("x", "x"), ""},
      {"unterminated quote runs to the end", ScanForXMLAttrib("x=\"abc", "x"), "abc"},
      {"quote in a name", ScanForXMLAttrib("a\"b=1 x=2", "x"), ""},
      {"= after =", ScanForXMLAttrib("x==1 y=2", "y"), ""},
      {"= in unquoted value", ScanForXMLAttrib("x=a=b y=2", "y"), ""},
      {"match before malformed", ScanForXMLAttrib("x=1 \"bad", "x"), "1"},
      {"angle brackets", ScanForXMLAttrib("t=\"<a>b</a>\"", "t"), "<a>b</a>"},
      {"bytes 128..255", ScanForXMLAttrib("\xC4x=\"\xE9\xFF\x80\"", "\xE4X"), "\xE9\xFF\x80"},
      {"a quote in a value cuts it", ScanForXMLAttrib("n=\"Ar\"ial\" size=10", "n"), "Ar"},
      {"and spoils the pairs after it", ScanForXMLAttrib("n=\"Ar\"ial\" size=10", "size"), ""},
  });
}

TEST(XmlAttrib, ReaderWalksThePairsUpToAMalformedOne) {
  const struct {
    const char* name;
    const char* text;
    const char* pairs;  // name:value;...
  } cases[] = {
      {"quoted, unquoted and blanks", " A = 1 b=\"x y\"\tc=\"\" ", "A:1;b:x y;c:;"},
      {"empty name is a pair", "=1 d=2", ":1;d:2;"},
      {"trailing name without =", "a=1 b", "a:1;"},
      {"value ending the text", "a=\"open", "a:open;"},
      {"stops at = after =", "a=1 b==2 c=3", "a:1;"},
      {"stops at a quote in a name", "a=1 b\"c=2", "a:1;"},
      {"empty text", "", ""},
  };
  for (const auto& c : cases) {
    TXMLAttribReader reader(c.text);
    std::string got;
    std::string_view name, value;
    while (reader.Next(name, value)) got += std::string(name) + ":" + std::string(value) + ";";
    EXPECT_EQ(got, c.pairs) << c.name;
    EXPECT_FALSE(reader.Next(name, value)) << c.name << ": after the end";
  }
}

TEST(XmlTags, ReadsTagsContentAndAttributes) {
  const std::string text =
      "<?xml version=\"1.0\"?>\r\n<!-- C / Nuvkit -->\r\n"
      "  <posxy\tx= 1.5E+0001\r\n y=2 />\r\n  <CAPTION>Peak <b>A</b></caption>\r\n"
      "  <odd a=\"1\">skipped</odd><br/>\r\n</root>\r\ntail <unfinished";
  const std::vector<std::string> list{"posxy", "caption", "/root", "dummy"};
  const struct {
    int32_t ix;
    const char *content, *attributes;
  } want[] = {{3, "", "version=\"1.0\"?"},
              {3, "", "C / Nuvkit --"},
              {0, "", "x= 1.5E+0001\r\n y=2"},
              {1, "Peak <b>A</b>", ""},
              {3, "skipped", "a=\"1\""},
              {3, "", ""},
              {2, "", ""},
              {3, "", ""},
              {3, "", ""}};
  ForBothInputs(text, [&](auto& in, const char* kind) {
    std::string content, attributes;
    int n = 0;
    for (const auto& w : want) {
      EXPECT_EQ(ReadTag(in, list, content, attributes), w.ix) << kind << " tag " << n;
      EXPECT_EQ(content, w.content) << kind << " tag " << n;
      EXPECT_EQ(attributes, w.attributes) << kind << " tag " << n++;
    }
  });
}

TEST(XmlTags, UnclosedElementsFailWithoutSwallowingWhatFollows) {
  const std::vector<std::string> list{"caption", "grp", "/grp", "/lbl", "dummy"};
  const struct {
    const char *what, *text;
    int32_t first;
    const char* content;
    int32_t next;  // the tag read after the first
  } cases[] = {
      {"end of input", "<caption>Peak A", -1, "", 4},
      {"end of input inside the tag", "<caption", 4, "", 4},
      {"into the enclosing end tag", "<caption>Peak</lbl><grp/>", -1, "", 1},
      {"nested enclosing element", "<caption><grp>x</grp></caption></lbl>", 0, "<grp>x</grp>", 3},
      {"unknown start tag", "<odd>x</lbl><caption>c</caption>", -1, "", 0},
      {"stray end tag", "</odd><caption>c</caption>", 4, "", 0},
  };
  for (const auto& c : cases) {
    ForBothInputs(c.text, [&](auto& in, const char* kind) {
      std::string content = "stale", attributes = "stale";
      EXPECT_EQ(ReadTag(in, list, content, attributes), c.first) << c.what << ", " << kind;
      EXPECT_EQ(content, c.content) << c.what << ", " << kind;
      EXPECT_EQ(ReadTag(in, list, content, attributes), c.next) << c.what << ", " << kind;
    });
  }
}

TEST(XmlTags, StreamReaderAgreesWithStringReader) {
  const std::vector<std::string> list{"a", "/a", "br", "x"};
  for (const char* tag : {"<a k=1>", "<A\tk=\"v w\" >", "</a>", "<br/>", "<BR k=2 />", "<q/>",
                          "< >", "<a\r\nk=1\r\n/>", "<\xC4 k=\xE4/>"}) {
    int32_t pos = 1;
    std::string before, stringAttributes, content, streamAttributes;
    const int32_t fromString = ReadNextTagInString(tag, pos, list, 3, before, stringAttributes);
    TStringStream s(std::string(tag) + "</a>");
    EXPECT_EQ(ReadNextTagInStream(s, list, content, streamAttributes), fromString) << tag;
    EXPECT_EQ(streamAttributes, stringAttributes) << tag;
  }
}

TEST(XmlTags, StreamSearches) {
  TStringStream s("<?xml?><matrix id=\"m\"><numcols>3</numcols><cell c=1 /></matrix>");
  std::string content, attributes;
  EXPECT_TRUE(ScanStreamForXMLTag(s, "NUMCOLS", content, attributes))
      << "inside an unknown element";
  EXPECT_EQ(content, "3");
  EXPECT_TRUE(ScanStreamForXMLTag(s, "cell", content, attributes));
  EXPECT_EQ(attributes, "c=1");
  EXPECT_FALSE(ScanStreamForXMLTag(s, "cell", content, attributes)) << "no second cell";
  EXPECT_EQ(attributes, "");

  s.SetPosition(0);
  int32_t index = 0;
  const std::vector<std::string> list{"cell", "/matrix"};
  EXPECT_EQ(ReadStreamUntilTagList(s, list, index), "<?xml?><matrix id=\"m\"><numcols>3</numcols>");
  EXPECT_EQ(index, 0);
  EXPECT_EQ(ReadStreamUntilTagList(s, list, index), "");
  EXPECT_EQ(index, 1);
  EXPECT_EQ(ReadStreamUntilTagList(s, list, index), "");
  EXPECT_EQ(index, -1) << "end of the stream";
  TStringStream cut("text <cut");
  EXPECT_EQ(ReadStreamUntilTagList(cut, list, index), "text <cut");
  EXPECT_EQ(index, -1);
}

TEST(XmlValues, WrittenForms) {
  const std::string_view styles[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
  ExpectAll({
      {"int", XMLIntStr(-12), "-12"},
      {"true", XMLBoolStr(true), "1"},
      {"false", XMLBoolStr(false), "0"},
      {"colour", XMLColorStr(0x808080), "$808080"},
      {"colour low 24 bits", XMLColorStr(static_cast<int32_t>(0xFF00000F)), "$00000F"},
      {"float, customary width", XMLFloatStr(15), " 1.500E+0001"},
      {"negative float", XMLFloatStr(-2), "-2.000E+0000"},
      {"float needing digits", XMLFloatStr(1234.5678), " 1.2345678E+0003"},
      {"zero", XMLFloatStr(0), " 0.000E+0000"},
      {"NaN", XMLFloatStr(std::nan("")), "NAN"},
      {"set", XMLSetStr(0b1010, styles), "fsItalic fsStrikeOut"},
      {"attributes",
       TXMLAttributes().AddInt("a", 1).AddText("t", "x y").AddEnum("e", 9, styles).Text(),
       "a=1 t=\"x y\" e="},
  });
}

TEST(XmlValues, FloatsReadBackIdentically) {
  std::vector<double> values{0.1,
                             1.0 / 3,
                             1234.5678,
                             -2.5e-300,
                             1e300,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::denorm_min(),
                             -0.0,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
  std::mt19937_64 bits(12345);
  while (values.size() < 2000) {
    const double x = std::bit_cast<double>(bits());
    if (std::isfinite(x)) values.push_back(x);
  }
  for (const double x : values) {
    const std::string text = XMLFloatStr(x);
    EXPECT_EQ(ScanXMLFloat(text), x) << text;
    EXPECT_EQ(ScanForXMLAttrib("v=" + text + " w=1", "v"), text.substr(text[0] == ' '));
  }
  EXPECT_TRUE(std::isnan(ScanXMLFloat(XMLFloatStr(std::nan("")))));
}

TEST(XmlValues, Scanners) {
  constexpr double kMax = std::numeric_limits<double>::max();
  const struct {
    const char* text;
    double value;
  } floats[] = {{"1,5", 1.5},      {" -12.5E+2;", -1250},
                {"1E+0999", kMax}, {"-1e999", -kMax},
                {"1e-999", 0},     {".5", 0.5},
                {"5.", 5},         {"1.5E", 1.5},
                {"2E+x", 2},       {"abc", 0},
                {".", 0},          {"", 0},
                {"+7", 7},         {"-inf", -HUGE_VAL}};
  for (const auto& f : floats) EXPECT_EQ(ScanXMLFloat(f.text), f.value) << f.text;
  ExpectAll({
      {"int with rest", ScanXMLInt("  +12abc"), 12},
      {"negative", ScanXMLInt("-7"), -7},
      {"sign only", ScanXMLInt("-"), 0},
      {"not a number", ScanXMLInt("abc"), 0},
      {"above int32", ScanXMLInt("99999999999999999999"), std::numeric_limits<int32_t>::max()},
      {"below int32", ScanXMLInt("-2147483649"), std::numeric_limits<int32_t>::min()},
      {"bool 1", ScanXMLBool("1"), 1},
      {"bool 2", ScanXMLBool("2"), 0},
      {"colour", ScanXMLColor("$FF8000"), 0xFF8000},
      {"colour lower case, no $", ScanXMLColor(" a0ff"), 0xA0FF},
      {"colour stops at other", ScanXMLColor("$12G4"), 0x12},
      {"colour last 8 digits", ScanXMLColor("$123456789"), 0x23456789},
      {"no colour", ScanXMLColor("$"), 0},
  });
  const std::string_view styles[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
  EXPECT_EQ(ScanXMLSet(" fsBold  fsStrikeOut fsbold nope ", styles), 0b1001u);
  TTxtLblMode mode = tlBox;
  EXPECT_FALSE(ScanXMLEnum("tlbox", xmlTxtLblMode, mode)) << "names are case-sensitive";
  EXPECT_TRUE(ScanXMLEnum("tlShadow", xmlTxtLblMode, mode));
  EXPECT_EQ(mode, tlShadow);
}

// A text label as the library stores it: every kind of value.
struct TLabel {
  double X = 0, Y = 0;
  std::string Caption, FontName;
  int32_t Border = 0, Background = 0, Shadow = 0, Dx = 0, Dy = 0, Layer = 0, Size = 0, Color = 0;
  bool Transparent = false, Visible = false;
  uint8_t Horiz = 0;
  TVerticalAlignment Vert = vaTop;
  TTxtLblAttachMode Attach = tlamNone;
  uint32_t Style = 0;
  TTxtLblMode Mode = tlOff;
  friend bool operator==(const TLabel&, const TLabel&) = default;
};

const TLabel kExample{15, -2, "Peak A", "Arial", 0, 0xFFFFFF, 0x808080, 3, 3,    0,
                      10, 0,  false,    true,    2, vaCenter, tlamNone, 1, tlBox};

void WriteLabel(TXMLBlockWriter w, const TLabel& l, bool header, std::string_view id) {
  w.BeginBlock(header, "TCustomTextLabel", "custtextlbl", id);
  w.EmptyElement("posxy", TXMLAttributes().AddFloat("x", l.X).AddFloat("y", l.Y));
  w.ContentElement("caption", l.Caption);
  w.EmptyElement("colors", TXMLAttributes()
                               .AddColor("brd", l.Border)
                               .AddColor("bg", l.Background)
                               .AddColor("shdw", l.Shadow));
  w.EmptyElement("shadowofs", TXMLAttributes().AddInt("dx", l.Dx).AddInt("dy", l.Dy));
  w.EmptyElement("layer", TXMLAttributes().AddInt("val", l.Layer));
  w.EmptyElement("transparent", TXMLAttributes().AddBool("val", l.Transparent));
  w.EmptyElement("visible", TXMLAttributes().AddBool("val", l.Visible));
  w.EmptyElement("alignment", TXMLAttributes()
                                  .AddEnum("horiz", l.Horiz, xmlAlignment)
                                  .AddEnum("vert", l.Vert, xmlVerticalAlignment));
  w.EmptyElement("attachmode", TXMLAttributes().AddEnum("val", l.Attach, xmlTxtLblAttachMode));
  w.EmptyElement("font", TXMLAttributes()
                             .AddText("name", l.FontName)
                             .AddInt("size", l.Size)
                             .AddColor("color", l.Color)
                             .AddSet("style", l.Style, xmlFontStyle));
  w.EmptyElement("style", TXMLAttributes().AddEnum("val", l.Mode, xmlTxtLblMode));
  w.EndBlock();
}

const std::vector<std::string> kLabelChildren{"posxy",       "colors",  "shadowofs", "layer",
                                              "transparent", "visible", "alignment", "attachmode",
                                              "font",        "style",   "caption"};

// Finds and reads a label block; false when it is missing or incomplete.
template <class In>
bool ReadLabel(In& in, std::string_view id, TLabel& l) {
  std::string root;
  if (!FindXMLBlock(in, "custtextlbl", id, root)) return false;
  return ReadXMLBlockElements(
      in, "custtextlbl", kLabelChildren,
      [&](int32_t ix, const std::string& c, const std::string& a) {
        auto v = [&](const char* name) { return ScanForXMLAttrib(a, name); };
        switch (ix) {
          case 0:
            l.X = ScanXMLFloat(v("x")), l.Y = ScanXMLFloat(v("y"));
            break;
          case 1:
            l.Border = ScanXMLColor(v("brd")), l.Background = ScanXMLColor(v("bg")),
            l.Shadow = ScanXMLColor(v("shdw"));
            break;
          case 2:
            l.Dx = ScanXMLInt(v("dx")), l.Dy = ScanXMLInt(v("dy"));
            break;
          case 3:
            l.Layer = ScanXMLInt(v("val"));
            break;
          case 4:
            l.Transparent = ScanXMLBool(v("val"));
            break;
          case 5:
            l.Visible = ScanXMLBool(v("val"));
            break;
          case 6:
            ScanXMLEnum(v("horiz"), xmlAlignment, l.Horiz),
                ScanXMLEnum(v("vert"), xmlVerticalAlignment, l.Vert);
            break;
          case 7:
            ScanXMLEnum(v("val"), xmlTxtLblAttachMode, l.Attach);
            break;
          case 8:
            l.FontName = v("name"), l.Size = ScanXMLInt(v("size")),
            l.Color = ScanXMLColor(v("color")), l.Style = ScanXMLSet(v("style"), xmlFontStyle);
            break;
          case 9:
            ScanXMLEnum(v("val"), xmlTxtLblMode, l.Mode);
            break;
          case 10:
            l.Caption = c;
            break;
        }
      });
}

std::string LabelText(const TLabel& l, bool header, std::string_view id, int32_t indent) {
  TStringStream s;
  WriteLabel(TXMLBlockWriter(s, indent), l, header, id);
  return s.DataString();
}

TEST(XmlBlocks, WritesTheFormatByteForByte) {
  EXPECT_EQ(LabelText(kExample, false, "lbl1", 2),
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
            "  </custtextlbl>\r\n");
  for (const int32_t indent : {0, 1, -5, 300}) {
    const std::string text = LabelText(kExample, true, "", indent);
    const std::string blanks(std::clamp(indent, 1, 255), ' ');
    EXPECT_TRUE(text.starts_with(blanks + "<?xml version=\"1.0\"?>\r\n\r\n" + blanks + "<!--"))
        << "indent=" << indent;
    EXPECT_TRUE(text.ends_with("\r\n" + blanks + "</custtextlbl>\r\n")) << "indent=" << indent;
  }
  TStringStream whole;
  TXMLBlockWriter w(whole);
  w.BeginBlock(true, "T", "r", "i", "k=\"v\"");
  w.EndBlock();
  EXPECT_EQ(whole.DataString(),
            "<?xml version=\"1.0\"?>\r\n\r\n<!-- T / Nuvkit -->\r\n"
            "<r sig=\"Nuvkit\" vers=\"1.0\" id=\"i\" k=\"v\">\r\n</r>\r\n");
}

TEST(XmlBlocks, FindsBlocksByIdAndReadsThemBack) {
  std::vector<TLabel> labels(60, kExample);
  std::string text = LabelText(kExample, true, "", 2);  // the first block has no id
  for (std::size_t i = 0; i < labels.size(); ++i) {
    labels[i].X = 1.0 / (i + 3);
    labels[i].Caption = "label " + std::to_string(i) + " \xE4\xFF";
    labels[i].Style = static_cast<uint32_t>(i % 16);
    labels[i].Mode = static_cast<TTxtLblMode>(i % 5);
    text +=
        LabelText(labels[i], false, i % 2 ? "L" + std::to_string(i) : "l" + std::to_string(i), 2);
  }
  ForBothInputs(text, [&](auto& in, const char* kind) {
    TLabel l;
    for (std::size_t i = 1; i < labels.size(); i += 7) {
      EXPECT_TRUE(ReadLabel(in, " l" + std::to_string(i) + " ", l)) << kind << " i=" << i;
      EXPECT_EQ(l, labels[i]) << kind << " i=" << i;
    }
    EXPECT_FALSE(ReadLabel(in, "l3", l)) << kind << ": only forward";
  });
  ForBothInputs(text, [&](auto& in, const char* kind) {
    TLabel l;
    EXPECT_TRUE(ReadLabel(in, "", l)) << kind;
    EXPECT_EQ(l, kExample) << kind << ": an empty id takes the first block";
    EXPECT_TRUE(ReadLabel(in, "", l)) << kind;
    EXPECT_EQ(l, labels[0]) << kind << ": and then the next";
  });
}

// Each damaged block "a" is followed by an intact block "z", which must
// read after it and, from the start, despite it.
TEST(XmlBlocks, DamagedBlocksFailAndSpareTheNext) {
  const std::string head = "<!-- x -->\r\n<custtextlbl sig=\"Nuvkit\" vers=\"1.0\" id=\"a\">\r\n";
  const std::string end = "</custtextlbl>\r\n";
  const std::string layer = "<layer val=7 />";
  const struct {
    const char* what;
    std::string block;
    bool found, complete;
    int32_t layer;  // as read from "a"
  } cases[] = {
      {"wrong signature", "<custtextlbl sig=\"Other\" id=\"a\">" + end, false, false, 0},
      {"wrong version", "<custtextlbl sig=\"Nuvkit\" vers=\"2.0\" id=\"a\">" + end, false, false,
       0},
      {"longer root name", "<custtextlblx sig=\"Nuvkit\" id=\"a\">" + end, false, false, 0},
      {"root not first on its line", "<x><custtextlbl sig=\"Nuvkit\" id=\"a\">" + end, false, false,
       0},
      {"no version, header before",
       "<?xml?><custtextlbl sig=\"Nuvkit\" id=\"a\">\r\n" + layer + end, true, true, 7},
      {"unknown tags", head + "<odd x=1 /><new>t</new></odd>\r\n" + layer + end, true, true, 7},
      {"stray end tag", head + "</odd>" + layer + end, true, true, 7},
      {"unclosed caption", head + "<caption>Peak\r\n" + layer + end, true, false, 0},
      {"unclosed unknown tag", head + "<odd>\r\n" + end, true, false, 0},
      {"caption holding the root end", head + "<caption>a</custtextlbl>b</caption>" + end, true,
       false, 0},
      {"caption holding its end tag", head + "<caption>a</caption>b</caption>" + layer + end, true,
       true, 7},
      {"quote in attribute", head + "<font name=\"Ar\"ial\" size=7 />" + layer + end, true, true,
       7},
      {"angle bracket in attribute", head + "<font name=\"a>b\" size=7 />" + layer + end, true,
       false, 0},
      {"very long line",
       head + "<caption>" + std::string(1 << 20, '\xE9') + "</caption>" + layer + end, true, true,
       7},
      {"duplicated attribute", head + "<layer val=7 val=8 />" + end, true, true, 7},
      {"missing attribute", head + "<layer value=7 />" + end, true, true, 0},
      {"truncated inside a tag", head + layer + "\r\n<capt", true, false, 7},
  };
  for (const auto& c : cases) {
    TLabel z = kExample;
    z.Caption = c.what;
    const std::string text = c.block + LabelText(z, false, "z", 2);
    ForBothInputs(text, [&](auto& in, const char* kind) {
      std::string root;
      ASSERT_EQ(FindXMLBlock(in, "custtextlbl", "a", root), c.found) << c.what << ", " << kind;
      if (!c.found) return;
      int32_t read = 0;
      EXPECT_EQ(ReadXMLBlockElements(in, "custtextlbl", kLabelChildren,
                                     [&](int32_t ix, const std::string&, const std::string& a) {
                                       if (ix == 3) read = ScanXMLInt(ScanForXMLAttrib(a, "val"));
                                     }),
                c.complete)
          << c.what << ", " << kind;
      EXPECT_EQ(read, c.layer) << c.what << ", " << kind;
      TLabel l;
      if (c.block.ends_with(end)) {
        EXPECT_TRUE(ReadLabel(in, "z", l) && l == z) << c.what << ", " << kind;
      }
    });
    ForBothInputs(text, [&](auto& in, const char* kind) {
      TLabel l;
      EXPECT_TRUE(ReadLabel(in, "z", l) && l == z) << c.what << ", " << kind << ", from the start";
    });
  }
  TStringStream cut(head + layer);
  std::string root;
  EXPECT_TRUE(FindXMLBlock(cut, "custtextlbl", "a", root));
  EXPECT_FALSE(ReadXMLBlockElements(cut, "custtextlbl", kLabelChildren, nullptr))
      << "ends inside the block";

  TLabel damaged = kExample, z = kExample, l;
  damaged.Caption = "a\"b</caption></custtextlbl><custtextlbl sig=\"Nuvkit\" id=\"z\">";
  damaged.FontName = "q\"x>y";
  TStringStream s(LabelText(damaged, false, "a\"b>", 1) + LabelText(z, false, "z", 1));
  EXPECT_TRUE(ReadLabel(s, "z", l)) << "unescaped values before the block";
  EXPECT_EQ(l, z);
}

TEST(XmlBlocks, DuplicatedIdsReadInTurnAndAreReplacedTogether) {
  TLabel second = kExample;
  second.Caption = "second";
  const std::string text = LabelText(kExample, false, "d", 2) + LabelText(second, false, "D", 2);
  ForBothInputs(text, [&](auto& in, const char* kind) {
    TLabel l;
    EXPECT_TRUE(ReadLabel(in, "d", l) && l == kExample) << kind;
    EXPECT_TRUE(ReadLabel(in, "d", l) && l == second) << kind;
  });
  TempDir dir;
  const std::string name = dir.File("d.xml");
  WriteRawFile(name, text);
  ASSERT_TRUE(StoreXMLBlockInFile(name, "custtextlbl", "d", [&](TextFile& F, bool header) {
    WriteLabel(TXMLBlockWriter(F, 2), second, header, "d");
  }));
  EXPECT_EQ(ReadRawFile(name), LabelText(second, false, "d", 2));
  TLabel l;
  EXPECT_TRUE(LoadXMLFile(name, [&](TextFile& F) { return ReadLabel(F, "d", l); }));
  EXPECT_EQ(l, second);
  EXPECT_FALSE(LoadXMLFile(dir.File("missing.xml"), [](TextFile&) { return true; }));
}

TEST(XmlFiles, SavingReplacesOnlyOnSuccess) {
  TempDir dir;
  const std::string name = dir.File("labels.xml");
  const auto labelA = [](TextFile& F, bool header) {
    WriteLabel(TXMLBlockWriter(F, 2), kExample, header, "a");
  };
  ASSERT_TRUE(StoreXMLBlockInFile(name, "custtextlbl", "a", labelA));
  EXPECT_EQ(ReadRawFile(name), LabelText(kExample, true, "a", 2)) << "a new file gets the header";
  const std::string other = "\r\n<other sig=\"Nuvkit\" id=\"a\">x\ry</other>\n";
  WriteRawFile(name, ReadRawFile(name) + other + LabelText(kExample, false, "b", 2));
  TLabel changed = kExample;
  changed.Caption = "changed";
  ASSERT_TRUE(StoreXMLBlockInFile(name, "CUSTTEXTLBL", " A ", [&](TextFile& F, bool header) {
    WriteLabel(TXMLBlockWriter(F, 2), changed, header, "a");
  }));
  EXPECT_EQ(ReadRawFile(name), "  <?xml version=\"1.0\"?>\r\n" + other +
                                   LabelText(kExample, false, "b", 2) +
                                   LabelText(changed, false, "a", 2))
      << "other blocks keep every byte";

  const std::string before = ReadRawFile(name);
  const auto failing = [](TextFile& F) {
    F.WriteLn("partial");
    throw EConvertError("writer failed");
  };
  EXPECT_THROW(SaveXMLFile(name, failing), EConvertError);
  EXPECT_THROW(
      StoreXMLBlockInFile(name, "custtextlbl", "b", [&](TextFile& F, bool) { failing(F); }),
      EConvertError);
  const std::string cut = "<custtextlbl sig=\"Nuvkit\" id=\"a\">\r\n<layer val=1 />\r\n";
  WriteRawFile(dir.File("cut.xml"), cut);
  EXPECT_FALSE(StoreXMLBlockInFile(dir.File("cut.xml"), "custtextlbl", "a", labelA))
      << "a block to replace without its end";
  EXPECT_EQ(ReadRawFile(dir.File("cut.xml")), cut);
  FileSetAttr(name, faReadOnly);
  EXPECT_THROW(SaveXMLFile(name, [](TextFile& F) { F.WriteLn("x"); }), EInOutError);
  EXPECT_EQ(ReadRawFile(name), before);
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 2) << "no temporary file left";
}

}  // namespace
}  // namespace nuv
