// XML element blocks: tag readers, attribute scanner, block finder, value
// text and the block writer.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

#include "Nuv_stringl_tags.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {

namespace {

constexpr auto npos = std::string_view::npos;
constexpr int32_t kWholeList = std::numeric_limits<int32_t>::max();

using detail::IsTagSpace;
using detail::TrimTagSpace;

// ---------------------------------------------------------------------------
// Byte sources: the readers are written once for text files and streams.

class TFileSource {
 public:
  explicit TFileSource(TextFile& f) : f_(f) {}
  bool Next(char& c) {
    if (f_.Eof()) return false;
    f_.Read(c);
    return true;
  }
  bool AtEnd() { return f_.Eof(); }
  bool ReadLine(std::string& line) {
    if (f_.Eof()) return false;
    f_.ReadLn(line);
    return true;
  }

 private:
  TextFile& f_;
};

class TStreamSource {
 public:
  explicit TStreamSource(TStream& s) : s_(s) {}
  bool Next(char& c) { return s_.Read(&c, 1) == 1; }
  bool AtEnd() { return s_.Position() >= s_.Size(); }
  // Lines end with LF, CR LF or a lone CR, as in text files.
  bool ReadLine(std::string& line) {
    line.clear();
    char c;
    if (!Next(c)) return false;
    do {
      if (c == '\n') return true;
      if (c == '\r') {
        if (Next(c) && c != '\n') s_.Seek(-1, soCurrent);
        return true;
      }
      line.push_back(c);
    } while (Next(c));
    return true;
  }

