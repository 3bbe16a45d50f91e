// Three- and four-dimensional matrices of doubles: TMat3D (columns × rows
// × layers), the container of weight cubes, and TMat4D (columns × rows ×
// layers × time slots), a stack of images over time with sub-block
// extraction, layer copies to and from TMatrix, per-pixel mean and
// standard deviation, mirrors, the blocked binary file and a progress
// event.
//
// Indices count from 1, the column first. Each matrix is one contiguous
// block of at most 2147483647 elements (a larger size raises "not enough
// memory on heap"); every count is at least 1.
//  - TMat3D stores the layer fastest: (c, r, l) lies at
//    ((c - 1)·rows + (r - 1))·layers + (l - 1), so the layers of one
//    (column, row) cell are adjacent (Layers(c, r)).
//  - TMat4D stores the column fastest: (c, r, l, t) lies at Addr4D(c, r, l,
//    t) = (c - 1) + columns·((r - 1) + rows·((l - 1) + layers·(t - 1))).
// Out-of-range reads give 0 and out-of-range writes are ignored; SetVal
// does not fire OnChange, the other modifying operations do.
//
// Windows are given dimension by dimension as (low, high) pairs, unlike
// the corners of TMatrix; each pair is normalised as MakeValidColRange
// does (0, 0 is the whole extent, other bounds are clamped and ordered).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_matrix_core.h"
#include "nuv/platform/Streams.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

namespace matrix {
struct TMatrixIO;
}

// The XML vocabulary of every matrix class: the block root (the block ends
// with "/matrix"), the extents, one element per cell, and the name the
// reader gives an unknown tag. docs/MATRIX_FILES.md describes the blocks.
inline constexpr std::array<std::string_view, 7> xmlMatrixTags{
    "matrix", "numcols", "numrows", "numplanes", "numtimeslots", "cell", "invalidtag"};

class TMat3D : public TComponent {
 public:
  // 1 × 1 × 1 holding 0.
  explicit TMat3D(TComponent* AOwner);

  int32_t NrOfColumns() const { return ncols_; }
  int32_t NrOfRows() const { return nrows_; }
  int32_t NrOfLayers() const { return nlayers_; }
  // Resize that dimension; a value <= 0 counts as 1.
  void SetNrOfColumns(int32_t n);
  void SetNrOfRows(int32_t n);
  void SetNrOfLayers(int32_t n);

  const std::string& DataID() const { return data_id_; }
  void SetDataID(std::string_view id);

  TNotifyEvent OnChange;

  // Nothing happens unless a count differs and all are > 0; the values at
  // surviving positions stay, new ones are 0. Always true.
  bool Resize(int32_t columns, int32_t rows, int32_t layers);
  double GetVal(int32_t col, int32_t row, int32_t layer) const {
    return InRange(col, row, layer) ? data_[CellOffset(col, row) + (layer - 1)] : 0.0;
  }
  void SetVal(int32_t col, int32_t row, int32_t layer, double v) {
    if (InRange(col, row, layer)) data_[CellOffset(col, row) + (layer - 1)] = v;
  }
  // The whole block in storage order, and the NrOfLayers adjacent values of
  // one cell (nullptr outside the matrix); for loops that write many
  // values, which then call Changed.
  double* Data() { return data_.data(); }
  const double* Data() const { return data_.data(); }
  double* Layers(int32_t col, int32_t row) {
    return InCells(col, row) ? data_.data() + CellOffset(col, row) : nullptr;
  }
  const double* Layers(int32_t col, int32_t row) const {
    return InCells(col, row) ? data_.data() + CellOffset(col, row) : nullptr;
  }

  void Changed();
  void MakeValidColRange(int32_t& lo, int32_t& hi) const;
  void MakeValidRowRange(int32_t& lo, int32_t& hi) const;
  void MakeValidLayerRange(int32_t& lo, int32_t& hi) const;

  void Fill(double v);
  // low + U·(high - low), U uniform in [0, 1), in storage order.
  void FillRandomUniform(double low, double high);
  // mean + stddev·GRandom(), in storage order.
  void FillRandomGauss(double mean, double stddev);

  // Position of the element nearest to value in the window, the first in
  // the order column, row, layer on ties; NaN elements take no part. All 0
  // when nothing compares (a NaN value).
  void Find(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh, int32_t layerLow,
            int32_t layerHigh, double value, int32_t& col, int32_t& row, int32_t& layer) const;
  // 64 upper-case hex digits: one CRC-32 per byte position of the 8-byte
  // element images, scanning column, row, layer with the layer fastest.
  std::string CRCofData() const;

