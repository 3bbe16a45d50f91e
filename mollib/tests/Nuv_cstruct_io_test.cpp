// Files of TCTab: the readers on hand-written and malformed records, round
// trips through the writers, and molecules written by RDKit and Open Babel
// against the values those programs compute (tools/ref/cstruct_fixtures.py).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "FileFixtures.h"
#include "Nuv_cstruct_test_util.h"
#include "TempDir.h"
#include "nuv/Nuv_cstruct.h"
#include "nuv/Nuv_math2.h"
#include "nuv/platform/Streams.h"

namespace nuv {
namespace {

using testing::BondList;
using testing::BuildTable;
using testing::CheckInvariants;
using testing::Formula;
using testing::ReadRawFile;
using testing::WriteRawFile;

const std::string kData = std::string(NUV_MOLLIB_TEST_DATA) + "/cstruct/";

std::string Charges(const TCTab& t) {
  std::string s;
  for (int32_t a = 1; a <= t.NAtoms(); ++a)
    s += (a > 1 ? "," : "") + std::to_string(t.GetCharge(a));
  return s;
}

// Reader kinds of the tables below.
enum Reader { rdCTab, rdMol, rdMolStream, rdSD, rdContab, rdCtabg };

bool ReadText(TCTab& t, Reader r, const std::string& text) {
  if (r == rdMolStream) {
    TStringStream s(text);
    return t.ReadFromMDLMolStream(s);
  }
  testing::TempDir dir;
  const std::string path = dir.File("in.txt");
  WriteRawFile(path, text);
  TextFile f(path);
  f.Reset();
  switch (r) {
    case rdCTab:
      return t.ReadFromMDLCTabFile(f);
    case rdMol:
      return t.ReadFromMDLMolFile(f);
    case rdSD:
      return t.ReadFromMDLSDFile(f, nullptr);
    case rdContab:
      return t.ReadFromClearTextFile(f);
    default:
      return t.ReadFromClearTextFileCTABG(f);
  }
}

// A table to be overwritten, so that a refused record shows as changes.
void Prefill(TCTab& t) {
  BuildTable(t, "N O", "1=2");
  t.SetStrucName("before");
  t.SetCASNr("50-00-0");
}

struct SdRecord {
  bool ok;
  std::unique_ptr<TCTab> table;
  TPropRec props;
};

std::vector<SdRecord> ReadSD(const std::string& path) {
  std::vector<SdRecord> out;
  TextFile f(path);
  f.Reset();
  while (!f.Eof()) {
    SdRecord r{false, std::make_unique<TCTab>(nullptr), {}};
    r.ok = r.table->ReadFromMDLSDFile(f, &r.props);
    out.push_back(std::move(r));
  }
  return out;
}

// Rows of a tab-separated file without its comment lines.
std::vector<std::vector<std::string>> ReadTsv(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::istringstream ls(line);
    for (std::string c; std::getline(ls, c, '\t');) cells.push_back(c);
    rows.push_back(cells);
  }
  return rows;
}

const char* const kMol =
    "name\n"
    "  program\n"
    "comment\n"
    "  3  2  0  0  0  0  0  0  0  0999 V2000\n"
    "    1.2000   -0.5000    0.0000 Cl  0  5  0  0  0  0  0  0  0  0  0  0\n"
    "    2.2000   -0.5000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "    3.2000    0.5000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "  1  2  1  0  0  0  0\n"
    "  2  3  2  0  0  0  0\n"
    "M  END\n";

TEST(CTabReaders, FixedColumnsChargeCodesAndNormalisation) {
  TCTab t(nullptr);
  ASSERT_TRUE(ReadText(t, rdMol, kMol));
  EXPECT_EQ(t.StrucName(), "name");
  EXPECT_EQ(t.GetAtNum(1), 17);
  EXPECT_EQ(t.GetAtWeight(1), 35);
  EXPECT_EQ(t.GetCharge(1), -1);
  EXPECT_EQ(BondList(t), "1-2:1 2-3:2");
  // x spans 2, y 1: factor max(800 / 2, 600 / 1) = 600.
  const double want[3][2] = {{0, 0}, {600, 0}, {1200, 600}};
  for (int a = 0; a < 3; ++a)
    for (int k = 0; k < 2; ++k)
      EXPECT_EQ(t.GetCoords(a + 1, k + 1), want[a][k]) << "atom " << a + 1 << " axis " << k + 1;

  const struct {
    int code, charge;
  } codes[] = {{0, 0}, {1, 3}, {2, 2}, {3, 1}, {4, 0}, {5, -1}, {6, -2}, {7, -3}, {9, 9}};
  for (const auto& c : codes) {
    std::string text = "  1  0\n    0.0000    0.0000    0.0000 N   0" +
                       std::string(c.code < 10 ? "  " : " ") + std::to_string(c.code) + "\n";
    ASSERT_TRUE(ReadText(t, rdCTab, text)) << "code " << c.code;
    EXPECT_EQ(t.GetCharge(1), c.charge) << "code " << c.code;
  }
  // Both x and y without extent: z keeps its extent, scaled to 800 units.
  ASSERT_TRUE(ReadText(
      t, rdCTab,
      "  2  1\n    0.0000    0.0000    0.0000 C   0  0\n    0.0000    0.0000    1.5000 C   0  0\n"
      "  1  2  1\n"));
  EXPECT_EQ(t.GetCoords(2, 3), 800);
  // A huge extent is capped at 32767 units.
  ASSERT_TRUE(ReadText(
      t, rdCTab,
      "  2  1\n    0.0000    0.0000    0.0000 C   0  0\n    0.0010    0.0000 9999.0000 C   0  0\n"
      "  1  2  1\n"));
  EXPECT_EQ(t.GetCoords(2, 3), 32767);
  EXPECT_LE(t.GetCoords(2, 1), 32767);
}

TEST(CTabReaders, PropertyLinesIsotopesAndQueryBonds) {
  TCTab t(nullptr);
  const std::string head =
      "x\n\n\n  3  2\n    0.0000    0.0000    0.0000 C   1  3\n"
      "    1.0000    0.0000    0.0000 D   0  0\n    2.0000    0.0000    0.0000 T   0  0\n";
  ASSERT_TRUE(ReadText(t, rdMol, head + "  1  2  1\n  1  3  1\nM  END\n"));
  EXPECT_EQ(t.GetAtWeight(1), 13);
  EXPECT_EQ(t.GetCharge(1), 1);
  EXPECT_EQ(t.GetAtNum(2), 1);
  EXPECT_EQ(t.GetAtWeight(2), 2);
  EXPECT_EQ(t.GetAtWeight(3), 3);
  ASSERT_TRUE(ReadText(
      t, rdMol,
      head + "  1  2  1\n  1  3  1\nM  CHG  1   2  -1\nM  ISO  2   1  14   3   3\nM  END\n"));
  EXPECT_EQ(t.GetCharge(1), 0) << "M  CHG replaces the atom block's charges";
  EXPECT_EQ(t.GetCharge(2), -1);
  EXPECT_EQ(t.GetAtWeight(1), 14);
  TCTab before(nullptr);
  before.CopyFrom(t);
  EXPECT_FALSE(ReadText(t, rdMol, head + "  1  2  8\n  1  3  1\nM  END\n")) << "query bond";
  EXPECT_EQ(BondList(t), "1-2:1 1-3:1") << "read as a single bond";
  EXPECT_EQ(t.StrucName(), "x");
}

// Every malformed record gives false and leaves the table as it was.
TEST(CTabReaders, BadRecordsLeaveTheTable) {
  const std::string atoms2 =
      "    0.0000    0.0000    0.0000 C   0  0\n    1.0000    0.0000    0.0000 O   0  0\n";
  std::string many = " 64  0\n";
  for (int i = 0; i < 64; ++i) many += "    0.0000    0.0000    0.0000 C   0  0\n";
  std::string star = " 12 11\n";
  for (int i = 0; i < 12; ++i) star += "    0.0000    0.0000    0.0000 C   0  0\n";
  for (int i = 2; i <= 12; ++i)
    star += "  1" + std::string(i < 10 ? "  " : " ") + std::to_string(i) + "  1\n";
  const struct {
    const char* name;
    Reader reader;
    std::string text;
  } cases[] = {
      {"empty file", rdCTab, ""},
      {"no atoms", rdCTab, "  0  0\n"},
      {"64 atoms", rdCTab, many},
      {"eleven neighbours", rdCTab, star},
      {"atom count not a number", rdCTab, "  x  0\n" + atoms2},
      {"bond count not a number", rdCTab, "  2  y\n" + atoms2},
      {"count overflow", rdCTab, "99999999999  0\n" + atoms2},
      {"file ends inside the atoms", rdCTab, "  3  0\n" + atoms2},
      {"file ends inside the bonds", rdCTab, "  2  2\n" + atoms2 + "  1  2  1\n"},
      {"bond count reads M  CHG as a bond", rdCTab,
       "  2  2\n" + atoms2 + "  1  2  1\nM  CHG  1   1   1\nM  END\n"},
      {"bond to atom 3 of 2", rdCTab, "  2  1\n" + atoms2 + "  1  3  1\n"},
      {"bond to atom 0", rdCTab, "  2  1\n" + atoms2 + "  0  2  1\n"},
      {"self-bond", rdCTab, "  2  1\n" + atoms2 + "  2  2  1\n"},
      {"bond type 0", rdCTab, "  2  1\n" + atoms2 + "  1  2  0\n"},
      {"negative bond type", rdCTab, "  2  1\n" + atoms2 + "  1  2 -1\n"},
      {"coordinate not a number", rdCTab, "  1  0\n    0.0x00    0.0000    0.0000 C   0  0\n"},
      {"coordinate infinite", rdCTab, "  1  0\n       inf    0.0000    0.0000 C   0  0\n"},
      {"no symbol", rdCTab, "  1  0\n    0.0000    0.0000    0.0000\n"},
      {"charge code beyond a byte", rdCTab, "  1  0\n    0.0000    0.0000    0.0000 C   0999\n"},
      {"binary bytes", rdCTab, std::string("\x01\xff\x00\x02  2  1\n", 10) + atoms2},
      {"M  CHG atom out of range", rdCTab, "  2  0\n" + atoms2 + "M  CHG  1   5   1\nM  END\n"},
      {"M  CHG count short", rdCTab, "  2  0\n" + atoms2 + "M  CHG  2   1   1\nM  END\n"},
      {"V3000", rdMol, "x\n\n\n  0  0  0     0  0            999 V3000\nM  V30 BEGIN CTAB\n"},
      {"molfile without header", rdMol, "x\n"},
      {"stream ends inside the atoms", rdMolStream, "x\r\n\r\n\r\n  3  0\r\n" + atoms2},
      {"SD atoms in free format, cut", rdSD, "x\n\n\n  2  1\n    0.0000    0.0000\n"},
      {"SD record ends inside the bonds", rdSD, "x\n\n\n  2  1\n" + atoms2 + "$$$$\n"},
      {"SD count 64", rdSD, "x\n\n\n" + many + "$$$$\n"},
      {"CONTAB without keyword", rdContab, "CONTAB 4 2\n"},
      {"CONTAB neighbour count 11", rdContab,
       "/CONTAB 2 1\n1 6 12 0 0 0 0 0 11 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\n"},
      {"CONTAB neighbour beyond the atoms", rdContab,
       "/CONTAB 4 2\n1 6 12 0 0 0 0 0 1 3 1\n2 6 12 0 0 0 0 0 0\n"},
      {"CONTAB self neighbour", rdContab, "/CONTAB 2 1\n1 6 12 0 0 0 0 0 1 1 1\n"},
      {"CONTAB element 104", rdContab, "/CONTAB 2 1\n1 104 12 0 0 0 0 0 0\n"},
      {"CONTAB weight 1000", rdContab, "/CONTAB 2 1\n1 6 1000 0 0 0 0 0 0\n"},
      {"CONTAB bond types disagree", rdContab,
       "/CONTAB 4 2\n1 6 12 0 0 0 0 0 1 2 1\n2 6 12 0 0 0 0 0 1 1 2\n"},
      {"CONTAB cut", rdContab, "/CONTAB 4 2\n1 6 12 0 0 0 0 0 1 2 1\n"},
      {"CONTAB 64 atoms", rdContab, "/CONTAB 128 64\n"},
      {"CONTAB too many name lines", rdContab, "/CONTAB 999999 1\n x\n"},
      {"CTABG neighbour without type", rdCtabg,
       "/CTABG 2 2\n6 12 0 0 0 0 2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n6 12 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
       "0 0 0 0 0 0\n"},
      {"CTABG cut", rdCtabg, "/CTABG 2 1\n6 12 0 0 0 0\n"},
  };
  for (const auto& c : cases) {
    TCTab t(nullptr), before(nullptr);
    Prefill(t);
    before.CopyFrom(t);
    EXPECT_FALSE(ReadText(t, c.reader, c.text)) << c.name;
    EXPECT_EQ(t.CompareWith(before), 0) << c.name;
  }
}

TEST(CTabReaders, LineEndsAndTruncation) {
  TCTab lf(nullptr);
  ASSERT_TRUE(ReadText(lf, rdMol, kMol));
  std::string crlf, cr;
  for (char c : std::string(kMol)) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    cr += c == '\n' ? '\r' : c;
  }
  for (const auto& [name, text] : {std::pair{"CR LF", crlf}, std::pair{"CR", cr}}) {
    for (Reader r : {rdMol, rdMolStream}) {
      TCTab t(nullptr);
      EXPECT_TRUE(ReadText(t, r, text)) << name << " reader " << r;
      EXPECT_EQ(t.CompareWith(lf), 0) << name << " reader " << r;
    }
  }
  // Cut at every byte: complete once the last bond line has its type.
  const std::string full = kMol;
  const std::size_t complete = full.find("  2  3  2") + 9;
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    TCTab t(nullptr), before(nullptr);
    Prefill(t);
    before.CopyFrom(t);
    const bool ok = ReadText(t, rdMol, full.substr(0, cut));
    EXPECT_EQ(ok, cut >= complete) << "cut at " << cut;
    EXPECT_EQ(t.CompareWith(ok ? lf : before), 0) << "cut at " << cut;
  }
}

