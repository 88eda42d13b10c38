// A stand-in for the window manager's side of the renderer (RendererLink), for renderer tests
// that need no real manager: a picture cache keyed by name, a small font table built on a
// real GDI font, and settable colours, mouse position and resource location.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/RendererLink.h"

namespace SkinUI {

struct TFakeManagerState {
    HINSTANCE module = nullptr;
    std::string path;
    std::string zip;
    std::map<std::string, std::unique_ptr<TImageInfo>> images;
    std::vector<RendererLink::TFontRef> fonts;  // [0] is the default font
    DWORD linkColor = 0xFF0000FF;
    DWORD linkHoverColor = 0xFFD3215F;
    DWORD selectedBkColor = 0xFFBAE4FF;
    POINT mouse = {-1, -1};
    int imageLoads = 0;
    int fontsAdded = 0;

    TFakeManagerState();
    ~TFakeManagerState();
    void Reset();
};

TFakeManagerState& FakeManager();

// A non-null manager pointer for the renderer's checks; the stand-in never dereferences it.
CWindowManagerUI* FakeManagerPointer();

}  // namespace SkinUI
