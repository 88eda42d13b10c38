#!/usr/bin/env python3
"""Writes a copy of loader.exe whose built-in version service URL is replaced.

The URL is a 256-byte, zero-filled array in the executable; the copy gets the new URL (at most
255 bytes) in its place. The built-in text must occur exactly once. Other built-in texts (the
service's pins, a 512-byte array) are replaced the same way by patch_texts.

  service_url_patch.py IN OUT BUILTIN_URL NEW_URL
"""

import sys

ARRAY_SIZE = 256


def patch_texts(source, target, replacements):
    """replacements: (built-in text, new text, array size) triples."""
    with open(source, "rb") as f:
        image = bytearray(f.read())
    for builtin, new, size in replacements:
        needle = builtin.encode() + b"\0"
        at = image.find(needle)
        if at < 0 or image.find(needle, at + 1) >= 0:
            raise ValueError("%r is not in %s exactly once" % (builtin, source))
        data = new.encode()
        if len(data) >= size:
            raise ValueError("%r is longer than %d bytes" % (new, size - 1))
        image[at:at + size] = data + b"\0" * (size - len(data))
    with open(target, "wb") as f:
        f.write(image)


def patch(source, target, builtin, new):
    patch_texts(source, target, [(builtin, new, ARRAY_SIZE)])


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    patch(*sys.argv[1:])
