// CHorizontalLayoutUI: the horizontal linear layout; the sharing and the separator drag are
// CLinearLayoutUI's.
#include "ui/controls/CHorizontalLayoutUI.h"

#include <cstring>

#include "ui/controls/AttributeValue.h"

namespace SkinUI {

LPCSTR CHorizontalLayoutUI::GetTypeName() const {
    return "HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::QueryType(LPCSTR name) {
    if (std::strcmp(name, "HorizontalLayout") == 0) return this;
    return CContainerUI::QueryType(name);
}

void CHorizontalLayoutUI::ApplyAttribute(LPCSTR name, LPCSTR value) {
    int v = 0;
    if (std::strcmp(name, "sepwidth") == 0) {
        ReadIntegers(value, &v, 1);
        SetSepWidth(Px(v));
    } else if (std::strcmp(name, "sepimm") == 0) {
        SetSepImmMode(AttributeIsTrue(value));
    } else {
        CContainerUI::ApplyAttribute(name, value);
    }
}

}  // namespace SkinUI
