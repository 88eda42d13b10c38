// The native stand-in progress control (see plain_window.h).
#include "loader/plain_window.h"

#include <commctrl.h>

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
