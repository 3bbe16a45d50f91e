// Words, fields, tokens, lines, small parsers, uuencoding and the scrambler.
#include <algorithm>
#include <array>

#include "Nuv_stringl_tags.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/Random.h"

namespace nuv {

namespace {

constexpr auto npos = std::string_view::npos;

unsigned char Code(char c) { return static_cast<unsigned char>(c); }

// 0-based index of a 1-based position, positions below 1 counting as 1 and
// those beyond the end as the end.
std::size_t StartIndex(int32_t pos, std::size_t size) {
  return pos > 1 ? std::min(static_cast<std::size_t>(pos) - 1, size) : 0;
}

bool StartsWithIgnoringCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), s.begin(),
                    [](char a, char b) { return AnsiLowerChar(a) == AnsiLowerChar(b); });
}

// ---------------------------------------------------------------------------
// Tags

struct TTag {
  std::size_t lt, gt;  // indices of "<" and ">"
  std::string name, attributes;
};

// The next complete tag at or after `from`; false when there is none.
bool FindTag(std::string_view s, std::size_t from, TTag& tag) {
  tag.lt = s.find('<', from);
  if (tag.lt == npos) return false;
  tag.gt = s.find('>', tag.lt + 1);
  if (tag.gt == npos) return false;
  detail::ParseTagBody(s.substr(tag.lt + 1, tag.gt - tag.lt - 1), tag.name, tag.attributes);
  return true;
}

using detail::LastTagIndex;
using detail::TagIndex;

// ---------------------------------------------------------------------------
// uuencoding

char UUChar(unsigned v) { return v == 0 ? '`' : static_cast<char>(32 + v); }

unsigned UUValue(std::string_view line, std::size_t i) {
  return i < line.size() ? static_cast<unsigned>(Code(line[i]) - 32) & 63u : 0u;
}

// ---------------------------------------------------------------------------
// Scrambler tables, zero until InitScramble fills them.

std::array<uint8_t, 256> gForward{};
std::array<uint8_t, 256> gInverse{};

std::string Substitute(std::string_view s, const std::array<uint8_t, 256>& table) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(table[Code(c)]);
  return r;
}

}  // namespace

// ---------------------------------------------------------------------------
// Words, fields and tokens

std::string ExtractWordFromString(std::string_view S, int32_t Pos) {
  int32_t startPos, endPos;
  return ExtractWordFromString(S, Pos, startPos, endPos);
}

std::string ExtractWordFromString(std::string_view S, int32_t Pos, int32_t& StartPos,
                                  int32_t& EndPos) {
  StartPos = EndPos = 0;
  if (Pos < 1 || static_cast<std::size_t>(Pos) > S.size()) return {};
  const std::size_t i = static_cast<std::size_t>(Pos) - 1;
  if (IsWordDelimiter(S[i])) {
    StartPos = EndPos = Pos;
    return std::string(1, S[i]);
  }
  std::size_t first = i, last = i;
  while (first > 0 && !IsWordDelimiter(S[first - 1])) --first;
  while (last + 1 < S.size() && !IsWordDelimiter(S[last + 1])) ++last;
  StartPos = static_cast<int32_t>(first + 1);
  EndPos = static_cast<int32_t>(last + 1);
  return std::string(S.substr(first, last - first + 1));
}

std::string ExtractSubString(std::string_view S, int32_t Ix, std::string_view Delimiter) {
  if (Ix < 0 || S.empty()) return {};
  if (Delimiter.empty()) return Ix == 0 ? std::string(S) : std::string();
  std::size_t start = 0;
  for (int32_t k = 0; k < Ix; ++k) {
    const std::size_t at = S.find(Delimiter, start);
    if (at == npos) return {};
    start = at + Delimiter.size();
  }
  const std::string_view rest = S.substr(start);
  if (rest.empty() || StartsWithIgnoringCase(rest, Delimiter)) return {};
  return std::string(rest.substr(0, rest.find(Delimiter, 1)));
}

int32_t Tokenize(std::string_view S, std::string_view Delimiter, TOpenStringArray& Tokens) {
  constexpr std::size_t kMaxSplits = 99;
  Tokens.clear();
  std::size_t from = 0;
  if (!Delimiter.empty()) {
    for (std::size_t at; Tokens.size() < kMaxSplits && (at = S.find(Delimiter, from)) != npos;
         from = at + Delimiter.size())
      Tokens.emplace_back(S.substr(from, at - from));
  }
  Tokens.emplace_back(S.substr(from));
  return static_cast<int32_t>(Tokens.size());
}

// ---------------------------------------------------------------------------
// Lines

