// CLabelUI and CTextUI: the attribute rules, effect-mode text, measured sizes, where text
// lands for each alignment (pixels in memory DCs), effect drawing, the loader's Chinese label
// on a real window, and CTextUI's measuring and link notifications.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <type_traits>

#include "tests/ui/controls/canvas.h"
#include "tests/ui/controls/control_scene.h"
#include "ui/controls/CButtonUI.h"
#include "ui/controls/CContainerUI.h"
#include "ui/controls/CLabelUI.h"
#include "ui/controls/CTextUI.h"

using namespace SkinUI;
using testing_canvas::CCanvas;
using uitest::Scene;

namespace {

// "正在准备安装" and "宋体" in code page 936.
const char kPreparing[] = "\xD5\xFD\xD4\xDA\xD7\xBC\xB1\xB8\xB0\xB2\xD7\xB0";
const char kSongti[] = "\xCB\xCE\xCC\xE5";

UINT StyleAfter(const char* align) {
    CLabelUI label;
    label.ApplyAttribute("align", align);
    return label.GetTextStyle();
}

// A label painted alone into a canvas; returns the ink box of its text.
RECT InkOf(CLabelUI* label, int width = 200, int height = 40) {
    CCanvas canvas(width, height);
    label->SetBounds(RECT{0, 0, width, height});
    label->Paint(canvas.dc(), RECT{0, 0, width, height});
    return canvas.InkBox(0xFFFFFF);
}

}  // namespace

// ---- Attributes -------------------------------------------------------------------------------

TEST(LabelAttributes, AlignWordsApplyTheirRulesInOrder) {
    EXPECT_EQ(0x04u, CLabelUI().GetTextStyle());
    EXPECT_EQ(0x25u, StyleAfter("vcenter"));  // "vcenter" contains "center": both rules
    EXPECT_EQ(0x05u, StyleAfter("center"));
    EXPECT_EQ(0x00u, StyleAfter("left"));
    EXPECT_EQ(0x02u, StyleAfter("right"));
    EXPECT_EQ(0x20u, StyleAfter("top"));
    EXPECT_EQ(0x28u, StyleAfter("bottom"));
    EXPECT_EQ(0x29u, StyleAfter("center bottom"));
    EXPECT_EQ(0x22u, StyleAfter("top right"));
    EXPECT_EQ(0x04u, StyleAfter("Center"));  // words are case-sensitive substrings

    CLabelUI label;
    label.ApplyAttribute("endellipsis", "true");
    EXPECT_EQ(0x8004u, label.GetTextStyle());
    label.ApplyAttribute("endellipsis", "TRUE");
    EXPECT_EQ(0x0004u, label.GetTextStyle());
}

TEST(LabelAttributes, ColoursNumbersAndEffectSettings) {
    CLabelUI label;
    label.ApplyAttribute("textcolor", "#FFC6995E");
    label.ApplyAttribute("disabledtextcolor", "FF808080");
    label.ApplyAttribute("font", "2");
    label.ApplyAttribute("textpadding", "1,2,3,4");
    label.ApplyAttribute("showhtml", "true");
    EXPECT_EQ(0xFFC6995Eu, label.GetTextColor());
    EXPECT_EQ(0xFF808080u, label.GetDisabledTextColor());
    EXPECT_EQ(2, label.GetFont());
    EXPECT_EQ(4, label.GetTextPadding().bottom);
    EXPECT_TRUE(label.IsShowHtml());

    label.ApplyAttribute("rhaa", "4");
    EXPECT_EQ(4, label.GetTextRenderingHint());
    label.ApplyAttribute("rhaa", "6");
    EXPECT_EQ(0, label.GetTextRenderingHint());
    label.ApplyAttribute("rhaa", "-1");
    EXPECT_EQ(0, label.GetTextRenderingHint());

    // "valign" feeds the horizontal alignment and "halign" the vertical one.
    EXPECT_EQ(0, label.GetEffectHAlign());
    EXPECT_EQ(1, label.GetEffectVAlign());
    label.ApplyAttribute("valign", "bottom");
    label.ApplyAttribute("halign", "left");
    EXPECT_EQ(2, label.GetEffectHAlign());
    EXPECT_EQ(0, label.GetEffectVAlign());

    label.ApplyAttribute("textcolor1", "#00FF00FF");
    label.ApplyAttribute("transtext", "200");
    label.ApplyAttribute("enabledstroke", "true");
    EXPECT_EQ(0x00FF00FFu, label.GetTextColor1());
    EXPECT_EQ(200, label.GetTransText());
    EXPECT_TRUE(label.IsEnabledStroke());
    EXPECT_EQ(0xFFFFFFFFu, label.GetTextShadowColorB());  // default: use colour A
}

