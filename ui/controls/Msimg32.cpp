// msimg32 look-up and the fallback blend; see Msimg32.h.
#include "ui/controls/Msimg32.h"

#include "ui/controls/ColorMath.h"
#include "ui/controls/DibSection.h"

namespace SkinUI {

const TMsimg32& Msimg32() {
    static const TMsimg32 entries = [] {
        TMsimg32 t;
        // Loaded from System32 only: a msimg32.dll beside the program or in the current
        // directory would otherwise be the one found, inside an elevated process.
        HMODULE module = ::LoadLibraryExA("msimg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
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
