#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "nuv/Nuv_geobasics.h"

namespace nuv {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMm = 1e-3;
constexpr double kDeg = 1e-9;

const TGeoEllipsoid kSpheres[] = {gelSphere, gelAuthSph, gelInt24AuthSph, gelPopVisSphere};

template <class F>
std::string ErrorText(F&& f) {
  try {
    f();
  } catch (const ENUVGeoBasicsError& e) {
    return e.Message();
  }
  return "(no error)";
}

// ---------------------------------------------------------------------------
// Ellipsoid catalogue and helpers

TEST(GeoEllipsoids, CatalogueIsConsistent) {
  for (int32_t i = 0; i < GeoEllipsoidCount; ++i) {
    const auto e = static_cast<TGeoEllipsoid>(i);
    const TEllipsoidAxes& ax = GeoEllipsoidData[e];
    EXPECT_GT(ax.B, 6.3e6) << GeoEllipsoidId[e];
    EXPECT_LE(ax.B, ax.A) << GeoEllipsoidId[e];
    EXPECT_LT(ax.A, 6.4e6) << GeoEllipsoidId[e];
    EXPECT_EQ(GeoEllipsoidId[e].substr(0, 3), "gel") << i;
    EXPECT_FALSE(GeoEllipsoidName[e].empty()) << GeoEllipsoidId[e];
    const bool sphere = ax.A == ax.B;
    EXPECT_EQ(RecipFlattening(e) == 0, sphere) << GeoEllipsoidId[e];
    EXPECT_TRUE(sphere || RecipFlattening(e) > 250) << GeoEllipsoidId[e];
  }
  EXPECT_EQ(GeoEllipsoidId[gelNahrwan29], "gelNahrwan29");
  EXPECT_EQ(GeoEllipsoidName[gelEver30Ind], "Everest 1830 (India 1937 adj.)");
  EXPECT_EQ(GeoEllipsoidData[gelClrk80RGS].B, 6356514.86955);
}

TEST(GeoEllipsoids, RecipFlatteningAndEccentricityOfKnownEllipsoids) {
  EXPECT_NEAR(RecipFlattening(gelWGS84), 298.2572235605, 1e-6);
  EXPECT_NEAR(RecipFlattening(gelInt24), 297.0, 1e-5);
  EXPECT_NEAR(RecipFlattening(gelClrk66), 294.978698214, 1e-6);
  EXPECT_NEAR(GeoEllEccSquared(gelWGS84), 0.00669437999014, 1e-13);
  for (TGeoEllipsoid e : kSpheres) {
    EXPECT_EQ(RecipFlattening(e), 0) << GeoEllipsoidId[e];
    EXPECT_EQ(GeoEllEccSquared(e), 0) << GeoEllipsoidId[e];
  }
}

TEST(GeoEllipsoids, HelperOverloadsAgree) {
  for (int32_t i = 0; i < GeoEllipsoidCount; ++i) {
    const auto e = static_cast<TGeoEllipsoid>(i);
    const double a = GeoEllipsoidData[e].A, b = GeoEllipsoidData[e].B;
    const double rf = RecipFlattening(e);
    const double e2 = GeoEllEccSquared(e);
    EXPECT_DOUBLE_EQ(GeoEllEccSquared(a, b), e2) << GeoEllipsoidId[e];
    EXPECT_DOUBLE_EQ(GeoEllEccSquared(b, a), e2) << "axes swapped, " << GeoEllipsoidId[e];
    EXPECT_NEAR(GeoEllEccSquared(rf), e2, 1e-15) << GeoEllipsoidId[e];
    EXPECT_NEAR(RecipFlattening(e2), rf, 1e-7 * (rf + 1)) << GeoEllipsoidId[e];
    EXPECT_NEAR(EllipsoidMinAxFlat(a, rf), b, 1e-6) << GeoEllipsoidId[e];
    EXPECT_NEAR(EllipsoidMinAxEcc(a, e2), b, 1e-6) << GeoEllipsoidId[e];
  }
  EXPECT_EQ(GeoEllEccSquared(0.0), 0);
  EXPECT_EQ(EllipsoidMinAxFlat(6378137, 0), 6378137);
  EXPECT_EQ(RecipFlattening(0.0), 0);
  EXPECT_EQ(RecipFlattening(1.0), 1) << "e^2 = 1 is the flat disc";
  EXPECT_EQ(EllipsoidMinAxEcc(6378137, 1), 0);
}

TEST(GeoEllipsoids, HelpersRejectArgumentsThatDescribeNoEllipsoid) {
  struct Case {
    const char* what;
    std::function<double()> call;
    const char* message;
  };
  const std::vector<Case> cases{
      {"RecipFlattening(e2 < 0)", [] { return RecipFlattening(-0.01); }, "invalid eccentricity"},
      {"RecipFlattening(e2 > 1)", [] { return RecipFlattening(1.5); }, "invalid eccentricity"},
      {"RecipFlattening(e2 NaN)", [] { return RecipFlattening(kNaN); }, "invalid eccentricity"},
      {"EllipsoidMinAxEcc(e2 < 0)", [] { return EllipsoidMinAxEcc(6e6, -0.1); },
       "invalid eccentricity"},
      {"EllipsoidMinAxEcc(e2 > 1)", [] { return EllipsoidMinAxEcc(6e6, 1.01); },
       "invalid eccentricity"},
      {"EllipsoidMinAxEcc(e2 NaN)", [] { return EllipsoidMinAxEcc(6e6, kNaN); },
       "invalid eccentricity"},
      {"EllipsoidMinAxFlat(rf < 0)", [] { return EllipsoidMinAxFlat(6e6, -300); },
       "invalid reciprocal flattening"},
      {"EllipsoidMinAxFlat(rf 0.5)", [] { return EllipsoidMinAxFlat(6e6, 0.5); },
       "invalid reciprocal flattening"},
      {"EllipsoidMinAxFlat(rf NaN)", [] { return EllipsoidMinAxFlat(6e6, kNaN); },
       "invalid reciprocal flattening"},
      {"GeoEllEccSquared(rf 0.5)", [] { return GeoEllEccSquared(0.5); },
       "invalid reciprocal flattening"},
      {"GeoEllEccSquared(rf < 0)", [] { return GeoEllEccSquared(-298.0); },
       "invalid reciprocal flattening"},
      {"GeoEllEccSquared(0 axes)", [] { return GeoEllEccSquared(0.0, 0.0); },
       "invalid eccentricity"},
      {"GeoEllEccSquared(neg axis)", [] { return GeoEllEccSquared(6e6, -6e6); },
       "invalid eccentricity"},
      {"GeoEllEccSquared(inf axis)", [] { return GeoEllEccSquared(kInf, 6e6); },
       "invalid eccentricity"},
      {"RecipFlattening(0 major)", [] { return RecipFlattening(0.0, 0.0); },
       "invalid reciprocal flattening"},
      {"RecipFlattening(minor > major)", [] { return RecipFlattening(6e6, 6.1e6); },
       "invalid reciprocal flattening"},
      {"RecipFlattening(NaN minor)", [] { return RecipFlattening(6e6, kNaN); },
       "invalid reciprocal flattening"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorText(c.call), c.message) << c.what;
}

TEST(GeoEllipsoids, EllipsoidOutsideTheEnumerationIsAnError) {
  const auto bad = static_cast<TGeoEllipsoid>(GeoEllipsoidCount);
  double x, y, z;
  int32_t zone;
  EXPECT_EQ(ErrorText([&] { GeoToCartesian(0, 0, 0, bad, x, y, z); }), "invalid ellipsoid");
  EXPECT_EQ(ErrorText([&] { CartesianToGeo(1, 2, 3, bad, x, y, z); }), "invalid ellipsoid");
  EXPECT_EQ(ErrorText([&] { RecipFlattening(bad); }), "invalid ellipsoid");
  EXPECT_EQ(ErrorText([&] { GeoEllEccSquared(static_cast<TGeoEllipsoid>(255)); }),
            "invalid ellipsoid");
  EXPECT_EQ(ErrorText([&] { LatLongToUTM(10, 10, bad, zone, x, y); }), "invalid ellipsoid");
  EXPECT_EQ(ErrorText([&] { UPSToLatLong(2e6, 2e6, false, bad, x, y); }), "invalid ellipsoid");
}

// ---------------------------------------------------------------------------
// Geographic <-> cartesian

struct CartCase {
  TGeoEllipsoid Ellipsoid;
  double Lat, Long, Height;
  double X, Y, Z;
};

// CartConvert -p 6 (WGS 84), CartConvert -e 6377397.155 0.0033427731787546433 -p 6
// (Bessel 1841 with the catalogue's axes), CartConvert -e 6371000 0 -p 6.
const CartCase kCartCases[] = {
    {gelWGS84, 0, 0, 0, 6378137.000000, 0.000000, 0.000000},
    {gelWGS84, 45, 45, 1000, 3194919.145061, 3194919.145061, 4488055.515647},
    {gelWGS84, -33.9, 18.4, 100, 5028602.544282, 1672793.421705, -3537301.122416},
    {gelWGS84, 89.999999, 10, 0, 0.109997, 0.019395, 6356752.314245},
    {gelWGS84, 90, 0, 0, 0.000000, 0.000000, 6356752.314245},
    {gelWGS84, -90, 0, 500, 0.000000, 0.000000, -6357252.314245},
    {gelWGS84, 10, 180, -100, -6281774.348828, 0.000000, 1100231.182918},
    {gelWGS84, 51.5, -0.12, 45, 3978667.817613, -8332.914575, 4968397.674658},
    {gelWGS84, 30, -120, 8848, -2767959.616033, -4794246.688268, 3174797.735384},
    {gelWGS84, -60, -45, -5000, 2258926.566624, -2258926.566624, -5496147.006920},
    {gelBess41, 45, 45, 1000, 3194532.571923, 3194532.571923, 4487602.854429},
    {gelBess41, -33.9, 18.4, 100, 5028003.570868, 1672594.169770, -3536951.023729},
    {gelBess41, 89.999999, 10, 0, 0.109983, 0.019393, 6356078.962840},
    {gelAuthSph, 45, 45, 1000, 3186000.000000, 3186000.000000, 4505684.409721},
    {gelAuthSph, -33.9, 18.4, 100, 5017742.953083, 1669180.916528, -3553449.863821},
};

std::string Name(const CartCase& c) {
  return std::string(GeoEllipsoidId[c.Ellipsoid]) + " " + std::to_string(c.Lat) + "," +
         std::to_string(c.Long) + "," + std::to_string(c.Height);
}

TEST(GeoCartesian, ForwardMatchesReference) {
  for (const CartCase& c : kCartCases) {
    double x, y, z;
    GeoToCartesian(c.Lat, c.Long, c.Height, c.Ellipsoid, x, y, z);
    EXPECT_NEAR(x, c.X, kMm) << Name(c);
    EXPECT_NEAR(y, c.Y, kMm) << Name(c);
    EXPECT_NEAR(z, c.Z, kMm) << Name(c);
  }
}

TEST(GeoCartesian, InverseReturnsTheGeographicPosition) {
  for (const CartCase& c : kCartCases) {
    double lat, lon, h;
    CartesianToGeo(c.X, c.Y, c.Z, c.Ellipsoid, lat, lon, h);
    EXPECT_NEAR(lat, c.Lat, kDeg) << Name(c);
    // The longitude of a point on the polar axis is 0 by convention; a
    // decimetre from the axis the micrometres of the reference decide it.
    if (std::hypot(c.X, c.Y) < 1) {
      EXPECT_NEAR(lon, c.Long, 1e-3) << Name(c);
    } else if (std::fabs(c.Lat) < 90) {
      EXPECT_NEAR(lon, c.Long, kDeg) << Name(c);
    }
    EXPECT_TRUE(lon == 0 || c.X != 0 || c.Y != 0) << Name(c);
    EXPECT_NEAR(h, c.Height, kMm) << Name(c);
  }
}

TEST(GeoCartesian, RoundTripOverTheGlobeOnEveryEllipsoidKind) {
  for (TGeoEllipsoid e : {gelWGS84, gelClrk80IGN, gelEverest, gelSphere, gelPopVisSphere}) {
    for (double lat = -89.5; lat <= 89.5; lat += 8.5)
      for (double lon = -179.0; lon < 180; lon += 37)
        for (double h : {-400.0, 0.0, 3000.0, 20000.0}) {
          double x, y, z, lat2, lon2, h2;
          GeoToCartesian(lat, lon, h, e, x, y, z);
          CartesianToGeo(x, y, z, e, lat2, lon2, h2);
          const std::string where = std::string(GeoEllipsoidId[e]) + " " + std::to_string(lat) +
                                    "," + std::to_string(lon) + "," + std::to_string(h);
          ASSERT_NEAR(lat2, lat, kDeg) << where;
          ASSERT_NEAR(lon2, lon, kDeg) << where;
          ASSERT_NEAR(h2, h, kMm) << where;
        }
  }
}

TEST(GeoCartesian, SpheresGiveFiniteResults) {
  for (TGeoEllipsoid e : kSpheres) {
    const double r = GeoEllipsoidData[e].A;
    double lat, lon, h;
    CartesianToGeo(0, r + 10, 0, e, lat, lon, h);
    EXPECT_NEAR(lat, 0, kDeg) << GeoEllipsoidId[e];
    EXPECT_NEAR(lon, 90, kDeg) << GeoEllipsoidId[e];
    EXPECT_NEAR(h, 10, kMm) << GeoEllipsoidId[e];
    CartesianToGeo(r / 2, r / 2, r / std::sqrt(2.0), e, lat, lon, h);
    EXPECT_NEAR(lat, 45, kDeg) << GeoEllipsoidId[e];
    EXPECT_NEAR(h, 0, kMm) << GeoEllipsoidId[e];
  }
}

TEST(GeoCartesian, PointsOnThePolarAxis) {
  struct Case {
    TGeoEllipsoid Ellipsoid;
    double Z;
    double Lat;
  };
  const double b = GeoEllipsoidData[gelWGS84].B;
  const Case cases[] = {{gelWGS84, b, 90},          {gelWGS84, -b, -90},
                        {gelWGS84, b + 1000, 90},   {gelWGS84, -b - 1000, -90},
                        {gelSphere, 6370997.0, 90}, {gelSphere, -6370997.0, -90},
                        {gelWGS84, 0, 90}};
  for (const Case& c : cases) {
    for (double xy : {0.0, -0.0}) {
      double lat, lon, h;
      CartesianToGeo(xy, xy, c.Z, c.Ellipsoid, lat, lon, h);
      const std::string where = std::string(GeoEllipsoidId[c.Ellipsoid]) +
                                " Z=" + std::to_string(c.Z) + " X=Y=" + std::to_string(xy);
      EXPECT_EQ(lat, c.Lat) << where;
      EXPECT_EQ(lon, 0) << where;
      EXPECT_NEAR(h, std::fabs(c.Z) - GeoEllipsoidData[c.Ellipsoid].B, kMm) << where;
    }
  }
  // A hair off the axis the closed form takes over without a jump.
  double lat, lon, h;
  CartesianToGeo(1e-9, 0, b, gelWGS84, lat, lon, h);
  EXPECT_NEAR(lat, 90, kDeg);
  EXPECT_NEAR(h, 0, kMm);
  CartesianToGeo(1e-30, 1e-30, -b, gelWGS84, lat, lon, h);
  EXPECT_NEAR(lat, -90, kDeg);
  EXPECT_NEAR(lon, 45, kDeg);
  EXPECT_NEAR(h, 0, kMm);
}

TEST(GeoCartesian, NonFiniteInputGivesNonFiniteOutputWithoutFault) {
  double lat, lon, h;
  CartesianToGeo(kNaN, 1, 1, gelWGS84, lat, lon, h);
  EXPECT_TRUE(std::isnan(h));
  double x, y, z;
  GeoToCartesian(kNaN, 0, 0, gelWGS84, x, y, z);
  EXPECT_TRUE(std::isnan(x));
}

// ---------------------------------------------------------------------------
// Helmert transformation

constexpr int32_t kWGS84 = 269;

struct HelmertCase {
  const char* What;
  int32_t Source, Target;
  double Lat, Long, Height;
  double ExpLat, ExpLong, ExpHeight;
};

// cct -d 12 +proj=pipeline +step +proj=axisswap +order=2,1
//   +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=cart +a=.. +b=..
//   +step +proj=helmert <row's seven parameters> +convention=position_vector
//   [+step +inv +proj=helmert <target row's translations>]
//   +step +inv +proj=cart +a=.. +b=.. +step +proj=unitconvert +xy_in=rad +xy_out=deg
//   +step +proj=axisswap +order=2,1
// with the catalogue's axes of the source and target ellipsoids.
const HelmertCase kHelmertCases[] = {
    {"RD Amersfoort (7 parameters) to WGS 84", 13, kWGS84, 52.1551744, 5.38720621, 43.2551,
     52.154186268005, 5.386770889833, 86.603870786726},
    {"S-JTSK Czech Republic (7 parameters) to WGS 84", 44, kWGS84, 50.0755, 14.4378, 250,
     50.074719266859, 14.436706413171, 295.227431422099},
    {"WGS 1972 (rotation about Z) to WGS 84", 268, kWGS84, -33.9, 18.4, 100, -33.899968002695,
     18.400153888889, 96.949376310222},
    {"ED50 Europe to Ordnance GB 1936 through WGS 84", 59, 183, 51.5, -0.12, 45,
     51.498675151857, -0.119826713615, 46.266057992354},
};

TEST(GeoHelmert, MatchesReferenceTransformations) {
  for (const HelmertCase& c : kHelmertCases) {
    double lat, lon, h;
    EXPECT_EQ(HelmertTransform(c.Source, c.Lat, c.Long, c.Height, c.Target, lat, lon, h), 0)
        << c.What;
    EXPECT_NEAR(lat, c.ExpLat, kDeg) << c.What;
    EXPECT_NEAR(lon, c.ExpLong, kDeg) << c.What;
    EXPECT_NEAR(h, c.ExpHeight, kMm) << c.What;
  }
}

TEST(GeoHelmert, RotationSignsAgreeWithTheSourceOperation) {
  // EPSG's operation 4833 (Amersfoort to WGS 84, coordinate frame
  // rotations) as PROJ runs it: cct -d 12 $(projinfo -k operation EPSG:4833
  // -o PROJ -q). The table holds its rotations negated (position vector).
  double lat, lon, h;
  ASSERT_EQ(HelmertTransform(13, 52.1551744, 5.38720621, 43.2551, kWGS84, lat, lon, h), 0);
  EXPECT_NEAR(lat, 52.154186267813, kDeg);
  EXPECT_NEAR(lon, 5.386770889833, kDeg);
}

TEST(GeoHelmert, SameDatumAndBackAgainReturnTheInput) {
  struct Case {
    int32_t Datum;
    double DegTolerance, HeightTolerance;
  };
  // Undoing a shift by negating its parameters is exact for translations;
  // rotation and scale leave second-order terms of a few millimetres.
  const Case cases[] = {{1, kDeg, kMm},       {59, kDeg, kMm},   {183, kDeg, kMm},
                        {kWGS84, kDeg, kMm},  {271, kDeg, kMm},  {13, 1e-7, 0.005},
                        {44, 1e-7, 0.005},    {268, 1e-8, 0.005}};
  for (const Case& c : cases) {
    double lat, lon, h;
    EXPECT_EQ(HelmertTransform(c.Datum, 47.3, 8.5, 400, c.Datum, lat, lon, h), 0) << c.Datum;
    EXPECT_NEAR(lat, 47.3, c.DegTolerance) << "datum " << c.Datum;
    EXPECT_NEAR(lon, 8.5, c.DegTolerance) << "datum " << c.Datum;
    EXPECT_NEAR(h, 400, c.HeightTolerance) << "datum " << c.Datum;
    double lat2, lon2, h2;
    HelmertTransform(c.Datum, 47.3, 8.5, 400, kWGS84, lat, lon, h);
    HelmertTransform(kWGS84, lat, lon, h, c.Datum, lat2, lon2, h2);
    EXPECT_NEAR(lat2, 47.3, c.DegTolerance) << "there and back, datum " << c.Datum;
    EXPECT_NEAR(lon2, 8.5, c.DegTolerance) << "there and back, datum " << c.Datum;
    EXPECT_NEAR(h2, 400, c.HeightTolerance) << "there and back, datum " << c.Datum;
  }
}

TEST(GeoHelmert, StatusOfBadArguments) {
  struct Case {
    const char* What;
    int32_t Source, Target;
    double Lat, Long;
    int32_t Status;
    bool Computed;
  };
  const Case cases[] = {
      {"all good", 59, kWGS84, 50, 10, 0, true},
      {"source 0", 0, kWGS84, 50, 10, -1, false},
      {"source 272", 272, kWGS84, 50, 10, -1, false},
      {"target 0", 59, 0, 50, 10, -2, false},
      {"target -5", 59, -5, 50, 10, -2, false},
      {"both datums bad", 0, 272, 50, 10, -2, false},
      {"latitude 95", 59, kWGS84, 95, 10, -3, true},
      {"latitude NaN", 59, kWGS84, kNaN, 10, -3, true},
      {"longitude -181", 59, kWGS84, 50, -181, -4, true},
      {"latitude and longitude", 59, kWGS84, -91, 200, -4, true},
      // A bad datum stops the computation; a range status after it would
      // tell the caller the outputs were computed.
      {"bad source, bad latitude", 0, kWGS84, 95, 10, -1, false},
      {"bad target, bad longitude", 59, 300, 50, 190, -2, false},
  };
  for (const Case& c : cases) {
    double lat = -1234, lon = -1234, h = -1234;
    EXPECT_EQ(HelmertTransform(c.Source, c.Lat, c.Long, 100, c.Target, lat, lon, h), c.Status)
        << c.What;
    EXPECT_EQ(lat != -1234, c.Computed) << c.What;
  }
  double lat, lon, h;
  HelmertTransform(59, 95, 10, 100, kWGS84, lat, lon, h);
  EXPECT_TRUE(std::isfinite(lat) && std::isfinite(h)) << "latitude 95 still gives outputs";
}

}  // namespace
}  // namespace nuv