TEST(CTabReaders, SdDataItemsOfOtherPrograms) {
  const std::string rec = std::string(kMol) +
                          "> <CASREGNR>\n50-00-0\n\n"
                          "> <MELTP>\n-12.5\n\n"
                          ">  <boilp>  (1)\n 100.25 C\n\n"
                          "> 25 <DENSI>\n0.79\n\n"
                          "> <UNKNOWN>\n3\n\n"
                          "> <REFRX>\nnot a number\n\n"
                          "$$$$\n";
  testing::TempDir dir;
  WriteRawFile(dir.File("a.sdf"), rec + rec);
  const auto recs = ReadSD(dir.File("a.sdf"));
  ASSERT_EQ(recs.size(), 2u);
  for (const auto& r : recs) {
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.table->CASNumber(), 50000);
    EXPECT_EQ(r.table->StrucName(), "name");
    const struct {
      const char* name;
      double value;
    } want[] = {{"MELTP", -12.5}, {"BOILP", 100.25}, {"DENSI", 0.79}, {"", 0}};
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(r.props.Items[i].Name.View(), want[i].name) << i;
      EXPECT_EQ(r.props.Items[i].Value, want[i].value) << i;
    }
  }
  TextFile f(dir.File("a.sdf"));
  f.Reset();
  TCTab t(nullptr);
  EXPECT_TRUE(t.ReadFromMDLSDFile(f, nullptr)) << "Props may be null";
  WriteRawFile(dir.File("b.sdf"),
               "touching\n\n\n  2  1\n    1.0000-1234.5678    0.0000 C   0  0\n"
               "    2.0000-1234.5678    0.0000 N   0  3\n  1  2  3\nM  END\n$$$$\n");
  TextFile g(dir.File("b.sdf"));
  g.Reset();
  EXPECT_TRUE(t.ReadFromMDLSDFile(g, nullptr)) << "coordinates without a blank between them";
  EXPECT_EQ(t.GetAtNum(2), 7);
  EXPECT_EQ(t.GetCharge(2), 1);
}

