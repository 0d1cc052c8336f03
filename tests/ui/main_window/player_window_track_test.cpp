// The main window's track display and event sinks, and its screenshots.
#include <atomic>
#include <cmath>
#include <thread>

#include "main_window_lamps.h"
#include "main_window_listeners.h"
#include "play_event_bridge.h"
#include "player_window_fakes.h"
#include "skin_static.h"
#include "window_capture.h"

namespace ids = player_skin_ids;

namespace {
list_info track(const wchar_t* title, const wchar_t* artist, const wchar_t* path, const wchar_t* id = nullptr,
                double seconds = 200, int bitrate = 128, int rate = 44100) {
    list_info e;
    e.title = title ? _wcsdup(title) : nullptr;
    e.artist = artist ? _wcsdup(artist) : nullptr;
    e.path = path ? _wcsdup(path) : nullptr;
    e.id = id ? _wcsdup(id) : nullptr;
    e.time = seconds;
    e.bitrate = bitrate;
    e.samplerate = rate;
    return e;
}

audio_format pcm(int channels, int bits, int tag = 1) {
    audio_format f = {};
    f.format_tag = tag;
    f.channels = channels;
    f.sample_rate = 44100;
    f.bits_per_sample = bits;
    f.bitrate = 128;
    return f;
}

// The format of the track that plays, with its length.
void send_format(HWND w, event_record<audio_format>& record, double length) {
    audio_format f = pcm(2, 16);
    f.length = length;
    record.store(f);
    SendMessageW(w, msg_track_format, 0, record.as_lparam());
}

void post_position(HWND w, event_record<position_record>& record, double seconds, double kbps) {
    record.write([&](position_record& r) {
        r.format = pcm(2, 16);
        r.format.bitrate = kbps;
        r.position = seconds;
    });
    SendMessageW(w, msg_track_position, 0, record.as_lparam());
}
}  // namespace

