// Helpers of the file tests: raw file contents, written and read without
// the classes under test, and the code of a raised EInOutError.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "nuv/platform/SysUtils.h"

namespace nuv::testing {

inline void WriteRawFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadRawFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The I/O error code that f() raises, or 0.
template <class F>
int32_t IoCodeOf(F&& f) {
  try {
    f();
  } catch (const EInOutError& e) {
    return e.ErrorCode();
  }
  return 0;
}

}  // namespace nuv::testing
