// The drawing vocabulary: colours, points and rectangles, pen, brush and
// font, and the canvas every drawing routine of the library paints on.
//
// A canvas draws with the classic raster rules, which callers rely on pixel
// for pixel: a line leaves out its end pixel; Rectangle and Ellipse take a
// bounding box whose right and bottom edges are exclusive; fills and
// width-1 outlines are never antialiased, and each pen mode combines the pen
// colour with the pixels already there. The background of dashed lines and
// text is painted in the brush colour while the brush is solid and left
// alone otherwise.
//
// Text is Windows-1252 and converted to Unicode only when it reaches Qt.
// Canvases of bitmaps, controls and the printer draw into images
// (Bitmap.h, Controls.h, Printers.h); TRecordingCanvas (RecordingCanvas.h)
// logs the calls instead.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "nuv/platform/Classes.h"
#include "nuv/platform/Types.h"

class QFont;

namespace nuv {

// ---------------------------------------------------------------------------
// Colours

// 0x00BBGGRR: red in the lowest byte. Values with the top bit set name a
// system colour (index in the low byte); clNone and clDefault are markers.
using TColor = int32_t;

constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}
constexpr uint8_t GetRValue(TColor c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t GetGValue(TColor c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t GetBValue(TColor c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }
constexpr TColor SysColor(int32_t index) {
  return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index & 0xFF));
}

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clLtGray = clSilver;
inline constexpr TColor clDkGray = clGray;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor clScrollBar = SysColor(0);
inline constexpr TColor clBackground = SysColor(1);
inline constexpr TColor clActiveCaption = SysColor(2);
inline constexpr TColor clInactiveCaption = SysColor(3);
inline constexpr TColor clMenu = SysColor(4);
inline constexpr TColor clWindow = SysColor(5);
inline constexpr TColor clWindowFrame = SysColor(6);
inline constexpr TColor clMenuText = SysColor(7);
inline constexpr TColor clWindowText = SysColor(8);
inline constexpr TColor clCaptionText = SysColor(9);
inline constexpr TColor clActiveBorder = SysColor(10);
inline constexpr TColor clInactiveBorder = SysColor(11);
inline constexpr TColor clAppWorkSpace = SysColor(12);
inline constexpr TColor clHighlight = SysColor(13);
inline constexpr TColor clHighlightText = SysColor(14);
inline constexpr TColor clBtnFace = SysColor(15);
inline constexpr TColor clBtnShadow = SysColor(16);
inline constexpr TColor clGrayText = SysColor(17);
inline constexpr TColor clBtnText = SysColor(18);
inline constexpr TColor clInactiveCaptionText = SysColor(19);
inline constexpr TColor clBtnHighlight = SysColor(20);
inline constexpr TColor cl3DDkShadow = SysColor(21);
inline constexpr TColor cl3DLight = SysColor(22);
inline constexpr TColor clInfoText = SysColor(23);
inline constexpr TColor clInfoBk = SysColor(24);
inline constexpr TColor clHotLight = SysColor(26);
inline constexpr TColor clGradientActiveCaption = SysColor(27);
inline constexpr TColor clGradientInactiveCaption = SysColor(28);
inline constexpr TColor clMenuHighlight = SysColor(29);
inline constexpr TColor clMenuBar = SysColor(30);

// The RGB value of a colour. System colours are the theme's colours: while
// a control paints they come from its palette (the disabled group when the
// control is disabled, else the active or inactive group), otherwise from
// the application's palette. Without a GUI application, and for the parts
// the window manager draws (desktop, captions, caption gradients), they
// come from the classic grey scheme (button face $C0C0C0, shadow $808080,
// highlight $FFFFFF), which is also the palette of an application the
// library creates itself (ClassicPalette in Controls.h). Unknown system
// indices give black; other values are returned unchanged.
TColor ColorToRGB(TColor color);

// ---------------------------------------------------------------------------
// Geometry (pixels; y grows downwards)

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int32_t cx = 0;
  int32_t cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// The int32 nearest to v: coordinates that leave the range saturate.
