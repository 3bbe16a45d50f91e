// TFastFourier beside FFTW (an FFTW_ESTIMATE plan made before timing) and
// GSL's radix-2 transform on the same interleaved in-place data, and the
// extended complex product and quotient beside std::complex<long double>.
// Every iteration copies the same input into the block first, on all
// sides, so the transform never runs on its own growing output. FFTW's
// backward direction has our forward sign; the results are checked
// against each other before anything is timed.
#include <fftw3.h>
#include <gsl/gsl_fft_complex.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_complex.h"
#include "nuv/Nuv_fourier.h"

namespace {

constexpr int kLogs[] = {10, 14, 17, 20};

std::vector<double> Input(int32_t n) {
  std::mt19937_64 rng(static_cast<uint64_t>(n));
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> x(2 * static_cast<size_t>(n));
  for (double& v : x) v = u(rng);
  return x;
}

double RelativeRms(const double* got, const double* want, size_t count) {
  long double err = 0, norm = 0;
  for (size_t i = 0; i < count; ++i) {
    err += static_cast<long double>(got[i] - want[i]) * (got[i] - want[i]);
    norm += static_cast<long double>(want[i]) * want[i];
  }
  return static_cast<double>(std::sqrt(err / norm));
}

// An FFTW block with its plan; the plan is made before the data are set,
// as FFTW_ESTIMATE does not touch them.
class TFftw {
 public:
  explicit TFftw(int32_t n)
      : n_(n), x_(fftw_alloc_complex(static_cast<size_t>(n))),
        plan_(fftw_plan_dft_1d(n, x_, x_, FFTW_BACKWARD, FFTW_ESTIMATE)) {}
  ~TFftw() {
    fftw_destroy_plan(plan_);
    fftw_free(x_);
  }
  double* Data() { return reinterpret_cast<double*>(x_); }
  void Run(const std::vector<double>& in) {
    std::memcpy(x_, in.data(), sizeof(double) * in.size());
    fftw_execute(plan_);
  }

