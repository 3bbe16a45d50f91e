// Helpers of the file tests: raw file contents, written and read without
// the classes under test, the code of a raised EInOutError, and a limit on
// the size of files written.
#pragma once

#include <sys/resource.h>

#include <csignal>
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

// Files may grow to Bytes only while it lives (writes beyond fail with
// EFBIG instead of a signal), to make saves fail halfway.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t Bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit r = old_;
    r.rlim_cur = Bytes;
    setrlimit(RLIMIT_FSIZE, &r);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  sighandler_t oldHandler_;
};

}  // namespace nuv::testing
