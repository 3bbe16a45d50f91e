// Landmarks: geographic point markers that the map view TGeoMap keeps in a
// list and draws over the map, each with a symbol, a class for filtering
// and visibility, an identifier, a date and an optional caption; the
// symbol drawing on any canvas; and TSymbolRepository, a numbered list of
// symbol definitions stored as an XML block. Part of the unit Nuv_geomap
// (include "nuv/Nuv_geomap.h").
//
// Symbol geometry: directions are degrees, 0 pointing up and growing
// clockwise. A triangle's first corner points in its direction, the others
// follow at 120° and 240°. An arrow head is a triangle whose tip lies on
// the arrow's end and whose two barbs lie Size pixels back from it at 30°
// on either side of the shaft. Extents run from -Size to +Size, both
// included; a filled square is an outline at ±Size in ColorBg around a
// framed square at ±(Size - 1). Sizes and lengths are limited to
// ±MaxSymbolExtent pixels and coordinates saturate, so that no value can
// overflow the pixel arithmetic.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/platform/Classes.h"
#include "nuv/platform/DateTime.h"
#include "nuv/platform/Graphics.h"
#include "nuv/platform/TextFile.h"
#include "nuv/platform/Types.h"

namespace nuv {

enum TLandMarkElement : uint8_t {
  lmCross,
  lmSquare,
  lmTriangle,
  lmCircle,
  lmArrowFrom,
  lmArrowTo,
  lmCrossBox,
  lmSpade,
  lmUserDef  // drawn by the application in OnDrawLandmark
};

inline constexpr std::array<std::string_view, 9> LMTypeNames{
    "Cross",   "Square",   "Triangle", "Circle",      "ArrowFrom",
    "ArrowTo", "CrossBox", "Spade",    "User-Defined"};

enum TLandMarkAction : uint8_t { lmaAdd, lmaRemove };

using TLMIdentifier = ShortString<15>;
using TLMText = ShortString<80>;

// Symbol sizes and lengths beyond this many pixels draw as this many.
inline constexpr int32_t MaxSymbolExtent = 10000;
// Caption font sizes (points) are drawn within 1..MaxCaptionFontSize.
inline constexpr int32_t MaxCaptionFontSize = 500;
// Landmark storage grows and shrinks in blocks of this many slots.
inline constexpr int32_t LandMarkBlockSize = 1000;

// The caption of a landmark. Alignments: horizontal 0 puts the text's
// top-left corner at the offset point, 1 its right end, 2 its middle;
// vertical 0, 1, 2 put the top, middle or bottom there (only with a
// horizontal alignment of 1 or 2). Other values act as 0.
struct TLMTextProperties {
  TLMText Text;
  int32_t FontSize = 0;  // points
  std::string FontName;
  TFontStyles FontStyle = 0;
  TColor FgColor = clBlack;
  TColor BgColor = clBlack;
  bool Transparent = false;
  int32_t Dx = 0;  // pixels from the landmark's point
  int32_t Dy = 0;
  int32_t Dir = 0;  // degrees, counter-clockwise
  uint8_t HorAlign = 0;
  uint8_t VertAlign = 0;
  friend bool operator==(const TLMTextProperties&, const TLMTextProperties&) = default;
};

struct TLandMark {
  double Latitude = 0;   // degrees
  double Longitude = 0;  // degrees
  double Altitude = 0;
  uint8_t Class = 0;
  int32_t UserTag = 0;
  TLandMarkElement Element = lmCross;
  int32_t Size = 0;  // pixels, half the symbol's extent
  TColor ColorFg = clBlack;
  TColor ColorBg = clBlack;
  bool Transparent = false;
  int32_t Dir = 0;   // degrees, 0 up, clockwise
  int32_t Leng = 0;  // pixels, of arrows
  TLMTextProperties Caption;
  TLMIdentifier Ident;
  TDateTime Date = 0;
  friend bool operator==(const TLandMark&, const TLandMark&) = default;
};

// The template of a new map: class 0, a cross of size 7 in $FF0000 on
// $FFFFFF, length 10, a transparent caption "MS Sans Serif" 8 in $000000
// on $FFFFFF at offset (0, 8), alignments 2 and 0.
TLandMark DefaultLandMarkTemplate();

// Before a landmark is added or removed; clearing Allowed refuses it.
using TLandMarkActionEvent = std::function<void(
    TObject* Sender, bool& Allowed, TLandMarkAction Action, const TLandMark& LandMarkData)>;
// For every landmark the view draws, at its control point APoint; setting
// Handled suppresses the built-in drawing.
using TDrawLandMarkEvent = std::function<void(
    TObject* Sender, bool& Handled, const TLandMark& LandMarkData, TPoint APoint, TCanvas& Canvas)>;

// Draws the symbol centred on (X, Y) with pen ColorFg; unless Transparent,
// areas are filled with ColorBg (the cross gets a halo in ColorBg).
// lmUserDef draws nothing; values outside the enumeration a small plus.
// Sets the canvas's pen colour and brush.
void DrawLandMarkSymbolOnCanvas(TCanvas& Canvas, int32_t X, int32_t Y, TLandMarkElement Element,
                                TColor ColorFg, TColor ColorBg, int32_t Size, int32_t Dir,
                                int32_t Leng, bool Transparent);

// Where the caption's text origin (its top-left corner before rotation)
// goes for a landmark at control point (X, Y), for a text of Width × Height
// pixels; rounded half to even, saturated.
TPoint LandMarkCaptionOrigin(int32_t X, int32_t Y, const TLMTextProperties& Caption, int32_t Width,
                             int32_t Height);
// Draws the caption (nothing when its text is empty) for a landmark at
// (X, Y): the font, its colours, a clear brush when transparent, rotated
// by Dir.
void DrawLandMarkCaption(TCanvas& Canvas, int32_t X, int32_t Y, const TLMTextProperties& Caption);

// ---------------------------------------------------------------------------
// Symbol repository

struct TSymbol {
  TLandMarkElement Element = lmCross;
  int32_t Size = 0;
  TColor ColorFg = clBlack;
  TColor ColorBg = clBlack;
  bool Transparent = false;
  int32_t Dir = 0;
  int32_t Leng = 0;
  ShortString<43> Name;
  int32_t Category = 0;
  friend bool operator==(const TSymbol&, const TSymbol&) = default;
};

// A repository holds at most this many entries.
inline constexpr int32_t MaxSymbolEntries = 1 << 24;

// lmCross, size 8, $000000 on $0000FF, not transparent, direction 90,
// length 40, no name, category 0.
TSymbol DefaultSymbolRecord();

// A numbered (1-based) list of symbols with a backup copy. The file is one
// block:
//   <lmsymbols sig="Nuvkit" vers="1.0" id="...">
//   <symbol element="Cross" name="..." category="0" colorfg="00000000" ... />
//   </lmsymbols>
// A double quote, "<" or ">" in a name is stored as &quot;, &lt; or &gt;
// (and an ampersand that would read as one of these as &amp;); other names
// are written byte for byte.
class TSymbolRepository : public TComponent {
 public:
  explicit TSymbolRepository(TComponent* AOwner);