 private:
  TStream& s_;
};

// ---------------------------------------------------------------------------
// Tags

// Skips to the next "<" and reads the tag's body up to its ">". Skipped
// text, and a "<..." cut off by the end of the input, go to *skipped.
template <class Source>
bool ReadTagBody(Source& in, std::string& body, std::string* skipped) {
  body.clear();
  char c;
  do {
    if (!in.Next(c)) return false;
    if (c != '<' && skipped) skipped->push_back(c);
  } while (c != '<');
  while (in.Next(c)) {
    if (c == '>') return true;
    body.push_back(c);
  }
  if (skipped) {
    skipped->push_back('<');
    skipped->append(body);
  }
  return false;
}

bool HasContent(std::string_view name, bool emptyElement) {
  return !emptyElement && !name.empty() && name[0] != '/' && name[0] != '?' && name[0] != '!';
}

// tag is "</" + name + ">" in any case (name is lower-case).
bool IsEndTagOf(std::string_view tag, std::string_view name) {
  if (tag.size() != name.size() + 3 || tag[1] != '/') return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (AnsiLowerChar(tag[i + 2]) != name[i]) return false;
  return true;
}

// An element of the list whose end tag closes any content inside it,
// unless its own start tag opened within that content.
struct TEnclosing {
  std::string_view name;
  int32_t open = 0;
};

std::vector<TEnclosing> EnclosingElements(std::span<const std::string> list,
                                          std::string_view name) {
  std::vector<TEnclosing> enclosing;
  for (const std::string& entry : list)
    if (entry.size() > 1 && entry[0] == '/' && std::string_view(entry).substr(1) != name)
      enclosing.push_back({std::string_view(entry).substr(1)});
  return enclosing;
}

// Follows one tag met inside a content; true when it ends an enclosing
// element, which leaves the content unclosed.
bool LeavesEnclosing(std::string_view body, std::vector<TEnclosing>& enclosing) {
  std::string name, attributes;
  if (detail::ParseTagBody(body, name, attributes)) return false;
  const bool end = !name.empty() && name[0] == '/';
  const std::string_view bare = std::string_view(name).substr(end ? 1 : 0);
  for (TEnclosing& e : enclosing) {
    if (e.name != bare) continue;
    if (!end)
      ++e.open;
    else if (e.open > 0)
      --e.open;
    else
      return true;
  }
  return false;
}

// Reads the content of the start tag `name` up to and including its end
// tag, which is not kept. False when the input ends first or an enclosing
// element of the list ends first.
template <class Source>
bool CollectContent(Source& in, std::string_view name, std::span<const std::string> list,
                    std::string& content) {
  std::vector<TEnclosing> enclosing = EnclosingElements(list, name);
  std::size_t lt = npos;  // the last "<" not yet closed by a ">"
  char c;
  while (in.Next(c)) {
    content.push_back(c);
    if (c == '<') {
      lt = content.size() - 1;
    } else if (c == '>' && lt != npos) {
      // Checking at every ">" finds the first end tag as soon as it is complete.
      const std::string_view tag = std::string_view(content).substr(lt);
      if (IsEndTagOf(tag, name)) {
        content.resize(lt);
        return true;
      }
      if (!enclosing.empty() && LeavesEnclosing(tag.substr(1, tag.size() - 2), enclosing))
        return false;
      lt = npos;
    }
  }
  return false;
}

template <class Source>
int32_t ReadNextTag(Source& in, std::span<const std::string> list, std::string& content,
                    std::string& attributes) {
  content.clear();
  attributes.clear();
  const int32_t last = detail::LastTagIndex(list, kWholeList);
  std::string body, name;
  if (!ReadTagBody(in, body, nullptr)) return last;
  const bool emptyElement = detail::ParseTagBody(body, name, attributes);
  if (HasContent(name, emptyElement) && !CollectContent(in, name, list, content)) {
    content.clear();
    attributes.clear();
    return -1;
  }
  const int32_t ix = detail::TagIndex(name, list, kWholeList);
  return ix >= 0 ? ix : last;
}

// ---------------------------------------------------------------------------
// Blocks

// Position of "<" + root (lower-case) as a whole name in the lower-cased
// line, when it is the line's first tag after white space and "<?...>" or
// "<!...>" tags; npos otherwise. A text value that holds a root tag thus
// never passes for the start of a block.
std::size_t FindRootTag(std::string_view lower, std::string_view root) {
  std::size_t at = 0;
  for (;;) {
    while (at < lower.size() && IsTagSpace(lower[at])) ++at;
    if (at + 1 >= lower.size() || lower[at] != '<' ||
        (lower[at + 1] != '?' && lower[at + 1] != '!'))
      break;
    at = lower.find('>', at);
    if (at == npos) return npos;
    ++at;
  }
  if (at >= lower.size() || lower[at] != '<' || lower.compare(at + 1, root.size(), root) != 0)
    return npos;
  const std::size_t after = at + 1 + root.size();
  if (after == lower.size() || IsTagSpace(lower[after]) || lower[after] == '>' ||
      lower[after] == '/')
    return at;
  return npos;
}

// Whether line opens a block of root (lower-case); if so, the root tag's
// attribute text and its id (trimmed, lower-cased).
bool ParseBlockStart(std::string_view line, std::string_view root, std::string& attributes,
                     std::string& id) {
  const std::string lower = AnsiLowerCase(line);
  if (lower.find("nuvkit") == npos) return false;
  const std::size_t at = FindRootTag(lower, root);
  if (at == npos) return false;
  // The tag ends at the first ">" outside quotes, so an id holding ">" still matches.
  const std::size_t from = at + 1 + root.size();
  std::size_t to = from;
  for (bool quoted = false; to < line.size() && (quoted || line[to] != '>'); ++to)
    if (line[to] == '"') quoted = !quoted;
  std::string_view text = line.substr(from, to - from);
  if (!text.empty() && text.back() == '/') text.remove_suffix(1);
  attributes.assign(TrimTagSpace(text));
  const std::string vers = ScanForXMLAttrib(attributes, "vers");
  if (!vers.empty() && TrimTagSpace(vers) != XMLVersion) return false;
  id = AnsiLowerCase(TrimTagSpace(ScanForXMLAttrib(attributes, "id")));
  return true;
}

template <class Source>
bool FindBlock(Source& in, std::string_view Root, std::string_view ID,
               std::string& RootAttributes) {
  const std::string root = AnsiLowerCase(Root);
  const std::string wanted = AnsiLowerCase(TrimTagSpace(ID));
  std::string line, attributes, id;
  while (in.ReadLine(line)) {
    if (ParseBlockStart(line, root, attributes, id) && (wanted.empty() || id == wanted)) {
      RootAttributes = std::move(attributes);
      return true;
    }
  }
  RootAttributes.clear();
  return false;
}

template <class Source>
bool ReadElements(Source& in, std::string_view Root, std::span<const std::string> Children,
                  const TXMLElementEvent& OnElement) {
  std::vector<std::string> list;
  list.reserve(Children.size() + 2);
  for (const std::string& child : Children) list.push_back(AnsiLowerCase(child));
  list.push_back("/" + AnsiLowerCase(Root));
  list.emplace_back();  // stands for every tag the class does not know
  const auto rootEnd = static_cast<int32_t>(Children.size());
  std::string content, attributes;
  for (;;) {
    const int32_t ix = ReadNextTag(in, list, content, attributes);
    if (ix == rootEnd) return true;
    if (ix < 0) return false;
    if (ix < rootEnd) {
      if (OnElement) OnElement(ix, content, attributes);
    } else if (in.AtEnd()) {
      return false;
    }
  }
}

// ---------------------------------------------------------------------------
// Numbers

std::size_t SkipSpace(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsTagSpace(s[i])) ++i;
  return i;
}

