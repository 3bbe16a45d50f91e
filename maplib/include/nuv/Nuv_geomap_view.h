// Vocabulary of the map view TGeoMap (Nuv_geomap.h): what the graticule
// pass shows, the zoom-history entries, the view's events and limits, and
// the corner test of geographic positions. Part of the unit Nuv_geomap.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "nuv/Nuv_geomap_calib.h"
#include "nuv/platform/Graphics.h"

namespace nuv {

// What the graticule pass draws over the image.
enum TShowGrat : uint8_t {
  sgNone,
  sgPoints,  // the calibration points
  sgLines,   // meridians and parallels
  sgPointsAndLines,
  sgUTMGrid,  // lines of constant UTM northing and easting (cmUTM only)
  sgPointsAndUTMGrid
};

// Images above this many pixels are refused.
inline constexpr int32_t MaxMapImagePixels = 3000000;
// The permitted magnification (screen pixels per image pixel).
inline constexpr double MinMagnification = 1.0 / 64;
inline constexpr double MaxMagnification = 64;
// Graticule and UTM-grid lines drawn at most per direction, so that a tiny
// spacing costs bounded work.
inline constexpr int32_t MaxGridLinesPerAxis = 1000;
inline constexpr int32_t ZoomHistorySize = 16;

// One entry of the zoom history; all zero for an unused entry.
struct TZoomStackEntry {
  int32_t PanX = 0;
  int32_t PanY = 0;
  double Magnification = 0;
  friend bool operator==(const TZoomStackEntry&, const TZoomStackEntry&) = default;
};

// Called with the canvas the view is being drawn on (the control's, a
// bitmap's or the printer's).
using TRenderEvent = std::function<void(TObject* Sender, TCanvas& Canvas)>;
// A rubber-band click; APoint in image pixels.
using TOnRubberBandActionEvent = std::function<void(TObject* Sender, TPoint APoint)>;
// Draws into a generated empty map (see TGeoMap::CreateAndLoadEmptyMap):
// the canvas of the Width × Height bitmap and the ordered bounds.
using TEmptyMapDrawProc =
    std::function<void(TCanvas& Canvas, double LatLow, double LongLow, double LatHigh,
                       double LongHigh, int32_t Width, int32_t Height)>;

// Whether (Lat, Long) lies strictly inside the quadrilateral of the four
// corners (indexed by TCorners, taken in (Lat, Long) as a plane): the cross
// products of every edge with the vector to the point have one strict sign.
// False for a point on an edge, for degenerate corners and for NaN.
bool PositionInMap(double Lat, double Long, const std::array<TLatLong, 4>& Corners);

}  // namespace nuv
