// TMatrix beside Eigen and OpenBLAS on the same random matrices: product,
// inversion, determinant and spectral norm. Eigen runs twice: compiled as
// nuv is, without -march, so on SSE2 (nuv picks its kernels at run time),
// and built for this processor (-O3 -march=native, the "native" rows).
// OpenBLAS, with its LAPACK, runs on one thread, as nuv does. The "SSE2"
// rows force nuv's SSE2 kernels for the comparison on equal instruction
// sets. Results are checked against Eigen's before anything is timed.
#include <Eigen/Dense>
#include <Eigen/SVD>
#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

extern "C" {
// OpenBLAS's own interface and the Fortran LAPACK routines it contains.
void openblas_set_num_threads(int threads);
void dgemm_(const char* transa, const char* transb, const int* m, const int* n, const int* k,
            const double* alpha, const double* a, const int* lda, const double* b, const int* ldb,
            const double* beta, double* c, const int* ldc);
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgetri_(const int* n, double* a, const int* lda, const int* ipiv, double* work,
             const int* lwork, int* info);
void dgesdd_(const char* jobz, const int* m, const int* n, double* a, const int* lda, double* s,
             double* u, const int* ldu, double* vt, const int* ldvt, double* work, const int* lwork,
             int* iwork, int* info);
}

#include "Nuv_matrix_kernels.h"
#include "bench_common.h"
#include "native_peers.h"
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

// ---------------------------------------------------------------------------
// OpenBLAS: each call works on a copy of its input where LAPACK overwrites
// it, as nuv's and Eigen's calls do.

namespace blas {

int Int(Eigen::Index n) { return static_cast<int>(n); }

void Multiply(const MatrixXd& a, const MatrixXd& b, MatrixXd& c) {
  const int n = Int(a.rows());
  const double one = 1, zero = 0;
  dgemm_("N", "N", &n, &n, &n, &one, a.data(), &n, b.data(), &n, &zero, c.data(), &n);
}

// LU with partial pivoting of lu (replaced); the sign of the row
// permutation is returned, 0 when the matrix is singular.
int Factor(MatrixXd& lu, std::vector<int>& pivots) {
  const int n = Int(lu.rows());
  pivots.resize(static_cast<std::size_t>(n));
  int info = 0;
  dgetrf_(&n, &n, lu.data(), &n, pivots.data(), &info);
  if (info != 0) return 0;
  int sign = 1;
  for (int i = 0; i < n; ++i)
    if (pivots[i] != i + 1) sign = -sign;
  return sign;
}

double Determinant(const MatrixXd& a) {
  static std::vector<int> pivots;
  MatrixXd lu = a;
  double det = Factor(lu, pivots);
  for (Eigen::Index i = 0; i < lu.rows(); ++i) det *= lu(i, i);
  return det;
}

bool Invert(const MatrixXd& a, MatrixXd& inverse) {
  static std::vector<int> pivots;
  static std::vector<double> work;
  inverse = a;
  if (Factor(inverse, pivots) == 0) return false;
  const int n = Int(a.rows());
  int info = 0, lwork = -1;
  double best = 0;
  dgetri_(&n, inverse.data(), &n, pivots.data(), &best, &lwork, &info);
  work.resize(static_cast<std::size_t>(best));
  lwork = static_cast<int>(work.size());
  dgetri_(&n, inverse.data(), &n, pivots.data(), work.data(), &lwork, &info);
  return info == 0;
}

// The largest singular value by the divide-and-conquer driver, values only.
double SpectralNorm(const MatrixXd& a) {
  static std::vector<double> work, values;
  static std::vector<int> iwork;
  MatrixXd copy = a;
  const int n = Int(a.rows());
  values.resize(static_cast<std::size_t>(n));
  iwork.resize(static_cast<std::size_t>(8 * n));
  int info = 0, lwork = -1, one = 1;
  double best = 0;
  dgesdd_("N", &n, &n, copy.data(), &n, values.data(), nullptr, &one, nullptr, &one, &best, &lwork,
          iwork.data(), &info);
  work.resize(static_cast<std::size_t>(best));
  lwork = static_cast<int>(work.size());
  dgesdd_("N", &n, &n, copy.data(), &n, values.data(), nullptr, &one, nullptr, &one, work.data(),
          &lwork, iwork.data(), &info);
  return info == 0 ? values[0] : NAN;
}

}  // namespace blas

