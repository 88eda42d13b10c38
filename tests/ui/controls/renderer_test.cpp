// The renderer, checked pixel by pixel in memory device contexts under wine: picture loading
// (premultiplied, mask, gray, resources, the resource zip) and the manager's picture cache;
// image descriptors (several files, dest cut, fade, nine-grid corners, hole, tiling, the
// progress bar's modifier, the paint rectangle); colours, gradients, lines and rectangles;
// the fallback blend; colour adjustment; clips; text; and the return of every GDI handle.
#include <gtest/gtest.h>
#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <memory>
#include <string>
#include <vector>

#include "canvas.h"
#include "tests/support/test_env.h"
#include "ui/controls/CRenderer.h"
#include "ui/controls/Msimg32.h"
#include "ui/core/CWindowManagerUI.h"
#include "ui/core/GdiHandle.h"

namespace SkinUI {
namespace {

using testing_canvas::CCanvas;
using testing_canvas::MakePng;
using testing_canvas::Near;
using testing_canvas::WriteTempPng;

class Renderer : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowManagerUI::SetInstance(GetModuleHandleA(nullptr));
        CWindowManagerUI::SetResourcePath("");
        CWindowManagerUI::SetResourceZip("");
        { CWindowManagerUI first; }  // process-wide objects are made by the first manager
        liveAtStart_ = GdiLiveCount();
        Fresh();
    }
    void TearDown() override {
        manager_.reset();
        CWindowManagerUI::SetResourcePath("");
        EXPECT_EQ(GdiLiveCount(), liveAtStart_) << "GDI objects left behind";
    }
    // A new manager, so pictures are loaded again instead of coming from the cache.
    void Fresh() {
        manager_.reset();
        manager_ = std::make_unique<CWindowManagerUI>();
    }
    // The committed pictures of the fixtures folder become the resource path.
    static void UseFixtures() {
        CWindowManagerUI::SetResourcePath("Z:" + testenv::Env("LOADER_TEST_FIXTURES") + "/");
    }
    // Stores a picture as a file under the manager's resource path.
    static void AddPicture(const std::string& name, int w, int h,
                           const std::vector<uint32_t>& argb) {
        CWindowManagerUI::SetResourcePath(WriteTempPng(name, MakePng(w, h, argb)));
    }
    bool Draw(CCanvas& c, const RECT& bounds, const char* desc, const char* mod = nullptr) {
        const RECT paint = {0, 0, c.width(), c.height()};
        return CRenderer::DrawImageString(c.dc(), manager_.get(), bounds, paint, desc, mod);
    }
    static const DWORD* Pixels(const TImageInfo& image) {
        DIBSECTION ds = {};
        ::GetObjectA(image.bitmap.get(), sizeof(ds), &ds);
        return static_cast<const DWORD*>(ds.dsBm.bmBits);
    }

    std::unique_ptr<CWindowManagerUI> manager_;
    long liveAtStart_ = 0;
};

uint32_t GridColor(int x, int y) {
    static const uint32_t colors[3][3] = {{0xFFFF0000, 0xFF00FF00, 0xFF0000FF},
                                          {0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF},
                                          {0xFF800000, 0xFF008000, 0xFF000080}};
    const int col = x < 5 ? 0 : x < 15 ? 1 : 2;
    const int row = y < 5 ? 0 : y < 15 ? 1 : 2;
    return colors[row][col];
}

// A 20 x 20 picture of nine coloured areas (5-pixel borders) as "grid.png".
void AddGridPicture() {
    std::vector<uint32_t> px;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) px.push_back(GridColor(x, y));
    CWindowManagerUI::SetResourcePath(WriteTempPng("grid.png", MakePng(20, 20, px)));
}

// ---- Pictures ---------------------------------------------------------------------------------

