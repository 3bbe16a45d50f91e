// Connection tables of molecules: TCTab holds one structure of at most 63
// atoms (element, isotope mass, charge, flags, up to 10 neighbours with bond
// types, coordinates), reads and writes MDL connection tables, molfiles and
// SD files and two clear-text formats, counts hydrogens, computes formula
// and weight, finds rings and the smallest set of smallest rings, marks ring
// and chain atoms, codes atom environments, counts functional groups and
// searches substructures.
//
// Nothing here raises for bad input: readers return false and leave the
// table unchanged (except a query bond type, which is read as a single bond
// and reported by false), out-of-range indices are ignored. Every change
// fires OnChange.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_cdata.h"
#include "nuv/Nuv_cform.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Classes.h"
#include "nuv/platform/Streams.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

inline constexpr int32_t MaxCTabAtoms = 63;
inline constexpr int32_t MaxCTabConn = 10;
inline constexpr int32_t MaxRingsInList = 100;
inline constexpr int32_t MaxPropItems = 20;

enum CoordUnitType : uint8_t { cuUnknown, cuPixel, cuNanoM, cuPicoM, cuAngstrom };

// One atom. Conn and BondType are kept compact: the occupied slots come
// first, 0 marks a free slot. AtWeight is the isotope mass number; it is
// 16 bits wide because masses of the heaviest elements exceed 255.
struct CTElem {
  uint8_t AtNum = 0;  // 0 unknown ("R", "*"), else 1..103
  uint16_t AtWeight = 0;
  uint8_t AtFlag = 0;
  uint8_t Attrib = 0;
  int8_t Charge = 0;
  std::array<uint8_t, MaxCTabConn> Conn{};
  std::array<uint8_t, MaxCTabConn> BondType{};  // 1 single, 2 double, 3 triple, 4 aromatic
  std::array<float, 3> Coords{};                // x, y, z
  uint32_t Reserved = 0x80000000u;
  friend bool operator==(const CTElem&, const CTElem&) = default;
};

// Zeroes every field and sets Reserved to 80000000 hexadecimal.
void ClearCTElem(CTElem& Elem);

// [0] the atom count, [1..63] the atoms in ring order, [64] spare.
using RingType = std::array<uint8_t, MaxCTabAtoms + 2>;
// Rings[i - 1] is ring i of NRings (0..100).
struct RingListType {
  int32_t NRings = 0;
  std::array<RingType, MaxRingsInList> Rings{};
};
// [0] the count, [1..63] atom numbers.
using AtListType = std::array<uint8_t, MaxCTabAtoms + 1>;

// True when some ring of List holds every atom of Ring.
bool RingInRingList(const RingType& Ring, const RingListType& List);

// Data items of an SD record: name (empty = unused) and value.
struct TPropItem {
  ShortString<15> Name;
  double Value = 0;
};
struct TPropRec {
  std::array<TPropItem, MaxPropItems> Items{};
};

enum SSSMode : uint8_t { smSkeleton, smAtoms, smBonds, smAtomAndBonds };

// Kinds of FragmentCount (see there).
enum FrgType : uint8_t {
  NSglBnd,
  NCCSgl,
  NDblBnd,
  NCCDbl,
  NTrplBnd,
  NCCTrpl,
  NAroBnd,
  NBranch,
  XCnt,
  COOH,
  COO,
  NO2,
  AnyCO,
  AroCl,
  AroBr,
  AnyOH,
  PhOH,
  NH2,
  NHR,
  NR2,
  NCON,
  CN,
  CONR2,
  CHO,
  COX,
  AnySO,
  OCH3,
  NO,
  NNH2
};

// "ERROR" for a negative code, else the centre's symbol followed by bond
// character ("1", "2", "3", "4" aromatic) and symbol of each neighbour, as
// 'C2O1O1C'.
std::string FragmentStr(int32_t Code);

// Bits of CompareWith.
enum : int32_t {
  cwAtomCount = 0x1,
  cwName = 0x2,
  cwCoordUnit = 0x4,
  cwCASNr = 0x8,
  cwAtNum = 0x10,
  cwAtWeight = 0x20,
  cwAtFlag = 0x40,
  cwAttrib = 0x80,
  cwCharge = 0x100,
  cwX = 0x200,
  cwY = 0x400,
  cwZ = 0x800,
  cwConn = 0x1000,
  cwBondType = 0x2000
};

// Bits of the attribute byte set by CalcAttributes.
enum : uint8_t {
  atChain = 0x01,
  atRing = 0x02,
  atRing5 = 0x04,
  atRing6 = 0x08,
  atBranch = 0x10,
  atRingOther = 0x20,
  atChainEnd = 0x40,
  atMultiRing = 0x80
};

class TCTab : public TComponent {
 public:
  explicit TCTab(TComponent* AOwner);

