// TChemGraph: properties, painting and the drawing of bonds and labels.
#include "nuv/Nuv_chemgrph.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Nuv_chemgrph_geom.h"
#include "mollib_units.h"
#include "nuv/Nuv_cdata.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

using chemgrph::PixelOf;
using chemgrph::zC;
using chemgrph::zN;
using chemgrph::zO;
using chemgrph::zP;
using chemgrph::zS;

namespace {

constexpr TColor kDarkFrame = 0x000000;

// The usable extent of a control or box side: never 0 or negative, so that
// a tiny control neither divides by zero nor mirrors the drawing.
int32_t Usable(int32_t extent) { return std::max(extent, 1); }

int32_t Sign(int32_t v) { return (v > 0) - (v < 0); }

std::string ChargeText(int32_t charge) {
  if (charge == 0) return {};
  const char sign = charge > 0 ? '+' : '-';
  const int32_t n = std::abs(charge);
  return n == 1 ? std::string(1, sign) : std::to_string(n) + sign;
}

struct TSuffixRow {
  int32_t charge, sum;
  const char* suffix;
};

// The labels of nitrogen and phosphorus, oxygen and sulfur by charge and
// bond sum.
constexpr TSuffixRow kNPSuffix[] = {{0, 0, "H3"},  {0, 1, "H2"},  {0, 2, "H"},   {0, 3, ""},
                                    {1, 0, "H4+"}, {1, 1, "H3+"}, {1, 2, "H2+"}, {1, 3, "H+"},
                                    {1, 4, "+"},   {-1, 1, "H-"}, {-1, 2, "-"},  {-1, 3, "-"}};
constexpr TSuffixRow kOSSuffix[] = {{0, 1, "H"},  {0, 2, ""},   {1, 1, "H2+"},
                                    {1, 2, "H+"}, {-1, 1, "-"}, {-1, 2, "-"}};

template <std::size_t N>
const char* FindSuffix(const TSuffixRow (&rows)[N], int32_t charge, int32_t sum) {
  for (const TSuffixRow& r : rows)
    if (r.charge == charge && r.sum == sum) return r.suffix;
  return nullptr;
}

}  // namespace

namespace chemgrph {

int32_t PixelOf(double v) {
  constexpr double kLimit = 1 << 20;
  if (!(v >= -kLimit)) v = std::isnan(v) ? 0 : -kLimit;
  if (v > kLimit) v = kLimit;
  return static_cast<int32_t>(std::nearbyint(v));
}

TFit FitMolecule(const TCTab& t, int32_t width, int32_t height, int32_t centreX, int32_t centreY,
                 int32_t maxBondLeng) {
  double minX = 0, minY = 0, maxX = 0, maxY = 0, meanX = 0, meanY = 0;
  double mean = 0;
  if (t.NAtoms() >= 2) {
    mean = static_cast<double>(t.CalcMolExtents(minX, minY, maxX, maxY, meanX, meanY));
  } else if (t.NAtoms() == 1) {
    minX = maxX = t.GetCoords(1, 1);
    minY = maxY = t.GetCoords(1, 2);
  }
  const double ex = maxX - minX, ey = maxY - minY;
  const double sx = ex > 0 ? width / ex : width;
  const double sy = ey > 0 ? height / ey : height;
  TFit fit;
  fit.Scale = std::min(sx, sy);
  if (maxBondLeng > 0) fit.Scale = std::min(fit.Scale, mean > 0 ? maxBondLeng / mean : maxBondLeng);
  fit.OffsetX = centreX - fit.Scale * (minX + maxX) / 2;
  fit.OffsetY = centreY - fit.Scale * (minY + maxY) / 2;
  const double v = fit.Scale * mean / 5;
  const int32_t n = v < 1000 ? Round32(v) : 1000;
  fit.FontSize = std::min(n >= 4 ? n + 4 : 8, 20);
  return fit;
}

TPoint BoxExit(TPoint p, TPoint toward, int32_t halfWidth, int32_t halfHeight) {
  const int32_t dx = toward.X - p.X, dy = toward.Y - p.Y;
  if (dx == 0) return {p.X, p.Y + Sign(dy) * halfHeight};
  if (dy == 0) return {p.X + Sign(dx) * halfWidth, p.Y};
  const int64_t adx = std::abs(int64_t{dx}), ady = std::abs(int64_t{dy});
  if (adx * halfHeight > ady * halfWidth)
    return {p.X + Sign(dx) * halfWidth,
            PixelOf(p.Y + static_cast<double>(dy) * halfWidth / static_cast<double>(adx))};
  return {PixelOf(p.X + static_cast<double>(dx) * halfHeight / static_cast<double>(ady)),
          p.Y + Sign(dy) * halfHeight};
}

TPoint Displacement(TPoint from, TPoint to, double distance) {
  const double dx = to.X - from.X, dy = to.Y - from.Y;
  const double len = std::hypot(dx, dy);
  if (!(len > 0)) return {0, 0};
  return {PixelOf(-dy / len * distance), PixelOf(dx / len * distance)};
}

}  // namespace chemgrph

