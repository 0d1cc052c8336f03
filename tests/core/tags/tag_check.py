#!/usr/bin/env python3
"""Independent checker of the tags that the player writes.

  tag_check.py trailing FILE AUDIO_LENGTH KIND ITEM... --out OUT
      KIND is id3v1, apev1 or apev2. Each ITEM is NAME=HEX (the item's UTF-8
      value in hex, "-" for an empty one), optionally NAME=HEX@FLAGS, in the
      order in which the tag must hold them. Builds the tag that FILE must
      end with after AUDIO_LENGTH bytes of audio, from the formats alone, and
      writes "ok", or "mismatch" with both byte strings in hex.

  tag_check.py id3v2 FILE --out OUT
      Parses the ID3v2 tag at the start of FILE and writes one line per fact:
        version MAJOR REVISION FLAGS
        size TOTAL_BYTES_OF_THE_TAG
        frame ID FLAGS DATA_HEX
        text ID ENCODING UTF8_HEX          (text frames but TXXX)
        described ID ENCODING LANG DESC_HEX TEXT_HEX   (COMM, USLT)
        user ENCODING DESC_HEX VALUE_HEX   (TXXX)
        rest LENGTH SHA256                 (the bytes after the tag)
      "none" when the file has no ID3v2 tag.

Text of the ANSI code page is code page 949. OUT is written atomically.
"""
import argparse
import hashlib
import os
import struct
import sys

ANSI = "cp949"

GENRES = [
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop",
    "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game",
    "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative",
    "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial",
    "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta",
    "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave",
    "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka",
    "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk/Rock", "National Folk", "Swing",
    "Fast-Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock",
    "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus",
    "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata",
    "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba",
    "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo",
    "A capella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club House", "Hardcore", "Terror",
    "Indie", "BritPop", "NegerPunk", "Polsk Punk", "Beat", "Christian Gangsta", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary C", "Christian Rock", "Merengue", "Salsa", "Thrash Metal",
    "Anime", "JPop", "SynthPop",
]


def hexs(data):
    return data.hex() if data else "-"


def parse_items(texts):
    items = []
    for text in texts:
        name, _, rest = text.partition("=")
        value, _, flags = rest.partition("@")
        items.append((name, b"" if value == "-" else bytes.fromhex(value), int(flags or "0")))
    return items


def lookup(items, name):
    for n, v, _ in items:
        if n.lower() == name.lower():
            return v
    return b""


def expected_id3v1(items):
    def field(name, width):
        data = lookup(items, name).decode("utf-8").encode(ANSI)
        data = (data + b"\0")[:width]
        return data + b"\0" * (width - len(data))

    tag = bytearray(b"TAG" + field("Title", 30) + field("Artist", 30) + field("Album", 30) + field("Year", 4))
    track = lookup(items, "Track")
    if track:
        digits = b""
        for c in track.lstrip(b" "):
            if not 48 <= c <= 57:
                break
            digits += bytes([c])
        tag += field("Comment", 28) + b"\0" + bytes([int(digits or b"0") & 0xFF])
    else:
        tag += field("Comment", 30)
    genre = lookup(items, "Genre").decode("utf-8").lower()
    names = [g.lower() for g in GENRES]
    tag += bytes([names.index(genre) if genre in names else 255])
    return bytes(tag)


def expected_apev1(items):
    body = b""
    count = 0
    for name, value, _ in items:
        if not value:
            continue
        data = value.decode("utf-8").encode(ANSI) + b"\0"
        body += struct.pack("<II", len(data), 0) + name.encode("ascii") + b"\0" + data
        count += 1
    return body + b"APETAGEX" + struct.pack("<IIII", 1000, len(body) + 32, count, 0) + b"\0" * 8


def expected_apev2(items):
    body = b""
    count = 0
    for name, value, flags in items:
        if not value:
            continue
        data = value if flags & 2 else value.replace(b"; ", b"\0")
        body += struct.pack("<II", len(data), flags) + name.encode("ascii") + b"\0" + data
        count += 1
    size = len(body) + 32

    def block(flags):
        return b"APETAGEX" + struct.pack("<IIII", 2000, size, count, flags) + b"\0" * 8

    return block(0xA0000000) + body + block(0x80000000)


