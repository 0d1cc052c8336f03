// skin: resizable skins. The strips of the nine-grid share the extra width,
// fixed pieces and corners move and carry their controls, the grips drag an
// outline that stops at the base size, and the new size reaches the window
// and its owner. In expanded mode (the user interface's service says so) the
// docked windows neither move nor resize.
#include <gtest/gtest.h>
#include <windows.h>

#include "core.h"
#include "interfaces/main_ui.h"
#include "skin_test_support.h"

namespace art = test_frame_skin;

namespace {
RECT window_rect(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
}

int width_of(const RECT& r) { return r.right - r.left; }
int height_of(const RECT& r) { return r.bottom - r.top; }

// Where each piece of test_frame lies after the window grew by dx (25) and
// dy: the first strip of a row takes 12, the fixed piece moves by 12, the
// second strip moves by 12 and takes 13, the right column moves by 25.
std::vector<RECT> expected_pieces(int dy) {
    return {
        {0, 0, 40, 60},         {40, 0, 53, 60},         {53, 0, 93, 60},         {93, 0, 107, 60},
        {107, 0, 185, 60},      {0, 60, 40, 61 + dy},    {40, 60, 53, 61 + dy},   {53, 60, 93, 61 + dy},
        {93, 60, 107, 61 + dy}, {107, 60, 185, 61 + dy}, {0, 61 + dy, 40, 100 + dy}, {40, 61 + dy, 53, 100 + dy},
        {53, 61 + dy, 93, 100 + dy}, {93, 61 + dy, 107, 100 + dy}, {107, 61 + dy, 185, 100 + dy},
    };
}

class expanded_mode {
public:
    expanded_mode() {
        core::load_library();
        ui_ = static_cast<main_ui*>(core::enum_create_component(main_ui::iid, 0));
    }
    ~expanded_mode() {
        if (ui_) ui_->set_expanded(false);
    }
    main_ui* ui() const { return ui_; }

private:
    main_ui* ui_;
};
}  // namespace

using skin_resize = toolkit_test;

TEST_F(skin_resize, pieces_and_their_controls_follow_a_new_size) {
    frame_build b = build_frame();
    KEEP_BACK_BUFFER(*b.look);
    std::unique_ptr<dib> image(skin::load_png_resource(L"PNG", 911));
    ASSERT_TRUE(image);
    b.look->set_position(art::level.id, 50);
    for (int dy : {0, 20}) {
        SCOPED_TRACE(dy);
        const RECT size = {0, 0, 185, 100 + dy};
        b.look->refresh_resize_skin(&size, 1);
        const std::vector<RECT> want = expected_pieces(dy);
        ASSERT_EQ(b.pieces.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i)
            EXPECT_TRUE(same_rect(b.pieces[i]->placement, want[i])) << "piece " << i << " of kind " << b.pieces[i]->kind;

        const RECT w = window_rect(b.window->hwnd());
        EXPECT_EQ(width_of(w), 185);
        EXPECT_EQ(height_of(w), 100 + dy);
        EXPECT_EQ(b.look->get_width(), 185);

        // Controls move with the piece that holds their centre.
        struct moved_control {
            const skin_art_button* art;
            int dx, dy;
        } moves[] = {{&art::pin, 12, 0}, {&art::close, 25, 0}, {&art::middle, 12, dy}, {&art::corner, 0, dy}};
        for (const moved_control& m : moves) {
            const skin_control* c = b.look->get_control(static_cast<unsigned>(m.art->id));
            ASSERT_NE(c, nullptr);
            EXPECT_TRUE(same_rect(c->draw_rect, shifted(m.art->draw, m.dx, m.dy))) << "control " << m.art->id;
            EXPECT_TRUE(same_rect(c->hit_rect, shifted(m.art->hit, m.dx, m.dy))) << "control " << m.art->id;
            EXPECT_TRUE(shows(*b.look, c->draw_rect, *image, m.art->normal)) << "control " << m.art->id;
        }
        const skin_scroll* level = static_cast<const skin_scroll*>(b.look->get_control(art::level.id));
        EXPECT_TRUE(same_rect(level->hit_rect, shifted(art::level.hit, 25, dy)));
        EXPECT_EQ(level->fill_rect.left, level->hit_rect.left + 1);
        EXPECT_EQ(level->fill_rect.top, art::level.fill.top + dy);
        // The thumb stays at its position: half of the travel (44 - 10).
        EXPECT_EQ(level->draw_rect.left, level->hit_rect.left + 17);
        EXPECT_EQ(level->draw_rect.top, art::level.thumb.top + dy);

        // The right column is the corner's image moved; a stretched column
        // repeats the strip.
        EXPECT_TRUE(shows(*b.look, {107, 20, 185, 60}, *image, {82, 20, 160, 60}));
        EXPECT_TRUE(shows(*b.look, {47, 20, 48, 60}, *image, {40, 20, 41, 60}));
        // The rounded corners moved with the corner pieces.
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        GetWindowRgn(b.window->hwnd(), region);
        EXPECT_FALSE(PtInRegion(region, 184, 0));
        EXPECT_TRUE(PtInRegion(region, 183, 10));
        EXPECT_FALSE(PtInRegion(region, 184, 99 + dy));
        DeleteObject(region);
    }
}

