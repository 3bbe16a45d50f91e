// Internals of Nuv_dstruct shared by its source files and its tests.
#pragma once

#include <cstdint>
#include <new>
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

}  // namespace nuv::detail
