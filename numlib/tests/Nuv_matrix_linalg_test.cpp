#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "Nuv_matrix_kernels.h"
#include "Nuv_matrix_parts.h"
#include "Nuv_matrix_test.h"
#include "nuv/Nuv_matrix.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;
using testing::Rows;
using testing::SetRows;
using testing::TRows;
using testing::TTestMatrix;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Column-major n × n block of random values; with small set, integers in
// -2..2 (many ties and zero pivots).
std::vector<double> RandomSquare(std::mt19937& gen, int n, bool small) {
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> a(static_cast<std::size_t>(n) * n);
  for (double& x : a) x = small ? static_cast<double>(static_cast<int>(gen() % 5) - 2) : u(gen);
  return a;
}

void SetSquare(TMatrix& m, const std::vector<double>& a, int n) {
  m.Resize(n, n);
  std::copy(a.begin(), a.end(), m.Column(1));
}

std::vector<double> Square(const TMatrix& m) {
  const int n = m.NrOfColumns();
  return {m.Column(1), m.Column(1) + static_cast<std::ptrdiff_t>(n) * n};
}

// Runs the check with the portable kernels and with the best ones.
template <class F>
void WithBothKernels(F&& check) {
  for (bool portable : {false, true}) {
    SCOPED_TRACE(portable ? "portable kernels" : "best kernels");
    matrix::UsePortableKernels(portable);
    check();
  }
  matrix::UsePortableKernels(false);
}

// ---------------------------------------------------------------------------
// Textbook references: Crout's method and the substitutions row by row,
// unblocked, as the decomposition is usually written down.

bool TextbookLU(std::vector<double>& a, int n, std::vector<int32_t>& pivots, int32_t& sign) {
  auto A = [&](int i, int j) -> double& { return a[static_cast<std::size_t>(j) * n + i]; };
  bool ok = true;
  sign = 1;
  pivots.assign(n, 0);
  std::vector<double> vv(n);
  for (int i = 0; i < n; ++i) {
    double big = 0;
    for (int j = 0; j < n; ++j) big = std::max(big, std::fabs(A(i, j)));
    if (big == 0) ok = false;
    vv[i] = big == 0 ? 0 : 1 / big;
  }
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < j; ++i) {
      double sum = A(i, j);
      for (int k = 0; k < i; ++k) sum -= A(i, k) * A(k, j);
      A(i, j) = sum;
    }
    double big = 0;
    int imax = j;
    for (int i = j; i < n; ++i) {
      double sum = A(i, j);
      for (int k = 0; k < j; ++k) sum -= A(i, k) * A(k, j);
      A(i, j) = sum;
      if (vv[i] * std::fabs(sum) >= big) {
        big = vv[i] * std::fabs(sum);
        imax = i;
      }
    }
    if (imax != j) {
      for (int k = 0; k < n; ++k) std::swap(A(imax, k), A(j, k));
      sign = -sign;
      vv[imax] = vv[j];
    }
    pivots[j] = imax;
    if (!(std::fabs(A(j, j)) >= 1e-100)) {
      ok = false;
      A(j, j) = 1e-100;
    }
    for (int i = j + 1; i < n; ++i) A(i, j) /= A(j, j);
  }
  return ok;
}

// The inverse from a textbook decomposition, one unit vector at a time.
std::vector<double> TextbookInverse(std::vector<double> a, int n) {
  std::vector<int32_t> pivots;
  int32_t sign = 1;
  TextbookLU(a, n, pivots, sign);
  auto A = [&](int i, int j) { return a[static_cast<std::size_t>(j) * n + i]; };
  std::vector<double> inverse(a.size());
  for (int c = 0; c < n; ++c) {
    std::vector<double> b(n, 0.0);
    b[c] = 1;
    int first = -1;
    for (int i = 0; i < n; ++i) {
      double sum = b[pivots[i]];
      b[pivots[i]] = b[i];
      if (first >= 0)
        for (int j = first; j < i; ++j) sum -= A(i, j) * b[j];
      else if (sum != 0)
        first = i;
      b[i] = sum;
    }
    for (int i = n - 1; i >= 0; --i) {
      double sum = b[i];
      for (int j = i + 1; j < n; ++j) sum -= A(i, j) * b[j];
      b[i] = sum / A(i, i);
    }
    std::copy(b.begin(), b.end(), inverse.begin() + static_cast<std::ptrdiff_t>(c) * n);
  }
  return inverse;
}

