// The mass search of TFormulaSearch against the literal odometer, which
// tests every candidate in turn. Both must give the same sequence; the
// program stops with an error when they do not.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "nuv/Nuv_cform.h"

namespace {

using nuv::TFormulaRec;

TFormulaRec Rec(std::initializer_list<std::array<int, 3>> entries) {
  TFormulaRec r;
  for (const auto& e : entries) {
    r.AtNum[r.NumAtoms] = static_cast<uint8_t>(e[0]);
    r.AtWgt[r.NumAtoms] = static_cast<uint16_t>(e[1]);
    r.AtCnt[r.NumAtoms] = static_cast<uint16_t>(e[2]);
    ++r.NumAtoms;
  }
  return r;
}

// C0-60 H0-120 N0-10 O0-20 S0-4: 8.5 million candidates.
const TFormulaRec kOrganic = Rec({{6, 12, 60}, {1, 1, 120}, {7, 14, 10}, {8, 16, 20}, {16, 32, 4}});
// The same with P, Cl and Br 0-4: 1.06 billion candidates.
const TFormulaRec kWide = Rec({{6, 12, 60},
                               {1, 1, 120},
                               {7, 14, 10},
                               {8, 16, 20},
                               {16, 32, 4},
                               {15, 31, 4},
                               {17, 35, 4},
                               {35, 79, 4}});

struct TQuery {
  bool Exact;
  double Mass, Tolerance;
};
// Caffeine's nominal and exact mass, and a heavier nominal and exact window.
const TQuery kQueries[] = {
    {false, 194, 0}, {true, 194.080376, 0.001}, {false, 452, 0}, {true, 452.2, 0.002}};

// Every candidate tested in full, the last entry changing fastest.
int64_t LiteralOdometer(const TQuery& q, const TFormulaRec& high, std::vector<uint64_t>* keys) {
  const int32_t n = high.NumAtoms;
  long double exact[nuv::MaxFormulaEntries];
  int valence[nuv::MaxFormulaEntries];
  int cur[nuv::MaxFormulaEntries];
  for (int32_t i = 0; i < n; ++i) {
    exact[i] = nuv::ExactAtWeight(high.AtNum[i]);
    const int z = high.AtNum[i];
    valence[i] = z == 6                                                ? 2
                 : z == 7                                              ? 1
                 : (z == 1 || z == 9 || z == 17 || z == 35 || z == 53) ? -1
                                                                       : 0;
    cur[i] = high.AtCnt[i];
  }
  const int64_t nominalTarget = std::llround(q.Mass);
  int64_t found = 0;
  for (;;) {
    long double sum = 0;
    int64_t nominal = 0, balance = 2;
    for (int32_t i = 0; i < n; ++i) {
      if (q.Exact)
        sum += exact[i] * cur[i];
      else
        nominal += int64_t{high.AtWgt[i]} * cur[i];
      balance += valence[i] * cur[i];
    }
    const bool fits = q.Exact ? std::fabs(sum - q.Mass) < q.Tolerance : nominal == nominalTarget;
    if (fits && balance >= 0) {
      ++found;
      if (keys) {
        uint64_t key = 0;
        for (int32_t i = 0; i < n; ++i) key = key * 131 + cur[i];
        keys->push_back(key);
      }
    }
    int32_t k = n - 1;
    while (cur[k] == 0) {
      cur[k] = high.AtCnt[k];
      if (k-- == 0) return found;
    }
    --cur[k];
  }
}

int64_t PrunedSearch(const TQuery& q, const TFormulaRec& high, std::vector<uint64_t>* keys) {
  nuv::TFormulaSearch s;
  s.Init(q.Mass, q.Tolerance, TFormulaRec{}, high);
  TFormulaRec r;
  int64_t found = 0;
  while (q.Exact ? s.FindExact(true, r) : s.FindNominal(true, r)) {
    ++found;
    if (keys) {
      uint64_t key = 0;
      for (int32_t i = 0; i < r.NumAtoms; ++i) key = key * 131 + r.AtCnt[i];
      keys->push_back(key);
    }
  }
  return found;
}

void CheckSameSequences() {
  for (const TQuery& q : kQueries) {
    std::vector<uint64_t> literal, pruned;
    LiteralOdometer(q, kOrganic, &literal);
    PrunedSearch(q, kOrganic, &pruned);
    if (literal != pruned || literal.empty()) {
      std::fprintf(stderr, "sequences differ for mass %g: %zu literal, %zu pruned\n", q.Mass,
                   literal.size(), pruned.size());
      std::exit(1);
    }
  }
}

// found: the number of formulae the search delivers.
void LiteralOdometerRun(benchmark::State& state, const TQuery& q) {
  int64_t found = 0;
  for (auto _ : state) benchmark::DoNotOptimize(found = LiteralOdometer(q, kOrganic, nullptr));
  state.counters["found"] = static_cast<double>(found);
}

void PrunedSearchRun(benchmark::State& state, const TQuery& q, const TFormulaRec& high) {
  int64_t found = 0;
  for (auto _ : state) benchmark::DoNotOptimize(found = PrunedSearch(q, high, nullptr));
  state.counters["found"] = static_cast<double>(found);
}

// "<case>/<implementation>" as the table of pairs reads them. The literal
// odometer over a billion candidates would take minutes a call; that case
// runs without its reference.
void RegisterAll() {
  for (const TQuery& q : kQueries) {
    char name[96];
    std::snprintf(name, sizeof name, "TFormulaSearch %s %g, %%s candidates",
                  q.Exact ? "exact" : "nominal", q.Mass);
    char organic[128], wide[128];
    std::snprintf(organic, sizeof organic, name, "8.5e6");
    std::snprintf(wide, sizeof wide, name, "1.06e9");
    benchmark::RegisterBenchmark((std::string(organic) + "/nuv").c_str(), PrunedSearchRun, q,
                                 kOrganic)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string(organic) + "/literal odometer").c_str(),
                                 LiteralOdometerRun, q)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string(wide) + "/nuv").c_str(), PrunedSearchRun, q, kWide)
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  CheckSameSequences();
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
