// Substructure search and atom templates of TCTab.
#include <algorithm>
#include <string>

#include "nuv/Nuv_cstruct.h"
#include "nuv/Nuv_filesys.h"

namespace nuv {

namespace {

// Sub's atoms in search order: the anchor's fragment breadth-first from
// the anchor, then every other fragment from its first atom. Parent[q] is
// the atom through which q is reached (0 for a fragment's first atom).
struct TSearchOrder {
  std::vector<int32_t> Atoms;
  std::array<int32_t, MaxCTabAtoms + 1> Parent{};
};

TSearchOrder MakeOrder(const TCTab& Sub, int32_t Anchor) {
  TSearchOrder o;
  std::array<bool, MaxCTabAtoms + 1> seen{};
  auto grow = [&](int32_t root) {
    std::size_t head = o.Atoms.size();
    o.Atoms.push_back(root);
    seen[static_cast<std::size_t>(root)] = true;
    for (; head < o.Atoms.size(); ++head) {
      const int32_t a = o.Atoms[head];
      for (int32_t s = 1; s <= Sub.GetNBonds(a); ++s) {
        const int32_t b = Sub.GetConnTo(a, s);
        if (b < 1 || b > Sub.NAtoms() || seen[static_cast<std::size_t>(b)]) continue;
        seen[static_cast<std::size_t>(b)] = true;
        o.Parent[static_cast<std::size_t>(b)] = a;
        o.Atoms.push_back(b);
      }
    }
  };
  grow(Anchor);
  for (int32_t a = 1; a <= Sub.NAtoms(); ++a)
    if (!seen[static_cast<std::size_t>(a)]) grow(a);
  return o;
}

class TMatcher {
 public:
  TMatcher(const TCTab& T, const TCTab& Sub, bool BondTypes, const std::string& Trace)
      : t_(T), sub_(Sub), bond_types_(BondTypes), trace_(Trace) {}

  bool Run(int32_t Anchor) {
    order_ = MakeOrder(sub_, Anchor);
    return Place(0);
  }
  // Table atom of each Sub atom.
  const std::array<int32_t, MaxCTabAtoms + 1>& Map() const { return map_; }

 private:
  bool AtomFits(int32_t q, int32_t a) const {
    if (t_.GetAtNum(a) != sub_.GetAtNum(q) || t_.GetNBonds(a) < sub_.GetNBonds(q)) return false;
    const int32_t attr = sub_.GetAttrib(q);
    return attr == 0 || (t_.GetAttrib(a) & attr) == attr;
  }
  // Every bond of q to an already placed Sub atom exists between the
  // images (with the same type when asked).
  bool BondsFit(int32_t q, int32_t a) const {
    for (int32_t s = 1; s <= sub_.GetNBonds(q); ++s) {
      const int32_t m = map_[static_cast<std::size_t>(sub_.GetConnTo(q, s))];
      if (m == 0) continue;
      const int32_t type = t_.CheckConnect(a, m);
      if (type == 0 || (bond_types_ && type != sub_.GetTypConn(q, s))) return false;
    }
    return true;
  }
  bool Try(std::size_t depth, int32_t q, int32_t a) {
    if (used_ & (uint64_t{1} << a)) return false;
    const bool ok = AtomFits(q, a) && BondsFit(q, a);
    if (!trace_.empty())
      AppendToTextFile(trace_, "level=" + std::to_string(depth) + " sub=" + std::to_string(q) +
                                   " atom=" + std::to_string(a) + ' ' + (ok ? 'T' : 'F'));
    if (!ok) return false;
    map_[static_cast<std::size_t>(q)] = a;
    used_ |= uint64_t{1} << a;
    if (Place(depth + 1)) return true;
    map_[static_cast<std::size_t>(q)] = 0;
    used_ &= ~(uint64_t{1} << a);
    return false;
  }
  bool Place(std::size_t depth) {
    if (depth == order_.Atoms.size()) return true;
    const int32_t q = order_.Atoms[depth];
    const int32_t p = order_.Parent[static_cast<std::size_t>(q)];
    if (p != 0) {
      const int32_t pa = map_[static_cast<std::size_t>(p)];
      for (int32_t s = 1; s <= t_.GetNBonds(pa); ++s)
        if (Try(depth, q, t_.GetConnTo(pa, s))) return true;
      return false;
    }
    for (int32_t a = 1; a <= t_.NAtoms(); ++a)
      if (Try(depth, q, a)) return true;
    return false;
  }

  const TCTab& t_;
  const TCTab& sub_;
  bool bond_types_;
  const std::string& trace_;
  TSearchOrder order_;
  std::array<int32_t, MaxCTabAtoms + 1> map_{};
  uint64_t used_ = 0;
};

}  // namespace

bool TCTab::SumForContained(const TCTab& Sub) const {
  if (natoms_ < Sub.natoms_) return false;
  std::array<int32_t, 256> need{};
  for (int32_t a = 1; a <= Sub.natoms_; ++a) ++need[Sub.At(a).AtNum];
  for (int32_t a = 1; a <= natoms_; ++a) --need[At(a).AtNum];
  return std::all_of(need.begin(), need.end(), [](int32_t n) { return n <= 0; });
}

bool TCTab::SearchSubStruc(const TCTab& Sub, std::vector<uint8_t>& MatchMap,
                           bool MatchBondTypes) const {
  MatchMap.assign(static_cast<std::size_t>(natoms_) + 1, 0);
  if (Sub.natoms_ == 0 || !SumForContained(Sub) || RingsInMolecule() < Sub.RingsInMolecule())
    return false;
  int32_t anchor = 1;
  for (int32_t a = 1; a <= Sub.natoms_; ++a)
    if (Sub.At(a).AtNum != 6) {
      anchor = a;
      break;
    }
  TMatcher m(*this, Sub, MatchBondTypes, trace_file_);
  const bool found = m.Run(anchor);
  if (found)
    for (int32_t q = 1; q <= Sub.natoms_; ++q)
      MatchMap[static_cast<std::size_t>(m.Map()[static_cast<std::size_t>(q)])] = 1;
  if (!trace_file_.empty()) {
    AppendToTextFile(trace_file_, std::string("final: ") + (found ? 'T' : 'F'));
    AppendToTextFile(trace_file_, std::string(40, '-'));
  }
  return found;
}

void TCTab::MatchAtomTemplate(int32_t AtNum, int32_t NBonds,
                              const std::array<uint8_t, 10>& BondTypes, AtListType& Atoms) const {
  Atoms.fill(0);
  for (int32_t a = 1; a <= natoms_; ++a) {
    const CTElem& e = At(a);
    const int32_t n = GetNBonds(a);
    if ((AtNum > 0 && e.AtNum != AtNum) || (AtNum < 0 && e.AtNum == -AtNum)) continue;
    if ((NBonds > 0 && n != NBonds) || (NBonds < 0 && n == -NBonds)) continue;
    const bool types = std::all_of(BondTypes.begin(), BondTypes.end(), [&](uint8_t t) {
      return t == 0 ||
             std::find(e.BondType.begin(), e.BondType.begin() + n, t) != e.BondType.begin() + n;
    });
    if (types) Atoms[++Atoms[0]] = static_cast<uint8_t>(a);
  }
}

}  // namespace nuv
