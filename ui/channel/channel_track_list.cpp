// The channel track list: a channel's tracks into the music player's
// channel playlist, the track cache and the stored last channel.
#include "channel_track_list.h"
#include "play_manager.h"
#include "playlist.h"
#include "track_cache.h"

channel_track_list::channel_track_list(channel_track_services& services) : services_(services) {}

channel_track_list::~channel_track_list() {}

void channel_track_list::set_listener(channel_list_listener* listener) { listener_ = listener; }

std::vector<track_record>* channel_track_list::tracks() { return &tracks_; }

void channel_track_list::load(const std::vector<track_record>& records) {
    play_manager* music = services_.music_player();
    playlist* target = nullptr;
    if (music) {
        music->stop(0);
        // The channel playlist is the player's second one. When it is the
        // active one it is refilled in place and the shown playlist stays;
        // otherwise it becomes active and shown.
        playlist* active = music->active_playlist();
        if (active && music->playlist_index(active->id().c_str()) == 1) {
            target = active;
            target->clear();
        } else {
            target = music->playlist_at(1);
            if (target) {
                target->clear();
                const std::wstring id = target->id();
                music->set_active_playlist(id.c_str());
                music->set_current_playlist(id.c_str());
            }
        }
    }

    // The entries carry the playlist's part of each record only.
    std::vector<list_info> entries(records.begin(), records.end());
    listed_.clear();  // its pointers go with the old records
    tracks_ = records;

    if (target && !entries.empty()) {
        target->add(entries);
        if (list_info* first = target->at(0)) music->play(first);
    }

    for (size_t i = 0; i < tracks_.size() && i < max_listed; ++i) listed_.push_back(&tracks_[i]);

    cache_tracks(entries);

    const int id = services_.current_channel_id();
    if (id != 0) {
        stringx value;
        value.format(L"%s|%d", services_.list_title().wvalue(), id);
        services_.store_write(L"app", L"channel", value.wvalue());
    }

    services_.set_view_count(static_cast<int>(listed_.size()));
    if (listener_) listener_->on_channel_loaded();
}

void channel_track_list::cache_tracks(const std::vector<list_info>& entries) {
    track_cache* cache = services_.music_cache();
    if (!cache) return;
    std::vector<list_info> queued(entries);
    if (!queued.empty()) queued.push_back(entries.front());
    cache->enqueue(services_.current_channel_id(), &queued);
    services_.release_cache(cache);
}

void channel_track_list::relist() {
    listed_.clear();
    for (size_t i = 0; i < tracks_.size() && i < max_listed; ++i) listed_.push_back(&tracks_[i]);
    if (listener_) listener_->on_channel_loaded();
}
