// The radio page's services over the running player: the service client,
// the core's path expansion, the music player, OLE drag and drop, the
// service link for the favourite report and the shell.
#include <windows.h>

#include <shellapi.h>

#include "core.h"
#include "drag_drop.h"
#include "play_manager.h"
#include "playlist.h"
#include "radio_page.h"
#include "service_client.h"
#include "service_link.h"
#include "service_requests.h"

namespace {

class player_radio_services : public radio_page_services {
public:
    bool stations(const stringx& key, std::vector<radio_record>& records) override {
        service_client* client = get_service_client();
        return client && client->check_user_channels(key, records);
    }

    std::vector<list_info> expand(const stringx& address) override {
        std::vector<list_info> entries;
        if (address.wvalue() && *address.wvalue()) core::add_file(address.wvalue(), entries);
        return entries;
    }

    void play_in_default_playlist(const std::vector<list_info>& entries) override {
        play_manager* player = core::get_player(true);
        if (!player) return;
        playlist* active = player->active_playlist();
        player->stop(0);
        if (active) active->clear();
        playlist* first = player->playlist_at(0);
        if (!first) return;
        first->clear();
        player->set_active_playlist(first->id().c_str());
        player->set_current_playlist(first->id().c_str());
        first->add(entries);
        if (first->count() > 0) player->play(first->at(0));
    }

    void drag_entries(HWND list, const std::vector<list_info>& entries) override {
        if (entries.empty()) return;
        auto* data = new data_object(entries);
        auto* source = new drop_source(list);
        DWORD effect = DROPEFFECT_NONE;
        DoDragDrop(data, source, DROPEFFECT_COPY, &effect);
        source->Release();
        data->Release();
    }

    void add_favourite(const stringx& text) override {
        if (service_client* client = get_service_client()) client->add_favourite(text);
    }

    void message(HWND owner, const wchar_t* text, const wchar_t* caption) override {
        MessageBoxW(owner, text, caption, MB_OK);
    }

    void report_favourite(const stringx& address, const stringx& name) override {
        service_link& link = get_player_service_link();
        link.post(favourite_request(link.identity(), true, address.wvalue(), name.wvalue(), false));
    }

    void shell_open(const stringx& address) override {
        ShellExecuteW(nullptr, L"open", address.wvalue(), nullptr, nullptr, SW_SHOWNORMAL);
    }
};

}  // namespace

radio_page_services& player_radio_page_services() {
    static player_radio_services services;
    return services;
}
