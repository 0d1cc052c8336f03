"""The project's look: palettes and the painters of every part of a skin.

One style for every window: a dark face with a soft vertical gradient, a
one-pixel outline and a highlight along the top edge, recessed display
panels, rounded buttons with light icons, thin grooves with pill-shaped
thumbs, and one accent colour per palette for fills, checked states and
focus. Outlines that meet the key colour are drawn with hard edges; every
other edge is smoothed over the colour beneath it."""
import hangul
import pixels
from glyphs import glyph
from raster import (KEY, Canvas, Circle, Intersection, Rect, RoundRect, Transformed, darken, lighten, mix,
                    parse_colour, vertical_gradient)

# Seeds of the colour skins: the face's base colour and the accent colour.
PALETTES = {
    "blue": {"body": "#22374f", "accent": "#4fa8ff"},
    "orange": {"body": "#4a2f1f", "accent": "#ff9c42"},
    "purple": {"body": "#42233f", "accent": "#ea78c8"},
    "red": {"body": "#4a2027", "accent": "#ff5d70"},
    "green": {"body": "#1f3f31", "accent": "#5cd68c"},
    "indigo": {"body": "#272b5c", "accent": "#8a93ff"},
    "grey": {"body": "#393c42", "accent": "#c3cad4"},
    "silver": {"body": "#d5d9df", "accent": "#2f72d6", "light": True},
}

WHITE = (255, 255, 255)


def roles(name, overrides=None, text=None):
    """Every colour a painter asks for, derived from the palette's seeds."""
    if name not in PALETTES:
        raise KeyError("unknown palette %r (known: %s)" % (name, ", ".join(sorted(PALETTES))))
    seed = PALETTES[name]
    body = parse_colour(seed["body"])
    accent = parse_colour(seed["accent"])
    light = seed.get("light", False)
    r = {"body": body, "accent": accent, "key": KEY, "white": WHITE, "black": (0, 0, 0)}
    if not light:
        r.update({
            "outline": darken(body, 0.6), "body_top": lighten(body, 0.07), "body_bottom": darken(body, 0.14),
            "highlight": lighten(body, 0.2), "band_top": darken(body, 0.2), "band_bottom": darken(body, 0.32),
            "display": darken(body, 0.66), "display_top": darken(body, 0.58), "display_shadow": darken(body, 0.82),
            "display_light": lighten(body, 0.12), "groove": darken(body, 0.62), "groove_light": lighten(body, 0.16),
            "button_top": lighten(body, 0.19), "button_bottom": lighten(body, 0.04),
            "button_border": darken(body, 0.5), "hover_top": lighten(body, 0.31), "hover_bottom": lighten(body, 0.13),
            "pressed_top": darken(body, 0.3), "pressed_bottom": darken(body, 0.12),
            "glyph": mix((236, 241, 247), accent, 0.1), "glyph_hover": WHITE, "glyph_pressed": lighten(accent, 0.35),
            "glyph_disabled": mix(body, (236, 241, 247), 0.32), "glyph_dim": mix(body, (236, 241, 247), 0.62),
            "text": mix(WHITE, accent, 0.22), "text_dim": mix(body, WHITE, 0.6),
            "list": (0xF1, 0xF1, 0xF1), "list_text": (0x3C, 0x3C, 0x3C),
        })
    else:
        r.update({
            "outline": darken(body, 0.5), "body_top": lighten(body, 0.35), "body_bottom": darken(body, 0.04),
            "highlight": WHITE, "band_top": darken(body, 0.06), "band_bottom": darken(body, 0.14),
            "display": lighten(body, 0.85), "display_top": lighten(body, 0.7), "display_shadow": darken(body, 0.3),
            "display_light": WHITE, "groove": darken(body, 0.28), "groove_light": WHITE,
            "button_top": lighten(body, 0.6), "button_bottom": lighten(body, 0.15),
            "button_border": darken(body, 0.35), "hover_top": WHITE, "hover_bottom": lighten(body, 0.4),
            "pressed_top": darken(body, 0.12), "pressed_bottom": darken(body, 0.02),
            "glyph": darken(body, 0.78), "glyph_hover": (0, 0, 0), "glyph_pressed": darken(accent, 0.2),
            "glyph_disabled": darken(body, 0.25), "glyph_dim": darken(body, 0.55),
            "text": darken(body, 0.85), "text_dim": darken(body, 0.55),
            "list": WHITE, "list_text": (0x3C, 0x3C, 0x3C),
        })
    r["accent_dark"] = darken(accent, 0.35)
    r["accent_light"] = lighten(accent, 0.35)
    # The display's indicators: lit chips, the faint frames of unlit ones,
    # their ink and the legends beside the numbers.
    r["chip"] = mix(r["display"], accent, 0.3)
    r["chip_border"] = mix(r["display"], accent, 0.75)
    r["chip_ghost"] = mix(r["display"], accent, 0.16)
    r["chip_ink"] = lighten(accent, 0.55) if not light else darken(accent, 0.5)
    r["legend"] = mix(r["display"], accent, 0.6)
    r["danger"] = (210, 58, 58)
    r["danger_dark"] = (150, 36, 36)
    if text:
        r["text"] = text
    r.update(overrides or {})
    return r


