// Bilinear stretching; see BilinearStretch.h.
#include "ui/controls/BilinearStretch.h"

#include <cstddef>
#include <vector>

namespace SkinUI {

namespace {

// Where destination pixel `d` of `destLength` samples a source of `sourceLength` pixels: the
// two neighbours and the weight of the second in 1/256.
struct TSample {
    int first = 0;
    int second = 0;
    int weight = 0;
};

TSample SampleAt(int d, int destLength, int sourceLength) {
    // Centre to centre, in 1/256 of a source pixel, in 64 bits for large pictures.
    const long long position = ((2LL * d + 1) * sourceLength * 256) / (2LL * destLength) - 128;
    TSample s;
    if (position <= 0) return s;  // left of the first centre: the first pixel
    const long long last = static_cast<long long>(sourceLength - 1) * 256;
    if (position >= last) {
        s.first = s.second = sourceLength - 1;
        return s;
    }
    s.first = static_cast<int>(position >> 8);
    s.second = s.first + 1;
    s.weight = static_cast<int>(position & 255);
    return s;
}

uint32_t Mix(uint32_t a, uint32_t b, int weight) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 255);
        const int cb = static_cast<int>((b >> shift) & 255);
        const int c = (ca * (256 - weight) + cb * weight + 128) >> 8;
        out |= static_cast<uint32_t>(c) << shift;
    }
    return out;
}

}  // namespace

void StretchBilinear(const uint32_t* pixels, int stride, const TRectI& source, int destWidth,
                     int destHeight, const TRectI& part, uint32_t* out) {
    const int sw = source.Width();
    const int sh = source.Height();
    if (pixels == nullptr || out == nullptr || sw <= 0 || sh <= 0 || destWidth <= 0 ||
        destHeight <= 0 || part.IsEmpty()) {
        return;
    }
    std::vector<TSample> columns(static_cast<std::size_t>(part.Width()));
    for (int x = part.left; x < part.right; ++x)
        columns[static_cast<std::size_t>(x - part.left)] = SampleAt(x, destWidth, sw);
    for (int y = part.top; y < part.bottom; ++y) {
        const TSample row = SampleAt(y, destHeight, sh);
        const uint32_t* upper =
            pixels + static_cast<long long>(source.top + row.first) * stride + source.left;
        const uint32_t* lower =
            pixels + static_cast<long long>(source.top + row.second) * stride + source.left;
        for (const TSample& column : columns) {
            const uint32_t top = Mix(upper[column.first], upper[column.second], column.weight);
            const uint32_t bottom = Mix(lower[column.first], lower[column.second], column.weight);
            *out++ = Mix(top, bottom, row.weight);
        }
    }
}

}  // namespace SkinUI
