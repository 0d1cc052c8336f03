// The playlist window's listeners: forwarded to the window when it exists.
#include "playlist_window_listeners.h"

#include "playlist_window.h"

void playlist_login_listener::on_login(bool ok) {
    if (playlist_window* w = playlist_window::current()) w->on_login(ok);
}

void playlist_skin_listener::on_skin(int colour) {
    if (playlist_window* w = playlist_window::current()) w->on_skin(colour);
}

namespace {
anne_list* current_anne_list() {
    playlist_window* w = playlist_window::current();
    return w ? w->announcements() : nullptr;
}
}  // namespace

void playlist_anne_listener::on_next_changed(const anne_record* record) {
    if (anne_list* list = current_anne_list()) list->on_next_changed(record);
}

void playlist_anne_listener::on_preparing(const anne_record* record) {
    if (anne_list* list = current_anne_list()) list->on_preparing(record);
}

void playlist_anne_listener::on_finished() {
    if (anne_list* list = current_anne_list()) list->on_finished();
}
