// The window docker on real windows of the test's virtual desktop: moves are
// proposed with SetWindowPos/MoveWindow, which the docker snaps in
// WM_WINDOWPOSCHANGING exactly as it snaps a drag.
#include <memory>
#include <vector>

#include "core.h"
#include "shell_test_support.h"
#include "window_rig.h"
#include "window_docker.h"

using namespace shell_test;

namespace {
const UINT kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

bool topmost(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

class docker : public ::testing::Test {
protected:
    void SetUp() override {
        docker_ = static_cast<window_docker*>(core::enum_create_component(window_docker::iid, 0));
        ASSERT_NE(docker_, nullptr);
    }
    void TearDown() override {
        for (auto& w : windows_) docker_->remove_window(w->hwnd());
        docker_->set_always_on_top(false);
        windows_.clear();
        set_main_window(nullptr);
    }

    // The main window, registered.
    HWND main(int x, int y, int w, int h) {
        HWND hwnd = window(x, y, w, h, false);
        set_main_window(hwnd);
        docker_->add_window(hwnd);
        return hwnd;
    }
    // Another window, registered unless said otherwise.
    HWND window(int x, int y, int w, int h, bool registered = true, bool visible = true) {
        windows_.emplace_back(new plain_window(x, y, w, h, visible));
        HWND hwnd = windows_.back()->hwnd();
        if (registered) docker_->add_window(hwnd);
        return hwnd;
    }
    static void move(HWND hwnd, int x, int y) { SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); }
    static POINT at(HWND hwnd) {
        const RECT r = rect_of(hwnd);
        return {r.left, r.top};
    }

    window_docker* docker_ = nullptr;
    std::vector<std::unique_ptr<plain_window>> windows_;
};

#define EXPECT_AT(hwnd, want_x, want_y) \
    do {                                \
        const POINT p_ = at(hwnd);      \
        EXPECT_EQ(p_.x, want_x) << #hwnd; \
        EXPECT_EQ(p_.y, want_y) << #hwnd; \
    } while (0)
}  // namespace

TEST_F(docker, the_test_desktop_has_the_known_work_area) {
    const RECT work = work_area();
    EXPECT_EQ(work.right - work.left, desktop_width);
    EXPECT_EQ(work.bottom - work.top, desktop_height);
}

TEST_F(docker, a_window_moved_near_another_snaps_to_it) {
    HWND m = main(200, 150, 300, 200);
    HWND playlist = window(600, 500, 250, 150);
    // Its left edge 7 px right of the main window's right edge.
    move(playlist, 507, 180);
    EXPECT_AT(playlist, 500, 180);
    // 10 px below the main window, columns shared: adjacency snaps at 10.
    move(playlist, 230, 360);
    EXPECT_AT(playlist, 230, 350);
    // Beside the main window with its top exactly 10 px below the main
    // window's top: alignment needs less than 10.
    move(playlist, 500, 160);
    EXPECT_AT(playlist, 500, 160);
    move(playlist, 500, 159);
    EXPECT_AT(playlist, 500, 150);
    // An unregistered window attracts nothing.
    HWND stranger = window(700, 500, 100, 100, false);
    move(playlist, 805, 520);
    EXPECT_AT(playlist, 805, 520);
    (void)m;
    (void)stranger;
}

TEST_F(docker, windows_docked_to_the_main_window_follow_it_and_near_ones_stay) {
    HWND m = main(200, 150, 300, 200);
    HWND below = window(200, 350, 300, 100);        // on the main window's bottom edge
    HWND below_that = window(250, 450, 200, 80);    // on the first one's bottom edge
    HWND nearby = window(520, 150, 100, 100);         // 20 px right of the main window
    HWND beside_below = window(500, 380, 120, 60);  // on the first one's right edge
    move(m, 260, 180);
    EXPECT_AT(m, 260, 180);
    EXPECT_AT(below, 260, 380);
    EXPECT_AT(below_that, 310, 480);
    EXPECT_AT(nearby, 520, 150);
    EXPECT_AT(beside_below, 560, 410);  // docked to a docked window
}

