#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "ExpectCases.h"
#include "FileFixtures.h"
#include "Nuv_filesys_test_data.h"
#include "TempDir.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/platform/Random.h"

namespace nuv {
namespace {

namespace fs = std::filesystem;
using testing::ExpectAll;
using testing::TempDir;
using testing::WriteRawFile;

TEST(FilesysPaths, NamesExtensionsAndDisplay) {
  ExpectAll({
      {"strip path \\", StripPath("c:\\a.b\\file.tar.gz"), "file.tar.gz"},
      {"strip path /", StripPath("/a/b/c.txt"), "c.txt"},
      {"strip path drive", StripPath("c:file.txt"), "file.txt"},
      {"strip path none", StripPath("file"), "file"},
      {"strip path dir", StripPath("/a/b/"), ""},
      {"strip ext first dot", StripExtension("c:\\a.b\\file.tar.gz"), "c:\\a.b\\file"},
      {"strip ext /", StripExtension("/x.y/z"), "/x.y/z"},
      {"strip ext hidden", StripExtension("/home/.profile"), "/home/"},
      {"default ext added", EnsureDefaultFileExt("data", "txt"), "data.txt"},
      {"default ext dotted", EnsureDefaultFileExt("data", ".txt"), "data.txt"},
      {"default ext kept", EnsureDefaultFileExt("data.csv", ".txt"), "data.csv"},
      {"default ext empty", EnsureDefaultFileExt("data", ""), "data"},
      {"dot in directory", EnsureDefaultFileExt("c:\\my.dir\\data", "txt"), "c:\\my.dir\\data.txt"},
      {"dot in / directory", EnsureDefaultFileExt("/v1.2/data", "txt"), "/v1.2/data.txt"},
      {"trailing dot", EnsureDefaultFileExt("data.", "txt"), "data.txt"},
      {"abridge", AbridgeFilePath("C:\\Programs\\Data\\Sub\\file.txt", 20), "C:\\..\\..\\..\\file.txt"},
      {"abridge short enough", AbridgeFilePath("C:\\a\\file.txt", 40), "C:\\a\\file.txt"},
      {"abridge /", AbridgeFilePath("/home/user/projects/x.txt", 16), "/../../../x.txt"},
      {"abridge prefers \\", AbridgeFilePath("a/b\\c\\d", 1), "a/b\\..\\d"},
      // Kept: without a separator there is nothing to abridge.
      {"abridge no separator", AbridgeFilePath("averyveryverylongname.txt", 5), "averyveryverylongname.txt"},
      {"abridge empty", AbridgeFilePath("", 0), ""},
  });
}

TEST(FilesysPaths, DrivesRootsAndShortNames) {
  testing::ExpectAll({
      {"drive C", ExtractDrive("C:\\data"), 2},
      {"drive a", ExtractDrive("a:"), 0},
      {"drive z", ExtractDrive("z:/x"), 25},
      {"root path", ExtractDrive("/home"), 2},
      {"backslash root", ExtractDrive("\\data"), 2},
      {"relative", ExtractDrive("data\\x"), 2},
      {"empty", ExtractDrive(""), -1},
      {"no letter", ExtractDrive("1:\\"), -1},
  });
  const struct {
    const char* path;
    bool root, dos83;
  } cases[] = {
      {"c:\\", true, true},   {" C:/ ", true, false}, {"/", true, true},
      {"\\", true, true},     {"c:", false, true},    {"c:\\data", false, true},
      {"", false, false},     {"C:\\PROGRA~1\\FILE.TXT", false, true},
      {"a\\b.c\\d", false, true},
      // Kept: parts of 9 characters still pass.
      {"c:\\abcdefghi.txt", false, true},
      {"c:\\abcdefghij.txt", false, false},
      {"c:\\a b.txt", false, false},  {"c:\\a*.txt", false, false},
      {"x:y", false, true},           {"ab:c", false, false},
      {"/usr/lib/x.so", false, true},
      {"\xE9t\xE9.txt", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsRootDir(c.path), c.root) << "IsRootDir '" << c.path << "'";
    EXPECT_EQ(IsDOS83Path(c.path), c.dos83) << "IsDOS83Path '" << c.path << "'";
  }
}

TEST(FilesysPaths, DOSToWinPathSpellsExistingComponentsAsOnDisk) {
  TempDir dir;
  fs::create_directories(dir.Path() / "Data" / "SubDir");
  const std::string root = dir.Path().string();
  std::string back = root;
  std::replace(back.begin(), back.end(), '/', '\\');
  EXPECT_EQ(DOSToWinPath(root + "/DATA/subdir/new.TXT"), root + "/Data/SubDir/new.TXT");
  EXPECT_EQ(DOSToWinPath("c:" + back + "\\data\\x\\Y"), "C:" + back + "\\Data\\x\\Y")
      << "the rest of the path after a missing component stays as given";
  EXPECT_EQ(DOSToWinPath("D:\\nothing"), "D:\\nothing") << "a drive without root";
  EXPECT_EQ(DOSToWinPath(""), "");
}

TEST(FilesysProbes, DirectoriesAndSizes) {
  TempDir dir;
  const std::string root = dir.Path().string();
  fs::create_directory(dir.Path() / "empty");
  fs::create_directory(dir.Path() / "full");
  WriteRawFile(dir.File("full/.hidden"), "x");
  WriteRawFile(dir.File("file.txt"), "12345");
  EXPECT_TRUE(DirExists(root));
  EXPECT_TRUE(DirExists(root + "/EMPTY/")) << "names resolve ignoring case";
  EXPECT_FALSE(DirExists(root + "/file.txt"));
  EXPECT_FALSE(DirExists(""));
  EXPECT_TRUE(DirEmpty(root + "/empty"));
  EXPECT_FALSE(DirEmpty(root + "/full")) << "a hidden entry counts";
  EXPECT_FALSE(DirEmpty(root + "/file.txt"));
  EXPECT_FALSE(DirEmpty(root + "/missing"));
  EXPECT_EQ(GetFileSize(root + "/FILE.TXT"), 5);
  EXPECT_EQ(GetFileSize(root), -1);
  EXPECT_EQ(GetFileSize(""), -1);
}

TEST(FilesysProbes, SizesAsPythonReportsThem) {
  TempDir dir;
  BuildTestTree(dir.Path());
  for (const TSizeItem& item : kSizes)
    EXPECT_EQ(GetFileSize(AnsiTreeName(dir.Path(), item.Path)), item.Size) << item.Path;
}

TEST(FilesysProbes, SparseFileBeyondTwoGiB) {
  TempDir dir;
  const std::string name = dir.File("sparse.bin");
  const int64_t size = (int64_t{5} << 29) + 123;  // 2.5 GiB and some
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, size), 0);
  ::close(fd);
  EXPECT_EQ(GetFileSize(name), size);
}

