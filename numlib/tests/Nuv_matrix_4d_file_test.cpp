#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "FileFixtures.h"
#include "Nuv_matrix_3d4d_test.h"
#include "TempDir.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {
namespace {

using testing::Counts;
using testing::ExpectThrowMessage;
using testing::FillRef;
using testing::IoCodeOf;
using testing::ReadRawFile;
using testing::RefFile;
using testing::RefValue;
using testing::Values;
using testing::WriteRawFile;

constexpr std::size_t kRecord = 4096;

int32_t IntAt(const std::string& bytes, std::size_t offset) {
  int32_t v;
  std::memcpy(&v, bytes.data() + offset, 4);
  return v;
}

double DoubleAt(const std::string& bytes, std::size_t index) {
  double v;
  std::memcpy(&v, bytes.data() + kRecord + 8 * index, 8);
  return v;
}

// A header record with these counts and DataID, followed by `records`
// zeroed data records.
std::string HeaderImage(int32_t c, int32_t r, int32_t l, int32_t t, int64_t records = 1) {
  std::string bytes(kRecord * (1 + records), '\0');
  const int32_t counts[4] = {c, r, l, t};
  std::memcpy(bytes.data(), counts, sizeof counts);
  return bytes;
}

// The reference matrix of the script: 13 × 11 × 3 × 4, seed 2.
void FillMulti(TMat4D& m) { FillRef(m, {13, 11, 3, 4}, 2); }

TEST(TMat4DFile, WritesTheRecordLayout) {
  testing::TempDir dir;
  const std::string file = dir.File("m.bin");
  TMat4D m(nullptr);
  FillRef(m, {2, 2, 1, 3}, 1);
  m.SetDataID(std::string(300, 'x'));  // a short string keeps 255
  m.SaveBinary(file, 0, 0);
  const std::string bytes = ReadRawFile(file);
  ASSERT_EQ(bytes.size(), 2 * kRecord);
  EXPECT_EQ(std::vector<int32_t>({IntAt(bytes, 0), IntAt(bytes, 4), IntAt(bytes, 8), IntAt(bytes, 12)}),
            std::vector<int32_t>({2, 2, 1, 3}));
  EXPECT_EQ(static_cast<uint8_t>(bytes[16]), 255);
  EXPECT_EQ(bytes.substr(17, 255), std::string(255, 'x'));
  EXPECT_EQ(bytes.substr(272, kRecord - 272), std::string(kRecord - 272, '\0')) << "reserved";
  for (int i = 0; i < 12; ++i) EXPECT_EQ(DoubleAt(bytes, i), RefValue(i, 1)) << i;
  EXPECT_EQ(bytes.substr(kRecord + 96), std::string(kRecord - 96, '\0')) << "rest of the record";
}

TEST(TMat4DFile, SavesAndAppendsAsTheScriptDoes) {
  testing::TempDir dir;
  const std::string file = dir.File("m.bin");
  TMat4D m(nullptr), other(nullptr);
  FillMulti(m);
  m.SetDataID("cpp save");
  FillRef(other, {13, 11, 3, 2}, 3);
  m.SaveBinary(file, 2, 3);
  EXPECT_EQ(ReadRawFile(file), ReadRawFile(RefFile("mat4d_expect_save.bin")));
  // 858 values stored: the next slot starts inside the second data record.
  m.AppendToBinaryFile(file, 4, 9);
  other.AppendToBinaryFile(file, 1, 1);
  EXPECT_EQ(ReadRawFile(file), ReadRawFile(RefFile("mat4d_expect_append.bin")));
}

TEST(TMat4DFile, ReadsTheScriptsFiles) {
  TMat4D m(nullptr);
  ASSERT_TRUE(m.LoadBinary(RefFile("mat4d_py_small.bin"), 0, 0));
  EXPECT_EQ(Counts(m), std::vector<int32_t>({2, 2, 1, 3}));
  EXPECT_EQ(m.DataID(), "python small") << "the unused characters are not part of it";
  for (int i = 0; i < 12; ++i) EXPECT_EQ(m.Data()[i], RefValue(i, 1)) << i;

  int32_t c = 0, r = 0, l = 0, t = 0;
  std::string id;
  EXPECT_TRUE(TMat4D::ReadBinaryHeader(RefFile("mat4d_py_multi.bin"), c, r, l, t, id));
  EXPECT_EQ(std::vector<int32_t>({c, r, l, t}), std::vector<int32_t>({13, 11, 3, 4}));
  EXPECT_EQ(id, "multi record");

  // Slots 2..3 begin at value 429, inside the first record, and end in
  // the fourth.
  const struct {
    int32_t first, last, from, slots;
  } cases[] = {{2, 3, 2, 2}, {3, 2, 2, 2}, {4, 99, 4, 1}, {0, 3, 1, 4}, {1, -1, 1, 4}};
  for (const auto& k : cases) {
    ASSERT_TRUE(m.LoadBinary(RefFile("mat4d_py_multi.bin"), k.first, k.last)) << k.first;
    ASSERT_EQ(Counts(m), std::vector<int32_t>({13, 11, 3, k.slots})) << k.first << ".." << k.last;
    const int64_t offset = 429 * (k.from - 1);
    for (int64_t i = 0; i < 429 * k.slots; ++i)
      ASSERT_EQ(m.Data()[i], RefValue(offset + i, 2)) << k.first << ".." << k.last << " at " << i;
  }
}

TEST(TMat4DFile, LoadsAWindowOfSlotsAndRefusesOneBeyond) {
  testing::TempDir dir;
  const std::string file = dir.File("m.bin");
  TMat4D m(nullptr);
  m.SetName("T");
  FillRef(m, {2, 2, 1, 3}, 7);
  m.SaveBinary(file, 2, 3);
  TMat4D back(nullptr);
  back.SetName("T");
  ASSERT_TRUE(back.LoadBinary(file, 1, 1));
  EXPECT_EQ(Counts(back), std::vector<int32_t>({2, 2, 1, 1}));
  EXPECT_EQ(Values(back), std::vector<double>({RefValue(4, 7), RefValue(5, 7), RefValue(6, 7),
                                               RefValue(7, 7)}))
      << "slot 2 of the saved matrix";
  ExpectThrowMessage<ENUVMatrixError>([&] { back.LoadBinary(file, 3, 3); },
                                      "Component \"T\": specified time slot beyond data range");
  ExpectThrowMessage<ENUVMatrixError>([&] { m.SaveBinary(file, 4, 4); },
                                      "Component \"T\": specified time slot beyond data range");
  ExpectThrowMessage<ENUVMatrixError>([&] { m.AppendToBinaryFile(file, 4, 1); },
                                      "Component \"T\": specified time slot beyond data range");
  EXPECT_EQ(Counts(back), std::vector<int32_t>({2, 2, 1, 1}));
}

TEST(TMat4DFile, OrdersAReversedSlotRange) {
  testing::TempDir dir;
  const std::string file = dir.File("m.bin");
  TMat4D m(nullptr);
  FillRef(m, {2, 2, 1, 4}, 7);
  m.SaveBinary(file, 3, 2);
  int32_t c = 0, r = 0, l = 0, t = 0;
  std::string id;
  ASSERT_TRUE(TMat4D::ReadBinaryHeader(file, c, r, l, t, id));
  EXPECT_EQ(t, 2) << "slots 2..3, not a negative count";
  m.AppendToBinaryFile(file, 4, 1);
  ASSERT_TRUE(TMat4D::ReadBinaryHeader(file, c, r, l, t, id));
  EXPECT_EQ(t, 6) << "slots 1..4 appended";
  TMat4D back(nullptr);
  ASSERT_TRUE(back.LoadBinary(file, 0, 0));
  for (int64_t i = 0; i < 8; ++i) EXPECT_EQ(back.Data()[i], RefValue(4 + i, 7)) << i;
  for (int64_t i = 0; i < 16; ++i) EXPECT_EQ(back.Data()[8 + i], RefValue(i, 7)) << i;
}

TEST(TMat4DFile, AppendingKeepsWhatIsStored) {
  testing::TempDir dir;
  const std::string file = dir.File("m.bin");
  TMat4D m(nullptr), small(nullptr);
  m.SetName("A");
  FillRef(m, {2, 2, 1, 2}, 1);
  m.SaveBinary(file, 0, 0);
  FillRef(small, {2, 2, 1, 1}, 9);
  small.AppendToBinaryFile(file, 1, 1);
  TMat4D back(nullptr);
  ASSERT_TRUE(back.LoadBinary(file, 0, 0));
  EXPECT_EQ(Counts(back), std::vector<int32_t>({2, 2, 1, 3}));
  for (int64_t i = 0; i < 8; ++i) EXPECT_EQ(back.Data()[i], RefValue(i, 1)) << i;
  for (int64_t i = 0; i < 4; ++i) EXPECT_EQ(back.Data()[8 + i], RefValue(i, 9)) << i;

  TMat4D wide(nullptr);
  wide.SetName("W");
  wide.Resize(3, 2, 1, 1);
  const std::string before = ReadRawFile(file);
  ExpectThrowMessage<ENUVMatrixError>([&] { wide.AppendToBinaryFile(file, 0, 0); },
                                      "Component \"W\": X,Y,Z of matrices do not match");
  EXPECT_EQ(ReadRawFile(file), before);
  EXPECT_EQ(IoCodeOf([&] { wide.AppendToBinaryFile(dir.File("missing.bin"), 0, 0); }), 2);
}

TEST(TMat4DFile, AppendingRefusesDamagedFiles) {
  testing::TempDir dir;
  const std::string file = dir.File("m.bin");
  TMat4D m(nullptr);
  m.SetName("D");
  m.Resize(2, 2, 1, 1);
  const struct {
    const char* what;
    std::string image;
  } cases[] = {
      {"negative slot count", HeaderImage(2, 2, 1, -3)},
      {"shorter than its slots", HeaderImage(2, 2, 1, 300)},
      {"no header record", std::string(100, '\0')},
      {"2^31 - 1 slots claimed", HeaderImage(2, 2, 1, 2147483647)},
  };
  for (const auto& k : cases) {
    WriteRawFile(file, k.image);
    ExpectThrowMessage<ENUVMatrixError>([&] { m.AppendToBinaryFile(file, 0, 0); },
                                        "Component \"D\": file holds no valid matrix data", k.what);
    EXPECT_EQ(ReadRawFile(file), k.image) << k.what;
  }
}

TEST(TMat4DFile, LoadingRefusesHostileHeadersAndKeepsTheMatrix) {
  testing::TempDir dir;
  const std::string file = dir.File("h.bin");
  const struct {
    const char* what;
    std::string image;
  } cases[] = {
      {"no columns", HeaderImage(0, 2, 1, 1)},
      {"negative rows", HeaderImage(2, -2, 1, 1)},
      {"two negative counts with a positive product", HeaderImage(-2, -3, 1, 1)},
      {"negative slots", HeaderImage(2, 2, 1, -1)},
      {"no slots", HeaderImage(2, 2, 1, 0)},
      {"2^32 elements per slot", HeaderImage(65536, 65536, 1, 1)},
      {"2^31 elements", HeaderImage(65536, 16384, 2, 1)},
      {"32-bit product that wraps to 0", HeaderImage(65536, 65536, 65536, 1)},
      {"data cut short", HeaderImage(32, 32, 1, 1, 1)},
      {"last record cut short", ReadRawFile(RefFile("mat4d_py_small.bin")).substr(0, 4096 + 96)},
      {"header cut short", std::string(4000, '\0')},
      {"empty file", std::string()},
  };
  TMat4D m(nullptr);
  FillRef(m, {2, 3, 1, 2}, 5);
  m.SetDataID("kept");
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  for (const auto& k : cases) {
    WriteRawFile(file, k.image);
    EXPECT_FALSE(m.LoadBinary(file, 0, 0)) << k.what;
  }
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(Counts(m), std::vector<int32_t>({2, 3, 1, 2}));
  EXPECT_EQ(m.Data()[11], RefValue(11, 5));
  EXPECT_EQ(m.DataID(), "kept");
  EXPECT_EQ(IoCodeOf([&] { m.LoadBinary(dir.File("missing.bin"), 0, 0); }), 2);
}

TEST(TMat4DFile, ReadBinaryHeaderNeedsPositiveCounts) {
  testing::TempDir dir;
  const std::string file = dir.File("h.bin");
  const struct {
    const char* what;
    std::string image;
    bool ok;
  } cases[] = {
      {"complete", HeaderImage(2, 3, 4, 5), true},
      {"no slots", HeaderImage(2, 3, 4, 0), false},
      {"no layers", HeaderImage(2, 3, 0, 5), false},
      {"no columns", HeaderImage(0, 3, 4, 5), false},
      {"negative rows", HeaderImage(2, -3, 4, 5), false},
      {"header cut short", std::string(4095, '\0'), false},
  };
  for (const auto& k : cases) {
    WriteRawFile(file, k.image);
    int32_t c = 0, r = 0, l = 0, t = 0;
    std::string id = "?";
    EXPECT_EQ(TMat4D::ReadBinaryHeader(file, c, r, l, t, id), k.ok) << k.what;
    EXPECT_EQ(id, "") << k.what;
  }
  int32_t c, r, l, t;
  std::string id;
  EXPECT_EQ(IoCodeOf([&] { TMat4D::ReadBinaryHeader(dir.File("none"), c, r, l, t, id); }), 2);
}

TEST(TMat4DFile, ReportsProgressEveryHundredthOfTheValues) {
  testing::TempDir dir;
  const std::string file = dir.File("p.bin");
  TMat4D m(nullptr);
  std::vector<int32_t> percents;
  m.OnPercentDone = [&](TObject* sender, int32_t p) {
    EXPECT_EQ(sender, &m);
    percents.push_back(p);
  };
  FillRef(m, {2, 2, 1, 3}, 1);
  m.SaveBinary(file, 0, 0);
  EXPECT_EQ(percents, std::vector<int32_t>({8, 17, 25, 33, 42, 50, 58, 67, 75, 83, 92, 100}))
      << "12 values, one by one";

  FillMulti(m);
  const struct {
    const char* what;
    std::function<void()> run;
    std::size_t events;
    int32_t last;
  } cases[] = {
      // 1716 values: every 17th, the last report at value 1700.
      {"save", [&] { m.SaveBinary(file, 0, 0); }, 100, 99},
      {"load", [&] { m.LoadBinary(file, 0, 0); }, 100, 99},
      // 429 values: every 4th.
      {"append", [&] { m.AppendToBinaryFile(file, 2, 2); }, 107, 100},
  };
  for (const auto& k : cases) {
    percents.clear();
    k.run();
    EXPECT_EQ(percents.size(), k.events) << k.what;
    EXPECT_EQ(percents.back(), k.last) << k.what;
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end())) << k.what;
  }
}

TEST(TMat4DFile, AFailedSaveKeepsTheOldFile) {
  testing::TempDir dir;
  const std::string file = dir.File("m.bin");
  TMat4D m(nullptr);
  FillRef(m, {2, 2, 1, 3}, 1);
  m.SaveBinary(file, 0, 0);
  const std::string before = ReadRawFile(file);
  ASSERT_EQ(FileSetAttr(file, faReadOnly), 0);
  m.Resize(3, 3, 3, 3);
  EXPECT_EQ(IoCodeOf([&] { m.SaveBinary(file, 0, 0); }), 5);
  EXPECT_EQ(ReadRawFile(file), before);
  EXPECT_NE(IoCodeOf([&] { m.SaveBinary(dir.File("none/m.bin"), 0, 0); }), 0);
}

}  // namespace
}  // namespace nuv
