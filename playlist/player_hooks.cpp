// The players' start and stop hooks and the login listener.
#include "player_hooks.h"

#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <vector>
#include "config_var.h"
#include "config_var2.h"
#include "core.h"
#include "play_listener.h"
#include "player.h"
#include "playlist.h"
#include "playlist_formats.h"
#include "playlist_view_service.h"
#include "utf.h"

namespace {

const wchar_t section[] = L"playlist";
const wchar_t last_playlist_key[] = L"last_playlist";
const wchar_t last_index_key[] = L"last_played_track_index";

std::wstring appdata_file(const wchar_t* name) {
    std::wstring path;
    if (wchar_t* folder = core::get_appdata_path()) {
        path = folder;
        free(folder);
    }
    return path + name;
}

// The whole file, "" when it cannot be read.
std::string read_bytes(const std::wstring& path) {
    struct _stat st;
    if (_wstat(path.c_str(), &st) != 0 || st.st_size <= 0) return std::string();
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return std::string();
    std::string bytes(static_cast<size_t>(st.st_size), '\0');
    size_t got = fread(&bytes[0], 1, bytes.size(), f);
    fclose(f);
    bytes.resize(got);
    return bytes;
}

void wire_listeners(player& target) {
    for (int i = 0;; ++i) {
        component* c = core::enum_create_component(play_listener::iid, i);
        if (!c) break;
        auto* listener = static_cast<play_listener*>(c);
        if (listener->index() == target.index()) target.add_listener(listener);
        else listener->release();
    }
}

std::vector<list_info> copies_of(playlist* list) {
    std::vector<list_info> copies;
    for (list_info* e : list->entries()) copies.push_back(*e);
    return copies;
}

}  // namespace

void player_hooks::on_init() {
    if (auto* store = static_cast<settings_store*>(core::enum_create_component(settings_store::iid, 0)))
        store->add_listener(this);
    music_.set_view(static_cast<playlist_view_service*>(
        core::enum_create_component(playlist_view_service::iid, 0)));
    wire_listeners(music_);
    wire_listeners(announcements_);
}

void player_hooks::on_ui_ready() {
    stringx index_text = config_var().read(section, last_index_key);
    playlist* list = music_.create_playlist(L"Default", false);
    std::wstring id = list->id();
    if (index_text.length() > 0 && music_.view())
        music_.remember_row(id, _wtoi(static_cast<const wchar_t*>(index_text)));
    list->set_file_path(appdata_file(L"\\playlist.cpl").c_str());
    music_.set_active_playlist(id.c_str());
    music_.set_current_playlist(id.c_str());
    music_.create_playlist(L"음악방송", false);

    playlist* notices = announcements_.create_playlist(L"안내방송", false);
    std::wstring notices_id = notices->id();
    announcements_.set_active_playlist(notices_id.c_str());
    announcements_.set_current_playlist(notices_id.c_str());
}

void player_hooks::on_ui_closing() {
    if (music_.is_playing()) {
        playlist* active = music_.active_playlist();
        if (active && _wcsicmp(active->name().c_str(), L"default") == 0) {
            std::wstring playing = music_.current_entry_id();
            int row = playing.empty() ? -1 : active->index_of(playing.c_str());
            config_var2().write_int(section, last_index_key, row);
        } else {
            config_var2().write(section, last_index_key, L"");
        }
    }
    music_.stop(0);
    announcements_.stop(0);
}

void player_hooks::on_quit() {
    playlist* first = music_.playlist_at(0);
    if (!first) return;  // start-up never made the playlists: keep the file as it is
    const std::wstring file = appdata_file(L"\\playlist.cpl");
    try {
        // A failed save keeps the earlier file; it is then not handed to the
        // store as if it were this run's playlist.
        if (!save_last_playlist(file.c_str(), copies_of(first))) return;
        std::string bytes = read_bytes(file);
        if (bytes.empty()) return;
        stringx text = utf::utf8_to_utf16(bytes.c_str());
        if (text.length() > 0)
            config_var2().write(section, last_playlist_key, static_cast<const wchar_t*>(text));
    } catch (const std::bad_alloc&) {
    }
}

void player_hooks::on_user_changed(const wchar_t*) {
    if (music_.playlist_count() == 0) return;
    playlist* first = music_.playlist_at(0);
    if (!first) return;
    stringx stored = config_var2().read(section, last_playlist_key);
    // A user without a stored playlist keeps the one on screen: clearing it
    // here would also make the next quit overwrite "playlist.cpl" with an
    // empty list.
    if (stored.length() == 0) return;
    stringx bytes = utf::utf16_to_utf8(static_cast<const wchar_t*>(stored));
    first->clear();
    const std::wstring temp = appdata_file(L"\\temp.cpl");
    if (FILE* f = _wfopen(temp.c_str(), L"wb")) {
        const char* data = static_cast<const char*>(bytes);
        fwrite(data, 1, std::strlen(data), f);
        fclose(f);
    }
    stringx index_text = config_var2().read(section, last_index_key);
    if (index_text.length() > 0 && music_.view())
        music_.remember_row(first->id(), _wtoi(static_cast<const wchar_t*>(index_text)));
    std::vector<list_info> found;
    core::add_file(temp.c_str(), found);
    first->add(found);
    _wremove(temp.c_str());
}
