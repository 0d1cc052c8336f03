// The main window's skins on real windows: every colour builds with all its
// images, the displays draw what the window asks for in their slots, the
// mini skin ignores them, and a rebuild leaves no stale pixels on screen.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "player_skin.h"
#include "skin_host.h"
#include "window_capture.h"
#include "window_rig.h"

namespace ids = player_skin_ids;
namespace keys = player_skin_images;

namespace {

struct built {
    std::unique_ptr<skin_host> host = std::make_unique<skin_host>();
    std::unique_ptr<player_skin> look = std::make_unique<player_skin>();
    skin* s = nullptr;
    ~built() {
        look.reset();  // detach before the window goes
        host.reset();
    }
};

std::unique_ptr<built> build(bool mini, int colour, int volume = 500) {
    auto b = std::make_unique<built>();
    b->s = mini ? b->look->build_mini(b->host->hwnd(), colour, volume)
                : b->look->build_normal(b->host->hwnd(), colour, volume);
    UpdateWindow(b->host->hwnd());
    window_rig::pump();
    return b;
}

// Every control of the skin: present, with its looks cut from the image
// (not empty, not all key colour), and showing its resting look.
void expect_complete_controls(skin& s, const std::vector<unsigned>& buttons, const char* what) {
    for (unsigned id : buttons) {
        SCOPED_TRACE(std::string(what) + " control " + std::to_string(id));
        auto* c = dynamic_cast<skin_button*>(s.get_control(id));
        ASSERT_NE(c, nullptr);
        EXPECT_GT(opaque_pixels(c->normal), 0);
        const bool indicator = id >= ids::method_first && id < ids::method_first + 4;
        if (!indicator) {
            EXPECT_GT(opaque_pixels(c->hover), 0);
            EXPECT_GT(opaque_pixels(c->pressed), 0);
        }
        if (c->visible) {
            EXPECT_TRUE(shows_over(s, c->draw_rect, c->background, c->normal));
        }
    }
    auto* volume = dynamic_cast<skin_scroll*>(s.get_control(ids::volume));
    ASSERT_NE(volume, nullptr);
    EXPECT_GT(opaque_pixels(volume->normal), 0);
    EXPECT_GE(volume->fill_colour, 0) << "the slider's fill colour comes from the normal image";
}

const std::vector<unsigned> normal_buttons = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20};
const std::vector<unsigned> mini_buttons = {2, 3, 4, 10, 11, 12, 13, 14, 15, 16};

}  // namespace

TEST_F(player_skin_test, every_colour_builds_both_skins_with_every_image) {
    for (int colour = 1; colour <= 7; ++colour) {
        SCOPED_TRACE("colour " + std::to_string(colour));
        {
            auto b = build(false, colour);
            ASSERT_NE(b->s, nullptr);
            EXPECT_EQ(b->s->get_width(), 320);
            EXPECT_EQ(b->s->get_height(), 150);
            EXPECT_FALSE(b->look->is_mini());
            expect_complete_controls(*b->s, normal_buttons, "normal");
            EXPECT_GT(opaque_pixels(dynamic_cast<skin_scroll*>(b->s->get_control(ids::seek))->normal), 0);
            // The cached images, each of its size and drawn.
            for (int key = keys::logo; key <= keys::eq_lamp; ++key) {
                dib* d = b->look->image(key);
                ASSERT_NE(d->get_memdc(), nullptr) << "image " << key;
                if (key == keys::marquee)
                    EXPECT_EQ(opaque_pixels(*d), 0) << "the marquee strip starts as key colour";
                else
                    EXPECT_GT(opaque_pixels(*d), 0) << "image " << key;
            }
            EXPECT_EQ(b->look->image(keys::small_digit_first + 1)->get_width(), 2);
            EXPECT_EQ(b->look->image(keys::marquee)->get_width(), 251);
            EXPECT_EQ(b->look->text_colour(), player_skin::normal_text_colour(colour));
            EXPECT_EQ(b->look->marquee_text_colour(), RGB(255, 255, 255));
            // The default logo stands in the logo slot.
            skin_static* logo = b->s->get_static(ids::logo);
            ASSERT_NE(logo, nullptr);
            EXPECT_TRUE(shows_over(*b->s, logo->rect, logo->background, *b->look->image(keys::logo)));
        }
        {
            auto b = build(true, colour);
            ASSERT_NE(b->s, nullptr);
            EXPECT_EQ(b->s->get_width(), 350);
            EXPECT_EQ(b->s->get_height(), 25);
            EXPECT_TRUE(b->look->is_mini());
            expect_complete_controls(*b->s, mini_buttons, "mini");
            EXPECT_EQ(b->look->image(keys::marquee)->get_width(), 32);
            EXPECT_EQ(b->look->text_colour(), colour == 7 ? RGB(0, 0, 0) : RGB(255, 255, 255));
        }
    }
}

