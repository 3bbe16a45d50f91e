// Controls as widgets: events from posted Qt events, painting, alignment,
// fonts, ownership, and the standard controls.
#include "nuv/platform/Controls.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>
#include <memory>
#include <string>
#include <vector>

#include "GraphicsTestUtil.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/StdCtrls.h"

namespace nuv {
namespace {

std::string ShiftText(TShiftState s) {
  std::string out;
  const char letters[] = "SACLRMD";
  for (int i = 0; i <= ssDouble; ++i)
    if (s & ShiftBit(static_cast<TShiftStateItem>(i))) out += letters[i];
  return out.empty() ? "-" : out;
}

const char* ButtonText(TMouseButton b) { return b == mbLeft ? "L" : b == mbRight ? "R" : "M"; }

// A custom control that logs its events and paints a square.
class TProbe : public TCustomControl {
 public:
  explicit TProbe(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 40, 30); }
  std::vector<std::string> log;
  int paints = 0;
  TColor square = clRed;

 protected:
  void Paint() override {
    ++paints;
    Canvas()->Brush()->SetColor(square);
    Canvas()->FillRect(Rect(2, 2, 8, 8));
  }
  void Click() override {
    log.push_back("Click");
    TCustomControl::Click();
  }
  void DblClick() override { log.push_back("DblClick"); }
  void MouseDown(TMouseButton b, TShiftState s, int32_t x, int32_t y) override {
    log.push_back(std::string("Down ") + ButtonText(b) + " " + std::to_string(x) + "," +
                  std::to_string(y) + " " + ShiftText(s));
  }
  void MouseUp(TMouseButton b, TShiftState s, int32_t x, int32_t y) override {
    log.push_back(std::string("Up ") + ButtonText(b) + " " + std::to_string(x) + "," +
                  std::to_string(y) + " " + ShiftText(s));
  }
  void MouseMove(TShiftState s, int32_t x, int32_t y) override {
    log.push_back("Move " + std::to_string(x) + "," + std::to_string(y) + " " + ShiftText(s));
  }
  void KeyDown(uint16_t& key, TShiftState s) override {
    log.push_back("KeyDown " + std::to_string(key));
  }
  void KeyUp(uint16_t& key, TShiftState s) override {
    log.push_back("KeyUp " + std::to_string(key));
  }
  void KeyPress(char& key) override { log.push_back(std::string("KeyPress ") + key); }
};

void PostMouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QCoreApplication::postEvent(
      w, new QMouseEvent(type, pos, w->mapToGlobal(pos), button, buttons, mods));
  Application().ProcessMessages();
}

