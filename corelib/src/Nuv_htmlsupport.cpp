#include "nuv/Nuv_htmlsupport.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "corelib_units.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

constexpr uint8_t Code(char c) { return static_cast<uint8_t>(c); }

// Appends [first, last) of a text that the caller has sized to hold it.
char* Put(char* out, const char* first, const char* last) {
  const auto n = static_cast<std::size_t>(last - first);
  if (n != 0 && out != first) std::memmove(out, first, n);
  return out + n;
}

}  // namespace

// ---------------------------------------------------------------------------
// THtmlProducer

THtmlProducer::THtmlProducer(TComponent* AOwner)
    : TComponent(AOwner), template_(std::make_shared<const std::string>()) {}

THtmlProducer::~THtmlProducer() = default;

void THtmlProducer::SetTemplate(std::string_view Template) {
  template_ = std::make_shared<const std::string>(Template);
}

void THtmlProducer::ReadTemplateFromFile(std::string_view FileName) {
  TextFile F(FileName);
  F.Reset();
  std::string text, line;
  while (!F.Eof()) {
    F.ReadLn(line);
    text.append(line).append("\r\n");
  }
  F.Close();
  template_ = std::make_shared<const std::string>(std::move(text));
}

void THtmlProducer::ReadTemplateFromStream(TStream& Stream) {
  Stream.SetPosition(0);
  template_ = std::make_shared<const std::string>(StreamAsString(Stream));
}

std::string THtmlProducer::Convert() {
  const std::shared_ptr<const std::string> source = template_;
  const char* p = source->data();
  const char* const end = p + source->size();
  std::string out;
  out.reserve(source->size());
  std::string name, params, replacement;
  for (;;) {
    const auto* lt = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
    if (lt == nullptr || lt + 1 >= end) {
      out.append(p, end);
      break;
    }
    if (lt[1] != '#') {
      out.append(p, lt + 1);
      p = lt + 1;
      continue;
    }
    out.append(p, lt);
    const char* const body = lt + 2;
    const auto* gt = static_cast<const char*>(std::memchr(body, '>', static_cast<std::size_t>(end - body)));
    const char* const bodyEnd = gt != nullptr ? gt : end;
    const char* const tagEnd = gt != nullptr ? gt + 1 : end;
    const char* const blank = std::find(body, bodyEnd, ' ');
    name.resize(static_cast<std::size_t>(blank - body));
    std::transform(body, blank, name.begin(), AnsiLowerChar);
    std::string_view rest(blank, static_cast<std::size_t>(bodyEnd - blank));
    const std::size_t first = rest.find_first_not_of(' ');
    if (first == std::string_view::npos) params.clear();
    else params.assign(rest.substr(first, rest.find_last_not_of(' ') - first + 1));
    replacement.assign(lt, tagEnd);
    if (OnHTMLTag) OnHTMLTag(this, name, params, replacement);
    out += replacement;
    p = tagEnd;
  }
  converted_ = out;
  return out;
}

TStringStream& THtmlProducer::ConvertedHTMLAsStream() {
  stream_ = std::make_unique<TStringStream>(converted_);
  return *stream_;
}

void THtmlProducer::WriteConvertedHTMLToFile(std::string_view FileName) {
  SaveXMLFile(FileName, [this](TextFile& F) { F.Write(converted_); });
}

// ---------------------------------------------------------------------------
// URLs

namespace {

constexpr std::array<bool, 256> kUrlEscaped = [] {
  std::array<bool, 256> t{};
  for (const char c : std::string_view("!*();:@&=+$,/?%#[] ")) t[Code(c)] = true;
  return t;
}();

constexpr std::array<int8_t, 256> kHexValue = [] {
  std::array<int8_t, 256> t{};
  t.fill(-1);
  for (int i = 0; i < 10; ++i) t['0' + i] = static_cast<int8_t>(i);
  for (int i = 0; i < 6; ++i) t['A' + i] = t['a' + i] = static_cast<int8_t>(10 + i);
  return t;
}();

// One decoding pass from [in, in + n) to out, which may be in itself (the
// output never overtakes the input). Returns the end of the output;
// percentLeft tells whether it holds a "%" that a further pass could see.
char* DecodePass(const char* in, std::size_t n, char* out, bool& percentLeft) {
  const char* const end = in + n;
  percentLeft = false;
  for (;;) {
    const auto* pct = static_cast<const char*>(std::memchr(in, '%', static_cast<std::size_t>(end - in)));
    if (pct == nullptr) return Put(out, in, end);
    out = Put(out, in, pct);
    const int hi = pct + 2 < end ? kHexValue[Code(pct[1])] : -1;
    const int lo = hi >= 0 ? kHexValue[Code(pct[2])] : -1;
    if (lo < 0) {
      *out++ = '%';
      percentLeft = true;
      in = pct + 1;
    } else {
      *out = static_cast<char>(hi * 16 + lo);
      percentLeft |= *out++ == '%';
      in = pct + 3;
    }
  }
}

}  // namespace