// ---------------------------------------------------------------------------
// Construction and properties

TChemGraph::TChemGraph(TComponent* AOwner)
    : TGraphicControl(AOwner), structure_(std::make_unique<TCTab>(nullptr)) {
  SetBounds(Left(), Top(), 300, 200);
  Font()->SetName("Courier New");
  Font()->SetSize(14);
  Font()->SetStyle(0);
  SetColor(color_bkg_);
  structure_->OnChange = [this](TObject*) { Redraw(); };
}

TChemGraph::~TChemGraph() { structure_->OnChange = nullptr; }

void TChemGraph::Redraw() {
  if (!suppress_paint_) Repaint();
}

void TChemGraph::FontChanged() {
  TGraphicControl::FontChanged();
  Redraw();
}

void TChemGraph::SetColorBakG(TColor Value) {
  if (Value == color_bkg_) return;
  color_bkg_ = Value;
  SetColor(Value);
  Redraw();
}

void TChemGraph::SetMolColor(TColor Value) {
  if (Value == color_struct_) return;
  color_struct_ = Value;
  Redraw();
}

void TChemGraph::SetColorScheme(TColorScheme Value) {
  color_scheme_ = Value;
  const bool system = Value == csSystem;
  color_shadow_ = system ? clBtnShadow : 0x808080;
  color_highlight_ = system ? clBtnHighlight : 0xFFFFFF;
  Redraw();
}

void TChemGraph::SetDisplayMode(TCGDispMode Value) {
  if (Value == display_mode_) return;
  display_mode_ = Value;
  Redraw();
}

void TChemGraph::SetFrameStyle(TFrameStyle Value) {
  if (Value == frame_style_) return;
  frame_style_ = Value;
  Redraw();
}

void TChemGraph::SetMaxbondleng(int32_t Value) {
  if (Value == max_bond_leng_) return;
  max_bond_leng_ = Value;
  Redraw();
}

void TChemGraph::SetSuppressPaint(bool Value) {
  suppress_paint_ = Value;
  Redraw();
}

void TChemGraph::SetDrawAsIs(bool Value) {
  if (Value == draw_as_is_) return;
  draw_as_is_ = Value;
  Redraw();
}

uint32_t TChemGraph::DisplayWord(int32_t Atom) const {
  return structure_->GetAtomEntries(Atom).Reserved;
}

void TChemGraph::SetDisplayWord(int32_t Atom, uint32_t Word) {
  CTElem e = structure_->GetAtomEntries(Atom);
  e.Reserved = Word;
  structure_->SetAtomEntries(Atom, e);
}

TColor TChemGraph::GetAtColor(int32_t Atom) const {
  if (Atom < 1 || Atom > structure_->NAtoms()) return 0;
  return static_cast<TColor>(DisplayWord(Atom) & cgColorMask);
}

void TChemGraph::SetAtColor(int32_t Atom, TColor Value) {
  if (Atom < 1 || Atom > structure_->NAtoms()) return;
  const uint32_t style = DisplayWord(Atom) & (cgBold | cgInverse | cgItalic);
  SetDisplayWord(Atom, style | (static_cast<uint32_t>(ColorToRGB(Value)) & cgColorMask));
}

int32_t TChemGraph::GetVisAttrib(int32_t Atom) const {
  if (Atom < 1 || Atom > structure_->NAtoms()) return 0;
  return static_cast<int32_t>((DisplayWord(Atom) >> 28) & 7u);
}

void TChemGraph::SetVisAttrib(int32_t Atom, int32_t Value) {
  if (Atom < 1 || Atom > structure_->NAtoms() || Value < 0 || Value > 7) return;
  const uint32_t rest = DisplayWord(Atom) & ~(cgBold | cgInverse | cgItalic);
  SetDisplayWord(Atom, rest | (static_cast<uint32_t>(Value) << 28));
}

