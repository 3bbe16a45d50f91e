#include "nuv/platform/FileUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/Streams.h"
#include "nuv/platform/TextFile.h"

namespace nuv {
namespace {

namespace fs = std::filesystem;
using testing::ReadRawFile;
using testing::TempDir;
using testing::WriteRawFile;

std::vector<std::string> Listing(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(OsFileName, SeparatorsDrivesAndCodePage) {
  EXPECT_EQ(OsFileName("C:\\no-such-dir-nuv\\x.txt"), "/no-such-dir-nuv/x.txt");
  EXPECT_EQ(OsFileName("c:"), "/");
  EXPECT_EQ(OsFileName("rel\\no-such-nuv/a"), "rel/no-such-nuv/a");
  EXPECT_EQ(OsFileName("D:\\data"), "") << "drives other than C: have no root";
  EXPECT_EQ(OsFileName("no-such-nuv-\xE9"), "no-such-nuv-\xC3\xA9") << "1252 bytes become UTF-8";
  EXPECT_EQ(AnsiFileName("\xC3\xA9t\xC3\xA9"), "\xE9t\xE9");
  EXPECT_FALSE(FileExists("D:\\etc\\passwd"));
  EXPECT_TRUE(DirectoryExists("C:\\"));
}

TEST(OsFileName, CaseInsensitiveFallbackWhenTheExactNameIsMissing) {
  TempDir dir;
  fs::create_directories(dir.Path() / "Data" / "Sub");
  WriteRawFile(dir.File("Data/Sub/File.TXT"), "content\n");
  const std::string other = dir.File("DATA\\sub\\file.txt");

  EXPECT_TRUE(FileExists(other));
  EXPECT_EQ(FileSizeOf(other), 8);
  TFileStream s(other, fmOpenRead);
  EXPECT_EQ(s.Size(), 8);
  TextFile t(other);
  t.Reset();
  std::string line;
  t.ReadLn(line);
  EXPECT_EQ(line, "content");

  // A file created under another case replaces the existing one instead of
  // making a second file that later opens would not see.
  TextFile w(dir.File("data/SUB/FILE.txt"));
  w.Rewrite();
  w.WriteLn("new");
  w.Close();
  EXPECT_EQ(Listing(dir.Path() / "Data" / "Sub"), std::vector<std::string>{"File.TXT"});
  EXPECT_EQ(ReadRawFile(dir.File("Data/Sub/File.TXT")), "new\r\n");

  // A missing last component keeps its spelling under the resolved parent.
  EXPECT_EQ(OsFileName(dir.File("DATA/SUB/New.txt")), dir.File("Data/Sub/New.txt"));
}

TEST(OsFileName, AnExactNameWinsOverCaseVariants) {
  TempDir dir;
  WriteRawFile(dir.File("x.txt"), "lower");
  WriteRawFile(dir.File("X.TXT"), "upper");
  TMemoryStream m;
  m.LoadFromFile(dir.File("x.txt"));
  EXPECT_EQ(std::string(m.Memory(), 5), "lower");
  m.LoadFromFile(dir.File("X.TXT"));
  EXPECT_EQ(std::string(m.Memory(), 5), "upper");
  m.LoadFromFile(dir.File("X.txt"));
  EXPECT_EQ(std::string(m.Memory(), 5), "upper") << "first in byte order";
}

TEST(RenameFile, RefusesAnExistingTarget) {
  TempDir dir;
  WriteRawFile(dir.File("a.txt"), "a");
  WriteRawFile(dir.File("b.txt"), "b");
  EXPECT_FALSE(RenameFile(dir.File("a.txt"), dir.File("b.txt")));
  EXPECT_FALSE(RenameFile(dir.File("a.txt"), dir.File("B.TXT"))) << "the target exists in another case";
  EXPECT_EQ(ReadRawFile(dir.File("a.txt")), "a");
  EXPECT_EQ(ReadRawFile(dir.File("b.txt")), "b");
  EXPECT_FALSE(RenameFile(dir.File("none.txt"), dir.File("c.txt")));

  EXPECT_TRUE(RenameFile(dir.File("a.txt"), dir.File("c.txt")));
  EXPECT_TRUE(RenameFile(dir.File("c.txt"), dir.File("C.TXT"))) << "changing only the case";
  EXPECT_TRUE(RenameFile(dir.File("C.TXT"), dir.File("C.TXT")));
  fs::create_directory(dir.Path() / "d");
  EXPECT_TRUE(RenameFile(dir.File("d"), dir.File("e"))) << "directories too";
  EXPECT_EQ(Listing(dir.Path()), (std::vector<std::string>{"C.TXT", "b.txt", "e"}));
}

TEST(FileUtils, CreateDeleteAndDirectories) {
  TempDir dir;
  const std::string deep = dir.File("a\\b\\c");
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(dir.File("A/B/c/d"))) << "existing parts resolved by case";
  EXPECT_TRUE(fs::is_directory(dir.Path() / "a" / "b" / "c" / "d"));
  EXPECT_FALSE(CreateDir(deep)) << "exists";
  EXPECT_FALSE(CreateDir(dir.File("x/y"))) << "no parent";
  EXPECT_FALSE(FileExists(deep)) << "a directory is no file";
  EXPECT_FALSE(RemoveDir(dir.File("a/b/c"))) << "not empty";
  EXPECT_FALSE(DeleteFile(dir.File("a/b/c/d"))) << "DeleteFile leaves directories";
  EXPECT_TRUE(RemoveDir(dir.File("a/b/c/d")));

  WriteRawFile(dir.File("f.txt"), "12345");
  EXPECT_EQ(FileSizeOf(dir.File("f.txt")), 5);
  EXPECT_EQ(FileSizeOf(dir.File("a")), -1);
  EXPECT_EQ(FileSizeOf(dir.File("none")), -1);
  EXPECT_TRUE(DeleteFile(dir.File("F.TXT")));
  EXPECT_FALSE(FileExists(dir.File("f.txt")));
  EXPECT_FALSE(DeleteFile(dir.File("f.txt")));
}

TEST(FileUtils, DatesAttributesAndCopy) {
  TempDir dir;
  const std::string src = dir.File("src.txt");
  WriteRawFile(src, "data");
  const TDateTime when = EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 789);
  ASSERT_TRUE(FileSetDate(src, when));
  TDateTime age = 0;
  ASSERT_TRUE(FileAge(src, age));
  EXPECT_NEAR(age, when, 0.5 / MSecsPerDay);
  EXPECT_FALSE(FileAge(dir.File("none"), age));

