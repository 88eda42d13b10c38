// The input event record handed to controls, and its kinds. The kind numbers are shared with
// every control; key kinds are 3..6 and mouse kinds 9..18.
#pragma once

#include <windows.h>

namespace SkinUI {

class CControlUI;

enum EventKind : int {
    EventKeyDown = 3,
    EventKeyUp = 4,
    EventChar = 5,
    EventSysKey = 6,
    EventMouseMove = 9,
    EventMouseLeave = 10,
    EventMouseEnter = 11,
    EventMouseHover = 12,
    EventButtonDown = 13,
    EventButtonUp = 14,
    EventRightButtonDown = 15,
    EventDoubleClick = 16,
    EventContextMenu = 17,
    EventScrollWheel = 18,
    EventKillFocus = 20,
    EventSetFocus = 21,
    EventWindowSize = 22,
    EventSetCursor = 23,
    EventTimer = 24,
};

constexpr bool IsMouseEvent(int kind) {
    return kind >= EventMouseMove && kind <= EventScrollWheel;
}

// Key state bits.
enum KeyState : WORD {
    KeyStateRightButton = 0x01,
    KeyStateLeftButton = 0x02,
    KeyStateShift = 0x04,
    KeyStateControl = 0x08,
    KeyStateAlt = 0x20,
};

struct TEventUI {
    int type = 0;
    CControlUI* sender = nullptr;
    DWORD timestamp = 0;
    POINT mousePoint = {0, 0};
    char key = 0;
    WORD keyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// The modifier and button bits of the moment, from GetKeyState.
WORD CurrentKeyState();

}  // namespace SkinUI
