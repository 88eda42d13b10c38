#!/usr/bin/env python3
"""Draws the loader's pictures and its icon (python3 and zlib only, deterministic).

  make_artwork.py OUTDIR  writes into OUTDIR:
    bg_110.png        540 x 402  window background: deep blue with a soft light at the top
    wheel_122.png     538 x 355  upper picture: dusk sky, a low sun, stars, layered hills
    fore_121.png      378 x 15   progress fill: a warm gold bar with rounded ends
    track_123.png     378 x 15   progress track: a dark, slightly translucent groove
    loader.ico        48/32/24/16 pixels, each in 8-bit and 32-bit colour

Index: PNG and ICO writers | colour helpers | pictures | icon | main
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------------------------
# PNG and ICO writers
# ---------------------------------------------------------------------------------------------


def png_bytes(width, height, rows):
    """rows: a list of bytearrays of width * 4 RGBA bytes."""

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(r) for r in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a) as floats 0..255."""
    rows = []
    for y in range(height):
        row = bytearray(width * 4)
        for x in range(width):
            r, g, b, a = pixel(x, y)
            row[x * 4:x * 4 + 4] = bytes((clamp(r), clamp(g), clamp(b), clamp(a)))
        rows.append(row)
    with open(path, "wb") as f:
        f.write(png_bytes(width, height, rows))


def palette_216_plus_grays():
    """A 6x6x6 colour cube and 40 greys: 256 entries for the 8-bit icon images."""
    levels = [0, 51, 102, 153, 204, 255]
    pal = [(r, g, b) for r in levels for g in levels for b in levels]
    pal += [(round(i * 255 / 41),) * 3 for i in range(1, 41)]
    return pal


def nearest(pal, rgb):
    best, best_d = 0, 1 << 30
    for i, p in enumerate(pal):
        d = (p[0] - rgb[0]) ** 2 + (p[1] - rgb[1]) ** 2 + (p[2] - rgb[2]) ** 2
        if d < best_d:
            best, best_d = i, d
    return best


def ico_image(size, pixels, bits):
    """One icon image as a DIB (BITMAPINFOHEADER, colours, XOR rows, AND mask), bottom-up."""
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(mask_stride)
        for x in range(size):
            if pixels[y][x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0,
                         256 if bits == 8 else 0, 0)
    body = bytearray()
    if bits == 32:
        for y in reversed(range(size)):
            for x in range(size):
                r, g, b, a = pixels[y][x]
                body += bytes((b, g, r, a))
        return header + bytes(body) + bytes(mask)
    pal = palette_216_plus_grays()
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
    stride = (size + 3) // 4 * 4
    cache = {}
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            r, g, b, a = pixels[y][x]
            # Transparent pixels come from the mask; give them black so edges stay dark.
            key = (r, g, b) if a >= 128 else (0, 0, 0)
            if key not in cache:
                cache[key] = nearest(pal, key)
            row[x] = cache[key]
        body += row
    return header + colours + bytes(body) + bytes(mask)


def write_ico(path, images):
    """images: list of (size, bits, dib bytes)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, bits, dib in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0 if bits > 8 else 0, 0, 1, bits,
                           len(dib), offset)
        offset += len(dib)
        blobs.append(dib)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


# ---------------------------------------------------------------------------------------------
# Colour helpers
# ---------------------------------------------------------------------------------------------


def clamp(v):
    return 0 if v < 0 else 255 if v > 255 else int(v + 0.5)


def mix(a, b, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def smooth(edge0, edge1, x):
    t = (x - edge0) / (edge1 - edge0)
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return t * t * (3 - 2 * t)


def gradient(stops, t):
    """stops: [(position, (r, g, b)), ...] sorted by position."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0))
    return stops[-1][1]


def hash01(n):
    """A repeatable pseudo-random value in [0, 1) for star placement."""
    n = (n * 2654435761) & 0xFFFFFFFF
    n ^= n >> 15
    n = (n * 2246822519) & 0xFFFFFFFF
    n ^= n >> 13
    return n / 4294967296.0


def rounded_bar_alpha(x, y, w, h, radius):
    """Coverage of a w x h rounded bar (radius at both ends) at pixel centre (x, y)."""
    cx = min(max(x + 0.5, radius), w - radius)
    cy = h / 2.0
    d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
    return 255.0 * min(1.0, max(0.0, radius - d + 0.5))


# ---------------------------------------------------------------------------------------------
# Pictures
# ---------------------------------------------------------------------------------------------


def background(x, y):
    # A deep blue that lightens a little toward the top centre, where the picture sits.
    base = gradient([(0.0, (26, 38, 64)), (0.6, (16, 24, 42)), (1.0, (10, 14, 26))], y / 401.0)
    glow = math.exp(-(((x - 270) / 300.0) ** 2 + ((y - 40) / 220.0) ** 2))
    r, g, b = mix(base, (60, 80, 120), 0.35 * glow)
    return r, g, b, 255


def hill(x, seed, base, amp):
    return base + amp * (0.55 * math.sin(x * 0.011 + seed) + 0.30 * math.sin(x * 0.027 + 2 * seed) +
                         0.15 * math.sin(x * 0.061 + 3 * seed))


