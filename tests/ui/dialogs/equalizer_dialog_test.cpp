// The equalizer window as a real skinned window: the presets and the
// preamp, the reset, the on/off button, the open/close command, the values
// it reads at the start, its place among the player's windows, and the
// settings reaching zel_core's equalizer.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "core.h"
#include "equalizer.h"
#include "equalizer_dialog.h"
#include "equalizer_presets.h"
#include "player_options.h"
#include "skin.h"
#include "skin_control.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {

class fake_equalizer : public equalizer {
public:
    const GUID* get_guid() override { return &equalizer::iid; }
    void release() override {}
    void add_listener(equalizer_listener*) override {}
    void set_enabled(bool on) override { on_ = on; }
    bool enabled() override { return on_; }
    void set_bands(const double* values) override {
        std::vector<double> v(values, values + value_count);
        calls.push_back(v);
        for (int i = 0; i < value_count; ++i) values_[i] = values[i];
    }
    void bands(const double** out) override { *out = values_; }
    void process(void*, int, const audio_format*) override {}

    std::vector<std::vector<double>> calls;
    double values_[value_count] = {};
    bool on_ = false;
};

class fake_host : public equalizer_window_host {
public:
    equalizer* service() override { return eq; }
    std::vector<HWND> neighbour_windows() override { return neighbours; }
    void register_window(HWND w) override { registered.push_back(w); }
    void window_state(bool hidden) override { states.push_back(hidden); }
    void show_eq_lamp(bool on) override { lamps.push_back(on); }
    int popup_menu(HMENU menu, int, int, HWND) override {
        menu_items.clear();
        menu_checked = -1;
        const int n = GetMenuItemCount(menu);
        for (int i = 0; i < n; ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            menu_items.push_back(text);
            if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) menu_checked = i;
            EXPECT_EQ(GetMenuItemID(menu, i), 1000u + i);
        }
        ++menus;
        return choice;
    }

    equalizer* eq = nullptr;
    std::vector<HWND> neighbours;
    std::vector<HWND> registered;
    std::vector<bool> states;
    std::vector<bool> lamps;
    int choice = 0;
    int menus = 0;
    std::vector<std::wstring> menu_items;
    int menu_checked = -1;
};

struct equalizer_window_test : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        get_player_options().eq_preset = 0;
        host.eq = &eq;
    }
    void TearDown() override {
        if (equalizer_dialog* d = equalizer_dialog::open_dialog()) DestroyWindow(d->get_hwnd());
        window_rig::pump();
    }
    HWND open() {
        EXPECT_TRUE(toggle_equalizer_window(nullptr, host));
        equalizer_dialog* d = equalizer_dialog::open_dialog();
        EXPECT_NE(d, nullptr);
        window_rig::pump();
        return d ? d->get_hwnd() : nullptr;
    }
    skin& look() { return *equalizer_dialog::open_dialog()->get_skin(); }
    // Moves a slider as a drag would end: the position, then the skin's
    // notification.
    void move_slider(HWND w, int id, int position) {
        look().set_position(static_cast<unsigned>(id), position);
        SendMessageW(w, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), id);
    }
    std::vector<int> band_positions() {
        std::vector<int> p;
        for (unsigned id = 1; id <= 10; ++id) p.push_back(look().get_position(id));
        return p;
    }

    fake_equalizer eq;
    fake_host host;
};

TEST(equalizer_presets, gains_and_positions_convert_both_ways) {
    EXPECT_DOUBLE_EQ(preamp_gain_of(0), 12.0);
    EXPECT_DOUBLE_EQ(preamp_gain_of(240), -12.0);
    EXPECT_DOUBLE_EQ(band_gain_of(0), 20.0);
    EXPECT_DOUBLE_EQ(band_gain_of(400), -20.0);
    EXPECT_EQ(preamp_position_of(6.0), 60);
    EXPECT_EQ(band_position_of(-4.8), 248);
    EXPECT_EQ(band_position_of(0.0), 200);
    EXPECT_STREQ(equalizer_preset_caption(5), L"저음 & 고음");
    EXPECT_STREQ(equalizer_preset_caption(18), L"");
    EXPECT_STREQ(equalizer_preset_caption(-1), L"");
}