  // ---- XML blocks (root "matrix", comment "TMat3D"). Readers return false
  // (nothing changed) when the block is missing, incomplete or
  // inconsistent; writers raise the file's or stream's errors.
  void WriteToXMLStream(TStream& stream, bool createHeader, std::string_view id) const;
  bool ReadFromXMLStream(TStream& stream, std::string_view id);
  void WriteToOpenXMLFile(TextFile& f, bool createHeader, std::string_view id) const;
  bool ReadFromOpenXMLFile(TextFile& f, std::string_view id);
  // Through a temporary file that replaces fileName only when complete.
  void SaveAsXMLFile(std::string_view fileName, std::string_view id) const;
  bool LoadFromXMLFile(std::string_view fileName, std::string_view id);

 private:
  friend struct matrix::TMatrixIO;
  bool InCells(int32_t col, int32_t row) const {
    return col >= 1 && col <= ncols_ && row >= 1 && row <= nrows_;
  }
  bool InRange(int32_t col, int32_t row, int32_t layer) const {
    return InCells(col, row) && layer >= 1 && layer <= nlayers_;
  }
  int64_t CellOffset(int32_t col, int32_t row) const {
    return ((int64_t{col} - 1) * nrows_ + (row - 1)) * nlayers_;
  }
  [[noreturn]] void Raise(std::string_view text) const;

  std::vector<double> data_;
  int32_t ncols_ = 1;
  int32_t nrows_ = 1;
  int32_t nlayers_ = 1;
  std::string data_id_;
};

namespace matrix {
// Releases a block of TMat4D.
struct TBlockFree {
  void operator()(double* p) const noexcept;
};
}  // namespace matrix

class TMat4D : public TComponent {
 public:
  // 1 × 1 × 1 × 1 holding 0.
  explicit TMat4D(TComponent* AOwner);

  int32_t NrOfColumns() const { return n_[0]; }
  int32_t NrOfRows() const { return n_[1]; }
  int32_t NrOfLayers() const { return n_[2]; }
  int32_t NrOfTimeSlots() const { return n_[3]; }
  // Resize that dimension (contents zeroed); a value <= 0 counts as 1.
  void SetNrOfColumns(int32_t n);
  void SetNrOfRows(int32_t n);
  void SetNrOfLayers(int32_t n);
  void SetNrOfTimeSlots(int32_t n);

  const std::string& DataID() const { return data_id_; }
  void SetDataID(std::string_view id);

  TNotifyEvent OnChange;
  // Fired by the binary file operations as they go (see SaveBinary).
  TOnPercentDoneEvent OnPercentDone;

  // Nothing happens unless a count differs and all are > 0; otherwise the
  // block is replaced by a zeroed one. Always true.
  bool Resize(int32_t columns, int32_t rows, int32_t layers, int32_t slots);
  double GetVal(int32_t col, int32_t row, int32_t layer, int32_t slot) const {
    return InRange(col, row, layer, slot) ? data_[Addr4D(col, row, layer, slot)] : 0.0;
  }
  void SetVal(int32_t col, int32_t row, int32_t layer, int32_t slot, double v) {
    if (InRange(col, row, layer, slot)) data_[Addr4D(col, row, layer, slot)] = v;
  }
  // The block in Addr4D order; for loops that write many values, which
  // then call Changed.
  double* Data() { return data_.get(); }
  const double* Data() const { return data_.get(); }
  // The position formula of the storage order, in 64 bits for any indices.
  int64_t Addr4D(int32_t col, int32_t row, int32_t layer, int32_t slot) const {
    return (int64_t{col} - 1) +
           int64_t{n_[0]} * ((int64_t{row} - 1) +
                             int64_t{n_[1]} * ((int64_t{layer} - 1) +
                                               int64_t{n_[2]} * (int64_t{slot} - 1)));
  }
  // Mebibytes of element storage.
  double MemoryConsumed() const;

  void Changed();
  void PercDone(TObject* Sender, int32_t percent) const;
  void MakeValidColRange(int32_t& lo, int32_t& hi) const;
  void MakeValidRowRange(int32_t& lo, int32_t& hi) const;
  void MakeValidLayerRange(int32_t& lo, int32_t& hi) const;
  void MakeValidTSlotRange(int32_t& lo, int32_t& hi) const;

