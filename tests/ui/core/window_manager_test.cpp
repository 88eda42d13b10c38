// The window manager against a real window under wine: names, timers (native ids on the real
// window), fonts, images, default attributes, opacity, focus and tab order, shortcuts,
// notifications, reaping of destroyed controls and the return of every GDI handle.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/controls/surface.h"
#include "tests/ui/ui_test_support.h"
#include "ui/controls/CRenderer.h"
#include "ui/core/GdiHandle.h"
#include "ui/core/XmlDocument.h"
#include "ui/core/XmlNode.h"

using namespace SkinUI;
using uitest::HostWnd;
using uitest::RecordingControl;
using uitest::TestContainer;

namespace {

struct NoticeLog : INotifyUI {
    void OnNotify(TNoticeUI& notice) override {
        types.push_back(notice.type);
        senders.push_back(notice.sender);
    }
    std::vector<std::string> types;
    std::vector<CControlUI*> senders;
};

class WindowManager : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, host.Open(manager)); }

    // A native timer with this id exists on the window (stopping it as a side effect).
    bool NativeTimerExists(UINT id) { return ::KillTimer(host.GetHWND(), id) != FALSE; }

    HostWnd host;
    CWindowManagerUI manager;
};

}  // namespace

TEST_F(WindowManager, AttachRootRegistersNamesAndReapingForgetsThem) {
    auto* root = new TestContainer("root");
    auto* first = root->Add(new RecordingControl("progress"));
    auto* shadow = root->Add(new RecordingControl("wheel"));
    ASSERT_TRUE(manager.AttachRoot(root));
    EXPECT_EQ(root, manager.GetRoot());
    EXPECT_EQ(root, manager.FindControlByName("root"));
    EXPECT_EQ(first, manager.FindControlByName("progress"));
    EXPECT_EQ(shadow, manager.FindControlByName("wheel"));
    EXPECT_EQ(nullptr, manager.FindControlByName("progressbg"));
    EXPECT_EQ(&manager, first->GetManager());
    EXPECT_EQ(root, first->GetParent());

    // A later control of the same name replaces the entry; deleting the earlier one then
    // leaves the entry alone.
    auto* second = root->Add(new RecordingControl("progress"));
    EXPECT_EQ(second, manager.FindControlByName("progress"));
    root->Remove(first);
    EXPECT_EQ(second, manager.FindControlByName("progress"));
    root->Remove(second);
    EXPECT_EQ(nullptr, manager.FindControlByName("progress"));
    EXPECT_FALSE(manager.InitControls(nullptr));
}

TEST_F(WindowManager, HitTestFindsTheTopmostVisibleControl) {
    auto* root = new TestContainer();
    auto* under = root->Add(new RecordingControl("under"));
    auto* over = root->Add(new RecordingControl("over"));
    manager.AttachRoot(root);
    root->SetBounds(RECT{0, 0, 100, 100});
    under->SetBounds(RECT{10, 10, 60, 60});
    over->SetBounds(RECT{40, 40, 90, 90});
    EXPECT_EQ(over, manager.FindControlAt(POINT{50, 50}));  // last child first
    EXPECT_EQ(under, manager.FindControlAt(POINT{20, 20}));
    EXPECT_EQ(root, manager.FindControlAt(POINT{95, 5}));
    over->SetVisible(false);
    EXPECT_EQ(under, manager.FindControlAt(POINT{50, 50}));
    under->SetMouseEnabled(false);
    EXPECT_EQ(root, manager.FindControlAt(POINT{50, 50}));
    EXPECT_EQ(nullptr, manager.FindControlAt(POINT{150, 50}));
}

