// Calibration models of Nuv_geomap: editing the reference points, fitting
// the six models and converting between pixels and positions.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "Nuv_geobasics_series.h"
#include "Nuv_geomap_parts.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_matrix.h"

namespace nuv {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180;
constexpr double kRadToDeg = 180 / std::numbers::pi;

// The rounded pixel of a fitted coordinate; false for values that are not
// finite or beyond the 32-bit range.
bool ToPixel(double v, int32_t& out) {
  if (!(std::fabs(v) <= 2147483647.0)) return false;
  // Half to even, as Round32, without its long double round trip: lrint
  // rounds in the current mode, which is to nearest even unless the
  // application changed it, and the range is checked above.
  out = static_cast<int32_t>(std::lrint(v));
  return true;
}

bool ToPixels(double x, double y, int32_t& X, int32_t& Y) {
  int32_t px, py;
  if (!ToPixel(x, px) || !ToPixel(y, py)) {
    X = Y = 0;
    return false;
  }
  X = px;
  Y = py;
  return true;
}

double Checked(double v, bool& Valid) {
  Valid = std::isfinite(v);
  return Valid ? v : 0;
}

double Poly2(const std::array<double, 6>& c, double u, double v) {
  return c[0] + c[1] * u + c[2] * v + c[3] * u * u + c[4] * u * v + c[5] * v * v;
}

double Poly1(const std::array<double, 3>& c, double u, double v) { return c[0] + c[1] * u + c[2] * v; }

// The angle term of the conic model: arctan(dx/dy), ±π/2 on the apex's
// row by the side; NaN at the apex itself.
double ConicAngle(double dx, double dy) {
  if (dy != 0) return std::atan(dx / dy);
  if (dx > 0) return std::numbers::pi / 2;
  if (dx < 0) return -std::numbers::pi / 2;
  return std::numeric_limits<double>::quiet_NaN();
}

double MillerOrdinate(double LatDeg) { return std::log(std::tan(std::numbers::pi / 4 + 0.4 * LatDeg * kDegToRad)); }

// Fits the columns of one design to its right-hand sides.
template <int32_t P, class Row>
bool FitPolynomial(const TCalibData& d, Row row, std::array<double, P>& first,
                   std::array<double, P>& second, bool inverse) {
  const int32_t n = d.NumCalPoints;
  std::vector<double> a(static_cast<std::size_t>(n) * P), y1(n), y2(n);
  for (int32_t i = 0; i < n; ++i) {
    const TCalPoint& pt = d.CalPoints[i + 1];
    const std::array<double, P> r = inverse ? row(pt.Lat, pt.Long) : row(pt.X, pt.Y);
    for (int32_t j = 0; j < P; ++j) a[static_cast<std::size_t>(j) * n + i] = r[j];
    y1[i] = inverse ? pt.X : pt.Lat;
    y2[i] = inverse ? pt.Y : pt.Long;
  }
  const std::span<const double> rhs[2] = {y1, y2};
  const std::span<double> out[2] = {first, second};
  return geomap::SolveLeastSquares(a, n, P, rhs, out);
}

std::array<double, 6> QuadRow(double u, double v) { return {1, u, v, u * u, u * v, v * v}; }
std::array<double, 3> LinRow(double u, double v) { return {1, u, v}; }

}  // namespace

TGeoMapCalibration::TGeoMapCalibration(const TComponent* Owner)
    : owner_(Owner), gratMat_(std::make_unique<TMatrix>(nullptr)) {
  gratMat_->Resize(5, 1);
}

TGeoMapCalibration::~TGeoMapCalibration() = default;

void TGeoMapCalibration::Raise(std::string_view Text) const {
  if (owner_) RaiseComponentError<ENUVGeoMapError>(*owner_, Text);
  throw ENUVGeoMapError("TGeoMapCalibration: " + std::string(Text));
}

void TGeoMapCalibration::Recalculated() const {
  if (OnRecalculated) OnRecalculated();
}