constexpr int32_t SaturatedInt32(int64_t v) {
  return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

// Right and Bottom are exclusive.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  constexpr int32_t Width() const { return SaturatedInt32(int64_t{Right} - Left); }
  constexpr int32_t Height() const { return SaturatedInt32(int64_t{Bottom} - Top); }
  friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(int32_t x, int32_t y) { return {x, y}; }
constexpr TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return {left, top, right, bottom};
}
constexpr TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  return {left, top, SaturatedInt32(int64_t{left} + width), SaturatedInt32(int64_t{top} + height)};
}
// True when p lies inside r (right and bottom edges excluded).
constexpr bool PtInRect(const TRect& r, TPoint p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

// round(number * numerator / denominator), halves away from zero; -1 when
// the denominator is 0 or the result leaves the int32 range.
int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator);

// ---------------------------------------------------------------------------
// Pen, brush, font

enum TPenStyle : uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame
};

// How the pen colour P combines with the pixel D already there.
enum TPenMode : uint8_t {
  pmBlack,        // 0
  pmWhite,        // 1
  pmNop,          // D
  pmNot,          // not D
  pmCopy,         // P
  pmNotCopy,      // not P
  pmMergePenNot,  // P or not D
  pmMaskPenNot,   // P and not D
  pmMergeNotPen,  // not P or D
  pmMaskNotPen,   // not P and D
  pmMerge,        // P or D
  pmNotMerge,     // not (P or D)
  pmMask,         // P and D
  pmNotMask,      // not (P and D)
  pmXor,          // P xor D
  pmNotXor,       // not (P xor D)
};

enum TBrushStyle : uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

// Common base of pen, brush and font: OnChange fires after every change.
class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;

 protected:
  void Changed();
};

class TPen : public TGraphicsObject {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle value);
  // Line width in pixels; values below 1 draw as 1.
  int32_t Width() const { return width_; }
  void SetWidth(int32_t value);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode value);

  void Assign(const TPersistent& Source) override;

 private:
  TColor color_ = clBlack;
  TPenStyle style_ = psSolid;
  int32_t width_ = 1;
  TPenMode mode_ = pmCopy;
};

class TBrush : public TGraphicsObject {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle value);

  void Assign(const TPersistent& Source) override;

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

// A font is kept as its pixel height, so that the same font object draws
// alike on devices of any density; Size is derived from Height and
// PixelsPerInch. Names that other platforms know (for example "Arial",
// "Courier New", "MS Sans Serif") are served by the bundled DejaVu families
// (Screen().Fonts() lists them).
class TFont : public TGraphicsObject {
 public:
  TFont();
  ~TFont() override;

