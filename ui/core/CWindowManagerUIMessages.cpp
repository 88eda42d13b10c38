// CWindowManagerUI message handling: the window's messages become layout, double-buffered
// painting, control events, hover tracking with tooltips, timers, reflection to child windows,
// track sizes, deferred deletion of controls and delivery of queued notifications.
//
//   1. Frame of every call
//   2. Painting
//   3. Mouse
//   4. Keyboard, timers, reflection and the rest
#include <windowsx.h>

#include "ui/controls/CControlUI.h"
#include "ui/core/CAccessibleUI.h"
#include "ui/core/CWindowManagerUI.h"
#include "ui/core/ProcAddress.h"

namespace SkinUI {

namespace {

// Reflected to child windows of the further controls.
const UINT kReflectNotify = 0x204E;
const UINT kReflectCommand = 0x2111;
const UINT kReflectBase = 0x2000;
const UINT kDelayedCleanup = WM_APP + 1;
// WM_DPICHANGED, which older SDK headers lack.
const UINT kDpiChanged = 0x02E0;
// Layout passes in one paint. A tree that settles needs one per subtree marked since the last
// paint, rarely more than a few; a layout that keeps asking for more would hold the window for
// as many passes as are allowed. A pass of a text-heavy tree costs a millisecond or two, so
// eight stay within a frame; what is left waits for the next paint.
const int kMaxLayoutPasses = 8;

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

CControlUI* FindNeedsLayout(CControlUI* control, void*) {
    return control->NeedsLayout() ? control : nullptr;
}

}  // namespace

void CWindowManagerUI::SendMouseEvent(CControlUI* receiver, int kind, POINT point, WPARAM wParam,
                                      LPARAM lParam, WORD keyState) {
    TEventUI event;
    event.type = kind;
    event.sender = receiver;
    event.timestamp = ::GetTickCount();
    event.mousePoint = point;
    event.wParam = wParam;
    event.lParam = lParam;
    event.keyState = keyState;
    receiver->HandleEvent(event);
}

// ---------------------------------------------------------------------------------------------
// 1. Frame of every call
// ---------------------------------------------------------------------------------------------

bool CWindowManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (window_ == nullptr) return false;
    DeliverPendingNotifications();
    for (std::size_t i = 0; i < messageFilters_.size(); ++i) {
        bool handled = false;
        const LRESULT answer = messageFilters_[i]->FilterMessage(message, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }

    switch (message) {
        // ---- 2. Painting
        // ---------------------------------------------------------------------------
        case WM_PAINT:
            Paint();
            return true;
        case WM_SIZE:
            if (focus_ != nullptr) SendMouseEvent(focus_, EventWindowSize, lastMousePos_);
            if (root_ != nullptr) root_->MarkForLayout();
            return true;
        case WM_ERASEBKGND:
            result = 1;  // everything is painted by the manager
            return true;
        case WM_PRINTCLIENT: {
            if (root_ == nullptr) break;
            HDC dc = reinterpret_cast<HDC>(wParam);
            const int saved = ::SaveDC(dc);
            RECT client;
            ::GetClientRect(window_, &client);
            root_->Paint(dc, client);
            if ((lParam & PRF_CHILDREN) != 0) {
                for (HWND child = ::GetWindow(window_, GW_CHILD); child != nullptr;
                     child = ::GetWindow(child, GW_HWNDNEXT)) {
                    RECT r;
                    ::GetWindowRect(child, &r);
                    ::MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&r), 2);
                    ::SetWindowOrgEx(dc, -r.left, -r.top, nullptr);
                    ::SendMessageA(child, WM_PRINT, wParam, lParam | PRF_NONCLIENT);
                }
            }
            ::RestoreDC(dc, saved);
            break;
        }

