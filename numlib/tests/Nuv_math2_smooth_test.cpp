// Tests of the window filters, covariance matrices, Jacobi eigenvectors,
// principal components and the pseudo-inverse. "scipy", "numpy" and
// "sklearn" mark values printed by tools/ref/math2_smooth_ref.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_vector.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;

std::unique_ptr<TVector> Vec(const std::vector<double>& v) {
  auto vec = std::make_unique<TVector>(nullptr);
  vec->Resize(static_cast<int32_t>(v.size()));
  for (std::size_t i = 0; i < v.size(); ++i) vec->SetVal(static_cast<int32_t>(i + 1), v[i]);
  return vec;
}

std::vector<double> Values(const TVector& v) {
  return std::vector<double>(v.Data(), v.Data() + v.NrOfElem());
}

// The signal of the reference script: sin(0.3 i) + 0.05 i^1.5, i = 1..30.
std::unique_ptr<TVector> Signal() {
  std::vector<double> y;
  for (int i = 1; i <= 30; ++i) y.push_back(std::sin(0.3 * i) + 0.05 * std::pow(i, 1.5));
  return Vec(y);
}

using TFilter = void (*)(const TVector*, int32_t, int32_t, TVector*, int32_t);

// ---------------------------------------------------------------------------
// Window filters

TEST(Math2Filters, GolayTablesFollowTheirFormulas) {
  for (int32_t m = 2; m <= 12; ++m) {
    const auto& smooth = GolayPoly[m - 2];
    const auto& second = Golay2ndDeriv[m - 2];
    // Smoothing: weights ∝ 3m² + 3m - 1 - 5i², divisor their sum.
    const int32_t scale = (3 * m * m + 3 * m - 1) / smooth[1];
    int64_t sum = smooth[1];
    for (int32_t i = 0; i <= m; ++i) {
      EXPECT_EQ(int64_t{smooth[i + 1]} * scale, 3 * m * m + 3 * m - 1 - 5 * i * i)
          << "GolayPoly m=" << m << " i=" << i;
      if (i > 0) sum += 2 * smooth[i + 1];
    }
    EXPECT_EQ(sum, smooth[0]) << "GolayPoly divisor m=" << m;
    // Second derivative: weights ∝ 3i² - m(m + 1), unit on a parabola.
    int64_t curvature = 0;
    for (int32_t i = 0; i <= m; ++i) {
      EXPECT_EQ(int64_t{second[i + 1]} * (3 - m * (m + 1)),
                int64_t{second[2]} * (3 * i * i - m * (m + 1)))
          << "Golay2ndDeriv m=" << m << " i=" << i;
      if (i > 0) curvature += 2 * int64_t{second[i + 1]} * i * i;
    }
    EXPECT_EQ(curvature, 2 * int64_t{second[0]}) << "Golay2ndDeriv divisor m=" << m;
    for (int32_t slot = m + 2; slot < 14; ++slot) EXPECT_EQ(smooth[slot] | second[slot], 0);
  }
}

TEST(Math2Filters, MovingAverageCopiesTheNearestFullWindowToTheEnds) {
  auto src = Vec({1, 2, 3, 4, 5, 6, 7});
  TVector dest(nullptr);
  int changes = 0;
  dest.OnChange = [&](TObject*) { ++changes; };
  MovingAverageSmooth(src.get(), 1, 7, &dest, 3);
  EXPECT_EQ(Values(dest), (std::vector<double>{2, 2, 3, 4, 5, 6, 6}));
  EXPECT_GE(changes, 1);
  WeightedAverageSmooth(src.get(), 7, 1, &dest, 3);  // ordered
  EXPECT_EQ(Values(dest), (std::vector<double>{2, 2, 3, 4, 5, 6, 6}));
}

