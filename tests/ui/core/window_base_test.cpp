// The window base against real windows under wine: registration, the object <-> window tie,
// superclassing and subclassing, destruction, centring on the real work area, and the message
// loop with its pre-translation step.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/core/CWindowManagerUI.h"
#include "ui/core/CWindowWnd.h"

using SkinUI::CenteredPosition;
using SkinUI::CWindowManagerUI;
using SkinUI::CWindowWnd;

namespace {

const UINT kPing = WM_APP + 7;

class TestWnd : public CWindowWnd {
public:
    explicit TestWnd(LPCSTR className = "SkinUITestWnd", LPCSTR superclass = nullptr)
        : className_(className), superclass_(superclass) {}
    ~TestWnd() {
        if (GetHWND() != nullptr) {
            ::DestroyWindow(GetHWND());
        }
    }

    LPCSTR WindowClassName() const override { return className_; }
    LPCSTR SuperclassName() const override { return superclass_; }
    UINT ClassStyle() const override { return CS_DBLCLKS; }

    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        if (message == WM_CREATE) {
            handleSeenAtCreate = GetHWND();
        }
        if (message == WM_CLOSE) {
            closeCode = wParam;
        }
        if (message == WM_KEYDOWN) {
            lastKey = wParam;
        }
        return CWindowWnd::OnWindowMessage(message, wParam, lParam);
    }
    void OnWindowDestroyed(HWND window) override {
        ++destroyedCount;
        destroyedWindow = window;
        if (quitOnDestroy) {
            ::PostQuitMessage(0);
        }
    }

    bool Saw(UINT message) const {
        for (UINT m : messages) {
            if (m == message) return true;
        }
        return false;
    }

    std::vector<UINT> messages;
    HWND handleSeenAtCreate = nullptr;
    HWND destroyedWindow = nullptr;
    int destroyedCount = 0;
    WPARAM closeCode = 0;
    WPARAM lastKey = 0;
    bool quitOnDestroy = false;

private:
    LPCSTR className_;
    LPCSTR superclass_;
};

class WindowBase : public ::testing::Test {
protected:
    void SetUp() override { CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr)); }

    static RECT WorkArea(HWND window) {
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
        return info.rcWork;
    }
    static RECT WindowRect(HWND window) {
        RECT r = {};
        ::GetWindowRect(window, &r);
        return r;
    }
    // Handles what is already queued, without waiting for more.
    static void Pump() {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
};

}  // namespace

TEST(CenteredPosition, PlacesAndClampsAgainstTheWorkArea) {
    const RECT work = {0, 0, 1920, 1040};
    POINT p = CenteredPosition(work, work, 541, 402);
    EXPECT_EQ(690, p.x);
    EXPECT_EQ(319, p.y);

    p = CenteredPosition(work, work, 2000, 1100);  // larger than the work area
    EXPECT_EQ(0, p.x);
    EXPECT_EQ(0, p.y);

    const RECT owner = {1700, 100, 1900, 300};  // owner near the right edge
    p = CenteredPosition(owner, work, 541, 402);
    EXPECT_EQ(1920 - 541, p.x);
    EXPECT_EQ(0, p.y);  // (100 + 300) / 2 - 201 = -1, clamped to the top

    // Halving rounds toward zero, also on a work area left of the primary monitor.
    const RECT left = {-1281, 0, 0, 1024};
    p = CenteredPosition(left, left, 101, 100);
    EXPECT_EQ(-640 - 50, p.x);
}

