#!/usr/bin/env python3
"""Writes a zip of a folder the same way every time: entries in sorted order
under one top folder, one fixed time, no owner or permission bits.

Names are stored in GBK without the UTF-8 flag, which is what the built-in zip
support of Chinese Windows (every version) reads, and again in UTF-8 in an
"Info-ZIP Unicode Path" field (0x7075) for tools that read that instead.

usage: make-zip.py SOURCE_DIR TOP_FOLDER OUT.zip
"""
import os
import struct
import sys
import zipfile
import zlib

FIXED_TIME = (2026, 1, 1, 0, 0, 0)
DOS_ARCHIVE, DOS_DIRECTORY = 0x20, 0x10


class GbkInfo(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):
        return self.filename.encode("gbk"), self.flag_bits & ~0x800


def entry(name, is_dir):
    info = GbkInfo(name, FIXED_TIME)
    info.create_system = 0  # MS-DOS attributes only
    info.external_attr = DOS_DIRECTORY if is_dir else DOS_ARCHIVE
    info.compress_type = zipfile.ZIP_STORED if is_dir else zipfile.ZIP_DEFLATED
    gbk = name.encode("gbk")
    if gbk != name.encode("utf-8"):
        utf8 = name.encode("utf-8")
        body = struct.pack("<BI", 1, zlib.crc32(gbk)) + utf8
        info.extra = struct.pack("<HH", 0x7075, len(body)) + body
    return info


def main():
    source, top, out = sys.argv[1:4]
    names = []
    for folder, dirs, files in os.walk(source):
        rel = os.path.relpath(folder, source)
        prefix = top + "/" + ("" if rel == "." else rel.replace(os.sep, "/") + "/")
        if rel != ".":
            names.append((prefix, None))
        names.extend((prefix + f, os.path.join(folder, f)) for f in files)
    names.sort(key=lambda n: n[0].encode("utf-8"))
    with zipfile.ZipFile(out, "w", compresslevel=9) as z:
        z.writestr(entry(top + "/", True), b"")
        for name, path in names:
            data = b""
            if path:
                with open(path, "rb") as f:
                    data = f.read()
            z.writestr(entry(name, path is None), data)


if __name__ == "__main__":
    main()