void Press(QWidget* w, QPointF p, Qt::MouseButton b = Qt::LeftButton,
           Qt::KeyboardModifiers m = Qt::NoModifier) {
  PostMouse(w, QEvent::MouseButtonPress, p, b, b, m);
}
void Release(QWidget* w, QPointF p, Qt::MouseButton b = Qt::LeftButton) {
  PostMouse(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
}

void PostWheel(QWidget* w, int delta) {
  QCoreApplication::postEvent(
      w, new QWheelEvent(QPointF(5, 6), w->mapToGlobal(QPointF(5, 6)), QPoint(), QPoint(0, delta),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false));
  Application().ProcessMessages();
}

using Log = std::vector<std::string>;

TEST(ControlMouse, ClickIsALeftPressAndReleaseInside) {
  TProbe c(nullptr);
  Press(&c, {10.7, 12.2});
  Release(&c, {10, 12});
  EXPECT_EQ(c.log, (Log{"Down L 10,12 L", "Click", "Up L 10,12 -"}));

  c.log.clear();
  Press(&c, {10, 12});
  PostMouse(&c, QEvent::MouseMove, {60, -3}, Qt::NoButton, Qt::LeftButton);
  Release(&c, {60, -3});  // released outside: no click
  EXPECT_EQ(c.log, (Log{"Down L 10,12 L", "Move 60,-3 L", "Up L 60,-3 -"}));

  c.log.clear();
  Press(&c, {1, 1}, Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier);
  Release(&c, {1, 1}, Qt::RightButton);
  EXPECT_EQ(c.log, (Log{"Down R 1,1 SCR", "Up R 1,1 -"}));
}

TEST(ControlMouse, DoubleClickFiresDblClickThenADoublePress) {
  TProbe c(nullptr);
  Press(&c, {3, 4});
  Release(&c, {3, 4});
  PostMouse(&c, QEvent::MouseButtonDblClick, {3, 4}, Qt::LeftButton, Qt::LeftButton);
  Release(&c, {3, 4});
  EXPECT_EQ(c.log, (Log{"Down L 3,4 L", "Click", "Up L 3,4 -", "DblClick", "Down L 3,4 LD",
                        "Up L 3,4 -"}));

  // Without double clicks the second press is a press like the first.
  c.log.clear();
  c.SetControlStyle(ControlStyleBit(csClickEvents));
  PostMouse(&c, QEvent::MouseButtonDblClick, {3, 4}, Qt::LeftButton, Qt::LeftButton);
  Release(&c, {3, 4});
  EXPECT_EQ(c.log, (Log{"Down L 3,4 L", "Click", "Up L 3,4 -"}));
}

TEST(ControlMouse, EventsReachTheirHandlers) {
  TProbe c(nullptr);
  std::vector<std::string> seen;
  TGraphicControl g(nullptr);
  g.SetBounds(0, 0, 20, 20);
  g.OnMouseDown = [&](TObject* s, TMouseButton, TShiftState, int32_t x, int32_t y) {
    EXPECT_EQ(s, &g);
    seen.push_back("down " + std::to_string(x));
  };
  g.OnMouseMove = [&](TObject*, TShiftState, int32_t x, int32_t) {
    seen.push_back("move " + std::to_string(x));
  };
  g.OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int32_t x, int32_t) {
    seen.push_back("up " + std::to_string(x));
  };
  g.OnClick = [&](TObject*) { seen.push_back("click"); };
  g.OnDblClick = [&](TObject*) { seen.push_back("dblclick"); };
  Press(&g, {4, 4});
  PostMouse(&g, QEvent::MouseMove, {5, 4}, Qt::NoButton, Qt::LeftButton);
  Release(&g, {5, 4});
  PostMouse(&g, QEvent::MouseButtonDblClick, {5, 4}, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(seen, (Log{"down 4", "move 5", "click", "up 5", "dblclick", "down 5"}));
}

TEST(ControlMouse, WheelTurnsArriveInWholeNotches) {
  TProbe c(nullptr);
  std::vector<int32_t> deltas;
  int ups = 0, downs = 0;
  c.OnMouseWheel = [&](TObject*, TShiftState, int32_t delta, TPoint pos, bool& handled) {
    deltas.push_back(delta);
    EXPECT_EQ(pos, Point(5, 6));
    handled = delta == 240;
  };
  c.OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool&) { ++ups; };
  c.OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool&) { ++downs; };
  PostWheel(&c, 60);
  EXPECT_TRUE(deltas.empty());
  PostWheel(&c, 60);
  PostWheel(&c, 240);
  PostWheel(&c, -360);
  PostWheel(&c, -100);
  EXPECT_EQ(deltas, (std::vector<int32_t>{120, 240, -360}));
  EXPECT_EQ(ups, 1);  // the handled turn goes no further
  EXPECT_EQ(downs, 1);
}

