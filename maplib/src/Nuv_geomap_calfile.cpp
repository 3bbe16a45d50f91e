// The calibration block of Nuv_geomap: writer and readers.
//
// The block has lines of its own (no indentation, groups of values in
// square brackets) inside the usual envelope, so it is written line by
// line here and read with the shared block finder and tag reader.
#include <algorithm>
#include <cctype>
#include <vector>

#include "Nuv_geomap_parts.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/Nuv_univconst.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace geomap {

namespace {

struct TEntity {
  char Ch;
  std::string_view Name;
};
constexpr TEntity kEntities[] = {
    {'"', "&quot;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'\r', "&#13;"}, {'\n', "&#10;"}};

// The entity of Ch when Ch is one of Specials, else nullptr.
const TEntity* EntityOf(char Ch, std::string_view Specials) {
  for (const TEntity& e : kEntities)
    if (e.Ch == Ch && Specials.find(Ch) != std::string_view::npos) return &e;
  return nullptr;
}

// The entity of Specials (or &amp;) that Text starts with, else nullptr.
const TEntity* EntityAtStart(std::string_view Text, std::string_view Specials) {
  static constexpr TEntity kAmp{'&', "&amp;"};
  if (Text.starts_with(kAmp.Name)) return &kAmp;
  for (const TEntity& e : kEntities)
    if (Text.starts_with(e.Name) && Specials.find(e.Ch) != std::string_view::npos) return &e;
  return nullptr;
}

}  // namespace

std::string EscapeAttribute(std::string_view Text, std::string_view Specials) {
  std::string out;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (const TEntity* e = EntityOf(Text[i], Specials))
      out += e->Name;
    else if (Text[i] == '&' && EntityAtStart(Text.substr(i), Specials))
      out += "&amp;";
    else
      out += Text[i];
  }
  return out;
}

std::string UnescapeAttribute(std::string_view Text, std::string_view Specials) {
  std::string out;
  for (std::size_t i = 0; i < Text.size();) {
    if (const TEntity* e = EntityAtStart(Text.substr(i), Specials)) {
      out += e->Ch;
      i += e->Name.size();
    } else {
      out += Text[i++];
    }
  }
  return out;
}

}  // namespace geomap

