// Containers and linear layouts: sharing of free space with fixed, min and max children,
// padding, float children by "pos" and by relative rules, hit tests through nested
// containers, clipping of children, ownership on removal, scrolling and separator dragging.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>

#include "tests/ui/controls/surface.h"
#include "tests/ui/ui_test_support.h"
#include "ui/controls/CContainerUI.h"
#include "ui/controls/CHorizontalLayoutUI.h"
#include "ui/controls/CScrollBarUI.h"
#include "ui/controls/CVerticalLayoutUI.h"

using namespace SkinUI;
using uitest::HostWnd;
using uitest::Surface;

namespace {

CControlUI* Child(const char* attributes) {
    auto* c = new CControlUI();
    c->ApplyAttributeString(attributes);
    return c;
}

::testing::AssertionResult HasBounds(const CControlUI* c, LONG l, LONG t, LONG r, LONG b) {
    const RECT& x = c->GetBounds();
    if (x.left == l && x.top == t && x.right == r && x.bottom == b) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "bounds are (" << x.left << "," << x.top << "," << x.right << "," << x.bottom << ")";
}

// Content 150 high at a width of 200 or more and `narrowHeight` high when narrower: taller
// when wider, as wrapped text measures under some fonts and widths.
class CShorterWhenNarrower : public CControlUI {
public:
    explicit CShorterWhenNarrower(int narrowHeight) : narrowHeight_(narrowHeight) {}
    SIZE MeasureSize(SIZE available) override {
        return SIZE{0, available.cx >= 200 ? 150 : narrowHeight_};
    }

private:
    int narrowHeight_;
};

}  // namespace

TEST(VerticalLayout, FixedChildrenTakeTheirHeightAndFloatsStayOut) {
    CVerticalLayoutUI layout;
    auto* picture = Child("height=\"355\"");
    auto* floating = Child("float=\"true\" pos=\"130,14,508,32\"");
    auto* rest = Child("");
    layout.Add(picture);
    layout.Add(floating);
    layout.Add(rest);
    layout.SetBounds(RECT{0, 0, 541, 402});
    EXPECT_TRUE(HasBounds(picture, 0, 0, 541, 355));
    EXPECT_TRUE(HasBounds(rest, 0, 355, 541, 402));  // 402 - 355 = 47
    EXPECT_TRUE(HasBounds(floating, 130, 14, 508, 32));
}

TEST(VerticalLayout, StretchableChildrenShareAndTheLastTakesTheRest) {
    CVerticalLayoutUI layout;
    auto* a = Child("");
    auto* b = Child("");
    layout.Add(a);
    layout.Add(b);
    layout.SetBounds(RECT{0, 0, 10, 101});
    EXPECT_EQ(50, a->GetHeight());
    EXPECT_EQ(51, b->GetHeight());
    EXPECT_EQ(50, b->GetTop());

    CVerticalLayoutUI small;
    auto* tall = Child("minheight=\"30\"");
    small.Add(tall);
    small.SetBounds(RECT{0, 0, 10, 20});
    EXPECT_EQ(30, tall->GetHeight());  // overflow is allowed

    CVerticalLayoutUI capped;
    auto* limited = Child("maxheight=\"15\" width=\"4\"");
    auto* wide = Child("minwidth=\"50\"");
    capped.Add(limited);
    capped.Add(wide);
    capped.SetBounds(RECT{0, 0, 20, 100});
    EXPECT_EQ(15, limited->GetHeight());
    EXPECT_EQ(4, limited->GetWidth());
    EXPECT_EQ(50, wide->GetWidth());
}

