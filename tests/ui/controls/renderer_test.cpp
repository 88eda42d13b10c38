// The renderer, pixel-checked in memory DCs under wine: picture loading (premultiplied BGRA,
// mask, gray, resources), image descriptors (several files, dest cut, fade, corners, the
// progress bar's modifier), colours, gradients, colour adjustment and clips.
#include <gtest/gtest.h>
#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <memory>
#include <string>

#include "tests/ui/controls/surface.h"
#include "ui/controls/CRenderer.h"
#include "ui/core/CWindowManagerUI.h"
#include "ui/core/GdiHandle.h"

using namespace SkinUI;
using uitest::Channel;
using uitest::Fixture;
using uitest::Surface;

namespace {

class Renderer : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
        CWindowManagerUI::SetResourcePath(Fixture(""));
    }
    void TearDown() override { CWindowManagerUI::SetResourcePath(""); }

    bool Draw(Surface& s, const RECT& bounds, const char* descriptor,
              const char* modifier = nullptr) {
        return CRenderer::DrawImageString(s.dc(), &manager, bounds, bounds, descriptor, modifier);
    }

    static const DWORD* Pixels(const TImageInfo& image) {
        DIBSECTION ds = {};
        ::GetObjectA(image.bitmap.get(), sizeof(ds), &ds);
        return static_cast<const DWORD*>(ds.dsBm.bmBits);
    }

    CWindowManagerUI manager;
};

}  // namespace

TEST_F(Renderer, LoadsPicturesPremultipliedWithMaskAndGray) {
    auto image = CRenderer::LoadImage("pixels.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(2, image->width);
    EXPECT_EQ(2, image->height);
    EXPECT_TRUE(image->hasAlpha);
    const DWORD* px = Pixels(*image);
    EXPECT_EQ(0xFFFF00FFu, px[0]);  // opaque magenta, blue-green-red-alpha order
    EXPECT_EQ(0xFFFF0000u, px[1]);  // opaque red
    EXPECT_EQ(0x80008000u, px[2]);  // green at alpha 128, premultiplied
    EXPECT_EQ(0x00000000u, px[3]);  // transparent

    auto masked = CRenderer::LoadImage("pixels.png", nullptr, 0xFFFF00FF);
    ASSERT_TRUE(masked);
    EXPECT_EQ(0u, Pixels(*masked)[0]);
    auto unmasked = CRenderer::LoadImage("pixels.png", nullptr, 0x00FF00FF);  // alpha 0
    EXPECT_EQ(0xFFFF00FFu, Pixels(*unmasked)[0]);

    auto gray = CRenderer::LoadImage("red.png", nullptr, 0, true);
    ASSERT_TRUE(gray);
    EXPECT_FALSE(gray->hasAlpha);
    EXPECT_EQ(0xFF4C4C4Cu, Pixels(*gray)[0]);  // 0.299 x 255

    EXPECT_FALSE(CRenderer::LoadImage("missing.png"));
    EXPECT_FALSE(CRenderer::LoadImage("make_fixtures.py"));  // not a picture
    // Resource 110 of type PNG is compiled into this test program.
    auto resource = CRenderer::LoadImage(MAKEINTRESOURCEA(110), "PNG");
    ASSERT_TRUE(resource);
    EXPECT_EQ(10, resource->width);
    EXPECT_FALSE(CRenderer::LoadImage(MAKEINTRESOURCEA(111), "PNG"));
}

TEST_F(Renderer, ManagerCachesPicturesByNameAlone) {
    const TImageInfo* first = manager.GetImageOrLoad("pixels.png", nullptr, 0xFFFF00FF);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, manager.GetImageOrLoad("pixels.png", nullptr, 0, true));
    EXPECT_EQ(0xFFFF00FFu, first->mask);
    EXPECT_FALSE(first->gray);
    EXPECT_EQ(nullptr, manager.AddImage("pixels.png"));  // the name is taken
    EXPECT_EQ(first, manager.GetImage("pixels.png"));

    // With a resource type the name must be a number.
    const TImageInfo* resource = manager.AddImage("110", "PNG");
    ASSERT_NE(nullptr, resource);
    EXPECT_EQ("PNG", resource->resType);
    EXPECT_EQ(nullptr, manager.AddImage("abc", "PNG"));
    // Cut to 16 bits: 65646 is 110 again.
    EXPECT_NE(nullptr, manager.AddImage("65646", "PNG"));
}

TEST_F(Renderer, TwoFilesWithOneDestDrawInOrderIntoTheSameRectangle) {
    Surface s(60, 60);
    const RECT bounds = {0, 0, 40, 40};
    EXPECT_TRUE(Draw(s, bounds, "file='red.png' dest='0,0,10,10' file='halfblue.png'"));
    EXPECT_EQ(0xFF0000u, s.Rgb(2, 2));  // the second picture is transparent here
    EXPECT_EQ(0x0000FFu, s.Rgb(7, 7));
    EXPECT_EQ(0xFFFFFFu, s.Rgb(15, 15));
}