TEST(ControlKeys, KeysBecomeVirtualKeysAndCharacters) {
  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    QString text;
    Log expected;
  };
  const Case cases[] = {
      {Qt::Key_Left, Qt::NoModifier, "", {"KeyDown 37", "KeyUp 37"}},
      {Qt::Key_A, Qt::NoModifier, "a", {"KeyDown 65", "KeyPress a", "KeyUp 65"}},
      {Qt::Key_5, Qt::KeypadModifier, "5", {"KeyDown 101", "KeyPress 5", "KeyUp 101"}},
      {Qt::Key_F5, Qt::NoModifier, "", {"KeyDown 116", "KeyUp 116"}},
      {Qt::Key_Return, Qt::NoModifier, "\r", {"KeyDown 13", "KeyPress \r", "KeyUp 13"}},
      {Qt::Key_Adiaeresis, Qt::NoModifier, QString(QChar(0xE4)), {"KeyPress \xE4"}},
      {Qt::Key_Escape, Qt::NoModifier, "\x1b", {"KeyDown 27", "KeyPress \x1b", "KeyUp 27"}},
  };
  for (const Case& k : cases) {
    TProbe c(nullptr);
    QKeyEvent press(QEvent::KeyPress, k.key, k.mods, k.text);
    QKeyEvent release(QEvent::KeyRelease, k.key, k.mods, k.text);
    QCoreApplication::sendEvent(&c, &press);
    QCoreApplication::sendEvent(&c, &release);
    EXPECT_EQ(c.log, k.expected) << "key " << k.key;
  }
  EXPECT_EQ(VirtualKeyOf(Qt::Key_Z, false), 'Z');
  EXPECT_EQ(VirtualKeyOf(Qt::Key_Delete, false), VK_DELETE);
  EXPECT_EQ(VirtualKeyOf(Qt::Key_Plus, true), VK_ADD);
  EXPECT_EQ(VirtualKeyOf(Qt::Key_Plus, false), 0);
}

TEST(ControlPaint, RepaintPaintsNowAndInvalidateWaitsForThePaintEvent) {
  TProbe c(nullptr);
  c.Repaint();
  EXPECT_EQ(c.paints, 1);
  QImage shown = c.grab().toImage();
  EXPECT_EQ(shown.pixel(4, 4), 0xFFFF0000u);
  EXPECT_EQ(shown.pixel(20, 20), testing::QtPixel(clBtnFace));
  EXPECT_EQ(c.paints, 1);  // showing does not paint again

  c.square = clBlue;
  c.Invalidate();
  EXPECT_EQ(c.paints, 1);
  shown = c.grab().toImage();
  EXPECT_EQ(c.paints, 2);
  EXPECT_EQ(shown.pixel(4, 4), 0xFF0000FFu);
}

TEST(ControlPaint, CanvasDrawingOutsidePaintStaysOnTheSurface) {
  TProbe c(nullptr);
  c.Repaint();
  TCanvas* cv = c.Canvas();
  cv->Pen()->SetMode(pmXor);
  cv->Pen()->SetColor(clWhite);
  cv->MoveTo(0, 20);
  cv->LineTo(40, 20);  // a rubber band
  QImage shown = c.grab().toImage();
  EXPECT_EQ(c.paints, 1);
  EXPECT_EQ(shown.pixel(10, 20), testing::QtPixel(ColorToRGB(clBtnFace) ^ 0xFFFFFF));
  cv->MoveTo(0, 20);
  cv->LineTo(40, 20);  // and away again
  shown = c.grab().toImage();
  EXPECT_EQ(shown.pixel(10, 20), testing::QtPixel(clBtnFace));
}

TEST(ControlPaint, TheSurfaceFollowsTheSize) {
  TProbe c(nullptr);
  int resizes = 0;
  c.OnResize = [&](TObject*) { ++resizes; };
  c.SetBounds(5, 6, 30, 20);
  EXPECT_EQ(c.Canvas()->ClipRect(), Rect(0, 0, 30, 20));
  EXPECT_EQ(c.BoundsRect(), Rect(5, 6, 35, 26));
  c.SetBounds(9, 9, 30, 20);  // moved only
  c.SetWidth(-4);
  EXPECT_EQ(c.Width(), 0);
  EXPECT_EQ(c.Canvas()->ClipRect(), TRect{});
  c.Repaint();  // nothing to paint on
  EXPECT_EQ(resizes, 2);
}

