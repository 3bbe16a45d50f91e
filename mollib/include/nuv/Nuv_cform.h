// Molecular formulae with isotope labels: TMolForm holds a formula as a
// short list of element entries, parses and writes formula text, compares
// compositions, computes nominal, exact and chemical molecular weights and
// searches the compositions that fit a given mass. TFormulaRec carries a
// formula between TMolForm and the connection tables.
//
// Nothing here raises for bad formula text: parsing stops at the first part
// it cannot read and keeps what it read so far.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_cdata.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Controls.h"

namespace nuv {

inline constexpr int32_t MaxFormulaEntries = 20;
// Bounds of an entry's isotope mass number and atom count. Masses of the
// heaviest elements (257 for fermium) and counts of polymers do not fit a
// byte, so entries are wider; text beyond these bounds is not read.
inline constexpr int32_t MaxIsotopeMass = 999;
inline constexpr int32_t MaxAtomCount = 65535;

// A formula of NumAtoms entries (0..20); entry Ix (1-based) is at index
// Ix - 1 of the arrays. AtWgt is the isotope mass number.
struct TFormulaRec {
  int32_t NumAtoms = 0;
  std::array<uint8_t, MaxFormulaEntries> AtNum{};
  std::array<uint16_t, MaxFormulaEntries> AtWgt{};
  std::array<uint16_t, MaxFormulaEntries> AtCnt{};
  friend bool operator==(const TFormulaRec&, const TFormulaRec&) = default;
};

// True when NumAtoms is 0..20 and every entry in use has an atomic number
// of 1..103 and a mass number of 1..MaxIsotopeMass.
bool IsValidFormulaRec(const TFormulaRec& F);

// When the drawn formula shows isotope mass numbers: never, only where the
// mass differs from the element's nominal mass, always.
enum TIsotVisib : uint8_t { ivNone, ivSpecial, ivAlways };

// The search for compositions of a given mass. The candidates are the
// entries of the upper limit with every count running from the upper
// limit's count down to the lower limit's, in the order of an odometer
// that counts down with the last entry changing fastest. Each Find call
// returns the next fitting candidate at or after the current one and then
// steps past it, so that repeated calls enumerate every fitting candidate
// once, in that order. Whole ranges of candidates whose masses cannot reach
// the target are skipped without being visited.
//
// Fitting means, for the nominal test, that the sum of mass number × count
// equals round(Mass) (half to even); for the exact test, that the sum of
// ExactAtWeight × count lies closer than Tolerance to Mass. The valence
// test, when asked for, requires N + 2·C + 2 ≥ H + F + Cl + Br + I over
// the counts of those elements (a non-negative number of rings and double
// bonds); other elements take no part.
class TFormulaSearch {
 public:
  // Starts a new search; the lower limit's counts are read at the positions
  // of the upper limit's entries. False, and a search that finds nothing,
  // when HighLimit has no entries or is not valid (IsValidFormulaRec), or a
  // lower count exceeds its upper count.
  bool Init(double Mass, double Tolerance, const TFormulaRec& LowLimit,
            const TFormulaRec& HighLimit);
  // The next fitting candidate into Found (all entries of the upper limit,
  // counts of 0 included); false once the candidates are exhausted, and
  // every time after that until Init is called again.
  bool FindNominal(bool CheckValence, TFormulaRec& Found);
  bool FindExact(bool CheckValence, TFormulaRec& Found);

  double Mass() const { return mass_; }
  double Tolerance() const { return tolerance_; }
  const TFormulaRec& LowLimit() const { return low_; }
  const TFormulaRec& HighLimit() const { return high_; }
  bool Exhausted() const { return exhausted_; }

 private:
  struct TEntry {
    int32_t Lo = 0;
    int32_t Hi = 0;
    int32_t Cur = 0;
    int32_t Valence = 0;  // weight in N + 2·C + 2 − H − halogens
  };
  template <class TMasses>
  bool Find(const TMasses& masses, bool CheckValence, TFormulaRec& Found);
  bool ValenceFits() const;
  void Export(TFormulaRec& Found) const;
  void Step();
  void BuildReach(int64_t target);

