// Load-time pixel conversion and decoding.
#include "ui/controls/PixelConvert.h"

#include <gtest/gtest.h>

#include "ui/controls/BilinearStretch.h"

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

// Pictures with transparency stretched for another display scale: every destination pixel
// blends its two nearest source pixels, premultiplied colour never exceeds its alpha, and a
// part computed alone is that part of the whole.
TEST(PixelConvert, StretchingBlendsNeighboursAndAPartIsThatPartOfTheWhole) {
    const uint32_t black = 0xFF000000u, white = 0xFFFFFFFFu;
    const uint32_t row[] = {black, white};
    uint32_t out[4] = {};
    StretchBilinear(row, 2, MakeRect(0, 0, 2, 1), 4, 1, MakeRect(0, 0, 4, 1), out);
    EXPECT_EQ(out[0], black);
    EXPECT_EQ(out[1], 0xFF404040u);
    EXPECT_EQ(out[2], 0xFFBFBFBFu);
    EXPECT_EQ(out[3], white);

    // Transparent beside half-transparent red (premultiplied 0x80800000), from a 3-wide
    // picture's last two columns, three times as large.
    const uint32_t picture[] = {white, 0x00000000u, 0x80800000u, white, 0x00000000u, 0x80800000u};
    std::vector<uint32_t> whole(6 * 2);
    StretchBilinear(picture, 3, MakeRect(1, 0, 3, 2), 6, 2, MakeRect(0, 0, 6, 2), whole.data());
    for (uint32_t p : whole) EXPECT_LE((p >> 16) & 255, p >> 24) << std::hex << p;
    EXPECT_EQ(whole[0], 0u);
    EXPECT_EQ(whole[5], 0x80800000u);
    EXPECT_GT(whole[3] >> 24, 0u);
    EXPECT_LT(whole[3] >> 24, 0x80u);
    uint32_t part[2] = {};
    StretchBilinear(picture, 3, MakeRect(1, 0, 3, 2), 6, 2, MakeRect(2, 1, 4, 2), part);
    EXPECT_EQ(part[0], whole[6 + 2]);
    EXPECT_EQ(part[1], whole[6 + 3]);
}

}  // namespace
}  // namespace SkinUI
