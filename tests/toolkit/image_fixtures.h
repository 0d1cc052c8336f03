#pragma once
// The pixels of the image fixtures that make_image_fixtures.py writes.
#include <windows.h>

// probe.bmp (5 x 3) and probe.png (4 x 3).
inline COLORREF probe_colour(int x, int y) { return RGB(40 * x + 10, 60 * y + 20, 100 + 7 * x * y); }

// probe.gif (6 x 4).
inline COLORREF probe_gif_colour(int x, int y) {
    static const COLORREF palette[4] = {RGB(255, 0, 0), RGB(0, 128, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
    return palette[(x + 2 * y) % 4];
}
