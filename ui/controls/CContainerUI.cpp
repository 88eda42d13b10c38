// CContainerUI: child list and ownership, float placement, scroll bars and scrolling,
// clipping while painting, searches and hit tests through the children.
//
//   1. Construction, destruction, identity
//   2. Child list
//   3. Visibility and attachment
//   4. Placement and scroll bars
//   5. Scrolling
//   6. Search, events, attributes
//   7. Painting
#include "ui/controls/CContainerUI.h"

#include <algorithm>
#include <cstring>

#include "ui/controls/AttributeValue.h"
#include "ui/controls/CRenderer.h"
#include "ui/controls/CScrollBarUI.h"
#include "ui/controls/RenderGeometry.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

namespace {

bool Meets(const RECT& a, const RECT& b) {
    RECT tmp;
    return ::IntersectRect(&tmp, &a, &b) != FALSE;
}

bool Visible(const CScrollBarUI* bar) {
    return bar != nullptr && bar->IsVisible();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// 1. Construction, destruction, identity
// ---------------------------------------------------------------------------------------------

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    delayedDestroy_ = false;  // children go now, not through the manager
    RemoveAll();
    delete verticalBar_;
    delete horizontalBar_;
}

LPCSTR CContainerUI::GetTypeName() const {
    return "ContainerUI";
}

void* CContainerUI::QueryType(LPCSTR name) {
    if (std::strcmp(name, "IContainer") == 0) return static_cast<IContainerUI*>(this);
    if (std::strcmp(name, "Container") == 0) return this;
    return CControlUI::QueryType(name);
}

// ---------------------------------------------------------------------------------------------
// 2. Child list
// ---------------------------------------------------------------------------------------------

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= static_cast<int>(items_.size())) return nullptr;
    return items_[index];
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i] == control) return static_cast<int>(i);
    }
    return -1;
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    const int from = GetItemIndex(control);
    // The new index must name a slot of the list; anything else would write past its end.
    if (from < 0 || index < 0 || index >= static_cast<int>(items_.size())) return false;
    MarkForLayout();
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + index, control);
    return true;
}

int CContainerUI::GetCount() const {
    return static_cast<int>(items_.size());
}

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, static_cast<int>(items_.size()));
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    // Checked before anything is attached, so a refused child is left untouched.
    if (control == nullptr || index < 0 || index > static_cast<int>(items_.size())) return false;
    if (manager_ != nullptr) manager_->InitControls(control, this);
    if (IsVisible()) {
        MarkForLayout();
    } else {
        control->SetParentVisible(false);
    }
    items_.insert(items_.begin() + index, control);
    return true;
}

void CContainerUI::DisposeChild(CControlUI* child) {
    if (!autoDestroy_) {
        // Only dropped: whoever holds it now must not find it pointing at this container.
        child->AttachManager(child->GetManager(), nullptr, false);
    } else if (delayedDestroy_ && manager_ != nullptr) {
        manager_->AddDelayedCleanup(child);
    } else {
        delete child;
    }
}

bool CContainerUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    MarkForLayout();
    items_.erase(items_.begin() + index);
    DisposeChild(control);
    return true;
}

bool CContainerUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    return control != nullptr && Remove(control);
}

void CContainerUI::RemoveAll() {
    std::vector<CControlUI*> children;
    children.swap(items_);
    for (CControlUI* child : children) DisposeChild(child);
    MarkForLayout();
}

// ---------------------------------------------------------------------------------------------
// 3. Visibility and attachment
// ---------------------------------------------------------------------------------------------

// The loops over the children below index the list afresh on every step: what they call
// (initialisation and size listeners, focus changes, painting) may add or remove children.

void CContainerUI::AttachManager(CWindowManagerUI* manager, CControlUI* parent, bool initialise) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        items_[i]->AttachManager(manager, this, initialise);
    }
    if (verticalBar_ != nullptr) verticalBar_->AttachManager(manager, this, initialise);
    if (horizontalBar_ != nullptr) horizontalBar_->AttachManager(manager, this, initialise);
    CControlUI::AttachManager(manager, parent, initialise);
}

void CContainerUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    CControlUI::SetVisible(visible);
    for (std::size_t i = 0; i < items_.size(); ++i) items_[i]->SetParentVisible(IsVisible());
}

void CContainerUI::SetParentVisible(bool visible) {
    CControlUI::SetParentVisible(visible);
    for (std::size_t i = 0; i < items_.size(); ++i) items_[i]->SetParentVisible(IsVisible());
}

void CContainerUI::SetMouseEnabled(bool enabled) {
    if (verticalBar_ != nullptr) verticalBar_->SetMouseEnabled(enabled);
    if (horizontalBar_ != nullptr) horizontalBar_->SetMouseEnabled(enabled);
    CControlUI::SetMouseEnabled(enabled);
}

// ---------------------------------------------------------------------------------------------
// 4. Placement and scroll bars
// ---------------------------------------------------------------------------------------------

RECT CContainerUI::GetInset() const {
    return inset_;
}

void CContainerUI::ScaleGeometry(int from, int to) {
    CControlUI::ScaleGeometry(from, to);
    ScaleRect(inset_, from, to);
    childPadding_ = ScaleForDpi(childPadding_, from, to);
}

void CContainerUI::SetInset(const RECT& inset) {
    inset_ = inset;
    MarkForLayout();
}

int CContainerUI::GetChildPadding() const {
    return childPadding_;
}

void CContainerUI::SetChildPadding(int padding) {
    childPadding_ = padding;
    MarkForLayout();
}

bool CContainerUI::IsAutoDestroy() const {
    return autoDestroy_;
}
void CContainerUI::SetAutoDestroy(bool autoDestroy) {
    autoDestroy_ = autoDestroy;
}
bool CContainerUI::IsDelayedDestroy() const {
    return delayedDestroy_;
}
void CContainerUI::SetDelayedDestroy(bool delayed) {
    delayedDestroy_ = delayed;
}
bool CContainerUI::IsMouseChildEnabled() const {
    return mouseChild_;
}
void CContainerUI::SetMouseChildEnabled(bool enabled) {
    mouseChild_ = enabled;
}

RECT CContainerUI::InnerRect() const {
    RECT r = InsetBounds();
    if (Visible(verticalBar_)) {
        r.right = SaturateInt(static_cast<long long>(r.right) - verticalBar_->GetFixedWidth());
    }
    if (Visible(horizontalBar_)) {
        r.bottom = SaturateInt(static_cast<long long>(r.bottom) - horizontalBar_->GetFixedHeight());
    }
    return r;
}

RECT CContainerUI::InsetBounds() const {
    // The inset comes from the skin and may be anything.
    return RECT{SaturateInt(static_cast<long long>(bounds_.left) + inset_.left),
                SaturateInt(static_cast<long long>(bounds_.top) + inset_.top),
                SaturateInt(static_cast<long long>(bounds_.right) - inset_.right),
                SaturateInt(static_cast<long long>(bounds_.bottom) - inset_.bottom)};
}

void CContainerUI::SetBounds(const RECT& rect) {
    CControlUI::SetBounds(rect);
    if (items_.empty()) return;
    const RECT inner = InsetBounds();
    for (std::size_t i = 0; i < items_.size(); ++i) {
        CControlUI* child = items_[i];
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(static_cast<int>(i));
        } else {
            child->SetBounds(inner);
        }
    }
}

