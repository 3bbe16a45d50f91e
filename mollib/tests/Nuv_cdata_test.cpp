#include "nuv/Nuv_cdata.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>

namespace nuv {
namespace {

std::string Fixed6(double x) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 6);
  return std::string(buf, r.ptr);
}

// FNV-1a (64 bit) of every record and the grid, written one line each.
uint64_t TableDigest() {
  std::string text;
  for (int32_t z = 1; z <= MaxChemElem; ++z) {
    const TChemElemData& e = ChemElemData[z];
    text += std::to_string(z) + '|' + e.Symbol.Str() + '|' + e.Name.Str() + '|' +
            std::to_string(e.NominalMass) + '|' + Fixed6(e.ExactMass) + '|' + Fixed6(e.ChemWeight) +
            '|' + std::to_string(e.OuterElectrons) + '|' + e.Config.Str() + '|' +
            std::to_string(e.VdWRadius) + '\n';
  }
  for (const auto& row : PerSysTable) {
    for (std::size_t c = 0; c < row.size(); ++c) text += (c ? "," : "") + std::to_string(row[c]);
    text += '\n';
  }
  uint64_t h = 14695981039346656037ull;
  for (unsigned char b : text) h = (h ^ b) * 1099511628211ull;
  return h;
}

TEST(ElementTable, DigestOfTheWholeTable) {
  // tools/ref/element_digest.py computes it from mollib/data/elements.tsv;
  // any change of a value, spelling or grid cell breaks it.
  EXPECT_EQ(TableDigest(), 0x125f5740961a4544ull);
}

TEST(ElementTable, SpotValues) {
  const struct {
    int32_t z;
    const char *symbol, *name;
    int32_t nominal;
    double exact, chem;
    int32_t outer;
    const char* config;
    double vdw;
  } cases[] = {
      {1, "H", "hydrogen", 1, 1.007825, 1.00797, 1, "1s1", 1.2},
      {3, "Li", "litium", 7, 7.016005, 6.939, 1, "[He] 2s1", 0},
      {6, "C", "carbon", 12, 12, 12.01115, 4, "[He] 2s2 2p2", 1.8},
      {9, "F", "flourine", 19, 18.998405, 18.9984, 7, "[He] 2s2 2p5", 1.35},
      {17, "Cl", "chlorine", 35, 34.968854, 35.453, 7, "[Ne] 3s2 3p5", 1.8},
      {23, "V", "vanadin", 51, 50.943964, 50.942, 2, "[Ar] 3d3 4s2", 0},
      {28, "Ni", "nickel", 58, 57.935336, 58.71, 2, "[Ar] 3d8 4s2", 0},
      {35, "Br", "bromine", 79, 78.918332, 79.909, 7, "[Ar] 3d10 4s2 4p5", 1.95},
      {46, "Pd", "palladium", 106, 105.903487, 106.4, 0, "[Kr] 4d10", 0},
      {53, "I", "iodine", 127, 126.904476, 126.9044, 7, "[Kr] 4d10 5s2 5p5", 2.15},
      {89, "Ac", "actinum", 227, 227.0278, 0, 2, "[Rn] 6d1 7s2", 0},
      {100, "Fm", "fermium", 257, 257.093, 0, 2, "[Rn] 5f12 7s2", 0},
      {101, "Md", "mendelevium", 257, 257.094, 0, 2, "[Rn] 5f13 7s2", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CElemSymb(c.z), c.symbol) << "Z=" << c.z;
    EXPECT_EQ(CElemName(c.z), c.name) << "Z=" << c.z;
    EXPECT_EQ(IntAtWeight(c.z), c.nominal) << "Z=" << c.z;
    EXPECT_EQ(ExactAtWeight(c.z), static_cast<long double>(c.exact)) << "Z=" << c.z;
    EXPECT_EQ(ChemAtWeight(c.z), static_cast<long double>(c.chem)) << "Z=" << c.z;
    EXPECT_EQ(NumOuterElectrons(c.z), c.outer) << "Z=" << c.z;
    EXPECT_EQ(ShortElectronConfig(c.z), c.config) << "Z=" << c.z;
    EXPECT_NEAR(static_cast<double>(VDWRadius(c.z)), c.vdw, 1e-15) << "Z=" << c.z;
  }
}