void TGeoMapCalibration::SetCalibModel(TCalibModel Value) {
  if (!(Value <= cmUndefined)) return;
  model_ = Value;
  RecalcCalibration();
}

void TGeoMapCalibration::SetEllipsoid(TGeoEllipsoid Value) {
  if (Value < GeoEllipsoidCount) data_.Ellipsoid = Value;
}

void TGeoMapCalibration::SetImageSize(int32_t Width, int32_t Height) {
  width_ = std::max(Width, 0);
  height_ = std::max(Height, 0);
}

// ---------------------------------------------------------------------------
// Recalculation and fits

void TGeoMapCalibration::FitModel() {
  switch (model_) {
    case cmBiquadraticPn: CalcBiquadraticCalibration(); break;
    case cmConicConformal: CalcConicCalibration(); break;
    case cmMillerCylindrical: CalcMillerCylCalibration(); break;
    case cmEquiRect:
    case cmUTM: CalcEquiRectCalibration(); break;
    default: break;
  }
}

void TGeoMapCalibration::RecalcCalibration() {
  RecalcGratMat();
  FitModel();
  CalcExtentsAndResolution();
  Recalculated();
}

bool TGeoMapCalibration::RecalcGratMat() {
  const int32_t lines = data_.NumCalLines;
  gratMat_->Resize(5, std::max(lines, 1));
  gratMat_->Fill(0);
  lineFitted_.fill(false);
  int32_t meridians = 0, parallels = 0;
  TCurveFit fit(nullptr);
  for (int32_t l = 1; l <= lines; ++l) {
    const TCalLine& line = data_.CalLines[l];
    gratMat_->SetVal(1, l, line.Kind);
    gratMat_->SetVal(2, l, line.Value);
    if (line.NumPoints <= 2) continue;
    fit.Init();
    for (int32_t k = 1; k <= line.NumPoints; ++k) {
      const TPoint p = line.Points[k];
      if (line.Kind == gtlParallel)
        fit.EnterStatValue(p.X, p.Y);
      else
        fit.EnterStatValue(p.Y, p.X);
    }
    double g0, g1, g2, q;
    fit.CalcParabolFit(g0, g1, g2, q);
    if (!(std::isfinite(g0) && std::isfinite(g1) && std::isfinite(g2))) continue;
    gratMat_->SetVal(3, l, g0);
    gratMat_->SetVal(4, l, g1);
    gratMat_->SetVal(5, l, g2);
    lineFitted_[l - 1] = true;
    ++(line.Kind == gtlParallel ? parallels : meridians);
  }
  gratComplete_ = meridians >= 2 && parallels >= 2;
  if (!gratComplete_) {
    gratMat_->Resize(5, 1);
    gratMat_->Fill(0);
    lineFitted_.fill(false);
  }
  return gratComplete_;
}

bool TGeoMapCalibration::CalcBiquadraticCalibration() {
  for (auto& c : biquad_) c.fill(0);
  if (data_.NumCalPoints < 1) return false;
  const bool forward = FitPolynomial<6>(data_, QuadRow, biquad_[0], biquad_[1], false);
  const bool inverse = FitPolynomial<6>(data_, QuadRow, biquad_[2], biquad_[3], true);
  return forward && inverse;
}

bool TGeoMapCalibration::CalcEquiRectCalibration() {
  ++fitCount_;
  for (auto& c : linear_) c.fill(0);
  linearFitted_ = false;
  if (data_.NumCalPoints < 1) return false;
  const bool forward = FitPolynomial<3>(data_, LinRow, linear_[0], linear_[1], false);
  const bool inverse = FitPolynomial<3>(data_, LinRow, linear_[2], linear_[3], true);
  linearFitted_ = forward && inverse;
  return linearFitted_;
}

