// CWindowManagerUI: timers, focus and tab order, shortcuts, the pre-message step of the
// message loop, notifications and the clean-up of controls that are being destroyed.
//
//   1. Timers
//   2. Focus and tab order
//   3. Shortcuts and the pre-message step
//   4. Notifications
//   5. Reaping destroyed controls
#include <algorithm>
#include <cstring>

#include "ui/controls/CControlUI.h"
#include "ui/core/CAccessibleUI.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

// ---------------------------------------------------------------------------------------------
// 1. Timers
// ---------------------------------------------------------------------------------------------

bool CWindowManagerUI::SetTimer(CControlUI* control, UINT localId, UINT elapse) {
    // Without a window a native timer would become a thread timer that nobody routes.
    if (window_ == nullptr) return false;
    for (const auto& timer : timers_) {
        if (timer->sender == control && timer->window == window_ && timer->localId == localId) {
            if (!timer->killed) return false;
            if (::SetTimer(window_, timer->nativeId, elapse, nullptr) == 0) return false;
            timer->killed = false;
            return true;
        }
    }
    // Native ids run 17, 18, ... 254, 0, 1, ...: the counter starts at 4096 and wraps at 255.
    timerCounter_ = (timerCounter_ + 1) % 255;
    const UINT nativeId = timerCounter_;
    if (::SetTimer(window_, nativeId, elapse, nullptr) == 0) return false;
    auto timer = std::make_unique<TTimerInfo>();
    timer->sender = control;
    timer->localId = localId;
    timer->window = window_;
    timer->nativeId = nativeId;
    timers_.push_back(std::move(timer));
    return true;
}

bool CWindowManagerUI::KillTimer(CControlUI* control, UINT localId) {
    for (const auto& timer : timers_) {
        if (timer->sender == control && timer->window == window_ && timer->localId == localId &&
            !timer->killed) {
            if (::IsWindow(window_)) ::KillTimer(timer->window, timer->nativeId);
            timer->killed = true;  // kept for reuse by the next SetTimer of this id
            return true;
        }
    }
    return false;
}

