// Pixel probes of the raster rules that drawing code relies on.
#include <gtest/gtest.h>

#include <cstdlib>

#include "GraphicsTestUtil.h"
#include "nuv/platform/Bitmap.h"

namespace nuv {
namespace {

using testing::CountColor;
using testing::InkBox;
using testing::MakeBitmap;
using testing::MakePatterned;
using testing::PixelsOf;

struct LineCase {
  TPoint from, to;
};

TEST(CanvasLine, OmitsTheEndPixelAndPaintsOnePixelPerStep) {
  const LineCase cases[] = {
      {{2, 5}, {12, 5}},  {{12, 5}, {2, 5}},  {{5, 1}, {5, 15}}, {{5, 15}, {5, 1}},
      {{1, 1}, {11, 11}}, {{11, 1}, {1, 11}}, {{0, 0}, {13, 4}}, {{13, 4}, {0, 0}},
      {{3, 0}, {6, 14}},  {{6, 14}, {3, 0}},  {{4, 4}, {5, 5}},  {{4, 4}, {5, 4}},
  };
  for (const auto& c : cases) {
    auto b = MakeBitmap(16, 16);
    TCanvas* cv = b->Canvas();
    cv->Pen()->SetColor(clRed);
    cv->MoveTo(c.from.X, c.from.Y);
    cv->LineTo(c.to.X, c.to.Y);
    const int32_t steps = std::max(std::abs(c.to.X - c.from.X), std::abs(c.to.Y - c.from.Y));
    SCOPED_TRACE(::testing::Message() << "line (" << c.from.X << "," << c.from.Y << ")-(" << c.to.X
                                      << "," << c.to.Y << ")");
    EXPECT_EQ(cv->Pixels(c.from.X, c.from.Y), clRed);
    EXPECT_EQ(cv->Pixels(c.to.X, c.to.Y), clWhite);
    EXPECT_EQ(CountColor(*b, clRed), steps);
    EXPECT_EQ(cv->PenPos(), c.to);
  }
}

TEST(CanvasLine, DiagonalsAndAxesHitExactPixels) {
  auto b = MakeBitmap(8, 8);
  TCanvas* cv = b->Canvas();
  cv->Pen()->SetColor(clBlack);
  cv->MoveTo(0, 0);
  cv->LineTo(4, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(cv->Pixels(i, i), clBlack) << "i=" << i;
  EXPECT_EQ(CountColor(*b, clBlack), 4);
}

TEST(CanvasLine, ClosedPathPaintsEveryVertexOnce) {
  // Head-to-tail lines share no pixel: XOR along a closed path paints each
  // pixel once, so nothing cancels.
  auto b = MakeBitmap(20, 20, clBlack);
  TCanvas* cv = b->Canvas();
  cv->Pen()->SetColor(clWhite);
  cv->Pen()->SetMode(pmXor);
  const TPoint path[] = {{2, 2}, {15, 4}, {12, 17}, {3, 10}, {2, 2}};
  cv->MoveTo(path[0].X, path[0].Y);
  for (int i = 1; i < 5; ++i) cv->LineTo(path[i].X, path[i].Y);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(cv->Pixels(path[i].X, path[i].Y), clWhite) << "vertex " << i;
}

TEST(CanvasLine, FarAwayEndPointsAreClippedWithoutCost) {
  auto b = MakeBitmap(10, 10);
  TCanvas* cv = b->Canvas();
  cv->Pen()->SetColor(clBlue);
  cv->MoveTo(-2000000000, 5);
  cv->LineTo(2000000000, 5);
  EXPECT_EQ(CountColor(*b, clBlue), 10);
  cv->MoveTo(INT32_MIN, INT32_MIN);
  cv->LineTo(INT32_MAX, INT32_MAX);
  EXPECT_EQ(cv->Pixels(3, 3), clBlue);
}

// Rows and columns take a direct path; every end on, inside and outside the
// edges gives the pixels from the start up to the end, each once (XOR).
TEST(CanvasLine, RowsAndColumnsPaintFromStartToEndAtEveryEdge) {
  for (int32_t from = -3; from <= 12; ++from)
    for (int32_t to = -3; to <= 12; ++to)
      for (const bool row : {true, false}) {
        auto b = MakeBitmap(10, 10, clBlack);
        TCanvas* cv = b->Canvas();
        cv->Pen()->SetColor(clWhite);
        cv->Pen()->SetMode(pmXor);
        row ? cv->MoveTo(from, 4) : cv->MoveTo(4, from);
        row ? cv->LineTo(to, 4) : cv->LineTo(4, to);
        int32_t expected = 0;
        for (int32_t v = 0; v < 10; ++v) {
          const bool on = from <= to ? v >= from && v < to : v <= from && v > to;
          expected += on;
          EXPECT_EQ(row ? cv->Pixels(v, 4) : cv->Pixels(4, v), on ? clWhite : clBlack)
              << (row ? "row " : "column ") << from << " to " << to << " at " << v;
        }
        EXPECT_EQ(CountColor(*b, clWhite), expected) << from << " to " << to;
      }
}

struct BoxCase {
  int32_t x1, y1, x2, y2;
};

TEST(CanvasRectangle, ExcludesRightAndBottomEdges) {
  const BoxCase cases[] = {{2, 3, 9, 11}, {9, 11, 2, 3}, {4, 4, 5, 5},
                           {4, 2, 5, 12}, {1, 6, 14, 7}, {0, 0, 16, 16}};
  for (const auto& c : cases) {
    auto b = MakeBitmap(16, 16);
    TCanvas* cv = b->Canvas();
    cv->Pen()->SetColor(clRed);
    cv->Brush()->SetColor(clBlue);
    cv->Rectangle(c.x1, c.y1, c.x2, c.y2);
    const TRect box{std::min(c.x1, c.x2), std::min(c.y1, c.y2), std::max(c.x1, c.x2),
                    std::max(c.y1, c.y2)};
    SCOPED_TRACE(::testing::Message()
                 << "rect " << c.x1 << "," << c.y1 << "," << c.x2 << "," << c.y2);
    EXPECT_EQ(InkBox(*b, clWhite), box);
    EXPECT_EQ(cv->Pixels(box.Left, box.Top), clRed);
    EXPECT_EQ(cv->Pixels(box.Right - 1, box.Bottom - 1), clRed);
    const int32_t w = box.Width(), h = box.Height();
    const int32_t outline = (w == 1 || h == 1) ? w * h : 2 * (w + h) - 4;
    EXPECT_EQ(CountColor(*b, clRed), outline);
    EXPECT_EQ(CountColor(*b, clBlue), w * h - outline);
  }
}

TEST(CanvasRectangle, ClearPenLetsTheBrushFillTheWholeBoxAndClearBrushOnlyOutlines) {
  auto b = MakeBitmap(12, 12);
  TCanvas* cv = b->Canvas();
  cv->Pen()->SetStyle(psClear);
  cv->Brush()->SetColor(clGreen);
  cv->Rectangle(2, 2, 7, 6);
  EXPECT_EQ(CountColor(*b, clGreen), 5 * 4);
  EXPECT_EQ(InkBox(*b, clWhite), Rect(2, 2, 7, 6));

  auto c = MakeBitmap(12, 12);
  c->Canvas()->Brush()->SetStyle(bsClear);
  c->Canvas()->Rectangle(2, 2, 7, 6);
  EXPECT_EQ(CountColor(*c, clBlack), 2 * (5 + 4) - 4);
  EXPECT_EQ(c->Canvas()->Pixels(4, 4), clWhite);
}

TEST(CanvasEllipse, StaysInsideItsBoxTouchesEveryEdgeAndIsSymmetric) {
  for (int32_t w = 1; w <= 14; ++w) {
    for (int32_t h = 1; h <= 14; ++h) {
      auto b = MakeBitmap(20, 20);
      TCanvas* cv = b->Canvas();
      cv->Pen()->SetColor(clRed);
      cv->Brush()->SetColor(clBlue);
      cv->Ellipse(3, 2, 3 + w, 2 + h);
      ASSERT_EQ(InkBox(*b, clWhite), Rect(3, 2, 3 + w, 2 + h)) << "w=" << w << " h=" << h;
      for (int32_t y = 2; y < 2 + h; ++y) {
        int32_t first = -1, last = -1;
        for (int32_t x = 3; x < 3 + w; ++x) {
          const TColor c = cv->Pixels(x, y);
          EXPECT_EQ(c, cv->Pixels(3 + w - 1 - (x - 3), y)) << "mirror x w=" << w << " h=" << h;
          EXPECT_EQ(c, cv->Pixels(x, 2 + h - 1 - (y - 2))) << "mirror y w=" << w << " h=" << h;
          if (c != clWhite) {
            if (first < 0) first = x;
            last = x;
          }
        }
        // Filled: no holes in any row.
        for (int32_t x = first; x <= last; ++x)
          EXPECT_NE(cv->Pixels(x, y), clWhite)
              << "hole w=" << w << " h=" << h << " at " << x << "," << y;
      }
    }
  }
}

TEST(CanvasEllipse, FiveByFiveIsFiveRowsHigh) {
  auto b = MakeBitmap(10, 10);
  b->Canvas()->Pen()->SetColor(clBlack);
  b->Canvas()->Brush()->SetColor(clBlack);
  b->Canvas()->Ellipse(2, 2, 7, 7);
  EXPECT_EQ(InkBox(*b, clWhite), Rect(2, 2, 7, 7));
  EXPECT_EQ(b->Canvas()->Pixels(4, 4), clBlack);
  EXPECT_EQ(b->Canvas()->Pixels(2, 2), clWhite);  // corners stay out
}

TEST(CanvasPolygon, FillsByTheAlternateRuleInsideTheOutline) {
  auto b = MakeBitmap(16, 16);
  TCanvas* cv = b->Canvas();
  cv->Pen()->SetStyle(psClear);
  cv->Brush()->SetColor(clBlue);
  cv->Polygon({{2, 2}, {12, 2}, {12, 12}, {2, 12}});
  // Left and top edges belong to the interior, right and bottom do not.
  EXPECT_EQ(InkBox(*b, clWhite), Rect(2, 2, 12, 12));
  EXPECT_EQ(CountColor(*b, clBlue), 100);

  cv->Pen()->SetStyle(psSolid);
  cv->Pen()->SetColor(clRed);
  cv->Brush()->SetColor(clYellow);
  cv->Polygon({{2, 2}, {12, 2}, {12, 12}, {2, 12}});
  // The outline runs through every vertex, the far edges included.
  EXPECT_EQ(InkBox(*b, clWhite), Rect(2, 2, 13, 13));
  EXPECT_EQ(CountColor(*b, clRed), 40);
  EXPECT_EQ(CountColor(*b, clYellow), 81);
}

TEST(CanvasPolygon, SelfCrossingStarLeavesItsCentreEmpty) {
  auto b = MakeBitmap(41, 41);
  TCanvas* cv = b->Canvas();
  cv->Pen()->SetStyle(psClear);
  cv->Brush()->SetColor(clBlack);
  cv->Polygon({{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}});
  EXPECT_EQ(cv->Pixels(20, 22), clWhite);  // the pentagon in the middle
  EXPECT_EQ(cv->Pixels(20, 6), clBlack);   // a point of the star
  EXPECT_EQ(cv->Pixels(5, 15), clBlack);
}

TEST(CanvasPolyline, LeavesOutTheLastPointAndNotThePenPosition) {
  auto b = MakeBitmap(12, 12);
  TCanvas* cv = b->Canvas();
  cv->MoveTo(7, 7);
  cv->Polyline({{1, 1}, {6, 1}, {6, 6}});
  EXPECT_EQ(CountColor(*b, clBlack), 10);
  EXPECT_EQ(cv->Pixels(6, 6), clWhite);
  EXPECT_EQ(cv->Pixels(6, 1), clBlack);
  EXPECT_EQ(cv->PenPos(), Point(7, 7));
}

// Expected result of each pen mode for destination d and pen p (24 bits).
uint32_t ExpectedMode(TPenMode m, uint32_t d, uint32_t p) {
  const uint32_t all = 0xFFFFFF;
  switch (m) {
    case pmBlack:
      return 0;
    case pmWhite:
      return all;
    case pmNop:
      return d;
    case pmNot:
      return ~d & all;
    case pmCopy:
      return p;
    case pmNotCopy:
      return ~p & all;
    case pmMergePenNot:
      return (p | ~d) & all;
    case pmMaskPenNot:
      return p & ~d & all;
    case pmMergeNotPen:
      return (~p | d) & all;
    case pmMaskNotPen:
      return ~p & d & all;
    case pmMerge:
      return p | d;
    case pmNotMerge:
      return ~(p | d) & all;
    case pmMask:
      return p & d;
    case pmNotMask:
      return ~(p & d) & all;
    case pmXor:
      return p ^ d;
    case pmNotXor:
      return ~(p ^ d) & all;
  }
  return 0;
}

TEST(CanvasPenMode, EveryModeCombinesPenAndPixelForLinesAndFills) {
  const TColor dst = 0x5A3C0F, pen = 0x33CC99;
  for (int m = pmBlack; m <= pmNotXor; ++m) {
    const auto mode = static_cast<TPenMode>(m);
    const TColor want = static_cast<TColor>(ExpectedMode(mode, dst, pen));
    auto b = MakeBitmap(8, 8, dst);
    TCanvas* cv = b->Canvas();
    cv->Pen()->SetColor(pen);
    cv->Pen()->SetMode(mode);
    cv->MoveTo(0, 0);
    cv->LineTo(3, 0);
    EXPECT_EQ(cv->Pixels(1, 0), want) << "line, mode " << m;
    cv->Brush()->SetColor(pen);
    cv->Rectangle(2, 2, 7, 7);
    EXPECT_EQ(cv->Pixels(4, 4), want) << "fill, mode " << m;
    EXPECT_EQ(cv->Pixels(2, 2), want) << "outline, mode " << m;
    EXPECT_EQ(cv->Pixels(7, 7), dst) << "outside, mode " << m;
    // Wide pens go through the painter and must agree.
    cv->Pen()->SetWidth(3);
    cv->MoveTo(0, 5);
    cv->LineTo(0, 7);
    EXPECT_EQ(cv->Pixels(0, 6), want) << "wide, mode " << m;
  }
}

TEST(CanvasPenMode, XorTwiceRestoresEveryFigure) {
  using Figure = void (*)(TCanvas*);
  const std::pair<const char*, Figure> figures[] = {
      {"line",
       [](TCanvas* c) {
         c->MoveTo(1, 2);
         c->LineTo(27, 19);
       }},
      {"rectangle", [](TCanvas* c) { c->Rectangle(3, 4, 25, 20); }},
      {"ellipse", [](TCanvas* c) { c->Ellipse(2, 3, 27, 21); }},
      {"polygon",
       [](TCanvas* c) {
         c->Polygon({{15, 1}, {28, 22}, {1, 9}, {28, 9}, {2, 22}});
       }},
      {"polyline",
       [](TCanvas* c) {
         c->Polyline({{1, 1}, {20, 20}, {20, 2}, {1, 20}});
       }},
      {"dashed",
       [](TCanvas* c) {
         c->Pen()->SetStyle(psDashDot);
         c->MoveTo(0, 5);
         c->LineTo(29, 25);
       }},
      {"wide",
       [](TCanvas* c) {
         c->Pen()->SetWidth(4);
         c->MoveTo(3, 3);
         c->LineTo(25, 18);
       }},
      {"hatched",
       [](TCanvas* c) {
         c->Brush()->SetStyle(bsDiagCross);
         c->Ellipse(0, 0, 30, 25);
       }},
  };
  for (const auto& [name, draw] : figures) {
    auto b = MakePatterned(30, 25);
    const auto before = PixelsOf(*b);
    TCanvas* cv = b->Canvas();
    cv->Pen()->SetMode(pmXor);
    cv->Pen()->SetColor(clWhite);
    cv->Brush()->SetColor(0x00FF00);
    draw(cv);
    EXPECT_NE(PixelsOf(*b), before) << name << " drew nothing";
    draw(cv);
    EXPECT_EQ(PixelsOf(*b), before) << name;
  }
}

TEST(CanvasPen, DashesShowTheirPatternAndTheSolidBrushFillsTheGaps) {
  auto b = MakeBitmap(30, 3);
  TCanvas* cv = b->Canvas();
  cv->Brush()->SetStyle(bsClear);
  cv->Pen()->SetStyle(psDot);
  cv->MoveTo(0, 0);
  cv->LineTo(30, 0);
  for (int x = 0; x < 30; ++x)
    EXPECT_EQ(cv->Pixels(x, 0), (x % 6) < 3 ? clBlack : clWhite) << "x=" << x;
  cv->Brush()->SetStyle(bsSolid);
  cv->Brush()->SetColor(clYellow);
  cv->MoveTo(0, 2);
  cv->LineTo(30, 2);
  for (int x = 0; x < 30; ++x)
    EXPECT_EQ(cv->Pixels(x, 2), (x % 6) < 3 ? clBlack : clYellow) << "x=" << x;
}

TEST(CanvasPen, ClearPenAndNopModeDrawNothing) {
  auto b = MakeBitmap(10, 10);
  TCanvas* cv = b->Canvas();
  cv->Pen()->SetStyle(psClear);
  cv->MoveTo(0, 0);
  cv->LineTo(9, 9);
  cv->Pen()->SetStyle(psSolid);
  cv->Pen()->SetMode(pmNop);
  cv->Brush()->SetColor(clRed);
  cv->Rectangle(0, 0, 10, 10);
  EXPECT_EQ(CountColor(*b, clWhite), 100);
}

TEST(CanvasBrush, HatchesLeaveTheBackgroundBetweenTheirLines) {
  auto b = MakeBitmap(16, 16);
  TCanvas* cv = b->Canvas();
  cv->Brush()->SetStyle(bsHorizontal);
  cv->Brush()->SetColor(clRed);
  cv->FillRect(Rect(0, 0, 16, 16));
  EXPECT_EQ(CountColor(*b, clRed), 32);  // one line in eight
  EXPECT_EQ(CountColor(*b, clWhite), 16 * 16 - 32);
}

TEST(CanvasBrush, FillRectAndFrameRectUseTheBrushAndIgnoreThePenMode) {
  auto b = MakeBitmap(10, 10);
  TCanvas* cv = b->Canvas();
  cv->Pen()->SetMode(pmXor);
  cv->Brush()->SetColor(clRed);
  cv->FillRect(Rect(1, 1, 4, 3));
  EXPECT_EQ(CountColor(*b, clRed), 6);
  cv->FillRect(Rect(5, 5, 5, 9));  // empty
  EXPECT_EQ(CountColor(*b, clRed), 6);
  cv->Brush()->SetColor(clBlue);
  cv->FrameRect(Rect(4, 4, 9, 8));
  EXPECT_EQ(CountColor(*b, clBlue), 2 * (5 + 4) - 4);
  EXPECT_EQ(cv->Pixels(6, 6), clWhite);
}

TEST(CanvasPixels, OutsideTheSurfaceReadMinusOneAndWritesAreIgnored) {
  auto b = MakeBitmap(4, 3);
  TCanvas* cv = b->Canvas();
  const TPoint outside[] = {{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {INT32_MIN, INT32_MAX}};
  for (TPoint p : outside) {
    EXPECT_EQ(cv->Pixels(p.X, p.Y), -1) << p.X << "," << p.Y;
    cv->SetPixels(p.X, p.Y, clRed);
  }
  EXPECT_EQ(CountColor(*b, clRed), 0);
  cv->SetPixels(3, 2, clRed);
  EXPECT_EQ(cv->Pixels(3, 2), clRed);
  TBitmap empty;
  EXPECT_EQ(empty.Canvas()->Pixels(0, 0), -1);
  empty.Canvas()->Rectangle(0, 0, 5, 5);  // no surface: nothing happens
}

TEST(CanvasCopy, CopyModesStretchAndMirror) {
  auto src = MakeBitmap(4, 2);
  src->Canvas()->SetPixels(0, 0, clRed);
  src->Canvas()->SetPixels(3, 1, clBlue);

  auto b = MakeBitmap(10, 10, clBlack);
  TCanvas* cv = b->Canvas();
  cv->CopyRect(Rect(1, 1, 5, 3), *src->Canvas(), Rect(0, 0, 4, 2));
  EXPECT_EQ(cv->Pixels(1, 1), clRed);
  EXPECT_EQ(cv->Pixels(4, 2), clBlue);
  EXPECT_EQ(cv->Pixels(5, 2), clBlack);

  // Twice as large: every source pixel becomes a 2x2 block.
  cv->CopyRect(Rect(0, 4, 8, 8), *src->Canvas(), Rect(0, 0, 4, 2));
  EXPECT_EQ(CountColor(*b, clRed), 1 + 4);
  EXPECT_EQ(cv->Pixels(7, 7), clBlue);
  EXPECT_EQ(cv->Pixels(6, 6), clBlue);

  // Opposite extents mirror.
  auto m = MakeBitmap(4, 2);
  m->Canvas()->CopyRect(Rect(4, 0, 0, 2), *src->Canvas(), Rect(0, 0, 4, 2));
  EXPECT_EQ(m->Canvas()->Pixels(3, 0), clRed);
  EXPECT_EQ(m->Canvas()->Pixels(0, 1), clBlue);

  // Xor copies twice restore, also onto the source itself.
  auto p = MakePatterned(6, 6);
  const auto before = PixelsOf(*p);
  p->Canvas()->SetCopyMode(cmSrcInvert);
  p->Canvas()->CopyRect(Rect(0, 0, 6, 6), *src->Canvas(), Rect(0, 0, 4, 2));
  p->Canvas()->CopyRect(Rect(0, 0, 6, 6), *src->Canvas(), Rect(0, 0, 4, 2));
  EXPECT_EQ(PixelsOf(*p), before);
  p->Canvas()->SetCopyMode(cmSrcCopy);
  p->Canvas()->CopyRect(Rect(1, 0, 6, 6), *p->Canvas(), Rect(0, 0, 5, 6));
  EXPECT_EQ(PixelsOf(*p)[1], before[0]);
  EXPECT_EQ(PixelsOf(*p)[5], before[4]);
}

TEST(CanvasCopy, HalftoneStretchAveragesAndKeepsTheSize) {
  auto src = MakeBitmap(2, 1);
  src->Canvas()->SetPixels(0, 0, clBlack);
  auto b = MakeBitmap(20, 10, clRed);
  b->Canvas()->SetStretchBltMode(sbmHalftone);
  b->Canvas()->StretchDraw(Rect(0, 0, 1, 1), *src);
  const TColor mixed = b->Canvas()->Pixels(0, 0);
  EXPECT_NE(mixed, clBlack);
  EXPECT_NE(mixed, clWhite);
  b->Canvas()->StretchDraw(Rect(2, 2, 18, 10), *src);
  EXPECT_EQ(InkBox(*b, clRed), Rect(0, 0, 18, 10));
}

TEST(CanvasDraw, TransparentBitmapsLeaveTheirBottomLeftColourOut) {
  auto glyph = MakeBitmap(3, 3, clOlive);
  glyph->Canvas()->SetPixels(1, 1, clRed);
  auto b = MakeBitmap(5, 5);
  b->Canvas()->Draw(1, 1, *glyph);
  EXPECT_EQ(CountColor(*b, clOlive), 8);
  auto t = MakeBitmap(5, 5);
  glyph->SetTransparent(true);
  EXPECT_EQ(glyph->TransparentColor(), clOlive);
  t->Canvas()->Draw(1, 1, *glyph);
  EXPECT_EQ(CountColor(*t, clOlive), 0);
  EXPECT_EQ(t->Canvas()->Pixels(2, 2), clRed);
}

}  // namespace
}  // namespace nuv

namespace nuv {
namespace {

TEST(CanvasRobustness, ExtremeArgumentsNeitherCrashNorHang) {
  auto b = testing::MakeBitmap(20, 20);
  auto src = testing::MakePatterned(4, 4);
  TCanvas* cv = b->Canvas();
  const int32_t lo = INT32_MIN, hi = INT32_MAX;
  cv->Brush()->SetColor(clRed);
  cv->Rectangle(lo, lo, hi, hi);
  EXPECT_EQ(cv->Pixels(10, 10), clRed);  // the interior covers the image
  cv->Brush()->SetColor(clBlue);
  cv->Ellipse(lo, lo, hi, hi);
  cv->Ellipse(-1000000, -1000000, 1000000, 1000000);
  EXPECT_EQ(cv->Pixels(10, 10), clBlue);
  cv->Polygon({{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}});
  cv->Polyline({{lo, 5}, {hi, 5}, {5, lo}});
  cv->FillRect(Rect(lo, lo, hi, hi));
  cv->FrameRect(Rect(lo, lo, hi, hi));
  cv->StretchDraw(Rect(lo, lo, hi, hi), *src);
  cv->SetStretchBltMode(sbmHalftone);
  cv->StretchDraw(Rect(lo, lo, hi, hi), *src);
  cv->StretchDraw(Rect(-100000, -100000, 100000, 100000), *src);
  cv->CopyRect(Rect(0, 0, 20, 20), *src->Canvas(), Rect(lo, lo, hi, hi));
  cv->Draw(hi, hi, *src);
  cv->Pen()->SetWidth(hi);
  cv->MoveTo(0, 0);
  cv->LineTo(19, 19);
  cv->Pen()->SetWidth(1);
  cv->TextOut(hi, hi, "far away");
  cv->TextOut(lo, lo, "far away");
  EXPECT_EQ(cv->PenPos().Y, lo);
  cv->Font()->SetSize(hi);
  cv->Font()->SetSize(lo);
  cv->Font()->SetEscapement(lo);
  cv->TextOut(1, 1, "x");
  EXPECT_EQ(Rect(lo, 0, hi, 0).Width(), hi);
  EXPECT_EQ(Bounds(hi, 0, hi, 1).Right, hi);
}

}  // namespace
}  // namespace nuv
