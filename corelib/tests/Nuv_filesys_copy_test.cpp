#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/Nuv_filesys.h"

namespace nuv {
namespace {

namespace fs = std::filesystem;
using testing::ReadRawFile;
using testing::TempDir;
using testing::WriteRawFile;

using TCalls = std::vector<std::pair<int32_t, int32_t>>;

// The calls a complete copy of size bytes makes: the start, one before
// each 8192-byte block (the last one short, possibly empty), the end.
TCalls CompleteCalls(int32_t size) {
  TCalls calls{{0, size}};
  for (int32_t done = 0; done <= size; done += 8192) calls.emplace_back(done, size);
  calls.emplace_back(size, size);
  return calls;
}

std::string Pattern(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
  return s;
}

timespec MTimeOf(const std::string& name) {
  struct stat st {};
  ::stat(name.c_str(), &st);
  return st.st_mtim;
}

mode_t ModeOf(const std::string& name) {
  struct stat st {};
  ::stat(name.c_str(), &st);
  return st.st_mode & 07777;
}

// Entries of a directory other than the given ones: temporary files left
// behind show up here.
std::vector<std::string> Leftovers(const fs::path& dir, std::vector<std::string> expected) {
  std::vector<std::string> extra;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (std::find(expected.begin(), expected.end(), name) == expected.end()) extra.push_back(name);
  }
  return extra;
}

TEST(FileCopyFeedBk, BlocksCallbacksContentAndDate) {
  TempDir dir;
  for (const int32_t size : {0, 1, 8191, 8192, 8193, 3 * 8192 + 5, (1 << 20) + 3, 3 << 20}) {
    SCOPED_TRACE(size);
    const std::string src = dir.File("src.bin"), dest = dir.File("dest.bin");
    WriteRawFile(src, Pattern(static_cast<std::size_t>(size)));
    const timespec times[2] = {{0, UTIME_OMIT}, {1234567890, 123456789}};
    ::utimensat(AT_FDCWD, src.c_str(), times, 0);
    TCalls calls;
    ASSERT_EQ(FileCopyFeedBk(src, dest, false,
                             [&](int32_t done, int32_t total) { calls.emplace_back(done, total); }),
              fcOk);
    EXPECT_EQ(calls, CompleteCalls(size));
    EXPECT_EQ(ReadRawFile(dest), Pattern(static_cast<std::size_t>(size)));
    EXPECT_EQ(MTimeOf(dest).tv_sec, 1234567890);
    EXPECT_EQ(MTimeOf(dest).tv_nsec, 123456789);
    EXPECT_TRUE(Leftovers(dir.Path(), {"src.bin", "dest.bin"}).empty());
  }
}

TEST(FileCopyFeedBk, IntoADirectoryAndOverAnExistingFile) {
  TempDir dir;
  fs::create_directory(dir.Path() / "out");
  WriteRawFile(dir.File("a.txt"), "new content");
  EXPECT_EQ(FileCopyFeedBk(dir.File("a.txt"), dir.File("OUT"), false, nullptr), fcOk);
  EXPECT_EQ(ReadRawFile(dir.File("out/a.txt")), "new content");
  WriteRawFile(dir.File("old.txt"), "old content that is longer");
  ::chmod(dir.File("old.txt").c_str(), 0600);
  EXPECT_EQ(FileCopyFeedBk(dir.File("a.txt"), dir.File("old.txt"), false, nullptr), fcOk);
  EXPECT_EQ(ReadRawFile(dir.File("old.txt")), "new content");
  EXPECT_EQ(ModeOf(dir.File("old.txt")), 0600u) << "a replaced file keeps its permissions";
  std::string back = dir.File("a.txt");
  std::replace(back.begin(), back.end(), '/', '\\');
  EXPECT_EQ(FileCopyFeedBk("C:" + back, dir.File("b.txt"), false, nullptr), fcOk)
      << "Windows form of the name";
  EXPECT_EQ(ReadRawFile(dir.File("b.txt")), "new content");
}

TEST(FileCopyFeedBk, OntoItselfLeavesTheSourceIntact) {
  TempDir dir;
  const std::string src = dir.File("data.txt");
  WriteRawFile(src, "precious");
  ASSERT_EQ(::link(src.c_str(), dir.File("hard.txt").c_str()), 0);
  const struct {
    std::string dest;
    const char* what;
  } cases[] = {
      {src, "the file itself"},
      {dir.Path().string(), "its own directory"},
      {dir.File("DATA.TXT"), "the same name in other case"},
      {dir.File("hard.txt"), "a hard link to it"},
  };
  for (const auto& c : cases) {
    TCalls calls;
    EXPECT_EQ(FileCopyFeedBk(src, c.dest, false,
                             [&](int32_t done, int32_t total) { calls.emplace_back(done, total); }),
              fcDestError)
        << c.what;
    EXPECT_EQ(ReadRawFile(src), "precious") << c.what;
    EXPECT_EQ(calls, (TCalls{{0, 8}, {0, 8}})) << c.what;
  }
  EXPECT_TRUE(Leftovers(dir.Path(), {"data.txt", "hard.txt"}).empty());
}

TEST(FileCopyFeedBk, BadSourcesAndDestinations) {
  TempDir dir;
  WriteRawFile(dir.File("a.txt"), "abc");
  WriteRawFile(dir.File("keep.txt"), "kept");
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
  fs::create_directory(dir.Path() / "sub");
  const struct {
    std::string src, dest;
    int32_t rc;
    const char* what;
  } cases[] = {
      {dir.File("missing.txt"), dir.File("keep.txt"), fcSourceError, "missing source"},
      {"", dir.File("x.txt"), fcSourceError, "empty source"},
      {dir.File("sub"), dir.File("x.txt"), fcSourceError, "a directory as source"},
      {dir.File("fifo"), dir.File("x.txt"), fcSourceError, "a pipe as source (must not block)"},
      {dir.File("a.txt/x"), dir.File("x.txt"), fcSourceError, "a file as directory"},
      {dir.File("a.txt"), "", fcDestError, "empty destination"},
      {dir.File("a.txt"), dir.File("nodir/x.txt"), fcDestError, "missing directory"},
      {dir.File("a.txt"), dir.File("keep.txt/x.txt"), fcDestError, "a file as directory"},
      {dir.File("a.txt"), "/proc/nuv-copy.txt", fcDestError, "a directory nobody can write"},
      {dir.File("a.txt"), "D:\\x.txt", fcDestError, "a drive without root"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileCopyFeedBk(c.src, c.dest, false, nullptr), c.rc) << c.what;
    EXPECT_EQ(ReadRawFile(dir.File("keep.txt")), "kept") << c.what;
  }
  EXPECT_TRUE(Leftovers(dir.Path(), {"a.txt", "keep.txt", "fifo", "sub"}).empty());
}

TEST(FileCopyFeedBk, FilesThatSayTheyAreEmptyAndFilesThatCannotBeRead) {
  TempDir dir;
  const std::string dest = dir.File("status.txt");
  TCalls calls;
  ASSERT_EQ(FileCopyFeedBk("/proc/self/status", dest, false,
                           [&](int32_t done, int32_t total) { calls.emplace_back(done, total); }),
            fcOk);
  const std::string copied = ReadRawFile(dest);
  EXPECT_EQ(copied.rfind("Name:", 0), 0u) << "read to its end, not to its size of 0";
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.back(), (std::pair<int32_t, int32_t>(static_cast<int32_t>(copied.size()), 0)));
  // Reading fails for everybody, root included.
  EXPECT_EQ(FileCopyFeedBk("/proc/self/clear_refs", dir.File("x"), false, nullptr), fcReadError);
  EXPECT_TRUE(Leftovers(dir.Path(), {"status.txt"}).empty()) << "no partial file";
}

