#include "nuv/Nuv_streams.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cstring>

#include "corelib_units.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/BinaryFile.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

namespace {

constexpr int64_t kBlock = 64 * 1024;

bool ReadChar(TStream& Stream, char& C) { return Stream.Read(&C, 1) == 1; }

// Moves back over the Count bytes that were read ahead but not used.
void Unread(TStream& Stream, int64_t Count) {
  if (Count > 0) Stream.Seek(-Count, soCurrent);
}

bool IsLineTerminator(char C, char Prev, int32_t LineEnd) {
  switch (LineEnd) {
    case 0: return C == '\n';
    case 1: return C == '\r';
    case 2: return C == '\r' || C == '\n';
    case 3: return C == '\r' && Prev == '\n';
    case 4: return C == '\n' && Prev == '\r';
    default: return false;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Text lines

void WriteStringStream(TStream& Stream, std::string_view S) {
  Stream.WriteBuffer(S.data(), static_cast<int64_t>(S.size()));
}

void WriteLnStream(TStream& Stream, std::string_view S) {
  WriteStringStream(Stream, S);
  WriteStringStream(Stream, "\r\n");
}

std::string ReadLnStream(TStream& Stream, bool& EOS, int32_t LineEnd) {
  EOS = false;
  std::string line;
  char prev = '\0';
  char c;
  while (ReadChar(Stream, c)) {
    if (IsLineTerminator(c, prev, LineEnd)) return line;
    if (static_cast<unsigned char>(c) >= 32 || c == '\t') line += c;
    prev = c;
  }
  EOS = true;
  return line;
}

std::string StreamAsString(TStream& Stream) {
  std::string text;
  text.reserve(static_cast<std::size_t>(std::max<int64_t>(Stream.Size() - Stream.Position(), 0)));
  char block[4096];
  for (int64_t n; (n = Stream.Read(block, sizeof block)) > 0;) text.append(block, static_cast<std::size_t>(n));
  return text;
}

std::string ReadStreamUntil(TStream& Stream, std::string_view Delim, int32_t& Status) {
  Status = 0;
  if (Delim.empty()) return {};
  const std::string delim = AnsiLowerCase(Delim);
  std::string text;
  std::string lower;
  std::size_t searchFrom = 0;
  char block[256];
  for (;;) {
    const int64_t n = Stream.Read(block, sizeof block);
    text.append(block, static_cast<std::size_t>(std::max<int64_t>(n, 0)));
    lower += AnsiLowerCase(std::string_view(block, static_cast<std::size_t>(std::max<int64_t>(n, 0))));
    const std::size_t at = lower.find(delim, searchFrom);
    if (at != std::string::npos) {
      const std::size_t end = at + delim.size();
      Unread(Stream, static_cast<int64_t>(text.size() - end));
      text.resize(end);
      return text;
    }
    // A match may still begin in the last Delim - 1 bytes.
    searchFrom = text.size() >= delim.size() ? text.size() - delim.size() + 1 : 0;
    if (n < static_cast<int64_t>(sizeof block)) break;
  }
  // Not found: what was read is the caller's, not lost.
  Status = -1;
  return text;
}

bool FindInStream(TStream& Stream, uint8_t B) {
  char block[4096];
  for (int64_t n; (n = Stream.Read(block, sizeof block)) > 0;) {
    if (const void* hit = std::memchr(block, B, static_cast<std::size_t>(n))) {
      Unread(Stream, n - (static_cast<const char*>(hit) - block + 1));
      return true;
    }
  }
  return false;
}

int64_t CountLinesInStream(TStream& Stream) {
  std::vector<char> block(kBlock);
  int64_t lines = 0;
  for (int64_t n; (n = Stream.Read(block.data(), kBlock)) > 0;)
    lines += std::count(block.data(), block.data() + n, '\n');
  return lines;
}

// ---------------------------------------------------------------------------
// Binary numbers

void WriteExtendedToStream(TStream& Stream, long double X) {
  uint8_t bytes[10];
  ExtendedToBytes(X, bytes);
  Stream.WriteBuffer(bytes, 10);
}

long double ReadExtendedFromStream(TStream& Stream, bool& Err) {
  uint8_t bytes[10];
  Err = Stream.Read(bytes, 10) != 10;
  return Err ? 0.0L : BytesToExtended(bytes);
}

void WriteLongintToStream(TStream& Stream, int32_t N) {
  uint8_t bytes[4];
  ByteWriter(bytes, 4).WriteI32(N);
  Stream.WriteBuffer(bytes, 4);
}

int32_t ReadLongintFromStream(TStream& Stream, bool& Err) {
  uint8_t bytes[4];
  Err = Stream.Read(bytes, 4) != 4;
  return Err ? 0 : ByteReader(bytes, 4).ReadI32();
}

// ---------------------------------------------------------------------------
// Number scanning

int32_t ScanStreamDecimal(TStream& Stream) {
  char c;
  do {
    if (!ReadChar(Stream, c)) return 0;
  } while (c == ' ');
  const bool negative = c == '-';
  if ((c == '+' || c == '-') && !ReadChar(Stream, c)) return 0;
  // Saturating at 2^31 keeps the sum defined and both ends of the range.
  constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
  int64_t value = 0;
  while (c >= '0' && c <= '9') {
    value = std::min(value * 10 + (c - '0'), kLimit);
    if (!ReadChar(Stream, c)) break;
  }
  return static_cast<int32_t>(negative ? -value : std::min<int64_t>(value, INT32_MAX));
}

namespace {

// The number text that ScanStreamFPNum accepted, with what is needed to
// tell an overflow from an underflow when the text is out of range.
struct TNumberText {
  std::string text;
  bool negative = false;
  bool nonzeroDigit = false;  // in the mantissa
  int64_t intDigits = 0;      // integer digits from the first nonzero one
  int64_t leadingFracZeros = 0;
  bool inFraction = false;
  int32_t exponent = 0;  // magnitude, capped just above kMaxExponent
  bool negativeExponent = false;

  static constexpr int32_t kMaxExponent = 4200;

  void MantissaDigit(char C) {
    text += C;
    if (C != '0') nonzeroDigit = true;
    if (!inFraction && nonzeroDigit) ++intDigits;
    if (inFraction && !nonzeroDigit) ++leadingFracZeros;
  }
  void ExponentDigit(char C) {
    if (exponent > kMaxExponent) return;
    text += C;
    exponent = exponent * 10 + (C - '0');
  }

  long double Value() const {
    std::string t = text;
    if (!t.empty() && t.back() == '.') t += '0';
    long double v = 0;
    int32_t code = 0;
    Val(t, v, code);
    if (code != 0) {
      // The text is well formed, so it is out of range or has no digits.
      if (!nonzeroDigit) return 0;
      const int64_t scale = (intDigits > 0 ? intDigits : -leadingFracZeros) +
                            (negativeExponent ? -int64_t{exponent} : int64_t{exponent});
      v = scale > 0 ? LDBL_MAX : 0.0L;
      if (negative) v = -v;
    }
    return std::clamp<long double>(v, -DBL_MAX, DBL_MAX);
  }
};

}  // namespace

long double ScanStreamFPNum(TStream& Stream, bool AllowExp, int32_t DecPSep) {
  const bool dotSeparates = DecPSep == 1 || DecPSep == 3;
  const bool commaSeparates = DecPSep == 2 || DecPSep == 3;
  TNumberText num;
  int state = 1;
  bool failed = false;
  bool readByte = false;
  for (;;) {
    char raw;
    readByte = ReadChar(Stream, raw);
    // The end of the stream ends a number as any letter would.
    const char c = readByte ? UpCase(raw) : 'Z';
    const bool digit = c >= '0' && c <= '9';
    const bool sign = c == '+' || c == '-';
    const bool separator = (c == '.' && dotSeparates) || (c == ',' && commaSeparates);
    const bool expMark = c == 'E';
    int next = 0;  // 0 ends the number, -1 fails
    switch (state) {
      case 1:
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') next = 1;
        else if (sign) next = 2;
        else if (digit) next = 3;
        else if (separator) next = 4;
        else next = -1;
        break;
      case 2: next = digit ? 3 : separator ? 4 : -1; break;
      case 3:
        next = digit ? 3 : separator ? 4 : (expMark && AllowExp) ? 6 : 0;
        break;
      case 4:
      case 5:
        next = digit ? 5 : separator ? -1 : (expMark && AllowExp) ? 6 : 0;
        break;
      case 6: next = sign ? 7 : digit ? 8 : -1; break;
      case 7: next = digit ? 8 : -1; break;
      case 8: next = digit ? 8 : 0; break;
    }
    if (next <= 0) {
      failed = next < 0;
      break;
    }
    if (next == 2) {
      num.text += c;
      num.negative = c == '-';
    } else if (next == 3 || next == 5) {
      num.MantissaDigit(c);
    } else if (next == 4) {
      num.text += '.';
      num.inFraction = true;
    } else if (next == 6) {
      num.text += 'E';
    } else if (next == 7) {
      num.text += c;
      num.negativeExponent = c == '-';
    } else if (next == 8) {
      num.ExponentDigit(c);
    }
    state = next;
  }
  // Only a byte actually read goes back; at the end of the stream there is
  // none, and stepping back would make a reading loop start over forever.
  if (readByte) Unread(Stream, 1);
  return failed ? 0.0L : num.Value();
}

// ---------------------------------------------------------------------------
// Extraction and replacement

namespace {

bool IsWordChar(char C) { return IsDigitLetter(C) || C == '_'; }

bool IsTagNameChar(char C) { return IsWordChar(C) || C == '-' || C == ':' || C == '.'; }

// End (one past ">") of the tag that starts at Open, quoted values skipped;
// npos when it does not close.
std::size_t TagEnd(std::string_view S, std::size_t Open) {
  bool quoted = false;
  for (std::size_t i = Open + 1; i < S.size(); ++i) {
    if (S[i] == '"') quoted = !quoted;
    else if (S[i] == '>' && !quoted) return i + 1;
  }
  return std::string_view::npos;
}

// The lower-case name of the tag at Open ("<name" or "</name"), or empty.
std::string TagName(std::string_view Lower, std::size_t Open) {
  std::size_t i = Open + 1;
  if (i < Lower.size() && Lower[i] == '/') ++i;
  const std::size_t start = i;
  while (i < Lower.size() && IsTagNameChar(Lower[i])) ++i;
  return std::string(Lower.substr(start, i - start));
}

// End of the element opened at Open with the (lower-case) Name: behind its
// matching end tag, behind a self-closing start tag, or the end of S.
std::size_t ElementEnd(std::string_view Lower, std::size_t Open, const std::string& Name) {
  std::size_t end = TagEnd(Lower, Open);
  if (end == std::string_view::npos) return Lower.size();
  if (Lower[end - 2] == '/') return end;
  int depth = 1;
  for (std::size_t at = Lower.find('<', end); at != std::string_view::npos; at = Lower.find('<', at + 1)) {
    if (TagName(Lower, at) != Name) continue;
    end = TagEnd(Lower, at);
    if (end == std::string_view::npos) return Lower.size();
    if (Lower[at + 1] == '/') {
      if (--depth == 0) return end;
    } else if (Lower[end - 2] != '/') {
      ++depth;
    }
    at = end - 1;
  }
  return Lower.size();
}

}  // namespace

void ExtractFromStream(TStream& Stream, TMemoryStream& Target, const std::vector<std::string>& Tags) {
  const std::string text = StreamAsString(Stream);
  const std::string lower = AnsiLowerCase(text);
  std::vector<std::string> names;
  for (const std::string& tag : Tags) names.push_back(AnsiLowerCase(tag));
  std::size_t at = lower.find('<');
  while (at != std::string::npos) {
    std::size_t resume = at + 1;
    if (lower.compare(at, 4, "<!--") == 0) {
      const std::size_t close = lower.find("-->", at + 4);
      resume = close == std::string::npos ? lower.size() : close + 3;
    } else if (lower.compare(at, 2, "</") != 0) {
      const std::string name = TagName(lower, at);
      if (!name.empty() && std::find(names.begin(), names.end(), name) != names.end()) {
        resume = ElementEnd(lower, at, name);
        WriteLnStream(Target, std::string_view(text).substr(at, resume - at));
      }
    }
    at = lower.find('<', resume);
  }
}

int32_t SearchAndReplace(TMemoryStream& Stream, std::string_view Search, std::string_view Replacement,
                         uint8_t Options, const TReplaceCallback& OnReplace) {
  Stream.SetPosition(0);
  if (Search.empty()) return 0;
  const std::string text = StreamAsString(Stream);
  const bool ignoreCase = (Options & sroIgnoreCase) != 0;
  const std::string haystack = ignoreCase ? AnsiLowerCase(text) : text;
  const std::string needle = ignoreCase ? AnsiLowerCase(Search) : std::string(Search);
  const auto wholeWord = [&](std::size_t at) {
    const std::size_t end = at + needle.size();
    return (at == 0 || !IsWordChar(text[at - 1])) && (end == text.size() || !IsWordChar(text[end]));
  };
  std::string result;
  int32_t count = 0;
  std::size_t copied = 0;
  for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at)) {
    if ((Options & sroWholeWords) != 0 && !wholeWord(at)) {
      ++at;
      continue;
    }
    result.append(text, copied, at - copied);
    result += OnReplace ? OnReplace(text.substr(at, needle.size())) : std::string(Replacement);
    at += needle.size();
    copied = at;
    ++count;
    if ((Options & sroFirstOnly) != 0) break;
  }
  if (count > 0) {
    result.append(text, copied, std::string::npos);
    Stream.Clear();
    WriteStringStream(Stream, result);
  }
  Stream.SetPosition(0);
  return count;
}

// ---------------------------------------------------------------------------
// ASC table header

namespace {

// One line ending with CR LF, LF or a lone CR; false when no byte was left.
bool ReadTextLine(TStream& Stream, std::string& Line) {
  Line.clear();
  char c;
  if (!ReadChar(Stream, c)) return false;
  do {
    if (c == '\n') return true;
    if (c == '\r') {
      if (ReadChar(Stream, c) && c != '\n') Unread(Stream, 1);
      return true;
    }
    Line += c;
  } while (ReadChar(Stream, c));
  return true;
}

// The first word of Line (blanks and tabs separate words) as an integer.
bool FirstWordAsInteger(std::string_view Line, int32_t& Value) {
  const std::size_t start = Line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return false;
  const std::size_t end = Line.find_first_of(" \t", start);
  return TryStrToInt(Line.substr(start, end == std::string_view::npos ? end : end - start), Value);
}

// A count of columns or rows: a first word that is an integer >= 0; 0 when
// it is not.
bool FirstWordAsCount(std::string_view Line, int32_t& Count) {
  if (FirstWordAsInteger(Line, Count) && Count >= 0) return true;
  Count = 0;
  return false;
}

// The flag words of the fourth line; false when one of the first three is
// neither TRUE nor FALSE.
bool ParseFlags(std::string_view Line, const std::array<bool*, 4>& Flags) {
  std::string rest = StripLTBlanks(UpperCase(ReplaceCharInString(Line, '\t', ' ')));
  for (std::size_t i = 0; i < Flags.size(); ++i) {
    const std::string_view word = rest;
    std::size_t letters = 0;
    if (word.starts_with("TRUE")) letters = 4;
    else if (word.starts_with("FALSE")) letters = 5;
    else if (i + 1 < Flags.size()) return false;
    *Flags[i] = letters == 4;
    rest = StripLTBlanks(word.substr(letters));
  }
  return true;
}

template <class NextLine>
int16_t ParseASCHeader(NextLine ReadLine, std::string& Comment, int32_t& NrCols, int32_t& NrRows,
                       bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4) {
  Comment.clear();
  NrCols = NrRows = 0;
  Flag1 = Flag2 = Flag3 = Flag4 = false;
  std::string line;
  if (!ReadLine(Comment)) return ascHeaderCut;
  if (!ReadLine(line)) return ascHeaderCut;
  if (!FirstWordAsCount(line, NrCols)) return ascBadColumnCount;
  if (!ReadLine(line)) return ascHeaderCut;
  if (!FirstWordAsCount(line, NrRows)) return ascBadRowCount;
  if (!ReadLine(line)) return ascHeaderCut;
  return ParseFlags(line, {&Flag1, &Flag2, &Flag3, &Flag4}) ? ascOk : ascBadFlags;
}

}  // namespace

int16_t ReadHeaderOfASC(std::string_view FileName, std::string& Comment, int32_t& NrCols,
                        int32_t& NrRows, bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4) {
  TextFile file(FileName);
  file.Reset();
  const auto readLine = [&](std::string& line) {
    if (file.Eof()) return false;
    file.ReadLn(line);
    return true;
  };
  const int16_t result = ParseASCHeader(readLine, Comment, NrCols, NrRows, Flag1, Flag2, Flag3, Flag4);
  file.Close();
  return result;
}

int16_t ReadHeaderOfASC(TStream& Stream, std::string& Comment, int32_t& NrCols, int32_t& NrRows,
                        bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4) {
  const auto readLine = [&](std::string& line) { return ReadTextLine(Stream, line); };
  return ParseASCHeader(readLine, Comment, NrCols, NrRows, Flag1, Flag2, Flag3, Flag4);
}

}  // namespace nuv

namespace nuv::units {

void Nuv_streams_Init() {}
void Nuv_streams_Finalize() {}

}  // namespace nuv::units
