// Processor information beside the raw instruction and libcpuid. The clock
// rows measure the time-stamp counter's rate over 50, 100 and 1000 ms with
// CPU_Speed and libcpuid's cpu_clock_measure; their counters give the
// deviation from the kernel's TSC frequency in per cent (dev_pct the mean,
// max_dev_pct the largest of the iterations). The leaf rows time one call
// of CPU_Signature and CPU_FeatureSet against __get_cpuid, which runs
// CPUID twice (once for the highest leaf). The program stops with an error
// when a pair differs.
#include <benchmark/benchmark.h>
#include <cpuid.h>
#include <libcpuid/libcpuid.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "CpuInfoSources.h"
#include "bench_common.h"
#include "nuv/Nuv_cpuid.h"

namespace {

double KernelMHz() {
  static const std::optional<double> mhz = nuv::testing::KernelTscMHz();
  if (!mhz) bench::Fail("no kernel TSC frequency", "tsc_freq_khz or the tsc lines of dmesg");
  return *mhz;
}

double DeviationPct(double mhz) { return std::abs(mhz / KernelMHz() - 1) * 100; }

uint32_t RawRegister(unsigned leaf, int which) {
  unsigned r[4] = {};
  if (!__get_cpuid(leaf, &r[0], &r[1], &r[2], &r[3])) bench::Fail("__get_cpuid failed", "");
  return r[which];
}

void CheckSameResults() {
  if (nuv::CPU_Signature() != RawRegister(1, 0)) bench::Fail("CPU_Signature differs", "EAX of leaf 1");
  if (nuv::CPU_FeatureSet() != RawRegister(1, 3)) bench::Fail("CPU_FeatureSet differs", "EDX of leaf 1");
  const double ours = nuv::CPU_Speed(100), theirs = cpu_clock_measure(100, 0);
  if (DeviationPct(ours) > 2 || DeviationPct(theirs) > 2)
    bench::Fail("a clock measurement is more than 2 % off the kernel's",
                std::to_string(ours) + " / " + std::to_string(theirs) + " / " + std::to_string(KernelMHz()));
}

template <class Measure>
void ClockRows(benchmark::State& state, Measure measure) {
  double sum = 0, worst = 0;
  for (auto _ : state) {
    const double dev = DeviationPct(measure());
    sum += dev;
    worst = std::max(worst, dev);
  }
  state.counters["dev_pct"] = sum / static_cast<double>(state.iterations());
  state.counters["max_dev_pct"] = worst;
  state.counters["kernel_mhz"] = KernelMHz();
}

template <int Ms>
void SpeedNuv(benchmark::State& state) {
  ClockRows(state, [] { return nuv::CPU_Speed(Ms); });
}
template <int Ms>
void SpeedLibcpuid(benchmark::State& state) {
  ClockRows(state, [] { return static_cast<double>(cpu_clock_measure(Ms, 0)); });
}

void SignatureNuv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(nuv::CPU_Signature());
  bench::SetTarget(state, 1.2);
}
void SignatureRaw(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(RawRegister(1, 0));
}
void FeatureSetNuv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(nuv::CPU_FeatureSet());
  bench::SetTarget(state, 1.2);
}
void FeatureSetRaw(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(RawRegister(1, 3));
}

void ClockArgs(benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->UseRealTime(); }

BENCHMARK(SpeedNuv<50>)->Name("CPU_Speed 50 ms/nuv")->Iterations(10)->Apply(ClockArgs);
BENCHMARK(SpeedLibcpuid<50>)->Name("CPU_Speed 50 ms/libcpuid cpu_clock_measure")->Iterations(10)->Apply(ClockArgs);
BENCHMARK(SpeedNuv<100>)->Name("CPU_Speed 100 ms/nuv")->Iterations(5)->Apply(ClockArgs);
BENCHMARK(SpeedLibcpuid<100>)->Name("CPU_Speed 100 ms/libcpuid cpu_clock_measure")->Iterations(5)->Apply(ClockArgs);
BENCHMARK(SpeedNuv<1000>)->Name("CPU_Speed 1000 ms/nuv")->Iterations(2)->Apply(ClockArgs);
BENCHMARK(SpeedLibcpuid<1000>)->Name("CPU_Speed 1000 ms/libcpuid cpu_clock_measure")->Iterations(2)->Apply(ClockArgs);
BENCHMARK(SignatureNuv)->Name("CPU_Signature/nuv");
BENCHMARK(SignatureRaw)->Name("CPU_Signature/__get_cpuid");
BENCHMARK(FeatureSetNuv)->Name("CPU_FeatureSet/nuv");
BENCHMARK(FeatureSetRaw)->Name("CPU_FeatureSet/__get_cpuid");

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
