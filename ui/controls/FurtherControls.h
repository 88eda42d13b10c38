// The further controls a skin may name: each is made by its tag, reports its type name,
// answers type queries with its tag, and takes the common attributes through the control
// base. Containers among them hold, place and paint children like any container. None of
// them has the behaviour its name suggests (editing, dropping down, tabbing, hosting COM
// objects); a skin that uses them gets plain controls and containers in their place.
#pragma once

#include "ui/controls/CContainerUI.h"
#include "ui/controls/CHorizontalLayoutUI.h"
#include "ui/controls/CVerticalLayoutUI.h"

namespace SkinUI {

// Stands in for a check box; it has no checked state of its own.
class CCheckBoxUI : public CControlUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// Stands in for a text field; no editing.
class CEditUI : public CControlUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// Stands in for a formatted text field; no editing.
class CRichEditUI : public CControlUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// A list; its items stack top to bottom.
class CListUI : public CVerticalLayoutUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// A list's header; its items sit side by side.
class CListHeaderUI : public CHorizontalLayoutUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// One column heading.
class CListHeaderItemUI : public CControlUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// A list row of texts.
class CListTextElementUI : public CControlUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// A list row with one label.
class CListLabelElementUI : public CControlUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// A list row holding controls.
class CListContainerElementUI : public CContainerUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// Stands in for a drop-down list; its items are plain children.
class CComboUI : public CContainerUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// Stands in for a drop-down list with state pictures; its items are plain children.
class CComboBoxUI : public CContainerUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// Stands in for a slider; no value or thumb.
class CSliderUI : public CControlUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// Stands in for a date field; no date.
class CDateTimeUI : public CControlUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// A tree; its nodes stack top to bottom.
class CTreeViewUI : public CVerticalLayoutUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// One tree node; holds its child nodes.
class CTreeNodeUI : public CContainerUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// Stands in for a paged layout: every page is placed over the whole inner area.
class CTabLayoutUI : public CContainerUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// Stands in for a grid layout: children fill the inner area like any container's.
class CTileLayoutUI : public CContainerUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// Stands in for a layout loaded from another skin file: holds what the skin nests in it.
class CChildLayoutUI : public CContainerUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// Stands in for a COM control host; hosts nothing.
class CActiveXUI : public CControlUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

// Stands in for the web browser host; hosts nothing.
class CWebBrowserUI : public CControlUI {
public:
    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
};

}  // namespace SkinUI
