#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "FileFixtures.h"
#include "Nuv_datatable_test.h"
#include "TempDir.h"
#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_streams.h"
#include "nuv/platform/Clipbrd.h"
#include "nuv/platform/Streams.h"

namespace nuv {
namespace {

using testing::FillTagged;
using testing::Picture;
using testing::ReadRawFile;
using testing::TempDir;
using testing::WriteRawFile;

// ---------------------------------------------------------------------------
// ASC

TEST(TDataTableFiles, AscTextAndHeader) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetComment("two \"by\" two");
  t.SetColName(1, "len \"mm\"");
  t.SetRowName(2, "");
  t.SetRowAttrib(1, 7);
  t.SetElem(1, 1, 1.25);
  t.SetElem(2, 1, -3);
  t.SetElem(1, 2, 1e-7);
  t.SetElem(2, 2, std::numeric_limits<double>::quiet_NaN());
  TStringStream s;
  t.ExportAsASC(s, 2);
  EXPECT_EQ(s.DataString(),
            "two \"by\" two\r\n"
            "2\t;nr. of columns\r\n"
            "2\t;nr. of rows\r\n"
            "TRUE TRUE TRUE\t;row attributes, column names, row names\r\n"
            "\"len \"\"mm\"\"\"\t\"C-2\"\r\n"
            "7\t\"R-1\"\t1.25\t-3.00\r\n"
            "0\t\"\"\t0.00\tNAN\r\n");

