#include "nuv/platform/SysServices.h"

#include <mntent.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <vector>

#include "SysServicesInternal.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/FileUtils.h"

extern char** environ;

namespace nuv {

namespace {

std::string WithTrailingSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string DirFromOs(const std::string& osDir) { return WithTrailingSlash(AnsiFileName(osDir)); }

std::string FromQString(const QString& s) { return QFile::encodeName(s).toStdString(); }

// The library name of a drive's root: 0 the current directory, 3 C:.
std::string DriveRoot(uint8_t drive) {
  if (drive == 0) return ".";
  return std::string(1, static_cast<char>('A' + drive - 1)) + ":\\";
}

bool StatFileSystem(std::string_view path, struct statvfs& st) {
  const std::string osName = OsFileName(path);
  return !osName.empty() && ::statvfs(osName.c_str(), &st) == 0;
}

bool StartsWithDir(std::string_view path, std::string_view dir) {
  if (dir == "/") return true;
  return path.substr(0, dir.size()) == dir && (path.size() == dir.size() || path[dir.size()] == '/');
}

uint32_t DriveTypeOfMount(std::string_view fsType, std::string_view mountDir) {
  static constexpr std::array<std::string_view, 14> kRemote = {
      "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs",
      "lustre", "fuse.sshfs", "sshfs", "davfs"};
  if (std::find(kRemote.begin(), kRemote.end(), fsType) != kRemote.end()) return DRIVE_REMOTE;
  if (fsType == "iso9660" || fsType == "udf") return DRIVE_CDROM;
  if (fsType == "tmpfs" || fsType == "ramfs") return DRIVE_RAMDISK;
  if (StartsWithDir(mountDir, "/media") || StartsWithDir(mountDir, "/run/media")) return DRIVE_REMOVABLE;
  return DRIVE_FIXED;
}

// Nice values of the priority classes, lowest priority first.
struct TClassNice {
  uint32_t PriorityClass;
  int Nice;
};
constexpr std::array<TClassNice, 6> kClassNice = {{{IDLE_PRIORITY_CLASS, 19},
                                                   {BELOW_NORMAL_PRIORITY_CLASS, 10},
                                                   {NORMAL_PRIORITY_CLASS, 0},
                                                   {ABOVE_NORMAL_PRIORITY_CLASS, -5},
                                                   {HIGH_PRIORITY_CLASS, -10},
                                                   {REALTIME_PRIORITY_CLASS, -20}}};

std::atomic<uint32_t> g_priorityClass{0};  // 0: not yet read from the thread
thread_local int32_t t_threadPriority = THREAD_PRIORITY_NORMAL;

const TClassNice* FindClass(uint32_t priorityClass) {
  for (const TClassNice& c : kClassNice)
    if (c.PriorityClass == priorityClass) return &c;
  return nullptr;
}

bool IsThreadPriority(int32_t p) {
  return p == THREAD_PRIORITY_IDLE || p == THREAD_PRIORITY_TIME_CRITICAL ||
         (p >= THREAD_PRIORITY_LOWEST && p <= THREAD_PRIORITY_HIGHEST);
}

int NiceOf(const TClassNice& priorityClass, int32_t threadPriority) {
  if (threadPriority == THREAD_PRIORITY_IDLE) return 19;
  if (threadPriority == THREAD_PRIORITY_TIME_CRITICAL) return -20;
  return std::clamp(priorityClass.Nice - 3 * threadPriority, -20, 19);
}

// Linux applies PRIO_PROCESS with id 0 to the calling thread only.
bool ApplyNice(int nice) { return ::setpriority(PRIO_PROCESS, 0, nice) == 0; }

}  // namespace

namespace detail {

uint32_t DriveTypeFromMountTable(const std::string& mountTable, const std::string& canonicalPath) {
  FILE* table = ::setmntent(mountTable.c_str(), "r");
  if (!table) return DRIVE_UNKNOWN;
  std::string bestDir, bestType;
  mntent entry{};
  char line[4096];
  // A later mount of the same directory hides the earlier one, hence ">=".
  while (::getmntent_r(table, &entry, line, sizeof line)) {
    const std::string_view dir = entry.mnt_dir;
    if (StartsWithDir(canonicalPath, dir) && dir.size() >= bestDir.size()) {
      bestDir = dir;
      bestType = entry.mnt_type;
    }
  }
  ::endmntent(table);
  return bestDir.empty() ? DRIVE_UNKNOWN : DriveTypeOfMount(bestType, bestDir);
}

}  // namespace detail

uint32_t GetTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

std::string GetEnvironmentVariable(std::string_view Name) {
  const std::string key = AnsiUpperCase(Name);
  std::string value;
  for (char** env = environ; env && *env; ++env) {
    const std::string_view entry = *env;
    const std::size_t eq = entry.find('=');
    if (eq == std::string_view::npos) continue;
    if (AnsiUpperCase(Utf8ToAnsi(entry.substr(0, eq))) == key) value = Utf8ToAnsi(entry.substr(eq + 1));
  }
  return value;
}

std::string GetTempDir() {
  const char* tmp = std::getenv("TMPDIR");
  return DirFromOs(tmp && *tmp ? tmp : "/tmp");
}

std::string GetWindowsDir() { return "/etc/"; }
std::string GetSystemDir() { return "/usr/lib/"; }

std::string GetHomeDir() {
  if (const char* home = std::getenv("HOME"); home && *home) return DirFromOs(home);
  std::vector<char> buffer(16384);
  passwd pw{}, *found = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found)
    return DirFromOs(found->pw_dir);
  return "/";
}

