// CRenderer: stateless drawing for controls and the window manager: picture loading into
// premultiplied 32-bit bitmaps, image descriptors ("file='a.png' dest='0,0,10,10' ..."),
// colour fills and gradients, lines and frames, colour adjustment and clip regions.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/core/GdiHandle.h"

namespace SkinUI {

class CWindowManagerUI;

// A decoded picture: a top-down 32-bit DIB in blue, green, red, alpha order, colours
// premultiplied by alpha. Owned by the manager's image cache.
struct TImageInfo {
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    std::string resType;  // load options, recorded by the manager
    DWORD mask = 0;
    bool gray = false;
};

// The bytes of one entry of a zip archive (archive path, entry name looked up ignoring case).
// Plugged in by the archive reader; without one, archived skins yield no pictures.
using ZipEntryReader = bool (*)(const std::string& archivePath, const std::string& entry,
                                std::vector<unsigned char>& bytes);

// A clip installed for one paint step; restores the previous clip when it goes away.
class CRenderClip {
public:
    CRenderClip() = default;
    ~CRenderClip();
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;

    static void GenerateClip(HDC dc, const RECT& rect, CRenderClip& clip);
    static void GenerateRoundClip(HDC dc, const RECT& paint, const RECT& round, int width,
                                  int height, CRenderClip& clip);
    // Back to the clip from before (children that may overflow), and to this clip again.
    void UseOuterClip();
    void UseInnerClip();

private:
    HDC dc_ = nullptr;
    UniqueRegion outer_;
    UniqueRegion inner_;
};

class CRenderer {
public:
    // `name` is a file name, or with `type` a resource (MAKEINTRESOURCE number or name).
    static std::unique_ptr<TImageInfo> LoadImage(LPCSTR name, LPCSTR type = nullptr, DWORD mask = 0,
                                                 bool gray = false);
    static void SetZipEntryReader(ZipEntryReader reader);

    static bool DrawImageString(HDC dc, CWindowManagerUI* manager, const RECT& bounds,
                                const RECT& paint, LPCSTR descriptor, LPCSTR modifier = nullptr);
    static bool DrawImageFile(HDC dc, CWindowManagerUI* manager, const RECT& bounds,
                              const RECT& paint, const std::string& name, LPCSTR type,
                              const RECT& dest, const RECT& source, const RECT& corner, DWORD mask,
                              BYTE fade, bool hole, bool xtiled, bool ytiled, bool gray);
    static void DrawBitmap(HDC dc, HBITMAP bitmap, const RECT& dest, const RECT& paint,
                           const RECT& source, const RECT& corner, bool alpha, BYTE fade = 255,
                           bool hole = false, bool xtiled = false, bool ytiled = false);
    static void DrawColor(HDC dc, const RECT& rect, DWORD color);
    static void DrawGradient(HDC dc, const RECT& rect, DWORD first, DWORD second, bool vertical,
                             int steps);
    static void DrawLine(HDC dc, const RECT& rect, int width, DWORD color, int style = PS_SOLID);
    static void DrawRect(HDC dc, const RECT& rect, int width, DWORD color);
    static void DrawRoundRect(HDC dc, const RECT& rect, int width, int cornerWidth,
                              int cornerHeight, DWORD color);
    // GDI+ text in the manager's font of that index; `style` takes DT_CENTER, DT_RIGHT,
    // DT_VCENTER, DT_BOTTOM, DT_END_ELLIPSIS and DT_SINGLELINE.
    static void DrawText(HDC dc, CWindowManagerUI* manager, const RECT& rect, LPCSTR text,
                         DWORD color, int font, UINT style);
    static DWORD AdjustColor(DWORD color, short hue, short saturation, short lightness);
};

}  // namespace SkinUI
