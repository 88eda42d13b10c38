// The image descriptor grammar of skin attributes such as "bkimage": either a plain image name
// or items key='value' separated by spaces. Parsing turns a descriptor (and an optional
// modifier that overrides it) into the ordered list of pictures to draw, each with the state
// seen up to that point. No drawing happens here, so the grammar is testable without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/controls/RenderGeometry.h"

namespace SkinUI {

// Everything one picture of a descriptor is drawn with.
struct TImageDrawParams {
    std::string name;   // file name, or resource number when a resource type is set
    std::string type;   // resource type name; empty means a file
    TRectI dest;        // where the picture goes (defaults to the control's bounds)
    TRectI source;      // part of the picture; all zeros means the whole picture
    TRectI corner;      // nine-grid border widths left, top, right, bottom, in the picture
    TRectI destCorner;  // the same widths where they are drawn (scaled to the display's DPI)
    uint32_t mask = 0;
    uint8_t fade = 255;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
    bool gray = false;
};

using ImageDrawFn = std::function<void(const TImageDrawParams&)>;

// Parses `descriptor` and then `modifier` (may be null) with one shared state and calls `draw`
// for every picture in order. `bounds` is the control's rectangle: the default destination and
// the origin of "dest" items. The descriptor is skin text written in 96-DPI pixels: its "dest"
// and "corner" widths are scaled to `dpi`; a modifier is computed by the control in the
// window's own pixels and is taken as it stands.
void ParseImageDescriptor(const char* descriptor, const char* modifier, const TRectI& bounds,
                          const ImageDrawFn& draw, int dpi = 96);

// Up to four comma-separated decimal integers (missing ones are 0), as skin rectangles are
// written. Returns the number of integers read.
int ParseIntQuad(const char* text, int out[4]);

}  // namespace SkinUI
