// Text utilities: fixed-width number text for the writers of numeric text
// files, character classes, stripping and padding, searching and counting,
// words and tokens, line reading from a string, case and character-set
// conversion, small parsers (quoted names, parameters, tags in a string),
// uuencoding and a substitution scrambler; the number scanners of
// Nuv_stringl_scan.h. The regular-expression matcher TGrep is in the part
// Nuv_stringl_grep.h.
//
// All routines work on Windows-1252 byte strings; positions count from 1.
// None raises: a position or length out of range gives the empty text, a
// zero, or the clamping stated at the routine. Everything is re-entrant
// except the scrambler, whose tables are process-wide.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/Nuv_stringl_scan.h"
#include "nuv/Nuv_stringl_grep.h"
#include "nuv/platform/Types.h"

namespace nuv {

class ENUVStringlError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

// Result of Tokenize: short strings of at most 255 characters.
using TOpenStringArray = std::vector<ShortString<255>>;

// State of ParseQuotedName.
enum TQuotedStrState : uint8_t { vsStart, vs1stQuote, vsQuote, vsNormal, vsEnd };

// ---------------------------------------------------------------------------
// Number text
//
// F(X, W, D) and E(X, W) are FormatFixed and FormatScientific of the
// platform: numbers are rounded at the requested digit of their shortest
// decimal image, halves away from zero. NaN and infinities are written
// "NAN", "INF", "-INF", right-justified, never zero-padded.

// W = |FieldWidth| (at most kMaxFieldWidth).
//  Decimals = -2: E(X, W + 2) with its exponent cut to two digits, W
//    characters (" 1.235E+02"); when |exponent| >= 100 every character is
//    "*" instead.
//  Decimals >= 0: F(X, W, Decimals); any other negative Decimals: E(X, W).
// A negative FieldWidth pads with zeros: leading blanks become "0" and a
// minus sign moves to the front (-12.5, -8, 2 gives "-0012.50").
std::string strff(long double X, int32_t FieldWidth, int32_t Decimals);
// strff with a "+" on values >= 0: the last leading blank becomes "+", or a
// leading "0" of a zero-padded number does, or else "+" is put in front
// (the text grows by one).
std::string strffForcePlus(long double X, int32_t FieldWidth, int32_t Decimals);
// F(X, FieldWidth, Decimals) while the value fits a fixed column with
// Decimals in 0..8 (|X| up to 999999999 / 9999999.9 / ... / 0.99999999 and
// at least 1 / 0.1 / ... / 1e-8), otherwise strff(X, FieldWidth + 6, -2).
// Zero is always fixed.
std::string FormatData(double X, int32_t FieldWidth, int32_t Decimals);
// X with SigDigits significant digits in FieldWidth characters: fixed
// while the digits fit, else strff(X, max(FieldWidth, SigDigits + 6), -2).
// D, the count of integer digits, is the decimal exponent of X's shortest
// image, so powers of ten are counted exactly. Zero is F(0, FieldWidth,
// SigDigits - 1), or E(0, FieldWidth) for SigDigits <= 0.
std::string SigDigStr(double X, int32_t FieldWidth, int32_t SigDigits);
// As above; Strip removes the leading and trailing blanks.
std::string SigDigStr(double X, int32_t FieldWidth, int32_t SigDigits, bool Strip);
// Clock text of a duration (negative and NaN count as 0). hh/mm/ss/cc are
// two digits with a leading zero, Hh at least two characters with a
// leading blank; hours of more than two digits are written in full.
//  0 "hh:mm:ss.cc"  1 "hh:mm:ss"  2 "Hh" "h" "mm"  3 "Hh" "h" "mm" "'" "ss" "\""
//  4 "hh:mm"  5 "Hh:mm" + "a"/"p" (hour 0 shown as 12, 13 and above less 12)
//  other formats: empty text.
// Hundredths are cut (not rounded) from the decimal image of Secs, so
// 0.29 s shows ".29".
std::string TimeString(double Secs, uint8_t Format);
// Mode 1 "T"/"F", 2 ".T."/".F.", 3 "1"/"0", 4 "-1"/"0", 5 "FF"/"00",
// any other "TRUE"/"FALSE".
std::string BoolToStr(bool B, int32_t Mode);
std::string BinString(bool B, std::string_view TrueText, std::string_view FalseText);

// ---------------------------------------------------------------------------
// Character classes (ASCII letters and digits only)

bool IsDigit(char Ch);
bool IsLetter(char Ch);
bool IsDigitLetter(char Ch);
bool IsHexChar(char Ch);
// ä ö ü Ä Ö Ü ß.
bool IsUmlaut(char Ch);

// ---------------------------------------------------------------------------
// Stripping, padding and editing (each returns an edited copy)

// Blanks are code 32 only. StripLeadingBlanks keeps the last character and
// StripTrailingBlanks the first, so a text of blanks gives one blank.
std::string StripLTBlanks(std::string_view S);
std::string StripLeadingBlanks(std::string_view S);
std::string StripTrailingBlanks(std::string_view S);
std::string StripLeadingChars(char Ch, std::string_view S);
// Keeps the first character.
std::string StripTrailingChars(char Ch, std::string_view S);
// Deletes codes 0..31.
std::string RemoveControlChars(std::string_view S);
std::string RemoveCharInString(std::string_view S, char Ch);
std::string ReplaceCharInString(std::string_view S, char OldC, char NewC);
// Replaces the non-overlapping occurrences of Old from left to right; the
// inserted text is never searched again. IgnoreCase compares the
// locale-aware lower case. An empty Old leaves S unchanged.
std::string ReplaceStringInString(std::string_view S, std::string_view Old, std::string_view New,
                                  bool IgnoreCase);
// Append/prefix unless S is empty or already ends/starts with it.
std::string EnsureTrailingBkSlash(std::string_view S);
std::string EnsureTrailingChar(char Ch, std::string_view S);
std::string EnsureLeadingChar(char Ch, std::string_view S);
// Exactly Len characters: padded with blanks (on the right, on the left,
// on both sides with the odd blank on the right) or cut to the first Len.
std::string LeftString(std::string_view S, uint8_t Len);
std::string RightString(std::string_view S, int32_t Len);
std::string CenterString(std::string_view S, int32_t Len);
// A text longer than MaxLen becomes its first MaxLen - 2 characters and
// "..". The result never exceeds MaxLen: MaxLen 1 gives ".", MaxLen <= 0
// the empty text.
std::string AbbrevString(std::string_view S, int32_t MaxLen);
// Ch repeated N times, N clamped to 1..255.
std::string MultiChar(char Ch, int32_t N);
std::string ReverseString(std::string_view S);
// Upper-cases "a".."z" at word starts. Letters and codes 128..255 belong to
// words, digits end a word start without being changed, anything else
// starts a new word.
std::string CapitalizeString(std::string_view S);
// Toggles the locale-aware case of every character: what upper-casing
// leaves unchanged is lower-cased, everything else upper-cased.
std::string ChangeCase(std::string_view S);
// ä ö ü ß µ become "ae" "oe" "ue" "ss" "u"; Ä Ö Ü become "Ae" "Oe" "Ue"
// before a lower-case letter a..z, else "AE" "OE" "UE".
std::string ExpandDiphthongs(std::string_view S);
// Every character other than 0-9, A-Z, a-z becomes "_".
std::string ReduceStringToAZ09(std::string_view S);
// Every character that is not allowed in a short DOS file name becomes "_"
// (allowed: ! # $ % & ' ( ) - . 0-9 @ A-Z ^ _ ` a-z { } ~).
std::string ReduceStringToFN83CompliantChars(std::string_view S);
// Escapes: "\#hh" is the character of hexadecimal code hh (reading stops
// at the first non-hex character, none gives code 0), "\\" is one
// backslash. "\#" with fewer than two characters after it, and any other
// backslash, stay as they are.
std::string ProcessHexChars(std::string_view S);
// OEM (console) code page to Windows-1252 and back, on a short string: the
// text is cut to 255 characters first.
std::string WinAnsiString(std::string_view S);
std::string OEMString(std::string_view S);

// ---------------------------------------------------------------------------
// Searching and counting
//
// Occurrences never overlap: after one, the search goes on behind it. An
// empty search text is never found.

// Position of the Num-th occurrence of SubStr at or after StartAt (values
// <= 0 count as 1); 0 when there are fewer or Num <= 0. IgnoreCase compares
// the locale-aware lower case.
int32_t NumberedPos(std::string_view SubStr, std::string_view S, int32_t StartAt, bool IgnoreCase,
                    int32_t Num);
// Position of the last occurrence counted from the left ("aa" in "aaa" is
// at 1); 0 if none.
int32_t PosLast(std::string_view SubStr, std::string_view S);
// CaseSensitive false compares the locale-aware lower case.
int32_t CountStringInString(std::string_view SubStr, std::string_view S, bool CaseSensitive);
// CaseSensitive false compares the locale-aware upper case.
int32_t CountCharInString(char Ch, std::string_view S, bool CaseSensitive);
// 1-based index of the first element equal to S (exact); 0 if none.
int32_t StringIx(std::string_view S, std::span<const std::string> List);
int32_t StringIx(std::string_view S, std::initializer_list<std::string_view> List);
// Character sets may hold the macros "//dig" (0-9), "//lc" (a-z), "//uc"
// (A-Z), "//31dwn" (codes 0..31) and "//128up" (codes 128..255).
// StringContains: some character of S is in the set; StringContainsOtherThan:
// some character of S is not.
bool StringContains(std::string_view S, std::string_view CharSet);
bool StringContainsOtherThan(std::string_view S, std::string_view CharSet);
// S is not empty and every character is Ch.
bool TestAllChar(std::string_view S, char Ch);
// Position of the first non-blank; 0 for an empty or all-blank text.
int32_t FindFirstNonBlank(std::string_view S);

// Word delimiters of CountWords and ExtractWordFromString: codes 0, 10, 13,
// 32 and " # % ' ( ) * + , - . / : ; < = > [ \ ] { }. Every other byte,
// 128..255 included, is a word character.
bool IsWordDelimiter(char Ch);
// Runs of at least two word characters that are followed by a delimiter; a
// run at the very end of S is not counted ("one two" counts 1).
int32_t CountWords(std::string_view S);
// The longest run of "A".."Z" is longer than 1 and than the count of
// lower-case letters and digits.
bool IsAbbreviation(std::string_view S);
// Locale-aware comparison ignoring case.
bool EqualAnsiStrings(std::string_view A, std::string_view B);

// ---------------------------------------------------------------------------
// Words, fields, tokens and lines

// The word around position Pos (StartPos..EndPos); a delimiter at Pos is
// returned alone. Pos outside 1..Length gives "" and StartPos = EndPos = 0.
std::string ExtractWordFromString(std::string_view S, int32_t Pos);
std::string ExtractWordFromString(std::string_view S, int32_t Pos, int32_t& StartPos,
                                  int32_t& EndPos);
// Field Ix (from 0) of S separated by the text Delimiter. Skipping fields
// matches Delimiter exactly; a field whose start matches Delimiter ignoring
// case is empty. "" for Ix < 0, an empty S or too few fields; an empty
// Delimiter makes S one field.
std::string ExtractSubString(std::string_view S, int32_t Ix, std::string_view Delimiter);
// Splits S at Delimiter into 1..100 tokens (at most 99 splits, the rest is
// the last token; each token cut to 255 characters) and returns their
// count. An empty S gives one empty token, a trailing delimiter a final
// empty token, an empty Delimiter the whole S.
int32_t Tokenize(std::string_view S, std::string_view Delimiter, TOpenStringArray& Tokens);
// Reads the line of S starting at StartIx (values < 1 count as 1) without
// its control characters. LineEnd: 0 LF, 1 CR, 2 CR or LF, 3 CR right after
// LF, 4 LF right after CR, other: none. StartIx ends behind the terminator;
// at the end of S, StartIx is Length + 1 and EndOfString true.
std::string ReadLnString(std::string_view S, int32_t& StartIx, bool& EndOfString, int32_t LineEnd);
// Line and column (both from 1) of position Pos. A line ends after LF, CR
// LF, or a CR alone; the terminator's bytes are the last columns of their
// line. Pos may be Length + 1 (the end); other positions out of range give
// Line = Col = 0.
void TextLineCoords(std::string_view S, int32_t Pos, int32_t& Line, int32_t& Col);

// Reads a possibly quoted name one character at a time, as a text-file
// reader meets it; start with State = vsStart. Blanks and control
// characters before the name are skipped. A name that opens with QuoteChar
// runs to the closing quote (a doubled quote stands for one) and ends with
// the character after it; any other name ends at the next blank or control
// character. That ending character is consumed and State becomes vsEnd,
// after which further characters change nothing. Feed a blank after the
// last character of the input to finish a pending name.
void ParseQuotedName(char InChar, char QuoteChar, std::string& Name, TQuotedStrState& State);
// Parameter Ix (from 1) of a parameter list separated by Delimiter, or
// Default when there are fewer parameters or Ix < 1. A parameter may be
// enclosed in QuoteChar (a doubled quote stands for one) to hold the
// delimiter; blanks around parameters are dropped. With a blank as
// Delimiter, runs of blanks separate once.
std::string ExtractParam(std::string_view S, int32_t Ix, char Delimiter, char QuoteChar,
                         std::string_view Default);
// uuencode of S: lines of up to 45 bytes (length character, four
// characters per three bytes, "`" for zero), each ended by CR LF, and the
// closing line "`". The decoder reads such a body with or without the
// "begin"/"end" lines, with LF or CR LF line ends, and stops at the first
// zero-length line.
std::string UUEncodeStr(std::string_view S);
std::string UUDecodeStr(std::string_view S);
// Tag readers on a string, from position Pos (values < 1 count as 1), with
// the tags named in TagList[0..HighTag] (lower-case names; HighTag beyond
// the list means the whole list). TextBefore receives the text between Pos
// and the tag; Pos moves behind the tag's ">". Tag names are lower-cased
// and end at the first blank, tab or line end; Attributes is the text after
// the name (without a closing "/>"), trimmed of white space. A "<" without
// a following ">" is text, not a tag. The stream and text-file tag readers
// of Nuv_streams split tags the same way.
//
// ReadNextTagInString reads the next tag of any name and returns the index
// of its entry; a name not in the list, and the end of the text, give the
// index of the last entry in use (-1 for an empty list). The content of an
// element is the TextBefore of its end tag.
int32_t ReadNextTagInString(std::string_view S, int32_t& Pos, std::span<const std::string> TagList,
                            int32_t HighTag, std::string& TextBefore, std::string& Attributes);
// DetectNextTagInString skips to the next tag whose name is in the list
// (skipped tags become part of TextBefore) and returns its index, or -1 at
// the end of the text.
int32_t DetectNextTagInString(std::string_view S, int32_t& Pos,
                              std::span<const std::string> TagList, int32_t HighTag,
                              std::string& TextBefore, std::string& Attributes);

// ---------------------------------------------------------------------------
// Scrambler: a process-wide substitution of the codes 1..255 drawn from the
// platform's random generator (code 0 always maps to 0). Before the first
// InitScramble every code maps to 0. InitScramble reseeds the platform's
// generator with Seed. DeScramble(Scramble(S)) = S for the same tables.

void InitScramble(int32_t Seed);
std::string Scramble(std::string_view S);
std::string DeScramble(std::string_view S);

}  // namespace nuv
