// Geodetic basics beside GeographicLib (UTM forward, UTM/TM inverse,
// geographic <-> geocentric) and PROJ (Helmert datum shift). Every
// benchmark converts the same 10^6 points per iteration; the counter
// max_dev_mm is the largest distance between nuv's result and the peer's,
// on the ground for geographic results. The "extended" rows run the same
// formulas with long double intermediates: equal deviations show that
// double precision loses nothing at the millimetre level.
#include <benchmark/benchmark.h>
#include <proj.h>

#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/UTMUPS.hpp>
#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <vector>

#include "Nuv_geobasics_series.h"
#include "nuv/Nuv_geobasics.h"

namespace {

using nuv::geobasics_detail::TEllipsoidConsts;
namespace detail = nuv::geobasics_detail;

constexpr std::size_t kPoints = 1000000;
constexpr double kRad = 3.14159265358979323846 / 180;
constexpr double kMetresPerDegree = 6371000 * kRad;

const TEllipsoidConsts<long double> kWGS84Extended = detail::MakeEllipsoidConsts<long double>(
    nuv::GeoEllipsoidData[nuv::gelWGS84].A, nuv::GeoEllipsoidData[nuv::gelWGS84].B);

struct TInputs {
  std::vector<double> Lat, Long, Height;
  std::vector<int> Zone;
  std::vector<bool> North;
  // GeographicLib's grid coordinates and geocentric coordinates of them.
  std::vector<double> Easting, Northing, X, Y, Z;
};

// Uniform over the UTM latitudes, all longitudes, heights from the Dead Sea
// to aircraft altitude; the zone is the one nuv and GeographicLib both pick.
const TInputs& Inputs() {
  static const TInputs in = [] {
    TInputs t;
    std::mt19937_64 rng(20240601);
    std::uniform_real_distribution<double> lat(-80, 83.99), lon(-180, 179.99), h(-500, 12000);
    const auto& geocentric = GeographicLib::Geocentric::WGS84();
    for (std::size_t i = 0; i < kPoints; ++i) {
      const double la = lat(rng), lo = lon(rng), hh = h(rng);
      int32_t zone;
      char band;
      nuv::GeoToUTMZone(la, lo, zone, band);
      bool north;
      double e, n, gamma, k, x, y, z;
      GeographicLib::UTMUPS::Forward(la, lo, zone, north, e, n, gamma, k, zone);
      geocentric.Forward(la, lo, hh, x, y, z);
      t.Lat.push_back(la), t.Long.push_back(lo), t.Height.push_back(hh);
      t.Zone.push_back(zone), t.North.push_back(north);
      t.Easting.push_back(e), t.Northing.push_back(n);
      t.X.push_back(x), t.Y.push_back(y), t.Z.push_back(z);
    }
    return t;
  }();
  return in;
}

double GroundMm(double lat1, double lon1, double lat2, double lon2) {
  const double dLon = std::remainder(lon1 - lon2, 360.0) * std::cos(lat2 * kRad);
  return std::hypot(lat1 - lat2, dLon) * kMetresPerDegree * 1000;
}

void Report(benchmark::State& state, double maxDevMm) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
  state.counters["max_dev_mm"] = maxDevMm;
}

// ---------------------------------------------------------------------------
// UTM forward with the zone of each point

template <class T>
void UtmForwardNuv(benchmark::State& state) {
  const TInputs& in = Inputs();
  std::vector<double> e(kPoints), n(kPoints);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kPoints; ++i) {
      if constexpr (std::is_same_v<T, double>) {
        int32_t zone;
        nuv::LatLongToUTM(in.Lat[i], in.Long[i], nuv::gelWGS84, zone, e[i], n[i]);
      } else {
        T ee, nn;
        detail::UTMForward<T>(in.Lat[i], in.Long[i], nuv::UTMCentralMeridian(in.Zone[i]),
                              kWGS84Extended, ee, nn);
        e[i] = static_cast<double>(ee), n[i] = static_cast<double>(nn);
      }
    }
    benchmark::DoNotOptimize(e.data());
  }
  double dev = 0;
  for (std::size_t i = 0; i < kPoints; ++i)
    dev = std::max(dev, std::hypot(e[i] - in.Easting[i], n[i] - in.Northing[i]) * 1000);
  Report(state, dev);
}

void UtmForwardGeographicLib(benchmark::State& state) {
  const TInputs& in = Inputs();
  std::vector<double> e(kPoints), n(kPoints);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kPoints; ++i) {
      int zone;
      bool north;
      double gamma, k;
      GeographicLib::UTMUPS::Forward(in.Lat[i], in.Long[i], zone, north, e[i], n[i], gamma, k,
                                     in.Zone[i]);
    }
    benchmark::DoNotOptimize(e.data());
  }
  Report(state, 0);
}

