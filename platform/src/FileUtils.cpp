#include "nuv/platform/FileUtils.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "nuv/platform/CodePage.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace fs = std::filesystem;

namespace detail {

struct TFoundEntry {
  std::string Key;  // upper-cased name, the sort order
  std::string Name;
  int64_t Size;
  int32_t Attr;
  TDateTime Time;
};

struct TFindState {
  std::vector<TFoundEntry> Entries;
  std::size_t Next = 0;
};

}  // namespace detail

namespace {

bool Exists(const std::string& osName) {
  struct stat st {};
  return ::lstat(osName.c_str(), &st) == 0;
}

// stat that falls back to the link itself for a dangling symbolic link.
bool StatEntry(const std::string& osName, struct stat& st) {
  return ::stat(osName.c_str(), &st) == 0 || ::lstat(osName.c_str(), &st) == 0;
}

std::string JoinPath(const std::string& dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  std::string result = dir;
  if (result.back() != '/') result += '/';
  result += name;
  return result;
}

std::string FoldedAnsiName(std::string_view osName) { return AnsiUpperCase(Utf8ToAnsi(osName)); }

// The entry of dir whose name equals name in Windows-1252 case folding;
// the first in byte order when several do.
bool FindEntryIgnoringCase(const std::string& dir, std::string_view name, std::string& found) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  const std::string key = FoldedAnsiName(name);
  bool any = false;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view candidate = e->d_name;
    // Both cases of every Windows-1252 letter have UTF-8 forms of equal
    // length, so only names of the same length need folding.
    if (candidate.size() != name.size() || FoldedAnsiName(candidate) != key) continue;
    if (!any || candidate < found) found = candidate;
    any = true;
  }
  ::closedir(d);
  return any;
}

// Walks the components of a path that does not exist exactly, replacing
// each by its case-insensitive match on disk until one has no match.
std::string ResolveCase(const std::string& osName) {
  std::string result = osName[0] == '/' ? "/" : "";
  bool resolving = true;
  std::size_t i = 0;
  while (i < osName.size()) {
    const std::size_t end = std::min(osName.find('/', i), osName.size());
    const std::string_view part = std::string_view(osName).substr(i, end - i);
    i = end + 1;
    if (part.empty()) continue;
    std::string next = JoinPath(result, part);
    if (resolving && part != "." && part != ".." && !Exists(next)) {
      std::string match;
      if (FindEntryIgnoringCase(result, part, match)) next = JoinPath(result, match);
      else resolving = false;
    }
    result = std::move(next);
  }
  if (osName.back() == '/' && result.back() != '/') result += '/';
  return result;
}

// The name with its directory resolved and its last component as given:
// the target of a rename that may change only the case of a name.
std::string OsFileNameKeepingLast(std::string_view fileName) {
  const std::size_t sep = fileName.find_last_of("\\/");
  if (sep == std::string_view::npos) return AnsiToUtf8(fileName);
  const std::string dir = OsFileName(fileName.substr(0, sep + 1));
  if (dir.empty()) return {};
  return JoinPath(dir, AnsiToUtf8(fileName.substr(sep + 1)));
}

bool IsHiddenName(std::string_view name) { return name.size() > 1 && name[0] == '.' && name != ".."; }

int32_t AttributesOf(std::string_view leafName, const struct stat& st) {
  int32_t attr = S_ISDIR(st.st_mode) ? faDirectory : (S_ISREG(st.st_mode) ? faArchive : faSysFile);
  if (!(st.st_mode & S_IWUSR)) attr |= faReadOnly;
  if (IsHiddenName(leafName)) attr |= faHidden;
  return attr;
}