void CContainerUI::SetFloatPos(int index) {
    CControlUI* child = GetItemAt(index);
    if (child == nullptr || !child->IsVisible() || !child->IsFloat()) return;
    // Offsets, sizes and percentages come from the skin: everything in 64 bits, and the
    // places stop at the ends of the coordinate range.
    const SIZE offset = child->GetFloatOffset();
    const long long w = child->GetFixedWidth();
    const long long h = child->GetFixedHeight();
    const RECT& b = bounds_;
    long long left, top, right, bottom;
    if (offset.cx >= 0) {
        left = static_cast<long long>(b.left) + offset.cx;
        right = left + w;
    } else {
        right = static_cast<long long>(b.right) + offset.cx;
        left = right - w;
    }
    if (offset.cy >= 0) {
        top = static_cast<long long>(b.top) + offset.cy;
        bottom = top + h;
    } else {
        bottom = static_cast<long long>(b.bottom) + offset.cy;
        top = bottom - h;
    }
    if (child->HasRelativeRule()) {
        const SIZE parent = {SaturateInt(static_cast<long long>(b.right) - b.left),
                             SaturateInt(static_cast<long long>(b.bottom) - b.top)};
        const TRelativePos rule = child->GetRelativeRule();
        if (rule.base.cx != 0) {
            // The rule moves and stretches by the parent's growth since it was last applied.
            const long long dx = static_cast<long long>(parent.cx) - rule.base.cx;
            const long long dy = static_cast<long long>(parent.cy) - rule.base.cy;
            left += dx * rule.moveX / 100;
            top += dy * rule.moveY / 100;
            right = left + w + dx * rule.zoomX / 100;
            bottom = top + h + dy * rule.zoomY / 100;
        }
        child->SetRelativeBase(parent.cx, parent.cy);
    }
    child->SetBounds(
        RECT{SaturateInt(left), SaturateInt(top), SaturateInt(right), SaturateInt(bottom)});
}

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
    auto update = [this](CScrollBarUI*& bar, bool wanted, bool isHorizontal) {
        if (!wanted) {
            delete bar;
            bar = nullptr;
            return;
        }
        if (bar != nullptr) return;
        bar = new CScrollBarUI();
        bar->SetOwner(this);
        bar->SetHorizontal(isHorizontal);
        bar->AttachManager(manager_, nullptr, false);
        if (manager_ != nullptr) {
            if (const std::string* style =
                    manager_->GetDefaultAttributes(isHorizontal ? "HScrollBar" : "VScrollBar")) {
                bar->ApplyAttributeString(style->c_str());
            }
        }
    };
    update(verticalBar_, vertical, false);
    update(horizontalBar_, horizontal, true);
    MarkForLayout();
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const {
    return verticalBar_;
}
CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const {
    return horizontalBar_;
}

void CContainerUI::ProcessScrollBar(RECT rect, int, int heightNeeded) {
    if (Visible(horizontalBar_)) {
        horizontalBar_->SetBounds(RECT{rect.left, rect.bottom, rect.right,
                                       rect.bottom + horizontalBar_->GetFixedHeight()});
    }
    if (verticalBar_ == nullptr) return;
    const int height = SaturateInt(static_cast<long long>(rect.bottom) - rect.top);
    // How far the content reaches below the view; nothing when it fits.
    const int range = SaturateInt(std::max(0LL, static_cast<long long>(heightNeeded) - height));
    if (!verticalBar_->IsVisible()) {
        if (range == 0) return;
        // Needed at the full width: shown, and the content laid out again beside it. The bar
        // then stays for the rest of this layout even if the narrower content fits. Content
        // need not grow taller as it narrows (wrapped text may measure shorter), and hiding
        // the bar would widen it back into needing the bar: every layout would undo the one
        // before. A bar with nothing to scroll is the lesser harm; the content shows whole.
        verticalBar_->SetVisible(true);
        verticalBar_->SetScrollRange(range);
        verticalBar_->SetScrollPos(0);
        keepVerticalBar_ = true;
        const RECT again = bounds_;
        SetBounds(again);
        keepVerticalBar_ = false;
        return;
    }
    if (range == 0 && !keepVerticalBar_) {
        // Fits beside the bar, so it may fit without it: laid out again at the full width,
        // which shows the bar again, for good, if the content needs it there.
        verticalBar_->SetVisible(false);
        verticalBar_->SetScrollPos(0);
        verticalBar_->SetScrollRange(0);
        const RECT again = bounds_;
        SetBounds(again);
        return;
    }
    // Overflowing beside the bar it already has: the bar stays, even where the content would
    // fit at the full width, so this too comes out the same at every layout.
    verticalBar_->SetBounds(
        RECT{rect.right, rect.top, rect.right + verticalBar_->GetFixedWidth(), rect.bottom});
    if (verticalBar_->GetScrollRange() == range) return;
    const int oldPos = verticalBar_->GetScrollPos();
    verticalBar_->SetScrollRange(range);
    if (verticalBar_->GetScrollPos() < oldPos) {
        // The children were placed at the old position.
        const RECT again = bounds_;
        SetBounds(again);
    }
}

