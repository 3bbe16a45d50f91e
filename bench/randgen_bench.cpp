// Normal random numbers from TRandGen's table beside GSL's ziggurat.
//
// TRandGen draws from NormalDistri on [-5, 5] at resolution 500, through the
// runtime's generator; GSL runs gsl_ran_gaussian_ziggurat on its default
// generator (MT19937), as a program calling it plainly would. Both sides
// pay for their uniform generator. Before timing, 10^6 draws of each must
// agree on mean, variance and the 5 % two-sided tail.
#include <gsl/gsl_randist.h>
#include <gsl/gsl_rng.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "bench_common.h"
#include "nuv/Nuv_statis.h"
#include "nuv/platform/Random.h"

namespace {

constexpr int64_t kDraws = 10000000;

nuv::TRandGen& Normal() {
  static nuv::TRandGen* g = [] {
    auto* r = new nuv::TRandGen(nullptr);
    r->SetLowBorder(-5);
    r->SetHighBorder(5);
    r->SetResolution(500);
    r->NormalDistri(0, 1);
    return r;
  }();
  return *g;
}

gsl_rng* Gsl() {
  static gsl_rng* r = [] {
    gsl_rng_env_setup();
    return gsl_rng_alloc(gsl_rng_default);
  }();
  return r;
}

double NuvDraw() { return Normal().GetRandNum(); }
double GslDraw() { return gsl_ran_gaussian_ziggurat(Gsl(), 1.0); }

struct TMoments {
  double Mean = 0, Variance = 0, Tail = 0;
};

TMoments Moments(double (*draw)(), int64_t n) {
  double sum = 0, sum2 = 0, tail = 0;
  for (int64_t i = 0; i < n; ++i) {
    const double x = draw();
    sum += x;
    sum2 += x * x;
    tail += std::fabs(x) > 1.959963984540054;
  }
  const double mean = sum / n;
  return {mean, sum2 / n - mean * mean, tail / n};
}

void CheckSameResults() {
  nuv::RandSeed = 1;
  constexpr int64_t n = 1000000;
  const TMoments ours = Moments(NuvDraw, n), peer = Moments(GslDraw, n);
  // About five standard errors of each estimate.
  const struct {
    const char* what;
    double a, b, tol;
  } checks[] = {{"mean", ours.Mean, peer.Mean, 0.007},
                {"variance", ours.Variance, peer.Variance, 0.01},
                {"5 % tail", ours.Tail, peer.Tail, 0.0015}};
  for (const auto& c : checks)
    if (!(std::fabs(c.a - c.b) <= c.tol))
      bench::Fail(c.what, std::to_string(c.a) + " against " + std::to_string(c.b));
}

void DrawRun(benchmark::State& state, double (*draw)(), bool ours) {
  for (auto _ : state) {
    double sum = 0;
    for (int64_t i = 0; i < kDraws; ++i) sum += draw();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kDraws);
  if (ours) bench::SetTarget(state, 4.0);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("TRandGen normal 10^7 draws/nuv", DrawRun, NuvDraw, true)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("TRandGen normal 10^7 draws/GSL ziggurat", DrawRun, GslDraw, false)
      ->Unit(benchmark::kMillisecond);
  return bench::Main(argc, argv, CheckSameResults);
}
