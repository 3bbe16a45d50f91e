// Pieces shared by the source parts of Nuv_geomap (not installed).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "nuv/Nuv_geomap_calib.h"

namespace nuv::geomap {

// Least squares min |A·c - y| for the n × p design A (column-major, n
// rows) and each right-hand side y (n values) in Rhs, by the singular value
// decomposition of A: values below 1e-14 times the largest count as zero,
// which gives the minimum-norm solution where A has fewer rows or lower
// rank than p. Coeffs receives p values per right-hand side. ProcStat
// advances once per column. False, with all coefficients 0, when the
// decomposition does not converge or A or y hold a value that is not
// finite.
bool SolveLeastSquares(std::span<const double> A, int32_t n, int32_t p,
                       std::span<const std::span<const double>> Rhs,
                       std::span<const std::span<double>> Coeffs);

// Attribute texts of the blocks: each character of Specials (among the
// double quote, "<", ">", CR and LF) is written as its entity (&quot;,
// &lt;, &gt;, &#13;, &#10;) and an ampersand as &amp; only where it would
// otherwise read as one of these, so that every other text is stored byte
// for byte. Unescape is the inverse for the same Specials.
std::string EscapeAttribute(std::string_view Text, std::string_view Specials);
std::string UnescapeAttribute(std::string_view Text, std::string_view Specials);

// The reader's core: the block of ID (or the first) from the position of
// a text file or stream into Data and Model. Found tells whether a root
// line was found; the result whether the block was also read to its end
// tag. Errors raise ENUVGeoMapError with Prefix before the message text.
bool ParseBlock(TextFile& F, std::string_view ID, std::string_view Prefix, TCalibModel AbsentModel,
                TCalibData& Data, TCalibModel& Model, TCalibReadIssues& Issues, bool& Found);
bool ParseBlock(TStream& Stream, std::string_view ID, std::string_view Prefix,
                TCalibModel AbsentModel, TCalibData& Data, TCalibModel& Model,
                TCalibReadIssues& Issues, bool& Found);

}  // namespace nuv::geomap
