// skin: controls. Hit testing in order of distance from the window's corner,
// the looks drawn into the back buffer at each change (always exactly the
// control's state image), clicks and release commands, and the tools of the
// tooltip window.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "skin_test_support.h"

namespace art = test_player_skin;

namespace {
POINT centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

struct control_test : player_test {
    void move_to(const RECT& r) { window_rig::mouse_move(hwnd(), centre(r).x, centre(r).y); }
    void press(const RECT& r) { window_rig::left_down(hwnd(), centre(r).x, centre(r).y); }
    void release(const RECT& r) { window_rig::left_up(hwnd(), centre(r).x, centre(r).y); }
    std::vector<unsigned> commands() {
        window_rig::pump();
        return log.commands();
    }
};
}  // namespace

using skin_control_looks = control_test;

TEST_F(skin_control_looks, each_change_shows_the_state_image) {
    KEEP_BACK_BUFFER(look());
    const skin_art_button& play = art::play;
    const RECT empty = {120, 6, 130, 14};  // on the title band, away from every control
    struct step {
        const char* what;
        std::function<void()> act;
        RECT source;
    } steps[] = {
        {"built", [] {}, play.normal},
        {"pointer over it", [&] { move_to(play.draw); }, play.hover},
        {"pressed", [&] { press(play.draw); }, play.pressed},
        {"released over it", [&] { release(play.draw); }, play.hover},
        {"pointer away", [&] { move_to(empty); }, play.normal},
        {"disabled", [&] { look().set_enable(play.id, false); }, play.disabled},
        {"disabled under the pointer", [&] { move_to(play.draw); }, play.disabled},
        {"disabled and clicked", [&] { press(play.draw); release(play.draw); }, play.disabled},
        {"enabled again", [&] { move_to(empty); look().set_enable(play.id, true); }, play.normal},
        {"checked", [&] { look().set_check(play.id, true); }, play.pressed},
        {"checked under the pointer", [&] { move_to(play.draw); }, play.pressed},
        {"unchecked, pointer away", [&] { look().set_check(play.id, false); move_to(empty); }, play.normal},
    };
    for (const step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_TRUE(shows(look(), play.draw, *image, s.source));
    }
    // Only the enabled clicks posted the command.
    EXPECT_EQ(commands(), std::vector<unsigned>{static_cast<unsigned>(play.id)});

    // Hidden, the face shows; shown again, the normal look.
    look().set_visible(play.id, false);
    EXPECT_TRUE(shows(look(), play.draw, *image, play.draw));
    EXPECT_EQ(look().find_control(centre(play.draw)), nullptr);
    look().set_visible(play.id, true);
    EXPECT_TRUE(shows(look(), play.draw, *image, play.normal));
}

TEST_F(skin_control_looks, moving_from_one_button_to_another_returns_the_first_to_normal) {
    move_to(art::prev.draw);
    EXPECT_TRUE(shows(look(), art::prev.draw, *image, art::prev.hover));
    move_to(art::pause.draw);
    EXPECT_TRUE(shows(look(), art::prev.draw, *image, art::prev.normal));
    EXPECT_TRUE(shows(look(), art::pause.draw, *image, art::pause.hover));
    EXPECT_EQ(look().get_hot_control(), look().get_control(art::pause.id));
    // Losing the focus takes the hover look away.
    SendMessageW(hwnd(), WM_KILLFOCUS, 0, 0);
    EXPECT_TRUE(shows(look(), art::pause.draw, *image, art::pause.normal));
    EXPECT_EQ(look().get_hot_control(), nullptr);
}

