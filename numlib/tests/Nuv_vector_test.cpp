#include "nuv/Nuv_vector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "ExpectThrow.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();

// A vector named "V" holding the values; it counts its OnChange events.
template <class V, class T>
struct TTestVector {
  V v{nullptr};
  int changes = 0;
  explicit TTestVector(const std::vector<T>& values) {
    v.SetName("V");
    v.Resize(static_cast<int32_t>(values.size()));
    std::copy(values.begin(), values.end(), v.Data());
    v.OnChange = [this](TObject*) { ++changes; };
  }
  std::vector<T> Values() const { return {v.Data(), v.Data() + v.NrOfElem()}; }
};
using TDoubles = TTestVector<TVector, double>;
using TInts = TTestVector<TIntVector, int32_t>;

// ---------------------------------------------------------------------------
// Life cycle, access and ranges

TEST(TVector, StartsWithOneZeroAndResizesKeepingValues) {
  TVector v(nullptr);
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 0);

  TDoubles t({1, 2, 3});
  EXPECT_FALSE(t.v.Resize(0));
  EXPECT_FALSE(t.v.Resize(-4));
  EXPECT_TRUE(t.v.Resize(3));
  EXPECT_EQ(t.changes, 0) << "no change, no event";
  EXPECT_TRUE(t.v.Resize(5));
  EXPECT_EQ(t.Values(), (std::vector<double>{1, 2, 3, 0, 0}));
  t.v.SetNrOfElem(2);
  t.v.SetNrOfElem(0);  // ignored
  EXPECT_EQ(t.Values(), (std::vector<double>{1, 2}));
  EXPECT_EQ(t.changes, 2);
}