bool StartsWithWord(std::string_view s, std::string_view upperWord) {
  if (s.size() < upperWord.size()) return false;
  for (std::size_t i = 0; i < upperWord.size(); ++i)
    if (AnsiUpperChar(s[i]) != upperWord[i]) return false;
  return true;
}

// Appends the digits at s[i...] to text; returns the count.
std::size_t AppendDigits(std::string_view s, std::size_t& i, std::string& text) {
  const std::size_t start = i;
  while (i < s.size() && IsDigit(s[i])) text.push_back(s[i++]);
  return i - start;
}

// The decimal exponent of the first significant digit of a number text
// "[-]ddd[.ddd][e[-]ddd]", saturated; decides between overflow and
// underflow when the text does not fit a double.
int64_t MagnitudeOf(std::string_view text) {
  int64_t position = 0;
  bool seenPoint = false, seenDigit = false;
  std::size_t i = 0;
  for (; i < text.size() && text[i] != 'e'; ++i) {
    const char c = text[i];
    if (c == '.') {
      seenPoint = true;
    } else if (IsDigit(c)) {
      if (!seenDigit && c == '0') {
        if (seenPoint) --position;
        continue;
      }
      if (!seenDigit) seenDigit = true;
      if (!seenPoint) ++position;
    }
  }
  int64_t exponent = 0;
  if (i < text.size()) {
    const bool signed_ = i + 1 < text.size() && (text[i + 1] == '-' || text[i + 1] == '+');
    const bool negative = signed_ && text[i + 1] == '-';
    for (std::size_t k = i + 1 + (signed_ ? 1 : 0); k < text.size(); ++k)
      exponent = std::min<int64_t>(exponent * 10 + (text[k] - '0'), int64_t{1} << 40);
    if (negative) exponent = -exponent;
  }
  return position + exponent;
}

// ---------------------------------------------------------------------------
// Files

// A name beside FileName that no file has yet.
std::string TempNameBeside(std::string_view FileName) {
  static std::atomic<int32_t> counter = 0;
  std::string name;
  do {
    name = std::string(FileName) + ".~" + std::to_string(::getpid()) + "-" +
           std::to_string(++counter) + ".tmp";
  } while (FileExists(name));
  return name;
}

// Replaces the file by temp, keeping the file's permissions.
void ReplaceFile(const std::string& temp, std::string_view FileName) {
  const std::string target = OsFileName(FileName);
  const std::string source = OsFileName(temp);
  std::error_code ec;
  const auto status = std::filesystem::status(target, ec);
  if (!ec && std::filesystem::exists(status))
    std::filesystem::permissions(source, status.permissions(), ec);
  if (std::rename(source.c_str(), target.c_str()) != 0) {
    const int error = errno;
    DeleteFile(temp);
    RaiseInOutErrorFromErrno(error, FileName);
  }
}

struct TLineSpan {
  std::size_t begin, end, next;  // the text, its end, the start of the next line
};

// The line of text starting at `begin` (ended by LF, CR LF or CR).
TLineSpan LineAt(std::string_view text, std::size_t begin) {
  std::size_t end = begin;
  while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
  std::size_t next = end;
  if (next < text.size()) next += text.substr(next, 2) == "\r\n" ? 2 : 1;
  return {begin, end, next};
}