  TempDir dir;
  t.ExportAsASC(dir.File("t.asc"), -1);
  std::string comment;
  int32_t cols = 0, rows = 0;
  bool f1 = false, f2 = false, f3 = false, f4 = true;
  EXPECT_EQ(ReadHeaderOfASC(dir.File("t.asc"), comment, cols, rows, f1, f2, f3, f4), 0);
  EXPECT_EQ(comment, t.Comment());
  EXPECT_EQ(cols, 2);
  EXPECT_EQ(rows, 2);
  EXPECT_TRUE(f1 && f2 && f3);
  EXPECT_FALSE(f4);
  EXPECT_THROW(t.ExportAsASC(dir.File("no/such/dir.asc"), 2), EInOutError);
}

TEST(TDataTableFiles, AscRoundTrip) {
  TDataTable t(nullptr), back(nullptr);
  FillTagged(t, 3, 4);
  t.SetElem(2, 3, 1.0 / 3);
  t.SetElem(3, 1, -2.5e-300);
  t.SetColName(2, "a \"quoted\" name");
  t.SetRowName(4, "");
  t.SetComment("round trip");
  t.SetAllCellStates(0);
  for (int32_t c = 1; c <= 3; ++c) t.SetColAttrib(c, 0);  // not part of the file
  TempDir dir;
  t.ExportAsASC(dir.File("t.asc"), -1);
  back.SetMScaleType(1, stNominal);
  testing::TEventLog log(back);
  EXPECT_EQ(back.ImportASC(dir.File("t.asc")), 0);
  EXPECT_EQ(log.Take(), "Resize(1x1>3x4) Change CellState Attrib Names Setup");
  EXPECT_EQ(Picture(back), Picture(t));
  EXPECT_EQ(back.Comment(), "round trip");

  // The clipboard and streams carry the same text.
  TStringStream s;
  t.ExportAsASC(s, -1);
  Clipboard().SetAsText(s.DataString());
  TDataTable fromClipboard(nullptr);
  EXPECT_EQ(fromClipboard.ImportASC(Clipboard()), 0);
  EXPECT_EQ(Picture(fromClipboard), Picture(t));
  Clipboard().Clear();
}

TEST(TDataTableFiles, AscOfTheCurveFitReads) {
  // Two columns with unquoted names, no attributes and no row names.
  TStringStream s(
      "Exported by NUV TCurveFit component: fit.asc\r\n"
      "2\t;nr. of columns\r\n3\t;nr. of rows\r\n"
      "FALSE TRUE FALSE\t;row attributes, column names, row names\r\n"
      "x   y\r\n1.0\t3.0\r\n2.0\t5.0\r\n3.0\t7.0\r\n");
  TDataTable t(nullptr);
  ASSERT_EQ(t.ImportASC(s), 0);
  EXPECT_EQ(Picture(t), (std::vector<std::string>{"x/0/Interval y/0/Interval", "R-1/0: 1/0 3/0",
                                                  "R-2/0: 2/0 5/0", "R-3/0: 3/0 7/0"}));
}

TEST(TDataTableFiles, AscErrorsLeaveTheTable) {
  const std::string header = "c\r\n2\r\n2\r\nTRUE TRUE TRUE\r\n\"a\" \"b\"\r\n";
  struct TCase {
    const char* what;
    std::string text;
    int32_t code;
  };
  const TCase cases[] = {
      {"flags", "c\r\n2\r\n2\r\nTRUE FALSE maybe\r\n", ascBadFlags},
      {"cut header", "c\r\n2\r\n", ascHeaderCut},
      {"fourth flag", "c\r\n2\r\n2\r\nTRUE TRUE TRUE TRUE\r\n", ascUnknownFlag},
      {"no columns", "c\r\n0\r\n2\r\nTRUE TRUE TRUE\r\n", ascTooLarge},
      {"negative rows", "c\r\n2\r\n-2\r\nTRUE TRUE TRUE\r\n", ascBadRowCount},
      {"attribute too large", header + "300 \"r\" 1 2\r\n1 \"s\" 3 4\r\n", ascBadAttribute},
      {"attribute not a number", header + "x \"r\" 1 2\r\n1 \"s\" 3 4\r\n", ascBadAttribute},
      {"value missing", header + "1 \"r\" 1 2\r\n1 \"s\" 3\r\n", ascBadValue},
      {"value not a number", header + "1 \"r\" 1 2\r\n1 \"s\" 3 4x\r\n", ascBadValue},
      {"names missing", "c\r\n2\r\n2\r\nFALSE TRUE FALSE\r\n\"a\"", ascBadValue},
  };
  for (const TCase& c : cases) {
    TDataTable t(nullptr);
    FillTagged(t, 2, 2);
    const auto before = Picture(t);
    TStringStream s(c.text);
    EXPECT_EQ(t.ImportASC(s), c.code) << c.what;
    EXPECT_EQ(Picture(t), before) << c.what;
  }
  TDataTable t(nullptr);
  TempDir dir;
  EXPECT_THROW(t.ImportASC(dir.File("missing.asc")), EInOutError);
}

TEST(TDataTableFiles, ReadFromAscIntoAPlace) {
  TStringStream source(
      "c\r\n2\r\n2\r\nFALSE TRUE TRUE\r\n\"p\"\t\"q\"\r\n\"u\"\t1\t2\r\n\"v\"\t3\t4\r\n");
  struct TCase {
    int32_t col, row;
    bool grow;
    std::vector<std::string> picture;
  };
  const TCase cases[] = {
      {2, 2, false, {"C-1/0/Interval p/0/Interval", "R-1/0: 0/0 0/0", "u/0: 0/0 1/0"}},
      {2,
       2,
       true,
       {"C-1/0/Interval p/0/Interval q/0/Interval", "R-1/0: 0/0 0/0 0/0", "u/0: 0/0 1/0 2/0",
        "v/0: 0/0 3/0 4/0"}},
      {-4, 0, false, {"p/0/Interval q/0/Interval", "u/0: 1/0 2/0", "v/0: 3/0 4/0"}},
  };
  for (const TCase& c : cases) {
    TDataTable t(nullptr);
    t.Resize(2, 2);
    source.SetPosition(0);
    EXPECT_EQ(t.ReadFromASC(source, c.col, c.row, c.grow), 0) << c.col << "," << c.row;
    EXPECT_EQ(Picture(t), c.picture) << c.col << "," << c.row << " grow " << c.grow;
  }
}

// ---------------------------------------------------------------------------
// CSV

TEST(TDataTableFiles, CsvExport) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetColName(1, "a;b");
  t.SetColName(2, " c");
  t.SetRowName(1, "x");
  t.SetRowName(2, "y \"z\"");
  t.SetRowAttrib(2, 5);
  t.SetElem(1, 1, 0.5);
  t.SetElem(2, 1, 2);
  t.SetElem(1, 2, -1);
  t.SetIsEmpty(2, 2, true);
  TempDir dir;
  struct TCase {
    TCSVDelimiters d;
    bool colNames, rowNames, attribs, blank;
    const char* text;
  };
  const TCase cases[] = {
      {csvSemicolon, true, true, false, false,
       ";\"a;b\";\" c\"\r\nx;0.5;2.0\r\n\"y \"\"z\"\"\";-1.0;0.0\r\n"},
      {csvComma, false, false, true, true, "0,0.5,2.0\r\n5,-1.0,\r\n"},
      {csvUnknown, true, false, false, false, "a;b,\" c\"\r\n0.5,2.0\r\n-1.0,0.0\r\n"},
      {csvTab, false, true, true, true, "x\t0\t0.5\t2.0\r\n\"y \"\"z\"\"\"\t5\t-1.0\t\r\n"},
  };
  for (const TCase& c : cases) {
    const std::string name = dir.File("t.csv");
    t.ExportAsCSV(name, 1, c.d, c.colNames, c.rowNames, c.attribs, c.blank);
    EXPECT_EQ(ReadRawFile(name), c.text) << "delimiter " << int(c.d);
  }
  t.ExportAsCSV(dir.File("short.csv"), 0, csvColon, false, false);
  EXPECT_EQ(ReadRawFile(dir.File("short.csv")), "1:2\r\n-1:0\r\n");
}