TEST_F(Renderer, PicturesLoadPremultipliedWithMaskAndGrayAndAreReleased) {
    UseFixtures();
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
    EXPECT_FALSE(CRenderer::LoadImageFromMemory("junk", 4));
    // Resource 110 of type PNG is compiled into this test program; 999 is not.
    auto resource = CRenderer::LoadImage(MAKEINTRESOURCEA(110), "PNG");
    ASSERT_TRUE(resource);
    EXPECT_EQ(4, resource->width);
    EXPECT_FALSE(CRenderer::LoadImage(MAKEINTRESOURCEA(999), "PNG"));

    // A 32-bit top-down section, deleted with its record.
    const std::string png = MakePng(2, 1, {0x80FF0000, 0xFF00FF00});
    auto memory = CRenderer::LoadImageFromMemory(png.data(), png.size());
    ASSERT_TRUE(memory);
    DIBSECTION ds = {};
    ASSERT_EQ(GetObjectA(memory->bitmap.get(), sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBmih.biBitCount, 32);
    EXPECT_EQ(ds.dsBm.bmHeight, 1);
    EXPECT_EQ(Pixels(*memory)[0], 0x80800000u);  // premultiplied
    EXPECT_EQ(Pixels(*memory)[1], 0xFF00FF00u);
    HBITMAP handle = memory->bitmap.get();
    memory.reset();
    EXPECT_EQ(GetObjectType(handle), 0u);

    // Drawn: a mask needs its alpha byte to match an opaque pixel.
    AddPicture("m.png", 2, 1, {0xFFFF00FF, 0xFF00FF00});
    CCanvas c(2, 1);
    Draw(c, {0, 0, 2, 1}, "file='m.png' mask='#FFFF00FF'");
    EXPECT_EQ(c.At(0, 0), 0xFFFFFFu);  // transparent: background stays
    EXPECT_EQ(c.At(1, 0), 0x00FF00u);
    Fresh();
    c.Fill(0xFFFFFFFF);
    Draw(c, {0, 0, 2, 1}, "file='m.png' mask='#FF00FF'");
    EXPECT_EQ(c.At(0, 0), 0xFF00FFu);
}

TEST_F(Renderer, ManagerCachesPicturesByNameAlone) {
    UseFixtures();
    const TImageInfo* first = manager_->GetImageOrLoad("pixels.png", nullptr, 0xFFFF00FF);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, manager_->GetImageOrLoad("pixels.png", nullptr, 0, true));
    EXPECT_EQ(0xFFFF00FFu, first->mask);
    EXPECT_FALSE(first->gray);
    EXPECT_EQ(nullptr, manager_->AddImage("pixels.png"));  // the name is taken
    EXPECT_EQ(first, manager_->GetImage("pixels.png"));

    // With a resource type the name must be a number, cut to 16 bits: 65646 is 110 again.
    const TImageInfo* resource = manager_->AddImage("110", "PNG");
    ASSERT_NE(nullptr, resource);
    EXPECT_EQ("PNG", resource->resType);
    EXPECT_EQ(nullptr, manager_->AddImage("abc", "PNG"));
    EXPECT_NE(nullptr, manager_->AddImage("65646", "PNG"));

    // Drawn: the mask and gray flag of the first load stay.
    AddPicture("m.png", 2, 1, {0xFFFF00FF, 0xFF00FF00});
    CCanvas c(2, 1);
    Draw(c, {0, 0, 2, 1}, "file='m.png' mask='#FFFF00FF'");
    c.Fill(0xFFFFFFFF);
    Draw(c, {0, 0, 2, 1}, "file='m.png' gray='true'");
    EXPECT_EQ(c.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(c.At(1, 0), 0x00FF00u);
    const TImageInfo* image = manager_->GetImage("m.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->mask, 0xFFFF00FFu);
    EXPECT_FALSE(image->gray);
}

TEST_F(Renderer, PicturesFromTheResourceZip) {
    const std::string zip = testing_canvas::MakeStoredZip(
        {{"Pics/Red.png", MakePng(1, 1, {0xFFFF0000})}, {"empty.png", ""}});
    CWindowManagerUI::SetResourcePath(WriteTempPng("skin.zip", zip));
    CWindowManagerUI::SetResourceZip("skin.zip");
    CCanvas c(4, 4);
    Draw(c, {0, 0, 4, 4}, "file='pics/red.png'");  // entry names match ignoring case
    EXPECT_EQ(c.At(2, 2), 0xFF0000u);
    c.Fill(0xFFFFFFFF);
    Fresh();
    Draw(c, {0, 0, 4, 4}, "file='empty.png'");
    Draw(c, {0, 0, 4, 4}, "file='absent.png'");
    EXPECT_EQ(c.CountNot({0, 0, 4, 4}, 0xFFFFFFFF), 0);
    CWindowManagerUI::SetResourceZip("");
}

TEST_F(Renderer, ResourcePicturesNeedANumberAndTheirType) {
    CCanvas c(4, 2, 0xFF000000);
    ASSERT_TRUE(Draw(c, {0, 0, 4, 2}, "res='110' restype='png'"));
    EXPECT_EQ(c.At(0, 0), 0xFF0000u);
    EXPECT_EQ(c.At(1, 0), 0x00FF00u);
    EXPECT_EQ(c.At(2, 0), 0x0000FFu);
    EXPECT_TRUE(Near(c.At(3, 0), 0x808080u, 1)) << std::hex << c.At(3, 0);
    EXPECT_EQ(c.At(0, 1), 0xFF00FFu);

    // Without a type "110" is a file name: nothing is drawn, the call still succeeds.
    Fresh();
    c.Fill(0xFF000000);
    EXPECT_TRUE(Draw(c, {0, 0, 4, 2}, "res='110'"));
    EXPECT_EQ(c.CountNot({0, 0, 4, 2}, 0), 0);

    // A resource name that is not a number loads nothing.
    EXPECT_TRUE(Draw(c, {0, 0, 4, 2}, "res='abc' restype='png'"));
    EXPECT_TRUE(Draw(c, {0, 0, 4, 2}, "res='x110' restype='png'"));
    EXPECT_EQ(c.CountNot({0, 0, 4, 2}, 0), 0);
}

TEST_F(Renderer, OnlyAMissingDeviceContextOrManagerFails) {
    CCanvas c(4, 4);
    EXPECT_FALSE(
        CRenderer::DrawImageString(nullptr, manager_.get(), {0, 0, 4, 4}, {0, 0, 4, 4}, "a.png"));
    EXPECT_FALSE(CRenderer::DrawImageString(c.dc(), nullptr, {0, 0, 4, 4}, {0, 0, 4, 4}, "a.png"));
    CRenderer::DrawBitmap(c.dc(), nullptr, {0, 0, 4, 4}, {0, 0, 4, 4}, {0, 0, 1, 1}, {}, true);
    EXPECT_EQ(c.CountNot({0, 0, 4, 4}, 0xFFFFFFFF), 0);
}

// ---- Image descriptors ------------------------------------------------------------------------

TEST_F(Renderer, TwoFilesWithOneDestDrawInOrderIntoTheSameRectangle) {
    AddPicture("a.png", 1, 1, {0xFFFF0000});
    AddPicture("b.png", 2, 1, {0xFF00FF00, 0x00000000});
    CCanvas c(20, 20);
    EXPECT_TRUE(Draw(c, {0, 0, 20, 20}, "file='a.png' dest='0,0,10,10' file='b.png'"));
    EXPECT_EQ(c.At(2, 5), 0x00FF00u);    // b's opaque half
    EXPECT_EQ(c.At(8, 5), 0xFF0000u);    // a shows through b's transparent half
    EXPECT_EQ(c.At(15, 15), 0xFFFFFFu);  // outside the dest
}

TEST_F(Renderer, DestIsCutAtTheRightEdgeButNotAtANegativeLeft) {
    std::vector<uint32_t> px(20, 0xFFFF0000);
    for (int x = 10; x < 20; ++x) px[x] = 0xFF00FF00;
    AddPicture("rg.png", 20, 1, px);
    CCanvas c(60, 20);
    Draw(c, {0, 0, 50, 20}, "file='rg.png' dest='0,0,100,20'");  // cut to 0..50
    EXPECT_EQ(c.At(5, 5), 0xFF0000u);
    EXPECT_EQ(c.At(45, 5), 0x00FF00u);
    EXPECT_EQ(c.At(55, 5), 0xFFFFFFu);

    // Unscaled, so the check does not depend on how the platform stretches across a negative
    // origin (wine's halftone StretchBlt misplaces such a source).
    std::vector<uint32_t> tall;
    for (int y = 0; y < 20; ++y) tall.insert(tall.end(), px.begin(), px.end());
    AddPicture("rg20.png", 20, 20, tall);
    c.Fill(0xFFFFFFFF);
    Draw(c, {0, 0, 50, 20}, "file='rg20.png' dest='-10,0,10,20'");
    EXPECT_EQ(c.At(0, 5), 0x00FF00u);  // the red half lies left of the control, unscaled
    EXPECT_EQ(c.At(9, 5), 0x00FF00u);
    EXPECT_EQ(c.At(10, 5), 0xFFFFFFu);
}

TEST_F(Renderer, FadeBlendsAnOpaquePicture) {
    AddPicture("red.png", 1, 1, {0xFFFF0000});
    CCanvas c(10, 10, 0xFF000000);
    Draw(c, {0, 0, 10, 10}, "file='red.png' fade='128'");
    EXPECT_TRUE(Near(c.At(5, 5), 0x800000u)) << std::hex << c.At(5, 5);
}

TEST_F(Renderer, CornersKeepTheirSizeWhileEdgesAndMiddleStretch) {
    AddGridPicture();
    CCanvas c(100, 40);
    ASSERT_TRUE(Draw(c, {0, 0, 100, 40}, "file='grid.png' corner='5,5,5,5'"));
    EXPECT_EQ(c.At(0, 0), 0xFF0000u);
    EXPECT_EQ(c.At(4, 4), 0xFF0000u);
    EXPECT_EQ(c.At(5, 2), 0x00FF00u);
    EXPECT_EQ(c.At(94, 2), 0x00FF00u);
    EXPECT_EQ(c.At(95, 0), 0x0000FFu);
    EXPECT_EQ(c.At(2, 20), 0xFFFF00u);
    EXPECT_EQ(c.At(5, 5), 0x00FFFFu);  // the 10 x 10 middle covers 90 x 30
    EXPECT_EQ(c.At(94, 34), 0x00FFFFu);
    EXPECT_EQ(c.At(97, 20), 0xFF00FFu);
    EXPECT_EQ(c.At(4, 35), 0x800000u);
    EXPECT_EQ(c.At(50, 39), 0x008000u);
    EXPECT_EQ(c.At(99, 39), 0x000080u);
}

// At twice the skin's scale the corners are drawn twice as wide, and a translucent picture that
// is stretched is smoothed: AlphaBlend alone would repeat its pixels.
TEST_F(Renderer, AtAnotherScaleCornersGrowAndTranslucentPicturesAreSmoothed) {
    AddGridPicture();
    manager_->SetDpi(192);
    CCanvas c(100, 40);
    ASSERT_TRUE(Draw(c, {0, 0, 100, 40}, "file='grid.png' corner='5,5,5,5'"));
    EXPECT_EQ(c.At(9, 9), 0xFF0000u);
    EXPECT_EQ(c.At(10, 2), 0x00FF00u);
    EXPECT_EQ(c.At(89, 2), 0x00FF00u);
    EXPECT_EQ(c.At(90, 39), 0x000080u);

    Fresh();
    AddPicture("pair.png", 2, 1, {0x80FF0000, 0xFF0000FF});
    manager_->SetDpi(192);
    CCanvas s(8, 1, 0xFF000000);
    ASSERT_TRUE(Draw(s, {0, 0, 8, 1}, "file='pair.png'"));
    const uint32_t mid = s.At(4, 0);
    EXPECT_GT((mid >> 16) & 255, 0u) << std::hex << mid;
    EXPECT_GT(mid & 255, 0u) << std::hex << mid;
    EXPECT_LT(mid & 255, 0xF0u) << std::hex << mid;
}

TEST_F(Renderer, HoleAndTilingFillTheMiddle) {
    AddGridPicture();
    CCanvas c(100, 40, 0xFF000000);
    Draw(c, {0, 0, 100, 40}, "file='grid.png' corner='5,5,5,5' hole='true'");
    EXPECT_EQ(c.At(50, 20), 0x000000u);  // with a hole the middle keeps the background
    EXPECT_EQ(c.At(50, 2), 0x00FF00u);

    // Tiles both ways from the top-left corner, the last column and row cut.
    std::vector<uint32_t> tile;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x) tile.push_back(0xFF000000u | (x << 16) | (y << 8) | 7);
    AddPicture("tile.png", 10, 5, tile);
    CCanvas t(30, 14);
    Draw(t, {0, 0, 25, 12}, "file='tile.png' xtiled='true' ytiled='true'");
    EXPECT_EQ(t.At(20, 0), 0x000007u);
    EXPECT_EQ(t.At(24, 11), (4u << 16) | (1u << 8) | 7);
    EXPECT_EQ(t.At(25, 5), 0xFFFFFFu);
    EXPECT_EQ(t.At(5, 12), 0xFFFFFFu);

    // Across only (the height stretched), and down only with a picture that has alpha.
    UseFixtures();
    CCanvas x(40, 10);
    EXPECT_TRUE(Draw(x, {0, 0, 40, 10}, "file='split.png' xtiled='true'"));
    EXPECT_EQ(0x0000FFu, x.At(1, 5));  // tiles of 15 from the left, the last one cut
    EXPECT_EQ(0xFF0000u, x.At(12, 5));
    EXPECT_EQ(0x0000FFu, x.At(16, 5));
    EXPECT_EQ(0x0000FFu, x.At(31, 5));
    EXPECT_EQ(0xFF0000u, x.At(36, 5));
    CCanvas y(10, 25);
    EXPECT_TRUE(Draw(y, {0, 0, 10, 25}, "file='halfblue.png' ytiled='true'"));
    EXPECT_EQ(0xFFFFFFu, y.At(2, 22));
    EXPECT_EQ(0x0000FFu, y.At(7, 22));
}

TEST_F(Renderer, ProgressModifierShowsThePictureUnscaled) {
    std::vector<uint32_t> px;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 378; ++x) px.push_back(0xFF000000u | (x % 256) | (x / 256) << 8);
    AddPicture("bar.png", 378, 15, px);
    CCanvas c(400, 15);
    Draw(c, {0, 0, 378, 15}, "bar.png", "dest='0,0,370,15' source='0,0,370,15'");
    EXPECT_EQ(c.At(100, 7), 100u);  // column 100 of the picture
    EXPECT_EQ(c.At(369, 14), (369u % 256) | 1u << 8);
    EXPECT_EQ(c.At(370, 7), 0xFFFFFFu);
}

