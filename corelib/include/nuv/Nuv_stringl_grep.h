// The regular-expression matcher TGrep (part of Nuv_stringl; include
// "nuv/Nuv_stringl.h"): a component that compiles a small expression
// language into a fixed table of at most 64 tokens and finds the first
// match of the expression in a text.
//
// The language, read left to right (a backslash takes the next character
// literally everywhere, "\#hh" is the character of hexadecimal code hh):
//   c        a plain character; a run of them is one literal token
//   .        any character
//   ^        start of the text, only as the very first character
//   $        end of the text, only as the last character
//   [...]    one character of a set: members, ranges "a-z" (either order),
//            "[^...]" for the complement over all 256 codes
//   (...)    a literal group, taken character by character; "(ab)(cd)" is
//            one group "abcd"
//   * + ?    zero or more, one or more, zero or one of the character, ".",
//            set or group before; after a run of plain characters only its
//            last character repeats ("abc*" is "ab" then "c" repeated)
// There is no alternation and no nesting. Inner repetitions take as few
// repetitions as let the rest match, a repetition that ends the expression
// takes as many as there are. The first match wins: the leftmost start,
// searched from SearchStartPos up to the last character of the text.
//
// Compile errors (LastError, CompileRegExp's result, the exception text):
//   1 "reg.exp. must not start with $, *, ?, or +"
//   2 "circumflex not allowed here"          "^" after the first character
//   3 "no character allowed after end of line"
//   4 "empty set"                            "[]", "[^]"
//   5 "circumflex has to be quoted in set"   "^" after a set's first place
//   6 "mismatch of set brackets"             "]" outside a set, and a set
//                                            left open while negated or
//                                            ending in "a-" or before any
//                                            member
//   7 "minus not allowed here"               "-" opening a set, or after a
//                                            set or a repeated set
//   8 "mismatch of group brackets"           ")" outside a group
//   9 "*, ?, + have to be applied to groups or sets only"
//  10 "reg.exp. needs more than 64 tokens"
//  11 "string longer than 255 characters"    a literal run or group
//  12 "reg.exp. ends inside an escape sequence"  after "\", "\#" or "\#h"
// A plain set or a group left open at the end keeps what it got so far. On
// an error the tokens built before it stay in use (an open set is dropped).
//
// A search tries each token at most once per text position, so its work
// grows linearly with the text however the repetitions are arranged. It
// allocates nothing except a work buffer of a bit per inner repetition and
// position, kept by the component and grown only when a search explores a
// longer stretch of text than before.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "nuv/platform/Classes.h"

namespace nuv {

enum TGrepTokenAct : uint8_t {
  taNormal,   // a literal string of one or more characters
  taAnyByte,  // any single character
  taEol,      // end of the text
  taBol,      // start of the text
  taSet,      // one character from a set
  taMult0,    // zero or more repetitions of an element
  taMult1,    // one or more repetitions of an element
  taOpti      // zero or one occurrence of an element
};

inline constexpr int32_t MaxGrepTokens = 64;

// One compiled token. Count and Buffer: taNormal holds Count characters at
// Buffer[1..Count]; taSet has Count -1 and one flag per character code in
// Buffer, "*" for a member and a blank otherwise; the repetitions say what
// they repeat by Count: -1 a set (Buffer as taSet), 0 any character, n > 0
// a string of n characters (Buffer as taNormal). MatchPos is the text
// position where the token began to match in the last successful match, 0
// after a failed one.
struct TGrepToken {
  TGrepTokenAct Kind = taNormal;
  int32_t Count = 0;
  std::array<char, 256> Buffer{};
  int32_t MatchPos = 0;
};

class TGrep : public TComponent {
 public:
  explicit TGrep(TComponent* AOwner);
  ~TGrep() override;

  // Assigning the expression compiles it; a compile error raises
  // ENUVStringlError "Component \"<Name>\": error in regular expression -
  // <error text>" when StopOnError is set (the expression is kept and its
  // partly built table stays in use either way).
  const std::string& RegExp() const { return regexp_; }
  void SetRegExp(std::string_view Value);
  // Expression and text are lower-cased (Windows-1252 letters) before use,
  // the expression after its "\#hh" codes are decoded. Assigning it
  // recompiles the expression compiled last, raising as SetRegExp does.
  bool IgnoreCase() const { return ignore_case_; }
  void SetIgnoreCase(bool Value);
  // First text position at which a match may start; values below 1 count
  // as 1. Default 1.
  int32_t SearchStartPos() const { return search_start_pos_; }
  void SetSearchStartPos(int32_t Value) { search_start_pos_ = Value; }
  // Default true.
  bool StopOnError() const { return stop_on_error_; }
  void SetStopOnError(bool Value) { stop_on_error_ = Value; }

  // Compiles Expr into the token table and returns the error code (0 for
  // success); never raises and leaves RegExp as it is. An empty expression
  // compiles to no tokens and never matches.
  int32_t CompileRegExp(std::string_view Expr);
  // Searches the compiled expression in Text. On success MatchPos is the
  // position of the first matched character (MatchStart) and MatchEnd the
  // position of the last one (MatchStart - 1 for an empty match); on
  // failure all three are 0. Matches start only at a character of the
  // text, so an empty text never matches; a text longer than
  // 2^31 - 2 characters, whose positions a 32-bit count cannot hold, does
  // not match either. Never raises.
  bool MatchString(std::string_view Text, int32_t& MatchPos);

  int32_t MatchStart() const { return match_start_; }
  int32_t MatchEnd() const { return match_end_; }
  int32_t NumTokens() const { return num_tokens_; }
  // Code of the last compile, 0 when it succeeded.
  int32_t LastError() const { return last_error_; }
  // The text of an error code; "no errors" for 0, empty for unknown codes.
  static std::string_view ErrorText(int32_t Code);

  // A copy of token Ix, clamped to 1..NumTokens; a blank record when there
  // are no tokens.
  TGrepToken GetRegExpToken(int32_t Ix) const;
  // Writes the token table to a new text file, one line per token: its
  // kind right-aligned in 11 characters ("   taOpti: ", "taAnyByte: "),
  // then the characters of a literal, the members of a set in code order,
  // or for a repetition "(set) " and the members, "(string) " and the
  // characters, or "(anychar) "; the last line is "no errors" or the text
  // of the last error. The old file stays intact when writing fails
  // (EInOutError).
  void PrintRegExp(std::string_view FileName) const;

 private:
  struct TProgram;

  void CompileOrRaise(std::string_view Expr);

  std::string regexp_;
  std::string compiled_;  // the expression compiled last
  std::string work_;      // its decoded text, kept for its capacity
  bool ignore_case_ = false;
  int32_t search_start_pos_ = 1;
  bool stop_on_error_ = true;
  std::array<TGrepToken, MaxGrepTokens> tokens_{};
  int32_t num_tokens_ = 0;
  int32_t last_error_ = 0;
  int32_t match_start_ = 0;
  int32_t match_end_ = 0;
  std::unique_ptr<TProgram> program_;
};

}  // namespace nuv