// Bad records among good ones: each refused record is consumed up to its
// "$$$$", so the next one is read as it stands.
TEST(CTabReaders, SdStaysInStep) {
  const std::string good = ReadRawFile(kData + "mols_rdkit.sdf");
  const std::string first = good.substr(0, good.find("$$$$\n") + 5);
  const std::string bad[] = {
      "v3000\n\n\n  0  0  0     0  0            999 V3000\nM  V30 BEGIN CTAB\nM  V30 END CTAB\nM  "
      "END\n$$$$\n",
      "too many atoms announced\n\n\n  9  0\n    0.0000    0.0000    0.0000 C   0  0\nM  "
      "END\n$$$$\n",
      "bond to atom 7\n\n\n  1  1\n    0.0000    0.0000    0.0000 C   0  0\n  1  7  1\nM  END\n> "
      "<MELTP>\n1\n\n$$$$\n",
      "count 99\n\n\n 99  0\n$$$$\n",
      "\n$$$$\n",
  };
  std::string text = first;
  for (const auto& b : bad) text += b + first;
  testing::TempDir dir;
  WriteRawFile(dir.File("mixed.sdf"), text);
  const auto recs = ReadSD(dir.File("mixed.sdf"));
  ASSERT_EQ(recs.size(), 11u);
  for (std::size_t i = 0; i < recs.size(); ++i) {
    EXPECT_EQ(recs[i].ok, i % 2 == 0) << "record " << i;
    if (i % 2 == 0)
      EXPECT_EQ(recs[i].table->StrucName(), "methanol") << "record " << i;
    else
      EXPECT_EQ(recs[i].table->NAtoms(), 0) << "record " << i;
  }
}

