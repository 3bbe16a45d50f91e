#include "nuv/platform/StdCtrls.h"

#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <vector>

#include "QtBoundary.h"
#include "Raster.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace {

// One bevel ring per step of width around r, top-left in one colour and
// bottom-right in the other; r shrinks by width.
void Frame3D(TCanvas& c, TRect& r, TColor topColor, TColor bottomColor, int32_t width) {
  c.Pen()->SetWidth(1);
  c.Pen()->SetStyle(psSolid);
  c.Pen()->SetMode(pmCopy);
  --r.Right;
  --r.Bottom;
  for (; width > 0; --width) {
    c.Pen()->SetColor(topColor);
    c.Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
    c.Pen()->SetColor(bottomColor);
    c.Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}});
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  ++r.Right;
  ++r.Bottom;
}

void Bevel(TCanvas& c, TRect& r, TBevelCut cut, TColor face, int32_t width) {
  switch (cut) {
    case bvRaised:
      return Frame3D(c, r, clBtnHighlight, clBtnShadow, width);
    case bvLowered:
      return Frame3D(c, r, clBtnShadow, clBtnHighlight, width);
    case bvSpace:
      return Frame3D(c, r, face, face, width);
    default:
      return;
  }
}

}  // namespace

// ---------------------------------------------------------------------------

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 185, 41); }

void TPanel::SetCaption(std::string_view value) {
  caption_ = value;
  Invalidate();
}

void TPanel::SetAlignment(TAlignment value) {
  alignment_ = value;
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut value) {
  bevel_inner_ = value;
  Realign();
  Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut value) {
  bevel_outer_ = value;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int32_t value) {
  bevel_width_ = std::max(value, 1);
  Realign();
  Invalidate();
}

void TPanel::SetBorderWidth(int32_t value) {
  border_width_ = std::max(value, 0);
  Realign();
  Invalidate();
}

TRect TPanel::AlignRect() const {
  const int32_t inset = border_width_ + (bevel_outer_ != bvNone ? bevel_width_ : 0) +
                        (bevel_inner_ != bvNone ? bevel_width_ : 0);
  return {inset, inset, Width() - inset, Height() - inset};
}

void TPanel::Paint() {
  TCanvas& c = *Canvas();
  TRect r = ClientRect();
  Bevel(c, r, bevel_outer_, Color(), bevel_width_);
  Frame3D(c, r, Color(), Color(), border_width_);
  Bevel(c, r, bevel_inner_, Color(), bevel_width_);
  if (caption_.empty()) return;
  c.SetFont(Font());
  c.Brush()->SetStyle(bsClear);
  const TSize text = c.TextExtent(caption_);
  const int32_t x = alignment_ == taLeftJustify    ? r.Left
                    : alignment_ == taRightJustify ? r.Right - text.cx
                                                   : (r.Left + r.Right - text.cx) / 2;
  c.TextRect(r, x, (r.Top + r.Bottom - text.cy) / 2, caption_);
  c.Brush()->SetStyle(bsSolid);
}

// ---------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>()) {
  SetControlStyle(0);
  SetBounds(0, 0, 23, 22);
  // A glyph of square images side by side tells how many it holds.
  glyph_->OnChange = [this](TObject*) {
    const int32_t w = glyph_->Width(), h = glyph_->Height();
    if (h > 0 && w % h == 0) num_glyphs_ = w / h <= 4 ? w / h : 1;
    Invalidate();
  };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGlyph(const TBitmap* value) {
  if (value)
    glyph_->Assign(*value);
  else
    glyph_->SetSize(0, 0);
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int32_t value) {
  if (value < 1 || value > 4) return;
  num_glyphs_ = value;
  Invalidate();
}

void TSpeedButton::SetDown(bool value) {
  if (group_index_ == 0) value = false;
  if (value == down_ || (down_ && !allow_all_up_)) return;
  down_ = value;
  if (down_) ReleaseGroup();
  Invalidate();
}

template <class F>
static void ForGroup(QWidget* parent, const TSpeedButton* self, int32_t group, F&& f) {
  if (!parent || group == 0) return;
  for (QObject* child : parent->children())
    if (auto* b = dynamic_cast<TSpeedButton*>(child); b && b != self && b->GroupIndex() == group)
      f(*b);
}

