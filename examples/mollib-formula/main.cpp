// Formula masses and a mass search, as a mass spectrometry application
// uses them: the masses of a formula read from text, then every
// composition of C, H, N and O whose exact mass lies near a measured peak.
#include <iostream>

#include "nuv/Nuv_cdata.h"
#include "nuv/Nuv_cform.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/Forms.h"

int main() {
  using namespace nuv;
  // TMolForm is also a control; the application object exists before it.
  Application().Initialize();

  TMolForm caffeine(nullptr);
  caffeine.Clear();
  caffeine.ScanMolFormula("C8 H10 N4 O2");
  std::cout << "caffeine " << caffeine.AsString(0) << ": nominal " << caffeine.NominalMolWgt()
            << ", exact " << strff(static_cast<double>(caffeine.ExactMolWgt()), 1, 5)
            << ", chemical " << strff(static_cast<double>(caffeine.ChemMolWgt()), 1, 3) << '\n';

  // The limits: the upper limit lists the elements and their largest
  // counts, the lower limit the smallest counts at the same positions.
  TFormulaRec low, high;
  for (const auto [symbol, most] : {std::pair{"C", 12}, {"H", 20}, {"N", 5}, {"O", 4}}) {
    const auto i = static_cast<std::size_t>(high.NumAtoms++);
    const int32_t z = AtomicNumber(symbol);
    high.AtNum[i] = static_cast<uint8_t>(z);
    high.AtWgt[i] = static_cast<uint16_t>(IntAtWeight(z));
    high.AtCnt[i] = static_cast<uint16_t>(most);
  }
  low.NumAtoms = high.NumAtoms;

  const double peak = 194.0804, tolerance = 0.002;
  TFormulaSearch search;
  search.Init(peak, tolerance, low, high);
  std::cout << "compositions within " << strff(tolerance, 1, 3) << " u of " << strff(peak, 1, 4)
            << ":\n";
  TFormulaRec found;
  TMolForm hit(nullptr);
  while (search.FindExact(/*CheckValence=*/true, found)) {
    hit.SetFormulaRec(found);
    std::cout << "  " << hit.AsString(0) << "  "
              << strff(static_cast<double>(hit.ExactMolWgt()), 1, 5) << '\n';
  }
  return 0;
}
