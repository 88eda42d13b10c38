// Colour arithmetic; see ColorMath.h.
#include "ui/controls/ColorMath.h"

namespace SkinUI {

namespace {

// "r" is bits 0-7 and "b" bits 16-23 of the colour; the hue formulas are written for that
// order, so the hue comes out as the usual hue of the ARGB colour (red 0, green 120, blue 240).
struct THsl {
    double h = 0;
    double s = 0;
    double l = 0;
};

THsl ToHsl(uint32_t color) {
    const double r = (color & 0xFF) / 255.0;
    const double g = ((color >> 8) & 0xFF) / 255.0;
    const double b = ((color >> 16) & 0xFF) / 255.0;
    double mx = r > g ? r : g;
    if (b > mx) mx = b;
    double mn = r < g ? r : g;
    if (b < mn) mn = b;
    THsl out;
    out.l = (mx + mn) / 2;
    if (mx == mn) return out;
    const double d = mx - mn;
    out.s = out.l <= 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
    if (mn == b)
        out.h = 60 * (3 - (g - r) / d);
    else if (mn == g)
        out.h = 60 * (5 - (r - b) / d);
    else
        out.h = 60 * (1 - (b - g) / d);
    if (out.h >= 360) out.h -= 360;
    return out;
}

double HueToChannel(double p, double q, double t) {
    while (t < 0) t += 1;
    while (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

uint32_t ToByte(double v) {
    // The small bias keeps values such as 254.9999999 (exact 255 in real numbers) from
    // truncating to 254.
    double x = v * 255 + 1e-7;
    if (x < 0) x = 0;
    if (x > 255) x = 255;
    return static_cast<uint32_t>(x);
}

uint32_t Mix(uint32_t a, uint32_t b, int i, int n, int shift) {
    uint32_t out = 0;
    for (int bit = 0; bit < 24; bit += 8) {
        const uint32_t ca = (a >> bit) & 0xFF;
        const uint32_t cb = (b >> bit) & 0xFF;
        out |= (((ca * i + cb * (n - i)) >> shift) & 0xFF) << bit;
    }
    return out;
}

}  // namespace

uint32_t AdjustColor(uint32_t color, int hue, int saturation, int lightness) {
    if (hue == 180 && saturation == 100 && lightness == 100) return color;
    THsl c = ToHsl(color);
    c.h += hue - 180;
    if (c.h <= 0) c.h += 360;
    c.s = c.s * saturation / 100.0;
    c.l = c.l * lightness / 100.0;
    const double q = 2 * c.l < 1 ? c.l * (1 + c.s) : c.l + c.s - c.l * c.s;
    const double p = 2 * c.l - q;
    // Back with the same channel order the hue was measured in: hue 0 is the colour whose
    // bits 16-23 dominate (red of an ARGB value). Writing the +1/3 fraction to bits 0-7
    // instead would swap red and blue on any adjustment, even one that leaves the hue alone.
    const double h = c.h / 360;
    const uint32_t red = ToByte(HueToChannel(p, q, h + 1.0 / 3));
    const uint32_t green = ToByte(HueToChannel(p, q, h));
    const uint32_t blue = ToByte(HueToChannel(p, q, h - 1.0 / 3));
    return (color & 0xFF000000u) | (red << 16) | (green << 8) | blue;
}

std::vector<TGradientBand> GradientBands(const TRectI& rect, uint32_t first, uint32_t second,
                                         bool vertical, int steps) {
    int n = 64;
    int shift = 6;
    if (steps < 4) {
        n = 2, shift = 1;
    } else if (steps < 8) {
        n = 4, shift = 2;
    } else if (steps < 16) {
        n = 8, shift = 3;
    } else if (steps < 32) {
        n = 16, shift = 4;
    } else if (steps < 64) {
        n = 32, shift = 5;
    }
    std::vector<TGradientBand> bands;
    const long long length = vertical ? rect.Height() : rect.Width();
    for (int i = 0; i < n; ++i) {
        // Band i counts from the far edge, so band 0 (all second colour) is at the bottom/right.
        const int nearOff = static_cast<int>((length * (i + 1)) >> shift);
        const int farOff = static_cast<int>((length * i) >> shift);
        TGradientBand band;
        if (vertical)
            band.rect =
                MakeRect(rect.left, rect.bottom - nearOff, rect.right, rect.bottom - farOff);
        else
            band.rect = MakeRect(rect.right - nearOff, rect.top, rect.right - farOff, rect.bottom);
        if (band.rect.IsEmpty()) continue;
        band.rgb = Mix(first, second, i, n, shift);
        bands.push_back(band);
    }
    return bands;
}

void BlendPixels(const uint32_t* source, uint32_t* dest, size_t count, uint8_t constantAlpha) {
    // Source colours are already premultiplied by their own alpha, so they are scaled by the
    // constant alpha only; the destination keeps 1 - (constant x source alpha). This is what
    // AlphaBlend does, so both paths draw the same pixels.
    for (size_t i = 0; i < count; ++i) {
        const uint32_t s = source[i];
        const uint32_t d = dest[i];
        const uint32_t sa = s >> 24;
        const uint32_t keep = 255 * 255 - constantAlpha * sa;  // destination weight x 255^2
        uint32_t out = d & 0xFF000000u;
        for (int bit = 0; bit < 24; bit += 8) {
            const uint32_t sc = (s >> bit) & 0xFF;
            const uint32_t dc = (d >> bit) & 0xFF;
            uint32_t v = (sc * constantAlpha * 255 + dc * keep) / (255 * 255);
            if (v > 255) v = 255;
            out |= v << bit;
        }
        dest[i] = out;
    }
}

}  // namespace SkinUI
