// Rings of TCTab: the cyclomatic number, the shortest rings through an
// atom and the smallest set of smallest rings.
//
// The shortest rings through an atom are those a depth-first search along
// the bonds finds when it keeps the rings of the smallest length met so
// far. Searching every path is exponential (a fullerene never finishes), so
// a breadth-first search first finds that smallest length and the
// depth-first search goes no deeper: the same rings in the same order.
#include <algorithm>
#include <bit>
#include <set>
#include <vector>

#include "nuv/Nuv_cstruct.h"

namespace nuv {

namespace {

uint64_t Bit(int32_t a) { return uint64_t{1} << a; }

uint64_t RingMask(const RingType& r) {
  uint64_t m = 0;
  for (int32_t i = 1; i <= r[0]; ++i) m |= Bit(r[static_cast<std::size_t>(i)]);
  return m;
}

bool AddRing(RingListType& list, const RingType& r) {
  if (list.NRings >= MaxRingsInList) return false;
  list.Rings[static_cast<std::size_t>(list.NRings++)] = r;
  return true;
}

// The bonds of a table as adjacency lists (neighbours in slot order).
struct TGraph {
  explicit TGraph(const TCTab& t) : n(t.NAtoms()) {
    for (int32_t a = 1; a <= n; ++a) {
      const CTElem e = t.GetAtomEntries(a);
      for (std::size_t s = 0; s < MaxCTabConn && e.Conn[s] != 0; ++s)
        if (e.Conn[s] <= n && e.Conn[s] != a)
          nb[static_cast<std::size_t>(a)][deg[static_cast<std::size_t>(a)]++] = e.Conn[s];
    }
  }
  int32_t Deg(int32_t a) const { return deg[static_cast<std::size_t>(a)]; }
  int32_t Nb(int32_t a, int32_t s) const {
    return nb[static_cast<std::size_t>(a)][static_cast<std::size_t>(s)];
  }
  // Slot of b among a's neighbours, -1 if none.
  int32_t SlotOf(int32_t a, int32_t b) const {
    for (int32_t s = 0; s < Deg(a); ++s)
      if (Nb(a, s) == b) return s;
    return -1;
  }
  // Bonds − atoms + fragments.
  int32_t CycleRank() const {
    int32_t ends = 0;
    for (int32_t a = 1; a <= n; ++a) ends += Deg(a);
    uint64_t seen = 0;
    int32_t parts = 0;
    for (int32_t a = 1; a <= n; ++a) {
      if (seen & Bit(a)) continue;
      ++parts;
      uint64_t front = Bit(a);
      while (front != 0) {
        const int32_t b = std::countr_zero(front);
        front &= front - 1;
        seen |= Bit(b);
        for (int32_t s = 0; s < Deg(b); ++s)
          if (!(seen & Bit(Nb(b, s)))) front |= Bit(Nb(b, s));
      }
    }
    return ends / 2 - n + parts;
  }

  int32_t n;
  std::array<uint8_t, MaxCTabAtoms + 1> deg{};
  std::array<std::array<uint8_t, MaxCTabConn>, MaxCTabAtoms + 1> nb{};
};

// Edge sets of rings as bit vectors, reduced to a GF(2) basis, to tell
// whether a ring is independent of those already taken.
class TCycleSpace {
 public:
  static constexpr std::size_t kWords = (MaxCTabAtoms * MaxCTabConn / 2 + 63) / 64;
  using TVec = std::array<uint64_t, kWords>;

