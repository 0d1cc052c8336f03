"""The data file of a skin: one TOML file per skin that holds every rectangle
of its image (the window face, the control states, slider thumbs, resize
pieces, extra cut images and colour swatches) and its colour variants. The
generator draws the PNG images from it and the lint checks them against it.

Rectangles are [left, top, right, bottom] in pixels of the PNG, right and
bottom exclusive, as the window code uses them. The face lies at (0, 0);
a skin whose window code moves its face there when it loads the image keeps
it at `stored_at` in the file (the rectangles still name the moved image).
See tools/skin_art/README.md for the format."""
import tomllib

from raster import parse_colour

STATES = ("normal", "hover", "pressed", "disabled")
BUTTON_STYLES = ("transport", "round", "caption", "close", "flat", "tab", "toggle", "face", "chip", "pill", "pin")
BUTTON_TYPES = ("button", "image", "item", "bar")
SLIDER_STYLES = ("groove", "line")
THUMB_STYLES = ("pill", "round", "bar")
LAYER_KINDS = ("band", "display", "panel", "separator", "fill", "grip", "inset", "strip", "list", "legend", "chip", "icon", "logo")
CUT_KINDS = ("digits", "small_digits", "colon", "glyph", "fill", "copy", "thumb", "view", "icon", "logo")
STATIC_KINDS = ("text", "progress", "slot")
PIECE_KINDS = (0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13)


class SkinError(Exception):
    pass


class Element(dict):
    """An entry of the data file with attribute access."""

    def __getattr__(self, name):
        try:
            return self[name]
        except KeyError:
            raise AttributeError(name)


def _rect(value, where, allow_outside=False):
    if (not isinstance(value, list) or len(value) != 4 or
            not all(isinstance(v, int) and not isinstance(v, bool) for v in value)):
        raise SkinError("%s: a rectangle is four integers [left, top, right, bottom]" % where)
    if value[2] <= value[0] or value[3] <= value[1]:
        raise SkinError("%s: rectangle %s is empty" % (where, value))
    if not allow_outside and (value[0] < 0 or value[1] < 0):
        raise SkinError("%s: rectangle %s starts outside the image" % (where, value))
    return tuple(value)


def size_of(r):
    return (r[2] - r[0], r[3] - r[1])


def _size(value, where):
    if (not isinstance(value, list) or len(value) != 2 or
            not all(isinstance(v, int) and v > 0 for v in value)):
        raise SkinError("%s: a size is two positive integers [width, height]" % where)
    return tuple(value)


def _colour(value, where):
    try:
        return parse_colour(value)
    except (ValueError, AttributeError):
        raise SkinError("%s: %r is not a colour #RRGGBB" % (where, value))


def _entry(table, where, required, optional):
    unknown = set(table) - set(required) - set(optional)
    if unknown:
        raise SkinError("%s: unknown key(s) %s" % (where, ", ".join(sorted(unknown))))
    missing = [k for k in required if k not in table]
    if missing:
        raise SkinError("%s: missing key(s) %s" % (where, ", ".join(missing)))
    e = Element(optional)
    e.update(table)
    return e


def _choice(value, choices, where):
    if value not in choices:
        raise SkinError("%s: %r is not one of %s" % (where, value, ", ".join(str(c) for c in choices)))
    return value


def load(path):
    with open(path, "rb") as f:
        try:
            data = tomllib.load(f)
        except tomllib.TOMLDecodeError as e:
            raise SkinError("%s: %s" % (path, e))
    return parse(data, path)


