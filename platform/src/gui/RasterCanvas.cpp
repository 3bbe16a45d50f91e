#include "RasterCanvas.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <bit>
#include <cmath>

#include "Fonts.h"
#include "QtBoundary.h"
#include "nuv/platform/Bitmap.h"

namespace nuv {

namespace {

using raster::TInk;

TRect Normalized(const TRect& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
          std::max(r.Top, r.Bottom)};
}

// Wider pens only cost time: no image is that large.
constexpr int32_t kMaxPenWidth = 1 << 15;

bool IsEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

// Centre of a pixel in Qt's coordinates.
QPointF Centre(TPoint p) { return {p.X + 0.5, p.Y + 0.5}; }

QColor QtColor(TColor c) { return QColor::fromRgb(raster::PixelOf(c)); }

QPainter::CompositionMode QtMode(TPenMode mode) {
  switch (mode) {
    case pmBlack:
      return QPainter::RasterOp_ClearDestination;
    case pmWhite:
      return QPainter::RasterOp_SetDestination;
    case pmNot:
      return QPainter::RasterOp_NotDestination;
    case pmNotCopy:
      return QPainter::RasterOp_NotSource;
    case pmMergePenNot:
      return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot:
      return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen:
      return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen:
      return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge:
      return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge:
      return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask:
      return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask:
      return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor:
      return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
      return QPainter::RasterOp_NotSourceXorDestination;
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

// Larger texts are rare and cost more to hold than to shape.
constexpr int64_t kMaxMaskPixels = 1 << 16;

}  // namespace

TTextCache::TTextCache() = default;
TTextCache::~TTextCache() = default;

void TTextCache::MakeMask(const QFont& font, const QFontMetrics& fm, const QString& text,
                          TEntry& e) {
  scratch_.clear();
  // Glyphs may stray beyond their cell; a pixel on the margin's edge shows
  // that the margin was too small.
  const int margin = fm.height() / 2 + 2;
  const int w = std::max(e.Advance, 1) + 2 * margin, h = std::max(e.Height, 1) + 2 * margin;
  if (int64_t{w} * h > kMaxMaskPixels) return;
  if (w > image_.width() || h > image_.height()) {
    painter_.reset();
    image_ =
        QImage(std::max(w, image_.width()), std::max(h, image_.height()), QImage::Format_RGB32);
    painter_ = std::make_unique<QPainter>(&image_);
    painter_->setPen(Qt::white);
  }
  painter_->fillRect(QRect(0, 0, w, h), Qt::black);
  painter_->setFont(font);
  painter_->drawText(QPoint(margin, margin + fm.ascent()), text);
  constexpr QRgb kOff = 0xFF000000u, kOn = 0xFFFFFFFFu;
  int lo = w, hi = -1, top = h, bottom = -1;
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
    // Counted, not searched: most rows are empty and this runs in vectors.
    int off = 0, on = 0;
    for (int x = 0; x < w; ++x) off += row[x] == kOff, on += row[x] == kOn;
    if (off == w) continue;
    if (off + on != w || y == 0 || y == h - 1 || row[0] != kOff || row[w - 1] != kOff) return;
    int a = 0, b = w - 1;
    while (row[a] == kOff) ++a;
    while (row[b] == kOff) --b;
    lo = std::min(lo, a), hi = std::max(hi, b), top = std::min(top, y), bottom = y;
  }
  e.Mask = true;
  if (hi < 0) return;
  e.Left = lo - margin;
  e.Top = top - margin;
  e.Rows = bottom - top + 1;
  e.Words = (hi - lo) / 64 + 1;
  scratch_.assign(static_cast<std::size_t>(e.Rows) * e.Words, 0);
  for (int y = 0; y < e.Rows; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image_.constScanLine(top + y)) + lo;
    uint64_t* words = scratch_.data() + static_cast<std::size_t>(y) * e.Words;
    for (int x = 0; x <= hi - lo; ++x)
      if (row[x] == kOn) words[x / 64] |= uint64_t{1} << (x % 64);
  }
}

