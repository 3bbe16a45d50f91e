// The structure drawing control: TChemGraph shows the molecule of its own
// connection table as a two-dimensional drawing (bonds by type, atom labels
// with hydrogens and charges, per-atom colour and font style, a frame),
// fitted into the control, and reports the atom under the mouse. It also
// draws the molecule into any canvas or box, finds the ring or chain
// nearest to a point and improves a layout by a random search.
//
// Structure coordinates map to pixels as X = round(x * scale + x offset),
// Y = round(y * scale + y offset), rounding halves to even. The y axis grows
// downwards as on the screen, so a molfile (whose y grows upwards) appears
// mirrored top to bottom against drawings of programs that flip it; no
// stereo wedges are drawn, so nothing depends on the handedness.
//
// The last word of every atom record (CTElem::Reserved) is its display
// word: bits 0-25 the atom colour, 28 bold, 29 inverse (the label in the
// background colour on a box of the atom colour), 30 italic, 31 use the
// structure colour instead of bits 0-25.
//
// Nothing here raises: atom numbers out of range are ignored, an empty
// structure shows "no structure loaded", and zero extents, zero bond
// lengths and tiny controls fall back to fixed values.
#pragma once

#include <QMenu>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "nuv/Nuv_cstruct.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Controls.h"
#include "nuv/platform/Graphics.h"

namespace nuv {

enum TCGDispMode : uint8_t { dmSkeleton, dmHeteroOnly, dmAllAtoms, dmNumbers };

// ClosestAtom is 0 (Dist the largest double) for an empty structure; the mouse
// position is in structure coordinates.
using TMoveOverStructEvent =
    std::function<void(TObject* Sender, int32_t ClosestAtom, double Dist, TShiftState Shift,
                       double rMousePosX, double rMousePosY)>;

// Bits of the display word.
inline constexpr uint32_t cgColorMask = 0x03FFFFFFu;
inline constexpr uint32_t cgBold = 0x10000000u;
inline constexpr uint32_t cgInverse = 0x20000000u;
inline constexpr uint32_t cgItalic = 0x40000000u;
inline constexpr uint32_t cgStructColor = 0x80000000u;

class TChemGraph : public TGraphicControl {
 public:
  // Sides of the clip rectangle. The type lives in the class because the
  // foundation's TDirection (the four compass moves) has the same name.
  enum TDirection : uint8_t { diLeft, diTop, diRight, diBottom };

  // 300 x 200 pixels, "Courier New" 14 points, raised frame, skeleton mode.
  explicit TChemGraph(TComponent* AOwner);
  ~TChemGraph() override;

  // The molecule; every change of it repaints the control.
  TCTab* Structure() const { return structure_.get(); }

  TColor ColorBkg() const { return color_bkg_; }
  void SetColorBakG(TColor Value);
  TColor ColorStructure() const { return color_struct_; }
  void SetMolColor(TColor Value);
  // csBWG: grey shadow and white highlight; csSystem: the system's button
  // shadow and highlight colours.
  TColorScheme ColorScheme() const { return color_scheme_; }
  void SetColorScheme(TColorScheme Value);
  TCGDispMode DisplayMode() const { return display_mode_; }
  void SetDisplayMode(TCGDispMode Value);
  TFrameStyle FrameStyle() const { return frame_style_; }
  void SetFrameStyle(TFrameStyle Value);
  // Upper limit of the drawn mean bond length in pixels; 0 or less: none.
  int32_t MaxBondLeng() const { return max_bond_leng_; }
  void SetMaxbondleng(int32_t Value);
  bool SuppressPaint() const { return suppress_paint_; }
  // Switching it off repaints.
  void SetSuppressPaint(bool Value);
  // Draws the raw coordinates (scale 1, offsets 0) instead of fitting.
  bool DrawAsIs() const { return draw_as_is_; }
  void SetDrawAsIs(bool Value);

  // The menu shown at the pointer on a context-menu request (right click
  // or the menu key); the caller keeps it. Null (the default): none.
  QMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(QMenu* Value) { popup_menu_ = Value; }

  TColor ShadowColor() const { return color_shadow_; }
  TColor HighlightColor() const { return color_highlight_; }

  // The colour bits of Atom's display word (0 outside 1..NAtoms). Setting
  // stores the colour (a system colour as the RGB it stands for), keeps
  // the style bits, clears bit 31 so that the colour is used, and repaints.
  TColor GetAtColor(int32_t Atom) const;
  void SetAtColor(int32_t Atom, TColor Value);
  // Bits 28-30 as 0..7: 1 bold, 2 inverse, 4 italic. Values outside 0..7
  // and atoms outside 1..NAtoms are ignored (the getter gives 0).
  int32_t GetVisAttrib(int32_t Atom) const;
  void SetVisAttrib(int32_t Atom, int32_t Value);

  // The clip rectangle of clipped drawing: 0, 0, 800, 600 at first.
  int32_t GetClipBoundary(TDirection Direction) const;
  void SetClipBoundary(TDirection Direction, int32_t Value);

