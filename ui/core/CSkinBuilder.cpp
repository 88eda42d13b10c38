// CSkinBuilder: loading, the root's resources and window settings, and the control tree.
//
//   1. Attribute value readers
//   2. The tag table
//   3. Loading
//   4. Resources and window settings of the root
//   5. The control tree and includes
#include "ui/core/CSkinBuilder.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "ui/controls/CButtonUI.h"
#include "ui/controls/CContainerUI.h"
#include "ui/controls/CControlUI.h"
#include "ui/controls/CHorizontalLayoutUI.h"
#include "ui/controls/CLabelUI.h"
#include "ui/controls/COptionUI.h"
#include "ui/controls/CProgressUI.h"
#include "ui/controls/CScrollBarUI.h"
#include "ui/controls/CTextUI.h"
#include "ui/controls/CVerticalLayoutUI.h"
#include "ui/controls/FurtherControls.h"

namespace SkinUI {

// ---------------------------------------------------------------------------------------------
// 1. Attribute value readers
// ---------------------------------------------------------------------------------------------

namespace {

bool IsTrue(const char* value) {
    return std::strcmp(value, "true") == 0;
}

// A decimal number; strtol saturates instead of overflowing on absurd values.
int Decimal(const char* value) {
    return static_cast<int>(std::strtol(value, nullptr, 10));
}

// Consecutive decimal numbers with exactly one separator character between them. Missing
// numbers read as 0; the reader never steps past the end of the text.
void Numbers(const char* value, int* out, int count) {
    const char* p = value;
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        out[i] = static_cast<int>(std::strtol(p, &end, 10));
        p = end;
        if (*p != '\0') ++p;
    }
}

DWORD Hex(const char* value) {
    if (*value == '#') ++value;
    return static_cast<DWORD>(std::strtoul(value, nullptr, 16));
}

// Reads attribute `name` of `node`, or gives `fallback` when the node has none.
class AttributeReader {
public:
    explicit AttributeReader(const CXmlNode& node) : node_(node) {}
    const char* Get(const char* name) const {
        for (int i = 0; i < node_.AttributeCount(); ++i) {
            if (std::strcmp(node_.AttributeName(i), name) == 0) return node_.AttributeValue(i);
        }
        return nullptr;
    }
    const char* Get(const char* name, const char* fallback) const {
        const char* value = Get(name);
        return value != nullptr ? value : fallback;
    }

private:
    const CXmlNode& node_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// 2. The tag table
// ---------------------------------------------------------------------------------------------

namespace {

template <class Control>
CControlUI* Make() {
    return new Control;
}

struct TagEntry {
    const char* tag;
    CControlUI* (*make)();
};

const TagEntry kTags[] = {
    {"Control", Make<CControlUI>},
    {"Container", Make<CContainerUI>},
    {"VerticalLayout", Make<CVerticalLayoutUI>},
    {"HorizontalLayout", Make<CHorizontalLayoutUI>},
    {"Label", Make<CLabelUI>},
    {"Text", Make<CTextUI>},
    {"Button", Make<CButtonUI>},
    {"Option", Make<COptionUI>},
    {"Progress", Make<CProgressUI>},
    {"CheckBox", Make<CCheckBoxUI>},
    {"Edit", Make<CEditUI>},
    {"RichEdit", Make<CRichEditUI>},
    {"List", Make<CListUI>},
    {"ListHeader", Make<CListHeaderUI>},
    {"ListHeaderItem", Make<CListHeaderItemUI>},
    {"ListTextElement", Make<CListTextElementUI>},
    {"ListLabelElement", Make<CListLabelElementUI>},
    {"ListContainerElement", Make<CListContainerElementUI>},
    {"Combo", Make<CComboUI>},
    {"ComboBox", Make<CComboBoxUI>},
    {"Slider", Make<CSliderUI>},
    {"ScrollBar", Make<CScrollBarUI>},
    {"DateTime", Make<CDateTimeUI>},
    {"TreeView", Make<CTreeViewUI>},
    {"TabLayout", Make<CTabLayoutUI>},
    {"TileLayout", Make<CTileLayoutUI>},
    {"ChildLayout", Make<CChildLayoutUI>},
    {"ActiveX", Make<CActiveXUI>},
    {"WebBrowser", Make<CWebBrowserUI>},
    // Tree nodes attach to the enclosing tree node or tree view like any child.
    {"TreeNode", Make<CTreeNodeUI>},
};

}  // namespace

CControlUI* CSkinBuilder::CreateBuiltinControl(LPCSTR tag) {
    if (tag == nullptr) return nullptr;
    for (const TagEntry& entry : kTags) {
        if (std::strcmp(entry.tag, tag) == 0) return entry.make();
    }
    return nullptr;
}

CControlUI* CSkinBuilder::CreateControl(LPCSTR tag) {
    if (CControlUI* control = CreateBuiltinControl(tag)) return control;
    for (ControlFactoryFn factory : CWindowManagerUI::GetControlFactories()) {
        if (CControlUI* control = factory(tag)) return control;
    }
    if (callback_ != nullptr) return callback_->CreateCustomControl(tag);
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// 3. Loading
// ---------------------------------------------------------------------------------------------

CControlUI* CSkinBuilder::Build(LPCSTR skin, LPCSTR type, IDialogBuilderCallback* callback,
                                CWindowManagerUI* manager, CControlUI* parent) {
    resourceType_ = nullptr;
    if (IS_INTRESOURCE(skin)) {
        if (skin == nullptr || type == nullptr) return nullptr;
        HINSTANCE module = CWindowManagerUI::GetResourceInstance();
        HRSRC found = ::FindResourceA(module, skin, type);
        if (found == nullptr) return nullptr;
        HGLOBAL loaded = ::LoadResource(module, found);
        if (loaded == nullptr) return nullptr;
        const void* bytes = ::LockResource(loaded);
        const DWORD size = ::SizeofResource(module, found);
        if (bytes == nullptr) return nullptr;
        callback_ = callback;
        if (!document_.LoadFromBuffer(bytes, size, XmlEncodingUtf8)) return nullptr;
        resourceType_ = type;
    } else if (skin[0] == '<') {
        if (!document_.LoadFromString(skin)) return nullptr;
    } else if (!document_.LoadFromFile(skin, XmlEncodingUtf8)) {
        return nullptr;
    }
    return BuildFromDocument(callback, manager, parent);
}

CControlUI* CSkinBuilder::BuildFromDocument(IDialogBuilderCallback* callback,
                                            CWindowManagerUI* manager, CControlUI* parent) {
    callback_ = callback;
    const CXmlNode root = document_.GetRootNode();
    if (!root.IsValid()) return nullptr;
    if (manager != nullptr) {
        RegisterResources(root, manager);
        if (std::strcmp(root.GetName(), "Window") == 0 && manager->GetPaintWindow() != nullptr) {
            ApplyWindowAttributes(root, manager);
        }
    }
    return BuildChildren(root, parent, manager);
}

// ---------------------------------------------------------------------------------------------
// 4. Resources and window settings of the root
// ---------------------------------------------------------------------------------------------

void CSkinBuilder::RegisterResources(const CXmlNode& root, CWindowManagerUI* manager) {
    for (CXmlNode node = root.FirstChild(); node.IsValid(); node = node.NextSibling()) {
        const char* tag = node.GetName();
        const AttributeReader attributes(node);
        if (std::strcmp(tag, "Image") == 0) {
            const char* name = attributes.Get("name");
            if (name == nullptr) continue;
            manager->AddImage(name, attributes.Get("restype"), Hex(attributes.Get("mask", "0")),
                              IsTrue(attributes.Get("gray", "")));
        } else if (std::strcmp(tag, "Font") == 0) {
            const char* name = attributes.Get("name");
            if (name == nullptr) continue;
            const char* size = attributes.Get("size");
            const int points = size != nullptr ? Decimal(size) : 12;
            const bool bold = IsTrue(attributes.Get("bold", ""));
            const bool underline = IsTrue(attributes.Get("underline", ""));
            const bool italic = IsTrue(attributes.Get("italic", ""));
            manager->AddFont(name, points, bold, underline, italic);
            if (IsTrue(attributes.Get("default", ""))) {
                manager->SetDefaultFont(name, points, bold, underline, italic);
            }
        } else if (std::strcmp(tag, "Default") == 0) {
            const char* name = attributes.Get("name");
            if (name == nullptr) continue;
            manager->AddDefaultAttributes(name, attributes.Get("value", ""));
        }
    }
}

void CSkinBuilder::ApplyWindowAttributes(const CXmlNode& root, CWindowManagerUI* manager) {
    for (int i = 0; i < root.AttributeCount(); ++i) {
        const char* name = root.AttributeName(i);
        const char* value = root.AttributeValue(i);
        int n[6] = {0, 0, 0, 0, 0, 0};
        if (std::strcmp(name, "size") == 0) {
            Numbers(value, n, 2);
            manager->SetInitialSize(n[0], n[1]);
        } else if (std::strcmp(name, "sizebox") == 0) {
            Numbers(value, n, 4);
            manager->SetSizeBox(RECT{n[0], n[1], n[2], n[3]});
        } else if (std::strcmp(name, "caption") == 0) {
            Numbers(value, n, 4);
            manager->SetCaptionRect(RECT{n[0], n[1], n[2], n[3]});
        } else if (std::strcmp(name, "roundcorner") == 0) {
            Numbers(value, n, 2);
            manager->SetRoundCorner(n[0], n[1]);
        } else if (std::strcmp(name, "mininfo") == 0) {
            Numbers(value, n, 2);
            manager->SetMinTrackSize(n[0], n[1]);
        } else if (std::strcmp(name, "maxinfo") == 0) {
            Numbers(value, n, 2);
            manager->SetMaxTrackSize(n[0], n[1]);
        } else if (std::strcmp(name, "showdirty") == 0) {
            manager->SetShowDirty(IsTrue(value));
        } else if (std::strcmp(name, "alpha") == 0) {
            manager->SetOpacity(Decimal(value));
        } else if (std::strcmp(name, "bktrans") == 0) {
            manager->SetAlphaBackground(IsTrue(value));
        } else if (std::strcmp(name, "disabledfontcolor") == 0) {
            manager->SetDefaultDisabledColor(Hex(value));
        } else if (std::strcmp(name, "defaultfontcolor") == 0) {
            manager->SetDefaultFontColor(Hex(value));
        } else if (std::strcmp(name, "linkfontcolor") == 0) {
            manager->SetDefaultLinkFontColor(Hex(value));
        } else if (std::strcmp(name, "linkhoverfontcolor") == 0) {
            manager->SetDefaultLinkHoverFontColor(Hex(value));
        } else if (std::strcmp(name, "selectedcolor") == 0) {
            manager->SetDefaultSelectedBkColor(Hex(value));
        } else if (std::strcmp(name, "shadowpos") == 0) {
            Numbers(value, n, 6);
            manager->SetShadowPlacement(n);
        } else if (std::strcmp(name, "enableshadow") == 0) {
            manager->SetShadow(IsTrue(value));
        } else if (std::strcmp(name, "shadowimage") == 0) {
            manager->SetShadowImage(value);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// 5. The control tree and includes
// ---------------------------------------------------------------------------------------------

void CSkinBuilder::Include(const CXmlNode& node, CControlUI* parent, CWindowManagerUI* manager) {
    if (!node.HasAttributes()) return;
    char buffer[500] = {};
    int count = 1;
    if (node.CopyAttributeValue("count", buffer, sizeof(buffer))) count = Decimal(buffer);
    if (!node.CopyAttributeValue("source", buffer, sizeof(buffer)) || count <= 0) return;
    if (depth_ + 1 > kMaxIncludeDepth) return;
    for (int i = 0; i < count && budget_->remaining > 0; ++i) {
        --budget_->remaining;
        CSkinBuilder nested;
        nested.depth_ = depth_ + 1;
        nested.budget_ = budget_;
        CControlUI* included = nullptr;
        if (resourceType_ != nullptr) {
            const auto id = static_cast<WORD>(std::strtol(buffer, nullptr, 10) & 0xFFFF);
            included =
                nested.Build(MAKEINTRESOURCEA(id), resourceType_, callback_, manager, parent);
        } else {
            included = nested.Build(buffer, nullptr, callback_, manager, parent);
        }
        // Without a parent nothing would ever hold what the include made.
        if (parent == nullptr) delete included;
    }
}

// Adds `control` to `parent`: to a tree node's own child list, else through the parent's
// child-list interface, looked up once per level. False when it was not taken; then
// `container` tells whether the parent has a child list at all.
bool CSkinBuilder::AddToParent(CControlUI* control, CControlUI* parent, IContainerUI*& container,
                               bool& containerLooked) {
    // The answer is the tree node itself, which need not be the parent object.
    if (void* node = parent->QueryType("TreeNode")) {
        return static_cast<CTreeNodeUI*>(node)->Add(control);
    }
    if (!containerLooked) {
        containerLooked = true;
        container = static_cast<IContainerUI*>(parent->QueryType("IContainer"));
    }
    return container != nullptr && container->Add(control);
}

CControlUI* CSkinBuilder::BuildChildren(const CXmlNode& node, CControlUI* parent,
                                        CWindowManagerUI* manager) {
    CControlUI* first = nullptr;
    IContainerUI* container = nullptr;
    bool containerLooked = false;
    for (CXmlNode child = node.FirstChild(); child.IsValid(); child = child.NextSibling()) {
        const char* tag = child.GetName();
        if (std::strcmp(tag, "Image") == 0 || std::strcmp(tag, "Font") == 0 ||
            std::strcmp(tag, "Default") == 0) {
            continue;
        }
        if (std::strcmp(tag, "Include") == 0) {
            Include(child, parent, manager);
            continue;
        }
        CControlUI* control = CreateControl(tag);
        if (control == nullptr) continue;  // unknown: skipped with its subtree

        // A container is filled before it receives its own attributes.
        if (child.HasChildren()) BuildChildren(child, control, manager);

        if (parent != nullptr && !AddToParent(control, parent, container, containerLooked)) {
            delete control;
            if (container == nullptr && parent->QueryType("TreeNode") == nullptr) {
                return nullptr;  // a parent without a child list ends the level
            }
            continue;
        }

        // Attached only while its defaults and attributes are applied, so their handlers
        // reach the manager's fonts, images and colours. The parent link stays, and a
        // parent that already belongs to a manager keeps its new child attached to it.
        if (manager != nullptr) {
            control->AttachManager(manager, parent, false);
            if (const std::string* defaults = manager->GetDefaultAttributes(tag)) {
                control->ApplyAttributeString(defaults->c_str());
            }
        }
        for (int i = 0; i < child.AttributeCount(); ++i) {
            control->ApplyAttribute(child.AttributeName(i), child.AttributeValue(i));
        }
        if (manager != nullptr) {
            control->AttachManager(parent != nullptr ? parent->GetManager() : nullptr, parent,
                                   false);
        }
        if (first == nullptr) {
            first = control;
        } else if (parent == nullptr) {
            delete control;  // no parent holds it and only the first is answered
        }
    }
    return first;
}

}  // namespace SkinUI
