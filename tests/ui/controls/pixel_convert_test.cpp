// Load-time pixel conversion and decoding.
#include "ui/controls/PixelConvert.h"

#include <gtest/gtest.h>

#include <vector>

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
namespace {

std::vector<uint32_t> Convert(const std::vector<uint8_t>& rgba, uint32_t mask, bool gray,
                              bool* hasAlpha) {
    std::vector<uint32_t> out(rgba.size() / 4);
    *hasAlpha = ConvertPixels(rgba.data(), out.size(), mask, gray, out.data());
    return out;
}

TEST(PixelConvert, OpaquePixelsAreReorderedOnly) {
    bool alpha = true;
    auto out = Convert({0x11, 0x22, 0x33, 0xFF, 0xFF, 0x00, 0x80, 0xFF}, 0, false, &alpha);
    EXPECT_FALSE(alpha);
    EXPECT_EQ(out[0], 0xFF112233u);  // blue, green, red, alpha in memory
    EXPECT_EQ(out[1], 0xFFFF0080u);
}

TEST(PixelConvert, TranslucentPixelsArePremultiplied) {
    bool alpha = false;
    auto out = Convert({200, 100, 50, 128, 255, 255, 255, 0}, 0, false, &alpha);
    EXPECT_TRUE(alpha);
    EXPECT_EQ(out[0], (128u << 24) | ((200u * 128 / 255) << 16) | ((100u * 128 / 255) << 8) |
                          (50u * 128 / 255));
    EXPECT_EQ(out[1], 0u);
}

TEST(PixelConvert, MaskNeedsItsAlphaByte) {
    const std::vector<uint8_t> magenta = {255, 0, 255, 255, 1, 2, 3, 255};
    bool alpha = false;
    auto out = Convert(magenta, 0xFFFF00FFu, false, &alpha);
    EXPECT_TRUE(alpha);
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(out[1], 0xFF010203u);

    out = Convert(magenta, 0x00FF00FFu, false, &alpha);  // alpha 0 matches no opaque pixel
    EXPECT_FALSE(alpha);
    EXPECT_EQ(out[0], 0xFFFF00FFu);
}

TEST(PixelConvert, GrayWeighsChannelsAndIgnoresMask) {
    bool alpha = true;
    auto out = Convert({255, 0, 255, 255, 100, 200, 50, 255}, 0xFFFF00FFu, true, &alpha);
    EXPECT_FALSE(alpha);
    const uint32_t g0 = static_cast<uint32_t>(0.299 * 255 + 0.114 * 255);
    EXPECT_EQ(out[0], 0xFF000000u | g0 << 16 | g0 << 8 | g0);
    const uint32_t g1 = static_cast<uint32_t>(0.299 * 100 + 0.587 * 200 + 0.114 * 50);
    EXPECT_EQ(out[1], 0xFF000000u | g1 << 16 | g1 << 8 | g1);

    out = Convert({255, 255, 255, 51}, 0, true, &alpha);
    EXPECT_TRUE(alpha);
    EXPECT_EQ(out[0], 0x33323232u);  // premultiplied first (51), then weighed: 50.99 -> 50
}

void AppendBytes(void* context, void* data, int size) {
    auto* v = static_cast<std::vector<uint8_t>*>(context);
    const uint8_t* p = static_cast<const uint8_t*>(data);
    v->insert(v->end(), p, p + size);
}

TEST(PixelConvert, DecodesPngFromMemory) {
    const uint8_t rgba[] = {1,  2,  3,  255, 4, 5, 6, 7, 8,   9,   10,  11,
                            12, 13, 14, 255, 0, 0, 0, 0, 255, 255, 255, 255};
    std::vector<uint8_t> png;
    ASSERT_NE(stbi_write_png_to_func(AppendBytes, &png, 3, 2, 4, rgba, 12), 0);
    CDecodedRgba d;
    ASSERT_TRUE(d.Decode(png.data(), png.size()));
    EXPECT_EQ(d.Width(), 3);
    EXPECT_EQ(d.Height(), 2);
    EXPECT_EQ(0, memcmp(d.Pixels(), rgba, sizeof rgba));

    // Three channels in the file still decode to four.
    const uint8_t rgb[] = {9, 8, 7};
    png.clear();
    ASSERT_NE(stbi_write_png_to_func(AppendBytes, &png, 1, 1, 3, rgb, 3), 0);
    ASSERT_TRUE(d.Decode(png.data(), png.size()));
    EXPECT_EQ(d.Pixels()[3], 255);
}

TEST(PixelConvert, RejectsUndecodableData) {
    CDecodedRgba d;
    const uint8_t junk[] = {0x89, 'P', 'N', 'G', 0, 1, 2, 3};
    EXPECT_FALSE(d.Decode(junk, sizeof junk));
    EXPECT_FALSE(d.Decode(nullptr, 0));
    EXPECT_EQ(d.Pixels(), nullptr);
}

}  // namespace
}  // namespace SkinUI
