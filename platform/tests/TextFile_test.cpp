#include "nuv/platform/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {
namespace {

using testing::IoCodeOf;
using testing::ReadRawFile;
using testing::TempDir;
using testing::WriteRawFile;

struct NumbersCase {
  const char* name;
  std::string content;
  std::vector<double> expected;
};

TEST(TextFileNumbers, SkipBlanksTabsAndEveryLineEnd) {
  const NumbersCase cases[] = {
      {"blanks", "1 2   3", {1, 2, 3}},
      {"tabs", "\t1.5\t\t-2.25\t", {1.5, -2.25}},
      {"LF", "1\n2\n\n3\n", {1, 2, 3}},
      {"CRLF", "1\r\n2\r\n\r\n3\r\n", {1, 2, 3}},
      {"CR", "1\r2\r\r3\r", {1, 2, 3}},
      {"mixed", "  1e3 \t\r\n+4\r-5.5E-1\n  .5", {1000, 4, -0.55, 0.5}},
      {"number cut by end of file", "7 12.75", {7, 12.75}},
      {"control characters are blanks", "\f1\v2\x1A", {1, 2}},
  };
  TempDir dir;
  for (const auto& c : cases) {
    WriteRawFile(dir.File("n.txt"), c.content);
    TextFile f(dir.File("n.txt"));
    f.Reset();
    for (double expected : c.expected) {
      double x = -999;
      f.Read(x);
      EXPECT_EQ(x, expected) << c.name;
    }
    EXPECT_TRUE(f.SeekEof()) << c.name;
  }
}

TEST(TextFileNumbers, BadTokenIsConsumedThenRaises106AndReadingContinues) {
  TempDir dir;
  WriteRawFile(dir.File("n.txt"), "1 abc 3 1.5.2\t4 1,5 6");
  TextFile f(dir.File("n.txt"));
  f.Reset();
  double x = 0;
  f.Read(x);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(IoCodeOf([&] { f.Read(x); }), ioInvalidInput);
  EXPECT_EQ(x, 1) << "the target keeps its value";
  f.Read(x);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(IoCodeOf([&] { f.Read(x); }), ioInvalidInput);
  f.Read(x);
  EXPECT_EQ(x, 4);
  EXPECT_EQ(IoCodeOf([&] { f.Read(x); }), ioInvalidInput) << "a comma is no decimal separator";
  f.Read(x);
  EXPECT_EQ(x, 6);
}

TEST(TextFileNumbers, EndOfFileRaises100AndACutTokenRaises106) {
  struct Case {
    const char* content;
    int32_t code;
  } cases[] = {
      {"", ioReadPastEof},       {"  \r\n\t ", ioReadPastEof}, {"1.5e", ioInvalidInput},
      {"-", ioInvalidInput},     {"1e+", ioInvalidInput},      {"nan", ioInvalidInput},
      {"inf", ioInvalidInput},   {"1e999999", ioInvalidInput},
  };
  TempDir dir;
  for (const auto& c : cases) {
    WriteRawFile(dir.File("n.txt"), c.content);
    TextFile f(dir.File("n.txt"));
    f.Reset();
    double x = 0;
    EXPECT_EQ(IoCodeOf([&] { f.Read(x); }), c.code) << "content=" << c.content;
    EXPECT_TRUE(f.Eof()) << "content=" << c.content;
  }
}

TEST(TextFileNumbers, IntegersAndLongDoubles) {
  TempDir dir;
  WriteRawFile(dir.File("n.txt"), "-2147483648 2147483647 2147483648 1.5 $1F 0.1");
  TextFile f(dir.File("n.txt"));
  f.Reset();
  int32_t i = 0;
  f.Read(i);
  EXPECT_EQ(i, INT32_MIN);
  f.Read(i);
  EXPECT_EQ(i, INT32_MAX);
  EXPECT_EQ(IoCodeOf([&] { f.Read(i); }), ioInvalidInput) << "out of range";
  EXPECT_EQ(IoCodeOf([&] { f.Read(i); }), ioInvalidInput) << "a fraction";
  f.Read(i);
  EXPECT_EQ(i, 31);
  long double e = 0;
  f.Read(e);
  EXPECT_EQ(e, 0.1L) << "parsed as extended, not as double";
}

TEST(TextFileNumbers, AnOverlongTokenIsConsumedWhole) {
  TempDir dir;
  WriteRawFile(dir.File("n.txt"), std::string(5000, '1') + " 42");
  TextFile f(dir.File("n.txt"));
  f.Reset();
  double x = 0;
  EXPECT_EQ(IoCodeOf([&] { f.Read(x); }), ioInvalidInput);
  f.Read(x);
  EXPECT_EQ(x, 42);
}

TEST(TextFileNumbers, ManyNumbersAcrossBufferBoundariesRoundTrip) {
  TempDir dir;
  const int count = 60000;
  {
    TextFile f(dir.File("v.txt"));
    f.Rewrite();
    for (int i = 0; i < count; ++i) {
      f.Write(i * 0.25 - 1000, 1 + i % 7, 2);
      f.Write(i % 3 == 0 ? "\r\n" : (i % 3 == 1 ? "\t" : " "));
    }
    f.Close();
  }
  TextFile f(dir.File("v.txt"));
  f.Reset();
  for (int i = 0; i < count; ++i) {
    double x = 0;
    f.Read(x);
    ASSERT_EQ(x, i * 0.25 - 1000) << "i=" << i;
  }
  EXPECT_TRUE(f.SeekEof());
}

TEST(TextFileLines, ReadLnAcceptsLfCrLfAndCr) {
  TempDir dir;
  WriteRawFile(dir.File("l.txt"), "ab\r\ncd\ref\n\r\n\tgh");
  TextFile f(dir.File("l.txt"));
  f.Reset();
  std::vector<std::string> lines;
  while (!f.Eof()) {
    std::string s;
    f.ReadLn(s);
    lines.push_back(s);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"ab", "cd", "ef", "", "\tgh"}));
  std::string s = "x";
  f.ReadLn(s);
  EXPECT_EQ(s, "") << "ReadLn at the end of the file gives an empty line";
}

