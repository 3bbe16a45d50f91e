// Variants: one value of the runtime's simple kinds, as dictionaries and
// property lists hold them: nothing (Empty), an explicit Null, signed and
// unsigned integers of 8 to 64 bits, single and double floats, currency,
// Boolean, date and string. VarToStr is the runtime's conversion of a
// variant to text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "nuv/platform/DateTime.h"

namespace nuv {

enum TVarType : uint8_t {
  varEmpty,
  varNull,
  varSmallint,  // 16-bit signed
  varInteger,   // 32-bit signed
  varSingle,
  varDouble,
  varCurrency,
  varDate,
  varBoolean,
  varShortInt,  // 8-bit signed
  varByte,      // 8-bit unsigned
  varWord,      // 16-bit unsigned
  varLongWord,  // 32-bit unsigned
  varInt64,
  varString
};
inline constexpr std::array<std::string_view, 15> VarTypeNames{
    "varEmpty",  "varNull",     "varSmallint", "varInteger", "varSingle",
    "varDouble", "varCurrency", "varDate",     "varBoolean", "varShortInt",
    "varByte",   "varWord",     "varLongWord", "varInt64",   "varString"};

// A fixed-point amount with four decimals, held as a count of 1/10000.
struct Currency {
  int64_t Scaled = 0;
  friend bool operator==(const Currency&, const Currency&) = default;
};

class Variant {
 public:
  Variant() = default;  // Empty
  Variant(int8_t V) : type_(varShortInt), int_(V) {}
  Variant(uint8_t V) : type_(varByte), int_(V) {}
  Variant(int16_t V) : type_(varSmallint), int_(V) {}
  Variant(uint16_t V) : type_(varWord), int_(V) {}
  Variant(int32_t V) : type_(varInteger), int_(V) {}
  Variant(uint32_t V) : type_(varLongWord), int_(V) {}
  Variant(int64_t V) : type_(varInt64), int_(V) {}
  Variant(float V) : type_(varSingle), float_(V) {}
  Variant(double V) : type_(varDouble), float_(V) {}
  Variant(bool V) : type_(varBoolean), int_(V ? 1 : 0) {}
  Variant(Currency V) : type_(varCurrency), int_(V.Scaled) {}
  Variant(std::string V) : type_(varString), str_(std::move(V)) {}
  Variant(std::string_view V) : type_(varString), str_(V) {}
  Variant(const char* V) : type_(varString), str_(V) {}

  static Variant Null();
  static Variant FromDate(TDateTime V);

  TVarType VarType() const { return type_; }
  bool IsEmpty() const { return type_ == varEmpty; }
  bool IsNull() const { return type_ == varNull; }

  // The stored value of the integer kinds (8 to 64 bits); 0 for the others.
  int64_t IntValue() const;
  // Single, double and date; 0 for the others.
  double FloatValue() const;
  Currency CurrencyValue() const { return {type_ == varCurrency ? int_ : 0}; }
  bool BoolValue() const { return type_ == varBoolean && int_ != 0; }
  // Empty for every kind but varString.
  const std::string& StrValue() const { return str_; }

  // The integer, float and currency kinds as a number (true); false and 0
  // for Empty, Null, Boolean, date and string.
  bool NumericValue(long double& Value) const;

  // The same kind and value; floats compare as numbers (NaN never equal).
  friend bool operator==(const Variant& A, const Variant& B);

 private:
  TVarType type_ = varEmpty;
  union {
    int64_t int_ = 0;  // integers, Boolean, currency
    double float_;     // single (exactly), double, date
  };
  std::string str_;
};

// The value as text: empty for Empty and Null; integers in decimal; floats
// as their shortest round-trip text (a single as a single); currency with
// up to four decimals and no trailing zeros ("-12.5"); "True" or "False";
// dates as "yyyy-mm-dd", followed by " hh:nn:ss" unless the time is
// midnight (dates outside 0001..9999 as their number); strings unchanged.
std::string VarToStr(const Variant& V);

}  // namespace nuv