TEST(CTabReaders, ClearTextFormats) {
  TCTab t(nullptr);
  const std::string contab =
      "some words /CONTAB 6 2\n"
      " ethan\n"
      "-ol\n"
      "  1  6  13 2  0 1.5 2 3  1  2  1\n"
      "  2  8  16 0 -1 4 5 6  1  1  1\n";
  ASSERT_TRUE(ReadText(t, rdContab, contab));
  EXPECT_EQ(t.StrucName(), "ethanol");
  EXPECT_EQ(t.GetAtWeight(1), 13);
  EXPECT_EQ(t.GetAttrib(1), 2);
  EXPECT_EQ(t.GetCharge(2), -1);
  EXPECT_EQ(t.GetCoords(1, 1), 1.5);
  EXPECT_EQ(t.GetCoords(2, 3), 6);
  EXPECT_EQ(BondList(t), "1-2:1");
  ASSERT_TRUE(ReadText(t, rdContab, "/CONTAB 4 2\n1 6 12 0 0 0 0 0 1 2 2\n2 6 12 0 0 0 0 0 0\n"));
  EXPECT_EQ(BondList(t), "1-2:2") << "a bond listed from one end is entered in both";
  EXPECT_EQ(CheckInvariants(t), "");

  const std::string ctabg =
      "/CTABG 3 2\n"
      " water-ish\n"
      "8 16 0 0 10 20 2 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n"
      "1 2 0 0 30 40 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n";
  ASSERT_TRUE(ReadText(t, rdCtabg, ctabg));
  EXPECT_EQ(t.StrucName(), "water-ish");
  EXPECT_EQ(t.GetAtWeight(2), 2);
  EXPECT_EQ(t.GetCoords(2, 2), 40);
  EXPECT_EQ(BondList(t), "1-2:1");
}