// ---------------------------------------------------------------------------
// UTM inverse (the Transverse Mercator inverse with the UTM scale)

template <class T>
void UtmInverseNuv(benchmark::State& state) {
  const TInputs& in = Inputs();
  std::vector<double> lat(kPoints), lon(kPoints);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kPoints; ++i) {
      if constexpr (std::is_same_v<T, double>) {
        nuv::UTMToLatLong(in.Easting[i], in.Northing[i], in.Zone[i], !in.North[i], nuv::gelWGS84,
                          lat[i], lon[i]);
      } else {
        T la, lo;
        detail::UTMInverse<T>(in.Easting[i], in.Northing[i], nuv::UTMCentralMeridian(in.Zone[i]),
                              !in.North[i], kWGS84Extended, la, lo);
        lat[i] = static_cast<double>(la), lon[i] = static_cast<double>(lo);
      }
    }
    benchmark::DoNotOptimize(lat.data());
  }
  double dev = 0;
  for (std::size_t i = 0; i < kPoints; ++i)
    dev = std::max(dev, GroundMm(lat[i], lon[i], in.Lat[i], in.Long[i]));
  Report(state, dev);
}

void UtmInverseGeographicLib(benchmark::State& state) {
  const TInputs& in = Inputs();
  std::vector<double> lat(kPoints), lon(kPoints);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kPoints; ++i)
      GeographicLib::UTMUPS::Reverse(in.Zone[i], in.North[i], in.Easting[i], in.Northing[i],
                                     lat[i], lon[i]);
    benchmark::DoNotOptimize(lat.data());
  }
  Report(state, 0);
}

// ---------------------------------------------------------------------------
// Geographic <-> geocentric

template <class T>
void GeoToCartesianNuv(benchmark::State& state) {
  const TInputs& in = Inputs();
  std::vector<double> x(kPoints), y(kPoints), z(kPoints);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kPoints; ++i) {
      if constexpr (std::is_same_v<T, double>) {
        nuv::GeoToCartesian(in.Lat[i], in.Long[i], in.Height[i], nuv::gelWGS84, x[i], y[i], z[i]);
      } else {
        T xx, yy, zz;
        detail::GeoToCartesian<T>(in.Lat[i], in.Long[i], in.Height[i], kWGS84Extended, xx, yy, zz);
        x[i] = static_cast<double>(xx), y[i] = static_cast<double>(yy), z[i] = static_cast<double>(zz);
      }
    }
    benchmark::DoNotOptimize(x.data());
  }
  double dev = 0;
  for (std::size_t i = 0; i < kPoints; ++i)
    dev = std::max(dev, std::hypot(x[i] - in.X[i], y[i] - in.Y[i], z[i] - in.Z[i]) * 1000);
  Report(state, dev);
}

void GeoToCartesianGeographicLib(benchmark::State& state) {
  const TInputs& in = Inputs();
  const auto& geocentric = GeographicLib::Geocentric::WGS84();
  std::vector<double> x(kPoints), y(kPoints), z(kPoints);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kPoints; ++i)
      geocentric.Forward(in.Lat[i], in.Long[i], in.Height[i], x[i], y[i], z[i]);
    benchmark::DoNotOptimize(x.data());
  }
  Report(state, 0);
}

template <class T>
void CartesianToGeoNuv(benchmark::State& state) {
  const TInputs& in = Inputs();
  std::vector<double> lat(kPoints), lon(kPoints), h(kPoints);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kPoints; ++i) {
      if constexpr (std::is_same_v<T, double>) {
        nuv::CartesianToGeo(in.X[i], in.Y[i], in.Z[i], nuv::gelWGS84, lat[i], lon[i], h[i]);
      } else {
        T la, lo, hh;
        detail::CartesianToGeo<T>(in.X[i], in.Y[i], in.Z[i], kWGS84Extended, la, lo, hh);
        lat[i] = static_cast<double>(la), lon[i] = static_cast<double>(lo);
        h[i] = static_cast<double>(hh);
      }
    }
    benchmark::DoNotOptimize(lat.data());
  }
  double dev = 0;
  for (std::size_t i = 0; i < kPoints; ++i)
    dev = std::max(dev, std::hypot(GroundMm(lat[i], lon[i], in.Lat[i], in.Long[i]),
                                   (h[i] - in.Height[i]) * 1000));
  Report(state, dev);
}

void CartesianToGeoGeographicLib(benchmark::State& state) {
  const TInputs& in = Inputs();
  const auto& geocentric = GeographicLib::Geocentric::WGS84();
  std::vector<double> lat(kPoints), lon(kPoints), h(kPoints);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kPoints; ++i)
      geocentric.Reverse(in.X[i], in.Y[i], in.Z[i], lat[i], lon[i], h[i]);
    benchmark::DoNotOptimize(lat.data());
  }
  Report(state, 0);
}

