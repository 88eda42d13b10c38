// CButtonUI: state changes from mouse and keyboard events, activation, and the state-dependent
// pictures and text colours.
#include "ui/controls/CButtonUI.h"

#include <cstring>

#include "ui/controls/AttributeValue.h"
#include "ui/controls/CRenderer.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

CButtonUI::CButtonUI() {
    textStyle_ = TextCenter | TextVCenter | TextSingleLine;
}

LPCSTR CButtonUI::GetTypeName() const {
    return "ButtonUI";
}

void* CButtonUI::QueryType(LPCSTR name) {
    if (std::strcmp(name, "Button") == 0) return this;
    return CLabelUI::QueryType(name);
}

UINT CButtonUI::GetInputFlags() {
    if (!IsEnabled()) return 0;
    return InputSetCursor | (IsKeyboardEnabled() ? UINT{InputTabStop} : 0u);
}

bool CButtonUI::Activate() {
    if (!CLabelUI::Activate()) return false;
    if (manager_ != nullptr) manager_->SendNotify(this, "click");
    return true;
}

void CButtonUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!IsEnabled()) state_ = 0;
}

void CButtonUI::ProcessEvent(TEventUI& event) {
    if (IsMouseEvent(event.type) && !IsMouseEnabled()) {
        if (parent_ != nullptr) {
            parent_->ProcessEvent(event);
        } else {
            CLabelUI::ProcessEvent(event);
        }
        return;
    }
    const bool inside = ::PtInRect(&bounds_, event.mousePoint) != FALSE;
    switch (event.type) {
        case EventSetFocus:
        case EventKillFocus:
            Invalidate();
            break;  // the label sets the focused flag
        case EventKeyDown:
            if (IsKeyboardEnabled() && (event.key == VK_SPACE || event.key == VK_RETURN)) {
                Activate();
                return;
            }
            break;
        case EventButtonDown:
        case EventDoubleClick:
            if (inside && IsEnabled()) {
                state_ |= ButtonPushed | ButtonCaptured;
                Invalidate();
            }
            return;
        case EventMouseMove:
            if (state_ & ButtonCaptured) {
                state_ = inside ? (state_ | ButtonPushed) : (state_ & ~ButtonPushed);
                Invalidate();
            }
            return;
        case EventButtonUp:
            if (state_ & ButtonCaptured) {
                if (inside) Activate();
                state_ &= ~(ButtonPushed | ButtonCaptured);
                Invalidate();
            }
            return;
        case EventContextMenu:
            if (HasContextMenu() && manager_ != nullptr) {
                manager_->SendNotify(this, "menu", event.wParam, event.lParam);
            }
            return;
        case EventMouseEnter:
            if (IsEnabled()) {
                state_ |= ButtonHot;
                Invalidate();
            }
            break;
        case EventMouseLeave:
            if (IsEnabled()) {
                state_ &= ~ButtonHot;
                Invalidate();
            }
            break;
        case EventSetCursor:
            ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
            return;
        default:
            break;
    }
    CLabelUI::ProcessEvent(event);
}

void CButtonUI::ApplyAttribute(LPCSTR name, LPCSTR value) {
    auto is = [name](const char* attribute) { return std::strcmp(name, attribute) == 0; };
    if (is("normalimage")) {
        SetNormalImage(value);
    } else if (is("hotimage")) {
        SetHotImage(value);
    } else if (is("pushedimage")) {
        SetPushedImage(value);
    } else if (is("focusedimage")) {
        SetFocusedImage(value);
    } else if (is("disabledimage")) {
        SetDisabledImage(value);
    } else if (is("foreimage")) {
        SetForeImage(value);
    } else if (is("hotforeimage")) {
        SetHotForeImage(value);
    } else if (is("hotbkcolor")) {
        hotBackColor_ = ReadColorNoSkip(value);
    } else if (is("hottextcolor")) {
        hotTextColor_ = ReadColorNoSkip(value);
    } else if (is("pushedtextcolor")) {
        pushedTextColor_ = ReadColorNoSkip(value);
    } else if (is("focusedtextcolor")) {
        focusedTextColor_ = ReadColorNoSkip(value);
    } else {
        CLabelUI::ApplyAttribute(name, value);
    }
}

