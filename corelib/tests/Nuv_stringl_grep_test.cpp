#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "ExpectCases.h"
#include "ExpectThrow.h"
#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/Nuv_stringl.h"

namespace nuv {
namespace {

using testing::ExpectAll;
using testing::TempDir;

// "start,end" of the first match, "-" for none.
std::string Found(TGrep& g, std::string_view text) {
  int32_t pos = -1;
  if (!g.MatchString(text, pos)) return pos == 0 && g.MatchStart() == 0 ? "-" : "bad failure";
  if (pos != g.MatchStart()) return "MatchPos differs from MatchStart";
  return std::to_string(g.MatchStart()) + "," + std::to_string(g.MatchEnd());
}

std::string Find(std::string_view expr, std::string_view text, int32_t start = 1,
                 bool ignoreCase = false) {
  TGrep g(nullptr);
  g.SetStopOnError(false);
  g.SetIgnoreCase(ignoreCase);
  g.SetRegExp(expr);
  g.SetSearchStartPos(start);
  return Found(g, text);
}

int32_t ErrorOf(std::string_view expr) {
  TGrep g(nullptr);
  g.SetStopOnError(false);
  g.SetRegExp(expr);
  return g.LastError();
}

// Kind and count of every token, as "kind:count kind:count ...".
std::string Shape(std::string_view expr) {
  TGrep g(nullptr);
  g.SetStopOnError(false);
  g.SetRegExp(expr);
  std::string s;
  for (int32_t i = 1; i <= g.NumTokens(); ++i) {
    const TGrepToken t = g.GetRegExpToken(i);
    if (i > 1) s += ' ';
    s += std::to_string(t.Kind) + ":" + std::to_string(t.Count);
  }
  return s;
}

std::string Listing(std::string_view expr) {
  TempDir dir;
  TGrep g(nullptr);
  g.SetStopOnError(false);
  g.SetRegExp(expr);
  g.PrintRegExp(dir.File("list.txt"));
  return testing::ReadRawFile(dir.File("list.txt"));
}

// ---------------------------------------------------------------------------
// Reference cases answered by Python's re and PCRE2

std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> f;
  std::size_t from = 0;
  for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
    f.push_back(line.substr(from, tab - from));
  f.push_back(line.substr(from));
  return f;
}

TEST(GrepReference, AgreesWithPythonAndPCRE2) {
  std::ifstream in(NUV_CORELIB_TEST_DATA "/grep_cases.txt");
  ASSERT_TRUE(in) << "missing grep_cases.txt";
  int cases = 0, matches = 0;
  TGrep g(nullptr);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = Fields(line);
    ASSERT_EQ(f.size(), 5u) << line;
    g.SetIgnoreCase(f[1] == "i");
    g.SetRegExp(Unescape(f[0]));
    g.SetSearchStartPos(std::stoi(f[2]));
    EXPECT_EQ(Found(g, Unescape(f[3])), f[4]) << "case: " << line;
    ++cases;
    matches += f[4] != "-";
  }
  EXPECT_GT(cases, 5000);
  EXPECT_GT(matches, 2000);
}

// ---------------------------------------------------------------------------
// Compile errors

TEST(GrepCompile, ErrorCodes) {
  struct {
    const char* expr;
    int32_t code;
  } const cases[] = {
      {"abc", 0},     {"", 0},      {"*abc", 1},       {"$", 1},     {"?a", 1},    {"+", 1},
      {"\\#2Aa", 1},  {"ab^c", 2},  {"(a^)", 2},       {"ab$c", 3},  {"a$$", 3},   {"a[]", 4},
      {"[^]", 4},     {"[a^b]", 5}, {"[a-^]", 5},      {"[^^]", 5},  {"a]", 6},    {"[^ab", 6},
      {"[a-", 6},     {"[", 6},     {"a[^", 6},        {"[-a]", 7},  {"[^-a]", 7}, {"[ab]-", 7},
      {"[ab]*-", 7},  {"a)", 8},    {"^*", 9},         {"a**", 9},   {"a+?", 9},   {"()*", 9},
      {"a\\", 12},    {"a\\#", 12}, {"a\\#4", 12},     {"[a\\", 12}, {"(a\\", 12}, {"[a-\\", 12},
      {"a\\\\", 0},   {"[\\^]", 0}, {"(a$*-.?[])", 0}, {"a-b", 0},   {"[a-]", 0},  {"a.-", 0},
      {"[ab]\\-", 0}, {"^$", 0},    {"\\$a", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.expr), c.code) << c.expr;
}

