#include "nuv/platform/Controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <vector>

#include "QtBoundary.h"
#include "Raster.h"
#include "RasterCanvas.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace {

constexpr int32_t kWheelNotch = 120;

TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
  TShiftState s = 0;
  if (mods & Qt::ShiftModifier) s |= ShiftBit(ssShift);
  if (mods & Qt::AltModifier) s |= ShiftBit(ssAlt);
  if (mods & Qt::ControlModifier) s |= ShiftBit(ssCtrl);
  if (buttons & Qt::LeftButton) s |= ShiftBit(ssLeft);
  if (buttons & Qt::RightButton) s |= ShiftBit(ssRight);
  if (buttons & Qt::MiddleButton) s |= ShiftBit(ssMiddle);
  return s;
}

bool ButtonOf(Qt::MouseButton b, TMouseButton& out) {
  switch (b) {
    case Qt::LeftButton:
      out = mbLeft;
      return true;
    case Qt::RightButton:
      out = mbRight;
      return true;
    case Qt::MiddleButton:
      out = mbMiddle;
      return true;
    default:
      return false;
  }
}

// Qt's positions are fractional in logical pixels; the pixel under the
// pointer is the one whose square contains it.
int32_t PixelOf(double v) {
  if (!(v > -1e9 && v < 1e9)) return 0;
  return static_cast<int32_t>(std::floor(v));
}

TPoint PosOf(const QPointF& p) { return {PixelOf(p.x()), PixelOf(p.y())}; }

// Parents whose children are being aligned now, so that the children's own
// resizing does not start the same layout again.
std::vector<QWidget*>& AligningParents() {
  static std::vector<QWidget*> parents;
  return parents;
}

// Lays out the aligned children of a parent that is no control, when Qt
// resizes or shows it.
class TAlignFilter : public QObject {
 public:
  explicit TAlignFilter(QObject* parent) : QObject(parent) { setObjectName(kName); }
  static constexpr const char* kName = "nuv-align-filter";

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent() && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
      AlignChildren(static_cast<QWidget*>(watched));
    return false;
  }
};

void WatchForeignParent(QWidget* parent) {
  if (!parent || dynamic_cast<TWinControl*>(parent) ||
      parent->findChild<QObject*>(QLatin1String(TAlignFilter::kName), Qt::FindDirectChildrenOnly))
    return;
  parent->installEventFilter(new TAlignFilter(parent));
}

}  // namespace

uint16_t VirtualKeyOf(int qtKey, bool keypad) {
  if (keypad) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
      return static_cast<uint16_t>(VK_NUMPAD0 + (qtKey - Qt::Key_0));
    switch (qtKey) {
      case Qt::Key_Asterisk:
        return VK_MULTIPLY;
      case Qt::Key_Plus:
        return VK_ADD;
      case Qt::Key_Minus:
        return VK_SUBTRACT;
      case Qt::Key_Period:
      case Qt::Key_Comma:
        return VK_DECIMAL;
      case Qt::Key_Slash:
        return VK_DIVIDE;
      default:
        break;
    }
  }
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
    return static_cast<uint16_t>(qtKey);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
    return static_cast<uint16_t>(VK_F1 + (qtKey - Qt::Key_F1));
  switch (qtKey) {
    case Qt::Key_Backspace:
      return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VK_RETURN;
    case Qt::Key_Shift:
      return VK_SHIFT;
    case Qt::Key_Control:
      return VK_CONTROL;
    case Qt::Key_Alt:
      return VK_MENU;
    case Qt::Key_Pause:
      return VK_PAUSE;
    case Qt::Key_CapsLock:
      return VK_CAPITAL;
    case Qt::Key_Escape:
      return VK_ESCAPE;
    case Qt::Key_Space:
      return VK_SPACE;
    case Qt::Key_PageUp:
      return VK_PRIOR;
    case Qt::Key_PageDown:
      return VK_NEXT;
    case Qt::Key_End:
      return VK_END;
    case Qt::Key_Home:
      return VK_HOME;
    case Qt::Key_Left:
      return VK_LEFT;
    case Qt::Key_Up:
      return VK_UP;
    case Qt::Key_Right:
      return VK_RIGHT;
    case Qt::Key_Down:
      return VK_DOWN;
    case Qt::Key_Insert:
      return VK_INSERT;
    case Qt::Key_Delete:
      return VK_DELETE;
    default:
      return 0;
  }
}

detail::TGuiReady::TGuiReady() { EnsureGuiApplication(); }