TEST(VerticalLayout, PaddingAndChildPadding) {
    CVerticalLayoutUI layout;
    layout.ApplyAttributeString("inset=\"2,3,2,3\" childpadding=\"4\"");
    auto* a = Child("height=\"20\" padding=\"1,5,1,7\"");
    auto* b = Child("height=\"10\"");
    layout.Add(a);
    layout.Add(b);
    layout.SetBounds(RECT{0, 0, 50, 100});
    // Top padding outside, bottom padding inside the rectangle: 27 high.
    EXPECT_TRUE(HasBounds(a, 3, 8, 47, 35));
    EXPECT_EQ(3 + 32 + 4, b->GetTop());  // 32 lower, plus the child padding

    // The last stretchable child takes all that is left, gaps and paddings included.
    CVerticalLayoutUI gaps;
    gaps.ApplyAttribute("childpadding", "10");
    auto* first = Child("padding=\"0,3,0,2\"");
    auto* last = Child("");
    gaps.Add(first);
    gaps.Add(last);
    gaps.SetBounds(RECT{0, 0, 10, 100});
    EXPECT_EQ(42, first->GetHeight() - 2);  // (100 - 15) / 2, bottom padding inside
    EXPECT_EQ(100, last->GetBounds().bottom);

    // Sums beyond the integer range must not wrap around and hand a stretchable child room
    // that is not there; coordinates past the range stop at its end.
    CVerticalLayoutUI absurd;
    auto* stretch = Child("");
    auto* padded = Child("height=\"10\" padding=\"0,2000000000,0,2000000000\"");
    absurd.Add(stretch);
    absurd.Add(padded);
    absurd.SetBounds(RECT{0, 0, 10, 100});
    EXPECT_EQ(0, stretch->GetHeight());
    EXPECT_EQ(2000000000, padded->GetTop());
    EXPECT_EQ(LONG_MAX, padded->GetBounds().bottom);
}

TEST(HorizontalLayout, SharesWidthWithPaddingInsideOnTheRight) {
    CHorizontalLayoutUI layout;
    layout.ApplyAttribute("childpadding", "2");
    auto* a = Child("width=\"30\" padding=\"4,1,6,2\"");
    auto* b = Child("");
    auto* c = Child("height=\"8\"");
    layout.Add(a);
    layout.Add(b);
    layout.Add(c);
    layout.SetBounds(RECT{0, 0, 101, 20});
    EXPECT_TRUE(HasBounds(a, 4, 1, 40, 18));  // right padding inside, height less padding
    // The rest: 101 - (30 + 10) - 2 * 2 = 57, shared by b and c.
    EXPECT_EQ(42, b->GetLeft());
    EXPECT_EQ(28, b->GetWidth());
    EXPECT_EQ(29, c->GetWidth());
    EXPECT_EQ(8, c->GetHeight());
    EXPECT_STREQ("HorizontalLayoutUI", layout.GetTypeName());
    EXPECT_NE(nullptr, layout.QueryType("IContainer"));
    EXPECT_EQ(&layout, layout.QueryType("Container"));
}

TEST(Container, FloatChildrenByPosAndByRelativeRules) {
    CContainerUI row;
    auto* label = Child("float=\"true\" pos=\"130,14,508,32\"");
    auto* anchored = Child("float=\"true\" pos=\"-20,5,-2,20\"");
    auto* relative = Child("float=\"true\" pos=\"10,10,30,20\" relativepos=\"50,0,100,0\"");
    row.Add(label);
    row.Add(anchored);
    row.Add(relative);
    row.SetBounds(RECT{0, 355, 541, 402});
    EXPECT_TRUE(HasBounds(label, 130, 369, 508, 387));
    EXPECT_TRUE(HasBounds(anchored, 521, 360, 539, 375));  // 2 from the right edge, 18 wide
    EXPECT_TRUE(HasBounds(relative, 10, 365, 30, 375));    // first placement: base only

    row.SetBounds(RECT{0, 355, 641, 402});                // 100 wider
    EXPECT_TRUE(HasBounds(relative, 60, 365, 180, 375));  // moved 50, stretched 100

    // Absurd skin values give far-away but exact places, or the largest coordinate.
    CContainerUI wide;
    auto* distant = Child("float=\"true\" pos=\"10,10,30,20\" relativepos=\"2000000000,0,0,0\"");
    auto* edge = Child("float=\"true\" pos=\"2147483647,0,2147483647,5\"");
    wide.Add(distant);
    wide.Add(edge);
    wide.SetBounds(RECT{0, 0, 100, 50});
    wide.SetBounds(RECT{0, 0, 200, 50});  // 100 wider: moved by 100 x 2000000000 / 100
    EXPECT_TRUE(HasBounds(distant, 2000000010, 10, 2000000030, 20));
    wide.SetBounds(RECT{50, 0, 250, 50});
    EXPECT_EQ(LONG_MAX, edge->GetBounds().left);
}

