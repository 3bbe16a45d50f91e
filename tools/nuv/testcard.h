// The test card of "nuv demo --png": the canvas primitives, pen modes,
// brushes, fonts and text of the graphical layer on one picture.
#pragma once

#include <cstdint>

#include "nuv/platform/Bitmap.h"

namespace nuv::tool {

// Sizes the bitmap to 560 x 400 pixels and draws the card on it.
void DrawTestCard(TBitmap& Bitmap);

}  // namespace nuv::tool
