// Frames and data-point marks.
#include <algorithm>
#include <array>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Bitmap.h"

namespace nuv {

namespace {

int32_t Offset(int32_t v, int32_t d) { return SaturatedInt32(int64_t{v} + d); }

// Draws around a centre pixel with offsets that saturate instead of
// overflowing, so that marks far outside the canvas are merely clipped.
class TMarkPainter {
 public:
  TMarkPainter(TCanvas& canvas, int32_t x, int32_t y) : c_(canvas), x_(x), y_(y) {}

  TPoint At(int32_t dx, int32_t dy) const { return {Offset(x_, dx), Offset(y_, dy)}; }

  void MoveTo(int32_t dx, int32_t dy) {
    const TPoint p = At(dx, dy);
    c_.MoveTo(p.X, p.Y);
  }
  void LineTo(int32_t dx, int32_t dy) {
    const TPoint p = At(dx, dy);
    c_.LineTo(p.X, p.Y);
  }
  void Line(int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2) {
    MoveTo(dx1, dy1);
    LineTo(dx2, dy2);
  }
  void Pixel(int32_t dx, int32_t dy) {
    const TPoint p = At(dx, dy);
    c_.SetPixels(p.X, p.Y, c_.Pen()->Color());
  }
  // Closed path through the points, drawn with lines.
  void Path(std::initializer_list<TPoint> offsets) {
    MoveTo(offsets.begin()->X, offsets.begin()->Y);
    for (auto it = offsets.begin() + 1; it != offsets.end(); ++it) LineTo(it->X, it->Y);
    LineTo(offsets.begin()->X, offsets.begin()->Y);
  }

  // The canvas's filled primitives, outline and fill in the pen's colour.
  void FilledRect(int32_t a1, int32_t b1, int32_t a2, int32_t b2) {
    Fill();
    Rect(a1, b1, a2, b2);
  }
  void FilledEllipse(int32_t a1, int32_t b1, int32_t a2, int32_t b2) {
    Fill();
    Ellipse(a1, b1, a2, b2);
  }
  void FilledPolygon(std::initializer_list<TPoint> offsets) {
    Fill();
    Polygon(offsets);
  }
  // Outlines: the brush is cleared for the primitive and left solid.
  void OpenRect(int32_t a1, int32_t b1, int32_t a2, int32_t b2) {
    c_.Brush()->SetStyle(bsClear);
    Rect(a1, b1, a2, b2);
    SolidBrush();
  }
  void OpenEllipse(int32_t a1, int32_t b1, int32_t a2, int32_t b2) {
    c_.Brush()->SetStyle(bsClear);
    Ellipse(a1, b1, a2, b2);
    SolidBrush();
  }
  void OpenPolygon(std::initializer_list<TPoint> offsets) {
    c_.Brush()->SetStyle(bsClear);
    Polygon(offsets);
    SolidBrush();
  }
  void SolidBrush() { c_.Brush()->SetStyle(bsSolid); }
  void Triangle(const std::array<TPoint, 3>& offsets, bool filled) {
    const std::initializer_list<TPoint> points{offsets[0], offsets[1], offsets[2]};
    filled ? FilledPolygon(points) : OpenPolygon(points);
  }

  // Sets the pixels of a 7 x 7 pattern, row dy = -3 first, bit dx + 3.
  void Pattern(const std::array<uint8_t, 7>& rows) {
    for (int32_t dy = -3; dy <= 3; ++dy)
      for (int32_t dx = -3; dx <= 3; ++dx)
        if (rows[dy + 3] & (1u << (dx + 3))) Pixel(dx, dy);
  }

 private:
  void Fill() { c_.Brush()->SetColor(c_.Pen()->Color()); }
  void Rect(int32_t a1, int32_t b1, int32_t a2, int32_t b2) {
    const TPoint p = At(a1, b1), q = At(a2, b2);
    c_.Rectangle(p.X, p.Y, q.X, q.Y);
  }
  void Ellipse(int32_t a1, int32_t b1, int32_t a2, int32_t b2) {
    const TPoint p = At(a1, b1), q = At(a2, b2);
    c_.Ellipse(p.X, p.Y, q.X, q.Y);
  }
  void Polygon(std::initializer_list<TPoint> offsets) {
    std::array<TPoint, 4> points;
    std::size_t n = 0;
    for (const TPoint& o : offsets) points[n++] = At(o.X, o.Y);
    c_.Polygon(std::span<const TPoint>(points.data(), n));
  }

