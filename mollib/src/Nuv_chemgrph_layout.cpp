// TChemGraph: the layout score and the random search that improves it.
#include <array>
#include <cfloat>
#include <cmath>
#include <vector>

#include "nuv/Nuv_chemgrph.h"
#include "nuv/platform/Random.h"

namespace nuv {

namespace {

constexpr int32_t kMaxBondLength = 1000000000;

// The atoms' coordinates and bonds, as the search moves them.
class TLayout {
 public:
  TLayout(const TCTab& t, int32_t bondLength) : n_(t.NAtoms()), l_(bondLength) {
    pos_.resize(static_cast<std::size_t>(n_));
    nb_.resize(static_cast<std::size_t>(n_));
    for (int32_t a = 0; a < n_; ++a) {
      for (int32_t axis = 0; axis < 3; ++axis)
        pos_[static_cast<std::size_t>(a)][static_cast<std::size_t>(axis)] =
            static_cast<float>(t.GetCoords(a + 1, axis + 1));
      for (int32_t s = 1; s <= t.GetNBonds(a + 1); ++s) {
        const int32_t b = t.GetConnTo(a + 1, s) - 1;
        if (b < 0 || b >= n_ || b == a) continue;
        nb_[static_cast<std::size_t>(a)].push_back(b);
        bonded_[static_cast<std::size_t>(a)] |= uint64_t{1} << b;
      }
    }
  }

  int32_t Count() const { return n_; }
  std::array<float, 3>& Pos(int32_t a) { return pos_[static_cast<std::size_t>(a)]; }

  // Every pair i < j as the score is defined: a bonded pair with its
  // angles at both ends, a pair that is not bonded by its distance.
  long double Total() const {
    long double s = 0;
    for (int32_t i = 0; i < n_; ++i)
      for (int32_t j = i + 1; j < n_; ++j) {
        if (!Bonded(i, j)) {
          s += Dist(i, j);
          continue;
        }
        s += Stretch(i, j);
        for (int32_t k : Nb(i))
          if (k != j) s += Angle(j, k);
        for (int32_t k : Nb(j))
          if (k != i) s += Angle(i, k);
      }
    return s;
  }

  // The part of Total that depends on atom m: its pairs, and the angles
  // it closes at each neighbour (every angle counts once from each bond).
  long double TermsOf(int32_t m) const {
    long double s = 0;
    for (int32_t x = 0; x < n_; ++x)
      if (x != m) s += Bonded(m, x) ? Stretch(m, x) : Dist(m, x);
    for (int32_t c : Nb(m))
      for (int32_t b : Nb(c))
        if (b != m) s += 2 * Angle(m, b);
    return s;
  }

  void WriteTo(TCTab& t) const {
    for (int32_t a = 0; a < n_; ++a)
      for (int32_t axis = 0; axis < 3; ++axis)
        t.SetCoords(a + 1, axis + 1,
                    pos_[static_cast<std::size_t>(a)][static_cast<std::size_t>(axis)]);
  }

 private:
  const std::vector<int32_t>& Nb(int32_t a) const { return nb_[static_cast<std::size_t>(a)]; }
  bool Bonded(int32_t a, int32_t b) const {
    return (bonded_[static_cast<std::size_t>(a)] >> b & 1u) != 0;
  }
  long double Dist(int32_t a, int32_t b) const {
    const auto& p = pos_[static_cast<std::size_t>(a)];
    const auto& q = pos_[static_cast<std::size_t>(b)];
    const double dx = p[0] - q[0], dy = p[1] - q[1], dz = p[2] - q[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  long double Stretch(int32_t a, int32_t b) const {
    const long double d = Dist(a, b) - l_;
    return -d * d / 2;
  }
  long double Angle(int32_t a, int32_t b) const {
    const long double d = Dist(a, b) - 1.732L * l_;
    return -d * d / 2;
  }

  int32_t n_;
  int32_t l_;
  std::vector<std::array<float, 3>> pos_;
  std::vector<std::vector<int32_t>> nb_;
  std::array<uint64_t, MaxCTabAtoms> bonded_{};
};

// The runtime generator's sequence on a caller's state.
int32_t Draw(uint32_t& seed, int32_t range) {
  seed = NextRandSeed(seed);
  return static_cast<int32_t>((static_cast<uint64_t>(seed) * static_cast<uint64_t>(range)) >> 32);
}

float ToSingle(double v) {
  if (!(v >= -FLT_MAX)) return std::isnan(v) ? 0.0f : -FLT_MAX;
  return v > FLT_MAX ? FLT_MAX : static_cast<float>(v);
}

}  // namespace

long double TChemGraph::MolShapeScore(int32_t BondLength) const {
  return TLayout(*structure_, BondLength).Total();
}

void TChemGraph::OptimizeMolShape(int32_t BondLength) {
  uint32_t seed = RandSeed;
  OptimizeMolShape(BondLength, seed);
  RandSeed = seed;
}

void TChemGraph::OptimizeMolShape(int32_t BondLength, uint32_t& Seed, bool FullRescore) {
  if (!(BondLength >= 1 && BondLength <= kMaxBondLength)) return;
  TLayout lay(*structure_, BondLength);
  const int32_t n = lay.Count();
  if (n == 0) return;
  long double best = lay.Total();
  struct TMove {
    int32_t atom;
    std::array<float, 3> was;
  };
  const int32_t span = 2 * BondLength;
  for (int32_t i = 1; i <= 100 * n; ++i) {
    const double f = (110 - i) / 100.0;
    std::array<TMove, 2> moves{};
    long double delta = 0;
    const int32_t count = i % 2 == 0 ? 2 : 1;
    for (int32_t k = 0; k < count; ++k) {
      const int32_t m = Draw(Seed, n);
      const int32_t rx = Draw(Seed, span), ry = Draw(Seed, span);
      std::array<float, 3>& p = lay.Pos(m);
      moves[static_cast<std::size_t>(k)] = {m, p};
      const long double before = FullRescore ? 0 : lay.TermsOf(m);
      p[0] = ToSingle(p[0] + static_cast<double>(rx - BondLength) * f);
      p[1] = ToSingle(p[1] + static_cast<double>(ry - BondLength) * f);
      if (!FullRescore) delta += lay.TermsOf(m) - before;
    }
    const long double score = FullRescore ? lay.Total() : best + delta;
    if (FullRescore ? score >= best : delta >= 0) {
      best = score;
    } else {
      for (int32_t k = count - 1; k >= 0; --k)
        lay.Pos(moves[static_cast<std::size_t>(k)].atom) = moves[static_cast<std::size_t>(k)].was;
    }
  }
  const bool suppressed = suppress_paint_;
  suppress_paint_ = true;
  lay.WriteTo(*structure_);
  suppress_paint_ = suppressed;
  Redraw();
}

}  // namespace nuv
