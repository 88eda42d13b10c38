// Start-up benchmark, framework side: from process start to the first complete paint of the
// loader's skin (the test fixture, compiled in as XML resource 130 with stand-in pictures of
// the same sizes) in a 541 x 402 window, built and painted the way the loader window does it.
// Prints the milliseconds since the process was created, then exits.
#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <cstdio>

#include "bench/startup_clock.h"
#include "ui/controls/CControlUI.h"
#include "ui/core/CSkinBuilder.h"
#include "ui/core/CWindowManagerUI.h"
#include "ui/core/CWindowWnd.h"

using namespace SkinUI;

namespace {

class SkinWnd : public CWindowWnd {
public:
    LPCSTR WindowClassName() const override { return "StartupBenchFrame"; }
    UINT ClassStyle() const override { return CS_DBLCLKS; }
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) {
            ::SetWindowLongA(
                GetHWND(), GWL_STYLE,
                ::GetWindowLongA(GetHWND(), GWL_STYLE) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
            manager.AttachWindow(GetHWND());
            CSkinBuilder builder;
            CControlUI* root = builder.Build(MAKEINTRESOURCEA(130), "XML", nullptr, &manager);
            manager.AttachRoot(root);
            return 0;
        }
        LRESULT result = 0;
        if (manager.MessageHandler(message, wParam, lParam, result)) {
            if (message == WM_PAINT && !painted) {
                ::GdiFlush();
                painted = true;
                std::printf("%.1f\n", startupbench::MsSinceProcessStart());
                ::PostQuitMessage(0);
            }
            return result;
        }
        return CWindowWnd::OnWindowMessage(message, wParam, lParam);
    }
    CWindowManagerUI manager;
    bool painted = false;
};

}  // namespace

int main() {
    CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    ::CoInitialize(nullptr);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    {
        SkinWnd window;
        window.Create(nullptr, "startup", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 0);
        window.CenterWindow();
        window.ShowWindow(true);
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::DestroyWindow(window.GetHWND());
    }
    Gdiplus::GdiplusShutdown(token);
    ::CoUninitialize();
    return 0;
}
