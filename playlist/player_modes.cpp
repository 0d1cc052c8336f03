// player: choosing the following entry by play mode (advance, next,
// previous) and the history of random order.
#include <windows.h>
#include <algorithm>
#include <iterator>
#include <cwchar>
#include "player.h"
#include "playlist.h"

namespace {

const wchar_t* text_of(const wchar_t* s) { return s ? s : L""; }

bool same_id(list_info* entry, const std::wstring& id) {
    return entry && id == text_of(entry->id);
}

// Position of the entry with this id among positions [first, last); -1.
int find_between(playlist* list, const std::wstring& id, unsigned first, unsigned last) {
    for (unsigned i = first; i < last; ++i)
        if (same_id(list->at(i), id)) return static_cast<int>(i);
    return -1;
}

bool is_random(int mode) { return mode == mode_random || mode == mode_random_repeat; }

}  // namespace

std::wstring player::current_id() { return text_of(current_entry_.id); }

list_info* player::advance(bool make_current) {
    auto_sync guard(lock_);
    playlist* list = active_;
    if (!engine_ || !list) return nullptr;
    auto_sync entries_guard(list->entries_lock());
    unsigned n = list->count();
    if (n == 0) return nullptr;
    std::wstring id = current_id();
    list_info* result = nullptr;
    switch (play_mode_.load()) {
    case mode_sequential:
    case mode_repeat_all: {
        int i = find_between(list, id, 0, n - 1);
        if (i >= 0) result = list->at(static_cast<unsigned>(i) + 1);
        else if (play_mode_ == mode_repeat_all) result = list->at(0);
        break;
    }
    case mode_repeat_one: {
        int i = find_between(list, id, 0, n);
        if (i >= 0) result = list->at(static_cast<unsigned>(i));
        break;
    }
    case mode_random:
    case mode_random_repeat: {
        std::wstring picked = random_pick(id, play_mode_ == mode_random_repeat);
        if (picked.empty()) {
            clear_random_history();
            return nullptr;
        }
        result = list->find_by_id(picked.c_str());
        break;
    }
    default:
        break;
    }
    if (!result) return nullptr;
    if (make_current) current_entry_ = *result;
    // The playback thread copies the entry after the lock is released, when
    // the user may already have removed it from the playlist: it gets a copy
    // of the player's own, one per calling thread. A node of the list keeps
    // its address while others come and go, and a thread's copy is replaced
    // only when that same thread asks again (it is done with the old one
    // then) or dropped once the thread has ended.
    const DWORD caller = GetCurrentThreadId();
    for (auto& handed : handed_) {
        if (handed.first == caller) {
            handed.second = *result;
            return &handed.second;
        }
    }
    if (handed_.size() >= max_handed_before_pruning) prune_handed();
    handed_.emplace_back(caller, *result);
    return &handed_.back().second;
}

// Drops the copies handed to threads that have ended.
void player::prune_handed() {
    for (auto it = handed_.begin(); it != handed_.end();) {
        HANDLE h = OpenThread(SYNCHRONIZE, FALSE, it->first);
        const bool ended = !h || WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        if (h) CloseHandle(h);
        it = ended ? handed_.erase(it) : std::next(it);
    }
}

list_info* player::find_next() {
    auto_sync guard(lock_);
    playlist* list = active_;
    if (!engine_ || !list) return nullptr;
    auto_sync entries_guard(list->entries_lock());
    unsigned n = list->count();
    std::wstring id = current_id();
    int i = n > 0 ? find_between(list, id, 0, n - 1) : -1;
    if (is_random(play_mode_)) {
        if (i < 0 && n <= 1) return nullptr;
        std::wstring picked = random_pick(id, true);
        return picked.empty() ? nullptr : list->find_by_id(picked.c_str());
    }
    if (n == 0) return nullptr;
    if (i >= 0) return list->at(static_cast<unsigned>(i) + 1);
    return list->at(0);
}

list_info* player::find_previous() {
    auto_sync guard(lock_);
    playlist* list = active_;
    if (!engine_ || !list) return nullptr;
    auto_sync entries_guard(list->entries_lock());
    unsigned n = list->count();
    std::wstring id = current_id();
    std::wstring back;
    bool random = is_random(play_mode_);
    if (random) {
        if (random_history_.empty()) return nullptr;
        back = random_previous(id);
        if (back.empty()) return nullptr;
    }
    int i = n > 1 ? find_between(list, id, 1, n) : -1;
    if (random) return i >= 0 ? list->find_by_id(back.c_str()) : nullptr;
    if (n == 0) return nullptr;
    if (i >= 1) return list->at(static_cast<unsigned>(i) - 1);
    return list->at(n - 1);
}

std::wstring player::random_pick(const std::wstring& current, bool new_pass) {
    auto_sync guard(lock_);
    playlist* list = active_;
    if (!list) return std::wstring();
    auto_sync entries_guard(list->entries_lock());
    if (random_history_.empty()) random_->seed();
    random_history_.push_back(current);
    unsigned n = list->count();
    std::vector<std::wstring> candidates;
    for (unsigned i = 0; i < n; ++i) {
        list_info* e = list->at(i);
        if (!e) continue;
        std::wstring id = text_of(e->id);
        if (std::find(random_history_.begin(), random_history_.end(), id) == random_history_.end())
            candidates.push_back(id);
    }
    if (!candidates.empty()) return candidates[random_->next() % candidates.size()];
    // All played. An empty playlist (emptied while a track plays) has no
    // entry to start a new pass with.
    if (!new_pass || n == 0) return std::wstring();
    random_history_.clear();
    random_->seed();
    list_info* e = list->at(random_->next() % n);
    return e ? text_of(e->id) : std::wstring();
}

std::wstring player::random_previous(const std::wstring& current) {
    auto_sync guard(lock_);
    playlist* list = active_;
    std::vector<std::wstring> kept;
    for (const std::wstring& id : random_history_)
        if (list && list->find_by_id(id.c_str())) kept.push_back(id);
    random_history_.swap(kept);
    if (random_history_.empty()) return std::wstring();
    auto found = std::find(random_history_.begin(), random_history_.end(), current);
    if (found == random_history_.end()) {
        std::wstring newest = random_history_.back();
        random_history_.push_back(current);
        return newest;
    }
    if (found == random_history_.begin()) return std::wstring();
    return *(found - 1);
}

void player::clear_random_history() {
    auto_sync guard(lock_);
    random_history_.clear();
}

std::vector<std::wstring> player::random_history() {
    auto_sync guard(lock_);
    return random_history_;
}
