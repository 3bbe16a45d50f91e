// Operating-system services the library's units call: the millisecond tick
// counter, environment strings, well-known directories, disk space and
// drive types, the desktop trash, the processor count and scheduling
// priorities.
//
// Directories are returned as Windows-1252 text with a trailing '/'. Where
// Linux has no counterpart of a classic Windows folder, a fixed stand-in is
// used: the "Windows directory" is "/etc/" (system-wide configuration) and
// the "system directory" is "/usr/lib/" (system libraries). Drives follow
// OsFileName: drive 3 (C:) is the root file system, other letters have no
// root.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nuv {

// Milliseconds of a monotonic clock, wrapping around after 49.7 days.
uint32_t GetTickCount();

// The value of the environment variable whose name equals Name ignoring
// case (the last match wins, as variables may differ only in case on
// Linux); empty when there is none. Windows-1252 text.
std::string GetEnvironmentVariable(std::string_view Name);

// $TMPDIR when set and not empty, else "/tmp/".
std::string GetTempDir();
std::string GetWindowsDir();
std::string GetSystemDir();
// $HOME (or the password database), and the user's desktop folder
// (XDG user directories).
std::string GetHomeDir();
std::string GetDesktopDir();

// Bytes free for the caller / total size of a drive: 0 = the current
// directory's file system, 1 = A:, 2 = B:, 3 = C: ...; -1 for a drive
// without root or on failure.
int64_t DiskFree(uint8_t Drive);
int64_t DiskSize(uint8_t Drive);
// The same for the file system holding a path (any library file name).
int64_t DiskFreeAt(std::string_view Path);
int64_t DiskSizeAt(std::string_view Path);

// Drive types of GetDriveType.
enum : uint32_t {
  DRIVE_UNKNOWN = 0,
  DRIVE_NO_ROOT_DIR = 1,
  DRIVE_REMOVABLE = 2,
  DRIVE_FIXED = 3,
  DRIVE_REMOTE = 4,
  DRIVE_CDROM = 5,
  DRIVE_RAMDISK = 6,
};
// The type of the file system holding RootPath ("C:\\", "/", "/media/usb"),
// from the file-system type of its mount: network file systems are remote,
// ISO 9660 and UDF are CD-ROMs, tmpfs and ramfs are RAM disks, mounts under
// /media and /run/media (where desktops mount removable media) are
// removable, everything else is fixed.
// DRIVE_NO_ROOT_DIR for a path that does not exist; DRIVE_UNKNOWN when the
// mount table cannot be read.
uint32_t GetDriveType(std::string_view RootPath);

// Moves a file or directory into the user's freedesktop.org trash, from
// where it can be restored; false when it does not exist or cannot be
// moved.
bool MoveFileToTrash(std::string_view FileName);

// Processors currently online (at least 1).
int32_t ProcessorCount();

// Scheduling priorities with the classic Windows values. They are mapped
// to nice values of the calling thread (the library runs on its caller's
// thread); real-time scheduling is never used. Raising a priority needs
// the privilege to lower nice values; without it the Set functions return
// false and nothing changes. The Get functions report the last value set
// successfully (initially the class matching the thread's nice value, and
// THREAD_PRIORITY_NORMAL).
enum : uint32_t {
  IDLE_PRIORITY_CLASS = 0x40,
  BELOW_NORMAL_PRIORITY_CLASS = 0x4000,
  NORMAL_PRIORITY_CLASS = 0x20,
  ABOVE_NORMAL_PRIORITY_CLASS = 0x8000,
  HIGH_PRIORITY_CLASS = 0x80,
  REALTIME_PRIORITY_CLASS = 0x100,
};
enum : int32_t {
  THREAD_PRIORITY_IDLE = -15,
  THREAD_PRIORITY_LOWEST = -2,
  THREAD_PRIORITY_BELOW_NORMAL = -1,
  THREAD_PRIORITY_NORMAL = 0,
  THREAD_PRIORITY_ABOVE_NORMAL = 1,
  THREAD_PRIORITY_HIGHEST = 2,
  THREAD_PRIORITY_TIME_CRITICAL = 15,
};
uint32_t GetPriorityClass();
bool SetPriorityClass(uint32_t PriorityClass);
int32_t GetThreadPriority();
bool SetThreadPriority(int32_t Priority);

}  // namespace nuv
