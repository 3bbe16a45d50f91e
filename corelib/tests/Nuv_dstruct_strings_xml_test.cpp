// The XML block of TStringArray: its layout, texts of every byte through
// streams and files, and blocks a reader must refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileFixtures.h"
#include "Nuv_dstruct_internal.h"
#include "TempDir.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_streams.h"

namespace nuv {
namespace {

using testing::ReadRawFile;
using testing::TempDir;
using testing::WriteRawFile;

std::vector<std::string> Snapshot(const TStringArray& a) {
  std::vector<std::string> s{std::to_string(a.NrOfColumns()) + "x" + std::to_string(a.NrOfRows())};
  for (int32_t c = 1; c <= a.NrOfColumns(); ++c)
    s.push_back("col " + std::to_string(a.ColAttrib(c)));
  for (int32_t r = 1; r <= a.NrOfRows(); ++r) {
    s.push_back("row " + std::to_string(a.RowAttrib(r)));
    for (int32_t c = 0; c <= a.NrOfColumns(); ++c) s.push_back(a.Elem(c, r));
  }
  return s;
}

// A small table of distinct texts.
void Label(TStringArray& a) {
  ASSERT_TRUE(a.Resize(2, 3));
  for (int32_t r = 1; r <= 3; ++r)
    for (int32_t c = 0; c <= 2; ++c) a.SetElem(c, r, std::to_string(10 * c + r));
  a.SetColAttrib(1, 4);
}

std::string BlockOf(const TStringArray& a, bool header, std::string_view id) {
  TStringStream s;
  a.WriteToOpenXMLFile(s, header, id);
  return s.DataString();
}

TEST(StringArrayXml, TheBlockLayout) {
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(2, 3));
  a.SetElem(0, 1, "Label & \"more\"");
  a.SetElem(2, 1, "x<y");
  a.SetRowAttrib(1, 5);
  a.SetRowAttrib(2, 7);
  a.SetElem(1, 3, "a\r\nb");
  a.SetColAttrib(2, 9);
  EXPECT_EQ(BlockOf(a, false, "tab1"),
            "\r\n<!-- TStringArray / Nuvkit -->\r\n"
            "<strarray sig=\"Nuvkit\" vers=\"1.0\" id=\"tab1\">\r\n"
            "  <numcols val=2 attrib=\"0 9\" />\r\n"
            "  <numrows val=3 />\r\n"
            "  <cell c=0 r=1 ra=5>Label &amp; &quot;more&quot;</cell>\r\n"
            "  <cell c=2 r=1>x&lt;y</cell>\r\n"
            "  <cell c=0 r=2 ra=7></cell>\r\n"
            "  <cell c=1 r=3>a&#13;&#10;b</cell>\r\n"
            "</strarray>\r\n");
}

TEST(StringArrayXml, TextEncodingCoversEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string encoded = detail::EncodeXMLText(all);
  for (const char c : encoded) {
    const auto b = static_cast<uint8_t>(c);
    EXPECT_TRUE(b >= 32 && b != 127 && c != '<' && c != '>' && c != '"') << int{b};
  }
  EXPECT_EQ(detail::DecodeXMLText(encoded), all);
  const struct {
    const char* text;
    const char* want;
  } lenient[] = {
      {"a & b", "a & b"},     {"&foo;", "&foo;"},    {"&#256;", "&#256;"},
      {"&#65", "&#65"},       {"&#-5;", "&#-5;"},    {"&#x41;", "&#x41;"},
      {"&amp;amp;", "&amp;"}, {"&#65;&#066;", "AB"}, {"&", "&"},
  };
  for (const auto& c : lenient) EXPECT_EQ(detail::DecodeXMLText(c.text), c.want) << c.text;
}

// A table whose texts hold every byte, the markup of the block itself,
// line ends and blanks at either end.
void Varied(TStringArray& a) {
  ASSERT_TRUE(a.Resize(4, 6));
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  a.SetElem(0, 1, all.substr(0, 128));
  a.SetElem(1, 1, all.substr(128));
  a.SetElem(2, 2, "</cell></strarray><strarray sig=\"Nuvkit\" id=\"x\">");
  a.SetElem(3, 2, "  blanks at both ends  ");
  a.SetElem(4, 3, "line\r\nend\rand\nmore\x1a");
  a.SetElem(1, 4, std::string(255, '"'));
  a.SetElem(2, 5, "&amp; stays &amp;");
  a.SetRowAttrib(6, 255);
  a.SetRowAttrib(2, 1);
  a.SetColAttrib(4, 200);
  a.Sort(1, 0, false);  // written as shown, read back in that order
}

TEST(StringArrayXml, RoundTripsThroughStreamsOpenFilesAndWholeFiles) {
  TStringArray a(nullptr), b(nullptr);
  Varied(a);
  Label(b);
  TempDir dir;
  const std::string text = BlockOf(a, true, "A") + BlockOf(b, false, "B");
  WriteRawFile(dir.File("two.xml"), text);

  TStringStream stream(text);
  TStringArray fromB(nullptr), fromA(nullptr);
  ASSERT_TRUE(fromB.ReadFromOpenXMLFile(stream, "b"));
  EXPECT_EQ(Snapshot(fromB), Snapshot(b));
  TStringStream again(text);
  ASSERT_TRUE(fromA.ReadFromOpenXMLFile(again, ""));
  EXPECT_EQ(Snapshot(fromA), Snapshot(a));
  EXPECT_EQ(fromA.SortOrder(1), 1) << "read in the order written";

  TextFile f(dir.File("two.xml"));
  f.Reset();
  TStringArray fromFile(nullptr);
  ASSERT_TRUE(fromFile.ReadFromOpenXMLFile(f, "A"));
  EXPECT_EQ(Snapshot(fromFile), Snapshot(a));
  ASSERT_TRUE(fromFile.ReadFromOpenXMLFile(f, ""));
  EXPECT_EQ(Snapshot(fromFile), Snapshot(b)) << "the file stands behind the first block";
  EXPECT_FALSE(fromFile.ReadFromOpenXMLFile(f, ""));
  f.Close();

  TextFile out(dir.File("open.xml"));
  out.Rewrite();
  a.WriteToOpenXMLFile(out, true, "first");
  b.WriteToOpenXMLFile(out, false, "second");
  out.Close();
  EXPECT_EQ(ReadRawFile(dir.File("open.xml")),
            BlockOf(a, true, "first") + BlockOf(b, false, "second"));

  const std::string name = dir.File("whole.xml");
  a.SaveAsXMLFile(name, "W");
  EXPECT_EQ(ReadRawFile(name), BlockOf(a, true, "W"));
  TStringArray loaded(nullptr);
  int events = 0;
  loaded.OnChange = [&](TObject*) { ++events; };
  ASSERT_TRUE(loaded.LoadFromXMLFile(name, "w"));
  EXPECT_EQ(Snapshot(loaded), Snapshot(a));
  EXPECT_EQ(events, 1);
  EXPECT_FALSE(loaded.LoadFromXMLFile(name, "other"));
  EXPECT_FALSE(loaded.LoadFromXMLFile(dir.File("missing.xml"), ""));
  EXPECT_EQ(events, 1);
}

TEST(StringArrayXml, MissingCellsAndUnknownElementsReadAsEmpty) {
  TStringStream s(
      "<strarray sig=\"Nuvkit\" id=\"\">\n"
      "<numrows val=3 />\n<extra val=1 />\n"
      "<numcols val=2 attrib=\" 1  2 \" unknown=5 />\n"
      "<cell r=2 c=1 more=\"x\">b</cell>\n"
      "<cell c=2 r=3 ra=0>c</cell>\n"
      "</strarray>\n");
  TStringArray a(nullptr);
  a.Fill("old");
  ASSERT_TRUE(a.ReadFromOpenXMLFile(s, ""));
  EXPECT_EQ(Snapshot(a), (std::vector<std::string>{"2x3", "col 1", "col 2", "row 0", "", "", "",
                                                   "row 0", "", "b", "", "row 0", "", "", "c"}));
}

TEST(StringArrayXml, InconsistentBlocksLeaveTheTableAsItWas) {
  const struct {
    const char* what;
    const char* body;
  } cases[] = {
      {"no row count", "<numcols val=2 />"},
      {"no column count", "<numrows val=2 />"},
      {"no columns", "<numcols val=0 /><numrows val=2 />"},
      {"negative rows", "<numcols val=1 /><numrows val=-1 />"},
      {"count twice", "<numcols val=1 /><numrows val=2 /><numrows val=3 />"},
      {"count not a number", "<numcols val=1x /><numrows val=2 />"},
      {"column beyond", "<numcols val=1 /><numrows val=2 /><cell c=2 r=1>x</cell>"},
      {"row beyond", "<numcols val=1 /><numrows val=2 /><cell c=1 r=3>x</cell>"},
      {"row 0", "<numcols val=1 /><numrows val=2 /><cell c=1 r=0>x</cell>"},
      {"column missing", "<numcols val=1 /><numrows val=2 /><cell r=1>x</cell>"},
      {"index not a number", "<numcols val=1 /><numrows val=2 /><cell c=1 r=1.5>x</cell>"},
      {"index overflows", "<numcols val=1 /><numrows val=2 /><cell c=1 r=99999999999>x</cell>"},
      {"cell twice",
       "<numcols val=1 /><numrows val=2 /><cell c=1 r=1>x</cell><cell c=1 r=1>y</cell>"},
      {"row attribute beyond a byte",
       "<numcols val=1 /><numrows val=2 /><cell c=1 r=1 ra=256>x</cell>"},
      {"column attributes short", "<numcols val=2 attrib=\"1\" /><numrows val=2 />"},
      {"column attribute not a byte", "<numcols val=1 attrib=\"-1\" /><numrows val=2 />"},
      {"rows beyond memory", "<numcols val=2 /><numrows val=2147483647 />"},
  };
  TStringArray a(nullptr);
  Label(a);
  const std::vector<std::string> before = Snapshot(a);
  int events = 0;
  a.OnChange = [&](TObject*) { ++events; };
  for (const auto& c : cases) {
    TStringStream s(std::string("<strarray sig=\"Nuvkit\" id=\"t\">\n") + c.body +
                    "\n</strarray>\n");
    EXPECT_FALSE(a.ReadFromOpenXMLFile(s, "t")) << c.what;
    EXPECT_EQ(Snapshot(a), before) << c.what;
  }
  TStringStream cut("<strarray sig=\"Nuvkit\" id=\"t\">\n<numcols val=1 />\n<numrows val=1 />\n");
  EXPECT_FALSE(a.ReadFromOpenXMLFile(cut, "t")) << "no end tag";
  TStringStream open(
      "<strarray sig=\"Nuvkit\" id=\"t\">\n<numcols val=1 />\n<numrows val=1 />\n"
      "<cell c=1 r=1>never closed\n</strarray>\n");
  EXPECT_FALSE(a.ReadFromOpenXMLFile(open, "t")) << "a cell without its end tag";
  EXPECT_EQ(Snapshot(a), before);
  EXPECT_EQ(events, 0);
}

}  // namespace
}  // namespace nuv