// ---------------------------------------------------------------------------
// Kernels

TEST(MatrixKernels, ProductEqualsThePlainLoopBitForBit) {
  std::mt19937 gen(1);
  std::uniform_real_distribution<double> u(-1, 1);
  const struct {
    int m, n, k;
  } shapes[] = {{1, 1, 1}, {8, 6, 3}, {9, 7, 5}, {17, 13, 300}, {130, 5, 9}, {3, 1600, 2}};
  WithBothKernels([&] {
    for (const auto& s : shapes) {
      for (bool transposed : {false, true}) {
        for (bool subtract : {false, true}) {
          std::vector<double> a(s.m * s.k), b(s.k * s.n), c(s.m * s.n);
          for (double& x : a) x = u(gen);
          for (double& x : b) x = u(gen);
          for (double& x : c) x = u(gen);
          // A(i, p) column-major, or stored transposed.
          const int64_t ars = transposed ? s.k : 1, acs = transposed ? 1 : s.m;
          std::vector<double> want = c;
          for (int j = 0; j < s.n; ++j)
            for (int i = 0; i < s.m; ++i)
              for (int p = 0; p < s.k; ++p) {
                const double prod = a[i * ars + p * acs] * b[j * s.k + p];
                want[j * s.m + i] = subtract ? want[j * s.m + i] - prod : want[j * s.m + i] + prod;
              }
          matrix::GemmAcc(s.m, s.n, s.k, a.data(), ars, acs, b.data(), 1, s.k, c.data(), s.m,
                          subtract);
          EXPECT_EQ(c, want) << s.m << "x" << s.n << "x" << s.k << " t=" << transposed
                             << " sub=" << subtract;
        }
      }
    }
  });
}

TEST(MatrixKernels, VectorUpdateEqualsThePlainLoop) {
  WithBothKernels([] {
    for (int n = 0; n < 20; ++n) {
      std::vector<double> x(n), y(n), want(n);
      for (int i = 0; i < n; ++i) {
        x[i] = 0.1 * i + 0.3;
        y[i] = want[i] = 1.0 / (i + 3);
        want[i] -= 0.7 * x[i];
      }
      matrix::AxpySub(n, 0.7, x.data(), y.data());
      EXPECT_EQ(y, want) << "n=" << n;
    }
  });
}

// ---------------------------------------------------------------------------
// LU decomposition

TEST(TMatrixLU, BlockedDecompositionEqualsTheTextbookOne) {
  std::mt19937 gen(2);
  WithBothKernels([&] {
    for (int n : {1, 2, 5, 47, 48, 49, 100, 131}) {
      for (bool small : {false, true}) {
        const std::vector<double> a = RandomSquare(gen, n, small);
        std::vector<double> got = a, want = a;
        std::vector<int32_t> gotPivots(n), wantPivots;
        int32_t gotSign = 0, wantSign = 0;
        const bool gotOk = matrix::CroutLU(got.data(), n, gotPivots.data(), gotSign);
        const bool wantOk = TextbookLU(want, n, wantPivots, wantSign);
        EXPECT_EQ(gotOk, wantOk) << "n=" << n << " small=" << small;
        EXPECT_EQ(gotPivots, wantPivots) << "n=" << n << " small=" << small;
        EXPECT_EQ(gotSign, wantSign) << "n=" << n << " small=" << small;
        EXPECT_EQ(got, want) << "n=" << n << " small=" << small;
      }
    }
  });
}

