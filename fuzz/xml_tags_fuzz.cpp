// Feeds arbitrary bytes to the XML tag readers, the attribute scanner and
// the block finder. Besides crashes, undefined behaviour and hangs it traps
// on readers that disagree or on values that do not survive a write and read.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"

namespace {

using namespace nuv;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

const std::vector<std::string> kTags{"posxy", "caption", "font", "grp", "/grp", "/custtextlbl", "x"};
const std::vector<std::string> kChildren{"posxy", "caption", "font", "grp"};

// Every tag read consumes input; indices stay in range; scanned values are
// pieces of their attribute text.
void ReadAllTags(const std::string& text) {
  TStringStream s(text);
  std::string content, attributes;
  while (s.Position() < s.Size()) {
    const int64_t before = s.Position();
    const int32_t ix = ReadNextTagInStream(s, kTags, content, attributes);
    Check(ix >= -1 && ix < static_cast<int32_t>(kTags.size()));
    Check(s.Position() > before);
    for (const char* name : {"x", "name", "val", "style"}) {
      const std::string v = ScanForXMLAttrib(attributes, name);
      Check(attributes.find(v) != std::string::npos);
      ScanXMLFloat(v);
      ScanXMLInt(v);
      ScanXMLColor(v);
      ScanXMLSet(v, xmlFontStyle);
    }
  }
}

// The stream search and its string counterpart see the same tags.
void CompareWithStringReader(const std::string& text) {
  TStringStream s(text);
  int32_t pos = 1;
  for (;;) {
    int32_t index = 0;
    std::string before, attributes;
    const std::string fromStream = ReadStreamUntilTagList(s, kTags, index);
    const int32_t fromString = DetectNextTagInString(text, pos, kTags, 1000, before, attributes);
    Check(index == fromString && fromStream == before);
    Check(s.Position() == pos - 1);
    if (index < 0) return;
  }
}

void FindAndReadBlocks(const std::string& text) {
  TStringStream s(text);
  std::string root;
  while (FindXMLBlock(s, "custtextlbl", "", root)) {
    ReadXMLBlockElements(s, "custtextlbl", kChildren,
                         [](int32_t ix, const std::string&, const std::string& a) {
                           Check(ix >= 0 && ix < static_cast<int32_t>(kChildren.size()));
                           ScanForXMLAttrib(a, "x");
                         });
  }
}

// A text without quotes, angle brackets and line ends survives as id,
// attribute and content, and every double as a float.
void RoundTrips(const std::string& text) {
  const std::string value = text.substr(0, text.find_first_of(std::string_view("\"<>\r\n", 5)));
  TStringStream s;
  TXMLBlockWriter w(s, 2);
  w.BeginBlock(false, "T", "custtextlbl", value);
  w.EmptyElement("font", TXMLAttributes().AddText("name", value).AddInt("size", 7));
  w.ContentElement("caption", value);
  w.EndBlock();
  s.SetPosition(0);
  std::string root;
  Check(FindXMLBlock(s, "custtextlbl", value, root));
  int32_t seen = 0;
  Check(ReadXMLBlockElements(s, "custtextlbl", kChildren,
                             [&](int32_t ix, const std::string& c, const std::string& a) {
                               if (ix == 2) Check(ScanForXMLAttrib(a, "name") == value && ScanXMLInt(ScanForXMLAttrib(a, "size")) == 7);
                               if (ix == 1) Check(c == value);
                               ++seen;
                             }));
  Check(seen == 2);
  if (text.size() >= 8) {
    uint64_t bits;
    std::memcpy(&bits, text.data(), 8);
    const double x = std::bit_cast<double>(bits);
    const double y = ScanXMLFloat(XMLFloatStr(x));
    Check(std::isnan(x) ? std::isnan(y) : x == y);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ReadAllTags(text);
  CompareWithStringReader(text);
  FindAndReadBlocks(text);
  RoundTrips(text);
  return 0;
}