std::string_view LineText(std::string_view text, const TLineSpan& line) {
  return text.substr(line.begin, line.end - line.begin);
}

bool IsCommentLine(std::string_view line) {
  const std::string_view t = TrimTagSpace(line);
  return t.starts_with("<!--") && t.ends_with("-->");
}

// Copies text to kept without the blocks of root (lower-case) whose id is
// id (lower-case). False when such a block has no end tag.
bool DropBlocks(std::string_view text, std::string_view root, std::string_view id,
                std::string& kept) {
  const std::string endTag = "</" + std::string(root) + ">";
  std::string attributes, lineId;
  std::size_t copied = 0;
  // The two lines before the current one, since the last block dropped: a
  // block takes its comment line and the empty line before that along.
  std::optional<TLineSpan> previous, beforePrevious;
  for (std::size_t at = 0; at < text.size();) {
    TLineSpan line = LineAt(text, at);
    if (!ParseBlockStart(LineText(text, line), root, attributes, lineId) || lineId != id) {
      beforePrevious = previous;
      previous = line;
      at = line.next;
      continue;
    }
    std::size_t start = line.begin;
    if (previous && IsCommentLine(LineText(text, *previous))) {
      start = previous->begin;
      if (beforePrevious && TrimTagSpace(LineText(text, *beforePrevious)).empty())
        start = beforePrevious->begin;
    }
    while (AnsiLowerCase(LineText(text, line)).find(endTag) == npos) {
      if (line.next >= text.size()) return false;
      line = LineAt(text, line.next);
    }
    kept.append(text.substr(copied, start - copied));
    copied = at = line.next;
    previous.reset();
    beforePrevious.reset();
  }
  kept.append(text.substr(copied));
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Tag readers and attribute scanner

int32_t ReadNextTagInTextFile(TextFile& F, std::span<const std::string> TagList,
                              std::string& Content, std::string& Attributes) {
  TFileSource in(F);
  return ReadNextTag(in, TagList, Content, Attributes);
}

int32_t ReadNextTagInStream(TStream& Stream, std::span<const std::string> TagList,
                            std::string& Content, std::string& Attributes) {
  TStreamSource in(Stream);
  return ReadNextTag(in, TagList, Content, Attributes);
}

bool TXMLAttribReader::Next(std::string_view& Name, std::string_view& Value) {
  enum { sName, sAfterEquals, sQuoted, sUnquoted } state = sName;
  const std::size_t nameStart = pos_;
  std::size_t nameEnd = 0, valueStart = 0, i = pos_;
  const auto stop = [&] {
    pos_ = text_.size();
    return false;
  };
  for (; i < text_.size(); ++i) {
    const char c = text_[i];
    switch (state) {
      case sName:
        if (c == '"') return stop();
        if (c == '=') {
          nameEnd = i;
          valueStart = i + 1;
          state = sAfterEquals;
        }
        continue;
      case sAfterEquals:
        if (c == '=') return stop();
        if (IsTagSpace(c)) {
          valueStart = i + 1;
        } else {
          valueStart = c == '"' ? i + 1 : i;
          state = c == '"' ? sQuoted : sUnquoted;
        }
        continue;
      case sQuoted:
        if (c != '"') continue;
        break;
      case sUnquoted:
        if (c == '=') return stop();
        if (!IsTagSpace(c) && c != '"') continue;
        break;
    }
    break;
  }
  // A name without "=" at the end of the text is no pair.
  if (state == sName) return stop();
  Name = TrimTagSpace(text_.substr(nameStart, nameEnd - nameStart));
  Value = text_.substr(valueStart, std::min(i, text_.size()) - valueStart);
  pos_ = i + 1;
  return true;
}

std::string ScanForXMLAttrib(std::string_view AttrList, std::string_view AttrName) {
  const auto same = [](char a, char b) { return AnsiLowerChar(a) == AnsiLowerChar(b); };
  TXMLAttribReader pairs(AttrList);
  std::string_view name, value;
  while (pairs.Next(name, value))
    if (std::ranges::equal(name, AttrName, same)) return std::string(value);
  return {};
}

bool ScanStreamForXMLTag(TStream& Stream, std::string_view Tag, std::string& Content,
                         std::string& Attributes) {
  Content.clear();
  Attributes.clear();
  const std::string wanted = AnsiLowerCase(Tag);
  const std::string list[] = {wanted};
  TStreamSource in(Stream);
  std::string body, name;
  while (ReadTagBody(in, body, nullptr)) {
    const bool emptyElement = detail::ParseTagBody(body, name, Attributes);
    if (name != wanted) continue;
    if (HasContent(name, emptyElement) && !CollectContent(in, name, list, Content)) break;
    return true;
  }
  Content.clear();
  Attributes.clear();
  return false;
}

std::string ReadStreamUntilTagList(TStream& Stream, std::span<const std::string> TagList,
                                   int32_t& Index) {
  TStreamSource in(Stream);
  std::string text, body, name, attributes;
  while (ReadTagBody(in, body, &text)) {
    detail::ParseTagBody(body, name, attributes);
    Index = detail::TagIndex(name, TagList, kWholeList);
    if (Index >= 0) return text;
    text.push_back('<');
    text.append(body);
    text.push_back('>');
  }
  Index = -1;
  return text;
}

// ---------------------------------------------------------------------------
// Finding and reading a block

bool FindXMLBlock(TextFile& F, std::string_view Root, std::string_view ID,
                  std::string& RootAttributes) {
  TFileSource in(F);
  return FindBlock(in, Root, ID, RootAttributes);
}

bool FindXMLBlock(TStream& Stream, std::string_view Root, std::string_view ID,
                  std::string& RootAttributes) {
  TStreamSource in(Stream);
  return FindBlock(in, Root, ID, RootAttributes);
}

bool ReadXMLBlockElements(TextFile& F, std::string_view Root, std::span<const std::string> Children,
                          const TXMLElementEvent& OnElement) {
  TFileSource in(F);
  return ReadElements(in, Root, Children, OnElement);
}

bool ReadXMLBlockElements(TStream& Stream, std::string_view Root,
                          std::span<const std::string> Children,
                          const TXMLElementEvent& OnElement) {
  TStreamSource in(Stream);
  return ReadElements(in, Root, Children, OnElement);
}

// ---------------------------------------------------------------------------
// Values

std::string XMLIntStr(int64_t Value) { return IntToStr(Value); }

std::string XMLBoolStr(bool Value) { return BoolToStr(Value, 3); }

std::string XMLColorStr(int32_t Color) {
  return "$" + IntToHex(static_cast<uint32_t>(Color) & 0xFFFFFFu, 6);
}

std::string XMLFloatStr(double Value) {
  TDecimalImage image;
  if (!ShortestDecimalImage(Value, image)) return FormatScientific(Value, 0);
  // Three decimals at least keep the customary width of 12; more when the
  // value's shortest exact image needs them.
  const int32_t decimals = std::max(3, image.Count - 1);
  return FormatScientific(Value, decimals + 9);
}

std::string XMLSetStr(uint32_t Members, std::span<const std::string_view> Names) {
  std::string text;
  for (std::size_t i = 0; i < Names.size() && i < 32; ++i) {
    if (!(Members & (uint32_t{1} << i))) continue;
    if (!text.empty()) text.push_back(' ');
    text.append(Names[i]);
  }
  return text;
}

int32_t ScanXMLInt(std::string_view Value) {
  std::size_t i = SkipSpace(Value);
  const bool negative = i < Value.size() && Value[i] == '-';
  if (i < Value.size() && (Value[i] == '-' || Value[i] == '+')) ++i;
  // Accumulates the magnitude up to one past the int32 range, then clamps.
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < Value.size() && IsDigit(Value[i]); ++i)
    magnitude = std::min(magnitude * 10 + (Value[i] - '0'), kLimit);
  const int64_t v = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

bool ScanXMLBool(std::string_view Value) { return ScanXMLInt(Value) == 1; }

int32_t ScanXMLColor(std::string_view Value) {
  std::size_t i = SkipSpace(Value);
  if (i < Value.size() && Value[i] == '$') ++i;
  uint32_t color = 0;
  for (; i < Value.size() && IsHexChar(Value[i]); ++i) {
    const char c = AnsiUpperChar(Value[i]);
    color = (color << 4) | static_cast<uint32_t>(IsDigit(c) ? c - '0' : c - 'A' + 10);
  }
  return static_cast<int32_t>(color);
}

double ScanXMLFloat(std::string_view Value) {
  std::size_t i = SkipSpace(Value);
  std::string text;
  if (i < Value.size() && (Value[i] == '-' || Value[i] == '+')) {
    if (Value[i] == '-') text.push_back('-');
    ++i;
  }
  const std::string_view rest = Value.substr(i);
  const bool negative = !text.empty();
  if (StartsWithWord(rest, "NAN")) return std::numeric_limits<double>::quiet_NaN();
  if (StartsWithWord(rest, "INF"))
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
  std::size_t digits = AppendDigits(Value, i, text);
  if (i < Value.size() && (Value[i] == '.' || Value[i] == ',')) {
    ++i;
    text.push_back('.');
    digits += AppendDigits(Value, i, text);
  }
  if (digits == 0) return 0;
  // An "E" without exponent digits is not part of the number.
  std::size_t e = i;
  if (e < Value.size() && (Value[e] == 'E' || Value[e] == 'e')) {
    std::string exponent = "e";
    if (++e < Value.size() && (Value[e] == '-' || Value[e] == '+')) exponent.push_back(Value[e++]);
    if (AppendDigits(Value, e, exponent) > 0) text += exponent;
  }
  double result = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), result);
  if (r.ec == std::errc::result_out_of_range) {
    result = MagnitudeOf(text) > 0 ? std::numeric_limits<double>::max() : 0.0;
    if (negative) result = -result;
  }
  return result;
}

