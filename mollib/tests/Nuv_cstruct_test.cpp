#include "nuv/Nuv_cstruct.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "FileFixtures.h"
#include "Nuv_cstruct_test_util.h"
#include "TempDir.h"

namespace nuv {
namespace {

using testing::AtomList;
using testing::BondList;
using testing::BuildTable;
using testing::CheckInvariants;
using testing::Formula;

std::string RingText(const RingListType& r) {
  std::string s;
  for (int32_t i = 0; i < r.NRings; ++i) {
    s += i ? " |" : "|";
    for (int32_t k = 1; k <= r.Rings[static_cast<std::size_t>(i)][0]; ++k)
      s += ' ' + std::to_string(r.Rings[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)]);
  }
  return s;
}

TEST(CTabRecord, ClearedRecordsAndOutOfRangeAccess) {
  CTElem e;
  e.AtNum = 6;
  e.Conn[0] = 3;
  e.Coords[2] = 1.5f;
  ClearCTElem(e);
  EXPECT_EQ(e, CTElem{});
  EXPECT_EQ(e.Reserved, 0x80000000u);

  TCTab t(nullptr);
  int32_t changes = 0;
  t.OnChange = [&](TObject*) { ++changes; };
  BuildTable(t, "C O", "1-2");
  changes = 0;
  EXPECT_EQ(t.GetAtNum(0), 0);
  EXPECT_EQ(t.GetAtNum(3), 0);
  EXPECT_EQ(t.GetConnTo(1, 11), 0);
  EXPECT_EQ(t.GetCoords(1, 4), 0);
  EXPECT_EQ(t.GetAtomEntries(5), CTElem{});
  t.SetAtNum(3, 7);    // beyond NAtoms
  t.SetAtNum(1, 104);  // no such element
  t.SetAtNum(1, 0);
  t.SetCoords(1, 0, 5);
  t.SetCharge(1, 200);
  EXPECT_EQ(changes, 0) << "ignored writes fire no OnChange";
  EXPECT_EQ(t.GetAtNum(1), 6);
  t.SetAtNum(1, 7);
  t.SetAtWeight(1, 257);  // fermium's mass does not fit a byte
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(t.GetAtWeight(1), 257);
}

TEST(CTabRecord, CasNumberText) {
  TCTab t(nullptr);
  int32_t changes = 0;
  t.OnChange = [&](TObject*) { ++changes; };
  t.SetCASNr("50-00-0");
  EXPECT_EQ(t.CASNumber(), 50000);
  EXPECT_EQ(t.CASNr(), "50-00-0");
  t.SetCASNr("50-00-1");  // wrong check digit
  EXPECT_EQ(t.CASNumber(), 50000);
  EXPECT_EQ(changes, 2) << "an invalid text still fires OnChange";
  EXPECT_TRUE(t.CheckCASNr(7732185));
  EXPECT_FALSE(t.CheckCASNr(7732186));
}

TEST(CTabRecord, QueriesOverTheTable) {
  TCTab t(nullptr);
  BuildTable(t, "C C O N", "1-2 2=3 2-4");
  int32_t atom = 0;
  EXPECT_EQ(t.MaxNBonds(atom), 3);
  EXPECT_EQ(atom, 2);
  EXPECT_EQ(t.AtomCount(6), 2);
  EXPECT_EQ(t.CheckConnect(2, 3), 2);
  EXPECT_EQ(t.CheckConnect(3, 2), 2);
  EXPECT_EQ(t.CheckConnect(1, 3), 0);
  EXPECT_FALSE(t.GetCoordsPresent());
  t.SetCoords(4, 3, -2.5);
  EXPECT_TRUE(t.GetCoordsPresent());
  t.SetCoordsPresent(true);
  EXPECT_TRUE(t.GetCoordsPresent());
  t.SetCoordsPresent(false);
  EXPECT_FALSE(t.GetCoordsPresent());
  EXPECT_FALSE(t.ContainsUnconnectedAtom());
  EXPECT_EQ(t.FindNextEndAtom(1), 1);
  EXPECT_EQ(t.FindNextEndAtom(2), 3);
  EXPECT_EQ(t.FindNextEndAtom(5), 0);
}

// Each sequence starts from a built table; after every step the records
// must keep their invariants and show the expected atoms and bonds.
TEST(CTabEditing, SequencesKeepTheInvariants) {
  struct Step {
    std::function<void(TCTab&)> edit;
    const char* atoms;
    const char* bonds;
  };
  const struct {
    const char* name;
    const char* atoms;
    const char* bonds;
    std::vector<Step> steps;
  } cases[] = {
      {"deleting the middle of a chain bonds its ends",
       "C C O",
       "1-2 2-3",
       {{[](TCTab& t) { t.DeleteAtom(2); }, "C O", "1-2:1"}}},
      {"the joining bond takes the lower type on both sides",
       "C C O",
       "1=2 2-3",
       {{[](TCTab& t) { t.DeleteAtom(2); }, "C O", "1-2:1"}}},
      {"an existing bond between the neighbours is kept",
       "C C C",
       "1-2 2-3 1=3",
       {{[](TCTab& t) { t.DeleteAtom(2); }, "C C", "1-2:2"}}},
      {"deleting a ring atom keeps the ring closed",
       "C C C C C C",
       "1-2 2-3 3-4 4-5 5-6 6-1",
       {{[](TCTab& t) { t.DeleteAtom(1); }, "C C C C C", "1-2:1 1-5:1 2-3:1 3-4:1 4-5:1"},
        {[](TCTab& t) { t.DeleteAtom(5); }, "C C C C", "1-2:1 1-4:1 2-3:1 3-4:1"}}},
      {"deleting the last atom",
       "C O N",
       "1-2 2-3",
       {{[](TCTab& t) { t.DeleteAtom(3); }, "C O", "1-2:1"}}},
      {"bonds made and removed",
       "C C O",
       "",
       {{[](TCTab& t) { EXPECT_TRUE(t.MakeConnection(1, 2, 1)); }, "C C O", "1-2:1"},
        {[](TCTab& t) { EXPECT_TRUE(t.MakeConnection(2, 1, 2)); }, "C C O", "1-2:2"},
        {[](TCTab& t) { EXPECT_FALSE(t.MakeConnection(1, 1, 1)); }, "C C O", "1-2:2"},
        {[](TCTab& t) { EXPECT_FALSE(t.MakeConnection(1, 4, 1)); }, "C C O", "1-2:2"},
        {[](TCTab& t) { EXPECT_FALSE(t.MakeConnection(1, 3, 5)); }, "C C O", "1-2:2"},
        {[](TCTab& t) { EXPECT_FALSE(t.MakeConnection(1, 3, 0)); }, "C C O", "1-2:2"},
        {[](TCTab& t) { EXPECT_TRUE(t.MakeConnection(1, 2, 0)); }, "C C O", ""}}},
      {"hydrogens removed",
       "C H H O H",
       "1-2 1-3 1-4 4-5",
       {{[](TCTab& t) { t.RemoveHydrogen(); }, "C O", "1-2:1"}}},
      {"chains stripped down to the ring skeleton",
       "C C C C C C C O",
       "1-2 2-3 3-4 4-5 5-6 6-1 1-7 7-8",
       {{[](TCTab& t) { EXPECT_EQ(t.StripfromChains(), 6); }, "C C C C C C",
         "1-2:1 1-6:1 2-3:1 3-4:1 4-5:1 5-6:1"}}},
      {"a chain strips to nothing",
       "C C C O",
       "1-2 2-3 3-4",
       {{[](TCTab& t) { EXPECT_EQ(t.StripfromChains(), 0); }, "", ""}}},
      {"join identifies flagged atoms",
       "C C",
       "1-2",
       {{[](TCTab& t) {
           t.SetAtFlag(2, 7);
           TCTab f(nullptr);
           BuildTable(f, "O N", "1-2");
           f.SetAtFlag(1, 7);
           EXPECT_TRUE(t.JoinFragment(f));
         },
         "C O N", "1-2:1 2-3:1"}}},
      {"link bonds flagged atoms to the appended ones",
       "C C",
       "1-2",
       {{[](TCTab& t) {
           t.SetAtFlag(1, 3);
           TCTab f(nullptr);
           BuildTable(f, "O N", "1=2");
           f.SetAtFlag(2, 3);
           EXPECT_TRUE(t.LinkFragment(f));
         },
         "C C O N", "1-2:1 1-4:1 3-4:2"}}},
      {"a table joined with itself",
       "C O",
       "1-2",
       {{[](TCTab& t) { EXPECT_TRUE(t.JoinFragment(t)); }, "C O C O", "1-2:1 3-4:1"}}},
  };
  for (const auto& c : cases) {
    TCTab t(nullptr);
    BuildTable(t, c.atoms, c.bonds);
    ASSERT_EQ(CheckInvariants(t), "") << c.name << " (start)";
    int step = 0;
    for (const auto& s : c.steps) {
      ++step;
      s.edit(t);
      EXPECT_EQ(CheckInvariants(t), "") << c.name << ", step " << step;
      EXPECT_EQ(AtomList(t), s.atoms) << c.name << ", step " << step;
      EXPECT_EQ(BondList(t), s.bonds) << c.name << ", step " << step;
    }
  }
}

// An atom with 10 neighbours takes no eleventh: the bond goes into both
// records or neither, also when DeleteAtom joins neighbours.
TEST(CTabEditing, FullAtomsTakeBothEndsOrNeither) {
  TCTab t(nullptr);
  std::string atoms = "C";
  std::string bonds;
  for (int i = 2; i <= 11; ++i) {
    atoms += " H";
    bonds += " 1-" + std::to_string(i);
  }
  atoms += " O";  // atom 12
  BuildTable(t, atoms, bonds);
  EXPECT_EQ(t.GetNBonds(1), 10);
  EXPECT_FALSE(t.MakeConnection(1, 12, 1));
  EXPECT_FALSE(t.MakeConnection(12, 1, 1));
  EXPECT_EQ(t.GetNBonds(12), 0);
  EXPECT_EQ(CheckInvariants(t), "");
  EXPECT_TRUE(t.MakeConnection(1, 2, 2)) << "retyping an existing bond needs no free slot";
  EXPECT_EQ(t.CheckConnect(2, 1), 2);

  // Atom 13 bonds to the full atom 1 and to 12 and 2: deleting it frees one
  // slot of atom 1, which then has no room for the third neighbour.
  TCTab u(nullptr);
  BuildTable(u, "C H H H H H H H H H C N O",
             "1-2 1-3 1-4 1-5 1-6 1-7 1-8 1-9 1-10 1-13 11-13 12-13 13-11");
  u.DeleteAtom(13);
  EXPECT_EQ(CheckInvariants(u), "");
  EXPECT_EQ(u.GetNBonds(1), 10);
  EXPECT_EQ(u.CheckConnect(11, 12), 1);
}

TEST(CTabEditing, FragmentsThatDoNotFitLeaveTheTable) {
  TCTab t(nullptr), f(nullptr);
  std::string big, chain;
  for (int i = 1; i <= 60; ++i) big += "C ";
  for (int i = 1; i < 60; ++i) chain += std::to_string(i) + "-" + std::to_string(i + 1) + " ";
  BuildTable(t, big, chain);
  BuildTable(f, "O N S F", "1-2 2-3 3-4");
  TCTab before(nullptr);
  before.CopyFrom(t);
  EXPECT_FALSE(t.JoinFragment(f)) << "64 atoms";
  EXPECT_EQ(t.CompareWith(before), 0);
  EXPECT_FALSE(t.LinkFragment(f));
  EXPECT_EQ(t.CompareWith(before), 0);
  f.SetAtFlag(1, 9);
  t.SetAtFlag(60, 9);
  before.CopyFrom(t);
  EXPECT_TRUE(t.JoinFragment(f)) << "one identified atom: 63 fit";
  EXPECT_EQ(t.NAtoms(), 63);
  EXPECT_EQ(t.GetAtNum(60), 8);
  EXPECT_EQ(CheckInvariants(t), "");
}

TEST(CTabEditing, AddAtomEntersItsOwnSideOnly) {
  TCTab t(nullptr);
  BuildTable(t, "C", "");
  CTElem e;
  e.AtNum = 8;
  e.Conn[0] = 1;
  e.BondType[0] = 2;
  EXPECT_TRUE(t.AddAtom(e));
  EXPECT_EQ(t.CheckConnect(2, 1), 2);
  EXPECT_EQ(t.CheckConnect(1, 2), 0);
  t.MakeSymmetricConnections();
  EXPECT_EQ(CheckInvariants(t), "");
  for (int i = 3; i <= 63; ++i) EXPECT_TRUE(t.AddAtom(CTElem{}));
  EXPECT_FALSE(t.AddAtom(CTElem{}));
  EXPECT_EQ(t.NAtoms(), 63);
}

TEST(CTabEditing, CompareWithNamesEachDifference) {
  TCTab a(nullptr), b(nullptr);
  BuildTable(a, "C O", "1-2");
  a.SetStrucName("Methanol");
  b.CopyFrom(a);
  EXPECT_EQ(a.CompareWith(b), 0);
  const struct {
    const char* name;
    std::function<void(TCTab&)> edit;
    int32_t bits;
  } cases[] = {
      {"name in other case", [](TCTab& t) { t.SetStrucName("METHANOL"); }, 0},
      {"name", [](TCTab& t) { t.SetStrucName("x"); }, cwName},
      {"unit", [](TCTab& t) { t.SetCoordUnit(cuAngstrom); }, cwCoordUnit},
      {"cas", [](TCTab& t) { t.SetCASNr("50-00-0"); }, cwCASNr},
      {"element", [](TCTab& t) { t.SetAtNum(2, 7); }, cwAtNum},
      {"charge", [](TCTab& t) { t.SetCharge(2, -1); }, cwCharge},
      {"z", [](TCTab& t) { t.SetCoords(1, 3, 1); }, cwZ},
      {"bond type", [](TCTab& t) { t.MakeConnection(1, 2, 2); }, cwBondType},
      {"atoms and neighbours", [](TCTab& t) { t.DeleteAtom(2); },
       cwAtomCount | cwAtNum | cwAtWeight | cwConn | cwBondType},
  };
  for (const auto& c : cases) {
    TCTab x(nullptr);
    x.CopyFrom(a);
    c.edit(x);
    EXPECT_EQ(x.CompareWith(a), c.bits) << c.name;
  }
}

// ---------------------------------------------------------------------------
// Chemistry

TEST(CTabChemistry, HydrogenCounts) {
  const struct {
    const char* name;
    const char* atoms;
    const char* bonds;
    int32_t atom, h;
  } cases[] = {
      {"methanol carbon", "C O", "1-2", 1, 3},
      {"methanol oxygen", "C O", "1-2", 2, 1},
      {"benzene carbon", "C C C C C C", "1:2 2:3 3:4 4:5 5:6 6:1", 1, 1},
      {"pyrrole N-H lost under aromatic bonds", "N C C C C", "1:2 2:3 3:4 4:5 5:1", 1, 0},
      {"pyrrole N-H in Kekulé form", "N C C C C", "1-2 2=3 3-4 4=5 5-1", 1, 1},
      {"ammonium", "N+", "", 1, 4},
      {"trimethylammonium", "N+ C C C", "1-2 1-3 1-4", 1, 1},
      {"tetramethylammonium", "N+ C C C C", "1-2 1-3 1-4 1-5", 1, 0},
      {"methylammonium", "N+ C", "1-2", 1, 3},
      {"pyridinium", "N+ C C C C C", "1:2 2:3 3:4 4:5 5:6 6:1", 1, 1},
      {"tert-butyl cation", "C+ C C C", "1-2 1-3 1-4", 1, 0},
      {"methyl cation", "C+", "", 1, 3},
      {"methyl anion", "C-", "", 1, 3},
      {"borohydride", "B-", "", 1, 4},
      {"hydronium", "O+", "", 1, 3},
      {"hydroxide", "O-", "", 1, 1},
      {"nitro oxygen", "N+ O O- C", "1=2 1-3 1-4", 3, 0},
      {"chloride", "Cl-", "", 1, 0},
      {"explicit hydrogens count", "C H H", "1-2 1-3", 1, 4},
      {"hydrogen itself", "C H", "1-2", 2, 0},
      {"phosphonate P-H", "P O O O C", "1=2 1-3 1-4 3-5", 1, 1},
      {"terminal nitrile nitrogen compensates", "N C", "1#2", 1, -1},
      {"acetonitrile nitrogen", "N C C", "1#2 2-3", 1, 0},
      {"charged cyanide", "N C-", "1#2", 1, 0},
      {"charged cyanide carbon", "N C-", "1#2", 2, 0},
      {"sodium", "Na+", "", 1, 0},
  };
  for (const auto& c : cases) {
    TCTab t(nullptr);
    BuildTable(t, c.atoms, c.bonds);
    EXPECT_EQ(t.NrHAtoms(c.atom), c.h) << c.name;
  }
}

TEST(CTabChemistry, FormulaOrderAndIsotopes) {
  const struct {
    const char* name;
    const char* atoms;
    const char* bonds;
    const char* formula;
  } cases[] = {
      {"ethanol", "O C C", "1-2 2-3", "6/12/2 1/1/6 8/16/1"},
      {"order C H N O S P F Cl Br I, then others", "Na+ I Br Cl F P S O N C", "",
       "6/12/1 1/1/18 7/14/1 8/16/1 16/32/1 15/31/1 9/19/1 17/35/1 35/79/1 53/127/1 11/23/1"},
      {"isotopes in order of appearance", "C 13C C", "1-2 2-3", "6/12/2 6/13/1 1/1/8"},
      {"hydrogen molecule", "H H", "1-2", "1/1/2"},
      {"heavy water keeps the isotope", "2H O 2H", "1-2 2-3", "1/2/2 8/16/1"},
      {"tritium water", "3H O", "1-2", "1/1/1 1/3/1 8/16/1"},
      {"unknown atoms are left out", "C R", "1-2", "6/12/1 1/1/3"},
      {"empty table", "", "", ""},
  };
  for (const auto& c : cases) {
    TCTab t(nullptr);
    BuildTable(t, c.atoms, c.bonds);
    EXPECT_EQ(Formula(t), c.formula) << c.name;
  }
  TCTab t(nullptr);
  std::string atoms;
  for (int z = 20; z <= 40; ++z) atoms += CElemSymb(z) + " ";
  BuildTable(t, atoms, "");
  TFormulaRec f;
  f.NumAtoms = 5;
  EXPECT_FALSE(t.CalcMolecularFormula(f)) << "21 elements";
  EXPECT_EQ(f.NumAtoms, 5);
}

TEST(CTabChemistry, WeightCountsHydrogensOnce) {
  TCTab t(nullptr);
  BuildTable(t, "C O H", "1-2 2-3");
  const long double methanol = ChemAtWeight(6) + ChemAtWeight(8) + 4 * ChemAtWeight(1);
  EXPECT_NEAR(static_cast<double>(t.CalcChemMolWeight()), static_cast<double>(methanol), 1e-9);
  BuildTable(t, "2H O 2H", "1-2 2-3");
  EXPECT_NEAR(static_cast<double>(t.CalcChemMolWeight()), static_cast<double>(ChemAtWeight(8) + 4),
              1e-9);
}

// ---------------------------------------------------------------------------
// Rings

// The exhaustive search the bounded one must agree with: every path from
// Start, the best length starting at 64.
struct ExhaustiveRings {
  ExhaustiveRings(const TCTab& table, int32_t from) : t(table), start(from) {}
  const TCTab& t;
  int32_t start;
  int32_t best = 64;
  RingListType rings;
  std::vector<uint8_t> path;

