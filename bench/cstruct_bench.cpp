// Connection tables beside RDKit and Open Babel on the NCI sample (about
// 5,000 molecules of at most 63 atoms, a Kekulé V2000 SD file made at build
// time by tools/ref/cstruct_fixtures.py): reading the SD file (RDKit
// unsanitised), substructure search over loaded tables with atoms [#Z] and
// bonds - = # : (hit sets checked equal before timing), and the ring sets
// (RDKit's symmetrised SSSR without cached ring information), C60 alone.
#include <GraphMol/FileParsers/MolSupplier.h>
#include <GraphMol/MolOps.h>
#include <GraphMol/RingInfo.h>
#include <GraphMol/SmilesParse/SmilesParse.h>
#include <GraphMol/Substruct/SubstructMatch.h>
#include <openbabel/mol.h>
#include <openbabel/obconversion.h>
#include <openbabel/parsmart.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_cstruct.h"

namespace {

const std::string kSample = NUV_CSTRUCT_BENCH_SDF;
const std::string kData = std::string(NUV_SOURCE_DIR) + "/mollib/tests/data/cstruct/";

std::vector<std::unique_ptr<nuv::TCTab>> ReadOurs(const std::string& path) {
  std::vector<std::unique_ptr<nuv::TCTab>> out;
  nuv::TextFile f(path);
  f.Reset();
  while (!f.Eof()) {
    auto t = std::make_unique<nuv::TCTab>(nullptr);
    if (t->ReadFromMDLSDFile(f, nullptr)) out.push_back(std::move(t));
  }
  return out;
}

std::vector<std::unique_ptr<RDKit::ROMol>> ReadRdkit(const std::string& path) {
  std::vector<std::unique_ptr<RDKit::ROMol>> out;
  std::ifstream in(path);
  RDKit::ForwardSDMolSupplier sup(&in, false, false, false);
  while (!sup.atEnd())
    if (RDKit::ROMol* m = sup.next()) out.emplace_back(m);
  return out;
}

// The query as SMARTS: every atom [#Z], bonds - = # : (or ~), written
// depth-first with branches and ring closures as a SMILES writer does.
class TSmartsWriter {
 public:
  TSmartsWriter(const nuv::TCTab& q, bool types) : q_(q), types_(types), nodes_(q.NAtoms() + 1) {}
  std::string Run() {
    std::string s;
    for (int32_t a = 1; a <= q_.NAtoms(); ++a)
      if (!nodes_[a].seen) {
        Visit(a, 0);
        if (!s.empty()) s += '.';
        Emit(a, s);
      }
    return s;
  }

 private:
  struct TNode {
    bool seen = false;
    std::vector<std::pair<int32_t, int32_t>> children, opens;  // (atom or label, bond type)
    std::vector<int32_t> closes;
  };
  std::string Bond(int32_t type) const {
    return std::string(1, types_ ? "?-=#:"[std::clamp(type, 1, 4)] : '~');
  }
  static std::string Label(int32_t l) {
    return l < 10 ? std::to_string(l) : '%' + std::to_string(l);
  }
  void Visit(int32_t a, int32_t from) {
    nodes_[a].seen = true;
    for (int32_t k = 1; k <= q_.GetNBonds(a); ++k) {
      const int32_t b = q_.GetConnTo(a, k);
      const auto edge = std::minmax(a, b);
      if (b == from || !done_.insert(edge).second) continue;
      if (nodes_[b].seen) {
        nodes_[b].opens.emplace_back(next_label_, q_.GetTypConn(a, k));
        nodes_[a].closes.push_back(next_label_++);
      } else {
        nodes_[a].children.emplace_back(b, q_.GetTypConn(a, k));
        Visit(b, a);
      }
    }
  }
  void Emit(int32_t a, std::string& s) const {
    s += "[#" + std::to_string(q_.GetAtNum(a)) + ']';
    for (const auto& [l, type] : nodes_[a].opens) s += Bond(type) + Label(l);
    for (int32_t l : nodes_[a].closes) s += Label(l);
    const auto& kids = nodes_[a].children;
    for (std::size_t i = 0; i < kids.size(); ++i) {
      const bool branch = i + 1 < kids.size();
      s += branch ? "(" + Bond(kids[i].second) : Bond(kids[i].second);
      Emit(kids[i].first, s);
      if (branch) s += ')';
    }
  }

