// msimg32's AlphaBlend and GradientFill, looked up by name once for the life of the process;
// either may be missing, and the renderer then uses its own code.
#pragma once

#include <windows.h>

namespace SkinUI {

using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

struct TMsimg32 {
    AlphaBlendFn alphaBlend = nullptr;
    GradientFillFn gradientFill = nullptr;
};

const TMsimg32& Msimg32();

// The renderer's own blend, with AlphaBlend's arguments and per-pixel alpha: used when
// msimg32 offers no AlphaBlend. False (nothing drawn) when a surface cannot be made.
BOOL WINAPI RendererAlphaBlend(HDC dest, int x, int y, int width, int height, HDC source, int srcX,
                               int srcY, int srcWidth, int srcHeight, BLENDFUNCTION blend);

}  // namespace SkinUI