  TCanvas& c_;
  int32_t x_;
  int32_t y_;
};

using TPatternRows = std::array<uint8_t, 7>;

template <class Inside>
constexpr TPatternRows MakePattern(Inside inside) {
  TPatternRows rows{};
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx)
      if (inside(dx, dy)) rows[dy + 3] = static_cast<uint8_t>(rows[dy + 3] | (1u << (dx + 3)));
  return rows;
}

constexpr int Abs(int v) { return v < 0 ? -v : v; }

constexpr TPatternRows PlusPattern(int arm) {
  return MakePattern([arm](int dx, int dy) {
    return (dx == 0 && Abs(dy) <= arm) || (dy == 0 && Abs(dx) <= arm);
  });
}

constexpr TPatternRows CrossPattern(int arm) {
  return MakePattern([arm](int dx, int dy) { return Abs(dx) == Abs(dy) && Abs(dx) <= arm; });
}

constexpr TPatternRows kChecker = MakePattern([](int dx, int dy) { return (dx + dy) % 2 == 0; });

// Rows dy = +-3, +-2, +-1, 0 as listed: the two diagonals three pixels wide.
constexpr TPatternRows kThickCross = MakePattern([](int dx, int dy) {
  switch (Abs(dy)) {
    case 3:
      return Abs(dx) >= 2;
    case 2:
      return dx != 0;
    case 1:
      return Abs(dx) <= 2;
    default:
      return Abs(dx) <= 1;
  }
});

// The triangles of marks 33-36 and 40-47, each drawn open and filled:
// pointing down and up, then left, left larger, right, right larger.
constexpr std::array<TPoint, 3> kTriangles[] = {
    {{{-4, -3}, {0, 4}, {4, -3}}}, {{{-4, 3}, {0, -4}, {4, 3}}},  {{{3, -2}, {-2, 0}, {3, 2}}},
    {{{4, -3}, {-3, 0}, {4, 3}}},  {{{-3, -2}, {2, 0}, {-3, 2}}}, {{{-4, -3}, {3, 0}, {-4, 3}}},
};

constexpr std::array<TPatternRows, 3> kPlus{PlusPattern(1), PlusPattern(2), PlusPattern(3)};
constexpr std::array<TPatternRows, 3> kCross{CrossPattern(1), CrossPattern(2), CrossPattern(3)};

// The marks that the screen sets from patterns and the printer draws with
// lines (its pixels are too small for patterns).
void DrawPatternMark(TMarkPainter& m, uint8_t mark, bool printer) {
  if (!printer) {
    switch (mark) {
      case 1: case 2: case 3:
        return m.Pattern(kPlus[mark - 1]);
      case 4: case 5: case 6:
        return m.Pattern(kCross[mark - 4]);
      case 18:
        return m.Pattern(kChecker);
      default:
        return m.Pattern(kThickCross);
    }
  }
  switch (mark) {
    case 1: case 2: case 3: {
      const int32_t a = mark + 1;
      m.Line(-a, 0, a, 0);
      return m.Line(0, -a, 0, a);
    }
    case 4: case 5: case 6: {
      const int32_t a = mark - 2;
      m.Line(-a, -a, a, a);
      return m.Line(-a, a, a, -a);
    }
    case 18:
      for (int32_t dy = -3; dy <= 3; ++dy)
        for (int32_t dx = -3; dx <= 3; ++dx)
          if ((dx + dy) % 2 == 0) m.Line(dx, dy, dx + 1, dy);
      return;
    default:
      m.Line(-3, -3, 3, 3);
      m.Line(-3, -2, 2, 3);
      m.Line(-2, -3, 3, 2);
      m.Line(-3, 3, 3, -3);
      m.Line(-3, 2, 2, -3);
      return m.Line(-2, 3, 3, -2);
  }
}

void DrawShapeMark(TMarkPainter& m, uint8_t mark, bool printer) {
  switch (mark) {
    case 0:
      return m.Pixel(0, 0);
    case 1: case 2: case 3: case 4: case 5: case 6: case 18: case 25:
      return DrawPatternMark(m, mark, printer);
    case 7: case 8: case 9: {
      const int32_t a = mark - 6;
      return m.FilledRect(-a, -a, a + 1, a + 1);
    }
    case 10: case 11: case 12: {
      const int32_t a = mark - 9;
      return m.Path({{-a, -a}, {-a, a}, {a, a}, {a, -a}});
    }
    case 13:
      m.Path({{-3, 0}, {0, 3}, {3, 0}, {0, -3}});
      return m.Pixel(0, 0);
    case 14: case 15: {
      const int32_t a = mark - 12;
      return m.FilledPolygon({{-a, 0}, {0, a}, {a, 0}, {0, -a}});
    }
    case 16:
      return m.OpenEllipse(-2, -2, 3, 3);
    case 17:
      return m.OpenEllipse(-3, -3, 4, 4);
    case 19:
      return m.Path({{-3, 0}, {0, 3}, {3, 0}, {0, -3}});
    case 20: case 21: {
      const int32_t a = mark - 17;
      m.Line(0, 0, -a, a);
      return m.Line(0, 0, a, a);
    }
    case 22: case 23: {
      const int32_t a = mark - 19;
      m.Line(0, 0, -a, -a);
      return m.Line(0, 0, a, -a);
    }
    case 24:
      return m.FilledEllipse(-3, -3, 4, 4);
    case 26:
      return m.FilledEllipse(-2, -2, 3, 3);
    case 27:
      return m.OpenEllipse(-2, -2, 2, 2);
    case 28:
      return m.FilledEllipse(-2, -2, 2, 2);
    case 29: case 30: {
      const int32_t a = mark - 27;
      return m.FilledPolygon({{-a, 0}, {0, a}, {a, 0}});
    }
    case 31: case 32: {
      const int32_t a = mark - 29;
      return m.OpenPolygon({{-a, 0}, {0, a}, {a, 0}});
    }
    case 33: case 34: case 35: case 36:
      return m.Triangle(kTriangles[(mark - 33) / 2], mark % 2 == 0);
    case 37:
      m.Line(-3, 0, 4, 0);
      return m.Line(0, 0, 0, -8);
    case 38:
      m.Line(-3, -2, 4, -2);
      m.Line(-3, 2, 4, 2);
      return m.Line(0, -2, 0, 2);
    case 39:
      m.OpenEllipse(-3, -3, 4, 4);
      m.Line(-3, 0, 4, 0);
      return m.Line(0, -3, 0, 4);
    case 40: case 41: case 42: case 43: case 44: case 45: case 46: case 47:
      return m.Triangle(kTriangles[2 + (mark - 40) / 2], mark % 2 == 1);
    case 48:
      m.OpenRect(-3, -3, 4, 4);
      m.Line(-3, 0, 4, 0);
      return m.Line(0, -3, 0, 4);
    case 49:
      m.OpenRect(-2, -2, 3, 3);
      m.Line(-4, 0, 5, 0);
      return m.Line(0, -4, 0, 5);
    case 50:
      m.SolidBrush();
      m.Line(-4, 0, 5, 0);
      m.Line(0, -4, 0, 5);
      m.Line(-3, -3, 4, 4);
      return m.Line(-3, 3, 4, -4);
    default:  // 51
      m.SolidBrush();
      m.Line(-4, 0, 5, 0);
      m.Line(0, -4, 0, 5);
      m.Line(-1, -3, 2, -3);
      m.Line(-1, 3, 2, 3);
      m.Line(-3, -1, -3, 2);
      return m.Line(3, -1, 3, 2);
  }
}

void DrawCharacterMark(TCanvas& canvas, uint8_t mark, int32_t x, int32_t y) {
  const char c = mark >= 200 && mark <= 209 ? static_cast<char>('0' + (mark - 200))
                                            : static_cast<char>(mark);
  const std::string_view text(&c, 1);
  const TSize extent = canvas.TextExtent(text);
  canvas.TextOut(Offset(x, -(extent.cx / 2)), Offset(y, -(extent.cy / 2)), text);
}

constexpr int32_t kLastShape = 51;

}  // namespace

