// A canvas that draws nothing and records every drawing call together with
// the pen, brush and font it was made with, so that tests can check call
// sequences and the arithmetic behind them without depending on fonts or
// pixels. Text metrics are synthetic (CharWidth pixels per character,
// LineHeight per line; 7 and 13 unless set), so expected positions come
// from the same canvas's TextWidth and TextHeight. Pixels set through
// SetPixels read back; all others read white inside the canvas's size and
// -1 outside.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "nuv/platform/Graphics.h"

namespace nuv {

struct TCanvasCall {
  std::string Op;             // "MoveTo", "LineTo", "Rectangle", "Ellipse", "Polygon", ...
  std::vector<int32_t> Args;  // coordinates as passed, points flattened (X, Y, X, Y ...)
  std::string Text;           // the text of TextOut and TextRect
  TColor PenColor = clBlack;
  TPenStyle PenStyle = psSolid;
  int32_t PenWidth = 1;
  TPenMode PenMode = pmCopy;
  TColor BrushColor = clWhite;
  TBrushStyle BrushStyle = bsSolid;
  std::string FontName;
  int32_t FontHeight = 0;
  TFontStyles FontStyle = 0;
  TColor FontColor = clBlack;
  int32_t FontEscapement = 0;

  // "LineTo(3,4)", "TextOut(10,10,'A')".
  std::string ToString() const;
};

class TRecordingCanvas : public TCanvas {
 public:
  explicit TRecordingCanvas(int32_t width = 640, int32_t height = 480, bool isPrinter = false);

  const std::vector<TCanvasCall>& Calls() const { return calls_; }
  // ToString of every call, in order.
  std::vector<std::string> CallStrings() const;
  void Clear();

  int32_t CharWidth() const { return char_width_; }
  void SetCharWidth(int32_t value) { char_width_ = value; }
  int32_t LineHeight() const { return line_height_; }
  void SetLineHeight(int32_t value) { line_height_ = value; }
  using TCanvas::SetIsPrinter;

 protected:
  void DoMoveTo(TPoint p) override;
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
  TRect DoClipRect() const override { return {0, 0, width_, height_}; }

 private:
  void Record(const char* op, std::vector<int32_t> args, std::string_view text = {});
  static std::vector<int32_t> Flatten(std::span<const TPoint> points);

  std::vector<TCanvasCall> calls_;
  std::map<std::pair<int32_t, int32_t>, TColor> pixels_;
  int32_t width_;
  int32_t height_;
  int32_t char_width_ = 7;
  int32_t line_height_ = 13;
};

}  // namespace nuv