// ---------------------------------------------------------------------------
// Round trips

void ExpectSameTable(const TCTab& a, const TCTab& b, const std::string& what) {
  // Slots may list the neighbours in another order.
  EXPECT_EQ(a.CompareWith(b) & ~(cwX | cwY | cwZ | cwName | cwCASNr | cwConn | cwBondType), 0)
      << what;
  EXPECT_EQ(BondList(a), BondList(b)) << what;
  for (int32_t i = 1; i <= a.NAtoms(); ++i)
    for (int32_t k = 1; k <= 3; ++k)
      EXPECT_NEAR(a.GetCoords(i, k), b.GetCoords(i, k), 1.0)
          << what << ", atom " << i << " axis " << k;
}

template <class W>
std::string WriteFile(const std::string& path, W write) {
  TextFile f(path);
  f.Rewrite();
  write(f);
  f.Close();
  return ReadRawFile(path);
}

TEST(CTabWriters, RoundTrips) {
  testing::TempDir dir;
  auto recs = ReadSD(kData + "mols_rdkit.sdf");
  ASSERT_EQ(recs.size(), 70u);
  TPropRec props;
  props.Items[0] = {"MELTP", -12.5};
  props.Items[1] = {"DIPOL", 1.25e-3};
  const std::string sd = dir.File("all.sdf");
  {
    TextFile all(sd);
    all.Rewrite();
    for (auto& r : recs) {
      r.table->SetCASNr("7732-18-5");
      r.table->WriteToMDLSDFile(all, &props);
    }
    all.Close();
  }
  const auto back = ReadSD(sd);
  ASSERT_EQ(back.size(), recs.size());
  for (std::size_t i = 0; i < recs.size(); ++i) {
    const TCTab& src = *recs[i].table;
    const std::string what = src.StrucName();
    ASSERT_TRUE(recs[i].ok) << what;
    EXPECT_TRUE(back[i].ok) << what << " (SD)";
    EXPECT_EQ(back[i].table->StrucName(), what);
    EXPECT_EQ(back[i].table->CASNumber(), 7732185) << what;
    EXPECT_EQ(back[i].props.Items[1].Name.View(), "DIPOL") << what;
    EXPECT_EQ(back[i].props.Items[1].Value, 1.25e-3) << what;
    ExpectSameTable(*back[i].table, src, what + " (SD)");

    TCTab t(nullptr);
    WriteFile(dir.File("m.mol"),
              [&](TextFile& f) { src.WriteToMDLMolFile(f, "named", "a comment"); });
    TextFile in(dir.File("m.mol"));
    in.Reset();
    EXPECT_TRUE(t.ReadFromMDLMolFile(in)) << what << " (molfile)";
    EXPECT_EQ(t.StrucName(), "named");
    ExpectSameTable(t, src, what + " (molfile)");

    TStringStream st;
    src.WriteToMDLCTabStream(st);
    st.SetPosition(0);
    EXPECT_TRUE(t.ReadFromMDLCTabStream(st)) << what << " (CTAB stream)";
    ExpectSameTable(t, src, what + " (CTAB stream)");

    WriteFile(dir.File("c.txt"), [&](TextFile& f) { src.WriteToClearTextFile(f); });
    TextFile ct(dir.File("c.txt"));
    ct.Reset();
    EXPECT_TRUE(t.ReadFromClearTextFile(ct)) << what << " (CONTAB)";
    EXPECT_EQ(t.CompareWith(src), cwCASNr)
        << what << " (CONTAB keeps every field but the CAS number)";
  }
}

