// Directory walks of Nuv_filesys: scans, deleting, the trash, case renaming
// and the search for a file in subdirectories. None follows a symbolic link.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "Nuv_filesys_parts.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {

namespace filesys {

namespace {

TEntryKind KindOf(int dirFd, const char* name, unsigned char type, bool& isLink) {
  struct stat st {};
  if (type == DT_UNKNOWN && ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
    type = IFTODT(st.st_mode);
  isLink = type == DT_LNK;
  if (type == DT_DIR) return TEntryKind::Directory;
  if (isLink && ::fstatat(dirFd, name, &st, 0) == 0 && S_ISDIR(st.st_mode)) return TEntryKind::DirLink;
  return TEntryKind::File;
}

// The Windows-1252 name and its sort key; most names are ASCII, for which
// both come without a code-page lookup.
void SetNames(TDirEntry& entry) {
  const std::string& os = entry.OsName;
  if (std::all_of(os.begin(), os.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    entry.Name = os;
    entry.Key = os;
    for (char& c : entry.Key)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  } else {
    entry.Name = AnsiFileName(os);
    entry.Key = AnsiUpperCase(entry.Name);
  }
}

}  // namespace

bool ListDirectory(const std::string& osDir, std::vector<TDirEntry>& entries) {
  entries.clear();
  DIR* d = ::opendir(osDir.empty() ? "." : osDir.c_str());
  if (!d) return false;
  const int dirFd = ::dirfd(d);
  std::vector<TDirEntry> found;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view osName = e->d_name;
    if (osName == "." || osName == "..") continue;
    TDirEntry& entry = found.emplace_back();
    entry.OsName = osName;
    SetNames(entry);
    entry.Kind = KindOf(dirFd, e->d_name, e->d_type, entry.IsLink);
  }
  ::closedir(d);
  // Sorting positions moves four bytes where an entry holds three strings.
  std::vector<uint32_t> order(found.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const TDirEntry &x = found[a], &y = found[b];
    return x.Key != y.Key ? x.Key < y.Key : x.OsName < y.OsName;
  });
  entries.reserve(found.size());
  for (const uint32_t i : order) entries.push_back(std::move(found[i]));
  return true;
}

TMaskParts SplitMask(std::string_view Mask) {
  TMaskParts parts;
  const std::size_t start = NameStart(Mask);
  parts.Dir = Mask.substr(0, start);
  parts.Pattern = Mask.substr(start);
  parts.Sep = SeparatorOf(parts.Dir, '/');
  parts.OsDir = parts.Dir.empty() ? std::string(".") : OsFileName(parts.Dir);
  return parts;
}

}  // namespace filesys

using filesys::ChildName;
using filesys::TDirEntry;
using filesys::TEntryKind;

namespace {

// Calls f(entry, osDir) for each file of the mask's directory that
// DeleteFiles and MoveToRecycleBin act on; returns how often f succeeded.
template <class F>
int32_t ForEachDeletableFile(std::string_view Mask, F f) {
  const filesys::TMaskParts parts = filesys::SplitMask(Mask);
  std::vector<TDirEntry> entries;
  if (parts.OsDir.empty() || !filesys::ListDirectory(parts.OsDir, entries)) return 0;
  int32_t count = 0;
  for (const TDirEntry& e : entries)
    if (e.Kind == TEntryKind::File && e.Name[0] != '.' && MatchesMask(e.Name, parts.Pattern) &&
        f(e, parts))
      ++count;
  return count;
}

struct TScan {
  std::string Pattern;
  char Sep;
  bool Recursive;
  const TFileScanCallback& Callback;
  std::vector<std::string>* List;
  int32_t Count = 0;

