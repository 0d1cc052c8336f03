// playlist: entries, ids, loading, and the operations that add, move and
// take out entries. Sorting and searching are in playlist_sort.cpp.
#include "playlist.h"

#include <objbase.h>
#include <sys/stat.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <new>
#include "core.h"
#include "play_listener.h"
#include "play_manager.h"
#include "playlist_formats.h"
#include "utility.h"

namespace {

std::atomic<unsigned long long> entry_counter{0};

void default_message(const wchar_t* text, const wchar_t* caption) {
    MessageBoxW(nullptr, text, caption, MB_OK);
}
std::atomic<playlist_message_fn> message_fn{default_message};

std::wstring make_guid_text() {
    GUID guid;
    if (CoCreateGuid(&guid) != S_OK) return std::wstring();
    LPOLESTR text = nullptr;
    if (StringFromIID(guid, &text) != S_OK || !text) return std::wstring();
    std::wstring result(text);
    CoTaskMemFree(text);
    return result;
}

const wchar_t* text_of(const wchar_t* s) { return s ? s : L""; }

bool file_missing(const wchar_t* path) {
    const wchar_t* p = text_of(path);
    if (std::wcsstr(p, L"://")) return false;
    const wchar_t* bar = std::wcsrchr(p, L'|');
    if (bar) p = bar + 1;
    struct _stat st;
    return _wstat(p, &st) != 0;
}

}  // namespace

void set_playlist_message_fn(playlist_message_fn fn) { message_fn = fn ? fn : default_message; }

namespace {
const size_t entry_id_length = 32;

// Writes a fresh entry id (32 hex digits and the terminator) into text,
// which has room for them.
void write_entry_id(wchar_t* text) {
    unsigned long long n = entry_counter.fetch_add(1);
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(n >> (8 * i));
    unsigned char digest[16];
    utility::md5_encrypt(bytes, 8, digest);
    static const wchar_t digits[] = L"0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
        text[2 * i] = digits[digest[i] >> 4];
        text[2 * i + 1] = digits[digest[i] & 15];
    }
    text[32] = 0;
}

// A copy of source with a fresh entry id of its own, written straight into
// the heap copy the entry keeps (every entry of a long list gets one).
list_info* copy_with_new_id(const list_info& source) {
    list_info* copy = new list_info(source);
    wchar_t* id = static_cast<wchar_t*>(malloc((entry_id_length + 1) * sizeof(wchar_t)));
    if (id) write_entry_id(id);
    free(copy->id);
    copy->id = id;
    return copy;
}

// Room for count more pointers, growing at least by doubling so that many
// small additions stay linear.
void reserve_more(std::vector<list_info*>& list, size_t count) {
    const size_t needed = list.size() + count;
    if (list.capacity() < needed) list.reserve(std::max(needed, 2 * list.capacity()));
}
}  // namespace

std::wstring playlist::new_entry_id() {
    wchar_t text[entry_id_length + 1];
    write_entry_id(text);
    return text;
}

playlist::playlist(play_manager* owner, const std::vector<play_listener*>* listeners)
    : id_(make_guid_text()), owner_(owner), listeners_(listeners) {}

playlist::~playlist() { clear(); }

bool playlist::is_current() { return !owner_ || owner_->current_playlist() == this; }

void playlist::set_file_path(const wchar_t* path) {
    auto_sync guard(lock_);
    file_path_ = text_of(path);
}

void playlist::ensure_loaded() {
    std::wstring path;
    {
        auto_sync guard(lock_);
        if (file_path_.empty() || loaded_) return;
        loaded_ = true;
        path = file_path_;
    }
    std::vector<list_info> found;
    try {
        core::add_file(path.c_str(), found);
    } catch (...) {
        message_fn.load()(L"재생목록이 손상되었거나 올바른 형식이 아닙니다", L"ZEL Player");
    }
    add(found);
}

void playlist::append_copy(const list_info& source, std::vector<list_info*>& added) {
    list_info* copy = copy_with_new_id(source);
    entries_.push_back(copy);
    added.push_back(copy);
}

void playlist::add(const std::vector<list_info*>& sources) {
    ensure_loaded();
    auto_sync guard(lock_);
    std::vector<list_info*> added;
    added.reserve(sources.size());
    reserve_more(entries_, sources.size());
    list_info empty;
    for (list_info* s : sources) append_copy(s ? *s : empty, added);
    notify([&](play_listener* l) { l->on_entry_added(added); });
}

void playlist::add(const std::vector<list_info>& sources) {
    ensure_loaded();
    auto_sync guard(lock_);
    std::vector<list_info*> added;
    added.reserve(sources.size());
    reserve_more(entries_, sources.size());
    for (const list_info& s : sources) append_copy(s, added);
    notify([&](play_listener* l) { l->on_entry_added(added); });
}

void playlist::insert_copies(int index, const std::vector<const list_info*>& sources) {
    ensure_loaded();
    auto_sync guard(lock_);
    if (index < 0 || static_cast<size_t>(index) > entries_.size()) return;
    std::vector<list_info*> inserted;
    list_info empty;
    for (size_t i = sources.size(); i-- > 0;) {
        list_info* copy = copy_with_new_id(sources[i] ? *sources[i] : empty);
        entries_.insert(entries_.begin() + index, copy);
        inserted.push_back(copy);
    }
    notify([&](play_listener* l) { l->on_entry_inserted(index, inserted); });
}

void playlist::insert(int index, const std::vector<list_info*>& sources) {
    insert_copies(index, std::vector<const list_info*>(sources.begin(), sources.end()));
}

void playlist::insert(int index, const std::vector<list_info>& sources) {
    std::vector<const list_info*> pointers;
    for (const list_info& s : sources) pointers.push_back(&s);
    insert_copies(index, pointers);
}

