// The image-to-rectangle mapping of the renderer: which part of a picture lands where when it
// is drawn into a destination with nine-grid corners, a hole, tiling and a paint rectangle.
// The result is a list of blits that the drawing code hands to AlphaBlend, StretchBlt or
// BitBlt; keeping it window-free lets the mapping be checked exactly on any platform.
#pragma once

#include <vector>

#include "ui/controls/RenderGeometry.h"

namespace SkinUI {

struct TBlit {
    TRectI dest;  // destination rectangle
    int srcX = 0;
    int srcY = 0;
    int srcWidth = 0;
    int srcHeight = 0;

    bool SameSize() const { return dest.Width() == srcWidth && dest.Height() == srcHeight; }
};

struct TNineGridInput {
    TRectI dest;    // R: where the whole picture goes
    TRectI paint;   // P: the part being repainted
    TRectI source;  // S: part of the picture (already resolved, never all zeros)
    TRectI corner;  // C: border widths in the picture
    // D: the border widths where they are drawn, C scaled to the display's DPI; all zeros
    // means C (a picture drawn at its own scale).
    TRectI destCorner;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
    // True for a picture without alpha drawn at full strength: such a picture of the
    // destination's size and without corners is copied as the one visible part only.
    bool opaque = false;
};

std::vector<TBlit> LayoutNineGrid(const TNineGridInput& in);

}  // namespace SkinUI
