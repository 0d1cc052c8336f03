"""The icons drawn on skin buttons, as shapes in a unit box (u to the right,
v downwards, both 0 to 1). Buttons carry icons, never words: the windows draw
every text themselves, in Korean, with the system's fonts."""
import math

from raster import Circle, Polygon, Rect, RoundRect, Union, rotated_bar


def _ring(x0, y0, x1, y1, t, top=None):
    top = t if top is None else top
    return Rect(x0, y0, x1, y1) - Rect(x0 + t, y0 + top, x1 - t, y1 - t)


def _mirror(points):
    return [(1 - u, v) for u, v in points]


def play():
    return Polygon([(0.24, 0.1), (0.9, 0.5), (0.24, 0.9)])


def pause():
    return Rect(0.2, 0.14, 0.42, 0.86) | Rect(0.58, 0.14, 0.8, 0.86)


def stop():
    return RoundRect(0.17, 0.17, 0.83, 0.83, 0.06)


def prev():
    return Rect(0.12, 0.16, 0.26, 0.84) | Polygon([(0.88, 0.16), (0.88, 0.84), (0.3, 0.5)])


def next_():
    return Rect(0.74, 0.16, 0.88, 0.84) | Polygon(_mirror([(0.88, 0.16), (0.88, 0.84), (0.3, 0.5)]))


def close():
    return rotated_bar(0.2, 0.2, 0.8, 0.8, 0.18) | rotated_bar(0.8, 0.2, 0.2, 0.8, 0.18)


def minimize():
    return Rect(0.18, 0.68, 0.82, 0.84)


def maximize():
    return _ring(0.16, 0.16, 0.84, 0.84, 0.12, 0.22)


def restore():
    back = _ring(0.34, 0.12, 0.88, 0.64, 0.1, 0.18) - Rect(0.12, 0.34, 0.68, 0.88)
    return back | _ring(0.12, 0.34, 0.68, 0.88, 0.1, 0.18)


def mini():
    return _ring(0.1, 0.34, 0.9, 0.66, 0.1, 0.12)


def normal():
    return _ring(0.2, 0.1, 0.8, 0.9, 0.1, 0.2)


def settings():
    teeth = []
    for k in range(8):
        a = k * math.pi / 4
        c, s = math.cos(a), math.sin(a)
        w = 0.09
        teeth.append(Polygon([(0.5 + c * 0.3 - s * w, 0.5 + s * 0.3 + c * w),
                              (0.5 + c * 0.48 - s * w, 0.5 + s * 0.48 + c * w),
                              (0.5 + c * 0.48 + s * w, 0.5 + s * 0.48 - c * w),
                              (0.5 + c * 0.3 + s * w, 0.5 + s * 0.3 - c * w)]))
    return Union([Circle(0.5, 0.5, 0.34)] + teeth) - Circle(0.5, 0.5, 0.14)


def eq():
    parts = []
    for u, knob in ((0.22, 0.62), (0.5, 0.3), (0.78, 0.5)):
        parts.append(Rect(u - 0.04, 0.1, u + 0.04, 0.9))
        parts.append(RoundRect(u - 0.13, knob - 0.09, u + 0.13, knob + 0.09, 0.04))
    return Union(parts)


def playlist():
    return Union([Rect(0.1, 0.18, 0.9, 0.3), Rect(0.1, 0.44, 0.9, 0.56), Rect(0.1, 0.7, 0.58, 0.82),
                  Polygon([(0.66, 0.64), (0.92, 0.76), (0.66, 0.88)])])


def library():
    return Union([Rect(0.1, 0.14, 0.28, 0.88), Rect(0.34, 0.24, 0.52, 0.88),
                  Polygon([(0.58, 0.3), (0.74, 0.24), (0.92, 0.84), (0.76, 0.9)])])


def announce():
    horn = Polygon([(0.12, 0.38), (0.36, 0.38), (0.78, 0.14), (0.78, 0.86), (0.36, 0.62), (0.12, 0.62)])
    return horn | Rect(0.2, 0.62, 0.34, 0.86) | Rect(0.84, 0.42, 0.94, 0.58)