TEST_F(WindowBase, CreateBindsObjectAndRegistersTheClassOnce) {
    TestWnd first, second;
    HWND a = first.Create(nullptr, "first", WS_OVERLAPPEDWINDOW, 0, 10, 20, 300, 200);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(a, first.GetHWND());
    EXPECT_EQ(a, first.handleSeenAtCreate);  // stored during WM_NCCREATE already
    EXPECT_TRUE(first.Saw(WM_NCCREATE));
    EXPECT_EQ(&first, reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrA(a, GWLP_USERDATA)));

    // The second registration meets "already exists" and still counts as success.
    RECT r = {50, 60, 250, 160};
    HWND b = second.Create(nullptr, "second", WS_OVERLAPPEDWINDOW, 0, r);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(::GetClassLongA(a, GCW_ATOM), ::GetClassLongA(b, GCW_ATOM));
    EXPECT_EQ(static_cast<ULONG_PTR>(CS_DBLCLKS), ::GetClassLongPtrA(a, GCL_STYLE));
    EXPECT_EQ(0, ::GetClassLongPtrA(a, GCLP_HBRBACKGROUND));
    RECT got = WindowRect(b);
    EXPECT_EQ(50, got.left);
    EXPECT_EQ(60, got.top);
    EXPECT_EQ(200, got.right - got.left);
    EXPECT_EQ(100, got.bottom - got.top);
}

TEST_F(WindowBase, DestructionUnbindsAndNotifiesOnce) {
    TestWnd wnd;
    HWND h = wnd.Create(nullptr, "gone", WS_OVERLAPPEDWINDOW, 0, 0, 0, 100, 100);
    ASSERT_NE(nullptr, h);
    ASSERT_TRUE(::DestroyWindow(h));
    EXPECT_EQ(nullptr, wnd.GetHWND());
    EXPECT_EQ(1, wnd.destroyedCount);
    EXPECT_EQ(h, wnd.destroyedWindow);
    EXPECT_TRUE(wnd.Saw(WM_DESTROY));
    // Operations on an object without a window do nothing.
    wnd.ShowWindow(true);
    wnd.Close(1);
    wnd.Unsubclass();
    Pump();
    EXPECT_EQ(1, wnd.destroyedCount);
}

TEST_F(WindowBase, SuperclassKeepsTheCopiedProcedureBehindTheObject) {
    TestWnd edit("SkinUITestEdit", "EDIT");
    HWND h = edit.Create(nullptr, "hello", WS_POPUP, 0, 0, 0, 120, 30);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(&edit, ::GetPropA(h, "WndX"));
    EXPECT_EQ(0, ::GetWindowLongPtrA(h, GWLP_USERDATA));
    char name[64] = {};
    ::GetClassNameA(h, name, sizeof(name));
    EXPECT_STREQ("SkinUITestEdit", name);

    // The edit control's own procedure still does the work behind OnWindowMessage.
    edit.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
    char text[32] = {};
    edit.SendMessage(WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("typed", text);
    EXPECT_TRUE(edit.Saw(WM_SETTEXT));

    ASSERT_TRUE(::DestroyWindow(h));
    EXPECT_EQ(1, edit.destroyedCount);
    EXPECT_EQ(nullptr, edit.GetHWND());
}

TEST_F(WindowBase, UnknownSuperclassCreatesNothing) {
    TestWnd wnd("SkinUITestNoBase", "SkinUINoSuchClass");
    EXPECT_EQ(nullptr, wnd.Create(nullptr, "x", WS_POPUP, 0, 0, 0, 10, 10));
    EXPECT_EQ(nullptr, wnd.GetHWND());
    EXPECT_TRUE(wnd.messages.empty());
    EXPECT_EQ(nullptr, ::FindWindowA("SkinUITestNoBase", nullptr));
}

TEST_F(WindowBase, SubclassRoutesThroughTheObjectUntilUnsubclassed) {
    HWND h = ::CreateWindowExA(0, "STATIC", "orig", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, h);
    const LONG_PTR original = ::GetWindowLongPtrA(h, GWLP_WNDPROC);

    TestWnd wnd;
    ASSERT_EQ(h, wnd.Subclass(h));
    EXPECT_EQ(nullptr, wnd.Subclass(h));  // one window per object
    ::SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("changed"));
    EXPECT_TRUE(wnd.Saw(WM_SETTEXT));
    char text[32] = {};
    ::GetWindowTextA(h, text, sizeof(text));
    EXPECT_STREQ("changed", text);

    wnd.Unsubclass();
    EXPECT_EQ(original, ::GetWindowLongPtrA(h, GWLP_WNDPROC));
    wnd.messages.clear();
    ::SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("again"));
    EXPECT_FALSE(wnd.Saw(WM_SETTEXT));
    ::DestroyWindow(h);
    EXPECT_EQ(0, wnd.destroyedCount);

    // Destroyed while subclassed: the object hears of it exactly once.
    HWND g = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    TestWnd other;
    ASSERT_EQ(g, other.Subclass(g));
    ::DestroyWindow(g);
    EXPECT_EQ(1, other.destroyedCount);
    EXPECT_EQ(nullptr, other.GetHWND());
    EXPECT_EQ(nullptr, ::GetPropA(g, "WndX"));
}

