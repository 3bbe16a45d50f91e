// The mass search of TFormulaSearch against the literal odometer, which
// tests every candidate in turn. Both must give the same sequence; the
// program stops with an error when they do not.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Nuv_cform_odometer.h"
#include "bench_common.h"
#include "nuv/Nuv_cform.h"

namespace {

using nuv::TFormulaRec;
using nuv::testing::Rec;

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

// The counts of a candidate as one number, for comparing sequences.
uint64_t Key(const TFormulaRec& r) {
  uint64_t key = 0;
  for (int32_t i = 0; i < r.NumAtoms; ++i) key = key * 131 + r.AtCnt[i];
  return key;
}

int64_t LiteralOdometer(const TQuery& q, const TFormulaRec& high, std::vector<uint64_t>* keys) {
  return nuv::testing::LiteralOdometer(q.Mass, q.Tolerance, TFormulaRec{}, high, q.Exact, true,
                                       [&](const TFormulaRec& r) {
                                         if (keys) keys->push_back(Key(r));
                                       });
}

int64_t PrunedSearch(const TQuery& q, const TFormulaRec& high, std::vector<uint64_t>* keys) {
  nuv::TFormulaSearch s;
  s.Init(q.Mass, q.Tolerance, TFormulaRec{}, high);
  TFormulaRec r;
  int64_t found = 0;
  while (q.Exact ? s.FindExact(true, r) : s.FindNominal(true, r)) {
    ++found;
    if (keys) keys->push_back(Key(r));
  }
  return found;
}

void CheckSameSequences() {
  for (const TQuery& q : kQueries) {
    std::vector<uint64_t> literal, pruned;
    LiteralOdometer(q, kOrganic, &literal);
    PrunedSearch(q, kOrganic, &pruned);
    if (literal != pruned || literal.empty()) {
      char detail[96];
      std::snprintf(detail, sizeof detail, "mass %g: %zu literal, %zu pruned", q.Mass,
                    literal.size(), pruned.size());
      bench::Fail("the search and the literal odometer differ", detail);
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
  RegisterAll();
  return bench::Main(argc, argv, CheckSameSequences);
}