std::string ReadLnString(std::string_view S, int32_t& StartIx, bool& EndOfString,
                         int32_t LineEnd) {
  EndOfString = false;
  std::string line;
  char prev = '\0';
  for (std::size_t i = StartIndex(StartIx, S.size()); i < S.size(); prev = S[i++]) {
    const char c = S[i];
    bool terminator = false;
    switch (LineEnd) {
      case 0: terminator = c == '\n'; break;
      case 1: terminator = c == '\r'; break;
      case 2: terminator = c == '\r' || c == '\n'; break;
      case 3: terminator = c == '\r' && prev == '\n'; break;
      case 4: terminator = c == '\n' && prev == '\r'; break;
      default: break;
    }
    if (terminator) {
      StartIx = static_cast<int32_t>(i + 2);
      return line;
    }
    if (Code(c) >= 32) line += c;
  }
  EndOfString = true;
  StartIx = static_cast<int32_t>(S.size() + 1);
  return line;
}

void TextLineCoords(std::string_view S, int32_t Pos, int32_t& Line, int32_t& Col) {
  Line = Col = 0;
  if (Pos < 1 || static_cast<std::size_t>(Pos) > S.size() + 1) return;
  Line = Col = 1;
  for (std::size_t i = 0; i + 1 < static_cast<std::size_t>(Pos); ++i) {
    const bool lineBreak =
        S[i] == '\n' || (S[i] == '\r' && (i + 1 == S.size() || S[i + 1] != '\n'));
    if (lineBreak) {
      ++Line;
      Col = 1;
    } else {
      ++Col;
    }
  }
}

// ---------------------------------------------------------------------------
// Small parsers

void ParseQuotedName(char InChar, char QuoteChar, std::string& Name, TQuotedStrState& State) {
  const bool separator = Code(InChar) <= 32;
  switch (State) {
    case vsStart:
      if (InChar == QuoteChar) {
        Name.clear();
        State = vs1stQuote;
      } else if (!separator) {
        Name.assign(1, InChar);
        State = vsNormal;
      }
      break;
    case vs1stQuote:
      if (InChar == QuoteChar) {
        State = vsQuote;
      } else {
        Name += InChar;
      }
      break;
    case vsQuote:  // a quote inside a quoted name: doubled, or the end
      if (InChar == QuoteChar) {
        Name += QuoteChar;
        State = vs1stQuote;
      } else {
        State = vsEnd;
      }
      break;
    case vsNormal:
      if (separator) {
        State = vsEnd;
      } else {
        Name += InChar;
      }
      break;
    case vsEnd:
      break;
  }
}

std::string ExtractParam(std::string_view S, int32_t Ix, char Delimiter, char QuoteChar,
                         std::string_view Default) {
  const std::size_t n = S.size();
  std::size_t i = S.find_first_not_of(' ');
  if (Ix < 1 || i == npos) return std::string(Default);
  const bool quoting = QuoteChar != Delimiter;
  for (int32_t field = 1;; ++field) {
    while (i < n && S[i] == ' ') ++i;
    std::string value;
    std::size_t kept = 0;  // quoted text keeps its blanks
    while (i < n && S[i] != Delimiter) {
      if (quoting && S[i] == QuoteChar) {
        for (++i; i < n; ++i) {
          if (S[i] != QuoteChar) {
            value += S[i];
          } else if (i + 1 < n && S[i + 1] == QuoteChar) {
            value += S[++i];
          } else {
            ++i;
            break;
          }
        }
        kept = value.size();
      } else {
        value += S[i++];
      }
    }
    if (field == Ix) {
      const std::size_t end = value.find_last_not_of(' ');
      value.resize(std::max(kept, end == npos ? 0 : end + 1));
      return value;
    }
    if (i >= n) return std::string(Default);
    ++i;  // the delimiter
    if (Delimiter == ' ') {
      while (i < n && S[i] == ' ') ++i;
      if (i >= n) return std::string(Default);
    }
  }
}

// ---------------------------------------------------------------------------
// uuencoding

std::string UUEncodeStr(std::string_view S) {
  constexpr std::size_t kLineBytes = 45;
  std::string r;
  r.reserve((S.size() + kLineBytes - 1) / kLineBytes * 63 + 3);
  for (std::size_t off = 0; off < S.size(); off += kLineBytes) {
    const std::size_t count = std::min(kLineBytes, S.size() - off);
    r += UUChar(static_cast<unsigned>(count));
    for (std::size_t g = 0; g < count; g += 3) {
      const auto byte = [&](std::size_t k) -> unsigned {
        return g + k < count ? Code(S[off + g + k]) : 0u;
      };
      const unsigned b0 = byte(0), b1 = byte(1), b2 = byte(2);
      r += UUChar(b0 >> 2);
      r += UUChar(((b0 & 3) << 4) | (b1 >> 4));
      r += UUChar(((b1 & 15) << 2) | (b2 >> 6));
      r += UUChar(b2 & 63);
    }
    r += "\r\n";
  }
  r += "`\r\n";
  return r;
}