TEST(ControlAlign, TopPanelAndClientAreaShareTheParent) {
  TCustomControl host(nullptr);
  host.SetBounds(100, 50, 480, 320);
  auto* panel = new TPanel(&host);
  panel->SetParent(&host);
  panel->SetHeight(33);
  panel->SetAlign(alTop);
  auto* map = new TProbe(&host);
  map->SetParent(&host);
  map->SetAlign(alClient);
  EXPECT_EQ(panel->BoundsRect(), Rect(0, 0, 480, 33));
  EXPECT_EQ(map->BoundsRect(), Rect(0, 33, 480, 320));

  host.SetBounds(0, 0, 500, 400);
  EXPECT_EQ(panel->BoundsRect(), Rect(0, 0, 500, 33));
  EXPECT_EQ(map->BoundsRect(), Rect(0, 33, 500, 400));
  panel->SetVisible(false);
  EXPECT_EQ(map->BoundsRect(), Rect(0, 0, 500, 400));
  panel->SetVisible(true);
  panel->SetHeight(40);
  EXPECT_EQ(map->BoundsRect(), Rect(0, 40, 500, 400));
}

TEST(ControlAlign, EveryKindTakesItsSideInOrder) {
  TPanel host(nullptr);  // raised bevel: children sit one pixel inside
  host.SetBounds(0, 0, 200, 100);
  // Kinds are laid out top, bottom, left, right, client; the second top
  // control follows the first.
  struct Case {
    TAlign align;
    TRect expected;
  };
  const Case cases[] = {{alTop, Rect(1, 1, 199, 11)},  {alBottom, Rect(1, 89, 199, 99)},
                        {alLeft, Rect(1, 21, 11, 89)}, {alRight, Rect(189, 21, 199, 89)},
                        {alTop, Rect(1, 11, 199, 21)}, {alClient, Rect(11, 21, 189, 89)}};
  std::vector<TProbe*> children;
  for (const Case& c : cases) {
    auto* p = new TProbe(&host);
    p->SetBounds(0, 0, 10, 10);
    p->SetParent(&host);
    p->SetAlign(c.align);
    children.push_back(p);
  }
  for (std::size_t i = 0; i < children.size(); ++i)
    EXPECT_EQ(children[i]->BoundsRect(), cases[i].expected) << "child " << i;
}

TEST(ControlAlign, WorksInsideAnApplicationsOwnWidget) {
  QWidget window;
  window.resize(300, 200);
  TProbe c(nullptr);
  c.setParent(&window);
  c.SetAlign(alClient);
  EXPECT_EQ(c.BoundsRect(), Rect(0, 0, 300, 200));
  window.show();
  window.resize(350, 220);
  Application().ProcessMessages();
  EXPECT_EQ(c.BoundsRect(), Rect(0, 0, 350, 220));
  EXPECT_TRUE(c.Showing());
  c.setParent(nullptr);
}

TEST(ControlFont, ChildrenFollowTheParentFontUntilTheyGetTheirOwn) {
  TCustomControl host(nullptr);
  auto* child = new TProbe(&host);
  child->SetParent(&host);
  EXPECT_TRUE(child->ParentFont());
  host.Font()->SetName("Courier New");
  EXPECT_EQ(child->Font()->Name(), "Courier New");
  child->Font()->SetSize(14);
  EXPECT_FALSE(child->ParentFont());
  host.Font()->SetName("Arial");
  EXPECT_EQ(child->Font()->Name(), "Courier New");
  child->SetParentFont(true);
  EXPECT_EQ(child->Font()->Name(), "Arial");
}

TEST(ControlOwnership, OwnersAndParentsMayGoInAnyOrder) {
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* host = new TCustomControl(owner.get());
  QPointer<TProbe> a = new TProbe(owner.get());
  QPointer<TProbe> b = new TProbe(owner.get());
  a->SetParent(host);
  b->SetParent(host);
  EXPECT_EQ(owner->ComponentCount(), 3);
  delete a.data();  // directly
  EXPECT_EQ(owner->ComponentCount(), 2);
  delete host;  // the parent takes its child along; the owner forgets both
  EXPECT_TRUE(b.isNull());
  EXPECT_EQ(owner->ComponentCount(), 0);
  auto* c = new TProbe(owner.get());
  c->SetName("Probe1");
  EXPECT_EQ(c->objectName(), QStringLiteral("Probe1"));
  owner.reset();  // the owner deletes what is left
}