bool TGeoMapCalibration::CalcMillerCylCalibration() {
  const int32_t n = data_.NumCalPoints;
  if (n < 3) return false;
  TCurveFit fx(nullptr), fy(nullptr);
  for (int32_t i = 1; i <= n; ++i) {
    const TCalPoint& p = data_.CalPoints[i];
    fx.EnterStatValue(p.Long * kDegToRad, p.X);
    fy.EnterStatValue(MillerOrdinate(p.Lat), p.Y);
  }
  TMillerParams m;
  double q;
  fx.CalcLinFit(m.K1, m.D1, q);
  fy.CalcLinFit(m.K2, m.D2, q);
  miller_ = m;
  return true;
}

namespace {

// One trial apex of the conic search: the regressions of latitude on the
// distance and of longitude on the angle, and their squared rms errors
// over all points. False when fewer than two points lie off the apex's
// row, so that the angle has no regression.
bool ConicTrial(const TCalibData& d, TCurveFit& latFit, TCurveFit& longFit, TConicParams& p,
                double& error) {
  const int32_t n = d.NumCalPoints;
  latFit.Init();
  longFit.Init();
  for (int32_t i = 1; i <= n; ++i) {
    const TCalPoint& pt = d.CalPoints[i];
    const double dx = pt.X - p.X0, dy = pt.Y - p.Y0;
    latFit.EnterStatValue(std::sqrt(dx * dx + dy * dy), pt.Lat);
    if (dy != 0) longFit.EnterStatValue(std::atan(dx / dy), pt.Long);
  }
  if (longFit.NumData() < 2) return false;
  double q;
  latFit.CalcLinFit(p.KLat, p.DLat, q);
  longFit.CalcLinFit(p.KLong, p.DLong, q);
  double ssLat = 0, ssLong = 0;
  for (int32_t i = 1; i <= latFit.NumData(); ++i) {
    const double r = latFit.GetDataY(i) - (p.KLat * latFit.GetDataX(i) + p.DLat);
    ssLat += r * r;
  }
  for (int32_t i = 1; i <= longFit.NumData(); ++i) {
    const double r = longFit.GetDataY(i) - (p.KLong * longFit.GetDataX(i) + p.DLong);
    ssLong += r * r;
  }
  const double rmsLat = std::sqrt(ssLat / n), rmsLong = std::sqrt(ssLong / n);
  error = rmsLat * rmsLat + rmsLong * rmsLong;
  return true;
}

}  // namespace

bool TGeoMapCalibration::CalcConicCalibration() {
  const int32_t n = data_.NumCalPoints;
  if (n < 3) return false;
  int64_t minX = width_, minY = height_, maxX = 0, maxY = 0;
  for (int32_t i = 1; i <= n; ++i) {
    const TCalPoint& p = data_.CalPoints[i];
    minX = std::min<int64_t>(minX, p.X);
    maxX = std::max<int64_t>(maxX, p.X);
    minY = std::min<int64_t>(minY, p.Y);
    maxY = std::max<int64_t>(maxY, p.Y);
  }
  int64_t cx = (minX + maxX) / 2, cy = (minY + maxY) / 2;
  TCurveFit latFit(nullptr), longFit(nullptr);
  double best = 1e10;
  TConicParams bestParams;
  bool found = false;
  for (int64_t s = 1000000; s >= 1; s /= 2) {
    const int64_t x = cx, y = cy;
    for (int64_t i = -2; i <= 2; ++i)
      for (int64_t j = -2; j <= 2; ++j) {
        TConicParams p;
        p.X0 = static_cast<double>(x + i * s);
        p.Y0 = static_cast<double>(y + j * s);
        double e;
        if (ConicTrial(data_, latFit, longFit, p, e) && e < best) {
          best = e;
          bestParams = p;
          found = true;
        }
      }
    if (found) {
      cx = static_cast<int64_t>(bestParams.X0);
      cy = static_cast<int64_t>(bestParams.Y0);
    }
  }
  if (!found) return false;
  double below = 0;
  for (int32_t i = 1; i <= n; ++i) below += data_.CalPoints[i].Y - bestParams.Y0;
  bestParams.Side = below >= 0 ? 1 : -1;
  conic_ = bestParams;
  return true;
}

