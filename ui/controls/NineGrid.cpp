// Nine-grid mapping; see NineGrid.h.
#include "ui/controls/NineGrid.h"

namespace SkinUI {

namespace {

void Add(std::vector<TBlit>& out, const TRectI& dest, int sx, int sy, int sw, int sh) {
    TBlit b;
    b.dest = dest;
    b.srcX = sx;
    b.srcY = sy;
    b.srcWidth = sw;
    b.srcHeight = sh;
    out.push_back(b);
}

// Tiles the middle M with the source middle (sx, sy, sw, sh). Tiles keep their places from
// M's top-left corner, but only those that meet the paint rectangle are blitted: a tiny
// source tiled over a large area would otherwise cost one blit per tile of the whole area.
void AddMiddle(std::vector<TBlit>& out, const TRectI& m, const TRectI& paint, int sx, int sy,
               int sw, int sh, bool xtiled, bool ytiled) {
    // An empty source middle has nothing to stretch or tile.
    if (m.IsEmpty() || sw <= 0 || sh <= 0) return;
    if (!xtiled && !ytiled) {
        Add(out, m, sx, sy, sw, sh);
        return;
    }
    const TRectI visible = Intersect(m, paint);
    if (visible.IsEmpty()) return;
    // In 64 bits: a step past the last tile may lie beyond the integer range.
    const long long stepX = xtiled ? sw : static_cast<long long>(m.right) - m.left;
    const long long stepY = ytiled ? sh : static_cast<long long>(m.bottom) - m.top;
    const long long firstX =
        m.left + (visible.left - static_cast<long long>(m.left)) / stepX * stepX;
    const long long firstY = m.top + (visible.top - static_cast<long long>(m.top)) / stepY * stepY;
    for (long long y = firstY; y < visible.bottom; y += stepY) {
        const int h = static_cast<int>(y + stepY > m.bottom ? m.bottom - y : stepY);
        const int srcH = ytiled ? h : sh;
        for (long long x = firstX; x < visible.right; x += stepX) {
            const int w = static_cast<int>(x + stepX > m.right ? m.right - x : stepX);
            const int srcW = xtiled ? w : sw;
            const int left = static_cast<int>(x);
            const int top = static_cast<int>(y);
            Add(out, MakeRect(left, top, left + w, top + h), sx, sy, srcW, srcH);
        }
    }
}

// A border piece, drawn when both of its sizes are positive and it meets the paint rectangle.
void AddPiece(std::vector<TBlit>& out, const TRectI& paint, int dx, int dy, int dw, int dh, int sx,
              int sy, int sw, int sh) {
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    const TRectI d = MakeRect(dx, dy, dx + dw, dy + dh);
    if (!Meets(d, paint)) return;
    Add(out, d, sx, sy, sw, sh);
}

}  // namespace

std::vector<TBlit> LayoutNineGrid(const TNineGridInput& in) {
    std::vector<TBlit> out;
    const TRectI& r = in.dest;
    const TRectI& s = in.source;
    const TRectI& c = in.corner;
    const bool noCorners = c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0;
    const TRectI& dc = in.destCorner;
    const TRectI& d =
        dc.left == 0 && dc.top == 0 && dc.right == 0 && dc.bottom == 0 ? c : in.destCorner;

    if (in.opaque && noCorners && r.Width() == s.Width() && r.Height() == s.Height()) {
        const TRectI visible = Intersect(in.paint, r);
        if (!visible.IsEmpty())
            Add(out, visible, s.left + visible.left - r.left, s.top + visible.top - r.top,
                visible.Width(), visible.Height());
        return out;
    }

    const int sw = s.Width() - c.left - c.right;
    const int sh = s.Height() - c.top - c.bottom;
    if (!in.hole) {
        const TRectI m =
            MakeRect(r.left + d.left, r.top + d.top, r.right - d.right, r.bottom - d.bottom);
        if (Meets(m, in.paint))
            AddMiddle(out, m, in.paint, s.left + c.left, s.top + c.top, sw, sh, in.xtiled,
                      in.ytiled);
    }
    const int midW = r.Width() - d.left - d.right;
    const int midH = r.Height() - d.top - d.bottom;
    // Corners at their own size (scaled with the display); edges stretched along their length.
    AddPiece(out, in.paint, r.left, r.top, d.left, d.top, s.left, s.top, c.left, c.top);
    AddPiece(out, in.paint, r.left + d.left, r.top, midW, d.top, s.left + c.left, s.top, sw, c.top);
    AddPiece(out, in.paint, r.right - d.right, r.top, d.right, d.top, s.right - c.right, s.top,
             c.right, c.top);
    AddPiece(out, in.paint, r.left, r.top + d.top, d.left, midH, s.left, s.top + c.top, c.left, sh);
    AddPiece(out, in.paint, r.right - d.right, r.top + d.top, d.right, midH, s.right - c.right,
             s.top + c.top, c.right, sh);
    AddPiece(out, in.paint, r.left, r.bottom - d.bottom, d.left, d.bottom, s.left,
             s.bottom - c.bottom, c.left, c.bottom);
    AddPiece(out, in.paint, r.left + d.left, r.bottom - d.bottom, midW, d.bottom, s.left + c.left,
             s.bottom - c.bottom, sw, c.bottom);
    AddPiece(out, in.paint, r.right - d.right, r.bottom - d.bottom, d.right, d.bottom,
             s.right - c.right, s.bottom - c.bottom, c.right, c.bottom);
    return out;
}

}  // namespace SkinUI
