#include "nuv/Nuv_cdata.h"

#include <charconv>

#include "mollib_units.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

#include "Nuv_cdata_elements.inc"

const TRangeArray<ShortString<7>, 128, 255> ChemNameFragments{{
    "benzoyl", "deutero", "methoxy", "hydroxy", "bicyclo", "aldehyd", "phospho", "carboxy",
    "mercapt", "salicyl", "benzyl",  "methyl",  "propyl",  "naphth",  "ethoxy",  "sulfid",
    "phenyl",  "acetyl",  "formyl",  "anthra",  "chinon",  "pentyl",  "heptyl",  "saeure",
    "nitril",  "nitrid",  "phosph",  "sulfon",  "pyrrol",  "phthal",  "styrol",  "erythr",
    "butyl",   "ethyl",   "indol",   "nitro",   "amino",   "chlor",   "ether",   "fluor",
    "allyl",   "tetra",   "penta",   "hepta",   "furan",   "hydro",   "cyano",   "hexyl",
    "octyl",   "epoxy",   "cyclo",   "ester",   "inden",   "pyren",   "lacto",   "menth",
    "silic",   "quino",   "piper",   "malon",   "stear",   "xanth",   "xylol",   "vinyl",
    "ortho",   "ammon",   "thren",   "alpha",   "gamma",   "gluc",    "brom",    "imid",
    "mono",    "hexa",    "octa",    "nona",    "deca",    "glyc",    "thio",    "carb",
    "oxim",    "dien",    "semi",    "acid",    "tolu",    "tert",    "anil",    "para",
    "meta",    "acet",    "pyri",    "oxid",    "amid",    "amin",    "phen",    "benz",
    "oxal",    "keto",    "prop",    "tere",    "prog",    "terp",    "quin",    "meth",
    "imin",    "fruc",    "ilid",    "hydr",    "beta",    "oxy",     "per",     "ose",
    "oyl",     "iod",     "lin",     "sil",     "tri",     "iso",     "oxo",     "bis",
    "azo",     "yl",      "on",      "en",      "an",      "ol",      "di",      "in",
}};

namespace {

// Noble-gas cores of the short configurations, written out.
constexpr struct {
  std::string_view Core, Full;
} kCores[] = {
    {"[He]", "1s2"},
    {"[Ne]", "1s2 2s2 2p6"},
    {"[Ar]", "1s2 2s2 2p6 3s2 3p6"},
    {"[Kr]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6"},
    {"[Xe]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6"},
    {"[Rn]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6 4f14 5d10 6s2 6p6"},
};

bool AllDigits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::string CElemSymb(int32_t AtNum) { return ChemElemData[AtNum].Symbol.Str(); }

std::string CElemName(int32_t AtNum) { return ChemElemData[AtNum].Name.Str(); }

int32_t AtomicNumber(std::string_view Symbol) {
  for (int32_t z = 1; z <= MaxChemElem; ++z)
    if (ChemElemData[z].Symbol == Symbol) return z;
  return 0;
}

int32_t IntAtWeight(int32_t AtNum) { return ChemElemData[AtNum].NominalMass; }

long double ExactAtWeight(int32_t AtNum) { return ChemElemData[AtNum].ExactMass; }

long double ChemAtWeight(int32_t AtNum) { return ChemElemData[AtNum].ChemWeight; }

long double VDWRadius(int32_t AtNum) { return ChemElemData[AtNum].VdWRadius * 0.01L; }

int32_t NumOuterElectrons(int32_t AtNum) { return ChemElemData[AtNum].OuterElectrons; }

std::string ShortElectronConfig(int32_t AtNum) { return ChemElemData[AtNum].Config.Str(); }

std::string FullElectronConfig(int32_t AtNum) {
  std::string config = ShortElectronConfig(AtNum);
  for (const auto& core : kCores)
    if (config.starts_with(core.Core)) return config.replace(0, core.Core.size(), core.Full);
  return config;
}

void PerSysCoord(int32_t AtNum, int32_t& Col, int32_t& Row) {
  Col = 0;
  Row = 0;
  if (AtNum < 1 || AtNum > MaxChemElem) return;
  for (std::size_t r = 0; r < PerSysTable.size(); ++r)
    for (std::size_t c = 0; c < PerSysTable[r].size(); ++c)
      if (PerSysTable[r][c] == AtNum) {
        Col = static_cast<int32_t>(c);
        Row = static_cast<int32_t>(r);
        return;
      }
}

bool CheckCASNr(int32_t CASNr) {
  if (CASNr < 0) return false;
  const int32_t check = CASNr % 10;
  int32_t sum = 0;
  int32_t weight = 1;
  for (int32_t rest = CASNr / 10; rest > 0; rest /= 10) sum += weight++ * (rest % 10);
  return sum % 10 == check;
}

std::string FormatCASNr(int32_t CASNr) {
  if (CASNr < 0) return {};
  std::string digits = std::to_string(CASNr);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  digits.insert(digits.size() - 1, 1, '-');
  digits.insert(digits.size() - 4, 1, '-');
  return digits;
}

bool ConvertStrToCASNr(std::string_view S, int32_t& CASNr) {
  const std::string s = StripLTBlanks(S);
  const auto first = s.find('-');
  if (first == std::string::npos || first == 0 || s.size() < 5) return false;
  const auto second = s.size() - 2;
  if (first + 3 != second || s[second] != '-') return false;
  const std::string digits =
      std::string(s.substr(0, first)) + std::string(s.substr(first + 1, 2)) + s.back();
  if (!AllDigits(digits)) return false;
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size()) return false;
  CASNr = value;
  return CheckCASNr(value);
}

std::string CompressChemName(std::string_view Name) {
  std::string s = LowerCase(Name);
  std::string out;
  // One left-to-right pass per fragment gives what rescanning from the start
  // after every replacement gives: a code never forms part of a fragment.
  for (int code = ChemNameFragments.Low; code <= ChemNameFragments.High; ++code) {
    const std::string_view fragment = ChemNameFragments[code];
    std::size_t at = s.find(fragment);
    if (at == std::string::npos) continue;
    out.clear();
    std::size_t from = 0;
    for (; at != std::string::npos; at = s.find(fragment, from)) {
      out.append(s, from, at - from);
      out.push_back(static_cast<char>(code));
      from = at + fragment.size();
    }
    out.append(s, from);
    s.swap(out);
  }
  return s;
}

std::string DeCompressChemName(std::string_view Name) {
  std::string out;
  out.reserve(Name.size() * 2);
  for (char c : Name) {
    const int code = static_cast<unsigned char>(c);
    if (code >= ChemNameFragments.Low)
      out.append(ChemNameFragments[code].View());
    else
      out.push_back(c);
  }
  return LowerCase(out);
}

}  // namespace nuv

namespace nuv::units {

void Nuv_cdata_Init() {}
void Nuv_cdata_Finalize() {}

}  // namespace nuv::units