TEST(Container, OwnershipOnRemoval) {
    CContainerUI box, other;
    auto* child = new CControlUI();
    EXPECT_FALSE(box.Add(nullptr));
    EXPECT_FALSE(box.AddAt(child, 2));  // no such slot: refused untouched
    ASSERT_TRUE(box.Add(child));
    EXPECT_FALSE(other.Remove(child));  // not its child
    EXPECT_EQ(0, box.GetItemIndex(child));
    EXPECT_FALSE(box.SetItemIndex(child, 1));

    auto* second = new CControlUI();
    box.AddAt(second, 0);
    EXPECT_EQ(1, box.GetItemIndex(child));
    EXPECT_TRUE(box.SetItemIndex(child, 0));
    EXPECT_EQ(second, box.GetItemAt(1));
    EXPECT_EQ(nullptr, box.GetItemAt(2));

    box.SetAutoDestroy(false);
    EXPECT_TRUE(box.Remove(second));  // dropped, not deleted
    delete second;
    box.SetAutoDestroy(true);
    EXPECT_TRUE(box.RemoveAt(0));  // no manager: deleted at once
    EXPECT_EQ(0, box.GetCount());

    // A listener called while the children are walked may remove a sibling: the walk goes on
    // over the list as it is now, so every remaining child is initialised exactly once.
    struct Dropper {
        CContainerUI* box;
        CControlUI* victim;
        bool Drop(void*) {
            box->Remove(victim);
            return true;
        }
    };
    struct Counter {
        int calls = 0;
        bool Count(void*) {
            ++calls;
            return true;
        }
    } last;
    auto* first = new CControlUI();
    auto* victim = new CControlUI();
    auto* third = new CControlUI();
    box.Add(first);
    box.Add(victim);
    box.Add(third);
    box.SetAutoDestroy(false);
    Dropper dropper{&box, victim};
    first->InitListeners += MakeDelegate(&dropper, &Dropper::Drop);
    third->InitListeners += MakeDelegate(&last, &Counter::Count);
    box.AttachManager(nullptr, nullptr, true);
    EXPECT_EQ(1, last.calls);
    EXPECT_EQ(2, box.GetCount());
    delete victim;
    box.SetAutoDestroy(true);
}

TEST(Container, RemovalWithAManagerIsDelayed) {
    HostWnd host;
    CWindowManagerUI manager;
    ASSERT_NE(nullptr, host.Open(manager));
    auto* root = new CVerticalLayoutUI();
    manager.AttachRoot(root);
    bool deleted = false;
    struct Flag {
        bool* flag;
        bool Set(void*) {
            *flag = true;
            return true;
        }
    } flag{&deleted};
    auto* child = new CControlUI();
    child->DestroyListeners += MakeDelegate(&flag, &Flag::Set);
    root->Add(child);
    EXPECT_EQ(&manager, child->GetManager());
    EXPECT_EQ(root, child->GetParent());
    root->Remove(child);
    EXPECT_FALSE(deleted);  // waits for the manager's clean-up
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, host.GetHWND(), WM_APP + 1, WM_APP + 1, PM_REMOVE));
    root->RemoveAll();

    // A child only dropped no longer points at its old container.
    root->SetAutoDestroy(false);
    auto* kept = new CControlUI();
    root->Add(kept);
    ASSERT_EQ(root, kept->GetParent());
    root->Remove(kept);
    EXPECT_EQ(nullptr, kept->GetParent());
    delete kept;
}

