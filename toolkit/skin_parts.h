#pragma once
// Small helpers shared by the skin engine's sources (internal to zel_core).
#include <windows.h>

#include "dib.h"

namespace skin_parts {

const COLORREF key_colour = RGB(255, 0, 255);

inline int width(const RECT& r) { return r.right - r.left; }
inline int height(const RECT& r) { return r.bottom - r.top; }
// An all-zero rectangle stands for an image that is not given.
inline bool given(const RECT& r) { return r.left || r.top || r.right || r.bottom; }
inline bool contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
inline RECT moved(RECT r, int dx, int dy) {
    OffsetRect(&r, dx, dy);
    return r;
}

// out becomes a 24-bit copy of the source rectangle of image; a rectangle
// reaching left of or above the image gets the key colour there. An empty
// rectangle or a missing image leaves out empty.
inline void cut(dib& out, const dib* image, const RECT& source) {
    out.clear();
    if (!image || !image->get_memdc() || width(source) <= 0 || height(source) <= 0) return;
    if (!out.create(width(source), height(source), 24)) return;
    out.load_picture_blt(image->get_memdc(), source.left, source.top, width(source), height(source), SRCCOPY);
}

}  // namespace skin_parts
