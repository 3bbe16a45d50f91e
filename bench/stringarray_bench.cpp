// The string table beside a std::vector<std::string> of the same 10^6
// cells (100,000 rows of 10 columns, texts of 4 to 20 characters in mixed
// case): filling, reading, sorting the rows by a column (std::sort of the
// lowered keys for the peer), the three searches and the peak resident
// memory of the filled table; garbage collection has no counterpart. The
// associative array beside std::unordered_map for 10^5 keys.
//
// Memory is measured in this process: the kernel's peak mark is reset
// (/proc/self/clear_refs), the table is built, and the peak's growth over
// the resident size before is the table's; freed heap goes back to the
// system first, so that neither side reuses the other's pages.
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/platform/CodePage.h"

namespace {

constexpr int32_t kCols = 10;
constexpr int32_t kRows = 100000;
constexpr std::size_t kCells = std::size_t{kCols} * kRows;
constexpr int32_t kKeys = 100000;
constexpr int32_t kLookups = 1000;

// Cell (c, r), 1-based, is Texts()[(r - 1) * kCols + c - 1].
const std::vector<std::string>& Texts() {
  static const std::vector<std::string> t = [] {
    std::vector<std::string> v(kCells);
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> length(4, 20), letter(0, 51);
    for (std::string& s : v) {
      s.resize(static_cast<std::size_t>(length(rng)));
      for (char& ch : s) {
        const int l = letter(rng);
        ch = static_cast<char>(l < 26 ? 'a' + l : 'A' + l - 26);
      }
    }
    return v;
  }();
  return t;
}

std::size_t At(int32_t Col, int32_t Row) {
  return static_cast<std::size_t>(Row - 1) * kCols + static_cast<std::size_t>(Col - 1);
}

std::unique_ptr<nuv::TStringArray> FilledTable() {
  auto a = std::make_unique<nuv::TStringArray>(nullptr);
  a->Resize(kCols, kRows);
  const auto& t = Texts();
  for (int32_t r = 1; r <= kRows; ++r)
    for (int32_t c = 1; c <= kCols; ++c) a->SetElem(c, r, t[At(c, r)]);
  return a;
}

std::vector<std::string> FilledVector() {
  std::vector<std::string> v(kCells);
  const auto& t = Texts();
  for (std::size_t i = 0; i < kCells; ++i) v[i] = t[i];
  return v;
}

nuv::TStringArray& Table() {
  static const auto a = FilledTable();
  return *a;
}

const std::vector<std::string>& Vector() {
  static const std::vector<std::string> v = FilledVector();
  return v;
}

std::string Lower(std::string_view s) { return nuv::AnsiLowerCase(s); }

// The peer's sort: the rows' lowered keys of column 1, ordered by
// std::sort; the row numbers come out in key order.
std::vector<int32_t> PeerSortedRows(const std::vector<std::string>& v) {
  std::vector<std::pair<std::string, int32_t>> keys(static_cast<std::size_t>(kRows));
  for (int32_t r = 1; r <= kRows; ++r)
    keys[static_cast<std::size_t>(r - 1)] = {Lower(v[At(1, r)]), r};
  std::sort(keys.begin(), keys.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<int32_t> rows(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) rows[i] = keys[i].second;
  return rows;
}

// Queries of the sorted search: texts of the column, spread over it.
std::vector<std::string> Queries() {
  std::vector<std::string> q;
  for (int32_t i = 0; i < kLookups; ++i) q.push_back(Texts()[At(1, 1 + i * (kRows / kLookups))]);
  return q;
}

// A table whose column 1 is sorted and committed, and the peer's lowered
// keys in the same order.
nuv::TStringArray& SortedTable() {
  static const auto a = [] {
    auto t = FilledTable();
    t->Sort(1, 0, true);
    t->CommitSorting();
    return t;
  }();
  return *a;
}

const std::vector<std::string>& SortedKeys() {
  static const std::vector<std::string> k = [] {
    std::vector<std::string> keys;
    for (const int32_t r : PeerSortedRows(Vector())) keys.push_back(Lower(Vector()[At(1, r)]));
    return keys;
  }();
  return k;
}

int32_t PeerSortedSearch(const std::string& q) {
  const std::string key = Lower(q);
  const auto& k = SortedKeys();
  const auto it = std::lower_bound(k.begin(), k.end(), key);
  return it != k.end() && *it == key ? static_cast<int32_t>(it - k.begin()) + 1 : 0;
}

int32_t NuvSortedSearch(const std::string& q) {
  int32_t row = 0;
  return SortedTable().FindCellInSortedColumn(q, false, 1, -1, -1, true, row) ? row : 0;
}

// The first cell, row by row, containing or equal to s; 0 when none.
template <bool Exact>
std::size_t PeerFind(const std::string& s) {
  const auto& v = Vector();
  for (std::size_t i = 0; i < v.size(); ++i)
    if (Exact ? v[i] == s : v[i].find(s) != std::string::npos) return i + 1;
  return 0;
}

template <bool Exact>
std::size_t NuvFind(const std::string& s) {
  int32_t c = 0, r = 0;
  const bool ok = Exact ? Table().FindCellExact(s, true, 1, kCols, -1, -1, c, r)
                        : Table().FindCell(s, true, 1, kCols, -1, -1, c, r);
  return ok ? At(c, r) + 1 : 0;
}

// Near the end, so that the searches pass almost every cell.
const std::string& LateText() { return Texts()[kCells - 3]; }

// ---- associative arrays

const std::vector<std::string>& Keys() {
  static const std::vector<std::string> k = [] {
    std::vector<std::string> v;
    std::mt19937 rng(12);
    for (int32_t i = 0; i < kKeys; ++i) v.push_back("key" + std::to_string(rng()));
    return v;
  }();
  return k;
}

std::unique_ptr<nuv::TAssocArray> FilledAssoc() {
  auto a = std::make_unique<nuv::TAssocArray>(nullptr);
  a->SetIgnoreCase(false);
  for (int32_t i = 0; i < kKeys; ++i) a->Add(Keys()[static_cast<std::size_t>(i)], i);
  return a;
}

std::unordered_map<std::string, nuv::Variant> FilledMap() {
  std::unordered_map<std::string, nuv::Variant> m;
  for (int32_t i = 0; i < kKeys; ++i)
    m.insert_or_assign(Keys()[static_cast<std::size_t>(i)], nuv::Variant(i));
  return m;
}

// ---- memory

int64_t StatusKilobytes(const char* field) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind(field, 0) == 0) return std::stoll(line.substr(std::string_view(field).size()));
  return -1;
}