TEST(ElementTable, MendedValuesOfThePrincipalIsotopes) {
  // Exact masses of the principal isotopes (97Tc, 145Pm, 231Pa, 255No,
  // 256Lr).
  const struct {
    int32_t z, nominal;
    double exact;
  } cases[] = {{43, 97, 96.906365},
               {61, 145, 144.912749},
               {91, 231, 231.035884},
               {102, 255, 255.093241},
               {103, 256, 256.098763}};
  for (const auto& c : cases) {
    EXPECT_EQ(ExactAtWeight(c.z), static_cast<long double>(c.exact)) << "Z=" << c.z;
    EXPECT_EQ(IntAtWeight(c.z), c.nominal) << "Z=" << c.z;
  }
  EXPECT_EQ(ShortElectronConfig(43), "[Kr] 4d5 5s2") << "two 5s electrons, as counted";
}

TEST(ElementTable, NominalAndExactMassDescribeOneIsotope) {
  // RDKit's mass of the isotope whose mass number is the nominal mass, Z = 1
  // up (tools/ref/isotope_masses.py). The table's exact masses carry fewer
  // digits for some heavy elements, never another isotope.
  const double isotopeMass[MaxChemElem] = {
      1.0078250,   4.0026033,   7.0160045,   9.0121822,   11.0093054,  12.0000000,  14.0030740,
      15.9949146,  18.9984032,  19.9924402,  22.9897693,  23.9850417,  26.9815386,  27.9769265,
      30.9737616,  31.9720710,  34.9688527,  39.9623831,  38.9637067,  39.9625910,  44.9559119,
      47.9479463,  50.9439595,  51.9405075,  54.9380451,  55.9349375,  58.9331950,  57.9353429,
      62.9295975,  63.9291422,  68.9255736,  73.9211778,  74.9215965,  79.9165213,  78.9183371,
      83.9115070,  84.9117897,  87.9056121,  88.9058483,  89.9047044,  92.9063781,  97.9054082,
      96.9063650,  101.9043493, 102.9055040, 105.9034860, 106.9050970, 113.9033585, 114.9038780,
      119.9021947, 120.9038157, 129.9062244, 126.9044730, 131.9041535, 132.9054519, 137.9052472,
      138.9063533, 139.9054387, 140.9076528, 141.9077233, 144.9127490, 151.9197324, 152.9212303,
      157.9241039, 158.9253468, 163.9291748, 164.9303221, 165.9302931, 168.9342133, 173.9388621,
      174.9407718, 179.9465500, 180.9479958, 183.9509312, 186.9557531, 191.9614807, 192.9629264,
      194.9647911, 196.9665687, 201.9706430, 204.9744275, 207.9766521, 208.9803987, 208.9824304,
      210.9874963, 222.0175777, 223.0197359, 226.0254098, 227.0277521, 232.0380553, 231.0358840,
      238.0507882, 237.0481734, 244.0642040, 243.0613811, 247.0703540, 247.0703070, 251.0795870,
      254.0880220, 257.0951050, 257.0955410, 255.0932410, 256.0986300,
  };
  for (int32_t z = 1; z <= MaxChemElem; ++z) {
    EXPECT_LT(std::fabs(static_cast<double>(ExactAtWeight(z)) - IntAtWeight(z)), 0.5) << "Z=" << z;
    EXPECT_NEAR(static_cast<double>(ExactAtWeight(z)), isotopeMass[z - 1], 5e-3) << "Z=" << z;
  }
}

// Electrons in the shell of the highest principal quantum number.
int32_t OutermostShellElectrons(const std::string& fullConfig) {
  int32_t shell = 0, electrons = 0;
  for (std::size_t i = 0; i + 2 < fullConfig.size(); ++i) {
    if (i > 0 && fullConfig[i - 1] != ' ') continue;
    const int32_t n = fullConfig[i] - '0';
    const int32_t count = std::stoi(fullConfig.substr(i + 2));
    if (n > shell) shell = n, electrons = 0;
    if (n == shell) electrons += count;
  }
  return electrons;
}