TEST_F(player_window_test, the_track_display_follows_the_playing_entry) {
    open();
    event_record<list_info> started;
    const struct {
        list_info entry;
        std::wstring shown;
    } cases[] = {
        {track(L"곡1", L"가수1", L"C:\\m\\1.mp3"), L"곡1 - 가수1"},
        {track(L"곡2", nullptr, L"C:\\m\\2.mp3"), L"곡2"},
        {track(nullptr, L"가수3", L"C:\\m\\3.mp3"), L"가수3"},
        {track(nullptr, nullptr, L"C:\\m\\노래 4.mp3"), L"노래 4"},
        {track(L"라디오", L"http://radio/x", L"http://radio/x"), L"라디오"},
        {track(nullptr, nullptr, L"zel://host/music/5.mp3|-1.0|105"), L"5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.shown));
        started.store(c.entry);
        SendMessageW(hwnd(), msg_track_started, 0, started.as_lparam());
        EXPECT_EQ(window->display_title(), c.shown);
        EXPECT_EQ(window->marquee().text(), c.shown);
    }
    // The end clears the displays and the seek slider.
    SendMessageW(hwnd(), msg_track_finished, 0, 0);
    int lo = -1, hi = -1;
    look()->get_range(ids::seek, lo, hi);
    EXPECT_EQ(hi, 0);
    EXPECT_FALSE(look()->get_control(ids::seek)->enabled);
}

TEST_F(player_window_test, the_format_and_position_set_the_seek_slider_and_time) {
    open();
    player.playing = true;
    event_record<list_info> started(track(L"a", L"b", L"C:\\m\\a.mp3"));
    SendMessageW(hwnd(), msg_track_started, 0, started.as_lparam());
    event_record<audio_format> format;
    send_format(hwnd(), format, 245.7);
    int lo = -1, hi = -1;
    look()->get_range(ids::seek, lo, hi);
    EXPECT_EQ(hi, 245);
    EXPECT_TRUE(look()->get_control(ids::seek)->enabled);
    event_record<position_record> position;
    post_position(hwnd(), position, 61.6, 128);
    EXPECT_EQ(look()->get_position(ids::seek), 62);

    // A stream's slider stays disabled.
    event_record<list_info> stream(track(L"s", nullptr, L"http://radio/s"));
    SendMessageW(hwnd(), msg_track_started, 0, stream.as_lparam());
    SendMessageW(hwnd(), msg_track_format, 0, format.as_lparam());
    EXPECT_FALSE(look()->get_control(ids::seek)->enabled);
}

TEST_F(player_window_test, a_stream_title_appears_when_its_byte_position_plays) {
    open();
    player.playing = true;
    player.has_entry = true;
    player.entry = track(nullptr, L"방송국", L"zel://host/ch/7.mp3|0.0|7");
    player.entry.album = _wcsdup(L"앨범");
    channels.current_id = 1052;
    // The listener posts from the stream's thread; the window applies it.
    main_stream_title_listener listener;
    listener.on_title(false, L"다음 곡", 96000);
    window_rig::pump();
    EXPECT_EQ(window->pending_title_count(), 1u);

    event_record<position_record> position;
    post_position(hwnd(), position, 5.9, 128);
    EXPECT_EQ(window->pending_title_count(), 1u) << "96000 bytes at 128 kbit/s play at 6 s";
    post_position(hwnd(), position, 6.0, 0);
    EXPECT_EQ(window->pending_title_count(), 1u) << "a position without bitrate ignores the queue";
    post_position(hwnd(), position, 6.0, 128);
    EXPECT_EQ(window->pending_title_count(), 0u);
    EXPECT_EQ(window->display_title(), L"다음 곡 ( 방송국 )");
    ASSERT_EQ(host.played_lines.size(), 1u);
    EXPECT_EQ(host.played_lines[0], L"1052^다음 곡^방송국^앨범^^200^7.mp3");

    // A station name and a title at position 0 show at once.
    window->on_stream_title(true, stringx(L"새 방송국 -- www.provider.example"), 0);
    EXPECT_EQ(window->display_title(), L"다음 곡 ( 새 방송국 )");
    window->on_stream_title(false, stringx(L"지금 곡"), 0);
    EXPECT_EQ(window->display_title(), L"지금 곡 ( 새 방송국 )");

    // Without a current entry nothing changes.
    player.has_entry = false;
    window->on_stream_title(false, stringx(L"무시"), 0);
    EXPECT_EQ(window->display_title(), L"지금 곡 ( 새 방송국 )");
}

// At a gapless hand-over the playback thread replaces the player's current
// entry under the player's entry lock. A stream title that arrives meanwhile
// (at once, or when its byte position plays) waits for the replacement and
// goes onto the new entry; unguarded, it went onto the old one and was lost
// (or raced with the copy that freed the old strings).
TEST_F(player_window_test, a_stream_title_waits_while_the_playback_thread_replaces_the_entry) {
    open();
    for (bool at_position : {false, true}) {
        SCOPED_TRACE(at_position ? "title due at a byte position" : "title at once");
        player.entry = track(L"전 곡", L"가수", L"http://radio.example/a", L"1");
        player.has_entry = true;
        event_record<position_record> position;
        if (at_position) window->on_stream_title(false, stringx(L"지금 곡"), 16000);  // due after 1 s at 128 kbps
        std::atomic<bool> holding{false};
        std::thread playback([&] {
            player.entry_lock.enter();
            holding = true;
            Sleep(200);
            player.entry = track(L"다음 곡", L"가수", L"http://radio.example/b", L"2");
            player.entry_lock.leave();
        });
        while (!holding) Sleep(1);
        if (at_position) post_position(hwnd(), position, 2.0, 128);
        else window->on_stream_title(false, stringx(L"지금 곡"), 0);
        playback.join();
        EXPECT_STREQ(player.entry.id, L"2");
        EXPECT_STREQ(player.entry.title, L"지금 곡");
    }
}

TEST_F(player_window_test, the_end_of_a_scheduled_channel_restarts_the_stored_channel) {
    open();
    player.playing = true;
    player.has_entry = true;
    player.entry = track(nullptr, L"", L"zel://h/x.mp3|0|1");
    ini.write(L"app", L"channel", L"음악방송|15");
    ini.write(L"app", L"last_title", L"[스케쥴방송]아침 > 점심 >  저녁 채널 ");
    window->on_stream_title(false, stringx(L"END_ZEL"), 1000);
    event_record<position_record> position;
    post_position(hwnd(), position, 1.0, 128);
    EXPECT_EQ(channels.calls,
              (std::vector<std::string>{"fetch 15 저녁 채널", "single 15 저녁 채널", "select 15", "load"}));
    EXPECT_EQ(narrow(options.channel_title), "저녁 채널");
    EXPECT_FALSE(player.has("stop"));

    // Without a usable channel the music stops.
    channels.calls.clear();
    ini.write(L"app", L"channel", L"음악방송");
    window->on_stream_title(false, stringx(L"END_ZEL"), 1000);
    post_position(hwnd(), position, 2.0, 128);
    EXPECT_TRUE(channels.calls.empty());
    EXPECT_TRUE(player.has("stop"));
}

TEST_F(player_window_test, levels_of_full_scale_stereo_and_of_silence) {
    int levels[player_window::meter_bands];
    std::vector<short> loud(2 * 1900, 32767);
    ASSERT_TRUE(player_window::block_levels(pcm(2, 16), loud.data(), static_cast<int>(loud.size() * 2), levels));
    for (int v : levels) EXPECT_EQ(v, 100);
    std::vector<short> quiet(2 * 1900, 0);
    ASSERT_TRUE(player_window::block_levels(pcm(2, 16), quiet.data(), static_cast<int>(quiet.size() * 2), levels));
    for (int v : levels) EXPECT_LT(v, 0);
    // Half scale: -6 dB gives (94 - 65) x 100 / 35.
    std::vector<float> half(2 * 1900, 0.5f);
    ASSERT_TRUE(player_window::block_levels(pcm(2, 32, 3), half.data(), static_cast<int>(half.size() * 4), levels));
    EXPECT_EQ(levels[0], static_cast<int>((20 * std::log10(0.5) + 100 - 65) * 100 / 35));
    // Formats the meter cannot read, and blocks too short for 19 bands, show nothing.
    std::vector<unsigned char> eight(4000, 255);
    EXPECT_FALSE(player_window::block_levels(pcm(2, 8), eight.data(), 4000, levels));
    EXPECT_FALSE(player_window::block_levels(pcm(2, 16), loud.data(), 18 * 4, levels));
    EXPECT_FALSE(player_window::block_levels(pcm(8, 16), loud.data(), 4000, levels));
    for (int v : levels) EXPECT_EQ(v, 0);
}

TEST_F(player_window_test, audio_blocks_drive_the_level_meter) {
    open();
    engine_listener_bridge bridge;  // only its audio record is used
    std::vector<short> loud(2 * 1900, -32767);
    event_record<audio_buffer> record;
    record.write([&](audio_buffer& b) { b.assign(pcm(2, 16), loud.data(), static_cast<int>(loud.size() * 2)); });
    SendMessageW(hwnd(), msg_audio_data, 0, record.as_lparam());
    EXPECT_TRUE(window->meter().is_started());
    for (int i = 0; i < player_window::meter_bands; ++i) EXPECT_EQ(window->last_levels()[i], 100);
    command(3);
    EXPECT_FALSE(window->meter().is_started()) << "the meter stops in the mini skin";
}

TEST_F(player_window_test, the_channel_title_is_told_once_per_change) {
    open();
    player.active = 1;
    player.current = 1;
    player.active_ids = {L"t1", L"t2"};
    channels.current_title = L"카페 음악";
    channels.offset = 42.7;
    event_record<list_info> started(track(L"곡", L"가수", L"zel://h/1.mp3|0|1", L"t1"));
    SendMessageW(hwnd(), msg_track_started, 0, started.as_lparam());
    EXPECT_EQ(window->start_offset(), 42.0) << "the first track of a channel starts at its offset";
    started.store(track(L"곡2", L"가수", L"zel://h/2.mp3|0|2", L"t2"));
    SendMessageW(hwnd(), msg_track_started, 0, started.as_lparam());
    EXPECT_EQ(window->start_offset(), 0.0);
    EXPECT_EQ(host.channel_titles, (std::vector<std::wstring>{L"카페 음악"}));
    SendMessageW(hwnd(), msg_track_stopped, 0, 0);
    SendMessageW(hwnd(), msg_track_stopped, 0, 0);
    EXPECT_EQ(host.channel_titles, (std::vector<std::wstring>{L"카페 음악", L""}));
}

TEST_F(player_window_test, login_restores_the_last_channel) {
    open();
    options.channel = L"음악방송|1052";
    window->on_login(true);
    EXPECT_EQ(channels.calls,
              (std::vector<std::string>{"list 음악방송", "select 1052", "checked", "title 음악방송", "load"}));
    EXPECT_NE(window->library_window(), nullptr) << "the library window opens after the restore";
    EXPECT_EQ(companions.skin_rebuilds, 1);
}

TEST_F(player_window_test, a_failed_selection_at_login_opens_the_library_window) {
    open();
    options.channel = L"음악방송|0";
    channels.checked_ok = false;
    window->on_login(true);
    EXPECT_EQ(channels.calls, (std::vector<std::string>{"list 음악방송", "select 0", "checked"}));
    EXPECT_NE(window->library_window(), nullptr);
    EXPECT_EQ(companions.skin_rebuilds, 0);

    // A channel option without "|" starts nothing.
    channels.calls.clear();
    options.channel = L"음악방송";
    window->on_login(true);
    EXPECT_TRUE(channels.calls.empty());
    // No announcements: the button is disabled.
    channels.anne_today = channels.anne_all = 0;
    window->on_login(true);
    EXPECT_FALSE(look()->get_control(ids::announcement)->enabled);
}

// The last channel's request at the login runs on a worker; when it fails
// the channel plays its kept tracks, and the request is sent again after a
// pause that grows with every failure, until the service answers.
TEST_F(player_window_test, a_failed_channel_request_at_login_is_asked_again_until_it_succeeds) {
    open();
    options.channel = L"음악방송|1052";
    channels.current_id = 1052;
    channels.saved_ok = true;
    window->on_login(true);
    EXPECT_EQ(channels.calls, (std::vector<std::string>{"list 음악방송", "select 1052", "start_fetch"}));
    EXPECT_NE(window->library_window(), nullptr) << "the library window opens at once";
    EXPECT_EQ(window->channel_retry_delay(), 0);
    channels.calls.clear();
    channels.next_result = channel_service::fetch_failed;
    SendMessageW(hwnd(), channels.fetch_message, 0, 0);
    EXPECT_EQ(channels.calls, (std::vector<std::string>{"finish_fetch", "saved", "title 음악방송", "load"}));
    EXPECT_EQ(window->channel_retry_delay(), 2000);

    std::vector<int> delays;
    for (int i = 0; i < 7; ++i) {
        channels.calls.clear();
        SendMessageW(hwnd(), WM_TIMER, player_window::channel_retry_timer, 0);
        EXPECT_EQ(channels.calls, (std::vector<std::string>{"start_fetch"}));
        EXPECT_EQ(window->channel_retry_delay(), 0) << "no timer while the request runs";
        SendMessageW(hwnd(), channels.fetch_message, 0, 0);
        EXPECT_EQ(channels.count("saved"), 0) << "the kept tracks play once";
        delays.push_back(window->channel_retry_delay());
    }
    EXPECT_EQ(delays, (std::vector<int>{4000, 8000, 16000, 32000, 60000, 60000, 60000}));

    // The service answers: the channel starts from its tracks, no more retry.
    channels.calls.clear();
    channels.next_result = channel_service::fetch_done;
    SendMessageW(hwnd(), WM_TIMER, player_window::channel_retry_timer, 0);
    SendMessageW(hwnd(), channels.fetch_message, 0, 0);
    EXPECT_EQ(channels.calls,
              (std::vector<std::string>{"start_fetch", "finish_fetch", "title 음악방송", "load"}));
    EXPECT_EQ(window->channel_retry_delay(), 0);
    channels.calls.clear();
    SendMessageW(hwnd(), WM_TIMER, player_window::channel_retry_timer, 0);
    EXPECT_TRUE(channels.calls.empty());

    // A prompt answer to the login's own request plays the channel.
    channels.calls.clear();
    window->on_login(true);
    SendMessageW(hwnd(), channels.fetch_message, 0, 0);
    EXPECT_EQ(channels.calls, (std::vector<std::string>{"list 음악방송", "select 1052", "start_fetch", "finish_fetch",
                                                        "title 음악방송", "load"}));
    channels.calls.clear();
    SendMessageW(hwnd(), WM_TIMER, player_window::kept_channel_timer, 0);
    EXPECT_TRUE(channels.calls.empty()) << "nothing kept plays after the answer";

    // A service that takes its time: after the wait the kept tracks play,
    // once; its late failure starts the retry.
    window->on_login(true);
    channels.calls.clear();
    SendMessageW(hwnd(), WM_TIMER, player_window::kept_channel_timer, 0);
    EXPECT_EQ(channels.calls, (std::vector<std::string>{"saved", "title 음악방송", "load"}));
    channels.calls.clear();
    channels.next_result = channel_service::fetch_failed;
    SendMessageW(hwnd(), channels.fetch_message, 0, 0);
    EXPECT_EQ(channels.calls, (std::vector<std::string>{"finish_fetch"}));
    EXPECT_EQ(window->channel_retry_delay(), 2000);
}

TEST_F(player_window_test, a_channel_retry_ends_when_refused_or_another_channel_plays) {
    open();
    options.channel = L"음악방송|1052";
    channels.current_id = 1052;

    // An expired login: its notice is shown, nothing is asked again.
    channels.next_result = channel_service::fetch_refused;
    window->on_login(true);
    SendMessageW(hwnd(), channels.fetch_message, 0, 0);
    EXPECT_EQ(channels.calls,
              (std::vector<std::string>{"list 음악방송", "select 1052", "start_fetch", "finish_fetch"}));
    EXPECT_EQ(window->channel_retry_delay(), 0);

    // No worker: the request is made at once; an expired login again.
    channels.start_ok = false;
    channels.checked_ok = false;
    channels.refused = true;
    channels.calls.clear();
    window->on_login(true);
    EXPECT_EQ(channels.calls, (std::vector<std::string>{"list 음악방송", "select 1052", "start_fetch", "checked"}));
    EXPECT_EQ(window->channel_retry_delay(), 0);

    // No kept tracks: nothing plays, but the request is asked again.
    channels.refused = false;
    channels.calls.clear();
    window->on_login(true);
    EXPECT_EQ(channels.calls,
              (std::vector<std::string>{"list 음악방송", "select 1052", "start_fetch", "checked", "saved"}));
    EXPECT_EQ(window->channel_retry_delay(), 2000);

    // A refusal by the retry's reply ends it.
    channels.start_ok = true;
    SendMessageW(hwnd(), WM_TIMER, player_window::channel_retry_timer, 0);
    SendMessageW(hwnd(), channels.fetch_message, 0, 0);
    EXPECT_EQ(window->channel_retry_delay(), 0);
    channels.calls.clear();
    SendMessageW(hwnd(), WM_TIMER, player_window::channel_retry_timer, 0);
    EXPECT_TRUE(channels.calls.empty());

    // Another channel started meanwhile: the retry ends without a request.
    channels.next_result = channel_service::fetch_failed;
    window->on_login(true);
    SendMessageW(hwnd(), channels.fetch_message, 0, 0);
    EXPECT_EQ(window->channel_retry_delay(), 2000);
    channels.current_id = 2000;
    channels.calls.clear();
    SendMessageW(hwnd(), WM_TIMER, player_window::channel_retry_timer, 0);
    EXPECT_TRUE(channels.calls.empty());
    EXPECT_EQ(window->channel_retry_delay(), 0);
}

TEST_F(player_window_test, window_state_and_colour_listeners_reach_the_window) {
    open();
    main_window_state_listener states;
    states.on_window_state(1, true);
    EXPECT_FALSE(is_checked(look(), ids::playlist));
    states.on_window_state(2, false);
    EXPECT_TRUE(is_checked(look(), ids::library));
    main_skin_listener skins;
    const COLORREF before = window->look().text_colour();
    skins.on_skin(6);
    EXPECT_NE(window->look().text_colour(), before);
    EXPECT_EQ(window->look().text_colour(), player_skin::normal_text_colour(6));
}

// The settings dialog and the equalizer window switch the lamps of the main
// window that is open (they used to reach nothing), and nothing once it is
// gone.
TEST_F(player_window_test, the_other_windows_switch_the_open_main_windows_lamps) {
    open();
    ASSERT_NE(registered_main_window_lamps(), nullptr);
    auto pixels = [&](const RECT& r) {
        std::vector<COLORREF> out;
        HDC dc = look()->back_buffer().get_memdc();
        GdiFlush();
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) out.push_back(GetPixel(dc, x, y));
        return out;
    };
    const struct {
        const char* name;
        unsigned id;
        void (*show)(bool);
    } lamps[] = {{"normalisation", ids::norm_lamp, &show_main_window_norm_lamp},
                 {"equalizer", ids::eq_lamp, &show_main_window_eq_lamp}};
    for (const auto& lamp : lamps) {
        SCOPED_TRACE(lamp.name);
        skin_static* slot = look()->get_static(lamp.id);
        ASSERT_NE(slot, nullptr);
        lamp.show(false);
        const std::vector<COLORREF> off = pixels(slot->rect);
        lamp.show(true);
        EXPECT_NE(pixels(slot->rect), off);
        lamp.show(false);
        EXPECT_EQ(pixels(slot->rect), off);
    }
    DestroyWindow(hwnd());
    EXPECT_EQ(registered_main_window_lamps(), nullptr);
    show_main_window_eq_lamp(true);  // no main window: nothing happens
}

