// The further controls: type names and type queries only.
#include "ui/controls/FurtherControls.h"

#include <cstring>

namespace SkinUI {

LPCSTR CCheckBoxUI::GetTypeName() const {
    return "CheckBoxUI";
}
void* CCheckBoxUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "CheckBox") == 0 ? this : CControlUI::QueryType(name);
}

LPCSTR CEditUI::GetTypeName() const {
    return "EditUI";
}
void* CEditUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "Edit") == 0 ? this : CControlUI::QueryType(name);
}

LPCSTR CRichEditUI::GetTypeName() const {
    return "RichEditUI";
}
void* CRichEditUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "RichEdit") == 0 ? this : CControlUI::QueryType(name);
}

LPCSTR CListUI::GetTypeName() const {
    return "ListUI";
}
void* CListUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "List") == 0 ? this : CVerticalLayoutUI::QueryType(name);
}

LPCSTR CListHeaderUI::GetTypeName() const {
    return "ListHeaderUI";
}
void* CListHeaderUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "ListHeader") == 0 ? this : CHorizontalLayoutUI::QueryType(name);
}

LPCSTR CListHeaderItemUI::GetTypeName() const {
    return "ListHeaderItemUI";
}
void* CListHeaderItemUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "ListHeaderItem") == 0 ? this : CControlUI::QueryType(name);
}

LPCSTR CListTextElementUI::GetTypeName() const {
    return "ListTextElementUI";
}
void* CListTextElementUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "ListTextElement") == 0 ? this : CControlUI::QueryType(name);
}

LPCSTR CListLabelElementUI::GetTypeName() const {
    return "ListLabelElementUI";
}
void* CListLabelElementUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "ListLabelElement") == 0 ? this : CControlUI::QueryType(name);
}

LPCSTR CListContainerElementUI::GetTypeName() const {
    return "ListContainerElementUI";
}
void* CListContainerElementUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "ListContainerElement") == 0 ? this : CContainerUI::QueryType(name);
}

LPCSTR CComboUI::GetTypeName() const {
    return "ComboUI";
}
void* CComboUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "Combo") == 0 ? this : CContainerUI::QueryType(name);
}

LPCSTR CComboBoxUI::GetTypeName() const {
    return "ComboBoxUI";
}
void* CComboBoxUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "ComboBox") == 0 ? this : CContainerUI::QueryType(name);
}

LPCSTR CSliderUI::GetTypeName() const {
    return "SliderUI";
}
void* CSliderUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "Slider") == 0 ? this : CControlUI::QueryType(name);
}

LPCSTR CDateTimeUI::GetTypeName() const {
    return "DateTimeUI";
}
void* CDateTimeUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "DateTime") == 0 ? this : CControlUI::QueryType(name);
}

LPCSTR CTreeViewUI::GetTypeName() const {
    return "TreeViewUI";
}
void* CTreeViewUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "TreeView") == 0 ? this : CVerticalLayoutUI::QueryType(name);
}

LPCSTR CTreeNodeUI::GetTypeName() const {
    return "TreeNodeUI";
}
void* CTreeNodeUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "TreeNode") == 0 ? this : CContainerUI::QueryType(name);
}

LPCSTR CTabLayoutUI::GetTypeName() const {
    return "TabLayoutUI";
}
void* CTabLayoutUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "TabLayout") == 0 ? this : CContainerUI::QueryType(name);
}

LPCSTR CTileLayoutUI::GetTypeName() const {
    return "TileLayoutUI";
}
void* CTileLayoutUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "TileLayout") == 0 ? this : CContainerUI::QueryType(name);
}

LPCSTR CChildLayoutUI::GetTypeName() const {
    return "ChildLayoutUI";
}
void* CChildLayoutUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "ChildLayout") == 0 ? this : CContainerUI::QueryType(name);
}

LPCSTR CActiveXUI::GetTypeName() const {
    return "ActiveXUI";
}
void* CActiveXUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "ActiveX") == 0 ? this : CControlUI::QueryType(name);
}

LPCSTR CWebBrowserUI::GetTypeName() const {
    return "WebBrowserUI";
}
void* CWebBrowserUI::QueryType(LPCSTR name) {
    return std::strcmp(name, "WebBrowser") == 0 ? this : CControlUI::QueryType(name);
}

}  // namespace SkinUI