int32_t TChemGraph::GetClipBoundary(TDirection Direction) const {
  return Direction <= diBottom ? clip_[Direction] : 0;
}

void TChemGraph::SetClipBoundary(TDirection Direction, int32_t Value) {
  if (Direction <= diBottom) clip_[Direction] = Value;
}

// ---------------------------------------------------------------------------
// Labels

int32_t TChemGraph::ConstructElemSymb(int32_t Atom, std::string& Text) const {
  Text.clear();
  const TCTab& t = *structure_;
  if (Atom < 1 || Atom > t.NAtoms()) return 0;
  const int32_t z = t.GetAtNum(Atom), charge = t.GetCharge(Atom);
  int32_t sum = 0;
  bool aromatic = false;
  for (int32_t s = 1; s <= t.GetNBonds(Atom); ++s) {
    const int32_t type = t.GetTypConn(Atom, s);
    sum += type == 4 ? 1 : type;
    aromatic = aromatic || type == 4;
  }
  sum += aromatic ? 1 : 0;
  const char* suffix = nullptr;
  if (z == zN || z == zP)
    suffix = FindSuffix(kNPSuffix, charge, sum);
  else if (z == zO || z == zS)
    suffix = FindSuffix(kOSSuffix, charge, sum);
  else if (charge >= -1 && charge <= 1)
    suffix = charge == 0 ? "" : (charge > 0 ? "+" : "-");
  Text = CElemSymb(z);
  if (suffix != nullptr) {
    Text += suffix;
  } else {
    const int32_t h = t.NrHAtoms(Atom);
    if (h > 0) Text += 'H';
    if (h > 1) Text += std::to_string(h);
    Text += ChargeText(charge);
  }
  return static_cast<int32_t>(Text.size());
}

bool TChemGraph::LabelShown(int32_t Atom, TCGDispMode Mode) const {
  const TCTab& t = *structure_;
  const bool bare = t.GetNBonds(Atom) == 0 || t.GetCharge(Atom) != 0;
  switch (Mode) {
    case dmSkeleton:
      return bare;
    case dmHeteroOnly:
      return bare || t.GetAtNum(Atom) != zC;
    default:
      return true;
  }
}

int32_t TChemGraph::BoxLabelLength(int32_t Atom, TCGDispMode Mode) const {
  if (Mode == dmNumbers) return Atom < 10 ? 1 : 2;
  if (!LabelShown(Atom, Mode)) return 0;
  std::string text;
  return ConstructElemSymb(Atom, text);
}

void TChemGraph::DispElemSymb(int32_t Atom, TCGDispMode Mode, double Scale, double OffsetX,
                              double OffsetY, bool Clip, TCanvas& Canvas) {
  const TCTab& t = *structure_;
  if (Atom < 1 || Atom > t.NAtoms()) return;
  if (Mode == dmHeteroOnly && !LabelShown(Atom, Mode)) return;
  const int32_t x = PixelOf(t.GetCoords(Atom, 1) * Scale + OffsetX);
  const int32_t y = PixelOf(t.GetCoords(Atom, 2) * Scale + OffsetY);
  if (Clip && !(clip_[diLeft] + 40 < x && x < clip_[diRight] - 40 && clip_[diTop] + 40 < y &&
                y < clip_[diBottom] - 40))
    return;
  std::string text;
  if (Mode == dmNumbers)
    text = std::to_string(Atom);
  else
    ConstructElemSymb(Atom, text);
  const uint32_t word = DisplayWord(Atom);
  const TColor colour =
      (word & cgStructColor) != 0 ? color_struct_ : static_cast<TColor>(word & cgColorMask);
  TFont& font = *Canvas.Font();
  const TFontStyles oldStyle = font.Style();
  font.SetStyle(((word & cgBold) != 0 ? FontStyleBit(fsBold) : 0) |
                ((word & cgItalic) != 0 ? FontStyleBit(fsItalic) : 0));
  if ((word & cgInverse) != 0) {
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Brush()->SetColor(colour);
    font.SetColor(color_bkg_);
  } else {
    Canvas.Brush()->SetStyle(bsClear);
    font.SetColor(colour);
  }
  const TSize extent = Canvas.TextExtent(text);
  Canvas.TextOut(x - extent.cx / 2, y - extent.cy / 2, text);
  Canvas.Brush()->SetStyle(bsClear);
  font.SetStyle(oldStyle);
}

// ---------------------------------------------------------------------------
// Bonds

