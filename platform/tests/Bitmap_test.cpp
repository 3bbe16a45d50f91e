// Bitmaps and JPEG pictures in memory and in files, resources, the
// clipboard, the printer and the save dialog.
#include "nuv/platform/Bitmap.h"

#include <gtest/gtest.h>

#include <QFile>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "GraphicsTestUtil.h"
#include "TempDir.h"
#include "nuv/platform/Clipbrd.h"
#include "nuv/platform/Dialogs.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/Jpeg.h"
#include "nuv/platform/Printers.h"

namespace nuv {
namespace {

using testing::CountColor;
using testing::MakeBitmap;
using testing::MakePatterned;
using testing::PixelsOf;
using testing::TempDir;

std::string FileHead(const std::string& path, std::size_t n) {
  std::ifstream in(path, std::ios::binary);
  std::string s(n, '\0');
  in.read(s.data(), static_cast<std::streamsize>(n));
  s.resize(static_cast<std::size_t>(in.gcount()));
  return s;
}

TEST(Bitmap, ResizingKeepsThePixelsAndAddsWhite) {
  auto b = MakeBitmap(4, 3, clRed);
  b->SetSize(6, 2);
  EXPECT_EQ(b->Width(), 6);
  EXPECT_EQ(b->Height(), 2);
  EXPECT_EQ(CountColor(*b, clRed), 8);
  EXPECT_EQ(CountColor(*b, clWhite), 4);
  b->SetSize(-3, 5);
  EXPECT_TRUE(b->Empty());
  EXPECT_EQ(b->Width(), 0);
  EXPECT_EQ(b->ScanLine(0), nullptr);
}

TEST(Bitmap, RefusesAbsurdSizes) {
  TBitmap b;
  EXPECT_THROW(b.SetSize(1 << 20, 1 << 20), EOutOfMemory);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, ChangesFireOnChangeOncePerCall) {
  TBitmap b;
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.SetSize(5, 5);
  b.Canvas()->Rectangle(0, 0, 3, 3);
  b.Canvas()->SetPixels(4, 4, clRed);
  EXPECT_EQ(changes, 3);
}

TEST(Bitmap, ScanLineAndCanvasSeeTheSamePixels) {
  auto b = MakeBitmap(3, 2);
  // A wide pen draws through the painter and leaves it open over row 1.
  b->Canvas()->Pen()->SetWidth(3);
  b->Canvas()->MoveTo(0, 0);
  b->Canvas()->LineTo(2, 0);
  b->ScanLine(1)[2] = 0xFF0000FF;  // blue in the image's 0xAARRGGBB
  EXPECT_EQ(b->Canvas()->Pixels(2, 1), clBlue);
  b->Canvas()->SetPixels(0, 1, clLime);
  EXPECT_EQ(b->ScanLine(1)[0], 0xFF00FF00);
}

TEST(Bitmap, AssignCopiesPixelsFormatAndTransparency) {
  auto a = MakePatterned(5, 4);
  a->SetPixelFormat(pf4bit);
  a->SetTransparentColor(clRed);
  a->SetTransparent(true);
  TBitmap b;
  b.Assign(*a);
  EXPECT_EQ(PixelsOf(b), PixelsOf(*a));
  EXPECT_EQ(b.PixelFormat(), pf4bit);
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.TransparentColor(), clRed);
  // The copy is independent.
  const TColor before = a->Canvas()->Pixels(0, 0);
  b.Canvas()->SetPixels(0, 0, before ^ 0xFFFFFF);
  EXPECT_EQ(a->Canvas()->Pixels(0, 0), before);
  TPen pen;
  EXPECT_THROW(b.Assign(pen), EConvertError);
}

TEST(BitmapFile, RoundTripsInEveryDepth) {
  TempDir dir;
  struct Case {
    TPixelFormat format;
    int bits;
  };
  const Case cases[] = {{pfDevice, 24}, {pf24bit, 24}, {pf8bit, 8}, {pf4bit, 4}, {pf1bit, 1}};
  for (const Case& c : cases) {
    // Colours every depth can hold: black and white, and for the deeper
    // ones the standard 16.
    auto b = MakeBitmap(9, 7, clWhite);
    b->Canvas()->Brush()->SetColor(clBlack);
    b->Canvas()->FillRect(Rect(0, 0, 4, 7));
    if (c.bits >= 4) b->Canvas()->SetPixels(8, 6, clSilver);
    if (c.bits >= 4) b->Canvas()->SetPixels(5, 0, clTeal);
    b->SetPixelFormat(c.format);
    const std::string file = dir.File("depth" + std::to_string(c.bits) + ".bmp");
    b->SaveToFile(file);
    EXPECT_EQ(FileHead(file, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(FileHead(file, 29)[28]), c.bits)
        << "format " << int{c.format};
    TBitmap back;
    back.LoadFromFile(file);
    EXPECT_EQ(PixelsOf(back), PixelsOf(*b)) << "format " << int{c.format};
    EXPECT_EQ(back.PixelFormat(), c.format == pfDevice ? pf24bit : c.format);
  }
}

TEST(BitmapFile, FourBitsTakeTheNearestStandardColour) {
  TempDir dir;
  auto b = MakeBitmap(2, 1, 0xC8C4C2);     // near silver
  b->Canvas()->SetPixels(1, 0, 0x0000F0);  // near red
  b->SetPixelFormat(pf4bit);
  b->SaveToFile(dir.File("near.bmp"));
  TBitmap back;
  back.LoadFromFile(dir.File("near.bmp"));
  EXPECT_EQ(back.Canvas()->Pixels(0, 0), clSilver);
  EXPECT_EQ(back.Canvas()->Pixels(1, 0), clRed);
}

TEST(BitmapFile, PngSavesForPictures) {
  TempDir dir;
  auto b = MakePatterned(13, 11);
  b->SaveToPngFile(dir.File("p.png"));
  EXPECT_EQ(FileHead(dir.File("p.png"), 4), "\x89PNG");
  TBitmap back;
  back.LoadFromFile(dir.File("p.png"));
  EXPECT_EQ(PixelsOf(back), PixelsOf(*b));
}

TEST(BitmapFile, ErrorsAreReportedByKind) {
  TempDir dir;
  TBitmap b;
  EXPECT_THROW(b.LoadFromFile(dir.File("missing.bmp")), EFOpenError);
  std::ofstream(dir.File("text.bmp")) << "BM but not a bitmap";
  EXPECT_THROW(b.LoadFromFile(dir.File("text.bmp")), EInvalidGraphic);
  EXPECT_THROW(b.SaveToFile(dir.File("empty.bmp")), EInvalidGraphic);
  auto ok = MakeBitmap(2, 2);
  EXPECT_THROW(ok->SaveToFile(dir.File("no/such/dir/x.bmp")), EFCreateError);
  // A backslash separates directories as well.
  std::filesystem::create_directory(dir.Path() / "sub");
  ok->SaveToFile(dir.Path().string() + "\\sub\\x.bmp");
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "sub" / "x.bmp"));
}

