// Helpers of the graphics tests: bitmaps filled with a colour or a
// pattern, and probes that count and locate painted pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "nuv/platform/Bitmap.h"

namespace nuv::testing {

inline std::unique_ptr<TBitmap> MakeBitmap(int32_t w, int32_t h, TColor color = clWhite) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(color);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

// A bitmap whose every pixel differs from its neighbours, so that any
// stray write shows.
inline std::unique_ptr<TBitmap> MakePatterned(int32_t w, int32_t h) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(w, h);
  for (int32_t y = 0; y < h; ++y) {
    uint32_t* row = b->ScanLine(y);
    for (int32_t x = 0; x < w; ++x)
      row[x] = 0xFF000000u | static_cast<uint32_t>((x * 37 + y * 101) * 2654435761u >> 8);
  }
  return b;
}

inline int32_t CountColor(TBitmap& b, TColor color) {
  int32_t n = 0;
  for (int32_t y = 0; y < b.Height(); ++y)
    for (int32_t x = 0; x < b.Width(); ++x) n += b.Canvas()->Pixels(x, y) == color;
  return n;
}

// Bounding box (right and bottom exclusive) of the pixels that differ from
// background; empty when there are none.
inline TRect InkBox(TBitmap& b, TColor background) {
  TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int32_t y = 0; y < b.Height(); ++y)
    for (int32_t x = 0; x < b.Width(); ++x)
      if (b.Canvas()->Pixels(x, y) != background) {
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
  return box.Left == INT32_MAX ? TRect{} : box;
}

// The 0xAARRGGBB pixel Qt shows for a colour.
inline uint32_t QtPixel(TColor color) {
  const TColor c = ColorToRGB(color);
  return 0xFF000000u | (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) |
         GetBValue(c);
}

inline std::vector<uint32_t> PixelsOf(const TBitmap& b) {
  std::vector<uint32_t> out;
  const QImage& img = b.Image();
  for (int y = 0; y < img.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
    out.insert(out.end(), row, row + img.width());
  }
  return out;
}

}  // namespace nuv::testing
