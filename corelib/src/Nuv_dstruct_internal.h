// Internals of Nuv_dstruct shared by its source files and its tests.
#pragma once

#include <array>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

#include "nuv/Nuv_dstruct.h"

namespace nuv::detail {

// The components' buffers stay below 2 GiB, so that byte counts fit the
// 32-bit indices of their interfaces.
inline constexpr int64_t kMaxBufferBytes = INT32_MAX;

inline constexpr std::string_view kNoMemory = "not enough memory on heap";

// Runs Allocate(Bytes), raising ENUVDStructError with Text in the
// component's wording when Bytes is out of range or the memory is missing.
template <class F>
void CheckedAllocation(const TComponent& Owner, int64_t Bytes, std::string_view Text, F Allocate) {
  if (!(Bytes >= 0 && Bytes <= kMaxBufferBytes)) RaiseComponentError<ENUVDStructError>(Owner, Text);
  try {
    Allocate(static_cast<std::size_t>(Bytes));
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVDStructError>(Owner, Text);
  }
}

// The checksums run on the processor's CRC and SHA instructions when it has
// them. Tests switch the portable code on to compare both.
bool HardwareCRC32Available();
bool HardwareSHA1Available();
void ForcePortableChecksums(bool On);
// CRC-32 on 64-byte vectors (the 512-bit carry-less multiply); On keeps it
// on the 16-byte vectors, so that tests reach both.
bool WideCRC32Available();
void ForceNarrowCRC32(bool On);

// Windows-1252 lower case of every byte, and S lowered into Buffer (room
// for S.size() bytes; may be S itself).
const std::array<char, 256>& LowerCaseTable();
std::string_view LowerInto(std::string_view S, char* Buffer);

// Lowers the number of text pages a TStringArray may have (1..65535), so
// that tests reach the limit; returns the previous limit.
int32_t SetStringArrayPageLimit(int32_t Limit);

// Cell texts and keys in the XML blocks of the string and associative
// arrays: "&", "<", ">" and the double quote as "&amp;", "&lt;", "&gt;",
// "&quot;", other bytes below 32 and 127 as "&#N;"; everything else as it
// is. Decoding turns every other "&" into itself.
std::string EncodeXMLText(std::string_view S);
std::string DecodeXMLText(std::string_view S);

}  // namespace nuv::detail
