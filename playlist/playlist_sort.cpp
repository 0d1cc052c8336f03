// playlist: sorting, shuffling, reversing and searching.
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <cwctype>
#include "play_listener.h"
#include "playlist.h"

namespace {

const wchar_t* text_of(const wchar_t* s) { return s ? s : L""; }

const wchar_t* sort_key(const list_info* e, int sort_type) {
    switch (sort_type) {
    case sort_by_path: return text_of(e->path);
    case sort_by_artist: return text_of(e->artist);
    case sort_by_title: return text_of(e->title);
    case sort_by_album: return text_of(e->album);
    case sort_by_genre: return text_of(e->genre);
    default: return text_of(e->filename);
    }
}

// Puts the entries in the order the sort type names; other types leave it.
void order(std::vector<list_info*>& items, int sort_type) {
    if (sort_type >= sort_by_path && sort_type <= sort_by_filename) {
        std::sort(items.begin(), items.end(), [sort_type](const list_info* a, const list_info* b) {
            return _wcsicmp(sort_key(a, sort_type), sort_key(b, sort_type)) < 0;
        });
    } else if (sort_type == sort_shuffle) {
        srand(static_cast<unsigned>(time(nullptr)));
        std::vector<list_info*> shuffled;
        while (!items.empty()) {
            size_t pick = static_cast<unsigned>(rand()) % items.size();
            shuffled.push_back(items[pick]);
            items.erase(items.begin() + pick);
        }
        items.swap(shuffled);
    } else if (sort_type == sort_reverse) {
        std::reverse(items.begin(), items.end());
    }
}

// Case-insensitive: does field hold text at some position?
bool contains(const wchar_t* field, const wchar_t* text) {
    if (!field || !*field) return false;
    size_t n = std::wcslen(text);
    for (const wchar_t* p = field; *p; ++p)
        if (std::wcslen(p) >= n && _wcsnicmp(p, text, n) == 0) return true;
    return false;
}

}  // namespace

bool playlist::sort(int sort_type) {
    auto_sync guard(lock_);
    search_results_.clear();
    order(entries_, sort_type);
    notify([](play_listener* l) { l->on_list_reordered(); });
    return true;
}

bool playlist::sort_selected(const std::vector<int>& indices, int sort_type) {
    if (indices.size() < 2) return false;
    auto_sync guard(lock_);
    // A position named twice would receive two copies and lose another
    // entry's contents: each position takes part once.
    std::vector<int> positions;
    for (int i : indices)
        if (std::find(positions.begin(), positions.end(), i) == positions.end()) positions.push_back(i);
    std::vector<list_info*> copies;
    for (int i : positions)
        if (static_cast<unsigned>(i) < entries_.size()) copies.push_back(new list_info(*entries_[i]));
    order(copies, sort_type);
    size_t next = 0;
    for (int i : positions) {
        if (static_cast<unsigned>(i) >= entries_.size() || next >= copies.size()) continue;
        *entries_[i] = *copies[next++];
    }
    for (list_info* c : copies) delete c;
    notify([](play_listener* l) { l->on_list_reordered(); });
    return true;
}

std::vector<list_info*>& playlist::search(const wchar_t* text, bool, bool by_artist, bool by_title,
                                          bool by_album) {
    {
        auto_sync guard(lock_);
        search_results_.clear();
        if (!text || !*text) return search_results_;
    }
    ensure_loaded();
    auto_sync guard(lock_);
    for (list_info* e : entries_) {
        if (contains(e->path, text) || (by_artist && contains(e->artist, text)) ||
            (by_title && contains(e->title, text)) || (by_album && contains(e->album, text)))
            search_results_.push_back(e);
    }
    return search_results_;
}