bool playlist::swap(int a, int b) {
    auto_sync guard(lock_);
    int n = static_cast<int>(entries_.size());
    if (a < 0 || b < 0 || a >= n || b >= n) return false;
    if (a == b) return true;
    notify([&](play_listener* l) { l->on_entries_swapped(a, b); });
    std::swap(entries_[a], entries_[b]);
    return true;
}

bool playlist::move(int from, int to) {
    auto_sync guard(lock_);
    const int n = static_cast<int>(entries_.size());
    if (from < 0 || to < 0 || from >= n || to >= n) return false;
    if (from == to) return true;
    list_info* entry = entries_[from];
    entries_.erase(entries_.begin() + from);
    entries_.insert(entries_.begin() + to, entry);
    search_results_.clear();
    notify([](play_listener* l) { l->on_list_reordered(); });
    return true;
}

void playlist::update(const std::vector<int>& indices, const std::vector<list_info*>& values) {
    auto_sync guard(lock_);
    if (indices.size() != values.size()) return;
    std::vector<int> applied;
    std::vector<list_info*> applied_values;
    for (size_t i = 0; i < indices.size(); ++i) {
        unsigned at = static_cast<unsigned>(indices[i]);
        if (at >= entries_.size() || !values[i]) continue;
        list_info* entry = entries_[at];
        std::wstring own_id = text_of(entry->id);
        *entry = *values[i];
        list_info::set_string(entry->id, own_id.c_str());
        list_info::set_string(entry->filename, L"");
        applied.push_back(indices[i]);
        applied_values.push_back(values[i]);
    }
    notify([&](play_listener* l) { l->on_entries_updated(applied, applied_values); });
}

void playlist::clear() {
    auto_sync guard(lock_);
    std::vector<int> all;
    for (size_t i = 0; i < entries_.size(); ++i) all.push_back(static_cast<int>(i));
    notify([&](play_listener* l) { l->on_entry_removed(all); });
    while (!entries_.empty()) {
        delete entries_.back();
        entries_.pop_back();
    }
    search_results_.clear();
}

// Reports the valid indices, then takes out the entries they named, each
// found again by its id so that every index refers to the list as it was.
void playlist::remove_locked(const std::vector<int>& indices) {
    std::vector<int> valid;
    std::vector<std::wstring> ids;
    for (int i : indices) {
        if (static_cast<unsigned>(i) >= entries_.size()) continue;
        valid.push_back(i);
        ids.push_back(text_of(entries_[i]->id));
    }
    if (valid.empty()) return;
    notify([&](play_listener* l) { l->on_entry_removed(valid); });
    search_results_.clear();
    for (const std::wstring& id : ids) {
        for (size_t k = 0; k < entries_.size(); ++k) {
            if (id == text_of(entries_[k]->id)) {
                delete entries_[k];
                entries_.erase(entries_.begin() + k);
                break;
            }
        }
    }
}

void playlist::remove(const std::vector<int>& indices) {
    auto_sync guard(lock_);
    remove_locked(indices);
}

void playlist::remove_duplicates() {
    auto_sync guard(lock_);
    std::vector<int> doubles;
    for (size_t i = 1; i < entries_.size(); ++i) {
        for (size_t k = 0; k < i; ++k) {
            if (_wcsicmp(text_of(entries_[i]->path), text_of(entries_[k]->path)) == 0) {
                doubles.push_back(static_cast<int>(i));
                break;
            }
        }
    }
    remove_locked(doubles);
}

void playlist::remove_missing() {
    auto_sync guard(lock_);
    std::vector<int> missing;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (file_missing(entries_[i]->path)) missing.push_back(static_cast<int>(i));
    remove_locked(missing);
}

list_info* playlist::find_by_id(const wchar_t* id) {
    auto_sync guard(lock_);
    const wchar_t* wanted = text_of(id);
    for (list_info* e : entries_)
        if (std::wcscmp(text_of(e->id), wanted) == 0) return e;
    return nullptr;
}

unsigned playlist::count() {
    ensure_loaded();
    auto_sync guard(lock_);
    return static_cast<unsigned>(entries_.size());
}

int playlist::index_of(const wchar_t* id) {
    ensure_loaded();
    auto_sync guard(lock_);
    const wchar_t* wanted = text_of(id);
    for (size_t i = 0; i < entries_.size(); ++i)
        if (std::wcscmp(text_of(entries_[i]->id), wanted) == 0) return static_cast<int>(i);
    return -1;
}

std::vector<list_info*>& playlist::entries() {
    ensure_loaded();
    auto_sync guard(lock_);
    return entries_;
}

bool playlist::save(const wchar_t* path) {
    if (!path || !*path) return false;
    std::vector<list_info> copies;
    {
        auto_sync guard(lock_);
        for (list_info* e : entries_) copies.push_back(*e);
    }
    try {
        return save_playlist_file(path, copies);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

list_info* playlist::at_unlocked(unsigned index) {
    return index < entries_.size() ? entries_[index] : nullptr;
}

list_info* playlist::at(unsigned index) {
    auto_sync guard(lock_);
    return at_unlocked(index);
}

double playlist::total_time() {
    auto_sync guard(lock_);
    double total = 0.0;
    for (list_info* e : entries_) total += e->time;
    return total;
}

void playlist::set_name(const wchar_t* name) {
    auto_sync guard(lock_);
    if (id_.empty()) id_ = text_of(name);
    name_ = text_of(name);
}

std::wstring playlist::name() {
    auto_sync guard(lock_);
    return name_;
}

std::wstring playlist::id() {
    auto_sync guard(lock_);
    return id_;
}