  const std::string& Name() const { return name_; }
  void SetName(std::string_view value);
  // Points: -MulDiv(Height, 72, PixelsPerInch). Setting it sets
  // Height = -MulDiv(Size, PixelsPerInch, 72).
  int32_t Size() const;
  void SetSize(int32_t value);
  // Pixels: negative is the character height (the em), positive the cell
  // height including internal leading.
  int32_t Height() const { return height_; }
  void SetHeight(int32_t value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  // Density that Size refers to; changing it keeps Height. Values below 1
  // are ignored. New fonts take the screen's density.
  int32_t PixelsPerInch() const { return pixels_per_inch_; }
  void SetPixelsPerInch(int32_t value);
  // Angle of the base line in tenths of a degree, counter-clockwise.
  int32_t Escapement() const { return escapement_; }
  void SetEscapement(int32_t value);

  // Copies name, style, colour and escapement, and the height; when the
  // densities differ the size in points is kept instead.
  void Assign(const TPersistent& Source) override;

  // The Qt font this font draws with (pixel-sized, aliased, fixed hinting,
  // no kerning, no fallback to other families). Needs the GUI application,
  // which it creates when the host has none.
  const QFont& QtFont() const;

 private:
  void Modified();

  std::string name_ = "MS Sans Serif";
  int32_t height_ = -11;
  TFontStyles style_ = 0;
  TColor color_ = clWindowText;
  int32_t pixels_per_inch_ = 96;
  int32_t escapement_ = 0;
  mutable std::unique_ptr<QFont> qfont_;
};

// Text metrics of a canvas's font, in pixels.
struct TTextMetric {
  int32_t tmHeight = 0;
  int32_t tmAscent = 0;
  int32_t tmDescent = 0;
  int32_t tmInternalLeading = 0;
  int32_t tmExternalLeading = 0;
  int32_t tmAveCharWidth = 0;
  int32_t tmMaxCharWidth = 0;
  int32_t tmWeight = 0;
  uint8_t tmItalic = 0;
  uint8_t tmUnderlined = 0;
  uint8_t tmStruckOut = 0;
  uint8_t tmPitchAndFamily = 0;
};

// Bits of tmPitchAndFamily. TMPF_FIXED_PITCH set means a variable-pitch font.
inline constexpr uint8_t TMPF_FIXED_PITCH = 0x01;
inline constexpr uint8_t TMPF_VECTOR = 0x02;
inline constexpr uint8_t TMPF_TRUETYPE = 0x04;

// ---------------------------------------------------------------------------
// Canvas

class TGraphic;

// Raster operations of CopyRect (source S, destination D).
using TCopyMode = int32_t;
inline constexpr TCopyMode cmBlackness = 0x00000042;
inline constexpr TCopyMode cmDstInvert = 0x00550009;    // not D
inline constexpr TCopyMode cmMergePaint = 0x00BB0226;   // not S or D
inline constexpr TCopyMode cmNotSrcCopy = 0x00330008;   // not S
inline constexpr TCopyMode cmNotSrcErase = 0x001100A6;  // not (S or D)
inline constexpr TCopyMode cmSrcAnd = 0x008800C6;       // S and D
inline constexpr TCopyMode cmSrcCopy = 0x00CC0020;      // S
inline constexpr TCopyMode cmSrcErase = 0x00440328;     // S and not D
inline constexpr TCopyMode cmSrcInvert = 0x00660046;    // S xor D
inline constexpr TCopyMode cmSrcPaint = 0x00EE0086;     // S or D
inline constexpr TCopyMode cmWhiteness = 0x00FF0062;

// How stretched copies pick their pixels: nearest source pixel, or an
// averaged (smooth) image.
enum TStretchBltMode : uint8_t { sbmColorOnColor, sbmHalftone };

class TCanvas : public TPersistent {
 public:
  ~TCanvas() override;

  TPen* Pen() const { return pen_.get(); }
  TBrush* Brush() const { return brush_.get(); }
  TFont* Font() const { return font_.get(); }
  void SetPen(const TPen* value);
  void SetBrush(const TBrush* value);
  void SetFont(const TFont* value);

  TPoint PenPos() const { return pen_pos_; }
  void SetPenPos(TPoint value) { pen_pos_ = value; }
  TCopyMode CopyMode() const { return copy_mode_; }
  void SetCopyMode(TCopyMode value) { copy_mode_ = value; }
  TStretchBltMode StretchBltMode() const { return stretch_mode_; }
  void SetStretchBltMode(TStretchBltMode value) { stretch_mode_ = value; }
  // True for the printer's canvas (and recording canvases told so).
  bool IsPrinter() const { return is_printer_; }

  void MoveTo(int32_t X, int32_t Y);
  // Line from PenPos to (X, Y) without its end pixel; PenPos becomes (X, Y).
  void LineTo(int32_t X, int32_t Y);
  // Outline in the pen, interior in the brush, right and bottom edges
  // exclusive; swapped corners are put in order.
  void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // Closed outline through every point (vertices included), interior
  // filled by the alternate (even-odd) rule.
  void Polygon(std::span<const TPoint> points);
  void Polygon(std::initializer_list<TPoint> points) {
    Polygon(std::span(points.begin(), points.size()));
  }
  // Open path; the last point is left out like a line's end pixel. PenPos
  // is not used and not changed.
  void Polyline(std::span<const TPoint> points);
  void Polyline(std::initializer_list<TPoint> points) {
    Polyline(std::span(points.begin(), points.size()));
  }
  // Brush only (no pen, no pen mode).
  void FillRect(const TRect& r);
  // One-pixel border of r in the brush colour.
  void FrameRect(const TRect& r);