  EXPECT_EQ(FileGetAttr(src), faArchive);
  EXPECT_EQ(FileSetAttr(src, faReadOnly | faArchive), 0);
  EXPECT_EQ(FileGetAttr(src), faReadOnly | faArchive);
  EXPECT_EQ(FileGetAttr(dir.File("none")), -1);

  const std::string dst = dir.File("dst.txt");
  ASSERT_TRUE(CopyFile(src, dst, true));
  EXPECT_EQ(ReadRawFile(dst), "data");
  ASSERT_TRUE(FileAge(dst, age));
  EXPECT_NEAR(age, when, 0.5 / MSecsPerDay) << "the copy keeps the date";
  EXPECT_EQ(FileGetAttr(dst), faReadOnly | faArchive) << "and the read-only bit";
  EXPECT_FALSE(CopyFile(src, dst, true)) << "FailIfExists";
  EXPECT_EQ(FileSetAttr(dst, faArchive), 0);
  EXPECT_EQ(FileGetAttr(dst), faArchive);
  WriteRawFile(src + ".2", "other");
  EXPECT_TRUE(CopyFile(src + ".2", dst, false));
  EXPECT_EQ(ReadRawFile(dst), "other");
  EXPECT_FALSE(CopyFile(dir.File("none"), dir.File("x"), false));
}

class FindFirstTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.txt", "B.TXT", "c.dat", "noext", ".hidden", "readonly.txt", "\xE9t\xE9.txt"})
      WriteRawFile(dir.File(AnsiToUtf8(name)), name);
    fs::create_directory(dir.Path() / "sub");
    fs::create_directory(dir.Path() / "sub.txt");
    ::chmod(dir.File("readonly.txt").c_str(), 0444);
  }

  std::vector<std::string> Find(const std::string& mask, int32_t attr) {
    std::vector<std::string> names;
    TSearchRec rec;
    for (int32_t r = FindFirst(dir.File(mask), attr, rec); r == 0; r = FindNext(rec)) names.push_back(rec.Name);
    FindClose(rec);
    return names;
  }

  TempDir dir;
};