TEST(FilesysProbes, ReadOnlyProbeWorksAsRootAndSparesUserFiles) {
  TempDir dir;
  const std::string root = dir.Path().string();
  // The name the probe once used: a file of that name must survive.
  WriteRawFile(dir.File("$%$LO%$.$$$"), "user data");
  EXPECT_FALSE(DirIsReadOnly(root));
  EXPECT_EQ(testing::ReadRawFile(dir.File("$%$LO%$.$$$")), "user data");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1)
      << "the probe is gone again";
  // chmod does not stop root; /proc refuses new files to everybody.
  EXPECT_TRUE(DirIsReadOnly("/proc"));
  EXPECT_TRUE(DirIsReadOnly(root + "/missing"));
  EXPECT_TRUE(DirIsReadOnly(dir.File("$%$LO%$.$$$"))) << "a file is no directory";
  EXPECT_TRUE(DirIsReadOnly("D:\\"));
  EXPECT_TRUE(DirIsReadOnly(""));
}

TEST(FilesysProbes, DrivesByNumber) {
  EXPECT_EQ(GetDiskDriveType(2), GetDriveType("/")) << "C: is the root file system";
  EXPECT_EQ(GetDiskDriveType(3), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(GetDiskDriveType(26), DRIVE_UNKNOWN);
  EXPECT_EQ(GetDiskDriveType(-1), DRIVE_UNKNOWN);
  EXPECT_GT(DiskFreeExtended(2), 0);
  EXPECT_EQ(DiskFreeExtended(3), -1);
  EXPECT_EQ(DiskFreeExtended(26), -1);
  EXPECT_TRUE(DiskIsReadOnly(3));
  EXPECT_TRUE(DiskIsReadOnly(-1));
}

TEST(FilesysProbes, EnvironmentIgnoresCase) {
  ::setenv("NUV_FILESYS_PROBE", "on", 1);
  EXPECT_EQ(GetEnviroVar("nuv_filesys_probe"), "on");
  ::unsetenv("NUV_FILESYS_PROBE");
  EXPECT_EQ(GetEnviroVar("nuv_filesys_probe"), "");
}

TEST(FilesysProbes, ByteOrderMarksOfPythonsCodecs) {
  TempDir dir;
  int i = 0;
  for (const TBomItem& item : kBoms) {
    const std::string name = dir.File("bom" + std::to_string(i++));
    WriteRawFile(name, item.Data);
    EXPECT_EQ(CheckTextFileType(name), item.Type) << "case " << i - 1;
  }
  EXPECT_EQ(CheckTextFileType(dir.File("missing")), tftUnknown);
  EXPECT_EQ(CheckTextFileType(dir.Path().string()), tftUnknown);
}

// ---------------------------------------------------------------------------
// Passwords

TEST(FilesysPasswords, LayoutOverManyDraws) {
  RandSeed = 2023;
  const std::string consonant = "[bcdfghj-np-tv-xz]", vowel = "[aeiouy]";
  for (int32_t len = -3; len <= 20; ++len) {
    const int32_t n = std::clamp(len, 4, 14);
    const std::size_t digitsAt = std::min(6, n - 2);
    const std::regex letters((n % 2 ? vowel : "") + "(" + consonant + vowel + "){" +
                             std::to_string(n / 2 - 1) + "}");
    for (int draw = 0; draw < 200; ++draw) {
      std::string p = InventPassword(len);
      ASSERT_EQ(static_cast<int32_t>(p.size()), n) << "len " << len << ": " << p;
      EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(p[digitsAt])) &&
                  std::isdigit(static_cast<unsigned char>(p[digitsAt + 1])))
          << "len " << len << ": " << p;
      EXPECT_TRUE(std::regex_match(p.erase(digitsAt, 2), letters)) << "len " << len << ": " << p;
    }
  }
}

