#pragma once
// channel_page_services: what the channel list page reaches outside itself:
// the service client, the login, the channel track list that plays a
// channel, the favourite reports, the library tree's playing mark, the
// expanded mode, the expansion of addresses and the message box. The
// running player's (channel_page_wiring.cpp) wires the real ones; tests set
// their own with set_channel_page_services. User-interface thread only.
#include <windows.h>

#include <string>
#include <vector>

#include "list_info.h"
#include "service_records.h"
#include "service_request.h"

class service_client;
class skin_tree;

class channel_page_services {
public:
    virtual ~channel_page_services() = default;

    virtual service_client& client() = 0;
    virtual bool logged_in() = 0;
    // The keys of the first category list (login_manager::get_categories(0)),
    // in order.
    virtual std::vector<std::wstring> category_keys() = 0;
    // channel_track_list::load: the channel's tracks into the music player.
    virtual void play_channel(const std::vector<track_record>& tracks) = 0;
    // The store and PC the favourite reports carry, and their post (the
    // reply is not read).
    virtual request_identity identity() = 0;
    virtual void post(const service_request& request) = 0;
    // The library tree's node of the playing channel becomes the category
    // node last pressed.
    virtual void mark_playing_node() = 0;
    virtual bool expanded() = 0;
    // core::add_file.
    virtual bool add_file(const std::wstring& path, std::vector<list_info>& entries) = 0;
    // A message box with the caption "VOLQUIN 플레이어" and OK.
    virtual void message(HWND owner, const std::wstring& text) = 0;
};

// The services of the pages made from now on; null puts the player's own
// back. The object stays the caller's.
void set_channel_page_services(channel_page_services* services);
channel_page_services& current_channel_page_services();
// The library window's tree, whose playing mark the player's services move;
// null when the window is gone.
void set_channel_page_tree(skin_tree* tree);