// ---------------------------------------------------------------------------------------------
// 5. Scrolling
// ---------------------------------------------------------------------------------------------

SIZE CContainerUI::GetScrollPos() const {
    return SIZE{Visible(horizontalBar_) ? horizontalBar_->GetScrollPos() : 0,
                Visible(verticalBar_) ? verticalBar_->GetScrollPos() : 0};
}

SIZE CContainerUI::GetScrollRange() const {
    return SIZE{Visible(horizontalBar_) ? horizontalBar_->GetScrollRange() : 0,
                Visible(verticalBar_) ? verticalBar_->GetScrollRange() : 0};
}

void CContainerUI::SetScrollPos(SIZE pos) {
    int dx = 0, dy = 0;
    if (Visible(verticalBar_)) {
        const int before = verticalBar_->GetScrollPos();
        verticalBar_->SetScrollPos(pos.cy);
        dy = verticalBar_->GetScrollPos() - before;
    }
    if (Visible(horizontalBar_)) {
        const int before = horizontalBar_->GetScrollPos();
        horizontalBar_->SetScrollPos(pos.cx);
        dx = horizontalBar_->GetScrollPos() - before;
    }
    if (dx == 0 && dy == 0) return;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        CControlUI* child = items_[i];
        if (!child->IsVisible() || child->IsFloat()) continue;
        RECT r = child->GetBounds();
        ::OffsetRect(&r, -dx, -dy);
        child->SetBounds(r);
    }
    Invalidate();
}

namespace {

int LineStep(CWindowManagerUI* manager) {
    return manager != nullptr ? manager->GetDefaultFontInfo()->metrics.tmHeight + 8 : 8;
}

}  // namespace

void CContainerUI::LineUp() {
    SIZE pos = GetScrollPos();
    pos.cy -= LineStep(manager_);
    SetScrollPos(pos);
}

void CContainerUI::LineDown() {
    SIZE pos = GetScrollPos();
    pos.cy += LineStep(manager_);
    SetScrollPos(pos);
}

void CContainerUI::PageUp() {
    SIZE pos = GetScrollPos();
    int page = bounds_.bottom - bounds_.top - inset_.top - inset_.bottom;
    if (Visible(horizontalBar_)) page -= horizontalBar_->GetFixedHeight();
    pos.cy -= page;
    SetScrollPos(pos);
}

void CContainerUI::PageDown() {
    SIZE pos = GetScrollPos();
    int page = bounds_.bottom - bounds_.top - inset_.top - inset_.bottom;
    if (Visible(horizontalBar_)) page -= horizontalBar_->GetFixedHeight();
    pos.cy += page;
    SetScrollPos(pos);
}

void CContainerUI::HomeUp() {
    SIZE pos = GetScrollPos();
    pos.cy = 0;
    SetScrollPos(pos);
}

void CContainerUI::EndDown() {
    SIZE pos = GetScrollPos();
    pos.cy = GetScrollRange().cy;
    SetScrollPos(pos);
}

void CContainerUI::LineLeft() {
    SIZE pos = GetScrollPos();
    pos.cx -= 8;
    SetScrollPos(pos);
}

void CContainerUI::LineRight() {
    SIZE pos = GetScrollPos();
    pos.cx += 8;
    SetScrollPos(pos);
}

void CContainerUI::PageLeft() {
    SIZE pos = GetScrollPos();
    int page = bounds_.right - bounds_.left - inset_.left - inset_.right;
    if (Visible(verticalBar_)) page -= verticalBar_->GetFixedWidth();
    pos.cx -= page;
    SetScrollPos(pos);
}

void CContainerUI::PageRight() {
    SIZE pos = GetScrollPos();
    int page = bounds_.right - bounds_.left - inset_.left - inset_.right;
    if (Visible(verticalBar_)) page -= verticalBar_->GetFixedWidth();
    pos.cx += page;
    SetScrollPos(pos);
}

