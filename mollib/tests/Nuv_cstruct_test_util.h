// Helpers of the connection-table tests: tables built from short texts,
// bond listings and the invariant checker of the atom records.
#pragma once

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/Nuv_cstruct.h"

namespace nuv::testing {

// Atoms as symbols separated by blanks ("C C O", "N+" for a charge of +1,
// "O-", "13C" for an isotope), bonds as "1-2" (single), "1=2", "1#2",
// "1:2" separated by blanks.
inline void BuildTable(TCTab& t, const std::string& atoms, const std::string& bonds) {
  t.Clear();
  std::istringstream as(atoms);
  for (std::string s; as >> s;) {
    CTElem e;
    int32_t mass = 0;
    std::size_t p = 0;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') mass = mass * 10 + (s[p++] - '0');
    int32_t charge = 0;
    while (!s.empty() && (s.back() == '+' || s.back() == '-')) {
      charge += s.back() == '+' ? 1 : -1;
      s.pop_back();
    }
    const std::string sym = s.substr(p);
    e.AtNum = static_cast<uint8_t>(AtomicNumber(sym));
    e.AtWeight = static_cast<uint16_t>(mass != 0 ? mass : IntAtWeight(e.AtNum));
    e.Charge = static_cast<int8_t>(charge);
    t.AddAtom(e);
  }
  std::istringstream bs(bonds);
  for (std::string s; bs >> s;) {
    const auto p = s.find_first_of("-=#:");
    const int32_t type = std::string("-=#:").find(s[p]) + 1;
    t.MakeConnection(std::stoi(s.substr(0, p)), std::stoi(s.substr(p + 1)), type);
  }
}

// Bonds as "a-b:type" with a < b, sorted, separated by blanks.
inline std::string BondList(const TCTab& t) {
  std::vector<std::string> v;
  for (int32_t a = 1; a <= t.NAtoms(); ++a)
    for (int32_t s = 1; s <= t.GetNBonds(a); ++s) {
      const int32_t b = t.GetConnTo(a, s);
      if (b > a)
        v.push_back(std::to_string(a) + '-' + std::to_string(b) + ':' +
                    std::to_string(t.GetTypConn(a, s)));
    }
  std::sort(v.begin(), v.end());
  std::string r;
  for (const auto& s : v) r += (r.empty() ? "" : " ") + s;
  return r;
}

// Symbols of the atoms in slot order.
inline std::string AtomList(const TCTab& t) {
  std::string r;
  for (int32_t a = 1; a <= t.NAtoms(); ++a) r += (a > 1 ? " " : "") + CElemSymb(t.GetAtNum(a));
  return r;
}

// The formula as "Z/mass/count" entries separated by blanks, "false" when
// CalcMolecularFormula fails.
inline std::string Formula(const TCTab& t) {
  TFormulaRec f;
  if (!t.CalcMolecularFormula(f)) return "false";
  std::string s;
  for (std::size_t i = 0; i < static_cast<std::size_t>(f.NumAtoms); ++i)
    s += (i ? " " : "") + std::to_string(f.AtNum[i]) + '/' + std::to_string(f.AtWgt[i]) + '/' +
         std::to_string(f.AtCnt[i]);
  return s;
}

// Empty when the records keep their invariants: neighbour slots compact,
// no duplicate or self neighbour, neighbours in range with types 1..4, each
// bond in both records with one type, unused records cleared.
inline std::string CheckInvariants(const TCTab& t) {
  std::ostringstream err;
  const int32_t n = t.NAtoms();
  for (int32_t a = 1; a <= n; ++a) {
    bool free = false;
    for (int32_t s = 1; s <= MaxCTabConn; ++s) {
      const int32_t b = t.GetConnTo(a, s);
      const int32_t ty = t.GetTypConn(a, s);
      if (b == 0) {
        free = true;
        if (ty != 0) err << "atom " << a << " slot " << s << ": type without neighbour; ";
        continue;
      }
      if (free) err << "atom " << a << " slot " << s << ": gap before it; ";
      if (b < 1 || b > n || b == a)
        err << "atom " << a << " slot " << s << ": neighbour " << b << "; ";
      if (ty < 1 || ty > 4) err << "atom " << a << " slot " << s << ": type " << ty << "; ";
      for (int32_t k = 1; k < s; ++k)
        if (t.GetConnTo(a, k) == b) err << "atom " << a << ": neighbour " << b << " twice; ";
      if (b >= 1 && b <= n && t.CheckConnect(b, a) != ty)
        err << "bond " << a << "-" << b << ": type " << ty << " one way, " << t.CheckConnect(b, a)
            << " back; ";
    }
  }
  return err.str();
}

}  // namespace nuv::testing
