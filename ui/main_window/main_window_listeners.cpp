// The main window's listener objects.
#include "main_window_listeners.h"

#include "player_window.h"

void main_login_listener::on_login(bool ok) {
    if (player_window* w = current_player_window()) w->on_login(ok);
}

bool main_stream_title_listener::on_title(bool station, const wchar_t* text, int64_t position) {
    player_window* w = current_player_window();
    if (!w || !w->hwnd()) return false;
    stream_title_note* note = new stream_title_note{station, text ? text : L"", static_cast<unsigned long long>(position)};
    if (!PostMessageW(w->hwnd(), msg_stream_title_note, 0, reinterpret_cast<LPARAM>(note))) delete note;
    return true;
}

void main_skin_listener::on_skin(int colour) {
    if (player_window* w = current_player_window()) w->apply_skin(colour);
}

void main_window_state_listener::on_window_state(int window_id, bool hidden) {
    if (player_window* w = current_player_window()) w->on_window_state(window_id, hidden);
}