// The growth of the peak resident size while build() holds its object.
template <class F>
int64_t PeakGrowth(const F& build) {
  malloc_trim(0);
  std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (f == nullptr || std::fputs("5", f) < 0)
    bench::Fail("memory measurement", "cannot reset the peak");
  std::fclose(f);
  const int64_t before = StatusKilobytes("VmRSS:");
  int64_t peak = 0;
  {
    const auto object = build();
    benchmark::DoNotOptimize(object);
    peak = StatusKilobytes("VmHWM:");
  }
  malloc_trim(0);
  return (peak - before) * 1024;
}

// ---- checks

void CheckSameResults() {
  const auto& a = Table();
  const auto& v = Vector();
  for (int32_t r = 1; r <= kRows; ++r)
    for (int32_t c = 1; c <= kCols; ++c)
      if (a.ElemView(c, r) != v[At(c, r)]) bench::Fail("fill", "a cell differs");
  auto sorted = FilledTable();
  sorted->Sort(1, 0, true);
  const std::vector<int32_t> peerRows = PeerSortedRows(v);
  for (int32_t r = 1; r <= kRows; ++r)
    if (Lower(sorted->ElemView(1, r)) != Lower(v[At(1, peerRows[static_cast<std::size_t>(r - 1)])]))
      bench::Fail("sort", "the keys come in another order");
  for (const std::string& q : Queries())
    if (NuvSortedSearch(q) != PeerSortedSearch(q)) bench::Fail("sorted search", q);
  if (NuvFind<false>(LateText()) != PeerFind<false>(LateText()) ||
      NuvFind<true>(LateText()) != PeerFind<true>(LateText()) || NuvFind<true>(LateText()) == 0)
    bench::Fail("search", LateText());
  const auto assoc = FilledAssoc();
  const auto map = FilledMap();
  for (const std::string& k : Keys())
    if (!(assoc->Resolve(k) == map.at(k))) bench::Fail("associative array", k);
}

// ---- the string table

void FillNuv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(FilledTable());
  bench::SetTarget(state, 1.5);
}

void FillPeer(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(FilledVector());
}

void ReadNuv(benchmark::State& state) {
  const auto& a = Table();
  for (auto _ : state) {
    std::size_t n = 0;
    for (int32_t r = 1; r <= kRows; ++r)
      for (int32_t c = 1; c <= kCols; ++c) {
        const std::string s = a.Elem(c, r);
        n += s.size();
        benchmark::DoNotOptimize(s.data());
      }
    benchmark::DoNotOptimize(n);
  }
  bench::SetTarget(state, 1.5);
}