void TGeoMapCalibration::CalcExtentsAndResolution() {
  const int32_t w = width_, h = height_;
  const TPoint corners[4] = {{0, 0}, {0, h}, {w, h}, {w, 0}};
  for (int c = 0; c < 4; ++c) {
    bool v1, v2;
    data_.Corners[c].Lat = CalcLatitude(corners[c], v1);
    data_.Corners[c].Long = CalcLongitude(corners[c], v2);
  }
  data_.Resolution = 0;
  if (w < 1) return;
  bool ok[4];
  const double lat1 = CalcLatitude(0, h / 2, ok[0]), long1 = CalcLongitude(0, h / 2, ok[1]);
  const double lat2 = CalcLatitude(w, h / 2, ok[2]), long2 = CalcLongitude(w, h / 2, ok[3]);
  if (!(ok[0] && ok[1] && ok[2] && ok[3])) return;
  double dist = SphereGreatCircleDist(6378000, lat1, long1, lat2, long2);
  const double dlong = long2 - long1;
  // Beyond half a turn the great circle takes the short way round.
  if (dlong > 360)
    dist += 40074155.88919140255;
  else if (dlong > 180)
    dist += 20037077.944595701276;
  const double res = dist / w;
  data_.Resolution = std::isfinite(res) ? res : 0;
}

// ---------------------------------------------------------------------------
// Conversions

double TGeoMapCalibration::LinearCoordinate(int32_t Which, int32_t X, int32_t Y) const {
  return Poly1(linear_[Which], X, Y);
}

double TGeoMapCalibration::ParabolicValue(TGratLineKind Kind, int32_t X, int32_t Y,
                                          bool& Valid) const {
  Valid = false;
  if (!gratComplete_) return 0;
  // Meridians give x at the pixel's row, parallels y at its column.
  const double along = Kind == gtlMeridian ? Y : X, across = Kind == gtlMeridian ? X : Y;
  double dA = 1e20, dB = 1e20, posA = 0, posB = 0, valA = 0, valB = 0;
  int32_t a = 0, b = 0;
  const TMatrix& m = *gratMat_;
  for (int32_t r = 1; r <= data_.NumCalLines && r <= m.NrOfRows(); ++r) {
    if (!lineFitted_[r - 1] || m.GetVal(1, r) != static_cast<double>(Kind)) continue;
    const double pos = m.GetVal(3, r) + m.GetVal(4, r) * along + m.GetVal(5, r) * along * along;
    const double dist = std::fabs(across - pos);
    if (dist < dA) {
      dB = dA, posB = posA, valB = valA, b = a;
      dA = dist, posA = pos, valA = m.GetVal(2, r), a = r;
    } else if (dist < dB) {
      dB = dist, posB = pos, valB = m.GetVal(2, r), b = r;
    }
  }
  // Where the two curves cross, their values cannot be interpolated.
  if (a == 0 || b == 0 || posA == posB) return 0;
  return Checked(valB + (valA - valB) * (across - posB) / (posA - posB), Valid);
}

