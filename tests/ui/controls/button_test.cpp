// CButtonUI and COptionUI driven through a real window's messages: "click" only for a press
// and release inside, keyboard activation, state pictures in memory DCs, and option groups
// with "selectchanged".
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/controls/canvas.h"
#include "tests/ui/controls/control_scene.h"
#include "ui/controls/CButtonUI.h"
#include "ui/controls/COptionUI.h"

using namespace SkinUI;
using testing_canvas::CCanvas;
using testing_canvas::MakePng;
using testing_canvas::WriteTempPng;
using uitest::Scene;

namespace {

using Types = std::vector<std::string>;

// One-colour pictures "red.png", "green.png", ... in a folder that becomes the resource path.
void WriteColourPictures() {
    const std::pair<const char*, uint32_t> pictures[] = {
        {"red.png", 0xFFFF0000},  {"green.png", 0xFF00FF00}, {"blue.png", 0xFF0000FF},
        {"gray.png", 0xFF808080}, {"black.png", 0xFF000000}, {"yellow.png", 0xFFFFFF00},
        {"cyan.png", 0xFF00FFFF},
    };
    std::string dir;
    for (const auto& p : pictures) {
        dir = WriteTempPng(p.first, MakePng(4, 4, std::vector<uint32_t>(16, p.second)));
    }
    CWindowManagerUI::SetResourcePath(dir);
}

// The colour at the centre of a control painted alone into a 40x20 canvas.
uint32_t PaintedCentre(CControlUI* control) {
    CCanvas canvas(40, 20);
    control->SetBounds(RECT{0, 0, 40, 20});
    control->Paint(canvas.dc(), RECT{0, 0, 40, 20});
    return canvas.At(20, 10);
}

}  // namespace

TEST(Button, IdentityAndInputFlags) {
    CButtonUI button;
    EXPECT_STREQ("ButtonUI", button.GetTypeName());
    EXPECT_EQ(&button, button.QueryType("Button"));
    EXPECT_EQ(&button, button.QueryType("Label"));
    EXPECT_EQ(&button, button.QueryType("Control"));
    EXPECT_EQ(0x25u, button.GetTextStyle());
    EXPECT_EQ(3u, button.GetInputFlags());
    button.SetKeyboardEnabled(false);
    EXPECT_EQ(2u, button.GetInputFlags());
    button.SetEnabled(false);
    EXPECT_EQ(0u, button.GetInputFlags());
    COptionUI option;
    EXPECT_STREQ("OptionUI", option.GetTypeName());
    EXPECT_EQ(&option, option.QueryType("Button"));
    EXPECT_EQ(nullptr, option.QueryType("Progress"));
}

