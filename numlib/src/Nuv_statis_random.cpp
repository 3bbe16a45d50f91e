#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <string>

#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_statis.h"
#include "nuv/platform/Random.h"

namespace nuv {

namespace {

// The runtime's generator stepped on a copy of its state in a register, then
// stored back: the same numbers as Random() without a call into the
// platform library, whose store and reload of RandSeed per draw would cost
// more than the rest of the sampling.
class TRuntimeDraws {
 public:
  TRuntimeDraws() : seed_(RandSeed) {}
  void Store() const { RandSeed = seed_; }
  // In [0, 1).
  double Next() {
    seed_ = NextRandSeed(seed_);
    return RandSeedToDouble(seed_);
  }

 private:
  uint32_t seed_;
};

}  // namespace

TRandGen::TRandGen(TComponent* AOwner) : TComponent(AOwner) {
  try {
    table_.assign(resolution_ + 1, 1.0);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVStatisError>(*this, "not enough memory on heap");
  }
}

void TRandGen::SetResolution(int32_t n) {
  n = std::clamp(n, kMinResolution, kMaxResolution);
  try {
    table_.assign(n + 1, 1.0);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVStatisError>(*this, "not enough memory");
  }
  resolution_ = n;
}

double TRandGen::GetProbability(int32_t i) const {
  return i >= 1 && i <= resolution_ ? table_[i - 1] : 0;
}

void TRandGen::SetProbability(int32_t i, double p) {
  if (i < 1 || i > resolution_) return;
  table_[i - 1] = p >= 0 ? std::min(p, 1.0) : 0;
  SealLastCell();
}

double TRandGen::GetLambda(int32_t i) const {
  if (i <= 0) return low_;
  if (i > resolution_) return high_;
  return low_ + (high_ - low_) * (i - 1) / resolution_;
}

int32_t TRandGen::IndexOfLambda(double x) const {
  if (x == high_) return resolution_;
  // Measured from LowBorder towards HighBorder, so that reversed borders
  // number their cells the same way; NaN fails every test.
  const double u = (x - low_) * resolution_ / (high_ - low_);
  if (!(u >= 0)) return 0;
  if (u > resolution_) return resolution_ + 1;
  // u may round up to Resolution just short of HighBorder.
  return std::min(IntNeg(u) + 1, resolution_);
}

double TRandGen::GetRandNum() {
  const double* p = table_.data();
  const double cells = resolution_;
  TRuntimeDraws draws;
  double t = 0;
  for (int32_t attempt = 0; attempt < kMaxAttempts; ++attempt) {
    // One uniform number gives both the cell and the position in it: the
    // product is exact, so the cell is uniform and the candidate keeps all
    // 32 bits of the draw.
    t = draws.Next() * cells;
    const auto k = static_cast<int32_t>(t);
    const double f = t - k;
    // Values of 1 and more always pass, as u < 1.
    if (p[k] + f * (p[k + 1] - p[k]) > draws.Next()) break;
  }
  draws.Store();
  return low_ + t * (high_ - low_) / resolution_;
}

bool TRandGen::Normalize() {
  const auto cells = table_.begin() + resolution_;
  const auto [lo, hi] = std::minmax_element(table_.begin(), cells);
  const double min = *lo, range = *hi - *lo;
  if (!(range != 0)) return false;
  for (auto it = table_.begin(); it != cells; ++it) *it = (*it - min) / range;
  SealLastCell();
  return true;
}

bool TRandGen::Standardize() {
  const auto cells = table_.begin() + resolution_;
  const double max = *std::max_element(table_.begin(), cells);
  if (max == 0) return false;
  for (auto it = table_.begin(); it != cells; ++it) *it /= max;
  SealLastCell();
  return true;
}

template <class F>
void TRandGen::FillCells(F value) {
  for (int32_t i = 1; i <= resolution_; ++i) table_[i - 1] = value(i);
  SealLastCell();
}

void TRandGen::SealLastCell() { table_[resolution_] = table_[resolution_ - 1]; }

void TRandGen::RaiseNotPositive(const char* what) const {
  RaiseComponentError<ENUVStatisError>(*this, std::string(what) + " must be positive");
}

void TRandGen::UniformDistri() {
  FillCells([](int32_t) { return 1.0; });
}

void TRandGen::NormalDistri(double Mean, double StdDev) {
  if (!std::isfinite(Mean))
    RaiseComponentError<ENUVStatisError>(*this, "NormalDistri: mean must be finite");
  if (!(StdDev > 0)) RaiseNotPositive("NormalDistri: standard deviation");
  FillCells([&](int32_t i) {
    const double z = (GetLambda(i) - Mean) / StdDev;
    return std::exp(-z * z / 2);
  });
}

void TRandGen::tDistri(double df) {
  if (!(df > 0)) RaiseNotPositive("tDistri: degrees of freedom");
  FillCells([&](int32_t i) { return tDistriDensity(GetLambda(i), df); });
}

void TRandGen::Chi2Distri(double df) {
  if (!(df > 0)) RaiseNotPositive("Chi2Distri: degrees of freedom");
  FillCells([&](int32_t i) {
    const double x = GetLambda(i);
    if (x < 0) return 0.0;
    if (x > 0 || df >= 2) return Chi2DistriDensity(x, df);
    // The pole at 0: the cell's probability over its width (none when the
    // cell reaches downwards or has no width).
    const double right = GetLambda(i + 1);
    return right > 0 ? chi2DistriIntegral(right, df) / right : 0.0;
  });
}

void TRandGen::FDistri(double df1, double df2) {
  if (!(df1 > 0 && df2 > 0)) RaiseNotPositive("FDistri: degrees of freedom");
  FillCells([&](int32_t i) {
    const double x = GetLambda(i);
    return x > 0 ? FDistriDensity(x, df1, df2) : 0.0;
  });
}

void TRandGen::WeibullDistri(double Shape, double Scale) {
  if (!(Shape > 0 && Scale > 0)) RaiseNotPositive("WeibullDistri: shape and scale");
  FillCells([&](int32_t i) { return WeibullDensity(GetLambda(i), Shape, Scale); });
}

}  // namespace nuv
