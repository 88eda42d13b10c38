// The control base: attribute value rules, geometry, invalidation clipped by the ancestors on
// a real window, event routing, listeners, and the paint steps checked in memory DCs.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/controls/surface.h"
#include "tests/ui/ui_test_support.h"

using namespace SkinUI;
using uitest::Channel;
using uitest::HostWnd;
using uitest::RecordingControl;
using uitest::Surface;
using uitest::TestContainer;

TEST(ControlAttributes, PosWidthAndHeightApplyInOrder) {
    CControlUI c;
    c.ApplyAttribute("pos", "0,355,0,0");
    c.ApplyAttribute("width", "538");
    c.ApplyAttribute("height", "46");
    EXPECT_EQ(0, c.GetFloatOffset().cx);
    EXPECT_EQ(355, c.GetFloatOffset().cy);
    EXPECT_EQ(538, c.GetFixedWidth());
    EXPECT_EQ(46, c.GetFixedHeight());  // pos's -355 was refused, "height" then set 46

    CControlUI d;
    d.ApplyAttribute("width", "100");
    d.ApplyAttribute("pos", "10,10,60,30");
    EXPECT_EQ(50, d.GetFixedWidth());  // pos after width wins
    EXPECT_EQ(20, d.GetFixedHeight());

    CControlUI e;
    e.ApplyAttribute("pos", "-10,5,-2,20");
    EXPECT_EQ(-2, e.GetFloatOffset().cx);  // anchored to the parent's right edge
    EXPECT_EQ(5, e.GetFloatOffset().cy);
    EXPECT_EQ(8, e.GetFixedWidth());
    EXPECT_EQ(15, e.GetFixedHeight());

    CControlUI f;
    f.ApplyAttribute("padding", "1,2");  // missing numbers read as 0
    EXPECT_EQ(1, f.GetPadding().left);
    EXPECT_EQ(2, f.GetPadding().top);
    EXPECT_EQ(0, f.GetPadding().right);
    f.ApplyAttribute("minwidth", "-5");
    EXPECT_EQ(0, f.GetMinWidth());
    f.ApplyAttribute("maxheight", " 40px");
    EXPECT_EQ(40, f.GetMaxHeight());
}

TEST(ControlAttributes, ColoursBooleansAndTexts) {
    CControlUI c;
    c.ApplyAttribute("bkcolor", " #80FF0000");  // the leading space is skipped
    EXPECT_EQ(0x80FF0000u, c.GetBkColor());
    c.ApplyAttribute("bkcolor2", "#C6995E");  // six digits: alpha 0
    EXPECT_EQ(0x00C6995Eu, c.GetBkColor2());
    c.ApplyAttribute("bordercolor", " #FF000000");  // no skipping here: reads as 0
    EXPECT_EQ(0u, c.GetBorderColor());
    c.ApplyAttribute("focusbordercolor", "#FFC6995E");
    EXPECT_EQ(0xFFC6995Eu, c.GetFocusBorderColor());

    c.ApplyAttribute("visible", "True");
    EXPECT_FALSE(c.IsVisible());
    c.ApplyAttribute("visible", "true");
    EXPECT_TRUE(c.IsVisible());
    c.ApplyAttribute("enabled", "1");
    EXPECT_FALSE(c.IsEnabled());
    c.ApplyAttribute("menu", "true");
    EXPECT_TRUE(c.HasContextMenu());

    c.ApplyAttribute("tooltip", "a<n>b");
    EXPECT_EQ("a\r\nb", c.GetToolTip());
    c.ApplyAttribute("shortcut", "xyz");
    EXPECT_EQ('x', c.GetShortcut());
    c.ApplyAttribute("unknown", "ignored");

    c.ApplyAttribute("bordersize", "0,1,0,1");
    EXPECT_EQ(0, c.GetBorderSize());
    EXPECT_EQ(1, c.GetSideBorderSizes().top);
    EXPECT_EQ(1, c.GetSideBorderSizes().bottom);
    c.ApplyAttribute("bordersize", "2");
    EXPECT_EQ(2, c.GetBorderSize());
    EXPECT_EQ(0, c.GetSideBorderSizes().top);
    EXPECT_EQ(0, c.GetSideBorderSizes().bottom);
}