bool TGeoMapCalibration::ParabolicPixel(double Lat, double Long, int32_t& X, int32_t& Y) const {
  X = Y = 0;
  if (!gratComplete_) return false;
  // The curve of a value between the two lines of nearest value, by
  // coefficient-wise interpolation.
  auto curve = [&](TGratLineKind kind, double value, std::array<double, 3>& g) {
    const TMatrix& m = *gratMat_;
    double dA = 1e20, dB = 1e20;
    int32_t a = 0, b = 0;
    for (int32_t r = 1; r <= data_.NumCalLines && r <= m.NrOfRows(); ++r) {
      if (!lineFitted_[r - 1] || m.GetVal(1, r) != static_cast<double>(kind)) continue;
      const double dist = std::fabs(value - m.GetVal(2, r));
      if (dist < dA) {
        dB = dA, b = a;
        dA = dist, a = r;
      } else if (dist < dB) {
        dB = dist, b = r;
      }
    }
    if (a == 0 || b == 0 || m.GetVal(2, a) == m.GetVal(2, b)) return false;
    const double f = (value - m.GetVal(2, a)) / (m.GetVal(2, b) - m.GetVal(2, a));
    for (int k = 0; k < 3; ++k) g[k] = m.GetVal(3 + k, a) + f * (m.GetVal(3 + k, b) - m.GetVal(3 + k, a));
    return true;
  };
  std::array<double, 3> mer, par;
  if (!curve(gtlMeridian, Long, mer) || !curve(gtlParallel, Lat, par)) return false;
  double x = 500, y = 0;
  for (int it = 0; it < 15; ++it) {
    y = par[0] + par[1] * x + par[2] * x * x;
    x = mer[0] + mer[1] * y + mer[2] * y * y;
    if (!(std::fabs(x) <= 50000 && std::fabs(y) <= 50000)) return false;
  }
  return ToPixels(x, y, X, Y);
}

bool TGeoMapCalibration::UTMPixel(double Lat, double Long, int32_t& X, int32_t& Y) const {
  double e, n;
  if (data_.UTMZone >= 1 && data_.UTMZone <= 60) {
    // The map's own grid, also for positions beyond its zone or across the
    // equator.
    if (!(std::fabs(Lat) <= 90 && std::isfinite(Long))) return ToPixels(NAN, NAN, X, Y);
    double tx, ty;
    LatLongToTM(Lat * kDegToRad, Long * kDegToRad, UTMCentralMeridian(data_.UTMZone),
                data_.Ellipsoid, tx, ty);
    e = geobasics_detail::kUTMScale * tx + geobasics_detail::kUTMFalseEasting;
    n = geobasics_detail::kUTMScale * ty + (data_.UTMSouth ? geobasics_detail::kUTMFalseNorthing : 0);
  } else {
    int32_t zone;
    LatLongToUTM(Lat, Long, data_.Ellipsoid, zone, e, n);
  }
  return CalcPixelCoordsUTM(n, e, X, Y);
}

bool TGeoMapCalibration::UTMPosition(int32_t X, int32_t Y, double& Lat, double& Long) const {
  if (!linearFitted_ || !(data_.UTMZone >= 1 && data_.UTMZone <= 60)) return false;
  TUTMCache& c = utmCache_;
  if (!(c.Fit == fitCount_ && c.X == X && c.Y == Y && c.Zone == data_.UTMZone &&
        c.South == data_.UTMSouth && c.Ellipsoid == data_.Ellipsoid)) {
    double lat, lon;
    UTMToLatLong(LinearCoordinate(1, X, Y), LinearCoordinate(0, X, Y), data_.UTMZone,
                 data_.UTMSouth, data_.Ellipsoid, lat, lon);
    c = TUTMCache{fitCount_, X, Y, data_.UTMZone, data_.UTMSouth, data_.Ellipsoid, lat, lon};
  }
  Lat = c.Lat;
  Long = c.Long;
  return true;
}

double TGeoMapCalibration::CalcLatitude(int32_t X, int32_t Y, bool& Valid) const {
  Valid = false;
  switch (model_) {
    case cmParabolicIp: return ParabolicValue(gtlParallel, X, Y, Valid);
    case cmBiquadraticPn: return Checked(Poly2(biquad_[0], X, Y), Valid);
    case cmEquiRect: return Checked(LinearCoordinate(0, X, Y), Valid);
    case cmConicConformal: {
      const double dx = X - conic_.X0, dy = Y - conic_.Y0;
      return Checked(conic_.KLat * std::sqrt(dx * dx + dy * dy) + conic_.DLat, Valid);
    }
    case cmMillerCylindrical:
      if (miller_.K2 == 0) return 0;
      return Checked((std::atan(std::exp((Y - miller_.D2) / miller_.K2)) - std::numbers::pi / 4) *
                         kRadToDeg / 0.4,
                     Valid);
    case cmUTM: {
      double lat, lon;
      return UTMPosition(X, Y, lat, lon) ? Checked(lat, Valid) : 0;
    }
    default: return 0;
  }
}

