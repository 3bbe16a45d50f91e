// nuv geo: conversions between geographic, UTM and geocentric coordinates
// and between datums, for the positions given or one per line of standard
// input, through the geodetic basics.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli.h"
#include "nuv/Nuv_geobasics.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"

namespace nuv::tool {

namespace {

constexpr const char* kGeoDescription =
    "Converts the position given as COORDS, or one position per line of\n"
    "standard input. Input (--from auto tells geographic from UTM):\n"
    "  geographic  LAT LONG [HEIGHT]: decimal degrees (52.52 13.405) or\n"
    "              degrees, minutes, seconds (52d31'12\"N 13d24'18\"E,\n"
    "              52:31:12 13:24:18, 52\xC2\xB0 31.2'); a hemisphere letter N S E W\n"
    "              after an angle sets its sign and says which one it is\n"
    "  utm         ZONE EASTING NORTHING: the zone with its band letter\n"
    "              (32U) or with n/s for the hemisphere (32n)\n"
    "  geocentric  X Y Z in metres (--from geocentric)\n"
    "Output (--to): utm (zone and band, easting, northing), geo (latitude,\n"
    "longitude, height when known), geocentric (X Y Z). Metres get\n"
    "--precision decimals, degrees 5 more. --ellipsoid names the ellipsoid\n"
    "(WGS84, GRS80, Int24, ... or its full name; --list-ellipsoids). --datum\n"
    "FROM --to-datum TO (numbers or names of --list-datums) shifts the position\n"
    "between datums, each on its own ellipsoid. A line that cannot be converted gives an empty "
    "output\n"
    "line and a message naming its number; the run goes on and ends with\n"
    "exit code 1.";

enum TSystem { sysAuto, sysGeo, sysUTM, sysGeocentric };

struct TGeoArgs {
  std::string From = "auto", To = "utm", Ellipsoid = "WGS84";
  bool EllipsoidGiven = false, ListDatums = false, ListEllipsoids = false;
  std::string Datum, ToDatum;
  int32_t Precision = 3;
  std::vector<std::string> Coords;
  TOutputMode Output;
};

// A position on the way through the conversion.
struct TPosition {
  TSystem System = sysGeo;
  double A = 0, B = 0, C = 0;  // lat, long, height / easting, northing / X, Y, Z
  bool HasHeight = false;
  int32_t Zone = 0;
  bool South = false;
  char Band = ' ';
};

TSystem SystemOf(const std::string& name, bool input) {
  if (name == "utm") return sysUTM;
  if (name == "geo" || name == "geographic") return sysGeo;
  if (name == "geocentric") return sysGeocentric;
  if (input && name == "auto") return sysAuto;
  throw TUsageError("geo: unknown coordinate system '" + name + "'");
}

TGeoEllipsoid EllipsoidOf(const std::string& name) {
  for (int32_t i = 0; i < GeoEllipsoidCount; ++i) {
    const std::string_view id = GeoEllipsoidId[i];
    if (SameText(name, id) || SameText(name, id.substr(3)) ||
        SameText(Ansi(name), GeoEllipsoidName[i]))
      return static_cast<TGeoEllipsoid>(i);
  }
  throw TUsageError("geo: unknown ellipsoid '" + name + "'");
}

std::size_t SkipBlanks(const std::string& s, std::size_t i) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == ',' || s[i] == '\r')) ++i;
  return i;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// GeoConvert-style "d" after the degrees becomes the degree sign that
// ScanDegrees reads.
std::string DegreeSigns(std::string s) {
  for (std::size_t i = 1; i < s.size(); ++i)
    if ((s[i] == 'd' || s[i] == 'D') && IsDigit(s[i - 1])) s[i] = '\xB0';
  return s;
}