TEST_F(Renderer, DrawingOutsideThePaintRectangleIsSkipped) {
    UseFixtures();
    CCanvas c(20, 20);
    EXPECT_TRUE(CRenderer::DrawImageString(c.dc(), manager_.get(), {0, 0, 10, 10}, {15, 15, 20, 20},
                                           "red.png"));
    EXPECT_EQ(0xFFFFFFu, c.At(5, 5));
}

// ---- Colours, gradients, lines and rectangles -------------------------------------------------

TEST_F(Renderer, ColoursFillOpaqueBlendHalfAndSkipTransparent) {
    CCanvas c(10, 10, 0xFF000000);
    const RECT r = {2, 2, 8, 8};
    CRenderer::DrawColor(c.dc(), r, 0x00FF0000);
    EXPECT_EQ(c.CountNot({0, 0, 10, 10}, 0), 0);
    CRenderer::DrawColor(c.dc(), r, 0xFF102030);
    EXPECT_EQ(c.At(2, 2), 0x102030u);
    EXPECT_EQ(c.At(8, 8), 0u);
    CRenderer::DrawColor(c.dc(), {0, 0, 2, 2}, 0x80FF0000);  // half red over black
    EXPECT_TRUE(Near(c.At(1, 1), 0x800000u)) << std::hex << c.At(1, 1);
    EXPECT_EQ(c.At(2, 1), 0u);
    EXPECT_EQ(GetBkColor(c.dc()), RGB(255, 255, 255));  // the opaque fill restored it
}