void ReadPeer(benchmark::State& state) {
  const auto& v = Vector();
  for (auto _ : state) {
    std::size_t n = 0;
    for (int32_t r = 1; r <= kRows; ++r)
      for (int32_t c = 1; c <= kCols; ++c) {
        const std::string s = v[At(c, r)];
        n += s.size();
        benchmark::DoNotOptimize(s.data());
      }
    benchmark::DoNotOptimize(n);
  }
}

void GarbageCollectionNuv(benchmark::State& state) {
  auto a = FilledTable();
  // Every fourth cell overwritten by a longer text leaves garbage behind.
  for (int32_t r = 1; r <= kRows; r += 2)
    for (int32_t c = 1; c <= kCols; c += 2) a->SetElem(c, r, a->Elem(c, r) + "xxxx");
  for (auto _ : state) a->GarbageCollection();
}

void SortNuv(benchmark::State& state) {
  auto& a = Table();
  for (auto _ : state) {
    a.UnSort();
    a.Sort(1, 0, true);
  }
  a.UnSort();
  bench::SetTarget(state, 3);
}

void SortPeer(benchmark::State& state) {
  const auto& v = Vector();
  for (auto _ : state) benchmark::DoNotOptimize(PeerSortedRows(v));
}

template <bool Exact>
void FindNuv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(NuvFind<Exact>(LateText()));
}

template <bool Exact>
void FindPeer(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(PeerFind<Exact>(LateText()));
}

void SortedSearchNuv(benchmark::State& state) {
  const auto queries = Queries();
  for (auto _ : state)
    for (const std::string& q : queries) benchmark::DoNotOptimize(NuvSortedSearch(q));
}

void SortedSearchPeer(benchmark::State& state) {
  const auto queries = Queries();
  for (auto _ : state)
    for (const std::string& q : queries) benchmark::DoNotOptimize(PeerSortedSearch(q));
}

// The table's peak against the vector's, which stands in the raw-data
// column of the memory table: the ratio is ours over the peer's.
void MemoryNuv(benchmark::State& state) {
  Texts();
  int64_t ours = 0, peer = 0;
  for (auto _ : state) {
    peer = PeakGrowth([] { return std::make_unique<std::vector<std::string>>(FilledVector()); });
    ours = PeakGrowth(FilledTable);
  }
  state.counters["peak_bytes"] = static_cast<double>(ours);
  state.counters["raw_bytes"] = static_cast<double>(peer);
  bench::SetTarget(state, 0.5);
}

// ---- the associative array

void AssocAddNuv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(FilledAssoc());
  bench::SetTarget(state, 2);
}

void AssocAddPeer(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(FilledMap());
}

void AssocResolveNuv(benchmark::State& state) {
  const auto a = FilledAssoc();
  for (auto _ : state)
    for (const std::string& k : Keys()) benchmark::DoNotOptimize(a->Resolve(k));
  bench::SetTarget(state, 2);
}

void AssocResolvePeer(benchmark::State& state) {
  const auto m = FilledMap();
  for (auto _ : state)
    for (const std::string& k : Keys()) {
      const nuv::Variant v = m.find(k)->second;
      benchmark::DoNotOptimize(v);
    }
}

#define NUV_PAIR(Case, Nuv, Peer, PeerName)                         \
  BENCHMARK(Nuv)->Name(Case "/nuv")->Unit(benchmark::kMillisecond); \
  BENCHMARK(Peer)->Name(Case "/" PeerName)->Unit(benchmark::kMillisecond)

NUV_PAIR("StringArray fill 10^6 cells", FillNuv, FillPeer, "std::vector<std::string>");
NUV_PAIR("StringArray read 10^6 cells", ReadNuv, ReadPeer, "std::vector<std::string>");
NUV_PAIR("StringArray sort 10^5 rows", SortNuv, SortPeer, "std::sort");
NUV_PAIR("StringArray FindCell 10^6 cells", FindNuv<false>, FindPeer<false>,
         "std::vector<std::string>");
NUV_PAIR("StringArray FindCellExact 10^6 cells", FindNuv<true>, FindPeer<true>,
         "std::vector<std::string>");
NUV_PAIR("StringArray sorted search 10^3 x 10^5 rows", SortedSearchNuv, SortedSearchPeer,
         "std::lower_bound");
NUV_PAIR("AssocArray Add 10^5 keys", AssocAddNuv, AssocAddPeer, "std::unordered_map");
NUV_PAIR("AssocArray Resolve 10^5 keys", AssocResolveNuv, AssocResolvePeer, "std::unordered_map");
BENCHMARK(GarbageCollectionNuv)
    ->Name("StringArray GarbageCollection 10^6 cells/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MemoryNuv)
    ->Name("StringArray 10^6 cells peak resident (raw = std::vector<std::string>)/nuv")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
