// TKohonen beside the same training loop and the same argmin written with
// Eigen: a 20 × 20 map of 16 features trained for 50 steps (49 run) on
// 2000 patterns from the same starting weights, and ApplyIt over 10^5
// vectors on the trained, standardised map. The Eigen map holds a neuron's
// weights in one column (neurons x outer, y inner, as TKohonen scans
// them); the window reuses the distances of the scan as TKohonen does.
// Final weights and winners are checked before anything is timed.
#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "bench_common.h"
#include "nuv/Nuv_kohonen.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/platform/Random.h"

namespace {

constexpr int32_t kSize = 20, kFeatures = 16, kPatterns = 2000, kSteps = 50, kNeighbors = 3;
constexpr int32_t kQueries = 100000;
constexpr double kAlpha = 0.5;
constexpr uint32_t kSeed = 4711;

// Patterns (one per column) from four clusters, standardised as
// StandardizeData does.
const Eigen::MatrixXd& Patterns() {
  static const Eigen::MatrixXd p = [] {
    Eigen::MatrixXd m(kFeatures, kPatterns);
    std::mt19937_64 rng(17);
    std::normal_distribution<double> noise(0.0, 1.0);
    for (int32_t j = 0; j < kPatterns; ++j)
      for (int32_t i = 0; i < kFeatures; ++i) m(i, j) = 3.0 * ((j + i) % 4) + noise(rng) + i;
    return m;
  }();
  return p;
}

nuv::TKohonen& NewMap() {
  auto* k = new nuv::TKohonen(nullptr);
  nuv::TMatrix data(nullptr);
  data.Resize(kFeatures, kPatterns);
  for (int32_t j = 0; j < kPatterns; ++j)
    for (int32_t i = 0; i < kFeatures; ++i) data.SetVal(i + 1, j + 1, Patterns()(i, j));
  if (!k->SetDataMat(data)) bench::Fail("SetDataMat", "");
  k->SetSizeX(kSize);
  k->SetSizeY(kSize);
  k->SetNrOfTrnSteps(kSteps);
  k->SetInitialNeighbors(kNeighbors);
  k->SetInitialAlpha(kAlpha);
  k->StandardizeData();
  return *k;
}

nuv::TKohonen& Map() {
  static nuv::TKohonen& k = NewMap();
  return k;
}

void TrainNuv(nuv::TKohonen& k) {
  nuv::RandSeed = kSeed;
  k.Trainit();
}

// ---- the Eigen loop

struct TEigenMap {
  Eigen::MatrixXd W;           // kFeatures × neurons
  Eigen::RowVectorXd D;        // distances of the last scan
  Eigen::MatrixXd X;           // standardised patterns, one per column
  Eigen::VectorXd Mean, Sdev;  // of the raw features
  Eigen::VectorXd Z;           // a query in standardised units
};

TEigenMap& EigenMap() {
  static TEigenMap m = [] {
    TEigenMap e;
    e.Mean = Patterns().rowwise().mean();
    e.X = Patterns().colwise() - e.Mean;
    e.Sdev = (e.X.rowwise().squaredNorm() / double(kPatterns - 1)).cwiseSqrt();
    for (int32_t i = 0; i < kFeatures; ++i)
      if (e.Sdev(i) > 0) e.X.row(i) /= e.Sdev(i);
    e.W.resize(kFeatures, kSize * kSize);
    e.D.resize(kSize * kSize);
    e.Z.resize(kFeatures);
    return e;
  }();
  return m;
}

// The same draws as SetWeigtsToRandom: neuron by neuron, feature fastest.
void RandomWeights(Eigen::MatrixXd& w) {
  nuv::RandSeed = kSeed;
  for (Eigen::Index j = 0; j < w.cols(); ++j)
    for (Eigen::Index i = 0; i < w.rows(); ++i) w(i, j) = (nuv::Random() - 0.5) * 0.2;
}

void TrainEigen(TEigenMap& e) {
  RandomWeights(e.W);
  for (int32_t s = 1; s < kSteps; ++s) {
    const double f = double(kSteps - s) / kSteps;
    const int32_t r = static_cast<int32_t>(std::nearbyint(f * f * (kNeighbors - 1) + 1));
    const double a = f * f * kAlpha;
    for (int32_t p = 0; p < kPatterns; ++p) {
      const auto pattern = e.X.col(p);
      e.D.noalias() = (e.W.colwise() - pattern).colwise().squaredNorm();
      Eigen::Index k = 0;
      const double g = e.D.minCoeff(&k);
      const int32_t wx = static_cast<int32_t>(k / kSize), wy = static_cast<int32_t>(k % kSize);
      for (int32_t x = std::max(0, wx - r); x <= std::min(kSize - 1, wx + r); ++x)
        for (int32_t y = std::max(0, wy - r); y <= std::min(kSize - 1, wy + r); ++y) {
          auto cell = e.W.col(x * kSize + y);
          const double t = a / (1 + std::sqrt(e.D(x * kSize + y) - g));
          cell += (pattern - cell) * t;
        }
    }
  }
}

// The largest difference between the two maps' final weights.
double g_deviation = 0;

// ---- ApplyIt

const Eigen::MatrixXd& Queries() {
  static const Eigen::MatrixXd q = [] {
    Eigen::MatrixXd m(kFeatures, kQueries);
    std::mt19937_64 rng(5);
    std::normal_distribution<double> noise(0.0, 1.5);
    for (int32_t j = 0; j < kQueries; ++j)
      for (int32_t i = 0; i < kFeatures; ++i) m(i, j) = 3.0 * (j % 4) + noise(rng) + i;
    return m;
  }();
  return q;
}

Eigen::Index EigenWinner(TEigenMap& e, int32_t query, double& distance) {
  e.Z = (Queries().col(query) - e.Mean).cwiseQuotient(e.Sdev);
  Eigen::Index k = 0;
  distance = (e.W.colwise() - e.Z).colwise().squaredNorm().minCoeff(&k);
  return k;
}

int64_t NuvWinners(nuv::TVector& v, int64_t* winners) {
  int64_t sum = 0;
  for (int32_t j = 0; j < kQueries; ++j) {
    std::copy_n(&Queries()(0, j), kFeatures, v.Data());
    int32_t x = 0, y = 0;
    double d = 0;
    Map().ApplyIt(v, x, y, d);
    const int64_t k = int64_t{x - 1} * kSize + (y - 1);
    if (winners) winners[j] = k;
    sum += k;
  }
  return sum;
}

int64_t EigenWinners(int64_t* winners) {
  int64_t sum = 0;
  for (int32_t j = 0; j < kQueries; ++j) {
    double d = 0;
    const int64_t k = EigenWinner(EigenMap(), j, d);
    if (winners) winners[j] = k;
    sum += k;
  }
  return sum;
}

void CheckSameResults() {
  TrainNuv(Map());
  TrainEigen(EigenMap());
  double worst = 0;
  const nuv::TMat3D& w = Map().Weights();
  for (int32_t x = 0; x < kSize; ++x)
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t i = 0; i < kFeatures; ++i)
        worst = std::max(worst,
                         std::fabs(w.GetVal(x + 1, y + 1, i + 1) - EigenMap().W(i, x * kSize + y)));
  if (!(worst <= 1e-9)) bench::Fail("trained weights differ from Eigen", std::to_string(worst));
  g_deviation = worst;
  for (int32_t i = 0; i < kFeatures; ++i)
    if (std::fabs(Map().StdDevs().GetVal(i + 1) - EigenMap().Sdev(i)) > 1e-12 * EigenMap().Sdev(i))
      bench::Fail("standard deviations differ", std::to_string(i));
  std::vector<int64_t> ours(kQueries), peer(kQueries);
  nuv::TVector v(nullptr);
  v.Resize(kFeatures);
  NuvWinners(v, ours.data());
  EigenWinners(peer.data());
  const auto differ = std::mismatch(ours.begin(), ours.end(), peer.begin());
  if (differ.first != ours.end())
    bench::Fail("ApplyIt winner differs from Eigen", std::to_string(differ.first - ours.begin()));
}