void TTextCache::MakeKey(const QFont& font, std::string_view Text) {
  auto f = std::find(fonts_.begin(), fonts_.end(), font);
  if (f == fonts_.end()) {
    if (fonts_.size() == kMaxFonts) Clear();
    fonts_.push_back(font);
    f = fonts_.end() - 1;
  }
  const auto index = static_cast<uint8_t>(f - fonts_.begin());
  key_.assign(1, static_cast<char>(index));
  key_.append(Text);
}

void TTextCache::Clear() {
  fonts_.clear();
  entries_.clear();
  bits_.clear();
  bytes_ = 0;
  last_ = nullptr;
}

const TTextCache::TEntry* TTextCache::Find(const QFont& font, std::string_view Text) {
  MakeKey(font, Text);
  if (last_ && key_ == lastKey_) return last_;
  const auto e = entries_.find(key_);
  if (e == entries_.end()) return nullptr;
  lastKey_ = key_;
  return last_ = &e->second;
}

const TTextCache::TEntry& TTextCache::Get(const QFont& font, std::string_view Text) {
  if (const TEntry* e = Find(font, Text)) return *e;
  TEntry e;
  const QFontMetrics fm(font);
  const QString text = ToQString(Text);
  e.Advance = fm.horizontalAdvance(text);
  e.Height = fm.height();
  MakeMask(font, fm, text, e);
  const std::size_t bytes = key_.size() + scratch_.size() * sizeof(uint64_t) + sizeof(TEntry);
  if (entries_.size() == kMaxTexts || bytes_ + bytes > kMaxBytes) {
    Clear();
    MakeKey(font, Text);
  }
  bytes_ += bytes;
  e.Offset = bits_.size();
  bits_.insert(bits_.end(), scratch_.begin(), scratch_.end());
  lastKey_ = key_;
  return *(last_ = &entries_.emplace(key_, std::move(e)).first->second);
}

TRasterCanvas::TRasterCanvas(QImage* image, bool isPrinter) : TCanvas(isPrinter), image_(image) {}

TRasterCanvas::~TRasterCanvas() { Flush(); }

void TRasterCanvas::Flush() { painter_.reset(); }

raster::TTarget TRasterCanvas::Surface() {
  Flush();
  return raster::TTarget(*image_);
}

QPainter& TRasterCanvas::Painter() {
  if (!painter_) painter_ = std::make_unique<QPainter>(image_);
  return *painter_;
}

void TRasterCanvas::Changed() {
  TCanvas::Changed();
  if (Damaged) Damaged();
}

TInk TRasterCanvas::PenInk() const {
  if (Pen()->Style() == psClear) return {};
  return {raster::PixelOf(Pen()->Color()), raster::PenRop(Pen()->Mode())};
}

TInk TRasterCanvas::GapInk() const {
  // Dashes are drawn on an opaque background while the brush is solid.
  if (Pen()->Style() == psClear || Brush()->Style() != bsSolid) return {};
  return {raster::PixelOf(Brush()->Color()), raster::PenRop(Pen()->Mode())};
}

TInk TRasterCanvas::BrushInk() const {
  if (Brush()->Style() == bsClear) return {};
  return {raster::PixelOf(Brush()->Color()), raster::PenRop(Pen()->Mode())};
}

bool TRasterCanvas::WidePen() const { return Pen()->Width() > 1 && Pen()->Style() != psClear; }

void TRasterCanvas::StrokeWide(const QPainterPath& path, bool miter) {
  if (Pen()->Mode() == pmNop) return;
  QPainter& p = Painter();
  p.setCompositionMode(QtMode(Pen()->Mode()));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QtColor(Pen()->Color()), std::min(Pen()->Width(), kMaxPenWidth), Qt::SolidLine,
                Qt::RoundCap, miter ? Qt::MiterJoin : Qt::RoundJoin));
  p.drawPath(path);
}

