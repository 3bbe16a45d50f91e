#include "nuv/Nuv_geobasics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "Nuv_geobasics_series.h"
#include "Nuv_geobasics_tables.h"
#include "maplib_units.h"
#include "nuv/Nuv_univconst.h"

namespace nuv {

using geobasics_detail::kDegToRad;
using geobasics_detail::kRadToDeg;
using TConsts = geobasics_detail::TEllipsoidConsts<double>;

namespace {

constexpr std::array<TConsts, GeoEllipsoidCount> kEllipsoidConsts = [] {
  std::array<TConsts, GeoEllipsoidCount> t{};
  for (int32_t i = 0; i < GeoEllipsoidCount; ++i)
    t[i] = geobasics_detail::MakeEllipsoidConsts<double>(GeoEllipsoidData[i].A,
                                                         GeoEllipsoidData[i].B);
  return t;
}();

const TConsts& Consts(TGeoEllipsoid Ellipsoid) {
  if (Ellipsoid >= GeoEllipsoidCount) throw ENUVGeoBasicsError("invalid ellipsoid");
  return kEllipsoidConsts[Ellipsoid];
}

bool IsAxis(double v) { return v > 0 && std::isfinite(v); }

constexpr double kUPSScale = 0.994;
constexpr double kUPSFalseOrigin = 2000000;
constexpr int32_t kUPSMaxNewtonSteps = 6;
constexpr double kArcSecToRad = std::numbers::pi / 180 / 3600;

// One Helmert step with the datum's parameters, or with all seven negated
// (Sign = -1) for the way back from WGS 1984.
void ShiftDatum(const TDatumRecord& d, double Sign, double& X, double& Y, double& Z) {
  const double rx = Sign * d.RotX * kArcSecToRad;
  const double ry = Sign * d.RotY * kArcSecToRad;
  const double rz = Sign * d.RotZ * kArcSecToRad;
  const double k = 1 + Sign * d.Scale * 1e-6;
  const double x = k * (X - Y * rz + Z * ry) + Sign * d.DX;
  const double y = k * (Y + X * rz - Z * rx) + Sign * d.DY;
  const double z = k * (Z - X * ry + Y * rx) + Sign * d.DZ;
  X = x;
  Y = y;
  Z = z;
}

// e of the ellipsoid and the factor sqrt(1 - e^2) exp(e artanh e) that the
// polar stereographic radius is divided by.
struct TUPSConsts {
  double E;
  double E2;
  double Denominator;
};

TUPSConsts UPSConsts(const TConsts& c) {
  const double ba = c.B / c.A;
  const double e2 = std::fabs(1 - ba * ba);
  const double e = std::sqrt(e2);
  return {e, e2, std::sqrt(1 - e2) * std::exp(e * std::atanh(e))};
}

}  // namespace

// ---------------------------------------------------------------------------
// Ellipsoid helpers

double GeoEllEccSquared(TGeoEllipsoid Ellipsoid) { return Consts(Ellipsoid).E2; }

double GeoEllEccSquared(double AxisA, double AxisB) {
  if (!IsAxis(AxisA) || !IsAxis(AxisB)) throw ENUVGeoBasicsError("invalid eccentricity");
  if (AxisB > AxisA) return 1 - (AxisA * AxisA) / (AxisB * AxisB);
  return 1 - (AxisB * AxisB) / (AxisA * AxisA);
}

double GeoEllEccSquared(double RecipFlattening) {
  if (RecipFlattening == 0) return 0;
  if (!(RecipFlattening >= 1)) throw ENUVGeoBasicsError("invalid reciprocal flattening");
  const double f = 1 / RecipFlattening;
  return 2 * f - f * f;
}

double RecipFlattening(TGeoEllipsoid Ellipsoid) {
  const TConsts& c = Consts(Ellipsoid);
  return RecipFlattening(c.A, c.B);
}

double RecipFlattening(double MajorAxis, double MinorAxis) {
  if (!IsAxis(MajorAxis) || !(MinorAxis >= 0 && MinorAxis <= MajorAxis))
    throw ENUVGeoBasicsError("invalid reciprocal flattening");
  if (MajorAxis == MinorAxis) return 0;
  return 1 / (1 - MinorAxis / MajorAxis);
}

double RecipFlattening(double EccSquared) {
  if (!(EccSquared >= 0 && EccSquared <= 1)) throw ENUVGeoBasicsError("invalid eccentricity");
  if (EccSquared == 0) return 0;
  return 1 / (1 - std::sqrt(1 - EccSquared));
}

double EllipsoidMinAxFlat(double MajorAxis, double RecipFlattening) {
  if (RecipFlattening == 0) return MajorAxis;
  // Below 1 the flattening exceeds 1 and the minor axis turns negative.
  if (!(RecipFlattening >= 1)) throw ENUVGeoBasicsError("invalid reciprocal flattening");
  return MajorAxis * (1 - 1 / RecipFlattening);
}

double EllipsoidMinAxEcc(double MajorAxis, double EccSquared) {
  if (!(EccSquared >= 0 && EccSquared <= 1)) throw ENUVGeoBasicsError("invalid eccentricity");
  return MajorAxis * std::sqrt(1 - EccSquared);
}

// ---------------------------------------------------------------------------
// Geographic and cartesian coordinates

void GeoToCartesian(double Lat, double Long, double Height, TGeoEllipsoid Ellipsoid, double& X,
                    double& Y, double& Z) {
  geobasics_detail::GeoToCartesian(Lat, Long, Height, Consts(Ellipsoid), X, Y, Z);
}

void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid Ellipsoid, double& Lat,
                    double& Long, double& Height) {
  geobasics_detail::CartesianToGeo(X, Y, Z, Consts(Ellipsoid), Lat, Long, Height);
}

