// Tests of TCurveFit. Least-squares references are exact: perturbations are
// discrete orthogonal polynomials of the design, which leave the fitted
// coefficients unchanged. "scipy" marks values from scipy 1.10.1.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ExpectThrow.h"
#include "FileFixtures.h"
#include "RelativeError.h"
#include "TempDir.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_statis.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_vector.h"

namespace nuv {
namespace {

using testing::ReadRawFile;
using testing::Rel;
using testing::WriteRawFile;

using testing::ExpectThrowMessage;

void Enter(TCurveFit& cf, const std::vector<std::pair<double, double>>& points) {
  for (const auto& [x, y] : points) cf.EnterStatValue(x, y);
}

// ---------------------------------------------------------------------------
// Data handling and statistics

TEST(CurveFitData, EnterRemoveAndErrorSet) {
  TCurveFit cf(nullptr);
  EXPECT_EQ(cf.NumData(), 0);
  EXPECT_EQ(cf.MinX(), 1.7e308);
  EXPECT_EQ(cf.MaxY(), -1.7e308);
  int changes = 0;
  cf.OnChange = [&](TObject*) { ++changes; };
  cf.EnterStatValue(0, 5);
  EXPECT_TRUE(cf.Errors().test(cfeXLE0));
  EXPECT_TRUE(cf.Errors().test(cfeXEQ0));
  EXPECT_FALSE(cf.Errors().test(cfeYLE0));
  EXPECT_FALSE(cf.Errors().test(cfeYEQ0));
  EXPECT_EQ(changes, 1);
  cf.RemoveStatValue(1);
  EXPECT_TRUE(cf.Errors().none());  // the flags follow the points that remain
  cf.RemoveStatValue(5);
  EXPECT_EQ(cf.GetDataX(0), 0);
  EXPECT_EQ(cf.GetDataY(7), 0);
  EXPECT_FALSE(cf.Init());
}

TEST(CurveFitData, RemovalLeavesSumsAsIfNeverAdded) {
  TCurveFit cf(nullptr), ref(nullptr);
  for (int i = 1; i <= 300; ++i) {
    cf.EnterStatValue(i, 0.5 * i * i);
    if (i > 1) ref.EnterStatValue(i, 0.5 * i * i);
  }
  cf.RemoveStatValue(1);
  ASSERT_EQ(cf.NumData(), 299);
  EXPECT_EQ(cf.GetDataX(1), 2);
  EXPECT_EQ(cf.GetDataY(299), 45000);
  EXPECT_EQ(cf.GetMeanX(), ref.GetMeanX());
  EXPECT_EQ(cf.GetStdDevY(), ref.GetStdDevY());
  EXPECT_EQ(cf.GetRxy(), ref.GetRxy());
  EXPECT_EQ(cf.MinX(), 2);
  // Subtracting 1e30 again would leave Σx = 0 instead of 1.
  TCurveFit big(nullptr);
  big.EnterStatValue(1e30, 1);
  big.EnterStatValue(1, 1);
  big.RemoveStatValue(1);
  EXPECT_EQ(big.GetMeanX(), 1);
  double k, d, q;
  big.EnterStatValue(3, 5);
  big.CalcPowerFit(k, d, q);
  EXPECT_NEAR(k, std::log(5.0) / std::log(3.0), 1e-14);
}

TEST(CurveFitStatistics, MomentsCorrelationAndDegenerateData) {
  TCurveFit cf(nullptr);
  Enter(cf, {{1, 2}, {2, 4}});
  EXPECT_EQ(cf.GetStdDevX(), 0);  // fewer than three points
  EXPECT_EQ(cf.GetRxy(), 0);
  Enter(cf, {{3, 5}, {4, 4}, {5, 6}});
  int32_t n;
  double mx, my, sx, sy, md, sd, r;
  cf.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 5);
  EXPECT_DOUBLE_EQ(mx, 3);
  EXPECT_DOUBLE_EQ(my, 4.2);
  EXPECT_DOUBLE_EQ(sx, std::sqrt(2.5));
  EXPECT_DOUBLE_EQ(sy, std::sqrt(2.2));
  EXPECT_DOUBLE_EQ(md, -1.2);
  EXPECT_DOUBLE_EQ(sd, std::sqrt(0.7));
  EXPECT_NEAR(r, 8 / std::sqrt(10.0 * 8.8), 1e-15);
  double q1, med, q3;
  EXPECT_TRUE(cf.QuartilesX(q1, med, q3));
  EXPECT_EQ(med, 3);
  EXPECT_NEAR(cf.GetSkewnessX(), 0, 1e-15);
  TCurveFit flat(nullptr);
  Enter(flat, {{1, 7}, {2, 7}, {3, 7}});
  EXPECT_EQ(flat.GetRxy(), 0);
  EXPECT_FALSE(TCurveFit(nullptr).QuartilesY(q1, med, q3));
}

TEST(CurveFitStatistics, MeanDirectionOfAngles) {
  const struct {
    std::vector<double> angles;
    double want;
  } cases[] = {{{350, 10}, 0},    {{80, 100}, 90}, {{170, 190}, 180},
               {{260, 280}, 270}, {{30}, 30},      {{}, 0}};
  for (const auto& c : cases) {
    TCurveFit cf(nullptr);
    for (double a : c.angles) cf.EnterStatValue(a, 0);
    const double m = cf.GetMeanXDegrees();
    EXPECT_NEAR(std::remainder(m - c.want, 360.0), 0, 1e-12)
        << "first angle " << (c.angles.empty() ? -1 : c.angles[0]);
    EXPECT_TRUE(m >= 0 && m <= 360) << m;
  }
}

TEST(CurveFitStatistics, RankCorrelation) {
  TCurveFit cubic(nullptr);
  for (int i = -5; i <= 6; ++i) cubic.EnterStatValue(i, i * i * i);
  EXPECT_EQ(cubic.GetSpearman(), 1);
  EXPECT_EQ(cubic.GetKruskalGamma(), 1);
  // scipy stats.kendalltau / stats.spearmanr with ties.
  TCurveFit cf(nullptr);
  Enter(cf, {{1, 2}, {2, 1}, {3, 4}, {4, 3}, {5, 6}, {5, 5}, {7, 6}, {8, 8}});
  double prob;
  EXPECT_NEAR(cf.KendallsTau(prob), 0.8148148148148148, 1e-12);
  int64_t nc, nd, ty, tx;
  cf.BasicRankCounts(nc, nd, ty, tx);
  EXPECT_EQ(nc, 24);
  EXPECT_EQ(nd, 2);
  EXPECT_EQ(ty, 1);  // (5, 6) and (7, 6)
  EXPECT_EQ(tx, 1);  // (5, 6) and (5, 5)
  EXPECT_NEAR(cf.GetSpearman(), 0.933734939759036, 1e-12);
  EXPECT_GT(prob, 0);
  EXPECT_LT(prob, 0.02);
  // All values tied: undefined, reported as 0.
  TCurveFit tied(nullptr);
  Enter(tied, {{1, 1}, {1, 1}, {1, 1}, {1, 1}});
  EXPECT_EQ(tied.GetSpearman(), 0);
  EXPECT_EQ(tied.KendallsTau(prob), 0);
  EXPECT_EQ(prob, 1);
  EXPECT_EQ(tied.GetKruskalGamma(), 0);
}

TEST(CurveFitStatistics, AnalysisOfVariance) {
  TCurveFit cf(nullptr);
  // observed, estimated
  Enter(cf, {{1, 1.5}, {2, 1.5}, {4, 3.5}, {5, 4.5}});
  int32_t dfReg, dfRes, dfTot;
  double ssRes, ssReg, ssTot, msRes, msReg, F;
  cf.CalcAnovaReg(1, true, dfReg, dfRes, dfTot, ssRes, ssReg, ssTot, msRes, msReg, F);
  EXPECT_EQ(dfTot, 3);
  EXPECT_EQ(dfRes, 2);
  EXPECT_DOUBLE_EQ(ssRes, 0.25 + 0.25 + 0.25 + 0.25);
  EXPECT_DOUBLE_EQ(ssTot, 10);  // Σ(x - 3)²
  EXPECT_DOUBLE_EQ(ssReg, 2.25 + 2.25 + 0.25 + 2.25);
  EXPECT_DOUBLE_EQ(F, 7 / 0.5);
  // No residual degrees of freedom: no division by zero.
  cf.CalcAnovaReg(3, true, dfReg, dfRes, dfTot, ssRes, ssReg, ssTot, msRes, msReg, F);
  EXPECT_EQ(dfRes, 0);
  EXPECT_EQ(msRes, 0);
  EXPECT_EQ(F, 1e10);
}

// ---------------------------------------------------------------------------
// Fits

TEST(CurveFitFits, LineAndParabolaThroughExactPoints) {
  TCurveFit cf(nullptr);
  Enter(cf, {{1, 3}, {2, 5}, {3, 7}});
  double k, d, q;
  cf.CalcLinFit(k, d, q);
  EXPECT_NEAR(k, 2, 1e-15);
  EXPECT_NEAR(d, 1, 1e-15);
  EXPECT_NEAR(q, 1, 1e-15);
  TCurveFit par(nullptr);
  Enter(par, {{0, 1}, {1, 2}, {2, 5}, {3, 10}});
  double k0, k1, k2;
  par.CalcParabolFit(k0, k1, k2, q);
  EXPECT_NEAR(k0, 1, 1e-14);
  EXPECT_NEAR(k1, 0, 1e-14);
  EXPECT_NEAR(k2, 1, 1e-14);
  EXPECT_NEAR(q, 1, 1e-14);
  TCurveFit vertical(nullptr);
  Enter(vertical, {{2, 1}, {2, 5}});
  vertical.CalcLinFit(k, d, q);
  EXPECT_EQ(k, 0);
  EXPECT_EQ(d, 0);
  TCurveFit one(nullptr);
  one.EnterStatValue(1, 1);
  ExpectThrowMessage<ENUVMath2Error>([&] { one.CalcLinFit(k, d, q); },
                                     "CalcLinFit: not enough data points");
  one.EnterStatValue(2, 2);
  ExpectThrowMessage<ENUVMath2Error>([&] { one.CalcParabolFit(k0, k1, k2, q); },
                                     "CalcParabolFit: not enough data points");
}

TEST(CurveFitFits, LineFitCentresOnTheMeansOfThePointsHeld) {
  // Far from the origin the centring decides the digits: after removals
  // and a restart the fit must be that of a collection holding the same
  // points from the start.
  const std::vector<std::pair<double, double>> points{{1e8 + 0.5, 3e7 + 0.25},
                                                      {1e8 + 1.25, 3e7 + 1.5},
                                                      {1e8 + 2, 3e7 + 2.125},
                                                      {1e8 + 3.5, 3e7 + 3.75},
                                                      {1e8 + 4.75, 3e7 + 4.5}};
  TCurveFit fresh(nullptr), removed(nullptr), restarted(nullptr);
  Enter(fresh, points);
  removed.EnterStatValue(-5e9, 7e9);
  Enter(removed, points);
  removed.EnterStatValue(1e12, -1e12);
  removed.RemoveStatValue(1);
  removed.RemoveStatValue(removed.NumData());
  Enter(restarted, {{1e15, 1}, {-3, 1e15}});
  restarted.Init();
  Enter(restarted, points);
  double k, d, q;
  fresh.CalcLinFit(k, d, q);
  EXPECT_NEAR(k, 11.65 / 11.825, 1e-9);
  for (TCurveFit* cf : {&removed, &restarted}) {
    double k2, d2, q2;
    cf->CalcLinFit(k2, d2, q2);
    const char* which = cf == &removed ? "after removals" : "after Init";
    EXPECT_EQ(k2, k) << which;
    EXPECT_EQ(d2, d) << which;
    EXPECT_EQ(q2, q) << which;
  }
}

TEST(CurveFitFits, PerturbedSetsKeepTheLeastSquaresAnswer) {
  // y = 2x + 1 plus a residual orthogonal to 1 and x.
  TCurveFit line(nullptr);
  Enter(line, {{0, 1.1}, {1, 2.9}, {2, 4.9}, {3, 7.1}});
  double k, d, q;
  line.CalcLinFit(k, d, q);
  EXPECT_NEAR(k, 2, 1e-14);
  EXPECT_NEAR(d, 1, 1e-14);
  EXPECT_NEAR(q, 20 / 20.04, 1e-14);
  // Cubic and quadratic plus the discrete orthogonal polynomials of degree
  // 4 and 3 on x = -3..3.
  const double p4[7] = {3, -7, 1, 6, 1, -7, 3}, p3[7] = {-1, 1, 1, 0, -1, -1, 1};
  auto cubic = [](double x) { return 1 - 2 * x + 0.5 * x * x + 0.25 * x * x * x; };
  TCurveFit cf(nullptr), par(nullptr);
  double sse = 0, sst = 0, mean = 0;
  for (int i = 0; i < 7; ++i) mean += cubic(i - 3) / 7;  // the perturbation has mean 0
  for (int i = 0; i < 7; ++i) {
    const double x = i - 3, y = cubic(x) + 0.1 * p4[i];
    cf.EnterStatValue(x, y);
    par.EnterStatValue(x, 3 - x + 0.5 * x * x + 0.2 * p3[i]);
    sse += 0.01 * p4[i] * p4[i];
    sst += (y - mean) * (y - mean);
  }
  double c[4];
  bool singular = true;
  ASSERT_TRUE(cf.CalcPolyFit(3, c, q, singular));
  EXPECT_FALSE(singular);
  const double want[4] = {1, -2, 0.5, 0.25};
  for (int j = 0; j < 4; ++j) EXPECT_NEAR(c[j], want[j], 1e-13) << "j=" << j;
  EXPECT_NEAR(q, 1 - sse / sst, 1e-13);
  double xc = 0;
  ASSERT_TRUE(cf.CalcCenteredPolyFit(3, c, xc, q, singular));
  EXPECT_EQ(xc, 0);  // the mean of x
  for (int j = 0; j < 4; ++j) EXPECT_NEAR(c[j], want[j], 1e-13) << "centred j=" << j;
  xc = 1;  // a given centre: y = Σ c_j (x - 1)^j
  ASSERT_TRUE(cf.CalcCenteredPolyFit(3, c, xc, q, singular));
  EXPECT_NEAR(c[0], cubic(1), 1e-13);
  EXPECT_NEAR(c[3], 0.25, 1e-13);
  double k0, k1, k2;
  par.CalcParabolFit(k0, k1, k2, q);
  EXPECT_NEAR(k0, 3, 1e-13);
  EXPECT_NEAR(k1, -1, 1e-13);
  EXPECT_NEAR(k2, 0.5, 1e-13);
}

TEST(CurveFitFits, PolynomialEdgeCases) {
  TCurveFit cf(nullptr);
  double c[3], q;
  bool singular;
  EXPECT_FALSE(cf.CalcPolyFit(2, c, q, singular));
  Enter(cf, {{1, 1}, {2, 3}});
  // Two points for a parabola: a direction of the design is dropped.
  ASSERT_TRUE(cf.CalcPolyFit(2, c, q, singular));
  EXPECT_TRUE(singular);
  EXPECT_NEAR(c[0] + c[1] + c[2], 1, 1e-12);
  EXPECT_NEAR(c[0] + 2 * c[1] + 4 * c[2], 3, 1e-12);
  // Many points, folded into the factor block by block.
  TCurveFit many(nullptr);
  for (int i = 0; i < 1000; ++i) {
    const double x = -5 + i * 0.01;
    many.EnterStatValue(x, 2 - x + 0.3 * x * x - 0.05 * x * x * x);
  }
  double c4[4];
  ASSERT_TRUE(many.CalcPolyFit(3, c4, q, singular));
  const double want[4] = {2, -1, 0.3, -0.05};
  for (int j = 0; j < 4; ++j) EXPECT_NEAR(c4[j], want[j], 1e-11) << "j=" << j;
  EXPECT_NEAR(q, 1, 1e-14);
  double shortArr[2];
  ExpectThrowMessage<ENUVMath2Error>([&] { cf.CalcPolyFit(2, shortArr, q, singular); },
                                     "CalcPolyFit: coefficient array too short");
}

// The polynomial at x in extended precision.
long double PolyAt(const double* c, int order, long double x) {
  long double v = 0;
  for (int j = order; j >= 0; --j) v = v * x + c[j];
  return v;
}

// Points far from 0 or in tiny units, with their exact least-squares fits
// (tools/ref/curvefit_far.py; numpy's polyfit and lstsq agree).
// kYears
const std::vector<std::pair<double, double>> kYears = {
    {2000.0, -59.313992099116774}, {2001.0, -49.05134081197489},  {2002.0, -39.96423260401731},
    {2003.0, -31.82451760508895},  {2004.0, -24.525964017105707}, {2005.0, -18.126763416004124},
    {2006.0, -12.740865961893725}, {2007.0, -8.378051424064568},  {2008.0, -4.879773982907863},
    {2009.0, -2.009764801996965},  {2010.0, 0.3839072166073574},  {2011.0, 2.284314404873574},
    {2012.0, 3.5763972720174637},  {2013.0, 4.207913393000922},   {2014.0, 4.29263257647953},
    {2015.0, 4.060901150696793},   {2016.0, 3.703026334889402},   {2017.0, 3.2494723828635474},
    {2018.0, 2.5980156118344446},  {2019.0, 1.6628921082458057},  {2020.0, 0.5088123976687846},
};
// kCubic: numpy.polyfit order 3 about 0.0; r2; fitted at the ends
const double kCubicCoeffs[] = {-82351775.52190422, 122307.65975443543, -60.54936486956319,
                               0.009991732004390729};
const double kCubicQual = 0.9999474551750286,
             kCubicEnds[2] = {-59.45616029644024, 0.5751358792178093};
// kCubicAbout1: numpy.polyfit order 3 about 1.0; r2; fitted at the ends
const double kCubicAbout1Coeffs[] = {-82229528.40152292, 122186.59099989232, -60.519389673550016,
                                     0.009991732004390729};
const double kCubicAbout1Qual = 0.9999474551750286,
             kCubicAbout1Ends[2] = {-59.45616029644024, 0.5751358792178093};
// kNano
const std::vector<std::pair<double, double>> kNano = {
    {0.0, 3.01},
    {1e-09, 1.507539022543433},
    {2e-09, 1.0013673721820788},
    {3.0000000000000004e-09, 1.4945227073977574},
    {4e-09, 2.990373941336866},
    {5e-09, 5.490963077949085},
    {6.000000000000001e-09, 8.996000146850118},
    {7.000000000000001e-09, 13.503005925437442},
    {8e-09, 19.008532201077234},
    {9.000000000000001e-09, 25.509858965815837},
    {1e-08, 33.006333192030866},
};
// kNanoPar: numpy.polyfit order 2 about 0.0; r2; fitted at the ends
const double kNanoParCoeffs[] = {3.0100072290357494, -2006293604.1397114, 5.006612084699002e+17};
const double kNanoParQual = 0.9999998499917809,
             kNanoParEnds[2] = {3.0100072290357494, 33.01319203462866};
// kStamps
const std::vector<std::pair<double, double>> kStamps = {
    {1700000000.0, 3.0},
    {1700000005.0, 3.1803517128711003},
    {1700000010.0, 3.345660626387206},
    {1700000015.0, 3.4904214699157903},
    {1700000020.0, 3.6364774548259615},
    {1700000025.0, 3.815137755822834},
    {1700000030.0, 4.038261278591498},
    {1700000035.0, 4.285171896642846},
    {1700000040.0, 4.5197525649376455},
    {1700000045.0, 4.724326469738619},
    {1700000050.0, 4.919255636783388},
    {1700000055.0, 5.1477619723019306},
    {1700000060.0, 5.437025413121457},
    {1700000065.0, 5.770767900463105},
    {1700000070.0, 6.101103269748551},
    {1700000075.0, 6.392299830890494},
    {1700000080.0, 6.6574005670368},
    {1700000085.0, 6.951460637318205},
    {1700000090.0, 7.323395416412885},
    {1700000095.0, 7.768755146409644},
    {1700000100.0, 8.229294759940062},
};
const double kStampsRate = 0.009980919033316193, kStampsQual = 0.9994695634244645;
// kMega
const std::vector<std::pair<double, double>> kMega = {
    {100000000.0, 2000000200000.0},    {100001000.0, 2000030108137.0818},
    {100002000.0, 2000059917068.1348}, {100003000.0, 2000089802667.5872},
    {100004000.0, 2000119870463.424},  {100005000.0, 2000150058611.6763},
    {100006000.0, 2000180194751.3137}, {100007000.0, 2000210154471.24},
    {100008000.0, 2000239975696.437},  {100009000.0, 2000269823824.2554},
    {100010000.0, 2000299839660.3965}, {100011000.0, 2000330009960.1194},
    {100012000.0, 2000360179600.955},  {100013000.0, 2000390194199.4734},
    {100014000.0, 2000420042052.8435}, {100015000.0, 2000449864902.8083},
    {100016000.0, 2000479827621.6223}, {100017000.0, 2000509966627.6846},
    {100018000.0, 2000540156398.2712}, {100019000.0, 2000570224871.425},
    {100020000.0, 2000600111639.8984},
};
const double kMegaPower = 1.500061715808667, kMegaFactor = 1.9977275998333048;
// kBell
const std::vector<std::pair<double, double>> kBell = {
    {2000.0, 0.013781185640062909}, {2001.0, 0.04100128454952972}, {2002.0, 0.10854587593275059},
    {2003.0, 0.2600178680414632},   {2004.0, 0.5482947542187582},  {2005.0, 1.056925458651513},
    {2006.0, 1.7765574532800084},   {2007.0, 2.753215945604016},   {2008.0, 3.693047459809224},
    {2009.0, 4.5954530148208885},   {2010.0, 4.9259072061729485},  {2011.0, 4.914377774798506},
    {2012.0, 4.216119096188603},    {2013.0, 3.3670255129455193},  {2014.0, 2.3156140075295073},
    {2015.0, 1.4779983818139037},   {2016.0, 0.816054369489047},   {2017.0, 0.4157084751806262},
    {2018.0, 0.18450946101393487},  {2019.0, 0.07492932639553188}, {2020.0, 0.026760266873073677},
};
const double kBellPeak = 2010.2997902117875, kBellWidth = 2.9999308351697676,
             kBellHeight = 5.000106083020251;
// kHoerl
const std::vector<std::pair<double, double>> kHoerl = {
    {2000.0, 499.5805782549415},   {4000.0, 992.0793034773627},   {6000.0, 1609.5121354091502},
    {8000.0, 2402.550277395696},   {10000.0, 3427.4723875710424}, {12000.0, 4755.186282592322},
    {14000.0, 6474.110850176109},  {16000.0, 8690.317532892677},  {18000.0, 11530.315560417308},
    {20000.0, 15152.192312875186}, {22000.0, 19764.673003744865}, {24000.0, 25644.722387618585},
    {26000.0, 33142.66632706245},  {28000.0, 42676.3047411191},   {30000.0, 54734.75547189145},
    {32000.0, 69918.18802136705},  {34000.0, 89015.90224308707},  {36000.0, 113085.25529201038},
    {38000.0, 143479.13902157842}, {40000.0, 181814.3468245246},  {42000.0, 229956.8936469628},
};
const double kHoerlFactor = 2.0060936928997157, kHoerlBase = 1.0001000162873108,
             kHoerlPower = 0.6996564989141866;

TEST(CurveFitFits, PolynomialsFarFromZeroAndInTinyUnitsKeepTheirDigits) {
  double c[4], q;
  bool singular = true;
  TCurveFit years(nullptr), nano(nullptr);
  Enter(years, kYears);
  Enter(nano, kNano);
  ASSERT_TRUE(years.CalcPolyFit(3, c, q, singular));
  EXPECT_FALSE(singular) << "the cut-off judges the data, not the powers of 2000";
  for (int j = 0; j < 4; ++j) EXPECT_TRUE(Rel(c[j], kCubicCoeffs[j], 1e-10)) << "j=" << j;
  EXPECT_NEAR(q, kCubicQual, 1e-12);
  EXPECT_NEAR(static_cast<double>(PolyAt(c, 3, 2000)), kCubicEnds[0], 1e-6);
  EXPECT_NEAR(static_cast<double>(PolyAt(c, 3, 2020)), kCubicEnds[1], 1e-6);
  double xc = 1;
  ASSERT_TRUE(years.CalcCenteredPolyFit(3, c, xc, q, singular));
  EXPECT_FALSE(singular);
  EXPECT_EQ(xc, 1);
  for (int j = 0; j < 4; ++j)
    EXPECT_TRUE(Rel(c[j], kCubicAbout1Coeffs[j], 1e-10)) << "about 1, j=" << j;
  EXPECT_NEAR(q, kCubicAbout1Qual, 1e-12);
  xc = 0;
  ASSERT_TRUE(years.CalcCenteredPolyFit(3, c, xc, q, singular));
  EXPECT_EQ(xc, 2010);
  EXPECT_NEAR(static_cast<double>(PolyAt(c, 3, -10)), kCubicEnds[0], 1e-12);
  EXPECT_NEAR(static_cast<double>(PolyAt(c, 3, 10)), kCubicEnds[1], 1e-12);
  ASSERT_TRUE(nano.CalcPolyFit(2, c, q, singular));
  EXPECT_FALSE(singular) << "nanometres";
  for (int j = 0; j < 3; ++j) EXPECT_TRUE(Rel(c[j], kNanoParCoeffs[j], 1e-10)) << "j=" << j;
  EXPECT_NEAR(q, kNanoParQual, 1e-12);
}

TEST(CurveFitFits, LinearisedFitsFarFromZeroKeepTheirDigits) {
  double k, d, p1, p2, p3, q;
  TCurveFit stamps(nullptr), mega(nullptr), bell(nullptr), hoerl(nullptr);
  Enter(stamps, kStamps);
  Enter(mega, kMega);
  Enter(bell, kBell);
  Enter(hoerl, kHoerl);
  stamps.CalcExponentialFit(k, d, q);
  EXPECT_TRUE(Rel(k, kStampsRate, 1e-11));
  EXPECT_NEAR(q, kStampsQual, 1e-9);
  mega.CalcPowerFit(k, d, q);
  EXPECT_TRUE(Rel(k, kMegaPower, 1e-10));
  EXPECT_TRUE(Rel(d, kMegaFactor, 1e-8));
  bell.CalcGaussFit(p1, p2, p3, q);
  EXPECT_TRUE(Rel(p1, kBellHeight, 1e-11));
  EXPECT_NEAR(p2, kBellPeak, 1e-9);
  EXPECT_TRUE(Rel(p3, kBellWidth, 1e-11));
  hoerl.CalcHoerlFit(p1, p2, p3, q);
  EXPECT_TRUE(Rel(p1, kHoerlFactor, 1e-9));
  EXPECT_TRUE(Rel(p2, kHoerlBase, 1e-12));
  EXPECT_TRUE(Rel(p3, kHoerlPower, 1e-9));
}

TEST(CurveFitFits, CircleExactPerturbedAndDegenerate) {
  TCurveFit cf(nullptr);
  Enter(cf, {{3, 1}, {1, 3}, {-1, 1}, {1, -1}});
  double R, cx, cy;
  cf.CalcCircleFit(R, cx, cy);
  EXPECT_NEAR(R, 2, 1e-14);
  EXPECT_NEAR(cx, 1, 1e-14);
  EXPECT_NEAR(cy, 1, 1e-14);
  // Symmetric radii 2.1 and 1.9: centre kept, R² the mean squared distance.
  TCurveFit noisy(nullptr);
  Enter(noisy, {{1002.1, -500}, {997.9, -500}, {1000, -498.1}, {1000, -501.9}});
  noisy.CalcCircleFit(R, cx, cy);
  EXPECT_NEAR(R, std::sqrt(4.01), 1e-11);
  EXPECT_NEAR(cx, 1000, 1e-10);
  EXPECT_NEAR(cy, -500, 1e-10);
  const std::vector<std::vector<std::pair<double, double>>> degenerate = {
      {{0.1, 0.2}, {0.3, 0.6}, {0.7, 1.4}},  // collinear with inexact coordinates
      {{1e6 + 0.1, 3.3}, {1e6 + 0.2, 3.3}, {1e6 + 0.7, 3.3}},
      {{2, 2}, {2, 2}, {2, 2}},  // coincident
      {{5, 1}, {5, 2}, {5, 9}}};
  for (const auto& pts : degenerate) {
    TCurveFit d(nullptr);
    Enter(d, pts);
    ExpectThrowMessage<ENUVMath2Error>([&] { d.CalcCircleFit(R, cx, cy); },
                                       "CalcCircleFit: radius is infinite");
  }
  TCurveFit two(nullptr);
  Enter(two, {{0, 0}, {1, 1}});
  ExpectThrowMessage<ENUVMath2Error>([&] { two.CalcCircleFit(R, cx, cy); },
                                     "CalcCircleFit: not enough data points");
}

TEST(CurveFitFits, LinearisedFitsRecoverTheirModels) {
  const struct {
    const char* name;
    std::function<double(double)> model;
    std::function<void(TCurveFit&, double&, double&, double&)> fit;
    double k, d;
  } cases[] = {
      {"power", [](double x) { return 3 * std::pow(x, 1.5); },
       [](TCurveFit& c, double& k, double& d, double& q) { c.CalcPowerFit(k, d, q); }, 1.5, 3},
      {"exponential", [](double x) { return 2 * std::exp(0.3 * x); },
       [](TCurveFit& c, double& k, double& d, double& q) { c.CalcExponentialFit(k, d, q); }, 0.3,
       2},
      {"log", [](double x) { return 2 * std::log(x) + 1; },
       [](TCurveFit& c, double& k, double& d, double& q) { c.CalcLogFit(k, d, q); }, 2, 1},
      {"hyperbola", [](double x) { return 4 / x + 2; },
       [](TCurveFit& c, double& k, double& d, double& q) { c.CalcHyperbolFit(k, d, q); }, 4, 2},
      {"reciprocal line", [](double x) { return 1 / (2 * x + 1); },
       [](TCurveFit& c, double& k, double& d, double& q) { c.CalcReciLinFit(k, d, q); }, 2, 1},
      {"reciprocal hyperbola", [](double x) { return x / (3 + 0.5 * x); },
       [](TCurveFit& c, double& k, double& d, double& q) { c.CalcReciHyperbolFit(k, d, q); }, 3,
       0.5},
      {"reciprocal log", [](double x) { return 1 / (0.7 * std::log(x) + 2); },
       [](TCurveFit& c, double& k, double& d, double& q) { c.CalcReciLogFit(k, d, q); }, 0.7, 2}};
  for (const auto& c : cases) {
    TCurveFit cf(nullptr);
    for (double x : {0.5, 1.0, 2.0, 3.5, 5.0, 8.0}) cf.EnterStatValue(x, c.model(x));
    double k, d, q;
    c.fit(cf, k, d, q);
    EXPECT_NEAR(k, c.k, 1e-12) << c.name;
    EXPECT_NEAR(d, c.d, 1e-12) << c.name;
    EXPECT_NEAR(q, 1, 1e-12) << c.name;
  }
  TCurveFit gauss(nullptr), hoerl(nullptr);
  for (double x : {-1.0, 0.0, 0.5, 1.0, 1.5, 2.5})
    gauss.EnterStatValue(x, 5 * std::exp(-(x - 1) * (x - 1) / (2 * 0.25)));
  for (double x : {0.5, 1.0, 2.0, 3.0, 4.5})
    hoerl.EnterStatValue(x, 2 * std::pow(1.5, x) * std::pow(x, 0.7));
  double p1, p2, p3, q;
  gauss.CalcGaussFit(p1, p2, p3, q);
  EXPECT_NEAR(p1, 5, 1e-10);
  EXPECT_NEAR(p2, 1, 1e-10);
  EXPECT_NEAR(p3, 0.5, 1e-10);
  EXPECT_NEAR(q, 1, 1e-10);
  hoerl.CalcHoerlFit(p1, p2, p3, q);
  EXPECT_NEAR(p1, 2, 1e-10);
  EXPECT_NEAR(p2, 1.5, 1e-10);
  EXPECT_NEAR(p3, 0.7, 1e-10);
}

TEST(CurveFitFits, LinearisedFitsRefuseImpossibleTransforms) {
  TCurveFit cf(nullptr);
  Enter(cf, {{-1, 2}, {1, 0}, {2, 3}});
  double k, d, q, p1, p2, p3;
  ExpectThrowMessage<ENUVMath2Error>([&] { cf.CalcLogFit(k, d, q); },
                                     "CalcLogFit: x values must be positive");
  ExpectThrowMessage<ENUVMath2Error>([&] { cf.CalcExponentialFit(k, d, q); },
                                     "CalcExponentialFit: y values must be positive");
  ExpectThrowMessage<ENUVMath2Error>([&] { cf.CalcReciLinFit(k, d, q); },
                                     "CalcReciLinFit: y values must not be 0");
  ExpectThrowMessage<ENUVMath2Error>([&] { cf.CalcHoerlFit(p1, p2, p3, q); },
                                     "CalcHoerlFit: x values must be positive");
  TCurveFit valley(nullptr);
  Enter(valley, {{-1, 4}, {0, 1}, {1, 4}});
  ExpectThrowMessage<ENUVMath2Error>([&] { valley.CalcGaussFit(p1, p2, p3, q); },
                                     "CalcGaussFit: data do not describe a bell curve");
  TCurveFit one(nullptr);
  one.EnterStatValue(1, 1);
  ExpectThrowMessage<ENUVMath2Error>([&] { one.CalcPowerFit(k, d, q); },
                                     "CalcPowerFit: not enough data points");
}

// ---------------------------------------------------------------------------
// Splines

TEST(CurveFitSplines, CubicSplineReproducesCubicsAndLines) {
  auto f = [](double x) { return 0.5 * x * x * x - x * x + 2; };
  auto df = [](double x) { return 1.5 * x * x - 2 * x; };
  TCurveFit cf(nullptr);
  for (double x : {3.0, -1.0, 0.5, 2.0, 4.0, 1.0})
    cf.EnterStatValue(x, f(x));  // unsorted on purpose
  cf.SetNatural1(false);
  cf.SetNaturalN(false);
  cf.SetY1Dash(df(-1));
  cf.SetYNDash(df(4));
  for (double x : {-1.0, -0.3, 0.75, 1.9, 3.99, 4.0})
    EXPECT_NEAR(cf.CubicSpline(x), f(x), 1e-12) << "x=" << x;
  TCurveFit line(nullptr);
  Enter(line, {{0, 1}, {1, 3}, {3, 7}});
  EXPECT_NEAR(line.CubicSpline(2), 5, 1e-14);
  EXPECT_NEAR(line.CubicSpline(-1), -1, 1e-14);  // extrapolated
  line.EnterStatValue(1, 4);
  ExpectThrowMessage<ENUVMath2Error>([&] { line.CubicSpline(2); },
                                     "CubicSpline: x values must be distinct");
  TCurveFit one(nullptr);
  one.EnterStatValue(1, 1);
  ExpectThrowMessage<ENUVMath2Error>([&] { one.CubicSpline(1); },
                                     "CubicSpline: not enough data points");
}

TEST(CurveFitSplines, SmoothingSplineBetweenInterpolationAndRegression) {
  TCurveFit cf(nullptr);
  Enter(cf, {{0, 0}, {1, 2}, {2, 1}, {3, 3}, {4, 2.5}, {5, 4}});
  double y;
  bool ok;
  cf.SetSplineSmoothing(1);
  for (int i = 1; i <= 6; ++i) {
    cf.SmoothedSpline(cf.GetDataX(i), y, ok);
    ASSERT_TRUE(ok);
    EXPECT_NEAR(y, cf.GetDataY(i), 1e-12) << "i=" << i;
  }
  cf.SmoothedSpline(2.5, y, ok);
  EXPECT_NEAR(y, cf.CubicSpline(2.5), 1e-12);  // natural interpolant
  cf.SetSplineSmoothing(0);
  double k, d, q;
  cf.CalcLinFit(k, d, q);
  cf.SmoothedSpline(2.5, y, ok);
  EXPECT_NEAR(y, 2.5 * k + d, 1e-12);
  // In between, the residuals shrink as the weight of the data grows.
  double last = 1e300;
  for (double p : {0.05, 0.3, 0.7, 0.95}) {
    cf.SetSplineSmoothing(p);
    double sse = 0;
    for (int i = 1; i <= 6; ++i) {
      cf.SmoothedSpline(cf.GetDataX(i), y, ok);
      sse += (y - cf.GetDataY(i)) * (y - cf.GetDataY(i));
    }
    EXPECT_LT(sse, last) << "p=" << p;
    last = sse;
  }
  cf.SetSplineSmoothing(2);
  cf.SmoothedSpline(1, y, ok);
  EXPECT_FALSE(ok);
  TCurveFit two(nullptr);
  Enter(two, {{0, 0}, {1, 1}});
  two.SmoothedSpline(0.5, y, ok);
  EXPECT_FALSE(ok);
}

// ---------------------------------------------------------------------------
// ASC files

TEST(CurveFitFiles, ExportThenHeaderAndImport) {
  testing::TempDir dir;
  const std::string name = dir.File("points.asc");
  TCurveFit cf(nullptr);
  Enter(cf, {{1.25, -3}, {2.5, 4.125}, {-0.75, 1e-3}});
  cf.ExportAsASC(name, "", 3);
  std::string comment;
  int32_t cols, rows;
  bool f1, f2, f3, f4;
  ASSERT_EQ(ReadHeaderOfASC(name, comment, cols, rows, f1, f2, f3, f4), 0);
  EXPECT_EQ(comment, "Exported by NUV TCurveFit component: " + name);
  EXPECT_EQ(cols, 2);
  EXPECT_EQ(rows, 3);
  EXPECT_FALSE(f1);
  EXPECT_TRUE(f2);
  EXPECT_FALSE(f3);
  EXPECT_FALSE(f4);
  const std::string text = ReadRawFile(name);
  EXPECT_NE(text.find("2\t;nr. of columns\r\n3\t;nr. of rows\r\nFALSE TRUE FALSE\t;row attributes, "
                      "column names, "
                      "row names\r\nx   y\r\n1.250\t-3.000\r\n2.500\t4.125\r\n-0.750\t0.001\r\n"),
            std::string::npos);
  TCurveFit back(nullptr);
  Enter(back, {{100, 100}});  // replaced, sums included
  ASSERT_EQ(back.ImportASC(name), 0);
  ASSERT_EQ(back.NumData(), 3);
  EXPECT_EQ(back.GetDataX(2), 2.5);
  EXPECT_EQ(back.GetDataY(3), 0.001);
  EXPECT_DOUBLE_EQ(back.GetMeanX(), (1.25 + 2.5 - 0.75) / 3);
  EXPECT_EQ(back.MaxX(), 2.5);
  cf.ExportAsASC(name, "two\nlines", 1);
  ASSERT_EQ(ReadHeaderOfASC(name, comment, cols, rows, f1, f2, f3, f4), 0);
  EXPECT_EQ(comment, "two lines");
}

TEST(CurveFitFiles, ImportRejectsBadTablesAndKeepsThePoints) {
  testing::TempDir dir;
  const std::string name = dir.File("t.asc");
  const std::string head = "c\r\n2\r\n3\r\nFALSE TRUE FALSE\r\n\"x\" \"y\"\r\n";
  const struct {
    const char* what;
    std::string text;
    int32_t want;
  } cases[] = {
      {"truncated", head + "1 2\r\n3 4\r\n", -6},
      {"fewer columns than claimed", head + "1\r\n2\r\n3\r\n", -6},
      {"not a number", head + "1 2\r\n3 x\r\n5 6\r\n", -6},
      {"fourth flag", "c\r\n2\r\n1\r\nFALSE FALSE FALSE TRUE\r\n1 2\r\n", -7},
      {"bad flags", "c\r\n2\r\n1\r\nFALSE maybe\r\n1 2\r\n", -3},
      {"header cut", "c\r\n2\r\n", -4},
      {"row attribute", "c\r\n2\r\n1\r\nTRUE FALSE FALSE\r\nnone 1 2\r\n", -5},
      {"claim beyond the file", "c\r\n2\r\n2000000000\r\nFALSE FALSE FALSE\r\n1 2\r\n", -6},
      {"negative row count", "c\r\n2\r\n-1\r\nFALSE FALSE FALSE\r\n1 2\r\n", -2},
      {"negative column count", "c\r\n-2\r\n1\r\nFALSE FALSE FALSE\r\n1 2\r\n", -1}};
  for (const auto& c : cases) {
    WriteRawFile(name, c.text);
    TCurveFit cf(nullptr);
    Enter(cf, {{7, 8}, {9, 10}});
    EXPECT_EQ(cf.ImportASC(name), c.want) << c.what;
    EXPECT_EQ(cf.NumData(), 2) << c.what;
    EXPECT_EQ(cf.GetDataY(2), 10) << c.what;
    EXPECT_DOUBLE_EQ(cf.GetMeanX(), 8) << c.what;
  }
  WriteRawFile(name, "c\r\n3\r\n1\r\nFALSE FALSE FALSE\r\n1 2 3\r\n");
  TCurveFit cf(nullptr);
  ExpectThrowMessage<ENUVMath2Error>(
      [&] { cf.ImportASC(name); },
      "TCurveFit.ImportASC: number of columns must be 2 (is actually 3).");
  WriteRawFile(name, "c\r\n2\r\n2\r\nTRUE TRUE TRUE\r\n\"a b\" y\r\n1 \"r 1\" 5 6\r\n2 r2 7 8\r\n");
  ASSERT_EQ(cf.ImportASC(name), 0);
  EXPECT_EQ(cf.GetDataX(2), 7);
  EXPECT_EQ(cf.GetDataY(1), 6);
  EXPECT_THROW(cf.ImportASC(dir.File("missing.asc")), EInOutError);
}

// ---------------------------------------------------------------------------
// Statistical tests on data vectors

TEST(StatisVectorForms, TestsReadAndReorderTheVector) {
  TVector v(nullptr);
  v.Resize(5);
  const double values[] = {1, 2, 3, 4, 10};
  for (int i = 0; i < 5; ++i) v.SetVal(i + 1, values[i]);
  double Q;
  EXPECT_EQ(DeanDixonTest(v, Dot050, Q), 5);
  double maxDev;
  v.SetVal(5, 4.5);
  EXPECT_EQ(GrubbsTest(v, 0.05, maxDev), 0);
  TVector w(nullptr);
  w.Resize(5);
  for (int i = 0; i < 5; ++i) w.SetVal(i + 1, nDistriQuantile((5 - i - 0.5) / 5));
  EXPECT_NEAR(PerformKSNormalityTest(w, false), 0.1, 1e-14);
  EXPECT_LT(w.GetVal(1), w.GetVal(5));
  double W, P;
  EXPECT_TRUE(ShapiroWilkTest(v, 0, W, P));
  double m1, m2, s1, s2, t, df;
  int32_t n;
  const double p = Perform2SampleTTest(v, w, ttHomoScedastic, true, m1, m2, s1, s2, t, df, n);
  EXPECT_EQ(n, 10);
  EXPECT_EQ(df, 8);
  EXPECT_DOUBLE_EQ(p, Perform2SampleTTest(v, w, ttHomoScedastic, true));
  double U;
  EXPECT_GT(PerformMannWhitneyUTest(v, w, true, U), 0);
  TVector density(nullptr);
  int32_t lo, hi, calls = 0;
  EstimateProbDensity(v, density, 0, 6, 1, 1, 20, lo, hi, [&](TObject* sender, int32_t, double) {
    EXPECT_EQ(sender, nullptr);
    ++calls;
  });
  EXPECT_EQ(density.NrOfElem(), 21);
  EXPECT_EQ(calls, 5 + 21);
  const double D = PerformLillieforsTest(v, false);
  EXPECT_GT(D, 0);
  EXPECT_LT(D, 0.5);
  double mean, var;
  v.MeanVar(1, 5, mean, var);
  EXPECT_NEAR(mean, 0, 1e-15);  // standardised in place
}

}  // namespace
}  // namespace nuv
