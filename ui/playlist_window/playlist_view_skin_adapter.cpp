// The now-playing list's view of the playlist window skin.
#include "playlist_view_skin_adapter.h"

#include "playlist_window_skin.h"

namespace {
void put(const playlist_scroll_images& images, dib* out[4]) {
    out[0] = images.track;
    out[1] = images.thumb;
    out[2] = images.minus;
    out[3] = images.plus;
}
}  // namespace

dib* playlist_window_view_skin::image(int number) { return skin_.image(number); }

void playlist_window_view_skin::hscroll_images(dib* out[4]) { put(skin_.hscroll_images(), out); }

void playlist_window_view_skin::vscroll_images(dib* out[4]) { put(skin_.vscroll_images(), out); }

void playlist_window_view_skin::draw_status_text(const RECT& rect, const wchar_t* left, const wchar_t* right) {
    skin_.draw_status_text(rect, left, right);
}

void playlist_window_view_skin::set_control_visible(int id, bool visible) {
    if (skin* s = skin_.current()) s->set_visible(static_cast<unsigned>(id), visible);
}