TEST(Container, HitTestsGoThroughNestedContainers) {
    HostWnd host;
    CWindowManagerUI manager;
    ASSERT_NE(nullptr, host.Open(manager, 200, 100));
    auto* root = new CVerticalLayoutUI();
    auto* row = new CHorizontalLayoutUI();
    row->ApplyAttribute("inset", "5,5,5,5");
    auto* left = Child("width=\"50\"");
    auto* right = Child("");
    auto* floating = Child("float=\"true\" pos=\"0,0,4,4\"");
    manager.AttachRoot(root);
    root->Add(row);
    row->Add(left);
    row->Add(right);
    row->Add(floating);
    root->SetBounds(RECT{0, 0, 200, 100});
    EXPECT_EQ(left, manager.FindControlAt(POINT{10, 10}));
    EXPECT_EQ(right, manager.FindControlAt(POINT{100, 50}));
    EXPECT_EQ(floating, manager.FindControlAt(POINT{1, 1}));  // floats may sit on the inset
    EXPECT_EQ(row, manager.FindControlAt(POINT{100, 98}));    // the inset itself
    row->SetMouseChildEnabled(false);
    EXPECT_EQ(row, manager.FindControlAt(POINT{10, 10}));
}

TEST(Container, ChildrenAreClippedToTheirParent) {
    CWindowManagerUI manager;
    CContainerUI box;
    box.AttachManager(&manager, nullptr, false);
    auto* child = Child("bkcolor=\"#FFFF0000\"");
    box.Add(child);
    box.SetBounds(RECT{10, 10, 30, 30});
    child->SetBounds(RECT{0, 0, 40, 40});  // larger than its parent
    Surface s(40, 40);
    box.Paint(s.dc(), RECT{0, 0, 40, 40});
    EXPECT_EQ(0xFF0000u, s.Rgb(20, 20));
    EXPECT_EQ(0xFFFFFFu, s.Rgb(5, 5));
    EXPECT_EQ(0xFFFFFFu, s.Rgb(35, 35));

    // A float of a nested container may leave its own container, but not the enclosing one.
    CContainerUI outer;
    outer.AttachManager(&manager, nullptr, false);
    auto* inner = new CContainerUI();
    auto* floating = Child("float=\"true\" bkcolor=\"#FF0000FF\"");
    outer.Add(inner);
    inner->Add(floating);
    outer.SetBounds(RECT{10, 10, 30, 30});
    inner->SetBounds(RECT{0, 0, 40, 40});
    floating->SetBounds(RECT{0, 0, 40, 40});
    Surface nested(40, 40);
    outer.Paint(nested.dc(), RECT{0, 0, 40, 40});
    EXPECT_EQ(0x0000FFu, nested.Rgb(20, 20));
    EXPECT_EQ(0xFFFFFFu, nested.Rgb(5, 5));
    EXPECT_EQ(0xFFFFFFu, nested.Rgb(35, 35));
}