TEST(Math2Filters, ExactOnPolynomials) {
  std::vector<double> quad, line, square;
  for (int i = 1; i <= 40; ++i) {
    quad.push_back(0.5 * i * i - 3 * i + 7);
    line.push_back(2.0 * i);
    square.push_back(1.0 * i * i);
  }
  auto q = Vec(quad), l = Vec(line), s = Vec(square);
  for (int32_t L = 5; L <= 25; L += 2) {
    const int32_t m = (L - 1) / 2;
    TVector out(nullptr);
    PolynomialSmooth(q.get(), 1, 40, &out, L);
    for (int32_t d = m + 1; d <= 40 - m; ++d)
      EXPECT_NEAR(out.GetVal(d), quad[d - 1], 1e-11) << "PolynomialSmooth L=" << L << " at " << d;
    FirstDeriv(l.get(), 1, 40, &out, L);
    for (int32_t d = 1; d <= 40; ++d) EXPECT_NEAR(out.GetVal(d), 2, 1e-12) << "FirstDeriv L=" << L;
    SecondDeriv(s.get(), 1, 40, &out, L);
    for (int32_t d = 1; d <= 40; ++d) EXPECT_NEAR(out.GetVal(d), 2, 1e-12) << "SecondDeriv L=" << L;
  }
}

TEST(Math2Filters, InteriorMatchesSavgolFilter) {
  struct TCase {
    TFilter filter;
    int32_t L;
    std::vector<double> want;  // scipy savgol_filter(y, L, 2, deriv), interior
  } cases[] = {
      {PolynomialSmooth,
       25,
       {1.932308313388508, 2.1009882571600436, 2.3250851335436407, 2.6100444414353943,
        2.956639673951458, 3.36094410216165}},
      {FirstDeriv,
       25,
       {0.2318029656152574, 0.2531364176948816, 0.27577328593887895, 0.2987481321318537,
        0.3209854849599424, 0.3414203087798754}},
      {SecondDeriv,
       25,
       {0.03073506416140969, 0.03545006402617199, 0.03802884839890543, 0.03817590278507848,
        0.03582903863362983, 0.03115801426683818}},
      {PolynomialSmooth,
       5,
       {1.0424121556354762, 1.3313184986373754, 1.5557839081129887, 1.7079999926251062}},
      {FirstDeriv,
       11,
       {0.12776549986746896, 0.08048156047010488, 0.04203716324636496, 0.017514193375809665}},
      {SecondDeriv,
       11,
       {-0.05618554589806925, -0.049422772598777615, -0.03655911946149603, -0.018987212415183877}},
  };
  auto y = Signal();
  for (const auto& c : cases) {
    TVector out(nullptr);
    c.filter(y.get(), 1, 30, &out, c.L);
    const int32_t m = (c.L - 1) / 2;
    for (std::size_t k = 0; k < c.want.size(); ++k)
      EXPECT_NEAR(out.GetVal(m + 1 + static_cast<int32_t>(k)), c.want[k], 1e-13)
          << "L=" << c.L << " output " << m + 1 + k;
  }
}

TEST(Math2Filters, SubRangeStartsAtDestOneAndShortDestGrows) {
  auto y = Signal();
  TVector whole(nullptr), part(nullptr);
  PolynomialSmooth(y.get(), 1, 30, &whole, 7);
  PolynomialSmooth(y.get(), 6, 25, &part, 7);  // part holds one element
  ASSERT_EQ(part.NrOfElem(), 20);
  for (int32_t d = 6 + 3; d <= 25 - 3; ++d) EXPECT_DOUBLE_EQ(part.GetVal(d - 5), whole.GetVal(d));
}

TEST(Math2Filters, InPlaceFilteringReadsTheOriginalValues) {
  auto y = Signal(), copy = Signal();
  TVector ref(nullptr);
  WeightedAverageSmooth(copy.get(), 1, 30, &ref, 9);
  WeightedAverageSmooth(y.get(), 1, 30, y.get(), 9);
  EXPECT_EQ(Values(*y), Values(ref));
}