std::string GetDesktopDir() {
  return DirFromOs(FromQString(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)));
}

int64_t DiskFreeAt(std::string_view Path) {
  struct statvfs st {};
  if (!StatFileSystem(Path, st)) return -1;
  return static_cast<int64_t>(st.f_bavail) * static_cast<int64_t>(st.f_frsize);
}

int64_t DiskSizeAt(std::string_view Path) {
  struct statvfs st {};
  if (!StatFileSystem(Path, st)) return -1;
  return static_cast<int64_t>(st.f_blocks) * static_cast<int64_t>(st.f_frsize);
}

int64_t DiskFree(uint8_t Drive) { return Drive > 26 ? -1 : DiskFreeAt(DriveRoot(Drive)); }
int64_t DiskSize(uint8_t Drive) { return Drive > 26 ? -1 : DiskSizeAt(DriveRoot(Drive)); }

uint32_t GetDriveType(std::string_view RootPath) {
  const std::string osName = OsFileName(RootPath);
  std::error_code ec;
  const std::filesystem::path canonical = osName.empty() ? std::filesystem::path()
                                                         : std::filesystem::canonical(osName, ec);
  if (osName.empty() || ec) return DRIVE_NO_ROOT_DIR;
  return detail::DriveTypeFromMountTable("/proc/self/mounts", canonical.string());
}

bool MoveFileToTrash(std::string_view FileName) {
  const std::string osName = OsFileName(FileName);
  if (osName.empty()) return false;
  // Qt misplaces the trash (into the working directory) when the data
  // directory that holds it does not exist yet.
  QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
  return QFile::moveToTrash(QFile::decodeName(QByteArray::fromStdString(osName)));
}

int32_t ProcessorCount() {
  const long n = ::sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<int32_t>(std::min<long>(n, INT32_MAX)) : 1;
}

uint32_t GetPriorityClass() {
  uint32_t current = g_priorityClass.load();
  if (current != 0) return current;
  errno = 0;
  const int nice = ::getpriority(PRIO_PROCESS, 0);
  const int actual = errno == 0 ? nice : 0;
  const auto nearest = std::min_element(kClassNice.begin(), kClassNice.end(),
                                        [actual](const TClassNice& a, const TClassNice& b) {
                                          return std::abs(a.Nice - actual) < std::abs(b.Nice - actual);
                                        });
  current = nearest->PriorityClass;
  g_priorityClass.store(current);
  return current;
}

bool SetPriorityClass(uint32_t PriorityClass) {
  const TClassNice* target = FindClass(PriorityClass);
  if (!target || !ApplyNice(NiceOf(*target, t_threadPriority))) return false;
  g_priorityClass.store(PriorityClass);
  return true;
}

int32_t GetThreadPriority() { return t_threadPriority; }

bool SetThreadPriority(int32_t Priority) {
  if (!IsThreadPriority(Priority)) return false;
  if (!ApplyNice(NiceOf(*FindClass(GetPriorityClass()), Priority))) return false;
  t_threadPriority = Priority;
  return true;
}

}  // namespace nuv