TEST_F(Renderer, GradientsRunFromTheFirstColourAndSkipTransparentPairs) {
    CCanvas c(10, 100, 0xFF000000);
    CRenderer::DrawGradient(c.dc(), {0, 0, 10, 100}, 0x00FF0000, 0x000000FF, true, 64);
    EXPECT_EQ(c.CountNot({0, 0, 10, 100}, 0), 0);

    CRenderer::DrawGradient(c.dc(), {0, 0, 10, 100}, 0xFFFF0000, 0xFF0000FF, true, 64);
    EXPECT_TRUE(Near(c.At(5, 0), 0xFF0000u, 8)) << std::hex << c.At(5, 0);
    EXPECT_TRUE(Near(c.At(5, 99), 0x0000FFu, 8)) << std::hex << c.At(5, 99);

    CCanvas h(100, 10, 0xFF000000);
    CRenderer::DrawGradient(h.dc(), {0, 0, 100, 10}, 0x80FFFFFF, 0x80FFFFFF, false, 64);
    // Half-strength white over black is mid grey, not white added onto the background.
    EXPECT_TRUE(Near(h.At(50, 5), 0x808080u, 2)) << std::hex << h.At(50, 5);
    h.Fill(0xFF000000);
    CRenderer::DrawGradient(h.dc(), {0, 0, 100, 10}, 0xFFFF0000, 0xFF0000FF, false, 2);
    EXPECT_TRUE(Near(h.At(0, 5), 0xFF0000u, 8)) << std::hex << h.At(0, 5);
    EXPECT_TRUE(Near(h.At(99, 5), 0x0000FFu, 8)) << std::hex << h.At(99, 5);
}

