// Start-up benchmark, bare side: a plain Win32 program that creates a 541 x 402 popup and
// paints the loader skin's pictures (the same PNG resources, decoded with the same decoder)
// and its label with plain GDI calls. Prints the milliseconds from process creation to the
// end of its first paint, then exits.
//   startup_bare            stretches the pictures with the device context's default mode
//   startup_bare halftone   stretches them in halftone mode, as the framework's renderer does,
//                           so both programs put the same pixels on the screen
#include <windows.h>

#include <cstdio>
#include <cstring>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#include "bench/startup_clock.h"

namespace {

const int kWidth = 541, kHeight = 402;

struct Picture {
    HBITMAP bitmap = nullptr;
    int width = 0, height = 0;
};

// A PNG resource as a 32-bit DIB section (blue, green, red, alpha bytes).
Picture LoadPicture(int id) {
    Picture picture;
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
    if (found == nullptr) return picture;
    const auto* bytes = static_cast<const stbi_uc*>(::LockResource(::LoadResource(module, found)));
    int w = 0, h = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(bytes, static_cast<int>(::SizeofResource(module, found)),
                                          &w, &h, &channels, 4);
    if (rgba == nullptr) return picture;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    picture.bitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* out = static_cast<unsigned char*>(bits);
    for (int i = 0; i < w * h; ++i) {
        out[i * 4 + 0] = rgba[i * 4 + 2];
        out[i * 4 + 1] = rgba[i * 4 + 1];
        out[i * 4 + 2] = rgba[i * 4 + 0];
        out[i * 4 + 3] = rgba[i * 4 + 3];
    }
    stbi_image_free(rgba);
    picture.width = w;
    picture.height = h;
    return picture;
}

Picture g_background, g_wheel, g_bar, g_barBack;
bool g_painted = false;
bool g_halftone = false;

void Draw(HDC dc, const Picture& picture, int x, int y, int w, int h) {
    HDC memory = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(memory, picture.bitmap);
    if (g_halftone) ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, x, y, w, h, memory, 0, 0, picture.width, picture.height, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            g_background = LoadPicture(110);
            g_wheel = LoadPicture(122);
            g_bar = LoadPicture(121);
            g_barBack = LoadPicture(123);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(window, &ps);
            Draw(dc, g_background, 0, 0, kWidth, kHeight);
            Draw(dc, g_wheel, 0, 0, kWidth, 355);
            Draw(dc, g_barBack, 130, 369, 378, 15);
            Draw(dc, g_bar, 130, 369, 370, 15);
            HFONT font = ::CreateFontA(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                                       0, "SimSun");
            HGDIOBJ oldFont = ::SelectObject(dc, font);
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, RGB(0xC6, 0x99, 0x5E));
            RECT text = {20, 369, 120, 387};
            ::DrawTextA(dc, "Preparing", -1, &text, DT_SINGLELINE | DT_VCENTER);
            ::SelectObject(dc, oldFont);
            ::DeleteObject(font);
            ::EndPaint(window, &ps);
            if (!g_painted) {
                ::GdiFlush();
                g_painted = true;
                std::printf("%.1f\n", startupbench::MsSinceProcessStart());
                ::PostQuitMessage(0);
            }
            return 0;
        }
        default:
            return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    g_halftone = argc > 1 && std::strcmp(argv[1], "halftone") == 0;
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.lpszClassName = "StartupBenchBare";
    ::RegisterClassA(&wc);
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND window = ::CreateWindowExA(0, wc.lpszClassName, "startup", WS_POPUP | WS_VISIBLE, x, y,
                                    kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    ::DestroyWindow(window);
    return 0;
}
