// Critical values, p-values and test statistics: Dean-Dixon, Grubbs,
// Kolmogorov-Smirnov, Lilliefors, Shapiro-Wilk, the two-sample t and
// Mann-Whitney U tests, and the kernel density estimate.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "Nuv_statis_parts.h"
#include "Nuv_vector_stats.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_statis.h"
#include "nuv/Nuv_univconst.h"
#include "nuv/Nuv_vector.h"

namespace nuv {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool HasNaN(std::span<const double> Data) {
  return std::any_of(Data.begin(), Data.end(), [](double v) { return std::isnan(v); });
}

// ---------------------------------------------------------------------------
// Kolmogorov-Smirnov distribution

using TSquare = std::vector<double>;

void MatMul(const TSquare& A, const TSquare& B, TSquare& C, int m) {
  std::fill(C.begin(), C.end(), 0.0);
  for (int i = 0; i < m; ++i)
    for (int k = 0; k < m; ++k) {
      const double a = A[i * m + k];
      if (a == 0) continue;
      for (int j = 0; j < m; ++j) C[i * m + j] += a * B[k * m + j];
    }
}

// V = A^n with a decimal exponent eV kept apart, so that the entries stay
// in range: V·10^eV.
void MatPow(const TSquare& A, int m, int32_t n, TSquare& V, int& eV) {
  if (n == 1) {
    V = A;
    eV = 0;
    return;
  }
  MatPow(A, m, n / 2, V, eV);
  TSquare B(V.size());
  MatMul(V, V, B, m);
  eV *= 2;
  if (n % 2 == 0) {
    V.swap(B);
  } else {
    MatMul(A, B, V, m);
  }
  if (V[(m / 2) * m + m / 2] > 1e140) {
    for (auto& v : V) v *= 1e-140;
    eV += 140;
  }
}

// P(D_n < d) by the method of Marsaglia, Tsang and Wang (2003).
double KolmogorovCdfExact(int32_t n, double d) {
  const int k = static_cast<int>(n * d) + 1, m = 2 * k - 1;
  const double h = k - n * d;
  TSquare H(static_cast<std::size_t>(m) * m);
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < m; ++j) H[i * m + j] = i - j + 1 >= 0 ? 1 : 0;
  for (int i = 0; i < m; ++i) {
    H[i * m] -= std::pow(h, i + 1);
    H[(m - 1) * m + i] -= std::pow(h, m - i);
  }
  if (2 * h - 1 > 0) H[(m - 1) * m] += std::pow(2 * h - 1, m);
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < m; ++j)
      for (int g = 1; g <= i - j + 1; ++g) H[i * m + j] /= g;
  TSquare Q;
  int e;
  MatPow(H, m, n, Q, e);
  double s = Q[(k - 1) * m + k - 1];
  for (int32_t i = 1; i <= n; ++i) {
    s = s * i / n;
    if (s < 1e-140) {
      s *= 1e140;
      e -= 140;
    }
  }
  return s * std::pow(10.0, e);
}

// P(D+_n >= d), the one-sided statistic, by the Birnbaum-Tingey sum.
double SmirnovUpperTail(int32_t n, double d) {
  const double nd = n * d;
  long double sum = 0;
  for (int32_t j = 0; j < n && (n - j) - nd > 0; ++j) {
    const double lo = ((n - j) - nd) / n, hi = (nd + j) / n;
    sum += std::exp(LnBinomCoeff(n, j) + (n - j) * std::log(lo) + (j - 1) * std::log(hi));
  }
  return static_cast<double>(d * sum);
}

// P(D+ >= d and D- >= d) in the limit, 2·Σ_{k>=2} (-1)^k·e^(-2k²x²), with
// Stephens' finite-n correction of x = √n·d.
double KolmogorovOverlap(int32_t n, double d) {
  const double rn = std::sqrt(static_cast<double>(n));
  const double x = d * (rn + 0.12 + 0.11 / rn);
  double sum = 0, sign = 1;
  for (int k = 2; k <= 100; ++k) {
    const double term = std::exp(-2.0 * k * k * x * x);
    sum += sign * term;
    sign = -sign;
    if (term < 1e-300) break;
  }
  return 2 * sum;
}

}  // namespace