namespace {

constexpr std::string_view kRoot = "geomap";

std::string Fixed(double v, int32_t decimals) { return FormatFixed(v, 0, decimals); }

template <class Put>
void WriteBlock(Put put, bool CreateHeader, std::string_view ID, const TCalibData& d,
                TCalibModel Model) {
  const std::string_view model = CalibModelNames[Model <= cmUndefined ? Model : cmUndefined];
  if (CreateHeader) put(XMLHeaderLine);
  put("");
  put("<!-- TGeoMap Calibration / Nuvkit -->");
  put("<geomap sig=\"Nuvkit\" vers=\"1.0\" id=\"" + std::string(ID) + "\" model=\"" +
      std::string(model) + "\" map=\"" + geomap::EscapeAttribute(d.MapName, "\"") +
      "\" caption=\"" + geomap::EscapeAttribute(d.Caption, "\"") + "\">");
  put("<corners>");
  std::string groups;
  for (const TLatLong& c : d.Corners) groups += "[" + Fixed(c.Lat, 5) + "," + Fixed(c.Long, 5) + "] ";
  put(groups);
  put("</corners>");
  if (d.Resolution > 0) put("<resolution>" + Fixed(d.Resolution, 3) + "</resolution>");
  if (d.UTMZone > 0 && d.UTMZone <= 60) {
    put("<utmzone>" + IntToStr(d.UTMZone) + "</utmzone>");
    put(std::string("<utmsouth>") + (d.UTMSouth ? "TRUE" : "FALSE") + "</utmsouth>");
  }
  const std::string_view ellipsoid =
      GeoEllipsoidId[d.Ellipsoid < GeoEllipsoidCount ? d.Ellipsoid : gelWGS84];
  put("<ellipsoid>" + std::string(ellipsoid) + "</ellipsoid>");
  const int32_t lines = std::clamp(d.NumCalLines, 0, MaxCalLines);
  for (int32_t l = 1; l <= lines; ++l) {
    const TCalLine& line = d.CalLines[l];
    const int32_t n = std::clamp(line.NumPoints, 0, MaxPointsPerCalLine);
    put(std::string("<calline type=\"") + (line.Kind == gtlParallel ? "parallel" : "meridian") +
        "\" value=\"" + FloatToStr(line.Value) + "\" npoints=\"" + IntToStr(n) + "\">");
    groups.clear();
    for (int32_t k = 1; k <= n; ++k)
      groups += "[" + IntToStr(line.Points[k].X) + "," + IntToStr(line.Points[k].Y) + "] ";
    put(groups);
    put("</calline>");
  }
  const int32_t points = std::clamp(d.NumCalPoints, 0, MaxCalPoints);
  if (points > 0) {
    put("<calquads npoints=\"" + IntToStr(points) + "\">");
    groups.clear();
    for (int32_t i = 1; i <= points; ++i) {
      const TCalPoint& p = d.CalPoints[i];
      groups += "[" + Fixed(p.Lat, 5) + "," + Fixed(p.Long, 5) + "," + IntToStr(p.X) + "," +
                IntToStr(p.Y) + "] ";
    }
    put(groups);
    put("</calquads>");
  }
  put("</geomap>");
}

// ---------------------------------------------------------------------------
// Reading

// The value kinds of a group: floats with "." or with either separator,
// and decimal integers.
enum TValueKind : uint8_t { vkPointFloat, vkAnyFloat, vkInt };

// One value from index i on (leading blanks and a sign allowed); i moves
// behind it. Where both separators are accepted, a second one ends the
// number, so that "[47,5,11,25]" holds two values. Floats are limited to
// the largest value the files know.
bool ScanValue(std::string_view text, std::size_t& i, TValueKind kind, double& value) {
  TNumScan scan;
  if (kind == vkInt) {
    int32_t v;
    if (!ScanInt32At(text, i, v, scan)) return false;
    value = v;
    i = scan.End;
    return true;
  }
  std::size_t end = SkipBlanksAt(text, i);
  if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
  for (int separators = 0; end < text.size(); ++end) {
    const char c = text[end];
    if ((c == '.' || c == ',') && kind == vkAnyFloat && ++separators == 2) break;
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == ',' || c == 'e' ||
          c == 'E' || c == '+' || c == '-'))
      break;
  }
  const TFloatSyntax syntax{{true, kind == vkAnyFloat}, true, true};
  if (!ScanDoubleAt(text.substr(0, end), i, syntax, value, scan)) return false;
  const double limit = static_cast<double>(uc_MaxDouble);
  value = std::clamp(value, -limit, limit);
  i = scan.End;
  return true;
}

double ScanScalar(std::string_view text, TValueKind kind) {
  std::size_t i = 0;
  double v = 0;
  return ScanValue(text, i, kind, v) ? v : 0;
}

// The well-formed groups "[v,v,...]" of a content line with the given
// kinds, each as its values. A group whose values do not fit is left out,
// so that its element's count no longer matches.
std::vector<std::vector<double>> ReadGroups(std::string_view text,
                                            std::initializer_list<TValueKind> kinds) {
  std::vector<std::vector<double>> groups;
  std::size_t at = 0;
  while ((at = text.find('[', at)) != std::string_view::npos) {
    std::size_t i = at + 1;
    std::vector<double> values;
    std::size_t k = 0;
    for (TValueKind kind : kinds) {
      double v;
      if (!ScanValue(text, i, kind, v)) break;
      i = SkipBlanksAt(text, i);
      if (i >= text.size() || text[i] != (++k == kinds.size() ? ']' : ',')) break;
      values.push_back(v);
      ++i;
    }
    const bool ok = values.size() == kinds.size();
    if (ok) groups.push_back(std::move(values));
    at = ok ? i : at + 1;
  }
  return groups;
}