  explicit TCycleSpace(const TGraph& g) : g_(g) {
    int16_t next = 0;
    for (int32_t a = 1; a <= g.n; ++a)
      for (int32_t s = 0; s < g.Deg(a); ++s) {
        const int32_t b = g.Nb(a, s);
        if (b > a) {
          id_[static_cast<std::size_t>(a)][static_cast<std::size_t>(s)] = next;
          id_[static_cast<std::size_t>(b)][static_cast<std::size_t>(g.SlotOf(b, a))] = next++;
        }
      }
  }
  // The ring's bonds; all zero when a bond is missing.
  TVec Edges(const RingType& r) const {
    TVec v{};
    const int32_t n = r[0];
    for (int32_t i = 1; i <= n; ++i) {
      const int32_t a = r[static_cast<std::size_t>(i)];
      const int32_t s = g_.SlotOf(a, r[static_cast<std::size_t>(i == n ? 1 : i + 1)]);
      if (s < 0) return TVec{};
      const int16_t e = id_[static_cast<std::size_t>(a)][static_cast<std::size_t>(s)];
      v[static_cast<std::size_t>(e) / 64] ^= uint64_t{1} << (e % 64);
    }
    return v;
  }
  int32_t Rank() const { return static_cast<int32_t>(basis_.size()); }
  bool Independent(TVec v) const { return Reduce(v) != kWords; }
  // Adds v when it is independent; true then.
  bool Insert(TVec v) {
    const std::size_t w = Reduce(v);
    if (w == kWords) return false;
    basis_.emplace_back(w * 64 + static_cast<std::size_t>(std::countr_zero(v[w])), v);
    return true;
  }

 private:
  // Reduces v by the basis; the first non-zero word, kWords when v is 0.
  std::size_t Reduce(TVec& v) const {
    for (const auto& [pivot, row] : basis_)
      if (v[pivot / 64] >> (pivot % 64) & 1)
        for (std::size_t w = 0; w < kWords; ++w) v[w] ^= row[w];
    for (std::size_t w = 0; w < kWords; ++w)
      if (v[w] != 0) return w;
    return kWords;
  }

  const TGraph& g_;
  std::array<std::array<int16_t, MaxCTabConn>, MaxCTabAtoms + 1> id_{};
  std::vector<std::pair<std::size_t, TVec>> basis_;
};

// Breadth-first distances and parents from Root.
void ShortestPathTree(const TGraph& g, int32_t Root, std::array<int8_t, 64>& dist,
                      std::array<uint8_t, 64>& parent) {
  dist.fill(-1);
  parent.fill(0);
  std::array<uint8_t, 64> queue{};
  std::size_t head = 0, tail = 0;
  dist[static_cast<std::size_t>(Root)] = 0;
  queue[tail++] = static_cast<uint8_t>(Root);
  while (head < tail) {
    const int32_t a = queue[head++];
    for (int32_t s = 0; s < g.Deg(a); ++s) {
      const int32_t b = g.Nb(a, s);
      if (dist[static_cast<std::size_t>(b)] >= 0) continue;
      dist[static_cast<std::size_t>(b)] =
          static_cast<int8_t>(dist[static_cast<std::size_t>(a)] + 1);
      parent[static_cast<std::size_t>(b)] = static_cast<uint8_t>(a);
      queue[tail++] = static_cast<uint8_t>(b);
    }
  }
}

// Length of the shortest ring through Start, 0 when there is none: the
// shortest closed path of two tree paths that leave Start by different
// bonds, found breadth-first and no further than it can still shrink.
int32_t ShortestRingLength(const TGraph& g, int32_t Start) {
  std::array<int8_t, 64> dist;
  dist.fill(-1);
  std::array<uint8_t, 64> branch{}, queue{};
  std::size_t head = 0, tail = 0;
  dist[static_cast<std::size_t>(Start)] = 0;
  for (int32_t s = 0; s < g.Deg(Start); ++s) {
    const auto b = static_cast<std::size_t>(g.Nb(Start, s));
    dist[b] = 1;
    branch[b] = static_cast<uint8_t>(b);
    queue[tail++] = static_cast<uint8_t>(b);
  }
  int32_t best = 0;
  while (head < tail) {
    const int32_t a = queue[head++];
    const int32_t da = dist[static_cast<std::size_t>(a)];
    if (best != 0 && 2 * da >= best) break;
    for (int32_t s = 0; s < g.Deg(a); ++s) {
      const auto b = static_cast<std::size_t>(g.Nb(a, s));
      if (b == static_cast<std::size_t>(Start)) continue;
      if (dist[b] < 0) {
        dist[b] = static_cast<int8_t>(da + 1);
        branch[b] = branch[static_cast<std::size_t>(a)];
        queue[tail++] = static_cast<uint8_t>(b);
      } else if (branch[b] != branch[static_cast<std::size_t>(a)]) {
        const int32_t len = da + dist[b] + 1;
        if (best == 0 || len < best) best = len;
      }
    }
  }
  return best;
}

// Depth-first search for the rings of exactly Len atoms through Start, in
// the order in which the search meets them.
class TRingSearch {
 public:
  TRingSearch(const TGraph& g, int32_t Start, int32_t Len, RingListType& Rings)
      : g_(g), start_(Start), len_(Len), rings_(Rings) {}
  void Run() {
    path_[0] = static_cast<uint8_t>(start_);
    on_path_ = Bit(start_);
    Extend(1);
  }

