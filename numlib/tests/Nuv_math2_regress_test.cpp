// Tests of the regressions on the singular value decomposition and the
// penalised cubic spline. "numpy", "sklearn" and "scipy" mark values
// printed by tools/ref/math2_cluster_ref.py.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_vector.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;

// The design of the reference script: 20 objects × 3 variables and the
// response.
void Design(TMatrix& a, TVector& y) {
  a.Resize(3, 20);
  y.Resize(20);
  for (int32_t i = 1; i <= 20; ++i) {
    for (int32_t j = 1; j <= 3; ++j) a.SetVal(j, i, std::cos(0.7 * i * j) + 0.1 * i * j);
    y.SetVal(i, 1.5 * a.GetVal(1, i) - 2 * a.GetVal(2, i) + 0.5 * a.GetVal(3, i) + 0.3 +
                    0.05 * std::sin(3.1 * i));
  }
}

void ExpectCoeffs(const TVector& got, const std::vector<double>& want, double tol,
                  const std::string& what) {
  ASSERT_EQ(got.NrOfElem(), static_cast<int32_t>(want.size())) << what;
  for (std::size_t k = 0; k < want.size(); ++k)
    EXPECT_NEAR(got.GetVal(static_cast<int32_t>(k + 1)), want[k], tol)
        << what << " coefficient " << k + 1;
}

TEST(Math2Regression, MultiLinRegAgainstLstsq) {
  TMatrix a(nullptr);
  TVector y(nullptr), b(nullptr);
  Design(a, y);
  double q = 0;
  ASSERT_TRUE(MultiLinReg(a, y, true, b, q));
  ExpectCoeffs(b, {1.50082211827041, -1.9978955521715709, 0.4973508499461847, 0.30206753272169384},
               1e-12, "with intercept");  // numpy
  EXPECT_GT(q, 0.99);
  EXPECT_LT(q, 1);
  ASSERT_TRUE(MultiLinReg(a, y, false, b, q));
  ExpectCoeffs(b, {1.4934362767310712, -1.9672336648787998, 0.5518021982941359, 0}, 1e-12,
               "without intercept");
  TVector shortY(nullptr);
  shortY.Resize(19);
  ExpectThrowMessage<ENUVMath2Error>([&] { MultiLinReg(a, shortY, true, b, q); },
                                     "MultiLinReg: dimensions do not match");
  TMatrix three(nullptr);
  three.Resize(3, 3);
  TVector y3(nullptr);
  y3.Resize(3);
  ExpectThrowMessage<ENUVMath2Error>([&] { MultiLinReg(three, y3, true, b, q); },
                                     "MultiLinReg: not enough data points");
}

TEST(Math2Regression, RidgeAgainstSklearn) {
  TMatrix a(nullptr);
  TVector y(nullptr), b(nullptr), means(nullptr), sds(nullptr);
  Design(a, y);
  ASSERT_TRUE(RidgeReg(a, y, 2.5, b));
  ExpectCoeffs(b, {1.1710137958794906, -1.5954824330835948, 0.366203320902145, 0.24186625712727838},
               1e-12, "RidgeReg");  // sklearn
  ASSERT_TRUE(RidgeRegStd(a, y, 2.5, b, means, sds));
  ExpectCoeffs(b, {1.1656337324753987, -1.8820361587065428, 0.4129791006167709, -0.623543800559167},
               1e-12, "RidgeRegStd");
  ASSERT_EQ(means.NrOfElem(), 3);
  double m = 0, v = 0;
  y.MeanVar(1, 20, m, v);
  TVector col(nullptr);
  col.Resize(20);
  a.CopyColToVec(col, 2, 1, 20);
  col.MeanVar(1, 20, m, v);
  EXPECT_NEAR(means.GetVal(2), m, 1e-15);
  EXPECT_NEAR(sds.GetVal(2), std::sqrt(v), 1e-14);
  // Lambda 0 is least squares.
  double q = 0;
  TVector ls(nullptr);
  ASSERT_TRUE(RidgeReg(a, y, 0, b));
  ASSERT_TRUE(MultiLinReg(a, y, true, ls, q));
  for (int32_t k = 1; k <= 4; ++k) EXPECT_NEAR(b.GetVal(k), ls.GetVal(k), 1e-11) << k;
  for (double bad : {-0.1, std::nan("")}) {
    ExpectThrowMessage<ENUVMath2Error>([&] { RidgeReg(a, y, bad, b); },
                                       "RidgeReg: ridge parameter must not be negative");
    ExpectThrowMessage<ENUVMath2Error>([&] { RidgeRegStd(a, y, bad, b, means, sds); },
                                       "RidgeRegStd: ridge parameter must not be negative");
  }
}

