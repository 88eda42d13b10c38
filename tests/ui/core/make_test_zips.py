#!/usr/bin/env python3
"""Writes the zip archives the skin parser and zip reader tests read.

    make_test_zips.py OUTDIR

skin.zip       entries in several forms (see ENTRIES), two of them damaged on purpose
lying.zip      an entry whose compressed size runs past the end of the file
badoffset.zip  an entry whose local header offset points past the end of the file
truncated.zip  skin.zip cut short (no end record)
notazip.zip    plain text
"""
import os
import struct
import sys
import zipfile

SKIN = ('<?xml version="1.0" encoding="utf-8"?>\n'
        '<Window size="541,402">\n  <Label name="title" text="&lt;zip&gt;"/>\n</Window>\n')
LIMIT = 4 * 1024 * 1024


def sized_skin(size):
    head, tail = b'<Window>', b'</Window>'
    return head + b'x' * (size - len(head) - len(tail)) + tail


def local_data_offset(raw, info):
    name_len, extra_len = struct.unpack_from('<HH', raw, info.header_offset + 26)
    return info.header_offset + 30 + name_len + extra_len


def main(out):
    os.makedirs(out, exist_ok=True)
    skin = os.path.join(out, 'skin.zip')
    with zipfile.ZipFile(skin, 'w') as z:
        z.writestr('Skin/Main.xml', SKIN, zipfile.ZIP_DEFLATED)
        z.writestr('Stored.XML', SKIN, zipfile.ZIP_STORED)
        z.writestr('empty.xml', b'', zipfile.ZIP_DEFLATED)
        z.writestr('exact.xml', sized_skin(LIMIT), zipfile.ZIP_DEFLATED)
        z.writestr('over.xml', sized_skin(LIMIT + 1), zipfile.ZIP_DEFLATED)
        z.writestr('utf16be.xml', b'\xfe\xff' + SKIN.encode('utf-16-be'), zipfile.ZIP_DEFLATED)
        z.writestr('\u540d\u5b57.xml', SKIN, zipfile.ZIP_DEFLATED)  # flagged as UTF-8
        z.writestr('\u4e64.xml', SKIN, zipfile.ZIP_STORED)  # 81 61 in code page 936
        z.writestr('corrupt.xml', SKIN * 20, zipfile.ZIP_DEFLATED)
        z.writestr('badcrc.xml', SKIN, zipfile.ZIP_STORED)
        infos = {i.filename: i for i in z.infolist()}
    raw = bytearray(open(skin, 'rb').read())
    # An invalid deflate block type (BTYPE 11) as the first byte of the stream.
    raw[local_data_offset(raw, infos['corrupt.xml'])] = 0xFF
    # Stored data whose bytes no longer match the CRC.
    raw[local_data_offset(raw, infos['badcrc.xml'])] ^= 0x01
    open(skin, 'wb').write(raw)

    open(os.path.join(out, 'truncated.zip'), 'wb').write(raw[: len(raw) // 2])
    open(os.path.join(out, 'notazip.zip'), 'wb').write(b'<Window/>' * 10)

    for name, field, value in (('lying.zip', 20, 0x7FFFFFF0), ('badoffset.zip', 42, 0x7FFFFFF0)):
        path = os.path.join(out, name)
        with zipfile.ZipFile(path, 'w') as z:
            z.writestr('a.xml', SKIN, zipfile.ZIP_DEFLATED)
        data = bytearray(open(path, 'rb').read())
        end = data.rfind(b'PK\x05\x06')
        central = struct.unpack_from('<I', data, end + 16)[0]
        struct.pack_into('<I', data, central + field, value)
        open(path, 'wb').write(data)


if __name__ == '__main__':
    main(sys.argv[1])
