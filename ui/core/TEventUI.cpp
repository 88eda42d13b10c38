// The key state of an input event.
#include "ui/core/TEventUI.h"

namespace SkinUI {

WORD CurrentKeyState() {
    WORD state = 0;
    // The two buttons in this order: right is 0x01, left is 0x02.
    if (::GetKeyState(VK_RBUTTON) < 0) state |= KeyStateRightButton;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= KeyStateLeftButton;
    if (::GetKeyState(VK_SHIFT) < 0) state |= KeyStateShift;
    if (::GetKeyState(VK_CONTROL) < 0) state |= KeyStateControl;
    if (::GetKeyState(VK_MENU) < 0) state |= KeyStateAlt;
    return state;
}

}  // namespace SkinUI
