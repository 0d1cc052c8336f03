"""Draws one colour variant of a skin from its data: the face (body, layers,
slider grooves), then every control state and slider thumb at its own
rectangle, the extra cut images and the colour swatches. Every other pixel
of the image stays the key colour."""
import theme
from raster import KEY, Canvas, Rect
from skin_data import STATES


def render(skin, variant):
    p = theme.roles(variant.palette, variant.colours, variant.text)
    w, h = skin.size
    c = Canvas(w, h, KEY)
    fw, fh = skin.face[2], skin.face[3]
    theme.paint_body(c, fw, fh, skin.corner, p)
    interior = theme.body_interior(fw, fh, skin.corner)
    for layer in skin.layers:
        theme.paint_layer(c, layer, p, interior)
    for slider in skin.sliders:
        theme.paint_groove(c, slider, p)

    # The face as it is under the controls: what each state is drawn over.
    face = c.crop((0, 0, w, h))
    baked = []
    for b in skin.buttons:
        for state in STATES:
            at = b[state]
            if at is None:
                continue
            if at == b.draw:  # the face itself shows this look
                baked.append((b, state))
                continue
            tile = face.crop(b.draw)
            _paint_state(tile, b, state, p)
            c.paste(tile, at[0], at[1])
    for b, state in baked:
        tile = c.crop(b.draw)
        _paint_state(tile, b, state, p)
        c.paste(tile, b.draw[0], b.draw[1])

    for s in skin.sliders:
        for state in ("normal", "hover", "disabled"):
            r = s[state]
            if r is not None:
                c.paste(theme.paint_thumb(r[2] - r[0], r[3] - r[1], s.thumb_style, state, p), r[0], r[1])

    for cut in skin.cuts:
        theme.paint_cut(c, cut, p, c)
    for sw in skin.swatches:
        c.fill_rect(sw.rect, theme.colour(p, sw.colour))
    return c


def stored_face(skin):
    """Where the face lies in the file: (0, 0) unless the data moves it."""
    dx, dy = skin.stored_at or (0, 0)
    return (dx, dy, dx + skin.face[2], dy + skin.face[3])


def stored(skin, canvas):
    """The image as the file keeps it: a skin with `stored_at` has its face
    there, and the key colour where the face lies when loaded."""
    if not skin.stored_at:
        return canvas
    return _move_face(canvas, skin.face, stored_face(skin))


def loaded(skin, canvas):
    """The image as the window code sees it once it moved the face from its
    stored place back to (0, 0): the inverse of stored()."""
    if not skin.stored_at:
        return canvas
    return _move_face(canvas, stored_face(skin), skin.face)


def _move_face(canvas, source, target):
    face = canvas.crop(source)
    out = canvas.crop((0, 0, canvas.width, canvas.height))
    out.fill_rect(source, KEY)
    out.paste(face, target[0], target[1])
    return out


def _paint_state(tile, button, state, p):
    """One look of a button into a tile of its draw rectangle; an inset
    leaves a margin of the face around it."""
    if not button.inset:
        theme.paint_button(tile, button, state, p)
        return
    left, top, right, bottom = button.inset
    inner = tile.crop((left, top, tile.width - right, tile.height - bottom))
    theme.paint_button(inner, button, state, p)
    tile.paste(inner, left, top)


def roles_of(variant):
    return theme.roles(variant.palette, variant.colours, variant.text)


def face_mask_inside(skin, x, y):
    """Whether a pixel of the face belongs to the window (not key)."""
    return theme.face_shape(skin.face[2], skin.face[3], skin.corner).inside(x + 0.5, y + 0.5)


__all__ = ["render", "stored", "loaded", "stored_face", "roles_of", "face_mask_inside", "Rect"]