double TGeoMapCalibration::CalcLongitude(int32_t X, int32_t Y, bool& Valid) const {
  Valid = false;
  switch (model_) {
    case cmParabolicIp: return ParabolicValue(gtlMeridian, X, Y, Valid);
    case cmBiquadraticPn: return Checked(Poly2(biquad_[1], X, Y), Valid);
    case cmEquiRect: return Checked(LinearCoordinate(1, X, Y), Valid);
    case cmConicConformal:
      return Checked(conic_.KLong * ConicAngle(X - conic_.X0, Y - conic_.Y0) + conic_.DLong, Valid);
    case cmMillerCylindrical:
      if (miller_.K1 == 0) return 0;
      return Checked((X - miller_.D1) / miller_.K1 * kRadToDeg, Valid);
    case cmUTM: {
      double lat, lon;
      return UTMPosition(X, Y, lat, lon) ? Checked(lon, Valid) : 0;
    }
    default: return 0;
  }
}

bool TGeoMapCalibration::CalcPixelCoords(double Lat, double Long, int32_t& X, int32_t& Y) const {
  switch (model_) {
    case cmParabolicIp: return ParabolicPixel(Lat, Long, X, Y);
    case cmBiquadraticPn:
      return ToPixels(Poly2(biquad_[2], Lat, Long), Poly2(biquad_[3], Lat, Long), X, Y);
    case cmEquiRect: return ToPixels(Poly1(linear_[2], Lat, Long), Poly1(linear_[3], Lat, Long), X, Y);
    case cmConicConformal: {
      if (conic_.KLat == 0 || conic_.KLong == 0) return ToPixels(NAN, NAN, X, Y);
      const double t = std::tan((Long - conic_.DLong) / conic_.KLong);
      const double rho = (Lat - conic_.DLat) / conic_.KLat;
      const double dy = rho / std::sqrt(1 + t * t);
      int32_t py;
      if (!ToPixel(conic_.Y0 + conic_.Side * dy, py)) return ToPixels(NAN, NAN, X, Y);
      return ToPixels(t * (py - conic_.Y0) + conic_.X0, py, X, Y);
    }
    case cmMillerCylindrical:
      return ToPixels(miller_.K1 * Long * kDegToRad + miller_.D1,
                      miller_.K2 * MillerOrdinate(Lat) + miller_.D2, X, Y);
    case cmUTM: return UTMPixel(Lat, Long, X, Y);
    default: return ToPixels(NAN, NAN, X, Y);
  }
}

bool TGeoMapCalibration::CalcPixelCoordsUTM(double Northing, double Easting, int32_t& X,
                                            int32_t& Y) const {
  if (!UTMFitted()) return ToPixels(NAN, NAN, X, Y);
  return ToPixels(Poly1(linear_[2], Northing, Easting), Poly1(linear_[3], Northing, Easting), X, Y);
}

int32_t TGeoMapCalibration::CalcUTMyFromNorthingX(double Northing, int32_t X) const {
  const auto& c = linear_[2];
  if (!UTMFitted() || c[2] == 0) return 0;
  const double e = (X - c[0] - c[1] * Northing) / c[2];
  int32_t y;
  return ToPixel(Poly1(linear_[3], Northing, e), y) ? y : 0;
}

int32_t TGeoMapCalibration::CalcUTMxFromEastingY(double Easting, int32_t Y) const {
  const auto& f = linear_[3];
  if (!UTMFitted() || f[1] == 0) return 0;
  const double n = (Y - f[0] - f[2] * Easting) / f[1];
  int32_t x;
  return ToPixel(Poly1(linear_[2], n, Easting), x) ? x : 0;
}

