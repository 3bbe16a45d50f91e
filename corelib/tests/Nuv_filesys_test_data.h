// The reference data of the file-system tests (made by
// tools/ref/filesys_ref.py) and the test tree it describes, built afresh in
// a temporary directory by each test that needs it.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "FileFixtures.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

struct TTreeItem {
  char Kind;  // 'd' directory, 'f' file, 'l' symbolic link
  const char* Path;
  int64_t Size;
  int64_t MTime;
  const char* Target;
};
struct TWalkItem {
  const char* Dir;
  std::vector<std::string> Dirs, Files;
};
struct TScanItem {
  const char* Mask;
  bool Recursive;
  std::vector<std::string> Names;
};
struct TSizeItem {
  const char* Path;
  int64_t Size;
};
struct TBomItem {
  std::string_view Data;
  TTextfileType Type;
};
struct TLineItem {
  std::string_view Data;
  int64_t Lines;
};

#include "data/filesys_ref.inc"

// A test file's bytes: its path and a newline, repeated to its size.
inline std::string TreeContent(std::string_view path, int64_t size) {
  const std::string unit = std::string(path) + "\n";
  std::string s;
  while (static_cast<int64_t>(s.size()) < size) s += unit;
  s.resize(static_cast<std::size_t>(size));
  return s;
}

inline void BuildTestTree(const std::filesystem::path& root) {
  for (const TTreeItem& item : kTree) {
    const std::filesystem::path p = root / item.Path;
    if (item.Kind == 'd') {
      std::filesystem::create_directory(p);
    } else if (item.Kind == 'f') {
      testing::WriteRawFile(p.string(), TreeContent(item.Path, item.Size));
      const timespec times[2] = {{item.MTime, 0}, {item.MTime, 0}};
      ::utimensat(AT_FDCWD, p.c_str(), times, AT_SYMLINK_NOFOLLOW);
    } else {
      std::filesystem::create_symlink(item.Target, p);
    }
  }
}

// The library (Windows-1252) name of a tree path.
inline std::string AnsiTreeName(const std::filesystem::path& root, std::string_view path) {
  return Utf8ToAnsi(root.string()) + "/" + Utf8ToAnsi(path);
}

}  // namespace nuv
