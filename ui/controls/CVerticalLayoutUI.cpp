// CVerticalLayoutUI: the vertical linear layout; the sharing and the separator drag are
// CLinearLayoutUI's.
#include "ui/controls/CVerticalLayoutUI.h"

#include <cstring>

#include "ui/controls/AttributeValue.h"

namespace SkinUI {

LPCSTR CVerticalLayoutUI::GetTypeName() const {
    return "VerticalLayoutUI";
}

void* CVerticalLayoutUI::QueryType(LPCSTR name) {
    if (std::strcmp(name, "VerticalLayout") == 0) return this;
    return CContainerUI::QueryType(name);
}

void CVerticalLayoutUI::ApplyAttribute(LPCSTR name, LPCSTR value) {
    int v = 0;
    if (std::strcmp(name, "sepheight") == 0) {
        ReadIntegers(value, &v, 1);
        SetSepHeight(Px(v));
    } else if (std::strcmp(name, "sepimm") == 0) {
        SetSepImmMode(AttributeIsTrue(value));
    } else {
        CContainerUI::ApplyAttribute(name, value);
    }
}

}  // namespace SkinUI