TEST(TMatrixLU, FactorsReproduceTheRowsOfTheMatrix) {
  std::mt19937 gen(4);
  for (int n : {1, 3, 8, 60}) {
    const std::vector<double> a = RandomSquare(gen, n, false);
    TMatrix m(nullptr), L(nullptr), U(nullptr);
    SetSquare(m, a, n);
    ASSERT_TRUE(m.LUdecomposition(&L, &U)) << "n=" << n;
    EXPECT_EQ(Square(m), a) << "the matrix itself is unchanged";
    const TRows l = Rows(L), u = Rows(U), rows = Rows(m);
    std::vector<bool> used(n, false);
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(l[i][i], 1) << "n=" << n << " i=" << i;
      for (int j = 0; j < n; ++j) {
        EXPECT_TRUE(j <= i || l[i][j] == 0) << "L upper n=" << n;
        EXPECT_TRUE(j >= i || u[i][j] == 0) << "U lower n=" << n;
      }
      // Row i of L·U is some row of A, each used once.
      std::vector<double> lu(n, 0.0);
      for (int j = 0; j < n; ++j)
        for (int k = 0; k < n; ++k) lu[j] += l[i][k] * u[k][j];
      int match = -1;
      for (int r = 0; r < n && match < 0; ++r) {
        bool same = !used[r];
        for (int j = 0; j < n && same; ++j) same = std::fabs(lu[j] - rows[r][j]) < 1e-12;
        if (same) match = r;
      }
      ASSERT_GE(match, 0) << "n=" << n << " row " << i << " of L·U";
      used[match] = true;
    }
  }
}

TEST(TMatrixLU, TiesGoToTheLastRow) {
  // Both rows weigh 1 in column 1: the second becomes the pivot.
  TMatrix m(nullptr), L(nullptr), U(nullptr);
  SetRows(m, {{1, 0.5}, {-2, 1}});
  ASSERT_TRUE(m.LUdecomposition(&L, &U));
  EXPECT_EQ(Rows(U), (TRows{{-2, 1}, {0, 1}}));
  EXPECT_EQ(Rows(L), (TRows{{1, 0}, {-0.5, 1}}));
  EXPECT_EQ(m.Determinant(), 2);

  SetRows(m, {{1, 1, 0}, {-1, 0, 1}, {1, 0, 0}});
  ASSERT_TRUE(m.LUdecomposition(&L, &U));
  EXPECT_EQ(Rows(U)[0], (std::vector<double>{1, 0, 0})) << "row 3 of three ties";
}

TEST(TMatrixLU, FailuresAndBadShapes) {
  TMatrix m(nullptr);
  TTestMatrix L(TRows{{7}}), U(TRows{{7}});
  SetRows(m, {{1, 2, 3}, {4, 5, 6}});
  EXPECT_FALSE(m.LUdecomposition(&L.m, &U.m));
  EXPECT_EQ(L.Rows(), (TRows{{7}}));
  EXPECT_EQ(U.Rows(), (TRows{{7}}));
  EXPECT_EQ(L.changes + U.changes, 0);
  SetRows(m, {{1, 2}, {3, 4}});
  EXPECT_FALSE(m.LUdecomposition(nullptr, &U.m));
  EXPECT_FALSE(m.LUdecomposition(&L.m, nullptr));
  m.Resize(0, 0);
  EXPECT_FALSE(m.LUdecomposition(&L.m, &U.m));

  const struct {
    const char* what;
    TRows rows;
    bool nanFree;
  } singular[] = {
      {"zero row", {{1, 2}, {0, 0}}, true},
      {"dependent rows", {{1, 2}, {2, 4}}, true},
      {"tiny pivot", {{1e-101}}, true},
      {"NaN", {{kNaN, 1}, {1, 1}}, false},
  };
  for (const auto& c : singular) {
    SetRows(m, c.rows);
    EXPECT_FALSE(m.LUdecomposition(&L.m, &U.m)) << c.what;
    for (const auto& row : U.Rows())
      for (double x : row) EXPECT_TRUE(!c.nanFree || !std::isnan(x)) << c.what;
    EXPECT_EQ(m.Determinant(), 0) << c.what;
  }
  SetRows(m, {{1e-99}});
  EXPECT_EQ(m.Determinant(), 1e-99) << "just above the threshold";
}

// ---------------------------------------------------------------------------
// Determinant and inverse