void CContainerUI::HomeLeft() {
    SIZE pos = GetScrollPos();
    pos.cx = 0;
    SetScrollPos(pos);
}

void CContainerUI::EndRight() {
    SIZE pos = GetScrollPos();
    pos.cx = GetScrollRange().cx;
    SetScrollPos(pos);
}

int CContainerUI::FindSelectable(int index, bool forward) const {
    const int count = GetCount();
    if (count == 0) return -1;
    index = std::max(0, std::min(index, count - 1));
    auto selectable = [this](int i) {
        CControlUI* c = items_[i];
        return c->QueryType("ListItem") != nullptr && c->IsVisible() && c->IsEnabled();
    };
    if (forward) {
        for (int i = index; i < count; ++i) {
            if (selectable(i)) return i;
        }
        return -1;
    }
    for (int i = index; i >= 0; --i) {
        if (selectable(i)) return i;
    }
    return FindSelectable(0, true);
}

// ---------------------------------------------------------------------------------------------
// 6. Search, events, attributes
// ---------------------------------------------------------------------------------------------

CControlUI* CContainerUI::LocateControl(LocatePredicate predicate, void* data, UINT flags) {
    if ((flags & LocateVisible) != 0 && !IsVisible()) return nullptr;
    if ((flags & LocateEnabled) != 0 && !IsEnabled()) return nullptr;
    const bool hitTest = (flags & LocateHitTest) != 0;
    if (hitTest && !::PtInRect(&bounds_, *static_cast<const POINT*>(data))) return nullptr;

    auto tryBars = [&]() -> CControlUI* {
        if (verticalBar_ != nullptr) {
            if (CControlUI* hit = verticalBar_->LocateControl(predicate, data, flags)) return hit;
        }
        if (horizontalBar_ != nullptr) {
            if (CControlUI* hit = horizontalBar_->LocateControl(predicate, data, flags)) {
                return hit;
            }
        }
        return nullptr;
    };
    if (hitTest && !mouseChild_) {
        if (CControlUI* hit = tryBars()) return hit;
        return CControlUI::LocateControl(predicate, data, flags);
    }
    if (CControlUI* hit = tryBars()) return hit;
    const bool meFirst = (flags & LocateMeFirst) != 0;
    if (meFirst) {
        if (CControlUI* hit = CControlUI::LocateControl(predicate, data, flags)) return hit;
    }
    const RECT inner = InnerRect();
    const bool reverse = (flags & LocateTopFirst) != 0;
    const std::size_t count = items_.size();
    for (std::size_t i = 0; i < count; ++i) {
        CControlUI* child = items_[reverse ? count - 1 - i : i];
        CControlUI* hit = child->LocateControl(predicate, data, flags);
        if (hit == nullptr) continue;
        if (!hitTest || child->IsFloat() || ::PtInRect(&inner, *static_cast<const POINT*>(data))) {
            return hit;
        }
    }
    if (meFirst) return nullptr;
    return CControlUI::LocateControl(predicate, data, flags);
}

void CContainerUI::ProcessEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (parent_ != nullptr) {
            parent_->ProcessEvent(event);
        } else {
            CControlUI::ProcessEvent(event);
        }
        return;
    }
    if (event.type == EventSetFocus || event.type == EventKillFocus) {
        focused_ = event.type == EventSetFocus;
        return;
    }
    const bool vertical = Visible(verticalBar_) && verticalBar_->IsEnabled();
    const bool horizontal = !vertical && Visible(horizontalBar_) && horizontalBar_->IsEnabled();
    if (vertical || horizontal) {
        if (event.type == EventKeyDown) {
            switch (static_cast<unsigned char>(event.key)) {
                case VK_UP:
                    vertical ? LineUp() : LineLeft();
                    return;
                case VK_DOWN:
                    vertical ? LineDown() : LineRight();
                    return;
                case VK_PRIOR:
                    vertical ? PageUp() : PageLeft();
                    return;
                case VK_NEXT:
                    vertical ? PageDown() : PageRight();
                    return;
                case VK_HOME:
                    vertical ? HomeUp() : HomeLeft();
                    return;
                case VK_END:
                    vertical ? EndDown() : EndRight();
                    return;
                default:
                    break;
            }
        } else if (event.type == EventScrollWheel) {
            switch (LOWORD(event.wParam)) {
                case 0:
                    vertical ? LineUp() : LineLeft();
                    return;
                case 1:
                    vertical ? LineDown() : LineRight();
                    return;
                default:
                    break;
            }
        }
    }
    CControlUI::ProcessEvent(event);
}