TEST_F(Renderer, LinesAndRectangles) {
    CCanvas c(20, 20);
    CRenderer::DrawLine(c.dc(), {2, 5, 15, 5}, 1, 0xFFFF0000);
    EXPECT_EQ(c.At(2, 5), 0xFF0000u);
    EXPECT_EQ(c.At(14, 5), 0xFF0000u);
    EXPECT_EQ(c.At(2, 6), 0xFFFFFFu);

    c.Fill(0xFFFFFFFF);
    CRenderer::DrawRect(c.dc(), {2, 2, 12, 12}, 2, 0xFF0000FF);
    EXPECT_EQ(c.At(2, 2), 0x0000FFu);
    EXPECT_EQ(c.At(3, 7), 0x0000FFu);
    EXPECT_EQ(c.At(11, 11), 0x0000FFu);
    EXPECT_EQ(c.At(7, 7), 0xFFFFFFu);  // not filled
    EXPECT_EQ(c.At(12, 12), 0xFFFFFFu);

    c.Fill(0xFFFFFFFF);
    CRenderer::DrawRoundRect(c.dc(), {0, 0, 20, 20}, 1, 10, 10, 0xFF00FF00);
    EXPECT_EQ(c.At(0, 0), 0xFFFFFFu);  // the corner is rounded off
    EXPECT_EQ(c.At(10, 0), 0x00FF00u);
    EXPECT_EQ(c.At(10, 10), 0xFFFFFFu);
}

