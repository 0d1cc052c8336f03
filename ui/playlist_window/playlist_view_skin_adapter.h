#pragma once
// The playlist window's skin as the now-playing list reaches it: the
// playlist window keeps one of these beside its playlist_window_skin and
// hands it to create_playlist_view. The images stay valid across rebuilds
// of the skin (they are refilled in place).
#include "playlist_view_services.h"

class playlist_window_skin;

class playlist_window_view_skin : public playlist_view_skin {
public:
    explicit playlist_window_view_skin(playlist_window_skin& skin) : skin_(skin) {}
    dib* image(int number) override;
    void hscroll_images(dib* out[4]) override;
    void vscroll_images(dib* out[4]) override;
    void draw_status_text(const RECT& rect, const wchar_t* left, const wchar_t* right) override;
    // On the skin built last; nothing before the first build.
    void set_control_visible(int id, bool visible) override;

private:
    playlist_window_skin& skin_;
};
