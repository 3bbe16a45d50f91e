#include "nuv/Nuv_cform.h"

#include <algorithm>
#include <charconv>

#include "mollib_units.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace {

bool IsSeparator(char c) { return c == ' ' || c == ',' || c == '.'; }
bool IsParenthesis(char c) { return c == '(' || c == ')'; }

// Index of the first letter, digit or parenthesis at or after i: blanks and
// other filler between parts never end a formula.
std::size_t SkipFiller(std::string_view s, std::size_t i) {
  while (i < s.size() && !IsLetter(s[i]) && !IsDigit(s[i]) && !IsParenthesis(s[i])) ++i;
  return i;
}

// A decimal number that stops growing past its bound, so that any run of
// digits can be read without overflow.
struct TBoundedNumber {
  int32_t Value = 0;
  bool Given = false;
  bool TooLarge = false;
  void Restart() { *this = {}; }
  void AddDigit(char c, int32_t bound) {
    Given = true;
    if (!TooLarge) Value = Value * 10 + (c - '0');
    if (Value > bound) TooLarge = true;
  }
};

// Atomic number of a symbol compared without case; "D" is hydrogen.
int32_t SymbolToAtNum(std::string_view symbol, bool& deuterium) {
  deuterium = SameText(symbol, "D");
  if (deuterium) return 1;
  for (int32_t z = 1; z <= MaxChemElem; ++z)
    if (SameText(ChemElemData[z].Symbol.View(), symbol)) return z;
  return 0;
}

// The multiplier of a group opened at index open: the number after the
// next ")", 1 when there is none or it is below 1.
int32_t GroupMultiplier(const std::string& s, std::size_t open) {
  const std::size_t close = s.find(')', open);
  if (close == std::string::npos) return 1;
  int32_t pos = static_cast<int32_t>(close) + 2;
  const int32_t n = ScanDecimal(s, pos);
  return n > 0 ? n : 1;
}

// True when a "(" opens a group before the previous one was closed: groups
// do not nest, and reading on would give another formula.
// The 1-based position of a "(" inside an open group, 0 when groups do not
// nest.
int32_t NestedGroupAt(std::string_view s) {
  bool open = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '(' && open) return static_cast<int32_t>(i) + 1;
    if (s[i] == '(') open = true;
    if (s[i] == ')') open = false;
  }
  return 0;
}

}  // namespace

TMolForm::TMolForm(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(Left(), Top(), 120, 28);
  formula_.NumAtoms = 2;
  formula_.AtNum[0] = 1;
  formula_.AtWgt[0] = 1;
  formula_.AtCnt[0] = 2;
  formula_.AtNum[1] = 8;
  formula_.AtWgt[1] = 16;
  formula_.AtCnt[1] = 1;
}

void TMolForm::SetMolFormula(std::string_view Value) {
  if (NestedGroupAt(Value) > 0) return;
  ClearEntries();
  ScanMolFormula(Value);
}

int32_t TMolForm::AtNum(int32_t Ix) const {
  return (Ix >= 1 && Ix <= formula_.NumAtoms) ? formula_.AtNum[Ix - 1] : 0;
}

int32_t TMolForm::AtWgt(int32_t Ix) const {
  return (Ix >= 1 && Ix <= formula_.NumAtoms) ? formula_.AtWgt[Ix - 1] : 0;
}

int32_t TMolForm::AtCnt(int32_t Ix) const {
  return (Ix >= 1 && Ix <= formula_.NumAtoms) ? formula_.AtCnt[Ix - 1] : 0;
}

void TMolForm::SetAtNum(int32_t Ix, int32_t Value) {
  if (Ix < 1 || Ix > formula_.NumAtoms || Value < 1 || Value > MaxChemElem) return;
  formula_.AtNum[Ix - 1] = static_cast<uint8_t>(Value);
  Redraw();
}