TEST_F(player_skin_test, the_colours_differ_and_an_unknown_colour_is_the_first) {
    auto blue = build(false, 1), orange = build(false, 2), other = build(false, 9);
    const POINT probes[] = {{60, 20}, {160, 60}, {57, 120}, {250, 120}};
    for (const POINT& p : probes) {
        EXPECT_NE(back_pixel(*blue->s, p.x, p.y), back_pixel(*orange->s, p.x, p.y)) << p.x << "," << p.y;
        EXPECT_EQ(back_pixel(*blue->s, p.x, p.y), back_pixel(*other->s, p.x, p.y)) << p.x << "," << p.y;
    }
    EXPECT_EQ(player_skin::normal_resource(9), 156u);
    EXPECT_EQ(player_skin::mini_resource(0), 196u);
}

TEST_F(player_skin_test, the_volume_slider_starts_at_a_tenth_of_the_volume_and_the_seek_slider_disabled) {
    auto normal = build(false, 1, 730), mini = build(true, 1, 250);
    EXPECT_EQ(normal->s->get_position(ids::volume), 73);
    EXPECT_EQ(mini->s->get_position(ids::volume), 25);
    EXPECT_FALSE(normal->s->get_control(ids::seek)->enabled);
    int lo = -1, hi = -1;
    normal->s->get_range(ids::seek, lo, hi);
    EXPECT_EQ(hi, 1000);
    // Only one play-method indicator is ever shown: all start hidden.
    for (unsigned id = ids::method_first; id < ids::method_first + 4; ++id)
        EXPECT_FALSE(normal->s->get_control(id)->visible);
}