TEST(BitmapStream, ReadsFromThePositionToTheEnd) {
  auto b = MakePatterned(5, 3);
  TMemoryStream stream;
  stream.WriteBuffer("head", 4);
  b->SaveToStream(stream);
  stream.SetPosition(4);
  TBitmap back;
  back.LoadFromStream(stream);
  EXPECT_EQ(PixelsOf(back), PixelsOf(*b));
  EXPECT_EQ(stream.Position(), stream.Size());
  stream.SetPosition(stream.Size());
  EXPECT_THROW(back.LoadFromStream(stream), EInvalidGraphic);  // nothing left
  EXPECT_EQ(back.Width(), 5);  // a failed load leaves the picture alone

  TJPEGImage jpeg;
  jpeg.Assign(*b);
  TMemoryStream js;
  jpeg.SaveToStream(js);
  js.SetPosition(0);
  TJPEGImage again;
  again.LoadFromStream(js);
  EXPECT_EQ(again.Width(), 5);
  EXPECT_EQ(again.Height(), 3);
}

TEST(BitmapFile, HeaderSizeIsReadWithoutDecoding) {
  // The map view refuses images above 3,000,000 pixels before loading them.
  TempDir dir;
  struct Case {
    int32_t w, h;
    bool withinLimit;
  };
  for (const Case& c : {Case{2000, 1500, true}, Case{2001, 1500, false}}) {
    auto b = MakeBitmap(c.w, c.h);
    const std::string file = dir.File(std::to_string(c.w) + ".bmp");
    b->SaveToFile(file);
    int32_t w = 0, h = 0;
    ASSERT_TRUE(GetImageFileSize(file, w, h)) << c.w;
    EXPECT_EQ(w, c.w);
    EXPECT_EQ(h, c.h);
    EXPECT_EQ(int64_t{w} * h <= 3000000, c.withinLimit) << c.w;
  }
  int32_t w = -1, h = -1;
  EXPECT_FALSE(GetImageFileSize(dir.File("none.jpg"), w, h));
  EXPECT_EQ(w, -1);
}

