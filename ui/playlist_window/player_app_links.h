#pragma once
// player_app_links: what the today page's "app:" commands act on in the
// running player: the player options, the service client, the channel track
// list, the two players and the main and announcement windows (through the
// registered main_ui). The library window's channel caption goes through
// the function given (the library window is built elsewhere); without one
// it is left alone. User-interface thread.
#include <functional>
#include <string>

#include "app_links.h"

class play_manager;

class player_app_links : public app_link_services {
public:
    std::function<void(const std::wstring&)> library_caption;

    bool live_anne_on() override;
    void set_live_anne(const anne_record& record) override;
    void hand_over_live_anne(const anne_record& record) override;
    bool get_channel_tracks(int id, const std::wstring& title, std::vector<track_record>& records) override;
    void set_library_channel_title(const std::wstring& title) override;
    void set_single_channel(int id, const std::wstring& title) override;
    void select_channel_by_key(int id) override;
    void set_title(const std::wstring& title) override;
    void set_channel_title(const std::wstring& title) override;
    void load_channel_tracks(const std::vector<track_record>& records) override;
    void stop_music() override;
    void play_stream(const std::wstring& address, const std::wstring& title) override;
    void stop_announcement() override;
};

// The music player's Default playlist (index 0) replaced by one entry of the
// address (artist empty) and played: the player stops, the active playlist
// is emptied, the Default playlist is emptied, made active and current, and
// gets the entry.
void play_stream_entry(play_manager& music, const std::wstring& address, const std::wstring& title);
