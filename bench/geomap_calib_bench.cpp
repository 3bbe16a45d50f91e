// Map calibration: 10^6 conversions per iteration under each model, pixel
// to position and position to pixel; UTM beside the same linear step around
// GeographicLib's UTMUPS; the least-squares fit of 200 points beside
// Eigen's JacobiSVD solve of the same two systems.
//
// Counters: max_dev_px is the largest distance in pixels between a pixel
// and the pixel of its computed position (round trip) for the models
// without a peer; max_dev_deg and max_dev_px beside a peer are the largest
// differences to the peer's positions and pixels.
#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <GeographicLib/UTMUPS.hpp>
#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_geomap.h"

namespace {

using namespace nuv;

constexpr int kEvaluations = 1000000;
constexpr int32_t kWidth = 2000, kHeight = 1500;
constexpr int kZone = 33;

struct TPixels {
  std::vector<int32_t> X, Y;
};

const TPixels& Pixels() {
  static const TPixels p = [] {
    TPixels t;
    std::mt19937 rng(30);
    std::uniform_int_distribution<int32_t> x(0, kWidth), y(0, kHeight);
    for (int i = 0; i < kEvaluations; ++i) t.X.push_back(x(rng)), t.Y.push_back(y(rng));
    return t;
  }();
  return p;
}

// The grid of the map: 12.5 m per pixel with a slight rotation.
double Northing(double x, double y) { return 5300000 - 12.5 * y + 0.04 * x; }
double Easting(double x, double y) { return 400000 + 12.5 * x + 0.03 * y; }

// Positions of a smooth non-linear map, for the geographic models.
void Position(double x, double y, double& lat, double& lon) {
  lat = 48.0 - 0.002 * y + 1e-8 * x * y;
  lon = 9.5 + 0.003 * x - 5e-9 * y * y;
}

// A calibration of 200 points (60 for the conic search) under a model.
std::unique_ptr<TGeoMapCalibration> Calibrated(TCalibModel model, int32_t points) {
  auto c = std::make_unique<TGeoMapCalibration>();
  c->SetImageSize(kWidth, kHeight);
  c->SetCalibModel(model);
  c->SetUTMZone(kZone);
  std::mt19937 rng(model);
  std::uniform_int_distribution<int32_t> x(0, kWidth), y(0, kHeight);
  for (int32_t i = 0; i < points; ++i) {
    const int32_t px = x(rng), py = y(rng);
    if (model == cmUTM) {
      c->AddCalibPoint(Northing(px, py), Easting(px, py), kZone, hemiNorth, px, py);
    } else {
      double lat, lon;
      Position(px, py, lat, lon);
      c->AddCalibPoint(lat, lon, px, py);
    }
  }
  return c;
}

struct TPositions {
  std::vector<double> Lat, Long;
};

TPositions PositionsOf(const TGeoMapCalibration& c) {
  TPositions p;
  const TPixels& px = Pixels();
  bool valid;
  for (int i = 0; i < kEvaluations; ++i) {
    p.Lat.push_back(c.CalcLatitude(px.X[i], px.Y[i], valid));
    p.Long.push_back(c.CalcLongitude(px.X[i], px.Y[i], valid));
  }
  return p;
}

double RoundTripDeviation(const TGeoMapCalibration& c, const TPositions& pos) {
  const TPixels& px = Pixels();
  double dev = 0;
  for (int i = 0; i < kEvaluations; i += 97) {
    int32_t x, y;
    if (!c.CalcPixelCoords(pos.Lat[i], pos.Long[i], x, y)) return INFINITY;
    dev = std::max(dev, std::hypot(x - px.X[i], y - px.Y[i]));
  }
  return dev;
}

void ToPosition(benchmark::State& state, TCalibModel model) {
  const auto c = Calibrated(model, model == cmConicConformal ? 60 : 200);
  const TPixels& px = Pixels();
  for (auto _ : state) {
    bool valid;
    double sum = 0;
    for (int i = 0; i < kEvaluations; ++i)
      sum += c->CalcLatitude(px.X[i], px.Y[i], valid) + c->CalcLongitude(px.X[i], px.Y[i], valid);
    benchmark::DoNotOptimize(sum);
  }
  state.counters["max_dev_px"] = RoundTripDeviation(*c, PositionsOf(*c));
}

void ToPixel(benchmark::State& state, TCalibModel model) {
  const auto c = Calibrated(model, model == cmConicConformal ? 60 : 200);
  const TPositions pos = PositionsOf(*c);
  for (auto _ : state) {
    int64_t sum = 0;
    for (int i = 0; i < kEvaluations; ++i) {
      int32_t x, y;
      c->CalcPixelCoords(pos.Lat[i], pos.Long[i], x, y);
      sum += x + y;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["max_dev_px"] = RoundTripDeviation(*c, pos);
}

// ---------------------------------------------------------------------------
// UTM beside GeographicLib: the fitted linear step, then the projection.

struct TLinear {
  // Pixel to northing and easting, and northing and easting to pixel.
  double N[3], E[3], X[3], Y[3];
};

// The generating grid and its inverse: the calibration's fit of the exact
// grid points, to rounding.
TLinear GridLinear() {
  TLinear l{{5300000, 0.04, -12.5}, {400000, 12.5, 0.03}, {}, {}};
  const double det = l.N[1] * l.E[2] - l.N[2] * l.E[1];
  l.X[1] = l.E[2] / det, l.X[2] = -l.N[2] / det;
  l.Y[1] = -l.E[1] / det, l.Y[2] = l.N[1] / det;
  l.X[0] = -(l.X[1] * l.N[0] + l.X[2] * l.E[0]);
  l.Y[0] = -(l.Y[1] * l.N[0] + l.Y[2] * l.E[0]);
  return l;
}

// The largest differences to the peers, found by Check before timing.
double gUTMDevDeg = 0, gUTMDevPx = 0, gFitDevDeg = 0;

const TGeoMapCalibration& UTMCalibration() {
  static const auto c = Calibrated(cmUTM, 200);
  return *c;
}

void UTMToPositionNuv(benchmark::State& state) {
  const TGeoMapCalibration& c = UTMCalibration();
  const TPixels& px = Pixels();
  for (auto _ : state) {
    bool valid;
    double sum = 0;
    for (int i = 0; i < kEvaluations; ++i)
      sum += c.CalcLatitude(px.X[i], px.Y[i], valid) + c.CalcLongitude(px.X[i], px.Y[i], valid);
    benchmark::DoNotOptimize(sum);
  }
  bench::SetTarget(state, 1.5);
  state.counters["max_dev_deg"] = gUTMDevDeg;
}

void UTMToPositionGeographicLib(benchmark::State& state) {
  const TLinear l = GridLinear();
  const TPixels& px = Pixels();
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < kEvaluations; ++i) {
      const double x = px.X[i], y = px.Y[i];
      double lat, lon;
      GeographicLib::UTMUPS::Reverse(kZone, true, l.E[0] + l.E[1] * x + l.E[2] * y,
                                     l.N[0] + l.N[1] * x + l.N[2] * y, lat, lon);
      sum += lat + lon;
    }
    benchmark::DoNotOptimize(sum);
  }
}

void UTMToPixelNuv(benchmark::State& state) {
  const TGeoMapCalibration& c = UTMCalibration();
  static const TPositions pos = PositionsOf(c);
  for (auto _ : state) {
    int64_t sum = 0;
    for (int i = 0; i < kEvaluations; ++i) {
      int32_t x, y;
      c.CalcPixelCoords(pos.Lat[i], pos.Long[i], x, y);
      sum += x + y;
    }
    benchmark::DoNotOptimize(sum);
  }
  bench::SetTarget(state, 1.5);
  state.counters["max_dev_px"] = gUTMDevPx;
}

void UTMToPixelGeographicLib(benchmark::State& state) {
  const TLinear l = GridLinear();
  static const TPositions pos = PositionsOf(UTMCalibration());
  for (auto _ : state) {
    int64_t sum = 0;
    for (int i = 0; i < kEvaluations; ++i) {
      int zone;
      bool north;
      double e, n;
      GeographicLib::UTMUPS::Forward(pos.Lat[i], pos.Long[i], zone, north, e, n, kZone);
      sum += std::lrint(l.X[0] + l.X[1] * n + l.X[2] * e) + std::lrint(l.Y[0] + l.Y[1] * n + l.Y[2] * e);
    }
    benchmark::DoNotOptimize(sum);
  }
}

// ---------------------------------------------------------------------------
// The fit of 200 points: two designs (pixel and position), two right-hand
// sides each.

TGeoMapCalibration& FitPoints() {
  static const auto c = Calibrated(cmBiquadraticPn, 200);
  return *c;
}

void FitNuv(benchmark::State& state) {
  TGeoMapCalibration& c = FitPoints();
  for (auto _ : state) benchmark::DoNotOptimize(c.CalcBiquadraticCalibration());
  bench::SetTarget(state, 2.0);
  state.counters["max_dev_deg"] = gFitDevDeg;
}

Eigen::MatrixXd Design(const TCalibData& d, bool inverse) {
  Eigen::MatrixXd a(d.NumCalPoints, 6);
  for (int32_t i = 1; i <= d.NumCalPoints; ++i) {
    const TCalPoint& p = d.CalPoints[i];
    const double u = inverse ? p.Lat : p.X, v = inverse ? p.Long : p.Y;
    a.row(i - 1) << 1, u, v, u * u, u * v, v * v;
  }
  return a;
}

Eigen::MatrixXd Targets(const TCalibData& d, bool inverse) {
  Eigen::MatrixXd y(d.NumCalPoints, 2);
  for (int32_t i = 1; i <= d.NumCalPoints; ++i) {
    const TCalPoint& p = d.CalPoints[i];
    y.row(i - 1) << (inverse ? p.X : p.Lat), (inverse ? p.Y : p.Long);
  }
  return y;
}

void FitEigen(benchmark::State& state) {
  const TCalibData& d = FitPoints().Data();
  for (auto _ : state) {
    for (bool inverse : {false, true}) {
      const Eigen::MatrixXd a = Design(d, inverse), y = Targets(d, inverse);
      Eigen::JacobiSVD<Eigen::MatrixXd> svd(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
      svd.setThreshold(1e-14);
      benchmark::DoNotOptimize(Eigen::MatrixXd(svd.solve(y)).data());
    }
  }
}

// ---------------------------------------------------------------------------
// Checks before timing: the pairs agree.

void Check() {
  const TGeoMapCalibration& c = UTMCalibration();
  const TLinear l = GridLinear();
  const TPixels& px = Pixels();
  double devDeg = 0, devPx = 0;
  bool valid;
  for (int i = 0; i < kEvaluations; i += 101) {
    const double x = px.X[i], y = px.Y[i];
    double lat, lon;
    GeographicLib::UTMUPS::Reverse(kZone, true, l.E[0] + l.E[1] * x + l.E[2] * y,
                                   l.N[0] + l.N[1] * x + l.N[2] * y, lat, lon);
    const double la = c.CalcLatitude(px.X[i], px.Y[i], valid), lo = c.CalcLongitude(px.X[i], px.Y[i], valid);
    devDeg = std::max({devDeg, std::fabs(la - lat), std::fabs(lo - lon)});
    int zone;
    bool north;
    double e, n;
    GeographicLib::UTMUPS::Forward(la, lo, zone, north, e, n, kZone);
    int32_t cx, cy;
    c.CalcPixelCoords(la, lo, cx, cy);
    devPx = std::max({devPx, std::fabs(cx - (l.X[0] + l.X[1] * n + l.X[2] * e)),
                      std::fabs(cy - (l.Y[0] + l.Y[1] * n + l.Y[2] * e))});
  }
  if (!(devDeg < 1e-7)) bench::Fail("UTM positions", std::to_string(devDeg));
  if (!(devPx <= 0.5 + 1e-6)) bench::Fail("UTM pixels", std::to_string(devPx));

  const TCalibData& d = FitPoints().Data();
  Eigen::JacobiSVD<Eigen::MatrixXd> svd(Design(d, false), Eigen::ComputeThinU | Eigen::ComputeThinV);
  svd.setThreshold(1e-14);
  const Eigen::MatrixXd coef = svd.solve(Targets(d, false));
  double devFit = 0;
  for (int i = 0; i < 1000; ++i) {
    const double x = px.X[i], y = px.Y[i];
    Eigen::RowVectorXd r(6);
    r << 1, x, y, x * x, x * y, y * y;
    devFit = std::max(devFit, std::fabs((r * coef)(0, 0) - FitPoints().CalcLatitude(px.X[i], px.Y[i], valid)));
  }
  if (!(devFit < 1e-7)) bench::Fail("fit", std::to_string(devFit));
  gUTMDevDeg = devDeg, gUTMDevPx = devPx, gFitDevDeg = devFit;
}

void Register() {
  const struct {
    const char* name;
    TCalibModel model;
  } models[] = {{"biquadratic", cmBiquadraticPn},
                {"equirectangular", cmEquiRect},
                {"conic", cmConicConformal},
                {"Miller", cmMillerCylindrical}};
  for (const auto& m : models) {
    benchmark::RegisterBenchmark((std::string(m.name) + " pixel to position 10^6/nuv").c_str(),
                                 ToPosition, m.model)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string(m.name) + " position to pixel 10^6/nuv").c_str(),
                                 ToPixel, m.model)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("UTM pixel to position 10^6/nuv", UTMToPositionNuv)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("UTM pixel to position 10^6/GeographicLib", UTMToPositionGeographicLib)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("UTM position to pixel 10^6/nuv", UTMToPixelNuv)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("UTM position to pixel 10^6/GeographicLib", UTMToPixelGeographicLib)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("biquadratic fit of 200 points/nuv", FitNuv)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("biquadratic fit of 200 points/Eigen JacobiSVD", FitEigen)
      ->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  return bench::Main(argc, argv, Check);
}