  TNotifyEvent OnChange;
  void Changed();

  // ---- table
  int32_t NAtoms() const { return natoms_; }
  const std::string& StrucName() const { return name_; }
  void SetStrucName(std::string_view Value);
  // The CAS number as FormatCASNr text ("" for none); setting text that is
  // not a valid CAS number keeps the old number.
  std::string CASNr() const;
  void SetCASNr(std::string_view Value);
  int32_t CASNumber() const { return cas_; }
  bool CheckCASNr(int32_t N) const;
  CoordUnitType CoordUnit() const { return unit_; }
  void SetCoordUnit(CoordUnitType Value);

  // ---- atoms (1..NAtoms; slots 1..10; axes 1..3)
  int32_t GetAtNum(int32_t Atom) const;
  void SetAtNum(int32_t Atom, int32_t Value);  // 1..103 only
  int32_t GetAtWeight(int32_t Atom) const;
  void SetAtWeight(int32_t Atom, int32_t Value);  // 0..MaxIsotopeMass
  int32_t GetAtFlag(int32_t Atom) const;
  void SetAtFlag(int32_t Atom, int32_t Value);
  int32_t GetAttrib(int32_t Atom) const;
  void SetAttrib(int32_t Atom, int32_t Value);
  int32_t GetCharge(int32_t Atom) const;
  void SetCharge(int32_t Atom, int32_t Value);  // -127..127
  int32_t GetConnTo(int32_t Atom, int32_t Slot) const;
  int32_t GetTypConn(int32_t Atom, int32_t Slot) const;
  // Raw slot access: the caller keeps both records of a bond in step and
  // the slots compact (MakeConnection does both).
  void SetConnTo(int32_t Atom, int32_t Slot, int32_t Value);
  void SetTypConn(int32_t Atom, int32_t Slot, int32_t Value);
  double GetCoords(int32_t Atom, int32_t Axis) const;
  void SetCoords(int32_t Atom, int32_t Axis, double Value);
  CTElem GetAtomEntries(int32_t Atom) const;
  void SetAtomEntries(int32_t Atom, const CTElem& Elem);
  int32_t GetNBonds(int32_t Atom) const;
  int32_t MaxNBonds(int32_t& Atom) const;
  int32_t AtomCount(int32_t AtNum) const;
  int32_t CheckConnect(int32_t A, int32_t B) const;
  bool GetCoordsPresent() const;
  // False zeroes all coordinates; true does nothing.
  void SetCoordsPresent(bool Value);

  // ---- editing
  void Clear();
  void ClearAttributes();
  bool AddAtom(const CTElem& Elem);
  void EnterConn(int32_t A, int32_t B, int32_t Type);
  // Type 1..4 enters the bond in both records (false, and nothing entered,
  // when either atom has no free slot); Type 0 removes it (false when there
  // was none). False for indices out of range, a self-bond or a type
  // outside 0..4.
  bool MakeConnection(int32_t A, int32_t B, int32_t Type);
  void MakeSymmetricConnections();
  // Removes A and bonds its former neighbours to each other (the lower of
  // the two bond types; an existing bond between them is kept, and a bond
  // is entered only where both atoms have a free slot). The last atom takes
  // slot A.
  void DeleteAtom(int32_t A);
  void RemoveHydrogen();
  int32_t StripfromChains();
  int32_t FindNextEndAtom(int32_t Start) const;
  bool ContainsUnconnectedAtom() const;
  void CopyFrom(const TCTab& Other);
  // Both return false, and leave the table unchanged, when the atoms to be
  // appended would not fit into 63 slots.
  bool JoinFragment(const TCTab& Frag);
  bool LinkFragment(const TCTab& Frag);
  int32_t CompareWith(const TCTab& Other) const;

  // ---- chemistry
  // Hydrogens bonded to Atom, implicit and explicit (0 for hydrogen
  // itself); see the notes in the source for charged atoms.
  int32_t NrHAtoms(int32_t Atom) const;
  int32_t CalcMissingH() const;
  // C, H, N, O, S, P, F, Cl, Br, I, then the other elements in order of
  // appearance, each element with its isotopes in order of appearance
  // (implicit hydrogens first). Explicit hydrogen atoms keep their mass; unknown atoms are
  // left out. False (Formula unchanged) beyond 20 distinct pairs.
  bool CalcMolecularFormula(TFormulaRec& Formula) const;
  // Daltons; isotope-labelled atoms weigh their mass number.
  long double CalcChemMolWeight() const;

  // ---- rings
  // Bonds − atoms + fragments.
  int32_t RingsInMolecule() const;
  int32_t FindShortestRings(int32_t Atom, RingListType& Rings) const;
  // Ring count never below RingsInMolecule (up to 100 rings).
  int32_t FindSSSR(RingListType& Rings) const;
  int32_t CalcAttributes();
  int32_t FragmentCode(int32_t Atom, int32_t& NNext) const;
  int32_t FragmentCount(FrgType Kind) const;

