// Chart overlay items (part of Nuv_nuvbase; include "nuv/Nuv_nuvbase.h"):
// frames around rectangles, the data-point marks, and the settings objects
// that chart-like controls keep for a crosshair, date/time axis labels and
// a free text label. None of them owns a window: the drawing routines paint
// on the canvas the caller passes, and the settings objects only describe
// what their owner paints.
//
// Drawing follows the canvas's raster rules: a line leaves out its end
// pixel, rectangles and ellipses exclude their right and bottom edges.
// Coordinates far outside the canvas are clipped by it; offsets that would
// leave the int32 range saturate.
//
// Mark codes (one byte):
//   0        single pixel
//   1-3      plus sign, arms of 1, 2, 3 pixels (2, 3, 4 on a printer)
//   4-6      diagonal cross, arms of 1, 2, 3 (2, 3, 4 on a printer)
//   7-9      filled square of side 3, 5, 7
//   10-12    open square of side 3, 5, 7
//   13       open diamond with centre dot       19  open diamond
//   14, 15   filled diamond of side 5, 7
//   16, 17   open circle of 5, 7                24  filled circle of 7
//   18       checkerboard 7 x 7                 25  thick diagonal cross
//   20, 21   two strokes down from the point    22, 23  two strokes up ("V")
//   26       filled circle of 5                 27, 28  open / filled of 4
//   29-32    filled / open triangle, apex down, top edge through the point
//   33-36    open / filled triangle pointing down / up
//   37       inverted T                         38  I-beam
//   39       open circle with plus              48, 49  open square with plus
//   40-43    open / filled triangles pointing left (small, large)
//   44-47    open / filled triangles pointing right (small, large)
//   50       star                               51  target
//   52-255   the character of that code in the canvas's font (Windows-1252),
//            except 200-209, which are the digits "0" to "9"
// Shapes have fixed pixel sizes whatever the canvas; on a printer's canvas
// the line-drawn marks take the pen's width.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Graphics.h"

namespace nuv {

class TBitmap;
class TStream;
class TextFile;
class TXMLBlockWriter;

// ---------------------------------------------------------------------------
// Frames and marks

// Frame around the rectangle with corners (Left, Top) and (Right, Bottom).
// FrameStyle is a TFrameStyle value taken modulo 128 (negative values
// included, as their low seven bits); values whose remainder is above
// fsEngraved draw nothing. Color1..Color5 are highlight, light face,
// shadow, dark shadow and the colour of the simple frame. The 3-D styles
// draw a two-pixel bevel; the pen keeps the last colour used.
void DrawFrame(TCanvas& Canvas, int32_t FrameStyle, int32_t Left, int32_t Top, int32_t Right,
               int32_t Bottom, TColor Color1, TColor Color2, TColor Color3, TColor Color4,
               TColor Color5);

// Outline in the current pen through (X1, Y1), (X1, Y2), (X2, Y2), (X2, Y1)
// and back, drawn with lines; the brush is not used.
void DrawRectangle(TCanvas& Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);

// Draws mark Mark centred on pixel (X, Y) in the pen's colour. Shapes keep
// the brush colour; open shapes leave the brush style solid. Character
// marks use the canvas's font and font colour and leave the brush alone.
void DrawMarkOnCanvas(TCanvas& Canvas, uint8_t Mark, int32_t X, int32_t Y);

// A new square bitmap of side 2 * Size + 7 (Size clamped to 0..255) filled
// with BkgColor, with the mark drawn in Color at its centre (Size + 3,
// Size + 3). Size only adds margin; parts of a mark beyond the bitmap are
// cut off.
std::unique_ptr<TBitmap> CreateMarkAsBitmap(uint8_t Mark, TColor Color, TColor BkgColor,
                                            int32_t Size);

// ---------------------------------------------------------------------------
// Settings objects

// Crosshair of a chart. Every setter stores its value and fires OnChange,
// also when the value is unchanged.
class TCrossHair : public TPersistent {
 public:
  // Data coordinates.
  double PosX() const { return posX_; }
  void SetCrossHPosX(double value);
  double PosY() const { return posY_; }
  void SetCrossHPosY(double value);
  TColor Color() const { return color_; }
  void SetCrossHColor(TColor value);
  // 1 or 2: values up to 0 are stored as 1, values above 2 as 2.
  int32_t Layer() const { return layer_; }
  void SetCrossHLayer(int32_t value);
  TCrossHMode Mode() const { return mode_; }
  void SetCrossHMode(TCrossHMode value);
  TPenStyle LineType() const { return lineType_; }
  void SetCrossHLineType(TPenStyle value);
  int32_t LineWid() const { return lineWid_; }
  void SetCrossHLineWid(int32_t value);

  // Copies every property of another crosshair and fires OnChange once.
  void Assign(const TPersistent& Source) override;

  TNotifyEvent OnChange;
  void Changed();

 private:
  double posX_ = 0;
  double posY_ = 0;
  TColor color_ = clBlack;
  int32_t layer_ = 1;
  TCrossHMode mode_ = chOff;
  TPenStyle lineType_ = psSolid;
  int32_t lineWid_ = 1;
};

// How the labels of a date/time axis are written. SetDAteOrder and
// SetTimeFormat fire OnChange always; the other setters only when the
// value changes.
class TDTLabel : public TPersistent {
 public:
  TTimeFormat TimeFormat() const { return timeFormat_; }
  void SetTimeFormat(TTimeFormat value);
  char DateSeparator() const { return dateSeparator_; }
  void SetDateSeparator(char value);
  char TimeSeparator() const { return timeSeparator_; }
  void SetTimeSeparator(char value);
  TYearLength YearLength() const { return yearLength_; }
  void SetYearLength(TYearLength value);
  // The month shown by name instead of number.
  bool MonthName() const { return monthName_; }
  void SetMonthName(bool value);
  TDateOrder DateOrder() const { return dateOrder_; }
  void SetDAteOrder(TDateOrder value);
  TDateForTime DateForTime() const { return dateForTime_; }
  void SetDateForTime(TDateForTime value);

