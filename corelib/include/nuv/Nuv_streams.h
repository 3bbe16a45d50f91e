// Stream and text-file helpers: line-oriented reading and writing, binary
// number helpers, number scanning and the ASC table header reader.
//
// Every function works on the platform's TStream from its current position.
// Read errors other than the end of the stream propagate as the platform's
// stream exceptions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/Nuv_streams_xml.h"
#include "nuv/platform/Streams.h"

namespace nuv {

// ---------------------------------------------------------------------------
// Text lines

// Writes the characters of S, without terminator.
void WriteStringStream(TStream& Stream, std::string_view S);
// Writes S followed by carriage return and line feed.
void WriteLnStream(TStream& Stream, std::string_view S);

// Reads one line. Bytes of code 32 and above and tabs are kept, other
// control bytes dropped. LineEnd selects the terminator: 0 LF, 1 CR, 2 CR
// or LF, 3 CR right after LF, 4 LF right after CR, other values none. EOS
// becomes true when the stream ended before a terminator.
std::string ReadLnStream(TStream& Stream, bool& EOS, int32_t LineEnd);

// The rest of the stream as text.
std::string StreamAsString(TStream& Stream);

// Reads up to and including the first occurrence of Delim, compared without
// regard to case, and leaves the stream just behind it (Status 0). When
// Delim does not occur, the rest of the stream is returned and Status is -1.
// An empty Delim is found at once.
std::string ReadStreamUntil(TStream& Stream, std::string_view Delim, int32_t& Status);

// Reads bytes until one equals B (true, the stream just behind it) or the
// stream ends (false).
bool FindInStream(TStream& Stream, uint8_t B);

// Line feed bytes from the position to the end; the stream ends at its end.
int64_t CountLinesInStream(TStream& Stream);

// ---------------------------------------------------------------------------
// Binary numbers

// The 10 bytes of the 80-bit value.
void WriteExtendedToStream(TStream& Stream, long double X);
// Err is true (and the result 0) when fewer than 10 bytes were left.
long double ReadExtendedFromStream(TStream& Stream, bool& Err);
// 4 bytes, least significant first.
void WriteLongintToStream(TStream& Stream, int32_t N);
// Err is true (and the result 0) when fewer than 4 bytes were left.
int32_t ReadLongintFromStream(TStream& Stream, bool& Err);

// ---------------------------------------------------------------------------
// Number scanning

// Skips blanks, takes one optional sign and the decimal digits; the first
// byte after them is consumed. No digits give 0; values beyond the 32-bit
// range are clamped to it.
int32_t ScanStreamDecimal(TStream& Stream);

// Reads a floating-point number: leading blanks, tabs and line ends are
// skipped, then sign, digits, decimal separator (DecPSep 1 ".", 2 ",", 3
// both, others none) and, when AllowExp, an exponent "E" or "e". The byte
// that ends the number is left to the next reader. A malformed number gives
// 0; the result is clamped to ± the largest double.
// The value is the text rounded to extended precision; storing it in a
// double rounds a second time and can miss the nearest double by one unit.
// To read a double, take the number's text and convert it once with Val
// (double overload, nuv/platform/SysUtils.h) or ScanFPNum of Nuv_math1.
long double ScanStreamFPNum(TStream& Stream, bool AllowExp, int32_t DecPSep);

// ---------------------------------------------------------------------------
// Extraction and replacement

// Appends to Target every element of Stream, from its position to its end,
// whose tag is one of Tags (compared without regard to case): from "<tag"
// to the matching "</tag>" (nested elements of the same tag included), or a
// self-closing "<tag ... />"; each followed by CR LF. An element that is
// not closed runs to the end of the stream.
void ExtractFromStream(TStream& Stream, TMemoryStream& Target, const std::vector<std::string>& Tags);

// Options of SearchAndReplace.
enum TSearchReplaceOption : uint8_t {
  sroIgnoreCase = 1,   // compare without regard to case
  sroWholeWords = 2,   // only matches not flanked by letters, digits or "_"
  sroFirstOnly = 4,    // replace the first match only
};

// Gives the replacement of one found text.
using TReplaceCallback = std::function<std::string(const std::string& Found)>;

// Replaces the matches of Search in the whole of Stream, left to right and
// without searching inserted text, by Replacement or, when OnReplace is
// assigned, by what it returns for the found text. Options combine
// TSearchReplaceOption values. Returns the number of replacements; the
// position becomes 0. An empty Search replaces nothing.
int32_t SearchAndReplace(TMemoryStream& Stream, std::string_view Search, std::string_view Replacement,
                         uint8_t Options, const TReplaceCallback& OnReplace);

// ---------------------------------------------------------------------------
// ASC table header

// Result codes of ReadHeaderOfASC.
inline constexpr int16_t ascOk = 0;
inline constexpr int16_t ascBadColumnCount = -1;  // line 2 does not start with a count >= 0
inline constexpr int16_t ascBadRowCount = -2;     // line 3 does not start with a count >= 0
inline constexpr int16_t ascBadFlags = -3;        // a flag word is not TRUE or FALSE
inline constexpr int16_t ascHeaderCut = -4;       // fewer than four header lines

// Reads the four header lines of an ASC table: the comment, the column and
// row counts (each the first word of its line, an integer >= 0) and the flags row
// attributes, column names, row names and a fourth flag (the words TRUE or
// FALSE, separated by blanks or tabs; a fourth word other than TRUE leaves
// Flag4 false). Lines may end with CR LF, LF or CR. Returns 0 or one of the
// codes above. The file variant raises EInOutError when the file cannot be
// opened; the stream variant reads from the position and leaves the stream
// behind the header.
int16_t ReadHeaderOfASC(std::string_view FileName, std::string& Comment, int32_t& NrCols,
                        int32_t& NrRows, bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4);
int16_t ReadHeaderOfASC(TStream& Stream, std::string& Comment, int32_t& NrCols, int32_t& NrRows,
                        bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4);

}  // namespace nuv
