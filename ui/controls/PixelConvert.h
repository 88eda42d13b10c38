// Picture decoding and the load-time pixel conversion: stb_image output (red, green, blue,
// alpha bytes) becomes 32-bit pixels in the blue, green, red, alpha byte order of a top-down
// DIB, with colour premultiplied by alpha, an optional mask colour turned transparent and an
// optional grey-scale version. Window-free, so it is checked natively too.
#pragma once

#include <cstddef>
#include <cstdint>

namespace SkinUI {

// Decoded RGBA pixels, owned (released with stb_image's free).
class CDecodedRgba {
public:
    CDecodedRgba() = default;
    ~CDecodedRgba();
    CDecodedRgba(const CDecodedRgba&) = delete;
    CDecodedRgba& operator=(const CDecodedRgba&) = delete;

    // Decodes a picture file held in memory with four forced channels. False when the data
    // cannot be decoded or the picture is too large to address as 32-bit pixels.
    bool Decode(const uint8_t* bytes, size_t size);
    void Reset();

    const uint8_t* Pixels() const { return pixels_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    uint8_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// Converts `count` RGBA pixels into `out` (one 32-bit value per pixel, 0xAARRGGBB, which is
// blue, green, red, alpha in memory). Returns the "has alpha" flag: true when any pixel is not
// fully opaque or was made transparent by the mask. The mask is compared with the converted
// value and so must carry its alpha byte (normally FF); grey loads ignore it.
bool ConvertPixels(const uint8_t* rgba, size_t count, uint32_t mask, bool gray, uint32_t* out);

}  // namespace SkinUI