TEST(Math2Regression, SimPLSAgainstPLSRegression) {
  TMatrix a(nullptr), y2(nullptr), coeffs(nullptr);
  TVector y(nullptr);
  Design(a, y);
  y2.Resize(1, 20);
  y2.CopyFromVec(y, 1, 20, 1, 1);
  struct TCase {
    int32_t comps;
    std::vector<double> want;  // sklearn, scale=False
  } cases[] = {
      {1, {0.16245037545753319, -0.5706028245878159, -0.19148504796780694}},
      {2, {1.4916998290037602, -2.002817512362985, 0.5044370580649273}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SimPLS(a, y2, c.comps, coeffs));
    ASSERT_EQ(coeffs.NrOfRows(), 4);
    double intercept = -0.6235438005591676;  // ȳ, sklearn's intercept on centred x
    for (int32_t j = 1; j <= 3; ++j) {
      EXPECT_NEAR(coeffs.GetVal(1, j), c.want[j - 1], 1e-12) << c.comps << " components, " << j;
      double m = 0, v = 0;
      TVector col(nullptr);
      col.Resize(20);
      a.CopyColToVec(col, j, 1, 20);
      col.MeanVar(1, 20, m, v);
      intercept -= c.want[j - 1] * m;
    }
    EXPECT_NEAR(coeffs.GetVal(1, 4), intercept, 1e-12) << c.comps << " components";
  }
  // All components: least squares for every response of a two-column Y.
  TMatrix yy(nullptr);
  yy.Resize(2, 20);
  for (int32_t i = 1; i <= 20; ++i) {
    yy.SetVal(1, i, y.GetVal(i));
    yy.SetVal(2, i, a.GetVal(1, i) - a.GetVal(3, i));
  }
  ASSERT_TRUE(SimPLS(a, yy, 3, coeffs));
  const std::vector<double> ls = {1.50082211827041, -1.9978955521715709, 0.4973508499461847,
                                  0.30206753272169384};
  for (int32_t j = 1; j <= 4; ++j) EXPECT_NEAR(coeffs.GetVal(1, j), ls[j - 1], 1e-11) << j;
  const double exact[] = {1, 0, -1, 0};
  for (int32_t j = 1; j <= 4; ++j) EXPECT_NEAR(coeffs.GetVal(2, j), exact[j - 1], 1e-12) << j;
  for (int32_t bad : {0, 4})
    ExpectThrowMessage<ENUVMath2Error>([&] { SimPLS(a, y2, bad, coeffs); },
                                       "SimPLS: number of components is out of range");
  TMatrix y19(nullptr);
  y19.Resize(1, 19);
  ExpectThrowMessage<ENUVMath2Error>([&] { SimPLS(a, y19, 1, coeffs); },
                                     "SimPLS: dimensions do not match");
}

TEST(Math2Regression, PenalizedSplineAgainstMakeSmoothingSpline) {
  TVector x(nullptr), y(nullptr), fitted(nullptr), curv(nullptr);
  x.Resize(15);
  y.Resize(15);
  for (int32_t i = 0; i < 15; ++i) {
    const double xi = 3.0 * i / 14 + 0.05 * std::sin(i);
    x.SetVal(i + 1, xi);
    y.SetVal(i + 1, std::sin(2 * xi) + 0.1 * std::cos(7 * xi));
  }
  PenalizedCubicSpline(x, y, 0.05, fitted, curv);
  const double want[] = {0.260468006847885,   0.5440889047086096,  0.7419970932973189,  // scipy
                         0.8396072991981576,  0.854377062336712,   0.7509858348118403,
                         0.46726272247815276, 0.0605706949877873,  -0.31323840292119104,
                         -0.5745766330242986, -0.7467668355020352, -0.8450819103488392,
                         -0.8162676472262607, -0.646157096854983,  -0.4317337926827168};
  for (int32_t i = 1; i <= 15; ++i) EXPECT_NEAR(fitted.GetVal(i), want[i - 1], 1e-11) << i;
  EXPECT_EQ(curv.GetVal(1), 0);
  EXPECT_EQ(curv.GetVal(15), 0);
  EXPECT_NEAR(PenalizedCubicSplineValue(x, fitted, curv, 1.234), 0.5190636073828935, 1e-11);
  // Lambda 0 interpolates.
  PenalizedCubicSpline(x, y, 0, fitted, curv);
  for (int32_t i = 1; i <= 15; ++i) EXPECT_NEAR(fitted.GetVal(i), y.GetVal(i), 1e-13) << i;

  struct TCase {
    std::vector<double> xs;
    double lambda;
    const char* message;
  } cases[] = {
      {{1, 2}, 1, "PenalizedCubicSpline: not enough data points"},
      {{1, 2, 2, 3}, 1, "PenalizedCubicSpline: x values must be strictly ascending"},
      {{1, NAN, 3}, 1, "PenalizedCubicSpline: x values must be strictly ascending"},
      {{1, 2, 3}, -1, "PenalizedCubicSpline: smoothing parameter must not be negative"},
  };
  for (const auto& c : cases) {
    TVector cx(nullptr), cy(nullptr);
    cx.Resize(static_cast<int32_t>(c.xs.size()));
    cy.Resize(static_cast<int32_t>(c.xs.size()));
    for (std::size_t i = 0; i < c.xs.size(); ++i) cx.SetVal(static_cast<int32_t>(i + 1), c.xs[i]);
    ExpectThrowMessage<ENUVMath2Error>(
        [&] { PenalizedCubicSpline(cx, cy, c.lambda, fitted, curv); }, c.message);
  }
  TVector y14(nullptr);
  y14.Resize(14);
  ExpectThrowMessage<ENUVMath2Error>([&] { PenalizedCubicSpline(x, y14, 1, fitted, curv); },
                                     "PenalizedCubicSpline: dimensions do not match");
}

}  // namespace
}  // namespace nuv
