// Drops on the now-playing list: files and folders become entries of the
// shown playlist (or, while a channel plays, of "Default", which then
// plays); entries dragged from another list are inserted, and a stream
// dragged in replaces "Default" and plays.
#include <algorithm>

#include "drop_services.h"
#include "play_manager.h"
#include "player_options.h"
#include "playlist.h"
#include "playlist_drop_target.h"
#include "playlist_view.h"
#include "playlist_view_services.h"
#include "playlist_view_text.h"
#include "utility.h"

// ---------------------------------------------------------------------------
// The drop target

playlist_drop_target::playlist_drop_target(HWND list_window, playlist_view& view)
    : drop_target(list_window), view_(view), scroller_(*this) {}

STDMETHODIMP playlist_drop_target::DragOver(DWORD key_state, POINTL point, DWORD* effect) {
    if (!scroller_.is_running()) scroller_.set(20);
    return drop_target::DragOver(key_state, point, effect);
}

STDMETHODIMP playlist_drop_target::DragLeave() {
    scroller_.kill();
    return drop_target::DragLeave();
}

void playlist_drop_target::scroll_tick() {
    HWND list = view_.get_list();
    if (!list) return;
    POINT p = {};
    GetCursorPos(&p);
    ScreenToClient(list, &p);
    RECT client = {};
    GetClientRect(list, &client);
    if (p.y >= client.top && p.y < client.top + 5) {
        const int top = view_.get_top_index();
        if (top > 0) view_.ensure_visible(top - 1, FALSE);
        UpdateWindow(list);
    } else if (p.y <= client.bottom && p.y > client.bottom - 5) {
        view_.ensure_visible(view_.get_top_index() + view_.get_count_per_page(), FALSE);
        UpdateWindow(list);
    }
    view_.sync_vscroll(-1);
}

bool playlist_drop_target::on_drop(FORMATETC* format, STGMEDIUM* medium, DWORD*, POINTL* point) {
    scroller_.kill();
    std::vector<stringx> paths;
    std::vector<list_info*> entries;
    if (!format || !medium) return false;
    if (!drop_list(format->cfFormat, *medium, paths, entries)) {
        // Nothing usable: the source hears of the failure, the medium goes.
        ReleaseStgMedium(medium);
        return false;
    }
    POINT at = {point ? point->x : 0, point ? point->y : 0};
    ScreenToClient(view_.get_list(), &at);
    if (!paths.empty()) view_.add_dropped_paths(paths, at);
    if (!entries.empty()) view_.add_dropped_entries(entries, at);
    return true;
}

// ---------------------------------------------------------------------------
// What the list does with them

playlist* playlist_view::leave_channel() {
    play_manager* music = services_.music_player();
    if (!music) return nullptr;
    music->stop(0);
    if (playlist* channel = music->playlist_at(1)) channel->clear();
    playlist* first = music->playlist_at(0);
    if (!first) return nullptr;
    first->clear();
    const std::wstring id = first->id();
    music->set_active_playlist(id.c_str());
    music->set_current_playlist(id.c_str());
    return first;
}

void playlist_view::play_first(playlist* list) {
    play_manager* music = services_.music_player();
    if (music && list && list->count() > 0) music->play(list->at(0));
}

void playlist_view::remember_folders(const std::vector<stringx>& files) {
    std::vector<stringx> known = read_folder_list(services_.folders_store());
    for (const stringx& file : files) {
        const int cut = file.last_indexof(L'\\');
        if (cut <= 0) continue;
        const stringx folder = file.left(cut);
        bool listed = false;
        for (const stringx& k : known) listed = listed || k.equals_ignore_case(folder);
        if (listed) continue;
        known.push_back(folder);
        services_.drop().library_add(folder);
    }
    save_folder_list(services_.folders_store(), known);
}

std::vector<list_info> playlist_view::expand(const std::vector<stringx>& files) {
    if (files.size() > progress_above) return services_.drop().expand_with_progress(services_.progress_owner(), files);
    std::vector<list_info> found;
    for (const stringx& file : files) {
        services_.drop().expand(file, found);
        utility::message_pump(nullptr);
    }
    return found;
}

void playlist_view::add_dropped_paths(const std::vector<stringx>& paths, POINT point) {
    play_manager* music = services_.music_player();
    if (!music) return;
    const bool channel = channel_mode_;
    playlist* target = nullptr;
    int insert_row = -1;
    if (channel) {
        target = leave_channel();
    } else {
        clear_selection();
        insert_row = hittest(point, nullptr);
        target = music->current_playlist();
    }
    std::vector<stringx> files;
    for (const stringx& path : paths) {
        if (path.indexof(L'|') >= 0 || !services_.drop().is_folder(path)) {
            files.push_back(path);
        } else {
            std::vector<stringx> found;
            services_.drop().find_files(path, found);
            std::sort(found.begin(), found.end(), [](const stringx& a, const stringx& b) {
                return wcscmp(a.wvalue(), b.wvalue()) < 0;
            });
            files.insert(files.end(), found.begin(), found.end());
        }
    }
    if (!files.empty()) remember_folders(files);
    const std::vector<list_info> entries = expand(files);
    if (!target) return;
    if (channel) {
        target->add(entries);
        play_first(target);
    } else if (insert_row >= 0) {
        target->insert(insert_row, entries);
    } else {
        target->add(entries);
    }
}

void playlist_view::add_dropped_entries(const std::vector<list_info*>& entries, POINT point) {
    play_manager* music = services_.music_player();
    if (!music || entries.empty()) return;
    if (channel_mode_) {
        if (playlist* first = leave_channel()) {
            first->add(entries);
            play_first(first);
        }
        return;
    }
    if (entries.front() && is_stream_path(entries.front()->path)) {
        // A stream from another list plays at once from "Default", which
        // stays neither active nor shown unless it was.
        music->stop(0);
        playlist* first = music->playlist_at(0);
        if (!first) return;
        first->clear();
        first->add(entries);
        play_first(first);
        return;
    }
    clear_selection();
    playlist* current = music->current_playlist();
    if (!current) return;
    const int row = hittest(point, nullptr);
    if (row >= 0) {
        current->insert(row, entries);
    } else {
        current->add(entries);
    }
}
