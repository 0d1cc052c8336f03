#pragma once
// The window docker's snapping rules on plain rectangles (no windows).
//
// A moving rectangle (x, y, w, h; x and y change in place) snaps to a fixed
// one: adjacency within 10 pixels (edges included), alignment of edges and
// the work area's edges when less than 10 pixels apart.
#include <windows.h>

namespace docker_geometry {

const int snap_distance = 10;

struct moving {
    int x, y, w, h;
};

// The three steps of the rules against one fixed rectangle: vertical
// adjacency, horizontal adjacency, then the eight alignments.
void snap_to_window(moving& m, const RECT& fixed);
// Each edge of m to the same edge of the work area.
void snap_to_work_area(moving& m, const RECT& work);

// Whether a touches b exactly: a's bottom on b's top or a's top on b's bottom
// while they overlap horizontally, or a's right on b's left or a's left on
// b's right while they overlap vertically (edges included).
bool touches(const RECT& a, const RECT& b);

// Where a window lying (almost) wholly outside the work area goes: its
// nearest position along the edges it is beyond. False (and x, y untouched)
// when it needs no move.
bool into_work_area(const RECT& window, const RECT& work, int& x, int& y);

}  // namespace docker_geometry
