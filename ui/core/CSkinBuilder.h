// CSkinBuilder: turns a skin document into a tree of controls for one window. It loads the
// markup from a program resource, a string or a file, registers the skin's images, fonts and
// default attribute lists with the window's manager, applies the root "Window" element's
// settings to the manager, and makes one control per element by tag name.
#pragma once

#include <windows.h>

#include "ui/core/CWindowManagerUI.h"
#include "ui/core/XmlDocument.h"
#include "ui/core/XmlNode.h"

namespace SkinUI {

class CControlUI;
class IContainerUI;

// Asked for a control when neither the built-in tags nor a plug-in factory know the tag.
class IDialogBuilderCallback {
public:
    virtual CControlUI* CreateCustomControl(LPCSTR typeName) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

class CSkinBuilder {
public:
    CSkinBuilder() = default;
    ~CSkinBuilder() = default;
    CSkinBuilder(const CSkinBuilder&) = delete;
    CSkinBuilder& operator=(const CSkinBuilder&) = delete;

    // `skin` is a resource id (MAKEINTRESOURCE) of type `type`, markup text starting with
    // "<", or a file name under the resource path. Answers the first top-level control, or
    // none when nothing could be loaded or made. With a `parent`, the top-level controls are
    // added to it; with a `manager`, the skin's resources and window settings go to it.
    CControlUI* Build(LPCSTR skin, LPCSTR type = nullptr,
                      IDialogBuilderCallback* callback = nullptr,
                      CWindowManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    // The same on the document already loaded (GetDocument).
    CControlUI* BuildFromDocument(IDialogBuilderCallback* callback = nullptr,
                                  CWindowManagerUI* manager = nullptr,
                                  CControlUI* parent = nullptr);
    CXmlDocument& GetDocument() { return document_; }

    // A new control of a built-in tag (exact, case-sensitive), or none.
    static CControlUI* CreateBuiltinControl(LPCSTR tag);

    // Nested includes and the number of included builds of one Build are bounded, so a skin
    // that includes itself, or multiplies includes, ends instead of exhausting the stack or
    // memory.
    static constexpr int kMaxIncludeDepth = 16;
    static constexpr int kMaxIncludedBuilds = 1024;

private:
    // Shared by a build and every build it includes.
    struct IncludeBudget {
        int remaining = kMaxIncludedBuilds;
    };

    CControlUI* BuildChildren(const CXmlNode& node, CControlUI* parent, CWindowManagerUI* manager);
    CControlUI* CreateControl(LPCSTR tag);
    void RegisterResources(const CXmlNode& root, CWindowManagerUI* manager);
    void ApplyWindowAttributes(const CXmlNode& root, CWindowManagerUI* manager);
    void Include(const CXmlNode& node, CControlUI* parent, CWindowManagerUI* manager);
    bool AddToParent(CControlUI* control, CControlUI* parent, IContainerUI*& container,
                     bool& containerLooked);

    CXmlDocument document_;
    IDialogBuilderCallback* callback_ = nullptr;
    LPCSTR resourceType_ = nullptr;  // set when loaded from a resource; not owned
    int depth_ = 0;
    IncludeBudget ownBudget_;
    IncludeBudget* budget_ = &ownBudget_;
};

}  // namespace SkinUI