TEST(ControlState, VisibilityCursorAndHint) {
  TCustomControl host(nullptr);
  TProbe c(nullptr);
  c.SetParent(&host);
  EXPECT_TRUE(c.isVisibleTo(&host));
  c.SetVisible(false);
  EXPECT_FALSE(c.isVisibleTo(&host));
  EXPECT_FALSE(c.Visible());
  c.SetCursor(crHandPoint);
  EXPECT_EQ(c.cursor().shape(), Qt::PointingHandCursor);
  c.SetCursor(crDefault);
  EXPECT_FALSE(c.testAttribute(Qt::WA_SetCursor));
  c.SetHint("Zoom");
  EXPECT_TRUE(c.toolTip().isEmpty());
  c.SetShowHint(true);
  EXPECT_EQ(c.toolTip(), QStringLiteral("Zoom"));
  c.setParent(nullptr);

  Screen().SetCursor(crHourGlass);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  Screen().SetCursor(crCross);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
  Screen().SetCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Panel, DrawsItsBevelAndCentresItsCaption) {
  TPanel p(nullptr);
  p.SetBounds(0, 0, 120, 40);
  p.SetCaption("Atlas");
  p.Repaint();
  TCanvas* cv = p.Canvas();
  EXPECT_EQ(cv->Pixels(0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(cv->Pixels(119, 39), ColorToRGB(clBtnShadow));
  EXPECT_EQ(cv->Pixels(119, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(cv->Pixels(0, 39), ColorToRGB(clBtnShadow));
  cv->SetFont(p.Font());
  const TSize text = cv->TextExtent("Atlas");
  int32_t inkLeft = 120, inkRight = 0;
  for (int32_t y = 2; y < 38; ++y)
    for (int32_t x = 2; x < 118; ++x)
      if (cv->Pixels(x, y) != ColorToRGB(clBtnFace)) {
        inkLeft = std::min(inkLeft, x);
        inkRight = std::max(inkRight, x + 1);
      }
  EXPECT_GE(inkLeft, (120 - text.cx) / 2);
  EXPECT_LE(inkRight, (120 - text.cx) / 2 + text.cx);
}

// Speed buttons with a glyph of two images on olive.
struct SpeedButtons : ::testing::Test {
  TCustomControl host{nullptr};
  TSpeedButton* pointer = new TSpeedButton(&host);
  TSpeedButton* zoom = new TSpeedButton(&host);
  int clicks = 0;

  void SetUp() override {
    TBitmap glyph;
    glyph.LoadFromResourceName("nuvtest", "GLYPH");
    for (TSpeedButton* b : {pointer, zoom}) {
      b->SetParent(&host);
      b->SetGroupIndex(1);
      b->SetGlyph(&glyph);
      b->OnClick = [this](TObject*) { ++clicks; };
    }
    zoom->SetLeft(26);
    pointer->SetDown(true);
  }
  void ClickOn(TSpeedButton* b) {
    Press(b, {5, 5});
    Release(b, {5, 5});
  }
};

TEST_F(SpeedButtons, OneOfTheGroupIsDown) {
  EXPECT_TRUE(pointer->Down());
  ClickOn(zoom);
  EXPECT_TRUE(zoom->Down());
  EXPECT_FALSE(pointer->Down());
  ClickOn(zoom);  // a down button stays down
  EXPECT_TRUE(zoom->Down());
  EXPECT_EQ(clicks, 2);
  zoom->SetDown(false);
  EXPECT_TRUE(zoom->Down());
  zoom->SetAllowAllUp(true);
  EXPECT_TRUE(pointer->AllowAllUp());
  ClickOn(zoom);
  EXPECT_FALSE(zoom->Down());
  EXPECT_FALSE(pointer->Down());
  // A release outside is no click.
  Press(pointer, {5, 5});
  PostMouse(pointer, QEvent::MouseMove, {50, 5}, Qt::NoButton, Qt::LeftButton);
  Release(pointer, {50, 5});
  EXPECT_FALSE(pointer->Down());
  EXPECT_EQ(clicks, 3);
}

TEST_F(SpeedButtons, GlyphWidthTellsTheNumberOfImages) {
  EXPECT_EQ(zoom->NumGlyphs(), 2);
  zoom->Glyph()->SetSize(40, 8);  // five: too many, one image
  EXPECT_EQ(zoom->NumGlyphs(), 1);
  zoom->Glyph()->SetSize(24, 8);
  EXPECT_EQ(zoom->NumGlyphs(), 3);
  zoom->Glyph()->SetSize(25, 8);  // not whole images: unchanged
  EXPECT_EQ(zoom->NumGlyphs(), 3);
  zoom->SetNumGlyphs(7);
  EXPECT_EQ(zoom->NumGlyphs(), 3);
}

TEST_F(SpeedButtons, GlyphIsCentredWithoutItsBackground) {
  zoom->Repaint();  // up: the pointer button is the one down
  TCanvas* cv = zoom->Canvas();
  // The 8x8 glyph sits in the middle of 23x22; its red square at 2..5.
  const int32_t gx = (23 - 8) / 2, gy = (22 - 8) / 2;
  EXPECT_EQ(cv->Pixels(gx + 3, gy + 3), clRed);
  EXPECT_EQ(cv->Pixels(gx, gy), ColorToRGB(clBtnFace));  // olive left out
  zoom->SetEnabled(false);
  zoom->Repaint();
  EXPECT_EQ(cv->Pixels(gx + 3, gy + 3), clBlue);  // the disabled image
}

TEST(ComboBox, OnlyTheUserFiresOnChange) {
  TComboBox box(nullptr);
  box.SetStyle(csDropDownList);
  int changes = 0;
  box.OnChange = [&](TObject*) { ++changes; };
  box.Items().Add("Alps");
  box.Items().Add("Baltic");
  box.Items().Add("Carpathians");
  EXPECT_EQ(box.ItemIndex(), -1);  // adding selects nothing
  box.SetItemIndex(1);
  EXPECT_EQ(box.Text(), "Baltic");
  box.SetItemIndex(7);
  EXPECT_EQ(box.ItemIndex(), -1);
  box.SetItemIndex(0);
  EXPECT_EQ(changes, 0);

  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QCoreApplication::sendEvent(box.ComboWidget(), &down);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(box.ItemIndex(), 1);

  box.Items().Delete(1);
  EXPECT_EQ(box.ItemIndex(), -1);
  box.Items().Clear();
  EXPECT_EQ(box.Items().Count(), 0);
  EXPECT_EQ(changes, 1);
}

TEST(ComboBox, ItemsKeepOrderCaseAndSelection) {
  TComboBox box(nullptr);
  box.SetSorted(true);
  for (const char* s : {"delta", "Alpha", "charlie", "Bravo", "\xC4gypten"}) box.Items().Add(s);
  std::vector<std::string> items;
  for (int32_t i = 0; i < box.Items().Count(); ++i) items.push_back(box.Items().Strings(i));
  EXPECT_EQ(items, (std::vector<std::string>{"\xC4gypten", "Alpha", "Bravo", "charlie", "delta"}));
  EXPECT_EQ(box.Items().IndexOf("CHARLIE"), 3);
  EXPECT_EQ(box.Items().IndexOf("echo"), -1);
  EXPECT_EQ(box.Items().Strings(9), "");
  box.Items().Delete(42);
  box.SetText("typed");
  EXPECT_EQ(box.Text(), "typed");
  EXPECT_EQ(box.ItemIndex(), -1);
  box.SetStyle(csDropDownList);
  box.SetText("Bravo");
  EXPECT_EQ(box.ItemIndex(), 2);
  box.SetBounds(0, 0, 300, 24);
  EXPECT_EQ(box.ComboWidget()->geometry(), QRect(0, 0, 300, 24));
}

}  // namespace
}  // namespace nuv
