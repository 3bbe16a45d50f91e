// The landmark block "gmlandmarks" of Nuv_geomap, and the attribute values
// it shares with the symbol repository.
#include <algorithm>
#include <array>
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

std::string UnescapedText(std::string_view Value) {
  return UnescapeAttribute(Value, kLandMarkSpecials);
}

void ScanAttributes(std::string_view List, std::span<const std::string_view> Names,
                    std::span<std::string> Values) {
  std::vector<bool> seen(Names.size());
  for (std::string& v : Values) v.clear();
  const auto same = [](char a, char b) { return AnsiLowerChar(a) == b; };
  TXMLAttribReader pairs(List);
  std::string_view name, value;
  while (pairs.Next(name, value))
    for (std::size_t k = 0; k < Names.size(); ++k)
      if (!seen[k] && std::ranges::equal(name, Names[k], same)) {
        seen[k] = true;
        Values[k] = value;
        break;
      }
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

enum TAttribute : uint8_t {
  atLat,
  atLong,
  atAlti,
  atClass,
  atUserTag,
  atElement,
  atSize,
  atColorFg,
  atColorBg,
  atTransp,
  atDir,
  atLeng,
  atCapText,
  atCapSize,
  atCapFnm,
  atCapFst,
  atCapFgCol,
  atCapBgCol,
  atCapTransp,
  atCapDx,
  atCapDy,
  atCapDir,
  atCapHal,
  atCapVal,
  atId,
  atDate,
  atCount
};
constexpr std::array<std::string_view, atCount> kAttributes{
    "lat",     "long",    "alti",     "class",    "usertag",   "element", "size",
    "colorfg", "colorbg", "transp",   "dir",      "leng",      "captext", "capsize",
    "capfnm",  "capfst",  "capfgcol", "capbgcol", "captransp", "capdx",   "capdy",
    "capdir",  "caphal",  "capval",   "id",       "date"};

TLandMark ScanLandMark(const std::string& a, std::array<std::string, atCount>& v) {
  geomap::ScanAttributes(a, kAttributes, v);
  const auto integer = [&](TAttribute k) { return ScanXMLInt(v[k]); };
  const auto byte = [&](TAttribute k) {
    return static_cast<uint8_t>(std::clamp(integer(k), 0, 255));
  };
  TLandMark l;
  l.Latitude = ScanXMLFloat(v[atLat]);
  l.Longitude = ScanXMLFloat(v[atLong]);
  l.Altitude = ScanXMLFloat(v[atAlti]);
  l.Class = byte(atClass);
  l.UserTag = integer(atUserTag);
  l.Element = geomap::ElementFromName(LowerCase(v[atElement]));
  l.Size = integer(atSize);
  l.ColorFg = geomap::ScanColorText(v[atColorFg]);
  l.ColorBg = geomap::ScanColorText(v[atColorBg]);
  l.Transparent = geomap::ScanBoolText(v[atTransp]);
  l.Dir = integer(atDir);
  l.Leng = integer(atLeng);
  TLMTextProperties& c = l.Caption;
  c.Text = geomap::UnescapedText(v[atCapText]);
  c.FontSize = integer(atCapSize);
  c.FontName = geomap::UnescapedText(v[atCapFnm]);
  c.FontStyle = ScanStyleText(v[atCapFst]);
  c.FgColor = geomap::ScanColorText(v[atCapFgCol]);
  c.BgColor = geomap::ScanColorText(v[atCapBgCol]);
  c.Transparent = geomap::ScanBoolText(v[atCapTransp]);
  c.Dx = integer(atCapDx);
  c.Dy = integer(atCapDy);
  c.Dir = integer(atCapDir);
  c.HorAlign = byte(atCapHal);
  c.VertAlign = byte(atCapVal);
  l.Ident = geomap::UnescapedText(v[atId]);
  int32_t pos = 1;
  l.Date = ScanDateTime(v[atDate], std::string(kDateMask), lgEnglish, pos);
  return l;
}

}  // namespace

bool TGeoMap::ReadLandMarksFromOpenXMLFile(TextFile& F, const std::string& ID) {
  std::string root;
  if (!FindXMLBlock(F, kRoot, ID, root)) return false;
  // Read first and stored in one step: growing the list block by block
  // as it is read would move it a hundred times for 10^5 landmarks.
  std::vector<TLandMark> read;
  std::array<std::string, atCount> values;
  ReadXMLBlockElements(F, kRoot, kChildren, [&](int32_t, const std::string&, const std::string& a) {
    read.push_back(ScanLandMark(a, values));
  });
  ResetLandMarkStorage();
  ReserveLandMarks(read.size());
  for (const TLandMark& l : read) AppendLandMark(l);
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
