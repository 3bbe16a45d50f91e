// The mass search of TFormulaSearch: a depth-first walk over the odometer's
// candidates that skips, at every entry, the counts whose whole sub-range
// of candidates misses the mass window or the valence bound. The skipped
// candidates are exactly those that could not fit, so the fitting ones come
// out in odometer order.
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
// [wlo, whi], for integer masses.
TCountRange MassCounts(int64_t base, int64_t m, int64_t restMin, int64_t restMax, int64_t wlo,
                       int64_t whi, TCountRange r) {
  if (m == 0) {
    if (base + restMin > whi || base + restMax < wlo) r.Hi = r.Lo - 1;
    return r;
  }
  r.Hi = std::min(r.Hi, FloorDiv(whi - base - restMin, m));
  r.Lo = std::max(r.Lo, CeilDiv(wlo - base - restMax, m));
  return r;
}

// The same for exact masses; NaN anywhere gives the empty range.
TCountRange MassCounts(long double base, long double m, long double restMin, long double restMax,
                       long double wlo, long double whi, TCountRange r) {
  if (m == 0) {
    if (!(base + restMin <= whi && base + restMax >= wlo)) r.Hi = r.Lo - 1;
    return r;
  }
  const long double up = std::floor((whi - base - restMin) / m);
  const long double down = std::ceil((wlo - base - restMax) / m);
  if (!(up >= r.Lo && down <= r.Hi)) return {r.Lo, r.Lo - 1};
  if (up < r.Hi) r.Hi = static_cast<int64_t>(up);
  if (down > r.Lo) r.Lo = static_cast<int64_t>(down);
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

// The nominal test: the window is the one integer round(Mass).
struct TNominalMasses : TMassBounds<int64_t> {
  bool Valid = false;
  bool Fits(int64_t sum) const { return Valid && sum == WindowLo; }
};

// The exact test: |sum − Mass| < Tolerance. The pruning window is a little
// wider, so that rounding in the partial sums never hides a fitting
// candidate; the final test decides.
struct TExactMasses : TMassBounds<long double> {
  long double Target = 0;
  long double Tolerance = 0;
  bool Fits(long double sum) const { return std::fabs(sum - Target) < Tolerance; }
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
  if (HighLimit.NumAtoms < 1 || HighLimit.NumAtoms > MaxFormulaEntries) return false;
  for (int32_t i = 0; i < HighLimit.NumAtoms; ++i) {
    TEntry& e = entries_[i];
    e.Lo = LowLimit.AtCnt[i];
    e.Hi = HighLimit.AtCnt[i];
    if (e.Lo > e.Hi) return false;
    e.Cur = e.Hi;
    e.Nominal = HighLimit.AtWgt[i];
    e.Exact = ExactAtWeight(HighLimit.AtNum[i]);
    switch (HighLimit.AtNum[i]) {
      case 6: e.Valence = 2; break;
      case 7: e.Valence = 1; break;
      case 1: case 9: case 17: case 35: case 53: e.Valence = -1; break;
      default: e.Valence = 0;
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
    restValence[k] = restValence[k + 1] + std::max<int64_t>(int64_t{e.Valence} * e.Lo,
                                                            int64_t{e.Valence} * e.Hi);
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
    TCountRange r = MassCounts(prefixMass[k], masses.Mass[k], masses.RestMin[k + 1],
                               masses.RestMax[k + 1], masses.WindowLo, masses.WindowHi,
                               {e.Lo, e.Hi});
    if (CheckValence) {
      const int64_t slack = prefixValence[k] + restValence[k + 1];
      if (e.Valence > 0)
        r.Lo = std::max(r.Lo, CeilDiv(-slack, e.Valence));
      else if (e.Valence < 0)
        r.Hi = std::min(r.Hi, FloorDiv(slack, -e.Valence));
      else if (slack < 0)
        r.Hi = r.Lo - 1;
    }
    const int64_t v = std::min<int64_t>(e.Cur, r.Hi);
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
    T sum = 0;
    for (int32_t i = 0; i < n; ++i) sum += masses.Mass[i] * static_cast<T>(entries_[i].Cur);
    if (masses.Fits(sum) && (!CheckValence || ValenceFits())) {
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
    m.Mass[k] = e.Nominal;
    m.RestMin[k] = m.RestMin[k + 1] + e.Nominal * e.Lo;
    m.RestMax[k] = m.RestMax[k + 1] + e.Nominal * e.Hi;
  }
  return Find(m, CheckValence, Found);
}

bool TFormulaSearch::FindExact(bool CheckValence, TFormulaRec& Found) {
  TExactMasses m;
  m.Target = mass_;
  m.Tolerance = tolerance_;
  const long double slack = 1e-9L * (1 + std::fabs(m.Target));
  m.WindowLo = m.Target - m.Tolerance - slack;
  m.WindowHi = m.Target + m.Tolerance + slack;
  for (int32_t k = count_ - 1; k >= 0; --k) {
    const TEntry& e = entries_[k];
    m.Mass[k] = e.Exact;
    m.RestMin[k] = m.RestMin[k + 1] + e.Exact * e.Lo;
    m.RestMax[k] = m.RestMax[k + 1] + e.Exact * e.Hi;
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
