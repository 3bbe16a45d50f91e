// Tests of the nearest neighbours, kernels, k-means, agglomerative
// clustering, centre finder, image correlation and plane and sphere
// geometry. "scipy", "shapely" and "haversine" mark values printed by
// tools/ref/math2_cluster_ref.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_vector.h"
#include "nuv/platform/Bitmap.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;

// The objects of the reference script: 12 rows × 3 columns.
void Objects(TMatrix& x) {
  x.Resize(3, 12);
  for (int32_t r = 1; r <= 12; ++r)
    for (int32_t c = 1; c <= 3; ++c)
      x.SetVal(c, r, std::sin(0.9 * r * c + 0.3 * c) * (1 + 0.1 * r));
}

void Fill(TVector& v, const std::vector<double>& values) {
  v.Resize(static_cast<int32_t>(values.size()));
  std::copy(values.begin(), values.end(), v.Data());
}

std::vector<double> Values(const TVector& v) {
  return std::vector<double>(v.Data(), v.Data() + v.NrOfElem());
}

// ---------------------------------------------------------------------------
// Nearest neighbours and kernels

TEST(Math2Knn, MeanDistancesAgainstKDTree) {
  const double want[] = {1.1163123371981383, 0.8198313439344145, 0.7748292546703655,  // scipy
                         1.4490767708471897, 1.1946306232987167, 1.9717853799155902,
                         1.314965193690147,  1.4759770017302825, 1.1978260965982246,
                         0.7749274807196976, 1.840709326001557,  1.649252971716436};
  TMatrix x(nullptr);
  Objects(x);
  TVector md(nullptr);
  MeanDistanceKNN(x, 4, 12, 1, md);
  ASSERT_EQ(md.NrOfElem(), 12);
  for (int32_t r = 1; r <= 12; ++r) EXPECT_NEAR(md.GetVal(r), want[r - 1], 1e-14) << r;
  // k is limited by the range, not by the matrix: over rows 1..2 every
  // object's mean is half the distance between them.
  TVector two(nullptr);
  MeanDistanceKNN(x, 10, 1, 2, two);
  const double d12 =
      std::hypot(x.GetVal(1, 1) - x.GetVal(1, 2),
                 std::hypot(x.GetVal(2, 1) - x.GetVal(2, 2), x.GetVal(3, 1) - x.GetVal(3, 2)));
  EXPECT_NEAR(two.GetVal(1), d12 / 2, 1e-15);
  EXPECT_NEAR(two.GetVal(2), d12 / 2, 1e-15);
  MeanDistanceKNN(x, 0, 1, 12, two);  // k clamped to 1: the object itself
  EXPECT_EQ(two.GetVal(5), 0);
}

TEST(Math2Knn, NeighboursOfATarget) {
  TMatrix x(nullptr), nn(nullptr);
  Objects(x);
  TVector target(nullptr);
  Fill(target, {0.2, -0.1, 0.4});
  FindNearestNeighbors(5, x, 1, 12, target, nn);
  const int32_t rows[] = {3, 10, 2, 1, 7};  // scipy
  const double dist[] = {0.29664496592889983, 0.5170587311069946, 1.3181891726656294,
                         1.4758239934439061, 1.5165152488580378};
  ASSERT_GE(nn.NrOfRows(), 5);
  for (int32_t j = 1; j <= 5; ++j) {
    EXPECT_EQ(nn.GetVal(1, j), rows[j - 1]) << j;
    EXPECT_NEAR(nn.GetVal(2, j), dist[j - 1], 1e-14) << j;
  }
  // Equal distances keep row order; NaN distances come last; k is capped
  // by the range.
  const double custom[] = {0, 5, 1, NAN, 1, 0.5, 1};
  TMatrix out(nullptr);
  FindNearestNeighbors(50, x, 2, 7, target, out, [&](int32_t r) { return custom[r - 1]; });
  ASSERT_EQ(out.NrOfRows(), 6);
  const int32_t order[] = {6, 3, 5, 7, 2, 4};
  for (int32_t j = 1; j <= 6; ++j) EXPECT_EQ(out.GetVal(1, j), order[j - 1]) << j;
  TMatrix untouched(nullptr);
  FindNearestNeighbors(0, x, 1, 12, target, untouched);
  EXPECT_EQ(untouched.NrOfColumns(), 1);
}

