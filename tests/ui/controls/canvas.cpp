// Test canvas and picture helpers; see canvas.h.
#include "canvas.h"

#include <cstdio>
#include <cstdlib>

#include <zlib.h>

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

namespace SkinUI {
namespace testing_canvas {

CCanvas::CCanvas(int width, int height, uint32_t fill) : width_(width), height_(height) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = ::CreateCompatibleDC(nullptr);
    bitmap_ = ::CreateDIBSection(dc_, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    old_ = ::SelectObject(dc_, bitmap_);
    Fill(fill);
}

CCanvas::~CCanvas() {
    ::SelectObject(dc_, old_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
}

uint32_t CCanvas::At(int x, int y) const {
    ::GdiFlush();
    return bits_[y * width_ + x] & 0xFFFFFF;
}

void CCanvas::Fill(uint32_t color) {
    ::GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) bits_[i] = color;
}

int CCanvas::CountNot(const RECT& r, uint32_t background) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (At(x, y) != (background & 0xFFFFFF)) ++n;
    return n;
}

RECT CCanvas::InkBox(uint32_t background) const {
    RECT box = {width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (At(x, y) != (background & 0xFFFFFF)) {
                if (x < box.left) box.left = x;
                if (y < box.top) box.top = y;
                if (x + 1 > box.right) box.right = x + 1;
                if (y + 1 > box.bottom) box.bottom = y + 1;
            }
    if (box.right == 0) return RECT{0, 0, 0, 0};
    return box;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int bit = 0; bit < 24; bit += 8) {
        const int ca = (a >> bit) & 0xFF;
        const int cb = (b >> bit) & 0xFF;
        if (std::abs(ca - cb) > tolerance) return false;
    }
    return true;
}

namespace {
void Append(void* context, void* data, int size) {
    auto* s = static_cast<std::string*>(context);
    s->append(static_cast<const char*>(data), static_cast<size_t>(size));
}
}  // namespace

std::string MakePng(int width, int height, const std::vector<uint32_t>& argb) {
    std::vector<uint8_t> rgba;
    for (uint32_t p : argb) {
        rgba.push_back(static_cast<uint8_t>(p >> 16));
        rgba.push_back(static_cast<uint8_t>(p >> 8));
        rgba.push_back(static_cast<uint8_t>(p));
        rgba.push_back(static_cast<uint8_t>(p >> 24));
    }
    std::string out;
    stbi_write_png_to_func(Append, &out, width, height, 4, rgba.data(), width * 4);
    return out;
}

std::string WriteTempPng(const std::string& name, const std::string& png) {
    char tmp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, tmp);
    std::string dir =
        std::string(tmp) + "render_test_" + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    FILE* f = std::fopen((dir + name).c_str(), "wb");
    if (f != nullptr) {
        std::fwrite(png.data(), 1, png.size(), f);
        std::fclose(f);
    }
    return dir;
}

namespace {
void Put16(std::string& s, unsigned v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, unsigned long v) {
    Put16(s, static_cast<unsigned>(v & 0xFFFF));
    Put16(s, static_cast<unsigned>((v >> 16) & 0xFFFF));
}
}  // namespace

std::string MakeStoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string out;
    std::string directory;
    for (const auto& e : entries) {
        const unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(e.second.data()),
                                        static_cast<uInt>(e.second.size()));
        const unsigned long offset = out.size();
        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, 0);  // flags
        Put16(out, 0);  // stored
        Put16(out, 0);
        Put16(out, 0);
        Put32(out, crc);
        Put32(out, e.second.size());
        Put32(out, e.second.size());
        Put16(out, static_cast<unsigned>(e.first.size()));
        Put16(out, 0);
        out += e.first;
        out += e.second;
        Put32(directory, 0x02014b50);
        Put16(directory, 20);
        Put16(directory, 20);
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, crc);
        Put32(directory, e.second.size());
        Put32(directory, e.second.size());
        Put16(directory, static_cast<unsigned>(e.first.size()));
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0);
        Put32(directory, offset);
        directory += e.first;
    }
    const unsigned long dirOffset = out.size();
    out += directory;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<unsigned>(entries.size()));
    Put16(out, static_cast<unsigned>(entries.size()));
    Put32(out, directory.size());
    Put32(out, dirOffset);
    Put16(out, 0);
    return out;
}

}  // namespace testing_canvas
}  // namespace SkinUI
