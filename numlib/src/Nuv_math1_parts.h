// Helpers shared by the source parts of Nuv_math1 (not installed).
#pragma once

#include <cstdint>
#include <string_view>

namespace nuv::math1 {

// 10^k for 0 <= k <= 27, exact in extended precision.
long double Pow10Exact(int k);

// The decimal number "<digits>e<exponent>" correctly rounded to extended
// precision; +inf or 0 when beyond its range. digits holds decimal digits
// only.
long double DecimalToExtended(std::string_view digits, int32_t exponent);

// q × 10^e correctly rounded, so that 2 × 10^-3 is the value of "0.002".
long double DecimalTimesPow10(int32_t q, int32_t e);

// Narrowing that saturates at ±infinity instead of leaving the double range.
double ExtendedToDouble(long double x);

// For tests: true makes the sorts take two elements at a time (SSE2) even
// where AVX2 is available; false returns to the best available.
void UsePortableSort(bool portable);

}  // namespace nuv::math1
