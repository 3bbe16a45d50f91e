#include "nuv/Nuv_kohonen.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numlib_units.h"
#include "nuv/Nuv_univconst.h"
#include "nuv/platform/Random.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace {

double SquaredDistance(const double* w, const double* p, int32_t n) {
  // Four running sums let the terms of long weight vectors overlap.
  double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const double d0 = w[i] - p[i], d1 = w[i + 1] - p[i + 1];
    const double d2 = w[i + 2] - p[i + 2], d3 = w[i + 3] - p[i + 3];
    s0 += d0 * d0;
    s1 += d1 * d1;
    s2 += d2 * d2;
    s3 += d3 * d3;
  }
  for (; i < n; ++i) {
    const double d = w[i] - p[i];
    s0 += d * d;
  }
  return (s0 + s1) + (s2 + s3);
}

double ScheduleFraction(int64_t step, int32_t steps) {
  const double f = (static_cast<double>(steps) - static_cast<double>(step)) / steps;
  return std::clamp(f, 0.0, 1.0);
}

// A cube of x × y × n zeros; raises ENUVMatrixError when too large.
std::unique_ptr<TMat3D> NewCube(int32_t x, int32_t y, int32_t n) {
  auto cube = std::make_unique<TMat3D>(nullptr);
  cube->Resize(x, y, n);
  return cube;
}

std::unique_ptr<TVector> NewVector(int32_t n) {
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(n);
  v->Fill(0.0);
  return v;
}

}  // namespace

TKohonen::TKohonen(TComponent* AOwner)
    : TComponent(AOwner),
      weights_(NewCube(1, 1, 1)),
      data_(std::make_unique<TMatrix>(nullptr)),
      means_(NewVector(1)),
      stddevs_(NewVector(1)),
      input_(1) {
  SetWeigtsToRandom();
}

TKohonen::~TKohonen() = default;

// Everything is allocated before anything changes, so a map too large to
// allocate leaves the old one whole.
void TKohonen::Reshape(int32_t x, int32_t y, int32_t n, std::unique_ptr<TMatrix> data) {
  auto cube = NewCube(x, y, n);
  if (n == nr_in_sens_ && !data) {
    weights_ = std::move(cube);
  } else {
    auto means = NewVector(n);
    auto stddevs = NewVector(n);
    std::vector<double> input(static_cast<std::size_t>(n));
    weights_ = std::move(cube);
    means_ = std::move(means);
    stddevs_ = std::move(stddevs);
    input_.swap(input);
    if (data) data_ = std::move(data);
  }
  size_x_ = x;
  size_y_ = y;
  nr_in_sens_ = n;
}

void TKohonen::SetSizeX(int32_t n) {
  if (n > 0) Reshape(n, size_y_, nr_in_sens_, nullptr);
}

void TKohonen::SetSizeY(int32_t n) {
  if (n > 0) Reshape(size_x_, n, nr_in_sens_, nullptr);
}

void TKohonen::SetNumInsens(int32_t n) {
  if (n <= 0) return;
  auto data = std::make_unique<TMatrix>(nullptr);
  data->Resize(n, data_->NrOfRows());
  Reshape(size_x_, size_y_, n, std::move(data));
}

void TKohonen::SetNrOfTrnSteps(int32_t n) { nr_trn_steps_ = std::max(n, 1); }

void TKohonen::SetInitialNeighbors(int32_t n) { initial_neighbors_ = std::max(n, 1); }

void TKohonen::SetInitialAlpha(double alpha) {
  if (std::isfinite(alpha)) initial_alpha_ = alpha;
}

bool TKohonen::SetDataMat(const TMatrix& matrix) {
  const int32_t columns = matrix.NrOfColumns();
  const int32_t rows = matrix.NrOfRows();
  if (columns < 1 || rows < 1) return false;
  for (int32_t c = 1; c <= columns; ++c) {
    const double* column = matrix.Column(c);
    if (!std::all_of(column, column + rows, [](double v) { return std::isfinite(v); }))
      return false;
  }
  auto data = std::make_unique<TMatrix>(nullptr);
  data->Clone(matrix);
  Reshape(size_x_, size_y_, columns, std::move(data));
  return true;
}

void TKohonen::StandardizeData() { data_->StandardizeColumns(means_.get(), stddevs_.get()); }

void TKohonen::SetWeigtsToRandom() {
  double* w = weights_->Data();
  const int64_t count = int64_t{size_x_} * size_y_ * nr_in_sens_;
  for (int64_t k = 0; k < count; ++k) w[k] = (Random() - 0.5) * 0.2;
  weights_->Changed();
}

void TKohonen::Trainit() {
  current_step_ = 1;
  SetWeigtsToRandom();
  ContinueTraining();
}

