// The manager's message handling on a real window under wine: the first paint's layout,
// "windowinit" and focus, painting, mouse routing with capture, wheel direction, leaving the
// window, keys, timers, filters, queued notifications, deferred deletion and the accessible
// object.
#include <gtest/gtest.h>
#include <windows.h>

#include <oleacc.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/ui/controls/surface.h"
#include "tests/ui/ui_test_support.h"
#include "ui/controls/CButtonUI.h"
#include "ui/controls/CLabelUI.h"
#include "ui/controls/CProgressUI.h"
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
    // A control without a tooltip text leaves the tip as it is, though the message is handled;
    // where no control is found it is not handled.
    second->SetToolTipWidth(123);
    LRESULT result = 0;
    EXPECT_TRUE(wnd.manager.MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(150, 50), result));
    EXPECT_EQ(first->GetToolTipWidth(), ::SendMessageA(tip.second, TTM_GETMAXTIPWIDTH, 0, 0));
    EXPECT_FALSE(wnd.manager.MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(500, 500), result));
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

// ---- Painting through the offscreen buffer ---------------------------------------------------

namespace {

// Records the bitmap selected into the DC it is painted into, and that bitmap's size.
class PaintProbe : public RecordingControl {
public:
    void Paint(HDC dc, const RECT& paint) override {
        bitmaps.push_back(::GetCurrentObject(dc, OBJ_BITMAP));
        BITMAP info = {};
        ::GetObjectA(bitmaps.back(), sizeof(info), &info);
        widths.push_back(info.bmWidth);
        RecordingControl::Paint(dc, paint);
    }
    std::vector<HGDIOBJ> bitmaps;
    std::vector<LONG> widths;
};

COLORREF WindowPixel(HWND window, int x, int y) {
    HDC dc = ::GetDC(window);
    const COLORREF color = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return color;
}

void FillWindow(HWND window, COLORREF color) {
    HDC dc = ::GetDC(window);
    HBRUSH brush = ::CreateSolidBrush(color);
    RECT r;
    ::GetClientRect(window, &r);
    ::FillRect(dc, &r, brush);
    ::DeleteObject(brush);
    ::ReleaseDC(window, dc);
}

}  // namespace

TEST_F(MessageHandling, OneOffscreenBitmapIsReusedUntilTheRootIsLaidOutAgain) {
    auto* probe = new PaintProbe;
    wnd.manager.AttachRoot(probe);  // the old root goes to the delayed clean-up
    Paint();
    Paint();
    ASSERT_EQ(2u, probe->bitmaps.size());
    EXPECT_EQ(probe->bitmaps[0], probe->bitmaps[1]);
    EXPECT_EQ(200, probe->widths[0]);  // the client size, not the update area
    ::SetWindowPos(wnd.GetHWND(), nullptr, 0, 0, 260, 100, SWP_NOMOVE | SWP_NOZORDER);
    Paint();
    ASSERT_EQ(3u, probe->bitmaps.size());
    EXPECT_EQ(260, probe->widths[2]);  // rebuilt at the new size
    EXPECT_EQ(260, probe->GetWidth());
}

TEST_F(MessageHandling, CapturedBackgroundShowsThroughLaterPaints) {
    auto* bare = new TestContainer("bare");  // paints nothing of its own
    wnd.manager.AttachRoot(bare);
    wnd.manager.SetAlphaBackground(true);
    // What is on the window before the first paint is taken as the background.
    ::ValidateRect(wnd.GetHWND(), nullptr);
    FillWindow(wnd.GetHWND(), RGB(255, 0, 0));
    Paint();
    EXPECT_EQ(RGB(255, 0, 0), WindowPixel(wnd.GetHWND(), 20, 20));
    FillWindow(wnd.GetHWND(), RGB(0, 0, 255));
    Paint();
    EXPECT_EQ(RGB(255, 0, 0), WindowPixel(wnd.GetHWND(), 20, 20));  // not the new blue

    // A colour of the tree is drawn over the captured background.
    bare->ApplyAttribute("bkcolor", "#FF00FF00");
    Paint();
    EXPECT_EQ(RGB(0, 255, 0), WindowPixel(wnd.GetHWND(), 20, 20));
}