  // The transformation (structure to pixels) of the last drawing, which
  // mouse tracking inverts.
  double Scale() const { return scale_; }
  double OffsetX() const { return offset_x_; }
  double OffsetY() const { return offset_y_; }

  // The control's picture (background, frame, the fitted structure or "no
  // structure loaded") drawn on Canvas at (0, 0) in the control's size, as
  // Paint shows it; for images and printing without a window.
  void PaintOn(TCanvas& Canvas);
  // Draws the molecule on Canvas with the given transformation and stores
  // it as the current one. Pen colour, brush style, brush colour, font
  // colour and pen mode of Canvas are restored afterwards.
  void DrawMolRaw(TCGDispMode Mode, double Scale, double OffsetX, double OffsetY, bool Clip,
                  TCanvas& Canvas);
  // Fits the molecule into the box (at most MaxBondLeng pixels of mean bond
  // length when that is positive), centres it, sets the canvas font to
  // "Courier New" of the fitted size and draws it.
  void ShowMoleculeInABox(TCanvas& Canvas, TCGDispMode Mode, int32_t Left, int32_t Top,
                          int32_t Right, int32_t Bottom, int32_t MaxBondLeng);
  // The bonds of Atom (OncePerBond: only those towards higher-numbered
  // atoms), stopped at the label boxes that LabelMode gives both ends.
  void DrawConnections(int32_t Atom, bool OncePerBond, TCGDispMode LabelMode, double Scale,
                       double OffsetX, double OffsetY, bool Clip, TCanvas& Canvas);
  // The label of Atom centred on its position, in its colour and style
  // (dmNumbers: its number). dmHeteroOnly leaves out carbon atoms that
  // have bonds and no charge.
  void DispElemSymb(int32_t Atom, TCGDispMode Mode, double Scale, double OffsetX, double OffsetY,
                    bool Clip, TCanvas& Canvas);
  // The label text of Atom (symbol, hydrogens, charge) and its length; 0
  // and "" outside 1..NAtoms.
  int32_t ConstructElemSymb(int32_t Atom, std::string& Text) const;

  // The ring nearest to (X, Y), in structure coordinates, among the
  // shortest rings through the five atoms nearest to it; Ring[0] = 0 when
  // the nearest atom lies on no ring.
  void FindRingNextToCursor(float X, float Y, RingType& Ring) const;
  // The chain through the atom with at most two bonds nearest to (X, Y),
  // end to end, the end with the smaller x first; a ring of atoms with two
  // bonds each is listed once round. List[0] and the result: the count.
  int32_t FindChainNexttoCursor(float X, float Y, AtListType& List) const;

  // The layout score for bond length L (higher is better): over all atom
  // pairs, -(d - L)^2 / 2 for a bonded pair together with -(d' - 1.732 L)^2
  // / 2 for each of its angles, and +d for a pair that is not bonded.
  long double MolShapeScore(int32_t BondLength) const;
  // Random search of 100 * NAtoms steps that moves one atom (two on even
  // steps) and keeps a layout when its score is at least the best so far;
  // the step factor (110 - i) / 100 turns negative after step 110, where
  // moves grow again. Draws from the runtime's generator (seed it with
  // RandSeed for a reproducible layout) or from Seed, which it advances.
  // FullRescore scores every pair after each step instead of only the
  // moved atoms' terms: slower, with the same decisions. Does nothing for
  // BondLength outside 1..10^9.
  void OptimizeMolShape(int32_t BondLength);
  void OptimizeMolShape(int32_t BondLength, uint32_t& Seed, bool FullRescore = false);

  // Raises OnMoveOverStruct for the pixel (X, Y); nothing while the stored
  // scale is 0 or not finite (no structure position belongs to a pixel).
  void MoveOverStruct(TShiftState Shift, int32_t X, int32_t Y);

  TMoveOverStructEvent OnMoveOverStruct;

 protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void FontChanged() override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void Redraw();
  void DrawFrame(TCanvas& c) const;
  int32_t BoxLabelLength(int32_t Atom, TCGDispMode Mode) const;
  bool LabelShown(int32_t Atom, TCGDispMode Mode) const;
  uint32_t DisplayWord(int32_t Atom) const;
  void SetDisplayWord(int32_t Atom, uint32_t Word);

  std::unique_ptr<TCTab> structure_;
  QPointer<QMenu> popup_menu_;
  std::array<int32_t, 4> clip_{0, 0, 800, 600};
  double scale_ = 1.0;
  double offset_x_ = 0;
  double offset_y_ = 0;
  TColor color_bkg_ = clBtnFace;
  TColor color_struct_ = 0x000080;
  TColor color_shadow_ = 0x808080;
  TColor color_highlight_ = 0xFFFFFF;
  TColorScheme color_scheme_ = csBWG;
  TCGDispMode display_mode_ = dmSkeleton;
  TFrameStyle frame_style_ = fsRaised;
  int32_t max_bond_leng_ = 30;
  bool suppress_paint_ = false;
  bool draw_as_is_ = false;
};

}  // namespace nuv