TEST(BitmapResource, LoadsCompiledInImagesAndRefusesUnknownNames) {
  TBitmap b;
  b.LoadFromResourceName("nuvtest", "GLYPH");
  EXPECT_EQ(b.Width(), 16);
  EXPECT_EQ(b.Height(), 8);
  EXPECT_EQ(b.Canvas()->Pixels(3, 3), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(11, 3), clBlue);
  EXPECT_EQ(b.Canvas()->Pixels(0, 7), clOlive);
  EXPECT_THROW(b.LoadFromResourceName("nuvtest", "NOSUCH"), EResNotFound);
  EXPECT_THROW(b.LoadFromResourceName("nosuchlib", "GLYPH"), EResNotFound);
}

TEST(ResourceCursor, TakesItsHotSpotFromTheImage) {
  const QCursor c = LoadCursorFromResource("nuvtest", "CURTEST");
  EXPECT_EQ(c.hotSpot(), QPoint(3, 5));
  Screen().SetCursors(1000, c);
  EXPECT_EQ(Screen().Cursors(1000).hotSpot(), QPoint(3, 5));
  EXPECT_EQ(Screen().Cursors(crHandPoint).shape(), Qt::PointingHandCursor);
  EXPECT_EQ(Screen().Cursors(1234).shape(), Qt::ArrowCursor);
  EXPECT_THROW(LoadCursorFromResource("nuvtest", "NOSUCH"), EResNotFound);
}

// A picture JPEG keeps within a few levels: smooth shades and flat areas.
std::unique_ptr<TBitmap> JpegFriendly() {
  auto b = MakeBitmap(64, 48);
  for (int32_t y = 0; y < 48; ++y) {
    uint32_t* row = b->ScanLine(y);
    for (int32_t x = 0; x < 64; ++x) {
      const uint32_t g = static_cast<uint32_t>(60 + x + y);
      row[x] = 0xFF000000u | (g << 16) | (g << 8) | (g / 2 + 40);
    }
  }
  return b;
}

int MaxChannelDifference(const TBitmap& a, const TBitmap& b) {
  const auto pa = PixelsOf(a), pb = PixelsOf(b);
  int worst = 0;
  for (std::size_t i = 0; i < pa.size(); ++i)
    for (int shift : {0, 8, 16})
      worst = std::max(worst, std::abs(static_cast<int>((pa[i] >> shift) & 0xFF) -
                                       static_cast<int>((pb[i] >> shift) & 0xFF)));
  return worst;
}

