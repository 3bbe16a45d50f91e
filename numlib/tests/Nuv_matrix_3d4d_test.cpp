#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "ExpectThrow.h"
#include "Nuv_matrix_3d4d_test.h"
#include "RelativeError.h"
#include "data/mat4d_ref.inc"
#include "nuv/Nuv_matrix.h"

namespace nuv {
namespace {

using testing::Counts;
using testing::ExpectThrowMessage;
using testing::FillRef;
using testing::RefValue;
using testing::Values;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// ---------------------------------------------------------------------------
// TMat3D

TEST(TMat3D, ResizeKeepsTheSurvivingValuesAndIgnoresBadCounts) {
  TMat3D m(nullptr);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(m.GetVal(1, 1, 1), 0.0);
  FillRef(m, {3, 2, 4}, 1);
  changes = 0;
  const struct {
    int32_t c, r, l;
  } ignored[] = {{2, 2, 0}, {0, 1, 1}, {-3, 2, 2}, {3, 2, 4}};
  for (const auto& k : ignored) {
    EXPECT_TRUE(m.Resize(k.c, k.r, k.l));
    EXPECT_EQ(m.NrOfColumns() * 100 + m.NrOfRows() * 10 + m.NrOfLayers(), 324)
        << k.c << "x" << k.r << "x" << k.l;
  }
  EXPECT_EQ(changes, 0);

  m.Resize(2, 3, 5);
  EXPECT_EQ(changes, 1);
  for (int32_t c = 1; c <= 2; ++c)
    for (int32_t r = 1; r <= 3; ++r)
      for (int32_t l = 1; l <= 5; ++l) {
        const double want = r <= 2 && l <= 4 ? RefValue(((c - 1) * 2 + (r - 1)) * 4 + (l - 1), 1) : 0;
        EXPECT_EQ(m.GetVal(c, r, l), want) << c << "," << r << "," << l;
      }
  m.SetNrOfLayers(0);
  EXPECT_EQ(m.NrOfLayers(), 1);
  m.SetNrOfColumns(-4);
  EXPECT_EQ(m.NrOfColumns(), 1);
}

TEST(TMat3D, StoresTheLayersOfACellAdjacent) {
  TMat3D m(nullptr);
  FillRef(m, {3, 4, 5}, 2);
  for (int32_t c = 1; c <= 3; ++c)
    for (int32_t r = 1; r <= 4; ++r) {
      const double* cell = m.Layers(c, r);
      ASSERT_EQ(cell, m.Data() + ((c - 1) * 4 + (r - 1)) * 5);
      for (int32_t l = 1; l <= 5; ++l) EXPECT_EQ(cell[l - 1], m.GetVal(c, r, l));
    }
  EXPECT_EQ(m.Layers(0, 1), nullptr);
  EXPECT_EQ(m.Layers(3, 5), nullptr);

  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.SetVal(2, 2, 2, 9.5);
  m.SetVal(4, 1, 1, 1.0);  // outside: ignored
  m.SetVal(1, 1, 6, 1.0);
  EXPECT_EQ(m.GetVal(2, 2, 2), 9.5);
  EXPECT_EQ(m.GetVal(4, 1, 1), 0.0);
  EXPECT_EQ(m.GetVal(1, 1, 0), 0.0);
  EXPECT_EQ(changes, 0) << "SetVal fires no event";
}

TEST(TMat3D, RefusesMoreThanTheLargestBlock) {
  TMat3D m(nullptr);
  m.SetName("C");
  m.Resize(2, 2, 2);
  ExpectThrowMessage<ENUVMatrixError>([&] { m.Resize(65536, 32768, 1); },
                                      "Component \"C\": not enough memory on heap");
  EXPECT_EQ(m.NrOfColumns(), 2);
}

TEST(TMat3D, FindsTheNearestElementFirstInScanOrder) {
  TMat3D m(nullptr);
  m.Resize(2, 2, 2);
  m.SetVal(2, 1, 1, 5);
  m.SetVal(1, 2, 2, 5);
  m.SetVal(1, 1, 2, kNaN);
  m.SetVal(2, 2, 2, -kInf);
  const struct {
    const char* what;
    int32_t w[6];
    double value;
    int32_t c, r, l;
  } cases[] = {
      {"tie: column outer", {0, 0, 0, 0, 0, 0}, 4.9, 1, 2, 2},
      {"window", {2, 2, 0, 0, 0, 0}, 4.9, 2, 1, 1},
      {"reversed, clamped window", {9, 2, 2, 2, 2, 2}, 0, 2, 2, 2},
      {"infinite value meets an infinite element", {0, 0, 0, 0, 0, 0}, -kInf, 2, 2, 2},
      {"NaN value", {0, 0, 0, 0, 0, 0}, kNaN, 0, 0, 0},
  };
  for (const auto& k : cases) {
    int32_t c = -1, r = -1, l = -1;
    m.Find(k.w[0], k.w[1], k.w[2], k.w[3], k.w[4], k.w[5], k.value, c, r, l);
    EXPECT_EQ(std::vector<int32_t>({c, r, l}), std::vector<int32_t>({k.c, k.r, k.l})) << k.what;
  }
}

TEST(TMat3D, FingerprintScansTheLayerFastest) {
  TMat3D m(nullptr);
  EXPECT_EQ(m.CRCofData(), "D202EF8DD202EF8DD202EF8DD202EF8DD202EF8DD202EF8DD202EF8DD202EF8D")
      << "one element 0.0";
  FillRef(m, mat4d_ref::kDims3, mat4d_ref::kSeed3);
  EXPECT_EQ(m.CRCofData(), mat4d_ref::kCRC3D);
}

// ---------------------------------------------------------------------------
// TMat4D

TEST(TMat4D, AddressesColumnFastestIn64Bits) {
  TMat4D m(nullptr);
  m.Resize(2, 3, 4, 5);
  EXPECT_EQ(m.Addr4D(1, 1, 1, 1), 0);
  EXPECT_EQ(m.Addr4D(2, 1, 1, 1), 1);
  EXPECT_EQ(m.Addr4D(1, 1, 1, 2), 24);
  EXPECT_EQ(m.Addr4D(2147483647, 2147483647, 1, 1), int64_t{2147483646} * 3);

  FillRef(m, mat4d_ref::kDims, mat4d_ref::kSeed);
  for (std::size_t i = 0; i < std::size(mat4d_ref::kAddr); ++i) {
    const auto& p = mat4d_ref::kAddrProbes[i];
    EXPECT_EQ(m.Addr4D(p[0], p[1], p[2], p[3]), mat4d_ref::kAddr[i]) << "probe " << i;
    EXPECT_EQ(m.GetVal(p[0], p[1], p[2], p[3]), RefValue(mat4d_ref::kAddr[i], mat4d_ref::kSeed));
  }
}

TEST(TMat4D, ResizeZeroFillsAndRefusesTooLargeBlocks) {
  TMat4D m(nullptr);
  m.SetName("S");
  EXPECT_EQ(Counts(m), std::vector<int32_t>({1, 1, 1, 1}));
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), 0.0);
  FillRef(m, {2, 2, 2, 2}, 3);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  EXPECT_TRUE(m.Resize(2, 2, 2, 0));
  EXPECT_TRUE(m.Resize(2, 2, 2, 2));
  EXPECT_EQ(changes, 0) << "nothing changes";
  EXPECT_EQ(m.GetVal(2, 2, 2, 2), RefValue(15, 3));