void TRasterCanvas::PaintFigure() {
  raster::PaintFigure(Surface(), outline_, PenInk(), GapInk(), spans_, BrushInk(),
                      raster::HatchOf(Brush()->Style()));
}

// ---------------------------------------------------------------------------

void TRasterCanvas::DoLine(TPoint from, TPoint to) {
  if (!HasPixels() || Pen()->Style() == psClear) return;
  if (WidePen()) {
    QPainterPath path(Centre(from));
    path.lineTo(Centre(to));
    return StrokeWide(path, false);
  }
  const raster::TDash* dash = raster::DashOf(Pen()->Style());
  const raster::TTarget target = Surface();
  const TInk pen = PenInk(), gap = GapInk();
  // Frames and grids are mostly rows and columns: no pixel list for those.
  if (!dash && raster::AxisLine(target, from, to, DoClipRect(), pen)) return;
  outline_.clear();
  int64_t phase = 0;
  raster::LinePixels(from, to, DoClipRect(), dash, phase, outline_);
  for (const raster::TPixel& p : outline_) target.Plot(p.X, p.Y, p.Gap ? gap : pen);
}

void TRasterCanvas::DoRectangle(const TRect& r) {
  const TRect b = Normalized(r);
  if (!HasPixels() || IsEmpty(b)) return;
  const bool outline = Pen()->Style() != psClear;
  spans_.clear();
  if (BrushInk().Rop) {
    // Without an outline the brush covers the whole box.
    const TRect in = outline ? TRect{b.Left + 1, b.Top + 1, b.Right - 1, b.Bottom - 1} : b;
    for (int32_t y = std::max(in.Top, 0); y < std::min(in.Bottom, image_->height()); ++y)
      if (in.Right > in.Left) spans_.push_back({y, in.Left, in.Right});
  }
  outline_.clear();
  if (outline && !WidePen()) {
    const TPoint c[] = {
        {b.Left, b.Top}, {b.Right - 1, b.Top}, {b.Right - 1, b.Bottom - 1}, {b.Left, b.Bottom - 1}};
    int64_t phase = 0;
    for (int i = 0; i < 4; ++i)
      raster::LinePixels(c[i], c[(i + 1) % 4], DoClipRect(), raster::DashOf(Pen()->Style()), phase,
                         outline_);
    if (b.Width() == 1 && b.Height() == 1) outline_.push_back({b.Left, b.Top, false});
  }
  PaintFigure();
  if (outline && WidePen()) {
    const double w = Pen()->Width();
    QPainterPath path;
    if (Pen()->Style() == psInsideFrame)
      path.addRect(QRectF(b.Left + w / 2, b.Top + w / 2, b.Width() - w, b.Height() - w));
    else
      path.addRect(QRectF(b.Left + 0.5, b.Top + 0.5, b.Width() - 1, b.Height() - 1));
    StrokeWide(path, true);
  }
}

