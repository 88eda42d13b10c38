// CLabelUI: identity, text, attributes, measuring and plain painting. The effect mode's GDI+
// drawing is in CLabelUIEffect.cpp.
//
//   1. Construction and identity
//   2. Text
//   3. Attributes and accessors
//   4. Measuring and painting
#include <objidl.h>
#include <windows.h>

#include <gdiplus.h>

#include <cstring>

#include "ui/controls/AttributeValue.h"
#include "ui/controls/CLabelUI.h"
#include "ui/controls/CRenderer.h"
#include "ui/core/CAccessibleUI.h"
#include "ui/core/CWindowManagerUI.h"
#include "ui/core/GdiHandle.h"

namespace SkinUI {

// ---------------------------------------------------------------------------------------------
// 1. Construction and identity
// ---------------------------------------------------------------------------------------------

CLabelUI::CLabelUI() {
    // Each label holds its own reference on GDI+, so effect text can be drawn whatever else
    // is alive; a failed start-up leaves the token 0 and the destructor skips the shutdown.
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr) != Gdiplus::Ok) {
        gdiplusToken_ = 0;
    }
}

CLabelUI::~CLabelUI() {
    if (gdiplusToken_ != 0) Gdiplus::GdiplusShutdown(gdiplusToken_);
}

LPCSTR CLabelUI::GetTypeName() const {
    return "LabelUI";
}

void* CLabelUI::QueryType(LPCSTR name) {
    if (std::strcmp(name, "Label") == 0) return this;
    return CControlUI::QueryType(name);
}

// ---------------------------------------------------------------------------------------------
// 2. Text
// ---------------------------------------------------------------------------------------------

std::string CLabelUI::GetText() const noexcept {
    try {
        return effectEnabled_ ? effectText_ : CControlUI::GetText();
    } catch (...) {
        return std::string();
    }
}

void CLabelUI::SetText(const std::string& text) noexcept {
    try {
        const std::string& old = effectEnabled_ ? effectText_ : text_;
        const bool changed = old != text;
        const bool wasEmpty = old.empty();
        if (effectEnabled_) {
            effectText_ = text;  // repainted by whoever changes it; no invalidation here
        } else {
            CControlUI::SetText(text);
        }
        // A label without text is not exposed: filling or emptying it changes the set.
        if (changed && wasEmpty != text.empty()) {
            CAccessibleUI::NotifyStructure(this);
        } else if (changed) {
            CAccessibleUI::NotifyEvent(this, EVENT_OBJECT_NAMECHANGE);
        }
    } catch (...) {
        // The old text stays; a half-assigned std::string keeps its previous value.
    }
}

void CLabelUI::ProcessEvent(TEventUI& event) {
    if (event.type == EventSetFocus || event.type == EventKillFocus) {
        focused_ = event.type == EventSetFocus;
        return;
    }
    CControlUI::ProcessEvent(event);
}

// ---------------------------------------------------------------------------------------------
// 3. Attributes and accessors
// ---------------------------------------------------------------------------------------------

namespace {

bool Contains(LPCSTR value, const char* word) {
    return std::strstr(value, word) != nullptr;
}

int ReadInt(LPCSTR value) {
    int v = 0;
    ReadIntegers(value, &v, 1);
    return v;
}

}  // namespace

void CLabelUI::ApplyShadowOffset(int offset, int angle) {
    if (angle < -180 || angle > 180) return;
    LONG top = bounds_.top;
    LONG left = bounds_.left;
    if (angle >= 0) {
        top -= offset;
    } else if (angle > -180) {
        top += offset;
    }
    if (angle > -90 && angle <= 90) {
        left -= offset;
    } else if (angle != -90) {
        left += offset;
    }
    // Stored crossed (x from the top, y from the left) as the skins expect.
    shadowOffsetX_ = static_cast<float>(top);
    shadowOffsetY_ = static_cast<float>(left);
}

