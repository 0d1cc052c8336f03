// skin: sliders. The thumb (the normal image) travels along the hit
// rectangle; its offset maps linearly onto the range, the ends snap to min
// and max, and the part of the fill rectangle before the thumb's centre takes
// the fill colour.
#include <algorithm>
#include <cwchar>

#include "core.h"
#include "skin.h"
#include "skin_parts.h"

using namespace skin_parts;

namespace {
bool horizontal(const skin_scroll* s) { return s->type == skin_control::type_hslider; }
int thumb_size(const skin_scroll* s) { return horizontal(s) ? width(s->draw_rect) : height(s->draw_rect); }
int track_start(const skin_scroll* s) { return horizontal(s) ? s->hit_rect.left : s->hit_rect.top; }
int track_end(const skin_scroll* s) { return horizontal(s) ? s->hit_rect.right : s->hit_rect.bottom; }

// Puts the thumb's leading edge at start along the slider's axis.
void move_thumb(skin_scroll* s, int start) {
    if (horizontal(s))
        OffsetRect(&s->draw_rect, start - s->draw_rect.left, 0);
    else
        OffsetRect(&s->draw_rect, 0, start - s->draw_rect.top);
}

// The leading edge of the thumb for a value. A thumb that fills the whole
// track has no travel and stays at the start.
int thumb_start_for(const skin_scroll* s, int value) {
    const int travel = (track_end(s) - track_start(s)) - thumb_size(s);
    const int range = s->max - s->min;
    if (travel <= 0 || range <= 0) return track_start(s);
    const int from_start = s->forward ? value - s->min : s->max - value;
    return track_start(s) + static_cast<int>(static_cast<long long>(from_start) * travel / range);
}

int clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
}  // namespace

void skin::place_thumb(skin_scroll* s, int p) {
    const int t = thumb_size(s);
    const int h = t / 2;
    const int a = track_start(s);
    const int b = track_end(s);
    p = std::max(a + h, std::min(p, b - h));
    const int travel = (b - a) - t;
    const int range = s->max - s->min;
    const int v = travel > 0 ? static_cast<int>((p - a - h) * static_cast<double>(range) / travel + 0.5) : 0;
    int position = s->forward ? s->min + v : s->max - v;
    if (s->min <= s->max) position = clamp(position, s->min, s->max);
    if (p + h >= b) position = s->forward ? s->max : s->min;
    if (p - h <= a) position = s->forward ? s->min : s->max;
    s->position = position;
    move_thumb(s, p - h);
    const int shown = horizontal(s) ? s->position : s->min + s->max - s->position;
    _snwprintf(value_text_, 259, L"%d", shown);
    value_text_[259] = 0;
}

void skin::draw_slider(skin_scroll* s) {
    if (!back_.get_memdc()) return;
    if (!s->dragging) move_thumb(s, thumb_start_for(s, s->position));
    if (s->track.get_memdc()) s->track.draw(back_.get_memdc(), s->hit_rect.left, s->hit_rect.top);
    RECT track_area = s->hit_rect;
    track_area.right += 3;
    track_area.bottom += 3;
    invalidate(track_area);
    if (s->fill_colour >= 0 && given(s->fill_rect)) {
        RECT fill = s->fill_rect;
        if (horizontal(s))
            fill.right = std::min<LONG>(fill.right, s->draw_rect.left + width(s->draw_rect) / 2);
        else
            fill.top = std::max<LONG>(fill.top, s->draw_rect.top + height(s->draw_rect) / 2);
        if (fill.right > fill.left && fill.bottom > fill.top)
            dib::fill_solid_rect(back_.get_memdc(), &fill, static_cast<COLORREF>(s->fill_colour & 0xFFFFFFFF));
    }
    draw_look(s, !s->enabled && given(s->disabled_src) ? s->disabled : s->normal);
}

void skin::start_slider_drag(skin_scroll* s, POINT p) {
    s->dragging = true;
    place_thumb(s, horizontal(s) ? p.x : p.y);
    draw_slider(s);
    show_value_tip(s);
    dragged_ = s;
    drag_flags_ |= 2;
    SetCapture(hwnd_);
}

void skin::drag_slider(skin_scroll* s, POINT p) {
    place_thumb(s, horizontal(s) ? p.x : p.y);
    draw_slider(s);
    if (s->quiet) return;
    show_value_tip(s);
    PostMessageW(hwnd_, horizontal(s) ? WM_HSCROLL : WM_VSCROLL,
                 MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(s->position)), static_cast<LPARAM>(s->id));
}

void skin::end_slider_drag(bool notify) {
    skin_scroll* s = dragged_;
    if (!s) return;
    // Cleared first: giving the capture back reports a capture change.
    dragged_ = nullptr;
    drag_flags_ &= ~2;
    if (hwnd_ && GetCapture() == hwnd_) ReleaseCapture();
    set_hand_cursor(true);
    if (tooltip_) {
        tool_.hwnd = hwnd_;
        tool_.uId = static_cast<UINT_PTR>(s->id);
        tool_.hinst = core::get_instance();
        tool_.lpszText = s->tooltip;
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool_));
    }
    if (notify)
        PostMessageW(hwnd_, horizontal(s) ? WM_HSCROLL : WM_VSCROLL,
                     MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(s->position)), static_cast<LPARAM>(s->id));
    s->dragging = false;
}

void skin::show_value_tip(skin_scroll* s) {
    if (!tooltip_) return;
    wchar_t current[1024];
    if (find_tool(static_cast<unsigned>(s->id), current) && wcscmp(current, value_text_) == 0) return;
    tool_.hwnd = hwnd_;
    tool_.uId = static_cast<UINT_PTR>(s->id);
    tool_.lpszText = value_text_;
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool_));
}

void skin::set_position(unsigned int id, int value) {
    skin_control* c = get_control(id);
    if (!c || !c->is_slider() || !(c->visible || c->enabled)) return;
    skin_scroll* s = static_cast<skin_scroll*>(c);
    if (s->max == s->min) return;
    s->position = clamp(value, std::min(s->min, s->max), std::max(s->min, s->max));
    const bool dragging = s->dragging;
    s->dragging = false;  // the thumb goes where the value says
    draw_slider(s);
    s->dragging = dragging;
}

int skin::get_position(unsigned int id) {
    skin_control* c = get_control(id);
    return c && c->is_slider() ? static_cast<skin_scroll*>(c)->position : -1;
}

void skin::get_range(unsigned int id, int& min, int& max) {
    skin_control* c = get_control(id);
    if (!c || !c->is_slider()) return;
    min = static_cast<skin_scroll*>(c)->min;
    max = static_cast<skin_scroll*>(c)->max;
}

void skin::set_range(unsigned int id, int min, int max) {
    skin_control* c = get_control(id);
    if (!c || !c->is_slider()) return;
    static_cast<skin_scroll*>(c)->min = min;
    static_cast<skin_scroll*>(c)->max = max;
    if (HWND child = hwnd_ ? GetDlgItem(hwnd_, static_cast<int>(id)) : nullptr)
        SetScrollRange(child, c->type == skin_control::type_hslider ? SB_HORZ : SB_VERT, min, max, FALSE);
}

void skin::draw_scroll_position(skin_scroll* s) {
    // The slider drawn afresh at its position.
    if (s) draw_slider(s);
}
