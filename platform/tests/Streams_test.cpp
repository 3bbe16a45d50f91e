#include "nuv/platform/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "FileFixtures.h"
#include "TempDir.h"

namespace nuv {
namespace {

using testing::ReadRawFile;
using testing::TempDir;
using testing::WriteRawFile;

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i * 7 % 26);
  return s;
}

// The same content as a memory stream and as a file stream.
struct StreamKinds {
  TempDir dir;
  std::vector<std::unique_ptr<TStream>> streams;
  explicit StreamKinds(const std::string& content) {
    auto memory = std::make_unique<TStringStream>(content);
    WriteRawFile(dir.File("s.bin"), content);
    streams.push_back(std::move(memory));
    streams.push_back(std::make_unique<TFileStream>(dir.File("s.bin"), fmOpenReadWrite));
  }
};

TEST(Streams, ReadPastTheEndGivesShortCountsAndReadBufferRaises) {
  StreamKinds kinds("0123456789");
  for (auto& s : kinds.streams) {
    const std::string kind = s->ClassName();
    char buf[8] = {};
    s->SetPosition(8);
    EXPECT_EQ(s->Read(buf, 5), 2) << kind;
    EXPECT_EQ(std::string(buf, 2), "89") << kind;
    EXPECT_EQ(s->Read(buf, 5), 0) << kind;
    s->SetPosition(7);
    try {
      s->ReadBuffer(buf, 4);
      ADD_FAILURE() << kind << ": no EReadError";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "Stream read error") << kind;
    }
    s->SetPosition(100);
    EXPECT_EQ(s->Read(buf, 1), 0) << kind << ": beyond the end";
    EXPECT_EQ(s->Position(), 100) << kind;
    EXPECT_THROW(s->Seek(-101, soCurrent), EStreamError) << kind;
    EXPECT_EQ(s->Position(), 100) << kind << ": a refused seek keeps the position";
  }
}

TEST(Streams, OneByteStepBackRereadsTheByte) {
  // Long enough that the steps cross the file stream's read-ahead block.
  const std::string content = Pattern(100000);
  StreamKinds kinds(content);
  for (auto& s : kinds.streams) {
    for (int64_t pos : {int64_t{0}, int64_t{32767}, int64_t{32768}, int64_t{65535}, int64_t{99999}}) {
      s->SetPosition(pos);
      char first = 0, again = 0;
      ASSERT_EQ(s->Read(&first, 1), 1);
      EXPECT_EQ(s->Seek(-1, soCurrent), pos) << s->ClassName() << " pos=" << pos;
      ASSERT_EQ(s->Read(&again, 1), 1);
      EXPECT_EQ(again, content[static_cast<std::size_t>(pos)]) << s->ClassName() << " pos=" << pos;
      EXPECT_EQ(first, again);
    }
  }
}

TEST(Streams, WritingBeyondTheEndFillsWithZeros) {
  StreamKinds kinds("abc");
  for (auto& s : kinds.streams) {
    s->Seek(2, soEnd);
    s->WriteBuffer("Z", 1);
    EXPECT_EQ(s->Size(), 6) << s->ClassName();
    std::string back(6, '?');
    s->SetPosition(0);
    s->ReadBuffer(back.data(), 6);
    EXPECT_EQ(back, std::string("abc\0\0Z", 6)) << s->ClassName();
  }
}

TEST(Streams, SetSizeCutsAndKeepsThePositionInside) {
  StreamKinds kinds("abcdefgh");
  for (auto& s : kinds.streams) {
    s->SetPosition(6);
    s->SetSize(4);
    EXPECT_EQ(s->Size(), 4) << s->ClassName();
    EXPECT_EQ(s->Position(), 4) << s->ClassName();
    s->SetPosition(1);
    s->SetSize(10);
    EXPECT_EQ(s->Position(), 1) << s->ClassName();
    EXPECT_THROW(s->SetSize(-1), EStreamError) << s->ClassName();
  }
}