  EXPECT_TRUE(m.Resize(2, 2, 2, 3));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Values(m), std::vector<double>(24, 0.0));

  ExpectThrowMessage<ENUVMatrixError>([&] { m.Resize(65536, 65536, 1, 1); },
                                      "Component \"S\": not enough memory on heap",
                                      "2^32 elements");
  ExpectThrowMessage<ENUVMatrixError>([&] { m.Resize(2147483647, 2, 1, 1); },
                                      "Component \"S\": not enough memory on heap",
                                      "2^32 - 2 elements");
  EXPECT_EQ(Counts(m), std::vector<int32_t>({2, 2, 2, 3})) << "the old block stays";
  m.SetNrOfTimeSlots(-1);
  EXPECT_EQ(m.NrOfTimeSlots(), 1);
  EXPECT_DOUBLE_EQ(m.MemoryConsumed(), 8.0 * 8 / 1048576);
}

TEST(TMat4D, AccessOutsideIsHarmless) {
  TMat4D m(nullptr);
  FillRef(m, {2, 2, 2, 2}, 1);
  const std::vector<double> before = Values(m);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  const int32_t outside[][4] = {{0, 1, 1, 1}, {3, 1, 1, 1}, {1, 3, 1, 1}, {1, 1, 0, 1}, {1, 1, 1, 3}};
  for (const auto& p : outside) {
    EXPECT_EQ(m.GetVal(p[0], p[1], p[2], p[3]), 0.0);
    m.SetVal(p[0], p[1], p[2], p[3], 7);
  }
  m.FillLayer(0, 7);
  m.FillLayer(3, 7);
  EXPECT_EQ(Values(m), before);
  m.SetVal(1, 1, 1, 1, 7);
  EXPECT_EQ(changes, 0);

  m.FillLayer(2, -1);
  EXPECT_EQ(changes, 1);
  for (int32_t t = 1; t <= 2; ++t) {
    EXPECT_EQ(m.GetVal(2, 1, 2, t), -1.0);
    EXPECT_EQ(m.GetVal(2, 1, 1, t), before[m.Addr4D(2, 1, 1, t)]);
  }
}

