#pragma once
// playlist_window_skin: the look of the playlist window, built from one of
// seven PNG images (one per colour skin): the stretching frame (it grows by
// repeating column 265 and row 134 of the image), the close and details
// buttons, the two tabs, the parts of the scroll bars of the window's two
// lists, a table of numbered small images the lists draw, and the status
// strip under the lists, in which they write a left and a right text.
//
// The playlist window owns one object and rebuilds the skin (remove, then
// build) when the colour skin changes; the images of the table and the
// scroll-bar parts live as long as the object and are refilled by each
// build, so the lists may keep their pointers. User-interface thread only.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dib.h"
#include "skin.h"

// The skin's controls.
namespace playlist_skin_ids {
enum : unsigned {
    close = 0,      // "닫기"
    music_tab = 1,  // "음악 방송": checked while the now-playing list shows
    anne_tab = 2,   // "안내 방송": checked while the announcement list shows
    details = 3,    // "상세 보기"
};
}

// Numbers of the image table.
namespace playlist_skin_images {
enum : int {
    type_mp3 = 4,      // 20 x 9 type icons before a title
    type_zel = 5,
    type_cda = 6,
    type_radio = 7,
    status_strip = 8,  // 1 pixel wide, tiled; its height is the strip's
    anne_icon = 9,     // 8 x 9, for the announcement list
};
}

// The four images of one scroll bar, in the order list_view takes them.
struct playlist_scroll_images {
    dib* track;
    dib* thumb;
    dib* minus;
    dib* plus;
};

class playlist_window_skin {
public:
    playlist_window_skin();
    ~playlist_window_skin();
    playlist_window_skin(const playlist_window_skin&) = delete;
    playlist_window_skin& operator=(const playlist_window_skin&) = delete;

    // Whether the window shows the ad page (a login with an ad address);
    // asked by build and list_rect. Not set: never.
    void set_ad_shown(std::function<bool()> ad_shown) { ad_shown_ = std::move(ad_shown); }

    // Builds the skin of the colour skin number on the window and returns it
    // (owned by this object); null when the image is missing.
    skin* build(HWND window, int skin_number);
    // Detaches and deletes the skin and its resize pieces.
    void remove();

    // Where the lists are created: (9,47)-(311,206) with the ad page,
    // (9,47)-(311,270) without.
    RECT list_rect() const;

    // Draws the status strip into the rectangle of the window's back buffer:
    // a non-empty text replaces the remembered one of its side, a null or
    // empty one keeps it; the left text is drawn left-aligned and the right
    // text right-aligned, or the left text alone (cut with an ellipsis) when
    // both do not fit with 5 pixels between them. Nothing is drawn without
    // the strip's image or while both texts are empty.
    void draw_status_text(const RECT& rect, const wchar_t* left, const wchar_t* right);
    const std::wstring& status_left() const { return status_left_; }
    const std::wstring& status_right() const { return status_right_; }

    // The image of the table; null when the number has none (before the
    // first build).
    dib* image(int number) const;
    playlist_scroll_images hscroll_images();
    playlist_scroll_images vscroll_images();

    skin* current() const { return skin_.get(); }
    HWND window() const { return window_; }
    const RECT& base_rect() const { return base_rect_; }

    // The image resource of a colour skin number (1 and unknown numbers
    // share one).
    static unsigned png_resource(int skin_number);

private:
    void build_scroll_images(const dib& png);
    void build_image_table(const dib& png);

    std::function<bool()> ad_shown_;
    std::unique_ptr<skin> skin_;
    std::vector<std::unique_ptr<_resize_region>> pieces_;
    RECT base_rect_;
    HWND window_;
    std::map<int, std::unique_ptr<dib>> images_;
    dib hscroll_thumb_, vscroll_thumb_;
    dib hscroll_minus_, vscroll_minus_;
    dib hscroll_plus_, vscroll_plus_;
    dib hscroll_track_, vscroll_track_;
    std::wstring status_left_;
    std::wstring status_right_;
};
