// Text on image canvases: where the ink goes relative to the canvas's own
// metrics, and the font object's size arithmetic.
#include <gtest/gtest.h>

#include <algorithm>

#include "GraphicsTestUtil.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/Printers.h"

namespace nuv {
namespace {

using testing::CountColor;
using testing::InkBox;
using testing::MakeBitmap;

bool Inside(const TRect& inner, const TRect& outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom;
}

TEST(CanvasText, InkStaysInTheCellThatTextWidthAndHeightDescribe) {
  const char* texts[] = {"Hello, World", "gjpqy|", "AV To", "\xC4\xD6\xDC \x80 \xB5m", "W"};
  for (const char* name : {"Arial", "Courier New", "DejaVu Serif"}) {
    for (const char* text : texts) {
      auto b = MakeBitmap(240, 60);
      TCanvas* cv = b->Canvas();
      cv->Font()->SetName(name);
      cv->Font()->SetSize(12);
      cv->Brush()->SetStyle(bsClear);
      cv->TextOut(10, 20, text);
      const TSize size = cv->TextExtent(text);
      const TRect cell = Bounds(10, 20, size.cx, size.cy);
      const TRect ink = InkBox(*b, clWhite);
      EXPECT_TRUE(ink.Width() > 0 && Inside(ink, cell)) << name << " '" << text << "'";
      EXPECT_EQ(cv->PenPos(), Point(10 + size.cx, 20)) << name << " '" << text << "'";
    }
  }
}

TEST(CanvasText, SolidBrushFillsExactlyTheCell) {
  auto b = MakeBitmap(200, 50);
  TCanvas* cv = b->Canvas();
  cv->Brush()->SetColor(clYellow);
  cv->Font()->SetColor(clBlue);
  cv->TextOut(7, 9, "Label 42");
  const TSize size = cv->TextExtent("Label 42");
  EXPECT_EQ(InkBox(*b, clWhite), Bounds(7, 9, size.cx, size.cy));
  EXPECT_GT(CountColor(*b, clBlue), 0);
  EXPECT_EQ(CountColor(*b, clYellow) + CountColor(*b, clBlue), size.cx * size.cy);
}

TEST(CanvasText, TextRectClipsAndFillsTheRectangle) {
  auto b = MakeBitmap(100, 40);
  TCanvas* cv = b->Canvas();
  cv->Brush()->SetColor(clAqua);
  cv->TextRect(Rect(5, 5, 30, 25), 0, 0, "A long caption that does not fit");
  EXPECT_EQ(InkBox(*b, clWhite), Rect(5, 5, 30, 25));
}

TEST(CanvasText, WidthsAddUpAndHeightIsAscentPlusDescent) {
  auto b = MakeBitmap(10, 10);
  TCanvas* cv = b->Canvas();
  for (int32_t size : {6, 8, 10, 14, 24}) {
    cv->Font()->SetSize(size);
    for (const char* pair : {"AV", "To", "LT", "Wa", "ff"}) {
      const std::string a(1, pair[0]), c(1, pair[1]);
      EXPECT_EQ(cv->TextWidth(pair), cv->TextWidth(a) + cv->TextWidth(c))
          << pair << " size " << size;
    }
    TTextMetric tm;
    cv->GetTextMetrics(tm);
    EXPECT_EQ(cv->TextHeight("x"), tm.tmHeight) << "size " << size;
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent) << "size " << size;
    EXPECT_EQ(cv->TextHeight(""), cv->TextHeight("Wg")) << "size " << size;
    EXPECT_EQ(cv->TextWidth(""), 0);
  }
}

TEST(CanvasText, HintedDejaVuMetricsArePinned) {
  // Guards the fixed font set-up: unhinted, "Hello" would be 41 pixels.
  auto b = MakeBitmap(10, 10);
  TCanvas* cv = b->Canvas();
  cv->Font()->SetName("DejaVu Sans");
  cv->Font()->SetHeight(-16);
  EXPECT_EQ(cv->TextWidth("Hello"), 37);
  EXPECT_EQ(cv->TextHeight("Hello"), 19);
}

TEST(CanvasText, EscapementRotatesAboutTheTopLeftCorner) {
  struct Case {
    int32_t escapement;
    // Cell of the rotated text relative to the origin, from width w and
    // height h.
    TRect (*cell)(int32_t x, int32_t y, int32_t w, int32_t h);
  };
  const Case cases[] = {
      {900, [](int32_t x, int32_t y, int32_t w, int32_t h) { return Rect(x, y - w, x + h, y); }},
      {1800, [](int32_t x, int32_t y, int32_t w, int32_t h) { return Rect(x - w, y - h, x, y); }},
      {2700, [](int32_t x, int32_t y, int32_t w, int32_t h) { return Rect(x - h, y, x, y + w); }},
  };
  for (const Case& c : cases) {
    auto b = MakeBitmap(120, 120);
    TCanvas* cv = b->Canvas();
    cv->Font()->SetEscapement(c.escapement);
    cv->Brush()->SetStyle(bsClear);
    cv->TextOut(60, 60, "Rotated");
    const TSize size = cv->TextExtent("Rotated");
    const TRect cell = c.cell(60, 60, size.cx, size.cy);
    const TRect ink = InkBox(*b, clWhite);
    // One pixel of slack for the rounding of rotated glyph positions.
    EXPECT_TRUE(ink.Width() > 0 &&
                Inside(ink, {cell.Left - 1, cell.Top - 1, cell.Right + 1, cell.Bottom + 1}))
        << "escapement " << c.escapement;
    EXPECT_GT(ink.Height(), ink.Width() * (c.escapement == 1800 ? 0 : 1))
        << "escapement " << c.escapement;
  }
}

TEST(Font, SizeAndHeightFollowThePixelDensity) {
  TFont f;
  f.SetPixelsPerInch(96);
  f.SetSize(10);
  EXPECT_EQ(f.Height(), -13);
  f.SetPixelsPerInch(300);
  EXPECT_EQ(f.Height(), -13);  // the density does not change the pixels
  EXPECT_EQ(f.Size(), 3);
  f.SetSize(10);
  EXPECT_EQ(f.Height(), -42);
  f.SetPixelsPerInch(0);  // ignored
  EXPECT_EQ(f.PixelsPerInch(), 300);

  TFont screen;
  screen.SetPixelsPerInch(96);
  screen.Assign(f);  // across densities the size in points is kept
  EXPECT_EQ(screen.Size(), 10);
  EXPECT_EQ(screen.Height(), -13);
}

TEST(Font, AssignCopiesEverythingButTheDensityAndFiresOnChange) {
  TFont a, b;
  a.SetName("Courier New");
  a.SetStyle(FontStyleBit(fsBold) | FontStyleBit(fsItalic));
  a.SetColor(clRed);
  a.SetEscapement(450);
  a.SetHeight(-20);
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.Assign(a);
  EXPECT_EQ(b.Name(), "Courier New");
  EXPECT_EQ(b.Style(), a.Style());
  EXPECT_EQ(b.Color(), clRed);
  EXPECT_EQ(b.Escapement(), 450);
  EXPECT_EQ(b.Height(), -20);
  EXPECT_EQ(changes, 1);
  TPen pen;
  EXPECT_THROW(b.Assign(pen), EConvertError);
}

TEST(Font, PositiveHeightIsTheWholeCell) {
  auto b = MakeBitmap(10, 10);
  TCanvas* cv = b->Canvas();
  for (int32_t cell : {12, 19, 30}) {
    cv->Font()->SetHeight(cell);
    EXPECT_NEAR(cv->TextHeight("X"), cell, 1) << "cell " << cell;
  }
}

TEST(Font, MetricsCarryTheTrueTypeBitOfTheName) {
  struct Case {
    const char* name;
    bool trueType;
    bool fixedPitch;
  };
  const Case cases[] = {{"DejaVu Sans", true, false}, {"DejaVu Sans Mono", true, true},
                        {"Courier New", true, true},  {"MS Sans Serif", false, false},
                        {"Courier", false, true},     {"Arial", true, false}};
  auto b = MakeBitmap(4, 4);
  for (const Case& c : cases) {
    b->Canvas()->Font()->SetName(c.name);
    TTextMetric tm;
    b->Canvas()->GetTextMetrics(tm);
    EXPECT_EQ((tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0, c.trueType) << c.name;
    // The bit is set for variable pitch.
    EXPECT_EQ((tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0, c.fixedPitch) << c.name;
  }
}

TEST(Screen, FontsListsInstalledFamiliesAndServedNamesInOrder) {
  const std::vector<std::string> fonts = Screen().Fonts();
  for (const char* name :
       {"DejaVu Sans", "DejaVu Sans Mono", "Courier New", "MS Sans Serif", "Arial"})
    EXPECT_NE(std::find(fonts.begin(), fonts.end(), name), fonts.end()) << name;
  EXPECT_TRUE(std::is_sorted(
      fonts.begin(), fonts.end(),
      [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; }));
  EXPECT_EQ(Screen().PixelsPerInch(), 96);
}

TEST(PrinterCanvas, IsAPrinterAtThreeHundredPixelsPerInchAndMeasuresText) {
  TCanvas* cv = Printer().Canvas();
  EXPECT_TRUE(cv->IsPrinter());
  EXPECT_EQ(cv->Font()->PixelsPerInch(), TPrinter::kResolution);
  EXPECT_EQ(cv->Pixels(0, 0), -1);  // no page outside a document
  const int32_t old = cv->Font()->Height();
  cv->Font()->SetSize(10);
  EXPECT_EQ(cv->Font()->Height(), -42);
  EXPECT_GT(cv->TextWidth("Hello"), 2 * MakeBitmap(1, 1)->Canvas()->TextWidth("Hello"));
  cv->Font()->SetHeight(old);
}

}  // namespace
}  // namespace nuv
