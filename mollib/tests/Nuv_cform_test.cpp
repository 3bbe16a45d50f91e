#include "nuv/Nuv_cform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace nuv {
namespace {

// Entries as "Z/mass/count" separated by blanks.
std::string Entries(const TMolForm& f) {
  std::string s;
  for (int32_t i = 1; i <= f.NumAtoms(); ++i) {
    if (i > 1) s += ' ';
    s += std::to_string(f.AtNum(i)) + '/' + std::to_string(f.AtWgt(i)) + '/' +
         std::to_string(f.AtCnt(i));
  }
  return s;
}

class MolFormTest : public ::testing::Test {
 protected:
  std::unique_ptr<TMolForm> Make(std::string_view text) {
    auto f = std::make_unique<TMolForm>(nullptr);
    f->SetMolFormula(text);
    return f;
  }
};

TEST_F(MolFormTest, Defaults) {
  TMolForm f(nullptr);
  EXPECT_EQ(Entries(f), "1/1/2 8/16/1") << "water";
  EXPECT_EQ(f.AsString(0), "H2 O ");
  EXPECT_FALSE(f.Transparent());
  EXPECT_TRUE(f.UseDeuterium());
  EXPECT_FALSE(f.ShowAsText());
  EXPECT_EQ(f.IsotopeVis(), ivSpecial);
  EXPECT_EQ(f.Alignment(), taCenter);
  EXPECT_EQ(f.Search().Mass(), 0);
  EXPECT_EQ(f.Search().Tolerance(), 0.05);
  EXPECT_FALSE(f.FindFormulaNominalMass(false)) << "no search prepared";
}

TEST_F(MolFormTest, ParsesFormulaText) {
  const struct {
    const char* text;
    const char* entries;
    bool complete;
  } cases[] = {
      {"C6 H12 O6", "6/12/6 1/1/12 8/16/6", true},
      {"C6H12O6", "6/12/6 1/1/12 8/16/6", true},
      {"c6,h12.o6", "6/12/6 1/1/12 8/16/6", true},
      {"13C H4", "6/13/1 1/1/4", true},
      {"13C 1H4", "6/13/1 1/1/4", true},  // the 1 counts the carbon
      {"13 C2", "6/13/2", true},
      {"C 6 H 6", "6/12/6 1/1/6", true},
      {"D2 O", "1/2/2 8/16/1", true},
      {"3D", "1/3/1", true},
      {"C0", "6/12/1", true},  // a count of 0 reads as 1
      {"CL2 cl", "17/35/2 17/35/1", true},
      {"Fm Md2 Lr", "100/257/1 101/257/2 103/256/1", true},
      {"C300 H602", "6/12/300 1/1/602", true},
      {"Cu S O4 (H2 O)5", "29/63/1 16/32/1 8/16/4 1/1/10 8/16/5", true},
      {"Cu S O4(H2 O)5", "29/63/1 16/32/1 8/16/4 1/1/10 8/16/5", true},
      {"Ca (O H)2 C", "20/40/1 8/16/2 1/1/2 6/12/1", true},
      {"(H2 O)", "1/1/2 8/16/1", true},   // no multiplier: 1
      {"(H2 O)0", "1/1/2 8/16/1", true},  // multiplier 0 counts as 1
      {"(H2 (C O)2 N)3", "", false},      // groups do not nest
      {"((C H3)2 N)3", "", false},
      {"K4(Fe(C N)6)", "", false},
      {"(C H3)2 (N H)2", "6/12/2 1/1/6 7/14/2 1/1/2", true},  // one group after another
      {"H2 O)3 C", "1/1/2 8/16/1 6/12/1", true},
      {"C#6 H!4", "6/12/6 1/1/4", true},  // other characters are skipped
      {"", "", true},
      {"CO2", "27/59/2", true},  // cobalt: symbols must be kept apart
      {"CH4", "", false},
      {"C6 Xx2 O", "6/12/6", false},
      {"C70000", "", false},
      {"C65535", "6/12/65535", true},
      {"1000C", "", false},
      {"0C", "", false},
      {"(C H2)70000", "", false},
      {"C H2 (C H2)70000", "6/12/1 1/1/2", false},
      {"(C H2)40000", "6/12/40000", false},  // 2 x 40000 hydrogens is too many
      {"C 12", "6/12/12", true},
      {"13", "", false},
  };
  for (const auto& c : cases) {
    TMolForm f(nullptr);
    f.Clear();
    EXPECT_EQ(f.ScanMolFormula(c.text), c.complete) << "text='" << c.text << "'";
    EXPECT_EQ(Entries(f), c.entries) << "text='" << c.text << "'";
  }
}

TEST_F(MolFormTest, NestedGroupsLeaveTheFormulaUnchanged) {
  TMolForm f(nullptr);
  f.SetMolFormula("C2 H6");
  for (const char* text : {"((C H3)2 N)3", "K4(Fe(C N)6)", "C (H (O)"}) {
    EXPECT_FALSE(f.ScanMolFormula(text)) << text;
    EXPECT_EQ(Entries(f), "6/12/2 1/1/6") << text;
    f.SetMolFormula(text);
    EXPECT_EQ(Entries(f), "6/12/2 1/1/6") << text;
  }
}

// Where reading stopped, so that a caller can point at the fault.
TEST_F(MolFormTest, ScanMolFormulaReportsWhereItStopped) {
  const struct {
    const char* text;
    bool complete;
    int32_t stop;
  } cases[] = {
      {"C6 H12 O6", true, 10},   {"", true, 1},           {"C6 Xx O6", false, 4},
      {"C2 (H2 O)3 Qq", false, 12}, {"K4(Fe(C N)6)", false, 6}, {"C70000", false, 1},
  };
  for (const auto& c : cases) {
    TMolForm f(nullptr);
    f.Clear();
    int32_t stop = 0;
    EXPECT_EQ(f.ScanMolFormula(c.text, stop), c.complete) << c.text;
    EXPECT_EQ(stop, c.stop) << c.text;
  }
}

TEST_F(MolFormTest, KeepsAtMostTwentyEntries) {
  std::string text;
  for (int i = 0; i < 25; ++i) text += "C H ";
  TMolForm f(nullptr);
  f.SetMolFormula(text);
  EXPECT_EQ(f.NumAtoms(), 20);
  EXPECT_EQ(f.AtNum(20), 1);
  EXPECT_FALSE(f.ReadFromString(text));
  EXPECT_EQ(f.NumAtoms(), 20);
}

TEST_F(MolFormTest, ScanNextFormPartLeavesPosWhereThePartEnded) {
  const struct {
    const char* text;
    int32_t pos;
    bool ok;
    int32_t z, mass, count, posAfter;
  } cases[] = {
      {"C6 H12", 1, true, 6, 12, 6, 3},   // on the blank after the count
      {"C6 H12", 3, true, 1, 1, 12, 7},   // end of text
      {"C6H12", 1, true, 6, 12, 6, 3},    // on the next symbol
      {"13C 1H4", 1, true, 6, 13, 1, 6},  // on "H"
      {"C (H)", 1, true, 6, 12, 1, 3},    // on "("
      {"(C", 1, false, 0, 0, 0, 1},      {"C", 0, true, 6, 12, 1, 2},
      {"C", -5, true, 6, 12, 1, 2},      {"C", 7, false, 0, 0, 0, 2},
      {"Qq2", 1, false, 0, 0, 0, 4},     {"  ", 1, false, 0, 0, 0, 3},
  };
  for (const auto& c : cases) {
    int32_t pos = c.pos, count = 0, mass = 0, z = 0;
    EXPECT_EQ(TMolForm::ScanNextFormPart(c.text, pos, count, mass, z), c.ok)
        << "text='" << c.text << "' pos=" << c.pos;
    EXPECT_EQ(z, c.z) << "text='" << c.text << "' pos=" << c.pos;
    EXPECT_EQ(mass, c.mass) << "text='" << c.text << "' pos=" << c.pos;
    EXPECT_EQ(count, c.count) << "text='" << c.text << "' pos=" << c.pos;
    EXPECT_EQ(pos, c.posAfter) << "text='" << c.text << "' pos=" << c.pos;
  }
}

TEST_F(MolFormTest, ReadFromStringIgnoresGroups) {
  TMolForm f(nullptr);
  EXPECT_FALSE(f.ReadFromString("Cu S O4 (H2 O)5"));
  EXPECT_EQ(Entries(f), "29/63/1 16/32/1 8/16/4");
  EXPECT_TRUE(f.ReadFromString("C2 H6 "));
  EXPECT_EQ(Entries(f), "6/12/2 1/1/6");
  EXPECT_TRUE(f.ReadFromString(f.AsString(1))) << "its own text, final blank included";
  EXPECT_EQ(Entries(f), "6/12/2 1/1/6");
}

TEST_F(MolFormTest, WritesFormulaText) {
  const struct {
    const char* formula;
    const char *mode0, *mode1;
  } cases[] = {
      {"H2 O", "H2 O ", "1H2 16O1 "},
      {"D2 O", "D2 O ", "2D2 16O1 "},
      {"13C H4", "C H4 ", "13C1 1H4 "},
      {"C O", "C O ", "12C1 16O1 "},
      {"Fm", "Fm ", "257Fm1 "},
      {"C300", "C300 ", "12C300 "},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    auto f = Make(c.formula);
    EXPECT_EQ(f->AsString(0), c.mode0) << "formula='" << c.formula << "'";
    EXPECT_EQ(f->AsString(1), c.mode1) << "formula='" << c.formula << "'";
    EXPECT_EQ(f->MolFormula(), c.mode1) << "formula='" << c.formula << "'";
    EXPECT_EQ(f->AsString(7), c.mode0) << "every mode but 1 writes the short form";
  }
  EXPECT_EQ(TMolForm::ChemElem(0, 12, 1, 0), "");
  EXPECT_EQ(TMolForm::ChemElem(104, 12, 1, 0), "");
  EXPECT_EQ(TMolForm::ChemElem(6, 12, 0, 1), "");
  EXPECT_EQ(TMolForm::ChemElem(6, 12, -3, 0), "");
  EXPECT_EQ(TMolForm::ChemElem(6, 13, 2, 1), "13C2");
  EXPECT_EQ(TMolForm::ChemElem(1, 2, 1, 0), "D");
}

TEST_F(MolFormTest, MolFormulaTextReadsBackToTheSameEntries) {
  const char* formulas[] = {"C O",
                            "H Cl",
                            "13C H4",
                            "D2 O",
                            "C6 H12 O6",
                            "Fm Md Lr",
                            "C300 H602 N O S",
                            "1H 2H 3H",
                            "Cu S O4 (H2 O)5",
                            "U F6"};
  for (const char* text : formulas) {
    auto f = Make(text);
    auto g = Make(f->MolFormula());
    EXPECT_EQ(g->FormulaRec(), f->FormulaRec())
        << "formula='" << text << "' text='" << f->MolFormula() << "'";
  }
}

TEST_F(MolFormTest, EntryAccessorsCheckTheirRanges) {
  TMolForm f(nullptr);
  EXPECT_EQ(f.AtNum(0), 0);
  EXPECT_EQ(f.AtNum(3), 0);
  EXPECT_EQ(f.AtCnt(-1), 0);
  f.SetAtCnt(1, 300);
  EXPECT_EQ(f.AtCnt(1), 300) << "counts beyond a byte stay whole";
  f.SetAtWgt(1, 257);
  EXPECT_EQ(f.AtWgt(1), 257);
  const struct {
    const char* what;
    void (TMolForm::*set)(int32_t, int32_t);
    int32_t ix, value;
  } ignored[] = {
      {"AtNum 0", &TMolForm::SetAtNum, 1, 0},       {"AtNum 104", &TMolForm::SetAtNum, 1, 104},
      {"AtNum Ix 3", &TMolForm::SetAtNum, 3, 6},    {"AtWgt 0", &TMolForm::SetAtWgt, 1, 0},
      {"AtWgt 1000", &TMolForm::SetAtWgt, 1, 1000}, {"AtWgt Ix 0", &TMolForm::SetAtWgt, 0, 12},
      {"AtCnt -1", &TMolForm::SetAtCnt, 1, -1},     {"AtCnt 65536", &TMolForm::SetAtCnt, 1, 65536},
      {"AtCnt Ix 21", &TMolForm::SetAtCnt, 21, 1},
  };
  for (const auto& c : ignored) {
    const TFormulaRec before = f.FormulaRec();
    (f.*c.set)(c.ix, c.value);
    EXPECT_EQ(f.FormulaRec(), before) << c.what;
  }
  f.SetAtNum(2, 6);
  EXPECT_EQ(f.AtNum(2), 6);
  f.SetNumAtoms(0);
  f.SetNumAtoms(21);
  EXPECT_EQ(f.NumAtoms(), 2);
  f.SetNumAtoms(5);
  EXPECT_EQ(f.NumAtoms(), 5);
  EXPECT_EQ(f.AtNum(5), 0) << "unused entries are cleared";
  f.Clear();
  EXPECT_EQ(f.NumAtoms(), 0);
  EXPECT_EQ(f.FormulaRec(), TFormulaRec{});
}

TEST_F(MolFormTest, FormulaRecordIsCheckedOnTheWayIn) {
  TMolForm f(nullptr);
  TFormulaRec r;
  r.NumAtoms = 2;
  r.AtNum = {6, 100};
  r.AtWgt = {13, 257};
  r.AtCnt = {2, 0};
  EXPECT_TRUE(f.SetFormulaRec(r));
  EXPECT_EQ(Entries(f), "6/13/2 100/257/0");
  const TFormulaRec good = r;
  r.AtNum[1] = 104;
  EXPECT_FALSE(f.SetFormulaRec(r)) << "atomic number 104";
  r = good;
  r.AtWgt[0] = 0;
  EXPECT_FALSE(f.SetFormulaRec(r)) << "mass 0";
  r = good;
  r.NumAtoms = 21;
  EXPECT_FALSE(f.SetFormulaRec(r)) << "21 entries";
  EXPECT_EQ(f.FormulaRec(), good);
}

TEST_F(MolFormTest, ComparesCompositions) {
  const struct {
    const char *a, *b;
    int32_t result;
  } cases[] = {
      {"C2 H6", "C2 H4", 1},   {"C2 H4", "C2 H6", 2},     {"C2 H6", "C2 H6", 0},
      {"C2 H6", "H6 C2", 0},   {"C H3 C H3", "C2 H6", 0},  // entries of one key are summed
      {"C2 H6", "C3 H4", -1},  {"13C H4", "C H4", -1},     // isotopes are separate keys
      {"C2 H6", "", -2},       {"", "C2 H6", -2},         {"", "", -2},
      {"C2 H6 O", "C2 H6", 1},
  };
  for (const auto& c : cases) {
    auto a = Make(c.a);
    auto b = Make(c.b);
    EXPECT_EQ(a->CompareTo(*b), c.result) << "a='" << c.a << "' b='" << c.b << "'";
  }
}

TEST_F(MolFormTest, MassesOfRealMolecules) {
  // Reference values from RDKit 2022.09 (Debian python3-rdkit):
  //   python3 -c "from rdkit import Chem; from rdkit.Chem import Descriptors as D;
  //     m = Chem.MolFromSmiles(SMILES); print(D.ExactMolWt(m), D.MolWt(m))"
  // and the same exact masses from Open Babel 3.1 (obabel -:SMILES -oreport).
  // Our element table holds older values: exact masses agree within 1e-5,
  // chemical weights within 100 ppm.
  const struct {
    const char* name;
    const char* formula;
    int32_t nominal;
    double exact, chem;
  } cases[] = {
      // OC[C@H]1OC(O)[C@H](O)[C@@H](O)[C@@H]1O
      {"glucose", "C6 H12 O6", 180, 180.063388, 180.156},
      // Cn1cnc2c1c(=O)n(C)c(=O)n2C
      {"caffeine", "C8 H10 N4 O2", 194, 194.080376, 194.194},
      // [Cu+2].[O-]S(=O)(=O)[O-].O.O.O.O.O
      {"copper sulphate pentahydrate", "Cu S O4 (H2 O)5", 249, 248.934150, 249.684},
      // Brc1ccccc1
      {"bromobenzene", "C6 H5 Br", 156, 155.957462, 157.010},
      // CI
      {"iodomethane", "C H3 I", 142, 141.927948, 141.939},
      // Oc1ccccc1I
      {"2-iodophenol", "C6 H5 I O", 220, 219.938513, 220.009},
  };
  for (const auto& c : cases) {
    auto f = Make(c.formula);
    EXPECT_EQ(f->NominalMolWgt(), c.nominal) << c.name;
    EXPECT_NEAR(static_cast<double>(f->ExactMolWgt()), c.exact, 1e-5) << c.name;
    EXPECT_NEAR(static_cast<double>(f->ChemMolWgt()), c.chem, c.chem * 1e-4) << c.name;
  }
  auto glucose = Make("C6 H12 O6");
  EXPECT_NEAR(static_cast<double>(glucose->ChemMolWgt()), 6 * 12.01115 + 12 * 1.00797 + 6 * 15.9994,
              1e-12);
  EXPECT_EQ(Make("Fm C2")->NominalMolWgt(), 281) << "257 + 24, no byte wrap";
  EXPECT_EQ(Make("C300")->NominalMolWgt(), 3600);
}

TEST_F(MolFormTest, ExactMassIgnoresIsotopeLabels) {
  // [2H]O[2H] is 20.023118 and [13CH4] 17.034655 by RDKit; the exact
  // molecular weight here is that of the unlabelled molecule, by design.
  auto heavyWater = Make("D2 O");
  EXPECT_EQ(heavyWater->NominalMolWgt(), 20);
  EXPECT_NEAR(static_cast<double>(heavyWater->ExactMolWgt()), 18.010565, 1e-5) << "RDKit: water O";
  auto methane = Make("13C H4");
  EXPECT_EQ(methane->NominalMolWgt(), 17);
  EXPECT_NEAR(static_cast<double>(methane->ExactMolWgt()), 16.0313, 1e-4);
}

TEST_F(MolFormTest, AssignCopiesEntriesPropertiesAndSearch) {
  TMolForm a(nullptr), b(nullptr);
  a.SetMolFormula("C2 N2 H4");
  a.SetIsotopeVis(ivAlways);
  a.SetUseDeuterium(false);
  a.SetAlignment(taRightJustify);
  a.SetTransparent(true);
  a.SetShowAsText(true);
  TFormulaRec low;
  ASSERT_TRUE(a.InitFindFormula(28, 0.05, low, a.FormulaRec()));
  ASSERT_TRUE(a.FindFormulaNominalMass(false));
  b.Assign(a);
  EXPECT_EQ(b.FormulaRec(), a.FormulaRec());
  EXPECT_EQ(b.IsotopeVis(), ivAlways);
  EXPECT_FALSE(b.UseDeuterium());
  EXPECT_EQ(b.Alignment(), taRightJustify);
  EXPECT_TRUE(b.Transparent());
  EXPECT_TRUE(b.ShowAsText());
  // Both continue the search from the same place.
  ASSERT_TRUE(a.FindFormulaNominalMass(false));
  ASSERT_TRUE(b.FindFormulaNominalMass(false));
  EXPECT_EQ(Entries(b), Entries(a));
  EXPECT_EQ(Entries(b), "6/12/1 7/14/1 1/1/2");
  TComponent other(nullptr);
  EXPECT_THROW(b.Assign(other), EConvertError);
}

}  // namespace
}  // namespace nuv
