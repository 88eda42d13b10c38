// CRenderer::DrawText: plain text through GDI+ (anti-aliased), with the DT_* alignment,
// single-line and ellipsis flags mapped onto a GDI+ string format.
// WIN32_LEAN_AND_MEAN leaves out the COM declarations GDI+ needs.
#include <objidl.h>
#include <windows.h>

#include <gdiplus.h>

#include <string>

#include "ui/controls/CRenderer.h"
#include "ui/controls/RendererLink.h"

namespace SkinUI {

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// Owners for the GDI+ flat-API objects of one call.
struct TGpObjects {
    GpGraphics* graphics = nullptr;
    GpFont* font = nullptr;
    GpStringFormat* format = nullptr;
    GpSolidFill* brush = nullptr;
    ~TGpObjects() {
        if (brush != nullptr) GdipDeleteBrush(brush);
        if (format != nullptr) GdipDeleteStringFormat(format);
        if (font != nullptr) GdipDeleteFont(font);
        if (graphics != nullptr) GdipDeleteGraphics(graphics);
    }
};

// GDI+ is normally started by the controls that use it; text drawn before that (or by a
// caller without controls) starts it for the one call instead of drawing nothing.
class CGdiplusScope {
public:
    CGdiplusScope() {
        GdiplusStartupInput input;
        if (GdiplusStartup(&token_, &input, nullptr) != Ok) token_ = 0;
    }
    ~CGdiplusScope() {
        if (token_ != 0) GdiplusShutdown(token_);
    }
    CGdiplusScope(const CGdiplusScope&) = delete;
    CGdiplusScope& operator=(const CGdiplusScope&) = delete;

private:
    ULONG_PTR token_ = 0;
};

std::wstring ToWide(const char* text) {
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1) return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &w[0], n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

void DrawWithGdiplus(GpGraphics* graphics, HDC dc, HFONT font, const RECT& rect,
                     const std::wstring& text, DWORD color, UINT flags) {
    TGpObjects gp;
    gp.graphics = graphics;
    LOGFONTA lf = {};
    if (font == nullptr) font = static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
    if (::GetObjectA(font, sizeof lf, &lf) == 0) return;
    if (GdipCreateFontFromLogfontA(dc, &lf, &gp.font) != Ok) return;
    if (GdipCreateStringFormat(0, LANG_NEUTRAL, &gp.format) != Ok) return;
    StringAlignment align = StringAlignmentNear;
    StringAlignment lineAlign = StringAlignmentNear;
    if (flags & DT_CENTER) align = StringAlignmentCenter;
    if (flags & DT_RIGHT) align = StringAlignmentFar;
    if (flags & DT_VCENTER) lineAlign = StringAlignmentCenter;
    if (flags & DT_BOTTOM) lineAlign = StringAlignmentFar;
    GdipSetStringFormatAlign(gp.format, align);
    GdipSetStringFormatLineAlign(gp.format, lineAlign);
    if (flags & DT_END_ELLIPSIS)
        GdipSetStringFormatTrimming(gp.format, StringTrimmingEllipsisCharacter);
    if (flags & DT_SINGLELINE) GdipSetStringFormatFlags(gp.format, StringFormatFlagsNoWrap);
    if (GdipCreateSolidFill(color | 0xFF000000u, &gp.brush) != Ok) return;
    const RectF layout(static_cast<REAL>(rect.left), static_cast<REAL>(rect.top),
                       static_cast<REAL>(rect.right - rect.left),
                       static_cast<REAL>(rect.bottom - rect.top));
    GdipDrawString(gp.graphics, text.c_str(), static_cast<INT>(text.size()), gp.font, &layout,
                   gp.format, gp.brush);
}

}  // namespace

void CRenderer::DrawText(HDC dc, CWindowManagerUI* manager, const RECT& rect, const char* text,
                         DWORD color, int font, UINT flags) {
    if (dc == nullptr || text == nullptr || manager == nullptr) return;
    ::SetBkMode(dc, TRANSPARENT);
    const std::wstring wide = ToWide(text);
    if (wide.empty()) return;
    const HFONT hfont = RendererLink::FontAt(manager, nullptr, font).font;

    GpGraphics* graphics = nullptr;
    if (GdipCreateFromHDC(dc, &graphics) == GdiplusNotInitialized) {
        CGdiplusScope scope;
        if (GdipCreateFromHDC(dc, &graphics) == Ok)
            DrawWithGdiplus(graphics, dc, hfont, rect, wide, color, flags);
        return;  // the graphics object is gone before GDI+ shuts down
    }
    if (graphics != nullptr) DrawWithGdiplus(graphics, dc, hfont, rect, wide, color, flags);
}

}  // namespace SkinUI
