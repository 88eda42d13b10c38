// CLinearLayoutUI: the sharing of free space along one axis and the separator drag, for
// either axis. Sizes, paddings and gaps come from the skin and may be anything, so they are
// summed in 64 bits and coordinates stop at the ends of the integer range.
#include "ui/controls/CLinearLayoutUI.h"

#include <algorithm>

#include "ui/controls/CRenderer.h"
#include "ui/controls/CScrollBarUI.h"
#include "ui/controls/RenderGeometry.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

namespace {

const UINT kSeparatorCaptured = 0x40;

long long Clamp(long long value, long long low, long long high) {
    if (value < low) value = low;    // raised to the minimum first,
    if (value > high) value = high;  // then lowered to the maximum
    return value;
}

bool Visible(const CScrollBarUI* bar) {
    return bar != nullptr && bar->IsVisible();
}

// The main axis (along which the children are stacked) and the cross axis of a layout, as
// accessors on rectangles, sizes, points and a child's limits.
struct TAxis {
    bool vertical;

    LONG& Start(RECT& r) const { return vertical ? r.top : r.left; }
    LONG& End(RECT& r) const { return vertical ? r.bottom : r.right; }
    LONG& CrossStart(RECT& r) const { return vertical ? r.left : r.top; }
    LONG& CrossEnd(RECT& r) const { return vertical ? r.right : r.bottom; }
    LONG Start(const RECT& r) const { return vertical ? r.top : r.left; }
    LONG End(const RECT& r) const { return vertical ? r.bottom : r.right; }
    LONG CrossStart(const RECT& r) const { return vertical ? r.left : r.top; }
    LONG CrossEnd(const RECT& r) const { return vertical ? r.right : r.bottom; }
    long long Length(const RECT& r) const { return static_cast<long long>(End(r)) - Start(r); }
    long long CrossLength(const RECT& r) const {
        return static_cast<long long>(CrossEnd(r)) - CrossStart(r);
    }

    LONG Main(const SIZE& s) const { return vertical ? s.cy : s.cx; }
    LONG& Main(SIZE& s) const { return vertical ? s.cy : s.cx; }
    SIZE Size(long long main, long long cross) const {
        const LONG m = SaturateInt(main);
        const LONG c = SaturateInt(cross);
        return vertical ? SIZE{c, m} : SIZE{m, c};
    }
    LONG Main(const POINT& p) const { return vertical ? p.y : p.x; }

    int MinMain(CControlUI* c) const { return vertical ? c->GetMinHeight() : c->GetMinWidth(); }
    int MaxMain(CControlUI* c) const { return vertical ? c->GetMaxHeight() : c->GetMaxWidth(); }
    int MinCross(CControlUI* c) const { return vertical ? c->GetMinWidth() : c->GetMinHeight(); }
    int MaxCross(CControlUI* c) const { return vertical ? c->GetMaxWidth() : c->GetMaxHeight(); }
    int FixedCross(CControlUI* c) const {
        return vertical ? c->GetFixedWidth() : c->GetFixedHeight();
    }
};

}  // namespace

void CLinearLayoutUI::ScaleGeometry(int from, int to) {
    CContainerUI::ScaleGeometry(from, to);
    sepSize_ = ScaleForDpi(sepSize_, from, to);
}

UINT CLinearLayoutUI::GetInputFlags() {
    return IsEnabled() && sepSize_ != 0 ? static_cast<UINT>(InputSetCursor) : 0u;
}