std::string_view LeafName(std::string_view osName) {
  while (osName.size() > 1 && osName.back() == '/') osName.remove_suffix(1);
  const std::size_t sep = osName.rfind('/');
  return sep == std::string_view::npos ? osName : osName.substr(sep + 1);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: a new hard link never replaces.
  if (::link(from.c_str(), to.c_str()) == 0) return ::unlink(from.c_str()) == 0;
  if (errno == EEXIST) return false;
  // Directories cannot be linked; the check leaves a small race only there.
  if (Exists(to)) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool GlobMatch(std::string_view name, std::string_view mask) {
  std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() &&
               (mask[m] == '?' || AnsiUpperChar(mask[m]) == AnsiUpperChar(name[n]))) {
      ++n;
      ++m;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

void FillSearchRec(TSearchRec& F) {
  const detail::TFoundEntry& e = F.FindHandle->Entries[F.FindHandle->Next++];
  F.Name = e.Name;
  F.Size = e.Size;
  F.Attr = e.Attr;
  F.Time = e.Time;
}

TDateTime ModificationTime(const struct stat& st) {
  return TimeTToDateTime(st.st_mtim.tv_sec, static_cast<int32_t>(st.st_mtim.tv_nsec));
}

}  // namespace

std::string OsFileName(std::string_view FileName) {
  std::string name(FileName);
  std::replace(name.begin(), name.end(), '\\', '/');
  if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
    if (UpCase(name[0]) != 'C') return {};
    name.erase(0, 2);
    if (name.empty() || name[0] != '/') name.insert(0, "/");
  }
  std::string osName = AnsiToUtf8(name);
  if (osName.empty() || Exists(osName)) return osName;
  return ResolveCase(osName);
}

std::string AnsiFileName(std::string_view OsName) { return Utf8ToAnsi(OsName); }

