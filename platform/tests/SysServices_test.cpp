#include "nuv/platform/SysServices.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "FileFixtures.h"
#include "SysServicesInternal.h"
#include "TempDir.h"

namespace nuv {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteRawFile;

// Sets (or removes) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_.c_str(), old_->c_str(), 1);
    else unsetenv(name_.c_str());
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

TEST(Environment, CaseInsensitiveLastMatchWinsAndAnsiText) {
  ScopedEnv a("NUV_Test_Var", "first");
  ScopedEnv b("NUV_TEST_VAR", "caf\xC3\xA9");
  EXPECT_EQ(GetEnvironmentVariable("nuv_test_var"), "caf\xE9");
  EXPECT_EQ(GetEnvironmentVariable("NUV_TEST_VAR_NONE"), "");
  EXPECT_EQ(GetEnvironmentVariable(""), "");
}

TEST(Environment, Directories) {
  {
    ScopedEnv tmp("TMPDIR", "/var/tmp");
    EXPECT_EQ(GetTempDir(), "/var/tmp/");
  }
  {
    ScopedEnv tmp("TMPDIR", nullptr);
    EXPECT_EQ(GetTempDir(), "/tmp/");
  }
  {
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(GetHomeDir(), "/home/someone/");
  }
  EXPECT_EQ(GetWindowsDir(), "/etc/");
  EXPECT_EQ(GetSystemDir(), "/usr/lib/");
  EXPECT_EQ(GetDesktopDir().back(), '/');
}

TEST(Disks, FreeSpaceAndSizeByDrive) {
  EXPECT_GT(DiskSize(3), 0) << "C: is the root file system";
  EXPECT_GE(DiskFree(3), 0);
  EXPECT_LE(DiskFree(3), DiskSize(3));
  EXPECT_GT(DiskSize(0), 0) << "the current directory";
  EXPECT_EQ(DiskFree(4), -1) << "D: has no root";
  EXPECT_EQ(DiskSize(200), -1);
  EXPECT_EQ(DiskFreeAt("/no-such-dir-nuv"), -1);
}

TEST(Disks, DriveTypeFromTheMountTable) {
  TempDir dir;
  WriteRawFile(dir.File("mounts"),
               "overlay / overlay rw 0 0\n"
               "proc /proc proc rw 0 0\n"
               "tmpfs /tmp tmpfs rw 0 0\n"
               "server:/export /net/data nfs4 rw 0 0\n"
               "/dev/sr0 /media/cd iso9660 ro 0 0\n"
               "/dev/sdb1 /media/usb vfat rw 0 0\n"
               "//server/share /mnt/my\\040disk cifs rw 0 0\n"
               "/dev/sdd1 /tmp/cache ext4 rw 0 0\n");
  const struct {
    const char* path;
    uint32_t type;
  } cases[] = {
      {"/", DRIVE_FIXED},           {"/home/user", DRIVE_FIXED},     {"/tmp", DRIVE_RAMDISK},
      {"/tmp/x", DRIVE_RAMDISK},    {"/tmpx", DRIVE_FIXED},          {"/net/data/a", DRIVE_REMOTE},
      {"/media/cd", DRIVE_CDROM},   {"/media/usb/f", DRIVE_REMOVABLE}, {"/mnt/my disk/f", DRIVE_REMOTE},
      {"/tmp/cache/z", DRIVE_FIXED},
  };
  for (const auto& c : cases)
    EXPECT_EQ(detail::DriveTypeFromMountTable(dir.File("mounts"), c.path), c.type) << "path=" << c.path;
  EXPECT_EQ(detail::DriveTypeFromMountTable(dir.File("none"), "/"), DRIVE_UNKNOWN);
}

TEST(Disks, DriveTypeOfPaths) {
  const uint32_t root = GetDriveType("C:\\");
  EXPECT_TRUE(root >= DRIVE_REMOVABLE && root <= DRIVE_RAMDISK) << "type=" << root;
  EXPECT_EQ(GetDriveType("/"), root);
  EXPECT_EQ(GetDriveType("D:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(GetDriveType("/no-such-dir-nuv"), DRIVE_NO_ROOT_DIR);
}

TEST(Trash, MovesAFileIntoTheTrashOfXdgDataHome) {
  TempDir dir;
  fs::create_directory(dir.Path() / "data");
  // HOME on the same file system as the file, so the home trash is used.
  ScopedEnv home("HOME", dir.Path().c_str());
  ScopedEnv data("XDG_DATA_HOME", (dir.Path() / "data").c_str());
  WriteRawFile(dir.File("old.txt"), "bye");
  ASSERT_TRUE(MoveFileToTrash(dir.File("OLD.TXT"))) << "the name is resolved like every file name";
  EXPECT_FALSE(fs::exists(dir.Path() / "old.txt"));
  EXPECT_TRUE(fs::exists(dir.Path() / "data" / "Trash" / "files" / "old.txt"));
  EXPECT_TRUE(fs::exists(dir.Path() / "data" / "Trash" / "info" / "old.txt.trashinfo"));
  EXPECT_FALSE(MoveFileToTrash(dir.File("none.txt")));
  EXPECT_FALSE(MoveFileToTrash("D:\\x.txt"));
}

TEST(Trash, CreatesAMissingDataDirectoryInsteadOfLitteringTheWorkingDirectory) {
  TempDir dir;
  ScopedEnv home("HOME", dir.Path().c_str());
  ScopedEnv data("XDG_DATA_HOME", (dir.Path() / "not-yet").c_str());
  WriteRawFile(dir.File("f.txt"), "x");
  ASSERT_TRUE(MoveFileToTrash(dir.File("f.txt")));
  EXPECT_TRUE(fs::exists(dir.Path() / "not-yet" / "Trash" / "files" / "f.txt"));
  EXPECT_FALSE(fs::exists(fs::current_path() / "files" / "f.txt"));
}

TEST(System, ProcessorsAndTicks) {
  EXPECT_GE(ProcessorCount(), 1);
  const uint32_t before = GetTickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_GE(static_cast<uint32_t>(GetTickCount() - before), 30u);
}

TEST(System, ThreadPriorityIsBestEffortNice) {
  // On a thread of its own, so that its lowered priority dies with it.
  std::thread([] {
    EXPECT_EQ(GetThreadPriority(), THREAD_PRIORITY_NORMAL);
    const int before = getpriority(PRIO_PROCESS, 0);
    ASSERT_TRUE(SetThreadPriority(THREAD_PRIORITY_LOWEST));
    EXPECT_EQ(GetThreadPriority(), THREAD_PRIORITY_LOWEST);
    EXPECT_GT(getpriority(PRIO_PROCESS, 0), before);
    ASSERT_TRUE(SetThreadPriority(THREAD_PRIORITY_IDLE));
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), 19);
    EXPECT_FALSE(SetThreadPriority(7)) << "no such priority";
    EXPECT_FALSE(SetPriorityClass(0x1234)) << "no such class";
    EXPECT_EQ(GetThreadPriority(), THREAD_PRIORITY_IDLE);
  }).join();
  EXPECT_EQ(GetThreadPriority(), THREAD_PRIORITY_NORMAL) << "per thread";
  const uint32_t c = GetPriorityClass();
  EXPECT_TRUE(c == NORMAL_PRIORITY_CLASS || c == BELOW_NORMAL_PRIORITY_CLASS || c == IDLE_PRIORITY_CLASS ||
              c == ABOVE_NORMAL_PRIORITY_CLASS || c == HIGH_PRIORITY_CLASS || c == REALTIME_PRIORITY_CLASS);
}

}  // namespace
}  // namespace nuv