void CLabelUI::ApplyAttribute(LPCSTR name, LPCSTR value) {
    auto is = [name](const char* attribute) { return std::strcmp(name, attribute) == 0; };
    if (is("align")) {
        // Substring rules applied in this order; "vcenter" also matches "center".
        UINT s = textStyle_;
        if (Contains(value, "left")) s &= ~(TextCenter | TextRight | TextVCenter | TextSingleLine);
        if (Contains(value, "center")) s = (s & ~TextRight) | TextCenter;
        if (Contains(value, "right")) {
            s = (s & ~(TextCenter | TextVCenter | TextSingleLine)) | TextRight;
        }
        if (Contains(value, "top")) s = (s & ~(TextVCenter | TextBottom)) | TextSingleLine;
        if (Contains(value, "vcenter")) {
            s = (s & ~TextBottom) | TextCenter | TextVCenter | TextSingleLine;
        }
        if (Contains(value, "bottom")) s = (s & ~TextVCenter) | TextBottom | TextSingleLine;
        SetTextStyle(s);
    } else if (is("endellipsis")) {
        SetTextStyle(AttributeIsTrue(value) ? (textStyle_ | TextEndEllipsis)
                                            : (textStyle_ & ~TextEndEllipsis));
    } else if (is("font")) {
        SetFont(ReadInt(value));
    } else if (is("textcolor")) {
        SetTextColor(ReadColorNoSkip(value));
    } else if (is("disabledtextcolor")) {
        SetDisabledTextColor(ReadColorNoSkip(value));
    } else if (is("textcolor1")) {
        textColor2_ = ReadColorNoSkip(value);
    } else if (is("textshadowcolora")) {
        shadowColorA_ = ReadColorNoSkip(value);
    } else if (is("textshadowcolorb")) {
        shadowColorB_ = ReadColorNoSkip(value);
    } else if (is("strokecolor")) {
        strokeColor_ = ReadColorNoSkip(value);
    } else if (is("textpadding")) {
        int v[4] = {0, 0, 0, 0};
        ReadIntegers(value, v, 4);
        SetTextPadding(RECT{Px(v[0]), Px(v[1]), Px(v[2]), Px(v[3])});
    } else if (is("showhtml")) {
        SetShowHtml(AttributeIsTrue(value));
    } else if (is("enabledeffect")) {
        effectEnabled_ = AttributeIsTrue(value);
    } else if (is("enabledstroke")) {
        strokeEnabled_ = AttributeIsTrue(value);
    } else if (is("enabledshadow")) {
        shadowEnabled_ = AttributeIsTrue(value);
    } else if (is("rhaa")) {
        SetTextRenderingHint(ReadInt(value));
    } else if (is("transshadow")) {
        shadowAlpha1_ = ReadInt(value);
    } else if (is("transshadow1")) {
        shadowAlpha2_ = ReadInt(value);
    } else if (is("transtext")) {
        textAlpha1_ = ReadInt(value);
    } else if (is("transtext1")) {
        textAlpha2_ = ReadInt(value);
    } else if (is("transstroke")) {
        strokeAlpha_ = ReadInt(value);
    } else if (is("gradientangle")) {
        gradientAngle_ = ReadInt(value);
    } else if (is("gradientlength")) {
        gradientLength_ = ReadInt(value);
    } else if (is("shadowoffset")) {
        int v[2] = {0, 0};
        ReadIntegers(value, v, 2);
        ApplyShadowOffset(Px(v[0]), v[1]);
    } else if (is("valign")) {
        // Feeds the string format's horizontal alignment (the names are crossed on purpose).
        if (Contains(value, "top")) effectHAlign_ = 0;
        if (Contains(value, "center")) effectHAlign_ = 1;
        if (Contains(value, "bottom")) effectHAlign_ = 2;
    } else if (is("halign")) {
        if (Contains(value, "left")) effectVAlign_ = 0;
        if (Contains(value, "center")) effectVAlign_ = 1;
        if (Contains(value, "right")) effectVAlign_ = 2;
    } else {
        CControlUI::ApplyAttribute(name, value);
    }
}

void CLabelUI::SetTextStyle(UINT style) {
    textStyle_ = style;
    Invalidate();
}

void CLabelUI::SetFont(int index) {
    font_ = index;
    Invalidate();
}

void CLabelUI::SetTextColor(DWORD color) {
    textColor_ = color;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD color) {
    disabledTextColor_ = color;
    Invalidate();
}

void CLabelUI::ScaleGeometry(int from, int to) {
    CControlUI::ScaleGeometry(from, to);
    ScaleRect(textPadding_, from, to);
    shadowOffsetX_ = shadowOffsetX_ * static_cast<float>(to) / static_cast<float>(from);
    shadowOffsetY_ = shadowOffsetY_ * static_cast<float>(to) / static_cast<float>(from);
}

void CLabelUI::SetTextPadding(const RECT& padding) {
    textPadding_ = padding;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool show) {
    if (showHtml_ == show) return;
    showHtml_ = show;
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// 4. Measuring and painting
// ---------------------------------------------------------------------------------------------

int CLabelUI::FontHeight() const {
    if (manager_ == nullptr) return 0;
    TFontInfo* info = manager_->GetFontInfo(font_);
    if (info == nullptr) return 0;
    if (info->metrics.tmHeight != 0) return info->metrics.tmHeight;
    // A manager without a window has measured nothing yet; the screen gives the same metrics.
    HFONT font = info->font ? info->font.get() : static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) return 0;
    HGDIOBJ old = ::SelectObject(screen, font);
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(screen, &tm);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    return tm.tmHeight;
}

SIZE CLabelUI::MeasureSize(SIZE available) {
    if (fixedSize_.cy != 0 || manager_ == nullptr) return CControlUI::MeasureSize(available);
    return SIZE{fixedSize_.cx, FontHeight() + 4};
}

void CLabelUI::FillDefaultColors() {
    if (manager_ == nullptr) return;
    if (textColor_ == 0) textColor_ = manager_->GetDefaultFontColor();
    if (disabledTextColor_ == 0) disabledTextColor_ = manager_->GetDefaultDisabledColor();
}

RECT CLabelUI::TextRect() const {
    return RECT{bounds_.left + textPadding_.left, bounds_.top + textPadding_.top,
                bounds_.right - textPadding_.right, bounds_.bottom - textPadding_.bottom};
}

void CLabelUI::DrawLabelText(HDC dc, RECT rect, DWORD color, UINT style) {
    if (showHtml_) {
        int links = 0;
        CRenderer::DrawHtmlText(dc, manager_, rect, text_.c_str(), color, nullptr, nullptr, links,
                                style);
    } else {
        CRenderer::DrawText(dc, manager_, rect, text_.c_str(), color, font_, style);
    }
}

void CLabelUI::PaintText(HDC dc) {
    FillDefaultColors();
    const RECT rect = TextRect();
    if (!effectEnabled_) {
        if (text_.empty()) return;
        DrawLabelText(dc, rect, IsEnabled() ? textColor_ : disabledTextColor_,
                      textStyle_ | TextSingleLine);
        return;
    }
    if (effectText_.empty()) effectText_ = text_;
    if (effectText_.empty()) return;
    PaintEffectText(dc, rect);
}

}  // namespace SkinUI