void TMolForm::SetAtWgt(int32_t Ix, int32_t Value) {
  if (Ix < 1 || Ix > formula_.NumAtoms || Value < 1 || Value > MaxIsotopeMass) return;
  formula_.AtWgt[Ix - 1] = static_cast<uint16_t>(Value);
  Redraw();
}

void TMolForm::SetAtCnt(int32_t Ix, int32_t Value) {
  if (Ix < 1 || Ix > formula_.NumAtoms || Value < 0 || Value > MaxAtomCount) return;
  formula_.AtCnt[Ix - 1] = static_cast<uint16_t>(Value);
  Redraw();
}

void TMolForm::SetNumAtoms(int32_t Value) {
  if (Value < 1 || Value > MaxFormulaEntries) return;
  formula_.NumAtoms = Value;
  Redraw();
}

bool IsValidFormulaRec(const TFormulaRec& F) {
  if (F.NumAtoms < 0 || F.NumAtoms > MaxFormulaEntries) return false;
  for (int32_t i = 0; i < F.NumAtoms; ++i)
    if (F.AtNum[i] < 1 || F.AtNum[i] > MaxChemElem || F.AtWgt[i] < 1 || F.AtWgt[i] > MaxIsotopeMass)
      return false;
  return true;
}

bool TMolForm::SetFormulaRec(const TFormulaRec& Value) {
  if (!IsValidFormulaRec(Value)) return false;
  formula_ = Value;
  Redraw();
  return true;
}

void TMolForm::SetColorTxt(TColor Value) {
  color_txt_ = Value;
  Redraw();
}

void TMolForm::SetColorBkg(TColor Value) {
  color_bkg_ = Value;
  Redraw();
}

void TMolForm::SetTransparent(bool Value) {
  transparent_ = Value;
  Redraw();
}

void TMolForm::SetUseDeuterium(bool Value) {
  use_deuterium_ = Value;
  Redraw();
}

void TMolForm::SetShowAsText(bool Value) {
  show_as_text_ = Value;
  Redraw();
}

void TMolForm::SetIsotopeVis(TIsotVisib Value) {
  if (Value > ivAlways) return;
  isotope_vis_ = Value;
  Redraw();
}

void TMolForm::SetAlignment(TAlignment Value) {
  if (Value > taCenter) return;
  alignment_ = Value;
  Redraw();
}

bool TMolForm::ScanNextFormPart(std::string_view S, int32_t& Pos, int32_t& Count, int32_t& Mass,
                                int32_t& AtNum) {
  enum { stStart, stMass, stMassSep, stSymbol, stSymbolSep, stCount } state = stStart;
  TBoundedNumber mass, count;
  char symbol[4] = {};
  std::size_t symbolLength = 0;
  std::size_t i = Pos < 1 ? 0 : static_cast<std::size_t>(Pos) - 1;
  for (; i < S.size(); ++i) {
    const char c = S[i];
    if (IsParenthesis(c)) break;
    if (IsLetter(c)) {
      if (state == stCount || state == stSymbolSep) break;
      state = stSymbol;
      if (symbolLength < sizeof symbol) symbol[symbolLength] = UpCase(c);
      ++symbolLength;
    } else if (IsDigit(c)) {
      if (state == stStart || state == stMassSep) {
        mass.Restart();
        state = stMass;
      } else if (state != stMass) {
        state = stCount;
      }
      if (state == stMass)
        mass.AddDigit(c, MaxIsotopeMass);
      else
        count.AddDigit(c, MaxAtomCount);
    } else if (IsSeparator(c)) {
      if (state == stCount) break;
      if (state == stMass) state = stMassSep;
      if (state == stSymbol) state = stSymbolSep;
    }
  }
  Pos = static_cast<int32_t>(std::min(i, S.size()) + 1);
  if (symbolLength == 0 || symbolLength > 3 || mass.TooLarge || count.TooLarge ||
      (mass.Given && mass.Value == 0))
    return false;
  bool deuterium = false;
  const int32_t z = SymbolToAtNum(std::string_view(symbol, symbolLength), deuterium);
  if (z == 0) return false;
  AtNum = z;
  Mass = mass.Given ? mass.Value : deuterium ? 2 : IntAtWeight(z);
  Count = count.Value > 0 ? count.Value : 1;
  return true;
}