TEST_F(Renderer, DestIsCutAtTheRightEdgeButNotAtANegativeLeft) {
    Surface s(40, 40);
    EXPECT_TRUE(Draw(s, RECT{0, 0, 20, 20}, "file='red.png' dest='10,0,40,20'"));
    EXPECT_EQ(0xFF0000u, s.Rgb(15, 5));
    EXPECT_EQ(0xFFFFFFu, s.Rgb(25, 5));

    Surface t(40, 40);
    EXPECT_TRUE(Draw(t, RECT{0, 0, 20, 20}, "file='split.png' dest='-5,0,10,10'"));
    EXPECT_EQ(0xFF0000u, t.Rgb(0, 0));  // unscaled: the blue columns lie left of the surface
}

TEST_F(Renderer, FadeBlendsAnOpaquePicture) {
    Surface s(20, 20);
    EXPECT_TRUE(Draw(s, RECT{0, 0, 10, 10}, "file='red.png' fade='128'"));
    const auto px = s.At(5, 5);
    EXPECT_EQ(255, Channel(px, 16));
    EXPECT_NEAR(127, Channel(px, 8), 3);
    EXPECT_NEAR(127, Channel(px, 0), 3);
}

TEST_F(Renderer, CornersKeepTheirSizeWhileEdgesAndMiddleStretch) {
    Surface s(100, 40);
    EXPECT_TRUE(Draw(s, RECT{0, 0, 100, 40}, "file='grid.png' corner='5,5,5,5'"));
    EXPECT_EQ(0x0000FFu, s.Rgb(0, 0));
    EXPECT_EQ(0x0000FFu, s.Rgb(4, 4));
    EXPECT_EQ(0x0000FFu, s.Rgb(99, 39));
    EXPECT_EQ(0x00FF00u, s.Rgb(50, 2));
    EXPECT_EQ(0x00FF00u, s.Rgb(2, 20));
    EXPECT_EQ(0x00FF00u, s.Rgb(97, 20));
    EXPECT_EQ(0xFF0000u, s.Rgb(6, 6));  // the 10 x 10 middle covers 90 x 30
    EXPECT_EQ(0xFF0000u, s.Rgb(93, 33));
}

TEST_F(Renderer, HoleAndTilingFillTheMiddle) {
    Surface s(100, 40);
    EXPECT_TRUE(Draw(s, RECT{0, 0, 100, 40}, "file='grid.png' corner='5,5,5,5' hole='true'"));
    EXPECT_EQ(0x0000FFu, s.Rgb(2, 2));
    EXPECT_EQ(0xFFFFFFu, s.Rgb(50, 20));  // no middle

    Surface t(40, 10);
    EXPECT_TRUE(Draw(t, RECT{0, 0, 40, 10}, "file='split.png' xtiled='true'"));
    EXPECT_EQ(0x0000FFu, t.Rgb(1, 5));  // tiles of 15 from the left, the last one cut
    EXPECT_EQ(0xFF0000u, t.Rgb(12, 5));
    EXPECT_EQ(0x0000FFu, t.Rgb(16, 5));
    EXPECT_EQ(0x0000FFu, t.Rgb(31, 5));
    EXPECT_EQ(0xFF0000u, t.Rgb(36, 5));

    Surface u(10, 25);  // a picture with alpha, tiled down
    EXPECT_TRUE(Draw(u, RECT{0, 0, 10, 25}, "file='halfblue.png' ytiled='true'"));
    EXPECT_EQ(0xFFFFFFu, u.Rgb(2, 22));
    EXPECT_EQ(0x0000FFu, u.Rgb(7, 22));
}

TEST_F(Renderer, ProgressModifierShowsThePictureUnscaled) {
    Surface s(400, 15);
    const RECT bar = {0, 0, 378, 15};
    EXPECT_TRUE(Draw(s, bar, "bar.png", "dest='0,0,370,15' source='0,0,370,15'"));
    EXPECT_EQ(0x649B64u, s.Rgb(100, 7));  // column 100 of the picture
    EXPECT_EQ(0x718EC8u, s.Rgb(369, 7));  // column 369
    EXPECT_EQ(0xFFFFFFu, s.Rgb(372, 7));
}

