#include "nuv/platform/CodePage.h"

#include <array>

#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace {

#include "CodePageTables.inc"

uint8_t Byte(char c) { return static_cast<uint8_t>(c); }

// Reverse of kAnsiToUnicode over the code points that 1252 reaches.
struct UnicodeIndex {
  std::array<int16_t, 0x2200> Map{};
  UnicodeIndex() {
    Map.fill(-1);
    for (int b = 0; b < 256; ++b) Map[kAnsiToUnicode[b]] = static_cast<int16_t>(b);
  }
};

const UnicodeIndex& Reverse() {
  static const UnicodeIndex index;
  return index;
}

int g_oemCodePage = 437;

template <class F>
std::string MapBytes(std::string_view s, F f) {
  std::string out(s);
  for (char& c : out) c = f(c);
  return out;
}

bool IsUpperAnsi(char c) { return AnsiLowerChar(c) != c; }

int Sign(int v) { return (v > 0) - (v < 0); }

// Multi-level comparison; caseLevel adds the tertiary (case) level.
int Collate(std::string_view a, std::string_view b, bool caseLevel) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int d = kCollatePrimary[Byte(a[i])] - kCollatePrimary[Byte(b[i])];
    if (d != 0) return Sign(d);
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (std::size_t i = 0; i < n; ++i) {
    const int d = kCollateSecondary[Byte(a[i])] - kCollateSecondary[Byte(b[i])];
    if (d != 0) return Sign(d);
  }
  if (!caseLevel) return 0;
  for (std::size_t i = 0; i < n; ++i) {
    const int d = static_cast<int>(IsUpperAnsi(a[i])) - static_cast<int>(IsUpperAnsi(b[i]));
    if (d != 0) return Sign(d);
  }
  return 0;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

char AnsiUpperChar(char c) {
  const uint8_t b = Byte(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  if (b == 0x9A || b == 0x9C || b == 0x9E) return static_cast<char>(b - 0x10);
  if (b == 0xFF) return static_cast<char>(0x9F);
  if (b >= 0xE0 && b != 0xF7) return static_cast<char>(b - 0x20);
  return c;
}

char AnsiLowerChar(char c) {
  const uint8_t b = Byte(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 32);
  if (b == 0x8A || b == 0x8C || b == 0x8E) return static_cast<char>(b + 0x10);
  if (b == 0x9F) return static_cast<char>(0xFF);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 0x20);
  return c;
}

char UpCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

std::string AnsiUpperCase(std::string_view s) { return MapBytes(s, AnsiUpperChar); }
std::string AnsiLowerCase(std::string_view s) { return MapBytes(s, AnsiLowerChar); }
std::string UpperCase(std::string_view s) { return MapBytes(s, UpCase); }
std::string LowerCase(std::string_view s) {
  return MapBytes(s, [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
}

int AnsiCompareStr(std::string_view a, std::string_view b) { return Collate(a, b, true); }
int AnsiCompareText(std::string_view a, std::string_view b) { return Collate(a, b, false); }
bool AnsiSameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AnsiUpperChar(a[i]) != AnsiUpperChar(b[i])) return false;
  return true;
}

int CompareStr(std::string_view a, std::string_view b) { return Sign(a.compare(b)); }
int CompareText(std::string_view a, std::string_view b) {
  return CompareStr(UpperCase(a), UpperCase(b));
}
bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

void SetOemCodePage(int codePage) {
  if (codePage != 437 && codePage != 850)
    throw EConvertError("Unsupported OEM code page " + std::to_string(codePage));
  g_oemCodePage = codePage;
}
int OemCodePage() { return g_oemCodePage; }

std::string OemToAnsi(std::string_view s) {
  const uint8_t* t = g_oemCodePage == 850 ? kOem850ToAnsi : kOem437ToAnsi;
  return MapBytes(s, [t](char c) { return static_cast<char>(t[Byte(c)]); });
}

std::string AnsiToOem(std::string_view s) {
  const uint8_t* t = g_oemCodePage == 850 ? kAnsiToOem850 : kAnsiToOem437;
  return MapBytes(s, [t](char c) { return static_cast<char>(t[Byte(c)]); });
}

char16_t AnsiCharToUnicode(char c) { return kAnsiToUnicode[Byte(c)]; }

int UnicodeToAnsiChar(char32_t codePoint) {
  if (codePoint >= Reverse().Map.size()) return -1;
  return Reverse().Map[codePoint];
}

std::u16string AnsiToUtf16(std::string_view s) {
  std::u16string out(s.size(), u'\0');
  for (std::size_t i = 0; i < s.size(); ++i) out[i] = kAnsiToUnicode[Byte(s[i])];
  return out;
}

std::string Utf16ToAnsi(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size()) ++i;  // a surrogate pair has no 1252 byte
    const int b = cp >= 0xD800 && cp <= 0xDFFF ? -1 : UnicodeToAnsiChar(cp);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

std::string AnsiToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) AppendUtf8(out, kAnsiToUnicode[Byte(c)]);
  return out;
}

std::string Utf8ToAnsi(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const uint8_t b = Byte(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < s.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const uint8_t cont = Byte(s[i + static_cast<std::size_t>(k)]);
      valid = (cont & 0xC0) == 0x80;
      cp = (cp << 6) | (cont & 0x3F);
    }
    if (!valid) {
      out += '?';
      ++i;
      continue;
    }
    const int a = UnicodeToAnsiChar(cp);
    out += a < 0 ? '?' : static_cast<char>(a);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

}  // namespace nuv
