// Tag text shared by the tag readers on strings (Nuv_stringl) and on text
// files and streams (Nuv_streams), so that every reader splits a tag alike.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace nuv::detail {

// Blank, tab, carriage return or line feed: what separates a tag's name
// from its attributes, and one attribute from the next.
constexpr bool IsTagSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimTagSpace(std::string_view s);

// Splits the text between "<" and ">". A trailing "/" marks an empty
// element and is dropped; the name ends at the first white space and is
// lower-cased; the attribute text is the trimmed rest. True for an empty
// element.
bool ParseTagBody(std::string_view body, std::string& name, std::string& attributes);

// Index of the last entry of list[0..highTag]; -1 when that range is empty.
int32_t LastTagIndex(std::span<const std::string> list, int32_t highTag);
// Index of name among list[0..highTag] (exact comparison); -1 if absent.
int32_t TagIndex(std::string_view name, std::span<const std::string> list, int32_t highTag);

}  // namespace nuv::detail