  const nuv::TCTab& q_;
  bool types_;
  std::vector<TNode> nodes_;
  std::set<std::pair<int32_t, int32_t>> done_;
  int32_t next_label_ = 1;
};

struct TSample {
  std::vector<std::unique_ptr<nuv::TCTab>> ours;
  std::vector<std::unique_ptr<RDKit::ROMol>> rdkit;
  std::vector<std::unique_ptr<nuv::TCTab>> queries;
  std::vector<std::unique_ptr<RDKit::ROMol>> rdkit_queries;
  std::vector<std::unique_ptr<OpenBabel::OBMol>> babel;
  std::vector<std::unique_ptr<OpenBabel::OBSmartsPattern>> babel_queries;
  std::unique_ptr<nuv::TCTab> c60;
  std::unique_ptr<RDKit::ROMol> rdkit_c60;
};

std::vector<std::unique_ptr<OpenBabel::OBMol>> ReadBabel(const std::string& path) {
  std::vector<std::unique_ptr<OpenBabel::OBMol>> out;
  std::ifstream in(path);
  OpenBabel::OBConversion conv;
  conv.SetInFormat("sdf");
  for (;;) {
    auto m = std::make_unique<OpenBabel::OBMol>();
    if (!conv.Read(m.get(), &in)) break;
    // The Kekulé bonds as written: no aromaticity perception.
    m->SetAromaticPerceived();
    out.push_back(std::move(m));
  }
  return out;
}

TSample& Sample() {
  static TSample s = [] {
    TSample r;
    r.ours = ReadOurs(kSample);
    r.rdkit = ReadRdkit(kSample);
    r.babel = ReadBabel(kSample);
    r.queries = ReadOurs(kData + "nci_queries.sdf");
    for (const auto& q : r.queries) {
      const std::string smarts = TSmartsWriter(*q, true).Run();
      r.rdkit_queries.emplace_back(RDKit::SmartsToMol(smarts));
      r.babel_queries.push_back(std::make_unique<OpenBabel::OBSmartsPattern>());
      r.babel_queries.back()->Init(smarts);
    }
    for (auto& t : ReadOurs(kData + "mols_rdkit.sdf"))
      if (t->StrucName() == "fullerene_c60") r.c60 = std::move(t);
    for (auto& m : ReadRdkit(kData + "mols_rdkit.sdf"))
      if (m->getProp<std::string>("_Name") == "fullerene_c60") r.rdkit_c60 = std::move(m);
    return r;
  }();
  return s;
}

// Totals over all queries and targets, shown beside the times.
int64_t g_hits = 0, g_babel_hits = 0, g_ring_sets_differing = 0;

void Check() {
  TSample& s = Sample();
  if (s.ours.size() != s.rdkit.size() || s.ours.size() < 4000)
    bench::Fail("read counts",
                std::to_string(s.ours.size()) + " and " + std::to_string(s.rdkit.size()));
  std::vector<uint8_t> map;
  RDKit::MatchVectType match;
  for (std::size_t q = 0; q < s.queries.size(); ++q)
    for (std::size_t i = 0; i < s.ours.size(); ++i) {
      const bool ours = s.ours[i]->SearchSubStruc(*s.queries[q], map, true);
      if (ours != RDKit::SubstructMatch(*s.rdkit[i], *s.rdkit_queries[q], match))
        bench::Fail("substructure hits",
                    s.queries[q]->StrucName() + " in " + s.ours[i]->StrucName());
    }
  if (!s.c60 || !s.rdkit_c60) bench::Fail("C60", "not in the fixtures");
  for (std::size_t q = 0; q < s.queries.size(); ++q)
    for (std::size_t i = 0; i < s.ours.size(); ++i) {
      g_hits += s.ours[i]->SearchSubStruc(*s.queries[q], map, true) ? 1 : 0;
      g_babel_hits += s.babel_queries[q]->Match(*s.babel[i], true) ? 1 : 0;
    }
  nuv::RingListType rings;
  for (std::size_t i = 0; i < s.ours.size(); ++i) {
    std::vector<std::vector<int>> theirs;
    s.rdkit[i]->getRingInfo()->reset();
    if (s.ours[i]->FindSSSR(rings) != RDKit::MolOps::symmetrizeSSSR(*s.rdkit[i], theirs))
      ++g_ring_sets_differing;
  }
}

void BM_ReadSD_nuv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadOurs(kSample).size());
  state.counters["molecules"] = static_cast<double>(Sample().ours.size());
  bench::SetTarget(state, 0.5);
}

