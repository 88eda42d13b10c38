// CVerticalLayoutUI: the vertical sharing of free space and the separator drag.
#include "ui/controls/CVerticalLayoutUI.h"

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

LPCSTR CVerticalLayoutUI::GetTypeName() const {
    return "VerticalLayoutUI";
}

void* CVerticalLayoutUI::QueryType(LPCSTR name) {
    if (std::strcmp(name, "VerticalLayout") == 0) return this;
    return CContainerUI::QueryType(name);
}

UINT CVerticalLayoutUI::GetInputFlags() {
    return IsEnabled() && sepSize_ != 0 ? static_cast<UINT>(InputSetCursor) : 0u;
}

void CVerticalLayoutUI::SetBounds(const RECT& rect) {
    CControlUI::SetBounds(rect);
    RECT r = {bounds_.left + inset_.left, bounds_.top + inset_.top, bounds_.right - inset_.right,
              bounds_.bottom - inset_.bottom};
    const bool vbar = verticalBar_ != nullptr && verticalBar_->IsVisible();
    const bool hbar = horizontalBar_ != nullptr && horizontalBar_->IsVisible();
    if (vbar) r.right -= verticalBar_->GetFixedWidth();
    if (hbar) r.bottom -= horizontalBar_->GetFixedHeight();
    if (items_.empty()) {
        ProcessScrollBar(r, 0, 0);
        return;
    }

    SIZE available = {r.right - r.left, r.bottom - r.top};
    if (hbar) available.cx += horizontalBar_->GetScrollRange();

    // First pass: what the fixed children take, and how many share the rest.
    int stretchable = 0, fixed = 0, counted = 0;
    for (CControlUI* child : items_) {
        if (!child->IsVisible() || child->IsFloat()) continue;
        const RECT p = child->GetPadding();
        SIZE s = child->MeasureSize(available);
        if (s.cy == 0) {
            ++stretchable;
        } else {
            s.cy = Clamp(s.cy, child->GetMinHeight(), child->GetMaxHeight());
        }
        fixed += s.cy + p.top + p.bottom;
        ++counted;
    }
    if (counted > 0) fixed += (counted - 1) * childPadding_;
    int share = 0;
    if (stretchable > 0)
        share = std::max(0, static_cast<int>((available.cy - fixed) / stretchable));

    // Second pass: place them.
    int y = r.top - (vbar ? verticalBar_->GetScrollPos() : 0);
    const int x = r.left - (hbar ? horizontalBar_->GetScrollPos() : 0);
    int remaining = available.cy;
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
        remaining -= p.top;
        // What the children after this one still need: their sizes, paddings and gaps. This
        // child's paddings and the gap before it are being used up now.
        fixedRemaining -= p.top + p.bottom;
        if (!firstPlaced) fixedRemaining -= childPadding_;
        firstPlaced = false;
        SIZE s = child->MeasureSize(SIZE{available.cx, remaining});
        if (s.cy == 0) {
            ++stretchIndex;
            s.cy = share;
            // The last stretchable child takes what rounding left over.
            if (stretchIndex == stretchable) {
                s.cy = std::max(0, static_cast<int>(remaining - p.bottom - fixedRemaining));
            }
            s.cy = Clamp(s.cy, child->GetMinHeight(), child->GetMaxHeight());
        } else {
            s.cy = Clamp(s.cy, child->GetMinHeight(), child->GetMaxHeight());
            fixedRemaining -= s.cy;
        }
        int width = child->GetFixedWidth();
        if (width == 0) width = available.cx - p.left - p.right;
        width = Clamp(std::max(0, width), child->GetMinWidth(), child->GetMaxWidth());

        // The bottom padding lies inside the child's rectangle.
        child->SetBounds(
            RECT{x + p.left, y + p.top, x + p.left + width, y + p.top + s.cy + p.bottom});
        y += s.cy + childPadding_ + p.top + p.bottom;
        needed += s.cy + p.top + p.bottom;
        remaining -= s.cy + childPadding_ + p.bottom;
    }
    if (counted > 0) needed += (counted - 1) * childPadding_;
    ProcessScrollBar(r, 0, needed);
}

RECT CVerticalLayoutUI::GetThumbRect(const RECT& of) const {
    if (sepSize_ >= 0) {
        return RECT{of.left, std::max(of.bottom - sepSize_, of.top), of.right, of.bottom};
    }
    return RECT{of.left, of.top, of.right, std::min(of.top - sepSize_, of.bottom)};
}

void CVerticalLayoutUI::ProcessEvent(TEventUI& event) {
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
            const int d = pt.y - lastMouse_.y;
            lastMouse_ = pt;
            RECT candidate = newPos_;
            if (sepSize_ >= 0) {
                if ((d > 0 && pt.y < newPos_.bottom + sepSize_) ||
                    (d < 0 && pt.y > newPos_.bottom)) {
                    return;
                }
                candidate.bottom += d;
            } else {
                if ((d > 0 && pt.y < newPos_.top) || (d < 0 && pt.y > newPos_.top + sepSize_)) {
                    return;
                }
                candidate.top += d;
            }
            const int current = newPos_.bottom - newPos_.top;
            const int height = candidate.bottom - candidate.top;
            auto setHeight = [&](int h) {
                if (sepSize_ >= 0) {
                    candidate.bottom = candidate.top + h;
                } else {
                    candidate.top = candidate.bottom - h;
                }
            };
            if (height <= GetMinHeight()) {
                if (current <= GetMinHeight()) return;
                setHeight(GetMinHeight());
            }
            if (height >= GetMaxHeight()) {
                if (current >= GetMaxHeight()) return;
                setHeight(GetMaxHeight());
            }
            const RECT oldStrip = GetThumbRect(newPos_);
            newPos_ = candidate;
            fixedSize_.cy = newPos_.bottom - newPos_.top;
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
                ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZENS)));
                return;
            }
        }
    }
    CContainerUI::ProcessEvent(event);
}

void CVerticalLayoutUI::ApplyAttribute(LPCSTR name, LPCSTR value) {
    int v = 0;
    if (std::strcmp(name, "sepheight") == 0) {
        ReadIntegers(value, &v, 1);
        SetSepHeight(v);
    } else if (std::strcmp(name, "sepimm") == 0) {
        SetSepImmMode(AttributeIsTrue(value));
    } else {
        CContainerUI::ApplyAttribute(name, value);
    }
}

void CVerticalLayoutUI::PaintOverlay(HDC dc, const RECT&) {
    if ((buttonState_ & kSeparatorCaptured) != 0 && !immediate_) {
        CRenderer::DrawColor(dc, GetThumbRect(newPos_), 0xAA000000);
    }
}

}  // namespace SkinUI
