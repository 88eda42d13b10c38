// CWindowManagerUI: the per-window hub of the UI framework and the holder of its
// process-wide state (program instance, resource location, the list of all managers) and of
// the message loop with its pre-translation step.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace SkinUI {

// Given every message of a manager's window before normal dispatch; answering 0 claims it.
class ITranslateAccelerator {
public:
    virtual LRESULT TranslateAccelerator(MSG* message) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

class CWindowManagerUI {
public:
    CWindowManagerUI();
    ~CWindowManagerUI();
    CWindowManagerUI(const CWindowManagerUI&) = delete;
    CWindowManagerUI& operator=(const CWindowManagerUI&) = delete;

    // Process-wide state.
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    static void SetResourceInstance(HINSTANCE instance);
    static HINSTANCE GetResourceInstance();
    static void SetResourcePath(const std::string& path);
    static const std::string& GetResourcePath();
    static void SetResourceZip(const std::string& zipName);
    static const std::string& GetResourceZip();

    // Runs until WM_QUIT; every message is first offered to PreTranslateMessage.
    static void MessageLoop();
    static bool PreTranslateMessage(const MSG* message);

    void AttachWindow(HWND window);
    HWND GetPaintWindow() const { return window_; }

    bool AddTranslateAccelerator(ITranslateAccelerator* translator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* translator);
    bool TranslateAccelerator(MSG* message);
    bool PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    HWND window_ = nullptr;
    std::vector<ITranslateAccelerator*> translators_;
};

}  // namespace SkinUI