// The window playing a channel in its three modes, written to the
// artifacts folder for a person to look at.
TEST_F(player_window_test, screenshots_of_the_three_modes) {
    open();
    player.playing = true;
    player.active = 1;
    event_record<list_info> started(track(L"봄날의 카페 음악", L"테스트 가수", L"zel://h/1.mp3|0|1"));
    SendMessageW(hwnd(), msg_track_started, 0, started.as_lparam());
    event_record<audio_format> format;
    send_format(hwnd(), format, 213);
    event_record<position_record> position;
    post_position(hwnd(), position, 75, 128);
    std::vector<short> block(2 * 1900);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<short>((i * 37 % 200) * 100);
    event_record<audio_buffer> audio;
    audio.write([&](audio_buffer& b) { b.assign(pcm(2, 16), block.data(), static_cast<int>(block.size() * 2)); });
    SendMessageW(hwnd(), msg_audio_data, 0, audio.as_lparam());
    window_rig::pump();
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    pixel_image normal = capture_dc(look()->get_dc(), 0, 0, look()->get_width(), look()->get_height());
    save_artifact(normal, L"normal");
    EXPECT_EQ(normal.width, 320);

    command(3);
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    pixel_image mini = capture_dc(look()->get_dc(), 0, 0, look()->get_width(), look()->get_height());
    save_artifact(mini, L"mini");
    EXPECT_EQ(mini.width, 350);

    command(3);
    host.set_expanded(true);
    window_rig::pump();
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    pixel_image expanded = capture_dc(look()->get_dc(), 0, 0, look()->get_width(), look()->get_height());
    save_artifact(expanded, L"expanded");
    EXPECT_FALSE(look()->get_control(ids::close)->visible);
}
