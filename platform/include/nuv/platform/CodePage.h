// Windows-1252 text: case conversion, locale-aware comparison, and the
// conversions at the library's boundaries (UTF-16 toward Qt, UTF-8 toward
// file names and the environment, the OEM code page toward console text).
//
// Case follows the Windows-1252 letters, including Š/š, Œ/œ, Ž/ž and Ÿ/ÿ;
// ß and µ have no single-byte upper case and stay as they are. Comparison
// is linguistic in three levels: base letters first (digits before letters,
// symbols before digits), then accents, then case (lower before upper).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nuv {

// Single characters.
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
// ASCII-only upper case of one character.
char UpCase(char c);

std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
// ASCII-only case conversion of a whole text.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// Locale-aware comparison: < 0, 0 or > 0.
int AnsiCompareStr(std::string_view a, std::string_view b);
int AnsiCompareText(std::string_view a, std::string_view b);  // ignoring case
bool AnsiSameText(std::string_view a, std::string_view b);
// Byte-wise comparison, and ASCII case-insensitive comparison.
int CompareStr(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

// OEM code page used by OemToAnsi/AnsiToOem: 437 (default) or 850.
// Other values raise EConvertError.
void SetOemCodePage(int codePage);
int OemCodePage();
// Characters without a counterpart get a best fit (the base letter, box
// drawing as "+", "-", "|"), else "?". Bytes below 128 are unchanged.
std::string OemToAnsi(std::string_view s);
std::string AnsiToOem(std::string_view s);

// Unicode boundaries. Characters outside Windows-1252 become "?".
std::u16string AnsiToUtf16(std::string_view s);
std::string Utf16ToAnsi(std::u16string_view s);
std::string AnsiToUtf8(std::string_view s);
std::string Utf8ToAnsi(std::string_view s);
// The Unicode code point of a 1252 byte, and the byte of a code point
// (-1 when it has none).
char16_t AnsiCharToUnicode(char c);
int UnicodeToAnsiChar(char32_t codePoint);

}  // namespace nuv