TEST_F(WindowManager, TimersUseTheNativeIdCounterAndReuseKilledRecords) {
    RecordingControl control;
    control.AttachManager(&manager, nullptr, false);
    ASSERT_TRUE(manager.SetTimer(&control, 1, 10000));
    EXPECT_TRUE(NativeTimerExists(17));           // the first native id
    ASSERT_TRUE(manager.KillTimer(&control, 1));  // record kept, marked killed
    EXPECT_FALSE(manager.KillTimer(&control, 1));
    ASSERT_TRUE(manager.SetTimer(&control, 1, 10000));  // reuses id 17
    EXPECT_TRUE(NativeTimerExists(17));
    manager.KillTimer(&control, 1);

    EXPECT_TRUE(manager.SetTimer(&control, 2, 10000));
    EXPECT_FALSE(manager.SetTimer(&control, 2, 10000));  // already running
    EXPECT_TRUE(NativeTimerExists(18));

    // 17 and 18 are taken; ids 19..254 come next, then the counter wraps to 0.
    for (UINT local = 3; local <= 238; ++local)
        ASSERT_TRUE(manager.SetTimer(&control, local, 10000));
    EXPECT_TRUE(NativeTimerExists(254));
    EXPECT_FALSE(NativeTimerExists(0));
    ASSERT_TRUE(manager.SetTimer(&control, 239, 10000));
    EXPECT_TRUE(NativeTimerExists(0));

    // Killing all of a control's timers drops the records: the same local id starts afresh.
    manager.KillTimer(&control);
    EXPECT_TRUE(manager.SetTimer(&control, 1, 10000));
    EXPECT_TRUE(NativeTimerExists(1));
    EXPECT_FALSE(manager.KillTimer(&control, 99));
    control.AttachManager(nullptr, nullptr, false);
    manager.KillTimer(&control);

    CWindowManagerUI detached;
    EXPECT_FALSE(detached.SetTimer(&control, 1, 10));  // no window, no timer
}

TEST_F(WindowManager, FontsFallBackToTheDefaultAndAreMeasuredLazily) {
    HFONT defaultFont = manager.GetDefaultFontInfo()->font.get();
    ASSERT_NE(nullptr, defaultFont);
    EXPECT_NE(0, manager.GetDefaultFontInfo()->metrics.tmHeight);
    EXPECT_EQ(defaultFont, manager.GetFont(-1));
    EXPECT_EQ(defaultFont, manager.GetFont(0));

    HFONT plain = manager.AddFont("Arial", 14, false, false, false);
    HFONT bold = manager.AddFont("Arial", 14, true, true, false);
    ASSERT_NE(nullptr, plain);
    ASSERT_NE(nullptr, bold);
    EXPECT_EQ(plain, manager.GetFont(0));
    EXPECT_EQ(bold, manager.GetFont(1));
    EXPECT_EQ(defaultFont, manager.GetFont(2));  // one past the end
    EXPECT_EQ(manager.GetDefaultFontInfo(), manager.GetFontInfo(2));
    TFontInfo* info = manager.GetFontInfo(1);
    EXPECT_GE(info->metrics.tmWeight, FW_BOLD);
    EXPECT_TRUE(info->underline);
    EXPECT_GE(info->metrics.tmHeight, 14);  // cell height: the em size plus leading
    EXPECT_EQ(info, manager.GetFontInfo(bold));
    EXPECT_EQ(bold, manager.FindFont("Arial", 14, true, true, false));
    EXPECT_EQ(nullptr, manager.FindFont("Arial", 14, true, false, false));

    // A face name longer than the logical font holds is cut, not overrun.
    EXPECT_NE(nullptr, manager.AddFont(std::string(80, 'F'), 12, false, false, true));

    HFONT replaced = manager.SetDefaultFont("Arial", 20, false, false, false);
    ASSERT_NE(nullptr, replaced);
    EXPECT_EQ(replaced, manager.GetFont(-1));
    EXPECT_EQ(20, manager.GetDefaultFontInfo()->size);
}

TEST_F(WindowManager, DefaultsAndColoursComeFromTheResourceParents) {
    manager.AddDefaultAttributes("Button", "width=\"10\"");
    manager.AddDefaultAttributes("Button", "width=\"99\"");  // ignored
    ASSERT_NE(nullptr, manager.GetDefaultAttributes("Button"));
    EXPECT_EQ("width=\"10\"", *manager.GetDefaultAttributes("Button"));
    EXPECT_EQ(nullptr, manager.GetDefaultAttributes("Label"));

    CWindowManagerUI parent, grandparent;
    parent.AddDefaultAttributes("Label", "text=\"p\"");
    grandparent.SetDefaultFontColor(0xFF123456);
    EXPECT_TRUE(manager.SetResourceParent(&parent));
    EXPECT_TRUE(parent.SetResourceParent(&grandparent));
    EXPECT_FALSE(grandparent.SetResourceParent(&manager));  // a cycle
    EXPECT_FALSE(manager.SetResourceParent(&manager));
    EXPECT_EQ("text=\"p\"", *manager.GetDefaultAttributes("Label"));
    EXPECT_EQ(0xFF123456u, manager.GetDefaultFontColor());
    EXPECT_EQ(0xFF0000FFu, manager.GetDefaultLinkFontColor());
    EXPECT_EQ(grandparent.GetDefaultFontInfo(), manager.GetDefaultFontInfo());
    EXPECT_TRUE(manager.SetResourceParent(nullptr));
    EXPECT_EQ(0xFF000000u, manager.GetDefaultFontColor());
}

