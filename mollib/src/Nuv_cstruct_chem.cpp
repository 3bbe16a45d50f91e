// Hydrogen counts, formula and weight, attributes, fragment codes and
// functional-group counts of TCTab.
#include <algorithm>
#include <cstdlib>
#include <functional>

#include "nuv/Nuv_cstruct.h"

namespace nuv {

namespace {

enum : int32_t {
  zH = 1,
  zB = 5,
  zC = 6,
  zN = 7,
  zO = 8,
  zF = 9,
  zSi = 14,
  zP = 15,
  zS = 16,
  zCl = 17,
  zGe = 32,
  zBr = 35,
  zI = 53
};

int32_t StandardValence(int32_t z) {
  switch (z) {
    case zH:
    case zF:
    case zCl:
    case zBr:
    case zI:
      return 1;
    case zO:
    case zS:
      return 2;
    case zB:
    case zN:
    case zP:
      return 3;
    case zC:
    case zSi:
    case zGe:
      return 4;
    default:
      return 0;
  }
}

// The valence that a charge leaves: N+ and O+ bind one more, C+ and C- one
// fewer, B- one more.
int32_t ChargedValence(int32_t z, int32_t charge) {
  const int32_t v = StandardValence(z);
  switch (z) {
    case zN:
    case zP:
    case zO:
    case zS:
    case zF:
    case zCl:
    case zBr:
    case zI:
      return v + charge;
    case zC:
    case zSi:
    case zGe:
      return v - std::abs(charge);
    case zB:
      return v - charge;
    default:
      return v;
  }
}

// Mass number of an atom; an unset weight is the element's nominal mass.
int32_t MassOf(const CTElem& e) { return e.AtWeight != 0 ? e.AtWeight : IntAtWeight(e.AtNum); }

// Formula order: C, H, N, O, S, P, F, Cl, Br, I, then the rest.
int32_t FormulaRank(int32_t z) {
  constexpr int32_t order[] = {zC, zH, zN, zO, zS, zP, zF, zCl, zBr, zI};
  const auto* p = std::find(std::begin(order), std::end(order), z);
  return static_cast<int32_t>(p - std::begin(order));
}

}  // namespace

// ---------------------------------------------------------------------------
// Hydrogens, formula, weight

// With S the bond order sum (aromatic bonds counting 1), Ar 1 for an atom
// with aromatic bonds, E its explicit hydrogens and V the valence after the
// charge (ChargedValence): V + E − S − Ar when S + Ar < V, else E, plus 1
// for phosphorus with S = 4, minus 1 for the nitrogen of an uncharged
// terminal C≡N carbon (whose own count would add that hydrogen). A pyrrole
// N–H written with aromatic bonds therefore counts no hydrogen.
int32_t TCTab::NrHAtoms(int32_t Atom) const {
  if (!Valid(Atom) || At(Atom).AtNum == zH) return 0;
  const CTElem& e = At(Atom);
  int32_t s = 0, ar = 0, expl = 0;
  bool nitrile = false;
  for (std::size_t i = 0; i < MaxCTabConn && e.Conn[i] != 0; ++i) {
    const int32_t t = e.BondType[i];
    s += t == 4 ? 1 : t;
    ar = t == 4 ? 1 : ar;
    if (!Valid(e.Conn[i])) continue;
    const CTElem& o = At(e.Conn[i]);
    expl += o.AtNum == zH ? 1 : 0;
    nitrile = nitrile || (t == 3 && o.AtNum == zC && o.Charge == 0 && GetNBonds(e.Conn[i]) == 1);
  }
  const int32_t v = ChargedValence(e.AtNum, e.Charge);
  if (s + ar < v) return v + expl - s - ar;
  if (e.AtNum == zP && s == 4) return expl + 1;
  if (e.AtNum == zN && nitrile) return expl - 1;
  return expl;
}

int32_t TCTab::CalcMissingH() const {
  int32_t n = 0;
  for (int32_t a = 1; a <= natoms_; ++a) n += NrHAtoms(a);
  return n;
}

namespace {

// Hydrogens not present as atoms of the table.
int32_t ImplicitH(const TCTab& t) {
  int32_t n = 0;
  for (int32_t a = 1; a <= t.NAtoms(); ++a) {
    if (t.GetAtNum(a) == zH) continue;
    int32_t expl = 0;
    for (int32_t s = 1; s <= t.GetNBonds(a); ++s)
      expl += t.GetAtNum(t.GetConnTo(a, s)) == zH ? 1 : 0;
    n += t.NrHAtoms(a) - expl;
  }
  return n;
}

}  // namespace

bool TCTab::CalcMolecularFormula(TFormulaRec& Formula) const {
  struct TPair {
    int32_t z, w, n;
  };
  std::vector<TPair> pairs;
  auto add = [&](int32_t z, int32_t w, int32_t n) {
    for (auto& p : pairs)
      if (p.z == z && p.w == w) {
        p.n += n;
        return;
      }
    pairs.push_back({z, w, n});
  };
  const int32_t h = ImplicitH(*this);
  if (h > 0) add(zH, IntAtWeight(zH), h);
  for (int32_t a = 1; a <= natoms_; ++a)
    if (At(a).AtNum >= 1) add(At(a).AtNum, MassOf(At(a)), 1);
  if (pairs.size() > MaxFormulaEntries) return false;
  std::stable_sort(pairs.begin(), pairs.end(), [](const TPair& a, const TPair& b) {
    return FormulaRank(a.z) < FormulaRank(b.z);
  });
  TFormulaRec f;
  f.NumAtoms = static_cast<int32_t>(pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    f.AtNum[i] = static_cast<uint8_t>(pairs[i].z);
    f.AtWgt[i] = static_cast<uint16_t>(pairs[i].w);
    f.AtCnt[i] = static_cast<uint16_t>(pairs[i].n);
  }
  Formula = f;
  return true;
}

long double TCTab::CalcChemMolWeight() const {
  long double w = ImplicitH(*this) * ChemAtWeight(zH);
  for (int32_t a = 1; a <= natoms_; ++a) {
    const CTElem& e = At(a);
    if (e.AtNum == 0) continue;
    const long double chem = ChemAtWeight(e.AtNum);
    const bool labelled = e.AtWeight != 0 && e.AtWeight != IntAtWeight(e.AtNum);
    w += labelled || chem == 0 ? static_cast<long double>(MassOf(e)) : chem;
  }
  return w;
}

// ---------------------------------------------------------------------------
// Attributes

int32_t TCTab::CalcAttributes() {
  for (auto& a : atoms_) a.Attrib = 0;
  RingListType rings;
  const int32_t n = FindSSSR(rings);
  for (int32_t i = 0; i < n; ++i) {
    const RingType& r = rings.Rings[static_cast<std::size_t>(i)];
    const uint8_t bits = r[0] == 5   ? atRing | atRing5
                         : r[0] == 6 ? atRing | atRing6
                                     : atRing | atRingOther;
    for (int32_t k = 1; k <= r[0]; ++k) {
      uint8_t& attr = At(r[static_cast<std::size_t>(k)]).Attrib;
      if (attr & (atRing | atRing5 | atRing6 | atRingOther)) attr |= atMultiRing;
      attr |= bits;
    }
  }
  for (int32_t a = 1; a <= natoms_; ++a) {
    uint8_t& attr = At(a).Attrib;
    if (attr == 0) attr = GetNBonds(a) == 1 ? atChainEnd | atChain : atChain;
    if (GetNBonds(a) > 2) attr |= atBranch;
  }
  Changed();
  return n;
}

// ---------------------------------------------------------------------------
// Fragment codes and counts

namespace {

constexpr int32_t kCodeElems[] = {zH, zB, zC, zN, zO, zF, zSi, zP, zS, zCl, 33, zBr, 50, zI};

// 1..14, 0 when not coded.
int32_t CodeIndex(int32_t z) {
  const auto* p = std::find(std::begin(kCodeElems), std::end(kCodeElems), z);
  return p == std::end(kCodeElems) ? 0 : static_cast<int32_t>(p - std::begin(kCodeElems)) + 1;
}

}  // namespace

int32_t TCTab::FragmentCode(int32_t Atom, int32_t& NNext) const {
  NNext = 0;
  if (!Valid(Atom)) return -1;
  const CTElem& e = At(Atom);
  const int32_t n = GetNBonds(Atom);
  const int32_t centre = CodeIndex(e.AtNum);
  if (centre == 0) return -1;
  for (int32_t i = 0; i < n; ++i)
    if (CodeIndex(GetAtNum(e.Conn[static_cast<std::size_t>(i)])) == 0) return -1;
  if (n > 4) return -2;
  std::array<int32_t, 4> v{};
  for (int32_t i = 0; i < n; ++i) {
    const int32_t b = e.Conn[static_cast<std::size_t>(i)];
    v[static_cast<std::size_t>(i)] =
        4 * CodeIndex(GetAtNum(b)) + e.BondType[static_cast<std::size_t>(i)] % 4;
    NNext += GetNBonds(b) - 1;
  }
  std::sort(v.begin(), v.end(), std::greater<>());
  int32_t code = centre;
  for (std::size_t i = 0; i < 4; ++i) code |= v[i] << (4 + 6 * i);
  return code;
}

std::string FragmentStr(int32_t Code) {
  if (Code < 0) return "ERROR";
  auto symbol = [](int32_t ix) {
    return ix >= 1 && ix <= 14 ? CElemSymb(kCodeElems[ix - 1]) : std::string("?");
  };
  std::string s = symbol(Code & 15);
  for (int32_t i = 0; i < 4; ++i) {
    const int32_t v = (Code >> (4 + 6 * i)) & 63;
    if (v == 0) continue;
    s += v % 4 == 0 ? '4' : static_cast<char>('0' + v % 4);
    s += symbol(v / 4);
  }
  return s;
}

namespace {

// Neighbour view of one atom for the group rules.
struct TNb {
  int32_t atom, type, z, degree;
};

class TGroupRules {
 public:
  explicit TGroupRules(const TCTab& t) : t_(t) {}

