// Plain rectangle arithmetic shared by the renderer's window-free logic. Kept free of
// <windows.h> so the same code builds natively for the sanitizer runs; the Windows side
// converts to and from RECT at its edges.
#pragma once

namespace SkinUI {

// A coordinate computed in 64 bits from skin values, stopped at the ends of the int range.
inline int SaturateInt(long long value) {
    if (value > 2147483647LL) return 2147483647;
    if (value < -2147483647LL - 1) return -2147483647 - 1;
    return static_cast<int>(value);
}

struct TRectI {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const TRectI& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const TRectI& o) const { return !(*this == o); }
};

// A length in pixels of `from` DPI in pixels of `to` DPI, rounded half away from zero as
// MulDiv rounds (541 at 96 is 812 at 144), computed in 64 bits so no skin value overflows.
inline int ScaleForDpi(int value, int from, int to) {
    if (from == to || from <= 0) return value;
    const long long product = static_cast<long long>(value) * to;
    const long long half = product >= 0 ? from / 2 : -(from / 2);
    return SaturateInt((product + half) / from);
}

inline TRectI ScaleForDpi(const TRectI& r, int from, int to) {
    TRectI s;
    s.left = ScaleForDpi(r.left, from, to);
    s.top = ScaleForDpi(r.top, from, to);
    s.right = ScaleForDpi(r.right, from, to);
    s.bottom = ScaleForDpi(r.bottom, from, to);
    return s;
}

inline TRectI MakeRect(int left, int top, int right, int bottom) {
    TRectI r;
    r.left = left;
    r.top = top;
    r.right = right;
    r.bottom = bottom;
    return r;
}

// Intersection as the platform's IntersectRect computes it: empty rectangles give all zeros.
inline TRectI Intersect(const TRectI& a, const TRectI& b) {
    TRectI r =
        MakeRect(a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                 a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom);
    if (r.IsEmpty()) return TRectI();
    return r;
}

inline bool Meets(const TRectI& a, const TRectI& b) {
    return !Intersect(a, b).IsEmpty();
}

}  // namespace SkinUI