TEST(Jpeg, RoundTripsThroughFilesWithinThreeLevels) {
  TempDir dir;
  auto original = JpegFriendly();
  TJPEGImage jpeg;
  jpeg.Assign(*original);
  EXPECT_EQ(jpeg.Width(), 64);
  jpeg.SaveToFile(dir.File("a.jpg"));
  EXPECT_EQ(FileHead(dir.File("a.jpg"), 3), "\xFF\xD8\xFF");

  TJPEGImage loaded;
  loaded.LoadFromFile(dir.File("a.jpg"));
  EXPECT_EQ(loaded.Width(), 64);
  EXPECT_EQ(loaded.Height(), 48);
  TBitmap back;
  back.Assign(loaded);
  EXPECT_EQ(back.PixelFormat(), pf24bit);
  EXPECT_LE(MaxChannelDifference(back, *original), 3);

  // An unchanged picture is saved with its own bytes.
  loaded.SaveToFile(dir.File("b.jpg"));
  std::ifstream a(dir.File("a.jpg"), std::ios::binary), b(dir.File("b.jpg"), std::ios::binary);
  EXPECT_TRUE(
      std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {}));
}

TEST(Jpeg, QualityShowsInTheFileSize) {
  TempDir dir;
  auto original = MakePatterned(64, 64);
  TJPEGImage jpeg;
  jpeg.Assign(*original);
  EXPECT_EQ(jpeg.CompressionQuality(), 90);
  jpeg.SetCompressionQuality(10);
  jpeg.SaveToFile(dir.File("low.jpg"));
  jpeg.SetCompressionQuality(1000);
  EXPECT_EQ(jpeg.CompressionQuality(), 100);
  jpeg.Compress();
  jpeg.SaveToFile(dir.File("high.jpg"));
  EXPECT_LT(std::filesystem::file_size(dir.Path() / "low.jpg"),
            std::filesystem::file_size(dir.Path() / "high.jpg"));
}

TEST(Jpeg, DecodingReportsStartAndEndOnce) {
  TempDir dir;
  TJPEGImage jpeg;
  jpeg.Assign(*JpegFriendly());
  jpeg.SaveToFile(dir.File("p.jpg"));
  TJPEGImage loaded;
  std::vector<std::pair<TProgressStage, int>> events;
  loaded.OnProgress = [&](TObject* sender, TProgressStage stage, uint8_t pct, bool, const TRect&,
                          const std::string&) {
    EXPECT_EQ(sender, &loaded);
    events.emplace_back(stage, pct);
  };
  loaded.LoadFromFile(dir.File("p.jpg"));
  EXPECT_TRUE(events.empty());  // decoding waits for the first use
  TBitmap b;
  b.Assign(loaded);
  b.Assign(loaded);
  EXPECT_EQ(events,
            (std::vector<std::pair<TProgressStage, int>>{{psStarting, 0}, {psEnding, 100}}));
}

TEST(Jpeg, RefusesOtherFilesAndEmptyPictures) {
  TempDir dir;
  auto b = MakeBitmap(4, 4);
  b->SaveToFile(dir.File("x.bmp"));
  TJPEGImage jpeg;
  EXPECT_THROW(jpeg.LoadFromFile(dir.File("x.bmp")), EInvalidGraphic);
  EXPECT_THROW(jpeg.SaveToFile(dir.File("y.jpg")), EInvalidGraphic);
  EXPECT_THROW(jpeg.LoadFromFile(dir.File("none.jpg")), EFOpenError);
}

TEST(Clipboard, BitmapsAndTextRoundTrip) {
  auto b = MakePatterned(7, 5);
  Clipboard().Assign(*b);
  EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP));
  TBitmap back;
  back.Assign(Clipboard());
  EXPECT_EQ(PixelsOf(back), PixelsOf(*b));

  Clipboard().SetAsText(
      "Gr\xFC\xDF"
      "e \x80");
  EXPECT_TRUE(Clipboard().HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard().AsText(),
            "Gr\xFC\xDF"
            "e \x80");
  EXPECT_FALSE(Clipboard().HasFormat(CF_BITMAP));
  EXPECT_THROW(back.Assign(Clipboard()), EInvalidGraphic);
  Clipboard().Clear();
  EXPECT_FALSE(Clipboard().HasFormat(CF_TEXT));
  TPen pen;
  EXPECT_THROW(Clipboard().Assign(pen), EConvertError);
}