// The Hilbert matrix of order 5 and its exact inverse.
const TRows kHilbert5 = [] {
  TRows h(5, std::vector<double>(5));
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) h[i][j] = 1.0 / (i + j + 1);
  return h;
}();
const TRows kHilbert5Inverse{{25, -300, 1050, -1400, 630},
                             {-300, 4800, -18900, 26880, -12600},
                             {1050, -18900, 79380, -117600, 56700},
                             {-1400, 26880, -117600, 179200, -88200},
                             {630, -12600, 56700, -88200, 44100}};

TEST(TMatrixInverse, KnownDeterminants) {
  TMatrix m(nullptr);
  SetRows(m, {{0, 1}, {1, 0}});
  EXPECT_EQ(m.Determinant(), -1);
  SetRows(m, kHilbert5);
  EXPECT_NEAR(m.Determinant() / 3.749295132515087e-12, 1, 1e-9);
  // The six permutations of three rows: the sign of the permutation.
  const int perms[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  const double signs[6] = {1, -1, -1, 1, 1, -1};
  for (int p = 0; p < 6; ++p) {
    TRows rows(3, std::vector<double>(3, 0.0));
    for (int i = 0; i < 3; ++i) rows[i][perms[p][i]] = 1;
    SetRows(m, rows);
    EXPECT_EQ(m.Determinant(), signs[p]) << "permutation " << p;
  }
  SetRows(m, {{1, 2}, {3, 4}, {5, 6}});
  EXPECT_EQ(m.Determinant(), 0) << "not square";

  std::mt19937 gen(8);
  TMatrix a(nullptr), b(nullptr), ab(nullptr);
  SetSquare(a, RandomSquare(gen, 12, false), 12);
  SetSquare(b, RandomSquare(gen, 12, false), 12);
  ab.Resize(12, 12);
  ASSERT_TRUE(a.Multiply(b, ab));
  EXPECT_NEAR(ab.Determinant() / (a.Determinant() * b.Determinant()), 1, 1e-11);
}

TEST(TMatrixInverse, KnownInverses) {
  TTestMatrix t(kHilbert5);
  ASSERT_TRUE(t.m.Invert());
  EXPECT_EQ(t.changes, 1);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j)
      EXPECT_NEAR(t.m.GetVal(j + 1, i + 1) / kHilbert5Inverse[i][j], 1, 1e-9) << i << "," << j;

  const TRows identity{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  SetRows(t.m, identity);
  ASSERT_TRUE(t.m.Invert());
  EXPECT_EQ(t.Rows(), identity);

  const TRows permutation{{0, 0, 1, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}, {0, 1, 0, 0}};
  SetRows(t.m, permutation);
  ASSERT_TRUE(t.m.Invert());
  TRows transposed(4, std::vector<double>(4));
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) transposed[i][j] = permutation[j][i];
  EXPECT_EQ(t.Rows(), transposed);
}

TEST(TMatrixInverse, SingularAndBadShapesLeaveTheMatrixAlone) {
  const struct {
    const char* what;
    TRows rows;
  } cases[] = {
      {"zero row", {{1, 2, 3}, {0, 0, 0}, {4, 5, 6}}},
      {"singular", {{1, 2}, {2, 4}}},
      {"not square", {{1, 2, 3}, {4, 5, 6}}},
      {"NaN", {{1, kNaN}, {0, 1}}},
  };
  for (const auto& c : cases) {
    TTestMatrix t(c.rows);
    EXPECT_FALSE(t.m.Invert()) << c.what;
    const TRows got = t.Rows();
    for (std::size_t i = 0; i < got.size(); ++i)
      for (std::size_t j = 0; j < got[i].size(); ++j)
        EXPECT_TRUE(got[i][j] == c.rows[i][j] || std::isnan(c.rows[i][j])) << c.what;
    EXPECT_EQ(t.changes, 0) << c.what;
  }
  TMatrix empty(nullptr);
  empty.Resize(0, 0);
  EXPECT_FALSE(empty.Invert());
}

