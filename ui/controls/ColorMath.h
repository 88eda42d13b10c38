// Colour arithmetic of the renderer that needs no window: hue/saturation/lightness
// adjustment, the band colours of the gradient used when msimg32 offers no GradientFill, and
// the per-pixel blend used when it offers no AlphaBlend. Colours are 32-bit ARGB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/controls/RenderGeometry.h"

namespace SkinUI {

// Shifts the hue by hue - 180 degrees and scales saturation and lightness by the given
// percentages; (180, 100, 100) returns the colour unchanged. The alpha byte is kept.
uint32_t AdjustColor(uint32_t color, int hue, int saturation, int lightness);

// One solid band of the fallback gradient.
struct TGradientBand {
    TRectI rect;
    uint32_t rgb = 0;  // 0x00RRGGBB
};

// Bands filling `rect` from `first` (top or left) to `second` (bottom or right); the band count
// grows with `steps` (2 to 64). Empty bands are left out.
std::vector<TGradientBand> GradientBands(const TRectI& rect, uint32_t first, uint32_t second,
                                         bool vertical, int steps);

// Blends `count` premultiplied 32-bit source pixels onto destination pixels in place with a
// constant alpha, as AlphaBlend does with per-pixel alpha; the alpha byte of the destination
// is left as it was.
void BlendPixels(const uint32_t* source, uint32_t* dest, size_t count, uint8_t constantAlpha);

}  // namespace SkinUI
