#!/usr/bin/env python3
"""Writes the first font of a TrueType collection as a font file of its own.

GDI+ private font collections (Wine's at least) load single fonts only. The
tables are copied unchanged, each 4-byte aligned, and the head table's
checksum adjustment is worked out for the new file.
usage: ttc-first-font.py collection.ttc font.ttf
"""
import struct
import sys


def checksum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def main():
    src, dst = sys.argv[1], sys.argv[2]
    blob = open(src, "rb").read()
    if blob[:4] != b"ttcf":
        sys.exit("%s: not a TrueType collection" % src)
    first = struct.unpack(">I", blob[12:16])[0]
    version, count = struct.unpack(">IH", blob[first:first + 6])
    if version != 0x00010000:
        sys.exit("%s: its first font holds no TrueType outlines" % src)
    records = [struct.unpack(">4sIII", blob[first + 12 + 16 * i:first + 28 + 16 * i]) for i in range(count)]
    tags = {r[0] for r in records}
    if b"glyf" not in tags or b"CFF " in tags:
        sys.exit("%s: its first font holds no TrueType outlines" % src)
    header = bytearray(blob[first:first + 12 + 16 * count])
    body = bytearray()
    offset = len(header)
    head_at = None
    for i, (tag, check, start, length) in enumerate(records):
        table = blob[start:start + length]
        if tag == b"head":
            head_at = offset + len(body)
            table = table[:8] + b"\0\0\0\0" + table[12:]
        struct.pack_into(">4sIII", header, 12 + 16 * i, tag, check, offset + len(body), length)
        body += table + b"\0" * (-length % 4)
    font = bytearray(header + body)
    if head_at is not None:
        struct.pack_into(">I", font, head_at + 8, (0xB1B0AFBA - checksum(bytes(font))) & 0xFFFFFFFF)
    open(dst, "wb").write(font)


if __name__ == "__main__":
    main()
