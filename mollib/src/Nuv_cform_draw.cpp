// Drawing of TMolForm: the formula with superscript isotope mass numbers and
// subscript counts on an off-screen bitmap, placed by Alignment.
#include <algorithm>

#include "nuv/Nuv_cform.h"
#include "nuv/platform/Bitmap.h"

namespace nuv {

namespace {

int32_t SmallFontSize(const TFont& font) { return Round32(0.8L * font.Size()) + 1; }

}  // namespace

void TMolForm::FontChanged() {
  TGraphicControl::FontChanged();
  Redraw();
}

void TMolForm::AdjustHeight() {
  TBitmap probe;
  probe.SetSize(1, 1);
  TCanvas& c = *probe.Canvas();
  c.SetFont(Font());
  c.Font()->SetSize(SmallFontSize(*Font()));
  const int32_t height = 2 * c.TextHeight("M");
  if (height != Height()) SetHeight(height);
}

int32_t TMolForm::DrawFormula(TCanvas& c, TColor text, TColor background) {
  const int32_t height = Height();
  const int32_t smallSize = SmallFontSize(*Font());
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(background);
  c.FillRect(c.ClipRect());
  c.Brush()->SetStyle(bsClear);
  c.SetFont(Font());
  c.Font()->SetColor(text);
  const int32_t normalSize = c.Font()->Size();
  int32_t x = 1;
  auto put = [&](int32_t size, int32_t y, const std::string& s) {
    c.Font()->SetSize(size);
    c.TextOut(x, y, s);
    x += c.TextWidth(s);
  };
  if (show_as_text_) {
    std::string s = AsString(0);
    if (!s.empty()) s.pop_back();
    put(normalSize, height / 5, s);
    return x;
  }
  for (int32_t i = 0; i < formula_.NumAtoms; ++i) {
    const int32_t z = formula_.AtNum[i], mass = formula_.AtWgt[i], count = formula_.AtCnt[i];
    if (count == 0) continue;
    const bool deuterium = use_deuterium_ && z == 1 && mass == 2;
    const bool label = !deuterium && (isotope_vis_ == ivAlways ||
                                      (isotope_vis_ == ivSpecial && mass != IntAtWeight(z)));
    if (label) put(smallSize, 0, std::to_string(mass));
    put(normalSize, height / 5, deuterium ? std::string("D") : CElemSymb(z));
    if (count > 1) put(smallSize, height / 4 + smallSize, std::to_string(count));
  }
  return x;
}

void TMolForm::Paint() {
  const int32_t width = Width(), height = Height();
  if (width <= 0 || height <= 0) return;
  TBitmap drawing;
  drawing.SetSize(2 * width, height);
  // Transparent: the text in its colour on black, over the background cut
  // out by a black-on-white mask of the same drawing.
  const int32_t drawn =
      DrawFormula(*drawing.Canvas(), color_txt_, transparent_ ? clBlack : color_bkg_);
  const int32_t shown = std::min(drawn, 2 * width);
  // The drawing's column that lands on the control's x = 0.
  int32_t origin = 0;
  if (alignment_ == taRightJustify) origin = shown - width;
  if (alignment_ == taCenter) origin = (shown - width) / 2;
  const int32_t from = std::max(origin, 0);
  const int32_t to = from - origin;
  const int32_t span = std::min(width - to, 2 * width - from);
  const TRect source{from, 0, from + span, height};
  const TRect dest{to, 0, to + span, height};
  TCanvas& c = *Canvas();
  if (!transparent_) {
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(color_bkg_);
    c.FillRect(ClientRect());
    c.SetCopyMode(cmSrcCopy);
    c.CopyRect(dest, *drawing.Canvas(), source);
    return;
  }
  TBitmap mask;
  mask.SetSize(2 * width, height);
  DrawFormula(*mask.Canvas(), clBlack, clWhite);
  c.SetCopyMode(cmSrcAnd);
  c.CopyRect(dest, *mask.Canvas(), source);
  c.SetCopyMode(cmSrcPaint);
  c.CopyRect(dest, *drawing.Canvas(), source);
  c.SetCopyMode(cmSrcCopy);
}

}  // namespace nuv