void CLinearLayoutUI::SetBounds(const RECT& rect) {
    const TAxis a{vertical_};
    CControlUI::SetBounds(rect);
    RECT r = {SaturateInt(static_cast<long long>(bounds_.left) + inset_.left),
              SaturateInt(static_cast<long long>(bounds_.top) + inset_.top),
              SaturateInt(static_cast<long long>(bounds_.right) - inset_.right),
              SaturateInt(static_cast<long long>(bounds_.bottom) - inset_.bottom)};
    // Deliberate difference: with no children the horizontal layout places its scroll bars in
    // the work area before the bars are taken off it, the vertical one after.
    if (items_.empty() && !vertical_) {
        ProcessScrollBar(r, 0, 0);
        return;
    }
    const bool vbar = Visible(verticalBar_);
    const bool hbar = Visible(horizontalBar_);
    if (vbar)
        r.right = SaturateInt(static_cast<long long>(r.right) - verticalBar_->GetFixedWidth());
    if (hbar) {
        r.bottom = SaturateInt(static_cast<long long>(r.bottom) - horizontalBar_->GetFixedHeight());
    }
    if (items_.empty()) {
        ProcessScrollBar(r, 0, 0);
        return;
    }
    CScrollBarUI* const mainBar = vertical_ ? verticalBar_ : horizontalBar_;
    CScrollBarUI* const crossBar = vertical_ ? horizontalBar_ : verticalBar_;
    const long long available = a.Length(r);
    long long availableCross = a.CrossLength(r);
    if (Visible(crossBar)) availableCross += crossBar->GetScrollRange();
    const SIZE availableSize = a.Size(available, availableCross);

    // First pass: what the fixed children take, and how many share the rest.
    int stretchable = 0, counted = 0;
    long long fixed = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        CControlUI* child = items_[i];
        if (!child->IsVisible() || child->IsFloat()) continue;
        const RECT p = child->GetPadding();
        long long size = a.Main(child->MeasureSize(availableSize));
        if (size == 0) {
            ++stretchable;
        } else {
            size = Clamp(size, a.MinMain(child), a.MaxMain(child));
        }
        fixed += size + a.Start(p) + a.End(p);
        ++counted;
    }
    if (counted > 0) fixed += static_cast<long long>(counted - 1) * childPadding_;
    long long share = 0;
    if (stretchable > 0) share = std::max(0LL, (available - fixed) / stretchable);

    // Second pass: place them. Deliberate difference: the vertical layout's children follow
    // both scroll positions, the horizontal layout's only its horizontal bar's.
    long long cursor = a.Start(r) - (Visible(mainBar) ? mainBar->GetScrollPos() : 0);
    const long long crossCursor =
        a.CrossStart(r) - (vertical_ && hbar ? horizontalBar_->GetScrollPos() : 0);
    long long remaining = available;
    long long fixedRemaining = fixed;
    long long needed = 0;
    int stretchIndex = 0;
    bool firstPlaced = true;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        CControlUI* child = items_[i];
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(static_cast<int>(i));
            continue;
        }
        const RECT p = child->GetPadding();
        const long long before = a.Start(p);
        const long long after = a.End(p);
        remaining -= before;
        // What the children after this one still need: their sizes, paddings and gaps. This
        // child's paddings and the gap before it are being used up now.
        fixedRemaining -= before + after;
        if (!firstPlaced) fixedRemaining -= childPadding_;
        firstPlaced = false;
        long long size = a.Main(child->MeasureSize(a.Size(remaining, availableCross)));
        if (size == 0) {
            ++stretchIndex;
            size = share;
            // The last stretchable child takes what rounding left over.
            if (stretchIndex == stretchable) {
                size = std::max(0LL, remaining - after - fixedRemaining);
            }
            size = Clamp(size, a.MinMain(child), a.MaxMain(child));
        } else {
            size = Clamp(size, a.MinMain(child), a.MaxMain(child));
            fixedRemaining -= size;
        }
        long long cross = a.FixedCross(child);
        if (cross == 0) cross = availableCross - a.CrossStart(p) - a.CrossEnd(p);
        cross = Clamp(std::max(0LL, cross), a.MinCross(child), a.MaxCross(child));

        // The end padding lies inside the child's rectangle, the start padding before it.
        RECT placed;
        a.Start(placed) = SaturateInt(cursor + before);
        a.End(placed) = SaturateInt(cursor + before + size + after);
        a.CrossStart(placed) = SaturateInt(crossCursor + a.CrossStart(p));
        a.CrossEnd(placed) = SaturateInt(crossCursor + a.CrossStart(p) + cross);
        child->SetBounds(placed);
        cursor += size + childPadding_ + before + after;
        needed += size + before + after;
        remaining -= size + childPadding_ + after;
    }
    if (counted > 0) needed += static_cast<long long>(counted - 1) * childPadding_;
    if (vertical_) {
        ProcessScrollBar(r, 0, SaturateInt(needed));
    } else {
        ProcessScrollBar(r, SaturateInt(needed), 0);
    }
}

