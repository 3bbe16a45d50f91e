#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "FileFixtures.h"
#include "Nuv_filesys_test_data.h"
#include "TempDir.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {
namespace {

namespace fs = std::filesystem;
using testing::ReadRawFile;
using testing::TempDir;
using testing::WriteRawFile;

// kind, size, mtime, link target of each entry below root, seen with lstat.
using TListing = std::map<std::string, std::tuple<char, int64_t, int64_t, std::string>>;

TListing ListTree(const fs::path& root) {
  TListing listing;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string rel = e.path().lexically_relative(root).string();
    struct stat st {};
    ::lstat(e.path().c_str(), &st);
    if (S_ISLNK(st.st_mode))
      listing[rel] = {'l', 0, 0, fs::read_symlink(e.path()).string()};
    else if (S_ISDIR(st.st_mode))
      listing[rel] = {'d', 0, 0, ""};
    else
      listing[rel] = {'f', st.st_size, st.st_mtim.tv_sec, ""};
  }
  return listing;
}

TListing ListingOf(std::span<const TTreeItem> items) {
  TListing listing;
  for (const TTreeItem& i : items) listing[i.Path] = {i.Kind, i.Size, i.MTime, i.Target};
  return listing;
}

// The test tree in a fresh directory; Root() is its library name with "/".
class FilesysTree : public ::testing::Test {
 protected:
  void SetUp() override { BuildTestTree(dir_.Path()); }
  std::string Root() const { return Utf8ToAnsi(dir_.Path().string()) + "/"; }
  fs::path Os(const std::string& rel) const { return dir_.Path() / rel; }
  TempDir dir_;
};

std::vector<std::string> Prefixed(const std::string& prefix, const std::vector<std::string>& names) {
  std::vector<std::string> result;
  for (const std::string& n : names) result.push_back(prefix + n);
  return result;
}

TEST_F(FilesysTree, ScansMatchPythonsWalkWithoutFollowingLinks) {
  for (const TScanItem& scan : kScans) {
    SCOPED_TRACE(scan.Mask);
    std::vector<std::string> list{"kept"};
    std::vector<std::pair<std::string, int32_t>> entered;
    ScanFilesToStrList(Root() + "data/" + scan.Mask, scan.Recursive, list,
                       [&](const std::string& d, int32_t n) { entered.emplace_back(d, n); });
    std::vector<std::string> want{"kept"};
    for (const std::string& n : Prefixed(AnsiUpperCase(Root()), scan.Names)) want.push_back(n);
    EXPECT_EQ(list, want) << "appended in walk order";
    EXPECT_EQ(CountFiles(Root() + "data/" + scan.Mask, scan.Recursive, nullptr),
              static_cast<int32_t>(scan.Names.size()));
    // Every real directory once, in the walk's order; links are not entered.
    std::vector<std::string> dirs;
    for (const TWalkItem& w : kWalk)
      if (scan.Recursive || std::string(w.Dir) == "data")
        dirs.push_back(AnsiUpperCase(Root() + w.Dir + "/"));
    ASSERT_EQ(entered.size(), dirs.size());
    for (std::size_t i = 0; i < dirs.size(); ++i) EXPECT_EQ(entered[i].first, dirs[i]);
    EXPECT_TRUE(std::is_sorted(entered.begin(), entered.end(),
                               [](const auto& a, const auto& b) { return a.second < b.second; }));
  }
}

TEST_F(FilesysTree, ScanNamesKeepTheCallersSeparator) {
  std::string back = Root();
  std::replace(back.begin(), back.end(), '/', '\\');
  std::vector<std::string> list;
  ScanFilesToStrList("C:" + back + "data\\*.csv", true, list, nullptr);
  EXPECT_EQ(list, std::vector<std::string>{"C:" + AnsiUpperCase(back) + "DATA\\SUB\\E.csv"});
  list.clear();
  const std::string cwd = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(Root() + "data"));
  ScanFilesToStrList("*.csv", true, list, nullptr);
  ScanFilesToStrList("*.dat", false, list, nullptr);
  ASSERT_TRUE(SetCurrentDir(cwd));
  EXPECT_EQ(list, (std::vector<std::string>{"SUB/E.csv", "c.dat"})) << "a mask without directory";
}

TEST_F(FilesysTree, ScansOfWhatIsNoDirectory) {
  for (const std::string& mask : std::vector<std::string>{Root() + "missing/*.*", Root() + "data/a.txt/*.*", "D:\\*.*",
                                 Root() + "data/"}) {
    std::vector<std::string> list;
    ScanFilesToStrList(mask, true, list, nullptr);
    EXPECT_TRUE(list.empty()) << mask;
    EXPECT_EQ(CountFiles(mask, true, nullptr), 0) << mask;
  }
}

