// The library pages' playback rules over the music player's playlists.
#include "page_actions.h"

#include <ole2.h>

#include <string>

#include "core.h"
#include "drag_drop.h"
#include "play_manager.h"
#include "playlist.h"

namespace page_actions {

namespace {

int active_index(play_manager& music) {
    playlist* active = music.active_playlist();
    if (!active) return -1;
    return music.playlist_index(active->id().c_str());
}

// Makes the list both the one shown and the one played.
void make_active_and_current(play_manager& music, playlist& list) {
    const std::wstring id = list.id();
    music.set_active_playlist(id.c_str());
    music.set_current_playlist(id.c_str());
}

void fill_and_play_first(play_manager& music, playlist& list, const std::vector<list_info>& entries) {
    list.add(entries);
    if (list.count() > 0) music.play(list.at(0));
}

}  // namespace

void play_entries(play_manager& music, const std::vector<list_info>& entries) {
    playlist* active = music.active_playlist();
    if (active && active_index(music) == 0) {
        const unsigned before = active->count();
        active->add(entries);
        if (!music.is_playing() && active->count() > before) music.play(active->at(before));
        return;
    }
    play_entries_replacing(music, entries);
}

void play_entries_replacing(play_manager& music, const std::vector<list_info>& entries) {
    music.stop(0);
    playlist* target = music.active_playlist();
    if (target) target->clear();
    if (!target || active_index(music) == 1) {
        target = music.playlist_at(0);
        if (!target) return;
        target->clear();
        make_active_and_current(music, *target);
    }
    fill_and_play_first(music, *target, entries);
}

void play_in_default_playlist(play_manager& music, const std::vector<list_info>& entries) {
    playlist* active = music.active_playlist();
    music.stop(0);
    if (active) active->clear();
    playlist* first = music.playlist_at(0);
    if (!first) return;
    first->clear();
    make_active_and_current(music, *first);
    fill_and_play_first(music, *first, entries);
}

void play_entries(const std::vector<list_info>& entries) {
    if (play_manager* music = core::get_player(true)) play_entries(*music, entries);
}

void play_entries_replacing(const std::vector<list_info>& entries) {
    if (play_manager* music = core::get_player(true)) play_entries_replacing(*music, entries);
}

void play_in_default_playlist(const std::vector<list_info>& entries) {
    if (play_manager* music = core::get_player(true)) play_in_default_playlist(*music, entries);
}

bool add_allowed(play_manager& music) { return active_index(music) != 1; }

void run_menu_command(play_manager& music, unsigned command, const std::vector<list_info>& entries) {
    if (command == command_play) {
        play_entries_replacing(music, entries);
    } else if (command == command_add) {
        if (playlist* active = music.active_playlist()) active->add(entries);
    }
}

void show_play_add_menu(HWND list, HWND owner, POINT point, const std::vector<list_info>& entries) {
    play_manager* music = core::get_player(true);
    if (!music) return;
    ClientToScreen(list, &point);
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuW(menu, MF_STRING, command_play, L"재생");
    AppendMenuW(menu, MF_STRING | (add_allowed(*music) ? 0u : MF_DISABLED | MF_GRAYED), command_add, L"추가");
    const unsigned chosen = static_cast<unsigned>(TrackPopupMenu(
        menu, TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD, point.x, point.y, 0, owner, nullptr));
    DestroyMenu(menu);
    run_menu_command(*music, chosen, entries);
}

void drag_entries(HWND list, const std::vector<list_info>& entries) {
    if (entries.empty()) return;
    auto* data = new data_object(entries);
    auto* source = new drop_source(list);
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data, source, DROPEFFECT_COPY, &effect);
    source->Release();
    data->Release();
}

}  // namespace page_actions
