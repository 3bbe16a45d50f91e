// The regular-expression matcher: the compiler from the expression to the
// token table, the matching program built from the table, and the search.
//
// The search is a backtracking walk over the tokens, inner repetitions
// shortest first. Whether the tokens from i on match at position p does
// not depend on how the walk got there, and the first success ends the
// whole search, so a (repetition, position) pair met a second time has
// failed before: a bit per pair cuts that branch, which keeps the work
// linear in the text where plain backtracking grows with the power of the
// number of repetitions.
#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "nuv/Nuv_streams_xml.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace {

constexpr std::array<std::string_view, 13> kErrorTexts{
    "no errors",
    "reg.exp. must not start with $, *, ?, or +",
    "circumflex not allowed here",
    "no character allowed after end of line",
    "empty set",
    "circumflex has to be quoted in set",
    "mismatch of set brackets",
    "minus not allowed here",
    "mismatch of group brackets",
    "*, ?, + have to be applied to groups or sets only",
    "reg.exp. needs more than 64 tokens",
    "string longer than 255 characters",
    "reg.exp. ends inside an escape sequence",
};

enum TGrepError : int32_t {
  erStart = 1,
  erCircumflex,
  erAfterEol,
  erEmptySet,
  erSetCircumflex,
  erSetBrackets,
  erMinus,
  erGroupBrackets,
  erRepeat,
  erTooManyTokens,
  erTooLong,
  erEscape,
};

constexpr char kMember = '*';
constexpr int32_t kMaxTokenChars = 255;
// Positions are 32-bit; the end of the text must still be one.
constexpr std::size_t kMaxText = 0x7FFFFFFE;

uint8_t Byte(char c) { return static_cast<uint8_t>(c); }

const std::array<uint8_t, 256>& LowerTable() {
  static const std::array<uint8_t, 256> table = [] {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = Byte(AnsiLowerChar(static_cast<char>(c)));
    return t;
  }();
  return table;
}

// ---------------------------------------------------------------------------
// Compiling

// Decodes "\#hh" (outside quoted pairs) and lower-cases for IgnoreCase. An
// escape cut off by the end stops the decoding there with erEscape.
int32_t Preprocess(std::string_view expr, bool ignoreCase, std::string& out) {
  out.clear();
  int32_t code = 0;
  for (std::size_t i = 0; i < expr.size();) {
    if (expr[i] != '\\') {
      out += expr[i++];
    } else if (i + 1 < expr.size() && expr[i + 1] == '#') {
      if (i + 3 >= expr.size()) {
        code = erEscape;
        break;
      }
      out += ProcessHexChars(expr.substr(i, 4));
      i += 4;
    } else {
      // A quoted pair stays for the compiler; so does a lone backslash at
      // the end, which the compiler reports.
      const std::size_t pair = std::min<std::size_t>(2, expr.size() - i);
      out.append(expr.substr(i, pair));
      i += pair;
    }
  }
  if (ignoreCase)
    for (char& c : out) c = static_cast<char>(LowerTable()[Byte(c)]);
  return code;
}

int32_t AppendChar(TGrepToken& t, char c) {
  if (t.Count >= kMaxTokenChars) return erTooLong;
  t.Buffer[static_cast<std::size_t>(++t.Count)] = c;
  return 0;
}

class TCompiler {
 public:
  explicit TCompiler(std::array<TGrepToken, MaxGrepTokens>& tokens) : t_(tokens) {}

  // The error code; Count() tokens are built either way.
  int32_t Run(std::string_view s);
  int32_t Count() const { return n_; }

 private:
  // What the last construct was, for the repetitions and "-".
  enum TLast : uint8_t {
    lkNone,
    lkBol,
    lkLiteral,
    lkGroup,
    lkAny,
    lkSet,
    lkRepeatedSet,
    lkRepeated
  };