// Reads LAT LONG [HEIGHT]; false with the reason otherwise.
bool ParseGeographic(const std::string& text, TPosition& p, std::string& why) {
  const std::string s = DegreeSigns(text);
  double angle[2];
  int axis[2] = {-1, -1};  // 0 latitude, 1 longitude, -1 not said
  std::size_t i = SkipBlanks(s, 0);
  for (int k = 0; k < 2; ++k) {
    int32_t pos = static_cast<int32_t>(i) + 1, format = -1;
    angle[k] = ScanDegrees(s, pos, false, format);
    if (format < 0) {
      why = k == 0 ? "no latitude" : "no longitude";
      return false;
    }
    i = SkipBlanks(s, static_cast<std::size_t>(pos - 1));
    if (i < s.size()) {
      const char h = AnsiUpperChar(s[i]);
      if ((h == 'N' || h == 'S' || h == 'E' || h == 'W') &&
          (i + 1 == s.size() || !std::isalpha(static_cast<unsigned char>(s[i + 1])))) {
        if (angle[k] < 0) {
          why = "a negative angle with a hemisphere letter";
          return false;
        }
        axis[k] = h == 'N' || h == 'S' ? 0 : 1;
        if (h == 'S' || h == 'W') angle[k] = -angle[k];
        i = SkipBlanks(s, i + 1);
      }
    }
  }
  if (axis[0] >= 0 && axis[0] == axis[1]) {
    why = "two latitudes or two longitudes";
    return false;
  }
  const bool swapped = axis[0] == 1 || axis[1] == 0;
  p.A = swapped ? angle[1] : angle[0];
  p.B = swapped ? angle[0] : angle[1];
  p.HasHeight = false;
  if (i < s.size()) {
    int32_t pos = static_cast<int32_t>(i) + 1;
    p.C = ScanFPNum(s, true, 1, pos);
    if (pos == static_cast<int32_t>(i) + 1) {
      why = "unreadable text at column " + std::to_string(i + 1);
      return false;
    }
    p.HasHeight = true;
    i = SkipBlanks(s, static_cast<std::size_t>(pos - 1));
  }
  if (i < s.size()) {
    why = "unreadable text at column " + std::to_string(i + 1);
    return false;
  }
  if (!(std::fabs(p.A) <= 90)) {
    why = "latitude beyond +-90 degrees";
    return false;
  }
  if (!(std::fabs(p.B) <= 180)) {
    why = "longitude beyond +-180 degrees";
    return false;
  }
  if (!std::isfinite(p.C)) {
    why = "height is not finite";
    return false;
  }
  p.System = sysGeo;
  return true;
}

// Reads numbers into v until the end; false at anything else.
bool ParseNumbers(const std::string& s, std::size_t i, double* v, int count, std::string& why) {
  for (int k = 0; k < count; ++k) {
    i = SkipBlanks(s, i);
    int32_t pos = static_cast<int32_t>(i) + 1;
    v[k] = ScanFPNum(s, true, 1, pos);
    if (pos == static_cast<int32_t>(i) + 1 || !std::isfinite(v[k])) {
      why = "number " + std::to_string(k + 1) + " missing or unreadable";
      return false;
    }
    i = static_cast<std::size_t>(pos - 1);
  }
  if (SkipBlanks(s, i) < s.size()) {
    why = "unreadable text at column " + std::to_string(SkipBlanks(s, i) + 1);
    return false;
  }
  return true;
}

// "32U", "32n", "32s": the zone and its band or hemisphere, and where it ends.
bool ParseZone(const std::string& s, TPosition& p, std::size_t& end) {
  std::size_t i = SkipBlanks(s, 0), j = i;
  while (j < s.size() && IsDigit(s[j]) && j - i < 2) ++j;
  if (j == i || j >= s.size()) return false;
  const char letter = s[j];
  if (j + 1 < s.size() && s[j + 1] != ' ' && s[j + 1] != '\t' && s[j + 1] != ',') return false;
  const int32_t zone = std::stoi(s.substr(i, j - i));
  if (zone < 1 || zone > 60) return false;
  if (letter == 'n' || letter == 's') {
    p.South = letter == 's';
    p.Band = ' ';
  } else if (letter >= 'C' && letter <= 'X' && letter != 'I' && letter != 'O') {
    p.South = letter < 'N';
    p.Band = letter;
  } else {
    return false;
  }
  p.Zone = zone;
  end = j + 1;
  return true;
}

// A datum by number, or by a name that only one datum has.
int32_t DatumOf(const std::string& text) {
  if (text.empty()) return 0;
  int32_t number = 0, code = 0;
  Val(text, number, code);
  if (code == 0) {
    if (number >= 1 && number <= DatumCount) return number;
    throw TUsageError("geo: datum numbers run from 1 to " + std::to_string(DatumCount));
  }
  std::vector<int32_t> found;
  for (int32_t d = 1; d <= DatumCount; ++d)
    if (SameText(DatumRecord(d).Name.View(), Ansi(text))) found.push_back(d);
  if (found.size() == 1) return found[0];
  if (found.empty()) throw TUsageError("geo: no datum '" + text + "' (see --list-datums)");
  std::string numbers;
  for (int32_t d : found) numbers += ' ' + std::to_string(d);
  throw TUsageError("geo: several datums are called '" + text + "'; give a number:" + numbers);
}

void ListDatums() {
  for (int32_t d = 1; d <= DatumCount; ++d) {
    const TDatumRecord& r = DatumRecord(d);
    std::cout << d << '\t' << Utf8(r.Name.View()) << '\t' << Utf8(r.Region.View()) << '\t'
              << GeoEllipsoidId[r.Ellipsoid].substr(3) << '\n';
  }
}

