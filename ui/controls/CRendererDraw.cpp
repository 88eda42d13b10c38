// CRenderer: bitmaps (nine-grid, tiling, fade), colours, gradients, lines, rectangles and
// colour adjustment.
//
// Sections:
//   1. Bitmaps
//   2. Colours and gradients
//   3. Lines and rectangles
//   4. Colour adjustment
#include <vector>

#include "ui/controls/BilinearStretch.h"
#include "ui/controls/CRenderer.h"
#include "ui/controls/ColorMath.h"
#include "ui/controls/DibSection.h"
#include "ui/controls/Msimg32.h"
#include "ui/controls/NineGrid.h"

namespace SkinUI {

namespace {

TRectI FromRect(const RECT& r) {
    return MakeRect(r.left, r.top, r.right, r.bottom);
}

// The blit's source stretched smoothly into a buffer the size of its visible part, blended
// pixel for pixel; false when the picture's pixels cannot be read (the caller blends as
// usual).
bool BlendSmoothly(HDC dc, HBITMAP bitmap, const TBlit& b, const TRectI& paint, BLENDFUNCTION bf,
                   AlphaBlendFn blend) {
    DIBSECTION section = {};
    if (::GetObjectA(bitmap, sizeof(section), &section) != sizeof(section) ||
        section.dsBm.bmBits == nullptr || section.dsBm.bmBitsPixel != 32) {
        return false;
    }
    const int width = section.dsBm.bmWidth;
    const int height = section.dsBm.bmHeight < 0 ? -section.dsBm.bmHeight : section.dsBm.bmHeight;
    const TRectI source = MakeRect(b.srcX, b.srcY, b.srcX + b.srcWidth, b.srcY + b.srcHeight);
    if (source.IsEmpty() || source.left < 0 || source.top < 0 || source.right > width ||
        source.bottom > height) {
        return false;
    }
    const TRectI visible = Intersect(b.dest, paint);
    if (visible.IsEmpty()) return true;
    uint32_t* bits = nullptr;
    UniqueBitmap buffer = CreateDib32(dc, visible.Width(), visible.Height(), &bits);
    if (!buffer) return false;
    // Rows of a bottom-up picture are read from the last one backwards.
    auto* first = static_cast<const uint32_t*>(section.dsBm.bmBits);
    int stride = section.dsBm.bmWidthBytes / 4;
    if (section.dsBmih.biHeight > 0) {
        first += static_cast<long long>(height - 1) * stride;
        stride = -stride;
    }
    ::GdiFlush();
    StretchBilinear(first, stride, source, b.dest.Width(), b.dest.Height(),
                    MakeRect(visible.left - b.dest.left, visible.top - b.dest.top,
                             visible.right - b.dest.left, visible.bottom - b.dest.top),
                    bits);
    UniqueMemoryDC mem(::CreateCompatibleDC(dc));
    if (!mem) return false;
    SelectGuard selected(mem.get(), buffer.get());
    blend(dc, visible.left, visible.top, visible.Width(), visible.Height(), mem.get(), 0, 0,
          visible.Width(), visible.Height(), bf);
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// 1. Bitmaps
// ---------------------------------------------------------------------------------------------

void CRenderer::DrawBitmap(HDC dc, HBITMAP bitmap, const RECT& dest, const RECT& paint,
                           const RECT& source, const RECT& corner, bool hasAlpha, BYTE fade,
                           bool hole, bool xtiled, bool ytiled, const RECT* destCorner,
                           bool smooth) {
    if (dc == nullptr || bitmap == nullptr) return;
    UniqueMemoryDC mem(::CreateCompatibleDC(dc));
    if (!mem) return;
    SelectGuard selected(mem.get(), bitmap);
    ::SetStretchBltMode(dc, HALFTONE);

    TNineGridInput in;
    in.dest = FromRect(dest);
    in.paint = FromRect(paint);
    in.source = FromRect(source);
    in.corner = FromRect(corner);
    if (destCorner != nullptr) in.destCorner = FromRect(*destCorner);
    in.hole = hole;
    in.xtiled = xtiled;
    in.ytiled = ytiled;
    in.opaque = !hasAlpha && fade == 255;
    const std::vector<TBlit> blits = LayoutNineGrid(in);

    if (!in.opaque) {
        AlphaBlendFn blend = Msimg32().alphaBlend;
        if (blend == nullptr) blend = RendererAlphaBlend;
        BLENDFUNCTION bf = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
        for (const TBlit& b : blits) {
            if (smooth && !b.SameSize() && BlendSmoothly(dc, bitmap, b, in.paint, bf, blend))
                continue;
            blend(dc, b.dest.left, b.dest.top, b.dest.Width(), b.dest.Height(), mem.get(), b.srcX,
                  b.srcY, b.srcWidth, b.srcHeight, bf);
        }
        return;
    }
    for (const TBlit& b : blits) {
        if (b.SameSize())
            ::BitBlt(dc, b.dest.left, b.dest.top, b.dest.Width(), b.dest.Height(), mem.get(),
                     b.srcX, b.srcY, SRCCOPY);
        else
            ::StretchBlt(dc, b.dest.left, b.dest.top, b.dest.Width(), b.dest.Height(), mem.get(),
                         b.srcX, b.srcY, b.srcWidth, b.srcHeight, SRCCOPY);
    }
}

// ---------------------------------------------------------------------------------------------
// 2. Colours and gradients
// ---------------------------------------------------------------------------------------------

void CRenderer::DrawColor(HDC dc, const RECT& rect, DWORD color) {
    const DWORD alpha = color >> 24;
    if (dc == nullptr || alpha == 0) return;
    if (alpha == 255) {
        const COLORREF old = ::SetBkColor(dc, ToColorRef(color));
        ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
        ::SetBkColor(dc, old);
        return;
    }
    // The blend expects premultiplied colour: an unpremultiplied pixel would come out too
    // bright (50% red over black would be full red).
    uint32_t* bits = nullptr;
    UniqueBitmap pixel = CreateDib32(dc, 1, 1, &bits);
    if (!pixel) return;
    uint32_t value = alpha << 24;
    for (int bit = 0; bit < 24; bit += 8) value |= (((color >> bit) & 0xFF) * alpha / 255) << bit;
    *bits = value;
    const RECT one = {0, 0, 1, 1};
    const RECT none = {0, 0, 0, 0};
    DrawBitmap(dc, pixel.get(), rect, rect, one, none, true, 255);
}

namespace {

void FillGradient(HDC dc, const TRectI& r, DWORD first, DWORD second, bool vertical, int steps) {
    if (GradientFillFn fill = Msimg32().gradientFill) {
        TRIVERTEX v[2] = {};
        v[0].x = r.left;
        v[0].y = r.top;
        v[0].Red = static_cast<COLOR16>(((first >> 16) & 0xFF) << 8);
        v[0].Green = static_cast<COLOR16>(((first >> 8) & 0xFF) << 8);
        v[0].Blue = static_cast<COLOR16>((first & 0xFF) << 8);
        v[0].Alpha = 0xFF00;
        v[1].x = r.right;
        v[1].y = r.bottom;
        v[1].Red = static_cast<COLOR16>(((second >> 16) & 0xFF) << 8);
        v[1].Green = static_cast<COLOR16>(((second >> 8) & 0xFF) << 8);
        v[1].Blue = static_cast<COLOR16>((second & 0xFF) << 8);
        v[1].Alpha = 0xFF00;
        GRADIENT_RECT gr = {0, 1};
        fill(dc, v, 2, &gr, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
        return;
    }
    for (const TGradientBand& band : GradientBands(r, first, second, vertical, steps)) {
        UniqueBrush brush(::CreateSolidBrush(ToColorRef(band.rgb)));
        if (!brush) continue;
        const RECT rc = {band.rect.left, band.rect.top, band.rect.right, band.rect.bottom};
        ::FillRect(dc, &rc, brush.get());
    }
}

}  // namespace

void CRenderer::DrawGradient(HDC dc, const RECT& rect, DWORD first, DWORD second, bool vertical,
                             int steps) {
    const DWORD alpha = ((first >> 24) + (second >> 24)) / 2;
    if (dc == nullptr || alpha == 0) return;
    const TRectI r = FromRect(rect);
    if (alpha == 255) {
        FillGradient(dc, r, first, second, vertical, steps);
        return;
    }
    if (r.IsEmpty()) return;
    UniqueMemoryDC mem(::CreateCompatibleDC(dc));
    uint32_t* bits = nullptr;
    UniqueBitmap surface = CreateDib32(dc, r.Width(), r.Height(), &bits);
    if (!mem || !surface) return;
    SelectGuard selected(mem.get(), surface.get());
    FillGradient(mem.get(), MakeRect(0, 0, r.Width(), r.Height()), first, second, vertical, steps);
    // Constant alpha only: the fills leave the surface's alpha bytes undefined, and a per-pixel
    // blend of alpha-0 pixels would add the gradient onto the background instead of mixing.
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0};
    AlphaBlendFn blend = Msimg32().alphaBlend;
    if (blend == nullptr) blend = RendererAlphaBlend;
    blend(dc, r.left, r.top, r.Width(), r.Height(), mem.get(), 0, 0, r.Width(), r.Height(), bf);
}

// ---------------------------------------------------------------------------------------------
// 3. Lines and rectangles
// ---------------------------------------------------------------------------------------------

void CRenderer::DrawLine(HDC dc, const RECT& rect, int width, DWORD color, int style) {
    if (dc == nullptr) return;
    LOGPEN lp = {};
    lp.lopnStyle = static_cast<UINT>(style);
    lp.lopnWidth.x = width;
    lp.lopnColor = ToColorRef(color);
    UniquePen pen(::CreatePenIndirect(&lp));
    if (!pen) return;
    SelectGuard selected(dc, pen.get());
    ::MoveToEx(dc, rect.left, rect.top, nullptr);
    ::LineTo(dc, rect.right, rect.bottom);
}

void CRenderer::DrawRect(HDC dc, const RECT& rect, int width, DWORD color) {
    if (dc == nullptr) return;
    UniquePen pen(::CreatePen(PS_INSIDEFRAME, width, ToColorRef(color)));
    if (!pen) return;
    SelectGuard selectedPen(dc, pen.get());
    SelectGuard selectedBrush(dc, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void CRenderer::DrawRoundRect(HDC dc, const RECT& rect, int width, int cornerWidth,
                              int cornerHeight, DWORD color) {
    if (dc == nullptr) return;
    UniquePen pen(::CreatePen(PS_INSIDEFRAME, width, ToColorRef(color)));
    if (!pen) return;
    SelectGuard selectedPen(dc, pen.get());
    SelectGuard selectedBrush(dc, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, cornerWidth, cornerHeight);
}

// ---------------------------------------------------------------------------------------------
// 4. Colour adjustment
// ---------------------------------------------------------------------------------------------

DWORD CRenderer::AdjustColor(DWORD color, short hue, short saturation, short lightness) {
    return SkinUI::AdjustColor(color, hue, saturation, lightness);
}

}  // namespace SkinUI