void TRasterCanvas::DoEllipse(const TRect& r) {
  const TRect b = Normalized(r);
  if (!HasPixels() || IsEmpty(b)) return;
  const bool outline = Pen()->Style() != psClear;
  if (int64_t{b.Right} - b.Left > raster::kMaxEllipseSide ||
      int64_t{b.Bottom} - b.Top > raster::kMaxEllipseSide) {
    // Far larger than any image: Qt's path filler is close enough.
    QPainterPath path;
    path.addEllipse(QRectF(b.Left + 0.5, b.Top + 0.5, b.Width() - 1.0, b.Height() - 1.0));
    QPainter& p = Painter();
    p.setCompositionMode(QtMode(Pen()->Mode()));
    if (BrushInk().Rop) p.fillPath(path, QtColor(Brush()->Color()));
    if (outline && PenInk().Rop)
      p.strokePath(path, QPen(QtColor(Pen()->Color()), std::max(Pen()->Width(), 1)));
    return;
  }
  points_.clear();
  raster::EllipsePixels(b, points_);
  spans_.clear();
  if (BrushInk().Rop) {
    if (outline) {
      raster::EllipseSpans(points_, spans_);
    } else {
      // The whole ellipse, outline rows included.
      for (std::size_t k = 0; k < points_.size();) {
        std::size_t e = k;
        while (e + 1 < points_.size() && points_[e + 1].Y == points_[k].Y) ++e;
        spans_.push_back({points_[k].Y, points_[k].X, points_[e].X + 1});
        k = e + 1;
      }
    }
  }
  outline_.clear();
  if (outline && !WidePen()) {
    const raster::TDash* dash = raster::DashOf(Pen()->Style());
    if (dash) {
      // Dashes run around the ellipse.
      const double cx = (b.Left + b.Right - 1) / 2.0, cy = (b.Top + b.Bottom - 1) / 2.0;
      std::stable_sort(points_.begin(), points_.end(), [cx, cy](const TPoint& p, const TPoint& q) {
        return std::atan2(p.Y - cy, p.X - cx) < std::atan2(q.Y - cy, q.X - cx);
      });
    }
    for (std::size_t i = 0; i < points_.size(); ++i)
      outline_.push_back(
          {points_[i].X, points_[i].Y, !raster::DashOn(dash, static_cast<int64_t>(i))});
  }
  PaintFigure();
  if (outline && WidePen()) {
    const double w = Pen()->Width();
    QPainterPath path;
    if (Pen()->Style() == psInsideFrame)
      path.addEllipse(QRectF(b.Left + w / 2, b.Top + w / 2, b.Width() - w, b.Height() - w));
    else
      path.addEllipse(QRectF(b.Left + 0.5, b.Top + 0.5, b.Width() - 1.0, b.Height() - 1.0));
    StrokeWide(path, false);
  }
}

void TRasterCanvas::DoPolygon(std::span<const TPoint> points) {
  if (!HasPixels() || points.size() < 2) return;
  spans_.clear();
  if (BrushInk().Rop) raster::PolygonSpans(points, 0, image_->height(), spans_);
  outline_.clear();
  const bool outline = Pen()->Style() != psClear;
  if (outline && !WidePen()) {
    int64_t phase = 0;
    for (std::size_t i = 0; i < points.size(); ++i)
      raster::LinePixels(points[i], points[(i + 1) % points.size()], DoClipRect(),
                         raster::DashOf(Pen()->Style()), phase, outline_);
  }
  PaintFigure();
  if (outline && WidePen()) {
    QPainterPath path(Centre(points[0]));
    for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(Centre(points[i]));
    path.closeSubpath();
    StrokeWide(path, false);
  }
}

void TRasterCanvas::DoPolyline(std::span<const TPoint> points) {
  if (!HasPixels() || points.size() < 2 || Pen()->Style() == psClear) return;
  if (WidePen()) {
    QPainterPath path(Centre(points[0]));
    for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(Centre(points[i]));
    return StrokeWide(path, false);
  }
  outline_.clear();
  int64_t phase = 0;
  for (std::size_t i = 0; i + 1 < points.size(); ++i)
    raster::LinePixels(points[i], points[i + 1], DoClipRect(), raster::DashOf(Pen()->Style()),
                       phase, outline_);
  spans_.clear();
  raster::PaintFigure(Surface(), outline_, PenInk(), GapInk(), spans_, {}, nullptr);
}

void TRasterCanvas::DoFillRect(const TRect& r) {
  if (!HasPixels() || IsEmpty(r) || Brush()->Style() == bsClear) return;
  const raster::TTarget target = Surface();
  const TInk ink{raster::PixelOf(Brush()->Color()), raster::CopyRop(cmSrcCopy)};
  const raster::THatch* hatch = raster::HatchOf(Brush()->Style());
  for (int32_t y = std::max(r.Top, 0); y < std::min(r.Bottom, target.Height()); ++y)
    target.Span(y, r.Left, r.Right, ink, hatch);
}

