// Hue/saturation/lightness adjustment, fallback gradient bands and the fallback blend.
#include "ui/controls/ColorMath.h"

#include <gtest/gtest.h>

namespace SkinUI {
namespace {

TEST(ColorMath, AdjustColorIdentityAndHueTurns) {
    EXPECT_EQ(AdjustColor(0x12345678u, 180, 100, 100), 0x12345678u);
    // Pure red turned by +120 degrees is pure green, by -120 pure blue; alpha kept.
    EXPECT_EQ(AdjustColor(0x80FF0000u, 300, 100, 100), 0x8000FF00u);
    EXPECT_EQ(AdjustColor(0x80FF0000u, 60, 100, 100), 0x800000FFu);
    // The hue turns by H - 180: 0 and 360 are half turns either way.
    EXPECT_EQ(AdjustColor(0xFF00FF00u, 0, 100, 100), 0xFFFF00FFu);
    EXPECT_EQ(AdjustColor(0xFF00FF00u, 360, 100, 100), 0xFFFF00FFu);
    // Adjusting only saturation keeps the hue: red stays red (no red/blue swap).
    EXPECT_EQ(AdjustColor(0xFFFF0000u, 180, 50, 100), 0xFFBF3F3Fu);
}

TEST(ColorMath, AdjustColorSaturationAndLightness) {
    EXPECT_EQ(AdjustColor(0xFFFF0000u, 180, 0, 100), 0xFF7F7F7Fu);  // grey of lightness 0.5
    EXPECT_EQ(AdjustColor(0xFFFF0000u, 180, 100, 0), 0xFF000000u);
    EXPECT_EQ(AdjustColor(0xFF804020u, 180, 100, 200) >> 24, 0xFFu);
    EXPECT_EQ(AdjustColor(0xFFFFFFFFu, 180, 100, 200), 0xFFFFFFFFu);  // clamped, not wrapped
    // Grey has no hue: turning it changes nothing.
    EXPECT_EQ(AdjustColor(0xFF808080u, 90, 100, 100), 0xFF808080u);
}

TEST(ColorMath, GradientBandsRunFromFirstToSecond) {
    auto bands = GradientBands(MakeRect(0, 0, 10, 100), 0xFFFF0000u, 0xFF0000FFu, true, 2);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].rect, MakeRect(0, 50, 10, 100));  // bottom band: the second colour
    EXPECT_EQ(bands[0].rgb, 0x000000FFu);
    EXPECT_EQ(bands[1].rect, MakeRect(0, 0, 10, 50));
    EXPECT_EQ(bands[1].rgb, 0x0000007Fu | (0xFFu >> 1) << 16);

    bands = GradientBands(MakeRect(0, 0, 64, 1), 0, 0x00FFFFFFu, false, 100);
    ASSERT_EQ(bands.size(), 64u);
    EXPECT_EQ(bands[0].rect, MakeRect(63, 0, 64, 1));

    // Fewer pixels than bands: empty bands are left out, the area is still covered.
    bands = GradientBands(MakeRect(0, 0, 10, 3), 0, 0x00FFFFFFu, true, 64);
    int covered = 0;
    for (const auto& b : bands) covered += b.rect.Height();
    EXPECT_EQ(covered, 3);
}

TEST(ColorMath, BlendMatchesAlphaBlend) {
    const uint32_t src[] = {0xFF102030u, 0x80404040u, 0x00000000u, 0xFF0000FFu};
    uint32_t dst[] = {0x00FFFFFFu, 0x00FFFFFFu, 0x00ABCDEFu, 0x00000000u};
    BlendPixels(src, dst, 3, 255);
    EXPECT_EQ(dst[0], 0x00102030u);
    EXPECT_EQ(dst[1], 0x00BFBFBFu);  // 0x40 + 0xFF * 127/255
    EXPECT_EQ(dst[2], 0x00ABCDEFu);
    BlendPixels(src + 3, dst + 3, 1, 128);
    EXPECT_EQ(dst[3], 0x00000080u);
}

}  // namespace
}  // namespace SkinUI