TEST(GrepCompile, LimitsOfTheTable) {
  const std::string run255(255, 'a');
  const std::string group255 = "(" + std::string(250, 'a') + ")(bcdef)";
  std::string tokens64, tokens63;
  for (int i = 0; i < 32; ++i) tokens64 += "a.";
  const std::string tokens65 = tokens64 + "b";
  // 63 tokens ending in "." and a literal "ab" as the 64th.
  tokens63 = "." + tokens64.substr(0, 62);
  ExpectAll({
      {"255 plain", ErrorOf(run255), 0},
      {"256 plain", ErrorOf(run255 + "a"), 11},
      {"255 in merged groups", ErrorOf(group255), 0},
      {"256 in merged groups", ErrorOf(group255 + "(g)"), 11},
      {"64 tokens", ErrorOf(tokens64), 0},
      {"65 tokens", ErrorOf(tokens65), 10},
      {"64th literal", ErrorOf(tokens63 + "ab"), 0},
      {"its split needs a 65th", ErrorOf(tokens63 + "ab*"), 10},
      {"a set over 255 characters", ErrorOf("[" + std::string(300, 'a') + "]"), 0},
  });
  TGrep g(nullptr);
  g.SetStopOnError(false);
  g.SetRegExp(tokens65);
  EXPECT_EQ(g.NumTokens(), 64);
  g.SetRegExp(run255 + "a");
  EXPECT_EQ(g.GetRegExpToken(1).Count, 255);
  g.SetRegExp(tokens63 + "ab*");
  EXPECT_EQ(g.NumTokens(), 64);
  EXPECT_EQ(g.GetRegExpToken(64).Count, 2);
}

TEST(GrepCompile, ExceptionMessage) {
  TGrep g(nullptr);
  g.SetName("Finder");
  testing::ExpectThrowMessage<ENUVStringlError>(
      [&] { g.SetRegExp("a[]"); }, "Component \"Finder\": error in regular expression - empty set");
  EXPECT_EQ(g.RegExp(), "a[]");
  EXPECT_EQ(g.LastError(), 4);
  for (int32_t code = 1; code <= 12; ++code) EXPECT_FALSE(TGrep::ErrorText(code).empty()) << code;
  ExpectAll({
      {"0", std::string(TGrep::ErrorText(0)), "no errors"},
      {"9", std::string(TGrep::ErrorText(9)), "*, ?, + have to be applied to groups or sets only"},
      {"unknown", std::string(TGrep::ErrorText(13)), ""},
      {"negative", std::string(TGrep::ErrorText(-1)), ""},
  });
  // CompileRegExp itself never raises and leaves RegExp alone.
  EXPECT_EQ(g.CompileRegExp("ab^"), 2);
  EXPECT_EQ(g.RegExp(), "a[]");
}

TEST(GrepCompile, PartlyBuiltTableStaysInUse) {
  ExpectAll({
      {"before $c", Find("ab$c", "xab"), "2,3"},
      {"before a second quantifier", Find("xa**", "xaaa"), "1,4"},
      {"open negated set dropped", Find("a[^b", "ab"), "1,1"},
  });
}

// ---------------------------------------------------------------------------
// Token records

TEST(GrepTokens, KindsAndCounts) {
  ExpectAll({
      {"literal run", Shape("abc"), "0:3"},
      {"last plain character repeats", Shape("abc*"), "0:2 5:1"},
      {"single character", Shape("a+"), "6:1"},
      {"group repeats whole", Shape("(abc)?"), "7:3"},
      {"groups merge", Shape("(ab)(cd)"), "0:4"},
      {"merged groups repeat whole", Shape("x(ab)(cd)*"), "0:1 5:4"},
      {"plain after group is new", Shape("(ab)c"), "0:2 0:1"},
      {"group after plain is new", Shape("ab(cd)"), "0:2 0:2"},
      {"group after repeated group", Shape("(ab)*(cd)"), "5:2 0:2"},
      {"any and anchors", Shape("^.$"), "3:0 1:0 2:0"},
      {"any repeated", Shape("a.*"), "0:1 5:0"},
      {"set repeated", Shape("[ab]+"), "6:-1"},
      {"quoted specials are plain", Shape("\\*\\(\\[\\.x"), "0:5"},
      {"decoded star repeats", Shape("ab\\#2A"), "0:1 5:1"},
      {"minus outside sets", Shape("a-b"), "0:3"},
      {"empty group adds nothing", Shape("a()b"), "0:1 0:1"},
      {"empty expression", Shape(""), ""},
  });
}