TEST_F(Renderer, ResourcePicturesNeedTheirType) {
    Surface s(20, 20);
    EXPECT_TRUE(Draw(s, RECT{0, 0, 10, 10}, "res='110' restype='png'"));
    EXPECT_EQ(0xFF0000u, s.Rgb(5, 5));

    CWindowManagerUI fresh;
    Surface t(20, 20);
    // Without a type "110" is a file name, and there is no such file: nothing, still true.
    EXPECT_TRUE(CRenderer::DrawImageString(t.dc(), &fresh, RECT{0, 0, 10, 10}, RECT{0, 0, 10, 10},
                                           "res='110'"));
    EXPECT_EQ(0xFFFFFFu, t.Rgb(5, 5));
    EXPECT_TRUE(CRenderer::DrawImageString(t.dc(), &fresh, RECT{0, 0, 10, 10}, RECT{0, 0, 10, 10},
                                           "res='x110' restype='png'"));
    EXPECT_EQ(0xFFFFFFu, t.Rgb(5, 5));
    // Only a missing device context or manager is a failure.
    EXPECT_FALSE(
        CRenderer::DrawImageString(nullptr, &fresh, RECT{0, 0, 1, 1}, RECT{0, 0, 1, 1}, "red.png"));
    EXPECT_FALSE(
        CRenderer::DrawImageString(t.dc(), nullptr, RECT{0, 0, 1, 1}, RECT{0, 0, 1, 1}, "red.png"));
}

TEST_F(Renderer, DrawingOutsideThePaintRectangleIsSkipped) {
    Surface s(20, 20);
    const RECT bounds = {0, 0, 10, 10};
    EXPECT_TRUE(
        CRenderer::DrawImageString(s.dc(), &manager, bounds, RECT{15, 15, 20, 20}, "red.png"));
    EXPECT_EQ(0xFFFFFFu, s.Rgb(5, 5));
}

TEST_F(Renderer, ColoursFillOpaqueBlendHalfAndSkipTransparent) {
    Surface s(10, 10);
    const RECT all = {0, 0, 10, 10};
    CRenderer::DrawColor(s.dc(), all, 0x00FF0000);
    EXPECT_EQ(0xFFFFFFu, s.Rgb(5, 5));
    CRenderer::DrawColor(s.dc(), RECT{0, 0, 5, 10}, 0xFF00FF00);
    EXPECT_EQ(0x00FF00u, s.Rgb(2, 5));
    EXPECT_EQ(0xFFFFFFu, s.Rgb(7, 5));
    CRenderer::DrawColor(s.dc(), RECT{5, 0, 10, 10}, 0x80FF0000);
    const auto px = s.At(7, 5);
    EXPECT_NEAR(127, Channel(px, 8), 4);  // half of the white shows through
    EXPECT_EQ(255, Channel(px, 16));
}

TEST_F(Renderer, GradientsRunFromTheFirstColourAndSkipTransparentPairs) {
    Surface s(10, 100);
    const RECT all = {0, 0, 10, 100};
    CRenderer::DrawGradient(s.dc(), all, 0x00000000, 0x00FFFFFF, true, 16);
    EXPECT_EQ(0xFFFFFFu, s.Rgb(5, 0));
    s.Fill(0xFF808080);
    CRenderer::DrawGradient(s.dc(), all, 0xFF000000, 0xFFFFFFFF, true, 16);
    EXPECT_LT(Channel(s.At(5, 0), 16), 30);
    EXPECT_GT(Channel(s.At(5, 99), 16), 225);
    s.Fill(0xFF808080);
    Surface h(100, 1);
    CRenderer::DrawGradient(h.dc(), RECT{0, 0, 100, 1}, 0xFFFF0000, 0xFF0000FF, false, 16);
    EXPECT_GT(Channel(h.At(0, 0), 16), 225);  // red on the left
    EXPECT_GT(Channel(h.At(99, 0), 0), 225);  // blue on the right

    Surface half(10, 10);  // average alpha 0x80: blended onto what is there
    CRenderer::DrawGradient(half.dc(), RECT{0, 0, 10, 10}, 0x80000000, 0x80000000, true, 16);
    EXPECT_NEAR(127, Channel(half.At(5, 5), 16), 4);
}

TEST_F(Renderer, DrawingGivesBackEveryGdiHandle) {
    Surface s(40, 40);
    const int before = GdiLiveCount();
    for (int i = 0; i < 10; ++i) {
        CRenderer::DrawColor(s.dc(), RECT{0, 0, 40, 40}, 0x80FF0000);
        CRenderer::DrawGradient(s.dc(), RECT{0, 0, 40, 40}, 0x80000000, 0x80FFFFFF, true, 8);
        CRenderer::DrawLine(s.dc(), RECT{0, 0, 40, 40}, 2, 0xFF000000);
        CRenderer::DrawRect(s.dc(), RECT{0, 0, 40, 40}, 2, 0xFF000000);
        CRenderer::DrawRoundRect(s.dc(), RECT{0, 0, 40, 40}, 2, 5, 5, 0xFF000000);
        CRenderClip clip;
        CRenderClip::GenerateRoundClip(s.dc(), RECT{0, 0, 40, 40}, RECT{0, 0, 40, 40}, 4, 4, clip);
        Draw(s, RECT{0, 0, 40, 40}, "file='grid.png' corner='5,5,5,5' fade='200'");
    }
    EXPECT_EQ(before + 1, GdiLiveCount());  // only the cached picture remains
}

