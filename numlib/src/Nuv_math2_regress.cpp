// Multiple linear, ridge and partial least squares regression and the
// penalised cubic spline.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Nuv_math2_parts.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_matrix.h"

namespace nuv {

namespace {

[[noreturn]] void Raise(const char* name, const char* text) {
  throw ENUVMath2Error(std::string(name) + ": " + text);
}

void CheckShape(const char* name, int32_t xRows, int32_t yRows, int32_t leastRows) {
  if (xRows != yRows) Raise(name, "dimensions do not match");
  if (xRows < leastRows) Raise(name, "not enough data points");
}

void StoreVector(const std::vector<double>& v, TVector& out) {
  out.Resize(static_cast<int32_t>(v.size()));
  std::copy(v.begin(), v.end(), out.Data());
  out.Changed();
}

// The columns of x centred (and, with scale, divided by their standard
// deviation where it is positive), column-major, with their statistics.
struct TCentred {
  std::vector<double> x, means, sds;
  int32_t rows = 0, cols = 0;
};

TCentred Centre(const TMatrix& X, bool scale) {
  TCentred c;
  c.rows = X.NrOfRows();
  c.cols = X.NrOfColumns();
  c.x = math2::ColumnBlock(X, 1, c.cols, 1, c.rows);
  c.means.assign(c.cols, 0.0);
  c.sds.assign(c.cols, 0.0);
  for (int32_t j = 0; j < c.cols; ++j) {
    double* col = c.x.data() + static_cast<std::size_t>(j) * c.rows;
    long double s = 0;
    for (int32_t i = 0; i < c.rows; ++i) s += col[i];
    const auto mean = static_cast<double>(s / c.rows);
    long double ss = 0;
    for (int32_t i = 0; i < c.rows; ++i) {
      col[i] -= mean;
      ss += static_cast<long double>(col[i]) * col[i];
    }
    c.means[j] = mean;
    c.sds[j] = c.rows > 1 ? static_cast<double>(std::sqrt(ss / (c.rows - 1))) : 0.0;
    if (scale && c.sds[j] > 0)
      for (int32_t i = 0; i < c.rows; ++i) col[i] /= c.sds[j];
  }
  return c;
}

std::vector<double> CentredResponse(const TVector& Y, double& mean) {
  std::vector<double> y(Y.Data(), Y.Data() + Y.NrOfElem());
  long double s = 0;
  for (double v : y) s += v;
  mean = static_cast<double>(s / static_cast<long double>(y.size()));
  for (double& v : y) v -= mean;
  return y;
}

// b = V·diag(σ/(σ² + λ))·Uᵀ·y of the centred design.
bool RidgeCore(const TCentred& c, const std::vector<double>& y, double lambda,
               std::vector<double>& b) {
  if (!math2::AllFinite(c.x) || !math2::AllFinite(y)) return false;
  math2::TSvd svd;
  if (!math2::ThinSvd(c.x, c.rows, c.cols, svd)) return false;
  b.assign(c.cols, 0.0);
  for (int32_t k = 0; k < svd.K; ++k) {
    const double w = svd.W[k], den = w * w + lambda;
    if (!(den > 0)) continue;
    double uy = 0;
    for (int32_t i = 0; i < c.rows; ++i)
      uy += svd.U[static_cast<std::size_t>(k) * c.rows + i] * y[i];
    const double f = w * uy / den;
    for (int32_t j = 0; j < c.cols; ++j)
      b[j] += f * svd.V[static_cast<std::size_t>(k) * c.cols + j];
  }
  return true;
}

void CheckLambda(const char* name, double lambda) {
  if (!(lambda >= 0)) Raise(name, "ridge parameter must not be negative");
}

}  // namespace

bool MultiLinReg(const TMatrix& X, const TVector& Y, bool WithIntercept, TVector& Coeffs,
                 double& FitQual) {
  const int32_t n = X.NrOfRows(), p = X.NrOfColumns(), k = p + (WithIntercept ? 1 : 0);
  CheckShape("MultiLinReg", n, Y.NrOfElem(), std::max(k, 1));
  math2::TLeastSquares lsq(k);
  std::vector<double> row(k, 1.0);
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = 0; j < p; ++j) row[j] = X.Column(j + 1)[i];
    lsq.AddRow(row.data(), Y.Data()[i]);
  }
  std::vector<double> b;
  bool singular = false;
  if (!lsq.Solve(1e-14, b, singular)) return false;
  b.resize(p + 1, 0.0);
  // Coefficient of determination about the mean of y.
  double mean = 0;
  const std::vector<double> yc = CentredResponse(Y, mean);
  long double ssRes = 0, ssTot = 0;
  for (int32_t i = 0; i < n; ++i) {
    double f = b[p];
    for (int32_t j = 0; j < p; ++j) f += b[j] * X.Column(j + 1)[i];
    ssRes += static_cast<long double>(Y.Data()[i] - f) * (Y.Data()[i] - f);
    ssTot += static_cast<long double>(yc[i]) * yc[i];
  }
  FitQual = ssTot > 0 ? static_cast<double>(1 - ssRes / ssTot) : 1.0;
  StoreVector(b, Coeffs);
  return true;
}