// ---------------------------------------------------------------------------
// Dean-Dixon

double DeanDixonCriticalValues(int32_t n, TSignifLevelEx Level) {
  if (n < 3 || n > 100 || Level > Dot500) return -1;
  return statis::kDeanDixon[n - 3][Level];
}

namespace statis {

namespace {

// Mean and the sample variance (1.0 for fewer than three values).
void MeanVar(std::span<const double> data, double& mean, double& variance) {
  stats::MeanVar(stats::Contiguous(data.data(), static_cast<int64_t>(data.size())), mean, variance);
}

}  // namespace

int32_t DeanDixonTest(std::span<const double> Data, int32_t Level, double& Q) {
  const auto n = static_cast<int32_t>(Data.size());
  if (n <= 2) throw ENUVStatisError("DeanDixonTest: number of data points is too low");
  if (n > 100) throw ENUVStatisError("DeanDixonTest: number of data points is too high");
  Q = 0;
  std::vector<double> x(Data.begin(), Data.end());
  SortArray(x, true);
  auto ratio = [](double num, double den) { return den == 0 ? 0.0 : num / den; };
  const double* s = x.data() - 1;  // 1-based
  double L, H;
  if (n <= 7) {
    L = ratio(s[2] - s[1], s[n] - s[1]);
    H = ratio(s[n] - s[n - 1], s[n] - s[1]);
  } else if (n <= 10) {
    L = ratio(s[2] - s[1], s[n - 1] - s[1]);
    H = ratio(s[n] - s[n - 1], s[n] - s[2]);
  } else if (n <= 13) {
    L = ratio(s[3] - s[1], s[n - 1] - s[1]);
    H = ratio(s[n] - s[n - 2], s[n] - s[2]);
  } else {
    L = ratio(s[3] - s[1], s[n - 2] - s[1]);
    H = ratio(s[n] - s[n - 2], s[n] - s[3]);
  }
  double suspect = s[1];
  Q = L;
  if (H > L) {
    suspect = s[n];
    Q = H;
  }
  if (!(Q > DeanDixonCriticalValues(n, static_cast<TSignifLevelEx>(Level)))) return 0;
  for (int32_t i = 0; i < n; ++i)
    if (Data[i] == suspect) return i + 1;
  return n;
}

int32_t GrubbsTest(std::span<const double> Data, double Alpha, double& MaxDev) {
  MaxDev = 0;
  if (!(Alpha > 0 && Alpha < 1)) throw ENUVStatisError("GrubbsTest: invalid level of significance");
  const auto n = static_cast<int32_t>(Data.size());
  if (n <= 3) throw ENUVStatisError("GrubbsTest: number of data points is too low");
  double mean, var;
  MeanVar(Data, mean, var);
  const double s = std::sqrt(var);
  if (!(s > 0)) return 0;
  int32_t pos = 0;
  for (int32_t i = 0; i < n; ++i) {
    const double dev = std::fabs(Data[i] - mean) / s;
    if (dev > MaxDev) {
      MaxDev = dev;
      pos = i + 1;
    }
  }
  return MaxDev > GrubbsCriticalValues(n, Alpha, true) ? pos : 0;
}

}  // namespace statis

double GrubbsCriticalValues(int32_t n, double Alpha, bool TwoSided) {
  if (!(Alpha > 0 && Alpha < 1) || n <= 2) return -1;
  const double nn = n;
  // The upper quantile of the small tail, without forming 1 - tail.
  const double t = -tDistriQuantile(Alpha / ((TwoSided ? 2 : 1) * nn), nn - 2);
  const double t2 = t * t;
  return (nn - 1) / std::sqrt(nn) * std::sqrt(t2 / (t2 + nn - 2));
}

// ---------------------------------------------------------------------------
// Kolmogorov-Smirnov and Lilliefors

double KolmogSmir1SampleTestStat(int32_t n, TSignifLevel Level) {
  if (n < 1 || Level > Dot01) return -1;
  if (n <= 20) return statis::kKolmogSmir[n - 1][Level];
  return statis::kKolmogSmirCoeff[Level] / std::sqrt(static_cast<double>(n));
}