TEST(TextFileLines, CharactersEolnAndSeek) {
  TempDir dir;
  WriteRawFile(dir.File("l.txt"), "a \t\r\n  b\n");
  TextFile f(dir.File("l.txt"));
  f.Reset();
  char c = 0;
  f.Read(c);
  EXPECT_EQ(c, 'a');
  EXPECT_FALSE(f.Eoln());
  EXPECT_TRUE(f.SeekEoln()) << "blanks and tabs before the line end";
  f.Read(c);
  EXPECT_EQ(c, '\r') << "line-end bytes are characters";
  f.ReadLn();
  EXPECT_FALSE(f.SeekEoln());
  f.Read(c);
  EXPECT_EQ(c, 'b');
  EXPECT_TRUE(f.Eoln());
  EXPECT_FALSE(f.Eof());
  EXPECT_TRUE(f.SeekEof());
  f.Read(c);
  EXPECT_EQ(c, '\x1A') << "Ctrl-Z at the end of the file";
  EXPECT_TRUE(f.Eoln());
}

TEST(TextFileWrite, NumberFormsAndWidths) {
  TempDir dir;
  TextFile f(dir.File("w.txt"));
  f.Rewrite();
  f.Write(3.14159, 8, 2);
  f.Write('|');
  f.Write(-0.5, 1, 3);
  f.Write('|');
  f.Write(123456.0, 3, 0);
  f.Write('|');
  f.Write(2.5f, 0, 0);
  f.Write('|');
  f.Write(-123.4567, 12);
  f.Write('|');
  f.Write(42, 5);
  f.Write('|');
  f.Write(int64_t{-7});
  f.Write('|');
  f.Write(UINT64_MAX, 21);
  f.Write(true);
  f.WriteLn("|end");
  f.WriteLn();
  f.Close();
  EXPECT_EQ(ReadRawFile(dir.File("w.txt")),
            "    3.14|-0.500|123456|3|-1.235E+0002|   42|-7| 18446744073709551615TRUE|end\r\n\r\n");
}

TEST(TextFileModes, RewriteAppendReset) {
  TempDir dir;
  TextFile f(dir.File("m.txt"));
  f.Rewrite();
  f.WriteLn("one");
  f.Close();
  f.Append();
  f.WriteLn("two");
  f.Reset();  // closes (and flushes) the output first
  std::string s;
  f.ReadLn(s);
  EXPECT_EQ(s, "one");
  f.ReadLn(s);
  EXPECT_EQ(s, "two");
  EXPECT_TRUE(f.Eof());
  f.Rewrite();
  f.Close();
  EXPECT_EQ(ReadRawFile(dir.File("m.txt")), "") << "Rewrite empties the file";
}

TEST(TextFileModes, ErrorCodes) {
  TempDir dir;
  WriteRawFile(dir.File("in.txt"), "1\n");
  std::filesystem::create_directory(dir.Path() / "sub");
  TextFile missing(dir.File("none.txt"));
  TextFile noDir(dir.File("nodir/none.txt"));
  TextFile directory(dir.File("sub"));
  TextFile unnamed;
  TextFile input(dir.File("in.txt"));
  TextFile output(dir.File("out.txt"));
  TextFile closed(dir.File("in.txt"));
  input.Reset();
  output.Rewrite();
  char c = 0;
  const struct {
    const char* what;
    int32_t code;
    std::function<void()> f;
  } cases[] = {
      {"reset missing file", ioFileNotFound, [&] { missing.Reset(); }},
      {"append missing file", ioFileNotFound, [&] { missing.Append(); }},
      {"missing directory", ioPathNotFound, [&] { noDir.Reset(); }},
      {"rewrite in missing directory", ioPathNotFound, [&] { noDir.Rewrite(); }},
      {"a directory", ioAccessDenied, [&] { directory.Reset(); }},
      {"no name", ioFileNotAssigned, [&] { unnamed.Reset(); }},
      {"read closed", ioFileNotOpen, [&] { closed.Read(c); }},
      {"close closed", ioFileNotOpen, [&] { closed.Close(); }},
      {"write closed", ioFileNotOpen, [&] { closed.Write("x"); }},
      {"read output", ioFileNotOpenForInput, [&] { output.Read(c); }},
      {"eof of output", ioFileNotOpenForInput, [&] { output.Eof(); }},
      {"write input", ioFileNotOpenForOutput, [&] { input.WriteLn(); }},
  };
  for (const auto& k : cases) EXPECT_EQ(IoCodeOf(k.f), k.code) << k.what;
}

TEST(TextFileModes, WriteFailureRaises101OnFlushOrClose) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TextFile f("/dev/full");
  f.Rewrite();
  f.Write("buffered");
  EXPECT_EQ(IoCodeOf([&] { f.Close(); }), ioDiskFull);
  EXPECT_FALSE(f.IsOpen());
  f.Rewrite();
  EXPECT_EQ(IoCodeOf([&] { f.Write(std::string(100000, 'x')); }), ioDiskFull);
  f.Write("left for the destructor, which must not throw");
}

}  // namespace
}  // namespace nuv