TEST(ElementTable, ConfigurationsAgreeWithAtomicNumberAndOuterElectrons) {
  for (int32_t z = 1; z <= MaxChemElem; ++z) {
    const std::string full = FullElectronConfig(z);
    int32_t total = 0;
    for (std::size_t i = 0; i + 2 < full.size(); ++i)
      if (i == 0 || full[i - 1] == ' ') total += std::stoi(full.substr(i + 2));
    EXPECT_EQ(total, z) << "Z=" << z << " " << full;
    if (z != 46) {  // palladium's outer shell is the full 4d, counted as 0
      EXPECT_EQ(OutermostShellElectrons(full), NumOuterElectrons(z)) << "Z=" << z << " " << full;
    }
  }
}

TEST(ElementTable, FullConfigurationsWriteOutTheCore) {
  EXPECT_EQ(FullElectronConfig(1), "1s1");
  EXPECT_EQ(FullElectronConfig(2), "1s2");
  EXPECT_EQ(FullElectronConfig(3), "1s2 2s1");
  EXPECT_EQ(FullElectronConfig(26), "1s2 2s2 2p6 3s2 3p6 3d6 4s2");
  EXPECT_EQ(FullElectronConfig(103),
            "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6 4f14 5d10 6s2 6p6 5f14 6d1 7s2");
  EXPECT_EQ(FullElectronConfig(0), "");
}