double KSPValue(int32_t n, double d) {
  if (n < 1 || std::isnan(d)) return -1;
  if (d <= 0) return 1;
  if (d >= 1) return 0;
  // From d = 0.5 on, D+ >= d and D- >= d exclude each other, so the
  // two-sided tail is twice the exact one-sided one.
  if (d >= 0.5) return std::min(1.0, 2 * SmirnovUpperTail(n, d));
  // The exact method while its matrix stays small and its 1 - s keeps
  // digits; else twice the one-sided tail less the overlap of both, which
  // is small against it exactly where the exact method cannot go.
  if (n * d < 75) {
    const double p = 1 - KolmogorovCdfExact(n, d);
    if (p > 1e-5) return p;
  }
  return std::clamp(2 * SmirnovUpperTail(n, d) - KolmogorovOverlap(n, d), 0.0, 1.0);
}

double KSQuantile(int32_t n, TSignifLevel Level) {
  double d = KolmogSmir1SampleTestStat(n, Level);
  if (d < 0) return -1;
  for (int it = 0; it < 1000; ++it) {
    const double v = KSPValue(n, d) - statis::kSignifLevel[Level];
    if (std::fabs(v) <= 1e-4) break;
    d = std::min((v + 1) * d, 1.0);
  }
  return d;
}

namespace statis {

double KSNormalityStatistic(std::span<double> Data, bool IsSorted) {
  if (!IsSorted) SortArray(Data, true);
  const double n = static_cast<double>(Data.size());
  double D = 0;
  for (std::size_t i = 0; i < Data.size(); ++i) {
    const double F = nDistriIntegral(Data[i]);
    D = std::max({D, std::fabs((i + 1) / n - F), std::fabs(i / n - F)});
  }
  return D;
}

double LillieforsStatistic(std::span<double> Data, bool IsSorted) {
  double mean, var;
  MeanVar(Data, mean, var);
  const double sd = std::sqrt(var);
  if (sd > 0)
    for (auto& v : Data) v = (v - mean) / sd;
  return KSNormalityStatistic(Data, IsSorted);
}

}  // namespace statis

double LillieforsPValue(int32_t n, double D) {
  if (n <= 5 || std::isnan(D)) return -1;
  double nn = n;
  if (n > 100) {
    D *= std::pow(nn / 100, 0.49);
    nn = 100;
  }
  const double e = -7.01256 * D * D * (nn + 2.78019) + 2.99587 * D * std::sqrt(nn + 2.78019) -
                   0.122119 + 0.97498 / std::sqrt(nn) + 1.67997 / nn;
  return std::exp(std::min(e, 0.0));
}

double LillieforsQuantile(int32_t n, double Alpha) {
  if (n < 1 || !(Alpha > 0 && Alpha < 1)) return -1;
  const double x = 1 - Alpha;
  const double r =
      n * Polynomial(statis::kLillieforsP1, 6, x) + Polynomial(statis::kLillieforsP2, 6, x);
  return r > 0 ? 1 / std::sqrt(r) : -1;
}

// ---------------------------------------------------------------------------
// Shapiro-Wilk (Royston's algorithm AS R94)

