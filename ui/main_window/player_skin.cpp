// player_skin: the image cache, the teardown, and the displays of the normal
// skin drawn into the skin's back buffer.
#include "player_skin.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <string>

namespace {

const COLORREF kKey = RGB(255, 0, 255);

bool starts_with_nocase(const wchar_t* text, const wchar_t* prefix) {
    for (; *prefix; ++text, ++prefix)
        if (!*text || std::towlower(*text) != std::towlower(*prefix)) return false;
    return true;
}

}  // namespace

player_skin::player_skin()
    : window_(nullptr), mini_(false), base_(), text_colour_(0), marquee_back_(0), marquee_text_(0xFFFFFF) {}

player_skin::~player_skin() { remove(); }

void player_skin::remove() {
    if (skin_) {
        skin_->unsubclass();
        skin_.reset();
    }
    // The skin only pointed at the pieces: they go after it.
    pieces_.clear();
}

dib* player_skin::image(int key) {
    std::unique_ptr<dib>& slot = images_[key];
    if (!slot) slot = std::make_unique<dib>();
    return slot.get();
}

skin_static* player_skin::display_slot(unsigned id) const {
    if (mini_ || !skin_ || !skin_->get_dc()) return nullptr;
    return skin_->get_static(id);
}

void player_skin::clear_slot(skin_static* slot) {
    slot->background.draw(skin_->get_dc(), slot->rect.left, slot->rect.top);
    InvalidateRect(window_, &slot->rect, FALSE);
}

// Draws the picture at the slot's top-left corner with the key colour left
// out, cut to the slot so that a wide number or a large logo never covers
// its neighbours.
void player_skin::draw_in_slot(skin_static* slot, dib& picture) {
    const int w = std::min(picture.get_width(), static_cast<int>(slot->rect.right - slot->rect.left));
    const int h = std::min(std::abs(picture.get_height()), static_cast<int>(slot->rect.bottom - slot->rect.top));
    if (!picture.get_memdc() || w <= 0 || h <= 0) return;
    picture.transparent_blt(skin_->get_dc(), slot->rect.left, slot->rect.top, w, h, 0, 0, kKey);
    InvalidateRect(window_, &slot->rect, FALSE);
}

void player_skin::show_time(double seconds) {
    if (mini_ || !skin_) return;
    using namespace player_skin_ids;
    int keys[5] = {};
    const bool shown = std::isfinite(seconds) && seconds >= 0;
    if (shown) {
        const int d = static_cast<int>(std::fmod(std::floor(seconds), 360000.0));
        const int minutes = (d / 60) % 60;
        const int secs = d % 60;
        keys[0] = player_skin_images::digit_first + (minutes / 10) % 6;
        keys[1] = player_skin_images::digit_first + minutes % 10;
        keys[2] = player_skin_images::colon;
        keys[3] = player_skin_images::digit_first + (secs / 10) % 6;
        keys[4] = player_skin_images::digit_first + secs % 10;
    }
    for (unsigned id = time_first; id <= time_last; ++id) {
        skin_static* slot = display_slot(id);
        if (!slot) continue;
        // Each digit replaces the one before: clear, then draw.
        clear_slot(slot);
        const unsigned i = id - time_first;
        if (shown && i < 5) draw_in_slot(slot, *image(keys[i]));
    }
}

void player_skin::show_number(unsigned id, int value) {
    skin_static* slot = display_slot(id);
    if (!slot) return;
    clear_slot(slot);
    if (value < 0) return;
    const std::wstring digits = std::to_wstring(value);
    int width = 0, height = 0;
    for (wchar_t ch : digits) {
        const dib* d = image(player_skin_images::small_digit_first + (ch - L'0'));
        if (!d->get_memdc()) continue;
        width += d->get_width() + (width ? 1 : 0);
        height = std::max(height, std::abs(d->get_height()));
    }
    dib number;
    if (width <= 0 || height <= 0 || !number.create(width, height, 24)) return;
    const RECT all = {0, 0, width, height};
    dib::fill_solid_rect(number.get_memdc(), &all, kKey);
    int x = 0;
    for (wchar_t ch : digits) {
        dib* d = image(player_skin_images::small_digit_first + (ch - L'0'));
        if (!d->get_memdc()) continue;
        d->draw(number.get_memdc(), x, 0);
        x += d->get_width() + 1;
    }
    draw_in_slot(slot, number);
}

void player_skin::show_bitrate(int kbps) { show_number(player_skin_ids::bitrate, kbps); }

void player_skin::show_sample_rate(int hz) { show_number(player_skin_ids::sample_rate, hz < 0 ? -1 : hz / 1000); }

void player_skin::show_logo(dib* logo) {
    skin_static* slot = display_slot(player_skin_ids::logo);
    if (!slot) return;
    clear_slot(slot);
    if (logo) draw_in_slot(slot, *logo);
}

void player_skin::show_mode(const wchar_t* path) {
    skin_static* slot = display_slot(player_skin_ids::mode);
    if (!slot) return;
    clear_slot(slot);
    if (!path || !*path) return;
    int key = player_skin_images::mode_service;
    if (std::wcsstr(path, L"://")) {
        if (starts_with_nocase(path, L"zel://"))
            key = player_skin_images::mode_service;
        else if (starts_with_nocase(path, L"cdda://"))
            key = player_skin_images::mode_cd;
        else
            key = player_skin_images::mode_stream;
    } else if (const wchar_t* dot = std::wcsrchr(path, L'.')) {
        if (starts_with_nocase(dot + 1, L"mp3") && !dot[4])
            key = player_skin_images::mode_mp3;
        else if (starts_with_nocase(dot + 1, L"cda") && !dot[4])
            key = player_skin_images::mode_cd;
    }
    draw_in_slot(slot, *image(key));
}

void player_skin::show_lamp(unsigned id, int key, bool on) {
    skin_static* slot = display_slot(id);
    if (!slot) return;
    clear_slot(slot);
    if (on) draw_in_slot(slot, *image(key));
}

void player_skin::show_norm_lamp(bool on) { show_lamp(player_skin_ids::norm_lamp, player_skin_images::norm_lamp, on); }

void player_skin::show_eq_lamp(bool on) { show_lamp(player_skin_ids::eq_lamp, player_skin_images::eq_lamp, on); }
