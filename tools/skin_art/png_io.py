"""PNG files of skin images: written as 8-bit RGB (colour type 2), not
interlaced, with only the IHDR, IDAT and IEND chunks, and read back for the
lint (which also reports any other structure it finds)."""
import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def encode_rgb(width, height, pixels):
    """pixels: bytes of width * height * 3 (top-down rows, red, green, blue)."""
    stride = width * 3
    raw = bytearray()
    for y in range(height):
        raw.append(0)  # filter type None: the same bytes on every machine
        raw += pixels[y * stride:(y + 1) * stride]
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (SIGNATURE + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            _chunk(b"IEND", b""))


class PngError(Exception):
    pass


class PngFile:
    """What the lint needs to know of a PNG: its chunks, header fields and,
    for 8-bit RGB, its pixels."""

    def __init__(self, data):
        if not data.startswith(SIGNATURE):
            raise PngError("not a PNG file")
        self.chunks = []
        pos = len(SIGNATURE)
        idat = bytearray()
        while pos < len(data):
            if pos + 8 > len(data):
                raise PngError("truncated chunk header")
            length, kind = struct.unpack(">I4s", data[pos:pos + 8])
            body = data[pos + 8:pos + 8 + length]
            if len(body) != length or pos + 12 + length > len(data):
                raise PngError("truncated chunk %r" % kind)
            crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
            if crc != zlib.crc32(kind + body) & 0xFFFFFFFF:
                raise PngError("bad CRC in chunk %r" % kind)
            self.chunks.append(kind.decode("latin-1"))
            if kind == b"IHDR":
                (self.width, self.height, self.bit_depth, self.colour_type, self.compression, self.filter_method,
                 self.interlace) = struct.unpack(">IIBBBBB", body)
            elif kind == b"IDAT":
                idat += body
            pos += 12 + length
            if kind == b"IEND":
                break
        if not self.chunks or self.chunks[0] != "IHDR":
            raise PngError("IHDR is not the first chunk")
        self.pixels = None
        if self.bit_depth == 8 and self.colour_type == 2 and self.interlace == 0:
            self.pixels = _unfilter(zlib.decompress(bytes(idat)), self.width, self.height, 3)

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


def _unfilter(raw, width, height, bpp):
    stride = width * bpp
    out = bytearray(stride * height)
    prev = bytearray(stride)
    pos = 0
    for y in range(height):
        kind = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
            elif kind != 0:
                raise PngError("unknown filter type %d" % kind)
        out[y * stride:(y + 1) * stride] = line
        prev = line
    return bytes(out)
