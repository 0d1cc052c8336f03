#!/usr/bin/env python3
"""Writes the tag fixtures: audio-like filler with ID3v1, APE v1, APE v2 and
ID3v2 tags laid out byte by byte, for the tag reader and writer tests.

  make_tag_fixtures.py DIR

Texts are Korean where the tests look at the conversions: the ANSI code page
(949) in ID3v1, APE v1 and ID3v2 frames of encoding 0, UTF-8 in APE v2 and
ID3v2 encoding 3, UTF-16 in encodings 1 and 2. DIR/fixtures.stamp is written
last.
"""
import os
import struct
import sys

ANSI = "cp949"

TITLE = "봄날의 노래"
ARTIST = "김민수"
ALBUM = "사계절"
COMMENT = "매장 음악"
COMPOSER = "작곡가"
LYRICS = "가사 첫 줄"
PICTURE = bytes(range(256)) + b"\xff\x00\xff\xd8\x00" * 40


def filler(length, seed=11):
    """Audio stand-in that holds no tag signature: consecutive bytes differ
    by 37 modulo 251, so "TAG", "ID3", "3DI" and "APETAGEX" cannot occur."""
    return bytes((i * 37 + seed) % 251 for i in range(length))


# ID3v1 ------------------------------------------------------------------

def v1_field(text, width):
    data = text.encode(ANSI) if isinstance(text, str) else text
    assert len(data) <= width
    return data + b"\0" * (width - len(data))


def id3v1(title="", artist="", album="", year="", comment="", track=None, genre=255):
    tag = b"TAG" + v1_field(title, 30) + v1_field(artist, 30) + v1_field(album, 30) + v1_field(year, 4)
    if track is None:
        tag += v1_field(comment, 30)
    else:
        tag += v1_field(comment, 28) + b"\0" + bytes([track])
    tag += bytes([genre])
    assert len(tag) == 128
    return tag


# APE --------------------------------------------------------------------

def ape_block(version, size, count, flags):
    return b"APETAGEX" + struct.pack("<IIII", version, size, count, flags) + b"\0" * 8


def ape_v1(items):
    """items: (name, text); each value is ANSI text with its NUL counted."""
    body = b""
    for name, text in items:
        value = text.encode(ANSI) + b"\0"
        body += struct.pack("<II", len(value), 0) + name.encode("ascii") + b"\0" + value
    return body + ape_block(1000, len(body) + 32, len(items), 0)


def ape_v2(items, header=True):
    """items: (name, value, flags); a str value is UTF-8, bytes are taken as
    they are."""
    body = b""
    for name, value, flags in items:
        data = value.encode("utf-8") if isinstance(value, str) else value
        body += struct.pack("<II", len(data), flags) + name.encode("ascii") + b"\0" + data
    size = len(body) + 32
    head = ape_block(2000, size, len(items), 0xA0000000) if header else b""
    return head + body + ape_block(2000, size, len(items), 0x80000000 if header else 0)


def ape_raw(version, body, count, size=None, flags=0):
    return body + ape_block(version, len(body) + 32 if size is None else size, count, flags)


# ID3v2 ------------------------------------------------------------------

def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def unsync(data):
    out = bytearray()
    for b in data:
        out.append(b)
        if b == 0xFF:
            out.append(0)
    return bytes(out)


def frame(version, fid, data, flags=0, size=None):
    n = len(data) if size is None else size
    size_bytes = syncsafe(n) if version == 4 else struct.pack(">I", n)
    return fid.encode("ascii") + size_bytes + struct.pack(">H", flags) + data


def enc_text(encoding, text):
    if encoding == 0:
        return text.encode(ANSI)
    if encoding == 1:
        return b"\xff\xfe" + text.encode("utf-16-le")
    if encoding == 2:
        return text.encode("utf-16-be")
    if encoding == 3:
        return text.encode("utf-8")
    if encoding == "1be":
        return b"\xfe\xff" + text.encode("utf-16-be")
    raise ValueError(encoding)


def enc_byte(encoding):
    return bytes([1 if encoding == "1be" else encoding])


def terminator(encoding):
    return b"\0\0" if encoding in (1, 2, "1be") else b"\0"


def text_frame(version, fid, text, encoding=0, flags=0):
    return frame(version, fid, enc_byte(encoding) + enc_text(encoding, text), flags)


def described_frame(version, fid, description, text, encoding=0, lang=b"eng"):
    data = enc_byte(encoding) + lang + enc_text(encoding, description) + terminator(encoding)
    data += enc_text(encoding, text)
    return frame(version, fid, data)


def user_frame(version, description, value, encoding=0):
    data = enc_byte(encoding) + enc_text(encoding, description) + terminator(encoding)
    return frame(version, "TXXX", data + enc_text(encoding, value))


def picture_frame(version):
    data = b"\0" + b"image/jpeg\0" + b"\x03" + b"cover\0" + PICTURE
    return frame(version, "APIC", data)


def id3v2(version, frames, flags=0, padding=0, body=None, size=None):
    data = b"".join(frames) + b"\0" * padding if body is None else body
    if flags & 0x80:
        data = unsync(data)
    n = len(data) if size is None else size
    return b"ID3" + bytes([version, 0, flags]) + syncsafe(n) + data