void TRasterCanvas::DoFrameRect(const TRect& r) {
  if (!HasPixels() || IsEmpty(r) || Brush()->Style() == bsClear) return;
  const raster::TTarget target = Surface();
  const TInk ink{raster::PixelOf(Brush()->Color()), raster::CopyRop(cmSrcCopy)};
  const raster::THatch* hatch = raster::HatchOf(Brush()->Style());
  target.Span(r.Top, r.Left, r.Right, ink, hatch);
  if (r.Height() > 1) target.Span(static_cast<int64_t>(r.Bottom) - 1, r.Left, r.Right, ink, hatch);
  for (int64_t y = std::max<int64_t>(static_cast<int64_t>(r.Top) + 1, 0);
       y < std::min<int64_t>(static_cast<int64_t>(r.Bottom) - 1, target.Height()); ++y) {
    target.Span(y, r.Left, static_cast<int64_t>(r.Left) + 1, ink, hatch);
    if (r.Width() > 1) target.Span(y, static_cast<int64_t>(r.Right) - 1, r.Right, ink, hatch);
  }
}

void TRasterCanvas::DoTextOut(int32_t X, int32_t Y, std::string_view Text, const TRect* clip) {
  if (!HasPixels()) return;
  if (!clip && Font()->Escapement() == 0) {
    const TTextCache::TEntry& e = texts_.Get(Font()->QtFont(), Text);
    if (e.Mask) return PaintMask(X, Y, e);
  }
  PaintText(X, Y, Text, clip);
}

void TRasterCanvas::PaintMask(int32_t X, int32_t Y, const TTextCache::TEntry& text) {
  const raster::TTarget target = Surface();
  if (Brush()->Style() == bsSolid) {
    const TInk back{raster::PixelOf(Brush()->Color()), raster::CopyRop(cmSrcCopy)};
    for (int64_t y = std::max(Y, 0);
         y < std::min<int64_t>(int64_t{Y} + text.Height, target.Height()); ++y)
      target.Span(y, X, int64_t{X} + text.Advance, back);
  }
  const uint32_t ink = raster::PixelOf(Font()->Color());
  const int64_t left = int64_t{X} + text.Left;
  const int64_t top = int64_t{Y} + text.Top;
  for (int64_t r = std::max<int64_t>(0, -top);
       r < std::min<int64_t>(text.Rows, int64_t{target.Height()} - top); ++r) {
    uint32_t* row = target.Row(static_cast<int32_t>(top + r));
    const uint64_t* bits = texts_.Bits(text) + static_cast<std::size_t>(r) * text.Words;
    for (int32_t w = 0; w < text.Words; ++w) {
      for (uint64_t word = bits[w]; word != 0; word &= word - 1) {
        const int64_t x = left + int64_t{w} * 64 + std::countr_zero(word);
        if (x >= 0 && x < target.Width()) row[x] = ink;
      }
    }
  }
}

void TRasterCanvas::PaintText(int32_t X, int32_t Y, std::string_view Text, const TRect* clip) {
  const QFont& font = Font()->QtFont();
  const QFontMetrics fm(font);
  const QString text = ToQString(Text);
  const bool opaque = Brush()->Style() == bsSolid;
  QPainter& p = Painter();
  p.save();
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (clip) {
    const QRect box(clip->Left, clip->Top, std::max(clip->Width(), 0), std::max(clip->Height(), 0));
    p.setClipRect(box);
    if (opaque) p.fillRect(box, QtColor(Brush()->Color()));
  }
  p.translate(X, Y);
  if (Font()->Escapement() != 0) p.rotate(Font()->Escapement() / -10.0);
  if (opaque && !clip && !text.isEmpty())
    p.fillRect(QRect(0, 0, fm.horizontalAdvance(text), fm.height()), QtColor(Brush()->Color()));
  p.setFont(font);
  p.setPen(QtColor(Font()->Color()));
  p.drawText(QPoint(0, fm.ascent()), text);
  p.restore();
}