TEST(TVector, OutOfRangeReadsZeroAndWritesNothing) {
  TDoubles t({1, 2, 3});
  for (int32_t i : {0, -1, 4, kIntMin, kIntMax}) {
    EXPECT_EQ(t.v.GetVal(i), 0) << "i=" << i;
    t.v.SetVal(i, 9);
  }
  EXPECT_EQ(t.Values(), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(t.changes, 0);
  t.v.SetVal(3, 7);
  EXPECT_EQ(t.v.GetVal(3), 7);
  EXPECT_EQ(t.changes, 1);
}

TEST(TVector, RangesAreClampedAndOrderedButOnlyFindTakesZeroZeroAsWhole) {
  TDoubles t({5, 1, 9, 4});
  const struct {
    int32_t lo, hi, wantLo, wantHi;
  } cases[] = {{0, 0, 1, 4}, {3, 2, 2, 3}, {-7, 99, 1, 4}, {9, -9, 1, 4}, {kIntMin, kIntMax, 1, 4}};
  for (const auto& c : cases) {
    int32_t lo = c.lo, hi = c.hi;
    t.v.MakeValidElemRange(lo, hi);
    EXPECT_EQ(lo, c.wantLo) << "lo=" << c.lo << " hi=" << c.hi;
    EXPECT_EQ(hi, c.wantHi) << "lo=" << c.lo << " hi=" << c.hi;
  }
  EXPECT_EQ(t.v.Sum(0, 0), 5) << "the first element only";
  EXPECT_EQ(t.v.Sum(3, 2), 10);
  EXPECT_EQ(t.v.Sum(-5, 100), 19);
  EXPECT_EQ(t.v.Find(0, 0, 8.9), 3) << "whole vector";
  EXPECT_EQ(t.v.Find(1, 2, 8.9), 1);
}

TEST(TVector, CopyFromClipsTheDestinationAndHandlesOverlap) {
  const struct {
    int32_t srcLo, srcHi, destLo;
    std::vector<double> want;
  } cases[] = {
      {1, 3, 3, {0, 0, 1, 2}},   // the last element falls off
      {2, 4, -1, {4, 0, 0, 0}},  // the first two fall before the start
      {4, 1, 1, {1, 2, 3, 4}},   // ordered
      {1, 4, kIntMax, {0, 0, 0, 0}}, {1, 4, kIntMin, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    TDoubles src({1, 2, 3, 4}), dest({0, 0, 0, 0});
    dest.v.CopyFrom(src.v, c.srcLo, c.srcHi, c.destLo);
    EXPECT_EQ(dest.Values(), c.want) << "srcLo=" << c.srcLo << " destLo=" << c.destLo;
    EXPECT_EQ(dest.changes, 1);
  }
  TDoubles self({1, 2, 3, 4, 5});
  self.v.CopyFrom(self.v, 1, 3, 2);
  EXPECT_EQ(self.Values(), (std::vector<double>{1, 1, 2, 3, 5}));
  self.v.CopyFrom(self.v, 3, 5, 1);
  EXPECT_EQ(self.Values(), (std::vector<double>{2, 3, 5, 3, 5}));
}

TEST(TVector, BulkOperationsFireOneEvent) {
  TDoubles t({1, 2, 3, 4});
  TDoubles other({9, 8});
  const std::vector<std::pair<const char*, std::function<void()>>> ops{
      {"Fill", [&] { t.v.Fill(2); }},
      {"Clear", [&] { t.v.Clear(); }},
      {"Mirror", [&] { t.v.Mirror(); }},
      {"SMult", [&] { t.v.SMult(3); }},
      {"ShuffleElems", [&] { t.v.ShuffleElems(); }},
      {"Clone", [&] { t.v.Clone(other.v); }},
      {"SortElems", [&] { t.v.SortElems(true, 1, 99); }},
  };
  for (const auto& [name, op] : ops) {
    t.changes = 0;
    op();
    EXPECT_EQ(t.changes, 1) << name;
  }
  EXPECT_EQ(t.Values(), (std::vector<double>{8, 9}));
}

TEST(TVector, ShuffleKeepsTheElements) {
  std::vector<double> values(50);
  for (int i = 0; i < 50; ++i) values[i] = i % 7;
  TDoubles t(values);
  t.v.ShuffleElems();
  std::vector<double> got = t.Values();
  std::sort(got.begin(), got.end());
  std::sort(values.begin(), values.end());
  EXPECT_EQ(got, values);
}

// ---------------------------------------------------------------------------
// Algebra

TEST(TVector, AlgebraChecksDimensions) {
  TDoubles a({1, 2, 3}), b({4, 5, 6}), c({1, 2});
  EXPECT_EQ(a.v.DotProduct(b.v), 32);
  a.v.Add(b.v);
  EXPECT_EQ(a.Values(), (std::vector<double>{5, 7, 9}));
  a.v.Subtract(b.v);
  EXPECT_EQ(a.Values(), (std::vector<double>{1, 2, 3}));
  const std::string message = "Component \"V\": vectors have different dimensions";
  ExpectThrowMessage<ENUVVectorError>([&] { a.v.Add(c.v); }, message);
  ExpectThrowMessage<ENUVVectorError>([&] { a.v.Subtract(c.v); }, message);
  ExpectThrowMessage<ENUVVectorError>([&] { a.v.DotProduct(c.v); }, message);
}

TEST(TVector, CorrelateShiftsTheOtherVector) {
  TDoubles a({1, 2, 3}), b({10, 20, 30, 40});
  const struct {
    int32_t lag;
    double want;
  } cases[] = {{0, 140}, {1, 200}, {-1, 80}, {3, 40}, {4, 0}, {-3, 0}, {kIntMax, 0}, {kIntMin, 0}};
  for (const auto& c : cases) EXPECT_EQ(a.v.Correlate(&b.v, c.lag), c.want) << "lag=" << c.lag;
  EXPECT_EQ(a.v.Correlate(nullptr, 0), 0);
}

TEST(TVector, LengthScalingAndCentring) {
  TDoubles t({3, 4});
  EXPECT_EQ(t.v.CalcVecLeng(), 5);
  t.v.SetVecLeng(10);
  EXPECT_EQ(t.Values(), (std::vector<double>{6, 8}));
  TDoubles huge({3e200, 4e200});
  EXPECT_DOUBLE_EQ(huge.v.CalcVecLeng(), 5e200) << "no overflow of the squares";
  TDoubles zero({0, 0});
  ExpectThrowMessage<ENUVVectorError>([&] { zero.v.SetVecLeng(1); }, "vector has zero length");

  TDoubles c({1, 2, 6});
  EXPECT_EQ(c.v.MeanCenter(), 3);
  EXPECT_EQ(c.Values(), (std::vector<double>{-2, -1, 3}));
  TDoubles s({2, 4, 6});
  double mean = 0, sd = 0;
  s.v.Standardize(mean, sd);
  EXPECT_EQ(mean, 4);
  EXPECT_EQ(sd, 2);
  EXPECT_EQ(s.Values(), (std::vector<double>{-1, 0, 1}));
  TDoubles flat({5, 5, 5});
  flat.v.Standardize(mean, sd);
  EXPECT_EQ(sd, 0);
  EXPECT_EQ(flat.Values(), (std::vector<double>{5, 5, 5})) << "no division by 0";
}

TEST(TIntVector, IntegerArithmeticWrapsAndSumsAreWide) {
  TInts a({kIntMax, kIntMin, 7}), b({1, -1, 2});
  a.v.Add(b.v);
  EXPECT_EQ(a.Values(), (std::vector<int32_t>{kIntMin, kIntMax, 9}));
  a.v.SMult(2);
  EXPECT_EQ(a.Values(), (std::vector<int32_t>{0, -2, 18}));
  TInts big({kIntMax, kIntMax, kIntMax});
  EXPECT_EQ(big.v.Sum(1, 3), int64_t{3} * kIntMax);
  TInts two({kIntMax, kIntMax});
  EXPECT_EQ(two.v.DotProduct(two.v), int64_t{2} * kIntMax * kIntMax);
  EXPECT_EQ(big.v.Correlate(&big.v, 1), int64_t{2} * kIntMax * kIntMax);
}

// ---------------------------------------------------------------------------
// Statistics

TEST(TVector, MeanVarReportsOneForShortRangesAndNeverGoesNegative) {
  const struct {
    std::vector<double> values;
    double mean, variance;
  } cases[] = {
      {{1, 3}, 2, 1},
      {{1, 2, 3}, 2, 1},
      {{7}, 7, 1},
      {{2, 4, 4, 4, 5, 5, 7, 9}, 5, 32.0 / 7},
      {{1e9 + 1, 1e9 + 2, 1e9 + 3}, 1e9 + 2, 1},
      {{0.1, 0.1, 0.1}, 0.1, 0},
      {{1e15 + 0.5, 1e15 + 1.5, 1e15 + 2.5, 1e15 + 3.5}, 1e15 + 2, 5.0 / 3},
  };
  for (const auto& c : cases) {
    TDoubles t(c.values);
    double mean = -1, variance = -1;
    t.v.MeanVar(1, t.v.NrOfElem(), mean, variance);
    EXPECT_DOUBLE_EQ(mean, c.mean) << "n=" << c.values.size() << " first=" << c.values[0];
    EXPECT_DOUBLE_EQ(variance, c.variance) << "n=" << c.values.size() << " first=" << c.values[0];
  }
}

TEST(TVector, GeometricAndHarmonicMeans) {
  const struct {
    std::vector<double> values;
    double geometric, harmonic;
  } cases[] = {{{2, 8}, 4, 3.2}, {{1, 2, 4}, 2, 12.0 / 7}, {{5}, 5, 5}};
  for (const auto& c : cases) {
    TDoubles t(c.values);
    EXPECT_DOUBLE_EQ(t.v.GeometricMean(0, 99), c.geometric) << "first=" << c.values[0];
    EXPECT_DOUBLE_EQ(t.v.HarmonicMean(0, 99), c.harmonic) << "first=" << c.values[0];
  }
  TDoubles withZero({2, 0, 8});
  EXPECT_EQ(withZero.v.GeometricMean(1, 3), 0);
  ExpectThrowMessage<ENUVVectorError>(
      [&] { withZero.v.HarmonicMean(1, 3); },
      "Component \"V\": negative or zero argument passed to HarmonicMean");
  TDoubles negative({2, 0, -1});
  ExpectThrowMessage<ENUVVectorError>([&] { negative.v.GeometricMean(1, 3); },
                                      "Component \"V\": negative argument passed to GeometricMean");
  TDoubles nan({2, kNaN});
  ExpectThrowMessage<ENUVVectorError>(
      [&] { nan.v.HarmonicMean(1, 2); },
      "Component \"V\": negative or zero argument passed to HarmonicMean");
}

TEST(TVector, SkewnessAndKurtosis) {
  TDoubles t({2, 4, 4, 4, 5, 5, 7, 9});
  double skew = 0, kurt = 0;
  int32_t count = 0;
  t.v.SkewKurtIntern(0, 99, skew, kurt, count);
  EXPECT_EQ(count, 8);
  EXPECT_NEAR(skew, 0.5371324568903997, 1e-14);
  EXPECT_NEAR(kurt, -0.8706054687500004, 1e-14);
  t.v.SkewKurtSample(0, 99, skew, kurt);  // the spreadsheet SKEW and KURT of these values
  EXPECT_NEAR(skew, 0.8184875533567995, 1e-14);
  EXPECT_NEAR(kurt, 0.940625, 1e-14);

  // Undefined moments come out as 0, also in the sample form.
  const std::vector<std::vector<double>> degenerate{{3, 3, 3, 3, 3}, {1, 2, 3}, {4}};
  for (const auto& values : degenerate) {
    TDoubles d(values);
    d.v.SkewKurt(1, 99, skew, kurt);
    EXPECT_EQ(skew, 0) << "n=" << values.size();
    EXPECT_EQ(kurt, 0) << "n=" << values.size();
    d.v.SkewKurtSample(1, 99, skew, kurt);
    EXPECT_EQ(skew, 0) << "sample n=" << values.size();
    EXPECT_EQ(kurt, 0) << "sample n=" << values.size();
  }
}

TEST(TVector, QuartilesInterpolateAndReachTheMaximum) {
  const struct {
    std::vector<double> values;
    double q1, q2, q3;
  } cases[] = {
      {{4, 1, 3, 2}, 1.25, 2.5, 3.75},
      {{1, 2}, 1, 1.5, 2},  // 3 × 0.75 = 2.25 lies beyond the last element
      {{5}, 5, 5, 5},
      {{1, 2, 3}, 1, 2, 3},
      {{6, 7, 15, 36, 39, 40, 41, 42, 43, 47, 49}, 15, 40, 43},
  };
  for (const auto& c : cases) {
    TDoubles t(c.values);
    double q1 = 0, q2 = 0, q3 = 0;
    EXPECT_TRUE(t.v.Quartiles(0, 99, q1, q2, q3));
    EXPECT_DOUBLE_EQ(q1, c.q1) << "n=" << c.values.size();
    EXPECT_DOUBLE_EQ(q2, c.q2) << "n=" << c.values.size();
    EXPECT_DOUBLE_EQ(q3, c.q3) << "n=" << c.values.size();
    EXPECT_EQ(t.Values(), c.values) << "the vector is not sorted";
  }
}

TEST(TVector, PercentilesAreMonotoneAndClamped) {
  std::vector<double> values;
  for (int i = 10; i >= 1; --i) values.push_back(i);
  TDoubles t(values);
  EXPECT_EQ(t.v.Percentile(0, 1, 10), 1);
  EXPECT_EQ(t.v.Percentile(100, 1, 10), 10);
  EXPECT_EQ(t.v.Percentile(-5, 1, 10), 1);
  EXPECT_EQ(t.v.Percentile(150, 1, 10), 10);
  EXPECT_EQ(t.v.Percentile(kNaN, 1, 10), 1);
  EXPECT_DOUBLE_EQ(t.v.Percentile(90, 1, 10), 9.9);
  EXPECT_EQ(t.v.Percentile(95, 1, 10), 10);
  double previous = 0;
  for (int p = 0; p <= 100; ++p) {
    const double q = t.v.Percentile(p, 1, 10);
    EXPECT_GE(q, previous) << "p=" << p;
    previous = q;
  }
  TDoubles one({3});
  EXPECT_EQ(one.v.Percentile(40, 1, 1), 3);
}

TEST(TVector, ModePrefersTheLongestRunThenTheSmallestValue) {
  const struct {
    std::vector<double> values;
    double mode;
  } cases[] = {{{3, 1, 3, 1}, 1}, {{1, 2, 3}, 1}, {{2, 5, 5, 1}, 5}, {{-1, 7, 7, -1, 7}, 7}};
  for (const auto& c : cases) {
    TDoubles t(c.values);
    EXPECT_EQ(t.v.Mode(1, 99), c.mode) << "first=" << c.values[0];
    TInts i(std::vector<int32_t>(c.values.begin(), c.values.end()));
    EXPECT_EQ(i.v.Mode(1, 99), c.mode) << "int first=" << c.values[0];
  }
}

TEST(TVector, MinMaxHandlesTheWholeRangeOfTheType) {
  TDoubles t({2e38, -kInf, 1, kNaN, 3e300});
  double mn = 0, mx = 0;
  t.v.MinMax(1, 5, mn, mx);
  EXPECT_EQ(mn, -kInf);
  EXPECT_EQ(mx, 3e300);
  t.v.MinMax(4, 4, mn, mx);  // NaN only
  EXPECT_EQ(mn, 1.7e308);
  EXPECT_EQ(mx, -1.7e308);

  TInts i({kIntMin, kIntMin});
  int32_t imn = 0, imx = 0;
  i.v.MinMax(1, 2, imn, imx);
  EXPECT_EQ(imn, kIntMin);
  EXPECT_EQ(imx, kIntMin);
}

TEST(TVector, FindNearest) {
  TDoubles t({5, 1, 9, 1, kNaN});
  const struct {
    int32_t lo, hi;
    double value;
    int32_t want;
  } cases[] = {{0, 0, 1.2, 2}, {0, 0, 7, 1}, {3, 5, 0, 4}, {5, 5, 1, 0}, {0, 0, kInf, 1}};
  for (const auto& c : cases)
    EXPECT_EQ(t.v.Find(c.lo, c.hi, c.value), c.want) << "value=" << c.value << " lo=" << c.lo;
}

TEST(TVector, FindInSortedVectorTakesTheNearerNeighbour) {
  const struct {
    std::vector<double> values;
    bool ascending;
    double value;
    int32_t want;
  } cases[] = {
      {{1, 3}, true, 2, 2},  // a tie goes up
      {{1, 3}, true, 1.9, 1},
      {{1, 3, 5, 7, 9}, true, 5, 3},
      {{1, 3, 5, 7, 9}, true, 100, 5},
      {{1, 3, 5, 7, 9}, true, -100, 1},
      {{9, 7, 5, 3, 1}, false, 6.5, 2},
      {{9, 7, 5, 3, 1}, false, 0, 5},
      {{4}, true, 100, 1},
  };
  for (const auto& c : cases) {
    TDoubles t(c.values);
    EXPECT_EQ(t.v.FindInSortedVector(c.ascending, c.value), c.want)
        << "value=" << c.value << " asc=" << c.ascending;
  }
}

TEST(TVector, HistogramCountsEveryPositionOnce) {
  TDoubles t({-1, 0, 0.5, 1, 2.9, 3, 3.5, 10});
  TIntVector histo(nullptr);
  int32_t under = -1, over = -1, maxCount = -1;
  ASSERT_TRUE(t.v.Histogram(1, 8, 0, 3, 1, histo, under, over, maxCount));
  EXPECT_EQ(std::vector<int32_t>(histo.Data(), histo.Data() + histo.NrOfElem()),
            (std::vector<int32_t>{2, 1, 1}));
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 3) << "3 and 3.5 lie beyond the last bin";
  EXPECT_EQ(maxCount, 2);

  // Positions outside the vector read 0; the range is not clamped.
  ASSERT_TRUE(t.v.Histogram(-1, 9, 0, 3, 1, histo, under, over, maxCount));
  EXPECT_EQ(histo.GetVal(1), 5);
  EXPECT_EQ(maxCount, 5);
  ASSERT_TRUE(t.v.Histogram(kIntMin, kIntMax, 0, 3, 1, histo, under, over, maxCount));
  EXPECT_EQ(histo.GetVal(1), kIntMax) << "saturated";
  ASSERT_TRUE(t.v.Histogram(5, 2, 0, 3, 1, histo, under, over, maxCount));
  EXPECT_EQ(under + over + maxCount, 0) << "lo > hi counts nothing";
}

TEST(TVector, HistogramRejectsBadBinsWithoutTouchingTheTarget) {
  TDoubles t({1, 2, 3});
  const struct {
    double first, last, width;
  } cases[] = {{0, 501, 1}, {0, 10, 0},  {0, 10, -1},  {0, 10, kNaN},     {0, kInf, 1},
               {5, 5, 1},   {0, 0.4, 1}, {0, kNaN, 1}, {-1e308, 1e308, 1}};
  for (const auto& c : cases) {
    TIntVector histo(nullptr);
    histo.Resize(3);
    histo.Fill(7);
    int32_t under = -1, over = -1, maxCount = -1;
    EXPECT_FALSE(t.v.Histogram(1, 3, c.first, c.last, c.width, histo, under, over, maxCount))
        << "first=" << c.first << " last=" << c.last << " width=" << c.width;
    EXPECT_EQ(histo.NrOfElem(), 3);
    EXPECT_EQ(histo.GetVal(2), 7);
    EXPECT_EQ(under, -1);
  }
  TIntVector histo(nullptr);
  int32_t under = 0, over = 0, maxCount = 0;
  EXPECT_TRUE(t.v.Histogram(1, 3, 0, 500, 1, histo, under, over, maxCount));
  EXPECT_EQ(histo.NrOfElem(), 500);
}

// ---------------------------------------------------------------------------
// Sorting

using TExchanges = std::vector<std::tuple<int, int32_t, int32_t, int32_t, int32_t>>;

TEST(TVector, SortElemsReportsEachExchange) {
  TDoubles t({3, 2, 1});
  TExchanges events;
  t.v.OnSortExchange = [&](TObject* sender, uint8_t what, int32_t i, int32_t j, int32_t first,
                           int32_t last) {
    EXPECT_EQ(sender, &t.v);
    events.emplace_back(what, i, j, first, last);
  };
  t.v.SortElems(true, 1, 3);
  EXPECT_EQ(t.Values(), (std::vector<double>{1, 2, 3}));
  // The first gap is Trunc((hi - lo) / 1.3) = 1.
  EXPECT_EQ(events, (TExchanges{{0, 1, 2, 0, 0}, {0, 2, 3, 0, 0}, {0, 1, 2, 0, 0}}));
}

TEST(TVector, SortedRangesWithTiesMatchTheReplayedExchanges) {
  std::mt19937 gen(7);
  for (int n : {1, 2, 5, 13, 100}) {
    for (bool ascending : {true, false}) {
      std::vector<double> values(n);
      for (double& x : values) x = static_cast<double>(gen() % 5);
      TDoubles t(values);
      std::vector<double> replay = values;
      t.v.OnSortExchange = [&](TObject*, uint8_t, int32_t i, int32_t j, int32_t, int32_t) {
        std::swap(replay[i - 1], replay[j - 1]);
      };
      const int32_t lo = std::min(2, n), hi = std::max(1, n - 1);
      t.v.SortElems(ascending, hi, lo);  // reversed bounds are ordered
      const int32_t a = std::min(lo, hi), b = std::max(lo, hi);
      std::vector<double> want = values;
      if (ascending)
        std::sort(want.begin() + (a - 1), want.begin() + b);
      else
        std::sort(want.begin() + (a - 1), want.begin() + b, std::greater<>());
      EXPECT_EQ(t.Values(), want) << "n=" << n << " asc=" << ascending;
      EXPECT_EQ(replay, want) << "n=" << n << " asc=" << ascending;
    }
  }
}

}  // namespace
}  // namespace nuv