TEST(Math2Knn, EstimatesByWeighting) {
  // Objects on a line at 0, 1, 2, 10 with responses 1, 2, 3, 100.
  TMatrix x(nullptr);
  x.Resize(1, 4);
  const double pos[] = {0, 1, 2, 10};
  for (int32_t r = 1; r <= 4; ++r) x.SetVal(1, r, pos[r - 1]);
  TVector resp(nullptr), target(nullptr);
  Fill(resp, {1, 2, 3, 100});
  Fill(target, {0.25});
  struct TCase {
    TKnnWMode mode;
    double param, want;
  } cases[] = {
      {kwmAverage, 1, 2},
      {kwmMedian, 1, 2},
      // distances 0.25, 0.75, 1.75, mean 11/12
      {kwmGauss, 1,
       (std::exp(-std::pow(0.25 * 12 / 11, 2)) * 1 + std::exp(-std::pow(0.75 * 12 / 11, 2)) * 2 +
        std::exp(-std::pow(1.75 * 12 / 11, 2)) * 3) /
           (std::exp(-std::pow(0.25 * 12 / 11, 2)) + std::exp(-std::pow(0.75 * 12 / 11, 2)) +
            std::exp(-std::pow(1.75 * 12 / 11, 2)))},
      {kwmLinear, 1,
       ((1 - 0.25 * 12 / 11) * 1 + (1 - 0.75 * 12 / 11) * 2) /
           ((1 - 0.25 * 12 / 11) + (1 - 0.75 * 12 / 11))},
      {kwmLinear, 0.1, 0},  // no positive weight
      {kwmGauss, 1e6, 1},   // every weight underflows: the nearest decides
  };
  for (const auto& c : cases) {
    double est = -1, md = -1;
    EstimateByKNN(x, resp, 3, c.mode, c.param, target, est, md);
    EXPECT_NEAR(est, c.want, 1e-14) << "mode " << int(c.mode) << " param " << c.param;
    EXPECT_NEAR(md, 11.0 / 12, 1e-15);
  }
  double est = 0, md = 0;
  EstimateByKNN(x, resp, 99, kwmAverage, 1, target, est, md);  // k capped at the rows
  EXPECT_NEAR(est, 26.5, 1e-13);
  for (double bad : {0.0, -1.0, std::nan("")})
    ExpectThrowMessage<ENUVMath2Error>(
        [&] { EstimateByKNN(x, resp, 3, kwmLinear, bad, target, est, md); },
        "EstimateByKNN: parameter of the weighting must be positive");
}

TEST(Math2Knn, GaussKernels) {
  TVector a(nullptr), b(nullptr);
  Fill(a, {1, 2, 3});
  Fill(b, {1, 2.5, 2});
  EXPECT_NEAR(CalcGaussKernel(a, b, 2), std::exp(-1.25 / 4), 1e-16);
  EXPECT_NEAR(CalcGaussKernel(a, b, 0.01), std::exp(-20.0), 1e-22);  // capped at 20
  TMatrix m(nullptr);
  m.Resize(3, 2);
  for (int32_t c = 1; c <= 3; ++c) m.SetVal(c, 2, b.GetVal(c));
  EXPECT_EQ(CalcGaussKernelMat(a, m, 2, 2), CalcGaussKernel(a, b, 2));
  for (double w : {0.0, -1.0, std::nan("")}) {
    ExpectThrowMessage<ENUVMath2Error>([&] { CalcGaussKernel(a, b, w); },
                                       "CalcGaussKernel: width must be positive");
    ExpectThrowMessage<ENUVMath2Error>([&] { CalcGaussKernelMat(a, m, 1, w); },
                                       "CalcGaussKernel: width must be positive");
  }
}

// ---------------------------------------------------------------------------
// k-means

