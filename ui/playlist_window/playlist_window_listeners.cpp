// The playlist window's listeners: forwarded to the window when it exists.
#include "playlist_window_listeners.h"

#include "playlist_window.h"

void playlist_login_listener::on_login(bool ok) {
    if (playlist_window* w = playlist_window::current()) w->on_login(ok);
}

void playlist_skin_listener::on_skin(int colour) {
    if (playlist_window* w = playlist_window::current()) w->on_skin(colour);
}
