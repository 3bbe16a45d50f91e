// A chart of data points and a fitted curve, drawn through the platform
// canvas into a PNG, so that a person can look at a fit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Bitmap.h"

namespace nuv::tool {

struct TPlot {
  std::vector<TPointDouble> Points;  // drawn as small squares
  std::vector<TPointDouble> Curve;   // drawn as one polyline
  std::string XLabel, YLabel;        // Windows-1252
  int32_t Width = 800, Height = 600;
};

// The plot area inside the picture: the axes run along its left and bottom
// edges, ticks and labels lie outside it.
inline constexpr int32_t kPlotLeft = 80, kPlotRight = 24, kPlotTop = 24, kPlotBottom = 56;

// The axis range drawn for values lo..hi: whole multiples of the tick step
// of CalcScalePars around them (a range of one value is widened by one).
void AxisRange(double lo, double hi, double& first, double& last, double& step);

// Draws the plot and writes it as a PNG file; TJobError when it cannot be
// written. The picture must be at least 200 × 150 pixels.
void WritePlot(const TPlot& plot, const std::string& fileName);

// Saves a bitmap as PNG through a temporary file beside the target, so that a
// failure leaves an existing file intact; raises TJobError.
void WritePng(const TBitmap& b, const std::string& fileName);

}  // namespace nuv::tool