TEST(Math2KMeans, AgainstKmeans2SeededWithTheFirstRows) {
  TMatrix x(nullptr), y(nullptr), centres(nullptr);
  Objects(x);
  y.Resize(3, 18);
  y.CopyFrom(x, 1, 1, 3, 12, 1, 1);
  for (int32_t r = 1; r <= 6; ++r)
    for (int32_t c = 1; c <= 3; ++c) y.SetVal(c, 12 + r, x.GetVal(c, r) + 0.05);
  TIntVector ids(nullptr);
  kMeansClustering(y, 0, 0, 3, centres, ids);
  const int32_t labels[] = {1, 2, 3, 1, 3, 2, 3, 1, 2, 3, 1, 3, 1, 2, 3, 1, 3, 2};  // scipy
  for (int32_t r = 1; r <= 18; ++r) EXPECT_EQ(ids.GetVal(r), labels[r - 1]) << r;
  const double want[] = {0.07390064294347665, 1.2753372611406404,   -0.9022617908495382,
                         0.4066493338025179,  -1.3240020999448863,  -0.5761918634600844,
                         -0.561581190659111,  -0.15614615897028372, 1.1822793158478047};
  EXPECT_EQ(centres.NrOfRows(), 18);  // DataMat's shape
  for (int32_t k = 1; k <= 3; ++k)
    for (int32_t c = 1; c <= 3; ++c)
      EXPECT_NEAR(centres.GetVal(c, k), want[(k - 1) * 3 + c - 1], 1e-14) << k << ", " << c;
}

TEST(Math2KMeans, EmptyClustersNaNsAndErrors) {
  // Two equal seeds: the second never wins a tie and becomes the zero
  // vector.
  TMatrix x(nullptr), centres(nullptr);
  TIntVector ids(nullptr);
  x.Resize(1, 4);
  const double v[] = {4, 4, 5, 6};
  for (int32_t r = 1; r <= 4; ++r) x.SetVal(1, r, v[r - 1]);
  kMeansClustering(x, 0, 0, 2, centres, ids);
  for (int32_t r = 1; r <= 4; ++r) EXPECT_EQ(ids.GetVal(r), 1) << r;
  EXPECT_EQ(centres.GetVal(1, 1), 4.75);
  EXPECT_EQ(centres.GetVal(1, 2), 0);
  // Overflowing and NaN distances still leave every object in a cluster.
  struct TCase {
    const char* what;
    std::vector<double> values;
  } cases[] = {{"overflow", {1e200, -1e200, 3, 2e200}}, {"NaN", {1, 2, std::nan(""), 3}}};
  for (const auto& c : cases) {
    x.Resize(1, 4);
    for (int32_t r = 1; r <= 4; ++r) x.SetVal(1, r, c.values[r - 1]);
    kMeansClustering(x, 0, 0, 2, centres, ids);
    for (int32_t r = 1; r <= 4; ++r) EXPECT_GE(ids.GetVal(r), 1) << c.what << " object " << r;
  }
  TMatrix three(nullptr);
  three.Resize(2, 3);
  ExpectThrowMessage<ENUVMath2Error>(
      [&] { kMeansClustering(three, 0, 0, 4, centres, ids); },
      "kMeansClustering: number of clusters is greater than number of objects");
  for (int32_t k : {0, -2})
    ExpectThrowMessage<ENUVMath2Error>([&] { kMeansClustering(three, 0, 0, k, centres, ids); },
                                       "kMeansClustering: number of clusters must be positive");
}

// ---------------------------------------------------------------------------
// Agglomerative clustering

struct TClustering {
  TIntMatrix result{nullptr};
  TVector dist{nullptr}, x{nullptr};
  int32_t code = 0;
};

void Cluster(TClustering& c, TMatrix& data, TDistMode mode, TClusterMethod method,
             double alpha = 0.5, const TClusterFeedback& feedback = {}) {
  c.code =
      AgglomClustering(nullptr, data, mode, method, alpha, c.result, c.dist, c.x, feedback, {});
}

