// Helpers shared by the source parts of Nuv_filesys (not installed).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nuv::filesys {

// What a directory entry is, links classified by their target without
// being followed any further.
enum class TEntryKind : uint8_t {
  File,       // regular file, link to one, dangling link, device, pipe, socket
  Directory,  // a real directory
  DirLink     // a symbolic link to a directory
};

struct TDirEntry {
  std::string OsName;  // as on disk (UTF-8)
  std::string Name;    // Windows-1252
  std::string Key;     // upper-cased Name: the listing order
  TEntryKind Kind = TEntryKind::File;
  bool IsLink = false;
};

// The entries of an operating-system directory other than "." and "..", in
// case-insensitive name order; false when it cannot be read.
bool ListDirectory(const std::string& osDir, std::vector<TDirEntry>& entries);

// A library path split for the walks: the directory as the caller wrote it
// (with its trailing separator, or empty), its operating-system name, the
// wildcard pattern and the separator to continue names with.
struct TMaskParts {
  std::string Dir;
  std::string OsDir;
  std::string Pattern;
  char Sep = '/';
};
TMaskParts SplitMask(std::string_view Mask);

// The separator of a path as its caller wrote it: the last one, or def.
char SeparatorOf(std::string_view Path, char def);
// The position after the directory part (after the last separator or a
// leading drive "X:").
std::size_t NameStart(std::string_view Path);

// Dir as the caller wrote it, followed by name (sep put between them
// unless dir is empty or ends with a separator).
std::string ChildName(std::string_view dir, std::string_view name, char sep);
// "dir/name" for operating-system names.
std::string JoinOs(const std::string& dir, std::string_view name);

// A name part no other process or call of this one produces at the same
// time.
std::string UniqueSuffix();
// Creates a new file osDir/prefix<unique> for writing (O_EXCL, so nothing
// existing is ever opened); the descriptor, or -1 with errno set.
int CreateExclusive(const std::string& osDir, std::string_view prefix, std::string& osName,
                    unsigned mode);

}  // namespace nuv::filesys