TEST(ControlAttributes, AttributeStringsStopAtTheFirstMalformedItem) {
    CControlUI c;
    c.ApplyAttributeString("name=\"x\" text=\"hello world\" width=\"5\"");
    EXPECT_EQ("x", c.GetName());
    EXPECT_EQ("hello world", c.GetText());
    EXPECT_EQ(5, c.GetFixedWidth());

    CControlUI d;
    d.ApplyAttributeString("name=\"y\"  text=\"never\"");  // two spaces: the list ends
    EXPECT_EQ("y", d.GetName());
    EXPECT_EQ("", d.GetText());
    d.ApplyAttributeString("text=unquoted");
    EXPECT_EQ("", d.GetText());
    d.ApplyAttributeString("text=\"unterminated");
    EXPECT_EQ("", d.GetText());
    d.ApplyAttributeString("");
}

TEST(ControlGeometry, InvertedBoundsFlattenAndFloatOffsetsKeepTheirAnchor) {
    CControlUI c;
    c.SetBounds(RECT{50, 60, 10, 20});
    EXPECT_EQ(50, c.GetBounds().left);
    EXPECT_EQ(0, c.GetWidth());
    EXPECT_EQ(0, c.GetHeight());

    HostWnd host;
    CWindowManagerUI manager;
    ASSERT_NE(nullptr, host.Open(manager));
    auto* root = new TestContainer();
    auto* child = root->Add(new CControlUI());
    manager.AttachRoot(root);
    root->SetBounds(RECT{0, 0, 200, 100});
    child->SetFloat(true);
    child->SetFloatOffset(SIZE{-5, 10});
    child->SetBounds(RECT{150, 10, 190, 30});
    EXPECT_EQ(-10, child->GetFloatOffset().cx);  // measured from the parent's right edge
    EXPECT_EQ(10, child->GetFloatOffset().cy);
    EXPECT_EQ(40, child->GetFixedWidth());
    EXPECT_FALSE(child->NeedsLayout());
}

TEST(ControlGeometry, InvalidationIsClippedByTheAncestors) {
    HostWnd host;
    CWindowManagerUI manager;
    ASSERT_NE(nullptr, host.Open(manager, 300, 200));
    host.ShowWindow(true, false);  // a hidden window keeps no update region
    auto* root = new TestContainer();
    auto* inner = root->Add(new TestContainer());
    auto* child = inner->Add(new CControlUI());
    manager.AttachRoot(root);
    root->SetBounds(RECT{0, 0, 300, 200});
    inner->SetBounds(RECT{0, 0, 100, 100});
    child->SetBounds(RECT{150, 150, 180, 180});  // outside its parent
    ::ValidateRect(host.GetHWND(), nullptr);

    RECT update;
    child->Invalidate();
    EXPECT_FALSE(::GetUpdateRect(host.GetHWND(), &update, FALSE));
    child->SetBounds(RECT{160, 160, 190, 190});
    EXPECT_FALSE(::GetUpdateRect(host.GetHWND(), &update, FALSE));

    child->SetBounds(RECT{80, 80, 130, 130});  // half inside
    ASSERT_TRUE(::GetUpdateRect(host.GetHWND(), &update, FALSE));
    EXPECT_EQ(80, update.left);
    EXPECT_EQ(100, update.right);  // cut at the parent's edge
    ::ValidateRect(host.GetHWND(), nullptr);
    child->SetVisible(false);
    ::ValidateRect(host.GetHWND(), nullptr);
    child->Invalidate();  // invisible controls ask for nothing
    EXPECT_FALSE(::GetUpdateRect(host.GetHWND(), &update, FALSE));
}

namespace {

struct NoticeLog : INotifyUI {
    void OnNotify(TNoticeUI& notice) override { types.push_back(notice.type); }
    std::vector<std::string> types;
};

struct Gate {
    bool open = true;
    int calls = 0;
    bool Ask(void*) {
        ++calls;
        return open;
    }
};

}  // namespace