TEST(FilesysPasswords, MixedCaseAndSpecialCharactersInProportion) {
  RandSeed = 7;
  const std::string specials = "_!$%#=0123456789";
  int upper = 0, lowerLetters = 0, special = 0, total = 0;
  std::map<char, int> specialCounts;
  for (int draw = 0; draw < 4000; ++draw) {
    const std::string plain = InventPassword(14, false, false);
    EXPECT_EQ(plain.size(), 14u);
    const std::string p = InventPassword(14, true, true);
    ASSERT_EQ(p.size(), 14u);
    for (char c : p) {
      ++total;
      if (c >= 'A' && c <= 'Z') ++upper;
      else if (c >= 'a' && c <= 'z') ++lowerLetters;
      else {
        ASSERT_NE(specials.find(c), std::string::npos) << p;
        if (!(c >= '0' && c <= '9')) ++specialCounts[c];
      }
    }
  }
  // 12 letters of 14: about 4/5 of them stay letters, half of those upper.
  const double letterShare = double(upper + lowerLetters) / total;
  EXPECT_NEAR(letterShare, 12.0 / 14 * 0.8, 0.02);
  EXPECT_NEAR(double(upper) / (upper + lowerLetters), 0.5, 0.02);
  // The six signs among the 16 replacements, each about as often.
  for (char c : std::string("_!$%#=")) {
    special += specialCounts[c];
    EXPECT_NEAR(specialCounts[c], total * 0.2 / 16, total * 0.2 / 16 * 0.2) << c;
  }
  EXPECT_GT(special, 0);
}

}  // namespace
}  // namespace nuv