  // dir: the upper-cased directory in the caller's form, with its
  // separator (or empty).
  void Walk(const std::string& dir, const std::string& osDir) {
    if (Callback) Callback(dir, Count);
    std::vector<TDirEntry> entries;
    if (!filesys::ListDirectory(osDir, entries)) return;
    for (const TDirEntry& e : entries) {
      if (e.Kind != TEntryKind::File || !MatchesMask(e.Name, Pattern)) continue;
      ++Count;
      if (List) List->push_back(dir + e.Name);
    }
    if (!Recursive) return;
    for (const TDirEntry& e : entries)
      if (e.Kind == TEntryKind::Directory)
        Walk(dir + AnsiUpperCase(e.Name) + Sep, filesys::JoinOs(osDir, e.OsName));
  }
};

int32_t Scan(std::string_view Mask, bool Recursive, std::vector<std::string>* List,
             const TFileScanCallback& Callback) {
  const filesys::TMaskParts parts = filesys::SplitMask(Mask);
  TScan scan{parts.Pattern, parts.Sep, Recursive, Callback, List};
  if (!parts.OsDir.empty()) scan.Walk(AnsiUpperCase(parts.Dir), parts.OsDir);
  return scan.Count;
}

// Deletes what osDir holds, then osDir; FailedName gets the first path
// that could not be deleted.
bool DeleteTree(const std::string& dir, const std::string& osDir, char sep, std::string& FailedName) {
  std::vector<TDirEntry> entries;
  if (!filesys::ListDirectory(osDir, entries)) {
    FailedName = dir;
    return false;
  }
  for (const TDirEntry& e : entries)
    if (e.Kind != TEntryKind::Directory && ::unlink(filesys::JoinOs(osDir, e.OsName).c_str()) != 0) {
      FailedName = ChildName(dir, e.Name, sep);
      return false;
    }
  for (const TDirEntry& e : entries)
    if (e.Kind == TEntryKind::Directory &&
        !DeleteTree(ChildName(dir, e.Name, sep), filesys::JoinOs(osDir, e.OsName), sep, FailedName))
      return false;
  if (::rmdir(osDir.c_str()) != 0) {
    FailedName = dir;
    return false;
  }
  return true;
}

int32_t RenameCaseIn(const std::string& osDir, const std::string& pattern, bool upper) {
  std::vector<TDirEntry> entries;
  if (!filesys::ListDirectory(osDir, entries)) return 0;
  int32_t renamed = 0;
  for (const TDirEntry& e : entries) {
    if (!MatchesMask(e.Name, pattern)) continue;
    std::string osName = e.OsName;
    // A name with characters outside Windows-1252 has no case to change here.
    const std::string newName = upper ? AnsiUpperCase(e.Name) : AnsiLowerCase(e.Name);
    if (AnsiToUtf8(e.Name) == e.OsName && newName != e.Name &&
        RenameFile(AnsiFileName(filesys::JoinOs(osDir, e.OsName)),
                   AnsiFileName(filesys::JoinOs(osDir, AnsiToUtf8(newName))))) {
      osName = AnsiToUtf8(newName);
      ++renamed;
    }
    if (e.Kind == TEntryKind::Directory)
      renamed += RenameCaseIn(filesys::JoinOs(osDir, osName), pattern, upper);
  }
  return renamed;
}

// The first file named key (upper-cased) in osDir (when withFiles) or in
// its subdirectories, each directory's files before its subdirectories.
bool FindInTree(const std::string& dir, const std::string& osDir, const std::string& key,
                char sep, bool withFiles, std::string& found) {
  std::vector<TDirEntry> entries;
  if (!filesys::ListDirectory(osDir, entries)) return false;
  for (const TDirEntry& e : entries)
    if (withFiles && e.Kind == TEntryKind::File && e.Key == key) {
      found = ChildName(dir, e.Name, sep);
      return true;
    }
  for (const TDirEntry& e : entries)
    if (e.Kind == TEntryKind::Directory &&
        FindInTree(ChildName(dir, e.Name, sep), filesys::JoinOs(osDir, e.OsName), key, sep, true,
                   found))
      return true;
  return false;
}

}  // namespace

int32_t DeleteFiles(std::string_view Mask) {
  return ForEachDeletableFile(Mask, [](const TDirEntry& e, const filesys::TMaskParts& parts) {
    return ::unlink(filesys::JoinOs(parts.OsDir, e.OsName).c_str()) == 0;
  });
}

int32_t MoveToRecycleBin(std::string_view Mask) {
  return ForEachDeletableFile(Mask, [](const TDirEntry& e, const filesys::TMaskParts& parts) {
    return MoveFileToTrash(AnsiFileName(filesys::JoinOs(parts.OsDir, e.OsName)));
  });
}

bool DelDirTree(std::string_view Dir, std::string& FailedName) {
  FailedName.clear();
  const std::string osDir = Dir.empty() ? std::string() : OsFileName(Dir);
  struct stat st {};
  bool done = false;
  if (!osDir.empty() && ::lstat(osDir.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode))
      done = ::unlink(osDir.c_str()) == 0;
    else if (S_ISDIR(st.st_mode))
      return DeleteTree(std::string(Dir), osDir, filesys::SeparatorOf(Dir, '/'), FailedName);
  }
  if (!done) FailedName = Dir;
  return done;
}

int32_t SetAllFilenameCase(std::string_view Mask, bool Upper) {
  const filesys::TMaskParts parts = filesys::SplitMask(Mask);
  return parts.OsDir.empty() ? 0 : RenameCaseIn(parts.OsDir, parts.Pattern, Upper);
}

void ScanFilesToStrList(std::string_view Mask, bool Recursive, std::vector<std::string>& List,
                        const TFileScanCallback& Callback) {
  Scan(Mask, Recursive, &List, Callback);
}

int32_t CountFiles(std::string_view Mask, bool Recursive, const TFileScanCallback& Callback) {
  return Scan(Mask, Recursive, nullptr, Callback);
}

std::string FileDetect(std::string_view FileName) {
  if (FileName.empty()) return {};
  if (FileExists(FileName)) return std::string(FileName);
  const filesys::TMaskParts parts = filesys::SplitMask(FileName);
  std::string found;
  if (parts.Pattern.empty() || parts.OsDir.empty() ||
      !FindInTree(parts.Dir, parts.OsDir, AnsiUpperCase(parts.Pattern), parts.Sep, false, found))
    return {};
  return found;
}

}  // namespace nuv
