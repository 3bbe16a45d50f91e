#include "nuv/platform/BinaryFile.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "FileFixtures.h"
#include "TempDir.h"

namespace nuv {
namespace {

using testing::IoCodeOf;
using testing::ReadRawFile;
using testing::TempDir;
using testing::WriteRawFile;

// A record image as the file formats use them: integers, floats, an
// extended value and a short string, 4 + 8 + 10 + 1 + 20 + 1 = 44 bytes.
struct TSample {
  int32_t Id;
  double Value;
  long double Precise;
  ShortString<20> Name;
  bool Flag;
};
constexpr std::size_t kSampleSize = 44;

std::array<uint8_t, kSampleSize> Encode(const TSample& s) {
  std::array<uint8_t, kSampleSize> bytes{};
  ByteWriter w(bytes.data(), bytes.size());
  w.WriteI32(s.Id);
  w.WriteF64(s.Value);
  w.WriteExt80(s.Precise);
  w.WriteStr(s.Name);
  w.WriteBool(s.Flag);
  EXPECT_EQ(w.Pos(), kSampleSize);
  return bytes;
}

TSample Decode(const uint8_t* bytes) {
  ByteReader r(bytes, kSampleSize);
  TSample s;
  s.Id = r.ReadI32();
  s.Value = r.ReadF64();
  s.Precise = r.ReadExt80();
  s.Name = r.ReadStr<20>();
  s.Flag = r.ReadBool();
  return s;
}

TEST(ByteImages, LittleEndianLayoutAndExtendedBytes) {
  std::array<uint8_t, 16> bytes{};
  ByteWriter w(bytes.data(), bytes.size());
  w.WriteI32(0x01020304);
  w.WriteI16(-2);
  w.WriteExt80(1.0L);
  EXPECT_EQ(bytes[0], 0x04);
  EXPECT_EQ(bytes[3], 0x01);
  EXPECT_EQ(bytes[4], 0xFE);
  EXPECT_EQ(bytes[5], 0xFF);
  const std::array<uint8_t, 10> one = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_TRUE(std::equal(one.begin(), one.end(), bytes.begin() + 6)) << "1.0 as 80-bit extended";
  EXPECT_THROW(w.WriteU8(0), EWriteError) << "the buffer is full";

  ByteReader r(bytes.data(), 6);
  EXPECT_EQ(r.ReadI32(), 0x01020304);
  EXPECT_EQ(r.ReadI16(), -2);
  EXPECT_THROW(r.ReadU8(), EReadError);
}

TEST(ByteImages, ShortStringSlotsAndAnOversizedLengthByte) {
  std::array<uint8_t, 6> bytes{};
  ByteWriter w(bytes.data(), bytes.size());
  w.WriteStr(ShortString<5>("abcdefg"));
  EXPECT_EQ(bytes[0], 5);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.end()), "abcde");
  bytes = {200, 'x', 'y', 0, 0, 0};
  ByteReader r(bytes.data(), bytes.size());
  const ShortString<5> s = r.ReadStr<5>();
  EXPECT_EQ(s.Length(), 5u) << "a corrupt length byte is cut to the capacity";
  EXPECT_EQ(r.Pos(), 6u);
}