  int32_t Step(std::string_view s, std::size_t& i);
  int32_t NewToken(TGrepTokenAct kind, int32_t count);
  int32_t Plain(char c);
  int32_t Repeat(char q);
  int32_t Group(std::string_view s, std::size_t& i);
  int32_t Set(std::string_view s, std::size_t& i);
  int32_t SetMembers(std::string_view s, std::size_t& i, TGrepToken& t, bool negated);

  std::array<TGrepToken, MaxGrepTokens>& t_;
  int32_t n_ = 0;
  TLast last_ = lkNone;
  bool group_has_token_ = false;  // the current group's token is t_[n_ - 1]
};

int32_t TCompiler::Run(std::string_view s) {
  if (!s.empty() && std::string_view("$*?+").find(s[0]) != std::string_view::npos) return erStart;
  for (std::size_t i = 0; i < s.size();)
    if (const int32_t code = Step(s, i)) return code;
  return 0;
}

int32_t TCompiler::Step(std::string_view s, std::size_t& i) {
  const char c = s[i++];
  switch (c) {
    case '\\':
      if (i == s.size()) return erEscape;
      return Plain(s[i++]);
    case '.':
      last_ = lkAny;
      return NewToken(taAnyByte, 0);
    case '^':
      if (i != 1) return erCircumflex;
      last_ = lkBol;
      return NewToken(taBol, 0);
    case '$':
      if (const int32_t code = NewToken(taEol, 0)) return code;
      return i < s.size() ? erAfterEol : 0;
    case '[':
      return Set(s, i);
    case ']':
      return erSetBrackets;
    case '(':
      return Group(s, i);
    case ')':
      return erGroupBrackets;
    case '*':
    case '+':
    case '?':
      return Repeat(c);
    case '-':
      if (last_ == lkSet || last_ == lkRepeatedSet) return erMinus;
      return Plain(c);
    default:
      return Plain(c);
  }
}

int32_t TCompiler::NewToken(TGrepTokenAct kind, int32_t count) {
  if (n_ == MaxGrepTokens) return erTooManyTokens;
  TGrepToken& t = t_[static_cast<std::size_t>(n_++)];
  t = TGrepToken{};
  t.Kind = kind;
  t.Count = count;
  return 0;
}

int32_t TCompiler::Plain(char c) {
  if (last_ != lkLiteral) {
    if (const int32_t code = NewToken(taNormal, 0)) return code;
    last_ = lkLiteral;
  }
  return AppendChar(t_[static_cast<std::size_t>(n_ - 1)], c);
}

int32_t TCompiler::Repeat(char q) {
  const TGrepTokenAct kind = q == '*' ? taMult0 : q == '+' ? taMult1 : taOpti;
  const TLast last = last_;
  last_ = last == lkSet ? lkRepeatedSet : lkRepeated;
  switch (last) {
    case lkLiteral: {
      TGrepToken& t = t_[static_cast<std::size_t>(n_ - 1)];
      if (t.Count == 1) break;
      // Of a run of plain characters only the last one repeats.
      const char c = t.Buffer[static_cast<std::size_t>(t.Count)];
      if (const int32_t code = NewToken(kind, 1)) return code;
      t_[static_cast<std::size_t>(n_ - 1)].Buffer[1] = c;
      t.Buffer[static_cast<std::size_t>(t.Count--)] = 0;
      return 0;
    }
    case lkGroup:
      if (!group_has_token_) return erRepeat;
      break;
    case lkAny:  // Count 0 already says "any character"
    case lkSet:  // and -1 "the set in the buffer"
      break;
    default:
      return erRepeat;
  }
  t_[static_cast<std::size_t>(n_ - 1)].Kind = kind;
  return 0;
}

