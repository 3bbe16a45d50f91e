// Helpers of the map-view tests: images of coloured column blocks, a
// simple equirectangular calibration and probes of the control's pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "nuv/Nuv_geomap.h"
#include "nuv/platform/Bitmap.h"

namespace nuv::testing {

inline const std::vector<TColor> kBlockColors{clRed, clLime, clBlue, clYellow, clFuchsia, clAqua};

inline TColor BlockColor(int32_t x, int32_t block,
                         const std::vector<TColor>& colors = kBlockColors) {
  return colors[static_cast<std::size_t>(x / block) % colors.size()];
}

// Columns of Block pixels in the colours in turn.
inline std::unique_ptr<TBitmap> Blocks(int32_t w, int32_t h, int32_t block,
                                       const std::vector<TColor>& colors = kBlockColors) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(w, h);
  for (int32_t x = 0; x < w; x += block) {
    b->Canvas()->Brush()->SetColor(BlockColor(x, block, colors));
    b->Canvas()->FillRect(Rect(x, 0, x + block, h));
  }
  return b;
}

// Pixels that JPEG cannot compress much.
inline std::unique_ptr<TBitmap> MakeNoise(int32_t w, int32_t h) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(w, h);
  uint32_t s = 12345;
  for (int32_t y = 0; y < h; ++y) {
    uint32_t* row = b->ScanLine(y);
    for (int32_t x = 0; x < w; ++x) row[x] = 0xFF000000u | ((s = s * 1664525u + 1013904223u) >> 8);
  }
  return b;
}

// lat = 48.5 - y/100 and long = 10.5 + x/100, from four exact points.
inline void CalibrateEquiRect(TGeoMap& m) {
  m.SetCalibModel(cmEquiRect);
  for (TPoint p : {TPoint{0, 0}, TPoint{200, 0}, TPoint{0, 100}, TPoint{200, 100}})
    m.AddCalibPoint(48.5 - p.Y / 100.0, 10.5 + p.X / 100.0, p.X, p.Y);
}

inline TColor ImagePixel(const TBitmap& b, int32_t x, int32_t y) {
  const QRgb q = b.Image().pixel(x, y);
  return RGB(static_cast<uint8_t>(qRed(q)), static_cast<uint8_t>(qGreen(q)),
             static_cast<uint8_t>(qBlue(q)));
}

// What the control shows at (x, y).
inline TColor ControlPixel(TGeoMap& m, int32_t x, int32_t y) {
  return ImagePixel(m.ViewBitmap(), x, y);
}

// The inner columns (1 .. width-2) of a row, and the inner rows of a
// column, painted in clBlue.
inline std::vector<int32_t> BlueColumns(TGeoMap& m, int32_t row) {
  std::vector<int32_t> out;
  for (int32_t x = 1; x < m.Width() - 1; ++x)
    if (ControlPixel(m, x, row) == clBlue) out.push_back(x);
  return out;
}
inline std::vector<int32_t> BlueRows(TGeoMap& m, int32_t column) {
  std::vector<int32_t> out;
  for (int32_t y = 1; y < m.Height() - 1; ++y)
    if (ControlPixel(m, column, y) == clBlue) out.push_back(y);
  return out;
}

}  // namespace nuv::testing
