#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/Printers.h"
#include "nuv/platform/RecordingCanvas.h"

namespace nuv {
namespace {

TEST(SetCanvasFontSizeScaled, ConvertsAtTheScreensDensity) {
  struct Case {
    int32_t canvasPpi;
    int32_t size;
  };
  for (const Case& c : {Case{96, 10}, Case{300, 10}, Case{120, 8}, Case{600, 24}, Case{300, -9}}) {
    TRecordingCanvas canvas;
    canvas.Font()->SetPixelsPerInch(c.canvasPpi);
    SetCanvasFontSizeScaled(canvas, c.size);
    TFont screenFont;
    screenFont.SetPixelsPerInch(Screen().PixelsPerInch());
    screenFont.SetSize(c.size);
    EXPECT_EQ(canvas.Font()->Height(), screenFont.Height())
        << "ppi " << c.canvasPpi << " size " << c.size;
    EXPECT_EQ(canvas.Font()->PixelsPerInch(), c.canvasPpi) << "ppi " << c.canvasPpi;
  }
}

TEST(SetCanvasFontSizeScaled, OnThePrinterGivesScreenSizedText) {
  TCanvas& printer = *Printer().Canvas();
  const int32_t old = printer.Font()->Height();
  SetCanvasFontSizeScaled(printer, 10);
  EXPECT_EQ(printer.Font()->Height(), -13);  // 10 points at 96 pixels per inch
  printer.Font()->SetSize(10);
  EXPECT_EQ(printer.Font()->Height(), -42);  // 10 points at 300
  EXPECT_EQ(printer.Font()->PixelsPerInch(), 300);
  printer.Font()->SetHeight(old);

  TBitmap b;  // a screen canvas: just the size
  SetCanvasFontSizeScaled(*b.Canvas(), 12);
  EXPECT_EQ(b.Canvas()->Font()->Size(), 12);
  EXPECT_EQ(b.Canvas()->Font()->Height(), -16);
}

TEST(FontIsTrueType, KnowsOutlineAndRasterNamesAndRefusesUnknownOnes) {
  struct Case {
    const char* name;
    bool trueType;
  };
  const Case cases[] = {{"DejaVu Sans", true},    {"dejavu sans mono", true},
                        {"DejaVu Serif", true},   {"Courier New", true},
                        {"Arial", true},          {"MS Sans Serif", false},
                        {"ms sans serif", false}, {"Courier", false}};
  for (const Case& c : cases) EXPECT_EQ(FontIsTrueType(c.name), c.trueType) << c.name;
  for (const char* missing : {"No Such Font 4711", "", "DejaVu"}) {
    try {
      FontIsTrueType(missing);
      ADD_FAILURE() << "no error for '" << missing << "'";
    } catch (const ENUVError& e) {
      EXPECT_NE(e.Message().find("not installed"), std::string::npos) << e.Message();
    }
  }
}

TEST(PrintBitmap, DrawsTheBitmapPixelForPixelOnTheCurrentPage) {
  testing::TempDir dir;
  TBitmap b;
  b.SetSize(30, 20);
  b.Canvas()->Brush()->SetColor(clBlue);
  b.Canvas()->FillRect(Rect(0, 0, 30, 20));
  b.Canvas()->SetPixels(29, 19, clRed);
  PrintBitmap(b, 10, 10);  // no document: nothing happens
  Printer().SetOutputFileName(dir.File("bitmap.pdf"));
  Printer().BeginDoc();
  PrintBitmap(b, 100, 200);
  TCanvas* page = Printer().Canvas();
  EXPECT_EQ(page->Pixels(100, 200), clBlue);
  EXPECT_EQ(page->Pixels(129, 219), clRed);
  EXPECT_EQ(page->Pixels(130, 219), clWhite);
  EXPECT_EQ(page->Pixels(99, 200), clWhite);
  EXPECT_TRUE(Printer().Printing());  // the document stays open
  Printer().EndDoc();
  Printer().SetOutputFileName("");
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "bitmap.pdf"));
}

}  // namespace
}  // namespace nuv
