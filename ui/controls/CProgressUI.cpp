// CProgressUI: range and value, and the fore image drawn over the part the value covers.
#include "ui/controls/CProgressUI.h"

#include <cstdio>
#include <cstring>

#include "ui/controls/AttributeValue.h"
#include "ui/controls/RenderGeometry.h"
#include "ui/core/CAccessibleUI.h"

namespace SkinUI {

CProgressUI::CProgressUI() {
    textStyle_ = TextCenter | TextSingleLine;
    fixedSize_.cy = 12;
}

LPCSTR CProgressUI::GetTypeName() const {
    return "ProgressUI";
}

void* CProgressUI::QueryType(LPCSTR name) {
    if (std::strcmp(name, "Progress") == 0) return this;
    return CLabelUI::QueryType(name);
}

void CProgressUI::SetHorizontal(bool horizontal) {
    if (horizontal_ == horizontal) return;
    horizontal_ = horizontal;
    Invalidate();
}

void CProgressUI::SetStretchForeImage(bool stretch) {
    if (stretchForeImage_ == stretch) return;
    stretchForeImage_ = stretch;
    Invalidate();
}

void CProgressUI::SetMinValue(int value) {
    min_ = value;
    Invalidate();
}

void CProgressUI::SetMaxValue(int value) {
    max_ = value;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    const bool changed = value != value_;
    value_ = value;
    Invalidate();
    if (changed) CAccessibleUI::NotifyEvent(this, EVENT_OBJECT_VALUECHANGE);
}

void CProgressUI::SetForeImage(const std::string& image) {
    if (foreImage_ == image) return;
    foreImage_ = image;
    Invalidate();
}

void CProgressUI::ApplyAttribute(LPCSTR name, LPCSTR value) {
    auto is = [name](const char* attribute) { return std::strcmp(name, attribute) == 0; };
    int v = 0;
    if (is("foreimage")) {
        SetForeImage(value);
    } else if (is("hor")) {
        SetHorizontal(AttributeIsTrue(value));
    } else if (is("min")) {
        ReadIntegers(value, &v, 1);
        SetMinValue(v);
    } else if (is("max")) {
        ReadIntegers(value, &v, 1);
        SetMaxValue(v);
    } else if (is("value")) {
        ReadIntegers(value, &v, 1);
        SetValue(v);
    } else if (is("isstretchfore")) {
        SetStretchForeImage(AttributeIsTrue(value));
    } else {
        CLabelUI::ApplyAttribute(name, value);
    }
}

void CProgressUI::PaintStateImage(HDC dc) {
    // An inverted or empty range is repaired and the value kept inside it, never refused.
    // (min + 1 cannot overflow into a range the clamp below would mis-handle: min == INT_MAX
    // leaves max == INT_MAX, and the value is pinned to it.)
    if (max_ <= min_) max_ = min_ < 0x7FFFFFFF ? min_ + 1 : min_;
    if (value_ > max_) value_ = max_;
    if (value_ < min_) value_ = min_;

    const long long width = bounds_.right - bounds_.left;
    const long long height = bounds_.bottom - bounds_.top;
    const long long range = static_cast<long long>(max_) - min_;
    RECT part = {0, 0, 0, 0};
    // 64-bit products: a large range times the bounds would overflow an int.
    if (range > 0 && horizontal_) {
        part.right = static_cast<LONG>(width * (static_cast<long long>(value_) - min_) / range);
        part.bottom = static_cast<LONG>(height);
    } else if (range > 0) {
        part.top = static_cast<LONG>(height * (static_cast<long long>(max_) - value_) / range);
        part.right = static_cast<LONG>(width);
        part.bottom = static_cast<LONG>(height);
    }

    if (foreImage_.empty()) return;
    char modifier[128];
    if (stretchForeImage_) {
        std::snprintf(modifier, sizeof modifier, "dest='%ld,%ld,%ld,%ld'", part.left, part.top,
                      part.right, part.bottom);
    } else {
        // The picture is drawn at the skin's scale, so the part of it shown is the bar's part
        // in 96-DPI pixels.
        const TRectI source =
            ScaleForDpi(MakeRect(part.left, part.top, part.right, part.bottom), dpi_, 96);
        std::snprintf(modifier, sizeof modifier, "dest='%ld,%ld,%ld,%ld' source='%d,%d,%d,%d'",
                      part.left, part.top, part.right, part.bottom, source.left, source.top,
                      source.right, source.bottom);
    }
    foreModifier_ = modifier;
    if (!DrawImage(dc, foreImage_, foreModifier_.c_str())) foreImage_.clear();
}

}  // namespace SkinUI
