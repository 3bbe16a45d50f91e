#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExpectCases.h"
#include "nuv/Nuv_stringl.h"

namespace nuv {
namespace {

using testing::ExpectAll;

std::string Char(int code) { return std::string(1, static_cast<char>(code)); }

TEST(StringlCharClasses, Boundaries) {
  for (int code = 0; code < 256; ++code) {
    const char c = static_cast<char>(code);
    const bool digit = code >= '0' && code <= '9';
    const bool letter = (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
    EXPECT_EQ(IsDigit(c), digit) << "code=" << code;
    EXPECT_EQ(IsLetter(c), letter) << "code=" << code;
    EXPECT_EQ(IsDigitLetter(c), digit || letter) << "code=" << code;
    EXPECT_EQ(IsHexChar(c), digit || std::string("ABCDEFabcdef").find(c) != std::string::npos)
        << "code=" << code;
    const bool umlaut =
        code == 228 || code == 246 || code == 252 || code == 196 || code == 214 || code == 220 ||
        code == 223;
    EXPECT_EQ(IsUmlaut(c), umlaut) << "code=" << code;
  }
}

TEST(StringlStrip, BlanksAndChars) {
  ExpectAll({
      {"LT", StripLTBlanks("  a b  "), "a b"},
      {"LT all blanks", StripLTBlanks("   "), ""},
      {"LT keeps tabs", StripLTBlanks("\ta\t"), "\ta\t"},
      {"leading", StripLeadingBlanks("  a "), "a "},
      {"leading all blanks", StripLeadingBlanks("   "), " "},
      {"leading empty", StripLeadingBlanks(""), ""},
      {"trailing", StripTrailingBlanks(" a  "), " a"},
      {"trailing all blanks", StripTrailingBlanks("   "), " "},
      {"leading chars", StripLeadingChars('0', "0012"), "12"},
      {"leading chars only", StripLeadingChars('0', "000"), ""},
      {"trailing chars keep the first", StripTrailingChars('x', "xxx"), "x"},
      {"trailing chars", StripTrailingChars('0', "1.500"), "1.5"},
      {"control chars", RemoveControlChars(std::string("a\0b\tc\x1f\x7f\x80", 8)), "abc\x7f\x80"},
      {"remove char", RemoveCharInString("a-b-c", '-'), "abc"},
      {"replace char", ReplaceCharInString("a-b-c", '-', '+'), "a+b+c"},
      {"replace byte 0", ReplaceCharInString(std::string("a\0b", 3), '\0', ' '), "a b"},
  });
}

TEST(StringlReplace, NeverRescansInsertedText) {
  ExpectAll({
      {"insert holds Old", ReplaceStringInString("aaa", "a", "aa", false), "aaaaaa"},
      {"insert makes a new match", ReplaceStringInString("ab", "a", "ba", false), "bab"},
      {"non-overlapping", ReplaceStringInString("aaaa", "aa", "a", false), "aa"},
      {"removal joins an occurrence", ReplaceStringInString("aabb", "ab", "", false), "ab"},
      {"ignore case", ReplaceStringInString("abcABC", "b", "X", true), "aXcAXC"},
      {"case sensitive", ReplaceStringInString("abcABC", "b", "X", false), "aXcABC"},
      {"1252 case", ReplaceStringInString("\xC4pfel \xE4", "\xE4", "ae", true), "aepfel ae"},
      {"empty Old", ReplaceStringInString("xx", "", "y", false), "xx"},
      {"empty S", ReplaceStringInString("", "a", "b", false), ""},
  });
}

TEST(StringlPadding, WidthsAndEnsure) {
  ExpectAll({
      {"left pad", LeftString("abc", 5), "abc  "},
      {"left cut", LeftString("abcdef", 3), "abc"},
      {"left zero", LeftString("abc", 0), ""},
      {"right pad", RightString("abc", 5), "  abc"},
      {"right cut keeps the left", RightString("abcdef", 3), "abc"},
      {"right negative", RightString("abc", -1), ""},
      {"center odd blank right", CenterString("ab", 5), " ab  "},
      {"center cut", CenterString("abcdef", 3), "abc"},
      {"abbrev", AbbrevString("abcdef", 5), "abc.."},
      {"abbrev fits", AbbrevString("abcde", 5), "abcde"},
      {"abbrev 2", AbbrevString("abcdef", 2), ".."},
      {"abbrev 1 stays within", AbbrevString("abcdef", 1), "."},
      {"abbrev negative", AbbrevString("abc", -3), ""},
      {"multi 0", MultiChar('x', 0), "x"},
      {"multi 3", MultiChar('x', 3), "xxx"},
      {"multi 1000", MultiChar('x', 1000), std::string(255, 'x')},
      {"reverse", ReverseString("ab\xE4"), "\xE4" "ba"},
      {"bkslash", EnsureTrailingBkSlash("c:\\dir"), "c:\\dir\\"},
      {"bkslash present", EnsureTrailingBkSlash("c:\\"), "c:\\"},
      {"bkslash empty", EnsureTrailingBkSlash(""), ""},
      {"trailing char", EnsureTrailingChar(';', "a"), "a;"},
      {"leading char", EnsureLeadingChar('/', "a"), "/a"},
      {"leading char present", EnsureLeadingChar('/', "/a"), "/a"},
      {"leading char empty", EnsureLeadingChar('/', ""), ""},
  });
}

TEST(StringlCase, ToggleCapitalizeExpand) {
  ExpectAll({
      {"toggle ASCII", ChangeCase("aBc1!"), "AbC1!"},
      {"toggle 1252 letters", ChangeCase("\xE4\xC4\x9A\x8A\x9C\x8C\x9E\x8E\xFF\x9F\xE9\xC9"),
       "\xC4\xE4\x8A\x9A\x8C\x9C\x8E\x9E\x9F\xFF\xC9\xE9"},
      {"sharp s and micro have no upper case", ChangeCase("\xDF\xB5"), "\xDF\xB5"},
      {"capitalize", CapitalizeString("hello world-foo 3rd x_y"), "Hello World-Foo 3rd X_Y"},
      {"capitalize after 1252 letters", CapitalizeString("\xE9t\xE9 \xE4pfel"),
       "\xE9t\xE9 \xE4pfel"},
      {"capitalize keeps inner case", CapitalizeString("mIXed"), "MIXed"},
      {"diphthong before lower case", ExpandDiphthongs("\xC4rger"), "Aerger"},
      {"diphthong before upper case", ExpandDiphthongs("\xC4RGER"), "AERGER"},
      {"diphthong at the end", ExpandDiphthongs("\xDC"), "UE"},
      {"diphthong before a digit", ExpandDiphthongs("\xD6" "1"), "OE1"},
      {"small ones", ExpandDiphthongs("\xE4\xF6\xFC\xDF\xB5"), "aeoeuessu"},
      {"AZ09", ReduceStringToAZ09("a-b \xFC" "9"), "a_b__9"},
      {"8.3 replaced", ReduceStringToFN83CompliantChars("a b*c?.TXT\"+,/:;<=>[\\]|"),
       "a_b_c_.TXT_____________"},
      {"8.3 kept", ReduceStringToFN83CompliantChars("!#$%&'()-.@^_`{}~09AZaz"),
       "!#$%&'()-.@^_`{}~09AZaz"},
      {"8.3 control and high", ReduceStringToFN83CompliantChars("\x7F\x80\x1F\xFF"), "____"},
      {"8.3 byte 0", ReduceStringToFN83CompliantChars(std::string("\0", 1)), "_"},
  });
  EXPECT_TRUE(EqualAnsiStrings("\xC4pfel", "\xE4PFEL"));
  EXPECT_FALSE(EqualAnsiStrings("a", "b"));
}

TEST(StringlHexEscapes, ProcessHexChars) {
  ExpectAll({
      {"code", ProcessHexChars("A\\#41B"), "AAB"},
      {"lower-case hex", ProcessHexChars("\\#ff"), "\xFF"},
      {"one char after \\#", ProcessHexChars("x\\#4"), "x\\#4"},
      {"nothing after \\#", ProcessHexChars("\\#"), "\\#"},
      {"last backslash", ProcessHexChars("x\\"), "x\\"},
      {"double backslash", ProcessHexChars("\\\\#41"), "\\#41"},
      {"no number is code 0", ProcessHexChars("\\#G1x"), std::string("\0x", 2)},
      {"reading stops at a non-hex", ProcessHexChars("\\#4Gx"), "\x04x"},
      {"other escapes stay", ProcessHexChars("a\\nb"), "a\\nb"},
  });
}

TEST(StringlCodePages, ShortStringConversion) {
  ExpectAll({
      {"OEM to ANSI", WinAnsiString("\x81"), "\xFC"},
      {"ANSI to OEM", OEMString("\xFC"), "\x81"},
      {"empty", WinAnsiString(""), ""},
      {"cut to 255", WinAnsiString(std::string(300, 'a')), std::string(255, 'a')},
      {"cut to 255 back", OEMString(std::string(300, 'a')), std::string(255, 'a')},
  });
}

TEST(StringlSearch, PositionsAndCounts) {
  const std::vector<std::string> list{"a", "b", "b"};
  ExpectAll({
      {"numbered no overlap", NumberedPos("aa", "aaaa", 1, false, 2), 3},
      {"numbered too few", NumberedPos("aa", "aaaa", 1, false, 3), 0},
      {"numbered Num 0", NumberedPos("a", "aaaa", 1, false, 0), 0},
      {"numbered StartAt", NumberedPos("a", "abab", 2, false, 1), 3},
      {"numbered StartAt <= 0", NumberedPos("a", "abab", -5, false, 1), 1},
      {"numbered StartAt at the end", NumberedPos("b", "abab", 4, false, 1), 4},
      {"numbered StartAt beyond", NumberedPos("a", "abab", 100, false, 1), 0},
      {"numbered ignore case", NumberedPos("AB", "xaBab", 1, true, 2), 4},
      {"numbered empty SubStr", NumberedPos("", "abc", 1, false, 1), 0},
      {"last", PosLast("bc", "abcabc"), 5},
      {"last counted from the left", PosLast("aa", "aaa"), 1},
      {"last empty", PosLast("", "abc"), 0},
      {"last none", PosLast("x", "abc"), 0},
      {"count", CountStringInString("aa", "aaaaa", true), 2},
      {"count ignore case", CountStringInString("AB", "abAB", false), 2},
      {"count case", CountStringInString("AB", "abAB", true), 1},
      {"count 1252 case", CountStringInString("\xE4", "\xC4\xE4" "A", false), 2},
      {"count empty", CountStringInString("", "abc", true), 0},
      {"char", CountCharInString('a', "aAa", true), 2},
      {"char ignore case", CountCharInString('a', "aA\xE1\xC1", false), 2},
      {"char 1252 ignore case", CountCharInString('\xE1', "aA\xE1\xC1", false), 2},
      {"char 0", CountCharInString('\0', std::string("a\0\0", 3), true), 2},
      {"index", StringIx("b", list), 2},
      {"index exact", StringIx("B", list), 0},
      {"index list", StringIx("c", {"a", "c"}), 2},
      {"first non-blank", FindFirstNonBlank("  x"), 3},
      {"first non-blank none", FindFirstNonBlank("   "), 0},
      {"first non-blank empty", FindFirstNonBlank(""), 0},
  });
}

TEST(StringlSearch, CharSetMacros) {
  const struct {
    const char* s;
    const char* set;
    bool contains, other;
  } cases[] = {
      {"abc", "//dig", false, true},     {"ab1", "//dig", true, true},
      {"abc", "//lc", true, false},      {"abC", "//lc", true, true},
      {"abC9", "//uc//lc//dig", true, false},
      {"/", "//lc", false, true},        {"/", "///dig", true, false},
      {"\x05", "//31dwn", true, false},  {"\x80\xFF", "//128up", true, false},
      {"\x7F", "//128up//31dwn", false, true},
      {"", "x", false, false},           {"x", "", false, true},
      {"x//dig", "x/dig", true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StringContains(c.s, c.set), c.contains) << "s=" << c.s << " set=" << c.set;
    EXPECT_EQ(StringContainsOtherThan(c.s, c.set), c.other) << "s=" << c.s << " set=" << c.set;
  }
  EXPECT_TRUE(TestAllChar("aaa", 'a'));
  EXPECT_FALSE(TestAllChar("aab", 'a'));
  EXPECT_FALSE(TestAllChar("", 'a'));
}

TEST(StringlWords, DelimiterSet) {
  const std::string delimiters = std::string("\0\n\r ", 4) + "\"#%'()*+,-./:;<=>[\\]{}";
  for (int code = 0; code < 256; ++code) {
    const bool expected = delimiters.find(static_cast<char>(code)) != std::string::npos;
    EXPECT_EQ(IsWordDelimiter(static_cast<char>(code)), expected) << "code=" << code;
    EXPECT_EQ(CountWords("ab" + Char(code)), expected ? 1 : 0) << "code=" << code;
  }
}

TEST(StringlWords, CountAndAbbreviation) {
  ExpectAll({
      {"last word has no delimiter", CountWords("one two"), 1},
      {"one-letter words", CountWords("a b c "), 0},
      {"both followed", CountWords("one two "), 2},
      {"punctuation", CountWords("ab,cd.ef"), 2},
      {"tab is a word character", CountWords("ab\tcd "), 1},
      {"1252 letters", CountWords("\xE4\xF6\xFC "), 1},
      {"empty", CountWords(""), 0},
  });
  const struct {
    const char* s;
    bool want;
  } abbrev[] = {{"NASA", true}, {"NaSA", true},   {"Nasa", false},
                {"ABc1d", false}, {"A.B.", false}, {"", false}};
  for (const auto& c : abbrev) EXPECT_EQ(IsAbbreviation(c.s), c.want) << "s=" << c.s;
}

TEST(StringlWords, ExtractWordAroundPosition) {
  const std::string s = "Hello, world(x)";
  const struct {
    int32_t pos;
    const char* word;
    int32_t start, end;
  } cases[] = {{2, "Hello", 1, 5}, {1, "Hello", 1, 5}, {6, ",", 6, 6},  {7, " ", 7, 7},
               {9, "world", 8, 12}, {14, "x", 14, 14}, {15, ")", 15, 15}, {0, "", 0, 0},
               {-1, "", 0, 0},      {16, "", 0, 0}};
  for (const auto& c : cases) {
    int32_t start = -9, end = -9;
    EXPECT_EQ(ExtractWordFromString(s, c.pos, start, end), c.word) << "pos=" << c.pos;
    EXPECT_EQ(start, c.start) << "pos=" << c.pos;
    EXPECT_EQ(end, c.end) << "pos=" << c.pos;
    EXPECT_EQ(ExtractWordFromString(s, c.pos), c.word) << "pos=" << c.pos;
  }
  EXPECT_EQ(ExtractWordFromString("a\tb c", 1), "a\tb");
  EXPECT_EQ(ExtractWordFromString("x \xE4\xF6-y", 3), "\xE4\xF6");
}

}  // namespace
}  // namespace nuv
