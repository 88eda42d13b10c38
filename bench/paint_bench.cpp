// Paint benchmark: the loader window's tree (full-window background picture, a 538 x 355
// picture, a label and a progress bar) painted by the framework into an offscreen DC, against
// the bare GDI / AlphaBlend / GDI+ calls that put the same pixels there.
// Prints "framework_ms bare_ms ratio" (milliseconds per full repaint, best of 3 runs of 20),
// then the framework's full repaint at 150 % (812 x 603, every picture stretched, the bar's
// picture translucent so it takes the smoothing path) and its cost per pixel against 100 %.
#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "ui/controls/CContainerUI.h"
#include "ui/controls/CHorizontalLayoutUI.h"
#include "ui/controls/CRenderer.h"
#include "ui/controls/CVerticalLayoutUI.h"
#include "ui/core/CWindowManagerUI.h"

using namespace SkinUI;

namespace {

const int kWidth = 541, kHeight = 402;

// Stand-ins for the label and the progress bar (their controls are built elsewhere): the same
// drawing calls the real ones make for this skin.
class TextStandIn : public CControlUI {
public:
    void PaintText(HDC dc) override {
        CRenderer::DrawText(dc, manager_, bounds_, text_.c_str(), 0xFFFFFFFF, -1,
                            DT_SINGLELINE | DT_VCENTER);
    }
};

class BarStandIn : public CControlUI {
public:
    int value = 50;
    void PaintStateImage(HDC dc) override {
        const int w = (bounds_.right - bounds_.left) * value / 100;
        char modifier[96];
        std::snprintf(modifier, sizeof(modifier), "dest='0,0,%d,%ld' source='0,0,%d,%ld'", w,
                      bounds_.bottom - bounds_.top, w, bounds_.bottom - bounds_.top);
        DrawImage(dc, foreImage_, modifier);
    }
};

void WritePicture(const std::string& path, int w, int h, unsigned seed, unsigned char alpha = 255) {
    std::vector<unsigned char> px(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &px[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = static_cast<unsigned char>((x * 3 + seed) & 0xFF);
            p[1] = static_cast<unsigned char>((y * 5 + seed) & 0xFF);
            p[2] = static_cast<unsigned char>((x + y) & 0xFF);
            p[3] = alpha;
        }
    }
    stbi_write_png(path.c_str(), w, h, 4, px.data(), w * 4);
}

template <class Fn>
double BestMs(Fn paint, int repeats) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < repeats; ++i) paint();
        ::GdiFlush();
        const std::chrono::duration<double, std::milli> spent =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, spent.count() / repeats);
    }
    return best;
}

}  // namespace

int main() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));

    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "skinui_paint_bench\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    WritePicture(dir + "bg.png", 540, 402, 1);
    WritePicture(dir + "wheel.png", 538, 355, 2);
    WritePicture(dir + "bar.png", 378, 15, 3);
    WritePicture(dir + "bar_translucent.png", 378, 15, 3, 200);
    CWindowManagerUI::SetResourcePath(dir);

    HDC screen = ::GetDC(nullptr);
    HDC offscreen = ::CreateCompatibleDC(screen);
    HBITMAP surface = ::CreateCompatibleBitmap(screen, kWidth, kHeight);
    HGDIOBJ previous = ::SelectObject(offscreen, surface);

    // The loader's tree.
    CWindowManagerUI manager;
    auto* root = new CVerticalLayoutUI();
    root->ApplyAttributeString("bkimage=\"bg.png\"");
    auto* wheel = new CHorizontalLayoutUI();
    wheel->ApplyAttributeString("name=\"wheel\" height=\"355\" bkimage=\"wheel.png\"");
    auto* band = new CHorizontalLayoutUI();
    band->ApplyAttributeString(
        "name=\"progressbg\" float=\"true\" pos=\"0,355,0,0\" "
        "width=\"538\" height=\"46\"");
    auto* label = new TextStandIn();
    label->ApplyAttributeString("float=\"true\" pos=\"20,14,128,32\" text=\"Preparing\"");
    auto* bar = new BarStandIn();
    bar->ApplyAttributeString("float=\"true\" pos=\"130,16,508,31\"");
    bar->SetForeImage("bar.png");
    manager.AttachRoot(root);
    root->Add(wheel);
    root->Add(band);
    band->Add(label);
    band->Add(bar);
    root->SetBounds(RECT{0, 0, kWidth, kHeight});
    const RECT all = {0, 0, kWidth, kHeight};

    // The same pixels with the bare calls, from the same decoded pictures.
    const TImageInfo* bg = manager.GetImageOrLoad("bg.png");
    const TImageInfo* wh = manager.GetImageOrLoad("wheel.png");
    const TImageInfo* fg = manager.GetImageOrLoad("bar.png");
    HDC memory = ::CreateCompatibleDC(offscreen);
    auto bare = [&]() {
        HGDIOBJ old = ::SelectObject(memory, bg->bitmap.get());
        ::StretchBlt(offscreen, 0, 0, kWidth, kHeight, memory, 0, 0, 540, 402, SRCCOPY);
        ::SelectObject(memory, wh->bitmap.get());
        ::StretchBlt(offscreen, 0, 0, kWidth, 355, memory, 0, 0, 538, 355, SRCCOPY);
        ::SelectObject(memory, fg->bitmap.get());
        ::BitBlt(offscreen, 130, 371, 189, 15, memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
        CRenderer::DrawText(offscreen, &manager, RECT{20, 369, 128, 387}, "Preparing", 0xFFFFFFFF,
                            -1, DT_SINGLELINE | DT_VCENTER);
    };
    auto framework = [&]() { root->Paint(offscreen, all); };

    framework();  // warm the picture cache and GDI+
    bare();
    const double frameworkMs = BestMs(framework, 20);
    const double bareMs = BestMs(bare, 20);
    std::printf("%.4f %.4f %.3f\n", frameworkMs, bareMs, frameworkMs / bareMs);

    // The same tree on a 150 % display.
    const int scaledWidth = 812, scaledHeight = 603;
    HDC scaledDC = ::CreateCompatibleDC(screen);
    HBITMAP scaledSurface = ::CreateCompatibleBitmap(screen, scaledWidth, scaledHeight);
    HGDIOBJ scaledPrevious = ::SelectObject(scaledDC, scaledSurface);
    bar->SetForeImage("bar_translucent.png");
    manager.SetDpi(144);
    root->SetBounds(RECT{0, 0, scaledWidth, scaledHeight});
    const RECT scaledAll = {0, 0, scaledWidth, scaledHeight};
    auto scaled = [&]() { root->Paint(scaledDC, scaledAll); };
    scaled();
    const double scaledMs = BestMs(scaled, 20);
    const double pixels = (scaledWidth * double(scaledHeight)) / (kWidth * double(kHeight));
    std::printf("%.4f %.3f\n", scaledMs, scaledMs / frameworkMs / pixels);
    ::SelectObject(scaledDC, scaledPrevious);
    ::DeleteObject(scaledSurface);
    ::DeleteDC(scaledDC);

    ::DeleteDC(memory);
    ::SelectObject(offscreen, previous);
    ::DeleteObject(surface);
    ::DeleteDC(offscreen);
    ::ReleaseDC(nullptr, screen);
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
