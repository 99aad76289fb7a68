#!/usr/bin/env python3
"""Writes the small hand-made seed files in seeds/<target>/ (kept in git).
Each one reaches a branch the real corpora rarely touch: RLE deltas, bit
fields, OS/2 headers, GIF disposal and interlacing, icons holding PNG."""
import os, struct, zlib

HERE = os.path.dirname(os.path.abspath(__file__))

def put(target, name, data):
    d = os.path.join(HERE, 'seeds', target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), 'wb') as f:
        f.write(data)

def bmp(w, h, bpp, comp, palette, pixels, hdr=40, masks=b''):
    off = 14 + hdr + len(masks) + len(palette)
    if hdr == 12:
        info = struct.pack('<IHHHH', 12, w, h, 1, bpp)
    else:
        info = struct.pack('<IiiHHIIiiII', hdr, w, h, 1, bpp, comp, len(pixels), 0, 0, 0, 0)
        info += b'\0' * (hdr - 40)
    return b'BM' + struct.pack('<IHHI', off + len(pixels), 0, 0, off) + info + masks + palette + pixels

pal16 = b''.join(bytes([i * 16, 255 - i * 16, i * 8, 0]) for i in range(16))
pal256 = b''.join(bytes([i, 255 - i, i // 2, 0]) for i in range(256))
put('bmp', 'rle8_delta.bmp', bmp(5, 4, 8, 1, pal256, bytes([3, 7, 0, 0, 0, 2, 1, 1, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 9, 0, 1])))
put('bmp', 'rle4_abs.bmp', bmp(6, 2, 4, 2, pal16, bytes([0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 6, 0xAB, 0, 1])))
put('bmp', 'bitfields16.bmp', bmp(2, 2, 16, 3, b'', bytes([0x1F, 0, 0xE0, 0x07, 0, 0xF8, 0xFF, 0xFF]),
                                  masks=struct.pack('<III', 0xF800, 0x07E0, 0x001F)))
put('bmp', 'os2core1.bmp', bmp(9, 2, 1, 0, b'\0\0\0\xff\xff\xff', bytes([0xAA, 0x80, 0, 0, 0x55, 0, 0, 0]), hdr=12))
put('bmp', 'topdown32.bmp', bmp(2, -2, 32, 0, b'', bytes(range(16))))
put('bmp', 'v5alpha.bmp', bmp(1, 1, 32, 3, b'', bytes([1, 2, 3, 4]), hdr=124))

def gif_lzw(indices, mcs):
    # Plain LZW with clears only: every code literal (valid and simple).
    clear, end = 1 << mcs, (1 << mcs) + 1
    codes = [clear]
    for i in indices:
        codes += [i, clear]
    codes.append(end)
    out, acc, bits, size = bytearray(), 0, 0, mcs + 1
    for c in codes:
        acc |= c << bits
        bits += size
        while bits >= 8:
            out.append(acc & 255); acc >>= 8; bits -= 8
    if bits:
        out.append(acc & 255)
    blocks = b''.join(bytes([len(out[i:i + 255])]) + bytes(out[i:i + 255]) for i in range(0, len(out), 255))
    return bytes([mcs]) + blocks + b'\0'

def gif_frame(x, y, w, h, indices, disposal=0, transparent=None, delay=5, interlace=False, local=None):
    gce = b'\x21\xF9\x04' + bytes([(disposal << 2) | (1 if transparent is not None else 0)]) + \
        struct.pack('<H', delay) + bytes([transparent or 0]) + b'\0'
    packed = (0x40 if interlace else 0) | ((0x80 | 1) if local else 0)
    return gce + b',' + struct.pack('<HHHHB', x, y, w, h, packed) + (local or b'') + gif_lzw(indices, 2)

head = b'GIF89a' + struct.pack('<HHBBB', 4, 4, 0x81, 0, 0) + b'\0\0\0\xff\0\0\0\xff\0\0\0\xff'
loop = b'\x21\xFF\x0BNETSCAPE2.0\x03\x01\0\0\0'
anim = head + loop + gif_frame(0, 0, 4, 4, [1] * 16, 1) + gif_frame(1, 1, 2, 2, [2] * 4, 3, delay=0) + \
    gif_frame(2, 0, 2, 3, [3, 0, 3, 0, 3, 0], 2, transparent=0) + \
    gif_frame(0, 0, 4, 4, list(range(4)) * 4, 0, interlace=True, local=b'\x10\x20\x30\x40\x50\x60') + b';'
put('gif', 'disposal_anim.gif', anim)
put('gif', 'offscreen.gif', head + gif_frame(3, 3, 3, 3, [1] * 9) + b'\x21\xFE\x03abc\0;')

def png(w, h, colour, depth, rows, extra=b''):
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    raw = b''.join(b'\0' + r for r in rows)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, depth, colour, 0, 0, 0)) + \
        extra + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')

def png_chunk(t, d):
    return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)

p1 = png(2, 2, 3, 8, [b'\0\1', b'\1\0'], png_chunk(b'PLTE', b'\xff\0\0\0\xff\0') + png_chunk(b'tRNS', b'\x80'))
put('png', 'palette_trns.png', p1)
put('png', 'gray16.png', png(1, 2, 0, 16, [b'\x12\x34', b'\xff\xff']))
put('png', 'rgba8.png', png(1, 1, 6, 8, [b'\x10\x20\x30\x80']))

def ico(entries, kind=1):
    out = struct.pack('<HHH', 0, kind, len(entries))
    off = 6 + 16 * len(entries)
    body = b''
    for w, colours, data in entries:
        out += struct.pack('<BBBBHHII', w & 255, w & 255, colours, 0, 1, 32, len(data), off)
        off += len(data)
        body += data
    return out + body

def dib(w, bpp, palette, xor):
    mask = b'\0' * (((w + 31) // 32) * 4 * w)
    return struct.pack('<IiiHHIIiiII', 40, w, w * 2, 1, bpp, 0, 0, 0, 0, 0, 0) + palette + xor + mask

d4 = dib(8, 4, pal16, bytes(range(32)))
d32 = dib(2, 32, b'', bytes(range(16)))
put('icon', 'mixed.ico', ico([(8, 16, d4), (2, 0, d32), (32, 0, p1)]))
put('icon', 'cursor.cur', ico([(8, 16, d4)], kind=2))

def pcx(version, bits, w, h, bpl, body, palette=b''):
    hdr = struct.pack('<BBBBHHHHHH', 10, version, 1, bits, 0, 0, w - 1, h - 1, 72, 72) + b'\0' * 48 + \
        struct.pack('<BBHH', 0, 1, bpl, 1) + b'\0' * 58
    return hdr + body + palette

put('pcx', 'pal8.pcx', pcx(5, 8, 3, 2, 4, bytes([0xC5, 7, 1, 2, 3]), b'\x0C' + bytes(range(256)) * 3))
put('pcx', 'mono.pcx', pcx(3, 1, 10, 2, 2, bytes([0xC3, 0xAA, 0x55])))

for target in ('bmp', 'gif', 'icon', 'pcx', 'png'):
    d = os.path.join(HERE, 'seeds', target)
    for name in sorted(os.listdir(d))[:2]:
        with open(os.path.join(d, name), 'rb') as f:
            put('sniff', name, f.read())