namespace native {

int Int(const MatrixXd& m) { return static_cast<int>(m.rows()); }

MatrixXd Product(const MatrixXd& a, const MatrixXd& b) {
  MatrixXd c(a.rows(), b.cols());
  bench::native::EigenMultiply(a.data(), b.data(), c.data(), Int(a));
  return c;
}

MatrixXd Inverse(const MatrixXd& a) {
  MatrixXd inv(a.rows(), a.cols());
  bench::native::EigenInverse(a.data(), inv.data(), Int(a));
  return inv;
}

}  // namespace native

// ---------------------------------------------------------------------------
// Every peer against nuv, before anything is timed.

void CheckClose(const std::string& what, double error, double tolerance) {
  if (!(error <= tolerance)) bench::Fail(what, "deviation " + std::to_string(error));
}

double Relative(double ours, double peer) { return std::fabs(ours - peer) / std::fabs(peer); }

void CheckSameResults() {
  openblas_set_num_threads(1);
  const TInputs& in = Inputs();
  auto a = ToNuv(in.A512), b = ToNuv(in.B512);
  nuv::TMatrix c(nullptr);
  c.Resize(512, 512);
  a->Multiply(*b, c);
  MatrixXd blasProduct(512, 512);
  blas::Multiply(in.A512, in.B512, blasProduct);
  CheckClose("Multiply differs from Eigen", MaxAbsDiff(c, in.A512 * in.B512), 1e-11);
  CheckClose("Multiply differs from native Eigen", MaxAbsDiff(c, native::Product(in.A512, in.B512)),
             1e-11);
  CheckClose("Multiply differs from OpenBLAS", MaxAbsDiff(c, blasProduct), 1e-11);

  auto m = ToNuv(in.A300);
  const double det = m->Determinant();
  const int n300 = native::Int(in.A300);
  CheckClose("Determinant differs from Eigen", Relative(det, in.A300.determinant()), 1e-9);
  CheckClose("Determinant differs from native Eigen",
             Relative(det, bench::native::EigenDeterminant(in.A300.data(), n300)), 1e-9);
  CheckClose("Determinant differs from OpenBLAS", Relative(det, blas::Determinant(in.A300)), 1e-9);
  if (!m->Invert()) bench::Fail("Invert failed", "300 x 300");
  MatrixXd blasInverse;
  if (!blas::Invert(in.A300, blasInverse)) bench::Fail("OpenBLAS dgetri failed", "300 x 300");
  CheckClose("Invert differs from Eigen", MaxAbsDiff(*m, in.A300.partialPivLu().inverse()), 1e-9);
  CheckClose("Invert differs from native Eigen", MaxAbsDiff(*m, native::Inverse(in.A300)), 1e-9);
  CheckClose("Invert differs from OpenBLAS", MaxAbsDiff(*m, blasInverse), 1e-9);

  const double norm = ToNuv(in.A200)->Norm(nuv::ntSpectral);
  const double eigenNorm = Eigen::JacobiSVD<MatrixXd>(in.A200).singularValues()(0);
  CheckClose("spectral Norm differs from Eigen", Relative(norm, eigenNorm), 1e-12);
  CheckClose("spectral Norm differs from native Eigen",
             Relative(norm, bench::native::EigenSpectralNorm(in.A200.data(), native::Int(in.A200))),
             1e-12);
  CheckClose("spectral Norm differs from OpenBLAS", Relative(norm, blas::SpectralNorm(in.A200)),
             1e-12);
}

// ---------------------------------------------------------------------------
// Timed calls. Textbook operation counts: 2n³ for the product, 2n³/3 for
// the LU decomposition, 2n³ for the inversion (decomposition and the
// triangular solves), 8n³/3 for the bidiagonal reduction that singular
// values need.

constexpr double kMultiplyFlops = 2.0 * 512 * 512 * 512;
constexpr double kInvertFlops = 2.0 * 300 * 300 * 300;
constexpr double kDeterminantFlops = kInvertFlops / 3;
constexpr double kSpectralFlops = 8.0 * 200 * 200 * 200 / 3;

constexpr const char* kOpenBLASMultiply = "OpenBLAS dgemm";
constexpr const char* kOpenBLASInvert = "OpenBLAS dgetrf+dgetri";
constexpr const char* kOpenBLASDeterminant = "OpenBLAS dgetrf";
constexpr const char* kNativeEigenProduct = "Eigen product native";

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
  bench::SetFlops(state, kMultiplyFlops);
  if (Portable) return;
  bench::SetTarget(state, 2.0);
  bench::SetTarget(state, 1.0, kNativeEigenProduct);
  bench::SetTarget(state, 1.5, kOpenBLASMultiply);
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
  bench::SetFlops(state, kInvertFlops);
  if (Portable) return;
  bench::SetTarget(state, 2.0);
  bench::SetTarget(state, 1.5, kOpenBLASInvert);
}

