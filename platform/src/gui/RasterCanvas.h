// The canvas of bitmaps, control surfaces and printer pages: draws into an
// RGB32 QImage owned by somebody else. Width-1 figures, fills and pixels go
// through the integer rasteriser, and so do texts, as the pixels Qt
// rendered for them once; wide pens, rotated or clipped text and smooth
// stretching through a QPainter that is opened on demand and closed before
// the pixels are touched directly or the owner changes the image.
#pragma once

#include <QFont>
#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Raster.h"
#include "nuv/platform/Graphics.h"

class QFontMetrics;
class QPainter;

namespace nuv {

// Texts drawn before, by font and text: their extent and, for the aliased
// glyphs of the canvas fonts, the pixels they set. Map views draw the same
// captions on every pan and zoom, and shaping is most of a caption's cost.
// Bounded: emptied when it holds too many texts, fonts or bytes.
class TTextCache {
 public:
  struct TEntry {
    int32_t Advance = 0;
    int32_t Height = 0;
    // False when the text must go through the painter (grey or oversized
    // pixels); otherwise Bits(entry) holds Rows rows of Words words, bit x
    // of a row set where the text paints pixel (Left + x, Top + row) from
    // the text's origin.
    bool Mask = false;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Rows = 0;
    int32_t Words = 0;
    std::size_t Offset = 0;
  };

  static constexpr std::size_t kMaxTexts = 1 << 15;
  static constexpr std::size_t kMaxFonts = 64;
  static constexpr std::size_t kMaxBytes = std::size_t{8} << 20;

  TTextCache();
  ~TTextCache();

  // The entry of Text in font, made on first use.
  const TEntry& Get(const QFont& font, std::string_view Text);
  // nullptr when Text in font is not held.
  const TEntry* Find(const QFont& font, std::string_view Text);
  const uint64_t* Bits(const TEntry& e) const { return bits_.data() + e.Offset; }

 private:
  // Sets key_ to the font's index and the text.
  void MakeKey(const QFont& font, std::string_view Text);
  void Clear();
  // Renders text as a canvas does and sets e's mask and scratch_ when every
  // pixel is off or on.
  void MakeMask(const QFont& font, const QFontMetrics& fm, const QString& text, TEntry& e);

  std::vector<QFont> fonts_;
  std::unordered_map<std::string, TEntry> entries_;
  // The pixels of all entries, in the order they were made: a repaint
  // reads them front to back.
  std::vector<uint64_t> bits_;
  std::vector<uint64_t> scratch_;
  // Where texts are rendered, grown as needed and kept open.
  QImage image_;
  std::unique_ptr<QPainter> painter_;
  std::size_t bytes_ = 0;
  std::string key_;
  // The last text found: TextOut asks for its width right after drawing.
  std::string lastKey_;
  const TEntry* last_ = nullptr;
};

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
  // Draws Text through Qt: clipped, rotated or not held as pixels.
  void PaintText(int32_t X, int32_t Y, std::string_view Text, const TRect* clip);
  // Sets the pixels of a held text and its opaque background.
  void PaintMask(int32_t X, int32_t Y, const TTextCache::TEntry& text);

  QImage* image_;
  std::unique_ptr<QPainter> painter_;
  // Scratch buffers reused across calls.
  std::vector<raster::TPixel> outline_;
  std::vector<raster::TSpan> spans_;
  std::vector<TPoint> points_;
  TTextCache texts_;
};

}  // namespace nuv