TEST_F(equalizer_window_test, a_preset_keeps_the_preamp) {
    HWND w = open();
    ASSERT_TRUE(w);
    move_slider(w, 0, 60);  // +6 dB
    ASSERT_FALSE(eq.calls.empty());
    EXPECT_NEAR(eq.calls.back()[0], 6.0, 1e-9);

    host.choice = 1000 + 3;  // "댄스"
    window_rig::click(w, 50, 133);  // the preset box
    ASSERT_TRUE(window_rig::pump_until([&] { return host.menus == 1; }));
    ASSERT_EQ(host.menu_items.size(), 18u);
    EXPECT_EQ(host.menu_items[0], L"기본값");
    EXPECT_EQ(host.menu_items[5], L"저음 && 고음");  // drawn with one ampersand
    EXPECT_EQ(host.menu_checked, 0);

    const std::vector<double>& sent = eq.calls.back();
    EXPECT_NEAR(sent[0], 6.0, 1e-9);
    for (int band = 1; band <= 10; ++band)
        EXPECT_DOUBLE_EQ(sent[band], equalizer_presets[3].bands[band - 1]) << band;
    EXPECT_EQ(look().get_position(0), 60);
    EXPECT_EQ(band_positions(), (std::vector<int>{141, 156, 187, 200, 200, 236, 248, 248, 200, 200}));
    EXPECT_STREQ(look().get_caption(15), L"댄스");
    EXPECT_EQ(get_player_options().eq_preset, 3);

    // The next menu marks the chosen preset; no choice changes nothing.
    host.choice = 0;
    const size_t calls = eq.calls.size();
    SendMessageW(w, WM_COMMAND, 14, -1);
    EXPECT_EQ(host.menu_checked, 3);
    EXPECT_EQ(eq.calls.size(), calls);
    EXPECT_EQ(get_player_options().eq_preset, 3);
}

TEST_F(equalizer_window_test, default_preset_leaves_the_preamp_and_reset_centres_everything) {
    HWND w = open();
    ASSERT_TRUE(w);
    move_slider(w, 0, 60);
    move_slider(w, 4, 120);
    get_player_options().eq_preset = 7;

    host.choice = 1000;  // "기본값" from the menu
    SendMessageW(w, WM_COMMAND, 14, -1);
    EXPECT_EQ(look().get_position(0), 60);
    EXPECT_EQ(band_positions(), std::vector<int>(10, 200));
    EXPECT_NEAR(eq.calls.back()[0], 6.0, 1e-9);
    EXPECT_EQ(get_player_options().eq_preset, 0);

    move_slider(w, 0, 30);
    get_player_options().eq_preset = 7;
    window_rig::click(w, 176, 134);  // the reset button
    window_rig::pump();
    EXPECT_EQ(look().get_position(0), 120);
    EXPECT_EQ(band_positions(), std::vector<int>(10, 200));
    EXPECT_EQ(eq.calls.back(), std::vector<double>(11, 0.0));
    EXPECT_STREQ(look().get_caption(15), L"기본값");
    EXPECT_EQ(get_player_options().eq_preset, 0);
}

TEST_F(equalizer_window_test, the_second_equalizer_command_closes_the_window) {
    HWND w = open();
    ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(host.registered, std::vector<HWND>{w});
    EXPECT_FALSE(toggle_equalizer_window(nullptr, host));
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(equalizer_dialog::open_dialog(), nullptr);
    EXPECT_EQ(host.states, (std::vector<bool>{false, true}));
    // And the third opens it again.
    HWND again = open();
    EXPECT_TRUE(IsWindow(again));
    // The close button closes it too.
    window_rig::click(again, 237, 12);
    ASSERT_TRUE(window_rig::pump_until([&] { return !IsWindow(again); }));
    EXPECT_EQ(equalizer_dialog::open_dialog(), nullptr);
}

TEST_F(equalizer_window_test, shows_the_equalizers_values_and_switch_when_it_opens) {
    eq.on_ = true;
    eq.values_[0] = -3.0;
    eq.values_[1] = 5.0;
    eq.values_[10] = -20.0;
    get_player_options().eq_preset = 13;
    HWND w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(look().get_position(0), 150);
    EXPECT_EQ(look().get_position(1), 150);
    EXPECT_EQ(look().get_position(2), 200);
    EXPECT_EQ(look().get_position(10), 400);
    EXPECT_TRUE(static_cast<skin_button*>(look().get_control(11))->checked);
    EXPECT_STREQ(look().get_caption(15), L"락");
    EXPECT_TRUE(eq.calls.empty());  // opening changes nothing

    // The on/off button switches the equalizer, its check and the lamp.
    window_rig::click(w, 142, 134);
    window_rig::pump();
    EXPECT_FALSE(eq.on_);
    EXPECT_FALSE(static_cast<skin_button*>(look().get_control(11))->checked);
    EXPECT_EQ(host.lamps, std::vector<bool>{false});
}

