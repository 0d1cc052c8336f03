#pragma once
// The main window's listener objects: the login, stream titles, colour-skin
// changes and the visibility of the other windows reach the current main
// window through them (and nothing while there is none). The library
// registers one of each (main_window_listeners_registration.cpp); tests
// call them directly.
#include "login_listener.h"
#include "skin_listener.h"
#include "stream_title_listener.h"
#include "window_state_listener.h"

class main_login_listener : public singleton_component<login_listener> {
public:
    void on_login(bool ok) override;
};

// Stream titles arrive on the stream's threads: each is posted to the main
// window as a heap copy (msg_stream_title_note) and applied there.
class main_stream_title_listener : public singleton_component<stream_title_listener> {
public:
    bool on_title(bool station, const wchar_t* text, int64_t position) override;
    void on_buffering(int, int) override {}
    void on_info(info_list*) override {}
};

class main_skin_listener : public singleton_component<skin_listener> {
public:
    void on_skin(int colour) override;
};

class main_window_state_listener : public singleton_component<window_state_listener> {
public:
    void on_window_state(int window_id, bool hidden) override;
};