// Regression: an activation between the press and the release (the window
// becoming active under the click) forgot the hot control, so the button lit
// by the release stayed lit after the pointer left it.
TEST_F(skin_control_looks, a_button_lit_by_a_click_goes_out_when_the_pointer_leaves) {
    KEEP_BACK_BUFFER(look());
    const skin_art_button& play = art::play;
    const RECT empty = {120, 6, 130, 14};
    for (const bool activated_between : {false, true}) {
        SCOPED_TRACE(activated_between ? "activated under the click" : "already active");
        move_to(play.draw);
        press(play.draw);
        if (activated_between) SendMessageW(hwnd(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
        release(play.draw);
        EXPECT_TRUE(shows(look(), play.draw, *image, play.hover));
        move_to(empty);
        EXPECT_TRUE(shows(look(), play.draw, *image, play.normal));
        window_rig::pump();
    }
    // An activation puts out a lit button as a deactivation does.
    move_to(play.draw);
    SendMessageW(hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(shows(look(), play.draw, *image, play.normal));
    EXPECT_EQ(look().get_hot_control(), nullptr);
}

using skin_control_input = control_test;

TEST_F(skin_control_input, hit_testing_prefers_the_control_nearest_the_corner) {
    // Two buttons over the display: b nearer (0,0) than a; c as near as b,
    // added after it.
    skin_art_button a_art = art::stop, b_art = art::stop, c_art = art::stop;
    a_art.id = 101;
    b_art.id = 102;
    b_art.hit = {30, 25, 70, 45};  // centre 50,35
    c_art.id = 103;
    c_art.hit = {30, 25, 70, 45};
    a_art.hit = {50, 38, 90, 56};  // centre 70,47
    look().add_control(b.region, make_button(a_art));
    look().add_control(b.region, make_button(b_art));
    look().add_control(b.region, make_button(c_art));
    EXPECT_EQ(look().find_control({35, 30})->id, 102);  // only b and c
    EXPECT_EQ(look().find_control({60, 40})->id, 102);  // all three
    EXPECT_EQ(look().find_control({85, 52})->id, 101);  // only a
    window_rig::click(hwnd(), 60, 40);
    EXPECT_EQ(commands(), std::vector<unsigned>{102});

    // A control at the same distance as another can still be removed.
    skin_control* c = look().get_control(103);
    EXPECT_TRUE(look().delete_control(c));
    EXPECT_FALSE(look().delete_control(c));
    delete c;
    skin_control* b_control = look().get_control(102);
    EXPECT_TRUE(look().delete_control(b_control));
    delete b_control;
    EXPECT_EQ(look().find_control({60, 40})->id, 101);
}

TEST_F(skin_control_input, a_click_is_the_release_over_a_control) {
    window_rig::click(hwnd(), centre(art::stop.draw).x, centre(art::stop.draw).y);
    EXPECT_EQ(commands(), std::vector<unsigned>{static_cast<unsigned>(art::stop.id)});
    ASSERT_EQ(log.log.back().lparam, -1);
    log.clear();
    // Pressed on one button and released on another: the second one's.
    press(art::stop.draw);
    release(art::next.draw);
    EXPECT_EQ(commands(), std::vector<unsigned>{static_cast<unsigned>(art::next.id)});
    log.clear();
    // Released away from every control: nothing.
    press(art::stop.draw);
    window_rig::left_up(hwnd(), 120, 10);
    EXPECT_TRUE(commands().empty());
    // Double-clicks and right-clicks on a control are swallowed; elsewhere
    // they reach the window.
    const LPARAM on_stop = MAKELPARAM(centre(art::stop.draw).x, centre(art::stop.draw).y);
    SendMessageW(hwnd(), WM_RBUTTONUP, 0, on_stop);
    SendMessageW(hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, on_stop);
    EXPECT_EQ(b.window->seen(WM_RBUTTONUP), 0);
    EXPECT_EQ(b.window->seen(WM_LBUTTONDBLCLK), 0);
    SendMessageW(hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(120, 40));
    EXPECT_EQ(b.window->seen(WM_RBUTTONUP), 1);
    release(art::stop.draw);
    EXPECT_EQ(commands(), std::vector<unsigned>{static_cast<unsigned>(art::stop.id)});
}

TEST_F(skin_control_input, a_release_command_goes_at_the_release) {
    skin_button* prev = static_cast<skin_button*>(look().get_control(art::prev.id));
    prev->release_command = 0x10077;
    press(art::prev.draw);
    EXPECT_EQ(commands(), std::vector<unsigned>{static_cast<unsigned>(art::prev.id)});
    EXPECT_TRUE(shows(look(), art::prev.draw, *image, art::prev.pressed));
    release(art::prev.draw);
    EXPECT_EQ(commands(), (std::vector<unsigned>{static_cast<unsigned>(art::prev.id), 0x77u}));
}

TEST_F(skin_control_input, tools_follow_the_visible_enabled_controls) {
    // Seven buttons and two sliders carry a tip; the items none.
    EXPECT_EQ(tool_count(look()), 9);
    EXPECT_EQ(tool_text(look(), art::stop.id), L"tip");
    look().set_enable(art::stop.id, false);
    EXPECT_EQ(tool_count(look()), 8);
    look().set_enable(art::stop.id, true);
    look().set_visible(art::next.id, false);
    EXPECT_EQ(tool_count(look()), 8);
    EXPECT_EQ(tool_text(look(), art::next.id), L"");
    look().set_visible(art::next.id, true);
    EXPECT_EQ(tool_count(look()), 9);
    // Showing or refreshing a control that has its tool keeps one tool.
    look().set_visible(art::next.id, true);
    look().refresh_control(art::stop.id);
    EXPECT_EQ(tool_count(look()), 9);
    // A hidden control is not hit and not enabled again by set_enable.
    look().set_visible(art::pause.id, false);
    look().set_enable(art::pause.id, false);
    look().set_enable(art::pause.id, true);
    EXPECT_TRUE(shows(look(), art::pause.draw, *image, art::pause.draw));
    press(art::pause.draw);
    release(art::pause.draw);
    EXPECT_TRUE(commands().empty());
}
