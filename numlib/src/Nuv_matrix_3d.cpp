// TMat3D: the cube of doubles with the layer fastest.
#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#include "Nuv_matrix_3d4d_parts.h"
#include "Nuv_vector_stats.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/platform/Random.h"

namespace nuv {

using stats::MakeValidRange;

TMat3D::TMat3D(TComponent* AOwner) : TComponent(AOwner) {
  try {
    data_.assign(1, 0.0);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
}

void TMat3D::Raise(std::string_view text) const {
  RaiseComponentError<ENUVMatrixError>(*this, text);
}

void TMat3D::SetNrOfColumns(int32_t n) { Resize(std::max(n, 1), nrows_, nlayers_); }
void TMat3D::SetNrOfRows(int32_t n) { Resize(ncols_, std::max(n, 1), nlayers_); }
void TMat3D::SetNrOfLayers(int32_t n) { Resize(ncols_, nrows_, std::max(n, 1)); }

void TMat3D::SetDataID(std::string_view id) {
  if (id == data_id_) return;
  data_id_ = id;
  Changed();
}

bool TMat3D::Resize(int32_t columns, int32_t rows, int32_t layers) {
  if (!(columns > 0 && rows > 0 && layers > 0)) return true;
  if (columns == ncols_ && rows == nrows_ && layers == nlayers_) return true;
  const int64_t count = matrix::CheckedCount({columns, rows, layers, 1});
  if (count < 0) Raise("not enough memory on heap");
  std::vector<double> fresh;
  try {
    fresh.assign(static_cast<std::size_t>(count), 0.0);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  const int32_t keepLayers = std::min(layers, nlayers_);
  for (int32_t c = 1; c <= std::min(columns, ncols_); ++c)
    for (int32_t r = 1; r <= std::min(rows, nrows_); ++r)
      std::copy_n(Layers(c, r), keepLayers,
                  fresh.data() + ((int64_t{c} - 1) * rows + (r - 1)) * layers);
  data_.swap(fresh);
  ncols_ = columns;
  nrows_ = rows;
  nlayers_ = layers;
  Changed();
  return true;
}

void TMat3D::Changed() {
  if (OnChange) OnChange(this);
}

void TMat3D::MakeValidColRange(int32_t& lo, int32_t& hi) const { MakeValidRange(lo, hi, ncols_); }
void TMat3D::MakeValidRowRange(int32_t& lo, int32_t& hi) const { MakeValidRange(lo, hi, nrows_); }
void TMat3D::MakeValidLayerRange(int32_t& lo, int32_t& hi) const {
  MakeValidRange(lo, hi, nlayers_);
}

void TMat3D::Fill(double v) {
  std::fill(data_.begin(), data_.end(), v);
  Changed();
}

void TMat3D::FillRandomUniform(double low, double high) {
  for (double& x : data_) x = low + Random() * (high - low);
  Changed();
}

void TMat3D::FillRandomGauss(double mean, double stddev) {
  for (double& x : data_) x = mean + stddev * GRandom();
  Changed();
}

void TMat3D::Find(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh,
                  int32_t layerLow, int32_t layerHigh, double value, int32_t& col, int32_t& row,
                  int32_t& layer) const {
  MakeValidColRange(colLow, colHigh);
  MakeValidRowRange(rowLow, rowHigh);
  MakeValidLayerRange(layerLow, layerHigh);
  matrix::TNearest nearest(value);
  for (int32_t c = colLow; c <= colHigh; ++c)
    for (int32_t r = rowLow; r <= rowHigh; ++r) {
      const double* cell = Layers(c, r);
      for (int32_t l = layerLow; l <= layerHigh; ++l) nearest.Offer(cell[l - 1], {c, r, l, 0});
    }
  col = nearest.Where[0];
  row = nearest.Where[1];
  layer = nearest.Where[2];
}

std::string TMat3D::CRCofData() const {
  return stats::Fingerprint(stats::Contiguous(data_.data(), static_cast<int64_t>(data_.size())));
}

}  // namespace nuv
