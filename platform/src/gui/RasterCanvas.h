// The canvas of bitmaps, control surfaces and printer pages: draws into an
// RGB32 QImage owned by somebody else. Width-1 figures, fills and pixels go
// through the integer rasteriser; wide pens, text and smooth stretching
// through a QPainter that is opened on demand and closed before the pixels
// are touched directly or the owner changes the image.
#pragma once

#include <QImage>
#include <functional>
#include <memory>
#include <vector>

#include "Raster.h"
#include "nuv/platform/Graphics.h"

class QPainter;

namespace nuv {

class TRasterCanvas : public TCanvas {
 public:
  // image may be null (no pixels: drawing does nothing, metrics work).
  TRasterCanvas(QImage* image, bool isPrinter);
  ~TRasterCanvas() override;

  // Ends the painter; the owner calls it before it changes the image.
  void Flush();

  // Told after every drawing call (the owner's change notification); kept
  // apart from OnChange, which belongs to the canvas's user.
  std::function<void()> Damaged;

 protected:
  void DoLine(TPoint from, TPoint to) override;
  void DoRectangle(const TRect& r) override;
  void DoEllipse(const TRect& r) override;
  void DoPolygon(std::span<const TPoint> points) override;
  void DoPolyline(std::span<const TPoint> points) override;
  void DoFillRect(const TRect& r) override;
  void DoFrameRect(const TRect& r) override;
  void DoTextOut(int32_t X, int32_t Y, std::string_view Text, const TRect* clip) override;
  TSize DoTextExtent(std::string_view Text) override;
  void DoGetTextMetrics(TTextMetric& tm) override;
  void DoCopyRect(const TRect& Dest, TCanvas& Canvas, const TRect& Source) override;
  void DoStretchDraw(const TRect& r, const TGraphic& Graphic, bool stretch) override;
  TColor DoGetPixel(int32_t X, int32_t Y) override;
  void DoSetPixel(int32_t X, int32_t Y, TColor Color) override;
  TRect DoClipRect() const override;
  void Changed() override;

 private:
  bool HasPixels() const { return image_ && !image_->isNull(); }
  // The pixels for direct writes (the painter is closed first).
  raster::TTarget Surface();
  QPainter& Painter();

  raster::TInk PenInk() const;
  raster::TInk GapInk() const;
  raster::TInk BrushInk() const;
  bool WidePen() const;
  // Strokes a path with the wide pen through Qt (round caps and joins).
  void StrokeWide(const class QPainterPath& path, bool miter);
  // Paints outline_ and spans_ with the pen, gap and brush inks.
  void PaintFigure();

  QImage* image_;
  std::unique_ptr<QPainter> painter_;
  // Scratch buffers reused across calls.
  std::vector<raster::TPixel> outline_;
  std::vector<raster::TSpan> spans_;
  std::vector<TPoint> points_;
};

}  // namespace nuv