void AlignChildren(QWidget* parent) {
  if (!parent) return;
  auto& busy = AligningParents();
  if (std::find(busy.begin(), busy.end(), parent) != busy.end()) return;
  busy.push_back(parent);
  const auto* control = dynamic_cast<const TWinControl*>(parent);
  TRect r = control ? control->AlignRect() : TRect{0, 0, parent->width(), parent->height()};
  for (const TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (QObject* child : parent->children()) {
      auto* c = dynamic_cast<TControl*>(child);
      if (!c || c->Align() != kind || !c->Visible()) continue;
      const int32_t w = std::max(r.Width(), 0), h = std::max(r.Height(), 0);
      switch (kind) {
        case alTop:
          c->SetBounds(r.Left, r.Top, w, c->Height());
          r.Top += c->Height();
          break;
        case alBottom:
          c->SetBounds(r.Left, r.Bottom - c->Height(), w, c->Height());
          r.Bottom -= c->Height();
          break;
        case alLeft:
          c->SetBounds(r.Left, r.Top, c->Width(), h);
          r.Left += c->Width();
          break;
        case alRight:
          c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), h);
          r.Right -= c->Width();
          break;
        default:
          c->SetBounds(r.Left, r.Top, w, h);
          break;
      }
    }
  }
  busy.pop_back();
}

// ---------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner)
    : QWidget(nullptr), TComponent(AOwner), font_(std::make_unique<TFont>()) {
  setMouseTracking(true);
  setGeometry(0, 0, 0, 0);
  setFont(font_->QtFont());
  font_->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  // Owned controls go first, while this widget is still whole.
  DestroyComponents();
}

TWinControl* TControl::Parent() const { return dynamic_cast<TWinControl*>(parentWidget()); }

void TControl::SetParent(TWinControl* AParent) {
  QWidget* old = parentWidget();
  if (old == AParent) return;
  setParent(AParent);
  AlignChildren(old);
}

void TControl::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  setGeometry(ALeft, ATop, std::max(AWidth, 0), std::max(AHeight, 0));
  BoundsChanged();
}

void TControl::BoundsChanged() {
  RealignParent();
  if (size() == last_size_) return;
  last_size_ = size();
  if (canvas_) {
    canvas_->Flush();
    surface_ = width() > 0 && height() > 0 ? QImage(size(), QImage::Format_RGB32) : QImage();
    if (!surface_.isNull()) surface_.fill(QColor::fromRgb(raster::PixelOf(color_)));
    dirty_ = true;
  }
  if (auto* self = dynamic_cast<TWinControl*>(this)) self->Realign();
  Resize();
}

TPoint TControl::ClientToScreen(TPoint p) const {
  const QPoint q = mapToGlobal(QPoint(p.X, p.Y));
  return {q.x(), q.y()};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  const QPoint q = mapFromGlobal(QPoint(p.X, p.Y));
  return {q.x(), q.y()};
}

void TControl::SetAlign(TAlign value) {
  align_ = value;
  if (value != alNone) WatchForeignParent(parentWidget());
  RealignParent();
}

void TControl::RealignParent() {
  if (align_ != alNone) AlignChildren(parentWidget());
}

void TControl::SetVisible(bool value) {
  visible_ = value;
  if (parentWidget() || !value) setVisible(value);
  AlignChildren(parentWidget());
}

void TControl::SetEnabled(bool value) {
  setEnabled(value);
  Invalidate();
}

void TControl::SetColor(TColor value) {
  color_ = value;
  Invalidate();
}

void TControl::SetFont(const TFont* value) {
  if (value) font_->Assign(*value);
}

void TControl::SetParentFont(bool value) {
  parent_font_ = value;
  if (value) TakeParentFont();
}

void TControl::TakeParentFont() {
  const auto* parent = dynamic_cast<const TControl*>(parentWidget());
  if (!parent_font_ || !parent) return;
  syncing_font_ = true;
  font_->Assign(*parent->Font());
  syncing_font_ = false;
}

void TControl::FontChanged() {
  if (!syncing_font_) parent_font_ = false;
  setFont(font_->QtFont());
  for (QObject* child : children())
    if (auto* c = dynamic_cast<TControl*>(child)) c->TakeParentFont();
  Invalidate();
}

void TControl::SetCursor(TCursor value) {
  cursor_ = value;
  if (value == crDefault)
    unsetCursor();
  else
    setCursor(Screen().Cursors(value));
}

void TControl::SetHint(std::string_view value) {
  hint_ = value;
  setToolTip(show_hint_ ? ToQString(hint_) : QString());
}

void TControl::SetShowHint(bool value) {
  show_hint_ = value;
  SetHint(hint_);
}

void TControl::SetName(std::string_view name) {
  TComponent::SetName(name);
  setObjectName(ToQString(name));
}

// ---------------------------------------------------------------------------
// Painting

void TControl::EnableSurface() {
  if (canvas_) return;
  canvas_ = std::make_unique<TRasterCanvas>(&surface_, false);
  // Drawing outside Paint shows at the next paint event.
  canvas_->Damaged = [this] {
    if (!painting_) update();
  };
  setAttribute(Qt::WA_OpaquePaintEvent);
  last_size_ = QSize(-1, -1);
  BoundsChanged();
}

TCanvas* TControl::SurfaceCanvas() {
  EnableSurface();
  return canvas_.get();
}

void TControl::RenderSurface() {
  dirty_ = false;
  if (!canvas_ || surface_.isNull()) return;
  const QPalette colors = palette();
  const QPalette::ColorGroup group = !isEnabled()       ? QPalette::Disabled
                                     : isActiveWindow() ? QPalette::Active
                                                        : QPalette::Inactive;
  const TSystemColorScope scope(colors, group);
  painting_ = true;
  canvas_->Flush();
  surface_.fill(QColor::fromRgb(raster::PixelOf(color_)));
  try {
    PaintSurface();
  } catch (...) {
    painting_ = false;
    throw;
  }
  canvas_->Flush();
  painting_ = false;
}

