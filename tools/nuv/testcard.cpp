#include "testcard.h"

#include <string>

namespace nuv::tool {

namespace {

constexpr int32_t kWidth = 560;
constexpr int32_t kHeight = 400;

const TColor kStandardColors[] = {clBlack, clMaroon,  clGreen,  clOlive, clNavy, clPurple,
                                  clTeal,  clGray,    clSilver, clRed,   clLime, clYellow,
                                  clBlue,  clFuchsia, clAqua,   clWhite};

void Caption(TCanvas& c, int32_t x, int32_t y, const std::string& text) {
  c.Brush()->SetStyle(bsClear);
  c.Font()->SetName("Arial");
  c.Font()->SetSize(8);
  c.Font()->SetStyle(0);
  c.Font()->SetColor(clBlack);
  c.Font()->SetEscapement(0);
  c.TextOut(x, y, text);
  c.Brush()->SetStyle(bsSolid);
}

void ResetTools(TCanvas& c) {
  c.Pen()->SetColor(clBlack);
  c.Pen()->SetStyle(psSolid);
  c.Pen()->SetWidth(1);
  c.Pen()->SetMode(pmCopy);
  c.Brush()->SetColor(clWhite);
  c.Brush()->SetStyle(bsSolid);
}

void ColourBars(TCanvas& c) {
  Caption(c, 10, 34, "Standard colours");
  for (int32_t i = 0; i < 16; ++i) {
    c.Brush()->SetColor(kStandardColors[i]);
    c.Rectangle(10 + i * 22, 50, 10 + i * 22 + 20, 70);
  }
  Caption(c, 380, 34, "Grey ramp (row access)");
  ResetTools(c);
}

void GreyRamp(TBitmap& b) {
  for (int32_t y = 50; y < 70; ++y) {
    uint32_t* row = b.ScanLine(y);
    for (int32_t x = 0; x < 170; ++x) {
      const uint32_t g = static_cast<uint32_t>(x * 255 / 169);
      row[380 + x] = 0xFF000000u | (g << 16) | (g << 8) | g;
    }
  }
}

void Lines(TCanvas& c) {
  Caption(c, 10, 80, "Lines without end pixel, pen styles and widths");
  for (int32_t i = 0; i <= 12; ++i) {
    c.Pen()->SetColor(kStandardColors[(i % 6) + 9]);
    c.MoveTo(20, 180);
    c.LineTo(20 + i * 10, 100 + (i * i) % 7);
    c.MoveTo(20, 180);
    c.LineTo(150, 180 - i * 6);
  }
  ResetTools(c);
  const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot};
  c.Brush()->SetStyle(bsClear);
  for (int32_t i = 0; i < 5; ++i) {
    c.Pen()->SetStyle(styles[i]);
    c.MoveTo(170, 100 + i * 10);
    c.LineTo(290, 100 + i * 10);
  }
  c.Pen()->SetStyle(psSolid);
  for (int32_t w = 2; w <= 6; w += 2) {
    c.Pen()->SetWidth(w);
    c.Pen()->SetColor(clNavy);
    c.MoveTo(170, 150 + w * 4);
    c.LineTo(290, 140 + w * 6);
  }
  ResetTools(c);
}

void Shapes(TCanvas& c) {
  Caption(c, 310, 80, "Ellipses 1..12 pixels, hatches, polygon");
  c.Pen()->SetColor(clMaroon);
  c.Brush()->SetColor(clYellow);
  int32_t x = 310;
  for (int32_t d = 1; d <= 12; ++d) {
    c.Ellipse(x, 100, x + d, 100 + d);
    x += d + 3;
  }
  const TBrushStyle hatches[] = {bsHorizontal, bsVertical, bsFDiagonal,
                                 bsBDiagonal,  bsCross,    bsDiagCross};
  c.Pen()->SetColor(clBlack);
  c.Brush()->SetColor(clBlue);
  for (int32_t i = 0; i < 6; ++i) {
    c.Brush()->SetStyle(hatches[i]);
    c.Rectangle(310 + i * 26, 120, 334 + i * 26, 144);
  }
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clLime);
  c.Polygon({{490, 150}, {520, 190}, {470, 165}, {530, 165}, {480, 190}});
  c.Brush()->SetColor(clAqua);
  c.Ellipse(310, 150, 460, 190);
  ResetTools(c);
}

void PenModes(TCanvas& c) {
  Caption(c, 10, 196, "Pen modes over the colour bars: xor, not, mask, merge");
  c.Pen()->SetStyle(psClear);
  const TPenMode modes[] = {pmXor, pmNot, pmMask, pmMerge};
  for (int32_t i = 0; i < 4; ++i) {
    c.Pen()->SetMode(modes[i]);
    c.Brush()->SetColor(clAqua);
    c.Rectangle(10 + i * 88, 58, 10 + i * 88 + 66, 64);
  }
  ResetTools(c);
}

