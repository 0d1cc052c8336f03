#pragma once
// The playlist window's listener objects: the login, the colour skin and
// the announcements' progress reach the one playlist window
// (playlist_window::current()) when it exists, and nothing otherwise.
#include "anne_progress_listener.h"
#include "login_listener.h"
#include "skin_listener.h"

class playlist_login_listener : public singleton_component<login_listener> {
public:
    void on_login(bool ok) override;
};

class playlist_skin_listener : public singleton_component<skin_listener> {
public:
    void on_skin(int colour) override;
};

// The next announcement and the one being prepared are scrolled into view in
// the announcement list; the rest of the news is not its business.
class playlist_anne_listener : public singleton_component<anne_progress_listener> {
public:
    void on_next_changed(const anne_record* record) override;
    void on_preparing(const anne_record* record) override;
    void on_finished() override;
};