  void Walk(int32_t cur) {
    if (static_cast<int32_t>(path.size()) > best) return;
    for (int32_t s = 1; s <= t.GetNBonds(cur); ++s) {
      const int32_t b = t.GetConnTo(cur, s);
      if (b == start && path.size() >= 3) {
        RingType r{};
        r[0] = static_cast<uint8_t>(path.size());
        std::copy(path.begin(), path.end(), r.begin() + 1);
        if (r[0] < best) {
          best = r[0];
          rings.NRings = 0;
        }
        if (r[0] == best && !RingInRingList(r, rings))
          rings.Rings[static_cast<std::size_t>(rings.NRings++)] = r;
      } else if (std::find(path.begin(), path.end(), b) == path.end()) {
        path.push_back(static_cast<uint8_t>(b));
        Walk(b);
        path.pop_back();
      }
    }
  }
  std::string Run() {
    path = {static_cast<uint8_t>(start)};
    Walk(start);
    return RingText(rings);
  }
};

TEST(CTabRings, ShortestRingsAsTheExhaustiveSearch) {
  const struct {
    const char* name;
    const char* atoms;
    const char* bonds;
  } cases[] = {
      {"cyclohexane", "C C C C C C", "1-2 2-3 3-4 4-5 5-6 6-1"},
      {"naphthalene", "C C C C C C C C C C", "1-2 2-3 3-4 4-5 5-6 6-1 5-7 7-8 8-9 9-10 10-6"},
      {"bicyclooctane", "C C C C C C C C", "1-2 2-3 3-4 4-5 5-6 6-1 1-7 7-8 8-4"},
      {"cubane", "C C C C C C C C", "1-2 2-3 3-4 4-1 5-6 6-7 7-8 8-5 1-5 2-6 3-7 4-8"},
      {"spiro", "C C C C C C C C C", "1-2 2-3 3-4 4-1 1-5 5-6 6-7 7-8 8-9 9-1"},
      {"chain on a ring", "C C C C C O", "1-2 2-3 3-1 3-4 4-5 5-6"},
      {"K5", "C C C C C", "1-2 1-3 1-4 1-5 2-3 2-4 2-5 3-4 3-5 4-5"},
  };
  for (const auto& c : cases) {
    TCTab t(nullptr);
    BuildTable(t, c.atoms, c.bonds);
    for (int32_t a = 1; a <= t.NAtoms(); ++a) {
      RingListType r;
      t.FindShortestRings(a, r);
      EXPECT_EQ(RingText(r), ExhaustiveRings(t, a).Run()) << c.name << ", atom " << a;
    }
  }
}

TEST(CTabRings, NaphthaleneRingsAndAttributes) {
  TCTab t(nullptr);
  BuildTable(t, "C C C C C C C C C C O", "1:2 2:3 3:4 4:5 5:6 6:1 5:7 7:8 8:9 9:10 10:6 1-11");
  EXPECT_EQ(t.RingsInMolecule(), 2);
  RingListType r;
  EXPECT_EQ(t.FindSSSR(r), 2);
  EXPECT_EQ(RingText(r), "| 1 2 3 4 5 6 | 5 6 10 9 8 7");
  EXPECT_EQ(t.CalcAttributes(), 2);
  const struct {
    int32_t atom, attr;
  } want[] = {{1, 0x1A}, {2, 0x0A}, {5, 0x9A}, {6, 0x9A}, {7, 0x0A}, {11, 0x41}};
  for (const auto& w : want) EXPECT_EQ(t.GetAttrib(w.atom), w.attr) << "atom " << w.atom;
  BuildTable(t, "C C C C C C", "1-2 2-3 3-4 4-5 5-1 5-6");
  t.CalcAttributes();
  EXPECT_EQ(t.GetAttrib(1), 0x06);
  EXPECT_EQ(t.GetAttrib(5), 0x16);
  EXPECT_EQ(t.GetAttrib(6), 0x41);
  BuildTable(t, "C C C C", "1-2 2-3 3-4");
  t.CalcAttributes();
  EXPECT_EQ(t.GetAttrib(2), 0x01);
}

// Ring counts of disconnected tables, and tables denser than molecules: the
// ring list stops at 100 rings and the search ends.
TEST(CTabRings, CountsAndDenseTables) {
  TCTab t(nullptr);
  BuildTable(t, "C C C Na+ Cl- C C C C", "1-2 2-3 3-1 6-7 7-8 8-9 9-6");
  EXPECT_EQ(t.RingsInMolecule(), 2) << "bonds - atoms + fragments";
  RingListType r;
  EXPECT_EQ(t.FindSSSR(r), 2);

  // K11 (55 bonds, 45 independent rings), then 63 atoms with up to ten
  // neighbours each (more rings than the list holds).
  std::string atoms, bonds;
  for (int i = 1; i <= 11; ++i) {
    atoms += "C ";
    for (int k = i + 1; k <= 11; ++k) bonds += std::to_string(i) + "-" + std::to_string(k) + " ";
  }
  BuildTable(t, atoms, bonds);
  EXPECT_EQ(t.RingsInMolecule(), 45);
  EXPECT_EQ(t.FindSSSR(r), 100) << "all triangles of K11 (165) do not fit";
  EXPECT_EQ(t.CalcAttributes(), 100);

  atoms.clear();
  bonds.clear();
  for (int i = 1; i <= 63; ++i) {
    atoms += "C ";
    for (int d : {1, 2, 3, 5, 7})
      if (i + d <= 63) bonds += std::to_string(i) + "-" + std::to_string(i + d) + " ";
  }
  BuildTable(t, atoms, bonds);
  EXPECT_EQ(CheckInvariants(t), "");
  EXPECT_GT(t.RingsInMolecule(), 100);
  EXPECT_EQ(t.FindSSSR(r), 100);
}

TEST(CTabRings, BasisCompletedWhereShortestRingsMissRings) {
  // A triangular prism: every atom's shortest ring is a triangle, yet a
  // ring basis needs squares too (all three are equally small).
  TCTab t(nullptr);
  BuildTable(t, "C C C C C C", "1-2 2-3 3-1 4-5 5-6 6-4 1-4 2-5 3-6");
  RingListType r;
  const int32_t n = t.FindSSSR(r);
  EXPECT_GE(n, t.RingsInMolecule());
  EXPECT_EQ(t.RingsInMolecule(), 4);
  std::multiset<int> sizes;
  for (int32_t i = 0; i < n; ++i) sizes.insert(r.Rings[static_cast<std::size_t>(i)][0]);
  EXPECT_EQ(sizes, (std::multiset<int>{3, 3, 4, 4, 4})) << RingText(r);
}

// ---------------------------------------------------------------------------
// Fragment codes

TEST(CTabFragments, Codes) {
  TCTab t(nullptr);
  BuildTable(t, "C C O O", "1-2 2=3 2-4");  // acetic acid
  int32_t next = -1;
  const int32_t code = t.FragmentCode(2, next);
  EXPECT_EQ(code, 3 | 22 << 4 | 21 << 10 | 13 << 16);
  EXPECT_EQ(FragmentStr(code), "C2O1O1C");
  EXPECT_EQ(next, 0);
  EXPECT_EQ(FragmentStr(t.FragmentCode(1, next)), "C1C");
  EXPECT_EQ(next, 2);
  EXPECT_EQ(FragmentStr(-1), "ERROR");
  BuildTable(t, "C C C C C C", "1:2 2:3 3:4 4:5 5:6 6:1");
  EXPECT_EQ(FragmentStr(t.FragmentCode(1, next)), "C4C4C");
  BuildTable(t, "C Na", "1-2");
  EXPECT_EQ(t.FragmentCode(1, next), -1) << "sodium is not coded";
  BuildTable(t, "S F F F F F", "1-2 1-3 1-4 1-5 1-6");
  EXPECT_EQ(t.FragmentCode(1, next), -2) << "five neighbours";
  EXPECT_EQ(t.FragmentCode(9, next), -1);
}

TEST(CTabFragments, CountsOfSmallMolecules) {
  const struct {
    const char* name;
    const char* atoms;
    const char* bonds;
    FrgType kind;
    int32_t n;
  } cases[] = {
      {"nitro with charges", "N+ O O- C", "1=2 1-3 1-4", NO2, 1},
      {"nitro uncharged", "N O O C", "1=2 1=3 1-4", NO2, 1},
      {"nitro with code-3 charge is not +1", "N O O C", "1=2 1-3 1-4", NO2, 0},
      {"acetic acid", "C C O O", "1-2 2=3 2-4", COOH, 1},
      {"methyl acetate", "C C O O C", "1-2 2=3 2-4 4-5", COO, 1},
      {"methyl acetate methoxy", "C C O O C", "1-2 2=3 2-4 4-5", OCH3, 1},
      {"formaldehyde carbon with two doubles", "O C C", "1=2 2=3", CHO, 0},
      {"acetaldehyde", "C C O", "1-2 2=3", CHO, 1},
      {"hydrazine", "N N C", "1-2 2-3", NNH2, 1},
      {"amide nitrogen is not an amine", "C C O N", "1-2 2=3 2-4", NH2, 0},
      {"amide", "C C O N", "1-2 2=3 2-4", CONR2, 1},
      {"urea", "N C O N", "1-2 2=3 2-4", NCON, 1},
      {"acetyl chloride", "C C O Cl", "1-2 2=3 2-4", COX, 1},
      {"nitrile", "C C N", "1-2 2#3", CN, 1},
  };
  for (const auto& c : cases) {
    TCTab t(nullptr);
    BuildTable(t, c.atoms, c.bonds);
    EXPECT_EQ(t.FragmentCount(c.kind), c.n) << c.name;
  }
}

// ---------------------------------------------------------------------------
// Search

TEST(CTabSearch, MatchesKeepElementBondAndAttributeMeaning) {
  const struct {
    const char* name;
    const char* atoms;
    const char* bonds;
    const char* qatoms;
    const char* qbonds;
    bool types;
    bool found;
  } cases[] = {
      {"ethanol in propanol", "C C C O", "1-2 2-3 3-4", "C C O", "1-2 2-3", true, true},
      {"not induced: a chain finds a ring", "C C C C C C", "1-2 2-3 3-4 4-5 5-6 6-1", "C C C",
       "1-2 2-3", true, true},
      {"ring closure bond type compared", "C C C C C C", "1=2 2-3 3-4 4-5 5-6 6-1", "C C C C C C",
       "1-2 2-3 3-4 4-5 5-6 6=1", true, true},
      {"ring closure bond type mismatch", "C C C C C C", "1-2 2-3 3-4 4-5 5-6 6-1", "C C C C C C",
       "1-2 2-3 3-4 4-5 5-6 6=1", true, false},
      {"without bond types", "C C C C C C", "1-2 2-3 3-4 4-5 5-6 6-1", "C C C C C C",
       "1-2 2-3 3-4 4-5 5-6 6=1", false, true},
      {"a salt still holds its ring", "C C C C C C O- Na+", "1-2 2-3 3-4 4-5 5-6 6-1 1-7",
       "C C C C C C", "1-2 2-3 3-4 4-5 5-6 6-1", true, true},
      {"both query parts", "C O C N", "1-2 3-4", "O N", "", true, true},
      {"a query part missing", "C O C C", "1-2 3-4", "O N", "", true, false},
      {"two chlorines need two atoms", "C Cl", "1-2", "Cl Cl", "", true, false},
      {"more atoms than the table", "C O", "1-2", "C O C", "1-2 2-3", true, false},
      {"the element decides", "C O", "1-2", "C N", "1-2", false, false},
      {"empty query", "C", "", "", "", true, false},
  };
  for (const auto& c : cases) {
    TCTab t(nullptr), q(nullptr);
    BuildTable(t, c.atoms, c.bonds);
    BuildTable(q, c.qatoms, c.qbonds);
    std::vector<uint8_t> map;
    EXPECT_EQ(t.SearchSubStruc(q, map, c.types), c.found) << c.name;
    if (c.found) {
      EXPECT_EQ(std::count(map.begin(), map.end(), 1), q.NAtoms()) << c.name;
      EXPECT_EQ(map.size(), static_cast<std::size_t>(t.NAtoms()) + 1) << c.name;
    }
  }

  TCTab t(nullptr), q(nullptr);
  BuildTable(t, "C C C C C C O", "1-2 2-3 3-4 4-5 5-6 6-1 1-7");
  BuildTable(q, "C O", "1-2");
  t.CalcAttributes();
  q.SetAttrib(1, atRing);
  std::vector<uint8_t> map;
  EXPECT_TRUE(t.SearchSubStruc(q, map, true));
  q.SetAttrib(1, atChain);
  EXPECT_FALSE(t.SearchSubStruc(q, map, true)) << "the carbon next to O is a ring atom";
}

TEST(CTabSearch, TraceFileOnlyWhenAsked) {
  testing::TempDir dir;
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  TCTab t(nullptr), q(nullptr);
  BuildTable(t, "C O", "1-2");
  BuildTable(q, "O", "");
  std::vector<uint8_t> map;
  EXPECT_TRUE(t.SearchSubStruc(q, map, true));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "substrct.txt"));
  t.SetTraceFile(dir.File("trace.txt"));
  EXPECT_TRUE(t.SearchSubStruc(q, map, true));
  std::filesystem::current_path(cwd);
  const std::string trace = testing::ReadRawFile(dir.File("trace.txt"));
  EXPECT_NE(trace.find("level=0"), std::string::npos) << trace;
  EXPECT_NE(trace.find("final: T"), std::string::npos) << trace;
  EXPECT_NE(trace.find("-----"), std::string::npos) << trace;
}