TEST_F(MessageHandling, AWindowInitListenerDroppingTheTreeStillValidatesThePaint) {
    struct Dropper : INotifyUI {
        CWindowManagerUI* manager = nullptr;
        void OnNotify(TNoticeUI& notice) override {
            if (notice.type == "windowinit") manager->AttachRoot(nullptr);
        }
    } dropper;
    dropper.manager = &wnd.manager;
    wnd.manager.AddNotifier(&dropper);
    Paint();
    RECT left;
    EXPECT_FALSE(::GetUpdateRect(wnd.GetHWND(), &left, FALSE));
    uitest::Pump();  // the old root's clean-up
}

// ---- More mouse routing
// ---------------------------------------------------------------------------

TEST_F(MessageHandling, PressMoveOffReleaseInOrder) {
    Lay();
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    first->events.clear();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 50));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(160, 50));
    EXPECT_EQ(wnd.GetHWND(), ::GetCapture());
    Send(WM_LBUTTONUP, 0, MAKELPARAM(160, 50));
    std::vector<int> mouse;
    for (int kind : first->events) {
        if (IsMouseEvent(kind)) mouse.push_back(kind);
    }
    EXPECT_EQ((std::vector<int>{EventButtonDown, EventMouseLeave, EventMouseMove, EventMouseMove,
                                EventButtonUp}),
              mouse);
}

TEST_F(MessageHandling, DoubleClickRightButtonAndContextMenu) {
    Lay();
    wnd.manager.SetFocus(first);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(150, 50));
    EXPECT_EQ(1, second->Count(EventDoubleClick));
    EXPECT_EQ(first, wnd.manager.GetFocus());  // a double click moves no focus
    EXPECT_EQ(wnd.GetHWND(), ::GetCapture());
    Send(WM_LBUTTONUP, 0, MAKELPARAM(150, 50));
    EXPECT_EQ(1, second->Count(EventButtonUp));

    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(150, 50));
    EXPECT_EQ(1, second->Count(EventRightButtonDown));
    EXPECT_EQ(second, wnd.manager.GetFocus());
    LPARAM menuParam = 0;
    struct Capture {
        LPARAM* out;
        bool Hear(void* param) {
            auto* event = static_cast<TEventUI*>(param);
            if (event->type == EventContextMenu) *out = event->lParam;
            return true;
        }
    } capture{&menuParam};
    second->EventListeners += MakeDelegate(&capture, &Capture::Hear);
    POINT screen = {150, 50};
    ::ClientToScreen(wnd.GetHWND(), &screen);
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(wnd.GetHWND()), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(1, second->Count(EventContextMenu));
    EXPECT_EQ(reinterpret_cast<LPARAM>(second), menuParam);  // the click control itself
    EXPECT_EQ(nullptr, ::GetCapture());
    Send(WM_CONTEXTMENU, 0, MAKELPARAM(screen.x, screen.y));  // no click control: nothing
    EXPECT_EQ(1, second->Count(EventContextMenu));
}

TEST_F(MessageHandling, ControlsOfAnotherManagerGetNoMouseEvents) {
    Lay();
    CWindowManagerUI other;
    second->AttachManager(&other, root, false);
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(150, 50));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 50));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(150, 50));
    EXPECT_TRUE(second->events.empty());
    EXPECT_EQ(nullptr, ::GetCapture());
    second->AttachManager(&wnd.manager, root, false);
}

TEST_F(MessageHandling, CloseReleasesHoverAndClickAndTheFocus) {
    Lay();
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    ASSERT_EQ(first, wnd.manager.GetFocus());
    LRESULT result = 5;
    EXPECT_FALSE(wnd.manager.MessageHandler(WM_CLOSE, 0, 0, result));  // the window still closes
    EXPECT_EQ(1, first->Count(EventMouseLeave));
    EXPECT_EQ(1, first->Count(EventButtonUp));
    EXPECT_EQ(nullptr, wnd.manager.GetFocus());
}

