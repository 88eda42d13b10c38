// A decoded picture as the renderer creates it and the window manager's image cache keeps it.
#pragma once

#include <windows.h>

#include <string>

#include "ui/core/GdiHandle.h"

namespace SkinUI {

struct TImageInfo {
    // 32-bit top-down DIB section: blue, green, red, alpha bytes, colour premultiplied.
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
    bool hasAlpha = false;  // some pixel is not fully opaque (or was masked out)
    // Load options, recorded by the manager when it caches the picture.
    std::string resType;
    DWORD mask = 0;
    bool gray = false;
};

}  // namespace SkinUI
