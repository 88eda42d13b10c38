// The manager's message handling on a real window under wine: the first paint's layout,
// "windowinit" and focus, painting, mouse routing with capture, wheel direction, leaving the
// window, keys, timers, filters, queued notifications and deferred deletion.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/controls/surface.h"
#include "tests/ui/ui_test_support.h"
#include "ui/controls/CVerticalLayoutUI.h"

using namespace SkinUI;
using uitest::RecordingControl;
using uitest::Surface;
using uitest::TestContainer;

namespace {

// A window whose messages go to its manager first, as the loader window does.
class ManagedWnd : public CWindowWnd {
public:
    ManagedWnd() { CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr)); }
    ~ManagedWnd() {
        if (GetHWND() != nullptr) ::DestroyWindow(GetHWND());
    }
    LPCSTR WindowClassName() const override { return "SkinUITestManaged"; }
    UINT ClassStyle() const override { return CS_DBLCLKS; }
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) manager.AttachWindow(GetHWND());
        LRESULT result = 0;
        if (manager.MessageHandler(message, wParam, lParam, result)) return result;
        return CWindowWnd::OnWindowMessage(message, wParam, lParam);
    }
    CWindowManagerUI manager;
};

struct NoticeLog : INotifyUI {
    void OnNotify(TNoticeUI& notice) override { types.push_back(notice.type); }
    int Count(const std::string& type) const {
        int n = 0;
        for (const auto& t : types) n += t == type;
        return n;
    }
    std::vector<std::string> types;
};

class MessageHandling : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, wnd.Create(nullptr, "managed", WS_POPUP, 0, 0, 0, 200, 100));
        wnd.ShowWindow(true, false);
        root = new TestContainer("root");
        first = root->Add(new RecordingControl("first", InputTabStop));
        second = root->Add(new RecordingControl("second", InputTabStop));
        wnd.manager.AddNotifier(&log);
        wnd.manager.AttachRoot(root);
    }
    void Paint() {
        ::InvalidateRect(wnd.GetHWND(), nullptr, FALSE);
        ::UpdateWindow(wnd.GetHWND());
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(wnd.GetHWND(), message, wParam, lParam);
    }
    // Places the two children side by side after the first layout.
    void Lay() {
        Paint();
        first->SetBounds(RECT{0, 0, 100, 100});
        second->SetBounds(RECT{100, 0, 200, 100});
    }

    ManagedWnd wnd;
    NoticeLog log;
    TestContainer* root = nullptr;
    RecordingControl* first = nullptr;
    RecordingControl* second = nullptr;
};

}  // namespace

TEST_F(MessageHandling, FirstPaintLaysOutSendsWindowInitOnceAndFocusesTheFirstTabStop) {
    Paint();
    EXPECT_EQ(200, root->GetWidth());
    EXPECT_EQ(100, root->GetHeight());
    EXPECT_EQ(1, log.Count("windowinit"));
    EXPECT_EQ(first, wnd.manager.GetFocus());
    Paint();
    EXPECT_EQ(1, log.Count("windowinit"));
    EXPECT_EQ(first, wnd.manager.GetFocus());

    // Later layout requests touch only the controls that asked.
    first->SetBounds(RECT{0, 0, 50, 50});
    first->MarkForLayout();
    Paint();
    EXPECT_FALSE(first->NeedsLayout());
    EXPECT_EQ(50, first->GetWidth());
    EXPECT_EQ(1, Send(WM_ERASEBKGND));
}

TEST_F(MessageHandling, PaintingGoesThroughTheTree) {
    root->ApplyAttribute("bkcolor", "#FF00FF00");
    Paint();
    Surface s(200, 100);
    Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(s.dc()), PRF_CLIENT);
    EXPECT_EQ(0x00FF00u, s.Rgb(150, 50));
}

TEST_F(MessageHandling, PressMoveOffAndReleaseKeepTheClickControl) {
    Lay();
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    EXPECT_EQ(1, first->Count(EventMouseEnter));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    EXPECT_EQ(1, first->Count(EventButtonDown));
    EXPECT_EQ(first, wnd.manager.GetFocus());
    EXPECT_EQ(wnd.GetHWND(), ::GetCapture());
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 50));  // off the control
    EXPECT_EQ(1, first->Count(EventMouseLeave));
    EXPECT_EQ(1, second->Count(EventMouseEnter));
    EXPECT_EQ(2, first->Count(EventMouseMove));  // the click control keeps the moves
    EXPECT_EQ(0, second->Count(EventMouseMove));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(150, 50));
    EXPECT_EQ(1, first->Count(EventButtonUp));
    EXPECT_EQ(0, second->Count(EventButtonUp));
    EXPECT_EQ(nullptr, ::GetCapture());
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(160, 50));
    EXPECT_EQ(1, second->Count(EventMouseMove));
}

TEST_F(MessageHandling, WheelDirectionAndLeavingTheWindow) {
    Lay();
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    POINT screen = {50, 50};
    ::ClientToScreen(wnd.GetHWND(), &screen);
    first->events.clear();
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
         MAKELPARAM(screen.x, screen.y));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    ASSERT_EQ(2, first->Count(EventScrollWheel));
    std::vector<WPARAM> directions;
    struct Capture {
        std::vector<WPARAM>* out;
        bool Hear(void* param) {
            auto* event = static_cast<TEventUI*>(param);
            if (event->type == EventScrollWheel) out->push_back(event->wParam);
            return true;
        }
    } capture{&directions};
    first->EventListeners += MakeDelegate(&capture, &Capture::Hear);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
         MAKELPARAM(screen.x, screen.y));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ((std::vector<WPARAM>{1, 0}), directions);  // towards the user is 1

    Send(WM_MOUSELEAVE);
    EXPECT_EQ(1, first->Count(EventMouseLeave));  // through the move to (-1, -1)
}

