// CWindowWnd: class registration, creation, the two window procedures that route messages
// to the object, and the small window operations (show, centre, close, subclass).
//
//   1. Placement arithmetic
//   2. Construction, destruction
//   3. Class registration and creation
//   4. Window procedures
//   5. Window operations
#include "ui/core/CWindowWnd.h"

#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

namespace {

// Ties a superclassed or subclassed window to its object (the window's user data may already
// belong to the class that was copied).
const char kObjectProperty[] = "WndX";

}  // namespace

// ---------------------------------------------------------------------------------------------
// 1. Placement arithmetic
// ---------------------------------------------------------------------------------------------

POINT CenteredPosition(const RECT& centre, const RECT& work, int w, int h) {
    // Integer division truncates toward zero, which is the rounding wanted for both halvings.
    int x = (centre.left + centre.right) / 2 - w / 2;
    int y = (centre.top + centre.bottom) / 2 - h / 2;
    if (x < work.left) {
        x = work.left;
    } else if (x + w > work.right) {
        x = work.right - w;
    }
    if (y < work.top) {
        y = work.top;
    } else if (y + h > work.bottom) {
        y = work.bottom - h;
    }
    return POINT{x, y};
}

// ---------------------------------------------------------------------------------------------
// 2. Construction, destruction
// ---------------------------------------------------------------------------------------------

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd() {
    // An object that goes away before its window must not stay reachable from the window's
    // procedure: later messages would call into a dead object. Detach; the window then falls
    // back to default handling (or to its own procedure, when it was subclassed).
    if (window_ == nullptr || !::IsWindow(window_)) {
        return;
    }
    if (subclassed_) {
        Unsubclass();
    }
    if (::GetPropA(window_, kObjectProperty) == this) {
        ::RemovePropA(window_, kObjectProperty);
    }
    if (reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrA(window_, GWLP_USERDATA)) == this) {
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    }
    window_ = nullptr;
}

LPCSTR CWindowWnd::SuperclassName() const {
    return nullptr;
}

UINT CWindowWnd::ClassStyle() const {
    return 0;
}

LRESULT CWindowWnd::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcA(previousProc_, window_, message, wParam, lParam);
}

void CWindowWnd::OnWindowDestroyed(HWND) {}

// ---------------------------------------------------------------------------------------------
// 3. Class registration and creation
// ---------------------------------------------------------------------------------------------

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSA wc = {};
    wc.style = ClassStyle();
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = CWindowManagerUI::GetInstance();
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = nullptr;  // the window paints everything itself
    wc.lpszClassName = WindowClassName();
    if (::RegisterClassA(&wc) != 0) {
        return true;
    }
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExA(nullptr, SuperclassName(), &wc) &&
        !::GetClassInfoExA(CWindowManagerUI::GetInstance(), SuperclassName(), &wc)) {
        return false;
    }
    previousProc_ = wc.lpfnWndProc;
    wc.lpfnWndProc = SuperclassProc;
    wc.hInstance = CWindowManagerUI::GetInstance();
    wc.lpszClassName = WindowClassName();
    if (::RegisterClassExA(&wc) != 0) {
        return true;
    }
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND parent, LPCSTR caption, DWORD style, DWORD exStyle, int x, int y,
                        int width, int height, HMENU menu) {
    const bool registered =
        SuperclassName() != nullptr ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered) {
        return nullptr;
    }
    window_ = ::CreateWindowExA(exStyle, WindowClassName(), caption, style, x, y, width, height,
                                parent, menu, CWindowManagerUI::GetInstance(), this);
    return window_;
}

HWND CWindowWnd::Create(HWND parent, LPCSTR caption, DWORD style, DWORD exStyle, const RECT& rect,
                        HMENU menu) {
    return Create(parent, caption, style, exStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, menu);
}

// ---------------------------------------------------------------------------------------------
// 4. Window procedures
// ---------------------------------------------------------------------------------------------

LRESULT CALLBACK CWindowWnd::PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<CWindowWnd*>(cs->lpCreateParams);
        if (self != nullptr) {
            self->window_ = window;
            ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_NCDESTROY && self != nullptr) {
            LRESULT result =
                ::CallWindowProcA(self->previousProc_, window, message, wParam, lParam);
            ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            if (self->subclassed_) {
                self->Unsubclass();
            }
            self->window_ = nullptr;
            self->OnWindowDestroyed(window);
            return result;
        }
    }
    if (self != nullptr) {
        return self->OnWindowMessage(message, wParam, lParam);
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::SuperclassProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<CWindowWnd*>(cs->lpCreateParams);
        if (self != nullptr) {
            self->window_ = window;
            ::SetPropA(window, kObjectProperty, self);
        }
    } else {
        self = static_cast<CWindowWnd*>(::GetPropA(window, kObjectProperty));
        if (message == WM_NCDESTROY && self != nullptr) {
            LRESULT result =
                ::CallWindowProcA(self->previousProc_, window, message, wParam, lParam);
            if (self->subclassed_) {
                self->Unsubclass();
            }
            ::RemovePropA(window, kObjectProperty);
            self->window_ = nullptr;
            self->OnWindowDestroyed(window);
            return result;
        }
    }
    if (self != nullptr) {
        return self->OnWindowMessage(message, wParam, lParam);
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// 5. Window operations
// ---------------------------------------------------------------------------------------------

HWND CWindowWnd::Subclass(HWND window) {
    if (window_ != nullptr || !::IsWindow(window)) {
        return nullptr;
    }
    // The property, not the user data: the window's own class may be using its user data.
    if (!::SetPropA(window, kObjectProperty, this)) {
        return nullptr;
    }
    window_ = window;
    previousProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SuperclassProc)));
    subclassed_ = true;
    return window_;
}

void CWindowWnd::Unsubclass() {
    if (window_ == nullptr || !::IsWindow(window_) || !subclassed_) {
        return;
    }
    ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    previousProc_ = ::DefWindowProcA;
    subclassed_ = false;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (window_ == nullptr || !::IsWindow(window_)) {
        return;
    }
    ::ShowWindow(window_, !show ? SW_HIDE : (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE));
}

void CWindowWnd::CenterWindow() {
    RECT dialog = {};
    ::GetWindowRect(window_, &dialog);
    const int w = dialog.right - dialog.left;
    const int h = dialog.bottom - dialog.top;

    const HWND owner = ::GetWindow(window_, GW_OWNER);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoA(
        ::MonitorFromWindow(owner != nullptr ? owner : window_, MONITOR_DEFAULTTONEAREST), &info);
    const RECT work = info.rcWork;

    RECT centre = work;
    if (owner != nullptr) {
        ::GetWindowRect(owner, &centre);
    }
    const POINT at = CenteredPosition(centre, work, w, h);
    ::SetWindowPos(window_, nullptr, at.x, at.y, -1, -1,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::Close(UINT result) {
    if (window_ == nullptr || !::IsWindow(window_)) {
        return;
    }
    ::PostMessageA(window_, WM_CLOSE, static_cast<WPARAM>(result), 0);
}

LRESULT CWindowWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(window_, message, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(window_, message, wParam, lParam);
}

}  // namespace SkinUI
