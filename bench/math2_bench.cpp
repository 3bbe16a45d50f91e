// Nuv_math2 beside its peers on the same data: CalcEigVec beside Eigen's
// SelfAdjointEigenSolver, PseudoInverse beside GSL's Golub–Reinsch
// decomposition, and AgglomClustering and kMeansClustering, whose peers
// (scipy's linkage and kmeans2) are timed on the same data by
// math2_scipy_bench.py. Results are checked against the peers' before
// anything is timed.
#include <gsl/gsl_linalg.h>

#include <Eigen/Eigenvalues>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_matrix.h"

namespace {

// splitmix64, as math2_scipy_bench.py computes it: uniform in [0, 1).
class TUniform {
 public:
  explicit TUniform(uint64_t seed) : state_(seed) {}
  double operator()() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1p-53;
  }

 private:
  uint64_t state_;
};

// Objects in rows: value (r, c) is the (r·cols + c)-th draw.
std::unique_ptr<nuv::TMatrix> Uniform(int32_t rows, int32_t cols, uint64_t seed) {
  TUniform u(seed);
  std::vector<double> v(static_cast<std::size_t>(rows) * cols);
  for (double& x : v) x = u();
  auto m = std::make_unique<nuv::TMatrix>(nullptr);
  m->Resize(cols, rows);
  for (int32_t r = 0; r < rows; ++r)
    for (int32_t c = 0; c < cols; ++c)
      m->Column(c + 1)[r] = v[static_cast<std::size_t>(r) * cols + c];
  return m;
}

// (B + Bᵀ)/2 of B = 2U - 1 uniform in [-1, 1).
std::unique_ptr<nuv::TMatrix> Symmetric(int32_t n, uint64_t seed) {
  auto b = Uniform(n, n, seed);
  auto a = std::make_unique<nuv::TMatrix>(nullptr);
  a->Resize(n, n);
  for (int32_t i = 1; i <= n; ++i)
    for (int32_t j = 1; j <= n; ++j) a->SetVal(j, i, b->GetVal(j, i) + b->GetVal(i, j) - 1);
  return a;
}

Eigen::MatrixXd ToEigen(const nuv::TMatrix& m) {
  Eigen::MatrixXd e(m.NrOfRows(), m.NrOfColumns());
  for (int32_t c = 0; c < m.NrOfColumns(); ++c)
    std::copy_n(m.Column(c + 1), m.NrOfRows(), &e(0, c));
  return e;
}

// 10^5 objects of 16 variables around 20 centres; object i belongs to
// centre i mod 20, so the first 20 objects seed one cluster each.
std::unique_ptr<nuv::TMatrix> Blobs() {
  constexpr int32_t n = 100000, d = 16, k = 20;
  TUniform u(7);
  std::vector<double> centres(k * d);
  for (double& c : centres) c = 10 * u();
  auto m = std::make_unique<nuv::TMatrix>(nullptr);
  m->Resize(d, n);
  for (int32_t r = 0; r < n; ++r)
    for (int32_t c = 0; c < d; ++c) m->Column(c + 1)[r] = centres[(r % k) * d + c] + u() - 0.5;
  return m;
}

struct TInputs {
  std::unique_ptr<nuv::TMatrix> S50 = Symmetric(50, 1), S200 = Symmetric(200, 2),
                                S500 = Symmetric(500, 3), P = Uniform(600, 300, 4),
                                Objects = Uniform(2000, 8, 5), Blobs = ::Blobs();
};

const TInputs& Inputs() {
  static const TInputs in;
  return in;
}

void CheckEigen(const nuv::TMatrix& s) {
  nuv::TMatrix a(nullptr);
  a.Clone(s);
  if (!nuv::CalcEigVec(a)) bench::Fail("CalcEigVec failed", std::to_string(s.NrOfRows()));
  std::vector<double> ours;
  for (int32_t i = 1; i <= nuv::GetEigenSize(); ++i) ours.push_back(nuv::GetEigenResult(i, 0));
  std::sort(ours.begin(), ours.end());
  const Eigen::VectorXd peer =
      Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd>(ToEigen(s), Eigen::EigenvaluesOnly)
          .eigenvalues();
  double dev = 0;
  for (std::size_t i = 0; i < ours.size(); ++i) dev = std::max(dev, std::fabs(ours[i] - peer(i)));
  if (!(dev < 1e-10)) bench::Fail("CalcEigVec differs from Eigen", std::to_string(dev));
}

// PInv·A = I for the full-rank 600 × 300 matrix.
void CheckPseudoInverse() {
  const nuv::TMatrix& a = *Inputs().P;
  nuv::TMatrix p(nullptr);
  if (!nuv::PseudoInverse(a, p, 0)) bench::Fail("PseudoInverse failed", "600 x 300");
  const Eigen::MatrixXd pa = ToEigen(p) * ToEigen(a);
  const double dev = (pa - Eigen::MatrixXd::Identity(300, 300)).cwiseAbs().maxCoeff();
  if (!(dev < 1e-10)) bench::Fail("PseudoInverse is no inverse", std::to_string(dev));
}

