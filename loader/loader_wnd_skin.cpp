// LoaderWnd's skin: the window settings and the control tree of the skin document (resource
// 130, "XML"), and where the update flow finds its progress bar.
//
// Until the skin builder and the label and progress controls are part of the framework, the
// document's window settings, fonts and layouts are applied here by hand with the same values,
// and a native progress control stands where the skin's bar goes; the label is not shown.
#include "loader/loader_wnd.h"
#include "ui/controls/CHorizontalLayoutUI.h"
#include "ui/controls/CVerticalLayoutUI.h"

namespace {

// Where the skin places the bar: left 130, top 355 + 14, 378 x 15.
constexpr int kProgressLeft = 130;
constexpr int kProgressTop = 369;
constexpr int kProgressWidth = 378;
constexpr int kProgressHeight = 15;
constexpr int kSkinProgressValue = 98;

}  // namespace

void LoaderWnd::BuildSkin() {
    manager.SetInitialSize(541, 402);
    manager.SetSizeBox(RECT{0, 0, 0, 0});
    manager.SetRoundCorner(4, 4);
    manager.SetCaptionRect(RECT{0, 0, 0, 100});
    manager.SetMinTrackSize(541, 402);
    manager.SetAlphaBackground(true);
    manager.AddFont("\xD0\xC2\xCB\xCE\xCC\xE5", 12, false, false, false);  // 新宋体 (GBK)
    manager.AddFont("\xD0\xC2\xCB\xCE\xCC\xE5", 12, true, false, false);
    manager.AddFont("\xCB\xCE\xCC\xE5", 14, false, false, false);  // 宋体
    manager.AddFont("\xD0\xC2\xCB\xCE\xCC\xE5", 14, true, false, false);
    manager.AddFont("\xD0\xC2\xCB\xCE\xCC\xE5", 12, false, true, false);

    auto* root = new SkinUI::CVerticalLayoutUI;
    root->ApplyAttributeString("bkimage=\"res='110' restype='png'\"");
    auto* wheel = new SkinUI::CHorizontalLayoutUI;
    wheel->ApplyAttributeString(
        "name=\"wheel\" height=\"355\" bkimage=\"res='122' restype='png'\"");
    root->Add(wheel);
    auto* band = new SkinUI::CHorizontalLayoutUI;
    band->ApplyAttributeString(
        "name=\"progressbg\" float=\"true\" pos=\"0,355,0,0\" width=\"538\" height=\"46\"");
    root->Add(band);
    manager.AttachRoot(root);
    manager.AddNotifier(this);

    plainProgressCreated_ = plainProgress_.Create(GetHWND(), kProgressLeft, kProgressTop,
                                                  kProgressWidth, kProgressHeight);
    if (plainProgressCreated_) plainProgress_.SetValue(kSkinProgressValue);
}

ProgressBar* LoaderWnd::FindProgressBar() {
    return plainProgressCreated_ ? &plainProgress_ : nullptr;
}