TEST(ElementTable, LookupsOutsideTheTableAreEmpty) {
  for (int32_t z : {0, -1, 104, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(CElemSymb(z), "") << "Z=" << z;
    EXPECT_EQ(CElemName(z), "") << "Z=" << z;
    EXPECT_EQ(IntAtWeight(z), 0) << "Z=" << z;
    EXPECT_EQ(ExactAtWeight(z), 0) << "Z=" << z;
    EXPECT_EQ(ChemAtWeight(z), 0) << "Z=" << z;
    EXPECT_EQ(VDWRadius(z), 0) << "Z=" << z;
    EXPECT_EQ(NumOuterElectrons(z), 0) << "Z=" << z;
    EXPECT_EQ(ShortElectronConfig(z), "") << "Z=" << z;
    int32_t col = -1, row = -1;
    PerSysCoord(z, col, row);
    EXPECT_EQ(col, 0) << "Z=" << z;
    EXPECT_EQ(row, 0) << "Z=" << z;
  }
  EXPECT_EQ(VDWRadius(54), 0) << "no radius beyond iodine";
}

TEST(ElementTable, AtomicNumberMatchesTheSymbolExactly) {
  const struct {
    const char* symbol;
    int32_t z;
  } cases[] = {{"Cl", 17}, {"CL", 0}, {"cl", 0}, {"Lr", 103}, {"H", 1}, {"D", 0},
               {"", 0},    {"Xx", 0}, {"C ", 0}, {"Uuo", 0},  {"He", 2}};
  for (const auto& c : cases) EXPECT_EQ(AtomicNumber(c.symbol), c.z) << "symbol=" << c.symbol;
  for (int32_t z = 1; z <= MaxChemElem; ++z) EXPECT_EQ(AtomicNumber(CElemSymb(z)), z) << "Z=" << z;
}

TEST(PeriodicTable, EveryElementHasOneCell) {
  const struct {
    int32_t z, col, row;
  } cases[] = {{1, 0, 0},  {2, 17, 0}, {26, 7, 3},  {64, 10, 7},
               {57, 2, 5}, {72, 3, 5}, {103, 17, 8}};
  for (const auto& c : cases) {
    int32_t col = -1, row = -1;
    PerSysCoord(c.z, col, row);
    EXPECT_EQ(col, c.col) << "Z=" << c.z;
    EXPECT_EQ(row, c.row) << "Z=" << c.z;
  }
  std::set<int32_t> seen;
  for (const auto& row : PerSysTable)
    for (uint8_t z : row)
      if (z != 0) {
        EXPECT_TRUE(seen.insert(z).second) << "Z=" << int{z} << " twice";
      }
  EXPECT_EQ(seen.size(), 103u);
  for (int32_t z = 1; z <= MaxChemElem; ++z) {
    int32_t col = 0, row = 0;
    PerSysCoord(z, col, row);
    EXPECT_EQ(PerSysTable[row][col], z) << "Z=" << z;
  }
}

TEST(CASNumbers, CheckDigit) {
  const struct {
    int32_t n;
    bool valid;
  } cases[] = {{7732185, true},   {7732184, false},   {64175, true},       {50000, true},
               {0, true},         {5, false},         {10, false},         {11, true},
               {-7732185, false}, {INT32_MIN, false}, {2147483647, false}, {2147483643, true}};
  for (const auto& c : cases) EXPECT_EQ(CheckCASNr(c.n), c.valid) << "n=" << c.n;
}

TEST(CASNumbers, Format) {
  const struct {
    int32_t n;
    const char* text;
  } cases[] = {{7732185, "7732-18-5"}, {50000, "50-00-0"},           {5, "0-00-5"},
               {0, "0-00-0"},          {2147483647, "2147483-64-7"}, {-5, ""}};
  for (const auto& c : cases) EXPECT_EQ(FormatCASNr(c.n), c.text) << "n=" << c.n;
}

TEST(CASNumbers, ReadFromText) {
  const struct {
    const char* text;
    bool ok;
    int32_t value;  // what CASNr holds afterwards (it starts at -1)
  } cases[] = {
      {" 7732-18-5 ", true, 7732185},
      {"50-00-0", true, 50000},
      {"0-00-0", true, 0},
      {"7732-185", false, -1},
      {"7732-18-4", false, 7732184},  // digits read, check digit wrong
      {"7732-1-85", false, -1},
      {"77-32-18-5", false, -1},
      {"-00-0", false, -1},
      {"2628280-40-8", false, -1},  // valid check digit, beyond int32
      {"99999999999999-99-9", false, -1},
      {"+732-18-5", false, -1},
      {"7a32-18-5", false, -1},
      {"7 32-18-5", false, -1},
      {"", false, -1},
      {"   ", false, -1},
  };
  for (const auto& c : cases) {
    int32_t n = -1;
    EXPECT_EQ(ConvertStrToCASNr(c.text, n), c.ok) << "text='" << c.text << "'";
    EXPECT_EQ(n, c.value) << "text='" << c.text << "'";
  }
  for (int32_t n : {0, 5, 50000, 64175, 7732185, 2147483643, 2147483647}) {
    int32_t back = -1;
    EXPECT_EQ(ConvertStrToCASNr(FormatCASNr(n), back), CheckCASNr(n)) << "n=" << n;
    EXPECT_EQ(back, n) << "n=" << n;
  }
}

TEST(ChemNames, CompressUsesTheLongestFragmentsFirst) {
  EXPECT_EQ(CompressChemName("Methylbenzene"),
            "\x8B\xDF\xFB"
            "e");
  EXPECT_EQ(CompressChemName("BENZOYL"), "\x80");
  EXPECT_EQ(CompressChemName(""), "");
  EXPECT_EQ(CompressChemName("xyz"), "xyz");
  EXPECT_EQ(DeCompressChemName("\x80\x8B"), "benzoylmethyl");
}

TEST(ChemNames, DecompressRestoresTheLowerCasedName) {
  const char* names[] = {"Methylbenzene",
                         "2-Hydroxybenzoic acid",
                         "Tetrahydrofuran",
                         "Trinitrotoluene",
                         "Acetylsalicylic acid",
                         "Phenolphthalein",
                         "1,3,7-Trimethylxanthine",
                         "aaaa",
                         "in in in",
                         "ininin",
                         ""};
  for (const char* name : names) {
    const std::string packed = CompressChemName(name);
    EXPECT_LE(packed.size(), std::string(name).size()) << "name=" << name;
    std::string lower(name);
    for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    EXPECT_EQ(DeCompressChemName(packed), lower) << "name=" << name;
  }
  // Codes already in the input are expanded like any other code.
  EXPECT_EQ(DeCompressChemName(CompressChemName("a\xFF")), "ain");
}

}  // namespace
}  // namespace nuv