  int32_t NumEntries() const { return static_cast<int32_t>(entries_.size()); }
  // Sets the count (ignored below 0); new entries are default records.
  // ENUVGeoMapError "insufficient memory" above MaxSymbolEntries or when
  // the entries cannot be held.
  void SetNEntries(int32_t N);
  // DefaultSymbolRecord outside 1..NumEntries.
  TSymbol GetValues(int32_t Index) const;
  // Only for 1..NumEntries.
  void SetValues(int32_t Index, const TSymbol& Symbol);
  // Every entry becomes the default record.
  void Clear();
  void Backup();
  void Restore();
  // From another repository: entries and backup; other sources as for any
  // persistent object.
  void Assign(const TPersistent& Source) override;
  void AssignTo(TPersistent& Dest) const override;

  // Writes the file under a temporary name beside FileName and replaces
  // FileName only when complete: a failed store keeps the old file.
  void StoreOnFile(const std::string& FileName, const std::string& ID);
  // False when the file cannot be opened or holds no block of ID (the
  // first block for an empty ID).
  bool LoadFromFile(const std::string& FileName, const std::string& ID);
  // The entries become the symbols of the block (unknown element names
  // read as lmCross); true when the block was found, the entries unchanged
  // otherwise.
  bool ReadFromOpenXMLFile(TextFile& F, const std::string& ID);

 private:
  std::vector<TSymbol> entries_;
  std::vector<TSymbol> backup_;
};

}  // namespace nuv