bool TMolForm::ScanMolFormula(std::string_view S) {
  int32_t stop = 0;
  return ScanMolFormula(S, stop);
}

bool TMolForm::ScanMolFormula(std::string_view S, int32_t& StopPos) {
  if (const int32_t nested = NestedGroupAt(S); nested > 0) {
    StopPos = nested;
    return false;
  }
  const std::string text(S);
  StopPos = static_cast<int32_t>(S.size()) + 1;
  int32_t multiplier = 1;
  bool complete = true;
  for (std::size_t i = SkipFiller(S, 0); i < S.size(); i = SkipFiller(S, i)) {
    if (S[i] == '(') {
      multiplier = GroupMultiplier(text, i);
      ++i;
    } else if (S[i] == ')') {
      multiplier = 1;
      int32_t pos = static_cast<int32_t>(i) + 2;
      ScanDecimal(text, pos);
      i = static_cast<std::size_t>(pos) - 1;
    } else {
      int32_t pos = static_cast<int32_t>(i) + 1, count = 0, mass = 0, atNum = 0;
      if (!ScanNextFormPart(S, pos, count, mass, atNum) ||
          int64_t{count} * multiplier > MaxAtomCount ||
          !AppendEntry(atNum, mass, count * multiplier)) {
        complete = false;
        StopPos = static_cast<int32_t>(i) + 1;
        break;
      }
      i = static_cast<std::size_t>(pos) - 1;
    }
  }
  Redraw();
  return complete;
}

bool TMolForm::ReadFromString(std::string_view S) {
  ClearEntries();
  bool complete = true;
  for (std::size_t i = SkipFiller(S, 0); i < S.size(); i = SkipFiller(S, i)) {
    int32_t pos = static_cast<int32_t>(i) + 1, count = 0, mass = 0, atNum = 0;
    if (!ScanNextFormPart(S, pos, count, mass, atNum) || !AppendEntry(atNum, mass, count)) {
      complete = false;
      break;
    }
    i = static_cast<std::size_t>(pos) - 1;
  }
  Redraw();
  return complete;
}

std::string TMolForm::AsString(int32_t Mode) const {
  std::string text;
  for (int32_t i = 0; i < formula_.NumAtoms; ++i) {
    const std::string entry =
        ChemElem(formula_.AtNum[i], formula_.AtWgt[i], formula_.AtCnt[i], Mode);
    // Entries without text (a count of 0 after a search) leave no blank.
    if (!entry.empty()) text += entry + ' ';
  }
  return text;
}

std::string TMolForm::ChemElem(int32_t AtNum, int32_t Mass, int32_t Count, int32_t Mode) {
  if (AtNum < 1 || AtNum > MaxChemElem || Count < 1) return {};
  const std::string symbol = (AtNum == 1 && Mass == 2) ? "D" : CElemSymb(AtNum);
  // Mode 1 writes every count, 1 included: otherwise the next entry's mass
  // number would read back as this entry's count.
  if (Mode == 1) return std::to_string(Mass) + symbol + std::to_string(Count);
  return Count > 1 ? symbol + std::to_string(Count) : symbol;
}

