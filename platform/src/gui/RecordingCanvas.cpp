#include "nuv/platform/RecordingCanvas.h"

#include "nuv/platform/Bitmap.h"

namespace nuv {

std::string TCanvasCall::ToString() const {
  std::string s = Op + "(";
  for (std::size_t i = 0; i < Args.size(); ++i) {
    if (i > 0) s += ',';
    s += std::to_string(Args[i]);
  }
  if (Op == "TextOut" || Op == "TextRect") s += (Args.empty() ? "'" : ",'") + Text + "'";
  return s + ")";
}

TRecordingCanvas::TRecordingCanvas(int32_t width, int32_t height, bool isPrinter)
    : TCanvas(isPrinter), width_(width), height_(height) {}

std::vector<std::string> TRecordingCanvas::CallStrings() const {
  std::vector<std::string> out;
  out.reserve(calls_.size());
  for (const TCanvasCall& c : calls_) out.push_back(c.ToString());
  return out;
}

void TRecordingCanvas::Clear() {
  calls_.clear();
  pixels_.clear();
}

void TRecordingCanvas::Record(const char* op, std::vector<int32_t> args, std::string_view text) {
  TCanvasCall c;
  c.Op = op;
  c.Args = std::move(args);
  c.Text = text;
  c.PenColor = Pen()->Color();
  c.PenStyle = Pen()->Style();
  c.PenWidth = Pen()->Width();
  c.PenMode = Pen()->Mode();
  c.BrushColor = Brush()->Color();
  c.BrushStyle = Brush()->Style();
  c.FontName = Font()->Name();
  c.FontHeight = Font()->Height();
  c.FontStyle = Font()->Style();
  c.FontColor = Font()->Color();
  c.FontEscapement = Font()->Escapement();
  calls_.push_back(std::move(c));
}

std::vector<int32_t> TRecordingCanvas::Flatten(std::span<const TPoint> points) {
  std::vector<int32_t> args;
  args.reserve(points.size() * 2);
  for (const TPoint& p : points) {
    args.push_back(p.X);
    args.push_back(p.Y);
  }
  return args;
}

void TRecordingCanvas::DoMoveTo(TPoint p) { Record("MoveTo", {p.X, p.Y}); }
void TRecordingCanvas::DoLine(TPoint, TPoint to) { Record("LineTo", {to.X, to.Y}); }
void TRecordingCanvas::DoRectangle(const TRect& r) {
  Record("Rectangle", {r.Left, r.Top, r.Right, r.Bottom});
}
void TRecordingCanvas::DoEllipse(const TRect& r) {
  Record("Ellipse", {r.Left, r.Top, r.Right, r.Bottom});
}
void TRecordingCanvas::DoPolygon(std::span<const TPoint> points) {
  Record("Polygon", Flatten(points));
}
void TRecordingCanvas::DoPolyline(std::span<const TPoint> points) {
  Record("Polyline", Flatten(points));
}
void TRecordingCanvas::DoFillRect(const TRect& r) {
  Record("FillRect", {r.Left, r.Top, r.Right, r.Bottom});
}
void TRecordingCanvas::DoFrameRect(const TRect& r) {
  Record("FrameRect", {r.Left, r.Top, r.Right, r.Bottom});
}

void TRecordingCanvas::DoTextOut(int32_t X, int32_t Y, std::string_view Text, const TRect* clip) {
  if (clip)
    Record("TextRect", {clip->Left, clip->Top, clip->Right, clip->Bottom, X, Y}, Text);
  else
    Record("TextOut", {X, Y}, Text);
}

TSize TRecordingCanvas::DoTextExtent(std::string_view Text) {
  return {static_cast<int32_t>(Text.size()) * char_width_, line_height_};
}

void TRecordingCanvas::DoGetTextMetrics(TTextMetric& tm) {
  tm = {};
  tm.tmHeight = line_height_;
  tm.tmAscent = line_height_ - line_height_ / 4;
  tm.tmDescent = line_height_ / 4;
  tm.tmAveCharWidth = char_width_;
  tm.tmMaxCharWidth = char_width_;
  tm.tmWeight = (Font()->Style() & FontStyleBit(fsBold)) ? 700 : 400;
  tm.tmPitchAndFamily = TMPF_VECTOR | TMPF_TRUETYPE;
}

void TRecordingCanvas::DoCopyRect(const TRect& Dest, TCanvas&, const TRect& Source) {
  Record("CopyRect", {Dest.Left, Dest.Top, Dest.Right, Dest.Bottom, Source.Left, Source.Top,
                      Source.Right, Source.Bottom});
}

void TRecordingCanvas::DoStretchDraw(const TRect& r, const TGraphic& Graphic, bool stretch) {
  if (stretch)
    Record("StretchDraw", {r.Left, r.Top, r.Right, r.Bottom});
  else
    Record("Draw", {r.Left, r.Top, Graphic.Width(), Graphic.Height()});
}

TColor TRecordingCanvas::DoGetPixel(int32_t X, int32_t Y) {
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_) return -1;
  const auto it = pixels_.find({X, Y});
  return it == pixels_.end() ? clWhite : it->second;
}

void TRecordingCanvas::DoSetPixel(int32_t X, int32_t Y, TColor Color) {
  Record("SetPixels", {X, Y, Color});
  if (X >= 0 && Y >= 0 && X < width_ && Y < height_) pixels_[{X, Y}] = Color;
}

}  // namespace nuv