TEST(TMat4D, CutKeepsTheWindowInStorageOrder) {
  TMat4D m(nullptr);
  m.Resize(2, 2, 3, 3);
  for (int32_t i = 0; i < 36; ++i) m.Data()[i] = i;
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.Cut(0, 0, 0, 0, 1, 1, 2, 2);
  EXPECT_EQ(Counts(m), std::vector<int32_t>({2, 2, 1, 1}));
  EXPECT_EQ(Values(m), std::vector<double>({12, 13, 14, 15})) << "layer 1 of slot 2";
  EXPECT_EQ(changes, 1);

  const struct {
    const char* what;
    int32_t w[8];
    const int32_t* dims;
    const std::vector<double>* want;
  } cases[] = {
      {"reversed rows, slot clamped", {2, 3, 4, 2, 0, 0, 5, 9}, mat4d_ref::kCutDims, &mat4d_ref::kCut},
      {"whole planes", {0, 0, 0, 0, 2, 2, 2, 4}, mat4d_ref::kCut2Dims, &mat4d_ref::kCut2},
  };
  for (const auto& k : cases) {
    FillRef(m, mat4d_ref::kDims, mat4d_ref::kSeed);
    m.Cut(k.w[0], k.w[1], k.w[2], k.w[3], k.w[4], k.w[5], k.w[6], k.w[7]);
    EXPECT_EQ(Counts(m), std::vector<int32_t>(k.dims, k.dims + 4)) << k.what;
    EXPECT_EQ(Values(m), *k.want) << k.what;
  }
  FillRef(m, mat4d_ref::kDims, mat4d_ref::kSeed);
  const std::vector<double> all = Values(m);
  m.Cut(0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(Values(m), all) << "the whole matrix";
}

TEST(TMat4D, MirrorsReverseOneAxis) {
  TMat4D m(nullptr);
  const struct {
    const char* what;
    void (TMat4D::*mirror)();
    const std::vector<double>* want;
  } cases[] = {
      {"columns", &TMat4D::MirrorColumns, &mat4d_ref::kMirrorColumns},
      {"rows", &TMat4D::MirrorRows, &mat4d_ref::kMirrorRows},
      {"layers", &TMat4D::MirrorLayers, &mat4d_ref::kMirrorLayers},
      {"time slots", &TMat4D::MirrorTimeSlots, &mat4d_ref::kMirrorTimeSlots},
  };
  for (const auto& k : cases) {
    FillRef(m, mat4d_ref::kDims, mat4d_ref::kSeed);
    int changes = 0;
    m.OnChange = [&](TObject*) { ++changes; };
    (m.*k.mirror)();
    EXPECT_EQ(Values(m), *k.want) << k.what;
    (m.*k.mirror)();
    EXPECT_EQ(Values(m), (FillRef(m, mat4d_ref::kDims, mat4d_ref::kSeed), Values(m)))
        << k.what << " twice";
    EXPECT_EQ(changes, 2) << k.what;
    m.OnChange = nullptr;
  }
}

TEST(TMat4D, MirrorsLongAndOddAxes) {
  // Rows longer than the buffer that columns are reversed through.
  const int32_t shapes[][4] = {{2500, 1, 1, 2}, {1025, 3, 1, 1}, {1, 7, 3, 5}, {2049, 1, 2, 1}};
  for (const auto& n : shapes) {
    TMat4D m(nullptr);
    FillRef(m, n, 3);
    const std::vector<double> before = Values(m);
    m.MirrorColumns();
    m.MirrorRows();
    m.MirrorLayers();
    m.MirrorTimeSlots();
    int64_t wrong = 0;
    for (int32_t t = 1; t <= n[3]; ++t)
      for (int32_t l = 1; l <= n[2]; ++l)
        for (int32_t r = 1; r <= n[1]; ++r)
          for (int32_t c = 1; c <= n[0]; ++c)
            wrong += m.GetVal(c, r, l, t) !=
                     before[m.Addr4D(n[0] + 1 - c, n[1] + 1 - r, n[2] + 1 - l, n[3] + 1 - t)];
    EXPECT_EQ(wrong, 0) << n[0] << "x" << n[1] << "x" << n[2] << "x" << n[3];
  }
}

TEST(TMat4D, LayerCopiesCheckLayerBeforeSlot) {
  TMat4D m(nullptr);
  m.SetName("L");
  m.Resize(3, 2, 2, 1);
  TMatrix t(nullptr);
  const struct {
    int32_t layer, slot;
    const char* message;
  } cases[] = {
      {0, 1, "Component \"L\": specified layer beyond data range"},
      {3, 1, "Component \"L\": specified layer beyond data range"},
      {0, 9, "Component \"L\": specified layer beyond data range"},
      {1, 9, "Component \"L\": specified time slot beyond data range"},
      {1, 0, "Component \"L\": specified time slot beyond data range"},
  };
  for (const auto& k : cases) {
    ExpectThrowMessage<ENUVMatrixError>(
        [&] { m.CopyLayerToMatrix(t, 0, 0, 0, 0, k.layer, k.slot); }, k.message, "to matrix");
    ExpectThrowMessage<ENUVMatrixError>(
        [&] { m.CopyMatrixToLayer(t, 1, 1, 1, 1, k.layer, k.slot, 1, 1); }, k.message,
        "to layer");
  }
}

TEST(TMat4D, CopiesLayersToAndFromMatrices) {
  TMat4D m(nullptr);
  FillRef(m, {4, 3, 2, 2}, 4);
  TMatrix t(nullptr);
  m.CopyLayerToMatrix(t, 3, 2, 0, 0, 2, 1);
  ASSERT_EQ(t.NrOfColumns(), 2);
  ASSERT_EQ(t.NrOfRows(), 3);
  for (int32_t c = 2; c <= 3; ++c)
    for (int32_t r = 1; r <= 3; ++r)
      EXPECT_EQ(t.GetVal(c - 1, r), m.GetVal(c, r, 2, 1)) << c << "," << r;

  TMatrix src(nullptr);
  src.Resize(2, 2);
  src.SetVal(1, 1, 1);
  src.SetVal(2, 1, 2);
  src.SetVal(1, 2, 3);
  src.SetVal(2, 2, 4);
  const std::vector<double> before = Values(m);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  // Source columns 0..2 (column 0 reads 0), rows 1..2, to (3, 2): column 2
  // of the source would land in column 5 and is skipped.
  m.CopyMatrixToLayer(src, 0, 2, 1, 2, 1, 2, 3, 2);
  std::vector<double> want = before;
  want[m.Addr4D(3, 2, 1, 2)] = 0;
  want[m.Addr4D(4, 2, 1, 2)] = 1;
  want[m.Addr4D(3, 3, 1, 2)] = 0;
  want[m.Addr4D(4, 3, 1, 2)] = 3;
  EXPECT_EQ(Values(m), want);
  EXPECT_EQ(changes, 1);

  // Reversed ranges copy nothing; the widest ranges only reach the layer.
  m.CopyMatrixToLayer(src, 2, 1, 1, 2, 1, 1, 1, 1);
  EXPECT_EQ(Values(m), want);
  m.CopyMatrixToLayer(src, -2147483647 - 1, 2147483647, -2147483647 - 1, 2147483647, 1, 1,
                      -2147483647 - 1, -2147483647 - 1);
  for (int32_t c = 1; c <= 4; ++c)
    for (int32_t r = 1; r <= 3; ++r)
      EXPECT_EQ(m.GetVal(c, r, 1, 1), src.GetVal(c, r)) << c << "," << r;
}

TEST(TMat4D, PixelStatisticsMatchNumpy) {
  TMat4D m(nullptr);
  FillRef(m, mat4d_ref::kDims, mat4d_ref::kSeed);
  TMatrix mean(nullptr), std(nullptr);
  m.MeanOfLayersToMatrix(mean, 1, 3, 2, 3, 1, 2, 2, 4);
  m.StdDevOfLayersToMatrix(std, 3, 1, 3, 2, 2, 1, 4, 2);
  ASSERT_EQ(mean.NrOfColumns(), 3);
  ASSERT_EQ(mean.NrOfRows(), 2);
  ASSERT_EQ(std.NrOfColumns(), 3);
  for (int32_t i = 0; i < 6; ++i) {
    EXPECT_TRUE(testing::Rel(mean.Column(1)[i], mat4d_ref::kPixelMean[i], 1e-15)) << i;
    EXPECT_TRUE(testing::Rel(std.Column(1)[i], mat4d_ref::kPixelStd[i], 1e-14)) << i;
  }
}

TEST(TMat4D, PixelStatisticsStayFiniteAndExact) {
  TMat4D m(nullptr);
  m.Resize(4, 1, 2, 3);
  const double pixels[4][6] = {
      {1, 3, 1, 3, 1, 3},                          // mean 2, deviation 1
      {0.1, 0.1, 0.1, 0.1, 0.1, 0.1},              // constant: deviation exactly 0
      {1e308, 1e308, -1e308, 1e308, 1e308, 1e308},  // sums beyond the double range
      {1e16, 1, -1e16, 1, 1, 1},                    // cancellation
  };
  for (int32_t c = 1; c <= 4; ++c)
    for (int32_t k = 0; k < 6; ++k) m.SetVal(c, 1, k % 2 + 1, k / 2 + 1, pixels[c - 1][k]);
  TMatrix mean(nullptr), std(nullptr);
  m.MeanOfLayersToMatrix(mean, 0, 0, 0, 0, 0, 0, 0, 0);
  m.StdDevOfLayersToMatrix(std, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(mean.GetVal(1, 1), 2.0);
  EXPECT_EQ(std.GetVal(1, 1), 1.0);
  EXPECT_TRUE(testing::Rel(mean.GetVal(2, 1), 0.1, 1e-16));
  EXPECT_EQ(std.GetVal(2, 1), 0.0) << "no NaN for a constant pixel";
  EXPECT_TRUE(testing::Rel(mean.GetVal(3, 1), 1e308 * (4.0 / 6), 1e-15));
  EXPECT_TRUE(testing::Rel(std.GetVal(3, 1), std::sqrt(5.0) / 3 * 1e308, 1e-14));
  EXPECT_EQ(mean.GetVal(4, 1), 4.0 / 6) << "the small values survive the large ones";

  m.SetVal(1, 1, 1, 1, kNaN);
  m.MeanOfLayersToMatrix(mean, 1, 1, 0, 0, 0, 0, 0, 0);
  EXPECT_TRUE(std::isnan(mean.GetVal(1, 1)));
}

TEST(TMat4D, PixelStatisticsAdvanceProcStat) {
  TMat4D m(nullptr);
  m.Resize(3, 2, 10, 20);
  TMatrix out(nullptr);
  // Six cells; every (e + 1)-th advances, e = Trunc(planes / 100).
  const struct {
    int32_t slots, steps;
  } cases[] = {{20, 2}, {10, 3}, {9, 6}};
  std::vector<int32_t> reported;
  MathFeedBackProc = [&](int32_t stat) { reported.push_back(stat); };
  for (const auto& k : cases) {
    ProcStat = 0;
    reported.clear();
    m.StdDevOfLayersToMatrix(out, 0, 0, 0, 0, 1, 10, 1, k.slots);
    EXPECT_EQ(ProcStat, k.steps) << 10 * k.slots << " planes";
    ASSERT_EQ(reported.size(), static_cast<std::size_t>(k.steps));
    EXPECT_EQ(reported.back(), k.steps);
  }
  MathFeedBackProc = nullptr;
  ProcStat = 0;
}

TEST(TMat4D, WindowStatisticsMatchNumpy) {
  TMat4D m(nullptr);
  FillRef(m, mat4d_ref::kDims, mat4d_ref::kSeed);
  double mean = 0, variance = 0, min = 0, max = 0;
  EXPECT_DOUBLE_EQ(m.Sum(1, 3, 3, 2, 1, 2, 4, 2), mat4d_ref::kWindowSum);
  m.MeanVar(1, 3, 2, 3, 2, 1, 2, 4, mean, variance);
  EXPECT_TRUE(testing::Rel(mean, mat4d_ref::kWindowMean, 1e-15));
  EXPECT_TRUE(testing::Rel(variance, mat4d_ref::kWindowVar, 1e-14));
  m.MinMax(1, 3, 2, 3, 1, 2, 2, 4, min, max);
  EXPECT_EQ(min, mat4d_ref::kWindowMin);
  EXPECT_EQ(max, mat4d_ref::kWindowMax);

  // Kept: fewer than three elements report variance 1.
  m.MeanVar(1, 2, 1, 1, 1, 1, 1, 1, mean, variance);
  EXPECT_EQ(mean, (RefValue(0, 5) + RefValue(1, 5)) / 2);
  EXPECT_EQ(variance, 1.0);
}

TEST(TMat4D, MinMaxReportsElementsBeyondSinglePrecisionRange) {
  TMat4D m(nullptr);
  m.Resize(3, 1, 1, 1);
  const struct {
    const char* what;
    double v[3];
    double min, max;
  } cases[] = {
      {"beyond 1.7e38", {3e38, 5e38, 4e38}, 3e38, 5e38},
      {"below -1.7e38", {-3e38, -5e38, -4e38}, -5e38, -3e38},
      {"NaN takes no part", {kNaN, 1e308, -1e308}, -1e308, 1e308},
      {"all NaN", {kNaN, kNaN, kNaN}, kInf, -kInf},
  };
  for (const auto& k : cases) {
    for (int32_t c = 1; c <= 3; ++c) m.SetVal(c, 1, 1, 1, k.v[c - 1]);
    double min = 0, max = 0;
    m.MinMax(0, 0, 0, 0, 0, 0, 0, 0, min, max);
    EXPECT_EQ(min, k.min) << k.what;
    EXPECT_EQ(max, k.max) << k.what;
  }
}

TEST(TMat4D, FindsTheNearestElementFirstInScanOrder) {
  TMat4D m(nullptr);
  m.Resize(2, 2, 2, 2);
  m.Fill(100);
  // Equal distances: (1, 2, ., .) precedes (2, 1, ., .) in the scan order
  // (column outer), and slot 2 of layer 1 precedes layer 2 of slot 1.
  m.SetVal(2, 1, 1, 1, 5);
  m.SetVal(1, 2, 2, 1, 5);
  m.SetVal(1, 2, 1, 2, 5);
  m.SetVal(2, 2, 2, 2, kNaN);
  const struct {
    const char* what;
    int32_t w[8];
    double value;
    int32_t want[4];
  } cases[] = {
      {"ties", {0, 0, 0, 0, 0, 0, 0, 0}, 5, {1, 2, 1, 2}},
      {"slot 1 only", {0, 0, 0, 0, 0, 0, 1, 1}, 5, {1, 2, 2, 1}},
      {"column 2 only", {2, 2, 0, 0, 0, 0, 0, 0}, 4, {2, 1, 1, 1}},
      {"NaN value", {0, 0, 0, 0, 0, 0, 0, 0}, kNaN, {0, 0, 0, 0}},
  };
  for (const auto& k : cases) {
    int32_t got[4] = {-1, -1, -1, -1};
    m.Find(k.w[0], k.w[1], k.w[2], k.w[3], k.w[4], k.w[5], k.w[6], k.w[7], k.value, got[0], got[1],
           got[2], got[3]);
    EXPECT_EQ(std::vector<int32_t>(got, got + 4), std::vector<int32_t>(k.want, k.want + 4))
        << k.what;
  }
}

TEST(TMat4D, FingerprintScansTheSlotFastest) {
  TMat4D m(nullptr);
  FillRef(m, mat4d_ref::kDims, mat4d_ref::kSeed);
  EXPECT_EQ(m.CRCofData(), mat4d_ref::kCRC4D);
}

}  // namespace
}  // namespace nuv
