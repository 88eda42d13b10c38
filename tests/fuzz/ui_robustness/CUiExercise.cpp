// CUiExercise: one input through the skin builder, the manager, layout, painting and the
// markup text renderer.
#include "CUiExercise.h"

#include <algorithm>
#include <string>

#include "ui/controls/CRenderer.h"
#include "ui/controls/CTextUI.h"
#include "ui/core/CSkinBuilder.h"
#include "ui/core/CWindowManagerUI.h"

namespace uirobust {

using SkinUI::CControlUI;
using SkinUI::CRenderer;
using SkinUI::CSkinBuilder;
using SkinUI::CTextUI;
using SkinUI::CWindowManagerUI;

namespace {

const int kCanvasWidth = 220;
const int kCanvasHeight = 90;

// The manager that receives the host window's messages while an input runs.
CWindowManagerUI* g_current = nullptr;

const char kClassName[] = "UiRobustnessHost";

}  // namespace

LRESULT CALLBACK CUiExercise::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (g_current != nullptr && g_current->MessageHandler(message, wParam, lParam, result))
        return result;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

CUiExercise::CUiExercise() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    CWindowManagerUI::SetInstance(instance);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &CUiExercise::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc);
    window_ = ::CreateWindowExA(0, kClassName, "robustness", WS_POPUP, 0, 0, 300, 200, nullptr,
                                nullptr, instance, nullptr);
    if (window_ != nullptr) ::ShowWindow(window_, SW_SHOWNA);
    dc_ = ::CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kCanvasWidth;
    info.bmiHeader.biHeight = -kCanvasHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc_ != nullptr && bitmap_ != nullptr) oldBitmap_ = ::SelectObject(dc_, bitmap_);
}

CUiExercise::~CUiExercise() {
    markupManager_.reset();
    if (dc_ != nullptr) {
        if (oldBitmap_ != nullptr) ::SelectObject(dc_, oldBitmap_);
        ::DeleteDC(dc_);
    }
    if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
    if (window_ != nullptr) ::DestroyWindow(window_);
}

void CUiExercise::Pump() {
    MSG msg;
    for (int i = 0; i < 200 && ::PeekMessageA(&msg, window_, 0, 0, PM_REMOVE); ++i)
        ::DispatchMessageA(&msg);
}