std::string_view Trimmed(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

int32_t AttributeInt(const std::string& attributes, std::string_view name) {
  return static_cast<int32_t>(ScanScalar(ScanForXMLAttrib(attributes, name), vkInt));
}

class TBlockReader {
 public:
  TBlockReader(std::string_view Prefix, TCalibData& Data, TCalibReadIssues& Issues)
      : prefix_(Prefix), d_(Data), issues_(Issues) {}

  void Element(int32_t index, const std::string& content, const std::string& attributes) {
    switch (index) {
      case 0: CalLine(content, attributes); break;
      case 1: Corners(content); break;
      case 2: {
        d_.Resolution = ScanScalar(content, vkAnyFloat);
        break;
      }
      case 3: CalQuads(content, attributes); break;
      case 4: {
        const double zone = ScanScalar(content, vkInt);
        d_.UTMZone = zone >= 1 && zone <= 60 ? static_cast<int32_t>(zone) : -1;
        break;
      }
      case 5: d_.UTMSouth = LowerCase(Trimmed(content)) == "true"; break;
      case 6:
        if (!ScanXMLEnum(Trimmed(content), GeoEllipsoidId, d_.Ellipsoid))
          issues_.set(criUnknownEllipsoid);
        break;
      default: break;
    }
  }

 private:
  [[noreturn]] void Raise(std::string_view text) const {
    throw ENUVGeoMapError(std::string(prefix_) + std::string(text));
  }
  void CheckCount(std::size_t groups, const std::string& attributes) const {
    if (static_cast<int64_t>(groups) != AttributeInt(attributes, "npoints"))
      Raise("specified number of calibration points and actual number does not match");
  }

  void CalLine(const std::string& content, const std::string& attributes) {
    const std::string type = ScanForXMLAttrib(attributes, "type");
    const std::string lower = LowerCase(type);
    if (lower != "meridian" && lower != "parallel")
      Raise("invalid type of graticule line: type=\"" + type + "\"");
    const auto groups = ReadGroups(content, {vkInt, vkInt});
    CheckCount(groups.size(), attributes);
    // Lines of fewer than three points give no parabola.
    if (groups.size() < 3) return;
    if (d_.NumCalLines >= MaxCalLines) {
      issues_.set(criTooManyLines);
      return;
    }
    TCalLine& line = d_.CalLines[++d_.NumCalLines];
    line = TCalLine{};
    line.Kind = lower == "parallel" ? gtlParallel : gtlMeridian;
    line.Value = ScanScalar(ScanForXMLAttrib(attributes, "value"), vkAnyFloat);
    if (groups.size() > MaxPointsPerCalLine) issues_.set(criTooManyLinePoints);
    for (const auto& g : groups) {
      if (line.NumPoints >= MaxPointsPerCalLine) break;
      line.Points[++line.NumPoints] = TPoint{static_cast<int32_t>(g[0]), static_cast<int32_t>(g[1])};
    }
  }

  void Corners(const std::string& content) {
    const auto groups = ReadGroups(content, {vkAnyFloat, vkAnyFloat});
    for (std::size_t c = 0; c < groups.size() && c < d_.Corners.size(); ++c)
      d_.Corners[c] = TLatLong{groups[c][0], groups[c][1]};
  }

  void CalQuads(const std::string& content, const std::string& attributes) {
    const auto groups = ReadGroups(content, {vkPointFloat, vkPointFloat, vkInt, vkInt});
    CheckCount(groups.size(), attributes);
    for (const auto& g : groups) {
      if (d_.NumCalPoints >= MaxCalPoints) {
        issues_.set(criTooManyPoints);
        break;
      }
      d_.CalPoints[++d_.NumCalPoints] =
          TCalPoint{g[0], g[1], static_cast<int32_t>(g[2]), static_cast<int32_t>(g[3])};
    }
  }

  std::string_view prefix_;
  TCalibData& d_;
  TCalibReadIssues& issues_;
};

const std::vector<std::string> kChildren{"calline",  "corners",  "resolution", "calquads",
                                         "utmzone",  "utmsouth", "ellipsoid"};

template <class Source>
bool ParseBlockFrom(Source& in, std::string_view ID, std::string_view Prefix,
                    TCalibModel AbsentModel, TCalibData& Data, TCalibModel& Model,
                    TCalibReadIssues& Issues, bool& Found) {
  std::string root;
  Found = FindXMLBlock(in, kRoot, ID, root);
  if (!Found) return false;
  TCalibData d;
  TCalibReadIssues issues;
  TCalibModel model = AbsentModel;
  const std::string name = LowerCase(Trimmed(ScanForXMLAttrib(root, "model")));
  if (!name.empty() && !ScanXMLEnum(name, CalibModelNames, model)) {
    model = cmUndefined;
    issues.set(criUnknownModel);
  }
  d.MapName = geomap::UnescapeAttribute(ScanForXMLAttrib(root, "map"), "\"");
  d.Caption = geomap::UnescapeAttribute(ScanForXMLAttrib(root, "caption"), "\"");
  TBlockReader reader(Prefix, d, issues);
  const bool complete = ReadXMLBlockElements(
      in, kRoot, kChildren,
      [&](int32_t ix, const std::string& c, const std::string& a) { reader.Element(ix, c, a); });
  Data = std::move(d);
  Model = model;
  Issues = issues;
  return complete;
}

}  // namespace

