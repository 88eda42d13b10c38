// LoaderWnd's own window handling on a real window built from the program's skin resource:
// the skin's settings and controls, the non-client messages it answers itself, the ways out
// (Escape, the system close command) and the maximised size from the monitor's work area.
#include <gtest/gtest.h>

#include <cstring>

#include "loader/loader_wnd.h"
#include "loader/taskbar_progress.h"
#include "loader_test_support.h"
#include "ui/controls/CControlUI.h"

namespace {

// True when a WM_QUIT is waiting; takes it out of the queue.
bool QuitPosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

// The shell's taskbar interface as a record of the button's last state and value.
class FakeTaskbar : public ITaskbarList3 {
public:
    ULONG refs = 1;
    int state = -1;  // no call yet
    ULONGLONG value = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND, ULONGLONG done, ULONGLONG whole) override {
        value = done * 100 / whole;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND, TBPFLAG flags) override {
        state = flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return E_NOTIMPL; }
};

// The button shows the state last asked for once the shell's interface is there, and the
// interface is released with the button's owner; without a window nothing is shown.
TEST(TaskbarButton, ShowsTheDownloadsStateOnceTheButtonExists) {
    FakeTaskbar shell;
    {
        TaskbarProgress button;
        button.Attach(GetDesktopWindow());
        button.ShowProgress(40);
        shell.AddRef();
        button.Use(&shell);
        EXPECT_EQ(shell.state, TBPF_NORMAL);
        EXPECT_EQ(shell.value, 40u);
        button.ShowProgress(140);
        EXPECT_EQ(shell.value, 100u);
        button.ShowError();
        EXPECT_EQ(shell.state, TBPF_ERROR);
        button.Clear();
        EXPECT_EQ(shell.state, TBPF_NOPROGRESS);
    }
    EXPECT_EQ(shell.refs, 1u);
    FakeTaskbar unasked;
    {
        TaskbarProgress button;
        unasked.AddRef();
        button.Use(&unasked);
        button.ShowProgress(40);
    }
    EXPECT_EQ(unasked.state, -1);
    EXPECT_EQ(unasked.refs, 1u);
}

class LoaderWindow : public ::testing::Test {
protected:
    void SetUp() override {
        loadertest::DrainMessages();
        // Without a service URL the update flow only asks the message loop to end.
        window = loader.Create(nullptr, "Loader", 0x96C80000, 0, 0, 0, 100, 100);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QuitPosted());
    }
    void TearDown() override { loadertest::DrainMessages(); }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageA(window, message, wParam, lParam);
    }

    LoaderWnd loader;
    HWND window = nullptr;
};

TEST_F(LoaderWindow, TakesTheSkinsSizeShapeAndControls) {
    RECT bounds;
    GetWindowRect(window, &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 541);
    EXPECT_EQ(bounds.bottom - bounds.top, 402);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & 0x06000000, 0x06000000);

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(window, region), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, 540, 401));
    EXPECT_TRUE(PtInRegion(region, 2, 10));
    DeleteObject(region);

    EXPECT_EQ(loader.manager.GetCaptionRect().bottom, 100);
    EXPECT_EQ(loader.manager.GetMinTrackSize().cx, 541);
    EXPECT_TRUE(loader.manager.IsAlphaBackground());
    EXPECT_EQ(loader.manager.GetFontCount(), 5);
    ASSERT_NE(loader.progressBar, nullptr);
    EXPECT_EQ(loader.progressBar->GetValue(), 98);
    EXPECT_FALSE(loader.progressBar->IsStretchForeImage()) << "\"TRUE\" is not \"true\"";
    EXPECT_NE(loader.manager.FindControlByName("wheel"), nullptr);
    EXPECT_EQ(loader.CreateCustomControl("Progress"), nullptr);
}

TEST_F(LoaderWindow, AnswersTheNonClientMessagesItself) {
    EXPECT_EQ(Send(WM_NCCALCSIZE, FALSE, 0), 0);
    EXPECT_EQ(Send(WM_NCACTIVATE, 0, 0), 1);
    EXPECT_EQ(Send(WM_NCACTIVATE, 1, 0), 0);
    // The controls have their places once the window has been laid out and painted.
    ::ShowWindow(window, SW_SHOW);
    loadertest::PumpFor(200);
    QuitPosted();
    RECT bounds;
    GetWindowRect(window, &bounds);
    // Screen points: inside the band, just below it, and outside the window.
    EXPECT_EQ(Send(WM_NCHITTEST, 0, MAKELPARAM(bounds.left + 200, bounds.top + 99)), HTCAPTION);
    EXPECT_EQ(Send(WM_NCHITTEST, 0, MAKELPARAM(bounds.left + 200, bounds.top + 100)), HTCLIENT);
    EXPECT_EQ(Send(WM_NCHITTEST, 0, MAKELPARAM(bounds.left + 200, bounds.top - 5)), HTCLIENT);
}

TEST_F(LoaderWindow, EscapeAndTheSystemCloseCommandEndTheLoopWithoutClosing) {
    EXPECT_EQ(Send(WM_KEYDOWN, 'A', 0), 0);
    EXPECT_FALSE(QuitPosted());
    EXPECT_EQ(Send(WM_KEYDOWN, VK_ESCAPE, 0), 0);
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_CLOSE, 0), 0);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(LoaderWindow, MaximisesToTheMonitorsWorkArea) {
    MINMAXINFO info = {};
    Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor));
    EXPECT_EQ(info.ptMaxPosition.x, monitor.rcWork.left - monitor.rcMonitor.left);
    EXPECT_EQ(info.ptMaxPosition.y, monitor.rcWork.top - monitor.rcMonitor.top);
    EXPECT_EQ(info.ptMaxSize.x, monitor.rcWork.right - monitor.rcMonitor.left);
    EXPECT_EQ(info.ptMaxSize.y, monitor.rcWork.bottom - monitor.rcMonitor.top);
    // The skin's minimum tracking size comes through the manager.
    EXPECT_EQ(info.ptMinTrackSize.x, 541);
    EXPECT_EQ(info.ptMinTrackSize.y, 402);
}

}  // namespace
