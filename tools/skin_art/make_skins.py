#!/usr/bin/env python3
"""Draws the PNG images of skins from their data files, and a C++ header of
each skin's rectangles.

usage: make_skins.py --out DIR [--headers DIR] [--stamp FILE] DATA.toml...
       make_skins.py --list DATA.toml...   (prints the PNG file names)
The images are 8-bit RGB PNG files with the key colour 0xFF00FF outside the
window; the same data gives the same bytes on every machine."""
import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import header  # noqa: E402
import png_io  # noqa: E402
import render  # noqa: E402
import skin_data  # noqa: E402


def main(argv):
    ap = argparse.ArgumentParser()
    ap.add_argument("--out")
    ap.add_argument("--headers")
    ap.add_argument("--stamp")
    ap.add_argument("--list", action="store_true")
    ap.add_argument("data", nargs="+")
    args = ap.parse_args(argv)
    try:
        skins = [skin_data.load(path) for path in args.data]
    except skin_data.SkinError as e:
        print("make_skins: %s" % e, file=sys.stderr)
        return 1
    if args.list:
        for skin in skins:
            for v in skin.variants:
                print(v.png)
        return 0
    if not args.out:
        ap.error("--out is needed")
    os.makedirs(args.out, exist_ok=True)
    for skin in skins:
        for v in skin.variants:
            canvas = render.stored(skin, render.render(skin, v))
            data = png_io.encode_rgb(canvas.width, canvas.height, canvas.px)
            header.write_if_changed(os.path.join(args.out, v.png), data)
        if args.headers:
            os.makedirs(args.headers, exist_ok=True)
            text = header.header_text(skin, os.path.basename(skin.path))
            header.write_if_changed(os.path.join(args.headers, header.header_name(skin)), text)
    if args.stamp:
        with open(args.stamp, "w") as f:
            f.write("done\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