TEST(LabelAttributes, ShadowOffsetFollowsTheAngle) {
    struct Case {
        const char* value;
        float x, y;  // x from the top rule, y from the left rule
    } cases[] = {
        {"3,45", -3, -3}, {"3,0", -3, -3},  {"3,90", -3, -3}, {"3,135", -3, 3},
        {"3,180", -3, 3}, {"3,-45", 3, -3}, {"3,-90", 3, 0},  {"3,-135", 3, 3},
        {"3,-180", 0, 3}, {"3,181", 0, 0},  {"3,-181", 0, 0},
    };
    for (const Case& c : cases) {
        CLabelUI label;
        label.ApplyAttribute("shadowoffset", c.value);
        EXPECT_EQ(c.x, label.GetShadowOffsetX()) << c.value;
        EXPECT_EQ(c.y, label.GetShadowOffsetY()) << c.value;
    }
}

// ---- Text -------------------------------------------------------------------------------------

static_assert(noexcept(std::declval<CLabelUI&>().GetText()) && noexcept(
                  std::declval<CLabelUI&>().SetText(std::string())),
              "a label's text operations must not throw into a window procedure");

TEST(LabelText, EffectModeKeepsItsOwnText) {
    Scene scene;
    auto* label = scene.Add(new CLabelUI(), RECT{0, 0, 100, 20});
    label->SetText("base");
    label->ApplyAttribute("enabledeffect", "true");
    EXPECT_EQ("", label->GetText());  // nothing copied before the first paint

    CCanvas canvas(100, 20);
    label->Paint(canvas.dc(), RECT{0, 0, 100, 20});
    EXPECT_EQ("base", label->GetText());  // the initial copy

    label->SetText("effect");
    EXPECT_EQ("effect", label->GetText());
    EXPECT_EQ("effect", label->GetEffectText());
    label->SetEnabledEffect(false);
    EXPECT_EQ("base", label->GetText());  // the base text was never touched
}

TEST(LabelMeasure, FontHeightPlusFourOrEight) {
    Scene scene;
    scene.manager.AddFont("Tahoma", 12, false, false, false);
    scene.manager.AddFont("Tahoma", 24, false, false, false);
    const int h = scene.manager.GetFontInfo(1)->metrics.tmHeight;
    ASSERT_GT(h, 0);

    auto* label = scene.Add(new CLabelUI(), RECT{0, 0, 10, 10});
    label->SetFont(1);
    label->SetFixedWidth(77);
    EXPECT_EQ(77, label->MeasureSize(SIZE{500, 500}).cx);
    EXPECT_EQ(h + 4, label->MeasureSize(SIZE{500, 500}).cy);
    label->SetFixedHeight(30);
    EXPECT_EQ(30, label->MeasureSize(SIZE{500, 500}).cy);

    auto* button = scene.Add(new CButtonUI(), RECT{0, 0, 10, 10});
    button->SetFont(1);
    EXPECT_EQ(h + 8, button->MeasureSize(SIZE{500, 500}).cy);
    button->SetFont(0);
    EXPECT_EQ(scene.manager.GetFontInfo(0)->metrics.tmHeight + 8,
              button->MeasureSize(SIZE{500, 500}).cy);
}

// ---- Painting ---------------------------------------------------------------------------------

TEST(LabelPaint, TextLandsWhereTheAlignmentSays) {
    Scene scene;
    scene.manager.AddFont("Tahoma", 16, true, false, false);
    auto make = [&](const char* align) {
        auto* label = scene.Add(new CLabelUI(), RECT{0, 0, 200, 40});
        label->SetFont(0);
        label->SetTextColor(0xFF000000);
        label->SetText("IIII");
        if (align != nullptr) label->ApplyAttribute("align", align);
        return InkOf(label);
    };
    const RECT left = make("left");
    const RECT center = make("center");
    const RECT right = make("right");
    const RECT vcenter = make("vcenter");
    const RECT bottom = make("bottom");
    const RECT top = make("top");
    ASSERT_LT(left.left, left.right) << "no text drawn";

    EXPECT_LE(left.left, 4);
    EXPECT_GE(right.right, 196);
    EXPECT_LE(std::abs((center.left - 0) - (200 - center.right)), 3);
    EXPECT_LE(std::abs(vcenter.top - (40 - vcenter.bottom)), 3);  // centred both ways
    EXPECT_LE(std::abs(vcenter.left - (200 - vcenter.right)), 3);
    EXPECT_LE(top.top, 6);
    EXPECT_GE(bottom.bottom, 35);
    EXPECT_GT(bottom.top, top.top + 10);

    // Text padding moves the text rectangle.
    auto* padded = scene.Add(new CLabelUI(), RECT{0, 0, 200, 40});
    padded->SetFont(0);
    padded->SetText("IIII");
    padded->ApplyAttribute("align", "left");
    padded->ApplyAttribute("textpadding", "50,0,0,0");
    const RECT moved = InkOf(padded);
    EXPECT_EQ(left.left + 50, moved.left);
}