  void Fill(double v);
  void FillRandomUniform(double low, double high);
  void FillRandomGauss(double mean, double stddev);
  // Every element of that layer in all time slots; ignored for a layer
  // outside 1..NrOfLayers.
  void FillLayer(int32_t layer, double v);

  // Keeps only the window: its elements move to the front in the new
  // storage order, the counts become the window's extents and the block
  // shrinks to them.
  void Cut(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh, int32_t layerLow,
           int32_t layerHigh, int32_t slotLow, int32_t slotHigh);
  // Reverse the order along one axis.
  void MirrorColumns();
  void MirrorRows();
  void MirrorLayers();
  void MirrorTimeSlots();

  // ---- statistics over a window (extended-precision sums)
  double Sum(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh, int32_t layerLow,
             int32_t layerHigh, int32_t slotLow, int32_t slotHigh) const;
  // Mean and sample variance; the variance is 1 unless the window holds at
  // least three elements.
  void MeanVar(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh, int32_t layerLow,
               int32_t layerHigh, int32_t slotLow, int32_t slotHigh, double& mean,
               double& variance) const;
  // Smallest and largest element; NaN elements take no part. Without any,
  // min = +infinity and max = -infinity.
  void MinMax(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh, int32_t layerLow,
              int32_t layerHigh, int32_t slotLow, int32_t slotHigh, double& min,
              double& max) const;
  // Position of the element nearest to value in the window, the first in
  // the order column, row, layer, slot on ties; NaN elements take no part.
  // All 0 when nothing compares.
  void Find(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh, int32_t layerLow,
            int32_t layerHigh, int32_t slotLow, int32_t slotHigh, double value, int32_t& col,
            int32_t& row, int32_t& layer, int32_t& slot) const;
  // 64 upper-case hex digits: one CRC-32 per byte position of the 8-byte
  // element images, scanning column, row, layer, slot with the slot
  // fastest.
  std::string CRCofData() const;

  // ---- layers and TMatrix
  // matrix becomes the column × row window of (layer, slot):
  // matrix(c - colLow + 1, r - rowLow + 1) = element(c, r, layer, slot).
  // Raises "specified layer beyond data range" resp. "specified time slot
  // beyond data range" (the layer is checked first).
  void CopyLayerToMatrix(TMatrix& matrix, int32_t colLow, int32_t colHigh, int32_t rowLow,
                         int32_t rowHigh, int32_t layer, int32_t slot) const;
  // matrix(c, r) for c in srcColLow..srcColHigh, r in srcRowLow..srcRowHigh
  // (not normalised; positions outside the matrix read 0, a reversed range
  // copies nothing) goes to (destCol + c - srcColLow, destRow + r -
  // srcRowLow, layer, slot) where that exists. Raises as CopyLayerToMatrix.
  void CopyMatrixToLayer(const TMatrix& matrix, int32_t srcColLow, int32_t srcColHigh,
                         int32_t srcRowLow, int32_t srcRowHigh, int32_t layer, int32_t slot,
                         int32_t destCol, int32_t destRow);
  // matrix becomes the column × row window, each cell the arithmetic mean
  // resp. the population standard deviation of that pixel over the
  // window's layers and slots (sums free of rounding error; the deviation
  // from the mean in a second pass). Every (e + 1)-th cell, e =
  // Trunc(layers·slots / 100) of the window, advances ProcStat.
  void MeanOfLayersToMatrix(TMatrix& matrix, int32_t colLow, int32_t colHigh, int32_t rowLow,
                            int32_t rowHigh, int32_t layerLow, int32_t layerHigh, int32_t slotLow,
                            int32_t slotHigh) const;
  void StdDevOfLayersToMatrix(TMatrix& matrix, int32_t colLow, int32_t colHigh, int32_t rowLow,
                              int32_t rowHigh, int32_t layerLow, int32_t layerHigh, int32_t slotLow,
                              int32_t slotHigh) const;

