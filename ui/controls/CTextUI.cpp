// CTextUI: measuring wrapped text (with or without markup), painting it with its links, and
// the mouse handling of those links.
#include "ui/controls/CTextUI.h"

#include <algorithm>
#include <cstring>

#include "ui/controls/CRenderer.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

namespace {

// The manager's paint DC, or the screen's while the manager has no window yet.
class CMeasureDC {
public:
    explicit CMeasureDC(CWindowManagerUI* manager)
        : dc_(manager != nullptr ? manager->GetPaintDC() : nullptr) {
        if (dc_ == nullptr) {
            dc_ = ::GetDC(nullptr);
            screen_ = true;
        }
    }
    ~CMeasureDC() {
        if (screen_ && dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
    }
    CMeasureDC(const CMeasureDC&) = delete;
    CMeasureDC& operator=(const CMeasureDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_ = nullptr;
    bool screen_ = false;
};

}  // namespace

CTextUI::CTextUI() {
    textStyle_ = TextWordBreak;
    textPadding_ = RECT{2, 0, 2, 0};
}

LPCSTR CTextUI::GetTypeName() const {
    return "TextUI";
}

void* CTextUI::QueryType(LPCSTR name) {
    if (std::strcmp(name, "Text") == 0) return this;
    return CLabelUI::QueryType(name);
}

UINT CTextUI::GetInputFlags() {
    return (IsEnabled() && linkCount_ > 0) ? UINT{InputSetCursor} : 0u;
}

RECT CTextUI::GetLinkRect(int index) const {
    if (index < 0 || index >= linkCount_) return RECT{0, 0, 0, 0};
    return links_[index];
}

std::string CTextUI::GetLinkText(int index) const {
    if (index < 0 || index >= linkCount_) return std::string();
    return linkTexts_[index];
}

int CTextUI::LinkAt(POINT point) const {
    for (int i = 0; i < linkCount_; ++i) {
        if (::PtInRect(&links_[i], point)) return i;
    }
    return -1;
}

void CTextUI::ProcessEvent(TEventUI& event) {
    if (IsMouseEvent(event.type) && !IsMouseEnabled()) {
        if (parent_ != nullptr) {
            parent_->ProcessEvent(event);
        } else {
            CLabelUI::ProcessEvent(event);
        }
        return;
    }
    const int link = LinkAt(event.mousePoint);
    switch (event.type) {
        case EventSetCursor:
            if (link >= 0) {
                ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
                return;
            }
            break;
        case EventButtonDown:
        case EventDoubleClick:
            if (IsEnabled() && link >= 0) {
                Invalidate();
                return;
            }
            break;
        case EventButtonUp:
            if (IsEnabled() && link >= 0) {
                if (manager_ != nullptr) manager_->SendNotify(this, "link", link);
                return;
            }
            break;
        case EventContextMenu:
            return;
        case EventMouseMove:
            if (IsEnabled() && linkCount_ > 0) {
                if (link != hoveredLink_) {
                    hoveredLink_ = link;
                    Invalidate();
                }
                return;
            }
            break;
        case EventMouseLeave:
            if (IsEnabled() && linkCount_ > 0 && hoveredLink_ != -1) {
                hoveredLink_ = -1;
                Invalidate();
                return;
            }
            break;
        default:
            break;
    }
    CLabelUI::ProcessEvent(event);
}

RECT CTextUI::MeasureText(RECT rect) {
    CMeasureDC dc(manager_);
    if (dc.get() == nullptr || text_.empty()) return RECT{rect.left, 0, rect.left, 0};
    if (showHtml_) {
        // Markup needs the manager's fonts: without them it takes no room (the renderer would
        // leave the 9999-high input rectangle as it is). With no width left it is measured at
        // the narrowest width, a character per line, so that a narrower text is never measured
        // shorter than a wider one (a layout that shows a scroll bar for it would otherwise
        // hide it again).
        if (manager_ == nullptr) return RECT{rect.left, 0, rect.left, 0};
        if (rect.right <= rect.left) rect.right = rect.left + 1;
        int links = 0;
        CRenderer::DrawHtmlText(dc.get(), manager_, rect, text_.c_str(), 0, nullptr, nullptr, links,
                                textStyle_ | TextCalcRect);
        return rect;
    }
    // Plain text is drawn with the table font; GDI's own layout of that font, wrapped at the
    // same width, gives the rectangle it needs.
    HFONT font = manager_ != nullptr ? manager_->GetFont(font_) : nullptr;
    HGDIOBJ old = font != nullptr ? ::SelectObject(dc.get(), font) : nullptr;
    const UINT flags = (textStyle_ & (TextWordBreak | TextSingleLine)) | DT_NOPREFIX | DT_CALCRECT;
    ::DrawTextA(dc.get(), text_.c_str(), static_cast<int>(text_.size()), &rect, flags);
    if (old != nullptr) ::SelectObject(dc.get(), old);
    return rect;
}

SIZE CTextUI::MeasureSize(SIZE available) {
    const RECT area = {textPadding_.left, 0,
                       std::max<LONG>(available.cx, fixedSize_.cx) - textPadding_.right, 9999};
    const RECT used = MeasureText(area);
    SIZE size;
    size.cx = textPadding_.right + used.right + textPadding_.left - used.left;
    size.cy = textPadding_.bottom + textPadding_.top + (used.bottom - used.top);
    if (fixedSize_.cy != 0) size.cy = fixedSize_.cy;
    return size;
}

void CTextUI::PaintText(HDC dc) {
    if (text_.empty()) {
        linkCount_ = 0;
        return;
    }
    FillDefaultColors();
    RECT rect = TextRect();
    const DWORD color = IsEnabled() ? textColor_ : disabledTextColor_;
    if (showHtml_) {
        linkCount_ = kMaxLinks;
        CRenderer::DrawHtmlText(dc, manager_, rect, text_.c_str(), color, links_, linkTexts_,
                                linkCount_, textStyle_);
    } else {
        // Plain text has no links; rectangles of an earlier markup text must not stay live.
        linkCount_ = 0;
        CRenderer::DrawText(dc, manager_, rect, text_.c_str(), color, font_, textStyle_);
    }
}

}  // namespace SkinUI