void TControl::Invalidate() {
  dirty_ = true;
  update();
}

void TControl::Repaint() {
  if (canvas_)
    RenderSurface();
  else
    dirty_ = false;
  update();
}

void TControl::Update() {
  if (dirty_) Repaint();
}

void TControl::paintEvent(QPaintEvent* event) {
  if (!canvas_) return QWidget::paintEvent(event);
  if (dirty_) RenderSurface();
  canvas_->Flush();
  QPainter(this).drawImage(0, 0, surface_);
}

void TControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  BoundsChanged();
}

bool TControl::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ParentChange:
      ParentChanged();
      break;
    // The system colours of the painting changed with them.
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
    case QEvent::ActivationChange:
      if (canvas_) Invalidate();
      break;
    default:
      break;
  }
  return QWidget::event(event);
}

void TControl::ParentChanged() {
  // A reparented widget is hidden by Qt; it shows again where it is wanted.
  if (visible_ && parentWidget()) show();
  if (align_ != alNone) WatchForeignParent(parentWidget());
  TakeParentFont();
  RealignParent();
}

// ---------------------------------------------------------------------------
// Events

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int32_t WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (handled) return true;
  const TMouseWheelUpDownEvent& updown = WheelDelta > 0 ? OnMouseWheelUp : OnMouseWheelDown;
  if (updown) updown(this, Shift, MousePos, handled);
  return handled;
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::mousePressEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), button)) return QWidget::mousePressEvent(event);
  if (button == mbLeft) clicked_ = true;
  const TPoint p = PosOf(event->position());
  MouseDown(button, ShiftOf(event->modifiers(), event->buttons()), p.X, p.Y);
  event->accept();
}

void TControl::mouseDoubleClickEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), button)) return QWidget::mouseDoubleClickEvent(event);
  if (!(control_style_ & ControlStyleBit(csDoubleClicks))) return mousePressEvent(event);
  if (button == mbLeft && (control_style_ & ControlStyleBit(csClickEvents))) DblClick();
  const TPoint p = PosOf(event->position());
  MouseDown(button, ShiftOf(event->modifiers(), event->buttons()) | ShiftBit(ssDouble), p.X, p.Y);
  event->accept();
}

void TControl::mouseReleaseEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), button)) return QWidget::mouseReleaseEvent(event);
  const TPoint p = PosOf(event->position());
  if (button == mbLeft && clicked_) {
    clicked_ = false;
    if ((control_style_ & ControlStyleBit(csClickEvents)) && PtInRect(ClientRect(), p)) Click();
  }
  MouseUp(button, ShiftOf(event->modifiers(), event->buttons()), p.X, p.Y);
  event->accept();
}

void TControl::mouseMoveEvent(QMouseEvent* event) {
  const TPoint p = PosOf(event->position());
  MouseMove(ShiftOf(event->modifiers(), event->buttons()), p.X, p.Y);
  event->accept();
}

void TControl::wheelEvent(QWheelEvent* event) {
  // Fine-grained wheels send fractions of a notch; they add up.
  const int64_t total = static_cast<int64_t>(wheel_rest_) + event->angleDelta().y();
  const int64_t notches = total / kWheelNotch;
  wheel_rest_ = static_cast<int32_t>(total - notches * kWheelNotch);
  if (notches == 0) return event->accept();
  const int64_t delta = std::clamp<int64_t>(notches * kWheelNotch, INT32_MIN, INT32_MAX);
  if (DoMouseWheel(ShiftOf(event->modifiers(), event->buttons()), static_cast<int32_t>(delta),
                   PosOf(event->position())))
    event->accept();
  else
    event->ignore();
}

// ---------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) { setFocusPolicy(Qt::ClickFocus); }

void TWinControl::SetTabStop(bool value) {
  tab_stop_ = value;
  setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TWinControl::Realign() { AlignChildren(this); }

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::keyPressEvent(QKeyEvent* event) {
  uint16_t key = VirtualKeyOf(event->key(), event->modifiers() & Qt::KeypadModifier);
  if (key != 0) KeyDown(key, ShiftOf(event->modifiers(), Qt::NoButton));
  // The character comes as well, even when KeyDown swallowed the key.
  const QString text = event->text();
  const int c = text.size() == 1 ? UnicodeToAnsiChar(text.at(0).unicode()) : -1;
  if (c >= 0) {
    char ch = static_cast<char>(c);
    KeyPress(ch);
  }
  event->accept();
}

void TWinControl::keyReleaseEvent(QKeyEvent* event) {
  uint16_t key = VirtualKeyOf(event->key(), event->modifiers() & Qt::KeypadModifier);
  if (key != 0) KeyUp(key, ShiftOf(event->modifiers(), Qt::NoButton));
  event->accept();
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) { EnableSurface(); }

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) { EnableSurface(); }

}  // namespace nuv