uint32_t ScanXMLSet(std::string_view Value, std::span<const std::string_view> Names) {
  uint32_t members = 0;
  std::size_t i = 0;
  while (i < Value.size()) {
    while (i < Value.size() && IsTagSpace(Value[i])) ++i;
    const std::size_t start = i;
    while (i < Value.size() && !IsTagSpace(Value[i])) ++i;
    const std::string_view name = Value.substr(start, i - start);
    const auto it = std::find(Names.begin(), Names.end(), name);
    const auto ix = static_cast<std::size_t>(it - Names.begin());
    if (!name.empty() && it != Names.end() && ix < 32) members |= uint32_t{1} << ix;
  }
  return members;
}

TXMLAttributes& TXMLAttributes::Add(std::string_view Name, std::string_view Value, bool Quoted) {
  if (!text_.empty()) text_.push_back(' ');
  text_.append(Name);
  text_.push_back('=');
  if (Quoted) text_.push_back('"');
  text_.append(Value);
  if (Quoted) text_.push_back('"');
  return *this;
}

TXMLAttributes& TXMLAttributes::AddInt(std::string_view Name, int64_t Value) {
  return Add(Name, XMLIntStr(Value), false);
}

TXMLAttributes& TXMLAttributes::AddBool(std::string_view Name, bool Value) {
  return Add(Name, XMLBoolStr(Value), false);
}