TEST(BinaryFile, RecordsRoundTripAndSeek) {
  TempDir dir;
  const std::vector<TSample> samples = {
      {1, 0.5, 1.0L / 3.0L, "first", true}, {-2, -1e300, -0.0L, "", false}, {3, 2.25, 1e4000L, "third", true}};
  BinaryFile f(dir.File("r.dat"), kSampleSize);
  f.Rewrite();
  for (const TSample& s : samples) f.Write(Encode(s).data());
  EXPECT_EQ(f.FileSize(), 3);
  EXPECT_TRUE(f.Eof());
  f.Close();

  f.SetFileMode(fmOpenRead);
  f.Reset();
  f.Seek(2);
  std::array<uint8_t, kSampleSize> bytes{};
  f.Read(bytes.data());
  TSample back = Decode(bytes.data());
  EXPECT_EQ(back.Id, 3);
  EXPECT_EQ(back.Precise, 1e4000L) << "beyond the double range";
  EXPECT_EQ(back.Name.Str(), "third");
  f.Seek(0);
  f.Read(bytes.data());
  back = Decode(bytes.data());
  EXPECT_EQ(back.Precise, 1.0L / 3.0L) << "all 64 mantissa bits";
  EXPECT_TRUE(back.Flag);
  EXPECT_EQ(f.FilePos(), 1);
  EXPECT_EQ(IoCodeOf([&] { f.Write(bytes.data()); }), ioFileNotOpenForOutput);
}

TEST(BinaryFile, TruncatedFileGivesShortBlockReads) {
  TempDir dir;
  WriteRawFile(dir.File("t.dat"), std::string(10, 'a') + std::string(10, 'b') + "ccccc");
  BinaryFile f(dir.File("t.dat"), 10);
  f.Reset();
  EXPECT_EQ(f.FileSize(), 2) << "a partial last record does not count";
  char buf[30] = {};
  int32_t result = -1;
  f.BlockRead(buf, 3, result);
  EXPECT_EQ(result, 2);
  EXPECT_EQ(std::string(buf + 10, 10), std::string(10, 'b'));
  EXPECT_EQ(f.FilePos(), 2);
  EXPECT_EQ(IoCodeOf([&] { f.BlockRead(buf, 1); }), ioReadPastEof);
  f.Seek(7);
  f.BlockRead(buf, 1, result);
  EXPECT_EQ(result, 0) << "beyond the end";
  EXPECT_EQ(IoCodeOf([&] { f.Read(buf); }), ioReadPastEof);
}

TEST(BinaryFile, UntypedBlocksExtendAndTruncate) {
  TempDir dir;
  BinaryFile f(dir.File("u.dat"), 1);
  f.Rewrite();
  int32_t written = 0;
  f.BlockWrite("0123456789", 10, written);
  EXPECT_EQ(written, 10);
  f.Seek(12);
  f.BlockWrite("Z", 1);
  EXPECT_EQ(f.FileSize(), 13);
  f.Seek(4);
  f.Truncate();
  EXPECT_EQ(f.FileSize(), 4);
  f.Close();
  EXPECT_EQ(ReadRawFile(dir.File("u.dat")), "0123");
  f.Reset(2);
  EXPECT_EQ(f.FileSize(), 2) << "the same file in records of 2 bytes";
}

TEST(BinaryFile, ErrorCodes) {
  TempDir dir;
  BinaryFile missing(dir.File("none.dat"), 4);
  BinaryFile noDir(dir.File("nodir/x.dat"), 4);
  BinaryFile unnamed(4);
  BinaryFile closed(dir.File("none.dat"), 4);
  BinaryFile open(dir.File("o.dat"), 4);
  open.Rewrite();
  char buf[4] = {};
  EXPECT_EQ(IoCodeOf([&] { missing.Reset(); }), ioFileNotFound);
  EXPECT_EQ(IoCodeOf([&] { noDir.Rewrite(); }), ioPathNotFound);
  EXPECT_EQ(IoCodeOf([&] { unnamed.Reset(); }), ioFileNotAssigned);
  EXPECT_EQ(IoCodeOf([&] { closed.Read(buf); }), ioFileNotOpen);
  EXPECT_EQ(IoCodeOf([&] { closed.FileSize(); }), ioFileNotOpen);
  EXPECT_EQ(IoCodeOf([&] { open.Seek(-1); }), 131);
  EXPECT_EQ(IoCodeOf([&] { open.Seek(INT64_MAX); }), 131);
  EXPECT_THROW(BinaryFile(0), ERangeError);
}

}  // namespace
}  // namespace nuv