TEST(Math2Filters, ErrorsInTheirOrder) {
  auto y30 = Signal();
  auto y6 = Vec({1, 2, 3, 4, 5, 6});
  TVector out(nullptr);
  struct TCase {
    TFilter filter;
    const TVector* src;
    TVector* dest;
    int32_t L;
    const char* message;
  } cases[] = {
      {PolynomialSmooth, y30.get(), &out, 4, "PolynomialSmooth: length of polynomial must be odd"},
      {PolynomialSmooth, y30.get(), &out, 27,
       "PolynomialSmooth: length of polynomial is out of range"},
      {PolynomialSmooth, y6.get(), &out, 7,
       "PolynomialSmooth: specified range for smoothing is smaller than the length of the "
       "polynomial"},
      {PolynomialSmooth, y6.get(), &out, 4, "PolynomialSmooth: length of polynomial must be odd"},
      {SecondDeriv, y30.get(), &out, 3, "SecondDeriv: length of polynomial is out of range"},
      {PolynomialSmooth, y30.get(), &out, 26,
       "PolynomialSmooth: length of polynomial is out of range"},
      {SecondDeriv, nullptr, &out, 5, "SecondDeriv: either SourceVec or DestVec is undefined"},
      {FirstDeriv, y30.get(), nullptr, 5, "FirstDeriv: either SourceVec or DestVec is undefined"},
      {FirstDeriv, y6.get(), &out, 7,
       "FirstDeriv: specified range for calculation is smaller than the length of the polynomial"},
      {FirstDeriv, y30.get(), &out, 3, "FirstDeriv: length of polynomial is out of range"},
      {MovingAverageSmooth, y6.get(), &out, 6,
       "MovingAverageSmooth: specified range for smoothing is smaller than the length of the "
       "smoothing windows"},
      {MovingAverageSmooth, y30.get(), &out, 1,
       "MovingAverageSmooth: length of smoothing window is out of range"},
      {WeightedAverageSmooth, y30.get(), &out, -3,
       "WeightedAverageSmooth: length of smoothing window is out of range"},
      {WeightedAverageSmooth, y30.get(), &out, 28,
       "WeightedAverageSmooth: length of smoothing window must be odd"},
  };
  for (const auto& c : cases)
    ExpectThrowMessage<ENUVMath2Error>([&] { c.filter(c.src, 1, 30, c.dest, c.L); }, c.message);
}

// ---------------------------------------------------------------------------
// Covariance

// The data of the reference script: 9 objects × 4 variables.
TMatrix& Data(TMatrix& x) {
  x.Resize(4, 9);
  for (int32_t r = 1; r <= 9; ++r)
    for (int32_t c = 1; c <= 4; ++c)
      x.SetVal(c, r, std::sin(1.1 * r + 0.7 * c * c) + 0.2 * r * c / (c + 1.0));
  return x;
}

void ExpectMatrix(const TMatrix& m, int32_t n, const std::vector<double>& rowMajor, double tol,
                  const std::string& what) {
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j)
      EXPECT_NEAR(m.GetVal(j + 1, i + 1), rowMajor[i * n + j], tol)
          << what << " (" << i << ", " << j << ")";
}

TEST(Math2Covar, ModesAgainstNumpy) {
  struct TCase {
    int32_t mode;
    std::vector<double> want;  // numpy, row-major
  } cases[] = {
      {0,
       {0.8814401908698473, 0.047925016264139135, 0.9887957296624228, 0.3491374802842934,
        0.047925016264139135, 0.947044014959238, 0.13215837158970398, 0.5245341658088603,
        0.9887957296624228, 0.13215837158970398, 1.5113612101442064, 1.1888163063729034,
        0.3491374802842934, 0.5245341658088603, 1.1888163063729034, 1.8504521756904848}},
      {1,
       {0.580546241554395, -0.23150461258711474, 0.4690714210860334, -0.21694085463256188,
        -0.23150461258711474, 0.6875475456630382, -0.35049131605231, -0.0011628759110460976,
        0.4690714210860334, -0.35049131605231, 0.6136583565649757, 0.21104765438084547,
        -0.21694085463256188, -0.0011628759110460976, 0.21104765438084547, 0.785476685185388}},
      {2,
       {1.0, -0.3664290288224818, 0.7858818131441124, -0.32125972885951243, -0.36642902882248174,
        1.0, -0.539588354109101, -0.0015823966572251257, 0.7858818131441124, -0.539588354109101,
        1.0, 0.30398388004944743, -0.32125972885951243, -0.0015823966572251257, 0.30398388004944743,
        1.0}},
      {4,
       {0.0, 1.7326341733008066, 0.4152099416892083, 2.0336174059917447, 1.7326341733008066, 0.0,
        2.194088481924036, 1.748427859032002, 0.4152099416892083, 2.194088481924036, 0.0,
        0.9841807730888844, 2.0336174059917447, 1.748427859032002, 0.9841807730888844, 0.0}},
  };
  TMatrix x(nullptr), c(nullptr);
  Data(x);
  c.Resize(5, 5);
  for (const auto& k : cases) {
    ASSERT_TRUE(CalcCovar(x, c, 1, 4, 1, 9, k.mode));
    ExpectMatrix(c, 4, k.want, 1e-14, "mode " + std::to_string(k.mode));
  }
  ASSERT_TRUE(CalcCovar(x, c, 0, 0, 0, 0, 3));
  EXPECT_NEAR(c.GetVal(1, 3), 0.7858818131441124 * 0.7858818131441124, 1e-14);
  EXPECT_EQ(c.GetVal(5, 5), 0);  // beyond the result: untouched
}