def id3v24_appended(frames):
    data = b"".join(frames)
    head = b"ID3" + bytes([4, 0, 0x10]) + syncsafe(len(data))
    foot = b"3DI" + bytes([4, 0, 0x10]) + syncsafe(len(data))
    return head + data + foot


# Fixtures ---------------------------------------------------------------

def korean_v1():
    return id3v1(TITLE, ARTIST, ALBUM, "2016", COMMENT, track=7, genre=17)


def korean_id3v23():
    v = 3
    return id3v2(v, [
        text_frame(v, "TIT2", TITLE, 0),
        text_frame(v, "TPE1", ARTIST, 1),
        text_frame(v, "TALB", ALBUM, "1be"),
        text_frame(v, "TCOM", COMPOSER, 0),
        text_frame(v, "TOPE", "원곡 가수", 0),
        text_frame(v, "TCOP", "(c) 2016 ZEL", 0),
        text_frame(v, "TENC", "인코더", 1),
        described_frame(v, "COMM", "", COMMENT, 0, b"kor"),
        described_frame(v, "USLT", "", LYRICS, 1, b"kor"),
        text_frame(v, "TYER", "2016"),
        text_frame(v, "TRCK", "3/12"),
        text_frame(v, "TCON", "(13)"),
        user_frame(v, "REPLAYGAIN_TRACK_GAIN", "-7.50 dB"),
        user_frame(v, "replaygain_track_peak", "0.912345"),
        user_frame(v, "replaygain_album_gain", "-6.25 dB", 1),
        user_frame(v, "replaygain_album_peak", "0.998000"),
        user_frame(v, "MusicBrainz Album Id", "kept-value"),
        text_frame(v, "TPE2", "앨범 가수", 0),
        picture_frame(v),
    ], padding=64)


