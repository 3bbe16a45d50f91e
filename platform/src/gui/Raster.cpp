#include "Raster.h"

#include <algorithm>
#include <cstdlib>

namespace nuv::raster {

namespace {

constexpr uint32_t kAlpha = 0xFF000000u;

uint32_t RopBlack(uint32_t, uint32_t) { return kAlpha; }
uint32_t RopWhite(uint32_t, uint32_t) { return 0xFFFFFFFFu; }
uint32_t RopNot(uint32_t d, uint32_t) { return ~d | kAlpha; }
uint32_t RopCopy(uint32_t, uint32_t s) { return s | kAlpha; }
uint32_t RopNotCopy(uint32_t, uint32_t s) { return ~s | kAlpha; }
uint32_t RopMergePenNot(uint32_t d, uint32_t s) { return (s | ~d) | kAlpha; }
uint32_t RopMaskPenNot(uint32_t d, uint32_t s) { return (s & ~d) | kAlpha; }
uint32_t RopMergeNotPen(uint32_t d, uint32_t s) { return (~s | d) | kAlpha; }
uint32_t RopMaskNotPen(uint32_t d, uint32_t s) { return (~s & d) | kAlpha; }
uint32_t RopMerge(uint32_t d, uint32_t s) { return (s | d) | kAlpha; }
uint32_t RopNotMerge(uint32_t d, uint32_t s) { return ~(s | d) | kAlpha; }
uint32_t RopMask(uint32_t d, uint32_t s) { return (s & d) | kAlpha; }
uint32_t RopNotMask(uint32_t d, uint32_t s) { return ~(s & d) | kAlpha; }
uint32_t RopXor(uint32_t d, uint32_t s) { return (s ^ d) | kAlpha; }
uint32_t RopNotXor(uint32_t d, uint32_t s) { return ~(s ^ d) | kAlpha; }

constexpr TRopFn kPenRops[] = {
    RopBlack,       RopWhite,      nullptr,        RopNot,        RopCopy,  RopNotCopy,
    RopMergePenNot, RopMaskPenNot, RopMergeNotPen, RopMaskNotPen, RopMerge, RopNotMerge,
    RopMask,        RopNotMask,    RopXor,         RopNotXor,
};
static_assert(std::size(kPenRops) == pmNotXor + 1);

constexpr THatch kHatches[] = {
    {0xFF, 0, 0, 0, 0, 0, 0, 0},                          // bsHorizontal
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01},     // bsVertical
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},     // bsFDiagonal
    {0x01, 0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02},     // bsBDiagonal
    {0xFF, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01},     // bsCross
    {0x01 | 0x01, 0x02 | 0x80, 0x04 | 0x40, 0x08 | 0x20,  // bsDiagCross
     0x10 | 0x10, 0x20 | 0x08, 0x40 | 0x04, 0x80 | 0x02},
};

// The cosmetic dash patterns of the classic raster devices.
constexpr TDash kDashes[] = {
    {{18, 6}, 2, 24},             // psDash
    {{3, 3}, 2, 6},               // psDot
    {{9, 6, 3, 6}, 4, 24},        // psDashDot
    {{9, 3, 3, 3, 3, 3}, 6, 24},  // psDashDotDot
};

using Wide = __int128;

// ceil(num / den) for den > 0.
int64_t CeilDiv(Wide num, Wide den) {
  Wide q = num / den;
  if (num % den != 0 && num > 0) ++q;
  return static_cast<int64_t>(q);
}

bool ByRowThenColumn(const TPixel& a, const TPixel& b) {
  return a.Y != b.Y ? a.Y < b.Y : a.X < b.X;
}

}  // namespace