TEST(Container, VerticalScrollBarAppearsAndScrolls) {
    HostWnd host;
    CWindowManagerUI manager;
    ASSERT_NE(nullptr, host.Open(manager, 200, 100));
    auto* root = new CVerticalLayoutUI();
    root->ApplyAttribute("vscrollbar", "true");
    manager.AttachRoot(root);
    auto* a = Child("height=\"80\"");
    auto* b = Child("height=\"80\"");
    root->Add(a);
    root->Add(b);
    root->SetBounds(RECT{0, 0, 200, 100});
    CScrollBarUI* bar = root->GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(60, bar->GetScrollRange());  // 160 needed, 100 shown
    EXPECT_EQ(200 - bar->GetFixedWidth(), a->GetWidth());
    const int step = manager.GetDefaultFontInfo()->metrics.tmHeight + 8;
    TEventUI wheel;
    wheel.type = EventScrollWheel;
    wheel.wParam = 1;  // towards the user
    root->HandleEvent(wheel);
    EXPECT_EQ(step, root->GetScrollPos().cy);
    EXPECT_EQ(-step, a->GetTop());
    root->EndDown();
    EXPECT_EQ(60, root->GetScrollPos().cy);
    EXPECT_EQ(20, b->GetTop());
    root->HomeUp();
    EXPECT_EQ(0, a->GetTop());

    root->Remove(b);
    root->SetBounds(RECT{0, 0, 200, 100});
    EXPECT_FALSE(bar->IsVisible());  // everything fits again
    EXPECT_EQ(200, a->GetWidth());
}

TEST(Container, VerticalScrollBarHoldsForContentThatFitsBesideIt) {
    // Too tall at the full width, so the bar is shown; beside it the content fits, exactly or
    // with room. Hiding the bar again would make the next layout show it, and so on.
    for (int narrowHeight : {100, 90}) {
        SCOPED_TRACE(narrowHeight);
        HostWnd host;
        CWindowManagerUI manager;
        ASSERT_NE(nullptr, host.Open(manager, 200, 100));
        auto* root = new CVerticalLayoutUI();
        root->ApplyAttribute("vscrollbar", "true");
        manager.AttachRoot(root);
        auto* content = new CShorterWhenNarrower(narrowHeight);
        root->Add(content);
        CScrollBarUI* bar = root->GetVerticalScrollBar();
        for (int pass = 0; pass < 3; ++pass) {
            root->SetBounds(RECT{0, 0, 200, 100});
            EXPECT_FALSE(root->NeedsLayout());  // no further pass asked for
            EXPECT_TRUE(bar->IsVisible());
            EXPECT_EQ(0, bar->GetScrollRange());  // nothing to scroll beside the bar
            EXPECT_EQ(200 - bar->GetFixedWidth(), content->GetWidth());
        }
    }
}

TEST(VerticalLayout, DraggingTheSeparatorResizesTheLayout) {
    HostWnd host;
    CWindowManagerUI manager;
    ASSERT_NE(nullptr, host.Open(manager, 200, 200));
    auto* root = new CVerticalLayoutUI();
    auto* pane = new CVerticalLayoutUI();
    pane->ApplyAttributeString("height=\"100\" sepheight=\"4\" maxheight=\"150\"");
    manager.AttachRoot(root);
    root->Add(pane);
    root->Add(Child(""));
    root->SetBounds(RECT{0, 0, 200, 200});
    EXPECT_EQ(static_cast<UINT>(InputSetCursor), pane->GetInputFlags());

    TEventUI down;
    down.type = EventButtonDown;
    down.mousePoint = POINT{50, 98};  // inside the 4-pixel strip at the bottom
    pane->HandleEvent(down);
    EXPECT_EQ(1u, manager.GetPostPaintControls().size());  // the ghost strip is drawn last
    TEventUI move;
    move.type = EventMouseMove;
    move.mousePoint = POINT{50, 118};
    pane->HandleEvent(move);
    EXPECT_EQ(120, pane->GetFixedHeight());
    EXPECT_EQ(100, pane->GetHeight());  // bounds follow on release
    move.mousePoint = POINT{50, 400};
    pane->HandleEvent(move);
    EXPECT_EQ(150, pane->GetFixedHeight());  // held at the maximum
    TEventUI up;
    up.type = EventButtonUp;
    up.mousePoint = move.mousePoint;
    pane->HandleEvent(up);
    EXPECT_TRUE(manager.GetPostPaintControls().empty());
    root->SetBounds(RECT{0, 0, 200, 200});
    EXPECT_EQ(150, pane->GetHeight());
}