bool RidgeReg(const TMatrix& X, const TVector& Y, double Lambda, TVector& Coeffs) {
  CheckShape("RidgeReg", X.NrOfRows(), Y.NrOfElem(), 2);
  CheckLambda("RidgeReg", Lambda);
  const TCentred c = Centre(X, false);
  double yMean = 0;
  std::vector<double> b;
  if (!RidgeCore(c, CentredResponse(Y, yMean), Lambda, b)) return false;
  double intercept = yMean;
  for (int32_t j = 0; j < c.cols; ++j) intercept -= b[j] * c.means[j];
  b.push_back(intercept);
  StoreVector(b, Coeffs);
  return true;
}

bool RidgeRegStd(const TMatrix& X, const TVector& Y, double Lambda, TVector& Coeffs, TVector& Means,
                 TVector& StdDevs) {
  CheckShape("RidgeRegStd", X.NrOfRows(), Y.NrOfElem(), 2);
  CheckLambda("RidgeRegStd", Lambda);
  const TCentred c = Centre(X, true);
  double yMean = 0;
  std::vector<double> b;
  if (!RidgeCore(c, CentredResponse(Y, yMean), Lambda, b)) return false;
  b.push_back(yMean);
  StoreVector(b, Coeffs);
  StoreVector(c.means, Means);
  StoreVector(c.sds, StdDevs);
  return true;
}