namespace geomap {

bool ParseBlock(TextFile& F, std::string_view ID, std::string_view Prefix, TCalibModel AbsentModel,
                TCalibData& Data, TCalibModel& Model, TCalibReadIssues& Issues, bool& Found) {
  return ParseBlockFrom(F, ID, Prefix, AbsentModel, Data, Model, Issues, Found);
}

bool ParseBlock(TStream& Stream, std::string_view ID, std::string_view Prefix,
                TCalibModel AbsentModel, TCalibData& Data, TCalibModel& Model,
                TCalibReadIssues& Issues, bool& Found) {
  return ParseBlockFrom(Stream, ID, Prefix, AbsentModel, Data, Model, Issues, Found);
}

}  // namespace geomap

// ---------------------------------------------------------------------------
// Free functions

void WriteRawCalDataToOpenXMLFile(TextFile& F, bool CreateHeader, std::string_view ID,
                                  const TCalibData& CalData, TCalibModel Model) {
  WriteBlock([&](std::string_view line) { F.WriteLn(line); }, CreateHeader, ID, CalData, Model);
}

void WriteRawCalDataToStream(TStream& Stream, bool CreateHeader, std::string_view ID,
                             const TCalibData& CalData, TCalibModel Model) {
  WriteBlock([&](std::string_view line) { WriteLnStream(Stream, line); }, CreateHeader, ID,
             CalData, Model);
}

namespace {
constexpr std::string_view kParsePrefix = "ParseCalibData: ";
}

bool ParseCalibData(const std::string& FileName, const std::string& ID, TCalibData& CalData,
                    TCalibModel& Model) {
  return LoadXMLFile(FileName, [&](TextFile& F) {
    TCalibReadIssues issues;
    bool found;
    return geomap::ParseBlock(F, ID, kParsePrefix, cmBiquadraticPn, CalData, Model, issues, found);
  });
}

bool ParseCalibData(TStream& Stream, const std::string& ID, TCalibData& CalData,
                    TCalibModel& Model, TCalibReadIssues& Issues) {
  Stream.SetPosition(0);
  bool found;
  return geomap::ParseBlock(Stream, ID, kParsePrefix, cmBiquadraticPn, CalData, Model, Issues,
                            found);
}

bool ParseCalibData(TStream& Stream, const std::string& ID, TCalibData& CalData,
                    TCalibModel& Model) {
  TCalibReadIssues issues;
  return ParseCalibData(Stream, ID, CalData, Model, issues);
}

// ---------------------------------------------------------------------------
// The calibration's own block

void TGeoMapCalibration::WriteCalDataToOpenXMLFile(TextFile& F, bool CreateHeader,
                                                   std::string_view ID) {
  CalcExtentsAndResolution();
  WriteRawCalDataToOpenXMLFile(F, CreateHeader, ID, data_, model_);
}

void TGeoMapCalibration::WriteCalDataToStream(TStream& Stream, bool CreateHeader,
                                              std::string_view ID) {
  CalcExtentsAndResolution();
  WriteRawCalDataToStream(Stream, CreateHeader, ID, data_, model_);
}

std::string TGeoMapCalibration::MessagePrefix() const {
  return owner_ ? ComponentMessage(*owner_, "") : "TGeoMapCalibration: ";
}

void TGeoMapCalibration::Apply(const TCalibData& Data, TCalibModel Model) {
  ClearCalibData();
  data_ = Data;
  model_ = Model;
  RecalcGratMat();
  if (!data_.MapName.empty() && OnLoadMapImage) OnLoadMapImage(data_.MapName);
  FitModel();
  Recalculated();
}

template <class Source>
bool TGeoMapCalibration::ReadFrom(Source& In, std::string_view ID) {
  TCalibData d;
  TCalibModel m;
  TCalibReadIssues issues;
  bool found;
  const bool complete =
      geomap::ParseBlock(In, ID, MessagePrefix(), cmUndefined, d, m, issues, found);
  if (!found) return false;
  readIssues_ = issues;
  Apply(d, m);
  return complete;
}

bool TGeoMapCalibration::ReadCalDataFromOpenXMLFile(TextFile& F, std::string_view ID) {
  return ReadFrom(F, ID);
}

bool TGeoMapCalibration::ReadCalDataFromStream(TStream& Stream, std::string_view ID) {
  return ReadFrom(Stream, ID);
}

}  // namespace nuv