bool FileExists(std::string_view FileName) {
  struct stat st {};
  return ::stat(OsFileName(FileName).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view Directory) {
  struct stat st {};
  return ::stat(OsFileName(Directory).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(std::string_view Directory) {
  const std::string osName = OsFileName(Directory);
  if (osName.empty()) return false;
  std::error_code ec;
  fs::create_directories(osName, ec);
  return fs::is_directory(osName, ec);
}

bool CreateDir(std::string_view Directory) {
  const std::string osName = OsFileName(Directory);
  return !osName.empty() && ::mkdir(osName.c_str(), 0777) == 0;
}

bool RemoveDir(std::string_view Directory) {
  const std::string osName = OsFileName(Directory);
  return !osName.empty() && ::rmdir(osName.c_str()) == 0;
}

bool DeleteFile(std::string_view FileName) {
  const std::string osName = OsFileName(FileName);
  struct stat st {};
  if (osName.empty() || ::lstat(osName.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(osName.c_str()) == 0;
}

bool RenameFile(std::string_view OldName, std::string_view NewName) {
  const std::string from = OsFileName(OldName);
  std::string to = OsFileName(NewName);
  struct stat src {}, dst {};
  if (from.empty() || to.empty() || ::lstat(from.c_str(), &src) != 0) return false;
  if (::lstat(to.c_str(), &dst) == 0) {
    const bool sameFile = src.st_dev == dst.st_dev && src.st_ino == dst.st_ino;
    if (!sameFile) return false;
    // The new name differs from the old one only in case.
    to = OsFileNameKeepingLast(NewName);
    if (to == from) return true;
  }
  return RenameNoReplace(from, to);
}

bool CopyFile(std::string_view Source, std::string_view Dest, bool FailIfExists) {
  const std::string from = OsFileName(Source);
  const std::string to = OsFileName(Dest);
  if (from.empty() || to.empty()) return false;
  std::error_code ec;
  const auto options = FailIfExists ? fs::copy_options::none : fs::copy_options::overwrite_existing;
  if (!fs::copy_file(from, to, options, ec) || ec) return false;
  const auto time = fs::last_write_time(from, ec);
  if (!ec) fs::last_write_time(to, time, ec);
  const auto perms = fs::status(from, ec).permissions();
  if (!ec) fs::permissions(to, perms, ec);
  return !ec;
}

int64_t FileSizeOf(std::string_view FileName) {
  struct stat st {};
  if (::stat(OsFileName(FileName).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  return st.st_size;
}

bool FileAge(std::string_view FileName, TDateTime& FileDateTime) {
  struct stat st {};
  if (::stat(OsFileName(FileName).c_str(), &st) != 0) return false;
  FileDateTime = ModificationTime(st);
  return true;
}

bool FileGetDate(int Handle, TDateTime& FileDateTime) {
  struct stat st {};
  if (::fstat(Handle, &st) != 0) return false;
  FileDateTime = ModificationTime(st);
  return true;
}

bool FileSetDate(std::string_view FileName, TDateTime FileDateTime) {
  std::time_t seconds = 0;
  int32_t nanoSeconds = 0;
  if (!DateTimeToTimeT(FileDateTime, seconds, nanoSeconds)) return false;
  const std::string osName = OsFileName(FileName);
  const timespec times[2] = {{0, UTIME_OMIT}, {seconds, nanoSeconds}};
  return !osName.empty() && ::utimensat(AT_FDCWD, osName.c_str(), times, 0) == 0;
}

int32_t FileGetAttr(std::string_view FileName) {
  const std::string osName = OsFileName(FileName);
  struct stat st {};
  if (osName.empty() || !StatEntry(osName, st)) return -1;
  return AttributesOf(LeafName(osName), st);
}

int32_t FileSetAttr(std::string_view FileName, int32_t Attr) {
  const std::string osName = OsFileName(FileName);
  struct stat st {};
  if (::stat(osName.c_str(), &st) != 0) return InOutCodeFromErrno(errno);
  mode_t mode = st.st_mode & 07777;
  mode = (Attr & faReadOnly) ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  if (::chmod(osName.c_str(), mode) != 0) return InOutCodeFromErrno(errno);
  return 0;
}

bool MatchesMask(std::string_view Name, std::string_view Mask) {
  // "x.*" also matches "x": the extension may be absent, so "*.*" is "*".
  if (Mask.size() >= 2 && Mask.substr(Mask.size() - 2) == ".*" &&
      GlobMatch(Name, Mask.substr(0, Mask.size() - 2)))
    return true;
  return GlobMatch(Name, Mask);
}

int32_t FindFirst(std::string_view Path, int32_t Attr, TSearchRec& F) {
  FindClose(F);
  std::size_t sep = Path.find_last_of("\\/");
  if (sep == std::string_view::npos && Path.size() >= 2 && Path[1] == ':') sep = 1;
  const std::string_view dir = sep == std::string_view::npos ? std::string_view() : Path.substr(0, sep + 1);
  const std::string_view mask = Path.substr(dir.size());
  const std::string osDir = dir.empty() ? std::string(".") : OsFileName(dir);
  struct stat dirStat {};
  if (osDir.empty() || ::stat(osDir.c_str(), &dirStat) != 0 || !S_ISDIR(dirStat.st_mode))
    return ioPathNotFound;
  DIR* d = ::opendir(osDir.c_str());
  if (!d) return InOutCodeFromErrno(errno);

  F.ExcludeAttr = ~Attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  auto state = std::make_shared<detail::TFindState>();
  while (const dirent* e = ::readdir(d)) {
    const std::string_view osName = e->d_name;
    if (osName == "." || osName == "..") continue;
    std::string name = AnsiFileName(osName);
    if (mask.empty() || !MatchesMask(name, mask)) continue;
    struct stat st {};
    if (!StatEntry(JoinPath(osDir, osName), st)) continue;
    const int32_t attr = AttributesOf(osName, st);
    if (attr & F.ExcludeAttr) continue;
    const int64_t size = S_ISDIR(st.st_mode) ? 0 : st.st_size;
    std::string key = AnsiUpperCase(name);
    state->Entries.push_back({std::move(key), std::move(name), size, attr, ModificationTime(st)});
  }
  ::closedir(d);
  if (state->Entries.empty()) return ioFileNotFound;
  std::sort(state->Entries.begin(), state->Entries.end(),
            [](const detail::TFoundEntry& a, const detail::TFoundEntry& b) {
              return a.Key != b.Key ? a.Key < b.Key : a.Name < b.Name;
            });
  F.FindHandle = std::move(state);
  FillSearchRec(F);
  return 0;
}

int32_t FindNext(TSearchRec& F) {
  if (!F.FindHandle || F.FindHandle->Next >= F.FindHandle->Entries.size()) return ioNoMoreFiles;
  FillSearchRec(F);
  return 0;
}

void FindClose(TSearchRec& F) { F.FindHandle.reset(); }

std::string GetCurrentDir() {
  std::error_code ec;
  return AnsiFileName(fs::current_path(ec).string());
}

bool SetCurrentDir(std::string_view Directory) {
  const std::string osName = OsFileName(Directory);
  return !osName.empty() && ::chdir(osName.c_str()) == 0;
}

std::string ExpandFileName(std::string_view FileName) {
  if (FileName.empty()) return GetCurrentDir();
  const std::string osName = OsFileName(FileName);
  if (osName.empty()) return {};
  std::error_code ec;
  std::string full = fs::absolute(osName, ec).lexically_normal().string();
  while (full.size() > 1 && full.back() == '/') full.pop_back();
  return AnsiFileName(full);
}

}  // namespace nuv