bool SimPLS(const TMatrix& X, const TMatrix& Y, int32_t NumComps, TMatrix& Coeffs) {
  const int32_t n = X.NrOfRows(), p = X.NrOfColumns(), m = Y.NrOfColumns();
  if (Y.NrOfRows() != n || m < 1) Raise("SimPLS", "dimensions do not match");
  if (!(NumComps >= 1 && NumComps <= std::min(n - 1, p)))
    Raise("SimPLS", "number of components is out of range");
  const TCentred cx = Centre(X, false), cy = Centre(Y, false);
  if (!math2::AllFinite(cx.x) || !math2::AllFinite(cy.x)) return false;
  const auto at = [](const std::vector<double>& a, int32_t rows, int32_t i, int32_t j) {
    return a[static_cast<std::size_t>(j) * rows + i];
  };
  // S = XᵀY (p × m), column-major.
  std::vector<double> S(static_cast<std::size_t>(p) * m, 0.0);
  for (int32_t j = 0; j < m; ++j)
    for (int32_t i = 0; i < p; ++i) {
      double s = 0;
      for (int32_t r = 0; r < n; ++r) s += at(cx.x, n, r, i) * at(cy.x, n, r, j);
      S[static_cast<std::size_t>(j) * p + i] = s;
    }
  std::vector<double> R, Q, V;  // weights (p), y loadings (m), basis (p) per component
  std::vector<double> r(p), t(n), pl(p), ql(m), v(p);
  for (int32_t a = 0; a < NumComps; ++a) {
    // r = S·q with q the dominant right singular vector of S.
    math2::TSvd svd;
    if (!math2::ThinSvd(S, p, m, svd)) return false;
    for (int32_t i = 0; i < p; ++i) {
      double s = 0;
      for (int32_t j = 0; j < m; ++j) s += S[static_cast<std::size_t>(j) * p + i] * svd.V[j];
      r[i] = s;
    }
    double tt = 0;
    for (int32_t row = 0; row < n; ++row) {
      double s = 0;
      for (int32_t i = 0; i < p; ++i) s += at(cx.x, n, row, i) * r[i];
      t[row] = s;
      tt += s * s;
    }
    const double norm = std::sqrt(tt);
    if (!(norm > 0)) return false;  // no covariance left to explain
    for (double& x : t) x /= norm;
    for (double& x : r) x /= norm;
    for (int32_t i = 0; i < p; ++i) {
      double s = 0;
      for (int32_t row = 0; row < n; ++row) s += at(cx.x, n, row, i) * t[row];
      pl[i] = v[i] = s;
    }
    for (int32_t j = 0; j < m; ++j) {
      double s = 0;
      for (int32_t row = 0; row < n; ++row) s += at(cy.x, n, row, j) * t[row];
      ql[j] = s;
    }
    // v orthogonal to the earlier basis vectors (twice, for stability).
    for (int pass = 0; pass < 2; ++pass)
      for (int32_t b = 0; b < a; ++b) {
        const double* vb = V.data() + static_cast<std::size_t>(b) * p;
        double d = 0;
        for (int32_t i = 0; i < p; ++i) d += vb[i] * v[i];
        for (int32_t i = 0; i < p; ++i) v[i] -= d * vb[i];
      }
    double vv = 0;
    for (double x : v) vv += x * x;
    const double vn = std::sqrt(vv);
    if (vn > 0)
      for (double& x : v) x /= vn;
    // S loses its part along v.
    for (int32_t j = 0; j < m; ++j) {
      double* sj = S.data() + static_cast<std::size_t>(j) * p;
      double d = 0;
      for (int32_t i = 0; i < p; ++i) d += v[i] * sj[i];
      for (int32_t i = 0; i < p; ++i) sj[i] -= d * v[i];
    }
    R.insert(R.end(), r.begin(), r.end());
    Q.insert(Q.end(), ql.begin(), ql.end());
    V.insert(V.end(), v.begin(), v.end());
  }
  // B = R·Qᵀ; intercepts ȳ - x̄ᵀB.
  Coeffs.Resize(m, p + 1);
  for (int32_t j = 0; j < m; ++j) {
    double* col = Coeffs.Column(j + 1);
    double intercept = cy.means[j];
    for (int32_t i = 0; i < p; ++i) {
      double s = 0;
      for (int32_t a = 0; a < NumComps; ++a)
        s += R[static_cast<std::size_t>(a) * p + i] * Q[static_cast<std::size_t>(a) * m + j];
      col[i] = s;
      intercept -= s * cx.means[i];
    }
    col[p] = intercept;
  }
  Coeffs.Changed();
  return true;
}

void PenalizedCubicSpline(const TVector& X, const TVector& Y, double Lambda, TVector& Fitted,
                          TVector& Curv) {
  constexpr const char* kName = "PenalizedCubicSpline";
  CheckShape(kName, X.NrOfElem(), Y.NrOfElem(), 3);
  if (!(Lambda >= 0)) Raise(kName, "smoothing parameter must not be negative");
  const std::vector<double> x(X.Data(), X.Data() + X.NrOfElem());
  for (std::size_t i = 1; i < x.size(); ++i)
    if (!(x[i] > x[i - 1])) Raise(kName, "x values must be strictly ascending");
  std::vector<double> g, gamma;
  math2::ReinschSmooth(x, std::vector<double>(Y.Data(), Y.Data() + Y.NrOfElem()), Lambda, g, gamma);
  StoreVector(g, Fitted);
  StoreVector(gamma, Curv);
}

double PenalizedCubicSplineValue(const TVector& X, const TVector& Fitted, const TVector& Curv,
                                 double x) {
  const int32_t n = X.NrOfElem();
  if (Fitted.NrOfElem() != n || Curv.NrOfElem() != n || n < 2)
    Raise("PenalizedCubicSplineValue", "dimensions do not match");
  const auto vec = [](const TVector& v) {
    return std::vector<double>(v.Data(), v.Data() + v.NrOfElem());
  };
  return math2::EvalSpline(vec(X), vec(Fitted), vec(Curv), x);
}

}  // namespace nuv