  // ---- the blocked binary file: 4096-byte records, record 0 the header
  // (columns, rows, layers, slots as int32, DataID as a short string of
  // 255, the rest zero), then the elements of the slots in storage order,
  // the last record filled with zeros. No magic number, no version.
  //
  // Slot ranges: firstSlot <= 0 or lastSlot <= 0 take every slot;
  // otherwise lastSlot is lowered to the slots available and a reversed
  // pair is ordered. firstSlot beyond the slots raises "specified time slot
  // beyond data range". OnPercentDone reports Round(k·100/count) after
  // every max(1, count div 100) of the count values moved.
  //
  // SaveBinary writes a temporary file that replaces fileName when
  // complete; file errors raise EInOutError.
  void SaveBinary(std::string_view fileName, int32_t firstSlot, int32_t lastSlot) const;
  // Reads those slots, resizing the matrix and taking DataID. False,
  // nothing changed, for a header with counts < 1, more than 2147483647
  // elements to load, or a file too short for them. A matrix of the
  // file's shape is read in place: a read error (EInOutError) then leaves
  // its elements partly loaded.
  bool LoadBinary(std::string_view fileName, int32_t firstSlot, int32_t lastSlot);
  // The header's fields; true when all four counts are > 0. False for a
  // file shorter than the header record; EInOutError when it cannot be
  // opened.
  static bool ReadBinaryHeader(std::string_view fileName, int32_t& columns, int32_t& rows,
                               int32_t& layers, int32_t& slots, std::string& dataID);
  // Appends the slots to a file of the same columns, rows and layers (else
  // "X,Y,Z of matrices do not match"); the data first, the header's count
  // last, so that a failed write leaves the stored slots as they were.
  // Raises "file holds no valid matrix data" for a header with a negative
  // slot count or a file shorter than its slots, and the slot-range error
  // when the count would pass 2147483647.
  void AppendToBinaryFile(std::string_view fileName, int32_t firstSlot, int32_t lastSlot) const;

  // ---- XML blocks (root "matrix", comment "TMat4D"), as for TMat3D
  void WriteToXMLStream(TStream& stream, bool createHeader, std::string_view id) const;
  bool ReadFromXMLStream(TStream& stream, std::string_view id);
  void WriteToOpenXMLFile(TextFile& f, bool createHeader, std::string_view id) const;
  bool ReadFromOpenXMLFile(TextFile& f, std::string_view id);
  void SaveAsXMLFile(std::string_view fileName, std::string_view id) const;
  bool LoadFromXMLFile(std::string_view fileName, std::string_view id);

 private:
  friend struct matrix::TMatrixIO;
  // A normalised window: low and high bound of each dimension.
  struct TWindow {
    int32_t Lo[4], Hi[4];
    int64_t Extent(int k) const { return int64_t{Hi[k]} - Lo[k] + 1; }
    int64_t Planes() const { return Extent(2) * Extent(3); }
  };
  TWindow Window(int32_t colLow, int32_t colHigh, int32_t rowLow, int32_t rowHigh,
                 int32_t layerLow, int32_t layerHigh, int32_t slotLow, int32_t slotHigh) const;
  // Calls f(run, length) for the window's values in storage order, as
  // runs of adjacent values (whole rows, joined where they touch).
  template <class F>
  void ForEachRun(const TWindow& w, F&& f) const;
  // Calls f(block) for each layer and slot of the window, slot slowest: its
  // rows as segments of a statistics block.
  template <class F>
  void ForEachPlane(const TWindow& w, F&& f) const;
  // The pixel statistics into matrix: means, or standard deviations.
  void PixelStatistics(TMatrix& matrix, const TWindow& w, bool deviation) const;
  // The statistic of one pixel (its index in the window, column fastest)
  // in extended precision.
  double PixelInExtended(const TWindow& w, int64_t pixel, bool deviation) const;
  void CheckLayerAndSlot(int32_t layer, int32_t slot) const;
  // Swaps the blocks of `size` values at k·stride and (count - 1 - k)·stride
  // inside every period of the block.
  void MirrorBlocks(int64_t size, int64_t count);
  bool InRange(int32_t col, int32_t row, int32_t layer, int32_t slot) const {
    return col >= 1 && col <= n_[0] && row >= 1 && row <= n_[1] && layer >= 1 &&
           layer <= n_[2] && slot >= 1 && slot <= n_[3];
  }
  int64_t Count() const {
    return int64_t{n_[0]} * n_[1] * n_[2] * n_[3];
  }
  using TStorage = std::unique_ptr<double[], matrix::TBlockFree>;
  // A block for the counts, zeroed or not (for a loader that fills it);
  // raises "not enough memory on heap".
  TStorage NewBlock(const int32_t (&counts)[4], bool zeroed) const;
  [[noreturn]] void Raise(std::string_view text) const;

  TStorage data_;
  int32_t n_[4] = {1, 1, 1, 1};
  std::string data_id_;
};

}  // namespace nuv
