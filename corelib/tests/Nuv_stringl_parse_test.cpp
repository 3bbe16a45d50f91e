#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "ExpectCases.h"
#include "nuv/Nuv_stringl.h"

namespace nuv {
namespace {

using testing::ExpectAll;

std::string AllBytes() {
  std::string s(256, '\0');
  for (int i = 0; i < 256; ++i) s[i] = static_cast<char>(i);
  return s;
}

TEST(StringlFields, ExtractSubString) {
  ExpectAll({
      {"first", ExtractSubString("a,b,c", 0, ","), "a"},
      {"middle", ExtractSubString("a,b,c", 1, ","), "b"},
      {"last", ExtractSubString("a,b,c", 2, ","), "c"},
      {"beyond", ExtractSubString("a,b,c", 3, ","), ""},
      {"negative", ExtractSubString("a,b,c", -1, ","), ""},
      {"leading delimiter", ExtractSubString(",b", 0, ","), ""},
      {"empty field", ExtractSubString("a,,c", 1, ","), ""},
      {"text delimiter", ExtractSubString("aXYbXYc", 1, "XY"), "b"},
      {"field start ignores case", ExtractSubString("Xb", 0, "x"), ""},
      {"empty S", ExtractSubString("", 0, ","), ""},
      {"empty delimiter, field 0", ExtractSubString("abc", 0, ""), "abc"},
      {"empty delimiter, field 1", ExtractSubString("abc", 1, ""), ""},
  });
}

TEST(StringlFields, Tokenize) {
  TOpenStringArray t;
  EXPECT_EQ(Tokenize("a,b,", ",", t), 3);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].View(), "a");
  EXPECT_EQ(t[1].View(), "b");
  EXPECT_EQ(t[2].View(), "") << "trailing delimiter";

  EXPECT_EQ(Tokenize("", ",", t), 1);
  EXPECT_EQ(t[0].View(), "");
  EXPECT_EQ(Tokenize("abc", "", t), 1) << "empty delimiter";
  EXPECT_EQ(t[0].View(), "abc");
  EXPECT_EQ(Tokenize("a::b", "::", t), 2);
  EXPECT_EQ(t[1].View(), "b");

  std::string many;
  for (int i = 0; i < 150; ++i) many += "x,";
  EXPECT_EQ(Tokenize(many, ",", t), 100) << "99 splits at most";
  EXPECT_EQ(t.size(), 100u);
  EXPECT_EQ(t[98].View(), "x");
  EXPECT_EQ(t[99].Length(), 51u * 2) << "the rest is the last token";

  EXPECT_EQ(Tokenize(std::string(300, 'y') + ",z", ",", t), 2);
  EXPECT_EQ(t[0].Length(), 255u) << "tokens are short strings";
}