TEST(Math2Covar, DegenerateInputs) {
  TMatrix x(nullptr), c(nullptr);
  Data(x);
  c.Resize(4, 4);
  // A single row: 0 instead of 0/0; correlation 0 with the diagonal 1.
  for (int32_t mode : {0, 1, 2, 4}) {
    ASSERT_TRUE(CalcCovar(x, c, 1, 4, 3, 3, mode)) << mode;
    EXPECT_EQ(c.GetVal(1, 2), 0) << "one row, mode " << mode;
    EXPECT_EQ(c.GetVal(2, 2), mode == 2 ? 1 : 0) << "one row, mode " << mode;
  }
  // A constant column correlates 0 with everything.
  for (int32_t r = 1; r <= 9; ++r) x.SetVal(2, r, 0.1);
  ASSERT_TRUE(CalcCovar(x, c, 1, 4, 1, 9, 2));
  EXPECT_EQ(c.GetVal(1, 2), 0);
  EXPECT_EQ(c.GetVal(2, 2), 1);
  EXPECT_FALSE(CalcCovar(x, c, 1, 4, 1, 9, 5));  // no such mode
  TMatrix small(nullptr);
  small.Resize(3, 4);
  EXPECT_FALSE(CalcCovar(x, small, 1, 4, 1, 9, 1));
  int calls = 0;
  MathFeedBackProc = [&](int32_t) {
    if (++calls == 2) AbortMathProc = true;
  };
  EXPECT_FALSE(CalcCovar(x, c, 1, 4, 1, 9, 1));
  MathFeedBackProc = nullptr;
  AbortMathProc = false;
}

// ---------------------------------------------------------------------------
// Jacobi and principal components

TMatrix& Symmetric6(TMatrix& a) {
  a.Resize(6, 6);
  for (int32_t i = 1; i <= 6; ++i)
    for (int32_t j = 1; j <= 6; ++j) a.SetVal(j, i, 1.0 / (i + j - 1) + (i == j ? i : 0));
  return a;
}

// A·v = λ·v and Vᵀ·V = I for the stored pairs.
void ExpectEigenPairs(const TMatrix& a, const std::string& what) {
  const int32_t n = GetEigenSize();
  for (int32_t j = 1; j <= n; ++j) {
    const double lambda = GetEigenResult(j, 0);
    for (int32_t i = 1; i <= n; ++i) {
      double av = 0;
      for (int32_t k = 1; k <= n; ++k) av += a.GetVal(k, i) * GetEigenResult(k, j);
      EXPECT_NEAR(av, lambda * GetEigenResult(i, j), 1e-12) << what << " pair " << j;
    }
    for (int32_t l = 1; l <= n; ++l) {
      double dot = 0;
      for (int32_t k = 1; k <= n; ++k) dot += GetEigenResult(k, j) * GetEigenResult(k, l);
      EXPECT_NEAR(dot, j == l ? 1 : 0, 1e-13) << what << " columns " << j << ", " << l;
    }
  }
}