void BM_ReadSD_rdkit(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadRdkit(kSample).size());
}

void BM_ReadSD_babel(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadBabel(kSample).size());
}

void BM_Search_nuv(benchmark::State& state) {
  TSample& s = Sample();
  std::vector<uint8_t> map;
  int64_t hits = 0;
  for (auto _ : state)
    for (const auto& q : s.queries)
      for (const auto& t : s.ours) hits += t->SearchSubStruc(*q, map, true) ? 1 : 0;
  benchmark::DoNotOptimize(hits);
  state.counters["hits"] = static_cast<double>(g_hits);
  bench::SetTarget(state, 1.0);
}

void BM_Search_rdkit(benchmark::State& state) {
  TSample& s = Sample();
  RDKit::MatchVectType match;
  int64_t hits = 0;
  for (auto _ : state)
    for (const auto& q : s.rdkit_queries)
      for (const auto& t : s.rdkit) hits += RDKit::SubstructMatch(*t, *q, match) ? 1 : 0;
  benchmark::DoNotOptimize(hits);
}

void BM_Search_babel(benchmark::State& state) {
  TSample& s = Sample();
  int64_t hits = 0;
  for (auto _ : state)
    for (const auto& q : s.babel_queries)
      for (const auto& t : s.babel) hits += q->Match(*t, true) ? 1 : 0;
  benchmark::DoNotOptimize(hits);
  state.counters["hits"] = static_cast<double>(g_babel_hits);
}

void BM_SSSR_nuv(benchmark::State& state) {
  TSample& s = Sample();
  nuv::RingListType rings;
  int64_t n = 0;
  for (auto _ : state)
    for (const auto& t : s.ours) n += t->FindSSSR(rings);
  benchmark::DoNotOptimize(n);
  state.counters["differing"] = static_cast<double>(g_ring_sets_differing);
  bench::SetTarget(state, 1.0);
}

void SymmetrisedSSSR(RDKit::ROMol& m, int64_t& n) {
  m.getRingInfo()->reset();
  std::vector<std::vector<int>> rings;
  n += RDKit::MolOps::symmetrizeSSSR(m, rings);
}

void BM_SSSR_rdkit(benchmark::State& state) {
  TSample& s = Sample();
  int64_t n = 0;
  for (auto _ : state)
    for (auto& m : s.rdkit) SymmetrisedSSSR(*m, n);
  benchmark::DoNotOptimize(n);
}

void BM_SSSR_C60_nuv(benchmark::State& state) {
  nuv::RingListType rings;
  // The target here is absolute: under 1 ms.
  for (auto _ : state) benchmark::DoNotOptimize(Sample().c60->FindSSSR(rings));
}

void BM_SSSR_C60_rdkit(benchmark::State& state) {
  int64_t n = 0;
  for (auto _ : state) SymmetrisedSSSR(*Sample().rdkit_c60, n);
  benchmark::DoNotOptimize(n);
}

}  // namespace

BENCHMARK(BM_ReadSD_nuv)->Name("ReadFromMDLSDFile/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSD_rdkit)
    ->Name("ReadFromMDLSDFile/RDKit ForwardSDMolSupplier")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSD_babel)
    ->Name("ReadFromMDLSDFile/Open Babel OBConversion")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search_nuv)->Name("SearchSubStruc/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search_rdkit)
    ->Name("SearchSubStruc/RDKit SubstructMatch")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search_babel)
    ->Name("SearchSubStruc/Open Babel OBSmartsPattern")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SSSR_nuv)->Name("FindSSSR/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SSSR_rdkit)->Name("FindSSSR/RDKit symmetrizeSSSR")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SSSR_C60_nuv)->Name("FindSSSR C60/nuv")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SSSR_C60_rdkit)
    ->Name("FindSSSR C60/RDKit symmetrizeSSSR")
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return bench::Main(argc, argv, Check); }
