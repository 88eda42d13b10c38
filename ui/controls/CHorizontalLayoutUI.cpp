// CHorizontalLayoutUI: the horizontal sharing of free space and the separator drag.
#include "ui/controls/CHorizontalLayoutUI.h"

#include <algorithm>
#include <cstring>

#include "ui/controls/AttributeValue.h"
#include "ui/controls/CRenderer.h"
#include "ui/controls/CScrollBarUI.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

namespace {

const UINT kSeparatorCaptured = 0x40;

int Clamp(int value, int low, int high) {
    if (value < low) value = low;    // raised to the minimum first,
    if (value > high) value = high;  // then lowered to the maximum
    return value;
}

}  // namespace

LPCSTR CHorizontalLayoutUI::GetTypeName() const {
    return "HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::QueryType(LPCSTR name) {
    if (std::strcmp(name, "HorizontalLayout") == 0) return this;
    return CContainerUI::QueryType(name);
}

UINT CHorizontalLayoutUI::GetInputFlags() {
    return IsEnabled() && sepSize_ != 0 ? static_cast<UINT>(InputSetCursor) : 0u;
}

void CHorizontalLayoutUI::SetBounds(const RECT& rect) {
    CControlUI::SetBounds(rect);
    RECT r = {bounds_.left + inset_.left, bounds_.top + inset_.top, bounds_.right - inset_.right,
              bounds_.bottom - inset_.bottom};
    if (items_.empty()) {
        ProcessScrollBar(r, 0, 0);  // before the scroll bars are taken off
        return;
    }
    const bool vbar = verticalBar_ != nullptr && verticalBar_->IsVisible();
    const bool hbar = horizontalBar_ != nullptr && horizontalBar_->IsVisible();
    if (vbar) r.right -= verticalBar_->GetFixedWidth();
    if (hbar) r.bottom -= horizontalBar_->GetFixedHeight();

    SIZE available = {r.right - r.left, r.bottom - r.top};
    if (vbar) available.cy += verticalBar_->GetScrollRange();

    // First pass: what the fixed children take, and how many share the rest.
    int stretchable = 0, fixed = 0, counted = 0;
    for (CControlUI* child : items_) {
        if (!child->IsVisible() || child->IsFloat()) continue;
        const RECT p = child->GetPadding();
        SIZE s = child->MeasureSize(available);
        if (s.cx == 0) {
            ++stretchable;
        } else {
            s.cx = Clamp(s.cx, child->GetMinWidth(), child->GetMaxWidth());
        }
        fixed += s.cx + p.left + p.right;
        ++counted;
    }
    if (counted > 0) fixed += (counted - 1) * childPadding_;
    int share = 0;
    if (stretchable > 0)
        share = std::max(0, static_cast<int>((available.cx - fixed) / stretchable));

    // Second pass: place them. Only the x cursor follows the horizontal scroll position.
    int x = r.left - (hbar ? horizontalBar_->GetScrollPos() : 0);
    int remaining = available.cx;
    int fixedRemaining = fixed;
    int needed = 0;
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
        remaining -= p.left;
        // What the children after this one still need: their sizes, paddings and gaps. This
        // child's paddings and the gap before it are being used up now.
        fixedRemaining -= p.left + p.right;
        if (!firstPlaced) fixedRemaining -= childPadding_;
        firstPlaced = false;
        SIZE s = child->MeasureSize(SIZE{remaining, available.cy});
        if (s.cx == 0) {
            ++stretchIndex;
            s.cx = share;
            // The last stretchable child takes what rounding left over.
            if (stretchIndex == stretchable) {
                s.cx = std::max(0, static_cast<int>(remaining - p.right - fixedRemaining));
            }
            s.cx = Clamp(s.cx, child->GetMinWidth(), child->GetMaxWidth());
        } else {
            s.cx = Clamp(s.cx, child->GetMinWidth(), child->GetMaxWidth());
            fixedRemaining -= s.cx;
        }
        int height = child->GetFixedHeight();
        if (height == 0) height = available.cy - p.top - p.bottom;
        height = Clamp(std::max(0, height), child->GetMinHeight(), child->GetMaxHeight());

        // The right padding lies inside the child's rectangle.
        const int top = r.top + p.top;
        child->SetBounds(RECT{x + p.left, top, x + p.left + s.cx + p.right, top + height});
        x += s.cx + childPadding_ + p.left + p.right;
        needed += s.cx + p.left + p.right;
        remaining -= s.cx + childPadding_ + p.right;
    }
    if (counted > 0) needed += (counted - 1) * childPadding_;
    ProcessScrollBar(r, needed, 0);
}

RECT CHorizontalLayoutUI::GetThumbRect(const RECT& of) const {
    // Unlike the vertical strip, this one is not kept inside the rectangle.
    if (sepSize_ >= 0) return RECT{of.right - sepSize_, of.top, of.right, of.bottom};
    return RECT{of.left, of.top, of.left - sepSize_, of.bottom};
}

void CHorizontalLayoutUI::ProcessEvent(TEventUI& event) {
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
            const int d = pt.x - lastMouse_.x;
            lastMouse_ = pt;
            RECT candidate = newPos_;
            if (sepSize_ >= 0) {
                if ((d > 0 && pt.x < newPos_.right + sepSize_) || (d < 0 && pt.x > newPos_.right)) {
                    return;
                }
                candidate.right += d;
            } else {
                if ((d > 0 && pt.x < newPos_.left) || (d < 0 && pt.x > newPos_.left + sepSize_)) {
                    return;
                }
                candidate.left += d;
            }
            const int current = newPos_.right - newPos_.left;
            const int width = candidate.right - candidate.left;
            auto setWidth = [&](int w) {
                if (sepSize_ >= 0) {
                    candidate.right = candidate.left + w;
                } else {
                    candidate.left = candidate.right - w;
                }
            };
            if (width <= GetMinWidth()) {
                if (current <= GetMinWidth()) return;
                setWidth(GetMinWidth());
            }
            if (width >= GetMaxWidth()) {
                if (current >= GetMaxWidth()) return;
                setWidth(GetMaxWidth());
            }
            const RECT oldStrip = GetThumbRect(newPos_);
            newPos_ = candidate;
            fixedSize_.cx = newPos_.right - newPos_.left;
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
            return;
        }
        if (event.type == EventSetCursor && IsEnabled()) {
            const RECT strip = GetThumbRect(bounds_);
            if (::PtInRect(&strip, pt)) {
                ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZEWE)));
                return;
            }
        }
    }
    CContainerUI::ProcessEvent(event);
}

void CHorizontalLayoutUI::ApplyAttribute(LPCSTR name, LPCSTR value) {
    int v = 0;
    if (std::strcmp(name, "sepwidth") == 0) {
        ReadIntegers(value, &v, 1);
        SetSepWidth(v);
    } else if (std::strcmp(name, "sepimm") == 0) {
        SetSepImmMode(AttributeIsTrue(value));
    } else {
        CContainerUI::ApplyAttribute(name, value);
    }
}

void CHorizontalLayoutUI::PaintOverlay(HDC dc, const RECT&) {
    if ((buttonState_ & kSeparatorCaptured) != 0 && !immediate_) {
        CRenderer::DrawColor(dc, GetThumbRect(newPos_), 0xAA000000);
    }
}

}  // namespace SkinUI