TEST(TDataTableFiles, CsvImport) {
  TempDir dir;
  const std::string name = dir.File("in.csv");
  struct TCase {
    const char* what;
    std::string text;
    TCSVDelimiters d;
    bool colNames, rowNames;
    std::vector<std::string> picture;
  };
  const TCase cases[] = {
      {"names, quoted fields, empty cells",
       "id,\"len, mm\",w\nA,1.5,\n\"B \"\"2\"\"\",,4\n",
       csvComma,
       true,
       true,
       {"len, mm/0/Interval w/0/Interval", "A/0: 1.5/0 0/2", "B \"2\"/0: 0/2 4/0"}},
      {"guessed semicolons with decimal commas",
       "1,5;2\r\n\r\n3;4,25\r\n",
       csvUnknown,
       false,
       false,
       {"C-1/0/Interval C-2/0/Interval", "R-1/0: 1.5/0 2/0", "R-2/0: 3/0 4.25/0"}},
      {"ragged rows and missing names",
       "a\n1\t2\t3\n4\n",
       csvTab,
       true,
       false,
       {"a/0/Interval C-2/0/Interval C-3/0/Interval", "R-1/0: 1/0 2/0 3/0", "R-2/0: 4/0 0/2 0/2"}},
      {"line break inside quotes",
       "\"two\nlines\";7\n",
       csvSemicolon,
       false,
       true,
       {"C-1/0/Interval", "two\nlines/0: 7/0"}},
      {"blanks inside quotes kept, outside dropped",
       "  \" a \" ,b , \" \"\n \"  r\"x ,1,2\n",
       csvComma,
       true,
       true,
       {"b/0/Interval  /0/Interval", "  rx/0: 1/0 2/0"}},
  };
  for (const TCase& c : cases) {
    WriteRawFile(name, c.text);
    TDataTable t(nullptr);
    EXPECT_EQ(t.ImportFromCSV(name, c.d, c.colNames, c.rowNames), 0) << c.what;
    EXPECT_EQ(Picture(t), c.picture) << c.what;
  }

  struct TBad {
    const char* text;
    int32_t code;
  };
  const TBad bad[] = {{"", csvNoData},
                      {"a,b\n", csvNoData},
                      {"1,x\n", csvBadNumber},
                      {"1,2\n3,1.2.3\n", csvBadNumber}};
  for (const TBad& b : bad) {
    WriteRawFile(name, b.text);
    TDataTable t(nullptr);
    FillTagged(t, 2, 2);
    const auto before = Picture(t);
    EXPECT_EQ(t.ImportFromCSV(name, csvComma, std::string(b.text) == "a,b\n", false), b.code)
        << b.text;
    EXPECT_EQ(Picture(t), before) << b.text;
  }
}

TEST(TDataTableFiles, CsvRoundTripKeepsEmptyCells) {
  TDataTable t(nullptr), back(nullptr);
  t.Resize(3, 2);
  for (int32_t c = 1; c <= 3; ++c)
    for (int32_t r = 1; r <= 2; ++r) t.SetElem(c, r, c / 7.0 - r);
  t.SetIsEmpty(2, 1, true);
  t.SetElem(2, 1, 0);
  t.SetRowName(2, "second; row");
  t.SetRowName(1, " padded ");
  t.SetColName(3, "  ");
  TempDir dir;
  t.ExportAsCSV(dir.File("t.csv"), -1, csvSemicolon, true, true, false, true);
  ASSERT_EQ(back.ImportFromCSV(dir.File("t.csv"), csvSemicolon, true, true), 0);
  EXPECT_EQ(Picture(back), Picture(t));
}

}  // namespace
}  // namespace nuv
