// Entity conversion and the page frame of the HTML support unit.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <vector>

#include "nuv/Nuv_htmlsupport.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace {

constexpr uint8_t Code(char c) { return static_cast<uint8_t>(c); }

struct TEntity {
  std::string_view Name;  // without "&" and ";"
  char Ch;
};

// Names beyond HTMLLat1Entities that a reader meets in Windows-1252 pages.
constexpr TEntity kOtherEntities[] = {
    {"amp", '&'},        {"lt", '<'},         {"gt", '>'},         {"quot", '"'},
    {"apos", '\''},      {"euro", '\x80'},    {"sbquo", '\x82'},   {"fnof", '\x83'},
    {"bdquo", '\x84'},   {"hellip", '\x85'},  {"dagger", '\x86'},  {"Dagger", '\x87'},
    {"circ", '\x88'},    {"permil", '\x89'},  {"Scaron", '\x8A'},  {"lsaquo", '\x8B'},
    {"OElig", '\x8C'},   {"lsquo", '\x91'},   {"rsquo", '\x92'},   {"ldquo", '\x93'},
    {"rdquo", '\x94'},   {"bull", '\x95'},    {"ndash", '\x96'},   {"mdash", '\x97'},
    {"tilde", '\x98'},   {"trade", '\x99'},   {"scaron", '\x9A'},  {"rsaquo", '\x9B'},
    {"oelig", '\x9C'},   {"Yuml", '\x9F'},
};

// Every known name, sorted for binary search.
const std::vector<TEntity>& EntityIndex() {
  static const std::vector<TEntity> index = [] {
    std::vector<TEntity> v(std::begin(kOtherEntities), std::end(kOtherEntities));
    for (int c = 160; c <= 255; ++c) {
      const std::string_view e = HTMLLat1Entities[c].View();
      v.push_back({e.substr(1, e.size() - 2), static_cast<char>(c)});
    }
    std::sort(v.begin(), v.end(), [](const TEntity& a, const TEntity& b) { return a.Name < b.Name; });
    return v;
  }();
  return index;
}

// The byte of a numeric entity body ("#233", "#xE9"), or -1.
int NumericEntity(std::string_view body) {
  body.remove_prefix(1);
  int base = 10;
  if (!body.empty() && (body[0] == 'x' || body[0] == 'X')) {
    base = 16;
    body.remove_prefix(1);
  }
  uint32_t cp = 0;
  const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), cp, base);
  if (body.empty() || error != std::errc() || end != body.data() + body.size() || cp == 0)
    return -1;
  // Pages declared as Latin-1 mean the Windows-1252 characters by these.
  if (cp >= 0x80 && cp <= 0x9F) return static_cast<int>(cp);
  return UnicodeToAnsiChar(cp);
}

// The byte of an entity body (the text between "&" and ";"), or -1.
int EntityBody(std::string_view body) {
  if (body.empty()) return -1;
  if (body[0] == '#') return NumericEntity(body);
  const auto& index = EntityIndex();
  const auto it = std::lower_bound(index.begin(), index.end(), body,
                                   [](const TEntity& e, std::string_view n) { return e.Name < n; });
  return it != index.end() && it->Name == body ? Code(it->Ch) : -1;
}

// The entity AnsiToHTMLEntity gives, or an empty view for a plain character.
std::string_view EntityOf(char Ch) {
  switch (Ch) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    default: return HTMLLat1Entities[Code(Ch)].View();
  }
}

}  // namespace

std::string AnsiToHTMLEntity(char Ch) {
  const std::string_view e = EntityOf(Ch);
  return e.empty() ? std::string(1, Ch) : std::string(e);
}

char HTMLEntityToAnsi(std::string_view Entity) {
  if (!Entity.empty() && Entity.front() == '&') Entity.remove_prefix(1);
  if (!Entity.empty() && Entity.back() == ';') Entity.remove_suffix(1);
  const int c = EntityBody(Entity);
  return c < 0 ? '\0' : static_cast<char>(c);
}

std::string MakeStringHTMLCompatible(std::string_view S) {
  std::string out;
  out.reserve(S.size() + S.size() / 8);
  for (const char c : S) {
    const std::string_view e = EntityOf(c);
    if (e.empty()) out += c;
    else out += e;
  }
  return out;
}

std::string ResolveHTMLEntities(std::string_view S) {
  std::string out;
  out.reserve(S.size());
  std::size_t i = 0;
  for (;;) {
    const std::size_t amp = S.find('&', i);
    if (amp == std::string_view::npos) break;
    out.append(S.substr(i, amp - i));
    std::size_t semi = amp + 1;
    if (semi < S.size() && S[semi] == '#') ++semi;
    while (semi < S.size() && IsDigitLetter(S[semi])) ++semi;
    const int c = semi < S.size() && S[semi] == ';' ? EntityBody(S.substr(amp + 1, semi - amp - 1)) : -1;
    if (c < 0) {
      out += '&';
      i = amp + 1;
    } else {
      out += static_cast<char>(c);
      i = semi + 1;
    }
  }
  out.append(S.substr(i));
  return out;
}

std::string DefaultHTMLHead(std::string_view Title, std::string_view Author,
                            std::string_view Keywords, std::string_view Description,
                            bool OpenBody) {
  std::string h =
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
      "\"http://www.w3.org/TR/html4/loose.dtd\">\r\n"
      "<html>\r\n"
      "<head>\r\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n";
  h += "<title>" + MakeStringHTMLCompatible(Title) + "</title>\r\n";
  const std::pair<std::string_view, std::string_view> metas[] = {
      {"author", Author}, {"keywords", Keywords}, {"description", Description}};
  for (const auto& [name, text] : metas)
    if (!text.empty())
      h += "<meta name=\"" + std::string(name) + "\" content=\"" + MakeStringHTMLCompatible(text) +
           "\">\r\n";
  h += "</head>\r\n";
  if (OpenBody) h += "<body>\r\n";
  return h;
}

std::string DefaultHTMLFoot(bool CloseBody) {
  return CloseBody ? "</body>\r\n</html>\r\n" : "</html>\r\n";
}

}  // namespace nuv