  // Text with its top-left corner at (X, Y) (rotated by the font's
  // escapement about that point); with a solid brush its cell is filled
  // first. PenPos becomes (X + TextWidth, Y).
  void TextOut(int32_t X, int32_t Y, std::string_view Text);
  // Text at (X, Y) clipped to r.
  void TextRect(const TRect& r, int32_t X, int32_t Y, std::string_view Text);
  TSize TextExtent(std::string_view Text);
  int32_t TextWidth(std::string_view Text) { return TextExtent(Text).cx; }
  int32_t TextHeight(std::string_view Text) { return TextExtent(Text).cy; }
  void GetTextMetrics(TTextMetric& tm);

  // Copies Source's rectangle from Canvas onto Dest with CopyMode,
  // stretching by StretchBltMode when the sizes differ (negative extents
  // mirror).
  void CopyRect(const TRect& Dest, TCanvas& Canvas, const TRect& Source);
  // Draws the whole graphic at (X, Y); a transparent bitmap leaves its
  // transparent colour out.
  void Draw(int32_t X, int32_t Y, const TGraphic& Graphic);
  void StretchDraw(const TRect& r, const TGraphic& Graphic);

  // Colour of a pixel; -1 outside the drawing surface.
  TColor Pixels(int32_t X, int32_t Y);
  // Sets a pixel (no pen mode); outside the surface nothing happens.
  void SetPixels(int32_t X, int32_t Y, TColor Color);
  // The drawable area (0, 0, width, height).
  TRect ClipRect() const { return DoClipRect(); }

  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  explicit TCanvas(bool isPrinter);

  // Drawing primitives of a canvas kind; the public calls have normalised
  // and forwarded their arguments.
  virtual void DoMoveTo(TPoint p) {}
  virtual void DoLine(TPoint from, TPoint to) = 0;
  virtual void DoRectangle(const TRect& r) = 0;
  virtual void DoEllipse(const TRect& r) = 0;
  virtual void DoPolygon(std::span<const TPoint> points) = 0;
  virtual void DoPolyline(std::span<const TPoint> points) = 0;
  virtual void DoFillRect(const TRect& r) = 0;
  virtual void DoFrameRect(const TRect& r) = 0;
  virtual void DoTextOut(int32_t X, int32_t Y, std::string_view Text, const TRect* clip) = 0;
  virtual TSize DoTextExtent(std::string_view Text) = 0;
  virtual void DoGetTextMetrics(TTextMetric& tm) = 0;
  virtual void DoCopyRect(const TRect& Dest, TCanvas& Canvas, const TRect& Source) = 0;
  // Draw passes stretch = false and only r's top-left corner.
  virtual void DoStretchDraw(const TRect& r, const TGraphic& Graphic, bool stretch) = 0;
  virtual TColor DoGetPixel(int32_t X, int32_t Y) = 0;
  virtual void DoSetPixel(int32_t X, int32_t Y, TColor Color) = 0;
  virtual TRect DoClipRect() const = 0;

  void SetIsPrinter(bool value) { is_printer_ = value; }
  // Around every drawing call; they fire OnChanging and OnChange.
  virtual void Changing();
  virtual void Changed();

 private:
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  std::unique_ptr<TFont> font_;
  TPoint pen_pos_;
  TCopyMode copy_mode_ = cmSrcCopy;
  TStretchBltMode stretch_mode_ = sbmColorOnColor;
  bool is_printer_ = false;
};

}  // namespace nuv