void CWindowManagerUI::KillTimer(CControlUI* control) {
    auto it = timers_.begin();
    while (it != timers_.end()) {
        TTimerInfo& timer = **it;
        if (timer.sender == control && timer.window == window_) {
            if (!timer.killed && ::IsWindow(window_)) ::KillTimer(timer.window, timer.nativeId);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// 2. Focus and tab order
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::SendFocusEvent(CControlUI* receiver, int kind, CControlUI* sender) {
    TEventUI event;
    event.type = kind;
    event.sender = sender;
    event.timestamp = ::GetTickCount();
    receiver->HandleEvent(event);
}

void CWindowManagerUI::SetFocus(CControlUI* control) {
    if (window_ != nullptr && ::GetFocus() != window_ && control != focus_) ::SetFocus(window_);
    if (control == focus_) return;
    if (focus_ != nullptr) {
        // Forgotten before anyone hears of it: a listener that moves the focus on
        // "killfocus" must not find the old focus still set and take it away again.
        CControlUI* old = focus_;
        focus_ = nullptr;
        SendFocusEvent(old, EventKillFocus, control);
        SendNotify(old, "killfocus");
        // Such a listener's move came later than this one, so it stands.
        if (focus_ != nullptr) return;
    }
    if (control == nullptr) return;
    if (control->GetManager() == this && control->IsVisible() && control->IsEnabled()) {
        focus_ = control;
        SendFocusEvent(control, EventSetFocus, control);
        SendNotify(control, "setfocus");
    }
}

namespace {

struct TabSearch {
    CControlUI* start;
    CControlUI* last;
    bool forward;
    bool nextIsIt;
};

CControlUI* FindTabStop(CControlUI* control, void* data) {
    auto* search = static_cast<TabSearch*>(data);
    if (control == search->start) {
        if (search->forward) {
            search->nextIsIt = true;
            return nullptr;
        }
        return search->last;
    }
    if ((control->GetInputFlags() & InputTabStop) == 0) return nullptr;
    search->last = control;
    if (search->nextIsIt || search->start == nullptr) return control;
    return nullptr;
}

const UINT kTabFlags = LocateVisible | LocateEnabled | LocateMeFirst;

}  // namespace

void CWindowManagerUI::SetFocusNeeded(CControlUI* control) {
    if (window_ != nullptr) ::SetFocus(window_);
    if (control == nullptr) return;
    if (focus_ != nullptr) {
        CControlUI* old = focus_;
        focus_ = nullptr;  // forgotten first, as in SetFocus
        SendFocusEvent(old, EventKillFocus, control);
        SendNotify(old, "killfocus");
    }
    TabSearch search = {control, nullptr, false, false};
    // The tab stop just before the control; the forward move at the next paint then lands on
    // the control itself.
    focus_ = root_ != nullptr ? root_->LocateControl(FindTabStop, &search, kTabFlags) : nullptr;
    focusNeeded_ = true;
    if (root_ != nullptr) root_->MarkForLayout();
}

bool CWindowManagerUI::SetNextTabControl(bool forward) {
    if (updateNeeded_ && forward) {
        focusNeeded_ = true;
        if (window_ != nullptr) ::InvalidateRect(window_, nullptr, FALSE);
        return true;
    }
    CControlUI* found = nullptr;
    if (root_ != nullptr) {
        TabSearch search = {focus_, nullptr, forward, false};
        found = root_->LocateControl(FindTabStop, &search, kTabFlags);
        if (found == nullptr) {
            if (forward) {
                TabSearch wrap = {nullptr, nullptr, true, false};
                found = root_->LocateControl(FindTabStop, &wrap, kTabFlags);
            } else {
                found = search.last;
            }
        }
    }
    if (found != nullptr) SetFocus(found);
    focusNeeded_ = false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// 3. Shortcuts and the pre-message step
// ---------------------------------------------------------------------------------------------

namespace {

struct ShortcutSearch {
    char key;
    bool found;
};

char UpperChar(char c) {
    const auto byte = static_cast<UINT_PTR>(static_cast<unsigned char>(c));
    return static_cast<char>(
        reinterpret_cast<UINT_PTR>(::CharUpperA(reinterpret_cast<LPSTR>(byte))));
}

CControlUI* MatchShortcut(CControlUI* control, void* data) {
    auto* search = static_cast<ShortcutSearch*>(data);
    if (!control->IsVisible()) return nullptr;
    if (UpperChar(control->GetShortcut()) == search->key) search->found = true;
    // A label's shortcut selects the control after it.
    if (search->found && std::strstr(control->GetTypeName(), "LabelUI") == nullptr) {
        return control;
    }
    return nullptr;
}

}  // namespace

CControlUI* CWindowManagerUI::FindShortcut(char upperCased) {
    if (root_ == nullptr) return nullptr;
    ShortcutSearch search = {upperCased, false};
    return root_->LocateControl(MatchShortcut, &search,
                                LocateEnabled | LocateTopFirst | LocateMeFirst);
}

bool CWindowManagerUI::PreMessageHandler(UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    switch (message) {
        case WM_KEYDOWN:
            if (wParam != VK_TAB) return false;
            // A rich edit that wants the Tab key answers the "WantTab" type query.
            if (focus_ != nullptr && focus_->IsVisible() && focus_->IsEnabled() &&
                std::strstr(focus_->GetTypeName(), "RichEditUI") != nullptr &&
                focus_->QueryType("WantTab") != nullptr) {
                return false;
            }
            SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
            return true;
        case WM_SYSKEYDOWN:
            if (focus_ != nullptr) {
                TEventUI event;
                event.type = EventSysKey;
                event.sender = focus_;
                event.key = static_cast<char>(wParam);
                event.mousePoint = lastMousePos_;
                event.keyState = CurrentKeyState();
                event.timestamp = ::GetTickCount();
                focus_->HandleEvent(event);
            }
            return false;
        case WM_SYSCHAR: {
            CControlUI* control = FindShortcut(UpperChar(static_cast<char>(wParam)));
            if (control == nullptr) return false;
            control->SetFocus();
            control->Activate();
            return true;
        }
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------------------
// 4. Notifications
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::SendNotify(TNoticeUI& notice, bool async) {
    notice.mousePoint = lastMousePos_;
    notice.timestamp = ::GetTickCount();
    if (usedVirtualWnd_ && notice.sender != nullptr) {
        notice.virtualWnd = notice.sender->GetVirtualWnd();
    }
    if (async) {
        pendingNotices_.push_back(std::make_unique<TNoticeUI>(notice));
    } else {
        DeliverNotice(notice);
    }
}

void CWindowManagerUI::SendNotify(CControlUI* control, const std::string& type, WPARAM wParam,
                                  LPARAM lParam, bool async) {
    TNoticeUI notice;
    notice.type = type;
    notice.sender = control;
    notice.wParam = wParam;
    notice.lParam = lParam;
    SendNotify(notice, async);
}

void CWindowManagerUI::DeliverNotice(TNoticeUI& notice) {
    if (notice.sender != nullptr && notice.sender->NotifyListeners) {
        notice.sender->NotifyListeners(&notice);
    }
    // Index loop: a notifier may add another while it runs.
    for (std::size_t i = 0; i < notifiers_.size(); ++i) notifiers_[i]->OnNotify(notice);
}

void CWindowManagerUI::DeliverPendingNotifications() {
    while (!pendingNotices_.empty()) {
        std::unique_ptr<TNoticeUI> notice = std::move(pendingNotices_.front());
        pendingNotices_.erase(pendingNotices_.begin());
        DeliverNotice(*notice);
    }
}

// ---------------------------------------------------------------------------------------------
// 5. Reaping destroyed controls
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::ReapObjects(CControlUI* control) {
    if (control == key_) key_ = nullptr;
    if (control == hover_) hover_ = nullptr;
    if (control == click_) click_ = nullptr;
    if (control == focus_) focus_ = nullptr;
    if (control == root_) root_ = nullptr;
    if (accessible_) accessible_->ForgetControl(control);
    KillTimer(control);
    const std::string name = control->GetName();
    if (!name.empty()) {
        auto it = names_.find(name);
        if (it != names_.end() && it->second == control) names_.erase(it);
    }
    for (const auto& notice : pendingNotices_) {
        if (notice->sender == control) notice->sender = nullptr;
    }
    // Deleted before its clean-up came: the clean-up must not delete it again.
    delayedCleanup_.erase(std::remove(delayedCleanup_.begin(), delayedCleanup_.end(), control),
                          delayedCleanup_.end());
    // A destroyed control must not be painted last or kept in an option group either.
    postPaint_.erase(std::remove(postPaint_.begin(), postPaint_.end(), control), postPaint_.end());
    for (auto it = optionGroups_.begin(); it != optionGroups_.end();) {
        auto& members = it->second;
        members.erase(std::remove(members.begin(), members.end(), control), members.end());
        it = members.empty() ? optionGroups_.erase(it) : std::next(it);
    }
}

}  // namespace SkinUI
