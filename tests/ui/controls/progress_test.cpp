// CProgressUI: exactly the fraction it is given, horizontally and vertically, squeezed or cut
// ("isstretchfore"), and the range repairs made at paint.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/controls/canvas.h"
#include "tests/ui/controls/control_scene.h"
#include "ui/controls/CProgressUI.h"

using namespace SkinUI;
using testing_canvas::CCanvas;
using testing_canvas::MakePng;
using testing_canvas::WriteTempPng;
using uitest::Scene;

namespace {

// 378 x 15: red on the left half, blue on the right half; 20 x 100 for vertical bars: red on
// the top half, blue on the bottom half.
void WriteBarPictures() {
    std::vector<uint32_t> bar(378 * 15);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 378; ++x) bar[y * 378 + x] = x < 189 ? 0xFFFF0000 : 0xFF0000FF;
    WriteTempPng("bar.png", MakePng(378, 15, bar));
    std::vector<uint32_t> column(20 * 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 20; ++x) column[y * 20 + x] = y < 50 ? 0xFFFF0000 : 0xFF0000FF;
    CWindowManagerUI::SetResourcePath(WriteTempPng("column.png", MakePng(20, 100, column)));
}

// The first column (from the left) still showing the white background, or the width.
int FilledWidth(const CCanvas& canvas, int y) {
    for (int x = 0; x < canvas.width(); ++x)
        if (canvas.At(x, y) == 0xFFFFFF) return x;
    return canvas.width();
}

}  // namespace

TEST(Progress, DefaultsAndAttributes) {
    CProgressUI bar;
    EXPECT_STREQ("ProgressUI", bar.GetTypeName());
    EXPECT_EQ(&bar, bar.QueryType("Progress"));
    EXPECT_EQ(&bar, bar.QueryType("Label"));
    EXPECT_EQ(0x21u, bar.GetTextStyle());
    EXPECT_EQ(12, bar.GetFixedHeight());
    EXPECT_TRUE(bar.IsHorizontal());
    EXPECT_TRUE(bar.IsStretchForeImage());
    bar.ApplyAttribute("isstretchfore", "TRUE");  // only lower-case "true" is true
    EXPECT_FALSE(bar.IsStretchForeImage());
    bar.ApplyAttribute("hor", "false");
    EXPECT_FALSE(bar.IsHorizontal());
    bar.ApplyAttribute("min", "5");
    bar.ApplyAttribute("max", "50");
    bar.ApplyAttribute("value", "7");
    EXPECT_EQ(5, bar.GetMinValue());
    EXPECT_EQ(50, bar.GetMaxValue());
    EXPECT_EQ(7, bar.GetValue());
}

// The loader's bar: 378 wide at 98 fills 0..370, and "TRUE" reveals the left part of the
// picture instead of squeezing all of it in.
TEST(Progress, TheLoadersBarRevealsExactlyTheFraction) {
    WriteBarPictures();
    Scene scene(400, 40);
    auto* bar = scene.Add(new CProgressUI(), RECT{0, 0, 378, 15});
    bar->ApplyAttribute("foreimage", "file='bar.png' ");
    bar->ApplyAttribute("min", "0");
    bar->ApplyAttribute("max", "100");
    bar->ApplyAttribute("value", "98");
    bar->ApplyAttribute("isstretchfore", "TRUE");

    CCanvas canvas(378, 15);
    bar->Paint(canvas.dc(), RECT{0, 0, 378, 15});
    EXPECT_EQ("dest='0,0,370,15' source='0,0,370,15'", bar->GetForeImageModifier());
    EXPECT_EQ(370, FilledWidth(canvas, 7));
    EXPECT_EQ(0xFF0000u, canvas.At(100, 7));
    EXPECT_EQ(0x0000FFu, canvas.At(369, 7));
    EXPECT_EQ(0xFFFFFFu, canvas.At(370, 14));

    // At 50 the cut shows only the red half; squeezed, the blue half shows too.
    bar->SetValue(50);
    canvas.Fill(0xFFFFFFFF);
    bar->Paint(canvas.dc(), RECT{0, 0, 378, 15});
    EXPECT_EQ(189, FilledWidth(canvas, 7));
    EXPECT_EQ(0xFF0000u, canvas.At(150, 7));
    bar->SetStretchForeImage(true);
    canvas.Fill(0xFFFFFFFF);
    bar->Paint(canvas.dc(), RECT{0, 0, 378, 15});
    EXPECT_EQ("dest='0,0,189,15'", bar->GetForeImageModifier());
    EXPECT_EQ(189, FilledWidth(canvas, 7));
    EXPECT_EQ(0xFF0000u, canvas.At(40, 7));
    EXPECT_EQ(0x0000FFu, canvas.At(150, 7));
}

