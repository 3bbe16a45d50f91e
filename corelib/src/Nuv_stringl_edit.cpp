// Character classes, stripping, padding, editing, searching and counting.
#include <algorithm>
#include <array>

#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace {

unsigned char Code(char c) { return static_cast<unsigned char>(c); }

int32_t Pos1(std::size_t index) { return static_cast<int32_t>(index + 1); }

// The locale-aware lower case of s when fold is set, else s itself.
std::string_view Folded(std::string_view s, bool fold, std::string& store) {
  if (!fold) return s;
  store = AnsiLowerCase(s);
  return store;
}

// Index of the n-th (n >= 1) non-overlapping occurrence of sub in s at or
// after `from`, or npos.
std::size_t NthOccurrence(std::string_view sub, std::string_view s, std::size_t from, int64_t n) {
  if (sub.empty() || from > s.size()) return std::string_view::npos;
  for (;; from += sub.size()) {
    from = s.find(sub, from);
    if (from == std::string_view::npos || --n == 0) return from;
  }
}

using TCharTable = std::array<bool, 256>;

constexpr TCharTable MakeTable(std::string_view members) {
  TCharTable t{};
  for (char c : members) t[static_cast<unsigned char>(c)] = true;
  return t;
}

constexpr char kDelimiterChars[] = "\0\n\r \"#%'()*+,-./:;<=>[\\]{}";
constexpr TCharTable kWordDelimiters =
    MakeTable(std::string_view(kDelimiterChars, sizeof kDelimiterChars - 1));

constexpr TCharTable kFileNameChars = MakeTable(
    "!#$%&'()-.0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ^_`abcdefghijklmnopqrstuvwxyz{}~");

// Membership table of a character set with its macros expanded. The
// expansions contain no "/", so no macro can arise from one and a single
// left-to-right scan equals repeated replacement.
TCharTable ExpandCharSet(std::string_view set) {
  struct TMacro {
    std::string_view name;
    int lo, hi;
  };
  static constexpr TMacro kMacros[] = {{"//dig", '0', '9'},  {"//lc", 'a', 'z'},
                                       {"//uc", 'A', 'Z'},   {"//31dwn", 0, 31},
                                       {"//128up", 128, 255}};
  TCharTable t{};
  for (std::size_t i = 0; i < set.size();) {
    const TMacro* hit = nullptr;
    for (const TMacro& m : kMacros)
      if (set.substr(i, m.name.size()) == m.name) hit = &m;
    if (hit) {
      for (int c = hit->lo; c <= hit->hi; ++c) t[c] = true;
      i += hit->name.size();
    } else {
      t[Code(set[i++])] = true;
    }
  }
  return t;
}

template <class F>
std::string MapChars(std::string_view s, F f) {
  std::string r(s);
  for (char& c : r) c = f(c);
  return r;
}

}  // namespace

// ---------------------------------------------------------------------------
// Character classes

