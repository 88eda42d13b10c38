// DrawHtmlText: markup syntax, links, alignment, wrapping, ellipsis, inline pictures and
// measuring, drawn into memory device contexts with real fonts (code page 936 under the test
// wrapper, so double-byte text is GBK).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "canvas.h"
#include "ui/controls/CRenderer.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {
namespace {

using testing_canvas::CCanvas;
using testing_canvas::MakePng;
using testing_canvas::WriteTempPng;

const uint32_t kWhite = 0xFFFFFFFF;

class HtmlText : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowManagerUI::SetInstance(GetModuleHandleA(nullptr));
        CWindowManagerUI::SetResourcePath("");
        { CWindowManagerUI first; }
        liveAtStart_ = GdiLiveCount();
        manager_ = std::make_unique<CWindowManagerUI>();
    }
    void TearDown() override {
        manager_.reset();
        EXPECT_EQ(GdiLiveCount(), liveAtStart_) << "GDI objects left behind";
    }
    void Draw(CCanvas& c, RECT rc, const char* text, UINT flags, DWORD color = 0xFF000000) {
        int none = 0;
        CRenderer::DrawHtmlText(c.dc(), manager_.get(), rc, text, color, nullptr, nullptr, none,
                                flags);
    }
    RECT Measure(const char* text, RECT rc, UINT flags = 0) {
        CCanvas c(4, 4);
        int none = 0;
        CRenderer::DrawHtmlText(c.dc(), manager_.get(), rc, text, 0xFF000000, nullptr, nullptr,
                                none, flags | DT_CALCRECT);
        return rc;
    }
    // Canvases drawn from two texts are pixel-identical.
    bool SameDrawing(const char* a, const char* b, UINT flags = DT_SINGLELINE) {
        CCanvas ca(200, 30);
        CCanvas cb(200, 30);
        Draw(ca, {0, 0, 200, 30}, a, flags);
        Draw(cb, {0, 0, 200, 30}, b, flags);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 200; ++x)
                if (ca.At(x, y) != cb.At(x, y)) return false;
        return true;
    }
    std::unique_ptr<CWindowManagerUI> manager_;
    long liveAtStart_ = 0;
};

TEST_F(HtmlText, BracketStylesAreOneSyntax) {
    EXPECT_TRUE(SameDrawing("a<b>bold</b>a", "a{b}bold{/b}a"));
    EXPECT_TRUE(SameDrawing("a<b>bold</b>a", "a{b>bold</b}a"));
    EXPECT_FALSE(SameDrawing("a<b>bold</b>a", "aboldb"));
    // Escapes draw the enclosed bracket; a bracket that starts no tag is plain text.
    EXPECT_TRUE(SameDrawing("x<{>y", "x{y"));
    EXPECT_TRUE(SameDrawing("x{<}y", "x<y"));
    EXPECT_TRUE(SameDrawing("x{>}<}>", "x>}"));
    // Unknown tags are skipped up to their closing bracket.
    EXPECT_TRUE(SameDrawing("a<q whatever>b</q>c", "abc"));
}

TEST_F(HtmlText, RawSectionsDrawMarkupLiterally) {
    const RECT raw = Measure("<r><b>x</b></r>", {0, 0, 9999, 100}, DT_SINGLELINE);
    const RECT literal = Measure("{<}b>x{<}/b>", {0, 0, 9999, 100}, DT_SINGLELINE);
    EXPECT_NEAR(raw.right, literal.right, 2);  // measured as one run versus several
    EXPECT_GT(raw.right, Measure("x", {0, 0, 9999, 100}).right * 4);
}

