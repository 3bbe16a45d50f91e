// TIntMatrix beside Eigen: sparse inserts in random order and lookups
// against SparseMatrix<int> (reserved), the dense 512 × 512 product against
// Eigen's int32 product; and TColorArray::ColorToIndex for every pixel of
// a 1000 × 1000 image against an Eigen brute-force argmin of the same
// squared distances. Eigen is compiled as nuv is, without -march (SSE2);
// nuv picks AVX2 at run time where the processor has it, and the
// "portable" row shows its SSE2 code. Results are checked against Eigen's
// before anything is timed.
#include <Eigen/Dense>
#include <Eigen/Sparse>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Nuv_matrix_int_parts.h"
#include "bench_common.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_nuvcolors.h"

namespace {

constexpr int32_t kSparseSide = 10000;
constexpr int32_t kInserts = 100000;
constexpr int32_t kLookups = 1000000;
constexpr int32_t kProductSide = 512;
constexpr int32_t kImageSide = 1000;
constexpr int32_t kPaletteSize = 1000;

struct TPosition {
  int32_t col, row, value;
};

struct TInputs {
  std::vector<TPosition> inserts;  // random order, some positions twice
  std::vector<TPosition> lookups;  // half of them stored
  Eigen::MatrixXi a, b;
  std::vector<nuv::TColor> palette, image;
};

const TInputs& Inputs() {
  static const TInputs in = [] {
    TInputs t;
    std::mt19937 rng(42);
    std::uniform_int_distribution<int32_t> pos(1, kSparseSide), value(-1000, 1000);
    for (int32_t i = 0; i < kInserts; ++i) t.inserts.push_back({pos(rng), pos(rng), value(rng)});
    for (int32_t i = 0; i < kLookups; ++i)
      t.lookups.push_back(i % 2 ? t.inserts[rng() % kInserts] : TPosition{pos(rng), pos(rng), 0});
    t.a = Eigen::MatrixXi::Random(kProductSide, kProductSide);
    t.b = Eigen::MatrixXi::Random(kProductSide, kProductSide);
    // Coarse colours with repeats, so that distances tie.
    std::uniform_int_distribution<int32_t> color(0, 0xFFFFFF);
    for (int32_t i = 0; i < kPaletteSize; ++i)
      t.palette.push_back(i % 10 == 9 ? t.palette[i / 2] : color(rng) & 0xF8F8F8);
    for (int32_t i = 0; i < kImageSide * kImageSide; ++i) t.image.push_back(color(rng));
    return t;
  }();
  return in;
}

// ---- sparse

std::unique_ptr<nuv::TIntMatrix> SparseNuv() {
  auto m = std::make_unique<nuv::TIntMatrix>(nullptr, kInserts);
  for (const TPosition& p : Inputs().inserts) m->SetVal(p.col, p.row, p.value);
  return m;
}

std::unique_ptr<Eigen::SparseMatrix<int>> SparseEigen() {
  auto m = std::make_unique<Eigen::SparseMatrix<int>>(kSparseSide, kSparseSide);
  m->reserve(Eigen::VectorXi::Constant(kSparseSide, 2 * kInserts / kSparseSide));
  for (const TPosition& p : Inputs().inserts) m->coeffRef(p.row - 1, p.col - 1) = p.value;
  return m;
}

int64_t LookupsNuv(const nuv::TIntMatrix& m) {
  int64_t sum = 0;
  for (const TPosition& p : Inputs().lookups) sum += m.GetVal(p.col, p.row);
  return sum;
}

int64_t LookupsEigen(const Eigen::SparseMatrix<int>& m) {
  int64_t sum = 0;
  for (const TPosition& p : Inputs().lookups) sum += m.coeff(p.row - 1, p.col - 1);
  return sum;
}

// ---- dense product

std::unique_ptr<nuv::TIntMatrix> DenseNuv(const Eigen::MatrixXi& m) {
  auto t = std::make_unique<nuv::TIntMatrix>(nullptr);
  t->Resize(static_cast<int32_t>(m.cols()), static_cast<int32_t>(m.rows()));
  for (int32_t c = 0; c < m.cols(); ++c) std::copy_n(&m(0, c), m.rows(), t->Column(c + 1));
  return t;
}

// ---- nearest colours

std::unique_ptr<nuv::TColorArray> PaletteNuv() {
  auto a = std::make_unique<nuv::TColorArray>(nullptr);
  a->Resize(kPaletteSize);
  for (int32_t i = 0; i < kPaletteSize; ++i) a->SetColorElem(i + 1, Inputs().palette[i]);
  return a;
}

Eigen::Matrix<int, 3, Eigen::Dynamic> PaletteEigen() {
  Eigen::Matrix<int, 3, Eigen::Dynamic> p(3, kPaletteSize);
  for (int32_t i = 0; i < kPaletteSize; ++i)
    for (int k = 0; k < 3; ++k) p(k, i) = (Inputs().palette[i] >> (8 * k)) & 0xFF;
  return p;
}

Eigen::Vector3i Channels(nuv::TColor pixel) {
  return {pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF};
}

// Index (from 1) of the first nearest palette colour, in one pass (faster
// for Eigen than storing the distances first).
int32_t ArgminEigen(const Eigen::Matrix<int, 3, Eigen::Dynamic>& p, nuv::TColor pixel) {
  Eigen::Index index = 0;
  (p.colwise() - Channels(pixel)).colwise().squaredNorm().minCoeff(&index);
  return static_cast<int32_t>(index) + 1;
}

void CheckSameResults() {
  const TInputs& in = Inputs();
  auto s = SparseNuv();
  auto e = SparseEigen();
  e->makeCompressed();
  if (s->NrOfEntries() != e->nonZeros()) bench::Fail("sparse entries differ", "count");
  if (LookupsNuv(*s) != LookupsEigen(*e)) bench::Fail("sparse lookups differ", "sum");
  for (const nuv::TIntMatEntry& x : s->Entries())
    if (e->coeff(x.Row - 1, x.Col - 1) != x.Value) bench::Fail("sparse entry differs", "value");

  auto a = DenseNuv(in.a), b = DenseNuv(in.b);
  nuv::TIntMatrix c(nullptr);
  c.Resize(kProductSide, kProductSide);
  a->Multiply(*b, c);
  const Eigen::MatrixXi product = in.a * in.b;
  for (int32_t j = 0; j < kProductSide; ++j)
    for (int32_t i = 0; i < kProductSide; ++i)
      if (c.GetVal(j + 1, i + 1) != product(i, j)) bench::Fail("Multiply differs from Eigen", "");

  auto palette = PaletteNuv();
  const auto p = PaletteEigen();
  Eigen::RowVectorXi d(kPaletteSize);
  int32_t ties = 0;
  for (nuv::TColor pixel : in.image) {
    double dist = 0;
    const int32_t want = ArgminEigen(p, pixel);
    if (palette->ColorToIndex(pixel, dist) != want)
      bench::Fail("ColorToIndex differs from the argmin", std::to_string(pixel));
    d.noalias() = (p.colwise() - Channels(pixel)).colwise().squaredNorm();
    ties += (d.array() == d(want - 1)).count() > 1;
  }
  if (ties == 0) bench::Fail("no ties in the image", "the check would not cover them");
}

void SparseSetValNuv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(SparseNuv());
  bench::SetTarget(state, 3.0);
}

