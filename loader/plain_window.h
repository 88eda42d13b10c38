// The native window under the update logic until the skinned window takes over: a plain
// popup window and a native progress control. It offers what the update logic uses under the
// names the skinned window base uses (GetHWND, ShowWindow, Create, OnWindowMessage), so that
// base can take its place without a change to the logic.
#pragma once

#include <windows.h>

class PlainWindow {
public:
    PlainWindow() = default;
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;

    HWND GetHWND() const { return window_; }

    // Registers the class (an existing one counts as registered) and creates the window with
    // this object as its creation parameter; returns the window or null.
    HWND Create(HWND parent, const char* caption, DWORD style, DWORD exStyle, int x, int y,
                int width, int height);

    // Hides (show false) or shows the window; nothing without a window.
    void ShowWindow(bool show = true, bool takeFocus = true);

protected:
    ~PlainWindow();

    virtual const char* WindowClassName() const = 0;
    virtual UINT ClassStyle() const { return 0; }
    // Every message of the window; the default is the platform's default processing.
    virtual LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};

// A native progress control (0..100) standing where the skin's progress bar will be.
class PlainProgressBar {
public:
    // Creates the control as a child of parent; false when it cannot be created.
    bool Create(HWND parent, int x, int y, int width, int height);
    void SetValue(int value);
    int GetValue() const { return value_; }

private:
    HWND control_ = nullptr;  // owned by its parent window, destroyed with it
    int value_ = 0;
};
