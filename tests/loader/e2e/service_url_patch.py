#!/usr/bin/env python3
"""Writes a copy of loader.exe whose built-in version service URL is replaced.

The URL is a 256-byte, zero-filled array in the executable; the copy gets the new URL (at most
255 bytes) in its place. The built-in text must occur exactly once.

  service_url_patch.py IN OUT BUILTIN_URL NEW_URL
"""

import sys

ARRAY_SIZE = 256


def patch(source, target, builtin, new):
    with open(source, "rb") as f:
        image = bytearray(f.read())
    needle = builtin.encode() + b"\0"
    at = image.find(needle)
    if at < 0 or image.find(needle, at + 1) >= 0:
        raise ValueError("the built-in URL is not in %s exactly once" % source)
    data = new.encode()
    if len(data) >= ARRAY_SIZE:
        raise ValueError("the new URL is longer than %d bytes" % (ARRAY_SIZE - 1))
    image[at:at + ARRAY_SIZE] = data + b"\0" * (ARRAY_SIZE - len(data))
    with open(target, "wb") as f:
        f.write(image)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    patch(*sys.argv[1:])