TEST(Math2Eigen, TwoByTwoWithEqualDiagonalRotates) {
  TMatrix a(nullptr);
  a.Resize(2, 2);
  a.SetVal(1, 1, 2);
  a.SetVal(2, 2, 2);
  a.SetVal(1, 2, 1);
  a.SetVal(2, 1, 1);
  TMatrix keep(nullptr);
  keep.Clone(a);
  ASSERT_TRUE(CalcEigVec(a));
  EXPECT_EQ(GetEigenSize(), 2);
  EXPECT_NEAR(GetEigenResult(1, 0), 1, 1e-15);  // the order of the diagonal, unsorted
  EXPECT_NEAR(GetEigenResult(2, 0), 3, 1e-15);
  EXPECT_NEAR(std::fabs(GetEigenResult(1, 1)), std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(GetEigenResult(1, 1), -GetEigenResult(2, 1), 1e-15);
  EXPECT_NEAR(GetEigenResult(1, 2), GetEigenResult(2, 2), 1e-15);
  ExpectEigenPairs(keep, "2x2");
  EXPECT_NEAR(a.GetVal(2, 1), 0, 1e-15);  // Mat holds the rotated matrix
  EXPECT_EQ(GetEigenResult(3, 0), 0);
  EXPECT_EQ(GetEigenResult(1, 3), 0);
  EXPECT_EQ(GetEigenResult(0, 1), 0);
  RemoveEigenMatrix();
  EXPECT_EQ(GetEigenSize(), 0);
  EXPECT_EQ(GetEigenResult(1, 0), 0);
}

TEST(Math2Eigen, MatchesEigh) {
  TMatrix a(nullptr), keep(nullptr);
  Symmetric6(a);
  keep.Clone(a);
  const int32_t before = ProcStat;
  ASSERT_TRUE(CalcEigVec(a));
  EXPECT_GT(ProcStat, before);
  std::vector<double> values;
  for (int32_t i = 1; i <= 6; ++i) values.push_back(GetEigenResult(i, 0));
  std::sort(values.begin(), values.end());
  const double want[] = {1.6246064040052823, 2.446520821661163, 3.295480725110687,  // numpy
                         4.2081813913148665, 5.161510651264515, 6.141910684854166};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(values[k], want[k], 1e-13) << "eigenvalue " << k;
  ExpectEigenPairs(keep, "6x6");
}

TEST(Math2Eigen, TiedEigenvaluesGiveTheirProjector) {
  // 4·I - ones: eigenvalues 1 (once) and 4 (twice).
  TMatrix a(nullptr), keep(nullptr);
  a.Resize(3, 3);
  for (int32_t i = 1; i <= 3; ++i)
    for (int32_t j = 1; j <= 3; ++j) a.SetVal(j, i, i == j ? 3 : -1);
  keep.Clone(a);
  ASSERT_TRUE(CalcEigVec(a));
  ExpectEigenPairs(keep, "tied");
  // Projector onto the eigenspace of 4 = I - (1/3)·ones.
  for (int32_t i = 1; i <= 3; ++i)
    for (int32_t j = 1; j <= 3; ++j) {
      double p = 0;
      for (int32_t k = 1; k <= 3; ++k)
        if (std::fabs(GetEigenResult(k, 0) - 4) < 1e-12)
          p += GetEigenResult(i, k) * GetEigenResult(j, k);
      EXPECT_NEAR(p, (i == j) - 1.0 / 3, 1e-13) << i << ", " << j;
    }
}

TEST(Math2Eigen, RefusedMatrices) {
  struct TCase {
    const char* what;
    int32_t cols, rows;
    double offUpper, offLower, diag;
  } cases[] = {
      {"not square", 3, 2, 1, 1, 1}, {"not symmetric", 3, 3, 1, 0.5, 1},
      {"NaN", 3, 3, NAN, NAN, 1},    {"infinite", 3, 3, 1, 1, INFINITY},
      {"empty", 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    TMatrix a(nullptr);
    a.Resize(c.cols, c.rows);
    for (int32_t i = 1; i <= c.rows; ++i)
      for (int32_t j = 1; j <= c.cols; ++j)
        a.SetVal(j, i, i == j ? c.diag : (j > i ? c.offUpper : c.offLower));
    EXPECT_FALSE(CalcEigVec(a)) << c.what;
    EXPECT_EQ(GetEigenSize(), 0) << c.what;
  }
  TMatrix a(nullptr);
  Symmetric6(a);
  MathFeedBackProc = [](int32_t) { AbortMathProc = true; };
  EXPECT_FALSE(CalcEigVec(a));
  EXPECT_EQ(GetEigenSize(), 0);
  MathFeedBackProc = nullptr;
  AbortMathProc = false;
}

TEST(Math2PrincComp, SortedSharesAgainstSklearn) {
  // Mode-1 covariance (2 1; 1 2): data ±(a, b) with the right moments.
  TMatrix d(nullptr);
  const double rows[][2] = {{1, 1}, {-1, -1}, {1, -1}, {-1, 1}};
  d.Resize(2, 4);
  // u = a·s + b·t, v = a·s - b·t with orthogonal ±1 patterns s, t:
  // variances 4(a² + b²)/3 = 2, covariance 4(a² - b²)/3 = 1.
  const double a = std::sqrt(3.0 * 3 / 4 / 2), b = std::sqrt(3.0 * 1 / 4 / 2);
  for (int32_t r = 0; r < 4; ++r) {
    d.SetVal(1, r + 1, a * rows[r][0] + b * rows[r][1]);
    d.SetVal(2, r + 1, a * rows[r][0] - b * rows[r][1]);
  }
  ASSERT_TRUE(CalcPrincComp(d, 1, 2, 1, 4, 1, false));
  EXPECT_NEAR(GetEigenResult(1, 0), 3, 1e-14);
  EXPECT_NEAR(GetEigenResult(2, 0), 1, 1e-14);
  ASSERT_TRUE(CalcPrincComp(d, 1, 2, 1, 4, 1));
  EXPECT_NEAR(GetEigenResult(1, 0), 0.75, 1e-15);
  EXPECT_NEAR(GetEigenResult(2, 0), 0.25, 1e-15);
  EXPECT_NEAR(std::fabs(GetEigenResult(1, 1)), std::sqrt(0.5), 1e-15);

  TMatrix x(nullptr);
  Data(x);
  ASSERT_TRUE(CalcPrincComp(x, 1, 4, 1, 9, 2));
  const double shares[] = {0.5365923924321884, 0.3007214455706843, 0.1626861619971272, 0};
  for (int32_t i = 1; i <= 4; ++i) EXPECT_NEAR(GetEigenResult(i, 0), shares[i - 1], 1e-13) << i;
  EXPECT_FALSE(CalcPrincComp(x, 1, 4, 1, 9, 7));
}

// ---------------------------------------------------------------------------
// Pseudo-inverse and singular values

TMatrix& RankTwo(TMatrix& b) {
  b.Resize(3, 5);
  for (int32_t r = 1; r <= 5; ++r) {
    for (int32_t c = 1; c <= 2; ++c) b.SetVal(c, r, std::cos((r - 1) + 2.0 * (c - 1)));
    b.SetVal(3, r, b.GetVal(1, r) + b.GetVal(2, r));
  }
  return b;
}

TEST(Math2PseudoInverse, RankDeficientAgainstPinv) {
  const std::vector<double> want = {
      // numpy pinv, 3 × 5 row-major
      0.23490011557671917,  0.11116984868010835,  -0.1147694644069697,  -0.23519026120478256,
      -0.13937821648637852, -0.077432684442571,   -0.25826947478963047, -0.2016545010858105,
      0.04036069093892513,  0.2452684498472757,   0.15746743113414816,  -0.14709962610952226,
      -0.31642396549278035, -0.19482957026585745, 0.10589023336089723};
  TMatrix b(nullptr), p(nullptr), bt(nullptr), pt(nullptr);
  RankTwo(b);
  ASSERT_TRUE(PseudoInverse(b, p, 0));
  ASSERT_EQ(p.NrOfColumns(), 5);
  ASSERT_EQ(p.NrOfRows(), 3);
  for (int32_t i = 0; i < 3; ++i)
    for (int32_t j = 0; j < 5; ++j)
      EXPECT_NEAR(p.GetVal(j + 1, i + 1), want[i * 5 + j], 1e-13) << i << ", " << j;
  // The wide transpose gives the transposed inverse.
  bt.Clone(b);
  bt.Transpose();
  ASSERT_TRUE(PseudoInverse(bt, pt, 1e-10));
  for (int32_t i = 0; i < 3; ++i)
    for (int32_t j = 0; j < 5; ++j)
      EXPECT_NEAR(pt.GetVal(i + 1, j + 1), want[i * 5 + j], 1e-13)
          << "transposed " << i << ", " << j;
  // A threshold above the second singular value (1.83) keeps one.
  ASSERT_TRUE(PseudoInverse(b, p, 1.9));
  TMatrix u(nullptr), v(nullptr);
  TVector w(nullptr);
  ASSERT_TRUE(SingValDecomp(b, u, w, v));
  for (int32_t i = 1; i <= 3; ++i)
    for (int32_t j = 1; j <= 5; ++j)
      EXPECT_NEAR(p.GetVal(j, i), v.GetVal(1, i) * u.GetVal(1, j) / w.GetVal(1), 1e-14);
}

TEST(Math2PseudoInverse, NegativeThresholdNeverDividesByZero) {
  TMatrix z(nullptr), p(nullptr);
  z.Resize(3, 2);  // all zero
  ASSERT_TRUE(PseudoInverse(z, p, -1));
  for (int32_t i = 1; i <= 3; ++i)
    for (int32_t j = 1; j <= 2; ++j) EXPECT_EQ(p.GetVal(j, i), 0);
  TMatrix e(nullptr);
  e.Resize(0, 3);
  EXPECT_FALSE(PseudoInverse(e, p, 0));
  z.SetVal(1, 1, NAN);
  EXPECT_FALSE(PseudoInverse(z, p, 0));
  z.SetVal(1, 1, 1);
  EXPECT_FALSE(PseudoInverse(z, p, NAN));
}

TEST(Math2Svd, DecompositionAndSolve) {
  TMatrix b(nullptr), u(nullptr), v(nullptr);
  TVector w(nullptr);
  RankTwo(b);
  ASSERT_TRUE(SingValDecomp(b, u, w, v));
  ASSERT_EQ(w.NrOfElem(), 3);
  EXPECT_NEAR(w.GetVal(1), 2.0929949639114924, 1e-14);  // numpy
  EXPECT_NEAR(w.GetVal(2), 1.8317027656596316, 1e-14);
  EXPECT_NEAR(w.GetVal(3), 0, 1e-14);
  for (int32_t r = 1; r <= 5; ++r)
    for (int32_t c = 1; c <= 3; ++c) {
      double s = 0;
      for (int32_t k = 1; k <= 3; ++k) s += u.GetVal(k, r) * w.GetVal(k) * v.GetVal(k, c);
      EXPECT_NEAR(s, b.GetVal(c, r), 1e-14) << r << ", " << c;
    }
  // Minimum-norm solution of b·x = y for y in the range: x = pinv·y.
  auto y = Vec({1, 2, 3, 4, 5});
  TVector x(nullptr);
  SingValEquSolve(u, w, v, *y, 1e-12, x);
  TMatrix p(nullptr);
  ASSERT_TRUE(PseudoInverse(b, p, 0));
  for (int32_t i = 1; i <= 3; ++i) {
    double s = 0;
    for (int32_t j = 1; j <= 5; ++j) s += p.GetVal(j, i) * y->GetVal(j);
    EXPECT_NEAR(x.GetVal(i), s, 1e-12) << i;
  }
  auto shortY = Vec({1, 2});
  ExpectThrowMessage<ENUVMath2Error>([&] { SingValEquSolve(u, w, v, *shortY, 0, x); },
                                     "SingValEquSolve: dimensions do not match");
}

}  // namespace
}  // namespace nuv
