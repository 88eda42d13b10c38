// A memory DC over a 32-bit top-down DIB, for pixel-exact drawing tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "tests/support/test_env.h"

namespace uitest {

class Surface {
public:
    Surface(int width, int height, std::uint32_t fill = 0xFFFFFFFF)
        : width_(width), height_(height) {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = width;
        bmi.bmiHeader.biHeight = -height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        dc_ = ::CreateCompatibleDC(nullptr);
        bitmap_ = ::CreateDIBSection(dc_, &bmi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                     nullptr, 0);
        previous_ = ::SelectObject(dc_, bitmap_);
        Fill(fill);
    }
    ~Surface() {
        ::SelectObject(dc_, previous_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC dc() const { return dc_; }
    void Fill(std::uint32_t argb) {
        ::GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = argb;
    }
    // 0xAARRGGBB as stored (blue in the low byte).
    std::uint32_t At(int x, int y) const {
        ::GdiFlush();
        return bits_[y * width_ + x];
    }
    std::uint32_t Rgb(int x, int y) const { return At(x, y) & 0x00FFFFFF; }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

// The Windows path of a picture in the committed fixtures folder.
inline std::string Fixture(const char* name) {
    return "Z:" + testenv::Env("LOADER_TEST_FIXTURES") + "/" + name;
}

inline int Channel(std::uint32_t argb, int shift) {
    return static_cast<int>((argb >> shift) & 0xFF);
}

}  // namespace uitest