int32_t TCompiler::Group(std::string_view s, std::size_t& i) {
  // A group right after a group goes on in the same token.
  if (last_ != lkGroup) group_has_token_ = false;
  last_ = lkGroup;
  while (i < s.size()) {
    char c = s[i++];
    if (c == ')') return 0;
    if (c == '^') return erCircumflex;
    if (c == '\\') {
      if (i == s.size()) return erEscape;
      c = s[i++];
    }
    if (!group_has_token_) {
      if (const int32_t code = NewToken(taNormal, 0)) return code;
      group_has_token_ = true;
    }
    if (const int32_t code = AppendChar(t_[static_cast<std::size_t>(n_ - 1)], c)) return code;
  }
  return 0;  // an open group keeps what it got
}

int32_t TCompiler::Set(std::string_view s, std::size_t& i) {
  const bool negated = i < s.size() && s[i] == '^';
  if (negated) ++i;
  if (i == s.size()) return erSetBrackets;
  if (s[i] == ']') return erEmptySet;
  if (s[i] == '-') return erMinus;
  if (const int32_t code = NewToken(taSet, -1)) return code;
  last_ = lkSet;
  TGrepToken& t = t_[static_cast<std::size_t>(n_ - 1)];
  t.Buffer.fill(' ');
  const int32_t code = SetMembers(s, i, t, negated);
  if (code != 0) --n_;  // its members are incomplete
  return code;
}

int32_t TCompiler::SetMembers(std::string_view s, std::size_t& i, TGrepToken& t, bool negated) {
  // Reads a member at i, quoted or not; false when a quote is cut off.
  const auto member = [&](char& m) {
    m = s[i++];
    if (m != '\\') return true;
    if (i == s.size()) return false;
    m = s[i++];
    return true;
  };
  uint8_t prev = 0;  // the member before a "-"; the first place is never "-"
  while (i < s.size()) {
    if (s[i] == ']') {
      ++i;
      if (negated)
        for (char& f : t.Buffer) f = f == kMember ? ' ' : kMember;
      return 0;
    }
    if (s[i] == '^') return erSetCircumflex;
    uint8_t lo = 0, hi = 0;
    char m = 0;
    if (s[i] == '-') {
      ++i;
      if (i == s.size()) return erSetBrackets;
      if (s[i] == '^') return erSetCircumflex;
      if (!member(m)) return erEscape;
      lo = std::min(prev, Byte(m));
      hi = std::max(prev, Byte(m));
    } else {
      if (!member(m)) return erEscape;
      lo = hi = Byte(m);
    }
    std::fill(t.Buffer.begin() + lo, t.Buffer.begin() + hi + 1, kMember);
    prev = Byte(m);
  }
  // An open plain set keeps its members; an open negated one was never
  // complemented.
  return negated ? erSetBrackets : 0;
}

// ---------------------------------------------------------------------------
// Failed (token, position) pairs of one search, a bit each. Positions are
// kept relative to a base that follows the candidate starts, so the store
// covers the longest stretch one search explores, not the whole text.
// Blocks of 64 positions hold one word per row side by side.

class TMemo {
 public:
  void SetRows(int32_t rows) {
    rows_ = static_cast<std::size_t>(rows);
    words_.clear();
    touched_ = 0;
  }
  // Before trying a start s: pairs behind every touched one are dropped.
  void Advance(uint32_t s) {
    if (touched_ == 0) {
      base_ = s;
    } else if (std::size_t{s - base_} >= touched_ * 64) {
      Clear();
      base_ = s;
    }
  }
  // True when (row, p) was visited before; marks it.
  bool Visit(int32_t row, uint32_t p) {
    const uint32_t off = p - base_;
    const std::size_t block = off >> 6;
    if (block >= touched_) Touch(block);
    uint64_t& w = words_[block * rows_ + static_cast<std::size_t>(row)];
    const uint64_t bit = uint64_t{1} << (off & 63);
    const bool seen = (w & bit) != 0;
    w |= bit;
    return seen;
  }
  void Clear() {
    std::fill_n(words_.begin(), touched_ * rows_, uint64_t{0});
    touched_ = 0;
  }

