// Notification record and the listener interfaces of a window manager.
#pragma once

#include <windows.h>

#include <string>

namespace SkinUI {

class CControlUI;

struct TNoticeUI {
    std::string type;        // e.g. "click"
    std::string virtualWnd;  // the sender's virtual window name, when virtual windows are used
    CControlUI* sender = nullptr;
    DWORD timestamp = 0;
    POINT mousePoint = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual void OnNotify(TNoticeUI& notice) = 0;

protected:
    ~INotifyUI() = default;
};

class IMessageFilterUI {
public:
    virtual LRESULT FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

// Given every message of a manager's window before normal dispatch; answering 0 claims it.
class ITranslateAccelerator {
public:
    virtual LRESULT TranslateAccelerator(MSG* message) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

}  // namespace SkinUI