TEST_F(FilesysTree, CopyTreeMatchesShutilCopytree) {
  std::vector<std::string> names;
  int32_t lastCount = 0;
  ASSERT_EQ(CopyFileTree(Root() + "data", Root() + "copy", false,
                         [&](int32_t, int32_t, const std::string& name, int32_t count) {
                           if (names.empty() || names.back() != name) names.push_back(name);
                           EXPECT_GE(count, lastCount);
                           lastCount = count;
                         }),
            fcOk);
  EXPECT_EQ(ListTree(Os("copy")), ListingOf(kCopy));
  for (const TTreeItem& item : kCopy)
    if (item.Kind == 'f') {
      const std::string source = std::string("data/") + item.Path;
      EXPECT_EQ(ReadRawFile(Os("copy/" + std::string(item.Path)).string()),
                TreeContent(source, item.Size))
          << item.Path;
    }
  const auto files = std::count_if(std::begin(kCopy), std::end(kCopy),
                                   [](const TTreeItem& i) { return i.Kind != 'd'; });
  EXPECT_EQ(lastCount, files);
  EXPECT_EQ(static_cast<int64_t>(names.size()), files);
  EXPECT_EQ(names.front(), Root() + "copy/.hidden") << "destination names, in walk order";
  EXPECT_TRUE(fs::exists(Os("victim/keep.txt")));
}

TEST_F(FilesysTree, CopyTreeOntoItselfOrIntoItselfChangesNothing) {
  const TListing before = ListTree(dir_.Path());
  std::string back = Root();
  std::replace(back.begin(), back.end(), '/', '\\');
  const struct {
    std::string dest;
    int32_t rc;
    const char* what;
  } cases[] = {
      {Root() + "DATA", fcOk, "the same directory in other case"},
      {"C:" + back + "data\\", fcOk, "the same in Windows form"},
      {Root() + "data/sub/..", fcOk, "the same through .."},
      {Root() + "data/sub/inner", fcDestInsideSource, "a new subdirectory"},
      {Root() + "data/SUB", fcDestInsideSource, "an existing subdirectory"},
      {Root() + "data/empty/../sub/x/y", fcDestInsideSource, "deeper, through .."},
  };
  for (const auto& c : cases) {
    int32_t calls = 0;
    EXPECT_EQ(CopyFileTree(Root() + "data", c.dest, false,
                           [&](int32_t, int32_t, const std::string&, int32_t) { ++calls; }),
              c.rc)
        << c.what;
    EXPECT_EQ(calls, 0) << c.what;
    EXPECT_EQ(ListTree(dir_.Path()), before) << c.what;
  }
  EXPECT_EQ(CopyFileTree(Root() + "data/sub", Root() + "data/sub2copy", false, nullptr), fcOk)
      << "a sibling is no subdirectory";
}

TEST_F(FilesysTree, CopyTreeBadArgumentsAndCancellation) {
  EXPECT_EQ(CopyFileTree(Root() + "missing", Root() + "out", false, nullptr), fcSourceError);
  EXPECT_EQ(CopyFileTree(Root() + "data/a.txt", Root() + "out", false, nullptr), fcSourceError);
  EXPECT_EQ(CopyFileTree("", Root() + "out", false, nullptr), fcSourceError);
  EXPECT_EQ(CopyFileTree(Root() + "data", Root() + "victim/keep.txt/x", false, nullptr), fcDestError);
  EXPECT_EQ(CopyFileTree(Root() + "data", "", false, nullptr), fcDestError);
  EXPECT_FALSE(fs::exists(Os("out")));

  const int32_t rc = CopyFileTree(Root() + "data", Root() + "out", false,
                                  [&](int32_t, int32_t, const std::string&, int32_t count) {
                                    if (count == 3) AbortAnyFileCopying();
                                  });
  EXPECT_EQ(rc, fcCancelled);
  std::vector<std::string> copied;
  for (const auto& e : fs::recursive_directory_iterator(Os("out")))
    copied.push_back(e.path().lexically_relative(Os("out")).string());
  std::sort(copied.begin(), copied.end());
  EXPECT_EQ(copied, (std::vector<std::string>{".hidden", "a.txt"}))
      << "the walk stops; the cancelled file is not left half-written";
}

TEST_F(FilesysTree, DelDirTreeRemovesLinksNotWhatTheyPointTo) {
  std::string failed = "stale";
  ASSERT_TRUE(DelDirTree(Root() + "data", failed));
  EXPECT_EQ(failed, "");
  EXPECT_FALSE(fs::exists(Os("data")));
  EXPECT_EQ(ReadRawFile(Os("victim/keep.txt").string()), TreeContent("victim/keep.txt", 6));

  fs::create_directory(Os("d"));
  fs::create_directory_symlink(Os("victim"), Os("d/link"));
  ASSERT_TRUE(DelDirTree(Root() + "d/link", failed)) << "a link given as the tree";
  EXPECT_TRUE(fs::exists(Os("d")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(Os("d/link"))));
  EXPECT_TRUE(fs::exists(Os("victim/keep.txt")));
}