 private:
  void Touch(std::size_t block) {
    const std::size_t need = (block + 1) * rows_;
    if (need > words_.size()) words_.resize(std::max(need, 2 * words_.size()));
    touched_ = block + 1;
  }

  std::vector<uint64_t> words_;  // zero beyond touched_ blocks
  std::size_t rows_ = 0;
  std::size_t touched_ = 0;
  uint32_t base_ = 0;
};

// ---------------------------------------------------------------------------
// Finding candidate starts: the next position whose byte at a fixed offset
// belongs to a set of bytes.

class TScanner {
 public:
  // Every position is a candidate.
  void SetAll() { kind_ = skAll; }
  // Candidates have a member of `set` at `offset`.
  void Set(const std::array<uint8_t, 256>& set, uint32_t offset);
  // The first candidate at or after s, or n.
  uint32_t Next(const uint8_t* t, uint32_t s, uint32_t n) const {
    if (kind_ == skAll) return s;
    if (n - s <= offset_) return n;
    const uint32_t q = Find(t, s + offset_, n);
    return q == n ? n : q - offset_;
  }

 private:
  enum TKind : uint8_t { skAll, skByte, skRanges, skTable };
  static constexpr int kMaxRanges = 3;

  uint32_t Find(const uint8_t* t, uint32_t from, uint32_t n) const;
  uint32_t FindRanges(const uint8_t* t, uint32_t from, uint32_t n) const;
  uint32_t FindInTable(const uint8_t* t, uint32_t from, uint32_t n) const {
    for (; from < n; ++from)
      if (table_[t[from]]) break;
    return from;
  }

  TKind kind_ = skAll;
  uint32_t offset_ = 0;
  int ranges_ = 0;
  uint8_t lo_[kMaxRanges] = {}, span_[kMaxRanges] = {};
  std::array<uint8_t, 256> table_{};
};

void TScanner::Set(const std::array<uint8_t, 256>& set, uint32_t offset) {
  offset_ = offset;
  table_ = set;
  ranges_ = 0;
  for (int c = 0; c < 256;) {
    if (!set[c]) {
      ++c;
      continue;
    }
    int e = c;
    while (e + 1 < 256 && set[e + 1]) ++e;
    if (ranges_ == kMaxRanges) {
      kind_ = skTable;
      return;
    }
    lo_[ranges_] = static_cast<uint8_t>(c);
    span_[ranges_++] = static_cast<uint8_t>(e - c);
    c = e + 1;
  }
  kind_ = ranges_ == 1 && span_[0] == 0 ? skByte : skRanges;
}

uint32_t TScanner::Find(const uint8_t* t, uint32_t from, uint32_t n) const {
  switch (kind_) {
    case skByte: {
      const void* hit = std::memchr(t + from, lo_[0], n - from);
      return hit == nullptr ? n : static_cast<uint32_t>(static_cast<const uint8_t*>(hit) - t);
    }
    case skRanges:
      return FindRanges(t, from, n);
    default:
      return FindInTable(t, from, n);
  }
}

// Sixteen bytes at a time: byte - lo <= span, unsigned, for each range.
uint32_t TScanner::FindRanges(const uint8_t* t, uint32_t from, uint32_t n) const {
  __m128i lo[kMaxRanges], span[kMaxRanges];
  for (int r = 0; r < ranges_; ++r) {
    lo[r] = _mm_set1_epi8(static_cast<char>(lo_[r]));
    span[r] = _mm_set1_epi8(static_cast<char>(span_[r]));
  }
  for (; n - from >= 16; from += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + from));
    __m128i hits = _mm_setzero_si128();
    for (int r = 0; r < ranges_; ++r) {
      const __m128i d = _mm_sub_epi8(v, lo[r]);
      hits = _mm_or_si128(hits, _mm_cmpeq_epi8(_mm_min_epu8(d, span[r]), d));
    }
    if (const int mask = _mm_movemask_epi8(hits))
      return from + static_cast<uint32_t>(std::countr_zero(static_cast<unsigned>(mask)));
  }
  return FindInTable(t, from, n);
}

