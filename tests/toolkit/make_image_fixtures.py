#!/usr/bin/env python3
"""Writes the toolkit tests' image fixtures into OUT_DIR:

probe.bmp  24-bit BMP, 5 x 3, pixel (x, y) = bmp_colour(x, y)
probe.gif  GIF, 6 x 4, pixel (x, y) = GIF_PALETTE[(x + 2 * y) % 4]
probe.png  8-bit RGB PNG, 4 x 3, pixel (x, y) = bmp_colour(x, y)

The tests compute the same colours (tests/toolkit/image_fixtures.h).
usage: make_image_fixtures.py OUT_DIR
"""
import os
import struct
import sys
import zlib

GIF_PALETTE = [(255, 0, 0), (0, 128, 0), (0, 0, 255), (255, 255, 0)]


def bmp_colour(x, y):
    return (40 * x + 10, 60 * y + 20, 100 + 7 * x * y)


def bmp(width, height):
    stride = (width * 3 + 3) & ~3
    rows = b""
    for y in reversed(range(height)):  # bottom-up
        row = b"".join(bytes((b, g, r)) for r, g, b in (bmp_colour(x, y) for x in range(width)))
        rows += row + b"\0" * (stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    return head + info + rows


def gif(width, height):
    # LZW with a clear code before every pair of literals: the table never
    # grows past its first free code, so every code keeps 3 bits.
    clear, end = 4, 5
    pixels = [(x + 2 * y) % 4 for y in range(height) for x in range(width)]
    codes = []
    for i in range(0, len(pixels), 2):
        codes.append(clear)
        codes.extend(pixels[i:i + 2])
    codes.append(end)
    bits = value = 0
    data = bytearray()
    for code in codes:
        value |= code << bits
        bits += 3
        while bits >= 8:
            data.append(value & 0xFF)
            value >>= 8
            bits -= 8
    if bits:
        data.append(value & 0xFF)
    blocks = b"".join(bytes((len(data[i:i + 255]),)) + bytes(data[i:i + 255]) for i in range(0, len(data), 255))
    palette = b"".join(bytes(c) for c in GIF_PALETTE)
    return (b"GIF89a" + struct.pack("<HHBBB", width, height, 0x81, 0, 0) + palette +
            b"," + struct.pack("<HHHHB", 0, 0, width, height, 0) + bytes((2,)) + blocks + b"\0;")


def png(width, height):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + b"".join(bytes(bmp_colour(x, y)) for x in range(width)) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, data in (("probe.bmp", bmp(5, 3)), ("probe.gif", gif(6, 4)), ("probe.png", png(4, 3))):
        with open(os.path.join(out, name + ".tmp"), "wb") as f:
            f.write(data)
        os.replace(os.path.join(out, name + ".tmp"), os.path.join(out, name))


if __name__ == "__main__":
    main()