TEST(CTabSearch, AtomTemplates) {
  TCTab t(nullptr);
  BuildTable(t, "C C O N C", "1-2 2=3 2-4 4-5");
  AtListType l;
  const auto none = std::array<uint8_t, 10>{};
  auto list = [&](int32_t z, int32_t n, std::array<uint8_t, 10> types) {
    t.MatchAtomTemplate(z, n, types, l);
    std::string s;
    for (int i = 1; i <= l[0]; ++i) s += std::to_string(l[static_cast<std::size_t>(i)]) + ' ';
    return s;
  };
  EXPECT_EQ(list(6, 0, none), "1 2 5 ");
  EXPECT_EQ(list(-6, 0, none), "3 4 ");
  EXPECT_EQ(list(0, 1, none), "1 3 5 ");
  EXPECT_EQ(list(0, -1, none), "2 4 ");
  EXPECT_EQ(list(6, 0, {2}), "2 ");
  EXPECT_EQ(list(0, 0, {1, 2}), "2 ");
}

// ---------------------------------------------------------------------------
// Geometry

TEST(CTabGeometry, ExtentsCentreAndPicking) {
  TCTab t(nullptr);
  BuildTable(t, "C O N", "1-2 2-3");
  const double xyz[3][3] = {{-20, -5, 1}, {-10, -5, 2}, {-10, 5, 3}};
  for (int a = 0; a < 3; ++a)
    for (int k = 0; k < 3; ++k) t.SetCoords(a + 1, k + 1, xyz[a][k]);
  double minx, miny, maxx, maxy, mx, my;
  EXPECT_DOUBLE_EQ(static_cast<double>(t.CalcMolExtents(minx, miny, maxx, maxy, mx, my)), 10);
  EXPECT_EQ(minx, -20) << "seeded from the atoms, not from 10000";
  EXPECT_EQ(maxx, -10) << "seeded from the atoms, not from 0";
  EXPECT_EQ(miny, -5);
  EXPECT_EQ(maxy, 5);
  EXPECT_NEAR(mx, -40.0 / 3, 1e-12);
  EXPECT_NEAR(my, -5.0 / 3, 1e-12);
  double x, y, z;
  t.CalcMolCenter(x, y, z);
  EXPECT_NEAR(z, 2, 1e-12);
  int32_t atom = 0;
  double dist = 0;
  t.FindClosestAtom(-11, 4, 3, atom, dist);
  EXPECT_EQ(atom, 3);
  EXPECT_NEAR(dist, std::sqrt(2.0), 1e-12);
  EXPECT_EQ(t.FindAtomInBox(-15, 0, 2, 5, 5, 1), 3) << "the last atom inside";
  EXPECT_EQ(t.FindAtomInBox(-15, 0, 2, 4, 4, 1), -1);

  BuildTable(t, "C", "");
  EXPECT_EQ(t.CalcMolExtents(minx, miny, maxx, maxy, mx, my), 0);
  EXPECT_EQ(maxx, 10000);
  EXPECT_EQ(maxy, 7000);
  EXPECT_EQ(mx, 5000);
  t.Clear();
  t.FindClosestAtom(0, 0, 0, atom, dist);
  EXPECT_EQ(atom, 0);
  EXPECT_EQ(dist, std::numeric_limits<double>::max());
  t.CalcMolCenter(x, y, z);
  EXPECT_EQ(x, 0);
}

}  // namespace
}  // namespace nuv