namespace {

double Poly(std::initializer_list<double> c, double x) {
  double r = 0, p = 1;
  for (double v : c) {
    r += v * p;
    p *= x;
  }
  return r;
}

// Coefficients a_1..a_{n/2} of the lower half (the upper half mirrors them
// with the opposite sign).
std::vector<double> ShapiroWilkCoefficients(int32_t n) {
  const int32_t nn2 = n / 2;
  std::vector<double> a(nn2 + 1);
  if (n == 3) {
    a[1] = std::sqrt(0.5);
    return a;
  }
  const double an = n;
  std::vector<double> m(nn2 + 1);
  double summ2 = 0;
  for (int32_t i = 1; i <= nn2; ++i) {
    m[i] = nDistriQuantile((i - 0.375) / (an + 0.25));
    summ2 += m[i] * m[i];
  }
  summ2 *= 2;
  const double ssumm2 = std::sqrt(summ2), rsn = 1 / std::sqrt(an);
  const double a1 =
      Poly({0, 0.221157, -0.147981, -2.07119, 4.434685, -2.706056}, rsn) - m[1] / ssumm2;
  int32_t i1;
  double fac;
  if (n > 5) {
    i1 = 3;
    const double a2 =
        -m[2] / ssumm2 + Poly({0, 0.042981, -0.293762, -1.752461, 5.682633, -3.582633}, rsn);
    fac = std::sqrt((summ2 - 2 * m[1] * m[1] - 2 * m[2] * m[2]) / (1 - 2 * a1 * a1 - 2 * a2 * a2));
    a[2] = a2;
  } else {
    i1 = 2;
    fac = std::sqrt((summ2 - 2 * m[1] * m[1]) / (1 - 2 * a1 * a1));
  }
  a[1] = a1;
  for (int32_t i = i1; i <= nn2; ++i) a[i] = -m[i] / fac;
  return a;
}

// P(W <= w) from ln(1 - w); NaN when the arguments are out of range.
double ShapiroWilkPValue(double w1, int32_t n, int32_t n1) {
  const double an = n;
  if (n == 3) {
    const double w = 1 - w1;
    return std::max(0.0,
                    6 / std::numbers::pi * (std::asin(std::sqrt(w)) - std::asin(std::sqrt(0.75))));
  }
  double y = std::log(w1);
  const double xx = std::log(an);
  double m, s;
  if (n <= 11) {
    const double gamma = Poly({-2.273, 0.459}, an);
    if (y >= gamma) return 1e-99;
    y = -std::log(gamma - y);
    m = Poly({0.544, -0.39978, 0.025054, -6.714e-4}, an);
    s = std::exp(Poly({1.3822, -0.77857, 0.062767, -0.0020322}, an));
  } else {
    m = Poly({-1.5861, -0.31082, -0.083751, 0.0038915}, xx);
    s = std::exp(Poly({-0.4803, -0.082676, 0.0030302}, xx));
  }
  if (n1 < n) {
    // Censoring: shift and scale the normal equivalent deviate by the
    // regression of its 90, 95 and 99 % points.
    const double ld = -std::log(static_cast<double>(n - n1) / an), bf = 1 + xx * 0.8378;
    const double z90 = 1.2816, z95 = 1.6449, z99 = 2.3263;
    const double z90f = z90 + bf * std::pow(Poly({0.164, 0.533}, std::pow(0.556, xx)), ld);
    const double z95f = z95 + bf * std::pow(Poly({0.1736, 0.315}, std::pow(0.622, xx)), ld);
    const double z99f = z99 + bf * std::pow(Poly({0.256, -0.00635}, xx), ld);
    const double zfm = (z90f + z95f + z99f) / 3;
    const double zsd = (z90 * (z90f - zfm) + z95 * (z95f - zfm) + z99 * (z99f - zfm)) / 0.56268;
    m += (zfm - zsd * 1.7509) * s;
    s *= zsd;
  }
  return nDistriIntegral(-(y - m) / s);
}

bool ValidShapiroWilkSize(int32_t n, int32_t n1) {
  if (n < 3 || n > 5000 || n1 < 3 || n1 > n) return false;
  return n1 == n || (n >= 20 && n - n1 <= 0.8 * n);
}

}  // namespace

double ShapiroWilkIntegral(double w, int32_t n, int32_t k) {
  const int32_t n1 = k <= 0 ? n : k;
  if (!ValidShapiroWilkSize(n, n1)) return -1;
  if (std::isnan(w)) return w;
  if (w >= 1) return 1;
  if (w <= 0) return 0;
  return std::min(1.0, ShapiroWilkPValue(1 - w, n, n1));
}