TEST_F(WindowManager, OpacityIsClampedAndDrivesTheLayeredStyle) {
    manager.SetOpacity(128);
    EXPECT_EQ(128, manager.GetOpacity());
    EXPECT_NE(0, ::GetWindowLongA(host.GetHWND(), GWL_EXSTYLE) & WS_EX_LAYERED);
    manager.SetOpacity(300);
    EXPECT_EQ(255, manager.GetOpacity());
    EXPECT_EQ(0, ::GetWindowLongA(host.GetHWND(), GWL_EXSTYLE) & WS_EX_LAYERED);
    manager.SetOpacity(-5);
    EXPECT_EQ(0, manager.GetOpacity());
}

TEST_F(WindowManager, InitialSizeAppliesOnlyBeforeTheRoot) {
    manager.SetInitialSize(541, 402);
    RECT r;
    ::GetWindowRect(host.GetHWND(), &r);
    EXPECT_EQ(541, r.right - r.left);
    EXPECT_EQ(402, r.bottom - r.top);
    manager.AttachRoot(new TestContainer());
    manager.SetInitialSize(100, 100);
    ::GetWindowRect(host.GetHWND(), &r);
    EXPECT_EQ(541, r.right - r.left);
    EXPECT_EQ(100, manager.GetInitialSize().cx);
}

TEST_F(WindowManager, FocusMovesOnlyToVisibleEnabledControlsOfThisManager) {
    auto* root = new TestContainer();
    auto* a = root->Add(new RecordingControl("a", InputTabStop));
    auto* hidden = root->Add(new RecordingControl("hidden", InputTabStop));
    auto* disabled = root->Add(new RecordingControl("disabled", InputTabStop));
    manager.AttachRoot(root);
    NoticeLog log;
    manager.AddNotifier(&log);
    hidden->SetVisible(false);
    disabled->SetEnabled(false);

    manager.SetFocus(a);
    EXPECT_EQ(a, manager.GetFocus());
    EXPECT_TRUE(a->IsFocused());
    EXPECT_EQ(1, a->Count(EventSetFocus));
    manager.SetFocus(a);  // already focused: nothing
    EXPECT_EQ(1, a->Count(EventSetFocus));

    manager.SetFocus(hidden);  // only takes the focus away
    EXPECT_EQ(nullptr, manager.GetFocus());
    EXPECT_FALSE(a->IsFocused());
    EXPECT_EQ(hidden, a->senders.back());  // the kill-focus event names the new control
    EXPECT_EQ(0, hidden->Count(EventSetFocus));
    manager.SetFocus(disabled);
    EXPECT_EQ(nullptr, manager.GetFocus());
    EXPECT_EQ((std::vector<std::string>{"setfocus", "killfocus"}), log.types);

    RecordingControl stranger("stranger", InputTabStop);  // belongs to no manager
    manager.SetFocus(&stranger);
    EXPECT_EQ(nullptr, manager.GetFocus());

    // Hiding the focused control clears the focus.
    manager.SetFocus(a);
    a->SetVisible(false);
    EXPECT_EQ(nullptr, manager.GetFocus());

    // A listener that moves the focus elsewhere when a control loses it: the old focus is
    // already forgotten, so it loses the focus once, and the listener's later move stands.
    auto* b = root->Add(new RecordingControl("b", InputTabStop));
    auto* c = root->Add(new RecordingControl("c", InputTabStop));
    auto* d = root->Add(new RecordingControl("d", InputTabStop));
    struct Mover : INotifyUI {
        void OnNotify(TNoticeUI& notice) override {
            if (notice.type == "killfocus" && notice.sender == from && ++moves < 50) {
                manager->SetFocus(to);
            }
        }
        CWindowManagerUI* manager;
        CControlUI* from;
        CControlUI* to;
        int moves = 0;
    } mover{};
    mover.manager = &manager;
    mover.from = b;
    mover.to = c;
    manager.AddNotifier(&mover);
    manager.SetFocus(b);
    manager.SetFocus(d);
    EXPECT_EQ(1, b->Count(EventKillFocus));
    EXPECT_EQ(c, manager.GetFocus());
    EXPECT_TRUE(c->IsFocused());
    EXPECT_FALSE(d->IsFocused());
    EXPECT_EQ(0, d->Count(EventSetFocus));
}

