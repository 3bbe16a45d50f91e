// Element data: symbols, names, masses, outer electrons and electron
// configurations, van der Waals radii and periodic-table positions of the
// elements 1 (hydrogen) to 103 (lawrencium); CAS registry number checking
// and formatting; a dictionary compressor for chemical names.
//
// Every function is a pure look-up on constant tables: none keeps state or
// raises. Atomic numbers outside 1..103 give 0 or the empty text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

inline constexpr int32_t MaxChemElem = 103;

// One element. Masses in daltons; the nominal mass is the mass number of
// the principal isotope and ExactMass that isotope's mass; ChemWeight is
// the mean weight of the natural mixture, 0 where none is given. Names are
// lower case and keep their historical spellings ("litium", "flourine").
struct TChemElemData {
  ShortString<3> Symbol;
  ShortString<12> Name;
  int32_t NominalMass = 0;
  double ExactMass = 0;
  double ChemWeight = 0;
  uint8_t OuterElectrons = 0;
  ShortString<22> Config;  // noble-gas core in brackets: "[He] 2s2 2p2"
  int16_t VdWRadius = 0;   // picometres; 0 where there is no value
};

extern const TRangeArray<TChemElemData, 1, MaxChemElem> ChemElemData;

// The periodic table as 9 rows by 18 columns of atomic numbers (0 for an
// empty cell): rows 0..6 are periods 1..7, rows 7 and 8 the lanthanides and
// actinides. Indexed [Row][Col].
extern const std::array<std::array<uint8_t, 18>, 9> PerSysTable;

// The 128 fragments of the chemical-name dictionary; fragment i is coded by
// the character of code i, longer fragments first.
extern const TRangeArray<ShortString<7>, 128, 255> ChemNameFragments;

std::string CElemSymb(int32_t AtNum);
std::string CElemName(int32_t AtNum);
// Atomic number of the element whose symbol equals Symbol exactly
// (case-sensitive: "Cl" is 17, "CL" is 0); 0 if there is none.
int32_t AtomicNumber(std::string_view Symbol);
int32_t IntAtWeight(int32_t AtNum);
long double ExactAtWeight(int32_t AtNum);
long double ChemAtWeight(int32_t AtNum);
// Van der Waals radius in angstrom; 0 where the table has no value (every
// element beyond iodine).
long double VDWRadius(int32_t AtNum);
int32_t NumOuterElectrons(int32_t AtNum);
std::string ShortElectronConfig(int32_t AtNum);
// The configuration with the noble-gas core written out: lithium gives
// "1s2 2s1".
std::string FullElectronConfig(int32_t AtNum);
// Column and row (0-based) of the element in PerSysTable; both 0 outside
// 1..103.
void PerSysCoord(int32_t AtNum, int32_t& Col, int32_t& Row);

// True when the last decimal digit is the CAS check digit of the others
// (weighted 1, 2, 3 ... from the right, sum modulo 10). Negative numbers
// fail; numbers below 10 are valid only when 0.
bool CheckCASNr(int32_t CASNr);
// "digits-two digits-check digit", zero-padded to at least four digits:
// 7732185 gives "7732-18-5", 5 gives "0-00-5". Negative numbers give the
// empty text.
std::string FormatCASNr(int32_t CASNr);
// Reads a CAS number written as FormatCASNr writes it (blanks around it are
// allowed). False for any other form, for numbers beyond the int32 range
// and for a wrong check digit; CASNr receives the number whenever its
// digits were read, also when the check digit is wrong.
bool ConvertStrToCASNr(std::string_view S, int32_t& CASNr);

// Lower-cases Name and replaces every dictionary fragment (in table order)
// by its code. Characters of codes 128..255 already in Name are
// indistinguishable from codes afterwards.
std::string CompressChemName(std::string_view Name);
// Replaces every code of 128..255 by its fragment; the result is lower case.
std::string DeCompressChemName(std::string_view Name);

}  // namespace nuv