TEST_F(player_skin_test, the_time_display_shows_minutes_and_seconds) {
    auto b = build(false, 1);
    skin& s = *b->s;
    player_skin& look = *b->look;
    struct {
        double seconds;
        int digits[4];
    } cases[] = {
        {3725.0, {0, 2, 0, 5}},                      // hours are not shown
        {100 * 3600.0 + 61.0, {0, 1, 0, 1}},         // 100 hours wrap
        {59.99, {0, 0, 5, 9}},                        // the integer part
        {3599.0, {5, 9, 5, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        look.show_time(c.seconds);
        const unsigned slots[] = {34, 35, 37, 38};
        for (int i = 0; i < 4; ++i) {
            skin_static* slot = s.get_static(slots[i]);
            EXPECT_TRUE(shows_over(s, slot->rect, slot->background, *look.image(keys::digit_first + c.digits[i])));
        }
        skin_static* colon = s.get_static(36);
        EXPECT_TRUE(shows_over(s, colon->rect, colon->background, *look.image(keys::colon)));
        for (unsigned id = 39; id <= 41; ++id) EXPECT_TRUE(shows_plain(s, s.get_static(id)->rect, s.get_static(id)->background));
    }
    look.show_time(-1);
    for (unsigned id = ids::time_first; id <= ids::time_last; ++id)
        EXPECT_TRUE(shows_plain(s, s.get_static(id)->rect, s.get_static(id)->background)) << id;
}

TEST_F(player_skin_test, the_number_displays_draw_small_digits_one_pixel_apart_within_their_slot) {
    auto b = build(false, 1);
    skin& s = *b->s;
    player_skin& look = *b->look;
    // The expected picture: the digits side by side over the face.
    auto expect_number = [&](unsigned id, const char* digits) {
        skin_static* slot = s.get_static(id);
        dib number;
        int w = 0;
        for (const char* p = digits; *p; ++p) w += look.image(keys::small_digit_first + (*p - '0'))->get_width() + (p != digits);
        ASSERT_TRUE(number.create(w, 5, 24));
        const RECT all = {0, 0, w, 5};
        dib::fill_solid_rect(number.get_memdc(), &all, kKey);
        int x = 0;
        for (const char* p = digits; *p; ++p) {
            dib* d = look.image(keys::small_digit_first + (*p - '0'));
            d->draw(number.get_memdc(), x, 0);
            x += d->get_width() + 1;
        }
        EXPECT_TRUE(shows_over(s, slot->rect, slot->background, number)) << digits;
    };
    look.show_sample_rate(44100);
    expect_number(ids::sample_rate, "44");
    look.show_sample_rate(999);
    expect_number(ids::sample_rate, "0");
    look.show_bitrate(128);
    expect_number(ids::bitrate, "128");
    look.show_sample_rate(-1);
    look.show_bitrate(-1);
    EXPECT_TRUE(shows_plain(s, s.get_static(ids::sample_rate)->rect, s.get_static(ids::sample_rate)->background));
    EXPECT_TRUE(shows_plain(s, s.get_static(ids::bitrate)->rect, s.get_static(ids::bitrate)->background));

    // A number wider than its slot is cut there: its neighbours keep their
    // pixels (the bit-rate slot lies beside the sample-rate legend).
    const RECT slot = s.get_static(ids::bitrate)->rect;
    const RECT around = {slot.right, slot.top, slot.right + 20, slot.bottom};
    std::vector<COLORREF> before;
    for (int x = around.left; x < around.right; ++x) before.push_back(back_pixel(s, x, slot.top + 2));
    look.show_bitrate(88888888);
    for (int x = around.left; x < around.right; ++x)
        EXPECT_EQ(back_pixel(s, x, slot.top + 2), before[x - around.left]) << "drawn past the slot at x " << x;
}

TEST_F(player_skin_test, the_mode_indicator_follows_the_scheme_or_extension) {
    auto b = build(false, 1);
    skin& s = *b->s;
    skin_static* slot = s.get_static(ids::mode);
    struct {
        const wchar_t* path;
        int key;
    } cases[] = {
        {L"zel://host/a.mp3|-1.0|101", keys::mode_service},
        {L"ZEL://HOST/B", keys::mode_service},
        {L"CDDA://E.cda", keys::mode_cd},
        {L"cdda://E.cda", keys::mode_cd},
        {L"http://127.0.0.1:8000/stream", keys::mode_stream},
        {L"mms://media/live", keys::mode_stream},
        {L"C:\\music\\SONG.MP3", keys::mode_mp3},
        {L"D:\\Track01.CDA", keys::mode_cd},
        {L"C:\\music\\song.wav", keys::mode_service},
        {L"C:\\music.mp3\\noext", keys::mode_service},
        {L"C:\\music\\song.mp3x", keys::mode_service},
    };
    for (const auto& c : cases) {
        b->look->show_mode(c.path);
        EXPECT_TRUE(shows_over(s, slot->rect, slot->background, *b->look->image(c.key)));
    }
    b->look->show_mode(L"");
    EXPECT_TRUE(shows_plain(s, slot->rect, slot->background));
    b->look->show_mode(L"C:\\a.mp3");
    b->look->show_mode(nullptr);
    EXPECT_TRUE(shows_plain(s, slot->rect, slot->background));
}

TEST_F(player_skin_test, the_lamps_and_the_logo) {
    auto b = build(false, 1);
    skin& s = *b->s;
    skin_static* norm = s.get_static(ids::norm_lamp);
    skin_static* eq = s.get_static(ids::eq_lamp);
    b->look->show_norm_lamp(true);
    b->look->show_eq_lamp(true);
    EXPECT_TRUE(shows_over(s, norm->rect, norm->background, *b->look->image(keys::norm_lamp)));
    EXPECT_TRUE(shows_over(s, eq->rect, eq->background, *b->look->image(keys::eq_lamp)));
    b->look->show_norm_lamp(false);
    EXPECT_TRUE(shows_plain(s, norm->rect, norm->background));
    EXPECT_TRUE(shows_over(s, eq->rect, eq->background, *b->look->image(keys::eq_lamp)));

    // A store's logo larger than the slot is cut to it; a null one clears.
    skin_static* logo = s.get_static(ids::logo);
    dib big;
    ASSERT_TRUE(big.create(300, 60, 24));
    const RECT all = {0, 0, 300, 60};
    dib::fill_solid_rect(big.get_memdc(), &all, RGB(10, 200, 30));
    const COLORREF below = back_pixel(s, 20, logo->rect.bottom + 1);
    b->look->show_logo(&big);
    EXPECT_TRUE(shows_over(s, logo->rect, logo->background, big));
    EXPECT_EQ(back_pixel(s, 20, logo->rect.bottom + 1), below);
    b->look->show_logo(nullptr);
    EXPECT_TRUE(shows_plain(s, logo->rect, logo->background));
}

TEST_F(player_skin_test, the_mini_skin_ignores_every_display) {
    auto b = build(true, 3);
    const dib& back = b->s->back_buffer();
    std::vector<COLORREF> before;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 350; ++x) before.push_back(dib_pixel(back, x, y));
    dib logo;
    ASSERT_TRUE(logo.create(20, 10, 24));
    b->look->show_time(125);
    b->look->show_time(-1);
    b->look->show_bitrate(320);
    b->look->show_sample_rate(48000);
    b->look->show_logo(&logo);
    b->look->show_mode(L"C:\\a.mp3");
    b->look->show_norm_lamp(true);
    b->look->show_eq_lamp(true);
    size_t i = 0;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 350; ++x, ++i) ASSERT_EQ(dib_pixel(back, x, y), before[i]) << x << "," << y;
}