bool IsDigit(char Ch) { return Ch >= '0' && Ch <= '9'; }
bool IsLetter(char Ch) { return (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z'); }
bool IsDigitLetter(char Ch) { return IsDigit(Ch) || IsLetter(Ch); }
bool IsHexChar(char Ch) {
  return IsDigit(Ch) || (Ch >= 'A' && Ch <= 'F') || (Ch >= 'a' && Ch <= 'f');
}
bool IsUmlaut(char Ch) {
  switch (Code(Ch)) {
    case 228: case 246: case 252: case 196: case 214: case 220: case 223: return true;
    default: return false;
  }
}
bool IsWordDelimiter(char Ch) { return kWordDelimiters[Code(Ch)]; }

// ---------------------------------------------------------------------------
// Stripping and padding

std::string StripLTBlanks(std::string_view S) {
  const std::size_t first = S.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(S.substr(first, S.find_last_not_of(' ') - first + 1));
}

std::string StripLeadingBlanks(std::string_view S) {
  std::size_t first = 0;
  while (first + 1 < S.size() && S[first] == ' ') ++first;
  return std::string(S.substr(first));
}

std::string StripTrailingBlanks(std::string_view S) { return StripTrailingChars(' ', S); }

std::string StripLeadingChars(char Ch, std::string_view S) {
  const std::size_t first = S.find_first_not_of(Ch);
  return first == std::string_view::npos ? std::string() : std::string(S.substr(first));
}

std::string StripTrailingChars(char Ch, std::string_view S) {
  std::size_t len = S.size();
  while (len > 1 && S[len - 1] == Ch) --len;
  return std::string(S.substr(0, len));
}

std::string RemoveControlChars(std::string_view S) {
  std::string r;
  r.reserve(S.size());
  for (char c : S)
    if (Code(c) >= 32) r += c;
  return r;
}

std::string RemoveCharInString(std::string_view S, char Ch) {
  std::string r;
  r.reserve(S.size());
  for (char c : S)
    if (c != Ch) r += c;
  return r;
}

std::string ReplaceCharInString(std::string_view S, char OldC, char NewC) {
  return MapChars(S, [=](char c) { return c == OldC ? NewC : c; });
}

std::string ReplaceStringInString(std::string_view S, std::string_view Old, std::string_view New,
                                  bool IgnoreCase) {
  if (Old.empty()) return std::string(S);
  std::string storeS, storeOld;
  const std::string_view s = Folded(S, IgnoreCase, storeS);
  const std::string_view old = Folded(Old, IgnoreCase, storeOld);
  std::string r;
  r.reserve(S.size());
  std::size_t from = 0;
  for (std::size_t at; (at = s.find(old, from)) != std::string_view::npos; from = at + old.size()) {
    r.append(S.substr(from, at - from));
    r.append(New);
  }
  r.append(S.substr(from));
  return r;
}

std::string EnsureTrailingBkSlash(std::string_view S) { return EnsureTrailingChar('\\', S); }

std::string EnsureTrailingChar(char Ch, std::string_view S) {
  std::string r(S);
  if (!r.empty() && r.back() != Ch) r += Ch;
  return r;
}

std::string EnsureLeadingChar(char Ch, std::string_view S) {
  if (S.empty() || S.front() == Ch) return std::string(S);
  std::string r;
  r.reserve(S.size() + 1);
  r += Ch;
  r.append(S);
  return r;
}

std::string LeftString(std::string_view S, uint8_t Len) {
  std::string r(S.substr(0, Len));
  r.resize(Len, ' ');
  return r;
}

std::string RightString(std::string_view S, int32_t Len) {
  const std::size_t n = Len > 0 ? static_cast<std::size_t>(Len) : 0;
  if (S.size() >= n) return std::string(S.substr(0, n));
  std::string r(n - S.size(), ' ');
  r.append(S);
  return r;
}

std::string CenterString(std::string_view S, int32_t Len) {
  const std::size_t n = Len > 0 ? static_cast<std::size_t>(Len) : 0;
  if (S.size() >= n) return std::string(S.substr(0, n));
  std::string r((n - S.size()) / 2, ' ');
  r.append(S);
  r.resize(n, ' ');
  return r;
}

std::string AbbrevString(std::string_view S, int32_t MaxLen) {
  const std::size_t n = MaxLen > 0 ? static_cast<std::size_t>(MaxLen) : 0;
  if (S.size() <= n) return std::string(S);
  const std::size_t keep = n > 2 ? n - 2 : 0;
  std::string r(S.substr(0, keep));
  r.append(std::min<std::size_t>(n, 2), '.');
  return r;
}

std::string MultiChar(char Ch, int32_t N) { return std::string(std::clamp(N, 1, 255), Ch); }

std::string ReverseString(std::string_view S) { return std::string(S.rbegin(), S.rend()); }

// ---------------------------------------------------------------------------
// Case and character sets

std::string CapitalizeString(std::string_view S) {
  std::string r(S);
  bool wordStart = true;
  for (char& c : r) {
    if (IsLetter(c) || Code(c) >= 128) {
      if (wordStart) c = UpCase(c);
      wordStart = false;
    } else {
      wordStart = !IsDigit(c);
    }
  }
  return r;
}

std::string ChangeCase(std::string_view S) {
  return MapChars(S, [](char c) {
    const char upper = AnsiUpperChar(c);
    return upper == c ? AnsiLowerChar(c) : upper;
  });
}

std::string ExpandDiphthongs(std::string_view S) {
  std::string r;
  r.reserve(S.size() + S.size() / 4);
  for (std::size_t i = 0; i < S.size(); ++i) {
    const char c = S[i];
    switch (Code(c)) {
      case 228: r += "ae"; break;
      case 246: r += "oe"; break;
      case 252: r += "ue"; break;
      case 223: r += "ss"; break;
      case 181: r += 'u'; break;
      case 196:
      case 214:
      case 220: {
        r += Code(c) == 196 ? 'A' : (Code(c) == 214 ? 'O' : 'U');
        const bool lowerNext = i + 1 < S.size() && S[i + 1] >= 'a' && S[i + 1] <= 'z';
        r += lowerNext ? 'e' : 'E';
        break;
      }
      default: r += c;
    }
  }
  return r;
}

std::string ReduceStringToAZ09(std::string_view S) {
  return MapChars(S, [](char c) { return IsDigitLetter(c) ? c : '_'; });
}

std::string ReduceStringToFN83CompliantChars(std::string_view S) {
  return MapChars(S, [](char c) { return kFileNameChars[Code(c)] ? c : '_'; });
}

std::string ProcessHexChars(std::string_view S) {
  std::string r;
  r.reserve(S.size());
  for (std::size_t i = 0; i < S.size();) {
    if (S[i] == '\\' && i + 1 < S.size()) {
      if (S[i + 1] == '#' && i + 3 < S.size()) {
        int code = 0;
        for (std::size_t k = i + 2; k < i + 4 && IsHexChar(S[k]); ++k) {
          const char h = S[k];
          code = code * 16 + (IsDigit(h) ? h - '0' : (h | 0x20) - 'a' + 10);
        }
        r += static_cast<char>(code);
        i += 4;
        continue;
      }
      if (S[i + 1] == '\\') {
        r += '\\';
        i += 2;
        continue;
      }
    }
    r += S[i++];
  }
  return r;
}

std::string WinAnsiString(std::string_view S) { return OemToAnsi(S.substr(0, 255)); }

std::string OEMString(std::string_view S) { return AnsiToOem(S.substr(0, 255)); }

bool EqualAnsiStrings(std::string_view A, std::string_view B) { return AnsiSameText(A, B); }

// ---------------------------------------------------------------------------
// Searching and counting

int32_t NumberedPos(std::string_view SubStr, std::string_view S, int32_t StartAt, bool IgnoreCase,
                    int32_t Num) {
  if (Num <= 0 || SubStr.empty()) return 0;
  const std::size_t from = StartAt > 1 ? static_cast<std::size_t>(StartAt) - 1 : 0;
  if (from > S.size()) return 0;
  std::string storeS, storeSub;
  const std::size_t at = NthOccurrence(Folded(SubStr, IgnoreCase, storeSub),
                                       Folded(S, IgnoreCase, storeS), from, Num);
  return at == std::string_view::npos ? 0 : Pos1(at);
}

int32_t PosLast(std::string_view SubStr, std::string_view S) {
  std::size_t last = std::string_view::npos;
  for (std::size_t at = NthOccurrence(SubStr, S, 0, 1); at != std::string_view::npos;
       at = NthOccurrence(SubStr, S, at + SubStr.size(), 1))
    last = at;
  return last == std::string_view::npos ? 0 : Pos1(last);
}

int32_t CountStringInString(std::string_view SubStr, std::string_view S, bool CaseSensitive) {
  if (SubStr.empty()) return 0;
  std::string storeS, storeSub;
  const std::string_view s = Folded(S, !CaseSensitive, storeS);
  const std::string_view sub = Folded(SubStr, !CaseSensitive, storeSub);
  int32_t n = 0;
  for (std::size_t at = s.find(sub); at != std::string_view::npos; at = s.find(sub, at + sub.size()))
    ++n;
  return n;
}

int32_t CountCharInString(char Ch, std::string_view S, bool CaseSensitive) {
  if (CaseSensitive) return static_cast<int32_t>(std::count(S.begin(), S.end(), Ch));
  const char upper = AnsiUpperChar(Ch);
  return static_cast<int32_t>(
      std::count_if(S.begin(), S.end(), [=](char c) { return AnsiUpperChar(c) == upper; }));
}

int32_t StringIx(std::string_view S, std::span<const std::string> List) {
  const auto it = std::find(List.begin(), List.end(), S);
  return it == List.end() ? 0 : static_cast<int32_t>(it - List.begin() + 1);
}

int32_t StringIx(std::string_view S, std::initializer_list<std::string_view> List) {
  const auto it = std::find(List.begin(), List.end(), S);
  return it == List.end() ? 0 : static_cast<int32_t>(it - List.begin() + 1);
}

bool StringContains(std::string_view S, std::string_view CharSet) {
  const TCharTable set = ExpandCharSet(CharSet);
  return std::any_of(S.begin(), S.end(), [&](char c) { return set[Code(c)]; });
}

bool StringContainsOtherThan(std::string_view S, std::string_view CharSet) {
  const TCharTable set = ExpandCharSet(CharSet);
  return std::any_of(S.begin(), S.end(), [&](char c) { return !set[Code(c)]; });
}

bool TestAllChar(std::string_view S, char Ch) {
  return !S.empty() && S.find_first_not_of(Ch) == std::string_view::npos;
}

int32_t FindFirstNonBlank(std::string_view S) {
  const std::size_t at = S.find_first_not_of(' ');
  return at == std::string_view::npos ? 0 : Pos1(at);
}

int32_t CountWords(std::string_view S) {
  int32_t words = 0;
  std::size_t run = 0;
  for (char c : S) {
    if (IsWordDelimiter(c)) {
      if (run >= 2) ++words;
      run = 0;
    } else {
      ++run;
    }
  }
  return words;
}

bool IsAbbreviation(std::string_view S) {
  int32_t longestUpper = 0, upperRun = 0, lowerOrDigit = 0;
  for (char c : S) {
    if (c >= 'A' && c <= 'Z') {
      longestUpper = std::max(longestUpper, ++upperRun);
    } else {
      upperRun = 0;
      if ((c >= 'a' && c <= 'z') || IsDigit(c)) ++lowerOrDigit;
    }
  }
  return longestUpper > 1 && lowerOrDigit < longestUpper;
}

}  // namespace nuv