  // Nominal targets up to this size get a table of the sums the remaining
  // entries can reach (count + 1 rows of target + 1 bytes).
  static constexpr int64_t kMaxReachTarget = 65535;

  double mass_ = 0;
  double tolerance_ = 0.05;
  TFormulaRec low_;
  TFormulaRec high_;
  std::array<TEntry, MaxFormulaEntries> entries_{};
  int32_t count_ = 0;
  bool exhausted_ = true;
  std::vector<uint8_t> reach_;
};

// A molecular formula of up to 20 entries (atomic number, isotope mass
// number, count), kept in the order in which they were read; equal elements
// are not merged. As a control it draws the formula with subscript counts
// and superscript isotope mass numbers; every change repaints it.
//
// Formula text is read part by part: an optional isotope mass number, an
// optional separator (blank, "," or "."), the element symbol as a run of
// letters (case does not matter; "D" is hydrogen of mass 2) and an optional
// count, which may follow the symbol after a separator. Symbols must be
// kept apart by a count or a separator: 'C6H12O6' and 'C6 H12 O6' read the
// same, but 'CO2' is cobalt, and in '13C 1H4' the "1" counts the carbon.
// A group "( ... )n" multiplies the counts inside it by n; groups do not
// nest.
class TMolForm : public TGraphicControl {
 public:
  // Water, 120 × 28 pixels.
  explicit TMolForm(TComponent* AOwner);

  // Reading gives AsString(1), which reads back to the same entries;
  // writing clears the entries and reads the text with ScanMolFormula; a
  // text with nested groups leaves the formula unchanged.
  std::string MolFormula() const { return AsString(1); }
  void SetMolFormula(std::string_view Value);

  // Entry Ix (1..NumAtoms). Reading outside gives 0; writing outside, or a
  // value outside 1..103 (atomic number), 1..MaxIsotopeMass (mass) or
  // 0..MaxAtomCount (count), is ignored.
  int32_t AtNum(int32_t Ix) const;
  int32_t AtWgt(int32_t Ix) const;
  int32_t AtCnt(int32_t Ix) const;
  void SetAtNum(int32_t Ix, int32_t Value);
  void SetAtWgt(int32_t Ix, int32_t Value);
  void SetAtCnt(int32_t Ix, int32_t Value);
  int32_t NumAtoms() const { return formula_.NumAtoms; }
  // Accepts 1..20 only.
  void SetNumAtoms(int32_t Value);

  // The entries as a record, and back; SetFormulaRec ignores (and returns
  // false for) a record that is not valid (IsValidFormulaRec).
  const TFormulaRec& FormulaRec() const { return formula_; }
  bool SetFormulaRec(const TFormulaRec& Value);

  TColor ColorTxt() const { return color_txt_; }
  void SetColorTxt(TColor Value);
  TColor ColorBkg() const { return color_bkg_; }
  void SetColorBkg(TColor Value);
  // Only the text is drawn, over what the control shows behind it (the
  // control's Color: the platform's controls draw on a surface of their
  // own).
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  // Hydrogen of mass 2 is drawn as "D".
  bool UseDeuterium() const { return use_deuterium_; }
  void SetUseDeuterium(bool Value);
  // Draws AsString(0) in the normal font instead.
  bool ShowAsText() const { return show_as_text_; }
  void SetShowAsText(bool Value);
  TIsotVisib IsotopeVis() const { return isotope_vis_; }
  void SetIsotopeVis(TIsotVisib Value);
  // Where the drawing sits in the control; a drawing wider than the control
  // shows its left, right or middle part accordingly.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);