TEST_F(MessageHandling, SetCursorGoesToControlsThatAskForIt) {
    Lay();
    auto* wants = root->Add(new RecordingControl("cursor", InputSetCursor));
    wants->SetBounds(RECT{0, 0, 200, 100});  // over both others (found last-added first)
    POINT screen = {30, 30};
    ::ClientToScreen(wnd.GetHWND(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    LRESULT result = 0;
    EXPECT_FALSE(wnd.manager.MessageHandler(WM_SETCURSOR, 0, MAKELPARAM(HTCAPTION, 0), result));
    POINT at;
    ::GetCursorPos(&at);
    if (at.x != screen.x || at.y != screen.y)
        GTEST_SKIP() << "the display would not move the cursor";
    if (wnd.manager.FindControlAt(POINT{30, 30}) != wants) GTEST_SKIP() << "hit order differs";
    EXPECT_TRUE(wnd.manager.MessageHandler(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, 0), result));
    EXPECT_EQ(1, wants->Count(EventSetCursor));
    wnd.manager.SetCapture();
    EXPECT_TRUE(wnd.manager.MessageHandler(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, 0), result));
    EXPECT_EQ(1, wants->Count(EventSetCursor));  // nothing sent while captured
    wnd.manager.ReleaseCapture();
}

// ---- Reflection to child windows
// ------------------------------------------------------------------

