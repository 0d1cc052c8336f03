// The playlist services of zel_ui: the registry's players, track cache,
// log service and channel listeners, the service client, the channel track
// list, the player options and main_ui's windows.
#include <windows.h>

#include <wininet.h>

#include <algorithm>
#include <cstdlib>

#include "channel_changed_event.h"
#include "channel_refill.h"
#include "channel_track_list.h"
#include "core.h"
#include "drop_services.h"
#include "last_channel_title.h"
#include "file_dialog.h"
#include "log_service.h"
#include "main_ui.h"
#include "play_manager.h"
#include "playback_settings.h"
#include "player_options.h"
#include "playlist_services.h"
#include "playlist_view_services.h"
#include "progress_dialog.h"
#include "service_client.h"
#include "timex.h"
#include "track_cache.h"
#include "utility.h"

namespace {

main_ui* user_interface() { return static_cast<main_ui*>(core::enum_create_component(main_ui::iid, 0)); }

log_service* logs() { return static_cast<log_service*>(core::enum_create_component(log_service::iid, 0)); }

class library_view_services : public playlist_view_services {
public:
    play_manager* music_player() override { return core::get_player(true); }
    void fades_off() override {
        component* c = core::enum_create_component(playback_settings::iid, 0);
        if (!c) return;
        auto* settings = static_cast<playback_settings*>(c);
        settings->set_fade(false, 10);
        settings->set_force_cross(false, -10);
        c->release();
    }
    channel_track_list* channel_tracks() override { return get_channel_track_list(); }
    int current_channel_id() override { return get_service_client()->current_channel()->id; }
    bool select_channel(int id, std::vector<track_record>& out, bool force) override {
        if (!force) return get_service_client()->select_channel(id, out, force);
        return refill().select(id, out);
    }
    // The refill at a track's start: its request runs on a worker and is not
    // waited for, so that a slow or silent service never holds the window
    // or the next track's start; its reply comes by message.
    bool refill_channel(int id, std::vector<track_record>& out, HWND notify, UINT message) override {
        return refill().select(id, out, notify, message);
    }
    bool late_refill(int id, std::vector<track_record>& out) override { return refill().late(id, out); }
    unsigned list_limit() override { return get_player_options().list_limit; }
    int play_method() override { return get_player_options().play_method; }
    void clear_track_cache() override {
        if (component* c = core::enum_create_component(track_cache::iid, 0)) {
            static_cast<track_cache*>(c)->clear();
            c->release();
        }
    }
    void write_log(const wchar_t* line) override {
        if (log_service* l = logs()) l->write_log(line);
    }
    void write_played_log(const wchar_t* line) override {
        if (log_service* l = logs()) l->write_played_log(line);
    }
    void forget_channel_title() override {
        if (!forget_last_channel_title()) return;
        for_each_component<channel_changed_event>([](channel_changed_event* e) { e->on_channel_changed(L""); });
    }
    stringx ini_version() override { return ini_.read(L"app", L"version"); }
    stringx clock_text() override { return timex().to_string(false); }
    bool internet_connected() override {
        DWORD flags = 0;
        return InternetGetConnectedState(&flags, 0) != FALSE;
    }
    drop_services& drop() override { return drop_; }
    option_home& folders_store() override { return store_; }
    HWND progress_owner() override {
        main_ui* ui = user_interface();
        return ui ? ui->playlist_window() : nullptr;
    }

private:
    static channel_refill& refill() {
        static channel_refill one(*get_service_client(), 0);
        return one;
    }

    ini_home ini_;
    store_home store_;
    core_drop_services drop_;
};

class library_control_services : public player_control_services {
public:
    play_manager* music_player() override { return core::get_player(true); }
    bool announcement_playing() override {
        play_manager* anne = core::get_player(false);
        return anne && anne->is_playing();
    }
    int skip_option() override { return get_player_options().skip; }
    int current_channel_id() override { return get_service_client()->current_channel()->id; }
    bool select_channel(int id, std::vector<track_record>& out, bool force) override {
        return get_service_client()->select_channel(id, out, force);
    }
    void load_channel(const std::vector<track_record>& tracks) override { get_channel_track_list()->load(tracks); }
    HWND library_window() override {
        main_ui* ui = user_interface();
        return ui ? ui->library_window() : nullptr;
    }
    std::vector<int> selected_rows() override {
        std::vector<int> rows;
        if (component* c = core::enum_create_component(playlist_view_service::iid, 0)) {
            static_cast<playlist_view_service*>(c)->selected_indices(rows);
            c->release();
        }
        return rows;
    }
    bool choose_files(std::vector<stringx>& paths) override {
        main_ui* ui = user_interface();
        HWND owner = ui ? ui->main_window() : nullptr;
        wchar_t* mask = core::build_openfile_mask();
        const std::wstring filter = mask ? mask : L"";
        free(mask);
        file_dialog dialog(true, nullptr, nullptr,
                           OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                           filter.c_str(), owner);
        if (dialog.modal() != 1) return false;
        // The button-up of the double-click that closed the dialog.
        utility::clear_message_queue(100, owner, WM_LBUTTONUP);
        void* cursor = dialog.get_start_position();
        while (cursor) paths.push_back(dialog.get_next_path(cursor));
        std::sort(paths.begin(), paths.end(),
                  [](const stringx& a, const stringx& b) { return wcscmp(a.wvalue(), b.wvalue()) < 0; });
        return true;
    }
    std::vector<list_info> expand(const std::vector<stringx>& paths) override {
        std::vector<list_info> entries;
        if (paths.size() > 50) {
            main_ui* ui = user_interface();
            return drop_.expand_with_progress(ui ? ui->main_window() : nullptr, paths);
        }
        for (const stringx& path : paths) {
            drop_.expand(path, entries);
            utility::message_pump(nullptr);
        }
        return entries;
    }
    void play_everywhere() override { for_each_component<player_control>([](player_control* c) { c->play(); }); }

private:
    core_drop_services drop_;
};

class library_event_target : public playlist_event_target {
public:
    HWND list_window() override { return library_playlist_view_host().list_window(); }
    play_manager* music_player() override { return core::get_player(true); }
};

}  // namespace

playlist_view_host& library_playlist_view_host() {
    static library_view_services services;
    static playlist_view_host host(services);
    return host;
}

playlist_event_target& library_playlist_event_target() {
    static library_event_target target;
    return target;
}

player_control& library_player_control() {
    static library_control_services services;
    static music_player_control control(services);
    return control;
}
