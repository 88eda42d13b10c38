// CLabelUI's effect mode: anti-aliased text through GDI+ with a gradient text brush, an
// optional four-way outline (stroke) and an optional gradient shadow.
// WIN32_LEAN_AND_MEAN leaves out the COM declarations GDI+ needs.
#include <objidl.h>
#include <windows.h>

#include <gdiplus.h>

#include <string>

#include "ui/controls/CLabelUI.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// Owners for the flat-API objects of one paint; the graphics object goes last.
struct TEffectObjects {
    GpGraphics* graphics = nullptr;
    GpFont* font = nullptr;
    GpStringFormat* format = nullptr;
    GpBrush* shadow = nullptr;
    GpBrush* text = nullptr;
    GpBrush* stroke = nullptr;
    ~TEffectObjects() {
        if (stroke != nullptr) GdipDeleteBrush(stroke);
        if (text != nullptr) GdipDeleteBrush(text);
        if (shadow != nullptr) GdipDeleteBrush(shadow);
        if (format != nullptr) GdipDeleteStringFormat(format);
        if (font != nullptr) GdipDeleteFont(font);
        if (graphics != nullptr) GdipDeleteGraphics(graphics);
    }
};

ARGB WithAlpha(int alpha, DWORD color) {
    return (static_cast<ARGB>(alpha) << 24) | (color & 0xFFFFFF);
}

// A linear gradient between two points; when the points coincide (an empty text area with
// no gradient angle) GDI+ refuses the gradient, and the first colour is used plain instead.
GpBrush* GradientBrush(REAL x1, REAL y1, REAL x2, REAL y2, ARGB first, ARGB second) {
    const PointF from(x1, y1);
    const PointF to(x2, y2);
    GpLineGradient* line = nullptr;
    if (GdipCreateLineBrush(&from, &to, first, second, WrapModeTile, &line) == Ok) return line;
    GpSolidFill* solid = nullptr;
    if (GdipCreateSolidFill(first, &solid) == Ok) return solid;
    return nullptr;
}

std::wstring ToWide(const std::string& text) {
    const int n = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(),
                                        static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), &w[0], n);
    return w;
}

}  // namespace

void CLabelUI::PaintEffectText(HDC dc, const RECT& rect) {
    if (dc == nullptr || gdiplusToken_ == 0) return;
    const std::wstring text = ToWide(effectText_);
    if (text.empty()) return;

    TEffectObjects gp;
    if (GdipCreateFromHDC(dc, &gp.graphics) != Ok) return;

    HFONT hfont = manager_ != nullptr ? manager_->GetFont(font_) : nullptr;
    if (hfont == nullptr) hfont = static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
    LOGFONTA lf = {};
    if (::GetObjectA(hfont, sizeof lf, &lf) == 0) return;
    if (GdipCreateFontFromLogfontA(dc, &lf, &gp.font) != Ok) return;

    GdipSetTextRenderingHint(gp.graphics, static_cast<TextRenderingHint>(renderingHint_));
    if (GdipCreateStringFormat(0, LANG_NEUTRAL, &gp.format) != Ok) return;
    GdipSetStringFormatAlign(gp.format, static_cast<StringAlignment>(effectHAlign_));
    GdipSetStringFormatLineAlign(gp.format, static_cast<StringAlignment>(effectVAlign_));

    const REAL height = static_cast<REAL>(rect.bottom - rect.top);
    const RectF layout(static_cast<REAL>(rect.left), static_cast<REAL>(rect.top),
                       static_cast<REAL>(rect.right - rect.left), height);
    const RectF shadowRect(layout.X + shadowOffsetX_, layout.Y + shadowOffsetY_, layout.Width,
                           layout.Height);
    const REAL length = gradientLength_ != 0 ? static_cast<REAL>(gradientLength_) : height;
    const REAL angle = static_cast<REAL>(gradientAngle_);

    gp.shadow = GradientBrush(
        angle, 0, 0, length, WithAlpha(shadowAlpha1_, shadowColorA_),
        WithAlpha(shadowAlpha2_, shadowColorB_ == 0xFFFFFFFF ? shadowColorA_ : shadowColorB_));
    gp.text =
        GradientBrush(angle, 0, 0, length, WithAlpha(textAlpha1_, textColor_),
                      WithAlpha(textAlpha2_, textColor2_ == 0xFFFFFFFF ? textColor_ : textColor2_));
    const INT count = static_cast<INT>(text.size());

    if (strokeEnabled_ && strokeColor_ != 0) {
        const ARGB stroke = WithAlpha(strokeAlpha_, strokeColor_);
        gp.stroke = GradientBrush(angle, 0, 0, height + 2, stroke, stroke);
        if (gp.stroke != nullptr) {
            static const REAL kMoves[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            for (const auto& move : kMoves) {
                const RectF moved(layout.X + move[0], layout.Y + move[1], layout.Width,
                                  layout.Height);
                GdipDrawString(gp.graphics, text.c_str(), count, gp.font, &moved, gp.format,
                               gp.stroke);
            }
        }
    }
    if (shadowEnabled_ && (shadowColorA_ != 0 || shadowColorB_ != 0) && gp.shadow != nullptr) {
        GdipDrawString(gp.graphics, text.c_str(), count, gp.font, &shadowRect, gp.format,
                       gp.shadow);
    }
    if (gp.text != nullptr) {
        GdipDrawString(gp.graphics, text.c_str(), count, gp.font, &layout, gp.format, gp.text);
    }
}

}  // namespace SkinUI