TEST_F(WindowManager, TabAndShiftTabWalkTheTabStopsThroughThePreTranslation) {
    auto* root = new TestContainer();
    auto* a = root->Add(new RecordingControl("a", InputTabStop));
    root->Add(new RecordingControl("plain", 0));
    auto* b = root->Add(new RecordingControl("b", InputTabStop));
    auto* c = root->Add(new RecordingControl("c", InputTabStop));
    manager.AttachRoot(root);

    MSG tab = {host.GetHWND(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    BYTE keys[256] = {};
    ASSERT_TRUE(::SetKeyboardState(keys));

    // A layout is pending after AttachRoot: the forward move waits for the next paint.
    EXPECT_TRUE(CWindowManagerUI::PreTranslateMessage(&tab));
    EXPECT_EQ(nullptr, manager.GetFocus());

    // Backwards does not wait; it wraps from the first tab stop to the last.
    keys[VK_SHIFT] = 0x80;
    ASSERT_TRUE(::SetKeyboardState(keys));
    manager.SetFocus(a);
    EXPECT_TRUE(CWindowManagerUI::PreTranslateMessage(&tab));
    EXPECT_EQ(c, manager.GetFocus());
    EXPECT_TRUE(CWindowManagerUI::PreTranslateMessage(&tab));
    EXPECT_EQ(b, manager.GetFocus());  // the control without the tab-stop bit is passed over
    EXPECT_TRUE(CWindowManagerUI::PreTranslateMessage(&tab));
    EXPECT_EQ(a, manager.GetFocus());
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);

    // Other keys are not claimed.
    MSG other = {host.GetHWND(), WM_KEYDOWN, 'A', 0, 0, {0, 0}};
    EXPECT_FALSE(CWindowManagerUI::PreTranslateMessage(&other));
}

TEST_F(WindowManager, FocusNeededParksTheFocusJustBeforeTheControl) {
    auto* root = new TestContainer();
    auto* a = root->Add(new RecordingControl("a", InputTabStop));
    auto* b = root->Add(new RecordingControl("b", InputTabStop));
    manager.AttachRoot(root);
    manager.SetFocus(b);
    manager.SetFocusNeeded(b);
    EXPECT_EQ(a, manager.GetFocus());  // stored without events
    EXPECT_EQ(0, a->Count(EventSetFocus));
    EXPECT_EQ(1, b->Count(EventKillFocus));
    manager.SetFocusNeeded(a);  // nothing before the first tab stop
    EXPECT_EQ(nullptr, manager.GetFocus());
}

TEST_F(WindowManager, ShortcutOfALabelSelectsTheControlAfterIt) {
    // The search walks the last child first, so "after" the label in the walk is the sibling
    // listed before it.
    auto* root = new TestContainer();
    auto* button = root->Add(new RecordingControl("button", InputTabStop, "ButtonUI"));
    auto* label = root->Add(new RecordingControl("label", 0, "LabelUI"));
    label->SetShortcut('n');
    manager.AttachRoot(root);
    MSG sysChar = {host.GetHWND(), WM_SYSCHAR, 'N', 0, 0, {0, 0}};
    EXPECT_TRUE(CWindowManagerUI::PreTranslateMessage(&sysChar));
    EXPECT_EQ(button, manager.GetFocus());
    EXPECT_EQ(1, button->activations);
    EXPECT_EQ(0, label->activations);
    sysChar.wParam = 'q';
    EXPECT_FALSE(CWindowManagerUI::PreTranslateMessage(&sysChar));

    // A system key goes to the focused control as an event and is not claimed.
    MSG sysKey = {host.GetHWND(), WM_SYSKEYDOWN, 'X', 0, 0, {0, 0}};
    EXPECT_FALSE(CWindowManagerUI::PreTranslateMessage(&sysKey));
    EXPECT_EQ(1, button->Count(EventSysKey));
}

TEST_F(WindowManager, QueuedNotificationsLoseASenderThatWasDestroyed) {
    auto* root = new TestContainer();
    auto* keeps = root->Add(new RecordingControl("keeps"));
    auto* goes = root->Add(new RecordingControl("goes"));
    manager.AttachRoot(root);
    NoticeLog log;
    manager.AddNotifier(&log);

    std::vector<std::string> order;
    struct First {
        std::vector<std::string>* order;
        bool Hear(void* param) {
            order->push_back("listener:" + static_cast<TNoticeUI*>(param)->type);
            return true;
        }
    } first{&order};
    keeps->NotifyListeners += MakeDelegate(&first, &First::Hear);

    manager.SendNotify(keeps, "click", 1, 2, true);
    manager.SendNotify(goes, "click", 0, 0, true);
    EXPECT_TRUE(log.types.empty());  // queued
    root->Remove(goes);
    manager.DeliverPendingNotifications();
    ASSERT_EQ(2u, log.senders.size());
    EXPECT_EQ(keeps, log.senders[0]);
    EXPECT_EQ(nullptr, log.senders[1]);
    EXPECT_EQ((std::vector<std::string>{"listener:click"}), order);

    manager.SendNotify(keeps, "now");  // synchronous
    EXPECT_EQ("now", log.types.back());
    EXPECT_EQ(-1, manager.GetMousePos().x);
}

TEST_F(WindowManager, ReapingForgetsFocusTimersAndPostPaint) {
    auto* root = new TestContainer();
    auto* doomed = root->Add(new RecordingControl("doomed", InputTabStop));
    manager.AttachRoot(root);
    manager.SetFocus(doomed);
    ASSERT_TRUE(manager.SetTimer(doomed, 5, 10000));
    manager.AddPostPaint(doomed);
    manager.AddOptionGroup("g", doomed);
    root->Remove(doomed);
    EXPECT_EQ(nullptr, manager.GetFocus());
    EXPECT_TRUE(manager.GetPostPaintControls().empty());
    EXPECT_EQ(nullptr, manager.GetOptionGroup("g"));
    EXPECT_FALSE(NativeTimerExists(17));  // stopped with the control
}

TEST_F(WindowManager, OptionGroupsHoldEachControlOnce) {
    RecordingControl a, b;
    EXPECT_TRUE(manager.AddOptionGroup("g", &a));
    EXPECT_FALSE(manager.AddOptionGroup("g", &a));
    EXPECT_TRUE(manager.AddOptionGroup("g", &b));
    ASSERT_NE(nullptr, manager.GetOptionGroup("g"));
    EXPECT_EQ(2u, manager.GetOptionGroup("g")->size());
    manager.RemoveOptionGroup("g", &a);
    manager.RemoveOptionGroup("g", &b);
    EXPECT_EQ(nullptr, manager.GetOptionGroup("g"));
    manager.RemoveOptionGroup("nothing", &a);
}

TEST_F(WindowManager, DelayedCleanupPostsItsMessageAndDeletesLater) {
    bool destroyed = false;
    struct Flag {
        bool* flag;
        bool Set(void*) {
            *flag = true;
            return true;
        }
    } flag{&destroyed};
    {
        CWindowManagerUI local;
        local.AttachWindow(host.GetHWND());
        auto* control = new RecordingControl("later");
        control->DestroyListeners += MakeDelegate(&flag, &Flag::Set);
        local.AddDelayedCleanup(control);
        EXPECT_EQ(&local, control->GetManager());
        EXPECT_EQ(nullptr, control->GetParent());
        MSG msg;
        EXPECT_TRUE(::PeekMessageA(&msg, host.GetHWND(), WM_APP + 1, WM_APP + 1, PM_REMOVE));
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);  // at the latest with the manager

    // A queued control that is deleted before the clean-up leaves the queue with its other
    // references, so the clean-up does not delete it again.
    struct Counter {
        int deletions = 0;
        bool Count(void*) {
            ++deletions;
            return true;
        }
    } counter;
    auto* early = new RecordingControl("early");
    early->DestroyListeners += MakeDelegate(&counter, &Counter::Count);
    manager.AddDelayedCleanup(early);
    delete early;
    LRESULT result = 0;
    manager.MessageHandler(WM_APP + 1, 0, 0, result);
    EXPECT_EQ(1, counter.deletions);
}

TEST_F(WindowManager, ReplacingTheRootHandsTheOldOneToDelayedCleanup) {
    bool deleted = false;
    struct Flag {
        bool* flag;
        bool Set(void*) {
            *flag = true;
            return true;
        }
    } flag{&deleted};
    auto* first = new TestContainer("first");
    first->DestroyListeners += MakeDelegate(&flag, &Flag::Set);
    manager.AttachRoot(first);
    manager.AddPostPaint(first);
    auto* second = new TestContainer("second");
    manager.AttachRoot(second);
    EXPECT_EQ(second, manager.GetRoot());
    EXPECT_TRUE(manager.GetPostPaintControls().empty());
    EXPECT_EQ(nullptr, first->GetParent());
    EXPECT_FALSE(deleted);  // not inside the call
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, host.GetHWND(), WM_APP + 1, WM_APP + 1, PM_REMOVE));
    LRESULT result = 0;
    manager.MessageHandler(msg.message, msg.wParam, msg.lParam, result);
    EXPECT_TRUE(deleted);  // when the clean-up message arrives
}

