#pragma once
// app_links: the "app:" addresses through which the store's today page
// drives the player. The page navigates to an address such as
//   app:chkey=1052^title=Morning%20Jazz
// and the playlist window cancels the navigation and runs the command:
//   livevoice=<http address>^title=<t>  start a live announcement
//   chkey=<id>^title=<t>                  play the channel with that key
//   chkey_stop=0                          stop the music (main window's stop)
//   radiourl=<address>^title=<t>          play a stream address
//   anne_stop=0                           stop the announcement player
// parse_app_link only reads the address; run_app_link carries the command
// out through the services it is given. User-interface thread.
#include <string>
#include <vector>

#include "service_records.h"

struct app_link {
    enum kind_t {
        not_app,      // no "app:" in the address: the navigation goes on
        live_voice,   // address: the "zel2://" form; title
        channel,      // channel_id (0 when missing or not a number); title
        channel_stop,
        radio,        // address: as given; title
        anne_stop,
        unknown,      // an "app:" address of no known command
    };
    kind_t kind = not_app;
    std::wstring address;
    std::wstring title;
    bool has_title = false;  // the second field began with "title="
    int channel_id = 0;
};

// Every "%20" becomes a blank and every "app:" is removed before the text is
// split at "^"; the first field's beginning selects the command.
app_link parse_app_link(const std::wstring& url);

// What the commands act on.
class app_link_services {
public:
    virtual ~app_link_services() = default;
    // The player option: a live announcement is on air.
    virtual bool live_anne_on() = 0;
    // Marks the live announcement on air and keeps its record in the player
    // options.
    virtual void set_live_anne(const anne_record& record) = 0;
    // Sends the record to the announcement window (msg_anne_handover).
    virtual void hand_over_live_anne(const anne_record& record) = 0;
    // The service's tracks of the channel; false when the request failed.
    virtual bool get_channel_tracks(int id, const std::wstring& title, std::vector<track_record>& records) = 0;
    // The library window's channel caption, when that window exists.
    virtual void set_library_channel_title(const std::wstring& title) = 0;
    virtual void set_single_channel(int id, const std::wstring& title) = 0;
    virtual void select_channel_by_key(int id) = 0;
    virtual void set_title(const std::wstring& title) = 0;
    // The player option channel_title.
    virtual void set_channel_title(const std::wstring& title) = 0;
    // The channel track list loads the records and plays them.
    virtual void load_channel_tracks(const std::vector<track_record>& records) = 0;
    // Posts the main window's stop command.
    virtual void stop_music() = 0;
    // Replaces the music player's Default playlist with one entry of the
    // address and title (empty artist) and plays it.
    virtual void play_stream(const std::wstring& address, const std::wstring& title) = 0;
    virtual void stop_announcement() = 0;
};

// Runs the command of the address; true when the navigation is to be
// cancelled (every "app:" address, whatever became of its command).
bool run_app_link(const std::wstring& url, app_link_services& services);

// The record of a live announcement from the address and title.
anne_record live_anne_record(const std::wstring& address, const std::wstring& title);