TEST_F(FilesysTree, DelDirTreeFailures) {
  std::string failed;
  EXPECT_FALSE(DelDirTree(Root() + "missing", failed));
  EXPECT_EQ(failed, Root() + "missing");
  EXPECT_FALSE(DelDirTree(Root() + "victim/keep.txt", failed)) << "a file is no tree";
  EXPECT_EQ(failed, Root() + "victim/keep.txt");
  EXPECT_TRUE(fs::exists(Os("victim/keep.txt")));
  EXPECT_FALSE(DelDirTree("", failed));
  // Entries that nobody, root included, may delete.
  EXPECT_FALSE(DelDirTree("/proc/self/fdinfo", failed));
  EXPECT_EQ(failed.rfind("/proc/self/fdinfo/", 0), 0u) << failed;
}

TEST_F(FilesysTree, DeleteFilesSparesDirectoriesLinksToThemAndDotNames) {
  EXPECT_EQ(DeleteFiles(Root() + "data/*"), 7);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(Os("data"))) left.push_back(e.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".hidden", "Sub2", "empty", "outside", "sub"}));
  EXPECT_TRUE(fs::exists(Os("victim/keep.txt")));
  EXPECT_TRUE(fs::exists(Os("data/sub/d.txt"))) << "not recursive";
  EXPECT_EQ(DeleteFiles(Root() + "data/sub/*.TXT"), 1);
  EXPECT_EQ(DeleteFiles(Root() + "missing/*"), 0);
  EXPECT_EQ(DeleteFiles(""), 0);
}

TEST_F(FilesysTree, MoveToRecycleBinCountsWhatWasMoved) {
  // The trash of a data home on the tree's file system.
  fs::create_directory(Os("xdg"));
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const std::string oldXdg = xdg ? xdg : "";
  ::setenv("HOME", dir_.Path().c_str(), 1);
  ::setenv("XDG_DATA_HOME", Os("xdg").c_str(), 1);
  const int32_t moved = MoveToRecycleBin(Root() + "data/?.TXT");
  const int32_t dotNames = MoveToRecycleBin(Root() + "data/.*");
  ::setenv("HOME", home.c_str(), 1);
  if (xdg)
    ::setenv("XDG_DATA_HOME", oldXdg.c_str(), 1);
  else
    ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(moved, 2);
  EXPECT_EQ(dotNames, 0);
  EXPECT_TRUE(fs::exists(Os("data/.hidden")));
  EXPECT_TRUE(fs::exists(Os("xdg/Trash/files/a.txt")));
  EXPECT_TRUE(fs::exists(Os("xdg/Trash/files/B.TXT")));
  EXPECT_FALSE(fs::exists(Os("data/a.txt")));
  EXPECT_TRUE(fs::exists(Os("data/sub/d.txt")));
}

TEST_F(FilesysTree, CaseRenamingSkipsClashesAndRecursesIntoMatches) {
  WriteRawFile(Os("data/A.TXT").string(), "other file");
  EXPECT_EQ(SetAllFilenameCase(Root() + "data/*", true), 16);
  EXPECT_EQ(ReadRawFile(Os("data/A.TXT").string()), "other file") << "never renamed over";
  EXPECT_EQ(ReadRawFile(Os("data/a.txt").string()), TreeContent("data/a.txt", 10));
  for (const char* name : {"data/B.TXT", "data/C.DAT", "data/\xC3\x89T\xC3\x89.TXT", "data/SUB/D.TXT",
                           "data/SUB/DEEPER/F.TXT", "data/SUB2/G.TXT", "data/OUTSIDE", "data/SUB/LOOP",
                           "data/.HIDDEN"})
    EXPECT_TRUE(fs::exists(fs::symlink_status(Os(name)))) << name;
  EXPECT_TRUE(fs::exists(Os("victim/keep.txt"))) << "not renamed through the link";
  EXPECT_EQ(SetAllFilenameCase(Root() + "data/*.txt", false), 4) << "all *.TXT but A.TXT";
  EXPECT_TRUE(fs::exists(Os("data/SUB/D.TXT"))) << "SUB does not match *.txt";
  EXPECT_EQ(SetAllFilenameCase(Root() + "missing/*", false), 0);
}

TEST_F(FilesysTree, FileDetectSearchesSubdirectoriesOnly) {
  const struct {
    std::string name, found;
  } cases[] = {
      {Root() + "data/a.txt", Root() + "data/a.txt"},
      {Root() + "data/f.txt", Root() + "data/sub/deeper/f.txt"},
      {Root() + "data/G.txt", Root() + "data/Sub2/g.TXT"},
      {Root() + "data/keep.txt", ""},
      {Root() + "data/none.txt", ""},
      {Root() + "missing/a.txt", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FileDetect(c.name), c.found) << c.name;
}

}  // namespace
}  // namespace nuv