void TSpeedButton::ReleaseGroup() {
  ForGroup(parentWidget(), this, group_index_, [](TSpeedButton& b) {
    if (b.down_) {
      b.down_ = false;
      b.Invalidate();
    }
  });
}

void TSpeedButton::SetGroupIndex(int32_t value) {
  group_index_ = value;
  if (value == 0) down_ = false;
  if (down_) ReleaseGroup();
  Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  allow_all_up_ = value;
  ForGroup(parentWidget(), this, group_index_,
           [value](TSpeedButton& b) { b.allow_all_up_ = value; });
}

void TSpeedButton::SetFlat(bool value) {
  flat_ = value;
  Invalidate();
}

void TSpeedButton::SetCaption(std::string_view value) {
  caption_ = value;
  Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  tracking_ = true;
  pressed_ = true;
  Invalidate();
}

void TSpeedButton::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!tracking_) return;
  const bool inside = PtInRect(ClientRect(), {X, Y});
  if (inside == pressed_) return;
  pressed_ = inside;
  Invalidate();
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft || !tracking_) return;
  tracking_ = false;
  pressed_ = false;
  const bool inside = PtInRect(ClientRect(), {X, Y});
  if (inside && group_index_ != 0) SetDown(!down_);
  Invalidate();
  if (inside) Click();
}

void TSpeedButton::DrawGlyph(int32_t x, int32_t y, bool enabled, bool pressed) {
  const int32_t w = glyph_->Width() / num_glyphs_, h = glyph_->Height();
  int32_t index = 0;
  if (!enabled && num_glyphs_ >= 2)
    index = 1;
  else if (pressed && num_glyphs_ >= 3)
    index = 2;
  else if (down_ && num_glyphs_ >= 4)
    index = 3;
  const TColor transparent = glyph_->Canvas()->Pixels(0, h - 1);
  TBitmap part;
  part.SetSize(w, h);
  part.Canvas()->CopyRect(Rect(0, 0, w, h), *glyph_->Canvas(),
                          Rect(index * w, 0, index * w + w, h));
  if (!enabled && num_glyphs_ < 2) {
    // No disabled image: the glyph's shape in the shadow colour.
    const uint32_t clear = raster::PixelOf(transparent), shadow = raster::PixelOf(clBtnShadow);
    for (int32_t row = 0; row < h; ++row) {
      uint32_t* p = part.ScanLine(row);
      for (int32_t col = 0; col < w; ++col)
        if ((p[col] | 0xFF000000u) != clear) p[col] = shadow;
    }
  }
  part.SetTransparentColor(transparent);
  part.SetTransparent(true);
  Canvas()->Draw(x, y, part);
}

void TSpeedButton::Paint() {
  TCanvas& c = *Canvas();
  const bool pushed = pressed_ || down_;
  TRect r = ClientRect();
  if (!flat_ || pushed) {
    if (pushed) {
      Frame3D(c, r, cl3DDkShadow, clBtnHighlight, 1);
      Frame3D(c, r, clBtnShadow, cl3DLight, 1);
    } else {
      Frame3D(c, r, clBtnHighlight, cl3DDkShadow, 1);
      Frame3D(c, r, cl3DLight, clBtnShadow, 1);
    }
  }
  if (down_ && !pressed_) {
    c.Brush()->SetColor(cl3DLight);
    c.FillRect(r);
  }
  c.SetFont(Font());
  const bool hasGlyph = !glyph_->Empty();
  const int32_t gw = hasGlyph ? glyph_->Width() / num_glyphs_ : 0, gh = glyph_->Height();
  const TSize text = caption_.empty() ? TSize{} : c.TextExtent(caption_);
  const int32_t spacing = hasGlyph && !caption_.empty() ? 4 : 0;
  const int32_t offset = pushed ? 1 : 0;
  const int32_t x = (Width() - (gw + spacing + text.cx)) / 2 + offset;
  if (hasGlyph) DrawGlyph(x, (Height() - gh) / 2 + offset, Enabled(), pressed_);
  if (!caption_.empty()) {
    c.Brush()->SetStyle(bsClear);
    c.Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
    c.TextOut(x + gw + spacing, (Height() - text.cy) / 2 + offset, caption_);
    c.Brush()->SetStyle(bsSolid);
  }
}

// ---------------------------------------------------------------------------

int32_t TComboBoxItems::Count() const { return owner_.combo_->count(); }

