// The transport over the registry's music player.
#include "registry_player_transport.h"

#include "core.h"
#include "play_manager.h"

namespace {
play_manager* music() { return core::get_player(true); }
}  // namespace

void registry_player_transport::play() {
    play_manager* p = music();
    if (!p) return;
    if (p->is_paused()) {
        p->pause();
        return;
    }
    if (p->is_playing()) return;
    list_info* entry = p->current();
    if (!entry) entry = p->advance(true);
    if (entry) p->play(entry);
}

void registry_player_transport::pause() {
    if (play_manager* p = music()) p->pause();
}

void registry_player_transport::stop() {
    if (play_manager* p = music()) p->stop(0);
}

void registry_player_transport::previous() {
    if (play_manager* p = music()) p->previous();
}

void registry_player_transport::next() {
    if (play_manager* p = music()) p->next();
}

void registry_player_transport::seek(double seconds) {
    if (play_manager* p = music()) p->seek(seconds);
}

void registry_player_transport::set_volume(unsigned volume) {
    if (play_manager* p = music()) p->set_volume(volume);
}
