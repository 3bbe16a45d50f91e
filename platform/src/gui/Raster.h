// The integer rasteriser behind image canvases: the exact pixels of
// width-1 lines, rectangles, ellipses and polygons, the sixteen pen modes
// and the hatch patterns, written straight into the rows of an RGB32 image.
// Qt's own aliased rasterisation covers different pixels (a 5x5 ellipse
// comes out 5x4, a rectangle one pixel wider), so the raster rules the
// library depends on are kept here.
#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "nuv/platform/Graphics.h"

namespace nuv::raster {

// 0xFFRRGGBB pixel of a colour (system colours resolved), and back.
uint32_t PixelOf(TColor color);
TColor ColorOf(uint32_t pixel);

// Combines destination d with source s; the result's alpha is forced to FF.
using TRopFn = uint32_t (*)(uint32_t d, uint32_t s);
// nullptr for pmNop.
TRopFn PenRop(TPenMode mode);

// What a pixel write does: the colour and how it combines.
struct TInk {
  uint32_t Color = 0;
  TRopFn Rop = nullptr;  // nullptr writes nothing
};

// Rows of bits, bit x set where a hatch paints; nullptr for solid.
using THatch = std::array<uint8_t, 8>;
const THatch* HatchOf(TBrushStyle style);

// Run lengths of a dash pattern (on, off, on, off ...); nullptr for solid.
struct TDash {
  std::array<uint8_t, 6> Runs;
  int32_t Count;
  int32_t Period;
};
const TDash* DashOf(TPenStyle style);
bool DashOn(const TDash* dash, int64_t step);

// A view of an RGB32 image's rows (a null image has no pixels).
class TTarget {
 public:
  explicit TTarget(QImage& image);
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Contains(int64_t x, int64_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }
  uint32_t* Row(int32_t y) const { return bits_ + static_cast<std::ptrdiff_t>(y) * stride_; }
  bool Empty() const { return bits_ == nullptr; }

  void Plot(int64_t x, int64_t y, const TInk& ink) const;
  // Pixels [x1, x2) of row y, clipped; with a hatch only its set bits.
  void Span(int64_t y, int64_t x1, int64_t x2, const TInk& ink,
            const THatch* hatch = nullptr) const;

 private:
  uint32_t* bits_ = nullptr;
  std::ptrdiff_t stride_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// One pixel of an outline; Gap marks the off pixels of a dashed pen.
struct TPixel {
  int32_t X;
  int32_t Y;
  bool Gap;
};

// Pixels of the line from a to b without b, as steps along the longer
// axis; only those with a in [clip) are produced. phase counts dash steps
// across the segments of one figure.
void LinePixels(TPoint a, TPoint b, const TRect& clip, const TDash* dash, int64_t& phase,
                std::vector<TPixel>& out);

// The solid line from a to b without b when it runs along a row or a
// column, written straight into the rows (the same pixels LinePixels
// gives); false, with nothing written, for any other line.
bool AxisLine(const TTarget& target, TPoint a, TPoint b, const TRect& clip, const TInk& ink);

// Largest ellipse box side the rasteriser takes; larger boxes are drawn by
// Qt's path filler.
inline constexpr int64_t kMaxEllipseSide = 1 << 16;

// Outline pixels of the ellipse inscribed in box (right and bottom
// exclusive), each once, sorted by row then column.
void EllipsePixels(const TRect& box, std::vector<TPoint>& out);

// A run [X1, X2) of row Y.
struct TSpan {
  int32_t Y;
  int32_t X1;
  int32_t X2;
};

// Interior spans of a closed polygon by the alternate rule, rows limited to
// [yLo, yHi): a pixel is inside when its coordinates lie inside the
// polygon, edges on the left and top included, on the right and bottom
// excluded.
void PolygonSpans(std::span<const TPoint> points, int32_t yLo, int32_t yHi,
                  std::vector<TSpan>& out);

// Interior spans of an ellipse outline (sorted, as EllipsePixels gives).
void EllipseSpans(const std::vector<TPoint>& outline, std::vector<TSpan>& out);

// Combination of a source pixel s with the destination d for a copy mode
// (unknown modes copy).
TRopFn CopyRop(TCopyMode mode);

// Copies sourceRect of source (RGB32) onto destRect of target, clipped to
// both images. Sizes that differ stretch: by the nearest source pixel, or
// smoothly (only the visible part is scaled). Extents of opposite sign
// mirror. Source pixels equal to *transparent (when given) are left out.
void Blit(const TTarget& target, const QImage& source, const TRect& destRect,
          const TRect& sourceRect, TRopFn rop, bool smooth, const uint32_t* transparent);

// Paints a figure: the outline (pen ink, gaps in gapInk) and the fill
// spans (brush ink and hatch) without the outline's pixels, so that every
// pixel is combined once. outline is sorted and made unique in place;
// spans must be sorted by row.
void PaintFigure(const TTarget& target, std::vector<TPixel>& outline, const TInk& pen,
                 const TInk& gapInk, const std::vector<TSpan>& spans, const TInk& brush,
                 const THatch* hatch);

}  // namespace nuv::raster