TEST(CTabWriters, FormatDetails) {
  TCTab t(nullptr);
  BuildTable(t, "C O- 2H N+ Fe", "1-2 1-3 1=4");
  t.SetCharge(5, 5);
  t.SetCoords(2, 1, 10);
  t.SetCoords(3, 2, 10);
  t.SetCoords(4, 1, -10);
  testing::TempDir dir;
  const std::string text =
      WriteFile(dir.File("m.mol"), [&](TextFile& f) { t.WriteToMDLMolFile(f, "x", "y"); });
  EXPECT_NE(text.find("  5  3  0  0  0  0  0  0  0  0999 V2000\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    1.5000    0.0000    0.0000 O   0  5"), std::string::npos)
      << "mean bond 1.5, code 5\n"
      << text;
  EXPECT_NE(text.find(" H   1  0"), std::string::npos) << "mass difference 1\n" << text;
  EXPECT_NE(text.find(" Fe  0  0"), std::string::npos) << "+5 has no charge code\n" << text;
  EXPECT_NE(text.find("M  CHG  3   2  -1   4   1   5   5\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("M  ISO  1   3   2\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  1  4  2  0"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 8), "M  END\r\n");

  t.SetStrucName("probe");
  const std::string listing =
      WriteFile(dir.File("x.txt"), [&](TextFile& f) { t.WriteToMolConnXFile(1, f); });
  EXPECT_EQ(listing.substr(0, 7), "probe\r\n");
  EXPECT_NE(listing.find("  1 C  1  3  2  3  4 1 1 2\r\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("  5 Fe  0  0\r\n"), std::string::npos) << listing;
}

// ---------------------------------------------------------------------------
// Molecules written by RDKit and Open Babel

struct Expected {
  std::string name, formula, charges, sssr, ob_formula, kek_fragments, arom_fragments;
  int32_t atoms = 0, rings = 0;
  double molwt = 0, ob_mw = 0;
};

std::vector<Expected> LoadExpected() {
  std::vector<Expected> out;
  for (const auto& c : ReadTsv(kData + "mols_expected.tsv")) {
    Expected e;
    e.name = c.at(0);
    e.atoms = std::stoi(c.at(1));
    e.formula = c.at(2);
    e.molwt = std::stod(c.at(4));
    e.charges = c.at(5);
    e.rings = std::stoi(c.at(6));
    e.sssr = c.at(7);
    e.ob_formula = c.at(8);
    e.ob_mw = std::stod(c.at(9));
    e.kek_fragments = c.at(10);
    e.arom_fragments = c.at(11);
    out.push_back(e);
  }
  return out;
}

constexpr const char* kFrgNames[] = {
    "NSglBnd", "NCCSgl", "NDblBnd", "NCCDbl", "NTrplBnd", "NCCTrpl", "NAroBnd", "NBranch",
    "XCnt",    "COOH",   "COO",     "NO2",    "AnyCO",    "AroCl",   "AroBr",   "AnyOH",
    "PhOH",    "NH2",    "NHR",     "NR2",    "NCON",     "CN",      "CONR2",   "CHO",
    "COX",     "AnySO",  "OCH3",    "NO",     "NNH2"};

std::string FragmentCounts(const TCTab& t) {
  std::string s;
  for (int k = 0; k <= NNH2; ++k)
    s += (k ? " " : "") + std::string(kFrgNames[k]) + '=' +
         std::to_string(t.FragmentCount(static_cast<FrgType>(k)));
  return s;
}

std::string SssrSizes(const TCTab& t) {
  RingListType r;
  std::multiset<int> sizes;
  const int32_t n = t.FindSSSR(r);
  for (int32_t i = 0; i < n; ++i) sizes.insert(r.Rings[static_cast<std::size_t>(i)][0]);
  std::string s;
  for (int n : sizes) s += (s.empty() ? "" : ",") + std::to_string(n);
  return s.empty() ? "-" : s;
}

bool HasIsotope(const TCTab& t) {
  for (int32_t a = 1; a <= t.NAtoms(); ++a)
    if (t.GetAtWeight(a) != IntAtWeight(t.GetAtNum(a))) return true;
  return false;
}

TEST(CTabMolecules, ChemistryOfRdkitAndOpenBabelFiles) {
  const auto expected = LoadExpected();
  const auto rdkit = ReadSD(kData + "mols_rdkit.sdf");
  const auto obabel = ReadSD(kData + "mols_obabel.sdf");
  const auto arom = ReadSD(kData + "mols_rdkit_arom.sdf");
  ASSERT_EQ(rdkit.size(), expected.size());
  ASSERT_EQ(obabel.size(), expected.size());
  ASSERT_EQ(arom.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Expected& e = expected[i];
    for (const auto* set : {&rdkit, &obabel}) {
      const std::string what = e.name + (set == &rdkit ? " (RDKit)" : " (Open Babel)");
      const SdRecord& r = (*set)[i];
      ASSERT_TRUE(r.ok) << what;
      const TCTab& t = *r.table;
      EXPECT_EQ(t.NAtoms(), e.atoms) << what;
      EXPECT_EQ(CheckInvariants(t), "") << what;
      EXPECT_EQ(Formula(t), e.formula) << what;
      EXPECT_EQ(Charges(t), e.charges) << what;
      EXPECT_EQ(t.RingsInMolecule(), e.rings) << what;
      EXPECT_EQ(SssrSizes(t), e.sssr) << what;
      if (!HasIsotope(t)) {
        // The element table's weights of germanium (72.59) and tin
        // (118.69) are older than the programs' (72.63, 118.71).
        const double old = 0.05 * (t.AtomCount(32) + t.AtomCount(50));
        const double w = static_cast<double>(t.CalcChemMolWeight());
        EXPECT_NEAR(w, e.molwt, 1e-4 * e.molwt + old) << what << " against RDKit";
        EXPECT_NEAR(w, e.ob_mw, 1e-4 * e.ob_mw + old) << what << " against Open Babel";
      }
    }
    EXPECT_EQ(FragmentCounts(*rdkit[i].table), e.kek_fragments) << e.name << " (Kekulé)";
    EXPECT_EQ(FragmentCounts(*arom[i].table), e.arom_fragments) << e.name << " (aromatic)";
    EXPECT_EQ(SssrSizes(*arom[i].table), e.sssr) << e.name << " (aromatic)";
  }
}

// RDKit and Open Babel read what the writers make to the same formulae and
// charges.
TEST(CTabMolecules, OtherProgramsReadOurFiles) {
  if (std::system("/usr/bin/python3 -c 'import rdkit' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python3-rdkit is not installed";
  testing::TempDir dir;
  const auto expected = LoadExpected();
  const auto recs = ReadSD(kData + "mols_rdkit.sdf");
  const std::string sd = dir.File("ours.sdf");
  WriteFile(sd, [&](TextFile& f) {
    for (const auto& r : recs) r.table->WriteToMDLSDFile(f, nullptr);
  });
  const std::string script = dir.File("read.py");
  WriteRawFile(script,
               "import sys\n"
               "from rdkit import Chem\n"
               "from rdkit.Chem.rdMolDescriptors import CalcMolFormula\n"
               "for m in Chem.SDMolSupplier(sys.argv[1], removeHs=False):\n"
               "    print(m.GetProp('_Name'), CalcMolFormula(m),\n"
               "          ','.join(str(a.GetFormalCharge()) for a in m.GetAtoms()))\n");
  const std::string out = dir.File("out.txt");
  ASSERT_EQ(
      std::system(("/usr/bin/python3 " + script + " " + sd + " > " + out + " 2>/dev/null").c_str()),
      0);
  // RDKit's formulae of its own file, for comparison.
  const std::string ref = dir.File("ref.txt");
  ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " " + kData + "mols_rdkit.sdf > " + ref +
                         " 2>/dev/null")
                            .c_str()),
            0);
  EXPECT_EQ(ReadRawFile(out), ReadRawFile(ref));
  if (std::system("obabel -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "obabel is not installed";
  const std::string ob = dir.File("ob.txt");
  ASSERT_EQ(
      std::system(
          ("obabel -isdf " + sd + " -otxt --append formula > " + ob + " 2>/dev/null").c_str()),
      0);
  std::istringstream lines(ReadRawFile(ob));
  std::size_t i = 0;
  for (std::string line; std::getline(lines, line); ++i) {
    ASSERT_LT(i, expected.size());
    EXPECT_NE(line.find(expected[i].ob_formula), std::string::npos)
        << expected[i].name << ": " << line;
  }
  EXPECT_EQ(i, expected.size());
}

// A few hundred NCI molecules against RDKit's matches of the same queries
// (atoms [#Z], bonds - = # : or ~, Kekulé targets unsanitised).
TEST(CTabMolecules, SubstructureHitsAsRdkit) {
  const auto targets = ReadSD(kData + "nci_kekule.sdf");
  const auto queries = ReadSD(kData + "nci_queries.sdf");
  ASSERT_EQ(targets.size(), 250u);
  std::map<std::string, const TCTab*> byName;
  for (const auto& q : queries) {
    ASSERT_TRUE(q.ok);
    byName[q.table->StrucName()] = q.table.get();
  }
  const auto rows = ReadTsv(kData + "nci_hits.tsv");
  ASSERT_EQ(rows.size(), 2 * queries.size());
  for (const auto& row : rows) {
    const TCTab& q = *byName.at(row[0]);
    const bool types = row[1] == "1";
    std::string hits;
    std::vector<uint8_t> map;
    for (std::size_t i = 0; i < targets.size(); ++i) {
      ASSERT_TRUE(targets[i].ok) << i;
      if (targets[i].table->SearchSubStruc(q, map, types))
        hits += (hits.empty() ? "" : ",") + std::to_string(i + 1);
    }
    EXPECT_EQ(hits.empty() ? "-" : hits, row[2])
        << row[0] << (types ? " with" : " without") << " bond types";
  }
}

// Scores of points against numpy's principal components (each component's
// sign is arbitrary); z, taken as 0, stays 0.
TEST(CTabGeometry, RotateWithPcaAsNumpy) {
  const auto rows = ReadTsv(kData + "pca_scores.tsv");
  TCTab t(nullptr);
  for (const auto& r : rows) {
    CTElem e;
    e.AtNum = 6;
    e.Coords = {std::stof(r[0]), std::stof(r[1]), 5};
    t.AddAtom(e);
  }
  ASSERT_TRUE(t.RotateWithPCA());
  for (int32_t k = 1; k <= 2; ++k) {
    const double sign =
        (t.GetCoords(1, k) < 0) == (std::stod(rows[0][static_cast<std::size_t>(k + 1)]) < 0) ? 1
                                                                                             : -1;
    for (std::size_t i = 0; i < rows.size(); ++i)
      EXPECT_NEAR(t.GetCoords(static_cast<int32_t>(i) + 1, k),
                  sign * std::stod(rows[i][static_cast<std::size_t>(k + 1)]), 0.5 + 1e-6)
          << "point " << i + 1 << " component " << k;
  }
  for (int32_t a = 1; a <= t.NAtoms(); ++a) EXPECT_EQ(t.GetCoords(a, 3), 0) << "point " << a;
  EXPECT_EQ(GetEigenSize(), 3) << "the eigen storage holds the rotation's decomposition";
  TCTab one(nullptr);
  BuildTable(one, "C", "");
  one.SetCoords(1, 1, 7);
  EXPECT_FALSE(one.RotateWithPCA());
  EXPECT_EQ(one.GetCoords(1, 1), 7);
}

TEST(CTabMolecules, FragmentCountsOfTheNciSample) {
  const auto targets = ReadSD(kData + "nci_kekule.sdf");
  std::map<std::string, int64_t> sums;
  for (const auto& t : targets)
    for (int k = 0; k <= NNH2; ++k)
      sums[kFrgNames[k]] += t.table->FragmentCount(static_cast<FrgType>(k));
  for (const auto& row : ReadTsv(kData + "nci_fragments.tsv"))
    EXPECT_EQ(sums[row[0]], std::stoll(row[1])) << row[0];
}

}  // namespace
}  // namespace nuv