void ListEllipsoids() {
  for (int32_t i = 0; i < GeoEllipsoidCount; ++i)
    std::cout << GeoEllipsoidId[i].substr(3) << '\t' << Utf8(GeoEllipsoidName[i]) << '\n';
}

class TConverter {
 public:
  explicit TConverter(const TGeoArgs& a)
      : from_(SystemOf(a.From, true)),
        to_(SystemOf(a.To, false)),
        precision_(a.Precision),
        datum_(DatumOf(a.Datum)),
        to_datum_(DatumOf(a.ToDatum)) {
    if ((datum_ == 0) != (to_datum_ == 0))
      throw TUsageError("geo: --datum and --to-datum go together");
    if (datum_ != 0 && a.EllipsoidGiven)
      throw TUsageError("geo: a datum brings its own ellipsoid; leave out --ellipsoid");
    ellipsoid_ = datum_ != 0 ? DatumRecord(datum_).Ellipsoid : EllipsoidOf(a.Ellipsoid);
    target_ellipsoid_ = datum_ != 0 ? DatumRecord(to_datum_).Ellipsoid : ellipsoid_;
  }

  // The converted text of one input line, or false with the reason.
  bool Convert(const std::string& line, std::string& out, ordered_json* json, std::string& why) {
    TPosition p;
    if (!Parse(line, p, why)) return false;
    if (datum_ != 0 && !Shift(p, why)) return false;
    if (!Emit(p, out, json, why)) return false;
    return true;
  }

 private:
  bool Parse(const std::string& line, TPosition& p, std::string& why) {
    std::size_t end = 0;
    if (from_ == sysGeocentric) {
      double v[3];
      if (!ParseNumbers(line, 0, v, 3, why)) return false;
      CartesianToGeo(v[0], v[1], v[2], ellipsoid_, p.A, p.B, p.C);
      p.HasHeight = true;
      return true;
    }
    if (from_ == sysUTM || (from_ == sysAuto && ParseZone(line, p, end))) {
      if (from_ == sysUTM && !ParseZone(line, p, end)) {
        why = "no UTM zone (such as 32U or 32n)";
        return false;
      }
      double v[2];
      if (!ParseNumbers(line, end, v, 2, why)) return false;
      UTMToLatLong(v[0], v[1], p.Zone, p.South, ellipsoid_, p.A, p.B);
      if (!std::isfinite(p.A) || !std::isfinite(p.B)) {
        why = "not a position of zone " + std::to_string(p.Zone);
        return false;
      }
      return true;
    }
    return ParseGeographic(line, p, why);
  }

  bool Shift(TPosition& p, std::string& why) {
    double lat = 0, lon = 0, h = 0;
    const int32_t code = HelmertTransform(datum_, p.A, p.B, p.C, to_datum_, lat, lon, h);
    if (code != 0) {
      why = "datum shift failed (result " + std::to_string(code) + ")";
      return false;
    }
    p.A = lat, p.B = lon, p.C = h;
    p.HasHeight = true;
    return true;
  }

  std::string Metres(double v) const { return strff(v, 1, precision_); }
  std::string Degrees(double v) const { return strff(v, 1, precision_ + 5); }

  bool Emit(const TPosition& p, std::string& out, ordered_json* json, std::string& why) {
    switch (to_) {
      case sysUTM: {
        int32_t zone = 0;
        char band = ' ';
        double e = 0, n = 0;
        GeoToUTMZone(p.A, p.B, zone, band);
        LatLongToUTM(p.A, p.B, target_ellipsoid_, zone, e, n);
        if (zone == 0 || !std::isfinite(e) || !std::isfinite(n)) {
          why = "outside the UTM range (latitudes -80 to 84)";
          return false;
        }
        out = std::to_string(zone) + band + ' ' + Metres(e) + ' ' + Metres(n);
        if (json)
          *json = {{"zone", zone}, {"band", std::string(1, band)}, {"easting", e}, {"northing", n}};
        return true;
      }
      case sysGeocentric: {
        double x = 0, y = 0, z = 0;
        GeoToCartesian(p.A, p.B, p.C, target_ellipsoid_, x, y, z);
        out = Metres(x) + ' ' + Metres(y) + ' ' + Metres(z);
        if (json) *json = {{"x", x}, {"y", y}, {"z", z}};
        return true;
      }
      default:
        out = Degrees(p.A) + ' ' + Degrees(p.B);
        if (p.HasHeight) out += ' ' + Metres(p.C);
        if (json) {
          *json = {{"latitude", p.A}, {"longitude", p.B}};
          if (p.HasHeight) (*json)["height"] = p.C;
        }
        return true;
    }
  }

  TSystem from_, to_;
  int32_t precision_;
  int32_t datum_, to_datum_;
  TGeoEllipsoid ellipsoid_, target_ellipsoid_;
};

