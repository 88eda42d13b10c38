// Helpers for UI tests: a host window with a manager attached, a control that records what
// reaches it, and the least container that nests controls (children owned, searched in order).
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/controls/CControlUI.h"
#include "ui/core/CWindowManagerUI.h"
#include "ui/core/CWindowWnd.h"

namespace uitest {

class HostWnd : public SkinUI::CWindowWnd {
public:
    HostWnd() { SkinUI::CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr)); }
    ~HostWnd() {
        if (GetHWND() != nullptr) ::DestroyWindow(GetHWND());
    }
    LPCSTR WindowClassName() const override { return "SkinUITestHost"; }

    // A popup of the given client size with the manager bound to it.
    HWND Open(SkinUI::CWindowManagerUI& manager, int width = 300, int height = 200) {
        HWND h = Create(nullptr, "host", WS_POPUP, 0, 0, 0, width, height);
        if (h != nullptr) manager.AttachWindow(h);
        return h;
    }
};

class RecordingControl : public SkinUI::CControlUI {
public:
    explicit RecordingControl(const char* name = "", UINT inputFlags = 0,
                              const char* typeName = "RecordingUI")
        : inputFlags_(inputFlags), typeName_(typeName) {
        SetName(name);
    }
    LPCSTR GetTypeName() const override { return typeName_; }
    UINT GetInputFlags() override { return inputFlags_; }
    bool Activate() override {
        ++activations;
        return CControlUI::Activate();
    }
    void ProcessEvent(SkinUI::TEventUI& event) override {
        events.push_back(event.type);
        senders.push_back(event.sender);
        CControlUI::ProcessEvent(event);
    }
    int Count(int kind) const {
        int n = 0;
        for (int e : events) n += e == kind;
        return n;
    }

    std::vector<int> events;
    std::vector<SkinUI::CControlUI*> senders;
    int activations = 0;

private:
    UINT inputFlags_;
    const char* typeName_;
};

// Children are owned, attached before the container, and searched in list order (last first
// with the top-first flag); the container itself is tested first with the me-first flag.
class TestContainer : public SkinUI::CControlUI {
public:
    explicit TestContainer(const char* name = "") { SetName(name); }
    ~TestContainer() override {
        for (CControlUI* child : children) delete child;
    }
    LPCSTR GetTypeName() const override { return "TestContainerUI"; }

    template <class Control>
    Control* Add(Control* child) {
        children.push_back(child);
        if (GetManager() != nullptr) GetManager()->InitControls(child, this);
        return child;
    }
    // Drops and deletes a child at once.
    void Remove(CControlUI* child) {
        for (auto it = children.begin(); it != children.end(); ++it) {
            if (*it == child) {
                children.erase(it);
                delete child;
                return;
            }
        }
    }

    void AttachManager(SkinUI::CWindowManagerUI* manager, CControlUI* parent,
                       bool initialise) override {
        for (CControlUI* child : children) child->AttachManager(manager, this, initialise);
        CControlUI::AttachManager(manager, parent, initialise);
    }

    CControlUI* LocateControl(SkinUI::LocatePredicate predicate, void* data, UINT flags) override {
        using namespace SkinUI;
        if ((flags & LocateVisible) != 0 && !IsVisible()) return nullptr;
        if ((flags & LocateEnabled) != 0 && !IsEnabled()) return nullptr;
        if ((flags & LocateHitTest) != 0 &&
            !::PtInRect(&GetBounds(), *static_cast<const POINT*>(data))) {
            return nullptr;
        }
        if ((flags & LocateMeFirst) != 0) {
            if (CControlUI* hit = CControlUI::LocateControl(predicate, data, flags)) return hit;
        }
        const bool reverse = (flags & LocateTopFirst) != 0;
        for (std::size_t i = 0; i < children.size(); ++i) {
            CControlUI* child = children[reverse ? children.size() - 1 - i : i];
            if (CControlUI* hit = child->LocateControl(predicate, data, flags)) return hit;
        }
        if ((flags & LocateMeFirst) != 0) return nullptr;
        return CControlUI::LocateControl(predicate, data, flags);
    }

    std::vector<CControlUI*> children;
};

// Handles what is already queued, without waiting for more.
inline void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

}  // namespace uitest
