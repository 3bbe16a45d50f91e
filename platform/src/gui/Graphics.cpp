#include "nuv/platform/Graphics.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <cstdlib>

#include "Fonts.h"
#include "QtBoundary.h"
#include "nuv/platform/Controls.h"

namespace nuv {

namespace {

// The classic grey desktop scheme, as TColor values (0x00BBGGRR).
constexpr TColor kSystemColors[] = {
    0xC0C0C0,  // 0 scroll bar
    0x808000,  // 1 desktop background
    0x800000,  // 2 active caption
    0x808080,  // 3 inactive caption
    0xC0C0C0,  // 4 menu
    0xFFFFFF,  // 5 window
    0x000000,  // 6 window frame
    0x000000,  // 7 menu text
    0x000000,  // 8 window text
    0xFFFFFF,  // 9 caption text
    0xC0C0C0,  // 10 active border
    0xC0C0C0,  // 11 inactive border
    0x808080,  // 12 application workspace
    0x800000,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xC0C0C0,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xC0C0C0,  // 19 inactive caption text
    0xFFFFFF,  // 20 button highlight
    0x000000,  // 21 3-D dark shadow
    0xDFDFDF,  // 22 3-D light
    0x000000,  // 23 tooltip text
    0xE1FFFF,  // 24 tooltip background
    0x000000,  // 25 (unused)
    0x800000,  // 26 hot-tracked item
    0xD08410,  // 27 gradient of the active caption
    0xB5B5B5,  // 28 gradient of the inactive caption
    0x800000,  // 29 highlighted menu item
    0xC0C0C0,  // 30 menu bar
};

// Where each system colour lives in a palette. Themed colours follow the
// group of the control being painted unless they name a group of their
// own; the others are drawn by the window manager, which no palette
// describes, and keep the classic value.
struct TPaletteSlot {
  bool Themed = false;
  QPalette::ColorRole Role = QPalette::NoRole;
  bool OwnGroup = false;
  QPalette::ColorGroup Group = QPalette::Active;
};
constexpr TPaletteSlot Themed(QPalette::ColorRole role) { return {true, role}; }
constexpr TPaletteSlot Themed(QPalette::ColorGroup group, QPalette::ColorRole role) {
  return {true, role, true, group};
}
constexpr TPaletteSlot kClassic{};

constexpr TPaletteSlot kPaletteSlots[] = {
    Themed(QPalette::Button),                      // 0 scroll bar
    kClassic,                                      // 1 desktop background
    kClassic,                                      // 2 active caption
    kClassic,                                      // 3 inactive caption
    Themed(QPalette::Window),                      // 4 menu
    Themed(QPalette::Base),                        // 5 window
    Themed(QPalette::Shadow),                      // 6 window frame
    Themed(QPalette::WindowText),                  // 7 menu text
    Themed(QPalette::Text),                        // 8 window text
    kClassic,                                      // 9 caption text
    Themed(QPalette::Button),                      // 10 active border
    Themed(QPalette::Inactive, QPalette::Button),  // 11 inactive border
    Themed(QPalette::Dark),                        // 12 application workspace
    Themed(QPalette::Highlight),                   // 13 highlight
    Themed(QPalette::HighlightedText),             // 14 highlight text
    Themed(QPalette::Button),                      // 15 button face
    Themed(QPalette::Dark),                        // 16 button shadow
    Themed(QPalette::Disabled, QPalette::Text),    // 17 grey text
    Themed(QPalette::ButtonText),                  // 18 button text
    kClassic,                                      // 19 inactive caption text
    Themed(QPalette::Light),                       // 20 button highlight
    Themed(QPalette::Shadow),                      // 21 3-D dark shadow
    Themed(QPalette::Midlight),                    // 22 3-D light
    Themed(QPalette::ToolTipText),                 // 23 tooltip text
    Themed(QPalette::ToolTipBase),                 // 24 tooltip background
    kClassic,                                      // 25 (unused)
    Themed(QPalette::Link),                        // 26 hot-tracked item
    kClassic,                                      // 27 gradient of the active caption
    kClassic,                                      // 28 gradient of the inactive caption
    Themed(QPalette::Highlight),                   // 29 highlighted menu item
    Themed(QPalette::Window),                      // 30 menu bar
};
static_assert(std::size(kPaletteSlots) == std::size(kSystemColors));

// The palette of the control being painted (TSystemColorScope).
thread_local const QPalette* tPaintPalette = nullptr;
thread_local QPalette::ColorGroup tPaintGroup = QPalette::Active;

QColor QColorOf(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

TColor PaletteColor(const QPalette& palette, QPalette::ColorGroup group, const TPaletteSlot& slot) {
  const QColor c = palette.color(slot.OwnGroup ? slot.Group : group, slot.Role);
  return RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
             static_cast<uint8_t>(c.blue()));
}

// Largest em of a font, in pixels: bigger requests would only fill the
// glyph cache.
constexpr int32_t kMaxFontPixels = 16384;

// -v without overflow.
int32_t Negated(int32_t v) { return v == INT32_MIN ? INT32_MAX : -v; }

}  // namespace

TColor ColorToRGB(TColor color) {
  if (color >= 0) return color;
  const uint32_t index = static_cast<uint32_t>(color) & 0xFFu;
  if (index >= std::size(kSystemColors)) return clBlack;
  const TPaletteSlot& slot = kPaletteSlots[index];
  if (!slot.Themed) return kSystemColors[index];
  if (tPaintPalette) return PaletteColor(*tPaintPalette, tPaintGroup, slot);
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return kSystemColors[index];
  return PaletteColor(QGuiApplication::palette(), QPalette::Active, slot);
}

QPalette ClassicPalette() {
  QPalette palette;
  for (std::size_t i = 0; i < std::size(kPaletteSlots); ++i) {
    const TPaletteSlot& slot = kPaletteSlots[i];
    if (!slot.Themed) continue;
    if (slot.OwnGroup)
      palette.setColor(slot.Group, slot.Role, QColorOf(kSystemColors[i]));
    else
      palette.setColor(slot.Role, QColorOf(kSystemColors[i]));
  }
  return palette;
}

TSystemColorScope::TSystemColorScope(const QPalette& palette, QPalette::ColorGroup group)
    : previous_palette_(tPaintPalette), previous_group_(tPaintGroup) {
  tPaintPalette = &palette;
  tPaintGroup = group;
}

TSystemColorScope::~TSystemColorScope() {
  tPaintPalette = previous_palette_;
  tPaintGroup = previous_group_;
}

int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
  if (denominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(number) * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  const int64_t den = std::llabs(static_cast<int64_t>(denominator));
  const int64_t q = (std::llabs(product) + den / 2) / den;
  const int64_t result = negative ? -q : q;
  return result >= INT32_MIN && result <= INT32_MAX ? static_cast<int32_t>(result) : -1;
}

// ---------------------------------------------------------------------------

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor value) {
  color_ = value;
  Changed();
}
void TPen::SetStyle(TPenStyle value) {
  style_ = value;
  Changed();
}
void TPen::SetWidth(int32_t value) {
  width_ = value;
  Changed();
}
void TPen::SetMode(TPenMode value) {
  mode_ = value;
  Changed();
}

