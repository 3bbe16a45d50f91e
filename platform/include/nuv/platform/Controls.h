// Controls: components that are also Qt widgets, so that an application can
// put them into its own windows and layouts, with the events and the
// alignment that the library's visual components are written against.
//
// TControl is the base (placement, alignment, colour, font, cursor, mouse
// events); TWinControl can hold other controls and takes the keyboard;
// TGraphicControl and TCustomControl draw themselves in Paint on a Canvas.
// That canvas draws into a surface image that the widget shows: Paint runs
// when the control was invalidated (or synchronously in Repaint), and
// drawing on Canvas outside Paint (a rubber band in XOR) shows at the next
// paint event without erasing what Paint made.
//
// Mouse positions are integer client coordinates. A left press followed by
// a release inside the control is a click (Click fires before MouseUp);
// a double click fires DblClick and then MouseDown with ssDouble. Wheel
// turns are passed on in whole notches of 120.
//
// Controls with an Align other than alNone are laid out by their parent, in
// the order alTop, alBottom, alLeft, alRight, alClient and, within one
// kind, in the order the controls were given that parent; this works for
// any QWidget parent.
#pragma once

#include <QImage>
#include <QPalette>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "nuv/platform/Classes.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/Graphics.h"

namespace nuv {

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// Members of a shift state; TShiftState holds them as bits 1 << value.
enum TShiftStateItem : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = uint8_t;
constexpr TShiftState ShiftBit(TShiftStateItem s) { return static_cast<TShiftState>(1u << s); }

// Members of a control style. Without csClickEvents a control has no
// automatic Click/DblClick; without csDoubleClicks a double click arrives
// as a second press.
enum TControlStyleItem : uint8_t { csClickEvents, csDoubleClicks };
using TControlStyle = uint8_t;
constexpr TControlStyle ControlStyleBit(TControlStyleItem s) {
  return static_cast<TControlStyle>(1u << s);
}

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift,
                                       int32_t X, int32_t Y)>;
using TMouseMoveEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y)>;
// WheelDelta: +120 per notch away from the user; MousePos in client
// coordinates. Setting Handled stops the event.
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int32_t WheelDelta,
                                            TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
// Key is a virtual-key code; a handler may set it to 0 to swallow the key.
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

// Virtual-key codes. Letters and digits are their upper-case characters
// ('A', '0').
inline constexpr uint16_t VK_BACK = 0x08;
inline constexpr uint16_t VK_TAB = 0x09;
inline constexpr uint16_t VK_RETURN = 0x0D;
inline constexpr uint16_t VK_SHIFT = 0x10;
inline constexpr uint16_t VK_CONTROL = 0x11;
inline constexpr uint16_t VK_MENU = 0x12;
inline constexpr uint16_t VK_PAUSE = 0x13;
inline constexpr uint16_t VK_CAPITAL = 0x14;
inline constexpr uint16_t VK_ESCAPE = 0x1B;
inline constexpr uint16_t VK_SPACE = 0x20;
inline constexpr uint16_t VK_PRIOR = 0x21;
inline constexpr uint16_t VK_NEXT = 0x22;
inline constexpr uint16_t VK_END = 0x23;
inline constexpr uint16_t VK_HOME = 0x24;
inline constexpr uint16_t VK_LEFT = 0x25;
inline constexpr uint16_t VK_UP = 0x26;
inline constexpr uint16_t VK_RIGHT = 0x27;
inline constexpr uint16_t VK_DOWN = 0x28;
inline constexpr uint16_t VK_INSERT = 0x2D;
inline constexpr uint16_t VK_DELETE = 0x2E;
inline constexpr uint16_t VK_NUMPAD0 = 0x60;  // to VK_NUMPAD0 + 9
inline constexpr uint16_t VK_MULTIPLY = 0x6A;
inline constexpr uint16_t VK_ADD = 0x6B;
inline constexpr uint16_t VK_SUBTRACT = 0x6D;
inline constexpr uint16_t VK_DECIMAL = 0x6E;
inline constexpr uint16_t VK_DIVIDE = 0x6F;
inline constexpr uint16_t VK_F1 = 0x70;  // to VK_F1 + 11 (F12)

// The virtual-key code of a Qt key (0 for keys without one); keypad
// digits and operators when keypad is set.
uint16_t VirtualKeyOf(int qtKey, bool keypad);

// The classic grey scheme as a palette, every group alike but for the grey
// text of the disabled group. The library gives it to a QApplication that it
// creates itself, so that images drawn without a host look the same on
// every machine; tests give it to theirs for the same reason.
QPalette ClassicPalette();