TEST(GrepTokens, BuffersAndCopies) {
  TGrep g(nullptr);
  g.SetRegExp("x[a-c\\]]y(ab)(c)*");
  ASSERT_EQ(g.NumTokens(), 4);
  const TGrepToken set = g.GetRegExpToken(2);
  EXPECT_EQ(set.Kind, taSet);
  for (int c = 0; c < 256; ++c) {
    const bool member = (c >= 'a' && c <= 'c') || c == ']';
    EXPECT_EQ(set.Buffer[c], member ? '*' : ' ') << "code " << c;
  }
  const TGrepToken lit = g.GetRegExpToken(3);
  EXPECT_EQ(std::string(lit.Buffer.data() + 1, 1), "y");
  const TGrepToken rep = g.GetRegExpToken(4);
  EXPECT_EQ(rep.Kind, taMult0);
  EXPECT_EQ(std::string(rep.Buffer.data() + 1, 3), "abc");
  // Clamped indices, and a copy that does not write back.
  EXPECT_EQ(g.GetRegExpToken(0).Count, 1);
  EXPECT_EQ(g.GetRegExpToken(99).Kind, taMult0);
  TGrepToken copy = g.GetRegExpToken(1);
  copy.Buffer[1] = 'z';
  EXPECT_EQ(g.GetRegExpToken(1).Buffer[1], 'x');
  // Negated sets are complemented over all codes.
  g.SetRegExp("[^\\#00-\\#7F]");
  const TGrepToken high = g.GetRegExpToken(1);
  for (int c = 0; c < 256; ++c) EXPECT_EQ(high.Buffer[c], c >= 128 ? '*' : ' ') << "code " << c;
}

TEST(GrepTokens, MatchPositionsOfTheTokens) {
  TGrep g(nullptr);
  g.SetRegExp("b.*d[0-9]+");
  int32_t pos = 0;
  ASSERT_TRUE(g.MatchString("abxxd12y", pos));
  const int32_t want[] = {2, 3, 5, 6};
  for (int32_t i = 1; i <= 4; ++i) EXPECT_EQ(g.GetRegExpToken(i).MatchPos, want[i - 1]) << i;
  EXPECT_FALSE(g.MatchString("nothing", pos));
  for (int32_t i = 1; i <= 4; ++i) EXPECT_EQ(g.GetRegExpToken(i).MatchPos, 0) << i;
  g.SetRegExp("ab$");
  ASSERT_TRUE(g.MatchString("xab", pos));
  EXPECT_EQ(g.GetRegExpToken(2).MatchPos, 4);
}

TEST(GrepTokens, EmptyExpressionHasABlankRecord) {
  TGrep g(nullptr);
  g.SetRegExp("abc");
  g.SetRegExp("");
  EXPECT_EQ(g.NumTokens(), 0);
  EXPECT_EQ(g.LastError(), 0);
  const TGrepToken t = g.GetRegExpToken(1);
  EXPECT_EQ(t.Kind, taNormal);
  EXPECT_EQ(t.Count, 0);
  EXPECT_EQ(t.MatchPos, 0);
  EXPECT_EQ(t.Buffer, (std::array<char, 256>{}));
  ExpectAll({
      {"empty text", Find("", ""), "-"},
      {"some text", Find("", "abc"), "-"},
  });
}

// ---------------------------------------------------------------------------
// Listings

TEST(GrepListing, ByteForByte) {
  ExpectAll({
      {"every kind", Listing("^a.[b-d]x*[xy]+(pq)?.*$"),
       "    taBol: \r\n"
       " taNormal: a\r\n"
       "taAnyByte: \r\n"
       "    taSet: bcd\r\n"
       "  taMult0: (string) x\r\n"
       "  taMult1: (set) xy\r\n"
       "   taOpti: (string) pq\r\n"
       "  taMult0: (anychar) \r\n"
       "    taEol: \r\n"
       "no errors\r\n"},
      {"error text after the partial table", Listing("ab[]"), " taNormal: ab\r\nempty set\r\n"},
      {"empty", Listing(""), "no errors\r\n"},
      {"members in code order", Listing("[\\#FFz\\#01]"), "    taSet: \x01z\xFF\r\nno errors\r\n"},
  });
}

TEST(GrepListing, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  TGrep g(nullptr);
  g.SetRegExp("abc");
  EXPECT_EQ(testing::IoCodeOf([&] { g.PrintRegExp(dir.File("missing/list.txt")); }), 3);
  const std::string file = dir.File("list.txt");
  testing::WriteRawFile(file, "old");
  namespace fs = std::filesystem;
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(testing::IoCodeOf([&] { g.PrintRegExp(file); }), 5);
  EXPECT_EQ(testing::ReadRawFile(file), "old");
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
  g.PrintRegExp(file);
  EXPECT_EQ(testing::ReadRawFile(file), " taNormal: abc\r\nno errors\r\n");
}

