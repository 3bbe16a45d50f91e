// The landmark block "gmlandmarks" of Nuv_geomap, and the attribute values
// it shares with the symbol repository.
#include <algorithm>
#include <vector>

#include "Nuv_geomap_landmark_parts.h"
#include "Nuv_geomap_parts.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_streams.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/DateTime.h"

namespace nuv {

namespace geomap {

TLandMarkElement ElementFromName(std::string_view Name) {
  for (int32_t e = lmCross; e < lmUserDef; ++e)
    if (Name == LowerCase(LMTypeNames[static_cast<std::size_t>(e)]))
      return static_cast<TLandMarkElement>(e);
  return lmCross;
}

std::string_view BoolText(bool Value) { return Value ? "TRUE" : "FALSE"; }

bool ScanBoolText(std::string_view Value) {
  return LowerCase(Value).find("true") != std::string::npos;
}

std::string ColorText(TColor Color) { return Hex(Color, 8); }

TColor ScanColorText(const std::string& Value) {
  int32_t pos = 1;
  return ScanHex(Value, pos);
}

std::string TextAttribute(const std::string& Attributes, std::string_view Name) {
  return UnescapeAttribute(ScanForXMLAttrib(Attributes, Name), kLandMarkSpecials);
}

}  // namespace geomap

namespace {

using geomap::kLandMarkSpecials;

constexpr std::string_view kRoot = "gmlandmarks";
constexpr std::string_view kDateMask = "yyyymmddHHMMSS";
const std::vector<std::string> kChildren{"landmark"};

// "yyyymmddHHMMSS", to the whole second (the milliseconds are dropped);
// dates outside the valid range give zeros, which read back as 0.
std::string DateText(TDateTime Date) {
  uint16_t y, mo, d, h, mi, s, ms;
  DecodeDate(Date, y, mo, d);
  DecodeTime(Date, h, mi, s, ms);
  return Decimal(y, 4) + Decimal(mo, 2) + Decimal(d, 2) + Decimal(h, 2) + Decimal(mi, 2) +
         Decimal(s, 2);
}

std::string StyleText(TFontStyles Style) {
  std::string t;
  for (TFontStyle s : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
    t += (Style & FontStyleBit(s)) ? '1' : '0';
  return t;
}

TFontStyles ScanStyleText(std::string_view Text) {
  TFontStyles style = 0;
  const TFontStyle order[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
  for (std::size_t i = 0; i < std::size(order) && i < Text.size(); ++i)
    if (Text[i] == '1') style |= FontStyleBit(order[i]);
  return style;
}

std::string LandMarkAttributes(const TLandMark& l) {
  const TLMTextProperties& c = l.Caption;
  const std::size_t element =
      l.Element <= lmUserDef ? static_cast<std::size_t>(l.Element) : LMTypeNames.size();
  TXMLAttributes a;
  a.AddFloat("lat", l.Latitude)
      .AddFloat("long", l.Longitude)
      .AddFloat("alti", l.Altitude)
      .AddInt("class", l.Class)
      .AddInt("usertag", l.UserTag)
      .AddEnum("element", element, LMTypeNames)
      .AddInt("size", l.Size)
      .AddText("colorfg", geomap::ColorText(l.ColorFg))
      .AddText("colorbg", geomap::ColorText(l.ColorBg))
      .AddText("transp", geomap::BoolText(l.Transparent))
      .AddInt("dir", l.Dir)
      .AddInt("leng", l.Leng)
      .AddText("captext", geomap::EscapeAttribute(c.Text.View(), kLandMarkSpecials))
      .AddInt("capsize", c.FontSize)
      .AddText("capfnm", geomap::EscapeAttribute(c.FontName, kLandMarkSpecials))
      .AddText("capfst", StyleText(c.FontStyle))
      .AddText("capfgcol", geomap::ColorText(c.FgColor))
      .AddText("capbgcol", geomap::ColorText(c.BgColor))
      .AddText("captransp", geomap::BoolText(c.Transparent))
      .AddInt("capdx", c.Dx)
      .AddInt("capdy", c.Dy)
      .AddInt("capdir", c.Dir)
      .AddInt("caphal", c.HorAlign)
      .AddInt("capval", c.VertAlign)
      .AddText("id", geomap::EscapeAttribute(l.Ident.View(), kLandMarkSpecials))
      .AddText("date", DateText(l.Date));
  return a.Text();
}

TLandMark ScanLandMark(const std::string& a) {
  const auto text = [&](std::string_view name) { return ScanForXMLAttrib(a, name); };
  const auto integer = [&](std::string_view name) { return ScanXMLInt(text(name)); };
  const auto byte = [&](std::string_view name) {
    return static_cast<uint8_t>(std::clamp(integer(name), 0, 255));
  };
  TLandMark l;
  l.Latitude = ScanXMLFloat(text("lat"));
  l.Longitude = ScanXMLFloat(text("long"));
  l.Altitude = ScanXMLFloat(text("alti"));
  l.Class = byte("class");
  l.UserTag = integer("usertag");
  l.Element = geomap::ElementFromName(LowerCase(text("element")));
  l.Size = integer("size");
  l.ColorFg = geomap::ScanColorText(text("colorfg"));
  l.ColorBg = geomap::ScanColorText(text("colorbg"));
  l.Transparent = geomap::ScanBoolText(text("transp"));
  l.Dir = integer("dir");
  l.Leng = integer("leng");
  TLMTextProperties& c = l.Caption;
  c.Text = geomap::TextAttribute(a, "captext");
  c.FontSize = integer("capsize");
  c.FontName = geomap::TextAttribute(a, "capfnm");
  c.FontStyle = ScanStyleText(text("capfst"));
  c.FgColor = geomap::ScanColorText(text("capfgcol"));
  c.BgColor = geomap::ScanColorText(text("capbgcol"));
  c.Transparent = geomap::ScanBoolText(text("captransp"));
  c.Dx = integer("capdx");
  c.Dy = integer("capdy");
  c.Dir = integer("capdir");
  c.HorAlign = byte("caphal");
  c.VertAlign = byte("capval");
  l.Ident = geomap::TextAttribute(a, "id");
  int32_t pos = 1;
  l.Date = ScanDateTime(text("date"), std::string(kDateMask), lgEnglish, pos);
  return l;
}

}  // namespace

bool TGeoMap::ReadLandMarksFromOpenXMLFile(TextFile& F, const std::string& ID) {
  std::string root;
  if (!FindXMLBlock(F, kRoot, ID, root)) return false;
  ResetLandMarkStorage();
  ReadXMLBlockElements(F, kRoot, kChildren, [&](int32_t, const std::string&, const std::string& a) {
    AppendLandMark(ScanLandMark(a));
  });
  ViewChanged();
  return true;
}

bool TGeoMap::LoadLandMarks(const std::string& FileName, const std::string& ID) {
  return LoadXMLFile(FileName, [&](TextFile& F) { return ReadLandMarksFromOpenXMLFile(F, ID); });
}

void TGeoMap::WriteLandMarksToOpenXMLFile(TextFile& F, bool CreateHeader, const std::string& ID) {
  TXMLBlockWriter w(F);
  w.BeginBlock(CreateHeader, "TGeoMap Landmarks", kRoot, ID);
  for (const TLandMark& l : landMarks_) w.EmptyElement("landmark", LandMarkAttributes(l));
  w.EndBlock();
}

void TGeoMap::SaveLandmarks(const std::string& FileName, const std::string& ID) {
  SaveXMLFile(FileName, [&](TextFile& F) { WriteLandMarksToOpenXMLFile(F, true, ID); });
}

}  // namespace nuv