TEST_F(FindFirstTest, WildcardsAndAttributeFilter) {
  using V = std::vector<std::string>;
  const struct {
    const char* mask;
    int32_t attr;
    V expected;
  } cases[] = {
      {"*.*", 0, {"a.txt", "B.TXT", "c.dat", "noext", "readonly.txt", "\xE9t\xE9.txt"}},
      {"*", faAnyFile, {".hidden", "a.txt", "B.TXT", "c.dat", "noext", "readonly.txt", "sub", "sub.txt", "\xE9t\xE9.txt"}},
      {"*.TXT", 0, {"a.txt", "B.TXT", "readonly.txt", "\xE9t\xE9.txt"}},
      {"*.txt", faDirectory, {"a.txt", "B.TXT", "readonly.txt", "sub.txt", "\xE9t\xE9.txt"}},
      {"?.txt", 0, {"a.txt", "B.TXT"}},
      {"\xC9T\xC9.*", 0, {"\xE9t\xE9.txt"}},
      {"noext.*", 0, {"noext"}},
      {"*.h*", faHidden, {".hidden"}},
      {"*.h*", 0, {}},
      {"b.txt", 0, {"B.TXT"}},
      {"*d*", 0, {"c.dat", "readonly.txt"}},
      {"*u*", faDirectory, {"sub", "sub.txt"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Find(c.mask, c.attr), c.expected) << "mask=" << c.mask << " attr=" << c.attr;
}

TEST_F(FindFirstTest, EntriesCarryAttributesSizeAndDate) {
  TSearchRec rec;
  ASSERT_EQ(FindFirst(dir.File("readonly.txt"), 0, rec), 0);
  EXPECT_EQ(rec.Name, "readonly.txt");
  EXPECT_EQ(rec.Attr, faReadOnly | faArchive);
  EXPECT_EQ(rec.Size, 12);
  TDateTime age = 0;
  ASSERT_TRUE(FileAge(dir.File("readonly.txt"), age));
  EXPECT_EQ(rec.Time, age);
  EXPECT_EQ(FindNext(rec), ioNoMoreFiles);
  EXPECT_EQ(FindNext(rec), ioNoMoreFiles);
  FindClose(rec);

  ASSERT_EQ(FindFirst(dir.File("sub"), faDirectory, rec), 0);
  EXPECT_EQ(rec.Attr, faDirectory);
  ASSERT_EQ(FindFirst(dir.File(".hidden"), faHidden, rec), 0);
  EXPECT_EQ(rec.Attr, faHidden | faArchive);
  FindClose(rec);
}

TEST_F(FindFirstTest, MissingDirectoryAndNoMatch) {
  TSearchRec rec;
  EXPECT_EQ(FindFirst(dir.File("nodir\\*.*"), faAnyFile, rec), ioPathNotFound);
  EXPECT_EQ(FindFirst(dir.File("*.none"), faAnyFile, rec), ioFileNotFound);
  EXPECT_EQ(FindFirst(dir.File("a.txt\\*"), faAnyFile, rec), ioPathNotFound) << "a file is no directory";
  EXPECT_EQ(FindFirst("Q:\\*.*", faAnyFile, rec), ioPathNotFound);
  EXPECT_EQ(FindNext(rec), ioNoMoreFiles);
}

TEST(MatchesMask, WindowsWildcardRules) {
  const struct {
    const char* name;
    const char* mask;
    bool expected;
  } cases[] = {
      {"abc", "*.*", true},      {"a.b.c", "*.c", true},   {"abc", "a?c", true},
      {"abc", "a?", false},      {"ab", "a??", false},     {"abc", "*b*", true},
      {"", "*", true},           {"", "?", false},         {"ABC.TXT", "*.txt", true},
      {"abc.txt", "abc.*", true}, {"abc", "abc.*", true},  {"abcd", "abc.*", false},
      {"\xE9", "\xC9", true},    {"\x9A", "\x8A", true},   {"a*b", "a*b", true},
      {"axxbyyb", "a*b", true},  {"axxbyyc", "a*b", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.expected) << "name=" << c.name << " mask=" << c.mask;
}

TEST(FileUtils, CurrentDirectoryAndExpandFileName) {
  TempDir dir;
  fs::create_directory(dir.Path() / "Work");
  const std::string saved = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(dir.File("WORK")));
  const std::string here = GetCurrentDir();
  EXPECT_EQ(here, dir.File("Work"));
  EXPECT_EQ(ExpandFileName("..\\Work\\.\\x.txt"), dir.File("Work/x.txt"));
  EXPECT_EQ(ExpandFileName(""), here);
  EXPECT_EQ(ExpandFileName("E:\\x"), "");
  EXPECT_FALSE(SetCurrentDir(dir.File("none")));
  ASSERT_TRUE(SetCurrentDir(saved));
}

}  // namespace
}  // namespace nuv