TEST(TMatrixInverse, EqualsTheTextbookSubstitutionsAndInverts) {
  std::mt19937 gen(9);
  WithBothKernels([&] {
    for (int n : {1, 7, 60}) {
      const std::vector<double> a = RandomSquare(gen, n, false);
      TMatrix m(nullptr);
      SetSquare(m, a, n);
      ASSERT_TRUE(m.Invert()) << "n=" << n;
      EXPECT_EQ(Square(m), TextbookInverse(a, n)) << "n=" << n;
      // A·A⁻¹ = I.
      TMatrix original(nullptr), product(nullptr);
      SetSquare(original, a, n);
      product.Resize(n, n);
      ASSERT_TRUE(original.Multiply(m, product));
      for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
          EXPECT_NEAR(product.GetVal(j, i), i == j ? 1.0 : 0.0, 1e-11) << "n=" << n;
    }
  });
}

// ---------------------------------------------------------------------------
// Norms and the singular value decomposition

TEST(TMatrixNorm, ElementaryNorms) {
  TMatrix m(nullptr);
  SetRows(m, {{1, -2}, {3, 4}});
  EXPECT_EQ(m.Norm(ntColwise), 6);
  EXPECT_EQ(m.Norm(ntRowwise), 7);
  EXPECT_DOUBLE_EQ(m.Norm(ntFrobenius), std::sqrt(30.0));
  SetRows(m, {{1, 2}, {3, 4}});
  EXPECT_NEAR(m.Norm(ntSpectral), 5.4649857042190426, 1e-14);
  SetRows(m, {{1e300, 1e300}, {1e300, 1e300}});
  EXPECT_DOUBLE_EQ(m.Norm(ntFrobenius), 2e300) << "no overflow of the squares";
  m.Resize(0, 4);
  for (TNormType kind : {ntColwise, ntRowwise, ntSpectral, ntFrobenius})
    EXPECT_EQ(m.Norm(kind), 0) << "kind=" << kind;
}

// Householder reflection I - 2vvᵀ/vᵀv of order n, row-major.
TRows Reflection(const std::vector<double>& v) {
  const std::size_t n = v.size();
  double vv = 0;
  for (double x : v) vv += x * x;
  TRows h(n, std::vector<double>(n));
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) h[i][j] = (i == j ? 1.0 : 0.0) - 2 * v[i] * v[j] / vv;
  return h;
}

// H1 · diag(sigma) · H2 for an m × n matrix (m >= n): its singular values
// are sigma.
TRows WithSingularValues(int m, const std::vector<double>& sigma, double scale) {
  const int n = static_cast<int>(sigma.size());
  std::vector<double> v1(m), v2(n);
  for (int i = 0; i < m; ++i) v1[i] = 1.0 + i * 0.37;
  for (int i = 0; i < n; ++i) v2[i] = 0.5 - i * 0.29;
  const TRows h1 = Reflection(v1), h2 = Reflection(v2);
  TRows a(m, std::vector<double>(n, 0.0));
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) a[i][j] += h1[i][k] * sigma[k] * h2[k][j] * scale;
  return a;
}

TEST(TMatrixNorm, SpectralNormFromKnownSingularValues) {
  const struct {
    int rows;
    std::vector<double> sigma;
    double scale;
  } cases[] = {
      {5, {7, 3, 0.5}, 1},        {4, {1, 1, 1, 1}, 1},    {6, {2, 9, 4, 0}, 1},
      {3, {0.25, 1e-8, 1e-8}, 1}, {5, {7, 3, 0.5}, 1e200},  // the rotations' √(a² + b²) would
                                                            // overflow
      {5, {7, 3, 0.5}, 1e-200},
  };
  for (const auto& c : cases) {
    TMatrix m(nullptr);
    SetRows(m, WithSingularValues(c.rows, c.sigma, c.scale));
    const double want = *std::max_element(c.sigma.begin(), c.sigma.end()) * c.scale;
    EXPECT_NEAR(m.Norm(ntSpectral) / want, 1, 1e-13) << "rows=" << c.rows << " scale=" << c.scale;
    m.Transpose();
    EXPECT_NEAR(m.Norm(ntSpectral) / want, 1, 1e-13) << "transposed rows=" << c.rows;
  }
}

