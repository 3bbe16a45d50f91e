// Standard controls that composite components are built from: a bevelled
// panel to hold other controls, a speed button with a glyph that can work
// in a group, and a combo box whose OnChange fires for the user's choices
// only.
#pragma once

#include <QMetaObject>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "nuv/platform/Bitmap.h"
#include "nuv/platform/Controls.h"

class QComboBox;

namespace nuv {

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

// A control that holds other controls, drawn with an outer and an inner
// bevel and an optional caption. Aligned children share the area inside
// the border and the bevels. 185 x 41 pixels, raised, button face colour.
class TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* AOwner);

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TBevelCut BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut value);
  // Pixels per bevel, at least 1.
  int32_t BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int32_t value);
  // Pixels between the bevels, at least 0.
  int32_t BorderWidth() const { return border_width_; }
  void SetBorderWidth(int32_t value);

 protected:
  void Paint() override;
  TRect AlignRect() const override;

 private:
  std::string caption_;
  TAlignment alignment_ = taCenter;
  TBevelCut bevel_inner_ = bvNone;
  TBevelCut bevel_outer_ = bvRaised;
  int32_t bevel_width_ = 1;
  int32_t border_width_ = 0;
};

// A flat-faced button with a glyph and an optional caption. With a
// GroupIndex other than 0 it stays down when clicked and releases the other
// buttons of its group (same parent and GroupIndex); a down button goes up
// again only when AllowAllUp is set. OnClick fires when the left button is
// released over it. 23 x 22 pixels.
class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  // The glyph holds NumGlyphs images side by side: up, disabled, pressed,
  // down. Its bottom-left pixel's colour is transparent. A glyph whose width
  // is 1 to 4 times its height sets NumGlyphs to that number when it
  // changes; the button repaints.
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const TBitmap* value);
  int32_t NumGlyphs() const { return num_glyphs_; }
  // 1..4; other values are ignored.
  void SetNumGlyphs(int32_t value);
  bool Down() const { return down_; }
  void SetDown(bool value);
  int32_t GroupIndex() const { return group_index_; }
  void SetGroupIndex(int32_t value);
  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool value);
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view value);

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;

 private:
  void ReleaseGroup();
  void DrawGlyph(int32_t x, int32_t y, bool enabled, bool pressed);

  std::unique_ptr<TBitmap> glyph_;
  std::string caption_;
  int32_t num_glyphs_ = 1;
  int32_t group_index_ = 0;
  bool down_ = false;
  bool allow_all_up_ = false;
  bool flat_ = false;
  bool pressed_ = false;   // the mouse holds it down now
  bool tracking_ = false;  // a left press started on it
};

enum TComboBoxStyle : uint8_t { csDropDown, csSimple, csDropDownList };

class TComboBox;

// The items of a combo box.
class TComboBoxItems {
 public:
  int32_t Count() const;
  // "" outside 0..Count-1.
  std::string Strings(int32_t index) const;
  // Appends (or inserts at the sorted place) and returns the index.
  int32_t Add(std::string_view s);
  // index is clamped to 0..Count.
  void Insert(int32_t index, std::string_view s);
  // Out-of-range indices are ignored.
  void Delete(int32_t index);
  void Clear();
  // Case-insensitive; -1 when absent.
  int32_t IndexOf(std::string_view s) const;

 private:
  friend class TComboBox;
  explicit TComboBoxItems(TComboBox& owner) : owner_(owner) {}
  TComboBox& owner_;
};

// A drop-down list (csDropDownList) or a text field with a list. Changing
// the items or ItemIndex from code never fires OnChange; choosing an item
// or editing the text does. 145 x 24 pixels.
class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;

  TComboBoxItems& Items() { return items_; }
  const TComboBoxItems& Items() const { return items_; }
  // -1 when nothing is selected; setting an index outside the items clears
  // the selection.
  int32_t ItemIndex() const;
  void SetItemIndex(int32_t value);
  // The edited text, or the selected item's text.
  std::string Text() const;
  // Edits the text; in a drop-down list selects the item with that text, if
  // any.
  void SetText(std::string_view value);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle value);
  int32_t DropDownCount() const;
  void SetDropDownCount(int32_t value);
  // Keeps the items sorted case-insensitively.
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);

  // The Qt combo box inside, for what this class does not offer.
  QComboBox* ComboWidget() const { return combo_; }

  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  void Resize() override;

 private:
  friend class TComboBoxItems;
  void ConnectEditor();
  // Runs a change of the items that keeps "nothing selected" and the edited
  // text, which Qt would replace.
  template <class F>
  void KeepSelection(F&& change);

  QComboBox* combo_;
  QMetaObject::Connection activated_;
  QMetaObject::Connection edited_;
  TComboBoxItems items_{*this};
  TComboBoxStyle style_ = csDropDown;
  bool sorted_ = false;
};

}  // namespace nuv