void CheckSameResults() {
  CheckEigen(*Inputs().S50);
  CheckEigen(*Inputs().S200);
  CheckPseudoInverse();
}

template <int N>
const nuv::TMatrix& SymmetricOf() {
  return N == 50 ? *Inputs().S50 : N == 200 ? *Inputs().S200 : *Inputs().S500;
}

template <int N>
void EigenNuv(benchmark::State& state) {
  const nuv::TMatrix& s = SymmetricOf<N>();
  nuv::TMatrix a(nullptr);
  const int32_t before = nuv::ProcStat;
  int64_t runs = 0;
  for (auto _ : state) {
    a.Clone(s);
    benchmark::DoNotOptimize(nuv::CalcEigVec(a));
    ++runs;
  }
  state.counters["sweeps"] =
      static_cast<double>(nuv::ProcStat - before) / std::max<int64_t>(runs, 1);
  bench::SetTarget(state, N == 50 ? 5.0 : N == 200 ? 6.0 : 8.0);
}

template <int N>
void EigenPeer(benchmark::State& state) {
  const Eigen::MatrixXd s = ToEigen(SymmetricOf<N>());
  for (auto _ : state) {
    Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> es(s);
    benchmark::DoNotOptimize(es.eigenvectors().data());
  }
}

void PseudoInverseNuv(benchmark::State& state) {
  nuv::TMatrix p(nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(nuv::PseudoInverse(*Inputs().P, p, 0));
  bench::SetTarget(state, 1.0);
}

void PseudoInverseGsl(benchmark::State& state) {
  const nuv::TMatrix& a = *Inputs().P;
  gsl_matrix* src = gsl_matrix_alloc(600, 300);
  for (int32_t r = 0; r < 600; ++r)
    for (int32_t c = 0; c < 300; ++c) gsl_matrix_set(src, r, c, a.GetVal(c + 1, r + 1));
  gsl_matrix* u = gsl_matrix_alloc(600, 300);
  gsl_matrix* v = gsl_matrix_alloc(300, 300);
  gsl_vector* s = gsl_vector_alloc(300);
  gsl_vector* work = gsl_vector_alloc(300);
  for (auto _ : state) {
    gsl_matrix_memcpy(u, src);
    benchmark::DoNotOptimize(gsl_linalg_SV_decomp(u, v, s, work));
  }
  gsl_vector_free(work);
  gsl_vector_free(s);
  gsl_matrix_free(v);
  gsl_matrix_free(u);
  gsl_matrix_free(src);
}

void AgglomNuv(benchmark::State& state) {
  nuv::TMatrix data(nullptr);
  data.Clone(*Inputs().Objects);
  nuv::TIntMatrix result(nullptr);
  nuv::TVector dist(nullptr), x(nullptr);
  for (auto _ : state)
    benchmark::DoNotOptimize(nuv::AgglomClustering(nullptr, data, nuv::dmEuclid, nuv::cmUpgma, 0,
                                                   result, dist, x, {}, {}));
  bench::SetTarget(state, 2.0);
}

void KMeansNuv(benchmark::State& state) {
  nuv::TMatrix centres(nullptr);
  nuv::TIntVector ids(nullptr);
  const int32_t before = nuv::ProcStat;
  int64_t runs = 0;
  for (auto _ : state) {
    nuv::kMeansClustering(*Inputs().Blobs, 0, 0, 20, centres, ids);
    ++runs;
  }
  state.counters["iterations"] =
      static_cast<double>(nuv::ProcStat - before) / std::max<int64_t>(runs, 1);
  bench::SetTarget(state, 0.5);
}

BENCHMARK(EigenNuv<50>)->Name("CalcEigVec 50 x 50/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(EigenPeer<50>)
    ->Name("CalcEigVec 50 x 50/Eigen SelfAdjointEigenSolver")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(EigenNuv<200>)->Name("CalcEigVec 200 x 200/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(EigenPeer<200>)
    ->Name("CalcEigVec 200 x 200/Eigen SelfAdjointEigenSolver")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(EigenNuv<500>)->Name("CalcEigVec 500 x 500/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(EigenPeer<500>)
    ->Name("CalcEigVec 500 x 500/Eigen SelfAdjointEigenSolver")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PseudoInverseNuv)->Name("PseudoInverse 600 x 300/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(PseudoInverseGsl)
    ->Name("PseudoInverse 600 x 300/GSL gsl_linalg_SV_decomp")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(AgglomNuv)->Name("AgglomClustering 2000 x 8, UPGMA/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(KMeansNuv)->Name("kMeansClustering 10^5 x 16, k = 20/nuv")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
