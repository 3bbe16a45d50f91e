// Raw file contents for the file tests, written and read without the
// classes under test.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace nuv::testing {

inline void WriteRawFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadRawFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace nuv::testing