// How often a set of bytes turns up in text, roughly: by an order of byte
// frequencies in prose and logs, upper-case letters a quarter of their
// lower case, anything else rare.
uint32_t Commonness(const std::array<uint8_t, 256>& set) {
  static constexpr std::string_view kByFrequency =
      " etaoinsrhldcu\r\nmfpgwyb.,0123456789vk-_:=/()[]\txjqz";
  const auto rank = [](uint8_t c) -> uint32_t {
    const std::size_t i = kByFrequency.find(static_cast<char>(c));
    return i == std::string_view::npos ? 0 : static_cast<uint32_t>(kByFrequency.size() - i);
  };
  uint32_t sum = 0;
  for (int c = 0; c < 256; ++c) {
    if (!set[static_cast<std::size_t>(c)]) continue;
    const auto b = static_cast<uint8_t>(c);
    const uint8_t lower = LowerTable()[b];
    sum += lower == b ? 4 * rank(b) + 1 : rank(lower) + 1;
  }
  return sum;
}

// ---------------------------------------------------------------------------
// The matching program: the tokens as steps over a byte element (a table
// of 256 flags, case folding built in) or a string element.

enum TElement : uint8_t { elByte, elString, elBol, elEol };

struct TStep {
  TElement element = elByte;
  TGrepTokenAct repeat = taNormal;  // taNormal, taMult0, taMult1 or taOpti
  bool last = false;
  uint32_t len = 1;                // characters of the element
  int32_t loop_row = -1;           // memo row of an inner repetition's loop
  int32_t entry_row = -1;          // memo row of entering the step (after an optional one)
  const uint8_t* bytes = nullptr;  // elByte: 256 flags; elString: len characters
};

}  // namespace

struct TGrep::TProgram {
  std::array<TStep, MaxGrepTokens> steps;
  std::array<std::array<uint8_t, 256>, MaxGrepTokens> data;
  int32_t count = 0;
  bool fold = false;
  TScanner scanner;
  TMemo memo;
  std::array<uint32_t, MaxGrepTokens> pos{};

  void Build(const std::array<TGrepToken, MaxGrepTokens>& tokens, int32_t n, bool ignoreCase);
  // The first match starting in [from, n): its start and end (behind the
  // last character).
  template <bool Fold>
  bool Search(const uint8_t* t, uint32_t n, uint32_t from, uint32_t& start, uint32_t& end);

 private:
  void BuildStep(const TGrepToken& token, std::size_t i);
  void BuildScanner();
  // After a failed start s: the last start that is known to fail as well.
  // When an inner repetition of a byte opens the expression and repeats
  // at s, its loop from s has failed, and with it every loop that starts
  // inside the run of repeated bytes and at the byte behind it.
  uint32_t SkipRun(const uint8_t* t, uint32_t s, uint32_t n) const {
    const TStep& first = steps[0];
    if (first.loop_row < 0 || first.element != elByte || !first.bytes[t[s]]) return s;
    while (++s < n && first.bytes[t[s]]) {
    }
    return s;
  }
};

namespace {

template <bool Fold>
class TMatcher {
 public:
  TMatcher(const std::array<TStep, MaxGrepTokens>& steps, int32_t count, TMemo& memo,
           std::array<uint32_t, MaxGrepTokens>& pos, const uint8_t* t, uint32_t n)
      : steps_(steps),
        count_(count),
        memo_(memo),
        pos_(pos),
        t_(t),
        n_(n),
        lower_(LowerTable().data()) {}

  // Tokens i.. match from p; on success End() is behind the last character.
  bool Rest(int32_t i, uint32_t p);
  uint32_t End() const { return end_; }