SIZE CButtonUI::MeasureSize(SIZE available) {
    if (fixedSize_.cy != 0 || manager_ == nullptr) return CControlUI::MeasureSize(available);
    return SIZE{fixedSize_.cx, FontHeight() + 8};
}

// ---- Pictures --------------------------------------------------------------------------------

void CButtonUI::SetNormalImage(const std::string& image) {
    normalImage_ = image;
    Invalidate();
}
void CButtonUI::SetHotImage(const std::string& image) {
    hotImage_ = image;
    Invalidate();
}
void CButtonUI::SetHotForeImage(const std::string& image) {
    hotForeImage_ = image;
    Invalidate();
}
void CButtonUI::SetPushedImage(const std::string& image) {
    pushedImage_ = image;
    Invalidate();
}
void CButtonUI::SetPushedForeImage(const std::string& image) {
    pushedForeImage_ = image;
    Invalidate();
}
void CButtonUI::SetFocusedImage(const std::string& image) {
    focusedImage_ = image;
    Invalidate();
}
void CButtonUI::SetDisabledImage(const std::string& image) {
    disabledImage_ = image;
    Invalidate();
}

void CButtonUI::RefreshStateBits() {
    state_ = IsFocused() ? (state_ | ButtonFocused) : (state_ & ~ButtonFocused);
    state_ = IsEnabled() ? (state_ & ~ButtonDisabled) : (state_ | ButtonDisabled);
}

bool CButtonUI::DrawOrDrop(HDC dc, std::string& image) {
    if (DrawImage(dc, image)) return true;
    image.clear();
    return false;
}

void CButtonUI::DrawForeImage(HDC dc) {
    if (!foreImage_.empty()) DrawOrDrop(dc, foreImage_);
}

void CButtonUI::PaintStateImage(HDC dc) {
    RefreshStateBits();
    // The first state with a picture wins; a failed disabled, pushed, hot or focused picture
    // falls back to the normal one.
    if ((state_ & ButtonDisabled) && !disabledImage_.empty()) {
        if (DrawOrDrop(dc, disabledImage_)) return DrawForeImage(dc);
    } else if ((state_ & ButtonPushed) && !pushedImage_.empty()) {
        if (DrawOrDrop(dc, pushedImage_)) {
            if (!pushedForeImage_.empty()) {
                DrawOrDrop(dc, pushedForeImage_);
            } else {
                DrawForeImage(dc);
            }
            return;
        }
    } else if ((state_ & ButtonHot) && !hotImage_.empty()) {
        if (DrawOrDrop(dc, hotImage_)) {
            if (!hotForeImage_.empty()) {
                DrawOrDrop(dc, hotForeImage_);
            } else {
                DrawForeImage(dc);
            }
            return;
        }
    } else if ((state_ & ButtonHot) && hotBackColor_ != 0) {
        CRenderer::DrawColor(dc, paintRect_, AdjustColor(hotBackColor_));
        return;
    } else if ((state_ & ButtonFocused) && !focusedImage_.empty()) {
        if (DrawOrDrop(dc, focusedImage_)) return DrawForeImage(dc);
    }
    if (!normalImage_.empty()) DrawOrDrop(dc, normalImage_);
    DrawForeImage(dc);
}

// ---- Text ------------------------------------------------------------------------------------

void CButtonUI::DrawButtonText(HDC dc, DWORD color) {
    DrawLabelText(dc, TextRect(), color, textStyle_);
}

void CButtonUI::PaintText(HDC dc) {
    RefreshStateBits();
    FillDefaultColors();
    if (text_.empty()) return;
    DWORD color = IsEnabled() ? textColor_ : disabledTextColor_;
    if ((state_ & ButtonPushed) && pushedTextColor_ != 0) {
        color = pushedTextColor_;
    } else if ((state_ & ButtonHot) && hotTextColor_ != 0) {
        color = hotTextColor_;
    } else if ((state_ & ButtonFocused) && focusedTextColor_ != 0) {
        color = focusedTextColor_;
    }
    DrawButtonText(dc, color);
}

}  // namespace SkinUI