def speaker():
    cone = Polygon([(0.1, 0.36), (0.3, 0.36), (0.56, 0.14), (0.56, 0.86), (0.3, 0.64), (0.1, 0.64)])
    wave = (Circle(0.56, 0.5, 0.38) - Circle(0.56, 0.5, 0.28)) - Rect(0.0, 0.0, 0.66, 1.0)
    return cone | wave


def pin():
    return Union([RoundRect(0.3, 0.1, 0.7, 0.5, 0.08), Rect(0.18, 0.48, 0.82, 0.6),
                  Polygon([(0.45, 0.6), (0.55, 0.6), (0.5, 0.94)])])


def plus():
    return Rect(0.16, 0.42, 0.84, 0.58) | Rect(0.42, 0.16, 0.58, 0.84)


def minus():
    return Rect(0.16, 0.42, 0.84, 0.58)


def up():
    return Polygon([(0.5, 0.2), (0.88, 0.74), (0.12, 0.74)])


def down():
    return Polygon([(0.12, 0.26), (0.88, 0.26), (0.5, 0.8)])


def left():
    return Polygon([(0.2, 0.5), (0.74, 0.12), (0.74, 0.88)])


def right():
    return Polygon([(0.8, 0.5), (0.26, 0.12), (0.26, 0.88)])


def check():
    return rotated_bar(0.14, 0.52, 0.4, 0.78, 0.17) | rotated_bar(0.36, 0.8, 0.88, 0.22, 0.17)


def details():
    return Union([Rect(0.08, 0.2, 0.62, 0.32), Rect(0.08, 0.44, 0.62, 0.56), Rect(0.08, 0.68, 0.62, 0.8),
                  Polygon([(0.68, 0.4), (0.96, 0.4), (0.82, 0.62)])])


def repeat():
    loop = RoundRect(0.1, 0.24, 0.9, 0.8, 0.2) - RoundRect(0.22, 0.36, 0.78, 0.68, 0.1)
    return (loop - Rect(0.44, 0.2, 0.62, 0.4)) | Polygon([(0.6, 0.1), (0.6, 0.5), (0.36, 0.3)])


def shuffle():
    return Union([rotated_bar(0.08, 0.28, 0.72, 0.72, 0.12), rotated_bar(0.08, 0.72, 0.72, 0.28, 0.12),
                  Polygon([(0.68, 0.12), (0.94, 0.26), (0.68, 0.42)]),
                  Polygon([(0.68, 0.58), (0.94, 0.74), (0.68, 0.88)])])


def note():
    head = Ellipse(0.36, 0.74, 0.2, 0.15)
    return Union([head, Rect(0.5, 0.14, 0.6, 0.76), Polygon([(0.5, 0.1), (0.84, 0.3), (0.84, 0.44), (0.6, 0.3)])])


class Ellipse(Circle):
    """An ellipse with radii rx and ry."""

    def __init__(self, cx, cy, rx, ry):
        Circle.__init__(self, cx, cy, max(rx, ry))
        self.e = (cx, cy, rx, ry)

    def inside(self, px, py):
        cx, cy, rx, ry = self.e
        return ((px - cx) / rx) ** 2 + ((py - cy) / ry) ** 2 <= 1.0

    def classify(self, x, y):
        return None


GLYPHS = {
    "play": play, "pause": pause, "stop": stop, "prev": prev, "next": next_, "close": close,
    "minimize": minimize, "maximize": maximize, "restore": restore, "mini": mini, "normal": normal,
    "settings": settings, "eq": eq, "playlist": playlist, "library": library, "announce": announce,
    "speaker": speaker, "pin": pin, "plus": plus, "minus": minus, "up": up, "down": down, "left": left,
    "right": right, "check": check, "details": details, "repeat": repeat, "shuffle": shuffle, "note": note,
}


def glyph(name):
    if name not in GLYPHS:
        raise KeyError("unknown glyph %r (known: %s)" % (name, ", ".join(sorted(GLYPHS))))
    return GLYPHS[name]()
