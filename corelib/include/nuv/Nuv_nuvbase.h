// Vocabulary shared by every library: the base enumerations with the name
// arrays through which XML writers store them, the array and event types,
// the multilingual name tables, the progress and abort protocol of long
// computations, the exception root ENUVError, and small helpers for
// canvases (font sizes across pixel densities, the TrueType test, printing
// a bitmap). The chart overlays (frames, data-point marks, crosshair,
// date/time label and text label settings) are in Nuv_nuvbase_overlay.h,
// included at the end.
//
// Enumeration values are written as in the name arrays; a reader maps a
// stored name back with IndexOfName. The language tables are Windows-1252
// text indexed by TLanguage first, then by month 1..12, weekday 1..7
// (Monday first) or number 0..12.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/platform/Classes.h"
#include "nuv/platform/SysUtils.h"
#include "nuv/platform/Types.h"

namespace nuv {

// ---------------------------------------------------------------------------
// Enumerations and their stored names

enum TVerticalAlignment : uint8_t { vaTop, vaCenter, vaBottom };
inline constexpr std::array<std::string_view, 3> xmlVerticalAlignment{"vaTop", "vaCenter", "vaBottom"};

inline constexpr std::array<std::string_view, 3> xmlAlignment{"taLeftJustify", "taRightJustify", "taCenter"};

enum TBkgFill : uint8_t { bfSimple, bfStretch, bfTile };
inline constexpr std::array<std::string_view, 3> xmlBkgFill{"bfSimple", "bfStretch", "bfTile"};

enum TBoundingBox : uint8_t { bbNone, bbFrame, bbFaces };
inline constexpr std::array<std::string_view, 3> xmlBoundingBox{"bbNone", "bbFrame", "bbFaces"};

enum TColorScheme : uint8_t { csBWG, csSystem };
inline constexpr std::array<std::string_view, 2> xmlColorScheme{"csBWG", "csSystem"};

enum TFigType : uint8_t { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };
inline constexpr std::array<std::string_view, 5> xmlFigType{"ftNoFigs", "ftNum", "ftTime", "ftDateTime", "ftUserText"};

enum TScaleType : uint8_t { sctXB, sctXT, sctYL, sctYR };
inline constexpr std::array<std::string_view, 4> xmlScaleType{"sctXB", "sctXT", "sctYL", "sctYR"};

enum TYearLength : uint8_t { ylNone, ylYY, ylYYYY };
inline constexpr std::array<std::string_view, 3> xmlYearLength{"ylNone", "ylYY", "ylYYYY"};

enum TDateOrder : uint8_t { doMMDDYY, doDDMMYY, doYYMMDD };
inline constexpr std::array<std::string_view, 3> xmlDateOrder{"doMMDDYY", "doDDMMYY", "doYYMMDD"};

enum TDateForTime : uint8_t { dtNone, dtOnePerChart, dtOnePerDay, dtAllTicks };
inline constexpr std::array<std::string_view, 4> xmlDateForTime{"dtNone", "dtOnePerChart", "dtOnePerDay", "dtAllTicks"};

enum TShadowStyle : uint8_t { ssFlying, ssBox };
inline constexpr std::array<std::string_view, 2> xmlShadowStyle{"ssFlying", "ssBox"};

enum TFrameStyle : uint8_t { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
inline constexpr std::array<std::string_view, 6> xmlFrameStyle{"fsNone", "fsSimple", "fsLowered", "fsRaised", "fsEmbossed", "fsEngraved"};

enum TTimeFormat : uint8_t { tfHHMMSS, tfHHhMM, tfAMPM };
inline constexpr std::array<std::string_view, 3> xmlTimeFormat{"tfHHMMSS", "tfHHhMM", "tfAMPM"};

enum TDirection : uint8_t { dirUpward, dirDownward, dirLeftward, dirRightward };
inline constexpr std::array<std::string_view, 4> xmlDirection{"dirUpward", "dirDownward", "dirLeftward", "dirRightward"};

enum TLanguage : uint8_t { lgUnknown, lgEnglish, lgGerman, lgFrench, lgSpanish };
inline constexpr std::array<std::string_view, 5> xmlLanguage{"lgUnknown", "lgEnglish", "lgGerman", "lgFrench", "lgSpanish"};

enum TVarKind : uint8_t { rnum, dnum, snum, inum, lnum, Bool, strg };
inline constexpr std::array<std::string_view, 7> xmlVarKind{"rnum", "dnum", "snum", "inum", "lnum", "bool", "strg"};

enum TMouseBoxState : uint8_t { msNormal, msFirstCorner, msRectDraw, msFinished };
inline constexpr std::array<std::string_view, 4> xmlMouseBoxState{"msNormal", "msFirstCorner", "msRectDraw", "msFinished"};

enum TMouseActMode : uint8_t { maNone, maPan, maPanHoriz, maPanVert, maRubberBand, maZoom, maZoomWind, maZoomWindPos, maZoomDrag, maDragCrossH, maDragLabel, maRotate, maRotAndZoom, maRotXOnly, maRotZOnly };
inline constexpr std::array<std::string_view, 15> xmlMouseActMode{"maNone", "maPan", "maPanHoriz", "maPanVert", "maRubberBand", "maZoom", "maZoomWind", "maZoomWindPos", "maZoomDrag", "maDragCrossH", "maDragLabel", "maRotate", "maRotAndZoom", "maRotXOnly", "maRotZOnly"};

enum TZoomState : uint8_t { zsNormal, zsDrawWin };
inline constexpr std::array<std::string_view, 2> xmlZoomState{"zsNormal", "zsDrawWin"};

enum TCrossHMode : uint8_t { chOff, chHoriz, chVert, chBoth, chBox };
inline constexpr std::array<std::string_view, 5> xmlCrossHMode{"chOff", "chHoriz", "chVert", "chBoth", "chBox"};

enum TTxtLblMode : uint8_t { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };
inline constexpr std::array<std::string_view, 5> xmlTxtLblMode{"tlOff", "tlsimple", "tlBox", "tlUnderline", "tlShadow"};

enum TTxtLblAttachMode : uint8_t { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };
inline constexpr std::array<std::string_view, 4> xmlTxtLblAttachMode{"tlamNone", "tlamXOnly", "tlamYOnly", "tlamBoth"};

inline constexpr std::array<std::string_view, 4> xmlFontStyle{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

enum TDecPSep : uint8_t { dsSystem, dsDot, dsComma, dsBoth };

enum TDegreeFormat : uint8_t { dfDeg, dfDegMin, dfDegMinSec, dfNumeric };

enum TOrientation : uint8_t { orVert, orHoriz };

// Index of `name` in a name array, or -1 when it is not there
// (case-sensitive, as the names are stored).
template <std::size_t N>
constexpr int32_t IndexOfName(const std::array<std::string_view, N>& names, std::string_view name) {
  for (std::size_t i = 0; i < N; ++i)
    if (names[i] == name) return static_cast<int32_t>(i);
  return -1;
}

// ---------------------------------------------------------------------------
// Arrays and points

using TDoubleArray = std::vector<double>;
using TIntArray = std::vector<int32_t>;
using TBytes = std::vector<uint8_t>;

struct TPointDouble {
  double X = 0;
  double Y = 0;
  friend bool operator==(const TPointDouble&, const TPointDouble&) = default;
};

// World coordinates: Top lies above Bottom.
struct TRectDouble {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
  friend bool operator==(const TRectDouble&, const TRectDouble&) = default;
};

using TPDblArray = std::vector<TPointDouble>;

// ---------------------------------------------------------------------------
// Events (Sender first; an empty function is an unassigned event)

using TSortExchgEvent = std::function<void(TObject* Sender, uint8_t ExchgWhat, int32_t index1,
                                           int32_t index2, int32_t first, int32_t last)>;
using TZoomPanEvent = std::function<void(TObject* Sender)>;
using TRubberBandEvent = std::function<void(TObject* Sender, int32_t Layer, double LoX,
                                            double LoY, double HiX, double HiY)>;
using TOnPercentDoneEvent = std::function<void(TObject* Sender, int32_t PercentDone)>;
using TOnCheckAbortEvent = std::function<void(TObject* Sender, bool& Abort)>;

// ---------------------------------------------------------------------------
// Multilingual name tables (Windows-1252)

extern const TRangeArray<TRangeArray<ShortString<4>, 1, 12>, lgUnknown, lgSpanish> MonthShort;
extern const TRangeArray<TRangeArray<ShortString<10>, 1, 12>, lgUnknown, lgSpanish> MonthLong;
extern const TRangeArray<TRangeArray<ShortString<3>, 1, 7>, lgUnknown, lgSpanish> WeekDayShort;
extern const TRangeArray<TRangeArray<ShortString<10>, 1, 7>, lgUnknown, lgSpanish> WeekDayLong;
extern const TRangeArray<TRangeArray<ShortString<6>, 0, 12>, lgUnknown, lgSpanish> NumWords;
// LanguageID[Described][Text]: the name of language Described written in
// language Text (LanguageID[lgFrench][lgGerman] is "französisch").
extern const TRangeArray<TRangeArray<ShortString<15>, lgUnknown, lgSpanish>, lgUnknown, lgSpanish> LanguageID;
extern const TRangeArray<ShortString<2>, lgUnknown, lgSpanish> ISO639_2Char;
extern const TRangeArray<ShortString<3>, lgUnknown, lgSpanish> ISO639_3Char;

// HTML 4 Latin-1 entity names ("&nbsp;" .. "&yuml;") of the codes 160..255.
extern const TRangeArray<ShortString<8>, 160, 255> HTMLLat1Entities;

// ---------------------------------------------------------------------------
// Progress and abort protocol, shared by every library and not locked: one
// long computation runs at a time.

// Progress counter; long computations add one per completed outer step.
extern int32_t ProcStat;
// When assigned, called with the new ProcStat after each increase.
using TMathFeedBackProc = std::function<void(int32_t ProcStat)>;
extern TMathFeedBackProc MathFeedBackProc;
// Set by the application to stop a computation that supports aborting;
// such a computation clears it when it starts and reports success only
// when it was not aborted.
extern bool AbortMathProc;

// Adds one to ProcStat and calls MathFeedBackProc when assigned.
void IncProcStat();

// ---------------------------------------------------------------------------
// Exceptions

// Root of the library's exceptions; carries a message only.
class ENUVError : public Exception {
 public:
  using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Canvas helpers

class TCanvas;
class TBitmap;

// Sets the canvas font's size in points converted at the screen's pixel
// density, whatever the canvas's own: on the printer's canvas the font
// gets the pixel height it has on the screen. The font's PixelsPerInch is
// the same afterwards.
void SetCanvasFontSizeScaled(TCanvas& Canvas, int32_t Size);

// Whether an installed font is a TrueType font. Names are compared without
// regard to case with Screen().Fonts(); a name that is not there raises
// ENUVError.
bool FontIsTrueType(std::string_view FontName);

// Prints Bitmap on the printer's current page with its top-left corner at
// (X, Y), one printer pixel per bitmap pixel. It neither begins nor ends
// the document; outside a document it prints nothing.
void PrintBitmap(const TBitmap& Bitmap, int32_t X, int32_t Y);

}  // namespace nuv

#include "nuv/Nuv_nuvbase_overlay.h"