void TChemGraph::DrawConnections(int32_t Atom, bool OncePerBond, TCGDispMode LabelMode,
                                 double Scale, double OffsetX, double OffsetY, bool Clip,
                                 TCanvas& Canvas) {
  const TCTab& t = *structure_;
  if (Atom < 1 || Atom > t.NAtoms()) return;
  auto pixel = [&](int32_t a) {
    return TPoint{PixelOf(t.GetCoords(a, 1) * Scale + OffsetX),
                  PixelOf(t.GetCoords(a, 2) * Scale + OffsetY)};
  };
  const int32_t half = Canvas.Font()->Size() / 2 + 1;
  auto clipped = [&](TPoint p) {
    if (!Clip) return p;
    p.X = std::min(std::max(p.X, clip_[diLeft] + 4), clip_[diRight] - 4);
    p.Y = std::min(std::max(p.Y, clip_[diTop] + 4), clip_[diBottom] - 4);
    return p;
  };
  auto line = [&](TPoint a, TPoint b, TPoint shift) {
    Canvas.MoveTo(a.X + shift.X, a.Y + shift.Y);
    Canvas.LineTo(b.X + shift.X, b.Y + shift.Y);
  };
  const TPoint from = pixel(Atom);
  const int32_t ownLength = BoxLabelLength(Atom, LabelMode);
  for (int32_t s = 1; s <= t.GetNBonds(Atom); ++s) {
    const int32_t other = t.GetConnTo(Atom, s);
    if (other < 1 || other > t.NAtoms() || (OncePerBond && other < Atom)) continue;
    const TPoint to = pixel(other);
    TPoint a = from, b = to;
    if (from != to) {
      const int32_t otherLength = BoxLabelLength(other, LabelMode);
      if (ownLength > 0) a = chemgrph::BoxExit(from, to, ownLength * half, half);
      if (otherLength > 0) b = chemgrph::BoxExit(to, from, otherLength * half, half);
    }
    a = clipped(a);
    b = clipped(b);
    switch (t.GetTypConn(Atom, s)) {
      case 1:
        line(a, b, {0, 0});
        break;
      case 2: {
        const TPoint d = chemgrph::Displacement(from, to, 1.65);
        line(a, b, d);
        line(a, b, {-d.X, -d.Y});
        break;
      }
      case 3: {
        const TPoint d = chemgrph::Displacement(from, to, 3);
        line(a, b, {0, 0});
        line(a, b, d);
        line(a, b, {-d.X, -d.Y});
        break;
      }
      case 4:
        Canvas.Pen()->SetStyle(psDash);
        Canvas.Pen()->SetWidth(1);
        line(a, b, {0, 0});
        Canvas.Pen()->SetStyle(psSolid);
        Canvas.Pen()->SetWidth(1);
        break;
      default:
        break;
    }
  }
}

// ---------------------------------------------------------------------------
// Whole drawings

void TChemGraph::DrawMolRaw(TCGDispMode Mode, double Scale, double OffsetX, double OffsetY,
                            bool Clip, TCanvas& Canvas) {
  scale_ = Scale;
  offset_x_ = OffsetX;
  offset_y_ = OffsetY;
  TPen& pen = *Canvas.Pen();
  TBrush& brush = *Canvas.Brush();
  const TBrushStyle brushStyle = brush.Style();
  const TColor penColour = pen.Color(), brushColour = brush.Color();
  const TColor fontColour = Canvas.Font()->Color();
  const TPenMode penMode = pen.Mode();
  pen.SetColor(color_struct_);
  pen.SetMode(pmCopy);
  pen.SetStyle(psSolid);
  pen.SetWidth(1);
  Canvas.Font()->SetColor(color_struct_);
  brush.SetStyle(bsClear);
  const int32_t n = structure_->NAtoms();
  for (int32_t a = 1; a <= n; ++a)
    DrawConnections(a, true, Mode, Scale, OffsetX, OffsetY, Clip, Canvas);
  for (int32_t a = 1; a <= n; ++a)
    if (LabelShown(a, Mode)) DispElemSymb(a, Mode, Scale, OffsetX, OffsetY, Clip, Canvas);
  brush.SetStyle(brushStyle);
  pen.SetColor(penColour);
  brush.SetColor(brushColour);
  Canvas.Font()->SetColor(fontColour);
  pen.SetMode(penMode);
}

