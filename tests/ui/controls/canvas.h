// A memory device context over a 32-bit top-down DIB section, for drawing tests that read
// pixels back. Pixel values are 0xAARRGGBB.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace SkinUI {
namespace testing_canvas {

class CCanvas {
public:
    CCanvas(int width, int height, uint32_t fill = 0xFFFFFFFF);
    ~CCanvas();
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The colour at (x, y) without its alpha byte.
    uint32_t At(int x, int y) const;
    void Fill(uint32_t color);
    // Number of pixels inside `r` that differ from `background`.
    int CountNot(const RECT& r, uint32_t background) const;
    // Bounding box of the pixels that differ from `background` (empty when none).
    RECT InkBox(uint32_t background) const;

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// Channels of two colours differ by at most `tolerance`.
bool Near(uint32_t a, uint32_t b, int tolerance = 2);

// PNG bytes of a width x height picture given as 0xAARRGGBB pixels.
std::string MakePng(int width, int height, const std::vector<uint32_t>& argb);
// Writes a file into the test's temporary folder; returns the folder (ending "\").
std::string WriteTempPng(const std::string& name, const std::string& png);
// A zip archive whose entries (name, bytes) are stored uncompressed.
std::string MakeStoredZip(const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace testing_canvas
}  // namespace SkinUI
