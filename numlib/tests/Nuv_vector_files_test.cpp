#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "TempDir.h"
#include "nuv/Nuv_vector.h"

namespace nuv {
namespace {

std::string ReadAll(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const std::string& fileName, const std::string& text) {
  std::ofstream(fileName, std::ios::binary) << text;
}

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
      {3, 3, -5, "3 3\r\n1234.57\r\n"},  // below -2 means two decimals
      {3, 3, 99, "3 3\r\n1234.56780000000000000000\r\n"},  // at most 20
      {1, 1, -1, "1 1\r\n 1.5000E+0000\r\n"},
      {1, 1, -2, "1 1\r\n 1.50000000000000000E+0000\r\n"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(v.StoreOnFile(c.lo, c.hi, c.precision, file)) << "precision=" << c.precision;
    EXPECT_EQ(ReadAll(file), c.text) << "precision=" << c.precision;
  }

  TIntVector iv(nullptr);
  SetValues(iv, std::vector<int32_t>{7, -2147483647 - 1});
  ASSERT_TRUE(iv.StoreOnFile(0, 5, file));
  EXPECT_EQ(ReadAll(file), "1 2\r\n7\r\n-2147483648\r\n");
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
  WriteAll(file, "1 4\n2.5\n-3.5\n1e10\n7\n");
  TIntVector iv(nullptr);
  EXPECT_FALSE(iv.LoadFromFile(file, true)) << "1e10 is out of range";
  EXPECT_EQ(Values(iv), (std::vector<int32_t>{2, -4, 0, 7}));
}

TEST(TVectorFiles, DamagedFilesFailWithoutHarm) {
  testing::TempDir dir;
  const std::string file = dir.File("bad.txt");
  const struct {
    const char* what;
    std::string text;
    bool ok;
    std::vector<double> values;  // after loading with adjustSize into {8, 8, 8}
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
      {"truncated", "1 3\n1\n2\n", false, {1, 2, 8}},
      {"bad number", "1 3\n1\nx\n3\n", false, {1, 8, 3}},
  };
  for (const auto& c : cases) {
    WriteAll(file, c.text);
    TVector v(nullptr);
    SetValues(v, std::vector<double>{8, 8, 8});
    EXPECT_EQ(v.LoadFromFile(file, true), c.ok) << c.what;
    EXPECT_EQ(Values(v), c.values) << c.what;
  }
  TVector v(nullptr);
  EXPECT_FALSE(v.LoadFromFile(dir.File("none.txt"), true));
}

}  // namespace
}  // namespace nuv
