#pragma once
// The launcher window's look: a frameless, resizable window cut from the
// launcher's PNG image 103 (drawn at build time from
// launcher/skins/launcher.toml), with its minimise (101) and close (102)
// buttons, the clock (103) and version (104) captions, and the images the
// store rows and their scroll bar draw.
//
// The image keeps the window at (3,3)-(353,344); the build moves it to the
// origin. The window stretches by its column 175 and row 170.
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "dib.h"
#include "skin.h"

class launcher_skin {
public:
    enum image_id { stop = 105, start = 106, show = 107, indicator = 108, settings_closed = 109, settings_open = 110 };
    // The scroll bar's parts, in the order list_view takes them.
    struct scroll_images {
        dib* channel;
        dib* thumb;
        dib* minus;
        dib* plus;
    };

    launcher_skin();
    ~launcher_skin();
    launcher_skin(const launcher_skin&) = delete;
    launcher_skin& operator=(const launcher_skin&) = delete;

    // Builds the skin on the window (which it makes 350 x 341); null when
    // the image cannot be loaded (the window is left as it was).
    skin* build(HWND window);
    // Takes the skin off the window and deletes it and the resize pieces.
    void release();

    skin* get() const { return skin_.get(); }
    // A row image (105 to 110); null for another id or before build.
    dib* image(int id) const;
    scroll_images vscroll() ;

    static RECT logo_rect() { return RECT{11, 37, 339, 117}; }
    static RECT rows_rect() { return RECT{11, 119, 339, 312}; }
    static RECT clock_rect() { return RECT{16, 317, 187, 330}; }
    static RECT version_rect() { return RECT{193, 317, 334, 330}; }
    static constexpr int width = 350;
    static constexpr int height = 341;
    static constexpr int minimise_id = 101;
    static constexpr int close_id = 102;
    static constexpr int clock_id = 103;
    static constexpr int version_id = 104;

private:
    std::unique_ptr<skin> skin_;
    std::vector<std::unique_ptr<_resize_region>> pieces_;
    dib channel_, thumb_, plus_, minus_;
    std::map<int, std::unique_ptr<dib>> images_;
};