TEST(LabelPaint, ColoursByEnabledStateAndTheManagersDefaults) {
    Scene scene;
    scene.manager.AddFont("Tahoma", 20, true, false, false);
    scene.manager.SetDefaultFontColor(0xFF0000FF);
    auto* label = scene.Add(new CLabelUI(), RECT{0, 0, 120, 40});
    label->SetFont(0);
    label->SetText("HHHH");
    label->SetDisabledTextColor(0xFFFF0000);
    CCanvas canvas(120, 40);
    label->Paint(canvas.dc(), RECT{0, 0, 120, 40});
    EXPECT_EQ(0xFF0000FFu, label->GetTextColor());  // filled in from the manager
    int blue = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) blue += canvas.At(x, y) == 0x0000FF;
    EXPECT_GT(blue, 20);

    label->SetEnabled(false);
    canvas.Fill(0xFFFFFFFF);
    label->Paint(canvas.dc(), RECT{0, 0, 120, 40});
    int red = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) red += canvas.At(x, y) == 0xFF0000;
    EXPECT_GT(red, 20);
}

TEST(LabelPaint, EffectModeDrawsTextStrokeAndShadow) {
    Scene scene;
    scene.manager.AddFont("Tahoma", 24, true, false, false);
    auto count = [](const CCanvas& canvas, auto pred) {
        int n = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x) n += pred(canvas.At(x, y));
        return n;
    };
    auto reddish = [](uint32_t c) { return ((c >> 16) & 0xFF) > 200 && (c & 0xFF) < 80; };
    auto bluish = [](uint32_t c) { return (c & 0xFF) > 200 && ((c >> 16) & 0xFF) < 80; };

    auto* label = scene.Add(new CLabelUI(), RECT{0, 0, 160, 50});
    ASSERT_TRUE(label->IsGdiplusStarted());
    label->SetFont(0);
    label->SetText("HHH");
    label->SetTextColor(0xFFFF0000);
    label->ApplyAttribute("enabledeffect", "true");
    label->ApplyAttribute("transtext", "255");
    label->ApplyAttribute("transtext1", "255");
    {
        CCanvas canvas(160, 50);
        label->Paint(canvas.dc(), RECT{0, 0, 160, 50});
        EXPECT_GT(count(canvas, reddish), 30);
        EXPECT_EQ(0, count(canvas, bluish));
        // Effect alignment defaults: near horizontally, centred vertically.
        const RECT ink = canvas.InkBox(0xFFFFFF);
        EXPECT_LT(ink.left, 10);
        EXPECT_LE(std::abs(ink.top - (50 - ink.bottom)), 4);
    }
    label->ApplyAttribute("enabledstroke", "true");
    label->ApplyAttribute("strokecolor", "#FF0000FF");
    {
        CCanvas canvas(160, 50);
        label->Paint(canvas.dc(), RECT{0, 0, 160, 50});
        EXPECT_GT(count(canvas, bluish), 20);  // the outline shows around the text
        EXPECT_GT(count(canvas, reddish), 10);
    }
    label->ApplyAttribute("enabledstroke", "false");
    label->ApplyAttribute("enabledshadow", "true");
    label->ApplyAttribute("textshadowcolora", "#FF00FF00");
    label->ApplyAttribute("transshadow", "255");
    label->ApplyAttribute("transshadow1", "255");
    label->ApplyAttribute("shadowoffset", "-6,-180");  // moves the shadow 6 pixels up
    {
        CCanvas canvas(160, 50);
        label->Paint(canvas.dc(), RECT{0, 0, 160, 50});
        auto greenish = [](uint32_t c) {
            return ((c >> 8) & 0xFF) > 150 && ((c >> 16) & 0xFF) < 100;
        };
        EXPECT_GT(count(canvas, greenish), 20);  // the shadow, offset from the text
    }
}