 private:
  int32_t n_;
  fftw_complex* x_;
  fftw_plan plan_;
};

void NuvRun(nuv::TFastFourier& f, const std::vector<double>& in) {
  std::memcpy(f.Data(), in.data(), sizeof(double) * in.size());
  f.Transform();
}

// GSL's forward has the other sign: its backward (unscaled) is ours.
void GslRun(std::vector<double>& x, const std::vector<double>& in) {
  std::memcpy(x.data(), in.data(), sizeof(double) * in.size());
  gsl_fft_complex_radix2_backward(x.data(), 1, in.size() / 2);
}

void CheckSameResults() {
  for (int log : kLogs) {
    const int32_t n = 1 << log;
    const std::vector<double> in = Input(n);
    nuv::TFastFourier f(nullptr);
    f.SetNumData(n);
    NuvRun(f, in);
    TFftw fftw(n);
    fftw.Run(in);
    std::vector<double> gsl(in.size());
    GslRun(gsl, in);
    const double vsFftw = RelativeRms(f.Data(), fftw.Data(), in.size());
    const double vsGsl = RelativeRms(f.Data(), gsl.data(), in.size());
    if (!(vsFftw < 1e-15)) bench::Fail("Transform differs from FFTW", std::to_string(vsFftw));
    if (!(vsGsl < 1e-13)) bench::Fail("Transform differs from GSL", std::to_string(vsGsl));
  }
}

void TransformNuv(benchmark::State& state, int32_t n, double target) {
  const std::vector<double> in = Input(n);
  nuv::TFastFourier f(nullptr);
  f.SetNumData(n);
  for (auto _ : state) {
    NuvRun(f, in);
    benchmark::DoNotOptimize(f.Data());
  }
  bench::SetTarget(state, target);
}

void TransformFftw(benchmark::State& state, int32_t n) {
  const std::vector<double> in = Input(n);
  TFftw fftw(n);
  for (auto _ : state) {
    fftw.Run(in);
    benchmark::DoNotOptimize(fftw.Data());
  }
}

void TransformGsl(benchmark::State& state, int32_t n) {
  const std::vector<double> in = Input(n);
  std::vector<double> x(in.size());
  for (auto _ : state) {
    GslRun(x, in);
    benchmark::DoNotOptimize(x.data());
  }
}

// Complex products and quotients over arrays, as a caller's loop would
// use them: 4000 independent operations per iteration. Operands and
// results of each side lie in one block of the same layout, as loads that
// share the low address bits of a pending store stall the x87 loop by
// half its speed.
constexpr size_t kOps = 4000;

template <class T>
struct TOperands {
  T a[kOps], b[kOps], r[kOps];
};

template <class T>
TOperands<T>& Operands() {
  static const std::unique_ptr<TOperands<T>> ops = [] {
    auto o = std::make_unique<TOperands<T>>();
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<long double> u(-10, 10);
    for (size_t i = 0; i < kOps; ++i) {
      const long double ar = u(rng), ai = u(rng), br = u(rng), bi = u(rng);
      o->a[i] = T{ar, ai};
      o->b[i] = T{br, bi};
    }
    return o;
  }();
  return *ops;
}

using TStdComplex = std::complex<long double>;

template <bool Divide>
void CpxNuv(benchmark::State& state) {
  auto& o = Operands<nuv::TComplex>();
  for (auto _ : state) {
    for (size_t i = 0; i < kOps; ++i)
      o.r[i] = Divide ? nuv::CpxDiv(o.a[i], o.b[i]) : nuv::CpxMult(o.a[i], o.b[i]);
    benchmark::DoNotOptimize(o.r);
  }
  bench::SetTarget(state, 1.0);
}

template <bool Divide>
void CpxStd(benchmark::State& state) {
  auto& o = Operands<TStdComplex>();
  for (auto _ : state) {
    for (size_t i = 0; i < kOps; ++i) o.r[i] = Divide ? o.a[i] / o.b[i] : o.a[i] * o.b[i];
    benchmark::DoNotOptimize(o.r);
  }
}

void CheckComplex() {
  const auto& n = Operands<nuv::TComplex>();
  const auto& s = Operands<TStdComplex>();
  for (size_t i = 0; i < kOps; ++i) {
    const nuv::TComplex m = nuv::CpxMult(n.a[i], n.b[i]), q = nuv::CpxDiv(n.a[i], n.b[i]);
    const TStdComplex sm = s.a[i] * s.b[i], sq = s.a[i] / s.b[i];
    if (std::abs(TStdComplex(m.real, m.imag) - sm) > 1e-15L * std::abs(sm) ||
        std::abs(TStdComplex(q.real, q.imag) - sq) > 1e-15L * std::abs(sq))
      bench::Fail("complex arithmetic differs from std::complex", std::to_string(i));
  }
}

void CheckAll() {
  CheckSameResults();
  CheckComplex();
}

void RegisterAll() {
  for (int log : kLogs) {
    const int32_t n = 1 << log;
    const std::string name = "TFastFourier::Transform 2^" + std::to_string(log);
    benchmark::RegisterBenchmark((name + "/nuv").c_str(), TransformNuv, n, 4.0)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/FFTW estimate").c_str(), TransformFftw, n)
        ->Unit(benchmark::kMicrosecond);
    const std::string radix2 = name + " (radix-2 peer)";
    benchmark::RegisterBenchmark((radix2 + "/nuv").c_str(), TransformNuv, n, 0.5)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((radix2 + "/GSL radix-2").c_str(), TransformGsl, n)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::RegisterBenchmark("CpxMult 4000 operations/nuv", CpxNuv<false>);
  benchmark::RegisterBenchmark("CpxMult 4000 operations/std::complex<long double>",
                               CpxStd<false>);
  benchmark::RegisterBenchmark("CpxDiv 4000 operations/nuv", CpxNuv<true>);
  benchmark::RegisterBenchmark("CpxDiv 4000 operations/std::complex<long double>", CpxStd<true>);
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  return bench::Main(argc, argv, CheckAll);
}