TEST(Math2Agglom, ThreePointsOnALine) {
  TMatrix d(nullptr);
  d.Resize(1, 3);
  d.SetVal(1, 2, 1);
  d.SetVal(1, 3, 5);
  std::vector<double> percents;
  TClustering c;
  Cluster(c, d, dmEuclid, cmSingleLink, 0.5,
          [&](TObject*, int32_t, double p) { percents.push_back(p); });
  EXPECT_EQ(c.code, 0);
  const int32_t rows[2][3] = {{1, 2, 4}, {4, 3, 5}};
  for (int32_t k = 1; k <= 2; ++k)
    for (int32_t j = 1; j <= 3; ++j) EXPECT_EQ(c.result.GetVal(j, k), rows[k - 1][j - 1]);
  EXPECT_EQ(Values(c.dist), (std::vector<double>{1, 4}));
  EXPECT_EQ(Values(c.x), (std::vector<double>{2, 1, 3, 1.5, 2.25}));
  EXPECT_EQ(percents, (std::vector<double>{0, 100.0 / 3, 200.0 / 3}));
}

TEST(Math2Agglom, HeightsAgainstLinkage) {
  struct TCase {
    TClusterMethod method;
    TDistMode mode;
    double alpha;
    std::vector<double> want;  // scipy
  } cases[] = {
      {cmSingleLink,
       dmEuclid,
       0,
       {0.24414896120022767, 0.8760102124812028, 0.880199561683237, 0.9666965429345475,
        0.9814917021032898, 1.1956688086712466, 1.6475217028960256, 1.725674965730268,
        1.8992044458680106, 2.172088860411067, 2.5294962060615003}},
      {cmCompleteLink,
       dmEuclid,
       0,
       {0.24414896120022767, 0.8760102124812028, 0.880199561683237, 0.9666965429345475,
        0.9814917021032898, 1.6598921530073163, 2.725609907067284, 3.036132309528294,
        3.845978482984387, 4.4615098305381595, 5.162308955813166}},
      {cmAvgLink,
       dmEuclid,
       0,
       {0.24414896120022767, 0.8760102124812028, 0.880199561683237, 0.9666965429345475,
        0.9814917021032898, 1.5796523342920377, 2.247239420102938, 2.3036513814671347,
        3.164056810544829, 3.3467540577602195, 3.679940467310093}},
      {cmFlexLink,
       dmEuclid,
       0.5,
       {0.24414896120022767, 0.8760102124812028, 0.880199561683237, 0.9666965429345475,
        0.9814917021032898, 1.5796523342920377, 2.247239420102938, 2.3036513814671347,
        3.164056810544829, 3.3467540577602195, 3.679940467310093}},
      {cmUpgma,
       dmEuclid,
       0,
       {0.24414896120022767, 0.8760102124812028, 0.880199561683237, 0.9666965429345475,
        0.9814917021032898, 1.5796523342920377, 2.247239420102938, 2.336551563417672,
        3.1284747646234194, 3.3951023653404726, 3.477670355744828}},
      {cmWard,
       dmEuclidSqr,
       0,
       {0.059608715255150276, 0.7673938923713621, 0.7747512683873625, 0.9345022061216055,
        0.963325961297613, 3.626510242334072, 8.82827531699654, 11.748839772464912,
        14.073493997451488, 27.850138032675623, 32.35540255120102}},
  };
  TMatrix x(nullptr);
  Objects(x);
  for (const auto& c : cases) {
    TClustering r;
    Cluster(r, x, c.mode, c.method, c.alpha);
    ASSERT_EQ(r.dist.NrOfElem(), 11);
    for (int32_t k = 1; k <= 11; ++k)
      EXPECT_NEAR(r.dist.GetVal(k), c.want[k - 1], 1e-12)
          << ClusterMethodID[c.method] << " step " << k;
    // Every object is a leaf position 1..12 exactly once.
    std::vector<double> leaves(r.x.Data(), r.x.Data() + 12);
    std::sort(leaves.begin(), leaves.end());
    for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(leaves[i], i + 1) << ClusterMethodID[c.method];
  }
}

TEST(Math2Agglom, SimilaritiesMergeTheMostSimilarFirst) {
  // Rows 1 and 3 are proportional (Dice similarity 1 → distance 0).
  TMatrix d(nullptr);
  d.Resize(2, 3);
  const double v[3][2] = {{1, 2}, {3, -1}, {1, 2}};
  for (int32_t r = 0; r < 3; ++r)
    for (int32_t c = 0; c < 2; ++c) d.SetVal(c + 1, r + 1, v[r][c]);
  for (TDistMode mode : {dmJaccard, dmDice}) {
    TClustering c;
    Cluster(c, d, mode, cmSingleLink);
    EXPECT_EQ(c.result.GetVal(1, 1), 1) << DistModeId[mode];
    EXPECT_EQ(c.result.GetVal(2, 1), 3) << DistModeId[mode];
    EXPECT_EQ(c.dist.GetVal(1), 0) << DistModeId[mode];
  }
}