void CUiExercise::Skin(const std::string& bytes, uint32_t variant) {
    RECT client;
    ::GetClientRect(window_, &client);
    if (client.right != 300 || client.bottom != 200)
        ::SetWindowPos(window_, nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    {
        CWindowManagerUI manager;
        manager.AttachWindow(window_);
        g_current = &manager;
        CSkinBuilder builder;
        CControlUI* root = nullptr;
        if (builder.GetDocument().LoadFromBuffer(bytes.data(), bytes.size(),
                                                 SkinUI::XmlEncodingUtf8)) {
            // Some inputs go in without a manager, as the builder allows.
            if (variant % 7 == 0) {
                delete builder.BuildFromDocument(nullptr, nullptr, nullptr);
            } else {
                root = builder.BuildFromDocument(nullptr, &manager, nullptr);
            }
        }
        if (root != nullptr) {
            manager.AttachRoot(root);
            LRESULT result = 0;
            // One input in four is painted by the manager's own window painting; the others
            // are laid out and painted straight into a memory device context, which costs no
            // round trips to the display.
            const bool windowed = variant % 4 == 0;
            // Laid out and painted at the skin's size, and for a quarter of the inputs at another.
            for (int size = 0; size < 1 + static_cast<int>(variant % 4 == 1); ++size) {
                if (size == 1) {
                    ::SetWindowPos(window_, nullptr, 0, 0, 37 + variant % 500, 11 + variant % 300,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
                }
                ::GetClientRect(window_, &client);
                if (windowed) {
                    ::InvalidateRect(window_, nullptr, FALSE);
                    manager.MessageHandler(WM_PAINT, 0, 0, result);
                } else if (manager.GetRoot() != nullptr) {
                    manager.GetRoot()->SetBounds(client);
                    manager.GetRoot()->Paint(dc_, client);
                }
                // The mouse across the window: hover, press and release on a coarse grid.
                if (variant % 3 != 2) continue;
                const int stepY = std::max(8, static_cast<int>(client.bottom) / 4) + variant % 7;
                const int stepX = std::max(8, static_cast<int>(client.right) / 5) + variant % 11;
                for (int y = 1 + variant % 5; y < client.bottom; y += stepY) {
                    for (int x = 1 + variant % 9; x < client.right; x += stepX) {
                        const LPARAM at = MAKELPARAM(x, y);
                        manager.MessageHandler(WM_MOUSEMOVE, 0, at, result);
                        manager.MessageHandler(WM_LBUTTONDOWN, MK_LBUTTON, at, result);
                        manager.MessageHandler(WM_LBUTTONUP, 0, at, result);
                    }
                }
            }
        }
        Pump();
        g_current = nullptr;
    }
    // Messages posted to the manager that is gone have no receiver now.
    Pump();
}

void CUiExercise::Markup(const std::string& text, uint32_t variant) {
    // One manager serves many texts, as one window's manager serves all its texts; the fonts
    // that markup adds to its table stay found. A fresh one now and then keeps the table small.
    if (markupManager_ == nullptr || ++markupTexts_ % 256 == 0) {
        markupManager_.reset(new CWindowManagerUI());
        markupManager_->AttachWindow(window_);
    }
    CWindowManagerUI& manager = *markupManager_;
    g_current = &manager;
    const UINT styles[] = {
        0,
        DT_WORDBREAK,
        DT_SINGLELINE | DT_END_ELLIPSIS,
        DT_CENTER | DT_VCENTER | DT_WORDBREAK,
        DT_RIGHT | DT_BOTTOM | DT_WORDBREAK | DT_END_ELLIPSIS,
        DT_SINGLELINE | DT_CENTER | DT_VCENTER,
        DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS,
    };
    const int widths[] = {1, 3, 17, 60, 200, 9999};
    RECT links[CTextUI::kMaxLinks] = {};
    std::string texts[CTextUI::kMaxLinks];
    for (int i = 0; i < 2; ++i) {
        const UINT style = styles[(variant + i * 3) % (sizeof(styles) / sizeof(styles[0]))];
        const int width = widths[(variant / 7 + i) % (sizeof(widths) / sizeof(widths[0]))];
        RECT measured = {2, 0, 2 + width, 9999};
        int none = 0;
        CRenderer::DrawHtmlText(dc_, &manager, measured, text.c_str(), 0xFF000000, nullptr, nullptr,
                                none, style | DT_CALCRECT);
        RECT drawn = {1, 1, 1 + (width < kCanvasWidth ? width : kCanvasWidth - 2),
                      kCanvasHeight - 1};
        int count = CTextUI::kMaxLinks;
        CRenderer::DrawHtmlText(dc_, &manager, drawn, text.c_str(), 0xFF000000, links, texts, count,
                                style);
        if (count < 0 || count > CTextUI::kMaxLinks) ::RaiseException(0xE0000001, 0, 0, nullptr);
    }
    // Through a text control: measured at several widths, painted, its links hovered.
    {
        CTextUI control;
        control.AttachManager(&manager, nullptr, false);
        control.SetShowHtml(true);
        if (variant % 2) control.ApplyAttribute("endellipsis", "true");
        control.ApplyAttribute("align", (variant / 2) % 3 == 0   ? "center"
                                        : (variant / 2) % 3 == 1 ? "right"
                                                                 : "left");
        control.SetText(text);
        control.MeasureSize(SIZE{static_cast<LONG>(5 + variant % 3 * 75), 0});
        control.MeasureSize(SIZE{400, 0});
        control.SetBounds(RECT{0, 0, kCanvasWidth, kCanvasHeight});
        control.Paint(dc_, RECT{0, 0, kCanvasWidth, kCanvasHeight});
    }
    Pump();
    g_current = nullptr;
}

}  // namespace uirobust