def fixtures():
    f = {}
    tag = korean_v1()
    f["v1_131072.mp3"] = filler(131072 - 128) + tag
    f["v1_131071.mp3"] = filler(131071 - 128) + tag
    f["v1_small.mp3"] = filler(4000) + tag
    f["v1_track200.mp3"] = filler(140000) + id3v1(b"Abcd  ", "", "", "", "x" * 28, track=200, genre=255)
    f["v1_track0.mp3"] = filler(140000) + id3v1("T", "", "", "", "c" * 30, genre=0)
    f["plain.mp3"] = filler(140000)
    f["tiny.mp3"] = filler(50)

    f["apev2h_v1.mp3"] = filler(140000) + ape_v2([
        ("Title", TITLE, 0), ("Artist", ARTIST, 0), ("Genre", "Jazz", 0),
        ("replaygain_track_gain", "-6.20 dB", 0), ("Mood", "calm", 0)]) + \
        id3v1("v1 title", "v1 artist", "", "1999", "", genre=17)
    f["apev1_v1.mp3"] = filler(140000) + ape_v1([("Artist", ARTIST), ("Album", ALBUM)]) + \
        id3v1("v1 title", "v1 artist", "v1 album")
    f["three_tags.mp3"] = filler(140000) + \
        ape_v1([("Title", "ape1 title"), ("Artist", "ape1 artist"), ("Comment", "ape1 comment")]) + \
        ape_v2([("Title", "ape2 title", 0)], header=False) + \
        id3v1("v1 title", "v1 artist", "v1 album", "2001", "v1 comment")
    f["v1_then_apev2.mp3"] = filler(140000) + id3v1("v1 title", "v1 artist") + \
        ape_v2([("Title", "ape2 title", 0)])
    f["apev2_nul.mp3"] = filler(140000) + ape_v2([
        ("Title", TITLE, 0), ("Artist", "First\0Second", 0),
        ("Cover Art (Front)", b"pic\0ture; \xff\x00", 2)])

    f["id3v2_and_apev2.mp3"] = id3v2(3, [text_frame(3, "TIT2", "A")]) + filler(140000) + \
        ape_v2([("Title", "B", 0), ("Artist", "X", 0)])
    f["id3v2_empty_and_apev2.mp3"] = id3v2(3, []) + filler(140000) + ape_v2([("Title", "B", 0)])

    f["id3v23_korean.mp3"] = korean_id3v23() + filler(140000) + id3v1("v1 title", "v1 artist")
    f["id3v24.mp3"] = id3v2(4, [
        text_frame(4, "TIT2", TITLE, 3),
        text_frame(4, "TYER", "1999"),
        text_frame(4, "TDRC", "2020"),
        text_frame(4, "TCOM", COMPOSER, 2),
        frame(4, "TPE1", unsync(b"\x01" + enc_text(1, "ÿÿ" + ARTIST)), flags=0x0002),
        frame(4, "TALB", syncsafe(len(ALBUM.encode("utf-8")) + 1) + b"\x03" + ALBUM.encode("utf-8"),
              flags=0x0001),
    ]) + filler(140000)
    f["id3v24_footer.mp3"] = filler(140000) + id3v24_appended([text_frame(4, "TIT2", TITLE, 3)])
    f["id3v22.mp3"] = b"ID3" + bytes([2, 0, 0]) + syncsafe(13) + b"TT2" + b"\0\0\x07" + b"\0Title2" + \
        filler(140000)
    f["id3v2_oversize.mp3"] = id3v2(3, [text_frame(3, "TIT2", "Big")], size=1 << 27) + filler(1000)
    f["id3v2_frame_order.mp3"] = id3v2(3, [
        frame(3, "TIT2", b"\0Hidden", flags=0x0080),
        text_frame(3, "TIT2", "First"),
        text_frame(3, "TIT2", "Second"),
        frame(3, "TPE1", b"\0Secret", flags=0x0040),
        text_frame(3, "TPE1", "Open"),
        frame(3, "TALB", b"\x07Bad encoding"),
        text_frame(3, "TALB", "Good"),
    ]) + filler(140000)
    f["id3v2_comm_empty.mp3"] = id3v2(3, [
        frame(3, "COMM", b"\0eng" + b"Desc\0"),
        frame(3, "USLT", b"\x01eng" + enc_text(1, "가사") + b"\0\0"),
    ]) + filler(140000)
    f["id3v23_unsync.mp3"] = id3v2(3, [text_frame(3, "TPE1", "ÿÿ" + ARTIST, 1),
                                       text_frame(3, "TIT2", "after")], flags=0x80) + filler(140000)
    ext23 = struct.pack(">I", 6) + b"\0\0" + struct.pack(">I", 20)
    f["id3v23_ext.mp3"] = id3v2(3, [], flags=0x40, body=ext23 + text_frame(3, "TIT2", "Ext3") + b"\0" * 20) + \
        filler(140000)
    ext24 = syncsafe(6) + b"\x01\x00"
    f["id3v24_ext.mp3"] = id3v2(4, [], flags=0x40, body=ext24 + text_frame(4, "TIT2", "Ext4")) + filler(140000)

    for i, tcon in enumerate(["(13)", "(13)Text", "(200)", "Rock", "(ab)", "(13", "(-1)", "()"]):
        f["tcon_%d.mp3" % i] = id3v2(3, [text_frame(3, "TCON", tcon)]) + filler(2000)

    # Sizes that reach past the tag or the file.
    f["id3v2_frame_past_end.mp3"] = id3v2(3, [
        text_frame(3, "TIT2", "Good"), frame(3, "TALB", b"\0Album", size=0x7FFFFFF0)]) + filler(140000)
    f["id3v24_frame_past_end.mp3"] = id3v2(4, [
        text_frame(4, "TIT2", "Good"), frame(4, "TALB", b"\0Album", size=0x0FFFFFFF)]) + filler(140000)
    f["id3v2_cut_header.mp3"] = id3v2(3, [], body=text_frame(3, "TIT2", "Good") + b"TALB\0\0") + filler(140000)
    pad = struct.pack(">I", 6) + b"\0\0" + b"\xff\xff\xff\xff"
    f["id3v23_padding_huge.mp3"] = id3v2(3, [], flags=0x40, body=pad + text_frame(3, "TIT2", "Pad")) + \
        filler(140000)
    big_ext = struct.pack(">I", 0xFFFFFFF0) + b"\0\0"
    f["id3v23_ext_huge.mp3"] = id3v2(3, [], flags=0x40, body=big_ext + text_frame(3, "TIT2", "Ext")) + \
        filler(140000)
    f["id3v24_ext_huge.mp3"] = id3v2(4, [], flags=0x40, body=b"\x7f\x7f\x7f\x7f" + text_frame(4, "TIT2", "E")) + \
        filler(140000)

    good = struct.pack("<II", 4, 0) + b"Title\0" + b"Good"
    f["apev2_value_past_end.mp3"] = filler(140000) + ape_raw(
        2000, good + struct.pack("<II", 0x7FFFFFF0, 0) + b"Artist\0" + b"Bad", 2)
    f["apev2_value_huge.mp3"] = filler(140000) + ape_raw(
        2000, good + struct.pack("<II", 0xFFFFFFF8, 0) + b"Artist\0" + b"Bad", 2)
    f["apev2_name_unterminated.mp3"] = filler(140000) + ape_raw(
        2000, good + struct.pack("<II", 3, 0) + b"ArtistBad", 2)
    f["apev1_value_past_end.mp3"] = filler(140000) + ape_raw(
        1000, struct.pack("<II", 5, 0) + b"Title\0Good\0" + struct.pack("<II", 99, 0) + b"Album\0Bad\0", 2)
    f["apev2_count_huge.mp3"] = filler(140000) + ape_raw(2000, good, 0xFFFFFFFF)
    f["apev2_size_past_file.mp3"] = filler(100) + ape_raw(2000, good, 1, size=0x7FFFFFFF)
    f["apev2_header_missing.mp3"] = filler(140000) + ape_raw(2000, good, 1, flags=0x80000000)
    return f


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, data in sorted(fixtures().items()):
        with open(os.path.join(out, name), "wb") as fh:
            fh.write(data)
    with open(os.path.join(out, "fixtures.stamp"), "w") as fh:
        fh.write("ok\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
