#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_vector.h"
#include "nuv/platform/Streams.h"

namespace nuv {
namespace {

using testing::ReadRawFile;
using testing::WriteRawFile;

template <class V, class T>
void SetValues(V& v, const std::vector<T>& values) {
  v.Resize(static_cast<int32_t>(values.size()));
  std::copy(values.begin(), values.end(), v.Data());
}

template <class V>
auto Values(const V& v) {
  using T = std::remove_cvref_t<decltype(*v.Data())>;
  return std::vector<T>(v.Data(), v.Data() + v.NrOfElem());
}

TEST(TVectorFiles, StoreWritesTheClampedRangeInThePrecisionAsked) {
  testing::TempDir dir;
  const std::string file = dir.File("v.txt");
  TVector v(nullptr);
  SetValues(v, std::vector<double>{1.5, -0.125, 1234.5678});
  const struct {
    int32_t lo, hi, precision;
    std::string text;
  } cases[] = {
      {1, 3, 2, "1 3\r\n1.50\r\n-0.13\r\n1234.57\r\n"},
      {2, 9, 0, "2 3\r\n0\r\n1235\r\n"},
      {3, 3, -5, "3 3\r\n1234.57\r\n"},                    // below -2 means two decimals
      {3, 3, 99, "3 3\r\n1234.56780000000000000000\r\n"},  // at most 20
      {1, 1, -1, "1 1\r\n 1.5000E+0000\r\n"},
      {1, 1, -2, "1 1\r\n 1.50000000000000000E+0000\r\n"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(v.StoreOnFile(c.lo, c.hi, c.precision, file)) << "precision=" << c.precision;
    EXPECT_EQ(ReadRawFile(file), c.text) << "precision=" << c.precision;
  }

  TIntVector iv(nullptr);
  SetValues(iv, std::vector<int32_t>{7, -2147483647 - 1});
  ASSERT_TRUE(iv.StoreOnFile(0, 5, file));
  EXPECT_EQ(ReadRawFile(file), "1 2\r\n7\r\n-2147483648\r\n");
}

TEST(TVectorFiles, StoreReportsFailures) {
  testing::TempDir dir;
  TVector v(nullptr);
  EXPECT_FALSE(v.StoreOnFile(1, 1, 2, dir.File("missing/v.txt")));
  EXPECT_FALSE(v.StoreOnFile(1, 1, 2, dir.Path().string())) << "a directory";
  TIntVector iv(nullptr);
  EXPECT_FALSE(iv.StoreOnFile(1, 1, dir.File("missing/v.txt")));
  if (std::ifstream("/dev/full").good()) {
    EXPECT_FALSE(v.StoreOnFile(1, 1, 2, "/dev/full")) << "a write error is no success";
  }
}

TEST(TVectorFiles, RoundTripRestoresTheRange) {
  testing::TempDir dir;
  const std::string file = dir.File("v.txt");
  const std::vector<double> values{0.1, -1e300, 5e-324, 3, 1.0 / 3};
  TVector v(nullptr);
  SetValues(v, values);
  ASSERT_TRUE(v.StoreOnFile(1, 5, -2, file));  // 17 decimals: every double reads back

  TVector back(nullptr);
  int changes = 0;
  back.OnChange = [&](TObject*) { ++changes; };
  ASSERT_TRUE(back.LoadFromFile(file, true));
  EXPECT_EQ(back.NrOfElem(), 5);
  EXPECT_EQ(Values(back), values);
  EXPECT_EQ(changes, 2) << "resize and load";

  // Without adjustSize a long enough vector keeps its other elements.
  ASSERT_TRUE(v.StoreOnFile(2, 3, -1, file));
  TVector longer(nullptr);
  SetValues(longer, std::vector<double>{9, 9, 9, 9});
  ASSERT_TRUE(longer.LoadFromFile(file, false));
  EXPECT_EQ(longer.Data()[0], 9);
  EXPECT_EQ(longer.Data()[1], -1e300);
  EXPECT_EQ(longer.Data()[3], 9);
  TVector shorter(nullptr);
  EXPECT_FALSE(shorter.LoadFromFile(file, false)) << "one element, hi = 3";
  EXPECT_EQ(shorter.NrOfElem(), 1);
}

TEST(TVectorFiles, IntegerLoadRoundsAndRejectsWhatNoIntegerHolds) {
  testing::TempDir dir;
  const std::string file = dir.File("i.txt");
  WriteRawFile(file, "1 4\n2.5\n-3.5\n1e10\n7\n");
  TIntVector iv(nullptr);
  EXPECT_FALSE(iv.LoadFromFile(file, true)) << "1e10 is out of range";
  EXPECT_EQ(Values(iv), (std::vector<int32_t>{0})) << "a failed load changes nothing";
  WriteRawFile(file, "1 4\n2.5\n-3.5\n-1e9\n7\n");
  ASSERT_TRUE(iv.LoadFromFile(file, true));
  EXPECT_EQ(Values(iv), (std::vector<int32_t>{2, -4, -1000000000, 7}));
}

TEST(TVectorFiles, DamagedFilesFailWithoutHarm) {
  testing::TempDir dir;
  const std::string file = dir.File("bad.txt");
  const struct {
    const char* what;
    std::string text;
    bool ok;
    std::vector<double> values;  // after loading into {8, 8, 8}, with or without adjustSize
  } cases[] = {
      {"complete", "2 3\n1 2\n", true, {8, 1, 2}},
      {"numbers on one line, any blanks", "1 3 4\t5\r\n6", true, {4, 5, 6}},
      {"empty", "", false, {8, 8, 8}},
      {"header only", "1 3\n", false, {8, 8, 8}},
      {"header of one number", "3", false, {8, 8, 8}},
      {"text header", "one three\n1\n2\n3\n", false, {8, 8, 8}},
      {"fractional header", "1.5 3\n1\n2\n3\n", false, {8, 8, 8}},
      {"lo above hi", "3 1\n1\n2\n3\n", false, {8, 8, 8}},
      {"lo zero", "0 2\n1\n2\n3\n", false, {8, 8, 8}},
      {"negative", "-5 2\n1\n2\n3\n", false, {8, 8, 8}},
      {"hi beyond int32", "1 3000000000\n1\n", false, {8, 8, 8}},
      {"count beyond the file", "1 1000000\n1\n2\n", false, {8, 8, 8}},
      {"truncated", "1 3\n1\n2\n", false, {8, 8, 8}},
      {"truncated, growing", "1 5\n1\n2\n3\n4", false, {8, 8, 8}},
      {"bad number", "1 3\n1\nx\n3\n", false, {8, 8, 8}},
  };
  for (const auto& c : cases) {
    WriteRawFile(file, c.text);
    for (bool adjust : {true, false}) {
      TVector v(nullptr);
      SetValues(v, std::vector<double>{8, 8, 8});
      int changes = 0;
      v.OnChange = [&](TObject*) { ++changes; };
      EXPECT_EQ(v.LoadFromFile(file, adjust), c.ok) << c.what;
      EXPECT_EQ(Values(v), c.values) << c.what;
      if (!c.ok) {
        EXPECT_EQ(changes, 0) << c.what << " adjust " << adjust;
      }
    }
  }
  TVector v(nullptr);
  EXPECT_FALSE(v.LoadFromFile(dir.File("none.txt"), true));
}

// ---------------------------------------------------------------------------
// Fingerprints

TEST(VectorFingerprint, OneStandardCrcPerBytePosition) {
  TVector zero(nullptr);
  std::string eightGroups;
  for (int k = 0; k < 8; ++k) eightGroups += "D202EF8D";  // the CRC-32 of one zero byte
  EXPECT_EQ(zero.CRCofData(), eightGroups);

  // Low bytes "123456789", the others zero: the check value of CRC-32.
  TIntVector digits(nullptr);
  SetValues(digits, std::vector<int32_t>{'1', '2', '3', '4', '5', '6', '7', '8', '9'});
  EXPECT_EQ(digits.CRCofData(), "CBF43926E60914AEE60914AEE60914AE");
  TVector images(nullptr);
  std::vector<double> values;
  for (uint64_t c = '1'; c <= '9'; ++c) values.push_back(std::bit_cast<double>(c << 56 | c));
  SetValues(images, values);
  EXPECT_EQ(images.CRCofData(), "CBF43926E60914AEE60914AEE60914AEE60914AEE60914AEE60914AECBF43926");
}

TEST(VectorFingerprint, MatricesAreTakenColumnByColumn) {
  TMatrix m(nullptr);
  m.Resize(2, 3);
  TVector v(nullptr);
  v.Resize(6);
  for (int i = 0; i < 6; ++i) {
    m.SetVal(i / 3 + 1, i % 3 + 1, 0.5 + i);
    v.SetVal(i + 1, 0.5 + i);
  }
  EXPECT_EQ(m.CRCofData(), v.CRCofData());
  const std::string before = m.CRCofData();
  m.SetVal(2, 3, 1e-300);
  EXPECT_NE(m.CRCofData(), before);
  m.Resize(0, 3);
  EXPECT_EQ(m.CRCofData(), std::string(64, '0')) << "no elements";
}

// ---------------------------------------------------------------------------
// Binary stream records

TEST(VectorStreams, RecordsRoundTripFromTheStreamPosition) {
  TVector v(nullptr);
  SetValues(v, std::vector<double>{1.5, -2e300, 5e-324, 7});
  std::unique_ptr<TMemoryStream> stream;
  v.SaveToStream(stream, 0, 0);  // creates the stream; 0, 0 is the whole vector
  ASSERT_TRUE(stream);
  v.SaveToStream(stream, 3, 2);  // appended: elements 2..3
  EXPECT_EQ(stream->Size(), 10 * 6 + 10 * 4);
  stream->SetPosition(0);
  bool err = false;
  EXPECT_EQ(ReadExtendedFromStream(*stream, err), 1);
  EXPECT_EQ(ReadExtendedFromStream(*stream, err), 4);

  stream->SetPosition(0);
  TVector back(nullptr);
  ASSERT_TRUE(back.LoadFromStream(stream.get(), true));
  EXPECT_EQ(Values(back), Values(v));
  TVector part(nullptr);
  SetValues(part, std::vector<double>{9, 9, 9, 9, 9});
  ASSERT_TRUE(part.LoadFromStream(stream.get(), false));
  EXPECT_EQ(Values(part), (std::vector<double>{9, -2e300, 5e-324, 9, 9}));

  TIntVector iv(nullptr), ib(nullptr);
  SetValues(iv, std::vector<int32_t>{-1, 2147483647});
  std::unique_ptr<TMemoryStream> ints;
  iv.SaveToStream(ints, 0, 0);
  ASSERT_EQ(ints->Size(), 16);
  const unsigned char head[8] = {1, 0, 0, 0, 2, 0, 0, 0};
  EXPECT_EQ(std::memcmp(ints->Memory(), head, 8), 0) << "little-endian lo and hi";
  ints->SetPosition(0);
  ASSERT_TRUE(ib.LoadFromStream(ints.get(), true));
  EXPECT_EQ(Values(ib), Values(iv));
}

TEST(VectorStreams, FileStreamRoundTrip) {
  testing::TempDir dir;
  const std::string file = dir.File("v.bin");
  TVector v(nullptr), back(nullptr);
  SetValues(v, std::vector<double>{3, 1, 4, 1, 5});
  {
    TFileStream out(file, fmCreate);
    v.SaveToStream(out, 2, 4);
  }
  TFileStream in(file, fmOpenRead);
  ASSERT_TRUE(back.LoadFromStream(&in, true));
  EXPECT_EQ(Values(back), (std::vector<double>{0, 1, 4, 1}));
}

TEST(VectorStreams, DamagedRecordsFail) {
  auto record = [](std::vector<long double> numbers) {
    auto s = std::make_unique<TMemoryStream>();
    for (long double x : numbers) WriteExtendedToStream(*s, x);
    s->SetPosition(0);
    return s;
  };
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const struct {
    const char* what;
    std::vector<long double> numbers;
    std::vector<double> values;  // after loading with adjustSize into {8, 8}
  } cases[] = {
      {"empty", {}, {8, 8}},
      {"lo only", {1}, {8, 8}},
      {"lo zero", {0, 2, 1, 2}, {8, 8}},
      {"lo above hi", {2, 1, 1, 2}, {8, 8}},
      {"NaN index", {nan, 2, 1, 2}, {8, 8}},
      {"index beyond int32", {1, 1e300L, 1}, {8, 8}},
      {"more values than the stream holds", {1, 1000000, 1, 2}, {8, 8}},
      {"truncated within size", {1, 2, 5}, {8, 8}},
      {"truncated, growing", {1, 3, 5, 6}, {8, 8}},
      {"truncated, shrinking", {1, 1}, {8, 8}},
  };
  for (const auto& c : cases)
    for (bool adjust : {true, false}) {
      TVector v(nullptr);
      SetValues(v, std::vector<double>{8, 8});
      int changes = 0;
      v.OnChange = [&](TObject*) { ++changes; };
      auto s = record(c.numbers);
      EXPECT_FALSE(v.LoadFromStream(s.get(), adjust)) << c.what;
      EXPECT_EQ(Values(v), c.values) << c.what;
      EXPECT_EQ(changes, 0) << c.what;
    }
  TVector v(nullptr);
  EXPECT_FALSE(v.LoadFromStream(nullptr, true));
  auto s = record({1.4L, 2.6L, 10, 20, 30});
  ASSERT_TRUE(v.LoadFromStream(s.get(), true)) << "indices are rounded";
  EXPECT_EQ(Values(v), (std::vector<double>{10, 20, 30}));
}

}  // namespace
}  // namespace nuv
