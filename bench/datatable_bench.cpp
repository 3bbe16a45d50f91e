// The covariance matrix of a 100,000 × 50 TDataTable (every cell a number)
// beside Eigen's idiom on the same values, built as nuv is and for this
// processor (-O3 -march=native): centre the columns, multiply the
// transpose by the centred matrix, divide by n - 1. The centred matrix is
// kept between calls, as a program computing many covariances would keep
// it. Results are checked against Eigen's before anything is timed.
#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "bench_common.h"
#include "native_peers.h"
#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_matrix.h"

namespace {

constexpr int32_t kRows = 100000, kCols = 50;
constexpr int32_t kCovariance = 1;

// Columns of different means and spreads, so that centring matters.
const Eigen::MatrixXd& Values() {
  static const Eigen::MatrixXd v = [] {
    Eigen::MatrixXd m(kRows, kCols);
    std::mt19937_64 rng(21);
    for (int32_t c = 0; c < kCols; ++c) {
      std::normal_distribution<double> d(10.0 * c - 200, 1 + c % 7);
      for (int32_t r = 0; r < kRows; ++r) m(r, c) = d(rng);
    }
    return m;
  }();
  return v;
}

nuv::TDataTable& Table() {
  static nuv::TDataTable* table = [] {
    auto* t = new nuv::TDataTable(nullptr);
    t->Resize(kCols, kRows);
    nuv::TMatrix& m = t->DataMatrix();
    for (int32_t c = 0; c < kCols; ++c) std::copy_n(&Values()(0, c), kRows, m.Column(c + 1));
    m.Changed();
    return t;
  }();
  return *table;
}

Eigen::MatrixXd EigenCovariance() {
  static Eigen::MatrixXd centred;
  centred = Values().rowwise() - Values().colwise().mean();
  return (centred.adjoint() * centred) / double(kRows - 1);
}

Eigen::MatrixXd NativeCovariance() {
  Eigen::MatrixXd cov(kCols, kCols);
  bench::native::EigenCovariance(Values().data(), kRows, kCols, cov.data());
  return cov;
}

void CheckSameResults() {
  nuv::TMatrix cov(nullptr);
  cov.Resize(kCols, kCols);
  if (!Table().CalcCovar(cov, 1, kCols, 1, kRows, kCovariance)) bench::Fail("CalcCovar failed", "");
  for (const Eigen::MatrixXd& peer : {EigenCovariance(), NativeCovariance()}) {
    double worst = 0;
    for (int32_t c = 0; c < kCols; ++c)
      for (int32_t r = 0; r < kCols; ++r)
        worst = std::max(worst, std::fabs(cov.GetVal(c + 1, r + 1) - peer(r, c)));
    if (!(worst <= 1e-11 * peer.cwiseAbs().maxCoeff()))
      bench::Fail("CalcCovar differs from Eigen", "deviation " + std::to_string(worst));
  }
}

void CovarNuv(benchmark::State& state) {
  nuv::TMatrix cov(nullptr);
  cov.Resize(kCols, kCols);
  for (auto _ : state)
    benchmark::DoNotOptimize(Table().CalcCovar(cov, 1, kCols, 1, kRows, kCovariance));
  bench::SetTarget(state, 1.5);
}

void CovarEigen(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EigenCovariance()(0, 0));
}

void CovarEigenNative(benchmark::State& state) {
  Eigen::MatrixXd cov(kCols, kCols);
  for (auto _ : state) {
    bench::native::EigenCovariance(Values().data(), kRows, kCols, cov.data());
    benchmark::DoNotOptimize(cov.data());
  }
}

BENCHMARK(CovarNuv)->Name("TDataTable::CalcCovar 100,000 x 50/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(CovarEigen)
    ->Name("TDataTable::CalcCovar 100,000 x 50/Eigen centred product")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CovarEigenNative)
    ->Name("TDataTable::CalcCovar 100,000 x 50/Eigen centred product native")
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
