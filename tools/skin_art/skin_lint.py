#!/usr/bin/env python3
"""Checks every generated skin image against its data file.

usage: skin_lint.py --images DIR DATA.toml...

Per skin (the data): every rectangle lies inside the image; each control's
state images have the size of its draw rectangle (a slider's thumb images
fit its thumb); controls and text areas lie on the face; images
kept outside the face do not overlap; the resize pieces tile the face
exactly, controls sit in pieces that carry them along, and no control lies
on a stretching strip.
Per image: 8-bit RGB, not interlaced, only IHDR, IDAT and IEND; the size of
the data; the same pixels the generator draws from the data today; no
colour next to the key colour that is not the key colour itself; the face's
outline as the data says; no key colour in state images that are not
declared transparent; text areas plain enough, and their text colour in
enough contrast with everything beneath; swatches of their colour; every
pixel that belongs to nothing the key colour; stretching strips the same
all along their stretch."""
import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import png_io  # noqa: E402
import render  # noqa: E402
import skin_data  # noqa: E402
import theme  # noqa: E402
from raster import KEY, contrast  # noqa: E402

# Text drawn by the windows must stay readable over the face.
MIN_TEXT_CONTRAST = 4.5
STRETCH_KINDS = {1: "columns", 7: "columns", 3: "rows", 5: "rows", 4: "both"}
MOVING_KINDS = {0, 2, 6, 8, 9, 13}


def near_key(c):
    return c != KEY and c[0] >= 240 and c[1] <= 15 and c[2] >= 240


def inside(rect, outer):
    return rect[0] >= outer[0] and rect[1] >= outer[1] and rect[2] <= outer[2] and rect[3] <= outer[3]


def overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def size_of(r):
    return (r[2] - r[0], r[3] - r[1])