def parse(data, path="<skin>"):
    top = _entry(data, path, ("name", "size", "face", "variant"),
                 {"corner": 0, "text": None, "stored_at": None, "layer": [], "button": [], "slider": [], "static": [],
                  "piece": [], "cut": [], "swatch": [], "description": ""})
    skin = Element(name=top.name, path=path, description=top.description)
    skin.size = _size(top.size, path + ": size")
    skin.face = (0, 0) + _size(top.face, path + ": face")
    skin.corner = top.corner
    skin.stored_at = None
    if top.stored_at is not None:
        v = top.stored_at
        if (not isinstance(v, list) or len(v) != 2 or
                not all(isinstance(c, int) and not isinstance(c, bool) and c >= 0 for c in v)):
            raise SkinError("%s: stored_at is the face's place in the file, [x, y]" % path)
        skin.stored_at = tuple(v)
        if (skin.face[2] + v[0] > skin.size[0]) or (skin.face[3] + v[1] > skin.size[1]):
            raise SkinError("%s: the face stored at %s does not fit the image" % (path, skin.stored_at))
    skin.text = _colour(top.text, path + ": text") if top.text else None

    skin.variants = []
    for i, v in enumerate(top.variant):
        where = "%s: variant %d" % (path, i + 1)
        e = _entry(v, where, ("png", "palette"), {"resource": None, "text": None, "colours": {}})
        e.text = _colour(e.text, where + ": text") if e.text else skin.text
        e.colours = {role: _colour(c, where + ": colours." + role) for role, c in e.colours.items()}
        skin.variants.append(e)
    if not skin.variants:
        raise SkinError("%s: no variant" % path)

    skin.layers = []
    for i, t in enumerate(top.layer):
        where = "%s: layer %d" % (path, i + 1)
        e = _entry(t, where, ("kind", "rect"), {"colour": None, "radius": 0, "text": None, "icon": None})
        _choice(e.kind, LAYER_KINDS, where)
        e.rect = _rect(e.rect, where)
        if e.kind == "legend" and not e.text:
            raise SkinError("%s: a legend needs a text" % where)
        if e.kind == "icon" and not e.icon:
            raise SkinError("%s: an icon layer needs an icon" % where)
        skin.layers.append(e)

    skin.buttons = []
    for i, t in enumerate(top.button):
        where = "%s: button %s" % (path, t.get("name", i + 1))
        e = _entry(t, where, ("name", "id", "draw"),
                   dict({"hit": None, "style": "transport", "glyph": None, "type": "button", "transparent": False,
                         "outside": False, "radius": None, "tooltip": "",
                         "inset": None, "icon": None, "text": None, "scale": None}, **{s: None for s in STATES}))
        _choice(e.style, BUTTON_STYLES, where)
        _choice(e.type, BUTTON_TYPES, where)
        e.draw = _rect(e.draw, where + ": draw")
        e.hit = _rect(e.hit, where + ": hit") if e.hit else e.draw
        if e.inset is not None:
            if (not isinstance(e.inset, list) or len(e.inset) != 4 or
                    not all(isinstance(v, int) and v >= 0 for v in e.inset)):
                raise SkinError("%s: an inset is four counts of pixels [left, top, right, bottom]" % where)
            e.inset = tuple(e.inset)
        for s in STATES:
            if e[s] is not None:
                e[s] = _rect(e[s], "%s: %s" % (where, s), e.outside)
        skin.buttons.append(e)

    skin.sliders = []
    for i, t in enumerate(top.slider):
        where = "%s: slider %s" % (path, t.get("name", i + 1))
        e = _entry(t, where, ("name", "id", "axis", "hit", "thumb", "normal"),
                   {"hover": None, "disabled": None, "fill": None, "quiet": False, "track": "groove",
                    "thumb_style": "pill", "tooltip": "", "groove": None})
        _choice(e.axis, ("horizontal", "vertical"), where)
        _choice(e.track, SLIDER_STYLES, where)
        _choice(e.thumb_style, THUMB_STYLES, where)
        for key in ("hit", "thumb", "normal"):
            e[key] = _rect(e[key], "%s: %s" % (where, key))
        for key in ("hover", "disabled", "fill", "groove"):
            if e[key] is not None:
                e[key] = _rect(e[key], "%s: %s" % (where, key))
        skin.sliders.append(e)

    skin.statics = []
    for i, t in enumerate(top.static):
        where = "%s: static %s" % (path, t.get("name", i + 1))
        e = _entry(t, where, ("name", "id", "rect"), {"kind": "text", "ink": None})
        _choice(e.kind, STATIC_KINDS, where)
        e.rect = _rect(e.rect, where)
        e.ink = _colour(e.ink, where + ": ink") if e.ink else None
        skin.statics.append(e)

    skin.pieces = []
    for i, t in enumerate(top.piece):
        where = "%s: piece %d" % (path, i + 1)
        e = _entry(t, where, ("kind", "rect"), {"grip": None})
        _choice(e.kind, PIECE_KINDS, where)
        e.rect = _rect(e.rect, where)
        e.grip = _rect(e.grip, where + ": grip") if e.grip else None
        skin.pieces.append(e)

    skin.cuts = []
    for i, t in enumerate(top.cut):
        where = "%s: cut %s" % (path, t.get("name", i + 1))
        e = _entry(t, where, ("name", "kind", "rect"),
                   {"glyph": None, "colour": "glyph", "background": "key", "source": None, "transparent": None,
                    "gap": 1, "digits": "0123456789", "outer": None, "inner": None, "style": "pill",
                    "state": "normal", "icon": None, "text": None, "chip": False, "over": None, "patch": None,
                    "sample": None, "dot": None})
        _choice(e.kind, CUT_KINDS, where)
        e.rect = _rect(e.rect, where)
        if e.source is not None:
            e.source = _rect(e.source, where + ": source")
        if e.over is not None:
            e.over = _rect(e.over, where + ": over")
            if e.source is None or size_of(e.over) != size_of(e.source):
                raise SkinError("%s: an image drawn over a copy has the copy's size" % where)
        if e.patch is not None:
            e.patch = _rect(e.patch, where + ": patch")
            if (not isinstance(e.sample, list) or len(e.sample) != 2 or
                    not all(isinstance(v, int) and v >= 0 for v in e.sample)):
                raise SkinError("%s: a patch needs the pixel [x, y] whose colour fills it" % where)
            e.sample = tuple(e.sample)
        if e.kind == "icon" and not (e.icon or e.text):
            raise SkinError("%s: an icon cut needs an icon or a text" % where)
        if e.kind == "copy" and e.source is None:
            raise SkinError("%s: a copy needs a source" % where)
        if e.kind == "glyph" and not e.glyph:
            raise SkinError("%s: a glyph cut needs a glyph" % where)
        if e.kind == "thumb":
            _choice(e.style, THUMB_STYLES, where)
            _choice(e.state, ("normal", "hover", "pressed", "disabled"), where)
        if e.transparent is None:
            if e.kind in ("copy", "icon", "logo") and e.source is not None:
                e.transparent = False  # drawn over a copy of the face
            else:
                e.transparent = e.background == "key" or e.kind in ("thumb", "view")
        skin.cuts.append(e)

    skin.swatches = []
    for i, t in enumerate(top.swatch):
        where = "%s: swatch %s" % (path, t.get("name", i + 1))
        e = _entry(t, where, ("name", "rect", "colour"), {})
        e.rect = _rect(e.rect, where)
        skin.swatches.append(e)

    names = [e.name for group in (skin.buttons, skin.sliders, skin.statics, skin.cuts, skin.swatches) for e in group]
    dupes = sorted({n for n in names if names.count(n) > 1})
    if dupes:
        raise SkinError("%s: names used twice: %s" % (path, ", ".join(dupes)))
    return skin


def state_rects(skin):
    """(owner name, state, rect) of every image of a control kept outside
    the face, and of every cut and swatch."""
    out = []
    for b in skin.buttons:
        for s in STATES:
            if b[s] is not None:
                out.append((b.name, s, b[s]))
    for sl in skin.sliders:
        for s in ("normal", "hover", "disabled"):
            if sl[s] is not None:
                out.append((sl.name, s, sl[s]))
    return out