TEST(FileCopyFeedBk, CancellationHasItsOwnCodeAndLeavesNoPartialFile) {
  TempDir dir;
  const std::string src = dir.File("big.bin"), fresh = dir.File("fresh.bin"), old = dir.File("old.bin");
  WriteRawFile(src, Pattern(100000));
  WriteRawFile(old, "the previous version");
  for (const std::string& dest : {fresh, old}) {
    TCalls calls;
    const int32_t rc = FileCopyFeedBk(src, dest, false, [&](int32_t done, int32_t total) {
      calls.emplace_back(done, total);
      if (done == 3 * 8192) AbortAnyFileCopying();
    });
    EXPECT_EQ(rc, fcCancelled) << dest;
    // The block whose call cancelled is the last one copied.
    EXPECT_EQ(calls, (TCalls{{0, 100000}, {0, 100000}, {8192, 100000}, {16384, 100000},
                             {24576, 100000}, {32768, 100000}}))
        << dest;
  }
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_EQ(ReadRawFile(old), "the previous version");
  EXPECT_TRUE(Leftovers(dir.Path(), {"big.bin", "old.bin"}).empty());
  AbortAnyFileCopying();
  EXPECT_EQ(FileCopyFeedBk(src, fresh, false, nullptr), fcOk) << "each copy clears the flag";
}