TEST(TMatrixNorm, SpectralNormFailsOnNaN) {
  TMatrix m(nullptr);
  SetRows(m, {{1, kNaN}, {3, 4}});
  ExpectThrowMessage<ENUVMatrixError>([&] { m.Norm(ntSpectral); },
                                      "near singular covariance matrix");
}

TEST(SingularValueDecomposition, FactorsReproduceTheMatrix) {
  std::mt19937 gen(12);
  std::uniform_real_distribution<double> u(-1, 1);
  const struct { int m, n; } shapes[] = {{1, 1}, {7, 4}, {4, 7}, {30, 30}, {2, 1}};
  for (const auto& s : shapes) {
    std::vector<double> a(s.m * s.n);
    for (double& x : a) x = u(gen);
    std::vector<double> uu = a, only = a, w(s.n), wOnly(s.n), v(s.n * s.n);
    const int32_t before = ProcStat;
    ASSERT_TRUE(matrix::SingularValueDecomposition(uu.data(), s.m, s.n, w.data(), v.data()));
    EXPECT_EQ(ProcStat - before, 3 * s.n + std::min(s.m, s.n)) << s.m << "x" << s.n;
    ASSERT_TRUE(matrix::SingularValueDecomposition(only.data(), s.m, s.n, wOnly.data(), nullptr));
    EXPECT_EQ(w, wOnly) << "the same values without U and V, " << s.m << "x" << s.n;
    for (double x : w) EXPECT_GE(x, 0) << s.m << "x" << s.n;
    // A = U·diag(w)·Vᵀ and VᵀV = I.
    for (int i = 0; i < s.m; ++i)
      for (int j = 0; j < s.n; ++j) {
        double sum = 0;
        for (int k = 0; k < s.n; ++k) sum += uu[k * s.m + i] * w[k] * v[k * s.n + j];
        EXPECT_NEAR(sum, a[j * s.m + i], 1e-13) << s.m << "x" << s.n << " at " << i << "," << j;
      }
    for (int p = 0; p < s.n; ++p)
      for (int q = 0; q < s.n; ++q) {
        double dot = 0;
        for (int k = 0; k < s.n; ++k) dot += v[p * s.n + k] * v[q * s.n + k];
        EXPECT_NEAR(dot, p == q ? 1.0 : 0.0, 1e-13) << s.m << "x" << s.n;
      }
  }
}

TEST(SingularValueDecomposition, PowersOfTwoScaleTheValuesExactly) {
  std::mt19937 gen(13);
  const std::vector<double> a = RandomSquare(gen, 9, false);
  std::vector<double> copy = a, w(9);
  ASSERT_TRUE(matrix::SingularValueDecomposition(copy.data(), 9, 9, w.data(), nullptr));
  for (int k : {-1000, -600, -3, 5, 600, 1000}) {
    std::vector<double> scaled(a.size()), ws(9);
    for (std::size_t i = 0; i < a.size(); ++i) scaled[i] = std::ldexp(a[i], k);
    ASSERT_TRUE(matrix::SingularValueDecomposition(scaled.data(), 9, 9, ws.data(), nullptr)) << k;
    for (int i = 0; i < 9; ++i) EXPECT_EQ(ws[i], std::ldexp(w[i], k)) << "k=" << k << " i=" << i;
  }
}

TEST(SingularValueDecomposition, PythagNeitherOverflowsNorUnderflows) {
  const struct {
    double a, b, want;
  } cases[] = {
      {3, 4, 5},
      {-3, 4, 5},
      {3e200, 4e200, 5e200},
      {3e-200, -4e-200, 5e-200},
      {0, 0, 0},
      {1e308, 1e308, 1e308 * std::sqrt(2.0)},
      {5e-324, 0, 5e-324},
      {kInf, 1, kInf},
      {1, -kInf, kInf},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(matrix::Pythag(c.a, c.b), c.want) << "a=" << c.a << " b=" << c.b;
  EXPECT_TRUE(std::isnan(matrix::Pythag(kNaN, 1)));
}

}  // namespace
}  // namespace nuv
