#include "nuv/platform/Variant.h"

#include <charconv>
#include <cstdio>

#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace {

bool IsIntegerKind(TVarType T) {
  switch (T) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      return true;
    default:
      return false;
  }
}

bool IsFloatKind(TVarType T) { return T == varSingle || T == varDouble || T == varDate; }

std::string SingleToStr(float X) {
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, X);
  return std::string(text, r.ptr);
}

std::string CurrencyToStr(int64_t Scaled) {
  // The magnitude in unsigned arithmetic, so that the most negative amount
  // has one too.
  const uint64_t magnitude =
      Scaled < 0 ? 0 - static_cast<uint64_t>(Scaled) : static_cast<uint64_t>(Scaled);
  std::string text = (Scaled < 0 ? "-" : "") + std::to_string(magnitude / 10000);
  uint64_t fraction = magnitude % 10000;
  if (fraction == 0) return text;
  int digits = 4;
  while (fraction % 10 == 0) {
    fraction /= 10;
    --digits;
  }
  char buf[8];
  std::snprintf(buf, sizeof buf, ".%0*u", digits, static_cast<unsigned>(fraction));
  return text + buf;
}

std::string DateToStr(TDateTime V) {
  uint16_t y, mo, d, h, mi, s, ms;
  DecodeDate(V, y, mo, d);
  if (y == 0) return FloatToStr(V);  // outside the calendar
  DecodeTime(V, h, mi, s, ms);
  char buf[32];
  int n = std::snprintf(buf, sizeof buf, "%04u-%02u-%02u", unsigned{y}, unsigned{mo}, unsigned{d});
  if (h != 0 || mi != 0 || s != 0)
    n += std::snprintf(buf + n, sizeof buf - static_cast<std::size_t>(n), " %02u:%02u:%02u",
                       unsigned{h}, unsigned{mi}, unsigned{s});
  return std::string(buf, static_cast<std::size_t>(n));
}

}  // namespace

Variant Variant::Null() {
  Variant v;
  v.type_ = varNull;
  return v;
}

Variant Variant::FromDate(TDateTime V) {
  Variant v(V);
  v.type_ = varDate;
  return v;
}

int64_t Variant::IntValue() const { return IsIntegerKind(type_) ? int_ : 0; }

double Variant::FloatValue() const { return IsFloatKind(type_) ? float_ : 0; }

bool Variant::NumericValue(long double& Value) const {
  Value = 0;
  if (IsIntegerKind(type_))
    Value = static_cast<long double>(int_);
  else if (type_ == varSingle || type_ == varDouble)
    Value = float_;
  else if (type_ == varCurrency)
    Value = static_cast<long double>(int_) / 10000.0L;
  else
    return false;
  return true;
}

bool operator==(const Variant& A, const Variant& B) {
  if (A.type_ != B.type_) return false;
  if (IsFloatKind(A.type_)) return A.float_ == B.float_;
  if (A.type_ == varString) return A.str_ == B.str_;
  return A.type_ == varEmpty || A.type_ == varNull || A.int_ == B.int_;
}

std::string VarToStr(const Variant& V) {
  switch (V.VarType()) {
    case varEmpty:
    case varNull:
      return {};
    case varSingle:
      return SingleToStr(static_cast<float>(V.FloatValue()));
    case varDouble:
      return FloatToStr(V.FloatValue());
    case varCurrency:
      return CurrencyToStr(V.CurrencyValue().Scaled);
    case varDate:
      return DateToStr(V.FloatValue());
    case varBoolean:
      return V.BoolValue() ? "True" : "False";
    case varString:
      return V.StrValue();
    default:
      return IntToStr(V.IntValue());
  }
}

}  // namespace nuv
