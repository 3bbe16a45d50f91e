// The symbol repository of Nuv_geomap and its file.
#include <array>
#include <new>
#include <vector>

#include "Nuv_geomap_landmark_parts.h"
#include "Nuv_geomap_parts.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/Nuv_streams.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace {

constexpr std::string_view kRoot = "lmsymbols";
const std::vector<std::string> kChildren{"symbol"};

std::string SymbolLine(const TSymbol& s) {
  // Values outside the enumeration have no name; they read back as lmCross.
  const std::string_view element = s.Element <= lmUserDef ? LMTypeNames[s.Element] : "";
  return "<symbol element=\"" + std::string(element) + "\" name=\"" +
         geomap::EscapeAttribute(s.Name.View(), geomap::kLandMarkSpecials) + "\" category=\"" +
         std::to_string(s.Category) + "\" colorfg=\"" + geomap::ColorText(s.ColorFg) +
         "\" colorbg=\"" + geomap::ColorText(s.ColorBg) + "\" size=\"" + std::to_string(s.Size) +
         "\" transp=\"" + std::string(geomap::BoolText(s.Transparent)) + "\" dir=\"" +
         std::to_string(s.Dir) + "\" leng=\"" + std::to_string(s.Leng) + "\" />";
}

constexpr std::array<std::string_view, 9> kAttributes{
    "category", "name", "colorfg", "colorbg", "size", "transp", "dir", "leng", "element"};

TSymbol ScanSymbol(const std::string& a) {
  std::array<std::string, kAttributes.size()> v;
  geomap::ScanAttributes(a, kAttributes, v);
  TSymbol s;
  s.Category = ScanXMLInt(v[0]);
  s.Name = geomap::UnescapedText(v[1]);
  s.ColorFg = geomap::ScanColorText(v[2]);
  s.ColorBg = geomap::ScanColorText(v[3]);
  s.Size = ScanXMLInt(v[4]);
  s.Transparent = geomap::ScanBoolText(v[5]);
  s.Dir = ScanXMLInt(v[6]);
  s.Leng = ScanXMLInt(v[7]);
  s.Element = geomap::ElementFromName(LowerCase(v[8]));
  return s;
}

}  // namespace

TSymbol DefaultSymbolRecord() {
  TSymbol s;
  s.Element = lmCross;
  s.Size = 8;
  s.ColorFg = 0x000000;
  s.ColorBg = 0x0000FF;
  s.Transparent = false;
  s.Dir = 90;
  s.Leng = 40;
  s.Category = 0;
  return s;
}

TSymbolRepository::TSymbolRepository(TComponent* AOwner) : TComponent(AOwner) {
  entries_.reserve(1000);
}

void TSymbolRepository::SetNEntries(int32_t N) {
  if (N < 0) return;
  if (N > MaxSymbolEntries) RaiseComponentError<ENUVGeoMapError>(*this, "insufficient memory");
  try {
    entries_.resize(static_cast<std::size_t>(N), DefaultSymbolRecord());
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVGeoMapError>(*this, "insufficient memory");
  } catch (const std::length_error&) {
    RaiseComponentError<ENUVGeoMapError>(*this, "insufficient memory");
  }
}

TSymbol TSymbolRepository::GetValues(int32_t Index) const {
  if (!(Index >= 1 && Index <= NumEntries())) return DefaultSymbolRecord();
  return entries_[static_cast<std::size_t>(Index - 1)];
}

void TSymbolRepository::SetValues(int32_t Index, const TSymbol& Symbol) {
  if (Index >= 1 && Index <= NumEntries()) entries_[static_cast<std::size_t>(Index - 1)] = Symbol;
}

void TSymbolRepository::Clear() {
  std::fill(entries_.begin(), entries_.end(), DefaultSymbolRecord());
}

void TSymbolRepository::Backup() { backup_ = entries_; }

void TSymbolRepository::Restore() { entries_ = backup_; }

void TSymbolRepository::Assign(const TPersistent& Source) {
  if (const auto* other = dynamic_cast<const TSymbolRepository*>(&Source)) {
    if (other == this) return;
    entries_ = other->entries_;
    backup_ = other->backup_;
    return;
  }
  TComponent::Assign(Source);
}

void TSymbolRepository::AssignTo(TPersistent& Dest) const {
  if (auto* other = dynamic_cast<TSymbolRepository*>(&Dest)) {
    other->Assign(*this);
    return;
  }
  TComponent::AssignTo(Dest);
}

void TSymbolRepository::StoreOnFile(const std::string& FileName, const std::string& ID) {
  SaveXMLFile(FileName, [&](TextFile& F) {
    F.WriteLn(XMLHeaderLine);
    F.WriteLn("");
    F.WriteLn("<!-- TGeoMap Landmark Repository / Nuvkit -->");
    F.WriteLn("<lmsymbols sig=\"Nuvkit\" vers=\"1.0\" id=\"" + ID + "\">");
    for (const TSymbol& s : entries_) F.WriteLn(SymbolLine(s));
    F.WriteLn("</lmsymbols>");
  });
}

bool TSymbolRepository::ReadFromOpenXMLFile(TextFile& F, const std::string& ID) {
  std::string root;
  if (!FindXMLBlock(F, kRoot, ID, root)) return false;
  std::vector<TSymbol> read;
  read.reserve(1000);
  ReadXMLBlockElements(F, kRoot, kChildren, [&](int32_t, const std::string&, const std::string& a) {
    if (read.size() < static_cast<std::size_t>(MaxSymbolEntries)) read.push_back(ScanSymbol(a));
  });
  entries_ = std::move(read);
  return true;
}

bool TSymbolRepository::LoadFromFile(const std::string& FileName, const std::string& ID) {
  return LoadXMLFile(FileName, [&](TextFile& F) { return ReadFromOpenXMLFile(F, ID); });
}

}  // namespace nuv
