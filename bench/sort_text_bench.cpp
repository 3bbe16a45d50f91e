// Sorting and number text beside the standard library: SortArray against
// std::sort on the same 10^6 random doubles, strff against snprintf with
// "%*.*f" on the same 10^6 values. The sorted arrays must be equal. The
// texts may differ where the value lies near a half of the last decimal:
// strff rounds the shortest decimal image of the value, halves away from
// zero, snprintf its exact binary value; the counter "differing" counts
// those cases.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "Nuv_math1_parts.h"
#include "bench_common.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_stringl.h"

namespace {

constexpr std::size_t kCount = 1000000;
constexpr int kWidth = 12;
constexpr int kDecimals = 4;

const std::vector<double>& SortInput() {
  static const std::vector<double> v = [] {
    std::vector<double> d(kCount);
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> u(-1e6, 1e6);
    for (double& x : d) x = u(rng);
    return d;
  }();
  return v;
}

// Magnitudes from 1e-3 to 1e6, both signs: every digit count of the column.
const std::vector<double>& TextInput() {
  static const std::vector<double> v = [] {
    std::vector<double> d(kCount);
    std::mt19937_64 rng(6);
    std::uniform_real_distribution<double> exponent(-3, 6);
    for (std::size_t i = 0; i < kCount; ++i)
      d[i] = (i % 2 ? -1 : 1) * std::pow(10.0, exponent(rng));
    return d;
  }();
  return v;
}

std::string Printf(double x) {
  char buf[64];
  const int n = std::snprintf(buf, sizeof buf, "%*.*f", kWidth, kDecimals, x);
  return std::string(buf, static_cast<std::size_t>(n));
}

int64_t DifferingTexts() {
  int64_t n = 0;
  for (const double x : TextInput()) n += nuv::strff(x, kWidth, kDecimals) != Printf(x);
  return n;
}

void CheckSameResults() {
  std::vector<double> ours = SortInput(), peer = SortInput();
  nuv::SortArray(ours, true);
  std::sort(peer.begin(), peer.end());
  if (ours != peer) bench::Fail("SortArray differs from std::sort", "ascending");
  nuv::SortArray(ours, false);
  std::reverse(peer.begin(), peer.end());
  if (ours != peer) bench::Fail("SortArray differs from std::sort", "descending");
  // Rounding on halves is the only admissible difference, which random
  // values meet rarely.
  if (DifferingTexts() > static_cast<int64_t>(kCount / 1000))
    bench::Fail("strff differs from snprintf", "more than one text in a thousand");
}

// Each call sorts a fresh copy of the input. The "SSE2" row takes two
// elements at a time, as processors without AVX2 do.
template <bool Portable>
void SortArrayNuv(benchmark::State& state) {
  nuv::math1::UsePortableSort(Portable);
  std::vector<double> a;
  for (auto _ : state) {
    a = SortInput();
    nuv::SortArray(a, true);
    benchmark::DoNotOptimize(a.data());
  }
  nuv::math1::UsePortableSort(false);
}

void SortStd(benchmark::State& state) {
  std::vector<double> a;
  for (auto _ : state) {
    a = SortInput();
    std::sort(a.begin(), a.end());
    benchmark::DoNotOptimize(a.data());
  }
}

void StrffNuv(benchmark::State& state) {
  for (auto _ : state)
    for (const double x : TextInput()) benchmark::DoNotOptimize(nuv::strff(x, kWidth, kDecimals));
  state.counters["differing"] = static_cast<double>(DifferingTexts());
  bench::SetTarget(state, 1.0);
}

void StrffPrintf(benchmark::State& state) {
  for (auto _ : state)
    for (const double x : TextInput()) benchmark::DoNotOptimize(Printf(x));
}

BENCHMARK(SortArrayNuv<false>)->Name("SortArray 10^6 doubles/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(SortArrayNuv<true>)
    ->Name("SortArray 10^6 doubles/nuv SSE2")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SortStd)->Name("SortArray 10^6 doubles/std::sort")->Unit(benchmark::kMillisecond);
BENCHMARK(StrffNuv)->Name("strff 10^6 doubles (12, 4)/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(StrffPrintf)
    ->Name("strff 10^6 doubles (12, 4)/snprintf %*.*f")
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