TEST_F(Renderer, FallbackBlendMatchesAlphaBlend) {
    const std::string png = MakePng(4, 1, {0xFFFF0000, 0x80008000, 0x00000000, 0x40FFFFFF});
    auto image = CRenderer::LoadImageFromMemory(png.data(), png.size());
    ASSERT_TRUE(image);
    ASSERT_NE(Msimg32().alphaBlend, nullptr);
    for (BYTE fade : {255, 100}) {
        CCanvas a(8, 2, 0xFF2050A0);
        CCanvas b(8, 2, 0xFF2050A0);
        HDC mem = CreateCompatibleDC(a.dc());
        HGDIOBJ old = SelectObject(mem, image->bitmap.get());
        BLENDFUNCTION bf = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
        Msimg32().alphaBlend(a.dc(), 0, 0, 8, 2, mem, 0, 0, 4, 1, bf);
        RendererAlphaBlend(b.dc(), 0, 0, 8, 2, mem, 0, 0, 4, 1, bf);
        SelectObject(mem, old);
        DeleteDC(mem);
        for (int x = 0; x < 8; ++x)
            EXPECT_TRUE(Near(a.At(x, 1), b.At(x, 1), 1))
                << x << ": " << std::hex << a.At(x, 1) << " vs " << b.At(x, 1);
    }
}