namespace statis {

bool ShapiroWilk(std::span<const double> Data, int32_t N1, double& W, double& PValue) {
  W = 0;
  PValue = 1;
  const auto n = static_cast<int32_t>(Data.size());
  const int32_t n1 = N1 <= 0 || N1 >= n ? n : N1;
  if (!ValidShapiroWilkSize(n, n1) || HasNaN(Data)) return false;
  std::vector<double> x(Data.begin(), Data.end());
  SortArray(x, true);
  const double range = x[n1 - 1] - x[0];
  if (!(range > 0)) return false;
  const auto a = ShapiroWilkCoefficients(n);
  const int32_t nn2 = n / 2;
  // W is the squared correlation of the observed order statistics with the
  // coefficients (antisymmetric about the middle).
  auto coeff = [&](int32_t i) {  // 0-based sorted position
    if (i < nn2) return -a[i + 1];
    if (i >= n - nn2) return a[n - i];
    return 0.0;
  };
  long double sa = 0, sx = 0;
  for (int32_t i = 0; i < n1; ++i) {
    sa += coeff(i);
    sx += x[i] / range;
  }
  sa /= n1;
  sx /= n1;
  long double ssa = 0, ssx = 0, sax = 0;
  for (int32_t i = 0; i < n1; ++i) {
    const long double da = coeff(i) - sa, dx = x[i] / range - sx;
    ssa += da * da;
    ssx += dx * dx;
    sax += da * dx;
  }
  const long double r = std::sqrt(ssa * ssx);
  const double w1 = static_cast<double>((r - sax) * (r + sax) / (ssa * ssx));
  W = 1 - w1;
  PValue = w1 > 0 ? std::min(1.0, ShapiroWilkPValue(w1, n, n1)) : 1;
  return true;
}

// ---------------------------------------------------------------------------
// Two-sample tests

TTTestResult TwoSampleTTest(std::span<const double> Data1, std::span<const double> Data2,
                            int32_t Version, bool TwoSided) {
  TTTestResult r;
  const auto n1 = static_cast<int32_t>(Data1.size()), n2 = static_cast<int32_t>(Data2.size());
  if (Version == ttPaired && n1 != n2)
    throw ENUVStatisError("Perform2SampleTTest: paired samples must be of equal size");
  if (n1 < 2 || n2 < 2)
    throw ENUVStatisError("Perform2SampleTTest: number of data points is too low");
  auto meanSd = [](std::span<const double> d, double& mean, double& sd) {
    long double s = 0, s2 = 0;
    for (double v : d) s += v;
    const long double m = s / d.size();
    for (double v : d) s2 += (v - m) * (v - m);
    mean = static_cast<double>(m);
    sd = static_cast<double>(std::sqrt(s2 / (d.size() - 1)));
  };
  meanSd(Data1, r.Mean1, r.StdDev1);
  meanSd(Data2, r.Mean2, r.StdDev2);
  double diff = r.Mean1 - r.Mean2, se;
  if (Version == ttPaired) {
    std::vector<double> d(n1);
    for (int32_t i = 0; i < n1; ++i) d[i] = Data1[i] - Data2[i];
    double sd;
    meanSd(d, diff, sd);
    se = sd / std::sqrt(static_cast<double>(n1));
    r.DF = n1 - 1;
    r.NumData = n1;
  } else {
    const double v1 = r.StdDev1 * r.StdDev1 / n1, v2 = r.StdDev2 * r.StdDev2 / n2;
    r.NumData = n1 + n2;
    r.DF = n1 + n2 - 2;
    if (Version == ttHomoScedastic) {
      const double pooled =
          ((n1 - 1) * r.StdDev1 * r.StdDev1 + (n2 - 1) * r.StdDev2 * r.StdDev2) / r.DF;
      se = std::sqrt(pooled * (1.0 / n1 + 1.0 / n2));
    } else {
      se = std::sqrt(v1 + v2);
      // Welch-Satterthwaite; with both variances 0 the pooled count stays.
      if (se > 0) r.DF = (v1 + v2) * (v1 + v2) / (v1 * v1 / (n1 - 1) + v2 * v2 / (n2 - 1));
    }
  }
  if (se > 0) {
    r.t = diff / se;
    r.PValue = TwoSided ? 2 * tDistriUpperTail(std::fabs(r.t), r.DF) : tDistriUpperTail(r.t, r.DF);
  } else {
    // No scatter at all: identical means give no evidence, different ones
    // certainty.
    r.t = diff == 0 ? 0 : std::copysign(std::numeric_limits<double>::infinity(), diff);
    r.PValue = diff == 0 ? (TwoSided ? 1 : 0.5) : (TwoSided || diff > 0 ? 0 : 1);
  }
  return r;
}

double MannWhitneyUTest(std::span<const double> Data1, std::span<const double> Data2, bool TwoSided,
                        double& U) {
  U = 0;
  const auto n1 = static_cast<int32_t>(Data1.size()), n2 = static_cast<int32_t>(Data2.size());
  if (n1 < 1 || n2 < 1)
    throw ENUVStatisError("PerformMannWhitneyUTest: number of data points is too low");
  if (HasNaN(Data1) || HasNaN(Data2))
    throw ENUVStatisError("PerformMannWhitneyUTest: invalid data value");
  std::vector<std::pair<double, bool>> all;
  all.reserve(n1 + n2);
  for (double v : Data1) all.emplace_back(v, true);
  for (double v : Data2) all.emplace_back(v, false);
  std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  // Rank sum of the first sample with mid-ranks for ties, and the tie
  // correction Σ(t³ - t).
  const int64_t N = n1 + static_cast<int64_t>(n2);
  long double R1 = 0, ties = 0;
  for (int64_t i = 0; i < N;) {
    int64_t j = i;
    while (j < N && all[j].first == all[i].first) ++j;
    const long double rank = (i + 1 + j) / 2.0L, t = static_cast<long double>(j - i);
    ties += t * t * t - t;
    for (int64_t k = i; k < j; ++k)
      if (all[k].second) R1 += rank;
    i = j;
  }
  U = static_cast<double>(R1 - static_cast<long double>(n1) * (n1 + 1) / 2);
  const double mn = static_cast<double>(n1) * n2;
  double lower, upper;  // P(U <= u), P(U >= u)
  if (ties == 0 && mn <= 250000) {
    const auto u = static_cast<int32_t>(U);
    lower = UDistriIntegral(n1, n2, u);
    upper = 1 - UDistriIntegral(n1, n2, u - 1);
  } else {
    const double var = mn / 12 * ((N + 1) - static_cast<double>(ties / (N * (N - 1.0))));
    if (!(var > 0)) return 1;  // every value tied: no evidence either way
    const double sd = std::sqrt(var);
    lower = nDistriIntegral((U + 0.5 - mn / 2) / sd);
    upper = nDistriIntegral(-(U - 0.5 - mn / 2) / sd);
  }
  return TwoSided ? std::min(1.0, 2 * std::min(lower, upper)) : upper;
}

// ---------------------------------------------------------------------------
// Kernel density estimate

void ProbDensity(std::span<double> Data, std::vector<double>& Density, double RangeLow,
                 double RangeHigh, double WidthFactor, double Radius, int32_t NumSteps,
                 int32_t& IdxMin, int32_t& IdxMax,
                 const std::function<void(int32_t Count, double PercentDone)>& Feedback) {
  const auto n = static_cast<int32_t>(Data.size());
  if (n < 1 || HasNaN(Data))
    throw ENUVStatisError("EstimateProbDensity: number of data points is too low");
  NumSteps = std::clamp(NumSteps, 10, 10000);
  if (!(WidthFactor > 0)) WidthFactor = 1.0;
  SortArray(Data, true);
  const double total = static_cast<double>(n) + NumSteps;
  int32_t count = 0;
  auto report = [&] {
    ++count;
    if (Feedback) Feedback(count, count / total * 100);
  };
  // Bandwidth per point from the mean gap between its neighbours within
  // Radius, each gap counted once.
  std::vector<double> b(n);
  for (int32_t l = 0; l < n; ++l) {
    double sum = 0;
    int32_t j = 0;
    for (int32_t k = l - 1; k >= 0 && std::fabs(Data[k] - Data[l]) < Radius; --k, ++j)
      sum += Data[k + 1] - Data[k];
    for (int32_t k = l + 1; k < n && std::fabs(Data[k] - Data[l]) < Radius; ++k, ++j)
      sum += Data[k] - Data[k - 1];
    j = std::max(j, 1);
    const double w = sum > 0 ? sum / j : Radius / j;
    b[l] = w * WidthFactor > 0 ? w * WidthFactor : WidthFactor;
    report();
  }
  Density.assign(static_cast<std::size_t>(NumSteps) + 1, 0.0);
  IdxMin = IdxMax = 1;
  for (int32_t i = 0; i <= NumSteps; ++i) {
    const double x = RangeLow + (RangeHigh - RangeLow) * i / NumSteps;
    long double sum = 0;
    for (int32_t l = 0; l < n; ++l) {
      const double z = (x - Data[l]) / b[l];
      sum += std::exp(-0.5 * z * z) / b[l];
    }
    Density[i] = static_cast<double>(uc_sqrt2pitom1 * sum / n);
    if (Density[i] > Density[IdxMax - 1]) IdxMax = i + 1;
    if (Density[i] < Density[IdxMin - 1]) IdxMin = i + 1;
    report();
  }
}

}  // namespace statis

