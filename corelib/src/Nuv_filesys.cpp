// Path helpers, directory and disk probes and passwords (Nuv_filesys).
#include "nuv/Nuv_filesys.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "Nuv_filesys_parts.h"
#include "corelib_units.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/FileUtils.h"
#include "nuv/platform/Random.h"

namespace nuv {

namespace filesys {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool HasDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' && IsAsciiLetter(path[0]);
}

}  // namespace

char SeparatorOf(std::string_view Path, char def) {
  const std::size_t sep = Path.find_last_of("\\/");
  return sep == std::string_view::npos ? def : Path[sep];
}

std::size_t NameStart(std::string_view Path) {
  const std::size_t sep = Path.find_last_of("\\/");
  if (sep != std::string_view::npos) return sep + 1;
  return HasDrive(Path) ? 2 : 0;
}

std::string ChildName(std::string_view dir, std::string_view name, char sep) {
  std::string result(dir);
  if (!result.empty() && !IsSeparator(result.back())) result += sep;
  result += name;
  return result;
}

std::string JoinOs(const std::string& dir, std::string_view name) {
  std::string result = dir;
  if (!result.empty() && result.back() != '/') result += '/';
  result += name;
  return result;
}

std::string UniqueSuffix() {
  static std::atomic<uint32_t> counter{0};
  const auto ticks = static_cast<uint32_t>(GetTickCount());
  return IntToHex(static_cast<uint32_t>(::getpid()), 1) + "-" + IntToHex(ticks, 1) + "-" +
         IntToHex(counter.fetch_add(1), 1);
}

int CreateExclusive(const std::string& osDir, std::string_view prefix, std::string& osName,
                    unsigned mode) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    osName = JoinOs(osDir, std::string(prefix) + UniqueSuffix());
    const int fd = ::open(osName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace filesys

using filesys::NameStart;

// ---------------------------------------------------------------------------
// Paths

std::string StripPath(std::string_view FileName) {
  return std::string(FileName.substr(NameStart(FileName)));
}

std::string StripExtension(std::string_view FileName) {
  const std::size_t dot = FileName.find('.', NameStart(FileName));
  return std::string(FileName.substr(0, dot));
}

std::string EnsureDefaultFileExt(std::string_view FileName, std::string_view Ext) {
  const std::size_t start = NameStart(FileName);
  const std::string_view name = FileName.substr(start);
  const std::size_t lastDot = name.rfind('.');
  if (Ext.empty() || (lastDot != std::string_view::npos && lastDot + 1 < name.size()))
    return std::string(FileName);
  const std::size_t firstDot = name.find('.');
  std::string result(FileName.substr(0, firstDot == std::string_view::npos ? FileName.size()
                                                                           : start + firstDot));
  if (Ext[0] != '.') result += '.';
  result += Ext;
  return result;
}

std::string AbridgeFilePath(std::string_view Path, int32_t MaxLen) {
  std::string s(Path);
  const char sep = s.find('\\') != std::string::npos ? '\\' : '/';
  std::size_t p = s.find(sep);
  if (p == std::string::npos) return s;
  while (static_cast<int64_t>(s.size()) >= MaxLen) {
    const std::size_t next = s.find(sep, p + 1);
    if (next == std::string::npos) break;
    s.replace(p + 1, next - p - 1, "..");
    p += 3;
  }
  return s;
}

int32_t ExtractDrive(std::string_view Path) {
  if (Path.empty()) return -1;
  if (Path.size() >= 2 && Path[1] == ':')
    return filesys::IsAsciiLetter(Path[0]) ? UpCase(Path[0]) - 'A' : -1;
  return 2;
}

bool IsRootDir(std::string_view Path) {
  auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::string_view t = Path;
  while (!t.empty() && isSpace(t.front())) t.remove_prefix(1);
  while (!t.empty() && isSpace(t.back())) t.remove_suffix(1);
  if (t.size() == 1) return filesys::IsSeparator(t[0]);
  return t.size() == 3 && t[1] == ':' && filesys::IsSeparator(t[2]);
}

bool IsDOS83Path(std::string_view Path) {
  if (Path.empty()) return false;
  const std::string_view rest = Path.substr(filesys::HasDrive(Path) ? 2 : 0);
  const std::string allowed = ReduceStringToFN83CompliantChars(rest);
  std::size_t partLength = 0;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const char c = rest[i];
    if (filesys::IsSeparator(c) || c == '.') {
      partLength = 0;
      continue;
    }
    if (allowed[i] != c || ++partLength >= 10) return false;
  }
  return true;
}

