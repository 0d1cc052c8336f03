"""The C++ header of a skin's rectangles, for the code and tests that use the
skin: ids, hit and draw rectangles, state sources, pieces, cuts, statics,
swatches and the resource ids of the variants."""
import os

from skin_data import STATES

TYPES = """#ifndef ZEL_SKIN_ART_TYPES
#define ZEL_SKIN_ART_TYPES
struct skin_art_button {
    int id;
    RECT hit, draw;
    RECT normal, hover, pressed, disabled;  // all zero: not given
};
struct skin_art_slider {
    int id;
    bool horizontal;
    RECT hit, thumb, normal, hover, disabled, fill;
};
struct skin_art_static {
    int id;
    RECT rect;
};
struct skin_art_piece {
    int kind;
    RECT rect, grip;
};
#endif
"""


def _r(rect):
    return "{%d, %d, %d, %d}" % tuple(rect) if rect else "{0, 0, 0, 0}"


def _ident(name):
    return "".join(ch if ch.isalnum() else "_" for ch in name)


def header_text(skin, source_name):
    ns = _ident(skin.name) + "_skin"
    out = ["// Made by tools/skin_art/make_skins.py from %s; do not edit." % source_name,
           "#pragma once", "#include <windows.h>", "", TYPES, "namespace %s {" % ns]
    out.append("const int width = %d, height = %d;" % skin.size)
    out.append("const RECT face = %s;" % _r(skin.face))
    out.append("const int variant_count = %d;" % len(skin.variants))
    ids = [str(v.resource) if v.resource is not None else "0" for v in skin.variants]
    out.append("const unsigned resource_ids[] = {%s};" % ", ".join(ids))
    for b in skin.buttons:
        out.append("const skin_art_button %s = {%d, %s, %s, %s};" % (
            _ident(b.name), b.id, _r(b.hit), _r(b.draw), ", ".join(_r(b[s]) for s in STATES)))
    for s in skin.sliders:
        out.append("const skin_art_slider %s = {%d, %s, %s, %s, %s, %s, %s, %s};" % (
            _ident(s.name), s.id, "true" if s.axis == "horizontal" else "false", _r(s.hit), _r(s.thumb),
            _r(s.normal), _r(s.hover), _r(s.disabled), _r(s.fill)))
    for s in skin.statics:
        out.append("const skin_art_static %s = {%d, %s};" % (_ident(s.name), s.id, _r(s.rect)))
    for c in skin.cuts:
        out.append("const RECT %s = %s;" % (_ident(c.name), _r(c.rect)))
    for sw in skin.swatches:
        out.append("const RECT %s = %s;" % (_ident(sw.name), _r(sw.rect)))
    if skin.pieces:
        out.append("const skin_art_piece pieces[] = {")
        for pc in skin.pieces:
            out.append("    {%d, %s, %s}," % (pc.kind, _r(pc.rect), _r(pc.grip)))
        out.append("};")
    out.append("}  // namespace %s" % ns)
    return "\n".join(out) + "\n"


def header_name(skin):
    return _ident(skin.name) + "_skin.h"


def write_if_changed(path, data):
    """Leaves an unchanged file alone, so that nothing rebuilds for it."""
    if isinstance(data, str):
        data = data.encode("utf-8")
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return False
    except OSError:
        pass
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)
    return True