namespace detail {
// First base of every control: makes sure the GUI application exists
// before the widget is constructed.
struct TGuiReady {
  TGuiReady();
};
}  // namespace detail

class TWinControl;
class TRasterCanvas;

class TControl : private detail::TGuiReady, public QWidget, public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // The control that holds this one (nullptr when the parent widget is not
  // a control, or there is none). Setting it shows the control there when
  // Visible.
  TWinControl* Parent() const;
  void SetParent(TWinControl* AParent);

  int32_t Left() const { return x(); }
  int32_t Top() const { return y(); }
  int32_t Width() const { return width(); }
  int32_t Height() const { return height(); }
  void SetLeft(int32_t value) { SetBounds(value, Top(), Width(), Height()); }
  void SetTop(int32_t value) { SetBounds(Left(), value, Width(), Height()); }
  void SetWidth(int32_t value) { SetBounds(Left(), Top(), value, Height()); }
  void SetHeight(int32_t value) { SetBounds(Left(), Top(), Width(), value); }
  // Negative sizes count as 0.
  void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);
  TRect BoundsRect() const { return Bounds(Left(), Top(), Width(), Height()); }
  TRect ClientRect() const { return {0, 0, Width(), Height()}; }
  int32_t ClientWidth() const { return Width(); }
  int32_t ClientHeight() const { return Height(); }
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);

  // Visible is the control's own wish; Showing whether it is on screen.
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Showing() const { return isVisible(); }
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool value);

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont* value);
  // While set, the control takes its parent control's font; changing Font
  // clears it.
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string_view value);
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool value) { parent_show_hint_ = value; }
  TControlStyle ControlStyle() const { return control_style_; }
  void SetControlStyle(TControlStyle value) { control_style_ = value; }

  // Paint at the next paint event.
  void Invalidate();
  // Paint now (also when hidden), and show it at the next paint event.
  void Repaint();
  void Refresh() { Repaint(); }
  // Paint now if invalidated.
  void Update();

  void SetName(std::string_view name) override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TMouseWheelUpDownEvent OnMouseWheelDown;

 protected:
  // The event methods; each fires its event when assigned.
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  // Returns whether a handler took the turn.
  virtual bool DoMouseWheel(TShiftState Shift, int32_t WheelDelta, TPoint MousePos);
  // After the size changed.
  virtual void Resize();
  // After Font changed.
  virtual void FontChanged();

  // Controls that draw themselves keep a surface with a canvas.
  void EnableSurface();
  TCanvas* SurfaceCanvas();
  virtual void PaintSurface() {}

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool event(QEvent* event) override;

 private:
  friend class TWinControl;
  void BoundsChanged();
  void ParentChanged();
  void RenderSurface();
  void TakeParentFont();
  void RealignParent();

  std::unique_ptr<TFont> font_;
  QImage surface_;
  std::unique_ptr<TRasterCanvas> canvas_;
  std::string hint_;
  QSize last_size_{-1, -1};
  int32_t wheel_rest_ = 0;
  TColor color_ = clBtnFace;
  TCursor cursor_ = crDefault;
  TAlign align_ = alNone;
  TControlStyle control_style_ = ControlStyleBit(csClickEvents) | ControlStyleBit(csDoubleClicks);
  bool visible_ = true;
  bool parent_font_ = true;
  bool show_hint_ = false;
  bool parent_show_hint_ = true;
  bool clicked_ = false;
  bool dirty_ = true;
  bool painting_ = false;
  bool syncing_font_ = false;
};

// A control that holds other controls and takes the keyboard focus.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);

  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool value);
  bool Focused() const { return hasFocus(); }
  bool CanFocus() const { return isEnabled() && isVisible(); }
  void SetFocus() { setFocus(Qt::OtherFocusReason); }

  // Lays out the aligned child controls now.
  void Realign();

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

 protected:
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  // The area aligned children share (the client rectangle, less borders).
  virtual TRect AlignRect() const { return ClientRect(); }

  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  friend void AlignChildren(QWidget* parent);
  bool tab_stop_ = false;
};

// A light-weight control that paints itself.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  TCanvas* Canvas() { return SurfaceCanvas(); }

 protected:
  // Draws the control on Canvas; the surface was filled with Color first.
  virtual void Paint() {}
  void PaintSurface() override { Paint(); }
};

// A windowed control that paints itself.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  TCanvas* Canvas() { return SurfaceCanvas(); }

 protected:
  virtual void Paint() {}
  void PaintSurface() override { Paint(); }
};

// Lays out the aligned controls among parent's children.
void AlignChildren(QWidget* parent);

}  // namespace nuv