const TDatumRecord& DatumRecord(int32_t DatumNr) {
  static const TDatumRecord kNoDatum{};
  return DatumNr >= 1 && DatumNr <= DatumCount ? DatumData[DatumNr - 1] : kNoDatum;
}

int32_t HelmertTransform(int32_t SourceDatum, double Lat, double Long, double Height,
                         int32_t TargetDatum, double& LatOut, double& LongOut,
                         double& HeightOut) {
  const bool sourceOk = SourceDatum >= 1 && SourceDatum <= DatumCount;
  const bool targetOk = TargetDatum >= 1 && TargetDatum <= DatumCount;
  int32_t status = 0;
  if (!(Lat >= -90 && Lat <= 90)) status = -3;
  if (!(Long >= -180 && Long <= 180)) status = -4;
  // A bad datum stops the computation, so it must not be hidden behind a
  // range status that promises computed outputs.
  if (!sourceOk) status = -1;
  if (!targetOk) status = -2;
  if (!sourceOk || !targetOk) return status;

  const TDatumRecord& source = DatumData[SourceDatum - 1];
  const TDatumRecord& target = DatumData[TargetDatum - 1];
  double x, y, z;
  GeoToCartesian(Lat, Long, Height, source.Ellipsoid, x, y, z);
  ShiftDatum(source, 1, x, y, z);
  ShiftDatum(target, -1, x, y, z);
  CartesianToGeo(x, y, z, target.Ellipsoid, LatOut, LongOut, HeightOut);
  return status;
}

// ---------------------------------------------------------------------------
// Transverse Mercator and UTM

void GeoToUTMZone(double Lat, double Long, int32_t& Zone, char& Band) {
  // Band X spans 72 to 84 degrees, so latitudes from 80 up to 84 repeat it.
  static constexpr char kBands[] = "CDEFGHJKLMNPQRSTUVWXX";
  Zone = 0;
  Band = ' ';
  if (!(Lat >= -80 && Lat <= 84 && Long >= -180 && Long < 180)) return;
  // The ranges just checked keep every conversion below within 0..360, so
  // plain casts are safe here, and this sits on the path of every UTM point.
  Band = kBands[static_cast<int32_t>(Lat + 80) / 8];
  // Longitudes a rounding step below 180 would otherwise land in zone 61.
  Zone = std::min(static_cast<int32_t>((Long + 180) / 6) + 1, 60);
  if (Band == 'V' && Long >= 3 && Long < 12)
    Zone = 32;
  else if (Band == 'X' && Long >= 0 && Long < 42)
    Zone = static_cast<int32_t>((Long + 3) / 12) * 2 + 31;
}

std::string GeoToUTMZone(double Lat, double Long) {
  int32_t zone;
  char band;
  GeoToUTMZone(Lat, Long, zone, band);
  if (zone == 0) return {};
  return std::to_string(zone) + band;
}

double UTMCentralMeridian(int32_t Zone) {
  if (Zone <= 0 || Zone > 60) return 0;
  return (6 * Zone - 183) * kDegToRad<double>;
}

double ArcLengthOfMeridian(double Phi, TGeoEllipsoid Ellipsoid) {
  return geobasics_detail::ArcLengthOfMeridian(Phi, Consts(Ellipsoid));
}