void TPen::Assign(const TPersistent& Source) {
  const auto* pen = dynamic_cast<const TPen*>(&Source);
  if (!pen) return TPersistent::Assign(Source);
  color_ = pen->color_;
  style_ = pen->style_;
  width_ = pen->width_;
  mode_ = pen->mode_;
  Changed();
}

void TBrush::SetColor(TColor value) {
  color_ = value;
  Changed();
}
void TBrush::SetStyle(TBrushStyle value) {
  style_ = value;
  Changed();
}

void TBrush::Assign(const TPersistent& Source) {
  const auto* brush = dynamic_cast<const TBrush*>(&Source);
  if (!brush) return TPersistent::Assign(Source);
  color_ = brush->color_;
  style_ = brush->style_;
  Changed();
}

// ---------------------------------------------------------------------------

TFont::TFont() : pixels_per_inch_(ScreenPixelsPerInch()) {
  height_ = Negated(MulDiv(8, pixels_per_inch_, 72));
}

TFont::~TFont() = default;

void TFont::Modified() {
  qfont_.reset();
  Changed();
}

void TFont::SetName(std::string_view value) {
  name_ = value;
  Modified();
}

int32_t TFont::Size() const { return Negated(MulDiv(height_, 72, pixels_per_inch_)); }

void TFont::SetSize(int32_t value) { SetHeight(Negated(MulDiv(value, pixels_per_inch_, 72))); }

void TFont::SetHeight(int32_t value) {
  height_ = value;
  Modified();
}

void TFont::SetStyle(TFontStyles value) {
  style_ = value;
  Modified();
}

void TFont::SetColor(TColor value) {
  color_ = value;
  Changed();
}

void TFont::SetPixelsPerInch(int32_t value) {
  if (value < 1) return;
  pixels_per_inch_ = value;
  Changed();
}

void TFont::SetEscapement(int32_t value) {
  escapement_ = value;
  Changed();
}

void TFont::Assign(const TPersistent& Source) {
  const auto* font = dynamic_cast<const TFont*>(&Source);
  if (!font) return TPersistent::Assign(Source);
  name_ = font->name_;
  style_ = font->style_;
  color_ = font->color_;
  escapement_ = font->escapement_;
  height_ = pixels_per_inch_ == font->pixels_per_inch_
                ? font->height_
                : Negated(MulDiv(font->Size(), pixels_per_inch_, 72));
  Modified();
}

