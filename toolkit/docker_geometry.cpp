// Snapping rules of the window docker, on rectangles.
#include "docker_geometry.h"

#include <cstdlib>

namespace docker_geometry {
namespace {
// Whether the span a0..a1 meets b0..b1: one of its ends lies inside (ends
// included) or it covers the other.
bool overlap(int a0, int a1, int b0, int b1) {
    return (a0 >= b0 && a0 <= b1) || (a1 >= b0 && a1 <= b1) || (a0 <= b0 && a1 >= b1);
}

bool adjacent(int a, int b) { return std::abs(a - b) <= snap_distance; }
bool aligned(int a, int b) { return std::abs(a - b) < snap_distance; }
}  // namespace

void snap_to_window(moving& m, const RECT& r) {
    // 1. Above or below, when the two share columns.
    if (overlap(m.x, m.x + m.w, r.left, r.right)) {
        if (adjacent(m.y + m.h, r.top))
            m.y = r.top - m.h;
        else if (adjacent(m.y, r.bottom))
            m.y = r.bottom;
    }
    // 2. Right or left, when the two share rows.
    if (overlap(m.y, m.y + m.h, r.top, r.bottom)) {
        if (adjacent(m.x, r.right))
            m.x = r.right;
        else if (adjacent(m.x + m.w, r.left))
            m.x = r.left - m.w;
    }
    // 3. Edges in line, only for windows near each other's sides.
    const bool near_columns = aligned(m.x, r.left) || aligned(m.x, r.right) || aligned(m.x + m.w, r.left) ||
                              aligned(m.x + m.w, r.right);
    if (near_columns) {
        if (aligned(m.y + m.h, r.top)) m.y = r.top - m.h;
        if (aligned(m.y + m.h, r.bottom)) m.y = r.bottom - m.h;
        if (aligned(m.y, r.top)) m.y = r.top;
        if (aligned(m.y, r.bottom)) m.y = r.bottom;
    }
    const bool near_rows = aligned(m.y, r.top) || aligned(m.y, r.bottom) || aligned(m.y + m.h, r.top) ||
                           aligned(m.y + m.h, r.bottom);
    if (near_rows) {
        if (aligned(m.x + m.w, r.left)) m.x = r.left - m.w;
        if (aligned(m.x + m.w, r.right)) m.x = r.right - m.w;
        if (aligned(m.x, r.left)) m.x = r.left;
        if (aligned(m.x, r.right)) m.x = r.right;
    }
}

void snap_to_work_area(moving& m, const RECT& work) {
    if (aligned(m.x, work.left)) m.x = work.left;
    if (aligned(m.y, work.top)) m.y = work.top;
    if (aligned(m.x + m.w, work.right)) m.x = work.right - m.w;
    if (aligned(m.y + m.h, work.bottom)) m.y = work.bottom - m.h;
}

bool touches(const RECT& a, const RECT& b) {
    if ((a.bottom == b.top || a.top == b.bottom) && overlap(a.left, a.right, b.left, b.right)) return true;
    return (a.right == b.left || a.left == b.right) && overlap(a.top, a.bottom, b.top, b.bottom);
}

bool into_work_area(const RECT& window, const RECT& work, int& x, int& y) {
    const int w = window.right - window.left, h = window.bottom - window.top;
    int nx = window.left, ny = window.top;
    bool moved = false;
    if (window.right < work.left + snap_distance) nx = work.left, moved = true;
    if (window.bottom < work.top + snap_distance) ny = work.top, moved = true;
    if (nx > work.right - snap_distance) nx = work.right - w, moved = true;
    if (ny > work.bottom - snap_distance) ny = work.bottom - h, moved = true;
    if (moved) x = nx, y = ny;
    return moved;
}

}  // namespace docker_geometry