TEST_F(HtmlText, LinkAcrossLineBreakGivesTwoRectangles) {
    CCanvas c(120, 100);
    RECT links[4] = {};
    std::string texts[4];
    int count = 4;
    RECT rc = {0, 0, 120, 100};
    CRenderer::DrawHtmlText(c.dc(), manager_.get(), rc,
                            "go <a http://x/>here now and then again</a> end", 0xFF000000, links,
                            texts, count, DT_WORDBREAK);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(texts[0], "http://x/");
    EXPECT_EQ(texts[1], "http://x/");
    EXPECT_GT(links[0].left, 0);
    EXPECT_EQ(links[1].left, 0);
    EXPECT_EQ(links[1].top, links[0].bottom);
    EXPECT_GT(links[1].bottom, links[1].top);
    EXPECT_LE(links[0].right, 120);

    // Link pixels carry the link colour (blue by default).
    bool blue = false;
    for (int y = links[1].top; y < links[1].bottom; ++y)
        for (int x = links[1].left; x < links[1].right; ++x) {
            const uint32_t px = c.At(x, y);
            if ((px & 0xFF) > 0xC0 && (px >> 16) < 0x40) blue = true;
        }
    EXPECT_TRUE(blue);

    // Capacity 1: both links are drawn, only the first is recorded.
    count = 1;
    rc = {0, 0, 120, 100};
    CRenderer::DrawHtmlText(c.dc(), manager_.get(), rc,
                            "go <a http://x/>here now and then again</a> end", 0xFF000000, links,
                            texts, count, DT_WORDBREAK);
    EXPECT_EQ(count, 1);
}

bool HasColor(const CCanvas& c, uint32_t rgb) {
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (c.At(x, y) == rgb) return true;
    return false;
}

TEST_F(HtmlText, HoverColourFollowsMouseOverLinkRectangle) {
    CCanvas c(200, 30);
    RECT links[1] = {{0, 0, 100, 30}};
    std::string texts[1] = {"t"};
    auto draw = [&](const char* text) {
        c.Fill(kWhite);
        int count = 1;
        RECT rc = {0, 0, 200, 30};
        CRenderer::DrawHtmlText(c.dc(), manager_.get(), rc, text, 0xFF000000, links, texts, count,
                                DT_SINGLELINE);
        links[0] = {0, 0, 100, 30};
        texts[0] = "t";
    };
    // No mouse message yet: the plain link colour.
    draw("<a t>MMMM</a>");
    EXPECT_TRUE(HasColor(c, 0x0000FF));
    EXPECT_FALSE(HasColor(c, 0xD3215F));
    // The mouse over the link's rectangle: the hover colour, for that link text only. The
    // manager learns the mouse position from its window's messages.
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 200, 30, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    manager_->AttachWindow(window);
    LRESULT result = 0;
    manager_->MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), result);
    draw("<a t>MMMM</a>");
    EXPECT_TRUE(HasColor(c, 0xD3215F));
    EXPECT_FALSE(HasColor(c, 0x0000FF));
    draw("<a u>MMMM</a>");
    EXPECT_TRUE(HasColor(c, 0x0000FF));
    // Outside every rectangle again.
    manager_->MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM(150, 5), result);
    draw("<a t>MMMM</a>");
    EXPECT_FALSE(HasColor(c, 0xD3215F));
    manager_.reset();
    DestroyWindow(window);
}

