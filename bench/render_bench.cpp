// Renderer benchmark (windows tree, run under wine by bench/render.sh):
//   1. The loader's pictures (a full-window background with transparent corners, a 538 x 355
//      picture and a progress bar's fore image with a dest/source modifier) drawn through
//      image descriptors into an offscreen surface, against the bare GDI/AlphaBlend calls that
//      draw the same pixels: milliseconds per frame and the ratio.
//   2. A 2,000-character marked-up text (fonts, colours, links, an inline picture) measured and
//      drawn into a 400-pixel-wide rectangle: microseconds per call and exact text-extent
//      measurements per call and per line.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/controls/CRenderer.h"
#include "ui/controls/Msimg32.h"
#include "ui/core/CWindowManagerUI.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

using namespace SkinUI;
using Clock = std::chrono::steady_clock;

namespace {

void Append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
}

// A picture file in the temporary folder; `alphaCorners` makes the corners transparent.
void WritePicture(const std::string& path, int w, int h, bool alphaCorners) {
    std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
            p[0] = static_cast<unsigned char>(x);
            p[1] = static_cast<unsigned char>(y);
            p[2] = static_cast<unsigned char>(x + y);
            const bool corner = (x < 6 || x >= w - 6) && (y < 6 || y >= h - 6);
            p[3] = alphaCorners && corner ? 0 : 255;
        }
    std::string png;
    stbi_write_png_to_func(Append, &png, w, h, 4, rgba.data(), w * 4);
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(png.data(), 1, png.size(), f);
    std::fclose(f);
}

template <class F>
double BestMs(int rounds, int reps, F f) {
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        const auto t0 = Clock::now();
        for (int i = 0; i < reps; ++i) f();
        const double ms =
            std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / reps;
        if (ms < best) best = ms;
    }
    return best;
}

}  // namespace

int main() {
    CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    char tmp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, tmp);
    const std::string dir = std::string(tmp) + "render_bench\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    WritePicture(dir + "bg.png", 541, 402, true);
    WritePicture(dir + "pic.png", 538, 355, false);
    WritePicture(dir + "bar.png", 378, 15, false);
    WritePicture(dir + "icon.png", 64, 16, true);
    CWindowManagerUI::SetResourcePath(dir);
    CWindowManagerUI manager;

    HDC screen = ::GetDC(nullptr);
    HDC off = ::CreateCompatibleDC(screen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 541;
    bmi.bmiHeader.biHeight = -402;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP surface = ::CreateDIBSection(off, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldSurface = ::SelectObject(off, surface);

    const RECT window = {0, 0, 541, 402};
    const RECT picRect = {2, 2, 540, 357};
    const RECT barRect = {100, 370, 478, 385};
    auto framework = [&] {
        CRenderer::DrawImageString(off, &manager, window, window, "file='bg.png'");
        CRenderer::DrawImageString(off, &manager, picRect, window, "pic.png");
        CRenderer::DrawImageString(off, &manager, barRect, window, "file='bar.png'",
                                   "dest='0,0,370,15' source='0,0,370,15'");
    };
    framework();  // loads and caches the pictures
    const TImageInfo* bgImage = manager.GetImage("bg.png");
    const TImageInfo* picImage = manager.GetImage("pic.png");
    const TImageInfo* barImage = manager.GetImage("bar.png");
    HDC mem = ::CreateCompatibleDC(off);
    auto bare = [&] {
        BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        HGDIOBJ old = ::SelectObject(mem, bgImage->bitmap.get());
        Msimg32().alphaBlend(off, 0, 0, 541, 402, mem, 0, 0, 541, 402, bf);
        ::SelectObject(mem, picImage->bitmap.get());
        ::BitBlt(off, 2, 2, 538, 355, mem, 0, 0, SRCCOPY);
        ::SelectObject(mem, barImage->bitmap.get());
        ::BitBlt(off, 100, 370, 370, 15, mem, 0, 0, SRCCOPY);
        ::SelectObject(mem, old);
    };
    const double frameworkMs = BestMs(15, 20, framework);
    const double bareMs = BestMs(15, 20, bare);
    std::printf("pictures: framework %.3f ms/frame, bare GDI %.3f ms/frame, ratio %.2f\n",
                frameworkMs, bareMs, frameworkMs / bareMs);

    // Markup text of about 2,000 characters: once with a tag every few words, once as prose
    // with a tag every few lines. Exact measurements follow the runs between tags, so the
    // sparse text shows the estimate keeping them near one per line.
    auto measureMarkup = [&](const char* label, const char* const* pieces, int pieceCount) {
        std::string text;
        for (int i = 0; text.size() < 2000; ++i) text += pieces[i % pieceCount];
        RECT links[64];
        std::string linkTexts[64];
        int count = 64;
        RECT calc = {0, 0, 400, 10000};
        CRenderer::DrawHtmlText(off, &manager, calc, text.c_str(), 0xFF000000, links, linkTexts,
                                count, DT_WORDBREAK | DT_CALCRECT);
        const int lines = (calc.bottom - calc.top) / 16;
        const int reps = 50;
        auto timed = [&](UINT flags, long* measures) {
            const long before = HtmlTextMeasureCount();
            const double ms = BestMs(5, reps, [&] {
                RECT rc = {0, 0, 400, 10000};
                int n = 64;
                CRenderer::DrawHtmlText(off, &manager, rc, text.c_str(), 0xFF000000, links,
                                        linkTexts, n, flags);
            });
            *measures = (HtmlTextMeasureCount() - before) / (5 * reps);
            return ms;
        };
        long drawMeasures = 0;
        long calcMeasures = 0;
        const double drawMs = timed(DT_WORDBREAK, &drawMeasures);
        const double calcMs = timed(DT_WORDBREAK | DT_CALCRECT, &calcMeasures);
        std::printf("%s: %zu chars, %d links, height %ld px (about %d lines)\n", label, text.size(),
                    count, calc.bottom - calc.top, lines);
        std::printf(
            "%s: draw %.0f us/call, %ld exact measurements/call; measure %.0f us/call, "
            "%ld exact measurements/call\n",
            label, drawMs * 1000, drawMeasures, calcMs * 1000, calcMeasures);
    };
    const char* dense[] = {"Plain words to wrap, ",
                           "<b>bold words</b> ",
                           "<c #FF2060A0>coloured text</c> ",
                           "<a http://example/>a link that may wrap</a> ",
                           "<f Tahoma 14>a larger font</f> ",
                           "<i icon.png 4 1> ",
                           "<u>underlined</u> and more plain text. "};
    measureMarkup("markup text", dense, 7);
    const char* sparse[] = {
        "The loader checks the installed client against the version service and, when it is "
        "out of date, fetches the new installer while this bar fills from left to right. ",
        "<b>Please keep this window open</b> until the installer starts on its own. "};
    measureMarkup("sparse markup text", sparse, 2);

    ::DeleteDC(mem);
    ::SelectObject(off, oldSurface);
    ::DeleteObject(surface);
    ::DeleteDC(off);
    ::ReleaseDC(nullptr, screen);
    return 0;
}