TEST(Printer, PrintsPagesIntoAPdfFile) {
  TempDir dir;
  TPrinter& p = Printer();
  p.SetOutputFileName(dir.File("out.pdf"));
  p.SetTitle("nuv test");
  EXPECT_THROW(p.EndDoc(), EPrinter);
  EXPECT_THROW(p.NewPage(), EPrinter);
  p.BeginDoc();
  EXPECT_TRUE(p.Printing());
  EXPECT_THROW(p.BeginDoc(), EPrinter);
  EXPECT_THROW(p.SetOrientation(poLandscape), EPrinter);
  EXPECT_EQ(p.PageWidth(), 2480);
  EXPECT_EQ(p.PageHeight(), 3508);
  TCanvas* cv = p.Canvas();
  cv->Rectangle(100, 100, 1000, 600);
  EXPECT_EQ(cv->Pixels(100, 100), clBlack);
  cv->TextOut(120, 120, "Page 1");
  p.NewPage();
  EXPECT_EQ(cv->Pixels(100, 100), clWhite);  // a fresh page
  EXPECT_EQ(p.PageNumber(), 2);
  p.EndDoc();
  EXPECT_FALSE(p.Printing());
  EXPECT_EQ(FileHead(dir.File("out.pdf"), 5), "%PDF-");
  EXPECT_GT(std::filesystem::file_size(dir.Path() / "out.pdf"), 1000u);

  p.SetOrientation(poLandscape);
  EXPECT_EQ(p.PageWidth(), 3508);
  p.SetOutputFileName(dir.File("aborted.pdf"));
  p.BeginDoc();
  p.Abort();
  EXPECT_TRUE(p.Aborted());
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "aborted.pdf"));
  p.SetOrientation(poPortrait);
  p.SetOutputFileName("");
}

TEST(SaveDialog, TheHookAnswersForTheUser) {
  TSaveDialog dialog(nullptr);
  dialog.SetFilter("Maps|*.jpg;*.bmp|All|*.*");
  dialog.SetTitle("Save map");
  dialog.SetInitialDir("/tmp");
  dialog.SetFileName("old.jpg");
  std::string seenTitle, seenDir, seenName;
  SetSaveDialogHook([&](TSaveDialog& d, uint32_t&) {
    seenTitle = d.Title();
    seenDir = d.InitialDir();
    seenName = d.FileName();
    d.SetFileName("/tmp/new.bmp");
    d.SetFilterIndex(2);
    return true;
  });
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/tmp/new.bmp");
  EXPECT_EQ(dialog.FilterIndex(), 2);
  EXPECT_EQ(seenTitle, "Save map");
  EXPECT_EQ(seenDir, "/tmp");
  EXPECT_EQ(seenName, "old.jpg");
  EXPECT_EQ(CommDlgExtendedError(), 0u);

  SetSaveDialogHook([](TSaveDialog&, uint32_t&) { return false; });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(CommDlgExtendedError(), 0u);  // cancelled
  SetSaveDialogHook([](TSaveDialog&, uint32_t& error) {
    error = 0x3002;
    return true;
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(CommDlgExtendedError(), 0x3002u);

  // With nobody to answer, the real dialog fails instead of waiting.
  SetSaveDialogHook(nullptr);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(CommDlgExtendedError(), CDERR_DIALOGFAILURE);
}

TEST(SaveDialog, FiltersBecomeQtNameFilters) {
  struct Case {
    const char* filter;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"Text files (*.txt)|*.txt|All files|*.*", {"Text files (*.txt)", "All files (*)"}},
      {"Maps|*.jpg; *.bmp", {"Maps (*.jpg *.bmp)"}},
      {"Lonely", {"Lonely (*)"}},
      {"", {}},
      {"A|*.a|B|", {"A (*.a)", "B (*)"}},
  };
  for (const Case& c : cases) EXPECT_EQ(DialogNameFilters(c.filter), c.expected) << c.filter;
}

}  // namespace
}  // namespace nuv