def colour(roles_, value):
    """A role name or a literal "#RRGGBB"."""
    if isinstance(value, tuple):
        return value
    if value.startswith("#"):
        return parse_colour(value)
    if value not in roles_:
        raise KeyError("unknown colour role %r" % value)
    return roles_[value]


# --- the face and its layers ---

def face_shape(w, h, corner):
    return RoundRect(0, 0, w, h, corner) if corner else Rect(0, 0, w, h)


def paint_body(c, w, h, corner, p):
    # The outline is the window's edge: hard against the key colour.
    c.paint(face_shape(w, h, corner), p["outline"], smooth=False)
    inner = RoundRect(1, 1, w - 1, h - 1, max(0, corner - 1)) if corner else Rect(1, 1, w - 1, h - 1)
    c.paint(inner, vertical_gradient(1, p["body_top"], h - 1, p["body_bottom"]))
    c.paint(Intersection(inner, Rect(0, 1, w, 2)), p["highlight"])


def body_interior(w, h, corner):
    return RoundRect(1, 1, w - 1, h - 1, max(0, corner - 1)) if corner else Rect(1, 1, w - 1, h - 1)


def paint_layer(c, layer, p, interior):
    x0, y0, x1, y1 = layer.rect
    area = Intersection(Rect(x0, y0, x1, y1), interior)
    kind = layer.kind
    if kind == "band":
        c.paint(area, vertical_gradient(y0, p["band_top"], y1, p["band_bottom"]))
        c.paint(Intersection(Rect(x0, y1 - 1, x1, y1), interior), p["outline"])
        c.paint(Intersection(Rect(x0, y0, x1, y0 + 1), interior), lighten(p["band_top"], 0.08))
    elif kind in ("display", "inset"):
        radius = layer.radius or 3
        top, body = (p["display_top"], p["display"]) if kind == "display" else (p["body_bottom"], p["body"])
        c.paint(RoundRect(x0, y0, x1, y1, radius), p["display_light"])
        c.paint(RoundRect(x0, y0, x1, y1 - 1, radius), p["display_shadow"])
        c.paint(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, max(0, radius - 1)),
                vertical_gradient(y0 + 1, top, y1 - 1, body))
    elif kind == "panel":
        radius = layer.radius or 3
        c.paint(RoundRect(x0, y0, x1, y1, radius), p["outline"])
        c.paint(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, max(0, radius - 1)),
                vertical_gradient(y0, p["button_top"], y1, p["body"]))
    elif kind == "separator":
        if x1 - x0 >= y1 - y0:
            c.paint(Rect(x0, y0, x1, y0 + 1), p["outline"])
            c.paint(Rect(x0, y0 + 1, x1, y0 + 2), p["highlight"])
        else:
            c.paint(Rect(x0, y0, x0 + 1, y1), p["outline"])
            c.paint(Rect(x0 + 1, y0, x0 + 2, y1), p["highlight"])
    elif kind == "fill":
        c.paint(area, colour(p, layer.colour or "body"))
    elif kind == "grip":
        # Three rows of dots in a triangle at the bottom-right corner.
        for row in range(3):
            for col in range(row + 1):
                gx = x1 - 3 - 4 * col
                gy = y1 - 3 - 4 * (2 - row)
                c.paint(Rect(gx, gy, gx + 2, gy + 2), p["highlight"])
                c.paint(Rect(gx + 1, gy + 1, gx + 2, gy + 2), p["outline"])
    elif kind == "list":
        # A light field for rows of text, framed by a thin line.
        c.paint(Rect(x0, y0, x1, y1), p["outline"])
        c.paint(Rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1), colour(p, layer.colour or "list"))
    elif kind == "strip":
        c.paint(area, vertical_gradient(y0, p["body_top"], y1, p["body_bottom"]))
    elif kind == "legend":
        rows = pixels.text_rows(layer.text)
        h = len(rows)
        pixels.draw(c, rows, x0, y0 + (y1 - y0 - h + 1) // 2, colour(p, layer.colour or "legend"))
    elif kind == "icon":
        pixels.draw_centred(c, pixels.content_rows(layer.icon), layer.rect, colour(p, layer.colour or "glyph_dim"))
    elif kind == "chip":
        paint_chip(c, layer.rect, p, lit=False)
    elif kind == "logo":
        # The player's mark as a large picture: the level bars grow with it.
        paint_logo(c, layer.rect, p, bar=max(3, (y1 - y0) // 12))


def paint_chip(c, rect, p, lit=True):
    """An indicator chip of the display: lit, or only a faint frame."""
    x0, y0, x1, y1 = rect
    if lit:
        c.paint(RoundRect(x0, y0, x1, y1, 2), p["chip_border"])
        c.paint(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 1), p["chip"])
    else:
        c.paint(RoundRect(x0, y0, x1, y1, 2) - RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 1), p["chip_ghost"])


def paint_groove(c, slider, p):
    if slider.groove:
        x0, y0, x1, y1 = slider.groove
        t = min(x1 - x0, y1 - y0)
        c.paint(RoundRect(x0, y0 + 1, x1, y1 + 1, t / 2) if slider.axis == "horizontal"
                else RoundRect(x0 + 1, y0, x1 + 1, y1, t / 2), p["groove_light"])
        c.paint(RoundRect(x0, y0, x1, y1, t / 2), p["groove"])
        return
    x0, y0, x1, y1 = slider.hit
    if slider.axis == "horizontal":
        cy = (y0 + y1) // 2
        t = 4 if slider.track == "groove" else 2
        groove = RoundRect(x0 + 1, cy - t // 2, x1 - 1, cy - t // 2 + t, t / 2)
        below = RoundRect(x0 + 1, cy - t // 2 + 1, x1 - 1, cy - t // 2 + t + 1, t / 2)
    else:
        cx = (x0 + x1) // 2
        t = 4 if slider.track == "groove" else 2
        groove = RoundRect(cx - t // 2, y0 + 1, cx - t // 2 + t, y1 - 1, t / 2)
        below = RoundRect(cx - t // 2 + 1, y0 + 1, cx - t // 2 + t + 1, y1 - 1, t / 2)
    c.paint(below, p["groove_light"])
    c.paint(groove, p["groove"])


# --- controls; each paints one state into a canvas of the control's size
# that already shows the face beneath it ---

def _glyph_box(w, h, scale, dy=0):
    size = min(w, h) * scale
    x0 = (w - size) / 2.0
    y0 = (h - size) / 2.0 + dy
    return (x0, y0, x0 + size, y0 + size)


def _paint_glyph(c, name, w, h, col, scale=0.5, dy=0):
    if name:
        c.paint(Transformed(glyph(name), _glyph_box(w, h, scale, dy)), col)


def paint_button(c, button, state, p):
    w, h = c.width, c.height
    style = button.style
    name = button.glyph
    radius = button.radius if button.radius is not None else (4 if style in ("transport", "toggle") else 3)
    dy = 1 if state == "pressed" else 0

    if style in ("transport", "round"):
        shape_outer = Circle(w / 2, h / 2, min(w, h) / 2) if style == "round" else RoundRect(0, 0, w, h, radius)
        shape_inner = (Circle(w / 2, h / 2, min(w, h) / 2 - 1) if style == "round"
                       else RoundRect(1, 1, w - 1, h - 1, max(0, radius - 1)))
        tops = {"normal": ("button_top", "button_bottom"), "hover": ("hover_top", "hover_bottom"),
                "pressed": ("pressed_top", "pressed_bottom"), "disabled": ("button_bottom", "body")}[state]
        border = p["accent_dark"] if state == "pressed" else p["button_border"]
        c.paint(shape_outer, border)
        c.paint(shape_inner, vertical_gradient(1, p[tops[0]], h - 1, p[tops[1]]))
        if state != "pressed":
            c.paint(Intersection(shape_inner, Rect(0, 1, w, 2)), lighten(p[tops[0]], 0.12))
        ink = {"normal": "glyph", "hover": "glyph_hover", "pressed": "glyph_pressed",
               "disabled": "glyph_disabled"}[state]
        _paint_glyph(c, name, w, h, p[ink], button.scale or (0.46 if style == "round" else 0.5), dy)
    elif style in ("caption", "close", "flat"):
        if state in ("hover", "pressed") and style != "flat":
            fill = {"hover": "hover_bottom", "pressed": "pressed_top"}[state]
            if style == "close":
                fill = "danger" if state == "hover" else "danger_dark"
            c.paint(RoundRect(0, 0, w, h, radius), p[fill])
        ink = {"normal": "glyph_dim", "hover": "glyph_hover", "pressed": "glyph_pressed",
               "disabled": "glyph_disabled"}[state]
        if style == "flat" and state == "hover":
            ink = "accent_light"
        if style == "close" and state == "pressed":
            ink = "glyph_hover"
        _paint_glyph(c, name, w, h, p[ink], button.scale or 0.7, dy)
    elif style == "tab":
        tab = RoundRect(0, 0, w, h + radius, radius)
        inner = RoundRect(1, 1, w - 1, h + radius, max(0, radius - 1))
        if state == "pressed":  # the selected tab: one with the panel beneath
            c.paint(tab, p["outline"])
            c.paint(inner, vertical_gradient(1, p["display_top"], h, p["display"]))
            c.paint(Rect(2, 1, w - 2, 3), p["accent"])
        else:
            top, bottom = (("hover_top", "hover_bottom") if state == "hover" else ("button_top", "button_bottom"))
            c.paint(tab, p["outline"])
            c.paint(inner, vertical_gradient(1, p[top], h, p[bottom]))
            c.paint(Rect(0, h - 1, w, h), p["outline"])
        _paint_glyph(c, name, w, h, p["glyph_disabled" if state == "disabled" else "glyph"], 0.5, 0)
        if button.text:  # a tab's name, for windows that do not write it themselves
            ink = {"pressed": "glyph_hover", "disabled": "glyph_disabled"}.get(state, "glyph")
            pixels.draw_centred(c, hangul.text_rows(button.text), (0, 1, w, h), p[ink])
    elif style == "toggle":
        on = state == "pressed"
        c.paint(RoundRect(0, 0, w, h, radius), p["accent_dark"] if on else p["button_border"])
        top, bottom = {"normal": ("button_top", "button_bottom"), "hover": ("hover_top", "hover_bottom"),
                       "pressed": ("accent_light", "accent"), "disabled": ("button_bottom", "body")}[state]
        c.paint(RoundRect(1, 1, w - 1, h - 1, max(0, radius - 1)), vertical_gradient(1, p[top], h - 1, p[bottom]))
        ink = "outline" if on else ("glyph_disabled" if state == "disabled" else "glyph")
        _paint_glyph(c, name, w, h, p[ink], button.scale or 0.6, 0)
    elif style == "chip":
        paint_chip(c, (0, 0, w, h), p, lit=True)
        if button.icon or button.text:
            pixels.draw_centred(c, pixels.content_rows(button.icon, button.text), (0, 0, w, h), p["chip_ink"])
    elif style == "pill":
        r = h / 2.0
        tops = {"normal": ("button_top", "button_bottom"), "hover": ("hover_top", "hover_bottom"),
                "pressed": ("pressed_top", "pressed_bottom"), "disabled": ("button_bottom", "body")}[state]
        c.paint(RoundRect(0, 0, w, h, r), p["accent_dark"] if state == "pressed" else p["button_border"])
        c.paint(RoundRect(1, 1, w - 1, h - 1, r - 1), vertical_gradient(1, p[tops[0]], h - 1, p[tops[1]]))
        ink = {"normal": "glyph", "hover": "glyph_hover", "pressed": "glyph_pressed",
               "disabled": "glyph_disabled"}[state]
        _paint_glyph(c, name, w, h, p[ink], button.scale or 0.75, 0)
    elif style == "pin":
        # A small lever: raised and light; checked, the window fills its
        # slot with the colour of the display (pushed in).
        c.paint(RoundRect(0, 0, w, h, 2), p["button_border"])
        top, bottom = ("hover_top", "hover_bottom") if state == "hover" else ("button_top", "button_bottom")
        c.paint(RoundRect(1, 1, w - 1, h - 1, 1), vertical_gradient(1, p[top], h - 1, p[bottom]))
        c.paint(Rect(2, 2, w - 2, h - 2), p["glyph_dim"])
        c.paint(Rect(2, 2, w - 2, 3), p["glyph"])
    # "face": the state is the face itself, nothing is drawn


def paint_thumb(w, h, style, state, p):
    """A thumb on the key colour: hard outline, smooth inside."""
    c = Canvas(w, h)
    if style == "round":
        outer = Circle(w / 2, h / 2, min(w, h) / 2)
        inner = Circle(w / 2, h / 2, min(w, h) / 2 - 1)
    else:
        r = min(w, h) / 2 if style == "pill" else 2
        outer = RoundRect(0, 0, w, h, r)
        inner = RoundRect(1, 1, w - 1, h - 1, max(0, r - 1))
    border = {"normal": "button_border", "hover": "accent_dark", "pressed": "accent_dark",
              "disabled": "button_border"}[state]
    top, bottom = {"normal": ("white", "glyph"), "hover": ("white", "accent_light"),
                   "pressed": ("accent_light", "accent"), "disabled": ("glyph_dim", "glyph_disabled")}[state]
    c.paint(outer, p[border], smooth=False)
    c.paint(inner, vertical_gradient(1, p[top], h - 1, p[bottom]))
    return c


# --- extra images cut by the window code ---

# Seven-segment digits: segments a to g lit per digit.
SEGMENTS = {"0": "abcdef", "1": "bc", "2": "abged", "3": "abgcd", "4": "fgbc", "5": "afgcd", "6": "afgedc",
            "7": "abc", "8": "abcdefg", "9": "abcdfg"}

# A 3 x 5 pixel font for small digits (rows top to bottom).
SMALL = {"0": ("111", "101", "101", "101", "111"), "1": ("010", "110", "010", "010", "111"),
         "2": ("111", "001", "111", "100", "111"), "3": ("111", "001", "011", "001", "111"),
         "4": ("101", "101", "111", "001", "001"), "5": ("111", "100", "111", "001", "111"),
         "6": ("111", "100", "111", "101", "111"), "7": ("111", "001", "010", "010", "010"),
         "8": ("111", "101", "111", "101", "111"), "9": ("111", "101", "111", "001", "111")}


def paint_segment_digit(c, x0, y0, w, h, digit, col):
    """A seven-segment digit whose segments meet at the corners, so that it
    reads as a crisp pixel figure at small sizes too."""
    t = max(1, int(round(w / 5.0)))
    mid = y0 + (h - t) // 2
    seg = {
        "a": (x0, y0, x0 + w, y0 + t), "g": (x0, mid, x0 + w, mid + t), "d": (x0, y0 + h - t, x0 + w, y0 + h),
        "f": (x0, y0, x0 + t, mid + t), "b": (x0 + w - t, y0, x0 + w, mid + t),
        "e": (x0, mid, x0 + t, y0 + h), "c": (x0 + w - t, mid, x0 + w, y0 + h),
    }
    for s in SEGMENTS[digit]:
        c.fill_rect(seg[s], col)


def paint_small_digit(c, x0, y0, w, h, digit, col):
    rows = SMALL[digit]
    for ry, row in enumerate(rows):
        for rx, bit in enumerate(row):
            if bit == "1":
                px0 = x0 + rx * w // 3
                px1 = x0 + (rx + 1) * w // 3
                py0 = y0 + ry * h // 5
                py1 = y0 + (ry + 1) * h // 5
                c.fill_rect((px0, py0, max(px1, px0 + 1), max(py1, py0 + 1)), col)


def paint_cut(c, cut, p, source_canvas):
    x0, y0, x1, y1 = cut.rect
    w, h = x1 - x0, y1 - y0
    if cut.kind == "view":  # names pixels drawn by others
        return
    if cut.kind == "copy":
        # The window code makes some images the same way: a copy of the face,
        # another image drawn over it (key colour left out), or a part of it
        # filled with the colour of one pixel.
        piece = source_canvas.crop(cut.source)
        if cut.over:
            over = source_canvas.crop(cut.over)
            for y in range(piece.height):
                for x in range(piece.width):
                    if over.get(x, y) != KEY:
                        piece.set(x, y, over.get(x, y))
        if cut.patch:
            piece.fill_rect(cut.patch, source_canvas.get(*cut.sample))
        c.paste(piece, x0, y0)
        return
    if cut.kind in ("icon", "logo") and cut.source is not None:
        c.paste(source_canvas.crop(cut.source), x0, y0)
        if cut.kind == "logo":
            paint_logo(c, cut.rect, p)
            return
        if cut.chip:
            paint_chip(c, cut.rect, p, lit=True)
        pixels.draw_centred(c, pixels.content_rows(cut.icon, cut.text), cut.rect,
                            colour(p, cut.colour if cut.colour != "glyph" else "chip_ink"))
        return
    if cut.kind == "thumb":
        c.paste(paint_thumb(w, h, cut.style, cut.state, p), x0, y0)
        return
    background = colour(p, cut.background)
    c.fill_rect(cut.rect, background)
    ink = colour(p, cut.colour)
    if cut.kind == "fill":
        if cut.outer:
            c.fill_rect(cut.rect, colour(p, cut.outer))
        if cut.inner:
            ix0, iy0, ix1, iy1 = cut.source or (x0 + 1, y0 + 1, x1 - 1, y1 - 1)
            c.fill_rect((ix0, iy0, ix1, iy1), colour(p, cut.inner))
    elif cut.kind in ("digits", "small_digits"):
        n = len(cut.digits)
        cell = (w - cut.gap * (n - 1)) // n
        for i, d in enumerate(cut.digits):
            cx = x0 + i * (cell + cut.gap)
            if cut.kind == "digits":
                paint_segment_digit(c, cx, y0, cell, h, d, ink)
            elif cell == 4 and h == 5:
                pixels.draw(c, pixels.DIGITS_4[d], cx, y0, ink)
            elif cell == 2 and h == 5 and d in pixels.DIGITS_2:
                pixels.draw(c, pixels.DIGITS_2[d], cx, y0, ink)
            else:
                paint_small_digit(c, cx, y0, cell, h, d, ink)
    elif cut.kind == "icon":
        if cut.chip:  # a badge of its own, drawn by the window over its rows
            c.paint(RoundRect(x0, y0, x1, y1, 2), p["chip_border"], smooth=False)
            c.paint(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 1), p["chip"], smooth=False)
            ink = p["chip_ink"]
        pixels.draw_centred(c, pixels.content_rows(cut.icon, cut.text), cut.rect, ink)
    elif cut.kind == "logo":
        paint_logo(c, cut.rect, p)
    elif cut.kind == "colon":
        d = cut.dot or max(1, min(w, h // 6))
        cx = x0 + (w - d) // 2
        c.fill_rect((cx, y0 + h * 3 // 10 - d // 2, cx + d, y0 + h * 3 // 10 - d // 2 + d), ink)
        c.fill_rect((cx, y0 + h * 7 // 10 - d // 2, cx + d, y0 + h * 7 // 10 - d // 2 + d), ink)
    elif cut.kind == "glyph":
        # Over the key colour an icon keeps hard edges.
        size = min(w, h)
        box = (x0 + (w - size) / 2.0, y0 + (h - size) / 2.0, x0 + (w + size) / 2.0, y0 + (h + size) / 2.0)
        c.paint(Transformed(glyph(cut.glyph), box), ink, smooth=cut.background != "key")


def paint_logo(c, rect, p, bar=3):
    """The player's own mark, shown until the service sends a store's logo:
    a round badge with a note, and a row of level bars that fade out."""
    x0, y0, x1, y1 = rect
    h = y1 - y0
    r = h / 2.0
    cx, cy = x0 + r, y0 + r
    c.paint(Circle(cx, cy, r), p["accent_dark"])
    c.paint(Circle(cx, cy, r - 1), vertical_gradient(y0 + 1, p["accent_light"], y1 - 1, p["accent"]))
    c.paint(Transformed(glyph("note"), (cx - r * 0.62, cy - r * 0.62, cx + r * 0.62, cy + r * 0.62)),
            p["accent_dark"])
    heights = [0.45, 0.75, 1.0, 0.6, 0.85, 0.5, 0.7, 0.4, 0.55, 0.3, 0.42, 0.24, 0.3, 0.18]
    bx = x0 + h + bar + 2
    for i, f in enumerate(heights):
        if bx + bar > x1:
            break
        bh = max(2.0, (h - 3) * f)
        fade = i / float(len(heights))
        col = mix(p["accent_light"], p["band_bottom"], 0.15 + 0.75 * fade)
        c.paint(RoundRect(bx, cy - bh / 2, bx + bar, cy + bh / 2, bar / 2.0), col)
        bx += bar + 2