TEST(StringlLines, ReadLnStringModes) {
  const std::string s = "ab\r\ncd\n\ne";
  const struct {
    int32_t mode;
    std::vector<std::string> lines;
  } cases[] = {
      {0, {"ab", "cd", "", "e"}},     {1, {"ab", "cde"}},          {2, {"ab", "", "cd", "", "e"}},
      {3, {"abcde"}},                 {4, {"ab", "cde"}},          {7, {"abcde"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> lines;
    int32_t ix = 1;
    bool eos = false;
    while (!eos && lines.size() < 20) lines.push_back(ReadLnString(s, ix, eos, c.mode));
    EXPECT_EQ(lines, c.lines) << "mode=" << c.mode;
    EXPECT_EQ(ix, static_cast<int32_t>(s.size() + 1)) << "mode=" << c.mode;
  }
  int32_t ix = 1;
  bool eos = true;
  EXPECT_EQ(ReadLnString("ab\n\rcd", ix, eos, 3), "ab") << "LF then CR";
  EXPECT_FALSE(eos);
  EXPECT_EQ(ix, 5);
  ix = 1;
  EXPECT_EQ(ReadLnString("ab\n", ix, eos, 0), "ab");
  EXPECT_FALSE(eos) << "a terminator at the end is not the end yet";
  EXPECT_EQ(ix, 4);
  EXPECT_EQ(ReadLnString("ab\n", ix, eos, 0), "");
  EXPECT_TRUE(eos);
  ix = -3;
  EXPECT_EQ(ReadLnString("xy", ix, eos, 0), "xy") << "StartIx below 1";
  ix = 100;
  EXPECT_EQ(ReadLnString("xy", ix, eos, 0), "") << "StartIx beyond the end";
  EXPECT_TRUE(eos);
  EXPECT_EQ(ix, 3);
}

TEST(StringlLines, TextLineCoords) {
  const std::string s = "ab\r\ncd\ref\ng";  // lines: "ab" CRLF, "cd" CR, "ef" LF, "g"
  const struct {
    int32_t pos, line, col;
  } cases[] = {{1, 1, 1}, {3, 1, 3}, {4, 1, 4}, {5, 2, 1},  {7, 2, 3},
               {8, 3, 1}, {11, 4, 1}, {12, 4, 2}, {13, 0, 0}, {0, 0, 0}};
  for (const auto& c : cases) {
    int32_t line = -1, col = -1;
    TextLineCoords(s, c.pos, line, col);
    EXPECT_EQ(line, c.line) << "pos=" << c.pos;
    EXPECT_EQ(col, c.col) << "pos=" << c.pos;
  }
  int32_t line, col;
  TextLineCoords("a\r", 3, line, col);
  EXPECT_EQ(line, 2) << "a CR at the end ends its line";
}

// Feeds text and one closing blank; returns the name and the state.
std::pair<std::string, TQuotedStrState> ParseName(const std::string& text, char quote = '"') {
  std::string name = "stale";
  TQuotedStrState state = vsStart;
  for (char c : text + " ") ParseQuotedName(c, quote, name, state);
  return {name, state};
}

TEST(StringlParsers, ParseQuotedName) {
  const struct {
    const char* text;
    const char* name;
    TQuotedStrState state;
  } cases[] = {
      {"  \"a b\" x", "a b", vsEnd},   {"abc def", "abc", vsEnd},  {"\"a\"\"b\"", "a\"b", vsEnd},
      {"\"\"", "", vsEnd},             {"\t\r\nx y", "x", vsEnd},  {"a\"b c", "a\"b", vsEnd},
      {"\"abc", "abc ", vs1stQuote},   {"", "stale", vsStart},
  };
  for (const auto& c : cases) {
    const auto [name, state] = ParseName(c.text);
    EXPECT_EQ(name, c.name) << "text=" << c.text;
    EXPECT_EQ(state, c.state) << "text=" << c.text;
  }
  // Column names of a table line, read one after another.
  const std::string line = "\"col 1\"\t\"col 2\"\r";
  std::vector<std::string> names;
  std::string name;
  TQuotedStrState state = vsStart;
  for (char c : line) {
    ParseQuotedName(c, '"', name, state);
    if (state == vsEnd) {
      names.push_back(name);
      state = vsStart;
    }
  }
  EXPECT_EQ(names, (std::vector<std::string>{"col 1", "col 2"}));
}

TEST(StringlParsers, ExtractParam) {
  const std::string list = "a, \"b,c\" ,d";
  ExpectAll({
      {"first", ExtractParam(list, 1, ',', '"', "?"), "a"},
      {"quoted holds the delimiter", ExtractParam(list, 2, ',', '"', "?"), "b,c"},
      {"last", ExtractParam(list, 3, ',', '"', "?"), "d"},
      {"beyond", ExtractParam(list, 4, ',', '"', "?"), "?"},
      {"index 0", ExtractParam(list, 0, ',', '"', "?"), "?"},
      {"blank delimiter", ExtractParam("  one   two ", 2, ' ', '"', "?"), "two"},
      {"blank delimiter beyond", ExtractParam("  one   two ", 3, ' ', '"', "?"), "?"},
      {"empty parameter", ExtractParam("a,,c", 2, ',', '"', "?"), ""},
      {"quoted blanks and doubled quotes", ExtractParam("\" x \"\"q\"\" \"", 1, ',', '"', ""),
       " x \"q\" "},
      {"empty list", ExtractParam("   ", 1, ',', '"', "d"), "d"},
      {"quote equal to delimiter", ExtractParam("a,b", 2, ',', ',', ""), "b"},
      {"unclosed quote", ExtractParam("\"ab", 1, ',', '"', ""), "ab"},
  });
}

TEST(StringlUUEncode, KnownTextAndRoundTrip) {
  EXPECT_EQ(UUEncodeStr("Cat"), "#0V%T\r\n`\r\n");
  EXPECT_EQ(UUEncodeStr(""), "`\r\n");
  EXPECT_EQ(UUDecodeStr("begin 644 cat.txt\n#0V%T\n`\nend\n"), "Cat");
  EXPECT_EQ(UUDecodeStr("#    \n"), std::string(3, '\0')) << "blanks stand for zero";
  EXPECT_EQ(UUDecodeStr("M\n").size(), 45u) << "a cut line decodes as zeros";
  EXPECT_EQ(UUDecodeStr(""), "");

  const std::string all = AllBytes();
  for (std::size_t len : {0u, 1u, 2u, 3u, 44u, 45u, 46u, 90u, 91u, 256u}) {
    const std::string s = all.substr(256 - len);
    const std::string code = UUEncodeStr(s);
    EXPECT_EQ(UUDecodeStr(code), s) << "len=" << len;
    EXPECT_EQ(std::count(code.begin(), code.end(), '\n'), static_cast<long>((len + 44) / 45 + 1))
        << "len=" << len;
    EXPECT_EQ(code.find_first_of(std::string(" ", 1) + "abcdefghijklmnopqrstuvwxyz"),
              std::string::npos)
        << "len=" << len << ": uuencode uses codes 33..96 only";
  }
}

TEST(StringlTags, ReadNextTagInString) {
  const std::string s =
      "pre<Font name=\"Arial\" size=10>Hi</font> mid<br/><x a=1 />end<unclosed";
  const std::vector<std::string> tags{"font", "/font", "br", "dummy"};
  const struct {
    int32_t ix;
    const char *before, *attributes;
  } expected[] = {{0, "pre", "name=\"Arial\" size=10"}, {1, "Hi", ""},  {2, " mid", ""},
                  {3, "", "a=1"},                       {3, "end<unclosed", ""}, {3, "", ""}};
  int32_t pos = 0;
  for (const auto& e : expected) {
    std::string before, attributes = "stale";
    EXPECT_EQ(ReadNextTagInString(s, pos, tags, 3, before, attributes), e.ix) << "before=" << e.before;
    EXPECT_EQ(before, e.before);
    EXPECT_EQ(attributes, e.attributes) << "before=" << e.before;
  }
  EXPECT_EQ(pos, static_cast<int32_t>(s.size() + 1));

  std::string before, attributes;
  pos = 1;
  EXPECT_EQ(ReadNextTagInString("<a>", pos, {}, 5, before, attributes), -1) << "empty list";
  pos = 1;
  EXPECT_EQ(ReadNextTagInString("<br>", pos, tags, 99, before, attributes), 2)
      << "HighTag beyond the list";
}

TEST(StringlTags, DetectNextTagInString) {
  const std::string s = "pre<font a=1>Hi</font> mid<br/><x/>end";
  const std::vector<std::string> tags{"br", "font"};
  std::string before, attributes;
  int32_t pos = 1;
  EXPECT_EQ(DetectNextTagInString(s, pos, tags, 0, before, attributes), 0) << "only br in use";
  EXPECT_EQ(before, "pre<font a=1>Hi</font> mid");
  EXPECT_EQ(s.substr(pos - 1), "<x/>end");
  EXPECT_EQ(DetectNextTagInString(s, pos, tags, 1, before, attributes), -1);
  EXPECT_EQ(before, "<x/>end");
  EXPECT_EQ(pos, static_cast<int32_t>(s.size() + 1));
  pos = 1;
  EXPECT_EQ(DetectNextTagInString(s, pos, tags, 1, before, attributes), 1);
  EXPECT_EQ(before, "pre");
  EXPECT_EQ(attributes, "a=1");
}

// Runs before any InitScramble of this executable.
TEST(StringlScrambler, MapsEverythingToZeroBeforeInit) {
  EXPECT_EQ(Scramble("abc"), std::string(3, '\0'));
  EXPECT_EQ(DeScramble("abc"), std::string(3, '\0'));
}

TEST(StringlScrambler, InverseForSeveralSeeds) {
  const std::string all = AllBytes();
  std::vector<std::string> scrambled;
  for (int32_t seed : {0, 1, 42, -1, std::numeric_limits<int32_t>::min(),
                       std::numeric_limits<int32_t>::max()}) {
    InitScramble(seed);
    const std::string s = Scramble(all);
    EXPECT_EQ(s[0], '\0') << "seed=" << seed;
    std::string sorted = s;
    std::sort(sorted.begin(), sorted.end());
    std::string allSorted = all;
    std::sort(allSorted.begin(), allSorted.end());
    EXPECT_EQ(sorted, allSorted) << "seed=" << seed << ": a permutation";
    EXPECT_EQ(DeScramble(s), all) << "seed=" << seed;
    EXPECT_EQ(Scramble(DeScramble(all)), all) << "seed=" << seed;
    EXPECT_EQ(DeScramble(Scramble("text")), "text") << "seed=" << seed;
    scrambled.push_back(s);
  }
  InitScramble(42);
  EXPECT_EQ(Scramble(all), scrambled[2]) << "the same seed gives the same tables";
  EXPECT_NE(scrambled[1], scrambled[2]);
}

}  // namespace
}  // namespace nuv