void TChemGraph::ShowMoleculeInABox(TCanvas& Canvas, TCGDispMode Mode, int32_t Left, int32_t Top,
                                    int32_t Right, int32_t Bottom, int32_t MaxBondLeng) {
  const chemgrph::TFit fit =
      chemgrph::FitMolecule(*structure_, Usable(Right - Left), Usable(Bottom - Top),
                            static_cast<int32_t>((int64_t{Left} + Right) / 2),
                            static_cast<int32_t>((int64_t{Top} + Bottom) / 2), MaxBondLeng);
  Canvas.Font()->SetName("Courier New");
  Canvas.Font()->SetSize(fit.FontSize);
  DrawMolRaw(Mode, fit.Scale, fit.OffsetX, fit.OffsetY, false, Canvas);
}

// Frame lines are axis-parallel, so they are filled as one-pixel bars:
// the pixels of MoveTo/LineTo (without the end pixel) and of the border
// rectangle, at a fraction of the cost of rasterising lines.
void TChemGraph::DrawFrame(TCanvas& c) const {
  const int32_t w = Width(), h = Height();
  c.Brush()->SetStyle(bsSolid);
  auto bar = [&](int32_t left, int32_t top, int32_t right, int32_t bottom, TColor colour) {
    c.Brush()->SetColor(colour);
    c.FillRect(Rect(left, top, right, bottom));
  };
  // The pixels of a line from `from` towards `to` along one axis, the end
  // left out.
  auto span = [](int32_t from, int32_t to, int32_t& lo, int32_t& hi) {
    lo = from < to ? from : to + 1;
    hi = from < to ? to : from + 1;
  };
  auto hline = [&](int32_t y, int32_t x0, int32_t x1, TColor colour) {
    int32_t lo = 0, hi = 0;
    span(x0, x1, lo, hi);
    if (x0 != x1) bar(lo, y, hi, y + 1, colour);
  };
  auto vline = [&](int32_t x, int32_t y0, int32_t y1, TColor colour) {
    int32_t lo = 0, hi = 0;
    span(y0, y1, lo, hi);
    if (y0 != y1) bar(x, lo, x + 1, hi, colour);
  };
  auto border = [&](TColor colour) {
    bar(0, 0, w, 1, colour);
    bar(0, h - 1, w, h, colour);
    bar(0, 0, 1, h, colour);
    bar(w - 1, 0, w, h, colour);
  };
  if (frame_style_ == fsNone || frame_style_ == fsSimple) {
    border(frame_style_ == fsNone ? color_bkg_ : color_shadow_);
    return;
  }
  border(frame_style_ == fsEmbossed ? color_highlight_ : color_shadow_);
  TColor inner = color_highlight_, outer = color_highlight_;
  if (frame_style_ == fsLowered) inner = kDarkFrame;
  if (frame_style_ == fsRaised) outer = kDarkFrame;
  if (frame_style_ == fsEmbossed) inner = outer = color_shadow_;
  vline(1, h - 3, 1, inner);
  hline(1, 1, w - 2, inner);
  hline(h - 1, 1, w - 1, outer);
  vline(w - 1, h - 1, 0, outer);
}

// The surface is the off-screen image the widget shows, so the picture is
// composed on it directly.
void TChemGraph::Paint() {
  if (suppress_paint_ || !Visible()) return;
  PaintOn(*Canvas());
}

void TChemGraph::PaintOn(TCanvas& c) {
  const int32_t w = Width(), h = Height();
  if (w <= 0 || h <= 0) return;
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(color_bkg_);
  c.FillRect(Rect(0, 0, w, h));
  DrawFrame(c);
  c.SetFont(Font());
  if (structure_->NAtoms() == 0) {
    const std::string text = "no structure loaded";
    const TSize extent = c.TextExtent(text);
    c.Brush()->SetStyle(bsClear);
    c.Font()->SetColor(color_struct_);
    c.TextOut((w - extent.cx) / 2 + 2, (h - extent.cy) / 2, text);
    return;
  }
  if (draw_as_is_) {
    DrawMolRaw(display_mode_, 1, 0, 0, false, c);
    return;
  }
  const chemgrph::TFit fit = chemgrph::FitMolecule(*structure_, Usable(w - 16), Usable(h - 16),
                                                   w / 2, h / 2, max_bond_leng_);
  c.Font()->SetSize(fit.FontSize);
  DrawMolRaw(display_mode_, fit.Scale, fit.OffsetX, fit.OffsetY, false, c);
}

}  // namespace nuv

namespace nuv::units {

void Nuv_chemgrph_Init() {}
void Nuv_chemgrph_Finalize() {}

}  // namespace nuv::units