int32_t TMolForm::CompareTo(const TMolForm& Other) const {
  if (formula_.NumAtoms == 0 || Other.formula_.NumAtoms == 0) return -2;
  struct TKeyCount {
    int32_t AtNum, Mass;
    int64_t Difference;
  };
  std::array<TKeyCount, 2 * MaxFormulaEntries> keys{};
  std::size_t used = 0;
  auto add = [&](const TFormulaRec& f, int64_t sign) {
    for (int32_t i = 0; i < f.NumAtoms; ++i) {
      auto it = std::find_if(keys.begin(), keys.begin() + used, [&](const TKeyCount& k) {
        return k.AtNum == f.AtNum[i] && k.Mass == f.AtWgt[i];
      });
      if (it == keys.begin() + used) keys[used++] = {f.AtNum[i], f.AtWgt[i], 0};
      it->Difference += sign * f.AtCnt[i];
    }
  };
  add(formula_, 1);
  add(Other.formula_, -1);
  bool anyPositive = false, anyNegative = false;
  for (std::size_t i = 0; i < used; ++i) {
    anyPositive |= keys[i].Difference > 0;
    anyNegative |= keys[i].Difference < 0;
  }
  if (!anyPositive && !anyNegative) return 0;
  if (!anyPositive) return 2;
  if (!anyNegative) return 1;
  return -1;
}

int32_t TMolForm::NominalMolWgt() const {
  int32_t sum = 0;
  for (int32_t i = 0; i < formula_.NumAtoms; ++i) sum += formula_.AtWgt[i] * formula_.AtCnt[i];
  return sum;
}

long double TMolForm::ExactMolWgt() const {
  long double sum = 0;
  for (int32_t i = 0; i < formula_.NumAtoms; ++i)
    sum += ExactAtWeight(formula_.AtNum[i]) * formula_.AtCnt[i];
  return sum;
}

long double TMolForm::ChemMolWgt() const {
  long double sum = 0;
  for (int32_t i = 0; i < formula_.NumAtoms; ++i)
    sum += ChemAtWeight(formula_.AtNum[i]) * formula_.AtCnt[i];
  return sum;
}

void TMolForm::Clear() {
  ClearEntries();
  Redraw();
}

void TMolForm::ShowIt() { Redraw(); }

bool TMolForm::InitFindFormula(double Mass, double Tolerance, const TFormulaRec& LowLimit,
                               const TFormulaRec& HighLimit) {
  return search_.Init(Mass, Tolerance, LowLimit, HighLimit);
}

bool TMolForm::FindFormulaNominalMass(bool CheckValence) {
  if (!search_.FindNominal(CheckValence, formula_)) return false;
  Redraw();
  return true;
}

bool TMolForm::FindFormulaExactMass(bool CheckValence) {
  if (!search_.FindExact(CheckValence, formula_)) return false;
  Redraw();
  return true;
}

void TMolForm::Assign(const TPersistent& Source) {
  const auto* other = dynamic_cast<const TMolForm*>(&Source);
  if (other == nullptr) {
    TGraphicControl::Assign(Source);
    return;
  }
  formula_ = other->formula_;
  search_ = other->search_;
  SetFont(other->Font());
  color_txt_ = other->color_txt_;
  color_bkg_ = other->color_bkg_;
  transparent_ = other->transparent_;
  use_deuterium_ = other->use_deuterium_;
  show_as_text_ = other->show_as_text_;
  isotope_vis_ = other->isotope_vis_;
  alignment_ = other->alignment_;
  Redraw();
}

bool TMolForm::AppendEntry(int32_t AtNum, int32_t Mass, int32_t Count) {
  if (formula_.NumAtoms >= MaxFormulaEntries) return false;
  const auto i = static_cast<std::size_t>(formula_.NumAtoms++);
  formula_.AtNum[i] = static_cast<uint8_t>(AtNum);
  formula_.AtWgt[i] = static_cast<uint16_t>(Mass);
  formula_.AtCnt[i] = static_cast<uint16_t>(Count);
  return true;
}

void TMolForm::ClearEntries() { formula_ = TFormulaRec{}; }

void TMolForm::Redraw() {
  AdjustHeight();
  if (transparent_)
    Invalidate();
  else
    Repaint();
}

}  // namespace nuv

namespace nuv::units {

void Nuv_cform_Init() {}
void Nuv_cform_Finalize() {}

}  // namespace nuv::units
