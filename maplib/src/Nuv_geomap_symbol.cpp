// Landmark symbols and captions of Nuv_geomap, on any canvas.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "Nuv_geomap_view_parts.h"
#include "nuv/Nuv_geomap_landmarks.h"

namespace nuv {

namespace {

constexpr double kDegree = std::numbers::pi / 180;
// Half the opening of an arrow head, from the shaft.
constexpr double kArrowBarbAngle = 30;

int32_t ClampExtent(int32_t v) { return std::clamp(v, -MaxSymbolExtent, MaxSymbolExtent); }

TPoint Offset(int32_t X, int32_t Y, int64_t dx, int64_t dy) {
  return {SaturatedInt32(X + dx), SaturatedInt32(Y + dy)};
}

// The point Distance pixels from (X, Y) in direction Degrees (0 up,
// clockwise), rounded.
TPoint Polar(int32_t X, int32_t Y, double Degrees, double Distance) {
  const double a = Degrees * kDegree;
  return Offset(X, Y, std::llround(Distance * std::sin(a)), std::llround(-Distance * std::cos(a)));
}

void Line(TCanvas& c, TPoint a, TPoint b) {
  c.MoveTo(a.X, a.Y);
  c.LineTo(b.X, b.Y);
}

// Horizontal and vertical bars from -s to +s through (X, Y), end pixels
// included.
void Plus(TCanvas& c, int32_t X, int32_t Y, int32_t s) {
  Line(c, Offset(X, Y, -s, 0), Offset(X, Y, int64_t{s} + 1, 0));
  Line(c, Offset(X, Y, 0, -s), Offset(X, Y, 0, int64_t{s} + 1));
}

void SetBrush(TCanvas& c, TColor Color, bool Transparent) {
  c.Brush()->SetColor(Color);
  c.Brush()->SetStyle(Transparent ? bsClear : bsSolid);
}

// The square from (X - s, Y - s) to (X + s, Y + s), both edges included.
TRect Square(int32_t X, int32_t Y, int32_t s) {
  const TPoint a = Offset(X, Y, -s, -s), b = Offset(X, Y, int64_t{s} + 1, int64_t{s} + 1);
  return {a.X, a.Y, b.X, b.Y};
}

void DrawSquare(TCanvas& c, int32_t X, int32_t Y, TColor Fg, TColor Bg, int32_t s, bool Transp) {
  const int32_t r = std::abs(s);
  if (Transp) {
    c.Pen()->SetColor(Fg);
    SetBrush(c, Bg, true);
    c.Rectangle(Square(X, Y, r));
    return;
  }
  // An outline in the background colour around the framed square, as the
  // cross's halo.
  c.Pen()->SetColor(Bg);
  SetBrush(c, Bg, true);
  c.Rectangle(Square(X, Y, r));
  c.Pen()->SetColor(Fg);
  SetBrush(c, Bg, false);
  if (r > 0) c.Rectangle(Square(X, Y, r - 1));
}

void DrawShape(TCanvas& c, std::initializer_list<TPoint> Points, TColor Fg, TColor Bg,
               bool Transp) {
  c.Pen()->SetColor(Fg);
  SetBrush(c, Bg, Transp);
  c.Polygon(Points);
}

void DrawArrowHead(TCanvas& c, TPoint Tip, double Degrees, int32_t s, TColor Fg, TColor Bg,
                   bool Transp) {
  // Barbs lie back from the tip, against the direction the head points.
  const TPoint a = Polar(Tip.X, Tip.Y, Degrees + 180 - kArrowBarbAngle, s);
  const TPoint b = Polar(Tip.X, Tip.Y, Degrees + 180 + kArrowBarbAngle, s);
  if (Transp) {
    c.Pen()->SetColor(Fg);
    Line(c, a, Tip);
    Line(c, b, Tip);
    return;
  }
  DrawShape(c, {Tip, a, b}, Fg, Bg, false);
}

}  // namespace

void DrawLandMarkSymbolOnCanvas(TCanvas& Canvas, int32_t X, int32_t Y, TLandMarkElement Element,
                                TColor ColorFg, TColor ColorBg, int32_t Size, int32_t Dir,
                                int32_t Leng, bool Transparent) {
  TCanvas& c = Canvas;
  const int32_t s = ClampExtent(Size);
  const double dir = static_cast<double>(Dir % 360);
  switch (Element) {
    case lmCross:
      if (!Transparent) {
        // The halo: the plus drawn nine times, shifted by -1..1 on both
        // axes, covers three rows and three columns one pixel longer.
        const int64_t r = int64_t{std::abs(s)} + 1;
        c.Pen()->SetColor(ColorBg);
        for (int32_t d = -1; d <= 1; ++d) {
          Line(c, Offset(X, Y, -r, d), Offset(X, Y, r + 1, d));
          Line(c, Offset(X, Y, d, -r), Offset(X, Y, d, r + 1));
        }
      }
      c.Pen()->SetColor(ColorFg);
      Plus(c, X, Y, std::abs(s));
      return;
    case lmSquare:
      DrawSquare(c, X, Y, ColorFg, ColorBg, s, Transparent);
      return;
    case lmCrossBox: {
      DrawSquare(c, X, Y, ColorFg, ColorBg, s, Transparent);
      const int32_t r = std::abs(s);
      c.Pen()->SetColor(ColorFg);
      Line(c, Offset(X, Y, -r, -r), Offset(X, Y, int64_t{r} + 1, int64_t{r} + 1));
      Line(c, Offset(X, Y, -r, r), Offset(X, Y, int64_t{r} + 1, -int64_t{r} - 1));
      return;
    }
    case lmTriangle:
      DrawShape(c, {Polar(X, Y, dir, s), Polar(X, Y, dir + 120, s), Polar(X, Y, dir + 240, s)},
                ColorFg, ColorBg, Transparent);
      return;
    case lmCircle: {
      const int32_t r = std::abs(s);
      c.Pen()->SetColor(ColorFg);
      SetBrush(c, ColorBg, Transparent);
      c.Ellipse(Square(X, Y, r));
      return;
    }
    case lmArrowFrom:
    case lmArrowTo: {
      const TPoint from{X, Y};
      const TPoint to = Polar(X, Y, dir, ClampExtent(Leng));
      c.Pen()->SetColor(ColorFg);
      Line(c, from, to);
      if (Element == lmArrowFrom)
        DrawArrowHead(c, to, dir, s, ColorFg, ColorBg, Transparent);
      else
        DrawArrowHead(c, from, dir + 180, s, ColorFg, ColorBg, Transparent);
      return;
    }
    case lmSpade: {
      const int32_t r = std::abs(s);
      DrawShape(c,
                {Offset(X, Y, 0, -r), Offset(X, Y, r, 0), Offset(X, Y, 0, r), Offset(X, Y, -r, 0)},
                ColorFg, ColorBg, Transparent);
      return;
    }
    case lmUserDef:
      return;
  }
  c.Pen()->SetColor(ColorFg);
  Line(c, Offset(X, Y, -4, 0), Offset(X, Y, 5, 0));
  Line(c, Offset(X, Y, 0, -4), Offset(X, Y, 0, 5));
}

TPoint LandMarkCaptionOrigin(int32_t X, int32_t Y, const TLMTextProperties& Caption, int32_t Width,
                             int32_t Height) {
  double s = 0, v = 0;
  if (Caption.HorAlign == 1 || Caption.HorAlign == 2) {
    s = Caption.HorAlign == 1 ? Width : Width / 2;
    v = Caption.VertAlign == 1 ? Height / 2 : Caption.VertAlign == 2 ? Height : 0;
  }
  const double theta = static_cast<double>(Caption.Dir % 360) * kDegree;
  const double ox = -s * std::cos(theta) - v * std::sin(theta);
  const double oy = s * std::sin(theta) - v * std::cos(theta);
  return {geomap::RoundSat(static_cast<double>(X) + Caption.Dx + ox),
          geomap::RoundSat(static_cast<double>(Y) + Caption.Dy + oy)};
}

void DrawLandMarkCaption(TCanvas& Canvas, int32_t X, int32_t Y, const TLMTextProperties& Caption) {
  if (Caption.Text.Empty()) return;
  TFont& f = *Canvas.Font();
  // Setting a font property rebuilds the font: only what differs is set.
  if (f.Name() != Caption.FontName) f.SetName(Caption.FontName);
  const int32_t size = std::clamp(Caption.FontSize, 1, MaxCaptionFontSize);
  if (f.Size() != size) f.SetSize(size);
  if (f.Style() != Caption.FontStyle) f.SetStyle(Caption.FontStyle);
  if (f.Color() != Caption.FgColor) f.SetColor(Caption.FgColor);
  const int32_t escapement = (Caption.Dir % 360) * 10;
  if (f.Escapement() != escapement) f.SetEscapement(escapement);
  SetBrush(Canvas, Caption.BgColor, Caption.Transparent);
  const std::string_view text = Caption.Text.View();
  // Only the alignments 1 and 2 need the text's size.
  const bool aligned = Caption.HorAlign == 1 || Caption.HorAlign == 2;
  const TSize extent = aligned ? Canvas.TextExtent(text) : TSize{};
  const TPoint p = LandMarkCaptionOrigin(X, Y, Caption, extent.cx, extent.cy);
  Canvas.TextOut(p.X, p.Y, text);
}

}  // namespace nuv