void DrawRectangle(TCanvas& Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Canvas.MoveTo(X1, Y1);
  Canvas.LineTo(X1, Y2);
  Canvas.LineTo(X2, Y2);
  Canvas.LineTo(X2, Y1);
  Canvas.LineTo(X1, Y1);
}

void DrawFrame(TCanvas& Canvas, int32_t FrameStyle, int32_t Left, int32_t Top, int32_t Right,
               int32_t Bottom, TColor Color1, TColor Color2, TColor Color3, TColor Color4,
               TColor Color5) {
  // The low seven bits: the remainder modulo 128 of negative values too.
  const int32_t style = FrameStyle & 0x7F;
  if (style == fsSimple) {
    Canvas.Pen()->SetColor(Color5);
    return DrawRectangle(Canvas, Left, Top, Right, Bottom);
  }
  struct TBevel {
    TColor A, B, C, D;  // outer top-left, outer bottom-right, inner top-left, inner bottom-right
  };
  TBevel bevel;
  switch (style) {
    case fsLowered:
      bevel = {Color3, Color1, Color4, Color2};
      break;
    case fsRaised:
      bevel = {Color1, Color4, Color2, Color3};
      break;
    case fsEmbossed:
      bevel = {Color1, Color3, Color3, Color1};
      break;
    case fsEngraved:
      bevel = {Color3, Color1, Color1, Color3};
      break;
    default:
      return;
  }
  TPen& pen = *Canvas.Pen();
  pen.SetColor(bevel.A);
  Canvas.MoveTo(Left, Bottom);
  Canvas.LineTo(Left, Top);
  Canvas.LineTo(Offset(Right, 1), Top);
  Canvas.MoveTo(Right, Offset(Top, 1));
  pen.SetColor(bevel.B);
  Canvas.LineTo(Right, Bottom);
  Canvas.LineTo(Offset(Left, -1), Bottom);
  pen.SetColor(bevel.C);
  Canvas.MoveTo(Offset(Left, 1), Offset(Bottom, -1));
  Canvas.LineTo(Offset(Left, 1), Offset(Top, 1));
  Canvas.LineTo(Right, Offset(Top, 1));
  Canvas.MoveTo(Offset(Right, -1), Offset(Top, 2));
  pen.SetColor(bevel.D);
  Canvas.LineTo(Offset(Right, -1), Offset(Bottom, -1));
  Canvas.LineTo(Left, Offset(Bottom, -1));
}

void DrawMarkOnCanvas(TCanvas& Canvas, uint8_t Mark, int32_t X, int32_t Y) {
  if (Mark > kLastShape) return DrawCharacterMark(Canvas, Mark, X, Y);
  const TColor brush = Canvas.Brush()->Color();
  TMarkPainter m(Canvas, X, Y);
  DrawShapeMark(m, Mark, Canvas.IsPrinter());
  Canvas.Brush()->SetColor(brush);
}

std::unique_ptr<TBitmap> CreateMarkAsBitmap(uint8_t Mark, TColor Color, TColor BkgColor,
                                            int32_t Size) {
  const int32_t margin = std::clamp(Size, 0, 255);
  const int32_t side = 2 * margin + 7;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(side, side);
  TCanvas& canvas = *bitmap->Canvas();
  canvas.Pen()->SetColor(BkgColor);
  canvas.Brush()->SetColor(BkgColor);
  canvas.Brush()->SetStyle(bsSolid);
  canvas.Rectangle(0, 0, side, side);
  canvas.Pen()->SetColor(Color);
  DrawMarkOnCanvas(canvas, Mark, margin + 3, margin + 3);
  return bitmap;
}

}  // namespace nuv
