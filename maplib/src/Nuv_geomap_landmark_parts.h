// Pieces shared by the landmark and symbol sources of Nuv_geomap (not
// installed): the attribute values both files use.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "nuv/Nuv_geomap_landmarks.h"

namespace nuv::geomap {

// The characters that names and captions store as entities.
inline constexpr std::string_view kLandMarkSpecials = "\"<>\r\n";

// The element of a lower-cased name "cross" .. "spade"; anything else,
// "user-defined" included, gives lmCross.
TLandMarkElement ElementFromName(std::string_view Name);
// "TRUE" or "FALSE"; read back true when the lower-cased value contains
// "true".
std::string_view BoolText(bool Value);
bool ScanBoolText(std::string_view Value);
// Eight hexadecimal digits of the 32 bits; read back by ScanHex (0 when
// there are none).
std::string ColorText(TColor Color);
TColor ScanColorText(const std::string& Value);
// The values of the attributes Names (lower-case) in one pass over an
// attribute text, each as ScanForXMLAttrib(List, name) returns it: the
// first pair of a name (any case) wins; names absent, or behind a
// malformed pair, get empty values.
void ScanAttributes(std::string_view List, std::span<const std::string_view> Names,
                    std::span<std::string> Values);
// A value as stored, unescaped.
std::string UnescapedText(std::string_view Value);

}  // namespace nuv::geomap