TEST(Math2Agglom, UserDistancesFewObjectsAndAbort) {
  TMatrix d(nullptr);
  d.Resize(1, 4);
  bool previousCalled = false;
  d.OnCalcDistance = [&](TObject*, int32_t, int32_t, double&) { previousCalled = true; };
  TClustering c;
  c.code = AgglomClustering(nullptr, d, dmUserDef, cmCompleteLink, 0, c.result, c.dist, c.x, {},
                            [](TObject*, int32_t r1, int32_t r2, double& dist) { dist = r1 * r2; });
  EXPECT_EQ(c.code, 0);
  EXPECT_EQ(c.dist.GetVal(1), 2);  // rows 1 and 2
  EXPECT_FALSE(previousCalled);
  ASSERT_TRUE(d.OnCalcDistance);  // the previous handler is back
  double unused = 0;
  d.OnCalcDistance(nullptr, 1, 2, unused);
  EXPECT_TRUE(previousCalled);

  TMatrix one(nullptr);
  TClustering single;
  Cluster(single, one, dmEuclid, cmWard);
  EXPECT_EQ(single.code, 0);
  EXPECT_EQ(Values(single.x), (std::vector<double>{1}));
  EXPECT_EQ(single.result.NrOfRows(), 0);

  TMatrix none(nullptr);
  none.Resize(2, 0);
  TClustering failed;
  ExpectThrowMessage<ENUVMath2Error>([&] { Cluster(failed, none, dmEuclid, cmWard); },
                                     "AgglomClustering: there are no objects");

  TMatrix x(nullptr);
  Objects(x);
  TClustering aborted;
  Cluster(aborted, x, dmEuclid, cmUpgma, 0.5, [](TObject*, int32_t, double p) {
    if (p > 40) AbortMathProc = true;
  });
  AbortMathProc = false;
  EXPECT_EQ(aborted.code, -1);
  for (int32_t k = 1; k <= 11; ++k) {
    EXPECT_EQ(aborted.result.GetVal(1, k), 0);
    EXPECT_EQ(aborted.dist.GetVal(k), 0);
  }
  for (int32_t i = 1; i <= 23; ++i) EXPECT_EQ(aborted.x.GetVal(i), 0);
}

// ---------------------------------------------------------------------------
// Centre finder

TEST(Math2FindCenters, FarthestPointCentres) {
  // Two groups on a line; the object nearest the mean (row 3, at 5) starts.
  TMatrix x(nullptr), centres(nullptr);
  x.Resize(1, 6);
  const double v[] = {0, 1, 5, 9, 10, 20};
  for (int32_t r = 1; r <= 6; ++r) x.SetVal(1, r, v[r - 1]);
  double d = 0;
  FindCenters(x, 3, 1, 6, centres, d);
  ASSERT_EQ(centres.NrOfRows(), 3);
  EXPECT_EQ(centres.GetVal(1, 1), 9);   // nearest to the mean 7.5
  EXPECT_EQ(centres.GetVal(1, 2), 20);  // farthest from 9
  EXPECT_EQ(centres.GetVal(1, 3), 0);   // then farthest from {9, 20}
  EXPECT_EQ(d, 4);                      // row 3 lies 4 from its nearest centre
  for (int32_t bad : {0, 7})
    ExpectThrowMessage<ENUVMath2Error>([&] { FindCenters(x, bad, 1, 6, centres, d); },
                                       "FindCenters: number of centres is out of range");
}

// ---------------------------------------------------------------------------
// Images