 private:
  void Extend(int32_t k) {
    const int32_t cur = path_[static_cast<std::size_t>(k - 1)];
    for (int32_t s = 0; s < g_.Deg(cur); ++s) {
      const int32_t b = g_.Nb(cur, s);
      if (b == start_) {
        if (k == len_ && k >= 3) Found(k);
      } else if (!(on_path_ & Bit(b)) && k < len_) {
        path_[static_cast<std::size_t>(k)] = static_cast<uint8_t>(b);
        on_path_ |= Bit(b);
        Extend(k + 1);
        on_path_ &= ~Bit(b);
      }
    }
  }
  void Found(int32_t k) {
    RingType r{};
    r[0] = static_cast<uint8_t>(k);
    std::copy(path_.begin(), path_.begin() + k, r.begin() + 1);
    if (!RingInRingList(r, rings_)) AddRing(rings_, r);
  }

  const TGraph& g_;
  int32_t start_, len_;
  RingListType& rings_;
  std::array<uint8_t, 64> path_{};
  uint64_t on_path_ = 0;
};

int32_t ShortestRings(const TGraph& g, int32_t Atom, RingListType& Rings) {
  Rings.NRings = 0;
  const int32_t len = ShortestRingLength(g, Atom);
  if (len > 0) TRingSearch(g, Atom, len, Rings).Run();
  return Rings.NRings;
}

// Candidate rings for completing a ring basis: for every root and bond, the
// two shortest paths from the root to the bond's ends closed by the bond,
// where they meet only at the root; shortest first, each bond set once.
std::vector<RingType> BasisCandidates(const TGraph& g, const TCycleSpace& space) {
  std::vector<RingType> out;
  std::set<TCycleSpace::TVec> seen;
  std::array<int8_t, 64> dist{};
  std::array<uint8_t, 64> parent{};
  std::vector<uint8_t> px, py;
  for (int32_t r = 1; r <= g.n; ++r) {
    ShortestPathTree(g, r, dist, parent);
    for (int32_t x = 1; x <= g.n; ++x)
      for (int32_t s = 0; s < g.Deg(x); ++s) {
        const int32_t y = g.Nb(x, s);
        if (y < x || dist[static_cast<std::size_t>(x)] < 0 ||
            parent[static_cast<std::size_t>(x)] == y || parent[static_cast<std::size_t>(y)] == x)
          continue;
        px.clear();
        py.clear();
        uint64_t mx = 0, my = 0;
        for (int32_t a = x; a != r; a = parent[static_cast<std::size_t>(a)]) {
          px.push_back(static_cast<uint8_t>(a));
          mx |= Bit(a);
        }
        for (int32_t a = y; a != r; a = parent[static_cast<std::size_t>(a)]) {
          py.push_back(static_cast<uint8_t>(a));
          my |= Bit(a);
        }
        if ((mx & my) != 0) continue;
        RingType ring{};
        std::size_t k = 1;
        ring[k++] = static_cast<uint8_t>(r);
        for (auto it = px.rbegin(); it != px.rend(); ++it) ring[k++] = *it;
        for (auto a : py) ring[k++] = a;
        ring[0] = static_cast<uint8_t>(k - 1);
        if (seen.insert(space.Edges(ring)).second) out.push_back(ring);
      }
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const RingType& a, const RingType& b) { return a[0] < b[0]; });
  return out;
}

// Completes Rings to a ring basis from the candidates, shortest first, and
// takes, up to the length that completes it, every candidate that no set
// of shorter rings adds up to (rings as equivalent as those taken, as the
// faces of a fullerene).
void CompleteRingBasis(const TGraph& g, TCycleSpace& space, int32_t need, RingListType& Rings) {
  const auto cands = BasisCandidates(g, space);
  TCycleSpace shorter(g);
  std::vector<TCycleSpace::TVec> have;
  for (int32_t i = 0; i < Rings.NRings; ++i)
    have.push_back(space.Edges(Rings.Rings[static_cast<std::size_t>(i)]));
  for (std::size_t first = 0; first < cands.size() && space.Rank() < need;) {
    std::size_t end = first;
    while (end < cands.size() && cands[end][0] == cands[first][0]) ++end;
    for (std::size_t i = first; i < end; ++i) {
      const auto v = space.Edges(cands[i]);
      if (!shorter.Independent(v) || std::find(have.begin(), have.end(), v) != have.end()) continue;
      space.Insert(v);
      if (!AddRing(Rings, cands[i])) return;
      have.push_back(v);
    }
    for (std::size_t i = first; i < end; ++i) shorter.Insert(space.Edges(cands[i]));
    first = end;
  }
}

}  // namespace