TEST(FileCopyFeedBk, CancelledFromAnotherThread) {
  TempDir dir;
  const std::string src = dir.File("big.bin");
  WriteRawFile(src, Pattern(1 << 20));
  int32_t calls = 0;
  const int32_t rc = FileCopyFeedBk(src, dir.File("copy.bin"), false, [&](int32_t, int32_t) {
    if (++calls == 10) std::thread(AbortAnyFileCopying).join();
  });
  EXPECT_EQ(rc, fcCancelled);
  EXPECT_EQ(calls, 11) << "the start, nine blocks (the last one cancelling), the end";
  EXPECT_FALSE(fs::exists(dir.Path() / "copy.bin"));
}

TEST(FileCopyFeedBk, ReadOnlyAndOtherPermissions) {
  TempDir dir;
  const mode_t savedMask = ::umask(022);
  const std::string ro = dir.File("ro.txt"), exe = dir.File("run.sh");
  WriteRawFile(ro, "r");
  WriteRawFile(exe, "#!/bin/sh\n");
  ::chmod(ro.c_str(), 0444);
  ::chmod(exe.c_str(), 0755);
  const struct {
    std::string src;
    bool clear;
    mode_t mode;
  } cases[] = {
      {ro, true, 0644}, {ro, false, 0644}, {exe, true, 0755}, {exe, false, 0644},
  };
  for (const auto& c : cases) {
    const std::string dest = dir.File("copy");
    fs::remove(dest);
    ASSERT_EQ(FileCopyFeedBk(c.src, dest, c.clear, nullptr), fcOk) << c.src;
    EXPECT_EQ(ModeOf(dest), c.mode) << c.src << " clear=" << c.clear;
  }
  ::umask(savedMask);
}

TEST(FileCopyFeedBk, SparseFileBeyondTwoGiB) {
  TempDir dir;
  const std::string src = dir.File("sparse.bin"), dest = dir.File("copy.bin");
  const int64_t size = (int64_t{5} << 29) + 8192 * 3 + 17;
  const int fd = ::open(src.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, "head", 4, 0), 4);
  const int64_t middle = (int64_t{1} << 31) + 12345;  // beyond the int32 range
  ASSERT_EQ(::pwrite(fd, "middle", 6, middle), 6);
  ASSERT_EQ(::ftruncate(fd, size), 0);
  ::close(fd);
  int64_t calls = 0;
  int32_t lastDone = -1;
  bool ordered = true;
  ASSERT_EQ(FileCopyFeedBk(src, dest, false,
                           [&](int32_t done, int32_t total) {
                             ordered = ordered && total == INT32_MAX && done >= lastDone;
                             lastDone = done;
                             ++calls;
                           }),
            fcOk);
  EXPECT_TRUE(ordered) << "byte counts clamp to the int32 range";
  EXPECT_EQ(lastDone, INT32_MAX);
  EXPECT_EQ(calls, size / 8192 + 3);
  EXPECT_EQ(GetFileSize(dest), size);
  struct stat st {};
  ::stat(dest.c_str(), &st);
  EXPECT_LT(st.st_blocks * 512, 1 << 20) << "the holes stay holes";
  char buf[6] = {};
  const int in = ::open(dest.c_str(), O_RDONLY);
  ASSERT_EQ(::pread(in, buf, 4, 0), 4);
  EXPECT_EQ(std::string(buf, 4), "head");
  ASSERT_EQ(::pread(in, buf, 6, middle), 6);
  EXPECT_EQ(std::string(buf, 6), "middle");
  ::close(in);
}

}  // namespace
}  // namespace nuv
