// 32-bit top-down DIB sections, the surface every decoded picture and blend buffer uses.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/core/GdiHandle.h"

namespace SkinUI {

// A width x height DIB section with blue, green, red, alpha bytes per pixel; `bits` receives
// its pixels. Empty (and `bits` null) for a non-positive or oversized request or on failure.
UniqueBitmap CreateDib32(HDC dc, int width, int height, uint32_t** bits);

}  // namespace SkinUI
