// System colours are the palette's: of the control being painted, else of
// the application; the classic scheme where no palette applies.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

#include "nuv/platform/Controls.h"
#include "nuv/platform/Graphics.h"

namespace nuv {
namespace {

// The classic scheme, index by index (0x00BBGGRR).
constexpr TColor kClassic[] = {0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000,
                               0x000000, 0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000,
                               0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF,
                               0x000000, 0xDFDFDF, 0x000000, 0xE1FFFF, 0x000000, 0x800000, 0xD08410,
                               0xB5B5B5, 0x800000, 0xC0C0C0};

TColor Bgr(const QColor& c) {
  return RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
             static_cast<uint8_t>(c.blue()));
}

// A palette whose every role has a colour of its own, distinct per group.
QPalette Distinct() {
  QPalette p;
  const QPalette::ColorGroup groups[] = {QPalette::Active, QPalette::Inactive, QPalette::Disabled};
  for (int g = 0; g < 3; ++g)
    for (int r = 0; r < QPalette::NColorRoles; ++r)
      p.setColor(groups[g], static_cast<QPalette::ColorRole>(r), QColor(10 + r, 40 + g * 60, 200));
  return p;
}

// Sets the application's palette for one test and restores the fixed one.
class AppPalette {
 public:
  explicit AppPalette(const QPalette& p) { QApplication::setPalette(p); }
  ~AppPalette() { QApplication::setPalette(ClassicPalette()); }
};

// Fills itself with one colour in Paint.
class TSwatch : public TCustomControl {
 public:
  explicit TSwatch(TColor fill) : TCustomControl(nullptr), fill_(fill) { SetBounds(0, 0, 20, 10); }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(fill_);
    Canvas()->FillRect(Rect(0, 0, 10, 10));  // the right half shows Color
  }

 private:
  TColor fill_;
};

// The painted colour (left) and the face colour (right) as the widget shows them.
std::pair<TColor, TColor> Shown(TSwatch& s) {
  const QImage image = s.grab().toImage();
  return {Bgr(QColor(image.pixel(2, 5))), Bgr(QColor(image.pixel(15, 5)))};
}

TEST(SystemColors, TheFixedTestPaletteGivesTheClassicScheme) {
  for (uint8_t i = 0; i < std::size(kClassic); ++i)
    EXPECT_EQ(ColorToRGB(SysColor(i)), kClassic[i]) << "system colour " << int{i};
  EXPECT_EQ(ColorToRGB(SysColor(31)), clBlack);
  EXPECT_EQ(ColorToRGB(SysColor(255)), clBlack);
  EXPECT_EQ(ColorToRGB(0x123456), 0x123456);
}

TEST(SystemColors, FollowTheApplicationPaletteOutsidePainting) {
  const QPalette p = Distinct();
  const AppPalette scope(p);
  struct Case {
    TColor color;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    const char* name;
  };
  const Case cases[] = {
      {clBtnFace, QPalette::Active, QPalette::Button, "clBtnFace"},
      {clWindow, QPalette::Active, QPalette::Base, "clWindow"},
      {clWindowText, QPalette::Active, QPalette::Text, "clWindowText"},
      {clBtnText, QPalette::Active, QPalette::ButtonText, "clBtnText"},
      {clHighlight, QPalette::Active, QPalette::Highlight, "clHighlight"},
      {clHighlightText, QPalette::Active, QPalette::HighlightedText, "clHighlightText"},
      {clBtnShadow, QPalette::Active, QPalette::Dark, "clBtnShadow"},
      {clBtnHighlight, QPalette::Active, QPalette::Light, "clBtnHighlight"},
      {cl3DDkShadow, QPalette::Active, QPalette::Shadow, "cl3DDkShadow"},
      {cl3DLight, QPalette::Active, QPalette::Midlight, "cl3DLight"},
      {clInfoBk, QPalette::Active, QPalette::ToolTipBase, "clInfoBk"},
      {clInfoText, QPalette::Active, QPalette::ToolTipText, "clInfoText"},
      {clMenu, QPalette::Active, QPalette::Window, "clMenu"},
      {clHotLight, QPalette::Active, QPalette::Link, "clHotLight"},
      {clGrayText, QPalette::Disabled, QPalette::Text, "clGrayText"},
      {clInactiveBorder, QPalette::Inactive, QPalette::Button, "clInactiveBorder"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ColorToRGB(c.color), Bgr(p.color(c.group, c.role))) << c.name;
  // What the window manager draws keeps the classic colours.
  EXPECT_EQ(ColorToRGB(clActiveCaption), 0x800000);
  EXPECT_EQ(ColorToRGB(clBackground), 0x808000);
  EXPECT_EQ(ColorToRGB(clGradientInactiveCaption), 0xB5B5B5);
}

TEST(SystemColors, AControlPaintsInItsOwnPaletteAndRepaintsWhenItChanges) {
  TSwatch s(clHighlight);
  s.Repaint();
  EXPECT_EQ(Shown(s), std::pair(kClassic[13], kClassic[15])) << "the application's palette";

  const QPalette p = Distinct();
  s.setPalette(p);  // no explicit repaint: the change invalidates
  const auto [painted, face] = Shown(s);
  const QPalette::ColorGroup group = s.isActiveWindow() ? QPalette::Active : QPalette::Inactive;
  EXPECT_EQ(painted, Bgr(p.color(group, QPalette::Highlight)));
  EXPECT_EQ(face, Bgr(p.color(group, QPalette::Button)));
  // Outside the painting the application's palette holds again.
  EXPECT_EQ(ColorToRGB(clBtnFace), kClassic[15]);
}

TEST(SystemColors, ADisabledControlPaintsInTheDisabledGroup) {
  TSwatch s(clWindow);
  const QPalette p = Distinct();
  s.setPalette(p);
  s.setEnabled(false);
  EXPECT_EQ(Shown(s), std::pair(Bgr(p.color(QPalette::Disabled, QPalette::Base)),
                                Bgr(p.color(QPalette::Disabled, QPalette::Button))));
  s.setEnabled(true);
  EXPECT_NE(Shown(s).second, Bgr(p.color(QPalette::Disabled, QPalette::Button)));
}

TEST(SystemColors, AControlInsideAContainerTakesTheContainersPalette) {
  QWidget dark;
  QPalette p;
  p.setColor(QPalette::Button, QColor(0x30, 0x31, 0x32));
  p.setColor(QPalette::Base, QColor(0x10, 0x11, 0x12));
  dark.setPalette(p);
  TSwatch s(clWindow);
  s.setParent(&dark);
  EXPECT_EQ(Shown(s), std::pair(TColor{0x121110}, TColor{0x323130}));
}

}  // namespace
}  // namespace nuv