  // Copies every property of another label and fires OnChange once.
  void Assign(const TPersistent& Source) override;

  TNotifyEvent OnChange;
  void Changed();

 private:
  TTimeFormat timeFormat_ = tfHHMMSS;
  char dateSeparator_ = '/';
  char timeSeparator_ = ':';
  TYearLength yearLength_ = ylYYYY;
  bool monthName_ = false;
  TDateOrder dateOrder_ = doMMDDYY;
  TDateForTime dateForTime_ = dtNone;
};

// A free text label over a chart, persisted as the XML block
// "custtextlbl". Every setter stores its value and fires OnChange, also
// when it is unchanged; SetTxtLblLayer ignores values outside 1..16.
class TCustomTextLabel : public TPersistent {
 public:
  TCustomTextLabel();
  ~TCustomTextLabel() override;

  // Position; world coordinates or pixels as AttachMode says.
  double PosX() const { return posX_; }
  void SetTxtLblPosX(double value);
  double PosY() const { return posY_; }
  void SetTxtLblPosY(double value);
  int32_t Layer() const { return layer_; }
  void SetTxtLblLayer(int32_t value);
  // Shadow offset in pixels.
  int32_t ShadowDx() const { return shadowDx_; }
  void SetTxtLblShadowDx(int32_t value);
  int32_t ShadowDy() const { return shadowDy_; }
  void SetTxtLblShadowDy(int32_t value);
  TColor ColorShadow() const { return colorShadow_; }
  void SetTxtLblColorShadow(TColor value);
  TAlignment Alignment() const { return alignment_; }
  void SetTxtLblAlignment(TAlignment value);
  TVerticalAlignment VertAlignment() const { return vertAlignment_; }
  void SetTxtLblVertAlignment(TVerticalAlignment value);
  // Which coordinates are tied to the data rather than to the screen.
  TTxtLblAttachMode AttachMode() const { return attachMode_; }
  void SetTxtLblScreenPos(TTxtLblAttachMode value);
  TColor ColorBkg() const { return colorBkg_; }
  void SetTxtLblColorBkg(TColor value);
  TColor ColorBrd() const { return colorBrd_; }
  void SetTxtLblColorBrd(TColor value);
  bool Transparent() const { return transparent_; }
  void SetTxtLblTranspar(bool value);
  // The label's own font; SetTxtLblFont copies the attributes of another.
  const TFont& Font() const { return *font_; }
  void SetTxtLblFont(const TFont& value);
  // Line feeds separate lines; every other character below the blank is
  // stored as a blank.
  const std::string& Caption() const { return caption_; }
  void SetTxtLblCaption(std::string_view value);
  TTxtLblMode Mode() const { return mode_; }
  void SetTxtLblMode(TTxtLblMode value);
  bool Visible() const { return visible_; }
  void SetTxtLblVisible(bool value);

  // Copies every property (the font as a copy) and fires OnChange once.
  void Assign(const TPersistent& Source) override;

  // Appends the block at the file's or stream's position: the header line
  // when CreateHeader is set, the empty line, the comment, the root with
  // ID as given, the elements, each line indented by Indent blanks
  // (clamped to 1..255). I/O errors propagate.
  void WriteToOpenXMLFile(TextFile& F, bool CreateHeader, std::string_view ID,
                          int32_t Indent) const;
  void WriteToOpenXMLFile(TStream& Stream, bool CreateHeader, std::string_view ID,
                          int32_t Indent) const;
  // Reads forward to the block with this ID (any case; empty takes the
  // next block) and takes every element in it, unknown elements skipped,
  // missing ones leaving their properties as they are; values go through
  // the setters' rules. OnChange fires once when a block was found. True
  // when the block was read to its end tag; false when there is none (the
  // label unchanged) or it ends early (what was read is kept).
  bool ReadFromOpenXMLFile(TextFile& F, std::string_view ID);
  bool ReadFromOpenXMLFile(TStream& Stream, std::string_view ID);
  // The file holding just this block, with the header and no indentation.
  // A failed save leaves an existing file as it was.
  void SaveAsXMLFile(std::string_view FileName, std::string_view ID) const;
  // False when the file cannot be opened or holds no complete block.
  bool LoadFromXMLFile(std::string_view FileName, std::string_view ID);

  TNotifyEvent OnChange;
  void Changed();

 private:
  void WriteBlock(TXMLBlockWriter& Writer, bool CreateHeader, std::string_view ID) const;
  template <class In>
  bool ReadBlock(In& Input, std::string_view ID);

  double posX_ = 100.0;
  double posY_ = 10.0;
  int32_t layer_ = 1;
  int32_t shadowDx_ = 0;
  int32_t shadowDy_ = 0;
  TColor colorShadow_ = clGray;
  TAlignment alignment_ = taCenter;
  TVerticalAlignment vertAlignment_ = vaBottom;
  TTxtLblAttachMode attachMode_ = tlamNone;
  TColor colorBkg_ = clSilver;
  TColor colorBrd_ = clBlack;
  bool transparent_ = false;
  std::unique_ptr<TFont> font_;
  std::string caption_;
  TTxtLblMode mode_ = tlsimple;
  bool visible_ = true;
  // Above 0 while a block is read: the setters' events are held back.
  int32_t eventsHeld_ = 0;
};

}  // namespace nuv