// Random reads, writes, seeks and resizes on a file stream must behave
// exactly like the same operations on a memory stream; this exercises the
// file stream's read-ahead block against writes and seeks.
TEST(Streams, FileStreamMatchesMemoryStreamUnderRandomOperations) {
  StreamKinds kinds(Pattern(70000));
  TStream& memory = *kinds.streams[0];
  TStream& file = *kinds.streams[1];
  std::mt19937 rng(12345);
  std::vector<char> a(50000), b(50000);
  for (int step = 0; step < 3000; ++step) {
    const int op = static_cast<int>(rng() % 10);
    if (op < 5) {
      const int64_t n = (rng() % 4 == 0) ? rng() % 50000 : rng() % 40;
      const int64_t got = memory.Read(a.data(), n);
      ASSERT_EQ(got, file.Read(b.data(), n)) << "step " << step;
      ASSERT_TRUE(std::equal(a.begin(), a.begin() + got, b.begin())) << "step " << step;
    } else if (op < 7) {
      const int64_t n = rng() % 60;
      for (int64_t i = 0; i < n; ++i) a[i] = static_cast<char>(rng());
      ASSERT_EQ(memory.Write(a.data(), n), file.Write(a.data(), n)) << "step " << step;
    } else if (op < 9) {
      const auto origin = static_cast<TSeekOrigin>(rng() % 3);
      const int64_t base = origin == soBeginning ? 0 : (origin == soCurrent ? memory.Position() : memory.Size());
      const int64_t target = static_cast<int64_t>(rng() % 80000);
      ASSERT_EQ(memory.Seek(target - base, origin), file.Seek(target - base, origin)) << "step " << step;
    } else {
      const int64_t size = static_cast<int64_t>(rng() % 80000);
      memory.SetSize(size);
      file.SetSize(size);
    }
    ASSERT_EQ(memory.Position(), file.Position()) << "step " << step;
    ASSERT_EQ(memory.Size(), file.Size()) << "step " << step;
  }
  file.SetPosition(0);
  const TMemoryStream& m = static_cast<const TMemoryStream&>(memory);
  EXPECT_EQ(ReadRawFile(kinds.dir.File("s.bin")), std::string(m.Memory(), static_cast<std::size_t>(m.Size())));
}

TEST(FileStream, OpenErrorsNameTheFileAndTheReason) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() / "sub");
  const std::string missing = dir.File("none.bin");
  try {
    TFileStream s(missing, fmOpenRead);
    ADD_FAILURE() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file \"" + missing + "\". No such file or directory");
  }
  const std::string inMissingDir = dir.File("nodir/new.bin");
  try {
    TFileStream s(inMissingDir, fmCreate);
    ADD_FAILURE() << "created a file in a missing directory";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file \"" + inMissingDir + "\". No such file or directory");
  }
  EXPECT_THROW(TFileStream(dir.File("sub"), fmOpenRead), EFOpenError) << "a directory is no file";
  EXPECT_THROW(TFileStream(dir.File("sub"), fmCreate), EFCreateError);
}

TEST(FileStream, ModesCreateTruncateAndRestrictAccess) {
  TempDir dir;
  const std::string name = dir.File("m.bin");
  WriteRawFile(name, "old content");
  {
    TFileStream s(name, fmOpenWrite | fmShareDenyNone);
    s.WriteBuffer("NEW", 3);
    char c;
    EXPECT_EQ(s.Read(&c, 1), 0) << "write-only";
  }
  EXPECT_EQ(ReadRawFile(name), "NEW content") << "fmOpenWrite keeps the rest";
  {
    TFileStream s(name, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(s.Size(), 11);
    EXPECT_THROW(s.WriteBuffer("x", 1), EWriteError) << "read-only";
  }
  {
    TFileStream s(name, fmCreate);
    EXPECT_EQ(s.Size(), 0) << "fmCreate empties";
    s.WriteBuffer("abc", 3);
    s.SetPosition(1);
    char c = 0;
    s.ReadBuffer(&c, 1);
    EXPECT_EQ(c, 'b') << "fmCreate opens for reading too";
  }
}

TEST(MemoryStream, LoadSaveAndCopy) {
  TempDir dir;
  TMemoryStream m;
  m.WriteBuffer("hello world", 11);
  m.SaveToFile(dir.File("m.bin"));
  EXPECT_EQ(ReadRawFile(dir.File("m.bin")), "hello world");

  TMemoryStream loaded;
  loaded.WriteBuffer("junk", 4);
  loaded.LoadFromFile(dir.File("m.bin"));
  EXPECT_EQ(loaded.Size(), 11);
  EXPECT_EQ(loaded.Position(), 0);
  EXPECT_EQ(std::string(loaded.Memory(), 11), "hello world");

  TStringStream copy;
  m.SetPosition(6);
  EXPECT_EQ(copy.CopyFrom(m, 0), 11) << "Count 0 copies everything from the start";
  EXPECT_EQ(copy.DataString(), "hello world");
  m.SetPosition(6);
  EXPECT_EQ(copy.CopyFrom(m, 5), 5);
  EXPECT_EQ(copy.DataString(), "hello worldworld");
  m.SetPosition(6);
  EXPECT_THROW(copy.CopyFrom(m, 6), EReadError) << "the source ends early";

  loaded.Clear();
  EXPECT_EQ(loaded.Size(), 0);
  EXPECT_EQ(loaded.Position(), 0);
}

TEST(StringStream, DataStringAndReadString) {
  TStringStream s("abcdef");
  EXPECT_EQ(s.ReadString(2), "ab");
  EXPECT_EQ(s.ReadString(100), "cdef");
  EXPECT_EQ(s.ReadString(1), "");
  s.SetPosition(2);
  s.WriteString("XY");
  EXPECT_EQ(s.DataString(), "abXYef") << "writing overwrites in place";
  s.SetPosition(50);
  EXPECT_EQ(s.ReadString(3), "");
  EXPECT_EQ(s.ReadString(-3), "");
}

}  // namespace
}  // namespace nuv