// Standard input in large blocks, split into lines.
class TLineReader {
 public:
  bool Next(std::string& line) {
    line.clear();
    while (true) {
      const std::size_t nl = buffer_.find('\n', pos_);
      if (nl != std::string::npos) {
        line.assign(buffer_, pos_, nl - pos_);
        pos_ = nl + 1;
        return true;
      }
      if (eof_) {
        if (pos_ >= buffer_.size()) return false;
        line.assign(buffer_, pos_, std::string::npos);
        pos_ = buffer_.size();
        return true;
      }
      buffer_.erase(0, pos_);
      pos_ = 0;
      const std::size_t old = buffer_.size();
      buffer_.resize(old + kBlock);
      const ssize_t n = read(STDIN_FILENO, buffer_.data() + old, kBlock);
      buffer_.resize(old + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
      if (n <= 0) eof_ = true;
    }
  }

 private:
  static constexpr std::size_t kBlock = 1 << 20;
  std::string buffer_;
  std::size_t pos_ = 0;
  bool eof_ = false;
};

void Run(const TGeoArgs& a) {
  if (a.ListDatums || a.ListEllipsoids) {
    if (a.ListDatums) ListDatums();
    if (a.ListEllipsoids) ListEllipsoids();
    return;
  }
  TConverter conv(a);
  std::string out, why;
  if (!a.Coords.empty()) {
    std::string line;
    for (const std::string& c : a.Coords) line += (line.empty() ? "" : " ") + c;
    ordered_json j;
    if (!conv.Convert(Ansi(line), out, a.Output.Json ? &j : nullptr, why))
      throw TJobError("geo: '" + line + "': " + why);
    if (a.Output.Json)
      PrintJson({{"input", line}, {"output", j}});
    else
      std::cout << out << '\n';
    return;
  }
  TLongJob job("geo");
  TLineReader reader;
  std::string line, text;
  ordered_json results = ordered_json::array();
  int64_t number = 0, failed = 0;
  while (reader.Next(line) && !TLongJob::Aborted()) {
    ++number;
    if ((number & 0xFFFF) == 0) job.Report(number);
    ordered_json j;
    const bool ok = conv.Convert(Ansi(line), out, a.Output.Json ? &j : nullptr, why);
    if (!ok) {
      ++failed;
      std::fprintf(stderr, "nuv geo: line %lld: %s\n", static_cast<long long>(number), why.c_str());
      out.clear();
    }
    if (a.Output.Json) {
      results.push_back(
          {{"line", number}, {"input", Utf8(Ansi(line))}, {"output", ok ? j : nullptr}});
      continue;
    }
    text += out;
    text += '\n';
    if (text.size() > (1 << 20)) {
      std::fwrite(text.data(), 1, text.size(), stdout);
      text.clear();
    }
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (a.Output.Json) PrintJson({{"results", results}, {"failed", failed}});
  std::fflush(stdout);
  if (TLongJob::Aborted()) throw TJobError("geo: interrupted after line " + std::to_string(number));
  if (failed > 0)
    throw TJobError("geo: " + std::to_string(failed) + " of " + std::to_string(number) +
                    " lines could not be converted");
}

}  // namespace

void AddGeoCommand(CLI::App& app) {
  auto a = std::make_shared<TGeoArgs>();
  CLI::App* cmd = app.add_subcommand("geo", "convert geographic, UTM and geocentric coordinates");
  cmd->footer(kGeoDescription);
  cmd->add_option("--from", a->From, "input: auto, geo, utm or geocentric")->capture_default_str();
  cmd->add_option("--to", a->To, "output: utm, geo or geocentric")->capture_default_str();
  auto* ellipsoid =
      cmd->add_option("--ellipsoid", a->Ellipsoid, "reference ellipsoid")->capture_default_str();
  cmd->add_option("--datum", a->Datum, "datum of the input (number or name)");
  cmd->add_option("--to-datum", a->ToDatum, "datum of the output (number or name)");
  cmd->add_flag("--list-datums", a->ListDatums, "list the datums: number, name, region, ellipsoid");
  cmd->add_flag("--list-ellipsoids", a->ListEllipsoids, "list the ellipsoids");
  cmd->add_option("--precision", a->Precision, "decimals of metres (degrees get 5 more)")
      ->check(CLI::Range(0, 9))
      ->capture_default_str();
  cmd->add_option("COORDS", a->Coords, "one position; without it, one per line of standard input");
  AddJsonFlag(*cmd, a->Output);
  cmd->callback([a, ellipsoid] {
    a->EllipsoidGiven = ellipsoid->count() > 0;
    Run(*a);
  });
}

}  // namespace nuv::tool
