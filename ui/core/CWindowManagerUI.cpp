// CWindowManagerUI: process-wide state, the message loop and its pre-translation step.
#include "ui/core/CWindowManagerUI.h"

#include <algorithm>

namespace SkinUI {

namespace {

struct ProcessState {
    HINSTANCE instance = nullptr;
    HINSTANCE resourceInstance = nullptr;
    std::string resourcePath;
    std::string resourceZip;
    // Every manager attached to a window, in order of attachment.
    std::vector<CWindowManagerUI*> managers;
};

ProcessState& State() {
    static ProcessState state;
    return state;
}

}  // namespace

CWindowManagerUI::CWindowManagerUI() = default;

CWindowManagerUI::~CWindowManagerUI() {
    auto& managers = State().managers;
    auto it = std::find(managers.begin(), managers.end(), this);
    if (it != managers.end()) {
        managers.erase(it);
    }
}

void CWindowManagerUI::SetInstance(HINSTANCE instance) {
    State().instance = instance;
}
HINSTANCE CWindowManagerUI::GetInstance() {
    return State().instance;
}
void CWindowManagerUI::SetResourceInstance(HINSTANCE instance) {
    State().resourceInstance = instance;
}
HINSTANCE CWindowManagerUI::GetResourceInstance() {
    return State().resourceInstance != nullptr ? State().resourceInstance : State().instance;
}
void CWindowManagerUI::SetResourcePath(const std::string& path) {
    State().resourcePath = path;
}
const std::string& CWindowManagerUI::GetResourcePath() {
    return State().resourcePath;
}
void CWindowManagerUI::SetResourceZip(const std::string& zipName) {
    State().resourceZip = zipName;
}
const std::string& CWindowManagerUI::GetResourceZip() {
    return State().resourceZip;
}

void CWindowManagerUI::AttachWindow(HWND window) {
    window_ = window;
    State().managers.push_back(this);
}

// ---------------------------------------------------------------------------------------------
// Message loop
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::MessageLoop() {
    MSG msg = {};
    // GetMessage answers -1 on failure; looping on it would spin on a message that never came.
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

bool CWindowManagerUI::PreTranslateMessage(const MSG* message) {
    const auto& managers = State().managers;
    CWindowManagerUI* target = nullptr;
    const LONG style = ::GetWindowLongA(message->hwnd, GWL_STYLE);
    if ((style & WS_CHILD) != 0) {
        for (CWindowManagerUI* manager : managers) {
            const HWND own = manager->GetPaintWindow();
            for (HWND ancestor = ::GetParent(message->hwnd); ancestor != nullptr;
                 ancestor = ::GetParent(ancestor)) {
                if (message->hwnd == own || ancestor == own) {
                    target = manager;
                    break;
                }
            }
            if (target != nullptr) {
                break;
            }
        }
    } else {
        for (CWindowManagerUI* manager : managers) {
            if (manager->GetPaintWindow() == message->hwnd) {
                target = manager;
                break;
            }
        }
    }
    if (target == nullptr) {
        return false;
    }
    MSG copy = *message;
    if (target->TranslateAccelerator(&copy)) {
        return true;
    }
    LRESULT ignored = 0;
    return target->PreMessageHandler(message->message, message->wParam, message->lParam, ignored);
}

bool CWindowManagerUI::AddTranslateAccelerator(ITranslateAccelerator* translator) {
    translators_.push_back(translator);
    return true;
}

bool CWindowManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* translator) {
    auto it = std::find(translators_.begin(), translators_.end(), translator);
    if (it == translators_.end()) {
        return false;
    }
    translators_.erase(it);
    return true;
}

bool CWindowManagerUI::TranslateAccelerator(MSG* message) {
    for (ITranslateAccelerator* translator : translators_) {
        if (translator->TranslateAccelerator(message) == 0) {
            return true;
        }
    }
    return false;
}

bool CWindowManagerUI::PreMessageHandler(UINT, WPARAM, LPARAM, LRESULT&) {
    // Keyboard handling (tab order, system keys, shortcuts) needs the control tree.
    return false;
}

}  // namespace SkinUI
