// CRenderer drawing: image descriptors, bitmaps (nine-grid, tiling, fade), colours,
// gradients, lines and frames, colour adjustment and clip regions.
//
//   1. msimg32 entry points and the fallback blend
//   2. Clip regions
//   3. Image descriptors
//   4. Bitmaps
//   5. Colours, gradients, lines, frames
//   6. Colour adjustment
#include "ui/controls/CRenderer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ui/core/CWindowManagerUI.h"
#include "ui/core/ProcAddress.h"

namespace SkinUI {

namespace {

// ---------------------------------------------------------------------------------------------
// 1. msimg32 entry points and the fallback blend
// ---------------------------------------------------------------------------------------------

using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// Looked up once; the manager loads msimg32.dll, so only the module handle is needed here.
template <class Fn>
Fn Msimg32(const char* name) {
    return ProcAddress<Fn>(::GetModuleHandleA("msimg32.dll"), name);
}

AlphaBlendFn AlphaBlendEntry() {
    static const AlphaBlendFn fn = Msimg32<AlphaBlendFn>("AlphaBlend");
    return fn;
}

GradientFillFn GradientFillEntry() {
    static const GradientFillFn fn = Msimg32<GradientFillFn>("GradientFill");
    return fn;
}

HBITMAP CreateDib32(HDC dc, int width, int height, void** bits) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = static_cast<DWORD>(width) * height * 4;
    return ::CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, bits, nullptr, 0);
}

// Used when msimg32 offers no AlphaBlend.
bool OwnAlphaBlend(HDC dest, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw,
                   int sh, BLENDFUNCTION blend) {
    if (dw <= 0 || dh <= 0) return true;
    UniqueMemoryDC temp(::CreateCompatibleDC(dest));
    if (!temp) return false;
    void* srcBits = nullptr;
    void* dstBits = nullptr;
    UniqueBitmap srcBitmap(CreateDib32(dest, dw, dh, &srcBits));
    UniqueBitmap dstBitmap(CreateDib32(dest, dw, dh, &dstBits));
    if (!srcBitmap || !dstBitmap || srcBits == nullptr || dstBits == nullptr) return false;
    {
        SelectGuard select(temp.get(), srcBitmap.get());
        ::StretchBlt(temp.get(), 0, 0, dw, dh, src, sx, sy, sw, sh, SRCCOPY);
    }
    SelectGuard select(temp.get(), dstBitmap.get());
    ::BitBlt(temp.get(), 0, 0, dw, dh, dest, dx, dy, SRCCOPY);
    auto* s = static_cast<unsigned char*>(srcBits);
    auto* d = static_cast<unsigned char*>(dstBits);
    for (int i = 0; i < dw * dh; ++i, s += 4, d += 4) {
        double x = blend.SourceConstantAlpha * s[3] / 255.0 / 255.0;
        if (x < 0) x = 0;
        for (int c = 0; c < 3; ++c) {
            d[c] = static_cast<unsigned char>(s[c] * x + d[c] * (1 - x));
        }
    }
    ::BitBlt(dest, dx, dy, dw, dh, temp.get(), 0, 0, SRCCOPY);
    return true;
}

bool Blend(HDC dest, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw, int sh,
           BLENDFUNCTION blend) {
    if (AlphaBlendFn fn = AlphaBlendEntry()) {
        return fn(dest, dx, dy, dw, dh, src, sx, sy, sw, sh, blend) != FALSE;
    }
    return OwnAlphaBlend(dest, dx, dy, dw, dh, src, sx, sy, sw, sh, blend);
}