uint32_t PixelOf(TColor color) {
  const TColor c = ColorToRGB(color);
  return kAlpha | (static_cast<uint32_t>(GetRValue(c)) << 16) |
         (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

TColor ColorOf(uint32_t pixel) {
  return RGB(static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
             static_cast<uint8_t>(pixel));
}

TRopFn PenRop(TPenMode mode) { return mode <= pmNotXor ? kPenRops[mode] : RopCopy; }

const THatch* HatchOf(TBrushStyle style) {
  return style >= bsHorizontal && style <= bsDiagCross ? &kHatches[style - bsHorizontal] : nullptr;
}

const TDash* DashOf(TPenStyle style) {
  return style >= psDash && style <= psDashDotDot ? &kDashes[style - psDash] : nullptr;
}

bool DashOn(const TDash* dash, int64_t step) {
  if (!dash) return true;
  int64_t pos = step % dash->Period;
  for (int32_t i = 0; i < dash->Count; ++i) {
    if (pos < dash->Runs[i]) return i % 2 == 0;
    pos -= dash->Runs[i];
  }
  return false;
}

// ---------------------------------------------------------------------------

TTarget::TTarget(QImage& image) {
  if (image.isNull()) return;
  bits_ = reinterpret_cast<uint32_t*>(image.bits());
  stride_ = image.bytesPerLine() / 4;
  width_ = image.width();
  height_ = image.height();
}

void TTarget::Plot(int64_t x, int64_t y, const TInk& ink) const {
  if (!ink.Rop || !Contains(x, y)) return;
  uint32_t& p = Row(static_cast<int32_t>(y))[x];
  p = ink.Rop(p, ink.Color);
}

void TTarget::Span(int64_t y, int64_t x1, int64_t x2, const TInk& ink, const THatch* hatch) const {
  if (!ink.Rop || y < 0 || y >= height_) return;
  x1 = std::max<int64_t>(x1, 0);
  x2 = std::min<int64_t>(x2, width_);
  if (x1 >= x2) return;
  uint32_t* row = Row(static_cast<int32_t>(y));
  if (hatch) {
    const uint8_t bits = (*hatch)[y & 7];
    for (int64_t x = x1; x < x2; ++x)
      if (bits & (1u << (x & 7))) row[x] = ink.Rop(row[x], ink.Color);
  } else if (ink.Rop == RopCopy) {
    std::fill(row + x1, row + x2, ink.Color | kAlpha);
  } else {
    for (int64_t x = x1; x < x2; ++x) row[x] = ink.Rop(row[x], ink.Color);
  }
}

// ---------------------------------------------------------------------------

void LinePixels(TPoint a, TPoint b, const TRect& clip, const TDash* dash, int64_t& phase,
                std::vector<TPixel>& out) {
  const int64_t dx = static_cast<int64_t>(b.X) - a.X;
  const int64_t dy = static_cast<int64_t>(b.Y) - a.Y;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t dMaj = xMajor ? dx : dy;
  const int64_t dMin = xMajor ? dy : dx;
  const int64_t n = std::llabs(dMaj);
  if (n == 0) return;
  const int64_t adMin = std::llabs(dMin);
  const int64_t sMin = dMin < 0 ? -1 : 1;
  const int64_t maj0 = xMajor ? a.X : a.Y;
  const int64_t min0 = xMajor ? a.Y : a.X;
  const int64_t lo = xMajor ? clip.Left : clip.Top;
  const int64_t hi = xMajor ? clip.Right : clip.Bottom;
  const int64_t minLo = xMajor ? clip.Top : clip.Left;
  const int64_t minHi = xMajor ? clip.Bottom : clip.Right;

  // Only the steps whose major coordinate lies inside the clip are walked,
  // so that far-away end points cost nothing.
  int64_t i0 = dMaj > 0 ? lo - maj0 : maj0 - hi + 1;
  int64_t i1 = dMaj > 0 ? hi - maj0 : maj0 - lo + 1;
  i0 = std::max<int64_t>(i0, 0);
  i1 = std::min(i1, n);
  if (i0 < i1) {
    // Minor offset of step i: round(i * |dMin| / n), halves away from the
    // start, kept as quotient and remainder of (2 i |dMin| + n) / 2n.
    const Wide num = static_cast<Wide>(2 * i0) * adMin + n;
    int64_t q = static_cast<int64_t>(num / (2 * n));
    int64_t r = static_cast<int64_t>(num % (2 * n));
    const int64_t sMaj = dMaj < 0 ? -1 : 1;
    for (int64_t i = i0; i < i1; ++i) {
      const int64_t minor = min0 + sMin * q;
      if (minor >= minLo && minor < minHi) {
        const int64_t major = maj0 + sMaj * i;
        const bool gap = !DashOn(dash, phase + i);
        out.push_back(xMajor
                          ? TPixel{static_cast<int32_t>(major), static_cast<int32_t>(minor), gap}
                          : TPixel{static_cast<int32_t>(minor), static_cast<int32_t>(major), gap});
      }
      r += 2 * adMin;
      if (r >= 2 * n) {
        r -= 2 * n;
        ++q;
      }
    }
  }
  phase += n;
}

bool AxisLine(const TTarget& target, TPoint a, TPoint b, const TRect& clip, const TInk& ink) {
  if (a.X != b.X && a.Y != b.Y) return false;
  if (!ink.Rop) return true;
  const bool row = a.Y == b.Y;
  // The pixels run from a towards b, b itself left out.
  const int64_t from = row ? a.X : a.Y, to = row ? b.X : b.Y;
  int64_t lo = from <= to ? from : to + 1, hi = from <= to ? to : from + 1;
  const int64_t across = row ? a.Y : a.X;
  if (row) {
    if (across < clip.Top || across >= clip.Bottom) return true;
    target.Span(across, std::max<int64_t>(lo, clip.Left), std::min<int64_t>(hi, clip.Right), ink);
    return true;
  }
  if (across < std::max<int64_t>(clip.Left, 0) || across >= std::min<int64_t>(clip.Right, target.Width()))
    return true;
  lo = std::max<int64_t>({lo, clip.Top, 0});
  hi = std::min<int64_t>({hi, clip.Bottom, target.Height()});
  for (int64_t y = lo; y < hi; ++y) {
    uint32_t& p = target.Row(static_cast<int32_t>(y))[across];
    p = ink.Rop(p, ink.Color);
  }
  return true;
}

void EllipsePixels(const TRect& box, std::vector<TPoint>& out) {
  // Midpoint ellipse inscribed in the inclusive pixel rectangle, drawn in
  // four mirrored quadrants so that even and odd sizes stay symmetric.
  Wide x0 = box.Left, x1 = static_cast<Wide>(box.Right) - 1;
  Wide y0 = box.Top, y1 = static_cast<Wide>(box.Bottom) - 1;
  Wide a = x1 - x0, b = y1 - y0, b1 = b & 1;
  Wide dx = 4 * (1 - a) * b * b, dy = 4 * (b1 + 1) * a * a;
  Wide err = dx + dy + b1 * a * a;
  y0 += (b + 1) / 2;
  y1 = y0 - b1;
  a = 8 * a * a;
  b1 = 8 * b * b;
  const std::size_t first = out.size();
  auto add = [&out](Wide x, Wide y) {
    out.push_back(TPoint{static_cast<int32_t>(x), static_cast<int32_t>(y)});
  };
  do {
    add(x1, y0);
    add(x0, y0);
    add(x0, y1);
    add(x1, y1);
    const Wide e2 = 2 * err;
    if (e2 <= dy) {
      ++y0;
      --y1;
      err += dy += a;
    }
    if (e2 >= dx || 2 * err > dy) {
      ++x0;
      --x1;
      err += dx += b1;
    }
  } while (x0 <= x1);
  while (y0 - y1 <= b) {  // the tips of very flat ellipses
    add(x0 - 1, y0);
    add(x1 + 1, y0++);
    add(x0 - 1, y1);
    add(x1 + 1, y1--);
  }
  auto byRow = [](const TPoint& p, const TPoint& q) { return p.Y != q.Y ? p.Y < q.Y : p.X < q.X; };
  std::sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(), byRow);
  out.erase(std::unique(out.begin() + static_cast<std::ptrdiff_t>(first), out.end()), out.end());
}

void EllipseSpans(const std::vector<TPoint>& outline, std::vector<TSpan>& out) {
  for (std::size_t k = 1; k < outline.size(); ++k) {
    const TPoint& p = outline[k - 1];
    const TPoint& q = outline[k];
    if (p.Y == q.Y && q.X > p.X + 1) out.push_back({p.Y, p.X + 1, q.X});
  }
}

void PolygonSpans(std::span<const TPoint> points, int32_t yLo, int32_t yHi,
                  std::vector<TSpan>& out) {
  struct Edge {
    int64_t x0, y0, dx, dy;  // from the upper end, dy > 0
  };
  std::vector<Edge> edges;
  edges.reserve(points.size());
  int64_t top = INT64_MAX, bottom = INT64_MIN;
  for (std::size_t i = 0; i < points.size(); ++i) {
    TPoint p = points[i];
    TPoint q = points[(i + 1) % points.size()];
    if (p.Y == q.Y) continue;
    if (p.Y > q.Y) std::swap(p, q);
    edges.push_back({p.X, p.Y, static_cast<int64_t>(q.X) - p.X, static_cast<int64_t>(q.Y) - p.Y});
    top = std::min<int64_t>(top, p.Y);
    bottom = std::max<int64_t>(bottom, q.Y);
  }
  if (edges.empty()) return;
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
  const int64_t yFirst = std::max<int64_t>(top, yLo);
  const int64_t yEnd = std::min<int64_t>(bottom, yHi);
  std::vector<const Edge*> active;
  std::vector<int64_t> xs;
  std::size_t next = 0;
  for (int64_t y = yFirst; y < yEnd; ++y) {
    while (next < edges.size() && edges[next].y0 <= y) active.push_back(&edges[next++]);
    std::erase_if(active, [y](const Edge* e) { return e->y0 + e->dy <= y; });
    xs.clear();
    for (const Edge* e : active) {
      // Column of the first pixel at or right of the edge on this row.
      xs.push_back(
          CeilDiv(static_cast<Wide>(e->x0) * e->dy + static_cast<Wide>(y - e->y0) * e->dx, e->dy));
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t k = 0; k + 1 < xs.size(); k += 2)
      if (xs[k] < xs[k + 1])
        out.push_back({static_cast<int32_t>(y), static_cast<int32_t>(xs[k]),
                       static_cast<int32_t>(xs[k + 1])});
  }
}

TRopFn CopyRop(TCopyMode mode) {
  switch (mode) {
    case cmBlackness:
      return RopBlack;
    case cmDstInvert:
      return RopNot;
    case cmMergePaint:
      return RopMergeNotPen;
    case cmNotSrcCopy:
      return RopNotCopy;
    case cmNotSrcErase:
      return RopNotMerge;
    case cmSrcAnd:
      return RopMask;
    case cmSrcErase:
      return RopMaskPenNot;
    case cmSrcInvert:
      return RopXor;
    case cmSrcPaint:
      return RopMerge;
    case cmWhiteness:
      return RopWhite;
    default:
      return RopCopy;
  }
}

namespace {

// One axis of a stretched copy.
struct TAxis {
  int64_t DestStart;  // first destination coordinate of the whole copy
  int64_t DestLen;    // > 0
  int64_t SrcStart;   // first source coordinate
  int64_t SrcLen;     // > 0
  bool Flip;

  // Source coordinate of destination offset u, nearest pixel centre.
  int64_t SourceOf(int64_t u) const {
    int64_t s = static_cast<int64_t>((static_cast<Wide>(2 * u + 1) * SrcLen) / (2 * DestLen));
    return SrcStart + (Flip ? SrcLen - 1 - s : s);
  }
};

TAxis MakeAxis(int32_t d1, int32_t d2, int32_t s1, int32_t s2) {
  const int64_t dl = static_cast<int64_t>(d2) - d1, sl = static_cast<int64_t>(s2) - s1;
  return {std::min<int64_t>(d1, d2), std::llabs(dl), std::min<int64_t>(s1, s2), std::llabs(sl),
          (dl < 0) != (sl < 0)};
}

// The part of a smooth copy along one axis that can be seen: the source
// range to scale and where its scaled image starts in the destination.
struct TPiece {
  int64_t Src0, Src1;  // source offsets [Src0, Src1)
  int64_t Len;         // scaled length
  int64_t Dest;        // destination coordinate of the piece's first pixel
};

bool VisiblePiece(const TAxis& a, int64_t limit, TPiece& piece) {
  const int64_t u0 = std::max<int64_t>(0, -a.DestStart);
  const int64_t u1 = std::min<int64_t>(a.DestLen, limit - a.DestStart);
  if (u0 >= u1) return false;
  const int64_t e0 = a.Flip ? a.DestLen - u1 : u0;
  const int64_t e1 = a.Flip ? a.DestLen - u0 : u1;
  piece.Src0 = static_cast<int64_t>(static_cast<Wide>(e0) * a.SrcLen / a.DestLen);
  piece.Src1 = std::min<int64_t>(
      a.SrcLen,
      static_cast<int64_t>((static_cast<Wide>(e1) * a.SrcLen + a.DestLen - 1) / a.DestLen));
  const int64_t p0 = static_cast<int64_t>(static_cast<Wide>(piece.Src0) * a.DestLen / a.SrcLen);
  const int64_t p1 = static_cast<int64_t>(static_cast<Wide>(piece.Src1) * a.DestLen / a.SrcLen);
  piece.Len = std::max<int64_t>(p1 - p0, 1);
  piece.Dest = a.DestStart + (a.Flip ? a.DestLen - p0 - piece.Len : p0);
  return piece.Src1 > piece.Src0;
}

// The largest side a smooth piece may have; beyond it the copy falls back
// to the nearest pixel rather than allocate gigabytes.
constexpr int64_t kMaxPiece = 1 << 15;

}  // namespace

void Blit(const TTarget& target, const QImage& source, const TRect& destRect,
          const TRect& sourceRect, TRopFn rop, bool smooth, const uint32_t* transparent) {
  if (target.Empty() || source.isNull() || !rop) return;
  const TAxis ax = MakeAxis(destRect.Left, destRect.Right, sourceRect.Left, sourceRect.Right);
  const TAxis ay = MakeAxis(destRect.Top, destRect.Bottom, sourceRect.Top, sourceRect.Bottom);
  if (ax.DestLen == 0 || ax.SrcLen == 0 || ay.DestLen == 0 || ay.SrcLen == 0) return;
  const bool scaled = ax.DestLen != ax.SrcLen || ay.DestLen != ay.SrcLen;
  TPiece px, py;
  if (smooth && scaled && VisiblePiece(ax, target.Width(), px) &&
      VisiblePiece(ay, target.Height(), py) && px.Len <= kMaxPiece && py.Len <= kMaxPiece &&
      ax.SrcStart + px.Src0 >= 0 && ax.SrcStart + px.Src1 <= source.width() &&
      ay.SrcStart + py.Src0 >= 0 && ay.SrcStart + py.Src1 <= source.height()) {
    QImage piece =
        source
            .copy(static_cast<int>(ax.SrcStart + px.Src0), static_cast<int>(ay.SrcStart + py.Src0),
                  static_cast<int>(px.Src1 - px.Src0), static_cast<int>(py.Src1 - py.Src0))
            .scaled(static_cast<int>(px.Len), static_cast<int>(py.Len), Qt::IgnoreAspectRatio,
                    Qt::SmoothTransformation)
            .mirrored(ax.Flip, ay.Flip)
            .convertToFormat(QImage::Format_RGB32);
    const TRect whole{0, 0, piece.width(), piece.height()};
    const TRect at{static_cast<int32_t>(px.Dest), static_cast<int32_t>(py.Dest),
                   static_cast<int32_t>(px.Dest + px.Len), static_cast<int32_t>(py.Dest + py.Len)};
    return Blit(target, piece, at, whole, rop, false, transparent);
  }
  const int64_t x0 = std::max<int64_t>(ax.DestStart, 0);
  const int64_t x1 = std::min<int64_t>(ax.DestStart + ax.DestLen, target.Width());
  const int64_t y0 = std::max<int64_t>(ay.DestStart, 0);
  const int64_t y1 = std::min<int64_t>(ay.DestStart + ay.DestLen, target.Height());
  if (x0 >= x1 || y0 >= y1) return;
  // Source column of every visible destination column; -1 outside the source.
  std::vector<int32_t> columns(static_cast<std::size_t>(x1 - x0));
  for (int64_t x = x0; x < x1; ++x) {
    const int64_t sx = ax.SourceOf(x - ax.DestStart);
    columns[static_cast<std::size_t>(x - x0)] =
        sx >= 0 && sx < source.width() ? static_cast<int32_t>(sx) : -1;
  }
  for (int64_t y = y0; y < y1; ++y) {
    const int64_t sy = ay.SourceOf(y - ay.DestStart);
    if (sy < 0 || sy >= source.height()) continue;
    const auto* src = reinterpret_cast<const uint32_t*>(source.constScanLine(static_cast<int>(sy)));
    uint32_t* dst = target.Row(static_cast<int32_t>(y));
    for (int64_t x = x0; x < x1; ++x) {
      const int32_t sx = columns[static_cast<std::size_t>(x - x0)];
      if (sx < 0) continue;
      const uint32_t s = src[sx] | kAlpha;
      if (transparent && s == *transparent) continue;
      dst[x] = rop(dst[x], s);
    }
  }
}

void PaintFigure(const TTarget& target, std::vector<TPixel>& outline, const TInk& pen,
                 const TInk& gapInk, const std::vector<TSpan>& spans, const TInk& brush,
                 const THatch* hatch) {
  std::stable_sort(outline.begin(), outline.end(), ByRowThenColumn);
  outline.erase(
      std::unique(outline.begin(), outline.end(),
                  [](const TPixel& a, const TPixel& b) { return a.X == b.X && a.Y == b.Y; }),
      outline.end());
  for (const TSpan& s : spans) {
    // Fill the span around the outline pixels that lie on it.
    auto it =
        std::lower_bound(outline.begin(), outline.end(), TPixel{s.X1, s.Y, false}, ByRowThenColumn);
    int64_t x = s.X1;
    for (; it != outline.end() && it->Y == s.Y && it->X < s.X2; ++it) {
      target.Span(s.Y, x, it->X, brush, hatch);
      x = static_cast<int64_t>(it->X) + 1;
    }
    target.Span(s.Y, x, s.X2, brush, hatch);
  }
  for (const TPixel& p : outline) target.Plot(p.X, p.Y, p.Gap ? gapInk : pen);
}

}  // namespace nuv::raster
