#include "PosixIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "nuv/platform/FileUtils.h"
#include "nuv/platform/SysUtils.h"

namespace nuv::detail {

namespace {

bool ParentDirectoryExists(const std::string& osName) {
  if (osName.empty()) return false;
  const std::filesystem::path parent = std::filesystem::path(osName).parent_path();
  if (parent.empty()) return true;
  struct stat st {};
  return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

TOpenResult OpenFile(std::string_view fileName, int flags) {
  TOpenResult result;
  const std::string osName = OsFileName(fileName);
  int fd = -1;
  do {
    fd = ::open(osName.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd >= 0) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      fd = -1;
      errno = EISDIR;
    }
  }
  if (fd >= 0) {
    result.Fd = fd;
    return result;
  }
  result.Errno = errno;
  result.IoCode = InOutCodeFromErrno(result.Errno);
  // Windows tells a missing directory from a missing file; callers show it.
  if (result.Errno == ENOENT && !ParentDirectoryExists(osName)) result.IoCode = ioPathNotFound;
  return result;
}

int64_t ReadFully(int fd, void* buffer, int64_t count) {
  char* out = static_cast<char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd, out + done, static_cast<size_t>(count - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return done > 0 ? done : -1;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

int64_t WriteFully(int fd, const void* buffer, int64_t count) {
  const char* in = static_cast<const char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd, in + done, static_cast<size_t>(count - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    done += n;
  }
  return done;
}

bool CloseFile(int fd) { return ::close(fd) == 0 || errno == EINTR; }

std::string ErrnoText(int errnoValue) {
  const char* text = strerrordesc_np(errnoValue);
  return text ? std::string(text) : "Error " + std::to_string(errnoValue);
}

}  // namespace nuv::detail