 private:
  bool Element(const TStep& st, uint32_t p) const {
    if (st.element == elByte) return p < n_ && st.bytes[t_[p]];
    if (n_ - p < st.len) return false;
    if constexpr (Fold) {
      for (uint32_t j = 0; j < st.len; ++j)
        if (lower_[t_[p + j]] != st.bytes[j]) return false;
      return true;
    } else {
      return std::memcmp(t_ + p, st.bytes, st.len) == 0;
    }
  }
  bool Success(uint32_t p) {
    end_ = p;
    return true;
  }
  // A last repetition takes all it can.
  bool Greedy(const TStep& st, uint32_t p) {
    if (st.repeat == taOpti) return Success(Element(st, p) ? p + st.len : p);
    if (st.element == elByte) {
      while (p < n_ && st.bytes[t_[p]]) ++p;
    } else {
      while (Element(st, p)) p += st.len;
    }
    return Success(p);
  }

  const std::array<TStep, MaxGrepTokens>& steps_;
  int32_t count_;
  TMemo& memo_;
  std::array<uint32_t, MaxGrepTokens>& pos_;
  const uint8_t* t_;
  uint32_t n_;
  const uint8_t* lower_;
  uint32_t end_ = 0;
};

template <bool Fold>
bool TMatcher<Fold>::Rest(int32_t i, uint32_t p) {
  for (;; ++i) {
    if (i == count_) return Success(p);
    const TStep& st = steps_[static_cast<std::size_t>(i)];
    pos_[static_cast<std::size_t>(i)] = p;
    if (st.entry_row >= 0 && memo_.Visit(st.entry_row, p)) return false;
    switch (st.element) {
      case elBol:
        if (p != 0) return false;
        continue;
      case elEol:
        return p == n_ && Success(p);
      default:
        break;
    }
    switch (st.repeat) {
      case taNormal:
        if (!Element(st, p)) return false;
        p += st.len;
        continue;
      case taOpti:
        if (st.last) return Greedy(st, p);
        if (Rest(i + 1, p)) return true;
        if (!Element(st, p)) return false;
        p += st.len;
        continue;
      default:  // taMult0, taMult1: shortest first
        if (st.repeat == taMult1) {
          if (!Element(st, p)) return false;
          p += st.len;
        }
        if (st.last) return Greedy(st, p);
        for (;;) {
          if (memo_.Visit(st.loop_row, p)) return false;
          if (Rest(i + 1, p)) return true;
          if (!Element(st, p)) return false;
          p += st.len;
        }
    }
  }
}

}  // namespace

void TGrep::TProgram::Build(const std::array<TGrepToken, MaxGrepTokens>& tokens, int32_t n,
                            bool ignoreCase) {
  count = n;
  fold = ignoreCase;
  for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) BuildStep(tokens[i], i);
  int32_t rows = 0;
  for (int32_t i = 0; i < n; ++i) {
    TStep& st = steps[static_cast<std::size_t>(i)];
    st.last = i == n - 1;
    if (st.last) break;
    if (st.repeat == taMult0 || st.repeat == taMult1) st.loop_row = rows++;
    if (st.repeat != taOpti) continue;
    // Two ways lead into the step after an optional one. A repetition
    // after it guards itself, and the end of the text is checked at once.
    TStep& next = steps[static_cast<std::size_t>(i + 1)];
    const bool guarded = next.repeat == taMult0 || next.repeat == taMult1 || next.element == elEol;
    if (!guarded) next.entry_row = rows++;
  }
  memo.SetRows(rows);
  BuildScanner();
}