TXMLAttributes& TXMLAttributes::AddColor(std::string_view Name, int32_t Color) {
  return Add(Name, XMLColorStr(Color), false);
}

TXMLAttributes& TXMLAttributes::AddFloat(std::string_view Name, double Value) {
  return Add(Name, XMLFloatStr(Value), false);
}

TXMLAttributes& TXMLAttributes::AddEnum(std::string_view Name, std::size_t Value,
                                        std::span<const std::string_view> Names) {
  return Add(Name, Value < Names.size() ? Names[Value] : std::string_view(), false);
}

TXMLAttributes& TXMLAttributes::AddSet(std::string_view Name, uint32_t Members,
                                       std::span<const std::string_view> Names) {
  return Add(Name, XMLSetStr(Members, Names), true);
}

TXMLAttributes& TXMLAttributes::AddText(std::string_view Name, std::string_view Value) {
  return Add(Name, Value, true);
}

// ---------------------------------------------------------------------------
// Writing a block

namespace {

std::size_t ClampIndent(int32_t Indent) {
  return static_cast<std::size_t>(std::clamp(Indent, 1, 255));
}

}  // namespace

TXMLBlockWriter::TXMLBlockWriter(TextFile& F) : file_(&F) {}
TXMLBlockWriter::TXMLBlockWriter(TextFile& F, int32_t Indent)
    : file_(&F), indent_(ClampIndent(Indent)) {}