TEST_F(HtmlText, SingleLineCentredIsMeasuredThenCentred) {
    const char* text = "<b>Centre</b> me";
    const RECT extent = Measure(text, {0, 0, 9999, 100}, DT_SINGLELINE);
    const int ew = extent.right - extent.left;
    const int eh = extent.bottom - extent.top;
    ASSERT_GT(ew, 20);
    CCanvas c(300, 100);
    Draw(c, {0, 0, 300, 100}, text, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    const RECT ink = c.InkBox(kWhite);
    EXPECT_GE(ink.left, 150 - ew / 2);
    EXPECT_LE(ink.right, 150 - ew / 2 + ew);
    EXPECT_LE(ink.left - (150 - ew / 2), 3);
    EXPECT_GE(ink.top, 50 - eh / 2);
    EXPECT_LE(ink.bottom, 50 - eh / 2 + eh);

    c.Fill(kWhite);
    Draw(c, {0, 0, 300, 100}, text, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    const RECT right = c.InkBox(kWhite);
    EXPECT_GE(right.left, 300 - ew);
    EXPECT_GE(right.top, 100 - eh);
}

// Bounding box of the pixels of one colour inside `area` (empty when none).
RECT ColorBox(const CCanvas& c, RECT area, uint32_t rgb) {
    RECT box = {area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (c.At(x, y) == rgb) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

TEST_F(HtmlText, WrappedLinesAndTheirLinksFollowTheAlignment) {
    const int w = Measure("alpha", {0, 0, 9999, 100}).right;
    const int space =
        Measure("a a", {0, 0, 9999, 100}).right - 2 * Measure("a", {0, 0, 9999, 100}).right;
    const int line = Measure("a", {0, 0, 9999, 100}).bottom;
    // Two words fit on the first line, which is cut before the third.
    const int width = 2 * w + space + w * 3 / 4;
    CCanvas c(width, 3 * line);
    Draw(c, {0, 0, width, 3 * line}, "alpha alpha alpha", DT_WORDBREAK | DT_RIGHT);
    const RECT right = ColorBox(c, {0, 0, width, line}, 0x000000);
    EXPECT_GE(right.right, width - space - 2);
    c.Fill(kWhite);
    Draw(c, {0, 0, width, 3 * line}, "alpha alpha alpha", DT_WORDBREAK | DT_CENTER);
    const RECT centre = ColorBox(c, {0, 0, width, line}, 0x000000);
    EXPECT_LE(std::abs((centre.left - 0) - (width - centre.right)), space + 2);

    // Link rectangles lie where the (underlined, blue) link is drawn, on a cut line as well.
    for (UINT align : {UINT{DT_CENTER}, UINT{DT_RIGHT}}) {
        c.Fill(kWhite);
        RECT links[2] = {};
        std::string texts[2];
        int count = 2;
        RECT rc = {0, 0, width, 3 * line};
        CRenderer::DrawHtmlText(c.dc(), manager_.get(), rc, "<a t>alpha alpha alpha</a>",
                                0xFF000000, links, texts, count, DT_WORDBREAK | align);
        ASSERT_EQ(count, 2);
        for (const RECT& link : links) {
            const RECT drawn = ColorBox(c, {0, link.top, width, link.bottom}, 0x0000FF);
            ASSERT_LT(drawn.left, drawn.right);
            EXPECT_LE(std::abs(drawn.left - link.left), 1) << align;
            EXPECT_LE(std::abs(drawn.right - link.right), 1) << align;
        }
    }
}

TEST_F(HtmlText, LineBreaksAndSingleLine) {
    const RECT one = Measure("a", {0, 0, 9999, 100});
    const int lineHeight = one.bottom - one.top;
    ASSERT_GT(lineHeight, 5);
    EXPECT_EQ(Measure("a<n>b", {0, 0, 9999, 100}).bottom, 2 * lineHeight);
    EXPECT_EQ(Measure("a\nb", {0, 0, 9999, 100}).bottom, 2 * lineHeight);
    EXPECT_EQ(Measure("a<n>b", {0, 0, 9999, 100}, DT_SINGLELINE).bottom, lineHeight);
    // A paragraph starts a new line and adds its spacing to that line's height.
    EXPECT_EQ(Measure("a<p 6>b</p>c", {0, 0, 9999, 100}).bottom, 3 * lineHeight + 6);
    // y sets the line height; x skips pixels.
    EXPECT_EQ(Measure("<y 40>a", {0, 0, 9999, 100}).bottom, 40);
    const RECT skip = Measure("<x 30>a", {0, 0, 9999, 100});
    EXPECT_EQ(skip.right, 30 + one.right);
}

TEST_F(HtmlText, InlinePictureFrames) {
    std::vector<uint32_t> px;
    const uint32_t frames[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) px.push_back(frames[x / 2]);
    CWindowManagerUI::SetResourcePath(WriteTempPng("frames.png", MakePng(8, 2, px)));
    CCanvas c(50, 20);
    Draw(c, {0, 0, 50, 20}, "<i frames.png 4 5>", 0);  // index out of range: frame 0
    const RECT ink = c.InkBox(kWhite);
    EXPECT_EQ(ink.right - ink.left, 2);
    EXPECT_EQ(c.At(ink.left, ink.top), 0xFF0000u);

    c.Fill(kWhite);
    Draw(c, {0, 0, 50, 20}, "<i file='frames.png' 4 2>", 0);
    const RECT ink2 = c.InkBox(kWhite);
    EXPECT_EQ(c.At(ink2.left, ink2.top), 0x0000FFu);

    // A picture taller than the text raises its line.
    CWindowManagerUI::SetResourcePath(
        WriteTempPng("tall.png", MakePng(1, 40, std::vector<uint32_t>(40, 0xFF000000))));
    EXPECT_EQ(Measure("a<i tall.png>b", {0, 0, 9999, 100}).bottom, 40);
    // Measured: one frame wide; a missing picture is skipped.
    EXPECT_EQ(Measure("<i frames.png 4>", {0, 0, 9999, 100}).right, 2);
    EXPECT_EQ(Measure("<i missing.png 4>a", {0, 0, 9999, 100}).right,
              Measure("a", {0, 0, 9999, 100}).right);
}

TEST_F(HtmlText, EndEllipsisLandsAtTheRightEdge) {
    const std::string text = "a long line of text that cannot fit here";
    // The cut drawing must be some whole-character prefix (with "..." when asked for) drawn
    // unclipped in a wide rectangle: then nothing of it was lost to the clip at 100.
    CCanvas cut(300, 30);
    CCanvas whole(300, 30);
    auto prefixThatMatches = [&](const char* suffix) {
        for (size_t n = 0; n <= text.size(); ++n) {
            whole.Fill(kWhite);
            Draw(whole, {0, 0, 300, 30}, (text.substr(0, n) + suffix).c_str(), DT_SINGLELINE);
            bool same = true;
            for (int y = 0; y < 30 && same; ++y)
                for (int x = 0; x < 300 && same; ++x) same = cut.At(x, y) == whole.At(x, y);
            if (same) return static_cast<int>(n);
        }
        return -1;
    };
    Draw(cut, {0, 0, 100, 30}, text.c_str(), DT_SINGLELINE | DT_END_ELLIPSIS);
    const RECT ink = cut.InkBox(kWhite);
    EXPECT_GT(ink.right, 85);
    const int withDots = prefixThatMatches("...");
    ASSERT_GT(withDots, 0);
    EXPECT_LE(Measure((text.substr(0, withDots) + "...").c_str(), {0, 0, 9999, 100}).right, 100);
    // Without the flag the text is cut at the last character that fits.
    cut.Fill(kWhite);
    Draw(cut, {0, 0, 100, 30}, text.c_str(), DT_SINGLELINE);
    const int plain = prefixThatMatches("");
    ASSERT_GT(plain, withDots);
    EXPECT_LE(Measure(text.substr(0, plain).c_str(), {0, 0, 9999, 100}).right, 100);
    EXPECT_GT(Measure(text.substr(0, plain + 1).c_str(), {0, 0, 9999, 100}).right, 100);
}

TEST_F(HtmlText, EndEllipsisStillPutsACharacterOnEachLine) {
    // Narrower than one character and "...": every line still takes one character, so
    // measuring ends, and so does the measuring that centred drawing starts with.
    const RECT one = Measure("a", {0, 0, 9999, 100});
    const RECT r = Measure("abcdef", {0, 0, 3, 9999}, DT_WORDBREAK | DT_END_ELLIPSIS);
    EXPECT_EQ(r.bottom, 6 * (one.bottom - one.top));
    CCanvas c(40, 200);
    Draw(c, {0, 0, 3, 200}, "abcdef", DT_WORDBREAK | DT_END_ELLIPSIS | DT_CENTER);
    EXPECT_GT(c.CountNot({0, 0, 3, 200}, kWhite), 0);
}

TEST_F(HtmlText, DoubleByteTextWrapsOnCharacterBoundaries) {
    // "正在准备安装" in GBK, several times: every line holds whole characters only.
    std::string gbk;
    for (int i = 0; i < 6; ++i) gbk += "\xD5\xFD\xD4\xDA\xD7\xBC\xB1\xB8\xB0\xB2\xD7\xB0";
    const RECT one = Measure("\xD5\xFD", {0, 0, 9999, 100});
    const int charWidth = one.right;
    ASSERT_GT(charWidth, 4);
    for (int width : {50, 77, 101}) {
        const RECT r = Measure(gbk.c_str(), {0, 0, width, 1000}, DT_WORDBREAK);
        EXPECT_LE(r.right, width);
        EXPECT_EQ(r.right % charWidth, 0) << "width " << width;
        const int perLine = width / charWidth;
        const int lines = (36 + perLine - 1) / perLine;
        EXPECT_EQ(r.bottom, lines * (one.bottom - one.top)) << "width " << width;
    }
}

TEST_F(HtmlText, TagArgumentsEndOnlyAtACharacterThatIsABracket) {
    // A GBK character whose trail byte is "}" inside a link text stays in the link text.
    CCanvas c(120, 30);
    RECT links[1] = {};
    std::string texts[1];
    int count = 1;
    RECT rc = {0, 0, 120, 30};
    CRenderer::DrawHtmlText(c.dc(), manager_.get(), rc, "<a \xD5\x7D>x</a>", 0xFF000000, links,
                            texts, count, DT_SINGLELINE);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(texts[0], "\xD5\x7D");
}

TEST_F(HtmlText, WordBreakKeepsWordsWhole) {
    const RECT word = Measure("alpha", {0, 0, 9999, 100});
    const int w = word.right;
    const int space =
        Measure("a a", {0, 0, 9999, 100}).right - 2 * Measure("a", {0, 0, 9999, 100}).right;
    const int line = word.bottom - word.top;
    // Room for two words and a space: the third word goes whole onto the second line.
    RECT r = Measure("alpha alpha alpha", {0, 0, w * 2 + space + 2, 100}, DT_WORDBREAK);
    EXPECT_EQ(r.bottom, 2 * line);
    // Room for one and a half words: one word per line, none split.
    r = Measure("alpha alpha alpha", {0, 0, w + w / 2, 100}, DT_WORDBREAK);
    EXPECT_EQ(r.bottom, 3 * line);
    EXPECT_LE(r.right, w + space);
}

TEST_F(HtmlText, ColourSelectionAndFontTags) {
    CCanvas c(200, 30);
    Draw(c, {0, 0, 200, 30}, "<c #FFFF0000>MMM</c>", DT_SINGLELINE);
    bool red = false;
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 30; ++y)
            if (c.At(x, y) == 0xFF0000u) red = true;
    EXPECT_TRUE(red);

    c.Fill(kWhite);
    Draw(c, {0, 0, 200, 30}, "<s>MM</s>", DT_SINGLELINE);
    EXPECT_GT(c.CountNot({0, 0, 200, 30}, 0xFFBAE4FF), 0);
    bool selectedBk = false;
    for (int x = 0; x < 30; ++x)
        if (c.At(x, 2) == 0xBAE4FFu) selectedBk = true;
    EXPECT_TRUE(selectedBk);

    // A face and size make a table font once; the same font again is found, not added.
    const int before = manager_->GetFontCount();
    Measure("<f Tahoma 20 bold>X</f>", {0, 0, 9999, 100});
    Measure("<f Tahoma 20 bold>X</f>", {0, 0, 9999, 100});
    EXPECT_EQ(manager_->GetFontCount(), before + 1);
    const RECT big = Measure("<f Tahoma 20 bold>X</f>", {0, 0, 9999, 100});
    EXPECT_GT(big.bottom, Measure("X", {0, 0, 9999, 100}).bottom);
    // A font index outside the table means the default font.
    EXPECT_EQ(Measure("<f 7>X</f>", {0, 0, 9999, 100}).right,
              Measure("X", {0, 0, 9999, 100}).right);
}

TEST_F(HtmlText, NothingForMissingInputs) {
    CCanvas c(50, 20);
    RECT links[1];
    std::string texts[1];
    int count = 1;
    RECT rc = {0, 0, 50, 20};
    CRenderer::DrawHtmlText(c.dc(), nullptr, rc, "abc", 0xFF000000, links, texts, count, 0);
    EXPECT_EQ(count, 0);
    count = 1;
    CRenderer::DrawHtmlText(c.dc(), manager_.get(), rc, nullptr, 0xFF000000, links, texts, count,
                            0);
    RECT empty = {0, 0, 0, 20};
    CRenderer::DrawHtmlText(c.dc(), manager_.get(), empty, "abc", 0xFF000000, links, texts, count,
                            0);
    EXPECT_EQ(c.CountNot({0, 0, 50, 20}, kWhite), 0);
    // Unclosed tags stay in effect to the end; stray closing tags do not break the stacks.
    Draw(c, {0, 0, 50, 20}, "</b></c></f><b>x", 0);
    EXPECT_GT(c.CountNot({0, 0, 50, 20}, kWhite), 0);
}

// Random markup from tag-like pieces (unbalanced, truncated, nested, double-byte halves):
// every call must end, stay inside its rectangle and report at most the capacity of links.
TEST_F(HtmlText, RandomMarkupIsHandledSafely) {
    const char* pieces[] = {"<",     "{",     ">",       "}",     "/",     "a",
                            "b",     "i",     "p",       "r",     "s",     "x",
                            "y",     "f",     "c",       " ",     "\n",    "<a t>",
                            "</a>",  "<b>",   "{/b}",    "<p 3>", "</p}",  "<i frames.png 4 9>",
                            "<i>",   "</i>",  "<x -50>", "<y 0>", "<f 0>", "<f Tahoma 900 italic>",
                            "<c #>", "<r>",   "{/r>",    "<s>",   "<n>",   "\xD5\xFD",
                            "\xD5",  "word ", "<q>",     "<{>",   "{<}"};
    unsigned seed = 12345;
    CCanvas c(120, 60);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const int count = 1 + static_cast<int>(seed % 30);
        for (int i = 0; i < count; ++i) {
            seed = seed * 1103515245u + 12345u;
            text += pieces[(seed >> 16) % (sizeof(pieces) / sizeof(pieces[0]))];
        }
        const UINT flags[] = {0, DT_WORDBREAK, DT_SINGLELINE | DT_END_ELLIPSIS,
                              DT_CENTER | DT_VCENTER, DT_WORDBREAK | DT_RIGHT | DT_BOTTOM};
        RECT links[2];
        std::string texts[2];
        int n = 2;
        RECT rc = {10, 10, 110, 50};
        c.Fill(kWhite);
        CRenderer::DrawHtmlText(c.dc(), manager_.get(), rc, text.c_str(), 0xFF000000, links, texts,
                                n, flags[round % 5]);
        ASSERT_LE(n, 2) << text;
        ASSERT_EQ(c.CountNot({0, 0, 120, 10}, kWhite), 0) << text;
        ASSERT_EQ(c.CountNot({0, 50, 120, 60}, kWhite), 0) << text;
        RECT calc = {0, 0, 100, 40};
        int none = 0;
        CRenderer::DrawHtmlText(c.dc(), manager_.get(), calc, text.c_str(), 0xFF000000, nullptr,
                                nullptr, none, DT_CALCRECT | DT_WORDBREAK);
        ASSERT_LE(calc.right, 100) << text;
    }
}

TEST_F(HtmlText, DrawingStaysInsideTheRectangle) {
    CCanvas c(100, 60);
    Draw(c, {10, 10, 60, 30}, "lots of text here that keeps going and going and going",
         DT_WORDBREAK);
    EXPECT_EQ(c.CountNot({0, 0, 100, 10}, kWhite), 0);
    EXPECT_EQ(c.CountNot({0, 30, 100, 60}, kWhite), 0);
    EXPECT_EQ(c.CountNot({60, 0, 100, 60}, kWhite), 0);
    EXPECT_GT(c.CountNot({10, 10, 60, 30}, kWhite), 0);
    // The clip is given back afterwards.
    CRenderer::DrawColor(c.dc(), {0, 0, 100, 60}, 0xFF000000);
    EXPECT_EQ(c.CountNot({0, 0, 100, 60}, 0xFF000000), 0);
}

}  // namespace
}  // namespace SkinUI
