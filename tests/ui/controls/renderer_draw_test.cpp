// Renderer drawing checked pixel by pixel in memory device contexts: descriptors, nine-grid,
// masks, fades, resources, colours, gradients, lines, rectangles, clips and the fallback blend.
#include <gtest/gtest.h>

#include "canvas.h"
#include "ui/controls/CRenderer.h"
#include "ui/controls/Msimg32.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {
namespace {

using testing_canvas::CCanvas;
using testing_canvas::MakePng;
using testing_canvas::Near;
using testing_canvas::WriteTempPng;

class RendererDraw : public ::testing::Test {
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
        EXPECT_EQ(GdiLiveCount(), liveAtStart_) << "GDI objects left behind";
    }
    // A new manager, so pictures are loaded again instead of coming from the cache.
    void Fresh() {
        manager_.reset();
        manager_ = std::make_unique<CWindowManagerUI>();
    }
    // Stores a picture as a file under the manager's resource path.
    void AddPicture(const std::string& name, int w, int h, const std::vector<uint32_t>& argb) {
        CWindowManagerUI::SetResourcePath(WriteTempPng(name, MakePng(w, h, argb)));
    }
    bool Draw(CCanvas& c, const RECT& bounds, const char* desc, const char* mod = nullptr) {
        const RECT paint = {0, 0, c.width(), c.height()};
        return CRenderer::DrawImageString(c.dc(), manager_.get(), bounds, paint, desc, mod);
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

TEST_F(RendererDraw, NineGridCornersKeepTheirSize) {
    std::vector<uint32_t> px;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) px.push_back(GridColor(x, y));
    AddPicture("grid.png", 20, 20, px);
    CCanvas c(100, 40);
    ASSERT_TRUE(Draw(c, {0, 0, 100, 40}, "file='grid.png' corner='5,5,5,5'"));
    EXPECT_EQ(c.At(0, 0), 0xFF0000u);
    EXPECT_EQ(c.At(4, 4), 0xFF0000u);
    EXPECT_EQ(c.At(5, 2), 0x00FF00u);
    EXPECT_EQ(c.At(94, 2), 0x00FF00u);
    EXPECT_EQ(c.At(95, 0), 0x0000FFu);
    EXPECT_EQ(c.At(2, 20), 0xFFFF00u);
    EXPECT_EQ(c.At(5, 5), 0x00FFFFu);
    EXPECT_EQ(c.At(94, 34), 0x00FFFFu);
    EXPECT_EQ(c.At(97, 20), 0xFF00FFu);
    EXPECT_EQ(c.At(4, 35), 0x800000u);
    EXPECT_EQ(c.At(50, 39), 0x008000u);
    EXPECT_EQ(c.At(99, 39), 0x000080u);

    // With a hole the middle keeps the background.
    Fresh();
    c.Fill(0xFF000000);
    Draw(c, {0, 0, 100, 40}, "file='grid.png' corner='5,5,5,5' hole='true'");
    EXPECT_EQ(c.At(50, 20), 0x000000u);
    EXPECT_EQ(c.At(50, 2), 0x00FF00u);
}

TEST_F(RendererDraw, MaskNeedsAlphaByte) {
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

TEST_F(RendererDraw, CacheKeysPicturesByNameOnly) {
    AddPicture("m.png", 2, 1, {0xFFFF00FF, 0xFF00FF00});
    CCanvas c(2, 1);
    Draw(c, {0, 0, 2, 1}, "file='m.png' mask='#FFFF00FF'");
    c.Fill(0xFFFFFFFF);
    Draw(c, {0, 0, 2, 1}, "file='m.png' gray='true'");  // mask and gray of the first load stay
    EXPECT_EQ(c.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(c.At(1, 0), 0x00FF00u);
    const TImageInfo* image = manager_->GetImage("m.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->mask, 0xFFFF00FFu);
    EXPECT_FALSE(image->gray);
}

TEST_F(RendererDraw, PicturesFromTheResourceZip) {
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

TEST_F(RendererDraw, FadeBlendsOpaquePicture) {
    AddPicture("red.png", 1, 1, {0xFFFF0000});
    CCanvas c(10, 10, 0xFF000000);
    Draw(c, {0, 0, 10, 10}, "file='red.png' fade='128'");
    EXPECT_TRUE(Near(c.At(5, 5), 0x800000u)) << std::hex << c.At(5, 5);
}

TEST_F(RendererDraw, ResourceNumberAndType) {
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
    EXPECT_EQ(c.CountNot({0, 0, 4, 2}, 0), 0);
}

TEST_F(RendererDraw, TwoFilesShareOneDest) {
    AddPicture("a.png", 1, 1, {0xFFFF0000});
    AddPicture("b.png", 2, 1, {0xFF00FF00, 0x00000000});
    CCanvas c(20, 20);
    Draw(c, {0, 0, 20, 20}, "file='a.png' dest='0,0,10,10' file='b.png'");
    EXPECT_EQ(c.At(2, 5), 0x00FF00u);    // b's opaque half
    EXPECT_EQ(c.At(8, 5), 0xFF0000u);    // a shows through b's transparent half
    EXPECT_EQ(c.At(15, 15), 0xFFFFFFu);  // outside the dest
}

TEST_F(RendererDraw, DestCutAtRightNotAtNegativeLeft) {
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

TEST_F(RendererDraw, ProgressModifierShowsLeftPartUnscaled) {
    std::vector<uint32_t> px;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 378; ++x) px.push_back(0xFF000000u | (x % 256) | (x / 256) << 8);
    AddPicture("bar.png", 378, 15, px);
    CCanvas c(378, 15);
    Draw(c, {0, 0, 378, 15}, "file='bar.png'", "dest='0,0,370,15' source='0,0,370,15'");
    EXPECT_EQ(c.At(100, 7), 100u);
    EXPECT_EQ(c.At(369, 14), (369u % 256) | 1u << 8);
    EXPECT_EQ(c.At(370, 7), 0xFFFFFFu);
}

TEST_F(RendererDraw, TilesRepeatAndAreCut) {
    std::vector<uint32_t> px;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x) px.push_back(0xFF000000u | (x << 16) | (y << 8) | 7);
    AddPicture("tile.png", 10, 5, px);
    CCanvas c(30, 14);
    Draw(c, {0, 0, 25, 12}, "file='tile.png' xtiled='true' ytiled='true'");
    EXPECT_EQ(c.At(20, 0), 0x000007u);
    EXPECT_EQ(c.At(24, 11), (4u << 16) | (1u << 8) | 7);
    EXPECT_EQ(c.At(25, 5), 0xFFFFFFu);
    EXPECT_EQ(c.At(5, 12), 0xFFFFFFu);
}

TEST_F(RendererDraw, PictureBitmapIsReleased) {
    const std::string png = MakePng(2, 1, {0x80FF0000, 0xFF00FF00});
    auto image = CRenderer::LoadImageFromMemory(png.data(), png.size());
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->hasAlpha);
    EXPECT_EQ(image->width, 2);
    DIBSECTION ds = {};
    ASSERT_EQ(GetObjectA(image->bitmap.get(), sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBmih.biBitCount, 32);
    EXPECT_EQ(ds.dsBm.bmHeight, 1);
    const uint32_t* bits = static_cast<const uint32_t*>(ds.dsBm.bmBits);
    EXPECT_EQ(bits[0], 0x80800000u);  // premultiplied
    EXPECT_EQ(bits[1], 0xFF00FF00u);
    HBITMAP handle = image->bitmap.get();
    image.reset();
    EXPECT_EQ(GetObjectType(handle), 0u);

    EXPECT_FALSE(CRenderer::LoadImageFromMemory("junk", 4));
    EXPECT_FALSE(CRenderer::LoadImage("no-such-file.png"));
    EXPECT_FALSE(CRenderer::LoadImage(MAKEINTRESOURCEA(999), "PNG"));
}

TEST_F(RendererDraw, ColorFills) {
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

TEST_F(RendererDraw, Gradients) {
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

TEST_F(RendererDraw, LinesAndRectangles) {
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

TEST_F(RendererDraw, ClipsNarrowAndRestore) {
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
    EXPECT_EQ(c.At(0, 0), 0u);
    EXPECT_EQ(c.At(10, 10), 0xFFFFFFu);
    EXPECT_EQ(c.At(10, 0), 0xFFFFFFu);
}

TEST_F(RendererDraw, FallbackBlendMatchesAlphaBlend) {
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

TEST_F(RendererDraw, DrawTextStaysInItsRectangleAndAligns) {
    CCanvas c(200, 40);
    CRenderer::DrawText(c.dc(), manager_.get(), {10, 5, 190, 35}, "Hello", 0xFF000000, -1,
                        DT_SINGLELINE);
    RECT left = c.InkBox(0xFFFFFFFF);
    ASSERT_GT(left.right, left.left);
    EXPECT_GE(left.left, 10);
    EXPECT_LT(left.left, 20);

    c.Fill(0xFFFFFFFF);
    CRenderer::DrawText(c.dc(), manager_.get(), {10, 5, 190, 35}, "Hello", 0xFF000000, -1,
                        DT_SINGLELINE | DT_RIGHT);
    RECT right = c.InkBox(0xFFFFFFFF);
    EXPECT_LE(right.right, 190);
    EXPECT_GT(right.right, 175);

    // No manager or no text: nothing at all.
    c.Fill(0xFFFFFFFF);
    CRenderer::DrawText(c.dc(), nullptr, {0, 0, 200, 40}, "Hello", 0xFF000000, -1, 0);
    CRenderer::DrawText(c.dc(), manager_.get(), {0, 0, 200, 40}, nullptr, 0xFF000000, -1, 0);
    EXPECT_EQ(c.CountNot({0, 0, 200, 40}, 0xFFFFFFFF), 0);
}

TEST_F(RendererDraw, NullArgumentsDoNothing) {
    CCanvas c(4, 4);
    EXPECT_FALSE(
        CRenderer::DrawImageString(nullptr, manager_.get(), {0, 0, 4, 4}, {0, 0, 4, 4}, "a.png"));
    EXPECT_FALSE(CRenderer::DrawImageString(c.dc(), nullptr, {0, 0, 4, 4}, {0, 0, 4, 4}, "a.png"));
    CRenderer::DrawBitmap(c.dc(), nullptr, {0, 0, 4, 4}, {0, 0, 4, 4}, {0, 0, 1, 1}, {}, true);
    EXPECT_EQ(c.CountNot({0, 0, 4, 4}, 0xFFFFFFFF), 0);
}

}  // namespace
}  // namespace SkinUI
