// Smooth stretching of premultiplied 32-bit pixels for pictures with transparency drawn at a
// display scale other than the skin's: AlphaBlend stretches without any smoothing, so the
// renderer stretches such pictures here first and blends the result pixel for pixel.
// Window-free, so it is checked natively too.
#pragma once

#include <cstdint>

#include "ui/controls/RenderGeometry.h"

namespace SkinUI {

// The picture's `source` rectangle (of a top-down picture whose rows are `stride` pixels
// apart) stretched over a destination of destWidth x destHeight pixels, computed only for
// `part` of that destination (its coordinates count from the destination's top-left corner)
// into `out`, part.Width() x part.Height() pixels, row after row. Each destination pixel
// centre samples the source bilinearly, edges clamped; premultiplied values stay valid.
void StretchBilinear(const uint32_t* pixels, int stride, const TRectI& source, int destWidth,
                     int destHeight, const TRectI& part, uint32_t* out);

}  // namespace SkinUI
