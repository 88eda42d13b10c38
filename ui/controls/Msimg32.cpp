// msimg32 look-up and the fallback blend; see Msimg32.h.
#include "ui/controls/Msimg32.h"

#include "ui/controls/ColorMath.h"
#include "ui/controls/DibSection.h"

namespace SkinUI {

const TMsimg32& Msimg32() {
    static const TMsimg32 entries = [] {
        TMsimg32 t;
        // The window manager loads msimg32 at start-up; a renderer used before any manager
        // exists loads it itself rather than settle on the slow fallback for good.
        HMODULE module = ::GetModuleHandleA("msimg32.dll");
        if (module == nullptr) module = ::LoadLibraryA("msimg32.dll");
        if (module != nullptr) {
            // Through void* : GetProcAddress's generic function type says nothing of the real one.
            t.alphaBlend = reinterpret_cast<AlphaBlendFn>(
                reinterpret_cast<void*>(::GetProcAddress(module, "AlphaBlend")));
            t.gradientFill = reinterpret_cast<GradientFillFn>(
                reinterpret_cast<void*>(::GetProcAddress(module, "GradientFill")));
        }
        return t;
    }();
    return entries;
}

BOOL WINAPI RendererAlphaBlend(HDC dest, int x, int y, int width, int height, HDC source, int srcX,
                               int srcY, int srcWidth, int srcHeight, BLENDFUNCTION blend) {
    if (width <= 0 || height <= 0) return FALSE;
    UniqueMemoryDC mem(::CreateCompatibleDC(dest));
    if (!mem) return FALSE;
    uint32_t* srcBits = nullptr;
    uint32_t* dstBits = nullptr;
    UniqueBitmap srcBmp = CreateDib32(dest, width, height, &srcBits);
    UniqueBitmap dstBmp = CreateDib32(dest, width, height, &dstBits);
    if (!srcBmp || !dstBmp) return FALSE;
    {
        SelectGuard sel(mem.get(), srcBmp.get());
        ::SetStretchBltMode(mem.get(), COLORONCOLOR);
        ::StretchBlt(mem.get(), 0, 0, width, height, source, srcX, srcY, srcWidth, srcHeight,
                     SRCCOPY);
    }
    SelectGuard sel(mem.get(), dstBmp.get());
    ::BitBlt(mem.get(), 0, 0, width, height, dest, x, y, SRCCOPY);
    ::GdiFlush();
    const size_t count = static_cast<size_t>(width) * height;
    if (blend.AlphaFormat != AC_SRC_ALPHA) {
        // Constant alpha only: every source pixel counts as opaque.
        for (size_t i = 0; i < count; ++i) srcBits[i] |= 0xFF000000u;
    }
    BlendPixels(srcBits, dstBits, count, blend.SourceConstantAlpha);
    ::BitBlt(dest, x, y, width, height, mem.get(), 0, 0, SRCCOPY);
    return TRUE;
}

}  // namespace SkinUI