RECT CLinearLayoutUI::GetThumbRect(const RECT& of) const {
    const TAxis a{vertical_};
    RECT strip = of;
    if (sepSize_ >= 0) {
        a.Start(strip) = SaturateInt(static_cast<long long>(a.End(of)) - sepSize_);
    } else {
        a.End(strip) = SaturateInt(static_cast<long long>(a.Start(of)) - sepSize_);
    }
    // Deliberate difference: only the vertical strip is kept inside the rectangle.
    if (vertical_) {
        a.Start(strip) = std::max(a.Start(strip), a.Start(of));
        a.End(strip) = std::min(a.End(strip), a.End(of));
    }
    return strip;
}

bool CLinearLayoutUI::DragSeparator(POINT pt) {
    const TAxis a{vertical_};
    const long long at = a.Main(pt);
    const long long d = at - a.Main(lastMouse_);
    lastMouse_ = pt;
    RECT candidate = newPos_;
    if (sepSize_ >= 0) {
        const long long edge = a.End(newPos_);
        if ((d > 0 && at < edge + sepSize_) || (d < 0 && at > edge)) return false;
        a.End(candidate) = SaturateInt(edge + d);
    } else {
        const long long edge = a.Start(newPos_);
        if ((d > 0 && at < edge) || (d < 0 && at > edge + sepSize_)) return false;
        a.Start(candidate) = SaturateInt(edge + d);
    }
    const long long current = a.Length(newPos_);
    const long long length = a.Length(candidate);
    // The dragged edge moves; the other one stays.
    auto setLength = [&](long long l) {
        if (sepSize_ >= 0) {
            a.End(candidate) = SaturateInt(a.Start(candidate) + l);
        } else {
            a.Start(candidate) = SaturateInt(a.End(candidate) - l);
        }
    };
    const int low = a.MinMain(this);
    const int high = a.MaxMain(this);
    if (length <= low) {
        if (current <= low) return false;
        setLength(low);
    }
    if (length >= high) {
        if (current >= high) return false;
        setLength(high);
    }
    const RECT oldStrip = GetThumbRect(newPos_);
    newPos_ = candidate;
    a.Main(fixedSize_) = SaturateInt(a.Length(newPos_));
    if (immediate_) {
        bounds_ = newPos_;
        MarkParentForLayout();
    } else if (manager_ != nullptr) {
        RECT invalid = oldStrip;
        const RECT newStrip = GetThumbRect(newPos_);
        const RECT boundsStrip = GetThumbRect(bounds_);
        ::UnionRect(&invalid, &invalid, &newStrip);
        ::UnionRect(&invalid, &invalid, &boundsStrip);
        manager_->Invalidate(invalid);
    }
    return true;
}

void CLinearLayoutUI::ProcessEvent(TEventUI& event) {
    if (sepSize_ != 0) {
        const POINT pt = event.mousePoint;
        if (event.type == EventButtonDown && IsEnabled()) {
            const RECT strip = GetThumbRect(bounds_);
            if (::PtInRect(&strip, pt)) {
                buttonState_ |= kSeparatorCaptured;
                lastMouse_ = pt;
                newPos_ = bounds_;
                if (!immediate_ && manager_ != nullptr) manager_->AddPostPaint(this);
                return;
            }
        }
        if (event.type == EventButtonUp && (buttonState_ & kSeparatorCaptured) != 0) {
            buttonState_ &= ~kSeparatorCaptured;
            bounds_ = newPos_;
            if (!immediate_ && manager_ != nullptr) manager_->RemovePostPaint(this);
            MarkParentForLayout();
            return;
        }
        if (event.type == EventMouseMove && (buttonState_ & kSeparatorCaptured) != 0) {
            DragSeparator(pt);
            return;
        }
        if (event.type == EventSetCursor && IsEnabled()) {
            const RECT strip = GetThumbRect(bounds_);
            if (::PtInRect(&strip, pt)) {
                const LPCSTR cursor = vertical_ ? reinterpret_cast<LPCSTR>(IDC_SIZENS)
                                                : reinterpret_cast<LPCSTR>(IDC_SIZEWE);
                ::SetCursor(::LoadCursorA(nullptr, cursor));
                return;
            }
        }
    }
    CContainerUI::ProcessEvent(event);
}

void CLinearLayoutUI::PaintOverlay(HDC dc, const RECT&) {
    if ((buttonState_ & kSeparatorCaptured) != 0 && !immediate_) {
        CRenderer::DrawColor(dc, GetThumbRect(newPos_), 0xAA000000);
    }
}

}  // namespace SkinUI
