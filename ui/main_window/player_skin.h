#pragma once
// player_skin: the look of the main window, built from the PNG images of the
// user interface's resources in one of two forms:
//   the normal skin (320 x 150): transport, window buttons, seek and volume
//     sliders, title and time, the digital time, bit-rate and sample-rate
//     digits, the source indicator, two lamps, the play-method indicator,
//     the mute check, the level-meter area and the logo;
//   the mini skin (350 x 25, wider on demand): transport, always-on-top and
//     mute checks, volume, title and time, window buttons.
// It also draws the displays that are not text statics (time and number
// digits, source indicator, lamps, logo) into the skin's back buffer; every
// display does nothing while the mini skin is up.
//
// The main window owns one player_skin and builds the skin its options ask
// for; switching forms goes through remove(). User-interface thread only.
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "dib.h"
#include "skin.h"

// The control and static ids of both skins.
namespace player_skin_ids {
enum : unsigned {
    settings = 0,
    expand = 1,
    minimize = 2,
    mini_mode = 3,  // in the mini skin: back to the normal skin
    close = 4,
    equalizer = 5,
    playlist = 6,
    library = 7,
    announcement = 8,
    play = 10,
    pause = 11,
    stop = 12,
    prev = 13,
    next = 14,
    always_top = 15,
    mute = 16,
    method_first = 17,  // 17 + play method: the four play-method indicators
    volume = 21,
    seek = 22,
    title = 23,
    time = 24,
    bitrate = 25,
    sample_rate = 26,
    mode = 28,
    meter = 29,
    eq_lamp = 30,
    norm_lamp = 31,
    logo = 33,
    time_first = 34,  // 34 to 41: the time digits
    time_last = 41,
};
}

// Keys of the image cache.
namespace player_skin_images {
enum : int {
    logo = 42,
    digit_first = 43,        // 43 to 52: time digits 0 to 9
    small_digit_first = 53,  // 53 to 62: small digits 0 to 9
    colon = 63,
    title_buttons = 64,
    mini_button = 65,
    marquee = 66,  // the title strip the marquee draws into
    mode_service = 67,
    mode_cd = 68,
    mode_mp3 = 69,
    mode_stream = 70,
    norm_lamp = 71,
    eq_lamp = 72,
};
}

class player_skin {
public:
    player_skin();
    ~player_skin();
    player_skin(const player_skin&) = delete;
    player_skin& operator=(const player_skin&) = delete;

    // Builds the normal skin of the colour skin number on the window and
    // returns it (owned by this object); clears the mini flag. volume is the
    // option (0 to 1000): the volume slider shows volume / 10.
    skin* build_normal(HWND window, int skin_number, int volume);
    // The same for the mini skin; sets the mini flag.
    skin* build_mini(HWND window, int skin_number, int volume);
    // Detaches and deletes the skin and the mini skin's resize pieces.
    void remove();

    // The cached image of the key; an unknown key gets a new empty image.
    // The images live as long as this object, across rebuilds.
    dib* image(int key);

    // Displays of the normal skin; nothing while the mini skin is up or no
    // skin is built. Each draws into the back buffer and invalidates its
    // rectangle.
    // mm:ss of the seconds (hours are not shown); negative clears.
    void show_time(double seconds);
    // The number in small digits; negative only clears.
    void show_bitrate(int kbps);
    // Hz / 1000 in small digits; negative only clears.
    void show_sample_rate(int hz);
    // Clears the logo area and draws the image there (0xFF00FF transparent),
    // cut to the area; nothing more for a null image.
    void show_logo(dib* logo);
    // The source indicator for a path or URL; null or empty only clears.
    void show_mode(const wchar_t* path);
    void show_norm_lamp(bool on);
    void show_eq_lamp(bool on);

    bool is_mini() const { return mini_; }
    skin* current() const { return skin_.get(); }
    HWND window() const { return window_; }
    // Text colour of the title and time statics, and the marquee's colours.
    COLORREF text_colour() const { return text_colour_; }
    COLORREF marquee_back_colour() const { return marquee_back_; }
    COLORREF marquee_text_colour() const { return marquee_text_; }
    const RECT& base_rect() const { return base_; }

    // The PNG resources and text colours of a colour skin (1 to 7; any other
    // number is skin 1).
    static unsigned normal_resource(int skin_number);
    static unsigned mini_resource(int skin_number);
    static COLORREF normal_text_colour(int skin_number);
    static COLORREF mini_text_colour(int skin_number);

private:
    // player_skin_build.cpp
    // Removes the old skin and attaches a new one (resizable: the mini
    // skin) to the window; image = the resource's image, empty when missing.
    void begin(HWND window, int resizable, unsigned resource, dib*& image);
    void fill_normal_cache(const dib& image);
    void finish();

    // player_skin.cpp: the displays
    skin_static* display_slot(unsigned id) const;
    void clear_slot(skin_static* slot);
    void draw_in_slot(skin_static* slot, dib& picture);
    void show_number(unsigned id, int value);
    void show_lamp(unsigned id, int key, bool on);

    HWND window_;
    std::unique_ptr<skin> skin_;
    std::map<int, std::unique_ptr<dib>> images_;
    bool mini_;
    std::vector<std::unique_ptr<_resize_region>> pieces_;
    RECT base_;
    COLORREF text_colour_;
    COLORREF marquee_back_;
    COLORREF marquee_text_;
};
