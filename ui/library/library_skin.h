#pragma once
// library_skin: the look of the library window, built from one of seven PNG
// images (one per colour skin, 500 x 712): the stretching frame (480 x 550,
// it grows by repeating column 265 and row 134), the window buttons, and
// the small images that the tree and the pages draw, cut out of the same
// image: the image table (keys 8 to 54) and the eight scroll-bar images.
//
// The window owns one object and rebuilds the skin (release, then build)
// when the colour skin changes; the images of the table and the scroll-bar
// images live as long as the object and are cut again by each build, so
// the tree and the pages may keep their pointers. User-interface thread
// only.
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "dib.h"
#include "skin.h"

// The skin's window buttons; each sends the WM_COMMAND of its id.
namespace library_buttons {
enum : unsigned {
    settings = 0,         // "환경 설정", with the main window's first image
    minimize = 1,         // "최소화", likewise
    restore = 2,          // "원래 크기로", likewise
    mini_mode = 3,        // "미니 모드", with the main window's second image
    close = 4,            // "닫기"
    homepage = 5,         // "홈페이지"
    previous_notice = 6,
    next_notice = 7,
};
}

// Keys of the image table with a role of their own.
namespace library_images {
enum : int {
    pane_splitter = 8,
    companion_splitter = 9,
    glyph_expanded = 13,
    glyph_collapsed = 14,
    store_connected = 33,
    store_not_connected = 34,
    store_waiting = 35,  // also category kind 0 (kind + 35)
    unmarked_store = 47,
    marked_store = 54,
};
}

// One entry of the image table: the key's image is w x h pixels cut at
// (x, y) of the skin's image.
struct library_image_cut {
    int key;
    int x, y, w, h;
};
// The whole table, keys 8 to 54 in order.
const std::vector<library_image_cut>& library_image_table();

// The four images of one scroll bar, in the order the controls take them.
struct library_scroll_images {
    dib* channel;
    dib* thumb;
    dib* minus;
    dib* plus;
};

class library_skin {
public:
    // The window face; the key colour marks what lies outside it.
    static constexpr RECT face = {0, 0, 480, 550};
    // The area behind the tree and the page, filled with field_colour.
    static constexpr RECT field = {9, 59, 471, 512};
    static const COLORREF field_colour = 0xF7F7F7;

    library_skin();
    ~library_skin();
    library_skin(const library_skin&) = delete;
    library_skin& operator=(const library_skin&) = delete;

    // Builds the skin of the colour skin number on the window and returns it
    // (owned by this object); null when the image is missing. The two images
    // of the main window's title bar may be null: buttons 0-2 need the
    // first, button 3 the second; all four start hidden.
    skin* build(HWND window, int skin_number, dib* first_image, dib* second_image);
    // Detaches and deletes the skin and its resize pieces; nothing without a
    // skin.
    void release();

    // Cuts the image table and the scroll-bar images from a whole skin image
    // (as build does after its own drawing).
    void cut_images(const dib& png);

    // The image of the table; null for a key without one.
    dib* image(int key) const;
    library_scroll_images hscroll_images();
    library_scroll_images vscroll_images();

    skin* current() const { return skin_.get(); }
    // The rectangle the skin's resize setup returned.
    const RECT& base_rect() const { return base_rect_; }

    // The image resource of a colour skin number: 2 → 201, 3 → 200, 4 → 199,
    // 5 → 204, 6 → 202, 7 → 198, any other → 203.
    static unsigned png_resource(int skin_number);

private:
    std::unique_ptr<skin> skin_;
    std::vector<std::unique_ptr<_resize_region>> pieces_;
    RECT base_rect_;
    std::map<int, std::unique_ptr<dib>> images_;
    dib hthumb_, vthumb_, hplus_, vplus_, hminus_, vminus_, hchannel_, vchannel_;
};
