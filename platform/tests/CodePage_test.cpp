#include <gtest/gtest.h>

#include "nuv/platform/CodePage.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {
namespace {

TEST(AnsiCase, Windows1252LettersToggle) {
  const struct {
    char lower, upper;
  } pairs[] = {{'a', 'A'}, {'z', 'Z'}, {'\xE4', '\xC4'}, {'\xFE', '\xDE'},
               {'\x9A', '\x8A'}, {'\x9C', '\x8C'}, {'\x9E', '\x8E'}, {'\xFF', '\x9F'}};
  for (const auto& p : pairs) {
    EXPECT_EQ(AnsiUpperChar(p.lower), p.upper) << static_cast<int>(static_cast<uint8_t>(p.lower));
    EXPECT_EQ(AnsiLowerChar(p.upper), p.lower) << static_cast<int>(static_cast<uint8_t>(p.upper));
  }
  for (char same : {'\xDF', '\xB5', '\xF7', '\xD7', '1', '\0', '\x80'}) {
    EXPECT_EQ(AnsiUpperChar(same), same) << static_cast<int>(static_cast<uint8_t>(same));
    EXPECT_EQ(AnsiLowerChar(same), same) << static_cast<int>(static_cast<uint8_t>(same));
  }
  EXPECT_EQ(UpperCase("\xE4x"), "\xE4X") << "UpperCase changes ASCII only";
}

TEST(AnsiCompare, LinguisticLevels) {
  EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
  EXPECT_EQ(AnsiCompareText("\xC4rger", "\xE4rger"), 0);
  EXPECT_LT(AnsiCompareStr("a", "A"), 0) << "lower case sorts first";
  EXPECT_LT(AnsiCompareText("\xE4", "b"), 0) << "an umlaut sorts with its base letter";
  EXPECT_LT(AnsiCompareText("9", "a"), 0);
  EXPECT_TRUE(AnsiSameText("\x9A" "a", "\x8A" "A"));
  EXPECT_FALSE(AnsiSameText("ab", "abc"));
  EXPECT_EQ(CompareText("abc", "ABD"), -1);
}

TEST(OemAnsi, RoundTripAndBestFit) {
  EXPECT_EQ(OemToAnsi("\x84"), "\xE4");  // ä in code page 437
  EXPECT_EQ(AnsiToOem("\xE4"), "\x84");
  EXPECT_EQ(OemToAnsi("\xC4"), "-") << "box drawing has no 1252 counterpart";
  EXPECT_EQ(OemToAnsi("plain"), "plain");
  SetOemCodePage(850);
  EXPECT_EQ(OemToAnsi("\xD1"), "\xD0");  // Ð in code page 850
  SetOemCodePage(437);
  EXPECT_THROW(SetOemCodePage(1252), EConvertError);
}

TEST(Unicode, BoundaryConversions) {
  EXPECT_EQ(AnsiToUtf8("\x80\xE4"), "\xE2\x82\xAC\xC3\xA4");  // € ä
  EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC\xC3\xA4"), "\x80\xE4");
  EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD"), "?") << "a character outside 1252";
  EXPECT_EQ(Utf8ToAnsi("\xC3"), "?") << "a cut sequence";
  EXPECT_EQ(AnsiToUtf16("\x9F"), u"\u0178");
  EXPECT_EQ(Utf16ToAnsi(u"\u0178\U0001F600"), "\x9F?");
  for (int b = 0; b < 256; ++b) {
    const std::string s(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(s)), s) << b;
  }
}

}  // namespace
}  // namespace nuv
