#include "anne_fades.h"

#include "anne_progress_listener.h"
#include "list_info.h"
#include "login_services.h"
#include "music_volume.h"
#include "play_manager.h"
#include "playlist.h"
#include "volume_ducker.h"

namespace {

// The player volume of an announcement volume in percent.
unsigned announcement_player_volume(int percent) {
    if (percent <= 0) return 0;
    return percent >= 100 ? 1000 : static_cast<unsigned>(percent) * 10;
}

// The size of one step: the fade spread over as many steps as fit in it at
// the pace of the last one. Never called with no time elapsed.
unsigned steps_of(unsigned fade_ms, DWORD elapsed) {
    const unsigned steps = fade_ms / elapsed;
    return steps ? steps : 1;
}

}  // namespace

anne_starter::anne_starter(anne_environment& env, const anne_record& record, unsigned fade_ms)
    : env_(env), record_(record), fade_ms_(fade_ms) {
    if (volume_ducker* d = env_.ducker()) d->duck(fade_ms_, 0);
    listeners_ = env_.listeners();
    start_volume_ = music_user_volume();
    if (record_.volume > 100) record_.volume = static_cast<int>(env_.options().info_volume / 10);
    for (anne_progress_listener* l : listeners_) l->on_preparing(&record_);
    start_tick_ = last_tick_ = env_.tick_count();
}

unsigned anne_starter::music_user_volume() {
    play_manager* music = env_.player(true);
    return music ? music_to_user(music->volume(), env_.options().music_volume_rate) : 0;
}

void anne_starter::set_music(unsigned user_volume) {
    if (play_manager* music = env_.player(true))
        music->set_volume(music_to_player(user_volume, env_.options().music_volume_rate));
}

void anne_starter::tell_music_volume(unsigned user_volume) {
    for (anne_progress_listener* l : listeners_) l->on_music_volume(user_volume);
}

DWORD anne_starter::silence_at() const { return fade_ms_ > silence_ahead_ms ? fade_ms_ - silence_ahead_ms : 0; }

bool anne_starter::step() {
    const unsigned cur = music_user_volume();
    const DWORD now = env_.tick_count();
    const DWORD gone = now - start_tick_;
    if (!waiting_ && cur != 0 && gone < silence_at()) {
        const DWORD elapsed = now - last_tick_;
        // A tick that comes with no time elapsed gives no step (the step size
        // divides by the time).
        if (elapsed == 0) return false;
        const unsigned steps = steps_of(fade_ms_, elapsed);
        last_tick_ = now;
        const unsigned drop = start_volume_ / steps;
        const unsigned v = drop >= cur ? 0 : cur - drop;
        set_music(v);
        tell_music_volume(v);
        faded_ = true;
        if (!prepare_tried_ && ms_until_due() <= prepare_ms) prepare();
        return false;
    }

    // The fade is over: silence, then the announcement, unless the
    // announcement player is still busy with an earlier one.
    if (!silenced_ || cur != 0) {
        set_music(0);
        tell_music_volume(0);
        silenced_ = true;
    }
    // Music that this starter faded out stays silent until the announcement
    // is due: it keeps its time. (Music that was silent from the start lets
    // the announcement go at once.)
    if (faded_ && gone < fade_ms_) {
        if (!prepare_tried_) prepare();
        return false;
    }
    if (prepared_ && release_prepared()) return true;
    play_manager* anne = env_.player(false);
    if (anne && anne->active_playlist() && anne->is_playing()) {
        if (!waiting_) {
            waiting_ = true;
            wait_tick_ = now;
        }
        if (now - wait_tick_ < max_wait_ms) return false;
        // The other announcement did not end in all that time: give up on
        // this one rather than hold the music down for ever.
        return true;
    }
    return put_on_air();
}

DWORD anne_starter::ms_until_due() {
    const DWORD gone = env_.tick_count() - start_tick_;
    return gone >= fade_ms_ ? 0 : fade_ms_ - gone;
}

DWORD anne_starter::ms_until_next_mark() {
    const DWORD gone = env_.tick_count() - start_tick_;
    const DWORD silence = silence_at();
    return gone < silence ? silence - gone : ms_until_due();
}

list_info* anne_starter::fill_playlist(playlist* list) {
    list->clear();
    std::vector<list_info> entries(1);
    list_info::set_string(entries[0].path, record_.url.wvalue());
    list_info::set_string(entries[0].title, record_.title.wvalue());
    entries[0].time = static_cast<double>(record_.length.total_seconds());
    list->add(entries);
    return list->at(0);
}

void anne_starter::tell_on_air() {
    played_ = true;
    for (anne_progress_listener* l : listeners_) l->on_air(&record_);
}

bool anne_starter::put_on_air() {
    play_manager* anne = env_.player(false);
    playlist* list = anne ? anne->active_playlist() : nullptr;
    if (!list) return true;
    list_info* first = fill_playlist(list);
    anne->set_volume(announcement_player_volume(record_.volume));
    if (first) anne->play(first);
    tell_on_air();
    return true;
}

void anne_starter::prepare() {
    prepare_tried_ = true;
    play_manager* anne = env_.player(false);
    playlist* list = anne ? anne->active_playlist() : nullptr;
    // An announcement player that still plays keeps what it plays.
    if (!list || anne->is_playing()) return;
    list_info* first = fill_playlist(list);
    if (!first) return;
    // Silent as well as paused: should the engine get a block out before
    // the pause reaches it, nobody hears it.
    anne->set_volume(0);
    anne->play(first);
    anne->pause();
    prepared_ = true;
}

bool anne_starter::release_prepared() {
    prepared_ = false;
    play_manager* anne = env_.player(false);
    if (!anne || !anne->is_playing() || !anne->is_paused()) return false;
    list_info* current = anne->current();
    if (!current || !current->path || !record_.url.equals_ignore_case(stringx(current->path))) return false;
    anne->set_volume(announcement_player_volume(record_.volume));
    anne->pause();
    tell_on_air();
    return true;
}

volume_fade::volume_fade(anne_environment& env, unsigned fade_ms) : env_(env), fade_ms_(fade_ms) {
    if (volume_ducker* d = env_.ducker()) d->restore(fade_ms_);
    listeners_ = env_.listeners();
    start_tick_ = last_tick_ = env_.tick_count();
}

bool volume_fade::step() {
    const login_options& o = env_.options();
    const unsigned target = o.volume > 1000 ? 1000 : o.volume;
    const unsigned target_player = music_to_player(target, o.music_volume_rate);
    play_manager* music = env_.player(true);
    const unsigned player_volume = music ? music->volume() : target_player;
    const DWORD now = env_.tick_count();
    // Compared in the player's units: see music_volume.h.
    if (player_volume >= target_player || now - start_tick_ >= fade_ms_) {
        if (music) music->set_volume(target_player);
        for (anne_progress_listener* l : listeners_) {
            l->on_music_volume(target);
            l->on_finished();
        }
        return true;
    }
    const DWORD elapsed = now - last_tick_;
    if (elapsed == 0) return false;
    const unsigned steps = steps_of(fade_ms_, elapsed);
    last_tick_ = now;
    const unsigned cur = music_to_user(player_volume, o.music_volume_rate);
    unsigned v = cur + target / steps;
    if (v > target) v = target;
    if (v < cur) v = cur;
    music->set_volume(music_to_player(v, o.music_volume_rate));
    for (anne_progress_listener* l : listeners_) l->on_music_volume(v);
    return false;
}
