// The mass search of TFormulaSearch: a depth-first walk over the odometer's
// candidates that skips, at every entry, the counts whose whole sub-range
// of candidates misses the mass window, the valence bound or (nominal
// masses) every reachable sum. Only candidates that cannot fit are skipped,
// so the fitting ones come out in odometer order.
#include <algorithm>
#include <cmath>

#include "nuv/Nuv_cform.h"

namespace nuv {

namespace {

// Counts of one entry, an empty range when Lo > Hi.
struct TCountRange {
  int64_t Lo;
  int64_t Hi;
};

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// The counts v in [lo, hi] with base + m·v + [rest_min, rest_max] meeting
// [wlo, whi], for integer masses m > 0.
TCountRange MassCounts(int64_t base, int64_t m, int64_t restMin, int64_t restMax, int64_t wlo,
                       int64_t whi, TCountRange r) {
  r.Hi = std::min(r.Hi, FloorDiv(whi - base - restMin, m));
  r.Lo = std::max(r.Lo, CeilDiv(wlo - base - restMax, m));
  return r;
}

// The same for exact masses, in doubles: the pruning window has room for
// their rounding. NaN anywhere gives the empty range. The quotients are
// compared before they are converted, and are then within [Lo, Hi], where
// truncation is floor (Lo is never negative).
TCountRange MassCounts(double base, double m, double restMin, double restMax, double wlo,
                       double whi, TCountRange r) {
  const double up = (whi - base - restMin) / m;
  const double down = (wlo - base - restMax) / m;
  if (!(up >= static_cast<double>(r.Lo) && down <= static_cast<double>(r.Hi)))
    return {r.Lo, r.Lo - 1};
  if (up < static_cast<double>(r.Hi)) r.Hi = static_cast<int64_t>(up);
  if (down > static_cast<double>(r.Lo)) {
    const auto whole = static_cast<int64_t>(down);
    r.Lo = static_cast<double>(whole) < down ? whole + 1 : whole;
  }
  return r;
}

// Mass bounds of the candidates, per entry and for the entries from k on.
template <class T>
struct TMassBounds {
  std::array<T, MaxFormulaEntries> Mass{};
  std::array<T, MaxFormulaEntries + 1> RestMin{};
  std::array<T, MaxFormulaEntries + 1> RestMax{};
  T WindowLo = 0;
  T WindowHi = 0;
};

// The nominal test: the window is the one integer round(Mass). Where the
// table of reachable sums exists, Reach[k * Stride + s] tells whether the
// entries from k on can sum to exactly s.
struct TNominalMasses : TMassBounds<int64_t> {
  bool Valid = false;
  const uint8_t* Reach = nullptr;
  int64_t Stride = 0;
  bool Reachable(int32_t k, int64_t prefix) const {
    return Reach == nullptr || Reach[k * Stride + (WindowLo - prefix)] != 0;
  }
  bool Fits(const TFormulaRec& high, const int32_t* counts) const {
    int64_t sum = 0;
    for (int32_t i = 0; i < high.NumAtoms; ++i) sum += int64_t{high.AtWgt[i]} * counts[i];
    return Valid && sum == WindowLo;
  }
};

// The exact test: |sum − Mass| < Tolerance, summed in extended precision.
// The pruning works in doubles on a window a little wider, so that rounding
// never hides a fitting candidate; this test decides.
struct TExactMasses : TMassBounds<double> {
  long double Target = 0;
  long double Tolerance = 0;
  bool Reachable(int32_t, double) const { return true; }
  bool Fits(const TFormulaRec& high, const int32_t* counts) const {
    long double sum = 0;
    for (int32_t i = 0; i < high.NumAtoms; ++i) sum += ExactAtWeight(high.AtNum[i]) * counts[i];
    return std::fabs(sum - Target) < Tolerance;
  }
};

}  // namespace

bool TFormulaSearch::Init(double Mass, double Tolerance, const TFormulaRec& LowLimit,
                          const TFormulaRec& HighLimit) {
  mass_ = Mass;
  tolerance_ = Tolerance;
  low_ = LowLimit;
  high_ = HighLimit;
  exhausted_ = true;
  count_ = 0;
  reach_.clear();
  if (HighLimit.NumAtoms < 1 || !IsValidFormulaRec(HighLimit)) return false;
  for (int32_t i = 0; i < HighLimit.NumAtoms; ++i) {
    TEntry& e = entries_[i];
    e.Lo = LowLimit.AtCnt[i];
    e.Hi = HighLimit.AtCnt[i];
    if (e.Lo > e.Hi) return false;
    e.Cur = e.Hi;
    switch (HighLimit.AtNum[i]) {
      case 6:
        e.Valence = 2;
        break;
      case 7:
        e.Valence = 1;
        break;
      case 1:
      case 9:
      case 17:
      case 35:
      case 53:
        e.Valence = -1;
        break;
      default:
        e.Valence = 0;
    }
  }
  count_ = HighLimit.NumAtoms;
  exhausted_ = false;
  return true;
}

template <class TMasses>
bool TFormulaSearch::Find(const TMasses& masses, bool CheckValence, TFormulaRec& Found) {
  using T = decltype(masses.WindowLo);
  if (exhausted_) return false;
  const int32_t n = count_;
  // Highest valence balance the entries from k on can still add.
  std::array<int64_t, MaxFormulaEntries + 1> restValence{};
  for (int32_t k = n - 1; k >= 0; --k) {
    const TEntry& e = entries_[k];
    restValence[k] = restValence[k + 1] +
                     std::max<int64_t>(int64_t{e.Valence} * e.Lo, int64_t{e.Valence} * e.Hi);
  }
  std::array<T, MaxFormulaEntries + 1> prefixMass{};
  std::array<int64_t, MaxFormulaEntries + 1> prefixValence{};
  prefixValence[0] = 2;
  // Until a count is lowered, the walk follows the current state; below a
  // lowered count every entry starts again from its upper limit.
  bool fresh = false;
  int32_t k = 0;
  for (;;) {
    TEntry& e = entries_[k];
    TCountRange r =
        MassCounts(prefixMass[k], masses.Mass[k], masses.RestMin[k + 1], masses.RestMax[k + 1],
                   masses.WindowLo, masses.WindowHi, {e.Lo, e.Hi});
    if (CheckValence) {
      const int64_t slack = prefixValence[k] + restValence[k + 1];
      if (e.Valence > 0)
        r.Lo = std::max(r.Lo, CeilDiv(-slack, e.Valence));
      else if (e.Valence < 0)
        r.Hi = std::min(r.Hi, FloorDiv(slack, -e.Valence));
      else if (slack < 0)
        r.Hi = r.Lo - 1;
    }
    int64_t v = std::min<int64_t>(e.Cur, r.Hi);
    while (v >= r.Lo &&
           !masses.Reachable(k + 1, prefixMass[k] + masses.Mass[k] * static_cast<T>(v)))
      --v;
    if (v < r.Lo) {
      if (k == 0) {
        exhausted_ = true;
        return false;
      }
      --k;
      --entries_[k].Cur;
      fresh = true;
      continue;
    }
    if (v != e.Cur) {
      e.Cur = static_cast<int32_t>(v);
      fresh = true;
    }
    if (k + 1 < n) {
      prefixMass[k + 1] = prefixMass[k] + masses.Mass[k] * static_cast<T>(v);
      prefixValence[k + 1] = prefixValence[k] + int64_t{e.Valence} * v;
      ++k;
      if (fresh) entries_[k].Cur = entries_[k].Hi;
      continue;
    }
    std::array<int32_t, MaxFormulaEntries> counts;
    for (int32_t i = 0; i < n; ++i) counts[i] = entries_[i].Cur;
    if (masses.Fits(high_, counts.data()) && (!CheckValence || ValenceFits())) {
      Export(Found);
      Step();
      return true;
    }
    --e.Cur;
    fresh = true;
  }
}

bool TFormulaSearch::FindNominal(bool CheckValence, TFormulaRec& Found) {
  TNominalMasses m;
  // Targets beyond any reachable sum fit nothing; this also keeps NaN and
  // huge values away from the rounding.
  m.Valid = std::fabs(mass_) < 2147483647.0;
  const int64_t target = m.Valid ? Round(mass_) : -1;
  m.WindowLo = m.WindowHi = target;
  for (int32_t k = count_ - 1; k >= 0; --k) {
    const TEntry& e = entries_[k];
    m.Mass[k] = high_.AtWgt[k];
    m.RestMin[k] = m.RestMin[k + 1] + m.Mass[k] * e.Lo;
    m.RestMax[k] = m.RestMax[k + 1] + m.Mass[k] * e.Hi;
  }
  if (!exhausted_ && target >= 0 && target <= kMaxReachTarget) {
    if (reach_.empty()) BuildReach(target);
    m.Reach = reach_.data();
    m.Stride = target + 1;
  }
  return Find(m, CheckValence, Found);
}

// Reach row k marks the sums 0..target that the entries from k on can make,
// row count_ only the empty sum. A sum s is reachable in row k when some
// count c in [Lo, Hi] leaves s − mass·c reachable in row k + 1: one pass
// over s per row, remembering per residue of the mass the latest reachable
// s − mass·Lo.
void TFormulaSearch::BuildReach(int64_t target) {
  const int64_t stride = target + 1;
  reach_.assign(static_cast<std::size_t>(stride * (count_ + 1)), 0);
  reach_[static_cast<std::size_t>(stride * count_)] = 1;
  std::vector<int64_t> latest;
  for (int32_t k = count_ - 1; k >= 0; --k) {
    const uint8_t* next = &reach_[static_cast<std::size_t>(stride * (k + 1))];
    uint8_t* row = &reach_[static_cast<std::size_t>(stride * k)];
    const int64_t m = high_.AtWgt[k];
    const int64_t lo = entries_[k].Lo, hi = entries_[k].Hi;
    latest.assign(static_cast<std::size_t>(m), -1);
    for (int64_t s = 0; s <= target; ++s) {
      const int64_t t = s - m * lo;
      if (t >= 0 && next[t]) latest[static_cast<std::size_t>(t % m)] = t;
      const int64_t best = latest[static_cast<std::size_t>(s % m)];
      row[s] = best >= 0 && best >= s - m * hi;
    }
  }
}

bool TFormulaSearch::FindExact(bool CheckValence, TFormulaRec& Found) {
  TExactMasses m;
  m.Target = mass_;
  m.Tolerance = tolerance_;
  const double slack = 1e-9 * (1 + std::fabs(mass_));
  m.WindowLo = mass_ - tolerance_ - slack;
  m.WindowHi = mass_ + tolerance_ + slack;
  for (int32_t k = count_ - 1; k >= 0; --k) {
    const TEntry& e = entries_[k];
    m.Mass[k] = static_cast<double>(ExactAtWeight(high_.AtNum[k]));
    m.RestMin[k] = m.RestMin[k + 1] + m.Mass[k] * e.Lo;
    m.RestMax[k] = m.RestMax[k + 1] + m.Mass[k] * e.Hi;
  }
  return Find(m, CheckValence, Found);
}

bool TFormulaSearch::ValenceFits() const {
  int64_t balance = 2;
  for (int32_t i = 0; i < count_; ++i) balance += int64_t{entries_[i].Valence} * entries_[i].Cur;
  return balance >= 0;
}

void TFormulaSearch::Export(TFormulaRec& Found) const {
  Found = high_;
  for (int32_t i = 0; i < count_; ++i) Found.AtCnt[i] = static_cast<uint16_t>(entries_[i].Cur);
}

void TFormulaSearch::Step() {
  for (int32_t k = count_ - 1;; --k) {
    if (--entries_[k].Cur >= entries_[k].Lo) return;
    entries_[k].Cur = entries_[k].Hi;
    if (k == 0) {
      exhausted_ = true;
      return;
    }
  }
}

}  // namespace nuv