TEST_F(player_skin_test, the_mute_and_always_on_top_checks_have_their_checked_looks) {
    auto normal = build(false, 1);
    skin& s = *normal->s;
    auto* mute = dynamic_cast<skin_button*>(s.get_control(ids::mute));
    s.set_check(ids::mute, true);
    EXPECT_TRUE(shows_over(s, mute->draw_rect, mute->background, mute->pressed));
    // The checked look is the speaker with a cross beside it: some of its
    // pixels differ from the resting look, and only on the right.
    int changed_left = 0, changed_right = 0;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            (x < 4 ? changed_left : changed_right) += dib_pixel(mute->pressed, x, y) != dib_pixel(mute->normal, x, y);
    EXPECT_EQ(changed_left, 0);
    EXPECT_GT(changed_right, 4);
    s.set_check(ids::mute, false);
    EXPECT_TRUE(shows_over(s, mute->draw_rect, mute->background, mute->normal));

    auto mini = build(true, 1);
    auto* pin = dynamic_cast<skin_button*>(mini->s->get_control(ids::always_top));
    // Checked, the lever's slot takes the colour of the display.
    const COLORREF display = dib_pixel(mini->s->back_buffer(), 136, 14);
    EXPECT_EQ(dib_pixel(pin->pressed, 3, 7), display);
    EXPECT_NE(dib_pixel(pin->normal, 3, 7), display);
    mini->s->set_check(ids::always_top, true);
    EXPECT_EQ(back_pixel(*mini->s, 5 + 3, 5 + 7), display);

    // A click on the mute check is the window's command 16.
    window_rig::message_recorder log;
    log.init(normal->host->hwnd());
    window_rig::click(normal->host->hwnd(), 194, 139);
    window_rig::pump();
    EXPECT_EQ(log.commands(), std::vector<unsigned>{ids::mute});
    log.deinit();
}

TEST_F(player_skin_test, the_mini_skin_grows_in_its_middle) {
    auto b = build(true, 2);
    skin& s = *b->s;
    const RECT wider = {0, 0, 450, 25};
    s.refresh_resize_skin(&wider, TRUE);
    EXPECT_EQ(s.get_width(), 450);
    // Everything right of column 154 moved by 100 with its controls; the
    // middle repeats column 154.
    EXPECT_EQ(s.get_control(ids::close)->draw_rect.left, 333 + 100);
    EXPECT_EQ(s.get_control(ids::volume)->hit_rect.left, 222 + 100);
    EXPECT_EQ(s.get_control(ids::prev)->draw_rect.left, 15);
    for (int y = 0; y < 25; ++y)
        for (int x = 155; x < 255; x += 33) EXPECT_EQ(back_pixel(s, x, y), back_pixel(s, 154, y)) << x << "," << y;
    // Narrower than the base size is the base size.
    const RECT narrow = {0, 0, 200, 25};
    s.refresh_resize_skin(&narrow, TRUE);
    EXPECT_EQ(s.get_width(), 350);
}

