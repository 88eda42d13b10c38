// Plain native window and progress control (see plain_window.h).
#include "loader/plain_window.h"

#include <commctrl.h>

HWND PlainWindow::Create(HWND parent, const char* caption, DWORD style, DWORD exStyle, int x, int y,
                         int width, int height) {
    WNDCLASSA windowClass = {};
    windowClass.style = ClassStyle();
    windowClass.lpfnWndProc = &PlainWindow::WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = WindowClassName();
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return nullptr;
    }
    window_ = CreateWindowExA(exStyle, WindowClassName(), caption, style, x, y, width, height,
                              parent, nullptr, windowClass.hInstance, this);
    return window_;
}

PlainWindow::~PlainWindow() {
    // The window must not outlive the object its procedure calls into.
    if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
}

void PlainWindow::ShowWindow(bool show, bool takeFocus) {
    if (window_ == nullptr) return;
    ::ShowWindow(window_, !show ? SW_HIDE : takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE);
}

LRESULT PlainWindow::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK PlainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PlainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<PlainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<PlainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        const LRESULT result = self->OnWindowMessage(message, wParam, lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return result;
    }
    return self->OnWindowMessage(message, wParam, lParam);
}

bool PlainProgressBar::Create(HWND parent, int x, int y, int width, int height) {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
    control_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, x, y, width, height,
                               parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (control_ == nullptr) return false;
    SendMessageA(control_, PBM_SETRANGE32, 0, 100);
    return true;
}

void PlainProgressBar::SetValue(int value) {
    value_ = value;
    if (control_ != nullptr) SendMessageA(control_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}
