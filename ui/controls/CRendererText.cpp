// CRenderer text: anti-aliased text through GDI+ with the manager's fonts. The caller's
// process must have started GDI+ (every label does, in its constructor).
#include <objidl.h>

#include <gdiplus.h>

#include <string>

#include "ui/controls/CRenderer.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

namespace {

namespace gp = Gdiplus::DllExports;

std::wstring Widen(LPCSTR text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<std::size_t>(length - 1));  // without the terminator
    return wide;
}

}  // namespace

void CRenderer::DrawText(HDC dc, CWindowManagerUI* manager, const RECT& rect, LPCSTR text,
                         DWORD color, int font, UINT style) {
    if (text == nullptr || manager == nullptr) return;
    ::SetBkMode(dc, TRANSPARENT);

    Gdiplus::GpGraphics* graphics = nullptr;
    if (gp::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok) return;

    Gdiplus::GpFont* gdipFont = nullptr;
    LOGFONTA lf = {};
    HFONT handle = manager->GetFont(font);
    if (handle != nullptr && ::GetObjectA(handle, sizeof(lf), &lf) != 0) {
        gp::GdipCreateFontFromLogfontA(dc, &lf, &gdipFont);
    } else {
        gp::GdipCreateFontFromDC(dc, &gdipFont);
    }

    Gdiplus::GpStringFormat* format = nullptr;
    gp::GdipCreateStringFormat(0, LANG_NEUTRAL, &format);
    Gdiplus::StringAlignment align = Gdiplus::StringAlignmentNear;
    Gdiplus::StringAlignment lineAlign = Gdiplus::StringAlignmentNear;
    if ((style & DT_CENTER) != 0) align = Gdiplus::StringAlignmentCenter;
    if ((style & DT_RIGHT) != 0) align = Gdiplus::StringAlignmentFar;
    if ((style & DT_VCENTER) != 0) lineAlign = Gdiplus::StringAlignmentCenter;
    if ((style & DT_BOTTOM) != 0) lineAlign = Gdiplus::StringAlignmentFar;
    if (format != nullptr) {
        gp::GdipSetStringFormatAlign(format, align);
        gp::GdipSetStringFormatLineAlign(format, lineAlign);
        if ((style & DT_END_ELLIPSIS) != 0) {
            gp::GdipSetStringFormatTrimming(format, Gdiplus::StringTrimmingEllipsisCharacter);
        }
        if ((style & DT_SINGLELINE) != 0) {
            gp::GdipSetStringFormatFlags(format, Gdiplus::StringFormatFlagsNoWrap);
        }
    }

    // The brush is always opaque: the colour's alpha byte is not used for text.
    Gdiplus::GpSolidFill* brush = nullptr;
    gp::GdipCreateSolidFill(0xFF000000 | (color & 0x00FFFFFF), &brush);

    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rect.left),
                                static_cast<Gdiplus::REAL>(rect.top),
                                static_cast<Gdiplus::REAL>(rect.right - rect.left),
                                static_cast<Gdiplus::REAL>(rect.bottom - rect.top));
    const std::wstring wide = Widen(text);
    if (gdipFont != nullptr && format != nullptr && brush != nullptr && !wide.empty()) {
        gp::GdipDrawString(graphics, wide.c_str(), static_cast<INT>(wide.size()), gdipFont, &layout,
                           format, brush);
    }

    if (brush != nullptr) gp::GdipDeleteBrush(brush);
    if (format != nullptr) gp::GdipDeleteStringFormat(format);
    if (gdipFont != nullptr) gp::GdipDeleteFont(gdipFont);
    gp::GdipDeleteGraphics(graphics);
}

}  // namespace SkinUI
