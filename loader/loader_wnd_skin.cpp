// LoaderWnd's skin: the window settings and the control tree come from the skin document
// (resource 130, "XML"), and the update flow finds its progress bar there by name.
#include "loader/loader_wnd.h"
#include "ui/core/CSkinBuilder.h"

namespace {

constexpr WORD kSkinResource = 130;
constexpr char kSkinResourceType[] = "XML";
constexpr char kProgressName[] = "progress";

}  // namespace

void LoaderWnd::BuildSkin(SkinUI::CSkinBuilder& builder) {
    // While the Window element is applied the manager sizes the window (no root yet).
    SkinUI::CControlUI* root =
        builder.Build(MAKEINTRESOURCEA(kSkinResource), kSkinResourceType, nullptr, &manager);
    manager.AttachRoot(root);
    manager.AddNotifier(this);
}

ProgressBar* LoaderWnd::FindProgressBar() {
    SkinUI::CControlUI* control = manager.FindControlByName(kProgressName);
    return control != nullptr ? static_cast<ProgressBar*>(control->QueryType("Progress")) : nullptr;
}
