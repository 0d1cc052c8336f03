#!/usr/bin/env python3
"""Writes zel_core's own icon (resource 102, the tray icon) to OUT_FILE.

Two 32-bit images, 16 x 16 and 32 x 32: a round dark-blue badge with a
light eighth note. Drawn here from a few shapes so that no image file is
kept in the repository.
usage: make_core_icon.py OUT_FILE
"""
import struct
import sys

BADGE = (0x1F, 0x4E, 0x8C)
NOTE = (0xF2, 0xF6, 0xFF)


def pixel(u, v):
    """Colour and alpha at (u, v) in a unit square, v from the top."""
    dx, dy = u - 0.5, v - 0.5
    if dx * dx + dy * dy > 0.25:
        return (0, 0, 0), 0
    # Note head (an ellipse), stem and flag.
    hx, hy = (u - 0.40) / 0.14, (v - 0.68) / 0.10
    if hx * hx + hy * hy <= 1.0:
        return NOTE, 255
    if 0.50 <= u <= 0.58 and 0.22 <= v <= 0.68:
        return NOTE, 255
    if 0.58 <= u <= 0.72 and 0.22 <= v <= 0.22 + (0.72 - u) * 0.9 and v <= 0.40:
        return NOTE, 255
    return BADGE, 255


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up
        row = b""
        for x in range(size):
            (r, g, b), a = pixel((x + 0.5) / size, (y + 0.5) / size)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b"".join(rows)
    and_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (and_stride * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def main():
    images = [(16, image(16)), (32, image(32))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