TEST(Math2Image, CorrelationOfAreas) {
  TBitmap a, b;
  a.SetSize(6, 5);
  b.SetSize(8, 8);
  std::vector<double> va, vb;
  // Area (1, 1)-(4, 3) of a against (3, 2)-(6, 4) of b.
  for (int32_t y = 0; y < 5; ++y) {
    uint32_t* row = a.ScanLine(y);
    for (int32_t x = 0; x < 6; ++x)
      row[x] = 0xFF000000u | (((x * 37 + y * 11) % 256) << 16) | ((y * 50) << 8) | (x * 40);
  }
  for (int32_t y = 0; y < 8; ++y) {
    uint32_t* row = b.ScanLine(y);
    for (int32_t x = 0; x < 8; ++x)
      row[x] = 0xFF000000u | (((x * x * 7 + y * 3) % 256) << 16) | (((x + y) * 20) << 8) |
               (255 - x * 30);
  }
  for (int32_t y = 1; y <= 3; ++y)
    for (int32_t x = 1; x <= 4; ++x) {
      va.push_back((a.ScanLine(y)[x] >> 16) & 0xFF);
      vb.push_back((b.ScanLine(y + 1)[x + 2] >> 16) & 0xFF);
    }
  // Pearson r of the red channels, as numpy's corrcoef computes it.
  auto mean = [](const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x;
    return s / v.size();
  };
  const double ma = mean(va), mb = mean(vb);
  double sab = 0, saa = 0, sbb = 0;
  for (std::size_t i = 0; i < va.size(); ++i) {
    sab += (va[i] - ma) * (vb[i] - mb);
    saa += (va[i] - ma) * (va[i] - ma);
    sbb += (vb[i] - mb) * (vb[i] - mb);
  }
  EXPECT_NEAR(CalcImgCorrelation(a, b, {1, 1, 4, 3}, {3, 2, 6, 4}, icmRed),
              sab / std::sqrt(saa * sbb), 1e-12);
  EXPECT_NEAR(CalcImgCorrelation(a, a, {0, 0, 5, 4}, {0, 0, 5, 4}, icmGrayValues), 1, 1e-12);
  struct TCase {
    TRect a1, a2;
    const char* message;
  } cases[] = {
      {{0, 0, 3, 3}, {0, 0, 2, 3}, "image ranges to compare are not of equal size"},
      {{0, 0, 3, 3}, {0, 0, 3, 2}, "image ranges to compare are not of equal size"},
      {{0, 0, 6, 2}, {0, 0, 6, 2}, "image range to compare lies outside its bitmap"},
      {{0, 2, 3, 5}, {0, 0, 3, 3}, "image range to compare lies outside its bitmap"},
      {{-1, 0, 2, 2}, {0, 0, 3, 2}, "image range to compare lies outside its bitmap"},
      {{3, 3, 1, 1}, {3, 3, 1, 1}, "image range to compare lies outside its bitmap"},
  };
  for (const auto& c : cases)
    ExpectThrowMessage<ENUVMath2Error>([&] { CalcImgCorrelation(a, b, c.a1, c.a2, icmRed); },
                                       c.message);
}

// ---------------------------------------------------------------------------
// Geometry