TEST_F(equalizer_window_test, without_an_equalizer_only_the_window_changes) {
    host.eq = nullptr;
    get_player_options().eq_preset = 4;
    HWND w = open();
    ASSERT_TRUE(w);
    EXPECT_EQ(look().get_position(1), 0);
    SendMessageW(w, WM_COMMAND, 11, -1);
    EXPECT_FALSE(static_cast<skin_button*>(look().get_control(11))->checked);
    EXPECT_TRUE(host.lamps.empty());
    host.choice = 1002;
    SendMessageW(w, WM_COMMAND, 14, -1);
    EXPECT_EQ(get_player_options().eq_preset, 2);
    EXPECT_STREQ(look().get_caption(15), L"클럽");
    SendMessageW(w, WM_COMMAND, 12, -1);
    EXPECT_EQ(get_player_options().eq_preset, 0);
    EXPECT_EQ(look().get_position(0), 120);
}

TEST_F(equalizer_window_test, opens_centred_on_the_visible_player_windows) {
    window_rig::host_window main_window(100, 100, 320, 150);
    window_rig::host_window playlist(100, 250, 320, 300);
    window_rig::host_window hidden(900, 900, 50, 50);
    ShowWindow(hidden.hwnd(), SW_HIDE);
    host.neighbours = {main_window.hwnd(), nullptr, playlist.hwnd(), hidden.hwnd()};
    HWND w = open();
    ASSERT_TRUE(w);
    RECT r;
    GetWindowRect(w, &r);
    // The box is 100, 100 to 420, 550: the window (250 x 150) at its centre.
    EXPECT_EQ(r.left, 100 + (320 - 250) / 2);
    EXPECT_EQ(r.top, 100 + (450 - 150) / 2);
    EXPECT_EQ(r.right - r.left, 250);
    EXPECT_EQ(r.bottom - r.top, 150);
}

// The window over zel_core's own equalizer: what the sliders say is what the
// playback threads filter with.
TEST_F(equalizer_window_test, the_settings_reach_the_engines_equalizer) {
    core::load_library();
    auto* real = static_cast<equalizer*>(core::enum_create_component(equalizer::iid, 0));
    ASSERT_NE(real, nullptr);
    const double flat[equalizer::value_count] = {};
    real->set_bands(flat);
    real->set_enabled(false);
    host.eq = real;
    HWND w = open();
    ASSERT_TRUE(w);
    move_slider(w, 0, 100);  // +2 dB
    move_slider(w, 3, 150);  // +5 dB
    const double* values = nullptr;
    real->bands(&values);
    ASSERT_NE(values, nullptr);
    EXPECT_NEAR(values[0], 2.0, 1e-9);
    EXPECT_NEAR(values[3], 5.0, 1e-9);
    EXPECT_NEAR(values[1], 0.0, 1e-9);
    SendMessageW(w, WM_COMMAND, 11, -1);
    EXPECT_TRUE(real->enabled());

    // A block of a 1 kHz-ish square wave comes out changed once it is on.
    std::vector<short> block(2 * 441);
    for (size_t i = 0; i < block.size(); ++i) block[i] = ((i / 2) % 44 < 22) ? 8000 : -8000;
    std::vector<short> filtered = block;
    const audio_format format{1, 2, 44100, 16, 0, 0.0, 0.0};
    real->process(filtered.data(), static_cast<int>(filtered.size() * 2), &format);
    EXPECT_NE(filtered, block);

    real->set_enabled(false);
    real->set_bands(flat);
}

// A picture of the window as a store sees it, kept in the artifacts folder.
TEST_F(equalizer_window_test, picture) {
    eq.on_ = true;
    eq.values_[1] = 6.0;
    eq.values_[2] = 3.0;
    eq.values_[9] = -6.0;
    get_player_options().eq_preset = 5;
    HWND w = open();
    ASSERT_TRUE(w);
    SetWindowPos(w, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    window_rig::pump();
    const pixel_image back = capture_dc(look().get_dc(), 0, 0, 250, 150);
    save_artifact(back, L"equalizer");
    // The face is drawn (no key colour inside its rounded corners), and band
    // 1's thumb sits higher than band 10's.
    EXPECT_EQ(back.count(RGB(255, 0, 255), 10, 10, 230, 130), 0);
    EXPECT_EQ(look().get_position(1), 140);
    EXPECT_LT(look().get_control(1)->draw_rect.top, look().get_control(10)->draw_rect.top);
}

}  // namespace
