#pragma once
// title_marquee: shows a text (the title of what plays) in a fixed strip of
// the main window's skin. A text wider than the strip slides to its end and
// back; a narrower one drifts across the strip and back; each rests 15 steps
// at either end of its travel. A text exactly as wide as the strip stays.
//
// The strip is an image of the skin (player_skin image 66) that the window
// draws after each step; the marquee copies into it and does not own it.
// User-interface thread only.
#include <windows.h>

#include <string>

#include "dib.h"

class title_marquee {
public:
    // How the text compares with the strip.
    enum { fits = 0, wider = 1, narrower = 2 };
    // Steps the text rests at either end of its travel.
    static const int rest_steps = 15;

    title_marquee();
    title_marquee(const title_marquee&) = delete;
    title_marquee& operator=(const title_marquee&) = delete;

    // The strip image; the window passes it again after each skin build.
    void set_target(dib* target);
    // Draws the text over the strip's current picture into the marquee's
    // text image and starts from the beginning. Without a target only the
    // text is kept.
    void set_text(const wchar_t* face, unsigned point_size, bool bold, COLORREF colour, const wchar_t* text);
    // One step of pixels: copies the text image into the strip and moves.
    void step(int pixels);

    const std::wstring& text() const { return text_; }
    const dib& text_image() const { return text_image_; }
    int mode() const { return mode_; }
    int offset() const { return offset_; }
    bool moving() const { return moving_; }
    int pause() const { return pause_; }

private:
    int target_width() const;

    dib* target_;
    dib text_image_;
    std::wstring text_;
    bool moving_;
    int offset_;
    int mode_;
    int pause_;
};
