// Mathematical constants, the range limits of the floating-point formats
// the libraries meet (including the 6-byte real of old data files) with
// their natural logarithms, and a table of ln(n!) for n = 0..1000.
//
// Each scalar is the extended (long double) value of the decimal literal
// written here, 16 or 17 significant digits: its last bits are those of the
// literal, not of the exact mathematical value. The limits are the
// customary rounded literals (uc_MaxDouble is 1.7E308, not DBL_MAX).
#pragma once

#include <limits>

#include "nuv/platform/Types.h"

namespace nuv {

inline constexpr long double uc_e = 2.718281828459045L;
inline constexpr long double uc_etom1 = 0.36787944117144233L;
inline constexpr long double uc_lg2 = 0.3010299956639812L;
inline constexpr long double uc_lg5 = 0.6989700043360189L;
inline constexpr long double uc_lge = 0.4342944819032518L;
inline constexpr long double uc_lgPi = 0.49714987269413385L;
inline constexpr long double uc_ln10 = 2.302585092994046L;
inline constexpr long double uc_ln2 = 0.6931471805599453L;
inline constexpr long double uc_lnPi = 1.1447298858494002L;
inline constexpr long double uc_PiH = 1.5707963267948966L;
inline constexpr long double uc_PiSqr = 9.869604401089358L;
inline constexpr long double uc_Pitom1 = 0.3183098861837907L;
inline constexpr long double uc_sqrt2 = 1.4142135623730951L;
inline constexpr long double uc_sqrt2pi = 2.5066282746310007L;
inline constexpr long double uc_sqrt2pitom1 = 0.3989422804014327L;
inline constexpr long double uc_GoldenR = 1.618033988749895L;

// Smallest positive and largest values of the 6-byte real, single, double
// and extended formats. The smallest are the denormal minima where the
// format has denormals.
inline constexpr long double uc_MinReal = 2.9E-39L;
inline constexpr long double uc_MaxReal = 1.7E38L;
inline constexpr long double uc_MinSingle = 1.5E-45L;
inline constexpr long double uc_MaxSingle = 3.4E38L;
inline constexpr long double uc_MinDouble = 5.0E-324L;
inline constexpr long double uc_MaxDouble = 1.7E308L;
inline constexpr long double uc_MinExtended = std::numeric_limits<long double>::denorm_min();
inline constexpr long double uc_MaxExtended = 1.1E4932L;

// The natural logarithms of those limits, except uc_lnMinExtended: it is
// the library's fixed literal, about 0.0125 below ln uc_MinExtended
// (-11398.8054), and is not to be taken for that logarithm.
inline constexpr long double uc_lnMinDouble = -744.4281322176367L;
inline constexpr long double uc_lnMaxDouble = 709.7268368932282L;
inline constexpr long double uc_lnMinExtended = -11398.817861568059L;
inline constexpr long double uc_lnMaxExtended = 11356.444988826437L;
inline constexpr long double uc_lnMinReal = -88.73610788977535L;
inline constexpr long double uc_lnMaxReal = 88.02886178483591L;
inline constexpr long double uc_lnMinSingle = -103.21086407662389L;
inline constexpr long double uc_lnMaxSingle = 88.72200896539586L;

// ln(n!) for n = 0..1000, each correctly rounded to 15 significant digits.
// An index outside 0..1000 reads 0.
extern const TRangeArray<double, 0, 1000> uc_LnFactorial;

}  // namespace nuv
