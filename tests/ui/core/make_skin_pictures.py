#!/usr/bin/env python3
"""Writes stand-in pictures of the loader skin's sizes (110, 121, 122, 123) into a folder."""
import struct
import sys
import zlib
from pathlib import Path


def png(path, w, h, px):
    raw = b''.join(b'\x00' + b''.join(bytes(px(x, y)) for x in range(w)) for y in range(h))

    def chunk(kind, data):
        crc = zlib.crc32(kind + data) & 0xffffffff
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', crc)

    header = struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0)  # 8-bit RGBA
    path.write_bytes(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                     chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


out = Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
png(out / 'pic110.png', 540, 402, lambda x, y: (30, 40 + y % 64, 90, 255))
png(out / 'pic122.png', 538, 355, lambda x, y: (200, x % 200, 40, 255))
png(out / 'pic121.png', 378, 15, lambda x, y: (0, 200, 60, 255))
png(out / 'pic123.png', 378, 15, lambda x, y: (60, 60, 60, 255))