TEST_F(Renderer, AdjustColorIsTheIdentityForTheDefaultTriple) {
    for (DWORD c : {0xFF123456u, 0x80FF0000u, 0x00000000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(c, CRenderer::AdjustColor(c, 180, 100, 100));
    }
    EXPECT_EQ(0xFF3F3F3Fu, CRenderer::AdjustColor(0xFF7F7F7F, 180, 100, 50));  // half as light
    EXPECT_EQ(0x80000000u, CRenderer::AdjustColor(0x80FF0000, 180, 100, 0));   // alpha kept
}

TEST_F(Renderer, ClipsLimitDrawingAndRestoreTheOuterClip) {
    Surface s(20, 20);
    {
        CRenderClip clip;
        CRenderClip::GenerateClip(s.dc(), RECT{0, 0, 10, 10}, clip);
        CRenderer::DrawColor(s.dc(), RECT{0, 0, 20, 20}, 0xFF0000FF);
        EXPECT_EQ(0x0000FFu, s.Rgb(5, 5));
        EXPECT_EQ(0xFFFFFFu, s.Rgb(15, 15));
        clip.UseOuterClip();
        CRenderer::DrawColor(s.dc(), RECT{15, 15, 20, 20}, 0xFF00FF00);
        EXPECT_EQ(0x00FF00u, s.Rgb(17, 17));
    }
    CRenderer::DrawColor(s.dc(), RECT{10, 0, 20, 10}, 0xFFFF0000);
    EXPECT_EQ(0xFF0000u, s.Rgb(15, 5));

    Surface r(20, 20);
    {
        CRenderClip round;
        CRenderClip::GenerateRoundClip(r.dc(), RECT{0, 0, 20, 20}, RECT{0, 0, 19, 19}, 10, 10,
                                       round);
        CRenderer::DrawColor(r.dc(), RECT{0, 0, 20, 20}, 0xFF000000);
    }
    EXPECT_EQ(0xFFFFFFu, r.Rgb(0, 0));  // the rounded corner stays clear
    EXPECT_EQ(0x000000u, r.Rgb(10, 10));
}

namespace {

// GDI+ is started by the labels in the product; a text test starts it itself.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

// The bounding box of the pixels that are not white.
RECT Ink(const Surface& s, int width, int height) {
    RECT ink = {width, height, -1, -1};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (s.Rgb(x, y) == 0xFFFFFF) continue;
            ink.left = std::min<LONG>(ink.left, x);
            ink.top = std::min<LONG>(ink.top, y);
            ink.right = std::max<LONG>(ink.right, x + 1);
            ink.bottom = std::max<LONG>(ink.bottom, y + 1);
        }
    }
    return ink;
}

}  // namespace

TEST_F(Renderer, TextIsDrawnInsideItsRectangleWithItsAlignment) {
    GdiplusSession gdiplus;
    Surface s(200, 40);
    const RECT area = {10, 5, 190, 35};
    CRenderer::DrawText(s.dc(), &manager, area, "Loader", 0xFF000000, -1, DT_SINGLELINE);
    const RECT left = Ink(s, 200, 40);
    ASSERT_LT(left.left, left.right);  // something was drawn
    EXPECT_GE(left.left, area.left);
    EXPECT_LT(left.left, area.left + 10);  // near alignment
    EXPECT_LE(left.right, area.right);

    s.Fill(0xFFFFFFFF);
    CRenderer::DrawText(s.dc(), &manager, area, "Loader", 0xFF000000, -1,
                        DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    const RECT centred = Ink(s, 200, 40);
    const int middle = (centred.left + centred.right) / 2;
    EXPECT_NEAR(100, middle, 4);
    EXPECT_GT(centred.left, left.left + 20);

    // Narrow text in the double-byte code page ("正在准备安装" in GBK) is converted.
    s.Fill(0xFFFFFFFF);
    CRenderer::DrawText(s.dc(), &manager, area, "\xD5\xFD\xD4\xDA\xD7\xBC\xB1\xB8\xB0\xB2\xD7\xB0",
                        0xFF000000, 0, DT_SINGLELINE);
    const RECT wide = Ink(s, 200, 40);
    EXPECT_LT(wide.left, wide.right);

    s.Fill(0xFFFFFFFF);
    CRenderer::DrawText(s.dc(), nullptr, area, "Loader", 0xFF000000, -1, 0);
    CRenderer::DrawText(s.dc(), &manager, area, nullptr, 0xFF000000, -1, 0);
    const RECT none = Ink(s, 200, 40);
    EXPECT_GE(none.left, none.right);
}