void SparseSetValEigen(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(SparseEigen());
}

void SparseGetValNuv(benchmark::State& state) {
  auto m = SparseNuv();
  for (auto _ : state) benchmark::DoNotOptimize(LookupsNuv(*m));
  bench::SetTarget(state, 1.5);
}

void SparseGetValEigen(benchmark::State& state) {
  auto m = SparseEigen();
  m->makeCompressed();
  for (auto _ : state) benchmark::DoNotOptimize(LookupsEigen(*m));
}

template <bool Portable>
void MultiplyNuv(benchmark::State& state) {
  nuv::matrix::UsePortableIntKernels(Portable);
  auto a = DenseNuv(Inputs().a), b = DenseNuv(Inputs().b);
  nuv::TIntMatrix c(nullptr);
  c.Resize(kProductSide, kProductSide);
  for (auto _ : state) benchmark::DoNotOptimize(a->Multiply(*b, c));
  nuv::matrix::UsePortableIntKernels(false);
  if (!Portable) bench::SetTarget(state, 2.0);
}

void MultiplyEigen(benchmark::State& state) {
  Eigen::MatrixXi c(kProductSide, kProductSide);
  for (auto _ : state) {
    c.noalias() = Inputs().a * Inputs().b;
    benchmark::DoNotOptimize(c.data());
  }
}

// Each pass starts from a changed array, so that it pays for its grid.
void ColorToIndexNuv(benchmark::State& state) {
  auto palette = PaletteNuv();
  for (auto _ : state) {
    palette->SetColorElem(1, palette->ColorElem(1));
    int64_t sum = 0;
    double dist = 0;
    for (nuv::TColor pixel : Inputs().image) sum += palette->ColorToIndex(pixel, dist);
    benchmark::DoNotOptimize(sum);
  }
  bench::SetTarget(state, 1.0);
}

void ColorToIndexEigen(benchmark::State& state) {
  const auto p = PaletteEigen();
  for (auto _ : state) {
    int64_t sum = 0;
    for (nuv::TColor pixel : Inputs().image) sum += ArgminEigen(p, pixel);
    benchmark::DoNotOptimize(sum);
  }
}

BENCHMARK(SparseSetValNuv)
    ->Name("TIntMatrix sparse SetVal 10^5 random/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SparseSetValEigen)
    ->Name("TIntMatrix sparse SetVal 10^5 random/Eigen SparseMatrix<int>")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SparseGetValNuv)
    ->Name("TIntMatrix sparse GetVal 10^6/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SparseGetValEigen)
    ->Name("TIntMatrix sparse GetVal 10^6/Eigen SparseMatrix<int>")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MultiplyNuv<false>)
    ->Name("TIntMatrix::Multiply 512 x 512/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MultiplyNuv<true>)
    ->Name("TIntMatrix::Multiply 512 x 512/nuv SSE2")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MultiplyEigen)
    ->Name("TIntMatrix::Multiply 512 x 512/Eigen int32 product")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ColorToIndexNuv)
    ->Name("TColorArray::ColorToIndex 10^6 pixels, 1000 colours/nuv")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ColorToIndexEigen)
    ->Name("TColorArray::ColorToIndex 10^6 pixels, 1000 colours/Eigen brute-force argmin")
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, CheckSameResults); }