bool RingInRingList(const RingType& Ring, const RingListType& List) {
  const uint64_t m = RingMask(Ring);
  for (int32_t i = 0; i < std::clamp(List.NRings, 0, MaxRingsInList); ++i)
    if ((RingMask(List.Rings[static_cast<std::size_t>(i)]) & m) == m) return true;
  return false;
}

int32_t TCTab::RingsInMolecule() const { return TGraph(*this).CycleRank(); }

int32_t TCTab::FindShortestRings(int32_t Atom, RingListType& Rings) const {
  Rings.NRings = 0;
  return Valid(Atom) ? ShortestRings(TGraph(*this), Atom, Rings) : 0;
}

int32_t TCTab::FindSSSR(RingListType& Rings) const {
  Rings.NRings = 0;
  const TGraph g(*this);
  const int32_t need = g.CycleRank();
  if (need <= 0) return 0;
  // Atoms left after chains are cut off: the only ones on rings.
  std::array<uint8_t, 64> deg = g.deg;
  uint64_t chain = 0;
  for (bool cut = true; cut;) {
    cut = false;
    for (int32_t a = 1; a <= g.n; ++a)
      if (!(chain & Bit(a)) && deg[static_cast<std::size_t>(a)] <= 1) {
        chain |= Bit(a);
        for (int32_t s = 0; s < g.Deg(a); ++s) --deg[static_cast<std::size_t>(g.Nb(a, s))];
        cut = true;
      }
  }
  uint64_t marked = chain;
  RingListType here;
  TCycleSpace space(g);
  for (int32_t a = 1; a <= g.n; ++a) {
    if (marked & Bit(a)) continue;
    ShortestRings(g, a, here);
    for (int32_t i = 0; i < here.NRings; ++i) {
      const RingType& r = here.Rings[static_cast<std::size_t>(i)];
      if (RingInRingList(r, Rings) || !AddRing(Rings, r)) continue;
      space.Insert(space.Edges(r));
      for (int32_t k = 1; k <= r[0]; ++k)
        if (g.Deg(r[static_cast<std::size_t>(k)]) <= 2)
          marked |= Bit(r[static_cast<std::size_t>(k)]);
    }
  }
  if (space.Rank() < need && Rings.NRings < MaxRingsInList)
    CompleteRingBasis(g, space, need, Rings);
  return Rings.NRings;
}

}  // namespace nuv