        // ---- 3. Mouse
        // ------------------------------------------------------------------------------
        case WM_MOUSEMOVE: {
            if (!mouseTracking_) {
                TRACKMOUSEEVENT tme = {};
                tme.cbSize = sizeof(tme);
                tme.dwFlags = TME_HOVER | TME_LEAVE;
                tme.hwndTrack = window_;
                tme.dwHoverTime = tooltipWindow_ != nullptr
                                      ? static_cast<DWORD>(::SendMessageA(
                                            tooltipWindow_, TTM_GETDELAYTIME, TTDT_INITIAL, 0))
                                      : 400;
                using TrackFn = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
                if (auto track = ProcAddress<TrackFn>(CommonControls(), "_TrackMouseEvent"))
                    track(&tme);
                mouseTracking_ = true;
            }
            const POINT pt = PointOf(lParam);
            lastMousePos_ = pt;
            CControlUI* newHover = FindControlAt(pt);
            if (newHover != nullptr && newHover->GetManager() != this) break;
            if (newHover != hover_ && hover_ != nullptr) {
                CControlUI* old = hover_;
                hover_ = nullptr;
                SendMouseEvent(old, EventMouseLeave, pt);
                if (tooltipWindow_ != nullptr) {
                    ::SendMessageA(tooltipWindow_, TTM_TRACKACTIVATE, FALSE,
                                   reinterpret_cast<LPARAM>(&toolInfo_));
                }
            }
            if (newHover != hover_ && newHover != nullptr) {
                SendMouseEvent(newHover, EventMouseEnter, pt);
                hover_ = newHover;
            }
            // The control being dragged keeps the moves.
            if (click_ != nullptr) {
                SendMouseEvent(click_, EventMouseMove, pt);
            } else if (newHover != nullptr) {
                SendMouseEvent(newHover, EventMouseMove, pt);
            }
            break;
        }
        case WM_LBUTTONDOWN: {
            ::SetFocus(window_);
            const POINT pt = PointOf(lParam);
            lastMousePos_ = pt;
            CControlUI* control = FindControlAt(pt);
            if (control == nullptr || control->GetManager() != this) break;
            click_ = control;
            control->SetFocus();
            SetCapture();
            SendMouseEvent(control, EventButtonDown, pt, wParam, lParam, static_cast<WORD>(wParam));
            break;
        }
        case WM_LBUTTONDBLCLK: {
            ::SetFocus(window_);
            const POINT pt = PointOf(lParam);
            CControlUI* control = FindControlAt(pt);
            if (control == nullptr || control->GetManager() != this) break;
            SetCapture();
            SendMouseEvent(control, EventDoubleClick, pt, 0, 0, static_cast<WORD>(wParam));
            click_ = control;
            break;
        }
        case WM_LBUTTONUP: {
            const POINT pt = PointOf(lParam);
            lastMousePos_ = pt;
            if (click_ == nullptr) break;
            ReleaseCapture();
            CControlUI* control = click_;
            click_ = nullptr;
            SendMouseEvent(control, EventButtonUp, pt, wParam, lParam, static_cast<WORD>(wParam));
            break;
        }
        case WM_RBUTTONDOWN: {
            ::SetFocus(window_);
            const POINT pt = PointOf(lParam);
            CControlUI* control = FindControlAt(pt);
            if (control == nullptr || control->GetManager() != this) break;
            control->SetFocus();
            SetCapture();
            SendMouseEvent(control, EventRightButtonDown, pt, wParam, lParam,
                           static_cast<WORD>(wParam));
            click_ = control;
            break;
        }
        case WM_CONTEXTMENU: {
            POINT pt = PointOf(lParam);
            ::ScreenToClient(window_, &pt);
            lastMousePos_ = pt;
            if (click_ == nullptr) break;
            ReleaseCapture();
            CControlUI* control = click_;
            click_ = nullptr;
            SendMouseEvent(control, EventContextMenu, pt, wParam, reinterpret_cast<LPARAM>(control),
                           static_cast<WORD>(wParam));
            break;
        }
        case WM_MOUSEWHEEL: {
            POINT pt = PointOf(lParam);
            ::ScreenToClient(window_, &pt);
            lastMousePos_ = pt;
            CControlUI* control = FindControlAt(pt);
            if (control == nullptr || control->GetManager() != this) break;
            // 1 when the wheel turns towards the user.
            const WPARAM towardsUser = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
            SendMouseEvent(control, EventScrollWheel, pt, towardsUser, lParam, CurrentKeyState());
            // The hover follows the scrolled content.
            ::SendMessageA(window_, WM_MOUSEMOVE, 0, MAKELPARAM(lastMousePos_.x, lastMousePos_.y));
            break;
        }
        case WM_MOUSEHOVER: {
            mouseTracking_ = false;
            const POINT pt = PointOf(lParam);
            CControlUI* control = FindControlAt(pt);
            if (control == nullptr) break;
            if (hover_ != nullptr) SendMouseEvent(hover_, EventMouseHover, pt);
            ShowToolTip(control);
            return true;
        }
        case WM_MOUSELEAVE:
            if (tooltipWindow_ != nullptr) {
                ::SendMessageA(tooltipWindow_, TTM_TRACKACTIVATE, FALSE,
                               reinterpret_cast<LPARAM>(&toolInfo_));
            }
            // A move to (-1, -1) gives the hover control its leave event.
            if (mouseTracking_) ::SendMessageA(window_, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
            mouseTracking_ = false;
            break;
        case WM_SETCURSOR: {
            if (LOWORD(lParam) != HTCLIENT) break;
            if (captured_) return true;
            POINT pt;
            ::GetCursorPos(&pt);
            ::ScreenToClient(window_, &pt);
            CControlUI* control = FindControlAt(pt);
            if (control == nullptr || (control->GetInputFlags() & InputSetCursor) == 0) break;
            SendMouseEvent(control, EventSetCursor, pt, wParam, lParam, CurrentKeyState());
            return true;
        }

        // ---- 4. Keyboard, timers, reflection and the rest
        // ------------------------------------------
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR: {
            CControlUI* receiver = message == WM_KEYUP ? key_ : focus_;
            if (receiver == nullptr) break;
            TEventUI event;
            event.type = message == WM_KEYDOWN ? EventKeyDown
                                               : (message == WM_KEYUP ? EventKeyUp : EventChar);
            event.sender = receiver;
            event.key = static_cast<char>(wParam);
            event.mousePoint = lastMousePos_;
            event.keyState = CurrentKeyState();
            event.timestamp = ::GetTickCount();
            if (message == WM_KEYDOWN) key_ = receiver;
            if (message == WM_KEYUP) key_ = nullptr;
            receiver->HandleEvent(event);
            break;
        }
        case WM_TIMER:
            for (const auto& timer : timers_) {
                if (timer->window == window_ && timer->nativeId == LOWORD(wParam) &&
                    !timer->killed) {
                    TEventUI event;
                    event.type = EventTimer;
                    event.sender = timer->sender;
                    event.timestamp = ::GetTickCount();
                    event.mousePoint = lastMousePos_;
                    event.wParam = timer->localId;
                    timer->sender->HandleEvent(event);
                    break;
                }
            }
            break;
        case WM_CLOSE: {
            if (hover_ != nullptr) SendMouseEvent(hover_, EventMouseLeave, lastMousePos_);
            if (click_ != nullptr) SendMouseEvent(click_, EventButtonUp, lastMousePos_);
            SetFocus(nullptr);
            if (HWND owner = ::GetWindow(window_, GW_OWNER)) ::SetFocus(owner);
            break;
        }
        case kDpiChanged: {
            // The window moved to a monitor of another DPI (or the user changed the scale):
            // everything is scaled for the new DPI and the window takes the rectangle the
            // system suggests, which keeps it under the mouse while it is dragged across.
            SetDpi(HIWORD(wParam));
            if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
                ::SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                               suggested->right - suggested->left,
                               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            }
            result = 0;
            return true;
        }
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (minTrack_.cx > 0) info->ptMinTrackSize.x = minTrack_.cx;
            if (minTrack_.cy > 0) info->ptMinTrackSize.y = minTrack_.cy;
            if (maxTrack_.cx > 0) info->ptMaxTrackSize.x = maxTrack_.cx;
            if (maxTrack_.cy > 0) info->ptMaxTrackSize.y = maxTrack_.cy;
            break;
        }
        case WM_NOTIFY:
            if (lParam == 0) break;
            result = ::SendMessageA(reinterpret_cast<NMHDR*>(lParam)->hwndFrom, kReflectNotify,
                                    wParam, lParam);
            return true;
        case WM_COMMAND:
            if (lParam == 0) break;
            result =
                ::SendMessageA(reinterpret_cast<HWND>(lParam), kReflectCommand, wParam, lParam);
            return true;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (lParam == 0) break;
            result = ::SendMessageA(reinterpret_cast<HWND>(lParam), message + kReflectBase, wParam,
                                    lParam);
            return true;
        case kDelayedCleanup:
            DeleteDelayedCleanup();
            break;
        case WM_GETOBJECT: {
            // The client area only; every other object keeps the system's answer.
            if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) break;
            if (!accessible_) {
                accessible_ = {CAccessibleUI::Create(this), &CAccessibleUI::DisconnectAndRelease};
            }
            const LRESULT answer = accessible_ ? accessible_->AnswerGetObject(wParam) : 0;
            if (answer == 0) break;
            result = answer;
            return true;
        }
        case WM_DESTROY:
            accessible_.reset();  // clients holding it from now on are told it is gone
            break;
        default:
            if (accessible_) accessible_->HandleMessage(message);
            break;
    }
    DeliverPendingNotifications();
    return false;
}