// ---------------------------------------------------------------------------
// Forms on data vectors

namespace {

std::span<const double> Elements(const TVector& v) {
  return {v.Data(), static_cast<std::size_t>(v.NrOfElem())};
}
std::span<double> Elements(TVector& v) {
  return {v.Data(), static_cast<std::size_t>(v.NrOfElem())};
}

}  // namespace

int32_t DeanDixonTest(const TVector& Data, TSignifLevelEx Level, double& Q) {
  return statis::DeanDixonTest(Elements(Data), Level, Q);
}

int32_t GrubbsTest(const TVector& Data, double Alpha, double& MaxDev) {
  return statis::GrubbsTest(Elements(Data), Alpha, MaxDev);
}

double PerformKSNormalityTest(TVector& Data, bool IsSorted) {
  if (!IsSorted) Data.SortElems(true, 1, Data.NrOfElem());
  return statis::KSNormalityStatistic(Elements(Data), true);
}

double PerformLillieforsTest(TVector& Data, bool IsSorted) {
  double mean, sd;
  Data.Standardize(mean, sd);
  return PerformKSNormalityTest(Data, IsSorted);
}

double Perform2SampleTTest(const TVector& Data1, const TVector& Data2, TtTestVersion Version,
                           bool TwoSided) {
  return statis::TwoSampleTTest(Elements(Data1), Elements(Data2), Version, TwoSided).PValue;
}