TEST_F(MessageHandling, KeysGoToTheFocusAndKeyUpToTheKeyControl) {
    Lay();
    wnd.manager.SetFocus(second);
    Send(WM_KEYDOWN, 'A');
    Send(WM_CHAR, 'a');
    wnd.manager.SetFocus(first);
    Send(WM_KEYUP, 'A');  // goes where the key went down
    EXPECT_EQ(1, second->Count(EventKeyDown));
    EXPECT_EQ(1, second->Count(EventChar));
    EXPECT_EQ(1, second->Count(EventKeyUp));
    EXPECT_EQ(0, first->Count(EventKeyUp));
    Send(WM_KEYUP, 'A');
    EXPECT_EQ(1, second->Count(EventKeyUp));
}

TEST_F(MessageHandling, TimersReachTheirControlWithTheLocalId) {
    Lay();
    ASSERT_TRUE(wnd.manager.SetTimer(second, 42, 100000));
    std::vector<WPARAM> ids;
    struct Capture {
        std::vector<WPARAM>* out;
        bool Hear(void* param) {
            auto* event = static_cast<TEventUI*>(param);
            if (event->type == EventTimer) out->push_back(event->wParam);
            return true;
        }
    } capture{&ids};
    second->EventListeners += MakeDelegate(&capture, &Capture::Hear);
    Send(WM_TIMER, 17);  // the native id of the first timer
    EXPECT_EQ((std::vector<WPARAM>{42}), ids);
    EXPECT_EQ(1, log.Count("timer"));
    wnd.manager.KillTimer(second, 42);
    Send(WM_TIMER, 17);  // killed: nothing
    EXPECT_EQ(1u, ids.size());
}

TEST_F(MessageHandling, FiltersComeFirstAndQueuedNotificationsAreDelivered) {
    struct Swallow : IMessageFilterUI {
        UINT message = WM_USER + 5;
        LRESULT FilterMessage(UINT m, WPARAM, LPARAM, bool& handled) override {
            handled = m == message;
            return 77;
        }
    } filter;
    wnd.manager.AddMessageFilter(&filter);
    EXPECT_EQ(77, Send(WM_USER + 5));
    wnd.manager.RemoveMessageFilter(&filter);
    EXPECT_EQ(0, Send(WM_USER + 5));

    wnd.manager.SendNotify(first, "later", 0, 0, true);
    EXPECT_EQ(0, log.Count("later"));
    Send(WM_USER + 6);
    EXPECT_EQ(1, log.Count("later"));
}

TEST_F(MessageHandling, DelayedCleanupDeletesOnlyWhenItsMessageArrives) {
    Lay();
    bool deleted = false;
    struct Flag {
        bool* flag;
        bool Set(void*) {
            *flag = true;
            return true;
        }
    } flag{&deleted};
    second->DestroyListeners += MakeDelegate(&flag, &Flag::Set);
    // A control scheduling its own deletion from inside its handler.
    root->children.pop_back();
    wnd.manager.AddDelayedCleanup(second);
    EXPECT_FALSE(deleted);
    uitest::Pump();  // the posted WM_APP + 1
    EXPECT_TRUE(deleted);
}

TEST_F(MessageHandling, TrackSizesOnlyReplaceWhatIsSet) {
    wnd.manager.SetMinTrackSize(300, 0);
    wnd.manager.SetMaxTrackSize(0, 500);
    MINMAXINFO info = {};
    info.ptMinTrackSize = POINT{1, 2};
    info.ptMaxTrackSize = POINT{3, 4};
    Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(300, info.ptMinTrackSize.x);
    EXPECT_EQ(2, info.ptMinTrackSize.y);
    EXPECT_EQ(3, info.ptMaxTrackSize.x);
    EXPECT_EQ(500, info.ptMaxTrackSize.y);
}

namespace {

BOOL CALLBACK FindOwnedTip(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(data);
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof(name));
    if (std::string(name) == "tooltips_class32" && ::GetWindow(window, GW_OWNER) == found->first) {
        found->second = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

TEST_F(MessageHandling, HoverShowsTheControlsToolTip) {
    Lay();
    first->SetToolTip("first<n>line");
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    Send(WM_MOUSEHOVER, 0, MAKELPARAM(50, 50));
    EXPECT_EQ(1, first->Count(EventMouseHover));
    std::pair<HWND, HWND> tip(wnd.GetHWND(), nullptr);
    ::EnumThreadWindows(::GetCurrentThreadId(), FindOwnedTip, reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(nullptr, tip.second);
    EXPECT_EQ(first->GetToolTipWidth(), ::SendMessageA(tip.second, TTM_GETMAXTIPWIDTH, 0, 0));
    // Without a tooltip text no tip is made or changed, and nothing is found: not handled.
    Send(WM_MOUSEHOVER, 0, MAKELPARAM(500, 500));
}

TEST_F(MessageHandling, TabMovesTheFocusBetweenTabStopsThroughTheLoop) {
    Paint();
    ASSERT_EQ(first, wnd.manager.GetFocus());
    BYTE keys[256] = {};
    ASSERT_TRUE(::SetKeyboardState(keys));
    MSG tab = {wnd.GetHWND(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_TRUE(CWindowManagerUI::PreTranslateMessage(&tab));
    EXPECT_EQ(second, wnd.manager.GetFocus());
    EXPECT_TRUE(CWindowManagerUI::PreTranslateMessage(&tab));
    EXPECT_EQ(first, wnd.manager.GetFocus());  // wraps to the first tab stop
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    EXPECT_TRUE(CWindowManagerUI::PreTranslateMessage(&tab));
    EXPECT_EQ(second, wnd.manager.GetFocus());  // Shift+Tab goes backwards
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
}