def centre(r):
    return (r[0] + (r[2] - r[0]) // 2, r[1] + (r[3] - r[1]) // 2)


def contains(r, p):
    return r[0] <= p[0] < r[2] and r[1] <= p[1] < r[3]


def pixels(png, rect):
    for y in range(rect[1], rect[3]):
        for x in range(rect[0], rect[2]):
            if 0 <= x < png.width and 0 <= y < png.height:
                yield x, y, png.at(x, y)


def check_layout(skin):
    errors = []
    image = (0, 0) + skin.size
    face = skin.face
    if not inside(face, image):
        errors.append("the face %s is larger than the image %s" % (face[2:], skin.size))
    kept = []  # (name, rect) of images kept off the face
    for b in skin.buttons:
        for r, what in ((b.draw, "draw"), (b.hit, "hit")):
            if not inside(r, face):
                errors.append("button %s: %s rectangle %s is not on the face" % (b.name, what, r))
        for s in skin_data.STATES:
            r = b[s]
            if r is None:
                continue
            if size_of(r) != size_of(b.draw):
                errors.append("button %s: %s image %s is not the size of its draw rectangle %s" %
                              (b.name, s, size_of(r), size_of(b.draw)))
            if not b.outside and not inside(r, image):
                errors.append("button %s: %s image %s lies outside the image" % (b.name, s, r))
            if r != b.draw:
                kept.append(("button %s %s" % (b.name, s), r))
    for s in skin.sliders:
        for r, what in ((s.hit, "hit"), (s.thumb, "thumb")):
            if not inside(r, face):
                errors.append("slider %s: %s rectangle %s is not on the face" % (s.name, what, r))
        along = 0 if s.axis == "horizontal" else 1
        if s.thumb[along] < s.hit[along] or s.thumb[along + 2] > s.hit[along + 2]:
            errors.append("slider %s: the thumb %s does not start inside its track %s" % (s.name, s.thumb, s.hit))
        if size_of(s.thumb)[along] >= size_of(s.hit)[along]:
            errors.append("slider %s: the thumb leaves no travel" % s.name)
        if s.fill is not None and not inside(s.fill, s.hit):
            errors.append("slider %s: the fill %s is not inside its hit rectangle" % (s.name, s.fill))
        for state in ("normal", "hover", "disabled"):
            r = s[state]
            if r is None:
                continue
            # Drawn at the thumb's corner at its own size: it may be smaller
            # than the thumb's rectangle, never larger.
            if size_of(r)[0] > size_of(s.thumb)[0] or size_of(r)[1] > size_of(s.thumb)[1]:
                errors.append("slider %s: %s thumb %s is larger than the thumb %s" %
                              (s.name, state, size_of(r), size_of(s.thumb)))
            if not inside(r, image):
                errors.append("slider %s: %s thumb lies outside the image" % (s.name, state))
            kept.append(("slider %s %s" % (s.name, state), r))
    for st in skin.statics:
        if not inside(st.rect, face):
            errors.append("static %s: %s is not on the face" % (st.name, st.rect))
    for c in skin.cuts:
        if not inside(c.rect, image):
            errors.append("cut %s: %s lies outside the image" % (c.name, c.rect))
        if c.source is not None and not inside(c.source, image):
            errors.append("cut %s: source %s lies outside the image" % (c.name, c.source))
        if c.over is not None and not inside(c.over, image):
            errors.append("cut %s: the image drawn over it %s lies outside the image" % (c.name, c.over))
        if c.patch is not None:
            if not inside(c.patch, (0, 0) + size_of(c.rect)):
                errors.append("cut %s: the patch %s lies outside the cut" % (c.name, c.patch))
            if not contains(image, c.sample):
                errors.append("cut %s: the pixel %s lies outside the image" % (c.name, c.sample))
        # A view only names pixels drawn by others; a copy may make a
        # button's look, exactly at that look's rectangle.
        makes = c.kind == "copy" and any(r == c.rect for who, r in kept if who.startswith("button "))
        if c.kind != "view" and not makes:
            kept.append(("cut %s" % c.name, c.rect))
    for sw in skin.swatches:
        if not inside(sw.rect, image):
            errors.append("swatch %s: %s lies outside the image" % (sw.name, sw.rect))
        kept.append(("swatch %s" % sw.name, sw.rect))
    stored = render.stored_face(skin)
    if not inside(stored, image):
        errors.append("the face stored at %s is larger than the image %s" % (stored[:2], skin.size))
    for i, (na, ra) in enumerate(kept):
        if overlap(ra, face):
            errors.append("%s: %s lies on the face" % (na, ra))
        elif stored != face and overlap(ra, stored):
            errors.append("%s: %s lies where the file keeps the face %s" % (na, ra, stored))
        for nb, rb in kept[i + 1:]:
            # Sliders may share one thumb image.
            if ra == rb and na.startswith("slider ") and nb.startswith("slider "):
                continue
            if overlap(ra, rb):
                errors.append("%s %s overlaps %s %s" % (na, ra, nb, rb))
    errors += check_pieces(skin)
    return errors


def check_pieces(skin):
    if not skin.pieces:
        return []
    errors = []
    face = skin.face
    count = {}
    # A piece (and its grip) may reach past the face's right or bottom edge,
    # where the image holds only the key colour (the window is never drawn
    # there): only its part on the face counts.
    image = (0, 0) + skin.size
    for pc in skin.pieces:
        if pc.rect[0] >= face[2] or pc.rect[1] >= face[3] or not inside(pc.rect, image):
            errors.append("piece %d %s is not on the face" % (pc.kind, pc.rect))
        if pc.grip is not None and (pc.grip[0] >= face[2] or pc.grip[1] >= face[3] or not inside(pc.grip, image)):
            errors.append("piece %d: grip %s is not on the face" % (pc.kind, pc.grip))
        for y in range(pc.rect[1], min(pc.rect[3], face[3])):
            for x in range(pc.rect[0], min(pc.rect[2], face[2])):
                count[(x, y)] = count.get((x, y), 0) + 1
    gaps = sum(1 for y in range(face[3]) for x in range(face[2]) if count.get((x, y), 0) == 0)
    doubles = sum(1 for v in count.values() if v > 1)
    if gaps:
        errors.append("the pieces leave %d pixels of the face uncovered" % gaps)
    if doubles:
        errors.append("the pieces cover %d pixels twice" % doubles)
    if not any(pc.kind == 1 for pc in skin.pieces):
        errors.append("no top strip (kind 1): the extra width would go nowhere")
    controls = [("button " + b.name, b.draw) for b in skin.buttons] + [("slider " + s.name, s.thumb)
                                                                       for s in skin.sliders]
    for name, draw in controls:
        home = [pc for pc in skin.pieces if contains(pc.rect, centre(draw))]
        if home and home[0].kind not in MOVING_KINDS:
            errors.append("%s sits in a piece of kind %d, which does not carry controls" % (name, home[0].kind))
        for pc in skin.pieces:
            if pc.kind in STRETCH_KINDS and overlap(pc.rect, draw):
                errors.append("%s lies on the stretching piece %d %s" % (name, pc.kind, pc.rect))
    return errors


class _Loaded:
    """A canvas read through the PngFile calls the checks use."""

    def __init__(self, canvas):
        self.width, self.height = canvas.width, canvas.height
        self.pixels = bytes(canvas.px)
        self._canvas = canvas

    def at(self, x, y):
        return self._canvas.get(x, y)


def _canvas_of(png):
    from raster import Canvas
    c = Canvas(png.width, png.height)
    c.px = bytearray(png.pixels)
    return c


def check_image(skin, variant, png):
    errors = []
    if png.chunks[0] != "IHDR" or png.chunks[-1] != "IEND" or set(png.chunks) != {"IHDR", "IDAT", "IEND"}:
        errors.append("chunks %s: only IHDR, IDAT and IEND belong in a skin image" % png.chunks)
    if png.colour_type != 2 or png.bit_depth != 8 or png.interlace != 0:
        errors.append("colour type %d, depth %d, interlace %d: a skin image is 8-bit RGB, not interlaced" %
                      (png.colour_type, png.bit_depth, png.interlace))
        return errors
    if (png.width, png.height) != skin.size:
        errors.append("size %dx%d, the data says %dx%d" % ((png.width, png.height) + skin.size))
        return errors

    drawn = render.render(skin, variant)
    if bytes(render.stored(skin, drawn).px) != png.pixels:
        errors.append("the pixels differ from what the data draws today: the image is stale")
    if skin.stored_at:
        # Everything else is checked on the image as the window loads it.
        png = _Loaded(render.loaded(skin, _canvas_of(png)))

    near = sum(1 for i in range(0, len(png.pixels), 3) if near_key(tuple(png.pixels[i:i + 3])))
    if near:
        errors.append("%d pixels are nearly, but not exactly, the key colour" % near)

    wrong = 0
    for y in range(skin.face[3]):
        for x in range(skin.face[2]):
            expected = render.face_mask_inside(skin, x, y)
            if (png.at(x, y) != KEY) != expected:
                wrong += 1
    if wrong:
        errors.append("the face's outline differs from its shape in %d pixels" % wrong)

    claimed = [skin.face]
    for b in skin.buttons:
        for s in skin_data.STATES:
            r = b[s]
            if r is None:
                continue
            claimed.append(r)
            if r != b.draw and not b.transparent and any(c == KEY for _, _, c in pixels(png, r)):
                errors.append("button %s: the %s image holds key-colour pixels" % (b.name, s))
    for sl in skin.sliders:
        claimed += [sl[s] for s in ("normal", "hover", "disabled") if sl[s] is not None]
    for c in skin.cuts:
        if c.kind == "view":
            continue
        claimed.append(c.rect)
        if not c.transparent and any(p == KEY for _, _, p in pixels(png, c.rect)):
            errors.append("cut %s holds key-colour pixels but is not transparent" % c.name)
    p = render.roles_of(variant)
    for sw in skin.swatches:
        claimed.append(sw.rect)
        want = theme.colour(p, sw.colour)
        if want == KEY or any(c != want for _, _, c in pixels(png, sw.rect)):
            errors.append("swatch %s is not all %s" % (sw.name, want))
    stray = 0
    for y in range(png.height):
        for x in range(png.width):
            if png.at(x, y) != KEY and not any(contains(r, (x, y)) for r in claimed):
                stray += 1
    if stray:
        errors.append("%d pixels outside the face and the images are not the key colour" % stray)

    for st in skin.statics:
        colours = {c for _, _, c in pixels(png, st.rect)}
        if KEY in colours:
            errors.append("static %s: the key colour lies under the text area" % st.name)
        if st.kind != "text":
            continue
        ink = st.ink or variant.text or p["text"]
        worst = min(contrast(ink, c) for c in colours)
        if worst < MIN_TEXT_CONTRAST:
            errors.append("static %s: text #%02x%02x%02x has a contrast of %.2f with the face beneath "
                          "(at least %.1f is needed)" % ((st.name,) + tuple(ink) + (worst, MIN_TEXT_CONTRAST)))

    for pc in skin.pieces:
        mode = STRETCH_KINDS.get(pc.kind)
        if not mode:
            continue
        x0, y0, x1, y1 = pc.rect
        columns = [tuple(png.at(x, y) for y in range(y0, y1)) for x in range(x0, x1)]
        rows = [tuple(png.at(x, y) for x in range(x0, x1)) for y in range(y0, y1)]
        if mode in ("columns", "both") and len(set(columns)) > 1:
            errors.append("piece %d %s: its columns differ, so it does not stretch cleanly" % (pc.kind, pc.rect))
        if mode in ("rows", "both") and len(set(rows)) > 1:
            errors.append("piece %d %s: its rows differ, so it does not stretch cleanly" % (pc.kind, pc.rect))
    return errors


def lint(paths, image_dir):
    failures = 0
    checked = 0
    for path in paths:
        try:
            skin = skin_data.load(path)
        except skin_data.SkinError as e:
            print("%s" % e)
            failures += 1
            continue
        for e in check_layout(skin):
            print("%s: %s" % (path, e))
            failures += 1
        for v in skin.variants:
            png_path = os.path.join(image_dir, v.png)
            try:
                with open(png_path, "rb") as f:
                    png = png_io.PngFile(f.read())
            except (OSError, png_io.PngError) as e:
                print("%s: %s: %s" % (path, v.png, e))
                failures += 1
                continue
            for e in check_image(skin, v, png):
                print("%s: %s: %s" % (path, v.png, e))
                failures += 1
            checked += 1
    print("skin_lint: %d images checked, %d problems" % (checked, failures))
    return failures


def main(argv):
    ap = argparse.ArgumentParser()
    ap.add_argument("--images", required=True)
    ap.add_argument("data", nargs="+")
    args = ap.parse_args(argv)
    return 1 if lint(args.data, args.images) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