COLORREF GdiColor(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

bool Meets(const RECT& a, const RECT& b) {
    RECT tmp;
    return ::IntersectRect(&tmp, &a, &b) != FALSE;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// 2. Clip regions
// ---------------------------------------------------------------------------------------------

CRenderClip::~CRenderClip() {
    if (dc_ != nullptr) ::SelectClipRgn(dc_, outer_.get());
}

void CRenderClip::GenerateClip(HDC dc, const RECT& rect, CRenderClip& clip) {
    RECT box = {};
    ::GetClipBox(dc, &box);
    clip.dc_ = dc;
    clip.outer_.reset(::CreateRectRgnIndirect(&box));
    clip.inner_.reset(::CreateRectRgnIndirect(&rect));
    ::ExtSelectClipRgn(dc, clip.inner_.get(), RGN_AND);
}

void CRenderClip::GenerateRoundClip(HDC dc, const RECT& paint, const RECT& round, int width,
                                    int height, CRenderClip& clip) {
    RECT box = {};
    ::GetClipBox(dc, &box);
    clip.dc_ = dc;
    clip.outer_.reset(::CreateRectRgnIndirect(&box));
    clip.inner_.reset(::CreateRectRgnIndirect(&paint));
    UniqueRegion rounded(::CreateRoundRectRgn(round.left, round.top, round.right + 1,
                                              round.bottom + 1, width, height));
    ::CombineRgn(clip.inner_.get(), clip.inner_.get(), rounded.get(), RGN_AND);
    ::ExtSelectClipRgn(dc, clip.inner_.get(), RGN_AND);
}

void CRenderClip::UseOuterClip() {
    ::SelectClipRgn(dc_, outer_.get());
}
void CRenderClip::UseInnerClip() {
    ::SelectClipRgn(dc_, inner_.get());
}

// ---------------------------------------------------------------------------------------------
// 3. Image descriptors
// ---------------------------------------------------------------------------------------------

namespace {

struct DescriptorState {
    std::string name;
    std::string type;
    RECT dest;
    RECT source = {0, 0, 0, 0};
    RECT corner = {0, 0, 0, 0};
    DWORD mask = 0;
    BYTE fade = 255;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
    bool gray = false;
    int count = 0;
};

bool IsBlank(char c) {
    return c >= 1 && c <= 32;
}

void SkipBlanks(const char*& p) {
    while (IsBlank(*p)) p = ::CharNextA(p);
}

RECT ReadFour(const std::string& value) {
    LONG v[4] = {0, 0, 0, 0};
    const char* p = value.c_str();
    for (LONG& out : v) {
        char* end = nullptr;
        out = std::strtol(p, &end, 10);
        p = end;
        if (*p != '\0') ++p;
    }
    return RECT{v[0], v[1], v[2], v[3]};
}

class DescriptorPainter {
public:
    DescriptorPainter(HDC dc, CWindowManagerUI* manager, const RECT& bounds, const RECT& paint,
                      LPCSTR descriptor)
        : dc_(dc), manager_(manager), bounds_(bounds), paint_(paint) {
        state_.name = descriptor;
        state_.dest = bounds;
    }

    void Parse(LPCSTR text) {
        const char* p = text;
        while (*p != '\0') {
            SkipBlanks(p);
            std::string key;
            while (*p != '\0' && *p != '=' && !IsBlank(*p) &&
                   static_cast<unsigned char>(*p) < 128) {
                key += *p++;
            }
            SkipBlanks(p);
            if (*p != '=') return;
            ++p;
            SkipBlanks(p);
            if (*p != '\'') return;
            ++p;
            std::string value;
            while (*p != '\0' && *p != '\'') {
                const char* next = ::CharNextA(p);
                value.append(p, next);
                p = next;
            }
            if (*p != '\'') return;
            ++p;
            Apply(key, value);
            if (p[0] != ' ' || p[1] == '\0') return;
            ++p;
        }
    }

    void DrawPending() { Draw(); }

private:
    void Apply(const std::string& key, const std::string& value) {
        if (value.empty()) return;
        if (key == "file" || key == "res") {
            if (state_.count > 0) Draw();
            state_.name = value;
            if (key == "file") ++state_.count;
        } else if (key == "restype") {
            if (state_.count > 0) Draw();
            state_.type = value;
            ++state_.count;
        } else if (key == "dest") {
            const RECT v = ReadFour(value);
            state_.dest = RECT{bounds_.left + v.left, bounds_.top + v.top,
                               std::min(bounds_.right, bounds_.left + v.right),
                               std::min(bounds_.bottom, bounds_.top + v.bottom)};
        } else if (key == "source") {
            state_.source = ReadFour(value);
        } else if (key == "corner") {
            state_.corner = ReadFour(value);
        } else if (key == "mask") {
            const char* v = value.c_str();
            if (*v == '#') ++v;
            state_.mask = static_cast<DWORD>(std::strtoul(v, nullptr, 16));
        } else if (key == "fade") {
            state_.fade = static_cast<BYTE>(std::strtol(value.c_str(), nullptr, 10));
        } else if (key == "hole") {
            state_.hole = value == "true";
        } else if (key == "xtiled") {
            state_.xtiled = value == "true";
        } else if (key == "ytiled") {
            state_.ytiled = value == "true";
        } else if (key == "gray") {
            state_.gray = value == "true";
        }
    }

    void Draw() {
        CRenderer::DrawImageFile(dc_, manager_, bounds_, paint_, state_.name,
                                 state_.type.empty() ? nullptr : state_.type.c_str(), state_.dest,
                                 state_.source, state_.corner, state_.mask, state_.fade,
                                 state_.hole, state_.xtiled, state_.ytiled, state_.gray);
    }

    HDC dc_;
    CWindowManagerUI* manager_;
    RECT bounds_;
    RECT paint_;
    DescriptorState state_;
};

}  // namespace

bool CRenderer::DrawImageString(HDC dc, CWindowManagerUI* manager, const RECT& bounds,
                                const RECT& paint, LPCSTR descriptor, LPCSTR modifier) {
    if (dc == nullptr || manager == nullptr) return false;
    DescriptorPainter painter(dc, manager, bounds, paint, descriptor != nullptr ? descriptor : "");
    painter.Parse(descriptor != nullptr ? descriptor : "");
    if (modifier != nullptr) painter.Parse(modifier);
    painter.DrawPending();
    return true;
}

bool CRenderer::DrawImageFile(HDC dc, CWindowManagerUI* manager, const RECT& bounds,
                              const RECT& paint, const std::string& name, LPCSTR type,
                              const RECT& dest, const RECT& source, const RECT& corner, DWORD mask,
                              BYTE fade, bool hole, bool xtiled, bool ytiled, bool gray) {
    if (name.empty() || manager == nullptr) return false;
    const TImageInfo* image = manager->GetImageOrLoad(name, type, mask, gray);
    if (image == nullptr) return false;
    RECT src = source;
    if (src.left == 0 && src.top == 0 && src.right == 0 && src.bottom == 0) {
        src = RECT{0, 0, image->width, image->height};
    }
    if (src.right > image->width) src.right = image->width;
    if (src.bottom > image->height) src.bottom = image->height;
    if (!Meets(dest, bounds) || !Meets(dest, paint)) return true;
    DrawBitmap(dc, image->bitmap.get(), dest, paint, src, corner, image->hasAlpha, fade, hole,
               xtiled, ytiled);
    return true;
}

// ---------------------------------------------------------------------------------------------
// 4. Bitmaps
// ---------------------------------------------------------------------------------------------

namespace {

// Copies one piece of the picture: blended on the alpha path, stretched (or copied when the
// sizes agree) on the opaque path.
struct PieceCopier {
    HDC dest;
    HDC source;
    bool alphaPath;
    BLENDFUNCTION blend;

    void operator()(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) const {
        if (alphaPath) {
            Blend(dest, dx, dy, dw, dh, source, sx, sy, sw, sh, blend);
        } else if (dw == sw && dh == sh) {
            ::BitBlt(dest, dx, dy, dw, dh, source, sx, sy, SRCCOPY);
        } else {
            ::StretchBlt(dest, dx, dy, dw, dh, source, sx, sy, sw, sh, SRCCOPY);
        }
    }
};

}  // namespace

void CRenderer::DrawBitmap(HDC dc, HBITMAP bitmap, const RECT& R, const RECT& P, const RECT& S,
                           const RECT& C, bool alpha, BYTE fade, bool hole, bool xtiled,
                           bool ytiled) {
    if (bitmap == nullptr) return;
    UniqueMemoryDC memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    SelectGuard select(memory.get(), bitmap);
    ::SetStretchBltMode(dc, HALFTONE);

    BLENDFUNCTION blend = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
    const bool alphaPath = alpha || fade < 255;
    const PieceCopier copy{dc, memory.get(), alphaPath, blend};

    const int rw = R.right - R.left, rh = R.bottom - R.top;
    const int sw0 = S.right - S.left, sh0 = S.bottom - S.top;
    const bool noCorners = C.left == 0 && C.top == 0 && C.right == 0 && C.bottom == 0;

    if (!alphaPath && rw == sw0 && rh == sh0 && noCorners) {
        // The common case of an opaque picture at its own size: one copy of the visible part.
        RECT visible;
        if (::IntersectRect(&visible, &P, &R)) {
            ::BitBlt(dc, visible.left, visible.top, visible.right - visible.left,
                     visible.bottom - visible.top, memory.get(), S.left + (visible.left - R.left),
                     S.top + (visible.top - R.top), SRCCOPY);
        }
        return;
    }

    // Middle.
    const int sw = sw0 - C.left - C.right;
    const int sh = sh0 - C.top - C.bottom;
    const RECT M = {R.left + C.left, R.top + C.top, R.right - C.right, R.bottom - C.bottom};
    if (!hole && Meets(M, P)) {
        const int mw = M.right - M.left, mh = M.bottom - M.top;
        const int sx = S.left + C.left, sy = S.top + C.top;
        if (!xtiled && !ytiled) {
            copy(M.left, M.top, mw, mh, sx, sy, sw, sh);
        } else if (xtiled && ytiled) {
            if (sw > 0 && sh > 0) {
                for (int y = 0; y < mh; y += sh) {
                    const int h = std::min(sh, mh - y);
                    for (int x = 0; x < mw; x += sw) {
                        const int w = std::min(sw, mw - x);
                        copy(M.left + x, M.top + y, w, h, sx, sy, w, h);
                    }
                }
            }
        } else if (xtiled) {
            if (sw > 0) {
                for (int x = 0; x < mw; x += sw) {
                    const int w = std::min(sw, mw - x);
                    copy(M.left + x, M.top, w, mh, sx, sy, w, sh);
                }
            }
        } else if (sh > 0) {
            for (int y = 0; y < mh; y += sh) {
                const int h = std::min(sh, mh - y);
                copy(M.left, M.top + y, mw, h, sx, sy, sw, h);
            }
        }
    }

    // The eight border pieces: corners at their own size, edges stretched along their length.
    struct Piece {
        RECT dest;
        int sx, sy, sw, sh;
    };
    const int ew = rw - C.left - C.right, eh = rh - C.top - C.bottom;
    const Piece pieces[] = {
        {{R.left, R.top, R.left + C.left, R.top + C.top}, S.left, S.top, C.left, C.top},
        {{R.left + C.left, R.top, R.left + C.left + ew, R.top + C.top},
         S.left + C.left,
         S.top,
         sw,
         C.top},
        {{R.right - C.right, R.top, R.right, R.top + C.top},
         S.right - C.right,
         S.top,
         C.right,
         C.top},
        {{R.left, R.top + C.top, R.left + C.left, R.top + C.top + eh},
         S.left,
         S.top + C.top,
         C.left,
         sh},
        {{R.right - C.right, R.top + C.top, R.right, R.top + C.top + eh},
         S.right - C.right,
         S.top + C.top,
         C.right,
         sh},
        {{R.left, R.bottom - C.bottom, R.left + C.left, R.bottom},
         S.left,
         S.bottom - C.bottom,
         C.left,
         C.bottom},
        {{R.left + C.left, R.bottom - C.bottom, R.left + C.left + ew, R.bottom},
         S.left + C.left,
         S.bottom - C.bottom,
         sw,
         C.bottom},
        {{R.right - C.right, R.bottom - C.bottom, R.right, R.bottom},
         S.right - C.right,
         S.bottom - C.bottom,
         C.right,
         C.bottom},
    };
    for (const Piece& piece : pieces) {
        const int dw = piece.dest.right - piece.dest.left;
        const int dh = piece.dest.bottom - piece.dest.top;
        if (dw <= 0 || dh <= 0 || piece.sw <= 0 || piece.sh <= 0) continue;
        if (!Meets(piece.dest, P)) continue;
        copy(piece.dest.left, piece.dest.top, dw, dh, piece.sx, piece.sy, piece.sw, piece.sh);
    }
}

// ---------------------------------------------------------------------------------------------
// 5. Colours, gradients, lines, frames
// ---------------------------------------------------------------------------------------------

void CRenderer::DrawColor(HDC dc, const RECT& rect, DWORD color) {
    const DWORD alpha = color >> 24;
    if (alpha == 0) return;
    if (alpha == 255) {
        const COLORREF previous = ::SetBkColor(dc, GdiColor(color));
        ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
        ::SetBkColor(dc, previous);
        return;
    }
    void* bits = nullptr;
    UniqueBitmap pixel(CreateDib32(dc, 1, 1, &bits));
    if (!pixel || bits == nullptr) return;
    // The blend expects premultiplied pixels: an unmultiplied colour would overflow its
    // channels (half-transparent red over white would come out dark cyan).
    const DWORD a = alpha;
    const DWORD premultiplied = (a << 24) | ((((color >> 16) & 0xFF) * a / 255) << 16) |
                                ((((color >> 8) & 0xFF) * a / 255) << 8) |
                                ((color & 0xFF) * a / 255);
    std::memcpy(bits, &premultiplied, 4);
    const RECT one = {0, 0, 1, 1};
    const RECT none = {0, 0, 0, 0};
    DrawBitmap(dc, pixel.get(), rect, rect, one, none, true, 255);
}

void CRenderer::DrawGradient(HDC dc, const RECT& rect, DWORD first, DWORD second, bool vertical,
                             int steps) {
    const int alpha = static_cast<int>(((first >> 24) + (second >> 24)) / 2);
    if (alpha == 0) return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;

    HDC target = dc;
    RECT area = rect;
    UniqueMemoryDC memory;
    UniqueBitmap surface;
    std::unique_ptr<SelectGuard> select;
    if (alpha < 255) {
        memory.reset(::CreateCompatibleDC(dc));
        surface.reset(::CreateCompatibleBitmap(dc, width, height));
        if (!memory || !surface) return;
        select = std::make_unique<SelectGuard>(memory.get(), surface.get());
        target = memory.get();
        area = RECT{0, 0, width, height};
    }

    if (GradientFillFn fill = GradientFillEntry()) {
        TRIVERTEX v[2] = {};
        v[0].x = area.left;
        v[0].y = area.top;
        v[0].Red = static_cast<COLOR16>(((first >> 16) & 0xFF) << 8);
        v[0].Green = static_cast<COLOR16>(((first >> 8) & 0xFF) << 8);
        v[0].Blue = static_cast<COLOR16>((first & 0xFF) << 8);
        v[0].Alpha = 0xFF00;
        v[1].x = area.right;
        v[1].y = area.bottom;
        v[1].Red = static_cast<COLOR16>(((second >> 16) & 0xFF) << 8);
        v[1].Green = static_cast<COLOR16>(((second >> 8) & 0xFF) << 8);
        v[1].Blue = static_cast<COLOR16>((second & 0xFF) << 8);
        v[1].Alpha = 0xFF00;
        GRADIENT_RECT gr = {0, 1};
        fill(target, v, 2, &gr, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    } else {
        int shift = 6;
        if (steps < 4) {
            shift = 1;
        } else if (steps < 8) {
            shift = 2;
        } else if (steps < 16) {
            shift = 3;
        } else if (steps < 32) {
            shift = 4;
        } else if (steps < 64) {
            shift = 5;
        }
        const int n = 1 << shift;
        const int length = vertical ? height : width;
        for (int i = 0; i < n; ++i) {
            auto channel = [&](int bit) {
                const DWORD a = (first >> bit) & 0xFF, b = (second >> bit) & 0xFF;
                return static_cast<BYTE>((a * i + b * (n - i)) >> shift);
            };
            RECT band = area;
            const int from = (length * (i + 1)) >> shift;
            const int to = (length * i) >> shift;
            if (vertical) {
                band.top = area.bottom - from;
                band.bottom = area.bottom - to;
            } else {
                band.left = area.right - from;
                band.right = area.right - to;
            }
            if (::IsRectEmpty(&band)) continue;
            UniqueBrush brush(::CreateSolidBrush(RGB(channel(16), channel(8), channel(0))));
            ::FillRect(target, &band, brush.get());
        }
    }

    if (alpha < 255) {
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(alpha), AC_SRC_ALPHA};
        Blend(dc, rect.left, rect.top, width, height, memory.get(), 0, 0, width, height, blend);
    }
}

void CRenderer::DrawLine(HDC dc, const RECT& rect, int width, DWORD color, int style) {
    LOGPEN lp = {};
    lp.lopnStyle = static_cast<UINT>(style);
    lp.lopnWidth.x = width;
    lp.lopnColor = GdiColor(color);
    UniquePen pen(::CreatePenIndirect(&lp));
    SelectGuard select(dc, pen.get());
    ::MoveToEx(dc, rect.left, rect.top, nullptr);
    ::LineTo(dc, rect.right, rect.bottom);
}

void CRenderer::DrawRect(HDC dc, const RECT& rect, int width, DWORD color) {
    UniquePen pen(::CreatePen(PS_INSIDEFRAME, width, GdiColor(color)));
    SelectGuard selectPen(dc, pen.get());
    SelectGuard selectBrush(dc, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void CRenderer::DrawRoundRect(HDC dc, const RECT& rect, int width, int cornerWidth,
                              int cornerHeight, DWORD color) {
    UniquePen pen(::CreatePen(PS_INSIDEFRAME, width, GdiColor(color)));
    SelectGuard selectPen(dc, pen.get());
    SelectGuard selectBrush(dc, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, cornerWidth, cornerHeight);
}

// ---------------------------------------------------------------------------------------------
// 6. Colour adjustment
// ---------------------------------------------------------------------------------------------

namespace {

void RgbToHsl(DWORD color, float& h, float& s, float& l) {
    const float r = static_cast<float>(color & 0xFF) / 255.0f;
    const float g = static_cast<float>((color >> 8) & 0xFF) / 255.0f;
    const float b = static_cast<float>((color >> 16) & 0xFF) / 255.0f;
    const float mx = std::max({r, g, b});
    const float mn = std::min({r, g, b});
    l = (mx + mn) / 2.0f;
    if (mx == mn) {
        h = 0.0f;
        s = 0.0f;
        return;
    }
    const float d = mx - mn;
    s = l <= 0.5f ? d / (mx + mn) : d / (2.0f - mx - mn);
    if (mn == b) {
        h = 60.0f * (3.0f - (g - r) / d);
    } else if (mn == g) {
        h = 60.0f * (5.0f - (r - b) / d);
    } else {
        h = 60.0f * (1.0f - (b - g) / d);
    }
    if (h >= 360.0f) h -= 360.0f;
}

float HueChannel(float p, float q, float t) {
    if (t < 0.0f) t += 1.0f;
    if (t > 1.0f) t -= 1.0f;
    if (t < 1.0f / 6.0f) return p + (q - p) * 6.0f * t;
    if (t < 0.5f) return q;
    if (t < 2.0f / 3.0f) return p + (q - p) * (2.0f / 3.0f - t) * 6.0f;
    return p;
}

DWORD ToByte(float v) {
    float scaled = v * 255.0f;
    if (scaled < 0.0f) scaled = 0.0f;
    if (scaled > 255.0f) scaled = 255.0f;
    return static_cast<DWORD>(scaled);
}

}  // namespace

DWORD CRenderer::AdjustColor(DWORD color, short hue, short saturation, short lightness) {
    if (hue == 180 && saturation == 100 && lightness == 100) return color;
    float h, s, l;
    RgbToHsl(color, h, s, l);
    h += static_cast<float>(hue - 180);
    if (h <= 0.0f) h += 360.0f;
    s = s * saturation / 100.0f;
    l = l * lightness / 100.0f;
    float c0, c1, c2;
    if (s == 0.0f) {
        c0 = c1 = c2 = l;
    } else {
        const float q = 2.0f * l < 1.0f ? l * (1.0f + s) : l + s - l * s;
        const float p = 2.0f * l - q;
        const float t = h / 360.0f;
        c0 = HueChannel(p, q, t + 1.0f / 3.0f);
        c1 = HueChannel(p, q, t);
        c2 = HueChannel(p, q, t - 1.0f / 3.0f);
    }
    return (color & 0xFF000000) | ToByte(c0) | (ToByte(c1) << 8) | (ToByte(c2) << 16);
}

}  // namespace SkinUI