void TrainItNuv(benchmark::State& state) {
  for (auto _ : state) {
    TrainNuv(Map());
    benchmark::DoNotOptimize(Map().Weights().GetVal(1, 1, 1));
  }
  bench::SetTarget(state, 1.2);
  state.counters["deviation"] = g_deviation;
}

void TrainItEigen(benchmark::State& state) {
  for (auto _ : state) {
    TrainEigen(EigenMap());
    benchmark::DoNotOptimize(EigenMap().W(0, 0));
  }
}

void ApplyItNuv(benchmark::State& state) {
  nuv::TVector v(nullptr);
  v.Resize(kFeatures);
  for (auto _ : state) benchmark::DoNotOptimize(NuvWinners(v, nullptr));
  bench::SetTarget(state, 1.2);
}

void ApplyItEigen(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EigenWinners(nullptr));
}

BENCHMARK(TrainItNuv)
    ->Name("TKohonen::Trainit 20 x 20, 16 features, 2000 patterns, 50 steps/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(TrainItEigen)
    ->Name("TKohonen::Trainit 20 x 20, 16 features, 2000 patterns, 50 steps/Eigen same loop")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ApplyItNuv)
    ->Name("TKohonen::ApplyIt 10^5 vectors, 20 x 20, 16 features/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ApplyItEigen)
    ->Name("TKohonen::ApplyIt 10^5 vectors, 20 x 20, 16 features/Eigen argmin")
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
