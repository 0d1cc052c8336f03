#pragma once
// playlist: an ordered list of entries owned by one player. Every entry that
// enters it is a copy with a fresh entry id; players find the playing entry
// by that id. Its contents may come from a playlist file read on first use.
//
// Entry events go to the owner's listeners, only while this playlist is its
// owner's current playlist, with the playlist's lock held.
//
// Locking: every operation holds the playlist's own lock while it touches the
// entries (at_unlocked excepted). A playlist never takes its owner's lock;
// the owner may call in while holding its own (player first, playlist
// second). Pointers handed out stay valid until the entries change.
#include <string>
#include <vector>
#include "critsec.h"
#include "list_info.h"

class play_listener;
class play_manager;

// Sort types of playlist::sort and playlist::sort_selected.
enum playlist_sort_type {
    sort_by_path = 0,
    sort_by_artist = 1,
    sort_by_title = 2,
    sort_by_album = 3,
    sort_by_genre = 4,
    sort_by_filename = 5,
    sort_shuffle = 6,
    sort_reverse = 7,
};

class playlist {
public:
    // listeners: the owner's listener list, read at every event (neither
    // copied nor owned). Without an owner the playlist counts as current.
    playlist(play_manager* owner, const std::vector<play_listener*>* listeners);
    virtual ~playlist();
    playlist(const playlist&) = delete;
    playlist& operator=(const playlist&) = delete;

    virtual void add(const std::vector<list_info*>& sources);
    virtual void add(const std::vector<list_info>& sources);
    virtual void insert(int index, const std::vector<list_info*>& sources);
    virtual void insert(int index, const std::vector<list_info>& sources);
    virtual bool swap(int a, int b);
    virtual void update(const std::vector<int>& indices, const std::vector<list_info*>& values);
    virtual void clear();
    virtual void remove(const std::vector<int>& indices);
    virtual void remove_duplicates();
    virtual void remove_missing();
    virtual list_info* find_by_id(const wchar_t* id);
    virtual bool sort(int sort_type);
    virtual bool sort_selected(const std::vector<int>& indices, int sort_type);
    // The second flag is not consulted.
    virtual std::vector<list_info*>& search(const wchar_t* text, bool unused, bool by_artist,
                                            bool by_title, bool by_album);
    virtual unsigned count();
    virtual int index_of(const wchar_t* id);
    virtual std::vector<list_info*>& entries();
    // Writes the entries in the format the extension names (cpl, m3u, m3u8,
    // pls). False, with the file untouched, for any other extension or when
    // writing fails.
    virtual bool save(const wchar_t* path);
    virtual list_info* at_unlocked(unsigned index);
    virtual list_info* at(unsigned index);
    virtual double total_time();
    virtual void set_name(const wchar_t* name);
    virtual std::wstring name();
    virtual std::wstring id();
    // Takes the entry at from out and puts it back so that it stands at to;
    // the entries between close up. False when either index is negative or
    // not below count; true without change when they are equal. The order
    // change is told as on_list_reordered.
    virtual bool move(int from, int to);

    // The lock of the entries, for the owner: a player holds it (after its
    // own) while it walks the entries and copies the one it chose, so that
    // no other thread deletes an entry in between.
    critsec& entries_lock() { return lock_; }

    // Reads file_path once, on first need (see set_file_path).
    void ensure_loaded();
    void set_file_path(const wchar_t* path);
    bool loaded() const { return loaded_; }

    // A fresh entry id: MD5 of the library-wide counter, 32 hex digits.
    static std::wstring new_entry_id();

private:
    bool is_current();
    // Calls fn on every listener while this is the owner's current playlist.
    template <class Fn>
    void notify(Fn fn) {
        if (!listeners_ || !is_current()) return;
        for (play_listener* l : *listeners_) fn(l);
    }
    void append_copy(const list_info& source, std::vector<list_info*>& added);
    void insert_copies(int index, const std::vector<const list_info*>& sources);
    void remove_locked(const std::vector<int>& indices);

    critsec lock_;
    std::vector<list_info*> entries_;
    std::vector<list_info*> search_results_;
    std::wstring name_;
    std::wstring id_;
    play_manager* owner_;
    const std::vector<play_listener*>* listeners_;
    std::wstring file_path_;
    bool loaded_ = false;
};

// Seams for tests: the ensure_loaded message box (default MessageBoxW).
using playlist_message_fn = void (*)(const wchar_t* text, const wchar_t* caption);
void set_playlist_message_fn(playlist_message_fn fn);