  // ---- search
  bool SumForContained(const TCTab& Sub) const;
  // MatchMap receives (at least NAtoms entries) 1 for the atoms of the
  // first match found and 0 elsewhere. Sub atoms match table atoms of the
  // same element that carry all of the Sub atom's attribute bits and at
  // least as many bonds; with MatchBondTypes every bond of Sub must map to
  // a bond of the same type. Every atom of Sub is mapped, to distinct atoms.
  bool SearchSubStruc(const TCTab& Sub, std::vector<uint8_t>& MatchMap, bool MatchBondTypes) const;
  // Where the search writes its trace; empty (the default) writes none.
  void SetTraceFile(std::string_view FileName) { trace_file_ = FileName; }
  const std::string& TraceFile() const { return trace_file_; }
  // AtNum > 0 equal, < 0 different element; NBonds > 0 equal, < 0 different
  // bond count; every non-zero BondTypes entry among the atom's bond types.
  void MatchAtomTemplate(int32_t AtNum, int32_t NBonds, const std::array<uint8_t, 10>& BondTypes,
                         AtListType& Atoms) const;

  // ---- geometry
  void CalcMolCenter(double& X, double& Y, double& Z) const;
  long double CalcMolExtents(double& MinX, double& MinY, double& MaxX, double& MaxY, double& MeanX,
                             double& MeanY) const;
  void FindClosestAtom(double X, double Y, double Z, int32_t& Atom, double& Dist) const;
  int32_t FindAtomInBox(double X, double Y, double Z, double DX, double DY, double DZ) const;
  // Replaces every atom's coordinates by its scores, rounded to whole
  // units, on the principal components of the atoms' x and y (z taken as
  // 0, so the third score, and with it z, is 0). Runs CalcPrincComp of
  // Nuv_math2, whose eigen storage then holds this decomposition instead
  // of what it held before. False, the table unchanged, for fewer than two
  // atoms or when the decomposition fails.
  bool RotateWithPCA();

  // ---- reading (false: the table unchanged, see the unit's notes)
  bool ReadFromMDLCTabFile(TextFile& F);
  bool ReadFromMDLCTabStream(TStream& Stream);
  bool ReadFromMDLMolFile(TextFile& F);
  bool ReadFromMDLMolStream(TStream& Stream);
  // One record from the current position; the file is left behind the
  // record's "$$$$" also when the record is refused. Props may be null.
  bool ReadFromMDLSDFile(TextFile& F, TPropRec* Props);
  bool ReadFromClearTextFile(TextFile& F);
  bool ReadFromClearTextFileCTABG(TextFile& F);
  // The CONTAB body from the current position.
  bool ReadConnTabBody(TextFile& F);

  // ---- writing: V2000 connection table (counts line to "M  END");
  // coordinates scaled to a mean bond length of 1.5.
  void WriteToMDLCTabFile(TextFile& F) const;
  void WriteToMDLCTabStream(TStream& Stream) const;
  // Header lines Name, program line, Comment; then the connection table.
  void WriteToMDLMolFile(TextFile& F, std::string_view Name, std::string_view Comment) const;
  void WriteToMDLMolStream(TStream& Stream, std::string_view Name, std::string_view Comment) const;
  // A molfile named StrucName, the CAS number as "> <CAS_RN>", the used
  // items of Props (may be null) as "> <NAME>", then "$$$$".
  void WriteToMDLSDFile(TextFile& F, const TPropRec* Props) const;
  // "/CONTAB " and a body that ReadFromClearTextFile reads back.
  void WriteToClearTextFile(TextFile& F) const;
  // A line listing: first the name, then one line per atom:
  //   atom number, symbol, hydrogen count (NrHAtoms), neighbour count,
  //   the neighbour numbers
  // and, for Mode 1, the bond types after the neighbours.
  void WriteToMolConnXFile(int32_t Mode, TextFile& F) const;

 private:
  friend struct TCTabAccess;
  bool Valid(int32_t Atom) const { return Atom >= 1 && Atom <= natoms_; }
  CTElem& At(int32_t Atom) { return atoms_[static_cast<std::size_t>(Atom - 1)]; }
  const CTElem& At(int32_t Atom) const { return atoms_[static_cast<std::size_t>(Atom - 1)]; }
  void CommitFrom(const TCTab& Other);

  std::array<CTElem, MaxCTabAtoms> atoms_{};
  int32_t natoms_ = 0;
  std::string name_;
  int32_t cas_ = 0;
  CoordUnitType unit_ = cuUnknown;
  std::string trace_file_;
};

}  // namespace nuv
