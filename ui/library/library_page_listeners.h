#pragma once
// The listener objects of the library pages: the announcements' progress
// reaches today's schedule page (or its remembered highlight), and the
// library window's hiding closes the modeless reservation dialog of the
// announcement library page.
#include "anne_progress_listener.h"
#include "window_state_listener.h"

class today_anne_listener : public singleton_component<anne_progress_listener> {
public:
    void on_next_changed(const anne_record* record) override;
    void on_preparing(const anne_record* record) override;
    void on_air(const anne_record* record) override;
    void on_finished() override;
};

class library_page_state_listener : public singleton_component<window_state_listener> {
public:
    void on_window_state(int window_id, bool hidden) override;
};