def check_trailing(path, audio_length, kind, texts):
    items = parse_items(texts)
    expected = {"id3v1": expected_id3v1, "apev1": expected_apev1, "apev2": expected_apev2}[kind](items)
    with open(path, "rb") as fh:
        actual = fh.read()[audio_length:]
    if actual == expected:
        return "ok\n"
    return "mismatch\nexpected %s\nactual %s\n" % (hexs(expected), hexs(actual))


def decode(encoding, data):
    if encoding == 0:
        text = data.split(b"\0", 1)[0].decode(ANSI, "replace")
    elif encoding == 1:
        if data[:2] == b"\xfe\xff":
            text = data[2:].decode("utf-16-be", "replace")
        elif data[:2] == b"\xff\xfe":
            text = data[2:].decode("utf-16-le", "replace")
        else:
            text = data.decode("utf-16-le", "replace")
    elif encoding == 2:
        text = data.decode("utf-16-be", "replace")
    else:
        text = data.split(b"\0", 1)[0].decode("utf-8", "replace")
    return text.split("\0", 1)[0].encode("utf-8")


def split_description(encoding, data):
    if encoding in (1, 2):
        for i in range(0, len(data) - 1, 2):
            if data[i:i + 2] == b"\0\0":
                return data[:i], data[i + 2:]
        return data, b""
    desc, _, rest = data.partition(b"\0")
    return desc, rest


def dump_id3v2(path):
    with open(path, "rb") as fh:
        data = fh.read()
    if data[:3] != b"ID3" or len(data) < 10:
        return "none\n"
    major, revision, flags = data[3], data[4], data[5]
    size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
    total = 10 + size + (10 if flags & 0x10 else 0)
    body = data[10:10 + size]
    if flags & 0x80:
        body = body.replace(b"\xff\x00", b"\xff")
    lines = ["version %d %d %d" % (major, revision, flags), "size %d" % total]
    pos = 0
    if flags & 0x40:
        ext = struct.unpack(">I", body[:4])[0]
        pos = ext if major == 4 else 4 + ext
    while pos + 10 <= len(body) and body[pos] != 0:
        fid = body[pos:pos + 4].decode("latin-1")
        raw = body[pos + 4:pos + 8]
        n = ((raw[0] << 21) | (raw[1] << 14) | (raw[2] << 7) | raw[3]) if major == 4 else struct.unpack(">I", raw)[0]
        fflags = struct.unpack(">H", body[pos + 8:pos + 10])[0]
        content = body[pos + 10:pos + 10 + n]
        pos += 10 + n
        lines.append("frame %s %04x %s" % (fid, fflags, hexs(content)))
        if not content:
            continue
        enc = content[0]
        if fid == "TXXX":
            desc, value = split_description(enc, content[1:])
            lines.append("user %d %s %s" % (enc, hexs(decode(enc, desc)), hexs(decode(enc, value))))
        elif fid in ("COMM", "USLT"):
            desc, text = split_description(enc, content[4:])
            lines.append("described %s %d %s %s %s" % (fid, enc, content[1:4].decode("latin-1"),
                                                       hexs(decode(enc, desc)), hexs(decode(enc, text))))
        elif fid.startswith("T"):
            lines.append("text %s %d %s" % (fid, enc, hexs(decode(enc, content[1:]))))
    rest = data[total:]
    lines.append("rest %d %s" % (len(rest), hashlib.sha256(rest).hexdigest()))
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("mode", choices=["trailing", "id3v2"])
    parser.add_argument("file")
    parser.add_argument("rest", nargs="*")
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    try:
        if args.mode == "trailing":
            result = check_trailing(args.file, int(args.rest[0]), args.rest[1], args.rest[2:])
        else:
            result = dump_id3v2(args.file)
    except Exception as error:  # reported to the test instead of a silent time-out
        result = "error %s\n" % error
    with open(args.out + ".tmp", "w", encoding="ascii") as fh:
        fh.write(result)
    os.replace(args.out + ".tmp", args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
