#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "Nuv_dstruct_internal.h"
#include "TempDir.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/platform/Random.h"

namespace nuv {
namespace {

// Runs each test body on the processor's widest instructions, on its
// 16-byte carry-less multiply (where it has wider ones) and on the
// portable code.
enum class TPath { Hardware, Narrow, Portable };

class ChecksumPaths : public ::testing::TestWithParam<TPath> {
 protected:
  void SetUp() override {
    if (GetParam() == TPath::Narrow && !detail::WideCRC32Available())
      GTEST_SKIP() << "no 512-bit carry-less multiply: the hardware run covers this path";
    detail::ForcePortableChecksums(GetParam() == TPath::Portable);
    detail::ForceNarrowCRC32(GetParam() == TPath::Narrow);
  }
  void TearDown() override {
    detail::ForcePortableChecksums(false);
    detail::ForceNarrowCRC32(false);
  }
};

INSTANTIATE_TEST_SUITE_P(Paths, ChecksumPaths,
                         ::testing::Values(TPath::Hardware, TPath::Narrow, TPath::Portable),
                         [](const auto& info) {
                           switch (info.param) {
                             case TPath::Hardware: return "Hardware";
                             case TPath::Narrow: return "Narrow";
                             default: return "Portable";
                           }
                         });

std::string Hex8(uint32_t v) { return IntToHex(v, 8); }

// Bit by bit, straight from the definition of the reflected CRC-32.
uint32_t ReferenceCRC32(const uint8_t* p, std::size_t n) {
  uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
  }
  return ~crc;
}

std::vector<uint8_t> RandomBytes(std::size_t n, uint32_t seed) {
  RandSeed = seed;
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(Random(256));
  return v;
}

TEST(CRC16, ModesOnTheCheckString) {
  const std::string s = "123456789";
  const std::vector<uint8_t> buf(s.begin(), s.end());
  const struct {
    const char* what;
    uint16_t got, want;
  } cases[] = {
      {"zmodem", CRC16ofBuffer(buf, 9, crcZModem), 0x31C3},
      {"ccitt", CRC16ofBuffer(buf, 9, crcCCITT), 0x29B1},
      {"zmodem, no bytes", CRC16ofBuffer(buf, 0, crcZModem), 0x0000},
      {"ccitt, negative count", CRC16ofBuffer(buf, -3, crcCCITT), 0xFFFF},
      {"count beyond the buffer", CRC16ofBuffer(buf, 1000, crcZModem), 0x31C3},
      {"zmodem of 'A'", CRC16ofBuffer(std::vector<uint8_t>{'A'}, 1, crcZModem), 0x58E5},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
  uint16_t crc = 0xFFFF;
  for (const uint8_t b : buf) crc = CalcNextCRC16(b, crc);
  EXPECT_EQ(crc, 0x29B1) << "single steps";
}

TEST_P(ChecksumPaths, CRC32KnownValues) {
  const struct {
    std::string text;
    uint32_t want;
  } cases[] = {
      {"123456789", 0xCBF43926},
      {"", 0},
      {"a", 0xE8B7BE43},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339},
      {std::string(1000000, 'a'), 0xDC25BFBC},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Hex8(CRC32ofBuffer(c.text.data(), static_cast<int64_t>(c.text.size()))), Hex8(c.want))
        << "length " << c.text.size();
  EXPECT_EQ(CRC32ofBuffer("abc", -1), 0u);
  uint32_t crc = 0xFFFFFFFF;
  for (const char ch : std::string("123456789")) crc = CalcNextCRC32(static_cast<uint8_t>(ch), crc);
  EXPECT_EQ(Hex8(~crc), "CBF43926") << "single steps";
}

TEST_P(ChecksumPaths, CRC32MatchesBitwiseReferenceAtAnyLengthAndAlignment) {
  const std::vector<uint8_t> data = RandomBytes((1 << 20) + 300, 7);
  for (std::size_t offset = 0; offset < 16; offset += 5)
    for (std::size_t len = 0; len <= 300; ++len)
      ASSERT_EQ(CRC32ofBuffer(data.data() + offset, static_cast<int64_t>(len)),
                ReferenceCRC32(data.data() + offset, len))
          << "offset=" << offset << " len=" << len;
  for (const std::size_t len : {1000u, 4095u, 65536u + 17u, (1u << 20) + 3u})
    EXPECT_EQ(CRC32ofBuffer(data.data() + 1, static_cast<int64_t>(len)), ReferenceCRC32(data.data() + 1, len))
        << "len=" << len;
}

// The 64-byte vectors take buffers from 1024 bytes on, 512 bytes a round;
// the lengths around those steps end a round exactly, one byte short of
// it or past it, and leave every kind of tail.
TEST_P(ChecksumPaths, CRC32AtTheVectorRoundBoundaries) {
  const std::vector<uint8_t> data = RandomBytes(4096 + 64, 8);
  for (std::size_t offset = 0; offset < 64; offset += 13)
    for (const std::size_t rounds : {2u, 3u, 7u})
      for (const std::size_t extra : {0u, 1u, 15u, 16u, 17u, 63u, 64u, 65u, 511u})
        for (const std::size_t len : {rounds * 512 + extra, rounds * 512 - 1}) {
          ASSERT_EQ(CRC32ofBuffer(data.data() + offset, static_cast<int64_t>(len)),
                    ReferenceCRC32(data.data() + offset, len))
              << "offset=" << offset << " len=" << len;
        }
}

TEST(CRC32, OfFileAndOfMissingFile) {
  testing::TempDir dir;
  const std::vector<uint8_t> data = RandomBytes(100000, 3);
  std::ofstream(dir.File("d.bin"), std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  EXPECT_EQ(CalcCRC32ofFile(dir.File("d.bin")), ReferenceCRC32(data.data(), data.size()));
  EXPECT_EQ(CalcCRC32ofFile(dir.File("missing.bin")), 0u);
  EXPECT_EQ(CalcCRC32ofFile(dir.Path().string()), 0u) << "a directory";
}

TEST_P(ChecksumPaths, SHA1TestVectors) {
  const struct {
    std::string text;
    const char* want;
  } cases[] = {
      {"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
      {std::string(1000000, 'a'), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F"},
      {"", "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"},
      {"The quick brown fox jumps over the lazy dog", "2FD4E1C67A2D28FCED849EE1BB76E7391B93EB12"},
      // Lengths around the padding boundaries.
      {std::string(55, 'a'), "C1C8BBDC22796E28C0E15163D20899B65621D65A"},
      {std::string(56, 'a'), "C2DB330F6083854C99D4B5BFB6E8F29F201BE699"},
      {std::string(63, 'a'), "03F09F5B158A7A8CDAD920BDDC29B81C18A551F5"},
      {std::string(64, 'a'), "0098BA824B5C16427BD7A1122A5A442A25EC644D"},
      {std::string(65, 'a'), "11655326C708D70319BE2610E8A57D9A5B959D3B"},
      {std::string(119, 'a'), "EE971065AAA017E0632A8CA6C77BB3BF8B1DFC56"},
      {std::string(120, 'a'), "F34C1488385346A55709BA056DDD08280DD4C6D6"},
      {std::string(1000, 'a'), "291E9A6C66994949B57BA5E650361E98FC36B1BA"},
  };
  for (const auto& c : cases) EXPECT_EQ(SHA1DigestToHex(SHA1FromString(c.text)), c.want) << "length " << c.text.size();
}

TEST(SHA1, BothPathsAgreeOnRandomData) {
  if (!detail::HardwareSHA1Available()) GTEST_SKIP() << "no SHA instructions";
  const std::vector<uint8_t> data = RandomBytes(5000, 11);
  for (std::size_t len = 0; len <= data.size(); len += 97) {
    const std::string s(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(len));
    const TSHA1Digest hardware = SHA1FromString(s);
    detail::ForcePortableChecksums(true);
    const TSHA1Digest portable = SHA1FromString(s);
    detail::ForcePortableChecksums(false);
    EXPECT_EQ(hardware, portable) << "len=" << len;
  }
}

TEST(SHA1, StreamFromItsPositionAndFiles) {
  TStringStream s("xyzabc");
  s.SetPosition(3);
  EXPECT_EQ(SHA1DigestToHex(SHA1FromStream(s)), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(s.Position(), 6);
  testing::TempDir dir;
  const std::string big(5000, 'a');
  std::ofstream(dir.File("a.txt"), std::ios::binary) << big;
  EXPECT_EQ(SHA1FromFile(dir.File("a.txt")), SHA1FromString(big));
  EXPECT_THROW(SHA1FromFile(dir.File("missing.txt")), EStreamError);
}

}  // namespace
}  // namespace nuv
