// A real popup window with a manager and a root container, for tests that drive controls
// through window messages and paint them. Notifications are recorded in order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/ui_test_support.h"

namespace uitest {

struct TNotice {
    std::string type;
    SkinUI::CControlUI* sender;
    WPARAM wParam;
};

struct NoticeRecorder : SkinUI::INotifyUI {
    // The manager's own focus and start-up notices are not the controls' business here.
    void OnNotify(SkinUI::TNoticeUI& notice) override {
        if (notice.type == "setfocus" || notice.type == "killfocus" || notice.type == "windowinit")
            return;
        notices.push_back(TNotice{notice.type, notice.sender, notice.wParam});
    }
    std::vector<std::string> Types() const {
        std::vector<std::string> t;
        for (const auto& n : notices) t.push_back(n.type);
        return t;
    }
    std::vector<TNotice> notices;
};

// A window whose messages go to its manager first, as the loader window does.
class ManagedWnd : public SkinUI::CWindowWnd {
public:
    ManagedWnd() { SkinUI::CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr)); }
    ~ManagedWnd() {
        if (GetHWND() != nullptr) ::DestroyWindow(GetHWND());
    }
    LPCSTR WindowClassName() const override { return "SkinUIControlScene"; }
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) manager.AttachWindow(GetHWND());
        LRESULT result = 0;
        if (manager.MessageHandler(message, wParam, lParam, result)) return result;
        return CWindowWnd::OnWindowMessage(message, wParam, lParam);
    }
    SkinUI::CWindowManagerUI manager;
};

class Scene {
public:
    explicit Scene(int width = 300, int height = 200) {
        window = host.Create(nullptr, "scene", WS_POPUP, 0, 0, 0, width, height);
        manager.AddNotifier(&log);
        root = new TestContainer("root");
        manager.AttachRoot(root);
        root->SetBounds(RECT{0, 0, width, height});
    }
    template <class Control>
    Control* Add(Control* control, const RECT& bounds) {
        root->Add(control);
        control->SetBounds(bounds);
        return control;
    }
    void Send(UINT message, int x, int y, WPARAM wParam = 0) {
        ::SendMessageA(window, message, wParam, MAKELPARAM(x, y));
    }
    void Click(int x, int y) {
        Send(WM_MOUSEMOVE, x, y);
        Send(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        Send(WM_LBUTTONUP, x, y);
    }

    NoticeRecorder log;  // outlives the window, which may notify while it is destroyed
    ManagedWnd host;
    SkinUI::CWindowManagerUI& manager = host.manager;
    HWND window = nullptr;
    TestContainer* root = nullptr;
};

}  // namespace uitest