SUN = (390.0, 215.0, 34.0)
LAYERS = [  # horizon height, amplitude, colour (far to near)
    (238.0, 26.0, (92, 70, 110), 0.7),
    (268.0, 30.0, (58, 48, 84), 1.9),
    (300.0, 24.0, (34, 30, 56), 3.1),
    (330.0, 16.0, (20, 18, 36), 4.4),
]


def wheel(x, y):
    # Dusk sky: indigo at the top through rose to a warm band at the horizon.
    sky = gradient([(0.0, (28, 32, 78)), (0.35, (72, 58, 120)), (0.62, (196, 110, 122)),
                    (0.78, (246, 178, 112)), (1.0, (252, 212, 140))], y / 290.0)
    sx, sy, sr = SUN
    d = math.hypot(x - sx, y - sy)
    sky = mix(sky, (255, 236, 190), 0.55 * math.exp(-((d / 110.0) ** 2)))
    sky = mix(sky, (255, 246, 214), smooth(sr + 1.0, sr - 1.0, d))
    # A few stars in the upper sky, fading toward the horizon.
    cell = (x // 7) + (y // 7) * 97
    if y < 150 and hash01(cell) > 0.985:
        px, py = 7 * (x // 7) + 3, 7 * (y // 7) + 3
        if abs(x - px) + abs(y - py) <= 1:
            sky = mix(sky, (255, 250, 235), (1.0 - y / 150.0) * (0.9 if x == px and y == py else 0.4))
    colour = sky
    for base, amp, tone, seed in LAYERS:
        top = hill(x, seed, base, amp)
        cover = smooth(top - 0.8, top + 0.8, y)
        if cover > 0:
            # Haze: the far hills take some of the sky's colour.
            shade = mix(tone, (246, 178, 112), 0.12 * (1.0 - (base - 238.0) / 92.0))
            colour = mix(colour, shade, cover)
    # The bottom edge darkens into the window background below the picture.
    colour = mix(colour, (16, 20, 36), smooth(320.0, 355.0, y) * 0.6)
    return colour[0], colour[1], colour[2], 255


def fore(x, y):
    w, h = 378, 15
    a = rounded_bar_alpha(x, y, w, h, 6.5)
    colour = gradient([(0.0, (214, 150, 72)), (0.5, (240, 190, 100)), (1.0, (250, 214, 130))], x / (w - 1))
    # A highlight along the upper third makes it read as a raised bar.
    colour = mix(colour, (255, 246, 220), 0.45 * math.exp(-(((y - 4.0) / 2.5) ** 2)))
    colour = mix(colour, (150, 96, 40), smooth(9.0, 14.0, y) * 0.5)
    return colour[0], colour[1], colour[2], a


def track(x, y):
    w, h = 378, 15
    outer = rounded_bar_alpha(x, y, w, h, 7.5)
    inner = rounded_bar_alpha(x, y, w, h, 6.5) / 255.0
    groove = mix((8, 10, 20), (34, 38, 58), y / 14.0)
    rim = (120, 96, 70)
    colour = mix(rim, groove, inner)
    return colour[0], colour[1], colour[2], outer * (0.85 + 0.15 * inner)


# ---------------------------------------------------------------------------------------------
# Icon: a gold ring around a downward arrow on a midnight-blue disc
# ---------------------------------------------------------------------------------------------


def icon_sample(u, v):
    """Colour at (u, v) in [-1, 1]^2, or None outside the emblem."""
    r = math.hypot(u, v)
    if r > 0.96:
        return None
    if r > 0.80:
        return mix((250, 214, 130), (190, 128, 56), (v + 1) / 2)
    arrow = (abs(u) < 0.16 and -0.55 < v < 0.15) or (v >= 0.05 and v < 0.58 and abs(u) < 0.52 - (v - 0.05))
    if arrow:
        return mix((255, 240, 200), (236, 170, 80), (v + 0.55) / 1.1)
    return mix((44, 56, 110), (16, 20, 44), (v + 1) / 2)


def icon_pixels(size):
    samples = 4
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    u = ((x + (sx + 0.5) / samples) / size) * 2 - 1
                    v = ((y + (sy + 0.5) / samples) / size) * 2 - 1
                    c = icon_sample(u, v)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(clamp(acc[i] / hits) for i in range(3)) +
                           (clamp(255.0 * hits / samples ** 2),))
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------------------------
# Main
# ---------------------------------------------------------------------------------------------


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, "bg_110.png"), 540, 402, background)
    write_png(os.path.join(out, "wheel_122.png"), 538, 355, wheel)
    write_png(os.path.join(out, "fore_121.png"), 378, 15, fore)
    write_png(os.path.join(out, "track_123.png"), 378, 15, track)
    images = []
    for bits in (8, 32):
        for size in (48, 32, 24, 16):
            images.append((size, bits, ico_image(size, icon_pixels(size), bits)))
    write_ico(os.path.join(out, "loader.ico"), images)


if __name__ == "__main__":
    main()