  std::vector<TNb> Nbs(int32_t a) const {
    std::vector<TNb> r;
    for (int32_t s = 1; s <= t_.GetNBonds(a); ++s) {
      const int32_t b = t_.GetConnTo(a, s);
      r.push_back({b, t_.GetTypConn(a, s), t_.GetAtNum(b), t_.GetNBonds(b)});
    }
    return r;
  }
  int32_t Count(const std::vector<TNb>& nb, int32_t z, int32_t type) const {
    return static_cast<int32_t>(std::count_if(
        nb.begin(), nb.end(), [&](const TNb& n) { return n.z == z && n.type == type; }));
  }
  bool HasAromatic(int32_t a) const {
    for (int32_t s = 1; s <= t_.GetNBonds(a); ++s)
      if (t_.GetTypConn(a, s) == 4) return true;
    return false;
  }
  bool Carbonyl(int32_t a) const { return t_.GetAtNum(a) == zC && Count(Nbs(a), zO, 2) > 0; }
  // Single bonds to atoms that are neither nitrogen nor carbonyl carbons.
  bool PlainAmine(const std::vector<TNb>& nb) const {
    return std::all_of(nb.begin(), nb.end(),
                       [&](const TNb& n) { return n.type == 1 && n.z != zN && !Carbonyl(n.atom); });
  }
  bool Rule(FrgType k, int32_t a) const {
    const int32_t z = t_.GetAtNum(a);
    const auto nb = Nbs(a);
    const auto deg = static_cast<int32_t>(nb.size());
    switch (k) {
      case NBranch:
        return deg >= 3;
      case XCnt:
        return z == zCl || z == zBr;
      case COOH:
      case COO:
        return z == zC && deg == 3 && Count(nb, zO, 2) > 0 &&
               std::any_of(nb.begin(), nb.end(), [&](const TNb& n) {
                 return n.z == zO && n.type == 1 && (k == COOH ? n.degree == 1 : n.degree >= 2);
               });
      case NO2:
        return z == zN && deg == 3 &&
               (Count(nb, zO, 2) == 2 ||
                (Count(nb, zO, 2) == 1 && Count(nb, zO, 1) >= 1 && t_.GetCharge(a) == 1));
      case AnyOH:
        return z == zO && deg == 1 && nb[0].type == 1;
      case PhOH:
        return z == zO && deg == 1 && nb[0].type == 1 && nb[0].z == zC && HasAromatic(nb[0].atom);
      case AroCl:
      case AroBr:
        return z == (k == AroCl ? zCl : zBr) &&
               std::any_of(nb.begin(), nb.end(),
                           [&](const TNb& n) { return n.z == zC && HasAromatic(n.atom); });
      case AnyCO:
        return z == zC && deg < 4 && Count(nb, zO, 2) > 0;
      case AnySO:
        return z == zS && deg < 4 && Count(nb, zO, 2) > 0;
      case NH2:
        return z == zN && deg == 1 && PlainAmine(nb);
      case NHR:
        return z == zN && deg == 2 && PlainAmine(nb);
      case NR2:
        return z == zN && deg == 3 && PlainAmine(nb);
      case NCON:
      case CONR2:
        return z == zC && deg == 3 && Count(nb, zO, 2) == 1 &&
               Count(nb, zN, 1) == (k == NCON ? 2 : 1);
      case CN:
        return z == zC && deg == 2 && Count(nb, zN, 3) > 0;
      case CHO:
        return z == zC && (deg == 1 || deg == 2) && Count(nb, zO, 2) > 0 &&
               !(deg == 2 && nb[0].type == 2 && nb[1].type == 2);
      case COX:
        return z == zC && deg < 4 && Count(nb, zO, 2) > 0 &&
               std::any_of(nb.begin(), nb.end(),
                           [](const TNb& n) { return n.z == zCl || n.z == zBr || n.z == zI; });
      case OCH3:
        return z == zO && deg == 2 && std::any_of(nb.begin(), nb.end(), [](const TNb& n) {
                 return n.z == zC && n.degree == 1;
               });
      case NO:
        return z == zN && deg == 2 && Count(nb, zO, 2) > 0;
      default:
        return false;
    }
  }
  // Terminal single-bonded nitrogens on the first two bonds of a nitrogen
  // with two bonds.
  int32_t NNH2Count(int32_t a) const {
    if (t_.GetAtNum(a) != zN || t_.GetNBonds(a) != 2) return 0;
    int32_t n = 0;
    for (const TNb& b : Nbs(a)) {
      const int32_t back = t_.GetTypConn(b.atom, 1);
      n += b.type == 1 && b.z == zN && b.degree == 1 && (back == 1 || back == 2) ? 1 : 0;
    }
    return n;
  }

 private:
  const TCTab& t_;
};

}  // namespace

int32_t TCTab::FragmentCount(FrgType Kind) const {
  int32_t n = 0;
  const TGroupRules rules(*this);
  for (int32_t a = 1; a <= natoms_; ++a) {
    switch (Kind) {
      case NSglBnd:
      case NDblBnd:
      case NTrplBnd:
      case NAroBnd:
      case NCCSgl:
      case NCCDbl:
      case NCCTrpl: {
        const int32_t want = Kind == NSglBnd || Kind == NCCSgl   ? 1
                             : Kind == NDblBnd || Kind == NCCDbl ? 2
                             : Kind == NAroBnd                   ? 4
                                                                 : 3;
        const bool cc = Kind == NCCSgl || Kind == NCCDbl || Kind == NCCTrpl;
        for (const TNb& b : rules.Nbs(a))
          n += b.atom > a && b.type == want && (!cc || (GetAtNum(a) == zC && b.z == zC)) ? 1 : 0;
        break;
      }
      case NNH2:
        n += rules.NNH2Count(a);
        break;
      default:
        n += rules.Rule(Kind, a) ? 1 : 0;
    }
  }
  return n;
}

}  // namespace nuv