void TGeoMapCalibration::CalibQuality(double& QualX, double& QualY) const {
  QualX = QualY = 0;
  if (model_ == cmParabolicIp || model_ == cmUndefined) return;
  TCurveFit fx(nullptr), fy(nullptr);
  for (int32_t i = 1; i <= data_.NumCalPoints; ++i) {
    const TCalPoint& p = data_.CalPoints[i];
    int32_t x, y;
    // UTM points are stored as northing and easting, so they take the
    // grid's inverse directly.
    const bool ok = model_ == cmUTM ? CalcPixelCoordsUTM(p.Lat, p.Long, x, y)
                                    : CalcPixelCoords(p.Lat, p.Long, x, y);
    if (!ok) continue;
    fx.EnterStatValue(x, p.X);
    fy.EnterStatValue(y, p.Y);
  }
  QualX = fx.GetStdDevDiff();
  QualY = fy.GetStdDevDiff();
}

// ---------------------------------------------------------------------------
// Editing

void TGeoMapCalibration::StorePoint(double A, double B, int32_t X, int32_t Y) {
  TCalPoint& p = data_.CalPoints[++data_.NumCalPoints];
  p.Lat = A;
  p.Long = B;
  p.X = X;
  p.Y = Y;
}

bool TGeoMapCalibration::AddCalibPoint(TGratLineKind Kind, double Value, int32_t X, int32_t Y) {
  if (model_ != cmParabolicIp)
    Raise("current calibration model does not support this version of AddCalibPoint");
  if (!(Kind <= gtlParallel) || !std::isfinite(Value)) return false;
  int32_t l = 1;
  while (l <= data_.NumCalLines &&
         !(data_.CalLines[l].Kind == Kind && data_.CalLines[l].Value == Value))
    ++l;
  if (l > data_.NumCalLines) {
    if (data_.NumCalLines >= MaxCalLines) return false;
    TCalLine& line = data_.CalLines[++data_.NumCalLines];
    line = TCalLine{};
    line.Kind = Kind;
    line.Value = Value;
  }
  TCalLine& line = data_.CalLines[l];
  if (line.NumPoints >= MaxPointsPerCalLine) return false;
  line.Points[++line.NumPoints] = TPoint{X, Y};
  RecalcCalibration();
  return true;
}

bool TGeoMapCalibration::AddCalibPoint(double Lat, double Long, int32_t X, int32_t Y) {
  if (!(model_ >= cmBiquadraticPn && model_ <= cmEquiRect))
    Raise("current calibration model does not support this version of AddCalibPoint");
  if (data_.NumCalPoints >= MaxCalPoints || !std::isfinite(Lat) || !std::isfinite(Long)) return false;
  StorePoint(Lat, Long, X, Y);
  RecalcCalibration();
  return true;
}

bool TGeoMapCalibration::AddCalibPoint(double Northing, double Easting, int32_t Zone,
                                       THemisphere Hemisphere, int32_t X, int32_t Y) {
  if (model_ != cmUTM)
    Raise("current calibration model does not support this version of AddCalibPoint");
  if (Zone != data_.UTMZone || Hemisphere != UTMHemisphere()) Raise("UTM zone parameter changed");
  if (data_.NumCalPoints >= MaxCalPoints || !std::isfinite(Northing) || !std::isfinite(Easting))
    return false;
  StorePoint(Northing, Easting, X, Y);
  RecalcCalibration();
  return true;
}

void TGeoMapCalibration::RemovePointAt(int32_t Index) {
  const TCalPoint& p = data_.CalPoints[Index];
  deleted_ = TDeleted{true, false, model_ == cmUTM, gtlMeridian, p.Lat, p.Long, p.X, p.Y};
  data_.CalPoints[Index] = data_.CalPoints[data_.NumCalPoints];
  --data_.NumCalPoints;
}

bool TGeoMapCalibration::RemoveLinePoint(int32_t Line, int32_t Point) {
  TCalLine& line = data_.CalLines[Line];
  const TPoint p = line.Points[Point];
  deleted_ = TDeleted{true, true, false, line.Kind, line.Value, 0, p.X, p.Y};
  line.Points[Point] = line.Points[line.NumPoints];
  if (--line.NumPoints == 0) {
    line = data_.CalLines[data_.NumCalLines];
    --data_.NumCalLines;
  }
  return true;
}

