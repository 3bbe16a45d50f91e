// Distributions beside Boost.Math and least-squares fits beside Eigen,
// each peer built twice: as nuv is (baseline x86-64) and for this
// processor (-O3 -march=native, the "native" rows).
//
// Each distribution benchmark evaluates the same 10^6 arguments per call;
// the degrees of freedom cycle through small, medium and large values.
// Boost runs with its default policy, as a program calling it plainly
// would. The fits take 10^6 points already entered into a TCurveFit; Eigen
// builds the design matrix from the same points, solves by Householder QR
// and computes the coefficient of determination as CalcLinFit and
// CalcPolyFit report it. Entering the points, which keeps the running sums
// of every fit up to date, is timed on its own row. Results are checked
// against the peers before anything is timed.
#include <algorithm>
#include <array>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench_common.h"
#include "native_peers.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_statis.h"
#include "statis_peers.h"

namespace {

constexpr std::size_t kCount = 1000000;
constexpr std::array<double, 6> kDF = {1, 2, 5, 10, 30, 100};

struct TArgs {
  std::vector<double> X, P, DF1, DF2;
};

// X spreads over the bulk and the tails, P over (0, 1) with its ends.
const TArgs& Args() {
  static const TArgs a = [] {
    TArgs t;
    std::mt19937_64 rng(12);
    std::uniform_real_distribution<double> x(-8, 8), logP(-12, 0);
    for (std::size_t i = 0; i < kCount; ++i) {
      t.X.push_back(x(rng));
      const double p = std::pow(10.0, logP(rng));
      t.P.push_back(i % 2 ? p : 1 - p / 2);
      t.DF1.push_back(kDF[i % kDF.size()]);
      t.DF2.push_back(kDF[(i / kDF.size()) % kDF.size()]);
    }
    return t;
  }();
  return a;
}

// ---------------------------------------------------------------------------
// The four functions, each as nuv, as Boost and as the native Boost, over
// argument i.

using TEval = double (*)(const TArgs&, std::size_t);

struct TFunction {
  const char* Name;
  TEval Nuv, Boost, Native;
  double Tolerance;  // largest relative difference accepted
};

namespace nat = bench::native;

namespace bm = boost::math;

constexpr const char* kBoostNative = "Boost.Math native";
constexpr const char* kEigenNative = "Eigen HouseholderQR native";

const TFunction kFunctions[] = {
    {"nDistriIntegral", [](const TArgs& a, std::size_t i) { return nuv::nDistriIntegral(a.X[i]); },
     [](const TArgs& a, std::size_t i) { return bm::cdf(bm::normal(), a.X[i]); },
     [](const TArgs& a, std::size_t i) { return nat::BoostNormalCdf(a.X[i]); }, 1e-13},
    {"tDistriIntegral",
     [](const TArgs& a, std::size_t i) { return nuv::tDistriIntegral(a.X[i], a.DF1[i]); },
     [](const TArgs& a, std::size_t i) { return bm::cdf(bm::students_t(a.DF1[i]), a.X[i]); },
     [](const TArgs& a, std::size_t i) { return nat::BoostStudentsTCdf(a.X[i], a.DF1[i]); }, 1e-12},
    {"chi2DistriQuantile",
     [](const TArgs& a, std::size_t i) { return nuv::chi2DistriQuantile(a.P[i], a.DF1[i]); },
     [](const TArgs& a, std::size_t i) { return bm::quantile(bm::chi_squared(a.DF1[i]), a.P[i]); },
     [](const TArgs& a, std::size_t i) { return nat::BoostChiSquaredQuantile(a.P[i], a.DF1[i]); },
     1e-11},
    {"FDistriQuantile",
     [](const TArgs& a, std::size_t i) { return nuv::FDistriQuantile(a.P[i], a.DF1[i], a.DF2[i]); },
     [](const TArgs& a, std::size_t i) {
       return bm::quantile(bm::fisher_f(a.DF1[i], a.DF2[i]), a.P[i]);
     },
     [](const TArgs& a, std::size_t i) {
       return nat::BoostFisherFQuantile(a.P[i], a.DF1[i], a.DF2[i]);
     },
     1e-10},
};

double RelativeDifference(double a, double b) {
  if (a == b) return 0;
  return std::fabs(a - b) / std::max(std::fabs(a), std::fabs(b));
}

double LargestDifference(TEval ours, TEval peer) {
  double worst = 0;
  for (std::size_t i = 0; i < kCount; ++i)
    worst = std::max(worst, RelativeDifference(ours(Args(), i), peer(Args(), i)));
  return worst;
}

void DistributionRun(benchmark::State& state, const TFunction& f, TEval eval) {
  const TArgs& a = Args();
  for (auto _ : state)
    for (std::size_t i = 0; i < kCount; ++i) benchmark::DoNotOptimize(eval(a, i));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kCount));
  if (eval == f.Nuv) {
    state.counters["max_rel_diff"] = LargestDifference(f.Nuv, f.Boost);
    bench::SetTarget(state, 1.0);
    bench::SetTarget(state, 1.0, kBoostNative);
  }
}

// ---------------------------------------------------------------------------
// Fits: a cubic with noise over x in [-2, 3].

struct TPoints {
  std::vector<double> X, Y;
};

