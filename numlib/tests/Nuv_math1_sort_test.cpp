#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "Nuv_math1_parts.h"
#include "nuv/Nuv_math1.h"

namespace nuv {
namespace {

// Inputs of several shapes, each with many ties.
std::vector<std::vector<double>> Inputs() {
  std::mt19937 gen(42);
  std::vector<std::vector<double>> inputs{{}, {1}, {2, 1}, {1, 2}, {5, 5, 5, 5}};
  for (int n : {3, 10, 13, 14, 100, 1000, 4097}) {
    std::vector<double> random(n), sorted(n), reversed(n);
    for (int i = 0; i < n; ++i) {
      random[i] = static_cast<double>(gen() % 17) - 8;  // ties and negatives
      sorted[i] = i / 3;
      reversed[i] = n - i / 2;
    }
    inputs.insert(inputs.end(), {random, sorted, reversed});
  }
  return inputs;
}

TEST(SortArray, TypedFormsMatchAReferenceSort) {
  for (const auto& input : Inputs()) {
    for (bool ascending : {true, false}) {
      auto expected = input;
      if (ascending)
        std::sort(expected.begin(), expected.end());
      else
        std::sort(expected.begin(), expected.end(), std::greater<>());

      auto d = input;
      SortArray(d, ascending);
      EXPECT_EQ(d, expected) << "double n=" << input.size() << " asc=" << ascending;

      std::vector<float> f(input.begin(), input.end());
      SortArray(f, ascending);
      EXPECT_EQ(f, std::vector<float>(expected.begin(), expected.end()))
          << "float n=" << input.size() << " asc=" << ascending;

      std::vector<int32_t> i(input.begin(), input.end());
      SortArray(i, ascending);
      EXPECT_EQ(i, std::vector<int32_t>(expected.begin(), expected.end()))
          << "int n=" << input.size() << " asc=" << ascending;
    }
  }
}

TEST(SortArray, UntypedFormSwitchesOnTheKind) {
  std::vector<double> d{3, 1, 2};
  SortArray(d.data(), 3, rnum, true);
  EXPECT_EQ(d, (std::vector<double>{1, 2, 3}));
  SortArray(d.data(), 3, dnum, false);
  EXPECT_EQ(d, (std::vector<double>{3, 2, 1}));
  std::vector<float> f{3, 1, 2};
  SortArray(f.data(), 3, snum, true);
  EXPECT_EQ(f, (std::vector<float>{1, 2, 3}));
  std::vector<int32_t> i{3, 1, 2, -7};
  SortArray(i.data(), 3, inum, true);  // only the first three
  EXPECT_EQ(i, (std::vector<int32_t>{1, 2, 3, -7}));
  SortArray(i.data(), 4, lnum, false);
  EXPECT_EQ(i, (std::vector<int32_t>{3, 2, 1, -7}));
  for (TVarKind kind : {Bool, strg}) {
    std::vector<int32_t> unchanged{3, 1, 2};
    SortArray(unchanged.data(), 3, kind, true);
    EXPECT_EQ(unchanged, (std::vector<int32_t>{3, 1, 2})) << "kind=" << kind;
  }
  SortArray(nullptr, 5, rnum, true);
  SortArray(d.data(), -3, rnum, true);
  EXPECT_EQ(d, (std::vector<double>{3, 2, 1}));
}

TEST(SortArray, OneProgressStepPerPass) {
  // Gaps of 10 elements: 7, 5, 3, 2, 1; a sorted array needs no second
  // gap-1 pass, a reversed pair needs one.
  const struct {
    std::vector<double> data;
    int32_t passes;
  } cases[] = {{{}, 0}, {{1}, 0}, {{1, 2}, 1}, {{2, 1}, 2}, {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 5}};
  for (const auto& c : cases) {
    std::vector<int32_t> reported;
    MathFeedBackProc = [&](int32_t stat) { reported.push_back(stat); };
    ProcStat = 100;
    auto data = c.data;
    SortArray(data, true);
    MathFeedBackProc = nullptr;
    EXPECT_EQ(ProcStat, 100 + c.passes) << "n=" << c.data.size();
    ASSERT_EQ(reported.size(), static_cast<std::size_t>(c.passes)) << "n=" << c.data.size();
    for (int32_t k = 0; k < c.passes; ++k) EXPECT_EQ(reported[k], 101 + k) << "n=" << c.data.size();
  }
  ProcStat = 0;
}

TEST(SortArray, NaNDoesNotStopTheSort) {
  std::vector<double> d{3, NAN, 1, 2, NAN, 0};
  SortArray(d, true);  // NaN compares false: the sort ends, order around NaN is open
  EXPECT_EQ(std::count_if(d.begin(), d.end(), [](double v) { return std::isnan(v); }), 2);
}

// The comb sort one element pair at a time, as it is written down; the
// sort must leave every array exactly as this does (NaN and signed zeros
// included) after the same number of passes.
template <class T>
int32_t PlainCombSort(std::vector<T>& a, bool ascending) {
  const std::size_t n = a.size();
  int32_t passes = 0;
  if (n < 2) return 0;
  for (std::size_t gap = n;;) {
    gap = std::max<std::size_t>(1, static_cast<std::size_t>(static_cast<double>(gap) / 1.3));
    bool exchanged = false;
    for (std::size_t i = 0; i + gap < n; ++i)
      if (ascending ? a[i] > a[i + gap] : a[i] < a[i + gap]) {
        std::swap(a[i], a[i + gap]);
        exchanged = true;
      }
    ++passes;
    if (gap == 1 && !exchanged) return passes;
  }
}

// Bitwise equality, so that NaN equals NaN and -0 differs from +0.
template <class T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

template <class T>
void ExpectSameAsPlainCombSort(std::vector<T> input, bool ascending, const char* path) {
  auto expected = input;
  const int32_t passes = PlainCombSort(expected, ascending);
  ProcStat = 0;
  SortArray(std::span<T>(input), ascending);
  EXPECT_TRUE(SameBits(input, expected))
      << path << " " << sizeof(T) << "-byte n=" << input.size() << " asc=" << ascending;
  EXPECT_EQ(ProcStat, passes) << path << " " << sizeof(T) << "-byte n=" << input.size()
                              << " asc=" << ascending;
  ProcStat = 0;
}

TEST(SortArray, VectorPassesExchangeAsThePlainLoop) {
  // Lengths around the vector widths (2, 4 and 8 lanes), where the passes
  // switch between whole vectors and single pairs; values with NaN, both
  // zeros and many ties, which the selects must keep in place as the loop
  // does.
  std::mt19937 gen(7);
  const double specials[] = {NAN, -0.0, 0.0, -1.5, 2.5, INFINITY, -INFINITY};
  for (const bool portable : {false, true}) {
    math1::UsePortableSort(portable);
    const char* path = portable ? "two lanes" : "best lanes";
    for (int n : {2, 3, 4, 5, 7, 8, 9, 11, 16, 17, 31, 33, 64, 257, 3001}) {
      std::vector<double> d(n);
      std::vector<int32_t> i(n);
      for (int k = 0; k < n; ++k) {
        d[k] = gen() % 5 == 0 ? specials[gen() % 7] : static_cast<double>(gen() % 23) - 11;
        i[k] = static_cast<int32_t>(gen()) >> (gen() % 31);
      }
      std::vector<float> f(d.begin(), d.end());
      for (const bool ascending : {true, false}) {
        ExpectSameAsPlainCombSort(d, ascending, path);
        ExpectSameAsPlainCombSort(f, ascending, path);
        ExpectSameAsPlainCombSort(i, ascending, path);
      }
    }
  }
  math1::UsePortableSort(false);
}

TEST(SortIntoArray, FixedLengthSortedList) {
  const struct {
    std::vector<double> data;
    double value;
    bool ascending, dups;
    int32_t position;
    std::vector<double> expected;
  } cases[] = {
      {{1, 2, 3, 4}, 4.5, true, true, -1, {1, 2, 3, 4}},
      {{1, 2, 3, 4}, 2.5, true, true, 2, {1, 2, 2.5, 3}},
      {{1, 2, 3, 4}, 2, true, false, -1, {1, 2, 3, 4}},
      {{1, 2, 3, 4}, 2, true, true, 1, {1, 2, 2, 3}},
      {{1, 2, 3, 4}, 0, true, false, 0, {0, 1, 2, 3}},
      {{1, 2, 3, 4}, 4, true, true, 3, {1, 2, 3, 4}},
      {{4, 3, 2, 1}, 2.5, false, true, 2, {4, 3, 2.5, 2}},
      {{4, 3, 2, 1}, 0.5, false, true, -1, {4, 3, 2, 1}},
      {{4, 3, 2, 1}, 9, false, true, 0, {9, 4, 3, 2}},
      {{}, 1, true, true, -1, {}},
      {{1, 2}, NAN, true, true, -1, {1, 2}},
  };
  for (const auto& c : cases) {
    auto data = c.data;
    EXPECT_EQ(SortIntoArray(data, c.value, c.ascending, c.dups), c.position)
        << "value=" << c.value << " n=" << c.data.size() << " asc=" << c.ascending;
    EXPECT_EQ(data, c.expected) << "value=" << c.value << " asc=" << c.ascending;
  }
}

TEST(SortIntoArray, OtherElementTypesAndUntypedForm) {
  std::vector<int32_t> i{10, 20, 30};
  EXPECT_EQ(SortIntoArray(i, 15, true, false), 1);
  EXPECT_EQ(i, (std::vector<int32_t>{10, 15, 20}));
  std::vector<float> f{3, 2, 1};
  EXPECT_EQ(SortIntoArray(f, 2.5f, false, false), 1);
  EXPECT_EQ(f, (std::vector<float>{3, 2.5f, 2}));

  std::vector<double> d{1, 2, 3, 4};
  const double v = 2.5, beyond = 9;
  EXPECT_EQ(SortIntoArray(d.data(), 4, dnum, &v, true, true), 3) << "1-based";
  EXPECT_EQ(d, (std::vector<double>{1, 2, 2.5, 3}));
  EXPECT_EQ(SortIntoArray(d.data(), 4, rnum, &beyond, true, true), 0);
  const int32_t iv = 25;
  EXPECT_EQ(SortIntoArray(i.data(), 3, inum, &iv, true, true), 0);
  const int32_t dup = 15;
  EXPECT_EQ(SortIntoArray(i.data(), 3, lnum, &dup, true, false), 0) << "duplicate";
  const float fv = 0.5f;
  EXPECT_EQ(SortIntoArray(f.data(), 3, snum, &fv, false, true), 0);
  EXPECT_EQ(SortIntoArray(d.data(), 0, dnum, &v, true, true), 0) << "empty";
  EXPECT_EQ(SortIntoArray(d.data(), 4, strg, &v, true, true), 0) << "unsorted kind";
  EXPECT_EQ(SortIntoArray(d.data(), 4, dnum, nullptr, true, true), 0) << "no value";
}

TEST(InsertIntoArray, PositionsInsideAndOutside) {
  const struct {
    int32_t position;
    std::vector<double> expected;
  } cases[] = {
      {0, {9, 1, 2, 3}}, {2, {1, 2, 9, 3}},  {3, {1, 2, 3, 9}},
      {4, {1, 2, 3, 4}}, {-1, {1, 2, 3, 4}}, {-2147483647 - 1, {1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    std::vector<double> d{1, 2, 3, 4};
    InsertIntoArray(d, 9, c.position);
    EXPECT_EQ(d, c.expected) << "position=" << c.position;

    // The untyped form counts from 1.
    std::vector<int32_t> i{1, 2, 3, 4};
    const int32_t nine = 9;
    InsertIntoArray(i.data(), 4, inum, &nine,
                    c.position == -2147483647 - 1 ? c.position : c.position + 1);
    EXPECT_EQ(i, std::vector<int32_t>(c.expected.begin(), c.expected.end()))
        << "untyped position=" << c.position + 1;
  }
  std::vector<double> empty;
  InsertIntoArray(empty, 1, 0);
  EXPECT_TRUE(empty.empty());
  std::vector<float> f{1, 2};
  InsertIntoArray(f, 0.5f, 0);
  EXPECT_EQ(f, (std::vector<float>{0.5f, 1}));
  const float fv = 7;
  InsertIntoArray(f.data(), 2, snum, &fv, 0);
  EXPECT_EQ(f, (std::vector<float>{0.5f, 1})) << "position 0 of the 1-based form";
}

}  // namespace
}  // namespace nuv