void TGrep::TProgram::BuildStep(const TGrepToken& token, std::size_t i) {
  TStep& st = steps[i];
  st = TStep{};
  std::array<uint8_t, 256>& d = data[i];
  const auto& lower = LowerTable();
  const auto foldedByte = [&](int c) { return fold ? lower[static_cast<std::size_t>(c)] : c; };
  const auto byteSet = [&](auto member) {
    st.element = elByte;
    for (int c = 0; c < 256; ++c) d[static_cast<std::size_t>(c)] = member(foldedByte(c)) ? 1 : 0;
  };
  const auto element = [&](int32_t count) {
    if (count < 0) {
      byteSet([&](int c) { return token.Buffer[static_cast<std::size_t>(c)] == kMember; });
    } else if (count == 0) {
      byteSet([](int) { return true; });
    } else if (count == 1) {
      const int ch = Byte(token.Buffer[1]);
      byteSet([ch](int c) { return c == ch; });
    } else {
      st.element = elString;
      st.len = static_cast<uint32_t>(count);
      std::memcpy(d.data(), token.Buffer.data() + 1, st.len);
    }
  };
  switch (token.Kind) {
    case taNormal:  // never empty: the compiler makes it with its first character
      element(token.Count);
      break;
    case taAnyByte:
      element(0);
      break;
    case taSet:
      element(-1);
      break;
    case taBol:
      st.element = elBol;
      break;
    case taEol:
      st.element = elEol;
      break;
    default:
      st.repeat = token.Kind;
      element(token.Count);
      break;
  }
  st.bytes = d.data();
}

// Every match holds a byte of each step's element at a fixed offset from
// its start, up to the first repetition (whose first element counts too).
// The scanner looks for the rarest of these.
void TGrep::TProgram::BuildScanner() {
  scanner.SetAll();
  uint32_t best = UINT32_MAX, offset = 0;
  const auto consider = [&](const std::array<uint8_t, 256>& set, uint32_t at) {
    const uint32_t c = Commonness(set);
    if (c < best && std::find(set.begin(), set.end(), 0) != set.end()) {
      best = c;
      scanner.Set(set, at);
    }
  };
  std::array<uint8_t, 256> set{};
  const auto& lower = LowerTable();
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    const TStep& st = steps[i];
    if (st.element == elBol || st.element == elEol) break;
    if (st.repeat != taNormal && st.repeat != taMult1) break;
    if (st.element == elByte) {
      consider(data[i], offset);
    } else {
      for (uint32_t j = 0; j < st.len; ++j) {
        for (int c = 0; c < 256; ++c)
          set[static_cast<std::size_t>(c)] =
              (fold ? lower[static_cast<std::size_t>(c)] : c) == st.bytes[j] ? 1 : 0;
        consider(set, offset + j);
      }
    }
    if (st.repeat == taMult1) break;
    offset += st.len;
  }
}

template <bool Fold>
bool TGrep::TProgram::Search(const uint8_t* t, uint32_t n, uint32_t from, uint32_t& start,
                             uint32_t& end) {
  TMatcher<Fold> m(steps, count, memo, pos, t, n);
  bool found = false;
  if (steps[0].element == elBol) {
    memo.Advance(0);
    found = from == 0 && m.Rest(0, 0);
    start = 0;
  } else {
    for (uint32_t s = from; s < n; ++s) {
      s = scanner.Next(t, s, n);
      if (s == n) break;
      memo.Advance(s);
      if (m.Rest(0, s)) {
        found = true;
        start = s;
        break;
      }
      s = SkipRun(t, s, n);
    }
  }
  end = m.End();
  memo.Clear();
  return found;
}

// ---------------------------------------------------------------------------
// The component

TGrep::TGrep(TComponent* AOwner) : TComponent(AOwner), program_(std::make_unique<TProgram>()) {}

TGrep::~TGrep() = default;

std::string_view TGrep::ErrorText(int32_t Code) {
  if (!(Code >= 0 && Code < static_cast<int32_t>(kErrorTexts.size()))) return {};
  return kErrorTexts[static_cast<std::size_t>(Code)];
}

