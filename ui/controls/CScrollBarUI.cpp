// CScrollBarUI: range and position for the containers.
#include "ui/controls/CScrollBarUI.h"

#include <cstring>

namespace SkinUI {

namespace {
// A bar's thickness when the skin gives none.
const int kDefaultThickness = 16;
}  // namespace

CScrollBarUI::CScrollBarUI() {
    SetFixedWidth(kDefaultThickness);
    SetFixedHeight(0);
}

LPCSTR CScrollBarUI::GetTypeName() const {
    return "ScrollBarUI";
}

void* CScrollBarUI::QueryType(LPCSTR name) {
    if (std::strcmp(name, "ScrollBar") == 0) return this;
    return CControlUI::QueryType(name);
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (horizontal_ == horizontal) return;
    horizontal_ = horizontal;
    if (horizontal_) {
        SetFixedWidth(0);
        SetFixedHeight(kDefaultThickness);
    } else {
        SetFixedWidth(kDefaultThickness);
        SetFixedHeight(0);
    }
}

void CScrollBarUI::SetScrollRange(int range) {
    range_ = range < 0 ? 0 : range;
    if (pos_ > range_) pos_ = range_;
    Invalidate();
}

void CScrollBarUI::SetScrollPos(int pos) {
    if (pos < 0) pos = 0;
    if (pos > range_) pos = range_;
    if (pos_ == pos) return;
    pos_ = pos;
    Invalidate();
}

}  // namespace SkinUI