void LatLongToTM(double Phi, double Lambda, double Lambda0, TGeoEllipsoid Ellipsoid, double& X,
                 double& Y) {
  geobasics_detail::LatLongToTM(Phi, Lambda, Lambda0, Consts(Ellipsoid), X, Y);
}

void TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid Ellipsoid, double& Phi,
                 double& Lambda) {
  geobasics_detail::TMToLatLong(X, Y, Lambda0, Consts(Ellipsoid), Phi, Lambda);
}

void LatLongToUTM(double Lat, double Long, TGeoEllipsoid Ellipsoid, int32_t& Zone,
                  double& Easting, double& Northing) {
  const TConsts& c = Consts(Ellipsoid);
  // 180 is the meridian -180, the western edge of zone 1.
  if (Long == 180) Long = -180;
  char band;
  GeoToUTMZone(Lat, Long, Zone, band);
  if (Zone == 0) {
    Easting = Northing = std::numeric_limits<double>::quiet_NaN();
    return;
  }
  geobasics_detail::UTMForward(Lat, Long, UTMCentralMeridian(Zone), c, Easting, Northing);
}

void UTMToLatLong(double Easting, double Northing, int32_t Zone, bool SouthHemi,
                  TGeoEllipsoid Ellipsoid, double& Lat, double& Long) {
  geobasics_detail::UTMInverse(Easting, Northing, UTMCentralMeridian(Zone), SouthHemi,
                               Consts(Ellipsoid), Lat, Long);
}

// ---------------------------------------------------------------------------
// Universal Polar Stereographic

void LatLongToUPS(double Lat, double Long, TGeoEllipsoid Ellipsoid, double& X, double& Y) {
  const TConsts& c = Consts(Ellipsoid);
  if (!(std::fabs(Lat) <= 90)) {
    X = Y = std::numeric_limits<double>::quiet_NaN();
    return;
  }
  const TUPSConsts u = UPSConsts(c);
  const double chi = (Lat >= 0 ? 90 - Lat : Lat + 90) * kDegToRad<double>;
  const double rho = c.A * kUPSScale * 2 * std::tan(chi / 2) *
                     std::exp(u.E * std::atanh(u.E * std::cos(chi))) / u.Denominator;
  double lon = Long;
  if (lon >= 180)
    lon -= 360;
  else if (lon < -180)
    lon += 360;
  const double lambda = lon * kDegToRad<double>;
  // Exact zeros where the trigonometric functions of the rounded angle
  // would leave a few nanometres.
  X = lon == -180 ? 0 : rho * std::sin(lambda);
  Y = std::fabs(lon) == 90 ? 0 : rho * std::cos(lambda);
  if (Lat >= 0) Y = -Y;
  X += kUPSFalseOrigin;
  Y += kUPSFalseOrigin;
}

void UPSToLatLong(double X, double Y, bool SouthHemi, TGeoEllipsoid Ellipsoid, double& Lat,
                  double& Long) {
  const TConsts& c = Consts(Ellipsoid);
  const TUPSConsts u = UPSConsts(c);
  const double dx = X - kUPSFalseOrigin;
  const double dy = Y - kUPSFalseOrigin;
  const double v = std::hypot(dx, dy) * u.Denominator / (c.A * kUPSScale);
  const double tolerance = static_cast<double>(0.1L * std::sqrt(uc_MinDouble));
  double chi = 2 * std::atan(v / 2);
  for (int32_t i = 0; i < kUPSMaxNewtonSteps; ++i) {
    const double cosChi = std::cos(chi);
    const double cosHalf = std::cos(chi / 2);
    const double ex = std::exp(u.E * std::atanh(u.E * cosChi));
    const double g = 2 * std::tan(chi / 2) * ex - v;
    const double dg = ex * (1 - u.E2) / ((1 - u.E2 * cosChi * cosChi) * cosHalf * cosHalf);
    const double step = g / dg;
    chi -= step;
    if (std::fabs(step) < tolerance) break;
  }
  Lat = 90 - chi * kRadToDeg<double>;
  if (SouthHemi) Lat = -Lat;
  Long = (SouthHemi ? std::atan2(dx, dy) : std::atan2(dx, -dy)) * kRadToDeg<double>;
}

}  // namespace nuv

namespace nuv::units {

void Nuv_geobasics_Init() {}
void Nuv_geobasics_Finalize() {}

}  // namespace nuv::units