template <bool Portable>
void DeterminantNuv(benchmark::State& state) {
  TKernelChoice kernels(Portable);
  auto a = ToNuv(Inputs().A300);
  for (auto _ : state) benchmark::DoNotOptimize(a->Determinant());
  bench::SetFlops(state, kDeterminantFlops);
  if (Portable) return;
  bench::SetTarget(state, 2.0);
  bench::SetTarget(state, 1.5, kOpenBLASDeterminant);
}

void SpectralNormNuv(benchmark::State& state) {
  auto a = ToNuv(Inputs().A200);
  for (auto _ : state) benchmark::DoNotOptimize(a->Norm(nuv::ntSpectral));
  bench::SetFlops(state, kSpectralFlops);
  bench::SetTarget(state, 1.0);
}

// A peer's call, timed with the operation count of its case.
template <typename F>
void PeerRun(benchmark::State& state, double flops, F call) {
  for (auto _ : state) call();
  bench::SetFlops(state, flops);
}

// Case by case: nuv, nuv on SSE2, then the peers.
void RegisterAll() {
  const TInputs& in = Inputs();
  static MatrixXd product(512, 512), inverse(300, 300);
  auto add = [](const std::string& name, double flops, auto call) {
    benchmark::RegisterBenchmark(name.c_str(), PeerRun<decltype(call)>, flops, call)
        ->Unit(benchmark::kMillisecond);
  };
  auto ours = [](const std::string& name, void (*run)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name.c_str(), run)->Unit(benchmark::kMillisecond);
  };
  const std::string mul = "TMatrix::Multiply 512 x 512/";
  ours(mul + "nuv", MultiplyNuv<false>);
  ours(mul + "nuv SSE2", MultiplyNuv<true>);
  add(mul + "Eigen product", kMultiplyFlops, [&in] {
    product.noalias() = in.A512 * in.B512;
    benchmark::DoNotOptimize(product.data());
  });
  add(mul + kNativeEigenProduct, kMultiplyFlops, [&in] {
    bench::native::EigenMultiply(in.A512.data(), in.B512.data(), product.data(), 512);
    benchmark::DoNotOptimize(product.data());
  });
  add(mul + kOpenBLASMultiply, kMultiplyFlops, [&in] {
    blas::Multiply(in.A512, in.B512, product);
    benchmark::DoNotOptimize(product.data());
  });
  const std::string inv = "TMatrix::Invert 300 x 300/";
  ours(inv + "nuv", InvertNuv<false>);
  ours(inv + "nuv SSE2", InvertNuv<true>);
  add(inv + "Eigen PartialPivLU", kInvertFlops, [&in] {
    inverse = in.A300.partialPivLu().inverse();
    benchmark::DoNotOptimize(inverse.data());
  });
  add(inv + "Eigen PartialPivLU native", kInvertFlops, [&in] {
    bench::native::EigenInverse(in.A300.data(), inverse.data(), 300);
    benchmark::DoNotOptimize(inverse.data());
  });
  add(inv + kOpenBLASInvert, kInvertFlops,
      [&in] { benchmark::DoNotOptimize(blas::Invert(in.A300, inverse)); });
  const std::string det = "TMatrix::Determinant 300 x 300/";
  ours(det + "nuv", DeterminantNuv<false>);
  ours(det + "nuv SSE2", DeterminantNuv<true>);
  add(det + "Eigen PartialPivLU", kDeterminantFlops,
      [&in] { benchmark::DoNotOptimize(in.A300.determinant()); });
  add(det + "Eigen PartialPivLU native", kDeterminantFlops,
      [&in] { benchmark::DoNotOptimize(bench::native::EigenDeterminant(in.A300.data(), 300)); });
  add(det + kOpenBLASDeterminant, kDeterminantFlops,
      [&in] { benchmark::DoNotOptimize(blas::Determinant(in.A300)); });
  const std::string norm = "TMatrix::Norm(ntSpectral) 200 x 200/";
  ours(norm + "nuv", SpectralNormNuv);
  add(norm + "Eigen JacobiSVD", kSpectralFlops,
      [&in] { benchmark::DoNotOptimize(Eigen::JacobiSVD<MatrixXd>(in.A200).singularValues()(0)); });
  add(norm + "Eigen JacobiSVD native", kSpectralFlops,
      [&in] { benchmark::DoNotOptimize(bench::native::EigenSpectralNorm(in.A200.data(), 200)); });
  add(norm + "OpenBLAS dgesdd", kSpectralFlops,
      [&in] { benchmark::DoNotOptimize(blas::SpectralNorm(in.A200)); });
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  return bench::Main(argc, argv, CheckSameResults);
}