int32_t TGrep::CompileRegExp(std::string_view Expr) {
  compiled_.assign(Expr);
  std::string& s = work_;
  const int32_t escape = Preprocess(Expr, ignore_case_, s);
  TCompiler c(tokens_);
  const int32_t code = c.Run(s);
  num_tokens_ = c.Count();
  last_error_ = code != 0 ? code : escape;
  program_->Build(tokens_, num_tokens_, ignore_case_);
  return last_error_;
}

void TGrep::CompileOrRaise(std::string_view Expr) {
  if (CompileRegExp(Expr) != 0 && stop_on_error_)
    RaiseComponentError<ENUVStringlError>(
        *this, std::string("error in regular expression - ").append(ErrorText(last_error_)));
}

void TGrep::SetRegExp(std::string_view Value) {
  regexp_.assign(Value);
  CompileOrRaise(regexp_);
}

void TGrep::SetIgnoreCase(bool Value) {
  ignore_case_ = Value;
  // compiled_ is overwritten by the compile it feeds.
  const std::string expr = compiled_;
  CompileOrRaise(expr);
}

bool TGrep::MatchString(std::string_view Text, int32_t& MatchPos) {
  const uint32_t from = search_start_pos_ > 1 ? static_cast<uint32_t>(search_start_pos_ - 1) : 0;
  uint32_t start = 0, end = 0;
  bool found = false;
  if (num_tokens_ > 0 && Text.size() <= kMaxText && from < Text.size()) {
    const auto n = static_cast<uint32_t>(Text.size());
    const auto* t = reinterpret_cast<const uint8_t*>(Text.data());
    found = program_->fold ? program_->Search<true>(t, n, from, start, end)
                           : program_->Search<false>(t, n, from, start, end);
  }
  for (int32_t i = 0; i < num_tokens_; ++i)
    tokens_[static_cast<std::size_t>(i)].MatchPos =
        found ? static_cast<int32_t>(program_->pos[static_cast<std::size_t>(i)]) + 1 : 0;
  match_start_ = found ? static_cast<int32_t>(start) + 1 : 0;
  match_end_ = found ? static_cast<int32_t>(end) : 0;
  MatchPos = match_start_;
  return found;
}

TGrepToken TGrep::GetRegExpToken(int32_t Ix) const {
  if (num_tokens_ == 0) return TGrepToken{};
  return tokens_[static_cast<std::size_t>(std::clamp(Ix, 1, num_tokens_) - 1)];
}

void TGrep::PrintRegExp(std::string_view FileName) const {
  static constexpr std::array<std::string_view, 8> kKinds{
      " taNormal: ", "taAnyByte: ", "    taEol: ", "    taBol: ",
      "    taSet: ", "  taMult0: ", "  taMult1: ", "   taOpti: "};
  const auto members = [](const TGrepToken& t, std::string& line) {
    for (std::size_t c = 0; c < 256; ++c)
      if (t.Buffer[c] == kMember) line += static_cast<char>(c);
  };
  const auto chars = [](const TGrepToken& t, std::string& line) {
    line.append(t.Buffer.data() + 1, static_cast<std::size_t>(t.Count));
  };
  SaveXMLFile(FileName, [&](TextFile& F) {
    std::string line;
    for (int32_t i = 0; i < num_tokens_; ++i) {
      const TGrepToken& t = tokens_[static_cast<std::size_t>(i)];
      line.assign(kKinds[t.Kind]);
      if (t.Kind == taNormal) {
        chars(t, line);
      } else if (t.Kind == taSet) {
        members(t, line);
      } else if (t.Kind >= taMult0) {
        if (t.Count < 0) {
          line += "(set) ";
          members(t, line);
        } else if (t.Count == 0) {
          line += "(anychar) ";
        } else {
          line += "(string) ";
          chars(t, line);
        }
      }
      F.WriteLn(line);
    }
    F.WriteLn(ErrorText(last_error_));
  });
}

}  // namespace nuv
