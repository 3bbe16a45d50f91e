#include "nuv/platform/RecordingCanvas.h"

#include <gtest/gtest.h>

#include "GraphicsTestUtil.h"

namespace nuv {
namespace {

TEST(RecordingCanvas, LogsCallsWithTheToolsTheyWereMadeWith) {
  TRecordingCanvas c(100, 50);
  c.Pen()->SetColor(clRed);
  c.MoveTo(1, 2);
  c.LineTo(3, 4);
  c.Pen()->SetMode(pmXor);
  c.Brush()->SetStyle(bsClear);
  c.Rectangle(0, 0, 10, 5);
  c.Font()->SetEscapement(900);
  c.TextOut(7, 8, "Hi");
  c.Polygon({{0, 0}, {5, 0}, {0, 5}});
  c.TextRect(Rect(1, 1, 9, 9), 2, 3, "Clip");
  auto b = testing::MakeBitmap(6, 4);
  c.Draw(11, 12, *b);
  c.StretchDraw(Rect(0, 0, 12, 8), *b);
  c.CopyRect(Rect(0, 0, 2, 2), *b->Canvas(), Rect(1, 1, 3, 3));
  EXPECT_EQ(c.CallStrings(),
            (std::vector<std::string>{"MoveTo(1,2)", "LineTo(3,4)", "Rectangle(0,0,10,5)",
                                      "TextOut(7,8,'Hi')", "Polygon(0,0,5,0,0,5)",
                                      "TextRect(1,1,9,9,2,3,'Clip')", "Draw(11,12,6,4)",
                                      "StretchDraw(0,0,12,8)", "CopyRect(0,0,2,2,1,1,3,3)"}));
  const auto& calls = c.Calls();
  EXPECT_EQ(calls[1].PenColor, clRed);
  EXPECT_EQ(calls[1].PenMode, pmCopy);
  EXPECT_EQ(calls[2].PenMode, pmXor);
  EXPECT_EQ(calls[2].BrushStyle, bsClear);
  EXPECT_EQ(calls[3].FontEscapement, 900);
  EXPECT_EQ(calls[3].FontName, "MS Sans Serif");
  // TextOut moved the pen by the synthetic width.
  EXPECT_EQ(c.PenPos(), Point(7 + 2 * 7, 8));
  c.Clear();
  EXPECT_TRUE(c.Calls().empty());
}

TEST(RecordingCanvas, MetricsArePerCharacterAndPixelsReadBack) {
  TRecordingCanvas c(20, 10, true);
  EXPECT_TRUE(c.IsPrinter());
  EXPECT_EQ(c.TextWidth("abc"), 21);
  EXPECT_EQ(c.TextHeight("abc"), 13);
  c.SetCharWidth(5);
  c.SetLineHeight(9);
  EXPECT_EQ(c.TextExtent("ab"), (TSize{10, 9}));
  TTextMetric tm;
  c.GetTextMetrics(tm);
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  c.SetPixels(3, 4, clBlue);
  c.SetPixels(30, 4, clBlue);
  EXPECT_EQ(c.Pixels(3, 4), clBlue);
  EXPECT_EQ(c.Pixels(4, 4), clWhite);
  EXPECT_EQ(c.Pixels(30, 4), -1);
  EXPECT_EQ(c.ClipRect(), Rect(0, 0, 20, 10));
  EXPECT_EQ(c.CallStrings(),
            (std::vector<std::string>{"SetPixels(3,4,16711680)", "SetPixels(30,4,16711680)"}));
  c.SetIsPrinter(false);
  EXPECT_FALSE(c.IsPrinter());
}

}  // namespace
}  // namespace nuv
