#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into tests/fuzz/corpus/ (committed; rerun
after changing the seeds).

xml/: skins in every encoding mode of xml_fuzzer (byte 0 = encoding | 4 for code page 1252)
zip/: small archives, stored and deflated
"""
import io
import os
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))

SKIN = ('<?xml version="1.0" encoding="utf-8"?>\n<!-- skin -->\n'
        '<Window size="541,402" caption="0,0,0,402" roundcorner="5,5">\n'
        '  <Font name="\u5fae\u8f6f\u96c5\u9ed1" size="12" default="true"/>\n'
        '  <VerticalLayout bkimage="file=\'bg.png\' corner=\'2,2,2,2\'">\n'
        '    <Label text="a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos; &copy;"/>\n'
        '    <Progress name="progress" value="0" max="100" />\n'
        '    <Text>\u6b63\u5728\u51c6\u5907\u5b89\u88c5</Text>\n'
        '  </VerticalLayout>\n'
        '</Window>\n')
SMALL = ['<A/>', '<A x="1" y = "2"></A>', '<A><B>t</B><C/>', '<A></B>', "<A x='1'/>"]


def write(folder, name, data):
    path = os.path.join(HERE, 'corpus', folder)
    os.makedirs(path, exist_ok=True)
    open(os.path.join(path, name), 'wb').write(data)


def main():
    utf8 = SKIN.encode('utf-8')
    write('xml', 'utf8', b'\x00' + utf8)
    write('xml', 'utf8-bom', b'\x00\xef\xbb\xbf' + utf8)
    write('xml', 'utf16le', b'\x01\xff\xfe' + SKIN.encode('utf-16-le'))
    write('xml', 'utf16be', b'\x01\xfe\xff' + SKIN.encode('utf-16-be'))
    write('xml', 'ansi-936', b'\x02' + SKIN.encode('gbk'))
    write('xml', 'ansi-1252', b'\x06' + SKIN.encode('cp1252', 'replace'))
    write('xml', 'trail-bytes', b'\x02<W><A t="\x81"\x81/\x81>">\x81<\x81>t</A></W>')
    for i, s in enumerate(SMALL):
        write('xml', 'small-%d' % i, b'\x02' + s.encode())

    for method, name in ((zipfile.ZIP_DEFLATED, 'deflated'), (zipfile.ZIP_STORED, 'stored')):
        buf = io.BytesIO()
        with zipfile.ZipFile(buf, 'w') as z:
            for entry, data in (('Skin/Main.xml', SKIN), ('a', SMALL[1]), ('empty', b'')):
                info = zipfile.ZipInfo(entry, date_time=(2020, 1, 1, 0, 0, 0))
                info.compress_type = method
                z.writestr(info, data)
        write('zip', name, buf.getvalue())


if __name__ == '__main__':
    main()