namespace {

double SquaredDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  // In doubles: the squares of 32-bit differences overflow 64 bits.
  const double dx = static_cast<double>(x1) - x2, dy = static_cast<double>(y1) - y2;
  return dx * dx + dy * dy;
}

}  // namespace

bool TGeoMapCalibration::RemoveCalibPoint(TGratLineKind Kind, double Value, int32_t X, int32_t Y) {
  if (model_ != cmParabolicIp)
    Raise("current calibration model does not support this version of RemoveCalibPoint");
  bool removed = false;
  for (int32_t l = 1; l <= data_.NumCalLines && !removed; ++l) {
    const TCalLine& line = data_.CalLines[l];
    if (line.Kind != Kind || line.Value != Value) continue;
    for (int32_t k = 1; k <= line.NumPoints; ++k)
      if (line.Points[k] == TPoint{X, Y}) {
        removed = RemoveLinePoint(l, k);
        break;
      }
  }
  RecalcCalibration();
  return removed;
}

bool TGeoMapCalibration::RemoveCalibPoint(int32_t X, int32_t Y) {
  bool removed = false;
  double best = std::numeric_limits<double>::infinity();
  if (model_ == cmParabolicIp) {
    int32_t bl = 0, bk = 0;
    for (int32_t l = 1; l <= data_.NumCalLines; ++l)
      for (int32_t k = 1; k <= data_.CalLines[l].NumPoints; ++k) {
        const TPoint p = data_.CalLines[l].Points[k];
        const double d = SquaredDistance(p.X, p.Y, X, Y);
        if (d < best) best = d, bl = l, bk = k;
      }
    if (bl > 0) removed = RemoveLinePoint(bl, bk);
  } else if (model_ <= cmUTM) {
    int32_t bi = 0;
    for (int32_t i = 1; i <= data_.NumCalPoints; ++i) {
      const double d = SquaredDistance(data_.CalPoints[i].X, data_.CalPoints[i].Y, X, Y);
      if (d < best) best = d, bi = i;
    }
    if (bi > 0) {
      RemovePointAt(bi);
      removed = true;
    }
  }
  RecalcCalibration();
  return removed;
}

bool TGeoMapCalibration::CanRestoreLastDeletedCalPoint() const {
  if (!deleted_.Held) return false;
  if (deleted_.Graticule) return model_ == cmParabolicIp;
  if (deleted_.UTM) return model_ == cmUTM;
  return model_ >= cmBiquadraticPn && model_ <= cmEquiRect;
}

bool TGeoMapCalibration::RestoreLastDeletedCalPoint() {
  if (!CanRestoreLastDeletedCalPoint()) return false;
  const TDeleted d = deleted_;
  bool stored;
  if (d.Graticule)
    stored = AddCalibPoint(d.Kind, d.A, d.X, d.Y);
  else if (d.UTM)
    stored = AddCalibPoint(d.A, d.B, data_.UTMZone, UTMHemisphere(), d.X, d.Y);
  else
    stored = AddCalibPoint(d.A, d.B, d.X, d.Y);
  if (stored) deleted_.Held = false;
  return stored;
}

void TGeoMapCalibration::ClearCalibData() {
  TCalibData cleared;
  cleared.MapName = std::move(data_.MapName);
  cleared.Caption = std::move(data_.Caption);
  data_ = std::move(cleared);
  gratMat_->Resize(5, 1);
  gratMat_->Fill(0);
  lineFitted_.fill(false);
  gratComplete_ = false;
  for (auto& c : biquad_) c.fill(0);
  for (auto& c : linear_) c.fill(0);
  linearFitted_ = false;
  ++fitCount_;
  conic_ = TConicParams{};
  miller_ = TMillerParams{};
  deleted_ = TDeleted{};
  Recalculated();
}

}  // namespace nuv