// A colour change rebuilds the skin on the same window at the same size:
// what the screen shows afterwards is the new skin everywhere, not only
// where controls were redrawn.
TEST_F(player_skin_test, a_rebuild_repaints_the_whole_window) {
    skin_host host;
    player_skin look;
    look.build_normal(host.hwnd(), 1, 500);
    UpdateWindow(host.hwnd());
    window_rig::pump();
    look.remove();
    skin* s = look.build_normal(host.hwnd(), 5, 500);
    ASSERT_TRUE(window_rig::pump_until([&] {
        RECT r;
        return !GetUpdateRect(host.hwnd(), &r, FALSE);
    }));
    const pixel_image screen = capture_window(host.hwnd());
    ASSERT_EQ(screen.width, 320);
    int stale = 0;
    for (int y = 0; y < 150; y += 3)
        for (int x = 0; x < 320; x += 3) {
            const COLORREF want = back_pixel(*s, x, y);
            if (want != kKey && screen.at(x, y) != want) ++stale;
        }
    EXPECT_EQ(stale, 0);
    look.remove();
}

// Pictures of the skins as a store sees them, kept in the artifacts folder
// for a person to look at: the normal skin playing a track and the mini
// skin, in two colours.
TEST_F(player_skin_test, pictures_of_both_skins_in_two_colours) {
    for (int colour : {1, 7}) {
        for (bool mini : {false, true}) {
            auto b = build(mini, colour, 640);
            skin& s = *b->s;
            s.set_caption(ids::title, mini ? L"봄날" : L"봄날 ( 방탄소년단 ) - 매장 음악 채널");
            s.set_caption(ids::time, L"04:12");
            b->look->show_time(125);
            b->look->show_bitrate(320);
            b->look->show_sample_rate(44100);
            b->look->show_mode(L"C:\\음악\\봄날.mp3");
            b->look->show_eq_lamp(true);
            if (!mini) {
                s.set_visible(ids::method_first, true);
                s.set_check(ids::equalizer, true);
                s.set_check(ids::playlist, true);
                s.set_enable(ids::seek, true);
                s.set_range(ids::seek, 0, 252);
                s.set_position(ids::seek, 125);
            } else {
                s.set_check(ids::always_top, true);
            }
            UpdateWindow(b->host->hwnd());
            ASSERT_TRUE(window_rig::pump_until([&] {
                RECT r;
                return !GetUpdateRect(b->host->hwnd(), &r, FALSE);
            }));
            const pixel_image screen = capture_window(b->host->hwnd());
            ASSERT_EQ(screen.width, s.get_width());
            int differ = 0;
            for (int y = 0; y < screen.height; ++y)
                for (int x = 0; x < screen.width; ++x) {
                    const COLORREF want = back_pixel(s, x, y);
                    if (want != kKey && screen.at(x, y) != want) ++differ;
                }
            EXPECT_EQ(differ, 0);
            const std::wstring name = std::wstring(mini ? L"mini_" : L"normal_") + (colour == 1 ? L"blue" : L"grey");
            save_artifact(screen, name.c_str());
        }
    }
}

// Without its PNG resource a skin still builds, without images, and the
// displays draw nothing for the images that are missing.
TEST_F(player_skin_test, a_missing_image_leaves_a_skin_without_images) {
    HMODULE core_module = GetModuleHandleW(L"zel_core.dll");
    ASSERT_NE(core_module, nullptr);
    core::set_instance(core_module);  // a module with no skin images
    for (bool mini : {false, true}) {
        skin_host host;
        player_skin look;
        skin* s = mini ? look.build_mini(host.hwnd(), 1, 500) : look.build_normal(host.hwnd(), 1, 500);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->get_width(), mini ? 350 : 320);
        EXPECT_EQ(s->get_control(ids::play)->normal.get_memdc(), nullptr);
        look.show_time(61);
        look.show_bitrate(128);
        look.show_sample_rate(44100);
        look.show_mode(L"a.mp3");
        look.show_eq_lamp(true);
        look.show_logo(look.image(keys::logo));
        window_rig::pump();
        look.remove();
    }
}
