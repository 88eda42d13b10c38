// LoaderWnd's window part: construction, destruction and message handling on the plain
// native window, and where the update flow finds its progress bar.
#include "loader/loader_wnd.h"

namespace {

// Where the skin places the bar: left 130, top 355 + 14, 378 x 15.
constexpr int kProgressLeft = 130;
constexpr int kProgressTop = 369;
constexpr int kProgressWidth = 378;
constexpr int kProgressHeight = 15;

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

LRESULT LoaderWnd::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (HandleUpdateMessage(message, wParam, lParam)) return 0;
    switch (message) {
        case WM_CREATE:
            plainProgressCreated_ = plainProgress_.Create(GetHWND(), kProgressLeft, kProgressTop,
                                                          kProgressWidth, kProgressHeight);
            StartUpdate();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            break;
        default:
            break;
    }
    return PlainWindow::OnWindowMessage(message, wParam, lParam);
}

ProgressBar* LoaderWnd::FindProgressBar() {
    return plainProgressCreated_ ? &plainProgress_ : nullptr;
}
