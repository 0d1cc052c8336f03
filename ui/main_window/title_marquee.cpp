// title_marquee: the title text sliding in the main window's strip.
#include "title_marquee.h"

#include <algorithm>
#include <cstdlib>

#include "utility.h"

namespace {
const COLORREF kKey = RGB(255, 0, 255);
}

title_marquee::title_marquee() : target_(nullptr), moving_(false), offset_(0), mode_(fits), pause_(0) {}

void title_marquee::set_target(dib* target) { target_ = target; }

int title_marquee::target_width() const { return target_ ? target_->get_width() : 0; }

void title_marquee::set_text(const wchar_t* face, unsigned point_size, bool bold, COLORREF colour,
                             const wchar_t* text) {
    text_ = text ? text : L"";
    if (!target_ || !target_->get_memdc()) return;
    const int h = std::abs(target_->get_height());
    const int w = text_.empty() ? 0 : utility::get_text_length(text_.c_str(), face, point_size, bold);

    // The text over the strip's picture, one pixel in from the left.
    if (!text_image_.create(w + 2, h, 24)) return;
    HDC dc = text_image_.get_memdc();
    const RECT all = {0, 0, w + 2, h};
    dib::fill_solid_rect(dc, &all, kKey);
    target_->draw_tile(dc, 0, 0, w + 2, h);
    if (w > 0) {
        dib box;
        if (box.create(w + 1, h, 24))
            box.draw_text(dc, 1, 0, text_.c_str(), colour, face, point_size, bold, false, false, false,
                          DT_SINGLELINE | DT_VCENTER, kKey, true);
    }

    const int tw = target_width();
    if (tw < w) {
        mode_ = wider;
        moving_ = true;
    } else if (w < tw) {
        mode_ = narrower;
        moving_ = false;
    } else {
        mode_ = fits;
    }
    offset_ = 0;
    pause_ = 0;
}

void title_marquee::step(int pixels) {
    if (!target_ || !target_->get_memdc() || !text_image_.get_memdc()) return;
    HDC to = target_->get_memdc();
    HDC from = text_image_.get_memdc();
    const int tw = target_width();
    const int th = std::abs(target_->get_height());
    const int iw = text_image_.get_width();
    const int ih = std::abs(text_image_.get_height());

    if (mode_ == fits) {
        BitBlt(to, 0, 0, iw, ih, from, 0, 0, SRCCOPY);
        return;
    }
    // The far end of the travel. The text never passes it, whatever the
    // step size: an offset past it would copy from beyond the text image
    // (wider text) or push the text out of the strip for good (a narrower
    // text whose image, two pixels wider than the text, no longer fits).
    const int end = mode_ == wider ? iw - tw : std::max(0, tw - iw);
    if (mode_ == wider)
        BitBlt(to, 0, 0, tw, th, from, offset_, 0, SRCCOPY);
    else
        BitBlt(to, offset_, 0, iw, ih, from, 0, 0, SRCCOPY);

    if (pause_ < rest_steps) {
        ++pause_;
        return;
    }
    // A wider text moves left first (its offset grows), a narrower one
    // starts at the left and rests there first.
    const bool outward = mode_ == wider ? moving_ : !moving_;
    if (outward) {
        if (offset_ >= end) {
            offset_ = end;
            moving_ = !moving_;
            pause_ = 0;
        } else {
            offset_ = std::min(end, offset_ + pixels);
        }
    } else {
        if (offset_ <= 0) {
            offset_ = 0;
            moving_ = !moving_;
            pause_ = 0;
        } else {
            offset_ = std::max(0, offset_ - pixels);
        }
    }
}