std::string UUDecodeStr(std::string_view S) {
  std::string r;
  bool started = false;
  for (std::size_t i = 0; i < S.size();) {
    const std::size_t eol = S.find('\n', i);
    std::string_view line = S.substr(i, eol == npos ? npos : eol - i);
    i = eol == npos ? S.size() : eol + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.empty()) continue;
    if (!started && line.starts_with("begin ")) continue;
    if (line == "end") break;
    started = true;
    const std::size_t count = UUValue(line, 0);
    if (count == 0) break;
    for (std::size_t g = 0, produced = 0; produced < count; g += 4) {
      const unsigned c0 = UUValue(line, 1 + g), c1 = UUValue(line, 2 + g);
      const unsigned c2 = UUValue(line, 3 + g), c3 = UUValue(line, 4 + g);
      const unsigned bytes[3] = {(c0 << 2) | (c1 >> 4), ((c1 & 15) << 4) | (c2 >> 2),
                                 ((c2 & 3) << 6) | c3};
      for (unsigned b : bytes)
        if (produced < count) {
          r += static_cast<char>(b & 0xFF);
          ++produced;
        }
    }
  }
  return r;
}

// ---------------------------------------------------------------------------
// Tags

namespace detail {

std::string_view TrimTagSpace(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsTagSpace(s[b])) ++b;
  while (e > b && IsTagSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool ParseTagBody(std::string_view body, std::string& name, std::string& attributes) {
  const bool emptyElement = !body.empty() && body.back() == '/';
  if (emptyElement) body.remove_suffix(1);
  std::size_t blank = 0;
  while (blank < body.size() && !IsTagSpace(body[blank])) ++blank;
  name = AnsiLowerCase(body.substr(0, blank));
  attributes.assign(TrimTagSpace(body.substr(blank)));
  return emptyElement;
}

int32_t LastTagIndex(std::span<const std::string> list, int32_t highTag) {
  const int64_t last = std::min<int64_t>(highTag, static_cast<int64_t>(list.size()) - 1);
  return last < 0 ? -1 : static_cast<int32_t>(last);
}

int32_t TagIndex(std::string_view name, std::span<const std::string> list, int32_t highTag) {
  const auto used = list.first(static_cast<std::size_t>(LastTagIndex(list, highTag) + 1));
  const auto it = std::find(used.begin(), used.end(), name);
  return it == used.end() ? -1 : static_cast<int32_t>(it - used.begin());
}

}  // namespace detail

int32_t ReadNextTagInString(std::string_view S, int32_t& Pos, std::span<const std::string> TagList,
                            int32_t HighTag, std::string& TextBefore, std::string& Attributes) {
  const std::size_t from = StartIndex(Pos, S.size());
  Attributes.clear();
  TTag tag;
  if (!FindTag(S, from, tag)) {
    TextBefore.assign(S.substr(from));
    Pos = static_cast<int32_t>(S.size() + 1);
    return LastTagIndex(TagList, HighTag);
  }
  TextBefore.assign(S.substr(from, tag.lt - from));
  Attributes = std::move(tag.attributes);
  Pos = static_cast<int32_t>(tag.gt + 2);
  const int32_t ix = TagIndex(tag.name, TagList, HighTag);
  return ix >= 0 ? ix : LastTagIndex(TagList, HighTag);
}

int32_t DetectNextTagInString(std::string_view S, int32_t& Pos,
                              std::span<const std::string> TagList, int32_t HighTag,
                              std::string& TextBefore, std::string& Attributes) {
  const std::size_t from = StartIndex(Pos, S.size());
  Attributes.clear();
  TTag tag;
  for (std::size_t at = from; FindTag(S, at, tag); at = tag.gt + 1) {
    const int32_t ix = TagIndex(tag.name, TagList, HighTag);
    if (ix >= 0) {
      TextBefore.assign(S.substr(from, tag.lt - from));
      Attributes = std::move(tag.attributes);
      Pos = static_cast<int32_t>(tag.gt + 2);
      return ix;
    }
  }
  TextBefore.assign(S.substr(from));
  Pos = static_cast<int32_t>(S.size() + 1);
  return -1;
}

// ---------------------------------------------------------------------------
// Scrambler

void InitScramble(int32_t Seed) {
  RandSeed = static_cast<uint32_t>(Seed);
  gForward.fill(0);
  gInverse.fill(0);
  std::array<bool, 256> used{};
  for (int i = 1; i <= 255; ++i) {
    int r;
    do {
      r = 1 + Random(255);
    } while (used[r]);
    used[r] = true;
    gForward[i] = static_cast<uint8_t>(r);
    gInverse[r] = static_cast<uint8_t>(i);
  }
}

std::string Scramble(std::string_view S) { return Substitute(S, gForward); }

std::string DeScramble(std::string_view S) { return Substitute(S, gInverse); }

}  // namespace nuv
