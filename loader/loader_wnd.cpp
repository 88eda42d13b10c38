// LoaderWnd's window part: construction, destruction and the window procedure — creation,
// the rounded region, the caption band, the maximised size, and the ways out (Escape, the
// system close command, destruction).
#include <windowsx.h>

#include <cstring>

#include "loader/loader_wnd.h"
#include "ui/controls/CControlUI.h"

namespace {

constexpr LONG kClipStyles = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// Controls in the caption band that stay clickable instead of dragging the window.
bool KeepsClicks(const char* typeName) {
    return std::strcmp(typeName, "ButtonUI") == 0 || std::strcmp(typeName, "OptionUI") == 0 ||
           std::strcmp(typeName, "TextUI") == 0;
}

}  // namespace

LoaderWnd::LoaderWnd() {
    gate_->owner = this;
}

LoaderWnd::~LoaderWnd() {
    // Waits for a transfer callback that is running right now; none reaches this object
    // afterwards.
    std::lock_guard<std::recursive_mutex> hold(gate_->lock);
    gate_->owner = nullptr;
    gate_->window = nullptr;
}

SkinUI::CControlUI* LoaderWnd::CreateCustomControl(LPCSTR /*typeName*/) {
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Message handling
// ---------------------------------------------------------------------------------------------

LRESULT LoaderWnd::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (HandleStatusMessage(message, wParam)) return 0;
    if (HandleUpdateMessage(message, wParam, lParam)) return 0;
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            break;
        case WM_SIZE:
            ApplyRoundRegion();
            break;
        case WM_GETMINMAXINFO:
            FillMaximisedInfo(reinterpret_cast<MINMAXINFO*>(lParam));
            break;
        case WM_NCCALCSIZE:  // the whole window is client area
        case WM_NCPAINT:     // and no frame is drawn
            return 0;
        case WM_NCHITTEST:
            return CaptionHitTest(lParam);
        case WM_NCACTIVATE:
            if (IsIconic(GetHWND())) break;
            return wParam == 0 ? 1 : 0;
        case WM_KEYDOWN:
            if (wParam != VK_ESCAPE) break;
            PostQuitMessage(0);
            return 0;
        case WM_SYSCOMMAND:
            if (wParam != SC_CLOSE) break;
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return PassOn(message, wParam, lParam);
}

LRESULT LoaderWnd::PassOn(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (manager.MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::OnWindowMessage(message, wParam, lParam);
}

void LoaderWnd::OnCreate() {
    const HWND window = GetHWND();
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | kClipStyles);
    manager.AttachWindow(window);
    SkinUI::CSkinBuilder builder;
    BuildSkin(builder);
    PrepareStatus();
    StartUpdate();
}

// ---------------------------------------------------------------------------------------------
// Shape and geometry
// ---------------------------------------------------------------------------------------------

void LoaderWnd::ApplyRoundRegion() {
    const SIZE corner = manager.GetRoundCorner();
    const HWND window = GetHWND();
    if (IsIconic(window) || (corner.cx == 0 && corner.cy == 0)) return;
    RECT bounds;
    GetWindowRect(window, &bounds);
    OffsetRect(&bounds, -bounds.left, -bounds.top);
    ++bounds.right;
    ++bounds.bottom;
    // The window owns the region from here on.
    HRGN region = CreateRoundRectRgn(bounds.left, bounds.top, bounds.right, bounds.bottom,
                                     corner.cx, corner.cy);
    if (region != nullptr && !SetWindowRgn(window, region, TRUE)) DeleteObject(region);
}

LRESULT LoaderWnd::CaptionHitTest(LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(GetHWND(), &point);
    RECT client;
    GetClientRect(GetHWND(), &client);
    // Left and right are margins from the client area's sides; top and bottom are plain.
    const RECT caption = manager.GetCaptionRect();
    if (point.x >= client.left + caption.left && point.x < client.right - caption.right &&
        point.y >= caption.top && point.y < caption.bottom) {
        SkinUI::CControlUI* control = manager.FindControlAt(point);
        if (control != nullptr && !KeepsClicks(control->GetTypeName())) return HTCAPTION;
    }
    return HTCLIENT;
}

void LoaderWnd::FillMaximisedInfo(MINMAXINFO* info) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromWindow(GetHWND(), MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    // The work area relative to the monitor's top-left corner.
    RECT work = monitor.rcWork;
    OffsetRect(&work, -monitor.rcMonitor.left, -monitor.rcMonitor.top);
    info->ptMaxPosition.x = work.left;
    info->ptMaxPosition.y = work.top;
    info->ptMaxSize.x = work.right;
    info->ptMaxSize.y = work.bottom;
}