TEST(Button, ClickOnlyForPressAndReleaseInside) {
    Scene scene;
    auto* button = scene.Add(new CButtonUI(), RECT{10, 10, 110, 40});

    scene.Click(20, 20);
    EXPECT_EQ(Types{"click"}, scene.log.Types());
    EXPECT_EQ(button, scene.log.notices[0].sender);

    // Press inside, drag out, release outside: pushed follows the pointer, no click.
    scene.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    EXPECT_TRUE(button->GetButtonState() & ButtonPushed);
    scene.Send(WM_MOUSEMOVE, 200, 150, MK_LBUTTON);
    EXPECT_FALSE(button->GetButtonState() & ButtonPushed);
    EXPECT_TRUE(button->GetButtonState() & ButtonCaptured);
    scene.Send(WM_LBUTTONUP, 200, 150);
    EXPECT_EQ(1u, scene.log.notices.size());
    EXPECT_EQ(0u, button->GetButtonState() & (ButtonPushed | ButtonCaptured));

    // Out and back in before the release still clicks.
    scene.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    scene.Send(WM_MOUSEMOVE, 200, 150, MK_LBUTTON);
    scene.Send(WM_MOUSEMOVE, 30, 30, MK_LBUTTON);
    EXPECT_TRUE(button->GetButtonState() & ButtonPushed);
    scene.Send(WM_LBUTTONUP, 30, 30);
    EXPECT_EQ(2u, scene.log.notices.size());

    // A press outside reaches no button; a release over it afterwards clicks nothing.
    scene.Send(WM_LBUTTONDOWN, 200, 150, MK_LBUTTON);
    scene.Send(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(2u, scene.log.notices.size());

    // Disabled: no state, no click, and disabling clears every state bit.
    scene.Send(WM_MOUSEMOVE, 20, 20);
    scene.Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    button->SetEnabled(false);
    EXPECT_EQ(0u, button->GetButtonState());
    scene.Send(WM_LBUTTONUP, 20, 20);
    scene.Click(20, 20);
    EXPECT_EQ(2u, scene.log.notices.size());
    EXPECT_FALSE(button->Activate());
}

TEST(Button, HotStateAndKeyboardActivation) {
    Scene scene;
    auto* button = scene.Add(new CButtonUI(), RECT{10, 10, 110, 40});
    scene.Send(WM_MOUSEMOVE, 20, 20);
    EXPECT_TRUE(button->GetButtonState() & ButtonHot);
    scene.Send(WM_MOUSEMOVE, 200, 150);
    EXPECT_FALSE(button->GetButtonState() & ButtonHot);

    scene.manager.SetFocus(button);
    ASSERT_TRUE(button->IsFocused());
    ::SendMessageA(scene.window, WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageA(scene.window, WM_KEYUP, VK_SPACE, 0);
    ::SendMessageA(scene.window, WM_KEYDOWN, VK_RETURN, 0);
    ::SendMessageA(scene.window, WM_KEYUP, VK_RETURN, 0);
    ::SendMessageA(scene.window, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ((Types{"click", "click"}), scene.log.Types());
    button->SetKeyboardEnabled(false);
    ::SendMessageA(scene.window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(2u, scene.log.notices.size());
}

TEST(Button, StatePicturesAndColours) {
    WriteColourPictures();
    Scene scene;
    auto* button = scene.Add(new CButtonUI(), RECT{0, 0, 40, 20});
    button->ApplyAttribute("normalimage", "red.png");
    button->ApplyAttribute("hotimage", "green.png");
    button->ApplyAttribute("pushedimage", "blue.png");
    button->ApplyAttribute("disabledimage", "gray.png");
    button->ApplyAttribute("focusedimage", "yellow.png");
    EXPECT_EQ(0xFF0000u, PaintedCentre(button));

    TEventUI enter;
    enter.type = EventMouseEnter;
    button->HandleEvent(enter);
    EXPECT_EQ(0x00FF00u, PaintedCentre(button));

    TEventUI down;
    down.type = EventButtonDown;
    down.mousePoint = POINT{5, 5};
    button->HandleEvent(down);
    EXPECT_EQ(0x0000FFu, PaintedCentre(button));  // pushed beats hot

    button->ApplyAttribute("foreimage", "file='black.png' dest='0,0,10,10'");
    const uint32_t pushedWithFore = PaintedCentre(button);
    EXPECT_EQ(0x0000FFu, pushedWithFore);
    CCanvas canvas(40, 20);
    button->Paint(canvas.dc(), RECT{0, 0, 40, 20});
    EXPECT_EQ(0x000000u, canvas.At(5, 5));  // the fore picture over the pushed one

    TEventUI up;
    up.type = EventButtonUp;
    up.mousePoint = POINT{5, 5};
    button->HandleEvent(up);
    TEventUI leave;
    leave.type = EventMouseLeave;
    button->HandleEvent(leave);
    EXPECT_EQ(0xFF0000u, PaintedCentre(button));

    scene.manager.SetFocus(button);
    EXPECT_EQ(0xFFFF00u, PaintedCentre(button));

    button->SetEnabled(false);
    EXPECT_EQ(0x808080u, PaintedCentre(button));

    // Hot without a hot picture but with a hot back colour: the colour, nothing else.
    auto* plain = scene.Add(new CButtonUI(), RECT{0, 0, 40, 20});
    plain->ApplyAttribute("normalimage", "red.png");
    plain->ApplyAttribute("hotbkcolor", "#FF00FFFF");
    plain->HandleEvent(enter);
    EXPECT_EQ(0x00FFFFu, PaintedCentre(plain));
}

TEST(Button, TextColourFollowsTheState) {
    Scene scene;
    scene.manager.AddFont("Tahoma", 20, true, false, false);
    auto* button = scene.Add(new CButtonUI(), RECT{0, 0, 80, 30});
    button->SetFont(0);
    button->SetText("HHH");
    button->SetTextColor(0xFF000000);
    button->ApplyAttribute("pushedtextcolor", "#FFFF0000");
    auto hasExact = [&](uint32_t colour) {
        CCanvas canvas(80, 30);
        button->Paint(canvas.dc(), RECT{0, 0, 80, 30});
        int n = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 80; ++x) n += canvas.At(x, y) == colour;
        return n;
    };
    EXPECT_GT(hasExact(0x000000), 10);
    EXPECT_EQ(0, hasExact(0xFF0000));
    TEventUI down;
    down.type = EventButtonDown;
    down.mousePoint = POINT{5, 5};
    button->HandleEvent(down);
    EXPECT_GT(hasExact(0xFF0000), 10);
}

// ---- Options ----------------------------------------------------------------------------------

TEST(Option, GroupsSelectOneAndNotifyAfterTheClick) {
    Scene scene;
    auto* a = scene.Add(new COptionUI(), RECT{0, 0, 50, 20});
    auto* b = scene.Add(new COptionUI(), RECT{60, 0, 110, 20});
    auto* c = scene.Add(new COptionUI(), RECT{120, 0, 170, 20});
    a->ApplyAttribute("group", "g");
    b->ApplyAttribute("group", "g");
    c->ApplyAttribute("group", "other");
    ASSERT_NE(nullptr, scene.manager.GetOptionGroup("g"));
    EXPECT_EQ(2u, scene.manager.GetOptionGroup("g")->size());

    scene.Click(10, 10);
    EXPECT_TRUE(a->IsSelected());
    EXPECT_EQ((Types{"click", "selectchanged"}), scene.log.Types());
    EXPECT_TRUE(a->GetButtonState() & ButtonSelected);

    scene.log.notices.clear();
    scene.Click(70, 10);
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(a->IsSelected());  // deselected silently
    EXPECT_FALSE(a->GetButtonState() & ButtonSelected);
    EXPECT_EQ((Types{"click", "selectchanged"}), scene.log.Types());
    EXPECT_EQ(b, scene.log.notices[1].sender);

    // Clicking the selected member of a group: "click" but no "selectchanged".
    scene.log.notices.clear();
    scene.Click(70, 10);
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(Types{"click"}, scene.log.Types());

    // Another group is untouched.
    scene.Click(130, 10);
    EXPECT_TRUE(c->IsSelected());
    EXPECT_TRUE(b->IsSelected());

    // Moving to another group leaves the old one.
    a->SetGroup("other");
    EXPECT_EQ(1u, scene.manager.GetOptionGroup("g")->size());
    a->Select(true);
    EXPECT_FALSE(c->IsSelected());
    EXPECT_TRUE(b->IsSelected());

    // A destroyed option leaves its group.
    scene.root->Remove(b);
    EXPECT_EQ(nullptr, scene.manager.GetOptionGroup("g"));
}

TEST(Option, WithoutAGroupAClickToggles) {
    Scene scene;
    auto* o = scene.Add(new COptionUI(), RECT{0, 0, 50, 20});
    scene.Click(10, 10);
    EXPECT_TRUE(o->IsSelected());
    scene.Click(10, 10);
    EXPECT_FALSE(o->IsSelected());
    EXPECT_EQ((Types{"click", "selectchanged", "click", "selectchanged"}), scene.log.Types());

    o->Select(true);
    o->SetEnabled(false);
    EXPECT_EQ(static_cast<UINT>(ButtonSelected), o->GetButtonState());  // only "selected" kept
    EXPECT_TRUE(o->IsSelected());
    scene.Click(10, 10);
    EXPECT_TRUE(o->IsSelected());

    // "selected" applied before a manager exists notifies nobody and registers later.
    COptionUI* late = new COptionUI();
    late->ApplyAttribute("group", "late");
    late->ApplyAttribute("selected", "true");
    EXPECT_TRUE(late->IsSelected());
    const size_t before = scene.log.notices.size();
    scene.root->Add(late);
    EXPECT_EQ(before, scene.log.notices.size());
    ASSERT_NE(nullptr, scene.manager.GetOptionGroup("late"));
}

TEST(Option, SelectedPicturesAndColours) {
    WriteColourPictures();
    Scene scene;
    auto* o = scene.Add(new COptionUI(), RECT{0, 0, 40, 20});
    o->ApplyAttribute("normalimage", "red.png");
    o->ApplyAttribute("pushedimage", "blue.png");
    EXPECT_EQ(0xFF0000u, PaintedCentre(o));
    o->Select(true);
    EXPECT_EQ(0xFF0000u, PaintedCentre(o));  // no selected picture: the button's
    o->ApplyAttribute("selectedbkcolor", "#FF00FFFF");
    EXPECT_EQ(0x00FFFFu, PaintedCentre(o));
    o->ApplyAttribute("selectedimage", "green.png");
    EXPECT_EQ(0x00FF00u, PaintedCentre(o));
    o->ApplyAttribute("selectedhotimage", "yellow.png");
    TEventUI enter;
    enter.type = EventMouseEnter;
    o->HandleEvent(enter);
    EXPECT_EQ(0xFFFF00u, PaintedCentre(o));

    // Options never show the pushed picture.
    o->Select(false);
    TEventUI down;
    down.type = EventButtonDown;
    down.mousePoint = POINT{5, 5};
    o->HandleEvent(down);
    EXPECT_EQ(0xFF0000u, PaintedCentre(o));

    // The option's own fore picture, drawn over everything.
    o->ApplyAttribute("foreimage", "black.png");
    EXPECT_EQ("black.png", o->GetOptionForeImage());
    EXPECT_EQ("", o->GetForeImage());
    EXPECT_EQ(0x000000u, PaintedCentre(o));
}