// ---------------------------------------------------------------------------------------------
// 2. Painting
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::Paint() {
    RECT update;
    if (!::GetUpdateRect(window_, &update, FALSE)) return;
    PAINTSTRUCT ps;
    if (root_ == nullptr) {
        ::BeginPaint(window_, &ps);  // validates the region
        ::EndPaint(window_, &ps);
        return;
    }
    RECT client;
    ::GetClientRect(window_, &client);
    if (updateNeeded_) {
        updateNeeded_ = false;
        if (!::IsRectEmpty(&client)) {
            if (root_->NeedsLayout()) {
                root_->SetBounds(client);
                // Rebuilt at the new size.
                offscreenDC_.reset();
                offscreenBitmap_.reset();
                backgroundDC_.reset();
                backgroundBitmap_.reset();
            } else {
                for (int pass = 0;; ++pass) {
                    CControlUI* control = root_->LocateControl(FindNeedsLayout, nullptr,
                                                               LocateVisible | LocateMeFirst);
                    if (control == nullptr) break;
                    if (pass == kMaxLayoutPasses) {
                        updateNeeded_ = true;  // another paint follows this one
                        break;
                    }
                    const RECT bounds = control->GetBounds();
                    control->SetBounds(bounds);
                }
            }
            if (firstLayout_) {
                firstLayout_ = false;
                SendNotify(root_, "windowinit");
            }
        }
    }
    if (focusNeeded_) SetNextTabControl(true);
    if (root_ == nullptr) {
        // A "windowinit" listener dropped the tree; the region must still be validated, or
        // the window would be sent WM_PAINT without end.
        ::BeginPaint(window_, &ps);
        ::EndPaint(window_, &ps);
        return;
    }

    const int width = client.right - client.left, height = client.bottom - client.top;
    if (!offscreenBitmap_) {
        offscreenDC_.reset(::CreateCompatibleDC(paintDC_.get()));
        offscreenBitmap_.reset(::CreateCompatibleBitmap(paintDC_.get(), width, height));
    }
    ::BeginPaint(window_, &ps);
    const RECT& area = ps.rcPaint;
    const int areaW = area.right - area.left, areaH = area.bottom - area.top;
    HDC offscreen = offscreenDC_.get();
    HGDIOBJ previous = ::SelectObject(offscreen, offscreenBitmap_.get());
    const int saved = ::SaveDC(offscreen);
    if (alphaBackground_) {
        if (!backgroundBitmap_) {
            // What is behind the window at the first paint shows through from now on.
            backgroundDC_.reset(::CreateCompatibleDC(paintDC_.get()));
            backgroundBitmap_.reset(::CreateCompatibleBitmap(paintDC_.get(), width, height));
            ::SelectObject(backgroundDC_.get(), backgroundBitmap_.get());
            ::BitBlt(backgroundDC_.get(), area.left, area.top, areaW, areaH, paintDC_.get(),
                     area.left, area.top, SRCCOPY);
        } else {
            ::SelectObject(backgroundDC_.get(), backgroundBitmap_.get());
        }
        ::BitBlt(offscreen, area.left, area.top, areaW, areaH, backgroundDC_.get(), area.left,
                 area.top, SRCCOPY);
    }
    root_->Paint(offscreen, area);
    for (std::size_t i = 0; i < postPaint_.size(); ++i)
        postPaint_[i]->PaintOverlay(offscreen, area);
    ::RestoreDC(offscreen, saved);
    ::BitBlt(ps.hdc, area.left, area.top, areaW, areaH, offscreen, area.left, area.top, SRCCOPY);
    ::SelectObject(offscreen, previous);
    if (showDirty_) {
        HGDIOBJ oldPen = ::SelectObject(ps.hdc, GetDirtyFramePen());
        HGDIOBJ oldBrush = ::SelectObject(ps.hdc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(ps.hdc, update.left, update.top, update.right, update.bottom);
        ::SelectObject(ps.hdc, oldBrush);
        ::SelectObject(ps.hdc, oldPen);
    }
    ::EndPaint(window_, &ps);
    if (updateNeeded_) ::InvalidateRect(window_, nullptr, FALSE);
}

// ---------------------------------------------------------------------------------------------
// 3. Mouse: the tooltip
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::ShowToolTip(CControlUI* control) {
    toolTipText_ = control->GetToolTip();
    if (toolTipText_.empty()) return;
    toolInfo_ = TOOLINFOA{};
    toolInfo_.cbSize = TTTOOLINFOA_V2_SIZE;  // 44 bytes
    toolInfo_.uFlags = TTF_IDISHWND;
    toolInfo_.hwnd = window_;
    toolInfo_.uId = reinterpret_cast<UINT_PTR>(window_);
    toolInfo_.hinst = GetInstance();
    toolInfo_.lpszText = &toolTipText_[0];
    toolInfo_.rect = control->GetBounds();
    if (tooltipWindow_ == nullptr) {
        CommonControls();  // registers the tooltip window class
        tooltipWindow_ = ::CreateWindowExA(
            0, "tooltips_class32", nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, GetInstance(), nullptr);
        ::SendMessageA(tooltipWindow_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    }
    ::SendMessageA(tooltipWindow_, TTM_SETMAXTIPWIDTH, 0, control->GetToolTipWidth());
    ::SendMessageA(tooltipWindow_, TTM_SETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    ::SendMessageA(tooltipWindow_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&toolInfo_));
}

}  // namespace SkinUI