TEST_F(Renderer, AdjustColorIsTheIdentityForTheDefaultTriple) {
    for (DWORD c : {0xFF123456u, 0x80FF0000u, 0x00000000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(c, CRenderer::AdjustColor(c, 180, 100, 100));
    }
    EXPECT_EQ(0xFF3F3F3Fu, CRenderer::AdjustColor(0xFF7F7F7F, 180, 100, 50));  // half as light
    EXPECT_EQ(0x80000000u, CRenderer::AdjustColor(0x80FF0000, 180, 100, 0));   // alpha kept
}

TEST_F(Renderer, DrawingGivesBackEveryGdiHandle) {
    UseFixtures();
    CCanvas c(40, 40);
    const int before = GdiLiveCount();
    for (int i = 0; i < 10; ++i) {
        CRenderer::DrawColor(c.dc(), RECT{0, 0, 40, 40}, 0x80FF0000);
        CRenderer::DrawGradient(c.dc(), RECT{0, 0, 40, 40}, 0x80000000, 0x80FFFFFF, true, 8);
        CRenderer::DrawLine(c.dc(), RECT{0, 0, 40, 40}, 2, 0xFF000000);
        CRenderer::DrawRect(c.dc(), RECT{0, 0, 40, 40}, 2, 0xFF000000);
        CRenderer::DrawRoundRect(c.dc(), RECT{0, 0, 40, 40}, 2, 5, 5, 0xFF000000);
        CRenderClip clip;
        CRenderClip::GenerateRoundClip(c.dc(), RECT{0, 0, 40, 40}, RECT{0, 0, 40, 40}, 4, 4, clip);
        Draw(c, RECT{0, 0, 40, 40}, "file='grid.png' corner='5,5,5,5' fade='200'");
    }
    EXPECT_EQ(before + 1, GdiLiveCount());  // only the cached picture remains
}

// ---- Clips and text ---------------------------------------------------------------------------

TEST_F(Renderer, ClipsNarrowAndRestoreTheOuterClip) {
    CCanvas c(20, 20, 0xFF000000);
    {
        CRenderClip clip;
        CRenderClip::GenerateClip(c.dc(), {5, 5, 10, 10}, clip);
        CRenderer::DrawColor(c.dc(), {0, 0, 20, 20}, 0xFFFFFFFF);
        EXPECT_EQ(c.CountNot({0, 0, 20, 20}, 0), 25);
        clip.UseOuterClip();
        CRenderer::DrawColor(c.dc(), {0, 0, 1, 1}, 0xFFFFFFFF);
        EXPECT_EQ(c.At(0, 0), 0xFFFFFFu);
        clip.UseInnerClip();
        CRenderer::DrawColor(c.dc(), {19, 19, 20, 20}, 0xFFFFFFFF);
        EXPECT_EQ(c.At(19, 19), 0u);
    }
    CRenderer::DrawColor(c.dc(), {0, 0, 20, 20}, 0xFFFF0000);
    EXPECT_EQ(c.At(19, 19), 0xFF0000u);

    c.Fill(0xFF000000);
    {
        CRenderClip clip;
        CRenderClip::GenerateRoundClip(c.dc(), {0, 0, 20, 20}, {0, 0, 19, 19}, 10, 10, clip);
        CRenderer::DrawColor(c.dc(), {0, 0, 20, 20}, 0xFFFFFFFF);
    }
    EXPECT_EQ(c.At(0, 0), 0u);  // the rounded corner stays clear
    EXPECT_EQ(c.At(10, 10), 0xFFFFFFu);
    EXPECT_EQ(c.At(10, 0), 0xFFFFFFu);
}

// GDI+ is started by the labels in the product; the text test starts it itself.
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

TEST_F(Renderer, TextIsDrawnInsideItsRectangleWithItsAlignment) {
    GdiplusSession gdiplus;
    CCanvas c(200, 40);
    const RECT area = {10, 5, 190, 35};
    CRenderer::DrawText(c.dc(), manager_.get(), area, "Loader", 0xFF000000, -1, DT_SINGLELINE);
    const RECT left = c.InkBox(0xFFFFFFFF);
    ASSERT_LT(left.left, left.right);  // something was drawn
    EXPECT_GE(left.left, area.left);
    EXPECT_LT(left.left, area.left + 10);  // near alignment
    EXPECT_LE(left.right, area.right);

    c.Fill(0xFFFFFFFF);
    CRenderer::DrawText(c.dc(), manager_.get(), area, "Loader", 0xFF000000, -1,
                        DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    const RECT centred = c.InkBox(0xFFFFFFFF);
    EXPECT_NEAR(100, (centred.left + centred.right) / 2, 4);
    EXPECT_GT(centred.left, left.left + 20);

    c.Fill(0xFFFFFFFF);
    CRenderer::DrawText(c.dc(), manager_.get(), area, "Loader", 0xFF000000, -1,
                        DT_SINGLELINE | DT_RIGHT);
    const RECT right = c.InkBox(0xFFFFFFFF);
    EXPECT_LE(right.right, area.right);
    EXPECT_GT(right.right, area.right - 15);

    // Narrow text in the double-byte code page ("正在准备安装" in GBK) is converted.
    c.Fill(0xFFFFFFFF);
    CRenderer::DrawText(c.dc(), manager_.get(), area,
                        "\xD5\xFD\xD4\xDA\xD7\xBC\xB1\xB8\xB0\xB2\xD7\xB0", 0xFF000000, 0,
                        DT_SINGLELINE);
    const RECT wide = c.InkBox(0xFFFFFFFF);
    EXPECT_LT(wide.left, wide.right);

    // No manager or no text: nothing at all.
    c.Fill(0xFFFFFFFF);
    CRenderer::DrawText(c.dc(), nullptr, {0, 0, 200, 40}, "Loader", 0xFF000000, -1, 0);
    CRenderer::DrawText(c.dc(), manager_.get(), {0, 0, 200, 40}, nullptr, 0xFF000000, -1, 0);
    EXPECT_EQ(c.CountNot({0, 0, 200, 40}, 0xFFFFFFFF), 0);
}

}  // namespace
}  // namespace SkinUI