std::string TComboBoxItems::Strings(int32_t index) const {
  if (index < 0 || index >= Count()) return {};
  return FromQString(owner_.combo_->itemText(index));
}

int32_t TComboBoxItems::Add(std::string_view s) {
  int32_t index = Count();
  if (owner_.sorted_) {
    index = 0;
    while (index < Count() && AnsiCompareText(Strings(index), s) <= 0) ++index;
  }
  Insert(index, s);
  return index;
}

void TComboBoxItems::Insert(int32_t index, std::string_view s) {
  index = std::clamp(index, 0, Count());
  owner_.KeepSelection([&] { owner_.combo_->insertItem(index, ToQString(s)); });
}

void TComboBoxItems::Delete(int32_t index) {
  if (index < 0 || index >= Count()) return;
  const bool selected = index == owner_.combo_->currentIndex();
  owner_.KeepSelection([&] { owner_.combo_->removeItem(index); });
  if (selected) owner_.combo_->setCurrentIndex(-1);
}

void TComboBoxItems::Clear() { owner_.combo_->clear(); }

int32_t TComboBoxItems::IndexOf(std::string_view s) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (AnsiSameText(Strings(i), s)) return i;
  return -1;
}

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), combo_(new QComboBox(this)) {
  combo_->setEditable(true);
  combo_->setInsertPolicy(QComboBox::NoInsert);
  combo_->setMaxVisibleItems(8);
  setFocusProxy(combo_);
  // activated comes from the user only; currentIndexChanged would also
  // report changes made by code.
  activated_ = QObject::connect(combo_, &QComboBox::activated, combo_, [this](int) { Change(); });
  ConnectEditor();
  SetBounds(0, 0, 145, 24);
}

TComboBox::~TComboBox() {
  QObject::disconnect(activated_);
  QObject::disconnect(edited_);
}

void TComboBox::ConnectEditor() {
  QObject::disconnect(edited_);
  if (QLineEdit* edit = combo_->lineEdit())
    edited_ = QObject::connect(edit, &QLineEdit::textEdited, combo_,
                               [this](const QString&) { Change(); });
}

template <class F>
void TComboBox::KeepSelection(F&& change) {
  const int before = combo_->currentIndex();
  const QString text = combo_->currentText();
  change();
  if (before < 0 && combo_->currentIndex() >= 0) {
    combo_->setCurrentIndex(-1);
    if (combo_->isEditable()) combo_->setEditText(text);
  }
}

int32_t TComboBox::ItemIndex() const { return combo_->currentIndex(); }

void TComboBox::SetItemIndex(int32_t value) {
  combo_->setCurrentIndex(value >= 0 && value < combo_->count() ? value : -1);
}

std::string TComboBox::Text() const { return FromQString(combo_->currentText()); }

void TComboBox::SetText(std::string_view value) {
  if (combo_->isEditable()) return combo_->setEditText(ToQString(value));
  const int32_t index = items_.IndexOf(value);
  if (index >= 0) combo_->setCurrentIndex(index);
}

void TComboBox::SetStyle(TComboBoxStyle value) {
  style_ = value;
  combo_->setEditable(value != csDropDownList);
  if (combo_->isEditable()) combo_->setInsertPolicy(QComboBox::NoInsert);
  ConnectEditor();
}

int32_t TComboBox::DropDownCount() const { return combo_->maxVisibleItems(); }

void TComboBox::SetDropDownCount(int32_t value) { combo_->setMaxVisibleItems(std::max(value, 1)); }

void TComboBox::SetSorted(bool value) {
  sorted_ = value;
  if (!value) return;
  std::vector<std::string> items;
  for (int32_t i = 0; i < items_.Count(); ++i) items.push_back(items_.Strings(i));
  const std::string current = ItemIndex() >= 0 ? Text() : std::string();
  const bool selected = ItemIndex() >= 0;
  std::stable_sort(items.begin(), items.end(), [](const std::string& a, const std::string& b) {
    return AnsiCompareText(a, b) < 0;
  });
  KeepSelection([&] {
    combo_->clear();
    for (const std::string& s : items) combo_->addItem(ToQString(s));
  });
  SetItemIndex(selected ? items_.IndexOf(current) : -1);
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TComboBox::Resize() {
  combo_->setGeometry(0, 0, Width(), Height());
  TWinControl::Resize();
}

}  // namespace nuv