TEST(ControlEvents, ListenersAndTheBaseRouting) {
    HostWnd host;
    CWindowManagerUI manager;
    ASSERT_NE(nullptr, host.Open(manager));
    NoticeLog log;
    manager.AddNotifier(&log);
    auto* root = new RecordingControl("root");
    manager.AttachRoot(root);
    auto* child = new RecordingControl("child");
    Gate init, size, events;
    child->InitListeners += MakeDelegate(&init, &Gate::Ask);
    child->SizeListeners += MakeDelegate(&size, &Gate::Ask);
    child->EventListeners += MakeDelegate(&events, &Gate::Ask);
    manager.InitControls(child, root);
    EXPECT_EQ(1, init.calls);  // initialised once, with a parent
    child->SetBounds(RECT{0, 0, 5, 5});
    EXPECT_EQ(1, size.calls);

    TEventUI key;
    key.type = EventKeyDown;
    child->HandleEvent(key);  // not the base's: handed to the parent
    EXPECT_EQ(1, root->Count(EventKeyDown));
    events.open = false;
    child->HandleEvent(key);  // the listener stops it
    EXPECT_EQ(1, root->Count(EventKeyDown));
    events.open = true;

    TEventUI timer;
    timer.type = EventTimer;
    child->HandleEvent(timer);
    TEventUI menu;
    menu.type = EventContextMenu;
    child->HandleEvent(menu);  // no context menu: goes up
    EXPECT_EQ(1, root->Count(EventContextMenu));
    child->SetContextMenu(true);
    child->HandleEvent(menu);
    EXPECT_EQ((std::vector<std::string>{"timer", "menu"}), log.types);

    TEventUI focus;
    focus.type = EventSetFocus;
    child->HandleEvent(focus);
    EXPECT_TRUE(child->IsFocused());

    child->SetVirtualWnd("pane");
    EXPECT_TRUE(manager.IsUsedVirtualWnd());
    delete child;
}

TEST(ControlPaint, OpaqueColourFillsThePaintRectangleOthersTheBounds) {
    CWindowManagerUI manager;
    Surface s(40, 20);
    CControlUI c;
    c.AttachManager(&manager, nullptr, false);
    c.SetBounds(RECT{0, 0, 40, 20});
    c.ApplyAttribute("bkcolor", "#FF0000FF");
    c.Paint(s.dc(), RECT{0, 0, 10, 20});
    EXPECT_EQ(0x0000FFu, s.Rgb(5, 5));
    EXPECT_EQ(0xFFFFFFu, s.Rgb(20, 5));

    Surface t(40, 20);
    c.ApplyAttribute("bkcolor", " #80FF0000");
    c.Paint(t.dc(), RECT{0, 0, 10, 20});
    EXPECT_NEAR(127, Channel(t.At(20, 5), 8), 4);  // half-transparent: the whole bounds

    Surface u(40, 20);
    c.Paint(u.dc(), RECT{50, 50, 60, 60});  // the request misses the bounds
    EXPECT_EQ(0xFFFFFFu, u.Rgb(5, 5));
}

TEST(ControlPaint, SideBordersDrawOnlyTheirLines) {
    CWindowManagerUI manager;
    Surface s(40, 20);
    CControlUI c;
    c.AttachManager(&manager, nullptr, false);
    c.SetBounds(RECT{5, 5, 35, 15});
    c.ApplyAttribute("bordercolor", "#FF000000");
    c.ApplyAttribute("bordersize", "0,1,0,1");
    c.Paint(s.dc(), RECT{0, 0, 40, 20});
    EXPECT_EQ(0x000000u, s.Rgb(20, 5));   // top
    EXPECT_EQ(0x000000u, s.Rgb(20, 15));  // bottom, on the bounds' bottom edge
    EXPECT_EQ(0xFFFFFFu, s.Rgb(5, 10));   // no left line
    EXPECT_EQ(0xFFFFFFu, s.Rgb(20, 10));

    Surface t(40, 20);
    c.ApplyAttribute("bordersize", "2");
    c.Paint(t.dc(), RECT{0, 0, 40, 20});
    EXPECT_EQ(0x000000u, t.Rgb(5, 10));  // the whole frame
    EXPECT_EQ(0x000000u, t.Rgb(6, 10));
    EXPECT_EQ(0xFFFFFFu, t.Rgb(20, 10));
}

TEST(ControlPaint, AFailingBackImageIsForgotten) {
    Surface s(10, 10);
    CControlUI c;
    c.SetBounds(RECT{0, 0, 10, 10});
    c.ApplyAttribute("bkimage", "red.png");
    c.Paint(s.dc(), RECT{0, 0, 10, 10});  // no manager: the renderer reports failure
    EXPECT_EQ("", c.GetBkImage());
}