  // Reads one part of S from the 1-based position Pos on (positions below 1
  // count as 1) and leaves Pos on the character that ended it: the end of S
  // (Pos = length + 1), "(" or ")", the letter that begins the next part, or
  // a separator after the count. Count is the given count, 1 when none or 0
  // is given; Mass the given mass number, else 2 for "D", else the nominal
  // mass. False when no symbol was read, the symbol is unknown or a number
  // is beyond its bound; the results are then unchanged.
  static bool ScanNextFormPart(std::string_view S, int32_t& Pos, int32_t& Count, int32_t& Mass,
                               int32_t& AtNum);
  // Appends the parts of S, groups included. False when it stopped before
  // the end of S: at a part it could not read, at a count beyond
  // MaxAtomCount or when the 20 entries are full. Groups do not nest: a
  // "(" inside a group gives false before anything is appended.
  bool ScanMolFormula(std::string_view S);
  // As above; StopPos receives the 1-based position at which reading
  // stopped (length + 1 when the whole text was read), so that a caller
  // can show where a formula went wrong.
  bool ScanMolFormula(std::string_view S, int32_t& StopPos);
  // Clears the entries and appends the parts of S without group handling
  // (a parenthesis ends it); false as ScanMolFormula.
  bool ReadFromString(std::string_view S);

  // Every entry as ChemElem writes it, each followed by one blank; entries
  // with a count of 0 are left out.
  std::string AsString(int32_t Mode) const;
  // One entry: mode 1 gives mass number, symbol and count ("13C2", "12C1");
  // every other mode the symbol and the count when it is above 1 ("C2",
  // "C"). Hydrogen of mass 2 is "D". Empty for an atomic number outside
  // 1..103 or a count below 1.
  static std::string ChemElem(int32_t AtNum, int32_t Mass, int32_t Count, int32_t Mode);

  // Compares the compositions by (atomic number, mass) pairs: 0 equal, 1 the
  // other is contained in this one, 2 this one is contained in the other,
  // -1 neither, -2 either formula has no entries.
  int32_t CompareTo(const TMolForm& Other) const;

  // Sum of mass number × count.
  int32_t NominalMolWgt() const;
  // Sum of the principal isotope's exact mass × count: isotope labels are
  // not taken into account.
  long double ExactMolWgt() const;
  // Sum of chemical weight × count.
  long double ChemMolWgt() const;

  // No entries, all entry fields 0.
  void Clear();
  void ShowIt();

  // The search of TFormulaSearch; a successful Find makes the candidate
  // this formula's entries.
  bool InitFindFormula(double Mass, double Tolerance, const TFormulaRec& LowLimit,
                       const TFormulaRec& HighLimit);
  bool FindFormulaNominalMass(bool CheckValence);
  bool FindFormulaExactMass(bool CheckValence);
  const TFormulaSearch& Search() const { return search_; }

  // From another TMolForm: every property (font and colours included), the
  // entries and the search state. Other sources as TPersistent.
  void Assign(const TPersistent& Source) override;

 protected:
  // Superscripts and subscripts use round(0.8 × font size) + 1 points; the
  // control is twice as high as an "M" in that size.
  void Paint() override;
  void FontChanged() override;

 private:
  bool AppendEntry(int32_t AtNum, int32_t Mass, int32_t Count);
  void ClearEntries();
  // Repaints, or invalidates when Transparent so that what lies behind is
  // drawn first.
  void Redraw();
  void AdjustHeight();
  // Draws the formula from x = 1 on c and returns the x after its end.
  int32_t DrawFormula(TCanvas& c, TColor text, TColor background);

  TFormulaRec formula_;
  TFormulaSearch search_;
  TColor color_txt_ = clBlack;
  TColor color_bkg_ = clBtnFace;
  bool transparent_ = false;
  bool use_deuterium_ = true;
  bool show_as_text_ = false;
  TIsotVisib isotope_vis_ = ivSpecial;
  TAlignment alignment_ = taCenter;
};

}  // namespace nuv