TXMLBlockWriter::TXMLBlockWriter(TStream& Stream) : stream_(&Stream) {}
TXMLBlockWriter::TXMLBlockWriter(TStream& Stream, int32_t Indent)
    : stream_(&Stream), indent_(ClampIndent(Indent)) {}

void TXMLBlockWriter::StartLine(std::size_t indent) { line_.assign(indent, ' '); }

void TXMLBlockWriter::EndLine() {
  line_ += "\r\n";
  if (file_)
    file_->Write(line_);
  else
    stream_->WriteBuffer(line_.data(), static_cast<int64_t>(line_.size()));
}

void TXMLBlockWriter::BeginBlock(bool CreateHeader, std::string_view ClassComment,
                                 std::string_view Root, std::string_view ID,
                                 std::string_view RootAttributes) {
  root_.assign(Root);
  if (CreateHeader) {
    StartLine(indent_);
    line_ += XMLHeaderLine;
    EndLine();
  }
  StartLine(0);
  EndLine();
  StartLine(indent_);
  ((line_ += "<!-- ") += ClassComment) += " / ";
  (line_ += XMLSignature) += " -->";
  EndLine();
  StartLine(indent_);
  ((line_ += "<") += Root) += " sig=\"";
  ((line_ += XMLSignature) += "\" vers=\"") += XMLVersion;
  ((line_ += "\" id=\"") += ID) += "\"";
  if (!RootAttributes.empty()) (line_ += " ") += RootAttributes;
  line_ += ">";
  EndLine();
}

void TXMLBlockWriter::EmptyElement(std::string_view Name, std::string_view Attributes) {
  StartLine(indent_ + 2);
  (line_ += "<") += Name;
  if (!Attributes.empty()) (line_ += " ") += Attributes;
  line_ += " />";
  EndLine();
}

void TXMLBlockWriter::ContentElement(std::string_view Name, std::string_view Content,
                                     std::string_view Attributes) {
  StartLine(indent_ + 2);
  (line_ += "<") += Name;
  if (!Attributes.empty()) (line_ += " ") += Attributes;
  (((line_ += ">") += Content) += "</") += Name;
  line_ += ">";
  EndLine();
}

void TXMLBlockWriter::ChildLine(std::string_view Text) {
  StartLine(indent_ + 2);
  line_ += Text;
  EndLine();
}

void TXMLBlockWriter::EndBlock() {
  StartLine(indent_);
  ((line_ += "</") += root_) += ">";
  EndLine();
}

// ---------------------------------------------------------------------------
// Files

void SaveXMLFile(std::string_view FileName, const std::function<void(TextFile& F)>& Write) {
  if (FileExists(FileName) && (FileGetAttr(FileName) & faReadOnly))
    RaiseInOutErrorFromErrno(EACCES, FileName);
  const std::string temp = TempNameBeside(FileName);
  try {
    TextFile F(temp);
    F.Rewrite();
    Write(F);
    F.Close();
  } catch (...) {
    DeleteFile(temp);
    throw;
  }
  ReplaceFile(temp, FileName);
}

bool LoadXMLFile(std::string_view FileName, const std::function<bool(TextFile& F)>& Read) {
  TextFile F(FileName);
  try {
    F.Reset();
  } catch (const EInOutError&) {
    return false;
  }
  const bool result = Read(F);
  F.Close();
  return result;
}

bool StoreXMLBlockInFile(std::string_view FileName, std::string_view Root, std::string_view ID,
                         const std::function<void(TextFile& F, bool CreateHeader)>& Write) {
  if (!FileExists(FileName)) {
    SaveXMLFile(FileName, [&](TextFile& F) { Write(F, true); });
    return true;
  }
  TMemoryStream old;
  old.LoadFromFile(FileName);
  const std::string_view text(old.Memory(), static_cast<std::size_t>(old.Size()));
  std::string kept;
  if (!DropBlocks(text, AnsiLowerCase(Root), AnsiLowerCase(TrimTagSpace(ID)), kept)) return false;
  SaveXMLFile(FileName, [&](TextFile& F) {
    F.Write(kept);
    Write(F, false);
  });
  return true;
}

}  // namespace nuv