// The loader's caption: GBK text in font 2 and colour #FFC6995E on a shown window, read back
// from the screen. CJK glyphs carry much more ink than the question marks a failed
// conversion would give, and differ from the boxes of a missing font.
TEST(LabelPaint, ChineseTextInTheAnsiCodePageShowsRealGlyphs) {
    ASSERT_EQ(936u, ::GetACP()) << "the test wrapper runs in code page 936";
    // The loader's own arrangement: float children of a container, placed by "pos".
    uitest::NoticeRecorder log;
    uitest::ManagedWnd wnd;
    HWND window = wnd.Create(nullptr, "caption", WS_POPUP, 0, 0, 0, 240, 60);
    ASSERT_NE(nullptr, window);
    wnd.manager.AddFont(kSongti, 12, false, false, false);
    wnd.manager.AddFont(kSongti, 12, false, false, false);
    wnd.manager.AddFont(kSongti, 14, false, false, false);
    auto* root = new CContainerUI();
    root->ApplyAttribute("bkcolor", "#FF000000");
    auto add = [&](const char* pos, const char* text) {
        auto* label = new CLabelUI();
        label->ApplyAttribute("float", "true");
        label->ApplyAttribute("pos", pos);
        label->ApplyAttribute("font", "2");
        label->ApplyAttribute("textcolor", "#FFC6995E");
        label->ApplyAttribute("text", text);
        root->Add(label);
    };
    add("20,14,120,32", kPreparing);
    add("130,14,230,32", "??????");
    wnd.manager.AttachRoot(root);

    ::SetWindowPos(window, HWND_TOP, 10, 10, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    // The X server maps the window some time after it is shown; paint again once it has.
    for (int i = 0; i < 5; ++i) {
        uitest::Pump();
        ::Sleep(50);
    }
    ::InvalidateRect(window, nullptr, FALSE);
    ::UpdateWindow(window);
    ::GdiFlush();
    ::Sleep(50);

    // A screenshot of the window's area of the screen.
    CCanvas shot(240, 60, 0xFF000000);
    HDC screen = ::GetDC(nullptr);
    ASSERT_TRUE(::BitBlt(shot.dc(), 0, 0, 240, 60, screen, 10, 10, SRCCOPY));
    ::ReleaseDC(nullptr, screen);
    if (const char* path = std::getenv("LOADER_TEST_SHOT")) {
        // For a person to look at: a raw dump (width 240, height 60, BGRA rows).
        FILE* f = std::fopen(path, "wb");
        for (int y = 0; f != nullptr && y < 60; ++y)
            for (int x = 0; x < 240; ++x) {
                const uint32_t c = shot.At(x, y);
                std::fwrite(&c, 4, 1, f);
            }
        if (f != nullptr) std::fclose(f);
    }
    if (const char* hold = std::getenv("LOADER_TEST_HOLD_MS")) {
        ::Sleep(static_cast<DWORD>(std::atoi(hold)));  // time for an outside screenshot
    }

    auto inkIn = [&](int x0, int x1, int* gold) {
        int n = 0;
        for (int y = 10; y < 36; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint32_t c = shot.At(x, y);
                if (c != 0) ++n;
                if (testing_canvas::Near(c, 0xC6995E, 8)) ++*gold;
            }
        return n;
    };
    int goldCjk = 0, goldQuestion = 0;
    const int cjk = inkIn(20, 120, &goldCjk);
    const int marks = inkIn(130, 230, &goldQuestion);
    EXPECT_GT(goldCjk, 30) << "glyph pixels in the label's colour";
    EXPECT_GT(cjk, marks * 2) << "six CJK glyphs carry far more ink than six question marks";
    EXPECT_EQ(0, inkIn(0, 20, &goldQuestion));  // nothing outside the label's rectangle

    // Six separate glyphs: columns without ink split the run into about six groups.
    int groups = 0;
    bool inGlyph = false;
    for (int x = 20; x < 120; ++x) {
        bool ink = false;
        for (int y = 10; y < 36; ++y) ink = ink || shot.At(x, y) != 0;
        if (ink && !inGlyph) ++groups;
        inGlyph = ink;
    }
    EXPECT_GE(groups, 5);
    EXPECT_LE(groups, 12);
}

// ---- CTextUI ----------------------------------------------------------------------------------

TEST(TextControl, PlainTextIsMeasuredForReal) {
    Scene scene;
    scene.manager.AddFont("Tahoma", 16, false, false, false);
    auto* text = scene.Add(new CTextUI(), RECT{0, 0, 10, 10});
    EXPECT_STREQ("TextUI", text->GetTypeName());
    EXPECT_EQ(0x10u, text->GetTextStyle());
    EXPECT_EQ(2, text->GetTextPadding().left);
    text->SetFont(0);
    const int line = scene.manager.GetFontInfo(0)->metrics.tmHeight;
    text->SetText("word word word word word word word word word word");
    const SIZE wide = text->MeasureSize(SIZE{1000, 0});
    EXPECT_EQ(line, wide.cy);
    EXPECT_GT(wide.cx, 100);
    EXPECT_LT(wide.cx, 1000);
    const SIZE narrow = text->MeasureSize(SIZE{120, 0});
    EXPECT_LE(narrow.cx, 120);
    EXPECT_EQ(0, narrow.cy % line);
    EXPECT_GE(narrow.cy, 3 * line);  // wrapped onto several lines
    text->SetFixedHeight(7);
    EXPECT_EQ(7, text->MeasureSize(SIZE{120, 0}).cy);
    text->SetFixedHeight(0);
    text->SetText("");
    EXPECT_EQ(4, text->MeasureSize(SIZE{120, 0}).cx);  // the padding alone
}

TEST(TextControl, MarkupWithoutRoomOrManagerIsNotMeasuredTallest) {
    CTextUI alone;
    alone.SetShowHtml(true);
    alone.SetText("<b>some</b> text");
    EXPECT_EQ(0, alone.MeasureSize(SIZE{200, 0}).cy);
    Scene scene;
    auto* text = scene.Add(new CTextUI(), RECT{0, 0, 10, 10});
    text->SetShowHtml(true);
    text->SetText("<b>some</b> text");
    const int wide = text->MeasureSize(SIZE{200, 0}).cy;
    EXPECT_GT(wide, 0);
    // Narrower than its padding: a character per line, never shorter than when wider.
    const int none = text->MeasureSize(SIZE{0, 0}).cy;
    EXPECT_GE(none, wide);
    EXPECT_LT(none, 9999);
}

TEST(TextControl, LinksHoverAndNotify) {
    Scene scene(300, 100);
    scene.manager.AddFont("Tahoma", 16, false, false, false);
    scene.manager.SetDefaultFont("Tahoma", 16, false, false, false);
    auto* text = scene.Add(new CTextUI(), RECT{0, 0, 300, 100});
    text->SetShowHtml(true);
    text->SetText("go <a one>first</a> or {a two}second{/a} now");
    EXPECT_EQ(0u, text->GetInputFlags());  // no links found before a paint

    CCanvas canvas(300, 100);
    text->Paint(canvas.dc(), RECT{0, 0, 300, 100});
    ASSERT_EQ(2, text->GetLinkCount());
    EXPECT_EQ("one", text->GetLinkText(0));
    EXPECT_EQ("two", text->GetLinkText(1));
    EXPECT_EQ(2u, text->GetInputFlags());
    const RECT second = text->GetLinkRect(1);
    const POINT in = {(second.left + second.right) / 2, (second.top + second.bottom) / 2};

    scene.Send(WM_MOUSEMOVE, in.x, in.y);
    EXPECT_EQ(1, text->GetHoveredLink());
    scene.Send(WM_MOUSEMOVE, 299, 99);
    EXPECT_EQ(-1, text->GetHoveredLink());

    scene.Click(in.x, in.y);
    scene.Click(299, 99);  // outside every link: nothing
    ASSERT_EQ(1u, scene.log.notices.size());
    EXPECT_EQ("link", scene.log.notices[0].type);
    EXPECT_EQ(1u, scene.log.notices[0].wParam);

    text->SetEnabled(false);
    scene.Click(in.x, in.y);
    EXPECT_EQ(1u, scene.log.notices.size());
    EXPECT_EQ(0u, text->GetInputFlags());

    // Plain text drops the links of the earlier paint.
    text->SetEnabled(true);
    text->SetShowHtml(false);
    text->Paint(canvas.dc(), RECT{0, 0, 300, 100});
    EXPECT_EQ(0, text->GetLinkCount());
}