std::string URLEncode(std::string_view S) {
  std::size_t escaped = 0;
  for (const char c : S) escaped += kUrlEscaped[Code(c)];
  std::string out(S.size() + 2 * escaped, '\0');
  char* o = out.data();
  for (const char c : S) {
    if (kUrlEscaped[Code(c)]) {
      o[0] = '%';
      o[1] = kHexDigits[Code(c) >> 4];
      o[2] = kHexDigits[Code(c) & 15];
      o += 3;
    } else {
      *o++ = c;
    }
  }
  return out;
}

std::string URLDecode(std::string_view S) {
  std::string out(S.size(), '\0');
  bool percentLeft = false;
  char* end = DecodePass(S.data(), S.size(), out.data(), percentLeft);
  // Without a "%" in its input the second pass would copy the text as it is.
  if (percentLeft) end = DecodePass(out.data(), static_cast<std::size_t>(end - out.data()), out.data(), percentLeft);
  out.resize(static_cast<std::size_t>(end - out.data()));
  return out;
}

std::string ExtractHTTPPath(std::string_view URL) {
  constexpr std::string_view kScheme = "http://";
  const auto hit = std::search(URL.begin(), URL.end(), kScheme.begin(), kScheme.end(),
                               [](char a, char b) { return AnsiLowerChar(a) == b; });
  if (hit != URL.end()) URL.remove_prefix(static_cast<std::size_t>(hit - URL.begin()) + kScheme.size());
  const std::size_t slash = URL.rfind('/');
  return std::string(slash == std::string_view::npos ? URL.substr(0, 1) : URL.substr(0, slash + 1));
}

// ---------------------------------------------------------------------------
// Words

namespace {

enum TCharClass : uint8_t { ccWord, ccDigit, ccDelimiter, ccTagOpen };

// The classes of CountWords' word set, taken from it once.
const std::array<TCharClass, 256>& CharClasses() {
  static const std::array<TCharClass, 256> table = [] {
    std::array<TCharClass, 256> t{};
    for (int c = 0; c < 256; ++c) {
      const char ch = static_cast<char>(c);
      t[c] = IsWordDelimiter(ch) ? ccDelimiter : IsDigit(ch) ? ccDigit : ccWord;
    }
    t['<'] = ccTagOpen;
    return t;
  }();
  return table;
}

}  // namespace

int32_t CountWordsHTML(std::string_view S, bool SkipNumbers, bool& InTag) {
  const auto& classes = CharClasses();
  const char* p = S.data();
  const char* const end = p + S.size();
  int32_t words = 0;
  while (p < end) {
    if (InTag) {
      const auto* gt = static_cast<const char*>(std::memchr(p, '>', static_cast<std::size_t>(end - p)));
      if (gt == nullptr) break;
      InTag = false;
      p = gt + 1;
      continue;
    }
    // A run of word characters up to the next delimiter.
    const char* const start = p;
    while (p < end && classes[Code(*p)] <= ccDigit) ++p;
    if (p == end) break;
    const bool counted = p - start >= 2 && !(SkipNumbers && classes[Code(*start)] == ccDigit);
    words += counted;
    InTag = classes[Code(*p)] == ccTagOpen;
    ++p;
  }
  return words;
}

namespace units {

void Nuv_htmlsupport_Init() {}
void Nuv_htmlsupport_Finalize() {}

}  // namespace units

}  // namespace nuv
