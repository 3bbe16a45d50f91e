#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "nuv/Nuv_geobasics.h"

namespace nuv {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMm = 1e-3;
constexpr double kDeg = 1e-9;
constexpr double kRad = std::numbers::pi / 180;

std::string At(double lat, double lon) {
  return "lat=" + std::to_string(lat) + " long=" + std::to_string(lon);
}

// Checks a position that came back from grid coordinates. Inside the
// standard six-degree zone the series meets 1e-9 degrees; the zones that
// Norway and Svalbard widen reach up to six degrees from their meridian,
// where the inverse series leaves a few 1e-9 degrees, so there the error
// is measured on the ground.
::testing::AssertionResult SamePosition(double lat, double lon, double expLat, double expLon,
                                        int32_t zone) {
  const double offMeridian = std::fabs(expLon - UTMCentralMeridian(zone) / kRad);
  const double dLat = lat - expLat, dLon = std::remainder(lon - expLon, 360.0);
  if (offMeridian <= 3 + 1e-9) {
    if (std::fabs(dLat) <= kDeg && std::fabs(dLon) <= kDeg) return ::testing::AssertionSuccess();
  } else {
    const double metresPerDegree = 6371000 * kRad;
    const double ground = std::hypot(dLat, dLon * std::cos(expLat * kRad)) * metresPerDegree;
    if (ground <= kMm) return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "got " << lat << ", " << lon << " off by " << dLat
                                       << ", " << dLon << " degrees (" << offMeridian
                                       << " degrees from the meridian of zone " << zone << ")";
}

// ---------------------------------------------------------------------------
// Zones and bands

TEST(GeoUTMZone, ZonesBandsAndExceptions) {
  struct Case {
    double Lat, Long;
    int32_t Zone;
    char Band;
  };
  const Case cases[] = {
      {0, 0, 31, 'N'},         {-0.0001, 0, 31, 'M'},    {0, -180, 1, 'N'},
      {0, 179.9999, 60, 'N'},  {-80, 0, 31, 'C'},        {-79.99, -177, 1, 'C'},
      {84, 0, 31, 'X'},        {83.99, 170, 59, 'X'},    {80, 50, 39, 'X'},
      {72, 50, 39, 'X'},       {71.99, 50, 39, 'W'},     {48.2, 16.4, 33, 'U'},
      {-33.9, 18.4, 34, 'H'},  {40.7, -74, 18, 'T'},
      // Norway: band V from 3 to 12 degrees east is zone 32.
      {60.5, 5, 32, 'V'},      {56, 3, 32, 'V'},         {56, 2.999, 31, 'V'},
      {63.999, 11.999, 32, 'V'}, {60, 12, 33, 'V'},      {55.999, 5, 31, 'U'},
      {64, 5, 31, 'W'},
      // Svalbard: band X from 0 to 42 degrees east is zones 31, 33, 35, 37.
      {78, 20, 33, 'X'},       {78, 0, 31, 'X'},         {78, 8.999, 31, 'X'},
      {78, 9, 33, 'X'},        {78, 21, 35, 'X'},        {78, 33, 37, 'X'},
      {78, 41.999, 37, 'X'},   {78, 42, 38, 'X'},        {78, -0.001, 30, 'X'},
      {71.999, 9, 32, 'W'},
  };
  for (const Case& c : cases) {
    int32_t zone;
    char band;
    GeoToUTMZone(c.Lat, c.Long, zone, band);
    EXPECT_EQ(zone, c.Zone) << At(c.Lat, c.Long);
    EXPECT_EQ(band, c.Band) << At(c.Lat, c.Long);
    EXPECT_EQ(GeoToUTMZone(c.Lat, c.Long), std::to_string(c.Zone) + c.Band) << At(c.Lat, c.Long);
  }
}

TEST(GeoUTMZone, OutsideTheUTMRange) {
  const double outside[][2] = {{-80.5, 0},  {84.0001, 0}, {90, 0},   {-90, 0},
                               {0, 180},    {0, -180.01}, {0, 540},  {kNaN, 0},
                               {0, kNaN},   {1e300, 0},   {0, -1e300}};
  for (const auto& p : outside) {
    int32_t zone = 99;
    char band = 'Z';
    GeoToUTMZone(p[0], p[1], zone, band);
    EXPECT_EQ(zone, 0) << At(p[0], p[1]);
    EXPECT_EQ(band, ' ') << At(p[0], p[1]);
    EXPECT_EQ(GeoToUTMZone(p[0], p[1]), "") << At(p[0], p[1]);
  }
}

TEST(GeoUTMZone, LongitudeJustBelow180StaysInZone60) {
  const double lon = std::nextafter(180.0, 0.0);
  int32_t zone;
  char band;
  GeoToUTMZone(10, lon, zone, band);
  EXPECT_EQ(zone, 60);
}

TEST(GeoUTMZone, CentralMeridians) {
  EXPECT_DOUBLE_EQ(UTMCentralMeridian(1), -177 * kRad);
  EXPECT_DOUBLE_EQ(UTMCentralMeridian(31), 3 * kRad);
  EXPECT_DOUBLE_EQ(UTMCentralMeridian(60), 177 * kRad);
  for (int32_t z : {0, -1, 61, std::numeric_limits<int32_t>::max(),
                    std::numeric_limits<int32_t>::min()})
    EXPECT_EQ(UTMCentralMeridian(z), 0) << "zone " << z;
}

// ---------------------------------------------------------------------------
// Meridian arc and Transverse Mercator

TEST(GeoTM, MeridianArcMatchesGeodesicDistance) {
  // GeodSolve -i -p 9 from (0, 0) to (lat, 0)
  const double cases[][2] = {{45, 4984944.377977744},
                             {90, 10001965.729312724},
                             {-30, -3320113.397940383}};
  for (const auto& c : cases)
    EXPECT_NEAR(ArcLengthOfMeridian(c[0] * kRad, gelWGS84), c[1], kMm) << "lat " << c[0];
  EXPECT_NEAR(ArcLengthOfMeridian(std::numbers::pi / 2, gelSphere),
              6370997.0 * std::numbers::pi / 2, kMm);
}

TEST(GeoTM, UnscaledForwardAndInverseMatchReference) {
  // TransverseMercatorProj -k 1 -l 7 -p 9 (forward) and -r -p 12 (inverse)
  const struct {
    double Lat, Long, X, Y;
  } forward[] = {{45, 10, 236540.642358151, 4989325.234792831},
                 {-60, -3, -556573.889130921, -6696296.869256351}};
  for (const auto& c : forward) {
    double x, y;
    LatLongToTM(c.Lat * kRad, c.Long * kRad, 7 * kRad, gelWGS84, x, y);
    EXPECT_NEAR(x, c.X, kMm) << At(c.Lat, c.Long);
    EXPECT_NEAR(y, c.Y, kMm) << At(c.Lat, c.Long);
  }
  const struct {
    double X, Y, Lat, Long;
  } inverse[] = {{200000, 5000000, 45.107190741909079, 9.541308286065437},
                 {-150000, -3000000, -27.103493426313886, 5.487455714044684}};
  for (const auto& c : inverse) {
    double phi, lambda;
    TMToLatLong(c.X, c.Y, 7 * kRad, gelWGS84, phi, lambda);
    EXPECT_NEAR(phi / kRad, c.Lat, kDeg) << "x=" << c.X << " y=" << c.Y;
    EXPECT_NEAR(lambda / kRad, c.Long, kDeg) << "x=" << c.X << " y=" << c.Y;
  }
}

// ---------------------------------------------------------------------------
// UTM against reference coordinates

struct UTMCase {
  double Lat, Long;
  int32_t Zone;
  bool South;
  double Easting, Northing;
};

// GeoConvert -u -p 6 (with -z 31 and -z 60 for the two points at 84 N,
// where GeoConvert itself switches to UPS).
const UTMCase kUTMCases[] = {
    {0, 3, 31, false, 500000.000000, 0.000000},
    {0, 0, 31, false, 166021.443081, 0.000000},
    {0, -180, 1, false, 166021.443081, 0.000000},
    {0.5, 179.99, 60, false, 832851.662216, 55340.879473},
    {-33.9, 18.4, 34, true, 259583.221660, 6245888.045441},
    {-45.5, 170.5, 59, true, 460936.607613, 4961381.923198},
    {-0.000001, -0.5, 30, true, 778276.316829, 9999999.889364},
    {60.5, 5, 32, false, 280356.452771, 6713774.224823},
    {56, 3, 32, false, 126049.970713, 6222336.335317},
    {55.999, 3.5, 31, false, 531184.564389, 6206081.095567},
    {63.999, 11.99, 32, false, 646211.744093, 7100332.728397},
    {64, 3.5, 31, false, 524455.893532, 7097110.072814},
    {78, 20, 33, false, 615914.524877, 8663320.201404},
    {72, 9, 33, false, 293363.504110, 7999233.637230},
    {71.99, 9, 32, false, 500000.000000, 7987817.087649},
    {83.9, 32.9, 35, false, 569875.902332, 9320510.734933},
    {84, 0, 31, false, 465005.344939, 9329005.182447},
    {84, 179.9, 60, false, 533829.157938, 9328945.450188},
    {79.9, 41.99, 37, false, 558511.922815, 8871927.757254},
    {80, 42, 38, false, 441867.784867, 8883084.955948},
    {-80, -179.5, 1, true, 451550.129743, 1117373.055053},
    {-79.9, 0.001, 31, true, 441312.105109, 1128063.180032},
    {-52.2, -70.9, 19, true, 370151.948619, 4215015.390511},
    // The meridian 180 is -180, in zone 1 (tools/ref/utm_180.py).
    {10, 180, 1, false, 171071.263941, 1106908.854243},
    {0, 180, 1, false, 166021.443081, 0.000000},
    {-45, 180, 1, true, 263553.973899, 5012670.495301},
    {83.9, 180, 1, false, 464424.319810, 9317856.466148},
    {-79.9, 180, 1, true, 441292.552740, 1128062.171384},
    {45, -180, 1, false, 263553.973899, 4987329.504699},
};

TEST(GeoUTM, ForwardMatchesReference) {
  for (const UTMCase& c : kUTMCases) {
    int32_t zone;
    double e, n;
    LatLongToUTM(c.Lat, c.Long, gelWGS84, zone, e, n);
    EXPECT_EQ(zone, c.Zone) << At(c.Lat, c.Long);
    EXPECT_NEAR(e, c.Easting, kMm) << At(c.Lat, c.Long);
    EXPECT_NEAR(n, c.Northing, kMm) << At(c.Lat, c.Long);
  }
}

TEST(GeoUTM, InverseOfReferenceGridReturnsThePosition) {
  for (const UTMCase& c : kUTMCases) {
    double lat, lon;
    UTMToLatLong(c.Easting, c.Northing, c.Zone, c.South, gelWGS84, lat, lon);
    // The references are printed to 1 micrometre, about 1e-11 degrees.
    EXPECT_TRUE(SamePosition(lat, lon, c.Lat, c.Long, c.Zone)) << At(c.Lat, c.Long);
  }
}

TEST(GeoUTM, SouthernNorthingsCarryTheFalseNorthing) {
  for (double lat : {-0.001, -10.0, -45.0, -79.99}) {
    int32_t zone;
    double e, n;
    LatLongToUTM(lat, 25, gelInt24, zone, e, n);
    EXPECT_GT(n, 0) << "lat " << lat;
    EXPECT_LT(n, 10000000) << "lat " << lat;
    double lat2, lon2;
    UTMToLatLong(e, n, zone, true, gelInt24, lat2, lon2);
    EXPECT_NEAR(lat2, lat, kDeg) << "lat " << lat;
    EXPECT_NEAR(lon2, 25, kDeg) << "lat " << lat;
  }
}

TEST(GeoUTM, InverseAfterForwardReturnsTheInputEverywhere) {
  for (TGeoEllipsoid ell : {gelWGS84, gelClrk66, gelKrass40, gelAiry30, gelSphere}) {
    for (double lat = -80; lat <= 84; lat += 2)
      for (double lon = -180; lon < 180; lon += 1.25) {
        int32_t zone;
        double e, n, lat2, lon2;
        LatLongToUTM(lat, lon, ell, zone, e, n);
        UTMToLatLong(e, n, zone, lat < 0, ell, lat2, lon2);
        ASSERT_TRUE(SamePosition(lat2, lon2, lat, lon, zone))
            << GeoEllipsoidId[ell] << " " << At(lat, lon);
      }
  }
}

TEST(GeoUTM, OutsideTheUTMRangeGivesZoneZeroAndNaN) {
  const double outside[][2] = {{85, 1},     {-80.001, 0}, {90, 0},       {0, 180.0001},
                               {0, -180.5}, {10, 540},    {kNaN, 1},     {1, kNaN},
                               {1e300, 0},  {0, -1e300},  {84.0001, 180}};
  for (const auto& p : outside) {
    int32_t zone = 99;
    double e = 0, n = 0;
    LatLongToUTM(p[0], p[1], gelWGS84, zone, e, n);
    EXPECT_EQ(zone, 0) << At(p[0], p[1]);
    EXPECT_TRUE(std::isnan(e)) << At(p[0], p[1]);
    EXPECT_TRUE(std::isnan(n)) << At(p[0], p[1]);
  }
}

// ---------------------------------------------------------------------------
// UPS

struct UPSCase {
  double Lat, Long, X, Y;
};

// GeoConvert -u -p 6
const UPSCase kUPSCases[] = {
    {85, 30, 2277728.695691, 1518959.788343},
    {90, 0, 2000000.000000, 2000000.000000},
    {-85, -120, 1518959.788343, 1722271.304309},
    {-90, 0, 2000000.000000, 2000000.000000},
    {87.5, 180, 2000000.000000, 2277601.803099},
    {-84.5, 90, 2611081.356084, 2000000.000000},
    {89.9999, -45, 1999992.149431, 1999992.149431},
    {86, -90, 1555731.570643, 2000000.000000},
};

TEST(GeoUPS, ForwardMatchesReference) {
  for (const UPSCase& c : kUPSCases) {
    double x, y;
    LatLongToUPS(c.Lat, c.Long, gelWGS84, x, y);
    EXPECT_NEAR(x, c.X, kMm) << At(c.Lat, c.Long);
    EXPECT_NEAR(y, c.Y, kMm) << At(c.Lat, c.Long);
  }
}

TEST(GeoUPS, LatitudeBeyondThePoleGivesNaN) {
  for (double lat : {90.0001, -90.5, 180.0, -1e300, kNaN}) {
    double x = 0, y = 0;
    LatLongToUPS(lat, 0, gelWGS84, x, y);
    EXPECT_TRUE(std::isnan(x)) << "lat " << lat;
    EXPECT_TRUE(std::isnan(y)) << "lat " << lat;
  }
}

TEST(GeoUPS, AxisPointsAreExact) {
  double x, y;
  LatLongToUPS(90, 0, gelWGS84, x, y);
  EXPECT_EQ(x, 2000000);
  EXPECT_EQ(y, 2000000);
  LatLongToUPS(86, -90, gelWGS84, x, y);
  EXPECT_EQ(y, 2000000);
  LatLongToUPS(86, 180, gelWGS84, x, y);
  EXPECT_EQ(x, 2000000) << "180 folds to -180";
  LatLongToUPS(-86, 90, gelWGS84, x, y);
  EXPECT_EQ(y, 2000000);
}

TEST(GeoUPS, InverseOfReferenceGridReturnsThePosition) {
  for (const UPSCase& c : kUPSCases) {
    double lat, lon;
    UPSToLatLong(c.X, c.Y, c.Lat < 0, gelWGS84, lat, lon);
    EXPECT_NEAR(lat, c.Lat, kDeg) << At(c.Lat, c.Long);
    if (std::fabs(c.Lat) == 90) continue;  // any longitude names the pole
    EXPECT_NEAR(std::remainder(lon - c.Long, 360.0), 0, kDeg) << At(c.Lat, c.Long);
  }
}

TEST(GeoUPS, InverseAfterForwardReturnsTheInput) {
  for (TGeoEllipsoid ell : {gelWGS84, gelBess41, gelPopVisSphere}) {
    for (double lat : {84.0, 86.5, 89.0, 89.999, -80.0, -83.5, -88.0, -89.999})
      for (double lon = -180; lon < 180; lon += 15) {
        double x, y, lat2, lon2;
        LatLongToUPS(lat, lon, ell, x, y);
        UPSToLatLong(x, y, lat < 0, ell, lat2, lon2);
        const std::string where = std::string(GeoEllipsoidId[ell]) + " " + At(lat, lon);
        ASSERT_NEAR(lat2, lat, kDeg) << where;
        ASSERT_NEAR(std::remainder(lon2 - lon, 360.0), 0, kDeg) << where;
      }
  }
}

}  // namespace
}  // namespace nuv
