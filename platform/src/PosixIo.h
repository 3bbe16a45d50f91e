// POSIX descriptor helpers shared by the runtime's file classes (internal).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nuv::detail {

struct TOpenResult {
  int Fd = -1;         // -1 on failure
  int Errno = 0;       // errno of the failure
  int32_t IoCode = 0;  // I/O error code of the failure (3 when a directory is missing)
};

// Opens a library file name (see OsFileName) with the open(2) flags;
// O_CLOEXEC is added and new files get mode 0666 less the umask.
// Directories are refused (EISDIR), as they cannot be opened as files.
TOpenResult OpenFile(std::string_view fileName, int flags);

// Reads until count bytes or the end of the file; -1 on an error (errno).
int64_t ReadFully(int fd, void* buffer, int64_t count);
// Writes all bytes; returns the number written, fewer only on an error (errno).
int64_t WriteFully(int fd, const void* buffer, int64_t count);
// Closes, retrying nothing (close is not restartable); false on an error.
bool CloseFile(int fd);

// English, locale-independent text of an errno value.
std::string ErrnoText(int errnoValue);

}  // namespace nuv::detail
