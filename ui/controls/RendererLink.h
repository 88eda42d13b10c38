// Everything the renderer asks of the window manager, in one place: the resource location,
// the image cache, the font table, the default colours and the last mouse position. The
// renderer's drawing code calls only these functions, so the coupling to CWindowManagerUI
// stays in RendererLink.cpp.
#pragma once

#include <windows.h>

#include <string>

#include "ui/controls/TImageInfo.h"

namespace SkinUI {

class CWindowManagerUI;
class CZipArchive;

namespace RendererLink {

// Where pictures come from (process-wide settings of the manager).
HINSTANCE ResourceModule();
std::string ResourcePath();
std::string ResourceZip();
// The resource zip the manager keeps open for every load, or null.
CZipArchive* CachedZip();

// The manager's cached picture under `name`, loaded on a miss; null when it cannot be loaded.
const TImageInfo* GetImageOrLoad(CWindowManagerUI* manager, const char* name, const char* type,
                                 DWORD mask, bool gray);

// A font of the manager's table with what the markup renderer needs to derive variants.
struct TFontRef {
    HFONT font = nullptr;
    std::string face;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    TEXTMETRICA metrics = {};
};

// Metrics come from the manager's record, or are measured on `dc` when the manager has not
// measured the font yet (it measures on its window's DC, and may have no window).
TFontRef DefaultFont(CWindowManagerUI* manager, HDC dc);
// Font at `index`; the default font for an index outside the table.
TFontRef FontAt(CWindowManagerUI* manager, HDC dc, int index);
// The table font with these properties, added to the table when missing; an empty `font`
// when it cannot be created.
TFontRef FindOrAddFont(CWindowManagerUI* manager, HDC dc, const std::string& face, int size,
                       bool bold, bool underline, bool italic);

// A skin's 96-DPI pixel count in the pixels of the manager's window (unchanged without one).
int Scale(CWindowManagerUI* manager, int value);
int Dpi(CWindowManagerUI* manager);

DWORD LinkColor(CWindowManagerUI* manager);
DWORD LinkHoverColor(CWindowManagerUI* manager);
DWORD SelectedBkColor(CWindowManagerUI* manager);
POINT MousePos(CWindowManagerUI* manager);

}  // namespace RendererLink
}  // namespace SkinUI
