// CWindowWnd: one native window bound to one C++ object. The object registers its window
// class on demand (plain, or a superclass of an existing class), receives every message of
// its window through OnWindowMessage and is told through OnWindowDestroyed when the native
// window is gone.
#pragma once

#include <windows.h>

namespace SkinUI {

// Where a w x h window goes when centred on `centre` and kept inside `work`. Each halving
// rounds toward zero; a window larger than the work area sticks to its left/top edges.
POINT CenteredPosition(const RECT& centre, const RECT& work, int w, int h);

class CWindowWnd {
public:
    CWindowWnd();

    HWND GetHWND() const { return window_; }

    // The five overridable operations, in this order (derived windows rely on the order).
    virtual LPCSTR WindowClassName() const = 0;
    virtual LPCSTR SuperclassName() const;
    virtual UINT ClassStyle() const;
    virtual LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnWindowDestroyed(HWND window);

    HWND Create(HWND parent, LPCSTR caption, DWORD style, DWORD exStyle, int x, int y, int width,
                int height, HMENU menu = nullptr);
    HWND Create(HWND parent, LPCSTR caption, DWORD style, DWORD exStyle, const RECT& rect,
                HMENU menu = nullptr);

    // Takes over an existing window created elsewhere: its messages reach this object first
    // and go on to the window's own procedure. Fails (none) when this object already has a
    // window or the handle is not a window.
    HWND Subclass(HWND window);
    void Unsubclass();

    void ShowWindow(bool show = true, bool takeFocus = true);
    void CenterWindow();
    void Close(UINT result = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    // Not virtual on purpose: the five operations above are the whole virtual interface.
    // Protected so nobody deletes a window object through this base.
    ~CWindowWnd();

private:
    bool RegisterWindowClass();
    bool RegisterSuperclass();

    static LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SuperclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    WNDPROC previousProc_ = ::DefWindowProcA;
    bool subclassed_ = false;
};

}  // namespace SkinUI
