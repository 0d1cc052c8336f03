// Files, folders and playlist entries dropped on the main window replace the
// first playlist and play it.
#include "player_window.h"

#include <algorithm>

#include "drop_services.h"
#include "music_player_view.h"
#include "player_options.h"
#include "utility.h"

namespace {
const size_t k_progress_above = 50;

bool same_folder(const stringx& a, const stringx& b) { return a.equals_ignore_case(b); }

void add_once(std::vector<stringx>& list, const stringx& folder) {
    for (const stringx& f : list)
        if (same_folder(f, folder)) return;
    list.push_back(folder);
}
}  // namespace

bool player_window::on_drop(FORMATETC* format, STGMEDIUM* medium, DWORD*, POINTL*) {
    std::vector<stringx> paths;
    std::vector<list_info*> entries;
    if (!format || !medium) return false;
    if (!drop_list(format->cfFormat, *medium, paths, entries)) {
        // Refused: the base releases only what is taken, so the medium goes here.
        ReleaseStgMedium(medium);
        return false;
    }

    if (!paths.empty()) {
        s_.player->reset_first_playlist();
        std::vector<stringx> files;
        for (const stringx& path : paths) {
            if (path.indexof(L'|') >= 0 || !s_.drop->is_folder(path)) {
                files.push_back(path);
            } else {
                s_.drop->find_files(path, files);
            }
        }
        if (!files.empty()) {
            std::vector<stringx> dropped_folders;
            for (const stringx& file : files) {
                const int cut = file.last_indexof(L'\\');
                if (cut > 0) add_once(dropped_folders, file.left(cut));
            }
            std::vector<stringx> known = read_folder_list(*s_.store);
            bool changed = false;
            for (const stringx& folder : dropped_folders) {
                bool found = false;
                for (const stringx& k : known) found = found || same_folder(k, folder);
                if (found) continue;
                known.push_back(folder);
                s_.drop->library_add(folder);
                changed = true;
            }
            if (changed) save_folder_list(*s_.store, known);
        }
        std::vector<list_info> found;
        if (files.size() > k_progress_above) {
            found = s_.drop->expand_with_progress(playlist_ ? playlist_ : hwnd_, files);
        } else {
            for (const stringx& file : files) {
                s_.drop->expand(file, found);
                utility::message_pump(nullptr);
            }
        }
        s_.player->add_to_first(found);
        if (s_.player->first_count() > 0) s_.player->play_first();
    } else if (!entries.empty()) {
        s_.player->reset_first_playlist();
        std::vector<list_info> copies;
        for (list_info* e : entries)
            if (e) copies.push_back(*e);
        s_.player->add_to_first(copies);
        if (s_.player->first_count() > 0) s_.player->play_first();
    }
    return true;
}