const QFont& TFont::QtFont() const {
  if (qfont_) return *qfont_;
  EnsureGuiApplication();
  auto f = std::make_unique<QFont>(QtFamilyOf(name_));
  // No ligatures or other shaping either: a text is as wide as its letters.
  f->setStyleStrategy(static_cast<QFont::StyleStrategy>(QFont::NoAntialias | QFont::NoFontMerging |
                                                        QFont::PreferNoShaping));
  // Hinted advances are whole pixels, so text widths add up like on the
  // classic raster devices and do not drift with the renderer's defaults.
  f->setHintingPreference(QFont::PreferFullHinting);
  f->setKerning(false);
  f->setBold((style_ & FontStyleBit(fsBold)) != 0);
  f->setItalic((style_ & FontStyleBit(fsItalic)) != 0);
  f->setUnderline((style_ & FontStyleBit(fsUnderline)) != 0);
  f->setStrikeOut((style_ & FontStyleBit(fsStrikeOut)) != 0);
  int64_t em = std::llabs(int64_t{height_});
  if (height_ > 0) {
    // A positive height is the whole cell; find the em that fills it.
    QFont probe(*f);
    probe.setPixelSize(1000);
    const double cell = QFontMetricsF(probe).height();
    if (cell > 0) em = static_cast<int64_t>(height_ * 1000.0 / cell + 0.5);
  } else if (height_ == 0) {
    em = MulDiv(8, pixels_per_inch_, 72);
  }
  f->setPixelSize(static_cast<int>(std::clamp<int64_t>(em, 1, kMaxFontPixels)));
  qfont_ = std::move(f);
  return *qfont_;
}

// ---------------------------------------------------------------------------

TCanvas::TCanvas(bool isPrinter)
    : pen_(std::make_unique<TPen>()),
      brush_(std::make_unique<TBrush>()),
      font_(std::make_unique<TFont>()),
      is_printer_(isPrinter) {}

TCanvas::~TCanvas() = default;

void TCanvas::SetPen(const TPen* value) {
  if (value) pen_->Assign(*value);
}
void TCanvas::SetBrush(const TBrush* value) {
  if (value) brush_->Assign(*value);
}
void TCanvas::SetFont(const TFont* value) {
  if (value) font_->Assign(*value);
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}
void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::MoveTo(int32_t X, int32_t Y) {
  pen_pos_ = {X, Y};
  DoMoveTo(pen_pos_);
}

void TCanvas::LineTo(int32_t X, int32_t Y) {
  Changing();
  DoLine(pen_pos_, {X, Y});
  pen_pos_ = {X, Y};
  Changed();
}

void TCanvas::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Changing();
  DoRectangle({X1, Y1, X2, Y2});
  Changed();
}

void TCanvas::Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Changing();
  DoEllipse({X1, Y1, X2, Y2});
  Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  Changing();
  DoPolygon(points);
  Changed();
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  Changing();
  DoPolyline(points);
  Changed();
}

void TCanvas::FillRect(const TRect& r) {
  Changing();
  DoFillRect(r);
  Changed();
}

void TCanvas::FrameRect(const TRect& r) {
  Changing();
  DoFrameRect(r);
  Changed();
}

void TCanvas::TextOut(int32_t X, int32_t Y, std::string_view Text) {
  Changing();
  DoTextOut(X, Y, Text, nullptr);
  const int64_t x = static_cast<int64_t>(X) + TextWidth(Text);
  pen_pos_ = {static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)), Y};
  Changed();
}

void TCanvas::TextRect(const TRect& r, int32_t X, int32_t Y, std::string_view Text) {
  Changing();
  DoTextOut(X, Y, Text, &r);
  Changed();
}

TSize TCanvas::TextExtent(std::string_view Text) { return DoTextExtent(Text); }

void TCanvas::GetTextMetrics(TTextMetric& tm) { DoGetTextMetrics(tm); }

void TCanvas::CopyRect(const TRect& Dest, TCanvas& Canvas, const TRect& Source) {
  Changing();
  DoCopyRect(Dest, Canvas, Source);
  Changed();
}

void TCanvas::Draw(int32_t X, int32_t Y, const TGraphic& Graphic) {
  Changing();
  DoStretchDraw({X, Y, X, Y}, Graphic, false);
  Changed();
}

void TCanvas::StretchDraw(const TRect& r, const TGraphic& Graphic) {
  Changing();
  DoStretchDraw(r, Graphic, true);
  Changed();
}

TColor TCanvas::Pixels(int32_t X, int32_t Y) { return DoGetPixel(X, Y); }

void TCanvas::SetPixels(int32_t X, int32_t Y, TColor Color) {
  Changing();
  DoSetPixel(X, Y, Color);
  Changed();
}

}  // namespace nuv
