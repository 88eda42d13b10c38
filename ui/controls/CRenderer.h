// CRenderer: the stateless drawing operations of the UI framework. It decodes pictures into
// DIB sections, parses and draws image descriptors, fills colours and gradients, draws lines,
// rectangles and text, adjusts colours in hue/saturation/lightness and draws text with inline
// markup. Pictures are cached by the window manager, which asks the renderer to load them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/controls/RenderClip.h"
#include "ui/controls/TImageInfo.h"

namespace SkinUI {

class CWindowManagerUI;

class CRenderer {
public:
    // Loads and decodes a picture. With a resource type, `name` is a resource name or
    // MAKEINTRESOURCE number in the manager's resource module; without one it is a file under
    // the manager's resource path (or an entry of its resource zip), then a plain path.
    // Colours equal to `mask` (with its alpha byte) turn transparent; `gray` loads a grey copy.
    static std::unique_ptr<TImageInfo> LoadImage(LPCSTR name, LPCSTR type = nullptr, DWORD mask = 0,
                                                 bool gray = false);
    // Decodes picture bytes already in memory (the last step of LoadImage).
    static std::unique_ptr<TImageInfo> LoadImageFromMemory(const void* bytes, size_t size,
                                                           DWORD mask = 0, bool gray = false);

    // Draws a descriptor ("bkimage" and the like) and an optional modifier whose items override
    // it. False only without a device context or manager; missing pictures still give true.
    static bool DrawImageString(HDC dc, CWindowManagerUI* manager, const RECT& bounds,
                                const RECT& paint, LPCSTR descriptor, LPCSTR modifier = nullptr);
    static bool DrawImageFile(HDC dc, CWindowManagerUI* manager, const RECT& bounds,
                              const RECT& paint, const std::string& name, LPCSTR type,
                              const RECT& dest, const RECT& source, const RECT& corner, DWORD mask,
                              BYTE fade, bool hole, bool xtiled, bool ytiled, bool gray,
                              const RECT* destCorner = nullptr, bool smooth = false);
    // `destCorner`: the corner widths where they are drawn when they differ from the picture's
    // (a skin drawn at another DPI); null draws the corners at the picture's own size.
    // `smooth`: a picture with transparency that is stretched is smoothed first (AlphaBlend
    // would stretch it without); the skin's own scale leaves it off, so its pixels stay.
    static void DrawBitmap(HDC dc, HBITMAP bitmap, const RECT& dest, const RECT& paint,
                           const RECT& source, const RECT& corner, bool alpha, BYTE fade = 255,
                           bool hole = false, bool xtiled = false, bool ytiled = false,
                           const RECT* destCorner = nullptr, bool smooth = false);

    static void DrawColor(HDC dc, const RECT& rect, DWORD color);
    static void DrawGradient(HDC dc, const RECT& rect, DWORD first, DWORD second, bool vertical,
                             int steps);
    static void DrawLine(HDC dc, const RECT& rect, int width, DWORD color, int style = PS_SOLID);
    static void DrawRect(HDC dc, const RECT& rect, int width, DWORD color);
    static void DrawRoundRect(HDC dc, const RECT& rect, int width, int cornerWidth,
                              int cornerHeight, DWORD color);
    // Plain text through GDI+ with the font of that index in the manager's table. Of `flags`
    // only DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_END_ELLIPSIS and DT_SINGLELINE count.
    static void DrawText(HDC dc, CWindowManagerUI* manager, const RECT& rect, LPCSTR text,
                         DWORD color, int font, UINT flags);
    // Text with inline markup (CRendererHtml.cpp). `links`/`linkTexts` may be null; `linkCount`
    // is their capacity on entry and the number of links found on return. With DT_CALCRECT
    // nothing is drawn and `rect` receives the used extent.
    static void DrawHtmlText(HDC dc, CWindowManagerUI* manager, RECT& rect, LPCSTR text,
                             DWORD color, RECT* links, std::string* linkTexts, int& linkCount,
                             UINT flags);

    static DWORD AdjustColor(DWORD color, short hue, short saturation, short lightness);
};

// Number of exact text-extent measurements DrawHtmlText has made in this process; benchmarks
// read it to check that the width estimate keeps measuring rare.
long& HtmlTextMeasureCount();

// GDI colour (0x00BBGGRR) of a 32-bit ARGB colour; the alpha byte is dropped.
inline COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

}  // namespace SkinUI