double Perform2SampleTTest(const TVector& Data1, const TVector& Data2, TtTestVersion Version,
                           bool TwoSided, double& Mean1, double& Mean2, double& StdDev1,
                           double& StdDev2, double& t, double& DF, int32_t& NumData) {
  const auto r = statis::TwoSampleTTest(Elements(Data1), Elements(Data2), Version, TwoSided);
  Mean1 = r.Mean1;
  Mean2 = r.Mean2;
  StdDev1 = r.StdDev1;
  StdDev2 = r.StdDev2;
  t = r.t;
  DF = r.DF;
  NumData = r.NumData;
  return r.PValue;
}

double PerformMannWhitneyUTest(const TVector& Data1, const TVector& Data2, bool TwoSided,
                               double& U) {
  return statis::MannWhitneyUTest(Elements(Data1), Elements(Data2), TwoSided, U);
}

bool ShapiroWilkTest(const TVector& Data, int32_t n, double& W, double& PValue) {
  return statis::ShapiroWilk(Elements(Data), n, W, PValue);
}

void EstimateProbDensity(TVector& Data, TVector& Density, double RangeLow, double RangeHigh,
                         double WidthFactor, double Radius, int32_t NumSteps, int32_t& IdxMin,
                         int32_t& IdxMax, const TProbDensityFeedback& Feedback) {
  Data.SortElems(true, 1, Data.NrOfElem());
  std::vector<double> density;
  std::function<void(int32_t, double)> report;
  if (Feedback) report = [&](int32_t count, double percent) { Feedback(nullptr, count, percent); };
  statis::ProbDensity(Elements(Data), density, RangeLow, RangeHigh, WidthFactor, Radius, NumSteps,
                      IdxMin, IdxMax, report);
  Density.Resize(static_cast<int32_t>(density.size()));
  std::copy(density.begin(), density.end(), Density.Data());
  Density.Changed();
}

}  // namespace nuv
