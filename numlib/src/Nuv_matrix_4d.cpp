// TMat4D: life cycle, access, filling, cutting, mirroring and the layer
// copies to and from TMatrix.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <sys/mman.h>

#include "Nuv_matrix_3d4d_parts.h"
#include "Nuv_vector_stats.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/platform/Random.h"

namespace nuv {

using stats::MakeValidRange;

void matrix::TBlockFree::operator()(double* p) const noexcept { std::free(p); }

TMat4D::TMat4D(TComponent* AOwner) : TComponent(AOwner), data_(NewBlock({1, 1, 1, 1}, true)) {}

void TMat4D::Raise(std::string_view text) const {
  RaiseComponentError<ENUVMatrixError>(*this, text);
}

TMat4D::TStorage TMat4D::NewBlock(const int32_t (&counts)[4], bool zeroed) const {
  const int64_t count = matrix::CheckedCount({counts[0], counts[1], counts[2], counts[3]});
  if (count < 0) Raise("not enough memory on heap");
  // calloc takes fresh zero pages for large blocks instead of writing
  // zeros; a loader that overwrites everything skips even that.
  const auto bytes = static_cast<std::size_t>(count) * sizeof(double);
  void* block = zeroed ? std::calloc(static_cast<std::size_t>(count), sizeof(double))
                       : std::malloc(bytes);
  if (block == nullptr) Raise("not enough memory on heap");
  // Image stacks are large and used whole: in 2 MiB pages they fault in,
  // and Cut or Resize release them, some hundred times faster.
  constexpr std::size_t kLarge = std::size_t{4} << 20, kPage = 4096;
  if (bytes >= kLarge) {
    const auto first = (reinterpret_cast<std::uintptr_t>(block) + kPage - 1) & ~(kPage - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(kPage - 1);
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
  return TStorage(static_cast<double*>(block));
}

void TMat4D::SetNrOfColumns(int32_t n) { Resize(std::max(n, 1), n_[1], n_[2], n_[3]); }
void TMat4D::SetNrOfRows(int32_t n) { Resize(n_[0], std::max(n, 1), n_[2], n_[3]); }
void TMat4D::SetNrOfLayers(int32_t n) { Resize(n_[0], n_[1], std::max(n, 1), n_[3]); }
void TMat4D::SetNrOfTimeSlots(int32_t n) { Resize(n_[0], n_[1], n_[2], std::max(n, 1)); }

void TMat4D::SetDataID(std::string_view id) {
  if (id == data_id_) return;
  data_id_ = id;
  Changed();
}

bool TMat4D::Resize(int32_t columns, int32_t rows, int32_t layers, int32_t slots) {
  if (!(columns > 0 && rows > 0 && layers > 0 && slots > 0)) return true;
  if (columns == n_[0] && rows == n_[1] && layers == n_[2] && slots == n_[3]) return true;
  data_ = NewBlock({columns, rows, layers, slots}, true);
  n_[0] = columns;
  n_[1] = rows;
  n_[2] = layers;
  n_[3] = slots;
  Changed();
  return true;
}

double TMat4D::MemoryConsumed() const {
  return static_cast<double>(Count()) * sizeof(double) / 1048576.0;
}

void TMat4D::Changed() {
  if (OnChange) OnChange(this);
}

void TMat4D::PercDone(TObject* Sender, int32_t percent) const {
  if (OnPercentDone) OnPercentDone(Sender, percent);
}

void TMat4D::MakeValidColRange(int32_t& lo, int32_t& hi) const { MakeValidRange(lo, hi, n_[0]); }
void TMat4D::MakeValidRowRange(int32_t& lo, int32_t& hi) const { MakeValidRange(lo, hi, n_[1]); }
void TMat4D::MakeValidLayerRange(int32_t& lo, int32_t& hi) const {
  MakeValidRange(lo, hi, n_[2]);
}
void TMat4D::MakeValidTSlotRange(int32_t& lo, int32_t& hi) const {
  MakeValidRange(lo, hi, n_[3]);
}

void TMat4D::Fill(double v) {
  std::fill_n(data_.get(), Count(), v);
  Changed();
}

void TMat4D::FillRandomUniform(double low, double high) {
  double* x = data_.get();
  for (int64_t i = 0, n = Count(); i < n; ++i) x[i] = low + Random() * (high - low);
  Changed();
}

void TMat4D::FillRandomGauss(double mean, double stddev) {
  double* x = data_.get();
  for (int64_t i = 0, n = Count(); i < n; ++i) x[i] = mean + stddev * GRandom();
  Changed();
}

void TMat4D::FillLayer(int32_t layer, double v) {
  if (layer < 1 || layer > n_[2]) return;
  const int64_t plane = int64_t{n_[0]} * n_[1];
  for (int32_t t = 1; t <= n_[3]; ++t) std::fill_n(data_.get() + Addr4D(1, 1, layer, t), plane, v);
  Changed();
}

void TMat4D::Cut(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh,
                 int32_t layerLow, int32_t layerHigh, int32_t slotLow, int32_t slotHigh) {
  const TWindow w =
      Window(colLow, colHigh, rowLow, rowHigh, layerLow, layerHigh, slotLow, slotHigh);
  // Every run starts at or after the position it moves to, and the runs
  // come in increasing order, so moving them front to back never
  // overwrites an element that has not moved yet.
  double* block = data_.get();
  int64_t dest = 0;
  ForEachRun(w, [&](const double* run, int64_t length) {
    if (run != block + dest) std::memmove(block + dest, run, length * sizeof(double));
    dest += length;
  });
  const int32_t counts[4] = {static_cast<int32_t>(w.Extent(0)), static_cast<int32_t>(w.Extent(1)),
                             static_cast<int32_t>(w.Extent(2)), static_cast<int32_t>(w.Extent(3))};
  // Shrinking cannot fail in practice; if it did, the larger block stays.
  if (void* smaller = std::realloc(data_.get(), static_cast<std::size_t>(dest) * sizeof(double))) {
    (void)data_.release();
    data_.reset(static_cast<double*>(smaller));
  }
  std::copy_n(counts, 4, n_);
  Changed();
}

namespace {

// Writes the n values of `from` to `to` in reverse order; the compiler
// vectorises the loop with lane permutations.
__attribute__((target_clones("avx2", "default"))) void CopyReversed(const double* __restrict from,
                                                                    double* __restrict to,
                                                                    int64_t n) {
  for (int64_t i = 0; i < n; ++i) to[i] = from[n - 1 - i];
}

// Reverses the n values at p, going through a buffer so that memory is
// read and written front to back: chunks from both ends change places
// reversed, then the middle is reversed.
void ReverseRun(double* p, int64_t n) {
  constexpr int64_t kBuffered = 1024, kChunk = kBuffered / 2;
  double buffer[kBuffered];
  int64_t i = 0, j = n;  // the values i..j - 1 are not reversed yet
  for (; j - i > kBuffered; i += kChunk, j -= kChunk) {
    CopyReversed(p + j - kChunk, buffer, kChunk);
    CopyReversed(p + i, p + j - kChunk, kChunk);
    std::copy_n(buffer, kChunk, p + i);
  }
  std::copy_n(p + i, j - i, buffer);
  CopyReversed(buffer, p + i, j - i);
}

}  // namespace

void TMat4D::MirrorBlocks(int64_t size, int64_t count) {
  double* block = data_.get();
  const int64_t period = size * count, total = Count();
  for (double* p = block; p < block + total; p += period) {
    if (size == 1) {
      ReverseRun(p, count);
      continue;
    }
    for (int64_t a = 0, b = count - 1; a < b; ++a, --b)
      std::swap_ranges(p + a * size, p + (a + 1) * size, p + b * size);
  }
  Changed();
}

void TMat4D::MirrorColumns() { MirrorBlocks(1, n_[0]); }
void TMat4D::MirrorRows() { MirrorBlocks(n_[0], n_[1]); }
void TMat4D::MirrorLayers() { MirrorBlocks(int64_t{n_[0]} * n_[1], n_[2]); }
void TMat4D::MirrorTimeSlots() { MirrorBlocks(int64_t{n_[0]} * n_[1] * n_[2], n_[3]); }

void TMat4D::CheckLayerAndSlot(int32_t layer, int32_t slot) const {
  if (layer < 1 || layer > n_[2]) Raise("specified layer beyond data range");
  if (slot < 1 || slot > n_[3]) Raise("specified time slot beyond data range");
}

void TMat4D::CopyLayerToMatrix(TMatrix& matrix, int32_t colLow, int32_t colHigh, int32_t rowLow,
                               int32_t rowHigh, int32_t layer, int32_t slot) const {
  CheckLayerAndSlot(layer, slot);
  MakeValidColRange(colLow, colHigh);
  MakeValidRowRange(rowLow, rowHigh);
  const int32_t width = colHigh - colLow + 1, height = rowHigh - rowLow + 1;
  if (matrix.NrOfColumns() != width || matrix.NrOfRows() != height) matrix.Resize(width, height);
  const double* plane = data_.get() + Addr4D(1, 1, layer, slot);
  for (int32_t c = colLow; c <= colHigh; ++c) {
    double* out = matrix.Column(c - colLow + 1);
    for (int32_t r = rowLow; r <= rowHigh; ++r)
      out[r - rowLow] = plane[(int64_t{r} - 1) * n_[0] + (c - 1)];
  }
  matrix.Changed();
}

void TMat4D::CopyMatrixToLayer(const TMatrix& matrix, int32_t srcColLow, int32_t srcColHigh,
                               int32_t srcRowLow, int32_t srcRowHigh, int32_t layer, int32_t slot,
                               int32_t destCol, int32_t destRow) {
  CheckLayerAndSlot(layer, slot);
  // Only the source positions whose destination exists (64 bits: the
  // offsets may leave the int32 range).
  const int64_t dc = int64_t{destCol} - srcColLow, dr = int64_t{destRow} - srcRowLow;
  const int64_t c0 = std::max<int64_t>(srcColLow, 1 - dc), c1 = std::min<int64_t>(srcColHigh, n_[0] - dc);
  const int64_t r0 = std::max<int64_t>(srcRowLow, 1 - dr), r1 = std::min<int64_t>(srcRowHigh, n_[1] - dr);
  double* plane = data_.get() + Addr4D(1, 1, layer, slot);
  for (int64_t r = r0; r <= r1; ++r)
    for (int64_t c = c0; c <= c1; ++c)
      plane[(r + dr - 1) * n_[0] + (c + dc - 1)] =
          matrix.GetVal(static_cast<int32_t>(c), static_cast<int32_t>(r));
  Changed();
}

}  // namespace nuv
