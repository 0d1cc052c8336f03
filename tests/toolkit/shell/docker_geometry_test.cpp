// The docker's snapping rules on rectangles: the 10-pixel bounds (inclusive
// for adjacency, exclusive for alignment and the work area), the order of the
// rules, touching, and moving a window back into the work area.
#include <gtest/gtest.h>

#include "docker_geometry.h"

using docker_geometry::moving;

namespace {
// The fixed window of the cases: 100..400 x 100..300.
const RECT kFixed = {100, 100, 400, 300};
const RECT kWork = {0, 0, 1024, 768};

struct snap_case {
    const char* what;
    moving from;
    int want_x, want_y;
};
}  // namespace

TEST(docker_geometry, snapping_to_a_window) {
    const snap_case cases[] = {
        {"7 px right of its right edge, rows shared", {407, 130, 200, 100}, 400, 130},
        {"exactly 10 px right", {410, 130, 200, 100}, 400, 130},
        {"11 px right: free", {411, 130, 200, 100}, 411, 130},
        {"left of its left edge by 6", {-106, 130, 200, 100}, -100, 130},
        {"exactly 10 px below, columns shared", {150, 310, 200, 100}, 150, 300},
        {"8 px above", {150, -8 - 100 + 100, 200, 100}, 150, 0},
        {"below but no column shared", {420, 305, 100, 100}, 420, 305},
        {"beside, top 9 px off its top: aligned", {400, 109, 200, 100}, 400, 100},
        {"beside, top exactly 10 px off its top: not aligned", {400, 110, 200, 100}, 400, 110},
        {"beside, bottom 5 px off its bottom: aligned", {400, 195, 200, 100}, 400, 200},
        {"below, left 9 px off its left: aligned", {109, 300, 200, 100}, 100, 300},
        {"below, left exactly 10 px off its left: not aligned", {110, 300, 200, 100}, 110, 300},
        {"below, right 3 px off its right: aligned", {203, 300, 200, 100}, 200, 300},
        {"far away: free", {700, 600, 100, 100}, 700, 600},
        {"left edges 9 px apart but rows far from its edges: free", {91, 420, 50, 50}, 91, 420},
    };
    for (const snap_case& c : cases) {
        moving m = c.from;
        docker_geometry::snap_to_window(m, kFixed);
        EXPECT_EQ(m.x, c.want_x) << c.what;
        EXPECT_EQ(m.y, c.want_y) << c.what;
        EXPECT_EQ(m.w, c.from.w) << c.what;
        EXPECT_EQ(m.h, c.from.h) << c.what;
    }
}

TEST(docker_geometry, snapping_to_the_work_area) {
    const snap_case cases[] = {
        {"9 px in from the left and top", {9, 9, 300, 200}, 0, 0},
        {"exactly 10 px in: free", {10, 10, 300, 200}, 10, 10},
        {"5 px out over the left", {-5, 300, 300, 200}, 0, 300},
        {"right edge 9 px short, bottom 9 px short", {1024 - 300 - 9, 768 - 200 - 9, 300, 200}, 724, 568},
        {"right edge exactly 10 px short", {1024 - 300 - 10, 300, 300, 200}, 714, 300},
    };
    for (const snap_case& c : cases) {
        moving m = c.from;
        docker_geometry::snap_to_work_area(m, kWork);
        EXPECT_EQ(m.x, c.want_x) << c.what;
        EXPECT_EQ(m.y, c.want_y) << c.what;
    }
}

TEST(docker_geometry, touching_is_an_exact_shared_edge_with_overlap) {
    const struct {
        const char* what;
        RECT a;
        bool touches;
    } cases[] = {
        {"below", {100, 300, 400, 400}, true},
        {"above", {150, 0, 250, 100}, true},
        {"right", {400, 150, 500, 200}, true},
        {"left", {0, 280, 100, 380}, true},
        {"corner to corner", {400, 300, 500, 400}, true},
        {"one pixel off", {100, 301, 400, 400}, false},
        {"on the edge line but beside", {401, 300, 500, 400}, false},
        {"overlapping", {150, 150, 250, 250}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(docker_geometry::touches(c.a, kFixed), c.touches) << c.what;
}

TEST(docker_geometry, a_window_outside_the_work_area_comes_back_along_its_edges) {
    const struct {
        const char* what;
        RECT window;
        bool moves;
        int x, y;
    } cases[] = {
        {"wholly left", {-500, 100, -300, 200}, true, 0, 100},
        {"9 px still inside on the left", {-191, 100, 9, 200}, true, 0, 100},
        {"10 px inside on the left: stays", {-190, 100, 10, 200}, false, 0, 0},
        {"wholly above and right", {1100, -400, 1300, -300}, true, 824, 0},
        {"below", {100, 900, 300, 1000}, true, 100, 668},
        {"inside", {100, 100, 300, 200}, false, 0, 0},
    };
    for (const auto& c : cases) {
        int x = 0, y = 0;
        EXPECT_EQ(docker_geometry::into_work_area(c.window, kWork, x, y), c.moves) << c.what;
        EXPECT_EQ(x, c.x) << c.what;
        EXPECT_EQ(y, c.y) << c.what;
    }
}
