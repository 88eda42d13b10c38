// The image descriptor grammar: which pictures a descriptor draws and with what state.
#include "ui/controls/ImageDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace SkinUI {
namespace {

const TRectI kBounds = MakeRect(100, 50, 300, 90);

std::vector<TImageDrawParams> Parse(const char* d, const char* m = nullptr,
                                    const TRectI& bounds = kBounds, int dpi = 96) {
    std::vector<TImageDrawParams> out;
    ParseImageDescriptor(
        d, m, bounds, [&](const TImageDrawParams& p) { out.push_back(p); }, dpi);
    return out;
}

TEST(ImageDescriptor, PlainNameDrawsWholeTextIntoBounds) {
    auto d = Parse("bk.png");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].name, "bk.png");
    EXPECT_EQ(d[0].type, "");
    EXPECT_EQ(d[0].dest, kBounds);
    EXPECT_EQ(d[0].source, TRectI());
    EXPECT_EQ(d[0].fade, 255);
    EXPECT_EQ(d[0].mask, 0u);
}

TEST(ImageDescriptor, ResourceNumberWithAndWithoutType) {
    auto d = Parse("res='110' restype='png'");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].name, "110");
    EXPECT_EQ(d[0].type, "png");

    d = Parse("res='110'");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].name, "110");
    EXPECT_EQ(d[0].type, "");  // looked up as a file name
}

TEST(ImageDescriptor, LaterPicturesInheritEarlierItems) {
    auto d = Parse("file='a.png' dest='0,0,10,10' file='b.png'");
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].name, "a.png");
    EXPECT_EQ(d[1].name, "b.png");
    EXPECT_EQ(d[0].dest, MakeRect(100, 50, 110, 60));
    EXPECT_EQ(d[1].dest, MakeRect(100, 50, 110, 60));
}

TEST(ImageDescriptor, EachResourcePictureIsDrawnOnce) {
    auto d = Parse("res='110' restype='png' res='111' restype='png' fade='10'");
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].name, "110");
    EXPECT_EQ(d[1].name, "111");
    EXPECT_EQ(d[1].type, "png");
    EXPECT_EQ(d[1].fade, 255);  // drawn when its restype item came, before the fade

    // Only the identical redraw is skipped: a name tried as a file is then drawn with the
    // resource type that follows.
    d = Parse("file='110' restype='png'");
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].type, "");
    EXPECT_EQ(d[1].name, "110");
    EXPECT_EQ(d[1].type, "png");
}

TEST(ImageDescriptor, DestIsCutAtRightAndBottomOnly) {
    auto d = Parse("file='a.png' dest='-5,-3,400,100'");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].dest, MakeRect(95, 47, 300, 90));
}

TEST(ImageDescriptor, ModifierOverridesDescriptor) {
    auto d = Parse("file='fore.png' dest='0,0,1,1'", "dest='0,0,370,15' source='0,0,370,15'",
                   MakeRect(0, 0, 378, 15));
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].name, "fore.png");
    EXPECT_EQ(d[0].dest, MakeRect(0, 0, 370, 15));
    EXPECT_EQ(d[0].source, MakeRect(0, 0, 370, 15));

    // At 144 DPI the skin's own pixels grow by half; the picture's stay, and so does the
    // modifier, which the control computes in the window's pixels.
    d = Parse("file='a.png' dest='2,4,10,20' source='1,1,9,9' corner='3,3,5,5'", nullptr,
              MakeRect(0, 0, 100, 100), 144);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].dest, MakeRect(3, 6, 15, 30));
    EXPECT_EQ(d[0].source, MakeRect(1, 1, 9, 9));
    EXPECT_EQ(d[0].corner, MakeRect(3, 3, 5, 5));
    EXPECT_EQ(d[0].destCorner, MakeRect(5, 5, 8, 8));
    d = Parse("file='fore.png'", "dest='0,0,370,15'", MakeRect(0, 0, 567, 23), 144);
    EXPECT_EQ(d[0].dest, MakeRect(0, 0, 370, 15));
}

TEST(ImageDescriptor, ValueSyntax) {
    auto d = Parse(
        "file='a' mask='#FFFF00FF' fade='300' corner='1,2,3,4' hole='true' xtiled='True' "
        "ytiled='true' gray='true'");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].mask, 0xFFFF00FFu);
    EXPECT_EQ(d[0].fade, 300 % 256);
    EXPECT_EQ(d[0].corner, MakeRect(1, 2, 3, 4));
    EXPECT_TRUE(d[0].hole);
    EXPECT_FALSE(d[0].xtiled);  // only the exact text "true"
    EXPECT_TRUE(d[0].ytiled);
    EXPECT_TRUE(d[0].gray);

    d = Parse("file='a' mask='FF00FF'");
    EXPECT_EQ(d[0].mask, 0x00FF00FFu);
}

TEST(ImageDescriptor, MalformedTextStopsParsing) {
    // Missing closing apostrophe: the items before it still count.
    auto d = Parse("file='a.png' fade='10");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].name, "a.png");
    EXPECT_EQ(d[0].fade, 255);

    // No space after a value ends the list.
    d = Parse("file='a.png'fade='10'");
    EXPECT_EQ(d[0].fade, 255);

    // A key with a high byte is not a key: the whole text is the name.
    d = Parse("fi\xb0le='a.png'");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].name, "fi\xb0le='a.png'");

    // Blanks around "=" are allowed; empty values and unknown keys are ignored.
    d = Parse("  file = 'a.png' fade='' shade='3' fade = '7'");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].name, "a.png");
    EXPECT_EQ(d[0].fade, 7);

    d = Parse("");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].name, "");
}

TEST(ImageDescriptor, HugeOffsetsDoNotOverflow) {
    auto d = Parse("file='a' dest='2147483647,-2147483648,99999999999,2147483647'", nullptr,
                   MakeRect(100, 50, 300, 90));
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].dest.left, 2147483647);
    EXPECT_EQ(d[0].dest.top, -2147483598);
    EXPECT_EQ(d[0].dest.right, 300);
    EXPECT_EQ(d[0].dest.bottom, 90);
}

TEST(ImageDescriptor, IntQuad) {
    int v[4];
    EXPECT_EQ(ParseIntQuad("1,-2, 3,4", v), 4);
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[1], -2);
    EXPECT_EQ(v[2], 3);
    EXPECT_EQ(v[3], 4);
    EXPECT_EQ(ParseIntQuad("7,8", v), 2);
    EXPECT_EQ(v[2], 0);
    EXPECT_EQ(ParseIntQuad("x", v), 0);
}

}  // namespace
}  // namespace SkinUI