TEST(WindowManagerResources, EveryGdiHandleComesBack) {
    const int before = GdiLiveCount();
    for (int round = 0; round < 20; ++round) {
        HostWnd host;
        CWindowManagerUI manager;
        ASSERT_NE(nullptr, host.Open(manager));
        manager.AddFont("Arial", 12 + round, round % 2 == 0, false, false);
        manager.SetDefaultFont("Arial", 13, false, false, false);
        manager.GetFontInfo(0);
        auto* root = new TestContainer();
        auto* child = root->Add(new RecordingControl("x"));
        manager.AttachRoot(root);
        root->SetBounds(RECT{0, 0, 60, 40});
        child->SetBounds(RECT{0, 0, 30, 40});
        child->ApplyAttributeString(
            "bkcolor=\"#80FF0000\" bkcolor2=\"#FF00FF00\" bordersize=\"1\" "
            "bordercolor=\"#FF000000\" borderround=\"4,4\"");
        root->ApplyAttribute("bkcolor", "#FF0000FF");
        uitest::Surface surface(60, 40);
        root->Paint(surface.dc(), RECT{0, 0, 60, 40});
        child->Paint(surface.dc(), RECT{0, 0, 60, 40});
        EXPECT_GT(GdiLiveCount(), before);
    }
    EXPECT_EQ(before, GdiLiveCount());
}

// The manager's resource settings are the ones the markup parser reads skin files through.
TEST(WindowManagerResources, ParserLoadsSkinFilesFromTheManagersResourcePath) {
    char dir[MAX_PATH];
    ASSERT_NE(0u, ::GetTempPathA(MAX_PATH, dir));
    const std::string name = "manager_source_" + std::to_string(::GetCurrentProcessId()) + ".xml";
    const std::string path = std::string(dir) + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::fputs("<Window size=\"3,4\"/>", file);
    std::fclose(file);

    CWindowManagerUI::SetResourceZip("");
    CWindowManagerUI::SetResourcePath(dir);
    CXmlDocument doc;
    EXPECT_TRUE(doc.LoadFromFile(name.c_str()));
    EXPECT_STREQ("Window", doc.GetRootNode().GetName());

    CWindowManagerUI::SetResourceZip("missing.zip");
    CXmlDocument fromZip;
    EXPECT_FALSE(fromZip.LoadFromFile(name.c_str()));
    EXPECT_STREQ("Error opening zip file", fromZip.GetLastErrorMessage());

    CWindowManagerUI::SetResourceZip("");
    CWindowManagerUI::SetResourcePath("");
    ::DeleteFileA(path.c_str());
}
