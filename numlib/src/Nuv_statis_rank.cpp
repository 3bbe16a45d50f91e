// Rank statistics: the Mann-Whitney U distribution, the Wilcoxon
// signed-rank distribution and its critical values.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Nuv_statis_parts.h"
#include "nuv/Nuv_statis.h"

namespace nuv {

namespace {

constexpr int64_t kMaxExactU = 250000;

void CheckUSizes(int32_t Size1, int32_t Size2, const char* Func) {
  if (Size1 < 1 || Size2 < 1)
    throw ENUVStatisError(std::string(Func) + ": sample sizes must be positive");
  if (static_cast<int64_t>(Size1) * Size2 > std::numeric_limits<int32_t>::max())
    throw ENUVStatisError(std::string(Func) + ": sample sizes too large");
}

// P(U = u) for u = 0 .. ⌊m·n/2⌋ (the lower half; the distribution is
// symmetric), from the Gaussian binomial [m+n, m]_q built factor by factor
// and scaled to probabilities as it grows.
std::vector<double> ULowerHalf(int32_t m, int32_t n) {
  if (m > n) std::swap(m, n);
  const int64_t half = static_cast<int64_t>(m) * n / 2;
  std::vector<double> c(static_cast<std::size_t>(half) + 1, 0.0);
  c[0] = 1;
  for (int32_t i = 1; i <= m; ++i) {
    const int64_t k = n + i;
    for (int64_t t = half; t >= k; --t) c[t] -= c[t - k];
    for (int64_t t = i; t <= half; ++t) c[t] += c[t - i];
    const double scale = static_cast<double>(i) / k;
    for (auto& v : c) v *= scale;
  }
  return c;
}

// P(U <= u) by the normal approximation with continuity correction.
double UNormalIntegral(int32_t m, int32_t n, double u) {
  const double mn = static_cast<double>(m) * n;
  const double sd = std::sqrt(mn * (static_cast<double>(m) + n + 1) / 12);
  return nDistriIntegral((u + 0.5 - mn / 2) / sd);
}

}  // namespace

double UDistriDensity(int32_t Size1, int32_t Size2, int32_t U) {
  CheckUSizes(Size1, Size2, "UDistriDensity");
  const int64_t mn = static_cast<int64_t>(Size1) * Size2;
  if (U < 0 || U > mn) return 0;
  if (mn > kMaxExactU)
    return UNormalIntegral(Size1, Size2, U) - UNormalIntegral(Size1, Size2, U - 1.0);
  const int64_t u = std::min<int64_t>(U, mn - U);
  return ULowerHalf(Size1, Size2)[u];
}

double UDistriIntegral(int32_t Size1, int32_t Size2, int32_t U) {
  CheckUSizes(Size1, Size2, "UDistriIntegral");
  const int64_t mn = static_cast<int64_t>(Size1) * Size2;
  if (U < 0) return 0;
  if (U >= mn) return 1;
  if (mn > kMaxExactU) return UNormalIntegral(Size1, Size2, U);
  const auto c = ULowerHalf(Size1, Size2);
  // P(U <= u) = 1 - P(U <= mn - u - 1) above the centre.
  const bool upper = 2 * static_cast<int64_t>(U) > mn;
  const int64_t last = upper ? mn - U - 1 : U;
  long double sum = 0;
  for (int64_t t = 0; t <= last; ++t) sum += c[t];
  return upper ? static_cast<double>(1 - sum) : static_cast<double>(sum);
}

int32_t UDistriQuantile(int32_t Size1, int32_t Size2, double p) {
  CheckUSizes(Size1, Size2, "UDistriQuantile");
  statis::CheckProbability(p, "UDistriQuantile");
  const int64_t mn = static_cast<int64_t>(Size1) * Size2;
  // A relative slack keeps p = P(U <= u) itself from being missed by rounding.
  const double target = p * (1 - 1e-12);
  if (mn > kMaxExactU) {
    int64_t lo = -1, hi = mn;  // P(U <= lo) < target <= P(U <= hi)
    while (hi - lo > 1) {
      const int64_t mid = (lo + hi) / 2;
      (UNormalIntegral(Size1, Size2, static_cast<double>(mid)) >= target ? hi : lo) = mid;
    }
    return static_cast<int32_t>(hi);
  }
  const auto c = ULowerHalf(Size1, Size2);
  const int64_t half = static_cast<int64_t>(c.size()) - 1;
  std::vector<long double> cum(c.size());
  long double sum = 0;
  for (int64_t t = 0; t <= half; ++t) cum[t] = sum += c[t];
  auto integral = [&](int64_t u) -> long double {
    if (u < 0) return 0;
    if (u >= mn) return 1;
    return 2 * u > mn ? 1 - cum[mn - u - 1] : cum[u];
  };
  int64_t lo = -1, hi = mn;
  while (hi - lo > 1) {
    const int64_t mid = (lo + hi) / 2;
    (integral(mid) >= target ? hi : lo) = mid;
  }
  return static_cast<int32_t>(hi);
}

namespace statis {

std::vector<double> SignedRankDistribution(int32_t n) {
  const int32_t top = n * (n + 1) / 2;
  std::vector<double> c(static_cast<std::size_t>(top) + 1, 0.0);
  c[0] = 1;
  // Each rank is in the positive sum or not, with probability 1/2 each.
  for (int32_t k = 1; k <= n; ++k) {
    const int32_t reach = k * (k + 1) / 2;
    for (int32_t t = reach; t >= 0; --t) c[t] = 0.5 * (c[t] + (t >= k ? c[t - k] : 0));
  }
  return c;
}

}  // namespace statis

int64_t WilcoxonSRQuantile(int32_t n, double Alpha, bool TwoSided) {
  if (!(n >= 8 && n <= 1000000 && Alpha >= 0.000499999 && Alpha <= 0.20000001)) return -1;
  const double level = TwoSided ? Alpha : 2 * Alpha;  // as a two-sided level
  if (n <= 100) {
    for (int i = 0; i < 5; ++i)
      if (std::fabs(level - statis::kWilcoxonLevels[i]) <= 1e-9 * statis::kWilcoxonLevels[i])
        return statis::kWilcoxonT[n - 8][i];
    const auto c = statis::SignedRankDistribution(n);
    long double cum = 0;
    int64_t T = -1;
    for (std::size_t t = 0; t < c.size(); ++t) {
      cum += c[t];
      if (cum > level / 2 * (1 + 1e-12)) break;
      T = static_cast<int64_t>(t);
    }
    return T;
  }
  const double nn = n;
  const double z = nDistriQuantile(level / 2);
  const double T = nn * (nn + 1) / 4 + z * std::sqrt(nn * (nn + 1) * (2 * nn + 1) / 24);
  return std::max<int64_t>(Round(T), -1);
}

}  // namespace nuv