TSize TRasterCanvas::DoTextExtent(std::string_view Text) {
  const QFont& font = Font()->QtFont();
  if (const TTextCache::TEntry* e = texts_.Find(font, Text)) return {e->Advance, e->Height};
  const QFontMetrics fm(font);
  return {fm.horizontalAdvance(ToQString(Text)), fm.height()};
}

void TRasterCanvas::DoGetTextMetrics(TTextMetric& tm) {
  const QFont& font = Font()->QtFont();
  const QFontMetrics fm(font);
  const QFontInfo info(font);
  tm = {};
  tm.tmHeight = fm.height();
  tm.tmAscent = fm.ascent();
  tm.tmDescent = fm.descent();
  tm.tmInternalLeading = std::max(fm.height() - font.pixelSize(), 0);
  tm.tmExternalLeading = std::max(fm.leading(), 0);
  tm.tmAveCharWidth = fm.averageCharWidth();
  tm.tmMaxCharWidth = fm.maxWidth();
  tm.tmWeight = font.bold() ? 700 : 400;
  tm.tmItalic = font.italic() ? 1 : 0;
  tm.tmUnderlined = font.underline() ? 1 : 0;
  tm.tmStruckOut = font.strikeOut() ? 1 : 0;
  const bool trueType = IsTrueTypeFont(Font()->Name(), font);
  const bool outline =
      FindFontAlias(Font()->Name()) ? trueType : QFontDatabase::isScalable(info.family());
  tm.tmPitchAndFamily =
      static_cast<uint8_t>((info.fixedPitch() ? 0 : TMPF_FIXED_PITCH) |
                           (outline ? TMPF_VECTOR : 0) | (trueType ? TMPF_TRUETYPE : 0));
}

void TRasterCanvas::DoCopyRect(const TRect& Dest, TCanvas& Canvas, const TRect& Source) {
  auto* source = dynamic_cast<TRasterCanvas*>(&Canvas);
  if (!HasPixels() || !source || !source->HasPixels()) return;
  source->Flush();
  // A shared copy: when source and target are one image, the target's
  // write access detaches and the copy keeps the old pixels.
  const QImage pixels = *source->image_;
  raster::Blit(Surface(), pixels, Dest, Source, raster::CopyRop(CopyMode()),
               StretchBltMode() == sbmHalftone, nullptr);
}

void TRasterCanvas::DoStretchDraw(const TRect& r, const TGraphic& Graphic, bool stretch) {
  if (!HasPixels() || Graphic.Empty()) return;
  const QImage pixels = Graphic.Image();
  const TRect dest = stretch ? r : Bounds(r.Left, r.Top, pixels.width(), pixels.height());
  uint32_t transparent = 0;
  const auto* bitmap = dynamic_cast<const TBitmap*>(&Graphic);
  const bool useTransparent = bitmap && bitmap->Transparent();
  if (useTransparent) transparent = raster::PixelOf(bitmap->TransparentColor());
  raster::Blit(Surface(), pixels, dest, {0, 0, pixels.width(), pixels.height()},
               raster::CopyRop(CopyMode()), StretchBltMode() == sbmHalftone,
               useTransparent ? &transparent : nullptr);
}

TColor TRasterCanvas::DoGetPixel(int32_t X, int32_t Y) {
  if (!HasPixels() || X < 0 || Y < 0 || X >= image_->width() || Y >= image_->height()) return -1;
  return raster::ColorOf(reinterpret_cast<const uint32_t*>(image_->constScanLine(Y))[X]);
}

void TRasterCanvas::DoSetPixel(int32_t X, int32_t Y, TColor Color) {
  if (!HasPixels()) return;
  Surface().Plot(X, Y, {raster::PixelOf(Color), raster::CopyRop(cmSrcCopy)});
}

TRect TRasterCanvas::DoClipRect() const {
  return HasPixels() ? TRect{0, 0, image_->width(), image_->height()} : TRect{};
}

}  // namespace nuv