const TPoints& Points() {
  static const TPoints p = [] {
    TPoints t;
    std::mt19937_64 rng(13);
    std::uniform_real_distribution<double> x(-2, 3);
    std::normal_distribution<double> noise(0, 0.5);
    for (std::size_t i = 0; i < kCount; ++i) {
      const double v = x(rng);
      t.X.push_back(v);
      t.Y.push_back(1.5 + 0.8 * v + 0.25 * v * v - 0.1 * v * v * v + noise(rng));
    }
    return t;
  }();
  return p;
}

nuv::TCurveFit& EnteredFit() {
  static nuv::TCurveFit* fit = [] {
    auto* f = new nuv::TCurveFit(nullptr);
    for (std::size_t i = 0; i < kCount; ++i) f->EnterStatValue(Points().X[i], Points().Y[i]);
    return f;
  }();
  return *fit;
}

struct TFit {
  std::vector<double> Coeffs;  // constant first
  double FitQual = 0;
};

TFit BaselinePolyFit(int degree) {
  TFit f;
  f.Coeffs.assign(static_cast<std::size_t>(degree) + 1, 0.0);
  f.FitQual = bench::peers::PolyFitQR(Points().X.data(), Points().Y.data(), kCount, degree,
                                      f.Coeffs.data());
  return f;
}

TFit NativePolyFit(int degree) {
  TFit f;
  f.Coeffs.assign(static_cast<std::size_t>(degree) + 1, 0.0);
  f.FitQual = bench::native::EigenPolyFit(Points().X.data(), Points().Y.data(), kCount, degree,
                                          f.Coeffs.data());
  return f;
}

TFit NuvLinFit() {
  double k = 0, d = 0, q = 0;
  EnteredFit().CalcLinFit(k, d, q);
  return {{d, k}, q};
}

TFit NuvCubicFit() {
  TFit f;
  f.Coeffs.assign(4, 0.0);
  bool singular = false;
  if (!EnteredFit().CalcPolyFit(3, f.Coeffs, f.FitQual, singular) || singular)
    bench::Fail("CalcPolyFit failed", "degree 3");
  return f;
}

// Coefficients relative to the largest of them, the fit quality absolutely.
void CheckSameFit(const char* what, const TFit& ours, const TFit& peer) {
  double scale = 0, worst = std::fabs(ours.FitQual - peer.FitQual);
  for (const double c : peer.Coeffs) scale = std::max(scale, std::fabs(c));
  for (std::size_t j = 0; j < peer.Coeffs.size(); ++j)
    worst = std::max(worst, std::fabs(ours.Coeffs[j] - peer.Coeffs[j]) / scale);
  if (!(worst <= 1e-10)) bench::Fail(what, "difference " + std::to_string(worst));
}

void CheckSameResults() {
  for (const TFunction& f : kFunctions)
    for (const TEval peer : {f.Boost, f.Native}) {
      const double worst = LargestDifference(f.Nuv, peer);
      if (!(worst <= f.Tolerance))
        bench::Fail(f.Name, "relative difference " + std::to_string(worst));
    }
  for (const auto peer : {BaselinePolyFit, NativePolyFit}) {
    CheckSameFit("CalcLinFit differs from Eigen", NuvLinFit(), peer(1));
    CheckSameFit("CalcPolyFit differs from Eigen", NuvCubicFit(), peer(3));
  }
}

void FitRun(benchmark::State& state, TFit (*fit)(), bool ours) {
  for (auto _ : state) benchmark::DoNotOptimize(fit().FitQual);
  if (ours) {
    bench::SetTarget(state, 1.0);
    bench::SetTarget(state, 1.0, kEigenNative);
  }
}

void EnterRun(benchmark::State& state) {
  nuv::TCurveFit fit(nullptr);
  for (auto _ : state) {
    fit.Init();
    for (std::size_t i = 0; i < kCount; ++i) fit.EnterStatValue(Points().X[i], Points().Y[i]);
  }
}

void RegisterAll() {
  for (const TFunction& f : kFunctions) {
    const std::string name = std::string(f.Name) + " 10^6 arguments";
    for (const auto& [impl, eval] : {std::pair{"nuv", f.Nuv}, std::pair{"Boost.Math", f.Boost},
                                     std::pair{kBoostNative, f.Native}})
      benchmark::RegisterBenchmark((name + "/" + impl).c_str(), DistributionRun, f, eval)
          ->Unit(benchmark::kMillisecond);
  }
  struct TFitCase {
    const char* Name;
    TFit (*Nuv)();
    TFit (*Baseline)();
    TFit (*Native)();
  };
  const TFitCase fits[] = {
      {"TCurveFit::CalcLinFit 10^6 points", NuvLinFit, [] { return BaselinePolyFit(1); },
       [] { return NativePolyFit(1); }},
      {"TCurveFit::CalcPolyFit degree 3, 10^6 points", NuvCubicFit,
       [] { return BaselinePolyFit(3); }, [] { return NativePolyFit(3); }},
  };
  for (const TFitCase& c : fits) {
    const std::string name(c.Name);
    benchmark::RegisterBenchmark((name + "/nuv").c_str(), FitRun, c.Nuv, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "/Eigen HouseholderQR").c_str(), FitRun, c.Baseline, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "/" + kEigenNative).c_str(), FitRun, c.Native, false)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("TCurveFit::EnterStatValue 10^6 points/nuv", EnterRun)
      ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  return bench::Main(argc, argv, CheckSameResults);
}