void Texts(TCanvas& c) {
  const char* fonts[] = {"Arial", "Courier New", "Times New Roman"};
  for (int32_t i = 0; i < 3; ++i) {
    c.Font()->SetName(fonts[i]);
    c.Font()->SetSize(10);
    c.Font()->SetColor(clNavy);
    c.Brush()->SetStyle(bsClear);
    c.TextOut(10, 214 + i * 20,
              std::string(fonts[i]) +
                  ": Gr\xFC\xDF"
                  "e \x96 25 \xB0"
                  "C, 3 \xB5m, 12 \x80");
  }
  c.Font()->SetName("Arial");
  c.Font()->SetStyle(FontStyleBit(fsBold) | FontStyleBit(fsUnderline));
  c.Font()->SetColor(clWhite);
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clMaroon);
  c.TextOut(10, 280, " Inverse label on a solid brush ");
  c.Font()->SetStyle(0);
  c.Font()->SetColor(clGreen);
  c.Brush()->SetStyle(bsClear);
  const struct {
    int32_t angle, x, y;
  } rotated[] = {{900, 250, 392}, {450, 275, 392}, {2700, 548, 196}};
  for (const auto& r : rotated) {
    c.Font()->SetEscapement(r.angle);
    c.TextOut(r.x, r.y, "rotated " + std::to_string(r.angle / 10) + "\xB0");
  }
  ResetTools(c);
  Caption(c, 10, 300, "Text: cell from TextWidth and TextHeight");
  c.Font()->SetSize(14);
  const std::string sample = "Hg";
  const TSize s = c.TextExtent(sample);
  c.Pen()->SetColor(clRed);
  c.Brush()->SetStyle(bsClear);
  c.Rectangle(10, 318, 10 + s.cx, 318 + s.cy);
  c.TextOut(10, 318, sample);
  ResetTools(c);
}

void Magnifier(TCanvas& c) {
  constexpr int32_t kX = 340, kY = 342, kZoom = 8, kW = 18, kH = 6;
  Caption(c, kX, kY - 42, "Pixel rules, magnified 8 times:");
  Caption(c, kX, kY - 30, "Rectangle(0,0,5,5), Ellipse(6,0,11,5)");
  Caption(c, kX, kY - 18, "and a line from (12,0) to (16,4)");
  TBitmap small;
  small.SetSize(kW, kH);
  TCanvas& s = *small.Canvas();
  s.Brush()->SetColor(clWhite);
  s.FillRect(Rect(0, 0, kW, kH));
  s.Brush()->SetColor(clSkyBlue);
  s.Rectangle(0, 0, 5, 5);
  s.Ellipse(6, 0, 11, 5);
  s.MoveTo(12, 0);
  s.LineTo(16, 4);
  c.StretchDraw(Rect(kX, kY, kX + kW * kZoom, kY + kH * kZoom), small);
  c.Pen()->SetColor(clSilver);
  for (int32_t x = 0; x <= kW; ++x) {
    c.MoveTo(kX + x * kZoom, kY);
    c.LineTo(kX + x * kZoom, kY + kH * kZoom);
  }
  for (int32_t y = 0; y <= kH; ++y) {
    c.MoveTo(kX, kY + y * kZoom);
    c.LineTo(kX + kW * kZoom, kY + y * kZoom);
  }
  ResetTools(c);
}

void Frame(TCanvas& c) {
  // A raised bevel around the card: highlight on the top-left edges.
  c.Pen()->SetColor(clBtnHighlight);
  c.MoveTo(0, kHeight - 1);
  c.LineTo(0, 0);
  c.LineTo(kWidth - 1, 0);
  c.Pen()->SetColor(clBtnShadow);
  c.LineTo(kWidth - 1, kHeight - 1);
  c.LineTo(-1, kHeight - 1);
  ResetTools(c);
}

}  // namespace

void DrawTestCard(TBitmap& Bitmap) {
  Bitmap.SetSize(kWidth, kHeight);
  TCanvas& c = *Bitmap.Canvas();
  ResetTools(c);
  c.Brush()->SetColor(clCream);
  c.FillRect(Rect(0, 0, kWidth, kHeight));
  c.Font()->SetName("Arial");
  c.Font()->SetSize(14);
  c.Font()->SetStyle(FontStyleBit(fsBold));
  c.Brush()->SetStyle(bsClear);
  c.TextOut(10, 6, "nuv test card");
  ResetTools(c);
  ColourBars(c);
  GreyRamp(Bitmap);
  PenModes(c);
  Lines(c);
  Shapes(c);
  Texts(c);
  Magnifier(c);
  Frame(c);
}

}  // namespace nuv::tool