TEST_F(WindowBase, ObjectDestroyedBeforeItsWindowIsDetached) {
    // An owner that forgets to destroy its window before the object goes away.
    class NoDestroy : public CWindowWnd {
    public:
        LPCSTR WindowClassName() const override { return "SkinUITestWnd"; }
    };
    auto orphan = std::make_unique<NoDestroy>();
    HWND o = orphan->Create(nullptr, "orphan2", WS_POPUP, 0, 0, 0, 40, 40);
    ASSERT_NE(nullptr, o);
    orphan.reset();
    EXPECT_EQ(0, ::GetWindowLongPtrA(o, GWLP_USERDATA));
    // Messages now take the default path instead of reaching freed memory.
    ::SendMessageA(o, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("still fine"));
    char text[32] = {};
    ::GetWindowTextA(o, text, sizeof(text));
    EXPECT_STREQ("still fine", text);
    EXPECT_TRUE(::DestroyWindow(o));
}

TEST_F(WindowBase, ShowWindowHidesShowsAndShowsWithoutActivating) {
    TestWnd wnd;
    ASSERT_NE(nullptr, wnd.Create(nullptr, "show", WS_POPUP, 0, 0, 0, 100, 100));
    EXPECT_FALSE(::IsWindowVisible(wnd.GetHWND()));
    wnd.ShowWindow(true, false);
    EXPECT_TRUE(::IsWindowVisible(wnd.GetHWND()));
    EXPECT_NE(wnd.GetHWND(), ::GetActiveWindow());
    wnd.ShowWindow(false);
    EXPECT_FALSE(::IsWindowVisible(wnd.GetHWND()));
    wnd.ShowWindow(true, true);
    EXPECT_TRUE(::IsWindowVisible(wnd.GetHWND()));
    EXPECT_EQ(wnd.GetHWND(), ::GetActiveWindow());  // taking the focus activates it
}

TEST_F(WindowBase, CenterWindowUsesTheRealWorkArea) {
    TestWnd wnd;
    ASSERT_NE(nullptr, wnd.Create(nullptr, "centre", WS_POPUP, 0, 3, 4, 541, 402));
    const RECT work = WorkArea(wnd.GetHWND());
    wnd.CenterWindow();
    RECT r = WindowRect(wnd.GetHWND());
    EXPECT_EQ((work.left + work.right) / 2 - 541 / 2, r.left);
    EXPECT_EQ((work.top + work.bottom) / 2 - 402 / 2, r.top);
    EXPECT_EQ(541, r.right - r.left);  // size unchanged
    EXPECT_EQ(402, r.bottom - r.top);

    TestWnd big;
    const int bigW = work.right - work.left + 300, bigH = work.bottom - work.top + 200;
    ASSERT_NE(nullptr, big.Create(nullptr, "big", WS_POPUP, 0, 5, 5, bigW, bigH));
    big.CenterWindow();
    r = WindowRect(big.GetHWND());
    EXPECT_EQ(work.left, r.left);
    EXPECT_EQ(work.top, r.top);
}