TEST_F(docker, a_change_of_z_order_or_size_moves_no_docked_window) {
    HWND m = main(200, 150, 300, 200);
    HWND below = window(200, 350, 300, 100);
    SetWindowPos(m, HWND_TOP, 0, 0, 0, 0, kZOrderOnly);
    docker_->raise_group();
    SetWindowPos(m, nullptr, 0, 0, 320, 210, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_AT(m, 200, 150);
    EXPECT_AT(below, 200, 350);
    // A later real move still takes it along.
    SetWindowPos(m, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    move(m, 220, 140);
    EXPECT_AT(below, 220, 340);
}

TEST_F(docker, a_move_that_activates_the_main_window_takes_the_docked_windows_along) {
    HWND m = main(200, 150, 300, 200);
    HWND below = window(200, 350, 300, 100);
    HWND below_that = window(200, 450, 300, 80);
    ASSERT_NE(GetActiveWindow(), m);
    // Without SWP_NOACTIVATE the move activates the main window, and the
    // activation raises the group (Z-order changes of the main window that
    // already stands at its new place) before the move's own notification.
    window_rig::message_recorder seen({WM_ACTIVATE});
    seen.init(m);
    SetWindowPos(m, nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    window_rig::pump();
    EXPECT_EQ(seen.count(WM_ACTIVATE), 1) << "the move activated the main window";
    EXPECT_AT(m, 100, 120);
    EXPECT_AT(below, 100, 320);
    EXPECT_AT(below_that, 100, 420);
    seen.deinit();
    EXPECT_TRUE(give_activation_back());
}

TEST_F(docker, the_main_window_and_its_group_snap_to_the_work_area_as_a_whole) {
    const RECT work = work_area();
    HWND m = main(200, 150, 300, 200);
    HWND below = window(200, 350, 300, 100);
    // A first move lets the docker learn the group.
    move(m, 210, 150);
    ASSERT_EQ(at(below).x, 210);
    // The group's bottom (the docked window's) 6 px above the work area's
    // bottom, its left 4 px right of the work area's left.
    move(m, work.left + 4, work.bottom - 300 - 6);
    EXPECT_AT(m, work.left, work.bottom - 300);
    EXPECT_AT(below, work.left, work.bottom - 100);
    // At exactly 10 px the work area does not pull.
    move(m, work.left + 10, work.bottom - 300 - 10);
    EXPECT_AT(m, work.left + 10, work.bottom - 310);
    EXPECT_AT(below, work.left + 10, work.bottom - 110);
}

TEST_F(docker, activating_the_main_window_raises_the_group_without_activating_it) {
    HWND m = main(100, 100, 300, 200);
    HWND a = window(100, 300, 300, 100);
    HWND b = window(400, 100, 150, 200);
    HWND stranger = window(50, 50, 600, 500, false);
    SetWindowPos(stranger, HWND_TOP, 0, 0, 0, 0, kZOrderOnly);
    ASSERT_TRUE(above(stranger, m));
    window_rig::message_recorder activations({WM_ACTIVATE, WM_NCACTIVATE});
    activations.init(a);

    SendMessageW(m, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(above(m, a));
    EXPECT_TRUE(above(m, b));
    EXPECT_TRUE(above(a, stranger));
    EXPECT_TRUE(above(b, stranger));
    EXPECT_TRUE(activations.log.empty()) << "raised, not activated: " << activations.log.size() << " "
                                          << (activations.log.empty() ? 0 : activations.log[0].msg) << " "
                                          << (activations.log.empty() ? 0 : activations.log[0].wparam);

    SetWindowPos(stranger, HWND_TOP, 0, 0, 0, 0, kZOrderOnly);
    SendMessageW(a, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(above(stranger, m)) << "only the main window's activation raises";
    SendMessageW(m, 10529, 0, 0);
    EXPECT_TRUE(above(m, stranger)) << "message 10529 raises too";
    EXPECT_TRUE(above(a, stranger));
}

TEST_F(docker, a_window_shown_outside_the_work_area_is_moved_in) {
    const RECT work = work_area();
    HWND m = main(200, 150, 300, 200);
    HWND lost = window(work.left - 500, 300, 200, 100, true, false);
    ShowWindow(lost, SW_SHOWNOACTIVATE);
    EXPECT_AT(lost, work.left, 300);
    EXPECT_TRUE(IsWindowVisible(lost));

    // A window against the main window's edge line stays where it is.
    move(m, work.left - 250, 150);
    HWND docked = window(work.left - 450, 150, 200, 100, true, false);
    ShowWindow(docked, SW_SHOWNOACTIVATE);
    EXPECT_AT(docked, work.left - 450, 150);
}

TEST_F(docker, always_on_top_applies_to_registered_windows_and_later_ones) {
    HWND m = main(100, 100, 300, 200);
    HWND a = window(100, 300, 300, 100);
    HWND stranger = window(500, 100, 100, 100, false);
    docker_->set_always_on_top(true);
    EXPECT_TRUE(topmost(m));
    EXPECT_TRUE(topmost(a));
    EXPECT_FALSE(topmost(stranger));
    HWND later = window(600, 300, 100, 100);
    EXPECT_TRUE(topmost(later));

    docker_->set_always_on_top(false);
    EXPECT_FALSE(topmost(m));
    EXPECT_FALSE(topmost(later));
    HWND after = window(600, 450, 100, 100);
    EXPECT_FALSE(topmost(after));
}

TEST_F(docker, attached_windows_are_found_by_side_and_put_back_after_a_resize) {
    HWND m = main(300, 200, 300, 200);
    HWND left = window(200, 220, 100, 100);
    HWND right = window(600, 250, 100, 100);
    HWND top = window(350, 100, 100, 100);
    HWND bottom = window(320, 400, 150, 50);
    window(700, 600, 50, 50);  // not attached
    std::vector<HWND> found;
    std::vector<int> sides;
    docker_->find_attached(found, sides);
    ASSERT_EQ(found.size(), 4u);
    for (size_t i = 0; i < found.size(); ++i) {
        const int want = found[i] == left ? 1 : found[i] == right ? 2 : found[i] == top ? 3 : found[i] == bottom ? 4 : 0;
        EXPECT_EQ(sides[i], want);
    }
    // The main window grows to the right and down without moving.
    SetWindowPos(m, nullptr, 0, 0, 340, 230, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    docker_->move_attached(found, sides);
    EXPECT_AT(right, 640, 250);
    EXPECT_AT(bottom, 320, 430);
    EXPECT_AT(left, 200, 220);
    EXPECT_AT(top, 350, 100);
}

TEST_F(docker, a_window_leaves_with_its_own_procedure_and_when_destroyed) {
    HWND w = window(100, 100, 100, 100, false);
    const LONG_PTR own = GetWindowLongPtrW(w, GWLP_WNDPROC);
    docker_->add_window(w);
    docker_->add_window(w);
    EXPECT_NE(GetWindowLongPtrW(w, GWLP_WNDPROC), own);
    docker_->remove_window(w);
    EXPECT_EQ(GetWindowLongPtrW(w, GWLP_WNDPROC), own);

    HWND m = main(300, 200, 300, 200);
    HWND gone = window(300, 400, 100, 100);
    DestroyWindow(gone);
    std::vector<HWND> found;
    std::vector<int> sides;
    docker_->find_attached(found, sides);
    EXPECT_TRUE(found.empty()) << "a destroyed window is forgotten";
    (void)m;
}