namespace {

std::vector<UINT>* g_childMessages = nullptr;

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= 0x2000 && message < 0x3000 && g_childMessages != nullptr) {
        g_childMessages->push_back(message);
        return 0x1234;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST_F(MessageHandling, CommandsNotificationsAndColoursAreReflectedToTheChild) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ChildProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "SkinUITestReflectChild";
    ::RegisterClassA(&wc);
    HWND child = ::CreateWindowExA(0, wc.lpszClassName, "", WS_CHILD, 0, 0, 10, 10, wnd.GetHWND(),
                                   nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, child);
    std::vector<UINT> seen;
    g_childMessages = &seen;
    const LPARAM asChild = reinterpret_cast<LPARAM>(child);
    EXPECT_EQ(0x1234, Send(WM_COMMAND, 7, asChild));
    NMHDR header = {child, 7, 0};
    EXPECT_EQ(0x1234, Send(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(0x1234, Send(WM_CTLCOLOREDIT, 0, asChild));
    EXPECT_EQ(0x1234, Send(WM_CTLCOLORSTATIC, 0, asChild));
    LRESULT result = 0;
    EXPECT_FALSE(wnd.manager.MessageHandler(WM_COMMAND, 7, 0, result));  // no child: not ours
    g_childMessages = nullptr;
    EXPECT_EQ(
        (std::vector<UINT>{0x2111, 0x204E, WM_CTLCOLOREDIT + 0x2000, WM_CTLCOLORSTATIC + 0x2000}),
        seen);
    ::DestroyWindow(child);
}

// ---- Deferred deletion from inside a handler --------------------------------------------------

TEST(MessageHandlingCleanup, AControlRemovingItsOwnParentOnClickIsDeletedOnlyLater) {
    ManagedWnd wnd;
    ASSERT_NE(nullptr, wnd.Create(nullptr, "managed", WS_POPUP, 0, 0, 0, 200, 100));
    auto* root = new CVerticalLayoutUI;
    auto* group = new CVerticalLayoutUI;
    auto* button = new RecordingControl("button");
    group->Add(button);
    root->Add(group);
    wnd.manager.AttachRoot(root);
    wnd.ShowWindow(true, false);
    ::InvalidateRect(wnd.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(wnd.GetHWND());

    bool deleted = false, aliveInHandler = false;
    struct Click {
        CVerticalLayoutUI* root;
        CVerticalLayoutUI* group;
        RecordingControl* button;
        bool* deleted;
        bool* alive;
        bool Hear(void* param) {
            if (static_cast<TEventUI*>(param)->type != EventButtonUp) return true;
            root->Remove(group);  // the parent of the control handling the click
            *alive = !*deleted && button->GetName() == "button";
            return true;
        }
        bool Gone(void*) {
            *deleted = true;
            return true;
        }
    } click{root, group, button, &deleted, &aliveInHandler};
    button->EventListeners += MakeDelegate(&click, &Click::Hear);
    group->DestroyListeners += MakeDelegate(&click, &Click::Gone);

    ::SendMessageA(wnd.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ::SendMessageA(wnd.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(aliveInHandler);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(0, root->GetCount());
    uitest::Pump();  // WM_APP + 1
    EXPECT_TRUE(deleted);
}

TEST_F(MessageHandling, KeyEventsCarryTheModifierAndButtonBits) {
    Lay();
    wnd.manager.SetFocus(first);
    BYTE keys[256] = {};
    keys[VK_RBUTTON] = 0x80;
    keys[VK_SHIFT] = 0x80;
    keys[VK_MENU] = 0x80;
    ASSERT_TRUE(::SetKeyboardState(keys));
    EXPECT_EQ(KeyStateRightButton | KeyStateShift | KeyStateAlt, CurrentKeyState());
    WORD seen = 0;
    char key = 0;
    struct Capture {
        WORD* state;
        char* key;
        bool Hear(void* param) {
            auto* event = static_cast<TEventUI*>(param);
            if (event->type == EventKeyDown) {
                *state = event->keyState;
                *key = event->key;
            }
            return true;
        }
    } capture{&seen, &key};
    first->EventListeners += MakeDelegate(&capture, &Capture::Hear);
    Send(WM_KEYDOWN, 'Q');
    keys[VK_RBUTTON] = keys[VK_SHIFT] = keys[VK_MENU] = 0;
    keys[VK_LBUTTON] = keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    EXPECT_EQ(KeyStateLeftButton | KeyStateControl, CurrentKeyState());
    keys[VK_LBUTTON] = keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(0x01 | 0x04 | 0x20, seen);
    EXPECT_EQ('Q', key);
}

namespace {

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

}  // namespace

TEST_F(MessageHandling, ADpiChangeScalesWhatTheSkinSetAndTheWindowTakesTheSuggestedRectangle) {
    CWindowManagerUI& m = wnd.manager;
    ASSERT_EQ(96, m.GetDpi());  // the test prefix's screen
    m.SetRoundCorner(4, 4);
    m.SetCaptionRect(RECT{0, 0, 0, 100});
    m.SetMinTrackSize(541, 402);
    m.AddFont("Arial", 14, false, false, false);
    auto* layout = new CVerticalLayoutUI;
    layout->ApplyAttributeString("inset=\"2,4,6,8\" childpadding=\"3\"");
    auto* label = new CLabelUI;
    label->ApplyAttributeString("height=\"20\" padding=\"10,0,0,0\" font=\"0\"");
    auto* below = new CLabelUI;
    below->ApplyAttributeString("height=\"11\" font=\"0\"");
    layout->Add(label);
    layout->Add(below);
    m.AttachRoot(layout);
    Paint();
    const LONG fontAt96 = m.GetFontInfo(0)->metrics.tmHeight;
    EXPECT_EQ("12,4,194,24", Text(label->GetBounds()));

    RECT suggested = {30, 20, 30 + 812, 20 + 603};
    EXPECT_EQ(0, Send(0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                      reinterpret_cast<LPARAM>(&suggested)));
    Paint();
    RECT window;
    ::GetWindowRect(wnd.GetHWND(), &window);
    EXPECT_EQ(Text(suggested), Text(window));
    EXPECT_EQ(144, m.GetDpi());
    EXPECT_EQ(6, m.GetRoundCorner().cx);
    EXPECT_EQ(150, m.GetCaptionRect().bottom);
    EXPECT_EQ(812, m.GetMinTrackSize().cx);
    EXPECT_EQ(603, m.GetMinTrackSize().cy);
    // Inset 3,6 and the padding 15 before the label; 30 high, then the child padding of 5.
    EXPECT_EQ("18,6,803,36", Text(label->GetBounds()));
    EXPECT_EQ(41, below->GetBounds().top);
    EXPECT_EQ(17, below->GetHeight());
    EXPECT_GE(m.GetFontInfo(0)->metrics.tmHeight, fontAt96 * 4 / 3);

    // Back at 96 every value is the skin's again, not one pixel off.
    RECT back = {30, 20, 30 + 200, 20 + 100};
    Send(0x02E0, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
    Paint();
    EXPECT_EQ("12,4,194,24", Text(label->GetBounds()));
    EXPECT_EQ(4, m.GetRoundCorner().cx);
    EXPECT_EQ(fontAt96, m.GetFontInfo(0)->metrics.tmHeight);
}

// ---- The accessible object, read as a screen reader reads it ----------------------------------

namespace {

struct WinEvent {
    DWORD event;
    HWND window;
    LONG object;
    LONG child;
};
std::vector<WinEvent> g_winEvents;

void CALLBACK RecordWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                             DWORD, DWORD) {
    g_winEvents.push_back(WinEvent{event, window, object, child});
}

VARIANT ChildId(long id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring Take(BSTR text) {
    std::wstring s = text != nullptr ? text : L"";
    ::SysFreeString(text);
    return s;
}

// The client object as a screen reader in another thread or process gets it.
IAccessible* ClientObject(HWND window) {
    IAccessible* client = nullptr;
    // (__uuidof: the x86_64 import library of oleacc has IID_IAccessible as a code thunk)
    ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                 reinterpret_cast<void**>(&client));
    return client;
}

class Accessibility : public MessageHandling {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);  // handing the object out marshals it
        MessageHandling::SetUp();
        status = root->Add(new CLabelUI);
        status->SetText("Preparing");
        CLabelUI* hidden = root->Add(new CLabelUI);
        hidden->SetText("a hidden reason");
        hidden->SetVisible(false);
        bar = root->Add(new CProgressUI);
        bar->SetMaxValue(200);
        bar->SetValue(49);
        button = root->Add(new CButtonUI);
        button->SetText("Close");
        Lay();
        status->SetBounds(RECT{0, 0, 100, 20});
        bar->SetBounds(RECT{0, 20, 100, 40});
        button->SetBounds(RECT{100, 50, 180, 90});
    }
    void TearDown() override {
        ::DestroyWindow(wnd.GetHWND());  // while COM still holds what it handed out
        ::CoUninitialize();
    }

    CLabelUI* status = nullptr;
    CProgressUI* bar = nullptr;
    CButtonUI* button = nullptr;
};

}  // namespace

TEST_F(Accessibility, TheClientNamedByTheCaptionExposesTheShownControls) {
    IAccessible* client = ClientObject(wnd.GetHWND());
    ASSERT_NE(nullptr, client);
    BSTR text = nullptr;
    client->get_accName(ChildId(CHILDID_SELF), &text);
    EXPECT_EQ(L"managed", Take(text));

    // The hidden label and the plain controls are left out.
    long count = 0;
    ASSERT_EQ(S_OK, client->get_accChildCount(&count));
    ASSERT_EQ(3, count);
    VARIANT children[3];
    ASSERT_EQ(S_OK, ::AccessibleChildren(client, 0, 3, children, &count));
    ASSERT_EQ(3, count);
    struct Expected {
        long role;
        const wchar_t* name;
        const wchar_t* value;
    } expected[] = {{ROLE_SYSTEM_STATICTEXT, L"Preparing", L""},
                    {ROLE_SYSTEM_PROGRESSBAR, L"", L"24%"},  // 49 of 0..200
                    {ROLE_SYSTEM_PUSHBUTTON, L"Close", L""}};
    for (long i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(VT_I4, children[i].vt);
        VARIANT role;
        client->get_accRole(children[i], &role);
        EXPECT_EQ(expected[i].role, role.lVal);
        client->get_accName(children[i], &text);
        EXPECT_EQ(expected[i].name, Take(text));
        client->get_accValue(children[i], &text);
        EXPECT_EQ(expected[i].value, Take(text));
    }
    client->get_accDefaultAction(ChildId(3), &text);
    EXPECT_EQ(L"Press", Take(text));

    // Screen coordinates, and the point back to the child.
    POINT origin = {100, 50};
    ::ClientToScreen(wnd.GetHWND(), &origin);
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(S_OK, client->accLocation(&x, &y, &w, &h, ChildId(3)));
    EXPECT_EQ(origin.x, x);
    EXPECT_EQ(origin.y, y);
    EXPECT_EQ(80, w);
    EXPECT_EQ(40, h);
    VARIANT hit;
    ASSERT_EQ(S_OK, client->accHitTest(x + 5, y + 5, &hit));
    EXPECT_EQ(3, hit.lVal);
    ASSERT_EQ(S_OK, client->accHitTest(x - 50, y + 5, &hit));  // on none of them
    EXPECT_EQ(CHILDID_SELF, hit.lVal);
    VARIANT next;
    ASSERT_EQ(S_OK, client->accNavigate(NAVDIR_NEXT, ChildId(1), &next));
    EXPECT_EQ(2, next.lVal);
    EXPECT_EQ(S_FALSE, client->accNavigate(NAVDIR_NEXT, ChildId(3), &next));

    // The default action clicks through the window's queue, not inside the caller's call.
    ASSERT_EQ(S_OK, client->accDoDefaultAction(ChildId(3)));
    EXPECT_EQ(0, log.Count("click"));
    uitest::Pump();
    EXPECT_EQ(1, log.Count("click"));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, client->accDoDefaultAction(ChildId(1)));

    // Changes are announced: the bar's value and the label's text with their child ids, a
    // control hidden as a new set of children.
    HWINEVENTHOOK hook =
        ::SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_VALUECHANGE, nullptr, RecordWinEvent,
                          ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    g_winEvents.clear();
    bar->SetValue(150);
    status->SetText("Downloading");
    button->SetVisible(false);
    uitest::Pump();
    ::UnhookWinEvent(hook);
    std::vector<std::pair<DWORD, LONG>> seen;
    for (const WinEvent& e : g_winEvents) {
        if (e.window == wnd.GetHWND() && e.object == OBJID_CLIENT)
            seen.push_back({e.event, e.child});
    }
    const std::vector<std::pair<DWORD, LONG>> announced = {
        {EVENT_OBJECT_VALUECHANGE, 2}, {EVENT_OBJECT_NAMECHANGE, 1}, {EVENT_OBJECT_REORDER, 0}};
    EXPECT_EQ(announced, seen);
    client->get_accValue(ChildId(2), &text);
    EXPECT_EQ(L"75%", Take(text));
    ASSERT_EQ(S_OK, client->get_accChildCount(&count));
    EXPECT_EQ(2, count);
    client->Release();
}

TEST_F(Accessibility, AClientHoldingTheObjectOutlivesControlsAndWindow) {
    IAccessible* client = ClientObject(wnd.GetHWND());
    ASSERT_NE(nullptr, client);
    long count = 0;
    ASSERT_EQ(S_OK, client->get_accChildCount(&count));
    EXPECT_EQ(3, count);
    // A click asked for and the button destroyed before it ran: nothing is clicked.
    ASSERT_EQ(S_OK, client->accDoDefaultAction(ChildId(3)));
    root->Remove(button);
    uitest::Pump();
    EXPECT_EQ(0, log.Count("click"));
    EXPECT_EQ(S_OK, client->get_accChildCount(&count));
    EXPECT_EQ(2, count);
    VARIANT role;
    EXPECT_EQ(E_INVALIDARG, client->get_accRole(ChildId(3), &role));

    ::DestroyWindow(wnd.GetHWND());
    BSTR text = nullptr;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, client->get_accName(ChildId(2), &text));
    EXPECT_EQ(nullptr, text);
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, client->get_accChildCount(&count));
    client->Release();
}
