// Decoding and load-time pixel conversion; see PixelConvert.h.
#include "ui/controls/PixelConvert.h"

#include <climits>

#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_TGA
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace SkinUI {

CDecodedRgba::~CDecodedRgba() {
    Reset();
}

void CDecodedRgba::Reset() {
    if (pixels_ != nullptr) stbi_image_free(pixels_);
    pixels_ = nullptr;
    width_ = 0;
    height_ = 0;
}

bool CDecodedRgba::Decode(const uint8_t* bytes, size_t size) {
    Reset();
    if (bytes == nullptr || size == 0 || size > static_cast<size_t>(INT_MAX)) return false;
    int w = 0;
    int h = 0;
    int channels = 0;
    stbi_uc* p = stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, 4);
    if (p == nullptr) return false;
    // The bitmap header states the image size as width * height * 4 in a 32-bit field.
    if (w <= 0 || h <= 0 || static_cast<long long>(w) * h > INT_MAX / 4) {
        stbi_image_free(p);
        return false;
    }
    pixels_ = p;
    width_ = w;
    height_ = h;
    return true;
}

bool ConvertPixels(const uint8_t* rgba, size_t count, uint32_t mask, bool gray, uint32_t* out) {
    bool hasAlpha = false;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* px = rgba + i * 4;
        uint32_t r = px[0];
        uint32_t g = px[1];
        uint32_t b = px[2];
        const uint32_t a = px[3];
        if (a < 255) {
            r = r * a / 255;
            g = g * a / 255;
            b = b * a / 255;
            hasAlpha = true;
        }
        if (gray) {
            const uint32_t y = static_cast<uint32_t>(0.299 * r + 0.587 * g + 0.114 * b);
            r = g = b = y;
        }
        uint32_t value = (a << 24) | (r << 16) | (g << 8) | b;
        if (!gray && value == mask) {
            value = 0;
            hasAlpha = true;
        }
        out[i] = value;
    }
    return hasAlpha;
}

}  // namespace SkinUI