TEST_F(WindowBase, CenterWindowOnAnOwnerNearTheRightEdgeIsPushedLeft) {
    TestWnd owner;
    ASSERT_NE(nullptr, owner.Create(nullptr, "owner", WS_POPUP, 0, 0, 0, 100, 100));
    const RECT work = WorkArea(owner.GetHWND());
    ::SetWindowPos(owner.GetHWND(), nullptr, work.right - 100, work.top + 300, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    TestWnd dialog;
    ASSERT_NE(nullptr, dialog.Create(owner.GetHWND(), "owned", WS_POPUP, 0, 0, 0, 400, 200));
    ASSERT_EQ(owner.GetHWND(), ::GetWindow(dialog.GetHWND(), GW_OWNER));
    dialog.CenterWindow();
    RECT r = WindowRect(dialog.GetHWND());
    EXPECT_EQ(work.right - 400, r.left);
    EXPECT_EQ(work.top + 350 - 100, r.top);  // centred on the owner vertically
}

TEST_F(WindowBase, MessageLoopDispatchesUntilQuit) {
    TestWnd wnd;
    wnd.quitOnDestroy = true;
    ASSERT_NE(nullptr, wnd.Create(nullptr, "loop", WS_POPUP, 0, 0, 0, 100, 100));
    // Without any manager the pre-translation step claims nothing: Tab reaches the window.
    EXPECT_TRUE(wnd.PostMessage(WM_KEYDOWN, VK_TAB, 0));
    EXPECT_TRUE(wnd.PostMessage(kPing, 1, 2));
    wnd.Close(5);  // WM_CLOSE -> destroyed -> quit
    CWindowManagerUI::MessageLoop();
    EXPECT_EQ(static_cast<WPARAM>(VK_TAB), wnd.lastKey);
    EXPECT_TRUE(wnd.Saw(kPing));
    EXPECT_EQ(5u, wnd.closeCode);
    EXPECT_EQ(1, wnd.destroyedCount);
    EXPECT_EQ(nullptr, wnd.GetHWND());
}

namespace {

class ClaimingTranslator : public SkinUI::ITranslateAccelerator {
public:
    explicit ClaimingTranslator(LRESULT answer) : answer_(answer) {}
    LRESULT TranslateAccelerator(MSG* message) override {
        seen.push_back(message->message);
        return answer_;
    }
    std::vector<UINT> seen;

private:
    LRESULT answer_;
};

}  // namespace

TEST_F(WindowBase, PreTranslationFindsTheManagerOfAWindowAndOfItsChildren) {
    TestWnd top;
    ASSERT_NE(nullptr, top.Create(nullptr, "top", WS_POPUP, 0, 0, 0, 100, 100));
    TestWnd child("SkinUITestChild");
    ASSERT_NE(nullptr, child.Create(top.GetHWND(), "", WS_CHILD, 0, 0, 0, 10, 10));
    TestWnd stranger;
    ASSERT_NE(nullptr, stranger.Create(nullptr, "other", WS_POPUP, 0, 0, 0, 100, 100));

    MSG msg = {};
    msg.hwnd = top.GetHWND();
    msg.message = WM_KEYDOWN;
    EXPECT_FALSE(CWindowManagerUI::PreTranslateMessage(&msg));  // no manager at all

    ClaimingTranslator pass(1), claim(0);
    {
        CWindowManagerUI manager;
        manager.AttachWindow(top.GetHWND());
        manager.AddTranslateAccelerator(&pass);
        EXPECT_FALSE(CWindowManagerUI::PreTranslateMessage(&msg));
        manager.AddTranslateAccelerator(&claim);
        EXPECT_TRUE(CWindowManagerUI::PreTranslateMessage(&msg));
        msg.hwnd = child.GetHWND();  // a child window's message goes to its ancestor's manager
        EXPECT_TRUE(CWindowManagerUI::PreTranslateMessage(&msg));
        EXPECT_EQ(2u, claim.seen.size());
        EXPECT_EQ(3u, pass.seen.size());  // asked first every time
        msg.hwnd = stranger.GetHWND();
        EXPECT_FALSE(CWindowManagerUI::PreTranslateMessage(&msg));
        manager.RemoveTranslateAccelerator(&claim);
        msg.hwnd = top.GetHWND();
        EXPECT_FALSE(CWindowManagerUI::PreTranslateMessage(&msg));
    }
    // A destroyed manager leaves the process-wide list.
    msg.hwnd = top.GetHWND();
    EXPECT_FALSE(CWindowManagerUI::PreTranslateMessage(&msg));
    EXPECT_EQ(4u, pass.seen.size());
}
