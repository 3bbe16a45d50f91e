// Internals of TChemGraph shared by its sources and tests: the fit of a
// molecule into a box, pixel rounding and the geometry of bond ends.
#pragma once

#include <cstdint>

#include "nuv/Nuv_cstruct.h"
#include "nuv/platform/Graphics.h"

namespace nuv::chemgrph {

enum : int32_t { zC = 6, zN = 7, zO = 8, zP = 15, zS = 16 };

// Round half to even, saturating at +-2^20 pixels (NaN gives 0), so that
// wild coordinates or scales never leave the integer range.
int32_t PixelOf(double v);

struct TFit {
  double Scale = 1;
  double OffsetX = 0;
  double OffsetY = 0;
  int32_t FontSize = 8;  // points
};

// Scale and offsets that fit the molecule into width x height pixels
// (both positive) centred on (centreX, centreY), the mean bond length at
// most maxBondLeng when that is positive, and the label size in points. An
// extent of 0 counts as 1 unit; a lone atom is centred.
TFit FitMolecule(const TCTab& t, int32_t width, int32_t height, int32_t centreX, int32_t centreY,
                 int32_t maxBondLeng);

// Where the line from p towards toward (a different point) leaves the box
// of the given half-extents centred on p.
TPoint BoxExit(TPoint p, TPoint toward, int32_t halfWidth, int32_t halfHeight);

// The unit normal of from -> to times distance, each component rounded;
// (0, 0) when the points coincide.
TPoint Displacement(TPoint from, TPoint to, double distance);

}  // namespace nuv::chemgrph
