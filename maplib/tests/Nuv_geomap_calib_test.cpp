// Calibration models against independent references (numpy least squares,
// GeographicLib, replicas of the apex search and of the graticule
// interpolation), the editing operations and degenerate input.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "ExpectThrow.h"
#include "Nuv_geomap_parts.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/Nuv_matrix.h"

namespace nuv {
namespace {

struct TRefPoint {
  double A, B;
  int32_t X, Y;
};
struct TRefToPos {
  int32_t X, Y;
  double Lat, Long;
};
struct TRefToPix {
  double Lat, Long, X, Y;
};
struct TRefCase {
  const char* Name;
  TCalibModel Model;
  int32_t W, H, Zone;
  bool South;
  std::vector<TRefPoint> Points;
  std::vector<TRefToPos> ToPos;
  std::vector<TRefToPix> ToPix;
  double Resolution;
  std::array<double, 6> Conic;
};
struct TRefLine {
  TGratLineKind Kind;
  double Value;
  std::vector<TPoint> Points;
};
struct TRefGraticule {
  std::vector<TRefLine> Lines;
  std::vector<TRefToPos> ToPos;
  std::vector<TRefToPix> ToPix;
};

#include "data/geomap_calib_ref.inc"

THemisphere Hemi(bool south) { return south ? hemiSouth : hemiNorth; }

void LoadCase(TGeoMapCalibration& c, const TRefCase& r) {
  c.SetImageSize(r.W, r.H);
  c.SetCalibModel(r.Model);
  c.SetUTMZone(r.Zone);
  c.SetUTMHemisphere(Hemi(r.South));
  for (const TRefPoint& p : r.Points) {
    const bool stored = r.Model == cmUTM ? c.AddCalibPoint(p.A, p.B, r.Zone, Hemi(r.South), p.X, p.Y)
                                         : c.AddCalibPoint(p.A, p.B, p.X, p.Y);
    ASSERT_TRUE(stored) << r.Name;
  }
}

::testing::AssertionResult Near(double got, double want, double tol) {
  if (std::fabs(got - want) <= std::max(tol, 1e-9 * std::fabs(want)))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << got << " want " << want;
}

// A rounded pixel lies within half a pixel of the reference's exact value.
::testing::AssertionResult PixelOf(int32_t got, double want) {
  if (std::fabs(got - want) <= 0.5 + 1e-6) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel " << got << " for " << want;
}

void ExpectConversions(const TGeoMapCalibration& c, const std::vector<TRefToPos>& toPos,
                       const std::vector<TRefToPix>& toPix, double tol, const char* name) {
  for (const TRefToPos& q : toPos) {
    SCOPED_TRACE(::testing::Message() << name << " pixel " << q.X << "," << q.Y);
    bool v1, v2;
    EXPECT_TRUE(Near(c.CalcLatitude(q.X, q.Y, v1), q.Lat, tol));
    EXPECT_TRUE(Near(c.CalcLongitude(q.X, q.Y, v2), q.Long, tol));
    EXPECT_TRUE(v1 && v2);
  }
  for (const TRefToPix& q : toPix) {
    SCOPED_TRACE(::testing::Message() << name << " position " << q.Lat << "," << q.Long);
    int32_t x, y;
    ASSERT_TRUE(c.CalcPixelCoords(q.Lat, q.Long, x, y));
    EXPECT_TRUE(PixelOf(x, q.X));
    EXPECT_TRUE(PixelOf(y, q.Y));
  }
}

// ---------------------------------------------------------------------------
// Fitted models against the references

TEST(GeoMapCalibModels, ConvertAsTheReferenceFitsDo) {
  for (const TRefCase& r : kRefCases) {
    TGeoMapCalibration c;
    LoadCase(c, r);
    ExpectConversions(c, r.ToPos, r.ToPix, 1e-6, r.Name);
    // 0 where the middle row runs outside what the points determine.
    if (r.Resolution > 0) {
      EXPECT_NEAR(c.Data().Resolution, r.Resolution, 1e-6 * r.Resolution) << r.Name;
    }
  }
}

TEST(GeoMapCalibModels, ConicSearchFindsTheReplicasApex) {
  for (const TRefCase& r : kRefCases) {
    if (r.Model != cmConicConformal) continue;
    TGeoMapCalibration c;
    LoadCase(c, r);
    const TConicParams& p = c.ConicParams();
    EXPECT_EQ(p.X0, r.Conic[0]) << r.Name;
    EXPECT_EQ(p.Y0, r.Conic[1]) << r.Name;
    const double got[4] = {p.KLat, p.DLat, p.KLong, p.DLong};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(got[k], r.Conic[k + 2], 1e-12 * std::fabs(r.Conic[k + 2])) << r.Name << " " << k;
  }
}

TEST(GeoMapCalibModels, ConicAngleOnTheApexRowIsAQuarterTurn) {
  TGeoMapCalibration c;
  LoadCase(c, kRefCases[std::size(kRefCases) - 2]);
  const TConicParams p = c.ConicParams();
  ASSERT_EQ(p.Y0, std::round(p.Y0));
  const int32_t y0 = static_cast<int32_t>(p.Y0), x0 = static_cast<int32_t>(p.X0);
  bool valid;
  EXPECT_DOUBLE_EQ(c.CalcLongitude(x0 + 10, y0, valid), p.KLong * M_PI / 2 + p.DLong);
  EXPECT_TRUE(valid);
  EXPECT_DOUBLE_EQ(c.CalcLongitude(x0 - 10, y0, valid), -p.KLong * M_PI / 2 + p.DLong);
  // The apex itself has no direction.
  c.CalcLongitude(x0, y0, valid);
  EXPECT_FALSE(valid);
}

TEST(GeoMapCalibModels, ConicPixelsLieOnThePointsSideOfTheApex) {
  // A map drawn south up: the apex lies below it, at northern latitudes.
  TGeoMapCalibration c;
  c.SetImageSize(800, 600);
  c.SetCalibModel(cmConicConformal);
  const double x0 = 400, y0 = 6600;
  for (const TPoint p : {TPoint{20, 30}, {780, 45}, {400, 300}, {35, 580}, {785, 590}, {600, 150}}) {
    const double dx = p.X - x0, dy = p.Y - y0;
    c.AddCalibPoint(53 - 0.001 * std::hypot(dx, dy), 12 + 30 * std::atan(dx / dy), p.X, p.Y);
  }
  EXPECT_EQ(c.ConicParams().Side, -1);
  for (const TPoint p : {TPoint{100, 100}, {700, 500}, {400, 50}}) {
    bool v1, v2;
    const double lat = c.CalcLatitude(p, v1), lon = c.CalcLongitude(p, v2);
    ASSERT_TRUE(v1 && v2 && lat > 0);
    int32_t x, y;
    ASSERT_TRUE(c.CalcPixelCoords(lat, lon, x, y));
    EXPECT_NEAR(x, p.X, 1) << p.X << "," << p.Y;
    EXPECT_NEAR(y, p.Y, 1) << p.X << "," << p.Y;
  }
}

TEST(GeoMapCalibModels, MillerRecoversItsParameters) {
  for (const TRefCase& r : kRefCases) {
    if (r.Model != cmMillerCylindrical) continue;
    TGeoMapCalibration c;
    LoadCase(c, r);
    const TMillerParams& m = c.MillerParams();
    EXPECT_NEAR(m.K1, 2000, 1e-7);
    EXPECT_NEAR(m.K2, -2000, 1e-7);
    EXPECT_NEAR(m.D1, 400 - 2000 * 10.5 * M_PI / 180, 1e-7);
    ExpectConversions(c, r.ToPos, r.ToPix, 1e-9, r.Name);
  }
}

TEST(GeoMapCalibModels, ParabolicInterpolationAsTheReplica) {
  TGeoMapCalibration c;
  c.SetImageSize(800, 600);
  c.SetCalibModel(cmParabolicIp);
  for (const TRefLine& l : kRefGraticule.Lines)
    for (const TPoint& p : l.Points) ASSERT_TRUE(c.AddCalibPoint(l.Kind, l.Value, p.X, p.Y));
  ASSERT_TRUE(c.RecalcGratMat());
  EXPECT_EQ(c.GratMat().NrOfRows(), 6);
  ExpectConversions(c, kRefGraticule.ToPos, kRefGraticule.ToPix, 1e-9, "graticule");
  for (const TRefToPix& q : kRefGraticule.ToPix) {
    int32_t x, y;
    c.CalcPixelCoords(q.Lat, q.Long, x, y);
    EXPECT_EQ(x, std::nearbyint(q.X)) << q.Lat << "," << q.Long;
    EXPECT_EQ(y, std::nearbyint(q.Y)) << q.Lat << "," << q.Long;
  }
}

// ---------------------------------------------------------------------------
// Parabolic interpolation: incomplete and degenerate graticules

void AddLine(TGeoMapCalibration& c, TGratLineKind kind, double value, std::vector<TPoint> pts) {
  for (const TPoint& p : pts) c.AddCalibPoint(kind, value, p.X, p.Y);
}

TEST(GeoMapCalibParabolic, IncompleteGraticuleConvertsNothing) {
  TGeoMapCalibration c;
  c.SetImageSize(800, 600);
  c.SetCalibModel(cmParabolicIp);
  AddLine(c, gtlMeridian, 10, {{100, 0}, {101, 300}, {100, 600}});
  AddLine(c, gtlMeridian, 11, {{400, 0}, {401, 300}, {400, 600}});
  AddLine(c, gtlParallel, 47, {{0, 100}, {400, 101}, {800, 100}});
  // A second parallel of two points is not fitted and takes no part.
  AddLine(c, gtlParallel, 46, {{0, 500}, {800, 500}});
  EXPECT_FALSE(c.RecalcGratMat());
  EXPECT_EQ(c.GratMat().NrOfRows(), 1);
  bool valid;
  EXPECT_EQ(c.CalcLatitude(200, 200, valid), 0);
  EXPECT_FALSE(valid);
  int32_t x = 7, y = 7;
  EXPECT_FALSE(c.CalcPixelCoords(46.5, 10.5, x, y));
  EXPECT_EQ(x, 0);
  c.AddCalibPoint(gtlParallel, 46, 400, 501);
  EXPECT_TRUE(c.RecalcGratMat());
  EXPECT_NEAR(c.CalcLatitude(200, 300, valid), 46.5, 0.01);
  EXPECT_TRUE(valid);
}

TEST(GeoMapCalibParabolic, UnfittedLinesDoNotActAsAxis) {
  TGeoMapCalibration c;
  c.SetImageSize(800, 600);
  c.SetCalibModel(cmParabolicIp);
  AddLine(c, gtlMeridian, 10, {{300, 0}, {300, 300}, {300, 600}});
  AddLine(c, gtlMeridian, 11, {{500, 0}, {500, 300}, {500, 600}});
  AddLine(c, gtlParallel, 47, {{0, 100}, {400, 100}, {800, 100}});
  AddLine(c, gtlParallel, 46, {{0, 500}, {400, 500}, {800, 500}});
  // A meridian of two points near x = 0 would be the nearest to pixel 10.
  AddLine(c, gtlMeridian, 5, {{700, 0}, {700, 600}});
  bool valid;
  EXPECT_DOUBLE_EQ(c.CalcLongitude(10, 300, valid), 10 + (10.0 - 300) / 200);
  EXPECT_TRUE(valid);
}

TEST(GeoMapCalibParabolic, CrossingCurvesAndDivergenceGiveNoValue) {
  TGeoMapCalibration c;
  c.SetImageSize(800, 600);
  c.SetCalibModel(cmParabolicIp);
  // Two meridians crossing at (400, 300).
  AddLine(c, gtlMeridian, 10, {{100, 0}, {400, 300}, {700, 600}});
  AddLine(c, gtlMeridian, 11, {{700, 0}, {400, 300}, {100, 600}});
  AddLine(c, gtlParallel, 47, {{0, 100}, {400, 100}, {800, 100}});
  AddLine(c, gtlParallel, 46, {{0, 500}, {400, 500}, {800, 500}});
  bool valid;
  EXPECT_EQ(c.CalcLongitude(400, 300, valid), 0);
  EXPECT_FALSE(valid);
}

TEST(GeoMapCalibParabolic, IterationRunningOffInOneAxisFails) {
  TGeoMapCalibration c;
  c.SetImageSize(800, 600);
  c.SetCalibModel(cmParabolicIp);
  AddLine(c, gtlMeridian, 10, {{100, 0}, {100, 300}, {100, 600}});
  AddLine(c, gtlMeridian, 11, {{400, 0}, {400, 300}, {400, 600}});
  AddLine(c, gtlParallel, 47, {{0, 100}, {400, 100}, {800, 100}});
  AddLine(c, gtlParallel, 46, {{0, 500}, {400, 500}, {800, 500}});
  int32_t x, y;
  ASSERT_TRUE(c.CalcPixelCoords(46.5, 10.5, x, y));
  EXPECT_EQ(x, 250);
  EXPECT_EQ(y, 300);
  // x stays on the meridians while y runs off.
  EXPECT_FALSE(c.CalcPixelCoords(-1000, 10.5, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

// ---------------------------------------------------------------------------
// The least-squares solver

TEST(GeoMapCalibSolver, MinimumNormBelowFullRank) {
  // One row: the minimum-norm solution is a multiple of the row.
  const std::vector<double> a{1, 2, 3};
  const std::vector<double> y{14};
  std::vector<double> c(3);
  const std::span<const double> rhs[1] = {y};
  const std::span<double> out[1] = {c};
  ASSERT_TRUE(geomap::SolveLeastSquares(a, 1, 3, rhs, out));
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(c[k], k + 1.0, 1e-12) << k;
}

TEST(GeoMapCalibSolver, ProgressOncePerColumnAndNonFiniteInput) {
  const std::vector<double> a{1, 1, 1, 0, 1, 2};
  std::vector<double> y{1, 2, 3}, c(2, 9.0);
  const std::span<const double> rhs[1] = {y};
  const std::span<double> out[1] = {c};
  int32_t calls = 0;
  MathFeedBackProc = [&](int32_t) { ++calls; };
  const int32_t before = ProcStat;
  ASSERT_TRUE(geomap::SolveLeastSquares(a, 3, 2, rhs, out));
  EXPECT_EQ(ProcStat - before, 2);
  EXPECT_EQ(calls, 2);
  MathFeedBackProc = nullptr;
  EXPECT_NEAR(c[0], 1, 1e-12);
  EXPECT_NEAR(c[1], 1, 1e-12);
  y[1] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(geomap::SolveLeastSquares(a, 3, 2, rhs, out));
  EXPECT_EQ(c[0], 0);
}

// ---------------------------------------------------------------------------
// Degenerate point sets

TEST(GeoMapCalibDegenerate, NoPointsGiveZeroPolynomials) {
  for (TCalibModel m : {cmBiquadraticPn, cmEquiRect}) {
    TGeoMapCalibration c;
    c.SetImageSize(800, 600);
    c.SetCalibModel(m);
    bool valid;
    EXPECT_EQ(c.CalcLatitude(100, 100, valid), 0) << m;
    int32_t x, y;
    EXPECT_TRUE(c.CalcPixelCoords(47, 11, x, y)) << m;
    EXPECT_EQ(x, 0);
  }
}

TEST(GeoMapCalibDegenerate, ConicAndMillerKeepTheirFitBelowThreePoints) {
  for (TCalibModel m : {cmConicConformal, cmMillerCylindrical}) {
    TGeoMapCalibration c;
    c.SetImageSize(800, 600);
    c.SetCalibModel(m);
    c.AddCalibPoint(48.0, 10.0, 100, 100);
    c.AddCalibPoint(47.0, 11.0, 700, 500);
    c.AddCalibPoint(47.5, 10.6, 400, 300);
    bool valid;
    const double before = c.CalcLatitude(250, 250, valid);
    ASSERT_TRUE(valid) << m;
    ASSERT_TRUE(c.RemoveCalibPoint(400, 300));
    EXPECT_EQ(c.CalcLatitude(250, 250, valid), before) << m;
  }
}

TEST(GeoMapCalibDegenerate, ConicWithPointsOnOneRowStoresThePoint) {
  TGeoMapCalibration c;
  c.SetImageSize(800, 600);
  c.SetCalibModel(cmConicConformal);
  c.AddCalibPoint(47.0, 10.0, 100, 300);
  c.AddCalibPoint(47.0, 11.0, 700, 300);
  // Trial apexes on row 300 leave one point for the angle regression.
  EXPECT_NO_THROW(EXPECT_TRUE(c.AddCalibPoint(47.5, 10.5, 400, 100)));
  EXPECT_EQ(c.Data().NumCalPoints, 3);
}

TEST(GeoMapCalibDegenerate, CoincidentPointsGiveFinitePixelsOrNone) {
  for (TCalibModel m : {cmBiquadraticPn, cmConicConformal, cmMillerCylindrical, cmEquiRect}) {
    TGeoMapCalibration c;
    c.SetImageSize(800, 600);
    c.SetCalibModel(m);
    for (int k = 0; k < 4; ++k) c.AddCalibPoint(47.0, 11.0, 300, 200);
    for (const auto& q : std::vector<std::pair<double, double>>{{47, 11}, {48, 12}, {-90, 500}}) {
      int32_t x = 1, y = 1;
      if (!c.CalcPixelCoords(q.first, q.second, x, y)) {
        EXPECT_TRUE(x == 0 && y == 0) << m;
      }
    }
    double qx, qy;
    c.CalibQuality(qx, qy);
    EXPECT_TRUE(std::isfinite(qx) && std::isfinite(qy)) << m;
  }
}

TEST(GeoMapCalibDegenerate, PositionsWithoutPixelAreRefused) {
  TGeoMapCalibration c;
  LoadCase(c, kRefCases[0]);
  int32_t x = 5, y = 5;
  EXPECT_FALSE(c.CalcPixelCoords(1e200, 11, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_FALSE(c.CalcPixelCoords(std::numeric_limits<double>::quiet_NaN(), 11, x, y));
  EXPECT_FALSE(c.AddCalibPoint(std::numeric_limits<double>::infinity(), 11, 1, 1));
  EXPECT_EQ(c.Data().NumCalPoints, static_cast<int32_t>(kRefCases[0].Points.size()));
}

TEST(GeoMapCalibDegenerate, UndefinedModelConvertsNothing) {
  TGeoMapCalibration c;
  bool valid = true;
  EXPECT_EQ(c.CalcLatitude(1, 1, valid), 0);
  EXPECT_FALSE(valid);
  int32_t x, y;
  EXPECT_FALSE(c.CalcPixelCoords(47, 11, x, y));
}

// ---------------------------------------------------------------------------
// UTM

const TRefCase& UTMCase() {
  for (const TRefCase& r : kRefCases)
    if (r.Model == cmUTM) return r;
  throw 0;
}

TEST(GeoMapCalibUTM, QualityOfAFitIsItsPixelScatter) {
  TGeoMapCalibration c;
  LoadCase(c, UTMCase());
  double qx, qy;
  c.CalibQuality(qx, qy);
  // 1.5 m of noise at 12.5 m per pixel.
  EXPECT_LT(qx, 0.5);
  EXPECT_LT(qy, 0.5);
}

TEST(GeoMapCalibUTM, GridHelpersFollowTheInverseFit) {
  TGeoMapCalibration c;
  const TRefCase& r = UTMCase();
  EXPECT_EQ(c.CalcUTMyFromNorthingX(5.3e6, 10), 0);
  c.SetCalibModel(cmUTM);
  c.SetUTMZone(r.Zone);
  // Without a fit the helpers have nothing to divide by.
  EXPECT_EQ(c.CalcUTMyFromNorthingX(5.3e6, 10), 0);
  EXPECT_EQ(c.CalcUTMxFromEastingY(4e5, 10), 0);
  int32_t x = 3, y = 3;
  EXPECT_FALSE(c.CalcPixelCoordsUTM(5.3e6, 4e5, x, y));
  LoadCase(c, r);
  const double n = 5296000, e = 399000;
  ASSERT_TRUE(c.CalcPixelCoordsUTM(n, e, x, y));
  // The northing line through column x meets it at row y, and the easting
  // line through row y at column x.
  EXPECT_NEAR(c.CalcUTMyFromNorthingX(n, x), y, 1);
  EXPECT_NEAR(c.CalcUTMxFromEastingY(e, y), x, 1);
}

TEST(GeoMapCalibUTM, PointsMustBeInTheMapsZone) {
  TGeoMapCalibration c;
  c.SetCalibModel(cmUTM);
  using nuv::testing::ExpectThrowMessage;
  ExpectThrowMessage<ENUVGeoMapError>([&] { c.AddCalibPoint(5.3e6, 4e5, 33, hemiNorth, 1, 1); },
                                      "TGeoMapCalibration: UTM zone parameter changed");
  c.SetUTMZone(33);
  ExpectThrowMessage<ENUVGeoMapError>([&] { c.AddCalibPoint(5.3e6, 4e5, 33, hemiSouth, 1, 1); },
                                      "TGeoMapCalibration: UTM zone parameter changed");
  EXPECT_TRUE(c.AddCalibPoint(5.3e6, 4e5, 33, hemiNorth, 1, 1));
  // Without a zone the grid cannot be converted.
  c.SetUTMZone(-1);
  bool valid;
  c.CalcLatitude(1, 1, valid);
  EXPECT_FALSE(valid);
}

TEST(GeoMapCalibUTM, ConversionsFollowTheGridSettings) {
  TGeoMapCalibration c;
  LoadCase(c, UTMCase());
  bool valid;
  const double lon33 = c.CalcLongitude(100, 100, valid), lat33 = c.CalcLatitude(100, 100, valid);
  c.SetUTMZone(34);
  EXPECT_NEAR(c.CalcLongitude(100, 100, valid) - lon33, 6, 1e-9);
  c.SetUTMHemisphere(hemiSouth);
  EXPECT_LT(c.CalcLatitude(100, 100, valid), 0);
  c.SetUTMHemisphere(hemiNorth);
  c.SetEllipsoid(gelInt24);
  EXPECT_NE(c.CalcLatitude(100, 100, valid), lat33);
  c.SetEllipsoid(gelWGS84);
  c.SetUTMZone(33);
  EXPECT_EQ(c.CalcLatitude(100, 100, valid), lat33);
  // A refit from other points moves the positions.
  c.RemoveCalibPoint(0, 0);
  EXPECT_NE(c.CalcLatitude(100, 100, valid), lat33);
}

// ---------------------------------------------------------------------------
// Editing

TEST(GeoMapCalibEditing, OverloadsServeTheirModels) {
  using nuv::testing::ExpectThrowMessage;
  TComponent owner(nullptr);
  TGeoMap map(&owner);
  map.SetName("Map1");
  const std::string add = "Component \"Map1\": current calibration model does not support this version of AddCalibPoint";
  const std::string remove = "Component \"Map1\": current calibration model does not support this version of RemoveCalibPoint";
  for (int m = cmParabolicIp; m <= cmUndefined; ++m) {
    map.SetCalibModel(static_cast<TCalibModel>(m));
    const bool grat = m == cmParabolicIp, geo = m >= cmBiquadraticPn && m <= cmEquiRect;
    if (!grat) ExpectThrowMessage<ENUVGeoMapError>([&] { map.AddCalibPoint(gtlMeridian, 1, 1, 1); }, add);
    if (!grat) ExpectThrowMessage<ENUVGeoMapError>([&] { map.RemoveCalibPoint(gtlMeridian, 1, 1, 1); }, remove);
    if (!geo) ExpectThrowMessage<ENUVGeoMapError>([&] { map.AddCalibPoint(47.0, 11.0, 1, 1); }, add);
    if (m != cmUTM) ExpectThrowMessage<ENUVGeoMapError>([&] { map.AddCalibPoint(5e6, 4e5, 0, hemiNorth, 1, 1); }, add);
  }
}

TEST(GeoMapCalibEditing, CapacitiesOfLinesAndPoints) {
  TGeoMapCalibration c;
  c.SetCalibModel(cmParabolicIp);
  for (int k = 0; k < 11; ++k) EXPECT_EQ(c.AddCalibPoint(gtlMeridian, 10, k, k), k < 10) << k;
  EXPECT_EQ(c.Data().NumCalLines, 1);
  for (int l = 1; l < 26; ++l) EXPECT_EQ(c.AddCalibPoint(gtlParallel, l, 0, l), l < 25) << l;
  EXPECT_EQ(c.Data().NumCalLines, 25);
  EXPECT_FALSE(c.AddCalibPoint(gtlParallel, std::numeric_limits<double>::quiet_NaN(), 0, 0));

  c.SetCalibModel(cmEquiRect);
  for (int k = 0; k < 200; ++k) ASSERT_TRUE(c.AddCalibPoint(47 + k * 1e-3, 11 - k * 1e-3, k, 2 * k % 601));
  bool valid;
  const double before = c.CalcLatitude(50, 50, valid);
  EXPECT_FALSE(c.AddCalibPoint(0.0, 0.0, 5, 5));
  EXPECT_EQ(c.Data().NumCalPoints, 200);
  EXPECT_EQ(c.CalcLatitude(50, 50, valid), before);
}

TEST(GeoMapCalibEditing, RemoveAndRestoreUnderEveryModel) {
  for (const TRefCase& r : kRefCases) {
    if (r.Points.size() < 4) continue;
    TGeoMapCalibration c;
    LoadCase(c, r);
    bool valid;
    const TRefPoint& p = r.Points[1];
    const double lat = c.CalcLatitude(p.X, p.Y, valid);
    ASSERT_TRUE(c.RemoveCalibPoint(p.X + 1, p.Y)) << r.Name;
    EXPECT_EQ(c.Data().NumCalPoints, static_cast<int32_t>(r.Points.size()) - 1);
    // The last point took the removed one's slot.
    EXPECT_EQ(c.Data().CalPoints[2].X, r.Points.back().X) << r.Name;
    ASSERT_TRUE(c.RestoreLastDeletedCalPoint()) << r.Name;
    EXPECT_FALSE(c.RestoreLastDeletedCalPoint()) << r.Name;
    EXPECT_EQ(c.Data().CalPoints[static_cast<int32_t>(r.Points.size())].Lat, p.A) << r.Name;
    // Refitted from the same points in another order.
    EXPECT_NEAR(c.CalcLatitude(p.X, p.Y, valid), lat, 1e-7) << r.Name;
  }
}

TEST(GeoMapCalibEditing, GraticuleRemoveAndRestore) {
  TGeoMapCalibration c;
  c.SetCalibModel(cmParabolicIp);
  AddLine(c, gtlMeridian, 10, {{100, 0}, {101, 300}, {100, 600}});
  AddLine(c, gtlParallel, 47, {{0, 100}});
  AddLine(c, gtlParallel, 46, {{0, 500}, {400, 501}});
  EXPECT_FALSE(c.RemoveCalibPoint(gtlMeridian, 10, 0, 100));
  EXPECT_FALSE(c.RemoveCalibPoint(gtlMeridian, 10.5, 101, 300));
  // The only point of parallel 47: the last line takes its place.
  EXPECT_TRUE(c.RemoveCalibPoint(gtlParallel, 47, 0, 100));
  ASSERT_EQ(c.Data().NumCalLines, 2);
  EXPECT_EQ(c.Data().CalLines[2].Value, 46);
  EXPECT_TRUE(c.RestoreLastDeletedCalPoint());
  EXPECT_EQ(c.Data().NumCalLines, 3);
  EXPECT_EQ(c.Data().CalLines[3].Value, 47);
  // Nearest point over all lines, the first of equal ones.
  EXPECT_TRUE(c.RemoveCalibPoint(100, 250));
  EXPECT_EQ(c.Data().CalLines[1].NumPoints, 2);
  EXPECT_EQ(c.Data().CalLines[1].Points[2], (TPoint{100, 600}));
  // A graticule point does not restore under another model, nor a point
  // of one family under another.
  c.SetCalibModel(cmBiquadraticPn);
  EXPECT_FALSE(c.RestoreLastDeletedCalPoint());
  c.SetCalibModel(cmParabolicIp);
  EXPECT_TRUE(c.RestoreLastDeletedCalPoint());
}

TEST(GeoMapCalibEditing, UTMPointsRestoreInTheirZone) {
  TGeoMapCalibration c;
  const TRefCase& r = UTMCase();
  LoadCase(c, r);
  ASSERT_TRUE(c.RemoveCalibPoint(r.Points[0].X, r.Points[0].Y));
  EXPECT_TRUE(c.RestoreLastDeletedCalPoint());
  EXPECT_EQ(c.Data().NumCalPoints, static_cast<int32_t>(r.Points.size()));
  ASSERT_TRUE(c.RemoveCalibPoint(r.Points[0].X, r.Points[0].Y));
  c.SetCalibModel(cmEquiRect);
  EXPECT_FALSE(c.RestoreLastDeletedCalPoint());
}

TEST(GeoMapCalibEditing, ClearForgetsEverythingButTheNames) {
  TGeoMapCalibration c;
  LoadCase(c, UTMCase());
  c.SetMapName("Alps.jpg");
  c.RemoveCalibPoint(0, 0);
  c.ClearCalibData();
  const TCalibData& d = c.Data();
  EXPECT_EQ(d.NumCalPoints, 0);
  EXPECT_EQ(d.UTMZone, -1);
  EXPECT_EQ(d.MapName, "Alps.jpg");
  EXPECT_EQ(d.Corners[gcoBottomRight].Lat, 0);
  EXPECT_FALSE(c.RestoreLastDeletedCalPoint());
  int32_t x, y;
  EXPECT_FALSE(c.CalcPixelCoordsUTM(5.3e6, 4e5, x, y));
  EXPECT_EQ(c.GratMat().NrOfRows(), 1);
}

TEST(GeoMapCalibEditing, SwitchingModelsRefitsTheSamePoints) {
  TGeoMapCalibration c;
  LoadCase(c, kRefCases[0]);
  for (TCalibModel m : {cmConicConformal, cmMillerCylindrical, cmEquiRect, cmUTM, cmParabolicIp, cmUndefined, cmBiquadraticPn}) {
    c.SetCalibModel(m);
    for (const TRefToPix& q : kRefCases[0].ToPix) {
      int32_t x = 1, y = 1;
      if (!c.CalcPixelCoords(q.Lat, q.Long, x, y)) {
        EXPECT_TRUE(x == 0 && y == 0) << m;
      }
    }
  }
  ExpectConversions(c, kRefCases[0].ToPos, kRefCases[0].ToPix, 1e-6, "back to biquadratic");
}

TEST(GeoMapCalibEditing, ExtentsFollowTheCorners) {
  TGeoMapCalibration c;
  LoadCase(c, kRefCases[0]);
  bool valid;
  EXPECT_EQ(c.Data().Corners[gcoBottomRight].Lat, c.CalcLatitude(800, 600, valid));
  EXPECT_EQ(c.Data().Corners[gcoTopRight].Long, c.CalcLongitude(800, 0, valid));
  c.SetImageSize(0, 0);
  c.RecalcCalibration();
  EXPECT_EQ(c.Data().Resolution, 0);
}

}  // namespace
}  // namespace nuv