TEST(Progress, FractionsTruncateAndTheRangeIsRepairedAtPaint) {
    WriteBarPictures();
    Scene scene(400, 40);
    auto* bar = scene.Add(new CProgressUI(), RECT{0, 0, 300, 10});
    bar->SetForeImage("bar.png");
    CCanvas canvas(300, 10);
    auto filled = [&] {
        canvas.Fill(0xFFFFFFFF);
        bar->Paint(canvas.dc(), RECT{0, 0, 300, 10});
        return FilledWidth(canvas, 5);
    };
    bar->SetMaxValue(3);
    bar->SetValue(1);
    EXPECT_EQ(100, filled());
    bar->SetValue(2);
    EXPECT_EQ(200, filled());
    bar->SetMinValue(1);
    bar->SetMaxValue(8);
    bar->SetValue(2);  // 300 * 1 / 7 = 42.86
    EXPECT_EQ(42, filled());

    bar->SetMinValue(0);
    bar->SetMaxValue(100);
    bar->SetValue(150);
    EXPECT_EQ(300, filled());
    EXPECT_EQ(100, bar->GetValue());  // stored clamped
    bar->SetValue(-4);
    EXPECT_EQ(0, filled());
    EXPECT_EQ(0, bar->GetValue());

    bar->SetMinValue(10);
    bar->SetMaxValue(10);
    bar->SetValue(10);
    filled();
    EXPECT_EQ(11, bar->GetMaxValue());
    bar->SetMaxValue(3);  // inverted
    EXPECT_EQ(0, filled());
    EXPECT_EQ(11, bar->GetMaxValue());
    EXPECT_EQ(10, bar->GetValue());

    // Large ranges do not overflow the arithmetic.
    bar->SetMinValue(0);
    bar->SetMaxValue(2000000000);
    bar->SetValue(1000000000);
    EXPECT_EQ(150, filled());
    bar->SetMinValue(0x7FFFFFFF);
    bar->SetMaxValue(0x7FFFFFFF);
    EXPECT_EQ(0, filled());
}

TEST(Progress, VerticalBarsFillFromTheBottom) {
    WriteBarPictures();
    Scene scene(100, 120);
    auto* bar = scene.Add(new CProgressUI(), RECT{0, 0, 20, 100});
    bar->SetHorizontal(false);
    bar->SetStretchForeImage(false);
    bar->SetForeImage("column.png");
    bar->SetValue(25);
    CCanvas canvas(20, 100);
    bar->Paint(canvas.dc(), RECT{0, 0, 20, 100});
    EXPECT_EQ("dest='0,75,20,100' source='0,75,20,100'", bar->GetForeImageModifier());
    EXPECT_EQ(0xFFFFFFu, canvas.At(10, 74));
    EXPECT_EQ(0x0000FFu, canvas.At(10, 75));
    EXPECT_EQ(0x0000FFu, canvas.At(10, 99));
}

TEST(Progress, NoPictureNoModifierAndTextStillDrawn) {
    Scene scene;
    scene.manager.AddFont("Tahoma", 12, true, false, false);
    auto* bar = scene.Add(new CProgressUI(), RECT{0, 0, 100, 12});
    bar->SetFont(0);
    bar->SetText("50%");
    bar->SetTextColor(0xFF000000);
    CCanvas canvas(100, 12);
    bar->Paint(canvas.dc(), RECT{0, 0, 100, 12});
    EXPECT_EQ("", bar->GetForeImageModifier());
    const RECT ink = canvas.InkBox(0xFFFFFF);
    EXPECT_LT(ink.left, ink.right);
    EXPECT_LE(std::abs(ink.left - (100 - ink.right)), 3);  // centred
}