TEST(Math2Geometry, PolygonAreaAndInside) {
  const TPDblArray ccw{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const TPDblArray cw(ccw.rbegin(), ccw.rend());
  EXPECT_EQ(PolygonArea(ccw), 1);
  EXPECT_EQ(PolygonArea(cw), -1);
  EXPECT_EQ(PolygonArea({}), 0);
  // A concave star against shapely.
  TPDblArray star;
  for (int j = 0; j < 10; ++j) {
    const double a = 2 * std::numbers::pi * j / 10, rad = j % 2 == 0 ? 1 : 0.45;
    star.push_back({std::cos(a) * rad, std::sin(a) * rad});
  }
  const int inside[] = {1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 0,  // shapely
                        1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0};
  for (int j = 0; j < 30; ++j) {
    const double x = 0.31 * std::cos(1.3 * j) * (j % 5 + 1) / 3,
                 y = 0.29 * std::sin(2.1 * j) * (j % 4 + 1) / 2;
    EXPECT_EQ(PointIsInsidePolygon(x, y, star), inside[j] == 1) << "point " << j;
  }
  // Points straight below a vertex: the diamond's top vertex at x = 0.
  const TPDblArray diamond{{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  EXPECT_TRUE(PointIsInsidePolygon(0, 0, diamond));
  EXPECT_TRUE(PointIsInsidePolygon(0, -0.5, diamond));
  EXPECT_FALSE(PointIsInsidePolygon(0, -2, diamond));
  EXPECT_FALSE(PointIsInsidePolygon(0, 2, diamond));
  EXPECT_FALSE(PointIsInsidePolygon(0.5, 0.5, {{0, 0}, {1, 1}}));
}

TEST(Math2Geometry, ConvexHullAgainstScipy) {
  TPDblArray pts;
  for (int k = 0; k < 40; ++k)
    pts.push_back({std::cos(2.4 * k) * (1 + 0.37 * std::sin(1.7 * k)),
                   std::sin(2.4 * k) * (1 + 0.37 * std::cos(1.3 * k))});
  const int want[] = {19, 1, 30, 38, 20, 15, 10, 5, 34, 8, 16, 24};  // scipy, counter-clockwise
  const TPDblArray hull = Convex2DHull(pts);
  ASSERT_EQ(hull.size(), 12u);
  const auto first =
      std::find(std::begin(want), std::end(want),
                static_cast<int>(std::find(pts.begin(), pts.end(), hull[0]) - pts.begin()));
  ASSERT_NE(first, std::end(want));
  for (std::size_t i = 0; i < hull.size(); ++i)
    EXPECT_EQ(hull[i], pts[want[(first - std::begin(want) + i) % 12]]) << "vertex " << i;
  EXPECT_GT(PolygonArea(hull), 0);
  for (const TPointDouble& p : pts) {
    const bool vertex = std::find(hull.begin(), hull.end(), p) != hull.end();
    EXPECT_EQ(PointIsInsideConvexHull(p.X, p.Y, hull), !vertex);  // vertices are outside
  }
  EXPECT_TRUE(PointIsInsideConvexHull(0, 0, hull));
  EXPECT_FALSE(PointIsInsideConvexHull(0, 0, {}));
  EXPECT_FALSE(PointIsInsideConvexHull(0, 0, {{-1, -1}, {1, -1}}));
}

TEST(Math2Geometry, DegenerateHulls) {
  struct TCase {
    const char* what;
    TPDblArray points;
    std::size_t size;
  } cases[] = {
      {"three points are copied", {{0, 0}, {0, 0}, {1, 1}}, 3},
      {"identical points", {{2, 3}, {2, 3}, {2, 3}, {2, 3}, {2, 3}}, 1},
      {"collinear points", {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}, 2},
      {"square with its centre", {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5, 0.5}}, 4},
      {"square with edge midpoints", {{0, 0}, {0.5, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0.5}}, 4},
  };
  for (const auto& c : cases) EXPECT_EQ(Convex2DHull(c.points).size(), c.size) << c.what;
  // Kept as designed: a true vertex within 1e-4 rad of another, seen from
  // the centroid, is dropped.
  // (9.9999, 0.0005) lies outside the edge from (10, 0) to (0, 10).
  const TPDblArray close{{10, 0}, {9.9999, 0.0005}, {0, 10}, {-10, 0}, {0, -10}};
  const TPDblArray hull = Convex2DHull(close);
  EXPECT_EQ(hull.size(), 4u);
  EXPECT_EQ(std::count(hull.begin(), hull.end(), TPointDouble{9.9999, 0.0005}), 0);
}

TEST(Math2Geometry, GreatCirclesAgainstHaversine) {
  struct TCase {
    double r, lat1, long1, lat2, long2, want;
  } cases[] = {
      {6371, 0, 0, 0, 90, 6371 * std::numbers::pi / 2},
      {6371000, 48.2, 16.37, 48.2000001, 16.37, 0.01111949171817006},  // haversine
      {6371000, 48.2, 16.37, 52.52, 13.4, 524421.1281767486},
      {6371000, -33.9, 151.2, 51.5, -0.13, 16996530.74003506},
      {1, 10, 20, 10, 20, 0},
      {1, 30, 40, -30, -140, std::numbers::pi},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(SphereGreatCircleDist(c.r, c.lat1, c.long1, c.lat2, c.long2), c.want,
                1e-12 * std::max(1.0, c.want))
        << c.lat1 << ", " << c.long1 << " to " << c.lat2 << ", " << c.long2;
}

}  // namespace
}  // namespace nuv
