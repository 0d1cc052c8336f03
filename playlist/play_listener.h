#pragma once
// play_listener: told about every change of one player (volume, transport,
// playlists) and of the entries of that player's current playlist. The user
// interface registers the implementations; zel_playlist collects, at start-up,
// those whose index() equals a player's index.
//
// Threading: called on whatever thread changed the player, the playback
// thread included, with the player's (and for entry events the playlist's)
// lock held. Implementations must return at once and must not block.
#include <vector>
#include "component.h"

class list_info;
class playlist;

class play_listener : public component {
public:
    static constexpr GUID iid = {0xF940646A, 0x2AC8, 0x49D9, {0x81, 0x73, 0x9B, 0x5E, 0x77, 0x87, 0xCF, 0xE2}};

    virtual int index() = 0;  // the player this listener follows
    virtual void on_volume(unsigned volume) {}
    virtual void on_mute(bool muted) {}
    virtual void on_seek(double seconds) {}
    virtual void on_play(list_info* entry) {}
    virtual void on_stop(list_info* entry) {}
    virtual void on_pause(list_info* entry, bool paused) {}
    virtual void on_next(list_info* entry) {}
    virtual void on_previous(list_info* entry) {}
    // Entry events of the current playlist.
    virtual void on_entry_added(const std::vector<list_info*>& added) {}
    virtual void on_entry_inserted(int index, const std::vector<list_info*>& inserted) {}
    virtual void on_entry_removed(const std::vector<int>& indices) {}
    virtual void on_list_reordered() {}
    virtual void on_entries_updated(const std::vector<int>& indices, const std::vector<list_info*>& values) {}
    virtual void on_entries_swapped(int a, int b) {}
    // Playlist collection events.
    virtual void on_playlist_created(playlist* list) {}
    virtual void on_playlist_removed(playlist* list) {}
    virtual void on_active_playlist(playlist* list) {}
    virtual void on_current_playlist(playlist* list) {}
    virtual void on_playlist_moved(playlist* list) {}
    virtual void reserved() {}  // slot 22, never called
};