void CContainerUI::ApplyAttribute(LPCSTR name, LPCSTR value) {
    int v[4] = {0, 0, 0, 0};
    if (std::strcmp(name, "inset") == 0) {
        ReadIntegers(value, v, 4);
        SetInset(RECT{Px(v[0]), Px(v[1]), Px(v[2]), Px(v[3])});
    } else if (std::strcmp(name, "mousechild") == 0) {
        SetMouseChildEnabled(AttributeIsTrue(value));
    } else if (std::strcmp(name, "vscrollbar") == 0) {
        EnableScrollBar(AttributeIsTrue(value), horizontalBar_ != nullptr);
    } else if (std::strcmp(name, "vscrollbarstyle") == 0) {
        EnableScrollBar(true, horizontalBar_ != nullptr);
        if (verticalBar_ != nullptr) verticalBar_->ApplyAttributeString(value);
    } else if (std::strcmp(name, "hscrollbar") == 0) {
        EnableScrollBar(verticalBar_ != nullptr, AttributeIsTrue(value));
    } else if (std::strcmp(name, "hscrollbarstyle") == 0) {
        EnableScrollBar(verticalBar_ != nullptr, true);
        if (horizontalBar_ != nullptr) horizontalBar_->ApplyAttributeString(value);
    } else if (std::strcmp(name, "childpadding") == 0) {
        ReadIntegers(value, v, 1);
        SetChildPadding(Px(v[0]));
    } else {
        CControlUI::ApplyAttribute(name, value);
    }
}

// ---------------------------------------------------------------------------------------------
// 7. Painting
// ---------------------------------------------------------------------------------------------

void CContainerUI::Paint(HDC dc, const RECT& paint) {
    RECT own;
    if (!::IntersectRect(&own, &paint, &bounds_)) return;
    CRenderClip clip;
    CRenderClip::GenerateClip(dc, own, clip);
    CControlUI::Paint(dc, paint);

    if (!items_.empty()) {
        const RECT inner = InnerRect();
        RECT childArea;
        if (!::IntersectRect(&childArea, &paint, &inner)) {
            for (std::size_t i = 0; i < items_.size(); ++i) {
                CControlUI* child = items_[i];
                if (!child->IsVisible() || !child->IsFloat()) continue;
                if (!Meets(paint, child->GetBounds()) || !Meets(bounds_, child->GetBounds())) {
                    continue;
                }
                child->Paint(dc, paint);
            }
        } else {
            CRenderClip childClip;
            CRenderClip::GenerateClip(dc, childArea, childClip);
            for (std::size_t i = 0; i < items_.size(); ++i) {
                CControlUI* child = items_[i];
                if (!child->IsVisible() || !Meets(paint, child->GetBounds())) continue;
                if (child->IsFloat()) {
                    if (!Meets(bounds_, child->GetBounds())) continue;
                    // Floats may draw over the inset margin.
                    clip.UseInnerClip();
                    child->Paint(dc, paint);
                    childClip.UseInnerClip();
                } else if (Meets(inner, child->GetBounds())) {
                    child->Paint(dc, paint);
                }
            }
        }
    }
    if (Visible(verticalBar_) && Meets(paint, verticalBar_->GetBounds())) {
        verticalBar_->Paint(dc, paint);
    }
    if (Visible(horizontalBar_) && Meets(paint, horizontalBar_->GetBounds())) {
        horizontalBar_->Paint(dc, paint);
    }
}

}  // namespace SkinUI