void TKohonen::ContinueTraining() {
  abort_ = false;
  // The patterns row by row, so that each one is contiguous like the
  // weights of a neuron.
  const int32_t n = nr_in_sens_;
  const int32_t count = data_->NrOfRows();
  std::vector<double> patterns(static_cast<std::size_t>(int64_t{n} * count));
  for (int32_t i = 1; i <= n; ++i) {
    const double* column = data_->Column(i);
    for (int32_t p = 0; p < count; ++p)
      patterns[static_cast<std::size_t>(p) * n + (i - 1)] = column[p];
  }
  std::vector<double> distances(static_cast<std::size_t>(int64_t{size_x_} * size_y_));
  int64_t step = current_step_;
  do {
    TrainStep(step, patterns, distances);
    ++step;
    current_step_ =
        static_cast<int32_t>(std::min<int64_t>(step, std::numeric_limits<int32_t>::max()));
    const double percent =
        std::clamp(static_cast<double>(step - 1) * 100.0 / nr_trn_steps_, 0.0, 100.0);
    DoFeedback(Round32(percent));
  } while (!abort_ && step < nr_trn_steps_);
  abort_ = false;
  weights_->Changed();
}

void TKohonen::TrainStep(int64_t step, const std::vector<double>& patterns,
                         std::vector<double>& distances) {
  const double f = ScheduleFraction(step, nr_trn_steps_);
  const double f2 = f * f;
  current_neighbors_ = Round32(f2 * (initial_neighbors_ - 1.0) + 1.0);
  current_alpha_ = f2 * initial_alpha_;
  for (std::size_t p = 0; p < patterns.size(); p += static_cast<std::size_t>(nr_in_sens_))
    TrainPattern(patterns.data() + p, distances.data());
}

TKohonen::TSpan TKohonen::WindowSpan(int32_t winner, int32_t size) const {
  int64_t r = std::min(current_neighbors_, size);
  if (!cyclic_) return {std::max<int64_t>(1, winner - r), std::min<int64_t>(size, winner + r)};
  if (r >= size / 2) r = size / 2 - 1;
  r = std::max<int64_t>(r, 0);
  return {winner - r, winner + r};
}

namespace {

// A window coordinate wrapped once onto the grid (only cyclic windows
// reach outside it).
int32_t Wrapped(int64_t v, int32_t size) {
  if (v <= 0) v += size;
  if (v > size) v -= size;
  return static_cast<int32_t>(v);
}

}  // namespace

void TKohonen::TrainPattern(const double* pattern, double* distances) {
  // A neuron moves only after its distance was taken, so the window reads
  // the distances of the scan: the winner's d - g is exactly 0.
  const int32_t n = nr_in_sens_;
  const double* w = weights_->Data();
  double best = static_cast<double>(uc_MaxDouble);
  int32_t wx = 1, wy = 1;
  double* dist = distances;
  for (int32_t x = 1; x <= size_x_; ++x)
    for (int32_t y = 1; y <= size_y_; ++y, w += n) {
      const double g = SquaredDistance(w, pattern, n);
      *dist++ = g;
      if (g < best) best = g, wx = x, wy = y;
    }
  const TSpan xs = WindowSpan(wx, size_x_);
  const TSpan ys = WindowSpan(wy, size_y_);
  const double alpha = current_alpha_;
  for (int64_t x = xs.Lo; x <= xs.Hi; ++x)
    for (int64_t y = ys.Lo; y <= ys.Hi; ++y) {
      const int32_t cx = Wrapped(x, size_x_), cy = Wrapped(y, size_y_);
      double* cell = weights_->Layers(cx, cy);
      const double d = distances[(int64_t{cx} - 1) * size_y_ + (cy - 1)];
      const double t = alpha / (1.0 + std::sqrt(d - best));
      for (int32_t i = 0; i < n; ++i) cell[i] += (pattern[i] - cell[i]) * t;
    }
}

bool TKohonen::ApplyIt(const TVector& vector, int32_t& winnerX, int32_t& winnerY,
                       double& distance) const {
  winnerX = 0;
  winnerY = 0;
  distance = static_cast<double>(uc_MaxDouble);
  const int32_t n = nr_in_sens_;
  if (vector.NrOfElem() != n) return false;
  const double* v = vector.Data();
  const double* m = means_->Data();
  const double* s = stddevs_->Data();
  for (int32_t i = 0; i < n; ++i)
    input_[static_cast<std::size_t>(i)] = s[i] != 0 ? (v[i] - m[i]) / s[i] : v[i] - m[i];
  const double* w = weights_->Data();
  for (int32_t x = 1; x <= size_x_; ++x)
    for (int32_t y = 1; y <= size_y_; ++y, w += n) {
      const double g = SquaredDistance(w, input_.data(), n);
      if (g < distance) distance = g, winnerX = x, winnerY = y;
    }
  return winnerX != 0;
}

double TKohonen::GetWeight(int32_t x, int32_t y, int32_t i) const {
  if (!(x >= 1 && x <= size_x_ && y >= 1 && y <= size_y_ && i >= 1 && i <= nr_in_sens_)) return 0.0;
  const double w = weights_->GetVal(x, y, i);
  const double s = stddevs_->GetVal(i);
  return (s != 0 ? w * s : w) + means_->GetVal(i);
}

void TKohonen::DoFeedback(int32_t percent) {
  if (OnFeedback) OnFeedback(this, percent);
}

namespace units {

void Nuv_kohonen_Init() {}
void Nuv_kohonen_Finalize() {}

}  // namespace units

}  // namespace nuv