TEST_F(skin_resize, a_layout_without_a_top_strip_does_not_divide_by_zero) {
    frame_build b = build_frame({1});
    const RECT size = {0, 0, 230, 110};
    b.look->refresh_resize_skin(&size, 1);
    EXPECT_EQ(width_of(window_rect(b.window->hwnd())), 230);
    // No top strip shares the width out: the strips before the fixed pieces
    // keep their width and those after them take the whole extra width.
    for (const auto& piece : b.pieces) {
        if (piece->kind == 4 || piece->kind == 7) {
            EXPECT_EQ(width_of(piece->placement), piece->initial_placement.left == 40 ? 1 : 71);
        }
    }
}

TEST_F(skin_resize, a_grip_drag_stops_at_the_base_size_and_reports_the_new_size) {
    frame_build b = build_frame();
    const HWND hwnd = b.window->hwnd();
    window_rig::host_window owner(400, 40, 20, 20);
    window_rig::message_recorder owner_log, log;
    owner_log.init(owner.hwnd());
    log.init(hwnd);
    b.look->set_owner(owner.hwnd());
    const RECT start = window_rect(hwnd);

    // Dragging the bottom-right grip far inwards stops at the base size.
    window_rig::mouse_move(hwnd, 150, 90);
    window_rig::left_down(hwnd, 150, 90);
    EXPECT_EQ(GetCapture(), hwnd);
    window_rig::mouse_move(hwnd, 10, 10, MK_LBUTTON);
    window_rig::left_up(hwnd, 10, 10);
    RECT now = window_rect(hwnd);
    EXPECT_TRUE(same_rect(now, start));
    ASSERT_EQ(log.count(msg_skin_resized), 1);
    EXPECT_EQ(log.log.back().wparam, 160u);
    EXPECT_EQ(log.log.back().lparam, 100);
    ASSERT_EQ(owner_log.count(msg_skin_resized), 1);
    EXPECT_EQ(owner_log.log.back().wparam, 160u);
    EXPECT_NE(GetCapture(), hwnd);

    // Outwards it grows, and the corner's controls follow.
    window_rig::mouse_move(hwnd, 150, 90);
    window_rig::left_down(hwnd, 150, 90);
    window_rig::mouse_move(hwnd, 210, 140, MK_LBUTTON);
    window_rig::left_up(hwnd, 210, 140);
    now = window_rect(hwnd);
    EXPECT_EQ(now.left, start.left);
    EXPECT_EQ(width_of(now), 210);
    EXPECT_EQ(height_of(now), 140);
    EXPECT_EQ(log.log.back().wparam, 210u);
    EXPECT_EQ(log.log.back().lparam, 140);
    EXPECT_EQ(owner_log.log.back().lparam, 140);
    EXPECT_TRUE(same_rect(b.look->get_control(art::close.id)->draw_rect, shifted(art::close.draw, 50, 0)));

    // The left edge moves the window's left side, never past the base width.
    window_rig::mouse_move(hwnd, 2, 50);
    window_rig::left_down(hwnd, 2, 50);
    window_rig::mouse_move(hwnd, static_cast<WORD>(-30), 50, MK_LBUTTON);
    window_rig::left_up(hwnd, static_cast<WORD>(-30), 50);
    now = window_rect(hwnd);
    EXPECT_EQ(now.left, start.left - 30);
    EXPECT_EQ(now.right, start.left + 210);
    window_rig::mouse_move(hwnd, 2, 50);
    window_rig::left_down(hwnd, 2, 50);
    window_rig::mouse_move(hwnd, 200, 50, MK_LBUTTON);
    window_rig::left_up(hwnd, 200, 50);
    now = window_rect(hwnd);
    EXPECT_EQ(width_of(now), 160);
    EXPECT_EQ(now.right, start.left + 210);
}

TEST_F(skin_resize, a_press_without_a_control_moves_the_window_unless_it_is_docked_in_expanded_mode) {
    expanded_mode mode;
    ASSERT_NE(mode.ui(), nullptr) << "the stand-in of the user interface's service did not load";
    for (bool expanded : {false, true}) {
        mode.ui()->set_expanded(expanded);
        for (const wchar_t* name : {L"ZELMainWindow", L"ZELPlaylist", L"zel_skin_test"}) {
            SCOPED_TRACE(testing::Message() << (expanded ? "expanded, " : "") << "class " << (name[0] == L'Z' ? "ZEL" : "other"));
            player_build b = build_player(901, name);
            window_rig::message_recorder log;
            log.init(b.window->hwnd());
            window_rig::left_down(b.window->hwnd(), 120, 10);  // the title band
            window_rig::left_up(b.window->hwnd(), 120, 10);
            window_rig::pump();
            const bool docked = expanded && name[0] == L'Z';
            EXPECT_EQ(log.count(WM_SYSCOMMAND), docked ? 0 : 1);
            if (!docked) {
                ASSERT_EQ(log.log[0].msg, static_cast<UINT>(WM_SYSCOMMAND));
                EXPECT_EQ(log.log[0].wparam, 0xF011u);
            }
            log.deinit();
        }
    }

    // Expanded, a resizable skin's grips do nothing.
    mode.ui()->set_expanded(true);
    frame_build f = build_frame();
    window_rig::message_recorder log;
    log.init(f.window->hwnd());
    const RECT start = window_rect(f.window->hwnd());
    window_rig::mouse_move(f.window->hwnd(), 150, 90);
    window_rig::left_down(f.window->hwnd(), 150, 90);
    window_rig::mouse_move(f.window->hwnd(), 230, 150, MK_LBUTTON);
    window_rig::left_up(f.window->hwnd(), 230, 150);
    EXPECT_TRUE(same_rect(window_rect(f.window->hwnd()), start));
    EXPECT_EQ(log.count(msg_skin_resized), 0);
    log.deinit();
}
