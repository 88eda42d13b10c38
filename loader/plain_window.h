// A native progress control that stands in for the skin's progress bar until the framework
// has its own progress control; it offers what the update flow uses (SetValue, GetValue).
#pragma once

#include <windows.h>

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