// ---------------------------------------------------------------------------
// Matching

TEST(GrepMatch, ShortestInnerLongestLast) {
  ExpectAll({
      {"inner star shortest", Find("a.*c", "abcbc"), "1,3"},
      {"last star longest", Find("ab*", "abbbx"), "1,4"},
      {"last plus longest", Find("b+", "abbbx"), "2,4"},
      {"last optional takes it", Find("ab?", "abb"), "1,2"},
      {"inner optional tries none first", Find("ab?b", "abb"), "1,2"},
      {"inner plus needs one", Find("ab+b", "abb"), "1,3"},
      {"string repeated", Find("x(ab)*y", "xababy"), "1,6"},
      {"string repeated last", Find("(ab)+", "cababa"), "2,5"},
      {"leftmost start wins", Find("b*c", "abbc"), "2,4"},
      {"opening star after a failed run", Find("a*b", "aacb"), "4,4"},
      {"opening plus after a failed run", Find("[ab]+c", "abab-bc"), "6,7"},
      {"opening plus across runs", Find("a+ba", "aab-aaba"), "5,8"},
      {"lone star empty at start", Find("a*", "baa"), "1,0"},
      {"lone star greedy", Find("a*", "aab"), "1,2"},
      {"set any and dot", Find("[^a].", "aab"), "-"},
      {"negated set", Find("[^a]", "b"), "1,1"},
      {"dot needs a character", Find("ab.", "ab"), "-"},
      {"dot takes line ends and zero", Find("a.b", std::string("a\0b", 3)), "1,3"},
      {"backtracking over sets", Find("[ab]*b[ab]*c", "abababx ababc"), "9,13"},
      {"repetition before end", Find("a*$", "baa"), "2,3"},
      {"end after literal", Find("ab$", "abab"), "3,4"},
      {"end not before", Find("ab$", "abx"), "-"},
      {"start anchor", Find("^ab", "abab"), "1,2"},
      {"start anchor only at 1", Find("^b", "ab"), "-"},
      {"longer literal than text", Find("abcd", "abc"), "-"},
      {"range in either order", Find("[c-a]+", "xcab"), "2,4"},
      {"range to a bracket", Find("[a-]", "^"), "1,1"},
  });
}

TEST(GrepMatch, SearchStartPos) {
  ExpectAll({
      {"from 3", Find("ab", "ababab", 3), "3,4"},
      {"clamped from 0", Find("ab", "abab", 0), "1,2"},
      {"clamped from negative", Find("ab", "abab", -5), "1,2"},
      {"at the last character", Find("b", "ab", 2), "2,2"},
      {"beyond the text", Find("b", "ab", 3), "-"},
      {"far beyond", Find("a*", "ab", 1000000), "-"},
      {"lone star honours it", Find("a*", "baab", 2), "2,3"},
      {"lone star empty match there", Find("a*", "bab", 3), "3,2"},
      {"start anchor never later", Find("^a", "aaa", 2), "-"},
      {"end anchor from the middle", Find(".$", "abc", 2), "3,3"},
  });
}

TEST(GrepMatch, IgnoreCase) {
  ExpectAll({
      {"range upper in expr", Find("[A-C]", "b", 1, true), "1,1"},
      {"range upper in text", Find("[A-C]", "B", 1, true), "1,1"},
      {"literal", Find("hello", "say HeLLo", 1, true), "5,9"},
      {"1252 letters", Find("\xE4\x9A", "x\xC4\x8A", 1, true), "2,3"},
      {"hex code decoded first", Find("\\#41", "a", 1, true), "1,1"},
      {"hex code upper text", Find("\\#41", "A", 1, true), "1,1"},
      {"negated set", Find("[^a]", "A", 1, true), "-"},
      {"repeated set", Find("x[a-c]+", "XaBcD", 1, true), "1,4"},
      {"case sensitive by default", Find("[A-C]", "b"), "-"},
      {"hex code case sensitive", Find("\\#41", "A"), "1,1"},
  });
}

