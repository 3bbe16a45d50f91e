// Feeds arbitrary bytes to the calibration reader on a memory stream.
// Besides crashes, undefined behaviour and hangs it traps on counts outside
// the record, on a write and read that does not reproduce itself, and on a
// failed conversion that still hands out a pixel.
#include <cstdint>
#include <string>

#include "nuv/Nuv_geomap.h"

namespace {

using namespace nuv;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

std::string Written(const TCalibData& d, TCalibModel m) {
  TStringStream s;
  WriteRawCalDataToStream(s, true, "f", d, m);
  return s.DataString();
}

bool Parse(const std::string& text, const std::string& id, TCalibData& d, TCalibModel& m) {
  TStringStream s(text);
  return ParseCalibData(s, id, d, m);
}

void CheckRecord(const TCalibData& d) {
  Check(d.NumCalLines >= 0 && d.NumCalLines <= MaxCalLines);
  Check(d.NumCalPoints >= 0 && d.NumCalPoints <= MaxCalPoints);
  for (int32_t l = 1; l <= d.NumCalLines; ++l)
    Check(d.CalLines[l].NumPoints >= 3 && d.CalLines[l].NumPoints <= MaxPointsPerCalLine);
  Check(d.UTMZone == -1 || (d.UTMZone >= 1 && d.UTMZone <= 60));
}

// What was written and read once is written again unchanged.
void CheckRoundTrip(const TCalibData& d, TCalibModel m) {
  const std::string first = Written(d, m);
  TCalibData back;
  TCalibModel mb = cmUndefined;
  Check(Parse(first, "f", back, mb));
  Check(mb == m);
  Check(Written(back, mb) == first);
}

void CheckConversions(const std::string& text) {
  TGeoMapCalibration cal;
  cal.SetImageSize(640, 480);
  TStringStream s(text);
  cal.ReadCalDataFromStream(s, "");
  for (int32_t k = 0; k < 4; ++k) {
    bool valid;
    const double lat = cal.CalcLatitude(160 * k, 120 * k, valid);
    const double lon = cal.CalcLongitude(160 * k, 120 * k, valid);
    int32_t x = 1, y = 1;
    if (!cal.CalcPixelCoords(lat, lon, x, y)) Check(x == 0 && y == 0);
  }
  double qx, qy;
  cal.CalibQuality(qx, qy);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    TCalibData d;
    TCalibModel m = cmUndefined;
    Parse(text, "", d, m);
    CheckRecord(d);
    CheckRoundTrip(d, m);
    CheckConversions(text);
  } catch (const ENUVGeoMapError&) {
    // A malformed line or point list is refused with this error.
  }
  return 0;
}
