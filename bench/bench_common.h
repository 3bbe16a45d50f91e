// Shared by the benchmark programs: the naming and counters bench_table
// reads, and the check that both sides of a pair compute the same thing
// before anything is timed.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace bench {

// The largest acceptable ratio of our time to the peer's; set on the
// main row of a case, not on the variants that show other instruction sets.
inline void SetTarget(benchmark::State& state, double ratio) { state.counters["target"] = ratio; }

// The target against one named peer of a case that has several (the
// implementation after the slash of the peer's benchmark name).
inline void SetTarget(benchmark::State& state, double ratio, std::string_view peer) {
  state.counters["target " + std::string(peer)] = ratio;
}

// The floating-point operations of one call, by the textbook count of the
// operation; the table shows the achieved rate beside the machine's limit.
inline void SetFlops(benchmark::State& state, double flops) { state.counters["flops"] = flops; }

// A pair that does not compute the same result measures nothing useful:
// the program stops.
[[noreturn]] inline void Fail(std::string_view what, std::string_view detail) {
  std::fprintf(stderr, "benchmark check failed: %.*s (%.*s)\n", static_cast<int>(what.size()),
               what.data(), static_cast<int>(detail.size()), detail.data());
  std::exit(1);
}

// Runs check, then the benchmarks selected on the command line.
inline int Main(int argc, char** argv, void (*check)()) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  check();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
