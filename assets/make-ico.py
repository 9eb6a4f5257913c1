#!/usr/bin/env python3
"""Packs Vellacor's icon images into one Windows .ico file.

usage: make-ico.py OUT.ico SIZE:BPP:FILE ...

Each argument adds one image, in the order given.
  BPP 32, FILE *.rgba  raw 8-bit RGBA pixels, top row first; stored as a
                       32-bit DIB with alpha plus the 1-bit AND mask
  BPP 32, FILE *.png   stored as the PNG itself
  BPP 8,  FILE *.rgba  raw RGBA with at most 256 distinct colours among the
                       pixels whose alpha is >= 128; stored as an 8-bit DIB
                       with a 256-entry palette and the AND mask, the other
                       pixels becoming transparent
Standard library only.
"""
import struct
import sys


def and_mask(size, opaque):
    """1-bit mask, bottom row first, rows padded to 4 bytes; 1 = transparent."""
    stride = (size + 31) // 32 * 4
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if not opaque(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def info_header(size, bpp, image_bytes):
    # BITMAPINFOHEADER; the height counts the colour bitmap and the mask.
    return struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, bpp, 0,
                       image_bytes, 0, 0, 0, 0)


def dib32(size, rgba):
    pixels = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
            pixels += bytes((b, g, r, a))
    mask = and_mask(size, lambda x, y: rgba[(y * size + x) * 4 + 3] >= 128)
    return info_header(size, 32, len(pixels) + len(mask)) + pixels + mask


def dib8(size, rgba):
    def opaque(x, y):
        return rgba[(y * size + x) * 4 + 3] >= 128

    palette = [(0, 0, 0)]           # index 0: black, under the transparent pixels
    index = {(0, 0, 0): 0}
    indices = [[0] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if not opaque(x, y):
                continue
            o = (y * size + x) * 4
            colour = tuple(rgba[o:o + 3])
            if colour not in index:
                index[colour] = len(palette)
                palette.append(colour)
            indices[y][x] = index[colour]
    if len(palette) > 256:
        sys.exit(f'make-ico.py: {size}x{size} has {len(palette)} colours, more than 256')
    palette += [(0, 0, 0)] * (256 - len(palette))

    stride = (size + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(size)):
        pixels += bytes(indices[y]) + bytes(stride - size)
    mask = and_mask(size, opaque)
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    return info_header(size, 8, len(pixels) + len(mask)) + table + pixels + mask


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    entries = []
    for arg in argv[2:]:
        size_s, bpp_s, path = arg.split(':', 2)
        size, bpp = int(size_s), int(bpp_s)
        if not 1 <= size <= 256 or bpp not in (8, 32):
            sys.exit(f'make-ico.py: bad image {arg!r}')
        with open(path, 'rb') as f:
            data = f.read()
        if path.endswith('.png'):
            if bpp != 32 or data[:8] != b'\x89PNG\r\n\x1a\n':
                sys.exit(f'make-ico.py: {path}: expected a 32-bit PNG')
            width, height = struct.unpack('>II', data[16:24])
            if (width, height) != (size, size) or data[25] != 6:
                sys.exit(f'make-ico.py: {path}: not a {size}x{size} RGBA PNG')
            blob = data
        else:
            if len(data) != size * size * 4:
                sys.exit(f'make-ico.py: {path}: expected {size * size * 4} bytes of RGBA')
            blob = dib32(size, data) if bpp == 32 else dib8(size, data)
        entries.append((size, bpp, blob))

    out = bytearray(struct.pack('<HHH', 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for size, bpp, blob in entries:
        dim = size % 256                     # 0 stands for 256
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
    for _, _, blob in entries:
        out += blob
    with open(argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv)
