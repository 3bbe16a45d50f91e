// TMatrix beside Eigen on the same random matrices: product, inversion,
// determinant and spectral norm. Eigen is compiled as nuv is, without
// -march, so it runs on SSE2; nuv picks AVX2 at run time where the
// processor has it. The "portable" rows force nuv's SSE2 kernels for the
// comparison on equal instruction sets. Results are checked against
// Eigen's before anything is timed.
#include <Eigen/Dense>
#include <Eigen/SVD>
#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "Nuv_matrix_kernels.h"
#include "bench_common.h"
#include "nuv/Nuv_matrix.h"

namespace {

using Eigen::MatrixXd;

// Uniform in [-1, 1): square random matrices of this kind are well
// conditioned enough for inversion at every size used here.
MatrixXd RandomMatrix(int32_t n, uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(-1, 1);
  MatrixXd m(n, n);
  for (Eigen::Index i = 0; i < m.size(); ++i) m.data()[i] = u(rng);
  return m;
}

// Both store column by column, so the element order is the same.
std::unique_ptr<nuv::TMatrix> ToNuv(const MatrixXd& m) {
  auto t = std::make_unique<nuv::TMatrix>(nullptr);
  t->Resize(static_cast<int32_t>(m.cols()), static_cast<int32_t>(m.rows()));
  for (int32_t c = 0; c < m.cols(); ++c) std::copy_n(&m(0, c), m.rows(), t->Column(c + 1));
  t->Changed();
  return t;
}

double MaxAbsDiff(const nuv::TMatrix& a, const MatrixXd& b) {
  double d = 0;
  for (int32_t c = 0; c < b.cols(); ++c)
    for (int32_t r = 0; r < b.rows(); ++r)
      d = std::max(d, std::fabs(a.GetVal(c + 1, r + 1) - b(r, c)));
  return d;
}

struct TInputs {
  MatrixXd A512, B512, A300, A200;
};

const TInputs& Inputs() {
  static const TInputs in{RandomMatrix(512, 1), RandomMatrix(512, 2), RandomMatrix(300, 3),
                          RandomMatrix(200, 4)};
  return in;
}

void CheckClose(const char* what, double error, double tolerance) {
  if (!(error <= tolerance)) bench::Fail(what, "deviation " + std::to_string(error));
}

void CheckSameResults() {
  const TInputs& in = Inputs();
  auto a = ToNuv(in.A512), b = ToNuv(in.B512);
  nuv::TMatrix c(nullptr);
  c.Resize(512, 512);
  a->Multiply(*b, c);
  CheckClose("Multiply differs from Eigen", MaxAbsDiff(c, in.A512 * in.B512), 1e-11);

  auto m = ToNuv(in.A300);
  const double det = m->Determinant(), eigenDet = in.A300.determinant();
  CheckClose("Determinant differs from Eigen", std::fabs(det - eigenDet) / std::fabs(eigenDet),
             1e-9);
  if (!m->Invert()) bench::Fail("Invert failed", "300 x 300");
  CheckClose("Invert differs from Eigen", MaxAbsDiff(*m, in.A300.partialPivLu().inverse()), 1e-9);

  const double norm = ToNuv(in.A200)->Norm(nuv::ntSpectral);
  const double eigenNorm = Eigen::JacobiSVD<MatrixXd>(in.A200).singularValues()(0);
  CheckClose("spectral Norm differs from Eigen", std::fabs(norm - eigenNorm) / eigenNorm, 1e-12);
}

// Sets the kernels for one benchmark and restores the dispatched ones.
class TKernelChoice {
 public:
  explicit TKernelChoice(bool portable) { nuv::matrix::UsePortableKernels(portable); }
  ~TKernelChoice() { nuv::matrix::UsePortableKernels(false); }
};

template <bool Portable>
void MultiplyNuv(benchmark::State& state) {
  TKernelChoice kernels(Portable);
  auto a = ToNuv(Inputs().A512), b = ToNuv(Inputs().B512);
  nuv::TMatrix c(nullptr);
  c.Resize(512, 512);
  for (auto _ : state) benchmark::DoNotOptimize(a->Multiply(*b, c));
  if (!Portable) bench::SetTarget(state, 2.0);
}

void MultiplyEigen(benchmark::State& state) {
  const TInputs& in = Inputs();
  MatrixXd c(512, 512);
  for (auto _ : state) {
    c.noalias() = in.A512 * in.B512;
    benchmark::DoNotOptimize(c.data());
  }
}

// The inverse replaces the matrix, so each call starts from a copy, as
// Eigen's decomposition copies its input.
template <bool Portable>
void InvertNuv(benchmark::State& state) {
  TKernelChoice kernels(Portable);
  auto a = ToNuv(Inputs().A300);
  nuv::TMatrix m(nullptr);
  for (auto _ : state) {
    m.Clone(*a);
    benchmark::DoNotOptimize(m.Invert());
  }
  if (!Portable) bench::SetTarget(state, 2.0);
}

void InvertEigen(benchmark::State& state) {
  MatrixXd inv(300, 300);
  for (auto _ : state) {
    inv = Inputs().A300.partialPivLu().inverse();
    benchmark::DoNotOptimize(inv.data());
  }
}

template <bool Portable>
void DeterminantNuv(benchmark::State& state) {
  TKernelChoice kernels(Portable);
  auto a = ToNuv(Inputs().A300);
  for (auto _ : state) benchmark::DoNotOptimize(a->Determinant());
  if (!Portable) bench::SetTarget(state, 2.0);
}

void DeterminantEigen(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Inputs().A300.determinant());
}

void SpectralNormNuv(benchmark::State& state) {
  auto a = ToNuv(Inputs().A200);
  for (auto _ : state) benchmark::DoNotOptimize(a->Norm(nuv::ntSpectral));
  bench::SetTarget(state, 1.0);
}

void SpectralNormEigen(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(Eigen::JacobiSVD<MatrixXd>(Inputs().A200).singularValues()(0));
}

BENCHMARK(MultiplyNuv<false>)
    ->Name("TMatrix::Multiply 512 x 512/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MultiplyNuv<true>)
    ->Name("TMatrix::Multiply 512 x 512/nuv SSE2")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MultiplyEigen)
    ->Name("TMatrix::Multiply 512 x 512/Eigen product")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(InvertNuv<false>)->Name("TMatrix::Invert 300 x 300/nuv")->Unit(benchmark::kMillisecond);
BENCHMARK(InvertNuv<true>)
    ->Name("TMatrix::Invert 300 x 300/nuv SSE2")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(InvertEigen)
    ->Name("TMatrix::Invert 300 x 300/Eigen PartialPivLU")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DeterminantNuv<false>)
    ->Name("TMatrix::Determinant 300 x 300/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DeterminantNuv<true>)
    ->Name("TMatrix::Determinant 300 x 300/nuv SSE2")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DeterminantEigen)
    ->Name("TMatrix::Determinant 300 x 300/Eigen PartialPivLU")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SpectralNormNuv)
    ->Name("TMatrix::Norm(ntSpectral) 200 x 200/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SpectralNormEigen)
    ->Name("TMatrix::Norm(ntSpectral) 200 x 200/Eigen JacobiSVD")
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
