// The image-to-rectangle mapping: corners, edges, middle, tiling, holes and the paint rectangle.
#include "ui/controls/NineGrid.h"

#include <gtest/gtest.h>

namespace SkinUI {
namespace {

TNineGridInput Input(TRectI dest, TRectI source, TRectI corner = TRectI()) {
    TNineGridInput in;
    in.dest = dest;
    in.paint = MakeRect(-10000, -10000, 10000, 10000);
    in.source = source;
    in.corner = corner;
    return in;
}

bool Has(const std::vector<TBlit>& v, TRectI d, int sx, int sy, int sw, int sh) {
    for (const TBlit& b : v)
        if (b.dest == d && b.srcX == sx && b.srcY == sy && b.srcWidth == sw && b.srcHeight == sh)
            return true;
    return false;
}

TEST(NineGrid, CornersKeepSizeEdgesStretchMiddleFills) {
    auto v = LayoutNineGrid(
        Input(MakeRect(0, 0, 100, 40), MakeRect(0, 0, 20, 20), MakeRect(5, 5, 5, 5)));
    ASSERT_EQ(v.size(), 9u);
    EXPECT_TRUE(Has(v, MakeRect(5, 5, 95, 35), 5, 5, 10, 10));  // middle
    EXPECT_TRUE(Has(v, MakeRect(0, 0, 5, 5), 0, 0, 5, 5));
    EXPECT_TRUE(Has(v, MakeRect(95, 0, 100, 5), 15, 0, 5, 5));
    EXPECT_TRUE(Has(v, MakeRect(0, 35, 5, 40), 0, 15, 5, 5));
    EXPECT_TRUE(Has(v, MakeRect(95, 35, 100, 40), 15, 15, 5, 5));
    EXPECT_TRUE(Has(v, MakeRect(5, 0, 95, 5), 5, 0, 10, 5));      // top
    EXPECT_TRUE(Has(v, MakeRect(5, 35, 95, 40), 5, 15, 10, 5));   // bottom
    EXPECT_TRUE(Has(v, MakeRect(0, 5, 5, 35), 0, 5, 5, 10));      // left
    EXPECT_TRUE(Has(v, MakeRect(95, 5, 100, 35), 15, 5, 5, 10));  // right

    // Drawn at twice the skin's scale, the corners take twice their picture size.
    TNineGridInput in =
        Input(MakeRect(0, 0, 100, 40), MakeRect(0, 0, 20, 20), MakeRect(5, 5, 5, 5));
    in.destCorner = MakeRect(10, 10, 10, 10);
    v = LayoutNineGrid(in);
    ASSERT_EQ(v.size(), 9u);
    EXPECT_TRUE(Has(v, MakeRect(0, 0, 10, 10), 0, 0, 5, 5));
    EXPECT_TRUE(Has(v, MakeRect(90, 30, 100, 40), 15, 15, 5, 5));
    EXPECT_TRUE(Has(v, MakeRect(10, 0, 90, 10), 5, 0, 10, 5));    // top
    EXPECT_TRUE(Has(v, MakeRect(10, 10, 90, 30), 5, 5, 10, 10));  // middle
}

TEST(NineGrid, HoleAndPaintRectangleLeavePiecesOut) {
    TNineGridInput in =
        Input(MakeRect(0, 0, 100, 40), MakeRect(0, 0, 20, 20), MakeRect(5, 5, 5, 5));
    in.hole = true;
    auto v = LayoutNineGrid(in);
    EXPECT_EQ(v.size(), 8u);
    EXPECT_FALSE(Has(v, MakeRect(5, 5, 95, 35), 5, 5, 10, 10));

    in.hole = false;
    in.paint = MakeRect(0, 0, 4, 4);  // only the left-top corner is touched
    v = LayoutNineGrid(in);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_TRUE(Has(v, MakeRect(0, 0, 5, 5), 0, 0, 5, 5));
}

TEST(NineGrid, OpaqueSameSizeCopiesVisiblePartOnly) {
    TNineGridInput in = Input(MakeRect(10, 10, 388, 25), MakeRect(0, 0, 378, 15));
    in.opaque = true;
    in.paint = MakeRect(100, 0, 200, 20);
    auto v = LayoutNineGrid(in);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_TRUE(Has(v, MakeRect(100, 10, 200, 20), 90, 0, 100, 10));

    in.paint = MakeRect(0, 0, 5, 5);
    EXPECT_TRUE(LayoutNineGrid(in).empty());

    // The progress bar's modifier: the left 370 x 15 pixels, unscaled.
    in = Input(MakeRect(0, 0, 370, 15), MakeRect(0, 0, 370, 15));
    v = LayoutNineGrid(in);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_TRUE(v[0].SameSize());
    EXPECT_TRUE(Has(v, MakeRect(0, 0, 370, 15), 0, 0, 370, 15));
}

TEST(NineGrid, TilingBothWaysCutsLastColumnAndRow) {
    TNineGridInput in = Input(MakeRect(0, 0, 25, 12), MakeRect(0, 0, 10, 5));
    in.xtiled = in.ytiled = true;
    auto v = LayoutNineGrid(in);
    ASSERT_EQ(v.size(), 9u);
    EXPECT_TRUE(Has(v, MakeRect(0, 0, 10, 5), 0, 0, 10, 5));
    EXPECT_TRUE(Has(v, MakeRect(20, 0, 25, 5), 0, 0, 5, 5));
    EXPECT_TRUE(Has(v, MakeRect(20, 10, 25, 12), 0, 0, 5, 2));
    for (const TBlit& b : v) EXPECT_TRUE(b.SameSize());

    // Only the tiles that meet the paint rectangle are blitted, in their usual places.
    in = Input(MakeRect(0, 0, 1000, 1000), MakeRect(0, 0, 3, 3));
    in.xtiled = in.ytiled = true;
    in.paint = MakeRect(500, 500, 510, 520);
    v = LayoutNineGrid(in);
    EXPECT_EQ(v.size(), 4u * 8u);  // columns from 498 to 507, rows from 498 to 519
    EXPECT_TRUE(Has(v, MakeRect(498, 498, 501, 501), 0, 0, 3, 3));
    EXPECT_TRUE(Has(v, MakeRect(507, 519, 510, 522), 0, 0, 3, 3));
    in.ytiled = false;
    v = LayoutNineGrid(in);
    EXPECT_EQ(v.size(), 4u);
    EXPECT_TRUE(Has(v, MakeRect(498, 0, 501, 1000), 0, 0, 3, 3));
}

TEST(NineGrid, TilingOneAxisStretchesTheOther) {
    TNineGridInput in = Input(MakeRect(0, 0, 25, 30), MakeRect(0, 0, 10, 5));
    in.xtiled = true;
    auto v = LayoutNineGrid(in);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_TRUE(Has(v, MakeRect(10, 0, 20, 30), 0, 0, 10, 5));
    EXPECT_TRUE(Has(v, MakeRect(20, 0, 25, 30), 0, 0, 5, 5));

    in.xtiled = false;
    in.ytiled = true;
    v = LayoutNineGrid(in);
    ASSERT_EQ(v.size(), 6u);
    EXPECT_TRUE(Has(v, MakeRect(0, 25, 25, 30), 0, 0, 10, 5));
}

TEST(NineGrid, EmptySourceMiddleDrawsNoMiddle) {
    TNineGridInput in =
        Input(MakeRect(0, 0, 100, 40), MakeRect(0, 0, 10, 10), MakeRect(5, 5, 5, 5));
    in.xtiled = true;
    auto v = LayoutNineGrid(in);
    EXPECT_EQ(v.size(), 4u);  // corners only: edges and middle have no source
    for (const TBlit& b : v) EXPECT_EQ(b.dest.Width(), 5);
}

}  // namespace
}  // namespace SkinUI