std::string DOSToWinPath(std::string_view Path) {
  if (Path.empty() || OsFileName(Path).empty()) return std::string(Path);
  std::string full = ExpandFileName(Path);
  if (Path.find('\\') != std::string_view::npos) {
    std::replace(full.begin(), full.end(), '/', '\\');
    if (filesys::HasDrive(Path)) full.insert(0, {UpCase(Path[0]), ':'});
  }
  return full;
}

// ---------------------------------------------------------------------------
// Directories and disks

bool DirExists(std::string_view Dir) { return !Dir.empty() && DirectoryExists(Dir); }

bool DirEmpty(std::string_view Dir) {
  if (Dir.empty()) return false;
  DIR* d = ::opendir(OsFileName(Dir).c_str());
  if (!d) return false;
  bool empty = true;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view name = e->d_name;
    if (name != "." && name != "..") {
      empty = false;
      break;
    }
  }
  ::closedir(d);
  return empty;
}

bool DirIsReadOnly(std::string_view Dir) {
  if (Dir.empty()) return true;
  const std::string osDir = OsFileName(Dir);
  if (osDir.empty()) return true;
  std::string probe;
  const int fd = filesys::CreateExclusive(osDir, ".nuv-probe-", probe, 0600);
  if (fd < 0) return true;
  ::close(fd);
  ::unlink(probe.c_str());
  return false;
}

namespace {

bool IsDriveNumber(int32_t Drive) { return Drive >= 0 && Drive <= 25; }
std::string DriveRoot(int32_t Drive) { return {static_cast<char>('A' + Drive), ':', '\\'}; }

}  // namespace

bool DiskIsReadOnly(int32_t Drive) { return !IsDriveNumber(Drive) || DirIsReadOnly(DriveRoot(Drive)); }

uint32_t GetDiskDriveType(int32_t Drive) {
  return IsDriveNumber(Drive) ? GetDriveType(DriveRoot(Drive)) : DRIVE_UNKNOWN;
}

long double DiskFreeExtended(int32_t Drive) {
  if (!IsDriveNumber(Drive)) return -1;
  return static_cast<long double>(DiskFree(static_cast<uint8_t>(Drive + 1)));
}

int64_t GetFileSize(std::string_view FileName) {
  return FileName.empty() ? -1 : FileSizeOf(FileName);
}

std::string GetEnviroVar(std::string_view Name) { return GetEnvironmentVariable(Name); }

// ---------------------------------------------------------------------------
// Passwords

namespace {

constexpr std::string_view kVowels = "aeiouy";
constexpr std::string_view kConsonants = "bcdfghjklmnpqrstvwxz";
constexpr std::string_view kSpecialChars = "_!$%#=0123456789";

char RandomOf(std::string_view set) { return set[Random(static_cast<int32_t>(set.size()))]; }

}  // namespace

std::string InventPassword(int32_t Len) {
  Len = std::clamp(Len, 4, 14);
  std::string s;
  if (Len % 2 != 0) s += RandomOf(kVowels);
  for (int32_t i = 0; i < Len / 2 - 1; ++i) {
    s += RandomOf(kConsonants);
    s += RandomOf(kVowels);
  }
  const int32_t number = Random(100);
  const char digits[2] = {static_cast<char>('0' + number / 10), static_cast<char>('0' + number % 10)};
  s.insert(std::min<std::size_t>(6, s.size()), digits, 2);
  return s;
}

std::string InventPassword(int32_t Len, bool MixedCase, bool SpecialChars) {
  std::string s = InventPassword(Len);
  for (char& c : s) {
    if (MixedCase && c >= 'a' && c <= 'z' && Random(2) == 0) c = static_cast<char>(c - 'a' + 'A');
    if (SpecialChars && Random(5) == 0) c = RandomOf(kSpecialChars);
  }
  return s;
}

namespace units {

void Nuv_filesys_Init() {}
void Nuv_filesys_Finalize() {}

}  // namespace units

}  // namespace nuv
