#include "anne_end_watch.h"

#include "list_info.h"
#include "play_manager.h"

anne_end_watch::anne_end_watch(anne_environment& env, const stringx& url)
    : env_(env), url_(url), since_(env.tick_count()) {}

bool anne_end_watch::playing_it() {
    play_manager* anne = env_.player(false);
    if (!anne || !anne->is_playing()) return false;
    list_info* current = anne->current();
    return current && current->path && url_.equals_ignore_case(stringx(current->path));
}

bool anne_end_watch::step() {
    if (playing_it()) {
        seen_ = true;
        return false;
    }
    return seen_ || env_.tick_count() - since_ >= start_grace_ms;
}
