// Value types shared by the whole library: fixed-capacity short strings as
// stored in records and files, arrays indexed over a closed range, and the
// few enumerations the runtime itself defines (text alignment, font styles).
//
// Strings throughout the library are std::string holding Windows-1252
// bytes; conversion to Unicode happens only at the Qt boundary
// (CodePage.h).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace nuv {

// A counted string of at most N bytes: one length byte followed by N slots,
// the layout of fixed-size records. Assignment truncates to N bytes; unused
// slots are always zero, so two equal strings have equal byte images.
template <std::size_t N>
class ShortString {
  static_assert(N >= 1 && N <= 255, "a short string holds 1 to 255 bytes");

 public:
  static constexpr std::size_t Capacity = N;

  constexpr ShortString() = default;
  constexpr ShortString(std::string_view s) { Assign(s); }  // NOLINT: implicit by design
  constexpr ShortString(const char* s) : ShortString(std::string_view(s)) {}
  ShortString(const std::string& s) : ShortString(std::string_view(s)) {}

  constexpr void Assign(std::string_view s) {
    len_ = static_cast<uint8_t>(std::min(s.size(), N));
    for (std::size_t i = 0; i < N; ++i) data_[i] = i < len_ ? s[i] : '\0';
  }

  constexpr std::size_t Length() const { return len_; }
  constexpr bool Empty() const { return len_ == 0; }
  constexpr std::string_view View() const { return {data_, len_}; }
  std::string Str() const { return std::string(data_, len_); }
  constexpr operator std::string_view() const { return View(); }  // NOLINT

  // Raw slots, for writing the record image (length byte, then N bytes).
  constexpr const char* Data() const { return data_; }

  // Compares with anything that reads as a string_view (another short
  // string, std::string, a literal).
  template <class S>
    requires std::is_convertible_v<const S&, std::string_view>
  friend constexpr bool operator==(const ShortString& a, const S& b) {
    return a.View() == std::string_view(b);
  }

 private:
  uint8_t len_ = 0;
  char data_[N] = {};
};

// A constant array indexed over [Lo, Hi], as tables indexed by month,
// weekday or character code are. Reading outside the range gives an empty
// element instead of touching foreign memory.
template <class T, int Lo, int Hi>
struct TRangeArray {
  static_assert(Lo <= Hi);
  static constexpr int Low = Lo;
  static constexpr int High = Hi;
  static constexpr std::size_t Count = static_cast<std::size_t>(Hi - Lo + 1);

  T Items[Count];

  constexpr const T& operator[](int i) const {
    return (i >= Lo && i <= Hi) ? Items[i - Lo] : kEmpty;
  }
  constexpr const T* begin() const { return Items; }
  constexpr const T* end() const { return Items + Count; }

 private:
  static constexpr T kEmpty{};
};

// Horizontal text alignment of the runtime's controls.
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

// Members of a font style set; TFontStyles holds them as bits 1 << value.
enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = uint8_t;
constexpr TFontStyles FontStyleBit(TFontStyle s) { return static_cast<TFontStyles>(1u << s); }

}  // namespace nuv
