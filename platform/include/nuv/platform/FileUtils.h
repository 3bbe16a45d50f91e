// Files and directories by name: existence, creation and removal, renaming,
// copying, dates and attributes, and the directory search with wildcards.
//
// File names are Windows-1252 text, as every string of the library, and may
// use '\\' or '/' as separator. OsFileName maps them to the operating
// system's names, and every function here (and every stream and file class
// of the runtime) goes through it:
//  - '\\' becomes '/'; the drive "C:" is the root "/"; other drive letters
//    have no root, so names on them are never found (path not found);
//  - the bytes are converted to UTF-8;
//  - when the exact name does not exist, it is resolved component by
//    component case-insensitively, as a Windows file system would (the first
//    match in byte order wins when several names differ only in case);
//    components that match nothing stay as given.
// Names on disk that have no Windows-1252 form come back with '?' for the
// missing characters and cannot be opened again by that name.
//
// Attributes: faReadOnly means the owner has no write permission, faHidden a
// name starting with '.', faArchive a regular file, faSysFile a device, pipe
// or socket.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "nuv/platform/DateTime.h"

namespace nuv {

// The operating-system name (UTF-8) of a library file name, resolved as
// described above; empty for a name on a drive without root.
std::string OsFileName(std::string_view FileName);
// The library form (Windows-1252) of an operating-system name.
std::string AnsiFileName(std::string_view OsName);

// Existing regular (or special) file; false for directories.
bool FileExists(std::string_view FileName);
bool DirectoryExists(std::string_view Directory);
// Creates the directory and its missing parents; true when it exists after.
bool ForceDirectories(std::string_view Directory);
// One directory whose parent exists; false when it exists already.
bool CreateDir(std::string_view Directory);
// An empty directory.
bool RemoveDir(std::string_view Directory);
// A file (not a directory).
bool DeleteFile(std::string_view FileName);
// Renames or moves a file or directory within one file system. An existing
// target is never replaced (false); changing only the case of a name is
// allowed.
bool RenameFile(std::string_view OldName, std::string_view NewName);
// Copies the content, the modification date and the read-only attribute.
// With FailIfExists an existing target makes it fail.
bool CopyFile(std::string_view Source, std::string_view Dest, bool FailIfExists);

// Size in bytes; -1 when the file does not exist or is a directory.
int64_t FileSizeOf(std::string_view FileName);
// Modification date (local time) of a file or directory; false when it
// does not exist.
bool FileAge(std::string_view FileName, TDateTime& FileDateTime);
// The same for an open POSIX descriptor.
bool FileGetDate(int Handle, TDateTime& FileDateTime);
// Sets the modification (and access) date; false on failure.
bool FileSetDate(std::string_view FileName, TDateTime FileDateTime);

enum : int32_t {
  faReadOnly = 0x01,
  faHidden = 0x02,
  faSysFile = 0x04,
  faVolumeID = 0x08,
  faDirectory = 0x10,
  faArchive = 0x20,
  faAnyFile = 0x3F,
};

// The attributes of a file or directory; -1 when it does not exist.
int32_t FileGetAttr(std::string_view FileName);
// Only faReadOnly can be changed: set, it removes every write permission;
// cleared, it gives the owner write permission. 0 on success, else the
// I/O error code.
int32_t FileSetAttr(std::string_view FileName, int32_t Attr);

// Directory search results of FindFirst/FindNext.
enum : int32_t { ioNoMoreFiles = 18 };

namespace detail {
struct TFindState;
}

struct TSearchRec {
  TDateTime Time = 0;  // modification date, local time
  int64_t Size = 0;    // bytes; 0 for directories
  int32_t Attr = 0;
  std::string Name;    // without directory, Windows-1252
  int32_t ExcludeAttr = 0;
  std::shared_ptr<detail::TFindState> FindHandle;
};

// Searches Path = directory + mask (wildcards '*' and '?', matched
// case-insensitively; "*.*" matches every name, also names without a dot).
// Normal files, read-only files and archives are always found; hidden
// files, system files and directories only when Attr includes faHidden,
// faSysFile, faDirectory. "." and ".." are never reported. Entries come in
// case-insensitive name order. Returns 0 with F filled, 2 when nothing
// matches, 3 when the directory does not exist.
int32_t FindFirst(std::string_view Path, int32_t Attr, TSearchRec& F);
// 0 with the next entry in F, or ioNoMoreFiles (18).
int32_t FindNext(TSearchRec& F);
void FindClose(TSearchRec& F);

// Case-insensitive (Windows-1252) wildcard match of one name.
bool MatchesMask(std::string_view Name, std::string_view Mask);

// Windows-1252 form of the working directory ('/' separators, no trailing
// separator except for the root).
std::string GetCurrentDir();
bool SetCurrentDir(std::string_view Directory);
// Absolute, normalised form of a name ('/' separators, case resolved as
// far as the components exist); empty for a name on a drive without root.
std::string ExpandFileName(std::string_view FileName);

}  // namespace nuv
