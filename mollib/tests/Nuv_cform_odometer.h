// The reference for the mass search of TFormulaSearch: the odometer as
// written out, which tests every candidate in full. The tests and the
// benchmark compare the search with it.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "nuv/Nuv_cdata.h"
#include "nuv/Nuv_cform.h"

namespace nuv::testing {

// A record of {atomic number, mass number, count} entries.
inline TFormulaRec Rec(std::initializer_list<std::array<int, 3>> entries) {
  TFormulaRec r;
  for (const auto& e : entries) {
    r.AtNum[r.NumAtoms] = static_cast<uint8_t>(e[0]);
    r.AtWgt[r.NumAtoms] = static_cast<uint16_t>(e[1]);
    r.AtCnt[r.NumAtoms] = static_cast<uint16_t>(e[2]);
    ++r.NumAtoms;
  }
  return r;
}

// The weight of an element in the valence balance N + 2·C + 2 − H − halogens.
inline int ValenceWeight(int atomicNumber) {
  switch (atomicNumber) {
    case 6:
      return 2;
    case 7:
      return 1;
    case 1:
    case 9:
    case 17:
    case 35:
    case 53:
      return -1;
    default:
      return 0;
  }
}

// Every candidate from the upper counts down to the lower ones, the last
// entry fastest, each tested in full: its exact mass closer than tolerance
// to mass (exact), or its nominal mass equal to mass rounded; with valence
// also a balance of at least 0. Calls found(candidate) for each that fits
// and returns their number.
template <class Found>
int64_t LiteralOdometer(double mass, double tolerance, const TFormulaRec& low,
                        const TFormulaRec& high, bool exact, bool valence, Found&& found) {
  const int32_t n = high.NumAtoms;
  if (n < 1) return 0;
  long double exactMass[MaxFormulaEntries];
  int valenceWeight[MaxFormulaEntries];
  for (int32_t i = 0; i < n; ++i) {
    exactMass[i] = ExactAtWeight(high.AtNum[i]);
    valenceWeight[i] = ValenceWeight(high.AtNum[i]);
  }
  const double nominalTarget = std::nearbyint(mass);
  TFormulaRec cur = high;
  int64_t count = 0;
  for (;;) {
    long double sum = 0;
    int64_t nominal = 0, balance = 2;
    for (int32_t i = 0; i < n; ++i) {
      if (exact)
        sum += exactMass[i] * cur.AtCnt[i];
      else
        nominal += int64_t{cur.AtWgt[i]} * cur.AtCnt[i];
      balance += valenceWeight[i] * cur.AtCnt[i];
    }
    const bool fits = exact ? std::fabs(sum - mass) < tolerance : nominal == nominalTarget;
    if (fits && (!valence || balance >= 0)) {
      ++count;
      found(cur);
    }
    int32_t k = n - 1;
    while (cur.AtCnt[k] == low.AtCnt[k]) {
      cur.AtCnt[k] = high.AtCnt[k];
      if (k-- == 0) return count;
    }
    --cur.AtCnt[k];
  }
}

}  // namespace nuv::testing