TEST(GrepMatch, SwitchingIgnoreCaseRecompiles) {
  TGrep g(nullptr);
  g.SetRegExp("AB");
  EXPECT_EQ(Found(g, "xab"), "-");
  g.SetIgnoreCase(true);
  EXPECT_EQ(Found(g, "xab"), "2,3");
  g.SetIgnoreCase(false);
  EXPECT_EQ(Found(g, "xab"), "-");
  // The expression compiled last is the one recompiled.
  EXPECT_EQ(g.CompileRegExp("X"), 0);
  g.SetIgnoreCase(true);
  EXPECT_EQ(Found(g, "xab"), "1,1");
  // An error raises again.
  g.SetStopOnError(false);
  g.SetRegExp("A[]");
  g.SetStopOnError(true);
  EXPECT_THROW(g.SetIgnoreCase(false), ENUVStringlError);
}

TEST(GrepMatch, BytesAndEscapes) {
  const std::string zero(1, '\0');
  ExpectAll({
      {"zero in expression", Find("a" + zero + "b", "xa" + zero + "b"), "2,4"},
      {"zero by code", Find("\\#00+", "a" + zero + zero + "b"), "2,3"},
      {"non-hex code is zero", Find("\\#zz", "a" + zero), "2,2"},
      {"one hex digit",
       Find("\\#4zb",
            "\x04"
            "b"),
       "1,2"},
      {"high bytes", Find("[\x80-\xFF]+", "ab\x80\xFF\xC4z"), "3,5"},
      {"high byte literal", Find("\xFF\xFE", "\xFF\xFF\xFE"), "2,3"},
      {"empty text", Find("a*", ""), "-"},
      {"empty text, anchors", Find("^$", ""), "-"},
      {"end anchor on one char", Find("^a$", "a"), "1,1"},
      {"quoted backslash before #", Find("\\\\#41", "\\#41"), "1,4"},
      {"quoted backslash before a code", Find("\\\\\\#41", "\\A"), "1,2"},
  });
}

// What stays as it has always been.
TEST(GrepMatch, KeptBehaviour) {
  ExpectAll({
      {"'^$' never matches the empty text", Find("^$", ""), "-"},
      {"'(ab)(cd)' is one group", Shape("(ab)(cd)+"), "6:4"},
      {"'(ab)(cd)' repeats as one", Find("(ab)(cd)+", "abcdabcd"), "1,8"},
      {"decoded \\#2A is a quantifier", Find("ab\\#2A", "abbb"), "1,4"},
      {"open plain set keeps its members", Find("x[ab", "xb"), "1,2"},
      {"open group keeps its characters", Find("x(ab", "xab"), "1,3"},
  });
}

TEST(GrepMatch, CountingAllMatches) {
  TGrep g(nullptr);
  g.SetRegExp("[0-9]+");
  const std::string text = "a1b22c333d";
  std::vector<std::string> found;
  int32_t pos = 0;
  g.SetSearchStartPos(1);
  while (g.MatchString(text, pos)) {
    found.push_back(text.substr(static_cast<std::size_t>(pos - 1),
                                static_cast<std::size_t>(g.MatchEnd() - pos + 1)));
    g.SetSearchStartPos(g.MatchEnd() + 1);
  }
  EXPECT_EQ(found, (std::vector<std::string>{"1", "22", "333"}));
}

// ---------------------------------------------------------------------------
// Expressions that make plain backtracking take exponential time must
// finish; the watchdog stops the program should one not.

std::string FindWatched(const std::string& expr, const std::string& text) {
  auto job = std::async(std::launch::async, [=] { return Find(expr, text); });
  if (job.wait_for(std::chrono::minutes(2)) != std::future_status::ready) {
    ADD_FAILURE() << "no result after 2 minutes: " << expr.substr(0, 40);
    std::_Exit(1);
  }
  return job.get();
}

TEST(GrepMatch, PathologicalExpressionsFinish) {
  std::string stars, optionals, as;
  for (int i = 0; i < 8; ++i) stars += "a*";
  for (int i = 0; i < 40; ++i) optionals += "a?";
  as.assign(40, 'a');
  const std::string a4k = std::string(4096, 'a');
  ExpectAll({
      {"8 stars then b", FindWatched(stars + "b", a4k + "c"), "-"},
      {"8 stars then c", FindWatched(stars + "c", a4k + "c"), "1,4097"},
      {"40 optionals", FindWatched(optionals + as, as), "1,40"},
      {"40 optionals failing", FindWatched(optionals + as, as.substr(1)), "-"},
      {"dots", FindWatched("x.*.*.*.*.*y", "x" + a4k), "-"},
      {"sets", FindWatched("[ab]*[ab]*[ab]*[ab]*c", std::string(3000, 'b')), "-"},
      {"strings", FindWatched("(aa)*(aa)*(aa)*(aa)*b", a4k), "-"},
      {"many starts", FindWatched("a*a*a*ab", std::string(20000, 'a')), "-"},
  });
}

}  // namespace
}  // namespace nuv
