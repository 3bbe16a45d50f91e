#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "TempDir.h"
#include "nuv/Nuv_streams.h"

namespace nuv {
namespace {

using namespace std::string_literals;

std::string HexBytes(const std::string& s) {
  std::string h;
  for (const char c : s) h += IntToHex(static_cast<uint8_t>(c), 2) + " ";
  return h;
}

// The byte the next reader gets, or "EOS".
std::string NextByte(TStream& s) {
  char c;
  return s.Read(&c, 1) == 1 ? std::string(1, c) : "EOS";
}

// ---------------------------------------------------------------------------
// Lines

TEST(ReadLnStream, EveryLineEndMode) {
  const std::string text = "a\rb\nc\n\rd\r\ne";
  const struct {
    int32_t mode;
    std::vector<std::string> lines;  // the last one ends with EOS
  } cases[] = {
      {0, {"ab", "c", "d", "e"}},
      {1, {"a", "bc", "d", "e"}},
      {2, {"a", "b", "c", "", "d", "", "e"}},
      {3, {"abc", "de"}},
      {4, {"abcd", "e"}},
      {9, {"abcde"}},
  };
  for (const auto& c : cases) {
    TStringStream s(text);
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      bool eos = true;
      EXPECT_EQ(ReadLnStream(s, eos, c.mode), c.lines[i]) << "mode=" << c.mode << " line " << i;
      EXPECT_EQ(eos, i + 1 == c.lines.size()) << "mode=" << c.mode << " line " << i;
    }
  }
  TStringStream s("x\ty\x01z");
  bool eos = false;
  EXPECT_EQ(ReadLnStream(s, eos, 0), "x\tyz") << "tabs kept, other control bytes dropped";
  EXPECT_TRUE(eos);
  EXPECT_EQ(ReadLnStream(s, eos, 0), "");
  EXPECT_TRUE(eos);
}

TEST(WriteLnStream, WritesTextWithAndWithoutCRLF) {
  TStringStream s;
  WriteStringStream(s, "ab");
  WriteLnStream(s, "cd");
  WriteLnStream(s, "");
  EXPECT_EQ(s.DataString(), "abcd\r\n\r\n");
}

TEST(ReadStreamUntil, FindsDelimiterAcrossBlocksWithoutRegardToCase) {
  const std::string text = std::string(254, 'x') + "eNd" + "rest";
  TStringStream s(text);
  int32_t status = -5;
  EXPECT_EQ(ReadStreamUntil(s, "END", status), std::string(254, 'x') + "eNd");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(StreamAsString(s), "rest");

  TStringStream t("ab\xC4x");  // Windows-1252 upper-case A umlaut
  EXPECT_EQ(ReadStreamUntil(t, "\xE4", status), "ab\xC4");
  EXPECT_EQ(status, 0);

  TStringStream u(std::string(600, 'y'));
  u.SetPosition(10);
  EXPECT_EQ(ReadStreamUntil(u, "zz", status), std::string(590, 'y')) << "what was read is returned";
  EXPECT_EQ(status, -1);
  EXPECT_EQ(u.Position(), 600);

  TStringStream v("abc");
  EXPECT_EQ(ReadStreamUntil(v, "", status), "");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(v.Position(), 0);
}

TEST(StreamSearch, FindCountAndRest) {
  TStringStream s(std::string(5000, 'a') + "#b\nc\n");
  EXPECT_TRUE(FindInStream(s, '#'));
  EXPECT_EQ(s.Position(), 5001);
  EXPECT_EQ(StreamAsString(s), "b\nc\n");
  s.SetPosition(0);
  EXPECT_FALSE(FindInStream(s, '?'));
  EXPECT_EQ(s.Position(), s.Size());
  s.SetPosition(5001);
  EXPECT_EQ(CountLinesInStream(s), 2);
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_EQ(CountLinesInStream(s), 0);
}

// ---------------------------------------------------------------------------
// Binary numbers

TEST(BinaryNumbers, ExtendedImagesAndRoundTrips) {
  const struct {
    long double x;
    std::string image;
  } images[] = {
      {1.0L, "00 00 00 00 00 00 00 80 FF 3F "},
      {-2.0L, "00 00 00 00 00 00 00 80 00 C0 "},
      {0.0L, "00 00 00 00 00 00 00 00 00 00 "},
      {std::numeric_limits<long double>::infinity(), "00 00 00 00 00 00 00 80 FF 7F "},
  };
  for (const auto& c : images) {
    TStringStream s;
    WriteExtendedToStream(s, c.x);
    EXPECT_EQ(HexBytes(s.DataString()), c.image) << "x=" << static_cast<double>(c.x);
  }
  const long double values[] = {M_PIl, -LDBL_MAX, LDBL_MIN, LDBL_TRUE_MIN, -0.0L, 1e-4000L,
                                std::numeric_limits<long double>::quiet_NaN()};
  for (const long double x : values) {
    TStringStream s;
    WriteExtendedToStream(s, x);
    s.SetPosition(0);
    bool err = true;
    const long double y = ReadExtendedFromStream(s, err);
    EXPECT_FALSE(err);
    EXPECT_EQ(std::memcmp(&x, &y, 10), 0) << "x=" << static_cast<double>(x);
  }
  TStringStream shortStream(std::string(9, '\x01'));
  bool err = false;
  EXPECT_EQ(ReadExtendedFromStream(shortStream, err), 0.0L);
  EXPECT_TRUE(err);
}

TEST(BinaryNumbers, LongintLittleEndianAndShortRead) {
  TStringStream s;
  WriteLongintToStream(s, -2);
  WriteLongintToStream(s, 0x12345678);
  WriteLongintToStream(s, INT32_MIN);
  EXPECT_EQ(HexBytes(s.DataString()), "FE FF FF FF 78 56 34 12 00 00 00 80 ");
  s.SetPosition(0);
  bool err = true;
  const int32_t want[] = {-2, 0x12345678, INT32_MIN};
  for (const int32_t w : want) {
    EXPECT_EQ(ReadLongintFromStream(s, err), w);
    EXPECT_FALSE(err);
  }
  s.SetPosition(10);
  EXPECT_EQ(ReadLongintFromStream(s, err), 0);
  EXPECT_TRUE(err);
}

// ---------------------------------------------------------------------------
// Number scanning

TEST(ScanStreamDecimal, SignsDigitsAndSaturation) {
  const struct {
    const char* text;
    int32_t want;
    const char* next;
  } cases[] = {
      {"  123x7", 123, "7"},    {"-45", -45, "EOS"},        {"+7 8", 7, "8"},
      {"abc", 0, "b"},          {"", 0, "EOS"},             {"- 5", 0, "5"},
      {"99999999999;", INT32_MAX, "EOS"}, {"-99999999999", INT32_MIN, "EOS"},
      {"-2147483648 ", INT32_MIN, "EOS"}, {"2147483647\n1", INT32_MAX, "1"},
  };
  for (const auto& c : cases) {
    TStringStream s(c.text);
    EXPECT_EQ(ScanStreamDecimal(s), c.want) << c.text;
    EXPECT_EQ(NextByte(s), c.next) << c.text;
  }
}

TEST(ScanStreamFPNum, StatesSeparatorsAndClamping) {
  const struct {
    const char* text;
    bool allowExp;
    int32_t sep;
    long double want;
    const char* next;
  } cases[] = {
      {"  -12,5E+2;", true, 3, -1250, ";"},
      {"  -12,5E+2;", true, 1, -12, ","},
      {"5.", true, 1, 5, "EOS"},
      {"\t\r\n.25x", true, 1, 0.25L, "x"},
      {"1.5e3 ", false, 1, 1.5, "e"},
      {"1.5e3 ", true, 1, 1500, " "},
      {"1.5", true, 0, 1, "."},
      {"1.2.3", true, 1, 0, "."},
      {"12EUR", true, 1, 0, "U"},
      {"abc", true, 3, 0, "a"},
      {"-", true, 3, 0, "EOS"},
      {"1e400", true, 1, DBL_MAX, "EOS"},
      {"-1e99999", true, 1, -DBL_MAX, "EOS"},
      {"1E4201", true, 1, DBL_MAX, "EOS"},
      {"1e-99999", true, 1, 0, "EOS"},
      {"0.000e-99999", true, 1, 0, "EOS"},
      {"7e-320", true, 1, 7e-320L, "EOS"},
  };
  for (const auto& c : cases) {
    TStringStream s(c.text);
    const long double got = ScanStreamFPNum(s, c.allowExp, c.sep);
    EXPECT_NEAR(static_cast<double>(got), static_cast<double>(c.want), std::fabs(static_cast<double>(c.want)) * 1e-15)
        << c.text << " sep=" << c.sep;
    EXPECT_EQ(NextByte(s), c.next) << c.text << " sep=" << c.sep;
  }
}

TEST(ScanStreamFPNum, LoopUntilTheEndTerminates) {
  TStringStream s("1 2.5 -3");
  std::vector<double> got;
  for (int guard = 0; s.Position() < s.Size() && guard < 10; ++guard)
    got.push_back(static_cast<double>(ScanStreamFPNum(s, true, 1)));
  EXPECT_EQ(got, (std::vector<double>{1, 2.5, -3}));
}

// ---------------------------------------------------------------------------
// Extraction and replacement

TEST(ExtractFromStream, ElementsOfTheListedTags) {
  TStringStream s(
      "<root>\r\n<!-- <item> in a comment -->\r\n"
      "<Item a=\"x>y\">one<item>nested</item></ITEM>\r\n"
      "<other/><items>no</items>\r\n<item b=1 />\r\n<item>open");
  s.SetPosition(6);
  TMemoryStream target;
  ExtractFromStream(s, target, {"item", "none"});
  EXPECT_EQ(std::string(target.Memory(), static_cast<std::size_t>(target.Size())),
            "<Item a=\"x>y\">one<item>nested</item></ITEM>\r\n<item b=1 />\r\n<item>open\r\n");
}

TEST(SearchAndReplace, OptionsAndCallback) {
  const struct {
    const char* what;
    const char* search;
    uint8_t options;
    bool callback;
    const char* want;
    int32_t count;
  } cases[] = {
      {"all", "cat", 0, false, "dog Cat dogs", 2},
      {"ignore case", "cat", sroIgnoreCase, false, "dog dog dogs", 3},
      {"whole words", "cat", sroWholeWords | sroIgnoreCase, false, "dog dog cats", 2},
      {"first only", "cat", sroFirstOnly | sroIgnoreCase, false, "dog Cat cats", 1},
      {"callback", "cat", sroIgnoreCase, true, "[cat] [Cat] [cat]s", 3},
      {"no match", "cow", 0, false, "cat Cat cats", 0},
      {"empty search", "", 0, false, "cat Cat cats", 0},
  };
  for (const auto& c : cases) {
    TMemoryStream m;
    WriteStringStream(m, "cat Cat cats");
    const TReplaceCallback cb = [](const std::string& found) { return "[" + found + "]"; };
    EXPECT_EQ(SearchAndReplace(m, c.search, "dog", c.options, c.callback ? cb : TReplaceCallback()), c.count)
        << c.what;
    EXPECT_EQ(std::string(m.Memory(), static_cast<std::size_t>(m.Size())), c.want) << c.what;
    EXPECT_EQ(m.Position(), 0) << c.what;
  }
}

// ---------------------------------------------------------------------------
// ASC header

struct THeader {
  int16_t result = 99;
  std::string comment;
  int32_t cols = -1, rows = -1;
  bool f[4] = {};
};

THeader FromStream(TStream& s) {
  THeader h;
  h.result = ReadHeaderOfASC(s, h.comment, h.cols, h.rows, h.f[0], h.f[1], h.f[2], h.f[3]);
  return h;
}

THeader FromFile(const std::string& name) {
  THeader h;
  h.result = ReadHeaderOfASC(name, h.comment, h.cols, h.rows, h.f[0], h.f[1], h.f[2], h.f[3]);
  return h;
}

TEST(ReadHeaderOfASC, LineEndsFlagsAndErrorsFromStreamAndFile) {
  const struct {
    const char* what;
    std::string text;
    int16_t result;
    int32_t cols, rows;
    const char* flags;
  } cases[] = {
      {"CR LF", "my data\r\n3\r\n10\r\nTRUE FALSE true FALSE\r\n1 2 3\r\n", ascOk, 3, 10, "1010"},
      {"LF only", "my data\n3 columns\n10\nfalse TRUE FALSE TRUE\n1 2 3\n", ascOk, 3, 10, "0101"},
      {"CR only", "my data\r3\r10\rTRUE TRUE TRUE\r", ascOk, 3, 10, "1110"},
      {"tabs", "c\n 4\t\n\t5\n\tTRUE\tFALSE\tTRUE\tTRUE", ascOk, 4, 5, "1011"},
      {"fourth word other", "c\n1\n2\nTRUE TRUE TRUE maybe\n", ascOk, 1, 2, "1110"},
      {"third word other", "c\n1\n2\nTRUE FALSE maybe TRUE\n", ascBadFlags, 1, 2, "1000"},
      {"bad column count", "c\nx1\n2\nTRUE TRUE TRUE TRUE\n", ascBadColumnCount, 0, 0, "0000"},
      {"empty column line", "c\n\n2\nTRUE TRUE TRUE TRUE\n", ascBadColumnCount, 0, 0, "0000"},
      {"bad row count", "c\n1\n2.5\nTRUE TRUE TRUE TRUE\n", ascBadRowCount, 1, 0, "0000"},
      {"negative column count", "c\n-2\n2\nTRUE TRUE TRUE\n", ascBadColumnCount, 0, 0, "0000"},
      {"negative row count", "c\n2\n-1\nTRUE TRUE TRUE\n", ascBadRowCount, 2, 0, "0000"},
      {"zero rows", "c\n2\n0\nFALSE TRUE FALSE\n", ascOk, 2, 0, "0100"},
      {"cut after line 3", "c\n1\n2\n", ascHeaderCut, 1, 2, "0000"},
      {"empty", "", ascHeaderCut, 0, 0, "0000"},
      {"binary", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, ascBadColumnCount, 0, 0, "0000"},
  };
  testing::TempDir dir;
  for (const auto& c : cases) {
    std::ofstream(dir.File("t.asc"), std::ios::binary) << c.text;
    TStringStream s(c.text);
    for (const THeader& h : {FromStream(s), FromFile(dir.File("t.asc"))}) {
      EXPECT_EQ(h.result, c.result) << c.what;
      EXPECT_EQ(h.cols, c.cols) << c.what;
      EXPECT_EQ(h.rows, c.rows) << c.what;
      const std::string flags{char('0' + h.f[0]), char('0' + h.f[1]), char('0' + h.f[2]), char('0' + h.f[3])};
      EXPECT_EQ(flags, c.flags) << c.what;
      if (c.result == ascOk) {
        EXPECT_EQ(h.comment, c.text.substr(0, c.text.find_first_of("\r\n"))) << c.what;
      }
    }
  }
  TStringStream s("c\r\n1\r\n2\r\nTRUE TRUE TRUE TRUE\r\nrow1");
  FromStream(s);
  EXPECT_EQ(StreamAsString(s), "row1") << "the stream stops behind the header";
  EXPECT_THROW(FromFile(dir.File("missing.asc")), EInOutError);
}

}  // namespace
}  // namespace nuv
