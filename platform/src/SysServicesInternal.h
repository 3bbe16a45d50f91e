// Parts of SysServices exposed to its tests (internal).
#pragma once

#include <cstdint>
#include <string>

namespace nuv::detail {

// The drive type of an absolute, canonical path according to a mount table
// in the format of /proc/self/mounts; DRIVE_UNKNOWN when it cannot be read.
uint32_t DriveTypeFromMountTable(const std::string& mountTable, const std::string& canonicalPath);

}  // namespace nuv::detail
