#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "nuv/Nuv_cform.h"
#include "nuv/platform/Bitmap.h"

namespace nuv {
namespace {

constexpr TColor kInk = clNavy;
constexpr TColor kPaper = clYellow;

// Where a drawn control has ink (pixels of kInk): its bounding box and
// whether any lies above the symbols' line (the superscript band).
struct TInk {
  int32_t Left = INT32_MAX, Right = -1, Top = INT32_MAX, Bottom = -1;
  bool AboveSymbols = false;
  std::vector<TColor> Pixels;
};

TInk InkOf(TMolForm& f) {
  f.Repaint();
  TInk ink;
  TCanvas& c = *f.Canvas();
  for (int32_t y = 0; y < f.Height(); ++y)
    for (int32_t x = 0; x < f.Width(); ++x) {
      const TColor p = c.Pixels(x, y);
      ink.Pixels.push_back(p);
      if (p != kInk) continue;
      ink.Left = std::min(ink.Left, x);
      ink.Right = std::max(ink.Right, x);
      ink.Top = std::min(ink.Top, y);
      ink.Bottom = std::max(ink.Bottom, y);
      ink.AboveSymbols |= y < f.Height() / 5;
    }
  return ink;
}

std::unique_ptr<TMolForm> Drawn(std::string_view formula, int32_t width = 200) {
  auto f = std::make_unique<TMolForm>(nullptr);
  f->SetColorTxt(kInk);
  f->SetColorBkg(kPaper);
  f->SetWidth(width);
  f->SetMolFormula(formula);
  return f;
}

TEST(MolFormDrawing, SizeFollowsTheSmallFont) {
  TMolForm f(nullptr);
  EXPECT_EQ(f.Width(), 120);
  EXPECT_EQ(f.Height(), 28) << "until the first change";
  f.ShowIt();
  TBitmap probe;
  probe.SetSize(1, 1);
  probe.Canvas()->SetFont(f.Font());
  for (int32_t size : {8, 12, 20}) {
    f.Font()->SetSize(size);
    probe.Canvas()->Font()->SetSize(Round32(0.8L * size) + 1);
    EXPECT_EQ(f.Height(), 2 * probe.Canvas()->TextHeight("M")) << "size=" << size;
  }
}

TEST(MolFormDrawing, IsotopeLabelsAndCounts) {
  const struct {
    const char* formula;
    TIsotVisib vis;
    bool deuterium, label;
  } cases[] = {
      {"C H4", ivSpecial, true, false}, {"13C H4", ivSpecial, true, true},
      {"13C H4", ivNone, true, false},  {"C H4", ivAlways, true, true},
      {"D2 O", ivAlways, true, true},  // the oxygen's 16
      {"D2", ivAlways, true, false},   // "D" never has a label
      {"D2", ivSpecial, false, true},  // hydrogen of mass 2 as 2H
      {"Fm", ivSpecial, true, false},  // 257 is fermium's own mass
  };
  for (const auto& c : cases) {
    auto f = Drawn(c.formula);
    f->SetIsotopeVis(c.vis);
    f->SetUseDeuterium(c.deuterium);
    const TInk ink = InkOf(*f);
    EXPECT_GE(ink.Right, 0) << c.formula << " vis=" << int{c.vis};
    EXPECT_EQ(ink.AboveSymbols, c.label) << c.formula << " vis=" << int{c.vis};
  }
  EXPECT_GT(InkOf(*Drawn("C2")).Bottom, InkOf(*Drawn("C")).Bottom) << "the count is a subscript";
  EXPECT_GT(InkOf(*Drawn("C2")).Right, InkOf(*Drawn("C")).Right);
}

TEST(MolFormDrawing, EntriesWithoutAtomsAreLeftOut) {
  auto searched = Drawn("");
  TFormulaRec high;
  high.NumAtoms = 3;
  high.AtNum = {6, 7, 1};
  high.AtWgt = {12, 14, 1};
  high.AtCnt = {2, 2, 4};
  ASSERT_TRUE(searched->InitFindFormula(28, 0.05, TFormulaRec{}, high));
  ASSERT_TRUE(searched->FindFormulaNominalMass(false));
  ASSERT_EQ(searched->AtCnt(2), 0);
  EXPECT_EQ(InkOf(*searched).Pixels, InkOf(*Drawn("C2 H4")).Pixels);
}

TEST(MolFormDrawing, ShowAsTextDrawsTheTextInOneLine) {
  auto f = Drawn("13C2 H4");
  const TInk drawn = InkOf(*f);
  f->SetShowAsText(true);
  const TInk text = InkOf(*f);
  EXPECT_FALSE(text.AboveSymbols) << "no superscripts";
  EXPECT_LT(text.Bottom, drawn.Bottom) << "no subscripts";
}

TEST(MolFormDrawing, AlignmentPlacesTheDrawing) {
  for (int32_t width : {200, 40}) {  // narrower than the drawing at 40
    auto f = Drawn("C6 H12 O6", width);
    f->SetAlignment(taLeftJustify);
    const TInk left = InkOf(*f);
    f->SetAlignment(taRightJustify);
    const TInk right = InkOf(*f);
    f->SetAlignment(taCenter);
    const TInk centre = InkOf(*f);
    EXPECT_LE(left.Left, 3) << "width=" << width;
    EXPECT_GE(right.Right, width - 3) << "width=" << width;
    if (width == 200) {
      EXPECT_GT(left.Left, 0) << "drawn from x = 1";
      EXPECT_EQ(right.Right - right.Left, left.Right - left.Left);
      EXPECT_NEAR(centre.Left, width - 1 - centre.Right, 3);
    } else {
      EXPECT_NE(left.Pixels, right.Pixels) << "left and right parts differ";
      EXPECT_NE(centre.Pixels, left.Pixels);
      EXPECT_NE(centre.Pixels, right.Pixels);
    }
  }
}

TEST(MolFormDrawing, ColoursAndTransparency) {
  auto f = Drawn("C6 H12 O6");
  for (TColor p : InkOf(*f).Pixels) ASSERT_TRUE(p == kInk || p == kPaper) << std::hex << p;
  f->SetColor(clLime);
  f->SetTransparent(true);
  const TInk ink = InkOf(*f);
  EXPECT_GE(ink.Right, 0);
  for (TColor p : ink.Pixels)
    ASSERT_TRUE(p == kInk || p == clLime)
        << "only the text covers what is behind: " << std::hex << p;
  f->SetColorTxt(clBlack);
  EXPECT_NE(std::count(ink.Pixels.begin(), ink.Pixels.end(), clLime), 0);
  const TInk black = InkOf(*f);
  EXPECT_EQ(std::count(black.Pixels.begin(), black.Pixels.end(), clBlack),
            std::count(ink.Pixels.begin(), ink.Pixels.end(), kInk))
      << "black text survives the mask";
}

}  // namespace
}  // namespace nuv
