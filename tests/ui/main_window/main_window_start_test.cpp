// The user interface's start with the real main window: zel_ui's main
// window service makes the player window over the registry's music player,
// the service client and the channel track list, with the real playlist
// window below it. With stored credentials and automatic login against the
// service's stand-in, the window comes up logged in, restores the login's
// channel and its first track plays into the capture output.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>
#include "channel_test_support.h"
#include "login_manager.h"
#include "player_companions.h"
#include "playlist_services.h"
#include "player_options.h"
#include "service_client.h"
#include "stand_in_server.h"
#include "start_up.h"
#include "startup_rig.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {

// The start-up rig with the real main window and the player's own login
// manager, whose login the service client's requests carry; the login
// listeners are the main window's (as zel_ui's listener tells it).
class real_window_services : public rig_services {
public:
    player_main_window_service window_service;
    player_window_service* player_window() override { return &window_service; }
    login_manager& login() override { return *get_login_manager(); }
    // The start hooks as the player raises them: the players make their
    // playlists, the track cache starts.
    void tell_ui_ready() override {
        rig_services::tell_ui_ready();
        registry_startup_services::tell_ui_ready();
    }
    void tell_login_listeners() override {
        rig_services::tell_login_listeners();
        // The login's options selected the sound card's output; this PC has
        // none, so the capture output takes its place again before the
        // channel starts.
        if (output_manager* outputs = find_output_manager()) outputs->select(output_type_capture, 0);
        if (auto* window = current_player_window()) window->on_login(true);
    }
};

struct main_window_start_test : channel_test::player_fixture {};

}  // namespace

TEST_F(main_window_start_test, stored_credentials_log_in_and_the_logins_channel_plays) {
    // The login reply names "음악방송|1052"; channel 1052's first track is
    // real music, its second a minute of the stand-in's silence.
    const std::string scenario = std::string(R"({"users": [{"userid": "store01", "userpw": "pw01"}],
      "categories": {"음악방송": [1052]},
      "channels": [{"id": 1052, "extra": "", "tempo": "nomal", "title": "테스트 채널", "description": "",
        "genre": "", "purpose": "", "tracks": [
        {"number": 101, "length": "2.4", "offset": "0", "title": "곡1", "artist": "가수1", "album": "앨범",
         "file": "start101.mp3", "source": ")") + ZEL_MPEG_FIXTURE_DIR + R"(/l3_cbr128_44k_joint.mp3"},
        {"number": 102, "length": "60", "offset": "0", "title": "곡2", "artist": "가수2", "album": "앨범",
         "file": "start102.mp3", "seconds": 60}]}]})";
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(scenario, 120)) << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    SetEnvironmentVariableW(L"ZEL_SERVICE_WEB_HOST", nullptr);
    get_player_options() = player_options();
    reset_main_window_state();

    real_window_services services;
    services.store_credentials(L"store01", L"pw01");
    services.set_ini(L"password_save", L"1");
    services.set_ini(L"auto_login", L"1");
    services.set_ini(L"auto_start", L"0");
    scripted_user user({});
    HWND main = run_start_up(GetModuleHandleW(nullptr), services);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(user.unexpected(), 0);
    EXPECT_EQ(main, services.window_service.main_window());
    EXPECT_NE(services.window_service.login_tick(), 0u);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(get_login_manager()->is_logged_in());
    EXPECT_EQ(services.listener_calls, 1);
    EXPECT_TRUE(services.boxes.empty());

    // The channel of the login is the current one and its tracks are in the
    // channel playlist, the first of them playing.
    EXPECT_EQ(get_service_client()->current_channel()->id, 1052);
    ASSERT_GE(music->playlist_count(), 2);
    channel_list = music->playlist_at(1);
    ASSERT_EQ(channel_list->name(), L"음악방송");
    ASSERT_EQ(channel_list->count(), 2u);
    ASSERT_TRUE(wait_playing_path(channel_list->at(0)->path));
    // The music of the first track reaches the capture output (44.1 kHz,
    // 16-bit stereo); the player then moves on to the second track.
    ASSERT_TRUE(wait_playing_path(channel_list->at(1)->path));
    std::vector<capture_track> taken;
    capture->tracks(0, taken);
    std::vector<unsigned char> pcm;
    for (const capture_track& t : taken) pcm.insert(pcm.end(), t.pcm.begin(), t.pcm.end());
    const size_t music_bytes = 22 * 44100 * 4 / 10;
    ASSERT_GE(pcm.size(), music_bytes) << taken.size() << " tracks captured";
    EXPECT_GT(channel_test::peak(std::vector<unsigned char>(pcm.begin(), pcm.begin() + music_bytes)), 1000);

    // The logged-in window, for a person to look at. The title strip shows
    // the panel's face while the marquee runs, never the skin's key colour.
    window_rig::pump();
    const pixel_image shot = capture_window(main);
    save_artifact(shot, L"logged_in");
    ASSERT_EQ(shot.width, 320);
    EXPECT_EQ(shot.count(RGB(255, 0, 255), 19, 70, 251, 12), 0);

    // The playlist window stands below the main window and the announcement
    // window, the now-playing list inside it listing the channel's two
    // tracks. (The login's move of the main window takes the group along
    // through the window docker in the running player; this test program
    // moves the main window alone.)
    HWND playlist = services.window_service.playlist_window();
    ASSERT_NE(playlist, nullptr);
    wchar_t cls[32] = L"";
    GetClassNameW(playlist, cls, 32);
    EXPECT_STREQ(cls, L"ZELPlaylist");
    EXPECT_TRUE(IsWindowVisible(playlist));
    RECT main_rect = {}, list_rect = {};
    GetWindowRect(main, &main_rect);
    GetWindowRect(playlist, &list_rect);

    EXPECT_GE(list_rect.top, main_rect.bottom);
    ASSERT_NE(playlist_window::current(), nullptr);
    EXPECT_TRUE(IsWindowVisible(playlist_window::current()->now_playing_window()));
    EXPECT_EQ(library_playlist_view_host().item_count(), 2);
    const pixel_image list_shot = capture_window(playlist);
    save_artifact(list_shot, L"playlist_window");

    music->stop(0);
    DestroyWindow(main);
    window_rig::pump();
    EXPECT_EQ(services.window_service.main_window(), nullptr);
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
}