// ---------------------------------------------------------------------------
// Helmert: datum 13 (RD Amersfoort, seven parameters, Bessel 1841) to
// datum 269 (WGS 1984), the same shift as a PROJ pipeline.

constexpr int32_t kSourceDatum = 13;
constexpr int32_t kWGS84Datum = 269;
constexpr const char* kProjPipeline =
    "+proj=pipeline +step +proj=axisswap +order=2,1 "
    "+step +proj=unitconvert +xy_in=deg +xy_out=rad "
    "+step +proj=cart +a=6377397.155 +b=6356078.96284 "
    "+step +proj=helmert +x=565.4171 +y=50.3319 +z=465.5524 +s=4.0725 "
    "+rx=-0.3989573882431337 +ry=0.34398781737828255 +rz=-1.8774016399804463 "
    "+convention=position_vector "
    "+step +inv +proj=cart +a=6378137.0 +b=6356752.314245 "
    "+step +proj=unitconvert +xy_in=rad +xy_out=deg +step +proj=axisswap +order=2,1";

struct TProjResult {
  std::vector<double> Lat, Long, Height;
};

// PROJ's result for the inputs, once: both the reference and what the PROJ
// benchmark recomputes.
void RunProj(PJ* p, const TInputs& in, TProjResult& r) {
  r.Lat = in.Lat, r.Long = in.Long, r.Height = in.Height;
  proj_trans_generic(p, PJ_FWD, r.Lat.data(), sizeof(double), kPoints, r.Long.data(),
                     sizeof(double), kPoints, r.Height.data(), sizeof(double), kPoints, nullptr, 0,
                     0);
}

PJ* ProjPipeline() {
  static PJ* p = [] {
    PJ* pj = proj_create(PJ_DEFAULT_CTX, kProjPipeline);
    if (pj == nullptr) throw std::runtime_error("PROJ rejects the Helmert pipeline");
    return pj;
  }();
  return p;
}

const TProjResult& ProjReference() {
  static const TProjResult r = [] {
    TProjResult t;
    RunProj(ProjPipeline(), Inputs(), t);
    return t;
  }();
  return r;
}

void HelmertNuv(benchmark::State& state) {
  const TInputs& in = Inputs();
  std::vector<double> lat(kPoints), lon(kPoints), h(kPoints);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kPoints; ++i)
      nuv::HelmertTransform(kSourceDatum, in.Lat[i], in.Long[i], in.Height[i], kWGS84Datum,
                            lat[i], lon[i], h[i]);
    benchmark::DoNotOptimize(lat.data());
  }
  const TProjResult& ref = ProjReference();
  double dev = 0;
  for (std::size_t i = 0; i < kPoints; ++i)
    dev = std::max(dev, std::hypot(GroundMm(lat[i], lon[i], ref.Lat[i], ref.Long[i]),
                                   (h[i] - ref.Height[i]) * 1000));
  Report(state, dev);
}

void HelmertProj(benchmark::State& state) {
  const TInputs& in = Inputs();
  TProjResult r;
  for (auto _ : state) {
    RunProj(ProjPipeline(), in, r);
    benchmark::DoNotOptimize(r.Lat.data());
  }
  Report(state, 0);
}

}  // namespace

BENCHMARK(UtmForwardNuv<double>)->Name("UTM forward/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(UtmForwardNuv<long double>)->Name("UTM forward/nuv extended")->Unit(benchmark::kMillisecond);
BENCHMARK(UtmForwardGeographicLib)->Name("UTM forward/GeographicLib")->Unit(benchmark::kMillisecond);
BENCHMARK(UtmInverseNuv<double>)->Name("TM inverse/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(UtmInverseNuv<long double>)->Name("TM inverse/nuv extended")->Unit(benchmark::kMillisecond);
BENCHMARK(UtmInverseGeographicLib)->Name("TM inverse/GeographicLib")->Unit(benchmark::kMillisecond);
BENCHMARK(GeoToCartesianNuv<double>)->Name("geographic to geocentric/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(GeoToCartesianNuv<long double>)
    ->Name("geographic to geocentric/nuv extended")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(GeoToCartesianGeographicLib)
    ->Name("geographic to geocentric/GeographicLib")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CartesianToGeoNuv<double>)->Name("geocentric to geographic/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(CartesianToGeoNuv<long double>)
    ->Name("geocentric to geographic/nuv extended")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CartesianToGeoGeographicLib)
    ->Name("geocentric to geographic/GeographicLib")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(HelmertNuv)->Name("Helmert 7 parameters/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(HelmertProj)->Name("Helmert 7 parameters/PROJ")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
