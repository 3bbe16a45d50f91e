// Texts that image canvases draw from their held pixels: the same pixels
// and extents as Qt's own text drawing, on first and repeated use, after
// the font, colour or brush changed, and after the held texts are dropped.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <string>

#include "GraphicsTestUtil.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/CodePage.h"

namespace nuv {
namespace {

using testing::MakePatterned;
using testing::QtPixel;

constexpr int32_t kW = 90, kH = 40;

// What the canvas must paint: the text cell filled for a solid brush,
// then the text through QPainter, turned by the escapement, on a copy of
// before.
QImage Expected(const QImage& before, const TCanvas& cv, int32_t X, int32_t Y,
                const std::string& text) {
  QImage image = before.copy();
  const QFont& font = cv.Font()->QtFont();
  const QFontMetrics fm(font);
  const QString s = QString::fromStdString(AnsiToUtf8(text));
  QPainter p(&image);
  p.translate(X, Y);
  p.rotate(cv.Font()->Escapement() / -10.0);
  if (cv.Brush()->Style() == bsSolid && !s.isEmpty())
    p.fillRect(QRect(0, 0, fm.horizontalAdvance(s), fm.height()),
               QColor::fromRgb(QtPixel(cv.Brush()->Color())));
  p.setFont(font);
  p.setPen(QColor::fromRgb(QtPixel(cv.Font()->Color())));
  p.drawText(QPoint(0, fm.ascent()), s);
  return image;
}

// The first pixel where the bitmap and the expected image differ, or "".
std::string FirstDifference(const TBitmap& b, const QImage& expected) {
  const QImage& got = b.Image();
  for (int y = 0; y < expected.height(); ++y)
    for (int x = 0; x < expected.width(); ++x)
      if (got.pixel(x, y) != expected.pixel(x, y))
        return "pixel (" + std::to_string(x) + "," + std::to_string(y) + ")";
  return "";
}

// Draws text at (X, Y) and checks the pixels, the extent and the pen.
void ExpectDrawn(TBitmap& b, int32_t X, int32_t Y, const std::string& text,
                 const std::string& what) {
  TCanvas* cv = b.Canvas();
  const QImage before = b.Image().copy();
  const QImage expected = Expected(before, *cv, X, Y, text);
  cv->TextOut(X, Y, text);
  EXPECT_EQ(FirstDifference(b, expected), "") << what;
  const QFontMetrics fm(cv->Font()->QtFont());
  const QString s = QString::fromStdString(AnsiToUtf8(text));
  EXPECT_EQ(cv->TextExtent(text), (TSize{fm.horizontalAdvance(s), fm.height()})) << what;
  EXPECT_EQ(cv->PenPos(), Point(X + fm.horizontalAdvance(s), Y)) << what;
}

struct FontCase {
  const char* Name;
  int32_t Height;  // pixels: negative the em, positive the cell
  TFontStyles Style;
};

TEST(CanvasTextCache, RepeatedTextsPaintWhatQtPaints) {
  const FontCase fonts[] = {
      {"Arial", -11, 0},
      {"Courier New", -13, FontStyleBit(fsBold)},
      {"DejaVu Serif", -16, FontStyleBit(fsItalic)},
      {"Arial", 14, FontStyleBit(fsUnderline) | FontStyleBit(fsStrikeOut)},
      {"Times New Roman", -30, FontStyleBit(fsBold) | FontStyleBit(fsItalic)},
  };
  const std::string texts[] = {"LM 17", "gjpqy|W", "\xC4\xD6\xDC \x80 \xB5m", "", " "};
  // Inside, across every edge and wholly outside the image.
  const TPoint places[] = {{5, 5}, {-7, 10}, {60, -6}, {70, 30}, {20, 35}, {-200, 5}, {5, 90}};
  for (const FontCase& f : fonts)
    for (const std::string& text : texts) {
      auto b = MakePatterned(kW, kH);
      TCanvas* cv = b->Canvas();
      cv->Font()->SetName(f.Name);
      cv->Font()->SetHeight(f.Height);
      cv->Font()->SetStyle(f.Style);
      for (const TPoint at : places)
        for (const bool solid : {false, true}) {
          // The second round draws from what the first one held, in
          // another colour and brush.
          for (const TColor color : {clRed, clNavy}) {
            cv->Font()->SetColor(color);
            cv->Brush()->SetColor(color == clRed ? clYellow : clAqua);
            cv->Brush()->SetStyle(solid ? bsSolid : bsClear);
            ExpectDrawn(*b, at.X, at.Y, text,
                        std::string(f.Name) + " " + std::to_string(f.Height) + " '" + text +
                            "' at " + std::to_string(at.X) + "," + std::to_string(at.Y) +
                            (solid ? " solid" : " clear"));
          }
        }
    }
}

TEST(CanvasTextCache, ExtentFollowsTheFontAfterDrawing) {
  auto b = MakePatterned(kW, kH);
  TCanvas* cv = b->Canvas();
  for (const int32_t size : {8, 20, 8, 36}) {
    cv->Font()->SetSize(size);
    const QFontMetrics fm(cv->Font()->QtFont());
    const TSize expected{fm.horizontalAdvance("Wide text"), fm.height()};
    EXPECT_EQ(cv->TextExtent("Wide text"), expected) << "before drawing, size " << size;
    cv->TextOut(0, 0, "Wide text");
    EXPECT_EQ(cv->TextExtent("Wide text"), expected) << "after drawing, size " << size;
    EXPECT_EQ(cv->TextExtent("Wide tex"), (TSize{fm.horizontalAdvance("Wide tex"), fm.height()}))
        << "a prefix, size " << size;
  }
}

TEST(CanvasTextCache, StaysRightWhenManyFontsAndTextsAreDropped) {
  // More fonts and texts than the canvas holds: what it drops must not
  // come back for another font.
  auto b = MakePatterned(kW, kH);
  TCanvas* cv = b->Canvas();
  cv->Brush()->SetStyle(bsClear);
  cv->Font()->SetColor(clBlack);
  for (int round = 0; round < 2; ++round)
    for (int32_t h = 6; h < 90; ++h) {
      cv->Font()->SetHeight(-h);
      ExpectDrawn(*b, 3, 2, "Ab" + std::to_string(round + h % 3),
                  "height " + std::to_string(h) + " round " + std::to_string(round));
    }
}

TEST(CanvasTextCache, RotatedTextIsNotTakenFromTheFlatOne) {
  auto b = MakePatterned(kW, kH);
  TCanvas* cv = b->Canvas();
  cv->Font()->SetColor(clBlack);
  cv->Brush()->SetStyle(bsClear);
  ExpectDrawn(*b, 10, 10, "Turn", "flat");
  for (const int32_t escapement : {900, -450}) {
    cv->Font()->SetEscapement(escapement);
    ExpectDrawn(*b, 40, 30, "Turn", "escapement " + std::to_string(escapement));
  }
}

}  // namespace
}  // namespace nuv
