// nuv formula: masses, element counts and text of a molecular formula, and
// the search for formulae of a given mass, through TMolForm and
// TFormulaSearch.
#include <cmath>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli.h"
#include "nuv/Nuv_cdata.h"
#include "nuv/Nuv_cform.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/Forms.h"

namespace nuv::tool {

namespace {

constexpr const char* kFormulaDescription =
    "Formula text is read part by part: an optional isotope mass number, the\n"
    "element symbol (any case; D is hydrogen of mass 2) and an optional\n"
    "count. Symbols must be kept apart by a count or a blank:\n"
    "  'C6H12O6' and 'C6 H12 O6' read the same, but 'CO2' is cobalt and\n"
    "  oxygen (write 'C O2'), and in '13C 1H4' the 1 counts the carbon.\n"
    "A group '( ... )n' multiplies the counts inside it; groups do not nest.\n"
    "Text that does not read completely fails (exit 1) and says where\n"
    "reading stopped.";

constexpr const char* kSearchDescription =
    "Streams the formulae whose mass fits MASS: by nominal mass (the sum of\n"
    "mass numbers equals MASS rounded), or with --exact by exact mass within\n"
    "--tol. --elements gives the elements with their count ranges, e.g.\n"
    "C0-60,H0-120,N0-10,O0-20,S0-4 (the default); a single number is an\n"
    "upper bound from 0. The valence test (a non-negative number of rings\n"
    "and double bonds over C, H, N and the halogens) is on unless\n"
    "--no-valence.";

struct TFormulaArgs {
  std::string Text;
  TOutputMode Output;
};

struct TSearchArgs {
  double Mass = 0, Tol = 0;
  std::string Elements = "C0-60,H0-120,N0-10,O0-20,S0-4";
  bool Exact = false, NoValence = false;
  int64_t Limit = 0;
  TOutputMode Output;
};

std::string Fixed(long double v, int32_t decimals) { return strff(v, 1, decimals); }

// AsString ends every entry with a blank.
std::string Text(const TMolForm& f, int32_t mode) { return Utf8(StripLTBlanks(f.AsString(mode))); }

ordered_json EntriesJson(const TMolForm& f) {
  ordered_json entries = ordered_json::array();
  for (int32_t i = 1; i <= f.NumAtoms(); ++i)
    entries.push_back({{"element", CElemSymb(f.AtNum(i))},
                       {"atomic_number", f.AtNum(i)},
                       {"mass_number", f.AtWgt(i)},
                       {"count", f.AtCnt(i)}});
  return entries;
}

void RunFormula(const TFormulaArgs& a) {
  if (a.Text.empty()) throw TUsageError("formula: give a formula or 'search'");
  Application().Initialize();
  TMolForm f(nullptr);
  f.Clear();
  int32_t stop = 0;
  const std::string text = Ansi(a.Text);
  if (!f.ScanMolFormula(text, stop))
    throw TJobError("formula '" + a.Text + "': reading stopped at character " +
                    std::to_string(stop) + " ('" +
                    Utf8(text.substr(static_cast<std::size_t>(stop - 1))) + "')");
  if (f.NumAtoms() == 0) throw TJobError("formula '" + a.Text + "': no element");
  if (a.Output.Json) {
    PrintJson({{"formula", Text(f, 0)},
               {"isotopes", Text(f, 1)},
               {"nominal_mass", f.NominalMolWgt()},
               {"exact_mass", static_cast<double>(f.ExactMolWgt())},
               {"chemical_weight", static_cast<double>(f.ChemMolWgt())},
               {"entries", EntriesJson(f)}});
    return;
  }
  std::cout << "formula          " << Text(f, 0) << "\n"
            << "with isotopes    " << Text(f, 1) << "\n"
            << "nominal mass     " << f.NominalMolWgt() << "\n"
            << "exact mass       " << Fixed(f.ExactMolWgt(), 6) << "\n"
            << "chemical weight  " << Fixed(f.ChemMolWgt(), 4) << "\n"
            << "entries          element  mass number  count\n";
  for (int32_t i = 1; i <= f.NumAtoms(); ++i) {
    std::string symbol = CElemSymb(f.AtNum(i));
    symbol.resize(9, ' ');
    std::cout << "                 " << symbol << strff(f.AtWgt(i), 11, 0)
              << strff(f.AtCnt(i), 7, 0) << '\n';
  }
}

// "C0-60,H0-120": the limits of the search.
void ParseElements(const std::string& spec, TFormulaRec& low, TFormulaRec& high) {
  std::size_t i = 0;
  while (i < spec.size()) {
    const std::size_t end = std::min(spec.find(',', i), spec.size());
    const std::string item = spec.substr(i, end - i);
    i = end + 1;
    std::size_t j = 0;
    while (j < item.size() && std::isalpha(static_cast<unsigned char>(item[j]))) ++j;
    const std::string symbol = item.substr(0, j);
    const bool deuterium = symbol == "D";
    const int32_t z = deuterium ? 1 : AtomicNumber(symbol);
    if (z < 1) throw TUsageError("--elements: unknown element '" + symbol + "' in '" + item + "'");
    const std::string range = item.substr(j);
    const std::size_t dash = range.find('-');
    int32_t lo = 0, hi = 0, code1 = 0, code2 = 0;
    if (dash == std::string::npos) {
      Val(range, hi, code2);
    } else {
      Val(range.substr(0, dash), lo, code1);
      Val(range.substr(dash + 1), hi, code2);
    }
    if (range.empty() || code1 != 0 || code2 != 0 || lo < 0 || hi > MaxAtomCount)
      throw TUsageError("--elements: '" + item + "' is not SYMBOL[LOW-]HIGH with counts 0.." +
                        std::to_string(MaxAtomCount));
    if (lo > hi) throw TUsageError("--elements: range reversed in '" + item + "'");
    if (high.NumAtoms == MaxFormulaEntries)
      throw TUsageError("--elements: at most " + std::to_string(MaxFormulaEntries) + " elements");
    const auto k = static_cast<std::size_t>(high.NumAtoms++);
    low.NumAtoms = high.NumAtoms;
    low.AtNum[k] = high.AtNum[k] = static_cast<uint8_t>(z);
    low.AtWgt[k] = high.AtWgt[k] = static_cast<uint16_t>(deuterium ? 2 : IntAtWeight(z));
    low.AtCnt[k] = static_cast<uint16_t>(lo);
    high.AtCnt[k] = static_cast<uint16_t>(hi);
  }
  if (high.NumAtoms == 0) throw TUsageError("--elements: no element given");
}

void RunSearch(const TSearchArgs& a) {
  TFormulaRec low, high;
  ParseElements(a.Elements, low, high);
  Application().Initialize();
  TFormulaSearch search;
  if (!search.Init(a.Mass, a.Tol, low, high)) throw TUsageError("formula search: invalid limits");
  TMolForm f(nullptr);
  TLongJob job("formula search");
  ordered_json hits = ordered_json::array();
  TFormulaRec found;
  int64_t count = 0;
  const bool valence = !a.NoValence;
  while (!TLongJob::Aborted() && (a.Limit == 0 || count < a.Limit) &&
         (a.Exact ? search.FindExact(valence, found) : search.FindNominal(valence, found))) {
    f.SetFormulaRec(found);
    ++count;
    job.Report(count);
    const std::string text = Text(f, 0);
    const double exact = static_cast<double>(f.ExactMolWgt());
    if (a.Output.Json) {
      hits.push_back(
          {{"formula", text}, {"nominal_mass", f.NominalMolWgt()}, {"exact_mass", exact}});
      continue;
    }
    std::cout << text << (text.size() < 32 ? std::string(32 - text.size(), ' ') : " ")
              << f.NominalMolWgt() << "  " << Fixed(exact, 6) << "  "
              << strffForcePlus(exact - a.Mass, 1, 6) << '\n';
  }
  if (a.Output.Json)
    PrintJson({{"mass", a.Mass},
               {"tolerance", a.Tol},
               {"exact", a.Exact},
               {"hits", hits},
               {"complete", search.Exhausted()}});
  else
    std::cerr << "nuv formula search: " << count << " formulae"
              << (search.Exhausted() ? "" : " (stopped before the end)") << '\n';
  if (TLongJob::Aborted()) throw TJobError("formula search: interrupted");
}

}  // namespace

void AddFormulaCommand(CLI::App& app) {
  auto a = std::make_shared<TFormulaArgs>();
  CLI::App* cmd = app.add_subcommand("formula", "masses and element counts of a molecular formula");
  cmd->footer(kFormulaDescription);
  cmd->add_option("TEXT", a->Text, "the formula, e.g. 'C8 H10 N4 O2'");
  AddJsonFlag(*cmd, a->Output);
  cmd->callback([a, cmd] {
    if (cmd->got_subcommand("search")) return;
    RunFormula(*a);
  });

  auto s = std::make_shared<TSearchArgs>();
  CLI::App* search = cmd->add_subcommand("search", "formulae of a given mass");
  search->footer(kSearchDescription);
  search->add_option("MASS", s->Mass, "the mass in u")
      ->required()
      ->check(Finite() & CLI::PositiveNumber);
  search->add_option("--tol", s->Tol, "tolerance in u (> 0)")
      ->required()
      ->check(Finite() & CLI::PositiveNumber);
  search->add_option("--elements", s->Elements, "elements with count ranges")
      ->capture_default_str();
  search->add_flag("--exact", s->Exact, "search by exact mass");
  search->add_flag("--no-valence", s->NoValence, "skip the valence test");
  search->add_option("--limit", s->Limit, "stop after this many formulae (0: all)")
      ->check(CLI::NonNegativeNumber);
  AddJsonFlag(*search, s->Output);
  search->callback([s] { RunSearch(*s); });
}

}  // namespace nuv::tool
