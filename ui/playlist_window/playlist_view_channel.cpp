// The now-playing list in channel mode: every track start rotates the
// channel's track list or refills it from the service; play errors skip
// tracks until a long run of missing streams means the connection is gone.
#include <algorithm>

#include "channel_track_list.h"
#include "music_player_view.h"
#include "play_manager.h"
#include "playlist.h"
#include "playlist_view.h"
#include "playlist_view_services.h"
#include "playlist_view_text.h"
#include "window_messages.h"

namespace {
// A refill whose playing track is found this far or further into the new
// list keeps the new list whole.
const size_t keep_whole_from = 5;

bool same_path(const wchar_t* a, const wchar_t* b) { return a && b && _wcsicmp(a, b) == 0; }

bool same_key(const track_record& r, const std::wstring& key) {
    return _wcsicmp(path_key(r.path).c_str(), key.c_str()) == 0;
}

// The records that follow the playing one must not start with it again.
void drop_leading(std::vector<track_record>& records, const std::wstring& key) {
    size_t n = 0;
    while (n < records.size() && same_key(records[n], key)) ++n;
    records.erase(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(n));
}

// The tracks after record i of a channel's list, in order, round to the
// one before it: what plays when the service has nothing new.
std::vector<track_record> own_following(const std::vector<track_record>& tracks, size_t i,
                                        const std::wstring& key) {
    std::vector<track_record> out;
    for (size_t n = 1; n < tracks.size(); ++n) out.push_back(tracks[(i + n) % tracks.size()]);
    drop_leading(out, key);
    return out;
}
}  // namespace

void playlist_view::channel_step(const list_info& entry) {
    services_.write_played_log(
        played_log_record(static_cast<unsigned>(services_.current_channel_id()), entry).c_str());

    play_manager* music = services_.music_player();
    channel_track_list* channel = services_.channel_tracks();
    playlist* list = music ? music->playlist_at(1) : nullptr;
    const int z = list && entry.id ? list->index_of(entry.id) : -1;
    std::vector<track_record>* tracks = channel ? channel->tracks() : nullptr;
    // Nothing follows the playing entry: without a refill the player would
    // go round to the top of the playlist (or play this entry again).
    const bool last = z >= 0 && z == static_cast<int>(list->count()) - 1;
    if ((z > 0 || last) && tracks && !tracks->empty()) {
        size_t i = 0;
        while (i < tracks->size() && !same_path((*tracks)[i].path, entry.path)) ++i;
        if (i < tracks->size()) {
            const track_record playing = (*tracks)[i];
            const int limit = static_cast<int>(services_.list_limit());
            bool rotate = true;
            if (z == limit || last) {
                // A reply still on its way is taken when it comes
                // (refill_arrived); the channel plays on meanwhile.
                std::vector<track_record> fresh;
                const int id = services_.current_channel_id();
                if (id == 0 || services_.refill_channel(id, fresh, window, msg_channel_refilled)) {
                    rotate = false;
                    take_refill(entry, z, i, fresh);
                }
            }
            if (rotate) {
                std::rotate(tracks->begin(), tracks->begin() + static_cast<std::ptrdiff_t>(i), tracks->end());
                // The player goes round to the playlist's top next: when
                // that is this same track again, it is left out.
                if (last && z > 0) {
                    list_info* top = list->at(0);
                    if (top && _wcsicmp(path_key(top->path).c_str(), path_key(entry.path).c_str()) == 0)
                        list->remove(std::vector<int>{0});
                }
            }
            channel->relist();
            set_item_count(static_cast<int>(channel->listed_tracks().size()));
        }
    }
    invalidate_playing_row(0);
}

void playlist_view::take_refill(const list_info& entry, int z, size_t i, std::vector<track_record>& fresh) {
    play_manager* music = services_.music_player();
    channel_track_list* channel = services_.channel_tracks();
    playlist* list = music ? music->playlist_at(1) : nullptr;
    std::vector<track_record>* tracks = channel ? channel->tracks() : nullptr;
    if (!list || !tracks || i >= tracks->size()) return;
    const track_record playing = (*tracks)[i];
    const int count = static_cast<int>(list->count());
    // Only the playing entry stays; the new tracks follow it.
    std::vector<int> others;
    for (int k = 0; k < count; ++k)
        if (k != z) others.push_back(k);
    if (!others.empty()) list->remove(others);
    const std::wstring key = path_key(entry.path);
    size_t k = 0;
    while (k < fresh.size() && _wcsicmp(path_key(fresh[k].path).c_str(), key.c_str()) != 0) ++k;
    // The service's list as it came, for the case that nothing of it is
    // left below.
    const std::vector<track_record> answer = fresh;
    // A list without the playing track holds nothing that was played: it is
    // kept whole as well.
    if (k >= keep_whole_from || k == fresh.size()) {
        if (!fresh.empty()) fresh.front().start_offset = timex_span(0);
    } else {
        fresh.erase(fresh.begin(), fresh.begin() + static_cast<std::ptrdiff_t>(std::min(k + 1, fresh.size())));
    }
    // When the service brings nothing new, the channel goes on with its
    // tracks after the playing one: those of the service's list, or else
    // those it had.
    drop_leading(fresh, key);
    if (fresh.empty() && k < answer.size()) fresh = own_following(answer, k, key);
    if (fresh.empty()) fresh = own_following(*tracks, i, key);
    tracks->clear();
    tracks->push_back(playing);
    tracks->insert(tracks->end(), fresh.begin(), fresh.end());
    if (!fresh.empty()) list->add(std::vector<list_info>(fresh.begin(), fresh.end()));
    channel->cache_tracks(std::vector<list_info>(tracks->begin(), tracks->end()));
}

void playlist_view::refill_arrived() {
    play_manager* music = services_.music_player();
    channel_track_list* channel = services_.channel_tracks();
    playlist* list = music ? music->playlist_at(1) : nullptr;
    std::vector<track_record>* tracks = channel ? channel->tracks() : nullptr;
    std::vector<track_record> fresh;
    const int id = services_.current_channel_id();
    if (id == 0 || !services_.late_refill(id, fresh)) return;
    if (!channel_mode_ || !list || !tracks || tracks->empty() || !music->is_playing()) return;
    // The tracks follow the entry that plays now.
    const list_info entry = current_entry_copy(music);
    const int z = entry.id ? list->index_of(entry.id) : -1;
    if (z < 0) return;
    size_t i = 0;
    while (i < tracks->size() && !same_path((*tracks)[i].path, entry.path)) ++i;
    if (i == tracks->size()) return;
    take_refill(entry, z, i, fresh);
    channel->relist();
    set_item_count(static_cast<int>(channel->listed_tracks().size()));
    invalidate_playing_row(0);
}

void playlist_view::on_play_error(int type) {
    play_manager* music = services_.music_player();
    if (!music) return;
    if (channel_mode_) {
        if (type == 0) ++play_error_count;
        if (play_error_count <= max_stream_errors) {
            music->next();
            return;
        }
        // So many missing streams in a row: the connection is taken for lost.
        services_.clear_track_cache();
        services_.write_log(L"인터넷 연결 해제됨");
        play_error_count = 0;
        net_connected = 0;
        services_.forget_channel_title();
        return;
    }
    if (type == 2) {
        music->stop(0);
        return;
    }
    list_info* following = music->advance(false);
    playlist* active = music->active_playlist();
    const int index = following && following->id && active ? active->index_of(following->id) : -1;
    if (index >= 0 && static_cast<unsigned>(index + 1) < active->count()) {
        music->next();
    } else {
        music->stop(0);
    }
}
